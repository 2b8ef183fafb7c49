#include "model/DatabaseError.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "support/SampleCopy.h"
#include "support/TempStory.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <map>
#include <set>

namespace {

// Columns of each table of a story file, in the order the file declares them.
std::map<QString, std::vector<QString>> schemaOf(sqlite3* db)
{
    std::map<QString, std::vector<QString>> tables;
    sqlite3_stmt* list = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &list, nullptr);
    while (sqlite3_step(list) == SQLITE_ROW) {
        const QString table = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
        sqlite3_stmt* columns = nullptr;
        sqlite3_prepare_v2(db, QStringLiteral("PRAGMA table_info(%1)").arg(table).toUtf8().constData(), -1, &columns,
                           nullptr);
        while (sqlite3_step(columns) == SQLITE_ROW)
            tables[table].push_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns, 1))));
        sqlite3_finalize(columns);
    }
    sqlite3_finalize(list);
    return tables;
}

bool hasColumn(const std::vector<QString>& columns, const char* name)
{
    return std::find(columns.begin(), columns.end(), QString::fromLatin1(name)) != columns.end();
}

} // namespace

TEST(StoryTemplate, HoldsTheEighteenTablesWithTheirColumnsAndNoRows)
{
    TempStory file;
    const auto tables = schemaOf(file.db());
    const std::map<QString, std::vector<const char*>> expected = {
        {"Screenplay", {"ScreenplayID", "ScreenplayGUID", "VantoraVersion", "ScreenplayTitle", "PageCount", "GeneralNotes",
                        "Genre", "CreateDate", "ProgressStage", "OwnerSerialNumber", "OwnerFirstName", "OwnerLastName",
                        "ReturnDestination", "ReviewType", "BoardWidth", "BoardHeight", "WindowState",
                        "BoardZoomFactor", "LogLineSplitterDistance", "GeneralNotesSplitterDistance",
                        "BeatsSplitterDistance", "BoardSplitterDistance", "ParentWindowHeight", "ParentWindowWidth",
                        "GeneralNotesHeight", "GeneralNotesWidth", "LastModifiedDate", "BoardView", "BigSceneView",
                        "BigSceneSceneCardID", "BoardListSortMethod", "BoardListFilterColorID",
                        "BoardListFilterCharacterID", "BoardListFilterLocationID", "StandardFontSetting",
                        "R3x5IncludeNotes", "R3x5IncludeCharacters", "R4x6IncludeNotes", "R4x6IncludeCharacters",
                        "A3x5IncludeNotes", "A3x5IncludeCharacters", "ABCIncludeNotes", "ABCIncludeCharacters",
                        "GreenlightChecklistPercentageHorizontal", "GreenlightChecklistPercentageVertical",
                        "BeatSectionShowing", "BeatSectionCharacterID", "BeatSectionLocationID"}},
        {"SceneCard", {"SceneCardID", "ScreenplayID", "Heading", "SceneLocationID", "Description", "Notes", "Script",
                       "EmotionalChange", "EmotionalChangeType", "Conflict", "BeatCardNumber", "PageNumber",
                       "PositionLeft", "PositionTop", "PercentageHorizontal", "PercentageVertical", "OnBoard",
                       "SortOrder", "StartDateTime", "EndDateTime", "ColorLegend1ID", "ColorLegend2ID",
                       "ColorLegend3ID", "ColorLegend4ID", "ColorLegend5ID", "ColorLegend6ID", "SceneNumber",
                       "CurrentBeatSection"}},
        {"ScriptPart", {"ScriptPartID", "SceneCardID", "SortOrder", "ElementTypeID", "ScriptText"}},
        {"ScriptElement", {"ScriptElementID", "ElementType", "LeftIndent", "RightIndent", "Alignment"}},
        {"Beat", {"BeatID", "ScreenplayID", "BeatNumber", "Description"}},
        {"Logline", {"LoglineID", "ScreenplayID", "Logline", "CurrentLoglineFlag"}},
        {"GreenlightChecklistQuestion", {"GreenlightChecklistQuestionID", "ScreenplayID", "QuestionNumber", "Answer"}},
        {"Character", {"CharacterID", "ScreenplayID", "CharacterName", "Age", "Gender", "Description", "Wants", "Needs",
                       "Notes", "NeedsFixing1", "NeedsFixing1Notes", "NeedsFixing2", "NeedsFixing2Notes",
                       "NeedsFixing3", "NeedsFixing3Notes", "NeedsFixing4", "NeedsFixing4Notes", "NeedsFixing5",
                       "NeedsFixing5Notes", "NeedsFixing6", "NeedsFixing6Notes"}},
        {"SceneLocation", {"SceneLocationID", "ScreenplayID", "Location", "Description", "Notes"}},
        {"ColorCode", {"ColorCodeID", "ScreenplayID", "Description", "RedValue", "GreenValue", "BlueValue", "AlphaValue"}},
        {"StickyNote", {"StickyNoteID", "ScreenplayID", "Title", "Note", "PositionLeft", "PositionTop",
                        "PercentageHorizontal", "PercentageVertical", "SizeWidth", "SizeHeight", "Color", "TextNote"}},
        {"AttachedObject", {"AttachedObjectID", "ScreenplayID", "Title", "Description", "ObjectType", "CurrentView",
                            "FileName", "PositionLeft", "PositionTop", "PercentageHorizontal", "PercentageVertical",
                            "SizeHeight", "SizeWidth", "Color", "LastFullImageWidth", "LastFullImageHeight",
                            "TextDescription", "MimeType", "Thumbnail", "AttachedObject"}},
        {"CharacterObject", {"CharacterObjectID", "CharacterID", "AttachedObjectID", "Description", "PrimaryDisplayFlag"}},
        {"SceneLocationObject",
         {"SceneLocationObjectID", "SceneLocationID", "AttachedObjectID", "Description", "PrimaryDisplayFlag"}},
        {"SceneCardObject", {"SceneCardObjectID", "SceneCardID", "AttachedObjectID", "Description", "PrimaryDisplayFlag"}},
        {"SceneCardCharacter", {"SceneCardCharacterID", "SceneCardID", "CharacterID", "Description"}},
        {"SceneSetup", {"SceneSetupID", "SceneCardID", "SceneSetup", "ScenePayoffID"}},
        {"ScenePayoff", {"ScenePayoffID", "SceneCardID", "ScenePayoff"}},
    };
    ASSERT_EQ(tables.size(), 18u);
    for (const auto& [table, columns] : expected) {
        ASSERT_TRUE(tables.count(table)) << table.toStdString();
        EXPECT_EQ(tables.at(table).size(), columns.size()) << table.toStdString();
        for (const char* column : columns)
            EXPECT_TRUE(hasColumn(tables.at(table), column)) << table.toStdString() << "." << column;
        EXPECT_EQ(file.count(table), 0) << table.toStdString();
    }
    // The key of every table is its row id.
    for (const auto& [table, columns] : expected) {
        const QString pk = file.scalar(
            QStringLiteral("SELECT name FROM pragma_table_info('%1') WHERE pk=1").arg(table));
        EXPECT_EQ(pk, table + QStringLiteral("ID"));
    }
    EXPECT_EQ(file.scalar("SELECT count(*) FROM sqlite_master WHERE type='index' AND name='idxScriptPartSortOrder'"), "1");
}

TEST(StoryTemplate, CopyIsWritableAndReplacesAnExistingFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("Copy.vtrsf");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("not a story");
    }
    ASSERT_TRUE(StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path));
    EXPECT_TRUE(QFileInfo(path).isWritable());
    DatabaseConnection connection = StoryFile::open(path);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(connection.get(), "INSERT INTO Beat (ScreenplayID,BeatNumber,Description) VALUES (1,1,'x')",
                           nullptr, nullptr, &error),
              SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
}

TEST(StoryFileOpen, MissingOrDamagedFilesAreErrorsNeverNewDatabases)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("Missing.vtrsf");
    try {
        StoryFile::open(missing);
        FAIL() << "opening a missing file must fail";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().startsWith("Error: failed to open database with message '"));
    }
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString damaged = folder.filePath("Damaged.vtrsf");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_THROW(StoryFile::open(damaged), DatabaseError);
}

namespace {

// A file as older versions made it: no script-part index and no MimeType column, with rows.
void writeLegacyFile(const QString& path)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const char* script =
        "CREATE TABLE Screenplay (ScreenplayID INTEGER PRIMARY KEY, ScreenplayTitle text, ProgressStage integer,"
        " ReviewType integer, LastModifiedDate text);"
        "INSERT INTO Screenplay VALUES (1,'Old Story',1,0,'2012-01-02 00:00:00');"
        "CREATE TABLE ScriptPart (ScriptPartID INTEGER PRIMARY KEY, SceneCardID integer, SortOrder integer,"
        " ElementTypeID integer, ScriptText text);"
        "INSERT INTO ScriptPart VALUES (1,4,1,2,'FADE IN:');"
        "CREATE TABLE AttachedObject (AttachedObjectID INTEGER PRIMARY KEY, ScreenplayID integer, Title text,"
        " Thumbnail blob, AttachedObject blob);"
        "INSERT INTO AttachedObject (ScreenplayID,Title) VALUES (1,'Map');"
        "INSERT INTO AttachedObject (ScreenplayID,Title) VALUES (1,'Photo');";
    ASSERT_EQ(sqlite3_exec(db, script, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QString schemaText(sqlite3* db)
{
    QString text;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master ORDER BY name", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        text += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))) + '\n';
    sqlite3_finalize(statement);
    return text;
}

} // namespace

TEST(StoryFileUpgrade, OlderFileGainsIndexAndMimeTypeKeepingItsRows)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("Legacy.vtrsf");
    writeLegacyFile(path);

    QString afterFirstOpen;
    {
        DatabaseConnection connection = StoryFile::open(path);
        Screenplaydb story;
        story.initWithDatabase(connection.get());
        EXPECT_EQ(story.screenplayID(), 1);
        EXPECT_EQ(story.screenplayTitle(), "Old Story");
        afterFirstOpen = schemaText(connection.get());
        story.finalizeAllSqliteStatements();
    }
    EXPECT_TRUE(afterFirstOpen.contains("idxScriptPartSortOrder"));
    // Reading a scene's paragraphs by card has its index on older files too.
    EXPECT_TRUE(afterFirstOpen.contains("CREATE INDEX idxScriptPartSceneCard on ScriptPart (SceneCardID,SortOrder)"));
    EXPECT_TRUE(afterFirstOpen.contains("MimeType"));

    DatabaseConnection connection = StoryFile::open(path);
    Screenplaydb story;
    story.initWithDatabase(connection.get());
    // A second open changes nothing.
    EXPECT_EQ(schemaText(connection.get()), afterFirstOpen);

    sqlite3_stmt* rows = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(connection.get(), "SELECT Title, MimeType FROM AttachedObject ORDER BY AttachedObjectID",
                                 -1, &rows, nullptr),
              SQLITE_OK);
    std::vector<std::pair<QString, QString>> seen;
    while (sqlite3_step(rows) == SQLITE_ROW)
        seen.emplace_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 0))),
                          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 1))));
    sqlite3_finalize(rows);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(QString("Map"), QString("")));
    EXPECT_EQ(seen[1], std::make_pair(QString("Photo"), QString("")));

    sqlite3_stmt* part = nullptr;
    sqlite3_prepare_v2(connection.get(), "SELECT ScriptText FROM ScriptPart WHERE ScriptPartID=1", -1, &part, nullptr);
    ASSERT_EQ(sqlite3_step(part), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(part, 0)), "FADE IN:");
    sqlite3_finalize(part);
    story.finalizeAllSqliteStatements();

    // A whole story that an older version wrote passes the checks of the window's opening.
    SampleCopy older;
    older.exec("ALTER TABLE AttachedObject DROP COLUMN MimeType; DROP INDEX idxScriptPartSortOrder; "
               "INSERT INTO AttachedObject (ScreenplayID, Title) SELECT ScreenplayID, 'Map' FROM Screenplay");
    loadStoryFile(older.path()).story->finalizeAllSqliteStatements();
    EXPECT_EQ(older.scalar("SELECT Title || '|' || MimeType FROM AttachedObject"), "Map|");
    EXPECT_EQ(older.scalar("SELECT count(*) FROM sqlite_master WHERE name = 'idxScriptPartSortOrder'"), "1");
}

TEST(StoryFileUpgrade, AnUpgradeThatCannotBeMadeRefusesTheOpenAndChangesNothing)
{
    struct Row {
        const char* what;
        const char* damage; // run on an older file before it is opened
    };
    const Row rows[] = {
        {"the sort index's name is taken", "CREATE TABLE idxScriptPartSortOrder (x)"},
        {"the card index's name is taken", "CREATE TABLE idxScriptPartSceneCard (x)"},
        {"the attachments table is missing", "DROP TABLE AttachedObject"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir folder;
        const QString path = folder.filePath("Legacy.vtrsf");
        writeLegacyFile(path);
        QString before;
        {
            DatabaseConnection connection = StoryFile::open(path);
            ASSERT_EQ(sqlite3_exec(connection.get(), row.damage, nullptr, nullptr, nullptr), SQLITE_OK);
            before = schemaText(connection.get());
        }
        {
            DatabaseConnection connection = StoryFile::open(path);
            Screenplaydb story;
            EXPECT_THROW(story.initWithDatabase(connection.get()), DatabaseError);
            story.finalizeAllSqliteStatements();
        }
        // Nothing of the upgrade stays behind, not even the parts that could be made.
        DatabaseConnection connection = StoryFile::open(path);
        EXPECT_EQ(schemaText(connection.get()), before);
    }
}

TEST(StoryFileUpgrade, UpToDateFileOpensWithoutSchemaChange)
{
    TempStory file;
    const QString before = schemaText(file.db());
    file.reopen();
    EXPECT_EQ(schemaText(file.db()), before);
    EXPECT_EQ(file.story().screenplayID(), 0); // the template holds no Screenplay row
}

TEST(StatementCache, PreparesOnceAndAgainAfterFinalizing)
{
    TempStory file;
    Screenplaydb& story = file.story();
    SceneCarddb card;
    card.insertIntoDatabase(&story);
    EXPECT_TRUE(story.hasStatement("sceneCard_insert_statement"));
    const std::size_t prepared = story.statementCount();
    SceneCarddb second;
    second.insertIntoDatabase(&story);
    EXPECT_EQ(story.statementCount(), prepared);

    story.finalizeAllSqliteStatements();
    EXPECT_EQ(story.statementCount(), 0u);
    SceneCarddb third;
    third.insertIntoDatabase(&story);
    EXPECT_TRUE(story.hasStatement("sceneCard_insert_statement"));
    EXPECT_EQ(file.count("SceneCard"), 3);
}

TEST(StatementCache, FailedPrepareRaisesWithTheSourceAndKeepsNothing)
{
    TempStory file;
    file.exec("DROP TABLE SceneCard");
    SceneCarddb card;
    try {
        card.insertIntoDatabase(&file.story());
        FAIL() << "prepare against a missing table must raise";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.source(), "SceneCarddb");
        EXPECT_EQ(error.message(), "Error: failed to prepare statement with message 'no such table: SceneCard'.");
        EXPECT_GT(error.line(), 0);
    }
    EXPECT_FALSE(file.story().hasStatement("sceneCard_insert_statement"));
    EXPECT_EQ(card.sceneCardID(), 0);
}
