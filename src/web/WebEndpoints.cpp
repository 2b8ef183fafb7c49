#include "web/WebEndpoints.h"

#include "platform/Platform.h"
#include "web/WebLog.h"

#include <QHostAddress>

namespace {

QString defaultBase(const WebEndpoint& endpoint)
{
    const QString overridden = qEnvironmentVariable("VANTORA_SERVICE_URL");
    return overridden.isEmpty() ? QString::fromLatin1(endpoint.defaultBase) : overridden;
}

} // namespace

namespace WebEndpoints {

bool isUsableBase(const QUrl& base)
{
    if (!base.isValid() || base.host().isEmpty() || !base.userInfo().isEmpty() || base.hasQuery()
        || base.hasFragment())
        return false;
    const QString scheme = base.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    const QString host = base.host().toLower();
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

QUrl base(const WebEndpoint& endpoint)
{
    const QString key = QString::fromLatin1(endpoint.settingKey);
    QString text = Platform::userDefaults().stringForKey(key).trimmed();
    if (text.isEmpty())
        text = defaultBase(endpoint);
    QUrl address(text, QUrl::StrictMode);
    if (!isUsableBase(address)) {
        qCWarning(lcWeb) << "the address" << text << "of" << key << "is not used: only https may carry the account";
        return QUrl();
    }
    // The base names no path of its own beyond a folder; the pages' paths are added to it.
    QString path = address.path(QUrl::FullyEncoded);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    address.setPath(path, QUrl::StrictMode);
    return address;
}

QUrl url(const WebEndpoint& endpoint, const QString& encodedPath, const QString& encodedQuery)
{
    QUrl address = base(endpoint);
    if (address.isEmpty())
        return QUrl();
    address.setPath(address.path(QUrl::FullyEncoded) + encodedPath, QUrl::StrictMode);
    if (!encodedQuery.isEmpty())
        address.setQuery(encodedQuery, QUrl::StrictMode);
    return address;
}

QString encoded(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

} // namespace WebEndpoints
