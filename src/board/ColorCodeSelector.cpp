#include "ColorCodeSelector.h"

#include "app/AppController.h"
#include "app/GuardedCall.h"
#include "app/SmallViews.h"
#include "model/ColorCodedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryTransaction.h"
#include "model/UserInformationdb.h"
#include "panes/ModalDialogs.h"
#include "platform/KeyboardNavigation.h"
#include "platform/Platform.h"

#include <QAbstractTableModel>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

const QString ColorCodeSelector::kColorColumn = QStringLiteral("color");
const QString ColorCodeSelector::kMeaningColumn = QStringLiteral("meaning");

namespace {

constexpr int kRowHeight = 40;
constexpr int kSlotCount = 6;
const QString kEditTitle = QStringLiteral("Edit Color Code");
const QString kDeleteTitle = QStringLiteral("Delete Color Code");

int alert(const QString& title, const QString& message, const QString& defaultButton,
          const QString& alternateButton = QString())
{
    return Platform::alerts().runAlert(AlertRequest{title, message, defaultButton, alternateButton, QString()});
}

// A colour-code component as stored (0 to 255) drawn as a colour component.
int drawnComponent(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, 255));
}

template <typename Code>
QColor colorOf(const Code& code)
{
    return QColor::fromRgb(drawnComponent(code.redValue()), drawnComponent(code.greenValue()),
                           drawnComponent(code.blueValue()), drawnComponent(code.alphaValue()));
}

} // namespace

std::int64_t colorCodeComponent(quint16 component)
{
    // component / 65535 * 255, truncated: exact in integers, so a colour that came from
    // whole 0-255 values keeps them.
    return static_cast<std::int64_t>(component) * 255 / 65535;
}

// The table's rows, read live from the dialog's list through its data-source methods.
class ColorCodeTableModel : public QAbstractTableModel
{
public:
    explicit ColorCodeTableModel(ColorCodeSelector& owner) : QAbstractTableModel(&owner), owner_(owner) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : owner_.numberOfRowsInTableView();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const QString column = ColorCodeSelector::columnIdentifier(index.column());
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return owner_.tableViewObjectValueForTableColumn(column, index.row());
        return owner_.tableViewWillDisplayCell(column, index.row(), role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        // Whether an edit may begin is the dialog's decision (tableViewShouldEditTableColumn).
        if (ColorCodeSelector::columnIdentifier(index.column()) == ColorCodeSelector::kMeaningColumn)
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        const bool stored = guardedCall([&] {
            owner_.tableViewSetObjectValue(value, ColorCodeSelector::columnIdentifier(index.column()), index.row());
        });
        if (stored)
            emit dataChanged(index, index);
        return stored;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Color") : QStringLiteral("Meaning");
    }

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    void rowChanged(int row) { emit dataChanged(index(row, 0), index(row, 1)); }

private:
    ColorCodeSelector& owner_;
};

// The "color" cell: filled with the code's colour, selected or not, so that a colour being
// changed stays visible.
class ColorCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->fillRect(option.rect.adjusted(2, 2, -2, -2), index.data(Qt::BackgroundRole).value<QColor>());
    }
};

// The list of colour codes: an edit begins only where the dialog allows it, and a press on a
// cell is offered to the dialog after the row is selected.
class ColorCodeTableView : public QTableView
{
public:
    using QTableView::edit;

    ColorCodeTableView(ColorCodeSelector& owner, QWidget* parent) : QTableView(parent), owner_(owner)
    {
        connect(this, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
            guardedCall([&] {
                owner_.tableViewShouldTrackCell(ColorCodeSelector::columnIdentifier(index.column()), index.row());
            });
        });
    }

protected:
    // The colour cell paints no focus of its own: once the writer has moved to the list from the
    // keyboard, a ring goes around its current row, which the arrows move from.
    void paintEvent(QPaintEvent* event) override
    {
        QTableView::paintEvent(event);
        const QModelIndex current = currentIndex();
        if (!current.isValid() || !hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange))
            return;
        constexpr int kWidth = 2;
        QPainter painter(viewport());
        const QPalette& colours = palette();
        painter.setPen(QPen(KeyboardNavigation::focusRingColor(
                                colours, {colours.color(QPalette::Base), colours.color(QPalette::Highlight)}),
                            kWidth));
        painter.drawRect(QRectF(rowFrame(current)).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
    }

    // The list repaints only the cell that was current and the one that is; the ring spans the
    // row, which repaints whole.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QTableView::currentChanged(current, previous);
        for (const QModelIndex& cell : {previous, current})
            if (cell.isValid())
                viewport()->update(rowFrame(cell));
    }

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        const bool editRequested = trigger == AllEditTriggers || (editTriggers() & trigger);
        if (index.isValid() && editRequested && state() != EditingState) {
            bool allowed = false;
            guardedCall([&] {
                allowed = owner_.tableViewShouldEditTableColumn(ColorCodeSelector::columnIdentifier(index.column()),
                                                                index.row());
            });
            if (!allowed)
                return false;
        }
        return QTableView::edit(index, trigger, event);
    }

private:
    QRect rowFrame(const QModelIndex& cell) const
    {
        return visualRect(cell.siblingAtColumn(0)) | visualRect(cell.siblingAtColumn(1));
    }

    ColorCodeSelector& owner_;
};

// --- Construction ---------------------------------------------------------------------------------

ColorCodeSelector::ColorCodeSelector(const QString& nibName, Screenplaydb* screenplay, QWidget* parent)
    : QDialog(parent)
    , screenplay_(screenplay)
{
    setObjectName(nibName);
    buildWindow();
}

ColorCodeSelector::~ColorCodeSelector() = default;

void ColorCodeSelector::buildWindow()
{
    resize(440, 480);
    auto* layout = new QVBoxLayout(this);
    model_ = new ColorCodeTableModel(*this);
    tvColors_ = new ColorCodeTableView(*this, this);
    tvColors_->setObjectName(QStringLiteral("tvColors"));
    tvColors_->setModel(model_);
    tvColors_->setItemDelegateForColumn(0, new ColorCellDelegate(tvColors_));
    tvColors_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvColors_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvColors_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    tvColors_->verticalHeader()->hide();
    tvColors_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvColors_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    tvColors_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    tvColors_->horizontalHeader()->resizeSection(0, 80);
    tvColors_->horizontalHeader()->setStretchLastSection(true);
    connect(tvColors_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { guardedCall([this] { tableViewSelectionDidChange(); }); });
    layout->addWidget(tvColors_);

    auto* buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const QString& name, const QString& title, void (ColorCodeSelector::*action)()) {
        auto* button = new QPushButton(title, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, action] { guardedCall([this, action] { (this->*action)(); }); });
        buttons->addWidget(button);
        return button;
    };
    cmdAdd_ = makeButton(QStringLiteral("cmdAdd"), tr("Add"), &ColorCodeSelector::addColorCode);
    cmdDelete_ = makeButton(QStringLiteral("cmdDelete"), tr("Delete"), &ColorCodeSelector::deleteColorCode);
    cmdRestoreDefaults_ = makeButton(QStringLiteral("cmdRestoreDefaults"), QStringLiteral("Restore Defaults"),
                                     &ColorCodeSelector::restoreDefaults);
    cmdClearColor_ = makeButton(QStringLiteral("cmdClearColor"), tr("Clear Color"), &ColorCodeSelector::clearColor);
    buttons->addStretch();
    cmdTip_ = makeButton(QStringLiteral("cmdTip"), tr("Tip"), &ColorCodeSelector::showTip);
    cmdDone_ = makeButton(QStringLiteral("cmdDone"), tr("Done"), &ColorCodeSelector::closeWindow);
    layout->addLayout(buttons);
}

void ColorCodeSelector::setScreenplay(Screenplaydb* screenplay)
{
    screenplay_ = screenplay;
    reloadData();
}

void ColorCodeSelector::setUserInformation(UserInformationdb* userInformation)
{
    userInformation_ = userInformation;
    reloadData();
}

QTableView* ColorCodeSelector::tvColors() const
{
    return tvColors_;
}

void ColorCodeSelector::setUseMode(std::int64_t mode)
{
    cmdClearColor_->hide();
    useMode_ = mode;
    auto offer = [](QPushButton* button, bool enabled) {
        button->show();
        button->setEnabled(enabled);
    };
    switch (mode) {
    case Project:
    case Master:
        setWindowTitle(mode == Project ? QStringLiteral("Color Coding for this Project")
                                       : QStringLiteral("Master Color Codes"));
        offer(cmdAdd_, true);
        offer(cmdDelete_, true);
        offer(cmdRestoreDefaults_, true);
        cmdRestoreDefaults_->setText(QStringLiteral("Restore Defaults"));
        break;
    case Filter:
        setWindowTitle(QStringLiteral("Select Color for Filtering the List"));
        offer(cmdAdd_, false);
        offer(cmdDelete_, false);
        offer(cmdRestoreDefaults_, true);
        cmdRestoreDefaults_->setText(QStringLiteral("Clear Color Filtering"));
        break;
    case Scene:
        setWindowTitle(QStringLiteral("Select Color for this Scene"));
        for (QPushButton* button : {cmdAdd_, cmdDelete_, cmdRestoreDefaults_})
            button->hide();
        cmdClearColor_->show();
        break;
    default:
        return;
    }
    // The list shown depends on the mode.
    reloadData();
}

// --- The list shown -------------------------------------------------------------------------------

// Calls `work` with the code of `row` of the list the mode shows (the master list in mode 4,
// the story's otherwise); nothing when the row is not in the list.
template <typename Work>
void ColorCodeSelector::withCode(int row, Work&& work) const
{
    if (row < 0)
        return;
    const auto at = static_cast<std::size_t>(row);
    if (useMode_ == Master) {
        if (userInformation_ && at < userInformation_->colorCodes().size())
            work(*userInformation_->colorCodes()[at]);
    } else if (screenplay_ && at < screenplay_->colorCodes().size()) {
        work(*screenplay_->colorCodes()[at]);
    }
}

std::size_t ColorCodeSelector::codeCount() const
{
    if (useMode_ == Master)
        return userInformation_ ? userInformation_->colorCodes().size() : 0;
    return screenplay_ ? screenplay_->colorCodes().size() : 0;
}

int ColorCodeSelector::selectedRow() const
{
    const QModelIndexList rows = tvColors_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    int first = rows.front().row();
    for (const QModelIndex& index : rows)
        first = std::min(first, index.row());
    return first;
}

void ColorCodeSelector::reloadData()
{
    if (!model_)
        return;
    model_->reload();
    for (int row = 0; row < model_->rowCount(); ++row)
        tvColors_->setRowHeight(row, tableViewHeightOfRow(row));
}

// --- Table data source and delegate ----------------------------------------------------------------

QString ColorCodeSelector::columnIdentifier(int column)
{
    return column == 0 ? kColorColumn : kMeaningColumn;
}

int ColorCodeSelector::numberOfRowsInTableView() const
{
    return static_cast<int>(codeCount());
}

int ColorCodeSelector::tableViewHeightOfRow(int) const
{
    return kRowHeight;
}

QVariant ColorCodeSelector::tableViewWillDisplayCell(const QString& column, int row, int role) const
{
    if (column == kColorColumn && role == Qt::BackgroundRole) {
        QColor color;
        withCode(row, [&](const auto& code) { color = colorOf(code); });
        return color;
    }
    if (column == kMeaningColumn && role == Qt::FontRole) {
        const std::int64_t setting = screenplay_ ? screenplay_->standardFontSetting() : 0;
        return standardFont(static_cast<int>(11 + setting), false);
    }
    return {};
}

QVariant ColorCodeSelector::tableViewObjectValueForTableColumn(const QString& column, int row) const
{
    if (column != kMeaningColumn)
        return {};
    QString description;
    withCode(row, [&](const auto& code) { description = code.description(); });
    return description;
}

bool ColorCodeSelector::tableViewShouldEditTableColumn(const QString& column, int row)
{
    if (column != kMeaningColumn || !editsCodes())
        return false;
    if (row == 0) {
        alert(kEditTitle, QStringLiteral("The Major Turns description cannot be changed."),
              QStringLiteral("OK"));
        return false;
    }
    return true;
}

bool ColorCodeSelector::tableViewShouldTrackCell(const QString& column, int row)
{
    if (column != kColorColumn || !editsCodes())
        return true;
    if (!pnlColor_) {
        pnlColor_ = new QColorDialog(this);
        pnlColor_->setObjectName(QStringLiteral("pnlColor"));
        pnlColor_->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
        pnlColor_->setWindowModality(Qt::NonModal);
        connect(pnlColor_, &QColorDialog::currentColorChanged, this,
                [this](const QColor& color) { guardedCall([&] { changeColor(color); }); });
    }
    QColor color;
    withCode(row, [&](const auto& code) { color = colorOf(code); });
    {
        // Showing the code's own colour is not a change of it.
        const QSignalBlocker quiet(pnlColor_);
        pnlColor_->setCurrentColor(color);
    }
    pnlColor_->show();
    pnlColor_->raise();
    pnlColor_->activateWindow();
    return false;
}

void ColorCodeSelector::tableViewSetObjectValue(const QVariant& value, const QString& column, int row)
{
    if (column != kMeaningColumn || !editsCodes() || row == 0)
        return;
    withCode(row, [&](auto& code) {
        code.setDescription(value.toString());
        code.save();
    });
}

void ColorCodeSelector::tableViewSelectionDidChange()
{
    if (useMode_ != Filter && useMode_ != Scene)
        return;
    const int row = selectedRow();
    if (row < 0)
        return;
    withCode(row, [&](const auto& code) { selectedColorID_ = code.colorCodeID(); });
    stopModal();
}

void ColorCodeSelector::changeColor(const QColor& color)
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QRgba64 components = color.toRgb().rgba64();
    withCode(row, [&](auto& code) {
        code.setRedValue(colorCodeComponent(components.red()));
        code.setGreenValue(colorCodeComponent(components.green()));
        code.setBlueValue(colorCodeComponent(components.blue()));
        code.setAlphaValue(colorCodeComponent(components.alpha()));
        code.save();
    });
    model_->rowChanged(row);
}

// --- Button actions --------------------------------------------------------------------------------

void ColorCodeSelector::addColorCode()
{
    if (useMode_ == Master && userInformation_) {
        auto code = std::make_unique<MasterColorCodedb>();
        code->insertIntoDatabase(userInformation_->database());
        userInformation_->colorCodes().push_back(std::move(code));
    } else if (useMode_ == Project && screenplay_) {
        auto code = std::make_unique<ColorCodedb>();
        code->setScreenplayID(screenplay_->screenplayID());
        code->insertIntoDatabase(screenplay_);
        screenplay_->colorCodes().push_back(std::move(code));
    } else {
        return;
    }
    reloadData();
    const int last = numberOfRowsInTableView() - 1;
    tvColors_->clearSelection();
    tvColors_->selectRow(last);
    const QModelIndex meaning = model_->index(last, 1);
    tvColors_->setCurrentIndex(meaning);
    tvColors_->edit(meaning);
}

void ColorCodeSelector::deleteColorCode()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    if (row == 0) {
        alert(kDeleteTitle, QStringLiteral("The Major Turns color code cannot be deleted."), QStringLiteral("OK"));
        return;
    }
    const QString description = tableViewObjectValueForTableColumn(kMeaningColumn, row).toString();
    if (alert(kDeleteTitle, QStringLiteral("Are you sure you want to delete %1?").arg(description),
              QStringLiteral("Yes"), QStringLiteral("No")) != AlertDefaultReturn)
        return;
    const auto at = static_cast<std::size_t>(row);
    if (useMode_ == Master && userInformation_ && at < userInformation_->colorCodes().size()) {
        auto& codes = userInformation_->colorCodes();
        codes[at]->deleteFromDatabase();
        codes.erase(codes.begin() + row);
    } else if (useMode_ == Project && screenplay_ && at < screenplay_->colorCodes().size()) {
        // Clears the code's slots on every board and Litter Box card (saving only those
        // cards), deletes the code and drops it from the list.
        screenplay_->deleteColorCode(screenplay_->colorCodes()[at].get());
    }
    reloadData();
}

void ColorCodeSelector::restoreDefaults()
{
    switch (useMode_) {
    case Master:
        restoreMasterDefaults();
        break;
    case Filter:
        selectedColorID_ = 0;
        stopModal();
        break;
    case Project:
        restoreProjectDefaults();
        break;
    default:
        break;
    }
}

void ColorCodeSelector::restoreMasterDefaults()
{
    if (!userInformation_)
        return;
    auto& codes = userInformation_->colorCodes();
    // Each code leaves the list as its row goes, so a failure leaves list and file alike.
    while (!codes.empty()) {
        codes.front()->deleteFromDatabase();
        codes.erase(codes.begin());
    }
    userInformation_->createDefaultColors();
    reloadData();
}

void ColorCodeSelector::restoreProjectDefaults()
{
    // The story's codes are made again from the master codes; without them there is nothing
    // to restore from.
    if (!screenplay_ || !userInformation_)
        return;
    if (alert(QStringLiteral("Restore Defaults"),
              QStringLiteral("This will remove all color codes from all scene cards except for the Major Turn color "
                             "coding. Are you sure you want to proceed ?"),
              QStringLiteral("No"), QStringLiteral("Yes")) != AlertAlternateReturn)
        return;
    // Every card, the codes and the list filter change as one write.
    StoryTransaction restoring(screenplay_->database());
    for (auto* cards : {&screenplay_->sceneCards(), &screenplay_->litterBox()}) {
        for (auto& card : *cards) {
            for (int slot = 1; slot <= kSlotCount; ++slot)
                if (card->colorLegendID(slot) != 1)
                    card->setColorLegendID(slot, 0);
            card->save();
        }
    }
    auto& codes = screenplay_->colorCodes();
    while (!codes.empty()) {
        codes.front()->deleteFromDatabase();
        codes.erase(codes.begin());
    }
    // The emptied table numbers the copies 1, 2, 3, ... in the master's order.
    for (const auto& master : userInformation_->colorCodes()) {
        auto code = std::make_unique<ColorCodedb>();
        code->setDescription(master->description());
        code->setRedValue(master->redValue());
        code->setGreenValue(master->greenValue());
        code->setBlueValue(master->blueValue());
        code->setAlphaValue(master->alphaValue());
        code->setScreenplayID(screenplay_->screenplayID());
        code->insertIntoDatabase(screenplay_);
        codes.push_back(std::move(code));
    }
    // A list filter on any code but the first would now name another code than the one chosen,
    // though no card carries that code any more: the list shows all cards again.
    if (screenplay_->boardListFilterColorID() != 0 && screenplay_->boardListFilterColorID() != 1) {
        screenplay_->setBoardListFilterColorID(0);
        screenplay_->save();
    }
    restoring.commit();
    reloadData();
}

void ColorCodeSelector::clearColor()
{
    selectedColorID_ = 0;
    stopModal();
}

void ColorCodeSelector::closeWindow()
{
    if (editsCodes())
        closeColorPanel();
    if (useMode_ >= Project && useMode_ <= Master)
        stopModal();
}

void ColorCodeSelector::closeColorPanel()
{
    if (!pnlColor_)
        return;
    pnlColor_->close();
    pnlColor_->deleteLater();
    pnlColor_ = nullptr;
}

void ColorCodeSelector::showTip()
{
    stopModal();
    if (AppController* application = application_) {
        // Right after the current event, once the modal run has ended.
        QTimer::singleShot(0, application, [application] {
            guardedCall([application] { application->showHelpForTopic(QStringLiteral("COLORCODE")); });
        });
    }
}

// --- The modal run ----------------------------------------------------------------------------------

void ColorCodeSelector::runModal()
{
    modalRunStopped_ = false;
    ModalDialogs::run(*this);
}

void ColorCodeSelector::stopModal()
{
    modalRunStopped_ = true;
    done(QDialog::Accepted);
}
