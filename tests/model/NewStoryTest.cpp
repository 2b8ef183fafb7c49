#include "model/Beatdb.h"
#include "model/ColorCodedb.h"
#include "model/DatabaseError.h"
#include "model/DateUtilities.h"
#include "model/GreenlightChecklistQuestiondb.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/Toolkit.h"
#include "support/SqlProbe.h"
#include "support/StoryFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>

namespace {

QString todayStored()
{
    return DateUtilities::format(DateUtilities::DateTime{QDate::currentDate()}, "yyyy-MM-dd HH:mm:ss");
}

void execOn(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// A master file and a story file copied from their templates into a folder of their own.
struct CopiedTemplates {
    explicit CopiedTemplates(const char* storyName)
        : master(folder.filePath("Master.vtrmf")), story(folder.filePath(storyName))
    {
    }
    bool copied() const
    {
        return StoryFile::copyTemplate(StoryFile::kMasterTemplate, master) &&
               StoryFile::copyTemplate(StoryFile::kStoryTemplate, story);
    }

    QTemporaryDir folder;
    const QString master;
    const QString story;
};

} // namespace

TEST(NewStoryDefaults, HoldsExactlyTheRowsEveryStoryStartsWith)
{
    NewStory file("My Film.vtrsf");
    EXPECT_EQ(file.count("Screenplay"), 1);
    EXPECT_EQ(file.scalar("SELECT ScreenplayTitle || '|' || PageCount || '|' || CreateDate FROM Screenplay"),
              "My Film|110|" + todayStored());
    EXPECT_EQ(file.scalar("SELECT length(ScreenplayGUID) FROM Screenplay"), "36");

    EXPECT_EQ(file.count("Logline"), 1);
    EXPECT_EQ(file.scalar("SELECT LoglineID || '|' || CurrentLoglineFlag || '|' || Logline FROM Logline"), "1|1|");
    EXPECT_EQ(file.count("Beat"), 15);
    EXPECT_EQ(file.scalar("SELECT group_concat(BeatNumber) FROM (SELECT BeatNumber FROM Beat ORDER BY BeatID)"),
              "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM Beat WHERE Description <> ''"), "0");
    EXPECT_EQ(file.count("GreenlightChecklistQuestion"), 55);
    EXPECT_EQ(file.scalar("SELECT min(QuestionNumber) || '-' || max(QuestionNumber) FROM GreenlightChecklistQuestion"), "1-55");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM GreenlightChecklistQuestion WHERE Answer <> 'N'"), "0");
    EXPECT_EQ(file.count("ScriptElement"), 15);
    EXPECT_EQ(file.scalar("SELECT ElementType || '|' || LeftIndent || '|' || RightIndent || '|' || Alignment "
                          "FROM ScriptElement WHERE ScriptElementID=3"),
              "Character|3.5|7.25|Left");
    EXPECT_EQ(file.scalar("SELECT ElementType || '|' || Alignment FROM ScriptElement WHERE ScriptElementID=5"),
              "Transition|Right");
    EXPECT_EQ(file.scalar("SELECT ElementType || '|' || Alignment FROM ScriptElement WHERE ScriptElementID=15"),
              "Teaser|Center");
    // Each right-column dual-dialogue indent is the left column's plus three inches.
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ScriptElement l JOIN ScriptElement r ON "
                          "r.ElementType = 'DDR-' || substr(l.ElementType, 5) WHERE l.ElementType LIKE 'DDL-%' "
                          "AND r.LeftIndent = l.LeftIndent + 3.0"),
              "3");

    // The master's ten colour codes, "Major Turns" first.
    EXPECT_EQ(file.count("ColorCode"), 10);
    EXPECT_EQ(file.scalar("SELECT Description || '|' || RedValue || ',' || GreenValue || ',' || BlueValue || ',' || "
                          "AlphaValue FROM ColorCode WHERE ColorCodeID=1"),
              "Major Turns|255,0,0,255");
    EXPECT_EQ(file.scalar("SELECT Description FROM ColorCode WHERE ColorCodeID=10"), "Needs More Work");
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ColorCode WHERE ScreenplayID=1"), "10");

    for (const char* table : {"SceneCard", "Character", "SceneLocation", "SceneSetup", "ScenePayoff", "StickyNote",
                              "AttachedObject", "ScriptPart"})
        EXPECT_EQ(file.count(table), 0) << table;
}

// What the new-story defaults leave in the file itself, read straight from it (loading tops up
// a list of 50 checklist questions, so a load would hide a short one). A bare template, a new
// story whose making stopped before its first row, is given the same rows when it is opened,
// the owner's names with them.
TEST(NewStoryDefaults, TheFileHoldsEveryDefaultRowBeforeItIsEverLoaded)
{
    struct Way {
        const char* name;
        std::function<void(const CopiedTemplates&)> make;
        const char* owner;
    };
    const Way ways[] = {
        {"new story",
         [](const CopiedTemplates& files) { ASSERT_TRUE(Toolkit().populateDefaults(files.master, files.story)); },
         ""},
        {"bare template opened",
         [](const CopiedTemplates& files) {
             LoadedStory loaded = loadStoryFile(files.story, NewStoryDefaults{files.master, "Rosa", "Marsh"});
             EXPECT_EQ(loaded.story->beats().size(), 15u);
             loaded.story->finalizeAllSqliteStatements();
         },
         "Rosa Marsh"},
    };
    struct Row {
        const char* what;
        const char* sql;
        const char* expected;
    };
    const Row rows[] = {
        {"one story row", "SELECT count(*) || '|' || ScreenplayTitle || '|' || PageCount FROM Screenplay",
         "1|Fresh|110"},
        {"a new story's window", "SELECT WindowState || '|' || ParentWindowWidth || '|' || ParentWindowHeight "
         "FROM Screenplay", "2|1024|768"},
        {"a GUID", "SELECT length(ScreenplayGUID) FROM Screenplay", "36"},
        {"55 checklist questions", "SELECT count(*) FROM GreenlightChecklistQuestion", "55"},
        {"numbered 1 to 55 once each",
         "SELECT count(DISTINCT QuestionNumber) || '|' || min(QuestionNumber) || '|' || max(QuestionNumber) "
         "FROM GreenlightChecklistQuestion",
         "55|1|55"},
        {"every answer No", "SELECT count(*) FROM GreenlightChecklistQuestion WHERE Answer = 'N'", "55"},
        {"each question of the story", "SELECT count(*) FROM GreenlightChecklistQuestion WHERE ScreenplayID = 1",
         "55"},
        {"15 beats, numbered once each", "SELECT count(*) || '|' || count(DISTINCT BeatNumber) FROM Beat", "15|15"},
        {"one current logline", "SELECT count(*) || '|' || sum(CurrentLoglineFlag) FROM Logline", "1|1"},
        {"15 script formats", "SELECT count(*) FROM ScriptElement", "15"},
        {"the master's 10 colour codes", "SELECT count(*) FROM ColorCode", "10"},
        {"no cards", "SELECT count(*) FROM SceneCard", "0"},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const CopiedTemplates files("Fresh.vtrsf");
        ASSERT_TRUE(files.copied());
        way.make(files);
        sqlite3* raw = nullptr;
        ASSERT_EQ(
            sqlite3_open_v2(QFile::encodeName(files.story).constData(), &raw, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            EXPECT_EQ(SqlProbe::scalar(raw, QString::fromLatin1(row.sql)), QString::fromLatin1(row.expected));
        }
        EXPECT_EQ(SqlProbe::scalar(raw, "SELECT CreateDate FROM Screenplay"), todayStored());
        EXPECT_EQ(SqlProbe::scalar(raw, "SELECT trim(OwnerFirstName || ' ' || OwnerLastName) FROM Screenplay"),
                  QString::fromLatin1(way.owner));
        sqlite3_close(raw);
    }
}

TEST(NewStoryDefaults, MasterColourCodesAreRenumberedInRowOrder)
{
    const CopiedTemplates files("Story.vtrsf");
    ASSERT_TRUE(files.copied());
    const QString& master = files.master;
    const QString& story = files.story;
    // An older master file whose descriptions may be NULL.
    execOn(master, "CREATE TABLE Kept AS SELECT * FROM ColorCode; DROP TABLE ColorCode;"
                   "CREATE TABLE ColorCode (ColorCodeID INTEGER PRIMARY KEY, Description text, RedValue integer,"
                   " GreenValue integer, BlueValue integer, AlphaValue integer);"
                   "INSERT INTO ColorCode SELECT * FROM Kept; DROP TABLE Kept;"
                   "DELETE FROM ColorCode WHERE ColorCodeID NOT IN (1,2,5,9);"
                   "UPDATE ColorCode SET Description=NULL WHERE ColorCodeID=5");
    ASSERT_TRUE(Toolkit().populateDefaults(master, story));
    DatabaseConnection connection = StoryFile::open(story);
    sqlite3_stmt* rows = nullptr;
    sqlite3_prepare_v2(connection.get(), "SELECT ColorCodeID, Description FROM ColorCode ORDER BY ColorCodeID", -1, &rows,
                       nullptr);
    std::vector<std::pair<int, QString>> seen;
    while (sqlite3_step(rows) == SQLITE_ROW)
        seen.emplace_back(sqlite3_column_int(rows, 0),
                          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 1))));
    sqlite3_finalize(rows);
    const std::vector<std::pair<int, QString>> expected = {
        {1, "Major Turns"}, {2, "Theme"}, {3, ""}, {4, "D Story"}};
    EXPECT_EQ(seen, expected);
}

TEST(NewStoryDefaults, UnreadableMasterGivesAStoryWithoutColourCodes)
{
    QTemporaryDir folder;
    const QString story = folder.filePath("Story.vtrsf");
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kStoryTemplate, story));
    ASSERT_TRUE(Toolkit().populateDefaults(folder.filePath("nowhere.vtrmf"), story));
    DatabaseConnection connection = StoryFile::open(story);
    Screenplaydb loaded;
    loaded.initWithDatabase(connection.get());
    loaded.hydrate();
    EXPECT_TRUE(loaded.colorCodes().empty());
    EXPECT_EQ(loaded.beats().size(), 15u);
    EXPECT_EQ(loaded.scriptElements().size(), 15u);
    loaded.finalizeAllSqliteStatements();
}

TEST(NewStoryDefaults, FailureAnswersFalseAndLeavesNoHalfFilledStory)
{
    QTemporaryDir folder;
    const QString master = folder.filePath("Master.vtrmf");
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kMasterTemplate, master));

    EXPECT_FALSE(Toolkit().populateDefaults(master, folder.filePath("missing.vtrsf")));
    EXPECT_FALSE(QFile::exists(folder.filePath("missing.vtrsf")));

    const QString story = folder.filePath("Story.vtrsf");
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kStoryTemplate, story));
    execOn(story, "CREATE TRIGGER refuse BEFORE INSERT ON GreenlightChecklistQuestion "
                  "WHEN NEW.QuestionNumber = 40 BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_FALSE(Toolkit().populateDefaults(master, story));
    DatabaseConnection connection = StoryFile::open(story);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(connection.get(),
                       "SELECT (SELECT count(*) FROM Screenplay) + (SELECT count(*) FROM Beat) + "
                       "(SELECT count(*) FROM GreenlightChecklistQuestion) + (SELECT count(*) FROM ColorCode)",
                       -1, &count, nullptr);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 0);
    sqlite3_finalize(count);
}

namespace {

struct BeatCardSummary {
    QString description;
    std::int64_t beatCardNumber;
    std::int64_t sortOrder;
    std::int64_t boardBeat;
    std::int64_t colour;
};

// Fills every beat and adds the initial cards with the given options.
void fillAndAdd(NewStory& file, const std::array<bool, 5>& options)
{
    for (auto& beat : file.story().beats()) {
        beat->setDescription(QStringLiteral("What happens in beat %1").arg(beat->beatNumber()));
        beat->save();
    }
    Toolkit().addInitialBeatCardsForScreenplay(file.story(), options);
}

} // namespace

TEST(InitialBeatCards, FifteenBeatCardsWithoutOptions)
{
    NewStory file;
    fillAndAdd(file, {false, false, false, false, false});
    auto& cards = file.story().sceneCards();
    ASSERT_EQ(cards.size(), 15u);
    for (std::size_t i = 0; i < cards.size(); ++i) {
        EXPECT_EQ(cards[i]->beatCardNumber(), static_cast<std::int64_t>(i) + 1);
        EXPECT_EQ(cards[i]->sortOrder(), static_cast<std::int64_t>(i) + 1);
        EXPECT_EQ(cards[i]->colorLegend1ID(), 1);
        EXPECT_EQ(cards[i]->onBoard(), 1);
        EXPECT_EQ(cards[i]->heading(), "SCENE HEADING");
    }
    EXPECT_EQ(cards[0]->description(), "Opening Image\nWhat happens in beat 1");
    EXPECT_EQ(cards[2]->description(), "Set-Up\nWhat happens in beat 3");
    const std::vector<std::int64_t> boardBeats = {1, 3, 4, 5, 6, 7, 10, 11, 12, 14, 15, 16, 17, 19, 20};
    for (std::size_t i = 0; i < cards.size(); ++i)
        EXPECT_EQ(cards[i]->currentBeatSection(), boardBeats[i]);

    // One empty "Action" paragraph per card, in the file.
    EXPECT_EQ(file.count("SceneCard"), 15);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM ScriptPart p JOIN SceneCard c ON c.SceneCardID = p.SceneCardID "
                          "WHERE p.SortOrder = 1 AND p.ScriptText = '' AND p.ElementTypeID = "
                          "(SELECT ScriptElementID FROM ScriptElement WHERE ElementType='Action')"),
              "15");

    // The first card sits at page 1, left 4, top 4; the others at the start of their bar, just
    // inside it and inside the beat's first page, so that both read back from the place: at the
    // first whole point a point and a half of the narrowest row (1.5 x 1562 / 270) inside the edge.
    EXPECT_EQ(cards[0]->pageNumber(), 1);
    EXPECT_EQ(cards[0]->positionLeft(), 4);
    EXPECT_EQ(cards[0]->positionTop(), 4);
    EXPECT_FLOAT_EQ(cards[0]->percentageVertical(), 4.0f / 720.0f);
    const BoardSections& sections = file.story().boardSections();
    for (std::size_t i = 1; i < cards.size(); ++i) {
        SCOPED_TRACE(i);
        const std::int64_t b = cards[i]->currentBeatSection();
        EXPECT_EQ(cards[i]->pageNumber(), sections.beginningPageNumberForBoardBeat(b));
        // (A bar that starts its row starts it exactly.)
        if (BoardSections::beginningPercentageForBoardBeat(b) > 0.0f) {
            EXPECT_GT(cards[i]->positionLeft(), sections.leftForBoardBeatSection(b));
        } else {
            EXPECT_EQ(cards[i]->positionLeft(), 4);
        }
        EXPECT_LE(cards[i]->positionLeft(), sections.leftForBoardBeatSection(b) + 11);
        EXPECT_EQ(cards[i]->positionTop(), sections.topForBoardBeatSection(b));
        EXPECT_EQ(sections.pageNumberForPositionTop(cards[i]->positionTop(), cards[i]->positionLeft()),
                  cards[i]->pageNumber());
        EXPECT_EQ(sections.boardBeatSectionForPositionTop(cards[i]->positionTop(), cards[i]->positionLeft()), b);
    }

    // Reloading gives the same cards in board order.
    file.reopen();
    ASSERT_EQ(file.story().sceneCards().size(), 15u);
    EXPECT_EQ(file.story().sceneCards()[14]->description(), "Final Image\nWhat happens in beat 15");
}

TEST(InitialBeatCards, EveryOptionGivesThirtyThreeCardsInCreationOrder)
{
    NewStory file;
    fillAndAdd(file, {true, true, true, true, true});
    auto& cards = file.story().sceneCards();
    ASSERT_EQ(cards.size(), 33u);
    for (std::size_t i = 0; i < cards.size(); ++i)
        EXPECT_EQ(cards[i]->sortOrder(), static_cast<std::int64_t>(i) + 1);
    auto bySort = [&](std::int64_t sortOrder) -> SceneCarddb& { return *cards[static_cast<std::size_t>(sortOrder - 1)]; };
    EXPECT_EQ(bySort(4).description(), "Set-Up \nHOME");
    EXPECT_EQ(bySort(6).description(), "Set-Up \nPLAY");
    EXPECT_EQ(bySort(7).beatCardNumber(), 4);  // Catalyst
    EXPECT_EQ(bySort(8).beatCardNumber(), 5);  // Debate
    EXPECT_EQ(bySort(11).beatCardNumber(), 6); // Break into Two
    EXPECT_EQ(bySort(33).beatCardNumber(), 15);
    int optional = 0;
    for (const auto& card : cards) {
        if (card->beatCardNumber() == 0) {
            ++optional;
            EXPECT_EQ(card->colorLegend1ID(), 0);
        }
    }
    EXPECT_EQ(optional, 18);

    // The three set-up cards spread at 1/4, 2/4, 3/4 of their bar's pages, on the bar's row, left
    // to right, each standing on its page.
    const BoardSections& sections = file.story().boardSections();
    const double firstPage = static_cast<double>(sections.beginningPageNumberForBoardBeat(4));
    const double pageStep = (static_cast<double>(sections.endingPageNumberForBoardBeat(4)) - firstPage) / 4.0;
    std::int64_t leftBefore = sections.leftForBoardBeatSection(4);
    for (int k = 1; k <= 3; ++k) {
        SceneCarddb& card = bySort(3 + k);
        EXPECT_EQ(card.currentBeatSection(), 4);
        EXPECT_EQ(card.pageNumber(), static_cast<std::int64_t>(firstPage + k * pageStep));
        EXPECT_EQ(card.positionTop(), sections.topForBoardBeatSection(4));
        EXPECT_GT(card.positionLeft(), leftBefore);
        leftBefore = card.positionLeft();
        EXPECT_EQ(sections.pageNumberForPositionTop(card.positionTop(), card.positionLeft()), card.pageNumber());
    }
    EXPECT_EQ(file.count("ScriptPart"), 33);
}

TEST(InitialBeatCards, OnlyTheFinaleGroupGivesTwentyCards)
{
    NewStory file;
    fillAndAdd(file, {false, false, false, false, true});
    auto& cards = file.story().sceneCards();
    ASSERT_EQ(cards.size(), 20u);
    for (int sortOrder = 15; sortOrder <= 19; ++sortOrder) {
        EXPECT_EQ(cards[sortOrder - 1]->beatCardNumber(), 0);
        EXPECT_EQ(cards[sortOrder - 1]->currentBeatSection(), 19);
    }
    EXPECT_EQ(cards[14]->description(), "Finale\nGathering the Team");
    EXPECT_EQ(cards[19]->beatCardNumber(), 15);
}

TEST(InitialBeatCards, BeatTitleIsPutInFrontUnlessTheDescriptionStartsWithIt)
{
    NewStory file;
    auto& beats = file.story().beats();
    beats[0]->setDescription("Opening Image of a dead town");
    beats[1]->setDescription("A quiet street");
    beats[3]->setDescription("");
    beats[4]->setDescription("The Debate rages");
    Toolkit().addInitialBeatCardsForScreenplay(file.story(), {false, false, false, false, false});
    auto& cards = file.story().sceneCards();
    EXPECT_EQ(cards[0]->description(), "Opening Image of a dead town");
    EXPECT_EQ(cards[1]->description(), "Theme Stated\nA quiet street");
    EXPECT_EQ(cards[3]->description(), "Catalyst\n");
    EXPECT_EQ(cards[4]->description(), "Debate\nThe Debate rages");
}

TEST(InitialBeatCards, AFailedInsertLeavesNoCards)
{
    NewStory file;
    file.exec("CREATE TRIGGER refuse BEFORE INSERT ON ScriptPart "
              "WHEN (SELECT count(*) FROM SceneCard) > 7 BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_THROW(Toolkit().addInitialBeatCardsForScreenplay(file.story(), {true, true, true, true, true}), DatabaseError);
    EXPECT_TRUE(file.story().sceneCards().empty());
    EXPECT_EQ(file.count("SceneCard"), 0);
    EXPECT_EQ(file.count("ScriptPart"), 0);
}

TEST(NewStoryDefaults, AFailedColourCodeCopyStillClosesTheMasterFile)
{
    QTemporaryDir folder;
    const QString master = folder.filePath("Master.vtrmf");
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kMasterTemplate, master));
    const QString story = folder.filePath("Story.vtrsf");
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kStoryTemplate, story));
    execOn(story, "CREATE TRIGGER refuse BEFORE INSERT ON ColorCode BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_FALSE(Toolkit().populateDefaults(master, story));

    // No descriptor of this process still points at the master file.
    const QString canonical = QFileInfo(master).canonicalFilePath();
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& descriptor : descriptors.entryInfoList(QDir::Files | QDir::System))
        EXPECT_NE(descriptor.symLinkTarget(), canonical);
    DatabaseConnection connection = StoryFile::open(story);
    EXPECT_EQ(SqlProbe::count(connection.get(), "Screenplay"), 0);
}
