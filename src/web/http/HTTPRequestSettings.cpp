#include "web/http/BandwidthMeter.h"
#include "web/http/HTTPRequest.h"
#include "web/http/ProxyAutoConfiguration.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>
#include <QTimeZone>
#include <QThread>

#include <algorithm>
#include <array>
#include <future>
#include <mutex>
#include <thread>

namespace {

std::atomic<double> gDefaultTimeOutSeconds {10.0};

// The one network thread of the process and the object through which work is sent to it. The
// thread is a joinable system thread running a Qt event loop: at the end of the process it is
// joined, not merely waited for, so that the per-thread data of the libraries it used (Qt's,
// GLib's) is released before the process goes on to release theirs. A thread that is only waited
// for still runs those releases after the wait, alongside the process's own exit.
struct NetworkThread {
    std::thread worker;
    QThread* thread = nullptr;
    QObject context;
    QEventLoop* loop = nullptr;
};

NetworkThread* gNetworkThread = nullptr;
std::once_flag gNetworkThreadOnce;

void stopNetworkThread()
{
    if (gNetworkThread && gNetworkThread->worker.joinable()) {
        // Queued, so that it runs once the loop runs, however soon after its start this comes.
        QMetaObject::invokeMethod(&gNetworkThread->context, [] { gNetworkThread->loop->quit(); }, Qt::QueuedConnection);
        gNetworkThread->worker.join();
    }
}

NetworkThread& networkThread()
{
    // Requests start from the queue's worker threads as well as from the main thread: the
    // thread must come to exist exactly once whoever asks first.
    std::call_once(gNetworkThreadOnce, [] {
        gNetworkThread = new NetworkThread;
        std::promise<QThread*> started;
        gNetworkThread->worker = std::thread([&started] {
            QEventLoop loop;
            gNetworkThread->loop = &loop;
            QThread::currentThread()->setObjectName(QStringLiteral("HTTP network thread"));
            started.set_value(QThread::currentThread());
            loop.exec();
        });
        gNetworkThread->thread = started.get_future().get();
        gNetworkThread->context.moveToThread(gNetworkThread->thread);
        qAddPostRoutine(stopNetworkThread);
    });
    return *gNetworkThread;
}

// The characters 0x80 to 0x9F of Windows-1252; the rest of its range is ISO Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

// --- Character encodings -------------------------------------------------------------------------

std::optional<quint64> StringEncoding::fromIanaName(const QString& name)
{
    static const QList<QPair<QString, quint64>> table {
        {QStringLiteral("utf-8"), UTF8},         {QStringLiteral("utf8"), UTF8},
        {QStringLiteral("us-ascii"), ASCII},     {QStringLiteral("ascii"), ASCII},
        {QStringLiteral("iso-8859-1"), ISOLatin1}, {QStringLiteral("latin1"), ISOLatin1},
        {QStringLiteral("iso_8859-1"), ISOLatin1}, {QStringLiteral("utf-16"), UTF16},
        {QStringLiteral("utf-16be"), UTF16BigEndian}, {QStringLiteral("utf-16le"), UTF16LittleEndian},
        {QStringLiteral("windows-1252"), WindowsCP1252}, {QStringLiteral("cp1252"), WindowsCP1252},
    };
    const QString key = name.trimmed().remove(QLatin1Char('"')).toLower();
    for (const auto& [ianaName, encoding] : table)
        if (ianaName == key)
            return encoding;
    return std::nullopt;
}

QString StringEncoding::decode(const QByteArray& bytes, quint64 encoding)
{
    switch (encoding) {
    case UTF8:
        return QString::fromUtf8(bytes);
    case ASCII:
    case ISOLatin1:
        return QString::fromLatin1(bytes);
    case UTF16:
        return QStringDecoder(QStringConverter::Utf16).decode(bytes);
    case UTF16BigEndian:
        return QStringDecoder(QStringConverter::Utf16BE).decode(bytes);
    case UTF16LittleEndian:
        return QStringDecoder(QStringConverter::Utf16LE).decode(bytes);
    case WindowsCP1252: {
        QString text(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            text[i] = (byte >= 0x80 && byte < 0xA0) ? QChar(kWindows1252High[byte - 0x80]) : QChar(byte);
        }
        return text;
    }
    default:
        return QString::fromLatin1(bytes);
    }
}

std::optional<QByteArray> StringEncoding::encode(const QString& text, quint64 encoding)
{
    switch (encoding) {
    case UTF8:
        return text.toUtf8();
    case ASCII:
    case ISOLatin1: {
        const char16_t limit = encoding == ASCII ? 0x80 : 0x100;
        for (QChar character : text)
            if (character.unicode() >= limit)
                return std::nullopt;
        return text.toLatin1();
    }
    case UTF16:
    case UTF16BigEndian:
    case UTF16LittleEndian: {
        const auto flavour = encoding == UTF16LittleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringEncoder encoder(flavour, encoding == UTF16 ? QStringConverter::Flag::WriteBom
                                                          : QStringConverter::Flag::Default);
        return QByteArray(encoder.encode(text));
    }
    case WindowsCP1252: {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (QChar character : text) {
            const char16_t code = character.unicode();
            if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
                bytes.append(char(code));
                continue;
            }
            const auto* found = std::find(kWindows1252High.begin(), kWindows1252High.end(), code);
            if (code == 0xFFFD || found == kWindows1252High.end())
                return std::nullopt;
            bytes.append(char(0x80 + (found - kWindows1252High.begin())));
        }
        return bytes;
    }
    default:
        return std::nullopt;
    }
}

QString StringEncoding::ianaName(quint64 encoding)
{
    switch (encoding) {
    case ASCII:
        return QStringLiteral("us-ascii");
    case ISOLatin1:
        return QStringLiteral("iso-8859-1");
    case UTF16:
        return QStringLiteral("utf-16");
    case UTF16BigEndian:
        return QStringLiteral("utf-16be");
    case UTF16LittleEndian:
        return QStringLiteral("utf-16le");
    case WindowsCP1252:
        return QStringLiteral("windows-1252");
    default:
        return QStringLiteral("utf-8");
    }
}

// --- Time-out, user agent, MIME types ------------------------------------------------------------

double HTTPRequest::defaultTimeOutSeconds()
{
    return gDefaultTimeOutSeconds.load();
}

void HTTPRequest::setDefaultTimeOutSeconds(double seconds)
{
    gDefaultTimeOutSeconds.store(seconds);
}

UserAgentInfo HTTPRequest::currentUserAgentInfo()
{
    UserAgentInfo info;
    if (QCoreApplication* application = QCoreApplication::instance())
        info.displayName = application->property("applicationDisplayName").toString();
    info.name = QCoreApplication::applicationName();
    info.shortVersion = QCoreApplication::applicationVersion();
    info.bundleVersion = QCoreApplication::applicationVersion();
    info.localeIdentifier = QLocale::system().name();
    info.kernelVersion = QSysInfo::kernelVersion();
    return info;
}

QString HTTPRequest::userAgentString(const UserAgentInfo& info)
{
    const QString name = !info.displayName.isEmpty() ? info.displayName : info.name;
    if (name.isEmpty())
        return {};
    QString version;
    if (!info.shortVersion.isEmpty() && !info.bundleVersion.isEmpty() && info.shortVersion != info.bundleVersion)
        version = QStringLiteral("%1 rv:%2").arg(info.shortVersion, info.bundleVersion);
    else
        version = !info.shortVersion.isEmpty() ? info.shortVersion : info.bundleVersion;
    static const QRegularExpression kernelNumbers(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?"));
    const QRegularExpressionMatch kernel = kernelNumbers.match(info.kernelVersion);
    if (!kernel.hasMatch())
        return {};
    const QString system = QStringLiteral("%1.%2.%3")
                               .arg(kernel.captured(1).toUInt())
                               .arg(kernel.captured(2).toUInt())
                               .arg(kernel.captured(3).toUInt());
    return QStringLiteral("%1 %2 (X11; Linux %3; %4)").arg(name, version, system, info.localeIdentifier);
}

QString HTTPRequest::defaultUserAgentString()
{
    return userAgentString(currentUserAgentInfo());
}

QString HTTPRequest::mimeTypeForFileAtPath(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return QStringLiteral("application/octet-stream");
    return type.name();
}

std::optional<QList<ProxyEntry>> HTTPRequest::proxiesForURL(const QUrl& url, const QUrl& scriptURL)
{
    return ProxyAutoConfiguration::proxiesForURL(url, scriptURL);
}

// --- Bandwidth -----------------------------------------------------------------------------------

bool HTTPRequest::isBandwidthThrottled()
{
    return BandwidthMeter::shared().isBandwidthThrottled();
}

quint64 HTTPRequest::maxBandwidthPerSecond()
{
    return BandwidthMeter::shared().maxBandwidthPerSecond();
}

void HTTPRequest::setMaxBandwidthPerSecond(quint64 bytes)
{
    BandwidthMeter::shared().setMaxBandwidthPerSecond(bytes);
}

void HTTPRequest::incrementBandwidthUsedInLastSecond(quint64 bytes)
{
    BandwidthMeter::shared().incrementBandwidthUsedInLastSecond(bytes);
}

void HTTPRequest::measureBandwidthUsage()
{
    BandwidthMeter::shared().measureBandwidthUsage();
}

quint64 HTTPRequest::averageBandwidthUsedPerSecond()
{
    return BandwidthMeter::shared().averageBandwidthUsedPerSecond();
}

quint64 HTTPRequest::maxUploadReadLength()
{
    return BandwidthMeter::shared().maxUploadReadLength();
}

// --- Threads, queue and locks --------------------------------------------------------------------

QThread* HTTPRequest::threadForRequest(const HTTPRequest*)
{
    return networkThread().thread;
}

void HTTPRequest::performOnNetworkThread(std::function<void()> work)
{
    auto self = sharedFromThis();
    QMetaObject::invokeMethod(
        &networkThread().context, [self, work = std::move(work)] { work(); }, Qt::QueuedConnection);
}

OperationQueue& HTTPRequest::sharedQueue()
{
    static OperationQueue queue;
    return queue;
}

std::recursive_mutex& HTTPRequest::progressLock()
{
    static std::recursive_mutex lock;
    return lock;
}

// --- Encodings and parsing -----------------------------------------------------------------------

QString HTTPRequest::base64forData(const QByteArray& data)
{
    return QString::fromLatin1(data.toBase64());
}

QDateTime HTTPRequest::dateFromRFC1123String(const QString& text)
{
    QString format = text.contains(QLatin1Char(',')) ? QStringLiteral("ddd, ") : QString();
    format += QStringLiteral("dd MMM yyyy HH:mm");
    if (text.split(QLatin1Char(':')).size() == 3)
        format += QStringLiteral(":ss");
    // The zone is always GMT in these dates; the parser reads it as UTC.
    QString trimmed = text.trimmed();
    const qsizetype zoneStart = trimmed.lastIndexOf(QLatin1Char(' '));
    if (zoneStart < 0)
        return {};
    const QString zone = trimmed.mid(zoneStart + 1);
    if (zone != QLatin1String("GMT") && zone != QLatin1String("UTC") && zone != QLatin1String("Z"))
        return {};
    QDateTime date = QLocale::c().toDateTime(trimmed.left(zoneStart), format);
    if (!date.isValid())
        return {};
    date.setTimeZone(QTimeZone::utc());
    return date;
}

void HTTPRequest::parseMimeType(QString* mimeType, quint64* encoding, const QString& contentType)
{
    if (contentType.isNull())
        return;
    const qsizetype semicolon = contentType.indexOf(QLatin1Char(';'));
    if (semicolon <= 0) {
        if (mimeType)
            *mimeType = contentType.trimmed();
        return;
    }
    if (mimeType)
        *mimeType = contentType.left(semicolon).trimmed();
    const QLatin1String marker("charset=");
    const qsizetype charsetAt = contentType.indexOf(marker, semicolon);
    if (charsetAt < 0 || charsetAt + marker.size() >= contentType.size())
        return;
    QString name = contentType.mid(charsetAt + marker.size());
    name = name.left(name.indexOf(QLatin1Char(';')));
    if (const auto known = StringEncoding::fromIanaName(name); known && encoding)
        *encoding = *known;
}
