// The document's side of the corkboard: the card views it keeps for every card, showing and
// shutting down the corkboard, and what the cards ask of the document (moving a card into the
// Litter Box, deleting a card, paging between cards).
#include "app/MyDocument.h"

#include "BoardListViewView.h"
#include "BoardView.h"
#include "model/CardPlacement.h"
#include "LitterBoxView.h"
#include "SceneCardEdits.h"
#include "SceneCardView.h"
#include "app/AppActions.h"
#include "app/AppController.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryLinkIndex.h"
#include "model/StoryTransaction.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SmallSceneCard.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <unordered_set>
#include "app/AutoTips.h"
#include "app/GuardedCall.h"
#include "model/Beatdb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/Toolkit.h"
#include "panes/InitialBeatCards.h"
#include "panes/ModalDialogs.h"
#include "ColorCodeSelector.h"
#include "model/UserInformationdb.h"
#include <array>
#include <memory>
#include <optional>

namespace {

// The board's zoom and board-size menu items, in the order of their tags 1, 2, ...
std::array<QAction*, 4> zoomItems(const AppActions& menus)
{
    return {menus.mnuBZNormal, menus.mnuBZLarger, menus.mnuBZEvenBigger, menus.mnuBZAsBigAsItGets};
}

std::array<QAction*, 6> boardSizeItems(const AppActions& menus)
{
    return {menus.mnuPPBSFitToCurrentView, menus.mnuPPBSIncreaseWidth, menus.mnuPPBSDecreaseWidth,
            menus.mnuPPBSIncreaseHeight,   menus.mnuPPBSDecreaseHeight, menus.mnuPPBSRestoreDefaults};
}

// The board card `step` places after (or before) `card` in board order comes to the top with its
// heading in edit; nothing when there is no such card or `card` is not on the board.
void pageFromSceneCard(MyDocument& document, const SceneCarddb* card, std::int64_t step)
{
    Screenplaydb* story = document.currentScreenplay();
    if (!story || !card)
        return;
    const std::int64_t index = story->indexOfSceneCardWithID(card->sceneCardID());
    const std::int64_t target = index + step;
    if (index < 0 || target < 0 || target >= static_cast<std::int64_t>(story->sceneCards().size()))
        return;
    SceneCardView* control =
        document.sceneCardControlForSceneCard(story->sceneCards()[static_cast<std::size_t>(target)].get());
    if (!control)
        return;
    control->enterFromKeyboard();
}

// Every set-up (pay-off) lying on the card is left on no card and saved; `detached` lists them.
template <typename Record>
void detachFromCard(const RecordList<Record>& records, std::int64_t sceneCardID, std::vector<Record*>& detached)
{
    for (const auto& record : records) {
        if (record->sceneCardID() != sceneCardID)
            continue;
        detached.push_back(record.get());
        record->setSceneCardID(0);
        record->save();
    }
}

} // namespace

// --- Card views --------------------------------------------------------------------------------

SceneCardView* MyDocument::sceneCardControlForSceneCard(const SceneCarddb* card) const
{
    if (!card)
        return nullptr;
    const auto indexed = sceneCardControlIndex_.find(card);
    if (indexed != sceneCardControlIndex_.end() && indexed->second->scene() == card)
        return indexed->second;
    // A view given another card since the index was made is still found, the slow way.
    const auto found = std::find_if(sceneCardControls_.begin(), sceneCardControls_.end(),
                                    [card](const auto& control) { return control->scene() == card; });
    return found == sceneCardControls_.end() ? nullptr : found->get();
}

void MyDocument::indexSceneCardControls()
{
    sceneCardControlIndex_.clear();
    sceneCardControlIndex_.reserve(sceneCardControls_.size());
    for (const auto& control : sceneCardControls_)
        if (control->scene())
            sceneCardControlIndex_.try_emplace(control->scene(), control.get());
}

void MyDocument::addMissingSceneCardControls()
{
    if (!currentScreenplay_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    // Nothing to do when the views are still those of the story's cards in the order they were
    // made: board cards, then the Litter Box (a window laying itself out asks several times).
    if (sceneCardControls_.size() == story.sceneCards().size() + story.litterBox().size()) {
        auto control = sceneCardControls_.begin();
        bool same = true;
        for (const auto* list : {&story.sceneCards(), &story.litterBox()})
            for (auto card = list->begin(); same && card != list->end(); ++card, ++control)
                same = (*control)->scene() == card->get();
        if (same)
            return;
    }
    // The views kept, by card; a second view of one card goes.
    std::unordered_map<const SceneCarddb*, std::unique_ptr<SceneCardView>> kept;
    kept.reserve(sceneCardControls_.size());
    std::vector<std::unique_ptr<SceneCardView>> gone;
    for (auto& control : sceneCardControls_)
        if (const SceneCarddb* card = control->scene(); !card || !kept.try_emplace(card, std::move(control)).second)
            gone.push_back(std::move(control));
    sceneCardControls_.clear();
    sceneCardControls_.reserve(story.sceneCards().size() + story.litterBox().size());
    // Board cards first, in board order, then the Litter Box; what lies on the new cards is
    // read once for all of them.
    std::optional<std::unordered_map<std::int64_t, std::int64_t>> pictures;
    for (const auto* list : {&story.sceneCards(), &story.litterBox()}) {
        for (const auto& card : *list) {
            if (const auto found = kept.find(card.get()); found != kept.end()) {
                sceneCardControls_.push_back(std::move(found->second));
                kept.erase(found);
                continue;
            }
            if (!pictures)
                pictures.emplace(thumbnailAttachmentsOfCards(story));
            auto control = std::make_unique<SceneCardView>(this, &story);
            const auto picture = pictures->find(card->sceneCardID());
            control->setScene(card.get(), picture == pictures->end() ? 0 : picture->second);
            sceneCardControls_.push_back(std::move(control));
        }
    }
    // A card that left the story takes its view with it, as does a second view of a card.
    for (auto& [card, control] : kept)
        gone.push_back(std::move(control));
    for (auto& control : gone)
        takeCardViewOffItsPresentation(*control);
    indexSceneCardControls();
}

// --- The corkboard -----------------------------------------------------------------------------

void MyDocument::showTheBoard()
{
    addMissingSceneCardControls();
    scrBoard_ = addPaneScrollView(QStringLiteral("scrBoard"), boardPane_, standardBackgroundColor_);
    // The board fills at least the part of the scroll view that shows.
    boardView_ = std::make_unique<BoardView>(this, currentScreenplay_.get());
    scrBoard_->setWidget(boardView_->view());
    scrBoard_->horizontalScrollBar()->setValue(0);
    scrBoard_->verticalScrollBar()->setValue(0);
    boardIsHidden(false);
}

void MyDocument::refreshTheBoard()
{
    addMissingSceneCardControls();
    if (boardView_)
        boardView_->refreshTheBoard();
}

void MyDocument::shutDownTheBoard()
{
    activeSceneCardID_ = 0;
    if (window_)
        window_->tbToggleListCorkView()->setVisible(false);
    application_.actions().mnuToggleBoardView->setVisible(false);
    boardSizeMenusEnabled(false);
    if (boardView_) {
        // No card view keeps the board that goes: a card edited before the next board is built
        // has no board to come to the top of.
        boardView_->removeSceneCardsFromTheBoard();
        boardView_->removeLayoutControlsFromTheBoard();
    }
    boardView_.reset();
    delete scrBoard_;
}

// --- The Litter Box ----------------------------------------------------------------------------

void MyDocument::layoutLitterBox()
{
    // A column shown before gives its card views back first.
    litterBoxView_.reset();
    delete scrLitterBox_->takeWidget();
    addMissingSceneCardControls();
    litterBoxView_ = std::make_unique<LitterBoxView>(this, currentScreenplay_.get());
    scrLitterBox_->setWidget(litterBoxView_->view());
    litterBoxView_->refreshView();
    litterBoxIsHidden_ = false;
}

void MyDocument::refreshLitterBoxView()
{
    if (litterBoxView_)
        litterBoxView_->refreshView();
}

QWidget* MyDocument::litterBoxView() const
{
    return litterBoxView_ ? litterBoxView_->view() : nullptr;
}

// --- What the cards ask of the document --------------------------------------------------------

void MyDocument::dropSceneCardInLitterBox(std::int64_t sceneCardID)
{
    if (!currentScreenplay_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    SceneCarddb* card = story.sceneCardForSceneCardID(sceneCardID);
    if (!card || card->onBoard() != 1)
        return;
    // With the large scene card open, the card after this one (or before the board's last
    // one) is shown next.
    SceneCarddb* next = nullptr;
    if (story.bigSceneView() == 1) {
        const auto& board = story.sceneCards();
        const std::int64_t index = story.indexOfSceneCardWithID(sceneCardID);
        const auto count = static_cast<std::int64_t>(board.size());
        if (index >= 0 && index + 1 < count)
            next = board[static_cast<std::size_t>(index + 1)].get();
        else if (index >= 1)
            next = board[static_cast<std::size_t>(index - 1)].get();
    }
    // The card goes with its set-ups and pay-offs left behind, all in one write.
    std::vector<SceneSetupdb*> setups;
    std::vector<ScenePayoffdb*> payoffs;
    {
        StoryTransaction transaction(story.database());
        try {
            card->setOnBoard(2);
            card->save();
            detachFromCard(story.sceneSetups(), sceneCardID, setups);
            detachFromCard(story.scenePayoffs(), sceneCardID, payoffs);
            transaction.commit();
        } catch (...) {
            // The file is as it was; so is the story.
            card->setOnBoard(1);
            for (SceneSetupdb* setup : setups)
                setup->setSceneCardID(sceneCardID);
            for (ScenePayoffdb* payoff : payoffs)
                payoff->setSceneCardID(sceneCardID);
            throw;
        }
    }
    story.moveSceneCardToLitterBox(card);
    // The card may take the keyboard focus with it; whatever on the board the focus moves on to,
    // the board stays where it was scrolled.
    const QPointer<QScrollArea> board = scrBoard_;
    const QPoint scrolled = board ? QPoint(board->horizontalScrollBar()->value(), board->verticalScrollBar()->value())
                                  : QPoint();
    if (SceneCardView* control = sceneCardControlForSceneCard(card)) {
        control->setThumbTackImage(QStringLiteral("SceneCardThumbDown"));
        control->setMyBoardViewParent(nullptr);
        control->setMyBoardListViewParent(nullptr);
        takeCardViewOffItsPresentation(*control);
    }
    if (board) {
        board->horizontalScrollBar()->setValue(scrolled.x());
        board->verticalScrollBar()->setValue(scrolled.y());
    }
    if (story.bigSceneView() == 1) {
        if (next) {
            removeMiniSceneCards();
            openBigSceneCard(next);
        } else {
            closeBigSceneCard();
        }
    } else if (story.boardView() == 2) {
        if (BoardListViewView* list = boardListViewOf(*this))
            list->refreshView();
    }
    refreshLitterBoxView();
    refreshSetupAndPayoffTables();
}

void MyDocument::refreshSetupAndPayoffTables()
{
    for (const std::int64_t section : {3, 4})
        refreshStoryElementsTable(*this, section);
}

void MyDocument::deleteSceneCard(SceneCarddb* card)
{
    if (!card || !currentScreenplay_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    const std::int64_t index = story.indexOfSceneCardWithID(card->sceneCardID());
    const std::int64_t onBoard = card->onBoard();
    // Deleting the card the large scene card shows clears the story's record of it: whether
    // the large card is open is decided from before.
    const bool bigOpen = story.bigSceneView() == 1;
    const bool wasShown = bigSceneView_ && bigSceneView_->scene() == card;
    // An edit in progress on the card's view ends in the card while the story still holds it.
    if (SceneCardView* control = sceneCardControlForSceneCard(card))
        control->commitEditing();
    // The views let go of the card only once the file has kept the delete: a refused delete
    // leaves the card on the screen, as it is in the story.
    story.deleteSceneCard(card, [&] {
        // The large scene card stores nothing more into a card that is going.
        if (wasShown)
            bigSceneView_->setScene(nullptr);
        const auto found = std::find_if(sceneCardControls_.begin(), sceneCardControls_.end(),
                                        [card](const auto& control) { return control->scene() == card; });
        if (found != sceneCardControls_.end()) {
            SceneCardView* control = found->release();
            sceneCardControls_.erase(found);
            sceneCardControlIndex_.erase(card);
            control->setScene(nullptr);
            takeCardViewOffItsPresentation(*control);
            // The card may be deleted from one of its own buttons: the view goes once that is over.
            control->deleteLater();
        }
        if (bigOpen && onBoard == 1)
            removeMiniSceneCards();
    });

    if (bigOpen && (onBoard == 1 || wasShown)) {
        // The card that followed the deleted one (or the new last card) takes its place.
        const auto& board = story.sceneCards();
        SceneCarddb* next = nullptr;
        if (onBoard == 1 && !board.empty())
            next = board[std::min(static_cast<std::size_t>(std::max<std::int64_t>(index, 0)), board.size() - 1)].get();
        if (next)
            openBigSceneCard(next);
        else
            closeBigSceneCard();
    } else if (!bigOpen && onBoard == 1 && story.boardView() == 2) {
        if (BoardListViewView* list = boardListViewOf(*this))
            list->refreshView();
    }
    // The card's set-ups and pay-offs are free now: a showing list stops naming the card.
    refreshSetupAndPayoffTables();
}

void MyDocument::pageToSceneCardAfterSceneCard(SceneCarddb* card)
{
    pageFromSceneCard(*this, card, 1);
}

void MyDocument::pageToSceneCardBeforeSceneCard(SceneCarddb* card)
{
    pageFromSceneCard(*this, card, -1);
}

// The board commands of the document that the story development panes lead to: the gate
// for scene cards, the initial beat cards, adding a card and beat cards following the beat
// sheet.

void connectBoardCommands(AppController& application)
{
    AppActions& menus = application.actions();
    application.routeToCurrentDocument(menus.mnuAddSceneCard, [](MyDocument& document) { document.addSceneCard(); });
    application.routeToCurrentDocument(menus.mnuToggleBoardView,
                                       [](MyDocument& document) { document.toggleBoardView(); });
    int tag = 1;
    for (QAction* item : zoomItems(menus)) {
        item->setData(tag++);
        application.routeToCurrentDocument(item, [item](MyDocument& document) {
            // Choosing an item toggles its check mark; the document alone decides it.
            item->setChecked(!item->isChecked());
            document.zoomTheBoard(item);
        });
    }
    tag = 1;
    for (QAction* item : boardSizeItems(menus)) {
        item->setData(tag++);
        application.routeToCurrentDocument(item, [item](MyDocument& document) { document.modifyTheBoardSize(item); });
    }
}

void MyDocument::connectBoardControls()
{
    connect(window_->tbAddSceneCard(), &QAction::triggered, this, [this] { guardedCall([this] { addSceneCard(); }); });
    connect(window_->tbToggleListCorkView(), &QAction::triggered, this,
            [this] { guardedCall([this] { toggleBoardView(); }); });
}

bool MyDocument::okToAddSceneCards() const
{
    return currentScreenplay_ && AutoTips::storyAcceptsSceneCards(*currentScreenplay_);
}

// A modal offer made during the layout, or before the window is on the screen, would leave
// every pane behind it undrawn until it closed: the offer waits for the drawn window.
void MyDocument::offerInitialBeatCardsOverDrawnWindow()
{
    QTimer::singleShot(0, this, [this] {
        guardedCall([this] {
            if (!storyIsOpen() || !window_ || !currentScreenplay_->sceneCards().empty())
                return;
            if (window_->isVisible()) {
                QWindow* surface = window_->windowHandle();
                if (surface && !surface->isExposed()) {
                    // Asked again from eventFilter once the window is on the screen.
                    surface->installEventFilter(this);
                    return;
                }
                window_->repaint();
            }
            // The automatic tip keeps its second after the layout for after the offer, and
            // then speaks of the story with its cards.
            struct ResumeTip {
                QPointer<QTimer> timer;
                ~ResumeTip()
                {
                    if (timer)
                        timer->start();
                }
            } resume{autoTipTimer_ && autoTipTimer_->isActive() ? autoTipTimer_ : QPointer<QTimer>()};
            if (resume.timer)
                resume.timer->stop();
            addMajorTurnCards();
        });
    });
}

void MyDocument::addMajorTurnCards()
{
    // The dialog shows once at a time, and only for a ready story without a card: a story
    // whose cards are all in the Litter Box never gets a second set of beat cards.
    if (!storyIsOpen() || initialBeatCardsWindow_ || AutoTips::storyHasSceneCards(*currentScreenplay_)
        || !okToAddSceneCards())
        return;
    Screenplaydb& story = *currentScreenplay_;
    std::array<bool, 5> options{};
    {
        InitialBeatCards dialog;
        ModalDialogs::paintBackground(dialog, standardBackgroundColor_);
        initialBeatCardsWindow_ = &dialog;
        struct Release {
            InitialBeatCards*& window;
            ~Release() { window = nullptr; }
        } release{initialBeatCardsWindow_};
        // However the dialog ends, the cards are placed.
        ModalDialogs::run(dialog);
        options = dialog.optionalCards();
        dialog.close();
    }
    Toolkit().addInitialBeatCardsForScreenplay(story, options);
    addMissingSceneCardControls();
    showBoardWithNewCards();
}

// The stored view of the board shows the new cards: the large scene card on the first card,
// or the list or the corkboard built again from the story.
void MyDocument::showBoardWithNewCards()
{
    Screenplaydb& story = *currentScreenplay_;
    if (story.sceneCards().empty())
        return;
    if (story.bigSceneView() == 1) {
        SceneCarddb* first = story.sceneCards().front().get();
        story.setBigSceneSceneCardID(first->sceneCardID());
        story.save();
        openBigSceneCard(first, 1);
    } else if (story.boardView() == 2 && boardListViewView_) {
        shutDownTheBoardListView();
        showBoardListView();
    } else if (story.boardView() == 1 && boardView_) {
        refreshTheBoard();
        // The board now takes cards: its add-card button and menu item show.
        boardIsHidden(false);
    }
}

void MyDocument::setStoryPageCount(std::int64_t pages)
{
    // The count the story has already (the field left again, Return pressed on it) is no edit:
    // nothing is re-paged or written.
    if (!storyIsOpen() || pages == currentScreenplay_->pageCount())
        return;
    Screenplaydb& story = *currentScreenplay_;
    const Screenplaydb::Paging previous = story.paging();
    try {
        story.setPageCount(pages);
        story.save();
    } catch (...) {
        // The file kept the old count and every card's old place, page and board beat: so does
        // memory, with or without cards, and nothing is left marked for a later save to write.
        story.restorePaging(previous);
        throw;
    }
    refreshBoardForPageCount();
}

void MyDocument::refreshBoardForPageCount()
{
    if (!currentScreenplay_)
        return;
    // The story has re-paged every card from its stored place; each card view shows its
    // card's new page. (A view's own place is the card's only while the corkboard shows it,
    // so the pages are not worked out from the views.)
    const StoryLinkIndex links(*currentScreenplay_);
    for (const auto& control : sceneCardControls_)
        control->setScene(control->scene(), links);
    refreshLitterBoxView();
    // Whichever presentation shows takes the new pages and beat ranges.
    if (currentScreenplay_->bigSceneView() == 1) {
        if (bigSceneView_)
            bigSceneView_->refreshView();
    } else if (boardView_) {
        refreshTheBoard();
    } else if (currentScreenplay_->boardView() == 2) {
        refreshBoardListView(*this);
    }
}

void MyDocument::updateBeatSceneCardForBeat(std::int64_t beatNumber)
{
    if (!storyIsOpen())
        return;
    Screenplaydb& story = *currentScreenplay_;
    if (story.sceneCards().empty()) {
        addMajorTurnCards();
        return;
    }
    Beatdb* beat = story.beatForBeatNumber(beatNumber);
    if (!beat)
        return;
    for (SceneCarddb* card : SceneCardEdits::writeBeatDescription(story, *beat, beat->description()))
        showSceneCardDescription(card);
}

void MyDocument::showSceneCardDescription(SceneCarddb* card)
{
    // The board card is the list's card too; the large card shows only the field that changed,
    // so that no other field it shows is filled again under the writer.
    if (SceneCardView* control = sceneCardControlForSceneCard(card))
        control->setScene(card);
    for (SmallSceneCard& mini : miniSceneCardControls_)
        if (mini.scene() == card)
            mini.setScene(card);
    if (bigSceneView_ && bigSceneView_->scene() == card)
        bigSceneView_->showDescription();
}

void MyDocument::addSceneCard()
{
    if (!storyIsOpen() || !okToAddSceneCards())
        return;
    commitEditing();
    Screenplaydb& story = *currentScreenplay_;
    auto card = std::make_unique<SceneCarddb>();

    // The new card goes next to the card last worked on, on the board or since moved into the
    // Litter Box (it takes that card's old place on the board).
    std::int64_t anchorID = 0;
    if (story.bigSceneView() == 0)
        anchorID = activeSceneCardID_;
    else if (story.bigSceneView() == 1)
        anchorID = story.bigSceneSceneCardID();
    SceneCarddb* anchor = anchorID != 0 ? story.sceneCardForSceneCardID(anchorID) : nullptr;
    if (!anchor && !story.sceneCards().empty())
        anchor = story.sceneCards().front().get();

    // Without one, the card starts the board.
    if (anchor)
        placeCardNextTo(story.boardSections(), *card, *anchor);
    else
        placeCardOnPage(story.boardSections(), *card, 1, 1, 0.0);
    card->setScreenplayID(story.screenplayID());

    // The card and its one empty action paragraph are stored together or not at all.
    auto paragraph = std::make_unique<ScriptPartdb>();
    paragraph->setSortOrder(1);
    const ScriptElementdb* action = story.elementForElementType(QStringLiteral("Action"));
    paragraph->setElementTypeID(action ? action->scriptElementID() : 0);
    {
        StoryTransaction transaction(story.database());
        card->insertIntoDatabase(&story);
        paragraph->setSceneCardID(card->sceneCardID());
        paragraph->insertIntoDatabase(&story);
        transaction.commit();
    }
    SceneCarddb* added = card.get();
    added->scriptParts().push_back(std::move(paragraph));
    story.sceneCards().push_back(std::move(card));
    story.sortAndRenumberBoard();
    addMissingSceneCardControls();
    // The new card is edited in the large scene card at once; an open one's strip is built
    // again with the new card.
    removeMiniSceneCards();
    openBigSceneCard(added);
}

// --- Board commands: presentation, zoom and board size -----------------------------------------

namespace {

// The least board width of each zoom factor.
constexpr std::array<std::int64_t, 4> kLeastBoardWidth{2260, 2490, 2670, 3050};
// What restoring the board's size adds below four rows of cards, by zoom factor.
constexpr std::array<std::int64_t, 4> kRestoredHeightExtra{112, 128, 144, 160};

// A board size after the zoom went from `from` to `to` (both 1 to 4, different). Going down
// multiplies by the factor of the pair, going up divides by it (a division, not a product with
// the reciprocal, which truncates one point short for sizes such as 846 at 1 to 3). Zooming 4
// to 1 uses 0.7333 while 1 to 4 uses 0.733.
std::int64_t rescaledForZoom(std::int64_t size, std::int64_t from, std::int64_t to)
{
    // [smaller][larger]: the factor between the smaller and the larger zoom.
    static constexpr double kShrink[4][4] = {
        {1.0, 0.9166, 0.846, 0.7333},
        {1.0, 1.0, 0.9215, 0.799},
        {1.0, 1.0, 1.0, 0.867},
        {1.0, 1.0, 1.0, 1.0},
    };
    const auto index = [](std::int64_t zoom) { return static_cast<std::size_t>(zoom - 1); };
    const auto value = static_cast<double>(size);
    if (to < from)
        return static_cast<std::int64_t>(value * kShrink[index(to)][index(from)]);
    const double shrink = from == 1 && to == 4 ? 0.733 : kShrink[index(from)][index(to)];
    return static_cast<std::int64_t>(value / shrink);
}

} // namespace

void MyDocument::toggleBoardView()
{
    if (!storyIsOpen())
        return;
    Screenplaydb& story = *currentScreenplay_;
    // The writer goes on in the presentation that replaces the one worked in; a field
    // elsewhere that has the focus keeps it.
    QWidget* focused = QApplication::focusWidget();
    const bool focusInBoard = !focused || !window_ || !window_->isAncestorOf(focused)
                              || (boardPane_ && boardPane_->isAncestorOf(focused));
    // The large scene card stands in place of both presentations.
    if (story.bigSceneView() != 1) {
        if (story.boardView() == 1) {
            shutDownTheBoard();
            story.setBoardView(2);
            showBoardListView();
        } else if (story.boardView() == 2) {
            shutDownTheBoardListView();
            story.setBoardView(1);
            showTheBoard();
        }
    }
    story.save();
    if (!focusInBoard)
        return;
    if (story.boardView() == 1 && scrBoard_)
        scrBoard_->setFocus(Qt::OtherFocusReason);
    else if (BoardListViewView* list = boardListViewOf(*this); list && list->scrSceneCards())
        list->scrSceneCards()->setFocus(Qt::OtherFocusReason);
}

void MyDocument::zoomTheBoard(QObject* sender)
{
    if (!storyIsOpen())
        return;
    Screenplaydb& story = *currentScreenplay_;
    const std::int64_t zoom = senderTag(sender);
    if (zoom == story.boardZoomFactor())
        return;
    const std::int64_t old = story.boardZoomFactor();
    const std::int64_t oldWidth = story.boardWidth();
    const std::int64_t oldHeight = story.boardHeight();
    const bool known = zoom >= 1 && zoom <= 4;
    std::int64_t width = oldWidth;
    std::int64_t height = oldHeight;
    if (known && old >= 1 && old <= 4) {
        width = rescaledForZoom(width, old, zoom);
        height = rescaledForZoom(height, old, zoom);
    }
    if (known)
        width = std::max(width, kLeastBoardWidth[static_cast<std::size_t>(zoom - 1)]);
    // The zoom and the size it gives reach the file together; refused, the story keeps the zoom and
    // size the file kept. (The corkboard, where it shows, raises the size to its least and to its
    // pane as it lays itself out again.)
    story.setBoardZoomFactor(zoom);
    story.setBoardSize(width, height);
    try {
        story.save();
    } catch (...) {
        story.setBoardZoomFactor(old);
        story.setBoardSize(oldWidth, oldHeight);
        throw;
    }
    const std::array<QAction*, 4> items = zoomItems(application_.actions());
    for (QAction* item : items)
        item->setChecked(false);
    // The board and the Litter Box keep what they show: only sizes and places change.
    if (story.boardView() == 1) {
        if (boardView_)
            boardView_->zoomChanged();
    } else if (story.boardView() == 2) {
        if (BoardListViewView* list = boardListViewOf(*this))
            list->refreshView();
    }
    if (litterBoxView_)
        litterBoxView_->zoomChanged();
    if (known)
        items[static_cast<std::size_t>(zoom - 1)]->setChecked(true);
}

void MyDocument::modifyTheBoardSize(QObject* sender)
{
    if (!storyIsOpen())
        return;
    Screenplaydb& story = *currentScreenplay_;
    auto width = story.boardWidth();
    auto height = story.boardHeight();
    const BoardSections& sections = story.boardSections();
    switch (senderTag(sender)) {
    case 1: {
        const QSize content = scrBoard_ ? scrBoard_->viewport()->size() : QSize(story.boardWidth(), story.boardHeight());
        if (content.width() == story.boardWidth() && content.height() == story.boardHeight())
            return;
        width = content.width();
        height = content.height();
        break;
    }
    case 2:
        width = static_cast<std::int64_t>(static_cast<double>(width) * 1.1);
        break;
    case 3:
        width = static_cast<std::int64_t>(static_cast<double>(width) - static_cast<double>(width) * 0.1);
        break;
    case 4:
        height = static_cast<std::int64_t>(static_cast<double>(height) * 1.1);
        break;
    case 5:
        height = static_cast<std::int64_t>(static_cast<double>(height) - static_cast<double>(height) * 0.1);
        break;
    case 6: {
        const std::int64_t zoom = story.boardZoomFactor();
        const std::int64_t extra = zoom >= 1 && zoom <= 4 ? kRestoredHeightExtra[static_cast<std::size_t>(zoom - 1)] : 0;
        height = 4 * sections.STANDARDSCENECARDHEIGHT() + 20 + extra + 8;
        width = 10 * sections.STANDARDSCENECARDWIDTH() + 8;
        break;
    }
    default:
        break;
    }
    // However narrow the view, every page of a row keeps room for the cards on it.
    story.setBoardSize(std::max(width, story.leastBoardWidth()), height);
    story.save();
    // The corkboard applies its own least size and what shows of it.
    refreshTheBoard();
}

void MyDocument::refreshSceneCardIndicators(SceneCarddb* card)
{
    for (const auto& control : sceneCardControls_) {
        if (control->scene() != card)
            continue;
        control->configureIndicators();
    }
    if (currentScreenplay_ && currentScreenplay_->bigSceneView() == 1 && bigSceneView_)
        bigSceneView_->configureIndicators();
}

// The document's colour commands: the story's colour codes in the colour-code dialog, the
// master colour codes of the application, and the notes board's ten-colour palette.




namespace {

const QString kColorCodeSelector = QStringLiteral("ColorCodeSelector");

struct PaletteColor {
    int red;
    int green;
    int blue;
};

constexpr std::array<PaletteColor, 10> kNotePalette{{
    {240, 230, 140},
    {152, 251, 152},
    {173, 216, 230},
    {255, 192, 203},
    {255, 165, 0},
    {255, 255, 0},
    {127, 255, 0},
    {0, 255, 255},
    {255, 0, 255},
    {255, 140, 0},
}};

// Edits the master file's colour codes: the dialog in use mode 4, with no story.
void editMasterColorCodes(AppController& application, UserInformationdb& user)
{
    ColorCodeSelector dialog(kColorCodeSelector, nullptr);
    ModalDialogs::paintBackground(dialog, QColor::fromRgb(205, 133, 63));
    dialog.setUserInformation(&user);
    dialog.setApplication(&application);
    dialog.setUseMode(ColorCodeSelector::Master);
    dialog.runModal();
    dialog.close();
}

// Keeps the document's dialog in its field for the length of the run, however it ends.
class DialogRun
{
public:
    DialogRun(ColorCodeSelector*& field, ColorCodeSelector* dialog) : field_(field) { field_ = dialog; }
    ~DialogRun() { field_ = nullptr; }
    DialogRun(const DialogRun&) = delete;
    DialogRun& operator=(const DialogRun&) = delete;

private:
    ColorCodeSelector*& field_;
};

// The cards' colour stripes after the story's colour codes changed: every card view of the
// document, board and Litter Box alike, and the large scene card with its small cards.
void repaintColorStripes(MyDocument& document)
{
    for (const auto& control : document.sceneCardControls())
        control->setColors();
    if (document.currentScreenplay() && document.currentScreenplay()->bigSceneView() == 1 &&
        document.bigSceneViewController()) {
        document.bigSceneViewController()->setColors();
        for (SmallSceneCard& mini : document.miniSceneCardControls())
            mini.setColors();
    }
}

} // namespace

void connectColorCodeCommands(AppController& application)
{
    application.setMasterColorCodeEditor(
        [&application](UserInformationdb& user) { editMasterColorCodes(application, user); });
    QAction* item = application.actions().mnuProjectColorCodes;
    application.routeToCurrentDocument(item, [item](MyDocument& document) { document.colorCodeForProject(item); });
}

QColor MyDocument::cardColorForColorID(std::int64_t colorID)
{
    if (colorID < 1 || colorID > static_cast<std::int64_t>(kNotePalette.size()))
        return QColor(Qt::white);
    const PaletteColor& color = kNotePalette[static_cast<std::size_t>(colorID - 1)];
    return QColor::fromRgb(color.red, color.green, color.blue);
}

void MyDocument::colorCodeForProject(QObject*)
{
    if (!currentScreenplay_)
        return;
    if (colorCodeWindow_) {
        // Already running: it only comes to the front.
        colorCodeWindow_->raise();
        colorCodeWindow_->activateWindow();
        return;
    }
    {
        auto dialog =
            std::make_unique<ColorCodeSelector>(kColorCodeSelector, currentScreenplay_.get(), window_.data());
        const DialogRun run(colorCodeWindow_, dialog.get());
        ModalDialogs::paintBackground(*dialog, standardBackgroundColor_);
        dialog->setUserInformation(application_.userInformation());
        dialog->setApplication(&application_);
        dialog->setUseMode(ColorCodeSelector::Project);
        dialog->runModal();
        dialog->close();
    }
    repaintColorStripes(*this);
}

// --- Board list view ---
// The list takes the board pane's place while the story's presentation is the list; the
// document keeps the controller (as its child object) until the list is shut down.

#include "BoardListViewView.h"

#include <QLayout>

void MyDocument::showBoardListView()
{
    addMissingSceneCardControls();
    auto* list = new BoardListViewView(this, currentScreenplay_.get(), this);
    list->refreshView();
    boardListViewView_ = list->view();
    boardPane_->layout()->addWidget(boardListViewView_);
    boardListViewView_->show();
    boardIsHidden(false);
}

void MyDocument::shutDownTheBoardListView()
{
    activeSceneCardID_ = 0;
    if (window_)
        window_->tbToggleListCorkView()->setVisible(false);
    application_.actions().mnuToggleBoardView->setVisible(false);
    if (BoardListViewView* list = boardListViewOf(*this)) {
        list->removeSceneCardsFromListView();
        list->removeLayoutControlsFromListView();
        // The controller takes its view with it.
        delete list;
    }
    delete boardListViewView_;
}
