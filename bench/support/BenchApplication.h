#pragma once

#include "app/AppController.h"
#include "platform/FakePlatform.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

// Starts the application for a benchmark as the tests do: headless, with the platform's
// stand-ins, its home and settings in `home`, past the first-run material and the samples.
// Makes `home`/Documents. Answers nullptr, and says so, when the application did not start.
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
    if (!application->continueStartup(QString(), QString(), QString())) {
        std::fprintf(stderr, "the application did not start\n");
        return nullptr;
    }
    return application;
}

// Handles what the events so far asked for, deleting what waits to be deleted.
inline void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Runs the benchmarks the command line names, then ends the application as the program ends.
inline int runBenchmarks(int argc, char** argv, std::unique_ptr<AppController>& application)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    application->applicationShouldTerminate();
    application.reset();
    return 0;
}
