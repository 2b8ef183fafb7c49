#pragma once

#include <QLabel>
#include <QString>

class ImageViewResponder;
class QMouseEvent;

// What the view that owns a thumb tack hears of the mouse on it. Each handler gets the event
// and the thumb tack itself.
class ThumbTackOwner
{
public:
    virtual ~ThumbTackOwner() = default;
    virtual void mouseDown(QMouseEvent* event, ImageViewResponder* view) = 0;
    virtual void mouseDragged(QMouseEvent* event, ImageViewResponder* view) = 0;
    virtual void mouseUp(QMouseEvent* event, ImageViewResponder* view) = 0;
    virtual void rightMouseDown(QMouseEvent* event, ImageViewResponder* view) = 0;
    virtual void rightMouseUp(QMouseEvent* event, ImageViewResponder* view) = 0;
};

// A named picture in top-down coordinates that takes the focus when clicked: the thumb tack
// of the large scene card, attachment notes, sticky notes and the greenlight checklist (a
// scene card paints its own). It hands its mouse events to the view it belongs to:
//  - left press, drag and release go to the first owner set of the attached-object,
//    sticky-note and greenlight owners;
//  - right press and release, and drags with the right button, go to the first owner set of
//    the attached-object and large-scene-card owners (a right drag as a drag).
// Nothing is handed on while no owner is set. The owners are not owned: each owns the view
// that holds its tack, so it outlives the tack.
class ImageViewResponder : public QLabel
{
    Q_OBJECT

public:
    explicit ImageViewResponder(QWidget* parent = nullptr);

    // Shows the named picture of the program (see BoardImages.h), scaled to the view.
    void setImageNamed(const QString& name);
    const QString& imageName() const { return imageName_; }

    ThumbTackOwner* myAttachedObjectParent() const { return myAttachedObjectParent_; }
    void setMyAttachedObjectParent(ThumbTackOwner* owner) { myAttachedObjectParent_ = owner; }
    ThumbTackOwner* myStickyNoteParent() const { return myStickyNoteParent_; }
    void setMyStickyNoteParent(ThumbTackOwner* owner) { myStickyNoteParent_ = owner; }
    ThumbTackOwner* myGreenlightParent() const { return myGreenlightParent_; }
    void setMyGreenlightParent(ThumbTackOwner* owner) { myGreenlightParent_ = owner; }
    ThumbTackOwner* myBigSceneViewParent() const { return myBigSceneViewParent_; }
    void setMyBigSceneViewParent(ThumbTackOwner* owner) { myBigSceneViewParent_ = owner; }

    // Follows the mouse entering and leaving the tack, also while a button is held.
    void attachTrackingArea();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    using Handler = void (ThumbTackOwner::*)(QMouseEvent*, ImageViewResponder*);
    // Hands the event to the owner of `button`'s events: `left` for the left button, `right`
    // for the right one; other buttons go nowhere.
    void forward(QMouseEvent* event, Qt::MouseButton button, Handler left, Handler right);
    ThumbTackOwner* leftButtonOwner() const;
    ThumbTackOwner* rightButtonOwner() const;

    QString imageName_;
    ThumbTackOwner* myAttachedObjectParent_ = nullptr;
    ThumbTackOwner* myStickyNoteParent_ = nullptr;
    ThumbTackOwner* myGreenlightParent_ = nullptr;
    ThumbTackOwner* myBigSceneViewParent_ = nullptr;
};
