#pragma once

#include "app/BaseViewController.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>

class BeatsTableModel;
class Beatdb;
class QModelIndex;
class QTableView;

// The beat sheet of the story-elements pane: two rows per beat, a title row with the beat's
// label and page range on the document's colour and a white description row that the writer
// edits in place. Beats can be written only once the story has a title, a current logline
// and a genre. A stored description goes on to the beat's card on the board; the edit that
// completes the beat sheet of a story without cards brings the initial beat cards.
class BeatsTableView : public BaseViewController
{
    Q_OBJECT

public:
    BeatsTableView(MyDocument* parent, Screenplaydb* screenplay);
    ~BeatsTableView() override;

    QTableView* tvTable() const { return tvTable_; }

    // Reloads every row from the story, with its font, page ranges and row heights; an open
    // editor closes without writing.
    void refreshView();
    // Shows the story's texts and fits the row heights again, leaving an open editor open.
    void refreshTexts();
    // The same for one beat's description alone: an editor open on another beat keeps what is
    // being typed into it.
    void showBeatText(std::int64_t beatNumber);

    // Whether the beats may be written: title, current logline text and genre are all set.
    static bool beatsAreEditable(const Screenplaydb& story);
    // The beat shown in a table row: row / 2 + 1.
    static std::int64_t beatNumberForRow(int row) { return row / 2 + 1; }

    // A title row is 20 high; a description row fits its text in the pane's width, at
    // least 30.
    int heightOfRow(int row) const;
    // A click on a cell: the mascot of a title row asks for the beat's help (the click goes
    // no further: answers false); a description opens for editing, or, while the beats
    // cannot be written, the "Edit Beat" alert explains why.
    bool shouldTrackCell(const QModelIndex& index);
    // Stores an edited description of the row's beat; its beat card follows. An editor left
    // without a change writes nothing.
    void setDescription(int row, const QString& text);
    // The description as it is being typed: the beat and its board cards' copy are written
    // together, without the work that ends the edit. Typing that brings the beat back to the
    // text it had before the edit was typed into (Escape does) gives its cards back their own
    // texts too.
    void storeTypedDescription(int row, const QString& text);

private:
    // Tab arriving at the table: the beat last edited (or the first; the last, coming back with
    // Shift+Tab) opens with its text selected. Answers false while the beats cannot be written.
    bool editBeatFromKeyboard(bool back);

    // What an edit's typing has written over: the beat's text and its board cards' texts (by
    // row id) as they stood before.
    struct TypedEdit {
        int row;
        QString beatBefore;
        std::map<std::int64_t, QString> cardsBefore;
    };

    void fitRowHeights();
    // Writes the beat's text and its board cards' copy in one transaction, and shows them.
    void writeBeat(Beatdb& beat, const QString& text, const std::map<std::int64_t, QString>& cardTexts = {});

    QTableView* tvTable_;
    BeatsTableModel* model_;
    // The edit whose typing has been written since its editor opened: its beat and cards
    // already hold the text.
    std::optional<TypedEdit> typed_;
};
