// The phone application's queue: the open story sent to it, and the stories queued on the
// phone made into new story files. The exchanges themselves are src/web/PhoneQueue.h.
#include "AccountNumberDialog.h"
#include "AppActions.h"
#include "AppController.h"
#include "DocumentController.h"
#include "GuardedCall.h"
#include "MyDocument.h"
#include "interchange/NewStoryFile.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/UserInformationdb.h"
#include "panes/ModalDialogs.h"
#include "platform/Platform.h"
#include "web/PhoneQueue.h"
#include "web/QueuedStoryText.h"
#include "web/ScreenplayXML.h"

#include <QAction>
#include <QStandardPaths>

namespace {

const QString kPhoneAccountNumber = QStringLiteral("VTRPhoneQueueAccountNumber");
const QString kSendTitle = QStringLiteral("Upload for iPhone/iPod Touch");
const QString kDownloadTitle = QStringLiteral("Download from iPhone/iPod Touch");


} // namespace

void connectPhoneQueueCommands(AppController& application)
{
    AppActions& menus = application.actions();
    application.routeToCurrentDocument(menus.mnuSendToPhoneQueue,
                                       [](MyDocument& document) { document.sendToiPhone1Queue(); });
    QObject::connect(menus.mnuDownloadFromPhoneQueue, &QAction::triggered, &application, [&application] {
        guardedCall([&application] { application.retrieveFromiPhoneQueue(); });
    });
}

// --- The account number ----------------------------------------------------------------------------

std::optional<QString> AppController::phoneQueueAccountNumber(QWidget* parent)
{
    const QString stored = Platform::userDefaults().stringForKey(kPhoneAccountNumber).trimmed();
    if (!stored.isEmpty())
        return stored;

    return askForAccountNumber(
        parent, QStringLiteral("Enter the account number of your phone queue. It is kept for the next time."));
}

void AppController::rememberPhoneQueueAccountNumber(const QString& accountNumber)
{
    Platform::userDefaults().setString(kPhoneAccountNumber, accountNumber);
    Platform::userDefaults().synchronize();
}

// --- Sending the open story --------------------------------------------------------------------------

void MyDocument::sendToiPhone1Queue()
{
    if (!currentScreenplay_)
        return;
    commitEditing();
    const std::optional<QString> accountNumber = AppController::phoneQueueAccountNumber(window_);
    if (!accountNumber)
        return;
    const QString title = currentScreenplay_->screenplayTitle();
    PhoneQueue::UploadResult result;
    {
        AppController::ProgressWindowScope progress{application_};
        application_.showProgressWindow(QStringLiteral("Preparing %1...").arg(title));
        const QString text = ScreenplayXML::createScreenplayXMLFor(*currentScreenplay_, AppController::shortVersion());
        // The writer has said why it could not write the story; an empty story is never sent.
        if (text.isEmpty())
            return;
        application_.showProgressWindow(QStringLiteral("Uploading %1...").arg(title));
        result = PhoneQueue::upload(*accountNumber, text);
    }
    switch (result.outcome) {
    case PhoneQueue::UploadResult::NoAnswer:
        alertWithOK(kSendTitle, QStringLiteral("Unable to upload at this time."));
        return;
    case PhoneQueue::UploadResult::Refused:
        alertWithOK(kSendTitle, QStringLiteral("Unable to upload at this time due to:\n%1").arg(result.reply));
        return;
    case PhoneQueue::UploadResult::Uploaded:
        alertWithOK(kSendTitle, QStringLiteral("The screenplay was uploaded successfully."));
        AppController::rememberPhoneQueueAccountNumber(*accountNumber);
        return;
    }
}

// --- Downloading the queued stories ------------------------------------------------------------------

namespace {

// What became of one queued story.
enum class Saved { Yes, No, Cancelled, Stop };

struct DownloadRun {
    AppController& application;
    QString accountNumber;
    QueuedStoryText::Owner owner;
};

Saved saveQueuedStory(DownloadRun& run, const QString& name)
{
    if (!PhoneQueue::isSafeName(name)) {
        alertWithOK(kDownloadTitle,
                    QStringLiteral("The queued story \"%1\" has a name that cannot be asked for.").arg(name));
        return Saved::No;
    }
    const PhoneQueue::QueuedStory story = PhoneQueue::fetchStory(run.accountNumber, name);
    if (story.status == PhoneQueue::QueuedStory::Unreadable) {
        alertWithOK(kDownloadTitle, QStringLiteral("The queued story \"%1\" cannot be read. Check your Internet "
                                                   "connection and try again.")
                                        .arg(name));
        return Saved::No;
    }
    if (story.status == PhoneQueue::QueuedStory::Damaged) {
        alertWithOK(kDownloadTitle,
                    QStringLiteral("The queued story \"%1\" cannot be used: %2").arg(name, story.reason));
        return Saved::No;
    }

    const QString title = QueuedStoryText::title(story.text);
    SavePanelRequest request;
    request.title = QStringLiteral("Select the location for %1").arg(title);
    request.proposedName = QStringLiteral("%1.vtrsf").arg(title);
    request.directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.allowedExtensions = {QString::fromLatin1(StoryFile::kExtension)};
    request.refuses = run.application.documentController().refusingOpenStoryFiles(kDownloadTitle);
    const std::optional<QString> chosen = Platform::filePanels().runSavePanel(request);
    if (!chosen || chosen->isEmpty())
        return Saved::Cancelled;
    const QString target = withAllowedExtension(*chosen, request.allowedExtensions);

    NewStoryFile file(target);
    if (!file.create(run.application.masterFilePath())) {
        alertWithOK(QStringLiteral("New File"), QStringLiteral("Unable to create the new file."));
        return Saved::Stop;
    }
    QString message;
    const auto fill = [&story, &run](Screenplaydb& opened) {
        QueuedStoryText::fillStory(opened, story.text, run.owner);
    };
    if (file.writeStory(fill, &message) != NewStoryFile::WriteFailure::None) {
        alertWithOK(kDownloadTitle,
              QStringLiteral("The queued story \"%1\" could not be written into a new file.\n\n%2").arg(name, message));
        return Saved::No;
    }
    if (!file.commit()) {
        alertWithOK(kDownloadTitle,
                    QStringLiteral("The queued story \"%1\" could not be saved as \"%2\".").arg(name, target));
        return Saved::No;
    }
    return Saved::Yes;
}

} // namespace

void AppController::retrieveFromiPhoneQueue()
{
    const std::optional<QString> accountNumber = phoneQueueAccountNumber(nullptr);
    if (!accountNumber)
        return;
    const PhoneQueue::QueueList list = PhoneQueue::readList(*accountNumber);
    rememberPhoneQueueAccountNumber(*accountNumber);
    switch (list.status) {
    case PhoneQueue::QueueList::Unreadable:
        alertWithOK(kDownloadTitle,
              QStringLiteral("Unable to download at this time. Check your Internet connection and try again."));
        return;
    case PhoneQueue::QueueList::Malformed:
        alertWithOK(kDownloadTitle, QStringLiteral("There seems to be a problem with the download. Please check your "
                                             "Internet connection and try again."));
        return;
    case PhoneQueue::QueueList::Empty:
        alertWithOK(kDownloadTitle, QStringLiteral("There are no files to download."));
        return;
    case PhoneQueue::QueueList::Listed:
        break;
    }

    DownloadRun run{*this, *accountNumber, {}};
    if (const UserInformationdb* user = userInformation()) {
        run.owner.firstName = user->firstName();
        run.owner.lastName = user->lastName();
    }
    // The new story belongs to the account the cloud knows the user by.
    run.owner.accountNumber = AppController::accountNumber();
    // The queue is offered for clearing only when every story in it is kept in a file.
    bool everyStorySaved = true;
    for (const QString& name : list.names) {
        if (!PhoneQueue::isStoryName(name))
            continue;
        switch (saveQueuedStory(run, name)) {
        case Saved::Yes:
            break;
        case Saved::No:
            everyStorySaved = false;
            break;
        case Saved::Cancelled:
        case Saved::Stop:
            return;
        }
    }
    if (!everyStorySaved)
        return;

    AlertRequest question;
    question.title = kDownloadTitle;
    question.message = QStringLiteral("Would you like to remove the downloaded screenplays from the server?");
    question.defaultButton = QStringLiteral("Yes");
    question.alternateButton = QStringLiteral("No");
    if (Platform::alerts().runAlert(question) != AlertDefaultReturn)
        return;
    if (PhoneQueue::clearQueue(*accountNumber))
        alertWithOK(kDownloadTitle, QStringLiteral("The screenplays have been cleared from the server."));
    else
        alertWithOK(QStringLiteral("Remove Downloaded Screenplays"),
              QStringLiteral("Unable to remove downloaded screenplays at this time."));
}
