#pragma once

#include "NotesBoardGeometry.h"
#include "app/BaseViewController.h"
#include "board/CardColorSelector.h"
#include "board/ImageViewResponder.h"

#include <QLineEdit>
#include <QPointer>
#include <QRectF>
#include <QTextEdit>

#include <cstdint>
#include <functional>
#include <optional>

class GeneralNotesView;
class QFrame;
class QPushButton;

// The title field of a note on the notes board: taking the focus or a click brings its note to
// the front first.
class NoteTextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit NoteTextField(std::function<void()> popToTheTop, QWidget* parent = nullptr);
    // The note is going: nothing more is handed on.
    void detach() { popToTheTop_ = [] {}; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::function<void()> popToTheTop_;
    // Set from a press that selected a default title until its button goes up.
    bool selectingDefault_ = false;
};

// The rich text of a note: brings its note to the front like the title field, keeps its caret
// in sight on the board while it is typed in, and hands its text on when it loses the focus.
class NoteTextView : public QTextEdit
{
    Q_OBJECT

public:
    NoteTextView(std::function<void()> popToTheTop, std::function<void()> textDidEndEditing,
                 QWidget* parent = nullptr);
    // The note is going: nothing more is handed on.
    void detach();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // A key the text takes brings its caret into sight on the board too: a note may be
    // taller than the pane that shows it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> popToTheTop_;
    std::function<void()> textDidEndEditing_;
};

// What a sticky note and an attachment note of the notes board share: a coloured card with a
// thumb tack that moves it, a handle in its bottom-right corner that resizes it, a delete and a
// colour button, a title, a rule and a rich-text box. The controller owns its card; the board
// (which owns the controller) outlives it. Every change is written to the story at once by the
// subclass, which knows its record.
class BoardNoteView : public BaseViewController, public ThumbTackOwner
{
    Q_OBJECT

public:
    ~BoardNoteView() override;

    GeneralNotesView* myGeneralNotesParent() const { return myGeneralNotesParent_; }
    ImageViewResponder* imgThumbTack() const { return imgThumbTack_; }
    ImageViewResponder* imgResize() const { return imgResize_; }
    QLineEdit* tfTitle() const { return tfTitle_; }
    QTextEdit* txtDescription() const { return txtDescription_; }
    QPushButton* cmdColorCode() const { return cmdColorCode_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }
    CardColorSelector* cardColorSelector() const { return cardColorSelector_; }
    bool moving() const { return moving_; }
    bool resizing() const { return resizing_; }
    // The card's frame on the board, unrounded: the card's widget sits at its nearest whole
    // points, the record stores its whole points.
    const QRectF& frame() const { return frame_; }
    void setFrame(const QRectF& frame);

    // Shows the record again.
    virtual void refreshView() = 0;
    // The card takes the colour of the record's palette id.
    void setBackgroundColor();
    // Asks for a palette colour; a choice is stored and shown, no choice changes nothing.
    void changeColor();
    // Writes a title or text being edited, as leaving the field would.
    void commitEditing();

    // The tack moves the note, the handle resizes it.
    void mouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseDragged(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseUp(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseUp(QMouseEvent* event, ImageViewResponder* view) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // `deleteTitle` is the tool tip of the delete button.
    BoardNoteView(const QString& nibName, MyDocument* parent, Screenplaydb* screenplay, GeneralNotesView* board,
                  const QSize& initialSize, const QString& deleteTitle);

    // The record's fields, read and written by the subclass (each write stores the record).
    virtual std::int64_t colorID() const = 0;
    virtual void storeColor(std::int64_t colorID) = 0;
    virtual void storePlace(const NotesBoardGeometry::StoredPlace& place) = 0;
    virtual void storeSize(const QSize& size) = 0;
    virtual void storeTitle(const QString& title) = 0;
    virtual void storeText(const QString& rtf, const QString& plain) = 0;
    virtual void deleteNote() = 0;
    // Places the card's parts for its present size.
    virtual void layoutContents();

    // The rules of the tack and the handle.
    void beginMove(QMouseEvent* event, ImageViewResponder* from);
    // The frame the move would give the card now; nothing when no move is in progress.
    std::optional<QRectF> movedFrame(QMouseEvent* event) const;
    void endMove();
    void beginResize(QMouseEvent* event);
    void continueResize(QMouseEvent* event);
    void endResize();

    void popToTheTop();
    void titleDidEndEditing();
    void textDidEndEditing();

    QFrame* background() const { return background_; }
    QFrame* line() const { return line_; }
    void setMoving(bool moving) { moving_ = moving; }
    const QRectF& originalLocation() const { return originalLocation_; }

private:
    GeneralNotesView* myGeneralNotesParent_;
    QFrame* background_ = nullptr;
    ImageViewResponder* imgThumbTack_ = nullptr;
    ImageViewResponder* imgResize_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdColorCode_ = nullptr;
    NoteTextField* tfTitle_ = nullptr;
    QFrame* line_ = nullptr;
    NoteTextView* txtDescription_ = nullptr;
    QPointer<CardColorSelector> cardColorSelector_;
    bool moving_ = false;
    bool resizing_ = false;
    QPointF pMouseDownPoint_;
    QRectF frame_;
    QRectF originalLocation_;
    QSizeF originalSize_;
};
