#pragma once

#include <QPixmap>
#include <QPoint>
#include <Qt>

#include <memory>

class QMimeData;
class QWidget;

// Starts the drags of the board: a card dragged out of its place, or a record dragged onto a
// card. The program uses QDrag; tests install a recording stand-in, since a real drag runs the
// platform's own event loop, which a headless test cannot steer.
class CardDragStarter
{
public:
    virtual ~CardDragStarter() = default;

    // Runs a drag of `data` from `source` until the user lets go, showing `image` with the
    // pointer at `hotSpot` (in the image's coordinates). Answers what the target did with it
    // (Qt::IgnoreAction when nothing took it).
    virtual Qt::DropAction startDrag(QWidget* source, std::unique_ptr<QMimeData> data, const QPixmap& image,
                                     const QPoint& hotSpot, Qt::DropActions actions) = 0;

    // The starter in use: the QDrag one unless another was installed.
    static CardDragStarter& current();
    // Installs `starter` (nothing: the QDrag one again) and answers the one it replaces.
    static std::unique_ptr<CardDragStarter> install(std::unique_ptr<CardDragStarter> starter);
};

// The drag of the running program.
class QtCardDragStarter : public CardDragStarter
{
public:
    Qt::DropAction startDrag(QWidget* source, std::unique_ptr<QMimeData> data, const QPixmap& image,
                             const QPoint& hotSpot, Qt::DropActions actions) override;
};
