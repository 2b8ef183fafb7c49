#pragma once

#include "Platform.h"

#include <QTemporaryDir>

#include <memory>

// The Qt implementations of the platform services.

class QtAlertPanels : public AlertPanels
{
public:
    int runAlert(const AlertRequest& request) override;
};

class QtFilePanels : public FilePanels
{
public:
    std::optional<QString> runSavePanel(const SavePanelRequest& request) override;
    std::optional<QString> runOpenPanel(const OpenPanelRequest& request) override;
};

class QtWorkspace : public Workspace
{
public:
    bool openFile(const QString& path) override;
    bool openUrl(const QUrl& url) override;
    QString privateFolder() override;

private:
    // Made on first use and removed, with what it holds, when the program ends.
    std::unique_ptr<QTemporaryDir> folder_;
};

// Qt Network in a local event loop that takes no user input: the caller's thread waits, as
// the program's web exchanges expect, while timers and sockets go on. Redirects that keep the
// scheme as safe are followed; nothing is cached.
class QtUrlLoader : public UrlLoader
{
public:
    UrlLoadResult load(const UrlLoadRequest& request) override;
};

class QtPageFetcher : public PageFetcher
{
public:
    std::optional<QByteArray> fetch(const QUrl& url, std::chrono::milliseconds timeout) override;

private:
    QtUrlLoader loader_;
};

// The system's print dialog on a printer of the paper's size. Printing to a PDF file goes
// through writePdfFile, so a failed write never leaves a broken file behind.
class QtPrintPanels : public PrintPanels
{
public:
    PrintResult runPrintPanel(const PrintJob& job) override;
};

class SystemClock : public Clock
{
public:
    DateUtilities::DateTime now() const override;
};

// Random numbers from a generator that can be given a seed.
class SeededRandom : public RandomSource
{
public:
    SeededRandom();                          // seeded from the system
    explicit SeededRandom(quint32 seed);
    long randomNumberWithMax(long max) override;

private:
    struct State;
    std::shared_ptr<State> state_;
};
