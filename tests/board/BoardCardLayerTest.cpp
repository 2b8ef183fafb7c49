// The corkboard's painted cards: what a board shows without a widget per card, and real mouse
// presses, double clicks and drops on the layer that paints them, each reaching the card
// under the pointer as if the card had a widget of its own.
#include "BoardFixture.h"

#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/MyDocument.h"
#include "board/BoardCardLayer.h"
#include "board/ColorCodeSelector.h"
#include "board/BoardView.h"
#include "board/LitterBoxView.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "panes/BeatsTableView.h"
#include "panes/ModalDialogs.h"
#include "platform/FakePlatform.h"
#include "scene_editor/BigSceneView.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// The layer of the open board.
BoardCardLayer* layerOf(MyDocument& document)
{
    return document.boardView() ? document.boardView()->cardLayer() : nullptr;
}

// A point of `card`'s part, in board coordinates: the middle of its frame, or for the title
// bar (whose middle holds the thumb tack) the first point along it that is the bar itself.
QPoint boardPoint(const SceneCardView& card, SceneCardPart part)
{
    QPoint inCard = card.layout().frame(part).center();
    if (part == SceneCardPart::TitleBar)
        for (int x = 0; x < card.cardSize().width(); ++x)
            if (card.layout().partAt(QPoint(x, inCard.y())) == SceneCardPart::TitleBar) {
                inCard.setX(x + 2);
                break;
            }
    return card.boardFrame().topLeft() + inCard;
}

// How far a colour is from white.
int distanceFromWhite(QRgb pixel)
{
    return (255 - qRed(pixel)) + (255 - qGreen(pixel)) + (255 - qBlue(pixel));
}

// What the window last put on the screen where `area` of `widget` lies, once the repaints
// asked for are made: the window's own image, not a fresh painting of the widget.
QImage shownOnScreen(QWidget* widget, const QRect& area)
{
    QApplication::processEvents();
    QWidget* top = widget->window();
    const QPoint at = widget->mapTo(top, area.topLeft());
    return top->screen()->grabWindow(top->winId(), at.x(), at.y(), area.width(), area.height()).toImage();
}

} // namespace

class BoardCardLayerTest : public BoardFixture
{
};

TEST_F(BoardCardLayerTest, ABoardOpensWithNoWidgetPerCardAndPaintsEachCardWhereItLies)
{
    const QString path = story("Painted", {inBeat(1, 0.05f), inBeat(9, 0.3f), inBeat(14, 0.6f), inBeat(19, 0.2f)});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    BoardCardLayer* layer = layerOf(*document);
    ASSERT_NE(layer, nullptr);
    const std::vector<std::int64_t> keys = cardKeys(path);
    // The layer lies over the whole board, above its rules, labels and bars.
    QWidget* board = document->boardView()->view();
    EXPECT_EQ(layer->geometry(), board->rect());
    EXPECT_GT(board->children().indexOf(layer), board->children().indexOf(board->findChild<QWidget*>("beatBar20")));

    const QImage shown = board->grab().toImage();
    for (std::int64_t key : keys) {
        SCOPED_TRACE(key);
        SceneCardView* card = cardView(*document, key);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->madeView(), nullptr);
        EXPECT_TRUE(card->shownOnBoard());
        EXPECT_EQ(card->boardFrame().size(), card->cardSize());
        // The paper of the text area is white where the cork is brown.
        const QPoint paper = card->boardFrame().topLeft() + card->layout().frame(SceneCardPart::Description).bottomRight() -
                             QPoint(6, 6);
        EXPECT_LT(distanceFromWhite(shown.pixel(paper)), 30);
        EXPECT_GT(distanceFromWhite(shown.pixel(card->boardFrame().bottomRight() + QPoint(3, 3))), 120);
    }
}

TEST_F(BoardCardLayerTest, APaintedCardIsPaintedAgainOnTheScreenAfterAChangeMadeElsewhere)
{
    struct Row {
        const char* change;
        SceneCardPart part; // where the change shows on the card
        std::function<void(MyDocument&, std::int64_t)> make;
        std::function<void(const QImage& before, const QImage& after)> check;
    };
    const auto middle = [](const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2); };
    const Row rows[] = {
        {"its colour code deleted in the colour codes dialog", SceneCardPart::Stripe1,
         [this](MyDocument&, std::int64_t) {
             fakes_.alerts->answers = {AlertDefaultReturn};
             ModalDialogs::setRunner([](QDialog& dialog) {
                 if (auto* codes = dynamic_cast<ColorCodeSelector*>(&dialog)) {
                     codes->tvColors()->selectRow(2);
                     codes->cmdDelete()->click();
                     codes->closeWindow();
                 }
                 return dialog.result();
             });
             app_->actions().mnuProjectColorCodes->trigger();
             ModalDialogs::setRunner({});
         },
         [&middle](const QImage& before, const QImage& after) {
             EXPECT_GT(distanceFromWhite(middle(before)), 60) << "the stripe showed the code's colour";
             EXPECT_EQ(middle(after), qRgb(255, 255, 255)) << "the stripe is white";
         }},
        {"its beat written in the beat sheet", SceneCardPart::Description,
         [](MyDocument& document, std::int64_t) {
             QTableView* table = document.beatsTableView()->tvTable();
             const QModelIndex index = table->model()->index(3, 1); // beat 2's description
             table->scrollTo(index);
             QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
             auto* editor = table->findChild<QPlainTextEdit*>(QStringLiteral("beatEditor"));
             ASSERT_NE(editor, nullptr);
             QTest::keyClicks(editor, QStringLiteral("WWWW MMMM WWWW MMMM"));
             QTest::keyClick(editor, Qt::Key_Return);
             settle();
         },
         [](const QImage& before, const QImage& after) {
             EXPECT_NE(after, before) << "the card shows the beat's new text";
         }},
        {"its location deleted in the locations pane", SceneCardPart::TitleBar,
         [this](MyDocument& document, std::int64_t) {
             document.showLocationDetailForSceneLocation(document.currentScreenplay()->sceneLocations()[0].get());
             fakes_.alerts->answers = {AlertAlternateReturn};
             document.addDeleteItem(app_->actions().mnuDeleteLocation);
             settle();
         },
         [](const QImage& before, const QImage& after) { EXPECT_NE(after, before) << "the location pin is gone"; }},
        {"the card gone into the Litter Box", SceneCardPart::Description,
         [](MyDocument& document, std::int64_t key) {
             document.dropSceneCardInLitterBox(key);
             settle();
         },
         [&middle](const QImage& before, const QImage& after) {
             EXPECT_LT(distanceFromWhite(middle(before)), 30) << "the card's paper";
             EXPECT_GT(distanceFromWhite(middle(after)), 120) << "the cork under it";
         }},
    };
    int made = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        CardSpec beatCard = inBeat(1, 0.05f);
        beatCard.beatCardNumber = 2;
        const QString path = story(QStringLiteral("Repaint%1").arg(++made), {beatCard, inBeat(9, 0.3f)},
                                   QStringLiteral("ScreenplayTitle = 'Gate', Genre = 'Adventure'"));
        {
            DatabaseConnection connection = StoryFile::open(path);
            SqlProbe::exec(connection.get(),
                           QStringLiteral("UPDATE Logline SET Logline = 'A keeper must open the gate.';"
                                          "INSERT INTO SceneLocation (ScreenplayID, Location) "
                                          "SELECT ScreenplayID, 'GATEHOUSE' FROM Screenplay;"
                                          "UPDATE SceneCard SET ColorLegend1ID = 3, SceneLocationID = 1"));
        }
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        const std::int64_t key = cardKeys(path).front();
        SceneCardView* card = cardView(*document, key);
        ASSERT_NE(card, nullptr);
        ASSERT_EQ(card->madeView(), nullptr) << "the card is painted";
        QWidget* board = document->boardView()->view();
        const QRect area = card->layout().frame(row.part).translated(card->boardFrame().topLeft());
        const QImage before = shownOnScreen(board, area);
        row.make(*document, key);
        const QImage after = shownOnScreen(board, area);
        row.check(before, after);
    }
}

TEST_F(BoardCardLayerTest, APressOnAPaintedCardActsOnThatCardThroughAWidgetOnTop)
{
    struct Row {
        const char* what;
        SceneCardPart part;
        bool doubleClick;
    };
    const Row rows[] = {
        {"a click on the heading opens its editor", SceneCardPart::Heading, false},
        {"a click on the conflict opens its editor", SceneCardPart::Conflict, false},
        {"a double click on the title bar opens the large card", SceneCardPart::TitleBar, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString path = story(QStringLiteral("Press%1").arg(static_cast<int>(row.part)),
                                   {inBeat(1, 0.05f), inBeat(1, 0.5f)});
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        const std::int64_t key = cardKeys(path).back();
        SceneCardView* card = cardView(*document, key);
        BoardCardLayer* layer = layerOf(*document);
        ASSERT_NE(card, nullptr);
        ASSERT_EQ(card->madeView(), nullptr);
        const QPoint at = boardPoint(*card, row.part);
        if (row.doubleClick)
            QTest::mouseDClick(layer, Qt::LeftButton, Qt::NoModifier, at);
        else
            QTest::mouseClick(layer, Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
        if (row.part == SceneCardPart::TitleBar) {
            EXPECT_EQ(document->currentScreenplay()->bigSceneView(), 1);
            EXPECT_EQ(document->currentScreenplay()->bigSceneSceneCardID(), key);
            continue;
        }
        // The card has its widget on top of the board, where it was painted, and the editor of
        // the field pressed takes the keys typed.
        ASSERT_NE(card->madeView(), nullptr);
        EXPECT_EQ(card->madeView()->parentWidget(), document->boardView()->view());
        EXPECT_EQ(card->madeView()->geometry(), card->boardFrame());
        EXPECT_EQ(card->editedPart(), row.part);
        ASSERT_NE(card->lineEditor(), nullptr);
        EXPECT_TRUE(card->lineEditor()->hasFocus());
        card->lineEditor()->selectAll();
        QTest::keyClicks(card->lineEditor(), QStringLiteral("Across the river"));
        QTest::keyClick(card->lineEditor(), Qt::Key_Return);
        const QString column = row.part == SceneCardPart::Heading ? QStringLiteral("Heading") : QStringLiteral("Conflict");
        const QString written = row.part == SceneCardPart::Heading ? QStringLiteral("ACROSS THE RIVER")
                                                                   : QStringLiteral("Across the river");
        EXPECT_EQ(stored(path, QStringLiteral("SELECT %1 FROM SceneCard WHERE SceneCardID = %2").arg(column).arg(key)),
                  written);
        // The other card was never given a widget.
        EXPECT_EQ(cardView(*document, cardKeys(path).front())->madeView(), nullptr);
    }
}

TEST_F(BoardCardLayerTest, WhereCardsOverlapThePointerReachesTheTopOne)
{
    // Three cards on one spot: the last in board order lies on top; popping the first brings
    // it above the others.
    const QString path = story("Pile", {inBeat(1, 0.2f), inBeat(1, 0.2f), inBeat(1, 0.2f)});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    BoardView* board = document->boardView();
    std::vector<SceneCardView*> pile;
    for (SceneCardView* card : board->shownCards())
        if (card)
            pile.push_back(card);
    ASSERT_EQ(pile.size(), 3u);
    const QPoint heading = boardPoint(*pile.front(), SceneCardPart::Heading);
    ASSERT_EQ(boardPoint(*pile.back(), SceneCardPart::Heading), heading);
    EXPECT_EQ(board->cardAt(heading), pile.back());
    board->popToTheTop(*pile.front());
    EXPECT_EQ(board->cardAt(heading), pile.front());
    QTest::mouseClick(board->cardLayer(), Qt::LeftButton, Qt::NoModifier, heading);
    EXPECT_EQ(pile.front()->editedPart(), SceneCardPart::Heading);
    EXPECT_EQ(pile.back()->editedPart(), SceneCardPart::None);
    // Outside every card the layer takes nothing.
    EXPECT_EQ(board->cardAt(pile.front()->boardFrame().bottomRight() + QPoint(40, 40)), nullptr);
}

TEST_F(BoardCardLayerTest, TheTackMovesAPaintedCardAndTheMoveIsStored)
{
    const QString path = story("Move", {inBeat(1, 0.05f), inBeat(1, 0.6f)});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const std::int64_t key = cardKeys(path).front();
    SceneCardView* card = cardView(*document, key);
    BoardCardLayer* layer = layerOf(*document);
    const QPoint tack = boardPoint(*card, SceneCardPart::ThumbTack);
    const QPoint before = card->boardFrame().topLeft();
    // The press goes to the layer; the moves and the release follow it there, as the mouse's
    // grab would send them.
    QTest::mousePress(layer, Qt::LeftButton, Qt::NoModifier, tack);
    ASSERT_NE(card->madeView(), nullptr);
    EXPECT_TRUE(card->moving());
    for (int step = 1; step <= 4; ++step) {
        QMouseEvent move(QEvent::MouseMove, QPointF(tack + QPoint(30 * step, 0)), layer->mapToGlobal(QPointF(tack)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(layer, &move);
    }
    QTest::mouseRelease(layer, Qt::LeftButton, Qt::NoModifier, tack + QPoint(120, 0));
    EXPECT_FALSE(card->moving());
    // Put down, the card keeps the place it was dragged to across the row.
    EXPECT_EQ(card->madeView()->x(), before.x() + 120);
    EXPECT_EQ(stored(path, QStringLiteral("SELECT PositionLeft FROM SceneCard WHERE SceneCardID = %1").arg(key)).toInt(),
              before.x() + 120);
}

TEST_F(BoardCardLayerTest, DropsOnTheLayerLandOnTheCardUnderThePointerOrOnTheCork)
{
    struct Row {
        const char* what;
        bool onCard;
    };
    const Row rows[] = {{"on a painted card", true}, {"on the cork", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString path =
            story(QStringLiteral("Drop%1").arg(row.onCard), {inBeat(1, 0.05f), inBeat(3, 0.5f, 2)});
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        const std::vector<std::int64_t> keys = cardKeys(path);
        SceneCardView* target = cardView(*document, keys.front());
        BoardCardLayer* layer = layerOf(*document);
        const QPoint at = row.onCard ? boardPoint(*target, SceneCardPart::Description)
                                     : target->boardFrame().bottomRight() + QPoint(300, 10);
        EXPECT_EQ(document->boardView()->cardAt(at) == target, row.onCard);
        const std::unique_ptr<QMimeData> drag = cardDrag(keys.back(), document);
        EXPECT_TRUE(dropOn(layer, at, *drag, Qt::MoveAction));
        // The Litter Box card comes onto the board near the drop, and is painted there.
        SceneCarddb* dropped = card(*document, keys.back());
        ASSERT_NE(dropped, nullptr);
        EXPECT_EQ(dropped->onBoard(), 1);
        SceneCardView* droppedView = cardView(*document, keys.back());
        EXPECT_TRUE(droppedView->shownOnBoard());
        const QRect frame = droppedView->madeView() ? droppedView->madeView()->geometry() : droppedView->boardFrame();
        EXPECT_LE(std::abs(frame.center().x() - at.x()), 2);
        // A drag from another window is refused over a card and over the cork alike.
        const std::unique_ptr<QMimeData> foreign = cardDrag(keys.back(), nullptr);
        EXPECT_FALSE(dragOver(layer, at, *foreign, Qt::MoveAction));
    }
}

TEST_F(BoardCardLayerTest, AZoomResizesThePaintedCardsAndKeepsTheLitterBoxAndBeatBarsItHad)
{
    const QString path = story("Zoom", {inBeat(1, 0.05f), inBeat(9, 0.4f), inBeat(3, 0.5f, 2), inBeat(10, 0.5f, 2)});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const std::vector<std::int64_t> keys = cardKeys(path);
    SceneCardView* painted = cardView(*document, keys.front());
    const QSize small = painted->boardFrame().size();
    const LitterBoxView* litter = document->litterBoxViewController();
    ASSERT_NE(litter, nullptr);
    std::vector<QPointer<QWidget>> bars;
    for (QWidget* bar : litter->bars())
        bars.emplace_back(bar);
    QWidget* litterCard = cardView(*document, keys[2])->madeView();
    ASSERT_NE(litterCard, nullptr);
    const int litterHeight = litterCard->height();
    const QPointer<QLabel> bar = document->boardView()->view()->findChild<QLabel*>(QStringLiteral("beatBar9"));
    ASSERT_FALSE(bar.isNull());
    const QString barText = bar->text();
    const QRect barFrame = bar->geometry();
    const qreal barFont = QFontInfo(bar->font()).pointSizeF();

    QAction larger(QStringLiteral("Larger"));
    larger.setData(2);
    document->zoomTheBoard(&larger);
    EXPECT_EQ(document->currentScreenplay()->boardZoomFactor(), 2);
    EXPECT_GT(painted->boardFrame().width(), small.width());
    EXPECT_EQ(painted->boardFrame().size(), painted->cardSize());
    EXPECT_EQ(painted->madeView(), nullptr);
    EXPECT_EQ(painted->layout().card, painted->cardSize());
    // The beat bars are the same, taller, in the larger font, with the same page ranges.
    ASSERT_FALSE(bar.isNull());
    EXPECT_EQ(bar->text(), barText);
    EXPECT_GT(bar->height(), barFrame.height());
    EXPECT_GT(QFontInfo(bar->font()).pointSizeF(), barFont);
    EXPECT_EQ(document->boardView()->view()->findChildren<QLabel*>(QStringLiteral("beatBar9")).size(), 1);
    // The same bars and cards, the cards at the new height and the bars below them moved down.
    ASSERT_EQ(litter->bars().size(), bars.size());
    for (std::size_t index = 0; index < bars.size(); ++index)
        EXPECT_EQ(litter->bars()[index], bars[index].data());
    EXPECT_EQ(cardView(*document, keys[2])->madeView(), litterCard);
    EXPECT_GT(litterCard->height(), litterHeight);
    const auto below = std::find_if(bars.begin(), bars.end(),
                                    [&](const QPointer<QWidget>& bar) { return bar->y() > litterCard->y(); });
    ASSERT_NE(below, bars.end());
    EXPECT_GE((*below)->y(), litterCard->geometry().bottom());
}

// A zoom lays out again only the cards that show, each when it is painted: what a zoomed board
// shows must be what the same story opened afresh at that zoom shows, for painted cards, a card
// with its own widget, and the rules, labels and beat bars.
TEST_F(BoardCardLayerTest, AtEveryZoomTheBoardLooksAsTheStoryOpenedAtThatZoom)
{
    // The last card in board order lies above the others whether painted or seated.
    CardSpec described = inBeat(19, 0.2f);
    described.heading = QStringLiteral("INT. A VERY LONG CORRIDOR OF THE OLD COUNTY HOSPITAL - NIGHT");
    const QString path = story("ZoomLooks", {inBeat(1, 0.05f), inBeat(9, 0.3f), inBeat(14, 0.6f), described,
                                             inBeat(3, 0.5f, 2)});
    const std::int64_t seatedKey = cardKeys(path)[3];
    const auto boardImage = [](MyDocument& document) {
        settle();
        return document.boardView()->view()->grab().toImage();
    };
    for (const int zoom : {2, 4, 3, 1}) {
        SCOPED_TRACE(zoom);
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        // Every card is painted before the zoom, and one has a widget of its own on the board.
        boardImage(*document);
        SceneCardView* seated = cardView(*document, seatedKey);
        ASSERT_NE(seated->view(), nullptr);
        document->boardView()->seatCardView(*seated);
        QAction step(QStringLiteral("Zoom"));
        step.setData(zoom);
        document->zoomTheBoard(&step);
        ASSERT_EQ(document->currentScreenplay()->boardZoomFactor(), zoom);
        const QImage zoomed = boardImage(*document);
        // The board's new size is written with the story.
        document->currentScreenplay()->save();
        document->window()->close();
        settle();
        document = open(path);
        ASSERT_NE(document, nullptr);
        const QImage opened = boardImage(*document);
        document->window()->close();
        settle();
        ASSERT_EQ(zoomed.size(), opened.size());
        int differing = 0;
        for (int y = 0; y < opened.height(); ++y)
            for (int x = 0; x < opened.width(); ++x)
                differing += zoomed.pixel(x, y) != opened.pixel(x, y) ? 1 : 0;
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(BoardCardLayerTest, OnlyTheCardsThatShowAreReadAndAnotherWhenItComesIntoView)
{
    CardSpec far = inBeat(7, 0.95f);
    far.heading = QStringLiteral("EXT. FAR FIELD - DAY");
    const QString path = story("Lazy", {inBeat(1, 0.05f), far});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const std::vector<std::int64_t> keys = cardKeys(path);
    SceneCardView* nearCard = cardView(*document, keys.front());
    SceneCardView* farCard = cardView(*document, keys.back());
    QScrollArea* scroll = document->scrBoard();
    ASSERT_NE(scroll, nullptr);
    scroll->horizontalScrollBar()->setValue(0);
    const QImage nearAsShown = scroll->viewport()->grab(nearCard->boardFrame()).toImage();
    ASSERT_GT(farCard->boardFrame().left(), scroll->viewport()->width());
    EXPECT_TRUE(nearCard->lookRead());
    EXPECT_FALSE(farCard->lookRead());
    EXPECT_TRUE(nearCard->holdsTextLines());
    EXPECT_FALSE(farCard->holdsTextLines());
    // A colour change while it lies out of sight leaves it unread.
    document->currentScreenplay()->sceneCardForSceneCardID(keys.back())->setEmotionalChangeType(2);
    farCard->setEmotionalChangeTypeColor();
    EXPECT_FALSE(farCard->lookRead());

    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
    scroll->viewport()->grab();
    EXPECT_TRUE(farCard->lookRead());
    EXPECT_EQ(farCard->fieldText(SceneCardPart::Heading), QStringLiteral("EXT. FAR FIELD - DAY"));
    EXPECT_EQ(farCard->emotionalChangeTypeColor(), QColor(Qt::red));
    // Only the cards in sight keep their texts as painted; one back in sight paints them the same.
    EXPECT_TRUE(farCard->holdsTextLines());
    EXPECT_FALSE(nearCard->holdsTextLines());
    scroll->horizontalScrollBar()->setValue(0);
    EXPECT_EQ(scroll->viewport()->grab(nearCard->boardFrame()).toImage(), nearAsShown);
    EXPECT_TRUE(nearCard->holdsTextLines());
    EXPECT_FALSE(farCard->holdsTextLines());
}

TEST_F(BoardCardLayerTest, APressAfterAReleaseThatNeverCameGoesToTheCardUnderThePointer)
{
    // A drag of a card takes the release of the press that began it: the next press must still
    // reach the card it falls on.
    const QString path = story("LostRelease", {inBeat(1, 0.05f), inBeat(1, 0.6f)});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    const std::vector<std::int64_t> keys = cardKeys(path);
    SceneCardView* first = cardView(*document, keys.front());
    SceneCardView* second = cardView(*document, keys.back());
    BoardCardLayer* layer = layerOf(*document);
    QTest::mousePress(layer, Qt::LeftButton, Qt::NoModifier, boardPoint(*first, SceneCardPart::Description));
    EXPECT_EQ(first->editedPart(), SceneCardPart::Description);
    QTest::mousePress(layer, Qt::LeftButton, Qt::NoModifier, boardPoint(*second, SceneCardPart::Heading));
    EXPECT_EQ(second->editedPart(), SceneCardPart::Heading);
    EXPECT_EQ(first->editedPart(), SceneCardPart::None);
    QTest::mouseRelease(layer, Qt::LeftButton, Qt::NoModifier, boardPoint(*second, SceneCardPart::Heading));
}

TEST_F(BoardCardLayerTest, ACardsPictureForADragIsTheCardWhetherOrNotItWasEverShown)
{
    // The list view drags a picture of a card made by a view that never showed it.
    CardSpec spec = inBeat(1, 0.05f);
    spec.heading = QStringLiteral("INT. LIGHTHOUSE - NIGHT");
    const QString path = story("Picture", {spec});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    Screenplaydb& screenplay = *document->currentScreenplay();
    SceneCardView picture(nullptr, &screenplay);
    picture.setScene(card(*document, cardKeys(path).front()));
    ASSERT_EQ(picture.madeView(), nullptr);
    const QImage unshown = picture.myViewImage().toImage();
    ASSERT_FALSE(unshown.isNull());
    picture.view()->resize(picture.cardSize());
    const QImage shown = picture.myViewImage().toImage();
    EXPECT_EQ(unshown.convertToFormat(QImage::Format_ARGB32), shown.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(BoardCardLayerTest, EachCardIsFoundWhereItLiesAfterZoomsRestackingAndAWidgetTakenDown)
{
    const QString path = story("Places", {inBeat(1, 0.05f), inBeat(9, 0.35f), inBeat(14, 0.65f), inBeat(19, 0.95f)});
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    BoardView* board = document->boardView();
    std::vector<SceneCardView*> cards;
    for (SceneCardView* card : board->shownCards())
        if (card)
            cards.push_back(card);
    ASSERT_EQ(cards.size(), 4u);
    const auto zoomTo = [document](int factor) {
        QAction zoom(QStringLiteral("Zoom"));
        zoom.setData(factor);
        document->zoomTheBoard(&zoom);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"as opened", [] {}},
        {"after a zoom to the largest cards", [&] { zoomTo(4); }},
        {"after each card came to the top three times",
         [&] {
             for (int round = 0; round < 3; ++round)
                 for (SceneCardView* card : cards)
                     board->popToTheTop(*card);
         }},
        {"after a card was dragged and its widget taken down",
         [&] {
             SceneCardView* card = cards.front();
             const QPoint tack = boardPoint(*card, SceneCardPart::ThumbTack);
             QTest::mousePress(board->cardLayer(), Qt::LeftButton, Qt::NoModifier, tack);
             for (int step = 1; step <= 3; ++step) {
                 QMouseEvent move(QEvent::MouseMove, QPointF(tack + QPoint(25 * step, 0)),
                                  board->cardLayer()->mapToGlobal(QPointF(tack)), Qt::NoButton, Qt::LeftButton,
                                  Qt::NoModifier);
                 QApplication::sendEvent(board->cardLayer(), &move);
             }
             QTest::mouseRelease(board->cardLayer(), Qt::LeftButton, Qt::NoModifier, tack + QPoint(75, 0));
             card->releaseView();
             settle();
             ASSERT_EQ(card->madeView(), nullptr);
         }},
        {"after a zoom back to the smallest cards", [&] { zoomTo(1); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const std::vector<SceneCardView*>& shown = board->shownCards();
        ASSERT_EQ(board->shownFrames().size(), shown.size());
        for (std::size_t slot = 0; slot < shown.size(); ++slot)
            if (shown[slot] && !shown[slot]->madeView()) {
                EXPECT_EQ(board->shownFrames()[slot], shown[slot]->boardFrame()) << slot;
            }
        // The pointer finds each card at the points of it that no other card covers, and the
        // layer paints the card there, not the cork.
        const QImage painted = board->view()->grab().toImage();
        const auto frameOf = [](const SceneCardView* card) {
            return card->madeView() ? card->madeView()->geometry() : card->boardFrame();
        };
        for (SceneCardView* card : cards) {
            SCOPED_TRACE(card->scene()->sceneCardID());
            const QRect frame = frameOf(card);
            int found = 0;
            for (int row = 1; row < 8; ++row)
                for (int column = 1; column < 8; ++column) {
                    const QPoint at = frame.topLeft() + QPoint(frame.width() * column / 8, frame.height() * row / 8);
                    if (std::any_of(cards.begin(), cards.end(),
                                    [&](const SceneCardView* other) { return other != card && frameOf(other).contains(at); }))
                        continue;
                    ++found;
                    EXPECT_EQ(board->cardAt(at), card) << at.x() << "," << at.y();
                }
            EXPECT_GT(found, 10);
            EXPECT_EQ(painted.pixel(frame.topLeft() + QPoint(frame.width() - 12, frame.height() - 3)), qRgb(255, 255, 255));
        }
    }
}

namespace {

// A double click as the window system gives it: through the window, each press and release to
// whatever widget lies under the pointer at that moment.
void doubleClickThroughTheWindow(QWidget* widget, const QPoint& at)
{
    QWidget* window = widget->window();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, widget->mapTo(window, at));
    QApplication::processEvents();
}

} // namespace

TEST_F(BoardCardLayerTest, OneDoubleClickOnATitleBarOpensTheCardCoveredOrNot)
{
    struct Row {
        const char* what;
        std::size_t card;
        bool largeCardOpen;
    };
    const Row rows[] = {
        {"a card half under the next one", 0, false},
        {"the card on top", 1, false},
        {"a Litter Box card", 2, false},
        {"a Litter Box card while the large card shows another", 2, true},
        {"a covered board card after the large card closed", 0, true},
    };
    int stories = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QString path = story(QStringLiteral("Covered%1").arg(stories++),
                                   {inBeat(1, 0.05f), inBeat(1, 0.12f), inBeat(3, 0.2f, 2)});
        MyDocument* document = open(path);
        ASSERT_NE(document, nullptr);
        document->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(document->window()));
        const std::vector<std::int64_t> keys = cardKeys(path);
        SceneCardView* under = cardView(*document, keys[0]);
        SceneCardView* over = cardView(*document, keys[1]);
        ASSERT_TRUE(under->boardFrame().intersects(over->boardFrame())) << "the cards overlap";
        if (row.largeCardOpen) {
            document->openBigSceneCard(card(*document, keys[1]), 1);
            settle();
            if (row.card == 0) {
                QTest::mouseClick(document->bigSceneViewController()->cmdClose(), Qt::LeftButton);
                settle();
            }
        }
        SceneCardView* target = cardView(*document, keys[row.card]);
        // The left end of the title bar, which shows on a card half under the next one: where
        // the first indicator would stand, though the card shows none.
        ASSERT_TRUE(target->indicators().empty());
        const QPoint inCard = target->layout().indicatorFrame(0).center();
        ASSERT_TRUE(target->layout().frame(SceneCardPart::TitleBar).contains(inCard));
        if (row.card == 2) {
            QWidget* litterCard = target->view();
            ASSERT_EQ(litterCard->parentWidget(), document->litterBoxView());
            document->scrLitterBox()->ensureWidgetVisible(litterCard);
            settle();
            doubleClickThroughTheWindow(litterCard, inCard);
        } else {
            BoardCardLayer* layer = layerOf(*document);
            const QPoint at = target->boardFrame().topLeft() + inCard;
            ASSERT_EQ(document->boardView()->cardAt(at), target) << "the title bar shows there";
            doubleClickThroughTheWindow(layer, layer->mapFrom(document->boardView()->view(), at));
        }
        settle();
        ASSERT_NE(document->bigSceneViewController(), nullptr);
        EXPECT_EQ(document->currentScreenplay()->bigSceneSceneCardID(), keys[row.card]);
        document->window()->close();
        settle();
    }
}

TEST_F(BoardCardLayerTest, AfterTheLargeCardClosesTheKeyboardIsOnTheCardThatWasOpen)
{
    const QString path = story("Closed", {inBeat(1, 0.05f), inBeat(6, 0.5f), inBeat(19, 0.8f), inBeat(20, 0.5f, 2)},
                               QStringLiteral("BoardWidth = 3000, BoardHeight = 1400"));
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    document->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(document->window()));
    const std::vector<std::int64_t> keys = cardKeys(path);
    // On the corkboard, each card in turn; then in the list.
    for (const std::size_t i : {1u, 2u, 0u}) {
        SCOPED_TRACE(i);
        document->openBigSceneCard(card(*document, keys[i]), 1);
        settle();
        // The writer was typing in the large card's heading.
        QLineEdit* heading = document->bigSceneViewController()->tfHeading();
        QTest::mouseClick(heading, Qt::LeftButton);
        ASSERT_EQ(QApplication::focusWidget(), heading);
        QTest::mouseClick(document->bigSceneViewController()->cmdClose(), Qt::LeftButton);
        settle();
        SceneCardView* closed = cardView(*document, keys[i]);
        ASSERT_NE(closed->madeView(), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), closed->madeView());
        EXPECT_TRUE(document->boardView()->view()->isAncestorOf(QApplication::focusWidget()));
        // It shows in the board's scroll view, on top of the others.
        QScrollArea* scroll = document->scrBoard();
        const QRect shown(closed->madeView()->mapTo(scroll->viewport(), QPoint(0, 0)), closed->madeView()->size());
        EXPECT_TRUE(scroll->viewport()->rect().intersects(shown));
        EXPECT_EQ(document->boardView()->cardAt(closed->boardFrame().center()), closed);
    }
    // Opens the large card on the card, closes it by its button and answers the card's widget.
    const auto openAndClose = [&](std::int64_t key) {
        document->openBigSceneCard(card(*document, key), 1);
        settle();
        QTest::mouseClick(document->bigSceneViewController()->cmdClose(), Qt::LeftButton);
        settle();
        return cardView(*document, key)->madeView();
    };
    // A card opened from the Litter Box has it there, scrolled into view.
    QScrollArea* column = document->scrLitterBox();
    column->verticalScrollBar()->setValue(0);
    QWidget* discarded = openAndClose(keys[3]);
    ASSERT_NE(discarded, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), discarded);
    EXPECT_TRUE(document->litterBoxView()->isAncestorOf(discarded));
    EXPECT_TRUE(column->viewport()->rect().contains(
        QRect(discarded->mapTo(column->viewport(), QPoint(0, 0)), discarded->size())));
    app_->actions().mnuToggleBoardView->trigger();
    settle();
    ASSERT_NE(document->boardListViewView(), nullptr);
    QWidget* listed = openAndClose(keys[2]);
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), listed);
    EXPECT_TRUE(document->boardListViewView()->isAncestorOf(listed));
}
