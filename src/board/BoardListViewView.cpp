#include "BoardListViewView.h"

#include "model/CardPlacement.h"
#include "ColorCodeSelector.h"
#include "DropAnswers.h"
#include "ImageViewResponder.h"
#include "RecordPasteboardType.h"
#include "app/AdviceWindow.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/RecordSorting.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "panes/ModalDialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <memory>

namespace Pasteboard = RecordPasteboardType;

namespace {

constexpr int kBrownBarHeight = 8;
constexpr int kActBarHeight = 44;
constexpr int kBeatBarHeight = 32;
// Each bar stands this far below the one before it: the bars of an act block overlap by 2.
constexpr float kBrownBarStep = 6.0f;
constexpr float kActBarStep = 42.0f;
constexpr float kBeatBarStep = 32.0f;
// A bar's text is this much narrower than the bar.
constexpr int kLabelInset = 12;
constexpr int kLabelHeight = 18;
// Cards under the bars stand 1 point inside the list's edges; the stack by start time fills it.
constexpr int kCardInset = 1;
const char kInsetProperty[] = "listInset";
const QString kBeatTagPrefix = QStringLiteral("BoardBeatSection");
const QString kTackDown = QStringLiteral("SceneCardThumbDown");
const QColor kGridColor(204, 204, 204);

// One act of the list: its string tag, the number in its bar tags and its board beats.
struct ListAct
{
    std::int64_t number;
    const char* stringTag;
    std::vector<std::int64_t> boardBeats;
};

const std::array<ListAct, 4> kActs{{
    {1, "Act:1", {1, 2, 3, 4, 5, 6, 7}},
    {2, "Act:2a", {9, 10, 11, 12}},
    {3, "Act:2b", {14, 15, 16, 17}},
    {4, "Act:3", {19, 20}},
}};

// The width a control needs for its text in its font, never less than `drawn`.
int fittedWidth(const QWidget& control, int drawn)
{
    return std::max(drawn, control.sizeHint().width());
}

// The width a combo box needs to show `text` in the desktop's font, never less than `drawn`.
int comboWidthFor(const QString& text, int drawn)
{
    QComboBox probe;
    probe.addItem(text);
    return fittedWidth(probe, drawn);
}

// The document's standard background colour (the brown of the bars).
QColor standardColor(const MyDocument* document)
{
    return document ? document->standardBackgroundColor() : QColor::fromRgb(205, 133, 63);
}

bool hasBeatBar(std::int64_t boardBeat)
{
    return std::any_of(kActs.begin(), kActs.end(), [boardBeat](const ListAct& act) {
        return std::find(act.boardBeats.begin(), act.boardBeats.end(), boardBeat) != act.boardBeats.end();
    });
}

QString actLabel(const BoardSections& sections, std::int64_t act)
{
    switch (act) {
    case 1:
        return sections.section1Label();
    case 2:
        return sections.section2Label();
    case 3:
        return sections.section3Label();
    case 4:
        return sections.section4Label();
    default:
        return sections.beatLabelForBoardBeat(21);
    }
}

QLabel* makeBarLabel(const QString& text, const QFont& font, const QColor& color, QWidget* bar)
{
    auto* label = new QLabel(text, bar);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    // The bar takes the drops, not its text.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette colors = label->palette();
    colors.setColor(QPalette::WindowText, color);
    label->setPalette(colors);
    return label;
}

} // namespace

const QString BoardListViewView::kNoCharacterFiltering = QStringLiteral("<NO CHARACTER FILTERING>");
const QString BoardListViewView::kNoLocationFiltering = QStringLiteral("<NO LOCATION FILTERING>");
const QString BoardListViewView::kNoColorSelected = QStringLiteral("No Color Selected");

// --- The bars ----------------------------------------------------------------------------------

BoxWithTags::BoxWithTags(QWidget* parent)
    : QFrame(parent)
{
    setAcceptDrops(true);
}

void BoxWithTags::dragEnterEvent(QDragEnterEvent* event)
{
    answerDragFor(event, this);
}

void BoxWithTags::dragMoveEvent(QDragMoveEvent* event)
{
    answerDragFor(event, this);
}

void BoxWithTags::dropEvent(QDropEvent* event)
{
    answerDropFor(event, this);
}

Qt::DropAction BoxWithTags::dragOperationFor(const QMimeData* data, Qt::DropActions offered) const
{
    if (!myBoardListViewParent_ || !(offered & Qt::MoveAction))
        return Qt::IgnoreAction;
    MyDocument* document = myBoardListViewParent_->myParent();
    if (!Pasteboard::comesFrom(data, document))
        return Qt::IgnoreAction;
    const std::optional<std::int64_t> key = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneCard));
    const SceneCarddb* card = key ? myBoardListViewParent_->screenplay()->sceneCardForSceneCardID(*key) : nullptr;
    // Only a card of the Litter Box comes back onto the board this way.
    return card && card->onBoard() == 2 ? Qt::MoveAction : Qt::IgnoreAction;
}

bool BoxWithTags::performDrop(const QMimeData* data, const QPoint& location)
{
    BoardListViewView* list = myBoardListViewParent_;
    if (!list || !Pasteboard::comesFrom(data, list->myParent()))
        return false;
    const QPoint point = list->view() ? mapTo(list->view(), location) : location;
    const std::optional<std::int64_t> key = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneCard));
    if (!key)
        return true;
    const SceneCarddb* card = list->screenplay()->sceneCardForSceneCardID(*key);
    if (!card)
        return true;
    if (card->onBoard() == 1)
        return false;
    if (card->onBoard() != 2)
        return true;
    // The tag goes by value: the drop rebuilds the list, and this bar with it.
    return list->dropSceneCard(card->sceneCardID(), point, QString(stringTag_));
}

// --- The list ----------------------------------------------------------------------------------

BoardListViewView::BoardListViewView(MyDocument* parent, Screenplaydb* screenplay, QObject* owner)
    : BaseViewController(QStringLiteral("BoardListViewView"), parent, screenplay, owner)
{
    buildView();
}

BoardListViewView::~BoardListViewView()
{
    // The bars may outlive the list for a moment (they go once their own events are over).
    if (vListView_)
        for (BoxWithTags* bar : vListView_->findChildren<BoxWithTags*>())
            bar->setMyBoardListViewParent(nullptr);
}

void BoardListViewView::buildView()
{
    MyDocument* document = myParent();
    const QColor standard = standardColor(document);
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("BoardListViewView"));
    QPalette colors = view->palette();
    colors.setColor(QPalette::Window, standard);
    view->setPalette(colors);
    view->setAutoFillBackground(true);
    setView(view);
    if (QWidget* pane = document ? document->boardPane() : nullptr)
        view->resize(pane->size());

    vOptions_ = new QWidget(view);
    vOptions_->setObjectName(QStringLiteral("vOptions"));
    vOptions_->setGeometry(0, 0, view->width(), kOptionsHeight);

    cmdSelectColor_ = new QPushButton(QStringLiteral("Color Filter..."), vOptions_);
    cmdSelectColor_->setObjectName(QStringLiteral("cmdSelectColor"));
    lblSelectedColor_ = new QLabel(vOptions_);
    lblSelectedColor_->setObjectName(QStringLiteral("lblSelectedColor"));
    lblSelectedColor_->setAutoFillBackground(true);
    lblSelectedColor_->setFrameShape(QFrame::Box);
    lblSelectedColorDescription_ = new QLabel(vOptions_);
    lblSelectedColorDescription_->setObjectName(QStringLiteral("lblSelectedColorDescription"));

    cmbCharacter_ = new QComboBox(vOptions_);
    cmbCharacter_->setObjectName(QStringLiteral("cmbCharacter"));
    cmbLocation_ = new QComboBox(vOptions_);
    cmbLocation_->setObjectName(QStringLiteral("cmbLocation"));

    optSorting_ = new QButtonGroup(view);
    optSorting_->setObjectName(QStringLiteral("optSorting"));
    auto* bySortOrder = new QRadioButton(QStringLiteral("Sort Order"), vOptions_);
    auto* byStartTime = new QRadioButton(QStringLiteral("Start Time"), vOptions_);
    optSorting_->addButton(bySortOrder, 1);
    optSorting_->addButton(byStartTime, 2);

    cmdHelp_ = new QToolButton(vOptions_);
    cmdHelp_->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp_->setText(QStringLiteral("?"));
    cmdHelp_->setProperty(kHelpTopicProperty, QStringLiteral("COLORCODE"));

    // The controls show the desktop's font: each is as wide as its text needs, never narrower
    // than drawn for the usual font, and those right of it move along.
    const int colorWidth = fittedWidth(*cmdSelectColor_, 130);
    cmdSelectColor_->setGeometry(10, 10, colorWidth, 26);
    lblSelectedColor_->setGeometry(colorWidth + 20, 13, 20, 20);
    lblSelectedColorDescription_->setGeometry(colorWidth + 50, 13, 300, 20);
    const int filterWidth =
        std::max(comboWidthFor(kNoCharacterFiltering, 300), comboWidthFor(kNoLocationFiltering, 300));
    cmbCharacter_->setGeometry(10, 50, filterWidth, 26);
    cmbLocation_->setGeometry(10, 86, filterWidth, 26);
    const int sortingWidth = std::max(fittedWidth(*bySortOrder, 150), fittedWidth(*byStartTime, 150));
    bySortOrder->setGeometry(filterWidth + 30, 50, sortingWidth, 24);
    byStartTime->setGeometry(filterWidth + 30, 86, sortingWidth, 24);
    cmdHelp_->setGeometry(std::max(490, colorWidth + 360), 10, 26, 26);

    scrSceneCards_ = new QScrollArea(view);
    scrSceneCards_->setObjectName(QStringLiteral("scrSceneCards"));
    scrSceneCards_->setFrameShape(QFrame::NoFrame);
    scrSceneCards_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrSceneCards_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrSceneCards_->setWidgetResizable(false);
    QPalette scrollColors = scrSceneCards_->palette();
    scrollColors.setColor(QPalette::Window, standard);
    scrSceneCards_->setPalette(scrollColors);
    scrSceneCards_->viewport()->setPalette(scrollColors);
    scrSceneCards_->viewport()->setAutoFillBackground(true);
    scrSceneCards_->setGeometry(0, kOptionsHeight, view->width(), std::max(0, view->height() - kOptionsHeight));
    vListView_ = new FlippedView;
    vListView_->setObjectName(QStringLiteral("vListView"));
    vListView_->setGeometry(0, 0, scrSceneCards_->viewport()->width(), 100);
    scrSceneCards_->setWidget(vListView_);
    enterCardsByKeyboard(*vListView_, [this] { return keyboardCard(); });

    connect(cmdSelectColor_, &QPushButton::clicked, this, [this] { guardedCall([this] { selectColor(); }); });
    connect(cmdHelp_, &QToolButton::clicked, this, [this] { guardedCall([this] { showHelp(cmdHelp_); }); });
    for (QComboBox* box : {cmbCharacter_, cmbLocation_})
        connect(box, &QComboBox::activated, this, [this, box] { guardedCall([this, box] { comboBoxSelectionDidChange(box); }); });
    connect(optSorting_, &QButtonGroup::idClicked, this,
            [this](int id) { guardedCall([this, id] { sortingChanged(id); }); });

    view->installEventFilter(this);
    scrSceneCards_->viewport()->installEventFilter(this);
    vListView_->installEventFilter(this);
}

QWidget* BoardListViewView::listView() const
{
    return vListView_;
}

bool BoardListViewView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == view())
            fitListToPane();
        else if (scrSceneCards_ && watched == scrSceneCards_->viewport() && vListView_)
            vListView_->resize(scrSceneCards_->viewport()->width(), vListView_->height());
        else if (watched == vListView_)
            fitObjectsToWidth(vListView_->width());
    }
    return BaseViewController::eventFilter(watched, event);
}

void BoardListViewView::fitListToPane()
{
    QWidget* pane = view();
    if (!pane || !scrSceneCards_)
        return;
    vOptions_->resize(pane->width(), kOptionsHeight);
    scrSceneCards_->setGeometry(0, kOptionsHeight, pane->width(), std::max(0, pane->height() - kOptionsHeight));
}

void BoardListViewView::fitObjectsToWidth(int width)
{
    for (QObject* object : listViewObjects_) {
        if (auto* bar = qobject_cast<BoxWithTags*>(object)) {
            bar->resize(width, bar->height());
            if (bar->label())
                bar->label()->resize(std::max(0, width - kLabelInset), bar->label()->height());
        } else if (auto* control = qobject_cast<SceneCardView*>(object); control && control->view()) {
            QWidget* cardView = control->view();
            const int inset = cardView->property(kInsetProperty).toInt();
            cardView->resize(std::max(0, width - 2 * inset), cardView->height());
        }
    }
}

// --- Refresh -----------------------------------------------------------------------------------

void BoardListViewView::refreshView()
{
    Screenplaydb& story = *screenplay();
    showFilters();
    removeLayoutControlsFromListView();
    removeSceneCardsFromListView();
    filterSceneCards();
    listViewObjects_.clear();
    if (!vListView_ || !scrSceneCards_)
        return;
    const int width = scrSceneCards_->viewport()->width();
    float y = 0.0f;
    std::vector<QWidget*> placed;
    std::vector<SceneCarddb*>& cards = story.listViewCards();

    if (story.boardListSortMethod() == 2) {
        sortRecords(cards, &SceneCarddb::sortByStartTime);
        for (SceneCarddb* card : cards)
            y = placeCard(card, y, 0, placed);
    } else if (story.boardListSortMethod() == 1) {
        sortRecords(cards, &SceneCarddb::sortBySortOrder);
        const BoardSections& sections = story.boardSections();
        const QString end = QStringLiteral("End");
        for (const ListAct& act : kActs) {
            y = addActBlock(actLabel(sections, act.number), act.number, QString::fromLatin1(act.stringTag), y, width,
                            placed);
            for (const std::int64_t boardBeat : act.boardBeats) {
                BoxWithTags* bar = beatBar(sections.beatLabelForBoardBeat(boardBeat), y, width);
                addBar(bar, 3000 + boardBeat, QStringLiteral("%1:%2").arg(kBeatTagPrefix).arg(boardBeat), placed);
                bar->setMyBoardListViewParent(this);
                y += kBeatBarStep;
                for (SceneCarddb* card : cards)
                    if (card->currentBeatSection() == boardBeat)
                        y = placeCard(card, y, kCardInset, placed);
            }
        }
        y = addActBlock(actLabel(sections, 5), 5, end, y, width, placed);
    }
    // Any other sort method places nothing.

    vListView_->resize(vListView_->width(), static_cast<int>(y));
    fitObjectsToWidth(vListView_->width());
}

void BoardListViewView::showFilters()
{
    Screenplaydb& story = *screenplay();
    QColor color(Qt::white);
    QString description = kNoColorSelected;
    if (story.boardListFilterColorID() != 0) {
        // A filter colour that no longer exists shows transparent, without a description.
        color = QColor::fromRgb(0, 0, 0, 0);
        description.clear();
        if (const ColorCodedb* code = story.colorForColorCodeID(story.boardListFilterColorID())) {
            color = QColor::fromRgbF(static_cast<float>(code->redValue()) / 255.0f,
                                     static_cast<float>(code->greenValue()) / 255.0f,
                                     static_cast<float>(code->blueValue()) / 255.0f,
                                     static_cast<float>(code->alphaValue()) / 255.0f);
            description = code->description();
        }
    }
    QPalette colors = lblSelectedColor_->palette();
    colors.setColor(QPalette::Window, color);
    lblSelectedColor_->setPalette(colors);
    lblSelectedColorDescription_->setText(description);

    int character = 0;
    const auto& characters = story.characters();
    for (std::size_t i = 0; i < characters.size(); ++i)
        if (story.boardListFilterCharacterID() != 0 && characters[i]->characterID() == story.boardListFilterCharacterID())
            character = static_cast<int>(i) + 1;
    int location = 0;
    const auto& locations = story.sceneLocations();
    for (std::size_t i = 0; i < locations.size(); ++i)
        if (story.boardListFilterLocationID() != 0 && locations[i]->sceneLocationID() == story.boardListFilterLocationID())
            location = static_cast<int>(i) + 1;
    reloadComboBox(cmbCharacter_, character);
    reloadComboBox(cmbLocation_, location);

    const QSignalBlocker quiet(optSorting_);
    if (QAbstractButton* method = optSorting_->button(static_cast<int>(story.boardListSortMethod())))
        method->setChecked(true);
}

void BoardListViewView::reloadComboBox(QComboBox* comboBox, int selected)
{
    const QSignalBlocker quiet(comboBox);
    comboBox->clear();
    const int count = numberOfItemsInComboBox(comboBox);
    for (int i = 0; i < count; ++i)
        comboBox->addItem(comboBoxObjectValueForItemAtIndex(comboBox, i));
    comboBox->setCurrentIndex(selected < count ? selected : 0);
}

void BoardListViewView::filterSceneCards()
{
    Screenplaydb& story = *screenplay();
    std::vector<SceneCarddb*>& passing = story.listViewCards();
    passing.clear();
    for (const auto& card : story.sceneCards())
        if (passesFilters(*card))
            passing.push_back(card.get());
}

bool BoardListViewView::passesFilters(const SceneCarddb& card) const
{
    Screenplaydb& story = *screenplay();
    if (const std::int64_t color = story.boardListFilterColorID(); color != 0) {
        bool carries = false;
        for (int slot = 1; slot <= 6; ++slot)
            carries = carries || card.colorLegendID(slot) == color;
        if (!carries)
            return false;
    }
    if (const std::int64_t character = story.boardListFilterCharacterID(); character != 0) {
        const auto& links = story.sceneCardCharacters();
        const bool inScene = std::any_of(links.begin(), links.end(), [&](const auto& link) {
            return link->sceneCardID() == card.sceneCardID() && link->characterID() == character;
        });
        if (!inScene)
            return false;
    }
    const std::int64_t location = story.boardListFilterLocationID();
    return location == 0 || card.sceneLocationID() == location;
}

float BoardListViewView::placeCard(SceneCarddb* card, float y, int inset, std::vector<QWidget*>& placed)
{
    MyDocument* document = myParent();
    SceneCardView* control = document ? document->sceneCardControlForSceneCard(card) : nullptr;
    if (!control || !control->view())
        return y;
    control->setCanMove(false);
    control->setMyBoardViewParent(nullptr);
    control->setMyBoardListViewParent(this);
    control->setScene(card);
    if (inset != 0)
        control->setTag(kCardTag);
    QWidget* cardView = control->view();
    const int height = cardView->height();
    if (cardView->parentWidget() != vListView_)
        cardView->setParent(vListView_);
    cardView->setProperty(kInsetProperty, inset);
    cardView->setGeometry(inset, static_cast<int>(y), std::max(0, vListView_->width() - 2 * inset), height);
    cardView->show();
    listViewObjects_.push_back(control);
    placed.push_back(cardView);
    return y + static_cast<float>(height);
}

SceneCardView* BoardListViewView::keyboardCard() const
{
    return cardLastWorkedOn(myParent(), screenplay(), [this](const SceneCardView& control) {
        QWidget* cardView = control.madeView();
        return cardView && cardView->parentWidget() == vListView_ && !cardView->isHidden();
    });
}

BoxWithTags* BoardListViewView::makeBar(float y, int width, int height, const QColor& fill)
{
    auto* bar = new BoxWithTags;
    bar->setGeometry(0, static_cast<int>(y), width, height);
    bar->setFrameShape(QFrame::Box);
    bar->setFrameShadow(QFrame::Plain);
    bar->setLineWidth(1);
    QPalette colors = bar->palette();
    colors.setColor(QPalette::Window, fill);
    colors.setColor(QPalette::WindowText, kGridColor);
    bar->setPalette(colors);
    bar->setAutoFillBackground(true);
    return bar;
}

BoxWithTags* BoardListViewView::brownBarAtY(float y, int width)
{
    const QColor standard = standardColor(myParent());
    return makeBar(y, width, kBrownBarHeight, standard);
}

BoxWithTags* BoardListViewView::actBar(const QString& text, float y, int width)
{
    BoxWithTags* bar = makeBar(y, width, kActBarHeight, Qt::white);
    const QFont font = standardFont(StoredRange::fontSetting(screenplay()->standardFontSetting()) + 11, false);
    QLabel* label = makeBarLabel(text, font, Qt::black, bar);
    label->setGeometry(0, 5, std::max(0, width - kLabelInset), kLabelHeight);
    bar->setLabel(label);
    return bar;
}

BoxWithTags* BoardListViewView::beatBar(const QString& text, float y, int width)
{
    const QColor standard = standardColor(myParent());
    BoxWithTags* bar = makeBar(y, width, kBeatBarHeight, standard);
    const QFont font = standardFont(StoredRange::fontSetting(screenplay()->standardFontSetting()) + 11, true);
    QLabel* label = makeBarLabel(text, font, Qt::white, bar);
    // The text fills the bar inside its border and margins.
    label->setGeometry(kLabelInset / 2, 6, std::max(0, width - kLabelInset), kBeatBarHeight - 12);
    bar->setLabel(label);
    return bar;
}

void BoardListViewView::addBar(BoxWithTags* bar, std::int64_t tag, const QString& stringTag,
                               std::vector<QWidget*>& placed)
{
    bar->setTag(tag);
    bar->setStringTag(stringTag);
    bar->setParent(vListView_);
    bar->show();
    listViewObjects_.push_back(bar);
    placed.push_back(bar);
}

float BoardListViewView::addActBlock(const QString& label, std::int64_t act, const QString& stringTag, float y,
                                     int width, std::vector<QWidget*>& placed)
{
    addBar(brownBarAtY(y, width), 1000 + act, stringTag, placed);
    y += kBrownBarStep;
    addBar(actBar(label, y, width), 2000 + act, stringTag, placed);
    y += kActBarStep;
    addBar(brownBarAtY(y, width), 1000 + act, stringTag, placed);
    return y + kBrownBarStep;
}

void BoardListViewView::removeSceneCardsFromListView()
{
    Screenplaydb& story = *screenplay();
    MyDocument* document = myParent();
    for (SceneCarddb* card : story.listViewCards()) {
        SceneCardView* control = document ? document->sceneCardControlForSceneCard(card) : nullptr;
        if (!control)
            continue;
        takeCardViewOffItsPresentation(*control);
        // A card the list no longer shows does not answer to it.
        if (control->myBoardListViewParent() == this)
            control->setMyBoardListViewParent(nullptr);
    }
    story.listViewCards().clear();
    std::erase_if(listViewObjects_, [](QObject* object) { return qobject_cast<SceneCardView*>(object) != nullptr; });
}

void BoardListViewView::removeLayoutControlsFromListView()
{
    std::erase_if(listViewObjects_, [](QObject* object) { return qobject_cast<BoxWithTags*>(object) != nullptr; });
    if (!vListView_)
        return;
    for (BoxWithTags* bar : vListView_->findChildren<BoxWithTags*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (bar->tag() <= 1000)
            continue;
        // A bar may be taking the drop that rebuilds the list: it goes once that is over.
        bar->setMyBoardListViewParent(nullptr);
        bar->hide();
        bar->setParent(nullptr);
        bar->deleteLater();
    }
}

// --- Commands ----------------------------------------------------------------------------------

void BoardListViewView::selectColor()
{
    Screenplaydb& story = *screenplay();
    MyDocument* document = myParent();
    if (colorCodeWindow_)
        return;
    {
        auto dialog = std::make_unique<ColorCodeSelector>(QStringLiteral("ColorCodeSelector"), &story,
                                                          document ? document->window() : nullptr);
        colorCodeWindow_ = dialog.get();
        struct Release {
            ColorCodeSelector*& window;
            ~Release() { window = nullptr; }
        } release{colorCodeWindow_};
        ModalDialogs::paintBackground(*dialog, standardColor(document));
        dialog->setUseMode(ColorCodeSelector::Filter);
        dialog->setSelectedColorID(story.boardListFilterColorID());
        dialog->runModal();
        story.setBoardListFilterColorID(dialog->selectedColorID());
        story.save();
        dialog->close();
    }
    refreshView();
}

void BoardListViewView::popToTheTop(SceneCardView& card)
{
    // Only views lying in the controller's own view are stacked; the list's cards lie in the
    // list and keep their places.
    if (QWidget* cardView = card.madeView(); cardView && cardView->parentWidget() == view())
        cardView->raise();
    if (myParent() && card.scene())
        myParent()->setActiveSceneCardID(card.scene()->sceneCardID());
}

bool BoardListViewView::dropSceneCard(std::int64_t sceneCardID, const QPoint&, const QString& tag)
{
    Screenplaydb& story = *screenplay();
    SceneCarddb* card = story.sceneCardForSceneCardID(sceneCardID);
    // Only a card of the Litter Box comes back, and only once.
    const auto& litterBox = story.litterBox();
    const bool inLitterBox = card && std::any_of(litterBox.begin(), litterBox.end(),
                                                 [card](const auto& held) { return held.get() == card; });
    if (!inLitterBox || card->onBoard() != 2 || story.indexOfSceneCardWithID(sceneCardID) >= 0)
        return false;
    const CardPlace before(*card);

    if (tag.startsWith(kBeatTagPrefix)) {
        bool number = false;
        const std::int64_t boardBeat = tag.section(QLatin1Char(':'), 1).toLongLong(&number);
        if (!number || !hasBeatBar(boardBeat))
            return false;
        placeCardAtBoardBeat(story.boardSections(), *card, boardBeat, story.sceneCards());
    } else {
        bool number = false;
        const std::int64_t anchorID = tag.toLongLong(&number);
        const std::int64_t index = number ? story.indexOfSceneCardWithID(anchorID) : -1;
        if (index < 0 || index >= static_cast<std::int64_t>(story.sceneCards().size()))
            return false;
        placeCardNextTo(story.boardSections(), *card, *story.sceneCards()[static_cast<std::size_t>(index)]);
    }
    // The card's place and the board's new order are written together; when that fails the
    // card keeps its Litter Box place as well.
    if (!story.putCardOnBoard(*card, before))
        return false;

    MyDocument* document = myParent();
    if (SceneCardView* control = document ? document->sceneCardControlForSceneCard(card) : nullptr) {
        takeCardViewOffItsPresentation(*control);
        document->refreshLitterBoxView();
        control->setCanMove(true);
        control->showPageNumber(card->pageNumber());
        control->setThumbTackImage(kTackDown);
        control->setMyBoardListViewParent(this);
    }
    refreshView();
    return true;
}

void BoardListViewView::showHelp(QObject* sender)
{
    QPointer<MyDocument> document = myParent();
    QPointer<QObject> button = sender;
    // The help window is asked for once this click has been handled.
    QTimer::singleShot(0, document, [document, button] {
        guardedCall([&] {
            if (document && button)
                document->showHelp(button);
        });
    });
}

// --- Filters -----------------------------------------------------------------------------------

int BoardListViewView::numberOfItemsInComboBox(const QComboBox* comboBox) const
{
    if (comboBox == cmbCharacter_)
        return static_cast<int>(screenplay()->characters().size()) + 1;
    if (comboBox == cmbLocation_)
        return static_cast<int>(screenplay()->sceneLocations().size()) + 1;
    return 0;
}

QString BoardListViewView::comboBoxObjectValueForItemAtIndex(const QComboBox* comboBox, int index) const
{
    Screenplaydb& story = *screenplay();
    if (comboBox == cmbCharacter_) {
        if (index == 0)
            return kNoCharacterFiltering;
        if (index > 0 && static_cast<std::size_t>(index) <= story.characters().size())
            return story.characters()[static_cast<std::size_t>(index - 1)]->characterName();
    } else if (comboBox == cmbLocation_) {
        if (index == 0)
            return kNoLocationFiltering;
        if (index > 0 && static_cast<std::size_t>(index) <= story.sceneLocations().size())
            return story.sceneLocations()[static_cast<std::size_t>(index - 1)]->location();
    }
    return QString();
}

void BoardListViewView::comboBoxSelectionDidChange(QComboBox* comboBox)
{
    Screenplaydb& story = *screenplay();
    const int index = comboBox->currentIndex();
    std::int64_t wanted = 0;
    std::int64_t present = 0;
    if (comboBox == cmbCharacter_) {
        present = story.boardListFilterCharacterID();
        if (index > 0 && static_cast<std::size_t>(index) <= story.characters().size())
            wanted = story.characters()[static_cast<std::size_t>(index - 1)]->characterID();
        else if (index != 0)
            return;
    } else if (comboBox == cmbLocation_) {
        present = story.boardListFilterLocationID();
        if (index > 0 && static_cast<std::size_t>(index) <= story.sceneLocations().size())
            wanted = story.sceneLocations()[static_cast<std::size_t>(index - 1)]->sceneLocationID();
        else if (index != 0)
            return;
    } else {
        return;
    }
    if (wanted == present)
        return;
    if (comboBox == cmbCharacter_)
        story.setBoardListFilterCharacterID(wanted);
    else
        story.setBoardListFilterLocationID(wanted);
    story.save();
    refreshView();
}

void BoardListViewView::sortingChanged(std::int64_t method)
{
    Screenplaydb& story = *screenplay();
    if ((method != 1 && method != 2) || story.boardListSortMethod() == method)
        return;
    story.setBoardListSortMethod(method);
    story.save();
    refreshView();
}

// --- The document's list -----------------------------------------------------------------------

BoardListViewView* boardListViewOf(const MyDocument& document)
{
    return document.findChild<BoardListViewView*>(QString(), Qt::FindDirectChildrenOnly);
}

void refreshBoardListView(const MyDocument& document)
{
    if (BoardListViewView* list = boardListViewOf(document))
        list->refreshView();
}
