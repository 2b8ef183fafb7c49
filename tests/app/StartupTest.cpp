#include "AppFixture.h"

#include "app/AdviceWindow.h"
#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/DefaultSettingdb.h"
#include "model/StoryFile.h"
#include "model/UserInformationdb.h"
#include "support/SqlProbe.h"
#include "support/XServer.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTextBrowser>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

long long countRows(const QString& path, const char* table)
{
    DatabaseConnection connection = StoryFile::open(path);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection.get(), (QStringLiteral("SELECT count(*) FROM ") + table).toUtf8().constData(), -1,
                       &statement, nullptr);
    sqlite3_step(statement);
    const long long count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

} // namespace

class Startup : public AppFixture
{
protected:
    // Starts the program as after a first install, or as on a later start: the splash shows.
    QWidget* showSplash(bool ranBefore)
    {
        Platform::userDefaults().setBool("VTR3RanItBefore", ranBefore);
        app_ = std::make_unique<AppController>();
        app_->awakeFromNib();
        return app_->splashScreen();
    }

    // Opens each window of the program afresh and types the application's keys there.
    void expectEveryWindowToAnswerTheApplicationsKeys();
};

TEST_F(Startup, FirstRunWaitsForTheSplashButtons)
{
    app_ = std::make_unique<AppController>();
    app_->awakeFromNib();
    ASSERT_NE(app_->splashScreen(), nullptr);
    EXPECT_TRUE(app_->splashScreen()->isVisible());
    EXPECT_TRUE(app_->cmdSplashContinue()->isVisible());
    EXPECT_TRUE(app_->cmdSplashTutorial()->isVisible());
    EXPECT_EQ(app_->splashTimer(), nullptr);
    EXPECT_EQ(app_->tfVersion()->text(), AppController::shortVersion());
    EXPECT_FALSE(app_->actions().menuFileNew->isEnabled());
    EXPECT_FALSE(app_->actions().menuFileOpen->isEnabled());
    EXPECT_TRUE(Platform::userDefaults().boolForKey("VTR3RanItBefore"));

    QTest::mouseClick(app_->cmdSplashContinue(), Qt::LeftButton);
    EXPECT_TRUE(app_->startupFinished());
    EXPECT_FALSE(app_->splashScreen()->isVisible());
    EXPECT_TRUE(app_->actions().menuFileNew->isEnabled());

    // A new master file in "Vantora Data" of Documents, with the sample stories beside it,
    // and nothing asked.
    EXPECT_EQ(app_->masterFilePath(), defaultMasterPath());
    EXPECT_TRUE(QFileInfo::exists(defaultMasterPath()));
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    EXPECT_EQ(countRows(defaultMasterPath(), "UserInformation"), 1);
    EXPECT_TRUE(app_->actions().mnuMPAutoTips->isChecked());
    ASSERT_NE(app_->userInformation(), nullptr);
    EXPECT_EQ(app_->userInformation()->colorCodes().size(), 10u);

    // The first run opens the sample stories once.
    const QDir dataFolder(QFileInfo(defaultMasterPath()).absolutePath());
    const QStringList samples = dataFolder.entryList({"*.vtrsf"});
    EXPECT_EQ(samples.size(), 2);
    EXPECT_EQ(app_->documentController().documentCount(), static_cast<std::size_t>(samples.size()));
    EXPECT_TRUE(Platform::userDefaults().boolForKey("VTRSampleFilesShown"));
}

TEST_F(Startup, TheSplashShowsTheApplicationsShortVersionAlone)
{
    const QString before = QCoreApplication::applicationVersion();
    for (const char* version : {"3.1.2", "10.0.17"}) {
        SCOPED_TRACE(version);
        QCoreApplication::setApplicationVersion(QString::fromLatin1(version));
        app_ = std::make_unique<AppController>();
        app_->awakeFromNib();
        EXPECT_EQ(app_->tfVersion()->text(), QString::fromLatin1(version));
        app_.reset();
    }
    QCoreApplication::setApplicationVersion(before);
}

TEST_F(Startup, FirstStartShowsOneAdviceWindowAndAsksForEachDocumentOnce)
{
    struct Case {
        const char* button; // none: the keyboard
        bool desktopHasViewer;
        bool tabFirst = true; // the keyboard moves to a button before Return
    };
    for (const Case c : {Case{"cmdSplashContinue", true}, Case{"cmdSplashTutorial", true},
                         Case{"cmdSplashContinue", false}, Case{"cmdSplashTutorial", false}, Case{nullptr, true},
                         Case{nullptr, false, false}}) {
        SCOPED_TRACE(std::string(c.button ? c.button : c.tabFirst ? "Tab, Return" : "Return") +
                     (c.desktopHasViewer ? " with a viewer" : " without a viewer"));
        // A first start: no settings, no master file.
        QDir(QFileInfo(defaultMasterPath()).absolutePath()).removeRecursively();
        Platform::userDefaults().removeKey("VTR3MasterFilePath");
        Platform::userDefaults().setBool("VTR3RanItBefore", false);
        Platform::userDefaults().setBool("VTRSampleFilesShown", false);
        fakes_.workspace->openedFiles.clear();
        fakes_.workspace->hasViewer = c.desktopHasViewer;
        app_ = std::make_unique<AppController>();
        app_->awakeFromNib();
        if (c.button) {
            auto* button = app_->splashScreen()->findChild<QPushButton*>(QString::fromLatin1(c.button));
            ASSERT_NE(button, nullptr);
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            // Where the keyboard is, a space chooses no button; Tab reaches a button, and Return
            // on it still goes on as Continue does, as it does on the splash as it appears.
            app_->splashScreen()->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(app_->splashScreen()));
            QWidget* keyboard = QApplication::focusWidget() ? QApplication::focusWidget() : app_->splashScreen();
            QTest::keyClick(keyboard, Qt::Key_Space);
            ASSERT_FALSE(app_->startupFinished());
            if (c.tabFirst) {
                QTest::keyClick(keyboard, Qt::Key_Tab);
                ASSERT_TRUE(qobject_cast<QPushButton*>(QApplication::focusWidget()));
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        ASSERT_TRUE(app_->startupFinished());
        // Continue asks for the guide first, the tutorial's button for the tutorial.
        ASSERT_FALSE(fakes_.workspace->openedFiles.isEmpty());
        const bool tutorialFirst = c.button && std::string(c.button) == "cmdSplashTutorial";
        EXPECT_EQ(QFileInfo(fakes_.workspace->openedFiles.front()).fileName().toStdString(),
                  tutorialFirst ? "tutorial3.htm" : "VantoraUserGuide.pdf");
        ASSERT_EQ(app_->documentController().documentCount(), 2u);
        // Both samples' tips have had their time, and the tutorial has come.
        waitUntil([&] {
            const auto& documents = app_->documentController().documents();
            return fakes_.workspace->openedFiles.size() >= 2 &&
                   std::all_of(documents.begin(), documents.end(), [](const std::unique_ptr<MyDocument>& document) {
                       return document->autoTipTimer() && !document->autoTipTimer()->isActive();
                   });
        });

        int adviceWindows = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<AdviceWindow*>(window) && window->isVisible())
                ++adviceWindows;
        EXPECT_EQ(adviceWindows, 1);

        // The guide and the tutorial, each asked for once.
        QStringList names;
        for (const QString& path : fakes_.workspace->openedFiles)
            names << QFileInfo(path).fileName();
        names.sort();
        EXPECT_EQ(names, (QStringList{"VantoraUserGuide.pdf", "tutorial3.htm"}));
        // With no viewer on the desktop the program shows them itself, and says nothing.
        for (const QString& name : {QStringLiteral("VantoraUserGuide"), QStringLiteral("tutorial3")}) {
            DocumentWindow* window = app_->documentWindow(name);
            EXPECT_EQ(window != nullptr, !c.desktopHasViewer) << name.toStdString();
            if (window) {
                EXPECT_TRUE(window->isVisible());
                EXPECT_GT(window->browser()->toPlainText().size(), 1000) << name.toStdString();
                // Both tell what nothing on the screen shows: how a sticky note is added, and when what
                // is typed reaches the file (a second after the last key, a number when its field is left).
                const QString text = window->browser()->toPlainText().simplified();
                for (const QStringList& told : {QStringList{"double-click", "New Note Card"},
                                                QStringList{"a second after your last key", "leave its field"}})
                    for (const QString& words : told)
                        EXPECT_TRUE(text.contains(words, Qt::CaseInsensitive))
                            << name.toStdString() << ": " << words.toStdString();
                EXPECT_FALSE(window->windowTitle().isEmpty());
            }
        }
        EXPECT_TRUE(fakes_.alerts->shown.empty());
        app_->applicationShouldTerminate();
        app_.reset();
        settle();
    }
}

TEST_F(Startup, LaterRunsMoveOnAfterTwoAndAHalfSeconds)
{
    Platform::userDefaults().setBool("VTR3RanItBefore", true);
    Platform::userDefaults().setBool("VTRSampleFilesShown", true);
    app_ = std::make_unique<AppController>();
    app_->awakeFromNib();
    EXPECT_FALSE(app_->cmdSplashContinue()->isVisible());
    EXPECT_FALSE(app_->cmdSplashTutorial()->isVisible());
    ASSERT_NE(app_->splashTimer(), nullptr);
    EXPECT_EQ(app_->splashTimer()->interval(), 2500);
    EXPECT_FALSE(app_->startupFinished());
    waitUntil([&] { return app_->startupFinished(); });
    EXPECT_TRUE(app_->startupFinished());
    EXPECT_FALSE(app_->splashScreen()->isVisible());
    // With no story open, the start window offers New, Open and Open Recent.
    ASSERT_NE(app_->startWindow(), nullptr);
    EXPECT_TRUE(app_->startWindow()->isVisible());
}

void Startup::expectEveryWindowToAnswerTheApplicationsKeys()
{
    // The window that `show` brings up in the started application, whose desktop shows no document itself.
    const auto shown = [this](std::function<void(AppController&)> show,
                              std::function<QWidget*(AppController&)> window) {
        return [this, show, window] {
            fakes_.workspace->hasViewer = false;
            show(startApplication());
            return window(*app_);
        };
    };
    const auto document = [](const char* name) {
        return [name](AppController& app) -> QWidget* { return app.documentWindow(QString::fromLatin1(name)); };
    };
    const auto startWindow = shown([](AppController&) {}, &AppController::startWindow);
    // A story's window, the panel that named a new one answered; the panels asked for so far are forgotten.
    const auto storyWindow = [this](bool made) {
        return [this, made]() -> QWidget* {
            fakes_.filePanels->saveAnswers = {QDir(documents()).filePath(QStringLiteral("Made.vtrsf"))};
            startApplication();
            DocumentController& controller = app_->documentController();
            MyDocument* story = made ? controller.newDocument()
                                     : controller.openDocument(makeStory(QStringLiteral("Opened.vtrsf")));
            settle();
            fakes_.filePanels->savePanels.clear();
            fakes_.filePanels->openPanels.clear();
            return story && QFileInfo::exists(story->thisFileName()) ? story->window() : nullptr;
        };
    };
    const std::vector<QKeyCombination> commands{Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_Q};
    const struct {
        const char* name;
        std::function<QWidget*()> show;
        std::vector<QKeyCombination> keys;
        const char* answered; // N: New Story's panel shown, O: Open's, Q: quit
    } rows[] = {
        {"the splash of a first start", [this] { return showSplash(false); }, commands, "Q"},
        {"the splash of a later start", [this] { return showSplash(true); }, {Qt::CTRL | Qt::Key_Q}, "Q"},
        {"the tutorial", shown(&AppController::showTutorial, document("tutorial3")), commands, "NOQ"},
        {"the user guide", shown(&AppController::showUserGuide, document("VantoraUserGuide")), commands, "NOQ"},
        {"the advice window",
         shown([](AppController& app) { app.showHelpForTopic("COLORCODE"); }, &AppController::adviceWindow), commands,
         "NOQ"},
        {"Technical Support", shown(&AppController::showTechSupport, &AppController::pnlTechSupport), commands, "NOQ"},
        {"the start window", startWindow, commands, "NOQ"},
        {"the start window, a space as it appears", startWindow, {Qt::Key_Space}, ""},
        {"the start window, Tab and a space", startWindow, {Qt::Key_Tab, Qt::Key_Space}, "O"},
        {"the start window, Tab round to New", startWindow, {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space},
         "N"},
        {"a new story's window", storyWindow(true), {Qt::CTRL | Qt::Key_O}, "O"},
        {"an opened story's window", storyWindow(false), {Qt::CTRL | Qt::Key_O}, "O"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        QWidget* window = row.show();
        ASSERT_NE(window, nullptr);
        QSignalSpy quit(app_.get(), &AppController::terminateRequested);
        for (std::size_t typed = 0; typed < row.keys.size(); ++typed) {
            const QKeyCombination key = row.keys[typed];
            // The window takes the keyboard as it appears; after a command it is made active again, as a click does.
            if (typed > 0)
                window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << "the window has no keyboard";
            QWidget* keyboard = QApplication::focusWidget() ? QApplication::focusWidget() : window;
            QTest::keyClick(keyboard, key.key(), key.keyboardModifiers());
            settle();
        }
        EXPECT_EQ(std::string(fakes_.filePanels->savePanels.empty() ? "" : "N")
                      + (fakes_.filePanels->openPanels.empty() ? "" : "O") + (quit.isEmpty() ? "" : "Q"),
                  row.answered);
        EXPECT_FALSE(app_->splashTimer() && app_->splashTimer()->isActive());
    }
}

// Every window the program shows answers New Story, Open and Quit, the splash Quit alone (no master file is
// open yet), which stops the start-up there. The start window's buttons answer as a dialog's do: Tab reaches
// each and a space presses it, but none as the window appears.
TEST_F(Startup, EveryWindowAnswersTheApplicationsKeysAndTheStartWindowsButtonsAnswerLikeADialogs)
{
    expectEveryWindowToAnswerTheApplicationsKeys();
}

// Run only as the child process of the test below: on an X server without a window manager, which gives the
// keyboard to no window that only shows, every window takes it as it appears, with no click.
TEST_F(Startup, DISABLED_ChildProcessEveryWindowAnswersTheApplicationsKeysWithoutAWindowManager)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    expectEveryWindowToAnswerTheApplicationsKeys();
}

TEST_F(Startup, EveryWindowTakesTheKeyboardAsItAppearsWithoutAWindowManager)
{
    runOnAnXServerOfItsOwn(QStringLiteral("Startup.DISABLED_ChildProcess*"), 1, {"generic"});
}

TEST_F(Startup, ExistingMasterFileAtTheDefaultPlaceIsKept)
{
    QDir().mkpath(QFileInfo(defaultMasterPath()).absolutePath());
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kMasterTemplate, defaultMasterPath()));
    fakes_.alerts->answers = {AlertDefaultReturn}; // "Yes": keep it
    startApplication();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].message,
              "It appears that a Vantora Master File exists at the selected location. Would you like to keep the "
              "existing file?");
    EXPECT_EQ(app_->masterFilePath(), defaultMasterPath());
    EXPECT_EQ(countRows(defaultMasterPath(), "UserInformation"), 0); // used as it was
}

TEST_F(Startup, NotKeepingAnExistingFileAsksForAnotherFolder)
{
    QDir().mkpath(QFileInfo(defaultMasterPath()).absolutePath());
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kMasterTemplate, defaultMasterPath()));
    const QString elsewhere = QDir(home_.path()).filePath("Elsewhere");
    QDir().mkpath(elsewhere);
    fakes_.alerts->answers = {AlertAlternateReturn}; // "No"
    fakes_.filePanels->openAnswers = {elsewhere};
    startApplication();
    EXPECT_EQ(app_->masterFilePath(), QDir(elsewhere).filePath("VTRMasterFile.vtrmf"));
    EXPECT_EQ(countRows(app_->masterFilePath(), "UserInformation"), 1);

    // Cancelling that folder choice quits.
    TearDown();
    SetUp();
    Platform::userDefaults().removeKey("VTR3MasterFilePath");
    QDir().mkpath(QFileInfo(defaultMasterPath()).absolutePath());
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kMasterTemplate, defaultMasterPath()));
    fakes_.alerts->answers = {AlertAlternateReturn};
    app_ = std::make_unique<AppController>();
    EXPECT_FALSE(app_->continueStartup({}, {}, {}));
}

TEST_F(Startup, MissingMasterFileCanBeWaitedForSelectedOrMadeAnew)
{
    const QString moved = QDir(home_.path()).filePath("USB/My.vtrmf");
    Platform::userDefaults().setString("VTR3MasterFilePath", moved);
    // A sample the writer has edited beside the old master file.
    const QDir data(QFileInfo(defaultMasterPath()).absolutePath());
    QDir().mkpath(data.path());
    const QString edited = data.filePath("Sample - Kessler Pass.vtrsf");
    ASSERT_TRUE(StoryFile::copyTemplate(":/samples/Sample - Kessler Pass.vtrsf", edited));
    {
        DatabaseConnection connection = StoryFile::open(edited);
        SqlProbe::exec(connection.get(), "UPDATE Screenplay SET ScreenplayTitle = 'My Kessler'");
    }
    // Try Again twice (the drive is still missing), then Create New File.
    fakes_.alerts->answers = {AlertDefaultReturn, AlertDefaultReturn, AlertOtherReturn};
    startApplication();
    ASSERT_EQ(fakes_.alerts->shown.size(), 3u);
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith("Unable to locate the Vantora master file which should be "
                                                           "located at " + moved + "."));
    EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "Try Again");
    EXPECT_EQ(fakes_.alerts->shown[0].alternateButton, "Select File");
    EXPECT_EQ(fakes_.alerts->shown[0].otherButton, "Create New File");
    EXPECT_EQ(app_->masterFilePath(), defaultMasterPath());
    // The new master file keeps the edited sample and adds the missing one.
    {
        DatabaseConnection connection = StoryFile::open(edited);
        EXPECT_EQ(SqlProbe::scalar(connection.get(), "SELECT ScreenplayTitle FROM Screenplay"), "My Kessler");
    }
    EXPECT_TRUE(QFileInfo::exists(data.filePath("Sample - The Last Balloon Race.vtrsf")));
}

TEST_F(Startup, SelectingTheMovedMasterFileRemembersIt)
{
    const QString stored = QDir(home_.path()).filePath("old/Master.vtrmf");
    const QString movedTo = QDir(home_.path()).filePath("new/Master.vtrmf");
    QDir().mkpath(QFileInfo(movedTo).absolutePath());
    ASSERT_TRUE(StoryFile::copyTemplate(StoryFile::kMasterTemplate, movedTo));
    const QString wrongKind = QDir(home_.path()).filePath("new/notes.txt");
    Platform::userDefaults().setString("VTR3MasterFilePath", stored);
    fakes_.alerts->answers = {AlertAlternateReturn, AlertDefaultReturn, AlertAlternateReturn};
    fakes_.filePanels->openAnswers = {wrongKind, movedTo};
    startApplication();
    EXPECT_EQ(fakes_.filePanels->openPanels[0].title, "Select Your Master File: Master.vtrmf");
    EXPECT_EQ(fakes_.alerts->shown[1].title, "Master File");
    EXPECT_EQ(fakes_.alerts->shown[1].message,
              "The file must have and extension of 'vtrmf'. Please select the correct file.");
    EXPECT_EQ(app_->masterFilePath(), movedTo);

    // Cancelling the selection quits.
    TearDown();
    SetUp();
    Platform::userDefaults().setString("VTR3MasterFilePath", stored);
    fakes_.alerts->answers = {AlertAlternateReturn};
    app_ = std::make_unique<AppController>();
    EXPECT_FALSE(app_->continueStartup({}, {}, {}));
}

TEST_F(Startup, AMasterFileThatCannotBeOpenedLeadsBackToTheChoice)
{
    const QString broken = QDir(home_.path()).filePath("Broken.vtrmf");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, 'z'));
    file.close();
    Platform::userDefaults().setString("VTR3MasterFilePath", broken);
    fakes_.alerts->answers = {AlertOtherReturn}; // Create New File
    startApplication();
    ASSERT_FALSE(fakes_.alerts->shown.empty());
    EXPECT_TRUE(fakes_.alerts->shown[0].message.contains("cannot be opened"));
    EXPECT_EQ(app_->masterFilePath(), defaultMasterPath());
    EXPECT_NE(app_->userInformation(), nullptr);
}

TEST_F(Startup, AMasterFileThatCannotBeWrittenOffersRetryFolderOrQuit)
{
    // "Vantora Data" is a file, so the default folder cannot be made; the folder chosen
    // instead cannot take the file either.
    QFile blocker(QDir(documents()).filePath("Vantora Data"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString notAFolder = QDir(documents()).filePath("Vantora Data");
    fakes_.filePanels->openAnswers = {notAFolder};
    fakes_.alerts->answers = {AlertOtherReturn}; // Quit
    app_ = std::make_unique<AppController>();
    EXPECT_FALSE(app_->continueStartup({}, {}, {}));
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "Retry");
    EXPECT_EQ(fakes_.alerts->shown[0].alternateButton, "Choose Folder");
    EXPECT_EQ(fakes_.alerts->shown[0].otherButton, "Quit");
}

TEST_F(Startup, UpdateCheckAtStartUpSpeaksOnlyOfNewerVersions)
{
    const QUrl page = AppController::serviceUrl("CurrentMacVersion.htm");
    fakes_.pageFetcher->pages[page] = "<html><VERSION>99.0.0</VERSION></html>";
    startApplication();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "Check for Updates");
    EXPECT_EQ(fakes_.alerts->shown[0].message, "A brand new version is available!");
    ASSERT_FALSE(fakes_.workspace->openedUrls.isEmpty());
    EXPECT_EQ(fakes_.workspace->openedUrls[0], AppController::serviceUrl(QString()));

    TearDown();
    SetUp();
    fakes_.pageFetcher->pages[page] = "<VERSION>" + AppController::shortVersion().toUtf8() + "</VERSION>";
    startApplication();
    EXPECT_TRUE(fakes_.alerts->shown.empty());

    TearDown();
    SetUp();
    startApplication(); // the page cannot be read: nothing is shown
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST(VersionComparison, PartByPartWithMissingPartsAsZero)
{
    using News = AppController::VersionNews;
    EXPECT_EQ(AppController::compareVersions("3.1.4", "3.1.4"), News::UpToDate);
    EXPECT_EQ(AppController::compareVersions("3.1.4", "3.2.0"), News::NewMinor);
    EXPECT_EQ(AppController::compareVersions("3.1.4", "3.1.5"), News::NewPatch);
    EXPECT_EQ(AppController::compareVersions("3.1.4", "4.0.0"), News::NewMajor);
    EXPECT_EQ(AppController::compareVersions("3.2.0", "3.1.9"), News::UpToDate);
    EXPECT_EQ(AppController::compareVersions("3.1", "3.1.1"), News::NewPatch);
    EXPECT_EQ(AppController::compareVersions("3.1.4", ""), News::UpToDate);
    EXPECT_EQ(AppController::compareVersions("3.1.4", "3.x.9"), News::UpToDate);
}

TEST_F(Startup, QuittingClosesStoriesAndTheMasterFile)
{
    startApplication();
    const QString story = makeStory("Quit.vtrsf");
    ASSERT_NE(app_->documentController().openDocument(story), nullptr);
    QSignalSpy quit(app_.get(), &AppController::terminateRequested);
    app_->actions().mnuQuit->trigger();
    EXPECT_EQ(quit.count(), 1);
    EXPECT_TRUE(app_->terminated());
    EXPECT_EQ(app_->masterDatabase(), nullptr);
}
