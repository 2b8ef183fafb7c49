#pragma once

#include <QPoint>
#include <QWidget>

#include <cstdint>

class MyDocument;
class QDropEvent;
class QMimeData;

// The board pane: the first pane of the document's board split view. It holds the corkboard's
// scroll view, the board list view or the large scene card with its strip of small cards. A
// card dragged out of the Litter Box and dropped on the pane itself, or on the large scene card
// and its strip lying over it, goes back to the place it had on the board and opens in the
// large scene card.
class BoardSplitterView : public QWidget
{
    Q_OBJECT

public:
    explicit BoardSplitterView(QWidget* parent = nullptr);
    ~BoardSplitterView() override;

    // Not owned: the document outlives its window's panes.
    MyDocument* myParent() const { return myParent_; }
    void setMyParent(MyDocument* parent) { myParent_ = parent; }

    Qt::DropAction dragOperationFor(const QMimeData* data, Qt::DropActions offered) const;
    bool performDrop(const QMimeData* data, const QPoint& location);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The strip of small cards keeps to the bottom of the pane, as wide as the pane.
    void resizeEvent(QResizeEvent* event) override;

private:
    // Refuses the event when the corkboard or the list lies at its point.
    bool coveredAt(QDropEvent* event) const;

    MyDocument* myParent_ = nullptr;
};
