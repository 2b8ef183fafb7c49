#include "SetupPayoffSelectorWindow.h"

#include "app/BaseViewController.h"
#include "app/SmallViews.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "panes/ModalDialogs.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

const QColor kStandardColor = QColor::fromRgb(205, 133, 63);

constexpr int kBarHeight = 8;
constexpr int kHeadingHeight = 18;
constexpr int kLeastCandidateHeight = 40;

// The board beats of each section that hold cards, in order; the act labels (0, 8, 13, 18)
// are stood in for by the section labels, and the end of the story (21) closes the list.
struct SectionBeats {
    std::int64_t first;
    std::int64_t last;
};
constexpr std::array<SectionBeats, 4> kSectionBeats{{{1, 7}, {9, 12}, {14, 17}, {19, 20}}};
constexpr std::int64_t kFinalBoardBeat = 21;

// In pixels, as the large card's fields are.
QFont rowFont()
{
    return standardFont(12, true);
}

QString sectionLabel(const BoardSections& sections, std::size_t section)
{
    switch (section) {
    case 0:
        return sections.section1Label();
    case 1:
        return sections.section2Label();
    case 2:
        return sections.section3Label();
    default:
        return sections.section4Label();
    }
}

// The list of candidates. A click on a row chooses it; the arrows only move to a row, so that
// the writer passes over rows on the way to the one wanted, and Return or Enter chooses the row
// they arrived at, as a click on it does.
class CandidateList : public QTableView
{
public:
    using QTableView::QTableView;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override
    {
        if (event && event->type() == QEvent::KeyPress)
            return QItemSelectionModel::NoUpdate;
        return QTableView::selectionCommand(index, event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
                           && !(event->modifiers() & ~Qt::KeypadModifier);
        if (!enter || !currentIndex().isValid()) {
            QTableView::keyPressEvent(event);
            return;
        }
        event->accept();
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

// Adds a heading between two bars.
void addHeading(std::vector<SetupPayoffSelector>& rows, const QString& text)
{
    rows.push_back({SetupPayoffSelector::Bar, QString(), nullptr, nullptr});
    rows.push_back({SetupPayoffSelector::Heading, text, nullptr, nullptr});
    rows.push_back({SetupPayoffSelector::Bar, QString(), nullptr, nullptr});
}

// The unlinked set-ups (pay-offs) on the card, or free ones for key 0, as candidate rows.
void addCandidates(std::vector<SetupPayoffSelector>& rows, Screenplaydb& story,
                   SetupPayoffSelectorWindow::SelectionType type, std::int64_t sceneCardID)
{
    if (type == SetupPayoffSelectorWindow::ChooseSetup) {
        for (const auto& setup : story.sceneSetups())
            if (setup->sceneCardID() == sceneCardID && setup->scenePayoffID() == 0)
                rows.push_back({SetupPayoffSelector::Candidate, story.fullDescriptionForSetup(*setup), setup.get(),
                                nullptr});
        return;
    }
    for (const auto& payoff : story.scenePayoffs())
        if (payoff->sceneCardID() == sceneCardID && payoff->sceneSetupID() == 0)
            rows.push_back({SetupPayoffSelector::Candidate, story.fullDescriptionForPayoff(*payoff), nullptr,
                            payoff.get()});
}

} // namespace

std::int64_t SetupPayoffSelector::key() const
{
    if (setup)
        return setup->sceneSetupID();
    return payoff ? payoff->scenePayoffID() : 0;
}

// --- The rows as a table -----------------------------------------------------------------------

SetupPayoffSelectorModel::SetupPayoffSelectorModel(QObject* parent) : QAbstractTableModel(parent) {}

void SetupPayoffSelectorModel::setItems(std::vector<SetupPayoffSelector> items)
{
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

int SetupPayoffSelectorModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int SetupPayoffSelectorModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant SetupPayoffSelectorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SetupPayoffSelector& row = items_[static_cast<std::size_t>(index.row())];
    const bool onColour = row.itemType == SetupPayoffSelector::Bar || row.itemType == SetupPayoffSelector::BeatHeading;
    switch (role) {
    case Qt::DisplayRole:
        return row.itemType == SetupPayoffSelector::Bar ? QString() : row.description;
    case Qt::BackgroundRole:
        return onColour ? kStandardColor : QColor(Qt::white);
    case Qt::ForegroundRole:
        return row.itemType == SetupPayoffSelector::BeatHeading ? QColor(Qt::white) : QColor(Qt::black);
    case Qt::FontRole:
        return row.itemType == SetupPayoffSelector::Bar ? QVariant() : QVariant(rowFont());
    case Qt::TextAlignmentRole:
        return row.itemType == SetupPayoffSelector::Candidate
                   ? static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter)
                   : static_cast<int>(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags SetupPayoffSelectorModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return Qt::NoItemFlags;
    const bool candidate = items_[static_cast<std::size_t>(index.row())].itemType == SetupPayoffSelector::Candidate;
    return candidate ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

// --- The window --------------------------------------------------------------------------------

SetupPayoffSelectorWindow::SetupPayoffSelectorWindow(const QString& nibName, Screenplaydb* screenplay,
                                                     QWidget* parent)
    : QDialog(parent), screenplay_(screenplay), model_(this)
{
    setObjectName(nibName);
    resize(520, 620);
    tvTable_ = new CandidateList(this);
    tvTable_->setObjectName(QStringLiteral("tvTable"));
    tvTable_->setModel(&model_);
    tvTable_->horizontalHeader()->hide();
    tvTable_->horizontalHeader()->setStretchLastSection(true);
    tvTable_->verticalHeader()->hide();
    tvTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvTable_->setShowGrid(false);
    tvTable_->setWordWrap(true);
    tvTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvTable_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    cmdCancel_ = new QPushButton(tr("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tvTable_);
    layout->addLayout(buttons);

    connect(cmdCancel_, &QPushButton::clicked, this, &SetupPayoffSelectorWindow::closeWindow);
    connect(tvTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.indexes().isEmpty())
                    rowChosen(selected.indexes().first().row());
            });
}

std::vector<SetupPayoffSelector> SetupPayoffSelectorWindow::rowsFor(Screenplaydb& story, SelectionType type)
{
    std::vector<SetupPayoffSelector> rows;
    addHeading(rows, type == ChooseSetup ? tr("Free Set-ups") : tr("Free Pay-offs"));
    addCandidates(rows, story, type, 0);
    const BoardSections& sections = story.boardSections();
    for (std::size_t section = 0; section < kSectionBeats.size(); ++section) {
        addHeading(rows, sectionLabel(sections, section));
        for (std::int64_t beat = kSectionBeats[section].first; beat <= kSectionBeats[section].last; ++beat) {
            rows.push_back({SetupPayoffSelector::BeatHeading, sections.beatLabelForBoardBeat(beat), nullptr, nullptr});
            for (const auto& card : story.sceneCards())
                if (card->currentBeatSection() == beat && card->sceneCardID() > 0)
                    addCandidates(rows, story, type, card->sceneCardID());
        }
    }
    addHeading(rows, sections.beatLabelForBoardBeat(kFinalBoardBeat));
    return rows;
}

void SetupPayoffSelectorWindow::setSelectionType(SelectionType type)
{
    selectionType_ = type;
    selectedSetup_ = nullptr;
    selectedPayoff_ = nullptr;
    setWindowTitle(type == ChooseSetup ? tr("Select Set-up") : tr("Select Pay-off"));
    model_.setItems(screenplay_ ? rowsFor(*screenplay_, type) : std::vector<SetupPayoffSelector>());
    fitRowHeights();
}

int SetupPayoffSelectorWindow::heightOfRow(const SetupPayoffSelector& row, int tableWidth)
{
    switch (row.itemType) {
    case SetupPayoffSelector::Bar:
        return kBarHeight;
    case SetupPayoffSelector::Heading:
    case SetupPayoffSelector::BeatHeading:
        return kHeadingHeight;
    case SetupPayoffSelector::Candidate: {
        const float needed =
            BaseViewController::heightForString(row.description, rowFont(), static_cast<float>(tableWidth));
        return std::max(kLeastCandidateHeight, static_cast<int>(needed + 0.5f));
    }
    default:
        return kLeastCandidateHeight;
    }
}

void SetupPayoffSelectorWindow::fitRowHeights()
{
    const int width = tvTable_->viewport()->width();
    const auto& rows = model_.items();
    for (std::size_t row = 0; row < rows.size(); ++row)
        tvTable_->verticalHeader()->resizeSection(static_cast<int>(row), heightOfRow(rows[row], width));
}

void SetupPayoffSelectorWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fitRowHeights();
}

void SetupPayoffSelectorWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    fitRowHeights();
}

void SetupPayoffSelectorWindow::rowChosen(int row)
{
    const auto& rows = model_.items();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return;
    const SetupPayoffSelector& chosen = rows[static_cast<std::size_t>(row)];
    if (chosen.itemType != SetupPayoffSelector::Candidate)
        return;
    selectedSetup_ = chosen.setup;
    selectedPayoff_ = chosen.payoff;
    done(1);
}

void SetupPayoffSelectorWindow::closeWindow()
{
    done(0);
}

int SetupPayoffSelectorWindow::runModal()
{
    setResult(0);
    return ModalDialogs::run(*this);
}

std::optional<std::int64_t> SetupPayoffSelectorWindow::choose(Screenplaydb& story, SelectionType type,
                                                             QWidget* parent, const QColor& background)
{
    if (type == ChooseSetup ? !story.anyUnlinkedSetups() : !story.anyUnlinkedPayoffs())
        return std::nullopt;
    SetupPayoffSelectorWindow picker(QStringLiteral("SetupPayoffSelectorWindow"), &story, parent);
    ModalDialogs::paintBackground(picker, background);
    picker.setSelectionType(type);
    const int code = picker.runModal();
    picker.close();
    if (code != 1)
        return std::nullopt;
    const std::int64_t key = type == ChooseSetup
                                 ? (picker.selectedSetup() ? picker.selectedSetup()->sceneSetupID() : 0)
                                 : (picker.selectedPayoff() ? picker.selectedPayoff()->scenePayoffID() : 0);
    return key > 0 ? std::optional<std::int64_t>(key) : std::nullopt;
}
