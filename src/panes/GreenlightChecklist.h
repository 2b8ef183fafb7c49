#pragma once

#include "app/BaseViewController.h"
#include "board/ImageViewResponder.h"

#include <QLabel>
#include <QPointF>
#include <QRectF>

#include <array>
#include <cstdint>

class GreenlightChecklist;

// The mark of one checklist question: a small box that shows the picture "BlackCheckMark"
// while the story's answer to its question is "Y". Its tag (also its "tag" property) is the
// question number, 1 to 55. A release of the left button on it toggles the answer.
class GreenlightCheckmark : public QLabel
{
    Q_OBJECT

public:
    GreenlightCheckmark(std::int64_t tag, QWidget* parent);

    std::int64_t tag() const { return tag_; }
    GreenlightChecklist* myParent() const { return myParent_; }
    // Keeps the panel and shows the story's answer to the mark's question.
    void setMyParent(GreenlightChecklist* parent);
    // "BlackCheckMark" while ticked, empty otherwise.
    const QString& imageName() const { return imageName_; }
    void showTicked(bool ticked);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::int64_t tag_;
    GreenlightChecklist* myParent_ = nullptr;
    QString imageName_;
};

// The greenlight checklist pinned to the general-notes board: the 55 questions under their
// section titles (GreenlightChecklistTexts.h), a mark per question whose clicks store "Y" or
// "N" in the story at once, and a thumb tack that moves the panel over the board and stores
// its place as the story's two checklist fractions.
//
// The view is 577 x 1994 points, the room the board keeps for it; the board places it at its
// stored fractions and makes it its child. `generalNotesParent` is the board's view (not
// owned): the panel is clamped to its size while it moves.
class GreenlightChecklist : public BaseViewController, public ThumbTackOwner
{
    Q_OBJECT

public:
    static constexpr int kWidth = 577;
    static constexpr int kHeight = 1994;

    GreenlightChecklist(MyDocument* parent, Screenplaydb* screenplay, QWidget* generalNotesParent);
    ~GreenlightChecklist() override;

    QWidget* myGeneralNotesParent() const { return myGeneralNotesParent_; }
    void setMyGeneralNotesParent(QWidget* board) { myGeneralNotesParent_ = board; }
    ImageViewResponder* imgThumbTack() const { return imgThumbTack_; }
    // The mark of question `tag` (1 to 55); null outside that range.
    GreenlightCheckmark* checkmark(std::int64_t tag) const;

    // Ticks an unticked (or unanswered) question and clears a ticked one, in the file first:
    // the mark changes only when the answer was written. A question without its record gets
    // one, ticked.
    void toggleAnswer(GreenlightCheckmark& mark);

    // The thumb tack: a press (not the second of a double click) starts a move and brings
    // the panel to the front, dragging moves it within the board, the release stores where
    // it is.
    void mouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseDragged(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseUp(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseDown(QMouseEvent*, ImageViewResponder*) override {}
    void rightMouseUp(QMouseEvent*, ImageViewResponder*) override {}

private:
    void buildView();

    QWidget* myGeneralNotesParent_;
    ImageViewResponder* imgThumbTack_ = nullptr;
    std::array<GreenlightCheckmark*, 55> checkmarks_ = {};
    bool moving_ = false;
    QPointF pMouseDownPoint_;
    QRectF originalLocation_;
    // The panel's place while it moves, before the view rounds it to whole points.
    QPointF origin_;
};
