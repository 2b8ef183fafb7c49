// Loading reads each table once and ties the records together in memory: the links must be
// the ones the per-record reads gave, and none that names a record the story does not hold.
#include "model/AttachedObjectdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptPartdb.h"
#include "model/StoryFile.h"
#include "support/SampleCopy.h"
#include "support/StoryFixtures.h"
#include "support/StoredTables.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

// Every card's script as text, by card key.
std::map<std::int64_t, std::vector<QString>> scriptsOf(Screenplaydb& story)
{
    std::map<std::int64_t, std::vector<QString>> scripts;
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (auto& card : *cards)
            for (const auto& part : card->scriptParts())
                scripts[card->sceneCardID()].push_back(QString::number(part->scriptPartID()) + ':' + part->scriptText());
    return scripts;
}

} // namespace

TEST(StoryLoading, EveryScriptReadInOnePassMatchesEachCardReadingItsOwn)
{
    SampleCopy copy;
    LoadedStory onePass = loadStoryFile(copy.path());
    onePass.story->loadAllScriptParts();
    LoadedStory eachCard = loadStoryFile(copy.path());
    for (auto* cards : {&eachCard.story->sceneCards(), &eachCard.story->litterBox()})
        for (auto& card : *cards)
            card->loadScriptParts();
    const auto expected = scriptsOf(*eachCard.story);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(scriptsOf(*onePass.story), expected);
    // A second pass leaves cards that already hold their script alone.
    onePass.story->loadAllScriptParts();
    EXPECT_EQ(scriptsOf(*onePass.story), expected);
    onePass.story->finalizeAllSqliteStatements();
    eachCard.story->finalizeAllSqliteStatements();
}

TEST(StoryLoading, SetUpsAndPayOffsAreLinkedAsEachRecordWouldReadItself)
{
    SampleCopy copy;
    // Two set-ups naming the same pay-off, and one naming a pay-off that is gone.
    copy.exec("INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) VALUES (900,0,'The kite flies')");
    copy.exec("INSERT INTO SceneSetup (SceneSetupID,SceneCardID,SceneSetup,ScenePayoffID) VALUES "
              "(901,0,'First mention',900),(902,0,'Second mention',900),(903,0,'Orphan',777)");
    StoredTables before = storedTables(copy.path(), {});
    before.erase(QStringLiteral("Screenplay"));
    // Opened as the window opens it.
    LoadedStory loaded = loadStoryFile(copy.path());
    Screenplaydb& story = *loaded.story;
    for (const auto& setup : story.sceneSetups()) {
        SCOPED_TRACE(setup->sceneSetupID());
        SceneSetupdb alone(setup->sceneSetupID(), &story);
        EXPECT_EQ(setup->scenePayoffID(), alone.scenePayoffID());
        EXPECT_EQ(setup->scenePayoff(), alone.scenePayoff());
        EXPECT_FALSE(setup->isDirty());
    }
    for (const auto& payoff : story.scenePayoffs()) {
        SCOPED_TRACE(payoff->scenePayoffID());
        ScenePayoffdb alone(payoff->scenePayoffID(), &story);
        EXPECT_EQ(payoff->sceneSetupID(), alone.sceneSetupID());
        EXPECT_EQ(payoff->sceneSetup(), alone.sceneSetup());
    }
    const ScenePayoffdb* kite = story.payoffForPayoffID(900);
    ASSERT_NE(kite, nullptr);
    EXPECT_EQ(kite->sceneSetupID(), 901);
    const SceneSetupdb* orphan = story.setupForSetupID(903);
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(orphan->scenePayoffID(), 0);
    story.finalizeAllSqliteStatements();
    loaded = LoadedStory();
    // The orphan's link is dropped in memory only: loading rewrites the story's own row and
    // nothing else.
    StoredTables after = storedTables(copy.path(), {});
    after.erase(QStringLiteral("Screenplay"));
    expectSameTables(before, after);
    EXPECT_EQ(copy.scalar("SELECT ScenePayoffID FROM SceneSetup WHERE SceneSetupID=903"), "777");
}

TEST(StoryLoading, CharactersAndLocationsHoldTheirOwnAttachmentLinksAndCardsTheirNames)
{
    SampleCopy copy;
    LoadedStory loaded = loadStoryFile(copy.path());
    Screenplaydb& story = *loaded.story;
    for (const auto& character : story.characters())
        for (const auto* link : character->characterObjects())
            EXPECT_EQ(link->characterID(), character->characterID());
    std::size_t named = 0;
    for (const auto& link : story.sceneCardCharacters()) {
        const Characterdb* character = story.characterForCharacterID(link->characterID());
        ASSERT_NE(character, nullptr);
        EXPECT_EQ(link->characterName(), character->characterName());
        ++named;
    }
    EXPECT_GT(named, 0u);
    story.finalizeAllSqliteStatements();
}

namespace {

// A new record of the story made the ordinary way, its key given by the file.
template <typename Record>
Record& made(Screenplaydb& story, RecordList<Record>& records)
{
    records.push_back(std::make_unique<Record>());
    records.back()->setScreenplayID(story.screenplayID());
    records.back()->insertIntoDatabase(&story);
    return *records.back();
}

} // namespace

// Keys are used again, and a delete may leave rows naming its record that it did not load (a
// location's links, a card's script, links naming a record deleted earlier). A record made
// under such a key starts with none of them: the next load shows only the links made for it.
TEST(StoryLoading, ARecordMadeUnderAKeyUsedBeforeLoadsWithoutTheRowsLeftUnderIt)
{
    struct Row {
        const char* what;
        // Rows naming the key `key` of the record's table, left by a delete.
        const char* leftBehind;
        std::function<std::int64_t(Screenplaydb&)> make;
        std::int64_t key = 2;
    };
    const Row rows[] = {
        {"an attachment",
         "INSERT INTO CharacterObject (CharacterID, AttachedObjectID) VALUES (1, 2);"
         "INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID) VALUES (1, 2);"
         "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID) VALUES (1, 2);",
         [](Screenplaydb& s) { return made(s, s.attachedObjects()).attachedObjectID(); }},
        {"a character",
         "INSERT INTO CharacterObject (CharacterID, AttachedObjectID) VALUES (2, 1);"
         "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) VALUES (1, 2);",
         [](Screenplaydb& s) {
             const std::int64_t key = made(s, s.characters()).characterID();
             // The link left by the character that had the key was loaded as no one's.
             EXPECT_EQ(s.characterObjects().size(), 1u);
             return key;
         }},
        {"a location", "INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID) VALUES (2, 1);",
         [](Screenplaydb& s) { return s.sceneLocationIDForNewLocation(QStringLiteral("Spillway")); }},
        {"a card",
         "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID) VALUES (2, 1);"
         "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) VALUES (2, 1);"
         "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) VALUES (2, 1, 2, 'Old scene.');",
         [](Screenplaydb& s) { return made(s, s.sceneCards()).sceneCardID(); }},
        // Keys below the largest the rows name are cleared too, however the key was chosen.
        {"the second of two cards",
         "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) VALUES (3, 1);"
         "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) VALUES (3, 1, 2, 'Old scene.');",
         [](Screenplaydb& s) {
             made(s, s.sceneCards());
             return made(s, s.sceneCards()).sceneCardID();
         },
         3},
        {"a card given its key",
         "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID) VALUES (2, 1);"
         "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID, ScriptText) VALUES (2, 1, 2, 'Old scene.');",
         [](Screenplaydb& s) {
             s.sceneCards().push_back(std::make_unique<SceneCarddb>());
             s.sceneCards().back()->setSceneCardID(2);
             s.sceneCards().back()->setScreenplayID(s.screenplayID());
             s.sceneCards().back()->insertIntoDatabaseWithID(&s);
             return s.sceneCards().back()->sceneCardID();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NewStory file;
        // Record 1 of each table, linked to the others, and its paragraph.
        file.exec("INSERT INTO Character (CharacterID, ScreenplayID) VALUES (1, 1);"
                  "INSERT INTO SceneLocation (SceneLocationID, ScreenplayID) VALUES (1, 1);"
                  "INSERT INTO SceneCard (SceneCardID, ScreenplayID, OnBoard) VALUES (1, 1, 1);"
                  "INSERT INTO AttachedObject (AttachedObjectID, ScreenplayID) VALUES (1, 1);"
                  "INSERT INTO CharacterObject (CharacterID, AttachedObjectID) VALUES (1, 1);"
                  "INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID) VALUES (1, 1);"
                  "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID) VALUES (1, 1);"
                  "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID) VALUES (1, 1);"
                  "INSERT INTO ScriptPart (SceneCardID, SortOrder, ElementTypeID) VALUES (1, 1, 2);");
        file.exec(row.leftBehind);
        file.reopen();
        EXPECT_EQ(row.make(file.story()), row.key);
        file.reopen();
        Screenplaydb& story = file.story();
        story.loadAllScriptParts();
        std::size_t paragraphs = 0;
        for (const auto& [card, script] : scriptsOf(story))
            paragraphs += script.size();
        EXPECT_EQ(QStringLiteral("%1 %2 %3 %4 %5")
                      .arg(story.characterObjects().size())
                      .arg(story.sceneLocationObjects().size())
                      .arg(story.sceneCardObjects().size())
                      .arg(story.sceneCardCharacters().size())
                      .arg(paragraphs),
                  "1 1 1 1 1");
    }
}
