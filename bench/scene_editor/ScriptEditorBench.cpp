// The Script tab of a scene with 60 paragraphs: opening it (the paragraphs read from the story
// and one box laid out for each) and one Return in its middle (30 sort orders moved and the new
// paragraph inserted, written in one transaction, and a new box laid out among the others). Each
// is printed beside its floor measured in the same run: the same rows read with one prepared
// statement into plain text boxes of the screenplay face, each as wide as its element and as tall
// as its text, placed one under another; and the same row writes made with plain prepared
// statements in one transaction, with a new plain box put in and the boxes under it moved down.
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
#include "platform/ScreenplayFont.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneView.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextEdit>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

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

// --- The floors' means --------------------------------------------------------------------------

// One paragraph as a floor reads it: its row, and the type and indents of its element.
struct FloorParagraph {
    std::int64_t key = 0;
    std::int64_t sortOrder = 0;
    QString text;
    QString type;
    double leftIndent = 0.0;
    double rightIndent = 0.0;
};

// A page of plain text boxes, one per paragraph, each as wide as its element (indents in inches,
// 72 points an inch), as tall as its text wrapped at that width (18 at least), one under another,
// with a line's gap above an action, a cue and a transition; a transition is set right.
class FloorPage
{
public:
    FloorPage()
    {
        page_.resize(612, 792);
        page_.show();
    }

    void clear()
    {
        for (QTextEdit* box : boxes_)
            delete box;
        boxes_.clear();
        paragraphs_.clear();
    }

    // Reads the scene's paragraphs with one prepared statement `rows` (bound to the card) and
    // makes a box for each.
    void open(sqlite3_stmt* rows, std::int64_t card)
    {
        clear();
        sqlite3_bind_int64(rows, 1, card);
        while (sqlite3_step(rows) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(rows, 2));
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(rows, 3));
            paragraphs_.push_back({sqlite3_column_int64(rows, 0), sqlite3_column_int64(rows, 1),
                                   QString::fromUtf8(text), QString::fromUtf8(type), sqlite3_column_double(rows, 4),
                                   sqlite3_column_double(rows, 5)});
            boxes_.push_back(box(paragraphs_.back()));
        }
        sqlite3_reset(rows);
        layOut(0);
    }

    // A box for `paragraph`, put in at `index`; the boxes from there on are laid out again.
    QTextEdit* insert(std::size_t index, FloorParagraph paragraph)
    {
        paragraphs_.insert(paragraphs_.begin() + static_cast<std::ptrdiff_t>(index), std::move(paragraph));
        QTextEdit* added = box(paragraphs_[index]);
        boxes_.insert(boxes_.begin() + static_cast<std::ptrdiff_t>(index), added);
        layOut(index);
        return added;
    }

    void remove(std::size_t index)
    {
        delete boxes_[index];
        boxes_.erase(boxes_.begin() + static_cast<std::ptrdiff_t>(index));
        paragraphs_.erase(paragraphs_.begin() + static_cast<std::ptrdiff_t>(index));
        layOut(index);
    }

    std::vector<FloorParagraph>& paragraphs() { return paragraphs_; }
    std::size_t size() const { return boxes_.size(); }

private:
    QTextEdit* box(const FloorParagraph& paragraph)
    {
        static const QFont face = ScreenplayFont::font(12);
        auto* box = new QTextEdit(&page_);
        box->setFont(face);
        box->setFrameShape(QFrame::NoFrame);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->document()->setDocumentMargin(0);
        box->setPlainText(paragraph.text);
        if (paragraph.type == QLatin1String("Transition"))
            box->setAlignment(Qt::AlignRight);
        const int width = static_cast<int>((paragraph.rightIndent - paragraph.leftIndent) * 72.0);
        box->document()->setTextWidth(width);
        const int height = std::max(18, static_cast<int>(std::ceil(box->document()->size().height())));
        box->setGeometry(static_cast<int>(paragraph.leftIndent * 72.0), 0, width, height);
        box->show();
        return box;
    }

    // Places the boxes from `index` on under the one before.
    void layOut(std::size_t index)
    {
        int y = index == 0 ? 0 : boxes_[index - 1]->geometry().bottom() + 1;
        for (std::size_t at = index; at < boxes_.size(); ++at) {
            const QString& type = paragraphs_[at].type;
            if (type == QLatin1String("Action") || type == QLatin1String("Character")
                || type == QLatin1String("Transition"))
                y += 18;
            boxes_[at]->move(boxes_[at]->x(), y);
            y += boxes_[at]->height();
        }
    }

    QWidget page_;
    std::vector<QTextEdit*> boxes_;
    std::vector<FloorParagraph> paragraphs_;
};

constexpr const char* kFloorParagraphsSql =
    "SELECT p.ScriptPartID, p.SortOrder, p.ScriptText, e.ElementType, e.LeftIndent, e.RightIndent "
    "FROM ScriptPart p LEFT JOIN ScriptElement e ON e.ScriptElementID = p.ElementTypeID "
    "WHERE p.SceneCardID = ? ORDER BY p.SortOrder";

// The floor: the scene's 60 paragraphs read from their rows with one prepared statement, and
// a plain box made, filled, fitted to its text and placed for each.
void BM_OpenScriptTab60_Floor(benchmark::State& state)
{
    SceneCarddb* card = bigCard().scene();
    sqlite3_stmt* rows = nullptr;
    sqlite3_prepare_v2(card->screenplay()->database(), kFloorParagraphsSql, -1, &rows, nullptr);
    FloorPage page;
    for (auto _ : state) {
        page.open(rows, card->sceneCardID());
        if (page.size() != static_cast<std::size_t>(kParagraphs))
            state.SkipWithError("the floor read another number of paragraphs");
        benchmark::DoNotOptimize(page.size());
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

// The floor: the same writes (the 30 rows after the 30th moved one sort order on and the new
// row inserted, one transaction) through plain prepared statements on the same file, then a
// plain box for the new action put in under the 30th, the boxes under it moved down and the
// caret put in it. The row and box go again untimed, as the work's Backspace takes them.
void BM_ReturnInTheMiddle60_Floor(benchmark::State& state)
{
    SceneCarddb* card = bigCard().scene();
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(session->path).constData(), &db);
    sqlite3_stmt* rows = nullptr;
    sqlite3_stmt* update = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* remove = nullptr;
    sqlite3_prepare_v2(db, kFloorParagraphsSql, -1, &rows, nullptr);
    sqlite3_prepare_v2(db, "UPDATE ScriptPart SET SortOrder = ? WHERE ScriptPartID = ?", -1, &update, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) "
                           "VALUES (?, ?, ?, '')", -1, &insert, nullptr);
    sqlite3_prepare_v2(db, "DELETE FROM ScriptPart WHERE ScriptPartID = ?", -1, &remove, nullptr);
    const ScriptElementdb* action = card->screenplay()->elementForElementType(QStringLiteral("Action"));
    FloorPage page;
    page.open(rows, card->sceneCardID());
    if (page.size() != static_cast<std::size_t>(kParagraphs) || !action) {
        state.SkipWithError("the floor did not read the scene");
        return;
    }
    for (auto _ : state) {
        std::vector<FloorParagraph>& paragraphs = page.paragraphs();
        const std::int64_t sortOrder = paragraphs[30].sortOrder;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (std::size_t index = 30; index < paragraphs.size(); ++index) {
            sqlite3_bind_int64(update, 1, ++paragraphs[index].sortOrder);
            sqlite3_bind_int64(update, 2, paragraphs[index].key);
            sqlite3_step(update);
            sqlite3_reset(update);
        }
        sqlite3_bind_int64(insert, 1, card->sceneCardID());
        sqlite3_bind_int64(insert, 2, sortOrder);
        sqlite3_bind_int64(insert, 3, action->scriptElementID());
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        QTextEdit* added = page.insert(30, {sqlite3_last_insert_rowid(db), sortOrder, QString(),
                                            QStringLiteral("Action"), action->leftIndent(), action->rightIndent()});
        added->setFocus();
        benchmark::DoNotOptimize(added);
        state.PauseTiming();
        sqlite3_bind_int64(remove, 1, page.paragraphs()[30].key);
        sqlite3_step(remove);
        sqlite3_reset(remove);
        page.remove(30);
        state.ResumeTiming();
    }
    for (sqlite3_stmt* statement : {rows, update, insert, remove})
        sqlite3_finalize(statement);
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
    if (!bench.application)
        return 1;
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
    return runBenchmarks(argc, argv, bench.application);
}
