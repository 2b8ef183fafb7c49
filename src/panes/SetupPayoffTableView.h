#pragma once

#include "ThreeRowLists.h"
#include "app/BaseViewController.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class QMimeData;
class QModelIndex;
class QTableView;
class QString;
class RowFitter;
class TextsReadAhead;
class TextCellDelegate;
struct PayoffSide;
struct SetupSide;
template <typename Side>
class SetupPayoffTableModel;

// The set-ups or the pay-offs of the story in the story-elements pane (Side: SetupSide or
// PayoffSide, SetupPayoffSides.h), read straight from the story's list in its order. Each item
// takes three rows: the item with its card's heading and page, its partner (or a note that it
// has none) and a spacer in the document's colour that cannot be selected; a story without
// items shows the one row "No Set-ups" ("No Pay-offs"), which cannot be selected either.
// Columns: 0 the help mascot or the link mark, 1 the texts, 2 the jump marks. The delete
// command shows while a row is selected. A free item (on no card) is edited in place and
// dragged onto scene cards by its item row. The controller lives while its section shows.
template <typename Side>
class SetupPayoffTableView : public BaseViewController
{
public:
    SetupPayoffTableView(MyDocument* parent, Screenplaydb* screenplay);
    ~SetupPayoffTableView() override;

    QTableView* tvTable() const { return tvTable_; }

    // Reloads every row from the story, with its font, the rows fitting as fitRowHeights has them;
    // the selection is gone afterwards and the delete command with it.
    void refreshView();
    // Every row takes the height its text needs in the pane's width, as the pane changes size:
    // those in sight at once, the others soon after (RowFitter); the selection and a text being
    // edited stay.
    void fitRowHeights();
    // Whether every row has the height its text needs in the pane's width.
    bool rowsFitted() const;

    // 20 for the empty row, the spacers and the partner row of an unlinked item; an item row,
    // and the partner row of a linked item, fit their text in the pane's width, at least 53.
    int heightOfRow(int row) const;
    // Whether a click may select the row: item and partner rows only.
    bool shouldSelectRow(int row) const;
    // A press on a cell, before the table handles it: help, jumps and (once the click is done)
    // editing. Answers whether the table goes on with the press (selecting the row).
    bool shouldTrackCell(const QModelIndex& index);
    // The selection changed: the delete command follows it.
    void selectionDidChange();
    // Stores the text edited in the item row `row`.
    void setText(int row, const QString& text);
    // The text as it is being typed (and its partner's copy), without refreshing the views.
    void storeTypedText(int row, const QString& text);
    // The drag data of a drag that starts on `row`: only the item row of a free item.
    std::unique_ptr<QMimeData> dragData(int row) const;

    // The position of the item whose row is selected, or -1 when none is.
    std::int64_t selectedPosition() const;
    // Selects the item's first row alone and opens its text for editing, all of it selected.
    void editNewItem(std::size_t position);

    // Starts reading the texts the rows show, on other threads, in their order, bold in item rows:
    // each item's text and its partner's, on their cards' headings and pages.
    static std::unique_ptr<TextsReadAhead> readRowsAhead(Screenplaydb& story);

private:
    // A click on the link mark of an item row `row`: breaks the item's link after the question,
    // or makes one with a partner chosen in the picker. Answers false: the list shows again.
    bool breakLink(int row);
    bool makeLink(int row);
    // The link changed the indicators of these cards; they, the large card and the list show it.
    void changed(const std::vector<std::int64_t>& cards);
    // The height of the row when its texts wrap in `textWidth`.
    int heightOfRow(int row, int textWidth) const;

    QTableView* tvTable_;
    SetupPayoffTableModel<Side>* model_;
    TextCellDelegate* delegate_;
    RowFitter* fitter_;
    // What the rows' texts measured.
    mutable ThreeRowLists::TextRowHeights heights_;
};

// Starts reading the texts of the list of set-ups or pay-offs that the story file at `path` shows,
// read from the file while the story loads; the texts say which list (TextsReadAhead::Texts::kind,
// the section).
std::unique_ptr<TextsReadAhead> readListAheadFromFile(const QString& path);

class SetupsTableView : public SetupPayoffTableView<SetupSide>
{
public:
    using SetupPayoffTableView::SetupPayoffTableView;
};

class PayoffsTableView : public SetupPayoffTableView<PayoffSide>
{
public:
    using SetupPayoffTableView::SetupPayoffTableView;
};
