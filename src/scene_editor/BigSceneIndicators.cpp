// The large scene card's colour labels, indicators, drops and the drag of the card by its tack.
#include "BigSceneView.h"

#include "BigSceneGeometry.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/BoardImages.h"
#include "board/CardDragStarter.h"
#include "board/ColorCodeSelector.h"
#include "board/DropAnswers.h"
#include "board/RecordPasteboardType.h"
#include "board/SceneCardEdits.h"
#include "board/SceneCardView.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "panes/ModalDialogs.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

#include <algorithm>

namespace Pasteboard = RecordPasteboardType;

namespace {

// The record types the card takes, in the order a drop looks for them.
const std::array<const char*, 5> kRecordTypes{Pasteboard::kAttachedObject, Pasteboard::kCharacter,
                                              Pasteboard::kSceneSetup, Pasteboard::kScenePayoff,
                                              Pasteboard::kSceneLocation};

// The drag picture is held this far below its top edge.
constexpr int kDragHoldDepth = 4;

template <typename Record>
Record* recordForRow(const RecordList<Record>& records, std::int64_t row)
{
    const std::optional<std::size_t> position = Pasteboard::positionForRow(row, records.size());
    return position ? records[*position].get() : nullptr;
}

// Whether the card holds records of this kind, and whether each of them has its partner.
template <typename Records, typename Partnered>
std::pair<bool, bool> onCard(const Records& records, std::int64_t sceneCardID, Partnered partnered)
{
    bool any = false;
    for (const auto& record : records) {
        if (record->sceneCardID() != sceneCardID)
            continue;
        any = true;
        if (!partnered(*record))
            return {true, false};
    }
    return {any, true};
}

} // namespace

// --- Colour labels -----------------------------------------------------------------------------

DoubleClickTextField* BigSceneView::lblColor(int slot) const
{
    return slot >= 1 && slot <= 6 ? lblColors_[static_cast<std::size_t>(slot - 1)] : nullptr;
}

void BigSceneView::layoutColorLabels()
{
    const int height = boxYellowBackground_->height();
    const std::array<QRect, 6> frames = BigSceneGeometry::colorLabelFrames(height);
    for (std::size_t i = 0; i < lblColors_.size(); ++i)
        lblColors_[i]->setGeometry(BigSceneGeometry::flipped(frames[i], height));
}

void BigSceneView::setColors()
{
    if (!scene_ || !screenplay())
        return;
    for (int slot = 1; slot <= 6; ++slot) {
        DoubleClickTextField* label = lblColor(slot);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Base, colorForStripe(*screenplay(), scene_->colorLegendID(slot)));
        label->setPalette(palette);
    }
}

void BigSceneView::userDoubleClicked(QObject* sender)
{
    if (!scene_)
        return;
    for (int slot = 1; slot <= 6; ++slot) {
        if (sender != lblColor(slot))
            continue;
        scene_->setColorLegendID(slot, selectColorCodeID(scene_->colorLegendID(slot)));
        scene_->save();
        setColors();
        updateSmallSceneCard();
        return;
    }
}

std::int64_t BigSceneView::selectColorCodeID(std::int64_t colorCodeID)
{
    // A fresh dialog for every pick.
    ColorCodeSelector selector(QStringLiteral("ColorCodeSelector"), screenplay(), view() ? view()->window() : nullptr);
    ModalDialogs::paintBackground(selector, myParent() ? myParent()->standardBackgroundColor() : QColor(205, 133, 63));
    selector.setUseMode(ColorCodeSelector::Scene);
    selector.setSelectedColorID(colorCodeID);
    selector.runModal();
    selector.close();
    return selector.selectedColorID();
}

// --- Indicators --------------------------------------------------------------------------------

void BigSceneView::configureIndicators()
{
    const std::array<std::pair<QLabel*, QPushButton*>, 4> pairs{
        std::pair{imgCharacters_, cmdCharacters_}, std::pair{imgLocation_, cmdLocation_},
        std::pair{imgSetups_, cmdSetups_}, std::pair{imgPayoffs_, cmdPayoffs_}};
    for (const auto& [image, button] : pairs) {
        image->hide();
        button->hide();
    }
    Screenplaydb* story = screenplay();
    if (!scene_ || !story)
        return;
    const std::int64_t key = scene_->sceneCardID();
    const auto& characters = story->sceneCardCharacters();
    const bool hasCharacters = std::any_of(characters.begin(), characters.end(),
                                           [key](const auto& link) { return link->sceneCardID() == key; });
    const bool hasLocation = scene_->sceneLocationID() > 0;
    if (hasLocation) {
        const SceneLocationdb* location = story->locationForLocationID(scene_->sceneLocationID());
        imgLocation_->setToolTip(location ? location->location() : QString());
    }
    const auto [hasSetups, setupsPaid] =
        onCard(story->sceneSetups(), key, [](const SceneSetupdb& setup) { return setup.scenePayoffID() != 0; });
    if (hasSetups)
        imgSetups_->setPixmap(boardImage(setupsPaid ? QStringLiteral("SetupsWithPayoffs")
                                                    : QStringLiteral("SetupsWithOutPayoffs")));
    const auto [hasPayoffs, payoffsSet] =
        onCard(story->scenePayoffs(), key, [](const ScenePayoffdb& payoff) { return payoff.sceneSetupID() != 0; });
    if (hasPayoffs)
        imgPayoffs_->setPixmap(boardImage(payoffsSet ? QStringLiteral("PayoffsWithSetups")
                                                     : QStringLiteral("PayoffsWithoutSetups")));

    const int size = BigSceneGeometry::indicatorSize(story->boardZoomFactor());
    const int top = imgCharacters_->y();
    const std::array<bool, 4> shown{hasCharacters, hasLocation, hasSetups, hasPayoffs};
    int before = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (!shown[i])
            continue;
        const QRect frame(BigSceneGeometry::indicatorLeft(before++), top, size, size);
        pairs[i].first->setGeometry(frame);
        pairs[i].second->setGeometry(frame);
        pairs[i].first->show();
        pairs[i].second->show();
        pairs[i].second->raise();
    }
}

// --- Drops -------------------------------------------------------------------------------------

Qt::DropAction BigSceneView::dragOperationFor(const QMimeData* data, Qt::DropActions offered) const
{
    if (!scene_ || !screenplay() || !Pasteboard::comesFrom(data, myParent()))
        return Qt::IgnoreAction;
    // A record dropped here is linked to the card, never copied: a source that does not allow
    // linking is refused.
    if (!(offered & Qt::LinkAction))
        return Qt::IgnoreAction;
    for (const char* type : kRecordTypes)
        if (Pasteboard::offers(data, QString::fromLatin1(type)))
            return Qt::LinkAction;
    return Qt::IgnoreAction;
}

bool BigSceneView::performDrop(const QMimeData* data, const QPoint&)
{
    if (!scene_ || !screenplay() || !Pasteboard::comesFrom(data, myParent()))
        return false;
    for (const char* type : kRecordTypes) {
        const QString name = QString::fromLatin1(type);
        if (!Pasteboard::offers(data, name))
            continue;
        const std::optional<std::int64_t> value = Pasteboard::value(data, name);
        return value && objectDropped(name, *value);
    }
    return false;
}

bool BigSceneView::objectDropped(const QString& type, std::int64_t value)
{
    if (!scene_ || !screenplay())
        return false;
    Screenplaydb& story = *screenplay();
    if (type == QLatin1String(Pasteboard::kAttachedObject))
        return dropAttachment(value);
    if (type == QLatin1String(Pasteboard::kCharacter))
        return dropCharacter(value);
    if (type == QLatin1String(Pasteboard::kSceneLocation))
        return dropLocation(value);
    if (type == QLatin1String(Pasteboard::kSceneSetup))
        return placeOnCard(recordForRow(story.sceneSetups(), value), 3, 2);
    if (type == QLatin1String(Pasteboard::kScenePayoff))
        return placeOnCard(recordForRow(story.scenePayoffs(), value), 4, 3);
    return false;
}

bool BigSceneView::dropAttachment(std::int64_t attachedObjectID)
{
    if (MyDocument* document = myParent())
        document->setAttachmentNoteTackDown(attachedObjectID);
    if (!SceneCardEdits::linkAttachment(*screenplay(), scene_->sceneCardID(), attachedObjectID))
        return false;
    setSelectedTabID(5);
    refreshTabPage(5);
    updateSmallSceneCard();
    return true;
}

bool BigSceneView::dropCharacter(std::int64_t row)
{
    const Characterdb* character = recordForRow(screenplay()->characters(), row);
    if (!character || !SceneCardEdits::linkCharacter(*screenplay(), scene_->sceneCardID(), *character))
        return false;
    configureIndicators();
    setSelectedTabID(4);
    refreshTabPage(4);
    updateSmallSceneCard();
    return true;
}

bool BigSceneView::dropLocation(std::int64_t row)
{
    const SceneLocationdb* location = recordForRow(screenplay()->sceneLocations(), row);
    if (!location)
        return false;
    scene_->setSceneLocationID(location->sceneLocationID());
    scene_->save();
    refreshView();
    setSelectedTabID(1);
    configureIndicators();
    updateSmallSceneCard();
    return true;
}

template <typename Record>
bool BigSceneView::placeOnCard(Record* record, std::int64_t section, std::int64_t tab)
{
    if (!record)
        return false;
    record->setSceneCardID(scene_->sceneCardID());
    record->save();
    configureIndicators();
    if (myParent())
        refreshStoryElementsTable(*myParent(), section);
    setSelectedTabID(tab);
    refreshTabPage(tab);
    updateSmallSceneCard();
    return true;
}

// --- The thumb tack ----------------------------------------------------------------------------

void BigSceneView::mouseDown(QMouseEvent*, ImageViewResponder*) {}

void BigSceneView::mouseUp(QMouseEvent*, ImageViewResponder*) {}

void BigSceneView::rightMouseDown(QMouseEvent*, ImageViewResponder* view)
{
    if (view != imgThumbTack_)
        return;
    // The card is written as it is before it may leave.
    saveChanges(this);
    imgThumbTack_->setImageNamed(QStringLiteral("SceneCardThumbUp"));
    readyToDrag_ = true;
}

void BigSceneView::rightMouseUp(QMouseEvent*, ImageViewResponder* view)
{
    if (view != imgThumbTack_)
        return;
    readyToDrag_ = false;
    imgThumbTack_->setImageNamed(QStringLiteral("SceneCardThumbDown"));
}

void BigSceneView::mouseDragged(QMouseEvent*, ImageViewResponder* view)
{
    if (view != imgThumbTack_ || !readyToDrag_ || !scene_)
        return;
    readyToDrag_ = false;
    const QPixmap image = myViewImage();
    const QPoint hotSpot(image.width() / 2, kDragHoldDepth);
    // Where the card is dropped may close the large card: nothing of it is touched after.
    CardDragStarter::current().startDrag(
        this->view(),
        Pasteboard::makeDragData(QString::fromLatin1(Pasteboard::kSceneCard), scene_->sceneCardID(), myParent()), image,
        hotSpot, Qt::MoveAction);
}

QPixmap BigSceneView::myViewImage() const
{
    if (!view())
        return QPixmap();
    const QPixmap whole = view()->grab();
    return whole.scaled(whole.width() / 4, whole.height() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// --- Content view ------------------------------------------------------------------------------

void BigSceneViewView::dragEnterEvent(QDragEnterEvent* event)
{
    answerDragFor(event, myParent_);
}

void BigSceneViewView::dragMoveEvent(QDragMoveEvent* event)
{
    answerDragFor(event, myParent_);
}

void BigSceneViewView::dropEvent(QDropEvent* event)
{
    answerDropFor(event, myParent_);
}
