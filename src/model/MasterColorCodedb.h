#pragma once

#include "BaseDatabaseObject.h"
#include "SqliteStatement.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The prepared statements of one master-file record class, one slot per operation, shared by
// every record of the class for the whole process. They belong to one connection at a time:
// a use on another connection (another master file) finalizes them and prepares them again
// there, so no statement ever runs on a connection other than the record's own.
class MasterStatementCache
{
public:
    MasterStatementCache(const char* source, std::size_t slotCount);
    ~MasterStatementCache();
    MasterStatementCache(const MasterStatementCache&) = delete;
    MasterStatementCache& operator=(const MasterStatementCache&) = delete;

    // The statement of `slot`, prepared from `sql` on `db` when the slot is empty. A failed
    // prepare raises "Error: failed to prepare statement with message '%s'." and keeps nothing.
    StatementUse use(std::size_t slot, const char* sql, sqlite3* db);
    // Finalizes every prepared statement and empties the slots; harmless when they are empty.
    void finalizeAll();

    const char* source() const { return source_; }

private:
    const char* source_;
    sqlite3* connection_ = nullptr;
    std::vector<sqlite3_stmt*> slots_;
};

// Base of the master-file records: each holds the master connection itself (`database()`)
// and uses its class's statement cache.
class MasterRecord : public BaseDatabaseObject
{
protected:
    virtual MasterStatementCache& statements() const = 0;

    StatementUse use(std::size_t slot, const char* sql) const { return statements().use(slot, sql, database()); }
    // Steps a bound update; raises "failed to save" unless it finished, else clears the mark.
    void finishSave(StatementUse& statement);
    // Steps a bound insert; raises unless it finished, else answers the new row id.
    std::int64_t finishInsert(StatementUse& statement) const;
    // Steps a bound delete; raises unless it finished.
    void finishDelete(StatementUse& statement) const;
};

// One master colour code: the model every new story's colour codes are copied from.
class MasterColorCodedb : public MasterRecord
{
    VTR_PROPERTY(std::int64_t, colorCodeID, setColorCodeID) = 0;
    VTR_PROPERTY(QString, description, setDescription) = QString(QLatin1String(""));
    VTR_PROPERTY(std::int64_t, redValue, setRedValue) = 0;
    VTR_PROPERTY(std::int64_t, greenValue, setGreenValue) = 0;
    VTR_PROPERTY(std::int64_t, blueValue, setBlueValue) = 0;
    VTR_PROPERTY(std::int64_t, alphaValue, setAlphaValue) = 0;

public:
    MasterColorCodedb() = default;
    MasterColorCodedb(std::int64_t key, sqlite3* database) { initWithPrimaryKey(key, database); }

    void initWithPrimaryKey(std::int64_t key, sqlite3* database);
    void save();
    void insertIntoDatabase(sqlite3* database);
    // Inserts the row under the record's own colorCodeID.
    void insertIntoDatabaseWithID(sqlite3* database);
    void deleteFromDatabase();

    static void finalizeStatements();

protected:
    MasterStatementCache& statements() const override;
};
