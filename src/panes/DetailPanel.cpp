#include "DetailPanel.h"

#include "ItemSides.h"
#include "PaneImages.h"
#include "TrackingTableView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/CardDragStarter.h"
#include "model/AttachedObjectdb.h"
#include "model/StoredRange.h"
#include "platform/TypingPause.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kImageColumn = 0;
constexpr int kDescriptionColumn = 1;
constexpr int kPictureSize = 96;
constexpr int kLeastAttachmentRowHeight = 53;
constexpr int kTextViewHeight = 64;
constexpr int kAttachmentsHeight = 180;
// What the texts' width leaves of the pane: the picture column, the margins and the scroller.
constexpr float kWidthTakenByPanel = 56.0f;

QPixmap pictureFrom(const QByteArray& bytes, int size)
{
    QPixmap picture;
    picture.loadFromData(bytes);
    if (picture.isNull())
        return picture;
    return picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// Stores a text view's text when it loses the focus, as a field does when its edit ends.
class EndOfEditing : public QObject
{
public:
    EndOfEditing(QPlainTextEdit* view, std::function<void(const QString&)> store)
        : QObject(view), view_(view), store_(std::move(store))
    {
        view->installEventFilter(this);
        TypingPause::watch(view, this, [this] { guardedCall([this] { store_(view_->toPlainText()); }); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Unchanged text marks nothing to write.
        if (event->type() == QEvent::FocusOut) {
            TypingPause::endEditOf(view_);
            guardedCall([&] { store_(view_->toPlainText()); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPlainTextEdit* view_;
    std::function<void(const QString&)> store_;
};

// The panel's background: a drag on it drags the item onto scene cards.
class DetailPanelView : public QWidget
{
public:
    explicit DetailPanelView(DetailPanel& panel) : panel_(panel) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        pressedAt_ = event->button() == Qt::LeftButton ? event->position().toPoint() : QPoint(-1, -1);
        QWidget::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        if ((event->buttons() & Qt::LeftButton) && pressedAt_.x() >= 0
            && (at - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
            pressedAt_ = QPoint(-1, -1);
            guardedCall([&] { panel_.startItemDrag(this, at); });
        }
        QWidget::mouseMoveEvent(event);
    }

private:
    DetailPanel& panel_;
    QPoint pressedAt_{-1, -1};
};

} // namespace

// Two rows a link: the thumbnail and the attachment's title, then the primary mark and the
// link's own description, which the writer edits in place.
class AttachmentsModel : public QAbstractTableModel
{
public:
    AttachmentsModel(DetailPanel& panel, Screenplaydb& story) : panel_(panel), story_(story) {}

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(panel_.linkCount()) * 2;
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const AttachmentLink* link = panel_.linkAt(static_cast<std::size_t>(index.row() / 2));
        if (!link)
            return QVariant();
        const bool first = index.row() % 2 == 0;
        if (index.column() == kImageColumn) {
            if (role != Qt::DecorationRole)
                return QVariant();
            if (!first)
                return PaneImages::image(link->primaryDisplayFlag() == 1 ? QStringLiteral("PrimaryImage")
                                                                         : QStringLiteral("MakePrimary"));
            const AttachedObjectdb* attachment = story_.attachmentForID(link->attachedObjectID());
            const auto thumbnail = attachment ? attachment->getThumbnail() : std::nullopt;
            return pictureFrom(thumbnail.value_or(QByteArray()), kLeastAttachmentRowHeight - 6);
        }
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return first ? QStringLiteral("\n%1").arg(story_.titleForAttachment(link->attachedObjectID()))
                         : link->description();
        if (role == Qt::FontRole)
            return standardFont(StoredRange::fontSetting(story_.standardFontSetting()) + 11, false);
        if (role == Qt::TextAlignmentRole)
            return static_cast<int>(Qt::AlignLeft | Qt::AlignTop);
        return QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.row() % 2 == 0)
            flags |= Qt::ItemIsDragEnabled;
        else if (index.column() == kDescriptionColumn)
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (index.column() != kDescriptionColumn || index.row() % 2 == 0)
            return false;
        if (role == TextCellDelegate::kTypedTextRole)
            return guardedCall([&] { panel_.setLinkDescription(index.row(), value.toString(), false); });
        if (role != Qt::EditRole)
            return false;
        return guardedCall([&] { panel_.setLinkDescription(index.row(), value.toString()); });
    }

private:
    DetailPanel& panel_;
    Screenplaydb& story_;
};

// --- The attachment table ----------------------------------------------------------------------

TableViewResponder::TableViewResponder(std::function<void()> deleteSelected, QWidget* parent)
    : QTableView(parent), deleteSelected_(std::move(deleteSelected))
{
}

void TableViewResponder::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        guardedCall([this] { deleteSelected_(); });
        return;
    }
    QTableView::keyPressEvent(event);
}

void TableViewResponder::startDrag(Qt::DropActions)
{
    const QModelIndexList rows = selectionModel()->selectedRows(kImageColumn);
    const QModelIndex first = rows.isEmpty() ? currentIndex() : rows.front();
    if (!dragData || !first.isValid())
        return;
    guardedCall([&] {
        std::unique_ptr<QMimeData> data = dragData(first.row());
        if (!data)
            return;
        const QPixmap image = first.siblingAtColumn(kImageColumn).data(Qt::DecorationRole).value<QPixmap>();
        CardDragStarter::current().startDrag(this, std::move(data), image, QPoint(image.width() / 2, 0),
                                             Qt::LinkAction | Qt::CopyAction | Qt::MoveAction);
    });
}

void TableViewResponder::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TableViewResponder::dragMoveEvent(QDragMoveEvent* event)
{
    if (acceptsDrop && acceptsDrop(event->mimeData()) && (event->possibleActions() & Qt::LinkAction)) {
        event->setDropAction(Qt::LinkAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TableViewResponder::dropEvent(QDropEvent* event)
{
    bool taken = false;
    const int row = indexAt(event->position().toPoint()).row();
    guardedCall([&] { taken = acceptDrop && acceptDrop(event->mimeData(), row); });
    if (taken) {
        event->setDropAction(Qt::LinkAction);
        event->accept();
    } else {
        event->ignore();
    }
}

// --- The panel ---------------------------------------------------------------------------------

DetailPanel::DetailPanel(const QString& nibName, MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(nibName, parent, screenplay)
{
}

DetailPanel::~DetailPanel() = default;

void DetailPanel::startLayout(const QString& nameCaption, const char* nameField, const char* nameLabel)
{
    auto* view = new DetailPanelView(*this);
    view->setObjectName(nibName() + QStringLiteral("View"));
    view->setAutoFillBackground(true);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, myParent()->standardBackgroundColor());
    palette.setColor(QPalette::WindowText, Qt::white);
    view->setPalette(palette);
    body_ = new QVBoxLayout(view);
    body_->setContentsMargins(12, 10, 12, 10);
    body_->setSpacing(4);

    auto* header = new QHBoxLayout;
    imgImage_ = new QLabel;
    imgImage_->setObjectName(QStringLiteral("imgImage"));
    imgImage_->setFixedSize(kPictureSize, kPictureSize);
    imgImage_->setAlignment(Qt::AlignCenter);
    imgImage_->setStyleSheet(QStringLiteral("background: white"));
    header->addWidget(imgImage_, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    headerColumn_ = column;
    header->addLayout(column, 1);
    body_->addLayout(header);

    QLabel* caption = new QLabel(nameCaption);
    caption->setObjectName(QString::fromLatin1(nameLabel));
    captions_.push_back(caption);
    column->addWidget(caption);
    nameField_ = new QLineEdit;
    nameField_->setObjectName(QString::fromLatin1(nameField));
    fields_.push_back(nameField_);
    column->addWidget(nameField_);
    QObject::connect(nameField_, &QLineEdit::editingFinished, this, [this] {
        guardedCall([this] {
            // A name entered and left without a change stays as it is stored, small letters
            // included.
            const bool typed = TypingPause::endEditOf(nameField_);
            if (!hasItem() || (!typed && nameField_->text() == storedName()))
                return;
            // Names are kept in capitals, as a script writes them.
            const QString name = nameField_->text().toUpper();
            nameField_->setText(name);
            if (name != storedName())
                storeName(name);
            saveItem();
            // The open large card shows the new name.
            myParent()->showRenamedItem();
        });
    });
    TypingPause::watch(nameField_, this, [this] {
        guardedCall([this] {
            if (!hasItem())
                return;
            storeName(nameField_->text());
            saveItem();
        });
    });
    setView(view);
}

QLabel* DetailPanel::addCaption(const QString& text, const char* name)
{
    auto* caption = new QLabel(text);
    caption->setObjectName(QString::fromLatin1(name));
    captions_.push_back(caption);
    body_->addWidget(caption);
    return caption;
}

QPlainTextEdit* DetailPanel::addTextView(const QString& caption, const char* labelName, const char* viewName,
                                         std::function<void(const QString&)> store)
{
    addCaption(caption, labelName);
    auto* textView = new QPlainTextEdit;
    textView->setObjectName(QString::fromLatin1(viewName));
    textView->setFixedHeight(kTextViewHeight);
    fields_.push_back(textView);
    body_->addWidget(textView);
    new EndOfEditing(textView, [this, store = std::move(store)](const QString& text) {
        if (!hasItem())
            return;
        store(text);
        saveItem();
    });
    return textView;
}

void DetailPanel::finishLayout(const char* previousName, const char* nextName, const char* closeName)
{
    addCaption(QObject::tr("Attachments"), "lblAttachments");
    tvAttachments_ = new TableViewResponder([this] { deleteSelectedAttachedObject(); });
    tvAttachments_->setObjectName(QStringLiteral("tvAttachments"));
    attachmentsModel_ = new AttachmentsModel(*this, *screenplay());
    attachmentsModel_->setParent(tvAttachments_);
    tvAttachments_->setModel(attachmentsModel_);
    tvAttachments_->setItemDelegate(new LineCellDelegate(tvAttachments_));
    tvAttachments_->setFixedHeight(kAttachmentsHeight);
    tvAttachments_->setWordWrap(true);
    tvAttachments_->setShowGrid(false);
    tvAttachments_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvAttachments_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvAttachments_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    tvAttachments_->setDragEnabled(true);
    tvAttachments_->setAcceptDrops(true);
    tvAttachments_->setDragDropMode(QAbstractItemView::DragDrop);
    tvAttachments_->horizontalHeader()->hide();
    tvAttachments_->verticalHeader()->hide();
    tvAttachments_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvAttachments_->horizontalHeader()->setSectionResizeMode(kImageColumn, QHeaderView::Fixed);
    tvAttachments_->horizontalHeader()->setSectionResizeMode(kDescriptionColumn, QHeaderView::Stretch);
    tvAttachments_->setColumnWidth(kImageColumn, kLeastAttachmentRowHeight);
    tvAttachments_->setIconSize(QSize(kLeastAttachmentRowHeight - 6, kLeastAttachmentRowHeight - 6));
    tvAttachments_->acceptsDrop = [this](const QMimeData* data) { return acceptsAttachmentDrop(data); };
    tvAttachments_->acceptDrop = [this](const QMimeData* data, int) { return acceptAttachmentDrop(data); };
    tvAttachments_->dragData = [this](int row) { return attachmentDragData(row); };
    QObject::connect(tvAttachments_, &QTableView::pressed, this, [this](const QModelIndex& index) {
        guardedCall([&] { shouldTrackCell(index); });
    });
    body_->addWidget(tvAttachments_);

    auto* buttons = new QHBoxLayout;
    cmdPrevious_ = new QPushButton(QObject::tr("Previous"));
    cmdNext_ = new QPushButton(QObject::tr("Next"));
    cmdClose_ = new QPushButton(QObject::tr("Close"));
    cmdPrevious_->setObjectName(QString::fromLatin1(previousName));
    cmdNext_->setObjectName(QString::fromLatin1(nextName));
    cmdClose_->setObjectName(QString::fromLatin1(closeName));
    buttons->addWidget(cmdPrevious_);
    buttons->addWidget(cmdNext_);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose_);
    body_->addLayout(buttons);
    body_->addStretch(1);
    QObject::connect(cmdPrevious_, &QPushButton::clicked, this, [this] { guardedCall([this] { pageBy(-1); }); });
    QObject::connect(cmdNext_, &QPushButton::clicked, this, [this] { guardedCall([this] { pageBy(1); }); });
    QObject::connect(cmdClose_, &QPushButton::clicked, this, [this] {
        guardedCall([this] { endEditing(); });
        // Closing takes this panel and its button down: not inside the button's own click.
        QPointer<MyDocument> document = myParent();
        QTimer::singleShot(0, document, [this, panel = QPointer<QObject>(this)] {
            if (panel)
                guardedCall([this] { closeDetails(); });
        });
    });
}

void DetailPanel::refreshView()
{
    if (!hasItem())
        return;
    imgImage_->setPixmap(pictureFrom(picture(), kPictureSize));
    nameField_->setText(storedName());
    nameField_->setModified(false);
    fillFields();
    attachmentsModel_->reload();
    for (int row = 0; row < attachmentsModel_->rowCount(); ++row)
        tvAttachments_->setRowHeight(row, attachmentRowHeight(row));
    const std::int64_t at = position();
    cmdPrevious_->setVisible(at > 0);
    cmdNext_->setVisible(at >= 0 && static_cast<std::size_t>(at) + 1 < itemCount());
}

void DetailPanel::setFonts()
{
    const int size = StoredRange::fontSetting(screenplay()->standardFontSetting()) + 11;
    const QFont caption = standardFont(size, true);
    const QFont field = standardFont(size, false);
    for (QLabel* label : captions_)
        label->setFont(caption);
    for (QWidget* widget : fields_)
        widget->setFont(field);
    tvAttachments_->setFont(field);
    setOwnFonts(caption, field);
    refreshView();
}

int DetailPanel::attachmentRowHeight(int row) const
{
    const MainSplitView* beats = myParent()->splBeats();
    const float width = static_cast<float>(beats ? beats->paneSize(0).width() : view()->width()) - kWidthTakenByPanel;
    const QString text = attachmentsModel_->index(row, kDescriptionColumn).data().toString();
    const float height = heightForString(text, tvAttachments_->font(), width);
    return std::max(kLeastAttachmentRowHeight, static_cast<int>(height));
}

void DetailPanel::endEditing()
{
    myParent()->commitEditing();
}

void DetailPanel::pageBy(int step)
{
    endEditing();
    const std::int64_t next = position() + step;
    if (next >= 0 && static_cast<std::size_t>(next) < itemCount())
        showItemAt(static_cast<std::size_t>(next));
}

void DetailPanel::deleteSelectedAttachedObject()
{
    const QModelIndexList rows = tvAttachments_->selectionModel()->selectedRows();
    if (rows.isEmpty() || !hasItem())
        return;
    removeLink(static_cast<std::size_t>(rows.front().row() / 2));
    tvAttachments_->clearSelection();
    refreshView();
}

bool DetailPanel::shouldTrackCell(const QModelIndex& index)
{
    if (!index.isValid() || index.column() != kImageColumn)
        return true;
    const auto at = static_cast<std::size_t>(index.row() / 2);
    AttachmentLink* link = linkAt(at);
    if (!link)
        return true;
    if (index.row() % 2 == 0) {
        if (AttachedObjectdb* attachment = screenplay()->attachmentForID(link->attachedObjectID()))
            myParent()->openAttachmentFileInNativeApplication(attachment);
        return true;
    }
    if (link->primaryDisplayFlag() == 1)
        return false;
    makeLinkPrimary(at);
    refreshView();
    return true;
}

void DetailPanel::setLinkDescription(int row, const QString& text, bool fitRow)
{
    AttachmentLink* link = linkAt(static_cast<std::size_t>(row / 2));
    if (!link || row % 2 == 0)
        return;
    link->setDescription(text);
    link->save();
    if (fitRow)
        tvAttachments_->setRowHeight(row, attachmentRowHeight(row));
}

std::unique_ptr<QMimeData> DetailPanel::attachmentDragData(int row) const
{
    if (row < 0 || row % 2 != 0 || static_cast<std::size_t>(row / 2) >= linkCount())
        return nullptr;
    return RecordPasteboardType::makeDragData(linkDragType(), row, myParent());
}

bool DetailPanel::acceptsAttachmentDrop(const QMimeData* data) const
{
    return hasItem()
           && RecordPasteboardType::value(data, QString::fromLatin1(RecordPasteboardType::kAttachedObject)).has_value()
           && RecordPasteboardType::comesFrom(data, myParent());
}

bool DetailPanel::acceptAttachmentDrop(const QMimeData* data)
{
    if (!acceptsAttachmentDrop(data))
        return false;
    const auto key = RecordPasteboardType::value(data, QString::fromLatin1(RecordPasteboardType::kAttachedObject));
    myParent()->setAttachmentNoteTackDown(*key);
    if (addLink(*key) != AttachmentLinks::LinkResult::Linked)
        return false;
    refreshView();
    return true;
}

std::unique_ptr<QMimeData> DetailPanel::itemDragData() const
{
    const std::int64_t at = position();
    if (at < 0)
        return nullptr;
    return RecordPasteboardType::makeDragData(itemDragType(), at * 3, myParent());
}

void DetailPanel::startItemDrag(QWidget* source, const QPoint& at)
{
    std::unique_ptr<QMimeData> data = itemDragData();
    if (!data)
        return;
    const QPixmap image = imgImage_->pixmap();
    (void)at;
    CardDragStarter::current().startDrag(source, std::move(data), image, QPoint(0, 0),
                                         Qt::LinkAction | Qt::CopyAction);
}

// --- One kind of item --------------------------------------------------------------------------

template <typename Side>
void ItemDetailView<Side>::setItem(Item* item)
{
    item_ = item;
    if (item_)
        setFonts();
}

template <typename Side>
std::size_t ItemDetailView<Side>::linkCount() const
{
    return item_ ? Side::links(*item_).size() : 0;
}

template <typename Side>
AttachmentLink* ItemDetailView<Side>::linkAt(std::size_t index) const
{
    if (!item_ || index >= Side::links(*item_).size())
        return nullptr;
    return Side::links(*item_)[index];
}

template <typename Side>
QByteArray ItemDetailView<Side>::picture() const
{
    return Side::picture(*screenplay(), *item_);
}

template <typename Side>
std::int64_t ItemDetailView<Side>::position() const
{
    return positionOf(Side::items(*screenplay()), item_);
}

template <typename Side>
std::size_t ItemDetailView<Side>::itemCount() const
{
    return Side::items(*screenplay()).size();
}

template <typename Side>
QString ItemDetailView<Side>::itemDragType() const
{
    return QString::fromLatin1(Side::kDragType);
}

template <typename Side>
QString ItemDetailView<Side>::linkDragType() const
{
    return QString::fromLatin1(Side::kLinkDragType);
}

template <typename Side>
AttachmentLinks::LinkResult ItemDetailView<Side>::addLink(std::int64_t attachedObjectID)
{
    return AttachmentLinks::link<Side>(*screenplay(), item_, attachedObjectID);
}

template <typename Side>
void ItemDetailView<Side>::removeLink(std::size_t index)
{
    AttachmentLinks::remove<Side>(*screenplay(), *item_, index);
}

template <typename Side>
void ItemDetailView<Side>::makeLinkPrimary(std::size_t index)
{
    AttachmentLinks::makePrimary<Side>(*screenplay(), *item_, index);
}

template <typename Side>
void ItemDetailView<Side>::saveItem()
{
    item_->save();
}

template <typename Side>
void ItemDetailView<Side>::storeName(const QString& name)
{
    Side::setName(*item_, name);
}

template <typename Side>
QString ItemDetailView<Side>::storedName() const
{
    return item_ ? Side::name(*item_) : QString();
}

template <>
void ItemDetailView<CharacterSide>::showItemAt(std::size_t at)
{
    myParent()->showCharacterDetailForCharacter(screenplay()->characters()[at].get());
}

template <>
void ItemDetailView<LocationSide>::showItemAt(std::size_t at)
{
    myParent()->showLocationDetailForSceneLocation(screenplay()->sceneLocations()[at].get());
}

template <>
void ItemDetailView<CharacterSide>::closeDetails()
{
    myParent()->closeCharacterDetails();
}

template <>
void ItemDetailView<LocationSide>::closeDetails()
{
    myParent()->closeLocationDetails();
}

template class ItemDetailView<CharacterSide>;
template class ItemDetailView<LocationSide>;
