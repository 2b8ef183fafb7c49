#include "MyDocument.h"

#include "AppActions.h"
#include "AppController.h"
#include "AppLog.h"
#include "DocumentController.h"
#include "GuardedCall.h"
#include "SmallViews.h"
#include "StoryWindow.h"
#include "TextsReadAhead.h"
#include "board/BoardSplitterView.h"
#include "board/BoardView.h"
#include "board/LitterBoxView.h"
#include "board/SceneCardView.h"
#include "model/Beatdb.h"
#include "model/Characterdb.h"
#include "model/DatabaseError.h"
#include "model/DefaultSettingdb.h"
#include "model/Loglinedb.h"
#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "model/Toolkit.h"
#include "model/UserInformationdb.h"
#include "panes/BeatsTableView.h"
#include "panes/CharacterDetailView.h"
#include "panes/GeneralNotesView.h"
#include "panes/ItemsTableView.h"
#include "panes/LocationDetailView.h"
#include "panes/SetupPayoffTableView.h"
#include "panes/TitleLoglineView.h"
#include "platform/Platform.h"
#include "platform/TypingPause.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SmallSceneCard.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <array>
#include <utility>
#include "AutoTips.h"


namespace {

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void alert(const QString& title, const QString& message)
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    Platform::alerts().runAlert(request);
}

// Sizes of the window layout, in points (device-independent pixels).
constexpr int kLeastWindowWidth = 748;
constexpr int kLeastWindowHeight = 300;
constexpr int kTitleLeastHeight = 70;
constexpr int kBeatsLeastWidth = 200;
// The divider of the Litter Box stands this far from the right edge of the board split view.
constexpr int kLitterBoxWidth = 298;
// The notes board closes when its divider comes this close to the bottom.
constexpr int kNotesClosingDistance = 20;
constexpr int kNotesLeastHeight = 2200;
// The table whose add and delete items show only in a story-elements pane this wide.
constexpr int kBeatsWidthForItemCommands = 300;
// The logline field of the title/logline pane: origin, and what its pane takes off its size.
constexpr int kLoglineLeft = 109;
constexpr int kLoglineBottom = 8;
constexpr int kLoglineWidthTakenInFullView = 174;
constexpr int kLoglineHeightTaken = 49;
constexpr int kLoglineLowHeight = 21;
// The large scene card in the board pane: width 700 to 870, at least 421 high, its bottom
// edge 130 above the pane's bottom (the strip of small cards lies beneath it).
constexpr int kBigCardMaxWidth = 870;
constexpr int kBigCardMinWidth = 700;
constexpr int kBigCardMinHeight = 421;
constexpr int kBigCardBottom = 130;
// The height the card is given room for when the notes board can spare it.
constexpr int kBigCardWantedHeight = 520;
constexpr int kBoardRefreshDelay = 150;
constexpr int kNotesRefreshDelay = 200;

// Window state codes of a story that is laid out for the first time, normal and zoomed,
// and the divider percentages it starts with.
constexpr std::int64_t kNormalWindowState = 101111;
constexpr std::int64_t kZoomedWindowState = 201111;
constexpr std::int64_t kNeverLaidOutZoomed = 2;
constexpr std::int64_t kDefaultLoglineDistance = 13;
constexpr std::int64_t kDefaultBeatsDistance = 35;
constexpr std::int64_t kDefaultNotesDistance = 80;
constexpr std::int64_t kDefaultBoardDistance = 80;

// Positions of the window state code's digits.
enum WindowStateDigit { kZoomDigit = 0, kSpecialViewDigit = 1, kTitleDigit = 2, kBeatsDigit = 3, kLitterBoxDigit = 4,
                        kNotesDigit = 5 };

// The six digits of a window state code; empty for a code of any other form, which the
// layout treats like a story that was never laid out.
QString windowStateDigits(std::int64_t code)
{
    const QString text = QString::number(code);
    if (text.size() != 6 || !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return QString();
    return text;
}

// The code with one digit replaced; a code that is not six digits long stays as it is.
std::int64_t withDigit(std::int64_t code, int index, QChar value)
{
    QString digits = windowStateDigits(code);
    if (digits.isEmpty() || index < 0 || index >= digits.size())
        return code;
    digits[index] = value;
    return digits.toLongLong();
}

// Divider positions are kept as whole percentages of the split view's extent less one. A
// divider is placed at the first whole point that reads back as the same percentage.
int positionForPercentage(std::int64_t percentage, const MainSplitView& splitView)
{
    const std::int64_t scaled = percentage * std::max(0, splitView.extent() - 1);
    return static_cast<int>(scaled >= 0 ? (scaled + 99) / 100 : scaled / 100);
}

std::int64_t percentageOfFirstPane(const MainSplitView& splitView)
{
    const std::int64_t span = splitView.extent() - 1;
    return span > 0 ? std::int64_t{splitView.paneExtent(0)} * 100 / span : 0;
}

// Gives `view` a frame whose y is measured upwards from the bottom edge of its parent.
void placeBottomUp(QWidget* view, const QRect& frame)
{
    const int parentHeight = view->parentWidget() ? view->parentWidget()->height() : frame.height();
    view->setGeometry(flippedFrame(frame, parentHeight));
}

// The frame of the large scene card in a board pane of `pane` size, in top-down coordinates.
QRect bigSceneFrame(const QSize& pane)
{
    int width = std::min(kBigCardMaxWidth, pane.width());
    int left = pane.width() / 2 - width / 2;
    if (width < kBigCardMinWidth) {
        width = kBigCardMinWidth;
        left = 0;
    }
    const int height = std::max(kBigCardMinHeight, pane.height() - kBigCardBottom);
    return flippedFrame(QRect(left, kBigCardBottom, width, height), pane.height());
}


QWidget* makeWindowPane(const QString& name)
{
    auto* pane = new QWidget;
    pane->setObjectName(name);
    // The split views alone decide how large their panes are.
    pane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return pane;
}

QVBoxLayout* fillingLayout(QWidget* pane)
{
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

// Fields of a story that was never laid out, or whose values were never set.
void fillUnsetLayoutFields(Screenplaydb& story)
{
    // A code of any form other than six digits counts as never laid out.
    if (windowStateDigits(story.windowState()).isEmpty()) {
        story.setWindowState(story.windowState() == kNeverLaidOutZoomed ? kZoomedWindowState : kNormalWindowState);
        story.setLogLineSplitterDistance(kDefaultLoglineDistance);
        story.setBeatsSplitterDistance(kDefaultBeatsDistance);
        story.setGeneralNotesSplitterDistance(kDefaultNotesDistance);
        story.setBoardSplitterDistance(kDefaultBoardDistance);
    }
    if (story.boardListSortMethod() == 0)
        story.setBoardListSortMethod(1);
    if (story.boardZoomFactor() == 0)
        story.setBoardZoomFactor(1);
    sortRecords(story.characters(), &Characterdb::sortCharactersByName);
    sortRecords(story.sceneLocations(), &SceneLocationdb::sortLocationsByName);
    story.sortSetupsAndPayoffsByCard();

    // The board's presentation: the large scene card only while its card is still on the board.
    if (story.boardView() == 0)
        story.setBoardView(1);
    if (story.sceneCards().empty()) {
        story.setBigSceneView(0);
        story.setBigSceneSceneCardID(0);
        story.setBoardView(1);
    }
    if (story.bigSceneView() != 1 || story.indexOfSceneCardWithID(story.bigSceneSceneCardID()) < 0) {
        story.setBigSceneView(0);
        story.setBigSceneSceneCardID(0);
    }
}

std::array<QAction*, 4> fontSizeItems(const AppActions& menus)
{
    return {menus.mnuMFSNormal, menus.mnuMFSLarger, menus.mnuMFSEvenBigger, menus.mnuMFSAsBigAsItGets};
}

// Checks the items of the story's font setting and board zoom, and only those: the items are
// shared by every window, and another story's marks would be wrong here.
void setLayoutCheckMarks(const Screenplaydb& story, const AppActions& menus)
{
    const std::array<QAction*, 4> zoomItems{menus.mnuBZNormal, menus.mnuBZLarger, menus.mnuBZEvenBigger,
                                            menus.mnuBZAsBigAsItGets};
    for (std::size_t at = 0; at < 4; ++at) {
        fontSizeItems(menus)[at]->setChecked(story.standardFontSetting() == static_cast<std::int64_t>(at + 1));
        zoomItems[at]->setChecked(story.boardZoomFactor() == static_cast<std::int64_t>(at + 1));
    }
}

// Each report option item shows its own flag of the story.
void setReportOptionCheckMarks(const Screenplaydb& story, const AppActions& menus)
{
    menus.mnuRA3x5IncludeNotes->setChecked(story.a3x5IncludeNotes() != 0);
    menus.mnuRA3x5IncludeCharacters->setChecked(story.a3x5IncludeCharacters() != 0);
    menus.mnuR3x5IncludeNotes->setChecked(story.r3x5IncludeNotes() != 0);
    menus.mnuR3x5IncludeCharacters->setChecked(story.r3x5IncludeCharacters() != 0);
    menus.mnuR4x6IncludeNotes->setChecked(story.r4x6IncludeNotes() != 0);
    menus.mnuR4x6IncludeCharacters->setChecked(story.r4x6IncludeCharacters() != 0);
    menus.mnuRBCIncludeNotes->setChecked(story.aBCIncludeNotes() != 0);
    menus.mnuRBCIncludeCharacters->setChecked(story.aBCIncludeCharacters() != 0);
}

// Ends the document's layout state however the rebuild ends.
class FlagScope
{
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

} // namespace

int senderTag(QObject* sender)
{
    if (auto* action = qobject_cast<QAction*>(sender))
        return action->data().toInt();
    return sender ? sender->property("tag").toInt() : 0;
}

QScrollArea* addPaneScrollView(const QString& name, QWidget* pane, const QColor& background)
{
    auto* scrollView = new QScrollArea;
    scrollView->setObjectName(name);
    scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = scrollView->palette();
    palette.setColor(QPalette::Window, background);
    scrollView->setPalette(palette);
    scrollView->setBackgroundRole(QPalette::Window);
    pane->layout()->addWidget(scrollView);
    // It takes its frame at once, not when the pane next lays itself out.
    pane->layout()->activate();
    scrollView->show();
    return scrollView;
}

void connectLayoutCommands(AppController& application)
{
    AppActions& menus = application.actions();
    for (QAction* item : {menus.mnuToggleTitle, menus.mnuToggleBeats, menus.mnuToggleLitterBox,
                          menus.mnuToggleGeneralNotes})
        application.routeToCurrentDocument(item, [item](MyDocument& document) { document.toggleSection(item); });
    for (QAction* item : {menus.mnuFullTitleView, menus.mnuFullBeatsView, menus.mnuFullBoardView,
                          menus.mnuFullNotesView, menus.mnuRestoreView})
        application.routeToCurrentDocument(item, [item](MyDocument& document) { document.fullSectionView(item); });
    // The restore item shows only while one section fills the window.
    menus.mnuRestoreView->setVisible(false);
    int tag = 1;
    for (QAction* item : fontSizeItems(menus)) {
        item->setData(tag++);
        application.routeToCurrentDocument(item, [item](MyDocument& document) {
            // Choosing an item toggles its check mark; the document alone decides it.
            item->setChecked(!item->isChecked());
            document.setMainFontSize(item);
        });
    }
    tag = 2;
    for (QAction* item : {menus.mnuPPNSIncreaseWidth, menus.mnuPPNSDecreaseWidth, menus.mnuPPNSIncreaseHeight,
                          menus.mnuPPNSDecreaseHeight}) {
        item->setData(tag++);
        application.routeToCurrentDocument(item,
                                           [item](MyDocument& document) { document.modifyGeneralNotesSize(item); });
    }
    connectPaneCommands(application);
    connectBoardCommands(application);
    connectReportCommands(application);
    connectInterchangeCommands(application);
    connectPhoneQueueCommands(application);
    connectCloudCommands(application);
}

MyDocument::MyDocument(AppController& application, QObject* parent)
    : QObject(parent)
    , application_(application)
    , standardBackgroundColor_(QColor::fromRgb(205, 133, 63))
    , boardRefreshTimer_(new QTimer(this))
    , notesRefreshTimer_(new QTimer(this))
{
    boardRefreshTimer_->setSingleShot(true);
    boardRefreshTimer_->setInterval(kBoardRefreshDelay);
    connect(boardRefreshTimer_, &QTimer::timeout, this, [this] { guardedCall([this] { refreshTheBoard(); }); });
    notesRefreshTimer_->setSingleShot(true);
    notesRefreshTimer_->setInterval(kNotesRefreshDelay);
    connect(notesRefreshTimer_, &QTimer::timeout, this,
            [this] { guardedCall([this] { refreshGeneralNotesView(); }); });
}

MyDocument::~MyDocument()
{
    boardRefreshTimer_->stop();
    notesRefreshTimer_->stop();
    for (MainSplitView* splitView : {splTitle_.data(), splNotes_.data(), splBeats_.data(), splBoard_.data()})
        if (splitView)
            splitView->setDelegate(nullptr);
    titleLoglineView_.reset();
    beatsTableView_.reset();
    charactersTableView_.reset();
    locationsTableView_.reset();
    characterDetailView_.reset();
    locationDetailView_.reset();
    generalNotesBoard_.reset();
    // A small card's pop-up lies on the board pane: the card takes it away before the window
    // takes the pane.
    removeMiniSceneCards();
    if (window_)
        delete window_.data();
    // Normally closed by windowWillClose already.
    if (currentScreenplay_)
        currentScreenplay_->finalizeAllSqliteStatements();
}

void MyDocument::initWithType()
{
    startingBrandNewFile_ = true;
}

bool MyDocument::readFromURL(const QString& path, QString* error)
{
    if (QFileInfo(path).suffix().toLower() != QLatin1String(StoryFile::kExtension)) {
        if (error)
            *error = QStringLiteral("\"%1\" is not a Vantora story file.").arg(QFileInfo(path).fileName());
        return false;
    }
    try {
        setThisFileName(path);
    } catch (const DatabaseError& failure) {
        currentScreenplay_.reset();
        connection_ = DatabaseConnection();
        thisFileName_.clear();
        if (error)
            *error = StoryFile::refusalMessage(path, failure);
        return false;
    }
    return currentScreenplay_ != nullptr;
}

void MyDocument::setThisFileName(const QString& path)
{
    if (path.isEmpty())
        closeDatabaseReporting();
    thisFileName_ = path;
    if (path.isEmpty())
        return;
    const bool onlyTheFile = changingFileNameOnly_;
    changingFileNameOnly_ = false;
    if (onlyTheFile) {
        connection_ = StoryFile::openStory(path);
        return;
    }
    // The texts of the list the story opens on are read from its file while the file is checked,
    // and no more once it is: a write to the file waits for no reader.
    listReadAhead_ = readListAheadFromFile(path);
    LoadedStory loaded = loadStoryFile(path, application_.newStoryDefaults(), [this] {
        listReadAheadSection_ = listReadAhead_->finishSource().value_or(-1);
    });
    currentScreenplay_ = std::move(loaded.story);
    connection_ = std::move(loaded.connection);
}

void MyDocument::closeDatabaseReporting()
{
    if (currentScreenplay_)
        currentScreenplay_->finalizeAllSqliteStatements();
    // A failed close raises and keeps the connection usable, so nothing is lost.
    connection_.close();
    // The story never keeps a handle that is closed: a write now fails plainly.
    if (currentScreenplay_)
        currentScreenplay_->setDatabase(nullptr);
}

bool MyDocument::reopenDatabase()
{
    try {
        connection_ = StoryFile::openStory(thisFileName_);
    } catch (const DatabaseError& failure) {
        // Without its file the story could keep no edit: the window closes rather than show
        // text that would be lost.
        alert(QFileInfo(thisFileName_).completeBaseName(),
              QStringLiteral("%1\n\nThe story's window closes; nothing more can be written to it.")
                  .arg(StoryFile::refusalMessage(thisFileName_, failure)));
        QTimer::singleShot(0, this, [window = window_] {
            if (window)
                window->close();
        });
        return false;
    }
    if (currentScreenplay_)
        currentScreenplay_->setDatabase(connection_.get());
    return true;
}

// --- The window --------------------------------------------------------------------------------

void MyDocument::makeWindowControllers()
{
    buildWindow();
    windowControllerDidLoadNib();
}

void MyDocument::buildWindow()
{
    auto* window = new StoryWindow(*this);
    window_ = window;
    window->setObjectName(QStringLiteral("MyDocument"));
    application_.actions().buildStoryMenuBar(window->menuBar());

    // splTitle: the title/logline pane above the rest; splNotes: the rest above the general
    // notes; splBeats: the story elements beside the board side; splBoard: the board beside
    // the Litter Box.
    auto makeSplitView = [](Qt::Orientation orientation, const QString& name) {
        auto* splitView = new MainSplitView(orientation);
        splitView->setObjectName(name);
        splitView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        return splitView;
    };
    splTitle_ = makeSplitView(Qt::Vertical, QStringLiteral("splTitle"));
    splNotes_ = makeSplitView(Qt::Vertical, QStringLiteral("splNotes"));
    splBeats_ = makeSplitView(Qt::Horizontal, QStringLiteral("splBeats"));
    splBoard_ = makeSplitView(Qt::Horizontal, QStringLiteral("splBoard"));

    // The title/logline pane's view is placed by frame, not by a layout.
    titlePane_ = makeWindowPane(QStringLiteral("titlePane"));
    titlePane_->installEventFilter(this);

    beatsPane_ = makeWindowPane(QStringLiteral("beatsPane"));
    QVBoxLayout* beatsLayout = fillingLayout(beatsPane_);
    auto* options = new QWidget;
    options->setObjectName(QStringLiteral("beatSectionOptions"));
    // The labels go on in a second row (and a third) when the pane is too narrow for all of them
    // in one at the font size chosen: each is always whole.
    auto* optionRow = new WrappingRowLayout(options);
    auto addOption = [optionRow](const QString& text, const QString& name) {
        auto* label = new QLabel(text);
        label->setObjectName(name);
        optionRow->addWidget(label);
        return label;
    };
    optSelectBeats_ = addOption(tr("Beats"), QStringLiteral("optSelectBeats"));
    optSelectCharacters_ = addOption(tr("Characters"), QStringLiteral("optSelectCharacters"));
    optSelectLocations_ = addOption(tr("Locations"), QStringLiteral("optSelectLocations"));
    optSelectSetups_ = addOption(tr("Set-Ups"), QStringLiteral("optSelectSetups"));
    optSelectPayoffs_ = addOption(tr("Pay-Offs"), QStringLiteral("optSelectPayoffs"));
    beatsLayout->addWidget(options);
    beatSectionArea_ = new QWidget;
    beatSectionArea_->setObjectName(QStringLiteral("beatSectionArea"));
    fillingLayout(beatSectionArea_);
    beatsLayout->addWidget(beatSectionArea_, 1);

    auto* boardPane = new BoardSplitterView;
    boardPane->setMyParent(this);
    boardPane->setObjectName(QStringLiteral("boardPane"));
    boardPane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    boardPane_ = boardPane;
    fillingLayout(boardPane_);

    QWidget* litterBoxPane = makeWindowPane(QStringLiteral("litterBoxPane"));
    QVBoxLayout* litterBoxLayout = fillingLayout(litterBoxPane);
    lblLitterBox_ = new QLabel(tr("Litter Box"));
    lblLitterBox_->setObjectName(QStringLiteral("lblLitterBox"));
    lblLitterBox_->setAlignment(Qt::AlignCenter);
    scrLitterBox_ = new QScrollArea;
    scrLitterBox_->setObjectName(QStringLiteral("scrLitterBox"));
    litterBoxLayout->addWidget(lblLitterBox_);
    litterBoxLayout->addWidget(scrLitterBox_, 1);

    notesPane_ = makeWindowPane(QStringLiteral("notesPane"));
    fillingLayout(notesPane_);

    splBoard_->addWidget(boardPane_);
    splBoard_->addWidget(litterBoxPane);
    // The Litter Box column keeps its width as the board split view changes size.
    splBoard_->setStretchFactor(0, 1);
    splBoard_->setStretchFactor(1, 0);
    splBeats_->addWidget(beatsPane_);
    splBeats_->addWidget(splBoard_);
    splNotes_->addWidget(splBeats_);
    splNotes_->addWidget(notesPane_);
    splTitle_->addWidget(titlePane_);
    splTitle_->addWidget(splNotes_);
    window->setCentralWidget(splTitle_);
    for (MainSplitView* splitView : {splTitle_.data(), splNotes_.data(), splBeats_.data(), splBoard_.data()})
        splitView->setDelegate(this);
    connectToolbar();

    window->setWindowTitle(thisFileName_.isEmpty() ? tr("Untitled") : QFileInfo(thisFileName_).completeBaseName());
    window->setWindowFilePath(thisFileName_);
    window->resize(1024, 768);
}

std::vector<QWidget*> MyDocument::keyboardSections() const
{
    QWidget* litterBoxPane = scrLitterBox_ ? scrLitterBox_->parentWidget() : nullptr;
    std::vector<QWidget*> sections;
    for (QWidget* pane : {titlePane_.data(), beatsPane_.data(), boardPane_.data(), litterBoxPane, notesPane_.data()})
        if (pane)
            sections.push_back(pane);
    return sections;
}

void MyDocument::connectToolbar()
{
    StoryWindow* window = window_;
    for (QAction* button : {window->tbToggleTitleLogline(), window->tbToggleBeats(), window->tbToggleLitterBox(),
                            window->tbToggleNotes()})
        connect(button, &QAction::triggered, this,
                [this, button] { guardedCall([this, button] { toggleSection(button); }); });
    for (QAction* button : {window->tbFullTitleView(), window->tbFullBeatsView(), window->tbFullBoardView(),
                            window->tbFullNotesView(), window->tbRestoreView()})
        connect(button, &QAction::triggered, this,
                [this, button] { guardedCall([this, button] { fullSectionView(button); }); });
    connectPaneControls();
    connectBoardControls();
}

void MyDocument::windowControllerDidLoadNib()
{
    standardBackgroundColor_ = QColor::fromRgb(205, 133, 63);
    if (startingBrandNewFile_)
        QTimer::singleShot(0, this, [this] { guardedCall([this] { getFileNameForNewFile(); }); });
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, standardBackgroundColor_);
    window_->setPalette(palette);
    window_->setAutoFillBackground(true);
    window_->show();
    if (!currentScreenplay_)
        return;
    layoutWindowForScreenplay();
    takeKeyboardAtTitle();
    const DefaultSettingdb* autoTips =
        application_.userInformation() ? application_.userInformation()->defaultSettingForSetting(QStringLiteral("AUTOTIPS"))
                                       : nullptr;
    if (autoTips && autoTips->value() == QLatin1String("Y")) {
        autoTipTimer_ = new QTimer(this);
        autoTipTimer_->setSingleShot(true);
        connect(autoTipTimer_, &QTimer::timeout, this, [this] { guardedCall([this] { showAutoTip(); }); });
        autoTipTimer_->start(1000);
    }
}

// --- Window layout -----------------------------------------------------------------------------

bool MyDocument::storyIsOpen() const
{
    return currentScreenplay_ && connection_;
}

void MyDocument::layoutWindowForScreenplay()
{
    if (!currentScreenplay_ || !window_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    FlagScope loading(isLoading_);
    windowLaidOut_ = true;
    // Nothing of the rebuild is drawn before it is finished; the panes keep their sizes, so the
    // dividers can be placed in them.
    splTitle_->setUpdatesEnabled(false);
    struct Redraw {
        QPointer<MainSplitView> view;
        ~Redraw()
        {
            if (view)
                view->setUpdatesEnabled(true);
        }
    } redraw{splTitle_};

    tearDownPanes();

    fillUnsetLayoutFields(story);
    addMissingSceneCardControls();
    setupFonts();

    const QString digits = windowStateDigits(story.windowState());
    titleIsHidden_ = true;
    beatsIsHidden_ = true;
    notesIsHidden_ = true;
    litterBoxIsHidden_ = true;

    // The window's size.
    if (digits.at(kZoomDigit) == QLatin1Char('2')) {
        zoomWindow();
    } else {
        const int width = std::max(StoredRange::toInt(story.parentWindowWidth()), kLeastWindowWidth);
        const int height = std::max(StoredRange::toInt(story.parentWindowHeight()), kLeastWindowHeight);
        story.setParentWindowWidth(width);
        story.setParentWindowHeight(height);
        if (window_->isMaximized())
            window_->showNormal();
        // The top-left corner stays where it is.
        window_->resize(width, height);
    }

    const int specialView = digits.at(kSpecialViewDigit).digitValue();
    bool boardShown = true;
    if (specialView == 0) {
        layoutNormalView(digits);
    } else {
        layoutFullSectionView(specialView);
        boardShown = specialView == 3;
    }
    boardShown_ = boardShown;
    // The section toggles hide only with the board.
    viewMenusHidden_ = !boardShown;
    setMenusForWindow();

    if (boardShown) {
        if (scrBoard_)
            scrBoard_->hide();
        showBoardPresentation();
    }
    // The window settles the sizes that the shown and hidden menus, buttons and panes ask for
    // while the layout still holds, so they are not taken for the user's changes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // A new story's window records its layout from now on like any other.
    startingBrandNewFile_ = false;
}

void MyDocument::tearDownPanes()
{
    titleLoglineView_.reset();
    if (boardView_)
        shutDownTheBoard();
    if (boardListViewView_)
        shutDownTheBoardListView();
    bigSceneView_.reset();
    // The layout places every divider anew.
    bigSceneRoom_.reset();
    removeMiniSceneCards();
    generalNotesBoard_.reset();
    delete scrNotes_;
    // The column gives the document's card views back before it goes.
    litterBoxView_.reset();
    delete scrLitterBox_->takeWidget();
    releaseBeatSectionList();
}

void MyDocument::zoomWindow()
{
    if (window_->isMaximized())
        return;
    // The platform may apply the zoom later; the window takes the zoomed size at once so that
    // the dividers are placed in it.
    if (const QScreen* screen = window_->screen()) {
        const QMargins frame = window_->windowHandle() ? window_->windowHandle()->frameMargins() : QMargins();
        FlagScope sizing(sizingWindow_);
        window_->setGeometry(screen->availableGeometry().marginsRemoved(frame));
    }
    window_->showMaximized();
}

void MyDocument::layoutNormalView(const QString& digits)
{
    Screenplaydb& story = *currentScreenplay_;
    specialViewConfigured_ = false;
    whichSpecialView_ = 0;

    if (digits.at(kTitleDigit) == QLatin1Char('0')) {
        splTitle_->setPosition(0);
    } else if (digits.at(kTitleDigit) == QLatin1Char('1')) {
        splTitle_->setPosition(positionForPercentage(story.logLineSplitterDistance(), *splTitle_));
        layoutTitleLogline(false);
    }

    if (digits.at(kNotesDigit) == QLatin1Char('0')) {
        splNotes_->setPosition(splNotes_->extent() - 1);
    } else if (digits.at(kNotesDigit) == QLatin1Char('1')) {
        splNotes_->setPosition(positionForPercentage(story.generalNotesSplitterDistance(), *splNotes_));
        layoutGeneralNotes();
        notesIsHidden_ = false;
    }

    if (digits.at(kBeatsDigit) == QLatin1Char('0')) {
        splBeats_->setPosition(0);
    } else if (digits.at(kBeatsDigit) == QLatin1Char('1')) {
        splBeats_->setPosition(positionForPercentage(story.beatsSplitterDistance(), *splBeats_));
        setBeatSection(story.beatSectionShowing());
        beatsIsHidden_ = false;
    }

    if (digits.at(kLitterBoxDigit) == QLatin1Char('0')) {
        splBoard_->setPosition(splBoard_->extent());
    } else if (digits.at(kLitterBoxDigit) == QLatin1Char('1')) {
        splBoard_->setPosition(splBoard_->extent() - kLitterBoxWidth);
        layoutLitterBox();
    }
}

void MyDocument::layoutFullSectionView(int view)
{
    switch (view) {
    case 1:
        splTitle_->setPosition(splTitle_->extent() - 1);
        layoutTitleLogline(true);
        break;
    case 2:
        splTitle_->setPosition(0);
        splNotes_->setPosition(splNotes_->extent() - 1);
        splBeats_->setPosition(splBeats_->extent() - 1);
        setBeatSection(currentScreenplay_->beatSectionShowing());
        beatsIsHidden_ = false;
        break;
    case 3:
        splTitle_->setPosition(0);
        splBeats_->setPosition(0);
        splBoard_->setPosition(splBoard_->extent() - 1);
        splNotes_->setPosition(splNotes_->extent() - 1);
        break;
    case 4:
        splTitle_->setPosition(0);
        splNotes_->setPosition(0);
        layoutGeneralNotes();
        notesIsHidden_ = false;
        break;
    default:
        // No section of that number: nothing is shown.
        return;
    }
    specialViewConfigured_ = true;
    whichSpecialView_ = view;
}

// The title/logline pane: at least 70 points high in the normal view, filling the window in
// the full-section view.
void MyDocument::layoutTitleLogline(bool fullView)
{
    titleLoglineView_ = std::make_unique<TitleLoglineView>(this, currentScreenplay_.get());
    QWidget* view = titleLoglineView_->view();
    view->setParent(titlePane_);
    const QSize pane = splTitle_->paneSize(0);
    const bool low = pane.height() < kTitleLeastHeight;
    if (low && !fullView)
        splTitle_->setPosition(kTitleLeastHeight);
    placeBottomUp(view, low ? QRect(0, pane.height() - kTitleLeastHeight, pane.width(), kTitleLeastHeight)
                            : QRect(0, 0, pane.width(), pane.height()));
    if (fullView) {
        const int fieldHeight = low ? kLoglineLowHeight : pane.height() - kLoglineHeightTaken;
        placeBottomUp(titleLoglineView_->tfLogline(), QRect(kLoglineLeft, kLoglineBottom,
                                                            pane.width() - kLoglineWidthTakenInFullView, fieldHeight));
    }
    view->show();
    titleLoglineView_->refreshView();
    // A refreshed pane fits itself into its pane by the 70-point rule.
    fitTitleLoglinePane();
    titleIsHidden_ = false;
}

void MyDocument::showBoardPresentation()
{
    Screenplaydb& story = *currentScreenplay_;
    if (story.bigSceneView() == 1) {
        openBigSceneCard(story.sceneCardForSceneCardID(story.bigSceneSceneCardID()), 1);
    } else if (story.boardView() == 2) {
        showBoardListView();
    } else if (story.boardView() == 1) {
        showTheBoard();
        if (story.sceneCards().empty())
            offerInitialBeatCardsOverDrawnWindow();
    }
}

// Fits the title/logline pane's view into its pane: at least 70 points high, with the
// logline field below the title.
void MyDocument::fitTitleLoglinePane()
{
    if (titleLoglineView_)
        titleLoglineView_->fitIntoPane(true);
}

bool MyDocument::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && window_ && watched == window_->windowHandle()) {
        watched->removeEventFilter(this);
        offerInitialBeatCardsOverDrawnWindow();
    }
    // The pane's view follows its pane as the pane changes size.
    if (watched == titlePane_ && event->type() == QEvent::Resize && titleLoglineView_)
        guardedCall([this] { fitTitleLoglinePane(); });
    return QObject::eventFilter(watched, event);
}

void MyDocument::setWindowStateDigit(int index, QChar value)
{
    currentScreenplay_->setWindowState(withDigit(currentScreenplay_->windowState(), index, value));
}

void MyDocument::windowDidResize()
{
    if (!storyIsOpen() || !window_ || !windowLaidOut_ || sizingWindow_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    const bool zoomed = window_->isMaximized();
    setWindowStateDigit(kZoomDigit, zoomed ? QLatin1Char('2') : QLatin1Char('1'));
    // The size of the window without the platform's frame, as the layout sets it.
    if (!zoomed) {
        story.setParentWindowWidth(window_->width());
        story.setParentWindowHeight(window_->height());
    }
    fitTitleLoglinePane();
    story.save();
}

// --- Split views -------------------------------------------------------------------------------

double MyDocument::splitViewConstrainMinCoordinate(MainSplitView& splitView, double proposed, int)
{
    if (isLoading_ || skipIt_)
        return proposed;
    if (&splitView == splTitle_) {
        if (whichSpecialView_ == 1)
            return splitView.paneExtent(0) - 1;
        if (whichSpecialView_ == 4 || titleIsHidden_)
            return 0;
        return kTitleLeastHeight;
    }
    if (&splitView == splBeats_) {
        if (whichSpecialView_ == 2)
            return splitView.paneExtent(0) - 1;
        return beatsIsHidden_ ? 0 : kBeatsLeastWidth;
    }
    if (&splitView == splNotes_) {
        if (whichSpecialView_ == 2 || whichSpecialView_ == 3)
            return splitView.extent() - 1;
        if (whichSpecialView_ == 4)
            return 0;
        return notesIsHidden_ ? splitView.extent() - 1 : proposed;
    }
    if (&splitView == splBoard_) {
        if (whichSpecialView_ != 3 && !litterBoxIsHidden_)
            return splitView.extent() - kLitterBoxWidth;
        return splitView.extent() - 1;
    }
    return proposed;
}

double MyDocument::splitViewConstrainMaxCoordinate(MainSplitView& splitView, double proposed, int dividerIndex)
{
    if (isLoading_ || skipIt_)
        return proposed;
    // Where a section may not be resized, the least and the greatest position are the same.
    if (&splitView == splTitle_ && whichSpecialView_ != 1 && whichSpecialView_ != 4 && !titleIsHidden_)
        return proposed;
    if (&splitView == splBeats_ && whichSpecialView_ != 2 && !beatsIsHidden_)
        return proposed;
    return splitViewConstrainMinCoordinate(splitView, proposed, dividerIndex);
}

void MyDocument::splitViewWillResizeSubviews(MainSplitView& splitView)
{
    if (!windowLaidOut_)
        return;
    qCDebug(lcApp, "will resize");
    fitDetailPanel(splitView);
    if (titleLoglineView_ && &splitView == splTitle_ && !titleIsHidden_)
        fitTitleLoglinePane();
    // The beat sheet's row heights follow the pane's width; a beat being written stays open.
    if (beatsTableView_)
        beatsTableView_->refreshTexts();
}

void MyDocument::splitViewDidResizeSubviews(MainSplitView& splitView)
{
    // The story-elements list follows its pane's width whoever changed it, the program's own moves
    // included: fitting rows writes nothing.
    if (&splitView == splBeats_)
        fitItemTableToPane();
    if (skipIt_ || startingBrandNewFile_ || !windowLaidOut_ || !storyIsOpen())
        return;
    qCDebug(lcApp, "did resize splitview");
    Screenplaydb& story = *currentScreenplay_;

    // The corkboard grows with its pane and never shrinks here.
    if (story.boardView() == 1 && scrBoard_) {
        const QSize content = scrBoard_->viewport()->size();
        if (content.width() > story.boardWidth() || content.height() > story.boardHeight()) {
            story.setBoardSize(std::max<std::int64_t>(content.width(), story.boardWidth()),
                               std::max<std::int64_t>(content.height(), story.boardHeight()));
            story.save();
            boardRefreshTimer_->start();
        }
    }
    if (scrNotes_) {
        const QSize content = scrNotes_->viewport()->size();
        if (content.width() > story.generalNotesWidth() || content.height() > story.generalNotesHeight())
            notesRefreshTimer_->start();
    }
    if (splBoard_->paneExtent(1) > kLitterBoxWidth)
        splBoard_->setPosition(splBoard_->extent() - kLitterBoxWidth);
    if (story.bigSceneView() == 1 && bigSceneView_)
        placeBigSceneView();

    // Dividers moved to make room for the large card are not the user's layout.
    if (isLoading_ || specialViewConfigured_ || bigSceneRoom_)
        return;
    if (!titleIsHidden_)
        story.setLogLineSplitterDistance(percentageOfFirstPane(*splTitle_));
    if (!beatsIsHidden_)
        story.setBeatsSplitterDistance(percentageOfFirstPane(*splBeats_));
    story.setBoardSplitterDistance(percentageOfFirstPane(*splBoard_));
    if (!notesIsHidden_)
        story.setGeneralNotesSplitterDistance(percentageOfFirstPane(*splNotes_));
    // Only a notes board that shows can be dragged closed or open: a collapsed one stays at the
    // bottom and keeps the divider position it had when it was shown.
    if (&splitView == splNotes_ && !notesIsHidden_) {
        const int height = splNotes_->extent();
        if (splNotes_->paneExtent(0) >= height - kNotesClosingDistance) {
            {
                FlagScope moving(skipIt_);
                splNotes_->setPosition(height - 1);
            }
            if (height > 1)
                story.setGeneralNotesSplitterDistance(std::int64_t{splNotes_->paneExtent(0) - kNotesClosingDistance} *
                                                      100 / (height - 1));
            setWindowStateDigit(kNotesDigit, QLatin1Char('0'));
            story.save();
            generalNotesIsHidden(true);
        } else {
            setWindowStateDigit(kNotesDigit, QLatin1Char('1'));
            story.save();
            generalNotesIsHidden(false);
        }
    }
    story.save();
}

void MyDocument::placeBigSceneView()
{
    if (!bigSceneRoom_)
        makeRoomForBigSceneCard();
    // The card gives its fields the height they need and its tabs the rest itself.
    bigSceneView_->view()->setGeometry(bigSceneFrame(boardPane_->size()));
}

void MyDocument::makeRoomForBigSceneCard()
{
    if (!boardPane_ || !splTitle_ || !splNotes_ || !splBeats_ || !splBoard_)
        return;
    // The moves are the program's, not the user's: no limits, nothing stored.
    FlagScope moving(skipIt_);
    const BigSceneRoom room{splBeats_->paneExtent(0), splBoard_->paneExtent(1), splTitle_->paneExtent(0),
                            splNotes_->paneExtent(1)};
    bigSceneRoom_ = room;
    const auto setLitterBoxExtent = [this](int extent) {
        splBoard_->setPosition(splBoard_->extent() - splBoard_->handleWidth() - extent);
    };

    // Width: first what the story elements have beyond their least width, then the Litter Box,
    // then the rest of the story elements.
    int missing = kBigCardMinWidth - boardPane_->width();
    if (missing > 0) {
        const int given = std::min(missing, std::max(0, room.storyElements - kBeatsLeastWidth));
        splBeats_->setPosition(room.storyElements - given);
        setLitterBoxExtent(room.litterBox);
        missing = kBigCardMinWidth - boardPane_->width();
    }
    if (missing > 0) {
        setLitterBoxExtent(0);
        missing = kBigCardMinWidth - boardPane_->width();
    }
    if (missing > 0)
        splBeats_->setPosition(std::max(0, splBeats_->paneExtent(0) - missing));

    // Height: the notes board gives what the card wants (all of it when little would be left);
    // the title pane gives only what the card needs, down to its least height, then the rest.
    missing = kBigCardWantedHeight + kBigCardBottom - boardPane_->height();
    if (missing > 0) {
        int given = std::min(missing, room.notes);
        if (room.notes - given < kNotesClosingDistance)
            given = room.notes + splNotes_->handleWidth();
        splNotes_->setPosition(splNotes_->paneExtent(0) + given);
    }
    missing = kBigCardMinHeight + kBigCardBottom - boardPane_->height();
    if (missing > 0) {
        splTitle_->setPosition(room.title - std::min(missing, std::max(0, room.title - kTitleLeastHeight)));
        missing = kBigCardMinHeight + kBigCardBottom - boardPane_->height();
    }
    if (missing > 0)
        splTitle_->setPosition(std::max(0, splTitle_->paneExtent(0) - missing));
}

void MyDocument::giveBackBigSceneRoom()
{
    if (!bigSceneRoom_)
        return;
    const BigSceneRoom room = *std::exchange(bigSceneRoom_, std::nullopt);
    if (!splTitle_ || !splNotes_ || !splBeats_ || !splBoard_)
        return;
    FlagScope moving(skipIt_);
    splTitle_->setPosition(room.title);
    splNotes_->setPosition(splNotes_->extent() - splNotes_->handleWidth() - room.notes);
    splBeats_->setPosition(room.storyElements);
    splBoard_->setPosition(splBoard_->extent() - splBoard_->handleWidth() - room.litterBox);
}

// --- Sections ----------------------------------------------------------------------------------

void MyDocument::toggleSection(QObject* sender)
{
    if (!storyIsOpen() || !window_)
        return;
    commitEditing();
    AppActions& menus = application_.actions();
    int digit = -1;
    bool hidden = false;
    if (sender == menus.mnuToggleTitle || sender == window_->tbToggleTitleLogline()) {
        digit = kTitleDigit;
        hidden = titleIsHidden_;
    } else if (sender == menus.mnuToggleBeats || sender == window_->tbToggleBeats()) {
        digit = kBeatsDigit;
        hidden = beatsIsHidden_;
    } else if (sender == menus.mnuToggleLitterBox || sender == window_->tbToggleLitterBox()) {
        digit = kLitterBoxDigit;
        hidden = litterBoxIsHidden_;
    } else if (sender == menus.mnuToggleGeneralNotes || sender == window_->tbToggleNotes()) {
        digit = kNotesDigit;
        hidden = notesIsHidden_;
    }
    if (digit < 0)
        return;
    setWindowStateDigit(digit, hidden ? QLatin1Char('1') : QLatin1Char('0'));
    currentScreenplay_->save();
    layoutWindowForScreenplay();
}

void MyDocument::fullSectionView(QObject* sender)
{
    if (!storyIsOpen() || !window_)
        return;
    commitEditing();
    AppActions& menus = application_.actions();
    const std::array<std::pair<QObject*, QObject*>, 5> commands{{
        {menus.mnuRestoreView, window_->tbRestoreView()},
        {menus.mnuFullTitleView, window_->tbFullTitleView()},
        {menus.mnuFullBeatsView, window_->tbFullBeatsView()},
        {menus.mnuFullBoardView, window_->tbFullBoardView()},
        {menus.mnuFullNotesView, window_->tbFullNotesView()},
    }};
    const auto found = std::find_if(commands.begin(), commands.end(), [sender](const auto& command) {
        return sender == command.first || sender == command.second;
    });
    if (found == commands.end())
        return;
    const int view = static_cast<int>(found - commands.begin());
    setWindowStateDigit(kSpecialViewDigit, QChar(QLatin1Char('0' + view)));
    currentScreenplay_->save();
    layoutWindowForScreenplay();
    specialViewConfigured_ = view != 0;
    setViewMenusHidden(view != 0);
    menus.mnuRestoreView->setVisible(view != 0);
    window_->tbRestoreView()->setVisible(view != 0);
    whichSpecialView_ = view;
}

void MyDocument::setMenusForWindow()
{
    if (!currentScreenplay_ || !window_ || !windowLaidOut_)
        return;
    const Screenplaydb& story = *currentScreenplay_;
    AppActions& menus = application_.actions();
    setLayoutCheckMarks(story, menus);
    setReportOptionCheckMarks(story, menus);
    const QString digits = windowStateDigits(story.windowState());
    const bool oneSection = !digits.isEmpty() && digits.at(kSpecialViewDigit) != QLatin1Char('0');
    menus.mnuRestoreView->setVisible(oneSection);
    window_->tbRestoreView()->setVisible(oneSection);
    titleLoglineIsHidden(titleIsHidden_);
    generalNotesIsHidden(notesIsHidden_);
    beatsSectionIsHidden(beatsIsHidden_);
    menus.mnuToggleLitterBox->setText(litterBoxIsHidden_ ? tr("Show Litter Box") : tr("Hide Litter Box"));
    boardIsHidden(!boardShown_);
    setViewMenusHidden(viewMenusHidden_);
}

void MyDocument::windowDidBecomeMain()
{
    // A layout in progress sets the items itself when it ends.
    if (!isLoading_)
        setMenusForWindow();
}

void MyDocument::titleLoglineIsHidden(bool flag)
{
    AppActions& menus = application_.actions();
    titleIsHidden_ = flag;
    if (window_)
        window_->tbLogline()->setVisible(!flag);
    menus.mnuSLoglineNew->setVisible(!flag);
    menus.mnuSLoglineFromTemplate->setVisible(!flag);
    menus.mnuToggleTitle->setText(flag ? tr("Show Title/Logline") : tr("Hide Title/Logline"));
}

void MyDocument::beatsSectionIsHidden(bool flag)
{
    AppActions& menus = application_.actions();
    beatsIsHidden_ = flag;
    // Only the commands of the table this window shows: the items are shared with every window.
    for (QAction* item : menus.itemCommands())
        item->setVisible(false);
    if (flag) {
        menus.mnuToggleBeats->setText(tr("Show Beats"));
        if (window_) {
            window_->tbAddItem()->setVisible(false);
            window_->tbDeleteItem()->setVisible(false);
        }
        return;
    }
    menus.mnuToggleBeats->setText(tr("Hide Beats"));
    QAction* add = nullptr;
    QAction* remove = nullptr;
    bool removable = false;
    switch (currentScreenplay_ ? currentScreenplay_->beatSectionShowing() : 0) {
    case 1:
        add = menus.mnuAddCharacter;
        remove = menus.mnuDeleteCharacter;
        removable = currentlyEditingCharacter_ != nullptr;
        break;
    case 2:
        add = menus.mnuAddLocation;
        remove = menus.mnuDeleteLocation;
        removable = currentlyEditingLocation_ != nullptr;
        break;
    case 3:
        add = menus.mnuAddSetup;
        remove = menus.mnuDeleteSetup;
        removable = setupsTableView_ && setupsTableView_->selectedPosition() >= 0;
        break;
    case 4:
        add = menus.mnuAddPayoff;
        remove = menus.mnuDeletePayoff;
        removable = payoffsTableView_ && payoffsTableView_->selectedPosition() >= 0;
        break;
    default:
        return;
    }
    const bool wide = splBeats_ && splBeats_->paneExtent(0) >= kBeatsWidthForItemCommands && beatSectionTable_;
    add->setVisible(wide);
    remove->setVisible(wide && removable);
    if (window_) {
        window_->tbAddItem()->setVisible(wide);
        window_->tbDeleteItem()->setVisible(wide && removable);
    }
}

void MyDocument::boardIsHidden(bool flag)
{
    AppActions& menus = application_.actions();
    const bool addable = !flag && okToAddSceneCards();
    menus.mnuAddSceneCard->setVisible(addable);
    if (window_)
        window_->tbAddSceneCard()->setVisible(addable);
    auto hideBoardMenus = [this, &menus] {
        if (window_)
            window_->tbToggleListCorkView()->setVisible(false);
        menus.mnuVBoard->setVisible(false);
        menus.mnuPPBoardSize->setVisible(false);
    };
    if (flag || !currentScreenplay_ || currentScreenplay_->bigSceneView() == 1) {
        hideBoardMenus();
        return;
    }
    if (window_)
        window_->tbToggleListCorkView()->setVisible(true);
    menus.mnuToggleBoardView->setVisible(true);
    const std::int64_t presentation = currentScreenplay_->boardView();
    if (presentation == 1 || presentation == 2) {
        // The corkboard has a zoom and a size; the list has neither.
        const bool corkboard = presentation == 1;
        menus.mnuBZoom->setVisible(corkboard);
        menus.mnuPPBoardSize->setVisible(corkboard);
        boardSizeMenusEnabled(corkboard);
        menus.mnuToggleBoardView->setText(corkboard ? tr("List View") : tr("Corkboard View"));
        if (window_) {
            const QString image = corkboard ? QStringLiteral("ListView") : QStringLiteral("CorkboardView");
            window_->tbToggleListCorkView()->setProperty("imageName", image);
        }
    }
    menus.mnuVBoard->setVisible(true);
}

void MyDocument::generalNotesIsHidden(bool flag)
{
    AppActions& menus = application_.actions();
    notesIsHidden_ = flag;
    menus.mnuPPNotesSize->setVisible(!flag);
    menus.mnuToggleGeneralNotes->setText(flag ? tr("Show General Notes") : tr("Hide General Notes"));
}

void MyDocument::setViewMenusHidden(bool flag)
{
    viewMenusHidden_ = flag;
    AppActions& menus = application_.actions();
    for (QAction* item : {menus.mnuToggleTitle, menus.mnuToggleBeats, menus.mnuToggleLitterBox,
                          menus.mnuToggleGeneralNotes})
        item->setVisible(!flag);
    if (window_)
        for (QAction* button : {window_->tbToggleTitleLogline(), window_->tbToggleBeats(), window_->tbToggleLitterBox(),
                                window_->tbToggleNotes()})
            button->setVisible(!flag);
}

void MyDocument::boardSizeMenusEnabled(bool flag)
{
    AppActions& menus = application_.actions();
    for (QAction* item : {menus.mnuPPBSFitToCurrentView, menus.mnuPPBSIncreaseWidth, menus.mnuPPBSDecreaseWidth,
                          menus.mnuPPBSIncreaseHeight, menus.mnuPPBSDecreaseHeight, menus.mnuPPBSRestoreDefaults})
        item->setEnabled(flag);
}

void MyDocument::NotesSizeMenusEnabled(bool flag)
{
    AppActions& menus = application_.actions();
    for (QAction* item : {menus.mnuPPNSIncreaseWidth, menus.mnuPPNSDecreaseWidth, menus.mnuPPNSIncreaseHeight,
                          menus.mnuPPNSDecreaseHeight})
        item->setEnabled(flag);
}

void MyDocument::modifyGeneralNotesSize(QObject* sender)
{
    if (!storyIsOpen() || !window_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    const double width = static_cast<double>(story.generalNotesWidth());
    const double height = static_cast<double>(story.generalNotesHeight());
    switch (senderTag(sender)) {
    case 2:
        story.setGeneralNotesWidth(static_cast<std::int64_t>(width * 1.1));
        break;
    case 3:
        story.setGeneralNotesWidth(static_cast<std::int64_t>(width + width * -0.1));
        break;
    case 4:
        story.setGeneralNotesHeight(static_cast<std::int64_t>(height * 1.1));
        break;
    case 5:
        story.setGeneralNotesHeight(static_cast<std::int64_t>(height + height * -0.1));
        break;
    default:
        break;
    }
    if (story.generalNotesHeight() < kNotesLeastHeight)
        story.setGeneralNotesHeight(kNotesLeastHeight);
    // The board is never smaller than the window.
    if (window_->height() > story.generalNotesHeight())
        story.setGeneralNotesHeight(window_->height());
    if (window_->width() > story.generalNotesWidth())
        story.setGeneralNotesWidth(window_->width());
    story.save();
    if (generalNotesBoard_)
        refreshGeneralNotesView();
}

void MyDocument::setMainFontSize(QObject* sender)
{
    if (!storyIsOpen())
        return;
    const int tag = senderTag(sender);
    Screenplaydb& story = *currentScreenplay_;
    if (tag == story.standardFontSetting())
        return;
    // The panes show their stored values again in the new size: what is being typed is stored first.
    commitEditing();
    story.setStandardFontSetting(tag);
    story.save();
    const std::array<QAction*, 4> fontItems = fontSizeItems(application_.actions());
    for (QAction* item : fontItems)
        item->setChecked(false);
    setupFonts();
    if (tag >= 1 && tag <= 4)
        fontItems[static_cast<std::size_t>(tag - 1)]->setChecked(true);
}

void MyDocument::setupFonts()
{
    setLabelFonts();
    setTextFieldFonts();
    if (titleLoglineView_)
        titleLoglineView_->refreshView();
    if (litterBoxView_)
        litterBoxView_->refreshView();
    // The story-elements pane shows one table, or a character's or a location's panel.
    refreshItemTable();
    if (currentlyEditingCharacter_ && characterDetailView_)
        characterDetailView_->setFonts();
    if (locationDetailView_)
        locationDetailView_->setFonts();
    if (bigSceneView_)
        bigSceneView_->resetFonts();
}

void MyDocument::setLabelFonts()
{
    if (!currentScreenplay_)
        return;
    const QFont font = standardFont(StoredRange::fontSetting(currentScreenplay_->standardFontSetting()) + 11, true);
    for (QLabel* label : {lblLitterBox_.data(), optSelectBeats_.data(), optSelectCharacters_.data(),
                          optSelectLocations_.data(), optSelectSetups_.data(), optSelectPayoffs_.data()})
        if (label)
            label->setFont(font);
}

void MyDocument::setTextFieldFonts()
{
}

// --- Panes of the board and the story elements -------------------------------------------------

// The corkboard (showTheBoard, shutDownTheBoard, refreshTheBoard) and the board list view
// (showBoardListView, shutDownTheBoardListView) are in src/board.

void MyDocument::commitEditing()
{
    if (!window_)
        return;
    if (generalNotesBoard_)
        generalNotesBoard_->commitEditing();
    // A field that was changed and not yet written writes its value now, as it would when
    // it loses the focus.
    for (QLineEdit* field : window_->findChildren<QLineEdit*>()) {
        if (field->isModified()) {
            field->setModified(false);
            emit field->editingFinished();
        }
    }
    QWidget* focused = QApplication::focusWidget();
    if (focused && window_->isAncestorOf(focused)) {
        focused->clearFocus();
        window_->setFocus();
    }
    // Some text views end their edit only while their text is modified; an undo back to the
    // text they were filled with leaves them unmodified, and only their pause still waits to
    // write it. It is written now, before the window changes or goes.
    TypingPause::flushAllIn(*window_);
}

void MyDocument::windowWillClose()
{
    commitEditing();
    if (autoTipTimer_)
        autoTipTimer_->stop();
    try {
        setThisFileName(QString());
    } catch (...) {
        emit closed(this);
        throw;
    }
    emit closed(this);
}

void MyDocument::closeWindowWithoutStory()
{
    if (window_)
        window_->close();
}

// --- New story ---------------------------------------------------------------------------------

void MyDocument::getFileNameForNewFile()
{
    window_->show();
    SavePanelRequest request;
    request.allowedExtensions = {QString::fromLatin1(StoryFile::kExtension)};
    request.proposedName = QStringLiteral("Awesome Screenplay.vtrsf");
    request.directory = documentsFolder();
    // An open story's file is never replaced: its window would go on writing into a deleted file.
    request.refuses = application_.documentController().refusingOpenStoryFiles(QStringLiteral("New File"));
    const std::optional<QString> chosen = Platform::filePanels().runSavePanel(request);
    if (!chosen) {
        closeWindowWithoutStory();
        return;
    }
    const QString path = withAllowedExtension(*chosen, request.allowedExtensions);
    if (QFileInfo::exists(path))
        QFile::remove(path);
    if (!StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), path)) {
        alert(QStringLiteral("New File"), QStringLiteral("Unable to create the new file."));
        closeWindowWithoutStory();
        return;
    }
    if (!Toolkit().populateDefaults(application_.masterFilePath(), path)) {
        QFile::remove(path);
        alert(QStringLiteral("New File"), QStringLiteral("Unable to create the new file."));
        closeWindowWithoutStory();
        return;
    }
    setThisFileName(path);
    window_->setWindowTitle(QFileInfo(path).completeBaseName());
    window_->setWindowFilePath(path);
    emit fileNameChanged(this, path);
    if (!currentScreenplay_)
        return;
    if (const UserInformationdb* user = application_.userInformation()) {
        currentScreenplay_->setOwnerFirstName(user->firstName());
        currentScreenplay_->setOwnerLastName(user->lastName());
    }
    currentScreenplay_->save();
    layoutWindowForScreenplay();
    takeKeyboardAtTitle();
}

void MyDocument::takeKeyboardAtTitle()
{
    if (titleLoglineView_)
        titleLoglineView_->tfTitle()->setFocus();
    // A desktop without a window manager gives the keyboard to no window that only shows, and the
    // panel that named a new story hands it back to the window it came up over, another one.
    window_->activateWindow();
}

// --- New version and backup --------------------------------------------------------------------

void MyDocument::startNewVersion()
{
    commitEditing();
    SavePanelRequest request;
    request.title = QStringLiteral("New Version");
    request.message = QStringLiteral("Set the file name and location for the new version.");
    request.allowedExtensions = {QString::fromLatin1(StoryFile::kExtension)};
    request.proposedName = QFileInfo(thisFileName_).fileName();
    request.directory = QFileInfo(thisFileName_).absolutePath();
    request.refuses = [this, refusingOpen = application_.documentController().refusingOpenStoryFiles(
                                 QStringLiteral("Start New Version"))](const QString& path) {
        if (!isSameFilePath(path, thisFileName_))
            return refusingOpen(path);
        alert(QStringLiteral("Start New Version"),
              QStringLiteral("The new version needs a name or place of its own: it cannot replace the story it is made "
                             "from."));
        return true;
    };
    const std::optional<QString> chosen = Platform::filePanels().runSavePanel(request);
    if (!chosen)
        return;
    const QString path = withAllowedExtension(*chosen, request.allowedExtensions);
    closeDatabaseReporting();
    bool copied = !QFileInfo::exists(path) || QFile::remove(path);
    copied = copied && QFile::copy(thisFileName_, path);
    const QString previous = thisFileName_;
    if (copied) {
        try {
            changingFileNameOnly_ = true;
            setThisFileName(path);
        } catch (const DatabaseError& failure) {
            changingFileNameOnly_ = false;
            thisFileName_ = previous;
            alert(QStringLiteral("Start New Version"), StoryFile::refusalMessage(path, failure));
            reopenDatabase();
            return;
        }
        currentScreenplay_->setDatabase(connection_.get());
        currentScreenplay_->setFileName(path);
        window_->setWindowTitle(QFileInfo(path).completeBaseName());
        window_->setWindowFilePath(path);
        emit fileNameChanged(this, path);
        return;
    }
    alert(QStringLiteral("Start New Version"), QStringLiteral("Unable to copy the file."));
    reopenDatabase();
}

void MyDocument::makeBackup()
{
    commitEditing();
    UserDefaults& defaults = Platform::userDefaults();
    QString folder = defaults.stringForKey(QStringLiteral("VTR3BackupPath"));
    if (folder.isEmpty()) {
        OpenPanelRequest request;
        request.title = QStringLiteral("Vantora Backup Files Location");
        request.message = QStringLiteral("Select the location for your backup files.");
        request.canCreateDirectories = true;
        request.chooseDirectories = true;
        const std::optional<QString> chosen = Platform::filePanels().runOpenPanel(request);
        if (!chosen || chosen->isEmpty())
            return;
        folder = *chosen;
        defaults.setString(QStringLiteral("VTR3BackupPath"), folder);
    }
    const QString name = QFileInfo(thisFileName_).completeBaseName();
    closeDatabaseReporting();
    // A 24-hour stamp, so that a morning and an afternoon backup never share a name.
    const QString stamp = DateUtilities::format(Platform::clock().now(), QStringLiteral("yyyyMMddHHmmss"));
    const QString target = QStringLiteral("%1/%2Backup%3.vtrsf").arg(folder, name, stamp);
    const bool copied = !QFileInfo::exists(target) && QFile::copy(thisFileName_, target);
    if (!reopenDatabase())
        return;
    alert(QStringLiteral("Backup"), copied ? QStringLiteral("Backup Saved") : QStringLiteral("Unable to copy the file."));
}

// The document's help: topics shown in its own advice window, and the automatic tip shown
// once a second after an opened story's window is laid out.



void MyDocument::showHelp(QObject* sender)
{
    const QString topic = helpTopicOf(sender);
    qCDebug(lcApp, "get help for topic %s", qUtf8Printable(topic));
    showHelpForTopic(topic);
}

void MyDocument::showHelpForTopic(const QString& key)
{
    showAdvice(adviceWindow_, key);
}

long MyDocument::randomNumberWithMax(long n) const
{
    return AutoTips::randomNumberWithMax(Platform::random(), n);
}

void MyDocument::showAutoTip()
{
    if (!currentScreenplay_)
        return;
    // One piece of advice on the screen at a time: stories opened together (the samples at the
    // first start) do not each bring a window of their own.
    for (const auto& other : application_.documentController().documents())
        if (other.get() != this && other->adviceWindow() && other->adviceWindow()->isVisible())
            return;
    const QString key = AutoTips::autoTipKey(*currentScreenplay_, Platform::random());
    if (!adviceWindow_)
        adviceWindow_ = std::make_unique<AdviceWindow>();
    // Beside the story window, not over the pane being written in.
    if (window_ && !adviceWindow_->isVisible())
        placeBeside(*adviceWindow_, *window_);
    // Nor does it take the keyboard: keys typed while it comes up stay in the story's field.
    adviceWindow_->showHelpForTopic(key);
    adviceWindow_->setAttribute(Qt::WA_ShowWithoutActivating, true);
    adviceWindow_->show();
    adviceWindow_->raise();
}
