#include "LitterBoxView.h"

#include "DropAnswers.h"
#include "RecordPasteboardType.h"
#include "SceneCardView.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "model/BoardSections.h"
#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "model/StoryLinkIndex.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPainter>

#include <algorithm>
#include <optional>

namespace Pasteboard = RecordPasteboardType;

namespace {

constexpr int kBrownBarHeight = 8;
constexpr int kActBarHeight = 44;
constexpr int kBeatBarHeight = 32;
constexpr int kTextWidth = 258;
constexpr int kTextHeight = 18;
// Brown bars overlap what follows them by two points; an act bar by two points too.
constexpr float kBrownBarStep = 6.0f;
constexpr float kActBarStep = 42.0f;
constexpr float kBeatBarStep = 32.0f;
// A card stands one point inside the column's left edge and fills the rest of it.
constexpr int kCardLeft = 1;
constexpr int kCardWidth = 269;

QFont columnFont(const Screenplaydb* story, bool bold)
{
    const int setting = story ? StoredRange::fontSetting(story->standardFontSetting()) : 1;
    return standardFont(setting + 11, bold);
}

} // namespace

SceneCarddb* draggedSceneCard(const MyDocument* document, const QMimeData* data, std::int64_t onBoard)
{
    if (!document || !document->currentScreenplay() || !Pasteboard::comesFrom(data, document))
        return nullptr;
    const std::optional<std::int64_t> key = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneCard));
    if (!key)
        return nullptr;
    // The row id travels as text; a 32-bit reading of it names the card.
    SceneCarddb* card = document->currentScreenplay()->sceneCardForSceneCardID(static_cast<std::int32_t>(*key));
    return card && card->onBoard() == onBoard ? card : nullptr;
}

// --- The bars ----------------------------------------------------------------------------------

LitterBoxBackground::LitterBoxBackground(QWidget* parent)
    : QFrame(parent)
{
    setAcceptDrops(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
}

LitterBoxBackground::~LitterBoxBackground()
{
    myLitterBoxParent_ = nullptr;
}

void LitterBoxBackground::setText(const QString& text, const QRect& frame, const QFont& font, const QColor& colour)
{
    text_ = text;
    textFrame_ = frame;
    textFont_ = font;
    textColour_ = colour;
    update();
}

void LitterBoxBackground::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (text_.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(textFont_);
    painter.setPen(textColour_);
    painter.drawText(textFrame_, Qt::AlignCenter, text_);
}

void LitterBoxBackground::dragEnterEvent(QDragEnterEvent* event)
{
    answerDragFor(event, myLitterBoxParent_);
}

void LitterBoxBackground::dragMoveEvent(QDragMoveEvent* event)
{
    answerDragFor(event, myLitterBoxParent_);
}

void LitterBoxBackground::dropEvent(QDropEvent* event)
{
    answerDropFor(event, myLitterBoxParent_);
}

// --- The column --------------------------------------------------------------------------------

LitterBoxView::LitterBoxView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("LitterBoxView"), parent, screenplay)
{
    auto* view = new FlippedView;
    view->setObjectName(QStringLiteral("LitterBoxView"));
    view->resize(kWidth, 0);
    setView(view);
    enterCardsByKeyboard(*view, [this] { return keyboardCard(); });
}

SceneCardView* LitterBoxView::keyboardCard() const
{
    for (const Stacked& each : stacked_)
        if (each.card && each.widget && !each.widget->isHidden())
            return each.card;
    return nullptr;
}

LitterBoxView::~LitterBoxView()
{
    // The card views are the document's: they leave before the column goes.
    takeCardViewsOff({});
}

LitterBoxBackground* LitterBoxView::bar(float y, int height, const QColor& fill)
{
    // Made in the column (a widget made without a parent and moved in later costs a window's
    // set-up and a move between windows).
    auto* box = new LitterBoxBackground(view());
    box->setMyLitterBoxParent(this);
    box->setGeometry(0, static_cast<int>(y), kWidth, height);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, fill);
    // The border in the platform's grid colour.
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Mid));
    box->setPalette(palette);
    return box;
}

LitterBoxBackground* LitterBoxView::brownBarAtY(float y)
{
    const QColor brown = myParent() ? myParent()->standardBackgroundColor() : QColor::fromRgb(205, 133, 63);
    return bar(y, kBrownBarHeight, brown);
}

LitterBoxBackground* LitterBoxView::actBar(const QString& text, float y)
{
    return textBar(text, y, kActBarHeight, Qt::white, QRect(0, 5, kTextWidth, kTextHeight), Qt::black, false);
}

LitterBoxBackground* LitterBoxView::beatBar(const QString& text, float y)
{
    const QColor brown = myParent() ? myParent()->standardBackgroundColor() : QColor::fromRgb(205, 133, 63);
    return textBar(text, y, kBeatBarHeight, brown, QRect(0, 0, kTextWidth, kTextHeight), Qt::white, true);
}

LitterBoxBackground* LitterBoxView::textBar(const QString& text, float y, int height, const QColor& fill,
                                            const QRect& textFrame, const QColor& textColor, bool bold)
{
    LitterBoxBackground* box = bar(y, height, fill);
    box->setText(text, textFrame, columnFont(screenplay(), bold), textColor);
    return box;
}

void LitterBoxView::takeCardViewsOff(const std::vector<QWidget*>& keep)
{
    MyDocument* document = myParent();
    if (!document || !view())
        return;
    for (const auto& control : document->sceneCardControls()) {
        QWidget* cardView = control->madeView();
        if (cardView && cardView->parentWidget() == view() &&
            std::find(keep.begin(), keep.end(), cardView) == keep.end())
            takeCardViewOffItsPresentation(*control);
    }
}

void LitterBoxView::refreshView()
{
    Screenplaydb* story = screenplay();
    MyDocument* document = myParent();
    QWidget* column = view();
    if (!story || !document || !column)
        return;
    sortRecords(story->litterBox(), &SceneCarddb::sortByLocation);
    const BoardSections& sections = story->boardSections();
    // What lies on the column's cards, read once for all of them.
    std::vector<std::int64_t> cards;
    cards.reserve(story->litterBox().size());
    for (const auto& card : story->litterBox())
        cards.push_back(card->sceneCardID());
    const StoryLinkIndex links(*story, cards);

    std::vector<LitterBoxBackground*> bars;
    std::vector<QWidget*> shown;
    std::vector<QWidget*> order;
    std::vector<Stacked> stacked;
    float y = 0.0f;
    auto addBar = [&](LitterBoxBackground* box, float step) {
        bars.push_back(box);
        order.push_back(box);
        stacked.push_back({box, step, nullptr});
        y += step;
    };
    auto sectionBlock = [&](const QString& label) {
        addBar(brownBarAtY(y), kBrownBarStep);
        addBar(actBar(label, y), kActBarStep);
        addBar(brownBarAtY(y), kBrownBarStep);
    };
    auto beats = [&](std::int64_t first, std::int64_t last) {
        for (std::int64_t boardBeat = first; boardBeat <= last; ++boardBeat) {
            addBar(beatBar(sections.beatLabelForBoardBeat(boardBeat), y), kBeatBarStep);
            for (const auto& card : story->litterBox()) {
                if (card->currentBeatSection() != boardBeat)
                    continue;
                SceneCardView* control = document->sceneCardControlForSceneCard(card.get());
                if (!control || !control->view())
                    continue;
                QWidget* cardView = control->view();
                if (cardView->parentWidget() != column)
                    cardView->setParent(column);
                cardView->move(kCardLeft, static_cast<int>(y));
                control->setupForCurrentBoardZoomFactor(links);
                cardView->resize(kCardWidth, cardView->height());
                shown.push_back(cardView);
                order.push_back(cardView);
                stacked.push_back({cardView, 0.0f, control});
                y += static_cast<float>(cardView->height());
                control->configureIndicators(links);
            }
        }
    };
    sectionBlock(sections.section1Label());
    beats(1, 7);
    sectionBlock(sections.section2Label());
    beats(9, 12);
    sectionBlock(sections.section3Label());
    beats(14, 17);
    sectionBlock(sections.section4Label());
    beats(19, 20);
    sectionBlock(sections.beatLabelForBoardBeat(21));

    // The old bars may be answering the drop that led here: they go once it is over.
    for (LitterBoxBackground* old : bars_) {
        old->hide();
        old->setMyLitterBoxParent(nullptr);
        old->deleteLater();
    }
    takeCardViewsOff(shown);
    bars_ = std::move(bars);
    stacked_ = std::move(stacked);
    column->resize(kWidth, static_cast<int>(y));
    for (QWidget* widget : order) {
        if (widget->parentWidget() != column)
            widget->setParent(column);
        widget->raise();
        widget->show();
    }
}

void LitterBoxView::zoomChanged()
{
    QWidget* column = view();
    if (!column)
        return;
    const bool whole = std::all_of(stacked_.begin(), stacked_.end(), [column](const Stacked& each) {
        return each.widget && each.widget->parentWidget() == column &&
               (!each.card || each.card->madeView() == each.widget);
    });
    if (!whole) {
        refreshView();
        return;
    }
    float y = 0.0f;
    for (const Stacked& each : stacked_) {
        each.widget->move(each.widget->x(), static_cast<int>(y));
        if (!each.card) {
            y += each.step;
            continue;
        }
        each.card->setupForCurrentBoardZoomFactor();
        each.widget->resize(kCardWidth, each.widget->height());
        y += static_cast<float>(each.widget->height());
    }
    column->resize(kWidth, static_cast<int>(y));
}

void LitterBoxView::dropSceneCard(std::int64_t sceneCardID)
{
    if (myParent())
        myParent()->dropSceneCardInLitterBox(sceneCardID);
}

Qt::DropAction LitterBoxView::dragOperationFor(const QMimeData* data, Qt::DropActions offered) const
{
    if (!(offered & Qt::MoveAction))
        return Qt::IgnoreAction;
    // Only a board card goes into the Litter Box.
    return draggedSceneCard(myParent(), data, 1) ? Qt::MoveAction : Qt::IgnoreAction;
}

bool LitterBoxView::performDrop(const QMimeData* data, const QPoint&)
{
    const SceneCarddb* card = draggedSceneCard(myParent(), data, 1);
    if (!card)
        return false;
    dropSceneCard(card->sceneCardID());
    return true;
}
