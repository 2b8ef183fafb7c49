// Makes the icons the desktop shows: make_icons <program-icon.png> <hicolor-folder> <size>...
// writes, for every size given, <size>x<size>/apps/vantora.png (the program's icon, scaled
// down from the drawn 256-pixel one) and <size>x<size>/mimetypes/application-x-vantora-story.png
// (a story file: a sheet of paper with a turned corner that carries the program's icon).
// Each file is written through QSaveFile, so an interrupted build leaves no half-written icon.
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

namespace {

QImage programIcon(const QImage& drawn, int size)
{
    return drawn.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage storyIcon(const QImage& drawn, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    // The sheet: narrower than high, with its top right corner turned down.
    const qreal unit = size / 16.0;
    const QRectF sheet(2.5 * unit, 0.5 * unit, 11.0 * unit, 15.0 * unit);
    const qreal fold = 3.5 * unit;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    painter.setPen(QPen(QColor(0x8A, 0x7A, 0x66), std::max(1.0, size / 64.0)));
    painter.setBrush(QColor(0xFC, 0xFA, 0xF5));
    painter.drawPath(outline);
    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    corner.closeSubpath();
    painter.setBrush(QColor(0xE4, 0xDC, 0xCF));
    painter.drawPath(corner);

    // The program's cards on the lower part of the sheet.
    const int inner = static_cast<int>(9.0 * unit);
    const QImage mark = programIcon(drawn, inner);
    painter.drawImage(QPointF(sheet.center().x() - inner / 2.0, sheet.bottom() - inner - unit), mark);
    painter.end();
    return image;
}

bool save(const QImage& image, const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <program-icon.png> <hicolor-folder> <size>...\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication application(argc, argv);
    const QImage drawn(QString::fromLocal8Bit(argv[1]));
    if (drawn.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        bool number = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&number);
        if (!number || size < 16 || size > 1024) {
            std::fprintf(stderr, "not an icon size: %s\n", argv[i]);
            return 2;
        }
        const QString sized = QStringLiteral("%1x%1").arg(size);
        const QString program = folder.filePath(sized + QStringLiteral("/apps/vantora.png"));
        const QString story = folder.filePath(sized + QStringLiteral("/mimetypes/application-x-vantora-story.png"));
        if (!save(programIcon(drawn, size), program) || !save(storyIcon(drawn, size), story)) {
            std::fprintf(stderr, "cannot write the %s icons into %s\n", qPrintable(sized), argv[2]);
            return 1;
        }
    }
    return 0;
}
