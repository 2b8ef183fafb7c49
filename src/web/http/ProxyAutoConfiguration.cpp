#include "web/http/ProxyAutoConfiguration.h"

#include "platform/QtPlatform.h"

#include <QHash>

#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QJSEngine>
#include <QNetworkInterface>
#include <QObject>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// The helpers that need the network, offered to the script as the object "pacHost".
class PacHost : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE QString dnsResolve(const QString& host) const
    {
        if (QHostAddress address; address.setAddress(host))
            return address.toString();
        const QHostInfo info = QHostInfo::fromName(host);
        for (const QHostAddress& address : info.addresses())
            if (address.protocol() == QAbstractSocket::IPv4Protocol)
                return address.toString();
        return {};
    }

    Q_INVOKABLE QString myIpAddress() const
    {
        for (const QHostAddress& address : QNetworkInterface::allAddresses())
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
                return address.toString();
        return QStringLiteral("127.0.0.1");
    }
};

// The plain helper functions of auto-configuration scripts, in the script language itself.
const char* const kPacHelpers = R"JS(
function isPlainHostName(host) { return host.indexOf('.') < 0; }
function dnsDomainIs(host, domain) {
    return host.length >= domain.length && host.substring(host.length - domain.length) === domain;
}
function localHostOrDomainIs(host, hostdom) {
    return host === hostdom || (host.indexOf('.') < 0 && hostdom.indexOf(host + '.') === 0);
}
function dnsResolve(host) { var a = pacHost.dnsResolve(host); return a === '' ? null : a; }
function isResolvable(host) { return dnsResolve(host) !== null; }
function myIpAddress() { return pacHost.myIpAddress(); }
function dnsDomainLevels(host) { return host.split('.').length - 1; }
function pacAddressToNumber(text) {
    var parts = String(text).split('.');
    if (parts.length !== 4) return null;
    var n = 0;
    for (var i = 0; i < 4; ++i) {
        var p = parseInt(parts[i], 10);
        if (isNaN(p) || p < 0 || p > 255) return null;
        n = n * 256 + p;
    }
    return n;
}
function isInNet(host, pattern, mask) {
    var address = /^\d+\.\d+\.\d+\.\d+$/.test(host) ? host : dnsResolve(host);
    if (address === null) return false;
    var a = pacAddressToNumber(address), p = pacAddressToNumber(pattern), m = pacAddressToNumber(mask);
    if (a === null || p === null || m === null) return false;
    for (var bit = 0; bit < 4; ++bit) {
        var shift = Math.pow(256, 3 - bit);
        var ab = Math.floor(a / shift) % 256, pb = Math.floor(p / shift) % 256, mb = Math.floor(m / shift) % 256;
        if ((ab & mb) !== (pb & mb)) return false;
    }
    return true;
}
function shExpMatch(text, pattern) {
    var expression = '^' + String(pattern).replace(/[.+^${}()|[\]\\]/g, '\\$&')
        .replace(/\*/g, '.*').replace(/\?/g, '.') + '$';
    return new RegExp(expression).test(text);
}
var pacDays = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
var pacMonths = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];
function pacUsesGmt(args) { return args.length > 0 && args[args.length - 1] === 'GMT'; }
function pacPlainArgs(args) {
    var list = Array.prototype.slice.call(args);
    if (pacUsesGmt(list)) list.pop();
    return list;
}
function weekdayRange() {
    var args = pacPlainArgs(arguments), now = new Date();
    var today = pacUsesGmt(arguments) ? now.getUTCDay() : now.getDay();
    var first = pacDays.indexOf(args[0]);
    var last = args.length > 1 ? pacDays.indexOf(args[1]) : first;
    if (first < 0 || last < 0) return false;
    return first <= last ? (today >= first && today <= last) : (today >= first || today <= last);
}
function pacInRange(value, first, last) {
    return first <= last ? (value >= first && value <= last) : (value >= first || value <= last);
}
function dateRange() {
    var args = pacPlainArgs(arguments), gmt = pacUsesGmt(arguments), now = new Date();
    var current = {
        day: gmt ? now.getUTCDate() : now.getDate(),
        month: gmt ? now.getUTCMonth() : now.getMonth(),
        year: gmt ? now.getUTCFullYear() : now.getFullYear()
    };
    function parse(arg) {
        if (typeof arg === 'string') return ['month', pacMonths.indexOf(arg)];
        return arg > 31 ? ['year', arg] : ['day', arg];
    }
    function key(list) {
        var k = { year: 0, month: 0, day: 0 };
        list.forEach(function (v) { k[v[0]] = v[1]; });
        return k.year * 10000 + k.month * 100 + k.day;
    }
    var parsed = args.map(parse);
    if (parsed.length === 1) return current[parsed[0][0]] === parsed[0][1];
    var half = parsed.length / 2, from = parsed.slice(0, half), to = parsed.slice(half);
    var today = from.map(function (v) { return [v[0], current[v[0]]]; });
    return pacInRange(key(today), key(from), key(to));
}
function timeRange() {
    var args = pacPlainArgs(arguments), gmt = pacUsesGmt(arguments), now = new Date();
    var h = gmt ? now.getUTCHours() : now.getHours(), m = gmt ? now.getUTCMinutes() : now.getMinutes();
    var s = gmt ? now.getUTCSeconds() : now.getSeconds();
    if (args.length === 1) return h === args[0];
    if (args.length === 2) return pacInRange(h, args[0], args[1]);
    if (args.length === 4) return pacInRange(h * 60 + m, args[0] * 60 + args[1], args[2] * 60 + args[3]);
    if (args.length === 6) {
        var from = args[0] * 3600 + args[1] * 60 + args[2], to = args[3] * 3600 + args[4] * 60 + args[5];
        return pacInRange(h * 3600 + m * 60 + s, from, to);
    }
    return false;
}
)JS";

// Stops the engine's script once the time limit has passed, from a thread of its own, until it
// is destroyed.
class ScriptWatchdog
{
public:
    ScriptWatchdog(QJSEngine& engine, std::chrono::milliseconds limit)
        : thread_([this, &engine, limit] {
            std::unique_lock lock(mutex_);
            if (!ended_.wait_for(lock, limit, [this] { return done_; })) {
                fired_ = true;
                engine.setInterrupted(true);
            }
        })
    {
    }
    ~ScriptWatchdog()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        thread_.join();
    }
    ScriptWatchdog(const ScriptWatchdog&) = delete;
    ScriptWatchdog& operator=(const ScriptWatchdog&) = delete;

    bool fired()
    {
        std::lock_guard lock(mutex_);
        return fired_;
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool fired_ = false;
    std::thread thread_;
};

} // namespace

std::optional<QByteArray> ProxyAutoConfiguration::fetchedScript(const QUrl& scriptURL,
                                                                 std::chrono::milliseconds limit,
                                                                 std::chrono::milliseconds failureKept)
{
    // Held through the fetch, so that requests asking at the same time wait for the one fetch.
    static std::mutex mutex;
    static QHash<QUrl, QByteArray> fetched;
    static QHash<QUrl, std::chrono::steady_clock::time_point> failed;
    std::lock_guard lock(mutex);
    if (const auto found = fetched.constFind(scriptURL); found != fetched.constEnd())
        return *found;
    const auto now = std::chrono::steady_clock::now();
    if (const auto found = failed.constFind(scriptURL); found != failed.constEnd() && now - *found < failureKept)
        return std::nullopt;
    QtPageFetcher fetcher;
    auto bytes = fetcher.fetch(scriptURL, limit);
    if (bytes) {
        fetched.insert(scriptURL, *bytes);
        failed.remove(scriptURL);
    } else {
        failed.insert(scriptURL, std::chrono::steady_clock::now());
    }
    return bytes;
}

std::optional<QList<ProxyEntry>> ProxyAutoConfiguration::proxiesForURL(const QUrl& url, const QUrl& scriptURL)
{
    return answerForURL(url, scriptURL).proxies;
}

std::optional<QList<ProxyEntry>> ProxyAutoConfiguration::proxiesForScript(const QString& script, const QUrl& url)
{
    return answerForScript(script, url).proxies;
}

ProxyScriptAnswer ProxyAutoConfiguration::answerForURL(const QUrl& url, const QUrl& scriptURL,
                                                       std::chrono::milliseconds limit)
{
    QByteArray bytes;
    if (const QString scheme = scriptURL.scheme().toLower();
        scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        const auto fetched = fetchedScript(scriptURL, limit);
        if (!fetched)
            return {QList<ProxyEntry>(), false};
        bytes = *fetched;
    } else {
        QFile file(scriptURL.isLocalFile() ? scriptURL.toLocalFile() : QString());
        if (!scriptURL.isLocalFile() || !file.open(QIODevice::ReadOnly))
            return {QList<ProxyEntry>(), false};
        bytes = file.readAll();
    }
    QString script = QString::fromUtf8(bytes);
    if (script.contains(QChar::ReplacementCharacter))
        script = QString::fromLatin1(bytes);
    return answerForScript(script, url, limit);
}

ProxyScriptAnswer ProxyAutoConfiguration::answerForScript(const QString& script, const QUrl& url,
                                                          std::chrono::milliseconds limit)
{
    QJSEngine engine;
    PacHost host;
    engine.globalObject().setProperty(QStringLiteral("pacHost"), engine.newQObject(&host));
    QJSValue answer;
    bool ranOutOfTime = false;
    {
        ScriptWatchdog watchdog(engine, limit);
        engine.evaluate(QString::fromUtf8(kPacHelpers));
        const QJSValue loaded = engine.evaluate(script);
        QJSValue find = engine.globalObject().property(QStringLiteral("FindProxyForURL"));
        if (!loaded.isError() && find.isCallable())
            answer = find.call({QJSValue(url.toString()), QJSValue(url.host())});
        else
            answer = QJSValue(QJSValue::UndefinedValue);
        ranOutOfTime = watchdog.fired();
    }
    // The host object belongs to this function, not to the engine.
    engine.globalObject().deleteProperty(QStringLiteral("pacHost"));
    if (ranOutOfTime || answer.isError() || !answer.isString())
        return {std::nullopt, ranOutOfTime};
    return {parseAnswer(answer.toString()), false};
}

QList<ProxyEntry> ProxyAutoConfiguration::parseAnswer(const QString& answer)
{
    QList<ProxyEntry> entries;
    for (const QString& part : answer.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList words = part.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString keyword = words[0].toUpper();
        if (keyword == QLatin1String("DIRECT")) {
            entries.append(ProxyEntry {});
            continue;
        }
        ProxyEntry entry;
        if (keyword == QLatin1String("PROXY") || keyword == QLatin1String("HTTP"))
            entry.type = ProxyEntry::Type::Http;
        else if (keyword == QLatin1String("HTTPS"))
            entry.type = ProxyEntry::Type::Https;
        else if (keyword == QLatin1String("SOCKS") || keyword == QLatin1String("SOCKS5"))
            entry.type = ProxyEntry::Type::Socks;
        else
            continue;
        if (words.size() < 2)
            continue;
        const qsizetype colon = words[1].lastIndexOf(QLatin1Char(':'));
        bool portIsNumber = false;
        entry.host = colon > 0 ? words[1].left(colon) : words[1];
        entry.port = colon > 0 ? words[1].mid(colon + 1).toInt(&portIsNumber) : 0;
        if (colon > 0 && (!portIsNumber || entry.port <= 0 || entry.port > 65535))
            continue;
        if (colon <= 0)
            entry.port = entry.type == ProxyEntry::Type::Socks ? 1080 : 8080;
        entries.append(entry);
    }
    return entries;
}

#include "ProxyAutoConfiguration.moc"
