#include "NotesBoardFixture.h"

#include "app/MyDocument.h"
#include "board/BoardCardLayer.h"
#include "board/BoardView.h"
#include "board/ImageViewResponder.h"
#include "board/SceneCardView.h"
#include "board/RecordPasteboardType.h"
#include "model/AttachedObjectdb.h"
#include "model/Characterdb.h"
#include "model/DatabaseError.h"
#include "model/Screenplaydb.h"
#include "panes/AttachedObjectView.h"
#include "panes/AttachmentContent.h"
#include "panes/AttachmentLinks.h"
#include "panes/ItemSides.h"
#include "panes/GeneralNotesView.h"
#include "panes/ItemsTableView.h"
#include "scene_editor/BigSceneView.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QBuffer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>

#include <functional>

namespace {

QSize decodedSize(const std::optional<QByteArray>& bytes)
{
    return bytes ? QImage::fromData(*bytes).size() : QSize();
}

QByteArray pngBytes(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Drops what a recorded drag carried on `target` at `at`, as the pointer would let go of it
// there; answers whether the drop was taken.
bool dropRecorded(QWidget* target, const QPoint& at, const NotesBoardFixture::Drag& drag)
{
    QMimeData data;
    for (auto format = drag.formats.cbegin(); format != drag.formats.cend(); ++format)
        data.setData(format.key(), format.value());
    QDragEnterEvent enter(at, Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::LinkAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class AttachmentNotes : public NotesBoardFixture
{
protected:
    QString columns(const AttachedObjectView& note, const QString& names) const
    {
        return stored(QStringLiteral("SELECT %1 FROM AttachedObject WHERE AttachedObjectID = %2")
                          .arg(names)
                          .arg(note.attachedObject()->attachedObjectID()));
    }
    QString attachmentMime() const
    {
        return RecordPasteboardType::mimeType(QString::fromLatin1(RecordPasteboardType::kAttachedObject));
    }
};

TEST_F(AttachmentNotes, PicturesAreStoredWithinTheirLimits)
{
    GeneralNotesView& notes = openBoard();
    struct Row {
        QSize picture;
        QSize thumbnail;
        QSize stored;
        bool unchanged;
    };
    const Row rows[] = {
        {{300, 200}, {300, 200}, {300, 200}, true},     {{800, 400}, {400, 200}, {800, 400}, true},
        {{2048, 1024}, {400, 200}, {1024, 512}, false}, {{1000, 3000}, {400, 1200}, {341, 1024}, false},
        {{1024, 1024}, {400, 400}, {1024, 1024}, true}, {{1025, 1025}, {400, 400}, {1024, 1024}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.picture.width());
        const QString path =
            picture(QStringLiteral("p%1x%2.png").arg(row.picture.width()).arg(row.picture.height()), row.picture);
        AttachedObjectView* note = notes.createAttachmentFromFile(path, QPointF(500, 400));
        ASSERT_NE(note, nullptr);
        const AttachedObjectdb& record = *note->attachedObject();
        EXPECT_EQ(columns(*note, QStringLiteral("ObjectType || '|' || CurrentView || '|' || Title")),
                  "1|1|New Attached Image");
        const auto thumbnail = record.getThumbnail();
        EXPECT_EQ(decodedSize(thumbnail), row.thumbnail);
        EXPECT_TRUE(thumbnail->startsWith("\xff\xd8")) << "the thumbnail is a JPEG";
        const auto object = record.getFullImage();
        EXPECT_EQ(decodedSize(object), row.stored);
        QFile original(path);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        EXPECT_EQ(*object == original.readAll(), row.unchanged);
        if (!row.unchanged) {
            EXPECT_TRUE(object->startsWith("\xff\xd8")) << "a reduced picture is a JPEG";
        }
        // A picture note hangs 155 points left of the point and 9 above it.
        EXPECT_EQ(columns(*note, QStringLiteral("PositionLeft || ',' || PositionTop || ',' || SizeWidth || 'x' || "
                                                "SizeHeight")),
                  "345,391,311x148");
    }
}

TEST_F(AttachmentNotes, FilesAboveTheLimitAreAttachedOnlyAfterAQuestion)
{
    GeneralNotesView& notes = openBoard();
    struct Row {
        qint64 bytes;
        std::optional<int> answer;
        bool attached;
    };
    const Row rows[] = {{1024000, std::nullopt, true}, {1024001, AlertAlternateReturn, false},
                        {1024001, AlertDefaultReturn, true}};
    int made = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes);
        fakes_.alerts->shown.clear();
        if (row.answer)
            fakes_.alerts->answers = {*row.answer};
        const QString path = file(QStringLiteral("draft%1.pdf").arg(row.bytes), QByteArray(row.bytes, 'x'));
        AttachedObjectView* note = notes.createAttachmentFromFile(path, QPointF(500, 400));
        ASSERT_EQ(fakes_.alerts->shown.size(), row.answer ? 1u : 0u);
        if (row.answer) {
            EXPECT_EQ(fakes_.alerts->shown.front().title, "Create Attachment");
            EXPECT_EQ(fakes_.alerts->shown.front().message,
                      path + " is larger than 1MB. Do you still want to attach the file?");
        }
        EXPECT_EQ(note != nullptr, row.attached);
        made += row.attached ? 1 : 0;
        EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), made);
        if (!note)
            continue;
        EXPECT_EQ(columns(*note, QStringLiteral("ObjectType || '|' || Title || '|' || length(AttachedObject)")),
                  QStringLiteral("2|New Attached File|%1").arg(row.bytes));
        EXPECT_FALSE(QImage::fromData(*note->attachedObject()->getThumbnail()).isNull());
    }
}

TEST_F(AttachmentNotes, APictureThatCannotBeShownIsKeptAsAFile)
{
    GeneralNotesView& notes = openBoard();
    struct Row {
        QString name;
        QByteArray bytes;
        std::int64_t type;
    };
    // A metafile header with no drawing the program can decode, and a real picture under a
    // capitalised extension.
    const Row rows[] = {
        {QStringLiteral("map.wmf"),
         QByteArray::fromHex("d7cdc69a0000000000000000000000000000") + QByteArray(200, '\1'), 2},
        {QStringLiteral("broken.png"), QByteArray("not a picture at all"), 2},
        {QStringLiteral("SHOT.JPG"), QByteArray(), 1},
        {QStringLiteral("scan.tiff"), QByteArray(), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        const char* format = row.name.endsWith(QLatin1String(".tiff")) ? "TIFF" : "JPG";
        const QString path =
            row.bytes.isEmpty() ? picture(row.name, QSize(120, 80), format) : file(row.name, row.bytes);
        AttachedObjectView* note = notes.createAttachmentFromFile(path, QPointF(500, 400));
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->attachedObject()->objectType(), row.type);
        QFile original(path);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        EXPECT_EQ(*note->attachedObject()->getFullImage(), bytes);
        EXPECT_FALSE(QImage::fromData(*note->attachedObject()->getThumbnail()).isNull());
        const QString stored = QStringLiteral("length(Thumbnail) > 0 AND length(AttachedObject) = %1");
        EXPECT_EQ(columns(*note, stored.arg(bytes.size())), "1");
    }
}

TEST_F(AttachmentNotes, AnAttachmentWhoseContentCannotBeWrittenLeavesNothingBehind)
{
    GeneralNotesView& notes = openBoard();
    SqlProbe::exec(document_->database(),
                   QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE OF AttachedObject ON main.AttachedObject "
                                  "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    EXPECT_THROW(notes.createAttachmentFromFile(file(QStringLiteral("a.txt"), "a"), QPointF(400, 300)),
                 DatabaseError);
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 0);
    EXPECT_TRUE(screenplay().attachedObjects().empty());
    EXPECT_TRUE(notes.attachedObjectViews().empty());
}

TEST_F(AttachmentNotes, PastedPictureDataIsKeptAsPastedUnderAJpgName)
{
    GeneralNotesView& notes = openBoard();
    const QByteArray bytes = pngBytes(QSize(200, 100));
    AttachedObjectView* note = notes.createAttachmentFromImageData(bytes, QPointF(400, 300));
    ASSERT_NE(note, nullptr);
    const std::int64_t key = note->attachedObject()->attachedObjectID();
    EXPECT_EQ(columns(*note, QStringLiteral("FileName || '|' || ObjectType")),
              QStringLiteral("ImageFile%1.jpg|1").arg(key));
    EXPECT_EQ(*note->attachedObject()->getFullImage(), bytes);

    // Data that holds no picture is refused with a message.
    EXPECT_EQ(notes.createAttachmentFromImageData("garbage", QPointF(400, 300)), nullptr);
    ASSERT_FALSE(fakes_.alerts->shown.empty());
    EXPECT_EQ(fakes_.alerts->shown.back().title, "Add Attachment");
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 1);
}

TEST_F(AttachmentNotes, DoubleClicksSwitchAPictureAndOpenAFile)
{
    GeneralNotesView& notes = openBoard();
    AttachedObjectView* image = notes.createAttachmentFromFile(picture(QStringLiteral("still.png"), {600, 300}),
                                                               QPointF(500, 400));
    AttachedObjectView* file = notes.createAttachmentFromFile(this->file(QStringLiteral("notes.txt"), "text"),
                                                              QPointF(900, 400));
    ASSERT_TRUE(image && file);

    doubleClick(image->imgImage(), QPointF(5, 5));
    EXPECT_EQ(columns(*image, QStringLiteral("CurrentView")), "2");
    EXPECT_TRUE(image->imgFullImage()->isVisibleTo(image->view()));
    EXPECT_FALSE(image->txtDescription()->isVisibleTo(image->view()));

    // A resize in full view is kept apart from the thumbnail's size.
    press(image->imgResize(), QPointF(6, 6));
    drag(image->imgResize(), QPointF(6 + 100, 6 + 60));
    release(image->imgResize(), QPointF(6 + 100, 6 + 60));
    EXPECT_EQ(columns(*image, QStringLiteral("SizeWidth || 'x' || SizeHeight || '|' || LastFullImageWidth || 'x' || "
                                             "LastFullImageHeight")),
              "311x148|411x208");

    doubleClick(image->imgFullImage(), QPointF(5, 5));
    EXPECT_EQ(columns(*image, QStringLiteral("CurrentView")), "1");
    EXPECT_EQ(image->view()->size(), QSize(311, 148));
    // A single click switches nothing.
    press(image->imgImage(), QPointF(5, 5));
    release(image->imgImage(), QPointF(5, 5));
    EXPECT_EQ(columns(*image, QStringLiteral("CurrentView")), "1");

    doubleClick(file->imgImage(), QPointF(5, 5));
    EXPECT_EQ(columns(*file, QStringLiteral("CurrentView")), "1");
    ASSERT_EQ(fakes_.workspace->openedFiles.size(), 1);
    EXPECT_TRUE(fakes_.workspace->openedFiles.front().endsWith(QLatin1String(".txt")));
}

TEST_F(AttachmentNotes, TheTackArmsWithControlOrTheRightButtonAndDragsTheAttachmentOut)
{
    GeneralNotesView& notes = openBoard();
    AttachedObjectView* note = notes.createAttachmentFromFile(file(QStringLiteral("a.txt"), "a"), QPointF(500, 400));
    ASSERT_NE(note, nullptr);
    ImageViewResponder* tack = note->imgThumbTack();
    const QPointF hold(11, 11);

    // A Control-press arms; releasing with Control held disarms.
    press(tack, hold, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(note->readyToDrag());
    EXPECT_EQ(tack->imageName(), "BlueThumbUp");
    release(tack, hold, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_FALSE(note->readyToDrag());
    EXPECT_EQ(tack->imageName(), "BlueThumbDown");
    EXPECT_TRUE(drags_.empty());

    // The right button arms while it is held: released without a drag it disarms.
    press(tack, hold, Qt::RightButton);
    EXPECT_TRUE(note->readyToDrag());
    release(tack, hold, Qt::RightButton);
    EXPECT_FALSE(note->readyToDrag());

    // Held and dragged, it takes the attachment out of the board; the note stays in place.
    const QRectF before = note->frame();
    press(tack, hold, Qt::RightButton);
    drag(tack, hold + QPointF(30, 40), Qt::RightButton);
    ASSERT_EQ(drags_.size(), 1u);
    EXPECT_EQ(drags_.front().formats.value(attachmentMime()),
              QByteArray::number(static_cast<qlonglong>(note->attachedObject()->attachedObjectID())));
    EXPECT_EQ(note->frame(), before);
    EXPECT_FALSE(note->readyToDrag());
    release(tack, hold, Qt::RightButton);
}

TEST_F(AttachmentNotes, AnArmedNotesTackStaysUpUntilThePaneThatTakesTheAttachmentSetsItDown)
{
    // The notes board, the characters list and the board with its beat cards, all showing.
    const QString path =
        story(QStringLiteral("Tacks"),
              QStringLiteral("WindowState = 101111, ParentWindowWidth = 1400, ParentWindowHeight = 900, "
                             "GeneralNotesSplitterDistance = 60, BeatSectionShowing = 1"),
              true);
    ASSERT_NE(open(path), nullptr);
    Screenplaydb& story = screenplay();
    auto character = std::make_unique<Characterdb>();
    character->setScreenplayID(story.screenplayID());
    character->setCharacterName(QStringLiteral("NORA"));
    character->insertIntoDatabase(&story);
    story.characters().push_back(std::move(character));
    ASSERT_NE(document_->charactersTableView(), nullptr);
    document_->charactersTableView()->refreshView();
    ASSERT_FALSE(document_->sceneCardControls().empty());
    AttachedObjectView* note = board().createAttachmentFromFile(file(QStringLiteral("a.txt"), "a"), QPointF(500, 400));
    ASSERT_NE(note, nullptr);
    ImageViewResponder* tack = note->imgThumbTack();
    const QPointF hold(11, 11);

    struct Row {
        const char* pane;
        bool controlArmed;                            // armed by a Control-press, dragged by a plain press
        std::function<std::pair<QWidget*, QPoint>()> target;
        bool taken;                                   // false: refused as attached already
    };
    const auto onFirstCard = [this] {
        const SceneCardView& card = *document_->sceneCardControls().front();
        return std::make_pair<QWidget*, QPoint>(document_->boardView()->cardLayer(), card.boardFrame().center());
    };
    const Row rows[] = {
        {"a card on the board", false, onFirstCard, true},
        {"the same card again", true, onFirstCard, false},
        {"a character of the list", false,
         [this] {
             QTableView* table = document_->charactersTableView()->tvTable();
             return std::make_pair<QWidget*, QPoint>(table->viewport(),
                                                     table->visualRect(table->model()->index(0, 1)).center());
         },
         true},
        {"the large scene card", true,
         [this, &story] {
             document_->openBigSceneCard(story.sceneCards().back().get(), 1);
             settle();
             return std::make_pair<QWidget*, QPoint>(document_->bigSceneViewController()->contentView(),
                                                     QPoint(200, 200));
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pane);
        drags_.clear();
        fakes_.alerts->shown.clear();
        const auto [target, at] = row.target();
        ASSERT_NE(target, nullptr);
        if (row.controlArmed) {
            press(tack, hold, Qt::LeftButton, Qt::ControlModifier);
            release(tack, hold);
            ASSERT_TRUE(note->readyToDrag());
            press(tack, hold);
        } else {
            press(tack, hold, Qt::RightButton);
            drag(tack, hold + QPointF(30, 40), Qt::RightButton);
        }
        ASSERT_EQ(drags_.size(), 1u);
        EXPECT_FALSE(note->readyToDrag());
        EXPECT_EQ(tack->imageName(), "BlueThumbUp") << "while the attachment is on its way";
        EXPECT_EQ(dropRecorded(target, at, drags_.front()), row.taken);
        EXPECT_EQ(tack->imageName(), "BlueThumbDown");
        EXPECT_EQ(fakes_.alerts->shown.size(), row.taken ? 0u : 1u);
        release(tack, hold, row.controlArmed ? Qt::LeftButton : Qt::RightButton);
    }
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("SceneCardObject")), 2);
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("CharacterObject")), 1);
}

TEST_F(AttachmentNotes, MovingUpPastTheVisibleTopDragsTheAttachmentOut)
{
    GeneralNotesView& notes = openBoard();
    AttachedObjectView* note = notes.createAttachmentFromFile(file(QStringLiteral("a.txt"), "a"), QPointF(500, 100));
    ASSERT_NE(note, nullptr);
    const QRectF start = note->frame();
    ASSERT_EQ(start.topLeft(), QPointF(344.5, 91));
    ImageViewResponder* tack = note->imgThumbTack();
    const QPointF hold(11, 11);
    press(tack, hold);
    drag(tack, hold + QPointF(10, -50));
    EXPECT_EQ(note->frame().topLeft(), QPointF(354.5, 41));
    EXPECT_TRUE(drags_.empty());
    // Reaching y 0 with the board scrolled to its top: back to the start, and out as a drag.
    drag(tack, hold + QPointF(0, -60));
    ASSERT_EQ(drags_.size(), 1u);
    EXPECT_TRUE(drags_.front().formats.contains(attachmentMime()));
    EXPECT_EQ(note->frame(), start);
    EXPECT_FALSE(note->moving());
    release(tack, hold);
    EXPECT_EQ(columns(*note, QStringLiteral("PositionLeft || ',' || PositionTop")), "344,91");
}

TEST_F(AttachmentNotes, DeletingAnAttachmentNamesItsLinksAndAsksFirst)
{
    GeneralNotesView& notes = openBoard();
    Screenplaydb& story = screenplay();
    AttachedObjectView* note = notes.createAttachmentFromFile(file(QStringLiteral("a.txt"), "a"), QPointF(500, 400));
    const std::int64_t key = note->attachedObject()->attachedObjectID();
    const QString question = QStringLiteral("Are you sure you want to delete the attachment?");

    fakes_.alerts->answers = {AlertAlternateReturn};
    notes.deleteAttachedObjectID(key);
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown.back().title, "Delete Attachment");
    EXPECT_EQ(fakes_.alerts->shown.back().message, question);
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 1);

    auto character = std::make_unique<Characterdb>();
    character->setScreenplayID(story.screenplayID());
    character->insertIntoDatabase(&story);
    Characterdb* owner = character.get();
    story.characters().push_back(std::move(character));
    AttachmentLinks::link<CharacterSide>(story, owner, key);

    fakes_.alerts->answers = {AlertDefaultReturn};
    note->cmdDelete()->click();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 2u);
    EXPECT_EQ(fakes_.alerts->shown.back().message,
              question + "\n\nIt is attached to characters, locations, and/or scene cards.");
    EXPECT_TRUE(notes.attachedObjectViews().empty());
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 0);
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("CharacterObject")), 0);
}

TEST_F(AttachmentNotes, ADeleteTheFileRefusesKeepsTheNoteItsLinksAndTheRecord)
{
    GeneralNotesView& notes = openBoard();
    Screenplaydb& story = screenplay();
    AttachedObjectView* note = notes.createAttachmentFromFile(file(QStringLiteral("a.txt"), "a"), QPointF(500, 400));
    const std::int64_t key = note->attachedObject()->attachedObjectID();
    auto character = std::make_unique<Characterdb>();
    character->setScreenplayID(story.screenplayID());
    character->insertIntoDatabase(&story);
    Characterdb* owner = character.get();
    story.characters().push_back(std::move(character));
    AttachmentLinks::link<CharacterSide>(story, owner, key);
    // The links go first, then the attachment's own row, which the file refuses.
    SqlProbe::exec(document_->database(), QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON "
                                                         "main.AttachedObject BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    fakes_.alerts->answers = {AlertDefaultReturn};
    note->cmdDelete()->click();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 2u);
    EXPECT_TRUE(fakes_.alerts->shown.back().message.contains(QStringLiteral("disk full")));
    ASSERT_EQ(notes.attachedObjectViews().size(), 1u);
    EXPECT_EQ(notes.attachedObjectViews().front().get(), note);
    EXPECT_EQ(story.attachmentForID(key), note->attachedObject());
    EXPECT_EQ(story.characterObjects().size(), 1u);
    EXPECT_EQ(owner->characterObjects().size(), 1u);
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("CharacterObject")), 1);
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 1);
}
