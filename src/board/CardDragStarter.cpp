#include "CardDragStarter.h"

#include <QDrag>
#include <QMimeData>
#include <QWidget>

namespace {

std::unique_ptr<CardDragStarter>& installed()
{
    static std::unique_ptr<CardDragStarter> starter = std::make_unique<QtCardDragStarter>();
    return starter;
}

} // namespace

CardDragStarter& CardDragStarter::current()
{
    return *installed();
}

std::unique_ptr<CardDragStarter> CardDragStarter::install(std::unique_ptr<CardDragStarter> starter)
{
    if (!starter)
        starter = std::make_unique<QtCardDragStarter>();
    std::swap(installed(), starter);
    return starter;
}

Qt::DropAction QtCardDragStarter::startDrag(QWidget* source, std::unique_ptr<QMimeData> data, const QPixmap& image,
                                            const QPoint& hotSpot, Qt::DropActions actions)
{
    // The drag takes the data; it belongs to the source widget until Qt disposes of it.
    auto* drag = new QDrag(source);
    drag->setMimeData(data.release());
    drag->setPixmap(image);
    drag->setHotSpot(hotSpot);
    return drag->exec(actions);
}
