#include "BoardFixture.h"

#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/MyDocument.h"
#include "board/BoardCardLayer.h"
#include "board/BoardListViewView.h"
#include "board/BoardSplitterView.h"
#include "board/BoardView.h"
#include "board/LitterBoxView.h"
#include "board/RecordPasteboardType.h"
#include "board/SceneCardView.h"
#include "model/CardPlacement.h"
#include "model/SceneCarddb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SmallSceneCard.h"
#include "support/SqlProbe.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <functional>

namespace Pasteboard = RecordPasteboardType;

class LitterBox : public BoardFixture
{
protected:
    MyDocument* openStory(const std::vector<CardSpec>& cards, const QString& assignments = QString())
    {
        path_ = story(QStringLiteral("Litter"), cards, assignments);
        keys_ = cardKeys(path_);
        document_ = open(path_);
        return document_;
    }
    Screenplaydb& screenplay() const { return *document_->currentScreenplay(); }
    LitterBoxView& column() const { return *document_->litterBoxViewController(); }
    // The Litter Box's bars as (y, height) pairs, top to bottom.
    std::vector<std::pair<int, int>> barFrames() const
    {
        std::vector<std::pair<int, int>> frames;
        for (const LitterBoxBackground* bar : column().bars())
            frames.emplace_back(bar->y(), bar->height());
        return frames;
    }
    // A setup lying on the card, stored.
    void addSetup(std::int64_t key, const QString& text)
    {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneCardID(key);
        setup->setSceneSetup(text);
        setup->insertIntoDatabase(&screenplay());
        screenplay().sceneSetups().push_back(std::move(setup));
    }
    // A point of the board pane that none of its views covers (the large scene card ends two
    // points above the strip).
    QPoint uncoveredPanePoint() const
    {
        QWidget* pane = document_->boardPane();
        return QPoint(5, pane->height() - 129);
    }

    // A drop as the window delivers it: to the widget under the pointer that takes drops, and
    // on to the first of its parents that accepts the drag. Answers whether it was taken.
    static bool dropThroughWindow(QWidget* widget, const QPoint& at, const QMimeData& data)
    {
        QWidget* window = widget->window();
        const QPoint point = widget->mapTo(window, at);
        QWidget* target = window->childAt(point);
        while (target && !target->acceptDrops())
            target = target->parentWidget();
        return target && dropOn(target, target->mapFrom(window, point), data, Qt::MoveAction);
    }

    QString path_;
    std::vector<std::int64_t> keys_;
    MyDocument* document_ = nullptr;
};

// --- The column --------------------------------------------------------------------------------

TEST_F(LitterBox, AnEmptyColumnShowsTheActBlocksAndBeatBars)
{
    ASSERT_NE(openStory({}), nullptr);
    const std::vector<std::pair<int, int>> frames = barFrames();
    // 5 blocks of 3 bars and 17 beat bars.
    ASSERT_EQ(frames.size(), 5u * 3u + 17u);
    EXPECT_EQ(frames[0], std::make_pair(0, 8));
    EXPECT_EQ(frames[1], std::make_pair(6, 44));
    EXPECT_EQ(frames[2], std::make_pair(48, 8));
    for (int beat = 0; beat < 7; ++beat)
        EXPECT_EQ(frames[static_cast<std::size_t>(3 + beat)], std::make_pair(54 + 32 * beat, 32)) << beat;
    EXPECT_EQ(frames[10], std::make_pair(278, 8)) << "act two's brown bar";
    EXPECT_EQ(frames.back(), std::make_pair(808, 8));
    EXPECT_EQ(document_->litterBoxView()->size(), QSize(270, 814));

    const Screenplaydb& story = screenplay();
    EXPECT_EQ(column().bars()[1]->text(), story.boardSections().section1Label());
    EXPECT_EQ(column().bars()[3]->text(), story.boardSections().beatLabelForBoardBeat(1));
    EXPECT_EQ(column().bars()[column().bars().size() - 2]->text(), story.boardSections().beatLabelForBoardBeat(21));
    EXPECT_TRUE(column().bars()[0]->text().isEmpty());
    // Every bar is 270 wide and its text is in the story's font size, inside the bar.
    for (const LitterBoxBackground* bar : column().bars()) {
        EXPECT_EQ(bar->width(), 270);
        if (!bar->text().isEmpty()) {
            EXPECT_EQ(bar->textFont().pixelSize(), story.standardFontSetting() + 11);
            EXPECT_TRUE(bar->rect().contains(bar->textFrame())) << bar->text().toStdString();
        }
    }
}

TEST_F(LitterBox, CardsStandUnderTheirBeatBarsAtFullColumnWidthWhateverTheZoom)
{
    ASSERT_NE(openStory({inBeat(3, 0.5f, 2), inBeat(3, 0.2f, 2), inBeat(8, 0.1f, 2), inBeat(21, 0.1f, 2)},
                        QStringLiteral("BoardZoomFactor = 3")),
              nullptr);
    // Third beat bar at 54 + 64 = 118; the cards of beat 3 follow it in board order.
    SceneCardView* first = cardView(*document_, keys_[1]);
    SceneCardView* second = cardView(*document_, keys_[0]);
    EXPECT_EQ(first->view()->parentWidget(), document_->litterBoxView());
    EXPECT_EQ(first->view()->geometry(), QRect(1, 118 + 32, 269, first->view()->height()));
    EXPECT_EQ(second->view()->y(), 118 + 32 + first->view()->height());
    EXPECT_EQ(second->view()->width(), 269);
    // The fourth beat bar follows the two cards.
    EXPECT_EQ(column().bars()[6]->y(), 150 + 2 * first->view()->height());
    // Cards of a section head or the end show nowhere.
    EXPECT_NE(cardView(*document_, keys_[2])->view()->parentWidget(), document_->litterBoxView());
    EXPECT_NE(cardView(*document_, keys_[3])->view()->parentWidget(), document_->litterBoxView());
    EXPECT_EQ(document_->litterBoxView()->height(), 814 + 2 * first->view()->height());
}

// --- Into the Litter Box and back --------------------------------------------------------------

TEST_F(LitterBox, ABoardCardDroppedOnABarLeavesItsSetupsBehind)
{
    ASSERT_NE(openStory({inBeat(2, 0.3f), inBeat(2, 0.6f), inBeat(5, 0.2f, 2)}), nullptr);
    addSetup(keys_[0], QStringLiteral("the gun"));
    addSetup(keys_[0], QStringLiteral("the letter"));
    const auto boardCard = cardDrag(keys_[0], document_);
    LitterBoxBackground* bar = column().bars()[20];
    EXPECT_TRUE(dropOn(bar, QPoint(5, 5), *boardCard, Qt::MoveAction));

    SceneCarddb* moved = card(*document_, keys_[0]);
    EXPECT_EQ(moved->onBoard(), 2);
    EXPECT_EQ(stored(path_, QStringLiteral("SELECT OnBoard FROM SceneCard WHERE SceneCardID = %1").arg(keys_[0])), "2");
    EXPECT_EQ(stored(path_, "SELECT group_concat(SceneCardID) FROM SceneSetup"), "0,0");
    EXPECT_EQ(screenplay().sceneCards().size(), 1u);
    EXPECT_EQ(screenplay().litterBox().size(), 2u);
    SceneCardView* view = cardView(*document_, keys_[0]);
    EXPECT_EQ(view->view()->parentWidget(), document_->litterBoxView());
    EXPECT_EQ(view->myBoardViewParent(), nullptr);
    EXPECT_FALSE(document_->boardView()->view()->isAncestorOf(view->view()));

    // A Litter Box card over the Litter Box: no drop indication, nothing moves.
    const auto litterCard = cardDrag(keys_[2], document_);
    Qt::DropAction action = Qt::MoveAction;
    EXPECT_FALSE(dragOver(column().bars()[3], QPoint(5, 5), *litterCard, Qt::MoveAction, &action));
    EXPECT_EQ(action, Qt::IgnoreAction);
    EXPECT_FALSE(dropOn(column().bars()[3], QPoint(5, 5), *cardDrag(keys_[1], nullptr), Qt::MoveAction))
        << "another window's card";
    EXPECT_EQ(card(*document_, keys_[1])->onBoard(), 1);

    // Back onto the board through the cork: the set-ups stay detached.
    BoardView* board = document_->boardView();
    EXPECT_TRUE(dropOn(board->boxBackground(), QPoint(400, 100), *boardCard, Qt::MoveAction));
    EXPECT_EQ(moved->onBoard(), 1);
    EXPECT_EQ(stored(path_, "SELECT group_concat(SceneCardID) FROM SceneSetup"), "0,0");
    EXPECT_EQ(view->view()->parentWidget(), board->view());
}

TEST_F(LitterBox, TheBoardPaneReturnsALitterBoxCardToItsOldPlaceAndOpensIt)
{
    ASSERT_NE(openStory({inBeat(1, 0.2f), inBeat(10, 0.37f, 2), inBeat(3, 0.5f, 2), inBeat(5, 0.6f, 2)}), nullptr);
    // The pane itself shows only around the large scene card.
    document_->openBigSceneCard(card(*document_, keys_[0]), 1);
    SceneCarddb* discarded = card(*document_, keys_[1]);
    const float horizontal = discarded->percentageHorizontal();
    const float vertical = discarded->percentageVertical();
    QWidget* pane = document_->boardPane();

    // A board card is refused.
    EXPECT_FALSE(dragOver(pane, uncoveredPanePoint(), *cardDrag(keys_[0], document_), Qt::MoveAction));

    EXPECT_TRUE(dropOn(pane, uncoveredPanePoint(), *cardDrag(keys_[1], document_), Qt::MoveAction));
    const Screenplaydb& story = screenplay();
    const auto rowWidth = static_cast<float>(story.boardSections().boardWidthForBoardBeatSection(10));
    EXPECT_EQ(discarded->onBoard(), 1);
    EXPECT_FLOAT_EQ(discarded->percentageHorizontal(), horizontal);
    EXPECT_FLOAT_EQ(discarded->percentageVertical(), vertical);
    EXPECT_EQ(discarded->positionLeft(), static_cast<std::int64_t>(horizontal * rowWidth + 4.0f));
    EXPECT_EQ(discarded->positionTop(), static_cast<std::int64_t>(vertical * static_cast<float>(story.boardHeight())));
    EXPECT_EQ(discarded->pageNumber(),
              story.boardSections().pageNumberForPositionTop(discarded->positionTop(), discarded->positionLeft()));
    EXPECT_EQ(stored(path_, QStringLiteral("SELECT OnBoard || '|' || SortOrder FROM SceneCard WHERE SceneCardID = %1")
                                .arg(keys_[1])),
              "1|2");
    // It opens in the large scene card, and the strip shows both board cards.
    EXPECT_EQ(document_->bigSceneViewController()->scene(), discarded);
    EXPECT_EQ(stored(path_, "SELECT BigSceneSceneCardID FROM Screenplay"), QString::number(keys_[1]));
    EXPECT_EQ(document_->miniSceneCardControls().size(), 2u);
    EXPECT_EQ(screenplay().litterBox().size(), 2u);
    EXPECT_NE(cardView(*document_, keys_[1])->view()->parentWidget(), document_->litterBoxView());

    // Let go over the large card or its strip, which take no cards, a card reaches the pane; a
    // board card is refused there too.
    const auto overLargeCard = [&] { return document_->bigSceneView()->geometry().center(); };
    const auto overStrip = [&] { return document_->scrMiniSceneCards()->geometry().center(); };
    EXPECT_FALSE(dropThroughWindow(pane, overLargeCard(), *cardDrag(keys_[0], document_)));
    EXPECT_FALSE(dropThroughWindow(pane, overStrip(), *cardDrag(keys_[0], document_)));
    struct Row {
        const char* where;
        std::function<QPoint()> at;
        std::int64_t key;
    };
    const Row rows[] = {{"over the large card", overLargeCard, keys_[2]}, {"over the strip", overStrip, keys_[3]}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.where);
        EXPECT_TRUE(dropThroughWindow(pane, row.at(), *cardDrag(row.key, document_)));
        EXPECT_EQ(card(*document_, row.key)->onBoard(), 1);
        EXPECT_EQ(document_->bigSceneViewController()->scene(), card(*document_, row.key));
        EXPECT_EQ(stored(path_, QStringLiteral("SELECT OnBoard FROM SceneCard WHERE SceneCardID = %1").arg(row.key)),
                  "1");
    }
    EXPECT_TRUE(screenplay().litterBox().empty());
    EXPECT_EQ(document_->miniSceneCardControls().size(), 4u);

    // Over the list, what the list refuses (an act bar) stays refused.
    document_->closeBigSceneCard();
    document_->dropSceneCardInLitterBox(keys_[3]);
    app_->actions().mnuToggleBoardView->trigger();
    settle();
    ASSERT_NE(document_->boardListViewView(), nullptr);
    const auto bars = document_->boardListViewView()->findChildren<BoxWithTags*>();
    const auto act = std::find_if(bars.begin(), bars.end(), [](const BoxWithTags* bar) { return bar->tag() == 2001; });
    ASSERT_NE(act, bars.end());
    EXPECT_FALSE(dropThroughWindow(*act, (*act)->rect().center(), *cardDrag(keys_[3], document_)));
    EXPECT_EQ(card(*document_, keys_[3])->onBoard(), 2);
}

TEST_F(LitterBox, DiscardingTheShownCardMovesTheLargeCardOnOrClosesIt)
{
    ASSERT_NE(openStory({inBeat(1, 0.1f), inBeat(2, 0.1f), inBeat(3, 0.1f)}), nullptr);
    // The board's last card goes: the large card shows the card before it.
    document_->openBigSceneCard(card(*document_, keys_[2]), 1);
    document_->dropSceneCardInLitterBox(keys_[2]);
    EXPECT_EQ(document_->bigSceneViewController()->scene(), card(*document_, keys_[1]));
    EXPECT_EQ(document_->miniSceneCardControls().size(), 2u);
    // A card in the middle: the card after it.
    document_->openBigSceneCard(card(*document_, keys_[0]), 1);
    document_->dropSceneCardInLitterBox(keys_[0]);
    EXPECT_EQ(document_->bigSceneViewController()->scene(), card(*document_, keys_[1]));
    // The only card: the large card closes and the corkboard shows again.
    document_->dropSceneCardInLitterBox(keys_[1]);
    EXPECT_EQ(document_->bigSceneView(), nullptr);
    EXPECT_EQ(document_->scrMiniSceneCards(), nullptr);
    EXPECT_NE(document_->boardView(), nullptr);
    EXPECT_EQ(stored(path_, "SELECT BigSceneView || '|' || BigSceneSceneCardID FROM Screenplay"), "0|0");
    EXPECT_EQ(screenplay().litterBox().size(), 3u);
}

TEST_F(LitterBox, ANewCardTakesThePlaceOfTheActiveCardSinceMovedIntoTheLitterBox)
{
    ASSERT_NE(openStory({inBeat(1, 0.1f), inBeat(6, 0.5f)}, QStringLiteral("ScreenplayTitle = 'Anchor'")), nullptr);
    SceneCarddb* worked = card(*document_, keys_[1]);
    document_->boardView()->popToTheTop(*cardView(*document_, keys_[1]));
    // Its place as the corkboard last stored it, apart from the first card's: the catalyst's page.
    worked->setPositionLeft(700);
    worked->setPercentageHorizontal(horizontalFraction(screenplay().boardSections(), 700.0, 5));
    worked->setPositionTop(160);
    worked->setPageNumber(12);
    worked->setCurrentBeatSection(5);
    worked->save();
    ASSERT_TRUE(dropOn(column().bars()[20], QPoint(5, 5), *cardDrag(keys_[1], document_), Qt::MoveAction));
    ASSERT_EQ(worked->onBoard(), 2);

    app_->actions().mnuAddSceneCard->trigger();
    const std::int64_t added =
        stored(path_, QStringLiteral("SELECT MAX(SceneCardID) FROM SceneCard")).toLongLong();
    ASSERT_GT(added, keys_[1]);
    EXPECT_EQ(stored(path_, QStringLiteral("SELECT PositionLeft || '|' || PositionTop || '|' || PageNumber || '|' || "
                                           "CurrentBeatSection FROM SceneCard WHERE SceneCardID = %1")
                                .arg(added)),
              QStringLiteral("720|160|12|5"));
}

TEST_F(LitterBox, ADropIntoTheLitterBoxKeepsTheBoardWhereItWasScrolled)
{
    // A board wider and taller than its pane, scrolled away from its top-left corner.
    ASSERT_NE(openStory({inBeat(2, 0.1f), inBeat(11, 0.5f), inBeat(16, 0.7f), inBeat(19, 0.9f)},
                        QStringLiteral("BoardWidth = 4000, BoardHeight = 1600")),
              nullptr);
    QScrollArea* scroll = document_->scrBoard();
    ASSERT_NE(scroll, nullptr);
    QScrollBar* across = scroll->horizontalScrollBar();
    QScrollBar* down = scroll->verticalScrollBar();
    ASSERT_GT(across->maximum(), 0);
    ASSERT_GT(down->maximum(), 0);
    // Each card in turn, the last while the board stands at its far end, and one the
    // keyboard was in.
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        SCOPED_TRACE(i);
        across->setValue(i + 1 == keys_.size() ? across->maximum() : across->maximum() / 2 + static_cast<int>(i) * 10);
        down->setValue(i + 1 == keys_.size() ? down->maximum() : down->maximum() / 3);
        const int x = across->value();
        const int y = down->value();
        SceneCardView* view = cardView(*document_, keys_[i]);
        if (i == 1)
            view->view()->setFocus();
        ASSERT_TRUE(dropOn(column().bars()[20], QPoint(5, 5), *cardDrag(keys_[i], document_), Qt::MoveAction));
        settle();
        EXPECT_EQ(card(*document_, keys_[i])->onBoard(), 2);
        EXPECT_EQ(across->value(), x);
        EXPECT_EQ(down->value(), y);
    }
}

TEST_F(LitterBox, ADragOutOfTheLitterBoxKeepsTheColumnAndTheBoardWhereTheyWereScrolled)
{
    // A Litter Box column much taller than its pane and a board larger than its own.
    std::vector<CardSpec> cards;
    for (const std::int64_t beat : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, 16, 17, 19, 20})
        cards.push_back(inBeat(beat, 0.3f, 2));
    cards.push_back(inBeat(2, 0.1f));
    ASSERT_NE(openStory(cards, QStringLiteral("BoardWidth = 4000, BoardHeight = 1600")), nullptr);
    QScrollArea* board = document_->scrBoard();
    QScrollArea* litter = document_->scrLitterBox();
    ASSERT_NE(board, nullptr);
    ASSERT_NE(litter, nullptr);
    QScrollBar* columnDown = litter->verticalScrollBar();
    ASSERT_GT(columnDown->maximum(), 1000);
    // Cards from the top, the middle and the end of the column, with the column scrolled to
    // where each shows; the middle one has the keyboard as it goes.
    for (const std::size_t i : {8u, 1u, 15u}) {
        SCOPED_TRACE(i);
        QWidget* dragged = cardView(*document_, keys_[i])->view();
        ASSERT_EQ(dragged->parentWidget(), document_->litterBoxView());
        columnDown->setValue(std::min(columnDown->maximum() - 200, std::max(0, dragged->y() - 100)));
        board->horizontalScrollBar()->setValue(board->horizontalScrollBar()->maximum() / 2);
        board->verticalScrollBar()->setValue(board->verticalScrollBar()->maximum() / 3);
        const int column = columnDown->value();
        const QPoint boardAt(board->horizontalScrollBar()->value(), board->verticalScrollBar()->value());
        if (i == 8)
            dragged->setFocus();
        // Dropped on the cork in the middle of what shows of the board.
        QWidget* layer = document_->boardView()->cardLayer();
        const QPoint drop = layer->mapFrom(board->viewport(), board->viewport()->rect().center());
        ASSERT_TRUE(dropOn(layer, drop, *cardDrag(keys_[i], document_), Qt::MoveAction));
        settle();
        EXPECT_EQ(card(*document_, keys_[i])->onBoard(), 1);
        EXPECT_EQ(columnDown->value(), column);
        EXPECT_EQ(QPoint(board->horizontalScrollBar()->value(), board->verticalScrollBar()->value()), boardAt);
    }
}
