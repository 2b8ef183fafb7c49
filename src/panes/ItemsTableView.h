#pragma once

#include "ThreeRowLists.h"
#include "app/BaseViewController.h"

#include <cstdint>
#include <memory>

class QMimeData;
class QModelIndex;
class QTableView;
class RowFitter;
struct CharacterSide;
struct LocationSide;
template <typename Side>
class ItemsTableModel;

// The characters or the locations of the story in the story-elements pane (Side: CharacterSide
// or LocationSide, ItemSides.h). Each item takes three rows: its name beside its picture, its
// description beside the help mascot, and a separator in the document's colour; a story
// without items shows the one row "No Characters" ("No Locations"). A click on a name, or the
// name selected from the keyboard, opens the item's detail panel in place of the list; a
// description clicked or selected shows the section's help.
// An item is dragged onto scene cards by its name row, and an attachment note dropped on any of
// an item's rows is linked to it. The controller lives while its section shows.
template <typename Side>
class ItemsTableView : public BaseViewController
{
public:
    ItemsTableView(MyDocument* parent, Screenplaydb* screenplay);
    ~ItemsTableView() override;

    QTableView* tvTable() const { return tvTable_; }

    // Reloads every row from the story, with its font; the rows fit as fitRowHeights has them.
    void refreshView();
    // Every row takes the height its text needs in the pane's width, as the pane changes size:
    // those in sight at once, the others soon after (RowFitter).
    void fitRowHeights();
    // Whether every row has the height its text needs in the pane's width.
    bool rowsFitted() const;
    // The rows of the item at `position` show it again (its name, picture or description changed).
    void refreshItem(std::size_t position);

    // 20 for the empty-list row and separators, 53 for name rows; a description fits its text
    // in the pane's width, at least 20.
    int heightOfRow(int row) const;
    // A click on `row`, or `row` selected from the keyboard: a name row opens its item's panel
    // once the event is handled; a description row or the empty-list row shows the help and is
    // deselected; a separator does nothing.
    void rowSelected(int row);
    // The drag data of a drag that starts on `row`: nothing unless it is a name row.
    std::unique_ptr<QMimeData> dragData(int row) const;
    // Whether a drop of `data` on `row` is taken: an attachment of this story dropped on one
    // of an item's rows, linked to that item unless it already has it.
    bool acceptsDrop(const QMimeData* data) const;
    bool acceptDrop(const QMimeData* data, int row);

private:
    // The height of the row when its texts wrap in `textWidth`.
    int heightOfRow(int row, int textWidth) const;

    QTableView* tvTable_;
    ItemsTableModel<Side>* model_;
    RowFitter* fitter_;
    // What the descriptions measured.
    mutable ThreeRowLists::TextRowHeights heights_;
};

class CharactersTableView : public ItemsTableView<CharacterSide>
{
public:
    using ItemsTableView::ItemsTableView;
};

class LocationsTableView : public ItemsTableView<LocationSide>
{
public:
    using ItemsTableView::ItemsTableView;
};
