#include "StoryFile.h"

#include "DatabaseError.h"
#include "RecordLayout.h"
#include "StoredPages.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string>
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

// A story's connection serves one thread, the window's, at a time: SQLite need not lock it for
// each call, and opening asks it of every value of every row.
constexpr int kStoryOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;

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

// What each story table holds, in a writer's words: all of it, and one of its rows.
struct TableWords {
    const char* table;
    const char* all;
    const char* one;
};
constexpr std::array<TableWords, kStoryTables.size()> kTableWords = {{
    {"Screenplay", "the story", "story"},
    {"SceneCard", "the scene cards", "scene card"},
    {"ScriptPart", "the scripts' paragraphs", "paragraph"},
    {"ScriptElement", "the script's paragraph formats", "paragraph format"},
    {"Beat", "the beats", "beat"},
    {"Logline", "the loglines", "logline"},
    {"GreenlightChecklistQuestion", "the checklist questions", "question"},
    {"Character", "the characters", "character"},
    {"SceneLocation", "the locations", "location"},
    {"ColorCode", "the colour codes", "colour code"},
    {"StickyNote", "the sticky notes", "sticky note"},
    {"AttachedObject", "the attachments", "attachment"},
    {"CharacterObject", "the characters' attachments", "attachment of a character"},
    {"SceneLocationObject", "the locations' attachments", "attachment of a location"},
    {"SceneCardObject", "the scene cards' attachments", "attachment of a scene card"},
    {"SceneCardCharacter", "the scene cards' characters", "character of a scene card"},
    {"SceneSetup", "the set-ups", "set-up"},
    {"ScenePayoff", "the pay-offs", "pay-off"},
}};

const TableWords& wordsFor(const QString& table)
{
    const auto found = std::find_if(kTableWords.begin(), kTableWords.end(),
                                    [&table](const TableWords& words) { return table == QLatin1String(words.table); });
    return found != kTableWords.end() ? *found : kTableWords.front();
}

// Opening writes to the file (the story's row, a schema brought up to date), and the check may
// need room for its work: a failure there says nothing about the story the file holds, which
// SQLite has left as it was.
const QString kDiskFull = QStringLiteral(
    "cannot be opened because the disk is full. The story in the file is unchanged: make room on the disk, then "
    "open it again.");
const QString kNotWritten =
    QStringLiteral("cannot be opened because it could not be written to. The story in the file is unchanged.");

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

    // The integers of the first row of `sql`.
    std::vector<long long> numbers(const char* sql) const
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(database_, sql, -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            fail();
        }
        std::vector<long long> answers;
        const int stepped = sqlite3_step(statement);
        if (stepped == SQLITE_ROW)
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                answers.push_back(sqlite3_column_int64(statement, column));
        sqlite3_finalize(statement);
        if (stepped != SQLITE_ROW && stepped != SQLITE_DONE)
            fail();
        return answers;
    }

    [[noreturn]] void notAStory(const QString& detail) const
    {
        throw StoryFileRefused(path_, QStringLiteral("is not a Vantora story."), detail);
    }

    // A story another program changed so that the program cannot keep it as it is.
    [[noreturn]] void changedElsewhere(const QString& detail) const
    {
        throw StoryFileRefused(path_, QStringLiteral("cannot be opened because another program changed it."), detail);
    }

    [[noreturn]] void damaged(const QString& detail) const
    {
        throw StoryFileRefused(path_, QStringLiteral("is damaged and cannot be opened."), detail);
    }

    // Refuses the file for the connection's last failure, named by its kind.
    [[noreturn]] void fail() const;

    const QString& path() const { return path_; }

private:
    const QString& path_;
    sqlite3* database_;
};

// The reason for a failure while a story file was checked, or read into memory and its window
// built once it passed, which write to the file: `code` is SQLite's extended result code. What is
// not about the disk, its room or its permissions lies in the file: a statement of the story's
// own that the file's tables cannot run (a column or a table gone) says the file is damaged.
QString openingFailureReason(int code)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB: return QStringLiteral("is not a Vantora story.");
    case SQLITE_FULL: return kDiskFull;
    case SQLITE_IOERR:
        if (code == SQLITE_IOERR_READ || code == SQLITE_IOERR_SHORT_READ)
            return QStringLiteral("cannot be opened because it cannot be read.");
        return kNotWritten;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return kNotWritten;
    case SQLITE_NOMEM: return QStringLiteral("cannot be opened.");
    default: return QStringLiteral("is damaged and cannot be opened.");
    }
}

void Checker::fail() const
{
    throw StoryFileRefused(path_, openingFailureReason(sqlite3_extended_errcode(database_)),
                           QString::fromUtf8(sqlite3_errmsg(database_)));
}

// The kind of value a column holds, from the type its table declares (SQLite's own rules for
// a declared type): the program writes integers into integer columns, doubles into double
// columns and texts into text columns, and SQLite turns a value of another kind into the
// column's kind where it can. A value of another kind is there only when the file is damaged,
// for example when a page of one table has taken the place of another table's page.
enum class Kind { Integer, Real, Text, Any };

Kind kindOf(QString declared)
{
    declared = declared.toUpper();
    if (declared.contains(QLatin1String("INT")))
        return Kind::Integer;
    if (declared.contains(QLatin1String("CHAR")) || declared.contains(QLatin1String("CLOB")) ||
        declared.contains(QLatin1String("TEXT")))
        return Kind::Text;
    if (declared.contains(QLatin1String("REAL")) || declared.contains(QLatin1String("FLOA")) ||
        declared.contains(QLatin1String("DOUB")))
        return Kind::Real;
    // A blob, or a type that takes values of any kind.
    return Kind::Any;
}

bool holdsItsKind(Kind kind, int type)
{
    switch (kind) {
    case Kind::Integer: return type == SQLITE_INTEGER || type == SQLITE_NULL;
    case Kind::Real: return type == SQLITE_FLOAT || type == SQLITE_NULL;
    case Kind::Text: return type == SQLITE_TEXT || type == SQLITE_NULL;
    case Kind::Any: return true;
    }
    return true;
}

// One column of a table as a file declares it.
struct DeclaredColumn {
    QString name;
    Kind kind;
    // The table's integer key, which SQLite keeps as the row id.
    bool key;
    // A column every new row must fill in: not null, with no default, and not the key.
    bool mustFill;
};

using DeclaredColumns = std::vector<DeclaredColumn>;

// The columns of each table as a file declares them, in order, read once for the whole check
// with one statement.
class TableColumns
{
public:
    TableColumns(const Checker& check, sqlite3* database) : check_(check)
    {
        if (sqlite3_prepare_v2(database,
                               "SELECT name, type, pk > 0 AND upper(type) = 'INTEGER', "
                               "\"notnull\" AND dflt_value IS NULL AND pk = 0 FROM pragma_table_info(?1) ORDER BY cid",
                               -1, &statement_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(std::exchange(statement_, nullptr));
            check.fail();
        }
    }
    ~TableColumns() { sqlite3_finalize(statement_); }
    TableColumns(const TableColumns&) = delete;
    TableColumns& operator=(const TableColumns&) = delete;

    const DeclaredColumns& of(const char* table)
    {
        const auto [found, added] = read_.try_emplace(table);
        if (!added)
            return found->second;
        sqlite3_bind_text(statement_, 1, table, -1, SQLITE_STATIC);
        int stepped = SQLITE_ROW;
        while ((stepped = sqlite3_step(statement_)) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement_, 0));
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(statement_, 1));
            found->second.push_back({QString::fromUtf8(name), kindOf(QString::fromUtf8(type)),
                                     sqlite3_column_int(statement_, 2) != 0, sqlite3_column_int(statement_, 3) != 0});
        }
        sqlite3_reset(statement_);
        if (stepped != SQLITE_DONE) {
            read_.erase(found);
            check_.fail();
        }
        return found->second;
    }

private:
    const Checker& check_;
    sqlite3_stmt* statement_ = nullptr;
    std::map<std::string, DeclaredColumns> read_;
};

// The column of that name, in any letter case, as SQLite compares them.
DeclaredColumns::const_iterator findColumn(const DeclaredColumns& columns, const QString& name)
{
    return std::find_if(columns.begin(), columns.end(), [&name](const DeclaredColumn& column) {
        return column.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

// The columns of every story table as a new story has them, read from the story template.
const std::map<QString, DeclaredColumns>& templateColumns()
{
    static const auto tables = [] {
        std::map<QString, DeclaredColumns> columns;
        QFile file(QString::fromLatin1(StoryFile::kStoryTemplate));
        if (!file.open(QIODevice::ReadOnly))
            return columns;
        const QByteArray bytes = file.readAll();
        sqlite3* handle = nullptr;
        const int opened = sqlite3_open_v2(":memory:", &handle, SQLITE_OPEN_READWRITE, nullptr);
        DatabaseConnection connection(handle);
        if (opened != SQLITE_OK)
            return columns;
        // SQLite owns the copy from here on, and frees it with the connection.
        auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(bytes.size())));
        if (!copy)
            return columns;
        std::memcpy(copy, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (sqlite3_deserialize(handle, "main", copy, bytes.size(), bytes.size(),
                                SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) != SQLITE_OK)
            return columns;
        const QString name = QStringLiteral("the story template");
        const Checker check(name, handle);
        TableColumns declared(check, handle);
        for (const char* table : kStoryTables)
            columns[QString::fromLatin1(table)] = declared.of(table);
        return columns;
    }();
    return tables;
}

// Every column a story table has in a new story, of the kind it declares there: the story's
// statements name them, and a file that lost one (a name with a flipped bit, say) or declares
// it of another kind is damaged. Stories of older versions lack the attachments' MIME type
// column, which their opening adds.
void checkColumns(const Checker& check, TableColumns& tableColumns)
{
    for (const auto& [table, expected] : templateColumns()) {
        const DeclaredColumns& declared = tableColumns.of(table.toLatin1().constData());
        for (const DeclaredColumn& column : expected) {
            const auto found = findColumn(declared, column.name);
            if (found == declared.end()) {
                if (table == QLatin1String("AttachedObject") && column.name == QLatin1String("MimeType"))
                    continue;
                check.damaged(QStringLiteral("The table %1 has lost its column %2.").arg(table, column.name));
            }
            if (found->kind != column.kind)
                check.damaged(QStringLiteral("The column %1 of the table %2 is not of the kind a story keeps there.")
                                  .arg(column.name, table));
        }
        // A column another program added is never read, but the story's new rows leave it out.
        for (const DeclaredColumn& column : declared)
            if (column.mustFill && findColumn(expected, column.name) == expected.end()) {
                const TableWords& words = wordsFor(table);
                check.changedElsewhere(
                    QStringLiteral("It added a column \u201c%1\u201d to %2, which every new %3 would have to fill in.")
                        .arg(column.name, QLatin1String(words.all), QLatin1String(words.one)));
            }
    }
}

// One column as the checks of a table's rows see it.
struct Column {
    QByteArray name;
    Kind kind;
    // The table's integer key: SQLite keeps it out of the record.
    bool key;
};

// Reads every row of `table` once, in key order: every value must be of the kind its column
// declares, no text may hold a NUL character (what a zeroed sector leaves of a text), and each
// row must take the bytes its record takes on the table's pages (`stored`, one row each, in key
// order) as SQLite lays out a record of its values: a page of another table read in this one's
// place, or a row whose last bytes were lost, holds records of another length, even when their
// values look right. Every row holds every column of its table but the
// last `addedLater` ones, which rows written before they were added lack. Answers what is
// wrong, or "".
QString checkRows(sqlite3* database, const char* table, const std::vector<Column>& columns,
                  const std::vector<StoredPages::Row>& stored, const StoredPages& pages, std::size_t addedLater)
{
    const auto key = std::find_if(columns.begin(), columns.end(), [](const Column& column) { return column.key; });
    QByteArray keyName = key->name;
    const QByteArray sql =
        QByteArray("SELECT * FROM \"") + table + "\" ORDER BY \"" + keyName.replace('"', "\"\"") + "\"";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, sql.constData(), -1, &statement, nullptr) != SQLITE_OK ||
        sqlite3_column_count(statement) != static_cast<int>(columns.size())) {
        sqlite3_finalize(statement);
        return QStringLiteral("The table %1 cannot be read.").arg(QString::fromLatin1(table));
    }
    std::vector<RecordLayout::Column> recorded;
    for (const Column& column : columns)
        recorded.push_back({column.key, column.kind == Kind::Real});
    const auto keyIndex = static_cast<std::size_t>(key - columns.begin());
    const std::size_t alwaysThere = columns.size() - std::min(addedLater, columns.size());
    const QString notWritten =
        QStringLiteral("The rows of the table %1 are not the rows SQLite wrote there.").arg(QString::fromLatin1(table));
    // Each value is asked of SQLite once, for its kind and for the bytes it takes.
    std::vector<RecordLayout::Value> values(columns.size());
    std::size_t row = 0;
    int stepped = SQLITE_ROW;
    while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
        bool lostLetters = false;
        for (std::size_t index = 0; index < columns.size(); ++index) {
            values[index] = RecordLayout::readValue(statement, static_cast<int>(index), pages.utf16());
            lostLetters = lostLetters || values[index].holdsNul;
            if (!holdsItsKind(columns[index].kind, values[index].type)) {
                sqlite3_finalize(statement);
                return QStringLiteral("The column %1 of the table %2 holds a value of the wrong kind.")
                    .arg(QString::fromUtf8(columns[index].name), QString::fromLatin1(table));
            }
        }
        if (row >= stored.size() || stored[row].key != values[keyIndex].integer ||
            !RecordLayout::holdsRow(values, recorded, alwaysThere, stored[row].recordBytes,
                                    stored[row].zeroOrOneInNoByte)) {
            sqlite3_finalize(statement);
            return notWritten;
        }
        // Told only of a row as long as SQLite wrote it: one that lost its last bytes is told so.
        if (lostLetters) {
            const auto lost = std::find_if(values.begin(), values.end(),
                                           [](const RecordLayout::Value& value) { return value.holdsNul; });
            sqlite3_finalize(statement);
            return QStringLiteral("The column %1 of the table %2 holds a text whose letters were lost: zeros stand "
                                  "in their place.")
                .arg(QString::fromUtf8(columns[static_cast<std::size_t>(lost - values.begin())].name),
                     QString::fromLatin1(table));
        }
        ++row;
    }
    sqlite3_finalize(statement);
    if (stepped != SQLITE_DONE)
        return QStringLiteral("The table %1 cannot be read.").arg(QString::fromLatin1(table));
    return row == stored.size() ? QString() : notWritten;
}

// How many of a table's last columns may have been added to it after rows were written: the
// attachments' MIME type column, which stories of older versions gained, and columns that no
// story has, which another program added.
std::size_t columnsAddedLater(const char* table, const std::vector<Column>& columns)
{
    const auto found = templateColumns().find(QString::fromLatin1(table));
    std::size_t count = 0;
    for (auto column = columns.rbegin(); column != columns.rend(); ++column, ++count) {
        const QString name = QString::fromUtf8(column->name);
        const bool mimeType = std::strcmp(table, "AttachedObject") == 0 &&
                              name.compare(QLatin1String("MimeType"), Qt::CaseInsensitive) == 0;
        const bool ofTheStory =
            found != templateColumns().end() && findColumn(found->second, name) != found->second.end();
        if (ofTheStory && !mimeType)
            break;
    }
    return count;
}

// The kinds and the length of every row of every story table. The references a row holds are
// read as the story reads them and never refuse a file: keys are used again, so a link, a
// script paragraph or a set-up may name a record that is gone, whether or not its owner is
// there. Loading leaves such a link out and shows the others without what they name.
void checkEveryRow(const Checker& check, sqlite3* database, TableColumns& tableColumns)
{
    const StoredPages pages(database);
    if (!pages.readable())
        throw StoryFileRefused(check.path(), QStringLiteral("cannot be opened because it cannot be read."));
    std::map<QString, long long> roots;
    for (const QString& row : check.rows("SELECT name || ' ' || rootpage FROM sqlite_master WHERE type = 'table'")) {
        const qsizetype space = row.lastIndexOf(QLatin1Char(' '));
        roots[row.left(space)] = row.mid(space + 1).toLongLong();
    }
    for (const char* table : kStoryTables) {
        std::vector<Column> columns;
        for (const DeclaredColumn& column : tableColumns.of(table))
            columns.push_back({column.name.toUtf8(), column.kind, column.key});
        // Every story table keeps its key as the row id. A table whose definition no longer says
        // so reads its rows with no keys, as SQLite keeps none for them in the records.
        if (std::none_of(columns.begin(), columns.end(), [](const Column& column) { return column.key; }))
            check.damaged(QStringLiteral("The table %1 has no key of its own.").arg(QString::fromLatin1(table)));
        const long long root = roots[QString::fromLatin1(table)];
        const std::optional<std::vector<StoredPages::Row>> stored =
            root > 0 && root <= std::numeric_limits<std::uint32_t>::max()
                ? pages.tableRows(static_cast<std::uint32_t>(root))
                : std::nullopt;
        const QString wrong =
            stored ? checkRows(database, table, columns, *stored, pages, columnsAddedLater(table, columns))
                   : QStringLiteral("The pages of the table %1 are not the pages SQLite wrote there.")
                         .arg(QString::fromLatin1(table));
        if (!wrong.isEmpty())
            check.damaged(wrong);
    }
}

// Whether a count, a count of distinct numbers, the least and the greatest number say that
// every number lies from 1 to `most` and none comes twice.
bool numberedOnceWithin(const std::vector<long long>& counted, long long most)
{
    if (counted.size() != 4 || counted[1] != counted[0])
        return false;
    return counted[0] == 0 || (counted[2] >= 1 && counted[3] <= most);
}

// The rules every story keeps, which SQLite cannot know: a file that breaks one is damaged,
// and showing it would show another story than the one that was written.
void checkStoryRules(const Checker& check, sqlite3* database, TableColumns& tableColumns)
{
    checkEveryRow(check, database, tableColumns);

    // Each beat numbered 1 to 15 and no number twice. A story may hold fewer beats: a new story
    // gets its beats one by one, and one whose making stopped midway has the first of them.
    const std::vector<long long> beats =
        check.numbers("SELECT count(*), count(DISTINCT BeatNumber), min(BeatNumber), max(BeatNumber) FROM Beat");
    if (!numberedOnceWithin(beats, 15))
        check.damaged(QStringLiteral("A beat of the story is numbered twice or outside 1 to 15."));
    // The checklist's questions likewise, numbered 1 to 55. A story of the time when the
    // checklist had 50 questions gets the last five when it is read: 50 questions must then be
    // the first 50, or the reading would number two of them alike.
    const std::vector<long long> questions =
        check.numbers("SELECT count(*), count(DISTINCT QuestionNumber), min(QuestionNumber), max(QuestionNumber) "
                      "FROM GreenlightChecklistQuestion");
    if (!numberedOnceWithin(questions, 55))
        check.damaged(
            QStringLiteral("A question of the greenlight checklist is numbered twice or outside 1 to 55."));
    if (questions.front() == 50 && questions.back() > 50)
        check.damaged(QStringLiteral("The greenlight checklist holds 50 questions that are not numbered 1 to 50."));

    // At most one current logline, its flag 1 and every other 0; colours 0 to 255.
    if (check.numbers("SELECT count(*) FROM Logline WHERE CurrentLoglineFlag NOT IN (0,1)").front() != 0 ||
        check.numbers("SELECT count(*) FROM Logline WHERE CurrentLoglineFlag = 1").front() > 1)
        check.damaged(QStringLiteral("The story's loglines are not marked as they are written."));
    if (check.numbers("SELECT count(*) FROM ColorCode WHERE RedValue NOT BETWEEN 0 AND 255 OR GreenValue NOT BETWEEN "
                      "0 AND 255 OR BlueValue NOT BETWEEN 0 AND 255 OR AlphaValue NOT BETWEEN 0 AND 255")
            .front() != 0)
        check.damaged(QStringLiteral("A colour code of the story holds a colour value outside 0 to 255."));
}

// One statement naming each of `tables` that holds a row meeting `condition` (a WHERE clause,
// or "" for any row), in the list's order.
template <typename Tables>
QByteArray tablesHolding(const Tables& tables, const char* condition)
{
    QByteArray sql;
    for (const char* table : tables) {
        if (!sql.isEmpty())
            sql += " UNION ALL ";
        sql += QByteArray("SELECT '") + table + "' WHERE EXISTS (SELECT 1 FROM " + table + condition + ")";
    }
    return sql;
}

// One read of the file for a whole check: every statement and every page read sees the file as
// the first of them found it, whatever another program writes meanwhile. A check writes
// nothing, so ending it keeps nothing. Within a transaction already open, that one serves.
class ReadTransaction
{
public:
    ReadTransaction(const Checker& check, sqlite3* database)
    {
        if (!sqlite3_get_autocommit(database))
            return;
        if (sqlite3_exec(database, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
            check.fail();
        database_ = database;
    }
    ~ReadTransaction()
    {
        if (database_)
            sqlite3_exec(database_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    sqlite3* database_ = nullptr;
};

} // namespace

namespace StoryFile {

void checkStory(const QString& path, sqlite3* database)
{
    const Checker check(path, database);
    const ReadTransaction snapshot(check, database);
    // A view or a trigger is code of another program's own, and a trigger would change the story
    // behind the writer's back.
    const std::vector<QString> added = check.rows(
        "SELECT type || ' ' || name FROM sqlite_master WHERE type IN ('trigger','view') ORDER BY type, name");
    if (!added.empty()) {
        const QString name = added.front().section(QLatin1Char(' '), 1);
        check.changedElsewhere(added.front().startsWith(QLatin1String("view"))
                                   ? QStringLiteral("It added a view named \u201c%1\u201d.").arg(name)
                                   : QStringLiteral("It added a trigger named \u201c%1\u201d, which would change the "
                                                    "story by itself as it is edited.")
                                         .arg(name));
    }
    const std::vector<QString> tables = check.rows("SELECT name FROM sqlite_master WHERE type='table'");
    const auto holds = [&tables](const char* table) {
        return std::find(tables.begin(), tables.end(), QString::fromLatin1(table)) != tables.end();
    };
    // A file with most of the story's tables is a story that lost the others.
    const auto held = std::count_if(kStoryTables.begin(), kStoryTables.end(), holds);
    for (const char* table : kStoryTables) {
        if (holds(table))
            continue;
        if (2 * held > static_cast<long>(kStoryTables.size()))
            check.damaged(QStringLiteral("The story's table %1 is missing.").arg(QString::fromLatin1(table)));
        check.notAStory(QStringLiteral("The file has no table %1.").arg(QString::fromLatin1(table)));
    }

    // The full check: every page, and every index against its table. A damaged index passes
    // the quick check, and a scene's paragraphs would then be read in another order, or another
    // scene's paragraph read in their place.
    const std::vector<QString> problems = check.rows("PRAGMA integrity_check");
    if (problems.size() != 1 || problems.front() != QLatin1String("ok"))
        check.damaged(problems.empty() ? QString() : problems.front());
    TableColumns tableColumns(check, database);
    checkColumns(check, tableColumns);

    // One story, or none yet: a new story is a copy of the empty template until its row is made,
    // and every other row of it is made after that one. A file without the row and with no
    // other row is a new story whose making stopped there (loading finishes it); one without
    // the row but with other rows has lost it.
    const QString stories = check.rows("SELECT count(*) FROM Screenplay").front();
    if (stories != QLatin1String("0") && stories != QLatin1String("1"))
        check.notAStory(QStringLiteral("The file holds more than one story."));
    static const QByteArray anyRows = tablesHolding(kStoryTables, "");
    static const QByteArray strays =
        tablesHolding(kTablesOfTheStory, " WHERE ScreenplayID IS NOT (SELECT ScreenplayID FROM Screenplay)");
    if (stories == QLatin1String("0")) {
        if (const std::vector<QString> holding = check.rows(anyRows.constData()); !holding.empty())
            check.damaged(QStringLiteral("The story's own row is missing, yet the file holds rows of the table %1.")
                              .arg(holding.front()));
    } else if (const std::vector<QString> holding = check.rows(strays.constData()); !holding.empty()) {
        check.notAStory(QStringLiteral("Rows of the table %1 belong to another story.").arg(holding.front()));
    }
    checkStoryRules(check, database, tableColumns);
}

bool holdsStoryRow(const QString& path, sqlite3* database)
{
    return Checker(path, database).numbers("SELECT count(*) FROM Screenplay").front() > 0;
}

} // namespace StoryFile

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
    const int opened = sqlite3_open_v2(name.constData(), &handle, kStoryOpenFlags, nullptr);
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

StoryFileRefused openingRefusal(const QString& path, const DatabaseError& failure)
{
    if (const auto* refused = dynamic_cast<const StoryFileRefused*>(&failure))
        return *refused;
    return StoryFileRefused(path, openingFailureReason(failure.sqliteCode()), failure.message());
}

QString refusalMessage(const QString& path, const DatabaseError& failure)
{
    return openingRefusal(path, failure).message();
}

DatabaseConnection open(const QString& path)
{
    sqlite3* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int opened = sqlite3_open_v2(name.constData(), &handle, kStoryOpenFlags, nullptr);
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
