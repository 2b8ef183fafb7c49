#include "StoryFile.h"

#include "DatabaseError.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

DatabaseConnection::~DatabaseConnection()
{
    if (handle_)
        sqlite3_close_v2(handle_);
}

DatabaseConnection::DatabaseConnection(DatabaseConnection&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr))
{
}

DatabaseConnection& DatabaseConnection::operator=(DatabaseConnection&& other) noexcept
{
    if (this != &other) {
        if (handle_)
            sqlite3_close_v2(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void DatabaseConnection::close()
{
    if (!handle_)
        return;
    if (sqlite3_close(handle_) != SQLITE_OK)
        raiseDatabaseError("DatabaseConnection", "Error: failed to close database with message '%s'.", handle_);
    handle_ = nullptr;
}

namespace {

QString quotedName(const QString& path)
{
    return QStringLiteral("\u201c%1\u201d").arg(QFileInfo(path).fileName());
}

// Read-only as the user set it: no write permission at all, or none for this process. The
// permission bits count even for an administrator, who could write the file anyway.
bool readOnly(const QString& path)
{
    const QFileInfo info(path);
    constexpr auto kAnyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (info.permissions() & kAnyWrite) == 0 || ::access(QFile::encodeName(path).constData(), W_OK) != 0;
}

// The tables every story holds; a file without one of them is no story.
constexpr std::array kStoryTables = {
    "Screenplay",    "SceneCard",      "ScriptPart",       "ScriptElement",       "Beat",
    "Logline",       "GreenlightChecklistQuestion",        "Character",           "SceneLocation",
    "ColorCode",     "StickyNote",     "AttachedObject",   "CharacterObject",     "SceneLocationObject",
    "SceneCardObject", "SceneCardCharacter", "SceneSetup", "ScenePayoff",
};

// The tables whose rows name their story.
constexpr std::array kTablesOfTheStory = {
    "Logline",   "GreenlightChecklistQuestion", "Character", "SceneLocation", "ColorCode",
    "StickyNote", "AttachedObject",             "Beat",      "SceneCard",
};

class Checker
{
public:
    Checker(const QString& path, sqlite3* database) : path_(path), database_(database) {}

    // Runs `sql` and answers its first column of each row as text.
    std::vector<QString> rows(const char* sql) const
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(database_, sql, -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            fail();
        }
        std::vector<QString> answers;
        int stepped = SQLITE_ROW;
        while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            answers.push_back(text ? QString::fromUtf8(text) : QString());
        }
        sqlite3_finalize(statement);
        if (stepped != SQLITE_DONE)
            fail();
        return answers;
    }

    [[noreturn]] void notAStory(const QString& detail) const
    {
        throw StoryFileRefused(path_, QStringLiteral("is not a Vantora story."), detail);
    }

    // Refuses the file for the connection's last failure, named by its kind.
    [[noreturn]] void fail() const
    {
        const QString detail = QString::fromUtf8(sqlite3_errmsg(database_));
        switch (sqlite3_errcode(database_) & 0xff) {
        case SQLITE_NOTADB: notAStory(detail);
        case SQLITE_CORRUPT:
            throw StoryFileRefused(path_, QStringLiteral("is damaged and cannot be opened."), detail);
        default: throw StoryFileRefused(path_, QStringLiteral("cannot be opened."), detail);
        }
    }

private:
    const QString& path_;
    sqlite3* database_;
};

void checkStory(const QString& path, sqlite3* database)
{
    const Checker check(path, database);
    const std::vector<QString> foreign =
        check.rows("SELECT type || ' ' || name FROM sqlite_master WHERE type IN ('trigger','view')");
    if (!foreign.empty())
        check.notAStory(QStringLiteral("The file holds %1, which no story has.").arg(foreign.front()));
    const std::vector<QString> tables = check.rows("SELECT name FROM sqlite_master WHERE type='table'");
    for (const char* table : kStoryTables)
        if (std::find(tables.begin(), tables.end(), QString::fromLatin1(table)) == tables.end())
            check.notAStory(QStringLiteral("The file has no table %1.").arg(QString::fromLatin1(table)));

    const std::vector<QString> problems = check.rows("PRAGMA quick_check");
    if (problems.size() != 1 || problems.front() != QLatin1String("ok"))
        throw StoryFileRefused(path, QStringLiteral("is damaged and cannot be opened."),
                               problems.empty() ? QString() : problems.front());

    if (check.rows("SELECT count(*) FROM Screenplay").front() != QLatin1String("1"))
        check.notAStory(QStringLiteral("The file must hold exactly one story."));
    // One statement names each table holding a row of another story, in the list's order.
    static const QByteArray strays = [] {
        QByteArray sql;
        for (const char* table : kTablesOfTheStory) {
            if (!sql.isEmpty())
                sql += " UNION ALL ";
            sql += QByteArray("SELECT '") + table + "' WHERE EXISTS (SELECT 1 FROM " + table +
                   " WHERE ScreenplayID IS NOT (SELECT ScreenplayID FROM Screenplay))";
        }
        return sql;
    }();
    if (const std::vector<QString> tables = check.rows(strays.constData()); !tables.empty())
        check.notAStory(QStringLiteral("Rows of the table %1 belong to another story.").arg(tables.front()));
}

} // namespace

StoryFileRefused::StoryFileRefused(const QString& path, const QString& reason, const QString& detail)
    : DatabaseError(QStringLiteral("StoryFile"), 0,
                    detail.isEmpty() ? QStringLiteral("%1 %2").arg(quotedName(path), reason)
                                     : QStringLiteral("%1 %2\n\n%3").arg(quotedName(path), reason, detail))
{
}

namespace StoryFile {

DatabaseConnection openStory(const QString& path)
{
    DatabaseConnection connection = openStoryForReading(path);
    settleAfterLoading(connection.get());
    return connection;
}

DatabaseConnection openStoryForReading(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists())
        throw StoryFileRefused(path, QStringLiteral("cannot be opened because it no longer exists."));
    if (file.isDir() || !file.isReadable())
        throw StoryFileRefused(path, QStringLiteral("cannot be opened because it cannot be read."));
    // Every change is written at once, and SQLite keeps its journal beside the file: a story
    // that cannot be written there would lose each edit while it stayed on the screen.
    if (readOnly(path))
        throw StoryFileRefused(path, QStringLiteral("cannot be opened because the file is read-only."),
                               QStringLiteral("Make the file writable, or copy it to a folder of your own."));
    if (readOnly(file.absolutePath()))
        throw StoryFileRefused(path, QStringLiteral("cannot be opened because its folder is read-only."),
                               QStringLiteral("Copy the story to a folder you can write to."));

    sqlite3* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int opened = sqlite3_open_v2(name.constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseConnection connection(handle);
    if (opened != SQLITE_OK)
        Checker(path, handle).fail();
    // A story file comes from mail and other people: its schema may not run code of its own,
    // and no statement may damage the file's structure.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    if (sqlite3_db_readonly(handle, "main") == 1)
        throw StoryFileRefused(path, QStringLiteral("cannot be opened because the file is read-only."));
    // The check and the reading that follow go over every page: a cache that holds a large
    // story reads each page from the file once (see settleAfterLoading). The file is read with
    // plain reads, never through a memory map: a read error of a failing disk or a lost network
    // share is then a message, not the end of the program.
    sqlite3_exec(handle, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    checkStory(path, handle);
    return connection;
}

void settleAfterLoading(sqlite3* database)
{
    // Back to SQLite's usual cache, and the pages beyond it given back.
    sqlite3_exec(database, "PRAGMA cache_size = -2000", nullptr, nullptr, nullptr);
    sqlite3_db_release_memory(database);
}

QString refusalMessage(const QString& path, const DatabaseError& failure)
{
    if (dynamic_cast<const StoryFileRefused*>(&failure))
        return failure.message();
    return StoryFileRefused(path, QStringLiteral("is damaged and cannot be opened."), failure.message()).message();
}

DatabaseConnection open(const QString& path)
{
    sqlite3* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int opened = sqlite3_open_v2(name.constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseConnection connection(handle);
    if (opened != SQLITE_OK)
        raiseDatabaseError("StoryFile", "Error: failed to open database with message '%s'.", handle);
    // Reading the schema proves the file is a database before anything relies on it.
    char* error = nullptr;
    if (sqlite3_exec(handle, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error) != SQLITE_OK) {
        sqlite3_free(error);
        raiseDatabaseError("StoryFile", "Error: failed to open database with message '%s'.", handle);
    }
    return connection;
}

bool copyTemplate(const QString& templatePath, const QString& path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return false;
    if (!QFile::copy(templatePath, path))
        return false;
    // A copy out of the application's resources is read-only.
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther);
}

} // namespace StoryFile
