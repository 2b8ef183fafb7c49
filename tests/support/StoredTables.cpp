#include "StoredTables.h"

#include "model/StoryFile.h"

#include <QByteArray>

#include <sqlite3.h>

namespace {

QString columnText(sqlite3_stmt* statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
}

} // namespace

StoredTables storedTables(const QString& path, const QStringList& leftOutOfStoryRow)
{
    DatabaseConnection connection = StoryFile::open(path);
    StoredTables result;
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(connection.get(), "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", -1,
                       &tables, nullptr);
    while (sqlite3_step(tables) == SQLITE_ROW) {
        const QString table = columnText(tables, 0);
        std::vector<std::string>& rows = result[table];
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql = QStringLiteral("SELECT rowid, * FROM \"%1\" ORDER BY rowid").arg(table).toUtf8();
        sqlite3_prepare_v2(connection.get(), sql.constData(), -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                const QString name = QString::fromUtf8(sqlite3_column_name(statement, column));
                if (table == QLatin1String("Screenplay") && leftOutOfStoryRow.contains(name, Qt::CaseInsensitive))
                    continue;
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
                row << name + QLatin1Char('=') + QString::number(sqlite3_column_type(statement, column)) +
                           QLatin1Char(':') +
                           QString::fromLatin1(QByteArray(bytes, sqlite3_column_bytes(statement, column)).toHex());
            }
            rows.push_back(row.join(QLatin1Char('|')).toStdString());
        }
        sqlite3_finalize(statement);
    }
    sqlite3_finalize(tables);
    return result;
}
