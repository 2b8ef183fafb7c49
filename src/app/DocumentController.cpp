#include "DocumentController.h"

#include "AppActions.h"
#include "AppController.h"
#include "GuardedCall.h"
#include "MyDocument.h"
#include "StoryWindow.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "platform/Platform.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace {

const QString kRecentKey = QStringLiteral("VTRRecentDocuments");
constexpr int kRecentLimit = 10;

} // namespace

DocumentController::DocumentController(AppController& application)
    : application_(application)
{
}

DocumentController::~DocumentController() = default;

MyDocument* DocumentController::adopt(std::unique_ptr<MyDocument> document)
{
    MyDocument* held = document.get();
    connect(held, &MyDocument::closed, this, &DocumentController::documentClosed);
    connect(held, &MyDocument::fileNameChanged, this,
            [this](MyDocument*, const QString& path) { noteRecentDocument(path); });
    documents_.push_back(std::move(document));
    current_ = held;
    emit documentCountChanged(documents_.size());
    return held;
}

void DocumentController::followActivation(MyDocument* document)
{
    // The menu's commands go to the window the writer works in, and its items show that window.
    connect(document->window(), &StoryWindow::activated, this, [this, document] {
        current_ = document;
        guardedCall([document] { document->windowDidBecomeMain(); });
    });
}

MyDocument* DocumentController::newDocument()
{
    auto document = std::make_unique<MyDocument>(application_);
    document->initWithType();
    MyDocument* held = adopt(std::move(document));
    held->makeWindowControllers();
    followActivation(held);
    return held;
}

MyDocument* DocumentController::openDocument(const QString& path)
{
    if (MyDocument* open = documentForPath(path)) {
        open->window()->show();
        open->window()->raise();
        open->window()->activateWindow();
        current_ = open;
        return open;
    }
    auto document = std::make_unique<MyDocument>(application_);
    QString error;
    if (!document->readFromURL(path, &error)) {
        reportFailure(error);
        return nullptr;
    }
    // The window is built before the controller keeps the document: a story that fails on the
    // way leaves no half-built window behind (the document deletes its window when it goes).
    // Laying the window out writes to the file (its size, the section shown): a write that fails
    // there, even in an event handler, fails the opening with one plain message.
    try {
        HeldFailures whileBuilding;
        document->makeWindowControllers();
        whileBuilding.rethrowFirst();
    } catch (const DatabaseError& failure) {
        reportFailure(StoryFile::refusalMessage(path, failure));
        return nullptr;
    }
    MyDocument* held = adopt(std::move(document));
    noteRecentDocument(path);
    followActivation(held);
    if (const Screenplaydb* story = held->currentScreenplay(); story && !story->loadAdjustments().isEmpty()) {
        AlertRequest request;
        request.title = QFileInfo(path).completeBaseName();
        request.message = tr("Some of this story's stored values could not be used as they were:\n%1\nThe file "
                             "keeps them until you next change those records.")
                              .arg(story->loadAdjustments().join(QLatin1Char('\n')));
        Platform::alerts().runAlert(request);
    }
    return held;
}

void DocumentController::openDocumentWithPanel()
{
    OpenPanelRequest request;
    request.allowedExtensions = {QString::fromLatin1(StoryFile::kExtension)};
    request.directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (const std::optional<QString> chosen = Platform::filePanels().runOpenPanel(request))
        openDocument(*chosen);
}

bool DocumentController::isOpenStoryFile(const QString& path) const
{
    return std::any_of(documents_.begin(), documents_.end(),
                       [&path](const auto& document) { return isSameFilePath(document->thisFileName(), path); });
}

bool DocumentController::refusedAsOpenStoryFile(const QString& path, const QString& title) const
{
    if (!isOpenStoryFile(path))
        return false;
    alertWithOK(title, QStringLiteral("The new file cannot have the same name as a file that is already open."));
    return true;
}

std::function<bool(const QString& path)> DocumentController::refusingOpenStoryFiles(const QString& title) const
{
    return [this, title](const QString& path) { return refusedAsOpenStoryFile(path, title); };
}

MyDocument* DocumentController::documentForPath(const QString& path) const
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    if (wanted.isEmpty())
        return nullptr;
    for (const auto& document : documents_)
        if (!document->thisFileName().isEmpty() && QFileInfo(document->thisFileName()).canonicalFilePath() == wanted)
            return document.get();
    return nullptr;
}

MyDocument* DocumentController::currentDocument() const
{
    if (current_)
        return current_;
    return documents_.empty() ? nullptr : documents_.back().get();
}

void DocumentController::closeAllDocuments()
{
    std::vector<QPointer<StoryWindow>> windows;
    for (const auto& document : documents_)
        windows.emplace_back(document->window());
    for (const auto& window : windows)
        if (window)
            window->close();
}

void DocumentController::documentClosed(MyDocument* document)
{
    // The document is still inside its own call chain: let it go on the next turn.
    QTimer::singleShot(0, this, [this, document] {
        auto at = std::find_if(documents_.begin(), documents_.end(),
                               [document](const auto& held) { return held.get() == document; });
        if (at == documents_.end())
            return;
        std::unique_ptr<MyDocument> leaving = std::move(*at);
        documents_.erase(at);
        if (current_ == document)
            current_ = nullptr;
        leaving.reset();
        emit documentCountChanged(documents_.size());
    });
}

QStringList DocumentController::recentDocuments() const
{
    return Platform::userDefaults().stringListForKey(kRecentKey);
}

void DocumentController::noteRecentDocument(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList recent = recentDocuments();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kRecentLimit)
        recent.removeLast();
    Platform::userDefaults().setStringList(kRecentKey, recent);
    scheduleMenuRefresh();
}

void DocumentController::clearRecentDocuments()
{
    Platform::userDefaults().setStringList(kRecentKey, {});
    scheduleMenuRefresh();
}

void DocumentController::scheduleMenuRefresh()
{
    // The menu may be the one whose item is running right now: rebuild it afterwards.
    QTimer::singleShot(0, this, [this] { refreshOpenRecentMenu(application_.actions().openRecentMenu()); });
}

void DocumentController::refreshOpenRecentMenu(QMenu* menu)
{
    if (!menu)
        return;
    menu->clear();
    const QStringList recent = recentDocuments();
    for (const QString& path : recent) {
        QAction* item = menu->addAction(QFileInfo(path).completeBaseName());
        item->setToolTip(path);
        connect(item, &QAction::triggered, this, [this, path] { guardedCall([this, path] { openDocument(path); }); });
    }
    if (!recent.isEmpty())
        menu->addSeparator();
    QAction* clear = menu->addAction(tr("Clear Menu"));
    clear->setEnabled(!recent.isEmpty());
    connect(clear, &QAction::triggered, this, [this] { clearRecentDocuments(); });
}
