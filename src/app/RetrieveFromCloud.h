#pragma once

#include "model/Toolkit.h"
#include "platform/Platform.h"

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTableView>

#include <functional>

class DocumentController;
class StoredFilesModel;

// The modal dialog that lists the story files stored in the user's cloud, each with a tick box,
// and saves the ticked ones as story files (Download), saves and then removes them from the
// cloud (Download and Remove), or only removes them (Clear). The list is read from the cloud
// when the dialog is made and again after each of those commands; every call is synchronous.
// The dialog owns its widgets; AppController holds the running dialog.
class RetrieveFromCloud : public QDialog
{
    Q_OBJECT

public:
    // Height of every row of the list, in pixels.
    static constexpr int kRowHeight = 30;

    // The dialog of the account with that number; the list is read at once.
    explicit RetrieveFromCloud(const QString& accountNumber, QWidget* parent = nullptr);
    ~RetrieveFromCloud() override;

    // Reads the list from the cloud; a failure is shown and leaves the list as it was.
    void refreshFileList();
    // One of the three action buttons: handles the ticked files in list order, then reads the
    // list again. A cancelled save panel or a failed save ends the command at once.
    void download(QObject* sender);
    // Ends the dialog with the code 0.
    void cancel(QObject* sender);
    // Flips the tick of a row.
    void toggleRow(int row);
    // A download is never saved over the file of a story open in `documents`: the save panel
    // refuses it with an alert, before any question about replacing, and the command ends.
    void refuseOpenStoryFilesOf(const DocumentController& documents);

    // Whether the service has listed the account's files at least once.
    bool accountConfirmed() const { return accountConfirmed_; }
    // One entry per listed file: the name, "|", then "1" (ticked) or "0".
    const QStringList& selectFiles() const { return selectFiles_; }
    QTableView* tvFiles() const { return tvFiles_; }
    QPushButton* cmdDownload() const { return cmdDownload_; }
    QPushButton* cmdDownloadAndRemove() const { return cmdDownloadAndRemove_; }
    QPushButton* cmdClear() const { return cmdClear_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void buildWindow();
    // Saves the bytes of one stored file where the user chooses. Answers whether to go on with
    // the next file and sets `saved` when this one was written.
    bool downloadFile(const QString& name, const QString& accountNumber, SavePanelRequest& panel, bool* saved);

    QPointer<QTableView> tvFiles_;
    QPointer<QPushButton> cmdDownload_;
    QPointer<QPushButton> cmdDownloadAndRemove_;
    QPointer<QPushButton> cmdClear_;
    QPointer<QPushButton> cmdCancel_;
    QString accountNumber_;
    bool accountConfirmed_ = false;
    QStringList selectFiles_;
    std::function<bool(const QString& path)> refusesPath_;
    Toolkit toolkit_;
    StoredFilesModel* model_ = nullptr;
};
