// Building the corkboard of a story with 400 cards (and of one with 1,000), and one step of
// moving a card on it (page, board beat and save). A step only moves the card's view: the board is not rebuilt,
// which the step benchmark checks on every run.
#include "app/AppController.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "board/BoardView.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

constexpr int kCards = 400;
constexpr int kManyCards = 1000;
// The seventeen board beats that have a row.
constexpr std::array<int, 17> kBoardBeats{1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, 16, 17, 19, 20};

struct Session {
    QTemporaryDir home;
    std::unique_ptr<AppController> application;
    MyDocument* document = nullptr;
    // A second story window, with kManyCards cards.
    MyDocument* largeDocument = nullptr;
};

Session* session = nullptr;

QString makeStory(const QString& folder, const QString& masterPath, int cards)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Board%1.vtrsf").arg(cards));
    StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path);
    Toolkit().populateDefaults(masterPath, path);
    Screenplaydb story;
    story.initWithFile(path);
    story.hydrate();
    story.setWindowState(101110);
    story.setParentWindowWidth(1400);
    story.setParentWindowHeight(900);
    story.setLogLineSplitterDistance(13);
    story.setBeatsSplitterDistance(20);
    story.setGeneralNotesSplitterDistance(80);
    story.setBoardSplitterDistance(80);
    story.setBoardWidth(4000);
    story.setBoardHeight(1200);
    story.save();
    sqlite3_exec(story.database(), "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < cards; ++i) {
        SceneCarddb card;
        card.setScreenplayID(story.screenplayID());
        card.setHeading(QStringLiteral("INT. ROOM %1 - DAY").arg(i));
        card.setDescription(QStringLiteral("Something happens in scene %1.").arg(i));
        card.setCurrentBeatSection(kBoardBeats[static_cast<std::size_t>(i) % kBoardBeats.size()]);
        card.setPercentageHorizontal(static_cast<float>(i % 23) / 23.0f);
        card.setPercentageVertical(0.02f + static_cast<float>((i / 17) % 4) * 0.25f);
        card.setSortOrder(i + 1);
        card.insertIntoDatabase(&story);
    }
    sqlite3_exec(story.database(), "COMMIT", nullptr, nullptr, nullptr);
    story.closeDatabase();
    return path;
}

// Tears the corkboard down and builds it again: rules, labels, beat bars and the cards.
void buildBoard(benchmark::State& state, MyDocument& document)
{
    for (auto _ : state) {
        document.shutDownTheBoard();
        document.showTheBoard();
        benchmark::DoNotOptimize(document.boardView());
        // What the rebuild posted (layout and paint requests) is handled between rebuilds.
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() *
                            static_cast<std::int64_t>(document.currentScreenplay()->sceneCards().size()));
}

void BM_BuildBoard400(benchmark::State& state)
{
    buildBoard(state, *session->document);
}
BENCHMARK(BM_BuildBoard400)->Unit(benchmark::kMillisecond);

void BM_BuildBoard1000(benchmark::State& state)
{
    buildBoard(state, *session->largeDocument);
}
BENCHMARK(BM_BuildBoard1000)->Unit(benchmark::kMillisecond);

// The rebuild the zoom and size commands ask for.
void BM_RefreshBoard400(benchmark::State& state)
{
    MyDocument& document = *session->document;
    for (auto _ : state) {
        document.refreshTheBoard();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_RefreshBoard400)->Unit(benchmark::kMillisecond);

// What opening the window costs on top: one card view per card, filled from its card.
void makeCardViews(benchmark::State& state, MyDocument& document)
{
    Screenplaydb& story = *document.currentScreenplay();
    for (auto _ : state) {
        std::vector<std::unique_ptr<SceneCardView>> views;
        views.reserve(story.sceneCards().size());
        for (const auto& card : story.sceneCards()) {
            views.push_back(std::make_unique<SceneCardView>(&document, &story));
            views.back()->setScene(card.get());
        }
        benchmark::DoNotOptimize(views.data());
        // Putting the views away is not part of making them.
        state.PauseTiming();
        views.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(story.sceneCards().size()));
}

void BM_MakeCardViews400(benchmark::State& state)
{
    makeCardViews(state, *session->document);
}
BENCHMARK(BM_MakeCardViews400)->Unit(benchmark::kMillisecond);

void BM_MakeCardViews1000(benchmark::State& state)
{
    makeCardViews(state, *session->largeDocument);
}
BENCHMARK(BM_MakeCardViews1000)->Unit(benchmark::kMillisecond);

// One step of a card moving under the mouse: the view moves, the card's page and board beat
// follow and the card is saved.
void BM_DragStep(benchmark::State& state)
{
    MyDocument& document = *session->document;
    Screenplaydb& story = *document.currentScreenplay();
    // The board's first card, in view at the board's left edge.
    SceneCardView* card = document.sceneCardControlForSceneCard(story.sceneCards().front().get());
    QWidget* tack = card->view();
    const QPointF hold(card->layout().thumbTack.topLeft() + QPoint(12, 12));
    QMouseEvent press(QEvent::MouseButtonPress, hold, hold, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tack, &press);
    const QPointer<QLabel> bar = document.boardView()->view()->findChild<QLabel*>(QStringLiteral("beatBar9"));
    const QPoint start = card->view()->pos();
    int direction = 1;
    std::int64_t moves = 0;
    for (auto _ : state) {
        // Back and forth across a page boundary, so that every step changes what is saved.
        const QPointF to = hold + QPointF(40.0 * direction, 0);
        QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tack, &move);
        moves += card->view()->pos() != start ? 1 : 0;
        direction = -direction;
    }
    const bool stillMoving = card->moving();
    QMouseEvent release(QEvent::MouseButtonRelease, hold, hold, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tack, &release);
    if (bar.isNull())
        state.SkipWithError("a drag step rebuilt the board");
    else if (!stillMoving && state.iterations() > 0)
        state.SkipWithError("the card stopped moving");
    state.counters["moved"] = static_cast<double>(moves);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApplication(argc, argv);
    Session bench;
    session = &bench;
    qputenv("HOME", QFile::encodeName(bench.home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir(bench.home.path()).filePath(QStringLiteral(".config"))));
    const QString documents = QDir(bench.home.path()).filePath(QStringLiteral("Documents"));
    QDir().mkpath(documents);
    FakePlatform::install(bench.home.path());
    AppController::initialize();
    Platform::userDefaults().setBool(QStringLiteral("VTR3RanItBefore"), true);
    Platform::userDefaults().setBool(QStringLiteral("VTRSampleFilesShown"), true);
    bench.application = std::make_unique<AppController>();
    if (!bench.application->continueStartup(QString(), QString(), QString())) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    bench.document = bench.application->documentController().openDocument(
        makeStory(documents, bench.application->masterFilePath(), kCards));
    bench.largeDocument = bench.application->documentController().openDocument(
        makeStory(documents, bench.application->masterFilePath(), kManyCards));
    if (!bench.document || !bench.document->boardView() || !bench.largeDocument ||
        !bench.largeDocument->boardView()) {
        std::fprintf(stderr, "the stories did not open on their corkboards\n");
        return 1;
    }
    QCoreApplication::processEvents();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench.application->applicationShouldTerminate();
    bench.application.reset();
    return 0;
}
