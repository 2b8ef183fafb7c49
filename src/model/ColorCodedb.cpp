#include "ColorCodedb.h"

const char* ColorCodedb::selectByKeySql()
{
    return "SELECT ScreenplayID,Description,RedValue,GreenValue,BlueValue,AlphaValue FROM ColorCode "
                           "WHERE ColorCodeID=?";
}

void ColorCodedb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("colorCode_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void ColorCodedb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    colorCodeID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        setDescription(row.columnText(1));
        setRedValue(row.columnInt(2));
        setGreenValue(row.columnInt(3));
        setBlueValue(row.columnInt(4));
        setAlphaValue(row.columnInt(5));
    }
    setIsDirty(false);
}

void ColorCodedb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("colorCode_save_statement",
                              "UPDATE ColorCode SET ScreenplayID=?,Description=?,RedValue=?,GreenValue=?,BlueValue=?,"
                              "AlphaValue=? WHERE ColorCodeID=?");
    update.bindAll(1, screenplayID_, description_, redValue_, greenValue_, blueValue_, alphaValue_, colorCodeID_);
    finishSave(update);
}

void ColorCodedb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("colorCode_insert_statement",
                              "INSERT INTO ColorCode (ScreenplayID,Description,RedValue,GreenValue,BlueValue,AlphaValue) "
                              "VALUES (?,?,?,?,?,?)");
    insert.bindAll(1, screenplayID_, description_, redValue_, greenValue_, blueValue_, alphaValue_);
    colorCodeID_ = finishInsert(insert);
}

void ColorCodedb::deleteFromDatabase()
{
    deleteRow("colorCode_delete_statement", "DELETE FROM ColorCode WHERE ColorCodeID=?", colorCodeID_);
}
