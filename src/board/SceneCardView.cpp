#include "SceneCardView.h"

#include "BoardView.h"
#include "model/CardPlacement.h"
#include "ColorCodeSelector.h"
#include "SceneCardEdits.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryLinkIndex.h"
#include "panes/BeatsTableView.h"
#include "panes/SetupPayoffTableView.h"
#include "panes/ModalDialogs.h"
#include "platform/Platform.h"
#include "platform/ScreenDensity.h"
#include "scene_editor/BigSceneView.h"

#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace {

const QColor kBrown(205, 133, 63);

} // namespace

SceneCardView::SceneCardView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("SceneCardView"), parent, screenplay)
{
    painter_.look().markedTab = myParent() ? myParent()->standardBackgroundColor() : kBrown;
    setSelectedTab(1);
    setScreenplay(screenplay);
}

SceneCardView::~SceneCardView()
{
    // The editor may still hold the focus: its last edit is not stored from here on.
    if (editor_) {
        editor_->removeEventFilter(this);
        editor_->disconnect(this);
    }
    if (myBoardViewParent_)
        myBoardViewParent_->forgetCard(*this);
}

void SceneCardView::buildView()
{
    auto* root = new SceneCardDragDropView;
    root->setObjectName(QStringLiteral("SceneCardView"));
    root->setMySceneCardParent(this);
    root->resize(cardSize());
    setView(root);
    viewMade_ = true;
}

QWidget* SceneCardView::view() const
{
    if (QWidget* made = madeView())
        return made;
    auto* self = const_cast<SceneCardView*>(this);
    self->buildView();
    // A card the corkboard paints takes its place on the board as a widget of its own.
    if (myBoardViewParent_ && shownOnBoard_)
        myBoardViewParent_->seatCardView(*self);
    return madeView();
}

void SceneCardView::setBoardFrame(const QRect& frame)
{
    boardFrame_ = frame;
    if (myBoardViewParent_)
        myBoardViewParent_->cardFrameChanged(*this);
}

SceneCardDragDropView* SceneCardView::dragDropView() const
{
    return static_cast<SceneCardDragDropView*>(view());
}

void SceneCardView::releaseView()
{
    QWidget* made = madeView();
    if (!made || editor_)
        return;
    // The card shows as it did: its board paints it where the widget lay.
    BoardView* board = myBoardViewParent_.data();
    const bool painted = board && shownOnBoard_;
    if (painted && made->parentWidget() == board->view())
        setBoardFrame(made->geometry());
    // The widget may be in the middle of handling an event: it goes once that is over.
    takeView();
    viewMade_ = false;
    static_cast<SceneCardDragDropView*>(made)->setMySceneCardParent(nullptr);
    made->hide();
    made->deleteLater();
    if (painted)
        board->updateCard(*this);
}

BoardView* SceneCardView::myBoardViewParent() const
{
    return myBoardViewParent_.data();
}

void SceneCardView::setMyBoardViewParent(BoardView* board)
{
    if (myBoardViewParent_ && myBoardViewParent_ != board)
        myBoardViewParent_->forgetCard(*this);
    myBoardViewParent_ = board;
}

QSize SceneCardView::cardSize() const
{
    if (const QWidget* made = madeView())
        return made->size();
    return standardSize();
}

QSize SceneCardView::standardSize() const
{
    if (const Screenplaydb* story = screenplay())
        return story->boardSections().standardCardSize();
    return layout_.card;
}

const SceneCardLayout& SceneCardView::layout() const
{
    const_cast<SceneCardView*>(this)->layOut(standardSize());
    return layout_;
}

void SceneCardView::setScreenplay(Screenplaydb* screenplay)
{
    BaseViewController::setScreenplay(screenplay);
    if (screenplay && madeView())
        madeView()->resize(static_cast<int>(screenplay->boardSections().STANDARDSCENECARDWIDTH()),
                           static_cast<int>(screenplay->boardSections().STANDARDSCENECARDHEIGHT()));
}

QColor SceneCardView::stripeColor(int stripe) const
{
    return stripe >= 1 && stripe <= 6 ? look().stripes[static_cast<std::size_t>(stripe - 1)]
                                      : QColor(Qt::white);
}

QColor SceneCardView::tabBackground(std::int64_t tab) const
{
    const SceneCardLook& shown = look();
    return tab == shown.selectedTab ? shown.markedTab : QColor(Qt::white);
}

QString SceneCardView::fieldText(SceneCardPart field) const
{
    const SceneCardLook& shown = look();
    switch (field) {
    case SceneCardPart::Heading:
        return shown.heading;
    case SceneCardPart::PageNumber:
        return shown.pageNumber;
    case SceneCardPart::Description:
        return shown.text;
    case SceneCardPart::EmotionalChange:
        return shown.emotionalChange;
    case SceneCardPart::Conflict:
        return shown.conflict;
    default:
        return {};
    }
}

void SceneCardView::repaint()
{
    painter_.lookChanged();
    updateRect(QRect(QPoint(0, 0), cardSize()));
}

void SceneCardView::updateRect(const QRect& rect)
{
    if (QWidget* made = madeView())
        made->update(rect);
    else if (myBoardViewParent_ && shownOnBoard_)
        myBoardViewParent_->updateCard(*this, rect);
}

void SceneCardView::paintCard(QPainter& painter)
{
    paintCard(painter, cardSize());
}

void SceneCardView::paintCard(QPainter& painter, const QSize& area)
{
    look();
    // A picture is read once it shows.
    if (painter_.look().thumbnailPending &&
        (!painter.hasClipping() || painter.clipBoundingRect().toAlignedRect().intersects(layout().photoBackground)))
        resolveThumbnail(screenplay() ? screenplay()->attachmentForID(painter_.look().thumbnailAttachmentID) : nullptr);
    painter_.paint(painter, layout(), area);
}

void SceneCardView::resolveThumbnail(const AttachedObjectdb* attachment)
{
    SceneCardLook& raw = painter_.look();
    if (!raw.thumbnailPending)
        return;
    raw.thumbnailPending = false;
    raw.thumbnail = thumbnailOfAttachment(attachment);
    painter_.lookChanged();
    // A picture that cannot be read leaves the card without one: the text area takes its place.
    if (raw.thumbnail.isNull() && layout_.thumbnailShown)
        layOut(standardSize());
}

// --- Filling the card --------------------------------------------------------------------------

void SceneCardView::setScene(SceneCarddb* scene)
{
    if (scene && screenplay()) {
        setScene(scene, StoryLinkIndex(*screenplay(), scene->sceneCardID()));
        return;
    }
    if (editor_)
        commitEditing();
    scene_ = scene;
}

void SceneCardView::setScene(SceneCarddb* scene, const StoryLinkIndex& links)
{
    setScene(scene, scene ? thumbnailAttachmentOfCard(links, scene->sceneCardID()) : 0);
}

void SceneCardView::setScene(SceneCarddb* scene, std::int64_t thumbnailAttachmentID)
{
    if (editor_)
        commitEditing();
    scene_ = scene;
    if (!scene_ || !screenplay())
        return;
    // What the card shows is read when first needed (most cards of a large board are never
    // painted); which picture it shows is known now, since the layout depends on it.
    SceneCardLook& raw = painter_.look();
    raw.thumbnailAttachmentID = thumbnailAttachmentID;
    raw.thumbnail = QPixmap();
    raw.thumbnailPending = thumbnailAttachmentID != 0;
    lookRead_ = false;
    setupForCurrentBoardZoomFactor();
}

void SceneCardView::readLook(const StoryLinkIndex& links)
{
    if (!scene_ || !screenplay())
        return;
    SceneCardLook& raw = painter_.look();
    SceneCardLook fresh =
        lookOfCard(*screenplay(), *scene_, links, selectedTab_, raw.markedTab, ThumbnailReading::AtFirstPaint);
    fresh.thumbTackImage = raw.thumbTackImage;
    fresh.showsControls = raw.showsControls;
    fresh.editedPart = raw.editedPart;
    const bool hadPicture = raw.thumbnailPending || !raw.thumbnail.isNull();
    if (fresh.thumbnailAttachmentID == raw.thumbnailAttachmentID) {
        fresh.thumbnail = raw.thumbnail;
        fresh.thumbnailPending = raw.thumbnailPending;
    }
    const bool hasPicture = fresh.thumbnailPending || !fresh.thumbnail.isNull();
    painter_.setLook(std::move(fresh));
    lookRead_ = true;
    if (hasPicture != hadPicture)
        layOut(standardSize());
}

SceneCardLook& SceneCardView::look() const
{
    auto* self = const_cast<SceneCardView*>(this);
    if (!lookRead_ && scene_ && screenplay())
        self->readLook(StoryLinkIndex(*screenplay(), scene_->sceneCardID()));
    return self->painter_.look();
}

const std::vector<SceneCardIndicator>& SceneCardView::indicators() const
{
    return look().indicators;
}

SceneCardPart SceneCardView::partAt(const QPoint& point) const
{
    return layout().partAt(point, static_cast<int>(look().indicators.size()));
}

QColor SceneCardView::emotionalChangeTypeColor() const
{
    return look().emotionalChangeType;
}

void SceneCardView::fillDescription()
{
    if (!scene_)
        return;
    // A look not read yet takes the text when it is read.
    if (lookRead_)
        look().text = selectedTab_ == 2 ? scene_->notes() : scene_->description();
    repaint();
}

void SceneCardView::setColors()
{
    if (!scene_ || !screenplay())
        return;
    // A look not read yet takes the colours when it is read.
    if (lookRead_)
        for (int stripe = 1; stripe <= 6; ++stripe)
            look().stripes[static_cast<std::size_t>(stripe - 1)] =
                colorForStripe(*screenplay(), scene_->colorLegendID(stripe));
    repaint();
}

void SceneCardView::setEmotionalChangeTypeColor()
{
    if (!scene_)
        return;
    if (lookRead_) {
        SceneCardLook& shown = look();
        shown.emotionalChangeType = ::emotionalChangeTypeColor(scene_->emotionalChangeType(), shown.emotionalChangeType);
    }
    repaint();
}

void SceneCardView::setupForCurrentBoardZoomFactor()
{
    if (!screenplay())
        return;
    const QSize size = standardSize();
    if (QWidget* made = madeView())
        made->resize(size);
    layOut(size);
    // The look stays as it is: the painter keeps the texts it worked out unless the layout changed
    // under them, which it sees itself.
    updateRect(QRect(QPoint(0, 0), cardSize()));
}

void SceneCardView::layOut(const QSize& size)
{
    const Screenplaydb* story = screenplay();
    if (!story)
        return;
    const SceneCardLook& raw = painter_.look();
    const LayoutInputs inputs{story->boardZoomFactor(), size, story->boardView() == 2,
                              raw.thumbnailPending || !raw.thumbnail.isNull()};
    // The same zoom, size, presentation and picture give the same layout.
    if (laidOut_ && *laidOut_ == inputs)
        return;
    laidOut_ = inputs;
    layout_ = sceneCardLayout(inputs.zoom, size, inputs.inList, inputs.hasThumbnail, layout_);
    if (editor_) {
        editor_->setGeometry(layout_.frame(editedPart_));
        editor_->setFont(fieldFont(editedPart_));
    }
}

void SceneCardView::setupForCurrentBoardZoomFactor(const StoryLinkIndex& links)
{
    setupForCurrentBoardZoomFactor(scene_ ? thumbnailAttachmentOfCard(links, scene_->sceneCardID())
                                          : painter_.look().thumbnailAttachmentID);
}

void SceneCardView::setupForCurrentBoardZoomFactor(std::int64_t thumbnailAttachmentID)
{
    setThumbnailAttachmentID(thumbnailAttachmentID);
    setupForCurrentBoardZoomFactor();
}

void SceneCardView::setThumbnailAttachmentID(std::int64_t thumbnailAttachmentID)
{
    SceneCardLook& raw = painter_.look();
    if (!scene_ || thumbnailAttachmentID == raw.thumbnailAttachmentID)
        return;
    raw.thumbnailAttachmentID = thumbnailAttachmentID;
    raw.thumbnail = QPixmap();
    raw.thumbnailPending = thumbnailAttachmentID != 0;
}

void SceneCardView::refreshThumbnail()
{
    if (screenplay() && scene_)
        setupForCurrentBoardZoomFactor(StoryLinkIndex(*screenplay(), scene_->sceneCardID()));
    else
        setupForCurrentBoardZoomFactor();
}

void SceneCardView::configureIndicators()
{
    if (screenplay() && scene_) {
        configureIndicators(StoryLinkIndex(*screenplay(), scene_->sceneCardID()));
        return;
    }
    look().indicators.clear();
    repaint();
}

void SceneCardView::configureIndicators(const StoryLinkIndex& links)
{
    // A look not read yet is read whole, from the same index.
    if (screenplay() && scene_ && !lookRead_)
        readLook(links);
    else if (screenplay() && scene_)
        look().indicators = indicatorsOfCard(*screenplay(), *scene_, links);
    else
        look().indicators.clear();
    repaint();
}

QString SceneCardView::toolTipAt(const QPoint& point) const
{
    const std::vector<SceneCardIndicator>& shown = look().indicators;
    for (std::size_t index = 0; index < shown.size(); ++index)
        if (layout().indicatorFrame(static_cast<int>(index)).contains(point))
            return shown[index].toolTip;
    switch (partAt(point)) {
    case SceneCardPart::DescriptionTab:
        return tr("Description");
    case SceneCardPart::NotesTab:
        return tr("Notes");
    case SceneCardPart::EmotionalChangeType:
        return tr("Double-click to change the emotional change");
    case SceneCardPart::Advice:
        return showsControls() ? tr("Advice") : QString();
    case SceneCardPart::Delete:
        return showsControls() ? tr("Delete Scene Card") : QString();
    default:
        return {};
    }
}

void SceneCardView::setThumbTackImage(const QString& name)
{
    painter_.look().thumbTackImage = name;
    updateRect(layout().thumbTack);
}

void SceneCardView::setShowsControls(bool flag)
{
    painter_.look().showsControls = flag;
    repaint();
}

// --- Page number and tabs ----------------------------------------------------------------------

void SceneCardView::showPageNumber(std::int64_t page)
{
    const QString text = QString::number(static_cast<qlonglong>(page));
    SceneCardLook& shown = look();
    if (shown.pageNumber == text)
        return;
    shown.pageNumber = text;
    updateRect(layout().pageNumber);
}

void SceneCardView::setSelectedTab(std::int64_t tab)
{
    if (tab != 1 && tab != 2) {
        repaint();
        return;
    }
    selectedTab_ = tab;
    painter_.look().selectedTab = tab;
    fillDescription();
}

std::int64_t SceneCardView::selectColorCodeID(std::int64_t colorCodeID)
{
    // A fresh dialog for every pick.
    ColorCodeSelector selector(QStringLiteral("ColorCodeSelector"), screenplay(),
                                  madeView() ? madeView()->window() : nullptr);
    ModalDialogs::paintBackground(selector, myParent() ? myParent()->standardBackgroundColor() : kBrown);
    selector.setUseMode(ColorCodeSelector::Scene);
    selector.setSelectedColorID(colorCodeID);
    selector.runModal();
    selector.close();
    return selector.selectedColorID();
}

// --- Clicks and edits --------------------------------------------------------------------------

void SceneCardView::userClicked(SceneCardPart part, int clickCount)
{
    clickCount_ = clickCount;
    if (!scene_)
        return;
    if (const int stripe = stripeOfPart(part)) {
        scene_->setColorLegendID(stripe, selectColorCodeID(scene_->colorLegendID(stripe)));
        scene_->save();
        setColors();
        return;
    }
    switch (part) {
    case SceneCardPart::EmotionalChangeType: {
        if (clickCount != 2)
            return;
        const std::int64_t type = scene_->emotionalChangeType();
        if (type >= 0 && type <= 2)
            scene_->setEmotionalChangeType((type + 1) % 3);
        scene_->save();
        setEmotionalChangeTypeColor();
        return;
    }
    case SceneCardPart::DescriptionTab:
    case SceneCardPart::NotesTab: {
        const std::int64_t wanted = part == SceneCardPart::DescriptionTab ? 1 : 2;
        if (selectedTab_ == wanted)
            return;
        // The text being edited is written first; a text only shown is no edit, and a beat
        // card's beat keeps its own description.
        if (editedPart_ == SceneCardPart::Description)
            commitEditing();
        setSelectedTab(wanted);
        return;
    }
    case SceneCardPart::TitleBar:
        if (clickCount == 2)
            openInLargeCard(false);
        return;
    case SceneCardPart::Advice:
        showAdvice();
        return;
    case SceneCardPart::Delete:
        deleteSceneCard();
        return;
    default:
        return;
    }
}

void SceneCardView::controlTextDidEndEditing(SceneCardPart field, const QString& text)
{
    if (!scene_)
        return;
    SceneCardLook& shown = look();
    switch (field) {
    case SceneCardPart::Heading:
        scene_->setHeading(fieldTextOrPlaceholder(text, QStringLiteral("SCENE HEADING")).toUpper());
        // The card shows what was stored.
        shown.heading = scene_->heading();
        break;
    case SceneCardPart::Description:
        shown.text = text;
        if (selectedTab_ == 2) {
            scene_->setNotes(text);
        } else if (selectedTab_ == 1) {
            SceneCardEdits::setDescription(*screenplay(), *scene_, text, myParent());
        }
        break;
    case SceneCardPart::EmotionalChange:
        shown.emotionalChange = fieldTextOrPlaceholder(text, QStringLiteral("Emotional Change"));
        scene_->setEmotionalChange(shown.emotionalChange);
        break;
    case SceneCardPart::Conflict:
        shown.conflict = fieldTextOrPlaceholder(text, QStringLiteral("Conflict"));
        scene_->setConflict(shown.conflict);
        break;
    default:
        break;
    }
    repaint();
    scene_->save();
}

void refreshStoryElementsTable(MyDocument& document, std::int64_t section)
{
    const Screenplaydb* story = document.currentScreenplay();
    if (!story || document.beatsIsHidden() || story->beatSectionShowing() != section || !document.beatSectionTable())
        return;
    if (section == 0 && document.beatsTableView())
        document.beatsTableView()->refreshView();
    else if (section == 3 && document.setupsTableView())
        document.setupsTableView()->refreshView();
    else if (section == 4 && document.payoffsTableView())
        document.payoffsTableView()->refreshView();
    else
        document.setBeatSection(section);
}

void SceneCardView::showAdvice()
{
    if (myParent())
        myParent()->showHelpForTopic(QStringLiteral("SCENECARD"));
}

void SceneCardView::deleteSceneCard()
{
    if (!scene_ || !myParent())
        return;
    if (Platform::alerts().runAlert(SceneCardEdits::deleteQuestion(*scene_)) != AlertDefaultReturn)
        myParent()->deleteSceneCard(scene_);
}

void SceneCardView::openInLargeCard(bool fromKeyboard)
{
    if (!scene_ || !myParent())
        return;
    // Opened once the click (or key) is over: the card's view leaves the board on the way.
    const QPointer<MyDocument> document = myParent();
    const std::int64_t key = scene_->sceneCardID();
    QTimer::singleShot(0, document, [document, key, fromKeyboard] {
        guardedCall([&] {
            if (!document || !document->currentScreenplay())
                return;
            document->openBigSceneCard(document->currentScreenplay()->sceneCardForSceneCardID(key), 1);
            // From the keyboard, typing goes on into the large card's heading.
            if (BigSceneView* big = fromKeyboard ? document->bigSceneViewController() : nullptr)
                big->tfHeading()->setFocus(Qt::OtherFocusReason);
        });
    });
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
    if (QWidget* made = madeView()) {
        const qreal ratio = made->devicePixelRatioF();
        QPixmap image(made->size() * ratio);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        made->render(&painter);
        return image;
    }
    // A card without a widget (painted by its board, or never shown) is painted as its widget
    // would paint it, reading what it shows first, at the density of the screen.
    QPixmap image = ScreenDensity::blank(cardSize(), ScreenDensity::highest());
    QPainter painter(&image);
    const_cast<SceneCardView*>(this)->paintCard(painter, cardSize());
    return image;
}

void takeCardViewOffItsPresentation(SceneCardView& control)
{
    if (BoardView* board = control.myBoardViewParent())
        board->forgetCard(control);
    QWidget* cardView = control.madeView();
    if (!cardView || !cardView->parentWidget())
        return;
    // A card that leaves its presentation keeps nothing typed into it unwritten.
    control.commitEditing();
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
