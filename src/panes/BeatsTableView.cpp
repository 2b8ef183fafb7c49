#include "BeatsTableView.h"

#include "PaneImages.h"
#include "TrackingTableView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/SceneCardEdits.h"
#include "model/Beatdb.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "platform/KeyboardNavigation.h"
#include "platform/Platform.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kAdviceColumn = 0;
constexpr int kBeatColumn = 1;
constexpr int kAdviceColumnWidth = 26;
constexpr int kTitleRowHeight = 20;
constexpr int kLeastDescriptionHeight = 30;
// What the description's width leaves of the pane: the mascot column and the cell margins.
constexpr float kWidthTakenByTable = 40.0f;
constexpr float kWidthTakenByCell = 16.0f;

bool isTitleRow(int row)
{
    return row % 2 == 0;
}

QFont beatFont(const Screenplaydb& story)
{
    return standardFont(StoredRange::fontSetting(story.standardFontSetting()) + 11, false);
}

} // namespace

// The rows of the beat sheet, read from the story every time they are asked for.
class BeatsTableModel : public QAbstractTableModel
{
public:
    BeatsTableModel(BeatsTableView& owner, Screenplaydb& story) : owner_(owner), story_(story) {}

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    // Every row shows the story's text again; unlike a reload, an editor that is open stays.
    void showChangedTexts()
    {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }

    void showChangedText(int row) { emit dataChanged(index(row, kBeatColumn), index(row, kBeatColumn)); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(story_.beats().size()) * 2;
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const int row = index.row();
        const bool title = isTitleRow(row);
        if (index.column() == kAdviceColumn) {
            if (role == Qt::DecorationRole)
                return PaneImages::image(title ? QStringLiteral("zorvin") : QStringLiteral("BlankZorvin"));
            return QVariant();
        }
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return text(row);
        case Qt::FontRole:
            return beatFont(story_);
        case Qt::BackgroundRole:
            return title ? owner_.myParent()->standardBackgroundColor() : QColor(Qt::white);
        case Qt::ForegroundRole:
            return title ? QColor(Qt::white) : QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return static_cast<int>(Qt::AlignLeft | (title ? Qt::AlignVCenter : Qt::AlignTop));
        default:
            return QVariant();
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (index.column() != kBeatColumn)
            return Qt::ItemIsEnabled;
        if (isTitleRow(index.row()))
            return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return BeatsTableView::beatsAreEditable(story_) ? flags | Qt::ItemIsEditable : flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (index.column() != kBeatColumn || isTitleRow(index.row()))
            return false;
        if (role == TextCellDelegate::kTypedTextRole)
            return guardedCall([&] { owner_.storeTypedDescription(index.row(), value.toString()); });
        if (role != Qt::EditRole)
            return false;
        return guardedCall([&] { owner_.setDescription(index.row(), value.toString()); });
    }

private:
    QString text(int row) const
    {
        const std::int64_t number = BeatsTableView::beatNumberForRow(row);
        if (isTitleRow(row))
            return story_.boardSections().beatLabelForBeat(number);
        const Beatdb* beat = story_.beatForBeatNumber(number);
        return beat ? beat->description() : QString();
    }

    BeatsTableView& owner_;
    Screenplaydb& story_;
};

BeatsTableView::BeatsTableView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("BeatsTableView"), parent, screenplay)
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("BeatsTableView"));
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* table = new TrackingTableView;
    table->setShouldTrackCell([this](const QModelIndex& index) { return shouldTrackCell(index); });
    tvTable_ = table;
    tvTable_->setObjectName(QStringLiteral("tvTable"));
    model_ = new BeatsTableModel(*this, *screenplay);
    model_->setParent(tvTable_);
    tvTable_->setModel(model_);
    tvTable_->setItemDelegate(new TextCellDelegate(QStringLiteral("beatEditor"), tvTable_));
    tvTable_->setWordWrap(true);
    tvTable_->setShowGrid(false);
    tvTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab from another control goes into a beat's text, and on from one beat to the next; while
    // the beats cannot be written it passes over the table, where nothing typed would go.
    KeyboardNavigation::makeEntry(*tvTable_, [this](bool back) {
        bool entered = false;
        guardedCall([&] { entered = editBeatFromKeyboard(back); });
        return entered;
    });
    tvTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvTable_->setSelectionBehavior(QAbstractItemView::SelectItems);
    tvTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tvTable_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    tvTable_->horizontalHeader()->hide();
    tvTable_->verticalHeader()->hide();
    tvTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvTable_->horizontalHeader()->setSectionResizeMode(kAdviceColumn, QHeaderView::Fixed);
    tvTable_->horizontalHeader()->setSectionResizeMode(kBeatColumn, QHeaderView::Stretch);
    tvTable_->setColumnWidth(kAdviceColumn, kAdviceColumnWidth);
    tvTable_->setIconSize(QSize(PaneImages::kImageSize, PaneImages::kImageSize));
    layout->addWidget(tvTable_);
    setView(view);
}

BeatsTableView::~BeatsTableView() = default;

bool BeatsTableView::beatsAreEditable(const Screenplaydb& story)
{
    const Loglinedb* logline = story.currentLogline();
    return !story.screenplayTitle().isEmpty() && logline && !logline->logline().isEmpty()
           && !story.genre().isEmpty();
}

void BeatsTableView::refreshView()
{
    // The reload ends the edit under way.
    typed_.reset();
    model_->reload();
    tvTable_->setFont(beatFont(*screenplay()));
    fitRowHeights();
}

void BeatsTableView::refreshTexts()
{
    model_->showChangedTexts();
    fitRowHeights();
}

void BeatsTableView::showBeatText(std::int64_t beatNumber)
{
    const std::int64_t description = (beatNumber - 1) * 2 + 1;
    if (description < 0 || description >= model_->rowCount())
        return;
    const auto row = static_cast<int>(description);
    model_->showChangedText(row);
    tvTable_->setRowHeight(row, heightOfRow(row));
}

void BeatsTableView::fitRowHeights()
{
    for (int row = 0; row < model_->rowCount(); ++row)
        tvTable_->setRowHeight(row, heightOfRow(row));
}

int BeatsTableView::heightOfRow(int row) const
{
    if (isTitleRow(row))
        return kTitleRowHeight;
    const Beatdb* beat = screenplay()->beatForBeatNumber(beatNumberForRow(row));
    if (!beat)
        return kLeastDescriptionHeight;
    const MainSplitView* beats = myParent()->splBeats();
    const float paneWidth = static_cast<float>(beats ? beats->paneSize(0).width() : view()->width());
    const float height = heightForString(beat->description(), beatFont(*screenplay()),
                                         paneWidth - kWidthTakenByTable - kWidthTakenByCell);
    return std::max(kLeastDescriptionHeight, static_cast<int>(height));
}

bool BeatsTableView::shouldTrackCell(const QModelIndex& index)
{
    const int row = index.row();
    if (index.column() == kAdviceColumn && isTitleRow(row)) {
        // The help page replaces nothing of this pane, yet it is asked for after the click.
        const QString topic = QStringLiteral("BEAT%1").arg(beatNumberForRow(row));
        QPointer<MyDocument> document = myParent();
        QTimer::singleShot(0, document, [document, topic] {
            guardedCall([&] { document->showHelpForTopic(topic); });
        });
        return false;
    }
    if (index.column() == kBeatColumn && !isTitleRow(row)) {
        if (model_->flags(index) & Qt::ItemIsEditable) {
            tvTable_->edit(index);
        } else {
            AlertRequest alert;
            alert.title = QStringLiteral("Edit Beat");
            alert.message = QStringLiteral("One step at a time. You must have a title, select a genre, and craft your "
                                           "logline before diving into the beats!");
            Platform::alerts().runAlert(alert);
        }
    }
    return true;
}

bool BeatsTableView::editBeatFromKeyboard(bool back)
{
    if (!beatsAreEditable(*screenplay()) || model_->rowCount() < 2)
        return false;
    // The beat last edited, or else the first (the last, coming back).
    const QModelIndex current = tvTable_->currentIndex();
    const int row = current.isValid() && !isTitleRow(current.row()) ? current.row() : back ? model_->rowCount() - 1 : 1;
    const QModelIndex description = model_->index(row, kBeatColumn);
    tvTable_->setCurrentIndex(description);
    tvTable_->scrollTo(description);
    tvTable_->edit(description);
    auto* editor = qobject_cast<QPlainTextEdit*>(tvTable_->indexWidget(description));
    if (!editor)
        return false;
    editor->setFocus(Qt::OtherFocusReason);
    // As when Tab goes on from beat to beat: what is typed takes the place of the text.
    editor->selectAll();
    return true;
}

void BeatsTableView::writeBeat(Beatdb& beat, const QString& text, const std::map<std::int64_t, QString>& cardTexts)
{
    for (SceneCarddb* card : SceneCardEdits::writeBeatDescription(*screenplay(), beat, text, cardTexts))
        myParent()->showSceneCardDescription(card);
}

void BeatsTableView::storeTypedDescription(int row, const QString& text)
{
    Beatdb* beat = screenplay()->beatForBeatNumber(beatNumberForRow(row));
    if (!beat)
        return;
    if (!typed_ || typed_->row != row) {
        TypedEdit edit{row, beat->description(), {}};
        for (const auto& card : screenplay()->sceneCards())
            if (card->beatCardNumber() == beat->beatNumber())
                edit.cardsBefore.emplace(card->sceneCardID(), card->description());
        typed_ = std::move(edit);
    }
    if (text != typed_->beatBefore) {
        writeBeat(*beat, text);
        return;
    }
    // Nothing of this edit stands any more.
    writeBeat(*beat, text, typed_->cardsBefore);
    typed_.reset();
}

void BeatsTableView::setDescription(int row, const QString& text)
{
    const std::int64_t number = beatNumberForRow(row);
    Beatdb* beat = screenplay()->beatForBeatNumber(number);
    const bool typed = typed_ && typed_->row == row;
    typed_.reset();
    if (!beat || (!typed && text == beat->description()))
        return;
    writeBeat(*beat, text);
    // On the edit that completes the beat sheet of an empty board, the initial beat cards
    // follow once the table has finished with its editor: the dialog they bring must not run
    // inside the table's edit. The edit may have ended by a click on another beat, whose
    // editor is open by then and keeps what is typed into it.
    QPointer<MyDocument> document = myParent();
    QTimer::singleShot(0, document, [document, number] {
        guardedCall([&] {
            document->updateBeatSceneCardForBeat(number);
            if (BeatsTableView* table = document->beatsTableView())
                table->refreshTexts();
        });
    });
}
