#include "AppController.h"

#include "AccountNumberDialog.h"
#include "AppActions.h"
#include "AppLog.h"
#include "DocumentController.h"
#include "GuardedCall.h"
#include "MyDocument.h"
#include "RetrieveFromCloud.h"
#include "StoryWindow.h"
#include "board/BoardImages.h"
#include "model/DatabaseError.h"
#include "model/DefaultSettingdb.h"
#include "model/MasterColorCodedb.h"
#include "model/Screenplaydb.h"
#include "model/StringUtilities.h"
#include "model/UserInformationdb.h"
#include "platform/KeyboardNavigation.h"
#include "platform/Platform.h"
#include "web/WebEndpoints.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString kRanItBefore = QStringLiteral("VTR3RanItBefore");
const QString kBackupPath = QStringLiteral("VTR3BackupPath");
const QString kSampleFilesShown = QStringLiteral("VTRSampleFilesShown");
const QString kShowedHowToVideo = QStringLiteral("VTRShowedHowToVideo");
const QString kMasterFilePath = QStringLiteral("VTR3MasterFilePath");
const QString kAccountNumber = QStringLiteral("VTRAccountNumber");
const char* const kMasterTitle = "Vantora Master File";

// The two sample stories that travel with the application.
const QStringList& sampleStories()
{
    static const QStringList names = {QStringLiteral("Sample - The Last Balloon Race.vtrsf"),
                                      QStringLiteral("Sample - Kessler Pass.vtrsf")};
    return names;
}

// The first start's splash: Return and Enter press its default button, and Tab reaches both
// buttons, as in a dialog. It is no QDialog, so that Escape cannot close it while the start-up
// waits for one of its buttons.
class SplashWindow : public QWidget
{
public:
    SplashWindow() : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint) {}
    void setDefaultButton(QPushButton* button) { defaultButton_ = button; }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && defaultButton_ &&
            defaultButton_->isVisible()) {
            defaultButton_->click();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    QPointer<QPushButton> defaultButton_;
};

int askAlert(const QString& title, const QString& message, const QString& defaultButton,
             const QString& alternateButton = QString(), const QString& otherButton = QString())
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    request.defaultButton = defaultButton;
    request.alternateButton = alternateButton;
    request.otherButton = otherButton;
    return Platform::alerts().runAlert(request);
}

std::array<std::int64_t, 3> versionParts(const QString& version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    std::array<std::int64_t, 3> numbers{0, 0, 0};
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        numbers[static_cast<std::size_t>(i)] = StringUtilities::leadingInteger(parts.at(i));
    return numbers;
}

// Lets the user pick the master file that was at `path`; nothing when cancelled.
std::optional<QString> selectMasterFile(const QString& path)
{
    OpenPanelRequest request;
    request.title = QStringLiteral("Select Your Master File: %1").arg(QFileInfo(path).fileName());
    request.allowedExtensions = {QString::fromLatin1(StoryFile::kMasterExtension)};
    std::optional<QString> chosen = Platform::filePanels().runOpenPanel(request);
    if (chosen && chosen->isEmpty())
        chosen.reset();
    return chosen;
}

void centreOnPrimaryScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move(area.width() / 2 - window->width() / 2, area.height() / 2 - window->height() / 2);
    }
}

} // namespace

AppController::AppController()
    : actions_(std::make_unique<AppActions>())
    , documentController_(std::make_unique<DocumentController>(*this))
{
    connect(documentController_.get(), &DocumentController::documentCountChanged, this,
            &AppController::documentCountChanged);
    connectCommands();
    connectLayoutCommands(*this);
    connectColorCodeCommands(*this);
    documentController_->refreshOpenRecentMenu(actions_->openRecentMenu());
}

AppController::~AppController()
{
    if (!terminated_) {
        documentController_.reset();
        userInformation_.reset();
        UserInformationdb::finalizeStatements();
        MasterColorCodedb::finalizeStatements();
        DefaultSettingdb::finalizeStatements();
    }
}

void AppController::initialize()
{
    Platform::userDefaults().registerDefaults({{kRanItBefore, false},
                                               {kBackupPath, QString()},
                                               {kSampleFilesShown, false},
                                               {kShowedHowToVideo, false}});
}

QString AppController::masterFilePath() const
{
    return Platform::userDefaults().stringForKey(kMasterFilePath);
}

NewStoryDefaults AppController::newStoryDefaults() const
{
    NewStoryDefaults defaults{masterFilePath(), {}, {}};
    if (userInformation_) {
        defaults.ownerFirstName = userInformation_->firstName();
        defaults.ownerLastName = userInformation_->lastName();
    }
    return defaults;
}

QString AppController::accountNumber()
{
    return Platform::userDefaults().stringForKey(kAccountNumber);
}

std::optional<QString> AppController::cloudAccountNumber(QWidget* parent)
{
    const QString stored = accountNumber().trimmed();
    if (!stored.isEmpty())
        return stored;
    return askForAccountNumber(
        parent, QStringLiteral("Enter the account number of your cloud store. It is kept for the next time."));
}

void AppController::rememberCloudAccountNumber(const QString& number)
{
    Platform::userDefaults().setString(kAccountNumber, number);
    Platform::userDefaults().synchronize();
}

QUrl AppController::serviceUrl(const QString& path)
{
    return WebEndpoints::url(WebEndpoints::kWebSite, QLatin1Char('/') + path);
}

QString AppController::shortVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral(VANTORA_VERSION) : version;
}

AppController::VersionNews AppController::compareVersions(const QString& mine, const QString& theirs)
{
    const auto my = versionParts(mine);
    const auto their = versionParts(theirs);
    if (my[0] < their[0])
        return VersionNews::NewMajor;
    if (my[0] == their[0] && my[1] < their[1])
        return VersionNews::NewMinor;
    if (my[0] == their[0] && my[1] == their[1] && my[2] < their[2])
        return VersionNews::NewPatch;
    return VersionNews::UpToDate;
}

// --- Commands ----------------------------------------------------------------------------------

void AppController::routeToCurrentDocument(QAction* action, std::function<void(MyDocument&)> command)
{
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] {
        guardedCall([this, &command] {
            if (MyDocument* document = documentController_->currentDocument())
                command(*document);
        });
    });
}

void AppController::connectCommands()
{
    auto onDocument = [this](QAction* action, void (MyDocument::*command)()) {
        routeToCurrentDocument(action, [command](MyDocument& document) { (document.*command)(); });
    };
    connect(actions_->menuFileNew, &QAction::triggered, this,
            [this] { guardedCall([this] { documentController_->newDocument(); }); });
    connect(actions_->menuFileOpen, &QAction::triggered, this,
            [this] { guardedCall([this] { documentController_->openDocumentWithPanel(); }); });
    connect(actions_->menuClose, &QAction::triggered, this, [this] {
        if (MyDocument* document = documentController_->currentDocument())
            if (document->window())
                document->window()->close();
    });
    onDocument(actions_->mnuNewVersion, &MyDocument::startNewVersion);
    onDocument(actions_->mnuBackup, &MyDocument::makeBackup);
    connect(actions_->mnuQuit, &QAction::triggered, this, [this] { requestTerminate(); });
    // Every edit is already in the file.
    for (QAction* nothingToDo : {actions_->menuSave, actions_->menuSaveAs, actions_->menuRevert})
        nothingToDo->setEnabled(false);

    auto onApplication = [this](QAction* action, void (AppController::*command)()) {
        connect(action, &QAction::triggered, this,
                [this, command] { guardedCall([this, command] { (this->*command)(); }); });
    };
    onApplication(actions_->mnuCheckForUpdates, &AppController::checkForUpdates);
    onApplication(actions_->mnuMasterColorCodes, &AppController::masterColorCodes);
    onApplication(actions_->mnuResetBackupsLocation, &AppController::resetBackupsLocation);
    onApplication(actions_->mnuUserGuide, &AppController::showUserGuide);
    onApplication(actions_->mnuTutorial, &AppController::showTutorial);
    onApplication(actions_->mnuChapterThree, &AppController::showChapterThree);
    onApplication(actions_->mnuWebSite, &AppController::showWebSite);
    onApplication(actions_->mnuQuickTourVideo, &AppController::showQuickTourVideo);
    onApplication(actions_->mnuAbout, &AppController::showAbout);
    onApplication(actions_->mnuTechSupport, &AppController::showTechSupport);
    // The item checks itself when chosen; the command decides from the mark it had before.
    connect(actions_->mnuMPAutoTips, &QAction::triggered, this, [this](bool checkedNow) {
        actions_->mnuMPAutoTips->setChecked(!checkedNow);
        guardedCall([this] { toggleAutoTips(); });
    });
    // Available once the colour-code dialog is installed.
    actions_->mnuMasterColorCodes->setEnabled(false);
}

void AppController::centreOnFirstScreen(QWidget* window)
{
    centreOnPrimaryScreen(window);
}

void AppController::bringToFront(QWidget* window)
{
    // A window that shows anew comes up in front of the others.
    if (window->isVisible())
        window->raise();
    window->show();
    window->activateWindow();
}

void AppController::requestTerminate()
{
    guardedCall([this] { applicationShouldTerminate(); });
    emit terminateRequested();
}

void AppController::documentCountChanged(std::size_t count)
{
    if (!startupFinished_ || terminated_)
        return;
    if (count == 0) {
        buildStartWindow();
        bringToFront(startWindow_.get());
    } else if (startWindow_) {
        startWindow_->hide();
    }
}

// --- Splash --------------------------------------------------------------------------------------

QWidget* AppController::splashScreen() const
{
    return splash_.get();
}

QMainWindow* AppController::startWindow() const
{
    return startWindow_.get();
}

void AppController::buildSplash()
{
    auto splash = std::make_unique<SplashWindow>();
    SplashWindow* window = splash.get();
    splash_ = std::move(splash);
    splash_->setObjectName(QStringLiteral("splashScreen"));
    splash_->setWindowTitle(QStringLiteral("Vantora"));
    // No menu bar shows yet: the splash answers the application's keys itself.
    for (QAction* command : actions_->applicationCommands())
        splash_->addAction(command);
    auto* layout = new QVBoxLayout(splash_.get());
    layout->setContentsMargins(0, 0, 0, 12);
    auto* picture = new QLabel;
    picture->setPixmap(boardImage(QStringLiteral("Splash")));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    tfVersion_ = new QLabel;
    tfVersion_->setObjectName(QStringLiteral("tfVersion"));
    tfVersion_->setAlignment(Qt::AlignCenter);
    layout->addWidget(tfVersion_);
    auto* buttons = new QHBoxLayout;
    cmdSplashTutorial_ = new QPushButton(tr("Show Me the Tutorial"));
    cmdSplashTutorial_->setObjectName(QStringLiteral("cmdSplashTutorial"));
    cmdSplashContinue_ = new QPushButton(tr("Continue"));
    cmdSplashContinue_->setObjectName(QStringLiteral("cmdSplashContinue"));
    cmdSplashContinue_->setDefault(true);
    window->setDefaultButton(cmdSplashContinue_);
    buttons->addStretch();
    buttons->addWidget(cmdSplashTutorial_);
    buttons->addWidget(cmdSplashContinue_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(cmdSplashTutorial_, &QPushButton::clicked, this, [this] {
        guardedCall([this] {
            openDocumentOnceAtStart(QStringLiteral("tutorial3"), QStringLiteral("htm"));
            proceedWithApplicationStartup(cmdSplashTutorial_);
        });
    });
    connect(cmdSplashContinue_, &QPushButton::clicked, this,
            [this] { guardedCall([this] { proceedWithApplicationStartup(cmdSplashContinue_); }); });
}

void AppController::awakeFromNib()
{
    UserDefaults& defaults = Platform::userDefaults();
    const bool ranBefore = defaults.boolForKey(kRanItBefore);
    actions_->setFileMenuEnabled(false);
    buildSplash();
    const QString version = shortVersion();
    tfVersion_->setText(version.isEmpty() ? QStringLiteral("No Version") : version);
    splash_->adjustSize();
    centreOnPrimaryScreen(splash_.get());
    if (ranBefore) {
        cmdSplashTutorial_->hide();
        cmdSplashContinue_->hide();
        bringToFront(splash_.get());
        splashTimer_ = new QTimer(this);
        splashTimer_->setSingleShot(true);
        connect(splashTimer_, &QTimer::timeout, this, [this] { guardedCall([this] { splashTimerFire(); }); });
        splashTimer_->start(2500);
    } else {
        bringToFront(splash_.get());
    }
    defaults.setBool(kRanItBefore, true);
}

void AppController::applicationDidFinishLaunching()
{
    qCDebug(lcApp, "did finish launching");
}

void AppController::splashTimerFire()
{
    if (splashTimer_) {
        splashTimer_->stop();
        splashTimer_->deleteLater();
        splashTimer_ = nullptr;
    }
    proceedWithApplicationStartup(this);
}

void AppController::proceedWithApplicationStartup(QObject* sender)
{
    if (sender && splash_)
        splash_->hide();
    if (!continueStartup(QString(), QString(), QString()))
        requestTerminate();
}

// --- Master file ---------------------------------------------------------------------------------

bool AppController::locateMasterFile()
{
    UserDefaults& defaults = Platform::userDefaults();
    for (;;) {
        const QString path = defaults.stringForKey(kMasterFilePath);
        if (path.isEmpty())
            return true; // to be created
        if (QFileInfo::exists(path))
            return true;
        const int answer = askAlert(
            QString::fromLatin1(kMasterTitle),
            QStringLiteral("Unable to locate the Vantora master file which should be located at %1.\nIf the file is on "
                           "a thumb drive or other portable drive or the file has been moved, insert or attach the "
                           "drive or relocate the file to the correct location and click 'Try Again.'\nIf you have "
                           "moved the file and would like to select it,click 'Select File.'\nIf you would like to "
                           "create a new file, click 'Create New File.'")
                .arg(path),
            QStringLiteral("Try Again"), QStringLiteral("Select File"), QStringLiteral("Create New File"));
        if (answer == AlertDefaultReturn)
            continue;
        if (answer == AlertOtherReturn) {
            defaults.setString(kMasterFilePath, QString());
            return true;
        }
        const std::optional<QString> chosen = selectMasterFile(path);
        if (!chosen)
            return false;
        if (QFileInfo(*chosen).suffix().toLower() == QLatin1String(StoryFile::kMasterExtension)) {
            defaults.setString(kMasterFilePath, *chosen);
            return true;
        }
        askAlert(QStringLiteral("Master File"),
                 QStringLiteral("The file must have and extension of 'vtrmf'. Please select the correct file."),
                 QStringLiteral("OK"));
    }
}

bool AppController::createMasterFile(const QString& firstName, const QString& lastName, const QString& emailAddress)
{
    UserDefaults& defaults = Platform::userDefaults();
    const QString fileName = QStringLiteral("VTRMasterFile%1.vtrmf").arg(accountNumber());
    QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                         .filePath(QStringLiteral("Vantora Data"));
    auto chooseFolder = [&]() -> bool {
        OpenPanelRequest request;
        request.title = QString::fromLatin1(kMasterTitle);
        request.message = QStringLiteral("Select the location for your master file.");
        request.canCreateDirectories = true;
        request.chooseDirectories = true;
        const std::optional<QString> chosen = Platform::filePanels().runOpenPanel(request);
        if (!chosen || chosen->isEmpty())
            return false;
        folder = *chosen;
        return true;
    };
    if (!QDir().mkpath(folder) && !chooseFolder())
        return false;

    QString path;
    for (;;) {
        path = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(path)) {
            const int keep = askAlert(QString::fromLatin1(kMasterTitle),
                                      QStringLiteral("It appears that a Vantora Master File exists at the selected "
                                                     "location. Would you like to keep the existing file?"),
                                      QStringLiteral("Yes"), QStringLiteral("No"));
            if (keep == AlertDefaultReturn) {
                defaults.setString(kMasterFilePath, path);
                return true;
            }
            // Not keeping it: the new file needs another place, since it never replaces one.
            if (!chooseFolder())
                return false;
            continue;
        }
        if (StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), path))
            break;
        const int choice =
            askAlert(QString::fromLatin1(kMasterTitle),
                     QStringLiteral("Unable to create the Vantora master file at %1.\nCheck that the folder can be "
                                    "written to, or choose another folder.")
                         .arg(path),
                     QStringLiteral("Retry"), QStringLiteral("Choose Folder"), QStringLiteral("Quit"));
        if (choice == AlertOtherReturn)
            return false;
        if (choice == AlertAlternateReturn && !chooseFolder())
            return false;
    }

    defaults.setString(kMasterFilePath, path);
    try {
        DatabaseConnection connection = StoryFile::open(path);
        UserInformationdb user;
        user.setSerialNumber(accountNumber());
        user.setFirstName(firstName);
        user.setLastName(lastName);
        user.setEmailAddress(emailAddress);
        user.insertIntoDatabase(connection.get());
        UserInformationdb::finalizeStatements();
        connection.close();
    } catch (const DatabaseError& error) {
        UserInformationdb::finalizeStatements();
        qCWarning(lcApp).noquote() << error.message();
    }
    // A sample already in the folder may hold the writer's own edits: only missing ones are copied.
    for (const QString& sample : sampleStories()) {
        const QString target = QDir(folder).filePath(sample);
        if (!QFileInfo::exists(target))
            StoryFile::copyTemplate(QStringLiteral(":/samples/%1").arg(sample), target);
    }
    return true;
}

bool AppController::openMasterFile()
{
    for (;;) {
        const QString path = masterFilePath();
        QString problem;
        try {
            DatabaseConnection connection = StoryFile::open(path);
            auto user = std::make_unique<UserInformationdb>();
            user->initWithDatabase(connection.get());
            masterDatabase_ = std::move(connection);
            userInformation_ = std::move(user);
            return true;
        } catch (const DatabaseError& error) {
            qCWarning(lcApp).noquote() << "The master file could not be opened:" << error.message();
            UserInformationdb::finalizeStatements();
            MasterColorCodedb::finalizeStatements();
            DefaultSettingdb::finalizeStatements();
            problem = error.message();
        }
        // A file that cannot be opened as a master file: back to locating, selecting or
        // creating one.
        const int answer = askAlert(
            QString::fromLatin1(kMasterTitle),
            QStringLiteral("The Vantora master file at %1 cannot be opened.\n%2\nClick 'Try Again' to try once more, "
                           "'Select File' to choose another master file or 'Create New File' to make a new one.")
                .arg(path, problem),
            QStringLiteral("Try Again"), QStringLiteral("Select File"), QStringLiteral("Create New File"));
        if (answer == AlertDefaultReturn)
            continue;
        if (answer == AlertAlternateReturn) {
            const std::optional<QString> chosen = selectMasterFile(path);
            if (!chosen)
                return false;
            Platform::userDefaults().setString(kMasterFilePath, *chosen);
            continue;
        }
        Platform::userDefaults().setString(kMasterFilePath, QString());
        if (!createMasterFile(firstName_, lastName_, emailAddress_))
            return false;
    }
}

bool AppController::continueStartup(const QString& firstName, const QString& lastName, const QString& emailAddress)
{
    firstName_ = firstName;
    lastName_ = lastName;
    emailAddress_ = emailAddress;
    if (!locateMasterFile())
        return false;
    if (masterFilePath().isEmpty() && !createMasterFile(firstName, lastName, emailAddress))
        return false;
    if (!openMasterFile())
        return false;

    const DefaultSettingdb* autoTips = userInformation_->defaultSettingForSetting(QStringLiteral("AUTOTIPS"));
    actions_->mnuMPAutoTips->setChecked(autoTips && autoTips->value() == QLatin1String("Y"));
    actions_->setFileMenuEnabled(true);
    actions_->menuSave->setEnabled(false);
    actions_->menuSaveAs->setEnabled(false);
    actions_->menuRevert->setEnabled(false);

    startupUpdateCheck();
    showFirstRunMaterial();
    testForInternetConnection();
    openTourVideoOnce();
    startupFinished_ = true;
    documentCountChanged(documentController_->documentCount());
    if (!filesAfterStartup_.isEmpty())
        openFiles(std::exchange(filesAfterStartup_, {}));
    return true;
}

void AppController::openFiles(const QStringList& paths)
{
    if (!startupFinished_) {
        filesAfterStartup_ << paths;
        return;
    }
    if (terminated_)
        return;
    if (paths.isEmpty()) {
        MyDocument* current = documentController_->currentDocument();
        if (QWidget* window = current ? static_cast<QWidget*>(current->window()) : startWindow_.get())
            bringToFront(window);
        return;
    }
    // Each file on its own: one that is no story is refused and the others still open.
    for (const QString& path : paths)
        guardedCall([this, &path] { documentController_->openDocument(path); });
}

// --- After the master file ----------------------------------------------------------------------

void AppController::startupUpdateCheck()
{
    // An unreadable page, or one that names no version, says nothing at start-up.
    const std::optional<QString> published = publishedVersion();
    if (!published)
        return;
    switch (compareVersions(shortVersion(), *published)) {
    case VersionNews::NewMajor:
        askAlert(QStringLiteral("Check for Updates"), QStringLiteral("A brand new version is available!"),
                 QStringLiteral("OK"));
        Platform::workspace().openUrl(serviceUrl(QString()));
        break;
    case VersionNews::NewMinor:
        askAlert(QStringLiteral("Checked for Updates"), QStringLiteral("Updates are available!"), QStringLiteral("OK"));
        Platform::workspace().openUrl(serviceUrl(QStringLiteral("VantoraMacUpdate.aspx")));
        break;
    case VersionNews::NewPatch:
        askAlert(QStringLiteral("Check for Updates"), QStringLiteral("Updates are available!"), QStringLiteral("OK"));
        Platform::workspace().openUrl(serviceUrl(QStringLiteral("VantoraMacUpdate.aspx")));
        break;
    case VersionNews::UpToDate:
        break;
    }
}

bool AppController::openResourceDocument(const QString& name, const QString& type)
{
    const QString resource = QStringLiteral(":/documents/%1.%2").arg(name, type);
    if (!QFileInfo::exists(resource))
        return false;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(folder);
    const QString target = QDir(folder).filePath(QStringLiteral("%1.%2").arg(name, type));
    if (!StoryFile::copyTemplate(resource, target))
        return false;
    if (Platform::workspace().openFile(target))
        return true;
    showResourceDocumentHere(name, target);
    return true;
}

void AppController::showResourceDocumentHere(const QString& name, const QString& copy)
{
    // The document's own HTML page, when the program has one, in a window of the program's.
    for (const char* extension : {"htm", "html"}) {
        const QString page = QStringLiteral(":/documents/%1.%2").arg(name, QLatin1String(extension));
        if (!QFileInfo::exists(page))
            continue;
        std::unique_ptr<DocumentWindow>& window = documentWindows_[name];
        if (!window)
            window = std::make_unique<DocumentWindow>(page);
        bringToFront(window.get());
        return;
    }
    askAlert(QStringLiteral("Vantora"),
             QStringLiteral("This computer has no program that shows \"%1\". The file is saved at:\n%2")
                 .arg(QFileInfo(copy).fileName(), QDir::toNativeSeparators(copy)),
             QStringLiteral("OK"));
}

void AppController::openDocumentOnceAtStart(const QString& name, const QString& type)
{
    const QString document = name + QLatin1Char('.') + type;
    if (documentsOpenedAtStart_.contains(document))
        return;
    documentsOpenedAtStart_.insert(document);
    openResourceDocument(name, type);
}

void AppController::showFirstRunMaterial()
{
    UserDefaults& defaults = Platform::userDefaults();
    if (defaults.boolForKey(kSampleFilesShown))
        return;
    const QString folder = QFileInfo(masterFilePath()).absolutePath();
    for (const QString& sample : sampleStories()) {
        const QString path = QDir(folder).filePath(sample);
        if (QFileInfo::exists(path))
            guardedCall([this, &path] { documentController_->openDocument(path); });
    }
    openDocumentOnceAtStart(QStringLiteral("VantoraUserGuide"), QStringLiteral("pdf"));
    QTimer::singleShot(500, this, [this] {
        guardedCall([this] { openDocumentOnceAtStart(QStringLiteral("tutorial3"), QStringLiteral("htm")); });
    });
    defaults.setBool(kSampleFilesShown, true);
}

void AppController::testForInternetConnection()
{
    const std::optional<QByteArray> page =
        Platform::pageFetcher().fetch(serviceUrl(QStringLiteral("connection-test.htm")), std::chrono::seconds(3));
    hasInternetConnection_ = page.has_value() && !page->isEmpty();
}

void AppController::openTourVideoOnce()
{
    UserDefaults& defaults = Platform::userDefaults();
    if (defaults.boolForKey(kShowedHowToVideo) || !hasInternetConnection_)
        return;
    guardedCall([&] {
        Platform::workspace().openUrl(serviceUrl(QStringLiteral("downloads/Vantora!4macTour.mp4")));
        defaults.setBool(kShowedHowToVideo, true);
        defaults.synchronize();
    });
}

// --- The start window and quitting ----------------------------------------------------------------

void AppController::buildStartWindow()
{
    if (startWindow_)
        return;
    startWindow_ = std::make_unique<QMainWindow>();
    // Its buttons are all it offers: Tab reaches each and a space presses it, as in a dialog.
    KeyboardNavigation::answerLikeDialog(*startWindow_);
    startWindow_->setObjectName(QStringLiteral("startWindow"));
    startWindow_->setWindowTitle(QStringLiteral("Vantora"));
    actions_->buildStartMenuBar(startWindow_->menuBar());
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* picture = new QLabel;
    picture->setPixmap(boardImage(QStringLiteral("Splash")));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    auto* buttons = new QHBoxLayout;
    auto* newStory = new QPushButton(tr("New Story..."));
    newStory->setObjectName(QStringLiteral("cmdStartNew"));
    auto* openStory = new QPushButton(tr("Open Story..."));
    openStory->setObjectName(QStringLiteral("cmdStartOpen"));
    auto* recent = new QPushButton(tr("Open Recent"));
    recent->setObjectName(QStringLiteral("cmdStartRecent"));
    recent->setMenu(actions_->openRecentMenu());
    buttons->addWidget(newStory);
    buttons->addWidget(openStory);
    buttons->addWidget(recent);
    layout->addLayout(buttons);
    startWindow_->setCentralWidget(central);
    connect(newStory, &QPushButton::clicked, actions_->menuFileNew, &QAction::trigger);
    connect(openStory, &QPushButton::clicked, actions_->menuFileOpen, &QAction::trigger);
    startWindow_->adjustSize();
    centreOnPrimaryScreen(startWindow_.get());
}

void AppController::applicationShouldTerminate()
{
    if (terminated_)
        return;
    documentController_->closeAllDocuments();
    // Quit chosen on the splash: its time runs out on nothing.
    if (splashTimer_)
        splashTimer_->stop();
    if (splash_)
        splash_->hide();
    if (startWindow_)
        startWindow_->hide();
    userInformation_.reset();
    UserInformationdb::finalizeStatements();
    MasterColorCodedb::finalizeStatements();
    DefaultSettingdb::finalizeStatements();
    terminated_ = true;
    masterDatabase_.close();
}
