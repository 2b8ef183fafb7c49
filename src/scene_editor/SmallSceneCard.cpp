#include "SmallSceneCard.h"

#include "BigSceneView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "board/SceneCardPainter.h"
#include "board/SceneCardView.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

constexpr int kStripeWidth = 6;
constexpr int kStripeHeight = SmallSceneCard::kHeight / 6;
constexpr int kTextLeft = kStripeWidth + 4;
constexpr int kLineHeight = 16;
constexpr int kPageWidth = 34;
constexpr int kMarkWidth = 22;
constexpr int kTextPixels = 11;

void fill(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* makeText(const QString& name, QWidget* parent, const QRect& frame, bool bold = false)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(frame);
    label->setFont(standardFont(kTextPixels, bold));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

SmallSceneCard::SmallSceneCard(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* sceneCard)
    : BaseViewController(QStringLiteral("SmallSceneCard"), parent, screenplay)
{
    buildView();
    setIsEnabled(false);
    setScene(sceneCard);
}

SmallSceneCard::~SmallSceneCard()
{
    // The pop-up lies on the board pane, not on this card's view.
    removeRegularSceneCard();
}

void SmallSceneCard::buildView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("SmallSceneCard"));
    view->resize(kWidth, kHeight);
    setView(view);
    boxBackground_ = new QFrame(view);
    boxBackground_->setObjectName(QStringLiteral("boxBackground"));
    boxBackground_->setFrameShape(QFrame::Box);
    boxBackground_->setGeometry(0, 0, kWidth, kHeight);
    for (std::size_t i = 0; i < colorStripes_.size(); ++i) {
        auto* stripe = new QFrame(view);
        stripe->setObjectName(QStringLiteral("lblColor%1").arg(i + 1));
        stripe->setGeometry(0, static_cast<int>(i) * kStripeHeight, kStripeWidth, kStripeHeight);
        colorStripes_[i] = stripe;
    }
    const int textWidth = kWidth - kTextLeft - 4;
    tfHeading_ =
        makeText(QStringLiteral("tfHeading"), view, QRect(kTextLeft, 2, textWidth - kPageWidth, kLineHeight), true);
    tfPageNumber_ = makeText(QStringLiteral("tfPageNumber"), view,
                             QRect(kWidth - kPageWidth - 4, 2, kPageWidth, kLineHeight));
    tfPageNumber_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    tfDescription_ = makeText(QStringLiteral("tfDescription"), view, QRect());
    tfDescription_->setWordWrap(true);
    // Whole lines only: a line cut in half would run into the emotional change below.
    const int lineSpacing = tfDescription_->fontMetrics().lineSpacing();
    const int room = kHeight - 4 - 3 * kLineHeight;
    tfDescription_->setGeometry(kTextLeft, 2 + kLineHeight, textWidth, std::max(1, room / lineSpacing) * lineSpacing);
    const int changeTop = kHeight - 2 * kLineHeight - 2;
    const int conflictTop = kHeight - kLineHeight - 2;
    const int valueLeft = kTextLeft + kMarkWidth + 2;
    const int valueWidth = textWidth - kMarkWidth - 2;
    lblEmotionalChangeType_ = makeText(QStringLiteral("lblEmotionalChangeType"), view,
                                       QRect(kTextLeft, changeTop, kMarkWidth, kLineHeight - 1));
    lblEmotionalChangeType_->setText(QStringLiteral("+/-"));
    lblEmotionalChangeType_->setAlignment(Qt::AlignCenter);
    tfEmotionalChange_ = makeText(QStringLiteral("tfEmotionalChange"), view,
                                  QRect(valueLeft, changeTop, valueWidth, kLineHeight));
    lblConflict_ =
        makeText(QStringLiteral("lblConflict"), view, QRect(kTextLeft, conflictTop, kMarkWidth, kLineHeight));
    lblConflict_->setText(QStringLiteral("><"));
    lblConflict_->setAlignment(Qt::AlignCenter);
    tfConflict_ = makeText(QStringLiteral("tfConflict"), view,
                           QRect(valueLeft, conflictTop, valueWidth, kLineHeight));
    cmdSelect_ = new ButtonResponder(view);
    cmdSelect_->setObjectName(QStringLiteral("cmdSelect"));
    cmdSelect_->setFlat(true);
    cmdSelect_->setFocusPolicy(Qt::NoFocus);
    cmdSelect_->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    cmdSelect_->setGeometry(0, 0, kWidth, kHeight);
    cmdSelect_->setMySmallSceneCardParent(this);
    connect(cmdSelect_, &QPushButton::clicked, this, [this] { guardedCall([this] { userSelected(); }); });
}

void SmallSceneCard::setScene(SceneCarddb* scene)
{
    scene_ = scene;
    if (!scene_)
        return;
    tfHeading_->setText(scene_->heading());
    tfDescription_->setText(scene_->description());
    // Empty texts show what the large card would store for them; the card keeps its own.
    tfConflict_->setText(scene_->conflict().isEmpty() ? BigSceneView::kConflictPlaceholder : scene_->conflict());
    tfEmotionalChange_->setText(scene_->emotionalChange().isEmpty() ? BigSceneView::kEmotionalChangePlaceholder
                                                                    : scene_->emotionalChange());
    setEmotionalChangeTypeColor();
    tfPageNumber_->setText(QString::number(static_cast<qlonglong>(scene_->pageNumber())));
    setColors();
}

void SmallSceneCard::setIsEnabled(bool flag)
{
    isEnabled_ = flag;
    fill(boxBackground_, flag ? QColor(Qt::white) : QColor(Qt::lightGray));
}

QFrame* SmallSceneCard::colorStripe(int stripe) const
{
    return stripe >= 1 && stripe <= 6 ? colorStripes_[static_cast<std::size_t>(stripe - 1)] : nullptr;
}

void SmallSceneCard::setColors()
{
    if (!scene_ || !screenplay())
        return;
    for (int stripe = 1; stripe <= 6; ++stripe)
        fill(colorStripe(stripe), colorForStripe(*screenplay(), scene_->colorLegendID(stripe)));
}

void SmallSceneCard::setEmotionalChangeTypeColor()
{
    if (!scene_)
        return;
    static const std::array<QColor, 3> kTypeColors{QColor(Qt::white), QColor(Qt::green), QColor(Qt::red)};
    const std::int64_t type = scene_->emotionalChangeType();
    if (type >= 0 && type <= 2)
        fill(lblEmotionalChangeType_, kTypeColors[static_cast<std::size_t>(type)]);
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
    if (!scene_ || !screenplay() || !strip || !pane || !view())
        return;
    // One pop-up at a time: a leave the strip never heard of must not leave another behind.
    for (const auto& mini : document->miniSceneCardControls())
        mini->removeRegularSceneCard();
    removeRegularSceneCard();
    const BoardSections& sections = screenplay()->boardSections();
    const int width = static_cast<int>(sections.STANDARDSCENECARDWIDTH());
    const int height = static_cast<int>(sections.STANDARDSCENECARDHEIGHT());
    const int x = strip->x() + view()->x() - strip->horizontalScrollBar()->value();
    popUpCard_ = std::make_unique<SceneCardPopUp>(*screenplay(), *scene_, pane);
    popUpCard_->setGeometry(x, strip->y() - height, width, height);
    popUpCard_->raise();
    popUpCard_->show();
}

void SmallSceneCard::removeRegularSceneCard()
{
    popUpCard_.reset();
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
