// Building the corkboard of a story with 400 cards (and of one with 1,000), and one step of
// moving a card on it (page, board beat and save). A step only moves the card's view: the board is not rebuilt,
// which the step benchmark checks on every run. The 1,000-card board made and painted whole is
// measured next to its floor: a QPainter drawing the same 1,000 cards with their texts into an
// image. The resident memory with the 1,000-card story open is printed before the benchmarks.
#include "../support/BenchApplication.h"
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
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

#include <unistd.h>

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

// The process's resident memory, from /proc/self/statm (pages resident, second field).
double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0.0;
    return fields[1].toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

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

// One card view per board card, filled from its card.
std::vector<std::unique_ptr<SceneCardView>> cardViewsFor(MyDocument& document)
{
    Screenplaydb& story = *document.currentScreenplay();
    std::vector<std::unique_ptr<SceneCardView>> views;
    views.reserve(story.sceneCards().size());
    for (const auto& card : story.sceneCards()) {
        views.push_back(std::make_unique<SceneCardView>(&document, &story));
        views.back()->setScene(card.get());
    }
    return views;
}

// What opening the window costs on top: one card view per card, filled from its card.
void makeCardViews(benchmark::State& state, MyDocument& document)
{
    Screenplaydb& story = *document.currentScreenplay();
    for (auto _ : state) {
        std::vector<std::unique_ptr<SceneCardView>> views = cardViewsFor(document);
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

// The whole 1,000-card board made and painted: a view for every card, the board built around
// them, and every card and the cork painted into an image of the board's size.
void BM_BoardMadeAndPainted1000(benchmark::State& state)
{
    MyDocument& document = *session->largeDocument;
    Screenplaydb& story = *document.currentScreenplay();
    QImage image(static_cast<int>(story.boardWidth()), static_cast<int>(story.boardHeight()),
                 QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        std::vector<std::unique_ptr<SceneCardView>> views = cardViewsFor(document);
        // The board shows the document's own views: they are filled again, so that nothing
        // worked out for an earlier paint is left (the filling is counted twice, on the safe side).
        for (const auto& control : document.sceneCardControls())
            control->setScene(control->scene());
        document.shutDownTheBoard();
        document.showTheBoard();
        document.boardView()->view()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
        state.PauseTiming();
        views.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(story.sceneCards().size()));
}
BENCHMARK(BM_BoardMadeAndPainted1000)->Unit(benchmark::kMillisecond);

// The floor: the same 1,000 cards drawn with a QPainter straight into an image of the board's
// size, each with its paper, edge, title bar, heading, rule, text area, emotional change,
// conflict and six stripes, at the places the board gives them.
void BM_Floor_PaintCards1000(benchmark::State& state)
{
    MyDocument& document = *session->largeDocument;
    Screenplaydb& story = *document.currentScreenplay();
    QImage image(static_cast<int>(story.boardWidth()), static_cast<int>(story.boardHeight()),
                 QImage::Format_ARGB32_Premultiplied);
    const QFont regular = QApplication::font();
    QFont bold = regular;
    bold.setBold(true);
    const QSize card(270, 148);
    for (auto _ : state) {
        QPainter painter(&image);
        for (const auto& scene : story.sceneCards()) {
            const QRect frame(QPoint(static_cast<int>(scene->positionLeft()), static_cast<int>(scene->positionTop())),
                              card);
            painter.fillRect(frame, Qt::white);
            painter.setPen(QColor(0x8A, 0x86, 0x80));
            painter.drawRect(frame.adjusted(0, 0, -1, -1));
            painter.fillRect(frame.x(), frame.y(), card.width(), 25, QColor(0xEC, 0xEA, 0xE4));
            painter.setPen(Qt::black);
            painter.setFont(bold);
            const QRect heading(frame.x() + 10, frame.y() + 25, 218, 20);
            painter.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(scene->heading(), Qt::ElideRight, heading.width()));
            painter.fillRect(frame.x() + 9, frame.y() + 45, card.width() - 9, 1, Qt::red);
            painter.setFont(regular);
            painter.drawText(QRect(frame.x() + 12, frame.y() + 48, 239, 62), Qt::TextWordWrap, scene->description());
            painter.drawText(QRect(frame.x() + 50, frame.y() + 109, 218, 20), Qt::AlignLeft | Qt::AlignVCenter,
                             scene->emotionalChange());
            painter.drawText(QRect(frame.x() + 50, frame.y() + 128, 218, 20), Qt::AlignLeft | Qt::AlignVCenter,
                             scene->conflict());
            for (int stripe = 0; stripe < 6; ++stripe)
                painter.fillRect(frame.x(), frame.y() + 25 + stripe * 20, 9, 21, Qt::white);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(story.sceneCards().size()));
}
BENCHMARK(BM_Floor_PaintCards1000)->Unit(benchmark::kMillisecond);

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
    bench.application = startBenchApplication(bench.home.path());
    if (!bench.application) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    const QString documents = QDir(bench.home.path()).filePath(QStringLiteral("Documents"));
    const QString largeStory = makeStory(documents, bench.application->masterFilePath(), kManyCards);
    const double before = residentMegabytes();
    bench.largeDocument = bench.application->documentController().openDocument(largeStory);
    QCoreApplication::processEvents();
    std::printf("resident memory with the %d-card story open: %.1f MB (%.1f MB before it opened)\n", kManyCards,
                residentMegabytes(), before);
    bench.document = bench.application->documentController().openDocument(
        makeStory(documents, bench.application->masterFilePath(), kCards));
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
