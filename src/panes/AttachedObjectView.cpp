#include "AttachedObjectView.h"

#include "AttachmentContent.h"
#include "GeneralNotesView.h"
#include "NoteRichText.h"
#include "app/MyDocument.h"
#include "board/CardDragStarter.h"
#include "board/RecordPasteboardType.h"
#include "model/AttachedObjectdb.h"

#include <QFrame>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr std::int64_t kThumbnailView = 1;
constexpr std::int64_t kFullView = 2;

// The picture views' places, the card being width x height.
constexpr int kPictureLeft = 8;
constexpr int kPictureTop = 32;
constexpr int kPictureSide = 72;
constexpr int kTextLeft = 86;
constexpr int kFullLeft = 7;
constexpr int kFullTop = 67;

QPixmap pixmapFrom(const std::optional<QByteArray>& bytes)
{
    QPixmap pixmap;
    if (bytes && !bytes->isEmpty())
        pixmap.loadFromData(*bytes);
    return pixmap;
}

// The picture fitted into the view's size, its shape kept.
void showFitted(ImageViewResponder* view, const QPixmap& picture)
{
    if (picture.isNull() || view->width() <= 0 || view->height() <= 0)
        view->clear();
    else
        view->setPixmap(picture.scaled(view->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

AttachedObjectView::AttachedObjectView(MyDocument* parent, Screenplaydb* screenplay, GeneralNotesView* board,
                                       AttachedObjectdb* attachedObject)
    : BoardNoteView(QStringLiteral("AttachedObjectView"), parent, screenplay, board,
                    QSize(NotesBoardGeometry::kAttachmentWidth, NotesBoardGeometry::kAttachmentHeight),
                    tr("Delete Attachment"))
    , attachedObject_(attachedObject)
{
    for (ImageViewResponder** picture : {&imgImage_, &imgFullImage_}) {
        *picture = new ImageViewResponder(view());
        (*picture)->setScaledContents(false);
        (*picture)->setAlignment(Qt::AlignCenter);
        (*picture)->setMyAttachedObjectParent(this);
    }
    imgImage_->setObjectName(QStringLiteral("imgImage"));
    imgFullImage_->setObjectName(QStringLiteral("imgFullImage"));
    // The tack and the handle answer this note's own rules first.
    imgThumbTack()->setMyAttachedObjectParent(this);
    imgResize()->setMyAttachedObjectParent(this);
    refreshView();
}

bool AttachedObjectView::showsFullImage() const
{
    return attachedObject_->objectType() == AttachmentContent::kPicture && attachedObject_->currentView() == kFullView;
}

void AttachedObjectView::refreshView()
{
    tfTitle()->setText(attachedObject_->title());
    tfTitle()->setModified(false);
    QTextDocument* document = txtDescription()->document();
    // An attachment shows only its formatted description: the plain twin is for reports.
    NoteRichText::read(*document, attachedObject_->description());
    document->setModified(false);

    const std::int64_t kind = attachedObject_->objectType();
    const std::int64_t shown = attachedObject_->currentView();
    const QSizeF size = frame().size();
    if (kind == AttachmentContent::kFile) {
        thumbnail_ = pixmapFrom(attachedObject_->getThumbnail());
    } else if (kind == AttachmentContent::kPicture && shown == kThumbnailView) {
        thumbnail_ = pixmapFrom(attachedObject_->getThumbnail());
        setFrame(QRectF(frame().topLeft(), QSizeF(static_cast<double>(attachedObject_->sizeWidth()),
                                                  static_cast<double>(attachedObject_->sizeHeight()))));
    } else if (showsFullImage()) {
        fullImage_ = pixmapFrom(attachedObject_->getFullImage());
        const auto width = attachedObject_->lastFullImageWidth();
        const auto height = attachedObject_->lastFullImageHeight();
        setFrame(QRectF(frame().topLeft(), QSizeF(width != 0 ? static_cast<double>(width) : size.width(),
                                                  height != 0 ? static_cast<double>(height) : size.height())));
    }
    layoutContents();
    setBackgroundColor();
}

void AttachedObjectView::layoutContents()
{
    BoardNoteView::layoutContents();
    if (!imgImage_)
        return;
    const int width = view()->width();
    const int height = view()->height();
    const bool full = showsFullImage();
    const int textLeft = full ? 3 : kTextLeft;
    tfTitle()->setGeometry(textLeft, kPictureTop, width - textLeft - (full ? 10 : 10), 22);
    line()->setGeometry(textLeft + 3, kPictureTop + 24, width - textLeft - 13, 5);
    txtDescription()->setGeometry(kTextLeft, kPictureTop + 30, width - kTextLeft - 10, height - kPictureTop - 30 - 16);
    imgImage_->setGeometry(kPictureLeft, kPictureTop, kPictureSide, std::min(kPictureSide, height - kPictureTop - 16));
    imgFullImage_->setGeometry(kFullLeft, kFullTop, width - 2 * kFullLeft - 3, height - kFullTop - 7);
    txtDescription()->setVisible(!full);
    imgImage_->setVisible(!full);
    imgFullImage_->setVisible(full);
    showFitted(imgImage_, thumbnail_);
    showFitted(imgFullImage_, fullImage_);
}

QPixmap AttachedObjectView::myViewImage() const
{
    return view()->grab();
}

// --- Mouse -------------------------------------------------------------------------------------

void AttachedObjectView::userDoubleClicked(ImageViewResponder* view)
{
    if (view == imgImage_ && attachedObject_->objectType() == AttachmentContent::kPicture)
        attachedObject_->setCurrentView(kFullView);
    else if (view == imgFullImage_)
        attachedObject_->setCurrentView(kThumbnailView);
    else
        return;
    attachedObject_->save();
    refreshView();
}

void AttachedObjectView::setArmed(bool armed)
{
    readyToDrag_ = armed;
    imgThumbTack()->setImageNamed(armed ? QStringLiteral("BlueThumbUp") : QStringLiteral("BlueThumbDown"));
}

void AttachedObjectView::dragOut(const QPoint& hotSpot)
{
    std::unique_ptr<QMimeData> data = RecordPasteboardType::makeDragData(
        QString::fromLatin1(RecordPasteboardType::kAttachedObject), attachedObject_->attachedObjectID(), myParent());
    CardDragStarter::current().startDrag(view(), std::move(data), myViewImage(), hotSpot,
                                         Qt::LinkAction | Qt::CopyAction);
}

void AttachedObjectView::dragArmedNoteOut()
{
    // The tack stays up while the attachment is on its way: the pane that takes it sets the tack
    // down (MyDocument::setAttachmentNoteTackDown).
    readyToDrag_ = false;
    dragOut(QPoint(this->view()->width() / 2, 15));
}

void AttachedObjectView::mouseDown(QMouseEvent* event, ImageViewResponder* view)
{
    if (view == imgImage_ || view == imgFullImage_) {
        if (event->type() != QEvent::MouseButtonDblClick)
            return;
        if (view == imgImage_ && attachedObject_->objectType() == AttachmentContent::kFile)
            myParent()->openAttachmentFileInNativeApplication(attachedObject_);
        else
            userDoubleClicked(view);
        return;
    }
    if (view != imgThumbTack()) {
        BoardNoteView::mouseDown(event, view);
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        setArmed(true);
    } else if (readyToDrag_) {
        dragArmedNoteOut();
    } else {
        beginMove(event, view);
    }
}

void AttachedObjectView::mouseDragged(QMouseEvent* event, ImageViewResponder* view)
{
    if (view != imgThumbTack()) {
        BoardNoteView::mouseDragged(event, view);
        return;
    }
    if (moving()) {
        const std::optional<QRectF> moved = movedFrame(event);
        if (!moved)
            return;
        if (myGeneralNotesParent()->visibleTop() >= moved->y()) {
            // Moving the note out over the top of what shows of the board takes the attachment
            // out of the board instead: the note goes back to where the move began.
            const QPoint pointer = (view->mapTo(this->view(), event->position())).toPoint();
            setFrame(originalLocation());
            setMoving(false);
            imgThumbTack()->setImageNamed(QStringLiteral("BlueThumbDown"));
            dragOut(pointer);
            return;
        }
        setFrame(*moved);
    } else if (readyToDrag_) {
        dragArmedNoteOut();
    }
}

void AttachedObjectView::mouseUp(QMouseEvent* event, ImageViewResponder* view)
{
    if (view == imgThumbTack() && (event->modifiers() & Qt::ControlModifier)) {
        setArmed(false);
        return;
    }
    BoardNoteView::mouseUp(event, view);
}

void AttachedObjectView::rightMouseDown(QMouseEvent*, ImageViewResponder* view)
{
    if (view == imgThumbTack())
        setArmed(true);
}

void AttachedObjectView::rightMouseUp(QMouseEvent*, ImageViewResponder* view)
{
    if (view == imgThumbTack())
        setArmed(false);
}

// --- The record --------------------------------------------------------------------------------

std::int64_t AttachedObjectView::colorID() const
{
    return attachedObject_->color();
}

void AttachedObjectView::storeColor(std::int64_t colorID)
{
    attachedObject_->setColor(colorID);
    attachedObject_->save();
}

void AttachedObjectView::storePlace(const NotesBoardGeometry::StoredPlace& place)
{
    NotesBoardGeometry::setPlace(*attachedObject_, place);
    attachedObject_->save();
}

void AttachedObjectView::storeSize(const QSize& size)
{
    if (showsFullImage()) {
        attachedObject_->setLastFullImageWidth(size.width());
        attachedObject_->setLastFullImageHeight(size.height());
    } else {
        attachedObject_->setSizeWidth(size.width());
        attachedObject_->setSizeHeight(size.height());
    }
    attachedObject_->save();
}

void AttachedObjectView::storeTitle(const QString& title)
{
    attachedObject_->setTitle(title);
    attachedObject_->save();
}

void AttachedObjectView::storeText(const QString& rtf, const QString& plain)
{
    attachedObject_->setDescription(rtf);
    attachedObject_->setTextDescription(plain);
    attachedObject_->save();
}

void AttachedObjectView::deleteNote()
{
    myGeneralNotesParent()->deleteAttachedObjectID(attachedObject_->attachedObjectID());
}
