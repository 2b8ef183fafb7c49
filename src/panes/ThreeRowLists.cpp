#include "ThreeRowLists.h"

#include "app/BaseViewController.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/CardDragStarter.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"

#include <QHeaderView>
#include <QMimeData>
#include <QPixmap>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace ThreeRowLists {

namespace {

// What a table `tableWidth` wide leaves the text of a cell of `textColumn`: less its frame, its
// other columns, room for its vertical scroll bar and the margins the cell keeps around its text.
// The scroll bar is counted whether it shows or not, so a row is never measured wider than it may
// be drawn.
float textWidth(const QTableView& table, int textColumn, int tableWidth)
{
    const QStyle* style = table.style();
    int taken = 2 * table.frameWidth() + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &table) +
                2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1);
    for (int column = 0; column < table.horizontalHeader()->count(); ++column)
        if (column != textColumn && !table.isColumnHidden(column))
            taken += table.columnWidth(column);
    return static_cast<float>(tableWidth - taken);
}

} // namespace

int fontSize(const Screenplaydb& story)
{
    return StoredRange::fontSetting(story.standardFontSetting()) + 11;
}

int textRowHeight(const BaseViewController& list, const QTableView& table, int textColumn, const QString& text,
                  bool bold, int least)
{
    const MainSplitView* beats = list.myParent()->splBeats();
    const int paneWidth = beats ? beats->paneSize(0).width() : list.view()->width();
    const float height = BaseViewController::heightForString(text, standardFont(fontSize(*list.screenplay()), bold),
                                                             textWidth(table, textColumn, paneWidth));
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
