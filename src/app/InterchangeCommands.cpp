// The interchange commands: a new story from a Final Draft 8/9 script or from an earlier
// version's project file, a script into the open story, the open story written as a script;
// with the application's progress window for imports.
#include "AppActions.h"
#include "AppController.h"
#include "AppLog.h"
#include "DocumentController.h"
#include "GuardedCall.h"
#include "MyDocument.h"
#include "interchange/FinalDraftImport.h"
#include "interchange/PreviousVersionImport.h"
#include "interchange/XMLParsedScript.h"
#include "model/DatabaseError.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "panes/TitleLoglineView.h"
#include "platform/Platform.h"

#include <QAction>
#include <QColor>
#include <QFileInfo>
#include <QLineEdit>
#include <QPalette>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kScriptExtension = QStringLiteral("fdx");
const QString kOpenScriptTitle = QStringLiteral("Select the Final Draft 8/9 File to Import");
const QString kExportTitle = QStringLiteral("Export to Final Draft 8/9");
// The title under which a new story's file is refused for being the file of an open story.
const QString kImportTitle = QStringLiteral("Import Script");

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

std::optional<QString> chooseScript()
{
    OpenPanelRequest request;
    request.title = kOpenScriptTitle;
    request.directory = documentsFolder();
    request.allowedExtensions = {kScriptExtension};
    std::optional<QString> chosen = Platform::filePanels().runOpenPanel(request);
    if (chosen && chosen->isEmpty())
        chosen.reset();
    return chosen;
}

// Asks where the new story file goes; nothing when the user cancels or chooses an open story's
// file (refused with an alert).
std::optional<QString> chooseNewStoryFile(const QString& proposedName, const DocumentController& documents)
{
    SavePanelRequest request;
    request.title = QStringLiteral("Select the Location for the New File");
    request.allowedExtensions = {QString::fromLatin1(StoryFile::kExtension)};
    request.directory = documentsFolder();
    request.proposedName = proposedName;
    request.refuses = documents.refusingOpenStoryFiles(kImportTitle);
    const std::optional<QString> chosen = Platform::filePanels().runSavePanel(request);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    return withAllowedExtension(*chosen, request.allowedExtensions);
}


} // namespace

void connectInterchangeCommands(AppController& application)
{
    AppActions& menus = application.actions();
    QObject::connect(menus.mnuImportFinalDraft, &QAction::triggered, &application,
                     [&application] { guardedCall([&application] { application.importFinalDraft8(); }); });
    QObject::connect(menus.mnuImportVantoraMac, &QAction::triggered, &application,
                     [&application] { guardedCall([&application] { application.importVantoraMac(); }); });
    application.routeToCurrentDocument(menus.mnuImportFinalDraftIntoStory,
                                       [](MyDocument& document) { document.chooseFinalDraft8ScriptToImport(); });
    application.routeToCurrentDocument(menus.mnuExportFinalDraft,
                                       [](MyDocument& document) { document.exportToFinalDraft8(); });
}

// --- Progress window -----------------------------------------------------------------------------

void AppController::showProgressWindow(const QString& text)
{
    if (!progressWindow_) {
        progressWindow_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
        progressWindow_->setObjectName(QStringLiteral("progressWindow"));
        progressWindow_->setAutoFillBackground(true);
        QPalette palette = progressWindow_->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(205, 133, 63));
        progressWindow_->setPalette(palette);
        auto* layout = new QVBoxLayout(progressWindow_.get());
        lblUploadingFile_ = new QLabel;
        lblUploadingFile_->setObjectName(QStringLiteral("lblUploadingFile"));
        layout->addWidget(lblUploadingFile_);
        progressIndicator_ = new QProgressBar;
        progressIndicator_->setObjectName(QStringLiteral("progressIndicator"));
        layout->addWidget(progressIndicator_);
        progressWindow_->setFixedWidth(360);
    }
    lblUploadingFile_->setText(text);
    // A busy bar: the work runs on this thread, so the bar shows that something goes on
    // rather than how far it got.
    progressIndicator_->setRange(0, 0);
    progressWindow_->adjustSize();
    centreOnFirstScreen(progressWindow_.get());
    progressWindow_->show();
    progressWindow_->raise();
    progressWindow_->repaint();
}

void AppController::closeProgressWindow()
{
    if (progressWindow_)
        progressWindow_->hide();
}

// --- A new story from a script ---------------------------------------------------------------------

void AppController::importFinalDraft8()
{
    const std::optional<QString> scriptPath = chooseScript();
    if (!scriptPath)
        return;
    // A script that cannot be imported is refused before the user is asked where its story goes.
    XMLParsedScript script;
    if (const std::optional<ImportRefusal> refusal =
            FinalDraftImport::readScript(*scriptPath, script, ScriptImportEntry::NewStory)) {
        alertWithOK(refusal->title, refusal->message);
        return;
    }
    const std::optional<QString> chosen =
        chooseNewStoryFile(QStringLiteral("Awesome Screenplay.vtrsf"), *documentController_);
    if (!chosen)
        return;
    const QString& target = *chosen;
    std::optional<ImportRefusal> refusal;
    {
        AppController::ProgressWindowScope progress{*this};
        showProgressWindow(QStringLiteral("Importing %1...").arg(QFileInfo(*scriptPath).fileName()));
        refusal = FinalDraftImport::makeStoryFromScript(script, *scriptPath, target, masterFilePath());
    }
    if (refusal) {
        alertWithOK(refusal->title, refusal->message);
        return;
    }
    documentController_->openDocument(target);
}

// --- A new story from an earlier version's project -------------------------------------------------

void AppController::importVantoraMac()
{
    OpenPanelRequest request;
    request.title = QStringLiteral("Select the Vantora Software Project File to Import");
    request.directory = documentsFolder();
    request.allowedExtensions = {QStringLiteral("vtr")};
    const std::optional<QString> projectPath = Platform::filePanels().runOpenPanel(request);
    if (!projectPath || projectPath->isEmpty())
        return;
    const QFileInfo project(*projectPath);
    if (project.suffix() != QLatin1StringView("vtr")) {
        alertWithOK(QStringLiteral("Import File"), QStringLiteral("Please select a Vantora Version 1 or 2 file."));
        return;
    }
    const std::optional<QString> target =
        chooseNewStoryFile(QStringLiteral("%1.vtrsf").arg(project.completeBaseName()), *documentController_);
    if (!target)
        return;
    std::optional<ImportRefusal> refusal;
    {
        AppController::ProgressWindowScope progress{*this};
        showProgressWindow(QStringLiteral("Converting %1...").arg(project.fileName()));
        refusal = PreviousVersion::makeStoryFromProject(*projectPath, *target, masterFilePath());
    }
    if (refusal) {
        alertWithOK(refusal->title, refusal->message);
        return;
    }
    documentController_->openDocument(*target);
}

// --- A script into the open story ------------------------------------------------------------------

void MyDocument::chooseFinalDraft8ScriptToImport()
{
    commitEditing();
    if (const std::optional<QString> scriptPath = chooseScript())
        importFinalDraft8Script(*scriptPath);
}

void MyDocument::importFinalDraft8Script(const QString& path)
{
    if (!currentScreenplay_)
        return;
    commitEditing();
    XMLParsedScript script;
    if (const std::optional<ImportRefusal> refusal =
            FinalDraftImport::readScript(path, script, ScriptImportEntry::OpenStory)) {
        alertWithOK(refusal->title, refusal->message);
        return;
    }
    try {
        Toolkit().processFinalDraft8Script(script, *currentScreenplay_);
    } catch (const DatabaseError&) {
        // The file is as it was before the import, the story in memory is not: the window
        // closes and the story opens again from its file.
        DocumentController* controller = &application_.documentController();
        const QString storyPath = thisFileName_;
        if (window_)
            window_->close();
        QTimer::singleShot(0, controller, [controller, storyPath] {
            guardedCall([controller, &storyPath] { controller->openDocument(storyPath); });
        });
        throw;
    }
    layoutWindowForScreenplay();
    if (titleLoglineView_)
        titleLoglineView_->tfTitle()->setFocus();
}

// --- The story as a script -------------------------------------------------------------------------

void MyDocument::exportToFinalDraft8()
{
    if (!currentScreenplay_)
        return;
    commitEditing();
    SavePanelRequest request;
    request.title = kExportTitle;
    request.directory = documentsFolder();
    request.allowedExtensions = {kScriptExtension};
    request.proposedName = QStringLiteral("%1.fdx").arg(currentScreenplay_->screenplayTitle());
    const std::optional<QString> chosen = Platform::filePanels().runSavePanel(request);
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = withAllowedExtension(*chosen, request.allowedExtensions);
    QString error;
    if (!Toolkit().exportScreenplay(*currentScreenplay_, path, &error)) {
        // Whatever stood at the path is not the export, so nothing is opened.
        alertWithOK(kExportTitle, QStringLiteral("Unable to write the file.\n\n%1").arg(error));
        return;
    }
    alertWithOK(QStringLiteral("Export to Final Draft 8"), QStringLiteral("Script Exported"));
    try {
        // Not finding an application to show it is no failure of the export, which the user
        // has just been told of: nothing more is said.
        Platform::workspace().openFile(path);
    } catch (...) {
    }
}
