#include "BoardFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/BoardListViewView.h"
#include "board/BoardView.h"
#include "board/SceneCardView.h"
#include "model/Screenplaydb.h"
#include "panes/TitleLoglineView.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

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
