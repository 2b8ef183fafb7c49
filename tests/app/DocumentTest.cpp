#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/DatabaseError.h"
#include "model/Loglinedb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/UserInformationdb.h"
#include "panes/TitleLoglineView.h"
#include "support/SampleCopy.h"
#include "support/SqlProbe.h"
#include "support/StoredTables.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>


namespace {

QString storyTitleIn(const QString& path)
{
    DatabaseConnection connection = StoryFile::open(path);
    return SqlProbe::scalar(connection.get(), "SELECT ScreenplayTitle FROM Screenplay");
}

} // namespace

class Documents : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
        fakes_.alerts->shown.clear();
    }
    DocumentController& controller() { return app_->documentController(); }
};

TEST_F(Documents, NewStoryIsMadeWhereTheUserSaysWithTheOwnersName)
{
    app_->userInformation()->setFirstName("Rosa");
    app_->userInformation()->setLastName("Marsh");
    const QString path = QDir(documents()).filePath("Heist");
    // An old file of that name is replaced.
    QFile old(path + ".vtrsf");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    fakes_.filePanels->saveAnswers = {path};

    MyDocument* document = controller().newDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(document->window()->isVisible());
    settle(); // the file dialog runs once the window shows
    ASSERT_EQ(fakes_.filePanels->savePanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->savePanels[0].proposedName, "Awesome Screenplay.vtrsf");
    EXPECT_EQ(fakes_.filePanels->savePanels[0].allowedExtensions, QStringList{"vtrsf"});
    EXPECT_EQ(fakes_.filePanels->savePanels[0].directory, documents());

    ASSERT_NE(document->currentScreenplay(), nullptr);
    EXPECT_EQ(document->thisFileName(), path + ".vtrsf");
    EXPECT_EQ(document->currentScreenplay()->screenplayTitle(), "Heist");
    EXPECT_EQ(document->currentScreenplay()->beats().size(), 15u);
    EXPECT_EQ(document->currentScreenplay()->colorCodes().size(), 10u);
    ASSERT_NE(document->titleLoglineView(), nullptr);
    EXPECT_EQ(document->titleLoglineView()->tfTitle()->text(), "Heist");
    EXPECT_FALSE(document->startingBrandNewFile());
    {
        DatabaseConnection connection = StoryFile::open(path + ".vtrsf");
        EXPECT_EQ(SqlProbe::scalar(connection.get(), "SELECT OwnerFirstName || ' ' || OwnerLastName FROM Screenplay"),
                  "Rosa Marsh");
    }
    EXPECT_EQ(controller().recentDocuments().value(0), QFileInfo(path + ".vtrsf").absoluteFilePath());
}

TEST_F(Documents, CancellingTheNewStoryPanelClosesTheWindowAndLeavesNoFile)
{
    MyDocument* document = controller().newDocument();
    ASSERT_NE(document, nullptr);
    settle();
    EXPECT_EQ(controller().documentCount(), 0u);
    EXPECT_TRUE(QDir(documents()).entryList({"*.vtrsf"}).isEmpty());
}

TEST_F(Documents, ANewStoryThatCannotBeFilledIsRemovedAndReported)
{
    // A folder that does not exist: the template cannot be copied there.
    fakes_.filePanels->saveAnswers = {QDir(documents()).filePath("missing/folder/Story.vtrsf")};
    controller().newDocument();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "New File");
    EXPECT_EQ(fakes_.alerts->shown[0].message, "Unable to create the new file.");
    EXPECT_EQ(controller().documentCount(), 0u);
}

TEST_F(Documents, OpeningTwiceBringsTheSameWindowForward)
{
    const QString path = makeStory("Twice.vtrsf");
    MyDocument* first = controller().openDocument(path);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->window()->isVisible());
    EXPECT_EQ(first->titleLoglineView()->tfTitle()->text(), "Twice");
    EXPECT_EQ(controller().openDocument(path), first);
    EXPECT_EQ(controller().documentCount(), 1u);
}

TEST_F(Documents, FilesThatAreNoStoriesAreRefusedWithAMessage)
{
    const QString corrupt = QDir(documents()).filePath("Corrupt.vtrsf");
    QFile file(corrupt);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'q'));
    file.close();
    EXPECT_EQ(controller().openDocument(corrupt), nullptr);
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown[0].message.contains("Corrupt.vtrsf"));
    EXPECT_TRUE(fakes_.alerts->shown[0].message.contains("file is not a database"));
    EXPECT_EQ(controller().documentCount(), 0u);

    // A database that is not a story.
    const QString other = QDir(documents()).filePath("Other.vtrsf");
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kMasterTemplate, other));
    EXPECT_EQ(controller().openDocument(other), nullptr);
    EXPECT_EQ(fakes_.alerts->shown.size(), 2u);

    // Another kind of file.
    const QString text = QDir(documents()).filePath("notes.txt");
    QFile notes(text);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();
    EXPECT_EQ(controller().openDocument(text), nullptr);
    EXPECT_EQ(fakes_.alerts->shown.size(), 3u);
    EXPECT_EQ(controller().documentCount(), 0u);
}

TEST_F(Documents, ClosingWritesTheFieldBeingEditedWithoutAskingToSave)
{
    const QString path = makeStory("Edit.vtrsf");
    MyDocument* document = controller().openDocument(path);
    ASSERT_NE(document, nullptr);
    document->window()->activateWindow();
    QLineEdit* title = document->titleLoglineView()->tfTitle();
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, "The Long Night");
    document->window()->close();
    settle();
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    EXPECT_EQ(controller().documentCount(), 0u);
    EXPECT_EQ(storyTitleIn(path), "The Long Night");
}

TEST_F(Documents, NewVersionMovesEditingToTheCopy)
{
    const QString path = makeStory("Draft.vtrsf");
    MyDocument* document = controller().openDocument(path);
    ASSERT_NE(document, nullptr);
    const QString copy = QDir(documents()).filePath("Draft 2.vtrsf");
    fakes_.filePanels->saveAnswers = {copy};
    document->startNewVersion();
    ASSERT_EQ(fakes_.filePanels->savePanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->savePanels[0].title, "New Version");
    EXPECT_EQ(fakes_.filePanels->savePanels[0].message, "Set the file name and location for the new version.");
    EXPECT_EQ(fakes_.filePanels->savePanels[0].proposedName, "Draft.vtrsf");
    EXPECT_EQ(document->thisFileName(), copy);

    Screenplaydb* story = document->currentScreenplay();
    story->setScreenplayTitle("Second Draft");
    story->save();
    story->currentLogline()->setLogline("Only in the copy.");
    story->currentLogline()->save();
    EXPECT_EQ(storyTitleIn(copy), "Second Draft");
    EXPECT_EQ(storyTitleIn(path), "Draft");
}

TEST_F(Documents, NewStoryOrVersionOntoTheFileOfAnOpenStoryIsRefused)
{
    const QString alreadyOpen = "The new file cannot have the same name as a file that is already open.";
    struct Row {
        const char* name;
        bool newStory;
        bool ontoItsOwnFile;
        bool inCapitals; // the name chosen in capital letters: another file, not refused
        const char* title;
        QString message;
    };
    const Row rows[] = {
        {"Mine", false, true, false, "Start New Version",
         "The new version needs a name or place of its own: it cannot replace the story it is made from."},
        {"Kessler", false, false, false, "Start New Version", alreadyOpen},
        {"My Film", true, false, false, "New File", alreadyOpen},
        {"Quay", false, true, true, "", ""},
        {"Harbour", true, false, true, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fakes_.filePanels->replaceQuestions.clear();
        fakes_.alerts->shown.clear();
        const QString path = makeStory(QStringLiteral("%1.vtrsf").arg(row.name));
        const QString other = makeStory(QStringLiteral("%1 Other.vtrsf").arg(row.name));
        MyDocument* document = controller().openDocument(path);
        MyDocument* otherDocument = controller().openDocument(other);
        ASSERT_NE(otherDocument, nullptr);
        const std::size_t open = controller().documentCount();
        QString chosen = row.ontoItsOwnFile ? path : other;
        if (row.inCapitals)
            chosen = QFileInfo(chosen).dir().filePath(QFileInfo(chosen).fileName().toUpper());
        fakes_.filePanels->saveAnswers = {chosen};
        if (row.newStory) {
            controller().newDocument();
            settle();
        } else {
            document->startNewVersion();
        }
        // Refused before the panel could ask whether to replace the file.
        EXPECT_TRUE(fakes_.filePanels->replaceQuestions.isEmpty());
        if (row.inCapitals) {
            EXPECT_TRUE(fakes_.alerts->shown.empty());
            EXPECT_EQ(controller().documentCount(), open + (row.newStory ? 1 : 0));
            EXPECT_TRUE(controller().documentForPath(chosen));
            for (const QString& file : {path, other})
                EXPECT_EQ(storyTitleIn(file), QFileInfo(file).completeBaseName());
            continue;
        }
        EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
        if (!fakes_.alerts->shown.empty()) {
            EXPECT_EQ(fakes_.alerts->shown[0].title, row.title);
            EXPECT_EQ(fakes_.alerts->shown[0].message, row.message);
        }
        EXPECT_EQ(controller().documentCount(), open);
        // Both stories stay in their own files, and editing goes on there.
        for (MyDocument* story : {document, otherDocument}) {
            const QString file = story == document ? path : other;
            EXPECT_EQ(story->thisFileName(), file);
            EXPECT_EQ(storyTitleIn(file), QFileInfo(file).completeBaseName());
            story->currentScreenplay()->setGenre("Mystery");
            EXPECT_NO_THROW(story->currentScreenplay()->save());
            DatabaseConnection connection = StoryFile::open(file);
            EXPECT_EQ(SqlProbe::scalar(connection.get(), "SELECT Genre FROM Screenplay"), "Mystery");
        }
    }
}

TEST_F(Documents, BackupCopiesWithA24HourStampAndKeepsEditing)
{
    const QString path = makeStory("Heist.vtrsf");
    MyDocument* document = controller().openDocument(path);
    const QString folder = QDir(home_.path()).filePath("Backups");
    QDir().mkpath(folder);
    fakes_.filePanels->openAnswers = {folder};
    fakes_.clock->time = DateUtilities::DateTime{QDate(2024, 3, 2), QTime(14, 5, 9)};
    document->makeBackup();
    ASSERT_EQ(fakes_.filePanels->openPanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->openPanels[0].title, "Vantora Backup Files Location");
    EXPECT_TRUE(fakes_.filePanels->openPanels[0].chooseDirectories);
    EXPECT_EQ(Platform::userDefaults().stringForKey("VTR3BackupPath"), folder);
    const QString backup = QDir(folder).filePath("HeistBackup20240302140509.vtrsf");
    EXPECT_TRUE(QFileInfo::exists(backup));
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "Backup");
    EXPECT_EQ(fakes_.alerts->shown[0].message, "Backup Saved");

    // The story goes on in its own file, and the backup keeps the state of the moment.
    document->currentScreenplay()->setScreenplayTitle("After the backup");
    document->currentScreenplay()->save();
    EXPECT_EQ(storyTitleIn(path), "After the backup");
    EXPECT_EQ(storyTitleIn(backup), "Heist");

    // A second backup in the same second cannot take the same name: reported, nothing lost.
    document->makeBackup();
    EXPECT_EQ(fakes_.filePanels->openPanels.size(), 1u); // the folder is remembered
    ASSERT_EQ(fakes_.alerts->shown.size(), 2u);
    EXPECT_EQ(fakes_.alerts->shown[1].message, "Unable to copy the file.");
    EXPECT_EQ(storyTitleIn(backup), "Heist");
}

TEST_F(Documents, CommandsReachTheWindowTheUserWorksIn)
{
    const QString first = makeStory("One.vtrsf");
    const QString second = makeStory("Two.vtrsf");
    controller().openDocument(first);
    MyDocument* two = controller().openDocument(second);
    EXPECT_EQ(controller().currentDocument(), two);
    Platform::userDefaults().setString("VTR3BackupPath", QDir(home_.path()).filePath("Backups"));
    QDir().mkpath(QDir(home_.path()).filePath("Backups"));
    app_->actions().mnuBackup->trigger();
    EXPECT_TRUE(QFileInfo::exists(QDir(home_.path()).filePath("Backups/TwoBackup" +
                                                               DateUtilities::format(fakes_.clock->time, "yyyyMMddHHmmss") +
                                                               ".vtrsf")));
    app_->actions().menuClose->trigger();
    settle();
    EXPECT_EQ(controller().documentCount(), 1u);
}

TEST_F(Documents, EveryWindowShowsTheSameMenusAndKeepsThemWhenAnotherCloses)
{
    const auto menusOf = [](QMainWindow* window) {
        std::vector<QMenu*> menus;
        for (QAction* item : window->menuBar()->actions())
            menus.push_back(item->menu());
        return menus;
    };
    const auto titlesOf = [](const std::vector<QMenu*>& menus) {
        QStringList titles;
        for (const QMenu* menu : menus)
            titles << (menu ? menu->title() : QStringLiteral("(none)"));
        return titles;
    };
    MyDocument* one = controller().openDocument(makeStory("One.vtrsf"));
    MyDocument* two = controller().openDocument(makeStory("Two.vtrsf"));
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    const std::vector<QMenu*> shown = menusOf(two->window());
    EXPECT_EQ(titlesOf(shown), QStringList({"&File", "&Edit", "&Vantora", "&Story", "V&iew", "&Board", "&Reports",
                                            "&Help"}));
    EXPECT_EQ(menusOf(one->window()), shown);
    // A story's File menu closes the story; the start window's has no story to close.
    ASSERT_NE(shown.front(), nullptr);
    EXPECT_TRUE(shown.front()->actions().contains(app_->actions().menuClose));
    QMainWindow* start = app_->startWindow();
    ASSERT_NE(start, nullptr);
    const std::vector<QMenu*> startMenus = menusOf(start);
    EXPECT_EQ(titlesOf(startMenus), QStringList({"&File", "&Edit", "&Vantora", "&Help"}));
    ASSERT_FALSE(startMenus.empty());
    EXPECT_NE(startMenus.front(), shown.front());
    EXPECT_FALSE(startMenus.front()->actions().contains(app_->actions().menuClose));
    EXPECT_EQ(startMenus[1], shown[1]);

    // The window that stays keeps every menu whole, and its File menu opens from the keyboard.
    std::vector<QPointer<QMenu>> kept(shown.begin(), shown.end());
    one->window()->close();
    settle();
    ASSERT_EQ(controller().documentCount(), 1u);
    for (const QPointer<QMenu>& menu : kept) {
        ASSERT_FALSE(menu.isNull());
        EXPECT_FALSE(menu->actions().isEmpty()) << menu->title().toStdString();
    }
    EXPECT_EQ(menusOf(two->window()), shown);
    two->window()->activateWindow();
    QTest::keyClick(two->window()->menuBar(), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(kept.front()->isVisible());
    kept.front()->close();
}

namespace {

// What the window writes into the story's row when it opens and closes: the day of opening, the
// zoom, where the window and its dividers were, which section showed, and the size of the notes
// board with the checklist's place on it, which follow the window's size.
const QStringList kWindowColumns = {
    QStringLiteral("LastModifiedDate"),     QStringLiteral("BoardZoomFactor"),
    QStringLiteral("WindowState"),          QStringLiteral("ParentWindowHeight"),
    QStringLiteral("ParentWindowWidth"),    QStringLiteral("LogLineSplitterDistance"),
    QStringLiteral("GeneralNotesSplitterDistance"), QStringLiteral("BeatsSplitterDistance"),
    QStringLiteral("BoardSplitterDistance"), QStringLiteral("GeneralNotesHeight"),
    QStringLiteral("GeneralNotesWidth"),    QStringLiteral("BeatSectionShowing"),
    QStringLiteral("BoardWidth"),           QStringLiteral("BoardHeight"),
    QStringLiteral("GreenlightChecklistPercentageHorizontal"),
    QStringLiteral("GreenlightChecklistPercentageVertical"),
};

} // namespace

TEST_F(Documents, OpeningASampleAndClosingItWithoutAnEditChangesNoRecord)
{
    for (const char* sample : {"Sample - The Last Balloon Race.vtrsf", "Sample - Kessler Pass.vtrsf"}) {
        SCOPED_TRACE(sample);
        const SampleCopy copy{QString::fromLatin1(sample)};
        const StoredTables before = storedTables(copy.path(), kWindowColumns);
        ASSERT_FALSE(before.empty());
        MyDocument* document = controller().openDocument(copy.path());
        ASSERT_NE(document, nullptr);
        // Long enough for every pause after typing to end, had the opening typed anything.
        QTest::qWait(1500);
        settle();
        document->window()->close();
        settle();
        EXPECT_EQ(controller().documentCount(), 0u);
        expectSameTables(before, storedTables(copy.path(), kWindowColumns));
    }
}
