#include "BoardView.h"

#include "BoardCardLayer.h"
#include "BoardImages.h"
#include "model/CardPlacement.h"
#include "DropAnswers.h"
#include "KeptScrollPositions.h"
#include "RecordPasteboardType.h"
#include "SceneCardView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "model/StoryLinkIndex.h"
#include "model/StoryTransaction.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QMimeData>
#include <QScrollArea>

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Pasteboard = RecordPasteboardType;

namespace {

constexpr int kRule = 4;
constexpr int kLabelWidth = 300;
constexpr int kLabelHeight = 22;
constexpr int kLabelFontSize = 12;
// The thumb tack of a card that lies on the board.
const QString kTackDown = QStringLiteral("SceneCardThumbDown");

const QColor kBlueBar(65, 117, 139);
const QColor kGreyBar(69, 69, 69);

// Beat bar font size by zoom factor (their height is BoardSections::beatBarHeight).
int beatBarFontSize(std::int64_t zoom)
{
    static constexpr std::array<int, 4> sizes{11, 12, 13, 14};
    return zoom >= 1 && zoom <= 4 ? sizes[static_cast<std::size_t>(zoom - 1)] : 11;
}

// One beat bar: where it runs on its row and how it is labelled.
struct BeatBar
{
    int boardBeat;
    int row;
    // The bar's ends: the start of the row (4), the end of the row (W - 4), or the end of a
    // board beat E(k) with an offset.
    enum End { RowStart, RowEnd, BeatEnd };
    End from;
    int fromBeat;
    int fromOffset;
    End to;
    int toBeat;
    int toOffset;
    bool blue;
    // Whether the text names the last page too ("%ld-%ld").
    bool range;
    const char* title;
};

// The seventeen bars in the order they are drawn; a later bar covers an earlier one where
// they overlap (the first two of row 1 overlap by 3 points).
const std::array<BeatBar, 17> kBeatBars{{
    {1, 1, BeatBar::RowStart, 0, 0, BeatBar::BeatEnd, 1, 4, true, false, "Opening Image (%1)"},
    {2, 1, BeatBar::BeatEnd, 1, 1, BeatBar::BeatEnd, 2, 0, false, true, "Set-Up\n(%1-%2)"},
    {3, 1, BeatBar::BeatEnd, 2, 0, BeatBar::BeatEnd, 3, 0, true, false, "Theme Stated\n(%1)"},
    {4, 1, BeatBar::BeatEnd, 3, 0, BeatBar::BeatEnd, 4, 0, false, true, "Set-Up (cont)\n(%1-%2)"},
    {5, 1, BeatBar::BeatEnd, 4, 0, BeatBar::BeatEnd, 5, 0, true, false, "Catalyst\n(%1)"},
    {6, 1, BeatBar::BeatEnd, 5, 0, BeatBar::BeatEnd, 6, 0, false, true, "Debate\n(%1-%2)"},
    {7, 1, BeatBar::BeatEnd, 6, 0, BeatBar::RowEnd, 0, 0, true, false, "Break into Two\n(%1)"},
    {9, 2, BeatBar::RowStart, 0, 0, BeatBar::BeatEnd, 9, 0, false, true, "Fun and Games\n(%1-%2)"},
    {10, 2, BeatBar::BeatEnd, 9, 0, BeatBar::BeatEnd, 10, 0, true, false, "B Story\n(%1)"},
    {11, 2, BeatBar::BeatEnd, 10, 0, BeatBar::BeatEnd, 11, 0, false, true, "Fun and Games (cont)\n(%1-%2)"},
    {12, 2, BeatBar::BeatEnd, 11, 0, BeatBar::RowEnd, 0, 0, true, false, "Midpoint\n(%1)"},
    {14, 3, BeatBar::RowStart, 0, 0, BeatBar::BeatEnd, 14, 0, false, true, "Bad Guys Close In\n(%1-%2)"},
    {15, 3, BeatBar::BeatEnd, 14, 0, BeatBar::BeatEnd, 15, 0, true, false, "All Is Lost\n(%1)"},
    {16, 3, BeatBar::BeatEnd, 15, 0, BeatBar::BeatEnd, 16, 0, false, true, "Dark Night of the Soul\n(%1-%2)"},
    {17, 3, BeatBar::BeatEnd, 16, 0, BeatBar::RowEnd, 0, 0, true, false, "Break into Three\n(%1)"},
    {19, 4, BeatBar::RowStart, 0, 0, BeatBar::BeatEnd, 19, 0, false, true, "Finale\n(%1-%2)"},
    {20, 4, BeatBar::BeatEnd, 19, 0, BeatBar::RowEnd, 0, 0, true, false, "Final Image\n(%1)"},
}};

// The x at which board beat k's bar ends: E(k) = ending fraction x row width + 4 + 2.
float beatEnd(const BoardSections& sections, int boardBeat)
{
    return BoardSections::endingPercentageForBoardBeat(boardBeat) *
               static_cast<float>(sections.boardWidthForBoardBeatSection(boardBeat)) +
           static_cast<float>(BoardSections::kRowStart) + 2.0f;
}

float barEnd(const BoardSections& sections, BeatBar::End end, int boardBeat, int offset, int boardWidth)
{
    switch (end) {
    case BeatBar::RowStart:
        return static_cast<float>(kRule);
    case BeatBar::RowEnd:
        return static_cast<float>(boardWidth - kRule);
    case BeatBar::BeatEnd:
        break;
    }
    return beatEnd(sections, boardBeat) + static_cast<float>(offset);
}

// A text of the board's own: marked as such, and letting clicks and drops through to the cork.
QLabel* makeBoardText(const QString& text, const QFont& font, QWidget* board)
{
    auto* label = new QLabel(text, board);
    label->setProperty("tag", BoardView::kLayoutTag);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette colors = label->palette();
    colors.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(colors);
    return label;
}

// The font, from `font` down, in which `text` shows whole in a box of `room`: on its own lines
// where it can, wrapped between words where it must, smaller only where even that does not fit.
// Answers whether the text wraps.
bool fitText(const QString& text, QFont& font, const QSize& room)
{
    constexpr int kSmallestPixelSize = 7;
    const auto fits = [&](const QFont& tried, int wrap) {
        const QRect needed = QFontMetrics(tried).boundingRect(QRect(QPoint(0, 0), room), Qt::AlignCenter | wrap, text);
        return needed.width() <= room.width() && needed.height() <= room.height();
    };
    for (QFont tried = font;; tried.setPixelSize(tried.pixelSize() - 1)) {
        const bool last = tried.pixelSize() <= kSmallestPixelSize;
        for (const int wrap : {0, static_cast<int>(Qt::TextWordWrap)}) {
            if (fits(tried, wrap) || (last && wrap != 0)) {
                font = tried;
                return wrap != 0;
            }
        }
    }
}

// fitText for the texts of the bars, remembered: every build of the board and every zoom asks
// again for the same texts in the same boxes.
bool fitTextOnce(const QString& text, QFont& font, const QSize& room)
{
    struct Fit {
        int pixelSize;
        bool wraps;
    };
    static QHash<QString, Fit> fits;
    const QString key = QStringLiteral("%1|%2x%3|%4")
                            .arg(font.key(), QString::number(room.width()), QString::number(room.height()), text);
    if (const auto found = fits.constFind(key); found != fits.cend()) {
        font.setPixelSize(found->pixelSize);
        return found->wraps;
    }
    const bool wraps = fitText(text, font, room);
    // A board resized many times leaves many boxes behind: the oldest answers go.
    if (fits.size() > 512)
        fits.clear();
    fits.insert(key, {font.pixelSize(), wraps});
    return wraps;
}

// A rule, label or beat bar the board adds.
bool isLayoutControl(const QWidget& widget)
{
    return widget.metaObject() == &QFrame::staticMetaObject || widget.property("tag").toInt() == BoardView::kLayoutTag;
}

} // namespace

// --- The cork ----------------------------------------------------------------------------------

BoardViewBackground::BoardViewBackground(QWidget* parent)
    : QFrame(parent)
{
    setAcceptDrops(true);
}

void BoardViewBackground::dragEnterEvent(QDragEnterEvent* event)
{
    answerDragFor(event, myBoardViewParent_);
}

void BoardViewBackground::dragMoveEvent(QDragMoveEvent* event)
{
    answerDragFor(event, myBoardViewParent_);
}

void BoardViewBackground::dropEvent(QDropEvent* event)
{
    answerDropFor(event, myBoardViewParent_);
}

// --- The board ---------------------------------------------------------------------------------

BoardView::BoardView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("BoardView"), parent, screenplay)
{
    auto* board = new QWidget;
    board->setObjectName(QStringLiteral("BoardView"));
    setView(board);
    boxBackground_ = new BoardViewBackground(board);
    boxBackground_->setObjectName(QStringLiteral("boxBackground"));
    boxBackground_->setMyBoardViewParent(this);
    QPalette cork = boxBackground_->palette();
    cork.setBrush(QPalette::Window, QBrush(boardImage(QStringLiteral("cork_repeating_02"))));
    boxBackground_->setPalette(cork);
    boxBackground_->setAutoFillBackground(true);
    cardLayer_ = new BoardCardLayer(*this, board);
    enterCardsByKeyboard(*board, [this] { return keyboardCard(); });
    // The board goes into its scroll view first: its size depends on what the scroll view shows,
    // and card views coming from elsewhere in the window stay in the window.
    if (QScrollArea* scroll = parent ? parent->scrBoard() : nullptr)
        scroll->setWidget(board);
    configureTheBoard();
    layoutSceneCardsOnBoard();
}

SceneCardView* BoardView::keyboardCard() const
{
    return cardLastWorkedOn(myParent(), screenplay(), [this](const SceneCardView& control) {
        return control.myBoardViewParent() == this && control.shownOnBoard();
    });
}

BoardView::~BoardView()
{
    if (view())
        boxBackground_->setMyBoardViewParent(nullptr);
    for (SceneCardView* card : cards_)
        if (card)
            card->setShownOnBoard(false);
}

QFrame* BoardView::boxWithFrame(const QRect& frame) const
{
    auto* box = new QFrame(view());
    box->setGeometry(frame);
    box->setFrameShape(QFrame::NoFrame);
    QPalette black = box->palette();
    black.setColor(QPalette::Window, Qt::black);
    box->setPalette(black);
    box->setAutoFillBackground(true);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    return box;
}

void BoardView::configureTheBoard()
{
    Screenplaydb& story = *screenplay();
    const BoardSections& sections = story.boardSections();
    const auto cardWidth = sections.STANDARDSCENECARDWIDTH();

    // The board is high enough for four rows of cards with their beat bars, 10 cards wide by
    // default, at least as wide as its pages need (a board stored by an older version may be
    // narrower), and never smaller than the part of the scroll view it shows in.
    std::int64_t boardWidth = story.boardWidth() == 0 ? 10 * cardWidth + 8 : story.boardWidth();
    boardWidth = std::max(boardWidth, story.leastBoardWidth());
    std::int64_t boardHeight = std::max(story.boardHeight(), story.leastBoardHeight());
    if (const QScrollArea* scroll = myParent() ? myParent()->scrBoard() : nullptr) {
        const QSize visible = scroll->viewport()->size();
        boardWidth = std::max<std::int64_t>(boardWidth, visible.width());
        boardHeight = std::max<std::int64_t>(boardHeight, visible.height());
    }
    if (boardWidth != story.boardWidth() || boardHeight != story.boardHeight()) {
        story.setBoardSize(boardWidth, boardHeight);
        story.save();
    }
    const int width = StoredRange::toInt(story.boardWidth());
    const int height = StoredRange::toInt(story.boardHeight());
    view()->setGeometry(0, 0, width, height);
    boxBackground_->setGeometry(0, 0, width, height);
    if (cardLayer_)
        cardLayer_->setGeometry(0, 0, width, height);

    // The rules: the board's four edges, then the three between the rows. A board that has
    // them (a zoom) moves and restyles what it has.
    const auto [y1, y2, y3] = BoardSections::rowRules(height);
    const std::array<QRect, 7> ruleFrames{QRect(0, 0, kRule, height),      QRect(width - kRule, 0, kRule, height),
                                          QRect(0, 0, width, kRule),       QRect(0, height - kRule, width, kRule),
                                          QRect(0, y2, width, kRule),      QRect(0, y1, width, kRule),
                                          QRect(0, y3, width, kRule)};
    const bool fresh = rules_.empty();
    for (std::size_t index = 0; index < ruleFrames.size(); ++index) {
        if (!fresh) {
            if (index < rules_.size() && rules_[index])
                rules_[index]->setGeometry(ruleFrames[index]);
            continue;
        }
        QFrame* box = boxWithFrame(ruleFrames[index]);
        box->show();
        rules_.emplace_back(box);
    }
    drawSectionLabels(width, height, y1, y2, y3);
    drawBeatBars(width, height, y1, y2, y3);
    if (!fresh)
        return;
    // The new rules, labels and bars go under the cards, keeping their own order, with the cork
    // under everything: the cards keep their stacking and need not be raised one by one.
    const QObjectList children = view()->children();
    for (auto child = children.rbegin(); child != children.rend(); ++child)
        if (auto* widget = qobject_cast<QWidget*>(*child); widget && isLayoutControl(*widget))
            widget->lower();
    boxBackground_->lower();
}

void BoardView::drawSectionLabels(int width, int height, int y1, int y2, int y3)
{
    const BoardSections& sections = screenplay()->boardSections();
    const int x = static_cast<int>(static_cast<float>(width) * 0.5f - static_cast<float>(kLabelWidth / 2));
    // Each label stands in the middle of its row, less 10.
    const std::array<std::pair<QString, int>, 4> labels{{
        {sections.section1Label(), (y1 - kRule) / 2 - 10},
        {sections.section2Label(), (y2 - y1 - kRule) / 2 + y1 - 10},
        {sections.section3Label(), (y3 - (y2 + kRule)) / 2 + y2 - 10},
        {sections.section4Label(),
         static_cast<int>(static_cast<float>((height - kRule) - (y3 + kRule)) * 0.5f + static_cast<float>(y3) - 10.0f)},
    }};
    const QFont font = standardFont(kLabelFontSize, true);
    const bool fresh = sectionLabels_.empty();
    for (std::size_t index = 0; index < labels.size(); ++index) {
        const auto& [text, top] = labels[index];
        QLabel* label = fresh ? makeBoardText(text, font, view())
                              : (index < sectionLabels_.size() ? sectionLabels_[index].data() : nullptr);
        if (!label)
            continue;
        label->setText(text);
        label->setGeometry(x, top, kLabelWidth, kLabelHeight);
        if (fresh) {
            label->show();
            sectionLabels_.emplace_back(label);
        }
    }
}

void BoardView::drawBeatBars(int width, int height, int y1, int y2, int y3)
{
    const BoardSections& sections = screenplay()->boardSections();
    const std::int64_t zoom = screenplay()->boardZoomFactor();
    const int barHeight = BoardSections::beatBarHeight(zoom);
    const QFont font = standardFont(beatBarFontSize(zoom), false);
    const bool fresh = beatBars_.empty();
    // Each row's bars stand on the rule below the row.
    const std::array<int, 4> rowBottoms{y1, y2, y3, height - kRule};
    for (const BeatBar& bar : kBeatBars) {
        const int from = static_cast<int>(barEnd(sections, bar.from, bar.fromBeat, bar.fromOffset, width));
        const int to = static_cast<int>(barEnd(sections, bar.to, bar.toBeat, bar.toOffset, width));
        const auto first = static_cast<qlonglong>(sections.beginningPageNumberForBoardBeat(bar.boardBeat));
        const auto last = static_cast<qlonglong>(sections.endingPageNumberForBoardBeat(bar.boardBeat));
        QString text = QString::fromLatin1(bar.title).arg(first);
        if (bar.range)
            text = text.arg(last);
        const QRect frame(from, rowBottoms[static_cast<std::size_t>(bar.row - 1)] - barHeight, to - from, barHeight);
        const std::size_t index = static_cast<std::size_t>(&bar - kBeatBars.data());
        // A narrow bar (the first one most of all, the next one lying over its end) still shows
        // its whole text.
        int shownTo = to;
        if (index + 1 < kBeatBars.size() && kBeatBars[index + 1].row == bar.row) {
            const BeatBar& next = kBeatBars[index + 1];
            shownTo = std::min(to, static_cast<int>(barEnd(sections, next.from, next.fromBeat, next.fromOffset, width)));
        }
        QFont fitted = font;
        const bool wraps = fitTextOnce(text, fitted, QSize(shownTo - from, barHeight));
        if (!fresh) {
            if (QLabel* label = index < beatBars_.size() ? beatBars_[index].data() : nullptr) {
                label->setText(text);
                label->setFont(fitted);
                label->setWordWrap(wraps);
                label->setGeometry(frame);
                label->setContentsMargins(0, 0, to - shownTo, 0);
            }
            continue;
        }
        QLabel* label = makeBoardText(text, fitted, view());
        label->setWordWrap(wraps);
        label->setContentsMargins(0, 0, to - shownTo, 0);
        label->setObjectName(QStringLiteral("beatBar%1").arg(bar.boardBeat));
        label->setAutoFillBackground(true);
        QPalette colors = label->palette();
        colors.setColor(QPalette::Window, bar.blue ? kBlueBar : kGreyBar);
        label->setPalette(colors);
        label->setGeometry(frame);
        label->show();
        beatBars_.emplace_back(label);
    }
}

void BoardView::layoutSceneCardsOnBoard()
{
    Screenplaydb& story = *screenplay();
    MyDocument* document = myParent();
    if (!document)
        return;
    sortRecords(story.sceneCards(), &SceneCarddb::sortByLocation);
    // Which picture each card shows, read once for all of them.
    const std::unordered_map<std::int64_t, std::int64_t> pictures = thumbnailAttachmentsOfCards(story);
    // The stacking starts again from board order.
    for (SceneCardView* card : cards_)
        if (card)
            card->setShownOnBoard(false);
    cards_.clear();
    frames_.clear();
    seated_.clear();
    gaps_ = 0;
    cards_.reserve(story.sceneCards().size());
    frames_.reserve(story.sceneCards().size());
    seated_.reserve(story.sceneCards().size());
    layingOut_ = true;
    std::vector<QWidget*> seated;
    const QSize size = story.boardSections().standardCardSize();
    // The document keeps the views in board order, so the view of a card is mostly the one in
    // its place: looked up by card only when the board's order changed since.
    const auto& controls = document->sceneCardControls();
    for (std::size_t index = 0; index < story.sceneCards().size(); ++index) {
        SceneCarddb* card = story.sceneCards()[index].get();
        SceneCardView* control = index < controls.size() && controls[index]->scene() == card
                                     ? controls[index].get()
                                     : document->sceneCardControlForSceneCard(card);
        if (!control)
            continue;
        control->setMyBoardViewParent(this);
        control->setMyBoardListViewParent(nullptr);
        const auto picture = pictures.find(card->sceneCardID());
        const std::int64_t attachment = picture == pictures.end() ? 0 : picture->second;
        if (control->scene() != card)
            control->setScene(card, attachment);
        control->setCanMove(true);
        // A painted card is laid out when it is painted: most cards of a large board are not.
        if (control->madeView())
            control->setupForCurrentBoardZoomFactor(attachment);
        else
            control->setThumbnailAttachmentID(attachment);
        // A card past the end of its row lies at the row's end; what is stored changes only
        // when the card is next written.
        if (card->percentageHorizontal() > 1.0f) {
            const bool dirty = card->isDirty();
            card->setPercentageHorizontal(1.0f);
            card->setIsDirty(dirty);
        }
        const QRect frame(cardOrigin(story.boardSections(), *card), size);
        control->setBoardFrame(frame);
        control->setBoardSlot(cards_.size());
        control->setShownOnBoard(true);
        cards_.push_back(control);
        frames_.push_back(frame);
        seated_.push_back(0);
        // A card that has its own widget on the board keeps it there; one whose widget waits
        // elsewhere in the window (from the list or the Litter Box) is painted instead.
        QWidget* cardView = control->madeView();
        if (!cardView)
            continue;
        if (cardView->parentWidget() != view() && !control->editor()) {
            control->releaseView();
            continue;
        }
        if (cardView->parentWidget() != view())
            cardView->setParent(view());
        cardView->move(frame.topLeft());
        cardView->show();
        seated_.back() = 1;
        seated.push_back(cardView);
    }
    layingOut_ = false;
    // Cards with widgets lie above the painted ones, in board order among themselves.
    for (QWidget* cardView : seated)
        cardView->raise();
    if (cardLayer_)
        cardLayer_->update();
}

void BoardView::zoomChanged()
{
    // The rules, labels and bars stay; they take the new zoom's sizes and places.
    configureTheBoard();
    Screenplaydb& story = *screenplay();
    const QSize size = story.boardSections().standardCardSize();
    layingOut_ = true;
    // Only the cards with widgets are laid out now; a painted card is laid out when it is painted.
    for (SceneCardView* card : cards_) {
        if (!card || !card->scene())
            continue;
        const QRect frame(cardOrigin(story.boardSections(), *card->scene()), size);
        card->setBoardFrame(frame);
        if (QWidget* cardView = card->madeView()) {
            card->setupForCurrentBoardZoomFactor();
            cardView->move(frame.topLeft());
        }
    }
    layingOut_ = false;
    if (cardLayer_)
        cardLayer_->update();
}

BoardCardLayer* BoardView::cardLayer() const
{
    return cardLayer_.data();
}

SceneCardView* BoardView::cardAt(const QPoint& point) const
{
    // Cards with widgets of their own lie above every painted card.
    SceneCardView* painted = nullptr;
    for (std::size_t slot = cards_.size(); slot-- > 0;) {
        SceneCardView* card = cards_[slot];
        if (!card || (!seated_[slot] && (painted || !frames_[slot].contains(point))))
            continue;
        if (const QWidget* widget = card->madeView()) {
            if (widget->isVisible() && widget->geometry().contains(point))
                return card;
        } else if (!painted && card->boardFrame().contains(point)) {
            painted = card;
        }
    }
    return painted;
}

void BoardView::stackOnTop(SceneCardView& card)
{
    if (card.shownOnBoard() && card.boardSlot() < cards_.size() && cards_[card.boardSlot()] == &card) {
        if (card.boardSlot() + 1 == cards_.size())
            return;
        cards_[card.boardSlot()] = nullptr;
        ++gaps_;
    }
    card.setBoardSlot(cards_.size());
    card.setShownOnBoard(true);
    cards_.push_back(&card);
    frames_.push_back(card.boardFrame());
    seated_.push_back(card.madeView() ? 1 : 0);
    if (gaps_ > cards_.size() / 2)
        compactStacking();
}

void BoardView::compactStacking()
{
    std::size_t kept = 0;
    for (std::size_t slot = 0; slot < cards_.size(); ++slot) {
        if (!cards_[slot])
            continue;
        cards_[kept] = cards_[slot];
        frames_[kept] = frames_[slot];
        seated_[kept] = seated_[slot];
        cards_[kept]->setBoardSlot(kept);
        ++kept;
    }
    cards_.resize(kept);
    frames_.resize(kept);
    seated_.resize(kept);
    gaps_ = 0;
}

void BoardView::cardFrameChanged(const SceneCardView& card)
{
    const std::size_t slot = card.boardSlot();
    if (card.shownOnBoard() && slot < cards_.size() && cards_[slot] == &card)
        frames_[slot] = card.boardFrame();
}

void BoardView::seatCardView(SceneCardView& card)
{
    QWidget* cardView = card.madeView();
    if (!cardView || !view())
        return;
    stackOnTop(card);
    seated_[card.boardSlot()] = 1;
    if (cardView->parentWidget() != view())
        cardView->setParent(view());
    cardView->setGeometry(QRect(card.boardFrame().topLeft(), cardView->size()));
    cardView->raise();
    cardView->show();
    // What the layer painted of the card now shows through its widget.
    if (cardLayer_)
        cardLayer_->update(card.boardFrame());
}

void BoardView::forgetCard(SceneCardView& card)
{
    if (!card.shownOnBoard())
        return;
    card.setShownOnBoard(false);
    if (card.boardSlot() < cards_.size() && cards_[card.boardSlot()] == &card) {
        cards_[card.boardSlot()] = nullptr;
        ++gaps_;
    }
    if (cardLayer_)
        cardLayer_->update(card.boardFrame());
}

void BoardView::updateCard(const SceneCardView& card, const QRect& rect)
{
    if (!cardLayer_ || !card.shownOnBoard() || layingOut_)
        return;
    const QRect frame = card.boardFrame();
    cardLayer_->update(rect.isEmpty() ? frame : rect.translated(frame.topLeft()) & frame);
}

void BoardView::removeLayoutControlsFromTheBoard()
{
    if (!view())
        return;
    std::vector<QWidget*> controls;
    for (QObject* child : view()->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && isLayoutControl(*widget))
            controls.push_back(widget);
    }
    for (QWidget* control : controls)
        delete control;
    rules_.clear();
    sectionLabels_.clear();
    beatBars_.clear();
}

void BoardView::removeSceneCardsFromTheBoard()
{
    // The layer stops painting them all at once, and no card keeps the board that goes.
    const std::vector<SceneCardView*> shown = std::exchange(cards_, {});
    frames_.clear();
    seated_.clear();
    gaps_ = 0;
    std::vector<SceneCardView*> withWidgets;
    for (SceneCardView* card : shown) {
        if (!card)
            continue;
        card->setShownOnBoard(false);
        if (card->madeView())
            withWidgets.push_back(card);
        else
            card->setMyBoardViewParent(nullptr);
    }
    if (cardLayer_)
        cardLayer_->update();
    // A card the board forgot gave its widget up then, so only the cards shown here have
    // widgets to take off.
    for (SceneCardView* card : withWidgets) {
        takeCardViewOffItsPresentation(*card);
        card->setMyBoardViewParent(nullptr);
    }
}

void BoardView::refreshTheBoard()
{
    // The board's cards stay on it and are laid out again above the new rules, labels and
    // bars; only views of cards that are no longer on the board leave it.
    removeLayoutControlsFromTheBoard();
    removeCardsNoLongerOnTheBoard();
    configureTheBoard();
    layoutSceneCardsOnBoard();
}

void BoardView::removeCardsNoLongerOnTheBoard()
{
    MyDocument* document = myParent();
    if (!document || !view())
        return;
    for (const auto& control : document->sceneCardControls()) {
        const bool onBoard = control->scene() && control->scene()->onBoard() == 1;
        if (!onBoard && control->myBoardViewParent() == this)
            takeCardViewOffItsPresentation(*control);
    }
}

void BoardView::popToTheTop(SceneCardView& card)
{
    // The card itself stays where it is in the board; whatever lies above it goes below it.
    if (card.shownOnBoard())
        stackOnTop(card);
    if (QWidget* cardView = card.madeView(); cardView && cardView->parentWidget() == view())
        cardView->raise();
    else if (card.shownOnBoard())
        updateCard(card);
    if (myParent() && card.scene())
        myParent()->setActiveSceneCardID(card.scene()->sceneCardID());
}

void BoardView::dropSceneCard(std::int64_t sceneCardID, const QPoint& location)
{
    Screenplaydb& story = *screenplay();
    SceneCarddb* card = story.sceneCardForSceneCardID(sceneCardID);
    if (!card)
        return;
    const BoardSections& sections = story.boardSections();
    const auto cardWidth = sections.STANDARDSCENECARDWIDTH();
    const auto cardHeight = sections.STANDARDSCENECARDHEIGHT();
    // The card hangs from the drop point at its middle, 10 points below its top edge, and
    // stays 4 points inside the board's edges.
    std::int64_t left = location.x() - cardWidth / 2;
    std::int64_t top = location.y() - 10;
    if (left < kRule)
        left = kRule;
    if (left + cardWidth > story.boardWidth() - kRule)
        left = story.boardWidth() - cardWidth - kRule;
    if (top < kRule)
        top = kRule;
    if (top > story.boardHeight() - cardHeight - kRule)
        top = story.boardHeight() - cardHeight - kRule;
    // It lies on the row it was dropped on, clear of that row's beat bars and of the next row.
    top = sections.topWithinRow(top, cardHeight);
    const CardPlace before(*card);
    placeCardAt(sections, *card, left, top);

    // The card's place and the board's new order are written together.
    if (!story.putCardOnBoard(*card, before))
        return;

    SceneCardView* control = myParent() ? myParent()->sceneCardControlForSceneCard(card) : nullptr;
    if (!control)
        return;
    // The card leaves a gap in the Litter Box and may take the keyboard focus with it: neither
    // the column nor the board moves under the pointer.
    const KeptScrollPositions kept({myParent()->scrLitterBox(), myParent()->scrBoard()});
    takeCardViewOffItsPresentation(*control);
    myParent()->refreshLitterBoxView();
    control->setCanMove(true);
    control->showPageNumber(card->pageNumber());
    control->setThumbTackImage(kTackDown);
    control->setMyBoardViewParent(this);
    control->setMyBoardListViewParent(nullptr);
    control->setBoardFrame(QRect(StoredRange::toInt(card->positionLeft()), StoredRange::toInt(card->positionTop()),
                                 static_cast<int>(cardWidth), static_cast<int>(cardHeight)));
    // The card's widget, from the Litter Box, lies on the board on top (seating stacks it); without
    // one the card is painted there, on top.
    if (QWidget* cardView = control->madeView()) {
        cardView->resize(control->boardFrame().size());
        seatCardView(*control);
    } else {
        stackOnTop(*control);
        updateCard(*control);
    }
}

Qt::DropAction BoardView::dragOperationFor(const QMimeData* data, Qt::DropActions offered) const
{
    if (!(offered & Qt::MoveAction) || !Pasteboard::comesFrom(data, myParent()))
        return Qt::IgnoreAction;
    const std::optional<std::int64_t> key = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneCard));
    const SceneCarddb* card = key ? screenplay()->sceneCardForSceneCardID(*key) : nullptr;
    // Only a card of the Litter Box comes onto the board this way.
    return card && card->onBoard() == 2 ? Qt::MoveAction : Qt::IgnoreAction;
}

bool BoardView::performDrop(const QMimeData* data, const QPoint& location)
{
    const std::optional<std::int64_t> key = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneCard));
    const SceneCarddb* card = key ? screenplay()->sceneCardForSceneCardID(*key) : nullptr;
    if (!card || card->onBoard() != 2 || !Pasteboard::comesFrom(data, myParent()))
        return false;
    dropSceneCard(card->sceneCardID(), boxBackground_->mapTo(view(), location));
    return true;
}
