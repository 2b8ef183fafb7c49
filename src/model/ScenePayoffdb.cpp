#include "ScenePayoffdb.h"

#include "SceneSetupdb.h"

const char* ScenePayoffdb::selectByKeySql()
{
    return "SELECT ScenePayoff,SceneCardID FROM ScenePayoff WHERE ScenePayoffID=?";
}

void ScenePayoffdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("scenePayoff_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
    if (found) {
        StatementUse setup = use("scenePayoff_setup_statement",
                                 "SELECT SceneSetupID,SceneSetup from SceneSetup WHERE ScenePayoffID=?");
        setup.bind(1, key);
        if (setup.stepRow()) {
            sceneSetupID_ = setup.columnInt(0);
            sceneSetup_ = setup.columnText(1);
        } else {
            sceneSetupID_ = 0;
            sceneSetup_ = QString(QLatin1String(""));
        }
        setIsDirty(false);
    }
}

void ScenePayoffdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    changeKey(scenePayoffID_, key, 0, false);
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScenePayoff(row.columnText(0));
        setSceneCardID(row.columnInt(1));
    }
    setIsDirty(false);
}

void ScenePayoffdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("scenePayoff_save_statement",
                              "UPDATE ScenePayoff SET SceneCardID=?,ScenePayoff=? WHERE ScenePayoffID=?");
    update.bindAll(1, sceneCardID_, scenePayoff_, scenePayoffID_);
    finishSave(update);
}

void ScenePayoffdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("scenePayoff_insert_statement",
                              "INSERT INTO ScenePayoff (SceneCardID,ScenePayoff) VALUES(?,?)");
    insert.bindAll(1, sceneCardID_, scenePayoff_);
    changeKey(scenePayoffID_, finishInsert(insert), 0, false);
}

void ScenePayoffdb::insertIntoDatabaseWithID(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("scenePayoff_insertWithID_statement",
                              "INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) VALUES(?,?,?)");
    insert.bindAll(1, scenePayoffID_, sceneCardID_, scenePayoff_);
    finishInsertWithID(insert);
}

void ScenePayoffdb::deleteFromDatabase()
{
    deleteRow("scenePayoff_delete_statement", "DELETE FROM ScenePayoff WHERE ScenePayoffID=?", scenePayoffID_);
}

int ScenePayoffdb::sortBySceneCardID(const ScenePayoffdb& other) const
{
    if (int byCard = compareSceneCardPlacement(screenplay(), sceneCardID_, other.sceneCardID_))
        return byCard;
    return compareTextIgnoringCase(scenePayoff_, other.scenePayoff_);
}

int ScenePayoffdb::sortByScenePayoff(const ScenePayoffdb& other) const
{
    return compareTextIgnoringCase(scenePayoff_, other.scenePayoff_);
}
