#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <unordered_map>

// A floor's prepared statement: prepared once, finalized when it goes. Values are bound by
// column from 1; step() runs it once, resets it and answers the last inserted row's key, so
// that an insert reads as one line. A SELECT is stepped through get().
class FloorStatement
{
public:
    FloorStatement(sqlite3* db, const char* sql) : db_(db) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~FloorStatement() { sqlite3_finalize(statement_); }
    FloorStatement(const FloorStatement&) = delete;
    FloorStatement& operator=(const FloorStatement&) = delete;

    FloorStatement& bind(int column, std::int64_t value)
    {
        sqlite3_bind_int64(statement_, column, value);
        return *this;
    }
    FloorStatement& bind(int column, double value)
    {
        sqlite3_bind_double(statement_, column, value);
        return *this;
    }
    FloorStatement& bind(int column, const QString& value)
    {
        const QByteArray text = value.toUtf8();
        sqlite3_bind_text(statement_, column, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    std::int64_t step()
    {
        sqlite3_step(statement_);
        sqlite3_reset(statement_);
        return sqlite3_last_insert_rowid(db_);
    }
    sqlite3_stmt* get() const { return statement_; }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// The keys of a story file's script element types, by type.
inline std::unordered_map<QString, std::int64_t> scriptElementKeys(sqlite3* db)
{
    std::unordered_map<QString, std::int64_t> keys;
    FloorStatement types(db, "SELECT ScriptElementID, ElementType FROM ScriptElement");
    while (sqlite3_step(types.get()) == SQLITE_ROW)
        keys.emplace(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(types.get(), 1))),
                     sqlite3_column_int64(types.get(), 0));
    return keys;
}
