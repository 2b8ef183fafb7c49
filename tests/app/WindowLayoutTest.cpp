#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "app/StoryWindow.h"
#include "board/BoardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/CharacterDetailView.h"
#include "panes/ItemsTableView.h"
#include "panes/LocationDetailView.h"
#include "panes/SetupPayoffTableView.h"
#include "panes/TitleLoglineView.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneView.h"
#include "support/SqlProbe.h"
#include "support/StoredTables.h"
#include "support/TraceCapture.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSplitterHandle>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <array>
#include <iostream>
#include <iterator>
#include <vector>

namespace {

const QString kFirstLayoutDividers = QStringLiteral(
    "UPDATE Screenplay SET LogLineSplitterDistance = 13, BeatsSplitterDistance = 35, "
    "GeneralNotesSplitterDistance = 80, BoardSplitterDistance = 80");

// The whole percentage of the split view's extent less one that its first pane takes.
int percentageShown(const MainSplitView* splitView)
{
    return splitView->paneExtent(0) * 100 / (splitView->extent() - 1);
}

// The size a zoomed window takes on the screen.
QSize zoomedSize(QWidget* window)
{
    const QMargins frame = window->windowHandle()->frameMargins();
    return QGuiApplication::primaryScreen()->availableGeometry().marginsRemoved(frame).size();
}

} // namespace

class WindowLayout : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
    }

    // A story file with some fields of its Screenplay row set ("Column = value, ..."). A story
    // given a window state code was laid out before, with the dividers of a first layout
    // unless the assignments say otherwise.
    QString story(const QString& name, const QString& assignments = QString())
    {
        const QString path = makeStory(name + QStringLiteral(".vtrsf"));
        DatabaseConnection connection = StoryFile::open(path);
        if (assignments.contains(QLatin1String("WindowState")))
            SqlProbe::exec(connection.get(), kFirstLayoutDividers);
        if (!assignments.isEmpty())
            SqlProbe::exec(connection.get(), QStringLiteral("UPDATE Screenplay SET ") + assignments);
        return path;
    }

    // A story laid out before in a window that fills a screen of that size but for a task bar.
    QString storyOnScreen(const QString& name, int width, int height)
    {
        return story(name + QString::number(width),
                     QStringLiteral("WindowState = 101111, ParentWindowWidth = %1, ParentWindowHeight = %2")
                         .arg(width)
                         .arg(height - 40));
    }

    // Adds a card to the board of a story file and answers its key.
    static std::int64_t addBoardCard(const QString& path)
    {
        Screenplaydb story;
        story.initWithFile(path);
        story.hydrate();
        SceneCarddb card;
        card.setScreenplayID(story.screenplayID());
        card.setOnBoard(1);
        card.insertIntoDatabase(&story);
        story.closeDatabase();
        return card.sceneCardID();
    }

    MyDocument* open(const QString& path)
    {
        MyDocument* document = app_->documentController().openDocument(path);
        settle();
        return document;
    }

    MyDocument* reopen(MyDocument* document)
    {
        const QString path = document->thisFileName();
        document->window()->close();
        settle();
        return open(path);
    }

    static QString stored(const QString& path, const QString& column)
    {
        DatabaseConnection connection = StoryFile::open(path);
        return SqlProbe::scalar(connection.get(), QStringLiteral("SELECT %1 FROM Screenplay").arg(column));
    }

    AppActions& menus() { return app_->actions(); }
};

// --- Window state code and the layout built from it --------------------------------------------

TEST_F(WindowLayout, NewStoryOpensZoomedWithEverySectionAndTheDefaultDividers)
{
    const QString path = story("Fresh");
    ASSERT_EQ(stored(path, "WindowState"), "2");
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    Screenplaydb* screenplay = document->currentScreenplay();

    EXPECT_TRUE(document->window()->isMaximized());
    EXPECT_EQ(document->window()->size(), zoomedSize(document->window()));
    EXPECT_EQ(screenplay->windowState(), 201111);
    EXPECT_EQ(screenplay->logLineSplitterDistance(), 13);
    EXPECT_EQ(screenplay->beatsSplitterDistance(), 35);
    EXPECT_EQ(screenplay->generalNotesSplitterDistance(), 80);
    EXPECT_EQ(screenplay->boardSplitterDistance(), 80);

    EXPECT_EQ(percentageShown(document->splTitle()), 13);
    EXPECT_NEAR(document->splTitle()->paneExtent(0), 0.13 * (document->splTitle()->extent() - 1), 1.0);
    EXPECT_EQ(percentageShown(document->splNotes()), 80);
    EXPECT_EQ(percentageShown(document->splBeats()), 35);
    EXPECT_EQ(document->splBoard()->paneExtent(0), document->splBoard()->extent() - 298);

    ASSERT_NE(document->titleLoglineView(), nullptr);
    EXPECT_TRUE(document->titleLoglineView()->view()->isVisible());
    ASSERT_NE(document->generalNotesView(), nullptr);
    EXPECT_EQ(document->generalNotesView()->objectName(), "GeneralNotesView");
    ASSERT_NE(document->beatSectionTable(), nullptr);
    EXPECT_EQ(document->beatSectionTable()->objectName(), "BeatsTableView");
    ASSERT_NE(document->litterBoxView(), nullptr);
    ASSERT_NE(document->boardView(), nullptr);
    EXPECT_EQ(document->scrBoard()->widget(), document->boardView()->view());
    EXPECT_FALSE(document->titleIsHidden() || document->beatsIsHidden() || document->notesIsHidden() ||
                 document->litterBoxIsHidden());

    EXPECT_EQ(menus().mnuToggleTitle->text(), "Hide Title/Logline");
    EXPECT_EQ(menus().mnuToggleBeats->text(), "Hide Beats");
    EXPECT_EQ(menus().mnuToggleLitterBox->text(), "Hide Litter Box");
    EXPECT_EQ(menus().mnuToggleGeneralNotes->text(), "Hide General Notes");
    EXPECT_FALSE(menus().mnuRestoreView->isVisible());
    EXPECT_FALSE(document->window()->tbRestoreView()->isVisible());
    EXPECT_EQ(stored(path, "WindowState"), "201111");

    const int titleExtent = document->splTitle()->paneExtent(0);
    document = reopen(document);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->currentScreenplay()->windowState(), 201111);
    EXPECT_EQ(document->splTitle()->paneExtent(0), titleExtent);
    EXPECT_EQ(document->currentScreenplay()->logLineSplitterDistance(), 13);
}

TEST_F(WindowLayout, CollapsedTitleOpensAtTheStoredSize)
{
    const QString path = story("Collapsed", "WindowState = 100111, ParentWindowWidth = 900, ParentWindowHeight = 600");
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_FALSE(document->window()->isMaximized());
    EXPECT_EQ(document->window()->size(), QSize(900, 600));
    EXPECT_EQ(document->splTitle()->paneExtent(0), 0);
    EXPECT_EQ(document->titleLoglineView(), nullptr);
    EXPECT_TRUE(document->titleIsHidden());
    EXPECT_EQ(menus().mnuToggleTitle->text(), "Show Title/Logline");
    EXPECT_FALSE(document->window()->tbLogline()->isVisible());
    EXPECT_FALSE(menus().mnuSLoglineNew->isVisible());
    EXPECT_FALSE(menus().mnuSLoglineFromTemplate->isVisible());
    EXPECT_EQ(document->currentScreenplay()->windowState(), 100111);
}

TEST_F(WindowLayout, SmallStoredWindowGrowsToTheLeastSize)
{
    const QString path = story("Tiny", "WindowState = 101111, ParentWindowWidth = 500, ParentWindowHeight = 200");
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->window()->size(), QSize(748, 300));
    EXPECT_EQ(document->currentScreenplay()->parentWindowWidth(), 748);
    EXPECT_EQ(document->currentScreenplay()->parentWindowHeight(), 300);
    EXPECT_EQ(stored(path, "ParentWindowWidth || 'x' || ParentWindowHeight"), "748x300");

    document = reopen(document);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->window()->size(), QSize(748, 300));
}

TEST_F(WindowLayout, CodesOfAnyOtherFormAreLaidOutAfresh)
{
    const QString dividers = QStringLiteral(", LogLineSplitterDistance = 40, BeatsSplitterDistance = 50, "
                                            "GeneralNotesSplitterDistance = 60, BoardSplitterDistance = 70");
    for (const char* code : {"0", "1011", "-5", "1234567"}) {
        SCOPED_TRACE(code);
        const QString path =
            story(QStringLiteral("Odd%1").arg(code), QStringLiteral("WindowState = ") + code + dividers);
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        Screenplaydb* screenplay = document->currentScreenplay();
        EXPECT_EQ(screenplay->windowState(), 101111);
        EXPECT_FALSE(document->window()->isMaximized());
        EXPECT_EQ(screenplay->logLineSplitterDistance(), 13);
        EXPECT_EQ(screenplay->beatsSplitterDistance(), 35);
        EXPECT_EQ(screenplay->generalNotesSplitterDistance(), 80);
        EXPECT_EQ(screenplay->boardSplitterDistance(), 80);
        document->window()->close();
        settle();
    }
}

TEST_F(WindowLayout, StoredFullBoardViewShowsOnlyTheBoard)
{
    const QString path = story("Board", "WindowState = 131111, ParentWindowWidth = 1000, ParentWindowHeight = 700");
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(document->specialViewConfigured());
    EXPECT_EQ(document->whichSpecialView(), 3);
    EXPECT_EQ(document->splTitle()->paneExtent(0), 0);
    EXPECT_EQ(document->splBeats()->paneExtent(0), 0);
    EXPECT_EQ(document->splBoard()->paneExtent(1), 0);
    EXPECT_EQ(document->splNotes()->paneExtent(1), 0);
    EXPECT_EQ(document->titleLoglineView(), nullptr);
    EXPECT_EQ(document->generalNotesView(), nullptr);
    EXPECT_NE(document->boardView(), nullptr);
    // The layout hides the section toggles only when the board is hidden.
    EXPECT_TRUE(menus().mnuToggleTitle->isVisible());
    EXPECT_TRUE(document->window()->tbToggleTitleLogline()->isVisible());
    EXPECT_TRUE(menus().mnuRestoreView->isVisible());
    EXPECT_TRUE(document->window()->tbRestoreView()->isVisible());
}

TEST_F(WindowLayout, MenuCheckMarksFollowTheStory)
{
    const QString path = story("Marks", "WindowState = 101111, StandardFontSetting = 2, BoardZoomFactor = 3, "
                                        "A3x5IncludeNotes = 0, R4x6IncludeCharacters = 0");
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(menus().mnuMFSLarger->isChecked());
    EXPECT_TRUE(menus().mnuBZEvenBigger->isChecked());
    EXPECT_FALSE(menus().mnuRA3x5IncludeNotes->isChecked());
    EXPECT_TRUE(menus().mnuRA3x5IncludeCharacters->isChecked());
    EXPECT_FALSE(menus().mnuR4x6IncludeCharacters->isChecked());
    EXPECT_TRUE(menus().mnuR4x6IncludeNotes->isChecked());
    EXPECT_TRUE(menus().mnuRBCIncludeNotes->isChecked());
    EXPECT_EQ(document->lblLitterBox()->font().pixelSize(), 13);
    EXPECT_TRUE(document->optSelectPayoffs()->font().bold());

    const QString unzoomed = story("Unzoomed", "WindowState = 101111, BoardZoomFactor = 0");
    document = open(unzoomed);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->currentScreenplay()->boardZoomFactor(), 1);
    EXPECT_TRUE(menus().mnuBZNormal->isChecked());
    // The items are shared: the story opened before keeps no mark in them.
    EXPECT_FALSE(menus().mnuBZEvenBigger->isChecked());
    EXPECT_FALSE(menus().mnuMFSLarger->isChecked());
}

// --- Board presentation ------------------------------------------------------------------------

TEST_F(WindowLayout, LargeSceneCardReopensOnlyWhileItsCardIsOnTheBoard)
{
    const QString path = story("Big", "WindowState = 101111, ParentWindowWidth = 1600, ParentWindowHeight = 900");
    const std::int64_t card = addBoardCard(path);
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(),
                       QStringLiteral("UPDATE Screenplay SET BigSceneView = 1, BigSceneSceneCardID = %1").arg(card));
    }
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    ASSERT_NE(document->bigSceneView(), nullptr);
    EXPECT_EQ(document->boardView(), nullptr);
    EXPECT_FALSE(document->window()->tbToggleListCorkView()->isVisible());
    EXPECT_FALSE(menus().mnuVBoard->isVisible());
    EXPECT_FALSE(menus().mnuPPBoardSize->isVisible());

    // The card's frame follows the board pane: centred at most 870 wide, never below 700.
    MainSplitView* beats = document->splBeats();
    auto boardPaneWidth = [&](int width) {
        beats->setPosition(beats->extent() - beats->handleWidth() - 298 - width);
        settle();
    };
    boardPaneWidth(1000);
    ASSERT_EQ(document->boardPane()->width(), 1000);
    const int paneHeight = document->boardPane()->height();
    ASSERT_GE(paneHeight - 130, 421);
    EXPECT_EQ(document->bigSceneView()->geometry(), QRect(65, 0, 870, paneHeight - 130));
    boardPaneWidth(600);
    ASSERT_EQ(document->boardPane()->width(), 600);
    EXPECT_EQ(document->bigSceneView()->geometry(), QRect(0, 0, 700, paneHeight - 130));

    // The card is gone: the story opens on the corkboard.
    document->window()->close();
    settle();
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), QStringLiteral("UPDATE Screenplay SET BigSceneSceneCardID = 9999"));
    }
    document = open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->bigSceneView(), nullptr);
    EXPECT_NE(document->boardView(), nullptr);
    EXPECT_EQ(document->currentScreenplay()->bigSceneView(), 0);
    EXPECT_EQ(document->currentScreenplay()->bigSceneSceneCardID(), 0);
}

TEST_F(WindowLayout, ListViewOpensOnlyWithCardsOnTheBoard)
{
    const QString empty = story("EmptyList", "WindowState = 101111, BoardView = 2");
    MyDocument* document = open(empty);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->currentScreenplay()->boardView(), 1);
    EXPECT_NE(document->boardView(), nullptr);
    EXPECT_EQ(document->boardListViewView(), nullptr);
    EXPECT_EQ(menus().mnuToggleBoardView->text(), "List View");
    EXPECT_TRUE(menus().mnuBZoom->isVisible());
    document->window()->close();
    settle();

    const QString listed = story("List", "WindowState = 101111, BoardView = 2");
    addBoardCard(listed);
    document = open(listed);
    ASSERT_NE(document, nullptr);
    EXPECT_NE(document->boardListViewView(), nullptr);
    EXPECT_EQ(document->boardView(), nullptr);
    EXPECT_EQ(menus().mnuToggleBoardView->text(), "Corkboard View");
    EXPECT_FALSE(menus().mnuBZoom->isVisible());
    EXPECT_FALSE(menus().mnuPPBSIncreaseWidth->isEnabled());
    EXPECT_EQ(document->window()->tbToggleListCorkView()->property("imageName").toString(), "CorkboardView");
    // A board with a card takes more cards.
    EXPECT_TRUE(document->window()->tbAddSceneCard()->isVisible());
}

// --- Section commands --------------------------------------------------------------------------

class SectionCommands : public WindowLayout
{
protected:
    void SetUp() override
    {
        WindowLayout::SetUp();
        path_ = story("Sections", "WindowState = 101111, ParentWindowWidth = 1200, ParentWindowHeight = 800");
        document_ = open(path_);
        ASSERT_NE(document_, nullptr);
    }

    QList<QList<int>> dividers() const
    {
        return {document_->splTitle()->sizes(), document_->splNotes()->sizes(), document_->splBeats()->sizes(),
                document_->splBoard()->sizes()};
    }

    QString path_;
    MyDocument* document_ = nullptr;
};

TEST_F(SectionCommands, TogglingEachSectionFlipsItsDigitAndMenuTitle)
{
    struct Toggle {
        QAction* command;
        int digit;
        QAction* item;
        QString shown;
        QString hidden;
    };
    StoryWindow* window = document_->window();
    const std::vector<Toggle> toggles{
        {menus().mnuToggleTitle, 2, menus().mnuToggleTitle, "Hide Title/Logline", "Show Title/Logline"},
        {window->tbToggleBeats(), 3, menus().mnuToggleBeats, "Hide Beats", "Show Beats"},
        {menus().mnuToggleLitterBox, 4, menus().mnuToggleLitterBox, "Hide Litter Box", "Show Litter Box"},
        {window->tbToggleNotes(), 5, menus().mnuToggleGeneralNotes, "Hide General Notes", "Show General Notes"},
    };
    const auto before = dividers();
    for (const Toggle& toggle : toggles) {
        SCOPED_TRACE(toggle.digit);
        toggle.command->trigger();
        QString code = QString::number(document_->currentScreenplay()->windowState());
        EXPECT_EQ(code.at(toggle.digit), QLatin1Char('0'));
        EXPECT_EQ(stored(path_, "WindowState"), code);
        EXPECT_EQ(toggle.item->text(), toggle.hidden);
        toggle.command->trigger();
        code = QString::number(document_->currentScreenplay()->windowState());
        EXPECT_EQ(code, "101111");
        EXPECT_EQ(toggle.item->text(), toggle.shown);
        EXPECT_EQ(dividers(), before);
    }
}

TEST_F(SectionCommands, CollapsedSectionsStayCollapsedAfterReopening)
{
    const QList<int> boardBefore = document_->splBoard()->sizes();
    menus().mnuToggleLitterBox->trigger();
    EXPECT_EQ(document_->splBoard()->paneExtent(1), 0);
    EXPECT_EQ(document_->litterBoxView(), nullptr);
    EXPECT_TRUE(document_->litterBoxIsHidden());
    menus().mnuToggleGeneralNotes->trigger();
    EXPECT_EQ(document_->splNotes()->paneExtent(1), 0);
    EXPECT_EQ(document_->scrNotes(), nullptr);
    EXPECT_FALSE(menus().mnuPPNotesSize->isVisible());
    menus().mnuToggleBeats->trigger();
    EXPECT_EQ(document_->splBeats()->paneExtent(0), 0);
    EXPECT_EQ(document_->beatSectionTable(), nullptr);
    EXPECT_EQ(stored(path_, "WindowState"), "101000");

    document_ = reopen(document_);
    ASSERT_NE(document_, nullptr);
    EXPECT_EQ(document_->currentScreenplay()->windowState(), 101000);
    EXPECT_EQ(document_->splBoard()->paneExtent(1), 0);
    EXPECT_EQ(document_->splNotes()->paneExtent(1), 0);
    EXPECT_EQ(document_->splBeats()->paneExtent(0), 0);
    EXPECT_EQ(menus().mnuToggleLitterBox->text(), "Show Litter Box");
    EXPECT_EQ(menus().mnuToggleGeneralNotes->text(), "Show General Notes");
    EXPECT_EQ(menus().mnuToggleBeats->text(), "Show Beats");

    menus().mnuToggleLitterBox->trigger();
    EXPECT_EQ(document_->splBoard()->paneExtent(0), document_->splBoard()->extent() - 298);
}

TEST_F(SectionCommands, FullBoardViewAndRestoreGiveBackTheNormalLayout)
{
    const auto before = dividers();
    menus().mnuFullBoardView->trigger();
    EXPECT_EQ(document_->currentScreenplay()->windowState(), 131111);
    EXPECT_EQ(document_->whichSpecialView(), 3);
    EXPECT_TRUE(document_->specialViewConfigured());
    EXPECT_FALSE(menus().mnuToggleTitle->isVisible());
    EXPECT_FALSE(document_->window()->tbToggleNotes()->isVisible());
    EXPECT_TRUE(menus().mnuRestoreView->isVisible());
    EXPECT_TRUE(document_->window()->tbRestoreView()->isVisible());
    EXPECT_EQ(document_->splTitle()->paneExtent(0), 0);
    EXPECT_EQ(document_->splBoard()->paneExtent(1), 0);
    EXPECT_NE(document_->boardView(), nullptr);

    document_->window()->tbRestoreView()->trigger();
    EXPECT_EQ(document_->currentScreenplay()->windowState(), 101111);
    EXPECT_EQ(stored(path_, "WindowState"), "101111");
    EXPECT_FALSE(document_->specialViewConfigured());
    EXPECT_EQ(document_->whichSpecialView(), 0);
    EXPECT_FALSE(menus().mnuRestoreView->isVisible());
    EXPECT_FALSE(document_->window()->tbRestoreView()->isVisible());
    EXPECT_TRUE(menus().mnuToggleTitle->isVisible());
    EXPECT_EQ(dividers(), before);
}

TEST_F(SectionCommands, FullSectionViewsShowOneSectionAndHideTheBoard)
{
    menus().mnuFullTitleView->trigger();
    EXPECT_EQ(document_->currentScreenplay()->windowState(), 111111);
    EXPECT_EQ(document_->splTitle()->paneExtent(1), 0);
    ASSERT_NE(document_->titleLoglineView(), nullptr);
    EXPECT_EQ(document_->boardView(), nullptr);
    EXPECT_FALSE(menus().mnuVBoard->isVisible());
    EXPECT_FALSE(document_->window()->tbAddSceneCard()->isVisible());
    EXPECT_FALSE(menus().mnuToggleBeats->isVisible());

    menus().mnuFullBeatsView->trigger();
    EXPECT_EQ(document_->currentScreenplay()->windowState(), 121111);
    EXPECT_EQ(document_->splTitle()->paneExtent(0), 0);
    EXPECT_EQ(document_->splBeats()->paneExtent(1), 0);
    EXPECT_EQ(document_->titleLoglineView(), nullptr);
    EXPECT_NE(document_->beatSectionTable(), nullptr);

    document_->window()->tbFullNotesView()->trigger();
    EXPECT_EQ(document_->currentScreenplay()->windowState(), 141111);
    EXPECT_EQ(document_->splNotes()->paneExtent(0), 0);
    EXPECT_NE(document_->generalNotesView(), nullptr);
    EXPECT_EQ(document_->beatSectionTable(), nullptr);

    document_ = reopen(document_);
    ASSERT_NE(document_, nullptr);
    EXPECT_EQ(document_->whichSpecialView(), 4);
    EXPECT_EQ(document_->splNotes()->paneExtent(0), 0);
    EXPECT_TRUE(menus().mnuRestoreView->isVisible());
}

TEST_F(SectionCommands, SendersThatAreNoCommandChangeNothing)
{
    document_->toggleSection(menus().mnuFullBoardView);
    document_->fullSectionView(menus().mnuToggleTitle);
    document_->toggleSection(nullptr);
    EXPECT_EQ(document_->currentScreenplay()->windowState(), 101111);
}

// --- Dividers ----------------------------------------------------------------------------------

TEST_F(SectionCommands, MovingADividerStoresItsPercentageWithinItsLimits)
{
    Screenplaydb* screenplay = document_->currentScreenplay();
    MainSplitView* title = document_->splTitle();
    title->setPosition(30);
    EXPECT_EQ(title->paneExtent(0), 70);
    EXPECT_EQ(screenplay->logLineSplitterDistance(), 70 * 100 / (title->extent() - 1));
    {
        TraceCapture trace;
        title->setPosition(300);
        // Before the panes change size and after, once for each split view that changed.
        const QStringList resizes = trace.lines().filter(QStringLiteral("resize"));
        ASSERT_GE(resizes.size(), 2);
        EXPECT_EQ(resizes.front(), "vantora.app: will resize");
        EXPECT_EQ(resizes.back(), "vantora.app: did resize splitview");
        EXPECT_EQ(resizes.count("vantora.app: will resize"), resizes.count("vantora.app: did resize splitview"));
    }
    EXPECT_EQ(title->paneExtent(0), 300);
    EXPECT_EQ(screenplay->logLineSplitterDistance(), 300 * 100 / (title->extent() - 1));

    MainSplitView* beats = document_->splBeats();
    beats->setPosition(50);
    EXPECT_EQ(beats->paneExtent(0), 200);
    EXPECT_EQ(screenplay->beatsSplitterDistance(), 200 * 100 / (beats->extent() - 1));

    MainSplitView* board = document_->splBoard();
    board->setPosition(100);
    EXPECT_EQ(board->paneExtent(0), board->extent() - 298);
    EXPECT_EQ(screenplay->boardSplitterDistance(), percentageShown(board));

    MainSplitView* notes = document_->splNotes();
    notes->setPosition(notes->extent() / 2);
    EXPECT_EQ(screenplay->generalNotesSplitterDistance(), percentageShown(notes));
    EXPECT_EQ(stored(path_, "LogLineSplitterDistance || ',' || BeatsSplitterDistance"),
              QStringLiteral("%1,%2")
                  .arg(screenplay->logLineSplitterDistance())
                  .arg(screenplay->beatsSplitterDistance()));

    // The percentages bring the dividers back on the next opening.
    const std::int64_t titleDistance = screenplay->logLineSplitterDistance();
    const std::int64_t notesDistance = screenplay->generalNotesSplitterDistance();
    document_ = reopen(document_);
    ASSERT_NE(document_, nullptr);
    EXPECT_EQ(percentageShown(document_->splTitle()), titleDistance);
    EXPECT_EQ(percentageShown(document_->splNotes()), notesDistance);
    EXPECT_EQ(document_->currentScreenplay()->logLineSplitterDistance(), titleDistance);
}

TEST_F(SectionCommands, CollapsedSectionsCannotBeDraggedOpen)
{
    menus().mnuToggleTitle->trigger();
    menus().mnuToggleBeats->trigger();
    const std::int64_t logline = document_->currentScreenplay()->logLineSplitterDistance();
    document_->splTitle()->setPosition(200);
    EXPECT_EQ(document_->splTitle()->paneExtent(0), 0);
    document_->splBeats()->setPosition(400);
    EXPECT_EQ(document_->splBeats()->paneExtent(0), 0);
    EXPECT_EQ(document_->currentScreenplay()->logLineSplitterDistance(), logline);
}

TEST_F(SectionCommands, DraggingTheTitleDividerStopsAtItsLeastHeight)
{
    MainSplitView* title = document_->splTitle();
    QSplitterHandle* handle = title->handle(1);
    ASSERT_NE(handle, nullptr);
    const QPoint grab(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, grab);
    QTest::mouseMove(handle, grab - QPoint(0, title->paneExtent(0)));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, grab - QPoint(0, title->paneExtent(0)));
    EXPECT_EQ(title->paneExtent(0), 70);
}

TEST_F(SectionCommands, NoPercentageChangesWhileOneSectionFillsTheWindow)
{
    Screenplaydb* screenplay = document_->currentScreenplay();
    menus().mnuFullBoardView->trigger();
    const std::array<std::int64_t, 4> before{screenplay->logLineSplitterDistance(), screenplay->beatsSplitterDistance(),
                                             screenplay->generalNotesSplitterDistance(),
                                             screenplay->boardSplitterDistance()};
    document_->window()->resize(1000, 650);
    document_->splBoard()->setPosition(300);
    EXPECT_EQ(screenplay->logLineSplitterDistance(), before[0]);
    EXPECT_EQ(screenplay->beatsSplitterDistance(), before[1]);
    EXPECT_EQ(screenplay->generalNotesSplitterDistance(), before[2]);
    EXPECT_EQ(screenplay->boardSplitterDistance(), before[3]);
}

TEST_F(SectionCommands, DraggingTheNotesDividerNearTheBottomClosesTheNotes)
{
    Screenplaydb* screenplay = document_->currentScreenplay();
    MainSplitView* notes = document_->splNotes();
    notes->setPosition(notes->extent() - 100);
    EXPECT_EQ(QString::number(screenplay->windowState()).at(5), QLatin1Char('1'));

    notes->setPosition(notes->extent() - 15);
    EXPECT_EQ(notes->paneExtent(1), 0);
    EXPECT_EQ(screenplay->windowState(), 101110);
    EXPECT_EQ(stored(path_, "WindowState"), "101110");
    EXPECT_EQ(screenplay->generalNotesSplitterDistance(), (notes->paneExtent(0) - 20) * 100 / (notes->extent() - 1));
    EXPECT_TRUE(document_->notesIsHidden());
    EXPECT_EQ(menus().mnuToggleGeneralNotes->text(), "Show General Notes");

    // Shown again, the notes board can be dragged up and stays open.
    menus().mnuToggleGeneralNotes->trigger();
    notes->setPosition(notes->extent() / 2);
    EXPECT_EQ(screenplay->windowState(), 101111);
    EXPECT_EQ(menus().mnuToggleGeneralNotes->text(), "Hide General Notes");
}

TEST_F(SectionCommands, CollapsedNotesKeepTheirDividerWhenTheWindowChangesSize)
{
    Screenplaydb* screenplay = document_->currentScreenplay();
    menus().mnuToggleGeneralNotes->trigger();
    const std::int64_t distance = screenplay->generalNotesSplitterDistance();
    document_->window()->resize(1000, 650);
    settle();
    EXPECT_EQ(screenplay->generalNotesSplitterDistance(), distance);
    EXPECT_EQ(QString::number(screenplay->windowState()).at(5), QLatin1Char('0'));
}

// --- Window size -------------------------------------------------------------------------------

TEST_F(SectionCommands, ZoomingRecordsTheStateAndKeepsTheStoredSize)
{
    Screenplaydb* screenplay = document_->currentScreenplay();
    document_->window()->showMaximized();
    settle();
    EXPECT_EQ(screenplay->windowState(), 201111);
    EXPECT_EQ(screenplay->parentWindowWidth(), 1200);
    EXPECT_EQ(screenplay->parentWindowHeight(), 800);

    document_->window()->showNormal();
    settle();
    document_->window()->resize(1100, 700);
    EXPECT_EQ(screenplay->windowState(), 101111);
    EXPECT_EQ(screenplay->parentWindowWidth(), 1100);
    EXPECT_EQ(screenplay->parentWindowHeight(), 700);
    EXPECT_EQ(stored(path_, "ParentWindowWidth || 'x' || ParentWindowHeight"), "1100x700");
}

TEST_F(WindowLayout, TheCorkboardGrowsWithItsPaneAfterADelay)
{
    const QString path = story("Grow", "WindowState = 101111, ParentWindowWidth = 900, ParentWindowHeight = 600, "
                                       "BoardWidth = 200, BoardHeight = 150");
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    Screenplaydb* screenplay = document->currentScreenplay();
    // The corkboard takes at least its least height and width at once (a row as wide as a card,
    // so a stored 200 points is too narrow), and fills what the pane shows.
    const QSize shown = document->boardView()->view()->size();
    EXPECT_EQ(shown.height(), 732);
    EXPECT_EQ(shown.width(), std::max(270 + 270 + 8, document->scrBoard()->viewport()->width()));
    document->window()->resize(1400, 900);
    const QSize visible = document->scrBoard()->viewport()->size();
    ASSERT_GT(visible.width(), shown.width());
    EXPECT_EQ(screenplay->boardWidth(), visible.width());
    EXPECT_EQ(screenplay->boardHeight(), std::max(732, visible.height()));
    EXPECT_EQ(screenplay->boardSections().boardPanelWidth(), visible.width());
    EXPECT_EQ(stored(path, "BoardWidth"), QString::number(visible.width()));
    // The corkboard is rebuilt later, once.
    EXPECT_EQ(document->boardView()->view()->size(), shown);
    const QSize grown(visible.width(), std::max(732, visible.height()));
    waitUntil([&] { return document->boardView()->view()->size() == grown; });
    EXPECT_EQ(document->boardView()->view()->size(), grown);

    document->window()->resize(900, 600);
    EXPECT_EQ(screenplay->boardWidth(), visible.width());
}

// --- Notes size and fonts ----------------------------------------------------------------------

TEST_F(SectionCommands, NotesSizeCommandsKeepTheirLimits)
{
    Screenplaydb* screenplay = document_->currentScreenplay();
    screenplay->setGeneralNotesHeight(2300);
    menus().mnuPPNSDecreaseHeight->trigger();
    EXPECT_EQ(screenplay->generalNotesHeight(), 2200);
    menus().mnuPPNSIncreaseHeight->trigger();
    EXPECT_EQ(screenplay->generalNotesHeight(), 2420);

    screenplay->setGeneralNotesWidth(1900);
    menus().mnuPPNSDecreaseWidth->trigger();
    EXPECT_EQ(screenplay->generalNotesWidth(), 1710);
    screenplay->setGeneralNotesWidth(500);
    menus().mnuPPNSIncreaseWidth->trigger();
    EXPECT_EQ(screenplay->generalNotesWidth(), 1200);
    EXPECT_EQ(stored(path_, "GeneralNotesWidth || 'x' || GeneralNotesHeight"), "1200x2420");
    EXPECT_EQ(document_->generalNotesView()->size(), QSize(1200, 2420));
}

TEST_F(SectionCommands, FontSettingReachesTheLabelsAndChecksOnlyItsItem)
{
    menus().mnuMFSEvenBigger->trigger();
    EXPECT_EQ(document_->currentScreenplay()->standardFontSetting(), 3);
    EXPECT_EQ(stored(path_, "StandardFontSetting"), "3");
    for (QLabel* label : {document_->lblLitterBox(), document_->optSelectBeats(), document_->optSelectSetups()}) {
        EXPECT_EQ(label->font().pixelSize(), 14);
        EXPECT_TRUE(label->font().bold());
    }
    EXPECT_TRUE(menus().mnuMFSEvenBigger->isChecked());
    EXPECT_FALSE(menus().mnuMFSNormal->isChecked());
    EXPECT_FALSE(menus().mnuMFSLarger->isChecked());
    EXPECT_FALSE(menus().mnuMFSAsBigAsItGets->isChecked());

    // Choosing the setting in force changes nothing.
    menus().mnuMFSEvenBigger->trigger();
    EXPECT_TRUE(menus().mnuMFSEvenBigger->isChecked());
    EXPECT_EQ(document_->lblLitterBox()->font().pixelSize(), 14);

    menus().mnuMFSAsBigAsItGets->trigger();
    EXPECT_EQ(document_->optSelectCharacters()->font().pixelSize(), 15);
    EXPECT_FALSE(menus().mnuMFSEvenBigger->isChecked());

    // Every open pane follows: each of the four tables, and an open character or location panel,
    // which keeps what was being typed in it.
    struct Row {
        const char* what;
        std::int64_t section;
        QAction* add;
    };
    const Row rows[] = {{"characters table", 1, nullptr}, {"locations table", 2, nullptr},
                        {"set-ups table", 3, nullptr},    {"pay-offs table", 4, nullptr},
                        {"character panel", 1, menus().mnuAddCharacter}, {"location panel", 2, menus().mnuAddLocation}};
    const std::array<QAction*, 4> items = {menus().mnuMFSNormal, menus().mnuMFSLarger, menus().mnuMFSEvenBigger,
                                           menus().mnuMFSAsBigAsItGets};
    int setting = 4;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        document_->setBeatSection(row.section);
        QWidget* shown = row.section == 1   ? document_->charactersTableView()->tvTable()
                         : row.section == 2 ? document_->locationsTableView()->tvTable()
                         : row.section == 3 ? static_cast<QWidget*>(document_->setupsTableView()->tvTable())
                                            : document_->payoffsTableView()->tvTable();
        QPlainTextEdit* typed = nullptr;
        if (row.add) {
            row.add->trigger();
            settle();
            DetailPanel* panel = row.section == 1 ? static_cast<DetailPanel*>(document_->characterDetailView())
                                                  : document_->locationDetailView();
            ASSERT_NE(panel, nullptr);
            shown = panel->tvAttachments();
            typed = row.section == 1 ? document_->characterDetailView()->txtDescription()
                                     : document_->locationDetailView()->txtDescription();
            QTest::mouseClick(typed->viewport(), Qt::LeftButton);
            QTest::keyClicks(typed, QStringLiteral("BRAVE"));
        }
        setting = setting % 4 + 1;
        items[static_cast<std::size_t>(setting - 1)]->trigger();
        EXPECT_EQ(shown->font().pixelSize(), setting + 11);
        if (typed) {
            EXPECT_EQ(typed->font().pixelSize(), setting + 11);
            EXPECT_EQ(typed->toPlainText(), "BRAVE");
            EXPECT_EQ(stored(path_, row.section == 1 ? "(SELECT Description FROM Character)"
                                                     : "(SELECT Description FROM SceneLocation)"),
                      "BRAVE");
        }
    }
}

TEST_F(WindowLayout, ItemCommandsOfANarrowStoryElementsPaneAreHidden)
{
    const QString wide = story("Wide", "WindowState = 101111, ParentWindowWidth = 1200, ParentWindowHeight = 800, "
                                       "BeatSectionShowing = 1, BeatsSplitterDistance = 40");
    MyDocument* document = open(wide);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->beatSectionTable()->objectName(), "CharactersTableView");
    // Wide enough: the add command shows.
    EXPECT_TRUE(menus().mnuAddCharacter->isVisible());
    EXPECT_TRUE(document->window()->tbAddItem()->isVisible());
    EXPECT_FALSE(menus().mnuDeleteCharacter->isVisible());
    EXPECT_FALSE(document->window()->tbDeleteItem()->isVisible());
    document->window()->close();
    settle();

    const QString narrow = story("Narrow", "WindowState = 101111, ParentWindowWidth = 1200, ParentWindowHeight = 800, "
                                           "BeatSectionShowing = 1, BeatsSplitterDistance = 20");
    document = open(narrow);
    ASSERT_NE(document, nullptr);
    ASSERT_LT(document->splBeats()->paneExtent(0), 300);
    EXPECT_FALSE(menus().mnuAddCharacter->isVisible());
    EXPECT_FALSE(document->window()->tbAddItem()->isVisible());
}

TEST_F(WindowLayout, TheSharedMenuShowsTheActiveWindowAndActsOnIt)
{
    // Every item a window may set (Undo and Redo follow the focused field): shown, enabled, checked, title.
    const auto menuState = [this] {
        QStringList state;
        QList<QAction*> items = menus().findChildren<QAction*>();
        items << menus().mnuVBoard << menus().mnuBZoom << menus().mnuPPBoardSize << menus().mnuPPNotesSize;
        for (const QAction* item : items)
            if (item != menus().mnuUndo && item != menus().mnuRedo)
                state << QStringLiteral("%1 %2%3%4 %5")
                             .arg(item->objectName())
                             .arg(int(item->isVisible()))
                             .arg(int(item->isEnabled()))
                             .arg(int(item->isChecked()))
                             .arg(item->text());
        return state;
    };
    const auto activate = [](MyDocument* document) {
        document->window()->activateWindow();
        ASSERT_TRUE(waitUntil([document] { return document->window()->isActiveWindow(); }));
        settle();
    };
    // One shows a character's panel in the second font size; Two its set-ups alone in the window,
    // in the largest font, zoomed, with other report options.
    const QString onePath = story("One", "WindowState = 101111, ParentWindowWidth = 1200, ParentWindowHeight = 800, "
                                         "BeatSectionShowing = 1, BeatsSplitterDistance = 40, StandardFontSetting = 2");
    const QString twoPath = story("Two", "WindowState = 120101, ParentWindowWidth = 1200, ParentWindowHeight = 800, "
                                         "BeatSectionShowing = 3, StandardFontSetting = 4, BoardZoomFactor = 3, "
                                         "A3x5IncludeNotes = 0");
    MyDocument* one = open(onePath);
    ASSERT_NE(one, nullptr);
    menus().mnuAddCharacter->trigger();
    ASSERT_NE(one->characterDetailView(), nullptr);
    const QStringList oneState = menuState();
    MyDocument* two = open(twoPath);
    ASSERT_NE(two, nullptr);
    const QStringList twoState = menuState();
    // Each window's own items, shown or checked, and none of the other's.
    const std::vector<QAction*> oneItems = {menus().mnuAddCharacter, menus().mnuDeleteCharacter, menus().mnuVBoard,
                                            menus().mnuMFSLarger};
    const std::vector<QAction*> twoItems = {menus().mnuAddSetup, menus().mnuRestoreView, menus().mnuMFSAsBigAsItGets};
    const auto on = [](const QAction* item) { return item->isCheckable() ? item->isChecked() : item->isVisible(); };
    const StoredTables oneBefore = storedTables(onePath, {});
    const StoredTables twoBefore = storedTables(twoPath, {});
    for (MyDocument* document : {one, two, one}) {
        const bool first = document == one;
        SCOPED_TRACE(first ? "one" : "two");
        activate(document);
        EXPECT_EQ(app_->documentController().currentDocument(), document);
        EXPECT_EQ(menuState(), first ? oneState : twoState);
        for (QAction* item : first ? oneItems : twoItems)
            EXPECT_TRUE(on(item)) << item->objectName().toStdString();
        for (QAction* item : first ? twoItems : oneItems)
            EXPECT_FALSE(on(item)) << item->objectName().toStdString();
    }
    // Bringing a window forward writes nothing.
    expectSameTables(oneBefore, storedTables(onePath, {}));
    expectSameTables(twoBefore, storedTables(twoPath, {}));

    // The items act on the window in front, which keeps what it shows.
    menus().mnuMFSNormal->trigger();
    activate(two);
    EXPECT_TRUE(menus().mnuMFSAsBigAsItGets->isChecked());
    menus().mnuAddSetup->trigger();
    EXPECT_EQ(stored(onePath, "StandardFontSetting || (SELECT COUNT(*) FROM SceneSetup) || BeatSectionShowing"), "101");
    EXPECT_EQ(stored(twoPath, "StandardFontSetting || (SELECT COUNT(*) FROM SceneSetup)"), "41");
    EXPECT_NE(one->characterDetailView(), nullptr);
}

// --- The large scene card in the window a screen of each common size holds ------------------------

TEST_F(WindowLayout, TheLargeCardOpensWithEveryControlInsideTheBoardPaneAndGivesTheRoomBack)
{
    struct Screen {
        int width;
        int height;
    };
    for (const Screen screen : {Screen{1366, 768}, Screen{1440, 900}, Screen{1920, 1080}}) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(screen.width).arg(screen.height).toStdString());
        const QString path = storyOnScreen(QStringLiteral("Fits"), screen.width, screen.height);
        addBoardCard(path);
        addBoardCard(path);
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        Screenplaydb& screenplay = *document->currentScreenplay();
        MainSplitView* splitViews[] = {document->splTitle(), document->splNotes(), document->splBeats(),
                                       document->splBoard()};
        std::vector<QList<int>> before;
        for (MainSplitView* splitView : splitViews)
            before.push_back(splitView->sizes());
        const std::array<std::int64_t, 4> storedBefore{
            screenplay.logLineSplitterDistance(), screenplay.generalNotesSplitterDistance(),
            screenplay.beatsSplitterDistance(), screenplay.boardSplitterDistance()};

        document->openBigSceneCard(screenplay.sceneCards().front().get(), 1);
        settle();
        BigSceneView* card = document->bigSceneViewController();
        ASSERT_NE(card, nullptr);
        QWidget* pane = document->boardPane();
        // The pane shows in the window, and every control named lies wholly inside the pane.
        const QRect paneInWindow(pane->mapTo(document->window(), QPoint(0, 0)), pane->size());
        EXPECT_TRUE(document->window()->rect().contains(paneInWindow));
        std::vector<QWidget*> controls{card->cmdClose(), card->tfPageNumber()};
        for (std::int64_t tab = 1; tab <= 6; ++tab)
            controls.push_back(card->tabSelector(tab));
        for (QWidget* control : controls) {
            const QRect inPane(control->mapTo(pane, QPoint(0, 0)), control->size());
            EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
            EXPECT_TRUE(pane->rect().contains(inPane))
                << control->objectName().toStdString() << " at " << inPane.x() << "," << inPane.y() << " in a pane "
                << pane->width() << " x " << pane->height();
        }
        // The tabs get a usable share of the card's height.
        EXPECT_GE(card->boxTabs()->height(), 200);

        // Closed, the neighbouring panes have their room back and the stored layout is unchanged.
        document->closeBigSceneCard();
        settle();
        for (std::size_t i = 0; i < std::size(splitViews); ++i)
            EXPECT_EQ(splitViews[i]->sizes(), before[i]) << splitViews[i]->objectName().toStdString();
        EXPECT_EQ((std::array<std::int64_t, 4>{screenplay.logLineSplitterDistance(),
                                               screenplay.generalNotesSplitterDistance(),
                                               screenplay.beatsSplitterDistance(), screenplay.boardSplitterDistance()}),
                  storedBefore);
        document->window()->close();
        settle();
    }
}

TEST_F(WindowLayout, NoToolbarButtonTakesTheKeyboardFocus)
{
    MyDocument* document = open(story(QStringLiteral("Toolbar")));
    ASSERT_NE(document, nullptr);
    QToolBar* toolbar = document->window()->toolbar();
    int buttons = 0;
    for (QAction* action : toolbar->actions()) {
        if (action->isSeparator())
            continue;
        QWidget* button = toolbar->widgetForAction(action);
        ASSERT_NE(button, nullptr) << action->objectName().toStdString();
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << action->objectName().toStdString();
        ++buttons;
    }
    EXPECT_EQ(buttons, 14);

    // A click on one leaves the keyboard with the field being typed in.
    QApplication::setActiveWindow(document->window());
    QLineEdit* title = document->titleLoglineView()->tfTitle();
    title->setFocus();
    ASSERT_TRUE(title->hasFocus());
    QTest::mouseClick(toolbar->widgetForAction(document->window()->tbFullTitleView()), Qt::LeftButton);
    settle();
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_NE(qobject_cast<QToolButton*>(focused), focused);
}

// The add and delete buttons come and go with the sections; the toolbar and everything below it
// stay where they are, so that a click aimed at a section's name lands on it.
TEST_F(WindowLayout, TheToolbarKeepsOneHeightInEverySection)
{
    const QString path = story("Still", "WindowState = 101111, ParentWindowWidth = 1366, ParentWindowHeight = 728, "
                                         "BeatsSplitterDistance = 40");
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    QToolBar* toolbar = document->window()->toolbar();
    const std::array<QLabel*, 5> options{document->optSelectBeats(), document->optSelectCharacters(),
                                         document->optSelectLocations(), document->optSelectSetups(),
                                         document->optSelectPayoffs()};
    const auto placeOf = [document](QWidget* widget) { return widget->mapTo(document->window(), QPoint(0, 0)); };
    const int height = toolbar->height();
    const QPoint beatsAt = placeOf(options[0]);
    const QPoint boardAt = placeOf(document->boardPane());
    bool buttonsShown = false;
    // Every section once, then back to the beat sheet, each by a click on its name.
    for (const std::size_t section : {1u, 2u, 3u, 4u, 0u, 3u}) {
        SCOPED_TRACE(section);
        QTest::mouseClick(options[section], Qt::LeftButton, {}, options[section]->rect().center());
        settle();
        ASSERT_EQ(document->currentScreenplay()->beatSectionShowing(), static_cast<std::int64_t>(section));
        buttonsShown = buttonsShown || document->window()->tbAddItem()->isVisible();
        EXPECT_EQ(document->window()->tbAddItem()->isVisible(), section > 0);
        EXPECT_EQ(toolbar->height(), height);
        EXPECT_EQ(placeOf(options[0]), beatsAt);
        EXPECT_EQ(placeOf(document->boardPane()), boardAt);
    }
    EXPECT_TRUE(buttonsShown);
}

// The large card's fields take the height they need, with a description of three lines or so;
// the tabs get all the rest, and the script shows as many lines as that leaves.
TEST_F(WindowLayout, TheLargeCardsTabsTakeAllTheHeightItsFieldsLeave)
{
    struct Screen {
        int width;
        int height;
        // Well above the eight lines a card split three to two between fields and tabs showed.
        int leastScriptLines;
    };
    for (const Screen screen : {Screen{1366, 768, 10}, Screen{1440, 900, 14}, Screen{1920, 1080, 16}}) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(screen.width).arg(screen.height).toStdString());
        const QString path = storyOnScreen(QStringLiteral("Room"), screen.width, screen.height);
        addBoardCard(path);
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        document->openBigSceneCard(document->currentScreenplay()->sceneCards().front().get(), 6);
        settle();
        BigSceneView* card = document->bigSceneViewController();
        ASSERT_NE(card, nullptr);
        ASSERT_NE(card->bigSceneScriptView(), nullptr);
        QWidget* fields = card->boxYellowBackground();
        QPlainTextEdit* description = card->tfDescription();
        const int descriptionLine = QFontMetrics(description->font()).lineSpacing();
        // The fields fill their pane and no more: the conflict row at its foot, the description
        // three lines high, not stretched.
        EXPECT_TRUE(card->tfConflict()->isVisible());
        EXPECT_EQ(card->tfConflict()->geometry().bottom(), fields->height() - 3);
        EXPECT_GE(description->height(), 3 * descriptionLine);
        EXPECT_LT(description->height(), 5 * descriptionLine);
        const QList<int> sizes = card->splBigScene()->sizes();
        EXPECT_EQ(sizes.value(1), card->boxTabs()->height());
        EXPECT_GT(sizes.value(1), sizes.value(0));
        // The lines of script the tab shows at once.
        const BigSceneScriptView& script = *card->bigSceneScriptView();
        ASSERT_FALSE(script.textBoxes().empty());
        const int scriptLine = QFontMetrics(script.textBoxes().front()->font()).lineSpacing();
        const int lines = script.scrScript()->viewport()->height() / scriptLine;
        RecordProperty(QStringLiteral("scriptLines%1x%2").arg(screen.width).arg(screen.height).toStdString(), lines);
        std::cout << screen.width << " x " << screen.height << ": " << lines << " lines of script\n";
        EXPECT_GE(lines, screen.leastScriptLines);
        document->window()->close();
        settle();
    }
}
