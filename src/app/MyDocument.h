#pragma once

#include "AdviceWindow.h"
#include "SmallViews.h"
#include "StoryWindow.h"
#include "model/StoryFile.h"

#include <QColor>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QScrollArea>
#include <QTimer>
#include <QString>
#include <QUrl>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class AppController;
class BaseViewController;
class QAction;
class AttachedObjectdb;
class BeatsTableView;
class CharacterDetailView;
class CharactersTableView;
class BigSceneView;
class CloudUploadDelegate;
class CloudUploadShare;
class HTTPRequest;
class NetworkQueue;
class BoardView;
class Characterdb;
class ColorCodeSelector;
class GeneralNotesView;
class InitialBeatCards;
class LitterBoxView;
class LocationDetailView;
class LocationsTableView;
class MainSplitView;
class PayoffsTableView;
class QLabel;
class QScrollArea;
class QTimer;
class QToolButton;
class Screenplaydb;
class SceneCarddb;
class SceneCardView;
class SceneLocationdb;
class SetupsTableView;
class SmallSceneCard;
class PrintedReport;
class StoryWindow;
class TextsReadAhead;
class TitleLoglineView;

// Wires the shared menu items of the window layout (sections, full-section views, notes size,
// font size) to the current document. Called once by the application.
void connectLayoutCommands(AppController& application);
// A new scroll view with both scroll bars in the standard background colour, filling `pane`
// and resizing with it.
QScrollArea* addPaneScrollView(const QString& name, QWidget* pane, const QColor& background);
// Wires the logline menu items to the current document (src/panes).
void connectPaneCommands(AppController& application);
// The tag a menu item (its data) or another sender (its "tag" property) carries; 0 for
// anything else.
int senderTag(QObject* sender);
// Wires the board menu items (add scene card, corkboard/list, zoom, board size) to the
// current document (src/board).
void connectBoardCommands(AppController& application);
// Wires the report commands and the card-report option items to the current document
// (src/app/MyDocumentReports.cpp).
void connectReportCommands(AppController& application);
// Wires the Final Draft import and export items and the earlier-version import
// (src/app/InterchangeCommands.cpp).
void connectInterchangeCommands(AppController& application);
// The phone queue's commands (src/app/PhoneQueueCommands.cpp).
void connectPhoneQueueCommands(AppController& application);
// The cloud store's commands: the upload of the open story, the retrieval dialog
// (src/app/CloudCommands.cpp).
void connectCloudCommands(AppController& application);
// Installs the master colour-code dialog in the application and wires the project colour
// codes item to the current document. Called once by the application.
void connectColorCodeCommands(AppController& application);

// One open story: the story file's connection, the loaded story and the window that shows it.
// Every edit is written to the file at once by the records, so the document never saves and
// closing never asks to.
//
// The window's layout comes from the story's window fields: the window state code (six
// decimal digits: zoomed 1 or 2, full-section view 0 to 4, then title/logline, story elements,
// Litter Box and general notes each 1 shown or 0 collapsed), the divider percentages and the
// window size. The document is the delegate of the window's four split views and keeps those
// fields up to date as the user changes the window.
class MyDocument : public QObject, public SplitViewDelegate
{
    Q_OBJECT

public:
    explicit MyDocument(AppController& application, QObject* parent = nullptr);
    ~MyDocument() override;

    // A new, untitled document: the window asks for a file name once it shows.
    void initWithType();
    // Opens an existing story file. Answers false, with the reason in `error`, when the file
    // cannot be opened as a story; no window should then be made.
    bool readFromURL(const QString& path, QString* error = nullptr);

    // Makes and shows the window: laid out from the story, or asking for a new file's name.
    void makeWindowControllers();
    StoryWindow* window() const { return window_; }

    // Opens the file into the document (and loads the story unless only the file changes);
    // an empty path closes the story's database.
    void setThisFileName(const QString& path);
    const QString& thisFileName() const { return thisFileName_; }

    // Menu commands.
    void startNewVersion();
    void makeBackup();
    // Ends the edit in progress so its field writes its value.
    void commitEditing();
    // The window is closing: end editing, finalize the story's statements, close the file.
    void windowWillClose();
    // Rebuilds every pane of the window from the story's stored layout.
    void layoutWindowForScreenplay();

    // --- Sections (commands of the menu items and toolbar buttons; the sender tells which) ---
    // Shows a collapsed section or collapses a shown one, then lays the window out again.
    void toggleSection(QObject* sender);
    // Shows one section alone in the window, or restores the normal view.
    void fullSectionView(QObject* sender);
    // Makes the general-notes board wider or narrower (tags 2, 3) or higher or lower (4, 5).
    void modifyGeneralNotesSize(QObject* sender);
    // Chooses the standard font setting 1 to 4 (the sender's tag).
    void setMainFontSize(QObject* sender);

    // --- Menu and toolbar state of the sections ---
    // Sets every item of the shared menu bar that follows a story window (check marks, section
    // commands and titles, which items show) from what this window shows, writing nothing.
    // Every layout ends with it, and a window that becomes active runs it, so the items always
    // speak for the window the writer works in.
    void setMenusForWindow();
    // The window became the active one.
    void windowDidBecomeMain();
    void titleLoglineIsHidden(bool flag);
    void beatsSectionIsHidden(bool flag);
    void boardIsHidden(bool flag);
    void generalNotesIsHidden(bool flag);
    // Hides or shows the four section toggles.
    void setViewMenusHidden(bool flag);
    void boardSizeMenusEnabled(bool flag);
    void NotesSizeMenusEnabled(bool flag);

    // Builds the general-notes board in a new scroll view in the notes pane.
    void layoutGeneralNotes();
    // Applies the standard font setting to the document's labels and every open pane.
    void setupFonts();
    void setLabelFonts();
    void setTextFieldFonts();

    // --- The window and its split views ---
    // Records the zoom state and the size of the window.
    void windowDidResize();
    double splitViewConstrainMinCoordinate(MainSplitView& splitView, double proposed, int dividerIndex) override;
    double splitViewConstrainMaxCoordinate(MainSplitView& splitView, double proposed, int dividerIndex) override;
    void splitViewWillResizeSubviews(MainSplitView& splitView) override;
    void splitViewDidResizeSubviews(MainSplitView& splitView) override;

    // --- Board presentations and panes that other parts of the window provide ---
    void showTheBoard();
    void showBoardListView();
    void shutDownTheBoard();
    void shutDownTheBoardListView();

    // --- The corkboard and the scene card views (src/board) ---
    // One card view per scene card of the board and the Litter Box, for the life of the
    // window; the corkboard, the list and the Litter Box borrow their views.
    const std::vector<std::unique_ptr<SceneCardView>>& sceneCardControls() const { return sceneCardControls_; }
    // The card view of this very card, or nothing.
    SceneCardView* sceneCardControlForSceneCard(const SceneCarddb* card) const;
    // Gives every card of the board and the Litter Box that has no card view yet its own.
    void addMissingSceneCardControls();
    // Makes the look-up of a card's view from the views kept.
    void indexSceneCardControls();
    // Builds the corkboard again from the story.
    void refreshTheBoard();
    // Shows the Litter Box column again from the story.
    void refreshLitterBoxView();
    // Moves a board card into the Litter Box (a board card dropped on a Litter Box card).
    void dropSceneCardInLitterBox(std::int64_t sceneCardID);
    // Deletes a card for good with its links; its card view goes with it.
    void deleteSceneCard(SceneCarddb* card);
    // Reloads the set-ups or pay-offs table when one shows, after its items changed cards.
    void refreshSetupAndPayoffTables();
    // Ctrl-N / Ctrl-P on the corkboard: the next (previous) board card comes to the top with
    // its heading in edit.
    void pageToSceneCardAfterSceneCard(SceneCarddb* card);
    void pageToSceneCardBeforeSceneCard(SceneCarddb* card);
    // --- Board commands (the sender's tag selects the variant) ---
    // Corkboard to list and back.
    void toggleBoardView();
    // Zoom factor 1 to 4: the board is rescaled and rebuilt.
    void zoomTheBoard(QObject* sender);
    // Board size: 1 fit to the view, 2/3 wider/narrower, 4/5 higher/lower, 6 defaults.
    void modifyTheBoardSize(QObject* sender);
    // The card's set-ups or pay-offs changed: its indicators (and the large card's) show it.
    void refreshSceneCardIndicators(SceneCarddb* card);

    // --- The large scene card in place of the board ---
    // Opens the large scene card on `card` (tab 0 keeps the tab showing, 1 to 6 selects one),
    // or moves the open one to it.
    void openBigSceneCard(SceneCarddb* card, std::int64_t tab);
    void openBigSceneCard(SceneCarddb* card) { openBigSceneCard(card, 0); }
    // The same on the Set-ups (Pay-offs) tab.
    void openBigSceneCardForSetup(SceneCarddb* card) { openBigSceneCard(card, 2); }
    void openBigSceneCardForPayoff(SceneCarddb* card) { openBigSceneCard(card, 3); }
    // Takes the strip of small cards down; it is built again by the next opening.
    void removeMiniSceneCards();
    // The strip of small cards and the paging buttons follow the board order again; the large
    // card's fields and the keyboard focus are left as they are.
    void refreshMiniSceneCards();
    // Closes the large scene card and shows the corkboard or the list again, with the keyboard
    // focus on the card that was open.
    void closeBigSceneCard();
    // Gives the keyboard focus to `card` on the corkboard or the list, or in the Litter Box when
    // it shows, scrolled into view; to the corkboard or the list itself when the card is not there.
    void focusCardOfTheBoard(SceneCarddb* card);
    BigSceneView* bigSceneViewController() const { return bigSceneView_.get(); }
    QScrollArea* scrMiniSceneCards() const { return scrMiniSceneCards_; }
    FlippedView* vMiniSceneCards() const { return vMiniSceneCards_; }
    // The small cards of the strip, in the board's order; they lie side by side in one block and
    // stay where they are until the strip is built again.
    std::vector<SmallSceneCard>& miniSceneCardControls() { return miniSceneCardControls_; }
    const std::vector<SmallSceneCard>& miniSceneCardControls() const { return miniSceneCardControls_; }
    // The strip of small cards: its height, and the room each small card takes.
    static constexpr int kMiniSceneCardStripHeight = 128;
    static constexpr int kMiniSceneCardStep = 242;
    LitterBoxView* litterBoxViewController() const { return litterBoxView_.get(); }
    // Offers the initial beat cards to a story whose board holds no card yet.
    void addMajorTurnCards();
    // Whether scene cards may be added: the board holds a card, or the title, current
    // logline, genre and every beat description are filled in.
    bool okToAddSceneCards() const;
    // Adds a new card next to the card last worked on (or at the board's top-left corner)
    // and opens it in the large scene card.
    void addSceneCard();
    // Beat cards of the beat take its description; on an empty board, the initial beat
    // cards are offered instead.
    void updateBeatSceneCardForBeat(std::int64_t beatNumber);
    // The card's description changed outside its views: its board (or list) card, its small
    // card and the large card, when they show it, show the new text.
    void showSceneCardDescription(SceneCarddb* card);
    // Gives the story a new page count: every card of the board and the Litter Box is
    // re-paged from the place it shows at on the board as it is now, all in one write, and
    // the board shows the new pages.
    void setStoryPageCount(std::int64_t pages);
    // The page count changed: the board shows the cards' new pages.
    void refreshBoardForPageCount();
    // The initial-beat-cards dialog while it runs; nothing otherwise.
    InitialBeatCards* initialBeatCardsWindow() const { return initialBeatCardsWindow_; }

    // --- Colour codes ---
    // Edits the story's colour codes in the colour-code dialog, then repaints the cards'
    // colour stripes (sender ignored).
    void colorCodeForProject(QObject* sender);
    // The dialog while it runs; nothing otherwise.
    ColorCodeSelector* colorCodeWindow() const { return colorCodeWindow_; }
    // The notes board's palette: ids 1 to 10, white for any other id.
    static QColor cardColorForColorID(std::int64_t colorID);

    // --- Reports (src/app/MyDocumentReports.cpp) ---
    // A card-report option item was chosen (the Avery 3x5, business-card, 3x5 and 4x6 index
    // card "include notes" and "include characters" items): ends the edit in progress, stores
    // 1 in the item's story flag when the item had no check mark and 0 when it had one, writes
    // the story row and gives the item the new mark.
    void toggleCardReportIncludeFlag(QAction* item);
    // The caption of the board list view's sorting and filters (empty unless the list shows).
    QString listViewFiltering() const;
    // Ends the edit in progress, builds a report of the story and shows the print panel for
    // it; a report that cannot be printed or written is reported in an alert.
    void printReport(const std::function<std::unique_ptr<PrintedReport>(Screenplaydb&)>& build);
    // How long a report may take, in milliseconds, before its progress window shows (500 at
    // first).
    static void setReportProgressDelay(int milliseconds);
    // A report of the scene cards the board (or its list view) shows; a story without a card on
    // the board gets the "Scene Cards" alert and nothing is printed.
    void printSceneCardReport(const std::function<std::unique_ptr<PrintedReport>(Screenplaydb&)>& build);
    // The general notes and attachments of one note colour (1 to 10), or of all (0).
    void attachmentsReportForSelectedColor(std::int64_t colour);
    // Asks for a note colour in the palette window, then prints that colour's report; nothing
    // when no colour is chosen.
    void reportAttachmentsSelectedColor();

    // --- Final Draft 8/9 scripts (src/app/InterchangeCommands.cpp) ---
    // Reads the script file into the open story after the import checks, then lays the window
    // out again. A refused script changes nothing; a failed write leaves the file as it was and
    // opens the story again from it.
    void importFinalDraft8Script(const QString& path);
    // Asks for a script file and imports it into the open story.
    void chooseFinalDraft8ScriptToImport();
    // Asks where to write the story as a script, writes it and opens the written file in the
    // system's application for it.
    void exportToFinalDraft8();

    // --- The phone application's queue (src/app/PhoneQueueCommands.cpp) ---
    // Sends the story to the phone queue, asking for the account number when none is known;
    // the number is kept once an upload succeeded.
    void sendToiPhone1Queue();
    // --- The cloud store (src/app/CloudCommands.cpp) ---
    // Ends the edit in progress, asks the cloud service for the storage credentials and posts
    // the story's file to the cloud store while the progress window shows the share sent. It
    // returns at once; an alert tells how the post ended. Each command posts through a queue of
    // its own: an upload still running goes on, and the bar shows the share of all of them.
    void transferToTheCloud();
    // The post ended: a 2xx answer to the post itself is the only success; anything else (an
    // answer of another page a redirect fetched without the file too) goes to uploadFailed.
    // Either alerts; the progress window closes when no other upload runs.
    void uploadCompleted(HTTPRequest* request);
    void uploadFailed(HTTPRequest* request);
    // The queue heard the post end, after the post's own callback: a line in the log.
    void uploadRequestDidFinish(HTTPRequest* request);
    void uploadRequestDidFail(HTTPRequest* request);
    // A queue ran out of requests: a line goes to the log, the queue is let go of and the
    // progress window closes when no other upload runs.
    void uploadQueueDidFinish(NetworkQueue* queue);
    // The number the cloud store files an upload under: the UTF-16 code units of the file's name
    // plus its size in bytes, added as 32-bit numbers that wrap around.
    static qint32 recordIdentifier(const QString& fileName, qint64 size);
    // The progress window of the upload, made on first use.
    QWidget* progressWindow() const { return progressWindow_.get(); }
    QLabel* lblUploadingFile() const { return lblUploadingFile_; }
    QProgressBar* progressIndicator() const { return progressIndicator_; }
    // The queues of the uploads not yet let go of.
    qsizetype uploadQueueCount() const { return qsizetype(uploadQueues_.size()); }

    // --- Story development panes ---
    // Shows one list of the story-elements pane (0 beats, 1 characters, 2 locations,
    // 3 set-ups, 4 pay-offs) with its add button and menu item, highlights its label and
    // remembers it in the story; any other number shows nothing.
    void setBeatSection(std::int64_t section);
    // Shows the add button and menu item of section 1 to 4.
    void showAddCommand(std::int64_t section);
    // Shows or hides the delete button and the delete menu item of section 1 to 4.
    void showDeleteCommand(std::int64_t section, bool shown);
    // A section label was clicked: its tag names the section to show.
    void selectBeatSectionOption(QObject* sender);
    // Starts a new current logline: empty (tag 1), the short (2) or the long template (3);
    // tag 0 asks which in the add-logline window.
    void addLogline(QObject* sender);
    // A button of the add-logline window: ends the window with the button's tag.
    void loglineTypeSelected(QObject* sender);
    // The beat sheet while it shows; nothing otherwise.
    BeatsTableView* beatsTableView() const { return beatsTableView_.get(); }
    // The characters (locations) list while it shows; nothing otherwise.
    CharactersTableView* charactersTableView() const { return charactersTableView_.get(); }
    LocationsTableView* locationsTableView() const { return locationsTableView_.get(); }
    // The set-ups (pay-offs) list while it shows; nothing otherwise.
    SetupsTableView* setupsTableView() const { return setupsTableView_.get(); }
    PayoffsTableView* payoffsTableView() const { return payoffsTableView_.get(); }
    // The texts of the set-ups' or pay-offs' list the story opened on (`section`), read ahead
    // since loading began; nothing for another section, or once taken.
    std::unique_ptr<TextsReadAhead> takeListReadAhead(std::int64_t section);
    // Set-ups or pay-offs changed: the open large card relists them (and, with `indicators`,
    // shows its indicators again).
    void refreshBigSceneSetupsAndPayoffs(bool indicators);

    // --- Detail panels and attachments (src/panes/MyDocumentDetails.cpp) ---
    // A character or a location was renamed: the open large card shows the new name.
    void showRenamedItem();
    // Builds the character (location) panel in a scroll view of the story-elements pane in
    // place of the list, and shows the delete command.
    void setupCharacterDetailView();
    void setupLocationDetailView();
    // Shows the character (location) in its panel, which replaces the list when it is not open.
    void showCharacterDetailForCharacter(Characterdb* character);
    void showLocationDetailForSceneLocation(SceneLocationdb* location);
    // Closes the panel and shows the list of its section again.
    void closeCharacterDetails();
    void closeLocationDetails();
    CharacterDetailView* characterDetailView() const { return characterDetailView_.get(); }
    LocationDetailView* locationDetailView() const { return locationDetailView_.get(); }
    QScrollArea* scrBeatSectionDetails() const { return scrBeatSectionDetails_; }
    // Writes a copy of the attachment's stored file into the program's private folder, under
    // a cleaned, unused name with the extension of what is stored, and opens it in the
    // application the system uses for it. A copy that cannot be written is reported, and
    // nothing is opened. Answers whether it was handed over.
    bool openAttachmentFileInNativeApplication(AttachedObjectdb* attachment);
    // Deletes the attachment with every link to it; an owner left with one link gets it as its
    // picture. The panels, lists and cards that showed it show the story again.
    void deleteAttachment(std::int64_t attachedObjectID);
    // The add and delete commands of the characters, locations, set-ups and pay-offs: the
    // sender (the add or delete button of the section showing, or one of the eight menu items)
    // chooses which. Adding a character or location opens it in its panel; adding a set-up or
    // pay-off opens its text for typing in the list. Deleting asks first, then removes the item
    // being edited (the item of the selected row) with what depends on it, in one write; a
    // write that fails changes nothing and is reported.
    void addDeleteItem(QObject* sender);

    // Layout state.
    bool isLoading() const { return isLoading_; }
    bool skipIt() const { return skipIt_; }
    bool specialViewConfigured() const { return specialViewConfigured_; }
    std::int64_t whichSpecialView() const { return whichSpecialView_; }
    bool titleIsHidden() const { return titleIsHidden_; }
    bool beatsIsHidden() const { return beatsIsHidden_; }
    bool notesIsHidden() const { return notesIsHidden_; }
    bool litterBoxIsHidden() const { return litterBoxIsHidden_; }
    // Shows the tip that fits the story's state (automatic tips).
    void showAutoTip();
    // Help: the topic a help button or menu item carries, or a topic by its key, shown in the
    // document's own advice window (made on first use, kept while the document lives).
    void showHelp(QObject* sender);
    void showHelpForTopic(const QString& key);
    AdviceWindow* adviceWindow() const { return adviceWindow_.get(); }
    // A pseudo-random whole number from 1 to n (n at least 1).
    long randomNumberWithMax(long n) const;

    Screenplaydb* currentScreenplay() const { return currentScreenplay_.get(); }
    sqlite3* database() const { return connection_.get(); }
    bool startingBrandNewFile() const { return startingBrandNewFile_; }
    const QColor& standardBackgroundColor() const { return standardBackgroundColor_; }
    AppController& application() const { return application_; }
    QTimer* autoTipTimer() const { return autoTipTimer_; }

    // Panes and sections through which the panes reach each other.
    MainSplitView* splTitle() const { return splTitle_; }
    MainSplitView* splBeats() const { return splBeats_; }
    MainSplitView* splBoard() const { return splBoard_; }
    MainSplitView* splNotes() const { return splNotes_; }
    QScrollArea* scrNotes() const { return scrNotes_; }
    QScrollArea* scrLitterBox() const { return scrLitterBox_; }
    QScrollArea* scrBoard() const { return scrBoard_; }
    // The first pane of splBoard, which shows the corkboard, the list or the large scene card.
    QWidget* boardPane() const { return boardPane_; }
    QWidget* notesPane() const { return notesPane_; }
    // The window's sections in the order Tab goes through them: title and logline, the story's
    // elements, the board, the Litter Box, the general notes.
    std::vector<QWidget*> keyboardSections() const;
    QLabel* lblLitterBox() const { return lblLitterBox_; }
    QLabel* optSelectBeats() const { return optSelectBeats_; }
    QLabel* optSelectCharacters() const { return optSelectCharacters_; }
    QLabel* optSelectLocations() const { return optSelectLocations_; }
    QLabel* optSelectSetups() const { return optSelectSetups_; }
    QLabel* optSelectPayoffs() const { return optSelectPayoffs_; }
    // The views of the panes shown now (nothing for a pane that is not shown).
    BoardView* boardView() const { return boardView_.get(); }
    QWidget* boardListViewView() const { return boardListViewView_; }
    QWidget* bigSceneView() const;
    QWidget* litterBoxView() const;
    QWidget* generalNotesView() const;
    // The notes board's controller while the notes pane shows it.
    GeneralNotesView* generalNotesBoard() const { return generalNotesBoard_.get(); }
    // A pane that takes a dropped attachment sets the tack of its note on the notes board down
    // again: the note of that attachment that comes first on the board, if it shows one.
    void setAttachmentNoteTackDown(std::int64_t attachedObjectID) const;
    QWidget* beatSectionTable() const { return beatSectionTable_; }
    TitleLoglineView* titleLoglineView() const { return titleLoglineView_.get(); }
    Characterdb* currentlyEditingCharacter() const { return currentlyEditingCharacter_; }
    void setCurrentlyEditingCharacter(Characterdb* character) { currentlyEditingCharacter_ = character; }
    SceneLocationdb* currentlyEditingLocation() const { return currentlyEditingLocation_; }
    void setCurrentlyEditingLocation(SceneLocationdb* location) { currentlyEditingLocation_ = location; }
    const QUrl& finalDraftFileToImport() const { return finalDraftFileToImport_; }
    void setFinalDraftFileToImport(const QUrl& url) { finalDraftFileToImport_ = url; }
    std::int64_t activeSceneCardID() const { return activeSceneCardID_; }
    void setActiveSceneCardID(std::int64_t key) { activeSceneCardID_ = key; }

protected:
    // Keeps the title/logline pane's view fitted to its pane as the pane changes size, and
    // hears when the window first comes on the screen.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The window closed and the story's file is closed; the document may go.
    void closed(MyDocument* document);
    // The document now works on another file (new story, new version).
    void fileNameChanged(MyDocument* document, const QString& path);

private:
    void windowControllerDidLoadNib();
    void getFileNameForNewFile();
    // The story's window, laid out, takes the keyboard, at the story's title.
    void takeKeyboardAtTitle();
    void buildWindow();
    void closeDatabaseReporting();
    // Opens the story's file again; when it cannot, alerts, closes the window and answers false.
    bool reopenDatabase();
    void closeWindowWithoutStory();
    bool storyIsOpen() const;
    // An upload told its end: an alert with the message, and the progress window closes when
    // no other upload runs.
    void uploadEnded(HTTPRequest* request, const QString& message);
    void hideUploadProgressWhenIdle();
    // The bar at the mean of the shares of the uploads shown since the window opened.
    void showUploadProgress();
    void connectToolbar();
    void tearDownPanes();
    void layoutNormalView(const QString& digits);
    void layoutFullSectionView(int view);
    void layoutTitleLogline(bool fullView);
    void layoutLitterBox();
    void showBoardPresentation();
    // Offers the initial beat cards once the window is laid out and drawn.
    void offerInitialBeatCardsOverDrawnWindow();
    void zoomWindow();
    void fitTitleLoglinePane();
    void placeBigSceneView();
    // While the large card is open the board pane borrows width and height from the panes
    // around it, as far as the card needs, and gives them back when the card closes.
    void makeRoomForBigSceneCard();
    void giveBackBigSceneRoom();
    // The strip of small cards under the large card (built when there is none) and its paging
    // buttons, for the card the large card shows.
    void showMiniSceneCards();
    void refreshGeneralNotesView();
    void setWindowStateDigit(int index, QChar value);
    void connectPaneControls();
    void connectBoardControls();
    std::array<QLabel*, 5> optionLabels() const;
    void releaseBeatSectionList();
    // The scroll view of a detail panel, in the story-elements pane.
    QScrollArea* makeDetailScrollView(QWidget* panel);
    // Before the panes of `splitView` change size: an open detail panel keeps its least height
    // (the sections above and below) or its least width (the story-elements pane).
    void fitDetailPanel(const MainSplitView& splitView);
    void showItemList(std::int64_t section);
    // The table of the story-elements pane, whichever shows, reads the story and the font again.
    void refreshItemTable();
    // The list of the section showing gives its rows the heights their texts need in the pane's
    // width; the list of a character or location being edited is not showing. Writes nothing, and
    // a cell being edited stays open with what is typed in it.
    void fitItemTableToPane();
    void addCharacter();
    void addLocation();
    void deleteCharacter();
    void deleteLocation();
    // Set-ups (Side: SetupSide) and pay-offs (PayoffSide), src/panes/MyDocumentSetupsPayoffs.cpp.
    template <typename Side>
    void addSetupOrPayoff();
    template <typename Side>
    void deleteSetupOrPayoff();
    void showBoardWithNewCards();

    AppController& application_;
    QString thisFileName_;
    DatabaseConnection connection_;
    std::unique_ptr<Screenplaydb> currentScreenplay_;
    bool startingBrandNewFile_ = false;
    bool changingFileNameOnly_ = false;
    QColor standardBackgroundColor_;
    QPointer<QTimer> autoTipTimer_;
    QUrl finalDraftFileToImport_;
    std::int64_t activeSceneCardID_ = 0;
    // Owned by colorCodeForProject for the length of its run.
    ColorCodeSelector* colorCodeWindow_ = nullptr;
    Characterdb* currentlyEditingCharacter_ = nullptr;
    SceneLocationdb* currentlyEditingLocation_ = nullptr;

    QPointer<StoryWindow> window_;
    QPointer<MainSplitView> splTitle_;
    QPointer<MainSplitView> splBeats_;
    QPointer<MainSplitView> splBoard_;
    QPointer<MainSplitView> splNotes_;
    QPointer<QScrollArea> scrNotes_;
    QPointer<QScrollArea> scrLitterBox_;
    QPointer<QScrollArea> scrBoard_;
    QPointer<QWidget> titlePane_;
    QPointer<QWidget> beatsPane_;
    QPointer<QWidget> beatSectionArea_;
    QPointer<QWidget> boardPane_;
    QPointer<QWidget> notesPane_;
    QPointer<QLabel> lblLitterBox_;
    QPointer<QLabel> optSelectBeats_;
    QPointer<QLabel> optSelectCharacters_;
    QPointer<QLabel> optSelectLocations_;
    QPointer<QLabel> optSelectSetups_;
    QPointer<QLabel> optSelectPayoffs_;
    std::unique_ptr<TitleLoglineView> titleLoglineView_;
    std::unique_ptr<BeatsTableView> beatsTableView_;
    std::unique_ptr<CharactersTableView> charactersTableView_;
    std::unique_ptr<LocationsTableView> locationsTableView_;
    std::unique_ptr<SetupsTableView> setupsTableView_;
    std::unique_ptr<PayoffsTableView> payoffsTableView_;
    std::unique_ptr<TextsReadAhead> listReadAhead_;
    std::int64_t listReadAheadSection_ = -1;
    std::unique_ptr<CharacterDetailView> characterDetailView_;
    std::unique_ptr<LocationDetailView> locationDetailView_;
    QPointer<QScrollArea> scrBeatSectionDetails_;
    // Owned by addMajorTurnCards for the length of its run.
    InitialBeatCards* initialBeatCardsWindow_ = nullptr;
    std::unique_ptr<AdviceWindow> adviceWindow_;
    std::unique_ptr<BoardView> boardView_;
    std::vector<std::unique_ptr<SceneCardView>> sceneCardControls_;
    // The view of each card, for sceneCardControlForSceneCard.
    std::unordered_map<const SceneCarddb*, SceneCardView*> sceneCardControlIndex_;
    QPointer<QWidget> boardListViewView_;
    std::unique_ptr<BigSceneView> bigSceneView_;
    QPointer<QScrollArea> scrMiniSceneCards_;
    QPointer<FlippedView> vMiniSceneCards_;
    std::vector<SmallSceneCard> miniSceneCardControls_;
    std::unique_ptr<LitterBoxView> litterBoxView_;
    std::unique_ptr<GeneralNotesView> generalNotesBoard_;
    QPointer<QWidget> beatSectionTable_;

    bool isLoading_ = false;
    bool skipIt_ = false;
    // The extents of the panes around the board pane before the large card borrowed from them.
    struct BigSceneRoom {
        int storyElements = 0;
        int litterBox = 0;
        int title = 0;
        int notes = 0;
    };
    std::optional<BigSceneRoom> bigSceneRoom_;
    bool specialViewConfigured_ = false;
    std::int64_t whichSpecialView_ = 0;
    bool titleIsHidden_ = false;
    bool beatsIsHidden_ = false;
    bool notesIsHidden_ = false;
    bool litterBoxIsHidden_ = false;
    // Whether the last layout showed the board, and whether the section toggles are hidden.
    bool boardShown_ = true;
    bool viewMenusHidden_ = false;
    // Set by the first layout: until then the window's changes are not the story's.
    bool windowLaidOut_ = false;
    // While the layout gives the window its zoomed size ahead of the zoom itself.
    bool sizingWindow_ = false;
    // The delayed corkboard rebuild and notes board refresh after the panes grew: each
    // qualifying resize starts its timer again, so a burst of resizes rebuilds once.
    QTimer* boardRefreshTimer_;
    QTimer* notesRefreshTimer_;
    // The uploads to the cloud: their progress window, the object that hears the requests, the
    // queues (observed by the HTTP layer, owned here until each finishes), each upload's share
    // of the bar (fed by its queue, kept until the window opens again) and the requests that
    // have not told their end yet (observed).
    std::unique_ptr<QWidget> progressWindow_;
    QPointer<QLabel> lblUploadingFile_;
    QPointer<QProgressBar> progressIndicator_;
    std::shared_ptr<CloudUploadDelegate> uploadDelegate_;
    std::vector<std::shared_ptr<NetworkQueue>> uploadQueues_;
    std::vector<std::shared_ptr<CloudUploadShare>> uploadShares_;
    std::vector<const HTTPRequest*> uploadsRunning_;
};
