#include "SceneLocationdb.h"

#include "RecordSorting.h"

const char* SceneLocationdb::selectByKeySql()
{
    return "SELECT ScreenplayID,Location,Description,Notes FROM SceneLocation WHERE SceneLocationID=?";
}

void SceneLocationdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("sceneLocation_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void SceneLocationdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    changeKey(sceneLocationID_, key, 0, false);
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        setLocation(row.columnText(1));
        setDescription(row.columnText(2));
        setNotes(row.columnText(3));
    }
    setIsDirty(false);
}

void SceneLocationdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("sceneLocation_save_statement",
                              "UPDATE SceneLocation SET ScreenplayID=?,Location=?,Description=?,Notes=? "
                              "WHERE SceneLocationID=?");
    update.bindAll(1, screenplayID_, location_, description_, notes_, sceneLocationID_);
    finishSave(update);
}

void SceneLocationdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("sceneLocation_insert_statement",
                              "INSERT INTO SceneLocation (ScreenplayID,Location,Description,Notes) VALUES (?,?,?,?)");
    insert.bindAll(1, screenplayID_, location_, description_, notes_);
    changeKey(sceneLocationID_, finishInsertOfNamedRecord(insert, "SceneLocation"), 0, false);
}

void SceneLocationdb::deleteFromDatabase()
{
    deleteRow("sceneLocation_delete_statement", "DELETE FROM SceneLocation WHERE SceneLocationID=?", sceneLocationID_);
}

int SceneLocationdb::sortLocationsByName(const SceneLocationdb& other) const
{
    return compareValues(QString::compare(location_, other.location_, Qt::CaseInsensitive), 0);
}
