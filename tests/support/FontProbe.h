#pragma once

#include "platform/ScreenplayFont.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <QtEndian>

// What the font engine really draws for a font, read from the face's own tables and outlines
// rather than from its labels (which some installations get wrong).
namespace FontProbe {

// The slant the face declares in its "post" table, in degrees (0 for an upright face).
inline double italicAngle(const QRawFont& face)
{
    const QByteArray post = face.fontTable("post");
    if (post.size() < 8)
        return 0;
    return double(qFromBigEndian<qint32>(post.constData() + 4)) / 65536.0;
}

// The thickness of the capital I's stem halfway up, in font units of an em of 1000.
inline double stemOfI(const QRawFont& face)
{
    const QList<quint32> glyphs = face.glyphIndexesForString(QStringLiteral("I"));
    if (glyphs.isEmpty())
        return 0;
    const QPainterPath outline = face.pathForGlyph(glyphs.front());
    const QRectF box = outline.boundingRect();
    QPainterPath band;
    band.addRect(QRectF(box.left() - 1, box.center().y() - 0.05, box.width() + 2, 0.1));
    return outline.intersected(band).boundingRect().width() * 1000 / face.pixelSize();
}

// "" when `font` is drawn with the upright regular face of the screenplay family: no slant and
// the thinnest stem of all the family's faces installed beside it; what is wrong otherwise.
inline QString screenplayFaceProblem(const QFont& font)
{
    QFont large = font;
    large.setPixelSize(100);
    const QRawFont drawn = QRawFont::fromFont(large);
    if (!drawn.isValid())
        return QStringLiteral("no face is drawn");
    if (italicAngle(drawn) != 0)
        return QStringLiteral("the face is slanted by %1 degrees").arg(italicAngle(drawn));
    const QString regular = ScreenplayFont::regularFacePath();
    if (regular.isEmpty())
        return QStringLiteral("the regular face's file was not found");
    const double stem = stemOfI(drawn);
    const QFileInfoList faces = QFileInfo(regular).dir().entryInfoList(QDir::Files);
    for (const QFileInfo& file : faces) {
        const QRawFont other(file.filePath(), 100);
        if (!other.isValid() || other.familyName() != drawn.familyName())
            continue;
        if (stemOfI(other) < stem - 0.5)
            return QStringLiteral("the stem is %1 units thick, %2 has %3")
                .arg(stem)
                .arg(file.fileName())
                .arg(stemOfI(other));
    }
    return QString();
}

} // namespace FontProbe
