#include "TabPageLayout.h"

#include <QWidget>

#include <algorithm>

namespace {

constexpr int kLeft = 7;
constexpr int kNarrower = 13;
constexpr int kLower = 40;

} // namespace

TabPageLayout::TabPageLayout(QWidget* page, int tableFoot) : QLayout(page), tableFoot_(tableFoot)
{
    setContentsMargins(0, 0, 0, 0);
}

TabPageLayout::~TabPageLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

QRect TabPageLayout::tableFrame(const QSize& page, int tableFoot)
{
    const int height = std::max(0, page.height() - kLower);
    return QRect(kLeft, page.height() - tableFoot - height, std::max(0, page.width() - kNarrower), height);
}

void TabPageLayout::addItem(QLayoutItem* item)
{
    items_.append(item);
}

int TabPageLayout::count() const
{
    return static_cast<int>(items_.size());
}

QLayoutItem* TabPageLayout::itemAt(int index) const
{
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* TabPageLayout::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize TabPageLayout::sizeHint() const
{
    return minimumSize();
}

QSize TabPageLayout::minimumSize() const
{
    return QSize(kNarrower, kLower);
}

void TabPageLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect table = tableFrame(rect.size(), tableFoot_).translated(rect.topLeft());
    if (QLayoutItem* first = itemAt(0))
        first->setGeometry(table);
    if (QLayoutItem* second = itemAt(1)) {
        // The buttons stand in the strip between the table's foot and the page's.
        const int top = table.bottom() + 1;
        second->setGeometry(QRect(table.left(), top, table.width(), std::max(0, rect.bottom() + 1 - top - 2)));
    }
}
