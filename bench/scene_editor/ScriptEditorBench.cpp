// The Script tab of a scene with 60 paragraphs: opening it (the paragraphs read from the story
// and one box laid out for each) and one Return in its middle (30 sort orders moved and the new
// paragraph inserted, written in one transaction). Each is printed beside its floor measured in
// the same run: 60 bare text boxes filled and placed, and the same 31 row writes made with plain
// prepared statements in one transaction.
#include "../support/BenchApplication.h"
#include "app/AppController.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"
#include "platform/FakePlatform.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneView.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextEdit>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kParagraphs = 60;

struct Session {
    QTemporaryDir home;
    std::unique_ptr<AppController> application;
    MyDocument* document = nullptr;
    QString path;
};

Session* session = nullptr;

BigSceneView& bigCard()
{
    return *session->document->bigSceneViewController();
}

BigSceneScriptView& script()
{
    return *bigCard().bigSceneScriptView();
}

// A story with one board card whose script alternates character, dialogue and action.
QString makeStory(const QString& folder, const QString& masterPath)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Script.vtrsf"));
    StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path);
    Toolkit().populateDefaults(masterPath, path);
    Screenplaydb story;
    story.initWithFile(path);
    story.hydrate();
    story.setWindowState(101110);
    story.setParentWindowWidth(1400);
    story.setParentWindowHeight(900);
    story.save();
    SceneCarddb card;
    card.setScreenplayID(story.screenplayID());
    card.insertIntoDatabase(&story);
    const char* types[] = {"Character", "Dialogue", "Action"};
    sqlite3_exec(story.database(), "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kParagraphs; ++i) {
        ScriptPartdb part;
        part.setSceneCardID(card.sceneCardID());
        part.setSortOrder(i + 1);
        part.setElementTypeID(story.elementForElementType(QString::fromLatin1(types[i % 3]))->scriptElementID());
        part.setScriptText(QStringLiteral("Paragraph %1 of the scene, long enough to wrap onto a second line of "
                                          "the page in most of the element types.")
                               .arg(i));
        part.insertIntoDatabase(&story);
    }
    sqlite3_exec(story.database(), "COMMIT", nullptr, nullptr, nullptr);
    story.closeDatabase();
    return path;
}

void pressKey(QWidget* target, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

void BM_OpenScriptTab60(benchmark::State& state)
{
    SceneCarddb* card = bigCard().scene();
    for (auto _ : state) {
        script().setScene(nullptr);
        script().setScene(card);
        benchmark::DoNotOptimize(script().textBoxes().size());
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenScriptTab60)->Unit(benchmark::kMillisecond);

// The floor: the scene's 60 paragraphs read from their rows with one prepared statement, and
// 60 text boxes made, filled with them and placed.
void BM_OpenScriptTab60_Floor(benchmark::State& state)
{
    QWidget page;
    SceneCarddb* card = bigCard().scene();
    sqlite3* db = card->screenplay()->database();
    sqlite3_stmt* rows = nullptr;
    sqlite3_prepare_v2(db, "SELECT ScriptText, ElementTypeID FROM ScriptPart WHERE SceneCardID=? ORDER BY SortOrder",
                       -1, &rows, nullptr);
    for (auto _ : state) {
        std::vector<std::unique_ptr<QTextEdit>> boxes;
        sqlite3_bind_int64(rows, 1, card->sceneCardID());
        int top = 0;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            auto box = std::make_unique<QTextEdit>(&page);
            box->setPlainText(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 0))));
            box->setGeometry(108 + static_cast<int>(sqlite3_column_int64(rows, 1) % 3) * 10, top, 432, 30);
            top += 30;
            boxes.push_back(std::move(box));
        }
        sqlite3_reset(rows);
        if (boxes.size() != static_cast<std::size_t>(kParagraphs))
            state.SkipWithError("the floor read another number of paragraphs");
        benchmark::DoNotOptimize(boxes.size());
    }
    sqlite3_finalize(rows);
}
BENCHMARK(BM_OpenScriptTab60_Floor)->Unit(benchmark::kMillisecond);

// One Return in the 30th paragraph; the new paragraph is deleted again untimed.
void BM_ReturnInTheMiddle60(benchmark::State& state)
{
    for (auto _ : state) {
        ScriptTextView* middle = script().textBoxes()[29];
        middle->setFocus();
        pressKey(middle, Qt::Key_Return);
        state.PauseTiming();
        ScriptTextView* added = script().textBoxes()[30];
        pressKey(added, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReturnInTheMiddle60)->Unit(benchmark::kMillisecond);

// The floor: the same writes (30 sort orders and one insert, one transaction) through plain
// prepared statements on the same file; the row is deleted again untimed.
void BM_ReturnInTheMiddle60_Floor(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(session->path).constData(), &db);
    sqlite3_stmt* update = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "UPDATE ScriptPart SET SortOrder = SortOrder WHERE ScriptPartID = ?", -1, &update, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) "
                           "VALUES (0, 0, 0, '')",
                       -1, &insert, nullptr);
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < 30; ++i) {
            sqlite3_bind_int(update, 1, i + 1);
            sqlite3_step(update);
            sqlite3_reset(update);
        }
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_exec(db, "DELETE FROM ScriptPart WHERE SceneCardID = 0", nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
    sqlite3_finalize(update);
    sqlite3_finalize(insert);
    sqlite3_close(db);
}
BENCHMARK(BM_ReturnInTheMiddle60_Floor)->Unit(benchmark::kMillisecond);

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
    bench.path = makeStory(documents, bench.application->masterFilePath());
    bench.document = bench.application->documentController().openDocument(bench.path);
    QCoreApplication::processEvents();
    if (!bench.document || bench.document->currentScreenplay()->sceneCards().empty()) {
        std::fprintf(stderr, "the story did not open\n");
        return 1;
    }
    bench.document->openBigSceneCard(bench.document->currentScreenplay()->sceneCards().front().get(), 6);
    QCoreApplication::processEvents();
    if (!bench.document->bigSceneViewController() || !bigCard().bigSceneScriptView() ||
        script().textBoxes().size() != static_cast<std::size_t>(kParagraphs)) {
        std::fprintf(stderr, "the Script tab did not show the scene\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench.document = nullptr;
    bench.application->applicationShouldTerminate();
    bench.application.reset();
    return 0;
}
