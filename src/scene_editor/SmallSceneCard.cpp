#include "SmallSceneCard.h"

#include "BigSceneView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "board/SceneCardPainter.h"
#include "board/SceneCardView.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kStripeWidth = 6;
constexpr int kStripeHeight = SmallSceneCard::kHeight / 6;
constexpr int kTextLeft = kStripeWidth + 4;
constexpr int kLineHeight = 16;
constexpr int kPageWidth = 34;
constexpr int kMarkWidth = 22;
constexpr int kTextPixels = 11;
constexpr int kTextWidth = SmallSceneCard::kWidth - kTextLeft - 4;
constexpr int kChangeTop = SmallSceneCard::kHeight - 2 * kLineHeight - 2;
constexpr int kConflictTop = SmallSceneCard::kHeight - kLineHeight - 2;
constexpr int kValueLeft = kTextLeft + kMarkWidth + 2;
constexpr int kValueWidth = kTextWidth - kMarkWidth - 2;

// The fonts of every small card, made once.
const QFont& textFont(bool bold)
{
    static const QFont regular = standardFont(kTextPixels, false);
    static const QFont heavy = standardFont(kTextPixels, true);
    return bold ? heavy : regular;
}

// The description shows whole lines only: a line cut in half would run into the emotional
// change below.
int descriptionHeight()
{
    static const int height = [] {
        const int lineSpacing = QFontMetrics(textFont(false)).lineSpacing();
        const int room = SmallSceneCard::kHeight - 4 - 3 * kLineHeight;
        return std::max(1, room / lineSpacing) * lineSpacing;
    }();
    return height;
}

void drawText(QPainter& painter, const QRect& frame, const QString& text, bool bold, int flags)
{
    painter.setFont(textFont(bold));
    painter.drawText(frame, flags, text);
}

} // namespace

// --- One small card --------------------------------------------------------------------------------

SmallSceneCard::SmallSceneCard(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* sceneCard)
    : myParent_(parent), screenplay_(screenplay)
{
    setScene(sceneCard);
}

SmallSceneCard::~SmallSceneCard()
{
    // The pop-up lies on the board pane, not on the strip.
    removeRegularSceneCard();
}

void SmallSceneCard::setScene(SceneCarddb* scene)
{
    scene_ = scene;
    if (!scene_)
        return;
    lookRead_ = false;
    repaint();
}

const SmallSceneCardLook& SmallSceneCard::look() const
{
    if (!lookRead_)
        fillLook();
    return *look_;
}

void SmallSceneCard::fillLook() const
{
    lookRead_ = true;
    // Made when first read: the strip reads only the cards it paints.
    if (!look_)
        look_ = std::make_unique<SmallSceneCardLook>();
    if (!scene_)
        return;
    look_->heading = scene_->heading();
    look_->description = scene_->description();
    // Empty texts show what the large card would store for them; the card keeps its own.
    look_->conflict = scene_->conflict().isEmpty() ? BigSceneView::kConflictPlaceholder : scene_->conflict();
    look_->emotionalChange =
        scene_->emotionalChange().isEmpty() ? BigSceneView::kEmotionalChangePlaceholder : scene_->emotionalChange();
    look_->pageNumber = QString::number(static_cast<qlonglong>(scene_->pageNumber()));
    readEmotionalChangeType();
    readColors();
}

void SmallSceneCard::readColors() const
{
    if (!scene_ || !screenplay())
        return;
    for (int stripe = 1; stripe <= 6; ++stripe)
        look_->stripes[static_cast<std::size_t>(stripe - 1)] =
            colorForStripe(*screenplay(), scene_->colorLegendID(stripe));
}

void SmallSceneCard::readEmotionalChangeType() const
{
    if (scene_)
        look_->emotionalChangeType =
            emotionalChangeTypeColor(scene_->emotionalChangeType(), look_->emotionalChangeType);
}

void SmallSceneCard::setIsEnabled(bool flag)
{
    if (isEnabled_ == flag)
        return;
    isEnabled_ = flag;
    repaint();
}

void SmallSceneCard::setColors()
{
    // A look not read yet reads the colours with everything else.
    if (lookRead_)
        readColors();
    repaint();
}

void SmallSceneCard::setEmotionalChangeTypeColor()
{
    if (lookRead_)
        readEmotionalChangeType();
    repaint();
}

void SmallSceneCard::repaint() const
{
    if (MyDocument* document = myParent(); document && document->vMiniSceneCards())
        document->vMiniSceneCards()->update(frame_);
}

void SmallSceneCard::paint(QPainter& painter) const
{
    const SmallSceneCardLook& shown = look();
    painter.save();
    painter.translate(frame_.topLeft());
    painter.fillRect(QRect(0, 0, kWidth, kHeight), backgroundColor());
    painter.setPen(Qt::black);
    painter.drawRect(QRect(0, 0, kWidth - 1, kHeight - 1));
    for (std::size_t index = 0; index < shown.stripes.size(); ++index)
        painter.fillRect(QRect(0, static_cast<int>(index) * kStripeHeight, kStripeWidth, kStripeHeight),
                         shown.stripes[index]);
    const int flags = Qt::AlignLeft | Qt::AlignTop;
    drawText(painter, QRect(kTextLeft, 2, kTextWidth - kPageWidth, kLineHeight), shown.heading, true, flags);
    drawText(painter, QRect(kWidth - kPageWidth - 4, 2, kPageWidth, kLineHeight), shown.pageNumber, false,
             Qt::AlignRight | Qt::AlignTop);
    drawText(painter, QRect(kTextLeft, 2 + kLineHeight, kTextWidth, descriptionHeight()), shown.description, false,
             flags | Qt::TextWordWrap);
    const QRect changeMark(kTextLeft, kChangeTop, kMarkWidth, kLineHeight - 1);
    painter.fillRect(changeMark, shown.emotionalChangeType);
    drawText(painter, changeMark, QStringLiteral("+/-"), false, Qt::AlignCenter);
    drawText(painter, QRect(kValueLeft, kChangeTop, kValueWidth, kLineHeight), shown.emotionalChange, false, flags);
    drawText(painter, QRect(kTextLeft, kConflictTop, kMarkWidth, kLineHeight), QStringLiteral("><"), false,
             Qt::AlignCenter);
    drawText(painter, QRect(kValueLeft, kConflictTop, kValueWidth, kLineHeight), shown.conflict, false, flags);
    painter.restore();
}

void SmallSceneCard::userSelected()
{
    MyDocument* document = myParent();
    if (!document || !scene_)
        return;
    if (BigSceneView* big = document->bigSceneViewController())
        big->saveChanges(nullptr);
    document->openBigSceneCard(scene_, 0);
}

void SmallSceneCard::popUpRegularSceneCard()
{
    MyDocument* document = myParent();
    QScrollArea* strip = document ? document->scrMiniSceneCards() : nullptr;
    QWidget* pane = document ? document->boardPane() : nullptr;
    if (!scene_ || !screenplay() || !strip || !pane)
        return;
    // One pop-up at a time: a leave the strip never heard of must not leave another behind.
    for (SmallSceneCard& mini : document->miniSceneCardControls())
        mini.removeRegularSceneCard();
    removeRegularSceneCard();
    const BoardSections& sections = screenplay()->boardSections();
    const int width = static_cast<int>(sections.STANDARDSCENECARDWIDTH());
    const int height = static_cast<int>(sections.STANDARDSCENECARDHEIGHT());
    const int x = strip->x() + frame_.x() - strip->horizontalScrollBar()->value();
    popUpCard_ = std::make_unique<SceneCardPopUp>(*screenplay(), *scene_, pane);
    popUpCard_->setGeometry(x, strip->y() - height, width, height);
    popUpCard_->raise();
    popUpCard_->show();
}

void SmallSceneCard::removeRegularSceneCard()
{
    popUpCard_.reset();
}

// --- The strip ---------------------------------------------------------------------------------------

MiniSceneCardStrip::MiniSceneCardStrip(std::vector<SmallSceneCard>& cards, QWidget* parent)
    : FlippedView(parent), cards_(cards)
{
    setMouseTracking(true);
}

SmallSceneCard* MiniSceneCardStrip::cardAt(const QPoint& point) const
{
    // The cards lie left to right in the document's order, one step apart.
    const auto after = std::upper_bound(cards_.begin(), cards_.end(), point.x(),
                                        [](int x, const SmallSceneCard& card) { return x < card.frame().left(); });
    if (after == cards_.begin())
        return nullptr;
    SmallSceneCard& card = *std::prev(after);
    return card.frame().contains(point) ? &card : nullptr;
}

void MiniSceneCardStrip::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    const auto first = std::upper_bound(cards_.begin(), cards_.end(), area.left(),
                                        [](int x, const SmallSceneCard& card) { return x <= card.frame().right(); });
    for (auto each = first; each != cards_.end() && each->frame().left() <= area.right(); ++each)
        if (each->frame().intersects(area))
            each->paint(painter);
}

void MiniSceneCardStrip::hover(SmallSceneCard* card)
{
    if (card == hovered_)
        return;
    if (hovered_)
        hovered_->removeRegularSceneCard();
    hovered_ = card;
    if (hovered_)
        hovered_->popUpRegularSceneCard();
}

void MiniSceneCardStrip::seePointer(const QMouseEvent& event)
{
    pointer_ = event.globalPosition().toPoint();
}

void MiniSceneCardStrip::mouseMoveEvent(QMouseEvent* event)
{
    seePointer(*event);
    guardedCall([&] { hover(cardAt(event->position().toPoint())); });
}

void MiniSceneCardStrip::leaveEvent(QEvent*)
{
    pointer_.reset();
    guardedCall([&] { hover(nullptr); });
}

void MiniSceneCardStrip::moveEvent(QMoveEvent*)
{
    if (!hovered_ || !pointer_)
        return;
    // Choosing a card at the strip's edge scrolls it into sight under the resting mouse. Its
    // pop-up goes with it: placed anew above it while the mouse still rests on it, gone when
    // it slid away. A card that slid under the mouse pops up once the mouse moves onto it.
    guardedCall([&] {
        SmallSceneCard* card = hovered_;
        hover(nullptr);
        if (cardAt(mapFromGlobal(*pointer_)) == card)
            hover(card);
    });
}

void MiniSceneCardStrip::mousePressEvent(QMouseEvent* event)
{
    seePointer(*event);
    pressed_ = event->button() == Qt::LeftButton ? cardAt(event->position().toPoint()) : nullptr;
}

void MiniSceneCardStrip::mouseReleaseEvent(QMouseEvent* event)
{
    seePointer(*event);
    SmallSceneCard* chosen = event->button() == Qt::LeftButton ? cardAt(event->position().toPoint()) : nullptr;
    const bool same = chosen && chosen == pressed_;
    pressed_ = nullptr;
    // Choosing a card may build the strip again: nothing of this strip is used after it.
    if (same)
        guardedCall([chosen] { chosen->userSelected(); });
}

SceneCardPopUp::SceneCardPopUp(Screenplaydb& story, SceneCarddb& card, QWidget* parent)
    : QWidget(parent), story_(story), card_(&card)
{
    setObjectName(QStringLiteral("SceneCardPopUp"));
    // The card underneath the mouse stays the small card's: the pop-up only shows.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SceneCardPopUp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    guardedCall([&] { paintSceneCard(painter, QRectF(rect()), story_, *card_, story_.boardZoomFactor()); });
}
