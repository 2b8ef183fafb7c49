#include "BoardFixture.h"

#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/BoardView.h"
#include "model/CardPlacement.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "platform/FakePlatform.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SmallSceneCard.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <algorithm>
#include <array>

namespace {

CardSpec atFraction(std::int64_t boardBeat, float fraction)
{
    CardSpec spec;
    spec.currentBeatSection = boardBeat;
    spec.percentageHorizontal = fraction;
    return spec;
}

std::vector<CardSpec> boardOf(int count)
{
    std::vector<CardSpec> cards;
    for (int i = 0; i < count; ++i)
        cards.push_back(atFraction(1 + i % 7, 0.1f));
    return cards;
}

} // namespace

class BoardPane : public BoardFixture
{
protected:
    MyDocument* openStory(const std::vector<CardSpec>& cards, const QString& assignments = QString())
    {
        path_ = story(QStringLiteral("Pane"), cards, assignments);
        keys_ = cardKeys(path_);
        document_ = open(path_);
        return document_;
    }
    Screenplaydb& screenplay() const { return *document_->currentScreenplay(); }
    AppActions& menus() const { return app_->actions(); }
    QString boardSize() const { return stored(path_, "SELECT BoardWidth || 'x' || BoardHeight FROM Screenplay"); }
    BigSceneView* big() const { return document_->bigSceneViewController(); }
    // The board's cards in board order.
    SceneCarddb* boardCard(std::size_t index) const { return screenplay().sceneCards()[index].get(); }

    QString path_;
    std::vector<std::int64_t> keys_;
    MyDocument* document_ = nullptr;
};

// --- Presentation, zoom and board size ---------------------------------------------------------

TEST_F(BoardPane, TheToggleSwitchesBetweenCorkboardAndListAndStoresIt)
{
    ASSERT_NE(openStory(boardOf(2)), nullptr);
    menus().mnuToggleBoardView->trigger();
    EXPECT_EQ(document_->boardView(), nullptr);
    EXPECT_NE(document_->boardListViewView(), nullptr);
    EXPECT_EQ(stored(path_, "SELECT BoardView FROM Screenplay"), "2");
    document_->window()->tbToggleListCorkView()->trigger();
    EXPECT_NE(document_->boardView(), nullptr);
    EXPECT_EQ(document_->boardListViewView(), nullptr);
    EXPECT_EQ(stored(path_, "SELECT BoardView FROM Screenplay"), "1");
}

TEST_F(BoardPane, ZoomingRescalesTheBoardAndKeepsItsLeastWidth)
{
    ASSERT_NE(openStory(boardOf(1), QStringLiteral("BoardZoomFactor = 1, BoardWidth = 2000, BoardHeight = 800")),
              nullptr);
    screenplay().setBoardSize(2000, 800);
    menus().mnuBZAsBigAsItGets->trigger();
    // 2000 / 0.733 = 2728, raised to the least width of zoom 4; 800 / 0.733 = 1091.
    EXPECT_EQ(screenplay().boardZoomFactor(), 4);
    EXPECT_EQ(screenplay().boardWidth(), 3050);
    EXPECT_GE(screenplay().boardHeight(), 1091);
    // The zoom and the size it gives reach the file together: the size the writer sees.
    const QString seen = QStringLiteral("4 %1 %2").arg(screenplay().boardWidth()).arg(screenplay().boardHeight());
    EXPECT_EQ(stored(path_, "SELECT BoardZoomFactor || ' ' || BoardWidth || ' ' || BoardHeight FROM Screenplay"), seen);
    EXPECT_TRUE(menus().mnuBZAsBigAsItGets->isChecked());
    EXPECT_FALSE(menus().mnuBZNormal->isChecked());
    // The card views take the new zoom's size.
    EXPECT_EQ(cardView(*document_, keys_[0])->view()->size(), QSize(360, 202));

    // Back from 4 to 1 multiplies by 0.7333: 3608 x 996 gives 2645 x 730, and the corkboard
    // raises the height to its least one.
    screenplay().setBoardSize(3608, 996);
    menus().mnuBZNormal->trigger();
    EXPECT_EQ(screenplay().boardWidth(), 2645);
    EXPECT_EQ(screenplay().boardHeight(), 732);
    EXPECT_TRUE(menus().mnuBZNormal->isChecked());
    EXPECT_EQ(stored(path_, "SELECT BoardZoomFactor || ' ' || BoardWidth || ' ' || BoardHeight FROM Screenplay"),
              "1 2645 732");

    // The zoom in force: nothing happens, not even a save.
    screenplay().setGenre(QStringLiteral("Unsaved"));
    menus().mnuBZNormal->trigger();
    EXPECT_TRUE(menus().mnuBZNormal->isChecked());
    EXPECT_NE(stored(path_, "SELECT Genre FROM Screenplay"), "Unsaved");
}

TEST_F(BoardPane, ZoomFactorsBetweenEveryPairUseTheirOwnFactors)
{
    ASSERT_NE(openStory({}, QStringLiteral("BoardZoomFactor = 2")), nullptr);
    // From 2 to 3 multiplies by 1 / 0.9215, from 3 to 2 by 0.9215.
    screenplay().setBoardSize(3000, 2000);
    menus().mnuBZEvenBigger->trigger();
    EXPECT_EQ(screenplay().boardWidth(), static_cast<std::int64_t>(3000 / 0.9215));
    EXPECT_EQ(screenplay().boardHeight(), static_cast<std::int64_t>(2000 / 0.9215));
    screenplay().setBoardSize(3000, 2000);
    menus().mnuBZLarger->trigger();
    EXPECT_EQ(screenplay().boardWidth(), static_cast<std::int64_t>(3000 * 0.9215));
    EXPECT_EQ(screenplay().boardHeight(), static_cast<std::int64_t>(2000 * 0.9215));

    // A tag outside 1 to 4 sets the factor but rescales and checks nothing.
    QObject odd;
    odd.setProperty("tag", 7);
    screenplay().setBoardSize(3000, screenplay().boardHeight());
    document_->zoomTheBoard(&odd);
    EXPECT_EQ(screenplay().boardZoomFactor(), 7);
    EXPECT_EQ(screenplay().boardWidth(), 3000);
    for (QAction* item : {menus().mnuBZNormal, menus().mnuBZLarger, menus().mnuBZEvenBigger, menus().mnuBZAsBigAsItGets})
        EXPECT_FALSE(item->isChecked());
}

// Sizes whose quotient is a whole number: a product with the reciprocal of the factor falls
// one point short of it. The list shows, so no corkboard raises the size afterwards.
TEST_F(BoardPane, ZoomingUpDividesBySizesWhereTheReciprocalFallsShort)
{
    struct Row {
        int from;
        int to;
        std::int64_t width;
        std::int64_t height;
        std::int64_t expectedWidth;
        std::int64_t expectedHeight;
    };
    const Row rows[] = {
        {1, 3, 3384, 846, 4000, 1000},
        {2, 3, 3686, 1843, 4000, 2000},
        {1, 3, 6768, 423, 8000, 500},
    };
    ASSERT_NE(openStory(boardOf(1), QStringLiteral("BoardView = 2")), nullptr);
    const std::array<QAction*, 4> items{menus().mnuBZNormal, menus().mnuBZLarger, menus().mnuBZEvenBigger,
                                        menus().mnuBZAsBigAsItGets};
    for (const Row& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 to %2 on %3 x %4").arg(row.from).arg(row.to).arg(row.width).arg(row.height)
                         .toStdString());
        items[static_cast<std::size_t>(row.from - 1)]->trigger();
        ASSERT_EQ(screenplay().boardZoomFactor(), row.from);
        screenplay().setBoardSize(row.width, row.height);
        items[static_cast<std::size_t>(row.to - 1)]->trigger();
        EXPECT_EQ(screenplay().boardWidth(), row.expectedWidth);
        EXPECT_EQ(screenplay().boardHeight(), row.expectedHeight);
    }
}

TEST_F(BoardPane, BoardSizeCommandsChangeTheStoredSize)
{
    ASSERT_NE(openStory({}, QStringLiteral("BoardZoomFactor = 2, BoardWidth = 2708, BoardHeight = 1500")), nullptr);
    const QSize visible = document_->scrBoard()->viewport()->size();
    ASSERT_LT(visible.width(), 2193);
    menus().mnuPPBSDecreaseWidth->trigger();
    EXPECT_EQ(boardSize(), "2437x1500");
    menus().mnuPPBSDecreaseWidth->trigger();
    EXPECT_EQ(boardSize(), "2193x1500");
    menus().mnuPPBSIncreaseWidth->trigger();
    EXPECT_EQ(boardSize(), "2412x1500");
    menus().mnuPPBSIncreaseHeight->trigger();
    EXPECT_EQ(boardSize(), "2412x1650");
    menus().mnuPPBSDecreaseHeight->trigger();
    EXPECT_EQ(boardSize(), "2412x1485");
    // Restoring the defaults at zoom 2: 10 cards wide, 4 rows of cards high.
    menus().mnuPPBSRestoreDefaults->trigger();
    EXPECT_EQ(boardSize(), "2928x804");
    EXPECT_EQ(document_->boardView()->view()->size(), QSize(2928, 804));
}

TEST_F(BoardPane, FittingTheBoardToTheViewTakesTheVisibleSize)
{
    ASSERT_NE(openStory({}), nullptr);
    const QSize visible = document_->scrBoard()->viewport()->size();
    menus().mnuPPBSFitToCurrentView->trigger();
    // The corkboard keeps its least height.
    EXPECT_EQ(screenplay().boardWidth(), visible.width());
    EXPECT_EQ(screenplay().boardHeight(), std::max<std::int64_t>(visible.height(), 732));
}

// Fit to Current View and Decrease Width never leave the board narrower than the least that holds
// every page (548 points on 110 pages), however narrow the view: a point under it is raised to
// it, the least itself and a point over it stay.
TEST_F(BoardPane, TheBoardStopsAtItsLeastWidthExactly)
{
    struct Row {
        const char* name;
        bool fit;                 // Fit to Current View, else Decrease Width
        std::int64_t start;       // the view's width to fit, or the board's width to decrease
        std::int64_t expected;
    };
    const Row rows[] = {
        {"a view a point narrower than the least", true, 547, 548},
        {"a view as wide as the least", true, 548, 548},
        {"a view a point wider", true, 549, 549},
        {"narrowed to a point under the least (608 - 60.8)", false, 608, 548},
        {"narrowed to the least (609 - 60.9)", false, 609, 548},
        {"narrowed to a point over it (610 - 61)", false, 610, 549},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(openStory({}), nullptr);
        ASSERT_EQ(screenplay().boardSections().leastBoardPanelWidth(), 548);
        // The board pane narrower than any board: only the command sets the width.
        QWidget* view = document_->scrBoard()->viewport();
        view->resize(static_cast<int>(row.fit ? row.start : 400), view->height());
        if (row.fit) {
            menus().mnuPPBSFitToCurrentView->trigger();
        } else {
            screenplay().setBoardSize(row.start, screenplay().boardHeight());
            menus().mnuPPBSDecreaseWidth->trigger();
        }
        EXPECT_EQ(boardSize().split(QLatin1Char('x')).value(0), QString::number(row.expected));
        EXPECT_EQ(document_->boardView()->view()->width(), row.expected);
        document_->window()->close();
    }
}

// --- Adding and deleting cards -----------------------------------------------------------------

TEST_F(BoardPane, ANewCardBesideTheLargeCardsCardReplacesItThere)
{
    ASSERT_NE(openStory(boardOf(3), QStringLiteral("Genre = 'Drama'")), nullptr);
    SceneCarddb* shown = boardCard(1);
    placeCardWhereItShows(screenplay().boardSections(), *shown);
    document_->openBigSceneCard(shown, 1);
    ASSERT_EQ(document_->miniSceneCardControls().size(), 3u);
    menus().mnuAddSceneCard->trigger();

    SceneCarddb* added = big()->scene();
    ASSERT_NE(added, shown);
    EXPECT_EQ(added->positionLeft(), shown->positionLeft() + 20);
    EXPECT_EQ(added->currentBeatSection(), shown->currentBeatSection());
    EXPECT_EQ(added->pageNumber(), shown->pageNumber());
    // Right after its anchor in board order, with the next sort order.
    EXPECT_EQ(boardCard(2), added);
    EXPECT_EQ(added->sortOrder(), 3);
    EXPECT_EQ(boardCard(3)->sortOrder(), 4);
    // The strip is built again with the new card, which is the one marked.
    ASSERT_EQ(document_->miniSceneCardControls().size(), 4u);
    EXPECT_TRUE(document_->miniSceneCardControls()[2].isEnabled());
    EXPECT_FALSE(document_->miniSceneCardControls()[1].isEnabled());
}

TEST_F(BoardPane, DeletingTheLargeCardsCardMovesItToTheNextOrClosesIt)
{
    ASSERT_NE(openStory(boardOf(2)), nullptr);
    SceneCarddb* first = boardCard(0);
    document_->openBigSceneCard(boardCard(1), 1);
    // Asked first: "No" keeps the card.
    fakes_.alerts->answers = {AlertDefaultReturn};
    cardView(*document_, boardCard(1)->sceneCardID())->deleteSceneCard();
    EXPECT_EQ(fakes_.alerts->shown.back().title, "Delete Scene Card");
    EXPECT_EQ(screenplay().sceneCards().size(), 2u);

    // "Yes": the board's last card goes, the new last card shows.
    fakes_.alerts->answers = {AlertOtherReturn};
    cardView(*document_, boardCard(1)->sceneCardID())->deleteSceneCard();
    settle();
    ASSERT_EQ(screenplay().sceneCards().size(), 1u);
    EXPECT_EQ(big()->scene(), first);
    EXPECT_EQ(document_->miniSceneCardControls().size(), 1u);
    EXPECT_EQ(stored(path_, "SELECT COUNT(*) FROM SceneCard"), "1");

    // The only card: the large card closes and the corkboard shows.
    document_->deleteSceneCard(first);
    settle();
    EXPECT_EQ(document_->bigSceneView(), nullptr);
    EXPECT_NE(document_->boardView(), nullptr);
    EXPECT_EQ(stored(path_, "SELECT BigSceneView FROM Screenplay"), "0");
}

TEST_F(BoardPane, DeletingALitterBoxCardTakesItsViewOffTheColumn)
{
    CardSpec discarded = atFraction(2, 0.1f);
    discarded.onBoard = 2;
    ASSERT_NE(openStory({atFraction(1, 0.1f), discarded}), nullptr);
    QPointer<QWidget> view = cardView(*document_, keys_[1])->view();
    ASSERT_EQ(view->parentWidget(), document_->litterBoxView());
    document_->deleteSceneCard(card(*document_, keys_[1]));
    settle();
    EXPECT_TRUE(view.isNull());
    EXPECT_TRUE(screenplay().litterBox().empty());
    EXPECT_EQ(document_->sceneCardControls().size(), 1u);
}

TEST_F(BoardPane, ARefusedDeleteLeavesTheCardShownWhereTheStoryStillHoldsIt)
{
    CardSpec discarded = atFraction(2, 0.1f);
    discarded.onBoard = 2;
    ASSERT_NE(openStory({atFraction(1, 0.1f), atFraction(2, 0.1f), discarded}), nullptr);
    SqlProbe::exec(document_->database(), "CREATE TEMP TRIGGER refuse BEFORE DELETE ON main.SceneCard "
                                          "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    struct Row {
        const char* what;
        std::size_t key;
        bool inLargeCard;
    };
    const Row rows[] = {
        {"a corkboard card", 0, false},
        {"a Litter Box card", 2, false},
        {"the large card's card", 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SceneCarddb* kept = card(*document_, keys_[row.key]);
        ASSERT_NE(kept, nullptr);
        if (row.inLargeCard) {
            document_->openBigSceneCard(kept, 1);
            settle();
        }
        SceneCardView* control = cardView(*document_, keys_[row.key]);
        ASSERT_NE(control, nullptr);
        const std::size_t alerts = fakes_.alerts->shown.size();
        fakes_.alerts->answers = {AlertOtherReturn};
        if (row.inLargeCard)
            QTest::mouseClick(big()->cmdDelete(), Qt::LeftButton);
        else
            guardedCall([&] { document_->deleteSceneCard(kept); });
        settle();
        // The refusal is told; the card is in the file, in the story and on the screen.
        EXPECT_EQ(fakes_.alerts->shown.size(), alerts + (row.inLargeCard ? 2u : 1u));
        EXPECT_EQ(stored(path_, "SELECT COUNT(*) FROM SceneCard"), "3");
        EXPECT_EQ(card(*document_, keys_[row.key]), kept);
        EXPECT_EQ(cardView(*document_, keys_[row.key]), control);
        EXPECT_EQ(control->scene(), kept);
        EXPECT_EQ(document_->sceneCardControls().size(), 3u);
        if (row.key == 0) {
            ASSERT_NE(document_->boardView(), nullptr);
            const auto& shown = document_->boardView()->shownCards();
            EXPECT_NE(std::find(shown.begin(), shown.end(), control), shown.end());
        } else if (row.key == 2) {
            ASSERT_NE(control->madeView(), nullptr);
            EXPECT_EQ(control->madeView()->parentWidget(), document_->litterBoxView());
        } else {
            ASSERT_NE(big(), nullptr);
            EXPECT_EQ(big()->scene(), kept);
            EXPECT_EQ(document_->miniSceneCardControls().size(), 2u);
        }
    }
}

// --- The large scene card ----------------------------------------------------------------------

TEST_F(BoardPane, TheStripHoldsOneSmallCardPerBoardCard)
{
    ASSERT_NE(openStory(boardOf(10)), nullptr);
    document_->openBigSceneCard(boardCard(0), 1);
    ASSERT_NE(document_->vMiniSceneCards(), nullptr);
    EXPECT_EQ(document_->vMiniSceneCards()->width(), 2425);
    const auto& minis = document_->miniSceneCardControls();
    ASSERT_EQ(minis.size(), 10u);
    EXPECT_EQ(minis[0].frame(), QRect(3, 8, 236, 100));
    EXPECT_EQ(minis[1].frame().topLeft(), QPoint(245, 8));
    EXPECT_EQ(minis[2].frame().topLeft(), QPoint(487, 8));
    EXPECT_TRUE(minis[0].isEnabled());
    EXPECT_FALSE(minis[1].isEnabled());
    QWidget* pane = document_->boardPane();
    EXPECT_EQ(document_->scrMiniSceneCards()->geometry(), QRect(0, pane->height() - 128, pane->width(), 128));
    // The board pane shows neither presentation.
    EXPECT_EQ(document_->boardView(), nullptr);
    EXPECT_EQ(document_->scrBoard(), nullptr);
}

TEST_F(BoardPane, PagingButtonsShowOnlyWhereThereIsACardToPageTo)
{
    ASSERT_NE(openStory(boardOf(3)), nullptr);
    document_->openBigSceneCard(boardCard(0), 1);
    EXPECT_TRUE(big()->cmdPreviousCard()->isHidden());
    EXPECT_FALSE(big()->cmdNextCard()->isHidden());
    big()->cmdNextCard()->click();
    EXPECT_EQ(big()->scene(), boardCard(1));
    EXPECT_FALSE(big()->cmdPreviousCard()->isHidden());
    EXPECT_FALSE(big()->cmdNextCard()->isHidden());
    document_->openBigSceneCard(boardCard(2));
    EXPECT_TRUE(big()->cmdNextCard()->isHidden());
    EXPECT_EQ(stored(path_, "SELECT BigSceneView || '|' || BigSceneSceneCardID FROM Screenplay"),
              QStringLiteral("1|%1").arg(boardCard(2)->sceneCardID()));
}

TEST_F(BoardPane, WithOneBoardCardBothPagingButtonsStayHidden)
{
    ASSERT_NE(openStory(boardOf(1)), nullptr);
    document_->openBigSceneCard(boardCard(0), 1);
    EXPECT_TRUE(big()->cmdPreviousCard()->isHidden());
    EXPECT_TRUE(big()->cmdNextCard()->isHidden());
}

TEST_F(BoardPane, TabZeroKeepsTheTabAndTheLargeCardStoresItsFieldsBeforeMoving)
{
    ASSERT_NE(openStory(boardOf(2)), nullptr);
    document_->openBigSceneCard(boardCard(0), 1);
    EXPECT_EQ(big()->selectedTabID(), 1);
    big()->setSelectedTabID(4);
    big()->tfHeading()->setText(QString());
    big()->tfConflict()->setText(QStringLiteral("Rain"));
    // A small card opens its card on the tab that shows.
    QTest::mouseClick(document_->vMiniSceneCards(), Qt::LeftButton, {},
                      document_->miniSceneCardControls()[1].frame().center());
    EXPECT_EQ(big()->scene(), boardCard(1));
    EXPECT_EQ(big()->selectedTabID(), 4);
    // The fields went into the first card; an empty heading falls back to its placeholder.
    EXPECT_EQ(stored(path_, QStringLiteral("SELECT Heading || '|' || Conflict FROM SceneCard WHERE SceneCardID = %1")
                                .arg(boardCard(0)->sceneCardID())),
              "SCENE HEADING|Rain");
    document_->openBigSceneCardForPayoff(boardCard(0));
    EXPECT_EQ(big()->selectedTabID(), 3);
    EXPECT_TRUE(document_->miniSceneCardControls()[0].isEnabled());
    EXPECT_FALSE(document_->miniSceneCardControls()[1].isEnabled());
}

TEST_F(BoardPane, ClosingReturnsToTheStoredPresentation)
{
    ASSERT_NE(openStory(boardOf(2), QStringLiteral("BoardView = 2")), nullptr);
    ASSERT_NE(document_->boardListViewView(), nullptr);
    document_->openBigSceneCard(boardCard(0), 1);
    EXPECT_EQ(document_->boardListViewView(), nullptr);
    big()->cmdClose()->click();
    settle();
    EXPECT_EQ(document_->bigSceneView(), nullptr);
    EXPECT_EQ(document_->scrMiniSceneCards(), nullptr);
    EXPECT_NE(document_->boardListViewView(), nullptr);
    EXPECT_EQ(stored(path_, "SELECT BigSceneView || '|' || BigSceneSceneCardID FROM Screenplay"), "0|0");
}
