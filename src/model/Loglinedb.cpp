#include "Loglinedb.h"

const char* Loglinedb::selectByKeySql()
{
    return "SELECT ScreenplayID,Logline,CurrentLoglineFlag FROM Logline WHERE LoglineID=?";
}

void Loglinedb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("logline_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void Loglinedb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    loglineID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        setLogline(row.columnText(1));
        setCurrentLoglineFlag(row.columnInt(2));
    }
    setIsDirty(false);
}

void Loglinedb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("logline_save_statement",
                              "UPDATE Logline SET ScreenplayID=?,Logline=?,CurrentLoglineFlag=? WHERE LoglineID=?");
    update.bindAll(1, screenplayID_, logline_, currentLoglineFlag_, loglineID_);
    finishSave(update);
}

void Loglinedb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("logline_insert_statement",
                              "INSERT INTO Logline (ScreenplayID,Logline,CurrentLoglineFlag) VALUES (?,?,?)");
    insert.bindAll(1, screenplayID_, logline_, currentLoglineFlag_);
    loglineID_ = finishInsert(insert);
}

void Loglinedb::deleteFromDatabase()
{
    deleteRow("logline_delete_statement", "DELETE FROM Logline WHERE LoglineID=?", loglineID_);
}
