#pragma once

#include "app/AppController.h"
#include "platform/FakePlatform.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>

#include <memory>

// Starts the application for a benchmark as the tests do: headless, with the platform's
// stand-ins, its home and settings in `home`, past the first-run material and the samples.
// Makes `home`/Documents. Answers nullptr when the application did not start.
inline std::unique_ptr<AppController> startBenchApplication(const QString& home)
{
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir(home).filePath(QStringLiteral(".config"))));
    QDir().mkpath(QDir(home).filePath(QStringLiteral("Documents")));
    FakePlatform::install(home);
    AppController::initialize();
    Platform::userDefaults().setBool(QStringLiteral("VTR3RanItBefore"), true);
    Platform::userDefaults().setBool(QStringLiteral("VTRSampleFilesShown"), true);
    auto application = std::make_unique<AppController>();
    if (!application->continueStartup(QString(), QString(), QString()))
        return nullptr;
    return application;
}
