#include "DropAnswers.h"

#include "app/GuardedCall.h"

#include <QDragMoveEvent>
#include <QDropEvent>

void answerDrag(QDragMoveEvent* event, const DropOperation& operation)
{
    Qt::DropAction action = Qt::IgnoreAction;
    guardedCall([&] { action = operation(event->mimeData(), event->possibleActions()); });
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void answerDrop(QDropEvent* event, const DropOperation& operation, const DropTaker& take)
{
    Qt::DropAction action = Qt::IgnoreAction;
    bool taken = false;
    guardedCall([&] {
        action = operation(event->mimeData(), event->possibleActions());
        taken = action != Qt::IgnoreAction && take(event->mimeData(), event->position().toPoint());
    });
    if (!taken) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}
