// What a writer feels of the story window on an X server, with the generated story of 1,000 or
// 10,000 cards raised to as many set-ups and pay-offs, all linked (bench/support/StoryGenerator.h),
// typed as in scripts (the default), as a word processor types them ("typeset": curly quotes and
// dashes in most texts), all straight ("straight"), with French typography's no-break spaces in
// about three texts in eight ("french"), naming Greek or Cyrillic characters in three in ten ("names"),
// or now and then each of those with accents typed as marks and soft hyphens ("varied",
// bench/support/WriterTexts.h); or, given a file of texts, one a line ("texts=FILE"), with those
// texts in turn, in a window of 1366 x 768:
// - opening the story on its set-ups (or pay-offs) beside opening it on its beats, each timed to
//   the end of the window's first paint and to the moment nothing is left to do;
// - the divider beside the story elements dragged with the mouse, 8 pixels a step at the pace of
//   a hand (a step every 16 ms), 400 pixels wider and back, every step to a width not seen before;
// - the window made 400 pixels narrower and wider again, 8 pixels a step at the same pace.
// Input goes through the X server (its test extension) from a thread of its own while the
// program's thread runs the event loop. A step is timed from the moment its input is sent to the
// end of the first paint that shows it; beside the median and the worst step stand the longest any
// one event kept the window busy and the time from the last step until every row fits again.
// With a fourth argument, "cold-beats" or "cold-list", the process opens the story once, on its
// beats or on its list, times that first opening of the process and does nothing else: a series of
// processes compares openings from a cold start.
//
//   Xvfb :81 -screen 0 1366x768x24 &
//   DISPLAY=:81 taskset -c 0,1 build/bench/vantora_drag_probe [cards] [setups | payoffs]
//       [typeset | straight | french | names | varied | texts=FILE] [cold-beats | cold-list]
#include "../support/BenchApplication.h"
#include "../support/StoryGenerator.h"
#include "XHand.h"
#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "app/StoryWindow.h"
#include "panes/SetupPayoffTableView.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSplitterHandle>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStepPixels = 8;
constexpr int kSteps = 50;
constexpr auto kPace = std::chrono::milliseconds(16);
constexpr int kScreenWidth = 1366;
constexpr int kScreenHeight = 768;

double ms(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

// The application, timing every event it dispatches: the longest, and the end of each one that
// painted, with how far the input had got by then (`progress`).
class ProbeApplication : public QApplication
{
public:
    using QApplication::QApplication;

    struct Paint {
        Clock::time_point end;
        int progress;
    };

    std::function<int()> progress = [] { return 0; };
    std::function<void(Clock::time_point)> afterEach;
    std::vector<Paint> paints;
    Clock::duration longest{};

    bool notify(QObject* receiver, QEvent* event) override
    {
        const Clock::time_point begun = Clock::now();
        painting_ = painting_ || event->type() == QEvent::Paint;
        ++depth_;
        const bool handled = QApplication::notify(receiver, event);
        if (--depth_ == 0) {
            const Clock::time_point ended = Clock::now();
            longest = std::max(longest, ended - begun);
            if (painting_)
                paints.push_back({ended, progress()});
            painting_ = false;
            if (afterEach)
                afterEach(ended);
        }
        return handled;
    }

    void restart()
    {
        paints.clear();
        longest = {};
    }

private:
    int depth_ = 0;
    bool painting_ = false;
};

ProbeApplication* probe = nullptr;

// One input of the hand; `progress` is what the window shows once it has followed it.
struct Action {
    enum Kind { Move, Press, Release, Resize } kind;
    int x;
    int y;
    int progress;
};

// Sends the actions through the server at the pace of a hand while the event loop runs; answers
// when each was sent.
std::vector<Clock::time_point> perform(const std::vector<Action>& actions, unsigned long window)
{
    std::vector<Clock::time_point> sent(actions.size());
    QEventLoop loop;
    std::thread hand([&] {
        XHand x;
        const Clock::time_point start = Clock::now() + kPace;
        for (std::size_t at = 0; at < actions.size(); ++at) {
            std::this_thread::sleep_until(start + kPace * static_cast<int>(at));
            sent[at] = Clock::now();
            const Action& action = actions[at];
            if (action.kind == Action::Move)
                x.moveTo(action.x, action.y);
            else if (action.kind == Action::Press)
                x.press();
            else if (action.kind == Action::Release)
                x.release();
            else
                x.resize(window, action.x, action.y);
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    hand.join();
    return sent;
}

// Runs the event loop until `done` holds (at most `limit`); answers when it first held.
Clock::time_point runUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(20))
{
    const Clock::time_point giveUp = Clock::now() + limit;
    while (!done() && Clock::now() < giveUp)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return Clock::now();
}

// Runs the event loop until nothing is left to do.
void runUntilIdle()
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (int quiet = 0; quiet < 3;)
        quiet = dispatcher->processEvents(QEventLoop::AllEvents) ? 0 : quiet + 1;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Outcome {
    std::vector<double> steps;
    double longest = 0;
    double whole = 0;
};

// Performs the actions and times each step: from the sending of a move (or resize) to the end of
// the first paint whose progress reached it.
Outcome timed(const std::vector<Action>& actions, unsigned long window, const std::function<bool()>& fitted)
{
    Clock::time_point fittedSince{};
    probe->afterEach = [&](Clock::time_point at) {
        if (!fitted())
            fittedSince = {};
        else if (fittedSince == Clock::time_point{})
            fittedSince = at;
    };
    probe->restart();
    const std::vector<Clock::time_point> sent = perform(actions, window);
    const Clock::time_point whole = runUntil(fitted);
    Outcome outcome;
    std::size_t last = actions.size() - 1;
    while (last > 0 && actions[last].progress < 0)
        --last;
    outcome.whole = std::max(0.0, ms((fittedSince == Clock::time_point{} ? whole : fittedSince) - sent[last]));
    runUntilIdle();
    outcome.longest = ms(probe->longest);
    probe->afterEach = nullptr;
    probe->progress = [] { return 0; };
    for (std::size_t at = 0; at < actions.size(); ++at) {
        if (actions[at].progress < 0)
            continue;
        const auto shown = std::find_if(probe->paints.begin(), probe->paints.end(), [&](const auto& paint) {
            return paint.end > sent[at] && paint.progress >= actions[at].progress;
        });
        if (shown != probe->paints.end())
            outcome.steps.push_back(ms(shown->end - sent[at]));
        else
            std::fprintf(stderr, "step %zu was never shown\n", at);
    }
    return outcome;
}

void report(const char* what, const Outcome& outcome)
{
    std::printf("%-34s median %6.1f ms  worst %6.1f ms  longest event %6.1f ms  every row fits %6.1f ms after the "
                "last step  (%zu steps)\n",
                what, median(outcome.steps),
                outcome.steps.empty() ? 0 : *std::max_element(outcome.steps.begin(), outcome.steps.end()),
                outcome.longest, outcome.whole, outcome.steps.size());
}

// The divider dragged 400 pixels wider and back, every step to a new width.
Outcome dragTheDivider(MyDocument& document, const std::function<bool()>& fitted)
{
    MainSplitView& beats = *document.splBeats();
    QSplitterHandle* handle = beats.handle(1);
    const QPoint grab = handle->mapToGlobal(QPoint(handle->width() / 2, handle->height() / 2));
    const int start = beats.paneExtent(0);
    std::vector<Action> actions{{Action::Move, grab.x(), grab.y(), -1}, {Action::Press, 0, 0, -1}};
    std::map<int, int> stepOfWidth;
    for (int step = 1; step <= 2 * kSteps; ++step) {
        const int along = step <= kSteps ? step * kStepPixels : (2 * kSteps - step) * kStepPixels + kStepPixels / 2;
        stepOfWidth[start + along] = step;
        actions.push_back({Action::Move, grab.x() + along, grab.y(), step});
    }
    actions.push_back({Action::Release, 0, 0, -1});
    probe->progress = [&] {
        const auto found = stepOfWidth.find(beats.paneExtent(0));
        return found == stepOfWidth.end() ? -1 : found->second;
    };
    return timed(actions, document.window()->winId(), fitted);
}

// The window made 400 pixels narrower and wider again.
Outcome resizeTheWindow(MyDocument& document, const std::function<bool()>& fitted)
{
    QWidget& window = *document.window();
    const int start = window.width();
    std::vector<Action> actions;
    std::map<int, int> stepOfWidth;
    for (int step = 1; step <= 2 * kSteps; ++step) {
        const int along = step <= kSteps ? step * kStepPixels : (2 * kSteps - step) * kStepPixels + kStepPixels / 2;
        stepOfWidth[start - along] = step;
        actions.push_back({Action::Resize, start - along, window.height(), step});
    }
    probe->progress = [&] {
        const auto found = stepOfWidth.find(window.width());
        return found == stepOfWidth.end() ? -1 : found->second;
    };
    return timed(actions, window.winId(), fitted);
}

// A copy of the generated story laid out for the screen, showing the section `section`.
QString storyShowing(const QString& generated, int section)
{
    const QString path = QString(generated).replace(QStringLiteral(".vtrsf"), QStringLiteral("-%1.vtrsf").arg(section));
    QFile::remove(path);
    QFile::copy(generated, path);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    const QByteArray sql = QStringLiteral("UPDATE Screenplay SET BeatSectionShowing = %1, WindowState = 101110, "
                                          "ParentWindowWidth = %2, ParentWindowHeight = %3, BeatsSplitterDistance = 22")
                               .arg(section)
                               .arg(kScreenWidth)
                               .arg(kScreenHeight)
                               .toLatin1();
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

// Gives the story's set-ups and pay-offs the texts of the file `texts` (one a line, empty lines
// left out) in turn, a set-up and its pay-off the next two; answers how many texts there were.
qsizetype giveTexts(const QString& story, const QString& texts)
{
    QFile file(texts);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return 0;
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(story).constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    qsizetype next = 0;
    for (const char* sql : {"UPDATE SceneSetup SET SceneSetup = ? WHERE SceneSetupID = ?",
                            "UPDATE ScenePayoff SET ScenePayoff = ? WHERE ScenePayoffID = ?"}) {
        const QByteArray table = QByteArray(sql).split(' ').at(1);
        std::vector<sqlite3_int64> ids;
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, ("SELECT " + table + "ID FROM " + table + " ORDER BY " + table + "ID").constData(), -1,
                           &query, nullptr);
        while (sqlite3_step(query) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(query, 0));
        sqlite3_finalize(query);
        sqlite3_prepare_v2(db, sql, -1, &query, nullptr);
        for (const sqlite3_int64 id : ids) {
            const QByteArray text = lines[next++ % lines.size()].toUtf8();
            sqlite3_bind_text(query, 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(query, 2, id);
            sqlite3_step(query);
            sqlite3_reset(query);
        }
        sqlite3_finalize(query);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return lines.size();
}

// Whether the list the document shows has every row fitted (the beat sheet always has).
bool listFitted(const MyDocument& document)
{
    if (const SetupsTableView* setups = document.setupsTableView())
        return setups->rowsFitted();
    if (const PayoffsTableView* payoffs = document.payoffsTableView())
        return payoffs->rowsFitted();
    return true;
}

struct Opening {
    double painted = 0;
    double settled = 0;
};

// Opens the story and closes it again: the time to the end of the window's first paint, and to
// the moment every row fits and nothing is left to do.
Opening open(AppController& application, const QString& path)
{
    probe->restart();
    probe->progress = [] { return 0; };
    const Clock::time_point begun = Clock::now();
    MyDocument* document = application.documentController().openDocument(path);
    if (!document)
        return {};
    Opening opening;
    runUntil([] { return !probe->paints.empty(); });
    opening.painted = ms(probe->paints.front().end - begun);
    runUntil([document] { return listFitted(*document); });
    runUntilIdle();
    opening.settled = ms(Clock::now() - begun);
    document->window()->close();
    runUntilIdle();
    return opening;
}

} // namespace

int main(int argc, char** argv)
{
    const int cards = argc > 1 ? std::atoi(argv[1]) : 10000;
    const bool payoffs = argc > 2 && QByteArray(argv[2]) == "payoffs";
    const QByteArray typed = argc > 3 ? QByteArray(argv[3]) : QByteArray("scripts");
    const QByteArray cold = argc > 4 ? QByteArray(argv[4]) : QByteArray();
    const WriterTexts::Typing typing = typed == "typeset"    ? WriterTexts::Typing::AsAWordProcessor
                                       : typed == "straight" ? WriterTexts::Typing::Straight
                                       : typed == "french"   ? WriterTexts::Typing::FrenchSpacing
                                       : typed == "names"    ? WriterTexts::Typing::OtherScriptNames
                                       : typed == "varied"   ? WriterTexts::Typing::Varied
                                                             : WriterTexts::Typing::AsInScripts;
    ProbeApplication application(argc, argv);
    probe = &application;
    if (!XHand().ok()) {
        std::fprintf(stderr, "no X server with the test extension at DISPLAY\n");
        return 1;
    }
    QTemporaryDir home;
    std::unique_ptr<AppController> program = startBenchApplication(home.path());
    if (!program)
        return 1;
    QAction* tips = program->actions().mnuMPAutoTips;
    if (tips->isChecked())
        tips->trigger();
    const QString documents = QDir(home.path()).filePath(QStringLiteral("Documents"));
    const QString generated = StoryGenerator::generate(documents, program->masterFilePath(), cards, typing);
    StoryGenerator::raise(generated, cards, 0, typing);
    if (typed.startsWith("texts=") && giveTexts(generated, QString::fromLocal8Bit(typed.mid(6))) == 0) {
        std::fprintf(stderr, "no texts in %s\n", typed.mid(6).constData());
        return 1;
    }
    const int section = payoffs ? 4 : 3;
    const QString onBeats = storyShowing(generated, 0);
    const QString onList = storyShowing(generated, section);
    if (cold == "cold-beats" || cold == "cold-list") {
        const Opening first = open(*program, cold == "cold-beats" ? onBeats : onList);
        std::printf("%s first opening of the process: first paint %6.1f ms, settled %6.1f ms\n", cold.constData(),
                    first.painted, first.settled);
        program->applicationShouldTerminate();
        program.reset();
        return 0;
    }

    std::vector<double> beatsPainted, beatsSettled, listPainted, listSettled;
    for (int round = 0; round < 3; ++round) {
        const Opening beats = open(*program, onBeats);
        const Opening list = open(*program, onList);
        beatsPainted.push_back(beats.painted);
        beatsSettled.push_back(beats.settled);
        listPainted.push_back(list.painted);
        listSettled.push_back(list.settled);
    }
    const char* shown = payoffs ? "pay-offs" : "set-ups";
    std::printf("%d cards, %d %s showing, typed %s\n", cards, cards, shown, typed.constData());
    std::printf("opening on the beats: first paint %6.1f ms, settled %6.1f ms (medians of 3)\n", median(beatsPainted),
                median(beatsSettled));
    std::printf("opening on the %s: first paint %6.1f ms (%.2fx), settled %6.1f ms (%.2fx)\n", shown,
                median(listPainted), median(listPainted) / median(beatsPainted), median(listSettled),
                median(listSettled) / median(beatsSettled));

    MyDocument* document = program->documentController().openDocument(onList);
    runUntil([document] { return listFitted(*document); });
    runUntilIdle();
    const auto fitted = [document] { return listFitted(*document); };
    report("divider dragged, 8 px a step", dragTheDivider(*document, fitted));
    report("window resized, 8 px a step", resizeTheWindow(*document, fitted));
    document->window()->close();
    runUntilIdle();
    program->applicationShouldTerminate();
    program.reset();
    return 0;
}
