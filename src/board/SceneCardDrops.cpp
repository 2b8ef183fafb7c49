// What a scene card takes when something is dropped on it: attachments, characters,
// locations, set-ups and pay-offs become the card's, and a card of the Litter Box dropped on
// a board card goes onto the board (a board card dropped on a Litter Box card goes into the
// Litter Box). Drops come only from the card's own story window; a record that cannot be
// found (the collection changed during the drag) is refused and nothing is touched.
#include "SceneCardView.h"

#include "BoardView.h"
#include "RecordPasteboardType.h"
#include "SceneCardEdits.h"
#include "app/MyDocument.h"
#include "model/AttachedObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"

#include <QMimeData>

#include <algorithm>
#include <array>

namespace Pasteboard = RecordPasteboardType;

namespace {

// The record types a card takes, in the order a drop looks for them.
const std::array<const char*, 5> kRecordTypes{Pasteboard::kAttachedObject, Pasteboard::kCharacter,
                                              Pasteboard::kSceneSetup, Pasteboard::kScenePayoff,
                                              Pasteboard::kSceneLocation};

// The record at the position a table row names, or nothing when the row lies outside the
// collection.
template <typename Record>
Record* recordForRow(const RecordList<Record>& records, std::int64_t row)
{
    const std::optional<std::size_t> position = Pasteboard::positionForRow(row, records.size());
    return position ? records[*position].get() : nullptr;
}

} // namespace

Qt::DropAction SceneCardView::dragOperationFor(const QMimeData* data, Qt::DropActions offered) const
{
    if (!scene_ || !screenplay() || !Pasteboard::comesFrom(data, myParent()))
        return Qt::IgnoreAction;
    for (const char* type : kRecordTypes)
        if (Pasteboard::offers(data, QString::fromLatin1(type)))
            return (offered & Qt::CopyAction) ? Qt::CopyAction : Qt::IgnoreAction;
    if (!Pasteboard::offers(data, QString::fromLatin1(Pasteboard::kSceneCard)) || !(offered & Qt::MoveAction))
        return Qt::IgnoreAction;
    const std::optional<std::int64_t> key = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneCard));
    const SceneCarddb* dragged = key ? screenplay()->sceneCardForSceneCardID(*key) : nullptr;
    if (!dragged)
        return Qt::IgnoreAction;
    // A card goes from the board to the Litter Box or back, never to a card of its own kind.
    const bool across = (dragged->onBoard() == 1 && scene_->onBoard() == 2) ||
                        (dragged->onBoard() == 2 && scene_->onBoard() == 1);
    return across ? Qt::MoveAction : Qt::IgnoreAction;
}

bool SceneCardView::performDrop(const QMimeData* data, const QPoint& location)
{
    if (!scene_ || !screenplay() || !Pasteboard::comesFrom(data, myParent()))
        return false;
    for (const char* type : kRecordTypes) {
        const QString name = QString::fromLatin1(type);
        if (!Pasteboard::offers(data, name))
            continue;
        const std::optional<std::int64_t> value = Pasteboard::value(data, name);
        return value && objectDropped(name, *value);
    }
    if (Pasteboard::offers(data, QString::fromLatin1(Pasteboard::kSceneCard)))
        return dropSceneCard(data, location);
    return false;
}

bool SceneCardView::dropSceneCard(const QMimeData* data, const QPoint& location)
{
    Screenplaydb& story = *screenplay();
    const std::optional<std::int64_t> key = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneCard));
    SceneCarddb* dragged = key ? story.sceneCardForSceneCardID(*key) : nullptr;
    MyDocument* document = myParent();
    if (!dragged || !document)
        return false;
    const QPoint global = view()->mapToGlobal(location);
    if (dragged->onBoard() == 2 && story.boardView() == 1) {
        BoardView* board = document->boardView();
        if (!board)
            return false;
        board->dropSceneCard(dragged->sceneCardID(), board->view()->mapFromGlobal(global));
        return true;
    }
    if (dragged->onBoard() == 2 && story.boardView() == 2) {
        BoardListPresentation* list = myBoardListViewParent_;
        return list && list->listView() &&
               list->dropSceneCard(dragged->sceneCardID(), list->listView()->mapFromGlobal(global),
                                   QString::number(static_cast<qlonglong>(scene_->sceneCardID())));
    }
    if (dragged->onBoard() == 1) {
        document->dropSceneCardInLitterBox(dragged->sceneCardID());
        return true;
    }
    return false;
}

bool SceneCardView::objectDropped(const QString& type, std::int64_t value)
{
    if (!scene_ || !screenplay())
        return false;
    if (type == QLatin1String(Pasteboard::kAttachedObject))
        return dropAttachment(value);
    if (type == QLatin1String(Pasteboard::kCharacter))
        return dropCharacter(value);
    if (type == QLatin1String(Pasteboard::kSceneLocation))
        return dropLocation(value);
    if (type == QLatin1String(Pasteboard::kSceneSetup))
        return dropSetup(value);
    if (type == QLatin1String(Pasteboard::kScenePayoff))
        return dropPayoff(value);
    // Nothing of another type becomes the card's.
    return false;
}

bool SceneCardView::dropAttachment(std::int64_t attachedObjectID)
{
    if (MyDocument* document = myParent())
        document->setAttachmentNoteTackDown(attachedObjectID);
    if (!SceneCardEdits::linkAttachment(*screenplay(), scene_->sceneCardID(), attachedObjectID))
        return false;
    // The card's first attachment is its thumbnail.
    refreshThumbnail();
    return true;
}

bool SceneCardView::dropCharacter(std::int64_t row)
{
    const Characterdb* character = recordForRow(screenplay()->characters(), row);
    if (!character || !SceneCardEdits::linkCharacter(*screenplay(), scene_->sceneCardID(), *character))
        return false;
    configureIndicators();
    return true;
}

bool SceneCardView::dropLocation(std::int64_t row)
{
    const SceneLocationdb* location = recordForRow(screenplay()->sceneLocations(), row);
    if (!location)
        return false;
    scene_->setSceneLocationID(location->sceneLocationID());
    scene_->save();
    configureIndicators();
    return true;
}

bool SceneCardView::dropSetup(std::int64_t row)
{
    return placeOnCard(screenplay()->sceneSetups(), row, 3);
}

bool SceneCardView::dropPayoff(std::int64_t row)
{
    return placeOnCard(screenplay()->scenePayoffs(), row, 4);
}

template <typename Record>
bool SceneCardView::placeOnCard(const RecordList<Record>& records, std::int64_t row, std::int64_t section)
{
    Record* record = recordForRow(records, row);
    if (!record)
        return false;
    record->setSceneCardID(scene_->sceneCardID());
    record->save();
    configureIndicators();
    if (myParent())
        refreshStoryElementsTable(*myParent(), section);
    return true;
}
