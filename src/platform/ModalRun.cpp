#include "ModalRun.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace ModalRun {

int exec(QDialog& dialog)
{
    // The window it comes up over: its parent's, else the one that has the keyboard.
    const QPointer<QWidget> over =
        dialog.parentWidget() ? dialog.parentWidget()->window() : QApplication::activeWindow();
    const QPointer<QDialog> ran(&dialog);
    const int result = dialog.exec();
    // The keyboard is still where the dialog left it until the desktop says otherwise; the window
    // is given it back only when nothing else of the program took it meanwhile.
    const QWidget* active = QApplication::activeWindow();
    if (over && over.data() != ran.data() && over->isVisible() && (!active || active == ran.data()))
        over->activateWindow();
    return result;
}

} // namespace ModalRun
