#include "SmallSceneCard.h"

#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "board/SceneCardView.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

constexpr int kStripeWidth = 6;
constexpr int kStripeHeight = SmallSceneCard::kHeight / 6;

void fill(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

SmallSceneCard::SmallSceneCard(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* sceneCard)
    : BaseViewController(QStringLiteral("SmallSceneCard"), parent, screenplay), scene_(sceneCard)
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
    lblHeading_ = new QLabel(view);
    lblHeading_->setObjectName(QStringLiteral("lblHeading"));
    lblHeading_->setGeometry(kStripeWidth + 4, 4, kWidth - kStripeWidth - 8, kHeight - 8);
    lblHeading_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblHeading_->setWordWrap(true);
    if (scene_)
        lblHeading_->setText(scene_->heading());
    cmdSelect_ = new ButtonResponder(view);
    cmdSelect_->setObjectName(QStringLiteral("cmdSelect"));
    cmdSelect_->setFlat(true);
    cmdSelect_->setGeometry(0, 0, kWidth, kHeight);
    cmdSelect_->setMySmallSceneCardParent(this);
    connect(cmdSelect_, &QPushButton::clicked, this, [this] { guardedCall([this] { select(); }); });
    setIsEnabled(false);
    setColors();
}

SmallSceneCard::~SmallSceneCard()
{
    // The pop-up lies on the board pane, not on this card's view.
    removeRegularSceneCard();
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

void SmallSceneCard::select()
{
    // The document stores the large card's fields before it shows this card.
    if (myParent() && scene_)
        myParent()->openBigSceneCard(scene_, 0);
}

void SmallSceneCard::popUpRegularSceneCard()
{
    MyDocument* document = myParent();
    QScrollArea* strip = document ? document->scrMiniSceneCards() : nullptr;
    QWidget* pane = document ? document->boardPane() : nullptr;
    if (!scene_ || !screenplay() || !strip || !pane || !view())
        return;
    removeRegularSceneCard();
    popUpCard_ = std::make_unique<SceneCardView>(document, screenplay());
    popUpCard_->setScene(scene_);
    popUpCard_->setShowsControls(false);
    const BoardSections& sections = screenplay()->boardSections();
    const int width = static_cast<int>(sections.STANDARDSCENECARDWIDTH());
    const int height = static_cast<int>(sections.STANDARDSCENECARDHEIGHT());
    const int x = strip->x() + view()->x() - strip->horizontalScrollBar()->value();
    QWidget* card = popUpCard_->view();
    card->setParent(pane);
    card->setGeometry(x, strip->y() - height, width, height);
    card->raise();
    card->show();
}

void SmallSceneCard::removeRegularSceneCard()
{
    popUpCard_.reset();
}
