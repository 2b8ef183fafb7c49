#pragma once

#include "TimeLimit.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>

// Runs the tests of this test program that `filter` names, disabled ones too, in a child process
// on an X server of the calling test's own, on a display it finds free, with no window manager:
// once under each desktop theme of `themes` (Qt's own is "generic"). Fails the calling test unless
// each child passes `tests` tests.
inline void runOnAnXServerOfItsOwn(const QString& filter, int tests, std::initializer_list<const char*> themes)
{
    QProcess server;
    server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                          QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                          QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted(10000)) << "Xvfb is not installed";
    const auto stop = qScopeGuard([&server] {
        server.terminate();
        if (!server.waitForFinished(10000))
            server.kill();
    });
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(10000))
        display += server.readAllStandardOutput();
    ASSERT_TRUE(display.contains('\n')) << "Xvfb named no display";
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    for (const char* theme : themes) {
        SCOPED_TRACE(theme);
        // GNOME's theme comes with Qt itself; GTK's is a plugin of its own package.
        const QString plugin =
            QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platformthemes/libqgtk3.so");
        ASSERT_TRUE(qstrcmp(theme, "gtk3") != 0 || QFileInfo::exists(plugin))
            << "the GTK theme of Qt (qt6-gtk-platformtheme) is not installed";
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), QString::fromLatin1(theme));
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display.trimmed()));
        // A bus that is not there, so that the desktop's settings are asked of none and none is started.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("no-bus")));
        // Nor is GTK's bridge to the accessibility service loaded: on a machine without that
        // service it gives up on it and keeps what it had taken, which the leak check reports.
        environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=") + filter});
        ASSERT_TRUE(child.waitForFinished(static_cast<int>(TestTime::limitMs(120000))));
        const QByteArray output = child.readAll();
        const QByteArray passed = "[  PASSED  ] " + QByteArray::number(tests) + (tests == 1 ? " test." : " tests.");
        EXPECT_TRUE(child.exitCode() == 0 && output.contains(passed)) << output.toStdString();
    }
}
