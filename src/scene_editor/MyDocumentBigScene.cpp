// The document's side of the large scene card: showing it in the board pane in place of the
// corkboard or the list, with the strip of small cards under it, moving it to another card and
// closing it.
#include "app/MyDocument.h"

#include "BigSceneView.h"
#include "SmallSceneCard.h"
#include "app/AppLog.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <QFrame>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// The strip of small cards: its colour, the rule along its top and the first card's place.
const QColor kStripColor = QColor::fromRgb(218, 76, 38);
const QColor kStripRuleColor = QColor::fromRgb(204, 204, 204);
constexpr int kStripRuleHeight = 4;
constexpr int kMiniCardLeft = 3;
constexpr int kMiniCardTop = 8;

// Scrolls the strip so that `frame` (the strip's points) shows with 50 points around it, as
// the scroll view does for a child widget.
void ensureFrameVisible(QScrollArea& scroll, QRect frame)
{
    const QWidget* content = scroll.widget();
    if (!content)
        return;
    const QRect visible(-content->pos(), scroll.viewport()->size());
    if (visible.contains(frame))
        return;
    frame.adjust(-50, -50, 50, 50);
    QScrollBar* horizontal = scroll.horizontalScrollBar();
    if (frame.width() > visible.width())
        horizontal->setValue(frame.center().x() - visible.width() / 2);
    else if (frame.right() > visible.right())
        horizontal->setValue(frame.right() - visible.width());
    else if (frame.left() < visible.left())
        horizontal->setValue(frame.left());
    QScrollBar* vertical = scroll.verticalScrollBar();
    if (frame.height() > visible.height())
        vertical->setValue(frame.center().y() - visible.height() / 2);
    else if (frame.bottom() > visible.bottom())
        vertical->setValue(frame.bottom() - visible.height());
    else if (frame.top() < visible.top())
        vertical->setValue(frame.top());
}

} // namespace

QWidget* MyDocument::bigSceneView() const
{
    return bigSceneView_ ? bigSceneView_->view() : nullptr;
}

void MyDocument::openBigSceneCard(SceneCarddb* card, std::int64_t tab)
{
    if (!card || !currentScreenplay_ || !boardPane_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    if (story.bigSceneView() == 0) {
        if (story.boardView() == 2)
            shutDownTheBoardListView();
        else if (story.boardView() == 1)
            shutDownTheBoard();
    }
    if (bigSceneView_) {
        qCDebug(lcApp, "Open Big Scene View and Set Scene");
        bigSceneView_->saveChanges(nullptr);
        bigSceneView_->setScene(card);
    } else {
        bigSceneView_ = std::make_unique<BigSceneView>(this, &story, card);
        bigSceneView_->view()->setParent(boardPane_);
        bigSceneView_->view()->show();
    }
    placeBigSceneView();
    if (tab > 0) {
        qCDebug(lcApp, "setting selected tab");
        bigSceneView_->setSelectedTabID(tab);
    }
    bigSceneView_->refreshView();

    story.setBigSceneView(1);
    story.setBigSceneSceneCardID(card->sceneCardID());
    story.save();
    boardIsHidden(false);
    showMiniSceneCards();
}

void MyDocument::refreshMiniSceneCards()
{
    if (!bigSceneView_)
        return;
    removeMiniSceneCards();
    showMiniSceneCards();
}

void MyDocument::showMiniSceneCards()
{
    Screenplaydb& story = *currentScreenplay_;
    const SceneCarddb* card = bigSceneView_->scene();
    // Paging buttons: none before the board's first card, none after its last.
    const auto& board = story.sceneCards();
    bigSceneView_->cmdPreviousCard()->hide();
    bigSceneView_->cmdNextCard()->hide();
    if (!board.empty()) {
        bigSceneView_->cmdPreviousCard()->setVisible(board.front().get() != card);
        bigSceneView_->cmdNextCard()->setVisible(board.back().get() != card);
    }
    // The small card of the card shown: marked, and scrolled into sight.
    const SmallSceneCard* marked = nullptr;
    if (!scrMiniSceneCards_) {
        const int paneWidth = boardPane_->width();
        const int paneHeight = boardPane_->height();
        auto* strip = new QScrollArea(boardPane_);
        strip->setObjectName(QStringLiteral("scrMiniSceneCards"));
        strip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        strip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QPalette palette = strip->palette();
        palette.setColor(QPalette::Window, kStripColor);
        strip->setPalette(palette);
        strip->setBackgroundRole(QPalette::Window);
        strip->setGeometry(0, paneHeight - kMiniSceneCardStripHeight, paneWidth, kMiniSceneCardStripHeight);
        strip->show();
        scrMiniSceneCards_ = strip;

        const int contentWidth = static_cast<int>(board.size()) * kMiniSceneCardStep + 5;
        miniSceneCardControls_.clear();
        // The strip paints the small cards; each card is only its look and its place.
        auto* cards = new MiniSceneCardStrip(miniSceneCardControls_);
        cards->setObjectName(QStringLiteral("vMiniSceneCards"));
        cards->resize(contentWidth, strip->viewport()->height());
        auto* rule = new QFrame(cards);
        rule->setFrameShape(QFrame::NoFrame);
        QPalette grey = rule->palette();
        grey.setColor(QPalette::Window, kStripRuleColor);
        rule->setPalette(grey);
        rule->setAutoFillBackground(true);
        rule->setGeometry(0, 0, contentWidth, kStripRuleHeight);
        int k = 0;
        // Made in place, in room taken once: a card keeps its address while the strip lives.
        miniSceneCardControls_.reserve(board.size());
        for (const auto& boardCard : board) {
            SmallSceneCard& mini = miniSceneCardControls_.emplace_back(this, &story, boardCard.get());
            mini.setFrame(QRect(kMiniCardLeft + kMiniSceneCardStep * k++, kMiniCardTop, SmallSceneCard::kWidth,
                                SmallSceneCard::kHeight));
            if (boardCard.get() == card) {
                mini.setIsEnabled(true);
                marked = &mini;
            }
        }
        strip->setWidget(cards);
        vMiniSceneCards_ = cards;
    } else {
        for (SmallSceneCard& mini : miniSceneCardControls_) {
            const bool shown = mini.scene() == card;
            mini.setIsEnabled(shown);
            if (shown)
                marked = &mini;
        }
    }
    if (marked)
        ensureFrameVisible(*scrMiniSceneCards_, marked->frame());
    boardPane_->update();
}

void MyDocument::removeMiniSceneCards()
{
    // The small cards' views go with their controllers.
    miniSceneCardControls_.clear();
    delete vMiniSceneCards_;
    delete scrMiniSceneCards_;
}

void MyDocument::closeBigSceneCard()
{
    if (!currentScreenplay_)
        return;
    if (bigSceneView_) {
        // The card may be closed from inside one of its own events (a drag out by its thumb
        // tack, a click): its view goes once that event is over.
        bigSceneView_->view()->hide();
        bigSceneView_.release()->deleteLater();
    }
    removeMiniSceneCards();
    Screenplaydb& story = *currentScreenplay_;
    const std::int64_t shown = story.bigSceneSceneCardID();
    story.setBigSceneView(0);
    story.setBigSceneSceneCardID(0);
    story.save();
    giveBackBigSceneRoom();
    boardIsHidden(false);
    if (story.boardView() == 1)
        showTheBoard();
    else if (story.boardView() == 2)
        showBoardListView();
    focusCardOfTheBoard(story.sceneCardForSceneCardID(shown));
}

void MyDocument::focusCardOfTheBoard(SceneCarddb* card)
{
    // The keys typed next go to the card the writer was working on, which shows: on the board,
    // or in the Litter Box when it was opened from there.
    QWidget* board = boardListViewView_ ? boardListViewView_.data() : scrBoard_ ? scrBoard_->widget() : nullptr;
    if (!board)
        return;
    QWidget* holder = nullptr;
    if (card && card->onBoard() == 1)
        holder = board;
    else if (card && card->onBoard() == 2 && !litterBoxIsHidden_)
        holder = litterBoxView();
    SceneCardView* control = holder ? sceneCardControlForSceneCard(card) : nullptr;
    QWidget* cardView = control ? control->view() : nullptr;
    if (!cardView || !holder->isAncestorOf(cardView)) {
        board->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The nearest scroll view holding the card brings it into view.
    for (QWidget* around = cardView->parentWidget(); around; around = around->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(around)) {
            scroll->ensureWidgetVisible(cardView);
            break;
        }
    cardView->setFocus(Qt::OtherFocusReason);
}
