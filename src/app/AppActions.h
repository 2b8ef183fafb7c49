#pragma once

#include <QObject>

#include <array>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

// The shared menus and items of the application. Every window's menu bar shows these same
// actions, so enabling, hiding, checking or renaming an item shows in every window, as the
// documents expect of one shared menu bar. Names follow the items' roles.
class AppActions : public QObject
{
    Q_OBJECT

public:
    explicit AppActions(QObject* parent = nullptr);

    // Builds the full menu bar of a story window.
    void buildStoryMenuBar(QMenuBar* bar);
    // Builds the menu bar of the start window shown while no story is open.
    void buildStartMenuBar(QMenuBar* bar);
    // The Open Recent submenu, kept up to date by the document controller.
    QMenu* openRecentMenu() const { return menuOpenRecentList; }
    // The add and delete commands of the story-elements tables, characters to pay-offs.
    std::array<QAction*, 8> itemCommands() const
    {
        return {mnuAddCharacter, mnuDeleteCharacter, mnuAddLocation, mnuDeleteLocation,
                mnuAddSetup,     mnuDeleteSetup,     mnuAddPayoff,   mnuDeletePayoff};
    }

    // --- File ---
    QAction* menuFileNew;
    QAction* menuFileOpen;
    QAction* menuOpenRecent; // the submenu's own item
    QAction* menuClose;
    QAction* menuSave;
    QAction* menuSaveAs;
    QAction* menuRevert;
    QAction* mnuNewVersion;
    QAction* mnuBackup;
    QAction* mnuQuit;
    // Final Draft 8/9 scripts: a new story from a script, a script into the open story, the
    // open story as a script. No menu holds the second: it re-pages the whole open story to
    // the script's page count, which nothing can take back.
    QAction* mnuImportFinalDraft;
    QAction* mnuImportFinalDraftIntoStory;
    QAction* mnuExportFinalDraft;
    // A new story from a project file of the earlier versions.
    QAction* mnuImportVantoraMac;
    // The phone application's queue: the open story sent to it, the queued stories saved as
    // new story files.
    QAction* mnuSendToPhoneQueue;
    QAction* mnuDownloadFromPhoneQueue;
    // The cloud store: the open story's file sent there, stored files listed and fetched.
    QAction* mnuTransferToTheCloud;
    QAction* mnuRetrieveFromTheCloud;

    // --- Edit: the standard commands, acting on the text field that has the keyboard focus ---
    QAction* mnuUndo;
    QAction* mnuRedo;
    QAction* mnuCut;
    QAction* mnuCopy;
    QAction* mnuPaste;
    QAction* mnuSelectAll;

    // --- Application ---
    QAction* mnuAbout;
    QAction* mnuCheckForUpdates;
    QAction* mnuMasterColorCodes;
    QAction* mnuMPAutoTips;
    QAction* mnuResetBackupsLocation;

    // --- Story (title and logline, story elements, board) ---
    QAction* mnuSLoglineNew;
    QAction* mnuSLoglineFromTemplate;
    QAction* mnuAddCharacter;
    QAction* mnuDeleteCharacter;
    QAction* mnuAddLocation;
    QAction* mnuDeleteLocation;
    QAction* mnuAddSetup;
    QAction* mnuDeleteSetup;
    QAction* mnuAddPayoff;
    QAction* mnuDeletePayoff;
    QAction* mnuAddSceneCard;
    QAction* mnuProjectColorCodes;

    // --- View ---
    QAction* mnuToggleTitle;
    QAction* mnuToggleBeats;
    QAction* mnuToggleLitterBox;
    QAction* mnuToggleGeneralNotes;
    QAction* mnuFullTitleView;
    QAction* mnuFullBeatsView;
    QAction* mnuFullBoardView;
    QAction* mnuFullNotesView;
    QAction* mnuRestoreView;
    QAction* mnuMFSNormal;
    QAction* mnuMFSLarger;
    QAction* mnuMFSEvenBigger;
    QAction* mnuMFSAsBigAsItGets;
    QAction* mnuPPNotesSize; // submenu item
    QAction* mnuPPNSIncreaseWidth;
    QAction* mnuPPNSDecreaseWidth;
    QAction* mnuPPNSIncreaseHeight;
    QAction* mnuPPNSDecreaseHeight;

    // --- Board ---
    QAction* mnuVBoard; // the board menu's own item
    QAction* mnuToggleBoardView;
    QAction* mnuBZoom; // submenu item
    QAction* mnuBZNormal;
    QAction* mnuBZLarger;
    QAction* mnuBZEvenBigger;
    QAction* mnuBZAsBigAsItGets;
    QAction* mnuPPBoardSize; // submenu item
    QAction* mnuPPBSFitToCurrentView;
    QAction* mnuPPBSIncreaseWidth;
    QAction* mnuPPBSDecreaseWidth;
    QAction* mnuPPBSIncreaseHeight;
    QAction* mnuPPBSDecreaseHeight;
    QAction* mnuPPBSRestoreDefaults;

    // --- Reports (a command for each report that can be built) ---
    QAction* mnuRLoglines;
    QAction* mnuRBeatSheet;
    QAction* mnuRCharactersList;
    QAction* mnuRCharactersBiography;
    QAction* mnuRLocationsList;
    QAction* mnuRLocationsDetails;
    QAction* mnuRSetups;
    QAction* mnuRPayoffs;
    QAction* mnuRAttachmentsByColor;
    QAction* mnuRAttachmentsSelectedColor;
    QAction* mnuRSCSummary;
    QAction* mnuRLitterBox;
    QAction* mnuRSCDetailed;
    QAction* mnuRScript;
    QAction* mnuRSCI3x5;
    QAction* mnuRSCI4x6;
    QAction* mnuRSCA3x5;
    QAction* mnuRSCABusinessCards;

    // --- Reports (card report options) ---
    QAction* mnuRA3x5IncludeNotes;
    QAction* mnuRA3x5IncludeCharacters;
    QAction* mnuR3x5IncludeNotes;
    QAction* mnuR3x5IncludeCharacters;
    QAction* mnuR4x6IncludeNotes;
    QAction* mnuR4x6IncludeCharacters;
    QAction* mnuRBCIncludeNotes;
    QAction* mnuRBCIncludeCharacters;

    // --- Help ---
    QAction* mnuUserGuide;
    QAction* mnuTutorial;
    QAction* mnuChapterThree;
    QAction* mnuWebSite;
    QAction* mnuQuickTourVideo;
    QAction* mnuTechSupport;

    // The commands of the application rather than of a story, whose keys work in every window:
    // New Story, Open and Quit. A window shown while no menu bar is (the splash) is given them.
    std::array<QAction*, 3> applicationCommands() const { return {menuFileNew, menuFileOpen, mnuQuit}; }

    // The seven File items that stay disabled until the master file is open.
    void setFileMenuEnabled(bool enabled);

private:
    QAction* make(const QString& text, const QString& objectName);
    QAction* makeCheckable(const QString& text, const QString& objectName);
    // Each menu is made once, on the first bar that shows it, and shared by every later bar
    // (a bar does not own the menus it shows).
    QMenu* sharedMenu(QMenu*& menu, const QString& title);
    QMenu* fileMenu(bool story);
    QMenu* editMenu();
    QMenu* applicationMenu();
    QMenu* storyMenu();
    QMenu* viewMenu();
    QMenu* reportsMenu();
    QMenu* helpMenu();
    // Undo and Redo are enabled while the field with the focus has something to undo or redo;
    // the field's own changes keep them up to date.
    void followFocusedField(QWidget* field);
    void updateUndoRedo();

    QMenu* menuOpenRecentList;
    std::vector<QMetaObject::Connection> fieldConnections_;
    QMenu* menuNotesSize;
    QMenu* menuZoom;
    QMenu* menuBoardSize;
    QMenu* menuBoard;
    QMenu* startFileMenu_ = nullptr;
    QMenu* storyFileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* applicationMenu_ = nullptr;
    QMenu* storyMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* reportsMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
};
