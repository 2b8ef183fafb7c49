#include "ItemsTableView.h"

#include "AttachmentLinks.h"
#include "ItemSides.h"
#include "PaneImages.h"
#include "RowFitter.h"
#include "ThreeRowLists.h"
#include "TrackingTableView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"

#include <QAbstractTableModel>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using ThreeRowLists::fontSize;
using ThreeRowLists::kThinRowHeight;

constexpr int kImageColumn = 0;
constexpr int kTextColumn = 1;
constexpr int kImageColumnWidth = 53;
constexpr int kNameRowHeight = 53;

// An item's rows: First its name, Second its description, Spacer a separator.
using ThreeRowLists::Row;
constexpr auto kindOfRow = ThreeRowLists::rowKind;

void showDetail(MyDocument& document, Characterdb* character)
{
    document.showCharacterDetailForCharacter(character);
}

void showDetail(MyDocument& document, SceneLocationdb* location)
{
    document.showLocationDetailForSceneLocation(location);
}

QPixmap pictureFrom(const QByteArray& bytes)
{
    QPixmap picture;
    picture.loadFromData(bytes);
    return picture;
}

} // namespace

// The rows of the list, read from the story each time they are asked for.
template <typename Side>
class ItemsTableModel : public QAbstractTableModel
{
public:
    ItemsTableModel(MyDocument& document, Screenplaydb& story) : document_(document), story_(story) {}

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    void itemChanged(std::size_t position)
    {
        const int first = static_cast<int>(position) * 3;
        emit dataChanged(index(first, 0), index(first + 2, kTextColumn));
    }

    std::size_t itemCount() const { return Side::items(story_).size(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        if (parent.isValid())
            return 0;
        return itemCount() == 0 ? 1 : static_cast<int>(itemCount()) * 3;
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (itemCount() == 0)
            return emptyRow(index, role);
        const auto& item = *Side::items(story_)[static_cast<std::size_t>(index.row() / 3)];
        const Row kind = kindOfRow(index.row());
        const bool separator = kind == Row::Spacer;
        switch (role) {
        case Qt::DecorationRole:
            if (index.column() != kImageColumn || separator)
                return QVariant();
            if (kind == Row::First)
                return pictureFrom(Side::picture(story_, item))
                    .scaled(kNameRowHeight - 4, kNameRowHeight - 4, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            return PaneImages::image(QStringLiteral("zorvin"));
        case Qt::DisplayRole:
            if (index.column() != kTextColumn || separator)
                return QVariant();
            return kind == Row::First ? Side::name(item) : item.description();
        case Qt::FontRole:
            return standardFont(fontSize(story_) + (kind == Row::First ? 1 : 0), kind == Row::First);
        case Qt::BackgroundRole:
            return separator ? document_.standardBackgroundColor() : QColor(Qt::white);
        case Qt::ForegroundRole:
            return separator ? QColor(Qt::white) : QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return static_cast<int>(Qt::AlignLeft | (kind == Row::First ? Qt::AlignVCenter : Qt::AlignTop));
        default:
            return QVariant();
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (itemCount() == 0)
            return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
        switch (kindOfRow(index.row())) {
        case Row::First:
            return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
        case Row::Second:
            return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
        case Row::Spacer:
            break;
        }
        return Qt::ItemIsEnabled | Qt::ItemIsDropEnabled;
    }

private:
    QVariant emptyRow(const QModelIndex& index, int role) const
    {
        switch (role) {
        case Qt::DecorationRole:
            return index.column() == kImageColumn ? QVariant(PaneImages::image(QStringLiteral("zorvin"))) : QVariant();
        case Qt::DisplayRole:
            return index.column() == kTextColumn ? QVariant(QString::fromLatin1(Side::kEmptyText)) : QVariant();
        case Qt::FontRole:
            return standardFont(fontSize(story_), true);
        case Qt::BackgroundRole:
            return document_.standardBackgroundColor();
        case Qt::ForegroundRole:
            return QColor(Qt::white);
        default:
            return QVariant();
        }
    }

    MyDocument& document_;
    Screenplaydb& story_;
};

namespace {

// The table hands drags and drops to its controller.
template <typename Side>
class ItemsTable : public QTableView
{
public:
    explicit ItemsTable(ItemsTableView<Side>& owner) : owner_(owner) {}

    // While the button is down, a row the mouse selected waits for the click: the press may
    // become a drag of the item.
    bool held() const { return held_; }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        dragged_ = false;
        held_ = true;
        QTableView::mousePressEvent(event);
    }

    // A press that became a drag is no click on its row.
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (dragged_) {
            dragged_ = false;
            held_ = false;
            event->accept();
            return;
        }
        QTableView::mouseReleaseEvent(event);
        held_ = false;
    }

    void startDrag(Qt::DropActions) override
    {
        dragged_ = true;
        const QModelIndexList rows = selectionModel()->selectedRows(kTextColumn);
        const QModelIndex current = rows.isEmpty() ? currentIndex() : rows.front();
        guardedCall([&] { ThreeRowLists::startRowDrag(this, current, kImageColumn, owner_.dragData(current.row())); });
        held_ = false;
    }

    void dragEnterEvent(QDragEnterEvent* event) override { answerDrag(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { answerDrag(event); }

    void dropEvent(QDropEvent* event) override
    {
        const QModelIndex target = indexAt(event->position().toPoint());
        bool taken = false;
        guardedCall([&] { taken = target.isValid() && owner_.acceptDrop(event->mimeData(), target.row()); });
        if (taken) {
            event->setDropAction(Qt::LinkAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

private:
    void answerDrag(QDragMoveEvent* event)
    {
        if (owner_.acceptsDrop(event->mimeData()) && (event->possibleActions() & Qt::LinkAction)) {
            event->setDropAction(Qt::LinkAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    ItemsTableView<Side>& owner_;
    bool dragged_ = false;
    bool held_ = false;
};

} // namespace

template <typename Side>
ItemsTableView<Side>::ItemsTableView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QString::fromLatin1(Side::kTableName), parent, screenplay)
{
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(Side::kTableName));
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* table = new ItemsTable<Side>(*this);
    tvTable_ = table;
    tvTable_->setObjectName(QStringLiteral("tvTable"));
    model_ = new ItemsTableModel<Side>(*parent, *screenplay);
    model_->setParent(tvTable_);
    tvTable_->setModel(model_);
    tvTable_->setWordWrap(true);
    tvTable_->setShowGrid(false);
    tvTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvTable_->setDragEnabled(true);
    tvTable_->setAcceptDrops(true);
    tvTable_->setDragDropMode(QAbstractItemView::DragDrop);
    tvTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tvTable_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    tvTable_->horizontalHeader()->hide();
    tvTable_->verticalHeader()->hide();
    tvTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvTable_->horizontalHeader()->setSectionResizeMode(kImageColumn, QHeaderView::Fixed);
    tvTable_->horizontalHeader()->setSectionResizeMode(kTextColumn, QHeaderView::Stretch);
    tvTable_->setColumnWidth(kImageColumn, kImageColumnWidth);
    tvTable_->setIconSize(QSize(kNameRowHeight - 4, kNameRowHeight - 4));
    fitter_ = new RowFitter(*tvTable_, [this](int row, int width) { return heightOfRow(row, width); });
    QObject::connect(tvTable_, &QAbstractItemView::clicked, this,
                     [this](const QModelIndex& index) { guardedCall([&] { rowSelected(index.row()); }); });
    // The arrows choose an item as a click does.
    QObject::connect(tvTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this, table](const QItemSelection& selected) {
                         // A range over a separator holds no row that can be selected.
                         const QModelIndexList rows = selected.indexes();
                         if (table->held() || rows.isEmpty())
                             return;
                         guardedCall([&] { rowSelected(rows.front().row()); });
                     });
    layout->addWidget(tvTable_);
    setView(view);
}

template <typename Side>
ItemsTableView<Side>::~ItemsTableView() = default;

template <typename Side>
void ItemsTableView<Side>::refreshView()
{
    model_->reload();
    tvTable_->setFont(standardFont(fontSize(*screenplay()), false));
    fitter_->reload(ThreeRowLists::textWidth(*this, *tvTable_, kTextColumn));
}

template <typename Side>
void ItemsTableView<Side>::fitRowHeights()
{
    fitter_->fit(ThreeRowLists::textWidth(*this, *tvTable_, kTextColumn));
}

template <typename Side>
bool ItemsTableView<Side>::rowsFitted() const
{
    return fitter_->whole();
}

template <typename Side>
void ItemsTableView<Side>::refreshItem(std::size_t position)
{
    if (position >= model_->itemCount())
        return;
    model_->itemChanged(position);
    const int first = static_cast<int>(position) * 3;
    for (int row = first; row < first + 3; ++row)
        fitter_->refitRow(row);
}

template <typename Side>
int ItemsTableView<Side>::heightOfRow(int row) const
{
    return heightOfRow(row, ThreeRowLists::textWidth(*this, *tvTable_, kTextColumn));
}

template <typename Side>
int ItemsTableView<Side>::heightOfRow(int row, int textWidth) const
{
    const auto& items = Side::items(*screenplay());
    if (items.empty() || kindOfRow(row) == Row::Spacer)
        return kThinRowHeight;
    if (kindOfRow(row) == Row::First)
        return kNameRowHeight;
    const auto position = static_cast<std::size_t>(row / 3);
    if (position >= items.size())
        return kThinRowHeight;
    return heights_.height(*screenplay(), items[position]->description(), false, textWidth, kThinRowHeight);
}

template <typename Side>
void ItemsTableView<Side>::rowSelected(int row)
{
    auto& items = Side::items(*screenplay());
    QPointer<MyDocument> document = myParent();
    if (!items.empty() && kindOfRow(row) == Row::Spacer)
        return;
    if (!items.empty() && kindOfRow(row) == Row::First) {
        // The panel replaces this list, so it is built once the click has been handled. The
        // item is looked up again then, by its key: it may be gone by that time.
        const std::int64_t key = Side::key(*items[static_cast<std::size_t>(row / 3)]);
        Screenplaydb* story = screenplay();
        QTimer::singleShot(0, document, [document, story, key] {
            guardedCall([&] {
                if (document->currentScreenplay() != story)
                    return;
                if (typename Side::Item* item = Side::items(*story).find(key))
                    showDetail(*document, item);
            });
        });
        return;
    }
    document->showHelpForTopic(QString::fromLatin1(Side::kHelpTopic));
    tvTable_->clearSelection();
}

template <typename Side>
std::unique_ptr<QMimeData> ItemsTableView<Side>::dragData(int row) const
{
    const std::size_t count = Side::items(*screenplay()).size();
    if (row < 0 || count == 0 || kindOfRow(row) != Row::First || !RecordPasteboardType::positionForRow(row, count))
        return nullptr;
    return RecordPasteboardType::makeDragData(QString::fromLatin1(Side::kDragType), row, myParent());
}

template <typename Side>
bool ItemsTableView<Side>::acceptsDrop(const QMimeData* data) const
{
    return RecordPasteboardType::value(data, QString::fromLatin1(RecordPasteboardType::kAttachedObject)).has_value()
           && RecordPasteboardType::comesFrom(data, myParent());
}

template <typename Side>
bool ItemsTableView<Side>::acceptDrop(const QMimeData* data, int row)
{
    if (!acceptsDrop(data))
        return false;
    const auto key = RecordPasteboardType::value(data, QString::fromLatin1(RecordPasteboardType::kAttachedObject));
    myParent()->setAttachmentNoteTackDown(*key);
    auto& items = Side::items(*screenplay());
    const auto position = RecordPasteboardType::positionForRow(row, items.size());
    if (!position)
        return false;
    const auto result = AttachmentLinks::link<Side>(*screenplay(), items[*position].get(), *key);
    if (result != AttachmentLinks::LinkResult::Linked)
        return false;
    // A first attachment becomes the item's picture at once.
    refreshItem(*position);
    return true;
}

template class ItemsTableView<CharacterSide>;
template class ItemsTableView<LocationSide>;
