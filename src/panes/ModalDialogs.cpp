#include "ModalDialogs.h"

#include "platform/ModalRun.h"

#include <QColor>
#include <QDialog>
#include <QPalette>

namespace ModalDialogs {

namespace {

Runner& installedRunner()
{
    static Runner runner;
    return runner;
}

} // namespace

int run(QDialog& dialog)
{
    if (const Runner& runner = installedRunner())
        return runner(dialog);
    return ModalRun::exec(dialog);
}

void setRunner(Runner runner)
{
    installedRunner() = std::move(runner);
}

void paintBackground(QWidget& window, const QColor& color)
{
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, color);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

} // namespace ModalDialogs
