#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

TEST(WithAllowedExtensionTest, AppendsTheFirstExtensionToANameWithNoneOfThem)
{
    const QStringList story{QStringLiteral("vtrsf")};
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/My Story"), story), QStringLiteral("/tmp/My Story.vtrsf"));
    // Another extension is part of the name, not one of ours.
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/Draft.txt"), story), QStringLiteral("/tmp/Draft.txt.vtrsf"));
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/v1.2/Story"), story), QStringLiteral("/tmp/v1.2/Story.vtrsf"));
    // A trailing dot is not doubled.
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/Story."), story), QStringLiteral("/tmp/Story.vtrsf"));
    // The first of several is the one appended.
    EXPECT_EQ(withAllowedExtension(QStringLiteral("Notes"), {QStringLiteral("rtf"), QStringLiteral("txt")}),
              QStringLiteral("Notes.rtf"));
}

TEST(WithAllowedExtensionTest, LeavesANameThatAlreadyEndsInAnAllowedExtension)
{
    const QStringList types{QStringLiteral("vtrsf"), QStringLiteral("vtrmf")};
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/Story.vtrsf"), types), QStringLiteral("/tmp/Story.vtrsf"));
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/Master.vtrmf"), types), QStringLiteral("/tmp/Master.vtrmf"));
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/Story.VTRSF"), types), QStringLiteral("/tmp/Story.VTRSF"));
    // "xvtrsf" without the dot is not the extension.
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/Storyvtrsf"), types), QStringLiteral("/tmp/Storyvtrsf.vtrsf"));
}

TEST(WithAllowedExtensionTest, NoExtensionsOrNoPathChangeNothing)
{
    EXPECT_EQ(withAllowedExtension(QStringLiteral("/tmp/Story"), {}), QStringLiteral("/tmp/Story"));
    EXPECT_EQ(withAllowedExtension(QString(), {QStringLiteral("vtrsf")}), QString());
}

namespace {

class UserDefaultsTest : public ::testing::Test
{
protected:
    QString iniPath() const { return folder_.filePath(QStringLiteral("settings.ini")); }
    std::unique_ptr<UserDefaults> open() const { return std::make_unique<UserDefaults>(iniPath()); }

    // The settings as a later run of the program reads them.
    std::unique_ptr<UserDefaults> reopen(std::unique_ptr<UserDefaults>& current) const
    {
        current->synchronize();
        current.reset();
        return open();
    }

private:
    QTemporaryDir folder_;
};

const QString kRanBefore = QStringLiteral("VTR3RanItBefore");
const QString kBackupPath = QStringLiteral("VTR3BackupPath");
const QString kMasterPath = QStringLiteral("VTR3MasterFilePath");
const QString kRecent = QStringLiteral("VTRRecentFolders");

} // namespace

TEST_F(UserDefaultsTest, ValuesSurviveAReopenedFile)
{
    auto defaults = open();
    defaults->setBool(kRanBefore, true);
    defaults->setString(kBackupPath, QStringLiteral("/Users/writer/Backups, old"));
    defaults->setString(kMasterPath, QString::fromUtf8("/home/é/Vantora Data/VTRMasterFile.vtrmf"));
    defaults->setStringList(kRecent, {QStringLiteral("/a, b"), QStringLiteral("c"), QStringLiteral("")});
    defaults->synchronize();
    EXPECT_TRUE(QFile::exists(iniPath()));

    auto later = reopen(defaults);
    EXPECT_TRUE(later->boolForKey(kRanBefore));
    EXPECT_EQ(later->stringForKey(kBackupPath), QStringLiteral("/Users/writer/Backups, old"));
    EXPECT_EQ(later->stringForKey(kMasterPath), QString::fromUtf8("/home/é/Vantora Data/VTRMasterFile.vtrmf"));
    EXPECT_EQ(later->stringListForKey(kRecent),
              (QStringList{QStringLiteral("/a, b"), QStringLiteral("c"), QStringLiteral("")}));
}

TEST_F(UserDefaultsTest, FalseAndEmptyValuesAreStoredRatherThanMissing)
{
    auto defaults = open();
    defaults->registerDefaults({{kRanBefore, true}, {kBackupPath, QStringLiteral("/default")}});
    defaults->setBool(kRanBefore, false);
    defaults->setString(kBackupPath, QString());

    auto later = reopen(defaults);
    later->registerDefaults({{kRanBefore, true}, {kBackupPath, QStringLiteral("/default")}});
    EXPECT_FALSE(later->boolForKey(kRanBefore));
    EXPECT_EQ(later->stringForKey(kBackupPath), QString());
}

TEST_F(UserDefaultsTest, StringListsOfOneAndOfNoneKeepTheirShape)
{
    auto defaults = open();
    defaults->setStringList(QStringLiteral("One"), {QStringLiteral("only")});
    defaults->setStringList(QStringLiteral("None"), {});

    auto later = reopen(defaults);
    EXPECT_EQ(later->stringListForKey(QStringLiteral("One")), QStringList{QStringLiteral("only")});
    EXPECT_TRUE(later->stringListForKey(QStringLiteral("None")).isEmpty());
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAnswerOnlyForAbsentKeys)
{
    auto defaults = open();
    defaults->registerDefaults({{kRanBefore, false},
                                {kBackupPath, QString()},
                                {QStringLiteral("VTRSampleFilesShown"), false}});
    defaults->registerDefaults({{kBackupPath, QStringLiteral("/registered/later")}});

    EXPECT_FALSE(defaults->boolForKey(kRanBefore));
    // A later registration replaces an earlier one of the same key and keeps the others.
    EXPECT_EQ(defaults->stringForKey(kBackupPath), QStringLiteral("/registered/later"));
    EXPECT_TRUE(defaults->valueForKey(QStringLiteral("VTRSampleFilesShown")).isValid());
    // Keys neither written nor registered read as false, empty and invalid.
    EXPECT_FALSE(defaults->boolForKey(kMasterPath));
    EXPECT_EQ(defaults->stringForKey(kMasterPath), QString());
    EXPECT_TRUE(defaults->stringListForKey(kMasterPath).isEmpty());
    EXPECT_FALSE(defaults->valueForKey(kMasterPath).isValid());

    defaults->setString(kBackupPath, QStringLiteral("/chosen"));
    EXPECT_EQ(defaults->stringForKey(kBackupPath), QStringLiteral("/chosen"));

    // Registered defaults belong to the run, not to the file.
    auto later = reopen(defaults);
    EXPECT_FALSE(later->valueForKey(kRanBefore).isValid());
    EXPECT_EQ(later->stringForKey(kBackupPath), QStringLiteral("/chosen"));
}

TEST_F(UserDefaultsTest, RemovingAKeyBringsBackItsRegisteredDefault)
{
    auto defaults = open();
    defaults->registerDefaults({{kBackupPath, QStringLiteral("/registered")}});
    defaults->setString(kBackupPath, QStringLiteral("/chosen"));
    defaults->setString(kMasterPath, QStringLiteral("/master.vtrmf"));
    defaults->removeKey(kBackupPath);
    defaults->removeKey(QStringLiteral("NeverWritten"));
    EXPECT_EQ(defaults->stringForKey(kBackupPath), QStringLiteral("/registered"));

    auto later = reopen(defaults);
    EXPECT_FALSE(later->valueForKey(kBackupPath).isValid());
    EXPECT_EQ(later->stringForKey(kMasterPath), QStringLiteral("/master.vtrmf"));
}

TEST_F(UserDefaultsTest, TwoObjectsOnOneFileSeeEachOthersSynchronizedValues)
{
    auto writer = open();
    auto reader = open();
    writer->setBool(QStringLiteral("VTRShowedHowToVideo"), true);
    writer->synchronize();
    reader->synchronize();
    EXPECT_TRUE(reader->boolForKey(QStringLiteral("VTRShowedHowToVideo")));
}

// Every folder where Qt or the program keeps something of the user's lies in the test
// process's own temporary home, never in the home of whoever runs the tests.
TEST(TestHome, EveryUserFolderLiesInATemporaryHome)
{
    const QString home = QDir(QDir::homePath()).canonicalPath();
    ASSERT_TRUE(home.startsWith(QDir(QDir::tempPath()).canonicalPath() + "/")) << home.toStdString();
    const QStandardPaths::StandardLocation locations[] = {
        QStandardPaths::ConfigLocation,       QStandardPaths::GenericConfigLocation, QStandardPaths::CacheLocation,
        QStandardPaths::GenericDataLocation,  QStandardPaths::AppDataLocation,       QStandardPaths::RuntimeLocation,
    };
    for (const auto location : locations) {
        SCOPED_TRACE(static_cast<int>(location));
        const QString path = QStandardPaths::writableLocation(location);
        ASSERT_FALSE(path.isEmpty());
        EXPECT_TRUE(path.startsWith(QDir::homePath() + "/")) << path.toStdString();
    }
}
