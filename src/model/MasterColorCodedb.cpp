#include "MasterColorCodedb.h"

#include "DatabaseError.h"

#include <sqlite3.h>

namespace {

enum Slot : std::size_t { Read, Save, Insert, InsertWithID, Delete, SlotCount };

MasterStatementCache cache("MasterColorCodedb", SlotCount);

} // namespace

MasterStatementCache::MasterStatementCache(const char* source, std::size_t slotCount)
    : source_(source)
    , slots_(slotCount, nullptr)
{
}

MasterStatementCache::~MasterStatementCache()
{
    finalizeAll();
}

StatementUse MasterStatementCache::use(std::size_t slot, const char* sql, sqlite3* db)
{
    if (!db)
        raiseDatabaseError(source_, "Error: failed to prepare statement with message '%s'.", nullptr);
    if (db != connection_) {
        // The statements still hold the old connection open (a closed one lingers until its
        // last statement goes), so its address cannot have been reused by `db`.
        finalizeAll();
        connection_ = db;
    }
    sqlite3_stmt*& statement = slots_.at(slot);
    if (!statement) {
        sqlite3_stmt* prepared = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr) != SQLITE_OK) {
            sqlite3_finalize(prepared);
            raiseDatabaseError(source_, "Error: failed to prepare statement with message '%s'.", db);
        }
        statement = prepared;
    }
    return StatementUse(statement, db);
}

void MasterStatementCache::finalizeAll()
{
    for (sqlite3_stmt*& statement : slots_) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    connection_ = nullptr;
}

void MasterRecord::finishSave(StatementUse& statement)
{
    if (!statement.stepDone())
        raiseDatabaseError(statements().source(), "Error: failed to save with message '%s'.", statement.database());
    setIsDirty(false);
}

std::int64_t MasterRecord::finishInsert(StatementUse& statement) const
{
    if (!statement.stepDone())
        raiseDatabaseError(statements().source(), "Error: failed to insert into the database with message '%s'.",
                           statement.database());
    return sqlite3_last_insert_rowid(statement.database());
}

void MasterRecord::finishDelete(StatementUse& statement) const
{
    if (!statement.stepDone())
        raiseDatabaseError(statements().source(), "Error: failed to delete from database with message '%s'.",
                           statement.database());
}

MasterStatementCache& MasterColorCodedb::statements() const
{
    return cache;
}

void MasterColorCodedb::finalizeStatements()
{
    cache.finalizeAll();
}

void MasterColorCodedb::initWithPrimaryKey(std::int64_t key, sqlite3* database)
{
    colorCodeID_ = key;
    setDatabase(database);
    StatementUse row = use(Read, "SELECT Description,RedValue,GreenValue,BlueValue,AlphaValue FROM ColorCode WHERE "
                                 "ColorCodeID=?");
    row.bind(1, key);
    if (row.stepRow()) {
        setDescription(row.columnText(0));
        setRedValue(row.columnInt(1));
        setGreenValue(row.columnInt(2));
        setBlueValue(row.columnInt(3));
        setAlphaValue(row.columnInt(4));
    }
    setIsDirty(false);
}

void MasterColorCodedb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use(Save, "UPDATE ColorCode SET Description=?,RedValue=?,GreenValue=?,BlueValue=?,"
                                    "AlphaValue=? WHERE ColorCodeID=?");
    update.bindAll(1, description_, redValue_, greenValue_, blueValue_, alphaValue_, colorCodeID_);
    finishSave(update);
}

void MasterColorCodedb::insertIntoDatabase(sqlite3* database)
{
    setDatabase(database);
    StatementUse insert = use(Insert, "INSERT INTO ColorCode (Description,RedValue,GreenValue,BlueValue,AlphaValue) "
                                      "VALUES (?,?,?,?,?)");
    insert.bindAll(1, description_, redValue_, greenValue_, blueValue_, alphaValue_);
    colorCodeID_ = finishInsert(insert);
}

void MasterColorCodedb::insertIntoDatabaseWithID(sqlite3* database)
{
    setDatabase(database);
    StatementUse insert = use(InsertWithID, "INSERT INTO ColorCode (ColorCodeID,Description,RedValue,GreenValue,"
                                            "BlueValue,AlphaValue) VALUES (?,?,?,?,?,?)");
    insert.bindAll(1, colorCodeID_, description_, redValue_, greenValue_, blueValue_, alphaValue_);
    finishInsert(insert);
}

void MasterColorCodedb::deleteFromDatabase()
{
    StatementUse remove = use(Delete, "DELETE FROM ColorCode WHERE ColorCodeID=?");
    remove.bind(1, colorCodeID_);
    finishDelete(remove);
}
