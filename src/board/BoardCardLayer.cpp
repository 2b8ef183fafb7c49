#include "BoardCardLayer.h"

#include "BoardView.h"
#include "DropAnswers.h"
#include "SceneCardView.h"
#include "app/GuardedCall.h"
#include "model/AttachedObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryLinkIndex.h"

#include <QCoreApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QToolTip>

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Where the card lies on the board: its widget's place when it has one.
QPoint cardOrigin(const SceneCardView& card)
{
    const QWidget* widget = card.madeView();
    return widget ? widget->pos() : card.boardFrame().topLeft();
}

// What the cards about to be painted show, read for those not read since they changed, with one
// pass over the story's links for all of them.
void readLooks(BoardView& board, const std::vector<std::pair<SceneCardView*, QRegion>>& shown)
{
    std::vector<SceneCardView*> unread;
    std::vector<std::int64_t> cards;
    for (const auto& each : shown) {
        if (each.first->lookRead() || !each.first->scene())
            continue;
        unread.push_back(each.first);
        cards.push_back(each.first->scene()->sceneCardID());
    }
    if (unread.empty() || !board.screenplay())
        return;
    const StoryLinkIndex links(*board.screenplay(), cards);
    for (SceneCardView* card : unread)
        card->readLook(links);
}

// The thumbnails that wait for the first paint of the cards about to be painted, read with one
// pass over the story's attachments.
void resolveThumbnails(BoardView& board, const std::vector<std::pair<SceneCardView*, QRegion>>& shown)
{
    // Only a picture that shows is read.
    const auto wants = [](const std::pair<SceneCardView*, QRegion>& each) {
        const SceneCardView& card = *each.first;
        return card.thumbnailPending() &&
               each.second.intersects(card.layout().photoBackground.translated(card.boardFrame().topLeft()));
    };
    std::unordered_map<std::int64_t, const AttachedObjectdb*> wanted;
    for (const auto& each : shown)
        if (wants(each))
            wanted.emplace(each.first->thumbnailAttachmentID(), nullptr);
    if (wanted.empty() || !board.screenplay())
        return;
    for (const auto& attachment : board.screenplay()->attachedObjects())
        if (const auto found = wanted.find(attachment->attachedObjectID()); found != wanted.end())
            found->second = attachment.get();
    for (const auto& each : shown)
        if (wants(each))
            each.first->resolveThumbnail(wanted[each.first->thumbnailAttachmentID()]);
}

} // namespace

BoardCardLayer::BoardCardLayer(BoardView& board, QWidget* parent)
    : QWidget(parent)
    , board_(board)
{
    setObjectName(QStringLiteral("boardCards"));
    setAcceptDrops(true);
    setMouseTracking(true);
}

void BoardCardLayer::paintEvent(QPaintEvent* event)
{
    const QRect exposed = event->rect();
    // From the top down: what shows of each card is what the cards above it leave of it. Cards
    // with widgets of their own lie above all painted ones and paint themselves.
    std::vector<std::pair<SceneCardView*, QRegion>> shown;
    QRegion covered;
    const std::vector<SceneCardView*>& cards = board_.shownCards();
    const std::vector<QRect>& frames = board_.shownFrames();
    for (std::size_t slot = cards.size(); slot-- > 0;) {
        SceneCardView* card = cards[slot];
        // Most cards lie outside what is painted: they are passed by their frames alone.
        if (!card || (!frames[slot].intersects(exposed) && !board_.mayHaveWidget(slot)))
            continue;
        // Only a slot that had a widget seated can hold one (a card's widget is always seated).
        const QWidget* widget = board_.mayHaveWidget(slot) ? card->madeView() : nullptr;
        const QRect frame = (widget ? widget->geometry() : frames[slot]) & exposed;
        if (frame.isEmpty())
            continue;
        if (!widget) {
            QRegion uncovered = QRegion(frame) - covered;
            if (uncovered.isEmpty())
                continue;
            shown.emplace_back(card, std::move(uncovered));
        }
        covered += frame;
    }
    readLooks(board_, shown);
    resolveThumbnails(board_, shown);
    QPainter painter(this);
    for (auto each = shown.rbegin(); each != shown.rend(); ++each) {
        SceneCardView& card = *each->first;
        const QRect& frame = card.boardFrame();
        painter.save();
        painter.setClipRegion(each->second);
        painter.translate(frame.topLeft());
        card.paintCard(painter, frame.size());
        painter.restore();
    }
    painter.end();
    std::vector<SceneCardView*> painted;
    painted.reserve(shown.size());
    for (const auto& each : shown)
        painted.push_back(each.first);
    keepTextLinesInSight(painted);
}

void BoardCardLayer::keepTextLinesInSight(const std::vector<SceneCardView*>& painted)
{
    const QRect inSight = visibleRegion().boundingRect();
    std::vector<QPointer<SceneCardView>> kept;
    kept.reserve(shaped_.size() + painted.size());
    for (const QPointer<SceneCardView>& card : shaped_) {
        if (!card)
            continue;
        if (card->shownOnBoard() && card->boardFrame().intersects(inSight))
            kept.push_back(card);
        else if (!card->madeView())
            card->releaseTextLines();
    }
    for (SceneCardView* card : painted)
        if (std::find(kept.begin(), kept.end(), card) == kept.end())
            kept.emplace_back(card);
    shaped_ = std::move(kept);
}

bool BoardCardLayer::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const SceneCardView* card = board_.cardAt(help->pos());
        const QString tip = card ? card->toolTipAt(help->pos() - cardOrigin(*card)) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

bool BoardCardLayer::forward(QMouseEvent* event, QWidget* target)
{
    // The card's widget lies beside the layer on the board, not inside it.
    const QPointF local = target->mapFromGlobal(mapToGlobal(event->position()));
    QMouseEvent copy(event->type(), local, event->scenePosition(), event->globalPosition(), event->button(),
                     event->buttons(), event->modifiers(), event->pointingDevice());
    copy.setTimestamp(event->timestamp());
    copy.setAccepted(false);
    QCoreApplication::sendEvent(target, &copy);
    return copy.isAccepted();
}

void BoardCardLayer::mousePressEvent(QMouseEvent* event)
{
    if (pressed_ && (event->buttons() & ~event->button()) != Qt::NoButton) {
        // A second button while the first is held goes where the first went.
        event->setAccepted(forward(event, pressed_));
        return;
    }
    // A press with no other button held starts afresh, also when the last release never came
    // (a drag of the card took it).
    pressed_ = nullptr;
    SceneCardView* card = board_.cardAt(event->position().toPoint());
    if (!card) {
        event->ignore();
        return;
    }
    // The card comes to the top of the board with a widget of its own, which takes the press
    // and the rest of the click.
    QWidget* widget = nullptr;
    guardedCall([&] { widget = card->view(); });
    if (!widget) {
        event->ignore();
        return;
    }
    pressed_ = widget;
    const bool taken = forward(event, widget);
    if (!taken)
        pressed_ = nullptr;
    event->setAccepted(taken);
}

void BoardCardLayer::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first click gave the card its widget, which normally takes the second itself.
    mousePressEvent(event);
}

void BoardCardLayer::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed_ && event->buttons() != Qt::NoButton) {
        event->setAccepted(forward(event, pressed_));
        return;
    }
    const SceneCardView* card = event->buttons() == Qt::NoButton ? board_.cardAt(event->position().toPoint()) : nullptr;
    setCursor(card ? card->cursorAt(event->position().toPoint() - cardOrigin(*card)) : Qt::ArrowCursor);
    event->ignore();
}

void BoardCardLayer::mouseReleaseEvent(QMouseEvent* event)
{
    QPointer<QWidget> target = pressed_;
    if (event->buttons() == Qt::NoButton)
        pressed_ = nullptr;
    if (!target) {
        event->ignore();
        return;
    }
    event->setAccepted(forward(event, target));
}

void BoardCardLayer::dragEnterEvent(QDragEnterEvent* event)
{
    // The layer covers the whole board, so a drag enters it once, wherever it crosses the edge:
    // mostly over the cork, on its way to a card. Refused there, it would get no more moves and
    // its drop would never come; so it comes in when anything on the board could take it, and
    // every move and the drop answer for what lies under the pointer.
    dragMoveEvent(event);
    if (event->isAccepted() || !takenSomewhere(*event))
        return;
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

bool BoardCardLayer::takenSomewhere(const QDragEnterEvent& event) const
{
    bool taken = false;
    guardedCall([&] {
        const QMimeData* data = event.mimeData();
        const Qt::DropActions offered = event.possibleActions();
        taken = board_.dragOperationFor(data, offered) != Qt::IgnoreAction ||
                std::any_of(board_.shownCards().begin(), board_.shownCards().end(), [&](const SceneCardView* card) {
                    return card && card->dragOperationFor(data, offered) != Qt::IgnoreAction;
                });
    });
    return taken;
}

void BoardCardLayer::dragMoveEvent(QDragMoveEvent* event)
{
    // A record lands on the card under the pointer; a card of the Litter Box on the board.
    if (SceneCardView* card = board_.cardAt(event->position().toPoint()))
        answerDragFor(event, card);
    else
        answerDragFor(event, &board_);
}

void BoardCardLayer::dropEvent(QDropEvent* event)
{
    SceneCardView* card = board_.cardAt(event->position().toPoint());
    if (!card) {
        answerDropFor(event, &board_);
        return;
    }
    const QPoint inCard = event->position().toPoint() - cardOrigin(*card);
    answerDrop(event, dropOperationOf(card),
               [card, inCard](const QMimeData* data, const QPoint&) { return card->performDrop(data, inCard); });
}
