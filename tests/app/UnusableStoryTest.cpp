// Stories the window cannot use as they are: refused at open with their reason, and a story
// whose file goes away closed with an alert rather than kept on a closed connection.
#include "AppFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "support/FullDisk.h"
#include "support/SqlProbe.h"

#include <QDir>
#include <QFile>

#include <functional>
#include <optional>

class UnusableStories : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
        fakes_.alerts->shown.clear();
    }
    DocumentController& controller() { return app_->documentController(); }

    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(UnusableStories, AreRefusedAtOpenWithAPlainReasonNoWindowAndNoChange)
{
    // What stands in the way while the story opens: nothing, a full disk, or another program
    // in the middle of writing to the file.
    enum class While { Nothing, DiskFull, AnotherWriter };
    struct Case {
        const char* name;
        std::function<void(const QString&)> spoil;
        const char* message;
        While during = While::Nothing;
    };
    const auto sound = [](const QString&) {};
    const Case cases[] = {
        {"read-only", [](const QString& path) { QFile::setPermissions(path, QFileDevice::ReadOwner); },
         "\u201cStory.vtrsf\u201d cannot be opened because the file is read-only."},
        {"without its story row",
         [](const QString& path) {
             DatabaseConnection connection = StoryFile::open(path);
             SqlProbe::exec(connection.get(), "DELETE FROM Screenplay");
         },
         "\u201cStory.vtrsf\u201d is not a Vantora story."},
        {"with a trigger",
         [](const QString& path) {
             DatabaseConnection connection = StoryFile::open(path);
             SqlProbe::exec(connection.get(),
                            "CREATE TRIGGER t AFTER UPDATE ON Screenplay BEGIN DELETE FROM Beat; END");
         },
         "\u201cStory.vtrsf\u201d is not a Vantora story."},
        // The file is sound: the write that opening makes is what fails, and is taken back.
        {"a sound story on a full disk", sound,
         "\u201cStory.vtrsf\u201d cannot be opened because the disk is full. The story in the file is unchanged: "
         "make room on the disk, then open it again.\n\n",
         While::DiskFull},
        // The story's row already holds what reading it writes: laying out its window is the
        // first write, made in the window's own event handlers too.
        {"a sound story whose window is laid out on a full disk",
         [](const QString& path) {
             DatabaseConnection connection = StoryFile::open(path);
             SqlProbe::exec(connection.get(), "UPDATE Screenplay SET BoardZoomFactor = 1");
         },
         "\u201cStory.vtrsf\u201d cannot be opened because the disk is full. The story in the file is unchanged: "
         "make room on the disk, then open it again.\n\n",
         While::DiskFull},
        {"a sound story another program is writing to", sound,
         "\u201cStory.vtrsf\u201d cannot be opened because it could not be written to. The story in the file is "
         "unchanged.\n\n",
         While::AnotherWriter},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        fakes_.alerts->shown.clear();
        const QString path = makeStory(QStringLiteral("Story.vtrsf"));
        test.spoil(path);
        const QByteArray before = bytesOf(path);
        {
            std::optional<FullDisk> full;
            DatabaseConnection writer;
            if (test.during == While::DiskFull)
                full.emplace();
            if (test.during == While::AnotherWriter) {
                writer = StoryFile::open(path);
                SqlProbe::exec(writer.get(), "BEGIN IMMEDIATE");
            }
            EXPECT_EQ(controller().openDocument(path), nullptr);
            settle();
            if (full) {
                EXPECT_GT(full->refusedWrites(), 0);
            }
        }
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(QString::fromUtf8(test.message)))
            << fakes_.alerts->shown[0].message.toStdString();
        EXPECT_EQ(controller().documentCount(), 0u);
        EXPECT_EQ(bytesOf(path), before);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(path);
    }
}

TEST_F(UnusableStories, ABackupOfAStoryWhoseFileMovedClosesTheWindowWithAnAlert)
{
    const QString path = makeStory(QStringLiteral("Wander.vtrsf"));
    MyDocument* document = controller().openDocument(path);
    ASSERT_NE(document, nullptr);
    const QString folder = QDir(home_.path()).filePath(QStringLiteral("Backups"));
    QDir().mkpath(folder);
    fakes_.filePanels->openAnswers = {folder};
    ASSERT_TRUE(QFile::rename(path, QDir(documents()).filePath(QStringLiteral("Elsewhere.vtrsf"))));

    document->makeBackup();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(
        QStringLiteral("\u201cWander.vtrsf\u201d cannot be opened because it no longer exists.")))
        << fakes_.alerts->shown[0].message.toStdString();
    EXPECT_FALSE(fakes_.alerts->shown[0].message.contains(QStringLiteral("Backup Saved")));
    // The story holds no closed handle meanwhile: a write fails plainly instead of using it.
    EXPECT_EQ(document->currentScreenplay()->database(), nullptr);
    settle();
    EXPECT_EQ(controller().documentCount(), 0u);
}

TEST_F(UnusableStories, StoredValuesOutOfRangeAreToldOnceAfterOpening)
{
    const QString path = makeStory(QStringLiteral("Odd.vtrsf"));
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), "UPDATE Screenplay SET PageCount=4611686018427387904, StandardFontSetting=-3");
    }
    MyDocument* document = controller().openDocument(path);
    ASSERT_NE(document, nullptr);
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "Odd");
    EXPECT_TRUE(fakes_.alerts->shown[0].message.contains(QStringLiteral("out of range")));
    EXPECT_EQ(document->currentScreenplay()->pageCount(), 1000);
}
