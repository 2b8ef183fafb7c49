#pragma once

#include "Platform.h"

#include <QList>
#include <QMap>

#include <deque>
#include <vector>

// Scripted stand-ins for the platform services, for tests: they never show a window and
// never block. Each records what it was asked; answers are taken from a queue, and an empty
// queue gives the documented fallback.

class ScriptedAlerts : public AlertPanels
{
public:
    int runAlert(const AlertRequest& request) override;
    // Answers in order; with none left the alert answers its default button (1).
    std::deque<int> answers;
    std::vector<AlertRequest> shown;
};

class ScriptedFilePanels : public FilePanels
{
public:
    std::optional<QString> runSavePanel(const SavePanelRequest& request) override;
    std::optional<QString> runOpenPanel(const OpenPanelRequest& request) override;
    // Chosen paths in order (nothing = cancel); with none left the panel is cancelled. As with
    // the real panel, a save answer without an allowed extension gets the first one appended,
    // and one the request refuses ends the panel as cancelled.
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> openAnswers;
    std::vector<SavePanelRequest> savePanels;
    std::vector<OpenPanelRequest> openPanels;
    // Whether to replace a file that stands at a chosen save path (true: "Replace"; false: the
    // next save answer is taken); with none left the file is replaced. Every path asked about.
    std::deque<bool> replaceAnswers;
    QStringList replaceQuestions;
};

class RecordingWorkspace : public Workspace
{
public:
    bool openFile(const QString& path) override;
    bool openUrl(const QUrl& url) override;
    QString privateFolder() override { return folder; }
    // The private folder it answers (install: "private" inside the fakes' folder).
    QString folder;
    // Every request, answered or not.
    QStringList openedFiles;
    QList<QUrl> openedUrls;
    // Whether the desktop has a viewer: false makes every request answer false.
    bool hasViewer = true;
};

class ScriptedPageFetcher : public PageFetcher
{
public:
    std::optional<QByteArray> fetch(const QUrl& url, std::chrono::milliseconds timeout) override;
    // Pages by address; an address not listed cannot be read.
    QMap<QUrl, QByteArray> pages;
    QList<QUrl> requested;
};

// Answers loads from a script, in order, and records every request.
class ScriptedUrlLoader : public UrlLoader
{
public:
    UrlLoadResult load(const UrlLoadRequest& request) override;
    // Answers in order; with none left a request gets no answer (status 0 and an error).
    std::deque<UrlLoadResult> answers;
    std::vector<UrlLoadRequest> requests;

    // An answer of that status and body.
    static UrlLoadResult answer(int status, const QByteArray& body);
};

// Prints every job to a PDF file it is given, without a dialog.
class ScriptedPrintPanels : public PrintPanels
{
public:
    PrintResult runPrintPanel(const PrintJob& job) override;
    // The PDF file each panel prints to, in order (nothing = cancel); with none left the panel
    // is cancelled.
    std::deque<std::optional<QString>> answers;
    struct Shown {
        QString title;
        QSizeF paperSize;
        int pageCount;
    };
    std::vector<Shown> shown;
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(DateUtilities::DateTime time) : time(time) {}
    DateUtilities::DateTime now() const override { return time; }
    DateUtilities::DateTime time;
};

class ScriptedRandom : public RandomSource
{
public:
    long randomNumberWithMax(long max) override;
    // Numbers in order (each reduced modulo max); with none left answers 0.
    std::deque<long> numbers;
    std::vector<long> asked; // the max of each request
};

// Installs every fake at once, with user defaults in an INI file of `folder` and the clock
// at 2020-01-01 12:00, and answers the installed fakes so a test can script and inspect them.
struct FakePlatform {
    ScriptedAlerts* alerts = nullptr;
    ScriptedFilePanels* filePanels = nullptr;
    RecordingWorkspace* workspace = nullptr;
    ScriptedPageFetcher* pageFetcher = nullptr;
    ScriptedUrlLoader* urlLoader = nullptr;
    FixedClock* clock = nullptr;
    ScriptedRandom* random = nullptr;
    ScriptedPrintPanels* printPanels = nullptr;

    static FakePlatform install(const QString& folder);
};
