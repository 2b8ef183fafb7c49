#pragma once

#include <QString>
#include <QtGlobal>
#include <QUrl>

// Where the program's web services are: one base address (scheme, host and port) per service,
// each kept in a setting of its own with its default here. Every base that carries the
// account number or other credentials is https; a setting may name http only for the
// loopback host, where tests run servers of their own. The environment variable
// VANTORA_SERVICE_URL, when set, replaces every default (programs started by tests).
struct WebEndpoint {
    const char* settingKey;
    const char* defaultBase;
};

namespace WebEndpoints {

// The product's web site: version pages, downloads, the internet test.
inline constexpr WebEndpoint kWebSite{"VTRWebSiteAddress", "https://www.vantora.app"};
// The web-service host: the phone queue's pages and its upload operation.
inline constexpr WebEndpoint kWebServices{"VTRWebServicesAddress", "https://services.vantora.app"};
// The cloud web service's test server, for calls made outside the live environment. It takes
// the account number and the storage password as the live one does, so it is https too.
inline constexpr WebEndpoint kCloudTestServices{"VTRCloudTestServicesAddress", "https://test.services.vantora.app"};
// The cloud store, from which the story files uploaded to the cloud are read back.
inline constexpr WebEndpoint kCloudStore{"VTRCloudStoreAddress", "https://cloud.vantora.app"};

// The most a story file, or a story's text, fetched from the cloud store or the phone queue
// may weigh: far more than any story, so only a broken or hostile server reaches it.
inline constexpr qint64 kMostDownloadBytes = qint64(512) * 1024 * 1024;

// The base in use: the setting when it holds an address the program may use, else the
// default. Empty (and a warning) when the setting holds an address it may not use, so that
// nothing is sent anywhere else than the user asked.
QUrl base(const WebEndpoint& endpoint);
// Whether a base may be used: https with a host, or http to 127.0.0.1, ::1 or localhost.
bool isUsableBase(const QUrl& base);
// The path (starting with "/") and query on the base, both already percent-encoded; empty
// when the base is.
QUrl url(const WebEndpoint& endpoint, const QString& encodedPath, const QString& encodedQuery = QString());
// A text percent-encoded (UTF-8) except for ASCII letters, digits and "-._~", so that it
// stays one path segment or one query value, whatever it holds.
QString encoded(const QString& text);

} // namespace WebEndpoints
