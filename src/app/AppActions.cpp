#include "AppActions.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

AppActions::AppActions(QObject* parent)
    : QObject(parent)
{
    menuFileNew = make(tr("&New Story..."), "menuFileNew");
    menuFileNew->setShortcut(QKeySequence::New);
    menuFileOpen = make(tr("&Open..."), "menuFileOpen");
    menuFileOpen->setShortcut(QKeySequence::Open);
    menuOpenRecentList = new QMenu(tr("Open &Recent"));
    menuOpenRecent = menuOpenRecentList->menuAction();
    menuOpenRecent->setObjectName("menuOpenRecent");
    menuClose = make(tr("&Close"), "menuClose");
    menuClose->setShortcut(QKeySequence::Close);
    // Every edit is written at once: Save, Save As and Revert have nothing to do.
    menuSave = make(tr("&Save"), "menuSave");
    menuSave->setShortcut(QKeySequence::Save);
    menuSaveAs = make(tr("Save &As..."), "menuSaveAs");
    menuRevert = make(tr("Revert"), "menuRevert");
    mnuNewVersion = make(tr("New &Version..."), "mnuNewVersion");
    mnuBackup = make(tr("&Backup"), "mnuBackup");
    // Each edit command is the field's own: a line, a text box or a text area with the focus
    // undoes, cuts or pastes within itself; without such a field the command does nothing.
    const struct {
        QAction*& action;
        QString text;
        const char* name;
        QKeySequence::StandardKey keys;
        const char* slot;
    } editCommands[] = {
        {mnuUndo, tr("&Undo"), "mnuUndo", QKeySequence::Undo, "undo"},
        {mnuRedo, tr("&Redo"), "mnuRedo", QKeySequence::Redo, "redo"},
        {mnuCut, tr("Cu&t"), "mnuCut", QKeySequence::Cut, "cut"},
        {mnuCopy, tr("&Copy"), "mnuCopy", QKeySequence::Copy, "copy"},
        {mnuPaste, tr("&Paste"), "mnuPaste", QKeySequence::Paste, "paste"},
        {mnuSelectAll, tr("Select &All"), "mnuSelectAll", QKeySequence::SelectAll, "selectAll"},
    };
    for (const auto& command : editCommands) {
        command.action = make(command.text, command.name);
        command.action->setShortcut(command.keys);
        const char* slot = command.slot;
        connect(command.action, &QAction::triggered, this, [slot] {
            QWidget* field = QApplication::focusWidget();
            if (qobject_cast<QLineEdit*>(field) || qobject_cast<QPlainTextEdit*>(field)
                || qobject_cast<QTextEdit*>(field))
                QMetaObject::invokeMethod(field, slot);
        });
    }

    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        connect(application, &QApplication::focusChanged, this,
                [this](QWidget*, QWidget* now) { followFocusedField(now); });
    followFocusedField(QApplication::focusWidget());

    mnuQuit = make(tr("&Quit Vantora"), "mnuQuit");
    // Ctrl+Q, as every Linux desktop has it, where the desktop's keys name none for Quit.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    mnuQuit->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quitKeys);
    mnuQuit->setMenuRole(QAction::QuitRole);
    // The application's own commands answer their keys in every window it shows, those without
    // a menu bar (a help page, the advice window, a small panel) as well; a modal dialog still
    // holds them off while it waits for its answer.
    for (QAction* command : applicationCommands())
        command->setShortcutContext(Qt::ApplicationShortcut);
    mnuImportFinalDraft = make(tr("&Import Final Draft 8/9 Script..."), "mnuImportFinalDraft");
    mnuImportFinalDraftIntoStory =
        make(tr("Import Final Draft 8/9 Script into This Story..."), "mnuImportFinalDraftIntoStory");
    mnuExportFinalDraft = make(tr("&Export to Final Draft 8/9..."), "mnuExportFinalDraft");
    mnuImportVantoraMac = make(tr("Import Vantora &Version 1 or 2 Project..."), "mnuImportVantoraMac");
    mnuSendToPhoneQueue = make(tr("Send to iPhone/iPod Touch Queue..."), "mnuSendToPhoneQueue");
    mnuDownloadFromPhoneQueue = make(tr("Download from iPhone/iPod Touch Queue..."), "mnuDownloadFromPhoneQueue");
    mnuTransferToTheCloud = make(tr("Upload to the C&loud..."), "mnuTransferToTheCloud");
    mnuRetrieveFromTheCloud = make(tr("Retrieve from the Clo&ud..."), "mnuRetrieveFromTheCloud");

    mnuAbout = make(tr("&About Vantora"), "mnuAbout");
    mnuCheckForUpdates = make(tr("Check for &Updates..."), "mnuCheckForUpdates");
    mnuMasterColorCodes = make(tr("&Master Color Codes..."), "mnuMasterColorCodes");
    mnuMPAutoTips = makeCheckable(tr("Automatic &Tips"), "mnuMPAutoTips");
    mnuResetBackupsLocation = make(tr("Reset &Backups Location..."), "mnuResetBackupsLocation");

    mnuSLoglineNew = make(tr("New Logline"), "mnuSLoglineNew");
    mnuSLoglineFromTemplate = make(tr("Logline from Template..."), "mnuSLoglineFromTemplate");
    mnuAddCharacter = make(tr("Add Character"), "mnuAddCharacter");
    mnuDeleteCharacter = make(tr("Delete Character"), "mnuDeleteCharacter");
    mnuAddLocation = make(tr("Add Location"), "mnuAddLocation");
    mnuDeleteLocation = make(tr("Delete Location"), "mnuDeleteLocation");
    mnuAddSetup = make(tr("Add Set-up"), "mnuAddSetup");
    mnuDeleteSetup = make(tr("Delete Set-up"), "mnuDeleteSetup");
    mnuAddPayoff = make(tr("Add Pay-off"), "mnuAddPayoff");
    mnuDeletePayoff = make(tr("Delete Pay-off"), "mnuDeletePayoff");
    mnuAddSceneCard = make(tr("Add Scene Card"), "mnuAddSceneCard");
    mnuProjectColorCodes = make(tr("Color Codes..."), "mnuProjectColorCodes");

    mnuToggleTitle = make(tr("Hide Title/Logline"), "mnuToggleTitle");
    mnuToggleBeats = make(tr("Hide Beats"), "mnuToggleBeats");
    mnuToggleLitterBox = make(tr("Hide Litter Box"), "mnuToggleLitterBox");
    mnuToggleGeneralNotes = make(tr("Hide General Notes"), "mnuToggleGeneralNotes");
    mnuFullTitleView = make(tr("Full Title/Logline View"), "mnuFullTitleView");
    mnuFullBeatsView = make(tr("Full Beats View"), "mnuFullBeatsView");
    mnuFullBoardView = make(tr("Full Board View"), "mnuFullBoardView");
    mnuFullNotesView = make(tr("Full General Notes View"), "mnuFullNotesView");
    mnuRestoreView = make(tr("Restore View"), "mnuRestoreView");
    mnuMFSNormal = makeCheckable(tr("Normal"), "mnuMFSNormal");
    mnuMFSLarger = makeCheckable(tr("Larger"), "mnuMFSLarger");
    mnuMFSEvenBigger = makeCheckable(tr("Even Bigger"), "mnuMFSEvenBigger");
    mnuMFSAsBigAsItGets = makeCheckable(tr("As Big As It Gets"), "mnuMFSAsBigAsItGets");
    menuNotesSize = new QMenu(tr("General Notes Size"));
    mnuPPNotesSize = menuNotesSize->menuAction();
    mnuPPNotesSize->setObjectName("mnuPPNotesSize");
    mnuPPNSIncreaseWidth = make(tr("Increase Width"), "mnuPPNSIncreaseWidth");
    mnuPPNSDecreaseWidth = make(tr("Decrease Width"), "mnuPPNSDecreaseWidth");
    mnuPPNSIncreaseHeight = make(tr("Increase Height"), "mnuPPNSIncreaseHeight");
    mnuPPNSDecreaseHeight = make(tr("Decrease Height"), "mnuPPNSDecreaseHeight");

    mnuToggleBoardView = make(tr("Show List View"), "mnuToggleBoardView");
    menuZoom = new QMenu(tr("Zoom"));
    mnuBZoom = menuZoom->menuAction();
    mnuBZoom->setObjectName("mnuBZoom");
    mnuBZNormal = makeCheckable(tr("Normal"), "mnuBZNormal");
    mnuBZLarger = makeCheckable(tr("Larger"), "mnuBZLarger");
    mnuBZEvenBigger = makeCheckable(tr("Even Bigger"), "mnuBZEvenBigger");
    mnuBZAsBigAsItGets = makeCheckable(tr("As Big As It Gets"), "mnuBZAsBigAsItGets");
    menuBoardSize = new QMenu(tr("Board Size"));
    mnuPPBoardSize = menuBoardSize->menuAction();
    mnuPPBoardSize->setObjectName("mnuPPBoardSize");
    mnuPPBSFitToCurrentView = make(tr("Fit to Current View"), "mnuPPBSFitToCurrentView");
    mnuPPBSIncreaseWidth = make(tr("Increase Width"), "mnuPPBSIncreaseWidth");
    mnuPPBSDecreaseWidth = make(tr("Decrease Width"), "mnuPPBSDecreaseWidth");
    mnuPPBSIncreaseHeight = make(tr("Increase Height"), "mnuPPBSIncreaseHeight");
    mnuPPBSDecreaseHeight = make(tr("Decrease Height"), "mnuPPBSDecreaseHeight");
    mnuPPBSRestoreDefaults = make(tr("Restore Defaults"), "mnuPPBSRestoreDefaults");

    mnuRLoglines = make(tr("Loglines"), "mnuRLoglines");
    mnuRBeatSheet = make(tr("Beat Sheet"), "mnuRBeatSheet");
    mnuRCharactersList = make(tr("Characters"), "mnuRCharactersList");
    mnuRCharactersBiography = make(tr("Character Biographies"), "mnuRCharactersBiography");
    mnuRLocationsList = make(tr("Locations"), "mnuRLocationsList");
    mnuRLocationsDetails = make(tr("Location Details"), "mnuRLocationsDetails");
    mnuRSetups = make(tr("Set-ups"), "mnuRSetups");
    mnuRPayoffs = make(tr("Pay-offs"), "mnuRPayoffs");
    mnuRAttachmentsByColor = make(tr("General Notes/Attachments"), "mnuRAttachmentsByColor");
    mnuRAttachmentsSelectedColor =
        make(tr("General Notes/Attachments of One Color..."), "mnuRAttachmentsSelectedColor");
    mnuRSCSummary = make(tr("Scene Card Summary"), "mnuRSCSummary");
    mnuRLitterBox = make(tr("Litter Box"), "mnuRLitterBox");
    mnuRSCDetailed = make(tr("Scene Card Details"), "mnuRSCDetailed");
    mnuRScript = make(tr("Script"), "mnuRScript");
    mnuRSCI3x5 = make(tr("3x5 Index Cards"), "mnuRSCI3x5");
    mnuRSCI4x6 = make(tr("4x6 Index Cards"), "mnuRSCI4x6");
    mnuRSCA3x5 = make(tr("Avery 3x5 Cards"), "mnuRSCA3x5");
    mnuRSCABusinessCards = make(tr("Avery Business Cards"), "mnuRSCABusinessCards");
    mnuRA3x5IncludeNotes = makeCheckable(tr("Avery 3x5: Include Notes"), "mnuRA3x5IncludeNotes");
    mnuRA3x5IncludeCharacters = makeCheckable(tr("Avery 3x5: Include Characters"), "mnuRA3x5IncludeCharacters");
    mnuR3x5IncludeNotes = makeCheckable(tr("3x5 Cards: Include Notes"), "mnuR3x5IncludeNotes");
    mnuR3x5IncludeCharacters = makeCheckable(tr("3x5 Cards: Include Characters"), "mnuR3x5IncludeCharacters");
    mnuR4x6IncludeNotes = makeCheckable(tr("4x6 Cards: Include Notes"), "mnuR4x6IncludeNotes");
    mnuR4x6IncludeCharacters = makeCheckable(tr("4x6 Cards: Include Characters"), "mnuR4x6IncludeCharacters");
    mnuRBCIncludeNotes = makeCheckable(tr("Business Cards: Include Notes"), "mnuRBCIncludeNotes");
    mnuRBCIncludeCharacters = makeCheckable(tr("Business Cards: Include Characters"), "mnuRBCIncludeCharacters");

    mnuUserGuide = make(tr("Vantora &User Guide"), "mnuUserGuide");
    mnuTutorial = make(tr("&Tutorial"), "mnuTutorial");
    mnuChapterThree = make(tr("Guide: Building the Board"), "mnuChapterThree");
    mnuWebSite = make(tr("Vantora &Web Site"), "mnuWebSite");
    mnuQuickTourVideo = make(tr("Quick Tour &Video"), "mnuQuickTourVideo");
    mnuTechSupport = make(tr("Technical &Support"), "mnuTechSupport");

    menuNotesSize->addActions({mnuPPNSIncreaseWidth, mnuPPNSDecreaseWidth, mnuPPNSIncreaseHeight, mnuPPNSDecreaseHeight});
    menuZoom->addActions({mnuBZNormal, mnuBZLarger, mnuBZEvenBigger, mnuBZAsBigAsItGets});
    menuBoardSize->addActions({mnuPPBSFitToCurrentView, mnuPPBSIncreaseWidth, mnuPPBSDecreaseWidth,
                               mnuPPBSIncreaseHeight, mnuPPBSDecreaseHeight, mnuPPBSRestoreDefaults});
    // The board menu is one menu shared by every window, so hiding it hides it everywhere.
    menuBoard = new QMenu(tr("&Board"));
    mnuVBoard = menuBoard->menuAction();
    mnuVBoard->setObjectName("mnuVBoard");
    menuBoard->addActions({mnuToggleBoardView, mnuBZoom, mnuPPBoardSize});
    for (QMenu* menu : {menuOpenRecentList, menuNotesSize, menuZoom, menuBoardSize, menuBoard})
        connect(this, &QObject::destroyed, [menu] { delete menu; });
}

QAction* AppActions::make(const QString& text, const QString& objectName)
{
    auto* action = new QAction(text, this);
    action->setObjectName(objectName);
    return action;
}

QAction* AppActions::makeCheckable(const QString& text, const QString& objectName)
{
    QAction* action = make(text, objectName);
    action->setCheckable(true);
    return action;
}

void AppActions::followFocusedField(QWidget* field)
{
    for (const QMetaObject::Connection& connection : fieldConnections_)
        disconnect(connection);
    fieldConnections_.clear();
    const auto update = [this] { updateUndoRedo(); };
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        fieldConnections_.push_back(connect(line, &QLineEdit::textChanged, this, update));
    } else if (auto* text = qobject_cast<QTextEdit*>(field)) {
        fieldConnections_.push_back(connect(text, &QTextEdit::undoAvailable, this, update));
        fieldConnections_.push_back(connect(text, &QTextEdit::redoAvailable, this, update));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
        fieldConnections_.push_back(connect(plain, &QPlainTextEdit::undoAvailable, this, update));
        fieldConnections_.push_back(connect(plain, &QPlainTextEdit::redoAvailable, this, update));
    }
    updateUndoRedo();
}

void AppActions::updateUndoRedo()
{
    QWidget* field = QApplication::focusWidget();
    bool undo = false;
    bool redo = false;
    if (auto* line = qobject_cast<QLineEdit*>(field); line && !line->isReadOnly()) {
        undo = line->isUndoAvailable();
        redo = line->isRedoAvailable();
    } else if (auto* text = qobject_cast<QTextEdit*>(field); text && !text->isReadOnly()) {
        undo = text->document()->isUndoAvailable();
        redo = text->document()->isRedoAvailable();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field); plain && !plain->isReadOnly()) {
        undo = plain->document()->isUndoAvailable();
        redo = plain->document()->isRedoAvailable();
    }
    mnuUndo->setEnabled(undo);
    mnuRedo->setEnabled(redo);
}

void AppActions::setFileMenuEnabled(bool enabled)
{
    for (QAction* action : {menuFileNew, menuFileOpen, menuOpenRecent, menuSave, menuClose, menuSaveAs, menuRevert})
        action->setEnabled(enabled);
}

QMenu* AppActions::sharedMenu(QMenu*& menu, const QString& title)
{
    menu = new QMenu(title);
    connect(this, &QObject::destroyed, [made = menu] { delete made; });
    return menu;
}

QMenu* AppActions::fileMenu(bool story)
{
    QMenu*& held = story ? storyFileMenu_ : startFileMenu_;
    if (held)
        return held;
    QMenu* file = sharedMenu(held, tr("&File"));
    file->addActions({menuFileNew, menuFileOpen, menuOpenRecent, mnuImportFinalDraft, mnuImportVantoraMac,
                      mnuDownloadFromPhoneQueue});
    if (story) {
        file->addSeparator();
        file->addActions({menuClose, menuSave, menuSaveAs, menuRevert});
        file->addSeparator();
        file->addActions({mnuNewVersion, mnuBackup});
        file->addSeparator();
        file->addActions({mnuExportFinalDraft, mnuSendToPhoneQueue});
    }
    file->addSeparator();
    if (story)
        file->addAction(mnuTransferToTheCloud);
    file->addAction(mnuRetrieveFromTheCloud);
    file->addSeparator();
    file->addAction(mnuQuit);
    return file;
}

QMenu* AppActions::editMenu()
{
    if (editMenu_)
        return editMenu_;
    QMenu* edit = sharedMenu(editMenu_, tr("&Edit"));
    edit->addActions({mnuUndo, mnuRedo});
    edit->addSeparator();
    edit->addActions({mnuCut, mnuCopy, mnuPaste});
    edit->addSeparator();
    edit->addAction(mnuSelectAll);
    return edit;
}

QMenu* AppActions::applicationMenu()
{
    if (applicationMenu_)
        return applicationMenu_;
    QMenu* application = sharedMenu(applicationMenu_, tr("&Vantora"));
    application->addAction(mnuAbout);
    application->addAction(mnuCheckForUpdates);
    application->addSeparator();
    application->addActions({mnuMasterColorCodes, mnuMPAutoTips, mnuResetBackupsLocation});
    return application;
}

QMenu* AppActions::helpMenu()
{
    if (helpMenu_)
        return helpMenu_;
    QMenu* help = sharedMenu(helpMenu_, tr("&Help"));
    help->addActions({mnuUserGuide, mnuTutorial, mnuChapterThree});
    help->addSeparator();
    help->addActions({mnuWebSite, mnuQuickTourVideo, mnuTechSupport});
    return help;
}

QMenu* AppActions::storyMenu()
{
    if (storyMenu_)
        return storyMenu_;
    QMenu* story = sharedMenu(storyMenu_, tr("&Story"));
    story->addActions({mnuSLoglineNew, mnuSLoglineFromTemplate});
    story->addSeparator();
    story->addActions({mnuAddCharacter, mnuDeleteCharacter, mnuAddLocation, mnuDeleteLocation, mnuAddSetup,
                       mnuDeleteSetup, mnuAddPayoff, mnuDeletePayoff});
    story->addSeparator();
    story->addActions({mnuAddSceneCard, mnuProjectColorCodes});
    return story;
}

QMenu* AppActions::viewMenu()
{
    if (viewMenu_)
        return viewMenu_;
    QMenu* view = sharedMenu(viewMenu_, tr("V&iew"));
    view->addActions({mnuToggleTitle, mnuToggleBeats, mnuToggleLitterBox, mnuToggleGeneralNotes});
    view->addSeparator();
    view->addActions({mnuFullTitleView, mnuFullBeatsView, mnuFullBoardView, mnuFullNotesView, mnuRestoreView});
    view->addSeparator();
    QMenu* fontSize = view->addMenu(tr("Font Size"));
    fontSize->addActions({mnuMFSNormal, mnuMFSLarger, mnuMFSEvenBigger, mnuMFSAsBigAsItGets});
    view->addAction(mnuPPNotesSize);
    return view;
}

QMenu* AppActions::reportsMenu()
{
    if (reportsMenu_)
        return reportsMenu_;
    QMenu* reports = sharedMenu(reportsMenu_, tr("&Reports"));
    reports->addActions({mnuRLoglines, mnuRBeatSheet, mnuRCharactersList, mnuRCharactersBiography, mnuRLocationsList,
                         mnuRLocationsDetails, mnuRSetups, mnuRPayoffs, mnuRAttachmentsByColor,
                         mnuRAttachmentsSelectedColor});
    reports->addSeparator();
    reports->addActions({mnuRSCSummary, mnuRLitterBox, mnuRSCDetailed, mnuRScript, mnuRSCI3x5, mnuRSCI4x6, mnuRSCA3x5,
                         mnuRSCABusinessCards});
    reports->addSeparator();
    reports->addActions({mnuR3x5IncludeNotes, mnuR3x5IncludeCharacters, mnuR4x6IncludeNotes, mnuR4x6IncludeCharacters,
                         mnuRA3x5IncludeNotes, mnuRA3x5IncludeCharacters, mnuRBCIncludeNotes, mnuRBCIncludeCharacters});
    return reports;
}

void AppActions::buildStartMenuBar(QMenuBar* bar)
{
    for (QMenu* menu : {fileMenu(false), editMenu(), applicationMenu(), helpMenu()})
        bar->addMenu(menu);
}

void AppActions::buildStoryMenuBar(QMenuBar* bar)
{
    for (QMenu* menu : {fileMenu(true), editMenu(), applicationMenu(), storyMenu(), viewMenu(), menuBoard,
                        reportsMenu(), helpMenu()})
        bar->addMenu(menu);
}
