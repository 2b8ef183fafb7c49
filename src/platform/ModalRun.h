#pragma once

class QDialog;

// The dialogs and panels that the program runs modally, the writer answering them before it goes on.
namespace ModalRun {

// Runs `dialog` until it ends, as QDialog::exec() does, and answers its result code. When it ends
// with the keyboard in it, or in no window of the program (a panel of the desktop's own stood in for
// it), the window it came up over takes the keyboard back, as a window manager hands it back. On a
// desktop without one the keyboard would otherwise go to no window at all, and the writer would have
// to click before typing on.
int exec(QDialog& dialog);

} // namespace ModalRun
