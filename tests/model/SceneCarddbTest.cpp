#include "model/DatabaseError.h"
#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptPartdb.h"
#include "support/TempStory.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<SceneCarddb> reloadCard(TempStory& file, std::int64_t key)
{
    file.reopen();
    return std::make_unique<SceneCarddb>(key, &file.story());
}

} // namespace

TEST(SceneCarddb, NewCardHasTheDefaultsAndIsClean)
{
    SceneCarddb card;
    EXPECT_EQ(card.heading(), "SCENE HEADING");
    EXPECT_EQ(card.description(), "Scene Description");
    EXPECT_EQ(card.emotionalChange(), "Emotional Change");
    EXPECT_EQ(card.conflict(), "Conflict");
    EXPECT_EQ(card.onBoard(), 1);
    EXPECT_EQ(card.currentBeatSection(), 1);
    EXPECT_EQ(card.sortOrder(), 0);
    EXPECT_EQ(card.notes(), "");
    EXPECT_EQ(card.startDateTime(), "");
    EXPECT_EQ(card.percentageHorizontal(), 0.0f);
    EXPECT_TRUE(card.scriptParts().empty());
    EXPECT_TRUE(card.sceneSetups().empty());
    EXPECT_FALSE(card.isDirty());
}

TEST(SceneCarddb, EveryColumnRoundTripsThroughTheFile)
{
    TempStory file;
    SceneCarddb card;
    card.setScreenplayID(1);
    card.setHeading("INT. DINER – NIGHT \"Joe's\"");
    card.setSceneLocationID(7);
    card.setDescription("Line one\nLine two with 'quotes' and émigré ✓");
    card.setNotes("notes");
    card.setScript("legacy script text");
    card.setEmotionalChange("+ to -");
    card.setEmotionalChangeType(2);
    card.setConflict("Who pays");
    card.setBeatCardNumber(4);
    card.setPageNumber(12);
    card.setPositionLeft(350);
    card.setPositionTop(180);
    card.setPercentageHorizontal(0.4375f);
    card.setPercentageVertical(0.25f);
    card.setOnBoard(2);
    card.setSortOrder(9);
    card.setStartDateTime("05/07/2013 14:30");
    card.setEndDateTime("12/31/2013 23:59");
    for (int slot = 1; slot <= 6; ++slot)
        card.setColorLegendID(slot, slot * 10);
    card.setSceneNumber("12A");
    card.setCurrentBeatSection(5);
    card.insertIntoDatabase(&file.story());
    ASSERT_GT(card.sceneCardID(), 0);
    EXPECT_TRUE(card.isDirty()); // an insert leaves the mark alone

    EXPECT_EQ(file.scalar(QStringLiteral("SELECT StartDateTime FROM SceneCard WHERE SceneCardID=%1").arg(card.sceneCardID())),
              "2013-05-07 14:30:00");

    auto loaded = reloadCard(file, card.sceneCardID());
    EXPECT_FALSE(loaded->isDirty());
    EXPECT_EQ(loaded->heading(), card.heading());
    EXPECT_EQ(loaded->sceneLocationID(), 7);
    EXPECT_EQ(loaded->description(), card.description());
    EXPECT_EQ(loaded->notes(), "notes");
    EXPECT_EQ(loaded->script(), "legacy script text");
    EXPECT_EQ(loaded->emotionalChange(), "+ to -");
    EXPECT_EQ(loaded->emotionalChangeType(), 2);
    EXPECT_EQ(loaded->conflict(), "Who pays");
    EXPECT_EQ(loaded->beatCardNumber(), 4);
    EXPECT_EQ(loaded->pageNumber(), 12);
    EXPECT_EQ(loaded->positionLeft(), 350);
    EXPECT_EQ(loaded->positionTop(), 180);
    EXPECT_EQ(loaded->percentageHorizontal(), 0.4375f);
    EXPECT_EQ(loaded->percentageVertical(), 0.25f);
    EXPECT_EQ(loaded->onBoard(), 2);
    EXPECT_EQ(loaded->sortOrder(), 9);
    EXPECT_EQ(loaded->startDateTime(), "05/07/2013 14:30");
    EXPECT_EQ(loaded->endDateTime(), "12/31/2013 23:59");
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(loaded->colorLegendID(slot), slot * 10);
    EXPECT_EQ(loaded->sceneNumber(), "12A");
    EXPECT_EQ(loaded->currentBeatSection(), 5);
    EXPECT_EQ(loaded->screenplayID(), 1);

    // Change, save, reload.
    loaded->setHeading("EXT. ROOF – DAY");
    loaded->setStartDateTime("");
    loaded->save();
    EXPECT_FALSE(loaded->isDirty());
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT StartDateTime FROM SceneCard WHERE SceneCardID=%1").arg(card.sceneCardID())),
              "0001-01-01 00:00:00");
    auto again = reloadCard(file, card.sceneCardID());
    EXPECT_EQ(again->heading(), "EXT. ROOF – DAY");
    EXPECT_EQ(again->startDateTime(), "");

    // Delete.
    again->deleteFromDatabase();
    EXPECT_EQ(file.count("SceneCard"), 0);
    EXPECT_EQ(again->heading(), "EXT. ROOF – DAY"); // the object keeps its fields
}

TEST(SceneCarddb, MissingRowKeepsDefaultsAndKeyAndIsClean)
{
    TempStory file;
    SceneCarddb card(42, &file.story());
    EXPECT_EQ(card.sceneCardID(), 42);
    EXPECT_EQ(card.heading(), "SCENE HEADING");
    EXPECT_FALSE(card.isDirty());
    card.setHeading("X");
    card.save(); // no row: nothing written, nothing raised
    EXPECT_FALSE(card.isDirty());
    EXPECT_EQ(file.count("SceneCard"), 0);
    card.deleteFromDatabase();
}

TEST(SceneCarddb, SameValueSettersLeaveTheCardCleanAndSaveTouchesNothing)
{
    TempStory file;
    SceneCarddb card;
    card.insertIntoDatabase(&file.story());
    auto loaded = reloadCard(file, card.sceneCardID());
    loaded->setHeading("SCENE HEADING");
    loaded->setOnBoard(1);
    loaded->setPercentageHorizontal(0.0f);
    loaded->setStartDateTime("");
    EXPECT_FALSE(loaded->isDirty());
    file.story().finalizeAllSqliteStatements();
    loaded->save();
    EXPECT_FALSE(file.story().hasStatement("sceneCard_save_statement"));
}

TEST(SceneCarddb, LineBreaksInEmotionalChangeAndConflictAreDroppedOnReadOnly)
{
    TempStory file;
    file.exec("INSERT INTO SceneCard (SceneCardID,Heading,Description,EmotionalChange,Conflict,StartDateTime,EndDateTime)"
              " VALUES (3,'H','D','happy\r\nsad','man\r\nvs\nman','0001-01-01 00:00:00','garbage')");
    file.reopen();
    SceneCarddb card(3, &file.story());
    EXPECT_EQ(card.emotionalChange(), "happysad");
    EXPECT_EQ(card.conflict(), "manvsman");
    EXPECT_EQ(card.startDateTime(), "");
    EXPECT_EQ(card.endDateTime(), ""); // an unreadable stored date reads as none
    EXPECT_FALSE(card.isDirty());
    EXPECT_EQ(file.scalar("SELECT EmotionalChange FROM SceneCard WHERE SceneCardID=3"), "happy\r\nsad");
}

TEST(SceneCarddb, NullTextColumnsReadAsEmptyText)
{
    TempStory file;
    file.exec("CREATE TABLE Old AS SELECT * FROM SceneCard");
    file.exec("DROP TABLE SceneCard");
    file.exec("CREATE TABLE SceneCard (SceneCardID INTEGER PRIMARY KEY, ScreenplayID, Heading, SceneLocationID, Description,"
              " Notes, Script, EmotionalChange, EmotionalChangeType, Conflict, BeatCardNumber, PageNumber, PositionLeft,"
              " PositionTop, PercentageHorizontal, PercentageVertical, OnBoard, SortOrder, StartDateTime, EndDateTime,"
              " ColorLegend1ID, ColorLegend2ID, ColorLegend3ID, ColorLegend4ID, ColorLegend5ID, ColorLegend6ID,"
              " SceneNumber, CurrentBeatSection)");
    file.exec("INSERT INTO SceneCard (SceneCardID) VALUES (5)");
    file.reopen();
    SceneCarddb card(5, &file.story());
    EXPECT_EQ(card.heading(), "");
    EXPECT_EQ(card.notes(), "");
    EXPECT_EQ(card.startDateTime(), "");
    EXPECT_FALSE(card.notes().isNull());
    // Saving writes empty text, never NULL.
    card.setPageNumber(3);
    card.save();
    EXPECT_EQ(file.scalar("SELECT typeof(Notes) FROM SceneCard WHERE SceneCardID=5"), "text");
}

TEST(SceneCarddb, KeysBeyondThirtyTwoBitsSurviveAReload)
{
    TempStory file;
    SceneCarddb card;
    const std::int64_t bigKey = 5'000'000'000LL;
    card.setSceneCardID(bigKey);
    card.setColorLegend1ID(bigKey + 1);
    card.insertIntoDatabaseWithID(&file.story());
    EXPECT_EQ(card.sceneCardID(), bigKey);
    auto loaded = reloadCard(file, bigKey);
    EXPECT_EQ(loaded->sceneCardID(), bigKey);
    EXPECT_EQ(loaded->colorLegend1ID(), bigKey + 1);
    EXPECT_EQ(loaded->heading(), "SCENE HEADING");
}

TEST(SceneCarddb, InsertWithIdKeepsTheKeyAndRefusesADuplicate)
{
    TempStory file;
    SceneCarddb card;
    card.setSceneCardID(77);
    card.insertIntoDatabaseWithID(&file.story());
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCard WHERE SceneCardID=77"), "1");
    SceneCarddb clash;
    clash.setSceneCardID(77);
    try {
        clash.insertIntoDatabaseWithID(&file.story());
        FAIL() << "a duplicate key must not insert";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().startsWith("Error: failed to insert into the screenplay.database with message '"));
    }
    EXPECT_EQ(file.count("SceneCard"), 1);
}

TEST(SceneCarddb, InsertingTwiceMakesTwoRowsAndKeepsTheNewerKey)
{
    TempStory file;
    SceneCarddb card;
    card.insertIntoDatabase(&file.story());
    const auto first = card.sceneCardID();
    card.insertIntoDatabase(&file.story());
    EXPECT_GT(card.sceneCardID(), first);
    EXPECT_EQ(file.count("SceneCard"), 2);
}

TEST(SceneCarddb, FailedWritesRaiseAndKeepTheCardDirty)
{
    TempStory file;
    SceneCarddb card;
    card.insertIntoDatabase(&file.story());
    card.save();
    file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON SceneCard BEGIN SELECT RAISE(ABORT,'card is locked'); END");
    card.setHeading("Changed");
    try {
        card.save();
        FAIL() << "a refused update must raise";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.source(), "SceneCarddb");
        EXPECT_EQ(error.message(), "Error: failed to save with message 'card is locked'.");
    }
    EXPECT_TRUE(card.isDirty());
    file.exec("DROP TRIGGER refuse");
    card.save(); // retried once the file accepts it
    EXPECT_FALSE(card.isDirty());
    EXPECT_EQ(file.scalar("SELECT Heading FROM SceneCard"), "Changed");

    file.exec("CREATE TRIGGER refuseInsert BEFORE INSERT ON SceneCard BEGIN SELECT RAISE(ABORT,'full'); END");
    SceneCarddb fresh;
    EXPECT_THROW(fresh.insertIntoDatabase(&file.story()), DatabaseError);
    EXPECT_EQ(fresh.sceneCardID(), 0);
    file.exec("CREATE TRIGGER refuseDelete BEFORE DELETE ON SceneCard BEGIN SELECT RAISE(ABORT,'kept'); END");
    try {
        card.deleteFromDatabase();
        FAIL() << "a refused delete must raise";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.message(), "Error: failed to delete from screenplay.database with message 'kept'.");
    }
}

TEST(SceneCarddb, ScriptPartsLoadLazilyInSortOrder)
{
    TempStory file;
    SceneCarddb card;
    card.insertIntoDatabase(&file.story());
    const auto key = card.sceneCardID();
    file.exec(QStringLiteral("INSERT INTO ScriptPart (ScriptPartID,SceneCardID,SortOrder,ElementTypeID,ScriptText) VALUES"
                             " (10,%1,3,2,'third'),(11,%1,1,1,'first'),(12,%1,2,2,'second'),(13,999,1,1,'other')")
                  .arg(key));
    card.loadScriptParts();
    ASSERT_EQ(card.scriptParts().size(), 3u);
    EXPECT_EQ(card.scriptParts()[0]->scriptText(), "first");
    EXPECT_EQ(card.scriptParts()[1]->scriptText(), "second");
    EXPECT_EQ(card.scriptParts()[2]->scriptText(), "third");

    // A loaded list is kept: rows added later are not read until the list is emptied.
    file.exec(QStringLiteral("INSERT INTO ScriptPart (SceneCardID,SortOrder,ScriptText) VALUES (%1,0,'zero')").arg(key));
    card.loadScriptParts();
    EXPECT_EQ(card.scriptParts().size(), 3u);
    card.scriptParts().clear();
    card.loadScriptParts();
    ASSERT_EQ(card.scriptParts().size(), 4u);
    EXPECT_EQ(card.scriptParts()[0]->scriptText(), "zero");
}

TEST(SceneCarddbOrdering, BoardOrderIsBeatSectionThenHorizontalFraction)
{
    std::vector<std::unique_ptr<SceneCarddb>> cards;
    auto add = [&](std::int64_t section, float fraction, std::int64_t sortOrder) {
        auto card = std::make_unique<SceneCarddb>();
        card->setCurrentBeatSection(section);
        card->setPercentageHorizontal(fraction);
        card->setSortOrder(sortOrder);
        cards.push_back(std::move(card));
    };
    add(3, 0.1f, 1);
    add(2, 0.9f, 2);
    add(2, 0.2f, 3);
    add(2, 0.2f, 4); // same place as the one before: keeps its order
    sortRecords(cards, &SceneCarddb::sortByLocation);
    EXPECT_EQ(cards[0]->sortOrder(), 3);
    EXPECT_EQ(cards[1]->sortOrder(), 4);
    EXPECT_EQ(cards[2]->sortOrder(), 2);
    EXPECT_EQ(cards[3]->sortOrder(), 1);
    EXPECT_EQ(cards[0]->sortByLocation(*cards[1]), 0); // a strict ordering: equal keys compare equal
    EXPECT_EQ(cards[1]->sortByLocation(*cards[2]), -1);

    sortRecords(cards, &SceneCarddb::sortByCurrentBeat);
    EXPECT_EQ(cards[0]->sortOrder(), 2);
    EXPECT_EQ(cards[3]->currentBeatSection(), 3);
    EXPECT_EQ(cards[1]->sortByCurrentBeat(*cards[1]), 0);
}

TEST(SceneCarddbOrdering, StartTimeComparesRealTimesNotText)
{
    std::vector<std::unique_ptr<SceneCarddb>> cards;
    auto add = [&](const char* start, std::int64_t sortOrder) {
        auto card = std::make_unique<SceneCarddb>();
        card->setStartDateTime(start);
        card->setSortOrder(sortOrder);
        cards.push_back(std::move(card));
    };
    add("12/01/2012 09:00", 1);
    add("01/15/2013 08:00", 2); // later year, earlier month: text order would put it first
    add("", 3);
    add("12/01/2012 09:00", 0);
    add("", 2);
    sortRecords(cards, &SceneCarddb::sortByStartTime);
    EXPECT_EQ(cards[0]->startDateTime(), "");
    EXPECT_EQ(cards[0]->sortOrder(), 2);
    EXPECT_EQ(cards[1]->sortOrder(), 3);
    EXPECT_EQ(cards[2]->sortOrder(), 0);
    EXPECT_EQ(cards[3]->sortOrder(), 1);
    EXPECT_EQ(cards[4]->startDateTime(), "01/15/2013 08:00");
}
