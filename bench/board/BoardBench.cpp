// The corkboard at 100, 1,000 and 10,000 cards (stories from bench/support/StoryGenerator.h),
// each benchmark beside its floor in the same run: opening a story to its painted board,
// building the board, making the card views, a zoom step, a scroll, a drag step and opening the
// large scene card. A floor does the same work the cheapest reasonable way: it reads the same
// rows and paints the same visible cards, at the places the board gives them, over the same cork,
// rules, labels and beat bars, straight into an image of the board's visible size with a QPainter.
// The opening floor first proves the file sound, as any open of a story file from other people
// must, with SQLite's full integrity check and the story's own rules, then reads the same rows
// with all their columns into plain structs; what either side spends closing the story again is
// not counted. Both report what SQLite's quick check and its full integrity check take on the
// same file (quick_check_ms, integrity_check_ms).
//
// `vantora_board_bench --memory=N` prints the resident memory with the N-card story open on its
// large scene card, alone in the process, and ends; `--story=N --to=FOLDER` only writes the
// N-card story into FOLDER (for trying it in the program).
#include "../support/BenchApplication.h"
#include "../support/PlainStory.h"
#include "../support/StoryGenerator.h"
#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "board/BoardImages.h"
#include "board/BoardView.h"
#include "model/CardPlacement.h"
#include "board/SceneCardView.h"
#include "model/AttachedObjectdb.h"
#include "model/BoardSections.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryFile.h"
#include "model/StoryLinkIndex.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegion>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include <unistd.h>

namespace {

struct Session {
    QTemporaryDir home;
    std::unique_ptr<AppController> application;
    // The story file of each size, a copy of it that is opened and closed, and a window kept
    // open on the first.
    std::map<int, QString> paths;
    std::map<int, QString> openedPaths;
    std::map<int, MyDocument*> documents;
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

MyDocument& documentOfSize(benchmark::State& state)
{
    return *session->documents.at(static_cast<int>(state.range(0)));
}

// What shows of the corkboard, painted as the window would paint it.
QImage paintVisibleBoard(MyDocument& document)
{
    QWidget* viewport = document.scrBoard()->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    viewport->render(&image);
    return image;
}

// --- The floor's means ---------------------------------------------------------------------------

// What a floor paints of one card, read from its row.
struct FloorCard {
    QString heading;
    QString description;
    QString emotionalChange;
    QString conflict;
    std::int64_t thumbnail = 0;
    QRect frame;
    QString pageNumber;
    // The pictures of the indicators in its title bar, left to right.
    std::vector<QString> indicators;
};

// One card painted the plain way: paper, edge, title bar with its indicators, thumb tack and
// buttons, heading, page number, red rule, text area with its two tabs, emotional change and
// conflict with their marks, and six stripes, and its thumbnail when it has one. Only what meets
// `shown` (all of it when empty) is drawn; the texts take the application's font, at
// `pointSize` points when one is given (a larger card has larger texts).
void paintFloorCard(QPainter& painter, const FloorCard& card, const QImage& thumbnail, const QRect& shown = QRect(),
                    int pointSize = 0)
{
    // The fonts of each size, made once.
    static std::map<int, std::pair<QFont, QFont>> fonts;
    auto found = fonts.find(pointSize);
    if (found == fonts.end()) {
        QFont regular = QApplication::font();
        if (pointSize > 0)
            regular.setPointSize(pointSize);
        QFont bold = regular;
        bold.setBold(true);
        found = fonts.emplace(pointSize, std::pair{regular, bold}).first;
    }
    const QFont& regular = found->second.first;
    const QFont& bold = found->second.second;
    static const QPixmap tack = boardImage(QStringLiteral("SceneCardThumbDown"));
    const QRect frame = card.frame;
    const auto shows = [&shown](const QRect& part) { return shown.isEmpty() || part.intersects(shown); };
    const auto at = [&frame](int x, int y, int width, int height) { return QRect(frame.x() + x, frame.y() + y, width, height); };
    painter.fillRect(frame, Qt::white);
    painter.setPen(QColor(0x8A, 0x86, 0x80));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.fillRect(frame.x(), frame.y(), frame.width(), 25, QColor(0xEC, 0xEA, 0xE4));
    for (std::size_t index = 0; index < card.indicators.size(); ++index) {
        const QRect icon = at(6 + 29 * static_cast<int>(index), 1, 23, 23);
        if (shows(icon))
            painter.drawPixmap(icon, boardImage(card.indicators[index]));
    }
    const QRect pin = at((frame.width() - 23) / 2, 1, 23, 23);
    if (shows(pin))
        painter.drawPixmap(pin, tack);
    painter.setPen(Qt::black);
    painter.setFont(regular);
    for (const auto& [x, label] : {std::pair{frame.width() - 40, QStringLiteral("?")},
                                   std::pair{frame.width() - 20, QStringLiteral("\u00D7")}})
        if (shows(at(x, 4, 16, 16)))
            painter.drawText(at(x, 4, 16, 16), Qt::AlignCenter, label);
    painter.setFont(bold);
    const QRect heading(frame.x() + 10, frame.y() + 25, frame.width() - 52, 20);
    if (shows(heading))
        painter.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(card.heading, Qt::ElideRight, heading.width()));
    painter.fillRect(frame.x() + 9, frame.y() + 45, frame.width() - 9, 1, Qt::red);
    painter.setFont(regular);
    const QRect page = at(frame.width() - 40, 25, 36, 20);
    if (shows(page))
        painter.drawText(page, Qt::AlignRight | Qt::AlignVCenter, card.pageNumber);
    int textLeft = frame.x() + 12;
    if (!thumbnail.isNull()) {
        painter.drawImage(QRect(frame.x() + 12, frame.y() + 50, 56, 56), thumbnail);
        textLeft += 60;
    }
    const QRect text(textLeft, frame.y() + 48, frame.right() - 18 - textLeft, frame.height() - 86);
    if (shows(text))
        painter.drawText(text, Qt::TextWordWrap, card.description);
    for (const auto& [y, letter] : {std::pair{48, QStringLiteral("D")}, std::pair{70, QStringLiteral("N")}}) {
        const QRect tab = at(frame.width() - 16, y, 14, 20);
        if (!shows(tab))
            continue;
        painter.fillRect(tab, letter == QLatin1String("D") ? QColor(205, 133, 63) : QColor(Qt::white));
        painter.drawText(tab, Qt::AlignCenter, letter);
    }
    const QRect change(frame.x() + 50, frame.bottom() - 38, frame.width() - 52, 20);
    const QRect conflict(frame.x() + 50, frame.bottom() - 19, frame.width() - 52, 20);
    for (const auto& [mark, label] : {std::pair{change, QStringLiteral("+/-")}, std::pair{conflict, QStringLiteral("><")}}) {
        const QRect box(frame.x() + 12, mark.y(), 36, mark.height());
        if (shows(box))
            painter.drawText(box, Qt::AlignCenter, label);
    }
    if (shows(change))
        painter.drawText(change, Qt::AlignLeft | Qt::AlignVCenter, card.emotionalChange);
    if (shows(conflict))
        painter.drawText(conflict, Qt::AlignLeft | Qt::AlignVCenter, card.conflict);
    const int stripe = (frame.height() - 25) / 6;
    for (int index = 0; index < 6; ++index)
        painter.fillRect(frame.x(), frame.y() + 25 + index * stripe, 9, stripe + 1, Qt::white);
}

// The pictures of a card's title bar, left to right: characters, location, set-ups and
// pay-offs (each map holds, per card, whether one of its set-ups or pay-offs is unlinked).
std::vector<QString> indicatorsOf(std::int64_t key, bool cast, bool located,
                                  const std::unordered_map<std::int64_t, bool>& setups,
                                  const std::unordered_map<std::int64_t, bool>& payoffs)
{
    std::vector<QString> indicators;
    if (cast)
        indicators.push_back(QStringLiteral("CharactersInScene"));
    if (located)
        indicators.push_back(QStringLiteral("LocationOfScene"));
    if (const auto setup = setups.find(key); setup != setups.end())
        indicators.push_back(setup->second ? QStringLiteral("SetupsWithOutPayoffs") : QStringLiteral("SetupsWithPayoffs"));
    if (const auto payoff = payoffs.find(key); payoff != payoffs.end())
        indicators.push_back(payoff->second ? QStringLiteral("PayoffsWithoutSetups")
                                            : QStringLiteral("PayoffsWithSetups"));
    return indicators;
}

// The story's board cards as a floor reads them, at the places the board gives them, with what
// lies on each for its indicators.
std::vector<FloorCard> floorCards(Screenplaydb& story)
{
    std::unordered_map<std::int64_t, std::int64_t> thumbnails;
    for (const auto& link : story.sceneCardObjects())
        if (link->primaryDisplayFlag() == 1)
            thumbnails.try_emplace(link->sceneCardID(), link->attachedObjectID());
    std::unordered_set<std::int64_t> cast;
    for (const auto& link : story.sceneCardCharacters())
        cast.insert(link->sceneCardID());
    std::unordered_map<std::int64_t, bool> setups;
    for (const auto& setup : story.sceneSetups())
        setups[setup->sceneCardID()] |= setup->scenePayoffID() == 0;
    std::unordered_map<std::int64_t, bool> payoffs;
    for (const auto& payoff : story.scenePayoffs())
        payoffs[payoff->sceneCardID()] |= payoff->sceneSetupID() == 0;
    const QSize size(static_cast<int>(story.boardSections().STANDARDSCENECARDWIDTH()),
                     static_cast<int>(story.boardSections().STANDARDSCENECARDHEIGHT()));
    std::vector<FloorCard> cards;
    cards.reserve(story.sceneCards().size());
    for (const auto& card : story.sceneCards()) {
        const std::int64_t key = card->sceneCardID();
        const auto found = thumbnails.find(key);
        FloorCard shown{card->heading(), card->description(), card->emotionalChange(), card->conflict(),
                        found == thumbnails.end() ? 0 : found->second, QRect(cardOrigin(story.boardSections(), *card), size),
                        QString::number(card->pageNumber()), {}};
        shown.indicators = indicatorsOf(key, cast.count(key) > 0, card->sceneLocationID() >= 1, setups, payoffs);
        cards.push_back(std::move(shown));
    }
    return cards;
}

// What the board draws besides its cards, at the places the open board gives them: the rules,
// and the section labels and beat bars with their texts and fills (none for a label).
struct FloorMarks {
    std::vector<QRect> rules;
    struct Text {
        QRect frame;
        QString text;
        QColor fill;
    };
    std::vector<Text> texts;
};

FloorMarks boardMarks(MyDocument& document)
{
    FloorMarks marks;
    const QWidget* board = document.boardView() ? document.boardView()->view() : nullptr;
    if (!board)
        return marks;
    for (const QObject* child : board->children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        if (!widget)
            continue;
        if (widget->metaObject() == &QFrame::staticMetaObject)
            marks.rules.push_back(widget->geometry());
        else if (const auto* label = qobject_cast<const QLabel*>(widget))
            marks.texts.push_back({label->geometry(), label->text(),
                                   label->autoFillBackground() ? label->palette().color(QPalette::Window) : QColor()});
    }
    return marks;
}

// Paints the cards that lie in `visible` (board coordinates) into `image` as a window shows
// them: later cards lie above earlier ones, so a card wholly covered is skipped and one partly
// covered paints only what shows of it, its texts outside that left out; each thumbnail
// painted is decoded once.
void paintVisibleFloorWith(QImage& image, const std::function<QByteArray(std::int64_t)>& thumbnailOf,
                           const std::vector<FloorCard>& cards, const QRect& visible, const FloorMarks& marks,
                           int pointSize = 0)
{
    static const QBrush cork(boardImage(QStringLiteral("cork_repeating_02")));
    std::vector<std::pair<const FloorCard*, QRegion>> shown;
    QRegion covered;
    for (auto card = cards.rbegin(); card != cards.rend(); ++card) {
        const QRect frame = card->frame & visible;
        if (frame.isEmpty())
            continue;
        const QRegion uncovered = QRegion(frame) - covered;
        if (uncovered.isEmpty())
            continue;
        shown.emplace_back(&*card, uncovered);
        covered += frame;
    }
    QPainter painter(&image);
    painter.translate(-visible.topLeft());
    painter.fillRect(visible, cork);
    for (const QRect& rule : marks.rules)
        if (rule.intersects(visible))
            painter.fillRect(rule, Qt::black);
    painter.setPen(Qt::white);
    for (const FloorMarks::Text& text : marks.texts) {
        if (!text.frame.intersects(visible))
            continue;
        if (text.fill.isValid())
            painter.fillRect(text.frame, text.fill);
        painter.drawText(text.frame, Qt::AlignCenter, text.text);
    }
    for (auto each = shown.rbegin(); each != shown.rend(); ++each) {
        const FloorCard& card = *each->first;
        QImage thumbnail;
        const QRect picture(card.frame.x() + 12, card.frame.y() + 50, 56, 56);
        if (card.thumbnail != 0 && each->second.intersects(picture))
            thumbnail = QImage::fromData(thumbnailOf(card.thumbnail));
        painter.setClipRegion(each->second);
        paintFloorCard(painter, card, thumbnail, each->second.boundingRect(), pointSize);
    }
}

void paintVisibleFloor(QImage& image, Screenplaydb& story, const std::vector<FloorCard>& cards, const QRect& visible,
                       const FloorMarks& marks, int pointSize = 0)
{
    const auto thumbnailOf = [&story](std::int64_t key) {
        const AttachedObjectdb* attachment = story.attachmentForID(key);
        return attachment ? attachment->getThumbnail().value_or(QByteArray()) : QByteArray();
    };
    paintVisibleFloorWith(image, thumbnailOf, cards, visible, marks, pointSize);
}

QSize visibleSize(benchmark::State& state)
{
    return documentOfSize(state).scrBoard()->viewport()->size();
}

void countCards(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Milliseconds one run of `pragma` takes on the file at `path` (the best of three), beside the
// opening: SQLite's quick check and its full integrity check at each story size.
double checkMilliseconds(const QString& path, const char* pragma)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        DatabaseConnection connection = StoryFile::open(path);
        sqlite3_exec(connection.get(), "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
        const auto start = std::chrono::steady_clock::now();
        sqlite3_exec(connection.get(), pragma, nullptr, nullptr, nullptr);
        const double took =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        best = run == 0 ? took : std::min(best, took);
    }
    return best;
}

void countChecks(benchmark::State& state, const QString& path)
{
    state.counters["quick_check_ms"] = checkMilliseconds(path, "PRAGMA quick_check");
    state.counters["integrity_check_ms"] = checkMilliseconds(path, "PRAGMA integrity_check");
}

// --- Opening a story to its painted board --------------------------------------------------------

void BM_OpenBoard(benchmark::State& state)
{
    const QString path = session->openedPaths.at(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        MyDocument* document = session->application->documentController().openDocument(path);
        if (!document || !document->scrBoard()) {
            state.SkipWithError("the story did not open on its corkboard");
            return;
        }
        benchmark::DoNotOptimize(paintVisibleBoard(*document).constBits());
        state.PauseTiming();
        document->window()->close();
        settle();
        state.ResumeTiming();
    }
    countCards(state);
    countChecks(state, path);
}

// The story's board cards as the opening floor reads them (plain rows), at the places its
// board gives them, with what lies on each for its indicators.
std::vector<FloorCard> floorCards(const PlainStory::Story& story, const BoardSections& sections)
{
    std::unordered_map<std::int64_t, std::int64_t> thumbnails;
    for (const auto& link : story.sceneCardObjects)
        if (link.primaryDisplayFlag == 1)
            thumbnails.try_emplace(link.sceneCardID, link.attachedObjectID);
    std::unordered_set<std::int64_t> cast;
    for (const auto& link : story.sceneCardCharacters)
        cast.insert(link.sceneCardID);
    std::unordered_map<std::int64_t, bool> setups;
    for (const auto& setup : story.setups)
        setups[setup.sceneCardID] |= setup.scenePayoffID == 0;
    std::unordered_map<std::int64_t, bool> payoffs;
    for (const auto& payoff : story.payoffs)
        payoffs[payoff.sceneCardID] |= payoff.sceneSetupID == 0;
    const QSize size(static_cast<int>(sections.STANDARDSCENECARDWIDTH()),
                     static_cast<int>(sections.STANDARDSCENECARDHEIGHT()));
    std::vector<FloorCard> cards;
    cards.reserve(story.board.size());
    for (const auto& card : story.board) {
        const std::int64_t key = card.sceneCardID;
        const auto found = thumbnails.find(key);
        const float width = static_cast<float>(sections.boardWidthForBoardBeatSection(card.currentBeatSection));
        const QPoint origin(static_cast<int>(static_cast<float>(card.percentageHorizontal) * width + 4.0f),
                            static_cast<int>(static_cast<float>(card.percentageVertical) *
                                             static_cast<float>(story.row.boardHeight)));
        FloorCard shown{card.heading, card.description, card.emotionalChange, card.conflict,
                        found == thumbnails.end() ? 0 : found->second, QRect(origin, size),
                        QString::number(card.pageNumber), {}};
        shown.indicators = indicatorsOf(key, cast.count(key) > 0, card.sceneLocationID >= 1, setups, payoffs);
        cards.push_back(std::move(shown));
    }
    return cards;
}

// What the story's window shows besides its board, read once from the window the program opened:
// its menus with their commands (made once and shared by every window, as the program's are), the
// tool bar's buttons, the genres offered, the number of bars in the Litter Box, and the window's
// size.
struct FloorWindowParts {
    struct Menu {
        QString title;
        QStringList commands;
    };
    std::vector<Menu> menus;
    std::vector<std::unique_ptr<QMenu>> sharedMenus;
    // A null text stands for a separator.
    QStringList toolButtons;
    QStringList genres;
    int litterBoxBars = 0;
    QSize size;
};

FloorWindowParts windowParts(MyDocument& document)
{
    FloorWindowParts parts;
    QWidget* window = document.window();
    parts.size = window->size();
    if (const auto* bar = window->findChild<QMenuBar*>()) {
        for (QAction* title : bar->actions()) {
            FloorWindowParts::Menu menu{title->text(), {}};
            if (const QMenu* commands = title->menu())
                for (QAction* command : commands->actions())
                    menu.commands.push_back(command->isSeparator() ? QString() : command->text());
            parts.menus.push_back(std::move(menu));
        }
    }
    for (const FloorWindowParts::Menu& each : parts.menus) {
        auto& menu = parts.sharedMenus.emplace_back(std::make_unique<QMenu>(each.title));
        for (const QString& command : each.commands) {
            if (command.isNull())
                menu->addSeparator();
            else
                menu->addAction(command);
        }
    }
    if (const auto* tools = window->findChild<QToolBar*>())
        for (QAction* button : tools->actions())
            parts.toolButtons.push_back(button->isSeparator() ? QString() : button->text());
    if (const auto* genres = window->findChild<QComboBox*>())
        for (int row = 0; row < genres->count(); ++row)
            parts.genres.push_back(genres->itemText(row));
    if (const QScrollArea* litterBox = document.scrLitterBox(); litterBox && litterBox->widget())
        parts.litterBoxBars = static_cast<int>(litterBox->widget()->findChildren<QFrame*>().size());
    return parts;
}

// The story's window made the plain way and shown: the menus and the tool bar, the title pane
// (title, genre, pages, logline), the story elements with the beat sheet in a table, the Litter
// Box's bars, and the board's scroll area between them, in splitters; answers the board's
// viewport, which the floor then paints.
std::unique_ptr<QMainWindow> floorWindow(const FloorWindowParts& parts, const PlainStory::Story& story)
{
    auto window = std::make_unique<QMainWindow>();
    window->resize(parts.size);
    for (const auto& menu : parts.sharedMenus)
        window->menuBar()->addMenu(menu.get());
    QToolBar* tools = window->addToolBar(QStringLiteral("Tools"));
    for (const QString& button : parts.toolButtons) {
        if (button.isNull())
            tools->addSeparator();
        else
            tools->addAction(button);
    }
    auto* rows = new QSplitter(Qt::Vertical);
    auto* titlePane = new QWidget;
    auto* titleFields = new QGridLayout(titlePane);
    titleFields->addWidget(new QLabel(QStringLiteral("Title:")), 0, 0);
    titleFields->addWidget(new QLineEdit(story.row.screenplayTitle), 0, 1);
    titleFields->addWidget(new QLabel(QStringLiteral("Genre:")), 0, 2);
    auto* genre = new QComboBox;
    genre->setEditable(true);
    genre->addItems(parts.genres);
    genre->setEditText(story.row.genre);
    titleFields->addWidget(genre, 0, 3);
    titleFields->addWidget(new QLabel(QStringLiteral("Pages:")), 0, 4);
    titleFields->addWidget(new QLineEdit(QString::number(story.row.pageCount)), 0, 5);
    titleFields->addWidget(new QLabel(QStringLiteral("Logline:")), 1, 0);
    QString logline;
    for (const auto& line : story.loglines)
        if (line.currentLoglineFlag == 1)
            logline = line.logline;
    titleFields->addWidget(new QPlainTextEdit(logline), 1, 1, 1, 5);
    rows->addWidget(titlePane);
    auto* columns = new QSplitter(Qt::Horizontal);
    auto* elements = new QWidget;
    auto* elementRows = new QVBoxLayout(elements);
    auto* sectionTitles = new QHBoxLayout;
    for (const QString& section : {QStringLiteral("Beats"), QStringLiteral("Characters"), QStringLiteral("Locations"),
                                   QStringLiteral("Set-Ups"), QStringLiteral("Pay-Offs")})
        sectionTitles->addWidget(new QLabel(section));
    elementRows->addLayout(sectionTitles);
    auto* beats = new QTableWidget(static_cast<int>(story.beats.size()), 1);
    for (std::size_t row = 0; row < story.beats.size(); ++row)
        beats->setItem(static_cast<int>(row), 0,
                       new QTableWidgetItem(QStringLiteral("%1. %2").arg(story.beats[row].beatNumber)
                                                .arg(story.beats[row].description)));
    elementRows->addWidget(beats);
    columns->addWidget(elements);
    auto* board = new QScrollArea;
    auto* boardSurface = new QWidget;
    boardSurface->resize(static_cast<int>(story.row.boardWidth), static_cast<int>(story.row.boardHeight));
    board->setWidget(boardSurface);
    columns->addWidget(board);
    auto* litterBox = new QScrollArea;
    auto* bars = new QWidget;
    auto* barRows = new QVBoxLayout(bars);
    for (int bar = 0; bar < parts.litterBoxBars; ++bar)
        barRows->addWidget(new QLabel(story.beats.empty() ? QString()
                                                          : story.beats[static_cast<std::size_t>(bar) %
                                                                        story.beats.size()].description));
    litterBox->setWidget(bars);
    columns->addWidget(litterBox);
    rows->addWidget(columns);
    window->setCentralWidget(rows);
    window->show();
    return window;
}

void BM_OpenBoard_Floor(benchmark::State& state)
{
    const QString path = session->openedPaths.at(static_cast<int>(state.range(0)));
    QImage image(visibleSize(state), QImage::Format_ARGB32_Premultiplied);
    const FloorMarks marks = boardMarks(documentOfSize(state));
    const FloorWindowParts parts = windowParts(documentOfSize(state));
    for (auto _ : state) {
        // A story file comes from other people: like every open of one, the floor proves the
        // file sound before it reads it, with SQLite's full integrity check and the story's
        // own rules, and a cache that holds the story for the reading that follows. Then the
        // rows the story loads, every column, into plain structs, in the story's orders.
        sqlite3* handle = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
        DatabaseConnection connection(handle);
        sqlite3_exec(handle, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
        try {
            StoryFile::checkStory(path, handle);
        } catch (const StoryFileRefused&) {
            state.SkipWithError("the story file is not sound");
            return;
        }
        auto story = std::make_unique<PlainStory::Story>(PlainStory::read(handle));
        BoardSections sections;
        sections.setPageCount(story->row.pageCount);
        sections.setBoardZoomFactor(story->row.boardZoomFactor == 0 ? 1 : story->row.boardZoomFactor);
        sections.setBoardPanelWidth(story->row.boardWidth);
        sections.setBoardPanelHeight(story->row.boardHeight);
        std::vector<FloorCard> cards = floorCards(*story, sections);
        // The window the story opens in, shown, with its board's viewport painted below.
        std::unique_ptr<QMainWindow> window = floorWindow(parts, *story);
        sqlite3_stmt* thumbnail = nullptr;
        sqlite3_prepare_v2(handle, "SELECT Thumbnail FROM AttachedObject WHERE AttachedObjectID=?", -1, &thumbnail,
                           nullptr);
        const auto thumbnailOf = [thumbnail](std::int64_t key) {
            sqlite3_bind_int64(thumbnail, 1, key);
            QByteArray bytes;
            if (sqlite3_step(thumbnail) == SQLITE_ROW)
                bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(thumbnail, 0)),
                                   sqlite3_column_bytes(thumbnail, 0));
            sqlite3_reset(thumbnail);
            return bytes;
        };
        paintVisibleFloorWith(image, thumbnailOf, cards, QRect(QPoint(0, 0), image.size()), marks);
        sqlite3_finalize(thumbnail);
        benchmark::DoNotOptimize(image.constBits());
        // As with the program's window closing beside it, taking the window and the story down
        // again is not counted.
        state.PauseTiming();
        window.reset();
        settle();
        cards = {};
        story.reset();
        connection.close();
        state.ResumeTiming();
    }
    countCards(state);
    countChecks(state, path);
}

// --- Building the board of an open story ---------------------------------------------------------

void BM_BoardBuild(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    for (auto _ : state) {
        document.shutDownTheBoard();
        document.showTheBoard();
        benchmark::DoNotOptimize(paintVisibleBoard(document).constBits());
        state.PauseTiming();
        settle();
        state.ResumeTiming();
    }
    countCards(state);
}

// Gives each card its frame at the board's card size, from its stored place, and the picture it
// shows, read from what lies on the cards.
void placeFloorCards(Screenplaydb& story, std::vector<FloorCard>& cards)
{
    std::unordered_map<std::int64_t, std::int64_t> thumbnails;
    for (const auto& link : story.sceneCardObjects())
        if (link->primaryDisplayFlag() == 1)
            thumbnails.try_emplace(link->sceneCardID(), link->attachedObjectID());
    const QSize size(static_cast<int>(story.boardSections().STANDARDSCENECARDWIDTH()),
                     static_cast<int>(story.boardSections().STANDARDSCENECARDHEIGHT()));
    const auto& rows = story.sceneCards();
    for (std::size_t index = 0; index < cards.size() && index < rows.size(); ++index) {
        const auto found = thumbnails.find(rows[index]->sceneCardID());
        cards[index].thumbnail = found == thumbnails.end() ? 0 : found->second;
        cards[index].frame = QRect(cardOrigin(story.boardSections(), *rows[index]), size);
    }
}

// A build keeps the card views, and with them their texts, from one board to the next; what it
// does again is place every card and paint what shows. The floor does the same: the cards'
// texts read once, then each iteration every card placed from its row, its picture looked up,
// and what shows painted.
void BM_BoardBuild_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    std::vector<FloorCard> cards = floorCards(story);
    QImage image(visibleSize(state), QImage::Format_ARGB32_Premultiplied);
    const FloorMarks marks = boardMarks(document);
    for (auto _ : state) {
        placeFloorCards(story, cards);
        paintVisibleFloor(image, story, cards, QRect(QPoint(0, 0), image.size()), marks);
        benchmark::DoNotOptimize(image.constBits());
    }
    countCards(state);
}

// --- Card views: one per card, filled from its card ----------------------------------------------

void BM_CardViews(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    for (auto _ : state) {
        std::vector<std::unique_ptr<SceneCardView>> views;
        views.reserve(story.sceneCards().size());
        // As the window makes them: what lies on the cards read once for all of them.
        const StoryLinkIndex links(story);
        for (const auto& card : story.sceneCards()) {
            views.push_back(std::make_unique<SceneCardView>(&document, &story));
            views.back()->setScene(card.get(), links);
        }
        benchmark::DoNotOptimize(views.data());
        state.PauseTiming();
        views.clear();
        settle();
        state.ResumeTiming();
    }
    countCards(state);
}

// What a card shows, read into values for every card: the same rows, no widgets.
void BM_CardViews_Floor(benchmark::State& state)
{
    Screenplaydb& story = *documentOfSize(state).currentScreenplay();
    for (auto _ : state) {
        std::vector<FloorCard> cards = floorCards(story);
        benchmark::DoNotOptimize(cards.data());
    }
    countCards(state);
}

// --- A zoom step: zoom 1 to 2 and back, the visible board painted after each -----------------------

void BM_ZoomStep(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    const AppActions& menus = session->application->actions();
    QAction* const steps[] = {menus.mnuBZLarger, menus.mnuBZNormal};
    int step = 0;
    for (auto _ : state) {
        document.zoomTheBoard(steps[step]);
        step = 1 - step;
        benchmark::DoNotOptimize(paintVisibleBoard(document).constBits());
        state.PauseTiming();
        settle();
        state.ResumeTiming();
    }
    if (step == 1)
        document.zoomTheBoard(steps[1]);
    countCards(state);
}

// The same steps the plain way: the new zoom factor written to the story's row (one UPDATE),
// the board's size and card size for it, every card placed again at that size, and what shows
// painted with the cards' texts at that zoom's size, over the rules, labels and bars the board
// shows at that zoom (read from the board at each zoom before the timing).
void BM_ZoomStep_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    const AppActions& menus = session->application->actions();
    struct Zoom {
        std::int64_t factor;
        QSize board;
        FloorMarks marks;
        int pointSize;
    };
    std::array<Zoom, 2> zooms;
    for (Zoom& zoom : zooms) {
        document.zoomTheBoard(&zoom == &zooms[0] ? menus.mnuBZLarger : menus.mnuBZNormal);
        settle();
        const QSize board(static_cast<int>(story.boardWidth()), static_cast<int>(story.boardHeight()));
        zoom = {story.boardZoomFactor(), board, boardMarks(document), &zoom == &zooms[0] ? 14 : 12};
    }
    if (zooms[0].factor == zooms[1].factor) {
        state.SkipWithError("the zoom did not change the card size");
        return;
    }
    std::vector<FloorCard> cards = floorCards(story);
    QImage image(visibleSize(state), QImage::Format_ARGB32_Premultiplied);
    BoardSections& sections = story.boardSections();
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(story.database(), "UPDATE Screenplay SET BoardZoomFactor=? WHERE ScreenplayID=?", -1, &update,
                       nullptr);
    std::size_t step = 0;
    for (auto _ : state) {
        const Zoom& zoom = zooms[step];
        step = 1 - step;
        sqlite3_bind_int64(update, 1, zoom.factor);
        sqlite3_bind_int64(update, 2, story.screenplayID());
        sqlite3_step(update);
        sqlite3_reset(update);
        sections.setBoardZoomFactor(zoom.factor);
        sections.setBoardPanelWidth(zoom.board.width());
        sections.setBoardPanelHeight(zoom.board.height());
        placeFloorCards(story, cards);
        paintVisibleFloor(image, story, cards, QRect(QPoint(0, 0), image.size()), zoom.marks, zoom.pointSize);
        benchmark::DoNotOptimize(image.constBits());
    }
    // The story's row and board are as the window shows them.
    sqlite3_bind_int64(update, 1, story.boardZoomFactor());
    sqlite3_bind_int64(update, 2, story.screenplayID());
    sqlite3_step(update);
    sqlite3_finalize(update);
    sections.setBoardZoomFactor(story.boardZoomFactor());
    sections.setBoardPanelWidth(story.boardWidth());
    sections.setBoardPanelHeight(story.boardHeight());
    countCards(state);
}

// --- A scroll: the board moves by one visible width, right and back --------------------------------

void BM_Scroll(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    QScrollBar* bar = document.scrBoard()->horizontalScrollBar();
    const int step = document.scrBoard()->viewport()->width();
    int direction = 1;
    for (auto _ : state) {
        bar->setValue(bar->value() + direction * step);
        direction = -direction;
        benchmark::DoNotOptimize(paintVisibleBoard(document).constBits());
    }
    bar->setValue(0);
    countCards(state);
}

void BM_Scroll_Floor(benchmark::State& state)
{
    Screenplaydb& story = *documentOfSize(state).currentScreenplay();
    const std::vector<FloorCard> cards = floorCards(story);
    QImage image(visibleSize(state), QImage::Format_ARGB32_Premultiplied);
    const FloorMarks marks = boardMarks(documentOfSize(state));
    int direction = 1;
    for (auto _ : state) {
        const QRect visible(QPoint(direction > 0 ? image.width() : 0, 0), image.size());
        direction = -direction;
        paintVisibleFloor(image, story, cards, visible, marks);
        benchmark::DoNotOptimize(image.constBits());
    }
    countCards(state);
}

// --- A drag step: the card under the mouse moves, its page and board beat follow, it is saved ------

void BM_DragStep(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
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
        benchmark::DoNotOptimize(paintVisibleBoard(document).constBits());
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

// The card's new place, page and board beat written to its row, and what shows painted again.
void BM_DragStep_Floor(benchmark::State& state)
{
    Screenplaydb& story = *documentOfSize(state).currentScreenplay();
    std::vector<FloorCard> cards = floorCards(story);
    const std::int64_t key = story.sceneCards().front()->sceneCardID();
    QImage image(visibleSize(state), QImage::Format_ARGB32_Premultiplied);
    const FloorMarks marks = boardMarks(documentOfSize(state));
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(story.database(),
                       "UPDATE SceneCard SET PositionLeft=?, PageNumber=?, CurrentBeatSection=? WHERE SceneCardID=?",
                       -1, &update, nullptr);
    int direction = 1;
    for (auto _ : state) {
        cards.front().frame.translate(40 * direction, 0);
        sqlite3_bind_int64(update, 1, cards.front().frame.x());
        sqlite3_bind_int64(update, 2, 1 + (direction > 0 ? 1 : 0));
        sqlite3_bind_int64(update, 3, 1);
        sqlite3_bind_int64(update, 4, key);
        sqlite3_step(update);
        sqlite3_reset(update);
        direction = -direction;
        paintVisibleFloor(image, story, cards, QRect(QPoint(0, 0), image.size()), marks);
        benchmark::DoNotOptimize(image.constBits());
    }
    sqlite3_finalize(update);
}

// --- Opening the large scene card on the board's first card ------------------------------------------

void BM_OpenLargeCard(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    for (auto _ : state) {
        document.openBigSceneCard(story.sceneCards().front().get());
        // What opening the card changes on screen: the board pane it takes over.
        QWidget* pane = document.boardPane();
        QImage image(pane->size(), QImage::Format_ARGB32_Premultiplied);
        pane->render(&image);
        benchmark::DoNotOptimize(image.constBits());
        state.PauseTiming();
        document.closeBigSceneCard();
        settle();
        state.ResumeTiming();
    }
    countCards(state);
}

// A small card of the strip under the large card, 236 x 100 at `at`, in plain painter calls:
// its box, six colour stripes, heading and page in a line, the description in whole lines, the
// emotional change and the conflict each behind its mark.
void paintFloorSmallCard(QPainter& painter, QPoint at, const SceneCarddb& card)
{
    static const auto font = [](bool bold) {
        QFont made = QApplication::font();
        made.setPixelSize(11);
        made.setBold(bold);
        return made;
    };
    static const QFont regular = font(false);
    static const QFont bold = font(true);
    const auto box = [&at](int x, int y, int width, int height) { return QRect(at.x() + x, at.y() + y, width, height); };
    painter.fillRect(box(0, 0, 236, 100), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(box(0, 0, 235, 99));
    for (int stripe = 0; stripe < 6; ++stripe)
        painter.fillRect(box(0, stripe * 16, 6, 16), QColor::fromHsv(stripe * 50, 120, 230));
    painter.setFont(bold);
    painter.drawText(box(10, 2, 188, 16), Qt::AlignLeft | Qt::AlignTop, card.heading());
    painter.setFont(regular);
    painter.drawText(box(198, 2, 34, 16), Qt::AlignRight | Qt::AlignTop, QString::number(card.pageNumber()));
    const int lines = painter.fontMetrics().lineSpacing();
    painter.drawText(box(10, 18, 222, (48 / lines) * lines), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     card.description());
    painter.fillRect(box(10, 66, 22, 15), Qt::lightGray);
    painter.drawText(box(10, 66, 22, 15), Qt::AlignCenter, QStringLiteral("+/-"));
    painter.drawText(box(34, 66, 198, 16), Qt::AlignLeft | Qt::AlignTop, card.emotionalChange());
    painter.drawText(box(10, 82, 22, 16), Qt::AlignCenter, QStringLiteral("><"));
    painter.drawText(box(34, 82, 198, 16), Qt::AlignLeft | Qt::AlignTop, card.conflict());
}

// The same card opened the plain way: the story's row told which card is open (one UPDATE of a
// changed row, so it reaches the disk as the program's does), a window of the board pane's size
// with the card's buttons, its fields in plain editors, its colour labels and indicator buttons,
// a notes tab (the story's locations with the card's chosen, start, end, notes) showing and a
// script tab read from the card's rows into a text editor a paragraph at a time, the window
// rendered, and the small cards that show in the strip painted along its foot.
void BM_OpenLargeCard_Floor(benchmark::State& state)
{
    MyDocument& document = documentOfSize(state);
    Screenplaydb& story = *document.currentScreenplay();
    const SceneCarddb& card = *story.sceneCards().front();
    const QSize size = document.boardPane()->size();
    sqlite3_stmt* script = nullptr;
    sqlite3_prepare_v2(story.database(), "SELECT ScriptText FROM ScriptPart WHERE SceneCardID=? ORDER BY SortOrder",
                       -1, &script, nullptr);
    sqlite3_stmt* opened = nullptr;
    sqlite3_prepare_v2(story.database(), "UPDATE Screenplay SET BigSceneView=1, BigSceneSceneCardID=?", -1, &opened,
                       nullptr);
    sqlite3_stmt* closed = nullptr;
    sqlite3_prepare_v2(story.database(), "UPDATE Screenplay SET BigSceneView=0, BigSceneSceneCardID=0", -1, &closed,
                       nullptr);
    for (auto _ : state) {
        // Closed again between opens, as the program's card is: each open writes a changed row.
        state.PauseTiming();
        sqlite3_step(closed);
        sqlite3_reset(closed);
        state.ResumeTiming();
        sqlite3_bind_int64(opened, 1, card.sceneCardID());
        sqlite3_step(opened);
        sqlite3_reset(opened);
        QWidget window;
        window.resize(size);
        auto* fields = new QGridLayout(&window);
        // The card's buttons, its fields, its six colour labels and its indicator buttons.
        auto* buttons = new QHBoxLayout;
        for (const char* title : {"Previous Card", "Next Card", "Delete Card", "Close"})
            buttons->addWidget(new QPushButton(QString::fromLatin1(title)));
        fields->addLayout(buttons, 0, 0, 1, 2);
        fields->addWidget(new QLineEdit(card.heading()), 1, 0);
        fields->addWidget(new QLineEdit(QString::number(card.pageNumber())), 1, 1);
        fields->addWidget(new QPlainTextEdit(card.description()), 2, 0);
        fields->addWidget(new QLineEdit(card.emotionalChange()), 3, 0);
        fields->addWidget(new QLineEdit(card.conflict()), 4, 0);
        auto* marks = new QHBoxLayout;
        for (int mark = 0; mark < 6; ++mark)
            marks->addWidget(new QLabel(QString::number(mark + 1)));
        for (const char* indicator : {"C", "L", "S", "P"})
            marks->addWidget(new QPushButton(QString::fromLatin1(indicator)));
        fields->addLayout(marks, 5, 0, 1, 2);
        // The tabs: the notes tab with the card's location, its start and end, and its notes.
        auto* tabs = new QTabWidget;
        auto* notesTab = new QWidget;
        auto* notesFields = new QGridLayout(notesTab);
        notesFields->addWidget(new QLabel(QStringLiteral("Location")), 0, 0);
        // Every location of the story to choose from, the card's own chosen.
        auto* locations = new QComboBox;
        QStringList names{QStringLiteral("None")};
        int chosen = 0;
        for (const auto& location : story.sceneLocations()) {
            if (location->sceneLocationID() == card.sceneLocationID())
                chosen = static_cast<int>(names.size());
            names.push_back(location->location());
        }
        locations->addItems(names);
        locations->setCurrentIndex(chosen);
        notesFields->addWidget(locations, 0, 1);
        for (int row = 1; row <= 2; ++row) {
            notesFields->addWidget(new QLabel(row == 1 ? QStringLiteral("Starts") : QStringLiteral("Ends")), row, 0);
            notesFields->addWidget(new QLineEdit, row, 1);
            notesFields->addWidget(new QPushButton(QStringLiteral("Change...")), row, 2);
        }
        notesFields->addWidget(new QPlainTextEdit(card.notes()), 3, 0, 1, 3);
        tabs->addTab(notesTab, QStringLiteral("Notes"));
        auto* scriptEditor = new QTextEdit;
        QTextCursor cursor(scriptEditor->document());
        sqlite3_bind_int64(script, 1, card.sceneCardID());
        bool first = true;
        while (sqlite3_step(script) == SQLITE_ROW) {
            if (!first)
                cursor.insertBlock();
            first = false;
            cursor.insertText(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(script, 0))));
        }
        sqlite3_reset(script);
        tabs->addTab(scriptEditor, QStringLiteral("Script"));
        fields->addWidget(tabs, 6, 0, 1, 2);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        window.render(&image);
        // The strip along the window's foot: as many small cards as fit across it, each as big as
        // the window's and with the same parts.
        QPainter painter(&image);
        for (std::size_t index = 0; index < story.sceneCards().size(); ++index) {
            const QPoint at(3 + 242 * static_cast<int>(index), image.height() - 108);
            if (at.x() > image.width())
                break;
            paintFloorSmallCard(painter, at, *story.sceneCards()[index]);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    sqlite3_finalize(opened);
    sqlite3_finalize(closed);
    sqlite3_finalize(script);
    // The story's row is as the window left it.
    story.setBigSceneView(0);
    story.setBigSceneSceneCardID(0);
    story.save();
    countCards(state);
}

void sizes(benchmark::internal::Benchmark* bench)
{
    for (const int cards : StoryGenerator::kSizes)
        bench->Arg(cards);
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OpenBoard)->Apply(sizes);
BENCHMARK(BM_OpenBoard_Floor)->Apply(sizes);
BENCHMARK(BM_BoardBuild)->Apply(sizes);
BENCHMARK(BM_BoardBuild_Floor)->Apply(sizes);
BENCHMARK(BM_CardViews)->Apply(sizes);
BENCHMARK(BM_CardViews_Floor)->Apply(sizes);
BENCHMARK(BM_ZoomStep)->Apply(sizes);
BENCHMARK(BM_ZoomStep_Floor)->Apply(sizes);
BENCHMARK(BM_Scroll)->Apply(sizes);
BENCHMARK(BM_Scroll_Floor)->Apply(sizes);
BENCHMARK(BM_DragStep)->Apply(sizes);
BENCHMARK(BM_DragStep_Floor)->Apply(sizes);
BENCHMARK(BM_OpenLargeCard)->Apply(sizes);
BENCHMARK(BM_OpenLargeCard_Floor)->Apply(sizes);

// Opens the `cards` story alone on its large scene card and prints the resident memory.
int printMemory(Session& bench, int cards)
{
    const QString documents = QDir(bench.home.path()).filePath(QStringLiteral("Documents"));
    const QString path = StoryGenerator::generate(documents, bench.application->masterFilePath(), cards);
    const double before = residentMegabytes();
    MyDocument* document = bench.application->documentController().openDocument(path);
    if (!document || document->currentScreenplay()->sceneCards().empty())
        return 1;
    settle();
    document->openBigSceneCard(document->currentScreenplay()->sceneCards().front().get());
    settle();
    std::printf("resident memory, %d-card story open on its large card: %.1f MB (%.1f MB before it opened; "
                "file %.1f MB)\n",
                cards, residentMegabytes(), before,
                static_cast<double>(QFileInfo(path).size()) / (1024.0 * 1024.0));
    return 0;
}

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
    QString storyFolder;
    for (int index = 1; index < argc; ++index)
        if (QByteArray(argv[index]).startsWith("--to="))
            storyFolder = QString::fromLocal8Bit(QByteArray(argv[index]).mid(5));
    for (int index = 1; index < argc; ++index) {
        const QByteArray option(argv[index]);
        if (option.startsWith("--story=") && !storyFolder.isEmpty()) {
            std::printf("%s\n", qPrintable(StoryGenerator::generate(storyFolder, bench.application->masterFilePath(),
                                                                     option.mid(8).toInt())));
            bench.application->applicationShouldTerminate();
            bench.application.reset();
            return 0;
        }
        if (option.startsWith("--memory=")) {
            const int result = printMemory(bench, option.mid(9).toInt());
            bench.application->applicationShouldTerminate();
            bench.application.reset();
            return result;
        }
    }
    const QString documents = QDir(bench.home.path()).filePath(QStringLiteral("Documents"));
    for (const int cards : StoryGenerator::kSizes) {
        bench.paths[cards] = StoryGenerator::generate(documents, bench.application->masterFilePath(), cards);
        bench.openedPaths[cards] = QDir(documents).filePath(QStringLiteral("Opened%1.vtrsf").arg(cards));
        QFile::remove(bench.openedPaths[cards]);
        QFile::copy(bench.paths[cards], bench.openedPaths[cards]);
        MyDocument* document = bench.application->documentController().openDocument(bench.paths[cards]);
        if (!document || !document->boardView()) {
            std::fprintf(stderr, "the %d-card story did not open on its corkboard\n", cards);
            return 1;
        }
        bench.documents[cards] = document;
        settle();
    }
    return runBenchmarks(argc, argv, bench.application);
}
