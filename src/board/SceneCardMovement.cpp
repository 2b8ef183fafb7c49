// Moving a scene card with its thumb tack: a press takes hold of a board card, dragging moves
// it over the corkboard (its position, page and board beat saved at each step), the release
// stores its place as fractions and renumbers the board. Cards that leave their presentation
// (past the visible right edge of the corkboard, out of the Litter Box, out of the list) go as
// a drag of the card, which the view taking the drop places.
#include "SceneCardView.h"

#include "BoardView.h"
#include "CardDragStarter.h"
#include "model/CardPlacement.h"
#include "RecordPasteboardType.h"
#include "SceneCardEdits.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"

#include <QMimeData>
#include <QMouseEvent>

#include <utility>

namespace {

constexpr double kEdge = 4.0;
// Where the pointer holds a dragged card's picture: at its middle, this far below its top.
constexpr int kDragHoldDepth = 15;

// Where a card's edge goes when the mouse moved it to `wanted`: not closer than 4 points to the
// board's near edge; at `stop` from the far edge once it comes `reach` close to it.
float clampedStep(double wanted, double size, double extent, double reach, double stop)
{
    if (wanted < kEdge)
        return static_cast<float>(kEdge);
    if (wanted + size >= extent - reach)
        return static_cast<float>(extent - size - stop);
    return static_cast<float>(wanted);
}

} // namespace

void SceneCardView::mouseDown(QMouseEvent* event)
{
    if (!scene_)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        setThumbTackImage(QStringLiteral("SceneCardThumbUp"));
        readyToDrag_ = true;
        return;
    }
    if (!canMove_ || scene_->onBoard() != 1 || readyToDrag_)
        return;
    bringToTheTop();
    setThumbTackImage(QStringLiteral("SceneCardThumbUp"));
    moving_ = true;
    pMouseDownPoint_ = event->position();
    originalLocation_ = QRectF(this->view()->geometry());
    placeAtPress_.emplace(*scene_);
}

void SceneCardView::rightMouseDown(QMouseEvent*)
{
    setThumbTackImage(QStringLiteral("SceneCardThumbUp"));
    readyToDrag_ = true;
}

void SceneCardView::rightMouseUp(QMouseEvent*)
{
    readyToDrag_ = false;
    setThumbTackImage(QStringLiteral("SceneCardThumbDown"));
}

void SceneCardView::mouseDragged(QMouseEvent* event)
{
    if (!scene_ || !screenplay())
        return;
    Screenplaydb& story = *screenplay();
    QWidget* card = this->view();

    if (story.boardView() == 1 && moving_) {
        // The tack moves with the card, so the pointer's place in the tack is how far the
        // card has to follow since the last step.
        const QRectF f(card->geometry());
        const QWidget* board = card->parentWidget();
        const QSizeF bounds = board ? QSizeF(board->size()) : f.size();
        const QPointF p = event->position();
        const float top = clampedStep(f.y() + (p.y() - pMouseDownPoint_.y()), f.height(), bounds.height(), 1.0, 1.0);
        const float left = clampedStep(f.x() + (p.x() - pMouseDownPoint_.x()), f.width(), bounds.width(), 4.0, 5.0);

        // The part of the board that the scroll view shows, in the board's coordinates.
        const QWidget* clip = board ? board->parentWidget() : nullptr;
        if (clip && left > f.x()) {
            const QRectF visible(QPointF(board->mapFrom(clip, QPoint(0, 0))), QSizeF(clip->size()));
            if (left + f.width() > visible.x() + visible.width()) {
                moveBecomesDrag();
                return;
            }
        }
        card->move(static_cast<int>(left), static_cast<int>(top));
        // Each step stores the place with its page, beat and the fractions the board is laid
        // out from, together: a board opened from the file after any step shows the card
        // where that step left it.
        placeCardAt(story.boardSections(), *scene_, static_cast<std::int64_t>(left), static_cast<std::int64_t>(top));
        showPageNumber(scene_->pageNumber());
        scene_->save();
        return;
    }
    if (scene_->onBoard() == 2) {
        startCardDrag(myViewImage());
        readyToDrag_ = false;
        return;
    }
    if (scene_->onBoard() == 1 && story.boardView() == 2) {
        // The list shows the card in a row of its own: the drag shows the card as it is.
        SceneCardView picture(nullptr, &story);
        picture.setScene(scene_);
        startCardDrag(picture.myViewImage());
        readyToDrag_ = false;
    }
}

void SceneCardView::moveBecomesDrag()
{
    // The card goes back to where the press found it, with the place, page and beat it had there
    // (on a board narrower than the one it was put down on, the whole point it shows at may read
    // another page), and is dragged from there.
    QWidget* card = view();
    card->move(originalLocation_.topLeft().toPoint());
    if (placeAtPress_) {
        scene_->setPercentageHorizontal(placeAtPress_->horizontal);
        scene_->setPercentageVertical(placeAtPress_->vertical);
        scene_->setCurrentBeatSection(placeAtPress_->boardBeat);
        placeCardWhereItShows(screenplay()->boardSections(), *scene_);
    } else {
        placeCardAt(screenplay()->boardSections(), *scene_, static_cast<std::int64_t>(originalLocation_.x()),
                    static_cast<std::int64_t>(originalLocation_.y()));
    }
    showPageNumber(scene_->pageNumber());
    scene_->save();
    readyToDrag_ = false;
    moving_ = false;
    setThumbTackImage(QStringLiteral("SceneCardThumbDown"));
    startCardDrag(myViewImage());
}

void SceneCardView::startCardDrag(const QPixmap& image)
{
    const QPoint hotSpot(image.width() / 2, kDragHoldDepth);
    CardDragStarter::current().startDrag(
        view(), RecordPasteboardType::makeDragData(QString::fromLatin1(RecordPasteboardType::kSceneCard),
                                                   scene_->sceneCardID(), myParent()),
        image, hotSpot, Qt::MoveAction);
}

void SceneCardView::mouseUp(QMouseEvent* event)
{
    if (!scene_ || !screenplay())
        return;
    // The raised tack belongs to its press: Ctrl may have been let go before the button.
    const bool raised = std::exchange(readyToDrag_, false);
    if ((event->modifiers() & Qt::ControlModifier) || (raised && !moving_)) {
        setThumbTackImage(QStringLiteral("SceneCardThumbDown"));
        return;
    }
    if (scene_->onBoard() != 1 || !moving_)
        return;
    setThumbTackImage(QStringLiteral("SceneCardThumbDown"));
    moving_ = false;
    QRectF frame(this->view()->geometry());
    if (screenplay()->boardView() == 1) {
        // Put down, the card settles on its row, clear of the beat bars and the next row.
        frame.moveTop(static_cast<double>(screenplay()->boardSections().topWithinRow(
            static_cast<std::int64_t>(frame.y()), static_cast<std::int64_t>(frame.height()))));
        this->view()->move(frame.topLeft().toPoint());
        storeFractions(frame);
    }
    else if (screenplay()->boardView() == 2)
        this->view()->move(static_cast<int>(frame.x()), static_cast<int>(originalLocation_.y()));
}

void SceneCardView::storeFractions(const QRectF& frame)
{
    Screenplaydb& story = *screenplay();
    const BoardSections& sections = story.boardSections();
    const QPoint shown = cardOrigin(sections, *scene_);
    // A card let go where its fractions show it (a click, or a move back to the same point) keeps
    // them, and with them its page: on a board narrower than the one it was put down on, they lie
    // between whole points. Only a new row top is stored.
    scene_->setPositionLeft(static_cast<std::int64_t>(frame.x()));
    scene_->setPositionTop(static_cast<std::int64_t>(frame.y()));
    if (static_cast<int>(frame.x()) != shown.x())
        scene_->setPercentageHorizontal(horizontalFraction(sections, frame.x(), scene_->currentBeatSection()));
    if (static_cast<int>(frame.y()) != shown.y())
        scene_->setPercentageVertical(verticalFraction(sections, frame.y()));
    SceneCardEdits::saveWithBoardOrder(story, *scene_);
}
