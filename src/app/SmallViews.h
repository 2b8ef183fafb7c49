#pragma once

#include <QFont>
#include <QFrame>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QScrollArea>
#include <QSplitter>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

// Several pane layouts are given in bottom-up coordinates (y measured upwards from the bottom
// edge of the containing view). Widgets are placed top-down; this is the one conversion
// between the two: the same rectangle in a container `containerHeight` high.
QRect flippedFrame(const QRect& bottomUpFrame, int containerHeight);

// The panes' font: the application's default family at `pixelSize` device-independent
// pixels (a layout point is one such pixel), bold or regular.
QFont standardFont(int pixelSize, bool bold);

// A plain view with top-down coordinates, used as the content of scrolled strips and pages.
class FlippedView : public QWidget
{
    Q_OBJECT

public:
    explicit FlippedView(QWidget* parent = nullptr);
};

// A box (frame) with top-down coordinates.
class FlippedBox : public QFrame
{
    Q_OBJECT

public:
    explicit FlippedBox(QWidget* parent = nullptr);
};

// A scroll area that takes keyboard focus but does not scroll from the keyboard: a key press
// goes no further. Scroll bars and the wheel scroll as usual.
class BaseScrollView : public QScrollArea
{
    Q_OBJECT

public:
    explicit BaseScrollView(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A text field that is not edited by clicking: a double click emits userDoubleClicked once,
// every other mouse press (and the drag or release that follows it) is swallowed, so a
// click neither starts editing nor reaches any other widget. It can still be reached with
// the Tab key.
class DoubleClickTextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit DoubleClickTextField(QWidget* parent = nullptr);

signals:
    void userDoubleClicked(DoubleClickTextField* sender);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A transparent view with the open-hand cursor; pressing the mouse on it brings it in front
// of its siblings. It takes keyboard focus.
class ResponderView : public QWidget
{
    Q_OBJECT

public:
    explicit ResponderView(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// What a ButtonResponder tells the small scene card it belongs to when the mouse enters or
// leaves it.
class SmallSceneCardHover
{
public:
    virtual ~SmallSceneCardHover() = default;
    virtual void popUpRegularSceneCard() = 0;
    virtual void removeRegularSceneCard() = 0;
};

// The button of a small scene card: the mouse entering it pops up the full card, leaving it
// removes the pop-up again.
class ButtonResponder : public QPushButton
{
    Q_OBJECT

public:
    explicit ButtonResponder(QWidget* parent = nullptr);

    // The card told about the mouse; not owned (the card owns its button's view).
    SmallSceneCardHover* mySmallSceneCardParent() const { return mySmallSceneCardParent_; }
    void setMySmallSceneCardParent(SmallSceneCardHover* card) { mySmallSceneCardParent_ = card; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    SmallSceneCardHover* mySmallSceneCardParent_ = nullptr;
};

// A row of widgets, left to right, that goes on in a further row where the next widget would
// pass the right edge: each widget gets the width it asks for, so none is cut while the row is
// at least as wide as its widest widget.
class WrappingRowLayout : public QLayout
{
public:
    explicit WrappingRowLayout(QWidget* parent = nullptr);
    ~WrappingRowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // The gap between two widgets of a row, or between two rows.
    int gap(Qt::Orientation orientation) const;
    // Places the widgets in `rect` (inside the margins) when `place` is set; answers the height
    // the rows take, margins included.
    int arrange(const QRect& rect, bool place) const;

    std::vector<std::unique_ptr<QLayoutItem>> items_;
};

class MainSplitView;

// What the owner of a split view decides about its divider and hears about its panes: the
// limits within which a divider may be moved, and the moments before and after the panes
// change size (a divider moved, by the user or by the program, or the split view resized).
class SplitViewDelegate
{
public:
    virtual ~SplitViewDelegate() = default;
    // The least and the greatest position the divider may take; `proposed` is the split
    // view's own limit (0, or its extent less the divider).
    virtual double splitViewConstrainMinCoordinate(MainSplitView& splitView, double proposed, int dividerIndex) = 0;
    virtual double splitViewConstrainMaxCoordinate(MainSplitView& splitView, double proposed, int dividerIndex) = 0;
    virtual void splitViewWillResizeSubviews(MainSplitView& splitView) = 0;
    virtual void splitViewDidResizeSubviews(MainSplitView& splitView) = 0;
};

// The splitter of a window section: dividers 10 pixels thick, painted white. A divider's
// position is the extent of the panes before it, measured along the split view's extent
// (the height when the panes are stacked, the width when they stand side by side). Every
// move of a divider, dragged or set by the program, keeps within the delegate's limits.
class MainSplitView : public QSplitter
{
    Q_OBJECT

public:
    explicit MainSplitView(QWidget* parent = nullptr);
    explicit MainSplitView(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Not owned; it outlives the split view or is cleared first.
    SplitViewDelegate* delegate() const { return delegate_; }
    void setDelegate(SplitViewDelegate* delegate) { delegate_ = delegate; }

    int extent() const;
    // The extent of pane `index`; 0 for a pane that does not exist.
    int paneExtent(int index) const;
    // The size of pane `index`; an empty size for a pane that does not exist.
    QSize paneSize(int index) const;

    // Moves a divider (0 is the first) to `position`, within the delegate's limits.
    void setPosition(int position, int dividerIndex = 0);
    // The positions the divider may take: the delegate's limits, or the split view's own.
    std::pair<int, int> dividerLimits(int dividerIndex) const;

protected:
    QSplitterHandle* createHandle() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class MainSplitHandle;
    void moveDivider(int position, int dividerIndex, std::pair<int, int> limits);
    // Where the panes before the divider begin, and the extent the divider shares out.
    std::pair<int, int> dividerSpan(int dividerIndex) const;

    SplitViewDelegate* delegate_ = nullptr;
};
