// The document's side of the characters and locations: hosting their detail panels in the
// story-elements pane, their add and delete commands, and opening and deleting attachments.
#include "app/MyDocument.h"

#include "CharacterDetailView.h"
#include "ItemSides.h"
#include "ItemsTableView.h"
#include "LocationDetailView.h"
#include "SetupPayoffSides.h"
#include "app/AppActions.h"
#include "app/AppController.h"
#include "board/SceneCardView.h"
#include "model/AttachedObjectdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "platform/Platform.h"
#include "scene_editor/BigSceneCharactersView.h"
#include "scene_editor/BigSceneView.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// The panel's height as it opens; the scroll view scrolls it.
constexpr int kDetailPanelHeight = 1000;
// Once the sections around it change size, a panel takes the height of what shows of it, but
// never less than room for all its fields, nor less than this width.
constexpr int kLocationPanelLeastHeight = 600;
constexpr int kCharacterPanelLeastHeight = 700;
constexpr int kDetailPanelLeastWidth = 356;
constexpr int kLongestFileName = 100;

void alert(const QString& title, const QString& message)
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    Platform::alerts().runAlert(request);
}

// The name a copy of an attachment gets: the last part of the stored name (with backslashes
// read as folder separators), without characters that have a meaning to file systems or
// shells, never hidden, never empty.
QString cleanFileName(const QString& stored)
{
    QString name = QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/')).section(QLatin1Char('/'), -1);
    QString clean;
    for (const QChar c : name)
        clean += (c.isLetterOrNumber() || QStringLiteral(" ._-()").contains(c)) ? c : QLatin1Char('_');
    while (clean.startsWith(QLatin1Char('.')) || clean.startsWith(QLatin1Char(' ')))
        clean.remove(0, 1);
    clean = clean.trimmed().left(kLongestFileName);
    return clean.isEmpty() ? QStringLiteral("Attachment") : clean;
}

// The extension that says what the stored bytes are: a picture's by its encoded format (a
// picture kept as JPEG is a ".jpg" whatever its name said), any other file's by its name.
QString extensionFor(const AttachedObjectdb& attachment, const QByteArray& bytes, const QString& name)
{
    if (attachment.objectType() == 1) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const QByteArray format = QImageReader::imageFormat(&buffer);
        if (format == "jpeg" || format == "jpg")
            return QStringLiteral("jpg");
        if (!format.isEmpty())
            return QString::fromLatin1(format);
    }
    return QFileInfo(name).suffix();
}

// Writes the bytes into a new file of the folder named `base.extension`, or `base 2.extension`
// and so on when that name is taken; never over an existing file. Answers the path, or the
// reason it failed in `error`.
QString writeNewFile(const QString& folder, const QString& base, const QString& extension, const QByteArray& bytes,
                     QString* error)
{
    const QString suffix = extension.isEmpty() ? QString() : QStringLiteral(".") + extension;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString fileName = attempt == 1 ? base + suffix : QStringLiteral("%1 %2%3").arg(base).arg(attempt).arg(suffix);
        QFile file(QDir(folder).filePath(fileName));
        if (file.exists())
            continue;
        // Read and write for the user only, never executable.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            if (file.exists())
                continue;
            *error = file.errorString();
            return QString();
        }
        const bool written = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        if (!written || file.error() != QFileDevice::NoError) {
            *error = file.errorString();
            file.remove();
            return QString();
        }
        return file.fileName();
    }
    *error = QStringLiteral("Every name for the copy is taken.");
    return QString();
}

// A new item with every field empty, written and put at the end of its list; the list is put
// in name order again at the next layout of the window.
template <typename Side>
typename Side::Item* insertNewItem(Screenplaydb& story)
{
    auto item = std::make_unique<typename Side::Item>();
    item->setScreenplayID(story.screenplayID());
    item->insertIntoDatabase(&story);
    typename Side::Item* added = item.get();
    Side::items(story).push_back(std::move(item));
    return added;
}

} // namespace

namespace {

// The large card's Characters or Attachments tab, once it has shown, lists the story's again.
void refreshBigSceneLinkTab(BigSceneLinkedItemsView* tab)
{
    if (tab && tab->scene())
        tab->refreshView();
}

} // namespace

// --- Hosting the panels ----------------------------------------------------------------------

QScrollArea* MyDocument::makeDetailScrollView(QWidget* panel)
{
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("scrBeatSectionDetails"));
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = scroll->palette();
    palette.setColor(QPalette::Window, standardBackgroundColor_);
    scroll->setPalette(palette);
    scroll->setAutoFillBackground(true);
    panel->setMinimumHeight(kDetailPanelHeight);
    panel->setMaximumHeight(kDetailPanelHeight);
    scroll->setWidgetResizable(true);
    scroll->setWidget(panel);
    beatSectionArea_->layout()->addWidget(scroll);
    scroll->show();
    scroll->verticalScrollBar()->setValue(0);
    scrBeatSectionDetails_ = scroll;
    beatSectionTable_ = scroll;
    return scroll;
}

void MyDocument::fitDetailPanel(const MainSplitView& splitView)
{
    if (!scrBeatSectionDetails_)
        return;
    // A location panel comes first where both would be open.
    QWidget* panel = locationDetailView_    ? locationDetailView_->view()
                     : characterDetailView_ ? characterDetailView_->view()
                                            : nullptr;
    if (!panel)
        return;
    const QSize shown = scrBeatSectionDetails_->viewport()->size();
    if (&splitView == splNotes_ || &splitView == splTitle_) {
        const int least = locationDetailView_ ? kLocationPanelLeastHeight : kCharacterPanelLeastHeight;
        panel->setFixedHeight(std::max(shown.height(), least));
    } else if (&splitView == splBeats_) {
        // The scroll view gives the panel its own width, and no less than this.
        panel->setMinimumWidth(kDetailPanelLeastWidth);
    }
}

void MyDocument::setupCharacterDetailView()
{
    AppActions& menus = application_.actions();
    menus.mnuDeleteCharacter->setVisible(true);
    if (window_)
        window_->tbDeleteItem()->setVisible(true);
    characterDetailView_ = std::make_unique<CharacterDetailView>(this, currentScreenplay_.get());
    makeDetailScrollView(characterDetailView_->view());
}

void MyDocument::setupLocationDetailView()
{
    AppActions& menus = application_.actions();
    menus.mnuDeleteLocation->setVisible(true);
    if (window_)
        window_->tbDeleteItem()->setVisible(true);
    locationDetailView_ = std::make_unique<LocationDetailView>(this, currentScreenplay_.get());
    makeDetailScrollView(locationDetailView_->view());
}

void MyDocument::showCharacterDetailForCharacter(Characterdb* character)
{
    if (!character || !currentScreenplay_)
        return;
    if (!characterDetailView_) {
        commitEditing();
        charactersTableView_.reset();
        delete beatSectionTable_;
        setupCharacterDetailView();
    }
    currentlyEditingCharacter_ = character;
    characterDetailView_->setCharacter(character);
}

void MyDocument::showLocationDetailForSceneLocation(SceneLocationdb* location)
{
    if (!location || !currentScreenplay_)
        return;
    if (!locationDetailView_) {
        commitEditing();
        locationsTableView_.reset();
        delete beatSectionTable_;
        setupLocationDetailView();
    }
    currentlyEditingLocation_ = location;
    locationDetailView_->setLocation(location);
}

void MyDocument::closeCharacterDetails()
{
    if (!currentScreenplay_)
        return;
    releaseBeatSectionList();
    currentlyEditingCharacter_ = nullptr;
    // Nothing is left to take down: the switch builds the list and stores the section.
    currentScreenplay_->setBeatSectionShowing(-1);
    setBeatSection(1);
}

void MyDocument::closeLocationDetails()
{
    if (!currentScreenplay_)
        return;
    releaseBeatSectionList();
    currentlyEditingLocation_ = nullptr;
    currentScreenplay_->setBeatSectionShowing(-1);
    setBeatSection(2);
}

// --- Adding and deleting characters and locations ---------------------------------------------

void MyDocument::addDeleteItem(QObject* sender)
{
    if (!storyIsOpen() || !sender)
        return;
    commitEditing();
    AppActions& menus = application_.actions();
    const std::int64_t section = currentScreenplay_->beatSectionShowing();
    const bool add = window_ && sender == window_->tbAddItem();
    const bool remove = window_ && sender == window_->tbDeleteItem();
    if ((add && section == 1) || sender == menus.mnuAddCharacter)
        addCharacter();
    else if ((remove && section == 1) || sender == menus.mnuDeleteCharacter)
        deleteCharacter();
    else if ((add && section == 2) || sender == menus.mnuAddLocation)
        addLocation();
    else if ((remove && section == 2) || sender == menus.mnuDeleteLocation)
        deleteLocation();
    else if ((add && section == 3) || sender == menus.mnuAddSetup)
        addSetupOrPayoff<SetupSide>();
    else if ((remove && section == 3) || sender == menus.mnuDeleteSetup)
        deleteSetupOrPayoff<SetupSide>();
    else if ((add && section == 4) || sender == menus.mnuAddPayoff)
        addSetupOrPayoff<PayoffSide>();
    else if ((remove && section == 4) || sender == menus.mnuDeletePayoff)
        deleteSetupOrPayoff<PayoffSide>();
}

void MyDocument::addCharacter()
{
    Screenplaydb& story = *currentScreenplay_;
    Characterdb* added = insertNewItem<CharacterSide>(story);
    refreshBigSceneLinkTab(bigSceneView_ ? bigSceneView_->bigSceneCharactersView() : nullptr);
    // The command may come from the menu while another section shows.
    if (story.beatSectionShowing() != 1) {
        currentlyEditingCharacter_ = added;
        setBeatSection(1);
        return;
    }
    showCharacterDetailForCharacter(added);
}

void MyDocument::addLocation()
{
    Screenplaydb& story = *currentScreenplay_;
    SceneLocationdb* added = insertNewItem<LocationSide>(story);
    if (story.beatSectionShowing() != 2) {
        currentlyEditingLocation_ = added;
        setBeatSection(2);
    } else {
        showLocationDetailForSceneLocation(added);
    }
    // Typing goes to the new location's name, as it does for a new character.
    if (locationDetailView_)
        locationDetailView_->tfLocation()->setFocus();
}

void MyDocument::showRenamedItem()
{
    if (!bigSceneView_ || !bigSceneView_->scene())
        return;
    refreshBigSceneLinkTab(bigSceneView_->bigSceneCharactersView());
    // The location box lists the names again.
    bigSceneView_->refreshView();
}

void MyDocument::deleteCharacter()
{
    Characterdb* character = currentlyEditingCharacter_;
    if (!character)
        return;
    Screenplaydb& story = *currentScreenplay_;
    const std::int64_t key = character->characterID();
    std::set<std::int64_t> scenes;
    for (const auto& link : story.sceneCardCharacters())
        if (link->characterID() == key)
            scenes.insert(link->sceneCardID());
    AlertRequest question;
    question.title = QStringLiteral("Delete Character");
    question.message = scenes.empty()
                           ? QStringLiteral("Are you sure you want to delete %1?").arg(character->characterName())
                           : QStringLiteral("%1 is in one or more scenes. Are you sure you want to delete the character?")
                                 .arg(character->characterName());
    question.defaultButton = QStringLiteral("No");
    question.alternateButton = QStringLiteral("Yes");
    if (Platform::alerts().runAlert(question) != AlertAlternateReturn)
        return;
    if (!story.deleteCharacter(character))
        return;
    currentlyEditingCharacter_ = nullptr;
    for (const std::int64_t scene : scenes)
        refreshSceneCardIndicators(story.sceneCardForSceneCardID(scene));
    refreshBigSceneLinkTab(bigSceneView_ ? bigSceneView_->bigSceneCharactersView() : nullptr);
    closeCharacterDetails();
}

void MyDocument::deleteLocation()
{
    SceneLocationdb* location = currentlyEditingLocation_;
    if (!location)
        return;
    Screenplaydb& story = *currentScreenplay_;
    const std::int64_t key = location->sceneLocationID();
    std::vector<SceneCarddb*> scenes;
    for (auto* cards : {&story.sceneCards(), &story.litterBox()})
        for (const auto& card : *cards)
            if (card->sceneLocationID() == key)
                scenes.push_back(card.get());
    const bool inScene = !scenes.empty();
    const SceneCarddb* open = story.bigSceneView() == 1 ? story.sceneCardForSceneCardID(story.bigSceneSceneCardID())
                                                         : nullptr;
    const bool openCardHadIt = open && open->sceneLocationID() == key;
    AlertRequest question;
    question.title = QStringLiteral("Delete Location");
    question.message = inScene ? QStringLiteral("%1 has been selected for one or more scenes. Are you sure you want to "
                                                "delete it?")
                                     .arg(location->location())
                               : QStringLiteral("Are you sure you want to delete %1").arg(location->location());
    question.defaultButton = QStringLiteral("No");
    question.alternateButton = QStringLiteral("Yes");
    if (Platform::alerts().runAlert(question) != AlertAlternateReturn)
        return;
    if (!story.deleteLocation(location))
        return;
    currentlyEditingLocation_ = nullptr;
    // The cards lose their location pin wherever they show: board, list and Litter Box.
    for (SceneCarddb* scene : scenes)
        refreshSceneCardIndicators(scene);
    if (openCardHadIt && bigSceneView_)
        bigSceneView_->refreshView();
    closeLocationDetails();
}

// --- Attachments -----------------------------------------------------------------------------

bool MyDocument::openAttachmentFileInNativeApplication(AttachedObjectdb* attachment)
{
    if (!attachment)
        return false;
    const QString title = QStringLiteral("Open Attachment");
    const QString name = cleanFileName(attachment->fileName());
    const std::optional<QByteArray> bytes = attachment->getFullImage();
    if (!bytes || (attachment->objectType() != 1 && attachment->objectType() != 2)) {
        alert(title, QStringLiteral("\"%1\" holds no file that could be opened.").arg(name));
        return false;
    }
    const QString folder = Platform::workspace().privateFolder();
    QString error = QStringLiteral("The program has no folder to write it to.");
    QString path;
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        const QString extension = extensionFor(*attachment, *bytes, name);
        const QString base = QFileInfo(name).suffix().isEmpty() ? name : QFileInfo(name).completeBaseName();
        path = writeNewFile(folder, base.isEmpty() ? QStringLiteral("Attachment") : base, extension, *bytes, &error);
    }
    if (path.isEmpty()) {
        alert(title, QStringLiteral("A copy of \"%1\" could not be written, so it was not opened.\n%2").arg(name, error));
        return false;
    }
    if (!Platform::workspace().openFile(path)) {
        alert(title, QStringLiteral("No application could open \"%1\".").arg(name));
        return false;
    }
    return true;
}

void MyDocument::deleteAttachment(std::int64_t attachedObjectID)
{
    if (!currentScreenplay_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    AttachedObjectdb* attachment = story.attachmentForID(attachedObjectID);
    if (!attachment)
        return;
    std::set<std::int64_t> scenes;
    for (const auto& link : story.sceneCardObjects())
        if (link->attachedObjectID() == attachedObjectID)
            scenes.insert(link->sceneCardID());
    story.deleteAttachedObject(attachment);
    if (characterDetailView_)
        characterDetailView_->refreshView();
    if (locationDetailView_)
        locationDetailView_->refreshView();
    if (charactersTableView_)
        charactersTableView_->refreshView();
    if (locationsTableView_)
        locationsTableView_->refreshView();
    for (const std::int64_t scene : scenes) {
        SceneCarddb* card = story.sceneCardForSceneCardID(scene);
        if (SceneCardView* view = card ? sceneCardControlForSceneCard(card) : nullptr)
            view->setScene(card);
    }
    if (bigSceneView_ && story.bigSceneView() == 1 && scenes.count(story.bigSceneSceneCardID()))
        bigSceneView_->refreshView();
    refreshBigSceneLinkTab(bigSceneView_ ? bigSceneView_->bigSceneAttachmentsView() : nullptr);
}
