#include "platform/DesktopProxySettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

using Mode = DesktopProxySettings::Mode;
using Server = DesktopProxySettings::Server;

// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const QByteArray& value) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        old_ = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

bool writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

} // namespace

TEST(DesktopProxySettings, HostsToPassOverMatchNamesDomainsAndSubnets)
{
    DesktopProxySettings settings;
    settings.ignoreHosts = {QStringLiteral("localhost"), QStringLiteral("*.studio.test"), QStringLiteral(".lot.test"),
                            QStringLiteral("10.0.0.0/8"), QStringLiteral("::1/128"), QStringLiteral("archive.test")};
    const struct {
        const char* host;
        bool ignored;
    } rows[] = {
        {"localhost", true},        {"LOCALHOST", true},        {"edit.studio.test", true}, {"studio.test", true},
        {"a.b.lot.test", true},     {"lot.test", true},         {"10.20.30.40", true},      {"::1", true},
        {"archive.test", true},     {"www.archive.test", true}, {"11.0.0.1", false},        {"studio.test.org", false},
        {"notarchive.test", false}, {"example.org", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(settings.ignores(QString::fromLatin1(row.host)), row.ignored) << row.host;
    settings.ignoreHosts = {QStringLiteral("*")};
    EXPECT_TRUE(settings.ignores(QStringLiteral("anything.test")));
}

TEST(DesktopProxySettings, TheVariablesNameAProxyForEachScheme)
{
    const struct {
        const char* name;
        QList<QPair<QString, QString>> variables;
        QString url;
        std::optional<Server> server;
        bool socks;
    } rows[] = {
        {"http", {{"http_proxy", "http://cache.test:3128"}}, "http://a.test/", Server {"cache.test", 3128}, false},
        {"upper case", {{"HTTP_PROXY", "cache.test:81"}}, "http://a.test/", Server {"cache.test", 81}, false},
        {"lower case first", {{"http_proxy", "low.test:1"}, {"HTTP_PROXY", "up.test:2"}}, "http://a.test/",
         Server {"low.test", 1}, false},
        {"https", {{"https_proxy", "http://secure.test:8443"}}, "https://a.test/", Server {"secure.test", 8443},
         false},
        {"https without its own", {{"http_proxy", "cache.test:3128"}}, "https://a.test/", std::nullopt, false},
        {"all, plain", {{"all_proxy", "http://all.test"}}, "https://a.test/", Server {"all.test", 8080}, false},
        {"all, socks", {{"all_proxy", "socks5://sock.test"}}, "http://a.test/", Server {"sock.test", 1080}, true},
        {"no_proxy", {{"http_proxy", "cache.test:3128"}, {"no_proxy", "a.test, b.test"}}, "http://a.test/",
         std::nullopt, false},
        {"nothing", {}, "http://a.test/", std::nullopt, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QProcessEnvironment environment;
        for (const auto& [name, value] : row.variables)
            environment.insert(name, value);
        const auto settings = DesktopProxySettings::fromEnvironment(environment);
        bool socks = false;
        EXPECT_EQ(settings.serverFor(QUrl(row.url), &socks), row.server);
        if (row.server) {
            EXPECT_EQ(socks, row.socks);
        }
    }
}

TEST(DesktopProxySettings, KdeFilesAreReadByTheirProxyType)
{
    const struct {
        const char* name;
        QByteArray text;
        std::optional<DesktopProxySettings> expected;
    } rows[] = {
        {"manual",
         "[General]\nProxyType=2\n[Proxy Settings]\nProxyType=1\nhttpProxy=http://cache.test:3128\n"
         "httpsProxy=http://secure.test 8443\nsocksProxy=socks://sock.test\nNoProxyFor=localhost, .lot.test\n"
         "ReversedException=false\n[Other]\nhttpProxy=http://wrong.test:1\n",
         DesktopProxySettings {Mode::Manual, QUrl(), Server {"cache.test", 3128}, Server {"secure.test", 8443},
                               Server {"sock.test", 1080}, {"localhost", ".lot.test"}}},
        {"script", "[Proxy Settings]\nProxyType=2\nProxy Config Script=http://127.0.0.1:9/proxy.pac\n",
         DesktopProxySettings {Mode::Automatic, QUrl("http://127.0.0.1:9/proxy.pac"), {}, {}, {}, {}}},
        {"script without address", "[Proxy Settings]\nProxyType=2\n", std::nullopt},
        {"no proxy", "[Proxy Settings]\nProxyType=0\nhttpProxy=http://cache.test:3128\n", std::nullopt},
        {"variables", "[Proxy Settings]\nProxyType=4\n", std::nullopt},
        {"no group", "ProxyType=1\nhttpProxy=http://cache.test:3128\n", std::nullopt},
    };
    const QString path = QDir(configFolder()).filePath(QStringLiteral("kioslaverc"));
    ASSERT_TRUE(QDir().mkpath(configFolder()));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(writeFile(path, row.text));
        EXPECT_EQ(DesktopProxySettings::fromKdeFile(path), row.expected);
    }
    QFile::remove(path);
    EXPECT_FALSE(DesktopProxySettings::fromKdeFile(path));
}

TEST(DesktopProxySettings, OnKdeTheFileDecidesAndOtherwiseTheVariables)
{
    ASSERT_TRUE(QDir().mkpath(configFolder()));
    const QString path = QDir(configFolder()).filePath(QStringLiteral("kioslaverc"));
    ASSERT_TRUE(writeFile(path, "[Proxy Settings]\nProxyType=1\nhttpProxy=http://kde.test:3128\n"));
    ScopedVariable variable("http_proxy", "http://variable.test:8000");
    const QUrl url(QStringLiteral("http://a.test/"));
    {
        ScopedVariable desktop("XDG_CURRENT_DESKTOP", "KDE");
        EXPECT_EQ(DesktopProxySettings::current().serverFor(url), (Server {"kde.test", 3128}));
    }
    {
        ScopedVariable desktop("XDG_CURRENT_DESKTOP", "XFCE");
        EXPECT_EQ(DesktopProxySettings::current().serverFor(url), (Server {"variable.test", 8000}));
    }
    ASSERT_TRUE(writeFile(path, "[Proxy Settings]\nProxyType=0\n"));
    ScopedVariable desktop("XDG_CURRENT_DESKTOP", "KDE");
    EXPECT_EQ(DesktopProxySettings::current().serverFor(url), (Server {"variable.test", 8000}));
    QFile::remove(path);
}

TEST(DesktopProxySettings, GnomeListingsAreRead)
{
    const QString listing = QStringLiteral(
        "org.gnome.system.proxy use-same-proxy true\n"
        "org.gnome.system.proxy mode 'manual'\n"
        "org.gnome.system.proxy autoconfig-url ''\n"
        "org.gnome.system.proxy ignore-hosts ['localhost', '127.0.0.0/8', 'it\\'s.test']\n"
        "org.gnome.system.proxy.http host 'cache.test'\n"
        "org.gnome.system.proxy.http port 3128\n"
        "org.gnome.system.proxy.https host 'secure.test'\n"
        "org.gnome.system.proxy.https port 0\n"
        "org.gnome.system.proxy.socks host 'sock.test'\n"
        "org.gnome.system.proxy.socks port 1080\n");
    const auto settings = DesktopProxySettings::fromGsettingsListing(listing);
    EXPECT_EQ(settings.mode, Mode::Manual);
    EXPECT_EQ(settings.http, (Server {"cache.test", 3128}));
    EXPECT_EQ(settings.https, Server {}); // no port: not set
    EXPECT_EQ(settings.socks, (Server {"sock.test", 1080}));
    EXPECT_EQ(settings.ignoreHosts, (QStringList {"localhost", "127.0.0.0/8", "it's.test"}));
    EXPECT_EQ(DesktopProxySettings::fromGsettingsListing(QString()).mode, Mode::None);
}

namespace {

// gsettings with the key-file back end, so that it writes into the test's own configuration folder.
bool runGsettings(const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess gsettings;
    gsettings.start(QStringLiteral("gsettings"), arguments);
    if (!gsettings.waitForFinished(10000) || gsettings.exitCode() != 0)
        return false;
    if (output)
        *output = gsettings.readAllStandardOutput();
    return true;
}

} // namespace

TEST(DesktopProxySettings, GnomeSettingsAreReadThroughGsettings)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
        GTEST_SKIP() << "the libglib2.0-bin package is not installed (no gsettings)";
    ScopedVariable backend("GSETTINGS_BACKEND", "keyfile");
    QByteArray schemas;
    ASSERT_TRUE(runGsettings({QStringLiteral("list-schemas")}, &schemas));
    if (!schemas.contains("org.gnome.system.proxy\n"))
        GTEST_SKIP() << "the gsettings-desktop-schemas package is not installed (no org.gnome.system.proxy)";
    ScopedVariable desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    ScopedVariable variable("http_proxy", "http://variable.test:8000");
    const QString schema = QStringLiteral("org.gnome.system.proxy");
    const auto set = [&](const QString& child, const QString& key, const QString& value) {
        return runGsettings({QStringLiteral("set"), schema + child, key, value});
    };
    const QUrl url(QStringLiteral("http://a.test/"));

    ASSERT_TRUE(set({}, QStringLiteral("mode"), QStringLiteral("manual")));
    ASSERT_TRUE(set(QStringLiteral(".http"), QStringLiteral("host"), QStringLiteral("gnome.test")));
    ASSERT_TRUE(set(QStringLiteral(".http"), QStringLiteral("port"), QStringLiteral("3128")));
    ASSERT_TRUE(set({}, QStringLiteral("ignore-hosts"), QStringLiteral("['*.lot.test', '10.0.0.0/8']")));
    auto gnome = DesktopProxySettings::fromGnome();
    ASSERT_TRUE(gnome);
    EXPECT_EQ(gnome->mode, Mode::Manual);
    EXPECT_EQ(gnome->http, (Server {"gnome.test", 3128}));
    EXPECT_EQ(gnome->ignoreHosts, (QStringList {"*.lot.test", "10.0.0.0/8"}));
    EXPECT_EQ(DesktopProxySettings::current().serverFor(url), (Server {"gnome.test", 3128}));
    EXPECT_FALSE(DesktopProxySettings::current().serverFor(QUrl(QStringLiteral("http://set.lot.test/"))));

    ASSERT_TRUE(set({}, QStringLiteral("mode"), QStringLiteral("auto")));
    ASSERT_TRUE(set({}, QStringLiteral("autoconfig-url"), QStringLiteral("http://127.0.0.1:9/proxy.pac")));
    EXPECT_EQ(DesktopProxySettings::current().mode, Mode::Automatic);
    EXPECT_EQ(DesktopProxySettings::current().autoConfigUrl, QUrl(QStringLiteral("http://127.0.0.1:9/proxy.pac")));

    // With no proxy set in GNOME the variables still count.
    ASSERT_TRUE(set({}, QStringLiteral("mode"), QStringLiteral("none")));
    EXPECT_EQ(DesktopProxySettings::current().serverFor(url), (Server {"variable.test", 8000}));
}
