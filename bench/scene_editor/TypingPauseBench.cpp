// The write a second after the last key, of a 2,000-character text: a script paragraph (a plain
// row) and a sticky note's body (formatted text and its plain twin), beside the floor of one
// UPDATE of the same text in one transaction. And what a key costs while such a write is
// pending (the pause started again), beside the same key typed into a bare text box.
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
#include "panes/GeneralNotesView.h"
#include "panes/StickyNoteView.h"
#include "platform/TypingPause.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneView.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kCharacters = 2000;

struct Session {
    QTemporaryDir home;
    std::unique_ptr<AppController> application;
    MyDocument* document = nullptr;
    StickyNoteView* note = nullptr;
    QString path;
};

Session* session = nullptr;

// Sentences of a scene, repeated to 2,000 characters.
QString longText()
{
    QString text;
    while (text.size() < kCharacters)
        text += QStringLiteral("The rain comes in sideways and Ruth keeps walking toward the light. ");
    return text.left(kCharacters);
}

ScriptTextView& paragraph()
{
    return *session->document->bigSceneViewController()->bigSceneScriptView()->textBoxes().front();
}

QString makeStory(const QString& folder, const QString& masterPath)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Typing.vtrsf"));
    StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path);
    Toolkit().populateDefaults(masterPath, path);
    Screenplaydb story;
    story.initWithFile(path);
    story.hydrate();
    // The notes board shows beside the corkboard.
    story.setWindowState(101111);
    story.setParentWindowWidth(1400);
    story.setParentWindowHeight(900);
    story.save();
    SceneCarddb card;
    card.setScreenplayID(story.screenplayID());
    card.insertIntoDatabase(&story);
    ScriptPartdb part;
    part.setSceneCardID(card.sceneCardID());
    part.setSortOrder(1);
    part.setElementTypeID(story.elementForElementType(QStringLiteral("Action"))->scriptElementID());
    part.setScriptText(longText());
    part.insertIntoDatabase(&story);
    story.closeDatabase();
    return path;
}

// One key as the keyboard sends it: its letter goes in at the caret.
void typeKey(QWidget* target, char letter)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (letter - 'a'), Qt::NoModifier, QString(QChar::fromLatin1(letter)));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + (letter - 'a'), Qt::NoModifier, QString(QChar::fromLatin1(letter)));
    QApplication::sendEvent(target, &release);
}

// Every other key takes the letter before back, so that the text keeps its length.
void typeOrTakeBack(QWidget* target, int& key)
{
    if (key++ % 2 == 0) {
        typeKey(target, 'x');
        return;
    }
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(target, &back);
}

// Types one key (untimed) so that the field has a write waiting, then times that write.
void timedWriteOf(benchmark::State& state, QTextEdit& field)
{
    field.setFocus();
    field.moveCursor(QTextCursor::End);
    TypingPause* pause = TypingPause::of(&field);
    if (!pause) {
        state.SkipWithError("the field has no typing pause");
        return;
    }
    int key = 0;
    for (auto _ : state) {
        state.PauseTiming();
        typeOrTakeBack(&field, key);
        if (!pause->isPending()) {
            state.SkipWithError("no write was waiting");
            return;
        }
        state.ResumeTiming();
        pause->flush();
    }
}

void BM_TimedWrite_ScriptParagraph2000(benchmark::State& state)
{
    timedWriteOf(state, paragraph());
}
BENCHMARK(BM_TimedWrite_ScriptParagraph2000)->Unit(benchmark::kMicrosecond);

void BM_TimedWrite_NoteBody2000(benchmark::State& state)
{
    timedWriteOf(state, *session->note->txtDescription());
}
BENCHMARK(BM_TimedWrite_NoteBody2000)->Unit(benchmark::kMicrosecond);

// The floor: one UPDATE of a 2,000-character text in one transaction, through a prepared
// statement on the same file.
void BM_TimedWrite_Floor(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(session->path).constData(), &db);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE ScriptPart SET ScriptText = ? WHERE ScriptPartID = ?", -1, &update, nullptr);
    const QByteArray texts[] = {longText().toUtf8(), (longText().left(kCharacters - 1) + QLatin1Char('x')).toUtf8()};
    const std::int64_t row = paragraph().scriptPart()->scriptPartID();
    int key = 0;
    for (auto _ : state) {
        const QByteArray& text = texts[key++ % 2];
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_bind_text(update, 1, text.constData(), static_cast<int>(text.size()), SQLITE_STATIC);
        sqlite3_bind_int64(update, 2, row);
        sqlite3_step(update);
        sqlite3_reset(update);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(update);
    sqlite3_close(db);
}
BENCHMARK(BM_TimedWrite_Floor)->Unit(benchmark::kMicrosecond);

// One key typed into the 2,000-character paragraph while its write waits: the key starts the
// pause again and writes nothing.
void BM_KeyWhileAWriteIsPending2000(benchmark::State& state)
{
    ScriptTextView& field = paragraph();
    field.setFocus();
    field.moveCursor(QTextCursor::End);
    int key = 0;
    for (auto _ : state)
        typeOrTakeBack(&field, key);
    if (!TypingPause::of(&field) || !TypingPause::of(&field)->isPending())
        state.SkipWithError("no write was waiting");
    TypingPause::of(&field)->flush();
}
BENCHMARK(BM_KeyWhileAWriteIsPending2000)->Unit(benchmark::kMicrosecond);

// The floor: the same keys into a bare text box of the paragraph's width holding the same text.
void BM_KeyWhileAWriteIsPending_Floor(benchmark::State& state)
{
    QTextEdit field;
    field.resize(paragraph().size());
    field.setPlainText(longText());
    field.show();
    field.setFocus();
    field.moveCursor(QTextCursor::End);
    int key = 0;
    for (auto _ : state)
        typeOrTakeBack(&field, key);
}
BENCHMARK(BM_KeyWhileAWriteIsPending_Floor)->Unit(benchmark::kMicrosecond);

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
    if (!bench.document || bench.document->currentScreenplay()->sceneCards().empty()
        || !bench.document->generalNotesBoard()) {
        std::fprintf(stderr, "the story did not open with its notes board\n");
        return 1;
    }
    bench.note = bench.document->generalNotesBoard()->addStickyNoteWith(QPointF(40, 40));
    bench.note->txtDescription()->setPlainText(longText());
    bench.document->openBigSceneCard(bench.document->currentScreenplay()->sceneCards().front().get(), 6);
    QCoreApplication::processEvents();
    if (!bench.document->bigSceneViewController() || paragraph().toPlainText().size() != kCharacters) {
        std::fprintf(stderr, "the Script tab did not show the paragraph\n");
        return 1;
    }
    bench.document->window()->activateWindow();
    QApplication::setActiveWindow(bench.document->window());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench.document = nullptr;
    bench.application->applicationShouldTerminate();
    bench.application.reset();
    return 0;
}
