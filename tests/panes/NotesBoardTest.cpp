#include "NotesBoardFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/ImageViewResponder.h"
#include "board/RecordPasteboardType.h"
#include "model/AttachedObjectdb.h"
#include "model/CharacterObjectdb.h"
#include "model/RichText.h"
#include "model/Characterdb.h"
#include "model/Screenplaydb.h"
#include "model/StickyNotedb.h"
#include "model/StoryFile.h"
#include "panes/AttachedObjectView.h"
#include "panes/AttachmentLinks.h"
#include "panes/GeneralNotesView.h"
#include "panes/GreenlightChecklist.h"
#include "panes/ItemSides.h"
#include "panes/NotesBoardGeometry.h"
#include "panes/StickyNoteView.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <QTextCursor>
#include <QTextEdit>
#include <QTest>

namespace Geometry = NotesBoardGeometry;

// --- Numbers without widgets -------------------------------------------------------------------

TEST(NotesBoardGeometry, TheChecklistGetsItsRoomOnceAndStaysWhereItWas)
{
    struct Row {
        std::int64_t width, height;
        float horizontal, vertical;
        std::int64_t grownWidth, grownHeight;
    };
    const Row rows[] = {
        {1900, 1600, 0.8f, 0.01f, 2097, 2010}, // 1520 + 577; 16 + 1994
        {1900, 1600, 0.5f, 0.01f, 1900, 2010}, // 950 + 577 fits
        {1900, 2500, 0.01f, 0.2f, 1900, 2500}, // 500 + 1994 fits
        {1900, 2500, 0.01f, 0.3f, 1900, 2744}, // 750 + 1994
        {600, 1600, 0.0f, 0.0f, 600, 1994},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.horizontal);
        const Geometry::BoardRoom first =
            Geometry::withChecklistRoom({row.width, row.height, row.horizontal, row.vertical});
        EXPECT_EQ(first.width, row.grownWidth);
        EXPECT_EQ(first.height, row.grownHeight);
        // The checklist keeps its place on the board in points.
        const auto points = [](float fraction, std::int64_t extent) { return fraction * static_cast<float>(extent); };
        EXPECT_NEAR(points(first.checklistHorizontal, first.width), points(row.horizontal, row.width), 0.01);
        EXPECT_NEAR(points(first.checklistVertical, first.height), points(row.vertical, row.height), 0.01);
        // A second layout finds the room there and changes nothing.
        const Geometry::BoardRoom second = Geometry::withChecklistRoom(first);
        EXPECT_EQ(second.width, first.width);
        EXPECT_EQ(second.height, first.height);
        EXPECT_EQ(second.checklistHorizontal, first.checklistHorizontal);
        EXPECT_EQ(second.checklistVertical, first.checklistVertical);
    }
}

TEST(NotesBoardGeometry, AResizeKeepsEachSideAtItsLeast)
{
    struct Row {
        QPointF step;
        QSizeF expected;
    };
    const QSizeF size(218, 148);
    const Row rows[] = {
        {{20, 30}, {238, 178}},
        {{-58, 0}, {160, 148}},   // exactly the least width
        {{-59, 30}, {218, 178}},  // narrower than 160: the width stays, the height applies
        {{40, -38}, {258, 110}},  // exactly the least height
        {{40, -39}, {258, 148}},  // lower than 110: the height stays
        {{-100, -100}, {218, 148}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step.x());
        EXPECT_EQ(Geometry::resizedSize(size, row.step), row.expected);
    }
}

TEST(NotesBoardGeometry, PicturesAreReducedByTheirSize)
{
    struct Row {
        QSizeF picture;
        QSizeF thumbnail;
        std::optional<QSizeF> stored;
    };
    const Row rows[] = {
        {{300, 200}, {300, 200}, std::nullopt},
        {{800, 400}, {400, 200}, std::nullopt},
        {{2048, 1024}, {400, 200}, QSizeF(1024, 512)},
        {{1000, 3000}, {400, 1200}, QSizeF(1024.0 / 3.0, 1024)},
        {{1024, 1024}, {400, 400}, std::nullopt},
        {{1025, 1025}, {400, 400}, QSizeF(1024, 1024)},
        {{399, 2000}, {399, 2000}, QSizeF(1024.0 / (2000.0 / 399.0), 1024)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.picture.width());
        const QSizeF thumbnail = Geometry::thumbnailSize(row.picture);
        EXPECT_NEAR(thumbnail.width(), row.thumbnail.width(), 0.01);
        EXPECT_NEAR(thumbnail.height(), row.thumbnail.height(), 0.01);
        const auto stored = Geometry::reducedPictureSize(row.picture);
        ASSERT_EQ(stored.has_value(), row.stored.has_value());
        if (stored) {
            EXPECT_NEAR(stored->width(), row.stored->width(), 0.01);
            EXPECT_NEAR(stored->height(), row.stored->height(), 0.01);
        }
    }
}

// --- The board in a story window ---------------------------------------------------------------

class NotesBoard : public NotesBoardFixture
{
protected:
    QString noteColumns(std::int64_t key, const QString& columns) const
    {
        return stored(QStringLiteral("SELECT %1 FROM StickyNote WHERE StickyNoteID = %2").arg(columns).arg(key));
    }
    QString attachmentColumns(std::int64_t key, const QString& columns) const
    {
        return stored(
            QStringLiteral("SELECT %1 FROM AttachedObject WHERE AttachedObjectID = %2").arg(columns).arg(key));
    }
    std::vector<QString> attachmentPlaces() const
    {
        std::vector<QString> places;
        const QString place = QStringLiteral("PositionLeft || ',' || PositionTop");
        for (const auto& attachment : screenplay().attachedObjects())
            places.push_back(attachmentColumns(attachment->attachedObjectID(), place));
        return places;
    }
};

TEST_F(NotesBoard, TheBoardGrowsForTheChecklistOnceAndASecondLayoutKeepsIt)
{
    GeneralNotesView& notes = openBoard(QStringLiteral("GreenlightChecklistPercentageHorizontal = 0.8"));
    EXPECT_EQ(screenplay().generalNotesWidth(), 2097);
    EXPECT_EQ(notes.view()->width(), 2097);
    const float place = screenplay().greenlightChecklistPercentageHorizontal() * 2097.0f;
    EXPECT_NEAR(place, 1520.0f, 0.01f);

    notes.refreshView();
    notes.refreshView();
    EXPECT_EQ(screenplay().generalNotesWidth(), 2097);
    EXPECT_EQ(notes.view()->width(), 2097);
    screenplay().save();
    EXPECT_EQ(stored(QStringLiteral("SELECT GeneralNotesWidth FROM Screenplay")), "2097");
}

TEST_F(NotesBoard, ABoardSmallerThanItsScrollViewGrowsToItAndIsWritten)
{
    GeneralNotesView& notes = openBoard(QStringLiteral("GeneralNotesWidth = 700, GeneralNotesHeight = 2500"));
    const QSize shown = document_->scrNotes()->viewport()->size();
    ASSERT_GT(shown.width(), 700);
    EXPECT_EQ(notes.view()->width(), shown.width());
    EXPECT_EQ(stored(QStringLiteral("SELECT GeneralNotesWidth || 'x' || GeneralNotesHeight FROM Screenplay")),
              QStringLiteral("%1x2500").arg(shown.width()));
}

TEST_F(NotesBoard, AnAttachmentWithoutASizeIsLaidOutAtTheNoteSizeAndStoredSo)
{
    openBoard();
    Screenplaydb& story = screenplay();
    auto record = std::make_unique<AttachedObjectdb>();
    record->setScreenplayID(story.screenplayID());
    record->setObjectType(2);
    record->setCurrentView(1);
    record->setPercentageHorizontal(0.1f);
    record->setPercentageVertical(0.2f);
    record->insertIntoDatabase(&story);
    const std::int64_t key = record->attachedObjectID();
    story.attachedObjects().push_back(std::move(record));

    board().refreshView();
    ASSERT_EQ(board().attachedObjectViews().size(), 1u);
    const QWidget* card = board().attachedObjectViews().front()->view();
    EXPECT_EQ(card->size(), QSize(311, 148));
    EXPECT_EQ(card->pos(), QPoint(static_cast<int>(0.1f * static_cast<float>(story.generalNotesWidth())),
                                  static_cast<int>(0.2f * static_cast<float>(story.generalNotesHeight()))));
    EXPECT_EQ(attachmentColumns(key, QStringLiteral("SizeWidth || 'x' || SizeHeight")), "311x148");
}

TEST_F(NotesBoard, AStickyNoteIsLaidOutTallEnoughForItsTextWithoutStoringIt)
{
    openBoard();
    StickyNoteView* note = board().createNoteCardFromText(QString(QStringLiteral("line\n")).repeated(30), QString(),
                                                          QPointF(400, 300));
    ASSERT_NE(note, nullptr);
    const std::int64_t key = note->stickyNote()->stickyNoteID();
    board().refreshView();
    const QWidget* card = board().stickyNoteViews().front()->view();
    EXPECT_GT(card->height(), 148 + 100);
    EXPECT_EQ(noteColumns(key, QStringLiteral("SizeHeight")), "148");
}

TEST_F(NotesBoard, ADoubleClickPinsANewNoteUnderThePointerWithItsTitleFocused)
{
    GeneralNotesView& notes = openBoard();
    document_->window()->show();
    // The cork itself says how.
    EXPECT_TRUE(notes.boxBackground()->toolTip().contains(QStringLiteral("Double-click")));
    EXPECT_TRUE(notes.boxBackground()->toolTip().contains(QStringLiteral("sticky note")));
    QTest::mouseDClick(notes.boxBackground(), Qt::LeftButton, {}, QPoint(500, 400));
    ASSERT_EQ(notes.stickyNoteViews().size(), 1u);
    StickyNoteView& note = *notes.stickyNoteViews().front();
    const std::int64_t key = note.stickyNote()->stickyNoteID();
    EXPECT_EQ(noteColumns(key, QStringLiteral("Title || '|' || Color || '|' || PositionLeft || ',' || PositionTop")),
              "New Note Card|1|391,391");
    EXPECT_EQ(note.view()->pos(), QPoint(391, 391));
    EXPECT_TRUE(note.tfTitle()->hasFocus());

    QTest::keyClicks(note.tfTitle(), QStringLiteral("Act two turns"));
    QTest::keyClick(note.tfTitle(), Qt::Key_Return);
    EXPECT_EQ(noteColumns(key, QStringLiteral("Title")), "Act two turns");
}

TEST_F(NotesBoard, ANoteMovedByItsTackStoresWholePointsAndTheirFractions)
{
    GeneralNotesView& notes = openBoard(QStringLiteral("GeneralNotesWidth = 1900, GeneralNotesHeight = 2100"));
    StickyNoteView* note = notes.addStickyNoteWith(QPointF(209, 209));
    ASSERT_NE(note, nullptr);
    const std::int64_t key = note->stickyNote()->stickyNoteID();
    ASSERT_EQ(note->frame().topLeft(), QPointF(100, 200));

    moveByTack(*note, QPointF(850.7, 0.4));
    EXPECT_NEAR(note->frame().x(), 950.7, 0.001);
    EXPECT_FALSE(note->moving());
    EXPECT_EQ(noteColumns(key, QStringLiteral("PositionLeft || ',' || PositionTop")), "950,200");
    EXPECT_EQ(noteColumns(key, QStringLiteral("PercentageHorizontal")).toFloat(), 0.5f);
    EXPECT_EQ(note->imgThumbTack()->imageName(), "BlueThumbDown");

    // Past the right edge it stops 3 points inside the board.
    moveByTack(*note, QPointF(5000, 0));
    EXPECT_EQ(noteColumns(key, QStringLiteral("PositionLeft")), QString::number(1900 - 218 - 3));
}

TEST_F(NotesBoard, AResizeNarrowerThanTheLeastKeepsTheWidthButTakesTheHeight)
{
    GeneralNotesView& notes = openBoard();
    StickyNoteView* note = notes.addStickyNoteWith(QPointF(400, 400));
    const std::int64_t key = note->stickyNote()->stickyNoteID();
    ImageViewResponder* handle = note->imgResize();
    press(handle, QPointF(6, 6));
    drag(handle, QPointF(6 - 100, 6 + 30));
    release(handle, QPointF(6 - 100, 6 + 30));
    EXPECT_EQ(note->view()->size(), QSize(218, 178));
    EXPECT_EQ(noteColumns(key, QStringLiteral("SizeWidth || 'x' || SizeHeight")), "218x178");

    press(handle, QPointF(6, 6));
    drag(handle, QPointF(6 + 40, 6 - 100));
    release(handle, QPointF(6 + 40, 6 - 100));
    EXPECT_EQ(noteColumns(key, QStringLiteral("SizeWidth || 'x' || SizeHeight")), "258x178");
}

TEST_F(NotesBoard, DeletingANoteAsksFirst)
{
    GeneralNotesView& notes = openBoard();
    StickyNoteView* note = notes.addStickyNoteWith(QPointF(400, 400));
    const std::int64_t key = note->stickyNote()->stickyNoteID();

    fakes_.alerts->answers = {AlertAlternateReturn};
    note->cmdDelete()->click();
    settle();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown.back().title, "Delete Note");
    EXPECT_EQ(fakes_.alerts->shown.back().message, "Are you sure you want to delete the note?");
    EXPECT_EQ(fakes_.alerts->shown.back().defaultButton, "Yes");
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("StickyNote")), 1);

    fakes_.alerts->answers = {AlertDefaultReturn};
    notes.stickyNoteViews().front()->cmdDelete()->click();
    settle();
    EXPECT_TRUE(notes.stickyNoteViews().empty());
    EXPECT_TRUE(screenplay().stickyNotes().empty());
    EXPECT_EQ(noteColumns(key, QStringLiteral("count(*)")), "0");

    // An id of no note changes nothing after the question.
    notes.addStickyNoteWith(QPointF(300, 300));
    notes.deleteStickyNoteID(key + 100);
    EXPECT_EQ(notes.stickyNoteViews().size(), 1u);
}

TEST_F(NotesBoard, BringingANoteToTheFrontKeepsTheOthersInOrder)
{
    GeneralNotesView& notes = openBoard();
    std::vector<StickyNoteView*> made;
    for (int i = 0; i < 4; ++i)
        made.push_back(notes.addStickyNoteWith(QPointF(300 + 20 * i, 300)));
    const auto stacking = [&notes, &made] {
        std::vector<int> order;
        for (const QObject* child : notes.boxBackground()->children())
            for (std::size_t i = 0; i < made.size(); ++i)
                if (child == made[i]->view())
                    order.push_back(static_cast<int>(i));
        return order;
    };
    notes.popToTheTop(made[1]);
    EXPECT_EQ(stacking(), (std::vector<int>{0, 2, 3, 1}));
    // Clicking into a note's text brings it to the front too.
    QTest::mouseClick(made[0]->txtDescription()->viewport(), Qt::LeftButton);
    EXPECT_EQ(stacking(), (std::vector<int>{2, 3, 1, 0}));
}

TEST_F(NotesBoard, TheChecklistLiesAboveTheNotesAtFirstAndBelowThemAfterTheNextLayout)
{
    GeneralNotesView& notes = openBoard(
        QString(), QStringLiteral("INSERT INTO StickyNote (ScreenplayID, Title, PercentageHorizontal, "
                                  "PercentageVertical, SizeWidth, SizeHeight, Color) SELECT ScreenplayID, 'Plant', "
                                  "0.01, 0.01, 218, 148, 3 FROM Screenplay"));
    ASSERT_NE(notes.greenlightChecklist(), nullptr);
    const QWidget* checklist = notes.greenlightChecklist()->view();
    const auto topmost = [&notes] { return notes.boxBackground()->children().back(); };
    EXPECT_EQ(checklist->parentWidget(), notes.boxBackground());
    // At 0.01 of the board as stored, 1900 x 1600: the board grew below it to 2010 to make room.
    EXPECT_EQ(checklist->pos(), QPoint(19, 16));
    EXPECT_EQ(screenplay().generalNotesHeight(), 2010);
    EXPECT_EQ(topmost(), checklist);

    notes.refreshView();
    EXPECT_EQ(notes.greenlightChecklist()->view(), checklist);
    ASSERT_EQ(notes.stickyNoteViews().size(), 1u);
    EXPECT_EQ(topmost(), notes.stickyNoteViews().front()->view());
}

TEST_F(NotesBoard, TheChecklistOpensAtTheWholePointItWasPutAt)
{
    // The board is 1900 x 2500, room enough for the checklist anywhere below. A move stores the
    // panel's place as fractions of that size in single precision; several of these come back a
    // hair short of the point they were made from (16 / 1900 x 1900 is 15.999...).
    const QString layout = QStringLiteral("WindowState = 101111, ParentWindowWidth = 1400, ParentWindowHeight = 900, "
                                          "GeneralNotesSplitterDistance = 80, GeneralNotesHeight = 2500");
    const auto fraction = [](int point, int extent) {
        return QString::number(static_cast<double>(static_cast<float>(point) / static_cast<float>(extent)), 'g', 17);
    };
    const QPoint places[] = {{16, 7}, {245, 90}, {1, 14}, {512, 224}, {950, 100}, {0, 0}};
    int made = 0;
    for (const QPoint& place : places) {
        SCOPED_TRACE(QStringLiteral("%1, %2").arg(place.x()).arg(place.y()).toStdString());
        const QString path = story(QStringLiteral("Checklist%1").arg(++made),
                                   layout + QStringLiteral(", GreenlightChecklistPercentageHorizontal = %1, "
                                                           "GreenlightChecklistPercentageVertical = %2")
                                                .arg(fraction(place.x(), 1900), fraction(place.y(), 2500)));
        ASSERT_NE(open(path), nullptr);
        ASSERT_NE(board().greenlightChecklist(), nullptr);
        EXPECT_EQ(board().greenlightChecklist()->view()->pos(), place);
        document_->window()->close();
        settle();
    }

    // Moved there by its tack, it is there again when the story opens again.
    const QString path = story(QStringLiteral("ChecklistMoved"),
                               layout + QStringLiteral(", GreenlightChecklistPercentageHorizontal = 0.01, "
                                                       "GreenlightChecklistPercentageVertical = 0.01"));
    ASSERT_NE(open(path), nullptr);
    ImageViewResponder* tack = board().greenlightChecklist()->imgThumbTack();
    ASSERT_EQ(board().greenlightChecklist()->view()->pos(), QPoint(19, 25));
    const QPoint hold(12, 12);
    const QPoint start = tack->mapToGlobal(hold);
    QTest::mousePress(tack, Qt::LeftButton, {}, hold);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(tack, tack->mapFromGlobal(start + QPoint(-3, 199) * step / 4));
    QTest::mouseRelease(tack, Qt::LeftButton, {}, tack->mapFromGlobal(start + QPoint(-3, 199)));
    ASSERT_EQ(board().greenlightChecklist()->view()->pos(), QPoint(16, 224));
    document_->window()->close();
    settle();
    ASSERT_NE(open(path), nullptr);
    EXPECT_EQ(board().greenlightChecklist()->view()->pos(), QPoint(16, 224));
}

TEST_F(NotesBoard, NotesShowTheirFormattedTextAndStoreWhatIsTyped)
{
    GeneralNotesView& notes = openBoard(
        QString(),
        QStringLiteral("INSERT INTO StickyNote (ScreenplayID, Title, Note, TextNote, PercentageHorizontal, "
                       "PercentageVertical, SizeWidth, SizeHeight, Color) SELECT ScreenplayID, 'Rich', "
                       "'{\\rtf1\\ansi {\\b Bold} plain \\u1071?}', 'stale twin', 0.4, 0.1, 218, 148, 2 "
                       "FROM Screenplay; "
                       "INSERT INTO StickyNote (ScreenplayID, Title, Note, TextNote, PercentageHorizontal, "
                       "PercentageVertical, SizeWidth, SizeHeight, Color) SELECT ScreenplayID, 'Plain', '', "
                       "'only the twin', 0.6, 0.1, 218, 148, 4 FROM Screenplay; "
                       "INSERT INTO AttachedObject (ScreenplayID, Title, Description, TextDescription, ObjectType, "
                       "CurrentView, PercentageHorizontal, PercentageVertical, SizeWidth, SizeHeight, Color) "
                       "SELECT ScreenplayID, 'File', '', 'hidden twin', 2, 1, 0.4, 0.4, 311, 148, 1 FROM Screenplay"));
    ASSERT_EQ(notes.stickyNoteViews().size(), 2u);
    StickyNoteView& rich = *notes.stickyNoteViews()[0];
    StickyNoteView& plain = *notes.stickyNoteViews()[1];
    EXPECT_EQ(rich.txtDescription()->toPlainText(), QStringLiteral("Bold plain \u042f"));
    QTextCursor bold(rich.txtDescription()->document());
    bold.setPosition(2);
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    // A note without formatted text shows its plain twin; an attachment does not.
    EXPECT_EQ(plain.txtDescription()->toPlainText(), "only the twin");
    ASSERT_EQ(notes.attachedObjectViews().size(), 1u);
    EXPECT_EQ(notes.attachedObjectViews().front()->txtDescription()->toPlainText(), "");

    document_->window()->show();
    QTest::mouseClick(plain.txtDescription()->viewport(), Qt::LeftButton);
    QTest::keyClick(plain.txtDescription(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(plain.txtDescription(), QStringLiteral(" grows"));
    QTest::mouseClick(plain.tfTitle(), Qt::LeftButton);
    const std::int64_t key = plain.stickyNote()->stickyNoteID();
    EXPECT_EQ(stored(QStringLiteral("SELECT TextNote FROM StickyNote WHERE StickyNoteID = %1").arg(key)),
              "only the twin grows");
    const QString rtf = stored(QStringLiteral("SELECT Note FROM StickyNote WHERE StickyNoteID = %1").arg(key));
    EXPECT_TRUE(rtf.startsWith(QLatin1String("{\\rtf1")));
    EXPECT_EQ(rtfPlainText(rtf.toUtf8()), "only the twin grows");
}

TEST_F(NotesBoard, PastedFilesStepDownTheBoardAndDroppedOnesShareThePoint)
{
    GeneralNotesView& notes = openBoard();
    const QStringList paths{file(QStringLiteral("one.txt"), "1"), file(QStringLiteral("two.txt"), "22"),
                            file(QStringLiteral("three.txt"), "333")};
    QGuiApplication::clipboard()->setMimeData(filesData(paths).release());
    fakes_.alerts->answers = {AlertDefaultReturn};
    QTest::mouseClick(notes.boxBackground(), Qt::RightButton, {}, QPoint(600, 500));
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown.front().title, "Paste");
    EXPECT_EQ(fakes_.alerts->shown.front().message,
              "Are you sure you want to create attachments from the 3 file(s) you have copied?");
    // A file note hangs centred under the point: 600 - 311 / 2, 500 - 9.
    EXPECT_EQ(attachmentPlaces(), (std::vector<QString>{"444,491", "454,501", "464,511"}));

    const auto data = filesData(paths);
    notes.performDragOperation(data.get(), QPointF(600, 500));
    EXPECT_EQ(attachmentPlaces(), (std::vector<QString>{"444,491", "454,501", "464,511", "444,491", "444,491",
                                                        "444,491"}));
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 6);
    EXPECT_EQ(notes.attachedObjectViews().size(), 6u);
}

TEST_F(NotesBoard, DeclinedPastesAndRefusedPathsChangeNothing)
{
    GeneralNotesView& notes = openBoard();
    const QString folder = QDir(files_.path()).filePath(QStringLiteral("Research"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString bundle = QDir(files_.path()).filePath(QStringLiteral("Tool.app"));
    ASSERT_TRUE(QDir().mkpath(bundle));
    const QString kept = file(QStringLiteral("kept.txt"), "kept");
    const QStringList paths{QDir(files_.path()).filePath(QStringLiteral("missing.txt")), folder, bundle, kept};

    QGuiApplication::clipboard()->setMimeData(filesData(paths).release());
    fakes_.alerts->answers = {AlertAlternateReturn};
    notes.pasteAt(QPointF(500, 500));
    EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 0);

    // A missing path is skipped silently; a folder and an application are refused by name and
    // the remaining file still comes in.
    fakes_.alerts->shown.clear();
    fakes_.alerts->answers = {AlertDefaultReturn};
    notes.pasteAt(QPointF(500, 500));
    ASSERT_EQ(fakes_.alerts->shown.size(), 3u);
    EXPECT_EQ(fakes_.alerts->shown[1].title, "Add Attachment");
    EXPECT_EQ(fakes_.alerts->shown[1].message, folder + " is a directory. Please select individual files.");
    EXPECT_EQ(fakes_.alerts->shown[2].message, bundle + " is a directory. Please select individual files.");
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 1);
    EXPECT_EQ(stored(QStringLiteral("SELECT FileName FROM AttachedObject")), kept);
}

TEST_F(NotesBoard, TextBecomesANoteAndRtfAloneIsTakenButMakesNothing)
{
    GeneralNotesView& notes = openBoard();
    struct Row {
        const char* what;
        std::function<void(QMimeData&)> fill;
        Qt::DropAction answer;
        int notes;
    };
    const Row rows[] = {
        {"plain text", [](QMimeData& data) { data.setText(QStringLiteral("Keep the dog alive")); }, Qt::LinkAction, 1},
        {"rich text only", [](QMimeData& data) { data.setData(QStringLiteral("text/rtf"), "{\\rtf1 x}"); },
         Qt::LinkAction, 1},
        {"nothing the board knows", [](QMimeData& data) { data.setData(QStringLiteral("application/x-other"), "x"); },
         Qt::IgnoreAction, 1},
        {"a card of the board", [this](QMimeData& data) {
             const QString type = QString::fromLatin1(RecordPasteboardType::kSceneCard);
             const auto card = RecordPasteboardType::makeDragData(type, 3, document_);
             for (const QString& format : card->formats())
                 data.setData(format, card->data(format));
         }, Qt::IgnoreAction, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QMimeData data;
        row.fill(data);
        EXPECT_EQ(notes.dragOperationFor(&data, Qt::CopyAction | Qt::LinkAction), row.answer);
        if (row.answer != Qt::IgnoreAction)
            notes.performDragOperation(&data, QPointF(300, 300));
        EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("StickyNote")), row.notes);
    }
    EXPECT_EQ(stored(QStringLiteral("SELECT TextNote || '|' || Title FROM StickyNote")),
              "Keep the dog alive|New Note Card");
}

TEST_F(NotesBoard, DroppingOneOfTwoCharacterLinksDeletesItAndMakesTheOtherPrimary)
{
    GeneralNotesView& notes = openBoard();
    Screenplaydb& story = screenplay();
    const QString first = file(QStringLiteral("a.txt"), "a");
    const QString second = file(QStringLiteral("b.txt"), "b");
    AttachedObjectView* one = notes.createAttachmentFromFile(first, QPointF(400, 300));
    AttachedObjectView* two = notes.createAttachmentFromFile(second, QPointF(700, 300));
    ASSERT_TRUE(one && two);
    auto character = std::make_unique<Characterdb>();
    character->setScreenplayID(story.screenplayID());
    character->setCharacterName(QStringLiteral("MAYA"));
    character->insertIntoDatabase(&story);
    Characterdb* maya = character.get();
    story.characters().push_back(std::move(character));
    AttachmentLinks::link<CharacterSide>(story, maya, one->attachedObject()->attachedObjectID());
    AttachmentLinks::link<CharacterSide>(story, maya, two->attachedObject()->attachedObjectID());
    ASSERT_EQ(maya->characterObjects().size(), 2u);

    const auto row = [](std::int64_t value, const MyDocument* from) {
        const QString type = QString::fromLatin1(RecordPasteboardType::kCharacterObject);
        return RecordPasteboardType::makeDragData(type, value, from);
    };
    // Without a character in the panel the drop does nothing.
    notes.performDragOperation(row(0, document_).get(), QPointF(100, 100));
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("CharacterObject")), 2);

    document_->setCurrentlyEditingCharacter(maya);
    // Rows of another story's panel are refused before anything happens.
    EXPECT_EQ(notes.dragOperationFor(row(0, nullptr).get(), Qt::MoveAction | Qt::LinkAction), Qt::IgnoreAction);
    EXPECT_EQ(notes.dragOperationFor(row(0, document_).get(), Qt::MoveAction | Qt::LinkAction), Qt::MoveAction);
    // A row past the links does nothing; row 0 is the first link's.
    notes.performDragOperation(row(4, document_).get(), QPointF(100, 100));
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("CharacterObject")), 2);
    notes.performDragOperation(row(0, document_).get(), QPointF(100, 100));
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("CharacterObject")), 1);
    EXPECT_EQ(stored(QStringLiteral("SELECT AttachedObjectID || ',' || PrimaryDisplayFlag FROM CharacterObject")),
              QStringLiteral("%1,1").arg(two->attachedObject()->attachedObjectID()));
    // The attachment stays, and the burst shows at the drop point for a moment.
    EXPECT_EQ(SqlProbe::count(document_->database(), QStringLiteral("AttachedObject")), 2);
    auto* explosion = notes.boxBackground()->findChild<QLabel*>(QStringLiteral("Explosion"));
    ASSERT_NE(explosion, nullptr);
    EXPECT_EQ(explosion->geometry(), QRect(75, 75, 50, 50));
    waitUntil([&] { return !notes.boxBackground()->findChild<QLabel*>(QStringLiteral("Explosion")); });
    EXPECT_EQ(notes.boxBackground()->findChild<QLabel*>(QStringLiteral("Explosion")), nullptr);
}

TEST_F(NotesBoard, AClickOnADefaultTitleSelectsItWholeAndTypingReplacesIt)
{
    GeneralNotesView& notes = openBoard();
    document_->window()->show();
    StickyNoteView* note = notes.addStickyNoteWith(QPointF(400, 400));
    const std::int64_t key = note->stickyNote()->stickyNoteID();
    QLineEdit* title = note->tfTitle();
    ASSERT_EQ(title->text(), "New Note Card");
    // Wherever the click lands in it, mid-word included, and with a wobble of the mouse.
    for (const int x : {6, title->width() / 3, title->width() - 4}) {
        SCOPED_TRACE(x);
        note->txtDescription()->setFocus();
        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(x, title->height() / 2));
        QTest::mouseMove(title, QPoint(x + 3, title->height() / 2));
        QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(x + 3, title->height() / 2));
        EXPECT_TRUE(title->hasFocus());
        EXPECT_EQ(title->selectedText(), "New Note Card");
    }
    QTest::keyClicks(title, QStringLiteral("Theme"));
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(noteColumns(key, QStringLiteral("Title")), "Theme");
    // A title of the writer's own takes the caret where it is clicked.
    note->txtDescription()->setFocus();
    QTest::mouseClick(title, Qt::LeftButton, {}, QPoint(title->width() - 4, title->height() / 2));
    EXPECT_TRUE(title->selectedText().isEmpty());
}

TEST_F(NotesBoard, ATitleAndTextBeingTypedAreWrittenASecondAfterTheLastKey)
{
    GeneralNotesView& notes = openBoard();
    document_->window()->show();
    StickyNoteView* note = notes.addStickyNoteWith(QPointF(400, 400));
    const std::int64_t key = note->stickyNote()->stickyNoteID();
    note->tfTitle()->setFocus();
    note->tfTitle()->selectAll();
    QTest::keyClicks(note->tfTitle(), QStringLiteral("Midpoint"));
    EXPECT_EQ(noteColumns(key, QStringLiteral("Title")), "New Note Card") << "not before the pause";
    waitUntil([&] { return noteColumns(key, QStringLiteral("Title")) == "Midpoint"; });
    EXPECT_EQ(noteColumns(key, QStringLiteral("Title")), "Midpoint");
    QTest::mouseClick(note->txtDescription()->viewport(), Qt::LeftButton);
    QTest::keyClicks(note->txtDescription(), QStringLiteral("False victory."));
    waitUntil([&] { return noteColumns(key, QStringLiteral("TextNote")) == "False victory."; });
    EXPECT_TRUE(note->txtDescription()->hasFocus());
    EXPECT_EQ(noteColumns(key, QStringLiteral("TextNote")), "False victory.");
    EXPECT_EQ(rtfPlainText(noteColumns(key, QStringLiteral("Note")).toUtf8()), "False victory.");
    // Undone back to the empty text it had, and the window closed before the pause is up.
    QTest::keyClick(note->txtDescription(), Qt::Key_Z, Qt::ControlModifier);
    const DatabaseConnection file = StoryFile::open(document_->thisFileName());
    document_->window()->close();
    EXPECT_EQ(SqlProbe::scalar(file.get(), "SELECT TextNote FROM StickyNote WHERE StickyNoteID = " + QString::number(key)),
              "");
}

TEST_F(NotesBoard, UndoAndRedoAreOfferedOnlyWhileTheFieldWithTheFocusHasSomethingToUndo)
{
    GeneralNotesView& notes = openBoard();
    document_->window()->show();
    QApplication::setActiveWindow(document_->window());
    AppActions& menus = app_->actions();
    StickyNoteView* note = notes.addStickyNoteWith(QPointF(400, 400));
    note->txtDescription()->setFocus();
    settle();
    EXPECT_FALSE(menus.mnuUndo->isEnabled());
    EXPECT_FALSE(menus.mnuRedo->isEnabled());
    QTest::keyClicks(note->txtDescription(), QStringLiteral("Gone soon"));
    EXPECT_TRUE(menus.mnuUndo->isEnabled());
    menus.mnuUndo->trigger();
    EXPECT_TRUE(menus.mnuRedo->isEnabled());
    // Once the note is deleted nothing is left to undo.
    fakes_.alerts->answers = {AlertDefaultReturn};
    note->cmdDelete()->click();
    settle();
    ASSERT_TRUE(notes.stickyNoteViews().empty());
    EXPECT_FALSE(menus.mnuUndo->isEnabled());
    EXPECT_FALSE(menus.mnuRedo->isEnabled());
}

// A note taller than the notes pane: Ctrl+Tab onto its text shows the caret, where the typing
// goes (at the end of a formatted text), and the caret stays in sight as the writer goes on.
TEST_F(NotesBoard, TheCaretOfANoteTallerThanThePaneIsInSightWhenTabbedToAndWhileTyping)
{
    const QString lines = QStringLiteral("A line of the film%1").repeated(30);
    GeneralNotesView& notes = openBoard(
        QStringLiteral("GeneralNotesSplitterDistance = 50"),
        QStringLiteral("INSERT INTO StickyNote (ScreenplayID, Title, Note, TextNote, PercentageHorizontal, "
                       "PercentageVertical, SizeWidth, SizeHeight, Color) SELECT ScreenplayID, 'Family film', "
                       "'{\\rtf1\\ansi %1End}', '%2End', 0.3, 0.05, 218, 148, 2 FROM Screenplay")
            .arg(lines.arg(QStringLiteral("\\par ")), lines.arg(QStringLiteral("\n"))));
    document_->window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(document_->window()));
    StickyNoteView& note = *notes.stickyNoteViews().at(0);
    QTextEdit* text = note.txtDescription();
    QScrollArea* pane = document_->scrNotes();
    ASSERT_GT(note.view()->height(), pane->viewport()->height() + 200);
    const auto caretInSight = [&] {
        const QRect caret = text->cursorRect();
        const QRect shown(text->viewport()->mapTo(pane->viewport(), caret.topLeft()), caret.size());
        return text->hasFocus() && text->viewport()->rect().contains(caret) && pane->viewport()->rect().contains(shown);
    };
    QTest::mouseClick(note.tfTitle(), Qt::LeftButton);
    QTest::keyClick(note.tfTitle(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(caretInSight());
    QTest::keyClicks(text, QStringLiteral("W7"));
    EXPECT_TRUE(text->toPlainText().endsWith(QLatin1String("EndW7")));
    // To the top, down line by line and a paragraph more.
    QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
    for (int key = 0; key < 40; ++key) {
        ASSERT_TRUE(caretInSight()) << key;
        QTest::keyClick(text, key < 31 ? Qt::Key_Down : Qt::Key_Return);
    }
}
