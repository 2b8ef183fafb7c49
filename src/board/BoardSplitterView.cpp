#include "BoardSplitterView.h"

#include "model/CardPlacement.h"
#include "DropAnswers.h"
#include "LitterBoxView.h"
#include "app/MyDocument.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QScrollArea>

BoardSplitterView::BoardSplitterView(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
}

BoardSplitterView::~BoardSplitterView()
{
    myParent_ = nullptr;
}

// A drag that the corkboard or the list lying over that point refused stays refused. The large
// scene card and its strip take no cards: while they cover the pane, a card let go over them is
// the pane's.
bool BoardSplitterView::coveredAt(QDropEvent* event) const
{
    QWidget* over = childAt(event->position().toPoint());
    if (!over)
        return false;
    if (myParent_)
        for (QWidget* open : {myParent_->bigSceneView(), static_cast<QWidget*>(myParent_->scrMiniSceneCards())})
            if (open && (open == over || open->isAncestorOf(over)))
                return false;
    event->ignore();
    return true;
}

void BoardSplitterView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!coveredAt(event))
        answerDragFor(event, this);
}

void BoardSplitterView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!coveredAt(event))
        answerDragFor(event, this);
}

void BoardSplitterView::dropEvent(QDropEvent* event)
{
    if (!coveredAt(event))
        answerDropFor(event, this);
}

void BoardSplitterView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (QScrollArea* strip = myParent_ ? myParent_->scrMiniSceneCards() : nullptr)
        strip->setGeometry(0, height() - MyDocument::kMiniSceneCardStripHeight, width(),
                           MyDocument::kMiniSceneCardStripHeight);
}

Qt::DropAction BoardSplitterView::dragOperationFor(const QMimeData* data, Qt::DropActions offered) const
{
    if (!(offered & Qt::MoveAction))
        return Qt::IgnoreAction;
    // Only a card of the Litter Box comes back this way.
    return draggedSceneCard(myParent_, data, 2) ? Qt::MoveAction : Qt::IgnoreAction;
}

bool BoardSplitterView::performDrop(const QMimeData* data, const QPoint&)
{
    SceneCarddb* card = draggedSceneCard(myParent_, data, 2);
    if (!card)
        return false;
    Screenplaydb& story = *myParent_->currentScreenplay();
    // The card returns to the place it had on the board, from the fractions it kept.
    const CardPlace before(*card);
    placeCardWhereItShows(story.boardSections(), *card);
    if (!story.putCardOnBoard(*card, before))
        return false;
    MyDocument* document = myParent_;
    document->refreshLitterBoxView();
    document->removeMiniSceneCards();
    document->openBigSceneCard(card);
    return true;
}
