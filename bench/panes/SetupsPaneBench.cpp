// The set-ups of the story-elements pane in stories of 1,000 and of 10,000 cards (made by
// bench/support/StoryGenerator.h and raised to 1,000 and to 10,000 set-ups and as many pay-offs,
// all linked), typed as in scripts, and of 10,000 typed as a word processor types them (the
// second argument 2: curly quotes and dashes in most texts) and as writers of other languages type
// them now and then (3: no-break spaces, Greek and Cyrillic names, accents typed as marks, soft
// hyphens; bench/support/WriterTexts.h), each beside a floor that lays out
// the same texts, in the faces the rows draw them in, once each at the same width with
// QFontMetrics alone:
// - a step of a writer's drag of the divider beside the pane, eight pixels to a width not seen
//   lately, with real mouse events, beside the rows in sight laid out at the new width and the
//   divider's place written to the story's row, as each step of a drag writes it;
// - the same step and every row fitted after it, as once the drag rests, beside every text laid
//   out at the new width;
// - the list shown in another font size and every row fitted to it, where nothing measured
//   before holds, beside every text laid out in that size;
// - and, apart from the pane, texts that must be laid out to be measured (Japanese and Chinese,
//   emoji) asked of TextHeights at a width not seen lately, beside a text layout of each.
#include "../support/BenchApplication.h"
#include "../support/StoryGenerator.h"
#include "app/AppController.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "app/TextHeights.h"
#include "model/Screenplaydb.h"
#include "panes/SetupPayoffTableView.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QRect>
#include <QSplitterHandle>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTextOption>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

// The stories: their set-ups, and how those are typed.
struct StoryKind {
    int setups;
    WriterTexts::Typing typing;
};
constexpr std::array<StoryKind, 4> kStories{{{1000, WriterTexts::Typing::AsInScripts},
                                             {10000, WriterTexts::Typing::AsInScripts},
                                             {10000, WriterTexts::Typing::AsAWordProcessor},
                                             {10000, WriterTexts::Typing::Varied}}};
// A writer's drag of the divider: eight pixels a step, across the widths a writer gives the pane
// and back again. Each pass lies some pixels to the side of the ones before, so that a width
// comes back only eight passes later, long after the lists have let it go.
constexpr int kNarrowest = 240;
constexpr int kWidest = 640;
constexpr int kStep = 8;
// The least height of a row that shows a text, and the height of the others.
constexpr int kLeastTextRowHeight = 53;
constexpr int kThinRowHeight = 20;

struct Session {
    QTemporaryDir home;
    std::unique_ptr<AppController> application;
    // By the benchmark's arguments: set-ups and kStories' index.
    std::map<std::pair<std::int64_t, std::int64_t>, MyDocument*> documents;
};

Session* session = nullptr;

MyDocument& documentOfSize(benchmark::State& state)
{
    return *session->documents.at({state.range(0), state.range(1)});
}

// The width a list's texts wrap in when its pane is `paneWidth` wide: the pane less the table's
// frame, its scroll bar, its two columns of marks and a cell's margins.
int textWidth(const QTableView& table, int paneWidth)
{
    const QStyle* style = table.style();
    return paneWidth - 2 * table.frameWidth() - style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &table) -
           2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1) - table.columnWidth(0) -
           table.columnWidth(2);
}

// The pane's width at step `step` of the drag, and whether the step is the first or the last of
// its pass across.
struct DragStep {
    int width;
    bool first;
    bool last;
};

DragStep dragAt(int step)
{
    constexpr int stepsAcross = (kWidest - kNarrowest) / kStep;
    const int pass = step / stepsAcross;
    const int along = step % stepsAcross * kStep + pass % kStep;
    return {pass % 2 == 0 ? kNarrowest + along : kWidest - along, step % stepsAcross == 0,
            step % stepsAcross == stepsAcross - 1};
}

int nextWidth(int& step)
{
    return dragAt(step++).width;
}

// Where the drag of each size stands, kept from one run of a benchmark to the next so that every
// step moves the divider on.
int& dragStep(benchmark::State& state)
{
    static std::map<std::pair<std::int64_t, std::int64_t>, int> steps;
    return steps[{state.range(0), state.range(1)}];
}

// The writer's hand on the divider beside the story elements: pressed, moved and let go with the
// mouse events a drag brings.
class Hand
{
public:
    explicit Hand(MainSplitView& beats) : beats_(beats), handle_(*beats.handle(1)) {}

    void press() { send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton); }
    void release() { send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton); }
    // Moves the divider until the pane is `width` wide.
    void moveTo(int width)
    {
        at_ = handle_.mapFromGlobal(beats_.mapToGlobal(QPoint(width + grab().x(), grab().y())));
        send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
    }
    // Takes the drag's next step: the button goes down at the start of a pass and up at its end.
    void step(int& step)
    {
        const DragStep next = dragAt(step++);
        if (next.first)
            press();
        moveTo(next.width);
        if (next.last)
            release();
    }
    // Lets go of a drag left midway.
    void letGo(int step)
    {
        if (!dragAt(step).first)
            release();
    }

private:
    QPoint grab() const { return QPoint(handle_.width() / 2, handle_.height() / 2); }
    void send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        if (type == QEvent::MouseButtonPress)
            at_ = grab();
        QMouseEvent event(type, at_, handle_.mapToGlobal(at_), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&handle_, &event);
    }

    MainSplitView& beats_;
    QSplitterHandle& handle_;
    QPoint at_;
};

// Runs the event loop until every row of the list fits.
void untilEveryRowFits(const SetupsTableView& list)
{
    while (!list.rowsFitted())
        QCoreApplication::processEvents();
}

void BM_SetupsDividerStep(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    MainSplitView* beats = document.splBeats();
    Hand hand(*beats);
    int& step = dragStep(state);
    if (!dragAt(step).first)
        hand.press();
    for (auto _ : state) {
        const int width = dragAt(step).width;
        hand.step(step);
        if (beats->paneExtent(0) != width) {
            state.SkipWithError("the divider did not move");
            break;
        }
    }
    hand.letGo(step);
    state.counters["rows"] = document.setupsTableView()->tvTable()->model()->rowCount();
}

// The rows of the list as it shows them now: each text with the face its row draws it in, and an
// empty text for a spacer.
struct Texts {
    std::vector<QFontMetrics> faces;
    std::vector<std::pair<QString, std::size_t>> rows;
};

Texts textsOf(const QTableView& table)
{
    Texts shown;
    std::vector<QFont> fonts;
    const QAbstractItemModel& model = *table.model();
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex cell = model.index(row, 1);
        const QString text = row % 3 == 2 ? QString() : cell.data(Qt::DisplayRole).toString();
        const QFont font = cell.data(Qt::FontRole).value<QFont>();
        const auto face = static_cast<std::size_t>(std::find(fonts.begin(), fonts.end(), font) - fonts.begin());
        if (face == fonts.size()) {
            fonts.push_back(font);
            shown.faces.emplace_back(font);
        }
        shown.rows.emplace_back(text, face);
    }
    return shown;
}

int measure(const Texts& shown, std::size_t row, int width)
{
    const auto& [text, face] = shown.rows[row];
    if (text.isEmpty())
        return kThinRowHeight;
    return std::max(kLeastTextRowHeight,
                    shown.faces[face].boundingRect(QRect(0, 0, width, 200000), Qt::TextWordWrap, text).height());
}

int measureAll(const Texts& shown, int width)
{
    int total = 0;
    for (std::size_t row = 0; row < shown.rows.size(); ++row)
        total += measure(shown, row, width);
    return total;
}

// The rows from `top` down that a list `sight` pixels high shows, each measured at `width`.
int measureInSight(const Texts& shown, int top, int width, int sight)
{
    int bottom = 0;
    for (auto row = static_cast<std::size_t>(top); row < shown.rows.size() && bottom < sight; ++row)
        bottom += measure(shown, row, width);
    return bottom;
}

// The divider's place written to the story's row the plain way, as every step of a drag writes
// it: one statement, prepared once, on a connection of its own to the story's file.
class PlainDividerWrite
{
public:
    explicit PlainDividerWrite(const MyDocument& document)
    {
        sqlite3_open_v2(QFile::encodeName(document.thisFileName()).constData(), &db_, SQLITE_OPEN_READWRITE,
                        nullptr);
        sqlite3_prepare_v2(db_, "UPDATE Screenplay SET BeatsSplitterDistance = ?", -1, &update_, nullptr);
    }
    ~PlainDividerWrite()
    {
        sqlite3_finalize(update_);
        sqlite3_close_v2(db_);
    }
    PlainDividerWrite(const PlainDividerWrite&) = delete;
    PlainDividerWrite& operator=(const PlainDividerWrite&) = delete;

    bool write(int percentage)
    {
        sqlite3_bind_int(update_, 1, percentage);
        const bool done = sqlite3_step(update_) == SQLITE_DONE;
        sqlite3_reset(update_);
        return done;
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
};

// Floor: the plain work of a step, each row in sight laid out once at the pane's new width and
// the divider's place written.
void BM_SetupsDividerStep_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    const QTableView& table = *document.setupsTableView()->tvTable();
    const Texts shown = textsOf(table);
    const int top = std::max(0, table.rowAt(0));
    const int sight = table.viewport()->height();
    const int splitWidth = document.splBeats()->width();
    PlainDividerWrite divider(document);
    int step = dragStep(state);
    for (auto _ : state) {
        const int width = nextWidth(step);
        benchmark::DoNotOptimize(measureInSight(shown, top, textWidth(table, width), sight));
        if (!divider.write(width * 100 / std::max(1, splitWidth - 1))) {
            state.SkipWithError("the divider's place was not written");
            break;
        }
    }
    state.counters["rows"] = table.model()->rowCount();
}

// A step of the drag, and the event loop run until every row fits the new width, as it does
// once the drag rests.
void BM_SetupsWholeAfterTheDragRests(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    const SetupsTableView& list = *document.setupsTableView();
    Hand hand(*document.splBeats());
    int& step = dragStep(state);
    if (!dragAt(step).first)
        hand.press();
    for (auto _ : state) {
        hand.step(step);
        untilEveryRowFits(list);
    }
    hand.letGo(step);
    state.counters["rows"] = list.tvTable()->model()->rowCount();
}

// Floor: every row's text laid out once at the pane's new width, and the divider's place written.
void BM_SetupsWholeAfterTheDragRests_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    const QTableView& table = *document.setupsTableView()->tvTable();
    const Texts shown = textsOf(table);
    const int splitWidth = document.splBeats()->width();
    PlainDividerWrite divider(document);
    int step = dragStep(state);
    for (auto _ : state) {
        const int width = nextWidth(step);
        benchmark::DoNotOptimize(measureAll(shown, textWidth(table, width)));
        if (!divider.write(width * 100 / std::max(1, splitWidth - 1))) {
            state.SkipWithError("the divider's place was not written");
            break;
        }
    }
    state.counters["rows"] = table.model()->rowCount();
}

// The pane as narrow as the drag makes it, where most texts take more than one line, every row
// fitting it.
void inTheNarrowestPane(MyDocument& document)
{
    document.splBeats()->setPosition(kNarrowest);
    untilEveryRowFits(*document.setupsTableView());
}

// The story's font setting changed between 1 and 2, the list shown again and the event loop run
// until every row fits.
void BM_SetupsRefitInAnotherFont(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    SetupsTableView& list = *document.setupsTableView();
    inTheNarrowestPane(document);
    for (auto _ : state) {
        story.setStandardFontSetting(story.standardFontSetting() == 1 ? 2 : 1);
        list.refreshView();
        untilEveryRowFits(list);
    }
    story.setStandardFontSetting(1);
    list.refreshView();
    untilEveryRowFits(list);
    state.counters["rows"] = list.tvTable()->model()->rowCount();
}

void BM_SetupsRefitInAnotherFont_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    SetupsTableView& list = *document.setupsTableView();
    inTheNarrowestPane(document);
    const int width = textWidth(*list.tvTable(), document.splBeats()->paneExtent(0));
    std::array<Texts, 2> sizes;
    for (const std::int64_t setting : {2, 1}) {
        story.setStandardFontSetting(setting);
        list.refreshView();
        untilEveryRowFits(list);
        sizes[static_cast<std::size_t>(setting - 1)] = textsOf(*list.tvTable());
    }
    std::size_t size = 0;
    for (auto _ : state) {
        size = 1 - size;
        benchmark::DoNotOptimize(measureAll(sizes[size], width));
    }
    state.counters["rows"] = list.tvTable()->model()->rowCount();
}

// Texts of scripts whose lines break otherwise than Latin's, or whose letters come from other
// fonts: Japanese and Chinese sentences, and a writer's sentences with emoji in them.
std::vector<QString> textsToLayOut()
{
    static const std::array<const char*, 6> kEast{
        "\u9375\u306f\u30de\u30c3\u30c8\u306e\u4e0b\u306b\u3042\u308b\u3002",
        "\u5f7c\u5973\u306f\u5730\u56f3\u3092\u96a0\u3057\u305f\u3002",
        "\u96e8\u304c\u964d\u308b\u524d\u306b\u6a4b\u3092\u6e21\u308b\u3002",
        "\u5979\u628a\u94a5\u5319\u85cf\u5728\u5730\u677f\u4e0b\u9762\u3002",
        "\u6ca1\u6709\u4eba\u770b\u89c1\u4ed6\u3002",
        "\u706b\u8f66\u4e5d\u70b9\u4e00\u523b\u5f00\u3002"};
    static const std::array<const char*, 4> kEmoji{"\U0001F511", "\U0001F4F7", "\u2764\uFE0F", "\U0001F525"};
    std::vector<QString> texts;
    for (int index = 0; index < 2000; ++index) {
        // Each text its own, as each set-up is: it begins with its number.
        QString text = QStringLiteral("%1 ").arg(index);
        if (index % 2 == 0) {
            for (int sentence = 0; sentence < 4 + index % 9; ++sentence)
                text += QString::fromUtf8(kEast[static_cast<std::size_t>((index + sentence * 5) % kEast.size())]);
        } else {
            text += WriterTexts::setup(index);
            text.insert(text.indexOf(QLatin1Char(' ')), QString::fromUtf8(kEmoji[static_cast<std::size_t>(index % 4)]));
        }
        texts.push_back(text);
    }
    return texts;
}

// The width of the next step for texts laid out: a pass of the drag's widths less the pane's
// margins, each width coming back only passes later.
int layoutWidth(int& step)
{
    return nextWidth(step) - 60;
}

// The texts asked of TextHeights at a width it has not seen lately, as a list refitting them does.
void BM_TextHeightsOfTextsLaidOut(benchmark::State& state)
{
    const std::vector<QString> texts = textsToLayOut();
    const QFont font = standardFont(12, false);
    TextHeights heights;
    int step = 0;
    for (auto _ : state) {
        const int width = layoutWidth(step);
        float total = 0;
        for (const QString& text : texts)
            total += heights.height(text, font, width);
        benchmark::DoNotOptimize(total);
    }
    state.counters["texts"] = static_cast<double>(texts.size());
    state.counters["laid out"] = benchmark::Counter(static_cast<double>(heights.measured()),
                                                    benchmark::Counter::kAvgIterations);
}

// Floor: the same texts laid out at the same widths, each by a text layout of its own wrapping it
// line by line, the least any measure of its lines takes.
void BM_TextHeightsOfTextsLaidOut_Floor(benchmark::State& state)
{
    const std::vector<QString> texts = textsToLayOut();
    const QFont font = standardFont(12, false);
    QTextOption wrapped;
    wrapped.setWrapMode(QTextOption::WordWrap);
    int step = 0;
    for (auto _ : state) {
        const int width = layoutWidth(step);
        qreal total = 0;
        for (const QString& text : texts) {
            QTextLayout layout(text, font);
            layout.setTextOption(wrapped);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                total += line.height();
            }
            layout.endLayout();
        }
        benchmark::DoNotOptimize(total);
    }
    state.counters["texts"] = static_cast<double>(texts.size());
}

void sizes(benchmark::internal::Benchmark* bench)
{
    for (std::size_t kind = 0; kind < kStories.size(); ++kind)
        bench->Args({kStories[kind].setups, static_cast<std::int64_t>(kind)});
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SetupsDividerStep)->Apply(sizes);
BENCHMARK(BM_SetupsDividerStep_Floor)->Apply(sizes);
BENCHMARK(BM_SetupsWholeAfterTheDragRests)->Apply(sizes);
BENCHMARK(BM_SetupsWholeAfterTheDragRests_Floor)->Apply(sizes);
BENCHMARK(BM_SetupsRefitInAnotherFont)->Apply(sizes);
BENCHMARK(BM_SetupsRefitInAnotherFont_Floor)->Apply(sizes);
BENCHMARK(BM_TextHeightsOfTextsLaidOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextHeightsOfTextsLaidOut_Floor)->Unit(benchmark::kMillisecond);

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
    for (std::size_t kind = 0; kind < kStories.size(); ++kind) {
        const auto [setups, typing] = kStories[kind];
        // Each story in a folder of its own: the generator names a story by its cards.
        const QString documents = QDir(bench.home.path()).filePath(QStringLiteral("Documents/%1").arg(kind));
        QDir().mkpath(documents);
        const QString path = StoryGenerator::generate(documents, bench.application->masterFilePath(), setups, typing);
        StoryGenerator::raise(path, setups, 0, typing);
        // The story opens on its set-ups.
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        sqlite3_exec(db, "UPDATE Screenplay SET BeatSectionShowing = 3", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        MyDocument* document = bench.application->documentController().openDocument(path);
        if (!document || !document->setupsTableView()) {
            std::fprintf(stderr, "the story of %d set-ups did not open on them\n", setups);
            return 1;
        }
        bench.documents[{setups, static_cast<std::int64_t>(kind)}] = document;
        settle();
    }
    return runBenchmarks(argc, argv, bench.application);
}
