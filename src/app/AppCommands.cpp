// The commands of the application and Help menus that belong to no single story: the update
// check, the master colour codes, the automatic-tips switch, the backups folder, the advice
// window, the guides and the tutorial, the web site, the tour video, About and support.
#include "AppController.h"

#include "AppActions.h"
#include "AppLog.h"
#include "DocumentController.h"
#include "MyDocument.h"
#include "model/DefaultSettingdb.h"
#include "model/Toolkit.h"
#include "model/UserInformationdb.h"
#include "platform/Platform.h"

#include <QAction>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kBackupPath = QStringLiteral("VTR3BackupPath");
const QString kAutoTips = QStringLiteral("AUTOTIPS");
const QString kCheckForUpdates = QStringLiteral("Check for Updates");
const QString kUpdatePage = QStringLiteral("VantoraMacUpdate.aspx");

void tell(const QString& title, const QString& message, const QString& button = QStringLiteral("OK"))
{
    Platform::alerts().runAlert(AlertRequest{title, message, button, QString(), QString()});
}

// Ends a small window's column with a button that closes the window, and fixes its width.
void finishSmallWindow(QWidget* window, QVBoxLayout* layout, const QString& button, Qt::Alignment alignment,
                       int width)
{
    auto* close = new QPushButton(button);
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
    layout->addWidget(close, 0, alignment);
    window->setFixedWidth(width);
    window->adjustSize();
}

} // namespace

// --- Update check --------------------------------------------------------------------------------

std::optional<QString> AppController::publishedVersion() const
{
    const std::optional<QByteArray> page =
        Platform::pageFetcher().fetch(serviceUrl(QStringLiteral("CurrentMacVersion.htm")), std::chrono::seconds(10));
    if (!page || page->isEmpty())
        return std::nullopt;
    // A page that names no version (an error page, a portal's login page) tells nothing.
    const QString version = Toolkit().valueForTag(QStringLiteral("VERSION"), QString::fromUtf8(*page)).trimmed();
    if (version.isEmpty())
        return std::nullopt;
    return version;
}

void AppController::checkForUpdates()
{
    const std::optional<QString> published = publishedVersion();
    if (!published) {
        tell(kCheckForUpdates, QStringLiteral("Unable to check for updates at this time."));
        return;
    }
    switch (compareVersions(shortVersion(), *published)) {
    case VersionNews::NewMajor:
        tell(kCheckForUpdates, QStringLiteral("A brand new version is available! You should check it out!"));
        Platform::workspace().openUrl(serviceUrl(QString()));
        break;
    case VersionNews::NewMinor:
        tell(QStringLiteral("Checked for Updates"), QStringLiteral("An update is available!"));
        Platform::workspace().openUrl(serviceUrl(kUpdatePage));
        break;
    case VersionNews::NewPatch:
        tell(kCheckForUpdates, QStringLiteral("An update is available!"));
        Platform::workspace().openUrl(serviceUrl(kUpdatePage));
        break;
    case VersionNews::UpToDate:
        tell(kCheckForUpdates, QStringLiteral("You are up to date!"), QStringLiteral("Hooray!"));
        break;
    }
}

// --- Master file settings -------------------------------------------------------------------------

void AppController::setMasterColorCodeEditor(std::function<void(UserInformationdb&)> editor)
{
    masterColorCodeEditor_ = std::move(editor);
    actions_->mnuMasterColorCodes->setEnabled(static_cast<bool>(masterColorCodeEditor_));
}

void AppController::masterColorCodes()
{
    if (userInformation_ && masterColorCodeEditor_)
        masterColorCodeEditor_(*userInformation_);
}

void AppController::toggleAutoTips()
{
    const bool turningOn = !actions_->mnuMPAutoTips->isChecked();
    if (userInformation_) {
        DefaultSettingdb* setting = userInformation_->defaultSettingForSetting(kAutoTips);
        if (!setting) {
            // A master file without the row gets one, so that the choice is kept.
            auto row = std::make_unique<DefaultSettingdb>();
            row->setSetting(kAutoTips);
            row->insertIntoDatabase(masterDatabase_.get());
            setting = row.get();
            userInformation_->defaultSettings().push_back(std::move(row));
        }
        setting->setValue(turningOn ? QStringLiteral("Y") : QStringLiteral("N"));
        setting->save();
    }
    actions_->mnuMPAutoTips->setChecked(turningOn);
    const MyDocument* current = documentController_ ? documentController_->currentDocument() : nullptr;
    qCDebug(lcApp, "current file = %s", qUtf8Printable(current ? current->thisFileName() : QString()));
}

void AppController::resetBackupsLocation()
{
    UserDefaults& defaults = Platform::userDefaults();
    OpenPanelRequest request;
    request.title = QStringLiteral("Vantora Backup Files Location");
    request.message = QStringLiteral("Select the location for your backup files.");
    request.canCreateDirectories = true;
    request.chooseDirectories = true;
    request.directory = defaults.stringForKey(kBackupPath);
    const std::optional<QString> chosen = Platform::filePanels().runOpenPanel(request);
    if (!chosen || chosen->isEmpty())
        return;
    defaults.setString(kBackupPath, *chosen);
    tell(QStringLiteral("Backups Path"), QStringLiteral("Backups path reset to:\n%1").arg(*chosen));
}

// --- Help ------------------------------------------------------------------------------------------

void AppController::showHelpForTopic(const QString& key)
{
    showAdvice(adviceWindow_, key);
}

DocumentWindow* AppController::documentWindow(const QString& name) const
{
    const auto found = documentWindows_.find(name);
    return found == documentWindows_.end() ? nullptr : found->second.get();
}

void AppController::showTutorial()
{
    openResourceDocument(QStringLiteral("tutorial3"), QStringLiteral("htm"));
}

void AppController::showUserGuide()
{
    openResourceDocument(QStringLiteral("VantoraUserGuide"), QStringLiteral("pdf"));
}

void AppController::showChapterThree()
{
    openResourceDocument(QStringLiteral("VTRGuideChpt3"), QStringLiteral("pdf"));
}

void AppController::showWebSite()
{
    Platform::workspace().openUrl(serviceUrl(QString()));
}

void AppController::showQuickTourVideo()
{
    if (!hasInternetConnection_)
        return;
    try {
        Platform::workspace().openUrl(serviceUrl(QStringLiteral("downloads/Vantora!4macTour.mp4")));
    } catch (...) {
        // Not being able to open the video is not worth an alert.
        qCWarning(lcApp) << "the tour video could not be opened";
    }
}

// --- About and support -----------------------------------------------------------------------------

void AppController::buildAboutWindow()
{
    aboutWindow_ = std::make_unique<QWidget>(nullptr, Qt::Dialog);
    aboutWindow_->setObjectName(QStringLiteral("aboutWindow"));
    aboutWindow_->setWindowTitle(tr("About Vantora"));
    auto* layout = new QVBoxLayout(aboutWindow_.get());
    auto* icon = new QLabel;
    icon->setPixmap(QPixmap(QStringLiteral(":/images/VantoraIcon.png"))
                        .scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    auto* name = new QLabel(QStringLiteral("<b style=\"font-size:20px\">Vantora</b>"));
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    lblAboutVersion_ = new QLabel;
    lblAboutVersion_->setObjectName(QStringLiteral("lblAboutVersion"));
    lblAboutVersion_->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblAboutVersion_);
    auto* words = new QLabel(tr("Plan the structure of your feature screenplay: logline, genre, fifteen beats, "
                                "characters, locations, set-ups and pay-offs, and a corkboard of scene cards."));
    words->setWordWrap(true);
    words->setAlignment(Qt::AlignCenter);
    layout->addWidget(words);
    finishSmallWindow(aboutWindow_.get(), layout, tr("OK"), Qt::AlignCenter, 340);
}

void AppController::showAbout()
{
    if (!aboutWindow_)
        buildAboutWindow();
    lblAboutVersion_->setText(shortVersion());
    centreOnFirstScreen(aboutWindow_.get());
    bringToFront(aboutWindow_.get());
}

void AppController::buildTechSupportPanel()
{
    pnlTechSupport_ = std::make_unique<QWidget>(nullptr, Qt::Tool);
    pnlTechSupport_->setObjectName(QStringLiteral("pnlTechSupport"));
    pnlTechSupport_->setWindowTitle(tr("Technical Support"));
    auto* layout = new QVBoxLayout(pnlTechSupport_.get());
    const QString site = serviceUrl(QString()).toString();
    auto* words = new QLabel(
        tr("<h3>Vantora Technical Support</h3>"
           "<p>Questions, problems and ideas are welcome on our web site: <a href=\"%1\">%1</a></p>"
           "<p>So that we can help quickly, please tell us:</p>"
           "<ul><li>the version of Vantora (in About Vantora),</li>"
           "<li>what you did, what you expected and what happened instead,</li>"
           "<li>the exact words of any message you saw.</li></ul>"
           "<p>Every edit is written to the story file at once, so there is nothing to save before you "
           "write to us.</p>")
            .arg(site.toHtmlEscaped()));
    words->setObjectName(QStringLiteral("lblTechSupport"));
    words->setWordWrap(true);
    words->setOpenExternalLinks(false);
    QObject::connect(words, &QLabel::linkActivated, pnlTechSupport_.get(),
                     [](const QString& link) { Platform::workspace().openUrl(QUrl(link)); });
    layout->addWidget(words);
    finishSmallWindow(pnlTechSupport_.get(), layout, tr("Close"), Qt::AlignRight, 420);
}

void AppController::showTechSupport()
{
    if (!pnlTechSupport_)
        buildTechSupportPanel();
    bringToFront(pnlTechSupport_.get());
}
