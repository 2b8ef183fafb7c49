#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "model/Loglinedb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/ModalDialogs.h"
#include "platform/QtPlatform.h"
#include "support/SqlProbe.h"
#include "web/PhoneQueue.h"
#include "web/QueueTextEscaping.h"
#include "web/WebEndpoints.h"
#include "web/http/LoopbackServer.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>


namespace {

const QString kAccountKey = QStringLiteral("VTRPhoneQueueAccountNumber");
const QString kSendTitle = QStringLiteral("Upload for iPhone/iPod Touch");
const QString kDownloadTitle = QStringLiteral("Download from iPhone/iPod Touch");
const QString kClearQuestion = QStringLiteral("Would you like to remove the downloaded screenplays from the server?");

// A page the server answers and the alert it leads to.
struct PageAndAlert {
    const char* name;
    QByteArray status;
    QByteArray body;
    const char* alert;
};

// A queued story page: twelve characters of the queue's own, then the escaped story text.
QByteArray queuedPage(const QString& title, const QString& heading)
{
    const QString text = QStringLiteral("<SCREENPLAY><TITLE>%1</TITLE><GENRE>Drama</GENRE><PAGECOUNT>100</PAGECOUNT>"
                                        "<SCENECARDS><SCENECARD><SCENECARDID>3</SCENECARDID><HEADING>%2</HEADING>"
                                        "<PAGENUMBER>12</PAGENUMBER><SCRIPT>-JOHN\n--Hi.</SCRIPT></SCENECARD>"
                                        "</SCENECARDS></SCREENPLAY>")
                             .arg(title, heading);
    return "QUEUE0000001" + QueueTextEscaping::encode(text).toLatin1();
}

QString inFile(const QString& path, const QString& sql)
{
    DatabaseConnection connection = StoryFile::open(path);
    return SqlProbe::scalar(connection.get(), sql);
}

} // namespace

class PhoneQueueCommands : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
        fakes_.alerts->shown.clear();
        Platform::setUrlLoader(std::make_unique<QtUrlLoader>());
        Platform::userDefaults().setString(QString::fromLatin1(WebEndpoints::kWebServices.settingKey),
                                           QStringLiteral("http://127.0.0.1:%1").arg(server_.port()));
        // The account number dialog is answered with real keys: the number typed and Return,
        // or Cancel when the test types nothing.
        ModalDialogs::setRunner([this](QDialog& dialog) {
            dialogs_.append(dialog.objectName());
            return answerAccountNumberDialog(dialog, typedAccount_);
        });
    }
    void TearDown() override
    {
        ModalDialogs::setRunner({});
        AppFixture::TearDown();
        Platform::setUrlLoader(nullptr);
    }

    void answer(const QByteArray& path, const QByteArray& status, const QByteArray& body)
    {
        server_.answer(path, status, body);
    }
    QList<QByteArray> targets() const { return server_.targets(); }
    QString storedAccount() const { return Platform::userDefaults().stringForKey(kAccountKey); }
    QString savedStory(const QString& name) const { return QDir(documents()).filePath(name); }

    static QByteArray storyPath(const QByteArray& account, const QByteArray& encodedName)
    {
        return QByteArray(PhoneQueue::kStoryFolder) + '/' + account + "/ToDesktop/" + encodedName;
    }
    static QByteArray listPath(const QByteArray& account)
    {
        return QByteArray(PhoneQueue::kListPath) + "?SerialNumber=" + account;
    }
    static QByteArray clearPath(const QByteArray& account)
    {
        return QByteArray(PhoneQueue::kClearPath) + "?serialnumber=" + account;
    }

    MyDocument* openStory(const QString& name)
    {
        MyDocument* document = app_->documentController().openDocument(makeStory(name));
        settle();
        return document;
    }

    PageServer server_;
    QString typedAccount_;
    QStringList dialogs_;
};

TEST_F(PhoneQueueCommands, SendingGivesEachAnswerItsAlertAndKeepsTheAccountOnlyAfterAnUpload)
{
    MyDocument* document = openStory(QStringLiteral("Harbour.vtrsf"));
    ASSERT_NE(document, nullptr);
    const struct {
        const char* name;
        QByteArray status;
        QByteArray body;
        const char* message;
        bool kept;
    } rows[] = {
        {"refused", "200 OK", "Unknown account", "Unable to upload at this time due to:\nUnknown account", false},
        {"empty", "200 OK", "", "Unable to upload at this time due to:\n", false},
        {"server error", "500 Internal Server Error", "FILEUPLOADED",
         "Unable to upload at this time due to:\nFILEUPLOADED", false},
        {"no server", "", "", "Unable to upload at this time.", false},
        {"uploaded", "200 OK", "<Result>FILEUPLOADED</Result>", "The screenplay was uploaded successfully.", true},
    };
    int expectedRequests = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        typedAccount_ = QStringLiteral("55 01");
        dialogs_.clear();
        if (row.status.isEmpty()) {
            Platform::userDefaults().setString(QString::fromLatin1(WebEndpoints::kWebServices.settingKey),
                                               QStringLiteral("http://127.0.0.1:1"));
        } else {
            Platform::userDefaults().setString(QString::fromLatin1(WebEndpoints::kWebServices.settingKey),
                                               QStringLiteral("http://127.0.0.1:%1").arg(server_.port()));
            answer(PhoneQueue::kUploadPath, row.status, row.body);
            ++expectedRequests;
        }
        app_->actions().mnuSendToPhoneQueue->trigger();
        settle();
        // Asked each time until an upload succeeded.
        EXPECT_EQ(dialogs_, QStringList{QStringLiteral("pnlAccountNumber")});
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, kSendTitle);
        EXPECT_EQ(fakes_.alerts->shown[0].message, QString::fromLatin1(row.message));
        fakes_.alerts->shown.clear();
        EXPECT_EQ(storedAccount(), row.kept ? QStringLiteral("55 01") : QString());
        EXPECT_EQ(server_.requests().size(), expectedRequests);
        EXPECT_FALSE(app_->progressWindow()->isVisible());
    }
    const LoopbackServer::Request sent = server_.requests().constLast();
    EXPECT_TRUE(sent.body.contains("<serialnumber>55 01</serialnumber>"));
    EXPECT_TRUE(sent.body.contains(QueueTextEscaping::encode(QStringLiteral("<TITLE>Harbour</TITLE>")).toLatin1()));
    EXPECT_EQ(app_->lblUploadingFile()->text(), QStringLiteral("Uploading Harbour..."));

    // Known now: the next send asks nothing.
    dialogs_.clear();
    app_->actions().mnuSendToPhoneQueue->trigger();
    settle();
    EXPECT_TRUE(dialogs_.isEmpty());
    EXPECT_EQ(server_.requests().size(), expectedRequests + 1);
}

TEST_F(PhoneQueueCommands, CancellingTheAccountNumberOrAFailedStoryTextSendsNothing)
{
    MyDocument* document = openStory(QStringLiteral("Harbour.vtrsf"));
    ASSERT_NE(document, nullptr);
    answer(PhoneQueue::kUploadPath, "200 OK", "FILEUPLOADED");
    typedAccount_.clear();
    app_->actions().mnuSendToPhoneQueue->trigger();
    settle();
    EXPECT_EQ(dialogs_, QStringList{QStringLiteral("pnlAccountNumber")});
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    EXPECT_EQ(app_->progressWindow(), nullptr);

    // A story without a current logline cannot be written: its alert, and nothing goes out.
    typedAccount_ = QStringLiteral("77");
    for (const auto& logline : document->currentScreenplay()->logLines())
        logline->setCurrentLoglineFlag(0);
    app_->actions().mnuSendToPhoneQueue->trigger();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Upload Error Preparing File"));
    EXPECT_TRUE(server_.requests().isEmpty());
    EXPECT_EQ(storedAccount(), QString());
    EXPECT_FALSE(app_->progressWindow()->isVisible());
}

TEST_F(PhoneQueueCommands, DownloadingSavesEveryQueuedStoryThenClearsTheQueue)
{
    Platform::userDefaults().setString(kAccountKey, QStringLiteral("42"));
    answer(listPath("42"), "200 OK", "<FILESTODOWNLOAD>a.txt|notes.doc|My Story.txt|A.TXT|</FILESTODOWNLOAD>");
    answer(storyPath("42", "a.txt"), "200 OK", queuedPage(QStringLiteral("Alpha"), QStringLiteral("INT. A - DAY")));
    answer(storyPath("42", "My%20Story.txt"), "200 OK",
           queuedPage(QStringLiteral("Beta"), QStringLiteral("EXT. B - NIGHT")));
    answer(clearPath("42"), "200 OK", "FILESDELETED");
    fakes_.filePanels->saveAnswers = {savedStory(QStringLiteral("Alpha")), savedStory(QStringLiteral("Beta.vtrsf"))};
    fakes_.alerts->answers = {AlertDefaultReturn};

    app_->actions().mnuDownloadFromPhoneQueue->trigger();
    settle();

    EXPECT_TRUE(dialogs_.isEmpty());
    EXPECT_EQ(targets(), (QList<QByteArray>{listPath("42"), storyPath("42", "a.txt"),
                                            storyPath("42", "My%20Story.txt"), clearPath("42")}));
    ASSERT_EQ(fakes_.filePanels->savePanels.size(), 2u);
    EXPECT_EQ(fakes_.filePanels->savePanels[0].title, QStringLiteral("Select the location for Alpha"));
    EXPECT_EQ(fakes_.filePanels->savePanels[0].proposedName, QStringLiteral("Alpha.vtrsf"));
    EXPECT_EQ(fakes_.filePanels->savePanels[0].directory, documents());
    EXPECT_EQ(fakes_.filePanels->savePanels[1].proposedName, QStringLiteral("Beta.vtrsf"));
    const char* query = "SELECT ScreenplayTitle || '|' || Genre || '|' || PageCount || '|' || "
                        "(SELECT group_concat(Heading) FROM SceneCard) || '|' || "
                        "(SELECT group_concat(CharacterName) FROM Character) || '|' || "
                        "(SELECT count(*) FROM SceneCardCharacter) FROM Screenplay";
    EXPECT_EQ(inFile(savedStory(QStringLiteral("Alpha.vtrsf")), QString::fromLatin1(query)),
              QStringLiteral("Alpha|Drama|100|INT. A - DAY|JOHN|1"));
    EXPECT_EQ(inFile(savedStory(QStringLiteral("Beta.vtrsf")), QString::fromLatin1(query)),
              QStringLiteral("Beta|Drama|100|EXT. B - NIGHT|JOHN|1"));
    // The new files are not opened.
    EXPECT_EQ(app_->documentController().documentCount(), 0u);
    ASSERT_EQ(fakes_.alerts->shown.size(), 2u);
    EXPECT_EQ(fakes_.alerts->shown[0].message, kClearQuestion);
    EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, QStringLiteral("Yes"));
    EXPECT_EQ(fakes_.alerts->shown[0].alternateButton, QStringLiteral("No"));
    EXPECT_EQ(fakes_.alerts->shown[1].message, QStringLiteral("The screenplays have been cleared from the server."));
    const QDir folder(documents());
    EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).filter(".vantora-new"),
              QStringList());
    // Each new story opens in its window as any story does.
    for (const char* name : {"Alpha.vtrsf", "Beta.vtrsf"}) {
        SCOPED_TRACE(name);
        MyDocument* opened = app_->documentController().openDocument(savedStory(QString::fromLatin1(name)));
        settle();
        ASSERT_NE(opened, nullptr);
        Screenplaydb& story = *opened->currentScreenplay();
        EXPECT_EQ(story.sceneCards().size() + story.litterBox().size(), 1u);
        opened->window()->close();
        settle();
    }
    EXPECT_EQ(fakes_.alerts->shown.size(), 2u);
}

TEST_F(PhoneQueueCommands, AStoryNotSavedKeepsNoFileAndTheQueueIsNotOfferedForClearing)
{
    const PageAndAlert rows[] = {
        {"server error", "500 Internal Server Error", queuedPage("B", "X"),
         "The queued story \"b.txt\" cannot be read. Check your Internet connection and try again."},
        {"truncated", "200 OK", "QUEUE000", "The queued story \"b.txt\" cannot be used: it holds no story."},
        {"cut off before its tag", "200 OK", "QUEUE0000001%00060TITLE%00062B",
         "The queued story \"b.txt\" cannot be used: it holds no story."},
    };
    Platform::userDefaults().setString(kAccountKey, QStringLiteral("42"));
    answer(listPath("42"), "200 OK", "<FILESTODOWNLOAD>a.txt|b.txt|c.txt</FILESTODOWNLOAD>");
    answer(storyPath("42", "a.txt"), "200 OK", queuedPage(QStringLiteral("Alpha"), QStringLiteral("INT. A - DAY")));
    answer(storyPath("42", "c.txt"), "200 OK", queuedPage(QStringLiteral("Gamma"), QStringLiteral("INT. C - DAY")));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(documents()).remove(QStringLiteral("Alpha.vtrsf"));
        QDir(documents()).remove(QStringLiteral("Gamma.vtrsf"));
        answer(storyPath("42", "b.txt"), row.status, row.body);
        fakes_.filePanels->savePanels.clear();
        fakes_.filePanels->saveAnswers = {savedStory(QStringLiteral("Alpha")), savedStory(QStringLiteral("Gamma"))};
        app_->actions().mnuDownloadFromPhoneQueue->trigger();
        settle();
        // b.txt is named and passed over; the others are saved; nobody is asked to clear.
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, kDownloadTitle);
        EXPECT_EQ(fakes_.alerts->shown[0].message, QString::fromLatin1(row.alert));
        fakes_.alerts->shown.clear();
        EXPECT_EQ(fakes_.filePanels->savePanels.size(), 2u);
        EXPECT_TRUE(QFile::exists(savedStory(QStringLiteral("Alpha.vtrsf"))));
        EXPECT_TRUE(QFile::exists(savedStory(QStringLiteral("Gamma.vtrsf"))));
        EXPECT_EQ(QDir(documents()).entryList({QStringLiteral("*.vtrsf")}),
                  (QStringList{QStringLiteral("Alpha.vtrsf"), QStringLiteral("Gamma.vtrsf")}));
        EXPECT_FALSE(targets().contains(clearPath("42")));
    }
}

TEST_F(PhoneQueueCommands, CancellingTheSecondSavePanelEndsTheDownload)
{
    Platform::userDefaults().setString(kAccountKey, QStringLiteral("42"));
    answer(listPath("42"), "200 OK", "<FILESTODOWNLOAD>a.txt|b.txt|c.txt</FILESTODOWNLOAD>");
    for (const char* name : {"a", "b", "c"})
        answer(storyPath("42", QByteArray(name) + ".txt"), "200 OK", queuedPage(QString::fromLatin1(name), "H"));
    fakes_.filePanels->saveAnswers = {savedStory(QStringLiteral("First")), std::nullopt,
                                      savedStory(QStringLiteral("Third"))};
    app_->actions().mnuDownloadFromPhoneQueue->trigger();
    settle();
    EXPECT_EQ(fakes_.filePanels->savePanels.size(), 2u);
    EXPECT_EQ(targets(), (QList<QByteArray>{listPath("42"), storyPath("42", "a.txt"), storyPath("42", "b.txt")}));
    EXPECT_EQ(inFile(savedStory(QStringLiteral("First.vtrsf")),
                     QStringLiteral("SELECT ScreenplayTitle FROM Screenplay")),
              QStringLiteral("a"));
    EXPECT_FALSE(QFile::exists(savedStory(QStringLiteral("Third.vtrsf"))));
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(PhoneQueueCommands, AnOpenStorysFileIsNeverReplaced)
{
    MyDocument* document = openStory(QStringLiteral("Open.vtrsf"));
    ASSERT_NE(document, nullptr);
    const QString before = inFile(document->thisFileName(), QStringLiteral("SELECT ScreenplayGUID FROM Screenplay"));
    Platform::userDefaults().setString(kAccountKey, QStringLiteral("42"));
    answer(listPath("42"), "200 OK", "<FILESTODOWNLOAD>a.txt</FILESTODOWNLOAD>");
    answer(storyPath("42", "a.txt"), "200 OK", queuedPage(QStringLiteral("Alpha"), QStringLiteral("H")));
    const struct {
        const char* chosen;
        bool refused;
    } rows[] = {
        {"Open.vtrsf", true},
        // The extension is added before the check.
        {"Open", true},
        // Letter case tells two files apart: a new story beside the open one.
        {"OPEN.vtrsf", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.chosen);
        fakes_.filePanels->replaceQuestions.clear();
        fakes_.alerts->shown.clear();
        fakes_.alerts->answers = {AlertAlternateReturn}; // the queue is not cleared
        fakes_.filePanels->saveAnswers = {savedStory(QString::fromLatin1(row.chosen))};
        app_->actions().mnuDownloadFromPhoneQueue->trigger();
        settle();
        // Refused before the panel could ask whether to replace it.
        EXPECT_TRUE(fakes_.filePanels->replaceQuestions.isEmpty());
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].message,
                  row.refused ? QStringLiteral("The new file cannot have the same name as a file that is already open.")
                              : kClearQuestion);
        EXPECT_EQ(inFile(document->thisFileName(), QStringLiteral("SELECT ScreenplayGUID FROM Screenplay")), before);
    }
    EXPECT_EQ(inFile(savedStory(QStringLiteral("OPEN.vtrsf")),
                     QStringLiteral("SELECT ScreenplayTitle FROM Screenplay")),
              QStringLiteral("Alpha"));
    EXPECT_FALSE(targets().contains(clearPath("42")));
}

TEST_F(PhoneQueueCommands, AListThatNamesNothingToFetchSaysWhy)
{
    const PageAndAlert rows[] = {
        {"unreadable", "500 Internal Server Error", "<FILESTODOWNLOAD>a.txt</FILESTODOWNLOAD>",
         "Unable to download at this time. Check your Internet connection and try again."},
        {"no list", "200 OK", "<html></html>",
         "There seems to be a problem with the download. Please check your Internet connection and try again."},
        {"empty list", "200 OK", "<FILESTODOWNLOAD></FILESTODOWNLOAD>", "There are no files to download."},
    };
    typedAccount_ = QStringLiteral("A&B");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        answer(listPath("A%26B"), row.status, row.body);
        app_->actions().mnuDownloadFromPhoneQueue->trigger();
        settle();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, kDownloadTitle);
        EXPECT_EQ(fakes_.alerts->shown[0].message, QString::fromLatin1(row.alert));
        fakes_.alerts->shown.clear();
        EXPECT_TRUE(fakes_.filePanels->savePanels.empty());
    }
    // Asked once: the number is kept once the list was asked for.
    EXPECT_EQ(dialogs_, QStringList{QStringLiteral("pnlAccountNumber")});
    EXPECT_EQ(storedAccount(), QStringLiteral("A&B"));
    EXPECT_EQ(targets().size(), 3);
}

TEST_F(PhoneQueueCommands, AStoryThatCannotBeWrittenIsNamedAndLeavesNothingBehind)
{
    // Two cards under one id: the second cannot be stored, so the whole story is not.
    const QString text = QStringLiteral("<SCREENPLAY><TITLE>Twice</TITLE><SCENECARDS>"
                                        "<SCENECARD><SCENECARDID>5</SCENECARDID></SCENECARD>"
                                        "<SCENECARD><SCENECARDID>5</SCENECARDID></SCENECARD></SCENECARDS>");
    Platform::userDefaults().setString(kAccountKey, QStringLiteral("42"));
    answer(listPath("42"), "200 OK", "<FILESTODOWNLOAD>twice.txt</FILESTODOWNLOAD>");
    answer(storyPath("42", "twice.txt"), "200 OK", "QUEUE0000001" + QueueTextEscaping::encode(text).toLatin1());
    const QString kept = savedStory(QStringLiteral("Twice.vtrsf"));
    QFile old(kept);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("what stood there before");
    old.close();
    fakes_.filePanels->saveAnswers = {kept};
    app_->actions().mnuDownloadFromPhoneQueue->trigger();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith(
        QStringLiteral("The queued story \"twice.txt\" could not be written into a new file.\n\n")));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("what stood there before"));
    const QDir folder(documents());
    EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).filter(".vantora-new"),
              QStringList());
    EXPECT_FALSE(targets().contains(clearPath("42")));
}
