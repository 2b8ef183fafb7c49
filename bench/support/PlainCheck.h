#pragma once

// The benchmarks' floors for the checks a story file passes before the window shows it, done the
// plain way, and for reading the story that passed them. The checks: SQLite's full integrity check;
// the schema (no trigger, no view, every story table); then every row of every story table read
// once, in key order, with all its columns, each value held to the kind its column declares, no
// text holding a NUL character, each table's records to the bytes SQLite's own page statistics
// (dbstat) count for the table, every row naming a story to the story's key; and the story's rules
// on the rows so read: one story, beats and checklist questions numbered once within their ranges,
// at most one current logline, colours 0 to 255. A blob column is read as its kind and its length,
// which SQLite answers without reading the blob. Reading the story keeps the rows the window loads
// in plain structs from that same pass and puts them in the program's orders and links in memory
// (PlainStory), reading nothing twice.

#include "PlainStory.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace PlainCheck {

// A check the file did not pass.
struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The SQLite type code a column's declared type holds (SQLite's rules for a declared type), or 0
// for a type that takes values of any kind.
inline int kindOf(std::string declared)
{
    std::transform(declared.begin(), declared.end(), declared.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto holds = [&declared](const char* word) { return declared.find(word) != std::string::npos; };
    if (holds("INT"))
        return SQLITE_INTEGER;
    if (holds("CHAR") || holds("CLOB") || holds("TEXT"))
        return SQLITE_TEXT;
    if (holds("REAL") || holds("FLOA") || holds("DOUB"))
        return SQLITE_FLOAT;
    return 0;
}

inline std::int64_t varintBytes(std::uint64_t value)
{
    std::int64_t bytes = 1;
    while (value >= 0x80 && bytes < 9) {
        value >>= 7;
        ++bytes;
    }
    return bytes;
}

// A record as a statement writes it, its values added one by one: the header lists each
// value's serial type, the body holds the values.
class RecordBytes
{
public:
    void null() { ++types_; }
    void integer(std::int64_t value)
    {
        ++types_;
        if (value == 0 || value == 1)
            return;
        const std::uint64_t magnitude = static_cast<std::uint64_t>(value < 0 ? ~value : value);
        body_ += magnitude < 0x80 ? 1 : magnitude < 0x8000 ? 2 : magnitude < 0x800000 ? 3
               : magnitude < 0x80000000ULL ? 4 : magnitude < 0x800000000000ULL ? 6 : 8;
    }
    // A double of a REAL column that is a whole number is written as that integer.
    void real(double value, bool realColumn)
    {
        if (realColumn && value >= -9.2e18 && value <= 9.2e18 &&
            value == static_cast<double>(static_cast<std::int64_t>(value)))
            return integer(static_cast<std::int64_t>(value));
        ++types_;
        body_ += 8;
    }
    void bytes(std::int64_t length, bool text)
    {
        types_ += varintBytes(static_cast<std::uint64_t>(2 * length + (text ? 13 : 12)));
        body_ += length;
    }
    std::int64_t total() const
    {
        std::int64_t header = types_ + 1;
        while (types_ + varintBytes(static_cast<std::uint64_t>(header)) != header)
            header = types_ + varintBytes(static_cast<std::uint64_t>(header));
        return header + body_;
    }

private:
    std::int64_t types_ = 0;
    std::int64_t body_ = 0;
};

// One story table as the floor reads it: PlainStory's columns (the key first) and the blob
// columns it leaves out.
struct Table {
    const char* name;
    const char* columns;
    std::vector<std::string> blobs;
};

class Reader
{
public:
    explicit Reader(sqlite3* db) : db_(db)
    {
        sqlite3_prepare_v2(db, "SELECT name, type FROM pragma_table_info(?1)", -1, &declared_, nullptr);
        sqlite3_prepare_v2(db, "SELECT payload FROM dbstat WHERE name=?1 AND aggregate=TRUE", -1, &stored_, nullptr);
    }
    ~Reader()
    {
        sqlite3_finalize(declared_);
        sqlite3_finalize(stored_);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Every row of `table` read and checked, and kept in `rows` when given. Rows that name a
    // story must name `story` (the story's own table is read first, with none).
    template <typename Row>
    void read(const Table& table, std::vector<Row>* rows, std::int64_t story = 0)
    {
        std::unordered_map<std::string, int> declared;
        sqlite3_bind_text(declared_, 1, table.name, -1, SQLITE_STATIC);
        while (sqlite3_step(declared_) == SQLITE_ROW)
            declared.emplace(text(declared_, 0), kindOf(text(declared_, 1)));
        sqlite3_reset(declared_);

        std::string sql = std::string("SELECT ") + table.columns;
        for (const std::string& blob : table.blobs)
            sql += ",typeof(" + blob + "),length(" + blob + ")";
        sql += std::string(" FROM ") + table.name + " ORDER BY rowid";
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            throw Refused(std::string("cannot read ") + table.name);
        }
        const int plain = sqlite3_column_count(statement) - 2 * static_cast<int>(table.blobs.size());
        // Each plain column's kind; the key comes first and is kept out of the record.
        std::vector<int> kinds;
        int storyColumn = -1;
        for (int column = 0; column < plain; ++column) {
            const std::string name = sqlite3_column_name(statement, column);
            const auto found = declared.find(name);
            kinds.push_back(found == declared.end() ? 0 : found->second);
            if (name == "ScreenplayID" && column > 0)
                storyColumn = column;
        }
        if (kinds.size() + table.blobs.size() != declared.size()) {
            sqlite3_finalize(statement);
            throw Refused(std::string("the columns of ") + table.name + " are not the story's");
        }

        std::int64_t recordBytes = 0;
        int stepped = SQLITE_ROW;
        while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
            RecordBytes record;
            for (int column = 0; column < plain; ++column) {
                const int type = sqlite3_column_type(statement, column);
                const int kind = kinds[static_cast<std::size_t>(column)];
                if (type != SQLITE_NULL && kind != 0 && type != kind) {
                    sqlite3_finalize(statement);
                    throw Refused(std::string("a value of the wrong kind in ") + table.name);
                }
                if (column == 0 || type == SQLITE_NULL)
                    record.null();
                else if (type == SQLITE_INTEGER)
                    record.integer(sqlite3_column_int64(statement, column));
                else if (type == SQLITE_FLOAT)
                    record.real(sqlite3_column_double(statement, column), kind == SQLITE_FLOAT);
                else if (type == SQLITE_BLOB)
                    record.bytes(sqlite3_column_bytes(statement, column), false);
                else {
                    const unsigned char* text = sqlite3_column_text(statement, column);
                    const int length = sqlite3_column_bytes(statement, column);
                    if (text && std::memchr(text, 0, static_cast<std::size_t>(length))) {
                        sqlite3_finalize(statement);
                        throw Refused(std::string("a text of ") + table.name + " holds a NUL character");
                    }
                    record.bytes(length, true);
                }
            }
            for (std::size_t blob = 0; blob < table.blobs.size(); ++blob) {
                const int column = plain + 2 * static_cast<int>(blob);
                const std::string kind = text(statement, column);
                if (kind == "null") {
                    record.null();
                } else if (kind == "blob") {
                    record.bytes(sqlite3_column_int64(statement, column + 1), false);
                } else {
                    sqlite3_finalize(statement);
                    throw Refused(std::string("a blob column of ") + table.name + " holds a " + kind);
                }
            }
            if (storyColumn > 0 && sqlite3_column_int64(statement, storyColumn) != story) {
                sqlite3_finalize(statement);
                throw Refused(std::string("a row of ") + table.name + " belongs to another story");
            }
            recordBytes += record.total();
            if (rows) {
                rows->emplace_back();
                PlainStory::readRow(statement, rows->back());
            }
        }
        sqlite3_finalize(statement);
        if (stepped != SQLITE_DONE)
            throw Refused(std::string("cannot read ") + table.name);

        // The bytes the table's records take on its pages.
        sqlite3_bind_text(stored_, 1, table.name, -1, SQLITE_STATIC);
        const std::int64_t stored = sqlite3_step(stored_) == SQLITE_ROW ? sqlite3_column_int64(stored_, 0) : -1;
        sqlite3_reset(stored_);
        if (stored != recordBytes)
            throw Refused(std::string("the rows of ") + table.name + " are not the rows SQLite wrote there");
    }

private:
    static std::string text(sqlite3_stmt* statement, int column)
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column))) : std::string();
    }

    sqlite3* db_;
    sqlite3_stmt* declared_ = nullptr;
    sqlite3_stmt* stored_ = nullptr;
};

// Every row of `sql`'s answer, its first column as text.
inline std::vector<std::string> column(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    std::vector<std::string> answers;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        answers.emplace_back(text ? text : "");
    }
    sqlite3_finalize(statement);
    return answers;
}

// Whether the numbers are distinct and lie from 1 to `most`.
template <typename Row, typename Number>
bool numberedOnce(const std::vector<Row>& rows, Number number, std::int64_t most)
{
    std::unordered_set<std::int64_t> seen;
    for (const Row& row : rows)
        if (row.*number < 1 || row.*number > most || !seen.insert(row.*number).second)
            return false;
    return true;
}

// The story's rules on the rows read: beats, questions, loglines and colours.
inline void checkRules(const PlainStory::Story& story)
{
    if (!numberedOnce(story.beats, &PlainStory::Beat::beatNumber, 15))
        throw Refused("a beat numbered twice or outside 1 to 15");
    if (!numberedOnce(story.questions, &PlainStory::GreenlightChecklistQuestion::questionNumber, 55))
        throw Refused("a question numbered twice or outside 1 to 55");
    if (story.questions.size() == 50 &&
        !numberedOnce(story.questions, &PlainStory::GreenlightChecklistQuestion::questionNumber, 50))
        throw Refused("50 questions not numbered 1 to 50");
    int current = 0;
    for (const PlainStory::Logline& logline : story.loglines) {
        if (logline.currentLoglineFlag != 0 && logline.currentLoglineFlag != 1)
            throw Refused("a logline marked neither current nor not");
        current += logline.currentLoglineFlag == 1;
    }
    if (current > 1)
        throw Refused("two current loglines");
    for (const PlainStory::ColorCode& colour : story.colorCodes)
        for (const std::int64_t value : {colour.redValue, colour.greenValue, colour.blueValue, colour.alphaValue})
            if (value < 0 || value > 255)
                throw Refused("a colour value outside 0 to 255");
}

// The checks on `db`, in one read transaction; the rows the window loads are kept in `story`
// when it is given, in key order and unlinked, with the cards in `cards`.
inline void checkRows(sqlite3* db, PlainStory::Story& story, std::vector<PlainStory::SceneCard>* cards, bool keep)
{
    using namespace PlainStory;
    std::vector<Screenplay> rows;
    Reader reader(db);
    reader.read<Screenplay>({"Screenplay", kScreenplayColumns, {}}, &rows);
    if (rows.size() != 1)
        throw Refused("no story, or more than one");
    story.row = std::move(rows.front());
    const std::int64_t id = story.row.screenplayID;
    reader.read<SceneCard>({"SceneCard", kSceneCardColumns, {}}, cards, id);
    // The scripts are checked, not loaded: the window reads a scene's script when it opens.
    reader.read<ScriptPart>({"ScriptPart", kScriptPartColumns, {}}, nullptr);
    reader.read<ScriptElement>({"ScriptElement", kScriptElementColumns, {}}, keep ? &story.elements : nullptr);
    reader.read<Beat>({"Beat", kBeatColumns, {}}, &story.beats, id);
    reader.read<Logline>({"Logline", kLoglineColumns, {}}, &story.loglines, id);
    reader.read<GreenlightChecklistQuestion>(
        {"GreenlightChecklistQuestion", kGreenlightChecklistQuestionColumns, {}}, &story.questions, id);
    reader.read<Character>({"Character", kCharacterColumns, {}}, keep ? &story.characters : nullptr, id);
    reader.read<SceneLocation>({"SceneLocation", kSceneLocationColumns, {}}, keep ? &story.locations : nullptr, id);
    reader.read<ColorCode>({"ColorCode", kColorCodeColumns, {}}, &story.colorCodes, id);
    reader.read<StickyNote>({"StickyNote", kStickyNoteColumns, {}}, keep ? &story.stickyNotes : nullptr, id);
    reader.read<AttachedObject>({"AttachedObject", kAttachedObjectColumns, {"Thumbnail", "AttachedObject"}},
                                keep ? &story.attachments : nullptr, id);
    reader.read<CharacterObject>({"CharacterObject", kCharacterObjectColumns, {}},
                                 keep ? &story.characterObjects : nullptr);
    reader.read<SceneLocationObject>({"SceneLocationObject", kSceneLocationObjectColumns, {}},
                                     keep ? &story.locationObjects : nullptr);
    reader.read<SceneCardObject>({"SceneCardObject", kSceneCardObjectColumns, {}},
                                 keep ? &story.sceneCardObjects : nullptr);
    reader.read<SceneCardCharacter>({"SceneCardCharacter", kSceneCardCharacterColumns, {}},
                                    keep ? &story.sceneCardCharacters : nullptr);
    reader.read<SceneSetup>({"SceneSetup", kSceneSetupColumns, {}}, keep ? &story.setups : nullptr);
    reader.read<ScenePayoff>({"ScenePayoff", kScenePayoffColumns, {}}, keep ? &story.payoffs : nullptr);
    checkRules(story);
}

// The whole check, and the story's rows kept when `cards` is given.
inline void check(sqlite3* db, PlainStory::Story& story, std::vector<PlainStory::SceneCard>* cards)
{
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    try {
        if (column(db, "PRAGMA integrity_check") != std::vector<std::string>{"ok"})
            throw Refused("SQLite's integrity check failed");
        if (!column(db, "SELECT name FROM sqlite_master WHERE type IN ('trigger','view')").empty())
            throw Refused("a trigger or a view");
        checkRows(db, story, cards, cards != nullptr);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The checks alone.
inline void checkStory(sqlite3* db)
{
    PlainStory::Story story;
    check(db, story, nullptr);
}

// Keeps the links whose owner is among `owners` (by `key`).
template <typename Link, typename Owner>
void keepLinksOf(std::vector<Link>& links, std::int64_t Link::*owner, const std::vector<Owner>& owners,
                 std::int64_t Owner::*key)
{
    std::unordered_set<std::int64_t> keys;
    for (const Owner& one : owners)
        keys.insert(one.*key);
    links.erase(std::remove_if(links.begin(), links.end(),
                               [&](const Link& link) { return keys.count(link.*owner) == 0; }),
                links.end());
}

// The checks, and the story read from the same pass into plain structs in the program's orders,
// each link with what it names.
inline PlainStory::Story checkAndRead(sqlite3* db)
{
    using namespace PlainStory;
    Story story;
    std::vector<SceneCard> cards;
    check(db, story, &cards);
    std::stable_sort(story.questions.begin(), story.questions.end(),
                     [](const GreenlightChecklistQuestion& a, const GreenlightChecklistQuestion& b) {
                         return a.questionNumber < b.questionNumber;
                     });
    linkCharacters(story);
    keepLinksOf(story.sceneCardObjects, &SceneCardObject::sceneCardID, cards, &SceneCard::sceneCardID);
    titleCardAttachments(story);
    keepLinksOf(story.sceneCardCharacters, &SceneCardCharacter::sceneCardID, cards, &SceneCard::sceneCardID);
    nameCardCharacters(story);
    keepLinksOf(story.locationObjects, &SceneLocationObject::sceneLocationID, story.locations,
                &SceneLocation::sceneLocationID);
    linkLocations(story);
    linkSetupsAndPayoffs(story);
    std::stable_sort(cards.begin(), cards.end(), [](const SceneCard& a, const SceneCard& b) {
        return a.currentBeatSection != b.currentBeatSection ? a.currentBeatSection < b.currentBeatSection
                                                            : a.sortOrder < b.sortOrder;
    });
    placeCards(story, std::move(cards));
    return story;
}

// SQLite's quick check (every page, no index against its table), then every index held to its
// table in plain statements: its entries counted against the table's rows, and each entry's row
// found by its row id and compared column by column. The same checking as SQLite's full check,
// which finds each row's entry in each index instead. Answers how many indexes fail.
inline int checkPagesAndIndexes(sqlite3* db)
{
    if (column(db, "PRAGMA quick_check") != std::vector<std::string>{"ok"})
        return 1;
    struct Index {
        std::string name;
        std::string table;
        std::string differs;
    };
    std::vector<Index> indexes;
    sqlite3_stmt* listed = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT m.name, m.tbl_name, i.name FROM sqlite_master AS m, pragma_index_info(m.name) AS i "
                       "WHERE m.type = 'index' ORDER BY m.name, i.seqno",
                       -1, &listed, nullptr);
    while (sqlite3_step(listed) == SQLITE_ROW) {
        const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(listed, 0));
        const std::string columnName = reinterpret_cast<const char*>(sqlite3_column_text(listed, 2));
        if (indexes.empty() || indexes.back().name != name)
            indexes.push_back({name, reinterpret_cast<const char*>(sqlite3_column_text(listed, 1)), ""});
        Index& index = indexes.back();
        index.differs += (index.differs.empty() ? "" : " OR ") + std::string("b.\"") + columnName +
                         "\" IS NOT a.\"" + columnName + "\"";
    }
    sqlite3_finalize(listed);
    int failed = 0;
    for (const Index& index : indexes) {
        const std::string table = "\"" + index.table + "\"";
        const std::string byIndex = table + " AS a INDEXED BY \"" + index.name + "\"";
        const std::string sql = "SELECT (SELECT count(*) FROM " + byIndex + ") = (SELECT count(*) FROM " + table +
                                " NOT INDEXED) AND NOT EXISTS (SELECT 1 FROM " + byIndex + " CROSS JOIN " + table +
                                " AS b NOT INDEXED WHERE b.rowid = a.rowid AND (" + index.differs + "))";
        sqlite3_stmt* statement = nullptr;
        const bool held = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
                          sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 1;
        sqlite3_finalize(statement);
        failed += held ? 0 : 1;
    }
    return failed;
}

} // namespace PlainCheck
