#include "BoardFixture.h"

#include "app/MyDocument.h"
#include "board/BoardView.h"
#include "model/CardPlacement.h"
#include "board/RecordPasteboardType.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "support/StoryFixtures.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <tuple>

namespace {

namespace Pasteboard = RecordPasteboardType;

// The rules of a board: its plain black boxes.
std::vector<QRect> rules(QWidget* board)
{
    std::vector<QRect> frames;
    for (QWidget* child : board->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->metaObject() == &QFrame::staticMetaObject)
            frames.push_back(child->geometry());
    std::sort(frames.begin(), frames.end(), [](const QRect& a, const QRect& b) {
        return std::make_tuple(a.y(), a.x(), a.width()) < std::make_tuple(b.y(), b.x(), b.width());
    });
    return frames;
}

std::vector<QLabel*> layoutTexts(QWidget* board)
{
    std::vector<QLabel*> texts;
    for (QLabel* label : board->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->property("tag").toInt() == BoardView::kLayoutTag)
            texts.push_back(label);
    return texts;
}

QLabel* beatBar(QWidget* board, int boardBeat)
{
    return board->findChild<QLabel*>(QStringLiteral("beatBar%1").arg(boardBeat), Qt::FindDirectChildrenOnly);
}

} // namespace

class Corkboard : public BoardFixture
{
};

// --- Size of the board -------------------------------------------------------------------------

TEST_F(Corkboard, BoardTakesTheLeastHeightAndDefaultWidthOfItsZoom)
{
    const int heights[] = {732, 804, 876, 996};
    const int widths[] = {2708, 2928, 3158, 3608};
    const QSize cards[] = {{270, 148}, {292, 162}, {315, 176}, {360, 202}};
    for (int zoom = 1; zoom <= 4; ++zoom) {
        SCOPED_TRACE(zoom);
        const QString path = story(QStringLiteral("Zoom%1").arg(zoom), {CardSpec{}},
                                   QStringLiteral("BoardWidth = 0, BoardHeight = 100, BoardZoomFactor = %1").arg(zoom));
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        ASSERT_LT(document->scrBoard()->viewport()->height(), heights[0]);
        QWidget* board = document->boardView()->view();
        EXPECT_EQ(board->size(), QSize(widths[zoom - 1], heights[zoom - 1]));
        EXPECT_EQ(stored(path, "SELECT BoardWidth || 'x' || BoardHeight FROM Screenplay"),
                  QStringLiteral("%1x%2").arg(widths[zoom - 1]).arg(heights[zoom - 1]));
        EXPECT_EQ(document->boardView()->boxBackground()->geometry(), board->rect());
        EXPECT_EQ(document->currentScreenplay()->boardSections().boardPanelWidth(), widths[zoom - 1]);
        EXPECT_EQ(cardView(*document, cardKeys(path).front())->view()->size(), cards[zoom - 1]);
        // The beat bars are as high as the zoom says.
        EXPECT_EQ(beatBar(board, 9)->height(), 28 + 4 * (zoom - 1));
        EXPECT_EQ(beatBar(board, 9)->font().pixelSize(), 10 + zoom);
        document->window()->close();
        settle();
    }
}

TEST_F(Corkboard, AStoredBoardGrowsToItsLeastHeightAndToWhatShows)
{
    const QString path = story("Stored", {}, QStringLiteral("BoardWidth = 1840, BoardHeight = 720"));
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const QSize visible = document->scrBoard()->viewport()->size();
    ASSERT_LT(visible.width(), 1840);
    EXPECT_EQ(document->boardView()->view()->size(), QSize(1840, 732));
    EXPECT_EQ(stored(path, "SELECT BoardHeight FROM Screenplay"), "732");
    document->window()->close();
    settle();

    // A board narrower than its scroll view fills it.
    const QString narrow = story("Narrow", {}, QStringLiteral("BoardWidth = 300, BoardHeight = 2000"));
    document = open(narrow);
    ASSERT_NE(document, nullptr);
    const int shown = document->scrBoard()->viewport()->width();
    EXPECT_EQ(document->boardView()->view()->size(), QSize(shown, 2000));
    EXPECT_EQ(stored(narrow, "SELECT BoardWidth FROM Screenplay"), QString::number(shown));
}

// --- Rules, labels and beat bars ---------------------------------------------------------------

TEST_F(Corkboard, RulesFrameTheBoardAndPartTheRows)
{
    const QString path = story("Rules", {}, QStringLiteral("BoardWidth = 1840, BoardHeight = 732"));
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const std::vector<QRect> expected{QRect(0, 0, 4, 732),   QRect(0, 0, 1840, 4),   QRect(1836, 0, 4, 732),
                                      QRect(0, 182, 1840, 4), QRect(0, 364, 1840, 4), QRect(0, 546, 1840, 4),
                                      QRect(0, 728, 1840, 4)};
    EXPECT_EQ(rules(document->boardView()->view()), expected);
    // Each card row begins 4 points below its rule, where the board sections put it.
    const BoardSections& sections = document->currentScreenplay()->boardSections();
    EXPECT_EQ(sections.topForBoardBeatSection(1), 4);
    EXPECT_EQ(sections.topForBoardBeatSection(9), 186);
    EXPECT_EQ(sections.topForBoardBeatSection(14), 368);
    EXPECT_EQ(sections.topForBoardBeatSection(19), 550);
}

TEST_F(Corkboard, SectionLabelsStandInTheMiddleOfTheirRows)
{
    const QString path = story("Labels", {}, QStringLiteral("BoardWidth = 1840, BoardHeight = 732"));
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const BoardSections& sections = document->currentScreenplay()->boardSections();
    const std::vector<std::pair<QString, int>> expected{{sections.section1Label(), 79},
                                                        {sections.section2Label(), 261},
                                                        {sections.section3Label(), 443},
                                                        {sections.section4Label(), 625}};
    EXPECT_EQ(sections.section1Label(), "Act One (p. 1-25)");
    for (const auto& [text, top] : expected) {
        SCOPED_TRACE(text.toStdString());
        const std::vector<QLabel*> texts = layoutTexts(document->boardView()->view());
        const auto found =
            std::find_if(texts.begin(), texts.end(), [&label = text](QLabel* l) { return l->text() == label; });
        ASSERT_NE(found, texts.end());
        EXPECT_EQ((*found)->geometry(), QRect(770, top, 300, 22));
        EXPECT_TRUE((*found)->font().bold());
        EXPECT_EQ((*found)->font().pixelSize(), 12);
        EXPECT_EQ((*found)->palette().color(QPalette::WindowText), QColor(Qt::white));
    }
}

TEST_F(Corkboard, SeventeenBeatBarsWithTheirPagesColoursAndExtents)
{
    const QString path = story("Bars", {}, QStringLiteral("BoardWidth = 1840, BoardHeight = 732"));
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    QWidget* board = document->boardView()->view();
    const BoardSections& sections = document->currentScreenplay()->boardSections();
    EXPECT_EQ(layoutTexts(board).size(), 4u + 17u);

    const auto end = [&](int k) {
        return BoardSections::endingPercentageForBoardBeat(k) *
                   static_cast<float>(sections.boardWidthForBoardBeatSection(k)) +
               6.0f;
    };
    EXPECT_EQ(beatBar(board, 1)->text(), "Opening Image (1)");
    EXPECT_EQ(beatBar(board, 2)->text(), "Set-Up\n(2-4)");
    EXPECT_EQ(beatBar(board, 4)->text(), QStringLiteral("Set-Up (cont)\n(%1-%2)")
                                             .arg(sections.beginningPageNumberForBoardBeat(4))
                                             .arg(sections.endingPageNumberForBoardBeat(4)));
    EXPECT_EQ(beatBar(board, 20)->text(), "Final Image\n(110)");

    // Row 1: the first bar reaches 4 points past E(1), the second starts 1 point after it.
    EXPECT_EQ(beatBar(board, 1)->geometry(), QRect(4, 182 - 28, static_cast<int>(end(1) + 4) - 4, 28));
    EXPECT_EQ(beatBar(board, 2)->x(), static_cast<int>(end(1) + 1));
    EXPECT_EQ(beatBar(board, 2)->geometry().right() + 1, static_cast<int>(end(2)));
    EXPECT_EQ(beatBar(board, 1)->geometry().right() + 1 - beatBar(board, 2)->x(), 3);
    // The last bar of each row ends at the right rule; the first of rows 2 to 4 begins at 4.
    for (const auto& [last, first, bottom] : {std::tuple{7, 1, 182}, std::tuple{12, 9, 364},
                                             std::tuple{17, 14, 546}, std::tuple{20, 19, 728}}) {
        EXPECT_EQ(beatBar(board, last)->geometry().right() + 1, 1836);
        EXPECT_EQ(beatBar(board, first)->x(), 4);
        EXPECT_EQ(beatBar(board, first)->geometry().bottom() + 1, bottom);
    }
    EXPECT_EQ(beatBar(board, 10)->x(), static_cast<int>(end(9)));
    // Blue and grey take turns; a later bar lies above an earlier one.
    EXPECT_EQ(beatBar(board, 1)->palette().color(QPalette::Window), QColor(65, 117, 139));
    EXPECT_EQ(beatBar(board, 2)->palette().color(QPalette::Window), QColor(69, 69, 69));
    EXPECT_EQ(beatBar(board, 9)->palette().color(QPalette::Window), QColor(69, 69, 69));
    const QObjectList children = board->children();
    EXPECT_LT(children.indexOf(beatBar(board, 1)), children.indexOf(beatBar(board, 2)));
}

// --- Cards on the board ------------------------------------------------------------------------

TEST_F(Corkboard, CardsLieAtTheirStoredFractions)
{
    CardSpec middle;
    middle.currentBeatSection = 9;
    middle.percentageHorizontal = 0.5f;
    middle.percentageVertical = 0.3f;
    CardSpec pastTheEnd;
    pastTheEnd.currentBeatSection = 14;
    pastTheEnd.percentageHorizontal = 1.4f;
    pastTheEnd.percentageVertical = 0.6f;
    CardSpec noRow;
    noRow.currentBeatSection = 8;
    noRow.percentageHorizontal = 0.7f;
    const QString path = story("Placed", {middle, pastTheEnd, noRow}, QStringLiteral("BoardWidth = 1840, BoardHeight = 732"));
    const std::vector<std::int64_t> keys = cardKeys(path);
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    // Row width 1840 - 270 - 8.
    EXPECT_EQ(cardView(*document, keys[0])->view()->geometry(),
              QRect(static_cast<int>(0.5f * 1562.0f + 4.0f), static_cast<int>(0.3f * 732.0f), 270, 148));
    EXPECT_EQ(cardView(*document, keys[1])->view()->pos(), QPoint(1566, static_cast<int>(0.6f * 732.0f)));
    // A board beat without a row has no width: the card lies at x = 4.
    EXPECT_EQ(cardView(*document, keys[2])->view()->x(), 4);
    for (std::int64_t key : keys) {
        EXPECT_EQ(cardView(*document, key)->view()->parentWidget(), document->boardView()->view());
        EXPECT_TRUE(cardView(*document, key)->canMove());
        EXPECT_EQ(cardView(*document, key)->myBoardViewParent(), document->boardView());
    }

    // The fraction past the row's end is not stored until the card is written again.
    document->currentScreenplay()->save();
    EXPECT_NEAR(stored(path, QStringLiteral("SELECT PercentageHorizontal FROM SceneCard WHERE SceneCardID = %1")
                                 .arg(keys[1]))
                    .toDouble(),
                1.4, 1e-6);
}

TEST_F(Corkboard, RefreshRebuildsTheBoardAroundTheSameCardViews)
{
    const QString path = story("Refresh", {CardSpec{}, CardSpec{}});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const std::int64_t key = cardKeys(path).front();
    SceneCardView* before = cardView(*document, key);
    QPointer<QLabel> oldBar = beatBar(document->boardView()->view(), 1);
    document->refreshTheBoard();
    QWidget* board = document->boardView()->view();
    EXPECT_TRUE(oldBar.isNull());
    EXPECT_EQ(layoutTexts(board).size(), 21u);
    EXPECT_EQ(rules(board).size(), 7u);
    EXPECT_EQ(cardView(*document, key), before);
    EXPECT_EQ(before->view()->parentWidget(), board);
    // Cards lie above the drawing of the board.
    EXPECT_EQ(board->children().indexOf(before->view()) > board->children().indexOf(beatBar(board, 20)), true);

    // Shutting the board down hands the card views back to the document, out of sight.
    QPointer<QWidget> cardWidget = before->view();
    document->shutDownTheBoard();
    EXPECT_EQ(document->boardView(), nullptr);
    EXPECT_EQ(document->scrBoard(), nullptr);
    ASSERT_EQ(cardView(*document, key), before);
    ASSERT_FALSE(cardWidget.isNull());
    EXPECT_FALSE(cardWidget->isVisible());
    // Shown again, the board paints the same card views; the widget that waited out of sight
    // goes, and the card gets a new one on the board when something asks for it.
    document->showTheBoard();
    EXPECT_EQ(cardView(*document, key), before);
    EXPECT_TRUE(before->shownOnBoard());
    EXPECT_EQ(before->madeView(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(cardWidget.isNull());
    EXPECT_EQ(before->view()->parentWidget(), document->boardView()->view());
    EXPECT_TRUE(before->view()->isVisible());
}

TEST_F(Corkboard, ACardMovedPastAnotherKeepsItsOwnViewWhenTheBoardIsBuiltAgain)
{
    const QString path = story("Passing", {inBeat(1, 0.05f), inBeat(1, 0.4f), inBeat(9, 0.2f)});
    const std::vector<std::int64_t> keys = cardKeys(path);
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    std::vector<SceneCardView*> views;
    for (std::int64_t key : keys)
        views.push_back(cardView(*document, key));
    // The first card goes past the second along its row: the board's order changes with it.
    card(*document, keys[0])->setPercentageHorizontal(0.8f);
    for (const auto& rebuild : {std::function<void()>([document] { document->refreshTheBoard(); }),
                                std::function<void()>([document] {
                                    document->shutDownTheBoard();
                                    document->showTheBoard();
                                })}) {
        rebuild();
        Screenplaydb& story = *document->currentScreenplay();
        ASSERT_EQ(story.sceneCards()[1]->sceneCardID(), keys[0]);
        for (std::size_t index = 0; index < keys.size(); ++index) {
            SCOPED_TRACE(index);
            SceneCardView* view = cardView(*document, keys[index]);
            EXPECT_EQ(view, views[index]);
            EXPECT_EQ(view->scene(), card(*document, keys[index]));
            EXPECT_EQ(view->boardFrame().topLeft(), cardOrigin(story.boardSections(), *card(*document, keys[index])));
        }
    }
}

TEST_F(Corkboard, TakingHoldOfACardBringsItToTheTop)
{
    const QString path = story("Stack", {CardSpec{}, CardSpec{}, CardSpec{}});
    const std::vector<std::int64_t> keys = cardKeys(path);
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    // The board's stacking, bottom to top.
    const auto order = [&] {
        std::vector<SceneCardView*> cards;
        for (SceneCardView* card : document->boardView()->shownCards())
            if (card)
                cards.push_back(card);
        return cards;
    };
    const std::vector<SceneCardView*> before = order();
    ASSERT_EQ(before.size(), keys.size());
    SceneCardView* first = document->sceneCardControlForSceneCard(document->currentScreenplay()->sceneCards()[0].get());
    ASSERT_EQ(before.front(), first);
    document->boardView()->popToTheTop(*first);
    const std::vector<SceneCardView*> after = order();
    ASSERT_EQ(after.size(), keys.size());
    EXPECT_EQ(after.back(), first);
    EXPECT_EQ(after[0], before[1]);
    EXPECT_EQ(after[1], before[2]);
    EXPECT_EQ(document->activeSceneCardID(), first->scene()->sceneCardID());

    // The topmost card keeps the order and still becomes the active card.
    document->setActiveSceneCardID(0);
    document->boardView()->popToTheTop(*first);
    EXPECT_EQ(order(), after);
    EXPECT_EQ(document->activeSceneCardID(), first->scene()->sceneCardID());
}

// --- Cards coming back from the Litter Box -----------------------------------------------------

TEST_F(Corkboard, ALitterBoxCardDroppedOnTheCorkStaysInsideTheBoard)
{
    CardSpec boardCard;
    boardCard.currentBeatSection = 9;
    boardCard.percentageHorizontal = 0.2f;
    boardCard.percentageVertical = 0.3f;
    CardSpec discarded;
    discarded.onBoard = 2;
    const QString path = story("Drop", {boardCard, discarded, discarded, discarded},
                               QStringLiteral("BoardWidth = 1840, BoardHeight = 732"));
    const std::vector<std::int64_t> keys = cardKeys(path);
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    BoardViewBackground* cork = document->boardView()->boxBackground();
    Screenplaydb* screenplay = document->currentScreenplay();

    // Both clamps: left 20 - 135 and top 12 - 10 come to 4.
    EXPECT_TRUE(dropOn(cork, QPoint(20, 12), *cardDrag(keys[1], document), Qt::MoveAction));
    SceneCarddb* card = this->card(*document, keys[1]);
    EXPECT_EQ(card->onBoard(), 1);
    EXPECT_EQ(cardView(*document, keys[1])->view()->geometry(), QRect(4, 4, 270, 148));
    EXPECT_EQ(cardView(*document, keys[1])->view()->parentWidget(), document->boardView()->view());
    EXPECT_EQ(card->pageNumber(), 1);
    EXPECT_EQ(card->currentBeatSection(), 1);
    EXPECT_FLOAT_EQ(card->percentageHorizontal(), 0.0f);
    EXPECT_FLOAT_EQ(card->percentageVertical(), 4.0f / 732.0f);
    EXPECT_EQ(cardView(*document, keys[1])->thumbTackImage(), "SceneCardThumbDown");
    EXPECT_EQ(cardView(*document, keys[1])->fieldText(SceneCardPart::PageNumber), "1");
    EXPECT_EQ(screenplay->litterBox().size(), 2u);
    EXPECT_EQ(stored(path, QStringLiteral("SELECT OnBoard || ',' || PositionLeft || ',' || PositionTop || ',' || "
                                          "PageNumber FROM SceneCard WHERE SceneCardID = %1")
                               .arg(keys[1])),
              "1,4,4,1");

    // Near the right edge the card keeps 4 points inside; near the bottom too. Each stays on
    // the row it was dropped on, above that row's beat bars (28 high): row 2 ends at the rule
    // at 364, row 4 at the board's bottom rule.
    EXPECT_TRUE(dropOn(cork, QPoint(1830, 300), *cardDrag(keys[2], document), Qt::MoveAction));
    EXPECT_EQ(cardView(*document, keys[2])->view()->geometry(), QRect(1840 - 270 - 4, 364 - 28 - 148, 270, 148));
    EXPECT_EQ(this->card(*document, keys[2])->currentBeatSection(),
              screenplay->boardSections().boardBeatSectionForPageNumber(this->card(*document, keys[2])->pageNumber()));
    EXPECT_TRUE(dropOn(cork, QPoint(600, 731), *cardDrag(keys[3], document), Qt::MoveAction));
    EXPECT_EQ(cardView(*document, keys[3])->view()->geometry(), QRect(600 - 135, 732 - 4 - 28 - 148, 270, 148));

    // The board is in board order and numbered 1 to n in the file.
    ASSERT_EQ(screenplay->sceneCards().size(), 4u);
    for (std::size_t i = 0; i < screenplay->sceneCards().size(); ++i) {
        const SceneCarddb& held = *screenplay->sceneCards()[i];
        if (i > 0) {
            EXPECT_LE(screenplay->sceneCards()[i - 1]->sortByLocation(held), 0);
        }
        EXPECT_EQ(stored(path, QStringLiteral("SELECT SortOrder FROM SceneCard WHERE SceneCardID = %1")
                                   .arg(held.sceneCardID())),
                  QString::number(i + 1));
    }
}

TEST_F(Corkboard, ALitterBoxCardDroppedWellInsideARowHangsFromThePointTenBelowItsTop)
{
    // A board 1840 x 1200: rows of 300, each with 28 points of beat bars at its foot, so a card
    // 148 high lies freely from 4 to about 120 points below each row's top edge.
    CardSpec discarded;
    discarded.onBoard = 2;
    const QString path = story("Hang", {discarded, discarded, discarded, discarded, discarded},
                               QStringLiteral("BoardWidth = 1840, BoardHeight = 1200"));
    const std::vector<std::int64_t> keys = cardKeys(path);
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    BoardViewBackground* cork = document->boardView()->boxBackground();
    struct Row {
        const char* row;
        QPoint drop;
    };
    const Row rows[] = {
        {"row 1", QPoint(600, 70)},  {"row 2", QPoint(300, 380)}, {"row 3", QPoint(1200, 700)},
        {"row 4", QPoint(900, 1000)}, {"row 1, further right", QPoint(1500, 100)},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.row);
        const std::int64_t key = keys[i];
        ASSERT_TRUE(dropOn(cork, row.drop, *cardDrag(key, document), Qt::MoveAction));
        // Held at its middle, 10 points below its top edge: nothing moves it from there.
        const QPoint expected(row.drop.x() - 135, row.drop.y() - 10);
        EXPECT_EQ(cardView(*document, key)->boardFrame().topLeft(), expected);
        EXPECT_EQ(stored(path, QStringLiteral("SELECT OnBoard || ',' || PositionLeft || ',' || PositionTop FROM "
                                              "SceneCard WHERE SceneCardID = %1")
                                   .arg(key)),
                  QStringLiteral("1,%1,%2").arg(expected.x()).arg(expected.y()));
    }
}

TEST_F(Corkboard, TheCorkTakesNoBoardCardAndNothingFromAnotherStory)
{
    CardSpec discarded;
    discarded.onBoard = 2;
    const QString path = story("Refuse", {CardSpec{}, discarded});
    const std::vector<std::int64_t> keys = cardKeys(path);
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const QString other = story("Other", {discarded});
    MyDocument* otherDocument = open(other);
    ASSERT_NE(otherDocument, nullptr);
    BoardViewBackground* cork = document->boardView()->boxBackground();

    // A card already on the board shows no drop indication and stays where it is.
    const QPoint before = cardView(*document, keys[0])->view()->pos();
    EXPECT_FALSE(dragOver(cork, QPoint(800, 400), *cardDrag(keys[0], document), Qt::MoveAction));
    EXPECT_FALSE(dropOn(cork, QPoint(800, 400), *cardDrag(keys[0], document), Qt::MoveAction));
    EXPECT_EQ(cardView(*document, keys[0])->view()->pos(), before);

    // The same row id dragged from the other story's window names another card: refused.
    EXPECT_FALSE(dropOn(cork, QPoint(800, 400), *cardDrag(keys[1], otherDocument), Qt::MoveAction));
    EXPECT_EQ(card(*document, keys[1])->onBoard(), 2);
    // No card text, or text that names no card.
    QMimeData garbled;
    garbled.setData(Pasteboard::mimeType(QString::fromLatin1(Pasteboard::kSceneCard)), "card");
    garbled.setData(Pasteboard::sourceMimeType(), cardDrag(0, document)->data(Pasteboard::sourceMimeType()));
    EXPECT_FALSE(dropOn(cork, QPoint(800, 400), garbled, Qt::MoveAction));
    EXPECT_FALSE(dropOn(cork, QPoint(800, 400), *cardDrag(99999, document), Qt::MoveAction));
    EXPECT_EQ(card(*document, keys[1])->onBoard(), 2);
}

TEST(CardRowBand, APutDownCardStaysOnItsRowAboveTheBeatBars)
{
    NewStory made;
    Screenplaydb& story = made.story();
    story.setBoardSize(story.boardWidth(), 732);
    // Rules between the rows at 182, 364 and 546; the bottom rule at 728.
    ASSERT_EQ(BoardSections::rowRules(732), (std::array<int, 3>{182, 364, 546}));
    struct Case {
        std::int64_t zoom;
        std::int64_t top;
        std::int64_t cardHeight;
        std::int64_t expected;
    };
    const Case cases[] = {
        {1, 4, 148, 4},                // at the top of row 1
        {1, 90, 148, 182 - 28 - 148},  // over row 1's bars: lifted above them
        {1, 169, 148, 182 - 28 - 148}, // just short of row 2's reach: still row 1
        {1, 170, 148, 186},            // within 16 points above row 2: row 2, at its top
        {1, 300, 148, 364 - 28 - 148}, // over row 3: back on row 2
        {1, 400, 148, 546 - 28 - 148},
        {1, 900, 148, 728 - 28 - 148},
        {4, 60, 100, 182 - 40 - 100},  // taller bars at the largest zoom
        {1, 10, 400, 4},               // a row lower than the card keeps it at the row's top
    };
    for (const Case& c : cases) {
        story.setBoardZoomFactor(c.zoom);
        story.boardSections().setBoardZoomFactor(c.zoom);
        EXPECT_EQ(story.boardSections().topWithinRow(c.top, c.cardHeight), c.expected)
            << "top " << c.top << " at zoom " << c.zoom;
    }
}

// However narrow its bar, a beat bar's label shows its whole text inside the board: none is
// cut at the board's left edge or under the bar that follows it.
TEST_F(Corkboard, EveryBeatBarShowsItsWholeLabelAtEveryZoom)
{
    // Each board width gives the bars other lengths and so their texts other fonts: narrower
    // boards come after the default one.
    QObject narrower;
    narrower.setProperty("tag", 3);
    for (int zoom = 1; zoom <= 4; ++zoom) {
        SCOPED_TRACE(zoom);
        const QString path = story(QStringLiteral("Labels%1").arg(zoom), {CardSpec{}},
                                   QStringLiteral("BoardWidth = 0, BoardZoomFactor = %1").arg(zoom));
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        for (int narrowed = 0; narrowed <= 3; ++narrowed) {
            SCOPED_TRACE(narrowed);
            if (narrowed > 0)
                document->modifyTheBoardSize(&narrower);
            QWidget* board = document->boardView()->view();
            for (const int boardBeat : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, 16, 17, 19, 20}) {
                SCOPED_TRACE(boardBeat);
                QLabel* bar = beatBar(board, boardBeat);
                ASSERT_NE(bar, nullptr);
                // What of the bar shows: the next bar of the row lies over the end of the first.
                QRect shown = bar->geometry();
                if (QLabel* next = beatBar(board, boardBeat + 1); next && next->y() == bar->y() && boardBeat == 1)
                    shown.setRight(next->x() - 1);
                const int flags = static_cast<int>(bar->alignment()) | (bar->wordWrap() ? Qt::TextWordWrap : 0);
                const QRect textIn(bar->mapTo(board, bar->contentsRect().topLeft()), bar->contentsRect().size());
                const QRect text = QFontMetrics(bar->font()).boundingRect(textIn, flags, bar->text());
                EXPECT_TRUE(shown.contains(text)) << bar->text().toStdString() << " needs " << text.width() << " x "
                                                   << text.height() << " at " << text.x() << " in a bar showing "
                                                   << shown.x() << ".." << shown.right();
                EXPECT_GE(text.left(), 4) << "inside the board's left rule";
                EXPECT_GE(bar->font().pixelSize(), 7);
            }
            EXPECT_EQ(beatBar(board, 1)->text(), "Opening Image (1)");
        }
        document->window()->close();
        settle();
    }
}
