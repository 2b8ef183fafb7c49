#pragma once

#include "app/AppController.h"
#include "platform/FakePlatform.h"
#include "support/QtPrinting.h"

#include <QDialog>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A temporary home with scripted platform services, for driving the application headlessly.
class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The Documents folder of the temporary home.
    QString documents() const { return QDir(home_.path()).filePath(QStringLiteral("Documents")); }
    QString defaultMasterPath() const;
    // Makes the controller and runs the start-up to the point where the master file is open;
    // the automatic tips are then switched off unless `automaticTips_` is set.
    AppController& startApplication();
    // A story file made the way the program makes one, in the Documents folder.
    QString makeStory(const QString& name);
    // Lets queued work (deferred deletes, zero-delay timers) run.
    static void settle();
    // Runs events until `condition` holds, giving up long after any of the program's timers
    // would have run; answers whether it held. A busy machine runs a timer late, so what a
    // timer brings about is waited for, never a fixed time.
    static bool waitUntil(const std::function<bool()>& condition);
    // Whether story windows opened from now on show the automatic tip, switched by the menu item
    // as the writer does. Off, because on the offscreen platform the tip's window takes the
    // keyboard a second after the story opens, and keys sent after it go into the tip.
    void switchAutomaticTips(bool on);
    // Answers the account number dialog with real keys: `typed` and Return, or Cancel when
    // nothing is to be typed; any other dialog is cancelled. Gives the dialog's result.
    static int answerAccountNumberDialog(QDialog& dialog, const QString& typed);

    QTemporaryDir home_;
    QByteArray oldHome_;
    QByteArray oldConfig_;
    FakePlatform fakes_;
    std::unique_ptr<AppController> app_;
    // Set by fixtures whose tests are about the tips, before the application starts.
    bool automaticTips_ = false;
};
