#include "interchange/FinalDraftImport.h"
#include "interchange/XMLParsedScript.h"
#include "model/Characterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/Toolkit.h"
#include "support/FdxText.h"
#include "support/SampleCopy.h"
#include "support/StoryFixtures.h"
#include "support/TempStory.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct Part {
    const char* type;
    const char* text;
};

// Adds a card to the story's board (or Litter Box) with its script paragraphs.
SceneCarddb& addCard(Screenplaydb& story, const QString& heading, std::int64_t beat, float fraction,
                     const std::vector<Part>& parts, const QString& description = QStringLiteral("Scene Description"),
                     std::int64_t onBoard = 1)
{
    auto card = std::make_unique<SceneCarddb>();
    card->setScreenplayID(story.screenplayID());
    card->setHeading(heading);
    card->setDescription(description);
    card->setCurrentBeatSection(beat);
    card->setPercentageHorizontal(fraction);
    card->setPageNumber(beat * 3);
    card->setOnBoard(onBoard);
    card->insertIntoDatabase(&story);
    std::int64_t order = 0;
    for (const Part& part : parts) {
        ScriptPartdb row;
        row.setSceneCardID(card->sceneCardID());
        row.setSortOrder(++order);
        const ScriptElementdb* element = story.elementForElementType(QString::fromUtf8(part.type));
        row.setElementTypeID(element ? element->scriptElementID() : 999);
        row.setScriptText(QString::fromUtf8(part.text));
        row.insertIntoDatabase(&story);
    }
    auto& list = onBoard == 1 ? story.sceneCards() : story.litterBox();
    list.push_back(std::move(card));
    return *list.back();
}

// The elements of an XML text as lines "path[attributes]: text", for comparing structure.
QStringList outline(const QByteArray& xml, const QString& under)
{
    QXmlStreamReader reader(xml);
    QStringList path;
    QStringList lines;
    QString text;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            path << reader.name().toString();
            QStringList attributes;
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                attributes << attribute.name().toString() + QLatin1Char('=') + attribute.value().toString();
            if (path.contains(under) && path.last() != under)
                lines << path.mid(path.indexOf(under) + 1).join(QLatin1Char('/')) +
                             (attributes.isEmpty()
                                  ? QString()
                                  : QLatin1Char('[') + attributes.join(QLatin1Char(',')) + QLatin1Char(']'));
            text.clear();
            break;
        }
        case QXmlStreamReader::Characters:
            if (!reader.isWhitespace())
                text += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            if (!text.isEmpty() && path.contains(under))
                lines.last() += QStringLiteral(": ") + text;
            text.clear();
            path.removeLast();
            break;
        default:
            break;
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return lines;
}

QByteArray exported(NewStory& file, const QTemporaryDir& folder)
{
    const QString path = QDir(folder.path()).filePath(QStringLiteral("out.fdx"));
    QString error;
    EXPECT_TRUE(Toolkit().exportScreenplay(file.story(), path, &error)) << error.toStdString();
    QFile written(path);
    EXPECT_TRUE(written.open(QIODevice::ReadOnly));
    return written.readAll();
}

} // namespace

TEST(FinalDraftExport, AStoryWithoutCardsWritesTheFrameAndItsLists)
{
    NewStory file;
    for (const char* name : {"MARA", "OLLIE"}) {
        auto character = std::make_unique<Characterdb>();
        character->setCharacterName(QString::fromUtf8(name));
        character->insertIntoDatabase(&file.story());
        file.story().characters().push_back(std::move(character));
    }
    auto location = std::make_unique<SceneLocationdb>();
    location->setLocation(QStringLiteral("BARN"));
    location->insertIntoDatabase(&file.story());
    file.story().sceneLocations().push_back(std::move(location));
    QTemporaryDir folder;
    const QByteArray xml = exported(file, folder);
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>")) << xml.left(80).data();
    EXPECT_TRUE(xml.contains("<FinalDraft DocumentType=\"Script\" Version=\"1\">"));
    EXPECT_EQ(outline(xml, QStringLiteral("FinalDraft")),
              QStringList({"Content", "SmartType", "SmartType/Characters", "SmartType/Characters/Character: MARA",
                           "SmartType/Characters/Character: OLLIE", "SmartType/Extensions", "SmartType/Transitions",
                           "SmartType/SceneIntros[Separator=.]", "SmartType/SceneIntros/SceneIntro: INT",
                           "SmartType/SceneIntros/SceneIntro: EXT", "SmartType/SceneIntros/SceneIntro: I/E",
                           "SmartType/Locations", "SmartType/Locations/Location: BARN",
                           "SmartType/TimesOfDay[Separator=-]"}));
}

TEST(FinalDraftExport, ParagraphsFollowTheBoardOrderAndTheirElementTypes)
{
    NewStory file;
    Screenplaydb& story = file.story();
    // Added out of board order; the Litter Box card never appears.
    addCard(story, QStringLiteral("EXT. ROAD - DAY"), 7, 0.1f, {{"Action", "Later."}}, QStringLiteral("The road"));
    addCard(story, QStringLiteral("int. house - night"), 2, 0.5f,
            {{"Character", "ANNA (V.O.)"}, {"Dialogue", "One."}, {"Character", "BEN (V.O.)"},
             {"Character", "CARL (O.S.)"}, {"Character", "AL"}, {"Action", ""}, {"Dialogue", ""},
             {"Parenthetical", "(quietly)"}, {"Transition", "CUT TO:"}, {"Transition", "CUT TO:"}, {"Transition", ""},
             {"Scene Heading", "ignored"}, {"New Act", "ignored"}, {"Unknown", "ignored"}});
    addCard(story, QStringLiteral("INT. HALL - DAY"), 2, 0.9f,
            {{"DDL-Character", "MARA"}, {"DDL-Dialogue", "Left."}, {"DDR-Character", "OLLIE (O.S.)"},
             {"DDR-Dialogue", "Right."}, {"Action", "After."}, {"DDR-Character", "ORPHAN"}, {"DDL-Character", "LAST"}},
            QString());
    addCard(story, QStringLiteral("INT. ATTIC"), 2, 0.2f, {{"Action", "In the box."}}, QString(), 2);

    QTemporaryDir folder;
    const QByteArray xml = exported(file, folder);
    const QStringList expected = {
        "Content/Paragraph[Type=Scene Heading]",
        "Content/Paragraph/SceneProperties[Page=6]",
        "Content/Paragraph/Text: int. house - night",
        "Content/Paragraph[Type=Character]",
        "Content/Paragraph/Text: ANNA (V.O.)",
        "Content/Paragraph[Type=Dialogue]",
        "Content/Paragraph/Text: One.",
        "Content/Paragraph[Type=Character]",
        "Content/Paragraph/Text: BEN (V.O.)",
        "Content/Paragraph[Type=Character]",
        "Content/Paragraph/Text: CARL (O.S.)",
        "Content/Paragraph[Type=Character]",
        "Content/Paragraph/Text: AL",
        "Content/Paragraph[Type=Action]",
        "Content/Paragraph/Text",
        "Content/Paragraph[Type=Dialogue]",
        "Content/Paragraph/Text",
        "Content/Paragraph[Type=Parenthetical]",
        "Content/Paragraph/Text: (quietly)",
        "Content/Paragraph[Type=Transition]",
        "Content/Paragraph/Text: CUT TO:",
        "Content/Paragraph[Type=Transition]",
        "Content/Paragraph/Text: CUT TO:",
        "Content/Paragraph[Type=Transition]",
        "Content/Paragraph/Text",
        "Content/Paragraph[Type=New Act]",
        "Content/Paragraph/Text: ignored",
        "Content/Paragraph[Type=Scene Heading]",
        "Content/Paragraph/SceneProperties[Page=6]",
        "Content/Paragraph/Text: INT. HALL - DAY",
        "Content/Paragraph[Type=General]",
        "Content/Paragraph/DualDialogue",
        "Content/Paragraph/DualDialogue/Paragraph[Type=Character]",
        "Content/Paragraph/DualDialogue/Paragraph/Text: MARA",
        "Content/Paragraph/DualDialogue/Paragraph[Type=Dialogue]",
        "Content/Paragraph/DualDialogue/Paragraph/Text: Left.",
        "Content/Paragraph/DualDialogue/Paragraph[Type=Character]",
        "Content/Paragraph/DualDialogue/Paragraph/Text: OLLIE (O.S.)",
        "Content/Paragraph/DualDialogue/Paragraph[Type=Dialogue]",
        "Content/Paragraph/DualDialogue/Paragraph/Text: Right.",
        "Content/Paragraph[Type=Action]",
        "Content/Paragraph/Text: After.",
        "Content/Paragraph[Type=General]",
        "Content/Paragraph/DualDialogue",
        "Content/Paragraph/DualDialogue/Paragraph[Type=Character]",
        "Content/Paragraph/DualDialogue/Paragraph/Text: LAST",
        "Content/Paragraph[Type=Scene Heading]",
        "Content/Paragraph/SceneProperties[Page=21,Title=The road]",
        "Content/Paragraph/Text: EXT. ROAD - DAY",
        "Content/Paragraph[Type=Action]",
        "Content/Paragraph/Text: Later.",
    };
    QStringList content =
        outline(xml, QStringLiteral("FinalDraft")).filter(QRegularExpression(QStringLiteral("^Content/")));
    EXPECT_EQ(content, expected) << xml.toStdString();
    const QStringList smartType = outline(xml, QStringLiteral("SmartType"));
    EXPECT_EQ(smartType.filter(QStringLiteral("Extension:")),
              QStringList({"Extensions/Extension: (V.O.)", "Extensions/Extension: (O.S.)"}));
    EXPECT_EQ(smartType.filter(QStringLiteral("Transitions/")),
              QStringList({"Transitions/Transition: CUT TO:", "Transitions/Transition"}));
    EXPECT_EQ(smartType.filter(QStringLiteral("TimeOfDay")),
              QStringList({"TimesOfDay/TimeOfDay: NIGHT", "TimesOfDay/TimeOfDay: DAY"}));
    // The story's board cards keep the order they were written in.
    EXPECT_EQ(story.sceneCards().front()->heading(), QStringLiteral("int. house - night"));
}

TEST(FinalDraftExport, TheTimeOfDayIsWhatFollowsTheHeadingsLastDash)
{
    // Headings as imported scripts give them, hyphens within the place included.
    struct Row {
        const char* heading;
        const char* time; // "" for none
    };
    const Row rows[] = {
        {"EXT. FRONT-YARD - DAY", "DAY"},
        {"int. half-way house - night", "NIGHT"},
        {"EXT. X-RAY LAB-CONTINUOUS", "CONTINUOUS"},
        {"INT. CAR - MOVING - LATER", "LATER"},
        {"EXT. NORTH-EAST RIDGE -", ""},
        {"INT. HALL", ""},
        {"EXT. BACK-YARD - DAY", "DAY"},
    };
    NewStory file;
    QStringList expected;
    std::int64_t beat = 0;
    for (const Row& row : rows) {
        addCard(file.story(), QString::fromUtf8(row.heading), ++beat, 0.1f, {{"Action", "Something happens."}});
        const QString time = QStringLiteral("TimesOfDay/TimeOfDay: ") + QString::fromUtf8(row.time);
        if (*row.time && !expected.contains(time))
            expected << time;
    }
    QTemporaryDir folder;
    const QByteArray xml = exported(file, folder);
    EXPECT_EQ(outline(xml, QStringLiteral("SmartType")).filter(QStringLiteral("TimeOfDay:")), expected)
        << xml.toStdString();
    // The headings themselves are written as they are.
    const QStringList content = outline(xml, QStringLiteral("Content"));
    for (const Row& row : rows)
        EXPECT_TRUE(content.contains(QStringLiteral("Paragraph/Text: ") + QString::fromUtf8(row.heading)))
            << row.heading;
}

TEST(FinalDraftExport, ASceneWithoutScriptWritesItsHeadingAloneAndBlankLinesOfAScriptStay)
{
    struct Row {
        const char* what;
        std::vector<Part> parts;
        QStringList afterHeading;
    };
    const Row rows[] = {
        {"no paragraph at all", {}, {}},
        {"the empty action a new card starts with", {{"Action", ""}}, {}},
        {"a blank line between two actions",
         {{"Action", "Before."}, {"Action", ""}, {"Action", "After."}},
         {"Content/Paragraph[Type=Action]", "Content/Paragraph/Text: Before.", "Content/Paragraph[Type=Action]",
          "Content/Paragraph/Text", "Content/Paragraph[Type=Action]", "Content/Paragraph/Text: After."}},
        {"two blank lines",
         {{"Action", ""}, {"Action", ""}},
         {"Content/Paragraph[Type=Action]", "Content/Paragraph/Text", "Content/Paragraph[Type=Action]",
          "Content/Paragraph/Text"}},
        {"an empty dialogue", {{"Dialogue", ""}}, {"Content/Paragraph[Type=Dialogue]", "Content/Paragraph/Text"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NewStory file;
        addCard(file.story(), QStringLiteral("INT. EMPTY ROOM - DAY"), 2, 0.1f, row.parts);
        QTemporaryDir folder;
        const QByteArray xml = exported(file, folder);
        QStringList expected = {"Content/Paragraph[Type=Scene Heading]", "Content/Paragraph/SceneProperties[Page=6]",
                                "Content/Paragraph/Text: INT. EMPTY ROOM - DAY"};
        expected += row.afterHeading;
        EXPECT_EQ(outline(xml, QStringLiteral("FinalDraft")).filter(QRegularExpression(QStringLiteral("^Content/"))),
                  expected)
            << xml.toStdString();
    }
}

TEST(FinalDraftExport, TheSamplesScenesWithoutScriptWriteNoEmptyAction)
{
    const SampleCopy sample(QStringLiteral("Sample - Kessler Pass.vtrsf"));
    OpenedStory opened;
    opened.open(sample.path());
    Screenplaydb& story = *opened.story;
    story.hydrate();
    const QString unwritten = sample.scalar(QStringLiteral(
        "SELECT count(*) FROM SceneCard c WHERE c.OnBoard = 1 AND (SELECT count(*) FROM ScriptPart p WHERE "
        "p.SceneCardID = c.SceneCardID) = 1 AND (SELECT ScriptText FROM ScriptPart p WHERE p.SceneCardID = "
        "c.SceneCardID) = ''"));
    ASSERT_GT(unwritten.toInt(), 0) << "the sample has scenes nobody has written yet";
    ASSERT_GT(story.sceneCards().size(), static_cast<std::size_t>(unwritten.toInt()));
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("Kessler.fdx"));
    QString error;
    ASSERT_TRUE(Toolkit().exportScreenplay(story, path, &error)) << error.toStdString();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QStringList content = outline(written.readAll(), QStringLiteral("FinalDraft"))
                                    .filter(QRegularExpression(QStringLiteral("^Content/Paragraph(\\[|/Text)")));
    int emptyActions = 0;
    for (int line = 0; line + 1 < content.size(); ++line)
        if (content[line] == QLatin1String("Content/Paragraph[Type=Action]") &&
            content[line + 1] == QLatin1String("Content/Paragraph/Text"))
            ++emptyActions;
    EXPECT_EQ(emptyActions, 0);
    // Every board card is there, by its heading.
    EXPECT_EQ(content.filter(QStringLiteral("Content/Paragraph[Type=Scene Heading]")).size(),
              static_cast<qsizetype>(story.sceneCards().size()));
}

TEST(FinalDraftExport, CharactersXmlCannotHoldAreDroppedSoTheFileStaysWellFormed)
{
    NewStory file;
    addCard(file.story(), QStringLiteral("INT. LAB\x01 - DAY\x0B"), 2, 0.1f,
            {{"Action", "Tab\tand\nline \x1F\xEF\xBF\xBF kept & <escaped> \xF0\x9F\x8E\xAC"}},
            QStringLiteral("Bell\x07"));
    QTemporaryDir folder;
    const QByteArray xml = exported(file, folder);
    XMLParsedScript script;
    ASSERT_TRUE(script.parseScriptData(xml)) << script.errorString().toStdString();
    ASSERT_EQ(script.paragraphs()->size(), 2u);
    EXPECT_EQ(script.paragraphs()->at(0).text, QStringLiteral("INT. LAB - DAY"));
    EXPECT_EQ(script.paragraphs()->at(0).slug, QStringLiteral("Bell"));
    EXPECT_EQ(script.paragraphs()->at(1).text,
              QString::fromUtf8("Tab\tand\nline  kept & <escaped> \xF0\x9F\x8E\xAC"));
}

TEST(FinalDraftExport, AFileThatCannotBeWrittenIsReportedAndLeavesNoFile)
{
    NewStory file;
    QTemporaryDir folder;
    const QString blocker = FdxText::writeFile(QDir(folder.path()).filePath(QStringLiteral("plain")), "not a folder");
    const QString path = QDir(blocker).filePath(QStringLiteral("out.fdx"));
    QString error;
    EXPECT_FALSE(Toolkit().exportScreenplay(file.story(), path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(FinalDraftExport, AnExportedScriptWithLockedPagesImportsBackTheSameParagraphs)
{
    NewStory source;
    addCard(source.story(), QStringLiteral("INT. BARN - DAY"), 2, 0.1f,
            {{"Action", "Rain."}, {"Character", "MARA (V.O.)"}, {"Parenthetical", "(softly)"}, {"Dialogue", "Hi."}},
            QStringLiteral("Arrival"));
    addCard(source.story(), QStringLiteral("EXT. FIELD - NIGHT"), 3, 0.1f,
            {{"Transition", "CUT TO:"}, {"Action", "Stars & wind."}});
    QTemporaryDir folder;
    QByteArray xml = exported(source, folder);
    // As the writer's tool would after locking its pages.
    xml.replace("</FinalDraft>", FdxText::lockedPages(6).toUtf8() + "</FinalDraft>");
    const QString scriptPath = FdxText::writeFile(QDir(folder.path()).filePath(QStringLiteral("Round Trip.fdx")), xml);
    XMLParsedScript script;
    ASSERT_FALSE(FinalDraftImport::readScript(scriptPath, script, ScriptImportEntry::NewStory));
    const QString target = QDir(folder.path()).filePath(QStringLiteral("back.vtrsf"));
    ASSERT_FALSE(FinalDraftImport::makeStoryFromScript(script, scriptPath, target, source.masterPath()));

    const QString partsQuery = QStringLiteral(
        "SELECT group_concat(e.ElementType || '|' || p.ScriptText, ' / ') FROM (SELECT * FROM ScriptPart ORDER BY "
        "SceneCardID, SortOrder) p JOIN ScriptElement e ON e.ScriptElementID = p.ElementTypeID");
    const QString headingsQuery = QStringLiteral(
        "SELECT group_concat(Heading || '|' || Description, ' / ') FROM (SELECT * FROM SceneCard ORDER BY SortOrder)");
    OpenedStory back;
    back.open(target);
    EXPECT_EQ(SqlProbe::scalar(back.connection.get(), partsQuery), source.scalar(partsQuery));
    EXPECT_EQ(SqlProbe::scalar(back.connection.get(), headingsQuery),
              QStringLiteral("INT. BARN - DAY|Arrival / EXT. FIELD - NIGHT|"));
    EXPECT_EQ(SqlProbe::scalar(back.connection.get(), QStringLiteral("SELECT ScreenplayTitle FROM Screenplay")),
              QStringLiteral("Round Trip"));
}

TEST(FinalDraftExport, SceneNumbersAndTheParagraphsBeforeAHeadingKeepTheirPlace)
{
    NewStory file;
    Screenplaydb& story = file.story();
    // An imported script's opening: two paragraphs, then the heading's own place among them.
    addCard(story, QStringLiteral("INT. BARN - DAY"), 2, 0.1f,
            {{"Action", "FADE IN:"}, {"New Act", "ACT ONE"}, {"Scene Heading", "INT. BARN - DAY"}, {"Action", ""},
             {"Action", "Rain."}})
        .setSceneNumber(QStringLiteral("12A"));
    // A heading paragraph with another text marks nothing and is not written.
    addCard(story, QStringLiteral("EXT. FIELD"), 3, 0.1f,
            {{"Action", "Wind."}, {"Scene Heading", "EXT. SOMEWHERE ELSE"}, {"End of Act", "END OF ACT ONE"}});
    QTemporaryDir folder;
    const QByteArray xml = exported(file, folder);
    const QStringList expected = {
        "Content/Paragraph[Type=Action]",
        "Content/Paragraph/Text: FADE IN:",
        "Content/Paragraph[Type=New Act]",
        "Content/Paragraph/Text: ACT ONE",
        "Content/Paragraph[Type=Scene Heading,Number=12A]",
        "Content/Paragraph/SceneProperties[Page=6]",
        "Content/Paragraph/Text: INT. BARN - DAY",
        "Content/Paragraph[Type=Action]",
        "Content/Paragraph/Text",
        "Content/Paragraph[Type=Action]",
        "Content/Paragraph/Text: Rain.",
        "Content/Paragraph[Type=Scene Heading]",
        "Content/Paragraph/SceneProperties[Page=9]",
        "Content/Paragraph/Text: EXT. FIELD",
        "Content/Paragraph[Type=Action]",
        "Content/Paragraph/Text: Wind.",
        "Content/Paragraph[Type=End of Act]",
        "Content/Paragraph/Text: END OF ACT ONE",
    };
    EXPECT_EQ(outline(xml, QStringLiteral("FinalDraft")).filter(QRegularExpression(QStringLiteral("^Content/"))),
              expected)
        << xml.toStdString();
}
