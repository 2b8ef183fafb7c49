#include "Beatdb.h"

void Beatdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    beatID_ = key;
    setScreenplay(screenplay);
    StatementUse row = use("beat_init_statement", "SELECT ScreenplayID,BeatNumber,Description FROM Beat WHERE BeatID=?");
    row.bind(1, key);
    if (row.stepRow()) {
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
