#pragma once

#include "web/http/HTTPRequest.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Runs proxy auto-configuration scripts: the script's FindProxyForURL(url, host) is called with
// the helper functions such scripts expect, and its answer ("PROXY h:p; SOCKS h:p; DIRECT") is
// read into a list of proxies in the script's order.
class ProxyAutoConfiguration
{
public:
    // The proxies for the URL from the script at scriptURL (a local file): an empty list when
    // the script cannot be read, nothing when it does not run or answers no text.
    static std::optional<QList<ProxyEntry>> proxiesForURL(const QUrl& url, const QUrl& scriptURL);
    // The same for a script already read.
    static std::optional<QList<ProxyEntry>> proxiesForScript(const QString& script, const QUrl& url);
    // Reads a script's answer; entries it does not understand are passed over.
    static QList<ProxyEntry> parseAnswer(const QString& answer);
};
