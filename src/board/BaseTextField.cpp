#include "BaseTextField.h"

#include "SceneCardView.h"
#include "app/GuardedCall.h"

#include <QKeyEvent>
#include <QMouseEvent>

BaseTextField::BaseTextField(QWidget* parent)
    : QLabel(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAutoFillBackground(true);
    setTextFormat(Qt::PlainText);
}

QColor BaseTextField::backgroundColor() const
{
    return palette().color(QPalette::Window);
}

void BaseTextField::setBackgroundColor(const QColor& color)
{
    setOwnColor(QPalette::Window, color, backgroundSet_);
}

void BaseTextField::setTextColor(const QColor& color)
{
    setOwnColor(QPalette::WindowText, color, textColorSet_);
}

void BaseTextField::setOwnColor(QPalette::ColorRole role, const QColor& color, bool& set)
{
    // A colour the field already has of its own changes nothing: setting a palette is costly
    // and cards set their colours again on every fill.
    if (set && palette().color(role) == color)
        return;
    QPalette colors = palette();
    colors.setColor(role, color);
    setPalette(colors);
    set = true;
}

void BaseTextField::pressed(std::int64_t clickCount)
{
    clickCount_ = clickCount;
    if (!delegate_)
        return;
    guardedCall([this] {
        delegate_->bringToTheTop();
        delegate_->userClicked(this);
    });
}

void BaseTextField::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        pressed(1);
}

void BaseTextField::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        pressed(2);
}

void BaseTextField::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void BaseTextField::focusInEvent(QFocusEvent* event)
{
    if (delegate_)
        guardedCall([this] { delegate_->bringToTheTop(); });
    QLabel::focusInEvent(event);
}

bool BaseTextField::event(QEvent* event)
{
    // Ctrl-N and Ctrl-P page between cards here, ahead of the menu items that use the keys.
    if (event->type() == QEvent::ShortcutOverride && pagingDirection(static_cast<QKeyEvent*>(event)) != 0) {
        event->accept();
        return true;
    }
    return QLabel::event(event);
}

void BaseTextField::keyReleaseEvent(QKeyEvent* event)
{
    const int direction = pagingDirection(event);
    if (direction == 0 || !delegate_) {
        QLabel::keyReleaseEvent(event);
        return;
    }
    event->accept();
    guardedCall([this, direction] {
        if (direction > 0)
            delegate_->pageToNextSceneCard();
        else
            delegate_->pageToPreviousSceneCard();
    });
}

int pagingDirection(const QKeyEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->isAutoRepeat())
        return 0;
    if (event->key() == Qt::Key_N)
        return 1;
    if (event->key() == Qt::Key_P)
        return -1;
    return 0;
}
