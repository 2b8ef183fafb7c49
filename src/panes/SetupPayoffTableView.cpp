#include "SetupPayoffTableView.h"

#include "PaneImages.h"
#include "RowFitter.h"
#include "SetupPayoffSides.h"
#include "ThreeRowLists.h"
#include "TrackingTableView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "app/TextsReadAhead.h"
#include "model/SceneCarddb.h"
#include "model/SetupPayoffTexts.h"
#include "platform/Platform.h"
#include "scene_editor/SetupPayoffSelectorWindow.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <atomic>
#include <optional>
#include <unordered_map>


namespace {

using ThreeRowLists::fontSize;
using ThreeRowLists::kThinRowHeight;

constexpr int kImageColumn = 0;
constexpr int kTextColumn = 1;
constexpr int kJumpColumn = 2;
constexpr int kMarkColumnWidth = 30;
constexpr int kLeastTextRowHeight = 53;

// An item's rows: First the item, Second its partner, Spacer a spacer.
using ThreeRowLists::Row;
constexpr auto kindOfRow = ThreeRowLists::rowKind;

QPixmap mark(const char* name)
{
    return PaneImages::image(QString::fromLatin1(name));
}

// Opens the large card on the card `sceneCardID` at `tab` once the click that asked for it
// has been handled: the large card takes the board's place, and the card is looked up again
// then, as it may be gone by that time.
void jumpLater(MyDocument* parent, Screenplaydb* story, std::int64_t sceneCardID, std::int64_t tab)
{
    QPointer<MyDocument> document = parent;
    QTimer::singleShot(0, document, [document, story, sceneCardID, tab] {
        guardedCall([&] {
            if (document->currentScreenplay() != story)
                return;
            if (SceneCarddb* card = story->sceneCardForSceneCardID(sceneCardID))
                document->openBigSceneCard(card, tab);
        });
    });
}

// A text on the card `cardID` as the rows show it (Screenplaydb::fullDescriptionForSetup).
QString describedOnCard(const SetupPayoffTexts& values, std::int64_t cardID, const QString& text)
{
    const auto card = cardID > 0 ? values.cards.find(cardID) : values.cards.end();
    if (card == values.cards.end())
        return text;
    return Screenplaydb::describeOnPage(card->second.heading, card->second.page, text);
}

// The texts the rows of Side's list show, in their order, bold in item rows (face 1), with the
// lists' fonts as faces.
template <typename Side>
TextsReadAhead::Texts listTexts(const SetupPayoffTexts& values)
{
    TextsReadAhead::Texts texts;
    const std::array<QFont, 2> fonts = ThreeRowLists::fonts(ThreeRowLists::fontSizeFor(values.fontSetting));
    texts.faces.assign(fonts.begin(), fonts.end());
    texts.kind = Side::kSection;
    const auto add = [&](std::int64_t cardID, const QString& text, bool bold) {
        texts.texts.push_back({describedOnCard(values, cardID, text), static_cast<std::uint8_t>(bold)});
    };
    if constexpr (Side::kSection == SetupSide::kSection) {
        std::unordered_map<std::int64_t, const SetupPayoffTexts::Payoff*> payoffs;
        for (const SetupPayoffTexts::Payoff& payoff : values.payoffs)
            payoffs.emplace(payoff.payoffID, &payoff);
        for (const SetupPayoffTexts::Setup& setup : values.setups) {
            add(setup.cardID, setup.text, true);
            if (const auto partner = setup.payoffID != 0 ? payoffs.find(setup.payoffID) : payoffs.end();
                partner != payoffs.end())
                add(partner->second->cardID, partner->second->text, false);
        }
    } else {
        std::unordered_map<std::int64_t, const SetupPayoffTexts::Setup*> setups;
        for (const SetupPayoffTexts::Setup& setup : values.setups)
            setups.emplace(setup.payoffID, &setup);
        for (const SetupPayoffTexts::Payoff& payoff : values.payoffs) {
            add(payoff.cardID, payoff.text, true);
            if (const auto partner = setups.find(payoff.payoffID); partner != setups.end())
                add(partner->second->cardID, partner->second->text, false);
        }
    }
    return texts;
}

} // namespace

std::unique_ptr<TextsReadAhead> readListAheadFromFile(const QString& path)
{
    return std::make_unique<TextsReadAhead>(
        [path](const std::atomic<bool>& stop) -> std::optional<TextsReadAhead::Texts> {
            const std::optional<SetupPayoffTexts> values = readSetupPayoffTexts(
                path,
                [](std::int64_t section) {
                    return section == SetupSide::kSection || section == PayoffSide::kSection;
                },
                stop);
            if (values && values->sectionShowing == SetupSide::kSection)
                return listTexts<SetupSide>(*values);
            if (values && values->sectionShowing == PayoffSide::kSection)
                return listTexts<PayoffSide>(*values);
            return std::nullopt;
        });
}

// The rows of the list, read from the story each time they are asked for.
template <typename Side>
class SetupPayoffTableModel : public QAbstractTableModel
{
public:
    SetupPayoffTableModel(SetupPayoffTableView<Side>& owner, MyDocument& document, Screenplaydb& story)
        : owner_(owner), document_(document), story_(story)
    {
    }

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    void itemChanged(std::size_t position)
    {
        const int first = static_cast<int>(position) * 3;
        emit dataChanged(index(first, 0), index(first + 2, kJumpColumn));
    }

    std::size_t itemCount() const { return Side::items(story_).size(); }

    // The item of a row, or nothing for the empty row or a row past the last item.
    typename Side::Item* itemOfRow(int row) const
    {
        const auto position = RecordPasteboardType::positionForRow(row, itemCount());
        return position ? Side::items(story_)[*position].get() : nullptr;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        if (parent.isValid())
            return 0;
        return itemCount() == 0 ? 1 : static_cast<int>(itemCount()) * 3;
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 3; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const typename Side::Item* item = itemOfRow(index.row());
        if (!item)
            return emptyRow(index, role);
        const Row kind = kindOfRow(index.row());
        if (kind == Row::Spacer) {
            if (role == Qt::BackgroundRole)
                return document_.standardBackgroundColor();
            return role == Qt::ForegroundRole ? QVariant(QColor(Qt::white)) : QVariant();
        }
        const typename Side::Partner* partner = Side::partner(story_, *item);
        switch (role) {
        case Qt::DecorationRole:
            if (index.column() == kImageColumn)
                return kind == Row::First ? mark("zorvin") : partner ? mark("BreakTheLink") : linkMark();
            if (index.column() == kJumpColumn) {
                const std::int64_t card = kind == Row::First ? item->sceneCardID()
                                          : partner          ? partner->sceneCardID()
                                                             : 0;
                return mark(card >= 1 ? "JumpStraightTo" : "BlankZorvin");
            }
            return QVariant();
        case Qt::DisplayRole:
            if (index.column() != kTextColumn)
                return QVariant();
            if (kind == Row::First)
                return Side::description(story_, *item);
            return partner ? Side::partnerDescription(story_, *partner) : QString::fromLatin1(Side::kNoPartnerText);
        case Qt::EditRole:
            return index.column() == kTextColumn && kind == Row::First ? QVariant(Side::text(*item)) : QVariant();
        case Qt::FontRole:
            return standardFont(fontSize(story_), kind == Row::First);
        case Qt::BackgroundRole:
            return QColor(Qt::white);
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return static_cast<int>(Qt::AlignLeft | Qt::AlignTop);
        default:
            return QVariant();
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const typename Side::Item* item = itemOfRow(index.row());
        if (!item)
            return Qt::ItemIsEnabled;
        const Row kind = kindOfRow(index.row());
        // A spacer takes no part: no selection, and the keyboard passes over it.
        if (kind == Row::Spacer)
            return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        // Only a free item is edited here and dragged onto a card: one on a card is the card's.
        if (kind == Row::First && item->sceneCardID() < 1) {
            flags |= Qt::ItemIsDragEnabled;
            if (index.column() == kTextColumn)
                flags |= Qt::ItemIsEditable;
        }
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (index.column() != kTextColumn || kindOfRow(index.row()) != Row::First)
            return false;
        if (role == TextCellDelegate::kTypedTextRole)
            return guardedCall([&] { owner_.storeTypedText(index.row(), value.toString()); });
        if (role != Qt::EditRole)
            return false;
        return guardedCall([&] { owner_.setText(index.row(), value.toString()); });
    }

private:
    QPixmap linkMark() const
    {
        const bool offered = !Side::kLinkMarkOnlyWithFreePartner || Side::partnerToLinkExists(story_);
        return mark(offered ? "Link" : "BlankZorvin");
    }

    QVariant emptyRow(const QModelIndex& index, int role) const
    {
        switch (role) {
        case Qt::DecorationRole:
            return index.column() == kImageColumn ? QVariant(mark("zorvin")) : QVariant();
        case Qt::DisplayRole:
            return index.column() == kTextColumn ? QVariant(QString::fromLatin1(Side::kEmptyText)) : QVariant();
        case Qt::FontRole:
            return standardFont(fontSize(story_), true);
        case Qt::BackgroundRole:
            return index.column() == kImageColumn ? QVariant(QColor(Qt::white))
                                                  : QVariant(document_.standardBackgroundColor());
        case Qt::ForegroundRole:
            return QColor(Qt::white);
        default:
            return QVariant();
        }
    }

    SetupPayoffTableView<Side>& owner_;
    MyDocument& document_;
    Screenplaydb& story_;
};

namespace {

// The table: a click (a press and release without a drag) on a text opens it for editing; a
// drag starts through the controller.
template <typename Side>
class SetupPayoffTable : public TrackingTableView
{
public:
    explicit SetupPayoffTable(SetupPayoffTableView<Side>& owner) : owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        pressed_ = indexAt(event->position().toPoint());
        dragged_ = false;
        TrackingTableView::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const QModelIndex index = indexAt(event->position().toPoint());
        const bool click = !dragged_ && pressed_.isValid() && index == pressed_;
        pressed_ = QPersistentModelIndex();
        if (dragged_) {
            dragged_ = false;
            event->accept();
            return;
        }
        QTableView::mouseReleaseEvent(event);
        if (click && index.column() == kTextColumn && (index.flags() & Qt::ItemIsEditable))
            edit(index);
    }

    void startDrag(Qt::DropActions) override
    {
        dragged_ = true;
        const QModelIndex current = currentIndex();
        guardedCall([&] { ThreeRowLists::startRowDrag(this, current, kImageColumn, owner_.dragData(current.row())); });
    }

private:
    SetupPayoffTableView<Side>& owner_;
    QPersistentModelIndex pressed_;
    bool dragged_ = false;
};

} // namespace

template <typename Side>
SetupPayoffTableView<Side>::SetupPayoffTableView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QString::fromLatin1(Side::kTableName), parent, screenplay)
{
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(Side::kTableName));
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* table = new SetupPayoffTable<Side>(*this);
    // A press on a row that cannot be selected goes no further; any other asks the controller.
    table->setShouldTrackCell([this](const QModelIndex& index) {
        return shouldSelectRow(index.row()) && shouldTrackCell(index);
    });
    table->setUpAsList();
    tvTable_ = table;
    tvTable_->setObjectName(QStringLiteral("tvTable"));
    model_ = new SetupPayoffTableModel<Side>(*this, *parent, *screenplay);
    model_->setParent(tvTable_);
    tvTable_->setModel(model_);
    delegate_ = new TextCellDelegate(QStringLiteral("itemEditor"), tvTable_);
    tvTable_->setItemDelegate(delegate_);
    fitter_ = new RowFitter(*tvTable_, [this](int row, int width) { return heightOfRow(row, width); });
    tvTable_->setShowGrid(false);
    tvTable_->setDragEnabled(true);
    tvTable_->setDragDropMode(QAbstractItemView::DragOnly);
    tvTable_->horizontalHeader()->hide();
    tvTable_->horizontalHeader()->setSectionResizeMode(kImageColumn, QHeaderView::Fixed);
    tvTable_->horizontalHeader()->setSectionResizeMode(kTextColumn, QHeaderView::Stretch);
    tvTable_->horizontalHeader()->setSectionResizeMode(kJumpColumn, QHeaderView::Fixed);
    tvTable_->setColumnWidth(kImageColumn, kMarkColumnWidth);
    tvTable_->setColumnWidth(kJumpColumn, kMarkColumnWidth);
    tvTable_->setIconSize(QSize(PaneImages::kImageSize, PaneImages::kImageSize));
    QObject::connect(tvTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this] { guardedCall([this] { selectionDidChange(); }); });
    layout->addWidget(tvTable_);
    setView(view);
    // The rows' texts are read on other threads: since loading began when the story opened on this
    // list, from now on otherwise; from now on at the width the list will first fit them in.
    std::unique_ptr<TextsReadAhead> ahead = parent->takeListReadAhead(Side::kSection);
    if (!ahead)
        ahead = readRowsAhead(*screenplay);
    ahead->measureAt(ThreeRowLists::textWidth(*this, *tvTable_, kTextColumn));
    heights_.readAhead(std::move(ahead));
}

template <typename Side>
SetupPayoffTableView<Side>::~SetupPayoffTableView() = default;

template <typename Side>
std::unique_ptr<TextsReadAhead> SetupPayoffTableView<Side>::readRowsAhead(Screenplaydb& story)
{
    return std::make_unique<TextsReadAhead>(
        [values = setupPayoffTexts(story)](const std::atomic<bool>&) { return listTexts<Side>(values); });
}

template <typename Side>
void SetupPayoffTableView<Side>::refreshView()
{
    model_->reload();
    tvTable_->setFont(standardFont(fontSize(*screenplay()), false));
    fitter_->reload(ThreeRowLists::textWidth(*this, *tvTable_, kTextColumn));
    selectionDidChange();
}

template <typename Side>
void SetupPayoffTableView<Side>::fitRowHeights()
{
    fitter_->fit(ThreeRowLists::textWidth(*this, *tvTable_, kTextColumn));
}

template <typename Side>
bool SetupPayoffTableView<Side>::rowsFitted() const
{
    return fitter_->whole();
}

template <typename Side>
int SetupPayoffTableView<Side>::heightOfRow(int row) const
{
    return heightOfRow(row, ThreeRowLists::textWidth(*this, *tvTable_, kTextColumn));
}

template <typename Side>
int SetupPayoffTableView<Side>::heightOfRow(int row, int textWidth) const
{
    const typename Side::Item* item = model_->itemOfRow(row);
    if (!item || kindOfRow(row) == Row::Spacer)
        return kThinRowHeight;
    const Screenplaydb& story = *screenplay();
    const bool first = kindOfRow(row) == Row::First;
    QString text;
    if (first) {
        text = Side::description(story, *item);
    } else if (const typename Side::Partner* partner = Side::partner(story, *item)) {
        text = Side::partnerDescription(story, *partner);
    } else {
        return kThinRowHeight;
    }
    // Measured in the face the row is drawn in: the item's own row is bold.
    return heights_.height(story, text, first, textWidth, kLeastTextRowHeight);
}

template <typename Side>
bool SetupPayoffTableView<Side>::shouldSelectRow(int row) const
{
    return model_->itemOfRow(row) && kindOfRow(row) != Row::Spacer;
}

template <typename Side>
bool SetupPayoffTableView<Side>::shouldTrackCell(const QModelIndex& index)
{
    const typename Side::Item* item = model_->itemOfRow(index.row());
    if (!item)
        return false;
    const Row kind = kindOfRow(index.row());
    if (kind == Row::Spacer)
        return true;
    Screenplaydb& story = *screenplay();
    const typename Side::Partner* partner = Side::partner(story, *item);
    if (index.column() == kImageColumn && kind == Row::First) {
        QPointer<MyDocument> document = myParent();
        QTimer::singleShot(0, document, [document] {
            guardedCall([&] { document->showHelpForTopic(QStringLiteral("SETUPPAYOFF")); });
        });
        return false;
    }
    if (index.column() == kImageColumn)
        return partner ? breakLink(index.row()) : makeLink(index.row());
    if (index.column() == kJumpColumn && kind == Row::First) {
        if (item->sceneCardID() >= 1)
            jumpLater(myParent(), &story, item->sceneCardID(), Side::kItemTab);
        return true;
    }
    if (index.column() == kJumpColumn) {
        if (!partner || partner->sceneCardID() < 1)
            return false;
        jumpLater(myParent(), &story, partner->sceneCardID(), Side::kPartnerTab);
        return true;
    }
    return true;
}

template <typename Side>
bool SetupPayoffTableView<Side>::breakLink(int row)
{
    AlertRequest question;
    question.title = QStringLiteral("Remove Link");
    question.message = QString::fromLatin1(Side::kRemoveLinkQuestion);
    question.defaultButton = QStringLiteral("Yes");
    question.alternateButton = QStringLiteral("No");
    if (Platform::alerts().runAlert(question) != AlertDefaultReturn)
        return false;
    // The question may have taken long enough for the row to go.
    if (typename Side::Item* item = model_->itemOfRow(row))
        changed(Side::unlink(*screenplay(), *item));
    return false;
}

template <typename Side>
bool SetupPayoffTableView<Side>::makeLink(int row)
{
    Screenplaydb& story = *screenplay();
    if (!Side::partnerToLinkExists(story))
        return false;
    const std::optional<std::int64_t> chosen = SetupPayoffSelectorWindow::choose(
        story, static_cast<SetupPayoffSelectorWindow::SelectionType>(Side::kPickerType),
        view() ? view()->window() : nullptr, myParent()->standardBackgroundColor());
    const typename Side::Item* item = model_->itemOfRow(row);
    std::optional<SetupPayoffLinks::Cards> cards;
    if (chosen && item)
        cards = Side::link(story, *item, *chosen);
    changed(cards.value_or(SetupPayoffLinks::Cards{}));
    return false;
}

template <typename Side>
void SetupPayoffTableView<Side>::changed(const std::vector<std::int64_t>& cards)
{
    MyDocument* document = myParent();
    for (const std::int64_t key : cards)
        if (SceneCarddb* card = screenplay()->sceneCardForSceneCardID(key))
            document->refreshSceneCardIndicators(card);
    document->refreshBigSceneSetupsAndPayoffs(true);
    refreshView();
}

template <typename Side>
void SetupPayoffTableView<Side>::selectionDidChange()
{
    myParent()->showDeleteCommand(Side::kSection, selectedPosition() >= 0);
}

template <typename Side>
void SetupPayoffTableView<Side>::storeTypedText(int row, const QString& text)
{
    typename Side::Item* item = model_->itemOfRow(row);
    if (item && kindOfRow(row) == Row::First && item->sceneCardID() < 1)
        Side::rename(*screenplay(), *item, text);
}

template <typename Side>
void SetupPayoffTableView<Side>::setText(int row, const QString& text)
{
    Screenplaydb& story = *screenplay();
    typename Side::Item* item = model_->itemOfRow(row);
    if (!item || kindOfRow(row) != Row::First || item->sceneCardID() >= 1)
        return;
    // The partner's copy of the text follows.
    Side::rename(story, *item, text);
    const auto position = static_cast<std::size_t>(row / 3);
    model_->itemChanged(position);
    for (int at = row; at < row + 3; ++at)
        fitter_->refitRow(at);
    myParent()->refreshBigSceneSetupsAndPayoffs(false);
}

template <typename Side>
std::unique_ptr<QMimeData> SetupPayoffTableView<Side>::dragData(int row) const
{
    const typename Side::Item* item = model_->itemOfRow(row);
    if (!item || kindOfRow(row) != Row::First || item->sceneCardID() > 0)
        return nullptr;
    return RecordPasteboardType::makeDragData(QString::fromLatin1(Side::kDragType), row, myParent());
}

template <typename Side>
std::int64_t SetupPayoffTableView<Side>::selectedPosition() const
{
    const QModelIndexList selected = tvTable_->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return -1;
    const int row = selected.front().row();
    if (!shouldSelectRow(row))
        return -1;
    return row / 3;
}

template <typename Side>
void SetupPayoffTableView<Side>::editNewItem(std::size_t position)
{
    if (position >= model_->itemCount())
        return;
    const QModelIndex text = model_->index(static_cast<int>(position) * 3, kTextColumn);
    tvTable_->selectRow(text.row());
    tvTable_->scrollTo(text);
    tvTable_->setFocus();
    delegate_->selectAllInNextEditor();
    tvTable_->edit(text);
}

template class SetupPayoffTableView<SetupSide>;
template class SetupPayoffTableView<PayoffSide>;
