#pragma once

#include "app/BaseViewController.h"

#include <QByteArray>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class AttachedObjectView;
class AttachedObjectdb;
class BoardNoteView;
class GeneralNotesView;
class QLabel;
class QMimeData;
class StickyNoteView;
class StickyNotedb;

// The cork surface of the notes board. A double click pins a new sticky note; files, pictures
// and text dropped on it, or pasted with a right click, become notes; an attachment row of a
// character's or location's panel dropped on it loses its link. Everything is handed to the
// board that owns it.
class GeneralNotesBackground : public QWidget
{
    Q_OBJECT

public:
    explicit GeneralNotesBackground(GeneralNotesView* parent);

    GeneralNotesView* myGeneralNotesParent() const { return myGeneralNotesParent_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Tells the drag what a drop would do; false when the board takes none.
    bool answerDrag(QDropEvent* event);

    GeneralNotesView* myGeneralNotesParent_;
};

// The general-notes board of a story window: sticky notes, attachment notes and the greenlight
// checklist pinned on cork, in a scroll view of the notes pane. It lays its notes out from their
// stored fractions of the board's size, adds, brings to the front and deletes them, and writes
// every change to the story at once. It owns its note controllers, each owning its card; the
// document owns the board and outlives it.
class GeneralNotesView : public BaseViewController
{
    Q_OBJECT

public:
    GeneralNotesView(MyDocument* parent, Screenplaydb* screenplay);
    ~GeneralNotesView() override;

    GeneralNotesBackground* boxBackground() const { return boxBackground_; }
    const std::vector<std::unique_ptr<AttachedObjectView>>& attachedObjectViews() const { return attachedObjectViews_; }
    const std::vector<std::unique_ptr<StickyNoteView>>& stickyNoteViews() const { return stickyNoteViews_; }
    QWidget* greenlightChecklist() const { return greenlightChecklist_; }

    // Builds the board again from the story: its size (grown to the scroll view and to the
    // checklist's room), every note at its stored place, and the checklist the first time.
    void layoutGeneralNotes();
    void refreshView() { layoutGeneralNotes(); }
    // Writes what is being typed into a note.
    void commitEditing();

    // Brings the note's card in front of everything else on the board.
    void popToTheTop(BaseViewController* item);
    // A new sticky note hanging under the pointer at `point` (board coordinates); its title
    // takes the focus.
    StickyNoteView* addStickyNoteWith(const QPointF& point);
    StickyNoteView* createNoteCardFromText(const QString& text, const QString& rtf, const QPointF& point);
    // A new attachment note of the file at `point`: a picture when its extension says so and it
    // can be read as one, else a file (larger ones after a question). Nothing (after a message)
    // when the file cannot be read or the question is declined.
    AttachedObjectView* createAttachmentFromFile(const QString& path, const QPointF& point);
    // A new picture note of pasted or dropped picture data; nothing, after a message, when the
    // data holds no picture.
    AttachedObjectView* createAttachmentFromImageData(const QByteArray& data, const QPointF& point);
    // Each asks first, then deletes the note of that id; no such note changes nothing.
    void deleteStickyNoteID(std::int64_t stickyNoteID);
    void deleteAttachedObjectID(std::int64_t attachedObjectID);
    // A row of the attachment table of the character (location) panel dropped at `point`: the
    // link it shows is deleted, the attachment stays.
    void deleteCharacterAttachmentAtRow(std::int64_t row, const QPointF& point);
    void deleteLocationAttachmentAtRow(std::int64_t row, const QPointF& point);
    // The "Explosion" picture at `point` for a quarter of a second.
    void showExplosionAt(const QPointF& point);

    // The files the checks let through, in order; the others are skipped or refused with a
    // message.
    QStringList acceptedFiles(const QStringList& paths) const;
    // What a drag of this data over the board would do.
    Qt::DropAction dragOperationFor(const QMimeData* data, Qt::DropActions offered) const;
    // A drop at `point`: files, a picture, text or an attachment link, the first the data holds.
    void performDragOperation(const QMimeData* data, const QPointF& point);
    // A paste of the clipboard at `point`, after a question.
    void pasteAt(const QPointF& point);

    // The top of the part of the board the scroll view shows, in board coordinates.
    double visibleTop() const;

private:
    QPointF originFor(const QPointF& point, double noteWidth) const;
    void placeNote(BoardNoteView& note, const QRectF& frame);
    void layoutAttachments(std::int64_t width, std::int64_t height);
    void layoutStickyNotes(std::int64_t width, std::int64_t height);
    StickyNoteView* addStickyNote(std::unique_ptr<StickyNotedb> note, const QPointF& point);
    AttachedObjectView* addAttachment(std::unique_ptr<AttachedObjectdb> record, const QByteArray& thumbnail,
                                      const QByteArray& object, const QPointF& origin);
    template <typename Side>
    void deleteLinkAtRow(std::int64_t row, const QPointF& point);

    GeneralNotesBackground* boxBackground_ = nullptr;
    std::vector<std::unique_ptr<AttachedObjectView>> attachedObjectViews_;
    std::vector<std::unique_ptr<StickyNoteView>> stickyNoteViews_;
    QPointer<QWidget> greenlightChecklist_;
};
