#pragma once

#include "app/BaseViewController.h"

#include <QModelIndex>
#include <QVariant>

#include <cstdint>
#include <vector>

class QCheckBox;
class SceneCarddb;
class TrackingTableView;

// What the Characters and Attachments tabs of the large scene card have in common: a table of
// the story's characters (attachments) linked to the card and, with "Show all" on, every other
// one as an unticked row; linked rows first, then by name without regard to case. Ticking a
// row links it to the card, unticking removes the link, both written at once; a linked row's
// description of the item in this scene is edited in place. Rows are at least kLeastRowHeight
// high and as high as their description needs in the 12-point system font.
//
// A row keeps keys, not records: a linked row is looked up in the story whenever it is shown
// or clicked, so a row whose link is gone shows nothing and does nothing. The large card owns the
// controller; the card and the story are not owned.
class BigSceneLinkedItemsView : public BaseViewController
{
    Q_OBJECT

public:
    static constexpr int kLeastRowHeight = 53;
    // How far above the page's foot the table ends; the show-all box stands below it.
    static constexpr int kTableFoot = 32;
    // The name of the image a cell shows ("" for none), for the tests.
    static constexpr int kImageNameRole = Qt::UserRole + 1;
    static constexpr int kIncludedColumn = 0;

    // One row: a link of the card (linkID above 0) or an item not in the scene (linkID 0),
    // whose description is the item's own, copied when the row was made.
    struct Row {
        std::int64_t linkID = 0;
        std::int64_t itemID = 0;
        QString name;
        QString description;
    };

    ~BigSceneLinkedItemsView() override;

    SceneCarddb* scene() const { return scene_; }
    void setScene(SceneCarddb* scene) { scene_ = scene; }
    // Lists the rows again from the story.
    void refreshView();
    // A press on a cell: acts on it and answers whether the table takes the press.
    bool shouldTrackCell(const QModelIndex& index);
    // Stores an edited description on a linked row; `show` shows it in the rows (the end of
    // the edit), otherwise it is stored as it is being typed.
    void setDescription(int row, const QString& text, bool show = true);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<Row>& rows() const { return rows_; }
    int descriptionColumn() const { return descriptionColumn_; }
    int heightOfRow(int row) const;

    TrackingTableView* tvTable() const { return tvTable_; }
    QCheckBox* chkShowAll() const { return chkShowAll_; }

protected:
    BigSceneLinkedItemsView(const QString& nibName, MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene,
                            int descriptionColumn, const QString& showAllTitle);
    // Builds the table; a subclass calls it once its own part is ready.
    void finishView(const std::vector<int>& fixedColumns, int fixedWidth);
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::int64_t sceneCardID() const;
    // The card's links, and the rows of the items that are not in the scene.
    virtual std::vector<Row> linkedRows() const = 0;
    virtual std::vector<Row> otherRows(const std::vector<std::int64_t>& linkedItems) const = 0;
    // A cell's value in a column other than "included" and the description.
    virtual QVariant cellData(const Row& row, int column, int role) const = 0;
    virtual QString columnTitle(int column) const = 0;
    // Links (unlinks) the row's item; answers whether the story changed.
    virtual bool include(const Row& row) = 0;
    virtual bool exclude(const Row& row) = 0;
    // A click in a column of the subclass's own; answers whether the table takes the press.
    virtual bool clickedInColumn(const Row&, int) { return false; }
    // Writes the linked row's description.
    virtual void storeDescription(const Row& row, const QString& text) = 0;
    // After a link was made or removed.
    virtual void linksChanged() {}

private:
    friend class BigSceneLinkedItemsModel;

    void fitRowHeights();

    SceneCarddb* scene_ = nullptr;
    int descriptionColumn_;
    std::vector<Row> rows_;
    TrackingTableView* tvTable_ = nullptr;
    // The table's viewport, whose resizes fit the rows: compared by address only, since the table is no longer a
    // table while it is being destroyed and its viewport still sends events.
    const QObject* tableViewport_ = nullptr;
    class BigSceneLinkedItemsModel* model_ = nullptr;
    QCheckBox* chkShowAll_ = nullptr;
};
