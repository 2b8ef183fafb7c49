// Story files that cannot be used as they are: refused with their reason in plain words and
// left byte for byte as they were, and stored values out of range brought into range.
#include "model/DatabaseError.h"
#include "model/DateUtilities.h"
#include "model/GreenlightChecklistQuestiondb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/SqliteStatement.h"
#include "model/StoryFile.h"
#include "support/SampleCopy.h"
#include "support/SqlProbe.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <limits>
#include <memory>
#include <utility>

namespace {

const QString kSampleName = QStringLiteral("\u201cSample - The Last Balloon Race.vtrsf\u201d");

// The message of the refusal of `path`, or "" when the story opened.
QString refusalOf(const QString& path)
{
    try {
        LoadedStory loaded = loadStoryFile(path);
        loaded.story->finalizeAllSqliteStatements();
    } catch (const StoryFileRefused& refusal) {
        return refusal.message();
    }
    return QString();
}

// Overwrites `count` bytes of the file's page `page` (numbered from 1) from `offset` on.
void damagePage(const SampleCopy& copy, int page, int offset, int count)
{
    QByteArray bytes = copy.bytes();
    const int pageSize = copy.scalar("PRAGMA page_size").toInt();
    for (int i = 0; i < count; ++i)
        bytes[(page - 1) * pageSize + offset + i] = static_cast<char>(0xA5 ^ i);
    copy.setBytes(bytes);
}

// Zeroes the last `count` bytes of the file's page `page` (numbered from 1).
void zeroPageTail(const SampleCopy& copy, int page, int count)
{
    QByteArray bytes = copy.bytes();
    const int pageSize = copy.scalar("PRAGMA page_size").toInt();
    bytes.replace(page * pageSize - count, count, QByteArray(count, '\0'));
    copy.setBytes(bytes);
}

// The first page of the table's rows.
int leafOf(const SampleCopy& copy, const char* table)
{
    return copy
        .scalar(QStringLiteral("SELECT min(pageno) FROM dbstat WHERE name='%1' AND pagetype='leaf'")
                    .arg(QLatin1String(table)))
        .toInt();
}

} // namespace

TEST(StoryFileRefusal, UnusableFilesAreRefusedWithTheirReasonAndLeftByteForByte)
{
    struct Case {
        const char* name;
        std::function<void(const SampleCopy&)> damage;
        const char* reason;
        // Words the message's detail holds, when the case names them.
        const char* detail = nullptr;
    };
    const Case cases[] = {
        {"read-only file",
         [](const SampleCopy& copy) { QFile::setPermissions(copy.path(), QFileDevice::ReadOwner); },
         "cannot be opened because the file is read-only."},
        {"read-only folder",
         [](const SampleCopy& copy) {
             QFile::setPermissions(copy.folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
         },
         "cannot be opened because its folder is read-only."},
        // A file without the story's row opens only when it holds no row at all: it has lost it.
        {"no story row", [](const SampleCopy& copy) { copy.exec("DELETE FROM Screenplay"); },
         "is damaged and cannot be opened.",
         "The story's own row is missing, yet the file holds rows of the table SceneCard."},
        {"no story row, and one card",
         [](const SampleCopy& copy) {
             copy.exec("DELETE FROM Screenplay; DELETE FROM Logline; DELETE FROM GreenlightChecklistQuestion; "
                       "DELETE FROM Character; DELETE FROM SceneLocation; DELETE FROM ColorCode; DELETE FROM "
                       "StickyNote; DELETE FROM AttachedObject; DELETE FROM Beat; DELETE FROM SceneCard WHERE "
                       "SceneCardID <> 3");
         },
         "is damaged and cannot be opened.",
         "The story's own row is missing, yet the file holds rows of the table SceneCard."},
        {"two story rows",
         [](const SampleCopy& copy) {
             copy.exec("INSERT INTO Screenplay (ScreenplayTitle) SELECT ScreenplayTitle FROM Screenplay");
         },
         "is not a Vantora story.", "The file holds more than one story."},
        {"a card of another story",
         [](const SampleCopy& copy) { copy.exec("UPDATE SceneCard SET ScreenplayID=99 WHERE SceneCardID=3"); },
         "is not a Vantora story.", "Rows of the table SceneCard belong to another story."},
        {"a location of story 0 and a beat of another",
         [](const SampleCopy& copy) {
             copy.exec("UPDATE SceneLocation SET ScreenplayID=0 WHERE rowid=(SELECT min(rowid) FROM SceneLocation)");
             copy.exec("UPDATE Beat SET ScreenplayID=ScreenplayID+1 WHERE rowid=(SELECT max(rowid) FROM Beat)");
         },
         "is not a Vantora story.", "Rows of the table SceneLocation belong to another story."},
        {"a beat of another story",
         [](const SampleCopy& copy) {
             copy.exec("UPDATE Beat SET ScreenplayID=ScreenplayID+1 WHERE rowid=(SELECT max(rowid) FROM Beat)");
         },
         "is not a Vantora story.", "Rows of the table Beat belong to another story."},
        {"a card whose story is a text",
         [](const SampleCopy& copy) { copy.exec("UPDATE SceneCard SET ScreenplayID='one' WHERE SceneCardID=3"); },
         "is not a Vantora story."},
        // Another program's changes: the file is a story, but one the program cannot keep as it is.
        {"a trigger that deletes every card",
         [](const SampleCopy& copy) {
             copy.exec("CREATE TRIGGER wipe AFTER UPDATE ON Screenplay BEGIN DELETE FROM SceneCard; END");
         },
         "cannot be opened because another program changed it.",
         "It added a trigger named \u201cwipe\u201d, which would change the story by itself as it is edited."},
        {"a view", [](const SampleCopy& copy) { copy.exec("CREATE VIEW Cards AS SELECT * FROM SceneCard"); },
         "cannot be opened because another program changed it.", "It added a view named \u201cCards\u201d."},
        // Another program's column that a new card cannot leave out: adding cards would fail.
        {"a column that every card must fill",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'CurrentBeatSection "
                       "integer NOT NULL DEFAULT 1', 'CurrentBeatSection integer NOT NULL DEFAULT 1, MyTag text NOT "
                       "NULL') WHERE name='SceneCard'; PRAGMA writable_schema=OFF;");
             copy.exec("UPDATE SceneCard SET MyTag = 'act one'");
         },
         "cannot be opened because another program changed it.",
         "It added a column \u201cMyTag\u201d to the scene cards, which every new scene card would have to fill in."},
        {"a column that every beat must fill",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'Description text NOT "
                       "NULL DEFAULT ''''', 'Description text NOT NULL DEFAULT '''', Reviewer text NOT NULL') WHERE "
                       "name='Beat'; PRAGMA writable_schema=OFF;");
             copy.exec("UPDATE Beat SET Reviewer = 'Dana'");
         },
         "cannot be opened because another program changed it.",
         "It added a column \u201cReviewer\u201d to the beats, which every new beat would have to fill in."},
        {"a column that every card must fill, named in two words",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'CurrentBeatSection "
                       "integer NOT NULL DEFAULT 1', 'CurrentBeatSection integer NOT NULL DEFAULT 1, \"Act Tag\" text "
                       "NOT NULL') WHERE name='SceneCard'; PRAGMA writable_schema=OFF;");
             copy.exec("UPDATE SceneCard SET \"Act Tag\" = 'act one'");
         },
         "cannot be opened because another program changed it.",
         "It added a column \u201cAct Tag\u201d to the scene cards, which every new scene card would have to fill in."},
        // A file with most of the story's tables has lost the others; one with few is no story.
        {"a table missing", [](const SampleCopy& copy) { copy.exec("DROP TABLE Beat"); },
         "is damaged and cannot be opened.", "The story's table Beat is missing."},
        {"a table whose name lost a bit",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET name='Logmine', tbl_name='Logmine', "
                       "sql=replace(sql, 'Logline (', 'Logmine (') WHERE name='Logline'; PRAGMA writable_schema=OFF;");
         },
         "is damaged and cannot be opened.", "The story's table Logline is missing."},
        {"most tables missing",
         [](const SampleCopy& copy) {
             copy.exec("DROP TABLE ScriptPart; DROP TABLE ScriptElement; DROP TABLE Beat; DROP TABLE Logline; "
                       "DROP TABLE GreenlightChecklistQuestion; DROP TABLE Character; DROP TABLE SceneLocation; "
                       "DROP TABLE StickyNote; DROP TABLE AttachedObject; DROP TABLE CharacterObject");
         },
         "is not a Vantora story.", "The file has no table ScriptPart."},
        {"no database at all", [](const SampleCopy& copy) { copy.setBytes(QByteArray(4096, 'q')); },
         "is not a Vantora story."},
        {"one damaged page of the cards",
         [](const SampleCopy& copy) {
             damagePage(copy, copy.scalar("SELECT rootpage FROM sqlite_master WHERE name='SceneCard'").toInt(), 0, 12);
         },
         "is damaged and cannot be opened."},
        {"cut short",
         [](const SampleCopy& copy) { copy.setBytes(copy.bytes().left(copy.bytes().size() / 2)); },
         "is damaged and cannot be opened."},
        // Each row is held to the bytes its own values take: the slack of the sound rows of a
        // table hides none that lost its last bytes.
        {"the last 64 bytes of the story's page zeroed",
         [](const SampleCopy& copy) { zeroPageTail(copy, leafOf(copy, "Screenplay"), 64); },
         "is damaged and cannot be opened.", "The rows of the table Screenplay are not the rows SQLite wrote there."},
        {"the last 64 bytes of a page of scene cards zeroed",
         [](const SampleCopy& copy) { zeroPageTail(copy, leafOf(copy, "SceneCard"), 64); },
         "is damaged and cannot be opened.", "The rows of the table SceneCard are not the rows SQLite wrote there."},
        // Zeroed, a colour's last value reads as a 0 kept in a byte, and its row as long as it was
        // in the layout of a file of an older format; but the row keeps its story's key 1 in no byte,
        // as only a statement of a file of format 4 writes it.
        {"a colour's last value zeroed",
         [](const SampleCopy& copy) {
             copy.exec("UPDATE ColorCode SET Description='Dusk', RedValue=200, GreenValue=100, BlueValue=50, "
                       "AlphaValue=255 WHERE ColorCodeID=1");
             QByteArray bytes = copy.bytes();
             const qsizetype alpha = bytes.indexOf(QByteArray("Dusk\x00\xc8\x64\x32\x00\xff", 10)) + 8;
             ASSERT_GT(alpha, 8);
             bytes[alpha + 1] = '\0';
             copy.setBytes(bytes);
         },
         "is damaged and cannot be opened.", "The rows of the table ColorCode are not the rows SQLite wrote there."},
        {"cut short by 128 bytes",
         [](const SampleCopy& copy) { copy.setBytes(copy.bytes().chopped(128)); },
         "is damaged and cannot be opened.", "The pages of the table SceneCard are not the pages SQLite wrote there."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SampleCopy copy;
        const QString cardsBefore = copy.scalar("SELECT count(*) FROM SceneCard");
        test.damage(copy);
        const QByteArray before = copy.bytes();
        const QString message = refusalOf(copy.path());
        EXPECT_TRUE(message.startsWith(kSampleName + QStringLiteral(" ") + QString::fromUtf8(test.reason)))
            << message.toStdString();
        if (test.detail) {
            EXPECT_TRUE(message.contains(QString::fromUtf8(test.detail))) << message.toStdString();
        }
        EXPECT_EQ(copy.bytes(), before);
        if (QString::fromUtf8(test.name).startsWith(QLatin1String("a trigger"))) {
            EXPECT_EQ(copy.scalar("SELECT count(*) FROM SceneCard"), cardsBefore);
        }
    }
}

namespace {

// Swaps the first pages of two tables: each then reads the other's rows as its own.
void swapFirstPages(const SampleCopy& copy, const char* one, const char* other)
{
    const int pageSize = copy.scalar("PRAGMA page_size").toInt();
    const int first = copy.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='%1'").arg(QLatin1String(one))).toInt();
    const int second =
        copy.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='%1'").arg(QLatin1String(other))).toInt();
    QByteArray bytes = copy.bytes();
    const QByteArray page = bytes.mid((first - 1) * pageSize, pageSize);
    bytes.replace((first - 1) * pageSize, pageSize, bytes.mid((second - 1) * pageSize, pageSize));
    bytes.replace((second - 1) * pageSize, pageSize, page);
    copy.setBytes(bytes);
}


// Copies the story row by row, as its dump read back does, into a new file that `prepare` sets
// up first, and puts the copy in the story's place.
void copyRowByRow(const SampleCopy& copy, const std::function<void(sqlite3*)>& prepare)
{
    using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;
    const QString path = copy.folder() + QStringLiteral("/copy.db");
    const auto open = [](const QString& file) {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(file).constData(), &raw);
        return Connection(raw, &sqlite3_close);
    };
    {
        const Connection story = open(copy.path());
        const Connection target = open(path);
        prepare(target.get());
        SqlProbe::exec(target.get(), SqlProbe::scalar(story.get(), QStringLiteral("SELECT group_concat(sql, ';') FROM "
                                                                                 "sqlite_master")));
        SqlProbe::exec(target.get(), QStringLiteral("BEGIN"));
        for (const QString& table : SqlProbe::scalar(story.get(), QStringLiteral("SELECT group_concat(name, ' ') "
                                                                                 "FROM sqlite_master WHERE type = "
                                                                                 "'table'"))
                                        .split(QLatin1Char(' '))) {
            sqlite3_stmt* rows = nullptr;
            sqlite3_prepare_v2(story.get(), qPrintable(QStringLiteral("SELECT * FROM %1").arg(table)), -1, &rows,
                               nullptr);
            const int columns = sqlite3_column_count(rows);
            QStringList places;
            for (int column = 1; column <= columns; ++column)
                places << QStringLiteral("?%1").arg(column);
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(target.get(),
                               qPrintable(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, places.join(','))),
                               -1, &insert, nullptr);
            while (sqlite3_step(rows) == SQLITE_ROW) {
                for (int column = 0; column < columns; ++column)
                    sqlite3_bind_value(insert, column + 1, sqlite3_column_value(rows, column));
                EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE) << table.toStdString();
                sqlite3_reset(insert);
            }
            sqlite3_finalize(insert);
            sqlite3_finalize(rows);
        }
        SqlProbe::exec(target.get(), QStringLiteral("COMMIT"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    copy.setBytes(file.readAll());
}

void copyIntoUtf16(const SampleCopy& copy)
{
    copyRowByRow(copy, [](sqlite3* file) { SqlProbe::exec(file, QStringLiteral("PRAGMA encoding = 'UTF-16le'")); });
    EXPECT_EQ(copy.scalar("PRAGMA encoding"), "UTF-16le");
}

// A file of SQLite's first format, made as its tool makes one from a dump with its legacy file
// format switched on, then rewritten by `sql`: VACUUM (or VACUUM INTO the path %1, which takes
// the story's place) writes a header of format 4 and keeps the records as they were.
std::function<void(const SampleCopy&)> formatOneRewritten(const char* sql)
{
    return [sql](const SampleCopy& copy) {
        copyRowByRow(copy,
                     [](sqlite3* file) { sqlite3_db_config(file, SQLITE_DBCONFIG_LEGACY_FILE_FORMAT, 1, nullptr); });
        ASSERT_EQ(copy.bytes().at(47), 1);
        const QString into = copy.folder() + QStringLiteral("/into.db");
        copy.exec(QString::fromUtf8(sql).replace(QLatin1String("%1"), into));
        QFile vacuumed(into);
        if (vacuumed.open(QIODevice::ReadOnly))
            copy.setBytes(vacuumed.readAll());
        EXPECT_EQ(copy.bytes().at(47), 4);
    };
}

} // namespace

TEST(StoryFileRefusal, AStoryThatBreaksItsOwnRulesIsRefusedAsDamagedAndLeftAsItWas)
{
    struct Case {
        const char* name;
        std::function<void(const SampleCopy&)> damage;
        const char* detail;
    };
    const Case cases[] = {
        {"a card whose board state is a text",
         [](const SampleCopy& copy) { copy.exec("UPDATE SceneCard SET OnBoard='board' WHERE SceneCardID=3"); },
         "The column OnBoard of the table SceneCard holds a value of the wrong kind."},
        {"a beat number that is a double",
         [](const SampleCopy& copy) { copy.exec("UPDATE Beat SET BeatNumber=2.5 WHERE BeatNumber=2"); },
         "The column BeatNumber of the table Beat holds a value of the wrong kind."},
        // A zeroed sector leaves a text's length and zeroes its bytes; no story holds a NUL.
        {"a heading that lost its last letters",
         [](const SampleCopy& copy) {
             copy.exec("UPDATE SceneCard SET Heading='INT. BALL' || char(0, 0, 0) WHERE SceneCardID=3");
         },
         "The column Heading of the table SceneCard holds a text whose letters were lost: zeros stand in their "
         "place."},
        {"a beat that lost its last letters in a file of UTF-16 texts",
         [](const SampleCopy& copy) {
             copyIntoUtf16(copy);
             copy.exec("UPDATE Beat SET Description=Description || char(0) WHERE BeatNumber=2");
         },
         "The column Description of the table Beat holds a text whose letters were lost: zeros stand in their "
         "place."},
        {"a heading that is a blob",
         [](const SampleCopy& copy) { copy.exec("UPDATE SceneCard SET Heading=x'00ff' WHERE SceneCardID=3"); },
         "The column Heading of the table SceneCard holds a value of the wrong kind."},
        {"a card fraction that is a text",
         [](const SampleCopy& copy) { copy.exec("UPDATE SceneCard SET PercentageVertical='low' WHERE SceneCardID=3"); },
         "The column PercentageVertical of the table SceneCard holds a value of the wrong kind."},
        {"a beat numbered twice",
         [](const SampleCopy& copy) { copy.exec("UPDATE Beat SET BeatNumber=2 WHERE BeatNumber=3"); },
         "A beat of the story is numbered twice or outside 1 to 15."},
        {"a sixteenth beat",
         [](const SampleCopy& copy) { copy.exec("INSERT INTO Beat (ScreenplayID,BeatNumber) VALUES (1,16)"); },
         "A beat of the story is numbered twice or outside 1 to 15."},
        {"a checklist question numbered 56",
         [](const SampleCopy& copy) {
             copy.exec("UPDATE GreenlightChecklistQuestion SET QuestionNumber=56 WHERE QuestionNumber=55");
         },
         "A question of the greenlight checklist is numbered twice or outside 1 to 55."},
        {"a checklist question numbered twice",
         [](const SampleCopy& copy) {
             copy.exec("UPDATE GreenlightChecklistQuestion SET QuestionNumber=7 WHERE QuestionNumber=8");
         },
         "A question of the greenlight checklist is numbered twice or outside 1 to 55."},
        {"two current loglines",
         [](const SampleCopy& copy) { copy.exec("UPDATE Logline SET CurrentLoglineFlag=1"); },
         "The story's loglines are not marked as they are written."},
        {"a colour of 300",
         [](const SampleCopy& copy) { copy.exec("UPDATE ColorCode SET GreenValue=300 WHERE rowid=2"); },
         "A colour code of the story holds a colour value outside 0 to 255."},
        {"the script index out of step with its paragraphs",
         [](const SampleCopy& copy) {
             // The index's definition changed under it: its entries no longer follow the rows,
             // which SQLite's quick check does not see.
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql='CREATE INDEX idxScriptPartSceneCard "
                       "on ScriptPart (SortOrder,SceneCardID)' WHERE name='idxScriptPartSceneCard'; "
                       "PRAGMA writable_schema=OFF;");
             EXPECT_EQ(copy.scalar("PRAGMA quick_check"), "ok");
         },
         "idxScriptPartSceneCard"},
        {"a key that is no longer the row id",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'ScriptElementID INTEGER "
                       "PRIMARY KEY', 'ScriptElementID INTEGER QRIMARY KEY') WHERE name='ScriptElement'; "
                       "PRAGMA writable_schema=OFF;");
         },
         "The table ScriptElement has no key of its own."},
        // The story's statements name every column: a file that lost one, or declares it of
        // another kind, is refused before any of them runs.
        {"a column whose name lost a bit",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'ScreenplayID integer', "
                       "'ScreenqlayID integer') WHERE name='Beat'; PRAGMA writable_schema=OFF;");
         },
         "The table Beat has lost its column ScreenplayID."},
        {"a column renamed",
         [](const SampleCopy& copy) { copy.exec("ALTER TABLE SceneCard RENAME COLUMN Heading TO Title"); },
         "The table SceneCard has lost its column Heading."},
        {"a column renamed to two words, the first its old name",
         [](const SampleCopy& copy) { copy.exec("ALTER TABLE SceneCard RENAME COLUMN Heading TO \"Heading Old\""); },
         "The table SceneCard has lost its column Heading."},
        {"a column dropped", [](const SampleCopy& copy) { copy.exec("ALTER TABLE Character DROP COLUMN Wants"); },
         "The table Character has lost its column Wants."},
        // The rows were written while the table lacked its last column, which then came back: a
        // story's rows hold every column a story has.
        {"rows that lack the cards' last column",
         [](const SampleCopy& copy) {
             copy.exec("ALTER TABLE SceneCard DROP COLUMN CurrentBeatSection");
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'SceneNumber text NOT "
                       "NULL DEFAULT ''''', 'SceneNumber text NOT NULL DEFAULT '''', CurrentBeatSection integer NOT "
                       "NULL DEFAULT 1') WHERE name='SceneCard'; PRAGMA writable_schema=OFF;");
         },
         "The rows of the table SceneCard are not the rows SQLite wrote there."},
        {"a column of texts declared as numbers",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'Description text', "
                       "'Description integer') WHERE name='Beat'; PRAGMA writable_schema=OFF;");
         },
         "The column Description of the table Beat is not of the kind a story keeps there."},
        // A statement of the checks that the file's schema cannot run.
        {"a column ordered by a collation that does not exist",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'BeatNumber integer', "
                       "'BeatNumber integer COLLATE nocasf') WHERE name='Beat'; PRAGMA writable_schema=OFF;");
         },
         "no such collation sequence: nocasf"},
        // SQLite's own check sees numbers in a column declared for texts.
        {"a column of numbers declared as text",
         [](const SampleCopy& copy) {
             copy.exec("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'BeatNumber integer', "
                       "'BeatNumber text') WHERE name='Beat'; PRAGMA writable_schema=OFF;");
         },
         "NUMERIC value in Beat.BeatNumber"},
        {"the pages of set-ups and pay-offs swapped",
         [](const SampleCopy& copy) { swapFirstPages(copy, "SceneSetup", "ScenePayoff"); },
         "missing from index idxSceneSetupSceneCard"},
        {"the pages of loglines and colour codes swapped",
         [](const SampleCopy& copy) { swapFirstPages(copy, "Logline", "ColorCode"); },
         "are not the rows SQLite wrote there."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SampleCopy copy;
        test.damage(copy);
        const QByteArray before = copy.bytes();
        const QString message = refusalOf(copy.path());
        EXPECT_TRUE(message.startsWith(kSampleName + QStringLiteral(" is damaged and cannot be opened.\n\n")))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(test.detail))) << message.toStdString();
        EXPECT_EQ(copy.bytes(), before);
    }
}

TEST(StoryFileOpen, AStoryOfFiftyChecklistQuestionsOpensWithFiftyFive)
{
    SampleCopy copy;
    copy.exec("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber > 50");
    LoadedStory loaded = loadStoryFile(copy.path());
    const auto& questions = loaded.story->greenlightChecklistQuestions();
    ASSERT_EQ(questions.size(), 55u);
    for (std::size_t index = 0; index < questions.size(); ++index)
        EXPECT_EQ(questions[index]->questionNumber(), static_cast<std::int64_t>(index) + 1);
    EXPECT_EQ(questions.back()->answer(), "N");
    loaded.story->finalizeAllSqliteStatements();
    loaded = LoadedStory();
    EXPECT_EQ(copy.scalar("SELECT count(DISTINCT QuestionNumber) FROM GreenlightChecklistQuestion"), "55");
}

TEST(StoryFileRefusal, SqliteWordsComeOnlyAsTheDetailAfterThePlainReason)
{
    SampleCopy copy;
    copy.setBytes(QByteArray(4096, 'q'));
    const QString message = refusalOf(copy.path());
    const QStringList parts = message.split(QStringLiteral("\n\n"));
    ASSERT_EQ(parts.size(), 2) << message.toStdString();
    EXPECT_EQ(parts[0], kSampleName + QStringLiteral(" is not a Vantora story."));
    EXPECT_EQ(parts[1], "file is not a database");
}

TEST(StoryFileOpen, OpeningAndClosingASoundStoryWritesNothing)
{
    for (const char* sample : {"Sample - The Last Balloon Race.vtrsf", "Sample - Kessler Pass.vtrsf"}) {
        SCOPED_TRACE(sample);
        SampleCopy copy{QString::fromUtf8(sample)};
        // Opening rewrites the story's row with the day of opening: a story last written today
        // is the one whose opening changes no value.
        copy.exec(QStringLiteral("UPDATE Screenplay SET LastModifiedDate='%1'")
                      .arg(DateUtilities::format(DateUtilities::DateTime{DateUtilities::now().date},
                                                 QString::fromLatin1(DateUtilities::kStoredFormat))));
        const QByteArray before = copy.bytes();
        {
            LoadedStory loaded = loadStoryFile(copy.path());
            EXPECT_FALSE(loaded.story->sceneCards().empty());
            EXPECT_TRUE(loaded.story->loadAdjustments().isEmpty());
            loaded.story->finalizeAllSqliteStatements();
        }
        EXPECT_EQ(copy.bytes(), before);
    }
}

TEST(StoryFileOpen, AStoryOpenedForTheWindowKeepsTheUsualCacheAndNoMemoryMap)
{
    // Opening reads the whole file through a large cache, never through a memory map; the
    // connection the window keeps has the usual cache once the story is in memory, and so does
    // one opened again for the same window.
    const auto settingOf = [](sqlite3* database, const char* pragma) {
        return SqlProbe::scalar(database, QStringLiteral("PRAGMA %1").arg(QLatin1String(pragma))).toLongLong();
    };
    struct Way {
        const char* name;
        std::function<DatabaseConnection(const QString&)> open;
    };
    const Way ways[] = {
        {"read into a story",
         [](const QString& path) {
             LoadedStory loaded = loadStoryFile(path);
             loaded.story->finalizeAllSqliteStatements();
             return std::move(loaded.connection);
         }},
        {"opened again", [](const QString& path) { return StoryFile::openStory(path); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        SampleCopy copy;
        DatabaseConnection connection = way.open(copy.path());
        ASSERT_TRUE(connection);
        EXPECT_EQ(settingOf(connection.get(), "mmap_size"), 0);
        EXPECT_EQ(settingOf(connection.get(), "cache_size"), -2000);
    }
    // While it is read, the large cache is in place.
    SampleCopy copy;
    DatabaseConnection reading = StoryFile::openStoryForReading(copy.path());
    EXPECT_EQ(settingOf(reading.get(), "mmap_size"), 0);
    EXPECT_EQ(settingOf(reading.get(), "cache_size"), -32768);
}

TEST(StoryFileOpen, AnOlderSchemaGainsOnlyWhatItLacks)
{
    // Each index as its name, its table and its columns.
    const char* const indexes = "SELECT group_concat(name || ' ' || tbl_name || ' ' || (SELECT group_concat(name) "
                                "FROM pragma_index_info(m.name)), '; ') FROM (SELECT * FROM sqlite_master "
                                "WHERE type = 'index' ORDER BY name) AS m";
    QTemporaryDir folder;
    const QString templateCopy = folder.filePath(QStringLiteral("Template.vtrsf"));
    ASSERT_TRUE(StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), templateCopy));
    QString templateIndexes;
    {
        DatabaseConnection connection = StoryFile::open(templateCopy);
        templateIndexes = SqlProbe::scalar(connection.get(), QString::fromLatin1(indexes));
    }
    // A file older than every index: opening gives it exactly the template's.
    SampleCopy copy;
    EXPECT_EQ(copy.scalar(indexes), templateIndexes);
    for (const QString& index : copy.scalar("SELECT group_concat(name) FROM sqlite_master WHERE type = 'index'")
                                    .split(QLatin1Char(',')))
        copy.exec(QStringLiteral("DROP INDEX %1").arg(index));
    ASSERT_EQ(copy.scalar("SELECT count(*) FROM sqlite_master WHERE type = 'index'"), "0");
    {
        LoadedStory loaded = loadStoryFile(copy.path());
        loaded.story->finalizeAllSqliteStatements();
    }
    EXPECT_EQ(copy.scalar(indexes), templateIndexes);
    // Now current, the file is not written again.
    const QByteArray current = copy.bytes();
    {
        LoadedStory loaded = loadStoryFile(copy.path());
        loaded.story->finalizeAllSqliteStatements();
    }
    EXPECT_EQ(copy.bytes(), current);
}

TEST(StoryFileOpen, TablesSqliteRewroteOrAnotherProgramWidenedOpen)
{
    // Rewriting a table, SQLite keeps 0 and 1 in a byte and the Litter Box cards' whole fractions
    // as doubles; copying a file keeps each row as it was; a file of a format older than 4 keeps 0
    // and 1 in a byte. The program's own edits after any of these write rows as a statement does,
    // beside the rows SQLite wrote.
    struct Change {
        const char* name;
        std::function<void(const SampleCopy&)> make;
    };
    const auto sql = [](const char* text) {
        return [text](const SampleCopy& copy) { copy.exec(QString::fromUtf8(text)); };
    };
    // Another program that keeps the story open while it opens here, its last change in the log.
    sqlite3* otherProgram = nullptr;
    const Change changes[] = {
        {"a column added and dropped",
         sql("ALTER TABLE SceneCard ADD COLUMN Tmp text; ALTER TABLE SceneCard DROP COLUMN Tmp")},
        {"a column another program added and filled",
         sql("ALTER TABLE SceneCard ADD COLUMN MyTag text; UPDATE SceneCard SET MyTag = 'act' WHERE SceneCardID = 3")},
        {"a column another program added under a name of two words, the first a story column's",
         sql("ALTER TABLE SceneCard ADD COLUMN \"Heading Note\" text; "
             "UPDATE SceneCard SET \"Heading Note\" = 'loud' WHERE SceneCardID = 3")},
        {"a story column's kind declared in several words",
         sql("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql=replace(sql, 'BeatNumber integer', "
             "'BeatNumber UNSIGNED BIG INT') WHERE name='Beat'; PRAGMA writable_schema=OFF;")},
        {"columns added with defaults",
         sql("ALTER TABLE SceneCard ADD COLUMN Rating integer NOT NULL DEFAULT 5; ALTER TABLE Beat ADD COLUMN Mood "
             "text DEFAULT 'calm'")},
        {"columns added to several tables and dropped",
         sql("ALTER TABLE Screenplay ADD COLUMN Tmp real; ALTER TABLE Beat ADD COLUMN Tmp text; ALTER TABLE Character "
             "ADD COLUMN Tmp integer; UPDATE Beat SET Tmp = 'x'; ALTER TABLE Screenplay DROP COLUMN Tmp; ALTER TABLE "
             "Beat DROP COLUMN Tmp; ALTER TABLE Character DROP COLUMN Tmp")},
        {"a column and a table renamed and back",
         sql("ALTER TABLE SceneCard RENAME COLUMN Heading TO Title; ALTER TABLE SceneCard RENAME COLUMN Title TO "
             "Heading; ALTER TABLE Beat RENAME TO Beats; ALTER TABLE Beats RENAME TO Beat")},
        {"copied after a rewrite",
         sql("ALTER TABLE SceneCard ADD COLUMN Tmp text; ALTER TABLE SceneCard DROP COLUMN Tmp; VACUUM")},
        {"reindexed and analysed", sql("REINDEX; ANALYZE")},
        {"pages of 1 KB", sql("PRAGMA page_size = 1024; VACUUM")},
        {"pages of 64 KB", sql("PRAGMA page_size = 65536; VACUUM")},
        {"free pages given back as it goes", sql("PRAGMA auto_vacuum = FULL; VACUUM")},
        {"kept in a write-ahead log and back",
         sql("PRAGMA journal_mode = WAL; UPDATE SceneCard SET Heading = Heading || ' AT DAWN'; "
             "PRAGMA journal_mode = DELETE")},
        {"left with a write-ahead log", sql("PRAGMA journal_mode = WAL")},
        {"its last change still in the write-ahead log of another program",
         [&otherProgram](const SampleCopy& copy) {
             ASSERT_EQ(sqlite3_open(QFile::encodeName(copy.path()).constData(), &otherProgram), SQLITE_OK);
             SqlProbe::exec(otherProgram,
                            QStringLiteral("PRAGMA journal_mode = WAL; UPDATE SceneCard SET Heading = Heading || "
                                           "' AT DAWN'"));
         }},
        {"bytes kept free at the end of every page",
         [](const SampleCopy& copy) {
             sqlite3* raw = nullptr;
             ASSERT_EQ(sqlite3_open(QFile::encodeName(copy.path()).constData(), &raw), SQLITE_OK);
             const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
             int reserved = 40;
             sqlite3_file_control(raw, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserved);
             SqlProbe::exec(raw, QStringLiteral("VACUUM"));
             EXPECT_EQ(copy.bytes().at(20), 40);
         }},
        {"a file of an older format, a card written in it",
         [](const SampleCopy& copy) {
             QByteArray bytes = copy.bytes();
             bytes[47] = 1;
             copy.setBytes(bytes);
             copy.exec("UPDATE SceneCard SET OnBoard = 1, PercentageHorizontal = 2 WHERE SceneCardID = 3");
         }},
        {"texts kept in UTF-16", copyIntoUtf16},
        {"a file of the first format, vacuumed", formatOneRewritten("VACUUM")},
        {"a file of the first format, a column added and dropped, copied by VACUUM INTO",
         formatOneRewritten("ALTER TABLE Beat ADD COLUMN Tmp real; ALTER TABLE Beat DROP COLUMN Tmp; "
                            "VACUUM INTO '%1'")},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        SampleCopy copy;
        change.make(copy);
        const QString refusal = refusalOf(copy.path());
        EXPECT_EQ(refusal, QString());
        if (!refusal.isEmpty()) {
            sqlite3_close(std::exchange(otherProgram, nullptr));
            continue;
        }
        {
            LoadedStory loaded = loadStoryFile(copy.path());
            SceneCarddb* card = loaded.story->sceneCardForSceneCardID(3);
            ASSERT_NE(card, nullptr);
            card->setHeading(QStringLiteral("EXT. LAUNCH FIELD - DAY"));
            card->save();
            loaded.story->finalizeAllSqliteStatements();
        }
        EXPECT_EQ(refusalOf(copy.path()), QString());
        EXPECT_EQ(copy.scalar("SELECT Heading FROM SceneCard WHERE SceneCardID = 3"), "EXT. LAUNCH FIELD - DAY");
        sqlite3_close(std::exchange(otherProgram, nullptr));
    }
}

TEST(StoredValues, ValuesOutOfRangeAreBroughtIntoRangeToldOnceAndNotWrittenOnOpen)
{
    const QString huge = QString::number(std::numeric_limits<std::int64_t>::max());
    const QString least = QString::number(std::numeric_limits<std::int64_t>::min());
    struct Case {
        const char* name;
        QString sql;
        std::function<void(Screenplaydb&)> check;
    };
    const Case cases[] = {
        {"page count 2^62", "UPDATE Screenplay SET PageCount=4611686018427387904",
         [](Screenplaydb& story) {
             EXPECT_EQ(story.pageCount(), 1000);
             EXPECT_EQ(story.boardSections().section4To(), 1000);
         }},
        {"page count 0", "UPDATE Screenplay SET PageCount=0",
         [](Screenplaydb& story) { EXPECT_EQ(story.pageCount(), 4); }},
        {"board sizes at the ends of the integers",
         QStringLiteral("UPDATE Screenplay SET BoardWidth=%1, BoardHeight=%2").arg(least, huge),
         [](Screenplaydb& story) {
             EXPECT_EQ(story.boardWidth(), 0);
             EXPECT_EQ(story.boardHeight(), 30000);
         }},
        {"font setting past the largest", QStringLiteral("UPDATE Screenplay SET StandardFontSetting=%1").arg(huge),
         [](Screenplaydb& story) { EXPECT_EQ(story.standardFontSetting(), 4); }},
        {"zoom of 9", "UPDATE Screenplay SET BoardZoomFactor=9",
         [](Screenplaydb& story) { EXPECT_EQ(story.boardZoomFactor(), 4); }},
        {"card positions beyond 2^31",
         QStringLiteral("UPDATE SceneCard SET PositionLeft=4294967296, PositionTop=%1 WHERE SceneCardID=3").arg(least),
         [](Screenplaydb& story) {
             const SceneCarddb* card = story.sceneCardForSceneCardID(3);
             ASSERT_NE(card, nullptr);
             EXPECT_EQ(card->positionLeft(), 100000);
             EXPECT_EQ(card->positionTop(), -100000);
         }},
        {"card fractions far outside the board",
         "UPDATE SceneCard SET PercentageHorizontal=1e300, PercentageVertical=-7 WHERE SceneCardID=3",
         [](Screenplaydb& story) {
             const SceneCarddb* card = story.sceneCardForSceneCardID(3);
             ASSERT_NE(card, nullptr);
             EXPECT_EQ(card->percentageHorizontal(), 2.0f);
             EXPECT_EQ(card->percentageVertical(), -1.0f);
         }},
        {"negative colour codes", "UPDATE SceneCard SET ColorLegend1ID=-5, ColorLegend6ID=-1 WHERE SceneCardID=3",
         [](Screenplaydb& story) {
             const SceneCarddb* card = story.sceneCardForSceneCardID(3);
             ASSERT_NE(card, nullptr);
             EXPECT_EQ(card->colorLegendID(1), 0);
             EXPECT_EQ(card->colorLegendID(6), 0);
         }},
        {"a card whose board state is 7", "UPDATE SceneCard SET OnBoard=7 WHERE SceneCardID=3",
         [](Screenplaydb& story) {
             const SceneCarddb* card = story.sceneCardForSceneCardID(3);
             ASSERT_NE(card, nullptr);
             EXPECT_EQ(card->onBoard(), 2);
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SampleCopy copy;
        const QString cards = copy.scalar("SELECT count(*) FROM SceneCard");
        copy.exec(test.sql);
        const QByteArray before = copy.bytes();
        {
            LoadedStory loaded = loadStoryFile(copy.path());
            Screenplaydb& story = *loaded.story;
            test.check(story);
            EXPECT_EQ(story.loadAdjustments().size(), 1) << story.loadAdjustments().join('|').toStdString();
            EXPECT_EQ(QString::number(story.sceneCards().size() + story.litterBox().size()), cards);
            story.finalizeAllSqliteStatements();
        }
        EXPECT_EQ(copy.bytes(), before);
    }
}

TEST(StoredValues, AnAdjustedCardIsWrittenInRangeWhenTheUserNextEditsIt)
{
    SampleCopy copy;
    copy.exec("UPDATE SceneCard SET OnBoard=0, PositionLeft=4294967296 WHERE SceneCardID=3");
    {
        LoadedStory loaded = loadStoryFile(copy.path());
        SceneCarddb* card = loaded.story->sceneCardForSceneCardID(3);
        ASSERT_NE(card, nullptr);
        card->setHeading(QStringLiteral("INT. HANGAR - NIGHT"));
        card->save();
        loaded.story->finalizeAllSqliteStatements();
    }
    EXPECT_EQ(copy.scalar("SELECT OnBoard || ',' || PositionLeft || ',' || Heading FROM SceneCard WHERE SceneCardID=3"),
              "2,100000,INT. HANGAR - NIGHT");
}

TEST(StatementSteps, AFailingStepRaisesInsteadOfEndingTheRows)
{
    SampleCopy copy;
    LoadedStory loaded = loadStoryFile(copy.path());
    sqlite3_stmt* failing = nullptr;
    // abs() of the least integer fails while the statement steps, not while it is prepared.
    ASSERT_EQ(sqlite3_prepare_v2(loaded.connection.get(),
                                 "SELECT abs(-9223372036854775807 - 1) FROM SceneCard", -1, &failing, nullptr),
              SQLITE_OK);
    {
        StatementUse use(failing, loaded.connection.get());
        EXPECT_THROW(use.stepRow(), DatabaseError);
    }
    sqlite3_finalize(failing);
    loaded.story->finalizeAllSqliteStatements();
}

TEST(StatementBinds, AValueThatCannotBeBoundRaisesSqlitesReason)
{
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    ASSERT_EQ(sqlite3_exec(raw, "CREATE TABLE Kept (Value NOT NULL)", nullptr, nullptr, nullptr), SQLITE_OK);
    // Texts and blobs past 64 bytes are too long for this connection.
    sqlite3_limit(raw, SQLITE_LIMIT_LENGTH, 64);
    struct Row {
        const char* name;
        std::function<void(StatementUse&)> bind;
        const char* reason;
    };
    const Row rows[] = {
        {"a text past the length limit", [](StatementUse& use) { use.bind(1, QString(100, QLatin1Char('x'))); },
         "too big"},
        {"a blob past the length limit", [](StatementUse& use) { use.bindBlob(1, QByteArray(100, 'x')); }, "too big"},
        {"a text past the limit once in UTF-8", [](StatementUse& use) { use.bind(1, QString(40, QChar(0x00e9))); },
         "too big"},
        {"an integer at a parameter the statement lacks", [](StatementUse& use) { use.bind(2, std::int64_t{7}); },
         "out of range"},
        {"a fraction at parameter 0", [](StatementUse& use) { use.bind(0, 0.5); }, "out of range"},
    };
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "INSERT INTO Kept (Value) VALUES (?)", -1, &insert, nullptr), SQLITE_OK);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StatementUse use(insert, raw);
        try {
            row.bind(use);
            ADD_FAILURE() << "bound without a complaint";
        } catch (const DatabaseError& error) {
            EXPECT_TRUE(error.message().contains(QString::fromUtf8(row.reason))) << error.message().toStdString();
            EXPECT_FALSE(error.message().contains(QStringLiteral("NOT NULL"))) << error.message().toStdString();
        }
    }
    // Values within the limits bind and are written, the empty text as a text.
    {
        StatementUse use(insert, raw);
        use.bind(1, QString());
        EXPECT_TRUE(use.stepDone());
    }
    {
        StatementUse use(insert, raw);
        use.bind(1, QString(40, QLatin1Char('y')));
        EXPECT_TRUE(use.stepDone());
    }
    sqlite3_finalize(insert);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT group_concat(length(Value)) FROM Kept", -1, &count, nullptr), SQLITE_OK);
    {
        StatementUse use(count, raw);
        ASSERT_TRUE(use.stepRow());
        EXPECT_EQ(use.columnText(0), QStringLiteral("0,40"));
    }
    sqlite3_finalize(count);
}

TEST(StatementBinds, ASceneCardTooLongToBindIsRefusedWithTheReason)
{
    SampleCopy copy;
    LoadedStory loaded = loadStoryFile(copy.path());
    sqlite3_limit(loaded.connection.get(), SQLITE_LIMIT_LENGTH, 1000);
    SceneCarddb& card = *loaded.story->sceneCards().front();
    card.setHeading(QString(2000, QLatin1Char('H')));
    try {
        card.save();
        ADD_FAILURE() << "saved without a complaint";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("too big"))) << error.message().toStdString();
    }
    loaded.story->finalizeAllSqliteStatements();
}
