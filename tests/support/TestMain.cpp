#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#ifdef VANTORA_TEST_GUI
#include "platform/KeyboardNavigation.h"
#include "platform/NulCharacters.h"

#include <QApplication>
#endif

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Points HOME and the XDG folders into `home`, so that nothing a test runs (settings, file
// dialogs' state, caches, the program's documents) reaches the user's own folders.
bool isolateHome(const QTemporaryDir& home)
{
    if (!home.isValid())
        return false;
    const QDir root(home.path());
    const struct {
        const char* variable;
        const char* folder;
    } folders[] = {
        {"XDG_CONFIG_HOME", ".config"}, {"XDG_CACHE_HOME", ".cache"},     {"XDG_DATA_HOME", ".local/share"},
        {"XDG_STATE_HOME", ".local/state"}, {"XDG_RUNTIME_DIR", "runtime"},
    };
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("VANTORA_TEST_HOME", QFile::encodeName(home.path()));
    // Nor the user's session bus: no test reads or writes the desktop's keyring or settings.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    for (const auto& entry : folders) {
        const QString path = root.filePath(QString::fromLatin1(entry.folder));
        if (!root.mkpath(path))
            return false;
        qputenv(entry.variable, QFile::encodeName(path));
    }
    // The runtime folder must be the user's alone, or Qt complains about it.
    return QFile::setPermissions(root.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

// Every suite runs in a home of its own and inside a Qt application object, so that
// resources, timers and (for widget suites, under the offscreen platform) windows work as in
// the program.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // A suite started by a test of another (a child process that is killed on purpose, and so
    // never removes anything) keeps its temporary folders inside its parent's home, which the
    // parent removes.
    if (const QString parentHome = qEnvironmentVariable("VANTORA_TEST_HOME"); !parentHome.isEmpty()) {
        const QString temporary = QDir(parentHome).filePath(QStringLiteral("tmp"));
        if (QDir().mkpath(temporary))
            qputenv("TMPDIR", QFile::encodeName(temporary));
    }
    const QTemporaryDir home;
    if (!isolateHome(home)) {
        std::fputs("no temporary home folder could be made for the tests\n", stderr);
        return 1;
    }
#ifdef VANTORA_TEST_GUI
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    KeyboardNavigation::followDesktopSetting(application);
    NulCharacters::dropFromEveryField(application);
#else
    QCoreApplication application(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
