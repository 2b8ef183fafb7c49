#include "SceneSetupdb.h"

#include "RecordSorting.h"
#include "SceneCarddb.h"
#include "Screenplaydb.h"

void SceneSetupdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    sceneSetupID_ = key;
    setScreenplay(screenplay);
    StatementUse row = use("sceneSetup_init_statement",
                           "SELECT SceneSetup,ScenePayoffID,SceneCardID FROM SceneSetup WHERE SceneSetupID=?");
    row.bind(1, key);
    if (row.stepRow()) {
        setSceneSetup(row.columnText(0));
        setScenePayoffID(row.columnInt(1));
        setSceneCardID(row.columnInt(2));
        scenePayoff_ = QString(QLatin1String(""));
        if (scenePayoffID_ >= 1) {
            StatementUse payoff = use("sceneSetup_payoff_statement",
                                      "SELECT ScenePayoff from ScenePayoff WHERE ScenePayoffID=?");
            payoff.bind(1, scenePayoffID_);
            if (payoff.stepRow())
                scenePayoff_ = payoff.columnText(0);
            else
                scenePayoffID_ = 0;
        }
    }
    setIsDirty(false);
}

void SceneSetupdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("sceneSetup_save_statement",
                              "UPDATE SceneSetup SET SceneCardID=?,SceneSetup=?,ScenePayoffID=? WHERE SceneSetupID=?");
    update.bindAll(1, sceneCardID_, sceneSetup_, scenePayoffID_, sceneSetupID_);
    finishSave(update);
}

void SceneSetupdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("sceneSetup_insert_statement",
                              "INSERT INTO SceneSetup (SceneCardID,SceneSetup,ScenePayoffID) VALUES(?,?,?)");
    insert.bindAll(1, sceneCardID_, sceneSetup_, scenePayoffID_);
    sceneSetupID_ = finishInsert(insert);
}

void SceneSetupdb::insertIntoDatabaseWithID(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("sceneSetup_insertWithID_statement",
                              "INSERT INTO SceneSetup (SceneSetupID,SceneCardID,SceneSetup,ScenePayoffID) "
                              "VALUES(?,?,?,?)");
    insert.bindAll(1, sceneSetupID_, sceneCardID_, sceneSetup_, scenePayoffID_);
    finishInsertWithID(insert);
}

void SceneSetupdb::deleteFromDatabase()
{
    deleteRow("sceneSetup_delete_statement", "DELETE FROM SceneSetup WHERE SceneSetupID=?", sceneSetupID_);
}

int SceneSetupdb::sortBySceneCardID(const SceneSetupdb& other) const
{
    if (int byCard = compareSceneCardPlacement(screenplay(), sceneCardID_, other.sceneCardID_))
        return byCard;
    return compareTextIgnoringCase(sceneSetup_, other.sceneSetup_);
}

int SceneSetupdb::sortBySceneSetup(const SceneSetupdb& other) const
{
    return compareTextIgnoringCase(sceneSetup_, other.sceneSetup_);
}

namespace {

std::int64_t cardSortOrder(const Screenplaydb* story, std::int64_t sceneCardID)
{
    const SceneCarddb* card = story ? story->sceneCardForSceneCardID(sceneCardID) : nullptr;
    return card ? card->sortOrder() : 0;
}

} // namespace

int compareSceneCardPlacement(const Screenplaydb* story, std::int64_t sceneCardID, std::int64_t otherSceneCardID)
{
    const bool onCard = sceneCardID > 0;
    const bool otherOnCard = otherSceneCardID > 0;
    if (onCard != otherOnCard)
        return onCard ? 1 : -1;
    if (!onCard || sceneCardID == otherSceneCardID)
        return 0;
    if (int byOrder = compareValues(cardSortOrder(story, sceneCardID), cardSortOrder(story, otherSceneCardID)))
        return byOrder;
    return compareValues(sceneCardID, otherSceneCardID);
}

int compareTextIgnoringCase(const QString& text, const QString& other)
{
    return compareValues(QString::compare(text, other, Qt::CaseInsensitive), 0);
}
