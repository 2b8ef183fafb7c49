#include "ScreenDensity.h"

#include <QGuiApplication>

#include <cmath>

namespace ScreenDensity {

qreal highest()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? qGuiApp->devicePixelRatio() : 1.0;
}

QPixmap blank(const QSize& points, qreal ratio)
{
    QPixmap picture(QSize(static_cast<int>(std::ceil(points.width() * ratio)),
                          static_cast<int>(std::ceil(points.height() * ratio))));
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    return picture;
}

QPixmap resampled(const QPixmap& picture, qreal ratio)
{
    if (picture.isNull() || qFuzzyCompare(picture.devicePixelRatio(), ratio))
        return picture;
    const QSizeF points = picture.deviceIndependentSize();
    QPixmap result = picture.scaled(QSize(static_cast<int>(std::round(points.width() * ratio)),
                                          static_cast<int>(std::round(points.height() * ratio))),
                                    Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.setDevicePixelRatio(ratio);
    return result;
}

} // namespace ScreenDensity
