#include "NotesBoardGeometry.h"

#include <algorithm>
#include <cmath>

namespace NotesBoardGeometry {

namespace {

constexpr float kThumbnailWidth = 400.0f;
constexpr double kStoredPictureSide = 1024.0;
// A note stops 3 points inside the right edge and 1 point inside the bottom one; it is stopped
// once it comes within 1 point of either.
constexpr double kRightMargin = 3.0;
constexpr double kBottomMargin = 1.0;
constexpr double kEdgeReach = 1.0;

// The fraction the checklist needs so that it stays at `place` on a board of `extent`.
float fractionFor(float place, std::int64_t extent)
{
    return extent > 0 ? place / static_cast<float>(extent) : 0.0f;
}

} // namespace

BoardRoom withChecklistRoom(BoardRoom room)
{
    const float left = room.checklistHorizontal * static_cast<float>(room.width);
    const float top = room.checklistVertical * static_cast<float>(room.height);
    const float right = left + static_cast<float>(kChecklistWidth);
    const float bottom = top + static_cast<float>(kChecklistHeight);
    if (static_cast<float>(room.width) < right) {
        room.width = static_cast<std::int64_t>(right);
        room.checklistHorizontal = fractionFor(left, room.width);
    }
    if (static_cast<float>(room.height) < bottom) {
        room.height = static_cast<std::int64_t>(bottom);
        room.checklistVertical = fractionFor(top, room.height);
    }
    return room;
}

QRectF movedFrame(const QRectF& frame, const QPointF& step, const QSizeF& board)
{
    const double x = frame.x();
    const double y = frame.y();
    const double w = frame.width();
    const double h = frame.height();
    double newY = y + step.y();
    if (newY < 0.0)
        newY = 0.0;
    else if (newY + h >= board.height() - kEdgeReach)
        newY = board.height() - h - kBottomMargin;
    double newX = x + step.x();
    if (newX < 0.0)
        newX = 0.0;
    else if (newX + w >= board.width() - kEdgeReach)
        newX = board.width() - w - kRightMargin;
    return {static_cast<float>(newX), static_cast<float>(newY), w, h};
}

QSizeF resizedSize(const QSizeF& size, const QPointF& step)
{
    const double width = size.width() + step.x();
    const double height = size.height() + step.y();
    return {static_cast<float>(width >= kLeastNoteWidth ? width : size.width()),
            static_cast<float>(height >= kLeastNoteHeight ? height : size.height())};
}

StoredPlace storedPlace(const QPointF& origin, std::int64_t boardWidth, std::int64_t boardHeight)
{
    StoredPlace place;
    place.left = static_cast<std::int64_t>(origin.x());
    place.top = static_cast<std::int64_t>(origin.y());
    place.horizontal = boardWidth > 0 ? static_cast<float>(place.left) / static_cast<float>(boardWidth) : 0.0f;
    place.vertical = boardHeight > 0 ? static_cast<float>(place.top) / static_cast<float>(boardHeight) : 0.0f;
    return place;
}

QPointF originUnderPointer(const QPointF& pointer, double noteWidth)
{
    return {pointer.x() - noteWidth / 2.0, pointer.y() - kHangAbovePointer};
}

int stickyNoteLayoutHeight(std::int64_t storedHeight, double textHeight)
{
    const double needed = textHeight + kStickyTextExtraHeight;
    return static_cast<int>(std::max(static_cast<double>(storedHeight), needed));
}

QSizeF thumbnailSize(const QSizeF& picture)
{
    const auto width = static_cast<float>(picture.width());
    const auto height = static_cast<float>(picture.height());
    if (width < kThumbnailWidth)
        return picture;
    return {kThumbnailWidth, kThumbnailWidth / (width / height)};
}

std::optional<QSizeF> reducedPictureSize(const QSizeF& picture)
{
    const double width = picture.width();
    const double height = picture.height();
    if (width > height ? width <= kStoredPictureSide : height <= kStoredPictureSide)
        return std::nullopt;
    if (width > height)
        return QSizeF(kStoredPictureSide, kStoredPictureSide / (width / height));
    return QSizeF(kStoredPictureSide / (height / width), kStoredPictureSide);
}

QSize pixelSize(const QSizeF& size)
{
    return {std::max(1, static_cast<int>(std::lround(size.width()))),
            std::max(1, static_cast<int>(std::lround(size.height())))};
}

} // namespace NotesBoardGeometry
