// The cloud store's commands: the open story's file posted to the cloud store with a progress
// window, and the dialog that lists, saves and removes the stored files.
#include "AppActions.h"
#include "AppController.h"
#include "DocumentController.h"
#include "GuardedCall.h"
#include "MyDocument.h"
#include "RetrieveFromCloud.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "panes/ModalDialogs.h"
#include "platform/Platform.h"
#include "web/CloudToolkit.h"
#include "web/WebLog.h"
#include "web/http/FormDataRequest.h"
#include "web/http/NetworkQueue.h"

#include <QAction>
#include <QColor>
#include <QFileInfo>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const QString kUploadTitle = QStringLiteral("Upload to the Cloud");
constexpr double kUploadTimeOutSeconds = 5000.0;
// The bar counts in ten-thousandths of the whole.
constexpr int kBarSteps = 10000;

} // namespace

// One upload's part of the progress bar as its queue drives it: a share of a maximum, 0 to 1.
// Each change is passed on to whoever shows the bar.
class CloudUploadShare : public ProgressDelegate
{
public:
    explicit CloudUploadShare(std::function<void()> changed)
        : changed_(std::move(changed))
    {
    }
    void setMaxValue(double maximum) override { maximum_ = maximum > 0 ? maximum : 1.0; }
    void setDoubleValue(double value) override
    {
        share_ = std::clamp(value / maximum_, 0.0, 1.0);
        changed_();
    }
    double share() const { return share_; }

private:
    std::function<void()> changed_;
    double maximum_ = 1.0;
    double share_ = 0.0;
};

// Hears the upload request and its queue on the document's behalf; says nothing once the
// document is gone.
class CloudUploadDelegate : public NetworkQueueDelegate
{
public:
    explicit CloudUploadDelegate(MyDocument& document)
        : document_(&document)
    {
    }
    void uploadCompleted(HTTPRequest* request)
    {
        if (document_)
            guardedCall([this, request] { document_->uploadCompleted(request); });
    }
    void uploadFailed(HTTPRequest* request)
    {
        if (document_)
            guardedCall([this, request] { document_->uploadFailed(request); });
    }
    void requestDidFinish(HTTPRequest* request)
    {
        if (document_)
            guardedCall([this, request] { document_->uploadRequestDidFinish(request); });
    }
    void requestDidFail(HTTPRequest* request)
    {
        if (document_)
            guardedCall([this, request] { document_->uploadRequestDidFail(request); });
    }
    void queueFinished(NetworkQueue* queue) override
    {
        if (document_)
            guardedCall([this, queue] { document_->uploadQueueDidFinish(queue); });
    }

private:
    QPointer<MyDocument> document_;
};

void connectCloudCommands(AppController& application)
{
    AppActions& menus = application.actions();
    application.routeToCurrentDocument(menus.mnuTransferToTheCloud,
                                       [](MyDocument& document) { document.transferToTheCloud(); });
    QObject::connect(menus.mnuRetrieveFromTheCloud, &QAction::triggered, &application,
                     [&application] { guardedCall([&application] { application.retrieveFromTheCloud(); }); });
}

// --- Retrieve ------------------------------------------------------------------------------------

void AppController::setRetrieveFromCloudWindow(std::unique_ptr<RetrieveFromCloud> dialog)
{
    retrieveFromCloudWindow_ = std::move(dialog);
}

void AppController::retrieveFromTheCloud()
{
    if (retrieveFromCloudWindow_)
        return;
    const std::optional<QString> number = cloudAccountNumber(nullptr);
    if (!number)
        return;
    // The list is read as the dialog is made: a failure is shown before the dialog is.
    setRetrieveFromCloudWindow(std::make_unique<RetrieveFromCloud>(*number));
    retrieveFromCloudWindow_->refuseOpenStoryFilesOf(documentController());
    if (retrieveFromCloudWindow_->accountConfirmed())
        rememberCloudAccountNumber(*number);
    ModalDialogs::paintBackground(*retrieveFromCloudWindow_, QColor::fromRgb(205, 133, 63));
    ModalDialogs::run(*retrieveFromCloudWindow_);
    retrieveFromCloudWindow_->close();
    setRetrieveFromCloudWindow(nullptr);
}

// --- Upload --------------------------------------------------------------------------------------

qint32 MyDocument::recordIdentifier(const QString& fileName, qint64 size)
{
    quint32 sum = 0;
    for (QChar unit : fileName)
        sum += unit.unicode();
    sum += quint32(qint32(size));
    return qint32(sum);
}

void MyDocument::transferToTheCloud()
{
    commitEditing();
    const std::optional<QString> accountNumber = AppController::cloudAccountNumber(window_);
    if (!accountNumber)
        return;
    const QStringList credentials = Toolkit().getInfoForUpload(*accountNumber, QStringLiteral("LIVE"));
    if (credentials.value(0) == QLatin1String("ERROR")) {
        alertWithOK(kUploadTitle, credentials.value(1));
        return;
    }
    AppController::rememberCloudAccountNumber(*accountNumber);

    if (!progressWindow_) {
        progressWindow_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
        progressWindow_->setObjectName(QStringLiteral("progressWindow"));
        progressWindow_->setWindowTitle(kUploadTitle);
        auto* layout = new QVBoxLayout(progressWindow_.get());
        lblUploadingFile_ = new QLabel(progressWindow_.get());
        lblUploadingFile_->setObjectName(QStringLiteral("lblUploadingFile"));
        layout->addWidget(lblUploadingFile_);
        progressIndicator_ = new QProgressBar(progressWindow_.get());
        progressIndicator_->setObjectName(QStringLiteral("progressIndicator"));
        progressIndicator_->setRange(0, kBarSteps);
        layout->addWidget(progressIndicator_);
        progressWindow_->setFixedWidth(360);
    }
    ModalDialogs::paintBackground(*progressWindow_, standardBackgroundColor_);
    const QString title = currentScreenplay_ ? currentScreenplay_->screenplayTitle() : QString();
    lblUploadingFile_->setText(QStringLiteral("Uploading %1...").arg(title));
    // The bar starts again when the window opens again; an upload still running keeps its share.
    if (uploadsRunning_.empty())
        uploadShares_.clear();
    auto share = std::make_shared<CloudUploadShare>([document = QPointer<MyDocument>(this)] {
        if (document)
            document->showUploadProgress();
    });
    uploadShares_.push_back(share);
    showUploadProgress();
    progressWindow_->adjustSize();
    AppController::centreOnFirstScreen(progressWindow_.get());
    progressWindow_->show();
    progressWindow_->raise();
    progressWindow_->activateWindow();

    if (!uploadDelegate_)
        uploadDelegate_ = std::make_shared<CloudUploadDelegate>(*this);
    // A queue of its own: an upload still running is left to finish, however long it takes.
    const std::shared_ptr<NetworkQueue> queue = NetworkQueue::queue();
    queue->cancelAllOperations();
    queue->setShowAccurateProgress(true);
    queue->setUploadProgressDelegate(share);
    queue->setDelegate(uploadDelegate_);
    queue->setRequestDidFinishSelector(
        static_cast<NetworkQueue::RequestSelector>(&CloudUploadDelegate::requestDidFinish));
    queue->setRequestDidFailSelector(static_cast<NetworkQueue::RequestSelector>(&CloudUploadDelegate::requestDidFail));
    queue->setQueueDidFinishSelector(&NetworkQueueDelegate::queueFinished);

    auto request = FormDataRequest::requestWithURL(CloudToolkit::uploadURL());
    request->setTimeOutSeconds(kUploadTimeOutSeconds);
    request->setDelegate(uploadDelegate_);
    request->setDidFinishSelector(static_cast<HTTPRequest::RequestSelector>(&CloudUploadDelegate::uploadCompleted));
    request->setDidFailSelector(static_cast<HTTPRequest::RequestSelector>(&CloudUploadDelegate::uploadFailed));
    request->setPostFormat(FormDataRequest::MultipartFormData);
    request->setPostValue(*accountNumber, QStringLiteral("serialNumber"));
    request->setPostValue(credentials.value(1), QStringLiteral("userName"));
    request->setPostValue(credentials.value(2), QStringLiteral("password"));
    const QFileInfo file(thisFileName_);
    // A file whose size cannot be read counts as empty; its part then fails the request.
    const qint64 size = file.exists() ? file.size() : 0;
    request->setPostValue(recordIdentifier(file.fileName(), size), QStringLiteral("recordid"));
    request->setFile(thisFileName_, QStringLiteral("file"));
    // A story file that is not there failed the request at once, and its alert was shown.
    if (request->error()) {
        std::erase(uploadShares_, share);
        showUploadProgress();
        return;
    }
    uploadsRunning_.push_back(request.get());
    uploadQueues_.push_back(queue);
    queue->addOperation(request);
    queue->go();
}

void MyDocument::uploadCompleted(HTTPRequest* request)
{
    // A redirect that turned the post into a fetch of another page left the file behind.
    const int status = request->responseStatusCode();
    if (status < 200 || status > 299 || request->requestMethod() != QLatin1String("POST")) {
        uploadFailed(request);
        return;
    }
    uploadEnded(request, QStringLiteral("File Uploaded"));
}

void MyDocument::uploadFailed(HTTPRequest* request)
{
    uploadEnded(request, QStringLiteral("Unable to upload at this time. Please check your Internet connection "
                                        "and/or firewall and try again later."));
}

void MyDocument::uploadEnded(HTTPRequest* request, const QString& message)
{
    std::erase(uploadsRunning_, request);
    alertWithOK(kUploadTitle, message);
    // Another upload may have ended while the alert was up.
    hideUploadProgressWhenIdle();
}

void MyDocument::hideUploadProgressWhenIdle()
{
    if (progressWindow_ && uploadsRunning_.empty())
        progressWindow_->hide();
}

void MyDocument::showUploadProgress()
{
    if (!progressIndicator_ || uploadShares_.empty())
        return;
    double sum = 0.0;
    for (const auto& share : uploadShares_)
        sum += share->share();
    progressIndicator_->setValue(int(std::lround(sum / double(uploadShares_.size()) * kBarSteps)));
}

void MyDocument::uploadRequestDidFinish(HTTPRequest*)
{
    qCInfo(lcWeb) << "here";
}

void MyDocument::uploadRequestDidFail(HTTPRequest*)
{
    qCInfo(lcWeb) << "here";
}

void MyDocument::uploadQueueDidFinish(NetworkQueue* queue)
{
    hideUploadProgressWhenIdle();
    qCInfo(lcWeb) << "here";
    const auto held = std::find_if(uploadQueues_.begin(), uploadQueues_.end(),
                                   [queue](const auto& kept) { return kept.get() == queue; });
    if (held == uploadQueues_.end())
        return;
    // The queue is in the middle of telling this; it goes once the telling is done.
    QTimer::singleShot(0, this, [this, done = std::weak_ptr<NetworkQueue>(*held)] {
        const auto finished = done.lock();
        std::erase(uploadQueues_, finished);
    });
}
