#include "interchange/XMLParsedScript.h"
#include "support/FdxText.h"
#include "support/TimeLimit.h"

#include <QByteArray>
#include <QDir>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using FdxText::heading;
using FdxText::paragraph;

std::vector<XMLScriptParagraph> paragraphsOf(const QByteArray& data)
{
    XMLParsedScript script;
    EXPECT_TRUE(script.parseScriptData(data)) << script.errorString().toStdString();
    return script.paragraphs().value_or(std::vector<XMLScriptParagraph>());
}

XMLScriptParagraph onlyParagraph(const QString& content)
{
    const std::vector<XMLScriptParagraph> paragraphs = paragraphsOf(FdxText::script(content));
    EXPECT_EQ(paragraphs.size(), 1u);
    return paragraphs.empty() ? XMLScriptParagraph() : paragraphs.front();
}

} // namespace

TEST(FinalDraftReader, ParagraphTextsTakeTheCaseAndPiecesTheirTypeGivesThem)
{
    struct Row {
        const char* content;
        const char* type;
        const char* text;
    };
    const Row rows[] = {
        {"<Paragraph Type=\"Scene Heading\"><Text>int. barn - day</Text></Paragraph>", "Scene Heading",
         "INT. BARN - DAY"},
        {"<Paragraph Type=\"Character\"><Text>mara (v.o.)</Text></Paragraph>", "Character", "MARA (V.O.)"},
        {"<Paragraph Type=\"Transition\"><Text>cut to:</Text></Paragraph>", "Transition", "CUT TO:"},
        {"<Paragraph Type=\"Action\"><Text>Rain on the tin roof.</Text></Paragraph>", "Action",
         "Rain on the tin roof."},
        // Pieces join with nothing between them; white space between the tags is no text.
        {"<Paragraph Type=\"Action\">\n  <Text>Half </Text>\n  <Text Style=\"Bold\">and half.</Text>\n</Paragraph>",
         "Action", "Half and half."},
        {"<Paragraph Type=\"Dialogue\"><Text>  spaced  </Text></Paragraph>", "Dialogue", "  spaced  "},
        {"<Paragraph Type=\"Action\"><Text>Fish &amp; chips &lt;3</Text></Paragraph>", "Action", "Fish & chips <3"},
        {"<Paragraph Type=\"Action\"></Paragraph>", "Action", ""},
        // The capitals mark covers the first piece of text only.
        {"<Paragraph Type=\"Action\" Style=\"AllCaps\"><Text>loud</Text><Text> quiet</Text></Paragraph>", "Action",
         "LOUD quiet"},
        // In an indented file the mark is spent on the line break after the start tag.
        {"<Paragraph Type=\"Action\" Style=\"AllCaps\">\n<Text>quiet</Text></Paragraph>", "Action", "\nquiet"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.content);
        const XMLScriptParagraph read = onlyParagraph(QString::fromUtf8(row.content));
        EXPECT_EQ(read.paragraphType, QString::fromUtf8(row.type));
        EXPECT_EQ(read.text, QString::fromUtf8(row.text));
    }
}

TEST(FinalDraftReader, SceneNumbersIndentsAndScenePropertiesAreTaken)
{
    struct Row {
        const char* content;
        const char* sceneNumber;
        const char* slug;
        const char* startingPage;
    };
    const Row rows[] = {
        {"<Paragraph Type=\"Scene Heading\" Number=\"12\"><Text>EXT. FIELD</Text></Paragraph>", "12", "", ""},
        {"<Paragraph Type=\"Scene Heading\" Number=\"12 Cont'd\"><Text>EXT. FIELD</Text></Paragraph>", "", "", ""},
        {"<Paragraph Type=\"Scene Heading\" Number=\"4cONt\"><Text>EXT. FIELD</Text></Paragraph>", "", "", ""},
        {"<Paragraph Type=\"Scene Heading\"><SceneProperties Page=\"7A\" Title=\"The chase\">"
         "<Paragraph><Text>Mara runs.</Text></Paragraph></SceneProperties><Text>EXT. FIELD</Text></Paragraph>",
         "", "The chase\nMara runs.", "7A"},
        {"<Paragraph Type=\"Scene Heading\"><SceneProperties Page=\"3\">"
         "<Paragraph><Text>Only a summary.</Text></Paragraph></SceneProperties><Text>EXT. FIELD</Text></Paragraph>",
         "", "\nOnly a summary.", "3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.content);
        const XMLScriptParagraph read = onlyParagraph(QString::fromUtf8(row.content));
        EXPECT_EQ(read.text, QStringLiteral("EXT. FIELD"));
        EXPECT_EQ(read.sceneNumber, QString::fromUtf8(row.sceneNumber));
        EXPECT_EQ(read.slug, QString::fromUtf8(row.slug));
        EXPECT_EQ(read.sceneStartingPageNumber, QString::fromUtf8(row.startingPage));
    }
    const XMLScriptParagraph indented =
        onlyParagraph(QStringLiteral("<Paragraph Type=\"Action\" LeftIndent=\"1.50\" RightIndent=\"7.25\"/>"));
    EXPECT_FLOAT_EQ(indented.leftIndent, 1.5f);
    EXPECT_FLOAT_EQ(indented.rightIndent, 7.25f);
    // The writer's page break before a paragraph.
    EXPECT_FALSE(indented.startsNewPage);
    EXPECT_TRUE(onlyParagraph(QStringLiteral("<Paragraph StartsNewPage=\"Yes\" Type=\"Scene Heading\">"
                                             "<Text>INT. A</Text></Paragraph>"))
                    .startsNewPage);
    EXPECT_FALSE(onlyParagraph(QStringLiteral("<Paragraph StartsNewPage=\"No\" Type=\"Action\"/>")).startsNewPage);
}

TEST(FinalDraftReader, DualDialogueBecomesOneRecordWithBothSpeakers)
{
    const QString block = QStringLiteral(
        "<Paragraph StartsNewPage=\"Yes\" Type=\"General\"><DualDialogue>\n"
        "<Paragraph Type=\"Character\"><Text>mara</Text></Paragraph>\n"
        "<Paragraph Type=\"Dialogue\"><Text>Run.</Text></Paragraph>\n"
        "<Paragraph Type=\"Parenthetical\"><Text>(whispering)</Text></Paragraph>\n"
        "<Paragraph Type=\"Character\"><Text>Ollie</Text></Paragraph>\n"
        "<Paragraph Type=\"Dialogue\"><Text>Where</Text></Paragraph>\n"
        "<Paragraph Type=\"Dialogue\"><Text> to?</Text></Paragraph>\n"
        "</DualDialogue></Paragraph>");
    const std::vector<XMLScriptParagraph> paragraphs =
        paragraphsOf(FdxText::script(paragraph(QStringLiteral("Action"), QStringLiteral("Before.")) + block +
                                     paragraph(QStringLiteral("Action"), QStringLiteral("After."))));
    ASSERT_EQ(paragraphs.size(), 3u);
    const XMLScriptParagraph& dual = paragraphs[1];
    EXPECT_EQ(dual.paragraphType, QStringLiteral("DualDialogue"));
    EXPECT_TRUE(dual.isDualDialog);
    // The block starts the page its paragraph starts.
    EXPECT_TRUE(dual.startsNewPage);
    EXPECT_FALSE(paragraphs[2].startsNewPage);
    EXPECT_EQ(dual.leftCharacter, QStringLiteral("MARA"));
    EXPECT_EQ(dual.rightCharacter, QStringLiteral("OLLIE"));
    EXPECT_EQ(dual.leftDialogue, QStringLiteral("Run.\n     (whispering)"));
    // Two dialogue paragraphs of one speaker join with nothing between them.
    EXPECT_EQ(dual.rightDialogue, QStringLiteral("Where to?"));
    EXPECT_TRUE(dual.leftParenthetical.isEmpty());
    EXPECT_EQ(paragraphs[2].text, QStringLiteral("After."));
    // And paragraph by paragraph, in the second speaker's column from the second cue on.
    QStringList lines;
    for (const XMLDualDialogueLine& line : dual.dualDialogueLines)
        lines << (line.right ? QStringLiteral("R ") : QStringLiteral("L ")) + line.paragraphType + QLatin1Char('|') +
                     line.text;
    EXPECT_EQ(lines, QStringList({"L Character|MARA", "L Dialogue|Run.", "L Parenthetical|(whispering)",
                                  "R Character|OLLIE", "R Dialogue|Where", "R Dialogue| to?"}));
    EXPECT_TRUE(paragraphs[0].dualDialogueLines.empty());
}

TEST(FinalDraftReader, TitlePageHeaderAndFooterAreNotTheScript)
{
    const QByteArray data = FdxText::script(
        paragraph(QStringLiteral("Action"), QStringLiteral("Script.")),
        QStringLiteral("<TitlePage><Content><Paragraph Type=\"Action\"><Text>THE TITLE</Text></Paragraph>"
                       "<Paragraph Alignment=\"Center\"><Text>by Someone</Text></Paragraph></Content></TitlePage>"
                       "<HeaderAndFooter><Header><Paragraph Type=\"Action\"><Text>Head</Text>"
                       "<DynamicLabel Type=\"Page #\"/></Paragraph></Header>"
                       "<Footer><Paragraph Type=\"Action\"><Text>Foot</Text></Paragraph></Footer></HeaderAndFooter>") +
            FdxText::lockedPages(4) +
            QStringLiteral("<SmartType><Characters><Character>Mara</Character></Characters></SmartType>"));
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(data));
    ASSERT_TRUE(script.paragraphs());
    ASSERT_EQ(script.paragraphs()->size(), 1u);
    EXPECT_EQ(script.paragraphs()->front().text, QStringLiteral("Script."));
    ASSERT_TRUE(script.pageOffsets());
    EXPECT_EQ(script.pageOffsets()->size(), 4u);
    EXPECT_EQ(script.characters(), std::optional<std::vector<QString>>(std::vector<QString>{"Mara"}));
}

TEST(FinalDraftReader, ScriptNotesAndOmittedScenesAreSkipped)
{
    const std::vector<XMLScriptParagraph> paragraphs = paragraphsOf(FdxText::script(QStringLiteral(
        "<Paragraph Type=\"Action\"><Text>Kept.</Text>"
        "<ScriptNote><Paragraph Type=\"Action\"><Text>A note.</Text></Paragraph></ScriptNote></Paragraph>"
        "<Paragraph Type=\"Scene Heading\"><OmittedScene><Paragraph Type=\"Action\"><Text>Gone.</Text></Paragraph>"
        "<OmittedScene/></OmittedScene><Text>OMITTED</Text></Paragraph>")));
    ASSERT_EQ(paragraphs.size(), 3u);
    EXPECT_EQ(paragraphs[0].paragraphType, QStringLiteral("ScriptNote"));
    EXPECT_TRUE(paragraphs[0].text.isEmpty());
    EXPECT_EQ(paragraphs[1].text, QStringLiteral("Kept."));
    EXPECT_EQ(paragraphs[2].paragraphType, QStringLiteral("Scene Heading"));
    EXPECT_TRUE(paragraphs[2].omitted);
    EXPECT_EQ(paragraphs[2].numberOfOmittedScenes, 1);
    EXPECT_EQ(paragraphs[2].text, QStringLiteral("OMITTED"));
}

TEST(FinalDraftReader, ListsSeparatorsPagesAndElementSettingsAreRead)
{
    const QString extra = QStringLiteral(
        "<LockedPages><LockedPage PageNumber=\"1\" Position=\"0\"/><LockedPage PageNumber=\"2\" Position=\"812\"/>"
        "<LockedPage PageNumber=\"2A\" Position=\"1640\"/></LockedPages>\n"
        "<ElementSettings Type=\"Action\"><FontSpec Font=\"Courier\"/>"
        "<ParagraphSpec Alignment=\"Left\" LeftIndent=\"1.50\" RightIndent=\"7.50\"/></ElementSettings>\n"
        "<ElementSettings Type=\"Dialogue\"><ParagraphSpec Alignment=\"Center\" LeftIndent=\"2.5\"/></ElementSettings>"
        "<SmartType><Characters><Character> mara </Character><Character>  </Character><Character>OLLIE</Character>"
        "</Characters><Extensions><Extension>V.O.</Extension></Extensions>"
        "<SceneIntros Separator=\". \"><SceneIntro>INT</SceneIntro><SceneIntro> EXT </SceneIntro></SceneIntros>"
        "<Locations><Location>barn</Location></Locations>"
        "<TimesOfDay Separator=\" - \"><TimeOfDay>DAY</TimeOfDay><TimeOfDay>NIGHT</TimeOfDay></TimesOfDay>"
        "</SmartType>");
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(FdxText::script(QString(), extra)));
    EXPECT_TRUE(script.isFinalDraft());
    EXPECT_TRUE(script.isScript());
    ASSERT_TRUE(script.pageOffsets());
    ASSERT_EQ(script.pageOffsets()->size(), 3u);
    EXPECT_EQ(script.pageOffsets()->at(2).pageNumber, QStringLiteral("2A"));
    EXPECT_EQ(script.pageOffsets()->at(1).offset, 812);
    ASSERT_TRUE(script.scriptElements());
    ASSERT_EQ(script.scriptElements()->size(), 2u);
    EXPECT_EQ(script.scriptElements()->at(0).elementType, QStringLiteral("Action"));
    EXPECT_FLOAT_EQ(script.scriptElements()->at(0).rightIndent, 7.5f);
    EXPECT_EQ(script.scriptElements()->at(1).alignment, QStringLiteral("Center"));
    EXPECT_FLOAT_EQ(script.scriptElements()->at(1).rightIndent, 0.0f);
    // An empty character entry is skipped; the others are trimmed.
    EXPECT_EQ(script.characters(), (std::vector<QString>{QStringLiteral("mara"), QStringLiteral("OLLIE")}));
    EXPECT_EQ(script.intExts(), (std::vector<QString>{QStringLiteral("INT"), QStringLiteral("EXT")}));
    EXPECT_EQ(script.locations(), (std::vector<QString>{QStringLiteral("barn")}));
    EXPECT_EQ(script.timesOfDay(), (std::vector<QString>{QStringLiteral("DAY"), QStringLiteral("NIGHT")}));
    EXPECT_EQ(script.sceneIntroSeparator(), QStringLiteral(". "));
    EXPECT_EQ(script.timesOfDaySeparator(), QStringLiteral(" - "));
    // No paragraph started, so the list was never made.
    EXPECT_FALSE(script.paragraphs());
}

TEST(FinalDraftReader, ListsWhoseContainerNeverStartsStayAbsent)
{
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(FdxText::script(heading(QStringLiteral("INT. BARN"), QStringLiteral("1")),
                                                       QString(), QStringLiteral("Other"))));
    EXPECT_TRUE(script.isFinalDraft());
    EXPECT_FALSE(script.isScript());
    EXPECT_FALSE(script.pageOffsets());
    EXPECT_FALSE(script.characters());
    EXPECT_FALSE(script.locations());
    EXPECT_FALSE(script.timesOfDaySeparator());
    EXPECT_TRUE(script.paragraphs());

    XMLParsedScript notFinalDraft;
    ASSERT_TRUE(notFinalDraft.parseScriptData("<Screenplay><Paragraph Type=\"Action\"/></Screenplay>"));
    EXPECT_FALSE(notFinalDraft.isFinalDraft());
}

TEST(FinalDraftReader, ExternalEntitiesAreNeverLoaded)
{
    QTemporaryDir folder;
    const QString secretPath =
        FdxText::writeFile(QDir(folder.path()).filePath(QStringLiteral("secret.txt")), "TOP-SECRET-WORDS");
    const QByteArray withDoctype =
        QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE FinalDraft [\n"
                       "<!ENTITY secret SYSTEM \"file://%1\">\n<!ENTITY remote SYSTEM \"http://127.0.0.1:9/x\">\n]>\n"
                       "<FinalDraft DocumentType=\"Script\"><Content><Paragraph Type=\"Action\">"
                       "<Text>before &secret; &remote; after</Text></Paragraph></Content>%2</FinalDraft>\n")
            .arg(secretPath, FdxText::lockedPages(4))
            .toUtf8();
    XMLParsedScript script;
    script.parseScriptData(withDoctype);
    ASSERT_TRUE(script.paragraphs());
    ASSERT_EQ(script.paragraphs()->size(), 1u);
    EXPECT_FALSE(script.paragraphs()->front().text.contains(QStringLiteral("TOP-SECRET")));
    EXPECT_TRUE(script.wellFormed());
    EXPECT_EQ(script.paragraphs()->front().text, QStringLiteral("before   after"));

    const QByteArray externalDtd =
        QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE FinalDraft SYSTEM \"file://%1\">\n"
                       "<FinalDraft DocumentType=\"Script\"><Content/></FinalDraft>")
            .arg(secretPath)
            .toUtf8();
    XMLParsedScript withDtd;
    withDtd.parseScriptData(externalDtd);
    EXPECT_TRUE(withDtd.isScript());
}

TEST(FinalDraftReader, EntityExpansionBombsStopTheReading)
{
    QString entities = QStringLiteral("<!ENTITY a0 \"xxxxxxxxxxxxxxxx\">\n");
    for (int level = 1; level < 10; ++level)
        entities +=
            QStringLiteral("<!ENTITY a%1 \"&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;\">\n").arg(level).arg(level - 1);
    const QByteArray bomb = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE FinalDraft [\n%1]>\n"
                                           "<FinalDraft DocumentType=\"Script\"><Content><Paragraph Type=\"Action\">"
                                           "<Text>&a9;</Text></Paragraph></Content></FinalDraft>")
                                .arg(entities)
                                .toUtf8();
    XMLParsedScript script;
    const TestTime::ThreadCpuClock clock;
    EXPECT_FALSE(script.parseScriptData(bomb));
    EXPECT_LT(clock.elapsedMs(), TestTime::limitMs(2000));
    EXPECT_FALSE(script.wellFormed());
}

TEST(FinalDraftReader, TheTextOfAllEntityUsesTogetherIsBounded)
{
    // One entity of 1,000 characters, within the limit of each expansion, used many times over.
    struct Row {
        int uses;
        bool inAttribute;
        bool read;
    };
    const Row rows[] = {
        {100, false, true},
        {500, true, true},
        {900, false, true},
        {100'000, false, false},
        {100'000, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.uses) + (row.inAttribute ? " in an attribute" : " in a text"));
        QByteArray uses;
        for (int use = 0; use < row.uses; ++use)
            uses += "&e;";
        const QByteArray body = row.inAttribute ? "<Paragraph Type=\"Action\" Number=\"" + uses + "\"><Text>x</Text>"
                                                : "<Paragraph Type=\"Action\"><Text>" + uses + "</Text>";
        const QByteArray file = "<?xml version=\"1.0\"?>\n<!DOCTYPE FinalDraft [\n<!ENTITY e \"" + QByteArray(1000, 'y')
                                + "\">\n]>\n<FinalDraft DocumentType=\"Script\"><Content>" + body
                                + "</Paragraph></Content></FinalDraft>";
        XMLParsedScript script;
        const TestTime::ThreadCpuClock clock;
        EXPECT_EQ(script.parseScriptData(file), row.read) << script.errorString().toStdString();
        EXPECT_LT(clock.elapsedMs(), TestTime::limitMs(2000));
        if (row.read) {
            ASSERT_TRUE(script.paragraphs());
            ASSERT_EQ(script.paragraphs()->size(), 1u);
            if (!row.inAttribute) {
                EXPECT_EQ(script.paragraphs()->front().text.size(), 1000 * row.uses);
            }
        } else {
            EXPECT_TRUE(script.errorString().contains(QStringLiteral("grows to more than")))
                << script.errorString().toStdString();
            // What was read stays far below what the uses would have made.
            const qsizetype kept = script.paragraphs() && !script.paragraphs()->empty()
                                       ? script.paragraphs()->front().text.size()
                                       : 0;
            EXPECT_LT(kept, 4'000'000);
        }
    }
}

TEST(FinalDraftReader, MalformedFilesSayWhereTheyBreak)
{
    const QByteArray whole = FdxText::script(paragraph(QStringLiteral("Action"), QStringLiteral("One.")));
    // A script whose fourth line holds `text` in an action paragraph, a NUL for each '^'.
    auto onLine4 = [](const char* text) {
        QByteArray script = FdxText::script(QStringLiteral("\n") + paragraph(QStringLiteral("Action"),
                                                                             QString::fromUtf8(text)));
        return script.replace('^', '\0');
    };
    QByteArray utf16 = QByteArray("\xFF\xFE");
    for (const QChar unit : QString::fromUtf8(onLine4("Old^Story").replace("UTF-8", "UTF-16")))
        utf16.append(static_cast<char>(unit.unicode() & 0xFF)).append(static_cast<char>(unit.unicode() >> 8));
    const QString nul = QStringLiteral("the file holds a NUL character there, which no script holds");
    struct Row {
        const char* name;
        QByteArray data;
        std::int64_t line; // 0: any
        QString message;   // empty: any but the NUL's
    };
    const Row rows[] = {
        {"truncated", whole.left(whole.size() - 20), 0, {}},
        {"wrong end tag", "<FinalDraft DocumentType=\"Script\">\n<Content>\n</Contents></FinalDraft>", 3, {}},
        {"not xml", "just some words", 0, {}},
        {"empty", "", 0, {}},
        {"a NUL in a text", onLine4("Old^Story"), 4, nul},
        {"NULs at the start of a text", onLine4("^^Old"), 4, nul},
        {"a NUL in a UTF-16 script", utf16, 4, nul},
        {"a NUL in a tag", onLine4("Old").replace("<Text>", QByteArray("<Te\0xt>", 8)), 4, nul},
        // Markup after a NUL byte is not UTF-16, whose ASCII characters each stand after a NUL byte.
        {"a NUL as the first byte", QByteArray(1, '\0') + whole, 1, nul},
        {"NULs as the first bytes", QByteArray(3, '\0') + whole, 1, nul},
        {"another control character", onLine4("Old\x01Story"), 4, {}},
        {"a NUL after the line the reader stops at",
         "<FinalDraft DocumentType=\"Script\">\n<Content>\n</Contents>\n<Text>a" + QByteArray(1, '\0') + "</Text>", 3,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        XMLParsedScript script;
        EXPECT_FALSE(script.parseScriptData(row.data));
        EXPECT_FALSE(script.errorString().isEmpty());
        if (row.line > 0) {
            EXPECT_EQ(script.errorLine(), row.line);
        }
        if (row.message.isEmpty()) {
            EXPECT_NE(script.errorString(), nul);
        } else {
            EXPECT_EQ(script.errorString(), row.message);
        }
    }
}

// Damaged copies of a valid script: each is read to its end or to its first error, never
// past its bytes, and never takes long.
TEST(FinalDraftReader, DamagedCopiesOfAScriptAreReadOrRefusedWithoutHarm)
{
    const QByteArray whole = FdxText::script(
        heading(QStringLiteral("int. barn - day"), QStringLiteral("1"), QStringLiteral("Opening")) +
            paragraph(QStringLiteral("Action"), QStringLiteral("Rain.")) +
            QStringLiteral("<Paragraph Type=\"General\"><DualDialogue>"
                           "<Paragraph Type=\"Character\"><Text>MARA</Text></Paragraph>"
                           "<Paragraph Type=\"Dialogue\"><Text>Go.</Text></Paragraph>"
                           "<Paragraph Type=\"Character\"><Text>OLLIE</Text></Paragraph>"
                           "<Paragraph Type=\"Dialogue\"><Text>No.</Text></Paragraph>"
                           "</DualDialogue></Paragraph>") +
            QStringLiteral("<Paragraph Type=\"Scene Heading\"><OmittedScene/><Text>X</Text></Paragraph>"
                           "<ScriptNote><Text>n</Text></ScriptNote>"),
        FdxText::lockedPages(5) +
            QStringLiteral("<ElementSettings Type=\"Action\"><ParagraphSpec LeftIndent=\"1\"/></ElementSettings>"
                           "<SmartType><Characters><Character>MARA</Character></Characters>"
                           "<TimesOfDay Separator=\"-\"><TimeOfDay>DAY</TimeOfDay></TimesOfDay></SmartType>"));
    QRandomGenerator random(20261207);
    const TestTime::ThreadCpuClock clock;
    int refused = 0;
    int read = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray copy = whole;
        if (round % 2 == 0) {
            copy.truncate(random.bounded(static_cast<int>(whole.size())));
        } else {
            for (int flips = 1 + random.bounded(4); flips > 0; --flips)
                copy[random.bounded(static_cast<int>(copy.size()))] ^= static_cast<char>(1 << random.bounded(8));
        }
        XMLParsedScript script;
        if (script.parseScriptData(copy)) {
            ++read;
        } else {
            ++refused;
            EXPECT_FALSE(script.errorString().isEmpty());
        }
        if (script.pageOffsets()) {
            EXPECT_LE(script.pageOffsets()->size(), 5u);
        }
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GT(read, 0);
    EXPECT_LT(clock.elapsedMs(), TestTime::limitMs(10000));
}
