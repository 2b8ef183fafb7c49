// The document's side of the story development panes: the sections of the story-elements
// pane and the logline commands.
#include "app/MyDocument.h"

#include "BeatsTableView.h"
#include "CharacterDetailView.h"
#include "ItemsTableView.h"
#include "LocationDetailView.h"
#include "LoglineList.h"
#include "ModalDialogs.h"
#include "PaneImages.h"
#include "SetupPayoffTableView.h"
#include "TitleLoglineView.h"
#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/GuardedCall.h"
#include "app/TextsReadAhead.h"
#include "model/Loglinedb.h"
#include "model/Screenplaydb.h"
#include "model/StoryTransaction.h"
#include "platform/KeyboardNavigation.h"

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace {

// The templates a new logline can start from: short (kind 2) and long (kind 3).
const QString kShortTemplate = QStringLiteral(
    "On the verge of a [Stasis = Death moment], [a flawed protagonist] [Breaks Into Two]; but when the [Midpoint] "
    "happens, he/she must learn the [Theme Stated], before [All Is Lost].");
const QString kLongTemplate = QStringLiteral(
    "On the verge of a [Stasis = Death moment], [a flawed protagonist] has a [Catalyst] and [Breaks Into Two] with "
    "the [B Story]; but when the [Midpoint] happens, he/she must learn the [Theme Stated], before [All Is Lost], to "
    "defeat (or stop) the [flawed antagonist] (from getting away with his/her plan).");

constexpr std::int64_t kSectionCount = 5;

// What the add and delete buttons show in the sections 1 to 4, and the add menu item.
struct SectionCommands {
    const char* addImage;
    const char* addToolTip;
    const char* deleteImage;
    const char* deleteToolTip;
    QAction* AppActions::*addItem;
    QAction* AppActions::*deleteItem;
};

const std::array<SectionCommands, 4> kSectionCommands{{
    {"AddACharacter", "Add a Character", "DeleteACharacter", "Delete this Character", &AppActions::mnuAddCharacter,
     &AppActions::mnuDeleteCharacter},
    {"AddALocation", "Add a Location", "DeleteALocation", "Delete this Location", &AppActions::mnuAddLocation,
     &AppActions::mnuDeleteLocation},
    {"AddASetup", "Add a Set-up", "DeleteASetup", "Delete the Selected Set-up", &AppActions::mnuAddSetup,
     &AppActions::mnuDeleteSetup},
    {"AddAPayoff", "Add a Pay-off", "DeleteAPayoff", "Delete the Selected Pay-off", &AppActions::mnuAddPayoff,
     &AppActions::mnuDeletePayoff},
}};

// The tag a menu item (its data) or a control (its "tag" property) carries.
int tagOf(QObject* sender)
{
    if (auto* action = qobject_cast<QAction*>(sender))
        return action->data().toInt();
    return sender ? sender->property("tag").toInt() : 0;
}

// A section label is a control: a click on it chooses its section.
class OptionClicks : public QObject
{
public:
    explicit OptionClicks(MyDocument& document) : QObject(&document), document_(document) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            guardedCall([this, watched] { document_.selectBeatSectionOption(watched); });
        return QObject::eventFilter(watched, event);
    }

private:
    MyDocument& document_;
};

void paintOption(QLabel* label, bool chosen, const QColor& standard)
{
    if (!label)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, chosen ? QColor(Qt::white) : standard);
    palette.setColor(QPalette::WindowText, chosen ? standard : QColor(Qt::white));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

// The window that asks which kind of logline to start; each button ends it with its kind.
std::unique_ptr<QDialog> makeAddLoglineWindow(MyDocument& document)
{
    auto window = std::make_unique<QDialog>();
    window->setObjectName(QStringLiteral("addLoglineWindow"));
    window->setWindowTitle(QObject::tr("New Logline"));
    auto* question = new QLabel(QObject::tr("How would you like to start the new logline?"));
    question->setStyleSheet(QStringLiteral("color: white; font-weight: bold"));
    auto* buttons = new QHBoxLayout;
    const std::array<std::pair<const char*, QString>, 4> kinds{{{"cmdCancel", QObject::tr("Cancel")},
                                                                 {"cmdBlankLogline", QObject::tr("Blank Logline")},
                                                                 {"cmdShortTemplate", QObject::tr("Short Template")},
                                                                 {"cmdLongTemplate", QObject::tr("Long Template")}}};
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        auto* button = new QPushButton(kinds[kind].second);
        button->setObjectName(QString::fromLatin1(kinds[kind].first));
        button->setProperty("tag", static_cast<int>(kind));
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, window.get(),
                         [&document, button] { document.loglineTypeSelected(button); });
        buttons->addWidget(button);
        if (kind == 0)
            buttons->addStretch(1);
    }
    auto* layout = new QVBoxLayout(window.get());
    layout->addWidget(question);
    layout->addLayout(buttons);
    return window;
}

} // namespace

void connectPaneCommands(AppController& application)
{
    AppActions& menus = application.actions();
    // A new logline starts empty; the template item asks which template.
    menus.mnuSLoglineNew->setData(1);
    menus.mnuSLoglineFromTemplate->setData(0);
    for (QAction* item : {menus.mnuSLoglineNew, menus.mnuSLoglineFromTemplate})
        application.routeToCurrentDocument(item, [item](MyDocument& document) { document.addLogline(item); });
    for (QAction* item : menus.itemCommands())
        application.routeToCurrentDocument(item, [item](MyDocument& document) { document.addDeleteItem(item); });
}

void MyDocument::connectPaneControls()
{
    QAction* logline = window_->tbLogline();
    logline->setData(0);
    connect(logline, &QAction::triggered, this, [this, logline] { guardedCall([this, logline] { addLogline(logline); }); });
    for (QAction* command : {window_->tbAddItem(), window_->tbDeleteItem()})
        connect(command, &QAction::triggered, this,
                [this, command] { guardedCall([this, command] { addDeleteItem(command); }); });
    auto* clicks = new OptionClicks(*this);
    int section = 0;
    for (QLabel* label : optionLabels()) {
        label->setProperty("tag", section++);
        label->installEventFilter(clicks);
    }
    // The arrows choose a section as a click on its label does.
    const std::array<QLabel*, 5> labels = optionLabels();
    KeyboardNavigation::makeTabRow(
        {labels.begin(), labels.end()},
        [this] { return storyIsOpen() ? static_cast<int>(currentScreenplay_->beatSectionShowing()) : -1; },
        [this, labels](int chosen) {
            guardedCall([&] { selectBeatSectionOption(labels[static_cast<std::size_t>(chosen)]); });
        });
}

std::array<QLabel*, 5> MyDocument::optionLabels() const
{
    return {optSelectBeats_, optSelectCharacters_, optSelectLocations_, optSelectSetups_, optSelectPayoffs_};
}

// --- Sections of the story-elements pane -------------------------------------------------------

void MyDocument::selectBeatSectionOption(QObject* sender)
{
    if (!storyIsOpen())
        return;
    const int section = tagOf(sender);
    if (section == currentScreenplay_->beatSectionShowing())
        return;
    // The edit in progress in the list that goes is written first.
    commitEditing();
    setBeatSection(section);
}

void MyDocument::releaseBeatSectionList()
{
    // A field of a detail panel being typed in writes its value before the panel goes.
    if (scrBeatSectionDetails_)
        commitEditing();
    beatsTableView_.reset();
    charactersTableView_.reset();
    locationsTableView_.reset();
    characterDetailView_.reset();
    locationDetailView_.reset();
    setupsTableView_.reset();
    payoffsTableView_.reset();
    delete scrBeatSectionDetails_;
    delete beatSectionTable_;
}

void MyDocument::setBeatSection(std::int64_t section)
{
    if (!currentScreenplay_)
        return;
    Screenplaydb& story = *currentScreenplay_;
    AppActions& menus = application_.actions();
    for (QLabel* label : optionLabels())
        paintOption(label, false, standardBackgroundColor_);
    for (QAction* item : menus.itemCommands())
        item->setVisible(false);
    if (window_) {
        window_->tbAddItem()->setVisible(false);
        window_->tbDeleteItem()->setVisible(false);
    }
    releaseBeatSectionList();
    story.setBeatSectionShowing(section);
    story.save();
    if (section < 0 || section >= kSectionCount)
        return;

    paintOption(optionLabels()[static_cast<std::size_t>(section)], true, standardBackgroundColor_);
    if (section > 0) {
        const SectionCommands& commands = kSectionCommands[static_cast<std::size_t>(section - 1)];
        if (window_) {
            QAction* add = window_->tbAddItem();
            QAction* remove = window_->tbDeleteItem();
            add->setProperty("imageName", QString::fromLatin1(commands.addImage));
            add->setIcon(PaneImages::image(QString::fromLatin1(commands.addImage)));
            add->setToolTip(QString::fromLatin1(commands.addToolTip));
            remove->setProperty("imageName", QString::fromLatin1(commands.deleteImage));
            remove->setIcon(PaneImages::image(QString::fromLatin1(commands.deleteImage)));
            remove->setToolTip(QString::fromLatin1(commands.deleteToolTip));
        }
    }

    if (section == 1 && currentlyEditingCharacter_) {
        showAddCommand(section);
        setupCharacterDetailView();
        characterDetailView_->setCharacter(currentlyEditingCharacter_);
        return;
    }
    if (section == 2 && currentlyEditingLocation_) {
        showAddCommand(section);
        setupLocationDetailView();
        locationDetailView_->setLocation(currentlyEditingLocation_);
        return;
    }
    showItemList(section);
}

void MyDocument::showAddCommand(std::int64_t section)
{
    if (section < 1 || section >= kSectionCount)
        return;
    if (window_)
        window_->tbAddItem()->setVisible(true);
    AppActions& menus = application_.actions();
    (menus.*kSectionCommands[static_cast<std::size_t>(section - 1)].addItem)->setVisible(true);
}

void MyDocument::showDeleteCommand(std::int64_t section, bool shown)
{
    if (section < 1 || section >= kSectionCount)
        return;
    if (window_)
        window_->tbDeleteItem()->setVisible(shown);
    AppActions& menus = application_.actions();
    (menus.*kSectionCommands[static_cast<std::size_t>(section - 1)].deleteItem)->setVisible(shown);
}

std::unique_ptr<TextsReadAhead> MyDocument::takeListReadAhead(std::int64_t section)
{
    return section == listReadAheadSection_ ? std::move(listReadAhead_) : nullptr;
}

void MyDocument::showItemList(std::int64_t section)
{
    Screenplaydb& story = *currentScreenplay_;
    if (section == 0) {
        beatsTableView_ = std::make_unique<BeatsTableView>(this, &story);
        beatSectionTable_ = beatsTableView_->view();
    } else if (section == 1) {
        charactersTableView_ = std::make_unique<CharactersTableView>(this, &story);
        beatSectionTable_ = charactersTableView_->view();
    } else if (section == 2) {
        locationsTableView_ = std::make_unique<LocationsTableView>(this, &story);
        beatSectionTable_ = locationsTableView_->view();
    } else if (section == 3) {
        setupsTableView_ = std::make_unique<SetupsTableView>(this, &story);
        beatSectionTable_ = setupsTableView_->view();
    } else {
        payoffsTableView_ = std::make_unique<PayoffsTableView>(this, &story);
        beatSectionTable_ = payoffsTableView_->view();
    }
    // Texts read ahead for a list not made now are of no more use.
    listReadAhead_.reset();
    if (section > 0)
        showAddCommand(section);
    beatSectionArea_->layout()->addWidget(beatSectionTable_);
    beatSectionTable_->show();
    refreshItemTable();
}

void MyDocument::refreshItemTable()
{
    if (beatsTableView_)
        beatsTableView_->refreshView();
    if (charactersTableView_)
        charactersTableView_->refreshView();
    if (locationsTableView_)
        locationsTableView_->refreshView();
    if (setupsTableView_)
        setupsTableView_->refreshView();
    if (payoffsTableView_)
        payoffsTableView_->refreshView();
}

void MyDocument::fitItemTableToPane()
{
    if (!currentScreenplay_)
        return;
    switch (currentScreenplay_->beatSectionShowing()) {
    case 0:
        if (beatsTableView_)
            beatsTableView_->refreshTexts();
        break;
    case 1:
        if (charactersTableView_ && !currentlyEditingCharacter_)
            charactersTableView_->fitRowHeights();
        break;
    case 2:
        if (locationsTableView_ && !currentlyEditingLocation_)
            locationsTableView_->fitRowHeights();
        break;
    case 3:
        if (setupsTableView_)
            setupsTableView_->fitRowHeights();
        break;
    case 4:
        if (payoffsTableView_)
            payoffsTableView_->fitRowHeights();
        break;
    default:
        break;
    }
}

// --- Logline commands ----------------------------------------------------------------------------

void MyDocument::addLogline(QObject* sender)
{
    if (!storyIsOpen())
        return;
    commitEditing();
    int kind = tagOf(sender);
    if (kind == 0) {
        std::unique_ptr<QDialog> window = makeAddLoglineWindow(*this);
        ModalDialogs::paintBackground(*window, standardBackgroundColor_);
        kind = ModalDialogs::run(*window);
        window->close();
        if (kind == 0)
            return;
    }
    Screenplaydb& story = *currentScreenplay_;
    auto logline = std::make_unique<Loglinedb>();
    logline->setScreenplayID(story.screenplayID());
    logline->setLogline(kind == 2 ? kShortTemplate : kind == 3 ? kLongTemplate : QString(QLatin1String("")));
    logline->setCurrentLoglineFlag(1);
    // The new logline and the others giving up their flag are one write: a failure leaves
    // the current logline as it was, and the story without the new one.
    Loglinedb* added = logline.get();
    {
        StoryTransaction transaction(story.database());
        logline->insertIntoDatabase(&story);
        story.logLines().push_back(std::move(logline));
        try {
            makeCurrentLogline(story, added);
            transaction.commit();
        } catch (...) {
            story.logLines().pop_back();
            throw;
        }
    }
    story.save();

    if (!titleLoglineView_)
        return;
    QPlainTextEdit* field = titleLoglineView_->tfLogline();
    field->setPlainText(added->logline());
    field->document()->setModified(false);
    titleLoglineView_->allowLoglineTyping();
    titleLoglineView_->cmdLoglines()->setVisible(story.logLines().size() >= 2);
    titleLoglineView_->fitIntoPane(true);
    field->setFocus();
}

void MyDocument::loglineTypeSelected(QObject* sender)
{
    auto* button = qobject_cast<QWidget*>(sender);
    if (auto* window = button ? qobject_cast<QDialog*>(button->window()) : nullptr)
        window->done(tagOf(sender));
}
