#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

// A request message before it goes on the wire: method, target, protocol version and header
// fields in the order they were set. Field names are matched without regard to case, and
// setting a field that exists replaces its value in place.
class HttpMessage
{
public:
    HttpMessage(QString method, QUrl url, bool httpVersionOne);

    const QString& method() const { return method_; }
    const QUrl& url() const { return url_; }
    bool isHttpVersionOne() const { return httpVersionOne_; }

    void setHeaderField(const QString& name, const QString& value);
    void removeHeaderField(const QString& name);
    // Empty when the field is not set.
    QString headerField(const QString& name) const;
    bool hasHeaderField(const QString& name) const;
    const QList<QPair<QString, QString>>& headerFields() const { return headers_; }

    // The head as sent: the request line (the absolute URL when asked for, as a proxy needs
    // it, else the path and query), "Host" when no field gives one, the fields, a blank line.
    QByteArray serializeHead(bool absoluteTarget = false) const;

private:
    QString method_;
    QUrl url_;
    bool httpVersionOne_;
    QList<QPair<QString, QString>> headers_;
};
