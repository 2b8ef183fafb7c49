#pragma once

#include <QPoint>
#include <Qt>

#include <functional>

class QDragMoveEvent;
class QDropEvent;
class QMimeData;

// How the board's drop targets answer the platform's drag events. `operation` says what the
// target would do with the data (Qt::IgnoreAction: refuse it); `take` takes a drop at a point
// of the target and answers whether it was taken. Failures inside either are reported and
// count as a refusal.
using DropOperation = std::function<Qt::DropAction(const QMimeData*, Qt::DropActions)>;
using DropTaker = std::function<bool(const QMimeData*, const QPoint&)>;

// A drag entering or moving over the target: accepted with the target's action, or refused.
void answerDrag(QDragMoveEvent* event, const DropOperation& operation);
// The drop itself: accepted only when the target would take it and did.
void answerDrop(QDropEvent* event, const DropOperation& operation, const DropTaker& take);

// The same for a target that answers through its `dragOperationFor` and `performDrop`; a
// target that is gone refuses everything.
template <typename Target>
DropOperation dropOperationOf(Target* target)
{
    return [target](const QMimeData* data, Qt::DropActions offered) {
        return target ? target->dragOperationFor(data, offered) : Qt::IgnoreAction;
    };
}

template <typename Target>
void answerDragFor(QDragMoveEvent* event, Target* target)
{
    answerDrag(event, dropOperationOf(target));
}

template <typename Target>
void answerDropFor(QDropEvent* event, Target* target)
{
    answerDrop(event, dropOperationOf(target),
               [target](const QMimeData* data, const QPoint& location) { return target && target->performDrop(data, location); });
}
