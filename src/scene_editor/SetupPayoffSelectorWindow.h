#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QDialog>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QPushButton;
class QTableView;
class ScenePayoffdb;
class SceneSetupdb;
class Screenplaydb;

// One row of the set-up and pay-off picker: a coloured bar, a heading, a beat heading or a
// candidate to choose. Only a candidate has a record (of the story, not owned).
struct SetupPayoffSelector {
    enum ItemType : std::int64_t { Bar = 1, Heading = 2, BeatHeading = 3, Candidate = 4 };

    std::int64_t itemType = Bar;
    // The row's text; empty for bars.
    QString description;
    // The candidate: a set-up or a pay-off, by the picker's kind.
    SceneSetupdb* setup = nullptr;
    ScenePayoffdb* payoff = nullptr;

    // The candidate's key; 0 for the other rows.
    std::int64_t key() const;
};

// The picker's rows as a one-column table: text, colours, font and alignment by row kind; only
// candidates can be selected. The rows belong to the picker.
class SetupPayoffSelectorModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit SetupPayoffSelectorModel(QObject* parent = nullptr);

    void setItems(std::vector<SetupPayoffSelector> items);
    const std::vector<SetupPayoffSelector>& items() const { return items_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<SetupPayoffSelector> items_;
};

// The modal window in which the writer chooses the partner of a link: a set-up for a pay-off,
// or a pay-off for a set-up. It lists the unlinked candidates of the wanted kind, the free ones
// (on no card) first, then those on the cards of each board beat of the four sections in board
// order, each with its card's heading and page. A click on a candidate chooses it and ends the
// modal run with code 1; the Cancel button ends it with 0. The picker changes no record: the
// caller makes the link (SetupPayoffLinks::link).
//
// The simplest use is `choose`, which runs the whole round. The story is not owned and must
// outlive the picker.
class SetupPayoffSelectorWindow : public QDialog
{
    Q_OBJECT

public:
    enum SelectionType : std::int64_t { ChooseSetup = 1, ChoosePayoff = 2 };

    SetupPayoffSelectorWindow(const QString& nibName, Screenplaydb* screenplay, QWidget* parent = nullptr);

    // Opens a picker of that kind over `parent` painted in `background`, runs it modally and
    // answers the key of the chosen set-up (pay-off); nothing when the writer cancelled or when
    // the story has no unlinked record of that kind (then no window opens).
    static std::optional<std::int64_t> choose(Screenplaydb& story, SelectionType type, QWidget* parent,
                                              const QColor& background);

    // The rows for a kind, in display order: a pure function of the story.
    static std::vector<SetupPayoffSelector> rowsFor(Screenplaydb& story, SelectionType type);

    // Rebuilds the rows for the kind, titles the window and forgets any earlier choice.
    void setSelectionType(SelectionType type);
    SelectionType selectionType() const { return selectionType_; }
    const std::vector<SetupPayoffSelector>& items() const { return model_.items(); }
    Screenplaydb* screenplay() const { return screenplay_; }
    // The chosen candidate once the run ended with code 1; nothing otherwise.
    SceneSetupdb* selectedSetup() const { return selectedSetup_; }
    ScenePayoffdb* selectedPayoff() const { return selectedPayoff_; }

    // Runs the window modally (through ModalDialogs); answers 1 (chosen) or 0 (cancelled).
    int runModal();
    // The Cancel button: ends the run with code 0.
    void closeWindow();

    QTableView* tvTable() const { return tvTable_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    // Row heights: bars 8, headings 18, candidates at least 40 and as high as their text needs
    // in the bold 12-point font at the table's width.
    static int heightOfRow(const SetupPayoffSelector& row, int tableWidth);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitRowHeights();
    void rowChosen(int row);

    Screenplaydb* screenplay_;
    SelectionType selectionType_ = ChoosePayoff;
    SetupPayoffSelectorModel model_;
    QTableView* tvTable_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    SceneSetupdb* selectedSetup_ = nullptr;
    ScenePayoffdb* selectedPayoff_ = nullptr;
};
