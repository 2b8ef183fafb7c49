#include "KeyboardNavigation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QPaintEvent>
#include <QPersistentModelIndex>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

Q_LOGGING_CATEGORY(lcKeyboard, "vantora.platform.keyboard", QtInfoMsg)

namespace {

const QString kRuleName = QStringLiteral("keyboardFocusRule");
// Set on a window that answers the keyboard as a dialog does.
constexpr char kAnswersLikeDialog[] = "keyboardAnswersLikeDialog";
// Set on each label of a tab row, and on an entry: the object that answers for it.
constexpr char kTabRowProperty[] = "keyboardTabRow";
constexpr char kEntryProperty[] = "keyboardEntry";

bool isPlainKey(const QKeyEvent& key)
{
    return !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

// A row of labels clicked to choose a page, answering the keyboard as a tab bar does. It lives
// as long as its first label.
class TabRow : public QObject
{
public:
    TabRow(const std::vector<QWidget*>& selectors, std::function<int()> chosen, std::function<void(int)> choose)
        : QObject(selectors.front()), chosen_(std::move(chosen)), choose_(std::move(choose))
    {
        for (QWidget* selector : selectors) {
            selectors_.emplace_back(selector);
            selector->setProperty(kTabRowProperty, QVariant::fromValue<QObject*>(this));
            selector->setFocusPolicy(Qt::TabFocus);
            selector->installEventFilter(this);
        }
    }
    ~TabRow() override
    {
        for (const QPointer<QWidget>& selector : selectors_)
            if (selector)
                selector->setProperty(kTabRowProperty, QVariant());
    }

    bool isChosen(const QWidget& selector) const { return indexOf(&selector) == chosen_(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto& key = *static_cast<QKeyEvent*>(event);
        const int step = key.key() == Qt::Key_Left || key.key() == Qt::Key_Up      ? -1
                         : key.key() == Qt::Key_Right || key.key() == Qt::Key_Down ? 1
                                                                                    : 0;
        if (step == 0 || !isPlainKey(key))
            return false;
        const int next = indexOf(watched) + step;
        if (indexOf(watched) < 0 || next < 0 || next >= static_cast<int>(selectors_.size()))
            return true;
        const QPointer<QWidget> target = selectors_[static_cast<std::size_t>(next)];
        choose_(next);
        // The focus goes with the choice, and still shows.
        if (target && target->isVisible())
            target->setFocus(Qt::OtherFocusReason);
        return true;
    }

private:
    int indexOf(const QObject* selector) const
    {
        for (std::size_t i = 0; i < selectors_.size(); ++i)
            if (selectors_[i] == selector)
                return static_cast<int>(i);
        return -1;
    }

    std::vector<QPointer<QWidget>> selectors_;
    std::function<int()> chosen_;
    std::function<void(int)> choose_;
};

// A view whose typing goes into an editor it opens when Tab arrives; a child of the view.
class Entry : public QObject
{
public:
    Entry(QWidget& view, std::function<bool(bool)> arrive) : QObject(&view), arrive_(std::move(arrive))
    {
        view.setProperty(kEntryProperty, QVariant::fromValue<QObject*>(this));
        view.setFocusPolicy(static_cast<Qt::FocusPolicy>(view.focusPolicy() | Qt::TabFocus));
    }

    bool arrive(bool back) const { return arrive_(back); }

private:
    std::function<bool(bool)> arrive_;
};

TabRow* tabRowOf(const QWidget& widget)
{
    return dynamic_cast<TabRow*>(widget.property(kTabRowProperty).value<QObject*>());
}

Entry* entryOf(const QWidget& widget)
{
    return dynamic_cast<Entry*>(widget.property(kEntryProperty).value<QObject*>());
}

// The entry that holds the widget (the widget itself when it is one), or nothing.
QWidget* entryAround(QWidget* widget)
{
    for (QWidget* at = widget; at; at = at->isWindow() ? nullptr : at->parentWidget())
        if (entryOf(*at))
            return at;
    return nullptr;
}


// The policy without Tab: a control that took the focus when clicked still does.
Qt::FocusPolicy withoutTab(Qt::FocusPolicy policy)
{
    return (policy & Qt::ClickFocus) ? Qt::ClickFocus : Qt::NoFocus;
}

bool isControlTab(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    return (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) && (modifiers & Qt::ControlModifier)
           && !(modifiers & (Qt::AltModifier | Qt::MetaModifier));
}

bool isPlainTab(const QKeyEvent& key)
{
    return (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
           && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool isBackward(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
}

bool isSpace(const QKeyEvent& key)
{
    return (key.key() == Qt::Key_Space || key.key() == Qt::Key_Select)
           && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool isEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// Text fields (an editable combo box is one), number and date boxes, text views and lists:
// the controls that show where the typing goes.
bool showsWhereTypingGoes(const QWidget& widget)
{
    if (const auto* list = qobject_cast<const QComboBox*>(&widget))
        return list->isEditable();
    return qobject_cast<const QLineEdit*>(&widget) || qobject_cast<const QAbstractSpinBox*>(&widget)
           || qobject_cast<const QPlainTextEdit*>(&widget) || qobject_cast<const QTextEdit*>(&widget)
           || qobject_cast<const QAbstractItemView*>(&widget);
}

// Dialogs, alerts among them, the small windows that stand beside the story window like them,
// and the windows made to answer as they do: every control of theirs that the writer sets is a
// Tab stop.
bool isDialog(const QWidget& window)
{
    const Qt::WindowType type = window.windowType();
    return type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool || window.property(kAnswersLikeDialog).toBool();
}

// A scroll view other than a list or a text view: it sets nothing, and its content holds the
// controls.
bool isScrollView(const QWidget& widget)
{
    return qobject_cast<const QAbstractScrollArea*>(&widget) && !showsWhereTypingGoes(widget);
}

// Whether Tab and Shift+Tab stop on the control, as far as its kind lets them.
bool isTabStop(const QWidget& widget)
{
    return showsWhereTypingGoes(widget) || tabRowOf(widget) || entryOf(widget)
           || (isDialog(*widget.window()) && !isScrollView(widget));
}

bool isDialogButton(const QWidget& widget)
{
    return qobject_cast<const QAbstractButton*>(&widget) && isDialog(*widget.window());
}

// A dialog's button that has the focus and shows it: the writer moved to it since the dialog
// showed. A dialog opens showing no focus, so a space typed for a field as the dialog appears
// finds its first button without the focus showing.
bool showsFocus(const QWidget& widget)
{
    return widget.hasFocus() && widget.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

// A space would press the button, open a dialog's pop-up list (where the next letters typed
// would choose), or tick the check box of the list's current cell.
bool spaceWouldChoose(QObject* watched)
{
    if (auto* button = qobject_cast<QAbstractButton*>(watched))
        return !(isDialogButton(*button) && showsFocus(*button));
    if (auto* popUp = qobject_cast<QComboBox*>(watched); popUp && !popUp->isEditable() && isDialog(*popUp->window()))
        return !showsFocus(*popUp);
    const auto* list = qobject_cast<QAbstractItemView*>(watched);
    return list && (list->currentIndex().flags() & Qt::ItemIsUserCheckable);
}

// The controls that a desktop theme may have Return and Enter press as a space does: a button or
// check box, a pop-up list (which opens), and a group box, which takes the key for a check box of
// its own whether it shows one or not, so that Return in a field inside it would go no further.
QWidget* pressedByEnter(QObject* watched)
{
    const auto* popUp = qobject_cast<QComboBox*>(watched);
    const bool presses = qobject_cast<QAbstractButton*>(watched) || qobject_cast<QGroupBox*>(watched)
                         || (popUp && !popUp->isEditable());
    return presses ? static_cast<QWidget*>(watched) : nullptr;
}

// Return and Enter on such a control reach its window as though no control had taken them: a
// dialog presses its default button, and a window without one does nothing. A push button that
// took the dialog's default as it took the focus gives the default back while the window answers
// the key.
void answerWindow(QWidget& control, const QKeyEvent& key)
{
    QWidget* around = control.parentWidget();
    if (!around)
        return;
    auto* push = qobject_cast<QPushButton*>(&control);
    const bool heldDefault = key.type() == QEvent::KeyPress && push && push->autoDefault() && push->isDefault();
    const QPointer<QWidget> held = &control;
    if (heldDefault)
        control.clearFocus();
    // A copy, as the key goes on from the control's parent to the window like one the control let by.
    const std::unique_ptr<QKeyEvent> passed(key.clone());
    QCoreApplication::sendEvent(around, passed.get());
    if (heldDefault && held && held->isVisible() && !held->window()->focusWidget())
        held->setFocus(Qt::OtherFocusReason);
}

// A key that makes a control act: anything but moving the focus on (Tab, Shift+Tab), answering
// the window (Return, Enter, Escape) and a command (with Ctrl).
bool wouldAct(const QKeyEvent& key)
{
    return !isPlainTab(key) && !isEnter(key) && key.key() != Qt::Key_Escape
           && !(key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

// The luminance of a colour as the eye weighs it, 0 (black) to 1 (white), from its sRGB components.
qreal relativeLuminance(const QColor& color)
{
    const auto linear = [](float component) {
        return component <= 0.04045f ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

// How far two colours stand apart, from 1:1 (the same lightness) to 21:1 (black on white).
qreal contrast(const QColor& one, const QColor& other)
{
    const auto [darker, lighter] = std::minmax({relativeLuminance(one), relativeLuminance(other)});
    return (lighter + 0.05) / (darker + 0.05);
}

// Whether any of the widget lies inside its window and every view around it.
bool isInSight(const QWidget& widget)
{
    QRect shown = widget.rect();
    for (const QWidget* at = &widget; !at->isWindow() && at->parentWidget(); at = at->parentWidget())
        shown = shown.translated(at->pos()) & at->parentWidget()->rect();
    return widget.isVisible() && !shown.isEmpty();
}

// The scroll views whose content holds the widget, the nearest first.
std::vector<QScrollArea*> scrollViewsAround(QWidget& widget)
{
    std::vector<QScrollArea*> views;
    for (QWidget* around = widget.parentWidget(); around; around = around->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(around); scroll && scroll->widget()
                                                                && scroll->widget()->isAncestorOf(&widget))
            views.push_back(scroll);
    return views;
}

// The window moves the focus on (or back) from whatever control holds it, as for Tab.
void moveFocus(QWidget& window, bool back)
{
    QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &tab);
}

void selectWholeText(QWidget& editor)
{
    QWidget* box = &editor;
    while (box->focusProxy())
        box = box->focusProxy();
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        plain->selectAll();
    else if (auto* rich = qobject_cast<QTextEdit*>(box))
        rich->selectAll();
}

// The cell of a list whose editor holds the focus.
struct EditedCell {
    QAbstractItemView* list = nullptr;
    QWidget* editor = nullptr;
    QModelIndex cell;
};

EditedCell editedCellOf(QObject* watched)
{
    for (auto* widget = qobject_cast<QWidget*>(watched); widget && !widget->isWindow();
         widget = widget->parentWidget()) {
        QWidget* viewport = widget->parentWidget();
        auto* list = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
        if (!list || list->viewport() != viewport)
            continue;
        // An editor opens on the current cell, or else over the cell it edits: looking there
        // costs the same in a list of any length.
        const QRect over = widget->geometry();
        const QModelIndex near[] = {list->currentIndex(), list->indexAt(over.topLeft()), list->indexAt(over.center())};
        for (const QModelIndex& cell : near)
            if (cell.isValid() && list->indexWidget(cell) == widget)
                return {list, widget, cell};
        return {};
    }
    return {};
}

// The next (or previous) cell after `row` and `column` in reading order that shows and has all
// of `flags`.
QModelIndex nextCellWith(const QAbstractItemView& list, int row, int column, bool back, Qt::ItemFlags flags)
{
    const QAbstractItemModel* cells = list.model();
    const QModelIndex root = list.rootIndex();
    const int columns = cells ? cells->columnCount(root) : 0;
    const int count = columns > 0 ? cells->rowCount(root) * columns : 0;
    const int step = back ? -1 : 1;
    for (int at = row * columns + column + step; at >= 0 && at < count; at += step) {
        const QModelIndex cell = cells->index(at / columns, at % columns, root);
        if ((cell.flags() & flags) == flags && !list.visualRect(cell).isEmpty())
            return cell;
    }
    return QModelIndex();
}

QModelIndex nextEditableCell(const QAbstractItemView& list, int row, int column, bool back)
{
    return nextCellWith(list, row, column, back, Qt::ItemIsEditable | Qt::ItemIsEnabled);
}

// A list with no cell to show, which nothing typed can reach.
bool isEmptyList(const QWidget& widget)
{
    const auto* list = qobject_cast<const QAbstractItemView*>(&widget);
    return list && !nextCellWith(*list, 0, -1, false, Qt::ItemIsEnabled).isValid();
}

// Ends the edit of a cell, storing it, and edits the next or previous editable cell with its
// text selected; with none the focus stays on the list.
void editNextCell(const EditedCell& edited, bool back)
{
    const QPointer<QAbstractItemView> list = edited.list;
    const int row = edited.cell.row();
    const int column = edited.cell.column();
    const auto editedIndex = [&] { return list->model()->index(row, column, list->rootIndex()); };
    // Leaving the editor stores the edit and closes it, as a click elsewhere does; the list
    // may read its rows again on the way. An editor that stays open is ended here.
    list->setFocus(Qt::OtherFocusReason);
    const auto stillOpen = [&] { return list && list->model() && list->indexWidget(editedIndex()) == edited.editor; };
    if (stillOpen())
        if (QAbstractItemDelegate* delegate = list->itemDelegateForIndex(editedIndex())) {
            emit delegate->commitData(edited.editor);
            if (stillOpen())
                emit delegate->closeEditor(edited.editor, QAbstractItemDelegate::NoHint);
        }
    if (!list)
        return;
    // A cell whose list refuses the edit is passed over too.
    for (QPersistentModelIndex next = nextEditableCell(*list, row, column, back); next.isValid();
         next = nextEditableCell(*list, next.row(), next.column(), back)) {
        list->setCurrentIndex(next);
        if (!list || !next.isValid())
            return;
        list->scrollTo(next);
        list->edit(next);
        if (!list)
            return;
        if (QWidget* editor = list->indexWidget(next)) {
            selectWholeText(*editor);
            return;
        }
    }
    // No cell left: the keyboard goes on from the list as from any other control, to one that
    // shows it and takes what is typed.
    if (list)
        moveFocus(*list->window(), back);
}

// A ring around a dialog's push or tool button, or pop-up list, that shows the focus. The
// desktop's style marks such a button as it marks the default button, or not at all when it is
// the default, and such a list in the highlight colour, which a dark palette makes faint; a check
// box shows the focus on its own. The ring lies on the dialog, above every control, so that no
// frame of the control's own cuts it, and lets the mouse through. It is two lines of a pixel: the
// outer stands out from the dialog around it, the inner from the control's face, whatever colour
// a dialog paints itself in (KeyboardNavigation::focusRingColor).
class FocusRing : public QWidget
{
public:
    explicit FocusRing(QWidget& window) : QWidget(&window)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    void surround(const QWidget& control)
    {
        const QRect frame(control.mapTo(parentWidget(), QPoint(0, 0)), control.size());
        outer_ = KeyboardNavigation::focusRingColor(palette(), {palette().color(QPalette::Window)});
        inner_ = KeyboardNavigation::focusRingColor(palette(), {control.palette().color(QPalette::Button)});
        setGeometry(frame.adjusted(-kWidth, -kWidth, kWidth, kWidth));
        raise();
        show();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QRectF line = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        for (const QColor& color : {outer_, inner_}) {
            painter.setPen(QPen(color, 1));
            painter.drawRoundedRect(line, kWidth + 1, kWidth + 1);
            line.adjust(1, 1, -1, -1);
        }
    }

private:
    static constexpr int kWidth = 2;
    QColor outer_;
    QColor inner_;
};

bool wantsRing(const QWidget& widget)
{
    if (tabRowOf(widget))
        return showsFocus(widget);
    const auto* popUp = qobject_cast<const QComboBox*>(&widget);
    return (qobject_cast<const QPushButton*>(&widget) || qobject_cast<const QToolButton*>(&widget)
            || (popUp && !popUp->isEditable()))
           && isDialog(*widget.window()) && showsFocus(widget);
}

class FocusRule : public QObject
{
public:
    explicit FocusRule(QObject* parent) : QObject(parent) { setObjectName(kRuleName); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Polish:
            if (auto* widget = qobject_cast<QWidget*>(watched))
                polish(*widget);
            return false;
        case QEvent::Show:
        case QEvent::ZOrderChange:
            // A dialog shown again, or brought to the front again while it is open, shows no
            // focus, as when it first opened: a space typed as it appears presses nothing.
            if (auto* window = qobject_cast<QWidget*>(watched);
                window && window->isWindow() && isDialog(*window) && !event->spontaneous()
                && window->testAttribute(Qt::WA_KeyboardFocusChange)) {
                window->setAttribute(Qt::WA_KeyboardFocusChange, false);
                window->update();
                placeRing();
            }
            return false;
        case QEvent::Move:
        case QEvent::Resize:
            if (!ringed_)
                return false;
            if (auto* moved = qobject_cast<QWidget*>(watched);
                moved && (moved == ringed_ || moved->isAncestorOf(ringed_)))
                placeRing();
            return false;
        case QEvent::FocusOut:
            placeRing();
            return false;
        case QEvent::FocusIn: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            auto* widget = qobject_cast<QWidget*>(watched);
            if (auto* push = qobject_cast<QPushButton*>(widget))
                keepDefault(*push);
            if (reason == Qt::MouseFocusReason || reason == Qt::PopupFocusReason)
                clicked_ = widget;
            else if (widget != clicked_)
                clicked_ = nullptr;
            placeRing();
            if (widget && !widget->isWindow() && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
                arrivedByTab(*widget, reason == Qt::BacktabFocusReason);
            return false;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto& key = *static_cast<QKeyEvent*>(event);
            // In a cell being edited they end the edit, as its list has them do.
            if (QWidget* control = pressedByEnter(watched); control && isEnter(key) && !editedCellOf(watched).list) {
                answerWindow(*control, key);
                // Handled here, also when it came up from the control that has the focus.
                event->accept();
                return true;
            }
            if (event->type() == QEvent::KeyRelease) {
                // Tab in a dialog of one stop moves nowhere, yet shows the focus.
                if (isPlainTab(key))
                    placeRing();
                return false;
            }
            if (isControlTab(key))
                return moveOn(watched, key);
            if (isSpace(key))
                return spaceWouldChoose(watched);
            if (wouldAct(key) && holdsFocusUnchosen(watched))
                return true;
            if (isPlainTab(key))
                if (const EditedCell edited = editedCellOf(watched); edited.list) {
                    editNextCell(edited, isBackward(key));
                    return true;
                }
            return false;
        }
        default:
            return false;
        }
    }

private:
    static void polish(QWidget& widget)
    {
        if ((widget.focusPolicy() & Qt::TabFocus) && !isTabStop(widget))
            widget.setFocusPolicy(withoutTab(widget.focusPolicy()));
        // In a list the arrows move from row to row; Tab leaves it, as it leaves a text field.
        if (auto* list = qobject_cast<QAbstractItemView*>(&widget))
            list->setTabKeyNavigation(false);
    }

    // A push button that takes the focus in a dialog leaves the default where it was: Return
    // answers the default button, which alone looks it.
    static void keepDefault(QPushButton& button)
    {
        if (button.autoDefault() && !button.isDefault() && qobject_cast<QDialog*>(button.window()))
            button.setAutoDefault(false);
    }

    // A Ctrl+Tab that no control took comes up to its window last; the window moves the focus
    // as it does for Tab, from whatever control holds it.
    static bool moveOn(QObject* watched, const QKeyEvent& key)
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || !window->isWindow())
            return false;
        moveFocus(*window, isBackward(key));
        return true;
    }

    // A control that Tab brought the focus to shows itself; one that nothing can bring into
    // sight (its pane collapsed, say) is passed over, unless every control is, and so is an empty
    // list, where the focus could show on nothing and nothing typed would go anywhere. The
    // window's own Tab passes over each in turn, in a loop: the focus that such a Tab brings to
    // the next control comes back here while the loop runs, and goes no deeper.
    void arrivedByTab(QWidget& widget, bool back)
    {
        if (passing_)
            return;
        passing_ = true;
        std::unordered_set<const QWidget*> passedOver;
        for (QPointer<QWidget> at = &widget; at && !takesTheFocus(*at, back) && passedOver.insert(at).second;) {
            QWidget* window = at->window();
            moveFocus(*window, back);
            at = window->focusWidget();
        }
        passing_ = false;
    }

    // A dialog's control other than a field that holds the focus which the writer neither moved
    // to nor clicked, and shows none: the dialog has just appeared, or come back. It takes no key,
    // so that a key typed as the dialog appears chooses from no list, moves no slider and no
    // radio button; the writer moves to a control first.
    bool holdsFocusUnchosen(QObject* watched) const
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget && widget == QApplication::focusWidget() && widget != clicked_ && !widget->isWindow()
               && isDialog(*widget->window()) && !showsWhereTypingGoes(*widget) && !showsFocus(*widget);
    }

    // An entry takes it into the editor it opens, and a tab row on its chosen label only.
    static bool takesTheFocus(QWidget& widget, bool back)
    {
        if (const Entry* entry = entryOf(widget))
            return isInSight(widget) && entry->arrive(back);
        if (const TabRow* row = tabRowOf(widget); row && !row->isChosen(widget))
            return false;
        return showsItself(widget);
    }

    static bool showsItself(QWidget& widget)
    {
        if (isEmptyList(widget))
            return false;
        KeyboardNavigation::bringIntoSight(widget);
        return isInSight(widget);
    }

    // The ring goes around the control that has the focus when it wants one, and away otherwise.
    void placeRing()
    {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || !wantsRing(*focus)) {
            if (ring_)
                ring_->hide();
            ringed_ = nullptr;
            return;
        }
        if (!ring_ || ring_->parentWidget() != focus->window()) {
            delete ring_;
            ring_ = new FocusRing(*focus->window());
        }
        ringed_ = focus;
        ring_->surround(*focus);
    }

    bool passing_ = false;
    // The control that last took the focus from a click, while it holds it.
    QPointer<QWidget> clicked_;
    QPointer<FocusRing> ring_;
    QPointer<QWidget> ringed_;
};

} // namespace

namespace KeyboardNavigation {

void followDesktopSetting(QApplication& application)
{
    if (application.findChild<QObject*>(kRuleName, Qt::FindDirectChildrenOnly))
        return;
    application.installEventFilter(new FocusRule(&application));
    qCDebug(lcKeyboard, "keys follow the desktop's keyboard setting");
}

void answerLikeDialog(QWidget& window)
{
    window.setProperty(kAnswersLikeDialog, true);
}

QColor focusRingColor(const QPalette& palette, std::initializer_list<QColor> besides)
{
    // Controls stand out at least 3:1 from what lies next to them; so does the ring from the
    // highlight, which styles mark the default button with.
    constexpr qreal kLeastContrast = 3.0;
    std::vector<QColor> apart(besides);
    apart.push_back(palette.color(QPalette::Highlight));
    const auto weakest = [&apart](const QColor& ring) {
        qreal least = std::numeric_limits<qreal>::max();
        for (const QColor& other : apart)
            least = std::min(least, contrast(ring, other));
        return least;
    };
    QColor best;
    qreal bestContrast = -1.0;
    for (const QColor& ring : {palette.color(QPalette::WindowText), QColor(Qt::black), QColor(Qt::white)}) {
        const qreal least = weakest(ring);
        if (least >= kLeastContrast)
            return ring;
        if (least > bestContrast) {
            best = ring;
            bestContrast = least;
        }
    }
    return best;
}

void makeTabRow(const std::vector<QWidget*>& selectors, std::function<int()> chosen, std::function<void(int)> choose)
{
    if (!selectors.empty())
        new TabRow(selectors, std::move(chosen), std::move(choose));
}

void makeEntry(QWidget& view, std::function<bool(bool back)> arrive)
{
    new Entry(view, std::move(arrive));
}

QWidget* nextStopInSections(const QWidget& window, const std::vector<QWidget*>& sections, QWidget* from, bool back)
{
    const auto sectionOf = [&sections](const QWidget* widget) {
        for (std::size_t i = 0; i < sections.size(); ++i)
            if (sections[i] && (sections[i] == widget || sections[i]->isAncestorOf(widget)))
                return i;
        return sections.size();
    };
    std::vector<std::vector<QWidget*>> grouped(sections.size());
    for (QWidget* widget = window.nextInFocusChain(); widget && widget != &window; widget = widget->nextInFocusChain())
        if (const std::size_t section = sectionOf(widget); section < sections.size())
            grouped[section].push_back(widget);
    std::vector<QWidget*> order;
    for (const std::vector<QWidget*>& section : grouped)
        order.insert(order.end(), section.begin(), section.end());
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    QWidget* at = entryAround(from) ? entryAround(from) : from;
    const auto found = std::find(order.begin(), order.end(), at);
    const std::ptrdiff_t start = found != order.end() ? found - order.begin() : back ? count : -1;
    // A stop takes Tab, shows and answers, and stands for itself: the editors inside an entry
    // are reached through it.
    const auto isStop = [](QWidget& widget) {
        return (widget.focusPolicy() & Qt::TabFocus) && widget.isVisible() && widget.isEnabled() && !widget.focusProxy()
               && entryAround(&widget) == (entryOf(widget) ? &widget : nullptr);
    };
    for (std::ptrdiff_t step = 1; step <= count; ++step) {
        QWidget* candidate = order[static_cast<std::size_t>(((start + (back ? -step : step)) % count + count) % count)];
        if (candidate != at && isStop(*candidate))
            return candidate;
    }
    return nullptr;
}

void bringIntoSight(QWidget& widget)
{
    // Every scroll view around the widget, the nearest first, scrolls it into sight; a text view
    // then shows its caret, which may lie outside the part of a tall view shown.
    for (QScrollArea* scroll : scrollViewsAround(widget))
        scroll->ensureWidgetVisible(&widget);
    showCaret(widget);
}

void showCaret(QWidget& editor)
{
    // Room left around the caret, as a line of text gets when the view scrolls to it.
    constexpr int kCaretMargin = 4;
    QRect caret;
    QWidget* area = nullptr;
    if (auto* rich = qobject_cast<QTextEdit*>(&editor)) {
        rich->ensureCursorVisible();
        caret = rich->cursorRect();
        area = rich->viewport();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(&editor)) {
        plain->ensureCursorVisible();
        caret = plain->cursorRect();
        area = plain->viewport();
    } else {
        return;
    }
    for (QScrollArea* scroll : scrollViewsAround(editor)) {
        // Placed anew for each view: the one before may have moved the text.
        const QPoint centre = area->mapTo(scroll->widget(), caret.center());
        // A view hardly taller (wider) than the caret shows it whole with what room it has.
        const QSize room = (scroll->viewport()->size() - caret.size()) / 2;
        scroll->ensureVisible(centre.x(), centre.y(), caret.width() / 2 + std::clamp(room.width(), 0, kCaretMargin),
                              caret.height() / 2 + std::clamp(room.height(), 0, kCaretMargin));
    }
}

} // namespace KeyboardNavigation
