#include "BigSceneFixture.h"

#include "app/MyDocument.h"
#include "board/SceneCardView.h"
#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "panes/ModalDialogs.h"
#include "panes/TrackingTableView.h"
#include "scene_editor/BigSceneCharactersView.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneSetupsView.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/DatePicker.h"
#include "support/TraceCapture.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

class BigSceneViewTest : public BigSceneFixture
{
protected:
    std::vector<CardSpec> threeCards() const { return {inBeat(1), inBeat(2), inBeat(3)}; }
    // The open card's four texts hold their placeholders; the window is active.
    void showPlaceholders()
    {
        SceneCarddb* card = big()->scene();
        card->setHeading(BigSceneView::kHeadingPlaceholder);
        card->setEmotionalChange(BigSceneView::kEmotionalChangePlaceholder);
        card->setConflict(BigSceneView::kConflictPlaceholder);
        card->setDescription(QStringLiteral("Scene Description"));
        card->save();
        big()->refreshView();
        activate();
    }
};

// --- Outlets, tabs, fonts ----------------------------------------------------------------------

TEST_F(BigSceneViewTest, EveryOutletIsAWidgetOfItsName)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    const char* names[] = {"tfHeading", "tfPageNumber", "tfDescription", "tfEmotionalChange", "tfConflict",
                           "lblEmotionalChangeType", "lblConflict", "lblCurrentBeat", "boxCurrentBeat", "lblColor1",
                           "lblColor6", "imgCharacters", "cmdCharacters", "imgLocation", "cmdLocation", "imgSetups",
                           "cmdSetups", "imgPayoffs", "cmdPayoffs", "imgThumbTack", "cmdPreviousCard", "cmdNextCard",
                           "cmdDelete", "optNotes", "optSetups", "optPayoffs", "optCharacters", "optAttachments",
                           "optScript", "boxTabs", "boxNotes", "cmbLocations", "lblLocations", "tfStartDateTime",
                           "tfEndDateTime", "lblStartDateTime", "lblEndDateTime", "txtNotes", "scrNotes", "lblNotes",
                           "splBigScene", "boxYellowBackground"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_NE(big()->view()->findChild<QWidget*>(QString::fromLatin1(name)), nullptr);
    }
}

TEST_F(BigSceneViewTest, ATabsPageIsMadeOnceAndTheSelectorsShowWhichTabIsOn)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    EXPECT_EQ(big()->selectedTabID(), 1);
    EXPECT_TRUE(big()->boxNotes()->isVisible());
    for (std::int64_t tab = 2; tab <= 6; ++tab)
        EXPECT_EQ(big()->tabPage(tab), nullptr);
    // A click on a selector shows its tab.
    QTest::mouseClick(big()->tabSelector(5), Qt::LeftButton);
    EXPECT_EQ(big()->selectedTabID(), 5);
    QWidget* attachments = big()->tabPage(5);
    ASSERT_NE(attachments, nullptr);
    EXPECT_TRUE(attachments->isVisible());
    EXPECT_FALSE(big()->boxNotes()->isVisible());
    EXPECT_EQ(attachments->geometry(), big()->boxNotes()->geometry());
    const QColor standard = document_->standardBackgroundColor();
    EXPECT_EQ(big()->tabSelector(5)->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(big()->tabSelector(5)->palette().color(QPalette::WindowText), standard);
    EXPECT_EQ(big()->tabSelector(1)->palette().color(QPalette::Window), standard);
    EXPECT_EQ(big()->tabSelector(1)->palette().color(QPalette::WindowText), QColor(Qt::white));

    QTest::mouseClick(big()->tabSelector(1), Qt::LeftButton);
    EXPECT_FALSE(attachments->isVisible());
    QTest::mouseClick(big()->tabSelector(5), Qt::LeftButton);
    EXPECT_EQ(big()->tabPage(5), attachments) << "the page is kept, not made again";
    // The tab showing already, or a number of no tab: nothing changes.
    big()->setSelectedTabID(5);
    big()->setSelectedTabID(9);
    EXPECT_EQ(big()->selectedTabID(), 5);
    EXPECT_TRUE(attachments->isVisible());
}

TEST_F(BigSceneViewTest, FieldsTakeTheStorysFontSizePlusEleven)
{
    ASSERT_NE(openCard(threeCards(), 0, 1, QStringLiteral("StandardFontSetting = 1")), nullptr);
    for (QWidget* field : std::initializer_list<QWidget*>{big()->tfPageNumber(), big()->tfDescription(),
                                                          big()->tfConflict(), big()->cmbLocations(),
                                                          big()->txtNotes(), big()->tabSelector(3)}) {
        SCOPED_TRACE(field->objectName().toStdString());
        EXPECT_EQ(field->font().pixelSize(), 12);
        EXPECT_FALSE(field->font().bold());
    }
    EXPECT_EQ(big()->tfHeading()->font().pixelSize(), 12);
    EXPECT_TRUE(big()->tfHeading()->font().bold());
    screenplay().setStandardFontSetting(3);
    big()->resetFonts();
    EXPECT_EQ(big()->tfConflict()->font().pixelSize(), 14);
}

TEST_F(BigSceneViewTest, TheCurrentBeatBoxIsGreyForPageRangesAndBlueOtherwise)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    const BoardSections& sections = screenplay().boardSections();
    for (std::int64_t beat = 0; beat <= 21; ++beat) {
        const QString label = sections.beatLabelForBoardBeat(beat);
        SCOPED_TRACE(label.toStdString());
        big()->scene()->setCurrentBeatSection(beat);
        big()->refreshView();
        EXPECT_EQ(big()->lblCurrentBeat()->text(), label);
        EXPECT_EQ(big()->boxCurrentBeat()->palette().color(QPalette::Window),
                  label.contains(QLatin1Char('-')) ? QColor(69, 69, 69) : QColor(65, 117, 139));
    }
}

TEST_F(BigSceneViewTest, TheEmotionalChangeTypeColoursItsLabel)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    const std::pair<std::int64_t, QColor> rows[] = {
        {1, QColor(Qt::green)}, {2, QColor(Qt::red)}, {7, QColor(Qt::red)}, {0, QColor(Qt::white)}};
    for (const auto& [type, colour] : rows) {
        SCOPED_TRACE(type);
        big()->scene()->setEmotionalChangeType(type);
        big()->refreshView();
        EXPECT_EQ(big()->lblEmotionalChangeType()->palette().color(QPalette::Window), colour);
    }
}

// --- Location ----------------------------------------------------------------------------------

TEST_F(BigSceneViewTest, TheLocationBoxListsNoLocationFirstAndStoresTheChoice)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    addDroppableRecords();
    big()->refreshView();
    QComboBox* box = big()->cmbLocations();
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "<No Location>");
    EXPECT_EQ(box->currentText(), "<No Location>");
    EXPECT_FALSE(big()->imgLocation()->isVisibleTo(big()->view()));
    box->setCurrentIndex(2);
    const SceneLocationdb* lighthouse = screenplay().sceneLocations()[1].get();
    EXPECT_EQ(column(QStringLiteral("SceneLocationID")), QString::number(lighthouse->sceneLocationID()));
    EXPECT_TRUE(big()->imgLocation()->isVisibleTo(big()->view()));
    EXPECT_EQ(big()->imgLocation()->toolTip(), "LIGHTHOUSE");
    box->setCurrentIndex(0);
    EXPECT_EQ(column(QStringLiteral("SceneLocationID")), "0");
    // A location id of no location shows no name.
    big()->scene()->setSceneLocationID(999);
    big()->refreshView();
    EXPECT_EQ(box->currentText(), "");
}

// --- Paging, deleting, closing -----------------------------------------------------------------

TEST_F(BigSceneViewTest, PagingKeepsTheTabAndWritesTheFieldsFirst)
{
    CardSpec discarded = inBeat(4);
    discarded.onBoard = 2;
    ASSERT_NE(openCard({inBeat(1), inBeat(2), inBeat(3), discarded}, 0, 5), nullptr);
    big()->tfConflict()->setText(QStringLiteral("Storm"));
    big()->cmdNextCard()->click();
    settle();
    EXPECT_EQ(big()->scene(), boardCard(1));
    EXPECT_EQ(big()->selectedTabID(), 5);
    EXPECT_EQ(column(boardCard(0)->sceneCardID(), QStringLiteral("Conflict")), "Storm");
    big()->cmdPreviousCard()->click();
    EXPECT_EQ(big()->scene(), boardCard(0));
    // Past the first card, or from a card that is not on the board: nothing.
    big()->prevSceneCard();
    EXPECT_EQ(big()->scene(), boardCard(0));
    SceneCarddb* stray = screenplay().litterBox().front().get();
    big()->setScene(stray);
    big()->refreshView();
    big()->nextSceneCard();
    EXPECT_EQ(big()->scene(), stray);
}

TEST_F(BigSceneViewTest, OpeningTracesAMoveToAnotherCardAndAChosenTab)
{
    ASSERT_NE(openCard(threeCards(), 0, 1), nullptr);
    struct Row {
        const char* what;
        std::size_t card;
        std::int64_t tab;
        QStringList traced;
    };
    const QString moved = QStringLiteral("vantora.app: Open Big Scene View and Set Scene");
    const QString tab = QStringLiteral("vantora.app: setting selected tab");
    const Row rows[] = {
        {"another card, keeping the tab", 1, 0, {moved}},
        {"another card on a tab of its own", 2, 3, {moved, tab}},
        {"the same card again", 2, 0, {moved}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TraceCapture trace;
        document_->openBigSceneCard(boardCard(row.card), row.tab);
        // The large card's own layout may trace the title pane's fitting; only these lines count here.
        const QStringList opening = trace.lines().filter(QRegularExpression(QStringLiteral("Open Big|selected tab")));
        EXPECT_EQ(opening, row.traced);
        EXPECT_EQ(big()->scene(), boardCard(row.card));
    }
    // Closed and opened again, the large card is made anew: no move is traced, only the tab.
    document_->closeBigSceneCard();
    TraceCapture trace;
    document_->openBigSceneCard(boardCard(0), 2);
    EXPECT_EQ(trace.lines().filter(QRegularExpression(QStringLiteral("Open Big|selected tab"))), QStringList{tab});
}

TEST_F(BigSceneViewTest, DeletingAsksFirstWithTheBeatCardsOwnQuestion)
{
    CardSpec beatCard = inBeat(2);
    beatCard.beatCardNumber = 4;
    ASSERT_NE(openCard({inBeat(1), beatCard, inBeat(3)}, 1), nullptr);
    const std::int64_t key = big()->scene()->sceneCardID();
    fakes_.alerts->answers = {AlertDefaultReturn};
    big()->cmdDelete()->click();
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "Delete Scene Card");
    EXPECT_TRUE(fakes_.alerts->shown[0].message.startsWith("This scene card is linked to a beat."));
    EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "No");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCard WHERE SceneCardID = %1").arg(key)), "1");

    fakes_.alerts->answers = {AlertOtherReturn};
    big()->cmdDelete()->click();
    settle();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCard WHERE SceneCardID = %1").arg(key)), "0");
    ASSERT_NE(big(), nullptr);
    EXPECT_EQ(big()->scene(), boardCard(1)) << "the card after the deleted one shows";
    fakes_.alerts->answers = {AlertDefaultReturn};
    big()->cmdDelete()->click();
    EXPECT_TRUE(fakes_.alerts->shown.back().message.startsWith("Are you sure you want to delete this scene card?"));
}

// --- Splitter ----------------------------------------------------------------------------------

TEST_F(BigSceneViewTest, TheSplitterKeepsBothPanesTheirLeastHeight)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    QSplitter* splitter = big()->splBigScene();
    const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
    ASSERT_GT(total, 97 + 142);
    QWidget* handle = splitter->handle(1);
    const auto dragHandleBy = [&](int dy) {
        const QPoint start(handle->width() / 2, handle->height() / 2);
        QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, start);
        const QPointF to(start + QPoint(0, dy));
        QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, start + QPoint(0, dy));
    };
    dragHandleBy(-2000);
    EXPECT_EQ(splitter->sizes().value(0), 97);
    // The rows below the description never climb over the heading.
    EXPECT_GT(big()->tfEmotionalChange()->y(), big()->tfHeading()->geometry().bottom());
    dragHandleBy(4000);
    EXPECT_EQ(splitter->sizes().value(1), 142);
    // The fields follow the card pane's size: the conflict row stands at the pane's foot.
    EXPECT_EQ(big()->tfConflict()->geometry().bottom(), big()->boxYellowBackground()->height() - 3);
}

// --- Keyboard ----------------------------------------------------------------------------------

TEST_F(BigSceneViewTest, TabAndShiftTabVisitTheFieldsInReadingOrderAndNeverAButtonOrAList)
{
    ASSERT_NE(openCard(threeCards(), 1), nullptr);
    addDroppableRecords();
    big()->refreshView();
    activate();
    const QString location = column(QStringLiteral("SceneLocationID"));
    // The card's fields, the label of the tab showing, then what the tab holds that takes typing:
    // the notes, the script; an empty list is passed over, and the location list never is a stop.
    const std::vector<QString> cardFields{"tfHeading", "tfPageNumber", "tfDescription", "tfEmotionalChange",
                                          "tfConflict"};
    struct Row {
        std::int64_t tab;
        std::vector<QString> after;
    };
    const Row rows[] = {{1, {"optNotes", "txtNotes"}},  {2, {"optSetups"}},      {3, {"optPayoffs"}},
                        {4, {"optCharacters"}},         {5, {"optAttachments"}}, {6, {"optScript", "scriptBox"}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tab);
        big()->setSelectedTabID(row.tab);
        big()->tfHeading()->setFocus();
        std::vector<QString> visited;
        for (QWidget* focus = QApplication::focusWidget();
             focus && big()->view()->isAncestorOf(focus) && visited.size() < 12; focus = QApplication::focusWidget()) {
            visited.push_back(focus->objectName());
            // Ctrl-Tab leaves the description, the notes and the script, where Tab is typed.
            const bool textView = qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QTextEdit*>(focus);
            QTest::keyClick(focus, Qt::Key_Tab, textView ? Qt::ControlModifier : Qt::NoModifier);
        }
        std::vector<QString> expected = cardFields;
        expected.insert(expected.end(), row.after.begin(), row.after.end());
        EXPECT_EQ(visited, expected);
        QWidget* out = QApplication::focusWidget();
        EXPECT_TRUE(out && !big()->view()->isAncestorOf(out)) << "after the card's last stop the card is left";
        big()->tfHeading()->setFocus();
        QTest::keyClick(big()->tfHeading(), Qt::Key_Backtab);
        EXPECT_FALSE(big()->view()->isAncestorOf(QApplication::focusWidget())) << "and before its first";
        // What is typed on the tab's label after a Tab from the conflict chooses no location: a
        // space would open the list, a letter pick a name.
        big()->tfConflict()->setFocus();
        QTest::keyClick(big()->tfConflict(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" Storm ahead"));
        settle();
        EXPECT_EQ(QApplication::focusWidget(), big()->tabSelector(row.tab));
        EXPECT_EQ(column(QStringLiteral("SceneLocationID")), location);
        EXPECT_EQ(big()->cmbLocations()->currentIndex(), 0);
        // Ctrl+Tab and Ctrl+Shift+Tab move on from a tab's list as from any other.
        int lists = 0;
        for (QTableView* list : big()->view()->findChildren<QTableView*>()) {
            if (!list->isVisible())
                continue;
            ++lists;
            for (const Qt::KeyboardModifiers modifiers :
                 {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
                list->setFocus();
                QTest::keyClick(list, Qt::Key_Tab, modifiers);
                EXPECT_NE(QApplication::focusWidget(), list);
            }
        }
        EXPECT_EQ(lists, row.tab >= 2 && row.tab <= 5 ? 1 : 0);
    }
    for (QPushButton* button : {big()->cmdPreviousCard(), big()->cmdNextCard(), big()->cmdDelete(), big()->cmdClose()})
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    // Opened with the mouse, the list still chooses and stores a location.
    big()->setSelectedTabID(1);
    QTest::mouseClick(big()->cmbLocations(), Qt::LeftButton);
    QAbstractItemView* popup = big()->cmbLocations()->view();
    QTRY_VERIFY(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(column(QStringLiteral("SceneLocationID")),
              QString::number(screenplay().sceneLocations()[0]->sceneLocationID()));
}

TEST_F(BigSceneViewTest, TypingThroughEveryFieldWithTabLosesNothing)
{
    ASSERT_NE(openCard(threeCards(), 1), nullptr);
    addDroppableRecords();
    big()->refreshView();
    activate();
    const std::int64_t key = big()->scene()->sceneCardID();
    big()->tfHeading()->setFocus();
    big()->tfHeading()->selectAll();
    settle();
    // Each field's whole text is replaced, as Tab selects it (the description's by Ctrl-A);
    // spaces and letters that would press a button must stay in the fields. The window gets
    // its turns between the keys, as it does while a user types: a page change moving the card
    // on the board must not take the next field's keys.
    struct Step {
        QString typed;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Step steps[] = {
        {QStringLiteral("ext. ferry bridge - night"), Qt::Key_Tab, Qt::NoModifier},
        {QStringLiteral("12"), Qt::Key_Tab, Qt::NoModifier},
        {QString(), Qt::Key_A, Qt::ControlModifier},
        {QStringLiteral("They meet at the rail"), Qt::Key_Tab, Qt::ControlModifier},
        {QStringLiteral("Hope to fear"), Qt::Key_Tab, Qt::NoModifier},
        {QStringLiteral("He will not jump"), Qt::Key_Tab, Qt::NoModifier},
        // The label of the tab showing has the focus; Tab goes on into the tab.
        {QString(), Qt::Key_Tab, Qt::NoModifier},
        {QStringLiteral("Night shoot, two cameras"), Qt::Key_Tab, Qt::ControlModifier},
    };
    for (const Step& step : steps) {
        for (const QChar character : step.typed) {
            QTest::keyClicks(QApplication::focusWidget(), QString(character));
            settle();
        }
        QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
        settle();
    }
    ASSERT_NE(big(), nullptr);
    EXPECT_EQ(big()->scene()->sceneCardID(), key) << "no button was pressed";
    EXPECT_EQ(column(QStringLiteral("Heading")), "EXT. FERRY BRIDGE - NIGHT");
    EXPECT_EQ(column(QStringLiteral("PageNumber")), "12");
    EXPECT_EQ(column(QStringLiteral("Description")), "They meet at the rail");
    EXPECT_EQ(column(QStringLiteral("EmotionalChange")), "Hope to fear");
    EXPECT_EQ(column(QStringLiteral("Conflict")), "He will not jump");
    EXPECT_EQ(column(QStringLiteral("SceneLocationID")), "0") << "the location list is not on the way";
    EXPECT_EQ(column(QStringLiteral("Notes")), "Night shoot, two cameras");
    EXPECT_FALSE(big()->view()->isAncestorOf(QApplication::focusWidget())) << "the notes are the card's last field";
}

TEST_F(BigSceneViewTest, AFieldHoldingItsPlaceholderIsReplacedByWhatIsTypedWhereverItWasClicked)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    showPlaceholders();
    struct Row {
        QWidget* field;
        const char* column;
    };
    const Row rows[] = {{big()->tfHeading(), "Heading"},
                        {big()->tfEmotionalChange(), "EmotionalChange"},
                        {big()->tfConflict(), "Conflict"},
                        {big()->tfDescription(), "Description"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.column);
        // A click in the middle of the text.
        auto* area = qobject_cast<QAbstractScrollArea*>(row.field);
        QWidget* target = area ? area->viewport() : row.field;
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
        settle();
        QTest::keyClicks(row.field, QStringLiteral("INT. FERRY BRIDGE"));
        big()->cmbLocations()->setFocus();
        settle();
        EXPECT_EQ(column(QString::fromLatin1(row.column)), "INT. FERRY BRIDGE");
    }
    // A field with text of the user's own keeps it: the click places the caret.
    QTest::mouseClick(big()->tfConflict(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
    settle();
    QTest::keyClick(big()->tfConflict(), Qt::Key_Home);
    QTest::keyClicks(big()->tfConflict(), QStringLiteral("X"));
    QTest::keyClick(big()->tfConflict(), Qt::Key_Return);
    EXPECT_EQ(column(QStringLiteral("Conflict")), "XINT. FERRY BRIDGE");
}

TEST_F(BigSceneViewTest, KeysTypedBeforeThePlaceholderIsSelectedAgainAreKept)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    showPlaceholders();
    struct Row {
        QWidget* field;
        const char* column;
        bool selectAllFirst; // Ctrl+A pressed before typing, as a user replacing the text does
    };
    const Row rows[] = {{big()->tfHeading(), "Heading", false},
                        {big()->tfEmotionalChange(), "EmotionalChange", true},
                        {big()->tfConflict(), "Conflict", false},
                        {big()->tfDescription(), "Description", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.column);
        // The click and the first keys arrive together, before the event loop turns once.
        auto* area = qobject_cast<QAbstractScrollArea*>(row.field);
        QTest::mouseClick(area ? area->viewport() : row.field, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
        if (row.selectAllFirst)
            QTest::keyClick(row.field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(row.field, QStringLiteral("FERRY"));
        settle();
        QTest::keyClicks(row.field, QStringLiteral(" BRIDGE"));
        big()->cmbLocations()->setFocus();
        settle();
        EXPECT_EQ(column(QString::fromLatin1(row.column)), "FERRY BRIDGE");
    }
}

// --- The board after the large card ------------------------------------------------------------

TEST_F(BigSceneViewTest, TheCorkboardShowsWhatWasTypedAsSoonAsTheLargeCardCloses)
{
    ASSERT_NE(openCard(threeCards(), 1), nullptr);
    activate();
    typeAfter(big()->tfHeading(), QStringLiteral(" again"), Qt::Key_Return);
    big()->cmdClose()->click();
    settle();
    ASSERT_EQ(document_->bigSceneViewController(), nullptr);
    SceneCardView* onBoard = cardView(*document_, keys_[1]);
    ASSERT_NE(onBoard, nullptr);
    EXPECT_EQ(onBoard->fieldText(SceneCardPart::Heading), "INT. ROOM - DAY AGAIN");
    EXPECT_EQ(column(keys_[1], QStringLiteral("Heading")), "INT. ROOM - DAY AGAIN");
}

TEST_F(BigSceneViewTest, EveryListTabGoesWithTheCardThatMadeIt)
{
    ASSERT_NE(openCard(threeCards(), 1), nullptr);
    addDroppableRecords();
    struct Tab {
        std::int64_t id;
        std::function<QTableView*()> table;
        std::function<QCheckBox*()> showAll;
    };
    const Tab tabs[] = {
        {2, [&] { return big()->bigSceneSetupsView()->tvTable(); },
         [&] { return big()->bigSceneSetupsView()->chkShowAll(); }},
        {3, [&] { return big()->bigScenePayoffsView()->tvTable(); },
         [&] { return big()->bigScenePayoffsView()->chkShowAll(); }},
        {4, [&] { return big()->bigSceneCharactersView()->tvTable(); },
         [&] { return big()->bigSceneCharactersView()->chkShowAll(); }},
        {5, [&] { return big()->bigSceneAttachmentsView()->tvTable(); },
         [&] { return big()->bigSceneAttachmentsView()->chkShowAll(); }},
    };
    std::vector<QPointer<QTableView>> made;
    for (const Tab& tab : tabs) {
        SCOPED_TRACE(tab.id);
        big()->setSelectedTabID(tab.id);
        settle();
        tab.showAll()->setChecked(true);
        settle();
        QTableView* table = tab.table();
        ASSERT_GT(table->model()->rowCount(), 0);
        made.emplace_back(table);
    }

    // Each list is destroyed with the card; while it goes its viewport still sends events.
    big()->cmdClose()->click();
    settle();
    EXPECT_EQ(document_->bigSceneViewController(), nullptr);
    for (const QPointer<QTableView>& table : made)
        EXPECT_TRUE(table.isNull()) << "every list went with the large card";
    EXPECT_NE(document_->boardView(), nullptr);
}

// --- Dates -------------------------------------------------------------------------------------

class SceneDates : public BigSceneViewTest
{
protected:
    // Answers the date window through its own controls: sets the picker (when given) and
    // presses the button.
    void answerWith(const char* button, std::optional<QDateTime> picked = std::nullopt)
    {
        ModalDialogs::setRunner([this, button, picked](QDialog& dialog) {
            auto& picker = static_cast<DatePicker&>(dialog);
            shown_.push_back(picker.datePicker()->dateTime());
            colours_.push_back(picker.palette().color(QPalette::Window));
            if (picked)
                picker.datePicker()->setDateTime(*picked);
            picker.findChild<QPushButton*>(QString::fromLatin1(button))->click();
            return dialog.result();
        });
    }
    void TearDown() override
    {
        ModalDialogs::setRunner({});
        BigSceneViewTest::TearDown();
    }

    std::vector<QDateTime> shown_;
    std::vector<QColor> colours_;
};

TEST_F(SceneDates, SaveStoresTheTwentyFourHourTextClearEmptiesItAndCancelKeepsIt)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    // No start date yet: the window opens on the clock's time (12:00, 1 January 2020).
    answerWith("cmdSave", QDateTime(QDate(2021, 7, 4), QTime(21, 5)));
    big()->cmdStartDateTime()->click();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0], QDateTime(QDate(2020, 1, 1), QTime(12, 0)));
    EXPECT_EQ(big()->tfStartDateTime()->text(), "07/04/2021 21:05");
    EXPECT_EQ(big()->scene()->startDateTime(), "07/04/2021 21:05");
    EXPECT_EQ(column(QStringLiteral("StartDateTime")), "2021-07-04 21:05:00");

    answerWith("cmdSave", QDateTime(QDate(2021, 7, 5), QTime(6, 30)));
    big()->cmdEndDateTime()->click();
    EXPECT_EQ(column(QStringLiteral("EndDateTime")), "2021-07-05 06:30:00");
    // Cancel: the window opened on the stored date, and nothing changes.
    answerWith("cmdCancel", QDateTime(QDate(1999, 1, 1), QTime(1, 1)));
    big()->cmdEndDateTime()->click();
    EXPECT_EQ(shown_.back(), QDateTime(QDate(2021, 7, 5), QTime(6, 30)));
    EXPECT_EQ(big()->tfEndDateTime()->text(), "07/05/2021 06:30");
    EXPECT_EQ(column(QStringLiteral("EndDateTime")), "2021-07-05 06:30:00");
    // Clear: field and stored value go.
    answerWith("cmdClear");
    big()->cmdEndDateTime()->click();
    EXPECT_EQ(big()->tfEndDateTime()->text(), "");
    EXPECT_EQ(big()->scene()->endDateTime(), "");
    EXPECT_EQ(column(QStringLiteral("EndDateTime")), "0001-01-01 00:00:00");
    // Every run had a window of its own, in orange.
    for (const QColor& colour : colours_)
        EXPECT_EQ(colour, QColor(255, 140, 0));
}

TEST_F(SceneDates, TheDateFieldsTakeNoTyping)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    activate();
    for (QLineEdit* field : {big()->tfStartDateTime(), big()->tfEndDateTime()}) {
        SCOPED_TRACE(field->objectName().toStdString());
        EXPECT_TRUE(field->isReadOnly());
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClicks(field, QStringLiteral("12/12/2012 12:12"));
        EXPECT_EQ(field->text(), "");
    }
    big()->saveChanges(nullptr);
    EXPECT_EQ(column(QStringLiteral("StartDateTime")), "0001-01-01 00:00:00");
}

// Wherever the divider stands, the description reaches from just under the heading down to the
// band of the emotional change and conflict rows; the notes, the tab tables and the script take
// their frames from their pages. Frames from the foot up are turned into the widgets' own.
TEST_F(BigSceneViewTest, TheFieldsAndTabPagesTakeTheirFramesAtEveryDividerPosition)
{
    ASSERT_NE(openCard(threeCards()), nullptr);
    QSplitter* splitter = big()->splBigScene();
    const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
    // From the pane's least height to the tabs' least, and two between.
    for (const int cardPane : {97, 160, 220, total - 142}) {
        SCOPED_TRACE(cardPane);
        splitter->setSizes({cardPane, total - cardPane});
        settle();
        const int height = big()->boxYellowBackground()->height();
        const QRect heading = big()->tfHeading()->geometry();
        const QRect description = big()->tfDescription()->geometry();
        const int headingFromFoot = height - (heading.y() + heading.height());
        // x 2 of the fields' column, which starts two points left of the heading.
        EXPECT_EQ(description.x(), heading.x());
        EXPECT_EQ(height - (description.y() + description.height()), 46);
        EXPECT_EQ(description.width(), heading.width() + big()->tfPageNumber()->width() - 1);
        EXPECT_EQ(description.height(), std::max(0, headingFromFoot - 45));
        // The rows below it stay clear of the heading and, where there is room, show whole.
        EXPECT_GT(big()->tfEmotionalChange()->y(), heading.bottom());
        EXPECT_GT(big()->tfConflict()->y(), big()->tfEmotionalChange()->geometry().bottom());
        if (headingFromFoot >= 46) {
            EXPECT_LE(big()->tfConflict()->geometry().bottom(), height - 1);
        }

        // The notes: x 76, 3 above the box's foot, 101 narrower than the box, as high as the
        // start date's lower edge stands above the foot less 9.
        const QRect notesBox = big()->boxNotes()->geometry();
        const QRect notes = big()->boxNotes()->findChild<QWidget*>("scrNotes")->geometry();
        const QRect start = big()->tfStartDateTime()->geometry();
        const int startFromFoot = notesBox.height() - (start.y() + start.height());
        EXPECT_EQ(notes.x(), 76);
        EXPECT_EQ(notesBox.height() - (notes.y() + notes.height()), 3);
        EXPECT_EQ(notes.width(), notesBox.width() - 101);
        EXPECT_EQ(notes.height(), std::max(0, startFromFoot - 9));

        // The tab tables 7 in, 13 narrower and 40 lower than their page, ending 33 (set-ups)
        // or 32 (characters) above its foot; the script 9 in all round.
        for (const std::int64_t tab : {2, 4}) {
            SCOPED_TRACE(tab);
            big()->setSelectedTabID(tab);
            settle();
            const QSize page = big()->tabPage(tab)->size();
            EXPECT_EQ(page, notesBox.size());
            const int foot = tab == 2 ? 33 : 32;
            QWidget* table = tab == 2 ? static_cast<QWidget*>(big()->bigSceneSetupsView()->tvTable())
                                      : static_cast<QWidget*>(big()->bigSceneCharactersView()->tvTable());
            EXPECT_EQ(table->geometry(),
                      QRect(7, page.height() - foot - (page.height() - 40), page.width() - 13, page.height() - 40));
        }
        big()->setSelectedTabID(6);
        settle();
        const QSize scriptPage = big()->tabPage(6)->size();
        EXPECT_EQ(big()->bigSceneScriptView()->scrScript()->geometry(),
                  QRect(9, 9, scriptPage.width() - 18, scriptPage.height() - 18));
        big()->setSelectedTabID(1);
        settle();
    }
}

// Tab or Shift+Tab in a set-up's text ends its edit, storing it, and goes on, past the last one,
// to a control that shows the focus: on to a field that takes what is typed next, back to the
// label of the tab.
TEST_F(BigSceneViewTest, TabFromASetupsTextGoesOnToAControlThatShowsTheFocus)
{
    const struct Row {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } rows[] = {{"Tab", Qt::Key_Tab, Qt::NoModifier}, {"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(openCard(threeCards(), 1, 2), nullptr);
        activate();
        auto* setups = big()->bigSceneSetupsView();
        ASSERT_NE(setups, nullptr);
        setups->cmdAddButton()->click();
        settle();
        QWidget* cell = QApplication::focusWidget();
        ASSERT_TRUE(cell && setups->tvTable()->isAncestorOf(cell));
        QTest::keyClicks(cell, QStringLiteral("a stopped clock"));
        QTest::keyClick(cell, row.key, row.modifiers);
        settle();
        EXPECT_EQ(count(QStringLiteral("SELECT SceneSetup FROM SceneSetup")), "a stopped clock");
        QWidget* after = QApplication::focusWidget();
        ASSERT_NE(after, nullptr);
        EXPECT_FALSE(after == setups->tvTable() || setups->tvTable()->isAncestorOf(after)) << "the list shows no focus";
        if (row.modifiers & Qt::ShiftModifier) {
            EXPECT_EQ(after, big()->tabSelector(2));
        } else {
            auto* field = qobject_cast<QLineEdit*>(after);
            ASSERT_NE(field, nullptr) << after->objectName().toStdString();
            field->deselect();
            QTest::keyClicks(field, QStringLiteral("Storm"));
            EXPECT_TRUE(field->text().endsWith(QStringLiteral("Storm"))) << "what is typed lands in the field";
        }
        document_->window()->close();
        settle();
    }
}

// The paging buttons keep their places whether the other shows: two clicks at one place never
// page forward and then back.
TEST_F(BigSceneViewTest, EachPagingButtonKeepsItsPlaceWhetherTheOtherShows)
{
    std::map<std::string, int> places;
    for (const std::size_t shown : {std::size_t{0}, std::size_t{1}, std::size_t{2}}) {
        SCOPED_TRACE(shown);
        ASSERT_NE(openCard(threeCards(), shown), nullptr);
        settle();
        EXPECT_EQ(big()->cmdPreviousCard()->isVisible(), shown > 0);
        EXPECT_EQ(big()->cmdNextCard()->isVisible(), shown < 2);
        for (QPushButton* button : {big()->cmdPreviousCard(), big()->cmdNextCard()}) {
            if (!button->isVisible())
                continue;
            const auto [place, first] = places.emplace(button->objectName().toStdString(), button->x());
            EXPECT_EQ(button->x(), place->second) << place->first;
        }
        document_->window()->close();
        settle();
    }
    EXPECT_EQ(places.size(), 2u);
    EXPECT_LT(places["cmdPreviousCard"], places["cmdNextCard"]);
}
