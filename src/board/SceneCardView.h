#pragma once

#include "ImageViewResponder.h"
#include "app/BaseViewController.h"

#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class BaseTextField;
class BoardView;
class QFrame;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class SceneCarddb;
class SceneCardView;

// What the board list view offers the cards it shows: bringing one to the top, and taking a
// Litter Box card dropped on one of its cards (`tag` the row id of the card it fell on, as
// decimal text), answering whether the card was placed.
class BoardListPresentation
{
public:
    virtual ~BoardListPresentation() = default;
    virtual void popToTheTop(SceneCardView& card) = 0;
    virtual bool dropSceneCard(std::int64_t sceneCardID, const QPoint& location, const QString& tag) = 0;
    // The view the list's cards lie in, for converting drop points.
    virtual QWidget* listView() const = 0;
};

// The root view of a scene card. It draws nothing itself; it is where records and other cards
// are dropped on the card, and it hands them to its card view.
class SceneCardDragDropView : public QWidget
{
    Q_OBJECT

public:
    explicit SceneCardDragDropView(QWidget* parent = nullptr);

    // Not owned: the card view owns this view.
    SceneCardView* mySceneCardParent() const { return mySceneCardParent_; }
    void setMySceneCardParent(SceneCardView* card) { mySceneCardParent_ = card; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    SceneCardView* mySceneCardParent_ = nullptr;
};

// One scene card as the user sees it on the corkboard, in the board list view and in the
// Litter Box: heading and page number, a text area showing the description or the notes
// (two tabs on the right edge), the primary attachment's thumbnail, the emotional change and
// its type, the conflict, six colour stripes along the left edge, four indicator icons, a
// title bar, the thumb tack by which the card is moved, an advice button and a delete
// button. Every edit is written to the story file when it ends.
//
// The document keeps one card view per card for the life of the window; the corkboard, the
// list and the Litter Box only borrow the views. The view's size is the standard card size of
// the story's zoom factor.
class SceneCardView : public BaseViewController, public ThumbTackOwner
{
    Q_OBJECT

public:
    // `parent` may be nothing for a card view that only draws a card (a drag picture).
    SceneCardView(MyDocument* parent, Screenplaydb* screenplay);
    ~SceneCardView() override;

    // Keeps the story and sizes the view for the story's zoom factor.
    void setScreenplay(Screenplaydb* screenplay);
    SceneCarddb* scene() const { return scene_; }
    // Shows the card (not owned: the story owns it and outlives the view's use of it).
    void setScene(SceneCarddb* scene);

    // Paints the six colour stripes from the card's colour-code slots (white for none).
    void setColors();
    // Paints the emotional-change type white (0), green (1) or red (2).
    void setEmotionalChangeTypeColor();
    // Thumbnail, size, frames and fonts for the story's zoom factor.
    void setupForCurrentBoardZoomFactor();
    // Shows, places and explains the characters, location, set-ups and pay-offs icons.
    void configureIndicators();
    // The card's page and board beat from the view's place on the board; saves the card.
    void setPageNumber();
    // 1 shows the description, 2 the notes; any other number changes nothing.
    void setSelectedTab(std::int64_t tab);
    std::int64_t selectedTab() const { return selectedTab_; }
    // Lets the user pick a colour code for a stripe; answers the chosen code (0 for none).
    std::int64_t selectColorCodeID(std::int64_t colorCodeID);

    // A click on one of the card's texts.
    void userClicked(BaseTextField* field);
    // The edit of a field ended: the card takes the field's text and is saved.
    void controlTextDidEndEditing(QWidget* field);
    void showAdvice(QObject* sender);
    // Asks, then deletes the card.
    void deleteSceneCard();
    // Moves the focus to the card after or before this one on the corkboard.
    void pageToNextSceneCard();
    void pageToPreviousSceneCard();
    // Brings a card of the board to the top of the corkboard or the list.
    void bringToTheTop();
    // A picture of the card as it shows now.
    QPixmap myViewImage() const;

    // Thumb tack (see ImageViewResponder).
    void mouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseDragged(QMouseEvent* event, ImageViewResponder* view) override;
    void mouseUp(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseDown(QMouseEvent* event, ImageViewResponder* view) override;
    void rightMouseUp(QMouseEvent* event, ImageViewResponder* view) override;

    // Drops on the card: a record of type `type` ("AttachedObjectdb": `value` the attachment's
    // row id; the record types: 3 x the record's position). Answers whether it was taken.
    bool objectDropped(const QString& type, std::int64_t value);
    // The drop area's questions (see SceneCardDragDropView).
    Qt::DropAction dragOperationFor(const QMimeData* data, Qt::DropActions offered) const;
    bool performDrop(const QMimeData* data, const QPoint& location);

    bool canMove() const { return canMove_; }
    void setCanMove(bool flag) { canMove_ = flag; }
    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }
    BoardView* myBoardViewParent() const { return myBoardViewParent_; }
    void setMyBoardViewParent(BoardView* board) { myBoardViewParent_ = board; }
    BoardListPresentation* myBoardListViewParent() const { return myBoardListViewParent_; }
    void setMyBoardListViewParent(BoardListPresentation* list) { myBoardListViewParent_ = list; }
    bool readyToDrag() const { return readyToDrag_; }
    bool moving() const { return moving_; }

    // Outlets.
    SceneCardDragDropView* dragDropView() const { return dragDropView_; }
    BaseTextField* lblTitleBar() const { return lblTitleBar_; }
    QLineEdit* tfHeading() const { return tfHeading_; }
    QLineEdit* tfPageNumber() const { return tfPageNumber_; }
    QPlainTextEdit* tfDescription() const { return tfDescription_; }
    BaseTextField* tbDescription() const { return tbDescription_; }
    BaseTextField* tbNotes() const { return tbNotes_; }
    BaseTextField* lblEmotionalChangeType() const { return lblEmotionalChangeType_; }
    QLineEdit* tfEmotionalChange() const { return tfEmotionalChange_; }
    QLabel* lblConflict() const { return lblConflict_; }
    QLineEdit* tfConflict() const { return tfConflict_; }
    // Stripe 1 to 6; nothing for any other number.
    BaseTextField* lblColor(int stripe) const;
    QFrame* boxPhotoBackground() const { return boxPhotoBackground_; }
    QLabel* imgThumbNail() const { return imgThumbNail_; }
    QLabel* imgCharacters() const { return imgCharacters_; }
    QLabel* imgLocation() const { return imgLocation_; }
    QLabel* imgSetups() const { return imgSetups_; }
    QLabel* imgPayoffs() const { return imgPayoffs_; }
    ImageViewResponder* imgThumbTack() const { return imgThumbTack_; }
    QPushButton* cmdAdvice() const { return cmdAdvice_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }

protected:
    // Editing fields: bringing the card up when they take the focus, storing them when they
    // lose it, and paging with Ctrl-N / Ctrl-P.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildView();
    void placeTitleBar(int width);
    // The fonts of the card's texts for the story's zoom factor.
    void applyZoomFonts();
    void fillDescription();
    // The card's drag: "SceneCarddb" with its row id, showing `image` held at its middle 15
    // points below its top; answers when the drag is over.
    void startCardDrag(const QPixmap& image);
    void moveBecomesDrag();
    void storeFractions(const QRectF& frame);
    bool dropRecord(const QString& type, std::int64_t value);
    bool dropAttachment(std::int64_t attachedObjectID);
    bool dropCharacter(std::int64_t row);
    bool dropLocation(std::int64_t row);
    bool dropSetup(std::int64_t row);
    bool dropPayoff(std::int64_t row);
    // A set-up or pay-off comes to lie on the card; the story-elements list of `section` shows it.
    template <typename Record>
    bool placeOnCard(const std::vector<std::unique_ptr<Record>>& records, std::int64_t row, std::int64_t section);
    bool dropSceneCard(const QMimeData* data, const QPoint& location);

    SceneCarddb* scene_ = nullptr;
    std::int64_t selectedTab_ = 1;
    bool canMove_ = false;
    std::int64_t tag_ = 0;
    BoardView* myBoardViewParent_ = nullptr;
    BoardListPresentation* myBoardListViewParent_ = nullptr;
    bool readyToDrag_ = false;
    bool moving_ = false;
    QPointF pMouseDownPoint_;
    QRectF originalLocation_;

    // Children of the view, which the controller owns.
    SceneCardDragDropView* dragDropView_ = nullptr;
    QFrame* boxCard_ = nullptr;
    QFrame* boxHeadingRule_ = nullptr;
    BaseTextField* lblTitleBar_ = nullptr;
    QLineEdit* tfHeading_ = nullptr;
    QLineEdit* tfPageNumber_ = nullptr;
    QPlainTextEdit* tfDescription_ = nullptr;
    BaseTextField* tbDescription_ = nullptr;
    BaseTextField* tbNotes_ = nullptr;
    BaseTextField* lblEmotionalChangeType_ = nullptr;
    QLineEdit* tfEmotionalChange_ = nullptr;
    QLabel* lblConflict_ = nullptr;
    QLineEdit* tfConflict_ = nullptr;
    std::array<BaseTextField*, 6> lblColors_{};
    QFrame* boxPhotoBackground_ = nullptr;
    QLabel* imgThumbNail_ = nullptr;
    QLabel* imgCharacters_ = nullptr;
    QLabel* imgLocation_ = nullptr;
    QLabel* imgSetups_ = nullptr;
    QLabel* imgPayoffs_ = nullptr;
    ImageViewResponder* imgThumbTack_ = nullptr;
    QPushButton* cmdAdvice_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
};

// The list of the story-elements pane shows again from the story, when it is the list of
// `section` (0 beats, 3 set-ups, 4 pay-offs, ...) and the pane shows.
void refreshStoryElementsTable(MyDocument& document, std::int64_t section);

// Takes a card view off the presentation that shows it (corkboard, list or Litter Box). The
// view stays its controller's, put away hidden in the story window so that it can move
// between the window's presentations cheaply.
void takeCardViewOffItsPresentation(SceneCardView& control);

// The colour of a card's colour stripe for the colour code in its slot: white for no code,
// the code's colour (components / 255) otherwise.
QColor colorForStripe(const Screenplaydb& story, std::int64_t colorCodeID);
