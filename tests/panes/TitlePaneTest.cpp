#include "PanesFixture.h"

#include "app/AdviceWindow.h"
#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "app/SmallViews.h"
#include "board/BoardListViewView.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/StoryGenres.h"
#include "panes/BeatsTableView.h"
#include "panes/TitleLoglineView.h"
#include "scene_editor/BigSceneView.h"
#include "support/BoardTable.h"
#include "support/SqlProbe.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QWheelEvent>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const QString kAllBeatsWritten = QStringLiteral("UPDATE Beat SET Description = 'Written'");

const std::map<std::int64_t, BarPages>& kBarPages = handWorkedBarPages();

} // namespace

class TitlePane : public PanesFixture
{
protected:
    // Each board card's page as the file holds it, in key order.
    QString storedPages() const
    {
        return stored("SELECT group_concat(PageNumber) FROM (SELECT PageNumber FROM SceneCard ORDER BY SceneCardID)");
    }
    // Each card's place, page and board beat as the file holds them, in key order.
    QString storedPlaces() const
    {
        return stored("SELECT group_concat(PositionLeft || ',' || PositionTop || ',' || PageNumber || ',' || "
                      "CurrentBeatSection, ' ') FROM (SELECT * FROM SceneCard ORDER BY SceneCardID)");
    }
    // The same of every card in memory, board and Litter Box, with its dirty mark.
    QString placesInMemory() const
    {
        QStringList places;
        for (const auto* cards : {&screenplay().sceneCards(), &screenplay().litterBox()})
            for (const auto& card : *cards)
                places << QStringLiteral("%1:%2,%3,%4,%5%6")
                              .arg(card->sceneCardID())
                              .arg(card->positionLeft())
                              .arg(card->positionTop())
                              .arg(card->pageNumber())
                              .arg(card->currentBeatSection())
                              .arg(card->isDirty() ? " changed" : "");
        return places.join(' ');
    }
    // Every card of the board and the Litter Box stands under the board beat the board's table
    // gives its page (where short stories give several bars one page, the bar it lies on or the
    // nearest; a beat card's own), in memory and in the file.
    void expectEveryCardUnderTheBeatOfItsPage(std::int64_t pageCount) const
    {
        for (const auto* cards : {&screenplay().sceneCards(), &screenplay().litterBox()})
            for (const auto& card : *cards) {
                SCOPED_TRACE(card->sceneCardID());
                const std::int64_t beat =
                    beatByTheTable(kBarPages.at(pageCount), card->pageNumber(), card->percentageHorizontal(),
                                   card->beatCardNumber());
                EXPECT_EQ(card->currentBeatSection(), beat) << "page " << card->pageNumber();
                EXPECT_EQ(stored(QStringLiteral("SELECT PageNumber || ',' || CurrentBeatSection FROM SceneCard "
                                                "WHERE SceneCardID = %1")
                                     .arg(card->sceneCardID())),
                          QStringLiteral("%1,%2").arg(card->pageNumber()).arg(beat));
            }
    }
};

TEST_F(TitlePane, ShowsTheStoryAndWritesEveryFinishedEdit)
{
    open(story("Shown", "Genre = 'Romance', PageCount = 95"));
    EXPECT_EQ(titlePane().tfTitle()->text(), "Shown");
    EXPECT_EQ(titlePane().cmbGenre()->currentText(), "Romance");
    EXPECT_EQ(titlePane().tfPageCount()->text(), "95");
    // The box offers the genres of the list, in their order, and nothing else.
    QStringList offered;
    for (int i = 0; i < titlePane().cmbGenre()->count(); ++i)
        offered << titlePane().cmbGenre()->itemText(i);
    EXPECT_EQ(offered, storyGenres());

    type(titlePane().tfTitle(), "Renamed");
    type(titlePane().tfLogline(), "A thief must steal back her own past.");
    chooseGenre("Mystery");
    EXPECT_EQ(stored("SELECT ScreenplayTitle || '|' || Genre FROM Screenplay"), "Renamed|Mystery");
    EXPECT_EQ(stored("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"), "A thief must steal back her own past.");
    // Tab goes from the logline to the genre and on to the pages; a genre typed there is no choice.
    titlePane().tfLogline()->setFocus();
    QTest::keyClick(titlePane().tfLogline(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), titlePane().cmbGenre());
    QTest::keyClicks(titlePane().cmbGenre(), "Drama");
    QTest::keyClick(titlePane().cmbGenre(), Qt::Key_Return);
    QTest::keyClicks(titlePane().cmbGenre(), "Western");
    QTest::keyClick(titlePane().cmbGenre(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), titlePane().tfPageCount());
    EXPECT_EQ(stored("SELECT Genre FROM Screenplay"), "Mystery");
    EXPECT_EQ(titlePane().cmbGenre()->currentText(), "Mystery");
    // Nor does the wheel over the genre choose one.
    QComboBox* genre = titlePane().cmbGenre();
    const QPoint middle = genre->rect().center();
    QWheelEvent wheel(middle, genre->mapToGlobal(middle), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(genre, &wheel);
    EXPECT_TRUE(wheel.isAccepted()) << "the box takes the wheel";
    EXPECT_EQ(stored("SELECT Genre FROM Screenplay"), "Mystery");
    EXPECT_EQ(genre->currentText(), "Mystery");

    // Shift+Tab from the title goes back round, past the board and the Litter Box that hold no card,
    // into the text of the last beat, which the writer may now write.
    titlePane().tfTitle()->setFocus();
    QTest::keyClick(titlePane().tfTitle(), Qt::Key_Backtab, Qt::ShiftModifier);
    QWidget* beat = QApplication::focusWidget();
    ASSERT_TRUE(beat && beat->objectName() == QStringLiteral("beatEditor"));
    EXPECT_EQ(document_->beatsTableView()->tvTable()->currentIndex().row(), 29);
}

TEST_F(TitlePane, AGenreOutsideTheListIsShownAsStored)
{
    open(story("Odd", "Genre = 'Space Western'"));
    EXPECT_EQ(titlePane().cmbGenre()->currentText(), "Space Western");
}

TEST_F(TitlePane, PageCountsFromFourToAThousandRepageTheCardsWithoutTheDialog)
{
    const QString path = story("Paged", "Genre = 'Action'", true);
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), QStringLiteral("UPDATE SceneCard SET OnBoard = 2 WHERE BeatCardNumber = 5"));
    }
    open(path);
    ASSERT_EQ(screenplay().litterBox().size(), 1u);
    describeEveryBeat();
    const QString before = storedPages();

    type(titlePane().tfPageCount(), "1000");
    EXPECT_EQ(stored("SELECT PageCount FROM Screenplay"), "1000");
    const QString atThousand = storedPages();
    EXPECT_NE(atThousand, before);
    EXPECT_EQ(stored("SELECT MAX(PageNumber) FROM SceneCard").toInt(), screenplay().sceneCards().back()->pageNumber());
    EXPECT_GT(stored("SELECT MAX(PageNumber) FROM SceneCard").toInt(), 110);
    for (const auto& card : screenplay().sceneCards()) {
        const SceneCardView* view = document_->sceneCardControlForSceneCard(card.get());
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->fieldText(SceneCardPart::PageNumber), QString::number(card->pageNumber())) << "the view shows the new page";
    }
    expectEveryCardUnderTheBeatOfItsPage(1000);

    type(titlePane().tfPageCount(), "4");
    EXPECT_EQ(stored("SELECT PageCount FROM Screenplay"), "4");
    EXPECT_LE(stored("SELECT MAX(PageNumber) FROM SceneCard").toInt(), 4);
    expectEveryCardUnderTheBeatOfItsPage(4);
    // A page count one past the usual one moves the ends of Act Two and Three.
    for (const std::int64_t pages : {111, 110}) {
        SCOPED_TRACE(pages);
        type(titlePane().tfPageCount(), QString::number(pages));
        EXPECT_EQ(stored("SELECT PageCount FROM Screenplay"), QString::number(pages));
        expectEveryCardUnderTheBeatOfItsPage(pages);
    }
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0);
}

// The list's beat bars and the large scene card show the pages of the new count at once.
TEST_F(TitlePane, ANewPageCountShowsInTheListAndTheLargeCard)
{
    open(story("Bars", "Genre = 'Action', PageCount = 110, BoardView = 2", true));
    auto barTexts = [this] {
        QStringList texts;
        if (BoardListViewView* list = boardListViewOf(*document_))
            for (QObject* object : list->listViewObjects())
                if (auto* bar = qobject_cast<BoxWithTags*>(object); bar && bar->label())
                    texts << bar->label()->text();
        return texts;
    };
    // The Set-up bar's pages, from the table above.
    const QString setupAt110 = QStringLiteral("Set-up (2-4)");
    ASSERT_TRUE(barTexts().contains(setupAt110)) << barTexts().join('|').toStdString();

    type(titlePane().tfPageCount(), "200");
    const QString setupAt200 = QStringLiteral("Set-up (2-8)");
    EXPECT_TRUE(barTexts().contains(setupAt200)) << barTexts().join('|').toStdString();
    EXPECT_FALSE(barTexts().contains(setupAt110));
    // Every card stands under the bar of the beat its new page lies in.
    int cardsListed = 0;
    std::int64_t barAbove = 0;
    for (QObject* object : boardListViewOf(*document_)->listViewObjects()) {
        if (auto* bar = qobject_cast<BoxWithTags*>(object); bar && bar->tag() > 3000 && bar->tag() <= 3020)
            barAbove = bar->tag() - 3000;
        if (auto* card = qobject_cast<SceneCardView*>(object)) {
            ++cardsListed;
            EXPECT_EQ(barAbove, beatByTheTable(kBarPages.at(200), card->scene()->pageNumber(),
                                               card->scene()->percentageHorizontal(),
                                               card->scene()->beatCardNumber()))
                << card->scene()->heading().toStdString() << " on page " << card->scene()->pageNumber();
        }
    }
    EXPECT_EQ(cardsListed, static_cast<int>(screenplay().sceneCards().size()));

    // The large scene card shows its card's page of the new count.
    SceneCarddb* last = screenplay().sceneCards().back().get();
    document_->openBigSceneCard(last, 1);
    type(titlePane().tfPageCount(), "90");
    EXPECT_EQ(document_->bigSceneViewController()->tfPageNumber()->text(), QString::number(last->pageNumber()));
    EXPECT_LE(last->pageNumber(), 90);
}

// The full board view grows the corkboard; a later page count still puts every card on the
// page of the place it shows at, exactly as in a story that never had the full board.
TEST_F(TitlePane, AFullBoardOnceChangesNothingOfTheLaterRepaging)
{
    QStringList pages;
    for (const bool fullBoard : {false, true}) {
        SCOPED_TRACE(fullBoard);
        open(story(fullBoard ? "Full" : "Plain", "Genre = 'Action', PageCount = 110", true));
        if (fullBoard) {
            document_->window()->resize(1500, 1100);
            settle();
            app_->actions().mnuFullBoardView->trigger();
            QTest::qWait(300);
            app_->actions().mnuRestoreView->trigger();
            QTest::qWait(300);
        }
        type(titlePane().tfPageCount(), "200");
        pages << storedPages();
        document_->window()->close();
        settle();
    }
    EXPECT_EQ(pages[0], pages[1]);
}

TEST_F(TitlePane, PageCountsOutsideTheRangeAreRefusedAndChangeNothing)
{
    open(story("Refused", "PageCount = 110", true));
    const QString pages = storedPages();
    for (const char* entry : {"3", "1001", "0", "abc", "-12", ""}) {
        fakes_.alerts->shown.clear();
        type(titlePane().tfPageCount(), entry);
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u) << entry;
        EXPECT_EQ(fakes_.alerts->shown[0].title, "Page Count");
        EXPECT_EQ(fakes_.alerts->shown[0].message, "The number of pages must be from 4 to 1000");
        EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "OK");
        EXPECT_EQ(titlePane().tfPageCount()->text(), "110") << entry;
        EXPECT_EQ(stored("SELECT PageCount FROM Screenplay"), "110") << entry;
        EXPECT_EQ(storedPages(), pages) << entry;
    }
}

TEST_F(TitlePane, ARefusedPageCountShowsTheCountTheStoryKept)
{
    // The file refuses the new count itself, or one of the cards' new pages; a story without
    // cards writes only its count.
    struct Row {
        const char* refusal;
        bool withCards;
    };
    int round = 0;
    for (const Row row : {Row{"BEFORE UPDATE OF PageCount ON main.Screenplay", true},
                          Row{"BEFORE UPDATE OF PageNumber ON main.SceneCard", true},
                          Row{"BEFORE UPDATE OF PageCount ON main.Screenplay", false}}) {
        SCOPED_TRACE(row.refusal + std::string(row.withCards ? " with cards" : " without cards"));
        const QString title = QStringLiteral("Full%1").arg(++round);
        const QString path = story(title, "PageCount = 110", row.withCards);
        {
            // Places the board has moved from since they were written: the re-paging would
            // take the places the cards show at.
            DatabaseConnection connection = StoryFile::open(path);
            SqlProbe::exec(connection.get(), QStringLiteral("UPDATE SceneCard SET PositionLeft = PositionLeft + 7"));
        }
        open(path);
        EXPECT_EQ(screenplay().sceneCards().empty(), !row.withCards);
        const QString places = storedPlaces();
        const QString shownPlaces = placesInMemory();
        SqlProbe::exec(document_->database(), QStringLiteral("CREATE TEMP TRIGGER refuse %1 BEGIN SELECT "
                                                             "RAISE(ABORT, 'disk full'); END")
                                                  .arg(QString::fromLatin1(row.refusal)));
        fakes_.alerts->shown.clear();
        type(titlePane().tfPageCount(), "20");
        settle();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(titlePane().tfPageCount()->text(), "110");
        EXPECT_EQ(screenplay().pageCount(), 110);
        EXPECT_EQ(screenplay().boardSections().pageCount(), 110) << "the beats keep the ranges of 110 pages";
        EXPECT_FALSE(screenplay().isDirty());
        EXPECT_EQ(stored("SELECT PageCount FROM Screenplay"), "110");
        EXPECT_EQ(storedPlaces(), places);
        EXPECT_EQ(placesInMemory(), shownPlaces);

        // The next edit writes only itself.
        SqlProbe::exec(document_->database(), QStringLiteral("DROP TRIGGER refuse"));
        type(titlePane().tfTitle(), title + QStringLiteral("s"));
        EXPECT_EQ(stored("SELECT ScreenplayTitle || '|' || PageCount FROM Screenplay"), title + QStringLiteral("s|110"));
        EXPECT_EQ(storedPlaces(), places);
        EXPECT_EQ(titlePane().tfPageCount()->text(), "110");
        document_->window()->close();
        settle();
    }
}

TEST_F(TitlePane, APageCountIsTheNumberAtTheStartOfTheText)
{
    open(story("Leading"));
    type(titlePane().tfPageCount(), " 250 pages");
    EXPECT_EQ(stored("SELECT PageCount FROM Screenplay"), "250");
    EXPECT_EQ(titlePane().tfPageCount()->text(), "250");
    EXPECT_TRUE(fakes_.alerts->shown.empty());
    // A number too long for any integer is still just too many pages.
    type(titlePane().tfPageCount(), "99999999999999999999999");
    EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(stored("SELECT PageCount FROM Screenplay"), "250");
}

TEST_F(TitlePane, TheLastMissingPieceOfAWrittenBeatSheetBringsTheDialogAtOnce)
{
    const QString path = story("Ready");
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), kAllBeatsWritten);
    }
    open(path);
    type(titlePane().tfLogline(), "A clerk must outwit the bank that ruined her.");
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0) << "no genre yet";
    chooseGenre("Thriller");
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 1);
    EXPECT_EQ(screenplay().sceneCards().size(), 15u);
}

TEST_F(TitlePane, AnEmptyBeatKeepsTheDialogAway)
{
    const QString path = story("AlmostReady");
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), kAllBeatsWritten);
        SqlProbe::exec(connection.get(), "UPDATE Beat SET Description = '' WHERE BeatNumber = 9");
    }
    open(path);
    fillTitleLoglineAndGenre();
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0);
    EXPECT_TRUE(screenplay().sceneCards().empty());
}

TEST_F(TitlePane, ABoardWithCardsIsNeverOfferedMoreUntilItsCardsAreGone)
{
    open(story("Carded", "Genre = 'Action'", true));
    describeEveryBeat();
    type(titlePane().tfLogline(), "A hero must give up her powers.");
    type(titlePane().tfTitle(), "Carded Again");
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0);
    EXPECT_EQ(stored("SELECT ScreenplayTitle FROM Screenplay"), "Carded Again");

    // All cards moved to the Litter Box: the board is empty, yet the story has its beat cards.
    for (auto& card : screenplay().sceneCards().release()) {
        card->setOnBoard(2);
        card->save();
        screenplay().litterBox().push_back(std::move(card));
    }
    type(titlePane().tfTitle(), "Carded Once More");
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0);
    EXPECT_TRUE(screenplay().sceneCards().empty());
    EXPECT_EQ(stored("SELECT COUNT(*) || '|' || SUM(OnBoard = 2) FROM SceneCard"), "15|15");

    // Once every card is deleted, the story is offered them again.
    while (!screenplay().litterBox().empty())
        document_->deleteSceneCard(screenplay().litterBox().back().get());
    type(titlePane().tfTitle(), "Carded From Scratch");
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 1);
    EXPECT_EQ(screenplay().sceneCards().size(), 15u);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM SceneCard WHERE OnBoard = 1"), "15");
}

TEST_F(TitlePane, GenreHelpShowsThePageOfTheStorysGenre)
{
    open(story("Help"));
    titlePane().cmdGenreHelp()->click();
    EXPECT_EQ(document_->adviceWindow(), nullptr) << "asked for after the click";
    settle();
    ASSERT_NE(document_->adviceWindow(), nullptr);
    EXPECT_EQ(document_->adviceWindow()->webDocument()->source(), QUrl("qrc:/help/GENRE.htm"));
    chooseGenre("Science Fiction");
    titlePane().cmdGenreHelp()->click();
    settle();
    EXPECT_EQ(document_->adviceWindow()->webDocument()->source(), QUrl("qrc:/help/GENRESCIENCEFICTION.htm"));
}

TEST_F(TitlePane, TheLoglineFieldMakesRoomForTheLoglineListButton)
{
    open(story("Room"));
    const int width = document_->splTitle()->paneSize(0).width();
    ASSERT_GT(width, 300);
    EXPECT_TRUE(titlePane().cmdLoglines()->isHidden());
    EXPECT_EQ(titlePane().tfLogline()->width(), width - 129);
    EXPECT_EQ(titlePane().tfLogline()->x(), 109);

    app_->actions().mnuSLoglineNew->trigger();
    EXPECT_FALSE(titlePane().cmdLoglines()->isHidden());
    EXPECT_EQ(titlePane().tfLogline()->width(), width - 223);
    // The pane built again from the story shows the button too.
    titlePane().refreshView();
    EXPECT_FALSE(titlePane().cmdLoglines()->isHidden());
    EXPECT_EQ(titlePane().tfLogline()->width(), width - 223);
}

// A story without a current logline (a new story whose making stopped before its logline was
// made) has nowhere to keep a typed logline: the field takes no typing until one is started.
TEST_F(TitlePane, WithoutACurrentLoglineTheFieldTakesTypingOnlyOnceOneIsStarted)
{
    const QString path = story("Loose");
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), "DELETE FROM Logline");
    }
    open(path);
    QPlainTextEdit* field = titlePane().tfLogline();
    type(field, "Words with no home");
    EXPECT_TRUE(field->toPlainText().isEmpty());
    EXPECT_EQ(field->placeholderText(), "To write a logline, choose Story > New Logline.");
    EXPECT_EQ(stored("SELECT count(*) FROM Logline"), "0");

    app_->actions().mnuSLoglineNew->trigger();
    EXPECT_EQ(QApplication::focusWidget(), field);
    type(field, "A plough driver shelters a stranger.");
    EXPECT_EQ(field->toPlainText(), "A plough driver shelters a stranger.");
    EXPECT_EQ(stored("SELECT Logline || '|' || CurrentLoglineFlag FROM Logline"),
              "A plough driver shelters a stranger.|1");
    EXPECT_TRUE(field->placeholderText().isEmpty());
}

TEST_F(TitlePane, ALowTitlePaneKeepsAStripSeventyHigh)
{
    open(story("Low"));
    MainSplitView* split = document_->splTitle();
    SplitViewDelegate* delegate = split->delegate();
    split->setDelegate(nullptr);
    const auto layOutAt = [&](int height) {
        split->setPosition(height);
        titlePane().fitIntoPane(true);
        return std::pair{titlePane().view()->geometry(), titlePane().tfLogline()->geometry()};
    };
    const int width = split->paneSize(0).width();
    const auto [lowView, lowLogline] = layOutAt(69);
    EXPECT_EQ(lowView, QRect(0, 0, width, 70)) << "its top at the pane's top, its lower part below the pane";
    EXPECT_EQ(lowLogline, QRect(109, 41, width - 129, 21));
    const auto [view70, logline70] = layOutAt(70);
    EXPECT_EQ(view70, QRect(0, 0, width, 70));
    EXPECT_EQ(logline70, QRect(109, 41, width - 129, 21));
    const auto [view120, logline120] = layOutAt(120);
    EXPECT_EQ(view120, QRect(0, 0, width, 120));
    EXPECT_EQ(logline120, QRect(109, 41, width - 129, 71));
    split->setDelegate(delegate);
}

// The Edit menu's commands act on the field with the focus, by menu item and by their
// shortcuts alike; what they leave in the field is written when the edit ends.
TEST_F(TitlePane, TheEditMenuWorksOnTheFocusedField)
{
    open(story("Editing", "ScreenplayTitle = 'Harbour'"));
    type(titlePane().tfLogline(), "A pilot");
    AppActions& menus = app_->actions();
    struct Route {
        const char* what;
        std::function<void(QAction*, QWidget*)> run;
    };
    const std::array<Route, 2> routes{{
        {"menu item", [](QAction* item, QWidget*) { item->trigger(); }},
        {"shortcut",
         [](QAction* item, QWidget* field) {
             const QKeyCombination keys = item->shortcut()[0];
             QTest::keyClick(field, keys.key(), keys.keyboardModifiers());
         }},
    }};
    const std::array<std::pair<QWidget*, QString>, 2> fields{
        {{titlePane().tfTitle(), "SELECT ScreenplayTitle FROM Screenplay"},
         {titlePane().tfLogline(), "SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"}}};
    auto text = [](QWidget* field) {
        if (auto* line = qobject_cast<QLineEdit*>(field))
            return line->text();
        return static_cast<QPlainTextEdit*>(field)->toPlainText();
    };
    for (const Route& route : routes) {
        for (const auto& [field, sql] : fields) {
            SCOPED_TRACE(QStringLiteral("%1 in %2").arg(route.what, field->objectName()).toStdString());
            QTest::mouseClick(field, Qt::LeftButton);
            ASSERT_EQ(QApplication::focusWidget(), field);
            QTest::keyClick(field, Qt::Key_End);
            const QString before = text(field);
            QTest::keyClicks(field, " at dawn");
            route.run(menus.mnuUndo, field);
            EXPECT_EQ(text(field), before);
            route.run(menus.mnuRedo, field);
            EXPECT_EQ(text(field), before + " at dawn");
            route.run(menus.mnuSelectAll, field);
            route.run(menus.mnuCopy, field);
            EXPECT_EQ(QApplication::clipboard()->text(), before + " at dawn");
            route.run(menus.mnuCut, field);
            EXPECT_TRUE(text(field).isEmpty());
            route.run(menus.mnuPaste, field);
            route.run(menus.mnuPaste, field);
            EXPECT_EQ(text(field), before + " at dawn" + before + " at dawn");
            route.run(menus.mnuUndo, field);
            EXPECT_EQ(text(field), before + " at dawn");
            // Leaving the field writes what the commands left in it.
            QTest::mouseClick(titlePane().tfPageCount(), Qt::LeftButton);
            EXPECT_EQ(stored(sql), before + " at dawn");
            // A NUL character that comes with a paste is dropped: the field shows what is written.
            QTest::mouseClick(field, Qt::LeftButton);
            route.run(menus.mnuSelectAll, field);
            QApplication::clipboard()->setText(QStringLiteral("Dusk") + QChar(u'\0') + QStringLiteral(" falls"));
            route.run(menus.mnuPaste, field);
            EXPECT_EQ(text(field), "Dusk falls");
            QTest::mouseClick(titlePane().tfPageCount(), Qt::LeftButton);
            EXPECT_EQ(stored(sql), "Dusk falls");
        }
    }
}
