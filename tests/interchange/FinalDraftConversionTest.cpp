#include "interchange/XMLParsedScript.h"
#include "model/BoardSections.h"
#include "model/CardPlacement.h"
#include "model/DatabaseError.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "support/FdxText.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <vector>

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

// Each card is wanted where its page starts on its row, the next on the same page a share of the
// page further, a card of a section's last page at its beat bar's start; the cards of a page are
// laid out on it together, 20 points apart where the page has room and evenly over it where not.
// Worked out by hand: 110 pages (sections 1-25, 26-55, 56-85, 86-110), four cards on the fullest
// row, so a board of 4 x 270 + 8 = 1088 and rows of 810 points; a card keeps 1.5 / 270 of a row
// (4.5 points) inside its page's edges. Page 24 spans x 749.2 to 781.6 and holds 754 to 777;
// page 25, 781.6 to 814, holds 787 to 809; pages 40 and 70 (the 15th of 30 on their rows) span
// 382 to 409 and hold 386.5 to 404.5: 18 points, less than two cards 20 apart need.
TEST(FinalDraftConversion, CardsSpreadAlongTheirRowsByPage)
{
    NewStory file;
    convert(file, FdxText::script(sceneCardsWithPages(QStringLiteral("24 25 40 40 70 70 70 999")),
                                  FdxText::lockedPages(110)));
    const auto& cards = file.story().sceneCards();
    ASSERT_EQ(cards.size(), 8u);
    const BoardSections& sections = file.story().boardSections();
    ASSERT_EQ(sections.boardWidthForSection(0), 810);
    struct Expected {
        std::int64_t page;
        std::int64_t left;
    };
    // The last scene names a page that is not locked: it takes its page from the script's layout,
    // never before the scene ahead of it, so page 70 holds four cards, 6 points apart.
    const std::array<Expected, 8> expected{{
        {24, 754}, {25, 787}, {40, 386}, {40, 404}, {70, 386}, {70, 392}, {70, 398}, {70, 404},
    }};
    for (std::size_t index = 0; index < cards.size(); ++index) {
        const SceneCarddb& card = *cards[index];
        SCOPED_TRACE(card.heading().toStdString());
        EXPECT_EQ(card.pageNumber(), expected[index].page);
        EXPECT_EQ(card.positionLeft(), expected[index].left);
        // Stored places are places on the board the import leaves: where the card's fractions put
        // it, and reading its page back.
        EXPECT_EQ(cardOrigin(sections, card), QPoint(static_cast<int>(card.positionLeft()),
                                                     static_cast<int>(card.positionTop())));
        EXPECT_EQ(sections.pageNumberForPositionTop(card.positionTop(), card.positionLeft()), card.pageNumber());
        EXPECT_EQ(file.scalar(QStringLiteral("SELECT PositionLeft FROM SceneCard WHERE SceneCardID = %1")
                                  .arg(card.sceneCardID())),
                  QString::number(card.positionLeft()));
    }
}

// An import places its cards on the board it stores, as high as the board shows it at its zoom
// (732 points: four rows of 148-point cards with their 28-point bars and the rules), so each card's
// stored place is where its fractions put it there, at its row's top as drawn (4, 186, 368 and
// 550); a page count changed and set back moves none of them.
TEST(FinalDraftConversion, AnImportsPlacesAreOnTheBoardItStoresAndANewPageCountMovesNone)
{
    struct Row {
        int lockedPages;
        const char* pages;
        int changedTo;
    };
    const Row rows[] = {
        {4, "1 1 2 2 3 3 4 4", 5},
        {127, "1 9 30 31 31 64 65 66 100 126 127", 120},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pages);
        NewStory file;
        convert(file, FdxText::script(sceneCardsWithPages(QString::fromLatin1(row.pages)),
                                      FdxText::lockedPages(row.lockedPages)));
        Screenplaydb& story = file.story();
        EXPECT_EQ(file.scalar(QStringLiteral("SELECT BoardHeight FROM Screenplay")), QStringLiteral("732"));
        const QString places = QStringLiteral(
            "SELECT group_concat(PositionLeft || ',' || PositionTop || ',' || PercentageHorizontal || ',' || "
            "PercentageVertical, ' ') FROM (SELECT * FROM SceneCard ORDER BY SortOrder)");
        const QString imported = file.scalar(places);
        for (const auto& card : story.sceneCards()) {
            SCOPED_TRACE(card->heading().toStdString());
            EXPECT_TRUE(card->positionTop() == 4 || card->positionTop() == 186 || card->positionTop() == 368 ||
                        card->positionTop() == 550)
                << card->positionTop();
            EXPECT_EQ(cardOrigin(story.boardSections(), *card),
                      QPoint(static_cast<int>(card->positionLeft()), static_cast<int>(card->positionTop())));
        }
        story.setPageCount(row.changedTo);
        story.setPageCount(row.lockedPages);
        EXPECT_EQ(file.scalar(places), imported);
    }
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

// The cards of a section's last page are all wanted at its beat bar's start (or, where the bar
// starts before the page, the page's start): they stand there 20 points apart, as far as the page
// reaches, and evenly over the page's room where it cannot hold them so. By hand, with the board the
// counts give and 1.5 / 270 of a row kept inside a page's edges:
// - 110 pages, one counted card: a 548 board, rows of 270 points; page 25 (x 263.2 to 274) holds
//   264.7 to 272.5, too little for three cards 20 apart: 3.9 apart.
// - 8 pages, one counted card: 548 again; row 1 holds pages 1-2, page 2 (x 139 to 274) holds 140.5 to
//   272.5; its bar (Break into Two) starts at .96 of the row, x 263.2: from 264 the six cards would
//   run 100 points past the room's end, so they stand 20 apart back from it.
// - 4 pages: every page a row of its own and its bar the whole row (548: x 4 to 274, holding 4 to
//   272.5): three cards from the row's start, 20 apart.
TEST(FinalDraftConversion, CardsSharingTheLastPageOfASectionStandApartFromItsBarsStart)
{
    struct Row {
        int lockedPages;
        const char* pages;
        std::vector<std::int64_t> lefts; // of the cards of the last page, in script order
        std::int64_t boardWidth;
    };
    const Row rows[] = {
        {110, "24 25 25 25", {264, 268, 272}, 548},
        {8, "1 2 2 2 2 2 2", {172, 192, 212, 232, 252, 272}, 548},
        {4, "1 2 3 4 4 4", {4, 24, 44}, 548},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pages);
        NewStory file;
        convert(file, FdxText::script(sceneCardsWithPages(QString::fromLatin1(row.pages)),
                                      FdxText::lockedPages(row.lockedPages)));
        const auto& cards = file.story().sceneCards();
        const BoardSections& sections = file.story().boardSections();
        EXPECT_EQ(file.scalar(QStringLiteral("SELECT BoardWidth FROM Screenplay")), QString::number(row.boardWidth));
        const std::int64_t lastPage = cards.back()->pageNumber();
        std::vector<std::int64_t> lefts;
        for (const auto& card : cards) {
            SCOPED_TRACE(card->heading().toStdString());
            EXPECT_EQ(sections.pageNumberForPositionTop(card->positionTop(), card->positionLeft()), card->pageNumber());
            EXPECT_LE(card->positionLeft() + sections.STANDARDSCENECARDWIDTH(), sections.boardPanelWidth() - 4);
            if (card->pageNumber() == lastPage)
                lefts.push_back(card->positionLeft());
        }
        EXPECT_EQ(lefts, row.lefts);
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
