#pragma once

#include "SceneCardEdits.h"
#include "SceneCardLayout.h"
#include "SceneCardPainter.h"
#include "app/BaseViewController.h"
#include "model/CardPlacement.h"
#include "model/RecordList.h"

#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class AttachedObjectdb;
class BoardView;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class SceneCarddb;
class SceneCardView;
class StoryLinkIndex;

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

// The view of a scene card: one widget that paints the whole card (see SceneCardPainter) and
// answers the mouse on it. It is where records and other cards are dropped on the card, and
// it hands clicks, drags and drops to its card view. The one in-place editor of a field, while
// a field is edited, is its only child.
class SceneCardDragDropView : public QWidget
{
    Q_OBJECT

public:
    explicit SceneCardDragDropView(QWidget* parent = nullptr);

    // Not owned: the card view owns this view.
    SceneCardView* mySceneCardParent() const { return mySceneCardParent_; }
    void setMySceneCardParent(SceneCardView* card) { mySceneCardParent_ = card; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void pressed(QMouseEvent* event, int clickCount);

    SceneCardView* mySceneCardParent_ = nullptr;
    // The part a button went down on: the thumb tack and the buttons follow the mouse until
    // it is released.
    SceneCardPart pressedPart_ = SceneCardPart::None;
};

// One scene card as the user sees it on the corkboard, in the board list view and in the
// Litter Box: heading and page number, a text area showing the description or the notes
// (two tabs on the right edge), the primary attachment's thumbnail, the emotional change and
// its type, the conflict, six colour stripes along the left edge, four indicator icons, a
// title bar, the thumb tack by which the card is moved, an advice button and a delete
// button. The card is painted; a click (or Tab) on the heading, the text area, the emotional
// change or the conflict opens one editor over that field. Return or leaving the field ends
// the edit and writes it to the story file, Escape gives the field back its stored text. Tab
// and Shift-Tab (in the text area, where Return and Tab are typed, Ctrl-Tab and Ctrl-Shift-Tab)
// end the edit and leave the cards for the window's next or previous control; Ctrl-N and Ctrl-P
// page from card to card. Tab arriving at the cards opens a card's heading (see
// enterCardsByKeyboard), and Return on the card itself, no field in edit, opens it in the large
// card.
//
// The document keeps one card view per card for the life of the window; the corkboard, the
// list and the Litter Box only borrow the views. The view's size is the standard card size of
// the story's zoom factor.
//
// The card's widget is made only when something asks for it: the corkboard paints the cards it
// shows itself (see BoardCardLayer) and asks for a card's widget when the card is pressed,
// edited or dropped on; the list and the Litter Box ask for the widgets of all their cards.
class SceneCardView : public BaseViewController
{
    Q_OBJECT

public:
    // `parent` may be nothing for a card view that only draws a card (a drag picture).
    SceneCardView(MyDocument* parent, Screenplaydb* screenplay);
    ~SceneCardView() override;

    // Keeps the story and sizes the view for the story's zoom factor.
    void setScreenplay(Screenplaydb* screenplay);
    // The card's widget, made on the first call. A card the corkboard shows is put on the board
    // at its place, above every other card.
    QWidget* view() const;
    // The widget when it was made, without making it.
    QWidget* madeView() const { return viewMade_ ? BaseViewController::view() : nullptr; }
    // Takes the widget down (the card stays as it is); nothing while a field is edited.
    void releaseView();
    // The card's size: its widget's, or the standard size while it has none.
    QSize cardSize() const;
    SceneCarddb* scene() const { return scene_; }
    // Shows the card (not owned: the story owns it and outlives the view's use of it). A field
    // being edited is written first. A pass over many cards hands in one index of the story's
    // links, so that each card reads only its own.
    void setScene(SceneCarddb* scene);
    void setScene(SceneCarddb* scene, const StoryLinkIndex& links);
    // The same with the card's primary attachment known (0 for none).
    void setScene(SceneCarddb* scene, std::int64_t thumbnailAttachmentID);

    // Paints the six colour stripes from the card's colour-code slots (white for none).
    void setColors();
    // Paints the emotional-change type white (0), green (1) or red (2).
    void setEmotionalChangeTypeColor();
    // Size, frames and fonts for the story's zoom factor and the thumbnail the card shows.
    void setupForCurrentBoardZoomFactor();
    // The same, first taking the thumbnail of the card's primary attachment when that changed.
    void setupForCurrentBoardZoomFactor(const StoryLinkIndex& links);
    void setupForCurrentBoardZoomFactor(std::int64_t thumbnailAttachmentID);
    // The picture of the card's primary attachment (0 for none) shows, read when the card is
    // next painted; the layout follows when it is next used.
    void setThumbnailAttachmentID(std::int64_t thumbnailAttachmentID);
    void refreshThumbnail();
    // A thumbnail waiting for the card's first paint: its attachment (null for none) gives it.
    bool thumbnailPending() const { return painter_.look().thumbnailPending; }
    std::int64_t thumbnailAttachmentID() const { return painter_.look().thumbnailAttachmentID; }
    void resolveThumbnail(const AttachedObjectdb* attachment);
    // Shows, places and explains the characters, location, set-ups and pay-offs icons.
    void configureIndicators();
    void configureIndicators(const StoryLinkIndex& links);
    // Shows `page` as the card's page number.
    void showPageNumber(std::int64_t page);
    // 1 shows the description, 2 the notes; any other number changes nothing.
    void setSelectedTab(std::int64_t tab);
    std::int64_t selectedTab() const { return selectedTab_; }
    // Lets the user pick a colour code for a stripe; answers the chosen code (0 for none).
    std::int64_t selectColorCodeID(std::int64_t colorCodeID);
    // The thumb tack's picture ("SceneCardThumbDown", "SceneCardThumbUp").
    void setThumbTackImage(const QString& name);
    const QString& thumbTackImage() const { return painter_.look().thumbTackImage; }
    // Whether the card has its thumb tack, advice and delete button (a card only shown has not).
    void setShowsControls(bool flag);
    bool showsControls() const { return painter_.look().showsControls; }

    // A press on a part of the card that is no edited field: `clickCount` 2 for the second
    // press of a double click.
    void userClicked(SceneCardPart part, int clickCount);
    int clickCount() const { return clickCount_; }

    // In-place editing. Opens the editor over the heading, the text area, the emotional change
    // or the conflict (any other part opens nothing), with the caret at `caretAt` (card points)
    // or at the end, never with the text selected; a field edited before is written first.
    bool beginEditing(SceneCardPart field, std::optional<QPoint> caretAt = std::nullopt);
    // Writes the edited field and closes its editor; nothing when no field is edited. Escape,
    // Return (but in the text area) and leaving the field end the edit so.
    void commitEditing();
    SceneCardPart editedPart() const { return editedPart_; }
    // The open editor: a line editor for the one-line fields, a text editor for the text area.
    QLineEdit* lineEditor() const;
    QPlainTextEdit* textEditor() const;
    QWidget* editor() const { return editor_; }
    // The edit of a field ended with `text`: the card takes it and is saved.
    void controlTextDidEndEditing(SceneCardPart field, const QString& text);
    // A field's text as it is being typed, written as it stands.
    void storeTypedText(SceneCardPart field, const QString& text);

    // Tab arriving at the cards: the card comes to the top, in sight, its heading in edit.
    bool enterFromKeyboard();
    // Opens the card in the large card once the event under way is over; from the keyboard, its
    // heading takes the typing.
    void openInLargeCard(bool fromKeyboard);

    void showAdvice();
    // Asks, then deletes the card.
    void deleteSceneCard();
    // Moves the focus to the card after or before this one on the corkboard.
    void pageToNextSceneCard();
    void pageToPreviousSceneCard();
    // Brings a card of the board to the top of the corkboard or the list.
    void bringToTheTop();
    // A picture of the card as it shows now.
    QPixmap myViewImage() const;

    // The mouse on the thumb tack (positions in the card's points).
    void mouseDown(QMouseEvent* event);
    void mouseDragged(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);
    void rightMouseDown(QMouseEvent* event);
    void rightMouseUp(QMouseEvent* event);

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
    BoardView* myBoardViewParent() const;
    void setMyBoardViewParent(BoardView* board);
    // The card's place on the corkboard that paints it, in board coordinates; whether the board
    // shows it now.
    const QRect& boardFrame() const { return boardFrame_; }
    void setBoardFrame(const QRect& frame);
    bool shownOnBoard() const { return shownOnBoard_; }
    void setShownOnBoard(bool flag) { shownOnBoard_ = flag; }
    // Where the board keeps the card in its stacking.
    std::size_t boardSlot() const { return boardSlot_; }
    void setBoardSlot(std::size_t slot) { boardSlot_ = slot; }
    BoardListPresentation* myBoardListViewParent() const { return myBoardListViewParent_; }
    void setMyBoardListViewParent(BoardListPresentation* list) { myBoardListViewParent_ = list; }
    bool readyToDrag() const { return readyToDrag_; }
    bool moving() const { return moving_; }

    // What the card shows, and where.
    SceneCardDragDropView* dragDropView() const;
    // The layout for the story's zoom and presentation as they are now: a zoom leaves the cards
    // it does not show to be laid out when they are next painted or pointed at.
    const SceneCardLayout& layout() const;
    // The text a field shows: heading, page number, the text area, emotional change, conflict.
    QString fieldText(SceneCardPart field) const;
    QFont fieldFont(SceneCardPart field) const { return SceneCardPainter::fieldFont(layout(), field); }
    // Stripe 1 to 6; white for any other number.
    QColor stripeColor(int stripe) const;
    // The background of tab 1 (description) or 2 (notes).
    QColor tabBackground(std::int64_t tab) const;
    QColor emotionalChangeTypeColor() const;
    const std::vector<SceneCardIndicator>& indicators() const;
    // The part of the card under `point` (card points): where an indicator could stand but
    // none shows, the title bar.
    SceneCardPart partAt(const QPoint& point) const;
    // Whether what the card shows has been read from its card since it last changed; a pass
    // over many cards reads them with one index of the story's links.
    bool lookRead() const { return lookRead_; }
    void readLook(const StoryLinkIndex& links);
    // The description as painted is kept, shaped, while the card lies in sight; a card out of
    // sight lets it go.
    void releaseTextLines() { painter_.releaseTextLines(); }
    bool holdsTextLines() const { return painter_.holdsTextLines(); }
    // What the card says of the part under `point` when the pointer rests there.
    QString toolTipAt(const QPoint& point) const;
    // The pointer's shape over `point` with no button held: the text cursor over the fields
    // that take typing.
    Qt::CursorShape cursorAt(const QPoint& point) const;
    // Paints the card onto the view's painter, `area` large (the card's own size by default).
    void paintCard(QPainter& painter);
    void paintCard(QPainter& painter, const QSize& area);

protected:
    // The editor: Return, Escape, Tab, leaving it, and paging with Ctrl-N / Ctrl-P.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildView();
    // What the card shows, read from its card first when that has not been done since it changed.
    SceneCardLook& look() const;
    // The standard card size of the story's zoom (the layout's size while there is no story).
    QSize standardSize() const;
    // The layout for the story's zoom, the card's size and whether it shows a thumbnail.
    void layOut(const QSize& size);
    // Asks whoever shows the card to paint `rect` of it (card points) again: its widget, or the
    // corkboard that paints it.
    void updateRect(const QRect& rect);
    void fillDescription();
    void repaint();
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
    bool placeOnCard(const RecordList<Record>& records, std::int64_t row, std::int64_t section);
    bool dropSceneCard(const QMimeData* data, const QPoint& location);

    SceneCarddb* scene_ = nullptr;
    std::int64_t selectedTab_ = 1;
    bool canMove_ = false;
    std::int64_t tag_ = 0;
    QPointer<BoardView> myBoardViewParent_;
    QRect boardFrame_;
    // Whether the widget was made and not released since: most cards of a large board never have
    // one, and a pass over them need not look further (the widget itself may have gone since).
    bool viewMade_ = false;
    bool shownOnBoard_ = false;
    std::size_t boardSlot_ = 0;
    BoardListPresentation* myBoardListViewParent_ = nullptr;
    bool readyToDrag_ = false;
    bool moving_ = false;
    int clickCount_ = 0;
    QPointF pMouseDownPoint_;
    QRectF originalLocation_;
    // The card's place when the press took hold of it: a move that becomes a drag puts it back.
    std::optional<CardPlace> placeAtPress_;

    SceneCardLayout layout_;
    // What the layout was worked out for.
    struct LayoutInputs {
        std::int64_t zoom = 0;
        QSize size;
        bool inList = false;
        bool hasThumbnail = false;
        bool operator==(const LayoutInputs&) const = default;
    };
    std::optional<LayoutInputs> laidOut_;
    SceneCardPainter painter_;
    bool lookRead_ = true;
    // The field being edited and its editor, a child of the view while it lives.
    SceneCardPart editedPart_ = SceneCardPart::None;
    QPointer<QWidget> editor_;
    SceneCardEdits::DescriptionTyping descriptionTyping_;
};

// The list of the story-elements pane shows again from the story, when it is the list of
// `section` (0 beats, 3 set-ups, 4 pay-offs, ...) and the pane shows.
void refreshStoryElementsTable(MyDocument& document, std::int64_t section);

// The card Tab enters a presentation of the story's board cards at: the one last brought to the
// top when the presentation `shows` it, or else the first in board order that it shows.
SceneCardView* cardLastWorkedOn(MyDocument* document, Screenplaydb* story,
                                const std::function<bool(const SceneCardView&)>& shows);

// Lets Tab and Shift+Tab arriving at `presentation` (the corkboard, the list or the Litter Box)
// edit the heading of the card `card` names; with none they pass over it.
void enterCardsByKeyboard(QWidget& presentation, std::function<SceneCardView*()> card);

// Takes a card view off the presentation that shows it (corkboard, list or Litter Box). The
// view stays its controller's, put away hidden in the story window so that it can move
// between the window's presentations cheaply.
void takeCardViewOffItsPresentation(SceneCardView& control);

// The colour of a card's colour stripe for the colour code in its slot: white for no code,
// the code's colour (components / 255) otherwise.
QColor colorForStripe(const Screenplaydb& story, std::int64_t colorCodeID);
// The colour of an emotional-change type: white (0), green (1), red (2); `otherwise` for any
// other type.
QColor emotionalChangeTypeColor(std::int64_t type, const QColor& otherwise);
