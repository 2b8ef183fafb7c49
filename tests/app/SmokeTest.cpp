#include "support/QtPrinting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The real program in a temporary home on the offscreen platform, as a returning user starts
// it: the splash shows for a moment, then the master file is made and the start window shows.
class RunningProgram
{
public:
    explicit RunningProgram(const QTemporaryDir& home)
    {
        const QDir folder(home.path());
        folder.mkpath(".config/Vantora");
        folder.mkpath("runtime");
        QFile::setPermissions(folder.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile settings(folder.filePath(".config/Vantora/Vantora.conf"));
        if (settings.open(QIODevice::WriteOnly))
            settings.write("[General]\nVTR3RanItBefore=true\nVTRSampleFilesShown=true\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", folder.filePath(".config"));
        environment.insert("XDG_CACHE_HOME", folder.filePath(".cache"));
        environment.insert("XDG_DATA_HOME", folder.filePath(".local/share"));
        environment.insert("XDG_RUNTIME_DIR", folder.filePath("runtime"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("QT_LOGGING_RULES");
        // Nothing may leave this machine: the product's services point at a closed local port.
        environment.insert("VANTORA_SERVICE_URL", "http://127.0.0.1:9/");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(VANTORA_EXECUTABLE), {});
    }

    QProcess process;
};

} // namespace

// A normal start prints nothing, and a request to end the session (SIGTERM) quits cleanly.
TEST(Smoke, TheProgramStartsSilentlyAndQuitsCleanlyOnRequest)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    RunningProgram program(home);
    ASSERT_TRUE(program.process.waitForStarted(10000));
    const QString master = QDir(home.path()).filePath("Documents/Vantora Data/VTRMasterFile.vtrmf");
    // Past the splash (2.5 s), the master file is made.
    for (int waited = 0; waited < 150 && !QFileInfo::exists(master); ++waited)
        program.process.waitForFinished(100);
    ASSERT_TRUE(QFileInfo::exists(master));
    program.process.waitForFinished(1000);
    EXPECT_EQ(program.process.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(program.process.processId()), SIGTERM);
    ASSERT_TRUE(program.process.waitForFinished(10000));
    // The offscreen platform says once that windows' size hints mean nothing to it; a desktop
    // platform does not. Everything else would be the program's own.
    QByteArray output = program.process.readAll();
    output.replace("This plugin does not support propagateSizeHints()\n", "");
    EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process.exitCode(), 0);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
}
