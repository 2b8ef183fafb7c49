#include "support/QtPrinting.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

// Starts the real program in a temporary home on the offscreen platform, waits for its first
// window and asks it to quit the way a desktop session does.
TEST(Smoke, TheProgramStartsShowsItsSplashAndQuitsCleanly)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", QDir(home.path()).filePath(".config"));
    environment.insert("XDG_CACHE_HOME", QDir(home.path()).filePath(".cache"));
    // Its own runtime folder, so that no other running program takes this start over.
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    // Nothing may leave this machine: the product's services point at a closed local port.
    environment.insert("VANTORA_SERVICE_URL", "http://127.0.0.1:9/");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(VANTORA_EXECUTABLE), {});
    ASSERT_TRUE(program.waitForStarted(10000));

    QByteArray output;
    for (int waited = 0; waited < 100 && !output.contains("awake from nib"); ++waited) {
        program.waitForReadyRead(100);
        output += program.readAll();
    }
    ASSERT_TRUE(output.contains("awake from nib")) << output.toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(10000));
    output += program.readAll();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("quitting on request")) << output.toStdString();
}
