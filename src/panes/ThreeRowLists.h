#pragma once

#include "app/TextHeights.h"
#include "app/TextsReadAhead.h"

#include <QFont>
#include <QModelIndex>

#include <array>
#include <cstdint>
#include <memory>

class BaseViewController;
class QMimeData;
class QString;
class QTableView;
class Screenplaydb;

// What the lists of the story-elements pane that give each item three rows (characters,
// locations, set-ups, pay-offs) share: the kinds of rows, their font and heights, and how a drag
// leaves them.
namespace ThreeRowLists {

// Item i owns rows 3i (its first row), 3i + 1 (its second row) and 3i + 2 (a spacer in the
// document's colour).
enum class Row { First, Second, Spacer };

inline Row rowKind(int row)
{
    return row % 3 == 0 ? Row::First : row % 3 == 1 ? Row::Second : Row::Spacer;
}

// The empty row and the spacers.
inline constexpr int kThinRowHeight = 20;

// The pixel size of the lists' font: the story's standard font setting + 11.
int fontSize(const Screenplaydb& story);
// The same for the text size setting `setting`.
int fontSizeFor(std::int64_t setting);

// The width that a cell of the table's `textColumn` leaves its text when the table is as wide as
// its pane.
int textWidth(const BaseViewController& list, const QTableView& table, int textColumn);

// The heights of a list's texts in the lists' font at the story's size, bold when the row draws
// the text bold, wrapped in a width (textWidth); each never less than `least`. What was measured
// is kept (TextHeights) until the font size changes, and so are texts read ahead.
class TextRowHeights
{
public:
    int height(const Screenplaydb& story, const QString& text, bool bold, int width, int least);
    // Texts are taken as `ahead` reads them, where it reads them in the lists' fonts.
    void readAhead(std::unique_ptr<TextsReadAhead> ahead);

private:
    int fontSize_ = 0;
    std::array<QFont, 2> fonts_;
    std::unique_ptr<TextsReadAhead> ahead_;
    std::array<TextHeights, 2> heights_;
};

// The lists' fonts at the pixel size `size`: plain and bold.
std::array<QFont, 2> fonts(int size);

// Starts the drag of `data` from the table, showing the picture of `imageColumn` of the row of
// `from`; nothing when there is no data.
void startRowDrag(QTableView* table, const QModelIndex& from, int imageColumn, std::unique_ptr<QMimeData> data);

} // namespace ThreeRowLists
