// The write a second after the last key, of a 2,000-character text: a script paragraph (a plain
// row) and a sticky note's body (formatted text and its plain twin), each beside its floor: the
// text taken from a bare text box holding it and written with one prepared UPDATE in one
// transaction (for the note, its formatting written out by hand as rich text beside the plain
// text, both in one UPDATE). And what a key costs while such a write is pending (the pause
// started again), beside the same key typed into a bare text box.
#include "../support/BenchApplication.h"
#include "app/AppController.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/StickyNotedb.h"
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
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

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

// --- The floors ---------------------------------------------------------------------------------

// A bare text box of the paragraph's size holding the same text, shown, with the caret at its end.
void showBareField(QTextEdit& field)
{
    field.resize(paragraph().size());
    field.setPlainText(longText());
    field.show();
    field.setFocus();
    field.moveCursor(QTextCursor::End);
}

// A text box's content as rich text, written the plain way: each run of text with its bold,
// italic and underline, characters outside ASCII and RTF's own marks escaped, a paragraph mark
// between blocks.
QByteArray floorRichText(const QTextDocument& document)
{
    QByteArray rtf("{\\rtf1\\ansi\\deff0 ");
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            rtf += "\\par\n";
        for (auto run = block.begin(); !run.atEnd(); ++run) {
            const QTextFragment fragment = run.fragment();
            const QTextCharFormat format = fragment.charFormat();
            rtf += format.fontWeight() >= QFont::Bold ? "\\b " : "\\b0 ";
            rtf += format.fontItalic() ? "\\i " : "\\i0 ";
            rtf += format.fontUnderline() ? "\\ul " : "\\ulnone ";
            const QString text = fragment.text();
            rtf.reserve(rtf.size() + text.size() + 16);
            for (const QChar character : text) {
                const char16_t code = character.unicode();
                if (code == u'\\' || code == u'{' || code == u'}') {
                    rtf.append('\\').append(static_cast<char>(code));
                } else if (code < 0x80) {
                    rtf.append(static_cast<char>(code));
                } else {
                    rtf.append("\\u").append(QByteArray::number(static_cast<qint16>(code))).append('?');
                }
            }
        }
    }
    return rtf + '}';
}

// What a floor writes after the pause: the texts taken from `field`, bound from the first
// column on, then the row's key, in one transaction.
void timedFloorWrite(benchmark::State& state, const char* sql, std::int64_t row,
                     const std::function<std::vector<QByteArray>(const QTextEdit&)>& texts)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(session->path).constData(), &db);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &update, nullptr);
    QTextEdit field;
    showBareField(field);
    int key = 0;
    for (auto _ : state) {
        state.PauseTiming();
        typeOrTakeBack(&field, key);
        state.ResumeTiming();
        const std::vector<QByteArray> values = texts(field);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        int column = 0;
        for (const QByteArray& value : values)
            sqlite3_bind_text(update, ++column, value.constData(), static_cast<int>(value.size()), SQLITE_STATIC);
        sqlite3_bind_int64(update, ++column, row);
        if (sqlite3_step(update) != SQLITE_DONE)
            state.SkipWithError("the floor's write failed");
        sqlite3_reset(update);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(update);
    sqlite3_close(db);
}

// The paragraph's text taken from the box and written to its row.
void BM_TimedWrite_ScriptParagraph2000_Floor(benchmark::State& state)
{
    timedFloorWrite(state, "UPDATE ScriptPart SET ScriptText = ? WHERE ScriptPartID = ?",
                    paragraph().scriptPart()->scriptPartID(),
                    [](const QTextEdit& field) { return std::vector<QByteArray>{field.toPlainText().toUtf8()}; });
}
BENCHMARK(BM_TimedWrite_ScriptParagraph2000_Floor)->Unit(benchmark::kMicrosecond);

// The note's body taken from the box as rich text and as plain text, both written to its row.
void BM_TimedWrite_NoteBody2000_Floor(benchmark::State& state)
{
    timedFloorWrite(state, "UPDATE StickyNote SET Note = ?, TextNote = ? WHERE StickyNoteID = ?",
                    session->note->stickyNote()->stickyNoteID(), [](const QTextEdit& field) {
                        return std::vector<QByteArray>{floorRichText(*field.document()),
                                                       field.toPlainText().toUtf8()};
                    });
}
BENCHMARK(BM_TimedWrite_NoteBody2000_Floor)->Unit(benchmark::kMicrosecond);

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
void BM_KeyWhileAWriteIsPending2000_Floor(benchmark::State& state)
{
    QTextEdit field;
    showBareField(field);
    int key = 0;
    for (auto _ : state)
        typeOrTakeBack(&field, key);
}
BENCHMARK(BM_KeyWhileAWriteIsPending2000_Floor)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApplication(argc, argv);
    Session bench;
    session = &bench;
    bench.application = startBenchApplication(bench.home.path());
    if (!bench.application)
        return 1;
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
    return runBenchmarks(argc, argv, bench.application);
}
