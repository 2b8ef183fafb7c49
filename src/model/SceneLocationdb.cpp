#include "SceneLocationdb.h"

#include "RecordSorting.h"

void SceneLocationdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    sceneLocationID_ = key;
    setScreenplay(screenplay);
    StatementUse row = use("sceneLocation_init_statement",
                           "SELECT ScreenplayID,Location,Description,Notes FROM SceneLocation WHERE SceneLocationID=?");
    row.bind(1, key);
    if (row.stepRow()) {
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
    sceneLocationID_ = finishInsert(insert);
}

void SceneLocationdb::deleteFromDatabase()
{
    deleteRow("sceneLocation_delete_statement", "DELETE FROM SceneLocation WHERE SceneLocationID=?", sceneLocationID_);
}

int SceneLocationdb::sortLocationsByName(const SceneLocationdb& other) const
{
    return compareValues(QString::compare(location_, other.location_, Qt::CaseInsensitive), 0);
}
