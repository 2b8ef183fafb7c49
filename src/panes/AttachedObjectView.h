#pragma once

#include "BoardNoteView.h"

#include <QPixmap>

class AttachedObjectdb;

// An attachment note of the notes board: a picture (as a thumbnail with its title and
// description, or at full size) or any other file (its type's icon), on a card of the note
// palette. It moves and resizes like a sticky note; a picture's size is kept apart for each of
// its two views. The tack, armed by a Control-press or the right button, drags the attachment
// out of the board onto characters, locations and scene cards, as does moving the note up past
// the top of the visible board. It shows one AttachedObjectdb record and writes every change
// at once.
class AttachedObjectView : public BoardNoteView
{
    Q_OBJECT

public:
    AttachedObjectView(MyDocument* parent, Screenplaydb* screenplay, GeneralNotesView* board,
                       AttachedObjectdb* attachedObject);

    AttachedObjectdb* attachedObject() const { return attachedObject_; }
    ImageViewResponder* imgImage() const { return imgImage_; }
    ImageViewResponder* imgFullImage() const { return imgFullImage_; }
    bool readyToDrag() const { return readyToDrag_; }

    // Title, description and picture of the record, for its kind and view.
    void refreshView() override;
    // The note as it looks now, for dragging it.
    QPixmap myViewImage() const;

    void mouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseDragged(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseUp(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseUp(QMouseEvent* event, ImageViewResponder* view) override;

protected:
    std::int64_t colorID() const override;
    void storeColor(std::int64_t colorID) override;
    void storePlace(const NotesBoardGeometry::StoredPlace& place) override;
    void storeSize(const QSize& size) override;
    void storeTitle(const QString& title) override;
    void storeText(const QString& rtf, const QString& plain) override;
    void deleteNote() override;
    void layoutContents() override;

private:
    bool showsFullImage() const;
    // A double click on one of the two picture views.
    void userDoubleClicked(ImageViewResponder* view);
    // Drags the attachment out of the board, the pointer at `hotSpot` of the note's picture.
    void dragOut(const QPoint& hotSpot);
    // Takes an armed note's attachment out of the board, disarming it.
    void dragArmedNoteOut();
    void setArmed(bool armed);

    AttachedObjectdb* attachedObject_;
    ImageViewResponder* imgImage_ = nullptr;
    ImageViewResponder* imgFullImage_ = nullptr;
    QPixmap thumbnail_;
    QPixmap fullImage_;
    bool readyToDrag_ = false;
};
