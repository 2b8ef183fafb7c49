#include "model/AttachedObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"
#include "support/PlainCheck.h"
#include "support/PlainStory.h"
#include "support/StoryGenerator.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A large story: 1,000 cards with 20 script paragraphs each, 50 characters, 30 locations,
// 100 set-ups and 100 pay-offs, written in one transaction.
class LargeStory
{
public:
    LargeStory()
    {
        master_ = folder_.filePath("Master.vtrmf");
        path_ = folder_.filePath("Large.vtrsf");
        StoryFile::copyTemplate(StoryFile::kMasterTemplate, master_);
        StoryFile::copyTemplate(StoryFile::kStoryTemplate, path_);
        Toolkit().populateDefaults(master_, path_);
        DatabaseConnection connection = StoryFile::open(path_);
        std::string sql = "BEGIN;";
        for (int card = 1; card <= 1000; ++card) {
            sql += "INSERT INTO SceneCard (SceneCardID,ScreenplayID,Heading,Description,OnBoard,CurrentBeatSection,"
                   "SortOrder,PercentageHorizontal,PositionLeft,PositionTop) VALUES (" +
                   std::to_string(card) + ",1,'INT. ROOM " + std::to_string(card) +
                   " - DAY','Something happens.'," + (card % 10 == 0 ? "2" : "1") + "," +
                   std::to_string(1 + card % 20) + "," + std::to_string(card) + "," +
                   std::to_string((card % 37) / 37.0) + "," + std::to_string(4 + card % 1500) + "," +
                   std::to_string((card % 4) * 180) + ");";
            for (int part = 1; part <= 20; ++part)
                sql += "INSERT INTO ScriptPart (SceneCardID,SortOrder,ElementTypeID,ScriptText) VALUES (" +
                       std::to_string(card) + "," + std::to_string(part) + ",2,'A line of action for the scene.');";
        }
        for (int i = 1; i <= 50; ++i)
            sql += "INSERT INTO Character (ScreenplayID,CharacterName) VALUES (1,'Character " + std::to_string(i) + "');"
                   "INSERT INTO SceneCardCharacter (SceneCardID,CharacterID) VALUES (" + std::to_string(i * 7) + "," +
                   std::to_string(i) + ");";
        for (int i = 1; i <= 30; ++i)
            sql += "INSERT INTO SceneLocation (ScreenplayID,Location) VALUES (1,'Location " + std::to_string(i) + "');";
        for (int i = 1; i <= 100; ++i)
            sql += "INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) VALUES (" + std::to_string(i) + "," +
                   std::to_string(i * 9) + ",'pay-off');"
                   "INSERT INTO SceneSetup (SceneCardID,SceneSetup,ScenePayoffID) VALUES (" + std::to_string(i * 3) +
                   ",'set-up'," + std::to_string(i) + ");";
        sql += "COMMIT;";
        sqlite3_exec(connection.get(), sql.c_str(), nullptr, nullptr, nullptr);
    }

    const QString& path() const { return path_; }

private:
    QTemporaryDir folder_;
    QString master_;
    QString path_;
};

LargeStory& largeStory()
{
    static LargeStory story;
    return story;
}

} // namespace

// --- Floors: the same reads and writes in plain SQLite, measured in the same run. ---

namespace {

// Steps every row of `sql`, touching each column as the records would read it.
std::int64_t readAllRows(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    std::int64_t touched = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int column = 0; column < columns; ++column) {
            if (sqlite3_column_type(statement, column) == SQLITE_TEXT)
                touched += sqlite3_column_bytes(statement, column);
            else
                touched += sqlite3_column_int64(statement, column);
        }
    }
    sqlite3_finalize(statement);
    return touched;
}

// The file opened plainly and every row the story loads read, all columns, into plain structs,
// in the story's orders; the structs go again at the end, as the story does.
void readPlainStory(const QString& path)
{
    DatabaseConnection connection = StoryFile::open(path);
    const PlainStory::Story story = PlainStory::read(connection.get());
    benchmark::DoNotOptimize(story.board.size());
}

// The same, after the checks a story file from other people must pass (the full integrity
// check and the story's rules), with a cache that holds the story for the reading after it.
void checkAndReadPlainStory(const QString& path)
{
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    DatabaseConnection connection(handle);
    sqlite3_exec(handle, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    StoryFile::checkStory(path, handle);
    const PlainStory::Story story = PlainStory::read(handle);
    benchmark::DoNotOptimize(story.board.size());
}

Screenplaydb& openedLargeStory(DatabaseConnection& connection, std::unique_ptr<Screenplaydb>& story)
{
    connection = StoryFile::open(largeStory().path());
    story = std::make_unique<Screenplaydb>();
    story->initWithDatabase(connection.get());
    story->hydrate();
    return *story;
}

// Runs `sql` once per card key in one transaction, binding the key last.
void updateEveryCardInOneTransaction(sqlite3* db, const char* sql, const std::vector<std::int64_t>& keys,
                                     std::int64_t value)
{
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &update, nullptr);
    for (const std::int64_t key : keys) {
        sqlite3_bind_int64(update, 1, value);
        sqlite3_bind_int64(update, 2, key);
        sqlite3_step(update);
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

} // namespace

// Opening a story: connection, title row, schema check and the full load.
static void BM_OpenAndHydrateLargeStory(benchmark::State& state)
{
    LargeStory& fixture = largeStory();
    for (auto _ : state) {
        DatabaseConnection connection = StoryFile::open(fixture.path());
        Screenplaydb story;
        story.initWithDatabase(connection.get());
        story.hydrate();
        benchmark::DoNotOptimize(story.sceneCards().size());
        story.finalizeAllSqliteStatements();
    }
}
BENCHMARK(BM_OpenAndHydrateLargeStory)->Unit(benchmark::kMillisecond);

// Floor: the same file opened and the same rows read, all their columns, into plain structs.
static void BM_OpenAndHydrateLargeStory_Floor(benchmark::State& state)
{
    for (auto _ : state)
        readPlainStory(largeStory().path());
}
BENCHMARK(BM_OpenAndHydrateLargeStory_Floor)->Unit(benchmark::kMillisecond);

// --- The window's way in, and what its checks cost --------------------------------------------

namespace {

// The benchmarks' generated story of `cards` cards (pictures, links, scripts), made once.
const QString& generatedStory(int cards)
{
    static QTemporaryDir folder;
    static std::map<int, QString> made;
    QString& path = made[cards];
    if (path.isEmpty()) {
        const QString master = folder.filePath(QStringLiteral("Master.vtrmf"));
        if (!QFile::exists(master))
            StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), master);
        path = StoryGenerator::generate(folder.path(), master, cards);
    }
    return path;
}

// A plain connection with the page cache the window's opening gives a story while it is read,
// and, like the story's, no lock taken for each call.
DatabaseConnection plainConnection(const QString& path)
{
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    DatabaseConnection connection(handle);
    sqlite3_exec(handle, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    return connection;
}

// Every row of `sql`'s answer stepped and thrown away.
void runPragma(sqlite3* db, const char* sql)
{
    benchmark::DoNotOptimize(readAllRows(db, sql));
}

// Every page, and every index against its table, checked in plain statements.
void checkPagesAndIndexes(benchmark::State& state, sqlite3* db)
{
    if (PlainCheck::checkPagesAndIndexes(db) != 0)
        state.SkipWithError("a sound story failed the plain check of its pages and indexes");
}

// Opening done plainly: the file opened with the same cache, the same checks (SQLite's full
// integrity check, then every row of every story table read once, its kinds, its bytes on the
// table's pages and the story's rules checked), the rows the window loads kept from that same
// pass in plain structs, in the story's orders and links, and the story's row written back in one
// transaction.
void openPlainly(benchmark::State& state, const QString& path)
{
    DatabaseConnection connection = plainConnection(path);
    try {
        const PlainStory::Story story = PlainCheck::checkAndRead(connection.get());
        benchmark::DoNotOptimize(story.board.size());
    } catch (const PlainCheck::Refused& refused) {
        state.SkipWithError(refused.what());
        return;
    }
    sqlite3_exec(connection.get(),
                 "BEGIN; UPDATE Screenplay SET LastModifiedDate = LastModifiedDate, ProgressStage = ProgressStage; "
                 "COMMIT;",
                 nullptr, nullptr, nullptr);
}

// Opening as the window does: the file's checks (SQLite's full integrity check and the story's
// own rules over every row), the load, and the story's row written back.
void openForTheWindow(const QString& path)
{
    LoadedStory loaded = loadStoryFile(path);
    benchmark::DoNotOptimize(loaded.story->sceneCards().size());
    loaded.story->finalizeAllSqliteStatements();
}

} // namespace

// The 1,000 cards of 20 script paragraphs each opened as the window opens a story.
static void BM_OpenCheckedLargeStory(benchmark::State& state)
{
    for (auto _ : state)
        openForTheWindow(largeStory().path());
}
BENCHMARK(BM_OpenCheckedLargeStory)->Unit(benchmark::kMillisecond);

// Floor: the same checks, the same rows read and the same row written, plainly.
static void BM_OpenCheckedLargeStory_Floor(benchmark::State& state)
{
    for (auto _ : state)
        openPlainly(state, largeStory().path());
}
BENCHMARK(BM_OpenCheckedLargeStory_Floor)->Unit(benchmark::kMillisecond);

// SQLite's full integrity check of the same story, which opening runs: its 20,000 script
// paragraphs have two indexes to check against them.
static void BM_IntegrityCheckLargeStory(benchmark::State& state)
{
    DatabaseConnection connection = plainConnection(largeStory().path());
    for (auto _ : state)
        runPragma(connection.get(), "PRAGMA integrity_check");
}
BENCHMARK(BM_IntegrityCheckLargeStory)->Unit(benchmark::kMillisecond);

// Floor: the same checking in plain statements: SQLite's quick check reads every page, then
// every index is held to its table.
static void BM_IntegrityCheckLargeStory_Floor(benchmark::State& state)
{
    DatabaseConnection connection = plainConnection(largeStory().path());
    for (auto _ : state)
        checkPagesAndIndexes(state, connection.get());
}
BENCHMARK(BM_IntegrityCheckLargeStory_Floor)->Unit(benchmark::kMillisecond);

// The generated story of 1,000 and of 10,000 cards (pictures, links, scripts) opened as the
// window opens a story.
static void BM_OpenStoryForTheWindow(benchmark::State& state)
{
    const QString& path = generatedStory(static_cast<int>(state.range(0)));
    for (auto _ : state)
        openForTheWindow(path);
}
BENCHMARK(BM_OpenStoryForTheWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Floor: the same checks, the same rows read and the same row written, plainly.
static void BM_OpenStoryForTheWindow_Floor(benchmark::State& state)
{
    const QString& path = generatedStory(static_cast<int>(state.range(0)));
    for (auto _ : state)
        openPlainly(state, path);
}
BENCHMARK(BM_OpenStoryForTheWindow_Floor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The checks alone, as opening runs them: SQLite's full integrity check, then the story's own
// rules, every row read once more for the kinds, lengths and links of its values.
static void BM_CheckStory(benchmark::State& state)
{
    const QString& path = generatedStory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DatabaseConnection connection = plainConnection(path);
        StoryFile::checkStory(path, connection.get());
    }
}
BENCHMARK(BM_CheckStory)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Floor: the same checks on the same connection, plainly: SQLite's full integrity check, then
// every row of every story table read once for its kinds, its bytes on the table's pages and the
// story's rules.
static void BM_CheckStory_Floor(benchmark::State& state)
{
    const QString& path = generatedStory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DatabaseConnection connection = plainConnection(path);
        try {
            PlainCheck::checkStory(connection.get());
        } catch (const PlainCheck::Refused& refused) {
            state.SkipWithError(refused.what());
            break;
        }
    }
}
BENCHMARK(BM_CheckStory_Floor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// SQLite's full integrity check, which opening runs, on a fresh connection to the generated
// story: every page, and every index against its table.
static void BM_IntegrityCheck(benchmark::State& state)
{
    const QString& path = generatedStory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DatabaseConnection connection = plainConnection(path);
        runPragma(connection.get(), "PRAGMA integrity_check");
    }
}
BENCHMARK(BM_IntegrityCheck)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Floor: the same checking in plain statements on the same connection: SQLite's quick check
// reads every page, then every index is held to its table.
static void BM_IntegrityCheck_Floor(benchmark::State& state)
{
    const QString& path = generatedStory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DatabaseConnection connection = plainConnection(path);
        checkPagesAndIndexes(state, connection.get());
    }
}
BENCHMARK(BM_IntegrityCheck_Floor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Every card's script read, as reports and exports need it.
static void BM_LoadEveryScript(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    Screenplaydb& story = openedLargeStory(connection, held);
    for (auto _ : state) {
        for (auto* cards : {&story.sceneCards(), &story.litterBox()})
            for (auto& card : *cards)
                card->scriptParts().clear();
        story.loadAllScriptParts();
        benchmark::DoNotOptimize(story.sceneCards().front()->scriptParts().size());
    }
    story.finalizeAllSqliteStatements();
}
BENCHMARK(BM_LoadEveryScript)->Unit(benchmark::kMillisecond);

// Floor: every script paragraph read with one SELECT, all its columns, into a plain struct
// in its card's list.
static void BM_LoadEveryScript_Floor(benchmark::State& state)
{
    DatabaseConnection connection = StoryFile::open(largeStory().path());
    PlainStory::Story story = PlainStory::read(connection.get());
    for (auto _ : state) {
        for (auto* cards : {&story.board, &story.litterBox})
            for (auto& card : *cards)
                card.paragraphs.clear();
        PlainStory::readEveryScript(connection.get(), story);
        benchmark::DoNotOptimize(story.board.front().paragraphs.size());
    }
}
BENCHMARK(BM_LoadEveryScript_Floor)->Unit(benchmark::kMillisecond);

// A new page count re-pages and writes every card of the board and the Litter Box.
static void BM_ChangePageCount(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    Screenplaydb& story = openedLargeStory(connection, held);
    std::int64_t round = 0;
    for (auto _ : state) {
        story.setPageCount(++round % 2 == 0 ? 110 : 120);
        story.save();
    }
    story.finalizeAllSqliteStatements();
}
BENCHMARK(BM_ChangePageCount)->Unit(benchmark::kMillisecond);

// Floor: in one transaction the story's page count written and every card of the board and the
// Litter Box given the page its place on its row stands at (the row chosen by the card's top, a
// quarter of the board each, the page by how far along the row it lies) and the board beat of
// that page (looked up in a table of each page count's beats made beforehand), one UPDATE each.
static void BM_ChangePageCount_Floor(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    Screenplaydb& story = openedLargeStory(connection, held);
    struct Place {
        std::int64_t key, top, left;
    };
    std::vector<Place> places;
    for (const auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (const auto& card : *cards)
            places.push_back({card->sceneCardID(), card->positionTop(), card->positionLeft()});
    const std::int64_t height = std::max<std::int64_t>(story.boardHeight(), 4);
    const std::int64_t width = std::max<std::int64_t>(story.boardWidth() - 278, 1);
    // Each page's board beat at 110 and at 120 pages.
    std::array<std::vector<std::int64_t>, 2> beatsOfPage;
    for (const std::int64_t pages : {110, 120}) {
        BoardSections sections;
        sections.setPageCount(pages);
        for (std::int64_t p = 0; p <= pages; ++p)
            beatsOfPage[pages == 120].push_back(sections.boardBeatSectionForPageNumber(p));
    }
    held->finalizeAllSqliteStatements();
    sqlite3* db = connection.get();
    sqlite3_stmt* count = nullptr;
    sqlite3_stmt* page = nullptr;
    sqlite3_prepare_v2(db, "UPDATE Screenplay SET PageCount=?", -1, &count, nullptr);
    sqlite3_prepare_v2(db, "UPDATE SceneCard SET PageNumber=?,CurrentBeatSection=? WHERE SceneCardID=?", -1, &page,
                       nullptr);
    std::int64_t round = 0;
    for (auto _ : state) {
        const std::int64_t pages = ++round % 2 == 0 ? 110 : 120;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(count, 1, pages);
        sqlite3_step(count);
        sqlite3_reset(count);
        for (const Place& place : places) {
            const std::int64_t row = std::clamp<std::int64_t>(place.top * 4 / height, 0, 3);
            const std::int64_t first = 1 + row * pages / 4;
            const std::int64_t last = (row + 1) * pages / 4;
            const std::int64_t number = std::clamp(first + (place.left - 4) * (last - first + 1) / width, first, last);
            sqlite3_bind_int64(page, 1, number);
            sqlite3_bind_int64(page, 2, beatsOfPage[pages == 120][static_cast<std::size_t>(number)]);
            sqlite3_bind_int64(page, 3, place.key);
            sqlite3_step(page);
            sqlite3_reset(page);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(count);
    sqlite3_finalize(page);
}
BENCHMARK(BM_ChangePageCount_Floor)->Unit(benchmark::kMillisecond);

// Renumbering the board after a card moved to the front.
static void BM_RenumberBoardAfterMove(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    Screenplaydb& story = openedLargeStory(connection, held);
    for (auto _ : state) {
        auto& cards = story.sceneCards();
        cards.insert(cards.begin(), cards.take(cards.back().get()));
        story.resetOnBoardSceneCardSortOrder();
    }
    story.finalizeAllSqliteStatements();
}
BENCHMARK(BM_RenumberBoardAfterMove)->Unit(benchmark::kMillisecond);

// Floor: the board's card rows given new sort orders in one transaction.
static void BM_RenumberBoardAfterMove_Floor(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    Screenplaydb& story = openedLargeStory(connection, held);
    std::vector<std::int64_t> keys;
    for (const auto& card : story.sceneCards())
        keys.push_back(card->sceneCardID());
    story.finalizeAllSqliteStatements();
    std::int64_t round = 0;
    for (auto _ : state)
        updateEveryCardInOneTransaction(connection.get(),
                                        "UPDATE SceneCard SET SortOrder=SortOrder+? WHERE SceneCardID=?", keys,
                                        ++round % 2 == 0 ? 1 : -1);
}
BENCHMARK(BM_RenumberBoardAfterMove_Floor)->Unit(benchmark::kMillisecond);

// One finished edit of a card, written at once.
static void BM_OneEdit(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    Screenplaydb& story = openedLargeStory(connection, held);
    SceneCarddb& card = *story.sceneCards()[500];
    std::int64_t round = 0;
    for (auto _ : state) {
        card.setHeading(QStringLiteral("INT. ROOM %1 - NIGHT").arg(++round));
        card.save();
    }
    story.finalizeAllSqliteStatements();
}
BENCHMARK(BM_OneEdit)->Unit(benchmark::kMicrosecond);

// Floor: one durable UPDATE of the same row on the same journal.
static void BM_OneEdit_Floor(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    const std::int64_t key = openedLargeStory(connection, held).sceneCards()[500]->sceneCardID();
    held->finalizeAllSqliteStatements();
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(connection.get(), "UPDATE SceneCard SET Heading=? WHERE SceneCardID=?", -1, &update, nullptr);
    std::int64_t round = 0;
    for (auto _ : state) {
        const std::string heading = "INT. ROOM " + std::to_string(++round) + " - NIGHT";
        sqlite3_bind_text(update, 1, heading.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(update, 2, key);
        sqlite3_step(update);
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
}
BENCHMARK(BM_OneEdit_Floor)->Unit(benchmark::kMicrosecond);

// Reading one card's script, as the scene editor does when a card opens.
static void BM_LoadScriptOfOneCard(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    SceneCarddb* card = openedLargeStory(connection, held).sceneCards()[500].get();
    for (auto _ : state) {
        card->scriptParts().clear();
        card->loadScriptParts();
    }
    held->finalizeAllSqliteStatements();
}
BENCHMARK(BM_LoadScriptOfOneCard)->Unit(benchmark::kMicrosecond);

// Floor: the same card's paragraphs read with one prepared SELECT into plain structs.
static void BM_LoadScriptOfOneCard_Floor(benchmark::State& state)
{
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> held;
    const std::int64_t key = openedLargeStory(connection, held).sceneCards()[500]->sceneCardID();
    held->finalizeAllSqliteStatements();
    sqlite3_stmt* byCard = nullptr;
    sqlite3_prepare_v2(connection.get(), PlainStory::scriptOfCardSql().c_str(), -1, &byCard, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainStory::readScript(byCard, key).size());
    sqlite3_finalize(byCard);
}
BENCHMARK(BM_LoadScriptOfOneCard_Floor)->Unit(benchmark::kMicrosecond);

// --- 100,000 records of each kind: loading grows with the story, not its square. ---

namespace {

class HugeStory
{
public:
    HugeStory()
    {
        const QString master = folder_.filePath("Master.vtrmf");
        path_ = folder_.filePath("Huge.vtrsf");
        StoryFile::copyTemplate(StoryFile::kMasterTemplate, master);
        StoryFile::copyTemplate(StoryFile::kStoryTemplate, path_);
        Toolkit().populateDefaults(master, path_);
        DatabaseConnection connection = StoryFile::open(path_);
        sqlite3_exec(connection.get(),
                     "BEGIN;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
                     "INSERT INTO SceneCard (SceneCardID,ScreenplayID,Heading,Description,OnBoard,CurrentBeatSection,"
                     "SortOrder,PositionLeft,PositionTop) SELECT i,1,'INT. ROOM '||i,'Something happens.',1+(i%10=0),"
                     "1+i%20,i,4+i%1500,(i%4)*180 FROM n;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
                     "INSERT INTO Character (ScreenplayID,CharacterName) SELECT 1,'Character '||i FROM n;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
                     "INSERT INTO SceneCardCharacter (SceneCardID,CharacterID) SELECT i,i FROM n;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
                     "INSERT INTO SceneLocation (ScreenplayID,Location) SELECT 1,'Location '||i FROM n;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
                     "INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) SELECT i,i,'pay-off' FROM n;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
                     "INSERT INTO SceneSetup (SceneCardID,SceneSetup,ScenePayoffID) SELECT i,'set-up',i FROM n;"
                     "COMMIT;",
                     nullptr, nullptr, nullptr);
    }
    const QString& path() const { return path_; }

private:
    QTemporaryDir folder_;
    QString path_;
};

HugeStory& hugeStory()
{
    static HugeStory story;
    return story;
}

} // namespace

// 100,000 cards, characters, card-character links, locations, set-ups and pay-offs.
static void BM_OpenHundredThousandRecordsEach(benchmark::State& state)
{
    for (auto _ : state) {
        LoadedStory loaded = loadStoryFile(hugeStory().path());
        benchmark::DoNotOptimize(loaded.story->scenePayoffs().size());
        loaded.story->finalizeAllSqliteStatements();
    }
}
BENCHMARK(BM_OpenHundredThousandRecordsEach)->Unit(benchmark::kMillisecond)->Iterations(2);

// Floor: the same checks (the program's own among them), the same rows into plain structs, the
// same sorting and teardown: the pair measures the loading, not the checks, which
// BM_OpenStoryForTheWindow and BM_CheckStory measure beside floors of plain SQLite.
static void BM_OpenHundredThousandRecordsEach_Floor(benchmark::State& state)
{
    for (auto _ : state)
        checkAndReadPlainStory(hugeStory().path());
}
BENCHMARK(BM_OpenHundredThousandRecordsEach_Floor)->Unit(benchmark::kMillisecond)->Iterations(2);

// --- Looking records up by key ---------------------------------------------------------------

namespace {

// The generated story of `cards` cards, loaded once as a window holds it.
Screenplaydb& loadedStory(int cards)
{
    static std::map<int, LoadedStory> loaded;
    auto found = loaded.find(cards);
    if (found == loaded.end())
        found = loaded.emplace(cards, loadStoryFile(generatedStory(cards))).first;
    return *found->second.story;
}

enum class Kind { Card, Setup, Payoff, SetupByPayoff, Character, Location, Attachment, Count };

struct Wanted {
    Kind kind;
    std::int64_t key;
};

// Every key the story's look-ups take, of each kind, in the order of the story's lists.
std::vector<Wanted> everyKeyInOrder(Screenplaydb& story)
{
    std::vector<Wanted> keys;
    for (const auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (const auto& card : *cards)
            keys.push_back({Kind::Card, card->sceneCardID()});
    for (const auto& setup : story.sceneSetups())
        keys.push_back({Kind::Setup, setup->sceneSetupID()});
    for (const auto& payoff : story.scenePayoffs()) {
        keys.push_back({Kind::Payoff, payoff->scenePayoffID()});
        keys.push_back({Kind::SetupByPayoff, payoff->scenePayoffID()});
    }
    for (const auto& character : story.characters())
        keys.push_back({Kind::Character, character->characterID()});
    for (const auto& location : story.sceneLocations())
        keys.push_back({Kind::Location, location->sceneLocationID()});
    for (const auto& attachment : story.attachedObjects())
        keys.push_back({Kind::Attachment, attachment->attachedObjectID()});
    return keys;
}

// The same keys in the order the program's callers ask them: a key of each kind in turn, as a
// list asks each row's card, its set-up and its pay-off, and each kind's keys in an order that
// jumps about its list. (No caller asks kinds at random: a benchmark that did would time the
// processor guessing the kind wrong, on the story's side alone.)
std::vector<Wanted> everyKey(Screenplaydb& story)
{
    std::array<std::vector<Wanted>, static_cast<std::size_t>(Kind::Count)> byKind;
    std::size_t total = 0;
    for (const Wanted& wanted : everyKeyInOrder(story)) {
        byKind[static_cast<std::size_t>(wanted.kind)].push_back(wanted);
        ++total;
    }
    std::mt19937 random(76);
    for (std::vector<Wanted>& keys : byKind)
        std::shuffle(keys.begin(), keys.end(), random);
    std::vector<Wanted> keys;
    keys.reserve(total);
    for (std::size_t turn = 0; keys.size() < total; ++turn)
        for (const std::vector<Wanted>& ofKind : byKind)
            if (turn < ofKind.size())
                keys.push_back(ofKind[turn]);
    return keys;
}

const void* lookUp(const Screenplaydb& story, const Wanted& wanted)
{
    switch (wanted.kind) {
    case Kind::Card:
        return story.sceneCardForSceneCardID(wanted.key);
    case Kind::Setup:
        return story.setupForSetupID(wanted.key);
    case Kind::Payoff:
        return story.payoffForPayoffID(wanted.key);
    case Kind::SetupByPayoff:
        return story.setupForPayoffID(wanted.key);
    case Kind::Character:
        return story.characterForCharacterID(wanted.key);
    case Kind::Location:
        return story.locationForLocationID(wanted.key);
    default:
        return story.attachmentForID(wanted.key);
    }
}

constexpr int kLookUpsPerIteration = 1000;

} // namespace

// A thousand look-ups by key in the generated story of 1,000 and of 10,000 cards: cards of the
// board and the Litter Box, set-ups, pay-offs, set-ups by their pay-off, characters, locations
// and attachments, a kind after another.
static void BM_LookUpByKey(benchmark::State& state)
{
    Screenplaydb& story = loadedStory(static_cast<int>(state.range(0)));
    const std::vector<Wanted> keys = everyKey(story);
    std::size_t next = 0;
    for (auto _ : state) {
        for (int count = 0; count < kLookUpsPerIteration; ++count) {
            benchmark::DoNotOptimize(lookUp(story, keys[next]));
            next = (next + 1) % keys.size();
        }
    }
    state.SetItemsProcessed(state.iterations() * kLookUpsPerIteration);
}
BENCHMARK(BM_LookUpByKey)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

namespace {

using Table = std::unordered_map<std::int64_t, const void*>;

const void* lookUpIn(const Table& table, std::int64_t key)
{
    const auto found = table.find(key);
    return found == table.end() ? nullptr : found->second;
}

} // namespace

// Floor: the same keys in the same order, each looked up as a plain program would, in the hash
// table of its kind (the kinds index the tables), made beforehand from the same records in the
// story's order.
static void BM_LookUpByKey_Floor(benchmark::State& state)
{
    Screenplaydb& story = loadedStory(static_cast<int>(state.range(0)));
    const std::vector<Wanted> keys = everyKey(story);
    // Filled as a program fills them while it reads the story, in the order of the story's lists.
    std::array<Table, static_cast<std::size_t>(Kind::Count)> tables;
    for (const Wanted& wanted : everyKeyInOrder(story))
        tables[static_cast<std::size_t>(wanted.kind)].emplace(wanted.key, lookUp(story, wanted));
    std::size_t next = 0;
    for (auto _ : state) {
        for (int count = 0; count < kLookUpsPerIteration; ++count) {
            const Wanted& wanted = keys[next];
            benchmark::DoNotOptimize(lookUpIn(tables[static_cast<std::size_t>(wanted.kind)], wanted.key));
            next = (next + 1) % keys.size();
        }
    }
    state.SetItemsProcessed(state.iterations() * kLookUpsPerIteration);
}
BENCHMARK(BM_LookUpByKey_Floor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
