#include "model/AttachedObjectdb.h"
#include "model/Beatdb.h"
#include "model/CardPlacement.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/DatabaseError.h"
#include "model/DateUtilities.h"
#include "model/GreenlightChecklistQuestiondb.h"
#include "model/Loglinedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationObjectdb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/SetupPayoffLinks.h"
#include "model/StickyNotedb.h"
#include "support/StoryFixtures.h"
#include "support/TempStory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace {

QString todayDisplay()
{
    return DateUtilities::format(DateUtilities::DateTime{QDate::currentDate()}, "MM/dd/yyyy");
}

template <typename List, typename Field>
std::vector<QString> texts(List& list, Field field)
{
    std::vector<QString> out;
    for (auto& record : list)
        out.push_back(field(*record));
    return out;
}

// A story with records of every kind, some of them deliberately out of order and some
// whose owners are gone.
void buildRichStory(NewStory& file)
{
    file.exec("INSERT INTO Character (CharacterID,ScreenplayID,CharacterName) VALUES (1,1,'bob'),(2,1,'Alice'),(3,1,'carl'),"
              "(4,2,'Other story')");
    file.exec("INSERT INTO SceneLocation (SceneLocationID,ScreenplayID,Location) VALUES (1,1,'Zoo'),(2,1,'attic')");
    file.exec("INSERT INTO AttachedObject (AttachedObjectID,ScreenplayID,Title) VALUES (1,1,'Map'),(2,1,'Photo')");
    file.exec("INSERT INTO CharacterObject (CharacterObjectID,CharacterID,AttachedObjectID,PrimaryDisplayFlag) VALUES "
              "(1,2,1,1),(2,2,2,0),(3,999,1,0)");
    file.exec("INSERT INTO SceneLocationObject (SceneLocationObjectID,SceneLocationID,AttachedObjectID) VALUES "
              "(1,2,2),(2,77,1)");
    file.exec("INSERT INTO SceneCard (SceneCardID,ScreenplayID,Heading,OnBoard,CurrentBeatSection,SortOrder,PageNumber,"
              "SceneLocationID,ColorLegend2ID,PositionLeft,PositionTop) VALUES "
              "(10,1,'TEN',1,5,2,30,1,3,500,200),(11,1,'ELEVEN',1,2,9,5,2,0,40,10),(12,1,'TWELVE',1,5,1,28,1,3,450,200),"
              "(13,1,'THIRTEEN',2,4,1,20,1,0,300,10),(14,2,'FOREIGN',1,1,1,1,0,0,4,4)");
    file.exec("INSERT INTO SceneCardObject (SceneCardObjectID,SceneCardID,AttachedObjectID) VALUES (1,10,2),(2,999,1)");
    file.exec("INSERT INTO SceneCardCharacter (SceneCardCharacterID,SceneCardID,CharacterID,Description) VALUES "
              "(1,10,2,'nervous'),(2,10,1,''),(3,14,1,'elsewhere')");
    file.exec("INSERT INTO SceneSetup (SceneSetupID,SceneCardID,SceneSetup,ScenePayoffID) VALUES "
              "(1,10,'zebra gun',1),(2,0,'loose thread',0),(3,12,'the key',0),(4,10,'Apple pie',0)");
    file.exec("INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) VALUES (1,11,'gun fires'),(2,0,'loose end')");
    file.exec("INSERT INTO Logline (ScreenplayID,Logline,CurrentLoglineFlag) VALUES (1,'second logline',0)");
    file.exec("INSERT INTO StickyNote (ScreenplayID,Title) VALUES (1,'Remember')");
    file.exec("INSERT INTO ScriptPart (SceneCardID,SortOrder,ElementTypeID,ScriptText) VALUES (10,1,2,'Joe waits.')");
    file.reopen();
}

// The first record of the list whose key is `key`: what a look-up by key answers.
template <typename Record, typename KeyOf>
Record* scanned(const RecordList<Record>& list, std::int64_t key, KeyOf keyOf)
{
    for (const auto& record : list)
        if (((*record).*keyOf)() == key)
            return record.get();
    return nullptr;
}

// Every look-up by key answers as a scan of the story's lists does, for the keys in use and others.
void expectLookUpsMatchTheLists(Screenplaydb& story)
{
    for (std::int64_t key = 0; key <= 30; ++key) {
        SCOPED_TRACE(key);
        SceneCarddb* card = scanned(story.sceneCards(), key, &SceneCarddb::sceneCardID);
        EXPECT_EQ(story.sceneCardForSceneCardID(key),
                  card ? card : scanned(story.litterBox(), key, &SceneCarddb::sceneCardID));
        EXPECT_EQ(story.setupForSetupID(key), scanned(story.sceneSetups(), key, &SceneSetupdb::sceneSetupID));
        EXPECT_EQ(story.setupForPayoffID(key), scanned(story.sceneSetups(), key, &SceneSetupdb::scenePayoffID));
        EXPECT_EQ(story.payoffForPayoffID(key), scanned(story.scenePayoffs(), key, &ScenePayoffdb::scenePayoffID));
        EXPECT_EQ(story.characterForCharacterID(key), scanned(story.characters(), key, &Characterdb::characterID));
        EXPECT_EQ(story.locationForLocationID(key),
                  scanned(story.sceneLocations(), key, &SceneLocationdb::sceneLocationID));
        EXPECT_EQ(story.attachmentForID(key),
                  scanned(story.attachedObjects(), key, &AttachedObjectdb::attachedObjectID));
    }
}

} // namespace

TEST(ScreenplaydbLoad, EveryCollectionComesInItsOrder)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();

    EXPECT_EQ(texts(story.characters(), [](Characterdb& c) { return c.characterName(); }),
              (std::vector<QString>{"Alice", "bob", "carl"}));
    ASSERT_EQ(story.characters()[0]->characterObjects().size(), 2u);
    EXPECT_TRUE(story.characters()[1]->characterObjects().empty());
    EXPECT_EQ(story.characterObjects().size(), 3u); // the orphan link is loaded but belongs to nobody

    EXPECT_EQ(texts(story.sceneLocations(), [](SceneLocationdb& l) { return l.location(); }),
              (std::vector<QString>{"attic", "Zoo"}));
    EXPECT_EQ(story.sceneLocationObjects().size(), 1u); // the link of a missing location is not
    EXPECT_EQ(story.sceneLocations()[0]->locationObjects().size(), 1u);

    EXPECT_EQ(texts(story.sceneCards(), [](SceneCarddb& c) { return c.heading(); }),
              (std::vector<QString>{"ELEVEN", "TWELVE", "TEN"}));
    EXPECT_EQ(texts(story.litterBox(), [](SceneCarddb& c) { return c.heading(); }), (std::vector<QString>{"THIRTEEN"}));
    EXPECT_TRUE(story.listViewCards().empty());

    ASSERT_EQ(story.sceneCardObjects().size(), 1u);
    EXPECT_EQ(story.sceneCardObjects()[0]->title(), "Photo");
    ASSERT_EQ(story.sceneCardCharacters().size(), 2u);
    EXPECT_EQ(story.sceneCardCharacters()[0]->characterName(), "Alice");

    // Set-ups: without a card first, then by the cards' board order, by text within a card.
    EXPECT_EQ(texts(story.sceneSetups(), [](SceneSetupdb& s) { return s.sceneSetup(); }),
              (std::vector<QString>{"loose thread", "the key", "Apple pie", "zebra gun"}));
    EXPECT_EQ(texts(story.scenePayoffs(), [](ScenePayoffdb& p) { return p.scenePayoff(); }),
              (std::vector<QString>{"loose end", "gun fires"}));
    EXPECT_EQ(story.scenePayoffs()[1]->sceneSetup(), "zebra gun");

    EXPECT_EQ(texts(story.logLines(), [](Loglinedb& l) { return l.logline(); }),
              (std::vector<QString>{"", "second logline"}));
    EXPECT_EQ(story.greenlightChecklistQuestions().size(), 55u);
    EXPECT_EQ(story.greenlightChecklistQuestions()[54]->questionNumber(), 55);
    EXPECT_EQ(story.beats().size(), 15u);
    EXPECT_EQ(story.scriptElements().size(), 15u);
    EXPECT_EQ(story.scriptElements()[1]->elementType(), "Action");
    EXPECT_EQ(story.colorCodes().size(), 10u);
    EXPECT_EQ(story.stickyNotes().size(), 1u);
    EXPECT_EQ(story.attachedObjects().size(), 2u);
}

TEST(ScreenplaydbLoad, OpeningRewritesTheRowOnce)
{
    // Whether or not the progress stage needs bringing up to date, the row is written.
    for (const char* stage : {"0", "7"}) {
        SCOPED_TRACE(stage);
        NewStory file;
        file.exec(QStringLiteral("UPDATE Screenplay SET BoardZoomFactor=0, LastModifiedDate='2001-02-03 00:00:00', "
                                 "ProgressStage=%1")
                      .arg(QString::fromLatin1(stage)));
        file.reopen();
        Screenplaydb& story = file.story();
        EXPECT_EQ(story.boardZoomFactor(), 1);
        EXPECT_EQ(story.boardSections().boardZoomFactor(), 1);
        EXPECT_EQ(story.lastModifiedDate(), todayDisplay());
        EXPECT_FALSE(story.isDirty());
        EXPECT_EQ(file.scalar("SELECT BoardZoomFactor || '|' || ProgressStage FROM Screenplay"), "1|0");
        EXPECT_EQ(file.scalar("SELECT substr(LastModifiedDate, 12) FROM Screenplay"), "00:00:00");
        EXPECT_EQ(file.scalar("SELECT LastModifiedDate <> '2001-02-03 00:00:00' FROM Screenplay"), "1");

        // A second load changes nothing.
        const auto cards = story.sceneCards().size();
        story.hydrate();
        EXPECT_EQ(story.sceneCards().size(), cards);
        EXPECT_EQ(story.greenlightChecklistQuestions().size(), 55u);
    }
}

TEST(ScreenplaydbLoad, FiftyGreenlightAnswersAreToppedUpToFiftyFive)
{
    NewStory file;
    file.exec("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber > 50");
    file.exec("UPDATE GreenlightChecklistQuestion SET Answer='Y' WHERE QuestionNumber=3");
    file.reopen();
    auto& questions = file.story().greenlightChecklistQuestions();
    ASSERT_EQ(questions.size(), 55u);
    EXPECT_EQ(questions[50]->questionNumber(), 51);
    EXPECT_EQ(questions[54]->answer(), "N");
    EXPECT_EQ(file.count("GreenlightChecklistQuestion"), 55);
    EXPECT_EQ(file.story().markForGreenlightQuestion(3), "X");
    EXPECT_EQ(file.story().markForGreenlightQuestion(4), "__");
    EXPECT_EQ(file.story().markForGreenlightQuestion(99), "__");
    EXPECT_EQ(file.story().answerForGreenlightQuestion(99), "N");

    // 49 or 51 questions are left as they are.
    file.exec("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber > 49");
    file.reopen();
    EXPECT_EQ(file.story().greenlightChecklistQuestions().size(), 49u);
    file.exec("INSERT INTO GreenlightChecklistQuestion (ScreenplayID,QuestionNumber,Answer) VALUES (1,50,'N'),(1,51,'N')");
    file.reopen();
    EXPECT_EQ(file.story().greenlightChecklistQuestions().size(), 51u);
}

TEST(ScreenplaydbLoad, FileWithoutAScreenplayRowOpensWithTheNoRowDefaults)
{
    TempStory file;
    Screenplaydb& story = file.story();
    story.hydrate();
    EXPECT_TRUE(story.hydrated());
    EXPECT_EQ(story.boardHeight(), 685);
    EXPECT_EQ(story.windowState(), 0);
    EXPECT_EQ(story.logLineSplitterDistance(), 60);
    EXPECT_EQ(story.beatsSplitterDistance(), 440);
    EXPECT_EQ(story.boardSplitterDistance(), 486);
    EXPECT_EQ(story.parentWindowWidth(), 0);
    EXPECT_TRUE(story.sceneCards().empty());
    // Loading ends by making the row, with the values read: the story has a key for the records
    // made in it, and what the writer types next is kept.
    EXPECT_EQ(file.count("Screenplay"), 1);
    EXPECT_NE(story.screenplayID(), 0);
    EXPECT_EQ(file.scalar("SELECT ScreenplayID || '|' || PageCount || '|' || BoardWidth || '|' || BoardHeight || '|' || "
                          "WindowState || '|' || LogLineSplitterDistance || '|' || LastModifiedDate FROM Screenplay"),
              QStringLiteral("%1|110|1840|685|0|60|%2")
                  .arg(story.screenplayID())
                  .arg(DateUtilities::format(DateUtilities::DateTime{DateUtilities::now().date},
                                             QString::fromLatin1(DateUtilities::kStoredFormat))));
    EXPECT_FALSE(story.isDirty());
    story.setScreenplayTitle("Whiteout");
    story.save();
    Loglinedb logline;
    logline.setScreenplayID(story.screenplayID());
    logline.setLogline("A plough driver and a stranger.");
    logline.setCurrentLoglineFlag(1);
    logline.insertIntoDatabase(&story);
    file.reopen();
    Screenplaydb& again = file.story();
    again.hydrate();
    EXPECT_EQ(again.screenplayTitle(), "Whiteout");
    EXPECT_EQ(again.boardHeight(), 685);
    ASSERT_NE(again.currentLogline(), nullptr);
    EXPECT_EQ(again.currentLogline()->logline(), "A plough driver and a stranger.");
    EXPECT_EQ(file.count("Screenplay"), 1);
}

TEST(ScreenplaydbSave, WritesOnlyWhenLoadedAndOnlyWhatChanged)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();

    // Before loading nothing is written, not even cards.
    Screenplaydb unloaded;
    unloaded.initWithDatabase(file.db());
    unloaded.setScreenplayTitle("Never written");
    unloaded.save();
    EXPECT_EQ(file.scalar("SELECT ScreenplayTitle FROM Screenplay"), "Awesome Screenplay");
    unloaded.finalizeAllSqliteStatements();

    // A clean story still saves its dirty cards.
    story.sceneCards()[0]->setNotes("dirty card");
    story.litterBox()[0]->setNotes("dirty litter");
    story.finalizeAllSqliteStatements();
    story.save();
    EXPECT_FALSE(story.hasStatement("screenplay_save_statement"));
    EXPECT_EQ(file.scalar("SELECT Notes FROM SceneCard WHERE SceneCardID=11"), "dirty card");
    EXPECT_EQ(file.scalar("SELECT Notes FROM SceneCard WHERE SceneCardID=13"), "dirty litter");

    // Every field of the row round-trips.
    story.setScreenplayTitle("Title with 'quotes' ✓");
    story.setGenre("Western");
    story.setGeneralNotes("line\nline");
    story.setWindowState(201111);
    story.setGreenlightChecklistPercentageHorizontal(0.25f);
    story.setABCIncludeCharacters(0);
    story.setBeatSectionLocationID(5'000'000'000LL);
    story.setCreateDate("02/29/2012");
    story.save();
    EXPECT_FALSE(story.isDirty());
    file.reopen();
    Screenplaydb& again = file.story();
    EXPECT_EQ(again.genre(), "Western");
    EXPECT_EQ(again.generalNotes(), "line\nline");
    EXPECT_EQ(again.windowState(), 201111);
    EXPECT_EQ(again.greenlightChecklistPercentageHorizontal(), 0.25f);
    EXPECT_EQ(again.aBCIncludeCharacters(), 0);
    EXPECT_EQ(again.beatSectionLocationID(), 5'000'000'000LL);
    EXPECT_EQ(again.createDate(), "02/29/2012");
    EXPECT_EQ(file.scalar("SELECT CreateDate FROM Screenplay"), "2012-02-29 00:00:00");
    EXPECT_EQ(file.scalar("SELECT ScreenplayTitle FROM Screenplay"), "Title with 'quotes' ✓");

    // A refused update raises and keeps the story dirty.
    file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON Screenplay BEGIN SELECT RAISE(ABORT,'read only'); END");
    again.setGenre("Romance");
    EXPECT_THROW(again.save(), DatabaseError);
    EXPECT_TRUE(again.isDirty());
}

TEST(ScreenplaydbSave, TheRowAndEveryCardAreWrittenTogetherOrNotAtAll)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    const QString rowBefore = file.scalar("SELECT Genre || '|' || BoardWidth FROM Screenplay");
    const QString cardsBefore = file.scalar("SELECT group_concat(SceneCardID || ':' || Heading) FROM SceneCard");
    story.setGenre("Romance");
    story.setBoardSize(1700, story.boardHeight());
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (auto& card : *cards)
            card->setHeading(QStringLiteral("INT. CARD %1").arg(card->sceneCardID()));
    // The last card written is refused: nothing of the save stays in the file.
    file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON SceneCard WHEN NEW.SceneCardID = 13 "
              "BEGIN SELECT RAISE(ABORT,'disk full'); END");
    EXPECT_THROW(story.save(), DatabaseError);
    EXPECT_EQ(file.scalar("SELECT Genre || '|' || BoardWidth FROM Screenplay"), rowBefore);
    EXPECT_EQ(file.scalar("SELECT group_concat(SceneCardID || ':' || Heading) FROM SceneCard"), cardsBefore);
    EXPECT_TRUE(story.isDirty());
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (auto& card : *cards)
            EXPECT_TRUE(card->isDirty()) << card->sceneCardID();
    // The next save writes everything.
    file.exec("DROP TRIGGER refuse");
    story.save();
    EXPECT_FALSE(story.isDirty());
    EXPECT_EQ(file.scalar("SELECT Genre || '|' || BoardWidth FROM Screenplay"), "Romance|1700");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCard WHERE Heading = 'INT. CARD ' || SceneCardID"),
              QString::number(story.sceneCards().size() + story.litterBox().size()));
}

TEST(ScreenplaydbSave, NewPageCountRepagesEveryCard)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    // Each card shows where its fractions put it, which is not where it was stored last: the card
    // was put there on a board of another size. Its page is read where it shows; the place it was
    // put at stays as it was.
    float fraction = 0.1f;
    std::map<std::int64_t, QPoint> putAt;
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (auto& card : *cards) {
            card->setPercentageHorizontal(fraction += 0.15f);
            card->setPercentageVertical(0.3f);
            card->save();
            putAt[card->sceneCardID()] = QPoint(static_cast<int>(card->positionLeft()), static_cast<int>(card->positionTop()));
        }
    story.setPageCount(90);
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (auto& card : *cards) {
            const QPoint shown = cardOrigin(story.boardSections(), *card);
            ASSERT_NE(putAt[card->sceneCardID()], shown);
            EXPECT_EQ(QPoint(static_cast<int>(card->positionLeft()), static_cast<int>(card->positionTop())),
                      putAt[card->sceneCardID()]);
            // The page its fraction of the row lies in (the whole point it shows at may lie a hair
            // inside the page before); 90 pages give rows 1-20, 21-45, 46-70, 71-90.
            const BoardSections& sections = story.boardSections();
            const int row = sections.rowOfTop(shown.y());
            const std::array<std::pair<std::int64_t, std::int64_t>, 4> rows{{{1, 20}, {21, 45}, {46, 70}, {71, 90}}};
            const auto [first, last] = rows[static_cast<std::size_t>(row - 1)];
            const double along = static_cast<double>(card->percentageHorizontal()) * static_cast<double>(last - first + 1);
            EXPECT_EQ(card->pageNumber(),
                      std::min<std::int64_t>(first + static_cast<std::int64_t>(std::floor(along + 1e-6)), last));
            const std::int64_t fromPoint = sections.pageNumberForPositionTop(shown.y(), shown.x());
            EXPECT_TRUE(fromPoint == card->pageNumber() || fromPoint == card->pageNumber() - 1) << fromPoint;
            EXPECT_EQ(card->currentBeatSection(), sections.boardBeatSectionForPageNumber(card->pageNumber()));
            EXPECT_FALSE(card->isDirty());
        }
    const SceneCarddb* thirteen = story.sceneCardForSceneCardID(13);
    ASSERT_NE(thirteen, nullptr);
    EXPECT_EQ(file.scalar("SELECT PositionLeft || ',' || PageNumber || ',' || CurrentBeatSection FROM SceneCard "
                          "WHERE SceneCardID=13"),
              QStringLiteral("%1,%2,%3")
                  .arg(thirteen->positionLeft())
                  .arg(thirteen->pageNumber())
                  .arg(thirteen->currentBeatSection()));
    EXPECT_EQ(story.boardSections().pageCount(), 90);

    // The same page count again touches nothing.
    file.exec("UPDATE SceneCard SET PageNumber=77");
    story.setPageCount(90);
    EXPECT_EQ(file.scalar("SELECT min(PageNumber) FROM SceneCard"), "77");
}

TEST(ScreenplaydbQueries, ProgressStageFollowsTheStoryState)
{
    NewStory file;
    Screenplaydb& story = file.story();
    EXPECT_EQ(story.progressStage(), 0); // empty beats, no logline or genre
    story.setGenre("Fantasy");
    story.currentLogline()->setLogline("A hero rises.");
    story.updateProgress();
    EXPECT_EQ(story.progressStage(), 1);
    for (auto& beat : story.beats())
        beat->setDescription("done");
    story.updateProgress();
    EXPECT_EQ(story.progressStage(), 2);
    EXPECT_EQ(file.scalar("SELECT ProgressStage FROM Screenplay"), "2");
    story.beats().clear();
    story.setGenre("");
    story.updateProgress();
    EXPECT_EQ(story.progressStage(), 2); // a story without beats is complete
}

TEST(ScreenplaydbQueries, LookUpsAndDerivedTexts)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    EXPECT_EQ(story.sceneCardForSceneCardID(13)->heading(), "THIRTEEN"); // from the Litter Box
    EXPECT_EQ(story.sceneCardForSceneCardID(14), nullptr);               // another story's card
    EXPECT_EQ(story.indexOfSceneCardWithID(10), 2);
    EXPECT_EQ(story.indexOfSceneCardWithID(13), -1);
    EXPECT_EQ(story.elementForElementType("Dialogue")->scriptElementID(), 4);
    EXPECT_EQ(story.elementForElementType("dialogue"), nullptr);
    EXPECT_EQ(story.setupForPayoffID(1)->sceneSetup(), "zebra gun");
    EXPECT_EQ(story.beatForBeatNumber(15)->beatNumber(), 15);
    EXPECT_EQ(story.colorForColorCodeID(1)->description(), "Major Turns");
    EXPECT_EQ(story.characterForCharacterName("Alice")->characterID(), 2);
    EXPECT_EQ(story.characterForCharacterName("alice"), nullptr);
    EXPECT_EQ(story.currentLogline()->loglineID(), 1);
    EXPECT_EQ(story.setupsInSceneID(10).size(), 2u);
    EXPECT_EQ(story.payoffsInSceneID(11).size(), 1u);
    EXPECT_EQ(story.attachedObjectsInSceneID(10).size(), 1u);
    EXPECT_TRUE(story.anyUnlinkedSetups());
    EXPECT_TRUE(story.attachedObjectLinked(1));
    EXPECT_FALSE(story.anyBeatsStarted());
    EXPECT_TRUE(story.anyBeatsNotFilledIn());
    EXPECT_TRUE(story.unansweredGreenlightQuestions());
    EXPECT_EQ(story.titleForAttachment(1), "Map");
    EXPECT_EQ(story.titleForAttachment(42), "");

    EXPECT_EQ(story.fullDescriptionForSetup(*story.setupForSetupID(1)), "TEN (p. 30)\nzebra gun");
    EXPECT_EQ(story.fullDescriptionForSetup(*story.setupForSetupID(2)), "loose thread");
    EXPECT_EQ(story.fullDescriptionForPayoff(*story.payoffForPayoffID(1)), "ELEVEN (p. 5)\ngun fires");
    // A heading's per cent signs are its own text, not places for the page or the set-up.
    story.sceneCardForSceneCardID(10)->setHeading(QStringLiteral("INT. CLUB %1%2 - %3"));
    EXPECT_EQ(story.fullDescriptionForSetup(*story.setupForSetupID(1)), "INT. CLUB %1%2 - %3 (p. 30)\nzebra gun");
    EXPECT_EQ(story.charactersDescriptionForScene(*story.sceneCardForSceneCardID(10)), "Alice: nervous\nbob");
    EXPECT_EQ(story.charactersDescriptionForScene(*story.sceneCardForSceneCardID(11)), "");

    const auto before = story.sceneLocations().size();
    EXPECT_EQ(story.sceneLocationIDForNewLocation("ZOO"), 1);
    const std::int64_t made = story.sceneLocationIDForNewLocation("Beach");
    EXPECT_EQ(story.sceneLocations().size(), before + 1);
    EXPECT_EQ(story.sceneLocations()[1]->location(), "Beach"); // kept in name order
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT Location FROM SceneLocation WHERE SceneLocationID=%1").arg(made)), "Beach");
}

// The look-ups by key answer from indexes of the lists; each change of a list or of a key must
// reach them, or they answer a record that is gone or miss one that is there.
TEST(ScreenplaydbQueries, LookUpsByKeyFollowEveryChangeOfTheLists)
{
    NewStory file;
    buildRichStory(file);
    const auto story = [&file]() -> Screenplaydb& { return file.story(); };
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"loaded", [] {}},
        {"records added",
         [&] {
             SetupPayoffLinks::addSetup(story(), 10);
             SetupPayoffLinks::addPayoff(story(), 0);
             story().sceneLocationIDForNewLocation(QStringLiteral("Pier"));
         }},
        {"records deleted",
         [&] {
             story().deleteSceneCard(story().sceneCardForSceneCardID(12));
             story().deleteCharacter(story().characterForCharacterID(2));
             story().deleteScenePayoff(story().payoffForPayoffID(1));
             story().deleteAttachedObject(story().attachmentForID(1));
         }},
        {"cards moved between the board and the Litter Box",
         [&] {
             story().litterBox().push_back(story().sceneCards().take(story().sceneCardForSceneCardID(10)));
             story().sceneCards().push_back(story().litterBox().take(story().sceneCardForSceneCardID(13)));
         }},
        {"a set-up linked to a pay-off", [&] { ASSERT_TRUE(SetupPayoffLinks::link(story(), 3, 2)); }},
        {"loaded again", [&] { file.reopen(); }},
    };
    for (const auto& [change, make] : changes) {
        SCOPED_TRACE(change);
        make();
        expectLookUpsMatchTheLists(story());
    }
    EXPECT_EQ(story().setupForPayoffID(2), story().setupForSetupID(3));
}

// Thousands of records joining, leaving, changing places and keys in every way a list allows,
// many sharing a key: every look-up still answers as a scan of the list does.
TEST(ScreenplaydbQueries, ALongListFindsWhatAScanFindsThroughManyChanges)
{
    RecordList<SceneSetupdb> setups;
    std::uint32_t seed = 76;
    const auto next = [&seed](std::size_t below) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<std::int64_t>((seed >> 8) % below);
    };
    const auto any = [&]() -> SceneSetupdb& { return *setups[static_cast<std::size_t>(next(setups.size()))]; };
    const auto made = [&] {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneSetupID(next(3000));
        setup->setScenePayoffID(next(40));
        return setup;
    };
    const std::vector<std::function<void()>> changes = {
        [&] { setups.insert(setups.begin() + next(setups.size() + 1), made()); },
        [&] { setups.push_back(made()); },
        [&] { setups.take(&any()); },
        [&] { setups.erase(setups.begin() + next(setups.size())); },
        [&] { setups.pop_back(); },
        [&] { setups.eraseIf([key = next(3000)](const auto& setup) { return setup->sceneSetupID() == key; }); },
        [&] { any().setSceneSetupID(next(3000)); },
        [&] { any().setScenePayoffID(next(40)); },
        [&] { setups.swapPlaces(static_cast<std::size_t>(next(setups.size())), setups.size() - 1); },
        [&] {
            setups.stableSort([](const auto& a, const auto& b) { return a->scenePayoffID() < b->scenePayoffID(); });
        },
    };
    for (int step = 0; step < 30000; ++step) {
        const auto change = static_cast<std::size_t>(next(changes.size() + 4));
        changes[setups.size() < 10 || change >= changes.size() ? 0 : change]();
        if (step % 7000 == 0) {
            // Handed over whole, and taken back one by one.
            RecordList<SceneSetupdb> moved = std::move(setups);
            setups = std::move(moved);
            for (auto& setup : setups.release())
                setups.push_back(std::move(setup));
        }
    }
    ASSERT_GT(setups.size(), 3000u);
    for (std::int64_t key = 0; key < 3000; ++key) {
        SCOPED_TRACE(key);
        ASSERT_EQ(setups.find(key), scanned(setups, key, &SceneSetupdb::sceneSetupID));
        ASSERT_EQ(setups.find(key, SceneSetupdb::kByPayoff), scanned(setups, key, &SceneSetupdb::scenePayoffID));
        std::vector<SceneSetupdb*> naming;
        for (const auto& setup : setups)
            if (setup->scenePayoffID() == key)
                naming.push_back(setup.get());
        ASSERT_EQ(setups.findAll(key, SceneSetupdb::kByPayoff), naming);
    }
}

TEST(ScreenplaydbRenumber, BoardCardsGetOneToNInListOrder)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    story.sceneCards().swapPlaces(0, 2);
    story.resetOnBoardSceneCardSortOrder();
    EXPECT_EQ(file.scalar("SELECT group_concat(SceneCardID || ':' || SortOrder) FROM "
                          "(SELECT * FROM SceneCard WHERE OnBoard=1 AND ScreenplayID=1 ORDER BY SortOrder)"),
              "10:1,12:2,11:3");
    EXPECT_EQ(file.scalar("SELECT SortOrder FROM SceneCard WHERE SceneCardID=13"), "1"); // the Litter Box is left alone
    EXPECT_EQ(file.scalar("PRAGMA synchronous"), "2");
}

TEST(ScreenplaydbRenumber, AFailureRollsBackEveryCardAndKeepsMemoryTrue)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    story.sceneCards().swapPlaces(0, 2);
    file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON SceneCard WHEN NEW.SceneCardID = 11 "
              "BEGIN SELECT RAISE(ABORT,'disk full'); END");
    EXPECT_THROW(story.resetOnBoardSceneCardSortOrder(), DatabaseError);
    EXPECT_EQ(file.scalar("SELECT group_concat(SceneCardID || ':' || SortOrder) FROM "
                          "(SELECT * FROM SceneCard WHERE OnBoard=1 AND ScreenplayID=1 ORDER BY SceneCardID)"),
              "10:2,11:9,12:1");
    EXPECT_EQ(story.sceneCardForSceneCardID(10)->sortOrder(), 2);
    EXPECT_FALSE(story.sceneCardForSceneCardID(10)->isDirty());
    EXPECT_EQ(file.scalar("PRAGMA synchronous"), "2");
    file.exec("DROP TRIGGER refuse");
    story.resetOnBoardSceneCardSortOrder();
    EXPECT_EQ(file.scalar("SELECT SortOrder FROM SceneCard WHERE SceneCardID=11"), "3");
}

TEST(ScreenplaydbDelete, SceneCardTakesItsLinksAndScriptAlong)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    story.setBigSceneView(1);
    story.setBigSceneSceneCardID(10);
    story.save();
    EXPECT_TRUE(story.deleteSceneCard(story.sceneCardForSceneCardID(10)));
    EXPECT_EQ(story.sceneCardForSceneCardID(10), nullptr);
    EXPECT_EQ(story.sceneCards().size(), 2u);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCardObject WHERE SceneCardID=10"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCardCharacter WHERE SceneCardID=10"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ScriptPart WHERE SceneCardID=10"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneSetup WHERE SceneCardID=10"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneSetup WHERE SceneCardID=0"), "3");
    EXPECT_EQ(file.scalar("SELECT BigSceneView || '|' || BigSceneSceneCardID FROM Screenplay"), "0|0");
    EXPECT_TRUE(story.attachedObjectsInSceneID(10).empty());

    // The freed key may be given again; the new card starts with an empty script.
    SceneCarddb fresh;
    fresh.setSceneCardID(10);
    fresh.insertIntoDatabaseWithID(&story);
    fresh.loadScriptParts();
    EXPECT_TRUE(fresh.scriptParts().empty());

    // A Litter Box card leaves the Litter Box.
    EXPECT_TRUE(story.deleteSceneCard(story.sceneCardForSceneCardID(13)));
    EXPECT_TRUE(story.litterBox().empty());
    // No link in the file points at a missing card.
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCardObject o LEFT JOIN SceneCard c ON c.SceneCardID=o.SceneCardID "
                          "WHERE c.SceneCardID IS NULL AND o.SceneCardID <> 999"),
              "0");
}

TEST(ScreenplaydbDelete, CharacterLocationAndColourCodeLeaveNoOrphansAndNoStaleFilters)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    story.setBoardListFilterCharacterID(2);
    story.setBoardListFilterLocationID(1);
    story.setBoardListFilterColorID(3);
    story.save();

    story.deleteCharacter(story.characterForCharacterID(2));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM CharacterObject WHERE CharacterID=2"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCardCharacter WHERE CharacterID=2"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM Character WHERE CharacterID=2"), "0");
    EXPECT_EQ(story.characters().size(), 2u);

    // A link the story did not load (its attachment is gone) goes with the location too.
    file.exec("INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID) VALUES (2, 999)");
    story.deleteLocation(story.locationForLocationID(2));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneLocationObject WHERE SceneLocationID=2"), "0");
    EXPECT_EQ(story.sceneLocationObjects().size(), 0u);
    EXPECT_EQ(file.scalar("SELECT SceneLocationID FROM SceneCard WHERE SceneCardID=11"), "0");
    story.deleteLocation(story.locationForLocationID(1));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCard WHERE SceneLocationID=1 AND ScreenplayID=1"), "0");

    story.deleteColorCode(story.colorForColorCodeID(3));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCard WHERE ColorLegend2ID=3"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ColorCode WHERE ColorCodeID=3"), "0");
    EXPECT_EQ(story.colorCodes().size(), 9u);

    EXPECT_EQ(file.scalar("SELECT BoardListFilterCharacterID || '|' || BoardListFilterLocationID || '|' || "
                          "BoardListFilterColorID FROM Screenplay"),
              "0|0|0");
}

TEST(ScreenplaydbDelete, AColourCodeLeavesEverySlotOfEveryCardThatHeldIt)
{
    NewStory file;
    // Cards 1 to 6 hold code 3 in that one slot and code 2 or 4 in the others; card 7, in the
    // Litter Box, holds it in all six; card 8 never held it.
    for (int holder = 1; holder <= 6; ++holder) {
        QStringList held;
        for (int slot = 1; slot <= 6; ++slot)
            held << QString::number(slot == holder ? 3 : (slot % 2 == 0 ? 2 : 4));
        file.exec(QStringLiteral("INSERT INTO SceneCard (SceneCardID, ScreenplayID, OnBoard, ColorLegend1ID, "
                                 "ColorLegend2ID, ColorLegend3ID, ColorLegend4ID, ColorLegend5ID, ColorLegend6ID) "
                                 "VALUES (%1, 1, 1, %2)")
                      .arg(holder)
                      .arg(held.join(QLatin1Char(','))));
    }
    file.exec("INSERT INTO SceneCard (SceneCardID, ScreenplayID, OnBoard, ColorLegend1ID, ColorLegend2ID, "
              "ColorLegend3ID, ColorLegend4ID, ColorLegend5ID, ColorLegend6ID) VALUES (7, 1, 2, 3, 3, 3, 3, 3, 3), "
              "(8, 1, 1, 1, 2, 4, 5, 6, 7)");
    file.reopen();
    Screenplaydb& story = file.story();
    ASSERT_TRUE(story.deleteColorCode(story.colorForColorCodeID(3)));

    const auto slotsInFile = [&file](int card) {
        return file.scalar(QStringLiteral("SELECT ColorLegend1ID || ',' || ColorLegend2ID || ',' || ColorLegend3ID || "
                                          "',' || ColorLegend4ID || ',' || ColorLegend5ID || ',' || ColorLegend6ID "
                                          "FROM SceneCard WHERE SceneCardID = %1")
                               .arg(card));
    };
    const auto slotsInMemory = [&story](int card) {
        const SceneCarddb* record = story.sceneCardForSceneCardID(card);
        QStringList held;
        for (int slot = 1; record && slot <= 6; ++slot)
            held << QString::number(record->colorLegendID(slot));
        return held.join(QLatin1Char(','));
    };
    struct Row {
        int card;
        const char* held;
    };
    const Row rows[] = {
        {1, "0,2,4,2,4,2"}, {2, "4,0,4,2,4,2"}, {3, "4,2,0,2,4,2"}, {4, "4,2,4,0,4,2"},
        {5, "4,2,4,2,0,2"}, {6, "4,2,4,2,4,0"}, {7, "0,0,0,0,0,0"}, {8, "1,2,4,5,6,7"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.card);
        EXPECT_EQ(slotsInFile(row.card), QString::fromLatin1(row.held));
        EXPECT_EQ(slotsInMemory(row.card), QString::fromLatin1(row.held));
        EXPECT_FALSE(story.sceneCardForSceneCardID(row.card)->isDirty());
    }
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ColorCode WHERE ColorCodeID = 3"), "0");
}

TEST(ScreenplaydbDelete, AttachmentLeavesEachOwnerWithAPrimaryPicture)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    story.deleteAttachedObject(story.attachmentForID(1));
    EXPECT_EQ(file.scalar("SELECT count(*) FROM CharacterObject WHERE AttachedObjectID=1"), "0");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneLocationObject WHERE AttachedObjectID=1"), "0");
    EXPECT_EQ(file.scalar("SELECT PrimaryDisplayFlag FROM CharacterObject WHERE CharacterID=2"), "1");
    ASSERT_EQ(story.characterForCharacterID(2)->characterObjects().size(), 1u);
    EXPECT_EQ(story.characterForCharacterID(2)->characterObjects()[0]->attachedObjectID(), 2);
    EXPECT_EQ(story.attachmentForID(1), nullptr);
    EXPECT_FALSE(story.attachedObjectLinked(1));
}

namespace {

// What memory holds of the records a cascading delete touches, in one line per kind.
QString memoryOf(Screenplaydb& story)
{
    QStringList lines;
    QStringList part;
    for (auto& character : story.characters())
        part << QStringLiteral("%1:%2").arg(character->characterID()).arg(character->characterObjects().size());
    lines << part.join(QLatin1Char(' '));
    part.clear();
    for (auto& location : story.sceneLocations())
        part << QStringLiteral("%1:%2").arg(location->sceneLocationID()).arg(location->locationObjects().size());
    lines << part.join(QLatin1Char(' '));
    auto links = [](auto& list, auto owner) {
        QStringList out;
        for (auto& link : list)
            out << QStringLiteral("%1>%2:%3:%4")
                       .arg(owner(*link))
                       .arg(link->attachedObjectID())
                       .arg(link->primaryDisplayFlag())
                       .arg(link->isDirty() ? QStringLiteral("dirty") : QStringLiteral("clean"));
        return out.join(QLatin1Char(' '));
    };
    lines << links(story.characterObjects(), [](const CharacterObjectdb& l) { return l.characterID(); });
    lines << links(story.sceneLocationObjects(), [](const SceneLocationObjectdb& l) { return l.sceneLocationID(); });
    lines << links(story.sceneCardObjects(), [](const SceneCardObjectdb& l) { return l.sceneCardID(); });
    part.clear();
    for (auto& link : story.sceneCardCharacters())
        part << QStringLiteral("%1>%2").arg(link->sceneCardID()).arg(link->characterID());
    lines << part.join(QLatin1Char(' '));
    part.clear();
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (auto& card : *cards)
            part << QStringLiteral("%1@%2:%3:%4")
                        .arg(card->sceneCardID())
                        .arg(card->sceneLocationID())
                        .arg(card->sceneCardCharacters().size())
                        .arg(card->isDirty() ? QStringLiteral("dirty") : QStringLiteral("clean"));
    lines << part.join(QLatin1Char(' '));
    lines << QStringLiteral("attachments %1").arg(story.attachedObjects().size());
    lines << QStringLiteral("filters %1 %2 %3")
                 .arg(story.boardListFilterCharacterID())
                 .arg(story.boardListFilterLocationID())
                 .arg(story.isDirty() ? QStringLiteral("dirty") : QStringLiteral("clean"));
    part.clear();
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (auto& card : *cards)
            part << QStringLiteral("%1#%2").arg(card->sceneCardID()).arg(card->colorLegendID(2));
    for (auto& setup : story.sceneSetups())
        part << QStringLiteral("s%1>%2").arg(setup->sceneSetupID()).arg(setup->sceneCardID());
    for (auto& payoff : story.scenePayoffs())
        part << QStringLiteral("p%1>%2").arg(payoff->scenePayoffID()).arg(payoff->sceneCardID());
    // The lists' own order is not what a delete changes.
    part.sort();
    lines << part.join(QLatin1Char(' '));
    lines << QStringLiteral("colours %1 large card %2 %3 list %4")
                 .arg(story.colorCodes().size())
                 .arg(story.bigSceneSceneCardID())
                 .arg(story.bigSceneView())
                 .arg(story.listViewCards().size());
    return lines.join(QLatin1Char('\n'));
}

// What the file holds of the same records.
QString fileOf(const NewStory& file)
{
    return file.scalar(
        "SELECT (SELECT group_concat(CharacterID) FROM Character) || '|' || "
        "(SELECT group_concat(SceneLocationID) FROM SceneLocation) || '|' || "
        "(SELECT group_concat(CharacterID || '>' || AttachedObjectID || ':' || PrimaryDisplayFlag) "
        "FROM CharacterObject) || '|' || "
        "(SELECT group_concat(SceneLocationID || '>' || AttachedObjectID) FROM SceneLocationObject) || '|' || "
        "(SELECT group_concat(SceneCardID || '>' || AttachedObjectID) FROM SceneCardObject) || '|' || "
        "(SELECT group_concat(SceneCardID || '>' || CharacterID) FROM SceneCardCharacter) || '|' || "
        "(SELECT group_concat(SceneCardID || '@' || SceneLocationID) FROM SceneCard) || '|' || "
        "(SELECT count(*) FROM AttachedObject) || '|' || "
        "(SELECT BoardListFilterCharacterID || ' ' || BoardListFilterLocationID FROM Screenplay) || '|' || "
        "(SELECT group_concat(SceneCardID || '#' || ColorLegend2ID) FROM SceneCard) || '|' || "
        "(SELECT group_concat(SceneSetupID || '>' || SceneCardID) FROM SceneSetup) || '|' || "
        "(SELECT group_concat(ScenePayoffID || '>' || SceneCardID) FROM ScenePayoff) || '|' || "
        "(SELECT count(*) FROM ColorCode) || '|' || (SELECT count(*) FROM ScriptPart) || '|' || "
        "(SELECT BigSceneSceneCardID || ' ' || BigSceneView FROM Screenplay)");
}

} // namespace

TEST(ScreenplaydbDelete, AWriteThatFailsLeavesMemoryAsTheFileStillHasIt)
{
    // Each delete is refused at its very last write, after every other row of its cascade was
    // written; then, with the refusal gone, it runs through and memory matches the file.
    struct Case {
        const char* name;
        const char* trigger;
        std::function<bool(Screenplaydb&)> remove;
    };
    const Case cases[] = {
        {"character", "BEFORE DELETE ON Character WHEN OLD.CharacterID = 2",
         [](Screenplaydb& s) { return s.deleteCharacter(s.characterForCharacterID(2)); }},
        {"location on board and Litter Box cards", "BEFORE UPDATE ON SceneCard WHEN NEW.SceneCardID = 13",
         [](Screenplaydb& s) { return s.deleteLocation(s.locationForLocationID(1)); }},
        {"location with an attachment", "BEFORE UPDATE ON Screenplay",
         [](Screenplaydb& s) { return s.deleteLocation(s.locationForLocationID(2)); }},
        {"attachment passing the picture on", "BEFORE DELETE ON AttachedObject",
         [](Screenplaydb& s) { return s.deleteAttachedObject(s.attachmentForID(1)); }},
        {"scene card with links, set-ups, pay-offs, script and the large card", "BEFORE UPDATE ON Screenplay",
         [](Screenplaydb& s) { return s.deleteSceneCard(s.sceneCardForSceneCardID(10)); }},
        {"scene card whose pay-off is refused", "BEFORE UPDATE ON ScenePayoff",
         [](Screenplaydb& s) { return s.deleteSceneCard(s.sceneCardForSceneCardID(11)); }},
        {"colour code on two cards", "BEFORE DELETE ON ColorCode",
         [](Screenplaydb& s) { return s.deleteColorCode(s.colorForColorCodeID(3)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewStory file;
        buildRichStory(file);
        Screenplaydb& story = file.story();
        story.setBoardListFilterCharacterID(2);
        story.setBoardListFilterLocationID(2);
        story.setBigSceneSceneCardID(10);
        story.setBigSceneView(1);
        story.save();
        const QString memoryBefore = memoryOf(story);
        const QString fileBefore = fileOf(file);
        file.exec(QStringLiteral("CREATE TEMP TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT,'disk full'); END")
                      .arg(QLatin1String(c.trigger)));
        EXPECT_THROW(c.remove(story), DatabaseError);
        EXPECT_EQ(fileOf(file), fileBefore);
        EXPECT_EQ(memoryOf(story), memoryBefore);

        file.exec("DROP TRIGGER refuse");
        ASSERT_TRUE(c.remove(story));
        EXPECT_NE(fileOf(file), fileBefore);
        const QString memoryAfter = memoryOf(story);
        file.reopen();
        EXPECT_EQ(memoryOf(file.story()), memoryAfter);
    }
}

TEST(ScreenplaydbDelete, SetupPayoffLinksAreClearedOnBothSides)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    story.deleteScenePayoff(story.payoffForPayoffID(1));
    EXPECT_EQ(file.scalar("SELECT ScenePayoffID FROM SceneSetup WHERE SceneSetupID=1"), "0");
    EXPECT_EQ(story.setupForSetupID(1)->scenePayoff(), "");
    EXPECT_FALSE(story.setupForSetupID(1)->isDirty());

    NewStory second;
    buildRichStory(second);
    Screenplaydb& other = second.story();
    other.deleteSceneSetup(other.setupForSetupID(1));
    EXPECT_EQ(other.payoffForPayoffID(1)->sceneSetupID(), 0);
    EXPECT_EQ(other.payoffForPayoffID(1)->sceneSetup(), "");
    EXPECT_EQ(second.count("SceneSetup"), 3);
}

TEST(ScreenplaydbDelete, ARefusedLoglineDeleteLeavesTheListAsTheFileHasIt)
{
    struct Case {
        const char* name;
        bool onlyOne;
        const char* trigger;
    };
    const Case cases[] = {
        {"the current logline, whose place goes to the other", false, "BEFORE UPDATE ON Logline"},
        {"the current logline itself", false, "BEFORE DELETE ON Logline"},
        {"the only logline, which an empty one replaces", true, "BEFORE DELETE ON Logline"},
        {"the only logline, whose replacement is refused", true, "BEFORE INSERT ON Logline"},
    };
    const auto memoryOfLoglines = [](Screenplaydb& story) {
        QStringList lines;
        for (const auto& logline : story.logLines())
            lines << QStringLiteral("%1:%2:%3:%4")
                         .arg(logline->loglineID())
                         .arg(logline->logline())
                         .arg(logline->currentLoglineFlag())
                         .arg(logline->isDirty() ? QStringLiteral("dirty") : QStringLiteral("clean"));
        return lines.join(QLatin1Char('|'));
    };
    const QString fileQuery = QStringLiteral(
        "SELECT group_concat(LoglineID || ':' || Logline || ':' || CurrentLoglineFlag || ':clean', '|') FROM "
        "(SELECT * FROM Logline WHERE ScreenplayID = 1 ORDER BY LoglineID)");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewStory file;
        buildRichStory(file);
        Screenplaydb& story = file.story();
        if (c.onlyOne) {
            ASSERT_TRUE(story.deleteLogline(story.logLines().front().get()));
        }
        const QString before = memoryOfLoglines(story);
        ASSERT_EQ(file.scalar(fileQuery), before);
        file.exec(QStringLiteral("CREATE TEMP TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT,'disk full'); END")
                      .arg(QLatin1String(c.trigger)));
        EXPECT_THROW(story.deleteLogline(story.currentLogline()), DatabaseError);
        EXPECT_EQ(memoryOfLoglines(story), before);
        EXPECT_EQ(file.scalar(fileQuery), before);
        ASSERT_NE(story.currentLogline(), nullptr);

        file.exec("DROP TRIGGER refuse");
        ASSERT_TRUE(story.deleteLogline(story.currentLogline()));
        // A logline just inserted keeps its change mark until it is next saved.
        EXPECT_EQ(file.scalar(fileQuery),
                  memoryOfLoglines(story).replace(QStringLiteral(":dirty"), QStringLiteral(":clean")));
        ASSERT_EQ(story.logLines().size(), 1u);
        EXPECT_EQ(story.currentLogline(), story.logLines().front().get());
    }
}

TEST(ScreenplaydbDelete, LoglinesAndNotes)
{
    NewStory file;
    buildRichStory(file);
    Screenplaydb& story = file.story();
    story.deleteLogline(story.currentLogline());
    ASSERT_EQ(story.logLines().size(), 1u);
    EXPECT_EQ(story.currentLogline()->logline(), "second logline");
    EXPECT_EQ(file.scalar("SELECT CurrentLoglineFlag FROM Logline"), "1");

    // Deleting the only logline leaves a new, empty, current one.
    story.deleteLogline(story.currentLogline());
    ASSERT_EQ(story.logLines().size(), 1u);
    EXPECT_EQ(story.currentLogline()->logline(), "");
    EXPECT_EQ(file.scalar("SELECT count(*) || '|' || Logline || '|' || CurrentLoglineFlag FROM Logline"), "1||1");

    story.deleteStickyNote(story.stickyNotes()[0].get());
    EXPECT_TRUE(story.stickyNotes().empty());
    EXPECT_EQ(file.count("StickyNote"), 0);
}
