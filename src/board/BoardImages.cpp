#include "BoardImages.h"

#include <QPixmapCache>

QPixmap boardImage(const QString& name)
{
    const QString key = QStringLiteral("board:") + name;
    QPixmap image;
    if (!QPixmapCache::find(key, &image)) {
        image = QPixmap(QStringLiteral(":/images/%1.png").arg(name));
        if (!image.isNull())
            QPixmapCache::insert(key, image);
    }
    return image;
}
