#include "PanesFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "panes/BeatsTableView.h"
#include "panes/TitleLoglineView.h"

#include <QAction>
#include <QLineEdit>

// A writer names a new story, writes a logline, picks a genre and a page count, fills in
// the fifteen beats, answers the initial-beat-cards dialog and adds a scene card.
struct Road {
    std::array<bool, 5> options;
    int cards;
};

class MainRoad : public PanesFixture, public ::testing::WithParamInterface<Road>
{
};

TEST_P(MainRoad, FromAnEmptyStoryToTheBoardAndANewCard)
{
    beatCardOptions = GetParam().options;
    const int beatCards = GetParam().cards;
    open(story("Road"));
    ASSERT_NE(document_->beatsTableView(), nullptr);
    type(titlePane().tfTitle(), "");
    EXPECT_FALSE(writeBeat(1, "Too soon")) << "the beats open only with a title, a logline and a genre";

    fillTitleLoglineAndGenre();
    type(titlePane().tfPageCount(), "120");
    for (int beat = 1; beat <= 14; ++beat)
        ASSERT_TRUE(writeBeat(beat, QStringLiteral("What happens in beat %1").arg(beat)));
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0) << "a beat is still empty";
    EXPECT_FALSE(app_->actions().mnuAddSceneCard->isVisible());

    ASSERT_TRUE(writeBeat(15, "The final image mirrors the first"));
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 1);
    ASSERT_EQ(static_cast<int>(screenplay().sceneCards().size()), beatCards);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM SceneCard WHERE OnBoard = 1").toInt(), beatCards);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM SceneCard WHERE BeatCardNumber BETWEEN 1 AND 15").toInt(), 15);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM ScriptPart").toInt(), beatCards) << "one paragraph per card";
    EXPECT_EQ(stored("SELECT ScreenplayTitle || '|' || Genre || '|' || PageCount FROM Screenplay"),
              "The Long Way Home|Adventure|120");
    EXPECT_TRUE(app_->actions().mnuAddSceneCard->isVisible());
    EXPECT_TRUE(document_->window()->tbAddSceneCard()->isVisible());

    // Further edits never bring the dialog again.
    type(titlePane().tfTitle(), "The Longer Way Home");
    ASSERT_TRUE(writeBeat(3, "A new set-up"));
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 1);

    document_->window()->tbAddSceneCard()->trigger();
    settle();
    EXPECT_EQ(static_cast<int>(screenplay().sceneCards().size()), beatCards + 1);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM SceneCard WHERE OnBoard = 1").toInt(), beatCards + 1);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM ScriptPart").toInt(), beatCards + 1);
    EXPECT_EQ(screenplay().bigSceneView(), 1) << "the new card opens in the large scene card";
    EXPECT_EQ(stored("SELECT BigSceneSceneCardID FROM Screenplay"), stored("SELECT MAX(SceneCardID) FROM SceneCard"));
}

INSTANTIATE_TEST_SUITE_P(InitialBeatCardChoices, MainRoad,
                         ::testing::Values(Road{{false, false, false, false, false}, 15},
                                           Road{{false, false, false, false, true}, 20},
                                           Road{{true, true, true, true, true}, 33}),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return "Cards" + std::to_string(info.param.cards);
                         });
