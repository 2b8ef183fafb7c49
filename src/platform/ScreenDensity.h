#pragma once

#include <QPixmap>
#include <QSize>

// Pictures for dense screens. A screen may show several device pixels per point (a desktop
// scaled by 1.5 or 2); a picture drawn with one pixel per point is blown up there and blurs.
// The program's pictures are therefore drawn, or resampled from the largest size it ships, at
// the density of the densest screen, their size in points unchanged.
namespace ScreenDensity {

// Device pixels per point of the densest screen; 1 without one.
qreal highest();

// A transparent picture of `points`, with `ratio` device pixels per point.
QPixmap blank(const QSize& points, qreal ratio);

// `picture` (its own device pixel ratio giving its size in points) resampled smoothly to `ratio`
// device pixels per point; unchanged when it has that density already.
QPixmap resampled(const QPixmap& picture, qreal ratio);

} // namespace ScreenDensity
