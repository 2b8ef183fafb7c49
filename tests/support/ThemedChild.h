#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// An X server of a test's own (Xvfb on a display it finds free, with no window manager), and
// this test program run again on it as a child, under a desktop theme: the way a test tries what
// the keyboard does under GNOME's or GTK's theme, which the offscreen platform has not.
class OwnXServer
{
public:
    OwnXServer();
    ~OwnXServer();
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    // Empty when the server did not start or named no display; `problem` then says why.
    const QString& display() const { return display_; }
    const QString& problem() const { return problem_; }

    struct ChildRun {
        bool finished = false;
        int exitCode = -1;
        QByteArray output;
    };
    // This program's tests matching `filter` (the disabled ones too) on the server, under the
    // theme `theme` ("gnome", "gtk3"), with no session bus to ask the desktop's settings of and
    // no bridge to an accessibility service; waits at most two minutes.
    ChildRun runTests(const QString& theme, const QString& filter) const;

private:
    QProcess server_;
    QTemporaryDir folder_;
    QString display_;
    QString problem_;
};
