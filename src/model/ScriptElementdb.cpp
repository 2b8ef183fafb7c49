#include "ScriptElementdb.h"

const char* ScriptElementdb::selectByKeySql()
{
    return "SELECT ElementType,LeftIndent,RightIndent,Alignment FROM ScriptElement WHERE ScriptElementID=?";
}

void ScriptElementdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("scriptElement_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void ScriptElementdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    scriptElementID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setElementType(row.columnText(0));
        setLeftIndent(row.columnFloat(1));
        setRightIndent(row.columnFloat(2));
        setAlignment(row.columnText(3));
    }
    setIsDirty(false);
}

void ScriptElementdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("scriptElement_save_statement",
                              "UPDATE ScriptElement SET ElementType=?,LeftIndent=?,RightIndent=?,Alignment=? WHERE ScriptElementID=?");
    update.bindAll(1, elementType_, leftIndent_, rightIndent_, alignment_, scriptElementID_);
    finishSave(update);
}

void ScriptElementdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("scriptElement_insert_statement",
                              "INSERT INTO ScriptElement (ElementType,LeftIndent,RightIndent,Alignment) VALUES (?,?,?,?)");
    insert.bindAll(1, elementType_, leftIndent_, rightIndent_, alignment_);
    scriptElementID_ = finishInsert(insert);
}

void ScriptElementdb::deleteFromDatabase()
{
    deleteRow("scriptElement_delete_statement", "DELETE FROM ScriptElement WHERE ScriptElementID=?", scriptElementID_);
}
