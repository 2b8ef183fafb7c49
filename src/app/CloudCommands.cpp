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

namespace {

const QString kUploadTitle = QStringLiteral("Upload to the Cloud");
constexpr double kUploadTimeOutSeconds = 5000.0;
// The bar counts in ten-thousandths of the whole.
constexpr int kBarSteps = 10000;

// The progress bar as the queue drives it: a share of a maximum.
class ProgressBarIndicator : public ProgressDelegate
{
public:
    explicit ProgressBarIndicator(QProgressBar* bar)
        : bar_(bar)
    {
    }
    void setMaxValue(double maximum) override { maximum_ = maximum > 0 ? maximum : 1.0; }
    void setDoubleValue(double value) override
    {
        if (bar_)
            bar_->setValue(int(std::lround(std::clamp(value / maximum_, 0.0, 1.0) * kBarSteps)));
    }

private:
    QPointer<QProgressBar> bar_;
    double maximum_ = 1.0;
};

} // namespace

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
    progressIndicator_->setValue(0);
    progressWindow_->adjustSize();
    AppController::centreOnFirstScreen(progressWindow_.get());
    progressWindow_->show();
    progressWindow_->raise();
    progressWindow_->activateWindow();

    if (!uploadDelegate_)
        uploadDelegate_ = std::make_shared<CloudUploadDelegate>(*this);
    uploadIndicator_ = std::make_shared<ProgressBarIndicator>(progressIndicator_);
    // One upload at a time: a queue still held here belongs to an upload given up on.
    if (uploadQueue_)
        uploadQueue_->reset();
    uploadQueue_ = NetworkQueue::queue();
    uploadQueue_->cancelAllOperations();
    uploadQueue_->setShowAccurateProgress(true);
    uploadQueue_->setUploadProgressDelegate(uploadIndicator_);
    uploadQueue_->setDelegate(uploadDelegate_);
    uploadQueue_->setRequestDidFinishSelector(
        static_cast<NetworkQueue::RequestSelector>(&CloudUploadDelegate::requestDidFinish));
    uploadQueue_->setRequestDidFailSelector(
        static_cast<NetworkQueue::RequestSelector>(&CloudUploadDelegate::requestDidFail));
    uploadQueue_->setQueueDidFinishSelector(&NetworkQueueDelegate::queueFinished);

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
        uploadQueue_.reset();
        return;
    }
    uploadQueue_->addOperation(request);
    uploadQueue_->go();
}

void MyDocument::uploadCompleted(HTTPRequest* request)
{
    // A redirect that turned the post into a fetch of another page left the file behind.
    const int status = request->responseStatusCode();
    if (status < 200 || status > 299 || request->requestMethod() != QLatin1String("POST")) {
        uploadFailed(request);
        return;
    }
    alertWithOK(kUploadTitle, QStringLiteral("File Uploaded"));
    if (progressWindow_)
        progressWindow_->hide();
}

void MyDocument::uploadFailed(HTTPRequest*)
{
    alertWithOK(kUploadTitle, QStringLiteral("Unable to upload at this time. Please check your Internet connection "
                                           "and/or firewall and try again later."));
    if (progressWindow_)
        progressWindow_->hide();
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
    if (progressWindow_)
        progressWindow_->hide();
    qCInfo(lcWeb) << "here";
    if (uploadQueue_.get() == queue) {
        // The queue is in the middle of telling this; it goes once the telling is done.
        QTimer::singleShot(0, this, [this, done = uploadQueue_] {
            if (uploadQueue_ == done)
                uploadQueue_.reset();
        });
    }
}
