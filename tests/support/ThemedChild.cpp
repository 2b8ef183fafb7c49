#include "ThemedChild.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QStringList>

OwnXServer::OwnXServer()
{
    server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                           QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server_.waitForStarted(10000)) {
        problem_ = QStringLiteral("Xvfb is not installed");
        return;
    }
    QByteArray named;
    while (!named.contains('\n') && server_.waitForReadyRead(10000))
        named += server_.readAllStandardOutput();
    if (!named.contains('\n')) {
        problem_ = QStringLiteral("Xvfb named no display");
        return;
    }
    display_ = QStringLiteral(":") + QString::fromLatin1(named.trimmed());
}

OwnXServer::~OwnXServer()
{
    if (server_.state() == QProcess::NotRunning)
        return;
    server_.terminate();
    if (!server_.waitForFinished(10000))
        server_.kill();
    server_.waitForFinished(10000);
}

OwnXServer::ChildRun OwnXServer::runTests(const QString& theme, const QString& filter) const
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), theme);
    environment.insert(QStringLiteral("DISPLAY"), display_);
    // A bus that is not there, so that the desktop's settings are asked of none and none is started.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + folder_.filePath(QStringLiteral("no-bus")));
    // Nor is GTK's bridge to the accessibility service loaded: on a machine without that
    // service it gives up on it and keeps what it had taken, which the leak check reports.
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=") + filter});
    ChildRun run;
    run.finished = child.waitForFinished(120000);
    run.exitCode = child.exitCode();
    run.output = child.readAll();
    return run;
}
