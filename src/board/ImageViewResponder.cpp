#include "ImageViewResponder.h"

#include "BoardImages.h"
#include "app/GuardedCall.h"

#include <QMouseEvent>

ImageViewResponder::ImageViewResponder(QWidget* parent)
    : QLabel(parent)
{
    setScaledContents(true);
    setFocusPolicy(Qt::ClickFocus);
}

void ImageViewResponder::setImageNamed(const QString& name)
{
    imageName_ = name;
    setPixmap(boardImage(name));
}

void ImageViewResponder::attachTrackingArea()
{
    // Enter and leave events come without tracking; tracking adds the moves with no button held.
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
}

ThumbTackOwner* ImageViewResponder::leftButtonOwner() const
{
    for (ThumbTackOwner* owner : {myAttachedObjectParent_, myStickyNoteParent_, myGreenlightParent_})
        if (owner)
            return owner;
    return nullptr;
}

ThumbTackOwner* ImageViewResponder::rightButtonOwner() const
{
    for (ThumbTackOwner* owner : {myAttachedObjectParent_, myBigSceneViewParent_})
        if (owner)
            return owner;
    return nullptr;
}

void ImageViewResponder::forward(QMouseEvent* event, Qt::MouseButton button, Handler left, Handler right)
{
    event->accept();
    ThumbTackOwner* owner = button == Qt::LeftButton ? leftButtonOwner()
                            : button == Qt::RightButton ? rightButtonOwner()
                                                        : nullptr;
    const Handler handler = button == Qt::LeftButton ? left : right;
    if (owner)
        guardedCall([&] { (owner->*handler)(event, this); });
}

void ImageViewResponder::mousePressEvent(QMouseEvent* event)
{
    forward(event, event->button(), &ThumbTackOwner::mouseDown, &ThumbTackOwner::rightMouseDown);
}

void ImageViewResponder::mouseMoveEvent(QMouseEvent* event)
{
    // A drag with either button is a drag; the left button counts when both are held.
    const Qt::MouseButton button = (event->buttons() & Qt::LeftButton) ? Qt::LeftButton
                                   : (event->buttons() & Qt::RightButton) ? Qt::RightButton
                                                                          : Qt::NoButton;
    // Whatever cursor showed before, the pointer over a tack or a picture is the arrow.
    setCursor(Qt::ArrowCursor);
    forward(event, button, &ThumbTackOwner::mouseDragged, &ThumbTackOwner::mouseDragged);
}

void ImageViewResponder::mouseReleaseEvent(QMouseEvent* event)
{
    forward(event, event->button(), &ThumbTackOwner::mouseUp, &ThumbTackOwner::rightMouseUp);
}

void ImageViewResponder::enterEvent(QEnterEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QLabel::enterEvent(event);
}
