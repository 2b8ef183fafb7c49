#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
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

// Every edit is written at once, one statement per record, as the program does.
static void BM_InsertThousandSceneCards(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        BenchStory bench;
        state.ResumeTiming();
        insertCards(*bench.story, nullptr);
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
        for (auto& card : cards) {
            card->setPositionLeft(step % 1000);
            card->save();
        }
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_SaveThousandMovedSceneCards)->Unit(benchmark::kMillisecond);
