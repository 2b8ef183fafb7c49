#include "BigSceneFixture.h"

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
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

class MiniCards : public BigSceneFixture
{
protected:
    SmallSceneCard* mini(std::size_t index) const { return document_->miniSceneCardControls()[index].get(); }
    static void enter(QWidget* widget)
    {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(widget, &event);
    }
    static void leave(QWidget* widget)
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(widget, &event);
    }
    // The pop-ups lying on the board pane.
    int popUpsShown() const
    {
        int shown = 0;
        for (const auto& card : document_->miniSceneCardControls())
            shown += card->popUpCard() ? 1 : 0;
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
    EXPECT_EQ(mini(1)->tfHeading()->text(), "EXT. PIER - DAWN");
    EXPECT_EQ(mini(1)->tfDescription()->text(), "The boat is gone");
    EXPECT_EQ(mini(1)->tfConflict()->text(), "Conflict");
    EXPECT_EQ(mini(1)->tfEmotionalChange()->text(), "Emotional Change");
    EXPECT_EQ(mini(1)->tfPageNumber()->text(), "17");
    EXPECT_EQ(mini(1)->lblEmotionalChangeType()->palette().color(QPalette::Window), QColor(Qt::red));
    // The card keeps its empty texts.
    EXPECT_EQ(column(card->sceneCardID(), QStringLiteral("Conflict")), "");
    EXPECT_EQ(column(card->sceneCardID(), QStringLiteral("EmotionalChange")), "");
}

TEST_F(MiniCards, TheOpenCardsMiniCardIsWhiteAndChoosingOneKeepsTheTab)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2), inBeat(3)}, 0, 4), nullptr);
    const QColor white(Qt::white);
    const QColor grey(Qt::lightGray);
    EXPECT_EQ(mini(0)->boxBackground()->palette().color(QPalette::Window), white);
    EXPECT_EQ(mini(1)->boxBackground()->palette().color(QPalette::Window), grey);
    big()->cmdNextCard()->click();
    EXPECT_EQ(mini(0)->boxBackground()->palette().color(QPalette::Window), grey);
    EXPECT_EQ(mini(1)->boxBackground()->palette().color(QPalette::Window), white);

    // Choosing the open card's own mini card writes the fields and reopens it on its tab.
    big()->tfConflict()->setText(QStringLiteral("Fog"));
    mini(1)->cmdSelect()->click();
    EXPECT_EQ(big()->scene(), boardCard(1));
    EXPECT_EQ(big()->selectedTabID(), 4);
    EXPECT_EQ(column(QStringLiteral("Conflict")), "Fog");
    mini(2)->cmdSelect()->click();
    EXPECT_EQ(big()->scene(), boardCard(2));
    EXPECT_EQ(big()->selectedTabID(), 4);
    EXPECT_TRUE(mini(2)->isEnabled());
    EXPECT_FALSE(mini(1)->isEnabled());
}

TEST_F(MiniCards, ASavedEditShowsOnTheMiniCardAndTheBoardCardAtOnce)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2)}), nullptr);
    activate();
    typeAfter(big()->tfHeading(), QStringLiteral(" by night"), Qt::Key_Return);
    EXPECT_EQ(mini(0)->tfHeading()->text(), "INT. ROOM - DAY BY NIGHT");
    EXPECT_EQ(cardView(*document_, keys_[0])->fieldText(SceneCardPart::Heading), "INT. ROOM - DAY BY NIGHT");
}

TEST_F(MiniCards, OnePopUpAtATimeShowsAboveTheStripWhereItsMiniCardIs)
{
    ASSERT_NE(openCard({inBeat(1), inBeat(2), inBeat(3), inBeat(4), inBeat(5), inBeat(6)}), nullptr);
    QScrollArea* strip = document_->scrMiniSceneCards();
    strip->horizontalScrollBar()->setValue(strip->horizontalScrollBar()->maximum());
    enter(mini(4)->cmdSelect());
    ASSERT_NE(mini(4)->popUpCard(), nullptr);
    const BoardSections& sections = screenplay().boardSections();
    const int height = static_cast<int>(sections.STANDARDSCENECARDHEIGHT());
    EXPECT_EQ(mini(4)->popUpCard()->geometry(),
              QRect(strip->x() + mini(4)->view()->x() - strip->horizontalScrollBar()->value(), strip->y() - height,
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
    enter(mini(4)->cmdSelect());
    enter(mini(5)->cmdSelect());
    EXPECT_EQ(popUpsShown(), 1);
    EXPECT_NE(mini(5)->popUpCard(), nullptr);
    EXPECT_EQ(document_->boardPane()->findChildren<SceneCardPopUp*>().size(), 1);
    leave(mini(5)->cmdSelect());
    EXPECT_EQ(popUpsShown(), 0);
    EXPECT_TRUE(document_->boardPane()->findChildren<SceneCardPopUp*>().isEmpty());
}
