#include "web/QueuedStoryText.h"

#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/StoryTransaction.h"
#include "platform/FakePlatform.h"
#include "support/StoryFixtures.h"
#include "web/ScreenplayXML.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

const QueuedStoryText::Owner kOwner{QStringLiteral("Ada"), QStringLiteral("Byron"), QStringLiteral("AC-1815")};

QString story(const QString& inside)
{
    return QStringLiteral("<SCREENPLAY>") + inside + QStringLiteral("</SCREENPLAY>");
}

QString card(const QString& fields)
{
    return QStringLiteral("<SCENECARD>") + fields + QStringLiteral("</SCENECARD>");
}

QString cards(const QString& inside)
{
    return QStringLiteral("<SCENECARDS>") + inside + QStringLiteral("</SCENECARDS>");
}

// Fills the new story from the text in one transaction, as the download does.
void fillInto(NewStory& made, const QString& text)
{
    StoryTransaction transaction(made.db());
    QueuedStoryText::fillStory(made.story(), text, kOwner);
    transaction.commit();
}

class QueuedStoryTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakePlatform::install(home_.path());
        story_.story().hydrate();
    }
    void TearDown() override { Platform::setUserDefaults(nullptr); }

    void fill(const QString& text) { fillInto(story_, text); }
    QString scalar(const QString& sql) const { return story_.scalar(sql); }

    QTemporaryDir home_;
    NewStory story_;
};

} // namespace

TEST_F(QueuedStoryTextTest, TheFrameOfTheStoryComesFromItsTags)
{
    // A NUL character that came down with the text is dropped.
    const QChar nul(u'\0');
    fill(story(QStringLiteral("<PLATFORM>PHONE</PLATFORM><TITLE>Night ") + nul +
               QStringLiteral("<Train></TITLE><LOGLINE>A porter & a thief.</LOGLINE><GENRE>Thriller</GENRE><BEAT1>Open") +
               nul +
               QStringLiteral("ing</BEAT1><BEAT10>Bad guys close in</BEAT10><BEAT15>Final image</BEAT15>"
                              "<GENERALNOTES>Shoot at dusk.\nKeep it short.</GENERALNOTES><PAGECOUNT>120</PAGECOUNT>")));

    EXPECT_EQ(scalar("SELECT ScreenplayTitle || '|' || Genre || '|' || PageCount || '|' || OwnerFirstName || '|' "
                     "|| OwnerLastName || '|' || OwnerSerialNumber || '|' || length(ScreenplayGUID) FROM Screenplay"),
              QStringLiteral("Night <Train>|Thriller|120|Ada|Byron|AC-1815|36"));
    EXPECT_EQ(scalar("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"),
              QStringLiteral("A porter & a thief."));
    // <BEAT1> is never taken from <BEAT10>: the tag is matched with its closing bracket.
    EXPECT_EQ(scalar("SELECT group_concat(BeatNumber || '=' || Description, ';') FROM "
                     "(SELECT * FROM Beat WHERE BeatNumber IN (1, 2, 10, 15) ORDER BY BeatNumber)"),
              QStringLiteral("1=Opening;2=;10=Bad guys close in;15=Final image"));
    EXPECT_EQ(scalar("SELECT Title || '|' || Note FROM StickyNote"),
              QStringLiteral("General Notes|Shoot at dusk.\nKeep it short."));
    EXPECT_EQ(story_.story().boardSections().pageCount(), 120);
}

TEST_F(QueuedStoryTextTest, ATextWithoutElementsMakesAnEmptyStoryOfDefaultLength)
{
    fill(story(QString()));
    EXPECT_EQ(scalar("SELECT ScreenplayTitle || '|' || Genre || '|' || PageCount FROM Screenplay"),
              QStringLiteral("||110"));
    EXPECT_EQ(scalar("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"), QString());
    EXPECT_EQ(scalar("SELECT count(*) FROM Beat WHERE Description <> ''"), QStringLiteral("0"));
    for (const char* table : {"SceneCard", "SceneSetup", "ScenePayoff", "StickyNote", "ScriptPart"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(story_.count(QString::fromLatin1(table)), 0);
    }
}

// The cards of one page stand where the phone put them (or where their page begins), the next of a
// run five points right of the one before, as far as the page's room allows; where a run would
// pass the room's end, the cards before it make room, five apart. The places, worked out by hand on
// 110 pages (row 1: pages 1-25, row 2: 26-55): the default board's rows are 1562 points wide, a
// card keeps 1.5 / 270 of a row (8.68 points) inside its page's edges but the row's start, so
// page 10 (x 566.32 to 628.8) holds x 575 to 620, page 11 638 to 682, page 12 700 to 745, page 13
// 763 to 807, page 14 825 to 870, page 1 (from the row's start) 4 to 57.8; page 30 (x 212.27 to 264.33) is cut by the B
// Story bar's end at .1663 of the row and holds x 221 to 255. On a 3600 board (3322-point rows,
// 18.46 points inside) page 30 holds x 466 to 537.
TEST_F(QueuedStoryTextTest, CardsOfOnePageInARowAreSetFiveApart)
{
    struct Card {
        const char* page;
        const char* left;
    };
    struct Row {
        const char* name;
        std::vector<Card> cards;
        std::vector<std::int64_t> lefts;
        std::int64_t boardWidth = 1840;
    };
    const Row rows[] = {
        {"three on one page", {{"10", "580"}, {"10", "580"}, {"10", "580"}}, {580, 585, 590}},
        // A page's cards come apart however the text orders them.
        {"another page between", {{"10", "580"}, {"11", "640"}, {"10", "580"}}, {580, 640, 585}},
        {"run past the page's end", {{"10", "606"}, {"10", "606"}, {"10", "606"}, {"10", "606"}, {"10", "606"}},
         {600, 605, 610, 615, 620}},
        // Thirteen cards five apart need 60 points: they share page 1's 53.8 evenly, 4.48 apart.
        {"more than the page holds five apart",
         {{"1", "50"}, {"1", "50"}, {"1", "50"}, {"1", "50"}, {"1", "50"}, {"1", "50"}, {"1", "50"}, {"1", "50"},
          {"1", "50"}, {"1", "50"}, {"1", "50"}, {"1", "50"}, {"1", "50"}},
         {4, 8, 12, 17, 21, 26, 30, 35, 39, 44, 48, 53, 57}},
        {"a first card on page 0", {{"0", "10"}}, {15}},
        {"no left position", {{"30", "0"}}, {221}},
        {"no left element", {{"30", nullptr}}, {221}},
        {"left of the edge", {{"1", "2"}, {"13", "-40"}, {"14", "3.9"}}, {4, 763, 825}},
        {"a fraction", {{"12", "700.7xyz"}}, {700}},
        // Wanted past its page, a card stands a run's step short of the room's end, leaving room.
        {"far out", {{"12", "1e300"}}, {740}},
        {"a run from the page's start", {{"30", "0"}, {"30", "0"}, {"30", "0"}, {"30", "0"}}, {221, 226, 231, 236}},
        {"a run from the page's start on a wide board", {{"30", "0"}, {"30", "0"}, {"30", "0"}, {"30", "0"}},
         {466, 471, 476, 481}, 3600},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        story_.exec("DELETE FROM SceneCard");
        story_.exec(QStringLiteral("UPDATE Screenplay SET BoardWidth = %1").arg(row.boardWidth));
        story_.reopen();
        story_.story().hydrate();
        QString inside;
        std::int64_t id = 100;
        for (const Card& each : row.cards) {
            QString fields = QStringLiteral("<SCENECARDID>%1</SCENECARDID><PAGENUMBER>%2</PAGENUMBER>")
                                 .arg(id++)
                                 .arg(QString::fromLatin1(each.page));
            if (each.left)
                fields += QStringLiteral("<POSITIONLEFT>%1</POSITIONLEFT>").arg(QString::fromLatin1(each.left));
            inside += card(fields);
        }
        fill(story(QStringLiteral("<PAGECOUNT>110</PAGECOUNT>") + cards(inside)));
        const BoardSections& sections = story_.story().boardSections();
        ASSERT_EQ(story_.story().sceneCards().size(), row.cards.size());
        std::vector<std::int64_t> lefts;
        for (std::size_t i = 0; i < row.cards.size(); ++i) {
            SCOPED_TRACE(i);
            const SceneCarddb& placed = *story_.story().sceneCards()[i];
            lefts.push_back(placed.positionLeft());
            // No card stands on page 0.
            const std::int64_t page = std::max<qlonglong>(QByteArray(row.cards[i].page).toLongLong(), 1);
            EXPECT_EQ(placed.pageNumber(), page);
            EXPECT_EQ(sections.pageNumberForPositionTop(placed.positionTop(), placed.positionLeft()), page);
            EXPECT_EQ(scalar(QStringLiteral("SELECT PositionLeft FROM SceneCard WHERE SceneCardID = %1")
                                 .arg(placed.sceneCardID())),
                      QString::number(placed.positionLeft()));
            const std::int64_t beat = sections.boardBeatSectionForPageNumber(page);
            EXPECT_EQ(placed.currentBeatSection(), beat);
            EXPECT_EQ(placed.positionTop(), sections.topForBoardBeatSection(beat));
            const float width = static_cast<float>(sections.boardWidthForBoardBeatSection(beat));
            EXPECT_NEAR(placed.percentageHorizontal(), static_cast<float>(placed.positionLeft() - 4) / width, 1.0f / width);
        }
        EXPECT_EQ(lefts, row.lefts);
    }
}

TEST_F(QueuedStoryTextTest, CardFieldsColourKeysAndTheirPlace)
{
    fill(story(cards(
        card("<SCENECARDID>7</SCENECARDID><HEADING>INT. HOUSE - DAY</HEADING><DESCRIPTION>They meet.</DESCRIPTION>"
             "<NOTES>n</NOTES><EMOTIONALCHANGE>+/-</EMOTIONALCHANGE><CONFLICT>c</CONFLICT><PAGENUMBER>3</PAGENUMBER>"
             "<COLORKEY>2</COLORKEY><COLORKEY2>5</COLORKEY2><COLORKEY3></COLORKEY3><ONBOARD>1</ONBOARD>")
        + card("<SCENECARDID>8</SCENECARDID><PAGENUMBER>40</PAGENUMBER><ONBOARD>0</ONBOARD><COLORKEY></COLORKEY>")
        + card("<SCENECARDID>9</SCENECARDID><PAGENUMBER>50</PAGENUMBER>")
        + card("<SCENECARDID>10</SCENECARDID><PAGENUMBER>60</PAGENUMBER><ONBOARD>2</ONBOARD>"))));

    EXPECT_EQ(scalar("SELECT group_concat(SceneCardID || ':' || OnBoard, ',') FROM "
                     "(SELECT * FROM SceneCard ORDER BY SceneCardID)"),
              QStringLiteral("7:1,8:2,9:1,10:2"));
    EXPECT_EQ(scalar("SELECT Heading || '|' || Description || '|' || Notes || '|' || EmotionalChange || '|' || "
                     "Conflict || '|' || PageNumber || '|' || ColorLegend1ID || ColorLegend2ID || ColorLegend3ID "
                     "FROM SceneCard WHERE SceneCardID = 7"),
              QStringLiteral("INT. HOUSE - DAY|They meet.|n|+/-|c|3|250"));
    EXPECT_EQ(scalar("SELECT ColorLegend1ID FROM SceneCard WHERE SceneCardID = 8"), QStringLiteral("0"));
    EXPECT_EQ(story_.story().sceneCards().size(), 2u);
    EXPECT_EQ(story_.story().litterBox().size(), 2u);
}

TEST_F(QueuedStoryTextTest, ScriptLinesBecomePartsAndCharacterLinesLinkTheirCharacter)
{
    fill(story(cards(card(QStringLiteral(
        "<SCENECARDID>4</SCENECARDID><PAGENUMBER>5</PAGENUMBER><SCRIPT>"
        "INT. HOUSE - DAY\n\n-JOHN\n--(quietly)\n--Hello there.\n\n  -JOHN (CONT'D)  \n--Again.\n\n-Mary(V.O.)\n"
        "--Who?\n\n-(beat)\n</SCRIPT>")))));

    EXPECT_EQ(scalar("SELECT group_concat(SortOrder || ' ' || ElementType || ' ' || ScriptText, '|') FROM "
                     "(SELECT p.SortOrder, e.ElementType, p.ScriptText FROM ScriptPart p "
                     "JOIN ScriptElement e ON e.ScriptElementID = p.ElementTypeID "
                     "WHERE p.SceneCardID = 4 ORDER BY p.SortOrder)"),
              QStringLiteral("1 Action INT. HOUSE - DAY|2 Character JOHN|3 Parenthetical (quietly)|"
                             "4 Dialogue Hello there.|5 Character JOHN (CONT'D)|6 Dialogue Again.|"
                             "7 Character Mary(V.O.)|8 Dialogue Who?|9 Character (beat)"));
    // JOHN twice links once; MARY comes from a cue without a blank before its bracket; a cue
    // that names nobody links nothing.
    EXPECT_EQ(scalar("SELECT group_concat(CharacterName, ',') FROM (SELECT CharacterName FROM Character "
                     "ORDER BY CharacterName)"),
              QStringLiteral("JOHN,MARY"));
    EXPECT_EQ(scalar("SELECT group_concat(c.CharacterName, ',') FROM SceneCardCharacter l JOIN Character c "
                     "ON c.CharacterID = l.CharacterID WHERE l.SceneCardID = 4"),
              QStringLiteral("JOHN,MARY"));
}

TEST_F(QueuedStoryTextTest, SetupsAndPayoffsKeepTheirIdsAndLinks)
{
    fill(story(cards(card("<SCENECARDID>21</SCENECARDID><PAGENUMBER>9</PAGENUMBER>"))
               + QStringLiteral("<SETUPS><SETUP><SCENESETUPID>31</SCENESETUPID><SCENECARDID>21</SCENECARDID>"
                                "<SCENESETUP>The gun</SCENESETUP><PAYOFFID>41</PAYOFFID></SETUP>"
                                "<SETUP><SCENESETUPID>32</SCENESETUPID><SCENECARDID>21</SCENECARDID>"
                                "<SCENESETUP>The key</SCENESETUP><PAYOFFID>0</PAYOFFID></SETUP></SETUPS>"
                                "<PAYOFFS><PAYOFF><SCENEPAYOFFID>41</SCENEPAYOFFID><SCENECARDID>21</SCENECARDID>"
                                "<SCENEPAYOFF>It fires</SCENEPAYOFF></PAYOFF></PAYOFFS>")));
    EXPECT_EQ(scalar("SELECT group_concat(SceneSetupID || ':' || SceneCardID || ':' || SceneSetup || ':' || "
                     "ScenePayoffID, ',') FROM (SELECT * FROM SceneSetup ORDER BY SceneSetupID)"),
              QStringLiteral("31:21:The gun:41,32:21:The key:0"));
    EXPECT_EQ(scalar("SELECT ScenePayoffID || ':' || SceneCardID || ':' || ScenePayoff FROM ScenePayoff"),
              QStringLiteral("41:21:It fires"));
}

TEST_F(QueuedStoryTextTest, UnclosedTagsReadAsEmpty)
{
    fill(story(QStringLiteral("<TITLE>Never closed<GENRE>Drama</GENRE><PAGECOUNT>90")));
    EXPECT_EQ(scalar("SELECT ScreenplayTitle || '|' || Genre || '|' || PageCount FROM Screenplay"),
              QStringLiteral("|Drama|110"));
}

TEST_F(QueuedStoryTextTest, TextsThatCannotBeAStoryAreNamedWithTheirReason)
{
    const struct {
        const char* text;
        const char* reason;  // "" = usable
        std::int64_t pages;  // the page count of the story it makes
    } rows[] = {
        {"<SCREENPLAY></SCREENPLAY>", "", 110},
        {"<SCREENPLAY><PAGECOUNT>4</PAGECOUNT>", "", 4},
        {"<SCREENPLAY><PAGECOUNT>1000</PAGECOUNT>", "", 1000},
        {"<TITLE>No frame</TITLE>", "it holds no story.", 0},
        {"", "it holds no story.", 0},
        // A page count outside 4 to 1000 is brought into it; none, empty or one of 0 or less
        // gives as many pages as the cards need, 110 at least.
        {"<SCREENPLAY><PAGECOUNT>3</PAGECOUNT>", "", 4},
        {"<SCREENPLAY><PAGECOUNT>99999999999999999999</PAGECOUNT>", "", 1000},
        {"<SCREENPLAY><PAGECOUNT>0</PAGECOUNT>", "", 110},
        {"<SCREENPLAY><PAGECOUNT>-5</PAGECOUNT><SCENECARDS><SCENECARD><SCENECARDID>1</SCENECARDID>"
         "<PAGENUMBER>240</PAGENUMBER></SCENECARD></SCENECARDS>",
         "", 240},
        {"<SCREENPLAY><PAGECOUNT></PAGECOUNT><SCENECARDS><SCENECARD><PAGENUMBER>10</PAGENUMBER></SCENECARD>"
         "<SCENECARD><SCENECARDID>2</SCENECARDID><PAGENUMBER>240</PAGENUMBER></SCENECARD></SCENECARDS>",
         "", 240},
        {"<SCREENPLAY><SCENECARDS><SCENECARD><PAGENUMBER>1500</PAGENUMBER></SCENECARD></SCENECARDS>", "", 1000},
        {"<SCREENPLAY><SCENECARDS><SCENECARD><PAGENUMBER>30</PAGENUMBER></SCENECARD></SCENECARDS>", "", 110},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const QString text = QString::fromLatin1(row.text);
        const std::optional<QString> reason = QueuedStoryText::whyUnusable(text);
        EXPECT_EQ(reason.value_or(QString()), QString::fromLatin1(row.reason));
        if (reason)
            continue;
        NewStory made(QStringLiteral("Queued.vtrsf"));
        made.story().hydrate();
        fillInto(made, text);
        EXPECT_EQ(made.scalar(QStringLiteral("SELECT PageCount FROM Screenplay")), QString::number(row.pages));
        // Every card within the story's pages stands in a section of the board.
        for (const auto& card : made.story().sceneCards())
            EXPECT_TRUE(card->pageNumber() > row.pages || card->currentBeatSection() != 0) << card->pageNumber();
        EXPECT_NO_THROW(StoryFile::openStory(made.path()));
    }
}

TEST_F(QueuedStoryTextTest, AStoryTheDesktopSentComesBackWithItsCardsAndScript)
{
    // Written by the desktop's own writer and read back into a second story.
    fill(story(cards(card("<SCENECARDID>5</SCENECARDID><HEADING>EXT. PIER - NIGHT</HEADING>"
                          "<PAGENUMBER>20</PAGENUMBER><POSITIONLEFT>1320</POSITIONLEFT>"
                          "<SCRIPT>Fog rolls in.\n-ANNA\n--(low)\n--Now.\n</SCRIPT><ONBOARD>1</ONBOARD>"))
               + QStringLiteral("<TITLE>Pier</TITLE><PAGECOUNT>100</PAGECOUNT>")));
    story_.reopen();
    story_.story().hydrate();
    const QString sent = ScreenplayXML::createScreenplayXMLFor(story_.story(), QStringLiteral("3.1"));
    ASSERT_FALSE(sent.isEmpty());

    NewStory second(QStringLiteral("Second.vtrsf"));
    second.story().hydrate();
    fillInto(second, sent);
    const QString query = QStringLiteral(
        "SELECT (SELECT ScreenplayTitle || PageCount FROM Screenplay) || '|' || Heading || '|' || PositionLeft || '|' "
        "|| (SELECT group_concat(ScriptText, '/') FROM (SELECT ScriptText FROM ScriptPart ORDER BY SortOrder)) "
        "FROM SceneCard");
    EXPECT_EQ(second.scalar(query), story_.scalar(query));
    EXPECT_EQ(second.scalar(query), QStringLiteral("Pier100|EXT. PIER - NIGHT|1320|Fog rolls in./ANNA/(low)/Now."));
}
