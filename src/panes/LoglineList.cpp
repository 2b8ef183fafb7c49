#include "LoglineList.h"

#include "app/BaseViewController.h"
#include "app/GuardedCall.h"
#include "app/SmallViews.h"
#include "model/Loglinedb.h"
#include "model/Screenplaydb.h"
#include "model/StoryTransaction.h"
#include "platform/Platform.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

constexpr int kCurrentColumn = 0;
constexpr int kLoglineColumn = 1;
constexpr int kCurrentColumnWidth = 50;
constexpr int kWidthTakenFromText = 62;
constexpr int kLeastRowHeight = 20;
constexpr int kFontSize = 13;

QFont listFont()
{
    return standardFont(kFontSize, false);
}

} // namespace

// The rows of the list, read from the story's loglines every time they are asked for.
class LoglineListModel : public QAbstractTableModel
{
public:
    explicit LoglineListModel(LoglineList& list) : list_(list) {}

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(list_.screenplay()->logLines().size());
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const Loglinedb* logline = loglineAt(index.row());
        if (!logline)
            return QVariant();
        if (index.column() == kCurrentColumn && role == Qt::CheckStateRole)
            return logline->currentLoglineFlag() == 1 ? Qt::Checked : Qt::Unchecked;
        if (index.column() == kLoglineColumn && (role == Qt::DisplayRole || role == Qt::EditRole))
            return logline->logline();
        return QVariant();
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QVariant();
        return section == kCurrentColumn ? QStringLiteral("Current") : QStringLiteral("Logline");
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        return index.column() == kCurrentColumn ? flags | Qt::ItemIsUserCheckable : flags | Qt::ItemIsEditable;
    }

    bool setData(const QModelIndex& index, const QVariant&, int) override
    {
        // Storing any value in the "current" column chooses the row; an edited text is
        // never stored, the row shows the stored text again.
        if (index.column() == kCurrentColumn)
            return guardedCall([this, &index] { list_.chooseCurrentLogline(index.row()); });
        list_.reload();
        return false;
    }

    Loglinedb* loglineAt(int row) const
    {
        const auto& loglines = list_.screenplay()->logLines();
        return row >= 0 && row < static_cast<int>(loglines.size()) ? loglines[static_cast<std::size_t>(row)].get()
                                                                  : nullptr;
    }

private:
    LoglineList& list_;
};

void makeCurrentLogline(Screenplaydb& story, const Loglinedb* current)
{
    // All flags change together or none does: a failure half way would leave two current
    // loglines (or none) in the file.
    std::vector<std::int64_t> flags;
    for (const auto& logline : story.logLines())
        flags.push_back(logline->currentLoglineFlag());
    StoryTransaction transaction(story.database());
    try {
        for (const auto& logline : story.logLines()) {
            logline->setCurrentLoglineFlag(logline.get() == current ? 1 : 0);
            logline->save();
        }
        transaction.commit();
    } catch (...) {
        for (std::size_t i = 0; i < flags.size(); ++i)
            story.logLines()[i]->setCurrentLoglineFlag(flags[i]);
        throw;
    }
}

LoglineList::LoglineList(Screenplaydb* screenplay, QWidget* parent)
    : QDialog(parent)
    , screenplay_(screenplay)
    , model_(new LoglineListModel(*this))
{
    setObjectName(QStringLiteral("LoglineList"));
    setWindowTitle(tr("Loglines"));

    tvTable_ = new QTableView;
    tvTable_->setObjectName(QStringLiteral("tvTable"));
    model_->setParent(this);
    tvTable_->setModel(model_);
    tvTable_->setFont(listFont());
    tvTable_->setWordWrap(true);
    // A row is exactly as tall as its text: no grid line takes from it.
    tvTable_->setShowGrid(false);
    tvTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvTable_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    tvTable_->verticalHeader()->hide();
    tvTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvTable_->horizontalHeader()->setSectionResizeMode(kCurrentColumn, QHeaderView::Fixed);
    tvTable_->horizontalHeader()->setSectionResizeMode(kLoglineColumn, QHeaderView::Stretch);
    tvTable_->setColumnWidth(kCurrentColumn, kCurrentColumnWidth);
    tvTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    cmdDelete_ = new QPushButton(tr("Delete"));
    cmdDelete_->setObjectName(QStringLiteral("cmdDelete"));
    cmdDelete_->hide();
    cmdClose_ = new QPushButton(tr("Close"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDelete_);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tvTable_, 1);
    layout->addLayout(buttons);
    resize(640, 360);
    layout->activate();

    connect(cmdDelete_, &QPushButton::clicked, this, [this] { guardedCall([this] { deleteLogline(); }); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] { closeList(); });
    connect(tvTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { selectionChanged(); });
    reload();
}

LoglineList::~LoglineList() = default;

int LoglineList::heightOfRow(int row) const
{
    const Loglinedb* logline = model_->loglineAt(row);
    if (!logline)
        return kLeastRowHeight;
    const float width = static_cast<float>(tvTable_->width() - kWidthTakenFromText);
    const float height = BaseViewController::heightForString(logline->logline(), listFont(), width);
    return std::max(kLeastRowHeight, static_cast<int>(height));
}

void LoglineList::reload()
{
    model_->reload();
    for (int row = 0; row < model_->rowCount(); ++row)
        tvTable_->setRowHeight(row, heightOfRow(row));
}

void LoglineList::chooseCurrentLogline(int row)
{
    Loglinedb* chosen = model_->loglineAt(row);
    if (!chosen)
        return;
    makeCurrentLogline(*screenplay_, chosen);
    cmdDelete_->hide();
    reload();
}

int LoglineList::selectedRow() const
{
    const QModelIndexList rows = tvTable_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void LoglineList::selectionChanged()
{
    const Loglinedb* logline = model_->loglineAt(selectedRow());
    if (logline)
        cmdDelete_->setVisible(logline->currentLoglineFlag() != 1);
}

void LoglineList::deleteLogline()
{
    // The current logline is never deleted, even when the button shows by mistake.
    Loglinedb* logline = model_->loglineAt(selectedRow());
    if (!logline || logline->currentLoglineFlag() == 1)
        return;
    AlertRequest question;
    question.title = QStringLiteral("Delete Logline");
    question.message = QStringLiteral("Are you sure you want to delete this logline?");
    question.defaultButton = QStringLiteral("No");
    question.alternateButton = QStringLiteral("Yes");
    if (Platform::alerts().runAlert(question) != AlertAlternateReturn)
        return;
    screenplay_->deleteLogline(logline);
    reload();
    cmdDelete_->hide();
    tvTable_->clearSelection();
}

void LoglineList::closeList()
{
    tvTable_->clearSelection();
    done(0);
}

void LoglineList::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The rows follow the new width.
    guardedCall([this] { reload(); });
}
