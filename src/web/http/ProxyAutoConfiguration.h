#pragma once

#include "web/http/HTTPRequest.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

// Runs proxy auto-configuration scripts: the script's FindProxyForURL(url, host) is called with
// the helper functions such scripts expect, and its answer ("PROXY h:p; SOCKS h:p; DIRECT") is
// read into a list of proxies in the script's order.
//
// A script runs at most kTimeLimit: one that has not answered by then is stopped and counts as
// failed, so a script that never returns cannot hold its request past every time-out.
class ProxyAutoConfiguration
{
public:
    static constexpr std::chrono::milliseconds kTimeLimit {5000};
    // How long a script address that could not be fetched is not asked again. An address that
    // does not answer (the network that serves it is out of reach) would otherwise cost every
    // request the whole time limit; a minute lets a burst of requests (an upload's calls) wait
    // once, and still takes up the script soon after its network is back.
    static constexpr std::chrono::milliseconds kFailedFetchKept {60000};

    // The answer of the script at scriptURL (a local file, or an http or https address fetched once
    // and kept, within the time limit) for the URL: an empty list when the script cannot be read.
    static ProxyScriptAnswer answerForURL(const QUrl& url, const QUrl& scriptURL,
                                          std::chrono::milliseconds limit = kTimeLimit);
    static ProxyScriptAnswer answerForScript(const QString& script, const QUrl& url,
                                             std::chrono::milliseconds limit = kTimeLimit);
    // The proxies for the URL from the script at scriptURL (a local file): an empty list when
    // the script cannot be read, nothing when it does not run or answers no text.
    static std::optional<QList<ProxyEntry>> proxiesForURL(const QUrl& url, const QUrl& scriptURL);
    // The same for a script already read.
    static std::optional<QList<ProxyEntry>> proxiesForScript(const QString& script, const QUrl& url);
    // The script at an http or https address: fetched the first time within the limit, then kept;
    // nothing when it cannot be fetched. A failed fetch is tried again only once the last
    // failure is failureKept old.
    static std::optional<QByteArray> fetchedScript(const QUrl& scriptURL, std::chrono::milliseconds limit,
                                                   std::chrono::milliseconds failureKept = kFailedFetchKept);
    // Reads a script's answer; entries it does not understand are passed over.
    static QList<ProxyEntry> parseAnswer(const QString& answer);
};
