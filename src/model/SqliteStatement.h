#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

// One use of a prepared statement that is kept in a cache: binds parameters, steps and reads
// columns, and resets the statement (clearing its bindings) when the use ends, so that a
// cached statement is never left in the middle of a step.
class StatementUse
{
public:
    StatementUse(sqlite3_stmt* statement, sqlite3* db);
    ~StatementUse();
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    // Parameters are numbered from 1. A value SQLite refuses to bind raises "Error: failed to
    // bind a value with message '%s'." with SQLite's reason.
    StatementUse& bind(int index, std::int64_t value);
    StatementUse& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    StatementUse& bind(int index, double value);
    StatementUse& bind(int index, float value) { return bind(index, static_cast<double>(value)); }
    // Text is bound as UTF-8; a null or empty string binds the empty text, never NULL.
    StatementUse& bind(int index, const QString& value);
    StatementUse& bindBlob(int index, const QByteArray& value);

    // Binds each value in order starting at parameter `first`.
    template <typename... Values>
    StatementUse& bindAll(int first, const Values&... values)
    {
        int index = first;
        (bind(index++, values), ...);
        return *this;
    }

    // Returns SQLite's result code of the step (SQLITE_ROW, SQLITE_DONE or an error).
    int step();
    // True for a row, false when there are no more; any other answer (a damaged page, a full
    // disk, a lock) raises "Error: failed to read with message '%s'.", so that a failure is
    // never taken for the end of the data.
    bool stepRow();
    bool stepDone() { return step() == done(); }

    // Columns are numbered from 0.
    std::int64_t columnInt(int column) const;
    double columnDouble(int column) const;
    float columnFloat(int column) const { return static_cast<float>(columnDouble(column)); }
    // NULL reads as the empty text.
    QString columnText(int column) const;
    QByteArray columnBlob(int column) const;
    bool columnIsNull(int column) const;
    int columnCount() const;

    sqlite3* database() const { return db_; }
    static int done();

private:
    void checkBind(int result);

    sqlite3_stmt* statement_;
    sqlite3* db_;
};
