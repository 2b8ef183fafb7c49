// The set-ups of the story-elements pane in stories of 1,000 and of 10,000 cards (made by
// bench/support/StoryGenerator.h and raised to 1,000 and to 10,000 set-ups and as many pay-offs,
// all linked), each beside a floor that measures the same texts, in the faces the rows draw them
// in, at the same width with QFontMetrics alone:
// - a step of the divider beside the pane, widening it by one pixel, which refits every row to
//   the pane's new width (a text is measured again only where its lines break anew);
// - the list refitted in another font size, where nothing measured before holds and every text
//   is measured.
#include "../support/BenchApplication.h"
#include "../support/StoryGenerator.h"
#include "app/AppController.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "model/Screenplaydb.h"
#include "panes/SetupPayoffTableView.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QRect>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>

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

constexpr std::array<int, 2> kSetups{1000, 10000};
// The pane widths the steps go through, one pixel at a time.
constexpr int kNarrowest = 320;
constexpr int kWidest = 720;

struct Session {
    QTemporaryDir home;
    std::unique_ptr<AppController> application;
    std::map<int, MyDocument*> documents;
};

Session* session = nullptr;

MyDocument& documentOfSize(benchmark::State& state)
{
    return *session->documents.at(static_cast<int>(state.range(0)));
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

// The next width of a widening drag, back to the narrowest after the widest.
int nextWidth(int& step)
{
    return kNarrowest + step++ % (kWidest - kNarrowest);
}

// Where the drag of each size stands, kept from one run of a benchmark to the next so that every
// step moves the divider.
int& dragStep(benchmark::State& state)
{
    static std::map<std::int64_t, int> steps;
    return steps[state.range(0)];
}

void BM_SetupsDividerStep(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    MainSplitView* beats = document.splBeats();
    int& step = dragStep(state);
    for (auto _ : state) {
        const int width = nextWidth(step);
        beats->setPosition(width);
        if (beats->paneExtent(0) != width) {
            state.SkipWithError("the divider did not move");
            break;
        }
    }
    state.counters["rows"] = document.setupsTableView()->tvTable()->model()->rowCount();
}

// The texts of the list's rows as it shows them now, each with the face its row draws it in.
struct Texts {
    std::vector<QFontMetrics> faces;
    std::vector<std::pair<QString, std::size_t>> texts;
};

Texts textsOf(const QTableView& table)
{
    Texts shown;
    std::vector<QFont> fonts;
    const QAbstractItemModel& model = *table.model();
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex cell = model.index(row, 1);
        const QString text = cell.data(Qt::DisplayRole).toString();
        if (row % 3 == 2 || text.isEmpty())
            continue;
        const QFont font = cell.data(Qt::FontRole).value<QFont>();
        const auto face = static_cast<std::size_t>(std::find(fonts.begin(), fonts.end(), font) - fonts.begin());
        if (face == fonts.size()) {
            fonts.push_back(font);
            shown.faces.emplace_back(font);
        }
        shown.texts.emplace_back(text, face);
    }
    return shown;
}

int measureAll(const Texts& shown, int width)
{
    int total = 0;
    for (const auto& [text, face] : shown.texts)
        total += shown.faces[face].boundingRect(QRect(0, 0, width, 200000), Qt::TextWordWrap, text).height();
    return total;
}

void BM_SetupsDividerStep_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    const QTableView& table = *document.setupsTableView()->tvTable();
    const Texts shown = textsOf(table);
    int step = dragStep(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(measureAll(shown, textWidth(table, nextWidth(step))));
    state.counters["rows"] = table.model()->rowCount();
}

// The story's font setting changed between 1 and 2 and the list shown again.
void BM_SetupsRefitInAnotherFont(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    SetupsTableView& list = *document.setupsTableView();
    for (auto _ : state) {
        story.setStandardFontSetting(story.standardFontSetting() == 1 ? 2 : 1);
        list.refreshView();
    }
    story.setStandardFontSetting(1);
    list.refreshView();
    state.counters["rows"] = list.tvTable()->model()->rowCount();
}

void BM_SetupsRefitInAnotherFont_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    SetupsTableView& list = *document.setupsTableView();
    const int width = textWidth(*list.tvTable(), document.splBeats()->paneExtent(0));
    std::array<Texts, 2> sizes;
    for (const std::int64_t setting : {2, 1}) {
        story.setStandardFontSetting(setting);
        list.refreshView();
        sizes[static_cast<std::size_t>(setting - 1)] = textsOf(*list.tvTable());
    }
    std::size_t size = 0;
    for (auto _ : state) {
        size = 1 - size;
        benchmark::DoNotOptimize(measureAll(sizes[size], width));
    }
    state.counters["rows"] = list.tvTable()->model()->rowCount();
}

void sizes(benchmark::internal::Benchmark* bench)
{
    for (const int setups : kSetups)
        bench->Arg(setups);
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SetupsDividerStep)->Apply(sizes);
BENCHMARK(BM_SetupsDividerStep_Floor)->Apply(sizes);
BENCHMARK(BM_SetupsRefitInAnotherFont)->Apply(sizes);
BENCHMARK(BM_SetupsRefitInAnotherFont_Floor)->Apply(sizes);

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
    for (const int setups : kSetups) {
        const QString path = StoryGenerator::generate(documents, bench.application->masterFilePath(), setups);
        StoryGenerator::raise(path, setups, 0);
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
        bench.documents[setups] = document;
        settle();
    }
    return runBenchmarks(argc, argv, bench.application);
}
