#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "model/DefaultSettingdb.h"
#include "model/Toolkit.h"
#include "model/UserInformationdb.h"
#include "platform/QtPlatform.h"
#include "support/SqlProbe.h"
#include "support/TimeLimit.h"
#include "support/TraceCapture.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QString kVersionPage = QStringLiteral("CurrentMacVersion.htm");

// Answers every HTTP request on 127.0.0.1 with one page, from the test's own event loop (the
// synchronous fetch under test spins that loop while it waits).
class VersionPageServer
{
public:
    explicit VersionPageServer(QByteArray body) : body_(std::move(body))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return server_.serverPort(); }
    QStringList requests;

private:
    void answer(QTcpSocket* socket)
    {
        const QByteArray request = socket->readAll();
        requests << QString::fromLatin1(request.left(request.indexOf("\r\n")));
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                      + QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QByteArray body_;
};

// Points the service address at a local port for the life of the object.
class ServiceAddress
{
public:
    explicit ServiceAddress(quint16 port) : old_(qgetenv("VANTORA_SERVICE_URL"))
    {
        qputenv("VANTORA_SERVICE_URL", QByteArray("http://127.0.0.1:") + QByteArray::number(port) + "/");
    }
    ~ServiceAddress()
    {
        if (old_.isEmpty())
            qunsetenv("VANTORA_SERVICE_URL");
        else
            qputenv("VANTORA_SERVICE_URL", old_);
    }

private:
    QByteArray old_;
};

QByteArray pdfStart(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(5) : QByteArray();
}

int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(file.readAll().count("/Type /Page\n")); // "/Type /Pages" is the page tree
}

} // namespace

// The master file's settings are switched here as the start-up left them, the tips included.
class AppCommands : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        automaticTips_ = true;
        oldVersion_ = QCoreApplication::applicationVersion();
        startApplication();
        fakes_.alerts->shown.clear();
        fakes_.workspace->openedUrls.clear();
        fakes_.workspace->openedFiles.clear();
    }
    void TearDown() override
    {
        QCoreApplication::setApplicationVersion(oldVersion_);
        AppFixture::TearDown();
    }

    // Runs the menu's update check with our version `mine` against a version page.
    AlertRequest checkAgainst(const QString& mine, const QByteArray& page)
    {
        QCoreApplication::setApplicationVersion(mine);
        fakes_.pageFetcher->pages[AppController::serviceUrl(kVersionPage)] = page;
        fakes_.alerts->shown.clear();
        fakes_.workspace->openedUrls.clear();
        app_->actions().mnuCheckForUpdates->trigger();
        EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
        return fakes_.alerts->shown.empty() ? AlertRequest{} : fakes_.alerts->shown.back();
    }
    static QByteArray versionPage(const QByteArray& version)
    {
        return "<html><body><p>Current version</p><VERSION>" + version + "</VERSION></body></html>";
    }
    QString autoTipsInMasterFile() const
    {
        return SqlProbe::scalar(app_->masterDatabase(), "SELECT Value FROM DefaultSetting WHERE Setting='AUTOTIPS'");
    }

    QString oldVersion_;
};

// --- Update check ------------------------------------------------------------------------------------

TEST_F(AppCommands, UpdateCheckNamesWhatThePublishedVersionBrings)
{
    const QUrl updatePage = AppController::serviceUrl("VantoraMacUpdate.aspx");
    const QUrl webSite = AppController::serviceUrl(QString());

    AlertRequest alert = checkAgainst("3.1.4", versionPage("3.1.4"));
    EXPECT_EQ(alert.title, "Check for Updates");
    EXPECT_EQ(alert.message, "You are up to date!");
    EXPECT_EQ(alert.defaultButton, "Hooray!");
    EXPECT_TRUE(fakes_.workspace->openedUrls.isEmpty());

    alert = checkAgainst("3.1.4", versionPage("3.2.0"));
    EXPECT_EQ(alert.title, "Checked for Updates");
    EXPECT_EQ(alert.message, "An update is available!");
    EXPECT_EQ(alert.defaultButton, "OK");
    EXPECT_EQ(fakes_.workspace->openedUrls, QList<QUrl>{updatePage});

    alert = checkAgainst("3.1.4", versionPage("3.1.5"));
    EXPECT_EQ(alert.title, "Check for Updates");
    EXPECT_EQ(alert.message, "An update is available!");
    EXPECT_EQ(fakes_.workspace->openedUrls, QList<QUrl>{updatePage});

    alert = checkAgainst("3.1.4", versionPage("4.0.0"));
    EXPECT_EQ(alert.title, "Check for Updates");
    EXPECT_EQ(alert.message, "A brand new version is available! You should check it out!");
    EXPECT_EQ(fakes_.workspace->openedUrls, QList<QUrl>{webSite});

    alert = checkAgainst("3.2.0", versionPage("3.1.9"));
    EXPECT_EQ(alert.message, "You are up to date!");
    EXPECT_TRUE(fakes_.workspace->openedUrls.isEmpty());
}

TEST_F(AppCommands, ShortOrOddVersionTextsCountMissingPartsAsZero)
{
    EXPECT_EQ(checkAgainst("3.1", versionPage("3.1.1")).message, "An update is available!");
    EXPECT_EQ(checkAgainst("3.1.4", versionPage("3.1")).message, "You are up to date!");
    EXPECT_EQ(checkAgainst("3", versionPage(" 3.0.2 ")).message, "An update is available!");
    EXPECT_EQ(checkAgainst("3.1.4", versionPage("4")).message,
              "A brand new version is available! You should check it out!");
    EXPECT_EQ(checkAgainst("3.1.4", versionPage("beta")).message, "You are up to date!");
}

TEST_F(AppCommands, APageThatCannotBeReadOrNamesNoVersionMeansNoCheck)
{
    const QString unable = "Unable to check for updates at this time.";
    for (const QByteArray& page : {QByteArray(), QByteArray("<html>Service unavailable</html>"),
                                   QByteArray("</VERSION>9.9.9<VERSION>"), QByteArray("<VERSION></VERSION>"),
                                   QByteArray("<VERSION>9.9.9")}) {
        const AlertRequest alert = checkAgainst("3.1.4", page);
        EXPECT_EQ(alert.title, "Check for Updates") << page.toStdString();
        EXPECT_EQ(alert.message, unable) << page.toStdString();
        EXPECT_EQ(alert.defaultButton, "OK");
        EXPECT_TRUE(fakes_.workspace->openedUrls.isEmpty());
    }
    // No page at all.
    fakes_.pageFetcher->pages.clear();
    fakes_.alerts->shown.clear();
    app_->actions().mnuCheckForUpdates->trigger();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].message, unable);
}

TEST_F(AppCommands, TheVersionTagIsReadBetweenItsOwnOpeningAndClosingTags)
{
    EXPECT_EQ(Toolkit().valueForTag("VERSION", "<p><VERSION>3.1.2</VERSION></p>"), "3.1.2");
    // The first closing tag stands before the opening one: no value.
    EXPECT_EQ(Toolkit().valueForTag("VERSION", "</VERSION>x<VERSION>3.1.2</VERSION>"), "");
    EXPECT_EQ(Toolkit().valueForTag("VERSION", "</VERSION>3.1.2<VERSION>"), "");
    EXPECT_EQ(Toolkit().valueForTag("VERSION", "<TITLE>3.1.2</TITLE>"), "");
}

TEST_F(AppCommands, UpdateCheckAgainstALocalVersionPage)
{
    Platform::setPageFetcher(std::make_unique<QtPageFetcher>());
    const QString up = "You are up to date!";

    VersionPageServer newer(versionPage("99.0.0"));
    ASSERT_NE(newer.port(), 0);
    {
        ServiceAddress address(newer.port());
        app_->actions().mnuCheckForUpdates->trigger();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].message, "A brand new version is available! You should check it out!");
        EXPECT_EQ(fakes_.workspace->openedUrls, QList<QUrl>{AppController::serviceUrl(QString())});
    }
    ASSERT_EQ(newer.requests.size(), 1);
    EXPECT_EQ(newer.requests[0], "GET /CurrentMacVersion.htm HTTP/1.1");

    VersionPageServer same(versionPage(AppController::shortVersion().toUtf8()));
    {
        ServiceAddress address(same.port());
        fakes_.alerts->shown.clear();
        app_->actions().mnuCheckForUpdates->trigger();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].message, up);
        EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "Hooray!");
    }
}

TEST_F(AppCommands, AClosedPortMeansNoCheckWithoutWaiting)
{
    Platform::setPageFetcher(std::make_unique<QtPageFetcher>());
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    } // closed again: nothing listens there now
    ServiceAddress address(port);
    QElapsedTimer clock;
    clock.start();
    app_->actions().mnuCheckForUpdates->trigger();
    EXPECT_LT(clock.elapsed(), TestTime::limitMs(5000));
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].message, "Unable to check for updates at this time.");
}

// --- Master file settings --------------------------------------------------------------------------------

TEST_F(AppCommands, AutomaticTipsTurnOffAndOnInTheMasterFile)
{
    QAction* item = app_->actions().mnuMPAutoTips;
    ASSERT_TRUE(item->isChecked());
    ASSERT_EQ(autoTipsInMasterFile(), "Y");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(autoTipsInMasterFile(), "N");
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(autoTipsInMasterFile(), "Y");
}

TEST_F(AppCommands, AMasterFileWithoutTheSettingGetsItWhenTipsAreSwitched)
{
    SqlProbe::exec(app_->masterDatabase(), "DELETE FROM DefaultSetting");
    app_->userInformation()->initWithDatabase(app_->masterDatabase());
    ASSERT_EQ(app_->userInformation()->defaultSettingForSetting("AUTOTIPS"), nullptr);
    QAction* item = app_->actions().mnuMPAutoTips;
    item->setChecked(false);

    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(autoTipsInMasterFile(), "Y");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(autoTipsInMasterFile(), "N");
    EXPECT_EQ(SqlProbe::count(app_->masterDatabase(), "DefaultSetting"), 1);
    ASSERT_NE(app_->userInformation()->defaultSettingForSetting("AUTOTIPS"), nullptr);
    EXPECT_EQ(app_->userInformation()->defaultSettingForSetting("AUTOTIPS")->value(), "N");
}

TEST_F(AppCommands, SwitchingTipsTracesTheCurrentStorysFile)
{
    QAction* item = app_->actions().mnuMPAutoTips;
    {
        TraceCapture trace;
        item->trigger();
        EXPECT_EQ(trace.lines(), QStringList{QStringLiteral("vantora.app: current file = ")}) << "no story open";
    }
    const QString path = makeStory(QStringLiteral("Traced.vtrsf"));
    ASSERT_NE(app_->documentController().openDocument(path), nullptr);
    settle();
    TraceCapture trace;
    item->trigger();
    EXPECT_TRUE(trace.lines().contains(QStringLiteral("vantora.app: current file = ") + path))
        << trace.lines().join('\n').toStdString();
    EXPECT_EQ(autoTipsInMasterFile(), "Y");
}

TEST_F(AppCommands, BackupsFolderIsChosenOrLeftAlone)
{
    const QString folder = QDir(home_.path()).filePath("Backups");
    fakes_.filePanels->openAnswers = {folder};
    app_->actions().mnuResetBackupsLocation->trigger();
    ASSERT_EQ(fakes_.filePanels->openPanels.size(), 1u);
    const OpenPanelRequest& panel = fakes_.filePanels->openPanels[0];
    EXPECT_EQ(panel.title, "Vantora Backup Files Location");
    EXPECT_EQ(panel.message, "Select the location for your backup files.");
    EXPECT_TRUE(panel.chooseDirectories);
    EXPECT_TRUE(panel.canCreateDirectories);
    EXPECT_EQ(Platform::userDefaults().stringForKey("VTR3BackupPath"), folder);
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "Backups Path");
    EXPECT_EQ(fakes_.alerts->shown[0].message, "Backups path reset to:\n" + folder);
    EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "OK");

    // Cancelling starts in the kept folder and changes nothing.
    app_->actions().mnuResetBackupsLocation->trigger();
    ASSERT_EQ(fakes_.filePanels->openPanels.size(), 2u);
    EXPECT_EQ(fakes_.filePanels->openPanels[1].directory, folder);
    EXPECT_EQ(Platform::userDefaults().stringForKey("VTR3BackupPath"), folder);
    EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
}

TEST_F(AppCommands, MasterColorCodesRunTheInstalledEditor)
{
    QAction* item = app_->actions().mnuMasterColorCodes;
    EXPECT_TRUE(item->isEnabled()); // the application installs its dialog at start-up
    UserInformationdb* edited = nullptr;
    app_->setMasterColorCodeEditor([&edited](UserInformationdb& user) { edited = &user; });
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(edited, app_->userInformation());
}

// --- Guides, web site, video, About and support ----------------------------------------------------------

TEST_F(AppCommands, GuidesAndTutorialOpenFromTheResources)
{
    app_->actions().mnuUserGuide->trigger();
    app_->actions().mnuChapterThree->trigger();
    app_->actions().mnuTutorial->trigger();
    ASSERT_EQ(fakes_.workspace->openedFiles.size(), 3);
    const QString guide = fakes_.workspace->openedFiles[0];
    const QString chapter = fakes_.workspace->openedFiles[1];
    const QString tutorial = fakes_.workspace->openedFiles[2];
    EXPECT_TRUE(guide.endsWith("/VantoraUserGuide.pdf"));
    EXPECT_TRUE(chapter.endsWith("/VTRGuideChpt3.pdf"));
    EXPECT_TRUE(tutorial.endsWith("/tutorial3.htm"));
    EXPECT_EQ(pdfStart(guide), "%PDF-");
    EXPECT_EQ(pdfStart(chapter), "%PDF-");
    EXPECT_GE(pdfPageCount(guide), 4);
    EXPECT_GE(pdfPageCount(chapter), 2);
    QFile page(tutorial);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    EXPECT_TRUE(html.contains("<title>"));
    EXPECT_GT(html.size(), 3000);
}

TEST_F(AppCommands, WebSiteAndTourVideo)
{
    app_->actions().mnuWebSite->trigger();
    EXPECT_EQ(fakes_.workspace->openedUrls, QList<QUrl>{AppController::serviceUrl(QString())});

    // Without an internet connection the video is not offered.
    fakes_.workspace->openedUrls.clear();
    ASSERT_FALSE(app_->hasInternetConnection());
    app_->actions().mnuQuickTourVideo->trigger();
    EXPECT_TRUE(fakes_.workspace->openedUrls.isEmpty());

    fakes_.pageFetcher->pages[AppController::serviceUrl("connection-test.htm")] = "ok";
    app_->testForInternetConnection();
    app_->actions().mnuQuickTourVideo->trigger();
    EXPECT_EQ(fakes_.workspace->openedUrls,
              QList<QUrl>{AppController::serviceUrl("downloads/Vantora!4macTour.mp4")});
}

TEST_F(AppCommands, AboutShowsOurVersionAndSupportComesForward)
{
    QCoreApplication::setApplicationVersion("3.1.4");
    app_->actions().mnuAbout->trigger();
    ASSERT_NE(app_->aboutWindow(), nullptr);
    EXPECT_TRUE(app_->aboutWindow()->isVisible());
    EXPECT_EQ(app_->lblAboutVersion()->text(), "3.1.4");
    QCoreApplication::setApplicationVersion("3.2.0");
    app_->aboutWindow()->hide();
    app_->actions().mnuAbout->trigger();
    EXPECT_TRUE(app_->aboutWindow()->isVisible());
    EXPECT_EQ(app_->lblAboutVersion()->text(), "3.2.0");

    app_->actions().mnuTechSupport->trigger();
    ASSERT_NE(app_->pnlTechSupport(), nullptr);
    EXPECT_TRUE(app_->pnlTechSupport()->isVisible());
}
