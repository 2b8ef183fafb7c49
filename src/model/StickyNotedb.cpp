#include "StickyNotedb.h"

#include "RecordSorting.h"

const char* StickyNotedb::selectByKeySql()
{
    return "SELECT ScreenplayID,Title,Note,PositionLeft,PositionTop,PercentageHorizontal,"
                           "PercentageVertical,SizeWidth,SizeHeight,Color,TextNote FROM StickyNote WHERE StickyNoteID=?";
}

void StickyNotedb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("stickyNote_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void StickyNotedb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    stickyNoteID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        setTitle(row.columnText(1));
        setNote(row.columnText(2));
        setPositionLeft(row.columnInt(3));
        setPositionTop(row.columnInt(4));
        setPercentageHorizontal(row.columnFloat(5));
        setPercentageVertical(row.columnFloat(6));
        setSizeWidth(row.columnInt(7));
        setSizeHeight(row.columnInt(8));
        setColor(row.columnInt(9));
        setTextNote(row.columnText(10));
    }
    setIsDirty(false);
}

// Binds the eleven columns from parameter 1 in the order of the update and insert statements.
void StickyNotedb::bindColumns(StatementUse& statement) const
{
    statement.bindAll(1, screenplayID_, title_, note_, positionLeft_, positionTop_, percentageHorizontal_,
                      percentageVertical_, sizeWidth_, sizeHeight_, color_, textNote_);
}

void StickyNotedb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("stickyNote_save_statement",
                              "UPDATE StickyNote SET ScreenplayID=?,Title=?,Note=?,PositionLeft=?,PositionTop=?,"
                              "PercentageHorizontal=?,PercentageVertical=?,SizeWidth=?,SizeHeight=?,Color=?,"
                              "TextNote=? WHERE StickyNoteID=?");
    bindColumns(update);
    update.bind(12, stickyNoteID_);
    finishSave(update);
}

void StickyNotedb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("stickyNote_insert_statement",
                              "INSERT INTO StickyNote (ScreenplayID,Title,Note,PositionLeft,PositionTop,"
                              "PercentageHorizontal,PercentageVertical,SizeWidth,SizeHeight,Color,TextNote) "
                              "VALUES (?,?,?,?,?,?,?,?,?,?,?)");
    bindColumns(insert);
    stickyNoteID_ = finishInsert(insert);
}

void StickyNotedb::deleteFromDatabase()
{
    deleteRow("stickyNote_delete_statement", "DELETE FROM StickyNote WHERE StickyNoteID=?", stickyNoteID_);
}

int StickyNotedb::sortByColor(const StickyNotedb& other) const
{
    if (int byColor = compareValues(color_, other.color_))
        return byColor;
    return compareValues(QString::compare(title_, other.title_, Qt::CaseInsensitive), 0);
}
