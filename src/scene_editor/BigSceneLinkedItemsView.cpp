#include "BigSceneLinkedItemsView.h"

#include "TabPageLayout.h"
#include "app/GuardedCall.h"
#include "app/SmallViews.h"
#include "model/SceneCarddb.h"
#include "model/SceneSetupdb.h"
#include "panes/TrackingTableView.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>

#include <algorithm>

namespace {

// In pixels, as the card's own fields are.
QFont descriptionFont()
{
    return standardFont(12, false);
}

} // namespace

// The rows of a Characters or Attachments tab.
class BigSceneLinkedItemsModel : public QAbstractTableModel
{
public:
    BigSceneLinkedItemsModel(BigSceneLinkedItemsView& owner, int columns) : owner_(owner), columns_(columns) {}

    void reload()
    {
        beginResetModel();
        endResetModel();
    }
    void showChanges()
    {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columns_ - 1));
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : owner_.rowCount();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : columns_; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const BigSceneLinkedItemsView::Row& row = owner_.rows_[static_cast<std::size_t>(index.row())];
        if (index.column() == BigSceneLinkedItemsView::kIncludedColumn)
            return role == Qt::CheckStateRole ? QVariant(row.linkID > 0 ? Qt::Checked : Qt::Unchecked) : QVariant();
        if (index.column() == owner_.descriptionColumn()) {
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return row.description;
            if (role == Qt::FontRole)
                return descriptionFont();
            return {};
        }
        return owner_.cellData(row, index.column(), role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return owner_.columnTitle(section);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return Qt::NoItemFlags;
        const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const bool linked = owner_.rows_[static_cast<std::size_t>(index.row())].linkID > 0;
        return index.column() == owner_.descriptionColumn() && linked ? flags | Qt::ItemIsEditable : flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || index.column() != owner_.descriptionColumn())
            return false;
        // Text still being typed is stored as it stands; the rows show it when the edit ends.
        if (role == TextCellDelegate::kTypedTextRole)
            return guardedCall([&] { owner_.setDescription(index.row(), value.toString(), false); });
        if (role != Qt::EditRole)
            return false;
        return guardedCall([&] { owner_.setDescription(index.row(), value.toString()); });
    }

private:
    BigSceneLinkedItemsView& owner_;
    int columns_;
};

BigSceneLinkedItemsView::BigSceneLinkedItemsView(const QString& nibName, MyDocument* parent, Screenplaydb* screenplay,
                                                 SceneCarddb* scene, int descriptionColumn,
                                                 const QString& showAllTitle)
    : BaseViewController(nibName, parent, screenplay), scene_(scene), descriptionColumn_(descriptionColumn)
{
    auto* view = new QWidget;
    view->setObjectName(nibName);
    chkShowAll_ = new QCheckBox(showAllTitle, view);
    chkShowAll_->setObjectName(QStringLiteral("chkShowAll"));
    chkShowAll_->setFocusPolicy(Qt::NoFocus);
    tvTable_ = new TrackingTableView(view);
    tvTable_->setObjectName(QStringLiteral("tvTable"));
    auto* buttons = new QWidget(view);
    auto* controls = new QHBoxLayout(buttons);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(chkShowAll_);
    controls->addStretch();
    auto* layout = new TabPageLayout(view, kTableFoot);
    layout->addWidget(tvTable_);
    layout->addWidget(buttons);
    setView(view);
}

BigSceneLinkedItemsView::~BigSceneLinkedItemsView() = default;

void BigSceneLinkedItemsView::finishView(const std::vector<int>& fixedColumns, int fixedWidth)
{
    model_ = new BigSceneLinkedItemsModel(*this, descriptionColumn_ + 1);
    model_->setParent(tvTable_);
    tvTable_->setModel(model_);
    tvTable_->setItemDelegate(new TextCellDelegate(QStringLiteral("descriptionEditor"), tvTable_));
    tvTable_->setShouldTrackCell([this](const QModelIndex& index) { return shouldTrackCell(index); });
    tvTable_->setUpAsList();
    QHeaderView* header = tvTable_->horizontalHeader();
    header->setSectionResizeMode(kIncludedColumn, QHeaderView::Fixed);
    tvTable_->setColumnWidth(kIncludedColumn, 28);
    for (int column : fixedColumns) {
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        tvTable_->setColumnWidth(column, fixedWidth);
    }
    header->setSectionResizeMode(descriptionColumn_, QHeaderView::Stretch);
    tvTable_->setIconSize(QSize(fixedWidth - 4, kLeastRowHeight - 6));
    tableViewport_ = tvTable_->viewport();
    tvTable_->viewport()->installEventFilter(this);
    connect(chkShowAll_, &QCheckBox::toggled, this, [this] { guardedCall([this] { refreshView(); }); });
}

std::int64_t BigSceneLinkedItemsView::sceneCardID() const
{
    return scene_ ? scene_->sceneCardID() : -1;
}

void BigSceneLinkedItemsView::refreshView()
{
    rows_.clear();
    if (scene_ && screenplay()) {
        rows_ = linkedRows();
        if (chkShowAll_->isChecked()) {
            std::vector<std::int64_t> linked;
            for (const Row& row : rows_)
                linked.push_back(row.itemID);
            std::vector<Row> others = otherRows(linked);
            rows_.insert(rows_.end(), others.begin(), others.end());
        }
        std::stable_sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
            if ((a.linkID > 0) != (b.linkID > 0))
                return a.linkID > 0;
            return compareTextIgnoringCase(a.name, b.name) < 0;
        });
    }
    model_->reload();
    fitRowHeights();
}

void BigSceneLinkedItemsView::fitRowHeights()
{
    for (int row = 0; row < rowCount(); ++row)
        tvTable_->verticalHeader()->resizeSection(row, heightOfRow(row));
}

int BigSceneLinkedItemsView::heightOfRow(int row) const
{
    if (row < 0 || row >= rowCount())
        return kLeastRowHeight;
    return std::max(kLeastRowHeight,
                    TextCellDelegate::heightForText(rows_[static_cast<std::size_t>(row)].description, descriptionFont(),
                                                    tvTable_->columnWidth(descriptionColumn_)));
}

bool BigSceneLinkedItemsView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tableViewport_ && event->type() == QEvent::Resize)
        fitRowHeights();
    return BaseViewController::eventFilter(watched, event);
}

bool BigSceneLinkedItemsView::shouldTrackCell(const QModelIndex& index)
{
    if (!scene_ || !screenplay() || index.row() < 0 || index.row() >= rowCount())
        return false;
    // A copy: the row list is rebuilt by what the click does.
    const Row row = rows_[static_cast<std::size_t>(index.row())];
    if (index.column() == kIncludedColumn) {
        if (row.linkID > 0 ? exclude(row) : include(row))
            linksChanged();
        refreshView();
        // The rows are sorted again: the highlight goes with the item ticked, wherever it now
        // stands, not to whatever took its row.
        const auto ticked = std::find_if(rows_.begin(), rows_.end(),
                                          [&row](const Row& each) { return each.itemID == row.itemID; });
        if (ticked != rows_.end()) {
            const QModelIndex moved = model_->index(static_cast<int>(ticked - rows_.begin()), kIncludedColumn);
            tvTable_->setCurrentIndex(moved);
            tvTable_->scrollTo(moved);
        }
        return false;
    }
    if (index.column() == descriptionColumn_) {
        if (row.linkID > 0) {
            tvTable_->setCurrentIndex(index);
            tvTable_->edit(index);
        }
        return false;
    }
    return clickedInColumn(row, index.column());
}

void BigSceneLinkedItemsView::setDescription(int row, const QString& text, bool show)
{
    if (row >= 0 && row < rowCount() && rows_[static_cast<std::size_t>(row)].linkID > 0
        && rows_[static_cast<std::size_t>(row)].description != text) {
        storeDescription(rows_[static_cast<std::size_t>(row)], text);
        rows_[static_cast<std::size_t>(row)].description = text;
    }
    if (!show)
        return;
    model_->showChanges();
    fitRowHeights();
}
