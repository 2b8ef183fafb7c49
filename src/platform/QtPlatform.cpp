#include "QtPlatform.h"

#include "ModalRun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <initializer_list>

// --- Alert panels ------------------------------------------------------------------------------

int QtAlertPanels::runAlert(const AlertRequest& request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    // Messages carry file names and user text; they are never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.message);

    const QString defaultTitle =
        request.defaultButton.isEmpty() ? QStringLiteral("OK") : request.defaultButton;
    QPushButton* defaultButton = box.addButton(defaultTitle, QMessageBox::AcceptRole);
    QPushButton* alternateButton = request.alternateButton.isEmpty()
        ? nullptr
        : box.addButton(request.alternateButton, QMessageBox::RejectRole);
    QPushButton* otherButton = request.otherButton.isEmpty()
        ? nullptr
        : box.addButton(request.otherButton, QMessageBox::ActionRole);
    box.setDefaultButton(defaultButton);
    // Escape (and closing the panel) never confirms anything: it answers the button that
    // says "Cancel" or "No" when there is one, else the alternate button, else the default.
    QPushButton* escapeButton = nullptr;
    for (QPushButton* button : {defaultButton, alternateButton, otherButton}) {
        if (button && !escapeButton &&
            (button->text() == QLatin1String("Cancel") || button->text() == QLatin1String("No")))
            escapeButton = button;
    }
    if (!escapeButton)
        escapeButton = alternateButton ? alternateButton : defaultButton;
    box.setEscapeButton(escapeButton);

    ModalRun::exec(box);
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        clicked = escapeButton;
    if (clicked == otherButton)
        return AlertOtherReturn;
    if (clicked == alternateButton)
        return AlertAlternateReturn;
    return AlertDefaultReturn;
}

// --- Open and save panels ----------------------------------------------------------------------

namespace {

// The panel's window title: the title, followed by the message when there is one (file dialogs
// have no place of their own for a message).
QString panelCaption(const QString& title, const QString& message)
{
    if (message.isEmpty())
        return title;
    if (title.isEmpty())
        return message;
    return title + QStringLiteral(" — ") + message;
}

QString extensionFilter(const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns.append(QStringLiteral("*.") + extension);
    return patterns.join(QLatin1Char(' '));
}

// What save and open panels share: caption, start folder and file types.
void preparePanel(QFileDialog& dialog, const QString& caption, const QString& directory,
                  const QStringList& extensions)
{
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    if (!directory.isEmpty())
        dialog.setDirectory(directory);
    if (!extensions.isEmpty())
        dialog.setNameFilter(extensionFilter(extensions));
}

std::optional<QString> firstChosen(QFileDialog& dialog)
{
    if (ModalRun::exec(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.constFirst().isEmpty())
        return std::nullopt;
    return chosen.constFirst();
}

// Asks before a save replaces an existing file; true when the user agrees.
bool confirmReplace(const QString& caption, const QString& path)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(QStringLiteral("\"%1\" already exists. Do you want to replace it?")
                    .arg(QFileInfo(path).fileName()));
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    QPushButton* replace = box.addButton(QStringLiteral("Replace"), QMessageBox::DestructiveRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    ModalRun::exec(box);
    return box.clickedButton() == replace;
}

} // namespace

std::optional<QString> QtFilePanels::runSavePanel(const SavePanelRequest& request)
{
    const QString caption = panelCaption(request.title, request.message);
    QString directory = request.directory;
    QString name = request.proposedName;
    for (;;) {
        QFileDialog dialog(QApplication::activeWindow());
        preparePanel(dialog, caption, directory, request.allowedExtensions);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The extension is added after the panel closes, so the panel cannot know the final
        // name; replacing is confirmed below, on the name that will really be written.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!name.isEmpty())
            dialog.selectFile(name);

        const std::optional<QString> chosen = firstChosen(dialog);
        if (!chosen)
            return std::nullopt;
        const QString path = withAllowedExtension(*chosen, request.allowedExtensions);
        if (request.refuses && request.refuses(path))
            return std::nullopt;
        if (!QFileInfo::exists(path) || confirmReplace(caption, path))
            return path;
        // Declined: back to the panel, where the user left it.
        directory = QFileInfo(path).absolutePath();
        name = QFileInfo(path).fileName();
    }
}

std::optional<QString> QtFilePanels::runOpenPanel(const OpenPanelRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow());
    preparePanel(dialog, panelCaption(request.title, request.message), request.directory,
                 request.chooseDirectories ? QStringList() : request.allowedExtensions);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.chooseDirectories) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setOption(QFileDialog::ReadOnly, !request.canCreateDirectories);
    return firstChosen(dialog);
}

// --- Other applications ------------------------------------------------------------------------

namespace {

bool anyProgramFound(std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [](const char* name) {
        return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
    });
}

// Whether the desktop has a program that hands documents to their viewers. Qt's desktop
// services look for the same programs, and complain on stderr when there is none; asking
// first keeps the program quiet and lets the caller show the document itself.
bool desktopHasLauncher(bool forWebAddress)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (forWebAddress)
        for (const char* variable : {"DEFAULT_BROWSER", "BROWSER"})
            if (!qEnvironmentVariable(variable).isEmpty())
                return true;
    return anyProgramFound({"xdg-open", "kde-open5", "kfmclient", "gnome-open", "google-chrome", "firefox", "mozilla",
                            "opera"});
#else
    Q_UNUSED(forWebAddress);
    return true;
#endif
}

// Whether the desktop names a program for a file of this kind. Only a desktop that can be
// asked (xdg-mime) may answer no; any other is trusted to have one.
bool desktopHasViewerFor(const QString& path)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true;
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
        return true;
    }
    return !process.readAllStandardOutput().trimmed().isEmpty();
#else
    Q_UNUSED(path);
    return true;
#endif
}

} // namespace

bool QtWorkspace::openFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!desktopHasLauncher(false) || !desktopHasViewerFor(absolute))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(absolute));
}

bool QtWorkspace::openUrl(const QUrl& url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    if (!desktopHasLauncher(!url.isLocalFile()))
        return false;
    return QDesktopServices::openUrl(url);
}

QString QtWorkspace::privateFolder()
{
    if (!folder_) {
        // QTemporaryDir makes the folder for the owner alone (mode 0700).
        auto folder = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("vantora-XXXXXX")));
        if (!folder->isValid())
            return QString();
        folder_ = std::move(folder);
    }
    return folder_->path();
}

// --- Synchronous URL loading -------------------------------------------------------------------

namespace {

// Errors of the connection, proxy or protocol: whatever status came, the answer is incomplete
// (a connection cut in the middle of the body still reports the status it began with). The
// remaining errors only name an error status, which is an answer.
bool isTransportFailure(QNetworkReply::NetworkError error)
{
    const int code = static_cast<int>(error);
    return (code > 0 && code < 200) || (code > 300 && code < 400);
}

} // namespace

UrlLoadResult QtUrlLoader::load(const UrlLoadRequest& request)
{
    UrlLoadResult result;
    const QString scheme = request.url.scheme().toLower();
    if (!request.url.isValid() || request.url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        result.error = QStringLiteral("\"%1\" is not a web address.").arg(request.url.toDisplayString());
        return result;
    }
    if (request.idleTimeout.count() <= 0 || request.timeout.count() < 0) {
        result.error = QStringLiteral("The server did not answer in time.");
        return result;
    }

    QNetworkAccessManager manager;
    QNetworkRequest networkRequest(request.url);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::NoLessSafeRedirectPolicy);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    networkRequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    for (const auto& [name, value] : request.headers)
        networkRequest.setRawHeader(name, value);
    const QByteArray method = request.method.isEmpty() ? QByteArrayLiteral("GET") : request.method;
    const std::unique_ptr<QNetworkReply> reply(
        method == "GET" && request.body.isEmpty() ? manager.get(networkRequest)
                                                  : manager.sendCustomRequest(networkRequest, method, request.body));

    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The quiet timer starts again at every sign of life: bytes of the request taken by the
    // connection, the answer's head, bytes of its body, a redirect followed. (Qt reports
    // progress at most every tenth of a second, which a wait of a minute does not feel.)
    QTimer quiet;
    QTimer whole;
    for (QTimer* timer : {&quiet, &whole}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    }
    const auto stirred = [&quiet] { quiet.start(); };
    QObject::connect(reply.get(), &QNetworkReply::uploadProgress, &loop, stirred);
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, stirred);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, stirred);
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, stirred);
    QObject::connect(reply.get(), &QNetworkReply::redirected, &loop, stirred);
    bool tooLong = false;
    if (request.maxBodyBytes > 0)
        QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64 total) {
            if (received > request.maxBodyBytes || total > request.maxBodyBytes) {
                tooLong = true;
                loop.quit();
            }
        });
    quiet.start(request.idleTimeout);
    if (request.timeout.count() > 0)
        whole.start(request.timeout);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (tooLong) {
        QObject::disconnect(reply.get(), nullptr, &loop, nullptr);
        reply->abort();
        result.error = QStringLiteral("The answer is longer than the %1 MB this download may take.")
                           .arg(request.maxBodyBytes / (1024 * 1024));
        return result;
    }
    if (!reply->isFinished()) {
        // Quiet too long, or past the whole wait: the request ends here, before the reply and
        // its manager go away.
        QObject::disconnect(reply.get(), nullptr, &loop, nullptr);
        reply->abort();
        result.error = QStringLiteral("The server did not answer in time.");
        return result;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || isTransportFailure(reply->error())) {
        result.error = reply->errorString();
        return result;
    }
    // An error status is still an answer: its status, headers and body go to the caller.
    result.status = status.toInt();
    result.headers = reply->rawHeaderPairs();
    result.body = reply->readAll();
    return result;
}

// --- Synchronous page fetch --------------------------------------------------------------------

std::optional<QByteArray> QtPageFetcher::fetch(const QUrl& url, std::chrono::milliseconds timeout)
{
    UrlLoadRequest request;
    request.url = url;
    request.timeout = timeout;
    UrlLoadResult result = loader_.load(request);
    // Only an HTTP answer with a success status is a page.
    if (!result.ok())
        return std::nullopt;
    return std::move(result.body);
}

// --- Clock and random numbers ------------------------------------------------------------------

DateUtilities::DateTime SystemClock::now() const
{
    return DateUtilities::now();
}

struct SeededRandom::State {
    QRandomGenerator generator;
};

SeededRandom::SeededRandom()
    : state_(std::make_shared<State>(State{QRandomGenerator::securelySeeded()}))
{
}

SeededRandom::SeededRandom(quint32 seed) : state_(std::make_shared<State>(State{QRandomGenerator(seed)}))
{
}

long SeededRandom::randomNumberWithMax(long max)
{
    if (max <= 0)
        return 0;
    return static_cast<long>(state_->generator.bounded(static_cast<qint64>(max)));
}
