#include "PanesFixture.h"

#include "app/AdviceWindow.h"
#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/Beatdb.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/InitialBeatCards.h"
#include "panes/TitleLoglineView.h"
#include "panes/ModalDialogs.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QSet>
#include <QTextBrowser>
#include <QToolButton>

#include <algorithm>

class BoardCommands : public PanesFixture
{
protected:
    SceneCarddb* newestCard() const
    {
        return screenplay().sceneCardForSceneCardID(stored("SELECT MAX(SceneCardID) FROM SceneCard").toLongLong());
    }
};

TEST_F(BoardCommands, ANewCardGoesBesideTheActiveCardAndOpensInTheLargeCard)
{
    open(story("Beside", "", true));
    SceneCarddb* anchor = screenplay().sceneCards()[4].get();
    document_->setActiveSceneCardID(anchor->sceneCardID());
    app_->actions().mnuAddSceneCard->trigger();

    SceneCarddb* card = newestCard();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->positionLeft(), anchor->positionLeft() + 20);
    EXPECT_EQ(card->positionTop(), anchor->positionTop());
    EXPECT_EQ(card->pageNumber(), anchor->pageNumber());
    EXPECT_EQ(card->currentBeatSection(), anchor->currentBeatSection());
    EXPECT_GT(card->percentageHorizontal(), anchor->percentageHorizontal());
    EXPECT_EQ(card->onBoard(), 1);
    EXPECT_EQ(stored(QStringLiteral("SELECT COUNT(*) || '|' || MIN(SortOrder) FROM ScriptPart WHERE SceneCardID = %1")
                         .arg(card->sceneCardID())),
              "1|1");
    // The board is in board order again, numbered 1 to 16.
    EXPECT_EQ(stored("SELECT group_concat(SortOrder) FROM (SELECT SortOrder FROM SceneCard ORDER BY SortOrder)"),
              "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
    EXPECT_EQ(screenplay().sceneCards()[5].get(), card) << "right after its anchor";
    EXPECT_EQ(stored("SELECT BigSceneView || '|' || BigSceneSceneCardID FROM Screenplay"),
              QStringLiteral("1|%1").arg(card->sceneCardID()));

    // The next one goes beside the card the large scene card shows.
    app_->actions().mnuAddSceneCard->trigger();
    EXPECT_EQ(newestCard()->positionLeft(), card->positionLeft() + 20);
}

TEST_F(BoardCommands, AStoryThatIsNotReadyTakesNoCard)
{
    open(story("NotReady"));
    app_->actions().mnuAddSceneCard->trigger();
    EXPECT_EQ(stored("SELECT COUNT(*) FROM SceneCard"), "0");
    EXPECT_FALSE(app_->actions().mnuAddSceneCard->isVisible());
}

TEST_F(BoardCommands, TheFirstCardOfAnEmptyBoardGoesToItsTopLeftCorner)
{
    open(story("Corner", "Genre = 'Action'"));
    // Ready for cards, yet none on the board: the initial beat cards were never asked for,
    // as no edit of the title, logline, genre or beats ended since.
    QApplication::focusWidget()->clearFocus();
    describeEveryBeat();
    screenplay().currentLogline()->setLogline("A logline");
    document_->addSceneCard();
    ASSERT_EQ(screenplay().sceneCards().size(), 1u);
    const SceneCarddb& card = *screenplay().sceneCards().front();
    EXPECT_EQ(card.positionLeft(), 4);
    EXPECT_EQ(card.positionTop(), 4);
    EXPECT_EQ(card.pageNumber(), 1);
    EXPECT_EQ(card.currentBeatSection(), 1);
    EXPECT_FLOAT_EQ(card.percentageVertical(), 4.0f / static_cast<float>(screenplay().boardHeight()));
}

TEST_F(BoardCommands, TheInitialBeatCardsDialogOffersHelpAndPlacesCardsHoweverItEnds)
{
    open(story("Dialog", "Genre = 'Action'"));
    describeEveryBeat();
    bool helped = false;
    ModalDialogs::setRunner([&](QDialog& dialog) {
        auto& cards = static_cast<InitialBeatCards&>(dialog);
        EXPECT_EQ(document_->initialBeatCardsWindow(), &cards);
        cards.chkDebate()->setChecked(true);
        cards.findChild<QToolButton*>("chkDebateHelp")->click();
        helped = cards.adviceWindow() && cards.adviceWindow()->webDocument()->source() == QUrl("qrc:/help/BEAT5.htm");
        EXPECT_EQ(document_->adviceWindow(), nullptr) << "the dialog's own advice window";
        dialog.reject();
        return dialog.result();
    });
    type(titlePane().tfLogline(), "A hero must choose between two cities.");
    EXPECT_TRUE(helped);
    EXPECT_EQ(document_->initialBeatCardsWindow(), nullptr);
    EXPECT_EQ(screenplay().sceneCards().size(), 17u) << "fifteen beat cards and the two debate cards";
    // A board with cards is never given a second set.
    document_->addMajorTurnCards();
    EXPECT_EQ(screenplay().sceneCards().size(), 17u);
}

TEST_F(BoardCommands, AReadyStoryWithoutCardsIsOfferedThemOverItsDrawnWindowOnOpening)
{
    const QString path = story("Drawn", "ScreenplayTitle = 'Drawn', Genre = 'Action'");
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), "UPDATE Beat SET Description = 'Written'");
        SqlProbe::exec(connection.get(), "UPDATE Logline SET Logline = 'A painter must finish the mural by dawn.'");
    }
    struct PaintLog : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                painted.insert(watched);
            return false;
        }
        // Whether the widget or one inside it painted.
        bool paintedWithin(const QWidget* area) const
        {
            return std::any_of(painted.begin(), painted.end(), [area](QObject* object) {
                auto* widget = qobject_cast<QWidget*>(object);
                return widget && (widget == area || area->isAncestorOf(widget));
            });
        }
        QSet<QObject*> painted;
    } log;
    qApp->installEventFilter(&log);
    switchAutomaticTips(true);
    int offers = 0;
    ModalDialogs::setRunner([&](QDialog& dialog) {
        ++offers;
        // The panes behind the offer were drawn before it came.
        if (MyDocument* shown = app_->documentController().documentForPath(path)) {
            EXPECT_TRUE(shown->splTitle()->updatesEnabled());
            EXPECT_TRUE(log.painted.contains(shown->titleLoglineView()->tfTitle()));
            EXPECT_TRUE(log.paintedWithin(shown->scrBoard()));
            EXPECT_FALSE(shown->autoTipTimer() && shown->autoTipTimer()->isActive()) << "the tip waits for the offer";
        } else {
            ADD_FAILURE() << "offered while the story was still opening";
        }
        static_cast<InitialBeatCards&>(dialog).cmdProceed()->click();
        return dialog.result();
    });
    open(path);
    qApp->removeEventFilter(&log);
    EXPECT_EQ(offers, 1);
    ASSERT_NE(document_->autoTipTimer(), nullptr);
    EXPECT_TRUE(document_->autoTipTimer()->isActive());
    EXPECT_EQ(stored("SELECT COUNT(*) FROM SceneCard WHERE OnBoard = 1"), "15");
}

TEST_F(BoardCommands, AStoryWhoseCardsAreAllInTheLitterBoxIsNeverGivenASecondSetOfBeatCards)
{
    const QString path = story("Swept", "ScreenplayTitle = 'Swept', Genre = 'Action'", true);
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), QStringLiteral("UPDATE SceneCard SET OnBoard = 2"));
    }
    open(path);
    ASSERT_TRUE(screenplay().sceneCards().empty());
    ASSERT_EQ(screenplay().litterBox().size(), 15u);
    describeEveryBeat();
    // Every edit that asks for the beat cards finds the story ready, and its cards in the
    // Litter Box.
    type(titlePane().tfLogline(), QStringLiteral("A swimmer must cross the lake before dawn."));
    type(titlePane().tfTitle(), QStringLiteral("Swept Away"));
    chooseGenre(QStringLiteral("Adventure"));
    ASSERT_TRUE(writeBeat(2, QStringLiteral("The theme, said aloud")));
    document_->addMajorTurnCards();
    // Reopened, the empty board asks again.
    document_->window()->close();
    settle();
    open(path);
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0);
    EXPECT_EQ(stored("SELECT COUNT(*) || '|' || SUM(OnBoard = 2) FROM SceneCard"), "15|15");
    // Cards in the Litter Box let the story take new cards, though its beats are not all
    // described any more.
    screenplay().beats().back()->setDescription(QString());
    EXPECT_TRUE(document_->okToAddSceneCards());
}
