#include "model/GreenlightChecklistTexts.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "support/StoryFixtures.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString golden(const char* name)
{
    QFile file(QDir(QStringLiteral(VANTORA_GOLDEN_DIR)).filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing golden file %1>").arg(file.fileName());
    return QString::fromUtf8(file.readAll());
}

// Compares line by line, so a failure names the first line that differs.
void expectText(const QString& built, const QString& expected)
{
    const QStringList builtLines = built.split(u'\n');
    const QStringList expectedLines = expected.split(u'\n');
    for (qsizetype i = 0; i < std::min(builtLines.size(), expectedLines.size()); ++i) {
        if (builtLines[i] != expectedLines[i]) {
            ADD_FAILURE() << "line " << i + 1 << "\n  built:    " << builtLines[i].toStdString()
                          << "\n  expected: " << expectedLines[i].toStdString();
            return;
        }
    }
    EXPECT_EQ(builtLines.size(), expectedLines.size());
    EXPECT_EQ(built, expected);
}

// A story with something in every part of the text, written with SQL and read back as the
// program reads it.
void fillStory(NewStory& file)
{
    const QStringList statements = {
        "UPDATE Screenplay SET ScreenplayTitle = 'Night Ferry', Genre = 'Thriller'",
        "UPDATE Logline SET Logline = 'A deckhand must find the stowaway before the ferry docks.'",
        "INSERT INTO Logline (ScreenplayID, Logline, CurrentLoglineFlag) SELECT ScreenplayID, "
        "'A storm, a ferry, a secret.', 0 FROM Screenplay",
        "UPDATE Beat SET Description = 'Fog over the harbour.' WHERE BeatNumber = 1",
        "UPDATE Beat SET Description = 'The crossing is cancelled, 100% sure.' WHERE BeatNumber = 4",
        "UPDATE GreenlightChecklistQuestion SET Answer = 'Y' WHERE QuestionNumber IN (1, 27, 55)",
        "INSERT INTO ColorCode (ColorCodeID, ScreenplayID, Description) SELECT 901, ScreenplayID, 'Flashback' "
        "FROM Screenplay",
        "INSERT INTO ColorCode (ColorCodeID, ScreenplayID, Description) SELECT 902, ScreenplayID, 'Storm' "
        "FROM Screenplay",
        "INSERT INTO AttachedObject (AttachedObjectID, ScreenplayID, Title, Description, ObjectType, FileName, "
        "TextDescription) SELECT 31, ScreenplayID, 'Deck plan', '{\\rtf1 Where the crates stand.}', 1, "
        "'ImageFile31.jpg', 'Where the crates stand.' FROM Screenplay",
        "INSERT INTO AttachedObject (AttachedObjectID, ScreenplayID, Title, ObjectType, FileName) "
        "SELECT 32, ScreenplayID, 'Tide table', 2, '/home/writer/tides.pdf' FROM Screenplay",
        "INSERT INTO Character (CharacterID, ScreenplayID, CharacterName, Age, Gender, Description, Wants, "
        "Needs, NeedsFixing1, NeedsFixing1Notes, NeedsFixing3Notes) SELECT 11, ScreenplayID, 'MARA', '34', "
        "'Female', 'Deckhand, ten years at sea.', 'To keep her job.', 'To trust someone.', 'Lies to her brother', "
        "'Comes out in act two', 'Only notes here' FROM Screenplay",
        "INSERT INTO Character (CharacterID, ScreenplayID, CharacterName) SELECT 12, ScreenplayID, 'JONAS' "
        "FROM Screenplay",
        "INSERT INTO CharacterObject (CharacterID, AttachedObjectID, Description) VALUES (11, 31, 'Her station')",
        "INSERT INTO SceneLocation (SceneLocationID, ScreenplayID, Location, Description, Notes) "
        "SELECT 21, ScreenplayID, 'FERRY DECK', 'Wet steel, rope, gulls.', 'Night shoot' FROM Screenplay",
        "INSERT INTO SceneLocation (SceneLocationID, ScreenplayID, Location) SELECT 22, ScreenplayID, 'HARBOUR' "
        "FROM Screenplay",
        "INSERT INTO SceneLocationObject (SceneLocationID, AttachedObjectID, Description) "
        "VALUES (21, 32, 'Tides for the night')",
        "INSERT INTO SceneCard (SceneCardID, ScreenplayID, Heading, SceneLocationID, Description, Notes, "
        "EmotionalChange, EmotionalChangeType, Conflict, PageNumber, OnBoard, SortOrder, StartDateTime, "
        "ColorLegend1ID, ColorLegend3ID, CurrentBeatSection) SELECT 41, ScreenplayID, 'INT. FERRY CABIN - NIGHT', "
        "21, 'Mara hears a cough behind the crates.', 'Keep it quiet.', 'Calm to alarmed', 1, "
        "'Mara vs. the captain', 12, 1, 1, '2024-03-01 22:00:00', 901, 902, 2 FROM Screenplay",
        "INSERT INTO SceneCard (SceneCardID, ScreenplayID, Heading, Description, EmotionalChange, "
        "EmotionalChangeType, Conflict, PageNumber, OnBoard, SortOrder, EndDateTime, CurrentBeatSection) "
        "SELECT 42, ScreenplayID, 'EXT. FERRY DECK - DAWN %1', '', 'Hope to dread', 2, 'Storm', 30, 1, 2, "
        "'2024-03-02 06:00:00', 3 FROM Screenplay",
        "INSERT INTO SceneCard (SceneCardID, ScreenplayID, Heading, Description, EmotionalChange, "
        "EmotionalChangeType, Conflict, PageNumber, OnBoard, SortOrder) SELECT 43, ScreenplayID, "
        "'INT. HARBOUR OFFICE - DAY', 'Cut for now.', 'Flat', 7, 'None', 55, 2, 1 FROM Screenplay",
        "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID, Description) VALUES (41, 11, 'Hiding the key')",
        "INSERT INTO SceneCardCharacter (SceneCardID, CharacterID, Description) VALUES (41, 12, '')",
        "INSERT INTO SceneCardObject (SceneCardID, AttachedObjectID, Description) VALUES (41, 31, 'The crates')",
        "INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) VALUES (61, 42, 'The key opens the hold')",
        "INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) VALUES (62, 42, 'Gull feathers')",
        "INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) VALUES (63, 0, 'Loose pay-off')",
        "INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) "
        "VALUES (51, 41, 'Mara pockets a key', 61)",
        "INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) "
        "VALUES (52, 41, 'A cough', 0)",
        "INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) "
        "VALUES (53, 43, 'The harbour master lies', 63)",
        "INSERT INTO StickyNote (ScreenplayID, Title, Note, TextNote) SELECT ScreenplayID, 'Research', "
        "'{\\rtf1 ignored}', 'Check ferry timetables.\nAsk the harbour master.' FROM Screenplay",
    };
    for (const QString& statement : statements)
        file.exec(statement);
    file.reopen();
    file.story().setPageCount(110);
}

} // namespace

TEST(StoryTextBuilder, ANewStoryGivesEveryHeadingAndTheWholeChecklist)
{
    NewStory file(QStringLiteral("Empty Story.vtrsf"));
    const QString before = file.scalar(QStringLiteral("SELECT total_changes()"));
    expectText(Toolkit().buildTextStringForScreenplay(file.story()), golden("EmptyStory.txt"));
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT total_changes()")), before) << "building writes nothing";
}

TEST(StoryTextBuilder, AFullStoryGivesEveryPartInOrder)
{
    NewStory file(QStringLiteral("Night Ferry.vtrsf"));
    fillStory(file);
    expectText(Toolkit().buildTextStringForScreenplay(file.story()), golden("FullStory.txt"));
}

TEST(StoryTextBuilder, TheChecklistUsesThePanelsWordsAndMarks)
{
    NewStory file;
    file.exec(QStringLiteral("UPDATE GreenlightChecklistQuestion SET Answer = 'Y' WHERE QuestionNumber = 9"));
    file.exec(QStringLiteral("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber = 10"));
    file.reopen();
    const QString text = Toolkit().buildTextStringForScreenplay(file.story());
    const QString checklist = text.mid(text.indexOf(QStringLiteral("\n\nGREENLIGHT CHECKLIST\n")));
    struct Row {
        std::int64_t question;
        const char* mark;
    };
    // Ticked, missing (unanswered) and unticked questions.
    for (const Row& row : {Row{9, "X"}, Row{10, "__"}, Row{11, "__"}}) {
        SCOPED_TRACE(row.question);
        const QString line = QLatin1String(row.mark) + u' ' + greenlightQuestion(row.question) + u'\n';
        EXPECT_EQ(checklist.count(line), 1);
    }
    for (const GreenlightSection& section : greenlightSections()) {
        SCOPED_TRACE(section.title);
        EXPECT_TRUE(checklist.contains(u'\n' + QString::fromUtf8(section.title) + u'\n'));
    }
    EXPECT_EQ(checklist.count(QStringLiteral("\nX ")), 1);
    EXPECT_EQ(checklist.count(QStringLiteral("\n__ ")), 54);
}
