#include "ScriptPartdb.h"

#include "DatabaseError.h"

const char* ScriptPartdb::selectByKeySql()
{
    return "SELECT SceneCardID,SortOrder,ElementTypeID,ScriptText FROM ScriptPart WHERE ScriptPartID=?";
}

void ScriptPartdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("scriptPart_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void ScriptPartdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    scriptPartID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setSceneCardID(row.columnInt(0));
        setSortOrder(row.columnInt(1));
        setElementTypeID(row.columnInt(2));
        setScriptText(row.columnText(3));
    }
    setIsDirty(false);
}

void ScriptPartdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("scriptPart_save_statement",
                              "UPDATE ScriptPart SET SceneCardID=?,SortOrder=?,ElementTypeID=?,ScriptText=? WHERE ScriptPartID=?");
    update.bindAll(1, sceneCardID_, sortOrder_, elementTypeID_, scriptText_, scriptPartID_);
    finishSave(update);
}

void ScriptPartdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("scriptPart_insert_statement",
                              "INSERT INTO ScriptPart (SceneCardID,SortOrder,ElementTypeID,ScriptText) VALUES (?,?,?,?)");
    insert.bindAll(1, sceneCardID_, sortOrder_, elementTypeID_, scriptText_);
    scriptPartID_ = finishInsert(insert);
    // The row holds every field now: leaving the paragraph unchanged writes nothing more.
    setIsDirty(false);
}

void ScriptPartdb::deleteFromDatabase()
{
    deleteRow("scriptPart_delete_statement", "DELETE FROM ScriptPart WHERE ScriptPartID=?", scriptPartID_);
}

void ScriptPartdb::updateSortOrder()
{
    StatementUse update = use("scriptPart_updateSortOrder_statement",
                              "UPDATE ScriptPart SET SortOrder=? WHERE ScriptPartID=?");
    update.bindAll(1, sortOrder_, scriptPartID_);
    if (!update.stepDone())
        raiseDatabaseError(sourceName(), "Error: failed to save with message '%s'.", update.database());
}
