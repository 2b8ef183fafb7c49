#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The proxies the desktop is set to use, as a Linux desktop keeps them: GNOME's
// org.gnome.system.proxy settings (read with the gsettings tool), KDE's kioslaverc, and the
// http_proxy / https_proxy / all_proxy / no_proxy variables.
struct DesktopProxySettings {
    enum class Mode { None, Manual, Automatic };
    struct Server {
        QString host;
        int port = 0;
        bool isSet() const { return !host.isEmpty() && port > 0; }
        bool operator==(const Server&) const = default;
    };

    Mode mode = Mode::None;
    QUrl autoConfigUrl; // Automatic
    Server http;        // Manual: for http URLs
    Server https;       // Manual: for https URLs
    Server socks;       // Manual: for any URL the others do not serve
    QStringList ignoreHosts;

    // The settings of the desktop this program runs on: GNOME's when the desktop is GNOME,
    // KDE's when it is KDE, each only when it names a proxy; otherwise the variables.
    static DesktopProxySettings current();

    // GNOME's settings through the gsettings tool; nothing when the tool or the schema is missing.
    static std::optional<DesktopProxySettings> fromGnome();
    // GNOME's settings from the text `gsettings list-recursively org.gnome.system.proxy` prints.
    static DesktopProxySettings fromGsettingsListing(const QString& listing);
    // KDE's settings from its kioslaverc file; nothing when the file is missing or names no proxy.
    static std::optional<DesktopProxySettings> fromKdeFile(const QString& path);
    // The *_proxy / no_proxy variables (lower case first, then upper case).
    static DesktopProxySettings fromEnvironment(const QProcessEnvironment& environment);

    // The server to use for the URL in manual mode: none for hosts the settings pass over.
    std::optional<Server> serverFor(const QUrl& url, bool* socks = nullptr) const;
    // Whether the host is one that goes direct: ignore-hosts patterns ("*.example.org",
    // ".example.org", "example.org", "10.0.0.0/8", "localhost", "*").
    bool ignores(const QString& host) const;

    bool operator==(const DesktopProxySettings&) const = default;
};
