#include "Beatdb.h"

const char* Beatdb::selectByKeySql()
{
    return "SELECT ScreenplayID,BeatNumber,Description FROM Beat WHERE BeatID=?";
}

void Beatdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("beat_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void Beatdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    beatID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        setBeatNumber(row.columnInt(1));
        setDescription(row.columnText(2));
    }
    setIsDirty(false);
}

void Beatdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("beat_save_statement",
                              "UPDATE Beat SET ScreenplayID=?,BeatNumber=?,Description=? WHERE BeatID=?");
    update.bindAll(1, screenplayID_, beatNumber_, description_, beatID_);
    finishSave(update);
}

void Beatdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("beat_insert_statement",
                              "INSERT INTO Beat (ScreenplayID,BeatNumber,Description) VALUES (?,?,?)");
    insert.bindAll(1, screenplayID_, beatNumber_, description_);
    beatID_ = finishInsert(insert);
}

void Beatdb::deleteFromDatabase()
{
    deleteRow("beat_delete_statement", "DELETE FROM Beat WHERE BeatID=?", beatID_);
}
