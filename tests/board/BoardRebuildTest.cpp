// The corkboard built again while the story's window stays open: every card view follows the new
// board and none is left holding the one that went.
#include "BoardFixture.h"

#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/MyDocument.h"
#include "board/BoardView.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "support/FdxText.h"

#include <QDir>
#include <QPointer>

class BoardRebuild : public BoardFixture
{
protected:
    // A script of two scenes, 20 pages, written among the user's documents.
    QString script() const
    {
        return FdxText::writeFile(
            QDir(documents()).filePath(QStringLiteral("two scenes.fdx")),
            FdxText::script(FdxText::heading(QStringLiteral("INT. DINER - NIGHT"), QStringLiteral("2")) +
                                FdxText::paragraph(QStringLiteral("Action"), QStringLiteral("Rain.")) +
                                FdxText::heading(QStringLiteral("EXT. LOT - NIGHT"), QStringLiteral("9")) +
                                FdxText::paragraph(QStringLiteral("Action"), QStringLiteral("Thunder.")),
                            FdxText::lockedPages(20)));
    }
};

TEST_F(BoardRebuild, NoCardViewKeepsABoardThatWasTakenDown)
{
    const QString path = story(QStringLiteral("Rebuilt"), {inBeat(1)});
    const std::vector<std::int64_t> keys = cardKeys(path);
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    document->window()->activateWindow();
    const QPointer<QWidget> firstBoard = document->boardView()->view();
    // A new card opens in the large scene card, which takes the board down; the import lays the
    // window out again around the large card.
    app_->actions().mnuAddSceneCard->trigger();
    settle();
    ASSERT_EQ(document->sceneCardControls().size(), 2u);
    fakes_.filePanels->openAnswers = {script()};
    app_->actions().mnuImportFinalDraftIntoStory->trigger();
    settle();
    ASSERT_TRUE(fakes_.alerts->shown.empty());
    ASSERT_EQ(document->currentScreenplay()->sceneCards().size(), 4u);
    EXPECT_TRUE(firstBoard.isNull());
    const auto expectOnTheShownBoard = [document] {
        for (const auto& control : document->sceneCardControls()) {
            SCOPED_TRACE(control->scene()->heading().toStdString());
            EXPECT_EQ(control->myBoardViewParent(), document->boardView());
        }
    };
    expectOnTheShownBoard();

    // Editing the first card while the board is down brings nothing to the top.
    SceneCardView* first = cardView(*document, keys[0]);
    document->setActiveSceneCardID(0);
    first->beginEditing(SceneCardPart::Heading);
    settle();
    first->commitEditing();
    EXPECT_EQ(document->activeSceneCardID(), 0);

    // With the large card closed the board is built again, and holds every card view.
    document->closeBigSceneCard();
    settle();
    ASSERT_NE(document->boardView(), nullptr);
    expectOnTheShownBoard();
    first = cardView(*document, keys[0]);
    ASSERT_TRUE(first->beginEditing(SceneCardPart::Heading));
    settle();
    EXPECT_EQ(document->activeSceneCardID(), keys[0]) << "the edited card comes to the top";
}
