#include "BoardFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/BoardListViewView.h"
#include "board/BoardView.h"
#include "board/SceneCardView.h"
#include "model/Screenplaydb.h"
#include "panes/BeatsTableView.h"
#include "panes/ItemsTableView.h"
#include "panes/TitleLoglineView.h"
#include "scene_editor/BigSceneView.h"
#include "support/SqlProbe.h"
#include "support/StorySnapshot.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <sqlite3.h>

#include <functional>

// Where the keyboard focus goes when the view holding it goes away: never on, as by Tab, into
// a field whose text is then selected and replaced by the next key.
class KeyboardFocus : public BoardFixture
{
protected:
    // Two board cards and one Litter Box card; the Litter Box column collapsed and shown again,
    // so that the title field follows the cards in the window's tab order.
    MyDocument* openStory()
    {
        path_ = story(QStringLiteral("Focus"), {inBeat(2, 0.3f), inBeat(2, 0.6f), inBeat(3, 0.2f, 2)},
                      QStringLiteral("ScreenplayTitle = 'Kept'"));
        keys_ = cardKeys(path_);
        document_ = open(path_);
        document_->window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(document_->window()));
        document_->window()->tbToggleLitterBox()->trigger();
        document_->window()->tbToggleLitterBox()->trigger();
        settle();
        return document_;
    }
    // A click on a card's heading: its editor opens with the caret in it.
    void clickHeading(std::int64_t key) const
    {
        SceneCardView* card = cardView(*document_, key);
        QTest::mouseClick(card->view(), Qt::LeftButton, {}, card->layout().frame(SceneCardPart::Heading).center());
        ASSERT_NE(card->lineEditor(), nullptr);
        ASSERT_EQ(QApplication::focusWidget(), card->lineEditor());
    }
    // Types into whatever has the focus now, the window when nothing has.
    void typeAnywhere(const QString& text) const
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : document_->window();
        QTest::keyClicks(target, text);
        QTest::keyClick(target, Qt::Key_Return);
    }
    static bool isTextFieldWithSelection(QWidget* widget)
    {
        if (auto* line = qobject_cast<QLineEdit*>(widget))
            return line->hasSelectedText();
        if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
            return box->textCursor().hasSelection();
        return false;
    }

    // A click on the card's heading opens its editor there.
    void clickHeading(std::int64_t key)
    {
        SceneCardView* view = cardView(*document_, key);
        ASSERT_NE(view, nullptr);
        QTest::mouseClick(view->view(), Qt::LeftButton, {}, view->layout().heading.center());
        ASSERT_NE(view->editor(), nullptr);
    }

    QString path_;
    std::vector<std::int64_t> keys_;
    MyDocument* document_ = nullptr;
};

TEST_F(KeyboardFocus, ViewsThatGoAwayLeaveTheFocusWithTheBoardNotInAField)
{
    struct Row {
        const char* what;
        // Puts the focus somewhere and does what takes its view away.
        std::function<void()> act;
        // Whether the focus ends in the board pane (else in some other view, never a field).
        bool inBoardPane;
    };
    const Row rows[] = {
        {"to the list from a board card's heading",
         [this] {
             clickHeading(keys_[0]);
             app_->actions().mnuToggleBoardView->trigger();
         },
         true},
        {"back to the corkboard from a listed card's heading",
         [this] {
             app_->actions().mnuToggleBoardView->trigger();
             clickHeading(keys_[1]);
             app_->actions().mnuToggleBoardView->trigger();
         },
         true},
        {"a Litter Box card dropped on the board from its heading",
         [this] {
             clickHeading(keys_[2]);
             ASSERT_TRUE(dropOn(document_->boardView()->boxBackground(), QPoint(400, 100),
                                *cardDrag(keys_[2], document_), Qt::MoveAction));
         },
         false},
        {"a Litter Box card dropped on a beat bar of the list from its heading",
         [this] {
             app_->actions().mnuToggleBoardView->trigger();
             clickHeading(keys_[2]);
             BoxWithTags* bar = nullptr;
             for (QObject* object : boardListViewOf(*document_)->listViewObjects())
                 if (auto* box = qobject_cast<BoxWithTags*>(object); box && box->stringTag() == "BoardBeatSection:2")
                     bar = box;
             ASSERT_NE(bar, nullptr);
             ASSERT_TRUE(dropOn(bar, QPoint(20, 10), *cardDrag(keys_[2], document_), Qt::MoveAction));
         },
         false},
        {"a Litter Box card dropped beside the large scene card from its heading",
         [this] {
             document_->openBigSceneCard(card(*document_, keys_[0]), 1);
             clickHeading(keys_[2]);
             QWidget* pane = document_->boardPane();
             ASSERT_TRUE(dropOn(pane, QPoint(5, pane->height() - 129), *cardDrag(keys_[2], document_),
                                Qt::MoveAction));
         },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(openStory(), nullptr);
        row.act();
        settle();
        QWidget* focused = QApplication::focusWidget();
        EXPECT_FALSE(isTextFieldWithSelection(focused)) << focused->objectName().toStdString();
        EXPECT_NE(focused, document_->titleLoglineView()->tfTitle());
        if (row.inBoardPane) {
            EXPECT_TRUE(focused && document_->boardPane()->isAncestorOf(focused));
        }
        typeAnywhere(QStringLiteral("zz"));
        settle();
        EXPECT_EQ(stored(path_, "SELECT ScreenplayTitle FROM Screenplay"), "Kept");
        EXPECT_EQ(stored(path_, "SELECT COUNT(*) FROM SceneCard WHERE Heading <> 'INT. ROOM - DAY'"), "0");
        document_->window()->close();
        settle();
    }
}

TEST_F(KeyboardFocus, AFieldOutsideTheBoardKeepsTheFocusAcrossTheToggle)
{
    ASSERT_NE(openStory(), nullptr);
    QLineEdit* title = document_->titleLoglineView()->tfTitle();
    QTest::mouseClick(title, Qt::LeftButton);
    QTest::keyClick(title, Qt::Key_End);
    app_->actions().mnuToggleBoardView->trigger();
    EXPECT_EQ(QApplication::focusWidget(), title);
    EXPECT_FALSE(title->hasSelectedText());
    QTest::keyClicks(title, " On");
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(stored(path_, "SELECT ScreenplayTitle FROM Screenplay"), "Kept On");
}

// Each stop of the story window that Tab reaches, with the key that leads on from it: the story's
// elements, their beats and lists, the board, the list, the Litter Box and the large card.
class WindowStops : public KeyboardFocus
{
protected:
    // Two board cards and a Litter Box card; the beats can be written (title, logline and genre)
    // unless `beatsOpen` is false, and the story has a character.
    MyDocument* openStory(bool beatsOpen)
    {
        path_ = story(QStringLiteral("Stops"), {inBeat(2, 0.3f), inBeat(2, 0.6f), inBeat(3, 0.2f, 2)},
                      beatsOpen ? QStringLiteral("ScreenplayTitle = 'Kept', Genre = 'Drama'")
                                : QStringLiteral("ScreenplayTitle = 'Kept'"));
        {
            DatabaseConnection file = StoryFile::open(path_);
            SqlProbe::exec(file.get(), "UPDATE Logline SET Logline = 'A line.' WHERE CurrentLoglineFlag = 1");
            SqlProbe::exec(file.get(), "INSERT INTO Character (ScreenplayID, CharacterName) "
                                       "SELECT ScreenplayID, 'ADA' FROM Screenplay");
        }
        keys_ = cardKeys(path_);
        document_ = open(path_);
        QApplication::setActiveWindow(document_->window());
        EXPECT_TRUE(QTest::qWaitForWindowActive(document_->window()));
        return document_;
    }
    static QWidget* focus() { return QApplication::focusWidget(); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focus(), key, modifiers);
        settle();
    }
    // The heading of the card is in edit and has the keyboard.
    bool editsHeadingOf(std::int64_t key) const
    {
        SceneCardView* card = cardView(*document_, key);
        return card && card->editedPart() == SceneCardPart::Heading && card->editor() == focus();
    }
    // Tab arrives at the story's elements, at the label of the section they show.
    void toTheSections() const
    {
        document_->titleLoglineView()->tfPageCount()->setFocus();
        press(Qt::Key_Tab);
    }
};

TEST_F(WindowStops, TabReachesEveryPartOfTheWindowAndTheKeyThereLeadsOn)
{
    struct Row {
        const char* what;
        bool beatsOpen;
        std::function<void()> arrange; // puts the keyboard at the stop before the key
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<bool()> holds;
    };
    const auto beatRow = [this] { return document_->beatsTableView()->tvTable()->currentIndex().row(); };
    const Row rows[] = {
        {"Tab from the pages reaches the label of the elements' section", true,
         [this] { document_->titleLoglineView()->tfPageCount()->setFocus(); }, Qt::Key_Tab, Qt::NoModifier,
         [this] { return focus() == document_->optSelectBeats(); }},
        {"Right on the label chooses the next section, the keyboard with it", true, [this] { toTheSections(); },
         Qt::Key_Right, Qt::NoModifier,
         [this] {
             return focus() == document_->optSelectCharacters()
                    && document_->currentScreenplay()->beatSectionShowing() == 1;
         }},
        {"Tab from the label goes into the first beat's text", true, [this] { toTheSections(); }, Qt::Key_Tab,
         Qt::NoModifier, [&] { return focus() && focus()->objectName() == "beatEditor" && beatRow() == 1; }},
        {"Tab passes over the beats while they cannot be written, to the board's first card", false,
         [this] { toTheSections(); }, Qt::Key_Tab, Qt::NoModifier, [this] { return editsHeadingOf(keys_[0]); }},
        {"Tab on the last beat goes on to the board's first card", true,
         [this] {
             QTableView* beats = document_->beatsTableView()->tvTable();
             beats->setFocus();
             beats->edit(beats->model()->index(29, 1));
         },
         Qt::Key_Tab, Qt::NoModifier, [this] { return editsHeadingOf(keys_[0]); }},
        {"Tab from the characters' label goes into their list", true,
         [this] {
             document_->setBeatSection(1);
             toTheSections();
         },
         Qt::Key_Tab, Qt::NoModifier,
         [this] { return focus() == document_->charactersTableView()->tvTable(); }},
        {"Tab reaches the board at the card last brought to the top", false,
         [this] {
             document_->setActiveSceneCardID(keys_[1]);
             toTheSections();
         },
         Qt::Key_Tab, Qt::NoModifier, [this] { return editsHeadingOf(keys_[1]); }},
        {"Tab from a card's heading leaves the board for the Litter Box's card", true,
         [this] { cardView(*document_, keys_[0])->beginEditing(SceneCardPart::Heading); }, Qt::Key_Tab,
         Qt::NoModifier, [this] { return editsHeadingOf(keys_[2]); }},
        {"Ctrl+Shift+Tab from a card's text area leaves the board, back", true,
         [this] { cardView(*document_, keys_[0])->beginEditing(SceneCardPart::Description); }, Qt::Key_Backtab,
         Qt::ControlModifier | Qt::ShiftModifier,
         [this] {
             return focus() && focus()->objectName() == "beatEditor" && !cardView(*document_, keys_[0])->editor();
         }},
        {"Ctrl+N on a card pages to the next one's heading", true,
         [this] { cardView(*document_, keys_[0])->beginEditing(SceneCardPart::Heading); }, Qt::Key_N,
         Qt::ControlModifier, [this] { return editsHeadingOf(keys_[1]); }},
        {"Return in a card's heading ends the edit and opens nothing, the card keeping the keyboard", true,
         [this] { cardView(*document_, keys_[1])->beginEditing(SceneCardPart::Heading); }, Qt::Key_Return,
         Qt::NoModifier,
         [this] {
             return !document_->bigSceneViewController() && !cardView(*document_, keys_[1])->editor()
                    && focus() == cardView(*document_, keys_[1])->view();
         }},
        {"Return on a card, no field in edit, opens it in the large card with its heading keyed", true,
         [this] {
             cardView(*document_, keys_[1])->beginEditing(SceneCardPart::Heading);
             press(Qt::Key_Return);
         },
         Qt::Key_Return, Qt::NoModifier,
         [this] {
             BigSceneView* big = document_->bigSceneViewController();
             return big && big->scene()->sceneCardID() == keys_[1] && focus() == big->tfHeading();
         }},
        {"Tab reaches the list view at a card", false,
         [this] {
             app_->actions().mnuToggleBoardView->trigger();
             toTheSections();
         },
         Qt::Key_Tab, Qt::NoModifier, [this] { return editsHeadingOf(keys_[0]) || editsHeadingOf(keys_[1]); }},
        {"Right on the large card's tab label shows the next tab, the keyboard with it", true,
         [this] {
             document_->openBigSceneCard(card(*document_, keys_[0]), 1);
             document_->bigSceneViewController()->tfConflict()->setFocus();
             press(Qt::Key_Tab);
         },
         Qt::Key_Right, Qt::NoModifier,
         [this] {
             BigSceneView* big = document_->bigSceneViewController();
             return big->selectedTabID() == 2 && focus() == big->tabSelector(2);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(openStory(row.beatsOpen), nullptr);
        row.arrange();
        settle();
        press(row.key, row.modifiers);
        EXPECT_TRUE(row.holds()) << (focus() ? focus()->objectName().toStdString() : "no focus");
        document_->window()->close();
        settle();
    }
}

// Tab round the whole window and back, typing nothing, writes nothing: every field and beat
// reached shows its text and leaves it as it was.
TEST_F(WindowStops, TabbingRoundTheWindowWritesNothing)
{
    ASSERT_NE(openStory(true), nullptr);
    document_->openBigSceneCard(card(*document_, keys_[0]), 6);
    settle();
    const Snapshot before = snapshotOf(*document_->currentScreenplay());
    const int changes = sqlite3_total_changes(document_->database());
    document_->titleLoglineView()->tfTitle()->setFocus();
    int stops = 0;
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier})
        for (int step = 0; step < 80; ++step) {
            press(Qt::Key_Tab, modifiers);
            stops += focus() && document_->boardPane()->isAncestorOf(focus());
        }
    EXPECT_GT(stops, 20) << "the board and the large card were passed through";
    EXPECT_EQ(sqlite3_total_changes(document_->database()), changes);
    EXPECT_EQ(snapshotOf(*document_->currentScreenplay()).firstDifference(before), QString());
}
