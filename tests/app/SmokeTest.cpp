#include "support/QtPrinting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

// The real program in a temporary home on the offscreen platform, as a returning user starts
// it: the splash shows for a moment, then the master file is made and the start window shows.
// Outside a login session nothing names a runtime folder, and the temporary folder is one of the
// home's own.
class RunningProgram
{
public:
    enum class Session { Login, None };

    explicit RunningProgram(const QTemporaryDir& home, Session session = Session::Login,
                            const QString& loggingRules = QString())
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
        if (session == Session::None) {
            environment.remove("XDG_RUNTIME_DIR");
            folder.mkpath("tmp");
            environment.insert("TMPDIR", folder.filePath("tmp"));
        }
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("QT_LOGGING_RULES");
        if (!loggingRules.isEmpty())
            environment.insert("QT_LOGGING_RULES", loggingRules);
        // Nothing may leave this machine: the product's services point at a closed local port.
        environment.insert("VANTORA_SERVICE_URL", "http://127.0.0.1:9/");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(VANTORA_EXECUTABLE), {});
    }

    QProcess process;
};

} // namespace

// A normal start prints nothing, and a request to end the session (SIGTERM) quits cleanly. With
// its trace asked for, the program says that its keys follow the desktop's setting and when it
// has finished launching, once.
TEST(Smoke, TheProgramStartsSilentlyAndQuitsCleanlyOnRequest)
{
    struct Row {
        const char* rules;
        const char* printed;
    };
    const Row rows[] = {{"", ""},
                        {"vantora.*.debug=true",
                         "vantora.platform.keyboard: keys follow the desktop's keyboard setting\n"
                         "vantora.app: did finish launching\n"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rules);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        RunningProgram program(home, RunningProgram::Session::Login, QString::fromLatin1(row.rules));
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
        EXPECT_EQ(output.toStdString(), row.printed);
    }
}

// Started outside a login session, where no runtime folder is named, the program still prints
// nothing: it makes a runtime folder of its own in the temporary folder, the user's alone, and
// its channel for later starts listens there.
TEST(Smoke, OutsideALoginSessionTheProgramMakesItsOwnRuntimeFolderSilently)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    RunningProgram program(home, RunningProgram::Session::None);
    ASSERT_TRUE(program.process.waitForStarted(10000));
    const QDir folder(home.path());
    const QString master = folder.filePath("Documents/Vantora Data/VTRMasterFile.vtrmf");
    for (int waited = 0; waited < 150 && !QFileInfo::exists(master); ++waited)
        program.process.waitForFinished(100);
    ASSERT_TRUE(QFileInfo::exists(master));

    const QFileInfo runtime(folder.filePath(QStringLiteral("tmp/vantora-runtime-%1").arg(::getuid())));
    EXPECT_TRUE(runtime.isDir());
    EXPECT_EQ(runtime.ownerId(), ::getuid());
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(runtime.permissions() & others, QFile::Permissions {});
    EXPECT_TRUE(runtime.permissions().testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_FALSE(QDir(runtime.filePath()).entryList(QDir::System | QDir::NoDotAndDotDot).isEmpty())
        << "the channel for later starts is not in the runtime folder";

    ::kill(static_cast<pid_t>(program.process.processId()), SIGTERM);
    ASSERT_TRUE(program.process.waitForFinished(10000));
    QByteArray output = program.process.readAll();
    output.replace("This plugin does not support propagateSizeHints()\n", "");
    EXPECT_EQ(program.process.exitCode(), 0);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();
}
