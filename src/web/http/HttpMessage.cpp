#include "web/http/HttpMessage.h"

#include <algorithm>

HttpMessage::HttpMessage(QString method, QUrl url, bool httpVersionOne)
    : method_(std::move(method))
    , url_(std::move(url))
    , httpVersionOne_(httpVersionOne)
{
}

void HttpMessage::setHeaderField(const QString& name, const QString& value)
{
    for (auto& field : headers_) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0) {
            field.second = value;
            return;
        }
    }
    headers_.append({name, value});
}

void HttpMessage::removeHeaderField(const QString& name)
{
    headers_.removeIf([&](const auto& field) { return field.first.compare(name, Qt::CaseInsensitive) == 0; });
}

QString HttpMessage::headerField(const QString& name) const
{
    for (const auto& field : headers_)
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return field.second;
    return {};
}

bool HttpMessage::hasHeaderField(const QString& name) const
{
    return std::any_of(headers_.begin(), headers_.end(),
                       [&](const auto& field) { return field.first.compare(name, Qt::CaseInsensitive) == 0; });
}

QByteArray HttpMessage::serializeHead(bool absoluteTarget) const
{
    QByteArray target;
    if (absoluteTarget) {
        target = url_.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded();
    } else {
        target = url_.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty())
            target = "/";
        if (url_.hasQuery())
            target += '?' + url_.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray head = method_.toLatin1() + ' ' + target + (httpVersionOne_ ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
    if (!hasHeaderField(QStringLiteral("Host"))) {
        QByteArray host = url_.host(QUrl::FullyEncoded).toLatin1();
        if (host.contains(':'))
            host = '[' + host + ']';
        const int port = url_.port(-1);
        const int defaultPort = url_.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
        if (port != -1 && port != defaultPort)
            host += ':' + QByteArray::number(port);
        head += "Host: " + host + "\r\n";
    }
    for (const auto& field : headers_) {
        // A line break in a name or value would start a field of its own: it goes out as a space.
        QString value = field.second;
        value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        QString name = field.first;
        name.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char(':'));
        head += name.toLatin1() + ": " + value.toUtf8() + "\r\n";
    }
    head += "\r\n";
    return head;
}
