#include "ThreeRowLists.h"

#include "app/BaseViewController.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/CardDragStarter.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"

#include <QMimeData>
#include <QPixmap>
#include <QTableView>

#include <algorithm>

namespace ThreeRowLists {

namespace {

// What the text's width leaves of the pane: the mark columns and the cell margins.
constexpr float kWidthTakenByTable = 40.0f;
constexpr float kWidthTakenByCell = 16.0f;

} // namespace

int fontSize(const Screenplaydb& story)
{
    return StoredRange::fontSetting(story.standardFontSetting()) + 11;
}

int textRowHeight(const BaseViewController& list, const QString& text, int least)
{
    const MainSplitView* beats = list.myParent()->splBeats();
    const float paneWidth = static_cast<float>(beats ? beats->paneSize(0).width() : list.view()->width());
    const float height = BaseViewController::heightForString(text, standardFont(fontSize(*list.screenplay()), false),
                                                             paneWidth - kWidthTakenByTable - kWidthTakenByCell);
    return std::max(least, static_cast<int>(height));
}

void startRowDrag(QTableView* table, const QModelIndex& from, int imageColumn, std::unique_ptr<QMimeData> data)
{
    if (!data)
        return;
    const QPixmap image = from.siblingAtColumn(imageColumn).data(Qt::DecorationRole).value<QPixmap>();
    CardDragStarter::current().startDrag(table, std::move(data), image, QPoint(image.width() / 2, 0),
                                         Qt::LinkAction | Qt::CopyAction);
}

} // namespace ThreeRowLists
