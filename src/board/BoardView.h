#pragma once

#include "app/BaseViewController.h"

#include <QFrame>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <cstdint>
#include <functional>
#include <vector>

class BoardCardLayer;
class QLabel;
class BoardView;
class QMimeData;
class SceneCardView;

// The cork that fills the corkboard. It is also where a card dragged out of the Litter Box
// is dropped to come back onto the board.
class BoardViewBackground : public QFrame
{
    Q_OBJECT

public:
    explicit BoardViewBackground(QWidget* parent = nullptr);

    // Not owned: the board owns the view that holds the cork.
    BoardView* myBoardViewParent() const { return myBoardViewParent_; }
    void setMyBoardViewParent(BoardView* board) { myBoardViewParent_ = board; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    BoardView* myBoardViewParent_ = nullptr;
};

// The corkboard: a board of the story's stored size on which the board cards lie in four
// rows, one per board section (Act One, the two halves of Act Two, Act Three). Black rules
// four points thick frame the board and part the rows; each row carries its centred section
// label and, along its bottom edge, the beat bars of its board beats with their page ranges.
// Coordinates are top-down. The card views belong to the document; the board only shows them
// while it lives. It paints its cards on one layer (BoardCardLayer), in its stacking, so that
// what a board costs follows what shows of it; a card that is pressed, edited or dropped on
// gets a widget of its own, which lies on the board above the painted cards.
class BoardView : public BaseViewController
{
    Q_OBJECT

public:
    // Builds the board for the story's size and zoom and lays its cards on it. The document's
    // board scroll view must exist: the board grows to fill its visible area.
    BoardView(MyDocument* parent, Screenplaydb* screenplay);
    ~BoardView() override;

    // Fixes the board's size (saving any change) and draws its rules, labels and beat bars.
    void configureTheBoard();
    // Puts the view of every board card onto the board at its stored place.
    void layoutSceneCardsOnBoard();
    // Takes the rules, labels and beat bars off the board.
    void removeLayoutControlsFromTheBoard();
    // Takes the board cards' views off the board (they stay the document's).
    void removeSceneCardsFromTheBoard();
    // Builds the board again from the story.
    void refreshTheBoard();
    // The story's zoom changed: the rules, labels and beat bars follow the new card size, and
    // every card takes its new size and place; the cards keep their stacking.
    void zoomChanged();
    // Brings the card above everything else on the board and makes it the document's active card.
    void popToTheTop(SceneCardView& card);
    // Puts a card of the Litter Box onto the board at `location` (board coordinates).
    void dropSceneCard(std::int64_t sceneCardID, const QPoint& location);
    // One rule: a black box with no title, on the board, that the caller shows.
    QFrame* boxWithFrame(const QRect& frame) const;

    BoardViewBackground* boxBackground() const { return boxBackground_; }
    BoardCardLayer* cardLayer() const;

    // The cards the board shows, bottom to top; a card that left the board leaves a null.
    const std::vector<SceneCardView*>& shownCards() const { return cards_; }
    // The board frame of each card of shownCards(), at the same index, so that a pass over a
    // large board need not visit every card view. A card whose slot may have held a widget is
    // asked itself: its widget may lie elsewhere than its frame while it is dragged.
    const std::vector<QRect>& shownFrames() const { return frames_; }
    bool mayHaveWidget(std::size_t slot) const { return slot < seated_.size() && seated_[slot]; }
    // The card's board frame changed.
    void cardFrameChanged(const SceneCardView& card);
    // The card Tab enters the board at: the one last brought to the top, or else the first in
    // board order; none on an empty board.
    SceneCardView* keyboardCard() const;
    // The top card under `point`, in board coordinates (a card with a widget of its own lies
    // above the painted ones); null where there is none.
    SceneCardView* cardAt(const QPoint& point) const;
    // A card the board shows was given its widget: the widget lies at the card's place, above
    // every other card.
    void seatCardView(SceneCardView& card);
    // The board no longer shows the card (it went to the Litter Box, or is going).
    void forgetCard(SceneCardView& card);
    // Paints `rect` of the card again (card points; all of it when empty).
    void updateCard(const SceneCardView& card, const QRect& rect = QRect());

    // The background's questions when a card is dragged over it.
    Qt::DropAction dragOperationFor(const QMimeData* data, Qt::DropActions offered) const;
    bool performDrop(const QMimeData* data, const QPoint& location);

    // The mark of every label and beat bar the board adds.
    static constexpr int kLayoutTag = 100;

private:
    void removeCardsNoLongerOnTheBoard();
    // The card goes on top of the board's stacking.
    void stackOnTop(SceneCardView& card);
    // Drops the nulls that cards leaving the board left.
    void compactStacking();
    void drawSectionLabels(int width, int height, int y1, int y2, int y3);
    void drawBeatBars(int width, int height, int y1, int y2, int y3);

    BoardViewBackground* boxBackground_ = nullptr;
    QPointer<BoardCardLayer> cardLayer_;
    // The rules, section labels and beat bars, in the order they are drawn.
    std::vector<QPointer<QFrame>> rules_;
    std::vector<QPointer<QLabel>> sectionLabels_;
    std::vector<QPointer<QLabel>> beatBars_;
    // The stacking (bottom to top), with each card's frame and whether a widget was seated in
    // its slot, kept in step.
    std::vector<SceneCardView*> cards_;
    std::vector<QRect> frames_;
    std::vector<char> seated_;
    std::size_t gaps_ = 0;
    // While the board lays out all its cards, the layer is painted again once, at the end.
    bool layingOut_ = false;
};
