// The large scene card's view: building and laying out its panes, filling them from the card,
// the tabs, fonts, the location box, paging, deleting and closing.
#include "BigSceneView.h"

#include "BigSceneCharactersView.h"
#include "BigSceneGeometry.h"
#include "BigSceneScriptView.h"
#include "BigSceneSetupsView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/BoardImages.h"
#include "board/SceneCardEdits.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "platform/KeyboardNavigation.h"
#include "platform/LightLook.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

const std::array<const char*, 6> kTabSelectorNames{"optNotes", "optSetups", "optPayoffs",
                                                   "optCharacters", "optAttachments", "optScript"};
const std::array<const char*, 6> kTabTitles{"Notes", "Set-ups", "Pay-offs", "Characters", "Attachments", "Script"};

const QColor kYellow = QColor::fromRgb(255, 250, 205);
const QColor kBeatGrey = QColor::fromRgb(69, 69, 69);
const QColor kBeatBlue = QColor::fromRgb(65, 117, 139);
const QColor kStandardColor = QColor::fromRgb(205, 133, 63);

// The two panes of the splitter never get smaller than these.
constexpr int kLeastCardPane = 97;
constexpr int kLeastTabPane = 142;

// The card pane, top-down: the row of indicators, tack and beat, then the fields.
constexpr int kIndicatorTop = 10;
constexpr int kFieldLeft = 40;
// The fields' column starts right of the colour labels; the description's frame is given in
// the column's points, measured from the pane's foot upwards.
constexpr int kFieldsColumnLeft = kFieldLeft - 2;
constexpr int kHeadingTop = 46;
constexpr int kRowHeight = 28;
// The emotional change and conflict rows share the band at the foot of the pane, below the
// description.
constexpr int kFootBand = 46;
constexpr int kFootRowHeight = 21;
// The description shows at least this many lines when the card pane has its own height.
constexpr int kDescriptionLines = 3;
constexpr int kPageNumberWidth = 86;
constexpr int kMarkWidth = 30;
constexpr int kThumbTackSize = 24;
constexpr int kBeatBoxWidth = 240;
// The tab selectors' row above the tab pages.
constexpr int kSelectorRow = 28;

const QString& noLocation()
{
    static const QString text = BigSceneView::tr("<No Location>");
    return text;
}

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* makeField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    return field;
}

// A click target laid over an indicator's picture: it shows nothing of its own, pressed or not,
// so the picture under it is what the writer sees.
class ClearButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {}
};

// Buttons are clicked, never tabbed to: a space typed for a field must not press one.
template <typename Button = QPushButton>
QPushButton* makeButton(const QString& name, const QString& title, QWidget* parent)
{
    auto* button = new Button(title, parent);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The splitter between the card's fields and its tabs, telling its owner of every new size.
class CardSplitter : public QSplitter
{
public:
    CardSplitter(QWidget* parent, std::function<void()> resized)
        : QSplitter(Qt::Vertical, parent), resized_(std::move(resized))
    {
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QSplitter::resizeEvent(event);
        resized_();
    }

private:
    std::function<void()> resized_;
};

} // namespace

const QString BigSceneView::kHeadingPlaceholder = QStringLiteral("SCENE HEADING");
const QString BigSceneView::kEmotionalChangePlaceholder = QStringLiteral("Emotional Change");
const QString BigSceneView::kConflictPlaceholder = QStringLiteral("Conflict");

BigSceneView::BigSceneView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene)
    : BaseViewController(QStringLiteral("BigSceneView"), parent, screenplay), scene_(scene)
{
    skipIt_ = true;
    buildView();
    contentView_->setMyParent(this);
    contentView_->setAcceptDrops(true);
    // The Notes tab shows from the start; the document asks for another one when it wants it.
    selectedTabID_ = 1;
    resetFonts();
    imgThumbTack_->setMyBigSceneViewParent(this);
    skipIt_ = false;
}

BigSceneView::~BigSceneView() = default;

void BigSceneView::setScene(SceneCarddb* scene)
{
    scene_ = scene;
    // Every tab is told of every change of card, shown or not, so that none goes on holding a card that may
    // since have been deleted. The script tab lets go of its paragraphs while it does not show; it reads the
    // card's again when it shows.
    if (bigSceneScriptView_)
        bigSceneScriptView_->setScene(selectedTabID_ == 6 ? scene_ : nullptr);
    for (BigSceneSetupsView* tab : {static_cast<BigSceneSetupsView*>(bigSceneSetupsView_.get()),
                                    static_cast<BigSceneSetupsView*>(bigScenePayoffsView_.get())})
        if (tab)
            tab->setScene(scene_);
    for (BigSceneLinkedItemsView* tab : {static_cast<BigSceneLinkedItemsView*>(bigSceneCharactersView_.get()),
                                         static_cast<BigSceneLinkedItemsView*>(bigSceneAttachmentsView_.get())})
        if (tab)
            tab->setScene(scene_);
}

// --- Building ----------------------------------------------------------------------------------

void BigSceneView::buildView()
{
    contentView_ = new BigSceneViewView;
    contentView_->setObjectName(QStringLiteral("BigSceneView"));
    contentView_->setAutoFillBackground(true);
    paint(contentView_, QPalette::Window, myParent() ? myParent()->standardBackgroundColor() : kStandardColor);
    setView(contentView_);

    auto* column = new QVBoxLayout(contentView_);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    auto* buttons = new QHBoxLayout;
    cmdPreviousCard_ = makeButton(QStringLiteral("cmdPreviousCard"), tr("Previous Card"), contentView_);
    cmdNextCard_ = makeButton(QStringLiteral("cmdNextCard"), tr("Next Card"), contentView_);
    cmdDelete_ = makeButton(QStringLiteral("cmdDelete"), tr("Delete Card"), contentView_);
    cmdClose_ = makeButton(QStringLiteral("cmdClose"), tr("Close"), contentView_);
    // Each paging button keeps its place while the other is hidden, so that two clicks at one
    // place never page forward and then back.
    for (QPushButton* paging : {cmdPreviousCard_, cmdNextCard_}) {
        QSizePolicy policy = paging->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        paging->setSizePolicy(policy);
    }
    buttons->addWidget(cmdPreviousCard_);
    buttons->addWidget(cmdNextCard_);
    buttons->addStretch(1);
    buttons->addWidget(cmdDelete_);
    buttons->addWidget(cmdClose_);
    column->addLayout(buttons);

    splBigScene_ = new CardSplitter(contentView_, [this] { guardedCall([this] { fitCardPane(); }); });
    splBigScene_->setObjectName(QStringLiteral("splBigScene"));
    splBigScene_->setChildrenCollapsible(false);
    column->addWidget(splBigScene_, 1);

    boxYellowBackground_ = new QFrame;
    boxYellowBackground_->setObjectName(QStringLiteral("boxYellowBackground"));
    boxYellowBackground_->setFrameShape(QFrame::Box);
    boxYellowBackground_->setAutoFillBackground(true);
    // The card's labels and fields are dark on its cream, whatever the desktop's colours.
    LightLook::keep(*boxYellowBackground_);
    paint(boxYellowBackground_, QPalette::Window, kYellow);
    splBigScene_->addWidget(boxYellowBackground_);
    buildCardPane(boxYellowBackground_);

    boxTabs_ = new QFrame;
    boxTabs_->setObjectName(QStringLiteral("boxTabs"));
    splBigScene_->addWidget(boxTabs_);
    buildTabPane(boxTabs_);
    // A larger window gives its room to the tabs.
    splBigScene_->setStretchFactor(0, 0);
    splBigScene_->setStretchFactor(1, 1);

    fieldsInTabOrder_ = {tfHeading_, tfPageNumber_, tfDescription_, tfEmotionalChange_, tfConflict_, txtNotes_};
    // The tab selectors come between the card's fields and the tab they show.
    std::vector<QWidget*> order(fieldsInTabOrder_.begin(), fieldsInTabOrder_.end() - 1);
    order.insert(order.end(), tabSelectors_.begin(), tabSelectors_.end());
    order.push_back(txtNotes_);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    KeyboardNavigation::makeTabRow(
        {tabSelectors_.begin(), tabSelectors_.end()}, [this] { return static_cast<int>(selectedTabID_) - 1; },
        [this](int chosen) { guardedCall([this, chosen] { setSelectedTabID(chosen + 1); }); });
    connectControls();
}

void BigSceneView::buildCardPane(QWidget* pane)
{
    for (std::size_t i = 0; i < lblColors_.size(); ++i) {
        auto* label = new DoubleClickTextField(pane);
        label->setObjectName(QStringLiteral("lblColor%1").arg(i + 1));
        label->setReadOnly(true);
        label->setFocusPolicy(Qt::NoFocus);
        label->setFrame(false);
        label->setToolTip(tr("Double-click to choose a colour code"));
        lblColors_[i] = label;
    }
    const auto indicator = [pane](const QString& image, const QString& button, QLabel*& label, QPushButton*& command) {
        label = makeLabel(image, QString(), pane);
        label->setScaledContents(true);
        command = makeButton<ClearButton>(button, QString(), pane);
    };
    indicator(QStringLiteral("imgCharacters"), QStringLiteral("cmdCharacters"), imgCharacters_, cmdCharacters_);
    indicator(QStringLiteral("imgLocation"), QStringLiteral("cmdLocation"), imgLocation_, cmdLocation_);
    indicator(QStringLiteral("imgSetups"), QStringLiteral("cmdSetups"), imgSetups_, cmdSetups_);
    indicator(QStringLiteral("imgPayoffs"), QStringLiteral("cmdPayoffs"), imgPayoffs_, cmdPayoffs_);
    imgCharacters_->setPixmap(boardImage(QStringLiteral("CharactersInScene")));
    imgLocation_->setPixmap(boardImage(QStringLiteral("LocationOfScene")));
    imgCharacters_->move(BigSceneGeometry::indicatorLeft(0), kIndicatorTop);

    imgThumbTack_ = new ImageViewResponder(pane);
    imgThumbTack_->setObjectName(QStringLiteral("imgThumbTack"));
    imgThumbTack_->setImageNamed(QStringLiteral("SceneCardThumbDown"));
    imgThumbTack_->setToolTip(tr("Drag with the right mouse button to move the card out"));

    boxCurrentBeat_ = new QFrame(pane);
    boxCurrentBeat_->setObjectName(QStringLiteral("boxCurrentBeat"));
    boxCurrentBeat_->setAutoFillBackground(true);
    lblCurrentBeat_ = makeLabel(QStringLiteral("lblCurrentBeat"), QString(), boxCurrentBeat_);
    lblCurrentBeat_->setAlignment(Qt::AlignCenter);
    paint(lblCurrentBeat_, QPalette::WindowText, Qt::white);
    auto* beatLayout = new QHBoxLayout(boxCurrentBeat_);
    beatLayout->setContentsMargins(2, 0, 2, 0);
    beatLayout->addWidget(lblCurrentBeat_);

    tfHeading_ = makeField(QStringLiteral("tfHeading"), pane);
    tfPageNumber_ = makeField(QStringLiteral("tfPageNumber"), pane);
    tfPageNumber_->setAlignment(Qt::AlignCenter);
    tfPageNumber_->setToolTip(tr("Page number"));
    tfDescription_ = new QPlainTextEdit(pane);
    tfDescription_->setObjectName(QStringLiteral("tfDescription"));
    lblEmotionalChangeType_ = makeLabel(QStringLiteral("lblEmotionalChangeType"), QStringLiteral("+/-"), pane);
    lblEmotionalChangeType_->setAlignment(Qt::AlignCenter);
    lblEmotionalChangeType_->setAutoFillBackground(true);
    paint(lblEmotionalChangeType_, QPalette::Window, Qt::white);
    tfEmotionalChange_ = makeField(QStringLiteral("tfEmotionalChange"), pane);
    lblConflict_ = makeLabel(QStringLiteral("lblConflict"), QStringLiteral("><"), pane);
    lblConflict_->setAlignment(Qt::AlignCenter);
    tfConflict_ = makeField(QStringLiteral("tfConflict"), pane);
    pane->installEventFilter(this);
}

void BigSceneView::buildTabPane(QWidget* pane)
{
    for (std::size_t i = 0; i < tabSelectors_.size(); ++i) {
        QLabel* selector = makeLabel(QString::fromLatin1(kTabSelectorNames[i]), tr(kTabTitles[i]), pane);
        selector->setProperty("tag", static_cast<int>(i + 1));
        selector->setAlignment(Qt::AlignCenter);
        selector->setAutoFillBackground(true);
        selector->setCursor(Qt::PointingHandCursor);
        selector->installEventFilter(this);
        tabSelectors_[i] = selector;
    }
    boxNotes_ = new QFrame(pane);
    boxNotes_->setObjectName(QStringLiteral("boxNotes"));
    buildNotesTab();
    pane->installEventFilter(this);
}

void BigSceneView::buildNotesTab()
{
    lblLocations_ = makeLabel(QStringLiteral("lblLocations"), tr("Location"), boxNotes_);
    cmbLocations_ = new QComboBox(boxNotes_);
    cmbLocations_->setObjectName(QStringLiteral("cmbLocations"));
    lblStartDateTime_ = makeLabel(QStringLiteral("lblStartDateTime"), tr("Starts"), boxNotes_);
    lblEndDateTime_ = makeLabel(QStringLiteral("lblEndDateTime"), tr("Ends"), boxNotes_);
    // The dates change through the date window only.
    for (QLineEdit** field : {&tfStartDateTime_, &tfEndDateTime_}) {
        *field = makeField(field == &tfStartDateTime_ ? QStringLiteral("tfStartDateTime")
                                                      : QStringLiteral("tfEndDateTime"),
                           boxNotes_);
        (*field)->setReadOnly(true);
        (*field)->setFocusPolicy(Qt::NoFocus);
    }
    cmdStartDateTime_ = makeButton(QStringLiteral("cmdStartDateTime"), tr("Change..."), boxNotes_);
    cmdStartDateTime_->setProperty("tag", 1);
    cmdEndDateTime_ = makeButton(QStringLiteral("cmdEndDateTime"), tr("Change..."), boxNotes_);
    cmdEndDateTime_->setProperty("tag", 2);
    lblNotes_ = makeLabel(QStringLiteral("lblNotes"), tr("Notes"), boxNotes_);
    scrNotes_ = new QFrame(boxNotes_);
    scrNotes_->setObjectName(QStringLiteral("scrNotes"));
    txtNotes_ = new QPlainTextEdit(scrNotes_);
    txtNotes_->setObjectName(QStringLiteral("txtNotes"));
    auto* notesLayout = new QVBoxLayout(scrNotes_);
    notesLayout->setContentsMargins(0, 0, 0, 0);
    notesLayout->addWidget(txtNotes_);
}

void BigSceneView::connectControls()
{
    for (QLineEdit* field : {tfHeading_, tfPageNumber_, tfEmotionalChange_, tfConflict_})
        connect(field, &QLineEdit::editingFinished, this,
                [this, field] { guardedCall([this, field] { saveChanges(field); }); });
    watchTyping();
    for (QWidget* field : fieldsInTabOrder_)
        field->installEventFilter(this);
    // Clicks in the description arrive at its viewport.
    tfDescription_->viewport()->installEventFilter(this);
    for (DoubleClickTextField* label : lblColors_)
        connect(label, &DoubleClickTextField::userDoubleClicked, this,
                [this](DoubleClickTextField* sender) { guardedCall([this, sender] { userDoubleClicked(sender); }); });
    connect(cmbLocations_, &QComboBox::currentIndexChanged, this,
            [this](int index) { guardedCall([this, index] { locationChosen(index); }); });
    const auto onClick = [this](QPushButton* button, auto work) {
        connect(button, &QPushButton::clicked, this, [this, work] { guardedCall([this, work] { work(*this); }); });
    };
    onClick(cmdPreviousCard_, [](BigSceneView& card) { card.prevSceneCard(); });
    onClick(cmdNextCard_, [](BigSceneView& card) { card.nextSceneCard(); });
    onClick(cmdDelete_, [](BigSceneView& card) { card.deleteSceneCard(); });
    onClick(cmdClose_, [](BigSceneView& card) { card.closeBigSceneCard(); });
    onClick(cmdStartDateTime_, [](BigSceneView& card) { card.selectDate(1); });
    onClick(cmdEndDateTime_, [](BigSceneView& card) { card.selectDate(2); });
    // An indicator leads to the tab that lists what it stands for.
    onClick(cmdCharacters_, [](BigSceneView& card) { card.setSelectedTabID(4); });
    onClick(cmdLocation_, [](BigSceneView& card) { card.setSelectedTabID(1); });
    onClick(cmdSetups_, [](BigSceneView& card) { card.setSelectedTabID(2); });
    onClick(cmdPayoffs_, [](BigSceneView& card) { card.setSelectedTabID(3); });
    connect(splBigScene_, &QSplitter::splitterMoved, this, [this] {
        dividerMoved_ = true;
        guardedCall([this] { splitViewDidResizeSubviews(); });
    });
}

// --- Layout ------------------------------------------------------------------------------------

void BigSceneView::splitViewDidResizeSubviews()
{
    if (skipIt_)
        return;
    const QList<int> sizes = splBigScene_->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (sizes.value(0) < kLeastCardPane)
        splBigScene_->setSizes({kLeastCardPane, total - kLeastCardPane});
    else if (total - sizes.value(0) < kLeastTabPane)
        splBigScene_->setSizes({total - kLeastTabPane, kLeastTabPane});
    layoutCardPane();
    layoutTabPane();
}

void BigSceneView::layoutCardPane()
{
    const int width = boxYellowBackground_->width();
    const int height = boxYellowBackground_->height();
    imgThumbTack_->setGeometry((width - kThumbTackSize) / 2, kIndicatorTop - 4, kThumbTackSize, kThumbTackSize);
    boxCurrentBeat_->setGeometry(width - kBeatBoxWidth - 10, kIndicatorTop - 2, kBeatBoxWidth, kRowHeight - 2);
    const int headingWidth = width - kFieldLeft - kPageNumberWidth - 14;
    tfHeading_->setGeometry(kFieldLeft, kHeadingTop, headingWidth, kRowHeight);
    tfPageNumber_->setGeometry(kFieldLeft + headingWidth + 4, kHeadingTop, kPageNumberWidth, kRowHeight);
    const int fieldsWidth = headingWidth + 4 + kPageNumberWidth;
    // The description fills what lies between the heading (overlapping its lower edge by a
    // point) and the band at the pane's foot: in the column's points from the foot up, x 2,
    // y 46, as wide as heading and page number less a point, as high as the heading's lower
    // edge stands less 45. In a short pane it gives way first.
    const int headingFromFoot = height - (kHeadingTop + kRowHeight);
    const QRect description(2, kFootBand, headingWidth + kPageNumberWidth - 1, std::max(0, headingFromFoot - 45));
    tfDescription_->setGeometry(BigSceneGeometry::flipped(description, height).translated(kFieldsColumnLeft, 0));
    // The two rows never climb over the heading (what does not fit is cut off at the foot).
    const int changeTop = std::max(height - kFootBand + 1, kHeadingTop + kRowHeight + 1);
    const int conflictTop = changeTop + kFootRowHeight + 1;
    lblEmotionalChangeType_->setGeometry(kFieldLeft, changeTop, kMarkWidth, kFootRowHeight);
    tfEmotionalChange_->setGeometry(kFieldLeft + kMarkWidth + 4, changeTop, fieldsWidth - kMarkWidth - 4,
                                    kFootRowHeight);
    lblConflict_->setGeometry(kFieldLeft, conflictTop, kMarkWidth, kFootRowHeight);
    tfConflict_->setGeometry(kFieldLeft + kMarkWidth + 4, conflictTop, fieldsWidth - kMarkWidth - 4, kFootRowHeight);
    layoutColorLabels();
}

int BigSceneView::cardPaneHeight() const
{
    const int description = QFontMetrics(tfDescription_->font()).lineSpacing() * kDescriptionLines +
                            2 * tfDescription_->frameWidth() +
                            2 * static_cast<int>(tfDescription_->document()->documentMargin());
    return kHeadingTop + kRowHeight - 1 + description + kFootBand;
}

void BigSceneView::fitCardPane()
{
    const int total = splBigScene_->height() - splBigScene_->handleWidth();
    if (dividerMoved_ || total <= kLeastCardPane + kLeastTabPane)
        return;
    const int card = std::clamp(cardPaneHeight(), kLeastCardPane, total - kLeastTabPane);
    if (splBigScene_->sizes().value(0) != card)
        splBigScene_->setSizes({card, total - card});
}

void BigSceneView::layoutTabPane()
{
    const int width = boxTabs_->width();
    const int height = boxTabs_->height();
    const int selectorWidth = (width - 2) / static_cast<int>(tabSelectors_.size());
    for (std::size_t i = 0; i < tabSelectors_.size(); ++i)
        tabSelectors_[i]->setGeometry(static_cast<int>(i) * selectorWidth, 2, selectorWidth - 2, kSelectorRow - 4);
    const QRect tabFrame(0, kSelectorRow, width - 2, std::max(0, height - kSelectorRow));
    boxNotes_->setGeometry(tabFrame);
    for (const QPointer<QWidget>& page : tabPages_)
        if (page)
            page->setGeometry(tabFrame);

    const int notesWidth = boxNotes_->width();
    const int notesHeight = boxNotes_->height();
    constexpr int kLabelWidth = 64;
    constexpr int kFieldX = 76;
    constexpr int kDateWidth = 150;
    // The buttons show the desktop's font: as wide as their text needs.
    const int buttonWidth = std::max(86, cmdStartDateTime_->sizeHint().width());
    lblLocations_->setGeometry(8, 6, kLabelWidth, kRowHeight);
    cmbLocations_->setGeometry(kFieldX, 6, std::min(320, notesWidth - kFieldX - 8), kRowHeight);
    const int datesTop = 6 + kRowHeight + 4;
    lblStartDateTime_->setGeometry(8, datesTop, kLabelWidth, kRowHeight);
    tfStartDateTime_->setGeometry(kFieldX, datesTop, kDateWidth, kRowHeight);
    cmdStartDateTime_->setGeometry(kFieldX + kDateWidth + 4, datesTop, buttonWidth, kRowHeight);
    const int endX = kFieldX + kDateWidth + buttonWidth + 24;
    lblEndDateTime_->setGeometry(endX, datesTop, kLabelWidth - 14, kRowHeight);
    tfEndDateTime_->setGeometry(endX + kLabelWidth - 10, datesTop, kDateWidth, kRowHeight);
    cmdEndDateTime_->setGeometry(endX + kLabelWidth - 10 + kDateWidth + 4, datesTop, buttonWidth, kRowHeight);
    const int notesTop = datesTop + kRowHeight + 6;
    lblNotes_->setGeometry(8, notesTop, kLabelWidth, kRowHeight);
    scrNotes_->setGeometry(kFieldX, notesTop, std::max(0, notesWidth - 101), std::max(0, notesHeight - notesTop - 3));
}

// --- Tabs --------------------------------------------------------------------------------------

QLabel* BigSceneView::tabSelector(std::int64_t tab) const
{
    return tab >= 1 && tab <= 6 ? tabSelectors_[static_cast<std::size_t>(tab - 1)] : nullptr;
}

QWidget* BigSceneView::tabPage(std::int64_t tab) const
{
    return tab >= 2 && tab <= 6 ? tabPages_[static_cast<std::size_t>(tab - 2)].data() : nullptr;
}

void BigSceneView::setSelectedTabID(std::int64_t tab)
{
    if (tab == selectedTabID_ || tab < 1 || tab > 6)
        return;
    if (selectedTabID_ == 1)
        boxNotes_->hide();
    else if (QWidget* page = tabPage(selectedTabID_))
        page->hide();
    selectedTabID_ = tab;
    displaySelectedTab();
}

void BigSceneView::displaySelectedTab()
{
    const QColor standard = myParent() ? myParent()->standardBackgroundColor() : kStandardColor;
    for (QLabel* selector : tabSelectors_) {
        paint(selector, QPalette::Window, standard);
        paint(selector, QPalette::WindowText, Qt::white);
    }
    const QRect tabFrame = boxNotes_->geometry();
    if (selectedTabID_ == 1) {
        boxNotes_->show();
    } else if (selectedTabID_ >= 2 && selectedTabID_ <= 6) {
        // A tab's page is made the first time it shows and kept for the life of the card.
        QPointer<QWidget>& page = tabPages_[static_cast<std::size_t>(selectedTabID_ - 2)];
        if (!page) {
            page = makeTabPage(selectedTabID_);
            page->setParent(boxTabs_);
        }
        page->setGeometry(tabFrame);
        page->show();
        refreshTabPage(selectedTabID_);
    }
    if (QLabel* selected = tabSelector(selectedTabID_)) {
        paint(selected, QPalette::Window, Qt::white);
        paint(selected, QPalette::WindowText, standard);
    }
}

QWidget* BigSceneView::makeTabPage(std::int64_t tab)
{
    switch (tab) {
    case 2:
        bigSceneSetupsView_ = std::make_unique<BigSceneSetupsView>(myParent(), screenplay(), scene_);
        return bigSceneSetupsView_->view();
    case 3:
        bigScenePayoffsView_ = std::make_unique<BigScenePayoffsView>(myParent(), screenplay(), scene_);
        return bigScenePayoffsView_->view();
    case 4:
        bigSceneCharactersView_ = std::make_unique<BigSceneCharactersView>(myParent(), screenplay(), scene_);
        return bigSceneCharactersView_->view();
    case 5:
        bigSceneAttachmentsView_ = std::make_unique<BigSceneAttachmentsView>(myParent(), screenplay(), scene_);
        return bigSceneAttachmentsView_->view();
    case 6:
        bigSceneScriptView_ = std::make_unique<BigSceneScriptView>(myParent(), screenplay());
        return bigSceneScriptView_->view();
    default: {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("tabPage%1").arg(tab));
        return page;
    }
    }
}

void BigSceneView::refreshTabPage(std::int64_t tab)
{
    if (!tabPage(tab))
        return;
    const auto show = [this](auto& controller) {
        controller->setScene(scene_);
        controller->refreshView();
    };
    switch (tab) {
    case 2:
        return show(bigSceneSetupsView_);
    case 3:
        return show(bigScenePayoffsView_);
    case 4:
        return show(bigSceneCharactersView_);
    case 5:
        return show(bigSceneAttachmentsView_);
    case 6:
        return show(bigSceneScriptView_);
    default:
        return;
    }
}

void BigSceneView::refreshLinkTabs(const BaseViewController* changedIn)
{
    for (BigSceneSetupsView* tab : {static_cast<BigSceneSetupsView*>(bigSceneSetupsView_.get()),
                                    static_cast<BigSceneSetupsView*>(bigScenePayoffsView_.get())})
        if (tab && tab != changedIn && tab->scene())
            tab->refreshView();
}

// --- Filling -----------------------------------------------------------------------------------

void BigSceneView::refreshView()
{
    if (!scene_ || !screenplay())
        return;
    tfHeading_->setText(scene_->heading());
    showDescription();
    tfEmotionalChange_->setText(scene_->emotionalChange());
    tfConflict_->setText(scene_->conflict());
    tfPageNumber_->setText(QString::number(static_cast<qlonglong>(scene_->pageNumber())));
    setColors();
    configureIndicators();
    setEmotionalChangeTypeColor();
    showCurrentBeat();
    tfStartDateTime_->setText(scene_->startDateTime());
    tfEndDateTime_->setText(scene_->endDateTime());
    refreshLocations();
    txtNotes_->setPlainText(scene_->notes());
    displaySelectedTab();
}

void BigSceneView::showDescription()
{
    if (!scene_)
        return;
    tfDescription_->setPlainText(scene_->description());
    tfDescription_->document()->setModified(false);
    descriptionShown_ = scene_->description();
}

void BigSceneView::showCurrentBeat()
{
    const QString label = screenplay()->boardSections().beatLabelForBoardBeat(scene_->currentBeatSection());
    lblCurrentBeat_->setText(label);
    paint(boxCurrentBeat_, QPalette::Window, label.contains(QLatin1Char('-')) ? kBeatGrey : kBeatBlue);
}

void BigSceneView::setEmotionalChangeTypeColor()
{
    if (!scene_)
        return;
    static const std::array<QColor, 3> kTypeColors{QColor(Qt::white), QColor(Qt::green), QColor(Qt::red)};
    const std::int64_t type = scene_->emotionalChangeType();
    if (type >= 0 && type <= 2)
        paint(lblEmotionalChangeType_, QPalette::Window, kTypeColors[static_cast<std::size_t>(type)]);
}

void BigSceneView::refreshLocations()
{
    const bool wasFilling = filling_;
    filling_ = true;
    cmbLocations_->clear();
    // The names go into the box in one insertion, however many the story has.
    QStringList names{noLocation()};
    names.reserve(static_cast<qsizetype>(screenplay()->sceneLocations().size()) + 1);
    int shown = 0;
    for (const auto& location : screenplay()->sceneLocations()) {
        if (scene_->sceneLocationID() != 0 && location->sceneLocationID() == scene_->sceneLocationID())
            shown = static_cast<int>(names.size());
        names.push_back(location->location());
    }
    cmbLocations_->addItems(names);
    cmbLocations_->setCurrentIndex(shown);
    // A location that is no longer in the story shows no name at all.
    if (scene_->sceneLocationID() != 0 && shown == 0)
        cmbLocations_->setCurrentIndex(-1);
    filling_ = wasFilling;
}

void BigSceneView::locationChosen(int index)
{
    if (filling_ || !scene_ || !screenplay() || index < 0)
        return;
    const auto& locations = screenplay()->sceneLocations();
    if (index > static_cast<int>(locations.size()))
        return;
    scene_->setSceneLocationID(index == 0 ? 0 : locations[static_cast<std::size_t>(index - 1)]->sceneLocationID());
    scene_->save();
    configureIndicators();
    updateSmallSceneCard();
}

void BigSceneView::resetFonts()
{
    if (!screenplay())
        return;
    const int size = static_cast<int>(screenplay()->standardFontSetting()) + 11;
    const QFont plain = standardFont(size, false);
    for (QLabel* label : tabSelectors_)
        label->setFont(plain);
    const std::array<QWidget*, 14> plainFields{lblLocations_,     lblStartDateTime_, lblEndDateTime_,
                                               lblNotes_,         tfPageNumber_,     tfDescription_,
                                               tfEmotionalChange_, tfConflict_,      lblConflict_,
                                               lblEmotionalChangeType_, cmbLocations_, tfStartDateTime_,
                                               tfEndDateTime_,    txtNotes_};
    for (QWidget* widget : plainFields)
        widget->setFont(plain);
    tfHeading_->setFont(standardFont(size, true));
}

// --- Paging, deleting, closing -----------------------------------------------------------------

void BigSceneView::prevSceneCard()
{
    pageBy(-1);
}

void BigSceneView::nextSceneCard()
{
    pageBy(1);
}

void BigSceneView::pageBy(int step)
{
    MyDocument* document = myParent();
    Screenplaydb* story = screenplay();
    if (!document || !story || !scene_)
        return;
    saveChanges(nullptr);
    const auto& cards = story->sceneCards();
    const std::int64_t index = story->indexOfSceneCardWithID(scene_->sceneCardID());
    const std::int64_t target = index + step;
    if (index < 0 || target < 0 || target >= static_cast<std::int64_t>(cards.size()))
        return;
    document->openBigSceneCard(cards[static_cast<std::size_t>(target)].get(), selectedTabID_);
}

void BigSceneView::deleteSceneCard()
{
    if (!scene_ || !myParent())
        return;
    // The field being edited is written before the question.
    saveChanges(this);
    if (Platform::alerts().runAlert(SceneCardEdits::deleteQuestion(*scene_)) != AlertDefaultReturn)
        myParent()->deleteSceneCard(scene_);
}

void BigSceneView::closeBigSceneCard()
{
    saveChanges(nullptr);
    // The card closes once the click is over: the button goes with it.
    const QPointer<MyDocument> document = myParent();
    QTimer::singleShot(0, document, [document] {
        guardedCall([&] {
            if (document)
                document->closeBigSceneCard();
        });
    });
}

// --- Content view ------------------------------------------------------------------------------

BigSceneViewView::BigSceneViewView(QWidget* parent) : QWidget(parent) {}

void BigSceneViewView::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (myParent_)
        guardedCall([this] { myParent_->layoutColorLabels(); });
}
