#include "model/Toolkit.h"
#include "platform/Platform.h"
#include "platform/UrlLoading.h"
#include "web/CloudToolkit.h"
#include "web/SOAPRequest.h"
#include "web/WebEndpoints.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCloud, "vantora.web.cloud")

namespace {

const QString kError = QStringLiteral("ERROR");
const QString kSuccess = QStringLiteral("SUCCESS");
const QString kUnauthorized = QStringLiteral("Unauthorized Access");

using Factory = std::optional<vtSOAPRequest> (*)(const vtZevivaRequest::Parameters&);

// One call of the shared pattern: the unescaped text of the operation's result element, or
// "ERROR" when the request cannot be built or sent.
QString call(Factory factory, const vtZevivaRequest::Parameters& parameters, const QString& resultElement)
{
    const std::optional<vtSOAPRequest> request = factory(parameters);
    if (!request) {
        qCWarning(lcCloud).noquote() << "Could not create request.";
        return kError;
    }
    const UrlLoadResult answer = Platform::urlLoader().load(soapLoadRequest(*request));
    if (!answer.error.isEmpty()) {
        qCWarning(lcCloud).noquote() << QStringLiteral("Error sending SOAP request: %1").arg(answer.error);
        return kError;
    }
    return SOAPText::unescaped(Toolkit().valueForTag(resultElement, QString::fromUtf8(answer.body)));
}

vtZevivaRequest::Parameters accountParameters(const QString& accountNumber, const QString& environment)
{
    vtZevivaRequest::Parameters parameters{{QStringLiteral("environment"), environment}};
    // An account number never entered is no account number: the call cannot be made.
    if (!accountNumber.isEmpty())
        parameters.insert(QStringLiteral("serialnumber"), accountNumber);
    return parameters;
}

vtZevivaRequest::Parameters credentialParameters(const QStringList& credentials, const QString& environment)
{
    vtZevivaRequest::Parameters parameters = accountParameters(credentials.value(0), environment);
    if (credentials.size() > 2) {
        parameters.insert(QStringLiteral("userName"), credentials.at(1));
        parameters.insert(QStringLiteral("password"), credentials.at(2));
    }
    return parameters;
}

bool beginsWithSuccess(const QString& text)
{
    return text.indexOf(kSuccess) == 0;
}

// What a MiscInfo call gave: the storage credentials, or why there are none.
struct StorageCredentials {
    enum Outcome { Granted, Failed, Refused };
    Outcome outcome = Failed;
    QStringList fields;
};

StorageCredentials askForCredentials(const QString& accountNumber, const QString& environment)
{
    const QString answer = Toolkit().getFTPInfo(accountNumber, environment);
    if (answer == kError)
        return {};
    if (answer.contains(kUnauthorized))
        return {StorageCredentials::Refused, {}};
    const QStringList fields = answer.split(QLatin1Char('|'));
    // An answer without the user name and password (an error page, a missing element) is a failed call.
    if (fields.size() < 3)
        return {};
    return {StorageCredentials::Granted, fields};
}

// Nothing when the credentials were granted; otherwise the result that says why not, with the
// operation's own message for a service that could not be asked.
QStringList credentialFailure(const StorageCredentials& credentials, const QString& unreachable)
{
    if (credentials.outcome == StorageCredentials::Failed)
        return {kError, unreachable};
    if (credentials.outcome == StorageCredentials::Refused)
        return {kError, CloudToolkit::refusalMessage()};
    return {};
}

} // namespace

QString CloudToolkit::refusalMessage()
{
    return QStringLiteral("The cloud service could not confirm your account number. Please check it and try again.");
}

QUrl CloudToolkit::uploadURL()
{
    return WebEndpoints::url(WebEndpoints::kWebServices, QStringLiteral("/Vantora3WebServiceTest/VTR31001.aspx"));
}

QUrl CloudToolkit::storedFileURL(const QString& accountNumber, const QString& fileName)
{
    return WebEndpoints::url(WebEndpoints::kCloudStore,
                             QStringLiteral("/Vantora3Queue/%1/%2.txt")
                                 .arg(WebEndpoints::encoded(accountNumber), WebEndpoints::encoded(fileName)));
}

UrlLoadRequest soapLoadRequest(const vtSOAPRequest& request)
{
    UrlLoadRequest load;
    load.url = request.url;
    load.method = request.method.toUtf8();
    load.body = request.body;
    for (const auto& [name, value] : request.headers)
        load.headers.append({name, value});
    return load;
}

QString Toolkit::getFTPInfo(const QString& accountNumber, const QString& environment) const
{
    return call(&vtZevivaRequest::miscInfoRequest, accountParameters(accountNumber, environment),
                QStringLiteral("MiscInfoResult"));
}

QString Toolkit::prepForUpload(const QStringList& credentials, const QString& environment) const
{
    return call(&vtZevivaRequest::prepForUploadRequest, credentialParameters(credentials, environment),
                QStringLiteral("PrepForUploadResult"));
}

QString Toolkit::prepForDownload(const QStringList& credentials, const QString& environment) const
{
    return call(&vtZevivaRequest::prepForDownloadRequest, credentialParameters(credentials, environment),
                QStringLiteral("PrepForDownloadResult"));
}

QStringList Toolkit::getFileNamesInCloud(const QString& accountNumber, const QString& environment) const
{
    const StorageCredentials credentials = askForCredentials(accountNumber, environment);
    if (QStringList failure = credentialFailure(credentials, QStringLiteral("Unable to connect to server."));
        !failure.isEmpty())
        return failure;
    const QString answer =
        prepForDownload({accountNumber, credentials.fields.at(1), credentials.fields.at(2)}, environment);
    if (!beginsWithSuccess(answer))
        return {kError,
                QStringLiteral("Unable to retrieve from the cloud due to: %1. Please try again later.").arg(answer)};
    const QStringList parts = answer.split(QLatin1Char('|'));
    if (parts.size() == 1)
        return {QStringLiteral("NOFILES"), QStringLiteral("There are no files in your cloud.")};
    return parts;
}

QStringList Toolkit::getInfoForUpload(const QString& accountNumber, const QString& environment) const
{
    const StorageCredentials credentials = askForCredentials(accountNumber, environment);
    if (QStringList failure = credentialFailure(credentials, QStringLiteral("Unable to make a connection to the server."));
        !failure.isEmpty())
        return failure;
    const QString answer =
        prepForUpload({accountNumber, credentials.fields.at(1), credentials.fields.at(2)}, environment);
    if (!beginsWithSuccess(answer))
        return {kError,
                QStringLiteral("Unable to upload to the cloud due to: %1. Please try again later.").arg(answer)};
    return credentials.fields.mid(0, 3);
}

QString Toolkit::deleteFile(const QString& fileName, const QString& accountNumber, const QString& environment) const
{
    const StorageCredentials credentials = askForCredentials(accountNumber, environment);
    if (credentials.outcome == StorageCredentials::Failed)
        return kError;
    if (credentials.outcome == StorageCredentials::Refused)
        return CloudToolkit::refusalMessage();
    vtZevivaRequest::Parameters parameters =
        credentialParameters({accountNumber, credentials.fields.at(1), credentials.fields.at(2)}, environment);
    parameters.insert(QStringLiteral("fileName"), fileName);
    return call(&vtZevivaRequest::cleanUpRequest, parameters, QStringLiteral("CleanUpResult"));
}
