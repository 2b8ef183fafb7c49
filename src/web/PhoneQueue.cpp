#include "web/PhoneQueue.h"

#include "model/StringUtilities.h"
#include "platform/Platform.h"
#include "web/CloudToolkit.h"
#include "web/QueueTextEscaping.h"
#include "web/QueuedStoryText.h"
#include "web/SOAPRequest.h"
#include "web/WebEndpoints.h"

namespace PhoneQueue {

namespace {

// The upload operation's envelope: the account number, then the escaped story text.
constexpr char kUploadEnvelope[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\">"
    "<soap12:Body>"
    "<UploadForIPhone xmlns=\"https://services.vantora.app/phonequeue\">"
    "<serialnumber>%1</serialnumber>"
    "<screenplay>%2</screenplay>"
    "</UploadForIPhone>"
    "</soap12:Body>"
    "</soap12:Envelope>";

// The characters of a queued story page that come before the story's own text.
constexpr qsizetype kQueueHeaderLength = 12;

UrlLoadResult get(const QUrl& url)
{
    UrlLoadRequest request;
    request.url = url;
    request.maxBodyBytes = WebEndpoints::kMostDownloadBytes;
    return Platform::urlLoader().load(request);
}

} // namespace

UrlLoadRequest uploadRequest(const QString& accountNumber, const QString& storyText)
{
    // The escaped text is letters, digits, spaces and "%" only; the account number is the
    // user's own typing and is escaped for XML.
    const QString body = QString::fromLatin1(kUploadEnvelope)
                             .arg(accountNumber.toHtmlEscaped(), QueueTextEscaping::encode(storyText));
    return soapLoadRequest(vtSOAPRequest::requestWithURL(
        WebEndpoints::url(WebEndpoints::kWebServices, QString::fromLatin1(kUploadPath)),
        QStringLiteral("UploadForIPhone"), body));
}

UploadResult upload(const QString& accountNumber, const QString& storyText)
{
    const UrlLoadResult answer = Platform::urlLoader().load(uploadRequest(accountNumber, storyText));
    UploadResult result;
    if (answer.status == 0)
        return result;
    result.reply = QString::fromUtf8(answer.body);
    result.outcome = answer.ok() && result.reply.contains(QLatin1String("FILEUPLOADED")) ? UploadResult::Uploaded
                                                                                         : UploadResult::Refused;
    return result;
}

QueueList readList(const QString& accountNumber)
{
    const UrlLoadResult answer = get(WebEndpoints::url(WebEndpoints::kWebServices, QString::fromLatin1(kListPath),
                                                       QStringLiteral("SerialNumber=")
                                                           + WebEndpoints::encoded(accountNumber)));
    QueueList list;
    const QString text = answer.ok() ? QString::fromUtf8(answer.body) : QString();
    if (text.isEmpty())
        return list;
    if (!text.contains(QLatin1String("<FILESTODOWNLOAD>"))) {
        list.status = QueueList::Malformed;
        return list;
    }
    const QString names = StringUtilities::valueForTag(text, QStringLiteral("FILESTODOWNLOAD"));
    if (names.isEmpty()) {
        list.status = QueueList::Empty;
        return list;
    }
    list.status = QueueList::Listed;
    list.names = names.split(QLatin1Char('|'));
    return list;
}

bool isStoryName(const QString& name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".txt"));
}

bool isSafeName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QLatin1String(".."));
}

QueuedStory fetchStory(const QString& accountNumber, const QString& name)
{
    QueuedStory story;
    if (!isSafeName(name))
        return story;
    const QString path = QString::fromLatin1(kStoryFolder) + QLatin1Char('/') + WebEndpoints::encoded(accountNumber)
                       + QLatin1String("/ToDesktop/") + WebEndpoints::encoded(name);
    const UrlLoadResult answer = get(WebEndpoints::url(WebEndpoints::kWebServices, path));
    if (!answer.ok())
        return story;
    const QString page = QString::fromUtf8(answer.body);
    story.status = QueuedStory::Damaged;
    if (page.size() <= kQueueHeaderLength) {
        story.reason = QStringLiteral("it holds no story.");
        return story;
    }
    story.text = QueueTextEscaping::decode(page.mid(kQueueHeaderLength));
    if (const std::optional<QString> problem = QueuedStoryText::whyUnusable(story.text)) {
        story.reason = *problem;
        story.text.clear();
        return story;
    }
    story.status = QueuedStory::Fetched;
    return story;
}

bool clearQueue(const QString& accountNumber)
{
    const UrlLoadResult answer = get(WebEndpoints::url(WebEndpoints::kWebServices, QString::fromLatin1(kClearPath),
                                                       QStringLiteral("serialnumber=")
                                                           + WebEndpoints::encoded(accountNumber)));
    return answer.ok() && QString::fromUtf8(answer.body).contains(QLatin1String("FILESDELETED"));
}

} // namespace PhoneQueue
