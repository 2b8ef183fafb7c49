#include "PaneImages.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <cmath>

namespace PaneImages {

namespace {

constexpr int kButtonImageSize = 32;

// The add and delete buttons: a rounded square in the document's colour with a plus or a
// minus and the initial of what the button adds or deletes.
QPixmap drawItemButton(bool add, QChar initial)
{
    QPixmap pixmap(kButtonImageSize, kButtonImageSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(add ? QColor(205, 133, 63) : QColor(170, 60, 45));
    painter.drawRoundedRect(QRectF(1.0, 1.0, kButtonImageSize - 2.0, kButtonImageSize - 2.0), 6.0, 6.0);
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
QPixmap drawPrimaryMark(bool primary)
{
    constexpr int kSize = 24;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
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
QPixmap drawLinkMark(bool broken)
{
    QPixmap pixmap(kImageSize, kImageSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(broken ? QColor(170, 60, 45) : QColor(60, 110, 150), 2.0));
    painter.setBrush(Qt::NoBrush);
    const double shift = broken ? 1.5 : 0.0;
    painter.drawRoundedRect(QRectF(1.5 - shift, 6.0, 9.0, 6.0), 3.0, 3.0);
    painter.drawRoundedRect(QRectF(7.5 + shift, 6.0, 9.0, 6.0), 3.0, 3.0);
    return pixmap;
}

QPixmap drawJumpArrow()
{
    QPixmap pixmap(kImageSize, kImageSize);
    pixmap.fill(Qt::transparent);
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
    if (name == QLatin1String("Link") || name == QLatin1String("BreakTheLink"))
        return drawLinkMark(name == QLatin1String("BreakTheLink"));
    if (name == QLatin1String("JumpStraightTo"))
        return drawJumpArrow();
    if (name == QLatin1String("PrimaryImage") || name == QLatin1String("MakePrimary"))
        return drawPrimaryMark(name == QLatin1String("PrimaryImage"));
    if (name == QLatin1String("zorvin")) {
        // Every window shows it beside several fields: it is scaled once.
        static const QString key = QStringLiteral("PaneImages/zorvin");
        QPixmap scaled;
        if (!QPixmapCache::find(key, &scaled)) {
            const QPixmap mascot(QStringLiteral(":/help/images/Zorvin.png"));
            scaled = mascot.scaled(kImageSize, kImageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QPixmapCache::insert(key, scaled);
        }
        return scaled;
    }
    if (name == QLatin1String("BlankZorvin")) {
        QPixmap blank(kImageSize, kImageSize);
        blank.fill(Qt::transparent);
        return blank;
    }
    static const QLatin1String items[] = {QLatin1String("Character"), QLatin1String("Location"),
                                          QLatin1String("Setup"), QLatin1String("Payoff")};
    for (const QLatin1String item : items) {
        if (name == QStringLiteral("AddA") + item)
            return drawItemButton(true, QChar(item.front()));
        if (name == QStringLiteral("DeleteA") + item)
            return drawItemButton(false, QChar(item.front()));
    }
    return QPixmap();
}

} // namespace PaneImages
