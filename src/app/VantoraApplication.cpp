#include "VantoraApplication.h"

#include "AppController.h"
#include "GuardedCall.h"
#include "InstanceChannel.h"
#include "platform/KeyboardNavigation.h"
#include "platform/NulCharacters.h"
#include "platform/Platform.h"
#include "platform/ScreenplayFont.h"

#include <QDir>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A request to end the session (log-out, shut-down) arrives as a signal; it is turned into
// an ordinary quit on the event loop, so every story writes its last edit and closes.
int terminationPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

void watchTerminationSignals(AppController& controller)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &controller);
    QObject::connect(notifier, &QSocketNotifier::activated, &controller, [&controller, notifier] {
        notifier->setEnabled(false);
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(terminationPipe[0], &byte, 1);
        guardedCall([&controller] { controller.applicationShouldTerminate(); });
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

VantoraApplication::VantoraApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Vantora"));
    setApplicationName(QStringLiteral("Vantora"));
    setApplicationVersion(QStringLiteral(VANTORA_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/images/VantoraIcon.png")));
    // Closing the last story leaves the start window; the application quits from Quit.
    setQuitOnLastWindowClosed(false);
}

bool VantoraApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

int runVantora(int argc, char** argv)
{
    VantoraApplication application(argc, argv);
    const QStringList files = storyPathsFromArguments(QCoreApplication::arguments(), QDir::currentPath());
    // A program of this user runs already: it opens the files, and this start ends.
    const QString socketPath = InstanceChannel::defaultSocketPath();
    if (InstanceChannel::handOver(socketPath, files, 5000) == InstanceChannel::HandOver::Delivered)
        return 0;

    Platform::installQtServices();
    KeyboardNavigation::followDesktopSetting(application);
    NulCharacters::dropFromEveryField(application);
    // Before any window asks for it, so that every script is set in the same face.
    ScreenplayFont::family();
    AppController::initialize();
    AppController controller;
    QObject::connect(&controller, &AppController::terminateRequested, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    watchTerminationSignals(controller);
    // Without the channel the program still works; later starts then run on their own.
    InstanceChannel channel(socketPath);
    channel.listen();
    QObject::connect(&channel, &InstanceChannel::pathsReceived, &controller,
                     [&controller](const QStringList& paths) { guardedCall([&] { controller.openFiles(paths); }); });
    controller.openFiles(files);
    guardedCall([&controller] { controller.awakeFromNib(); });
    QTimer::singleShot(0, &controller, [&controller] { controller.applicationDidFinishLaunching(); });
    return application.exec();
}
