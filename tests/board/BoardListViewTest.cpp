#include "BoardFixture.h"

#include "app/AppActions.h"
#include "app/AppController.h"
#include "app/MyDocument.h"
#include "board/BoardListViewView.h"
#include "model/CardPlacement.h"
#include "board/ColorCodeSelector.h"
#include "board/RecordPasteboardType.h"
#include "board/SceneCardView.h"
#include "model/Characterdb.h"
#include "model/ColorCodedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "panes/ModalDialogs.h"
#include "panes/TitleLoglineView.h"
#include "support/TempStory.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QTableView>
#include <QTest>

#include <sqlite3.h>

namespace Pasteboard = RecordPasteboardType;

class BoardListTest : public BoardFixture
{
protected:
    // Opens a story whose board shows as the list, with these cards.
    MyDocument* openList(const std::vector<CardSpec>& cards, const QString& assignments = QString())
    {
        QString fields = QStringLiteral("BoardView = 2");
        if (!assignments.isEmpty())
            fields += QStringLiteral(", ") + assignments;
        path_ = story(QStringLiteral("List"), cards, fields);
        keys_ = cardKeys(path_);
        document_ = open(path_);
        list_ = document_ ? boardListViewOf(*document_) : nullptr;
        return document_;
    }
    Screenplaydb& screenplay() const { return *document_->currentScreenplay(); }

    std::vector<BoxWithTags*> bars() const
    {
        std::vector<BoxWithTags*> found;
        for (QObject* object : list_->listViewObjects())
            if (auto* bar = qobject_cast<BoxWithTags*>(object))
                found.push_back(bar);
        return found;
    }
    BoxWithTags* barTagged(std::int64_t tag) const
    {
        for (BoxWithTags* bar : bars())
            if (bar->tag() == tag)
                return bar;
        return nullptr;
    }
    // The keys of the cards the list shows, in list order.
    std::vector<std::int64_t> shownKeys() const
    {
        std::vector<std::int64_t> found;
        for (QObject* object : list_->listViewObjects())
            if (auto* control = qobject_cast<SceneCardView*>(object))
                found.push_back(control->scene()->sceneCardID());
        return found;
    }

    QString path_;
    std::vector<std::int64_t> keys_;
    MyDocument* document_ = nullptr;
    BoardListViewView* list_ = nullptr;
};

// --- Sort method 1: acts, beats and cards ------------------------------------------------------

TEST_F(BoardListTest, BoardListBarsStandInActBlocksWithBeatBarsAndTheirCards)
{
    ASSERT_TRUE(openList({inBeat(1, 0.5f), inBeat(9), inBeat(1, 0.2f), inBeat(8), inBeat(21), inBeat(3, 0.1f, 2)}));
    ASSERT_NE(list_, nullptr);
    EXPECT_EQ(document_->boardListViewView(), list_->view());
    EXPECT_TRUE(document_->boardPane()->isAncestorOf(list_->view()));

    const std::vector<BoxWithTags*> all = bars();
    // Five act blocks of three bars, seventeen beat bars.
    ASSERT_EQ(all.size(), 5u * 3u + 17u);
    EXPECT_EQ(all[0]->tag(), 1001);
    EXPECT_EQ(all[0]->stringTag(), "Act:1");
    EXPECT_EQ(all[0]->geometry().y(), 0);
    EXPECT_EQ(all[0]->height(), 8);
    EXPECT_EQ(all[1]->tag(), 2001);
    EXPECT_EQ(all[1]->geometry().y(), 6);
    EXPECT_EQ(all[1]->height(), 44);
    EXPECT_EQ(all[1]->label()->text(), screenplay().boardSections().section1Label());
    EXPECT_EQ(all[2]->tag(), 1001);
    EXPECT_EQ(all[2]->geometry().y(), 48);
    EXPECT_EQ(all[3]->tag(), 3001);
    EXPECT_EQ(all[3]->stringTag(), "BoardBeatSection:1");
    EXPECT_EQ(all[3]->geometry().y(), 54);
    EXPECT_EQ(all[3]->height(), 32);
    EXPECT_EQ(all[3]->label()->text(), screenplay().boardSections().beatLabelForBoardBeat(1));
    EXPECT_EQ(all[3]->myBoardListViewParent(), list_);
    // Only beat bars take drops.
    EXPECT_EQ(all[0]->myBoardListViewParent(), nullptr);
    EXPECT_EQ(all[1]->myBoardListViewParent(), nullptr);

    const std::vector<std::int64_t> expectedActs{1001, 2001, 1001, 1002, 2002, 1002, 1003, 2003, 1003,
                                                 1004, 2004, 1004, 1005, 2005, 1005};
    std::vector<std::int64_t> actTags;
    std::vector<std::int64_t> beatTags;
    for (BoxWithTags* bar : all)
        (bar->tag() >= 3000 ? beatTags : actTags).push_back(bar->tag());
    EXPECT_EQ(actTags, expectedActs);
    EXPECT_EQ(beatTags, (std::vector<std::int64_t>{3001, 3002, 3003, 3004, 3005, 3006, 3007, 3009, 3010, 3011, 3012,
                                                  3014, 3015, 3016, 3017, 3019, 3020}));
    EXPECT_EQ(barTagged(3009)->stringTag(), "BoardBeatSection:9");
    EXPECT_EQ(all.back()->stringTag(), "End");
    EXPECT_EQ(barTagged(2005)->label()->text(), screenplay().boardSections().beatLabelForBoardBeat(21));

    // Every board card whose beat has a bar shows once under its bar (cards of equal sort order
    // in the story's order): the cards of beat 8 and 21 and the Litter Box card do not show.
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[0], keys_[2], keys_[1]}));
    SceneCardView* first = cardView(*document_, keys_[0]);
    const int width = list_->vListView()->width();
    const int cardHeight = first->view()->height();
    EXPECT_EQ(first->view()->parentWidget(), list_->vListView());
    EXPECT_EQ(first->view()->geometry(), QRect(1, 54 + 32, width - 2, cardHeight));
    EXPECT_EQ(first->tag(), BoardListViewView::kCardTag);
    EXPECT_FALSE(first->canMove());
    EXPECT_EQ(first->myBoardListViewParent(), list_);
    EXPECT_EQ(first->myBoardViewParent(), nullptr);
    EXPECT_EQ(cardView(*document_, keys_[2])->view()->y(), 54 + 32 + cardHeight);
    // The second beat bar follows the two cards of beat 1.
    EXPECT_EQ(barTagged(3002)->geometry().y(), 54 + 32 + 2 * cardHeight);
    EXPECT_EQ(barTagged(3009)->geometry().y(), 54 + 7 * 32 + 2 * cardHeight + 54);
    EXPECT_EQ(cardView(*document_, keys_[1])->view()->y(), barTagged(3009)->geometry().y() + 32);
    EXPECT_FALSE(cardView(*document_, keys_[3])->view()->isVisibleTo(list_->vListView()));
    // The list is as high as its bars and cards.
    EXPECT_EQ(list_->vListView()->height(), 5 * 54 + 17 * 32 + 3 * cardHeight);
    EXPECT_EQ(all.back()->geometry().bottom() + 1, list_->vListView()->height() + 2);
}

TEST_F(BoardListTest, BoardListOrdersCardsOfABeatBySortOrder)
{
    ASSERT_TRUE(openList({inBeat(2, 0.9f), inBeat(2, 0.1f), inBeat(2, 0.5f)}));
    // The list follows the stored sort order, not the story's order nor the fractions.
    screenplay().sceneCardForSceneCardID(keys_[0])->setSortOrder(1);
    screenplay().sceneCardForSceneCardID(keys_[1])->setSortOrder(3);
    screenplay().sceneCardForSceneCardID(keys_[2])->setSortOrder(2);
    list_->refreshView();
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[0], keys_[2], keys_[1]}));
}

// --- Sort method 2 -----------------------------------------------------------------------------

TEST_F(BoardListTest, BoardListByStartTimeShowsNoBarsAndFollowsTheCalendar)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(9), inBeat(14), inBeat(19)}, QStringLiteral("BoardListSortMethod = 2")));
    screenplay().sceneCardForSceneCardID(keys_[0])->setStartDateTime(QStringLiteral("01/05/2013 09:00"));
    screenplay().sceneCardForSceneCardID(keys_[1])->setStartDateTime(QStringLiteral("12/24/2012 18:30"));
    screenplay().sceneCardForSceneCardID(keys_[2])->setStartDateTime(QStringLiteral("01/05/2013 08:15"));
    list_->refreshView();
    EXPECT_TRUE(bars().empty());
    // A card without a start time comes first; December 2012 before January 2013.
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[3], keys_[1], keys_[2], keys_[0]}));
    SceneCardView* top = cardView(*document_, keys_[3]);
    const int height = top->view()->height();
    EXPECT_EQ(top->view()->geometry(), QRect(0, 0, list_->vListView()->width(), height));
    EXPECT_EQ(cardView(*document_, keys_[0])->view()->y(), 3 * height);
    EXPECT_EQ(list_->vListView()->height(), 4 * height);

    // Any other method places nothing.
    screenplay().setBoardListSortMethod(3);
    list_->refreshView();
    EXPECT_TRUE(list_->listViewObjects().empty());
    EXPECT_EQ(list_->vListView()->height(), 0);
}

// --- Filters -----------------------------------------------------------------------------------

TEST_F(BoardListTest, BoardListColorFilterMatchesAnyOfTheSixSlots)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(2), inBeat(3)}));
    const std::int64_t code = screenplay().colorCodes().at(2)->colorCodeID();
    screenplay().sceneCardForSceneCardID(keys_[0])->setColorLegendID(6, code);
    screenplay().sceneCardForSceneCardID(keys_[2])->setColorLegendID(1, code);
    screenplay().sceneCardForSceneCardID(keys_[1])->setColorLegendID(3, code + 1);
    screenplay().setBoardListFilterColorID(code);
    list_->refreshView();
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[0], keys_[2]}));
    EXPECT_EQ(list_->lblSelectedColorDescription()->text(), screenplay().colorCodes().at(2)->description());
    const ColorCodedb& chosen = *screenplay().colorCodes().at(2);
    EXPECT_EQ(list_->lblSelectedColor()->palette().color(QPalette::Window),
              QColor(static_cast<int>(chosen.redValue()), static_cast<int>(chosen.greenValue()),
                     static_cast<int>(chosen.blueValue()), static_cast<int>(chosen.alphaValue())));

    // A colour code that no longer exists matches no card; the bars still show.
    screenplay().setBoardListFilterColorID(9999);
    list_->refreshView();
    EXPECT_TRUE(shownKeys().empty());
    EXPECT_EQ(bars().size(), 32u);
    EXPECT_EQ(list_->lblSelectedColor()->palette().color(QPalette::Window).alpha(), 0);

    screenplay().setBoardListFilterColorID(0);
    list_->refreshView();
    EXPECT_EQ(shownKeys().size(), 3u);
    EXPECT_EQ(list_->lblSelectedColorDescription()->text(), "No Color Selected");
    EXPECT_EQ(list_->lblSelectedColor()->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(BoardListTest, BoardListColorFilterIsChosenInTheColorDialogAndSaved)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(2)}));
    const std::int64_t code = screenplay().colorCodes().at(1)->colorCodeID();
    screenplay().sceneCardForSceneCardID(keys_[1])->setColorLegendID(2, code);
    int runs = 0;
    ModalDialogs::setRunner([&](QDialog& dialog) {
        ++runs;
        auto* selector = dynamic_cast<ColorCodeSelector*>(&dialog);
        EXPECT_NE(selector, nullptr);
        if (selector) {
            EXPECT_EQ(selector->useMode(), ColorCodeSelector::Filter);
            EXPECT_EQ(list_->colorCodeWindow(), selector);
            selector->tvColors()->selectRow(1);
        }
        return dialog.result();
    });
    list_->cmdSelectColor()->click();
    ModalDialogs::setRunner({});
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(list_->colorCodeWindow(), nullptr);
    EXPECT_EQ(screenplay().boardListFilterColorID(), code);
    EXPECT_EQ(stored(path_, "SELECT BoardListFilterColorID FROM Screenplay"), QString::number(code));
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[1]}));
}

TEST_F(BoardListTest, BoardListCharacterAndLocationFiltersThroughTheirComboBoxes)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(2), inBeat(3)}));
    Screenplaydb& story = screenplay();
    for (const char* name : {"Ann", "Bob"}) {
        auto character = std::make_unique<Characterdb>();
        character->setScreenplayID(story.screenplayID());
        character->setCharacterName(QString::fromLatin1(name));
        character->insertIntoDatabase(&story);
        story.characters().push_back(std::move(character));
    }
    auto location = std::make_unique<SceneLocationdb>();
    location->setScreenplayID(story.screenplayID());
    location->setLocation(QStringLiteral("Harbour"));
    location->insertIntoDatabase(&story);
    const std::int64_t harbour = location->sceneLocationID();
    story.sceneLocations().push_back(std::move(location));
    const std::int64_t bob = story.characters()[1]->characterID();
    for (const std::int64_t key : {keys_[0], keys_[2]}) {
        auto link = std::make_unique<SceneCardCharacterdb>();
        link->setSceneCardID(key);
        link->setCharacterID(bob);
        link->insertIntoDatabase(&story);
        story.sceneCardCharacters().push_back(std::move(link));
    }
    story.sceneCardForSceneCardID(keys_[2])->setSceneLocationID(harbour);
    list_->refreshView();

    QComboBox* characters = list_->cmbCharacter();
    ASSERT_EQ(characters->count(), 3);
    EXPECT_EQ(characters->itemText(0), "<NO CHARACTER FILTERING>");
    EXPECT_EQ(characters->itemText(2), "Bob");
    EXPECT_EQ(list_->cmbLocation()->count(), 2);
    EXPECT_EQ(list_->cmbLocation()->itemText(0), "<NO LOCATION FILTERING>");
    EXPECT_EQ(list_->cmbLocation()->itemText(1), "Harbour");

    // Ctrl+Tab goes round the whole window and never stops on a filter, where a letter would
    // choose a name.
    QWidget* window = document_->window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QWidget* start = document_->titleLoglineView()->tfTitle();
    start->setFocus();
    int stops = 0;
    do {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        ASSERT_NE(QApplication::focusWidget(), characters);
        ASSERT_NE(QApplication::focusWidget(), list_->cmbLocation());
    } while (QApplication::focusWidget() != start && ++stops < 100);
    EXPECT_EQ(QApplication::focusWidget(), start);

    // The first item while no filter is set changes and writes nothing.
    const int writes = sqlite3_total_changes(document_->database());
    characters->setCurrentIndex(0);
    list_->comboBoxSelectionDidChange(characters);
    EXPECT_EQ(sqlite3_total_changes(document_->database()), writes);
    EXPECT_EQ(shownKeys().size(), 3u);

    characters->setCurrentIndex(2);
    list_->comboBoxSelectionDidChange(characters);
    EXPECT_EQ(story.boardListFilterCharacterID(), bob);
    EXPECT_EQ(stored(path_, "SELECT BoardListFilterCharacterID FROM Screenplay"), QString::number(bob));
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[0], keys_[2]}));
    EXPECT_EQ(list_->cmbCharacter()->currentText(), "Bob");

    // The same choice again writes nothing.
    const int afterFilter = sqlite3_total_changes(document_->database());
    list_->comboBoxSelectionDidChange(list_->cmbCharacter());
    EXPECT_EQ(sqlite3_total_changes(document_->database()), afterFilter);

    list_->cmbLocation()->setCurrentIndex(1);
    list_->comboBoxSelectionDidChange(list_->cmbLocation());
    EXPECT_EQ(stored(path_, "SELECT BoardListFilterLocationID FROM Screenplay"), QString::number(harbour));
    // Both filters hold at once.
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[2]}));
    EXPECT_EQ(list_->cmbLocation()->currentText(), "Harbour");

    // The first item clears its filter.
    list_->cmbCharacter()->setCurrentIndex(0);
    list_->comboBoxSelectionDidChange(list_->cmbCharacter());
    EXPECT_EQ(story.boardListFilterCharacterID(), 0);
    EXPECT_EQ(stored(path_, "SELECT BoardListFilterCharacterID FROM Screenplay"), "0");
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[2]}));
}

// --- Drops -------------------------------------------------------------------------------------

TEST_F(BoardListTest, BoardListLitterBoxCardDroppedOnBeatBarNineGoesToThatBeat)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(12), inBeat(3, 0.3f, 2)}));
    const std::int64_t key = keys_[2];
    BoxWithTags* bar = barTagged(3009);
    ASSERT_NE(bar, nullptr);
    const auto data = cardDrag(key, document_);
    Qt::DropAction action = Qt::IgnoreAction;
    EXPECT_TRUE(dragOver(bar, QPoint(20, 10), *data, Qt::MoveAction, &action));
    EXPECT_EQ(action, Qt::MoveAction);
    EXPECT_TRUE(dropOn(bar, QPoint(20, 10), *data, Qt::MoveAction));
    settle();

    const BoardSections& sections = screenplay().boardSections();
    SceneCarddb* placed = card(*document_, key);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->onBoard(), 1);
    EXPECT_EQ(placed->currentBeatSection(), 9);
    EXPECT_EQ(placed->pageNumber(), sections.beginningPageNumberForBoardBeat(9));
    EXPECT_EQ(placed->pageNumber(), 26);
    EXPECT_EQ(placed->positionLeft(), sections.leftForBoardBeatSection(9));
    EXPECT_EQ(placed->positionTop(), sections.topForBoardBeatSection(9));
    EXPECT_TRUE(screenplay().litterBox().empty());
    EXPECT_EQ(screenplay().sceneCards().size(), 3u);
    EXPECT_EQ(stored(path_, QStringLiteral("SELECT OnBoard || '|' || CurrentBeatSection || '|' || PageNumber FROM "
                                           "SceneCard WHERE SceneCardID = %1")
                                .arg(key)),
              "1|9|26");
    // The board is renumbered in board order: beat 1, beat 9, beat 12.
    EXPECT_EQ(stored(path_, "SELECT group_concat(SortOrder) FROM (SELECT SortOrder FROM SceneCard ORDER BY SceneCardID)"),
              "1,3,2");
    // The list shows it under bar 9, movable again by drag.
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[0], key, keys_[1]}));
    BoxWithTags* newBar = barTagged(3009);
    EXPECT_EQ(cardView(*document_, key)->view()->y(), newBar->geometry().y() + 32);
    EXPECT_EQ(cardView(*document_, key)->myBoardListViewParent(), list_);
    EXPECT_EQ(cardView(*document_, key)->fieldText(SceneCardPart::PageNumber), "26");
}

// Cards put back at a beat where others already stand go 20 points right of the last of them, one
// after another, on the beat's first page.
TEST_F(BoardListTest, CardsPutBackAtOneBeatStandApart)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(3, 0.3f, 2), inBeat(3, 0.4f, 2), inBeat(3, 0.5f, 2)}));
    for (const std::int64_t key : {keys_[1], keys_[2], keys_[3]}) {
        EXPECT_TRUE(dropOn(barTagged(3009), QPoint(20, 10), *cardDrag(key, document_), Qt::MoveAction));
        settle();
    }
    const std::int64_t first = screenplay().boardSections().leftForBoardBeatSection(9);
    EXPECT_EQ(stored(path_, "SELECT group_concat(PositionLeft || '|' || PageNumber || '|' || CurrentBeatSection, ' ') "
                            "FROM (SELECT * FROM SceneCard WHERE OnBoard = 1 AND CurrentBeatSection = 9 ORDER BY "
                            "SceneCardID)"),
              QStringLiteral("%1|26|9 %2|26|9 %3|26|9").arg(first).arg(first + 20).arg(first + 40));
}

TEST_F(BoardListTest, BoardListBarsRefuseBoardCardsAndForeignDrags)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(3, 0.3f, 2)}));
    BoxWithTags* bar = barTagged(3005);
    const auto boardCard = cardDrag(keys_[0], document_);
    Qt::DropAction action = Qt::MoveAction;
    EXPECT_FALSE(dragOver(bar, QPoint(5, 5), *boardCard, Qt::MoveAction, &action));
    EXPECT_EQ(action, Qt::IgnoreAction);
    EXPECT_FALSE(bar->performDrop(boardCard.get(), QPoint(5, 5)));
    EXPECT_EQ(card(*document_, keys_[0])->currentBeatSection(), 1);

    // A card named by another window's drag, and act bars, take nothing.
    const auto foreign = cardDrag(keys_[1], nullptr);
    EXPECT_FALSE(dropOn(bar, QPoint(5, 5), *foreign, Qt::MoveAction));
    const auto litter = cardDrag(keys_[1], document_);
    EXPECT_EQ(barTagged(2001)->dragOperationFor(litter.get(), Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_FALSE(barTagged(2001)->performDrop(litter.get(), QPoint(5, 5)));
    EXPECT_EQ(barTagged(1001)->dragOperationFor(litter.get(), Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(card(*document_, keys_[1])->onBoard(), 2);
    EXPECT_EQ(stored(path_, QStringLiteral("SELECT OnBoard FROM SceneCard WHERE SceneCardID = %1").arg(keys_[1])), "2");
}

TEST_F(BoardListTest, BoardListLitterBoxCardDroppedOnAListCardLandsBesideIt)
{
    ASSERT_TRUE(openList({inBeat(10, 0.41f), inBeat(3, 0.3f, 2)}));
    SceneCarddb* anchor = card(*document_, keys_[0]);
    // The anchor's place, page and beat, as the corkboard gives them.
    placeCardWhereItShows(screenplay().boardSections(), *anchor);
    const auto anchorLeft = anchor->positionLeft();
    SceneCardView* target = cardView(*document_, keys_[0]);
    const auto data = cardDrag(keys_[1], document_);
    EXPECT_TRUE(dropOn(target->dragDropView(), QPoint(30, 30), *data, Qt::MoveAction));
    settle();

    SceneCarddb* placed = card(*document_, keys_[1]);
    EXPECT_EQ(placed->onBoard(), 1);
    EXPECT_EQ(placed->positionLeft(), anchorLeft + 20);
    EXPECT_EQ(placed->positionTop(), anchor->positionTop());
    EXPECT_EQ(placed->currentBeatSection(), anchor->currentBeatSection());
    EXPECT_EQ(placed->pageNumber(), anchor->pageNumber());
    EXPECT_FLOAT_EQ(placed->percentageVertical(), anchor->percentageVertical());
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[0], keys_[1]}));
}

TEST_F(BoardListTest, BoardListRefusesDropsWithoutAValidAnchorOrBeat)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(3, 0.3f, 2), inBeat(4, 0.3f, 2)}));
    const std::int64_t key = keys_[1];
    const QString before =
        stored(path_, QStringLiteral("SELECT group_concat(OnBoard || ':' || CurrentBeatSection || ':' || SortOrder) "
                                     "FROM SceneCard"));
    const int writes = sqlite3_total_changes(document_->database());
    for (const QString& tag :
         {QStringLiteral("99999"), QString::number(keys_[2]), QStringLiteral("BoardBeatSection:8"),
          QStringLiteral("BoardBeatSection:21"), QStringLiteral("BoardBeatSection:-3"), QStringLiteral("BoardBeatSection:x"),
          QStringLiteral("BoardBeatSection"), QStringLiteral("Act:1"), QString()}) {
        EXPECT_FALSE(list_->dropSceneCard(key, QPoint(), tag)) << tag.toStdString();
        EXPECT_EQ(card(*document_, key)->onBoard(), 2) << tag.toStdString();
        EXPECT_EQ(card(*document_, key)->currentBeatSection(), 3) << tag.toStdString();
    }
    // A board card, or no card at all, is not put on the board again.
    EXPECT_FALSE(list_->dropSceneCard(keys_[0], QPoint(), QStringLiteral("BoardBeatSection:9")));
    EXPECT_FALSE(list_->dropSceneCard(424242, QPoint(), QStringLiteral("BoardBeatSection:9")));
    EXPECT_EQ(card(*document_, keys_[0])->currentBeatSection(), 1);
    EXPECT_EQ(screenplay().litterBox().size(), 2u);
    EXPECT_EQ(screenplay().sceneCards().size(), 1u);
    EXPECT_EQ(sqlite3_total_changes(document_->database()), writes);
    EXPECT_EQ(stored(path_, QStringLiteral("SELECT group_concat(OnBoard || ':' || CurrentBeatSection || ':' || "
                                           "SortOrder) FROM SceneCard")),
              before);
}

// --- The document's list -----------------------------------------------------------------------

TEST_F(BoardListTest, BoardListShutDownReleasesTheListAndItsCards)
{
    ASSERT_TRUE(openList({inBeat(1), inBeat(2)}));
    SceneCardView* control = cardView(*document_, keys_[0]);
    document_->setActiveSceneCardID(keys_[0]);
    list_->popToTheTop(*control);
    EXPECT_EQ(document_->activeSceneCardID(), keys_[0]);

    document_->shutDownTheBoardListView();
    settle();
    EXPECT_EQ(boardListViewOf(*document_), nullptr);
    EXPECT_EQ(document_->boardListViewView(), nullptr);
    EXPECT_EQ(document_->activeSceneCardID(), 0);
    EXPECT_EQ(control->myBoardListViewParent(), nullptr);
    EXPECT_FALSE(control->view()->isVisible());
    EXPECT_TRUE(screenplay().listViewCards().empty());

    document_->showBoardListView();
    list_ = boardListViewOf(*document_);
    ASSERT_NE(list_, nullptr);
    EXPECT_EQ(shownKeys(), (std::vector<std::int64_t>{keys_[0], keys_[1]}));
}

TEST_F(BoardListTest, CardStockReportsOfAListShowingNoCardPrintOneEmptySheet)
{
    // The board holds cards; the list's colour filter names a code no card carries.
    ASSERT_TRUE(openList({inBeat(1), inBeat(2)}, QStringLiteral("BoardListFilterColorID = 9999")));
    ASSERT_TRUE(shownKeys().empty());
    AppActions& menus = app_->actions();
    const QString folder = home_.path();
    for (QAction* item : {menus.mnuRSCI3x5, menus.mnuRSCI4x6, menus.mnuRSCA3x5, menus.mnuRSCABusinessCards}) {
        SCOPED_TRACE(item->objectName().toStdString());
        const QString path = QDir(folder).filePath(item->objectName() + QStringLiteral(".pdf"));
        fakes_.alerts->shown.clear();
        fakes_.printPanels->shown.clear();
        fakes_.printPanels->answers.push_back(path);
        item->trigger();
        EXPECT_TRUE(fakes_.alerts->shown.empty());
        ASSERT_EQ(fakes_.printPanels->shown.size(), 1u);
        EXPECT_EQ(fakes_.printPanels->shown.front().pageCount, 1);
        // The sheet is blank: no heading, band label or page number of any card.
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        ASSERT_TRUE(text.waitForFinished(10000));
        EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).trimmed().isEmpty());
    }
    fakes_.printPanels->shown.clear();

    // The summary still prints its caption of the filter; with the filter off the stocks print again.
    fakes_.alerts->shown.clear();
    fakes_.printPanels->answers.push_back(std::nullopt);
    menus.mnuRSCSummary->trigger();
    EXPECT_EQ(fakes_.printPanels->shown.size(), 1u);
    screenplay().setBoardListFilterColorID(0);
    list_->refreshView();
    ASSERT_EQ(shownKeys().size(), 2u);
    fakes_.printPanels->answers.push_back(std::nullopt);
    menus.mnuRSCA3x5->trigger();
    EXPECT_EQ(fakes_.printPanels->shown.size(), 2u);
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

// A short story's initial beat cards, every group with them, are listed under their own beats:
// where several bars share a page, a beat card keeps its beat's bar (All Is Lost and Dark Night
// of the Soul of an 8-page story, Catalyst of 12 pages, Set-Up of 20, Theme Stated and B Story
// of 28).
TEST_F(BoardListTest, AShortStorysBeatCardsAreListedUnderTheirOwnBeats)
{
    // Beat n's card stands on the n-th of these bars.
    constexpr std::array<std::int64_t, 16> ownBar = {0, 1, 3, 4, 5, 6, 7, 10, 11, 12, 14, 15, 16, 17, 19, 20};
    for (const int pages : {8, 12, 20, 28}) {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        const QString path = story(QStringLiteral("Short %1").arg(pages), {},
                                   QStringLiteral("BoardView = 2, PageCount = %1").arg(pages));
        {
            OpenedStory file;
            file.open(path);
            file.story->hydrate();
            Toolkit().addInitialBeatCardsForScreenplay(*file.story, {true, true, true, true, true});
        }
        document_ = open(path);
        list_ = boardListViewOf(*document_);
        ASSERT_NE(list_, nullptr);
        std::int64_t barAbove = 0;
        int beatCards = 0;
        for (QObject* object : list_->listViewObjects()) {
            if (auto* bar = qobject_cast<BoxWithTags*>(object); bar && bar->tag() > 3000 && bar->tag() <= 3020)
                barAbove = bar->tag() - 3000;
            if (auto* card = qobject_cast<SceneCardView*>(object); card && card->scene()->beatCardNumber() > 0) {
                ++beatCards;
                EXPECT_EQ(barAbove, ownBar[static_cast<std::size_t>(card->scene()->beatCardNumber())])
                    << "beat card " << card->scene()->beatCardNumber();
            }
        }
        EXPECT_EQ(beatCards, 15);
        document_->window()->close();
    }
}
