#pragma once

#include "AdviceWindow.h"
#include "model/StoryFile.h"

#include <QLabel>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class AppActions;
class QAction;
class DocumentController;
class MyDocument;
class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;
class RetrieveFromCloud;
class UserInformationdb;
struct NewStoryDefaults;

// The application: start-up (splash, master file, first-run material), the master file for
// the whole run, the shared menu items and the commands that belong to no single story.
class AppController : public QObject
{
    Q_OBJECT

public:
    AppController();
    ~AppController() override;

    // Registers the defaults of the application's settings.
    static void initialize();
    // Shows the splash; start-up goes on from its timer or its first-run buttons.
    void awakeFromNib();
    // The event loop has started, with the splash up: traced, nothing else.
    void applicationDidFinishLaunching();
    void splashTimerFire();
    // Closes the splash (when `sender` is given) and goes on with the master file.
    void proceedWithApplicationStartup(QObject* sender);
    // Finds, selects or creates the master file and opens it, then the update check and the
    // first-run material. Answers false when the user chose to quit.
    bool continueStartup(const QString& firstName, const QString& lastName, const QString& emailAddress);
    void testForInternetConnection();
    // Closes every story (each writes its last edit), then the master file.
    void applicationShouldTerminate();
    // Opens story files given from outside (the command line, a later start of the program),
    // as the Open command would: before the master file is open they wait for the end of
    // start-up; a story open already comes forward. Given no files, the window the user
    // worked in last comes forward.
    void openFiles(const QStringList& paths);

    AppActions& actions() const { return *actions_; }
    DocumentController& documentController() const { return *documentController_; }
    UserInformationdb* userInformation() const { return userInformation_.get(); }
    sqlite3* masterDatabase() const { return masterDatabase_.get(); }
    QString masterFilePath() const;
    // What a story file cut short before its first row takes when it is opened, as New Story
    // gives it: the master file's colour codes and its user's names.
    NewStoryDefaults newStoryDefaults() const;
    bool hasInternetConnection() const { return hasInternetConnection_; }
    bool terminated() const { return terminated_; }
    bool startupFinished() const { return startupFinished_; }

    QWidget* splashScreen() const;
    QPushButton* cmdSplashTutorial() const { return cmdSplashTutorial_; }
    QPushButton* cmdSplashContinue() const { return cmdSplashContinue_; }
    QLabel* tfVersion() const { return tfVersion_; }
    QTimer* splashTimer() const { return splashTimer_; }
    // The small window shown while no story is open.
    QMainWindow* startWindow() const;

    // The account number by which the web services know the user ("" when unknown).
    static QString accountNumber();
    // The account number for the cloud store: the one kept in the settings, else the one the
    // user enters in a small dialog over `parent`; nothing when the user cancels.
    static std::optional<QString> cloudAccountNumber(QWidget* parent);
    // Keeps the account number for the next time, once the cloud service has taken it.
    static void rememberCloudAccountNumber(const QString& accountNumber);
    // Addresses of the product's web site (src/web/WebEndpoints.h says where it is).
    static QUrl serviceUrl(const QString& path);
    // The application's own version text.
    static QString shortVersion();

    // How a published version compares with ours.
    enum class VersionNews { UpToDate, NewMajor, NewMinor, NewPatch };
    // Reads both as three dot-separated numbers; missing or unreadable parts count as 0.
    static VersionNews compareVersions(const QString& mine, const QString& theirs);

    // Sends an action's command to the document whose window the user works in (nothing
    // happens while no story is open); failures are reported, never thrown.
    void routeToCurrentDocument(QAction* action, std::function<void(MyDocument&)> command);

    // Opens a document of the application's resources (user guide, tutorial) in the
    // system's application for it; when the desktop has none, shows the document's HTML page
    // in a window of the program's own, or says where the file is. False when the document
    // is not among the resources or cannot be copied out.
    bool openResourceDocument(const QString& name, const QString& type);
    // The program's own window of a document, while it has one.
    DocumentWindow* documentWindow(const QString& name) const;

    // Commands of the application and Help menus.
    // Compares the published version with ours and says what it found.
    void checkForUpdates();
    // Edits the master colour codes in the colour-code dialog, when one is installed.
    void masterColorCodes();
    // The dialog that edits the master colour codes; the menu item is available once it is set.
    void setMasterColorCodeEditor(std::function<void(UserInformationdb&)> editor);
    // Flips the master file's automatic-tips setting and the menu item's check mark.
    void toggleAutoTips();
    // Asks for the folder that backups go to.
    void resetBackupsLocation();
    // Shows a topic in the application's own advice window.
    void showHelpForTopic(const QString& key);
    void showTutorial();
    void showUserGuide();
    void showChapterThree();
    void showWebSite();
    // Opens the tour video when the internet can be reached; otherwise nothing.
    void showQuickTourVideo();
    void showAbout();
    void showTechSupport();
    // Makes a new story file from a Final Draft 8/9 script and opens it
    // (src/app/InterchangeCommands.cpp).
    void importFinalDraft8();
    // Makes a new story file from a project file of the earlier versions 1 and 2 and opens it.
    void importVantoraMac();

    // Saves each story queued by the phone application as a new story file, then offers to
    // clear the queue when every one was saved (src/app/PhoneQueueCommands.cpp).
    void retrieveFromiPhoneQueue();
    // The account number of the phone queue: the one kept in the settings, else the one the
    // user enters in a small dialog over `parent`; nothing when the user cancels.
    static std::optional<QString> phoneQueueAccountNumber(QWidget* parent);
    // Keeps the phone queue's account number for the next time.
    static void rememberPhoneQueueAccountNumber(const QString& accountNumber);
    // Lists the story files stored in the cloud in the modal retrieval dialog, which saves and
    // removes them (src/app/CloudCommands.cpp). One dialog at a time: a second call while it
    // runs does nothing.
    void retrieveFromTheCloud();
    // The retrieval dialog while it runs; nothing otherwise.
    RetrieveFromCloud* retrieveFromCloudWindow() const { return retrieveFromCloudWindow_.get(); }
    void setRetrieveFromCloudWindow(std::unique_ptr<RetrieveFromCloud> dialog);

    // The application's progress window for imports, made on first use: a label and a busy
    // bar in the standard background colour.
    void showProgressWindow(const QString& text);
    void closeProgressWindow();
    // Closes the progress window however the work it shows ends.
    struct ProgressWindowScope {
        AppController& application;
        ~ProgressWindowScope() { application.closeProgressWindow(); }
    };
    QWidget* progressWindow() const { return progressWindow_.get(); }
    QLabel* lblUploadingFile() const { return lblUploadingFile_; }
    QProgressBar* progressIndicator() const { return progressIndicator_; }

    AdviceWindow* adviceWindow() const { return adviceWindow_.get(); }
    QWidget* aboutWindow() const { return aboutWindow_.get(); }
    QLabel* lblAboutVersion() const { return lblAboutVersion_; }
    QWidget* pnlTechSupport() const { return pnlTechSupport_.get(); }
    // Centres a window on the first screen, as the splash is.
    static void centreOnFirstScreen(QWidget* window);

signals:
    // The user chose to quit during start-up, or the Quit command ran.
    void terminateRequested();

private:
    // Shows the window in front, with the keyboard in it: a desktop without a window manager
    // gives the keyboard to no window that only shows.
    static void bringToFront(QWidget* window);
    void buildSplash();
    void buildStartWindow();
    void connectCommands();
    void documentCountChanged(std::size_t count);
    void requestTerminate();
    // The master file: located, selected or created. Answers false when the user quit.
    bool locateMasterFile();
    bool createMasterFile(const QString& firstName, const QString& lastName, const QString& emailAddress);
    bool openMasterFile();
    void startupUpdateCheck();
    void showFirstRunMaterial();
    // Start-up shows each document at most once, whichever button asked for it first.
    void openDocumentOnceAtStart(const QString& name, const QString& type);
    void showResourceDocumentHere(const QString& name, const QString& copy);
    void openTourVideoOnce();
    // The version text of the published version page; nothing when the page cannot be read
    // or names no version.
    std::optional<QString> publishedVersion() const;
    void buildAboutWindow();
    void buildTechSupportPanel();

    std::unique_ptr<AppActions> actions_;
    std::unique_ptr<DocumentController> documentController_;
    DatabaseConnection masterDatabase_;
    std::unique_ptr<UserInformationdb> userInformation_;
    std::unique_ptr<QWidget> splash_;
    QPointer<QPushButton> cmdSplashTutorial_;
    QPointer<QPushButton> cmdSplashContinue_;
    QPointer<QLabel> tfVersion_;
    QPointer<QTimer> splashTimer_;
    std::unique_ptr<QMainWindow> startWindow_;
    bool hasInternetConnection_ = false;
    bool terminated_ = false;
    bool startupFinished_ = false;
    QStringList filesAfterStartup_;
    QString firstName_;
    QString lastName_;
    QString emailAddress_;
    std::unique_ptr<AdviceWindow> adviceWindow_;
    std::map<QString, std::unique_ptr<DocumentWindow>> documentWindows_;
    QSet<QString> documentsOpenedAtStart_;
    std::unique_ptr<QWidget> aboutWindow_;
    QPointer<QLabel> lblAboutVersion_;
    std::unique_ptr<QWidget> pnlTechSupport_;
    std::function<void(UserInformationdb&)> masterColorCodeEditor_;
    std::unique_ptr<RetrieveFromCloud> retrieveFromCloudWindow_;
    std::unique_ptr<QWidget> progressWindow_;
    QPointer<QLabel> lblUploadingFile_;
    QPointer<QProgressBar> progressIndicator_;
};
