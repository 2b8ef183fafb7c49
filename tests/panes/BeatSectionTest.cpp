#include "PanesFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "app/StoryWindow.h"
#include "model/SceneCarddb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/BeatsTableView.h"
#include "panes/ItemsTableView.h"
#include "panes/SetupPayoffTableView.h"
#include "support/SampleCopy.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QCursor>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include <functional>
#include <vector>

namespace {

struct Section {
    const char* list;
    const char* addImage;
    const char* addToolTip;
    const char* deleteImage;
    const char* deleteToolTip;
};

// Three hundred linked set-ups and pay-offs on no card, their texts from one to five lines long.
const char* const kLongList =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300), "
    "t(s) AS (SELECT 'The key under the mat opens the cellar where the letters lie, and nobody who comes down the "
    "stairs after the storm finds the box Mara hid behind the coal before the thaw came to the pass.') "
    "INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) "
    "SELECT i, 0, 'Pay-off ' || i || ': ' || substr(s, 1, 30 + i % 5 * 50) FROM n, t; "
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300), "
    "t(s) AS (SELECT 'A letter nobody meant her to read lies open on the table while the dogs outside will not "
    "stop barking and Jonah lies about where he was the night the bridge burned down to the water.') "
    "INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) "
    "SELECT i, 0, 'Set-up ' || i || ': ' || substr(s, 1, 30 + i * 3 % 5 * 50), i FROM n, t";

const Section kSections[] = {
    {"BeatsTableView", "", "", "", ""},
    {"CharactersTableView", "AddACharacter", "Add a Character", "DeleteACharacter", "Delete this Character"},
    {"LocationsTableView", "AddALocation", "Add a Location", "DeleteALocation", "Delete this Location"},
    {"SetupsTableView", "AddASetup", "Add a Set-up", "DeleteASetup", "Delete the Selected Set-up"},
    {"PayoffsTableView", "AddAPayoff", "Add a Pay-off", "DeleteAPayoff", "Delete the Selected Pay-off"},
};

} // namespace

class BeatSection : public PanesFixture
{
protected:
    // A story laid out before in a window wide enough for the section's add and delete
    // commands (they show only in a story-elements pane 300 wide or more).
    QString wideStory(const QString& name, const QString& assignments = QString())
    {
        QString layout = QStringLiteral(
            "WindowState = 101111, ParentWindowWidth = 1400, ParentWindowHeight = 900, LogLineSplitterDistance = 13, "
            "BeatsSplitterDistance = 35, GeneralNotesSplitterDistance = 80, BoardSplitterDistance = 80");
        if (!assignments.isEmpty())
            layout += QStringLiteral(", ") + assignments;
        return story(name, layout);
    }

    // A story of the long list of set-ups (kLongList) that opens on them.
    QString longListStory(const QString& name)
    {
        const QString path = wideStory(name, QStringLiteral("BeatSectionShowing = 3, ParentWindowWidth = 1400"));
        SqlProbe::exec(StoryFile::open(path).get(), QString::fromLatin1(kLongList));
        return path;
    }

    std::array<QLabel*, 5> labels() const
    {
        return {document_->optSelectBeats(), document_->optSelectCharacters(), document_->optSelectLocations(),
                document_->optSelectSetups(), document_->optSelectPayoffs()};
    }
    std::array<QAction*, 4> addItems() const
    {
        AppActions& menus = app_->actions();
        return {menus.mnuAddCharacter, menus.mnuAddLocation, menus.mnuAddSetup, menus.mnuAddPayoff};
    }
    std::array<QAction*, 4> deleteItems() const
    {
        AppActions& menus = app_->actions();
        return {menus.mnuDeleteCharacter, menus.mnuDeleteLocation, menus.mnuDeleteSetup, menus.mnuDeletePayoff};
    }
    // The one highlighted label (white, in the document's colour), or -1 when none is.
    int highlighted() const
    {
        int found = -1;
        for (int i = 0; i < 5; ++i) {
            const QPalette palette = labels()[static_cast<std::size_t>(i)]->palette();
            if (palette.color(QPalette::Window) == Qt::white) {
                EXPECT_EQ(found, -1) << "two highlighted labels";
                EXPECT_EQ(palette.color(QPalette::WindowText), document_->standardBackgroundColor());
                found = i;
            } else {
                EXPECT_EQ(palette.color(QPalette::Window), document_->standardBackgroundColor());
            }
        }
        return found;
    }
    // The row heights of the list showing, each as high as its text needs in the pane's width:
    // never lower than the table's own drawing of the text asks for, nor higher than meant.
    std::vector<int> expectRowsFitted(const char* when) const
    {
        SCOPED_TRACE(when);
        EXPECT_TRUE(waitUntil([this] { return listFitted(); })) << "rows are left to fit";
        std::vector<int> heights;
        const auto check = [&heights](const auto* list) {
            ASSERT_NE(list, nullptr);
            QTableView* table = list->tvTable();
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                const QModelIndex text = table->model()->index(row, 1);
                QStyleOptionViewItem cell;
                cell.rect = table->visualRect(text);
                cell.features = QStyleOptionViewItem::WrapText;
                cell.widget = table;
                heights.push_back(table->rowHeight(row));
                EXPECT_EQ(heights.back(), list->heightOfRow(row)) << "row " << row;
                EXPECT_GE(heights.back(), table->itemDelegateForIndex(text)->sizeHint(cell, text).height())
                    << "row " << row;
            }
        };
        const std::int64_t section = screenplay().beatSectionShowing();
        if (section == 0)
            check(document_->beatsTableView());
        else if (section == 1)
            check(document_->charactersTableView());
        else if (section == 2)
            check(document_->locationsTableView());
        else
            section == 3 ? check(document_->setupsTableView()) : check(document_->payoffsTableView());
        return heights;
    }
    // Whether every row of the list showing has the height its text needs.
    bool listFitted() const
    {
        switch (screenplay().beatSectionShowing()) {
        case 1:
            return document_->charactersTableView()->rowsFitted();
        case 2:
            return document_->locationsTableView()->rowsFitted();
        case 3:
            return document_->setupsTableView()->rowsFitted();
        case 4:
            return document_->payoffsTableView()->rowsFitted();
        default:
            return true;
        }
    }
    // Drags the divider beside the story elements with the mouse until the pane is `width` wide.
    void dragDivider(int width) const
    {
        MainSplitView* beats = document_->splBeats();
        QSplitterHandle* handle = beats->handle(1);
        const QPoint grab(handle->width() / 2, handle->height() / 2);
        const QPoint drop = grab + QPoint(width - beats->paneExtent(0), 0);
        QTest::mousePress(handle, Qt::LeftButton, {}, grab);
        QTest::mouseMove(handle, drop);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, drop);
        settle();
    }

    // Checks the buttons, menu items, list and label of a section showing.
    void expectSection(int section)
    {
        SCOPED_TRACE(section);
        const Section& expected = kSections[section];
        ASSERT_GE(document_->splBeats()->paneExtent(0), 300);
        StoryWindow* window = document_->window();
        EXPECT_EQ(screenplay().beatSectionShowing(), section);
        EXPECT_EQ(stored("SELECT BeatSectionShowing FROM Screenplay").toInt(), section);
        ASSERT_NE(document_->beatSectionTable(), nullptr);
        EXPECT_EQ(document_->beatSectionTable()->objectName(), expected.list);
        EXPECT_EQ(document_->beatsTableView() != nullptr, section == 0);
        EXPECT_EQ(highlighted(), section);
        const bool addable = section > 0;
        EXPECT_EQ(window->tbAddItem()->isVisible(), addable);
        EXPECT_FALSE(window->tbDeleteItem()->isVisible());
        for (QAction* item : deleteItems())
            EXPECT_FALSE(item->isVisible()) << item->objectName().toStdString();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(addItems()[static_cast<std::size_t>(i)]->isVisible(), addable && i + 1 == section);
        if (section > 0) {
            EXPECT_EQ(window->tbAddItem()->property("imageName").toString(), expected.addImage);
            EXPECT_EQ(window->tbAddItem()->toolTip(), expected.addToolTip);
            EXPECT_FALSE(window->tbAddItem()->icon().isNull());
            EXPECT_EQ(window->tbDeleteItem()->property("imageName").toString(), expected.deleteImage);
            EXPECT_EQ(window->tbDeleteItem()->toolTip(), expected.deleteToolTip);
        }
    }
};

TEST_F(BeatSection, AStoryReopensOnTheSetupsWithTheirAddButtonOnly)
{
    open(wideStory("Setups", "BeatSectionShowing = 3"));
    expectSection(3);
}

TEST_F(BeatSection, TheBeatSheetHasNeitherAddNorDelete)
{
    open(wideStory("Beats"));
    expectSection(0);
}

TEST_F(BeatSection, ClickingALabelShowsItsSectionAndStoresIt)
{
    open(wideStory("Switching"));
    for (int section : {1, 2, 3, 4, 0, 2}) {
        QTest::mouseClick(labels()[static_cast<std::size_t>(section)], Qt::LeftButton);
        expectSection(section);
    }
    // The story opens again where it was left.
    const QString path = document_->thisFileName();
    document_->window()->close();
    settle();
    open(path);
    expectSection(2);
}

TEST_F(BeatSection, ChoosingTheSectionShowingRebuildsNothing)
{
    open(wideStory("Same"));
    BeatsTableView* beats = document_->beatsTableView();
    QWidget* view = document_->beatSectionTable();
    QTest::mouseClick(document_->optSelectBeats(), Qt::LeftButton);
    EXPECT_EQ(document_->beatsTableView(), beats);
    EXPECT_EQ(document_->beatSectionTable(), view);
}

TEST_F(BeatSection, ASectionOutsideTheRangeShowsNothing)
{
    open(wideStory("Nowhere", "BeatSectionShowing = 7"));
    EXPECT_EQ(document_->beatSectionTable(), nullptr);
    EXPECT_EQ(document_->beatsTableView(), nullptr);
    EXPECT_EQ(highlighted(), -1);
    EXPECT_FALSE(document_->window()->tbAddItem()->isVisible());
    for (QAction* item : addItems())
        EXPECT_FALSE(item->isVisible());
}

// The list showing follows its pane's width, whether the divider is dragged or the window is
// resized: no row is cut when the pane narrows, none stays over-tall when it widens again, and a
// text being typed in a cell stays open with what was typed.
TEST_F(BeatSection, EveryListFitsItsRowsToThePanesWidth)
{
    const SampleCopy sample(QStringLiteral("Sample - Kessler Pass.vtrsf"));
    sample.exec(QStringLiteral("UPDATE Screenplay SET WindowState = 101111, ParentWindowWidth = 1366, "
                               "ParentWindowHeight = 728, BeatsSplitterDistance = 35"));
    // A free pay-off, which is edited in place.
    sample.exec(QStringLiteral("INSERT INTO ScenePayoff (SceneCardID, ScenePayoff) VALUES (0, 'Mikey keeps the "
                               "footage of the slide and sends it to the county before the spring thaw.')"));
    open(sample.path());
    ASSERT_NE(document_, nullptr);
    const int wide = document_->splBeats()->paneExtent(0);
    ASSERT_GT(wide, 440);
    for (int section = 0; section < 5; ++section) {
        SCOPED_TRACE(section);
        QTest::mouseClick(labels()[static_cast<std::size_t>(section)], Qt::LeftButton);
        settle();
        const std::vector<int> shown = expectRowsFitted("shown");

        dragDivider(340);
        ASSERT_EQ(document_->splBeats()->paneExtent(0), 340);
        EXPECT_NE(expectRowsFitted("narrower"), shown) << "some row grows in a narrower pane";
        dragDivider(wide);
        ASSERT_EQ(document_->splBeats()->paneExtent(0), wide);
        EXPECT_EQ(expectRowsFitted("as wide as before"), shown);

        document_->window()->resize(1000, 700);
        settle();
        ASSERT_LT(document_->splBeats()->paneExtent(0), wide);
        expectRowsFitted("smaller window");
        document_->window()->resize(1366, 728);
        settle();
        expectRowsFitted("larger window");
        dragDivider(wide);
    }

    // The free pay-off being written keeps its editor, and what is typed in it, through a drag.
    QTableView* payoffs = document_->payoffsTableView()->tvTable();
    const QModelIndex free = payoffs->model()->match(payoffs->model()->index(0, 1), Qt::DisplayRole,
                                                     QStringLiteral("Mikey keeps"), 1, Qt::MatchStartsWith).value(0);
    ASSERT_TRUE(free.isValid());
    payoffs->scrollTo(free);
    QTest::mouseClick(payoffs->viewport(), Qt::LeftButton, {}, payoffs->visualRect(free).center());
    settle();
    const QPointer<QPlainTextEdit> editor = payoffs->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor"));
    ASSERT_FALSE(editor.isNull());
    QTest::keyClicks(editor, QStringLiteral(" Twice"));
    dragDivider(340);
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->toPlainText().endsWith(QStringLiteral("thaw. Twice")));
    expectRowsFitted("while a pay-off is written");
    QTest::keyClick(editor, Qt::Key_Escape);

    // A larger font refits the rows to it: nothing measured in the smaller one is kept.
    QTest::mouseClick(labels()[3], Qt::LeftButton);
    app_->actions().mnuMFSAsBigAsItGets->trigger();
    settle();
    expectRowsFitted("larger font");

    // The room the program makes for the large card narrows the pane as well.
    document_->window()->resize(1000, 700);
    settle();
    const int before = document_->splBeats()->paneExtent(0);
    document_->openBigSceneCard(screenplay().sceneCards().front().get());
    settle();
    ASSERT_LT(document_->splBeats()->paneExtent(0), before);
    expectRowsFitted("room for the large card");
    document_->window()->close();
    settle();
}

namespace {

// How the pane beside a long list changes width, and where the pointer is meanwhile.
enum class Change { Drag, ProgramMove, WindowResize };
struct Refit {
    const char* how;
    Change change;
    // The pane's width afterwards (the window's, for a resize).
    int width;
    bool pointerOverList;
};

const Refit kRefits[] = {
    {"divider dragged narrower", Change::Drag, 400, false},
    {"divider dragged wider", Change::Drag, 560, false},
    {"divider moved by the program under a pointer over the list", Change::ProgramMove, 440, true},
    {"window narrowed", Change::WindowResize, 1200, false},
};

// Where a row lies in sight: the row at `y` of the viewport, and the share of its height above y.
struct Place {
    int row;
    double fraction;
};

Place placeAt(const QTableView& table, int y)
{
    const int row = table.rowAt(y);
    return {row, double(y - table.rowViewportPosition(row)) / table.rowHeight(row)};
}

} // namespace

// A long list fits the rows in sight as its pane changes width, and the others in short turns
// soon after: the row at the top stays where it was (the row under the pointer, when the pointer
// is over the list), a drag writes the divider's place once, when it is let go, and fitting the
// rows writes nothing. A list shown anew gives the rows out of sight the mean height of those in
// sight until they fit.
TEST_F(BeatSection, ALongListFitsTheRowsInSightAtOnceAndTheOthersSoonAfterWhereTheyWere)
{
    const QString path = longListStory(QStringLiteral("Long"));
    open(path);
    SetupsTableView* list = document_->setupsTableView();
    ASSERT_NE(list, nullptr);
    QTableView* table = list->tvTable();
    ASSERT_EQ(table->model()->rowCount(), 900);
    expectRowsFitted("opened");
    const auto rowsInSightFitted = [&] {
        for (int row = table->rowAt(0); row >= 0 && table->rowViewportPosition(row) < table->viewport()->height();
             ++row) {
            if (table->rowHeight(row) != list->heightOfRow(row))
                return false;
        }
        return true;
    };
    const auto fileBytes = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    for (const Refit& refit : kRefits) {
        SCOPED_TRACE(refit.how);
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum() / 2 + 17);
        ASSERT_TRUE(rowsInSightFitted());
        MainSplitView* beats = document_->splBeats();
        QSplitterHandle* handle = beats->handle(1);
        const QPoint grab(handle->width() / 2, handle->height() / 2);
        const int y = refit.pointerOverList ? table->viewport()->height() * 2 / 5 : 0;
        const QPoint viewportTop = table->viewport()->mapToGlobal(QPoint(0, 0));
        QCursor::setPos(refit.pointerOverList ? table->viewport()->mapToGlobal(QPoint(40, y))
                                              : handle->mapToGlobal(grab));
        settle();
        const Place before = placeAt(*table, y);
        const auto expectInPlace = [&](const char* when) {
            SCOPED_TRACE(when);
            ASSERT_EQ(table->viewport()->mapToGlobal(QPoint(0, 0)), viewportTop) << "the list itself moved";
            const Place after = placeAt(*table, y);
            EXPECT_EQ(after.row, before.row);
            EXPECT_NEAR(after.fraction * table->rowHeight(after.row), before.fraction * table->rowHeight(after.row),
                        1.0);
        };
        const QString storedDivider = stored("SELECT BeatsSplitterDistance FROM Screenplay");

        if (refit.change == Change::WindowResize) {
            document_->window()->resize(refit.width, document_->window()->height());
            settle();
        } else {
            const int heightsBefore = table->verticalHeader()->length();
            if (refit.change == Change::Drag) {
                const QPoint drop = grab + QPoint(refit.width - beats->paneExtent(0), 0);
                QTest::mousePress(handle, Qt::LeftButton, {}, grab);
                // The pointer goes along with the divider, as in the writer's hand.
                QCursor::setPos(handle->mapToGlobal(drop));
                QTest::mouseMove(handle, drop);
                EXPECT_NE(stored("SELECT BeatsSplitterDistance FROM Screenplay"), storedDivider)
                    << "the divider's place is not written at each step of the drag";
            } else {
                beats->setPosition(refit.width);
            }
            ASSERT_EQ(beats->paneExtent(0), refit.width);
            EXPECT_TRUE(rowsInSightFitted());
            EXPECT_FALSE(list->rowsFitted()) << "every row fitted in the step itself";
            EXPECT_NE(table->verticalHeader()->length(), heightsBefore);
            expectInPlace("at once");
            if (refit.change == Change::Drag) {
                QTest::mouseRelease(handle, Qt::LeftButton, {}, grab + QPoint(refit.width - beats->paneExtent(0), 0));
            }
        }
        const QByteArray written = fileBytes();
        expectRowsFitted(refit.how);
        expectInPlace("once every row fits");
        EXPECT_EQ(fileBytes(), written) << "fitting the rows wrote to the story";
    }

    // A set-up being written keeps its box, and what is typed in it, while the rows around it fit.
    const int itemRow = table->rowAt(0) + 3 - table->rowAt(0) % 3;
    const QModelIndex text = table->model()->index(itemRow, 1);
    const QString typedInto = text.data(Qt::EditRole).toString();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(text).center());
    const QPointer<QPlainTextEdit> editor = table->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor"));
    ASSERT_FALSE(editor.isNull());
    QTest::keyClicks(editor, QStringLiteral(" Twice"));
    dragDivider(480);
    expectRowsFitted("while a set-up is written");
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->toPlainText(), typedInto + QStringLiteral(" Twice"));
    QTest::keyClick(editor, Qt::Key_Escape);

    // A list shown anew gives the rows out of sight the mean height of those in sight until they
    // fit, so that its scroll bar is about as long as it will be.
    QTest::mouseClick(labels()[4], Qt::LeftButton);
    const PayoffsTableView* payoffs = document_->payoffsTableView();
    ASSERT_NE(payoffs, nullptr);
    const int estimated = payoffs->tvTable()->verticalHeader()->length();
    EXPECT_FALSE(payoffs->rowsFitted());
    expectRowsFitted("shown anew");
    EXPECT_NEAR(payoffs->tvTable()->verticalHeader()->length(), estimated, estimated / 20);
}

namespace {

// Watches the paints of a list's rows: each row a paint shows must have the height its text needs
// at the pane's width then.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(const SetupsTableView& list) : list_(list), table_(*list.tvTable())
    {
        table_.viewport()->installEventFilter(this);
    }
    ~PaintWatch() override { table_.viewport()->removeEventFilter(this); }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    int paints = 0;
    // The first rows painted with another height, as "row: painted, needed".
    QStringList unfitted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == table_.viewport()) {
            ++paints;
            const int sight = table_.viewport()->height();
            for (int row = std::max(0, table_.rowAt(0)); row < table_.model()->rowCount(); ++row) {
                if (table_.rowViewportPosition(row) >= sight)
                    break;
                if (table_.rowHeight(row) != list_.heightOfRow(row) && unfitted.size() < 5)
                    unfitted << QStringLiteral("%1: %2, %3").arg(row).arg(table_.rowHeight(row)).arg(list_.heightOfRow(row));
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const SetupsTableView& list_;
    const QTableView& table_;
};

} // namespace

// A row that comes into sight has the height its text needs in the pane's width before it is
// painted, while the rows out of sight are still being fitted to a new width, whatever brings it:
// the scroll bar, the wheel, the keyboard, a set-up written shorter above it, a taller window, or
// the list growing shorter under a view of its end.
TEST_F(BeatSection, ARowComingIntoSightIsFittedBeforeItIsPainted)
{
    open(longListStory(QStringLiteral("Sight")));
    SetupsTableView* list = document_->setupsTableView();
    ASSERT_NE(list, nullptr);
    QTableView* table = list->tvTable();
    QScrollBar* bar = table->verticalScrollBar();
    MainSplitView* beats = document_->splBeats();
    const int wide = beats->paneExtent(0);
    expectRowsFitted("opened");
    PaintWatch watch(*list);
    // Types `text` into the set-up at the top of the list in sight, and answers its editor.
    const auto typeIntoTheFirstSetup = [&](const QString& text) {
        const QModelIndex cell = table->model()->index(table->rowAt(0) + 3 - table->rowAt(0) % 3, 1);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(cell).center());
        const QPointer<QPlainTextEdit> editor = table->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor"));
        if (!editor.isNull()) {
            editor->selectAll();
            QTest::keyClicks(editor, text);
        }
        return editor;
    };
    QPointer<QPlainTextEdit> editor;
    struct Bringing {
        const char* how;
        std::function<void()> before;
        std::function<void()> bring;
    };
    const std::vector<Bringing> bringings = {
        {"the scroll bar", nullptr, [&] { bar->setValue(bar->maximum() * 3 / 4); }},
        {"the wheel", nullptr,
         [&] {
             const QPointF at(40, 40);
             QWheelEvent wheel(at, table->viewport()->mapToGlobal(at), {}, QPoint(0, -360), Qt::NoButton, {},
                               Qt::NoScrollPhase, false);
             QCoreApplication::sendEvent(table->viewport(), &wheel);
         }},
        {"the keyboard", nullptr,
         [&] {
             table->setCurrentIndex(table->model()->index(table->rowAt(0) + 3 - table->rowAt(0) % 3, 1));
             for (int page = 0; page < 3; ++page)
                 QTest::keyClick(table, Qt::Key_PageDown);
         }},
        {"a set-up written shorter",
         [&] {
             // A set-up many lines long, being written short again when the pane changes width.
             editor = typeIntoTheFirstSetup(QStringLiteral("The lamp by the door is lit each night. ").repeated(12));
             ASSERT_FALSE(editor.isNull());
             QTest::keyClick(editor, Qt::Key_Return);
             settle();
             editor = typeIntoTheFirstSetup(QStringLiteral("Short."));
         },
         [&] {
             ASSERT_FALSE(editor.isNull());
             QTest::keyClick(editor, Qt::Key_Return);
         }},
        {"a taller window", nullptr,
         [&] { document_->window()->resize(document_->window()->width(), document_->window()->height() + 120); }},
        {"a shorter list under its end", [&] { bar->setValue(bar->maximum()); },
         [&] { beats->setPosition(beats->paneExtent(0) + 160); }},
    };
    for (const Bringing& bringing : bringings) {
        SCOPED_TRACE(bringing.how);
        bar->setValue(bar->maximum() / 3);
        settle();
        if (bringing.before)
            bringing.before();
        // The pane changes width: the rows in sight fit it at once, the others are left to fit.
        const int width = beats->paneExtent(0) == wide - 80 ? wide - 120 : wide - 80;
        beats->setPosition(width);
        ASSERT_EQ(beats->paneExtent(0), width);
        ASSERT_FALSE(list->rowsFitted());
        const int lastInSight = table->rowAt(table->viewport()->height() - 1);
        const int paints = watch.paints;
        watch.unfitted.clear();
        bringing.bring();
        EXPECT_NE(table->rowAt(table->viewport()->height() - 1), lastInSight) << "no row came into sight";
        table->viewport()->repaint();
        expectRowsFitted("after");
        EXPECT_GT(watch.paints, paints);
        EXPECT_TRUE(watch.unfitted.isEmpty()) << watch.unfitted.join(QStringLiteral("; ")).toStdString();
    }
}

// The section labels are whole at every font size in a pane as narrow as the divider allows:
// where they do not fit in one row they go on in another, and the list begins below them.
TEST_F(BeatSection, EverySectionLabelIsWholeAtEveryFontSizeAndPaneWidth)
{
    open(wideStory("Labels"));
    AppActions& menus = app_->actions();
    QWidget* pane = document_->splBeats()->widget(0);
    QWidget* list = pane->findChild<QWidget*>(QStringLiteral("beatSectionArea"));
    ASSERT_NE(list, nullptr);
    for (QAction* size : {menus.mnuMFSNormal, menus.mnuMFSLarger, menus.mnuMFSEvenBigger, menus.mnuMFSAsBigAsItGets}) {
        size->trigger();
        for (const int width : {200, 340, 700}) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(size->text()).arg(width).toStdString());
            dragDivider(width);
            ASSERT_EQ(document_->splBeats()->paneExtent(0), width);
            std::vector<QRect> placed;
            for (QLabel* label : labels()) {
                const QRect frame(label->mapTo(pane, QPoint(0, 0)), label->size());
                const QSize text = QFontMetrics(label->font()).size(Qt::TextSingleLine, label->text());
                EXPECT_GE(label->contentsRect().width(), text.width()) << label->text().toStdString();
                EXPECT_GE(label->contentsRect().height(), text.height()) << label->text().toStdString();
                EXPECT_TRUE(pane->rect().contains(frame)) << label->text().toStdString();
                for (const QRect& other : placed)
                    EXPECT_FALSE(other.intersects(frame)) << label->text().toStdString();
                EXPECT_LE(frame.bottom(), list->mapTo(pane, QPoint(0, 0)).y());
                placed.push_back(frame);
            }
        }
    }
}

namespace {

// Set-ups as writers leave them after a paste: tabs between words, several in a row, at the start
// and before a line's end, with soft hyphens, line feeds and a carriage return.
const char* const kTabbedSetups[] = {
    "The co\u00adop\u00aderative drivers\tand the \u00e9t\u00e9 man, mara.k@example.com, a/b/c and/or -- the "
    "pneumonoultramicroscopicsilicovolcanoconiosis joke i.e., twice.",
    "\tMara keeps the key in the cab.\tJonah\t\tnever asks where she found it, nor why it is warm.",
    "NAME:\tWalt\nWANTS:\tthe balloon back\tbefore the race\nNEEDS:\tto let his daughter fly it alone.",
    "Cut\tto\tthe\tpass,\tthe\ttrucks\tlined\tup\tin\tthe\tsnow\tone\tafter\tanother\tuntil\tdawn.",
    "A line pasted from another program\r\nand the next one\tafter its carriage return and a tab.",
};

} // namespace

// A row holds every line its cell paints of its text, and not a line more, whatever the text holds
// (tabs, soft hyphens, line feeds, a carriage return), the font size and the pane's width: the row
// is measured as the cell paints the text, whose own size (the delegate's hint) gives the lines.
TEST_F(BeatSection, ARowHoldsTheLinesItsCellPaintsOfATextWithTabs)
{
    const SampleCopy sample(QStringLiteral("Sample - Kessler Pass.vtrsf"));
    sample.exec(QStringLiteral("UPDATE Screenplay SET WindowState = 101111, ParentWindowWidth = 1366, "
                               "ParentWindowHeight = 728, BeatsSplitterDistance = 35, BeatSectionShowing = 3"));
    open(sample.path());
    ASSERT_NE(document_, nullptr);
    SetupsTableView* list = document_->setupsTableView();
    ASSERT_NE(list, nullptr);
    for (std::size_t at = 0; at < std::size(kTabbedSetups); ++at)
        screenplay().sceneSetups()[at]->setSceneSetup(QString::fromUtf8(kTabbedSetups[at]));
    list->refreshView();
    QTableView* table = list->tvTable();
    AppActions& menus = app_->actions();
    for (QAction* size : {menus.mnuMFSNormal, menus.mnuMFSAsBigAsItGets}) {
        size->trigger();
        for (const int width : {250, 350, 450, 640}) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(size->text()).arg(width).toStdString());
            dragDivider(width);
            ASSERT_EQ(document_->splBeats()->paneExtent(0), width);
            // Rows at least as high as the cells paint their texts.
            expectRowsFitted("dragged");
            for (int row = 0; row < static_cast<int>(std::size(kTabbedSetups)) * 3; row += 3) {
                const QModelIndex text = table->model()->index(row, 1);
                QStyleOptionViewItem cell;
                cell.rect = table->visualRect(text);
                cell.features = QStyleOptionViewItem::WrapText;
                cell.widget = table;
                const int painted = table->itemDelegateForIndex(text)->sizeHint(cell, text).height();
                const int line = QFontMetrics(text.data(Qt::FontRole).value<QFont>()).height();
                // A row that shows a text is at least 53 high, room for more than a short one.
                EXPECT_LT(table->rowHeight(row), std::max(53, painted + line)) << "a line more at row " << row;
            }
        }
    }
}
