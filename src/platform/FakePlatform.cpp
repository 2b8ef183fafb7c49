#include "FakePlatform.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The next scripted answer, or `fallback` when the script has run out.
template <typename Answer>
Answer takeNext(std::deque<Answer>& script, Answer fallback)
{
    if (script.empty())
        return fallback;
    Answer next = script.front();
    script.pop_front();
    return next;
}

// The next scripted panel answer; cancel when the script has run out.
std::optional<QString> takeChosenPath(std::deque<std::optional<QString>>& script)
{
    if (script.empty())
        return std::nullopt;
    const bool chosen = script.front().has_value();
    const QString path = script.front().value_or(QString());
    script.pop_front();
    if (!chosen)
        return std::nullopt;
    return path;
}

} // namespace

int ScriptedAlerts::runAlert(const AlertRequest& request)
{
    shown.push_back(request);
    return takeNext(answers, int(AlertDefaultReturn));
}

std::optional<QString> ScriptedFilePanels::runSavePanel(const SavePanelRequest& request)
{
    savePanels.push_back(request);
    // As the real panel does: the first allowed extension for a name without one, the request's
    // check, then the question about a file that is there; declined, the user chooses again.
    for (;;) {
        const std::optional<QString> chosen = takeChosenPath(saveAnswers);
        if (!chosen)
            return std::nullopt;
        const QString path = withAllowedExtension(*chosen, request.allowedExtensions);
        if (request.refuses && request.refuses(path))
            return std::nullopt;
        if (!QFileInfo::exists(path))
            return path;
        replaceQuestions.append(path);
        if (takeNext(replaceAnswers, true))
            return path;
    }
}

std::optional<QString> ScriptedFilePanels::runOpenPanel(const OpenPanelRequest& request)
{
    openPanels.push_back(request);
    return takeChosenPath(openAnswers);
}

bool RecordingWorkspace::openFile(const QString& path)
{
    openedFiles.append(path);
    return hasViewer;
}

bool RecordingWorkspace::openUrl(const QUrl& url)
{
    openedUrls.append(url);
    return hasViewer;
}

std::optional<QByteArray> ScriptedPageFetcher::fetch(const QUrl& url, std::chrono::milliseconds)
{
    requested.append(url);
    const auto page = pages.constFind(url);
    if (page == pages.cend())
        return std::nullopt;
    return *page;
}

UrlLoadResult ScriptedUrlLoader::load(const UrlLoadRequest& request)
{
    requests.push_back(request);
    UrlLoadResult noAnswer;
    noAnswer.error = QStringLiteral("The server did not answer in time.");
    return takeNext(answers, noAnswer);
}

UrlLoadResult ScriptedUrlLoader::answer(int status, const QByteArray& body)
{
    UrlLoadResult result;
    result.status = status;
    result.body = body;
    return result;
}

long ScriptedRandom::randomNumberWithMax(long max)
{
    asked.push_back(max);
    // Like the real source, a request with nothing to choose from draws no number.
    if (max <= 0)
        return 0;
    const long number = takeNext(numbers, 0L) % max;
    return number < 0 ? number + max : number;
}

PrintResult ScriptedPrintPanels::runPrintPanel(const PrintJob& job)
{
    shown.push_back({job.title, job.paperSize, job.pageCount});
    const std::optional<QString> path = takeChosenPath(answers);
    if (!path)
        return {PrintResult::Cancelled, QString()};
    return writePdfFile(job, *path, 1, job.pageCount);
}

FakePlatform FakePlatform::install(const QString& folder)
{
    FakePlatform fakes;
    auto alerts = std::make_unique<ScriptedAlerts>();
    auto filePanels = std::make_unique<ScriptedFilePanels>();
    auto workspace = std::make_unique<RecordingWorkspace>();
    workspace->folder = QDir(folder).filePath(QStringLiteral("private"));
    auto pageFetcher = std::make_unique<ScriptedPageFetcher>();
    auto urlLoader = std::make_unique<ScriptedUrlLoader>();
    auto clock = std::make_unique<FixedClock>(
        DateUtilities::DateTime{QDate(2020, 1, 1), QTime(12, 0)});
    auto random = std::make_unique<ScriptedRandom>();
    auto printPanels = std::make_unique<ScriptedPrintPanels>();
    fakes.alerts = alerts.get();
    fakes.filePanels = filePanels.get();
    fakes.workspace = workspace.get();
    fakes.pageFetcher = pageFetcher.get();
    fakes.urlLoader = urlLoader.get();
    fakes.clock = clock.get();
    fakes.random = random.get();
    fakes.printPanels = printPanels.get();

    Platform::setAlerts(std::move(alerts));
    Platform::setFilePanels(std::move(filePanels));
    Platform::setWorkspace(std::move(workspace));
    Platform::setPageFetcher(std::move(pageFetcher));
    Platform::setUrlLoader(std::move(urlLoader));
    Platform::setClock(std::move(clock));
    Platform::setRandom(std::move(random));
    Platform::setPrintPanels(std::move(printPanels));
    Platform::setUserDefaults(
        std::make_unique<UserDefaults>(QDir(folder).filePath(QStringLiteral("UserDefaults.ini"))));
    return fakes;
}
