#include "SqlProbe.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace SqlProbe {

QString scalar(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in " + sql.toStdString());
    QString result;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        result = text ? QString::fromUtf8(text) : QStringLiteral("<NULL>");
    }
    sqlite3_finalize(statement);
    return result;
}

long long count(sqlite3* db, const QString& table)
{
    return scalar(db, QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong();
}

void exec(sqlite3* db, const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown";
        sqlite3_free(error);
        throw std::runtime_error(message + " in " + sql.toStdString());
    }
}

} // namespace SqlProbe
