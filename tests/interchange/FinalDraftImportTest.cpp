#include "interchange/FinalDraftImport.h"
#include "interchange/XMLParsedScript.h"
#include "support/FdxText.h"
#include "support/StoryFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kNotAScript = QStringLiteral("The file doesn't appear to be a Final Draft 8/9 script file.");
const QString kNoPages = QStringLiteral(
    "The script must have page numbers. Lock the Pages under the Production menu in Final Draft then try again.");
const QString kPageRange = QStringLiteral(
    "The script must be from 4 to 1000 pages. Lock the Pages under the Production menu in Final Draft and try again.");

std::optional<ImportRefusal> check(const QTemporaryDir& folder, const QByteArray& data, ScriptImportEntry entry)
{
    const QString path = FdxText::writeFile(QDir(folder.path()).filePath(QStringLiteral("in.fdx")), data);
    XMLParsedScript script;
    return FinalDraftImport::readScript(path, script, entry);
}

QStringList folderEntries(const QTemporaryDir& folder)
{
    return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(FinalDraftImport, ScriptsAreCheckedForTypeAndLockedPages)
{
    const QString pagedHeading = FdxText::heading(QStringLiteral("INT. A"), QStringLiteral("1"));
    struct Row {
        const char* name;
        QByteArray data;
        std::optional<QString> message; // nothing: accepted
    };
    const Row rows[] = {
        {"3 pages", FdxText::script(pagedHeading, FdxText::lockedPages(3)), kPageRange},
        {"4 pages", FdxText::script(pagedHeading, FdxText::lockedPages(4)), std::nullopt},
        {"1000 pages", FdxText::script(pagedHeading, FdxText::lockedPages(1000)), std::nullopt},
        {"1001 pages", FdxText::script(pagedHeading, FdxText::lockedPages(1001)), kPageRange},
        {"empty locked pages", FdxText::script(pagedHeading, QStringLiteral("<LockedPages/>")), kPageRange},
        {"no locked pages, pages on the scenes", FdxText::script(pagedHeading, QString()), kNoPages},
        {"a template, not a script", FdxText::script(pagedHeading, FdxText::lockedPages(9), QStringLiteral("Template")),
         kNotAScript},
        {"no FinalDraft root", "<Script DocumentType=\"Script\"><LockedPages/></Script>", kNotAScript},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir folder;
        const std::optional<ImportRefusal> refusal = check(folder, row.data, ScriptImportEntry::NewStory);
        ASSERT_EQ(refusal.has_value(), row.message.has_value());
        if (refusal) {
            EXPECT_EQ(refusal->title, QStringLiteral("Import Final Draft Script"));
            EXPECT_EQ(refusal->message, *row.message);
        }
    }
}

TEST(FinalDraftImport, TheOpenStoryEntryWordsItsRefusalsItsOwnWay)
{
    QTemporaryDir folder;
    const QString pagedHeading = FdxText::heading(QStringLiteral("INT. A"), QStringLiteral("1"));
    const std::pair<QByteArray, QString> rows[] = {
        {FdxText::script(pagedHeading, QString(), QStringLiteral("Other")),
         QStringLiteral("The file doesn't appear to be a Final Draft 8 or 9 script file.")},
        {FdxText::script(pagedHeading, QString()),
         QStringLiteral("The script must have page numbers\nBe sure to open the script in Final Draft and Lock the "
                        "Pages then Lock the A Pages under the Production menu.")},
        {FdxText::script(pagedHeading, FdxText::lockedPages(2)),
         QStringLiteral("The script must be from 4 to 1000 pages.\nBe sure to open the script in Final Draft and Lock "
                        "the Pages then Lock the A Pages under the Production menu.")},
    };
    for (const auto& [data, message] : rows) {
        SCOPED_TRACE(message.toStdString());
        const std::optional<ImportRefusal> refusal = check(folder, data, ScriptImportEntry::OpenStory);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->title, QStringLiteral("Import Final Draft 8/9 Script"));
        EXPECT_EQ(refusal->message, message);
    }
}

TEST(FinalDraftImport, DamagedOrMissingFilesAreRefusedSayingWhere)
{
    QTemporaryDir folder;
    const QByteArray whole = FdxText::script(FdxText::heading(QStringLiteral("INT. A"), QStringLiteral("1")));
    // Cut after the locked pages: flags and pages were read, the file is still refused.
    const QByteArray truncated = whole.left(whole.indexOf("</FinalDraft>"));
    std::optional<ImportRefusal> refusal = check(folder, truncated, ScriptImportEntry::NewStory);
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->message.startsWith(kNotAScript + QStringLiteral("\n\n\"in.fdx\"")))
        << refusal->message.toStdString();
    EXPECT_TRUE(refusal->message.contains(QStringLiteral("line 5: Premature end of document.")))
        << refusal->message.toStdString();

    XMLParsedScript script;
    refusal = FinalDraftImport::readScript(QDir(folder.path()).filePath(QStringLiteral("missing.fdx")), script,
                                           ScriptImportEntry::NewStory);
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->message.startsWith(kNotAScript));
}

TEST(FinalDraftImport, TheNewStoryIsPutInPlaceOnlyWhenComplete)
{
    NewStory master;
    QTemporaryDir folder;
    const QString scriptPath = FdxText::writeFile(
        QDir(folder.path()).filePath(QStringLiteral("The.Night Shift.fdx")),
        FdxText::script(FdxText::heading(QStringLiteral("INT. A"), QStringLiteral("2")) +
                        FdxText::paragraph(QStringLiteral("Action"), QStringLiteral("Go."))));
    XMLParsedScript script;
    ASSERT_FALSE(FinalDraftImport::readScript(scriptPath, script, ScriptImportEntry::NewStory));
    const QString target =
        FdxText::writeFile(QDir(folder.path()).filePath(QStringLiteral("Story.vtrsf")), "older file");

    // A folder that cannot hold the file: refused, nothing written, the older file kept.
    const QString nowhere = QDir(folder.path()).filePath(QStringLiteral("no such folder/Story.vtrsf"));
    std::optional<ImportRefusal> failure =
        FinalDraftImport::makeStoryFromScript(script, scriptPath, nowhere, master.masterPath());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->title, QStringLiteral("New File"));
    EXPECT_EQ(failure->message, QStringLiteral("Unable to create the new file."));
    EXPECT_EQ(folderEntries(folder), QStringList({"Story.vtrsf", "The.Night Shift.fdx"}));

    // Replacing the older file.
    ASSERT_FALSE(FinalDraftImport::makeStoryFromScript(script, scriptPath, target, master.masterPath()));
    EXPECT_EQ(folderEntries(folder), QStringList({"Story.vtrsf", "The.Night Shift.fdx"}));
    OpenedStory opened;
    opened.open(target);
    sqlite3* db = opened.connection.get();
    EXPECT_EQ(SqlProbe::scalar(db, QStringLiteral("SELECT ScreenplayTitle || '|' || PageCount FROM Screenplay")),
              QStringLiteral("The.Night Shift|4"));
    EXPECT_EQ(SqlProbe::scalar(db, QStringLiteral("SELECT Heading || '|' || PageNumber FROM SceneCard")),
              QStringLiteral("INT. A|2"));
    EXPECT_EQ(SqlProbe::count(db, QStringLiteral("Beat")), 15);
}
