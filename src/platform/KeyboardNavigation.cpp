#include "KeyboardNavigation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>

namespace {

const QString kRuleName = QStringLiteral("keyboardFocusRule");

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

// Buttons of every kind and pop-up lists.
bool isReachedByMouseOnly(const QWidget& widget)
{
    return qobject_cast<const QAbstractButton*>(&widget) || qobject_cast<const QComboBox*>(&widget);
}

class FocusRule : public QObject
{
public:
    explicit FocusRule(QObject* parent) : QObject(parent) { setObjectName(kRuleName); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish) {
            if (auto* widget = qobject_cast<QWidget*>(watched))
                polish(*widget);
            return false;
        }
        if (event->type() == QEvent::KeyPress && isControlTab(*static_cast<QKeyEvent*>(event)))
            return moveOn(watched, *static_cast<QKeyEvent*>(event));
        return false;
    }

private:
    static void polish(QWidget& widget)
    {
        if (isReachedByMouseOnly(widget) && (widget.focusPolicy() & Qt::TabFocus))
            widget.setFocusPolicy(withoutTab(widget.focusPolicy()));
        // In a list the arrows move from row to row; Tab leaves it, as it leaves a text field.
        if (auto* list = qobject_cast<QAbstractItemView*>(&widget))
            list->setTabKeyNavigation(false);
    }

    // A Ctrl+Tab that no control took comes up to its window last; the window moves the focus
    // as it does for Tab, from whatever control holds it.
    static bool moveOn(QObject* watched, const QKeyEvent& key)
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || !window->isWindow())
            return false;
        const bool back = key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
        QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                      back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(window, &tab);
        return true;
    }
};

} // namespace

namespace KeyboardNavigation {

void followDesktopSetting(QApplication& application)
{
    if (application.findChild<QObject*>(kRuleName, Qt::FindDirectChildrenOnly))
        return;
    application.installEventFilter(new FocusRule(&application));
}

} // namespace KeyboardNavigation
