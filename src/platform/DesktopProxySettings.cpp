#include "platform/DesktopProxySettings.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>

namespace {

constexpr int kGsettingsTimeLimitMs = 3000;

bool desktopIs(const char* name)
{
    const QString desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    for (const QString& desktop : desktops.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (desktop.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The strings of a printed value: 'text', ['a', 'b'] or @as [].
QStringList quotedStrings(const QString& value)
{
    QStringList strings;
    qsizetype at = 0;
    while ((at = value.indexOf(QLatin1Char('\''), at)) >= 0) {
        QString text;
        ++at;
        while (at < value.size() && value[at] != QLatin1Char('\'')) {
            if (value[at] == QLatin1Char('\\') && at + 1 < value.size())
                ++at;
            text += value[at++];
        }
        ++at;
        strings << text;
    }
    return strings;
}

// A proxy written as a URL or as "host:port" / "host port", with the port given when it names none.
DesktopProxySettings::Server serverFromText(const QString& text, int defaultPort, bool* socks = nullptr)
{
    QString written = text.trimmed();
    if (written.isEmpty())
        return {};
    // Older KDE files separate the port with a space.
    static const QRegularExpression spacedPort(QStringLiteral("^(.*\\S)\\s+(\\d+)$"));
    if (const auto match = spacedPort.match(written); match.hasMatch())
        written = match.captured(1) + QLatin1Char(':') + match.captured(2);
    if (!written.contains(QLatin1String("://")))
        written.prepend(QLatin1String("http://"));
    const QUrl url(written);
    if (socks)
        *socks = url.scheme().startsWith(QLatin1String("socks"));
    if (url.host().isEmpty())
        return {};
    const bool isSocks = url.scheme().startsWith(QLatin1String("socks"));
    return {url.host(), url.port(isSocks ? 1080 : defaultPort)};
}

} // namespace

DesktopProxySettings DesktopProxySettings::current()
{
    if (desktopIs("KDE")) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (auto kde = fromKdeFile(QDir(folder).filePath(QStringLiteral("kioslaverc"))))
            return *kde;
    } else if (desktopIs("GNOME")) {
        if (auto gnome = fromGnome(); gnome && gnome->mode != Mode::None)
            return *gnome;
    }
    return fromEnvironment(QProcessEnvironment::systemEnvironment());
}

std::optional<DesktopProxySettings> DesktopProxySettings::fromGnome()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess gsettings;
    gsettings.start(tool, {QStringLiteral("list-recursively"), QStringLiteral("org.gnome.system.proxy")});
    if (!gsettings.waitForFinished(kGsettingsTimeLimitMs)) {
        gsettings.kill();
        gsettings.waitForFinished();
        return std::nullopt;
    }
    if (gsettings.exitStatus() != QProcess::NormalExit || gsettings.exitCode() != 0)
        return std::nullopt;
    return fromGsettingsListing(QString::fromUtf8(gsettings.readAllStandardOutput()));
}

DesktopProxySettings DesktopProxySettings::fromGsettingsListing(const QString& listing)
{
    DesktopProxySettings settings;
    const QString base = QStringLiteral("org.gnome.system.proxy");
    QMap<QString, QString> values; // "schema key" -> printed value
    for (const QString& line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() < 3 || !parts[0].startsWith(base))
            continue;
        values.insert(parts[0].mid(base.size()) + QLatin1Char(' ') + parts[1], parts.mid(2).join(QLatin1Char(' ')));
    }
    const auto text = [&](const QString& key) { return quotedStrings(values.value(key)).value(0); };
    const auto server = [&](const QString& schema) {
        Server found {text(schema + QStringLiteral(" host")), 0};
        // Integers print bare, or with their type before them.
        found.port = values.value(schema + QStringLiteral(" port")).split(QLatin1Char(' ')).last().toInt();
        return found.isSet() ? found : Server {};
    };
    const QString mode = text(QStringLiteral(" mode"));
    if (mode == QLatin1String("manual")) {
        settings.mode = Mode::Manual;
        settings.http = server(QStringLiteral(".http"));
        settings.https = server(QStringLiteral(".https"));
        settings.socks = server(QStringLiteral(".socks"));
    } else if (mode == QLatin1String("auto")) {
        settings.mode = Mode::Automatic;
        settings.autoConfigUrl = QUrl(text(QStringLiteral(" autoconfig-url")));
        if (settings.autoConfigUrl.isEmpty())
            settings.mode = Mode::None;
    }
    settings.ignoreHosts = quotedStrings(values.value(QStringLiteral(" ignore-hosts")));
    return settings;
}

std::optional<DesktopProxySettings> DesktopProxySettings::fromKdeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QMap<QString, QString> values;
    bool inGroup = false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Proxy Settings]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals <= 0 || line.startsWith(QLatin1Char('#')))
            continue;
        // Keys may carry a language or a flag in brackets ("Key[$e]").
        QString key = line.left(equals).trimmed();
        if (const qsizetype bracket = key.indexOf(QLatin1Char('[')); bracket > 0)
            key.truncate(bracket);
        values.insert(key, line.mid(equals + 1).trimmed());
    }
    DesktopProxySettings settings;
    const int type = values.value(QStringLiteral("ProxyType")).toInt();
    if (type == 1) {
        settings.mode = Mode::Manual;
        settings.http = serverFromText(values.value(QStringLiteral("httpProxy")), 8080);
        settings.https = serverFromText(values.value(QStringLiteral("httpsProxy")), 8080);
        settings.socks = serverFromText(values.value(QStringLiteral("socksProxy")), 1080);
        settings.ignoreHosts = values.value(QStringLiteral("NoProxyFor")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString& host : settings.ignoreHosts)
            host = host.trimmed();
    } else if (type == 2) {
        settings.mode = Mode::Automatic;
        settings.autoConfigUrl = QUrl(values.value(QStringLiteral("Proxy Config Script")));
        if (settings.autoConfigUrl.isEmpty())
            return std::nullopt;
    } else {
        // No proxy, detection on the network, or "use the variables": the variables decide.
        return std::nullopt;
    }
    return settings;
}

DesktopProxySettings DesktopProxySettings::fromEnvironment(const QProcessEnvironment& environment)
{
    const auto variable = [&](const QString& name) {
        const QString value = environment.value(name);
        return value.isEmpty() ? environment.value(name.toUpper()) : value;
    };
    DesktopProxySettings settings;
    bool socks = false;
    settings.http = serverFromText(variable(QStringLiteral("http_proxy")), 8080);
    settings.https = serverFromText(variable(QStringLiteral("https_proxy")), 8080);
    const Server all = serverFromText(variable(QStringLiteral("all_proxy")), 8080, &socks);
    // all_proxy serves the schemes that have no variable of their own, as whatever kind it names.
    if (socks) {
        settings.socks = all;
    } else {
        if (!settings.http.isSet())
            settings.http = all;
        if (!settings.https.isSet())
            settings.https = all;
    }
    settings.ignoreHosts = variable(QStringLiteral("no_proxy")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& host : settings.ignoreHosts)
        host = host.trimmed();
    if (settings.http.isSet() || settings.https.isSet() || settings.socks.isSet())
        settings.mode = Mode::Manual;
    return settings;
}

std::optional<DesktopProxySettings::Server> DesktopProxySettings::serverFor(const QUrl& url, bool* socks) const
{
    if (mode != Mode::Manual || ignores(url.host()))
        return std::nullopt;
    const bool secure = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const Server& own = secure ? https : http;
    if (socks)
        *socks = !own.isSet();
    if (own.isSet())
        return own;
    if (this->socks.isSet())
        return this->socks;
    return std::nullopt;
}

bool DesktopProxySettings::ignores(const QString& host) const
{
    const QHostAddress address(host);
    for (QString pattern : ignoreHosts) {
        pattern = pattern.trimmed();
        if (pattern == QLatin1String("*"))
            return true;
        if (pattern.contains(QLatin1Char('/'))) {
            const auto subnet = QHostAddress::parseSubnet(pattern);
            if (!address.isNull() && subnet.second >= 0 && address.isInSubnet(subnet))
                return true;
            continue;
        }
        if (pattern.startsWith(QLatin1String("*.")))
            pattern.remove(0, 2);
        else if (pattern.startsWith(QLatin1Char('.')) || pattern.startsWith(QLatin1Char('*')))
            pattern.remove(0, 1);
        if (pattern.isEmpty())
            continue;
        if (host.compare(pattern, Qt::CaseInsensitive) == 0
            || host.endsWith(QLatin1Char('.') + pattern, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
