#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/RetrieveFromCloud.h"
#include "model/Screenplaydb.h"
#include "panes/ModalDialogs.h"
#include "panes/TitleLoglineView.h"
#include "platform/QtPlatform.h"
#include "support/FileBytes.h"
#include "web/CloudToolkit.h"
#include "web/FakeCloudService.h"
#include "web/http/LoopbackServer.h"
#include "web/http/NetworkQueue.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

const QString kUploadTitle = QStringLiteral("Upload to the Cloud");
const QString kUploadFailed = QStringLiteral(
    "Unable to upload at this time. Please check your Internet connection and/or firewall and try again later.");

void writeFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(FileBytes::write(path, bytes));
}

} // namespace

// A running application whose cloud endpoints all point at a fake service on 127.0.0.1, with
// the account number 42 in the settings.
class CloudCommands : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Platform::setUrlLoader(std::make_unique<QtUrlLoader>());
        pointCloudEndpointsAt(service.root());
        Platform::userDefaults().setString(QStringLiteral("VTRAccountNumber"), QStringLiteral("42"));
        startApplication();
        fakes_.alerts->shown.clear();
    }
    void TearDown() override
    {
        ModalDialogs::setRunner({});
        AppFixture::TearDown();
    }
    AppActions& menus() { return app_->actions(); }
    MyDocument* openStory(const QString& name)
    {
        MyDocument* document = app_->documentController().openDocument(makeStory(name));
        settle();
        return document;
    }
    void listFiles(const QString& answer)
    {
        service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|store-user|store-pass"));
        service.answer(QStringLiteral("PrepForDownload"), answer);
    }
    QStringList alertTexts() const
    {
        QStringList texts;
        for (const AlertRequest& alert : fakes_.alerts->shown)
            texts.append(alert.title + QStringLiteral(": ") + alert.message);
        return texts;
    }
    // Answers the account number dialog by typing `typed` and pressing Return (Cancel when
    // nothing is to be typed), and ends the retrieval dialog with its Cancel button.
    void answerDialogs(const QString& typed)
    {
        ModalDialogs::setRunner([this, typed](QDialog& dialog) {
            dialogs.append(dialog.objectName());
            return answerAccountNumberDialog(dialog, typed);
        });
    }
    void clickDownloadCell(RetrieveFromCloud& dialog, int row)
    {
        QTableView* table = dialog.tvFiles();
        const QRect cell = table->visualRect(table->model()->index(row, 1));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QString storedPath(const QString& name) const { return QStringLiteral("/Vantora3Queue/42/%1.txt").arg(name); }

    FakeCloudService service;
    QStringList dialogs;
};

// --- Upload --------------------------------------------------------------------------------------

TEST(CloudUploadRecord, TheRecordIdentifierAddsTheNamesCodeUnitsToTheSize)
{
    const int ab = int(u'a') + int(u'b') + int(u'.') + int(u'v') + int(u't') + int(u'r') + int(u's') + int(u'f');
    const struct {
        const char* name;
        QString fileName;
        qint64 size;
        qint32 expected;
    } rows[] = {
        {"a and b, 100 bytes", QStringLiteral("ab.vtrsf"), 100, 100 + ab},
        {"no size", QStringLiteral("ab.vtrsf"), 0, ab},
        {"beyond Latin", QStringLiteral("\u00e9\U0001F3AC"), 1, 0xE9 + 0xD83C + 0xDFAC + 1},
        {"wraps at 32 bits", QStringLiteral("a"), 0x7FFFFFFF, qint32(0x80000060)},
        {"size past 32 bits keeps its low half", QStringLiteral("a"), (qint64(1) << 32) + 3, 0x61 + 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MyDocument::recordIdentifier(row.fileName, row.size), row.expected);
    }
}

TEST_F(CloudCommands, TheStoryFileReachesTheUploadPageInFivePartsWhileTheBarFills)
{
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|store-user|a&b<c"));
    service.answer(QStringLiteral("PrepForUpload"), QStringLiteral("SUCCESS"));
    MyDocument* document = openStory(QStringLiteral("ab.vtrsf"));
    ASSERT_TRUE(document);
    // A title still being typed is in the file before the file goes.
    document->window()->activateWindow();
    QLineEdit* title = document->titleLoglineView()->tfTitle();
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, "Balloon Race");
    menus().mnuTransferToTheCloud->trigger();
    ASSERT_TRUE(document->progressWindow());
    EXPECT_TRUE(document->progressWindow()->isVisible());
    EXPECT_EQ(document->lblUploadingFile()->text(), QStringLiteral("Uploading Balloon Race..."));
    EXPECT_EQ(document->progressWindow()->palette().color(QPalette::Window), document->standardBackgroundColor());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes_.alerts->shown.empty(); }, 10000));
    EXPECT_EQ(alertTexts(), QStringList{kUploadTitle + QStringLiteral(": File Uploaded")});
    EXPECT_FALSE(document->progressWindow()->isVisible());
    EXPECT_EQ(document->progressIndicator()->value(), document->progressIndicator()->maximum());
    ASSERT_TRUE(QTest::qWaitFor([&] { return document->uploadQueueCount() == 0; }, 5000));

    EXPECT_EQ(service.operations(), (QStringList{QStringLiteral("MiscInfo"), QStringLiteral("PrepForUpload")}));
    ASSERT_EQ(service.uploads().size(), 1);
    const auto upload = service.uploads().first();
    EXPECT_EQ(upload.path, "/Vantora3WebServiceTest/VTR31001.aspx");
    const QByteArray contentType = upload.headers.value("content-type");
    const QByteArray boundary = contentType.mid(contentType.indexOf("boundary=") + 9);
    const auto parts = multipartParts(upload.body, boundary);
    ASSERT_EQ(parts.size(), 5);
    const QByteArray story = FileBytes::read(document->thisFileName());
    EXPECT_TRUE(story.contains("Balloon Race"));
    const QStringList names = {QStringLiteral("serialNumber"), QStringLiteral("userName"), QStringLiteral("password"),
                               QStringLiteral("recordid"), QStringLiteral("file")};
    const QList<QByteArray> contents = {"42", "store-user", "a&b<c",
                                        QByteArray::number(MyDocument::recordIdentifier(QStringLiteral("ab.vtrsf"),
                                                                                        story.size())),
                                        story};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(names[i].toStdString());
        EXPECT_EQ(parts[i].name, names[i]);
        EXPECT_EQ(parts[i].content, contents[i]);
    }
    EXPECT_EQ(parts[4].fileName, QStringLiteral("ab.vtrsf"));
    EXPECT_TRUE(parts[0].fileName.isEmpty());
}

TEST_F(CloudCommands, OnlyASuccessfulAnswerOfTheUploadPageCountsAsUploaded)
{
    const struct {
        const char* status;
        QString message;
    } rows[] = {
        {"201 Created", QStringLiteral("File Uploaded")},
        {"500 Internal Server Error", kUploadFailed},
        {"404 Not Found", kUploadFailed},
        {"302 Found", kUploadFailed},
    };
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|u|p"));
    service.answer(QStringLiteral("PrepForUpload"), QStringLiteral("SUCCESS"));
    MyDocument* document = openStory(QStringLiteral("Statuses.vtrsf"));
    ASSERT_TRUE(document);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        fakes_.alerts->shown.clear();
        service.setUploadStatus(row.status);
        menus().mnuTransferToTheCloud->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes_.alerts->shown.empty(); }, 10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return document->uploadQueueCount() == 0; }, 5000));
        EXPECT_EQ(alertTexts(), QStringList{kUploadTitle + QStringLiteral(": ") + row.message});
        EXPECT_FALSE(document->progressWindow()->isVisible());
    }
}

// An upload still running when the command comes again goes on to its end: each tells its own
// end, and the progress window stays up until the last has ended.
TEST_F(CloudCommands, ASecondUploadLeavesTheOneRunningToFinish)
{
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|u|p"));
    service.answer(QStringLiteral("PrepForUpload"), QStringLiteral("SUCCESS"));
    service.holdUploadAnswers(true);
    MyDocument* document = openStory(QStringLiteral("Kessler Pass.vtrsf"));
    ASSERT_TRUE(document);
    menus().mnuTransferToTheCloud->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.uploads().size() == 1; }, 10000));
    menus().mnuTransferToTheCloud->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.uploads().size() == 2; }, 10000));
    EXPECT_EQ(alertTexts(), QStringList());
    EXPECT_EQ(document->uploadQueueCount(), 2);

    const QStringList uploaded = {kUploadTitle + QStringLiteral(": File Uploaded")};
    ASSERT_TRUE(service.releaseUploadAnswer());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes_.alerts->shown.empty(); }, 10000));
    EXPECT_EQ(alertTexts(), uploaded);
    EXPECT_TRUE(document->progressWindow()->isVisible());
    ASSERT_TRUE(service.releaseUploadAnswer());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fakes_.alerts->shown.size() == 2; }, 10000));
    EXPECT_EQ(alertTexts(), uploaded + uploaded);
    EXPECT_FALSE(document->progressWindow()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return document->uploadQueueCount() == 0; }, 5000));

    // Both reached the server whole.
    const QByteArray story = FileBytes::read(document->thisFileName());
    for (const auto& upload : service.uploads())
        EXPECT_TRUE(upload.body.contains(story));
}

namespace {

// The lines logged under one category while it lives, each with the number of alerts shown
// before it ("here after 1").
class CategoryLog
{
public:
    CategoryLog(const char* category, const std::vector<AlertRequest>& alerts)
    {
        state() = {category, &alerts, {}};
        previous_ = qInstallMessageHandler(&CategoryLog::handle);
    }
    ~CategoryLog() { qInstallMessageHandler(previous_); }
    CategoryLog(const CategoryLog&) = delete;
    CategoryLog& operator=(const CategoryLog&) = delete;
    QStringList lines() const { return state().lines; }

private:
    struct State {
        QByteArray category;
        const std::vector<AlertRequest>* alerts = nullptr;
        QStringList lines;
    };
    static State& state()
    {
        static State current;
        return current;
    }
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (context.category && state().category == context.category)
            state().lines << QStringLiteral("%1 after %2").arg(message).arg(state().alerts->size());
    }
    QtMessageHandler previous_ = nullptr;
};

} // namespace

// After the post's own callback (with its alert), the queue tells the document that the
// request ended and then that the queue is empty; each logs a line under the web category.
TEST_F(CloudCommands, TheQueueLogsTheEndOfThePostAndOfItselfAfterTheAlert)
{
    const struct {
        const char* name;
        QByteArray status;
        QString message;
    } rows[] = {
        {"answered", "201 Created", QStringLiteral("File Uploaded")},
        {"refused", "500 Internal Server Error", kUploadFailed},
        {"connection dropped", "", kUploadFailed},
    };
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|u|p"));
    service.answer(QStringLiteral("PrepForUpload"), QStringLiteral("SUCCESS"));
    MyDocument* document = openStory(QStringLiteral("Logged.vtrsf"));
    ASSERT_TRUE(document);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes_.alerts->shown.clear();
        service.setUploadStatus(row.status);
        CategoryLog log("vantora.web", fakes_.alerts->shown);
        menus().mnuTransferToTheCloud->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return document->uploadQueueCount() == 0; }, 10000));
        EXPECT_EQ(alertTexts(), QStringList{kUploadTitle + QStringLiteral(": ") + row.message});
        EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("here after 1"), QStringLiteral("here after 1")}));
    }
}

// The story file and the storage password never follow a redirect to another server, and a
// post that a redirect turned into a fetch of another page has uploaded nothing.
TEST_F(CloudCommands, ARedirectedUploadCarriesNothingAwayAndIsNoUpload)
{
    LoopbackServer elsewhere([](const LoopbackServer::Request&) { return LoopbackServer::answer("200 OK", "ok"); });
    const QByteArray away = "Location: " + elsewhere.url(QStringLiteral("/taken")).toEncoded() + "\r\n";
    const struct {
        const char* status;
        QByteArray elsewhereSaw; // the request line the other server saw, empty for none
    } rows[] = {
        {"302 Found", "GET /taken HTTP/1.1"},
        {"301 Moved Permanently", "GET /taken HTTP/1.1"},
        {"303 See Other", "GET /taken HTTP/1.1"},
        {"307 Temporary Redirect", ""},
    };
    service.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|u|p"));
    service.answer(QStringLiteral("PrepForUpload"), QStringLiteral("SUCCESS"));
    MyDocument* document = openStory(QStringLiteral("Redirected.vtrsf"));
    ASSERT_TRUE(document);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        fakes_.alerts->shown.clear();
        const qsizetype before = elsewhere.requests().size();
        service.setUploadStatus(row.status, away);
        menus().mnuTransferToTheCloud->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return document->uploadQueueCount() == 0; }, 10000));
        EXPECT_EQ(alertTexts(), QStringList{kUploadTitle + QStringLiteral(": ") + kUploadFailed});
        const auto seen = elsewhere.requests().mid(before);
        EXPECT_EQ(seen.size(), row.elsewhereSaw.isEmpty() ? 0 : 1);
        for (const auto& request : seen) {
            EXPECT_EQ(request.requestLine, row.elsewhereSaw);
            EXPECT_TRUE(request.body.isEmpty());
            EXPECT_FALSE(request.headers.contains("content-type"));
        }
    }
}

TEST_F(CloudCommands, ARefusedOrUnreachableAccountPostsNothing)
{
    const struct {
        const char* name;
        QString accountNumber;
        QString miscInfo;
        QString message;
    } rows[] = {
        {"refused", QStringLiteral("42"), QStringLiteral("Unauthorized Access"), CloudToolkit::refusalMessage()},
        {"no credentials", QStringLiteral("42"), QStringLiteral("nothing here"),
         QStringLiteral("Unable to make a connection to the server.")},
    };
    MyDocument* document = openStory(QStringLiteral("Refused.vtrsf"));
    ASSERT_TRUE(document);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes_.alerts->shown.clear();
        Platform::userDefaults().setString(QStringLiteral("VTRAccountNumber"), row.accountNumber);
        service.answer(QStringLiteral("MiscInfo"), row.miscInfo);
        menus().mnuTransferToTheCloud->trigger();
        EXPECT_EQ(alertTexts(), QStringList{kUploadTitle + QStringLiteral(": ") + row.message});
        EXPECT_FALSE(document->progressWindow() && document->progressWindow()->isVisible());
        EXPECT_EQ(document->uploadQueueCount(), 0);
    }
    EXPECT_TRUE(service.uploads().isEmpty());
    EXPECT_FALSE(service.operations().contains(QStringLiteral("PrepForUpload")));
}

// --- Retrieve ------------------------------------------------------------------------------------

TEST_F(CloudCommands, TheDialogListsTheStoredFilesTickedAndTheTicksFlipOnClick)
{
    listFiles(QStringLiteral("SUCCESS|Kessler Pass|Balloon Race|Notes & Ideas"));
    RetrieveFromCloud dialog(QStringLiteral("42"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.selectFiles(), (QStringList{QStringLiteral("Kessler Pass|1"), QStringLiteral("Balloon Race|1"),
                                                 QStringLiteral("Notes & Ideas|1")}));
    QAbstractItemModel* model = dialog.tvFiles()->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(2, 0).data().toString(), QStringLiteral("Notes & Ideas"));
    EXPECT_EQ(dialog.tvFiles()->rowHeight(1), RetrieveFromCloud::kRowHeight);
    clickDownloadCell(dialog, 1);
    EXPECT_EQ(dialog.selectFiles().at(1), QStringLiteral("Balloon Race|0"));
    EXPECT_EQ(model->index(1, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    // A click on the name changes nothing; a second click on the tick puts it back.
    QTest::mouseClick(dialog.tvFiles()->viewport(), Qt::LeftButton, {},
                      dialog.tvFiles()->visualRect(model->index(0, 0)).center());
    EXPECT_EQ(dialog.selectFiles().at(0), QStringLiteral("Kessler Pass|1"));
    clickDownloadCell(dialog, 1);
    EXPECT_EQ(dialog.selectFiles().at(1), QStringLiteral("Balloon Race|1"));
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(CloudCommands, ClearRemovesTheTickedFilesWithoutDownloadingThem)
{
    listFiles(QStringLiteral("SUCCESS|one|two|three"));
    service.answer(QStringLiteral("CleanUp"), QStringLiteral("SUCCESS"));
    RetrieveFromCloud dialog(QStringLiteral("42"));
    dialog.show();
    clickDownloadCell(dialog, 1);
    QTest::mouseClick(dialog.cmdClear(), Qt::LeftButton);
    EXPECT_EQ(service.operations(),
              (QStringList{QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload"), QStringLiteral("MiscInfo"),
                           QStringLiteral("CleanUp"), QStringLiteral("MiscInfo"), QStringLiteral("CleanUp"),
                           QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload")}));
    EXPECT_EQ(service.calls().at(3).arguments.value(QStringLiteral("fileName")), QStringLiteral("one"));
    EXPECT_EQ(service.calls().at(5).arguments.value(QStringLiteral("fileName")), QStringLiteral("three"));
    EXPECT_TRUE(service.fetchedPaths().isEmpty());
    EXPECT_TRUE(fakes_.filePanels->savePanels.empty());
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    // The list read again: every file ticked again.
    EXPECT_EQ(dialog.selectFiles().at(1), QStringLiteral("two|1"));
}

TEST_F(CloudCommands, DownloadSavesEachTickedFileWhereTheUserChooses)
{
    listFiles(QStringLiteral("SUCCESS|Kessler Pass|Balloon Race|Left Alone"));
    service.storeFile(storedPath(QStringLiteral("Kessler%20Pass")), {"200 OK", QByteArray("SQLite format 3\0one", 19)});
    service.storeFile(storedPath(QStringLiteral("Balloon%20Race")), {"200 OK", QByteArray("SQLite format 3\0two", 19)});
    const QString first = QDir(documents()).filePath(QStringLiteral("Kessler.VTRSF"));
    const QString second = QDir(documents()).filePath(QStringLiteral("Balloon"));
    fakes_.filePanels->saveAnswers = {first, second};
    RetrieveFromCloud dialog(QStringLiteral("42"));
    dialog.show();
    clickDownloadCell(dialog, 2);
    QTest::mouseClick(dialog.cmdDownload(), Qt::LeftButton);

    ASSERT_EQ(fakes_.filePanels->savePanels.size(), 2u);
    EXPECT_EQ(fakes_.filePanels->savePanels[0].title, QStringLiteral("Select the location for Kessler Pass"));
    EXPECT_EQ(fakes_.filePanels->savePanels[0].proposedName, QStringLiteral("Kessler Pass.vtrsf"));
    EXPECT_EQ(fakes_.filePanels->savePanels[1].proposedName, QStringLiteral("Balloon Race.vtrsf"));
    // Capitals keep their extension; a name without one gets it.
    EXPECT_EQ(FileBytes::read(first), QByteArray("SQLite format 3\0one", 19));
    EXPECT_EQ(FileBytes::read(second + QStringLiteral(".vtrsf")), QByteArray("SQLite format 3\0two", 19));
    EXPECT_EQ(alertTexts(), (QStringList{QStringLiteral("File Downloaded: Kessler Pass downloaded to:\n") + first,
                                         QStringLiteral("File Downloaded: Balloon Race downloaded to:\n") + second
                                             + QStringLiteral(".vtrsf")}));
    EXPECT_EQ(service.fetchedPaths(), (QList<QByteArray>{storedPath(QStringLiteral("Kessler%20Pass")).toUtf8(),
                                                         storedPath(QStringLiteral("Balloon%20Race")).toUtf8()}));
    EXPECT_FALSE(service.operations().contains(QStringLiteral("CleanUp")));
    EXPECT_EQ(service.operations().count(QStringLiteral("PrepForDownload")), 2);
}

TEST_F(CloudCommands, DownloadAndRemoveRemovesOnlyWhatWasSaved)
{
    listFiles(QStringLiteral("SUCCESS|missing|broken|good"));
    service.answer(QStringLiteral("CleanUp"), QStringLiteral("SUCCESS"));
    service.storeFile(storedPath(QStringLiteral("broken")), {"500 Internal Server Error", "<html>error</html>"});
    service.storeFile(storedPath(QStringLiteral("good")), {"200 OK", "story bytes"});
    const QString folder = documents();
    fakes_.filePanels->saveAnswers = {folder + QStringLiteral("/missing.vtrsf"),
                                      folder + QStringLiteral("/broken.vtrsf"), folder + QStringLiteral("/good.vtrsf")};
    RetrieveFromCloud dialog(QStringLiteral("42"));
    dialog.show();
    QTest::mouseClick(dialog.cmdDownloadAndRemove(), Qt::LeftButton);
    // The error pages were never saved as stories.
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/missing.vtrsf")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/broken.vtrsf")));
    EXPECT_EQ(FileBytes::read(folder + QStringLiteral("/good.vtrsf")), "story bytes");
    QStringList removed;
    for (const auto& call : service.calls())
        if (call.operation == QLatin1String("CleanUp"))
            removed.append(call.arguments.value(QStringLiteral("fileName")));
    EXPECT_EQ(removed, QStringList{QStringLiteral("good")});
    // The files that did not come are passed over without a word.
    EXPECT_EQ(alertTexts(), (QStringList{QStringLiteral("File Downloaded: good downloaded to:\n") + folder
                                         + QStringLiteral("/good.vtrsf")}));
}

TEST_F(CloudCommands, ACancelledPanelOrAFailedSaveEndsTheCommandAtOnce)
{
    const QString folder = documents();
    // A folder where the file should go: the save fails and the folder stays as it was.
    QDir(folder).mkpath(QStringLiteral("Taken.vtrsf"));
    writeFile(folder + QStringLiteral("/Taken.vtrsf/inside"), "kept");
    // The file of a story open in a window is never replaced, nor offered for replacing.
    MyDocument* document = openStory(QStringLiteral("Open.vtrsf"));
    ASSERT_NE(document, nullptr);
    const QString open = document->thisFileName();
    const QByteArray openBytes = FileBytes::read(open);
    const struct {
        const char* name;
        std::optional<QString> answer;
        QStringList alerts;
    } rows[] = {
        {"cancelled", std::nullopt, {}},
        {"failed save", folder + QStringLiteral("/Taken.vtrsf"),
         {QStringLiteral("Save File: Unable to save one. Aborting download.")}},
        {"open story's file", folder + QStringLiteral("/Open"),
         {QStringLiteral("Save File: The new file cannot have the same name as a file that is already open.")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeCloudService fresh;
        pointCloudEndpointsAt(fresh.root());
        fresh.answer(QStringLiteral("MiscInfo"), QStringLiteral("0|u|p"));
        fresh.answer(QStringLiteral("PrepForDownload"), QStringLiteral("SUCCESS|one|two"));
        fresh.answer(QStringLiteral("CleanUp"), QStringLiteral("SUCCESS"));
        fresh.storeFile(storedPath(QStringLiteral("one")), {"200 OK", "bytes"});
        fakes_.alerts->shown.clear();
        fakes_.filePanels->saveAnswers = {row.answer, folder + QStringLiteral("/two.vtrsf")};
        fakes_.filePanels->savePanels.clear();
        RetrieveFromCloud dialog(QStringLiteral("42"));
        dialog.refuseOpenStoryFilesOf(app_->documentController());
        dialog.show();
        QTest::mouseClick(dialog.cmdDownloadAndRemove(), Qt::LeftButton);
        EXPECT_EQ(alertTexts(), row.alerts);
        EXPECT_EQ(fakes_.filePanels->savePanels.size(), 1u);
        // Nothing removed, the second file not asked about, the list not read again.
        EXPECT_EQ(fresh.operations(), (QStringList{QStringLiteral("MiscInfo"), QStringLiteral("PrepForDownload")}));
        EXPECT_EQ(FileBytes::read(folder + QStringLiteral("/Taken.vtrsf/inside")), "kept");
        EXPECT_EQ(FileBytes::read(open), openBytes);
        EXPECT_FALSE(fakes_.filePanels->replaceQuestions.contains(open));
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/two.vtrsf")));
    }
}

TEST_F(CloudCommands, AFailedRemovalIsShownAndTheOthersGoOn)
{
    listFiles(QStringLiteral("SUCCESS|a|b"));
    service.answer(QStringLiteral("CleanUp"), QStringLiteral("FAILED: locked"));
    RetrieveFromCloud dialog(QStringLiteral("42"));
    QTest::mouseClick(dialog.cmdClear(), Qt::LeftButton);
    EXPECT_EQ(alertTexts(), (QStringList{QStringLiteral("Remove File From Cloud: Unable to remove a from the cloud at "
                                                        "this time."),
                                         QStringLiteral("Remove File From Cloud: Unable to remove b from the cloud at "
                                                        "this time.")}));
    EXPECT_EQ(service.operations().count(QStringLiteral("CleanUp")), 2);
}

TEST_F(CloudCommands, TheCommandShowsAListingFailureBeforeTheDialogAndHoldsOneDialogAtATime)
{
    const struct {
        const char* name;
        QString miscInfo;
        QString listing;
        QStringList alertsBeforeDialog;
        int rows;
    } rows[] = {
        {"listing fails", QStringLiteral("Unauthorized Access"), QString(),
         {QStringLiteral("Retrieve: ") + CloudToolkit::refusalMessage()}, 0},
        {"no files", QStringLiteral("0|u|p"), QStringLiteral("SUCCESS"), {}, 0},
        {"two files", QStringLiteral("0|u|p"), QStringLiteral("SUCCESS|x|y"), {}, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes_.alerts->shown.clear();
        service.answer(QStringLiteral("MiscInfo"), row.miscInfo);
        service.answer(QStringLiteral("PrepForDownload"), row.listing);
        QStringList seen;
        int listed = -1;
        bool held = false;
        ModalDialogs::setRunner([&](QDialog& dialog) {
            seen = alertTexts();
            auto* retrieve = qobject_cast<RetrieveFromCloud*>(&dialog);
            listed = retrieve ? retrieve->tvFiles()->model()->rowCount() : -1;
            held = app_->retrieveFromCloudWindow() == retrieve;
            // A second command while the dialog runs makes no second dialog.
            menus().mnuRetrieveFromTheCloud->trigger();
            QTest::mouseClick(retrieve->cmdCancel(), Qt::LeftButton);
            return dialog.result();
        });
        const int callsBefore = int(service.calls().size());
        menus().mnuRetrieveFromTheCloud->trigger();
        EXPECT_EQ(seen, row.alertsBeforeDialog);
        EXPECT_EQ(listed, row.rows);
        EXPECT_TRUE(held);
        EXPECT_FALSE(app_->retrieveFromCloudWindow());
        // One listing: the second command did nothing.
        EXPECT_EQ(service.calls().size() - callsBefore, row.miscInfo.startsWith(QLatin1String("Unauth")) ? 1 : 2);
    }
}

TEST_F(CloudCommands, AnAccountNumberIsAskedForWhenNoneIsKeptAndKeptOnceTheServiceTakesIt)
{
    const struct {
        const char* name;
        bool upload;
        QString typed;
        QString miscInfo;
        QStringList dialogs;
        QString kept;
        QStringList alerts;
    } rows[] = {
        {"upload, taken", true, QStringLiteral(" 777 "), QStringLiteral("0|u|p"), {QStringLiteral("pnlAccountNumber")},
         QStringLiteral("777"), {kUploadTitle + QStringLiteral(": File Uploaded")}},
        {"upload, refused", true, QStringLiteral("888"), QStringLiteral("Unauthorized Access"),
         {QStringLiteral("pnlAccountNumber")}, QString(),
         {kUploadTitle + QStringLiteral(": ") + CloudToolkit::refusalMessage()}},
        {"upload, cancelled", true, QString(), QStringLiteral("0|u|p"), {QStringLiteral("pnlAccountNumber")},
         QString(), {}},
        {"retrieve, taken", false, QStringLiteral("999"), QStringLiteral("0|u|p"),
         {QStringLiteral("pnlAccountNumber"), QStringLiteral("RetrieveFromCloud")}, QStringLiteral("999"), {}},
        {"retrieve, refused", false, QStringLiteral("111"), QStringLiteral("Unauthorized Access"),
         {QStringLiteral("pnlAccountNumber"), QStringLiteral("RetrieveFromCloud")}, QString(),
         {QStringLiteral("Retrieve: ") + CloudToolkit::refusalMessage()}},
        {"retrieve, cancelled", false, QString(), QStringLiteral("0|u|p"), {QStringLiteral("pnlAccountNumber")},
         QString(), {}},
    };
    service.answer(QStringLiteral("PrepForUpload"), QStringLiteral("SUCCESS"));
    service.answer(QStringLiteral("PrepForDownload"), QStringLiteral("SUCCESS|a"));
    MyDocument* document = openStory(QStringLiteral("Account.vtrsf"));
    ASSERT_TRUE(document);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Platform::userDefaults().removeKey(QStringLiteral("VTRAccountNumber"));
        fakes_.alerts->shown.clear();
        dialogs.clear();
        service.answer(QStringLiteral("MiscInfo"), row.miscInfo);
        const qsizetype callsBefore = service.calls().size();
        answerDialogs(row.typed);
        if (row.upload) {
            menus().mnuTransferToTheCloud->trigger();
            if (!row.alerts.isEmpty()) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes_.alerts->shown.empty(); }, 10000));
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return document->uploadQueueCount() == 0; }, 5000));
        } else {
            menus().mnuRetrieveFromTheCloud->trigger();
        }
        EXPECT_EQ(dialogs, row.dialogs);
        EXPECT_EQ(alertTexts(), row.alerts);
        EXPECT_EQ(AppController::accountNumber(), row.kept);
        const QList<FakeCloudService::Call> calls = service.calls().mid(callsBefore);
        EXPECT_EQ(calls.isEmpty(), row.typed.isEmpty());
        for (const auto& call : calls)
            EXPECT_EQ(call.arguments.value(QStringLiteral("serialnumber")), row.typed.trimmed());
    }
    // A number kept is not asked for again.
    Platform::userDefaults().setString(QStringLiteral("VTRAccountNumber"), QStringLiteral("555"));
    dialogs.clear();
    answerDialogs(QString());
    menus().mnuRetrieveFromTheCloud->trigger();
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("RetrieveFromCloud")});
    EXPECT_EQ(service.calls().last().arguments.value(QStringLiteral("serialnumber")), QStringLiteral("555"));
}
