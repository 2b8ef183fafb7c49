#include "PaneImages.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>

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

} // namespace

QPixmap image(const QString& name)
{
    if (name == QLatin1String("zorvin")) {
        const QPixmap mascot(QStringLiteral(":/help/images/Zorvin.png"));
        return mascot.scaled(kImageSize, kImageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
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
