// Scripts as the screenwriting program saves them today: no scene properties on the headings,
// no characters listed, dual dialogue and acts, locked pages added afterwards.
#include "interchange/FinalDraftImport.h"
#include "interchange/XMLParsedScript.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "support/FdxText.h"
#include "support/FileBytes.h"
#include "support/SavedScripts.h"
#include "support/StoryFixtures.h"

#include <QDir>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

void convert(NewStory& file, const QByteArray& data)
{
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(data)) << script.errorString().toStdString();
    ASSERT_TRUE(script.pageOffsets());
    ASSERT_TRUE(Toolkit().processFinalDraft8Script(script, file.story()));
}

// Each card: sort order, scene number, page, heading and description.
QString cardsInFile(const NewStory& file)
{
    return file.scalar(QStringLiteral(
        "SELECT group_concat(line, char(10)) FROM (SELECT SortOrder || '|' || SceneNumber || '|' || PageNumber || '|' "
        "|| Heading || '|' || Description AS line FROM SceneCard ORDER BY SortOrder)"));
}

// Each script paragraph: its card, its own order, its element type and its text.
QString partsInFile(const NewStory& file)
{
    return file.scalar(QStringLiteral(
        "SELECT group_concat(line, char(10)) FROM (SELECT c.SortOrder || ':' || p.SortOrder || ':' || "
        "coalesce(e.ElementType, '-') || '|' || p.ScriptText AS line FROM ScriptPart p JOIN SceneCard c "
        "ON c.SceneCardID = p.SceneCardID LEFT JOIN ScriptElement e ON e.ScriptElementID = p.ElementTypeID "
        "ORDER BY c.SortOrder, p.SortOrder)"));
}

QString linksInFile(const NewStory& file)
{
    return file.scalar(QStringLiteral(
        "SELECT group_concat(line, ',') FROM (SELECT c.SortOrder || ':' || ch.CharacterName AS line FROM "
        "SceneCardCharacter l JOIN SceneCard c ON c.SceneCardID = l.SceneCardID JOIN Character ch ON "
        "ch.CharacterID = l.CharacterID ORDER BY c.SortOrder, l.SceneCardCharacterID)"));
}

QStringList charactersInFile(const NewStory& file)
{
    return file.scalar(QStringLiteral("SELECT group_concat(CharacterName, char(10)) FROM "
                                      "(SELECT CharacterName FROM Character ORDER BY CharacterID)"))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::vector<std::int64_t> pagesInOrder(const NewStory& file)
{
    std::vector<std::int64_t> pages;
    for (const QString& page : file.scalar(QStringLiteral("SELECT group_concat(PageNumber) FROM "
                                                          "(SELECT PageNumber FROM SceneCard ORDER BY SortOrder)"))
                                   .split(QLatin1Char(','), Qt::SkipEmptyParts))
        pages.push_back(page.toLongLong());
    return pages;
}

QByteArray exported(NewStory& file, const QTemporaryDir& folder, const QString& name)
{
    const QString path = QDir(folder.path()).filePath(name);
    QString error;
    EXPECT_TRUE(Toolkit().exportScreenplay(file.story(), path, &error)) << error.toStdString();
    return FileBytes::read(path);
}

QString words(int count)
{
    return SavedScripts::nineLetterWords(count);
}

} // namespace

TEST(FinalDraftSavedScript, EveryParagraphCharacterAndActIsImported)
{
    NewStory file;
    convert(file, SavedScripts::shortScript());

    EXPECT_EQ(charactersInFile(file), SavedScripts::shortScriptCast());
    // Each scene links the speakers of its cues, dual dialogue included, once each.
    EXPECT_EQ(linksInFile(file), QString::fromUtf8("1:MARA,1:OLLIE,2:MARA,2:OLLIE,2:ZO\u00CB,3:ZO\u00CB,"
                                                   "4:DR. VOSS,4:MARA"));
    const QString cards = cardsInFile(file);
    EXPECT_EQ(cards.split(QLatin1Char('\n')).size(), 5);
    QStringList headings;
    for (const QString& card : cards.split(QLatin1Char('\n'))) {
        const QStringList fields = card.split(QLatin1Char('|'));
        headings << fields[1] + QLatin1Char(' ') + fields[3] + QLatin1Char('/') + fields[4];
    }
    EXPECT_EQ(headings, QStringList({QString::fromUtf8("1 INT. HARBOUR MASTER\u2019S OFFICE \u2013 NIGHT/"),
                                     QString::fromUtf8("2 EXT. QUAY \u2013 CONTINUOUS/"),
                                     QString::fromUtf8("3 INT. LIGHTHOUSE \u2013 DAY/"),
                                     QString::fromUtf8("4 INT. LIGHTHOUSE \u2013 LAMP ROOM \u2013 DAY/"),
                                     QString::fromUtf8("5A EXT. CLIFF \u2013 DUSK/")}));
    // The paragraphs before the first heading stay ahead of it: the heading's own place is kept
    // among them. Title page, header and footer are no part of the script.
    EXPECT_EQ(partsInFile(file),
              QString::fromUtf8("1:1:Action|FADE IN:\n"
                                "1:2:New Act|ACT ONE\n"
                                "1:3:Scene Heading|INT. HARBOUR MASTER\u2019S OFFICE \u2013 NIGHT\n"
                                "1:4:Action|Rain ticks on the glass. MARA (40s), soaked, counts coins on the desk.\n"
                                "1:5:Character|MARA\n"
                                "1:6:Parenthetical|(to herself)\n"
                                "1:7:Dialogue|Twelve\u2026 no, eleven.\n"
                                "1:8:Character|OLLIE (O.S.)\n"
                                "1:9:Dialogue|\u201CMara?\u201D Is that you \u2014 again?\n"
                                "1:10:Action|\n"
                                "1:11:Transition|CUT TO:\n"
                                "2:12:Action|The caf\u00E9 sign flickers: D\u00C9J\u00C0 VU.\n"
                                "2:13:DDL-Character|MARA\n"
                                "2:14:DDL-Dialogue|Now!\n"
                                "2:15:DDR-Character|OLLIE (CONT'D)\n"
                                "2:16:DDR-Parenthetical|(shouting)\n"
                                "2:17:DDR-Dialogue|Not yet!\n"
                                "2:18:Character|ZO\u00CB (V.O.)\n"
                                "2:19:Dialogue|They never listen.\n"
                                "2:20:End of Act|END OF ACT ONE\n"
                                "2:21:New Act|ACT TWO\n"
                                "3:22:Action|ANGLE ON the stairs.\n"
                                "3:23:Character|ZO\u00CB\n"
                                "3:24:Dialogue|Forty-two steps.\n"
                                "4:25:Character|DR. VOSS\n"
                                "4:26:Dialogue|Mind the lens.\n"
                                "4:27:Character|MARA\n"
                                "4:28:Dialogue|Sorry.\n"
                                "5:29:Action|The light turns.\n"
                                "5:30:End of Act|END OF ACT TWO"));
    // Laid out, the script starts its acts on new pages: scene 1 on the second page, scene 3
    // on the third; four pages are locked.
    const std::vector<std::int64_t> pages = pagesInOrder(file);
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_TRUE(std::is_sorted(pages.begin(), pages.end()));
    EXPECT_GE(pages.front(), 2);
    EXPECT_LE(pages.back(), 4);
    EXPECT_GT(pages[2], pages[1]);
}

TEST(FinalDraftSavedScript, HeadingsWithoutPagesTakeThePagesTheScriptIsLaidOutOn)
{
    // Eight pages laid by hand, 54 lines each at most, a blank line before each heading, action
    // and cue (none at the top of a page). A(n): action of n lines; D(n): cue and n lines of
    // dialogue; Hk: the heading of scene k.
    //   1: H1 A6 D3 A10 H2 A12 D4 A8        1+7+5+11+2+13+6+9 = 54
    //   2: A20 D5 H3 A15 D2 A3              20+7+2+16+4+4 = 53, no room for H4 and a line
    //   3: H4 A30 H5 A10 D6                 1+31+2+11+8 = 53
    //   4: H6 A4 H7 A4 H8 A38               1+5+2+5+2+39 = 54
    //   5: H9 D10 D10 D10 A10 A4            1+12+12+12+11+5 = 53
    //   6: H10 A20 D8 H11 A19               1+21+10+2+20 = 54
    //   7: H12 A10 H13 A10 H14 A10 H15 A10  1+11+2+11+2+11+2+11 = 51, no room for H16 and two lines
    //   8: H16 A20 D3
    struct Block {
        char kind; // 'H', 'A' or 'D'
        int size;  // lines, or the scene's page for a heading
    };
    const std::vector<Block> blocks = {
        {'H', 1}, {'A', 6},  {'D', 3},  {'A', 10}, {'H', 1},  {'A', 12}, {'D', 4},  {'A', 8},  {'A', 20},
        {'D', 5}, {'H', 2},  {'A', 15}, {'D', 2},  {'A', 3},  {'H', 3},  {'A', 30}, {'H', 3},  {'A', 10},
        {'D', 6}, {'H', 4},  {'A', 4},  {'H', 4},  {'A', 4},  {'H', 4},  {'A', 38}, {'H', 5},  {'D', 10},
        {'D', 10}, {'D', 10}, {'A', 10}, {'A', 4}, {'H', 6},  {'A', 20}, {'D', 8},  {'H', 6},  {'A', 19},
        {'H', 7}, {'A', 10}, {'H', 7},  {'A', 10}, {'H', 7},  {'A', 10}, {'H', 7},  {'A', 10}, {'H', 8},
        {'A', 20}, {'D', 3},
    };
    QString content;
    std::vector<std::int64_t> truePages;
    for (const Block& block : blocks) {
        if (block.kind == 'H') {
            content += SavedScripts::heading(QStringLiteral("INT. ROOM %1 - DAY").arg(truePages.size() + 1));
            truePages.push_back(block.size);
        } else if (block.kind == 'A') {
            content += SavedScripts::paragraph(QStringLiteral("Action"), words(6 * block.size));
        } else {
            content += SavedScripts::paragraph(QStringLiteral("Character"), QStringLiteral("MARA"));
            content += SavedScripts::paragraph(QStringLiteral("Dialogue"), words(3 * block.size));
        }
    }
    ASSERT_EQ(truePages.size(), 16u);
    // The same script opening with two pages of its own, each ended by the writer's page
    // break: an epigraph, then a dedication. Every scene comes two pages later.
    const QString prologue =
        SavedScripts::paragraph(QStringLiteral("Action"), QStringLiteral("\u201CThe sea keeps what it takes.\u201D")) +
        SavedScripts::afterPageBreak(SavedScripts::paragraph(QStringLiteral("General"), QStringLiteral("For R."))) +
        SavedScripts::afterPageBreak(content);
    struct Row {
        int lockedPages;
        std::int64_t scale; // locked pages for each page laid
        std::int64_t prologuePages;
    };
    for (const Row row : {Row{8, 1, 0}, Row{16, 2, 0}, Row{24, 3, 0}, Row{10, 1, 2}, Row{20, 2, 2}}) {
        SCOPED_TRACE(row.lockedPages);
        NewStory file;
        convert(file, SavedScripts::file(row.prologuePages ? prologue : content, row.lockedPages));
        const std::vector<std::int64_t> pages = pagesInOrder(file);
        ASSERT_EQ(pages.size(), truePages.size());
        EXPECT_TRUE(std::is_sorted(pages.begin(), pages.end()));
        for (std::size_t scene = 0; scene < pages.size(); ++scene) {
            SCOPED_TRACE(scene + 1);
            // The locked pages that the scene's page stands for, and one page either side.
            const std::int64_t page = truePages[scene] + row.prologuePages;
            const std::int64_t first = (page - 1) * row.scale + 1;
            const std::int64_t last = page * row.scale;
            EXPECT_GE(pages[scene], first - 1);
            EXPECT_LE(pages[scene], last + 1);
            // The first scene opens its page.
            if (scene == 0) {
                EXPECT_EQ(pages[scene], first);
            }
        }
    }
}

TEST(FinalDraftSavedScript, HeadingsWithAndWithoutTheirOwnPagesStayInOrder)
{
    // Scenes 1 and 4 name locked pages 10 and 11; scenes 2 and 3 do not, one names a page that
    // is not locked. Laid out, all four would be on the first page.
    const QString content = FdxText::heading(QStringLiteral("INT. A"), QStringLiteral("10")) +
                            SavedScripts::heading(QStringLiteral("INT. B")) +
                            FdxText::heading(QStringLiteral("INT. C"), QStringLiteral("99")) +
                            FdxText::heading(QStringLiteral("INT. D"), QStringLiteral("11"));
    NewStory file;
    convert(file, SavedScripts::file(content, 20));
    EXPECT_EQ(pagesInOrder(file), std::vector<std::int64_t>({10, 10, 10, 11}));
}

TEST(FinalDraftSavedScript, TheFeatureSpreadsOverTheBoardWithNoTwoCardsInOnePlace)
{
    NewStory file;
    const QByteArray bytes = SavedScripts::featureScript();
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(bytes));
    std::size_t paragraphs = 0;
    for (const XMLScriptParagraph& paragraph : *script.paragraphs())
        paragraphs += paragraph.dualDialogueLines.empty() ? 1 : paragraph.dualDialogueLines.size();
    EXPECT_GE(paragraphs, 2300u);
    EXPECT_LE(paragraphs, 2700u);
    ASSERT_TRUE(Toolkit().processFinalDraft8Script(script, file.story()));

    const auto& cards = file.story().sceneCards();
    ASSERT_EQ(cards.size(), 150u);
    const std::vector<std::int64_t> pages = pagesInOrder(file);
    EXPECT_TRUE(std::is_sorted(pages.begin(), pages.end()));
    EXPECT_GE(pages.front(), 1);
    EXPECT_LE(pages.front(), 2);
    EXPECT_GE(pages.back(), 115);
    EXPECT_LE(pages.back(), 120);
    std::set<std::pair<std::int64_t, float>> places;
    std::set<std::int64_t> beats;
    for (const auto& card : cards) {
        EXPECT_EQ(card->onBoard(), 1);
        EXPECT_GE(card->percentageHorizontal(), 0.0f);
        EXPECT_LT(card->percentageHorizontal(), 1.0f);
        EXPECT_TRUE(places.insert({card->positionTop(), card->percentageHorizontal()}).second)
            << card->heading().toStdString() << " on page " << card->pageNumber();
        beats.insert(card->currentBeatSection());
    }
    // The cards reach every beat bar of the board but the one-page closing image, which the
    // script's last scene stops short of.
    EXPECT_GE(beats.size(), 16u);
    const QStringList characters = charactersInFile(file);
    const QStringList cast = SavedScripts::featureScriptCast();
    EXPECT_EQ(QSet<QString>(characters.begin(), characters.end()), QSet<QString>(cast.begin(), cast.end()));
    EXPECT_EQ(characters.size(), cast.size());
}

TEST(FinalDraftSavedScript, ExportedAndLockedAgainAScriptImportsBackTheSame)
{
    struct Row {
        const char* name;
        QByteArray bytes;
        int lockedPages;
    };
    const Row rows[] = {
        {"short script", SavedScripts::shortScript(), 4},
        {"feature", SavedScripts::featureScript(), 120},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir folder;
        NewStory first;
        convert(first, row.bytes);
        const QByteArray written = exported(first, folder, QStringLiteral("first.fdx"));
        QByteArray locked = written;
        locked.replace("</FinalDraft>", FdxText::lockedPages(row.lockedPages).toUtf8() + "</FinalDraft>");
        NewStory second;
        convert(second, locked);

        EXPECT_EQ(cardsInFile(second), cardsInFile(first));
        EXPECT_EQ(partsInFile(second), partsInFile(first));
        EXPECT_EQ(charactersInFile(second), charactersInFile(first));
        EXPECT_EQ(linksInFile(second), linksInFile(first));
        // Written again, the story gives the same file.
        EXPECT_EQ(exported(second, folder, QStringLiteral("second.fdx")), written);
    }
}

TEST(FinalDraftSavedScript, ASavedScriptBecomesANewStoryFile)
{
    NewStory master;
    QTemporaryDir folder;
    const QString scriptPath = FdxText::writeFile(QDir(folder.path()).filePath(QStringLiteral("Harbour Lights.fdx")),
                                                  SavedScripts::featureScript());
    XMLParsedScript script;
    ASSERT_FALSE(FinalDraftImport::readScript(scriptPath, script, ScriptImportEntry::NewStory));
    const QString target = QDir(folder.path()).filePath(QStringLiteral("Harbour Lights.vtrsf"));
    ASSERT_FALSE(FinalDraftImport::makeStoryFromScript(script, scriptPath, target, master.masterPath()));
    OpenedStory opened;
    opened.open(target);
    sqlite3* db = opened.connection.get();
    EXPECT_EQ(SqlProbe::scalar(db, QStringLiteral("SELECT ScreenplayTitle || '|' || PageCount FROM Screenplay")),
              QStringLiteral("Harbour Lights|120"));
    EXPECT_EQ(SqlProbe::count(db, QStringLiteral("SceneCard")), 150);
    EXPECT_EQ(SqlProbe::scalar(db, QStringLiteral("SELECT count(*) FROM SceneCard WHERE PageNumber = 0")),
              QStringLiteral("0"));
    EXPECT_EQ(SqlProbe::count(db, QStringLiteral("Character")), SavedScripts::featureScriptCast().size());
}
