#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class QTableView;

// Keeps the rows of a list as high as their texts need at the list's width, however long the list,
// without keeping the window busy while its pane is being resized. When the width changes, or the
// rows are read again, the rows in sight fit at once; the others fit in short turns of the event
// loop (each at most kTurnMs), between the writer's own moves, and a row that comes into sight
// fits as it does. Until it fits, a row keeps the height it had, which the width of one step hardly
// changes; rows read again take the mean height of those that fitted in sight, so the scroll bar
// is about as long as it will be. The row under the pointer (the row at the top of the list when
// the pointer is not over it) stays where it is on the screen while the rows around it change
// height. Heights are in pixels, widths are the width a text wraps in. A child of its table,
// which must have a model.
class RowFitter : public QObject
{
public:
    // The height of row `row` when its text wraps in `width`.
    using Height = std::function<int(int row, int width)>;

    // The longest turn of fitting rows out of sight, in milliseconds.
    static constexpr int kTurnMs = 4;

    RowFitter(QTableView& table, Height height);

    // Every row is to fit `width`: those in sight now, the others in later turns.
    void fit(int width);
    // The table's model was reset: no row fits yet. Fits those in sight at `width` now.
    void reload(int width);
    // The text of `row` changed: the row fits again now, and so do the rows it brings into sight.
    void refitRow(int row);
    // Whether every row has the height its text needs at the width last asked for.
    bool whole() const { return unfitted_ == 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Fit {
        int row;
        int height;
    };
    // A row of the table and the place on the screen it keeps: the part `fraction` of its height
    // lies at `y` in the table's viewport.
    struct Anchor {
        int row = -1;
        double fraction = 0;
        int y = 0;
    };

    Anchor anchorNow() const;
    // The height `row` will have: the one it has when it fits already, else its height at the width
    // asked for, which is added to `fits`.
    int heightFor(int row, std::vector<Fit>& fits);
    // Fits the rows that show around the anchor once the rows change height; answers them.
    std::vector<Fit> fitAround(const Anchor& anchor);
    void fitInSight();
    // Fits the rows out of sight, for at most kTurnMs; another turn follows while any is left.
    void fitSomeMore();
    // The rows take their heights in one go, and the anchor its place again.
    void apply(const std::vector<Fit>& fits, const Anchor& anchor);

    QTableView& table_;
    QObject* viewport_;
    Height height_;
    int width_ = -1;
    // The width each row fits, or kNoWidth.
    std::vector<int> fittedAt_;
    int unfitted_ = 0;
    // Where the next turn begins to look for rows that do not fit.
    std::size_t next_ = 0;
    // Set while the table scrolls to keep the anchor, so that the scroll fits no rows of its own.
    bool applying_ = false;
    QTimer turns_;
};
