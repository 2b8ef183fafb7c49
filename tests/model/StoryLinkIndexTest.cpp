#include "model/AttachedObjectdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/StoryLinkIndex.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Cards 10 and 12 on the board, 13 in the Litter Box; links of card 10 spread through the
// tables between those of other cards, links of a card that is gone (999) and of no card (0).
void buildLinkedStory(NewStory& file)
{
    file.exec("INSERT INTO Character (CharacterID,ScreenplayID,CharacterName) VALUES (1,1,'Bob'),(2,1,'Alice')");
    file.exec("INSERT INTO AttachedObject (AttachedObjectID,ScreenplayID,Title) VALUES (1,1,'Map'),(2,1,'Photo'),"
              "(3,1,'Letter')");
    file.exec("INSERT INTO SceneCard (SceneCardID,ScreenplayID,Heading,OnBoard,CurrentBeatSection,SortOrder,PageNumber)"
              " VALUES (10,1,'TEN',1,5,2,30),(12,1,'TWELVE',1,5,1,28),(13,1,'THIRTEEN',2,4,1,20)");
    // Card 10: a link that is not primary first, then two marked primary (the first counts).
    file.exec("INSERT INTO SceneCardObject (SceneCardObjectID,SceneCardID,AttachedObjectID,PrimaryDisplayFlag) VALUES "
              "(1,10,2,0),(2,12,1,1),(3,10,3,1),(4,10,1,1),(5,999,1,1)");
    file.exec("INSERT INTO SceneCardCharacter (SceneCardCharacterID,SceneCardID,CharacterID) VALUES "
              "(1,10,2),(2,12,1),(3,10,1),(4,13,2)");
    file.exec("INSERT INTO SceneSetup (SceneSetupID,SceneCardID,SceneSetup,ScenePayoffID) VALUES "
              "(1,10,'gun',1),(2,0,'thread',0),(3,12,'key',0),(4,10,'pie',2),(5,13,'map',0)");
    file.exec("INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) VALUES "
              "(1,12,'shot'),(2,13,'eaten'),(3,0,'loose end'),(4,10,'door')");
    file.reopen();
}

// The records of `list` lying on `key`, in the story's order: what the index must answer.
template <typename Record>
std::vector<const Record*> onCard(const RecordList<Record>& list, std::int64_t key)
{
    std::vector<const Record*> found;
    for (const auto& record : list)
        if (key != 0 && record->sceneCardID() == key)
            found.push_back(record.get());
    return found;
}

} // namespace

TEST(StoryLinkIndex, EachCardGetsItsOwnLinksInTheStorysOrderWhetherWholeOrForOneCard)
{
    NewStory file;
    buildLinkedStory(file);
    Screenplaydb& story = file.story();
    ASSERT_EQ(story.sceneCards().size(), 2u);
    ASSERT_EQ(story.litterBox().size(), 1u);
    const StoryLinkIndex whole(story);
    // Every card, a card that is gone, no card, and a card that never was.
    for (const std::int64_t key : {std::int64_t{10}, std::int64_t{12}, std::int64_t{13}, std::int64_t{999},
                                   std::int64_t{0}, std::int64_t{55}}) {
        SCOPED_TRACE(key);
        const StoryLinkIndex single(story, key);
        for (const StoryLinkIndex* index : {&whole, &single}) {
            EXPECT_EQ(index->charactersOfCard(key), onCard(story.sceneCardCharacters(), key));
            EXPECT_EQ(index->setupsOfCard(key), onCard(story.sceneSetups(), key));
            EXPECT_EQ(index->payoffsOfCard(key), onCard(story.scenePayoffs(), key));
            EXPECT_EQ(index->attachmentLinksOfCard(key), onCard(story.sceneCardObjects(), key));
        }
        // A one-card index knows nothing of other cards.
        if (key != 10) {
            EXPECT_TRUE(StoryLinkIndex(story, 10).setupsOfCard(key).empty());
        }
    }
    // Card 10's first primary link gives its thumbnail; a card with links but none primary has none.
    for (const StoryLinkIndex& index : {StoryLinkIndex(story), StoryLinkIndex(story, 10)}) {
        ASSERT_NE(index.primaryAttachmentLinkOfCard(10), nullptr);
        EXPECT_EQ(index.primaryAttachmentLinkOfCard(10)->sceneCardObjectID(), 3);
        EXPECT_EQ(index.primaryAttachmentLinkOfCard(13), nullptr);
    }
    EXPECT_EQ(StoryLinkIndex(story, 12).primaryAttachmentLinkOfCard(12)->attachedObjectID(), 1);
}

TEST(StoryLinkIndex, AnIndexOfSomeCardsHoldsTheirLinksAndNoOthers)
{
    NewStory file;
    buildLinkedStory(file);
    Screenplaydb& story = file.story();
    // Lists with a card listed twice, a card that is gone, no card, and no cards at all.
    const std::vector<std::vector<std::int64_t>> lists = {{10, 13}, {13}, {12, 12, 999}, {0, 10}, {}};
    for (const auto& listed : lists) {
        const StoryLinkIndex some(story, listed);
        for (const std::int64_t key : {std::int64_t{10}, std::int64_t{12}, std::int64_t{13}, std::int64_t{999},
                                       std::int64_t{0}}) {
            SCOPED_TRACE(testing::Message() << "card " << key << " of " << listed.size() << " listed");
            const bool isListed = key != 0 && std::find(listed.begin(), listed.end(), key) != listed.end();
            const auto expected = [&](const auto& list) {
                return isListed ? onCard(list, key) : decltype(onCard(list, key)){};
            };
            EXPECT_EQ(some.charactersOfCard(key), expected(story.sceneCardCharacters()));
            EXPECT_EQ(some.setupsOfCard(key), expected(story.sceneSetups()));
            EXPECT_EQ(some.payoffsOfCard(key), expected(story.scenePayoffs()));
            EXPECT_EQ(some.attachmentLinksOfCard(key), expected(story.sceneCardObjects()));
        }
    }
    ASSERT_NE(StoryLinkIndex(story, std::vector<std::int64_t>{10}).primaryAttachmentLinkOfCard(10), nullptr);
    EXPECT_EQ(StoryLinkIndex(story, std::vector<std::int64_t>{10}).primaryAttachmentLinkOfCard(10)->sceneCardObjectID(),
              3);
}

TEST(StoryLinkIndex, PartnersCardsAndAttachmentsAreThoseTheStoryItselfFinds)
{
    NewStory file;
    buildLinkedStory(file);
    Screenplaydb& story = file.story();
    // An index of some cards finds the partners of every card, as the whole story's does.
    for (const StoryLinkIndex& index : {StoryLinkIndex(story), StoryLinkIndex(story, 10),
                                        StoryLinkIndex(story, std::vector<std::int64_t>{13})}) {
        for (const std::int64_t key : {0, 1, 2, 3, 4, 5, 10, 12, 13, 999}) {
            SCOPED_TRACE(key);
            EXPECT_EQ(index.payoffForPayoffID(key), story.payoffForPayoffID(key));
            EXPECT_EQ(index.setupForPayoffID(key), story.setupForPayoffID(key));
            EXPECT_EQ(index.sceneCardForSceneCardID(key), story.sceneCardForSceneCardID(key));
            EXPECT_EQ(index.attachmentForID(key), story.attachmentForID(key));
        }
    }
    // The Litter Box card is found as well as the board's.
    ASSERT_NE(StoryLinkIndex(story).sceneCardForSceneCardID(13), nullptr);
    EXPECT_EQ(StoryLinkIndex(story).sceneCardForSceneCardID(13)->heading(), "THIRTEEN");
}
