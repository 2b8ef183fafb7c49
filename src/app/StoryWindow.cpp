#include "StoryWindow.h"

#include "GuardedCall.h"
#include "MyDocument.h"
#include "platform/KeyboardNavigation.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QResizeEvent>
#include <QIcon>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>

StoryWindow::StoryWindow(MyDocument& document)
    : document_(document)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    setMinimumSize(748, 300);

    toolbar_ = addToolBar(tr("Story"));
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(false);
    buttonHeight_ = pictureButtonHeight();
    tbToggleTitleLogline_ = addButton(tr("Title/Logline"), QStringLiteral("tbToggleTitleLogline"));
    tbToggleBeats_ = addButton(tr("Beats"), QStringLiteral("tbToggleBeats"));
    tbToggleLitterBox_ = addButton(tr("Litter Box"), QStringLiteral("tbToggleLitterBox"));
    tbToggleNotes_ = addButton(tr("Notes"), QStringLiteral("tbToggleNotes"));
    toolbar_->addSeparator();
    tbFullTitleView_ = addButton(tr("Full Title"), QStringLiteral("tbFullTitleView"));
    tbFullBeatsView_ = addButton(tr("Full Beats"), QStringLiteral("tbFullBeatsView"));
    tbFullBoardView_ = addButton(tr("Full Board"), QStringLiteral("tbFullBoardView"));
    tbFullNotesView_ = addButton(tr("Full Notes"), QStringLiteral("tbFullNotesView"));
    tbRestoreView_ = addButton(tr("Restore"), QStringLiteral("tbRestoreView"));
    // The restore button shows only while one section fills the window.
    tbRestoreView_->setVisible(false);
    toolbar_->addSeparator();
    tbLogline_ = addButton(tr("Logline"), QStringLiteral("tbLogline"));
    tbAddItem_ = addButton(tr("Add"), QStringLiteral("tbAddItem"));
    tbDeleteItem_ = addButton(tr("Delete"), QStringLiteral("tbDeleteItem"));
    toolbar_->addSeparator();
    tbAddSceneCard_ = addButton(tr("Add Card"), QStringLiteral("tbAddSceneCard"));
    tbToggleListCorkView_ = addButton(tr("List View"), QStringLiteral("tbToggleListCorkView"));
}

QAction* StoryWindow::addButton(const QString& text, const QString& objectName)
{
    QAction* button = toolbar_->addAction(text);
    button->setObjectName(objectName);
    // A click on the toolbar leaves the keyboard with the field being typed in.
    if (QWidget* widget = toolbar_->widgetForAction(button)) {
        widget->setFocusPolicy(Qt::NoFocus);
        // Buttons with a picture come and go with the sections; every button is as high as
        // they are, so the toolbar, and all below it, stays put.
        widget->setMinimumHeight(buttonHeight_);
    }
    return button;
}

int StoryWindow::pictureButtonHeight() const
{
    QPixmap picture(toolbar_->iconSize());
    picture.fill(Qt::transparent);
    QToolButton probe;
    probe.setAutoRaise(true);
    probe.setToolButtonStyle(toolbar_->toolButtonStyle());
    probe.setIconSize(toolbar_->iconSize());
    probe.setIcon(QIcon(picture));
    probe.setText(QStringLiteral("Add"));
    return probe.sizeHint().height();
}

void StoryWindow::closeEvent(QCloseEvent* event)
{
    if (!closing_) {
        closing_ = true;
        // Never a save question: everything is already in the file.
        guardedCall([this] { document_.windowWillClose(); });
    }
    event->accept();
}

void StoryWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        emit activated(this);
    QMainWindow::changeEvent(event);
    // Zooming and unzooming may come without a change of size.
    if (event->type() == QEvent::WindowStateChange && !closing_)
        guardedCall([this] { document_.windowDidResize(); });
}

void StoryWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The size a window first shows with is no change of size.
    if (event->oldSize().isValid() && !closing_)
        guardedCall([this] { document_.windowDidResize(); });
}

bool StoryWindow::focusNextPrevChild(bool next)
{
    QWidget* focused = QApplication::focusWidget();
    if (focused && !focused->isVisible() && isAncestorOf(focused)) {
        QWidget* holder = focused->parentWidget();
        while (holder && holder != this && !holder->isVisible())
            holder = holder->parentWidget();
        (holder ? holder : this)->setFocus(Qt::OtherFocusReason);
        return true;
    }
    // The sections in the order the writer reads them, whatever order their controls were made in.
    const std::vector<QWidget*> sections = document_.keyboardSections();
    if (sections.empty())
        return QMainWindow::focusNextPrevChild(next);
    QWidget* from = focused && isAncestorOf(focused) ? focused : nullptr;
    QWidget* stop = KeyboardNavigation::nextStopInSections(*this, sections, from, !next);
    if (stop)
        stop->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
