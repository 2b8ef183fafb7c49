#include "SmallViews.h"

#include "AppLog.h"
#include "GuardedCall.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDividerThickness = 10;

} // namespace

QRect flippedFrame(const QRect& bottomUpFrame, int containerHeight)
{
    return QRect(bottomUpFrame.x(), containerHeight - bottomUpFrame.y() - bottomUpFrame.height(),
                 bottomUpFrame.width(), bottomUpFrame.height());
}

QFont standardFont(int pixelSize, bool bold)
{
    QFont font = QGuiApplication::font();
    // A size below one pixel is not a font size; the smallest one is used instead.
    font.setPixelSize(std::max(1, pixelSize));
    font.setBold(bold);
    return font;
}

FlippedView::FlippedView(QWidget* parent)
    : QWidget(parent)
{
}

FlippedBox::FlippedBox(QWidget* parent)
    : QFrame(parent)
{
}

BaseScrollView::BaseScrollView(QWidget* parent)
    : QScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void BaseScrollView::keyPressEvent(QKeyEvent* event)
{
    // A Page Down that a field inside the view left alone comes up here as a request to page
    // down; neither it nor any other key scrolls. Menu shortcuts are matched before this, and
    // Tab still moves the focus on.
    const QWidget* focus = QApplication::focusWidget();
    if (event->key() == Qt::Key_PageDown && focus && focus != this && isAncestorOf(focus))
        qCDebug(lcApp, "scroll paged down");
    else
        qCDebug(lcApp, "keydown");
    event->accept();
}

DoubleClickTextField::DoubleClickTextField(QWidget* parent)
    : QLineEdit(parent)
{
    // Clicking must not put the field into editing; Tab may.
    setFocusPolicy(Qt::TabFocus);
    // The context menu would offer pasting and so editing by mouse.
    setContextMenuPolicy(Qt::NoContextMenu);
}

void DoubleClickTextField::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void DoubleClickTextField::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void DoubleClickTextField::mouseReleaseEvent(QMouseEvent* event)
{
    // Also keeps the middle button from pasting the selection.
    event->accept();
}

void DoubleClickTextField::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    emit userDoubleClicked(this);
}

ResponderView::ResponderView(QWidget* parent)
    : QWidget(parent)
{
    setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ResponderView::mousePressEvent(QMouseEvent* event)
{
    raise();
    event->accept();
}

ButtonResponder::ButtonResponder(QWidget* parent)
    : QPushButton(parent)
{
}

void ButtonResponder::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    if (mySmallSceneCardParent_)
        mySmallSceneCardParent_->popUpRegularSceneCard();
}

void ButtonResponder::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    if (mySmallSceneCardParent_)
        mySmallSceneCardParent_->removeRegularSceneCard();
}

// A divider that asks its split view's delegate, when the drag begins, how far it may go, and
// keeps every step of the drag within that range.
class MainSplitHandle : public QSplitterHandle
{
public:
    MainSplitHandle(Qt::Orientation orientation, MainSplitView* parent)
        : QSplitterHandle(orientation, parent)
        , splitView_(parent)
    {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Qt::white);
        setPalette(palette);
        setAutoFillBackground(true);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) {
            event->ignore();
            return;
        }
        dragging_ = true;
        grabOffset_ = along(event->position().toPoint());
        guardedCall([this] { limits_ = splitView_->dividerLimits(dividerIndex()); });
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!dragging_ || !(event->buttons() & Qt::LeftButton))
            return;
        const int position = along(splitView_->mapFromGlobal(event->globalPosition().toPoint())) - grabOffset_;
        guardedCall([this, position] { splitView_->moveDivider(position, dividerIndex(), limits_); });
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            dragging_ = false;
        event->accept();
    }

private:
    int along(const QPoint& point) const { return orientation() == Qt::Horizontal ? point.x() : point.y(); }
    int dividerIndex() const { return splitView_->indexOf(const_cast<MainSplitHandle*>(this)) - 1; }

    MainSplitView* splitView_;
    bool dragging_ = false;
    int grabOffset_ = 0;
    std::pair<int, int> limits_{0, 0};
};

WrappingRowLayout::WrappingRowLayout(QWidget* parent)
    : QLayout(parent)
{
}

WrappingRowLayout::~WrappingRowLayout() = default;

void WrappingRowLayout::addItem(QLayoutItem* item)
{
    items_.emplace_back(item);
    invalidate();
}

int WrappingRowLayout::count() const
{
    return static_cast<int>(items_.size());
}

QLayoutItem* WrappingRowLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

QLayoutItem* WrappingRowLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    const auto at = items_.begin() + index;
    QLayoutItem* item = at->release();
    items_.erase(at);
    invalidate();
    return item;
}

Qt::Orientations WrappingRowLayout::expandingDirections() const
{
    return {};
}

bool WrappingRowLayout::hasHeightForWidth() const
{
    return true;
}

int WrappingRowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize WrappingRowLayout::minimumSize() const
{
    // As narrow as the widest widget, and as high as the rows are in that width.
    QSize least;
    for (const auto& item : items_)
        least = least.expandedTo(item->sizeHint());
    const QMargins margins = contentsMargins();
    least.rwidth() += margins.left() + margins.right();
    least.setHeight(heightForWidth(least.width()));
    return least;
}

QSize WrappingRowLayout::sizeHint() const
{
    // Every widget in one row.
    int width = 0;
    for (const auto& item : items_)
        if (!item->isEmpty())
            width += (width > 0 ? gap(Qt::Horizontal) : 0) + item->sizeHint().width();
    const QMargins margins = contentsMargins();
    width += margins.left() + margins.right();
    return QSize(width, heightForWidth(width));
}

void WrappingRowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int WrappingRowLayout::gap(Qt::Orientation orientation) const
{
    if (spacing() >= 0)
        return spacing();
    const QWidget* owner = parentWidget();
    const QStyle* style = owner ? owner->style() : QApplication::style();
    return std::max(0, style->layoutSpacing(QSizePolicy::Label, QSizePolicy::Label, orientation, nullptr, owner));
}

int WrappingRowLayout::arrange(const QRect& rect, bool place) const
{
    const QMargins margins = contentsMargins();
    const QRect inside = rect.marginsRemoved(margins);
    const int across = gap(Qt::Horizontal);
    const int down = gap(Qt::Vertical);
    int x = inside.x();
    int y = inside.y();
    int rowHeight = 0;
    for (const auto& item : items_) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        // A widget that passes the right edge begins the next row, unless it is the first of its row.
        if (x > inside.x() && x + size.width() > inside.right() + 1) {
            x = inside.x();
            y += rowHeight + down;
            rowHeight = 0;
        }
        if (place)
            item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + across;
        rowHeight = std::max(rowHeight, size.height());
    }
    return y + rowHeight - rect.y() + margins.bottom();
}

MainSplitView::MainSplitView(QWidget* parent)
    : MainSplitView(Qt::Horizontal, parent)
{
}

MainSplitView::MainSplitView(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent)
{
    setHandleWidth(kDividerThickness);
}

QSplitterHandle* MainSplitView::createHandle()
{
    return new MainSplitHandle(orientation(), this);
}

int MainSplitView::extent() const
{
    return orientation() == Qt::Horizontal ? width() : height();
}

QSize MainSplitView::paneSize(int index) const
{
    const QWidget* pane = widget(index);
    return pane ? pane->size() : QSize(0, 0);
}

int MainSplitView::paneExtent(int index) const
{
    const QSize size = paneSize(index);
    return orientation() == Qt::Horizontal ? size.width() : size.height();
}

std::pair<int, int> MainSplitView::dividerSpan(int dividerIndex) const
{
    const QList<int> extents = sizes();
    int start = 0;
    for (int i = 0; i < dividerIndex && i < extents.size(); ++i)
        start += extents.at(i) + handleWidth();
    const int shared = extents.value(dividerIndex) + extents.value(dividerIndex + 1);
    return {start, shared};
}

std::pair<int, int> MainSplitView::dividerLimits(int dividerIndex) const
{
    const auto [start, shared] = dividerSpan(dividerIndex);
    if (!delegate_)
        return {start, start + shared};
    auto* self = const_cast<MainSplitView*>(this);
    const double least = delegate_->splitViewConstrainMinCoordinate(*self, start, dividerIndex);
    const double greatest = delegate_->splitViewConstrainMaxCoordinate(*self, start + shared, dividerIndex);
    return {static_cast<int>(std::floor(least)), static_cast<int>(std::floor(greatest))};
}

void MainSplitView::setPosition(int position, int dividerIndex)
{
    moveDivider(position, dividerIndex, dividerLimits(dividerIndex));
}

void MainSplitView::moveDivider(int position, int dividerIndex, std::pair<int, int> limits)
{
    if (dividerIndex < 0 || dividerIndex + 1 >= count())
        return;
    // The least position wins over a greatest one below it.
    position = std::max(limits.first, std::min(position, limits.second));
    const auto [start, shared] = dividerSpan(dividerIndex);
    const int before = std::clamp(position - start, 0, shared);
    QList<int> extents = sizes();
    if (extents.value(dividerIndex) == before)
        return;
    if (delegate_)
        delegate_->splitViewWillResizeSubviews(*this);
    extents[dividerIndex] = before;
    extents[dividerIndex + 1] = shared - before;
    setSizes(extents);
    if (delegate_)
        delegate_->splitViewDidResizeSubviews(*this);
}

void MainSplitView::resizeEvent(QResizeEvent* event)
{
    if (delegate_)
        guardedCall([this] { delegate_->splitViewWillResizeSubviews(*this); });
    QSplitter::resizeEvent(event);
    if (delegate_)
        guardedCall([this] { delegate_->splitViewDidResizeSubviews(*this); });
}
