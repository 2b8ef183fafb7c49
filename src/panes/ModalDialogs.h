#pragma once

#include <functional>

class QColor;
class QDialog;
class QWidget;

// Runs the modal dialogs of the panes (the logline list, the add-logline window, the initial
// beat cards). The application runs them with ModalRun::exec(); a test installs a runner that
// answers a dialog through its own buttons without ever showing it, so nothing blocks.
namespace ModalDialogs {

// Answers the dialog's result code once the dialog has ended.
using Runner = std::function<int(QDialog&)>;

int run(QDialog& dialog);
// Replaces the runner; an empty one restores ModalRun::exec().
void setRunner(Runner runner);

// Paints a dialog's window in the document's standard colour.
void paintBackground(QWidget& window, const QColor& color);

} // namespace ModalDialogs
