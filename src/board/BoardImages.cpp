#include "BoardImages.h"

#include "platform/ScreenDensity.h"

#include <QPixmapCache>

QPixmap boardImage(const QString& name)
{
    const qreal ratio = ScreenDensity::highest();
    const QString key = QStringLiteral("board:%1@%2").arg(name).arg(ratio);
    QPixmap image;
    if (!QPixmapCache::find(key, &image)) {
        if (ratio > 1.0) {
            image = QPixmap(QStringLiteral(":/images/%1@2x.png").arg(name));
            image.setDevicePixelRatio(2.0);
            image = ScreenDensity::resampled(image, ratio);
        }
        if (image.isNull())
            image = QPixmap(QStringLiteral(":/images/%1.png").arg(name));
        if (!image.isNull())
            QPixmapCache::insert(key, image);
    }
    return image;
}
