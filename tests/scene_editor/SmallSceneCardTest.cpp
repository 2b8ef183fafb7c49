#include "BigSceneFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "board/SceneCardPainter.h"
#include "board/SceneCardView.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SmallSceneCard.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

class MiniCards : public BigSceneFixture
{
protected:
    SmallSceneCard* mini(std::size_t index) const { return &document_->miniSceneCardControls()[index]; }
    QWidget* strip() const { return document_->vMiniSceneCards(); }
    // The mouse comes to rest on a small card, 5 points inside its top left corner.
    void enter(const SmallSceneCard* card) const
    {
        const QPointF at = card->frame().topLeft() + QPointF(5, 5);
        QMouseEvent event(QEvent::MouseMove, at, strip()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(strip(), &event);
    }
    void leave() const
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(strip(), &event);
    }
    // A click in the middle of a small card.
    void choose(const SmallSceneCard* card) const
    {
        QTest::mouseClick(strip(), Qt::LeftButton, {}, card->frame().center());
    }
    // The pop-ups lying on the board pane.
    int popUpsShown() const
    {
        int shown = 0;
        for (const auto& card : document_->miniSceneCardControls())
            shown += card.popUpCard() ? 1 : 0;
        return shown;
    }
};

TEST_F(MiniCards, AMiniCardShowsItsCardWithPlaceholdersForEmptyTexts)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2)}), nullptr);
    SceneCarddb* card = boardCard(1);
    card->setHeading(QStringLiteral("EXT. PIER - DAWN"));
    card->setDescription(QStringLiteral("The boat is gone"));
    card->setConflict(QString());
    card->setEmotionalChange(QString());
    card->setEmotionalChangeType(2);
    card->setPageNumber(17);
    card->save();
    mini(1)->setScene(card);
    EXPECT_EQ(mini(1)->look().heading, "EXT. PIER - DAWN");
    EXPECT_EQ(mini(1)->look().description, "The boat is gone");
    EXPECT_EQ(mini(1)->look().conflict, "Conflict");
    EXPECT_EQ(mini(1)->look().emotionalChange, "Emotional Change");
    EXPECT_EQ(mini(1)->look().pageNumber, "17");
    EXPECT_EQ(mini(1)->look().emotionalChangeType, QColor(Qt::red));
    // The card keeps its empty texts.
    EXPECT_EQ(column(card->sceneCardID(), QStringLiteral("Conflict")), "");
    EXPECT_EQ(column(card->sceneCardID(), QStringLiteral("EmotionalChange")), "");
}

TEST_F(MiniCards, TheOpenCardsMiniCardIsWhiteAndInSightAndChoosingOneKeepsTheTab)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2), inBeat(3)}, 0, 4), nullptr);
    const QColor white(Qt::white);
    const QColor grey(Qt::lightGray);
    EXPECT_EQ(mini(0)->backgroundColor(), white);
    EXPECT_EQ(mini(1)->backgroundColor(), grey);
    big()->cmdNextCard()->click();
    EXPECT_EQ(mini(0)->backgroundColor(), grey);
    EXPECT_EQ(mini(1)->backgroundColor(), white);

    // Choosing the open card's own mini card writes the fields and reopens it on its tab.
    big()->tfConflict()->setText(QStringLiteral("Fog"));
    choose(mini(1));
    EXPECT_EQ(big()->scene(), boardCard(1));
    EXPECT_EQ(big()->selectedTabID(), 4);
    EXPECT_EQ(column(QStringLiteral("Conflict")), "Fog");
    choose(mini(2));
    EXPECT_EQ(big()->scene(), boardCard(2));
    EXPECT_EQ(big()->selectedTabID(), 4);
    EXPECT_TRUE(mini(2)->isEnabled());
    EXPECT_FALSE(mini(1)->isEnabled());

    // The large card of the 30th card opens with its small card in sight.
    document_->window()->close();
    settle();
    ASSERT_NE(openCard(std::vector<CardSpec>(30, inBeat(2)), 29), nullptr);
    const QScrollArea& scroll = *document_->scrMiniSceneCards();
    EXPECT_TRUE(QRect(-strip()->pos(), scroll.viewport()->size()).contains(mini(29)->frame()));
}

TEST_F(MiniCards, ASavedEditShowsOnTheMiniCardAndTheBoardCardAtOnce)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2)}), nullptr);
    activate();
    typeAfter(big()->tfHeading(), QStringLiteral(" by night"), Qt::Key_Return);
    EXPECT_EQ(mini(0)->look().heading, "INT. ROOM - DAY BY NIGHT");
    EXPECT_EQ(cardView(*document_, keys_[0])->fieldText(SceneCardPart::Heading), "INT. ROOM - DAY BY NIGHT");
}

TEST_F(MiniCards, OnePopUpAtATimeShowsAboveTheStripWhereItsMiniCardIs)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2), inBeat(3), inBeat(4), inBeat(5), inBeat(6)}), nullptr);
    QScrollArea* strip = document_->scrMiniSceneCards();
    strip->horizontalScrollBar()->setValue(strip->horizontalScrollBar()->maximum());
    enter(mini(4));
    ASSERT_NE(mini(4)->popUpCard(), nullptr);
    const BoardSections& sections = screenplay().boardSections();
    const int height = static_cast<int>(sections.STANDARDSCENECARDHEIGHT());
    EXPECT_EQ(mini(4)->popUpCard()->geometry(),
              QRect(strip->x() + mini(4)->frame().x() - strip->horizontalScrollBar()->value(), strip->y() - height,
                    static_cast<int>(sections.STANDARDSCENECARDWIDTH()), height));
    EXPECT_EQ(mini(4)->popUpCard()->scene(), boardCard(4));
    EXPECT_EQ(mini(4)->popUpCard()->parentWidget(), document_->boardPane());
    // It is the card as the board paints it.
    QImage expected(mini(4)->popUpCard()->size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        QPainter painter(&expected);
        paintSceneCard(painter, QRectF(expected.rect()), screenplay(), *boardCard(4), screenplay().boardZoomFactor());
    }
    QImage shown(expected.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    mini(4)->popUpCard()->render(&shown);
    EXPECT_EQ(shown, expected);
    // A second rest without a leave in between: still one pop-up.
    enter(mini(4));
    enter(mini(5));
    EXPECT_EQ(popUpsShown(), 1);
    EXPECT_NE(mini(5)->popUpCard(), nullptr);
    EXPECT_EQ(document_->boardPane()->findChildren<SceneCardPopUp*>().size(), 1);
    leave();
    EXPECT_EQ(popUpsShown(), 0);
    EXPECT_TRUE(document_->boardPane()->findChildren<SceneCardPopUp*>().isEmpty());
    // The story closed while one shows: the pop-up goes once, with its small card.
    enter(mini(5));
    document_->window()->close();
    settle();
    EXPECT_TRUE(app_->documentController().documents().empty());
}

TEST_F(MiniCards, TheStripPaintsItsCardsAndAClickBetweenThemOpensNothing)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2), inBeat(3)}), nullptr);
    // The strip's only child is its rule: the small cards are painted, not widgets.
    EXPECT_LE(strip()->findChildren<QWidget*>().size(), 1);
    // Each card paints its own box: white for the open card, light grey for the others.
    QImage shown(strip()->size(), QImage::Format_ARGB32_Premultiplied);
    strip()->render(&shown);
    for (std::size_t index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        const QPoint blank = mini(index)->frame().bottomRight() - QPoint(3, 3);
        EXPECT_EQ(QColor(shown.pixel(blank)), mini(index)->backgroundColor());
    }
    // Between two cards, and above them, a click chooses nothing.
    const QPoint gap(mini(0)->frame().right() + 3, mini(0)->frame().center().y());
    for (const QPoint& at : {gap, QPoint(mini(1)->frame().center().x(), 2)}) {
        EXPECT_EQ(static_cast<MiniSceneCardStrip*>(strip())->cardAt(at), nullptr);
        QTest::mouseClick(strip(), Qt::LeftButton, {}, at);
        EXPECT_EQ(big()->scene(), boardCard(0));
    }
    // A press on one card and a release on another is no choice either.
    QTest::mousePress(strip(), Qt::LeftButton, {}, mini(1)->frame().center());
    QTest::mouseRelease(strip(), Qt::LeftButton, {}, mini(2)->frame().center());
    EXPECT_EQ(big()->scene(), boardCard(0));
    choose(mini(2));
    EXPECT_EQ(big()->scene(), boardCard(2));
}

// The mouse rests on the small card cut off at the strip's right edge and clicks it: the strip
// scrolls the card into sight under the resting mouse, and its pop-up goes with it, above it
// while the mouse still rests on it, or away. None is left where the card was, over the large
// card, until the mouse moves.
TEST_F(MiniCards, AChoiceThatScrollsTheStripLeavesNoPopUpWhereTheCardWas)
{
    const struct {
        const char* what;
        int fromEdge; // where the mouse rests, inside the strip's right edge
        bool stays;
    } rows[] = {{"the card stays under the mouse", 90, true}, {"the next card slides under it", 10, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(openCard(std::vector<CardSpec>(8, inBeat(2))), nullptr);
        QScrollArea* scroll = document_->scrMiniSceneCards();
        QWidget* pane = document_->boardPane();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pane->window()));
        // The first card lying wholly beyond the strip's right edge, less 100 points, is cut off there.
        const int width = scroll->viewport()->width();
        std::size_t cut = 0;
        while (mini(cut)->frame().left() <= width - 100)
            ++cut;
        scroll->horizontalScrollBar()->setValue(mini(cut)->frame().left() - (width - 100));
        const QPoint at = strip()->mapFrom(scroll->viewport(), QPoint(width - row.fromEdge, 40));
        QTest::mouseMove(strip(), at);
        ASSERT_NE(mini(cut)->popUpCard(), nullptr);
        const QRect before = mini(cut)->popUpCard()->geometry();
        QTest::mouseClick(strip(), Qt::LeftButton, {}, at);
        ASSERT_EQ(big()->scene(), boardCard(cut));

        QRect place = before;
        place.moveLeft(scroll->x() + mini(cut)->frame().x() - scroll->horizontalScrollBar()->value());
        const QList<SceneCardPopUp*> popUps = pane->findChildren<SceneCardPopUp*>();
        ASSERT_EQ(popUps.size(), row.stays ? 1 : 0);
        if (row.stays) {
            EXPECT_EQ(popUps.front(), mini(cut)->popUpCard());
            EXPECT_EQ(popUps.front()->geometry(), place);
        }
        // The pane shows where the pop-up was what it shows once the mouse has left the cards.
        const QImage clicked = pane->grab().toImage();
        QTest::mouseMove(strip(), QPoint(mini(cut)->frame().left() - 3, at.y()));
        const QImage left = pane->grab().toImage();
        for (const QRect& part : QRegion(before).subtracted(row.stays ? place : QRect()))
            EXPECT_EQ(clicked.copy(part), left.copy(part)) << part.x() << "," << part.y();
        document_->window()->close();
        settle();
    }
}
