#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One SOAP 1.2 message of the cloud web service, ready to post: the endpoint, the method, the
// UTF-8 body and the header fields in the order they are sent. A plain value: copies carry
// everything. Nothing is sent here; the cloud operations (CloudToolkit.cpp) send it.
struct vtSOAPRequest {
    enum class CachePolicy { UseProtocolCachePolicy, ReloadIgnoringLocalCacheData };

    QUrl url;
    QString method = QStringLiteral("GET");
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    CachePolicy cachePolicy = CachePolicy::UseProtocolCachePolicy;

    // POST of the body's UTF-8 bytes with the fields "Host" (the web-service host, wherever the
    // URL points), "Content-Type" and "Content-Length" (bytes, not characters), read fresh from
    // the server. The action names the operation for the reader only: it is not sent.
    static vtSOAPRequest requestWithURL(const QUrl& url, const QString& soapAction, const QString& body);
    // The same with the "Host" field given.
    static vtSOAPRequest requestWithURLForDomain(const QUrl& url, const QString& body, const QString& domain);

    // The name the "Host" field always gives: the web-service host's, as the program knows it.
    static QString webServiceHostName();
    // The value of a header field, matched without regard to case; empty when absent.
    QByteArray headerField(const QByteArray& name) const;
};

// The factories of the cloud web service's four operations. Each takes the call's parameters
// by key and yields nothing when a required key has no value (an empty text is a value). The
// environment "LIVE", exactly, picks the live endpoint, anything else the test endpoint. Every
// argument is escaped for XML before it enters the operation's body template.
class vtZevivaRequest
{
public:
    using Parameters = QMap<QString, QString>;

    static std::optional<vtSOAPRequest> miscInfoRequest(const Parameters& parameters);
    static std::optional<vtSOAPRequest> prepForUploadRequest(const Parameters& parameters);
    static std::optional<vtSOAPRequest> prepForDownloadRequest(const Parameters& parameters);
    static std::optional<vtSOAPRequest> cleanUpRequest(const Parameters& parameters);

    // The endpoint an environment selects.
    static QUrl endpointForEnvironment(const QString& environment);
    // An operation's body template, read from the application's resources; empty when missing.
    static QString bodyTemplate(const QString& operation);
    // Each "%@" of the template, left to right, takes the next argument as it is; a "%@" without
    // an argument left stays.
    static QString fillTemplate(const QString& bodyTemplate, const QStringList& arguments);

private:
    static std::optional<vtSOAPRequest> build(const Parameters& parameters, const QString& operation,
                                              const QStringList& requiredKeys, qsizetype argumentCount);
};

namespace SOAPText {
// The text with "&", "<", ">", '"' and "'" written as entities, fit for XML content.
QString escaped(const QString& text);
// The text with the five named entities and numeric character references resolved; an entity
// that is not well formed stays as it is.
QString unescaped(const QString& text);
} // namespace SOAPText
