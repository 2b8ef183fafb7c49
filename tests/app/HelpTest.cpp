#include "AppFixture.h"

#include "app/AdviceWindow.h"
#include "app/AppActions.h"
#include "app/AutoTips.h"
#include "model/StoryGenres.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/Beatdb.h"
#include "panes/TitleLoglineView.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "platform/QtPlatform.h"
#include "support/StoryFixtures.h"
#include "support/TraceCapture.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

namespace {

QUrl pageUrl(const QString& key)
{
    return QUrl(QStringLiteral("qrc:/help/%1.htm").arg(key));
}

QStringList numbered(const QString& stem, int count, const QString& tail = QString())
{
    QStringList keys;
    for (int i = 1; i <= count; ++i)
        keys << stem + QString::number(i) + tail;
    return keys;
}

// Every topic the program asks for by itself: the beats, the story-element tables, the genre
// help of each genre, the colour codes and every automatic tip.
QStringList programTopics()
{
    QStringList keys = numbered("BEAT", 15);
    keys << "CHARACTERS" << "LOCATIONS" << "SETUPPAYOFF" << "GENRE" << "COLORCODE" << "SCENECARD" << "SCRIPT";
    for (const QString& genre : storyGenres()) {
        const QString name = genre.toUpper().remove(' ');
        keys << "GENRE" + name << "GENRE" + name + "POPUP";
    }
    keys << numbered("LOGLINEPOPUP", 8) << numbered("BEATSPOPUP", 6) << numbered("BOARDSECTION1POPUP", 7)
         << numbered("BOARDSECTION2POPUP", 7) << numbered("BOARDSECTION3POPUP", 5)
         << numbered("BOARDSECTION4POPUP", 5) << numbered("ATTABOYSTUCK", 3);
    return keys;
}

QString pageSource(const QString& key)
{
    QFile page(QStringLiteral(":/help/%1.htm").arg(key));
    return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
}

// A story ready for scene cards: title, current logline, genre and all fifteen beats filled in.
void completeTheBasics(Screenplaydb& story, const QString& genre = "Adventure")
{
    story.setScreenplayTitle("Kessler Pass");
    story.setGenre(genre);
    story.currentLogline()->setLogline("A retired guide must lead her estranged son over a closing pass.");
    for (auto& beat : story.beats())
        beat->setDescription("Something happens.");
}

void addCard(Screenplaydb& story, std::int64_t section, bool onBoard = true)
{
    auto card = std::make_unique<SceneCarddb>();
    card->setCurrentBeatSection(section);
    (onBoard ? story.sceneCards() : story.litterBox()).push_back(std::move(card));
}

// The keys the automatic tip gives over many seeds.
QSet<QString> tipsOverSeeds(Screenplaydb& story, int seeds = 400)
{
    QSet<QString> keys;
    for (int seed = 1; seed <= seeds; ++seed) {
        SeededRandom random(static_cast<quint32>(seed));
        keys.insert(AutoTips::autoTipKey(story, random));
    }
    return keys;
}

bool allMatch(const QSet<QString>& keys, const QString& pattern)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    for (const QString& key : keys)
        if (!expression.match(key).hasMatch())
            return false;
    return true;
}

} // namespace

// --- The pages ------------------------------------------------------------------------------------

TEST(HelpPages, EveryTopicTheProgramAsksForHasAPageThatLoads)
{
    AdviceWindow window;
    for (const QString& key : programTopics()) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_EQ(AdviceWindow::pageForTopic(key), ":/help/" + key + ".htm");
        window.showHelpForTopic(key);
        EXPECT_EQ(window.webDocument()->source(), pageUrl(key));
        // Real advice, not a stub: a heading and a few sentences.
        const QString text = window.webDocument()->toPlainText().simplified();
        EXPECT_GE(text.size(), 250) << text.toStdString();
        const QString html = pageSource(key);
        EXPECT_TRUE(html.contains("<h2>") || html.contains("<h1>"));
        // Every picture it shows and every topic it links to is there.
        static const QRegularExpression references(QStringLiteral("(?:src|href)=\"([^\"]+)\""));
        for (auto match = references.globalMatch(html); match.hasNext();) {
            const QString target = match.next().captured(1);
            EXPECT_TRUE(QFile::exists(":/help/" + target)) << target.toStdString();
        }
    }
}

TEST(HelpPages, GenreTopicsFollowTheGenreNames)
{
    EXPECT_EQ(AutoTips::genreHelpKey(""), "GENRE");
    EXPECT_EQ(AutoTips::genreHelpKey("Science Fiction"), "GENRESCIENCEFICTION");
    EXPECT_EQ(AutoTips::genreTipKey("Space Opera"), "GENRESPACEOPERAPOPUP");
    // Only letters and digits of a stored genre reach the name of a page.
    EXPECT_EQ(AutoTips::genreHelpKey("Rom-Com/../../etc passwd"), "GENREROMCOMETCPASSWD");
    EXPECT_EQ(AutoTips::genreTipKey("Sci-Fi 2"), "GENRESCIFI2POPUP");
}

// Each genre of the box has a page of its own, reached from the overview of all genres, and a
// tip that leads to that page; no two genres may share a page.
TEST(HelpPages, EveryGenreHasItsOwnPageLinkedFromTheOverview)
{
    const QString overview = pageSource("GENRE");
    QSet<QString> keys;
    for (const QString& genre : storyGenres()) {
        SCOPED_TRACE(genre.toStdString());
        const QString key = AutoTips::genreHelpKey(genre);
        EXPECT_FALSE(keys.contains(key));
        keys.insert(key);
        EXPECT_EQ(overview.count("href=\"" + key + ".htm\""), 1);
        EXPECT_TRUE(pageSource(key).contains("<h2>" + genre + "</h2>"));
        EXPECT_TRUE(pageSource(AutoTips::genreTipKey(genre)).contains("href=\"" + key + ".htm\""));
    }
}

// --- The advice window ----------------------------------------------------------------------------

TEST(AdviceWindowTest, OrangeTitledAndKeepsItsPageForATopicWithoutOne)
{
    AdviceWindow window;
    window.showHelpForTopic("BEAT4");
    EXPECT_EQ(window.windowTitle(), "Advice From The Zorvin");
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(255, 140, 0));
    const QString shown = window.webDocument()->toPlainText();
    ASSERT_FALSE(shown.isEmpty());

    for (const QString& key : {QString("NOSUCHTOPIC"), QString(), QString("../help/BEAT5"), QString("BEAT5.htm")}) {
        window.showHelpForTopic(key);
        EXPECT_EQ(window.webDocument()->source(), pageUrl("BEAT4")) << key.toStdString();
        EXPECT_EQ(window.webDocument()->toPlainText(), shown);
    }
    EXPECT_TRUE(AdviceWindow::pageForTopic("../help/BEAT5").isEmpty());
}

TEST(AdviceWindowTest, ShowAdviceMakesTheWindowOnceAndBringsItForward)
{
    std::unique_ptr<AdviceWindow> window;
    showAdvice(window, "NOSUCHTOPIC");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible()); // shown even without a page
    AdviceWindow* first = window.get();
    showAdvice(window, "SETUPPAYOFF");
    EXPECT_EQ(window.get(), first);
    EXPECT_EQ(window->webDocument()->source(), pageUrl("SETUPPAYOFF"));
}

TEST(AdviceWindowTest, TipsStandBesideTheStoryWindowAndClearOfTheTyping)
{
    const QRect screen(0, 0, 1440, 900);
    const QSize tip(520, 560);
    struct Case {
        const char* what;
        QRect story;
        QRect typing;
        QPoint expected;
    };
    const Case cases[] = {
        {"room on the right", QRect(0, 0, 800, 700), QRect(), QPoint(808, 0)},
        {"room on the left only", QRect(640, 20, 800, 700), QRect(700, 60, 300, 24), QPoint(112, 20)},
        {"no room beside it: over its right side", QRect(0, 0, 1440, 860), QRect(), QPoint(920, 150)},
        {"the typing on the right: over its left side", QRect(0, 0, 1440, 860), QRect(1000, 300, 200, 30),
         QPoint(0, 150)},
        {"typing across the window: below it", QRect(0, 0, 1440, 860), QRect(0, 300, 1440, 30), QPoint(920, 338)},
        {"a screen that does not start at 0", QRect(1500, 100, 600, 500), QRect(), QPoint(2108, 100)},
    };
    for (const Case& c : cases) {
        const QRect place = c.story.left() >= 1440 ? QRect(1440, 0, 1440, 900) : screen;
        const QPoint at = tipWindowPlace(c.story, tip, place, c.typing);
        EXPECT_EQ(at, c.expected) << c.what << ": " << at.x() << "," << at.y();
        EXPECT_TRUE(place.contains(QRect(at, tip))) << c.what;
        EXPECT_FALSE(QRect(at, tip).intersects(c.typing)) << c.what;
    }
}

// --- Choosing the automatic tip ---------------------------------------------------------------------

TEST(AutomaticTips, ANewStoryAlwaysGetsALoglineTip)
{
    NewStory fixture;
    Screenplaydb& story = fixture.story();
    EXPECT_FALSE(AutoTips::storyAcceptsSceneCards(story));
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 1);
    const QSet<QString> keys = tipsOverSeeds(story);
    EXPECT_TRUE(allMatch(keys, "LOGLINEPOPUP[1-8]"));
    EXPECT_EQ(keys.size(), 8); // each of the eight comes up
}

TEST(AutomaticTips, AStoryReadyForCardsWithoutAnyGetsLoglineAndBeatTips)
{
    NewStory fixture;
    Screenplaydb& story = fixture.story();
    completeTheBasics(story);
    addCard(story, 19, /*onBoard=*/false); // the Litter Box does not count
    EXPECT_TRUE(AutoTips::storyAcceptsSceneCards(story));
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 2);
    const QSet<QString> keys = tipsOverSeeds(story);
    EXPECT_TRUE(allMatch(keys, "LOGLINEPOPUP[1-8]|BEATSPOPUP[1-6]"));
    EXPECT_EQ(keys.size(), 14);
}

TEST(AutomaticTips, OneEmptyBeatKeepsAStoryWithoutCardsFromTakingThem)
{
    NewStory fixture;
    Screenplaydb& story = fixture.story();
    completeTheBasics(story);
    story.beats().back()->setDescription("");
    EXPECT_FALSE(AutoTips::storyAcceptsSceneCards(story));
    addCard(story, 1);
    EXPECT_TRUE(AutoTips::storyAcceptsSceneCards(story));
}

TEST(AutomaticTips, CardsInActThreeOnlyAddTheThirdCategory)
{
    NewStory fixture;
    Screenplaydb& story = fixture.story();
    story.setGenre("Science Fiction");
    addCard(story, 20);
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 3);
    const QSet<QString> keys = tipsOverSeeds(story, 1500);
    EXPECT_TRUE(allMatch(keys, "LOGLINEPOPUP[1-8]|BEATSPOPUP[1-6]|BOARDSECTION1POPUP[1-7]|GENRESCIENCEFICTIONPOPUP|"
                               "ATTABOYSTUCK[1-3]"));
    EXPECT_TRUE(keys.contains("BOARDSECTION1POPUP7"));
    EXPECT_TRUE(keys.contains("GENRESCIENCEFICTIONPOPUP"));
    EXPECT_TRUE(keys.contains("ATTABOYSTUCK3"));
}

TEST(AutomaticTips, EachActHoldingCardsAddsACategory)
{
    NewStory fixture;
    Screenplaydb& story = fixture.story();
    // The bars that open the two halves of act two (sections 8 and 13) count for no act.
    addCard(story, 8);
    addCard(story, 13);
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 2);
    addCard(story, 7);
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 3);
    addCard(story, 9);
    addCard(story, 12);
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 4);
    addCard(story, 18);
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 5);
    addCard(story, 19);
    EXPECT_EQ(AutoTips::tipCategoryCount(story), 6);
    const QSet<QString> keys = tipsOverSeeds(story, 3000);
    for (const char* act : {"BOARDSECTION2POPUP7", "BOARDSECTION3POPUP5", "BOARDSECTION4POPUP5"})
        EXPECT_TRUE(keys.contains(act)) << act;
    EXPECT_FALSE(keys.contains("BOARDSECTION3POPUP6"));
}

TEST(AutomaticTips, AStoryWithoutAGenreNeverGetsAGenreTip)
{
    NewStory fixture;
    Screenplaydb& story = fixture.story();
    for (const std::int64_t section : {1, 9, 14, 19})
        addCard(story, section);
    for (const QString& genre : {QString(), QString(" - ")}) {
        story.setGenre(genre);
        const QSet<QString> keys = tipsOverSeeds(story, 2000);
        for (const QString& key : keys)
            EXPECT_FALSE(key.startsWith("GENRE")) << key.toStdString();
        EXPECT_TRUE(keys.contains("ATTABOYSTUCK1"));
    }
}

TEST(AutomaticTips, TheGenreTipAndTheEncouragementsFollowTheDraw)
{
    NewStory fixture;
    Screenplaydb& story = fixture.story();
    story.setGenre("Space Opera");
    for (const std::int64_t section : {1, 9, 14, 19})
        addCard(story, section);
    // Each scripted number is the random value from 0; the tip adds one.
    const auto tipFor = [&story](std::deque<long> numbers) {
        ScriptedRandom random;
        random.numbers = std::move(numbers);
        return AutoTips::autoTipKey(story, random);
    };
    EXPECT_EQ(tipFor({2, 7}), "GENRESPACEOPERAPOPUP");   // act one, r 8
    EXPECT_EQ(tipFor({3, 8}), "ATTABOYSTUCK1");          // act two (1), r 9
    EXPECT_EQ(tipFor({3, 6}), "BOARDSECTION2POPUP7");
    EXPECT_EQ(tipFor({4, 5}), "GENRESPACEOPERAPOPUP");   // act two (2), r 6
    EXPECT_EQ(tipFor({5, 8}), "ATTABOYSTUCK3");          // act three, r 9
    EXPECT_EQ(tipFor({5, 4}), "BOARDSECTION4POPUP5");
    EXPECT_EQ(tipFor({0, 7}), "LOGLINEPOPUP8");
    EXPECT_EQ(tipFor({1, 5}), "BEATSPOPUP6");

    // Without a genre the genre tip is drawn again.
    story.setGenre("");
    ScriptedRandom random;
    random.numbers = {2, 7, 7, 0};
    EXPECT_EQ(AutoTips::autoTipKey(story, random), "BOARDSECTION1POPUP1");
    EXPECT_EQ(random.asked, (std::vector<long>{6, 11, 11, 11}));
}

TEST(AutomaticTips, RandomNumbersRunFromOneToN)
{
    SeededRandom random(7);
    QSet<long> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(AutoTips::randomNumberWithMax(random, 4));
    EXPECT_EQ(seen, (QSet<long>{1, 2, 3, 4}));
    EXPECT_EQ(AutoTips::randomNumberWithMax(random, 1), 1);
}

// --- The document's help and the tip at opening -------------------------------------------------------

class DocumentHelp : public AppFixture
{
protected:
    DocumentHelp() { automaticTips_ = true; }
    MyDocument* openStory()
    {
        startApplication();
        return app_->documentController().openDocument(makeStory("Help.vtrsf"));
    }
};

TEST_F(DocumentHelp, OneAdviceWindowShowsTheTopicOfEachHelpControl)
{
    MyDocument* document = openStory();
    ASSERT_NE(document, nullptr);
    document->showHelpForTopic("CHARACTERS");
    AdviceWindow* window = document->adviceWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->webDocument()->source(), pageUrl("CHARACTERS"));

    QPushButton help;
    help.setProperty(kHelpTopicProperty, "LOCATIONS");
    {
        TraceCapture trace;
        document->showHelp(&help);
        EXPECT_EQ(trace.lines(), QStringList{"vantora.app: get help for topic LOCATIONS"});
    }
    EXPECT_EQ(document->adviceWindow(), window);
    EXPECT_EQ(window->webDocument()->source(), pageUrl("LOCATIONS"));

    window->hide();
    document->showHelpForTopic("NOSUCHTOPIC");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->webDocument()->source(), pageUrl("LOCATIONS"));

    // The application keeps an advice window of its own.
    app_->showHelpForTopic("COLORCODE");
    ASSERT_NE(app_->adviceWindow(), nullptr);
    EXPECT_NE(app_->adviceWindow(), window);
    EXPECT_EQ(app_->adviceWindow()->webDocument()->source(), pageUrl("COLORCODE"));
    EXPECT_EQ(window->webDocument()->source(), pageUrl("LOCATIONS"));
}

TEST_F(DocumentHelp, AnOpenedStoryShowsOneTipASecondAfterItsWindowIsLaidOut)
{
    QElapsedTimer clock;
    clock.start();
    MyDocument* document = openStory();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->adviceWindow(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return document->adviceWindow() != nullptr; }, 3000));
    EXPECT_GE(clock.elapsed(), 950);
    const QString shown = document->adviceWindow()->webDocument()->source().toString();
    // A new story: only the logline tips fit.
    EXPECT_TRUE(QRegularExpression("^qrc:/help/LOGLINEPOPUP[1-8]\\.htm$").match(shown).hasMatch())
        << shown.toStdString();
    // Once only.
    document->adviceWindow()->hide();
    QTest::qWait(1200);
    EXPECT_FALSE(document->adviceWindow()->isVisible());
}

TEST_F(DocumentHelp, TheTipNeverCoversTheFieldBeingTypedIn)
{
    MyDocument* document = openStory();
    ASSERT_NE(document, nullptr);
    QApplication::setActiveWindow(document->window());
    document->titleLoglineView()->tfTitle()->setFocus();
    QWidget* typing = QApplication::focusWidget();
    ASSERT_NE(typing, nullptr);
    ASSERT_TRUE(document->window()->isAncestorOf(typing));
    ASSERT_TRUE(QTest::qWaitFor([&] { return document->adviceWindow() != nullptr; }, 3000));
    const QRect field(typing->mapToGlobal(QPoint(0, 0)), typing->size());
    EXPECT_FALSE(document->adviceWindow()->frameGeometry().intersects(field))
        << "tip at " << document->adviceWindow()->x() << "," << document->adviceWindow()->y();
    EXPECT_NE(document->adviceWindow()->pos(), document->window()->pos());
    // The tip leaves the keyboard where it was: the window system is asked to show it without
    // making it the active window. The offscreen platform makes every window it shows active
    // once its events run, so where the keyboard goes cannot be watched here.
    EXPECT_TRUE(document->adviceWindow()->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(DocumentHelp, NoTipWhenAutomaticTipsAreOff)
{
    startApplication();
    ASSERT_TRUE(app_->actions().mnuMPAutoTips->isChecked());
    app_->actions().mnuMPAutoTips->trigger();
    ASSERT_FALSE(app_->actions().mnuMPAutoTips->isChecked());
    MyDocument* document = app_->documentController().openDocument(makeStory("Quiet.vtrsf"));
    ASSERT_NE(document, nullptr);
    QTest::qWait(1300);
    EXPECT_EQ(document->adviceWindow(), nullptr);
}

TEST_F(DocumentHelp, ANewStoryGetsNoTip)
{
    startApplication();
    fakes_.filePanels->saveAnswers = {QDir(documents()).filePath("Brand New")};
    MyDocument* document = app_->documentController().newDocument();
    ASSERT_NE(document, nullptr);
    settle();
    ASSERT_NE(document->currentScreenplay(), nullptr);
    QTest::qWait(1300);
    EXPECT_EQ(document->adviceWindow(), nullptr);
}
