#include "PanesFixture.h"

#include "app/AdviceWindow.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/SceneCardView.h"
#include "model/Beatdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "panes/BeatsTableView.h"
#include "panes/TitleLoglineView.h"
#include "platform/TypingPause.h"
#include "scene_editor/BigSceneView.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QPointer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

class BeatSheet : public PanesFixture
{
protected:
    BeatsTableView& beats() const { return *document_->beatsTableView(); }
    QTableView& table() const { return *beats().tvTable(); }
    QModelIndex cell(int row, int column) const { return table().model()->index(row, column); }
    void click(const QModelIndex& index) const
    {
        table().scrollTo(index);
        QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, table().visualRect(index).center());
    }
    // Whether the field's typing pause ran out (its write done), waited for by its own state.
    static bool pauseRanOut(const QObject* field)
    {
        const TypingPause* pause = TypingPause::of(field);
        return pause && QTest::qWaitFor([pause] { return !pause->isPending(); });
    }
};

TEST_F(BeatSheet, ShowsTwoRowsPerBeatWithItsLabelAndDescription)
{
    open(story("Rows", "PageCount = 90"));
    SqlProbe::exec(document_->database(), "UPDATE Beat SET Description = 'Dawn over the harbour' WHERE BeatNumber = 1");
    screenplay().beatForBeatNumber(1)->setDescription("Dawn over the harbour");
    beats().refreshView();
    ASSERT_EQ(table().model()->rowCount(), 30);
    EXPECT_EQ(cell(0, 1).data().toString(), "1. Opening Image (1)");
    EXPECT_EQ(cell(1, 1).data().toString(), "Dawn over the harbour");
    for (int beat = 1; beat <= 15; ++beat) {
        const int row = (beat - 1) * 2;
        EXPECT_EQ(cell(row, 1).data().toString(), screenplay().boardSections().beatLabelForBeat(beat));
        EXPECT_EQ(cell(row, 1).data(Qt::BackgroundRole).value<QColor>(), document_->standardBackgroundColor());
        EXPECT_EQ(cell(row + 1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
        EXPECT_FALSE(cell(row, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
        EXPECT_FALSE(cell(row, 1).flags() & Qt::ItemIsEditable);
    }
    // The page ranges follow the page count.
    const QString before = cell(18, 1).data().toString();
    type(titlePane().tfPageCount(), "120");
    EXPECT_NE(cell(18, 1).data().toString(), before);
    EXPECT_EQ(cell(18, 1).data().toString(), screenplay().boardSections().beatLabelForBeat(10));
}

TEST_F(BeatSheet, BeatsOpenForWritingOnlyWithTitleLoglineAndGenre)
{
    open(story("Gate"));
    type(titlePane().tfTitle(), "");
    click(cell(5, 1));
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, "Edit Beat");
    EXPECT_EQ(fakes_.alerts->shown[0].message, "One step at a time. You must have a title, select a genre, and craft "
                                               "your logline before diving into the beats!");
    EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "OK");
    EXPECT_TRUE(fakes_.alerts->shown[0].alternateButton.isEmpty());
    EXPECT_EQ(table().findChild<QPlainTextEdit*>("beatEditor"), nullptr);

    type(titlePane().tfTitle(), "Gate");
    type(titlePane().tfLogline(), "A gatekeeper must open the door she swore to guard.");
    click(cell(5, 1));
    EXPECT_EQ(fakes_.alerts->shown.size(), 2u) << "no genre yet";
    chooseGenre("War");
    click(cell(5, 1));
    EXPECT_EQ(fakes_.alerts->shown.size(), 2u);
    auto* editor = table().findChild<QPlainTextEdit*>("beatEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->textCursor().hasSelection());
    editor->setPlainText("She hesitates.");
    QTest::keyClick(editor, Qt::Key_Return);
    settle();
    EXPECT_EQ(stored("SELECT Description FROM Beat WHERE BeatNumber = 3"), "She hesitates.");
    EXPECT_EQ(cell(5, 1).data().toString(), "She hesitates.");
}

TEST_F(BeatSheet, TheMascotShowsTheBeatsHelpWithoutSelectingIt)
{
    open(story("Mascot"));
    click(cell(4, 0));
    EXPECT_FALSE(table().selectionModel()->hasSelection());
    settle();
    ASSERT_NE(document_->adviceWindow(), nullptr);
    EXPECT_EQ(document_->adviceWindow()->webDocument()->source(), QUrl("qrc:/help/BEAT3.htm"));
    click(cell(0, 0));
    settle();
    EXPECT_EQ(document_->adviceWindow()->webDocument()->source(), QUrl("qrc:/help/BEAT1.htm"));
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(BeatSheet, RowHeightsFollowTheTextAndThePanesWidth)
{
    open(story("Heights"));
    EXPECT_EQ(beats().heightOfRow(0), 20);
    EXPECT_EQ(beats().heightOfRow(1), 30) << "an empty description";
    QString longText;
    for (int i = 0; i < 60; ++i)
        longText += QStringLiteral("word ");
    screenplay().beatForBeatNumber(1)->setDescription(longText);
    beats().refreshView();
    const int wide = beats().heightOfRow(1);
    EXPECT_GT(wide, 30);
    EXPECT_EQ(table().rowHeight(1), wide);
    document_->splBeats()->setPosition(document_->splBeats()->paneExtent(0) - 150);
    settle();
    EXPECT_GT(beats().heightOfRow(1), wide);
    EXPECT_EQ(table().rowHeight(1), beats().heightOfRow(1)) << "the table follows the narrower pane";
}

TEST_F(BeatSheet, AWrittenBeatGoesToItsBoardCardOnly)
{
    open(story("Cards", "Genre = 'Mystery'", true));
    type(titlePane().tfLogline(), "A detective must solve her own disappearance.");
    // A beat-3 card in the Litter Box keeps its text.
    SqlProbe::exec(document_->database(),
                   "INSERT INTO SceneCard (ScreenplayID, OnBoard, BeatCardNumber, Description) "
                   "SELECT ScreenplayID, 2, 3, 'Boxed' FROM Screenplay");
    const QString others = stored("SELECT group_concat(Description, '|') FROM SceneCard WHERE BeatCardNumber <> 3");
    ASSERT_TRUE(writeBeat(3, "Her office, her rules"));
    EXPECT_EQ(stored("SELECT Description FROM SceneCard WHERE BeatCardNumber = 3 AND OnBoard = 1"),
              "Her office, her rules");
    EXPECT_EQ(stored("SELECT Description FROM SceneCard WHERE OnBoard = 2"), "Boxed");
    for (const auto& card : screenplay().sceneCards()) {
        if (card->beatCardNumber() == 3) {
            EXPECT_EQ(document_->sceneCardControlForSceneCard(card.get())->fieldText(SceneCardPart::Description),
                      "Her office, her rules");
        }
    }
    EXPECT_EQ(stored("SELECT group_concat(Description, '|') FROM SceneCard WHERE BeatCardNumber <> 3"), others);
    EXPECT_EQ(dialogsRun("InitialBeatCards"), 0);

    // A card that refuses the copy: the pause writes neither the beat nor its card, and memory
    // keeps what the file keeps.
    SqlProbe::exec(document_->database(), "CREATE TRIGGER RefuseCopy BEFORE UPDATE OF Description ON SceneCard "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    click(cell(5, 1));
    settle();
    auto* editor = table().findChild<QPlainTextEdit*>("beatEditor");
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral(", her way"));
    ASSERT_TRUE(pauseRanOut(editor));
    EXPECT_EQ(fakes_.alerts->shown.size(), 1u) << "the refusal is told";
    EXPECT_EQ(stored("SELECT Description FROM Beat WHERE BeatNumber = 3"), "Her office, her rules");
    EXPECT_EQ(screenplay().beatForBeatNumber(3)->description(), "Her office, her rules");
    EXPECT_EQ(stored("SELECT Description FROM SceneCard WHERE BeatCardNumber = 3 AND OnBoard = 1"),
              "Her office, her rules");
    QTest::keyClick(editor, Qt::Key_Escape);
    settle();
}

// The pause writes the beat and its card together, and every view of the card shows it; the
// edit's end writes nothing more unless the text changed, and Escape gives the card back its
// own text (here the beat's name above the beat's text, as the initial beat cards write it).
TEST_F(BeatSheet, ABeatLeftWithoutAChangeLeavesItsCardAndAPausedTypingStillReachesIt)
{
    struct Row {
        const char* what;
        QString typed;
        bool pause;
        Qt::Key end;
        const char* card;
    };
    const Row rows[] = {
        {"typed over the card's own text, written by the pause, then Escape", QStringLiteral(" once"), true,
         Qt::Key_Escape, "Set-Up\nThe town as it was"},
        {"opened and left by Return", QString(), false, Qt::Key_Return, "Set-Up\nThe town as it was"},
        {"typed, written by the pause, then left", QStringLiteral(" and is"), true, Qt::Key_Return,
         "The town as it was and is"},
        {"typed and left at once", QStringLiteral(" again"), false, Qt::Key_Return, "The town as it was and is again"},
        {"typed, written by the pause, then Escape", QStringLiteral(" or not"), true, Qt::Key_Escape,
         "The town as it was and is again"},
    };
    open(story("Unchanged", "Genre = 'Mystery'", true));
    type(titlePane().tfLogline(), "A detective must solve her own disappearance.");
    Beatdb* beat = screenplay().beatForBeatNumber(3);
    ASSERT_NE(beat, nullptr);
    beat->setDescription(QStringLiteral("The town as it was"));
    beat->save();
    // The beat card as the initial beat cards write it: the beat's name above its text.
    SqlProbe::exec(document_->database(), "UPDATE SceneCard SET Description = 'Set-Up' || char(10) || "
                                          "'The town as it was' WHERE BeatCardNumber = 3");
    SceneCarddb* card = nullptr;
    for (const auto& each : screenplay().sceneCards())
        if (each->beatCardNumber() == 3)
            card = each.get();
    ASSERT_NE(card, nullptr);
    card->setDescription(QStringLiteral("Set-Up\nThe town as it was"));
    // The large card shows the beat card while the beat is written.
    document_->openBigSceneCard(card, 1);
    settle();
    BigSceneView* big = document_->bigSceneViewController();
    ASSERT_NE(big, nullptr);
    const auto cardStored = [this] { return stored("SELECT Description FROM SceneCard WHERE BeatCardNumber = 3"); };
    const auto beatStored = [this] { return stored("SELECT Description FROM Beat WHERE BeatNumber = 3"); };
    const auto expectCardShows = [&](const QString& text) {
        EXPECT_EQ(cardStored(), text);
        EXPECT_EQ(card->description(), text);
        EXPECT_EQ(document_->sceneCardControlForSceneCard(card)->fieldText(SceneCardPart::Description), text);
        EXPECT_EQ(big->tfDescription()->toPlainText(), text);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        click(cell(5, 1));
        settle();
        QPointer<QPlainTextEdit> editor = table().findChild<QPlainTextEdit*>("beatEditor");
        ASSERT_NE(editor, nullptr);
        editor->moveCursor(QTextCursor::End);
        const QString before = beat->description();
        const QString typed = before + row.typed;
        QTest::keyClicks(editor, row.typed);
        if (row.pause) {
            ASSERT_TRUE(pauseRanOut(editor));
            EXPECT_EQ(beatStored(), typed);
            expectCardShows(typed);
        }
        ASSERT_FALSE(editor.isNull()) << "the beat is still being written";
        QTest::keyClick(editor, row.end);
        settle();
        EXPECT_TRUE(editor.isNull());
        expectCardShows(QString::fromUtf8(row.card));
        // Escape puts back what the beat held when its edit began: on screen, in memory and in the file.
        const QString kept = row.end == Qt::Key_Escape ? before : typed;
        EXPECT_EQ(beatStored(), kept);
        EXPECT_EQ(cell(5, 1).data().toString(), kept);
    }
    // What the large card writes of its own fields leaves the description the beat gave it.
    big->tfConflict()->setFocus();
    QTest::keyClicks(big->tfConflict(), QStringLiteral(" rising"));
    ASSERT_TRUE(pauseRanOut(big->tfConflict()));
    EXPECT_TRUE(stored("SELECT Conflict FROM SceneCard WHERE BeatCardNumber = 3").endsWith(" rising"));
    EXPECT_EQ(cardStored(), "The town as it was and is again");
}

// Clicking from beat to beat as a writer does: every click ends the edit under way (writing
// it) and opens the clicked beat with the caret in it, so that what is typed next lands there.
TEST_F(BeatSheet, ClickingFromBeatToBeatKeepsEveryCharacterTyped)
{
    open(story("Clicks"));
    fillTitleLoglineAndGenre();
    const int order[] = {1, 2, 3, 5, 4, 15, 14, 6};
    for (const int beat : order) {
        SCOPED_TRACE(beat);
        click(cell((beat - 1) * 2 + 1, 1));
        settle();
        QWidget* focused = QApplication::focusWidget();
        auto* editor = table().findChild<QPlainTextEdit*>("beatEditor");
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(focused, editor) << "the keyboard goes to the clicked beat";
        EXPECT_FALSE(editor->textCursor().hasSelection());
        QTest::keyClicks(focused, QStringLiteral("Beat %1 typed").arg(beat));
    }
    // The last one ends with Return.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    for (const int beat : order) {
        SCOPED_TRACE(beat);
        EXPECT_EQ(stored(QStringLiteral("SELECT Description FROM Beat WHERE BeatNumber = %1").arg(beat)),
                  QStringLiteral("Beat %1 typed").arg(beat));
        EXPECT_EQ(cell((beat - 1) * 2 + 1, 1).data().toString(), QStringLiteral("Beat %1 typed").arg(beat));
    }
}

// Tab and Shift+Tab leave a beat as Return does, storing what was typed without a tab in it,
// and carry the keyboard on to the next or previous beat's description; Shift+Return alone
// starts a new line inside a beat.
TEST_F(BeatSheet, TabAndShiftTabMoveFromBeatToBeatStoringNoTab)
{
    struct Row {
        const char* what;
        int beat;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int nextBeat;
    };
    const Row rows[] = {
        {"Tab goes on to the next beat", 3, Qt::Key_Tab, Qt::NoModifier, 4},
        {"Shift+Tab goes back to the beat before", 7, Qt::Key_Backtab, Qt::ShiftModifier, 6},
        {"Tab on the first beat goes to the second", 1, Qt::Key_Tab, Qt::NoModifier, 2},
        {"Shift+Tab on the last beat goes to the one before", 15, Qt::Key_Backtab, Qt::ShiftModifier, 14},
    };
    open(story("Tabs"));
    fillTitleLoglineAndGenre();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        click(cell((row.beat - 1) * 2 + 1, 1));
        settle();
        auto* editor = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(editor->objectName(), "beatEditor");
        EXPECT_TRUE(editor->toolTip().contains("Shift+Return"));
        QTest::keyClicks(editor, QStringLiteral("Beat %1").arg(row.beat));
        QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(editor, QStringLiteral("second line"));
        QTest::keyClick(editor, row.key, row.modifiers);
        settle();
        const QString written = QStringLiteral("Beat %1\nsecond line").arg(row.beat);
        EXPECT_EQ(stored(QStringLiteral("SELECT Description FROM Beat WHERE BeatNumber = %1").arg(row.beat)), written);
        EXPECT_EQ(cell((row.beat - 1) * 2 + 1, 1).data().toString(), written);
        // The next beat's box has the keyboard: what is typed now lands in that beat.
        auto* next = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->objectName(), "beatEditor");
        EXPECT_EQ(table().currentIndex(), cell((row.nextBeat - 1) * 2 + 1, 1));
        QTest::keyClicks(next, QStringLiteral(" and on"));
        QTest::keyClick(next, Qt::Key_Return);
        settle();
        EXPECT_TRUE(stored(QStringLiteral("SELECT Description FROM Beat WHERE BeatNumber = %1").arg(row.nextBeat))
                        .endsWith(" and on"));
        EXPECT_EQ(table().findChild<QPlainTextEdit*>("beatEditor"), nullptr) << "Return ends the edit";
    }
    EXPECT_EQ(stored("SELECT count(*) FROM Beat WHERE instr(Description, char(9)) > 0"), "0");
}
