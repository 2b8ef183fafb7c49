#pragma once

#include <QRect>

#include <array>
#include <cstdint>

// Geometry of the large scene card that depends on no widget: the column of colour labels and the
// indicators. Frames are in points of the card's yellow box, measured from its bottom-left
// corner with y growing upwards, as the layout states them; `flipped` turns one into the
// top-down frame of a widget.
namespace BigSceneGeometry {

// The frames of colour labels 1 to 6 (index 0 is label 1) in a box `boxHeight` high: six
// bands from y 14 upwards, each overlapping the one below by a point, label 1 on top reaching
// to `boxHeight` - 46.
std::array<QRect, 6> colorLabelFrames(int boxHeight);

// The same frame measured from the top of a box `boxHeight` high.
QRect flipped(const QRect& bottomUpFrame, int boxHeight);

// The x of the indicator that has `shownBefore` shown indicators left of it.
int indicatorLeft(int shownBefore);
// The side of the square indicators for a board zoom factor: 24 for 1 to 4, 22 for others.
int indicatorSize(std::int64_t boardZoomFactor);

} // namespace BigSceneGeometry
