#include "RetrieveFromCloud.h"

#include "DocumentController.h"
#include "GuardedCall.h"
#include "platform/UrlLoading.h"
#include "web/CloudToolkit.h"
#include "web/WebEndpoints.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kFileColumn = QStringLiteral("file");
const QString kDownloadColumn = QStringLiteral("download");
const QString kStoryExtension = QStringLiteral("vtrsf");
const QString kEnvironment = QStringLiteral("LIVE");

// An entry cut at its first "|": the name and the tick flag.
QPair<QString, QString> entryParts(const QString& entry)
{
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {entry, QString()};
    return {entry.left(bar), entry.mid(bar + 1)};
}

} // namespace

// The list as the table shows it: the dialog's entries, read whenever the table asks.
class StoredFilesModel : public QAbstractTableModel
{
public:
    explicit StoredFilesModel(const QStringList& entries, QObject* parent)
        : QAbstractTableModel(parent), entries_(entries)
    {
    }

    static QString columnIdentifier(int column) { return column == 0 ? kFileColumn : kDownloadColumn; }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(entries_.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }

    // The text of a cell: the name under "file", the flag under "download".
    QString objectValue(int column, int row) const
    {
        const auto [name, flag] = entryParts(entries_.value(row));
        if (columnIdentifier(column) == kFileColumn)
            return name;
        return flag;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const QString value = objectValue(index.column(), index.row());
        if (index.column() == 0 && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
            return value;
        if (index.column() == 1 && role == Qt::CheckStateRole)
            return value.toLongLong() != 0 ? Qt::Checked : Qt::Unchecked;
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Stored Story File") : QStringLiteral("Select");
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const QStringList& entries_;
};

RetrieveFromCloud::RetrieveFromCloud(const QString& accountNumber, QWidget* parent)
    : QDialog(parent), accountNumber_(accountNumber)
{
    buildWindow();
    refreshFileList();
}

RetrieveFromCloud::~RetrieveFromCloud()
{
    // The list's model reads selectFiles_, which is gone by the time the dialog's base class
    // hides the window; hide it and let go of the model while everything still stands.
    hide();
    if (tvFiles_)
        tvFiles_->setModel(nullptr);
}

void RetrieveFromCloud::buildWindow()
{
    setObjectName(QStringLiteral("RetrieveFromCloud"));
    setWindowTitle(QStringLiteral("Retrieve from the Cloud"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    model_ = new StoredFilesModel(selectFiles_, this);
    tvFiles_ = new QTableView(this);
    tvFiles_->setObjectName(QStringLiteral("tvFiles"));
    tvFiles_->setModel(model_);
    tvFiles_->setSelectionMode(QAbstractItemView::NoSelection);
    tvFiles_->verticalHeader()->hide();
    tvFiles_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvFiles_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    tvFiles_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    tvFiles_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(tvFiles_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        guardedCall([this, index] {
            if (StoredFilesModel::columnIdentifier(index.column()) == kDownloadColumn)
                toggleRow(index.row());
        });
    });
    layout->addWidget(tvFiles_);

    auto* buttons = new QHBoxLayout;
    const auto makeButton = [this, buttons](const QString& text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    cmdDownload_ = makeButton(QStringLiteral("Download"), "cmdDownload");
    cmdDownloadAndRemove_ = makeButton(QStringLiteral("Download and Remove"), "cmdDownloadAndRemove");
    cmdClear_ = makeButton(QStringLiteral("Clear"), "cmdClear");
    buttons->addStretch();
    cmdCancel_ = makeButton(QStringLiteral("Cancel"), "cmdCancel");
    for (QPushButton* action : {cmdDownload_.data(), cmdDownloadAndRemove_.data(), cmdClear_.data()})
        connect(action, &QPushButton::clicked, this,
                [this, action] { guardedCall([this, action] { download(action); }); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cancel(cmdCancel_); });
    layout->addLayout(buttons);
    resize(520, 360);
}

void RetrieveFromCloud::refreshFileList()
{
    const QStringList result = toolkit_.getFileNamesInCloud(accountNumber_, kEnvironment);
    const QString status = result.value(0);
    if (status == QLatin1String("ERROR")) {
        alertWithOK(QStringLiteral("Retrieve"), result.value(1));
        return;
    }
    accountConfirmed_ = true;
    selectFiles_.clear();
    if (status != QLatin1String("NOFILES")) {
        for (qsizetype i = 1; i < result.size(); ++i)
            if (result.at(i) != status)
                selectFiles_.append(result.at(i) + QStringLiteral("|1"));
    }
    model_->reload();
}

void RetrieveFromCloud::toggleRow(int row)
{
    if (row < 0 || row >= selectFiles_.size())
        return;
    const auto [name, flag] = entryParts(selectFiles_.at(row));
    selectFiles_[row] = name + (flag.toLongLong() != 0 ? QStringLiteral("|0") : QStringLiteral("|1"));
    model_->reload();
}

void RetrieveFromCloud::refuseOpenStoryFilesOf(const DocumentController& documents)
{
    // Replacing the file of an open story under its window would lose that story's edits.
    refusesPath_ = documents.refusingOpenStoryFiles(QStringLiteral("Save File"));
}

void RetrieveFromCloud::cancel(QObject*)
{
    done(0);
}

void RetrieveFromCloud::download(QObject* sender)
{
    const bool saving = sender == cmdDownload_ || sender == cmdDownloadAndRemove_;
    const bool removing = sender == cmdDownloadAndRemove_ || sender == cmdClear_;
    const QString& accountNumber = accountNumber_;
    SavePanelRequest panel;
    panel.directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // The list is read again at the end; the ticks are taken as they are now.
    const QStringList entries = selectFiles_;
    for (const QString& entry : entries) {
        const auto [name, flag] = entryParts(entry);
        if (flag != QLatin1String("1"))
            continue;
        bool saved = false;
        if (saving && !downloadFile(name, accountNumber, panel, &saved))
            return;
        // Only what was saved leaves the cloud.
        if (removing && (saved || sender == cmdClear_)) {
            const QString answer = toolkit_.deleteFile(name, accountNumber, kEnvironment);
            if (answer.indexOf(QLatin1String("SUCCESS")) != 0)
                alertWithOK(QStringLiteral("Remove File From Cloud"),
                      QStringLiteral("Unable to remove %1 from the cloud at this time.").arg(name));
        }
    }
    refreshFileList();
}

bool RetrieveFromCloud::downloadFile(const QString& name, const QString& accountNumber, SavePanelRequest& panel,
                                     bool* saved)
{
    panel.title = QStringLiteral("Select the location for %1").arg(name);
    panel.proposedName = name + QLatin1Char('.') + kStoryExtension;
    // The panel adds the extension, so that it asks about replacing the file really written.
    panel.allowedExtensions = {kStoryExtension};
    panel.refuses = refusesPath_;
    const std::optional<QString> chosen = Platform::filePanels().runSavePanel(panel);
    if (!chosen || chosen->isEmpty())
        return false;
    const QString path = withAllowedExtension(*chosen, panel.allowedExtensions);

    UrlLoadRequest request;
    request.url = CloudToolkit::storedFileURL(accountNumber, name);
    request.maxBodyBytes = WebEndpoints::kMostDownloadBytes;
    const UrlLoadResult answer = Platform::urlLoader().load(request);
    // An error page is no story: only a successful answer is saved. A file that did not come
    // is passed over without a word; it stays in the cloud and in the list.
    if (!answer.ok())
        return true;
    // Written beside the target and put in its place only when whole, so a failed save leaves
    // what stood there before.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(answer.body) != answer.body.size() || !file.commit()) {
        alertWithOK(QStringLiteral("Save File"), QStringLiteral("Unable to save %1. Aborting download.").arg(name));
        return false;
    }
    *saved = true;
    alertWithOK(QStringLiteral("File Downloaded"), QStringLiteral("%1 downloaded to:\n%2").arg(name, path));
    return true;
}
