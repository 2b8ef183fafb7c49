#include "NoteMovement.h"

#include <algorithm>

namespace {

// One axis: once the item comes within 1 point of the far edge it is held `stop` inside it;
// an item larger than the board keeps its near edge at 0 rather than leaving the board there.
float stepAlong(double origin, double step, double size, double extent, double stop)
{
    const double wanted = origin + step;
    if (wanted < 0)
        return 0.0f;
    if (wanted + size >= extent - 1)
        return static_cast<float>(std::max(0.0, extent - size - stop));
    return static_cast<float>(wanted);
}

} // namespace

QPointF noteOriginAfterStep(const QRectF& frame, const QPointF& step, const QSizeF& board)
{
    return {stepAlong(frame.x(), step.x(), frame.width(), board.width(), 3),
            stepAlong(frame.y(), step.y(), frame.height(), board.height(), 1)};
}
