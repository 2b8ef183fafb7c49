#pragma once

#include "platform/UrlLoading.h"

#include <QString>
#include <QStringList>

#include <optional>

// The phone application's queue on the web-service host (WebEndpoints::kWebServices): the
// upload of a story text, the list of queued stories, one queued story, and the clearing of
// the queue. Every exchange is one synchronous load through Platform::urlLoader(); the
// account number travels percent-encoded as a query value or path segment, or XML-escaped in
// the upload's envelope.
namespace PhoneQueue {

// --- Upload ---

// The SOAP 1.2 request of the upload operation: the account number and the escaped story
// text, in that order. Empty (no URL) when the web-service address cannot be used.
UrlLoadRequest uploadRequest(const QString& accountNumber, const QString& storyText);

struct UploadResult {
    enum Outcome { Uploaded, Refused, NoAnswer };
    Outcome outcome = NoAnswer;
    QString reply; // the server's answer as text (Refused, Uploaded)
};

// Sends the story text. The queue took it only when a success status comes with an answer
// that holds "FILEUPLOADED"; any other answer is a refusal, shown to the user as it is.
UploadResult upload(const QString& accountNumber, const QString& storyText);

// --- Download ---

struct QueueList {
    enum Status { Unreadable, Malformed, Empty, Listed };
    Status status = Unreadable;
    QStringList names; // every name listed, in order (Listed)
};

// Reads the list page of the account's queue.
QueueList readList(const QString& accountNumber);

// Whether a listed name is a queued story: it ends in ".txt" (exactly) after a name.
bool isStoryName(const QString& name);
// Whether a name can be asked for: no "/", "\" or "..", so it names one file of the queue.
bool isSafeName(const QString& name);

struct QueuedStory {
    enum Status { Fetched, Unreadable, Damaged };
    Status status = Unreadable;
    QString text;   // the decoded story text (Fetched)
    QString reason; // why it cannot be used (Damaged)
};

// Fetches one queued story and decodes it; the first twelve characters of the page are the
// queue's own and are dropped. A page that is not a success, has nothing after those twelve
// characters or holds no story tag is not a story.
QueuedStory fetchStory(const QString& accountNumber, const QString& name);

// Asks the server to clear the account's queue; true when it says it did ("FILESDELETED").
bool clearQueue(const QString& accountNumber);

// The request paths, for the tests' servers.
inline constexpr char kUploadPath[] = "/vantoraactivation/vantoraactivation.asmx";
inline constexpr char kListPath[] = "/VTRDownloadiFiles.aspx";
inline constexpr char kStoryFolder[] = "/VTRScreenplays";
inline constexpr char kClearPath[] = "/VTR2718281828.aspx";

} // namespace PhoneQueue
