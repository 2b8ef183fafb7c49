#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <cstdint>
#include <optional>

// The numbers of the general-notes board, without widgets: its size, where notes go and how
// they move and grow. The board is in points, origin top-left, y growing downwards; a note's
// place is its frame's top-left corner, stored both in points and as fractions of the board.
namespace NotesBoardGeometry {

// The room the greenlight checklist needs from its top-left corner.
inline constexpr int kChecklistWidth = 577;
inline constexpr int kChecklistHeight = 1994;
// A note's size when its record holds none.
inline constexpr int kStickyNoteWidth = 218;
inline constexpr int kStickyNoteHeight = 148;
inline constexpr int kAttachmentWidth = 311;
inline constexpr int kAttachmentHeight = 148;
// No note is resized below this.
inline constexpr int kLeastNoteWidth = 160;
inline constexpr int kLeastNoteHeight = 110;
// A note made under the pointer hangs this far above it, centred.
inline constexpr double kHangAbovePointer = 9.0;
// What a sticky note needs around its text: title, rule and margins.
inline constexpr int kStickyTextMargin = 26;
inline constexpr int kStickyTextExtraHeight = 72;

// The board's size and the checklist's place as fractions of it.
struct BoardRoom {
    std::int64_t width = 0;
    std::int64_t height = 0;
    float checklistHorizontal = 0.0f;
    float checklistVertical = 0.0f;
};

// Grows the board so the checklist has its room to the right and below. The checklist stays
// where it was on the board: when the board grows, its fraction is taken again from its place,
// so that laying out a second time finds the room already there and changes nothing.
BoardRoom withChecklistRoom(BoardRoom room);

// The frame a move by `step` gives `frame` on a board of `board`: never past the left or top
// edge, 3 points inside the right edge and 1 point inside the bottom one.
QRectF movedFrame(const QRectF& frame, const QPointF& step, const QSizeF& board);
// The size a resize by `step` gives: each side changes only when it stays at least the least
// width or height.
QSizeF resizedSize(const QSizeF& size, const QPointF& step);

// A place as a record keeps it: whole points, and fractions of the board taken from them.
struct StoredPlace {
    std::int64_t left = 0;
    std::int64_t top = 0;
    float horizontal = 0.0f;
    float vertical = 0.0f;
};
// `origin` stored on a board of that size; a board without extent gives the fraction 0.
StoredPlace storedPlace(const QPointF& origin, std::int64_t boardWidth, std::int64_t boardHeight);
// Gives a note's record (sticky note or attachment) the place; the record is not written.
template <typename Record>
void setPlace(Record& record, const StoredPlace& place)
{
    record.setPositionTop(place.top);
    record.setPercentageVertical(place.vertical);
    record.setPositionLeft(place.left);
    record.setPercentageHorizontal(place.horizontal);
}

// The origin of a note `noteWidth` wide made with the pointer at `pointer`.
QPointF originUnderPointer(const QPointF& pointer, double noteWidth);

// A sticky note is laid out tall enough for its text (`textHeight` in the note's width less the
// margin), never below its stored height.
int stickyNoteLayoutHeight(std::int64_t storedHeight, double textHeight);

// The size of a picture's thumbnail: unchanged below 400 wide, else 400 wide with the same
// shape.
QSizeF thumbnailSize(const QSizeF& picture);
// The size a picture is stored at: nothing when it is stored as it is (its longer side at most
// 1024), else the size that makes its longer side 1024.
std::optional<QSizeF> reducedPictureSize(const QSizeF& picture);
// A size in whole pixels, at least 1 x 1.
QSize pixelSize(const QSizeF& size);

} // namespace NotesBoardGeometry
