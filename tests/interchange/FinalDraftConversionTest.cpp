#include "interchange/XMLParsedScript.h"
#include "model/BoardSections.h"
#include "model/DatabaseError.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "support/FdxText.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

using FdxText::heading;
using FdxText::paragraph;

void convert(NewStory& file, const QByteArray& data)
{
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(data)) << script.errorString().toStdString();
    ASSERT_TRUE(Toolkit().processFinalDraft8Script(script, file.story()));
}

// "type|text" of every script paragraph in the file, card by card in sort order.
QString partsInFile(NewStory& file)
{
    return file.scalar(QStringLiteral(
        "SELECT group_concat(line, ' / ') FROM (SELECT c.SortOrder || ':' || p.SortOrder || ':' || "
        "coalesce(e.ElementType, '-') || '|' || p.ScriptText AS line FROM ScriptPart p JOIN SceneCard c "
        "ON c.SceneCardID = p.SceneCardID LEFT JOIN ScriptElement e ON e.ScriptElementID = p.ElementTypeID "
        "ORDER BY c.SortOrder, p.SortOrder)"));
}

QString sceneCardsWithPages(const QString& pages)
{
    QString content;
    int scene = 0;
    for (const QString& page : pages.split(QLatin1Char(' ')))
        content += heading(QStringLiteral("INT. ROOM %1").arg(++scene), page);
    return content;
}

} // namespace

TEST(FinalDraftConversion, ScenesBecomeCardsWithTheirParagraphsNumberedAcrossTheScript)
{
    NewStory file;
    const QString content =
        paragraph(QStringLiteral("Action"), QStringLiteral("Before any heading.")) +
        heading(QStringLiteral("int. barn - day"), QStringLiteral("2"), QStringLiteral("Arrival")) +
        paragraph(QStringLiteral("Character"), QStringLiteral("mara (V.O.)")) +
        paragraph(QStringLiteral("Dialogue"), QStringLiteral("Hello.")) +
        paragraph(QStringLiteral("Character"), QStringLiteral("MARA")) +
        heading(QStringLiteral("EXT. FIELD - NIGHT"), QStringLiteral("3")) +
        paragraph(QStringLiteral("General"), QStringLiteral("A general line.")) +
        paragraph(QStringLiteral("Shot"), QStringLiteral("CLOSE ON the lamp.")) +
        paragraph(QStringLiteral("Cast List"), QStringLiteral("nothing")) +
        QStringLiteral("<Paragraph Type=\"General\"><DualDialogue>"
                       "<Paragraph Type=\"Character\"><Text>A</Text></Paragraph>"
                       "<Paragraph Type=\"Character\"><Text>B</Text></Paragraph></DualDialogue></Paragraph>"
                       "<ScriptNote><Paragraph><Text>note</Text></Paragraph></ScriptNote>") +
        paragraph(QStringLiteral("Transition"), QStringLiteral("cut to:"));
    const QString lists =
        FdxText::lockedPages(8) +
        QStringLiteral("<SmartType><Characters><Character>Mara</Character><Character>ollie</Character>"
                       "</Characters><Locations><Location>field</Location><Location>Barn</Location>"
                       "</Locations></SmartType>");
    convert(file, FdxText::script(content, lists));

    EXPECT_EQ(file.scalar(QStringLiteral("SELECT PageCount FROM Screenplay")), QStringLiteral("8"));
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT group_concat(CharacterName, ',') FROM Character")),
              QStringLiteral("MARA,OLLIE"));
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT group_concat(Location, ',') FROM SceneLocation")),
              QStringLiteral("FIELD,BARN"));
    // The leading action sits on the first scene's card, which takes the first heading.
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT group_concat(SortOrder || ':' || Heading || ':' || Description || ':' "
                                         "|| PageNumber, ' / ') FROM SceneCard")),
              QStringLiteral("1:INT. BARN - DAY:Arrival:2 / 2:EXT. FIELD - NIGHT::3"));
    // The heading's place among the scene's paragraphs is kept after the leading action; the
    // dual-dialogue block comes in as its two speakers.
    EXPECT_EQ(partsInFile(file),
              QStringLiteral("1:1:Action|Before any heading. / 1:2:Scene Heading|INT. BARN - DAY / "
                             "1:3:Character|MARA (V.O.) / 1:4:Dialogue|Hello. / 1:5:Character|MARA / "
                             "2:6:Action|A general line. / 2:7:Action|CLOSE ON the lamp. / 2:8:DDL-Character|A / "
                             "2:9:DDR-Character|B / 2:10:Transition|CUT TO:"));
    // One link per character and card, whatever the extension.
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT group_concat(c.SortOrder || ':' || ch.CharacterName) FROM "
                                         "SceneCardCharacter l JOIN SceneCard c ON c.SceneCardID = l.SceneCardID "
                                         "JOIN Character ch ON ch.CharacterID = l.CharacterID")),
              QStringLiteral("1:MARA"));
    ASSERT_EQ(file.story().sceneCards().size(), 2u);
    EXPECT_EQ(file.story().sceneCards()[0]->sceneCardCharacters().size(), 1u);
    EXPECT_EQ(file.story().sceneLocations().front()->location(), QStringLiteral("BARN"));
}

TEST(FinalDraftConversion, ScriptsWithoutHeadingsOrParagraphs)
{
    {
        SCOPED_TRACE("no heading: one card with the card defaults holding every paragraph, on the first page");
        NewStory file;
        convert(file, FdxText::script(paragraph(QStringLiteral("Action"), QStringLiteral("One.")) +
                                      paragraph(QStringLiteral("Action"), QStringLiteral("Two."))));
        EXPECT_EQ(
            file.scalar(QStringLiteral("SELECT Heading || '|' || Description || '|' || PageNumber FROM SceneCard")),
            QStringLiteral("SCENE HEADING|Scene Description|1"));
        EXPECT_EQ(file.count(QStringLiteral("ScriptPart")), 2);
    }
    {
        SCOPED_TRACE("no paragraphs: no card");
        NewStory file;
        convert(file, FdxText::script(QString()));
        EXPECT_EQ(file.count(QStringLiteral("SceneCard")), 0);
        EXPECT_EQ(file.scalar(QStringLiteral("SELECT PageCount FROM Screenplay")), QStringLiteral("4"));
    }
}

TEST(FinalDraftConversion, CardsSpreadAlongTheirRowsByPage)
{
    NewStory file;
    // 110 pages: sections 1-25, 26-55, 56-85, 86-110.
    convert(file, FdxText::script(sceneCardsWithPages(QStringLiteral("24 25 40 40 70 70 70 999")),
                                  FdxText::lockedPages(110)));
    const auto& cards = file.story().sceneCards();
    ASSERT_EQ(cards.size(), 8u);
    const BoardSections& sections = file.story().boardSections();
    ASSERT_EQ(sections.section1To(), 25);

    // Page 24 starts at 0.92 of the row; the card stands a point and a half inside it on the
    // narrowest board any row is given (a card wide), and so on the one the import leaves (four
    // cards on the fullest row: 810 points) and any other.
    const std::int64_t rowLeft = sections.boardWidthForSection(0);
    ASSERT_EQ(rowLeft, 810);
    ASSERT_EQ(sections.leastRowWidth(), 270);
    const double inside = 1.5 / 270.0;
    EXPECT_NEAR(cards[0]->percentageHorizontal(), 0.92 + inside, 1e-6);
    // Cards stand on the board the import leaves: their stored places lie on it.
    const auto rowWidth = static_cast<float>(rowLeft);
    EXPECT_EQ(cards[0]->positionLeft(), static_cast<std::int64_t>(cards[0]->percentageHorizontal() * rowWidth + 4.0f));

    // The last page of a section: the start of its board beat, here the page's edge too, so
    // just inside the page.
    const std::int64_t beat25 = sections.boardBeatSectionForPageNumber(25);
    EXPECT_EQ(cards[1]->currentBeatSection(), beat25);
    ASSERT_FLOAT_EQ(BoardSections::beginningPercentageForBoardBeat(beat25), 24.0f / 25.0f);
    EXPECT_NEAR(cards[1]->percentageHorizontal(), 0.96 + inside, 1e-6);
    EXPECT_EQ(cards[1]->positionLeft(), static_cast<std::int64_t>(cards[1]->percentageHorizontal() * rowWidth + 4.0f));

    // Two on one page step by half a page, three by a third (30 pages in sections 2 and 3).
    EXPECT_NEAR(cards[2]->percentageHorizontal(), 14.0 / 30.0 + inside, 1e-6);
    EXPECT_NEAR(cards[3]->percentageHorizontal(), cards[2]->percentageHorizontal() + (1.0 / 30.0) * 50 * 0.01, 1e-6);
    // The last scene names a page that is not locked: it takes its page from the script's
    // layout, never before the scene ahead of it, so page 70 holds four cards, a quarter of a
    // page apart; the fourth would pass the page's room and goes halfway from the third to where
    // that room ends, leaving the rest for a card put there later.
    EXPECT_EQ(cards[7]->pageNumber(), 70);
    EXPECT_NEAR(cards[5]->percentageHorizontal(), cards[4]->percentageHorizontal() + (1.0 / 30.0) * 25 * 0.01, 1e-6);
    EXPECT_NEAR(cards[6]->percentageHorizontal(), cards[5]->percentageHorizontal() + (1.0 / 30.0) * 25 * 0.01, 1e-6);
    EXPECT_NEAR(cards[7]->percentageHorizontal(), (cards[6]->percentageHorizontal() + 15.0 / 30.0 - inside) / 2.0,
                1e-6);
    for (const auto& card : cards) {
        SCOPED_TRACE(card->heading().toStdString());
        EXPECT_TRUE(std::isfinite(card->percentageHorizontal()));
        EXPECT_TRUE(std::isfinite(card->percentageVertical()));
        // Re-paging finds every card on its page from the place it stands at on the board the
        // import leaves, which is its stored place.
        const double shownLeft = card->percentageHorizontal() * static_cast<float>(rowLeft) + 4.0f;
        EXPECT_LE(std::abs(static_cast<double>(card->positionLeft()) - shownLeft), 1.0);
        EXPECT_EQ(sections.pageNumberForPositionTop(card->positionTop(), card->positionLeft()), card->pageNumber());
    }
    // What the story holds in memory is in the file.
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT PositionLeft FROM SceneCard WHERE SortOrder = 1")),
              QString::number(cards[0]->positionLeft()));
}

// The board is as wide as its fullest section's cards side by side, and never narrower than the
// least that holds every page (on 110 pages, 548 points: a card's width of row for its 30 pages,
// a card and the margins).
TEST(FinalDraftConversion, BoardWidthFollowsTheFullestSection)
{
    struct Row {
        const char* pages;
        std::int64_t width;
    };
    const Row rows[] = {
        {"2 3 4 27 28 29 30 31 32 33 57 58 87 88 89 90 91", 7 * 270 + 8},
        {"2 3 27", 548},   // two cards side by side: the least itself
        {"2 27 57", 548},  // one card, 278 points: raised to the least
        {"2 3 4 27", 3 * 270 + 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pages);
        NewStory file;
        convert(file, FdxText::script(sceneCardsWithPages(QString::fromLatin1(row.pages)), FdxText::lockedPages(110)));
        EXPECT_EQ(file.story().boardWidth(), row.width);
        EXPECT_EQ(file.scalar(QStringLiteral("SELECT BoardWidth || ':' || BoardZoomFactor FROM Screenplay")),
                  QStringLiteral("%1:1").arg(row.width));
        EXPECT_EQ(file.story().boardSections().boardPanelWidth(), row.width);
    }
}

TEST(FinalDraftConversion, TwoCardsOnAPageOutsideEverySectionStayFinite)
{
    NewStory file;
    // Pages that are not locked: both scenes take the first page of the script's layout.
    convert(file, FdxText::script(sceneCardsWithPages(QStringLiteral("x y")), FdxText::lockedPages(10)));
    for (const auto& card : file.story().sceneCards()) {
        EXPECT_EQ(card->pageNumber(), 1);
        EXPECT_TRUE(std::isfinite(card->percentageHorizontal()));
    }
}

TEST(FinalDraftConversion, CardsSharingTheLastPageOfASectionShareItsStretchOfTheRow)
{
    struct Row {
        int lockedPages;
        const char* pages;
        int lastPage; // ends a section; the cards on it come last in `pages`
    };
    const Row rows[] = {
        // 110 pages: page 25 ends the first section, its beat bar starts at .96 of the row.
        {110, "24 25 25 25", 25},
        // 8 pages: page 2 ends the first section; six of seven cards lie on it.
        {8, "1 2 2 2 2 2 2", 2},
        // 4 pages: every page is a section of its own, its bar the whole row.
        {4, "1 2 3 4 4 4", 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pages);
        NewStory file;
        convert(file, FdxText::script(sceneCardsWithPages(QString::fromLatin1(row.pages)),
                                      FdxText::lockedPages(row.lockedPages)));
        const auto& cards = file.story().sceneCards();
        const BoardSections& sections = file.story().boardSections();
        const std::int64_t beat = sections.boardBeatSectionForPageNumber(row.lastPage);
        // Cards stand on the board the import leaves, whose width the file holds.
        ASSERT_EQ(file.scalar(QStringLiteral("SELECT BoardWidth FROM Screenplay")),
                  QString::number(sections.boardPanelWidth()));
        const auto rowWidth = static_cast<float>(sections.boardWidthForBoardBeatSection(beat));
        const double barStart = BoardSections::beginningPercentageForBoardBeat(beat);
        double start = 0.0;
        const auto sharing =
            std::count_if(cards.begin(), cards.end(), [&](const auto& card) { return card->pageNumber() == row.lastPage; });
        std::set<std::pair<std::int64_t, float>> places;
        std::int64_t onLastPage = 0;
        for (const auto& card : cards) {
            SCOPED_TRACE(card->heading().toStdString());
            // Every card inside its row, none on another.
            EXPECT_GE(card->percentageHorizontal(), 0.0f);
            EXPECT_LT(card->percentageHorizontal(), 1.0f);
            EXPECT_TRUE(places.insert({card->positionTop(), card->percentageHorizontal()}).second);
            EXPECT_LE(card->positionLeft() + sections.STANDARDSCENECARDWIDTH(), sections.boardPanelWidth() - 4);
            if (card->pageNumber() != row.lastPage)
                continue;
            // From the start of the page's beat bar (or just inside the page, where the bar
            // starts before it) to the row's end, in equal steps.
            EXPECT_EQ(card->currentBeatSection(), beat);
            if (onLastPage == 0) {
                start = card->percentageHorizontal();
                EXPECT_GE(start, barStart - 1e-6);
                EXPECT_EQ(sections.pageNumberForPositionTop(card->positionTop(), card->positionLeft()), row.lastPage);
            }
            EXPECT_NEAR(card->percentageHorizontal(), start + (1.0 - start) * onLastPage++ / sharing, 1e-6);
            // In board points too, in the file as in memory: the first keeps the bar's start.
            const auto left = static_cast<std::int64_t>(card->percentageHorizontal() * rowWidth + 4.0f);
            EXPECT_EQ(card->positionLeft(), left);
            EXPECT_EQ(file.scalar(QStringLiteral("SELECT PositionLeft FROM SceneCard WHERE SceneCardID = %1")
                                      .arg(card->sceneCardID())),
                      QString::number(left));
        }
        EXPECT_EQ(onLastPage, sharing);
    }
}

TEST(FinalDraftConversion, TheLaterElementSettingOfATypeWins)
{
    NewStory file;
    convert(file,
            FdxText::script(QString(),
                            FdxText::lockedPages(4) +
                                QStringLiteral("<ElementSettings Type=\"Dialogue\"><ParagraphSpec Alignment=\"Right\" "
                                               "LeftIndent=\"2.0\" RightIndent=\"6.0\"/></ElementSettings>"
                                               "<ElementSettings Type=\"Dialogue\"><ParagraphSpec Alignment=\"Center\" "
                                               "LeftIndent=\"2.25\" RightIndent=\"6.5\"/></ElementSettings>"
                                               "<ElementSettings Type=\"Unheard Of\"><ParagraphSpec LeftIndent=\"9\"/>"
                                               "</ElementSettings>")));
    EXPECT_EQ(
        file.scalar(QStringLiteral("SELECT Alignment || ':' || LeftIndent || ':' || RightIndent FROM ScriptElement "
                                   "WHERE ElementType = 'Dialogue'")),
        QStringLiteral("Center:2.25:6.5"));
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT count(*) FROM ScriptElement WHERE LeftIndent = 9")),
              QStringLiteral("0"));
}

TEST(FinalDraftConversion, AFailedWriteLeavesTheFileAsItWas)
{
    NewStory file;
    file.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ScriptPart WHEN NEW.SortOrder = 3 "
                             "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END"));
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(FdxText::script(
        heading(QStringLiteral("INT. A"), QStringLiteral("1")) +
            paragraph(QStringLiteral("Action"), QStringLiteral("1")) +
            paragraph(QStringLiteral("Action"), QStringLiteral("2")) +
            heading(QStringLiteral("INT. B"), QStringLiteral("2")) +
            paragraph(QStringLiteral("Action"), QStringLiteral("3")),
        FdxText::lockedPages(30) + QStringLiteral("<SmartType><Characters><Character>MARA</Character></Characters>"
                                                  "</SmartType>"))));
    EXPECT_THROW(Toolkit().processFinalDraft8Script(script, file.story()), DatabaseError);
    for (const char* table : {"SceneCard", "ScriptPart", "Character", "SceneCardCharacter"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(file.count(QString::fromLatin1(table)), 0);
    }
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT PageCount || ':' || BoardWidth FROM Screenplay")),
              QStringLiteral("110:1840"));
}
