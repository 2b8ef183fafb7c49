#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "interchange/XMLParsedScript.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/TitleLoglineView.h"
#include "support/FdxText.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QTest>

#include <vector>

namespace {

QString inFile(const QString& path, const QString& sql)
{
    DatabaseConnection connection = StoryFile::open(path);
    return SqlProbe::scalar(connection.get(), sql);
}

// A small project of the earlier version 2 in the XML form of a keyed archive: one card with a
// line of script, a page count of 60.
QByteArray earlierProject()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>$top</key><dict><key>root</key><dict><key>CF$UID</key><integer>1</integer></dict></dict>"
        "<key>$objects</key><array><string>$null</string>"
        "<dict><key>$class</key><dict><key>CF$UID</key><integer>2</integer></dict>"
        "<key>screenPlayTitle</key><dict><key>CF$UID</key><integer>3</integer></dict>"
        "<key>pageCount</key><integer>60</integer>"
        "<key>sceneCards</key><dict><key>CF$UID</key><integer>4</integer></dict></dict>"
        "<dict><key>$classname</key><string>Screenplay</string></dict>"
        "<string>Lighthouse</string>"
        "<dict><key>NS.objects</key><array><dict><key>CF$UID</key><integer>5</integer></dict></array></dict>"
        "<dict><key>$class</key><dict><key>CF$UID</key><integer>6</integer></dict>"
        "<key>sceneCardID</key><integer>12</integer><key>pageNumber</key><integer>9</integer>"
        "<key>onBoard</key><true/><key>script</key><dict><key>CF$UID</key><integer>7</integer></dict></dict>"
        "<dict><key>$classname</key><string>SceneCard</string></dict>"
        "<string>The lamp turns.</string>"
        "</array></dict></plist>\n");
}

QByteArray sampleScript(int pages)
{
    return FdxText::script(
        FdxText::heading(QStringLiteral("INT. DINER - NIGHT"), QStringLiteral("2"), QStringLiteral("Meeting")) +
            FdxText::paragraph(QStringLiteral("Character"), QStringLiteral("JUNE")) +
            FdxText::paragraph(QStringLiteral("Dialogue"), QStringLiteral("Coffee?")) +
            FdxText::heading(QStringLiteral("EXT. LOT - NIGHT"), QStringLiteral("3")) +
            FdxText::paragraph(QStringLiteral("Action"), QStringLiteral("Rain.")),
        FdxText::lockedPages(pages) + QStringLiteral("<SmartType><Characters><Character>June</Character></Characters>"
                                                     "</SmartType>"));
}

// `scenes` headings spread evenly over pages 2 to `pages`, all of them locked.
QByteArray scenesOverPages(int scenes, int pages)
{
    QString content;
    for (int scene = 0; scene < scenes; ++scene)
        content += FdxText::heading(QStringLiteral("INT. ROOM %1 - DAY").arg(scene + 1),
                                    QString::number(2 + scene * (pages - 2) / (scenes - 1)));
    return FdxText::script(content, FdxText::lockedPages(pages));
}

} // namespace

class InterchangeCommands : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
        fakes_.alerts->shown.clear();
    }
    DocumentController& controller() { return app_->documentController(); }
    AppActions& menus() { return app_->actions(); }
    QString script(const QString& name, const QByteArray& bytes)
    {
        return FdxText::writeFile(QDir(documents()).filePath(name), bytes);
    }
    MyDocument* openStory(const QString& name)
    {
        MyDocument* document = controller().openDocument(makeStory(name));
        settle();
        return document;
    }
    void expectOneAlert(const QString& title, const QString& message)
    {
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, title);
        EXPECT_EQ(fakes_.alerts->shown[0].message, message);
        fakes_.alerts->shown.clear();
    }
};

TEST_F(InterchangeCommands, AScriptBecomesANewStoryOpenedInItsWindow)
{
    const QString scriptPath = script(QStringLiteral("Night Diner.fdx"), sampleScript(12));
    const QString target = QDir(documents()).filePath(QStringLiteral("Diner"));
    fakes_.filePanels->openAnswers = {scriptPath};
    fakes_.filePanels->saveAnswers = {target};
    menus().mnuImportFinalDraft->trigger();
    settle();

    EXPECT_TRUE(fakes_.alerts->shown.empty());
    ASSERT_EQ(fakes_.filePanels->openPanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->openPanels[0].title, QStringLiteral("Select the Final Draft 8/9 File to Import"));
    EXPECT_EQ(fakes_.filePanels->openPanels[0].allowedExtensions, QStringList{"fdx"});
    ASSERT_EQ(fakes_.filePanels->savePanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->savePanels[0].title, QStringLiteral("Select the Location for the New File"));
    EXPECT_EQ(fakes_.filePanels->savePanels[0].proposedName, QStringLiteral("Awesome Screenplay.vtrsf"));
    EXPECT_EQ(fakes_.filePanels->savePanels[0].directory, documents());

    ASSERT_EQ(controller().documentCount(), 1u);
    MyDocument* document = controller().currentDocument();
    EXPECT_EQ(document->thisFileName(), target + QStringLiteral(".vtrsf"));
    EXPECT_EQ(document->currentScreenplay()->screenplayTitle(), QStringLiteral("Night Diner"));
    EXPECT_EQ(document->currentScreenplay()->sceneCards().size(), 2u);
    EXPECT_EQ(
        inFile(document->thisFileName(),
               QStringLiteral("SELECT PageCount || '|' || (SELECT group_concat(Heading, ',') FROM SceneCard) || '|' "
                              "|| (SELECT count(*) FROM SceneCardCharacter) FROM Screenplay")),
        QStringLiteral("12|INT. DINER - NIGHT,EXT. LOT - NIGHT|1"));
    ASSERT_NE(app_->progressWindow(), nullptr);
    EXPECT_FALSE(app_->progressWindow()->isVisible());
    EXPECT_EQ(app_->lblUploadingFile()->text(), QStringLiteral("Importing Night Diner.fdx..."));
    EXPECT_EQ(app_->progressWindow()->palette().color(QPalette::Window), QColor::fromRgb(205, 133, 63));
    EXPECT_EQ(
        QDir(documents()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).filter(".vantora-new"),
        QStringList());
}

// A page count changed and changed back, typed into the title pane as a writer does, gives
// every imported card the page and the beat the import gave it and moves none of them; no card is
// ever on page 0 or left of the board.
TEST_F(InterchangeCommands, AnImportedStorysCardsKeepTheirPagesWhenThePageCountComesBack)
{
    struct Row {
        int pages;
        int scenes;
        std::vector<int> counts;
        // The board fitted first to a pane narrower than a row of cards.
        bool narrowBoard = false;
    };
    const Row rows[] = {
        {127, 192, {128, 127, 90, 120, 127}},
        // A scene on every page, the first and the last of every row among them.
        {110, 109, {111, 110, 200, 110}},
        // A short film on a board fitted to a narrow pane.
        {4, 8, {5, 4, 104, 4, 1000, 4}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pages);
        const QString name = QStringLiteral("Paged %1").arg(row.pages);
        fakes_.filePanels->openAnswers = {
            script(name + QStringLiteral(".fdx"), scenesOverPages(row.scenes, row.pages))};
        fakes_.filePanels->saveAnswers = {QDir(documents()).filePath(name)};
        menus().mnuImportFinalDraft->trigger();
        settle();
        MyDocument* document = controller().currentDocument();
        ASSERT_NE(document, nullptr);
        if (row.narrowBoard) {
            document->window()->resize(1366, 768);
            document->window()->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(document->window()));
            // The divider dragged to the right, as far as a writer drags it to see the beats.
            document->splBeats()->setPosition(880);
            settle();
            ASSERT_GT(document->scrBoard()->viewport()->width(), 0);
            ASSERT_LT(document->scrBoard()->viewport()->width(), 278);
            menus().mnuPPBSFitToCurrentView->trigger();
            settle();
            EXPECT_GE(document->currentScreenplay()->boardWidth(), 270 + 270 + 8);
        }
        const auto pages = [document] {
            return inFile(document->thisFileName(),
                          QStringLiteral("SELECT group_concat(PageNumber || ':' || CurrentBeatSection) FROM (SELECT "
                                         "PageNumber, CurrentBeatSection FROM SceneCard ORDER BY SortOrder)"));
        };
        const auto offTheBoard = [document] {
            return inFile(document->thisFileName(),
                          QStringLiteral("SELECT count(*) FROM SceneCard WHERE PageNumber < 1 OR PositionLeft < 4"));
        };
        // Where each card was put, on the board the import stored: a new page count reads the cards
        // again and moves none of them.
        const auto places = [document] {
            return inFile(document->thisFileName(),
                          QStringLiteral("SELECT group_concat(PositionLeft || ',' || PositionTop || ',' || "
                                         "PercentageHorizontal || ',' || PercentageVertical, ' ') FROM (SELECT * FROM "
                                         "SceneCard ORDER BY SortOrder)"));
        };
        const QString imported = pages();
        const QString importedPlaces = places();
        ASSERT_EQ(imported.count(','), row.scenes - 1);
        EXPECT_EQ(offTheBoard(), QStringLiteral("0"));
        QLineEdit* field = document->titleLoglineView()->tfPageCount();
        for (const int count : row.counts) {
            SCOPED_TRACE(count);
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, QString::number(count));
            QTest::keyClick(field, Qt::Key_Return);
            settle();
            ASSERT_EQ(document->currentScreenplay()->pageCount(), count);
            EXPECT_EQ(offTheBoard(), QStringLiteral("0"));
            if (count == row.pages) {
                EXPECT_EQ(pages(), imported);
            }
            EXPECT_EQ(places(), importedPlaces);
        }
        document->window()->close();
        settle();
    }
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(InterchangeCommands, RefusedScriptsLeaveNoFileAndKeepWhatStoodThere)
{
    const QString kept = FdxText::writeFile(QDir(documents()).filePath(QStringLiteral("Kept.vtrsf")), "an older file");
    struct Row {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    const Row rows[] = {
        {"three pages", sampleScript(3),
         "The script must be from 4 to 1000 pages. Lock the Pages under the Production menu in Final Draft and try "
         "again."},
        {"1001 pages", sampleScript(1001),
         "The script must be from 4 to 1000 pages. Lock the Pages under the Production menu in Final Draft and try "
         "again."},
        {"no locked pages", FdxText::script(FdxText::heading(QStringLiteral("INT. A"), QStringLiteral("1")), QString()),
         "The script must have page numbers. Lock the Pages under the Production menu in Final Draft then try again."},
        {"not a script", FdxText::script(QString(), FdxText::lockedPages(5), QStringLiteral("Other")),
         "The file doesn't appear to be a Final Draft 8/9 script file."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fakes_.filePanels->openAnswers = {script(QStringLiteral("in.fdx"), row.bytes)};
        fakes_.filePanels->saveAnswers = {kept};
        menus().mnuImportFinalDraft->trigger();
        settle();
        expectOneAlert(QStringLiteral("Import Final Draft Script"), QString::fromUtf8(row.message));
        // Refused before any import began: the progress window never showed.
        EXPECT_TRUE(app_->progressWindow() == nullptr || !app_->progressWindow()->isVisible());
        EXPECT_EQ(controller().documentCount(), 0u);
        QFile older(kept);
        ASSERT_TRUE(older.open(QIODevice::ReadOnly));
        EXPECT_EQ(older.readAll(), QByteArray("an older file"));
    }
    // A damaged script is refused the same way, saying where it breaks.
    const QByteArray whole = sampleScript(5);
    fakes_.filePanels->openAnswers = {script(QStringLiteral("cut.fdx"), whole.left(whole.size() / 2))};
    fakes_.filePanels->saveAnswers = {kept};
    menus().mnuImportFinalDraft->trigger();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(
        QStringLiteral("The file doesn't appear to be a Final Draft 8/9 script file.\n\n\"cut.fdx\" breaks off")));
    EXPECT_EQ(QDir(documents()).entryList({"*.vtrsf"}), QStringList{"Kept.vtrsf"});
    // Each script was refused before the user was asked where its story would go.
    EXPECT_TRUE(fakes_.filePanels->savePanels.empty());
}

TEST_F(InterchangeCommands, TheFileOfAnOpenStoryIsNeverTheNewFile)
{
    MyDocument* open = openStory(QStringLiteral("Open Story.vtrsf"));
    ASSERT_NE(open, nullptr);
    const QString before = inFile(open->thisFileName(), QStringLiteral("SELECT ScreenplayGUID FROM Screenplay"));
    const QString fdx = script(QStringLiteral("in.fdx"), sampleScript(10));
    const QString vtr = script(QStringLiteral("Lighthouse Keeper.vtr"), earlierProject());
    const struct {
        const char* name;
        QAction* command;
        QString input;
        const char* chosen;
        bool refused;
    } rows[] = {
        {"a script", menus().mnuImportFinalDraft, fdx, "Open Story.vtrsf", true},
        {"a script, the extension added by the panel", menus().mnuImportFinalDraft, fdx, "Open Story", true},
        {"an earlier version's project", menus().mnuImportVantoraMac, vtr, "Open Story.vtrsf", true},
        // Letter case tells two files apart: a new story beside the open one.
        {"a script, the name in capitals", menus().mnuImportFinalDraft, fdx, "OPEN STORY.VTRSF", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes_.filePanels->replaceQuestions.clear();
        fakes_.filePanels->openAnswers = {row.input};
        fakes_.filePanels->saveAnswers = {QDir(documents()).filePath(QString::fromLatin1(row.chosen))};
        row.command->trigger();
        settle();
        // Refused before the panel could ask whether to replace it.
        EXPECT_TRUE(fakes_.filePanels->replaceQuestions.isEmpty());
        if (row.refused)
            expectOneAlert(QStringLiteral("Import Script"),
                           QStringLiteral("The new file cannot have the same name as a file that is already open."));
        EXPECT_TRUE(fakes_.alerts->shown.empty());
        EXPECT_EQ(controller().documentCount(), row.refused ? 1u : 2u);
        EXPECT_EQ(inFile(open->thisFileName(), QStringLiteral("SELECT ScreenplayGUID FROM Screenplay")), before);
    }
}

TEST_F(InterchangeCommands, CancellingEitherPanelChangesNothing)
{
    fakes_.filePanels->openAnswers = {std::nullopt};
    menus().mnuImportFinalDraft->trigger();
    fakes_.filePanels->openAnswers = {script(QStringLiteral("in.fdx"), sampleScript(10))};
    fakes_.filePanels->saveAnswers = {std::nullopt};
    menus().mnuImportFinalDraft->trigger();
    settle();
    EXPECT_EQ(fakes_.filePanels->savePanels.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    EXPECT_EQ(controller().documentCount(), 0u);
    EXPECT_TRUE(QDir(documents()).entryList({"*.vtrsf"}).isEmpty());
}

TEST_F(InterchangeCommands, AScriptIsReadIntoTheOpenStory)
{
    MyDocument* document = openStory(QStringLiteral("Into.vtrsf"));
    ASSERT_NE(document, nullptr);
    document->window()->activateWindow();
    fakes_.filePanels->openAnswers = {script(QStringLiteral("in.fdx"), sampleScript(20))};
    menus().mnuImportFinalDraftIntoStory->trigger();
    settle();
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    EXPECT_EQ(document->currentScreenplay()->sceneCards().size(), 2u);
    EXPECT_EQ(document->currentScreenplay()->pageCount(), 20);
    EXPECT_EQ(document->sceneCardControls().size(), 2u);
    EXPECT_EQ(inFile(document->thisFileName(), QStringLiteral("SELECT count(*) || '|' || (SELECT PageCount FROM "
                                                              "Screenplay) FROM SceneCard")),
              QStringLiteral("2|20"));
    ASSERT_NE(document->titleLoglineView(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), document->titleLoglineView()->tfTitle());

    fakes_.filePanels->openAnswers = {script(QStringLiteral("short.fdx"), sampleScript(2))};
    menus().mnuImportFinalDraftIntoStory->trigger();
    settle();
    expectOneAlert(QStringLiteral("Import Final Draft 8/9 Script"),
                   QStringLiteral("The script must be from 4 to 1000 pages.\nBe sure to open the script in Final Draft "
                                  "and Lock the Pages then Lock the A Pages under the Production menu."));
    EXPECT_EQ(document->currentScreenplay()->sceneCards().size(), 2u);
}

TEST_F(InterchangeCommands, AFailedImportIntoTheOpenStoryOpensItAgainFromItsUnchangedFile)
{
    const QString path = makeStory(QStringLiteral("Fails.vtrsf"));
    MyDocument* document = controller().openDocument(path);
    settle();
    ASSERT_NE(document, nullptr);
    // The story's own connection refuses the third script paragraph; the trigger lives with that
    // connection only, so the file itself stays a plain story.
    SqlProbe::exec(document->database(),
                   QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE INSERT ON main.ScriptPart "
                                  "WHEN NEW.SortOrder = 3 BEGIN SELECT RAISE(ABORT, 'disk full'); "
                                  "END"));
    fakes_.filePanels->openAnswers = {script(QStringLiteral("in.fdx"), sampleScript(20))};
    menus().mnuImportFinalDraftIntoStory->trigger();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown[0].message.contains(QStringLiteral("disk full")));
    ASSERT_EQ(controller().documentCount(), 1u);
    MyDocument* reopened = controller().currentDocument();
    ASSERT_NE(reopened->currentScreenplay(), nullptr);
    EXPECT_TRUE(reopened->currentScreenplay()->sceneCards().empty());
    EXPECT_EQ(reopened->currentScreenplay()->pageCount(), 110);
    EXPECT_EQ(inFile(path, QStringLiteral("SELECT (SELECT count(*) FROM SceneCard) || '|' || (SELECT count(*) FROM "
                                          "Character) || '|' || PageCount FROM Screenplay")),
              QStringLiteral("0|0|110"));
}

TEST_F(InterchangeCommands, ExportWritesTheScriptAndOpensItOnlyWhenWritten)
{
    MyDocument* document = openStory(QStringLiteral("Exported Story.vtrsf"));
    ASSERT_NE(document, nullptr);
    const QString path = QDir(documents()).filePath(QStringLiteral("out"));
    fakes_.filePanels->saveAnswers = {path};
    menus().mnuExportFinalDraft->trigger();
    settle();
    ASSERT_EQ(fakes_.filePanels->savePanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->savePanels[0].title, QStringLiteral("Export to Final Draft 8/9"));
    EXPECT_EQ(fakes_.filePanels->savePanels[0].proposedName, QStringLiteral("Exported Story.fdx"));
    EXPECT_EQ(fakes_.filePanels->savePanels[0].allowedExtensions, QStringList{"fdx"});
    expectOneAlert(QStringLiteral("Export to Final Draft 8"), QStringLiteral("Script Exported"));
    EXPECT_EQ(fakes_.workspace->openedFiles, QStringList{path + QStringLiteral(".fdx")});
    QFile written(path + QStringLiteral(".fdx"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    XMLParsedScript parsed;
    EXPECT_TRUE(parsed.parseScriptData(written.readAll()));
    EXPECT_TRUE(parsed.isScript());

    // A path that cannot be written: the failure is told and the older file there stays closed.
    const QString blocker = FdxText::writeFile(QDir(documents()).filePath(QStringLiteral("plain")), "x");
    fakes_.filePanels->saveAnswers = {QDir(blocker).filePath(QStringLiteral("out.fdx"))};
    menus().mnuExportFinalDraft->trigger();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Export to Final Draft 8/9"));
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(QStringLiteral("Unable to write the file.")));
    EXPECT_EQ(fakes_.workspace->openedFiles.size(), 1);
}

TEST_F(InterchangeCommands, AnExportTheDesktopCannotShowEndsWithScriptExportedAlone)
{
    MyDocument* document = openStory(QStringLiteral("Unviewed.vtrsf"));
    ASSERT_NE(document, nullptr);
    fakes_.workspace->hasViewer = false;
    const QString path = QDir(documents()).filePath(QStringLiteral("unviewed.fdx"));
    fakes_.filePanels->saveAnswers = {path};
    menus().mnuExportFinalDraft->trigger();
    settle();
    // Asked once; the script is written all the same, and "Script Exported" is all that is
    // said: no program to show it is no failure of the export.
    EXPECT_EQ(fakes_.workspace->openedFiles, QStringList{path});
    EXPECT_TRUE(QFileInfo::exists(path));
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Export to Final Draft 8"));
    EXPECT_EQ(fakes_.alerts->shown[0].message, QStringLiteral("Script Exported"));
}

TEST_F(InterchangeCommands, NoMenuImportsAScriptIntoTheOpenStory)
{
    MyDocument* document = openStory(QStringLiteral("Menus.vtrsf"));
    ASSERT_NE(document, nullptr);
    const QMenu* file = nullptr;
    for (QAction* item : document->window()->menuBar()->actions()) {
        const QMenu* menu = item->menu();
        ASSERT_NE(menu, nullptr);
        if (menu->title() == QStringLiteral("&File"))
            file = menu;
        EXPECT_FALSE(menu->actions().contains(menus().mnuImportFinalDraftIntoStory)) << menu->title().toStdString();
    }
    ASSERT_NE(file, nullptr);
    // The File menu keeps the other script commands.
    EXPECT_TRUE(file->actions().contains(menus().mnuImportFinalDraft));
    EXPECT_TRUE(file->actions().contains(menus().mnuExportFinalDraft));
}

TEST_F(InterchangeCommands, AnEarlierVersionProjectBecomesANewStory)
{
    const QString projectPath = script(QStringLiteral("Lighthouse Keeper.vtr"), earlierProject());
    fakes_.filePanels->openAnswers = {projectPath};
    fakes_.filePanels->saveAnswers = {QDir(documents()).filePath(QStringLiteral("Converted"))};
    menus().mnuImportVantoraMac->trigger();
    settle();
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    ASSERT_EQ(fakes_.filePanels->openPanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->openPanels[0].title,
              QStringLiteral("Select the Vantora Software Project File to Import"));
    EXPECT_EQ(fakes_.filePanels->openPanels[0].allowedExtensions, QStringList{"vtr"});
    ASSERT_EQ(fakes_.filePanels->savePanels.size(), 1u);
    EXPECT_EQ(fakes_.filePanels->savePanels[0].proposedName, QStringLiteral("Lighthouse Keeper.vtrsf"));
    EXPECT_EQ(app_->lblUploadingFile()->text(), QStringLiteral("Converting Lighthouse Keeper.vtr..."));
    EXPECT_FALSE(app_->progressWindow()->isVisible());
    ASSERT_EQ(controller().documentCount(), 1u);
    MyDocument* document = controller().currentDocument();
    EXPECT_EQ(document->currentScreenplay()->screenplayTitle(), QStringLiteral("Lighthouse"));
    EXPECT_EQ(document->currentScreenplay()->pageCount(), 60);
    EXPECT_EQ(inFile(document->thisFileName(), QStringLiteral("SELECT SceneCardID || ':' || PageNumber || ':' || "
                                                              "(SELECT ScriptText FROM ScriptPart) FROM SceneCard")),
              QStringLiteral("12:9:The lamp turns."));
}

TEST_F(InterchangeCommands, EarlierVersionFilesThatCannotBeUsedAreRefused)
{
    const QString kept = FdxText::writeFile(QDir(documents()).filePath(QStringLiteral("Kept.vtrsf")), "older");
    fakes_.filePanels->openAnswers = {script(QStringLiteral("project.VTR"), earlierProject())};
    menus().mnuImportVantoraMac->trigger();
    expectOneAlert(QStringLiteral("Import File"), QStringLiteral("Please select a Vantora Version 1 or 2 file."));
    EXPECT_TRUE(fakes_.filePanels->savePanels.empty());

    fakes_.filePanels->openAnswers = {script(QStringLiteral("broken.vtr"), earlierProject().left(300))};
    fakes_.filePanels->saveAnswers = {kept};
    menus().mnuImportVantoraMac->trigger();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Import File"));
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(
        QStringLiteral("\"broken.vtr\" is not a Vantora Version 1 or 2 project that can be read.")));
    EXPECT_FALSE(app_->progressWindow()->isVisible());
    EXPECT_EQ(controller().documentCount(), 0u);
    QFile older(kept);
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older"));
}
