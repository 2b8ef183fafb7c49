#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/StoryTransaction.h"
#include "support/PlainStory.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct BenchStory {
    QTemporaryDir folder;
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> story;

    BenchStory()
    {
        const QString path = folder.filePath("Bench.vtrsf");
        StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path);
        connection = StoryFile::open(path);
        story = std::make_unique<Screenplaydb>();
        story->initWithDatabase(connection.get());
    }
};

constexpr int kCards = 1000;

void insertCards(Screenplaydb& story, std::vector<std::int64_t>* keys)
{
    for (int i = 0; i < kCards; ++i) {
        SceneCarddb card;
        card.setScreenplayID(1);
        card.setHeading(QStringLiteral("INT. ROOM %1 - DAY").arg(i));
        card.setDescription(QStringLiteral("Something happens in scene %1.").arg(i));
        card.setSortOrder(i + 1);
        card.setCurrentBeatSection(1 + i % 20);
        card.setPercentageHorizontal(static_cast<float>(i % 50) / 50.0f);
        card.insertIntoDatabase(&story);
        if (keys)
            keys->push_back(card.sceneCardID());
    }
}

} // namespace

// A thousand new cards written as one operation of the program: one transaction.
static void BM_InsertThousandSceneCards(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        BenchStory bench;
        state.ResumeTiming();
        StoryTransaction transaction(bench.story->database());
        insertCards(*bench.story, nullptr);
        transaction.commit();
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_InsertThousandSceneCards)->Unit(benchmark::kMillisecond);

static void BM_ReloadThousandSceneCards(benchmark::State& state)
{
    BenchStory bench;
    std::vector<std::int64_t> keys;
    insertCards(*bench.story, &keys);
    for (auto _ : state) {
        std::vector<std::unique_ptr<SceneCarddb>> cards;
        cards.reserve(keys.size());
        for (const auto key : keys)
            cards.push_back(std::make_unique<SceneCarddb>(key, bench.story.get()));
        benchmark::DoNotOptimize(cards.data());
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_ReloadThousandSceneCards)->Unit(benchmark::kMillisecond);

// Floor: the same thousand rows read back with one prepared statement, all 27 columns of
// each into a plain struct.
static void BM_ReloadThousandSceneCards_Floor(benchmark::State& state)
{
    BenchStory bench;
    std::vector<std::int64_t> keys;
    insertCards(*bench.story, &keys);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(bench.story->database(),
                       PlainStory::select(PlainStory::kSceneCardColumns, "SceneCard WHERE SceneCardID=?").c_str(), -1,
                       &select, nullptr);
    for (auto _ : state) {
        std::vector<PlainStory::SceneCard> cards;
        cards.reserve(keys.size());
        for (const auto key : keys) {
            sqlite3_bind_int64(select, 1, key);
            cards.emplace_back();
            if (sqlite3_step(select) == SQLITE_ROW)
                PlainStory::readRow(select, cards.back());
            sqlite3_reset(select);
        }
        benchmark::DoNotOptimize(cards.data());
    }
    sqlite3_finalize(select);
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_ReloadThousandSceneCards_Floor)->Unit(benchmark::kMillisecond);

static void BM_SaveThousandMovedSceneCards(benchmark::State& state)
{
    BenchStory bench;
    std::vector<std::int64_t> keys;
    insertCards(*bench.story, &keys);
    std::vector<std::unique_ptr<SceneCarddb>> cards;
    for (const auto key : keys)
        cards.push_back(std::make_unique<SceneCarddb>(key, bench.story.get()));
    std::int64_t step = 0;
    for (auto _ : state) {
        ++step;
        StoryTransaction transaction(bench.story->database());
        for (auto& card : cards) {
            card->setPositionLeft(step % 1000);
            card->save();
        }
        transaction.commit();
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_SaveThousandMovedSceneCards)->Unit(benchmark::kMillisecond);

// Floor: the same thousand rows, every column the record writes, inserted with one prepared
// statement in one transaction.
static void BM_InsertThousandSceneCards_Floor(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        BenchStory bench;
        bench.story->finalizeAllSqliteStatements();
        state.ResumeTiming();
        sqlite3* db = bench.connection.get();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO SceneCard (ScreenplayID,Heading,SceneLocationID,Description,Notes,Script,"
                           "EmotionalChange,EmotionalChangeType,Conflict,BeatCardNumber,PageNumber,PositionLeft,"
                           "PositionTop,PercentageHorizontal,PercentageVertical,OnBoard,SortOrder,StartDateTime,"
                           "EndDateTime,ColorLegend1ID,ColorLegend2ID,ColorLegend3ID,ColorLegend4ID,ColorLegend5ID,"
                           "ColorLegend6ID,SceneNumber,CurrentBeatSection) "
                           "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                           -1, &insert, nullptr);
        static const char kNoTime[] = "0001-01-01 00:00:00";
        for (int i = 0; i < kCards; ++i) {
            const std::string heading = "INT. ROOM " + std::to_string(i) + " - DAY";
            const std::string description = "Something happens in scene " + std::to_string(i) + ".";
            int column = 0;
            sqlite3_bind_int64(insert, ++column, 1);
            sqlite3_bind_text(insert, ++column, heading.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(insert, ++column, 0);
            sqlite3_bind_text(insert, ++column, description.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, ++column, "", 0, SQLITE_STATIC);
            sqlite3_bind_text(insert, ++column, "", 0, SQLITE_STATIC);
            sqlite3_bind_text(insert, ++column, "Emotional Change", -1, SQLITE_STATIC);
            sqlite3_bind_int64(insert, ++column, 0);
            sqlite3_bind_text(insert, ++column, "Conflict", -1, SQLITE_STATIC);
            for (int zero = 0; zero < 4; ++zero) // beat card number, page number, left, top
                sqlite3_bind_int64(insert, ++column, 0);
            sqlite3_bind_double(insert, ++column, static_cast<float>(i % 50) / 50.0f);
            sqlite3_bind_double(insert, ++column, 0.0);
            sqlite3_bind_int64(insert, ++column, 1);
            sqlite3_bind_int64(insert, ++column, i + 1);
            sqlite3_bind_text(insert, ++column, kNoTime, -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, ++column, kNoTime, -1, SQLITE_STATIC);
            for (int slot = 0; slot < 6; ++slot)
                sqlite3_bind_int64(insert, ++column, 0);
            sqlite3_bind_text(insert, ++column, "", 0, SQLITE_STATIC);
            sqlite3_bind_int64(insert, ++column, 1 + i % 20);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_InsertThousandSceneCards_Floor)->Unit(benchmark::kMillisecond);

// Floor: the same thousand moved rows saved in one transaction.
static void BM_SaveThousandMovedSceneCards_Floor(benchmark::State& state)
{
    BenchStory bench;
    std::vector<std::int64_t> keys;
    insertCards(*bench.story, &keys);
    bench.story->finalizeAllSqliteStatements();
    sqlite3* db = bench.connection.get();
    std::int64_t step = 0;
    for (auto _ : state) {
        ++step;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* update = nullptr;
        sqlite3_prepare_v2(db, "UPDATE SceneCard SET PositionLeft=? WHERE SceneCardID=?", -1, &update, nullptr);
        for (const auto key : keys) {
            sqlite3_bind_int64(update, 1, step % 1000);
            sqlite3_bind_int64(update, 2, key);
            sqlite3_step(update);
            sqlite3_reset(update);
        }
        sqlite3_finalize(update);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_SaveThousandMovedSceneCards_Floor)->Unit(benchmark::kMillisecond);
