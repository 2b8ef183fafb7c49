#include "BigSceneView.h"

#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/SceneCardView.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const std::array<const char*, 6> kTabTitles{"Notes", "Set-ups", "Pay-offs", "Characters", "Attachments", "Script"};

// The stripes stand in a column along the card's left edge.
constexpr int kStripeWidth = 8;

// A single-line field's text, or its placeholder when it was left empty.
QString textOrDefault(const QLineEdit* field, const QString& fallback)
{
    return field->text().isEmpty() ? fallback : field->text();
}

template <typename Records>
long long countOnCard(const Records& records, std::int64_t sceneCardID)
{
    return std::count_if(records.begin(), records.end(),
                         [sceneCardID](const auto& record) { return record->sceneCardID() == sceneCardID; });
}

} // namespace

BigSceneView::BigSceneView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene)
    : BaseViewController(QStringLiteral("BigSceneView"), parent, screenplay), scene_(scene)
{
    buildView();
    setSelectedTabID(1);
}

BigSceneView::~BigSceneView() = default;

void BigSceneView::buildView()
{
    auto* view = new QFrame;
    view->setObjectName(QStringLiteral("BigSceneView"));
    view->setFrameShape(QFrame::Box);
    view->setAutoFillBackground(true);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, Qt::white);
    view->setPalette(palette);
    setView(view);

    auto* outer = new QHBoxLayout(view);
    outer->setContentsMargins(0, 0, 4, 4);
    auto* stripes = new QVBoxLayout;
    stripes->setSpacing(0);
    for (std::size_t i = 0; i < colorStripes_.size(); ++i) {
        auto* stripe = new QFrame;
        stripe->setObjectName(QStringLiteral("lblColor%1").arg(i + 1));
        stripe->setFixedWidth(kStripeWidth);
        stripe->setAutoFillBackground(true);
        stripes->addWidget(stripe, 1);
        colorStripes_[i] = stripe;
    }
    outer->addLayout(stripes);

    auto* column = new QVBoxLayout;
    outer->addLayout(column, 1);
    auto* top = new QHBoxLayout;
    cmdPreviousCard_ = new QPushButton(tr("Previous"));
    cmdPreviousCard_->setObjectName(QStringLiteral("cmdPreviousCard"));
    tfHeading_ = new QLineEdit;
    tfHeading_->setObjectName(QStringLiteral("tfHeading"));
    cmdNextCard_ = new QPushButton(tr("Next"));
    cmdNextCard_->setObjectName(QStringLiteral("cmdNextCard"));
    cmdClose_ = new QPushButton(tr("Close"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    top->addWidget(cmdPreviousCard_);
    top->addWidget(tfHeading_, 1);
    top->addWidget(cmdNextCard_);
    top->addWidget(cmdClose_);
    column->addLayout(top);

    tfDescription_ = new QPlainTextEdit;
    tfDescription_->setObjectName(QStringLiteral("tfDescription"));
    column->addWidget(tfDescription_, 1);
    tfEmotionalChange_ = new QLineEdit;
    tfEmotionalChange_->setObjectName(QStringLiteral("tfEmotionalChange"));
    tfConflict_ = new QLineEdit;
    tfConflict_->setObjectName(QStringLiteral("tfConflict"));
    column->addWidget(tfEmotionalChange_);
    column->addWidget(tfConflict_);
    lblIndicators_ = new QLabel;
    lblIndicators_->setObjectName(QStringLiteral("lblIndicators"));
    column->addWidget(lblIndicators_);

    auto* tabRow = new QHBoxLayout;
    tabs_ = new QStackedWidget;
    for (std::size_t i = 0; i < tabButtons_.size(); ++i) {
        const auto tab = static_cast<std::int64_t>(i + 1);
        auto* button = new QPushButton(tr(kTabTitles[i]));
        button->setObjectName(QStringLiteral("tab%1").arg(tab));
        button->setCheckable(true);
        tabRow->addWidget(button);
        tabButtons_[i] = button;
        connect(button, &QPushButton::clicked, this, [this, tab] { guardedCall([this, tab] { setSelectedTabID(tab); }); });
        auto* content = new QWidget;
        content->setObjectName(QStringLiteral("tabContent%1").arg(tab));
        tabs_->addWidget(content);
    }
    column->addLayout(tabRow);
    column->addWidget(tabs_, 1);

    for (QLineEdit* field : {tfHeading_, tfEmotionalChange_, tfConflict_})
        connect(field, &QLineEdit::editingFinished, this, [this, field] { guardedCall([this, field] { saveChanges(field); }); });
    tfDescription_->installEventFilter(this);
    connect(cmdPreviousCard_, &QPushButton::clicked, this, [this] { guardedCall([this] { pageBy(-1); }); });
    connect(cmdNextCard_, &QPushButton::clicked, this, [this] { guardedCall([this] { pageBy(1); }); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] {
        guardedCall([this] {
            saveChanges(nullptr);
            // The card closes once the click is over: the button goes with it.
            const QPointer<MyDocument> document = myParent();
            QTimer::singleShot(0, document, [document] {
                guardedCall([&] {
                    if (document)
                        document->closeBigSceneCard();
                });
            });
        });
    });
}

bool BigSceneView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tfDescription_ && event->type() == QEvent::FocusOut)
        guardedCall([this] { saveChanges(tfDescription_); });
    return BaseViewController::eventFilter(watched, event);
}

QPushButton* BigSceneView::tabButton(int tab) const
{
    return tab >= 1 && tab <= 6 ? tabButtons_[static_cast<std::size_t>(tab - 1)] : nullptr;
}

QWidget* BigSceneView::tabContent(int tab) const
{
    return tab >= 1 && tab <= 6 ? tabs_->widget(tab - 1) : nullptr;
}

QFrame* BigSceneView::colorStripe(int stripe) const
{
    return stripe >= 1 && stripe <= 6 ? colorStripes_[static_cast<std::size_t>(stripe - 1)] : nullptr;
}

void BigSceneView::setSelectedTabID(std::int64_t tab)
{
    if (tab < 1 || tab > 6)
        return;
    selectedTabID_ = tab;
    for (std::size_t i = 0; i < tabButtons_.size(); ++i)
        tabButtons_[i]->setChecked(static_cast<std::int64_t>(i + 1) == tab);
    tabs_->setCurrentIndex(static_cast<int>(tab - 1));
}

void BigSceneView::saveChanges(QWidget* field)
{
    if (!scene_)
        return;
    if (!field || field == tfHeading_)
        scene_->setHeading(textOrDefault(tfHeading_, QStringLiteral("SCENE HEADING")));
    if (!field || field == tfDescription_)
        scene_->setDescription(tfDescription_->toPlainText());
    if (!field || field == tfEmotionalChange_)
        scene_->setEmotionalChange(textOrDefault(tfEmotionalChange_, QStringLiteral("Emotional Change")));
    if (!field || field == tfConflict_)
        scene_->setConflict(textOrDefault(tfConflict_, QStringLiteral("Conflict")));
    scene_->save();
}

void BigSceneView::refreshView()
{
    if (!scene_)
        return;
    tfHeading_->setText(scene_->heading());
    tfDescription_->setPlainText(scene_->description());
    tfEmotionalChange_->setText(scene_->emotionalChange());
    tfConflict_->setText(scene_->conflict());
    setColors();
    configureIndicators();
    resetFonts();
}

void BigSceneView::configureIndicators()
{
    Screenplaydb* story = screenplay();
    if (!scene_ || !story)
        return;
    const std::int64_t key = scene_->sceneCardID();
    long long linkedSetups = 0;
    long long setups = 0;
    for (const auto& setup : story->sceneSetups()) {
        if (setup->sceneCardID() != key)
            continue;
        ++setups;
        if (setup->scenePayoffID() != 0)
            ++linkedSetups;
    }
    long long linkedPayoffs = 0;
    long long payoffs = 0;
    for (const auto& payoff : story->scenePayoffs()) {
        if (payoff->sceneCardID() != key)
            continue;
        ++payoffs;
        if (story->setupForPayoffID(payoff->scenePayoffID()))
            ++linkedPayoffs;
    }
    lblIndicators_->setText(tr("Set-ups %1 (%2 paid off)   Pay-offs %3 (%4 set up)   Characters %5   Attachments %6")
                                .arg(setups)
                                .arg(linkedSetups)
                                .arg(payoffs)
                                .arg(linkedPayoffs)
                                .arg(countOnCard(story->sceneCardCharacters(), key))
                                .arg(countOnCard(story->sceneCardObjects(), key)));
}

void BigSceneView::resetFonts()
{
    if (!screenplay())
        return;
    const int size = static_cast<int>(screenplay()->standardFontSetting()) + 11;
    const QFont text = standardFont(size, false);
    for (QWidget* field : std::initializer_list<QWidget*>{tfHeading_, tfDescription_, tfEmotionalChange_, tfConflict_})
        field->setFont(text);
    lblIndicators_->setFont(standardFont(size, true));
}

void BigSceneView::setColors()
{
    if (!scene_ || !screenplay())
        return;
    for (int stripe = 1; stripe <= 6; ++stripe) {
        QFrame* frame = colorStripe(stripe);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, colorForStripe(*screenplay(), scene_->colorLegendID(stripe)));
        frame->setPalette(palette);
    }
}

// The previous (next) board card opens on the tab that shows. A card that is not on the
// board pages to the board's last (first) card.
void BigSceneView::pageBy(int step)
{
    MyDocument* document = myParent();
    Screenplaydb* story = screenplay();
    if (!document || !story || !scene_ || story->sceneCards().empty())
        return;
    const auto& cards = story->sceneCards();
    const std::int64_t index = story->indexOfSceneCardWithID(scene_->sceneCardID());
    const std::int64_t target = index < 0 ? (step > 0 ? 0 : static_cast<std::int64_t>(cards.size()) - 1) : index + step;
    if (target < 0 || target >= static_cast<std::int64_t>(cards.size()))
        return;
    document->openBigSceneCard(cards[static_cast<std::size_t>(target)].get(), selectedTabID_);
}
