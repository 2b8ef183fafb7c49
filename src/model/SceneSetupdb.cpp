#include "SceneSetupdb.h"

#include "RecordSorting.h"
#include "SceneCarddb.h"
#include "Screenplaydb.h"

const char* SceneSetupdb::selectByKeySql()
{
    return "SELECT SceneSetup,ScenePayoffID,SceneCardID FROM SceneSetup WHERE SceneSetupID=?";
}

void SceneSetupdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("sceneSetup_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
    if (found) {
        scenePayoff_ = QString(QLatin1String(""));
        if (scenePayoffID_ >= 1) {
            StatementUse payoff = use("sceneSetup_payoff_statement",
                                      "SELECT ScenePayoff from ScenePayoff WHERE ScenePayoffID=?");
            payoff.bind(1, scenePayoffID_);
            if (payoff.stepRow())
                scenePayoff_ = payoff.columnText(0);
            else
                changeKey(scenePayoffID_, 0, kByPayoff, false);
        }
        setIsDirty(false);
    }
}

void SceneSetupdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    changeKey(sceneSetupID_, key, 0, false);
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setSceneSetup(row.columnText(0));
        setScenePayoffID(row.columnInt(1));
        setSceneCardID(row.columnInt(2));
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
    changeKey(sceneSetupID_, finishInsert(insert), 0, false);
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
    if (sceneCardID == otherSceneCardID || sceneCardID <= 0 || otherSceneCardID <= 0)
        return compareSceneCardPlacement(sceneCardID, 0, otherSceneCardID, 0);
    return compareSceneCardPlacement(sceneCardID, cardSortOrder(story, sceneCardID), otherSceneCardID,
                                     cardSortOrder(story, otherSceneCardID));
}

int compareSceneCardPlacement(std::int64_t sceneCardID, std::int64_t sortOrder, std::int64_t otherSceneCardID,
                              std::int64_t otherSortOrder)
{
    const bool onCard = sceneCardID > 0;
    const bool otherOnCard = otherSceneCardID > 0;
    if (onCard != otherOnCard)
        return onCard ? 1 : -1;
    if (!onCard || sceneCardID == otherSceneCardID)
        return 0;
    if (int byOrder = compareValues(sortOrder, otherSortOrder))
        return byOrder;
    return compareValues(sceneCardID, otherSceneCardID);
}

int compareTextIgnoringCase(const QString& text, const QString& other)
{
    return compareValues(QString::compare(text, other, Qt::CaseInsensitive), 0);
}
