#include "GeneralNotesView.h"

#include "AttachedObjectView.h"
#include "AttachmentContent.h"
#include "AttachmentLinks.h"
#include "CharacterDetailView.h"
#include "GreenlightChecklist.h"
#include "ItemSides.h"
#include "LocationDetailView.h"
#include "NoteRichText.h"
#include "NotesBoardGeometry.h"
#include "StickyNoteView.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "board/BoardImages.h"
#include "board/RecordPasteboardType.h"
#include "model/AttachedObjectdb.h"
#include "model/Screenplaydb.h"
#include "model/StickyNotedb.h"
#include "model/StoredRange.h"
#include "model/StoryTransaction.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

namespace Geometry = NotesBoardGeometry;
namespace Pasteboard = RecordPasteboardType;

constexpr int kExplosionSide = 50;
constexpr int kExplosionMilliseconds = 250;
// A picture note made at a point hangs this far left of it, whatever its width.
constexpr double kPictureHangLeft = 155.0;
// Pasted files after the first are each placed this far right of and below the one before.
constexpr double kPasteStep = 10.0;

const QString kAddAttachment = QStringLiteral("Add Attachment");

QString unreadable(const QString& path)
{
    return QStringLiteral("%1 cannot be read, so it was not attached.").arg(path);
}

int ask(const QString& title, const QString& message)
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    request.defaultButton = QStringLiteral("Yes");
    request.alternateButton = QStringLiteral("No");
    return Platform::alerts().runAlert(request);
}

void tell(const QString& title, const QString& message)
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    Platform::alerts().runAlert(request);
}

// The local files a drag or the clipboard names, in order.
QStringList fileNames(const QMimeData* data)
{
    QStringList paths;
    if (!data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

// The first picture the data holds as encoded bytes, or a picture it holds only as an image,
// encoded as PNG.
std::optional<QByteArray> pictureData(const QMimeData* data)
{
    for (const QString& format : data->formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        const QByteArray bytes = data->data(format);
        if (!bytes.isEmpty())
            return bytes;
    }
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.isNull() && image.save(&buffer, "PNG"))
            return bytes;
    }
    return std::nullopt;
}

bool holdsPicture(const QMimeData* data)
{
    const QStringList formats = data->formats();
    return data->hasImage() || std::any_of(formats.cbegin(), formats.cend(), [](const QString& format) {
               return format.startsWith(QLatin1String("image/"));
           });
}

// A new note's record at `origin` with `size`: whole points, and fractions of the board taken
// from the exact origin.
template <typename Record>
void placeNewRecord(Record& record, const Screenplaydb& story, const QPointF& origin, const QSize& size)
{
    const auto width = static_cast<double>(story.generalNotesWidth());
    const auto height = static_cast<double>(story.generalNotesHeight());
    const Geometry::StoredPlace place =
        Geometry::storedPlace(origin, story.generalNotesWidth(), story.generalNotesHeight());
    record.setPositionLeft(place.left);
    record.setPositionTop(place.top);
    record.setPercentageHorizontal(width > 0 ? static_cast<float>(origin.x() / width) : 0.0f);
    record.setPercentageVertical(height > 0 ? static_cast<float>(origin.y() / height) : 0.0f);
    record.setSizeWidth(size.width());
    record.setSizeHeight(size.height());
}

} // namespace

// --- The cork ----------------------------------------------------------------------------------

GeneralNotesBackground::GeneralNotesBackground(GeneralNotesView* parent)
    : myGeneralNotesParent_(parent)
{
    setObjectName(QStringLiteral("GeneralNotesView"));
    setAcceptDrops(true);
    // Nothing else on the screen tells how a note is added.
    setToolTip(QStringLiteral("Double-click the cork to pin a new sticky note there."));
}

void GeneralNotesBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap cork = boardImage(QStringLiteral("cork_repeating_02"));
    if (cork.isNull())
        painter.fillRect(rect(), QColor::fromRgb(205, 133, 63));
    else
        painter.fillRect(rect(), QBrush(cork));
}

void GeneralNotesBackground::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    event->accept();
    guardedCall([&] { myGeneralNotesParent_->addStickyNoteWith(event->position()); });
}

void GeneralNotesBackground::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    guardedCall([&] { myGeneralNotesParent_->pasteAt(event->position()); });
}

void GeneralNotesBackground::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

bool GeneralNotesBackground::answerDrag(QDropEvent* event)
{
    const Qt::DropAction action = myGeneralNotesParent_->dragOperationFor(event->mimeData(), event->possibleActions());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

void GeneralNotesBackground::dragMoveEvent(QDragMoveEvent* event)
{
    answerDrag(event);
}

void GeneralNotesBackground::dropEvent(QDropEvent* event)
{
    if (answerDrag(event))
        guardedCall([&] { myGeneralNotesParent_->performDragOperation(event->mimeData(), event->position()); });
}

// --- The board ---------------------------------------------------------------------------------

GeneralNotesView::GeneralNotesView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("GeneralNotesView"), parent, screenplay)
{
    boxBackground_ = new GeneralNotesBackground(this);
    setView(boxBackground_);
}

GeneralNotesView::~GeneralNotesView()
{
    // The notes and the checklist go before the cork that holds their cards.
    stickyNoteViews_.clear();
    attachedObjectViews_.clear();
    greenlightChecklist_.reset();
}

void GeneralNotesView::commitEditing()
{
    for (const auto& note : attachedObjectViews_)
        note->commitEditing();
    for (const auto& note : stickyNoteViews_)
        note->commitEditing();
}

void GeneralNotesView::layoutGeneralNotes()
{
    Screenplaydb& story = *screenplay();
    Geometry::BoardRoom room{story.generalNotesWidth(), story.generalNotesHeight(),
                             story.greenlightChecklistPercentageHorizontal(),
                             story.greenlightChecklistPercentageVertical()};
    // The board is at least as large as what its scroll view shows.
    const QScrollArea* scroll = myParent() ? myParent()->scrNotes() : nullptr;
    if (scroll) {
        const QSize content = scroll->viewport()->size();
        bool grown = false;
        if (content.width() > room.width) {
            room.width = content.width();
            grown = true;
        }
        if (content.height() > room.height) {
            room.height = content.height();
            grown = true;
        }
        if (grown) {
            story.setGeneralNotesWidth(room.width);
            story.setGeneralNotesHeight(room.height);
            story.save();
        }
    }
    room = Geometry::withChecklistRoom(room);
    story.setGeneralNotesWidth(room.width);
    story.setGeneralNotesHeight(room.height);
    story.setGreenlightChecklistPercentageHorizontal(room.checklistHorizontal);
    story.setGreenlightChecklistPercentageVertical(room.checklistVertical);
    boxBackground_->setGeometry(0, 0, StoredRange::toInt(room.width), StoredRange::toInt(room.height));

    // What is being typed into a note is kept before its card goes.
    commitEditing();
    layoutAttachments(room.width, room.height);
    layoutStickyNotes(room.width, room.height);
    placeChecklist(room.width, room.height);
}

void GeneralNotesView::placeNote(BoardNoteView& note, const QRectF& frame)
{
    note.view()->setParent(boxBackground_);
    note.setFrame(frame);
    note.view()->show();
    note.view()->raise();
}

void GeneralNotesView::layoutAttachments(std::int64_t width, std::int64_t height)
{
    attachedObjectViews_.clear();
    for (const auto& record : screenplay()->attachedObjects()) {
        AttachedObjectdb& attachment = *record;
        auto note = std::make_unique<AttachedObjectView>(myParent(), screenplay(), this, &attachment);
        const QPointF origin(attachment.percentageHorizontal() * static_cast<float>(width),
                             attachment.percentageVertical() * static_cast<float>(height));
        QSizeF size = note->frame().size();
        const bool picture = attachment.objectType() == AttachmentContent::kPicture;
        if (attachment.objectType() == AttachmentContent::kFile || (picture && attachment.currentView() != 2)) {
            size = QSizeF(static_cast<double>(attachment.sizeWidth()), static_cast<double>(attachment.sizeHeight()));
        } else if (picture) {
            const auto fullWidth = attachment.lastFullImageWidth();
            const auto fullHeight = attachment.lastFullImageHeight();
            size = QSizeF(static_cast<double>(fullWidth != 0 ? fullWidth : attachment.sizeWidth()),
                          static_cast<double>(fullHeight != 0 ? fullHeight : attachment.sizeHeight()));
        }
        if (size.width() == 0) {
            size.setWidth(Geometry::kAttachmentWidth);
            attachment.setSizeWidth(Geometry::kAttachmentWidth);
        }
        if (size.height() == 0) {
            size.setHeight(Geometry::kAttachmentHeight);
            attachment.setSizeHeight(Geometry::kAttachmentHeight);
        }
        // A record writes only what changed: a record that had its size writes nothing.
        attachment.save();
        placeNote(*note, QRectF(origin, size));
        note->refreshView();
        attachedObjectViews_.push_back(std::move(note));
    }
}

void GeneralNotesView::layoutStickyNotes(std::int64_t width, std::int64_t height)
{
    stickyNoteViews_.clear();
    for (const auto& record : screenplay()->stickyNotes()) {
        StickyNotedb& sticky = *record;
        auto note = std::make_unique<StickyNoteView>(myParent(), screenplay(), this, &sticky);
        const QPointF origin(sticky.percentageHorizontal() * static_cast<float>(width),
                             sticky.percentageVertical() * static_cast<float>(height));
        if (sticky.sizeWidth() == 0)
            sticky.setSizeWidth(Geometry::kStickyNoteWidth);
        if (sticky.sizeHeight() == 0)
            sticky.setSizeHeight(Geometry::kStickyNoteHeight);
        sticky.save();
        QFont font = QApplication::font();
        font.setPointSizeF(note->txtDescription()->font().pointSizeF());
        const float textHeight = heightForString(
            sticky.textNote(), font, static_cast<float>(sticky.sizeWidth() - Geometry::kStickyTextMargin));
        const int noteHeight = Geometry::stickyNoteLayoutHeight(sticky.sizeHeight(), textHeight);
        placeNote(*note, QRectF(origin, QSizeF(static_cast<double>(sticky.sizeWidth()), noteHeight)));
        note->refreshView();
        stickyNoteViews_.push_back(std::move(note));
    }
}

void GeneralNotesView::placeChecklist(std::int64_t width, std::int64_t height)
{
    if (greenlightChecklist_)
        return;
    const Screenplaydb& story = *screenplay();
    greenlightChecklist_ = std::make_unique<GreenlightChecklist>(myParent(), screenplay(), boxBackground_);
    QWidget* panel = greenlightChecklist_->view();
    panel->setParent(boxBackground_);
    // The fractions were stored from whole points; rounding brings the panel back to the point
    // it was put at, where cutting off would leave it one short (16 / 1900 x 1900 is 15.99...).
    const float left = story.greenlightChecklistPercentageHorizontal() * static_cast<float>(width);
    const float top = story.greenlightChecklistPercentageVertical() * static_cast<float>(height);
    panel->move(StoredRange::toInt(std::round(static_cast<double>(left))),
                StoredRange::toInt(std::round(static_cast<double>(top))));
    panel->show();
    panel->raise();
}

void GeneralNotesView::popToTheTop(BaseViewController* item)
{
    if (item && item->view())
        item->view()->raise();
}

double GeneralNotesView::visibleTop() const
{
    // The board sits in its scroll view's viewport, moved up by as much as is scrolled away.
    return std::max(0, -boxBackground_->y());
}

QPointF GeneralNotesView::originFor(const QPointF& point, double noteWidth) const
{
    return Geometry::originUnderPointer(point, noteWidth);
}

// --- New notes ---------------------------------------------------------------------------------

StickyNoteView* GeneralNotesView::addStickyNoteWith(const QPointF& point)
{
    auto note = std::make_unique<StickyNotedb>();
    note->setColor(1);
    return addStickyNote(std::move(note), point);
}

StickyNoteView* GeneralNotesView::createNoteCardFromText(const QString& text, const QString& rtf,
                                                         const QPointF& point)
{
    auto note = std::make_unique<StickyNotedb>();
    note->setColor(1);
    note->setNote(rtf);
    note->setTextNote(text);
    return addStickyNote(std::move(note), point);
}

StickyNoteView* GeneralNotesView::addStickyNote(std::unique_ptr<StickyNotedb> note, const QPointF& point)
{
    Screenplaydb& story = *screenplay();
    note->setScreenplayID(story.screenplayID());
    note->setTitle(QStringLiteral("New Note Card"));
    const QPointF origin = originFor(point, Geometry::kStickyNoteWidth);
    placeNewRecord(*note, story, origin, QSize(Geometry::kStickyNoteWidth, Geometry::kStickyNoteHeight));
    note->insertIntoDatabase(&story);
    StickyNotedb* record = note.get();
    story.stickyNotes().push_back(std::move(note));

    auto view = std::make_unique<StickyNoteView>(myParent(), &story, this, record);
    placeNote(*view, QRectF(origin, QSizeF(Geometry::kStickyNoteWidth, Geometry::kStickyNoteHeight)));
    StickyNoteView* shown = view.get();
    stickyNoteViews_.push_back(std::move(view));
    // The title is typed at once, replacing the one given.
    shown->tfTitle()->setFocus();
    shown->tfTitle()->selectAll();
    return shown;
}

QStringList GeneralNotesView::acceptedFiles(const QStringList& paths) const
{
    QStringList accepted;
    for (const QString& path : paths) {
        const QFileInfo file(path);
        if (!file.exists())
            continue;
        if (file.isDir()) {
            tell(kAddAttachment, QStringLiteral("%1 is a directory. Please select individual files.").arg(path));
        } else if (file.suffix() == QLatin1String("app")) {
            tell(kAddAttachment, QStringLiteral("%1 is an application and applications are not allowed.").arg(path));
        } else if (!file.isFile() || !file.isReadable()) {
            tell(kAddAttachment, unreadable(path));
        } else {
            accepted.append(path);
        }
    }
    return accepted;
}

AttachedObjectView* GeneralNotesView::createAttachmentFromFile(const QString& path, const QPointF& point)
{
    QFile file(path);
    std::optional<AttachmentContent::Content> content;
    if (AttachmentContent::hasPictureExtension(path)) {
        if (!file.open(QIODevice::ReadOnly)) {
            tell(kAddAttachment, unreadable(path));
            return nullptr;
        }
        content = AttachmentContent::pictureContent(file.readAll());
        file.close();
    }
    // A picture that cannot be shown is kept as a file, so its content is still in the story.
    if (!content) {
        if (QFileInfo(path).size() > AttachmentContent::kLargeFileBytes
            && ask(QStringLiteral("Create Attachment"),
                   QStringLiteral("%1 is larger than 1MB. Do you still want to attach the file?").arg(path))
                   != AlertDefaultReturn)
            return nullptr;
        if (!file.open(QIODevice::ReadOnly)) {
            tell(kAddAttachment, unreadable(path));
            return nullptr;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            tell(kAddAttachment, unreadable(path));
            return nullptr;
        }
        content = AttachmentContent::fileContent(path, bytes);
    }
    auto record = std::make_unique<AttachedObjectdb>();
    const bool picture = content->objectType == AttachmentContent::kPicture;
    record->setTitle(picture ? QStringLiteral("New Attached Image") : QStringLiteral("New Attached File"));
    record->setFileName(path);
    record->setObjectType(content->objectType);
    const QPointF origin = picture ? QPointF(point.x() - kPictureHangLeft, point.y() - Geometry::kHangAbovePointer)
                                   : originFor(point, Geometry::kAttachmentWidth);
    return addAttachment(std::move(record), content->thumbnail, content->object, origin);
}

AttachedObjectView* GeneralNotesView::createAttachmentFromImageData(const QByteArray& data, const QPointF& point)
{
    const std::optional<AttachmentContent::Content> content = AttachmentContent::pictureContent(data);
    if (!content) {
        tell(kAddAttachment, QStringLiteral("The picture could not be read, so nothing was attached."));
        return nullptr;
    }
    auto record = std::make_unique<AttachedObjectdb>();
    record->setTitle(QStringLiteral("New Attached Image"));
    record->setObjectType(AttachmentContent::kPicture);
    return addAttachment(std::move(record), content->thumbnail, content->object,
                         QPointF(point.x() - kPictureHangLeft, point.y() - Geometry::kHangAbovePointer));
}

AttachedObjectView* GeneralNotesView::addAttachment(std::unique_ptr<AttachedObjectdb> record,
                                                    const QByteArray& thumbnail, const QByteArray& object,
                                                    const QPointF& origin)
{
    Screenplaydb& story = *screenplay();
    record->setScreenplayID(story.screenplayID());
    record->setCurrentView(1);
    placeNewRecord(*record, story, origin, QSize(Geometry::kAttachmentWidth, Geometry::kAttachmentHeight));
    {
        // The record and its two blobs are kept together or not at all.
        StoryTransaction transaction(story.database());
        record->insertIntoDatabase(&story);
        if (record->fileName().isEmpty()) {
            record->setFileName(QStringLiteral("ImageFile%1.jpg").arg(record->attachedObjectID()));
            record->save();
        }
        record->saveThumbnail(thumbnail);
        record->saveObjectFromImage(object);
        transaction.commit();
    }
    AttachedObjectdb* attachment = record.get();
    story.attachedObjects().push_back(std::move(record));

    auto view = std::make_unique<AttachedObjectView>(myParent(), &story, this, attachment);
    placeNote(*view, QRectF(origin, QSizeF(Geometry::kAttachmentWidth, Geometry::kAttachmentHeight)));
    view->refreshView();
    AttachedObjectView* shown = view.get();
    attachedObjectViews_.push_back(std::move(view));
    shown->tfTitle()->setFocus();
    shown->tfTitle()->selectAll();
    return shown;
}

// --- Deleting ----------------------------------------------------------------------------------

void GeneralNotesView::deleteStickyNoteID(std::int64_t stickyNoteID)
{
    if (ask(QStringLiteral("Delete Note"), QStringLiteral("Are you sure you want to delete the note?"))
        != AlertDefaultReturn)
        return;
    const auto found = std::find_if(stickyNoteViews_.begin(), stickyNoteViews_.end(), [&](const auto& note) {
        return note->stickyNote()->stickyNoteID() == stickyNoteID;
    });
    if (found == stickyNoteViews_.end())
        return;
    // The note leaves the board only once its row is gone: a write the file refuses keeps it.
    screenplay()->deleteStickyNote((*found)->stickyNote());
    stickyNoteViews_.erase(found);
}

void GeneralNotesView::deleteAttachedObjectID(std::int64_t attachedObjectID)
{
    QString message = QStringLiteral("Are you sure you want to delete the attachment?");
    if (screenplay()->attachedObjectLinked(attachedObjectID))
        message += QStringLiteral("\n\nIt is attached to characters, locations, and/or scene cards.");
    if (ask(QStringLiteral("Delete Attachment"), message) != AlertDefaultReturn)
        return;
    const auto found = std::find_if(attachedObjectViews_.begin(), attachedObjectViews_.end(), [&](const auto& note) {
        return note->attachedObject()->attachedObjectID() == attachedObjectID;
    });
    if (found == attachedObjectViews_.end())
        return;
    myParent()->deleteAttachment(attachedObjectID);
    attachedObjectViews_.erase(found);
}

template <typename Side>
void GeneralNotesView::deleteLinkAtRow(std::int64_t row, const QPointF& point)
{
    typename Side::Item* item = nullptr;
    if constexpr (std::is_same_v<Side, CharacterSide>)
        item = myParent()->currentlyEditingCharacter();
    else
        item = myParent()->currentlyEditingLocation();
    // Two table rows show each link; a row of no link, or no item in the panel, changes nothing.
    if (!item || row < 0 || static_cast<std::size_t>(row / 2) >= Side::links(*item).size())
        return;
    AttachmentLinks::remove<Side>(*screenplay(), *item, static_cast<std::size_t>(row / 2));
    if constexpr (std::is_same_v<Side, CharacterSide>) {
        if (CharacterDetailView* panel = myParent()->characterDetailView())
            panel->refreshView();
    } else {
        if (LocationDetailView* panel = myParent()->locationDetailView())
            panel->refreshView();
    }
    showExplosionAt(point);
}

void GeneralNotesView::deleteCharacterAttachmentAtRow(std::int64_t row, const QPointF& point)
{
    deleteLinkAtRow<CharacterSide>(row, point);
}

void GeneralNotesView::deleteLocationAttachmentAtRow(std::int64_t row, const QPointF& point)
{
    deleteLinkAtRow<LocationSide>(row, point);
}

void GeneralNotesView::showExplosionAt(const QPointF& point)
{
    auto* explosion = new QLabel(boxBackground_);
    explosion->setObjectName(QStringLiteral("Explosion"));
    explosion->setGeometry(static_cast<int>(point.x()) - kExplosionSide / 2,
                           static_cast<int>(point.y()) - kExplosionSide / 2, kExplosionSide, kExplosionSide);
    explosion->setPixmap(boardImage(QStringLiteral("Explosion"))
                             .scaled(kExplosionSide, kExplosionSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    explosion->setAlignment(Qt::AlignCenter);
    explosion->show();
    explosion->raise();
    const QPointer<QLabel> shown(explosion);
    QTimer::singleShot(kExplosionMilliseconds, boxBackground_, [shown] { delete shown.data(); });
}

// --- Drops and pastes --------------------------------------------------------------------------

Qt::DropAction GeneralNotesView::dragOperationFor(const QMimeData* data, Qt::DropActions offered) const
{
    if (!data || data->formats().isEmpty())
        return Qt::IgnoreAction;
    if (data->hasUrls() || holdsPicture(data) || data->hasText()
        || data->hasFormat(QStringLiteral("text/rtf")) || data->hasFormat(QStringLiteral("application/rtf"))) {
        if (offered & Qt::LinkAction)
            return Qt::LinkAction;
        return (offered & Qt::CopyAction) ? Qt::CopyAction : Qt::IgnoreAction;
    }
    const bool linkRow = Pasteboard::offers(data, QString::fromLatin1(Pasteboard::kCharacterObject))
                         || Pasteboard::offers(data, QString::fromLatin1(Pasteboard::kSceneLocationObject));
    // Rows of another story's panels mean nothing here.
    if (linkRow && Pasteboard::comesFrom(data, myParent()) && (offered & Qt::MoveAction))
        return Qt::MoveAction;
    return Qt::IgnoreAction;
}

void GeneralNotesView::performDragOperation(const QMimeData* data, const QPointF& point)
{
    if (data->hasUrls()) {
        for (const QString& path : acceptedFiles(fileNames(data)))
            createAttachmentFromFile(path, point);
    } else if (holdsPicture(data)) {
        if (const auto bytes = pictureData(data))
            createAttachmentFromImageData(*bytes, point);
    } else if (data->hasText()) {
        createNoteCardFromText(data->text(), NoteRichText::ofPlainText(data->text()), point);
    } else if (!Pasteboard::comesFrom(data, myParent())) {
        return;
    } else if (const auto row = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kCharacterObject))) {
        deleteCharacterAttachmentAtRow(*row, point);
    } else if (const auto row = Pasteboard::value(data, QString::fromLatin1(Pasteboard::kSceneLocationObject))) {
        deleteLocationAttachmentAtRow(*row, point);
    }
}

void GeneralNotesView::pasteAt(const QPointF& point)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || data->formats().isEmpty())
        return;
    const QString title = QStringLiteral("Paste");
    if (data->hasUrls()) {
        const QStringList paths = fileNames(data);
        const QString question =
            QStringLiteral("Are you sure you want to create attachments from the %1 file(s) you have copied?");
        if (ask(title, question.arg(paths.size())) != AlertDefaultReturn)
            return;
        QPointF at = point;
        for (const QString& path : acceptedFiles(paths)) {
            if (createAttachmentFromFile(path, at))
                at += QPointF(kPasteStep, kPasteStep);
        }
    } else if (holdsPicture(data)) {
        if (ask(title, QStringLiteral("Are you sure you want to create an attachment from the image you have copied?"))
            != AlertDefaultReturn)
            return;
        if (const auto bytes = pictureData(QGuiApplication::clipboard()->mimeData()))
            createAttachmentFromImageData(*bytes, point);
    } else if (data->hasText()) {
        if (ask(title, QStringLiteral("Are you sure you want to create a note from the text you have copied?"))
            != AlertDefaultReturn)
            return;
        const QString text = QGuiApplication::clipboard()->text();
        createNoteCardFromText(text, NoteRichText::ofPlainText(text), point);
    }
}
