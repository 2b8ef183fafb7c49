#include "SqliteStatement.h"

#include "DatabaseError.h"

#include <sqlite3.h>

StatementUse::StatementUse(sqlite3_stmt* statement, sqlite3* db)
    : statement_(statement)
    , db_(db)
{
}

StatementUse::~StatementUse()
{
    if (statement_) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
}

// A value that cannot be bound (a text or blob past SQLite's length limit, memory running
// out, an index the statement does not have) fails here with SQLite's reason, rather than
// leaving the parameter NULL for a constraint to complain about later.
void StatementUse::checkBind(int result)
{
    if (result != SQLITE_OK)
        raiseDatabaseError("StatementUse", "Error: failed to bind a value with message '%s'.", db_);
}

StatementUse& StatementUse::bind(int index, std::int64_t value)
{
    checkBind(sqlite3_bind_int64(statement_, index, static_cast<sqlite3_int64>(value)));
    return *this;
}

StatementUse& StatementUse::bind(int index, double value)
{
    checkBind(sqlite3_bind_double(statement_, index, value));
    return *this;
}

StatementUse& StatementUse::bind(int index, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    checkBind(sqlite3_bind_text64(statement_, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                  SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

StatementUse& StatementUse::bindBlob(int index, const QByteArray& value)
{
    checkBind(sqlite3_bind_blob64(statement_, index, value.constData(), static_cast<sqlite3_uint64>(value.size()),
                                  SQLITE_TRANSIENT));
    return *this;
}

int StatementUse::step()
{
    return sqlite3_step(statement_);
}

bool StatementUse::stepRow()
{
    const int stepped = step();
    if (stepped == SQLITE_ROW)
        return true;
    if (stepped != SQLITE_DONE)
        raiseDatabaseError("StatementUse", "Error: failed to read with message '%s'.", db_);
    return false;
}

int StatementUse::done()
{
    return SQLITE_DONE;
}

std::int64_t StatementUse::columnInt(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

double StatementUse::columnDouble(int column) const
{
    return sqlite3_column_double(statement_, column);
}

QString StatementUse::columnText(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (!text)
        return QString(QLatin1String(""));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement_, column));
}

QByteArray StatementUse::columnBlob(int column) const
{
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (!data || size <= 0)
        return QByteArray();
    return QByteArray(static_cast<const char*>(data), size);
}

int StatementUse::columnCount() const
{
    return sqlite3_column_count(statement_);
}

bool StatementUse::columnIsNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}
