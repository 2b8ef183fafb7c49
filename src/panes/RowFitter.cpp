#include "RowFitter.h"

#include "app/GuardedCall.h"

#include <QAbstractItemModel>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace {

// The width of a row that fits none.
constexpr int kNoWidth = -1;
// Rows fitted between two looks at the clock.
constexpr std::size_t kRowsBetweenLooks = 16;

} // namespace

RowFitter::RowFitter(QTableView& table, Height height)
    : QObject(&table), table_(table), viewport_(table.viewport()), height_(std::move(height))
{
    turns_.setSingleShot(true);
    turns_.setInterval(0);
    connect(&turns_, &QTimer::timeout, this, [this] { guardedCall([this] { fitSomeMore(); }); });
    // Rows scrolled or grown into sight fit before they are drawn.
    connect(table_.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!applying_)
            guardedCall([this] { fitInSight(); });
    });
    viewport_->installEventFilter(this);
}

bool RowFitter::eventFilter(QObject* watched, QEvent* event)
{
    // The table may be going: the viewport is known by its address alone, and only a resize,
    // which no table in its end gets, asks more of it.
    if (event->type() == QEvent::Resize && watched == viewport_ && width_ >= 0)
        guardedCall([this] { fitInSight(); });
    return QObject::eventFilter(watched, event);
}

void RowFitter::reload(int width)
{
    width_ = width;
    const int count = table_.model()->rowCount();
    fittedAt_.assign(static_cast<std::size_t>(count), kNoWidth);
    unfitted_ = count;
    next_ = 0;
    const Anchor anchor = anchorNow();
    const std::vector<Fit> fits = fitAround(anchor);
    if (!fits.empty()) {
        long long sum = 0;
        for (const Fit& fit : fits)
            sum += fit.height;
        const auto mean = static_cast<int>(sum / static_cast<long long>(fits.size()));
        QHeaderView* rows = table_.verticalHeader();
        if (mean != rows->defaultSectionSize())
            rows->setDefaultSectionSize(mean);
    }
    apply(fits, anchor);
    if (unfitted_ > 0)
        turns_.start();
}

void RowFitter::fit(int width)
{
    if (fittedAt_.size() != static_cast<std::size_t>(table_.model()->rowCount())) {
        reload(width);
        return;
    }
    if (width != width_) {
        width_ = width;
        unfitted_ = static_cast<int>(std::count_if(fittedAt_.begin(), fittedAt_.end(),
                                                   [width](int fitted) { return fitted != width; }));
    }
    fitInSight();
    if (unfitted_ > 0)
        turns_.start();
}

void RowFitter::refitRow(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= fittedAt_.size())
        return;
    int& fitted = fittedAt_[static_cast<std::size_t>(row)];
    if (fitted == width_)
        ++unfitted_;
    fitted = kNoWidth;
    const Anchor anchor = anchorNow();
    std::vector<Fit> fits;
    heightFor(row, fits);
    apply(fits, anchor);
    // A row grown shorter brings the rows after it into sight.
    fitInSight();
}

RowFitter::Anchor RowFitter::anchorNow() const
{
    const QWidget* viewport = table_.viewport();
    const QHeaderView* rows = table_.verticalHeader();
    Anchor anchor;
    // Only a pointer over the list is asked where it is: the question waits on the window system.
    if (viewport->underMouse()) {
        const QPoint pointer = viewport->mapFromGlobal(QCursor::pos());
        if (viewport->rect().contains(pointer)) {
            anchor.y = pointer.y();
            anchor.row = rows->logicalIndexAt(anchor.y);
        }
    }
    if (anchor.row < 0) {
        anchor.y = 0;
        anchor.row = rows->logicalIndexAt(0);
    }
    if (anchor.row < 0)
        return anchor;
    const int height = rows->sectionSize(anchor.row);
    if (height > 0)
        anchor.fraction = double(anchor.y - rows->sectionViewportPosition(anchor.row)) / height;
    return anchor;
}

int RowFitter::heightFor(int row, std::vector<Fit>& fits)
{
    int& fitted = fittedAt_[static_cast<std::size_t>(row)];
    if (fitted == width_)
        return table_.verticalHeader()->sectionSize(row);
    const int height = height_(row, width_);
    fitted = width_;
    --unfitted_;
    fits.push_back({row, height});
    return height;
}

std::vector<RowFitter::Fit> RowFitter::fitAround(const Anchor& anchor)
{
    std::vector<Fit> fits;
    if (anchor.row < 0 || static_cast<std::size_t>(anchor.row) >= fittedAt_.size())
        return fits;
    const int count = static_cast<int>(fittedAt_.size());
    const int sight = table_.viewport()->height();
    const int anchorHeight = heightFor(anchor.row, fits);
    const int top = anchor.y - static_cast<int>(std::lround(anchor.fraction * anchorHeight));
    int below = top + anchorHeight;
    for (int row = anchor.row + 1; row < count && below < sight; ++row)
        below += heightFor(row, fits);
    int above = top;
    for (int row = anchor.row - 1; row >= 0 && above > 0; --row)
        above -= heightFor(row, fits);
    return fits;
}

void RowFitter::fitInSight()
{
    if (fittedAt_.size() != static_cast<std::size_t>(table_.model()->rowCount()))
        return;
    // Rows above the top that grow less than they were thought to may pull more rows into sight.
    for (int round = 0; round < 2; ++round) {
        const Anchor anchor = anchorNow();
        const std::vector<Fit> fits = fitAround(anchor);
        if (fits.empty())
            return;
        apply(fits, anchor);
    }
}

void RowFitter::fitSomeMore()
{
    const std::size_t count = fittedAt_.size();
    if (count != static_cast<std::size_t>(table_.model()->rowCount()))
        return;
    QElapsedTimer clock;
    clock.start();
    const Anchor anchor = anchorNow();
    std::vector<Fit> fits;
    while (unfitted_ > 0) {
        if (fittedAt_[next_] != width_) {
            heightFor(static_cast<int>(next_), fits);
            if (fits.size() % kRowsBetweenLooks == 0 && clock.hasExpired(kTurnMs))
                break;
        }
        next_ = (next_ + 1) % count;
    }
    apply(fits, anchor);
    if (unfitted_ > 0)
        turns_.start();
}

void RowFitter::apply(const std::vector<Fit>& fits, const Anchor& anchor)
{
    if (fits.empty())
        return;
    // A row header that shows each change works out the places of all rows again for each; with its
    // updates off it only takes the sizes, and the table lays itself out once when it next can.
    QHeaderView* rows = table_.verticalHeader();
    const bool updates = rows->updatesEnabled();
    rows->setUpdatesEnabled(false);
    bool aboveAnchor = false;
    for (const Fit& fit : fits) {
        rows->resizeSection(fit.row, fit.height);
        aboveAnchor = aboveAnchor || fit.row < anchor.row;
    }
    rows->setUpdatesEnabled(updates);
    if (anchor.row < 0 || (!aboveAnchor && std::none_of(fits.begin(), fits.end(), [&](const Fit& fit) {
            return fit.row == anchor.row;
        })))
        return;
    // The rows above the anchor, and the anchor itself, moved it: the list scrolls it back to its
    // place, over a scroll range that already counts the new heights.
    applying_ = true;
    table_.doItemsLayout();
    const int height = rows->sectionSize(anchor.row);
    table_.verticalScrollBar()->setValue(rows->sectionPosition(anchor.row) +
                                         static_cast<int>(std::lround(anchor.fraction * height)) - anchor.y);
    applying_ = false;
}
