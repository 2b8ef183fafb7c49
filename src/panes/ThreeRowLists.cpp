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

int fontSize(const Screenplaydb& story)
{
    return fontSizeFor(story.standardFontSetting());
}

int fontSizeFor(std::int64_t setting)
{
    return StoredRange::fontSetting(setting) + 11;
}

int textWidth(const BaseViewController& list, const QTableView& table, int textColumn)
{
    // The table is as wide as its pane, less its frame, its other columns, room for its vertical
    // scroll bar and the margins the cell keeps around its text. The scroll bar is counted whether
    // it shows or not, so a row is never measured wider than it may be drawn.
    const MainSplitView* beats = list.myParent()->splBeats();
    const int paneWidth = beats ? beats->paneSize(0).width() : list.view()->width();
    const QStyle* style = table.style();
    int taken = 2 * table.frameWidth() + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &table) +
                2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1);
    for (int column = 0; column < table.horizontalHeader()->count(); ++column)
        if (column != textColumn && !table.isColumnHidden(column))
            taken += table.columnWidth(column);
    return paneWidth - taken;
}

int TextRowHeights::height(const Screenplaydb& story, const QString& text, bool bold, int width, int least)
{
    if (const int size = fontSize(story); size != fontSize_) {
        fontSize_ = size;
        fonts_ = fonts(size);
    }
    const auto face = static_cast<std::size_t>(bold);
    return std::max(least, static_cast<int>(heights_[face].height(text, fonts_[face], width)));
}

void TextRowHeights::readAhead(std::unique_ptr<TextsReadAhead> ahead)
{
    for (TextHeights& heights : heights_)
        heights.takeReadingsFrom(ahead.get());
    ahead_ = std::move(ahead);
}

std::array<QFont, 2> fonts(int size)
{
    return {standardFont(size, false), standardFont(size, true)};
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
