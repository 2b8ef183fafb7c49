#pragma once

#include "app/BaseViewController.h"

#include <QModelIndex>

#include <cstdint>
#include <vector>

class QCheckBox;
class QPushButton;
class QTableView;
class SceneCarddb;
class ScenePayoffdb;
class SceneSetupdb;
class TextCellDelegate;
class TrackingTableView;

// The Set-ups tab (tab 2) and its mirror, the Pay-offs tab (tab 3), of the large scene card:
// the set-ups (pay-offs) on the card and, with "Show all" on, the free ones that lie on no card,
// the free ones first, each group by text without regard to case. The writer adds one to the
// card, edits its text in place, deletes it (after a question), ticks it onto the card or off it
// (it becomes free and keeps its link), links it to a partner chosen in the picker, breaks the
// link (after a question) and jumps to the partner's card.
//
// Columns: 0 "included" (a check box), 1 the item's own text, 2 the partner's full description,
// 3 the link mark ("BreakTheLink", "Link" or none), 4 the jump mark ("JumpStraightTo" or none).
// Each row is a key, looked up in the story whenever it is shown, so a row whose record is gone
// shows nothing and does nothing. Every change is written at once (SetupPayoffLinks) and the
// indicators of every card it touches, on the board and on the large card, follow it.
//
// The large card owns the controller; the card and the story are not owned.
class BigSceneSetupsView : public BaseViewController
{
    Q_OBJECT

public:
    enum Kind { Setups, Payoffs };
    enum Column { Included = 0, OwnText = 1, Partner = 2, LinkMark = 3, JumpTo = 4, ColumnCount = 5 };
    // The name of the image a cell shows ("" for none), for the tests and the tool tips.
    static constexpr int kImageNameRole = Qt::UserRole + 1;
    static constexpr int kLeastRowHeight = 53;
    // How far above the page's foot the table ends; the buttons stand below it.
    static constexpr int kTableFoot = 33;

    BigSceneSetupsView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene) :
        BigSceneSetupsView(Setups, parent, screenplay, scene)
    {
    }
    ~BigSceneSetupsView() override;

    Kind kind() const { return kind_; }
    SceneCarddb* scene() const { return scene_; }
    void setScene(SceneCarddb* scene) { scene_ = scene; }

    // Lists the rows again from the story.
    void refreshView();
    // Adds an empty item to the card, selects it and opens its text for editing, all selected.
    void add();
    // Asks, then deletes the selected row's item; nothing without a selection.
    void deleteSelected();
    // A press on a cell: acts on it and answers whether the table takes the press.
    bool shouldTrackCell(const QModelIndex& index);
    // Stores an edited text (any text, the empty one included); `show` refreshes the views that
    // show it (the end of the edit), otherwise it is stored as it is being typed.
    void setText(int row, const QString& text, bool show = true);

    int rowCount() const { return static_cast<int>(keys_.size()); }
    // The row's record, or nothing (another kind, a row out of range, a record that is gone).
    SceneSetupdb* setupAt(int row) const;
    ScenePayoffdb* payoffAt(int row) const;
    // The row's height: the taller of its own text and its partner's description at their
    // columns' widths, at least kLeastRowHeight.
    int heightOfRow(int row) const;

    TrackingTableView* tvTable() const { return tvTable_; }
    QCheckBox* chkShowAll() const { return chkShowAll_; }
    QPushButton* cmdAddButton() const { return cmdAddButton_; }
    QPushButton* cmdDeleteButton() const { return cmdDeleteButton_; }

protected:
    BigSceneSetupsView(Kind kind, MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class BigSceneLinksModel;

    void fitRowHeights();
    // Reloads the table without listing again (texts or marks changed).
    void reloadTable();
    // After a change: the touched cards' indicators, the story-elements lists, the rows.
    void changed(const std::vector<std::int64_t>& cards, bool relist);
    void toggleIncluded(int row);
    bool breakLink(int row);
    bool makeLink(int row);
    bool jump(int row);
    std::int64_t sceneCardID() const;

    Kind kind_;
    SceneCarddb* scene_ = nullptr;
    std::vector<std::int64_t> keys_;
    TrackingTableView* tvTable_ = nullptr;
    // The table's viewport, whose resizes fit the rows: compared by address only, since the table is no longer a
    // table while it is being destroyed and its viewport still sends events.
    const QObject* tableViewport_ = nullptr;
    class BigSceneLinksModel* model_ = nullptr;
    TextCellDelegate* delegate_ = nullptr;
    QCheckBox* chkShowAll_ = nullptr;
    QPushButton* cmdAddButton_ = nullptr;
    QPushButton* cmdDeleteButton_ = nullptr;
};

// The Pay-offs tab: the same with pay-offs, their set-ups as partners.
class BigScenePayoffsView : public BigSceneSetupsView
{
    Q_OBJECT

public:
    BigScenePayoffsView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene) :
        BigSceneSetupsView(Payoffs, parent, screenplay, scene)
    {
    }
};
