#include "PaneImages.h"

#include "platform/ScreenDensity.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <cmath>

namespace PaneImages {

namespace {

constexpr int kButtonImageSize = 32;

// The add and delete buttons: a rounded square, green to add and red to delete, with a plus or
// a minus and the initial of what the button adds or deletes. Both stand out from the
// document's orange, on which the toolbar shows them.
QPixmap drawItemButton(bool add, QChar initial, qreal ratio)
{
    QPixmap pixmap = ScreenDensity::blank(QSize(kButtonImageSize, kButtonImageSize), ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor fill = add ? QColor(40, 105, 50) : QColor(170, 60, 45);
    painter.setPen(QPen(fill.darker(160), 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(1.5, 1.5, kButtonImageSize - 3.0, kButtonImageSize - 3.0), 6.0, 6.0);
    painter.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(6.0, 11.0), QPointF(16.0, 11.0));
    if (add)
        painter.drawLine(QPointF(11.0, 6.0), QPointF(11.0, 16.0));
    QFont font;
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(14.0, 13.0, 16.0, 17.0), Qt::AlignCenter, QString(initial));
    return pixmap;
}

// The primary mark of an attachment link: a filled star when the link is the primary one, a
// hollow star to click when it is not.
QPixmap drawPrimaryMark(bool primary, qreal ratio)
{
    constexpr int kSize = 24;
    QPixmap pixmap = ScreenDensity::blank(QSize(kSize, kSize), ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath star;
    for (int point = 0; point < 10; ++point) {
        const double radius = point % 2 == 0 ? 11.0 : 4.5;
        const double angle = -M_PI / 2.0 + point * M_PI / 5.0;
        const QPointF corner(12.0 + radius * std::cos(angle), 12.5 + radius * std::sin(angle));
        if (point == 0)
            star.moveTo(corner);
        else
            star.lineTo(corner);
    }
    star.closeSubpath();
    painter.setPen(QPen(QColor(150, 100, 20), 1.5));
    painter.setBrush(primary ? QBrush(QColor(245, 190, 40)) : QBrush(Qt::NoBrush));
    painter.drawPath(star);
    return pixmap;
}

// The link marks of set-ups and pay-offs: two chain links, drawn apart with a gap to break a
// link, joined to make one; and an arrow to jump to the partner's card.
QPixmap drawLinkMark(bool broken, qreal ratio)
{
    QPixmap pixmap = ScreenDensity::blank(QSize(kImageSize, kImageSize), ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(broken ? QColor(170, 60, 45) : QColor(60, 110, 150), 2.0));
    painter.setBrush(Qt::NoBrush);
    const double shift = broken ? 1.5 : 0.0;
    painter.drawRoundedRect(QRectF(1.5 - shift, 6.0, 9.0, 6.0), 3.0, 3.0);
    painter.drawRoundedRect(QRectF(7.5 + shift, 6.0, 9.0, 6.0), 3.0, 3.0);
    return pixmap;
}

QPixmap drawJumpArrow(qreal ratio)
{
    QPixmap pixmap = ScreenDensity::blank(QSize(kImageSize, kImageSize), ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 110, 150));
    const QPointF arrow[] = {{2.0, 7.0}, {9.0, 7.0}, {9.0, 3.0}, {16.0, 9.0}, {9.0, 15.0}, {9.0, 11.0}, {2.0, 11.0}};
    painter.drawPolygon(arrow, 7);
    return pixmap;
}

} // namespace

QPixmap image(const QString& name)
{
    // Drawn at the density of the densest screen, so that no screen blows them up.
    const qreal ratio = ScreenDensity::highest();
    if (name == QLatin1String("Link") || name == QLatin1String("BreakTheLink"))
        return drawLinkMark(name == QLatin1String("BreakTheLink"), ratio);
    if (name == QLatin1String("JumpStraightTo"))
        return drawJumpArrow(ratio);
    if (name == QLatin1String("PrimaryImage") || name == QLatin1String("MakePrimary"))
        return drawPrimaryMark(name == QLatin1String("PrimaryImage"), ratio);
    if (name == QLatin1String("zorvin")) {
        // Every window shows it beside several fields: it is scaled once.
        const QString key = QStringLiteral("PaneImages/zorvin@%1").arg(ratio);
        QPixmap scaled;
        if (!QPixmapCache::find(key, &scaled)) {
            QPixmap mascot(QStringLiteral(":/help/images/Zorvin.png"));
            mascot.setDevicePixelRatio(mascot.width() / static_cast<qreal>(kImageSize));
            scaled = ScreenDensity::resampled(mascot, ratio);
            QPixmapCache::insert(key, scaled);
        }
        return scaled;
    }
    if (name == QLatin1String("BlankZorvin"))
        return ScreenDensity::blank(QSize(kImageSize, kImageSize), ratio);
    static const QLatin1String items[] = {QLatin1String("Character"), QLatin1String("Location"),
                                          QLatin1String("Setup"), QLatin1String("Payoff")};
    for (const QLatin1String item : items) {
        if (name == QStringLiteral("AddA") + item)
            return drawItemButton(true, QChar(item.front()), ratio);
        if (name == QStringLiteral("DeleteA") + item)
            return drawItemButton(false, QChar(item.front()), ratio);
    }
    return QPixmap();
}

} // namespace PaneImages
