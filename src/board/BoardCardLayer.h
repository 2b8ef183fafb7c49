#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

class BoardView;
class SceneCardView;
class QDragEnterEvent;
class QMouseEvent;

// The layer of the corkboard that paints its cards: one widget over the whole board, above the
// rules, labels and beat bars, that paints every card the board shows without a widget of its
// own, in the board's stacking, each only where no card above it covers it. It answers the
// pointer for the cards it paints: a press gives the card under it a widget of its own, on top
// of the board, and the press and the moves and release that follow go to that widget, so a
// painted card behaves as one with a widget. Tooltips, the pointer's shape and drops are
// answered for the card under the pointer, or for the board where no card lies.
class BoardCardLayer : public QWidget
{
    Q_OBJECT

public:
    // Not owned: the board outlives its layer (the layer is a widget of the board's view).
    BoardCardLayer(BoardView& board, QWidget* parent);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Whether the board or any card on it would take the drag somewhere.
    bool takenSomewhere(const QDragEnterEvent& event) const;
    // Sends `event` to `target` in the target's coordinates; answers whether it was taken.
    bool forward(QMouseEvent* event, QWidget* target);

    // Lets the cards painted before and now out of sight give up their shaped texts, and keeps
    // those of `painted`.
    void keepTextLinesInSight(const std::vector<SceneCardView*>& painted);

    BoardView& board_;
    // The widget of the card a button went down on: it has the mouse until the buttons are up.
    QPointer<QWidget> pressed_;
    // The painted cards that keep their shaped texts.
    std::vector<QPointer<SceneCardView>> shaped_;
};
