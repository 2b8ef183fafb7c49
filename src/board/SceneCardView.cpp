#include "SceneCardView.h"

#include "BaseTextField.h"
#include "BoardImages.h"
#include "BoardView.h"
#include "DropAnswers.h"
#include "ColorCodeSelector.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "app/SmallViews.h"
#include "model/AttachedObjectdb.h"
#include "panes/BeatsTableView.h"
#include "panes/ModalDialogs.h"
#include "model/Beatdb.h"
#include "model/ColorCodedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "platform/Platform.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <optional>

namespace {

// --- The card's layout ---------------------------------------------------------------------
//
// The frames of the card's fields are given from the card's bottom edge up (x, y, width,
// height with y measured upwards), one set per zoom factor 1 to 4; `cardFrame` turns them into
// the view's top-down frames. The title bar fills the card above the heading.
struct ZoomLayout
{
    int width;
    int height;
    QRect heading;
    QRect pageNumber;
    QRect photoBackground;
    QRect descriptionWithThumbnail;
    QRect descriptionWithout;
    QRect descriptionTab;
    QRect notesTab;
    QRect emotionalChangeType;
    QRect emotionalChange;
    QRect conflictLabel;
    QRect conflict;
    int fontSize;
    // Stripe heights on the corkboard and in the list, and what the bottom stripe adds.
    int stripeOnCorkboard;
    int stripeInList;
    int bottomStripeExtra;
};

const std::array<ZoomLayout, 4> kZoomLayouts{{
    {270, 148, {8, 103, 222, 20}, {229, 103, 41, 20}, {8, 38, 80, 67}, {85, 38, 170, 66}, {8, 38, 247, 66},
     {254, 70, 16, 34}, {254, 38, 16, 33}, {8, 19, 41, 20}, {48, 19, 222, 20}, {8, 0, 41, 20}, {48, 0, 222, 20},
     12, 21, 21, 2},
    {292, 162, {8, 115, 241, 22}, {248, 115, 44, 22}, {8, 42, 80, 75}, {85, 42, 192, 74}, {8, 42, 269, 74},
     {276, 78, 16, 38}, {276, 42, 16, 37}, {8, 21, 41, 22}, {48, 21, 244, 22}, {8, 0, 41, 22}, {48, 0, 244, 22},
     14, 24, 24, -2},
    {315, 176, {8, 128, 263, 23}, {269, 128, 46, 23}, {8, 44, 80, 85}, {85, 44, 213, 85}, {8, 44, 290, 85},
     {297, 85, 18, 44}, {297, 44, 18, 42}, {8, 22, 41, 23}, {48, 22, 267, 23}, {8, 0, 41, 23}, {48, 0, 267, 23},
     15, 26, 25, 0},
    {360, 202, {8, 154, 304, 23}, {311, 154, 49, 23}, {8, 44, 80, 112}, {85, 44, 258, 111}, {8, 44, 335, 111},
     {342, 98, 18, 57}, {342, 44, 18, 55}, {8, 22, 41, 23}, {48, 22, 312, 23}, {8, 0, 41, 23}, {48, 0, 312, 23},
     16, 30, 29, 2},
}};

// Font size for a zoom factor outside 1 to 4, which sets no frames.
constexpr int kOtherZoomFontSize = 12;
constexpr int kStripeWidth = 9;
// The indicator icons stand in the title bar, 24 points (22 for other zoom factors) square,
// 29 points apart from x = 6.
constexpr int kIndicatorTop = 1;
constexpr int kIndicatorLeft = 6;
constexpr int kIndicatorStep = 29;
constexpr int kIndicatorSize = 24;
constexpr int kOtherZoomIndicatorSize = 22;
constexpr int kThumbTackSize = 24;
constexpr int kButtonSize = 20;
constexpr int kTitleBarHeight = 25;

const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kTitleBar(0xEC, 0xEA, 0xE4);
const QColor kCardEdge(0x8A, 0x86, 0x80);
// The red rule under an index card's heading.
const QColor kHeadingRule(0xD8, 0x44, 0x3C);

const ZoomLayout* layoutForZoom(std::int64_t zoom)
{
    return zoom >= 1 && zoom <= 4 ? &kZoomLayouts[static_cast<std::size_t>(zoom - 1)] : nullptr;
}

// A frame measured from the bottom of a card `cardHeight` high, as the view's frame.
QRect cardFrame(const QRect& bottomUp, int cardHeight)
{
    return flippedFrame(bottomUp, cardHeight);
}

void setWhiteBase(QWidget* field)
{
    QPalette colors = field->palette();
    colors.setColor(QPalette::Base, kPaper);
    colors.setColor(QPalette::Window, kPaper);
    colors.setColor(QPalette::Text, Qt::black);
    field->setPalette(colors);
}

QLineEdit* makeLineEdit(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setFrame(false);
    setWhiteBase(field);
    return field;
}

BaseTextField* makeBaseTextField(const QString& name, QWidget* parent, SceneCardView* card)
{
    auto* field = new BaseTextField(parent);
    field->setObjectName(name);
    field->setDelegate(card);
    field->setAlignment(Qt::AlignCenter);
    return field;
}

QLabel* makeIcon(const QString& name, QWidget* parent)
{
    auto* icon = new QLabel(parent);
    icon->setObjectName(name);
    icon->setScaledContents(true);
    icon->hide();
    return icon;
}

QColor colorOfCode(const ColorCodedb* code)
{
    // A colour code that no longer exists paints the stripe fully transparent.
    if (!code)
        return QColor(0, 0, 0, 0);
    return QColor::fromRgbF(static_cast<float>(code->redValue()) / 255.0f,
                            static_cast<float>(code->greenValue()) / 255.0f,
                            static_cast<float>(code->blueValue()) / 255.0f,
                            static_cast<float>(code->alphaValue()) / 255.0f);
}

QString trimmedLines(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && (text.at(first) == QLatin1Char('\n') || text.at(first) == QLatin1Char('\r')))
        ++first;
    while (last > first && (text.at(last - 1) == QLatin1Char('\n') || text.at(last - 1) == QLatin1Char('\r')))
        --last;
    return text.mid(first, last - first);
}

QString recordText(const SceneSetupdb& setup)
{
    return setup.sceneSetup();
}

QString recordText(const ScenePayoffdb& payoff)
{
    return payoff.scenePayoff();
}

// The tooltip of a card's set-ups (or pay-offs) and what the icon shows: every record lying on
// the card with its partner, a partner that lies on a card named with that card's heading and
// page.
struct LinkedRecords
{
    QString text;
    bool any = false;
    // At least one record has no partner.
    bool unpartnered = false;
};

template <typename Record, typename Unpartnered, typename PartnerOf>
LinkedRecords describeOnCard(const Screenplaydb& story, const RecordList<Record>& records, std::int64_t key,
                             const QString& title, const QString& ownLine, const QString& partnerLine,
                             Unpartnered unpartnered, PartnerOf partnerOf)
{
    LinkedRecords result{title};
    for (const auto& record : records) {
        if (record->sceneCardID() != key)
            continue;
        result.any = true;
        result.text += ownLine.arg(recordText(*record)) + QLatin1Char('\n');
        if (unpartnered(*record)) {
            result.unpartnered = true;
        } else if (const auto* partner = partnerOf(*record)) {
            if (const SceneCarddb* card = story.sceneCardForSceneCardID(partner->sceneCardID()))
                result.text += (partnerLine + QStringLiteral(" IN: %2 (p. %3)"))
                                   .arg(recordText(*partner), card->heading())
                                   .arg(static_cast<qlonglong>(card->pageNumber()));
            else
                result.text += partnerLine.arg(recordText(*partner));
        }
        result.text += QLatin1Char('\n');
    }
    return result;
}

} // namespace

// --- Drop area ---------------------------------------------------------------------------------

SceneCardDragDropView::SceneCardDragDropView(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
}

void SceneCardDragDropView::dragEnterEvent(QDragEnterEvent* event)
{
    answerDragFor(event, mySceneCardParent_);
}

void SceneCardDragDropView::dragMoveEvent(QDragMoveEvent* event)
{
    answerDragFor(event, mySceneCardParent_);
}

void SceneCardDragDropView::dropEvent(QDropEvent* event)
{
    answerDropFor(event, mySceneCardParent_);
}

// --- The card view -----------------------------------------------------------------------------

SceneCardView::SceneCardView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("SceneCardView"), parent, screenplay)
{
    buildView();
    imgThumbTack_->setMySceneCardParent(this);
    dragDropView_->setMySceneCardParent(this);
    setSelectedTab(1);
    imgThumbTack_->attachTrackingArea();
    setScreenplay(screenplay);
}

SceneCardView::~SceneCardView()
{
    // The fields may still hold the focus: their last edit is not stored from here on.
    if (view())
        for (QWidget* field : {static_cast<QWidget*>(tfHeading_), static_cast<QWidget*>(tfPageNumber_),
                               static_cast<QWidget*>(tfDescription_), static_cast<QWidget*>(tfEmotionalChange_),
                               static_cast<QWidget*>(tfConflict_)}) {
            field->removeEventFilter(this);
            field->disconnect(this);
        }
}

void SceneCardView::buildView()
{
    auto* root = new SceneCardDragDropView;
    root->setObjectName(QStringLiteral("SceneCardView"));
    dragDropView_ = root;
    setView(root);
    QPalette paper = root->palette();
    paper.setColor(QPalette::Window, kPaper);
    root->setPalette(paper);
    root->setAutoFillBackground(true);

    boxCard_ = new QFrame(root);
    boxCard_->setObjectName(QStringLiteral("boxCard"));
    boxCard_->setFrameShape(QFrame::Box);
    QPalette edge = boxCard_->palette();
    edge.setColor(QPalette::WindowText, kCardEdge);
    boxCard_->setPalette(edge);
    boxCard_->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Only the card's edge is drawn, over everything else; the tack and buttons stay above it.

    lblTitleBar_ = makeBaseTextField(QStringLiteral("lblTitleBar"), root, this);
    lblTitleBar_->setBackgroundColor(kTitleBar);

    tfHeading_ = makeLineEdit(QStringLiteral("tfHeading"), root);
    boxHeadingRule_ = new QFrame(root);
    boxHeadingRule_->setObjectName(QStringLiteral("boxHeadingRule"));
    QPalette red = boxHeadingRule_->palette();
    red.setColor(QPalette::Window, kHeadingRule);
    boxHeadingRule_->setPalette(red);
    boxHeadingRule_->setAutoFillBackground(true);
    tfPageNumber_ = makeLineEdit(QStringLiteral("tfPageNumber"), root);
    tfPageNumber_->setReadOnly(true);
    tfPageNumber_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    boxPhotoBackground_ = new QFrame(root);
    boxPhotoBackground_->setObjectName(QStringLiteral("boxPhotoBackground"));
    boxPhotoBackground_->setFrameShape(QFrame::Box);
    boxPhotoBackground_->setPalette(edge);
    imgThumbNail_ = new QLabel(boxPhotoBackground_);
    imgThumbNail_->setObjectName(QStringLiteral("imgThumbNail"));
    imgThumbNail_->setScaledContents(true);

    tfDescription_ = new QPlainTextEdit(root);
    tfDescription_->setObjectName(QStringLiteral("tfDescription"));
    tfDescription_->setFrameShape(QFrame::NoFrame);
    tfDescription_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tfDescription_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Return starts a new line and Tab types a tab: neither ends the edit.
    tfDescription_->setTabChangesFocus(false);
    setWhiteBase(tfDescription_);
    setWhiteBase(tfDescription_->viewport());

    tbDescription_ = makeBaseTextField(QStringLiteral("tbDescription"), root, this);
    tbDescription_->setText(QStringLiteral("D"));
    tbDescription_->setToolTip(tr("Description"));
    tbNotes_ = makeBaseTextField(QStringLiteral("tbNotes"), root, this);
    tbNotes_->setText(QStringLiteral("N"));
    tbNotes_->setToolTip(tr("Notes"));

    lblEmotionalChangeType_ = makeBaseTextField(QStringLiteral("lblEmotionalChangeType"), root, this);
    lblEmotionalChangeType_->setText(QStringLiteral("+/-"));
    lblEmotionalChangeType_->setToolTip(tr("Double-click to change the emotional change"));
    tfEmotionalChange_ = makeLineEdit(QStringLiteral("tfEmotionalChange"), root);
    lblConflict_ = new QLabel(QStringLiteral("><"), root);
    lblConflict_->setObjectName(QStringLiteral("lblConflict"));
    lblConflict_->setAlignment(Qt::AlignCenter);
    tfConflict_ = makeLineEdit(QStringLiteral("tfConflict"), root);

    for (std::size_t i = 0; i < lblColors_.size(); ++i) {
        lblColors_[i] = makeBaseTextField(QStringLiteral("lblColor%1").arg(i + 1), root, this);
        lblColors_[i]->setBackgroundColor(Qt::white);
    }

    imgCharacters_ = makeIcon(QStringLiteral("imgCharacters"), root);
    imgCharacters_->setPixmap(boardImage(QStringLiteral("CharactersInScene")));
    imgLocation_ = makeIcon(QStringLiteral("imgLocation"), root);
    imgLocation_->setPixmap(boardImage(QStringLiteral("LocationOfScene")));
    imgSetups_ = makeIcon(QStringLiteral("imgSetups"), root);
    imgPayoffs_ = makeIcon(QStringLiteral("imgPayoffs"), root);

    imgThumbTack_ = new ImageViewResponder(root);
    imgThumbTack_->setObjectName(QStringLiteral("imgThumbTack"));
    imgThumbTack_->setImageNamed(QStringLiteral("SceneCardThumbDown"));

    cmdAdvice_ = new QPushButton(QStringLiteral("?"), root);
    cmdAdvice_->setObjectName(QStringLiteral("cmdAdvice"));
    cmdAdvice_->setProperty("helpTopic", QStringLiteral("SCENECARD"));
    cmdAdvice_->setToolTip(tr("Advice"));
    cmdDelete_ = new QPushButton(QStringLiteral("\u00D7"), root);
    cmdDelete_->setObjectName(QStringLiteral("cmdDelete"));
    cmdDelete_->setToolTip(tr("Delete Scene Card"));
    for (QPushButton* button : {cmdAdvice_, cmdDelete_}) {
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(cmdAdvice_, &QPushButton::clicked, this, [this] { guardedCall([this] { showAdvice(cmdAdvice_); }); });
    connect(cmdDelete_, &QPushButton::clicked, this, [this] { guardedCall([this] { deleteSceneCard(); }); });

    for (QLineEdit* field : {tfHeading_, tfEmotionalChange_, tfConflict_})
        connect(field, &QLineEdit::editingFinished, this,
                [this, field] { guardedCall([this, field] { controlTextDidEndEditing(field); }); });
    for (QWidget* field : {static_cast<QWidget*>(tfHeading_), static_cast<QWidget*>(tfPageNumber_),
                           static_cast<QWidget*>(tfDescription_), static_cast<QWidget*>(tfEmotionalChange_),
                           static_cast<QWidget*>(tfConflict_)})
        field->installEventFilter(this);
}

void SceneCardView::setScreenplay(Screenplaydb* screenplay)
{
    BaseViewController::setScreenplay(screenplay);
    if (screenplay && view())
        view()->resize(static_cast<int>(screenplay->boardSections().STANDARDSCENECARDWIDTH()),
                       static_cast<int>(screenplay->boardSections().STANDARDSCENECARDHEIGHT()));
}

BaseTextField* SceneCardView::lblColor(int stripe) const
{
    return stripe >= 1 && stripe <= 6 ? lblColors_[static_cast<std::size_t>(stripe - 1)] : nullptr;
}

// --- Filling the card --------------------------------------------------------------------------

void SceneCardView::setScene(SceneCarddb* scene)
{
    scene_ = scene;
    if (!scene_)
        return;
    // The fonts first: a field that changes its font lays out its text again.
    applyZoomFonts();
    tfHeading_->setText(scene_->heading());
    fillDescription();
    tfConflict_->setText(scene_->conflict().isEmpty() ? QStringLiteral("Conflict") : scene_->conflict());
    tfEmotionalChange_->setText(scene_->emotionalChange().isEmpty() ? QStringLiteral("Emotional Change")
                                                                    : scene_->emotionalChange());
    setEmotionalChangeTypeColor();
    tfPageNumber_->setText(QString::number(static_cast<qint32>(scene_->pageNumber())));
    setColors();
    setupForCurrentBoardZoomFactor();
    configureIndicators();
}

void SceneCardView::fillDescription()
{
    if (scene_)
        tfDescription_->setPlainText(selectedTab_ == 2 ? scene_->notes() : scene_->description());
}

void SceneCardView::setColors()
{
    if (!scene_)
        return;
    for (int stripe = 1; stripe <= 6; ++stripe) {
        lblColor(stripe)->setBackgroundColor(colorForStripe(*screenplay(), scene_->colorLegendID(stripe)));
    }
}

void SceneCardView::setEmotionalChangeTypeColor()
{
    if (!scene_)
        return;
    switch (scene_->emotionalChangeType()) {
    case 0:
        lblEmotionalChangeType_->setBackgroundColor(Qt::white);
        break;
    case 1:
        lblEmotionalChangeType_->setBackgroundColor(Qt::green);
        break;
    case 2:
        lblEmotionalChangeType_->setBackgroundColor(Qt::red);
        break;
    default:
        break;
    }
}

void SceneCardView::setupForCurrentBoardZoomFactor()
{
    Screenplaydb* story = screenplay();
    if (!story)
        return;
    // The thumbnail of the card's primary attachment, if it has one.
    imgThumbNail_->clear();
    bool hasThumbnail = false;
    if (scene_) {
        for (const auto& link : story->sceneCardObjects()) {
            if (link->sceneCardID() != scene_->sceneCardID() || link->primaryDisplayFlag() != 1)
                continue;
            if (const AttachedObjectdb* attachment = story->attachmentForID(link->attachedObjectID())) {
                if (const std::optional<QByteArray> bytes = attachment->getThumbnail()) {
                    QPixmap thumbnail;
                    hasThumbnail = thumbnail.loadFromData(*bytes);
                    if (hasThumbnail)
                        imgThumbNail_->setPixmap(thumbnail);
                }
            }
            break;
        }
    }

    const BoardSections& sections = story->boardSections();
    const int width = static_cast<int>(sections.STANDARDSCENECARDWIDTH());
    const int height = static_cast<int>(sections.STANDARDSCENECARDHEIGHT());
    view()->resize(width, height);
    boxCard_->setGeometry(0, 0, width, height);
    boxCard_->raise();
    placeTitleBar(width);
    for (QWidget* control : {static_cast<QWidget*>(imgThumbTack_), static_cast<QWidget*>(cmdAdvice_),
                             static_cast<QWidget*>(cmdDelete_)})
        control->raise();

    const std::int64_t zoom = story->boardZoomFactor();
    const ZoomLayout* layout = layoutForZoom(zoom);
    applyZoomFonts();
    if (!layout)
        return;

    const auto place = [height](QWidget* field, const QRect& bottomUp) {
        field->setGeometry(cardFrame(bottomUp, height));
    };
    place(tfHeading_, layout->heading);
    boxHeadingRule_->setGeometry(kStripeWidth, tfHeading_->geometry().bottom() + 1, width - kStripeWidth, 1);
    boxHeadingRule_->raise();
    place(tfPageNumber_, layout->pageNumber);
    place(boxPhotoBackground_, layout->photoBackground);
    imgThumbNail_->setGeometry(boxPhotoBackground_->rect().adjusted(1, 1, -1, -1));
    place(tfDescription_, hasThumbnail ? layout->descriptionWithThumbnail : layout->descriptionWithout);
    place(tbDescription_, layout->descriptionTab);
    place(tbNotes_, layout->notesTab);
    place(lblEmotionalChangeType_, layout->emotionalChangeType);
    place(tfEmotionalChange_, layout->emotionalChange);
    place(lblConflict_, layout->conflictLabel);
    place(tfConflict_, layout->conflict);
    imgThumbNail_->setVisible(hasThumbnail);
    // Only the smallest card hides the photo frame with its thumbnail; the others keep it.
    if (zoom == 1)
        boxPhotoBackground_->setVisible(hasThumbnail);
    else
        boxPhotoBackground_->show();

    // The stripes stand on each other from the bottom edge up, each overlapping the one below
    // by a point; the bottom one is a little higher or lower than the others.
    const int stripe = story->boardView() == 2 ? layout->stripeInList : layout->stripeOnCorkboard;
    int y = 0;
    int below = stripe + layout->bottomStripeExtra;
    place(lblColor(6), QRect(0, y, kStripeWidth, below));
    for (int n = 5; n >= 1; --n) {
        y += below - 1;
        below = stripe;
        place(lblColor(n), QRect(0, y, kStripeWidth, stripe));
    }
}

void SceneCardView::applyZoomFonts()
{
    const Screenplaydb* story = screenplay();
    if (!story)
        return;
    const ZoomLayout* layout = layoutForZoom(story->boardZoomFactor());
    const int fontSize = layout ? layout->fontSize : kOtherZoomFontSize;
    // A font equal to the one a field has already changes nothing, so this is cheap the second time.
    tfHeading_->setFont(standardFont(fontSize, true));
    const QFont regular = standardFont(fontSize, false);
    for (QWidget* field : {static_cast<QWidget*>(tfPageNumber_), static_cast<QWidget*>(tfDescription_),
                           static_cast<QWidget*>(lblEmotionalChangeType_), static_cast<QWidget*>(tfEmotionalChange_),
                           static_cast<QWidget*>(lblConflict_), static_cast<QWidget*>(tfConflict_)})
        field->setFont(regular);
}

void SceneCardView::placeTitleBar(int width)
{
    lblTitleBar_->setGeometry(0, 0, width, kTitleBarHeight);
    imgThumbTack_->setGeometry((width - kThumbTackSize) / 2, kIndicatorTop, kThumbTackSize, kThumbTackSize);
    const int buttonTop = (kTitleBarHeight - kButtonSize) / 2;
    cmdDelete_->setGeometry(width - kButtonSize - 4, buttonTop, kButtonSize, kButtonSize);
    cmdAdvice_->setGeometry(width - 2 * kButtonSize - 6, buttonTop, kButtonSize, kButtonSize);
}

// --- Indicators --------------------------------------------------------------------------------

void SceneCardView::configureIndicators()
{
    Screenplaydb* story = screenplay();
    for (QLabel* icon : {imgCharacters_, imgLocation_, imgSetups_, imgPayoffs_})
        icon->hide();
    if (!story || !scene_)
        return;
    const std::int64_t key = scene_->sceneCardID();

    QString characters = QStringLiteral("Characters In Scene\n");
    bool hasCharacters = false;
    for (const auto& link : story->sceneCardCharacters()) {
        if (link->sceneCardID() != key)
            continue;
        characters += link->characterName() + QLatin1Char('\n');
        hasCharacters = true;
    }
    imgCharacters_->setToolTip(trimmedLines(characters));

    bool hasLocation = false;
    if (scene_->sceneLocationID() >= 1) {
        const SceneLocationdb* location = story->locationForLocationID(scene_->sceneLocationID());
        imgLocation_->setToolTip(location ? location->location() : QString());
        hasLocation = true;
    }

    const LinkedRecords setups = describeOnCard(
        *story, story->sceneSetups(), key, QStringLiteral("Set-ups In Scene\n"), QStringLiteral("SET-UP: %1"),
        QStringLiteral("PAY-OFF: %1"), [](const SceneSetupdb& setup) { return setup.scenePayoffID() == 0; },
        [story](const SceneSetupdb& setup) { return story->payoffForPayoffID(setup.scenePayoffID()); });
    imgSetups_->setToolTip(trimmedLines(setups.text));
    if (setups.any)
        imgSetups_->setPixmap(boardImage(setups.unpartnered ? QStringLiteral("SetupsWithOutPayoffs")
                                                            : QStringLiteral("SetupsWithPayoffs")));
    const bool hasSetups = setups.any;

    const LinkedRecords payoffs = describeOnCard(
        *story, story->scenePayoffs(), key, QStringLiteral("Pay-offs In Scene\n"), QStringLiteral("PAY-OFF: %1"),
        QStringLiteral("SET-UP: %1"), [](const ScenePayoffdb& payoff) { return payoff.sceneSetupID() == 0; },
        [story](const ScenePayoffdb& payoff) { return story->setupForPayoffID(payoff.scenePayoffID()); });
    imgPayoffs_->setToolTip(trimmedLines(payoffs.text));
    if (payoffs.any)
        imgPayoffs_->setPixmap(boardImage(payoffs.unpartnered ? QStringLiteral("PayoffsWithoutSetups")
                                                              : QStringLiteral("PayoffsWithSetups")));
    const bool hasPayoffs = payoffs.any;

    const int size = layoutForZoom(story->boardZoomFactor()) ? kIndicatorSize : kOtherZoomIndicatorSize;
    imgCharacters_->setGeometry(kIndicatorLeft, kIndicatorTop, size, size);
    int shown = 0;
    for (const auto& [icon, present] : {std::pair{imgCharacters_, hasCharacters}, std::pair{imgLocation_, hasLocation},
                                        std::pair{imgSetups_, hasSetups}, std::pair{imgPayoffs_, hasPayoffs}}) {
        if (!present)
            continue;
        icon->setGeometry(kIndicatorLeft + kIndicatorStep * shown, kIndicatorTop, size, size);
        icon->show();
        ++shown;
    }
}

// --- Page number and tabs ----------------------------------------------------------------------

void SceneCardView::setPageNumber()
{
    if (!scene_ || !screenplay())
        return;
    const QPoint origin = view()->pos();
    const std::int64_t page = screenplay()->boardSections().pageNumberForPositionTop(origin.y(), origin.x());
    tfPageNumber_->setText(QString::number(static_cast<qlonglong>(page)));
    scene_->setPageNumber(tfPageNumber_->text().toLongLong());
    scene_->setCurrentBeatSection(screenplay()->boardSections().boardBeatSectionForPageNumber(scene_->pageNumber()));
    scene_->save();
}

void SceneCardView::setSelectedTab(std::int64_t tab)
{
    BaseTextField* marked = tab == 1 ? tbDescription_ : (tab == 2 ? tbNotes_ : nullptr);
    for (BaseTextField* label : {tbDescription_, tbNotes_}) {
        if (label == marked)
            continue;
        label->setBackgroundColor(Qt::white);
        label->setTextColor(Qt::black);
    }
    if (!marked)
        return;
    marked->setBackgroundColor(myParent() ? myParent()->standardBackgroundColor() : QColor(205, 133, 63));
    marked->setTextColor(Qt::white);
    selectedTab_ = tab;
    fillDescription();
}

std::int64_t SceneCardView::selectColorCodeID(std::int64_t colorCodeID)
{
    // A fresh dialog for every pick.
    ColorCodeSelector selector(QStringLiteral("ColorCodeSelector"), screenplay(), view() ? view()->window() : nullptr);
    ModalDialogs::paintBackground(selector,
                                  myParent() ? myParent()->standardBackgroundColor() : QColor(205, 133, 63));
    selector.setUseMode(ColorCodeSelector::Scene);
    selector.setSelectedColorID(colorCodeID);
    selector.runModal();
    selector.close();
    return selector.selectedColorID();
}

// --- Clicks and edits --------------------------------------------------------------------------

void SceneCardView::userClicked(BaseTextField* field)
{
    if (!scene_ || !field)
        return;
    for (int stripe = 1; stripe <= 6; ++stripe) {
        if (field != lblColor(stripe))
            continue;
        scene_->setColorLegendID(stripe, selectColorCodeID(scene_->colorLegendID(stripe)));
        scene_->save();
        setColors();
        return;
    }
    if (field == lblEmotionalChangeType_) {
        if (field->clickCount() != 2)
            return;
        const std::int64_t type = scene_->emotionalChangeType();
        if (type >= 0 && type <= 2)
            scene_->setEmotionalChangeType((type + 1) % 3);
        scene_->save();
        setEmotionalChangeTypeColor();
        return;
    }
    if (field == tbDescription_ || field == tbNotes_) {
        const std::int64_t wanted = field == tbDescription_ ? 1 : 2;
        if (selectedTab_ == wanted)
            return;
        controlTextDidEndEditing(tfDescription_);
        setSelectedTab(wanted);
        return;
    }
    if (field == lblTitleBar_ && field->clickCount() == 2 && myParent()) {
        // Opened once the click is over: the card's view leaves the board on the way.
        const QPointer<MyDocument> document = myParent();
        const std::int64_t key = scene_->sceneCardID();
        QTimer::singleShot(0, document, [document, key] {
            guardedCall([&] {
                if (document && document->currentScreenplay())
                    document->openBigSceneCard(document->currentScreenplay()->sceneCardForSceneCardID(key), 1);
            });
        });
    }
}

void SceneCardView::controlTextDidEndEditing(QWidget* field)
{
    if (!scene_)
        return;
    if (field == tfHeading_) {
        if (tfHeading_->text().isEmpty())
            tfHeading_->setText(QStringLiteral("SCENE HEADING"));
        scene_->setHeading(tfHeading_->text().toUpper());
        // The field shows what was stored.
        if (tfHeading_->text() != scene_->heading())
            tfHeading_->setText(scene_->heading());
    } else if (field == tfDescription_) {
        const QString text = tfDescription_->toPlainText();
        if (selectedTab_ == 2) {
            scene_->setNotes(text);
        } else if (selectedTab_ == 1) {
            if (scene_->beatCardNumber() >= 1) {
                if (Beatdb* beat = screenplay()->beatForBeatNumber(scene_->beatCardNumber())) {
                    beat->setDescription(text);
                    beat->save();
                    if (myParent())
                        refreshStoryElementsTable(*myParent(), 0);
                }
            }
            scene_->setDescription(text);
        }
    } else if (field == tfEmotionalChange_) {
        if (tfEmotionalChange_->text().isEmpty())
            tfEmotionalChange_->setText(QStringLiteral("Emotional Change"));
        scene_->setEmotionalChange(tfEmotionalChange_->text());
    } else if (field == tfConflict_) {
        if (tfConflict_->text().isEmpty())
            tfConflict_->setText(QStringLiteral("Conflict"));
        scene_->setConflict(tfConflict_->text());
    }
    scene_->save();
}

void refreshStoryElementsTable(MyDocument& document, std::int64_t section)
{
    const Screenplaydb* story = document.currentScreenplay();
    if (!story || document.beatsIsHidden() || story->beatSectionShowing() != section || !document.beatSectionTable())
        return;
    if (section == 0 && document.beatsTableView())
        document.beatsTableView()->refreshView();
    else
        document.setBeatSection(section);
}

bool SceneCardView::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        guardedCall([this] { bringToTheTop(); });
        break;
    case QEvent::FocusOut:
        // The text area has no end-of-edit signal of its own: leaving it ends the edit.
        if (watched == tfDescription_)
            guardedCall([this] { controlTextDidEndEditing(tfDescription_); });
        break;
    case QEvent::ShortcutOverride:
        // Ctrl-N and Ctrl-P page between cards here, ahead of the menu items that use them.
        if (pagingDirection(static_cast<QKeyEvent*>(event)) != 0) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyRelease:
        if (const int direction = pagingDirection(static_cast<QKeyEvent*>(event))) {
            guardedCall([this, direction] {
                if (direction > 0)
                    pageToNextSceneCard();
                else
                    pageToPreviousSceneCard();
            });
            return true;
        }
        break;
    default:
        break;
    }
    return BaseViewController::eventFilter(watched, event);
}

void SceneCardView::showAdvice(QObject* sender)
{
    if (myParent() && sender)
        myParent()->showHelpForTopic(sender->property("helpTopic").toString());
}

void SceneCardView::deleteSceneCard()
{
    if (!scene_ || !myParent())
        return;
    AlertRequest request;
    request.title = QStringLiteral("Delete Scene Card");
    request.message =
        scene_->beatCardNumber() >= 1
            ? QStringLiteral("This scene card is linked to a beat. If you delete the card, you will no longer have a "
                             "card linked to the beat. Are you sure you want to delete it?")
            : QStringLiteral("Are you sure you want to delete this scene card? If you might need it again, you can "
                             "drag it to the Litter Box instead.");
    request.defaultButton = QStringLiteral("No");
    request.otherButton = QStringLiteral("Yes");
    if (Platform::alerts().runAlert(request) != AlertDefaultReturn)
        myParent()->deleteSceneCard(scene_);
}

void SceneCardView::pageToNextSceneCard()
{
    if (scene_ && myParent() && screenplay() && screenplay()->boardView() == 1)
        myParent()->pageToSceneCardAfterSceneCard(scene_);
}

void SceneCardView::pageToPreviousSceneCard()
{
    if (scene_ && myParent() && screenplay() && screenplay()->boardView() == 1)
        myParent()->pageToSceneCardBeforeSceneCard(scene_);
}

void SceneCardView::bringToTheTop()
{
    if (!scene_ || scene_->onBoard() != 1 || !screenplay())
        return;
    if (screenplay()->boardView() == 1 && myBoardViewParent_)
        myBoardViewParent_->popToTheTop(*this);
    else if (screenplay()->boardView() == 2 && myBoardListViewParent_)
        myBoardListViewParent_->popToTheTop(*this);
}

QPixmap SceneCardView::myViewImage() const
{
    return view() ? view()->grab() : QPixmap();
}


void takeCardViewOffItsPresentation(SceneCardView& control)
{
    QWidget* cardView = control.view();
    if (!cardView || !cardView->parentWidget())
        return;
    // A widget that changes windows makes Qt walk both windows' focus chains, so a board of
    // many cards would take long to clear: the views wait on a hidden shelf of their window.
    QWidget* window = control.myParent() && control.myParent()->window() ? control.myParent()->window() : nullptr;
    QWidget* shelf = window ? window->findChild<QWidget*>(QStringLiteral("cardShelf"), Qt::FindDirectChildrenOnly)
                            : nullptr;
    if (window && !shelf) {
        shelf = new QWidget(window);
        shelf->setObjectName(QStringLiteral("cardShelf"));
        shelf->hide();
    }
    cardView->hide();
    if (cardView->parentWidget() != shelf)
        cardView->setParent(shelf);
}

QColor colorForStripe(const Screenplaydb& story, std::int64_t colorCodeID)
{
    return colorCodeID == 0 ? QColor(Qt::white) : colorOfCode(story.colorForColorCodeID(colorCodeID));
}
