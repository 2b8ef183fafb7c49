#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>

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

// Renumbering the board after a card moved to the front.
static void BM_RenumberBoardAfterMove(benchmark::State& state)
{
    LargeStory& fixture = largeStory();
    DatabaseConnection connection = StoryFile::open(fixture.path());
    Screenplaydb story;
    story.initWithDatabase(connection.get());
    story.hydrate();
    for (auto _ : state) {
        auto& cards = story.sceneCards();
        std::rotate(cards.begin(), cards.end() - 1, cards.end());
        story.resetOnBoardSceneCardSortOrder();
    }
    story.finalizeAllSqliteStatements();
}
BENCHMARK(BM_RenumberBoardAfterMove)->Unit(benchmark::kMillisecond);

// Reading one card's script, as the scene editor does when a card opens.
static void BM_LoadScriptOfOneCard(benchmark::State& state)
{
    LargeStory& fixture = largeStory();
    DatabaseConnection connection = StoryFile::open(fixture.path());
    Screenplaydb story;
    story.initWithDatabase(connection.get());
    story.hydrate();
    SceneCarddb* card = story.sceneCards()[500].get();
    for (auto _ : state) {
        card->scriptParts().clear();
        card->loadScriptParts();
    }
    story.finalizeAllSqliteStatements();
}
BENCHMARK(BM_LoadScriptOfOneCard)->Unit(benchmark::kMicrosecond);
