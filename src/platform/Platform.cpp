#include "Platform.h"

#include "QtPlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

QString withAllowedExtension(const QString& path, const QStringList& allowedExtensions)
{
    if (allowedExtensions.isEmpty() || path.isEmpty())
        return path;
    const QString name = QFileInfo(path).fileName();
    for (const QString& extension : allowedExtensions) {
        if (name.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive))
            return path;
    }
    // A name typed with a trailing dot ("Story.") gets the extension without a second dot.
    if (path.endsWith(QLatin1Char('.')))
        return path + allowedExtensions.constFirst();
    return path + QLatin1Char('.') + allowedExtensions.constFirst();
}

bool isSameFilePath(const QString& first, const QString& second)
{
    // The usual file systems of these systems ignore letter case in names; Linux's never do.
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    constexpr Qt::CaseSensitivity kNameCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity kNameCase = Qt::CaseSensitive;
#endif
    if (first.isEmpty() || second.isEmpty())
        return false;
    const QFileInfo one(first);
    const QFileInfo other(second);
    const QString canonicalOne = one.canonicalFilePath();
    const QString canonicalOther = other.canonicalFilePath();
    if (!canonicalOne.isEmpty() && !canonicalOther.isEmpty())
        return canonicalOne.compare(canonicalOther, kNameCase) == 0;
    return QDir::cleanPath(one.absoluteFilePath()).compare(QDir::cleanPath(other.absoluteFilePath()), kNameCase) == 0;
}

void alertWithOK(const QString& title, const QString& message)
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    Platform::alerts().runAlert(request);
}

QByteArray UrlLoadResult::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QByteArray();
}

// --- UserDefaults ------------------------------------------------------------------------------

UserDefaults::UserDefaults()
    : settings_(std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Vantora"),
                                            QStringLiteral("Vantora")))
{
}

UserDefaults::UserDefaults(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

UserDefaults::~UserDefaults() = default;

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        defaults_.insert(it.key(), it.value());
}

QVariant UserDefaults::valueForKey(const QString& key) const
{
    if (settings_->contains(key))
        return settings_->value(key);
    return defaults_.value(key);
}

bool UserDefaults::boolForKey(const QString& key) const
{
    return valueForKey(key).toBool();
}

QString UserDefaults::stringForKey(const QString& key) const
{
    return valueForKey(key).toString();
}

QStringList UserDefaults::stringListForKey(const QString& key) const
{
    return valueForKey(key).toStringList();
}

void UserDefaults::setBool(const QString& key, bool value)
{
    settings_->setValue(key, value);
}

void UserDefaults::setString(const QString& key, const QString& value)
{
    settings_->setValue(key, value);
}

void UserDefaults::setStringList(const QString& key, const QStringList& value)
{
    settings_->setValue(key, value);
}

void UserDefaults::removeKey(const QString& key)
{
    settings_->remove(key);
}

void UserDefaults::synchronize()
{
    settings_->sync();
}

// --- Platform ----------------------------------------------------------------------------------

namespace {

std::unique_ptr<AlertPanels> alertsService;
std::unique_ptr<FilePanels> filePanelsService;
std::unique_ptr<Workspace> workspaceService;
std::unique_ptr<PageFetcher> pageFetcherService;
std::unique_ptr<UrlLoader> urlLoaderService;
std::unique_ptr<UserDefaults> userDefaultsService;
std::unique_ptr<Clock> clockService;
std::unique_ptr<RandomSource> randomService;
std::unique_ptr<PrintPanels> printPanelsService;

// The service in `slot`, a new Default first when none is installed.
template <typename Default, typename Service>
Service& installedOr(std::unique_ptr<Service>& slot)
{
    if (!slot)
        slot = std::make_unique<Default>();
    return *slot;
}

} // namespace

AlertPanels& Platform::alerts()
{
    return installedOr<QtAlertPanels>(alertsService);
}

FilePanels& Platform::filePanels()
{
    return installedOr<QtFilePanels>(filePanelsService);
}

Workspace& Platform::workspace()
{
    return installedOr<QtWorkspace>(workspaceService);
}

PageFetcher& Platform::pageFetcher()
{
    return installedOr<QtPageFetcher>(pageFetcherService);
}

UrlLoader& Platform::urlLoader()
{
    return installedOr<QtUrlLoader>(urlLoaderService);
}

UserDefaults& Platform::userDefaults()
{
    return installedOr<UserDefaults>(userDefaultsService);
}

Clock& Platform::clock()
{
    return installedOr<SystemClock>(clockService);
}

RandomSource& Platform::random()
{
    return installedOr<SeededRandom>(randomService);
}

PrintPanels& Platform::printPanels()
{
    return installedOr<QtPrintPanels>(printPanelsService);
}

// Installing nothing (a null pointer) drops the service; the next use installs the default.
void Platform::setAlerts(std::unique_ptr<AlertPanels> service)
{
    alertsService = std::move(service);
}

void Platform::setFilePanels(std::unique_ptr<FilePanels> service)
{
    filePanelsService = std::move(service);
}

void Platform::setWorkspace(std::unique_ptr<Workspace> service)
{
    workspaceService = std::move(service);
}

void Platform::setPageFetcher(std::unique_ptr<PageFetcher> service)
{
    pageFetcherService = std::move(service);
}

void Platform::setUrlLoader(std::unique_ptr<UrlLoader> service)
{
    urlLoaderService = std::move(service);
}

void Platform::setUserDefaults(std::unique_ptr<UserDefaults> service)
{
    userDefaultsService = std::move(service);
}

void Platform::setClock(std::unique_ptr<Clock> service)
{
    clockService = std::move(service);
}

void Platform::setRandom(std::unique_ptr<RandomSource> service)
{
    randomService = std::move(service);
}

void Platform::setPrintPanels(std::unique_ptr<PrintPanels> service)
{
    printPanelsService = std::move(service);
}

void Platform::installQtServices()
{
    setAlerts(std::make_unique<QtAlertPanels>());
    setFilePanels(std::make_unique<QtFilePanels>());
    setWorkspace(std::make_unique<QtWorkspace>());
    setPageFetcher(std::make_unique<QtPageFetcher>());
    setUrlLoader(std::make_unique<QtUrlLoader>());
    setUserDefaults(std::make_unique<UserDefaults>());
    setClock(std::make_unique<SystemClock>());
    setRandom(std::make_unique<SeededRandom>());
    setPrintPanels(std::make_unique<QtPrintPanels>());
}
