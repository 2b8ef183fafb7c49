#include "BigSceneSetupsView.h"

#include "BigSceneView.h"
#include "SetupPayoffSelectorWindow.h"
#include "TabPageLayout.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/SceneCardView.h"
#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/SetupPayoffLinks.h"
#include "panes/PaneImages.h"
#include "panes/TrackingTableView.h"
#include "platform/Platform.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace Links = SetupPayoffLinks;

namespace {

constexpr int kMarkColumnWidth = 28;
constexpr int kIncludedColumnWidth = 28;

// Everything a row shows of its record, by kind.
struct Shown {
    bool exists = false;
    QString text;
    std::int64_t sceneCardID = 0;
    bool linked = false;
    QString partner;
    std::int64_t partnerCardID = 0;
};

Shown describe(BigSceneSetupsView::Kind kind, const Screenplaydb& story, std::int64_t key)
{
    Shown shown;
    if (kind == BigSceneSetupsView::Setups) {
        const SceneSetupdb* setup = story.setupForSetupID(key);
        if (!setup)
            return shown;
        shown = {true, setup->sceneSetup(), setup->sceneCardID(), setup->scenePayoffID() > 0, QString(), 0};
        if (const ScenePayoffdb* payoff = shown.linked ? story.payoffForPayoffID(setup->scenePayoffID()) : nullptr) {
            shown.partner = story.fullDescriptionForPayoff(*payoff);
            shown.partnerCardID = payoff->sceneCardID();
        }
        return shown;
    }
    const ScenePayoffdb* payoff = story.payoffForPayoffID(key);
    if (!payoff)
        return shown;
    shown = {true, payoff->scenePayoff(), payoff->sceneCardID(), payoff->sceneSetupID() > 0, QString(), 0};
    if (const SceneSetupdb* setup = shown.linked ? story.setupForSetupID(payoff->sceneSetupID()) : nullptr) {
        shown.partner = story.fullDescriptionForSetup(*setup);
        shown.partnerCardID = setup->sceneCardID();
    }
    return shown;
}

// In pixels, as the card's own fields are.
QFont cellFont(const Screenplaydb& story)
{
    return standardFont(static_cast<int>(std::clamp<std::int64_t>(story.standardFontSetting() + 11, 6, 72)), false);
}

template <typename Record, typename Key>
std::vector<std::int64_t> listed(RecordList<Record>& records, std::int64_t sceneCardID, bool showAll, Key key)
{
    std::vector<Record*> rows;
    for (const auto& record : records)
        if (record->sceneCardID() == sceneCardID || (showAll && record->sceneCardID() == 0))
            rows.push_back(record.get());
    sortRecords(rows, &Record::sortBySceneCardID);
    std::vector<std::int64_t> keys;
    for (const Record* record : rows)
        keys.push_back((record->*key)());
    return keys;
}

} // namespace

// The rows of a Set-ups or Pay-offs tab, read from the story whenever they are shown.
class BigSceneLinksModel : public QAbstractTableModel
{
public:
    explicit BigSceneLinksModel(BigSceneSetupsView& owner) : owner_(owner) {}

    void reload()
    {
        beginResetModel();
        endResetModel();
    }
    void showChanges()
    {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, BigSceneSetupsView::ColumnCount - 1));
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : owner_.rowCount();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : BigSceneSetupsView::ColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const Screenplaydb* story = owner_.screenplay();
        if (!index.isValid() || index.row() >= rowCount() || !story)
            return {};
        const Shown shown = describe(owner_.kind(), *story, owner_.keys_[static_cast<std::size_t>(index.row())]);
        if (!shown.exists)
            return {};
        switch (index.column()) {
        case BigSceneSetupsView::Included:
            if (role == Qt::CheckStateRole)
                return shown.sceneCardID == owner_.sceneCardID() ? Qt::Checked : Qt::Unchecked;
            return {};
        case BigSceneSetupsView::OwnText:
        case BigSceneSetupsView::Partner:
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return index.column() == BigSceneSetupsView::OwnText ? shown.text : shown.partner;
            if (role == Qt::FontRole)
                return cellFont(*story);
            return {};
        default:
            break;
        }
        const QString image = imageName(index.column(), shown, *story);
        if (role == BigSceneSetupsView::kImageNameRole)
            return image;
        if (role == Qt::DecorationRole)
            return PaneImages::image(image);
        if (role == Qt::ToolTipRole)
            return toolTip(image);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        const bool setups = owner_.kind() == BigSceneSetupsView::Setups;
        if (section == BigSceneSetupsView::OwnText)
            return setups ? BigSceneSetupsView::tr("Set-up") : BigSceneSetupsView::tr("Pay-off");
        if (section == BigSceneSetupsView::Partner)
            return setups ? BigSceneSetupsView::tr("Paid off by") : BigSceneSetupsView::tr("Set up by");
        return QString();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return index.column() == BigSceneSetupsView::OwnText ? flags | Qt::ItemIsEditable : flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || index.column() != BigSceneSetupsView::OwnText)
            return false;
        if (role == TextCellDelegate::kTypedTextRole)
            return guardedCall([&] { owner_.setText(index.row(), value.toString(), false); });
        if (role != Qt::EditRole)
            return false;
        return guardedCall([&] { owner_.setText(index.row(), value.toString()); });
    }

private:
    QString imageName(int column, const Shown& shown, const Screenplaydb& story) const
    {
        const QString none = QStringLiteral("BlankZorvin");
        if (column == BigSceneSetupsView::LinkMark) {
            if (shown.linked)
                return QStringLiteral("BreakTheLink");
            const bool partners = owner_.kind() == BigSceneSetupsView::Setups ? story.anyUnlinkedPayoffs()
                                                                               : story.anyUnlinkedSetups();
            return partners ? QStringLiteral("Link") : none;
        }
        if (column == BigSceneSetupsView::JumpTo)
            return shown.linked && shown.partnerCardID > 0 ? QStringLiteral("JumpStraightTo") : none;
        return QString();
    }

    QString toolTip(const QString& image) const
    {
        const bool setups = owner_.kind() == BigSceneSetupsView::Setups;
        if (image == QLatin1String("BreakTheLink"))
            return BigSceneSetupsView::tr("Remove the link");
        if (image == QLatin1String("Link"))
            return setups ? BigSceneSetupsView::tr("Link to a pay-off") : BigSceneSetupsView::tr("Link to a set-up");
        if (image == QLatin1String("JumpStraightTo"))
            return setups ? BigSceneSetupsView::tr("Open the scene of the pay-off")
                          : BigSceneSetupsView::tr("Open the scene of the set-up");
        return QString();
    }

    BigSceneSetupsView& owner_;
};

BigSceneSetupsView::BigSceneSetupsView(Kind kind, MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene)
    : BaseViewController(kind == Setups ? QStringLiteral("BigSceneSetupsView") : QStringLiteral("BigScenePayoffsView"),
                         parent, screenplay),
      kind_(kind), scene_(scene)
{
    auto* view = new QWidget;
    view->setObjectName(nibName());
    chkShowAll_ = new QCheckBox(kind == Setups ? tr("Show all free set-ups") : tr("Show all free pay-offs"), view);
    chkShowAll_->setObjectName(QStringLiteral("chkShowAll"));
    chkShowAll_->setFocusPolicy(Qt::NoFocus);
    cmdAddButton_ = new QPushButton(kind == Setups ? tr("Add Set-up") : tr("Add Pay-off"), view);
    cmdAddButton_->setObjectName(QStringLiteral("cmdAddButton"));
    cmdAddButton_->setFocusPolicy(Qt::NoFocus);
    cmdDeleteButton_ = new QPushButton(kind == Setups ? tr("Delete Set-up") : tr("Delete Pay-off"), view);
    cmdDeleteButton_->setObjectName(kind == Setups ? QStringLiteral("cmdDeleteSetup")
                                                   : QStringLiteral("cmdDeletePayoff"));
    cmdDeleteButton_->setFocusPolicy(Qt::NoFocus);

    tvTable_ = new TrackingTableView(view);
    tvTable_->setObjectName(QStringLiteral("tvTable"));
    model_ = new BigSceneLinksModel(*this);
    model_->setParent(tvTable_);
    tvTable_->setModel(model_);
    delegate_ = new TextCellDelegate(QStringLiteral("itemEditor"), tvTable_);
    tvTable_->setItemDelegate(delegate_);
    tvTable_->setShouldTrackCell([this](const QModelIndex& index) { return shouldTrackCell(index); });
    tvTable_->setUpAsList();
    QHeaderView* header = tvTable_->horizontalHeader();
    for (int column : {Included, LinkMark, JumpTo}) {
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        tvTable_->setColumnWidth(column, column == Included ? kIncludedColumnWidth : kMarkColumnWidth);
    }
    header->setSectionResizeMode(OwnText, QHeaderView::Stretch);
    header->setSectionResizeMode(Partner, QHeaderView::Stretch);
    tvTable_->setIconSize(QSize(PaneImages::kImageSize, PaneImages::kImageSize));
    tableViewport_ = tvTable_->viewport();
    tvTable_->viewport()->installEventFilter(this);

    auto* buttons = new QWidget(view);
    auto* controls = new QHBoxLayout(buttons);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(chkShowAll_);
    controls->addStretch();
    controls->addWidget(cmdAddButton_);
    controls->addWidget(cmdDeleteButton_);
    auto* layout = new TabPageLayout(view, kTableFoot);
    layout->addWidget(tvTable_);
    layout->addWidget(buttons);
    setView(view);

    connect(chkShowAll_, &QCheckBox::toggled, this, [this] { guardedCall([this] { refreshView(); }); });
    connect(cmdAddButton_, &QPushButton::clicked, this, [this] { guardedCall([this] { add(); }); });
    connect(cmdDeleteButton_, &QPushButton::clicked, this, [this] { guardedCall([this] { deleteSelected(); }); });
    refreshView();
}

BigSceneSetupsView::~BigSceneSetupsView() = default;

std::int64_t BigSceneSetupsView::sceneCardID() const
{
    return scene_ ? scene_->sceneCardID() : -1;
}

SceneSetupdb* BigSceneSetupsView::setupAt(int row) const
{
    if (kind_ != Setups || row < 0 || row >= rowCount() || !screenplay())
        return nullptr;
    return screenplay()->setupForSetupID(keys_[static_cast<std::size_t>(row)]);
}

ScenePayoffdb* BigSceneSetupsView::payoffAt(int row) const
{
    if (kind_ != Payoffs || row < 0 || row >= rowCount() || !screenplay())
        return nullptr;
    return screenplay()->payoffForPayoffID(keys_[static_cast<std::size_t>(row)]);
}

void BigSceneSetupsView::refreshView()
{
    Screenplaydb* story = screenplay();
    keys_.clear();
    if (story && scene_) {
        const bool showAll = chkShowAll_->isChecked();
        keys_ = kind_ == Setups
                    ? listed(story->sceneSetups(), sceneCardID(), showAll, &SceneSetupdb::sceneSetupID)
                    : listed(story->scenePayoffs(), sceneCardID(), showAll, &ScenePayoffdb::scenePayoffID);
    }
    model_->reload();
    fitRowHeights();
}

void BigSceneSetupsView::reloadTable()
{
    model_->showChanges();
    fitRowHeights();
}

int BigSceneSetupsView::heightOfRow(int row) const
{
    if (row < 0 || row >= rowCount() || !screenplay())
        return kLeastRowHeight;
    const Shown shown = describe(kind_, *screenplay(), keys_[static_cast<std::size_t>(row)]);
    const QFont font = cellFont(*screenplay());
    // Each text is measured at its column's width less what the cell's margins take.
    const auto needed = [this, &font](const QString& text, int column) {
        constexpr int kCellMargins = 16;
        const auto width = static_cast<float>(std::max(0, tvTable_->columnWidth(column) - kCellMargins));
        return static_cast<int>(std::ceil(heightForString(text, font, width)));
    };
    int height = needed(shown.text, OwnText);
    if (shown.linked)
        height = std::max(height, needed(shown.partner, Partner));
    return std::max(kLeastRowHeight, height);
}

void BigSceneSetupsView::fitRowHeights()
{
    for (int row = 0; row < rowCount(); ++row)
        tvTable_->verticalHeader()->resizeSection(row, heightOfRow(row));
}

bool BigSceneSetupsView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tableViewport_ && event->type() == QEvent::Resize)
        fitRowHeights();
    return BaseViewController::eventFilter(watched, event);
}

void BigSceneSetupsView::changed(const std::vector<std::int64_t>& cards, bool relist)
{
    MyDocument* document = myParent();
    Screenplaydb* story = screenplay();
    if (document && story) {
        for (std::int64_t key : cards)
            if (SceneCarddb* card = story->sceneCardForSceneCardID(key))
                document->refreshSceneCardIndicators(card);
        if (BigSceneView* big = document->bigSceneViewController()) {
            big->configureIndicators();
            big->refreshLinkTabs(this);
        }
        document->refreshSetupAndPayoffTables();
    }
    if (relist)
        refreshView();
    else
        reloadTable();
}

bool BigSceneSetupsView::shouldTrackCell(const QModelIndex& index)
{
    const int row = index.row();
    if (row < 0 || row >= rowCount() || !screenplay() || !describe(kind_, *screenplay(), keys_[row]).exists)
        return false;
    switch (index.column()) {
    case Included:
        toggleIncluded(row);
        return true;
    case OwnText:
        tvTable_->setCurrentIndex(index);
        tvTable_->edit(index);
        return false;
    case LinkMark:
        return describe(kind_, *screenplay(), keys_[row]).linked ? breakLink(row) : makeLink(row);
    case JumpTo:
        return jump(row);
    default:
        return true;
    }
}

void BigSceneSetupsView::toggleIncluded(int row)
{
    Screenplaydb& story = *screenplay();
    if (SceneSetupdb* setup = setupAt(row))
        changed(Links::moveToCard(story, *setup, setup->sceneCardID() < 1 ? sceneCardID() : 0), true);
    else if (ScenePayoffdb* payoff = payoffAt(row))
        changed(Links::moveToCard(story, *payoff, payoff->sceneCardID() < 1 ? sceneCardID() : 0), true);
}

void BigSceneSetupsView::setText(int row, const QString& text, bool show)
{
    Screenplaydb& story = *screenplay();
    if (SceneSetupdb* setup = setupAt(row))
        Links::rename(story, *setup, text);
    else if (ScenePayoffdb* payoff = payoffAt(row))
        Links::rename(story, *payoff, text);
    else
        return;
    if (show)
        changed({sceneCardID()}, false);
}

bool BigSceneSetupsView::breakLink(int row)
{
    AlertRequest request;
    request.title = tr("Remove Link");
    request.message = kind_ == Setups ? tr("Are you sure you want to remove the link to the pay-off?")
                                      : tr("Are you sure you want to remove the link to the set-up?");
    request.defaultButton = tr("Yes");
    request.alternateButton = tr("No");
    if (Platform::alerts().runAlert(request) != AlertDefaultReturn)
        return false;
    // The question may have taken long enough for the row to go.
    Screenplaydb& story = *screenplay();
    if (SceneSetupdb* setup = setupAt(row))
        changed(Links::unlinkSetup(story, *setup), false);
    else if (ScenePayoffdb* payoff = payoffAt(row))
        changed(Links::unlinkPayoff(story, *payoff), false);
    return true;
}

bool BigSceneSetupsView::makeLink(int row)
{
    Screenplaydb& story = *screenplay();
    const auto type = kind_ == Setups ? SetupPayoffSelectorWindow::ChoosePayoff : SetupPayoffSelectorWindow::ChooseSetup;
    if (type == SetupPayoffSelectorWindow::ChoosePayoff ? !story.anyUnlinkedPayoffs() : !story.anyUnlinkedSetups())
        return false;
    const QColor background = myParent() ? myParent()->standardBackgroundColor() : QColor(205, 133, 63);
    const std::optional<std::int64_t> chosen =
        SetupPayoffSelectorWindow::choose(story, type, view() ? view()->window() : nullptr, background);
    std::optional<Links::Cards> cards;
    if (chosen && row < rowCount()) {
        const std::int64_t key = keys_[static_cast<std::size_t>(row)];
        cards = kind_ == Setups ? Links::link(story, key, *chosen) : Links::link(story, *chosen, key);
    }
    changed(cards.value_or(Links::Cards{}), true);
    return true;
}

bool BigSceneSetupsView::jump(int row)
{
    const Shown shown = describe(kind_, *screenplay(), keys_[static_cast<std::size_t>(row)]);
    if (!shown.linked || shown.partnerCardID < 1 || !myParent())
        return false;
    // The large card is rebuilt on the partner's card once this click is over.
    QPointer<MyDocument> document = myParent();
    const std::int64_t cardID = shown.partnerCardID;
    const bool toPayoffs = kind_ == Setups;
    QTimer::singleShot(0, document.data(), [document, cardID, toPayoffs] {
        guardedCall([&] {
            if (!document || !document->currentScreenplay())
                return;
            SceneCarddb* card = document->currentScreenplay()->sceneCardForSceneCardID(cardID);
            if (!card)
                return;
            if (toPayoffs)
                document->openBigSceneCardForPayoff(card);
            else
                document->openBigSceneCardForSetup(card);
        });
    });
    return true;
}

void BigSceneSetupsView::add()
{
    Screenplaydb* story = screenplay();
    if (!story || !scene_)
        return;
    if (myParent())
        myParent()->commitEditing();
    const std::int64_t key = kind_ == Setups ? Links::addSetup(*story, sceneCardID()).sceneSetupID()
                                             : Links::addPayoff(*story, sceneCardID()).scenePayoffID();
    changed({sceneCardID()}, true);
    const auto found = std::find(keys_.begin(), keys_.end(), key);
    if (found == keys_.end())
        return;
    const QModelIndex index = model_->index(static_cast<int>(found - keys_.begin()), OwnText);
    tvTable_->selectRow(index.row());
    tvTable_->setCurrentIndex(index);
    delegate_->selectAllInNextEditor();
    tvTable_->edit(index);
}

void BigSceneSetupsView::deleteSelected()
{
    const QModelIndexList selected = tvTable_->selectionModel()->selectedRows();
    if (selected.isEmpty() || !screenplay())
        return;
    const int row = selected.first().row();
    tvTable_->clearSelection();
    const Shown shown = describe(kind_, *screenplay(), row < rowCount() ? keys_[row] : 0);
    if (!shown.exists)
        return;
    AlertRequest request;
    request.title = kind_ == Setups ? tr("Delete Set-up") : tr("Delete Pay-off");
    request.message = (kind_ == Setups ? tr("Are you sure you want to delete the set-up:\n%1")
                                       : tr("Are you sure you want to delete the pay-off:\n%1"))
                          .arg(shown.text);
    request.defaultButton = tr("No");
    request.alternateButton = tr("Yes");
    if (Platform::alerts().runAlert(request) != AlertAlternateReturn)
        return;
    Screenplaydb& story = *screenplay();
    if (SceneSetupdb* setup = setupAt(row))
        changed(Links::deleteSetup(story, *setup), true);
    else if (ScenePayoffdb* payoff = payoffAt(row))
        changed(Links::deletePayoff(story, *payoff), true);
}
