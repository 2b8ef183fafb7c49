#include "BigSceneFixture.h"

#include "app/MyDocument.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "platform/TypingPause.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneView.h"
#include "app/AdviceWindow.h"
#include "platform/ScreenplayFont.h"
#include "support/FontProbe.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextBrowser>
#include <QToolButton>

class ScriptEditor : public BigSceneFixture
{
protected:
    // Opens the large card on a card whose script holds these paragraphs ("Type:text", in
    // order, sort orders 1, 2, ...) and shows the Script tab.
    BigSceneScriptView* openScript(const std::vector<QString>& paragraphs = {})
    {
        if (!openCard({inBeat(1), inBeat(2)}))
            return nullptr;
        activate();
        SceneCarddb* card = big()->scene();
        std::int64_t sortOrder = 0;
        for (const QString& paragraph : paragraphs) {
            const QString type = paragraph.section(QLatin1Char(':'), 0, 0);
            auto part = std::make_unique<ScriptPartdb>();
            part->setSceneCardID(card->sceneCardID());
            part->setSortOrder(++sortOrder);
            part->setElementTypeID(screenplay().elementForElementType(type)->scriptElementID());
            part->setScriptText(paragraph.section(QLatin1Char(':'), 1));
            part->insertIntoDatabase(&screenplay());
            card->scriptParts().push_back(std::move(part));
        }
        big()->setSelectedTabID(6);
        settle();
        return big()->bigSceneScriptView();
    }
    ScriptTextView* box(std::size_t index) const { return big()->bigSceneScriptView()->textBoxes()[index]; }
    std::size_t boxes() const { return big()->bigSceneScriptView()->textBoxes().size(); }
    // The scene's rows as "sort order:type:text", in sort order.
    QString rows() const
    {
        return count(QStringLiteral("SELECT group_concat(p.SortOrder || ':' || e.ElementType || ':' || p.ScriptText, "
                                    "'|') FROM (SELECT * FROM ScriptPart WHERE SceneCardID = %1 ORDER BY SortOrder) p "
                                    "JOIN ScriptElement e ON e.ScriptElementID = p.ElementTypeID")
                         .arg(big()->scene()->sceneCardID()));
    }
    void key(ScriptTextView* target, Qt::Key pressed, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(target, pressed, modifiers);
        settle();
    }
    void type(ScriptTextView* target, const QString& text)
    {
        target->setFocus();
        QTextCursor cursor = target->textCursor();
        cursor.movePosition(QTextCursor::End);
        target->setTextCursor(cursor);
        QTest::keyClicks(target, text);
        settle();
    }
    // Ends the edit in progress, as a click elsewhere would.
    void leave()
    {
        big()->tfHeading()->setFocus();
        settle();
    }
    QString integrity() const { return count(QStringLiteral("PRAGMA integrity_check")); }
};

TEST_F(ScriptEditor, ANewSceneGetsOneEmptyActionThatShowsButDoesNotStoreTheInstruction)
{
    ASSERT_NE(openScript(), nullptr);
    EXPECT_EQ(rows(), "1:Action:");
    ASSERT_EQ(boxes(), 1u);
    EXPECT_EQ(box(0)->toPlainText(), "");
    EXPECT_EQ(box(0)->placeholderText(), BigSceneScriptView::kPlaceholder);
    EXPECT_EQ(box(0)->geometry().topLeft(), QPoint(108, 18));
    EXPECT_EQ(box(0)->width(), 432);
    // The whole instruction shows: at 432 points it takes three lines of the 12-point face.
    EXPECT_GE(box(0)->height(), 3 * 12);
    box(0)->setFocus();
    leave();
    EXPECT_EQ(rows(), "1:Action:");
    type(box(0), QStringLiteral("Snow on the pass."));
    EXPECT_EQ(box(0)->height(), 18) << "one line of text";
    EXPECT_EQ(rows(), "1:Action:") << "nothing is written while typing";
    leave();
    EXPECT_EQ(rows(), "1:Action:Snow on the pass.");
    // The same card again keeps the boxes.
    ScriptTextView* first = box(0);
    big()->setSelectedTabID(1);
    big()->setSelectedTabID(6);
    EXPECT_EQ(box(0), first);
}

TEST_F(ScriptEditor, BoxesStandAtTheirIndentsWithGapsBeforeActionsCharactersAndTransitions)
{
    ASSERT_NE(openScript({"Scene Heading:EXT. PASS - NIGHT", "Action:Snow.", "Character:RUTH", "Parenthetical:(low)",
                          "Dialogue:Hold on.", "DDL-Character:MIKEY", "DDL-Dialogue:Mum? Mum, answer me.",
                          "DDR-Character:RUTH", "DDR-Dialogue:I'm here.", "Transition:CUT TO:"}),
              nullptr);
    ASSERT_EQ(boxes(), 10u);
    const auto bottom = [this](std::size_t i) { return box(i)->y() + box(i)->height(); };
    EXPECT_EQ(box(0)->y(), 0);
    EXPECT_EQ(box(1)->y(), bottom(0) + 18);
    EXPECT_EQ(box(2)->y(), bottom(1) + 18);
    EXPECT_EQ(box(3)->y(), bottom(2));
    EXPECT_EQ(box(4)->y(), bottom(3));
    EXPECT_EQ(box(5)->y(), bottom(4) + 18);
    EXPECT_EQ(box(7)->y(), box(5)->y()) << "the right column starts beside the left";
    EXPECT_EQ(box(8)->y(), bottom(7));
    EXPECT_EQ(box(9)->y(), std::max(bottom(6), bottom(8)) + 18) << "below the taller column";
    const std::pair<std::size_t, QRect> widths[] = {{0, QRect(108, 0, 432, 0)}, {2, QRect(252, 0, 270, 0)},
                                                     {4, QRect(180, 0, 252, 0)}, {7, QRect(396, 0, 144, 0)},
                                                     {9, QRect(396, 0, 108, 0)}};
    for (const auto& [index, frame] : widths) {
        SCOPED_TRACE(index);
        EXPECT_EQ(box(index)->x(), frame.x());
        EXPECT_EQ(box(index)->width(), frame.width());
    }
    // A short script: the page is a letter page, 10 points above the background's lower edge.
    QWidget* page = big()->bigSceneScriptView()->paperBackground();
    EXPECT_EQ(page->height(), 792);
    EXPECT_EQ(page->width(), 612);
    EXPECT_EQ(page->y() + page->height(), big()->bigSceneScriptView()->background()->height() - 10);
    EXPECT_GE(big()->bigSceneScriptView()->background()->height(), 812);
}

TEST_F(ScriptEditor, TypingInACharacterOrTransitionGivesCapitalsAndKeepsTheCaret)
{
    ASSERT_NE(openScript({"Action:", "Character:", "Transition:"}), nullptr);
    type(box(1), QStringLiteral("ruth"));
    EXPECT_EQ(box(1)->toPlainText(), "RUTH");
    EXPECT_EQ(box(1)->textCursor().position(), 4);
    QTextCursor cursor = box(1)->textCursor();
    cursor.setPosition(2);
    box(1)->setTextCursor(cursor);
    QTest::keyClicks(box(1), QStringLiteral("x"));
    EXPECT_EQ(box(1)->toPlainText(), "RUXTH");
    EXPECT_EQ(box(1)->textCursor().position(), 3);
    type(box(2), QStringLiteral("cut to:"));
    type(box(0), QStringLiteral("quiet"));
    leave();
    EXPECT_EQ(rows(), "1:Action:quiet|2:Character:RUXTH|3:Transition:CUT TO:");
}

TEST_F(ScriptEditor, ABoxThatGrowsMovesTheBoxesBelowByTheGrowth)
{
    ASSERT_NE(openScript({"Action:One line", "Action:Below"}), nullptr);
    const int below = box(1)->y();
    const int height = box(0)->height();
    type(box(0), QStringLiteral(" and then a great many more words that cannot fit on one line of the page at all"));
    const int growth = box(0)->height() - height;
    EXPECT_GT(growth, 0);
    EXPECT_EQ(box(1)->y(), below + growth);
}

TEST_F(ScriptEditor, TheLineBeingTypedStaysInViewAsTheCaretMoves)
{
    ASSERT_NE(openScript(std::vector<QString>(30, QStringLiteral("Action:Snow."))), nullptr);
    QScrollArea* page = big()->bigSceneScriptView()->scrScript();
    QWidget* shown = page->viewport();
    const auto caretShows = [&](ScriptTextView* target) {
        const QRect caret = target->cursorRect();
        return shown->rect().contains(QRect(target->viewport()->mapTo(shown, caret.topLeft()), caret.size()));
    };
    // The last paragraph's only line stands at the bottom edge of the tab.
    ScriptTextView* last = box(boxes() - 1);
    page->verticalScrollBar()->setValue(last->mapTo(page->widget(), QPoint(0, last->height())).y() - shown->height());
    last->setFocus();
    key(last, Qt::Key_End, Qt::ControlModifier);
    ASSERT_TRUE(caretShows(last));
    const auto lines = [&] { return last->document()->firstBlock().layout()->lineCount(); };
    const int before = lines();
    for (int line = 1; line <= 4; ++line) {
        SCOPED_TRACE(line);
        QTest::keyClicks(last, QStringLiteral(" Snow falls on the pass, on the road and on the cars that wait there."));
        settle();
        EXPECT_TRUE(caretShows(last));
    }
    EXPECT_EQ(lines(), before + 4);
    // A caret moved within the paragraph is brought back into view, and so is a new paragraph.
    page->verticalScrollBar()->setValue(0);
    key(last, Qt::Key_Left);
    EXPECT_TRUE(caretShows(last));
    page->verticalScrollBar()->setValue(0);
    key(last, Qt::Key_End, Qt::ControlModifier);
    key(last, Qt::Key_Return);
    ASSERT_TRUE(box(boxes() - 1)->hasFocus());
    EXPECT_TRUE(caretShows(box(boxes() - 1)));
}

TEST_F(ScriptEditor, ReturnAddsTheParagraphScreenplayFormatExpectsAndRenumbersTheRowsBelow)
{
    ASSERT_NE(openScript({"Action:one", "Action:two", "Action:three"}), nullptr);
    // At the end: one more row, no other changes.
    box(2)->setFocus();
    key(box(2), Qt::Key_Return);
    EXPECT_EQ(rows(), "1:Action:one|2:Action:two|3:Action:three|4:Action:");
    EXPECT_EQ(box(3)->y(), box(2)->y() + box(2)->height() + 18);
    EXPECT_TRUE(box(3)->hasFocus());
    // In the first of them: the others move 36 down and one sort order on.
    const int second = box(1)->y();
    const int third = box(2)->y();
    box(0)->setFocus();
    key(box(0), Qt::Key_Return);
    EXPECT_EQ(rows(), "1:Action:one|2:Action:|3:Action:two|4:Action:three|5:Action:");
    EXPECT_EQ(box(2)->y(), second + 36);
    EXPECT_EQ(box(3)->y(), third + 36);
    EXPECT_TRUE(box(1)->hasFocus());
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(ScriptEditor, ReturnAfterACharacterGivesItsDialogueDirectlyBelow)
{
    ASSERT_NE(openScript({"Character:RUTH", "Action:She drives."}), nullptr);
    const int action = box(1)->y();
    box(0)->setFocus();
    key(box(0), Qt::Key_Return);
    EXPECT_EQ(rows(), "1:Character:RUTH|2:Dialogue:|3:Action:She drives.");
    EXPECT_EQ(box(1)->y(), box(0)->y() + box(0)->height());
    EXPECT_EQ(box(2)->y(), action + 18);
    // Return in the character again: its speech is there, so the caret goes to it.
    box(0)->setFocus();
    key(box(0), Qt::Key_Return);
    EXPECT_EQ(boxes(), 3u);
    EXPECT_TRUE(box(1)->hasFocus());
}

TEST_F(ScriptEditor, ReturnNeverDeadEndsAfterHeadingsActsAndDualDialogue)
{
    ASSERT_NE(openScript({"Scene Heading:INT. CAB - NIGHT", "New Act:ACT TWO", "DDL-Character:MIKEY"}), nullptr);
    box(0)->setFocus();
    key(box(0), Qt::Key_Return);
    EXPECT_EQ(box(1)->stringTag(), "Action");
    box(2)->setFocus();
    key(box(2), Qt::Key_Return);
    EXPECT_EQ(box(3)->stringTag(), "Action");
    // Through a dual-dialogue pair: left speech, right character beside the left one, right
    // speech, then an action below the taller column.
    box(4)->setFocus();
    key(box(4), Qt::Key_Return);
    EXPECT_EQ(box(5)->stringTag(), "DDL-Dialogue");
    type(box(5), QStringLiteral("Mum? Mum, answer me. Please, the radio is all I have up here tonight."));
    key(box(5), Qt::Key_Return);
    EXPECT_EQ(box(6)->stringTag(), "DDR-Character");
    EXPECT_EQ(box(6)->y(), box(4)->y());
    key(box(6), Qt::Key_Return);
    EXPECT_EQ(box(7)->stringTag(), "DDR-Dialogue");
    key(box(7), Qt::Key_Return);
    EXPECT_EQ(box(8)->stringTag(), "Action");
    EXPECT_EQ(box(8)->y(), box(5)->y() + box(5)->height() + 18) << "below the taller, left column";
    leave();
    EXPECT_EQ(rows(), "1:Scene Heading:INT. CAB - NIGHT|2:Action:|3:New Act:ACT TWO|4:Action:|5:DDL-Character:MIKEY|"
                      "6:DDL-Dialogue:Mum? Mum, answer me. Please, the radio is all I have up here tonight.|"
                      "7:DDR-Character:|8:DDR-Dialogue:|9:Action:");
}

TEST_F(ScriptEditor, TabAndParenthesisRetypeOnlyAnEmptyBox)
{
    ASSERT_NE(openScript({"Action:", "Action:text", "Dialogue:", "Dialogue:words", "Action:", "Action:"}), nullptr);
    box(0)->setFocus();
    key(box(0), Qt::Key_Tab);
    EXPECT_EQ(box(0)->stringTag(), "Character");
    EXPECT_EQ(box(0)->x(), 252);
    key(box(0), Qt::Key_Tab);
    EXPECT_EQ(box(0)->stringTag(), "Transition");
    key(box(0), Qt::Key_Tab);
    EXPECT_EQ(box(0)->stringTag(), "Transition") << "Tab goes no further";
    box(1)->setFocus();
    key(box(1), Qt::Key_Tab);
    EXPECT_EQ(box(1)->stringTag(), "Action");
    EXPECT_EQ(box(1)->toPlainText(), "text") << "no tab is typed";
    // Shift-Tab is the Tab key too, whether it comes as Backtab (X11) or as Tab with Shift.
    box(4)->setFocus();
    key(box(4), Qt::Key_Backtab, Qt::ShiftModifier);
    type(box(4), QStringLiteral("mikey"));
    box(5)->setFocus();
    key(box(5), Qt::Key_Tab, Qt::ShiftModifier);
    type(box(2), QStringLiteral("("));
    EXPECT_EQ(box(2)->stringTag(), "Parenthetical");
    EXPECT_EQ(box(2)->toPlainText(), "(");
    type(box(3), QStringLiteral("("));
    EXPECT_EQ(box(3)->stringTag(), "Dialogue");
    leave();
    EXPECT_EQ(rows(),
              "1:Transition:|2:Action:text|3:Parenthetical:(|4:Dialogue:words(|5:Character:MIKEY|6:Character:");
}

TEST_F(ScriptEditor, BackspaceInAnEmptyCharacterRemovesThatBoxAloneAndKeepsItsParentheticalAndDialogue)
{
    ASSERT_NE(openScript({"Action:one", "Character:", "Parenthetical:(low)", "Dialogue:Hold on.", "Action:two"}),
              nullptr);
    const int last = box(4)->y();
    const int taken = box(1)->height() + 18;
    box(1)->setFocus();
    key(box(1), Qt::Key_Backspace);
    // A key typed in one box never takes the text of another.
    EXPECT_EQ(rows(), "1:Action:one|3:Parenthetical:(low)|4:Dialogue:Hold on.|5:Action:two");
    ASSERT_EQ(boxes(), 4u);
    EXPECT_EQ(box(3)->y(), last - taken);
    EXPECT_TRUE(box(0)->hasFocus());
    // Backspace in a box with text only deletes a character.
    type(box(3), QString());
    key(box(3), Qt::Key_Backspace);
    leave();
    EXPECT_EQ(rows(), "1:Action:one|3:Parenthetical:(low)|4:Dialogue:Hold on.|5:Action:tw");
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(ScriptEditor, TheLastParagraphIsNeverDeleted)
{
    ASSERT_NE(openScript({"Action:"}), nullptr);
    box(0)->setFocus();
    key(box(0), Qt::Key_Backspace);
    EXPECT_EQ(rows(), "1:Action:");
    EXPECT_EQ(boxes(), 1u);
}

TEST_F(ScriptEditor, AnEmptyCharacterWithOnlyItsDialogueLeftGoesAndTheDialogueStays)
{
    ASSERT_NE(openScript({"Character:", "Dialogue:Hi."}), nullptr);
    box(0)->setFocus();
    key(box(0), Qt::Key_Backspace);
    EXPECT_EQ(rows(), "2:Dialogue:Hi.");
    ASSERT_EQ(boxes(), 1u);
    EXPECT_EQ(box(0)->toPlainText(), "Hi.");
}

TEST_F(ScriptEditor, ArrowsMoveBetweenBoxesOnlyAtTheirEnds)
{
    std::vector<QString> script{"Action:first", "Action:second",
                                "Action:Snow falls on the pass, on the road and on the cars that wait there for the "
                                "plough, and on the roofs of the huts where the drivers sleep."};
    script.insert(script.end(), 30, QStringLiteral("Action:Snow."));
    ASSERT_NE(openScript(script), nullptr);
    // Box 2 wraps: where its second and its last line start.
    const QTextLayout* wrapped = box(2)->document()->firstBlock().layout();
    ASSERT_GE(wrapped->lineCount(), 3);
    const int second = wrapped->lineAt(1).textStart();
    const int lastLine = wrapped->lineAt(wrapped->lineCount() - 1).textStart();
    const int end2 = static_cast<int>(box(2)->toPlainText().size());
    const std::size_t last = boxes() - 1;
    const QKeyCombination down(Qt::Key_Down), up(Qt::Key_Up);
    const struct {
        std::size_t box;
        int position;
        QKeyCombination pressed;
        std::size_t toBox;
        int toPosition;
        int toAnchor;
    } moves[] = {
        {0, 2, down, 0, 5, 5}, {0, 5, down, 1, 0, 0}, {1, 3, up, 1, 0, 0}, {1, 0, up, 0, 5, 5},
        {0, 2, Qt::ShiftModifier | Qt::Key_Down, 0, 5, 2}, {1, 3, Qt::ShiftModifier | Qt::Key_Up, 1, 0, 3},
        // Wrapped lines move a line; the first and the last go to the start and the end.
        {2, 0, down, 2, second, second}, {2, second + 2, up, 2, 2, 2}, {2, lastLine, down, 2, end2, end2},
        {2, 2, up, 2, 0, 0}, {last, 5, down, last, 5, 5},
    };
    for (const auto& row : moves) {
        SCOPED_TRACE(testing::Message() << "box " << row.box << " at " << row.position);
        box(row.box)->setFocus();
        QTextCursor cursor = box(row.box)->textCursor();
        cursor.setPosition(row.position);
        box(row.box)->setTextCursor(cursor);
        key(box(row.box), row.pressed.key(), row.pressed.keyboardModifiers());
        ASSERT_TRUE(box(row.toBox)->hasFocus());
        EXPECT_EQ(box(row.toBox)->textCursor().position(), row.toPosition);
        EXPECT_EQ(box(row.toBox)->textCursor().anchor(), row.toAnchor);
    }

    // Page Down and Page Up go a page through the script and take the page along; past the
    // last page to the end of the script, before the first to its start.
    QScrollBar* bar = big()->bigSceneScriptView()->scrScript()->verticalScrollBar();
    const auto focused = [] { return qobject_cast<ScriptTextView*>(QApplication::focusWidget()); };
    key(box(0), Qt::Key_Home);
    bar->setValue(0);
    key(box(0), Qt::Key_PageDown);
    ASSERT_NE(focused(), nullptr);
    EXPECT_GT(focused()->y() - box(0)->y(), bar->pageStep() / 2);
    EXPECT_EQ(bar->value(), bar->pageStep());
    for (const bool forward : {true, false}) {
        for (std::size_t press = 0; press < boxes() && focused(); ++press)
            key(focused(), forward ? Qt::Key_PageDown : Qt::Key_PageUp);
        ASSERT_EQ(focused(), box(forward ? last : 0));
        EXPECT_EQ(focused()->textCursor().position(), forward ? focused()->toPlainText().size() : 0);
    }
}

TEST_F(ScriptEditor, AReturnThatCannotBeWrittenChangesNothingAndSaysSo)
{
    ASSERT_NE(openScript({"Action:one", "Action:two", "Action:three"}), nullptr);
    SqlProbe::exec(document_->database(), QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ScriptPart "
                                                         "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    const int second = box(1)->y();
    fakes_.alerts->shown.clear();
    box(0)->setFocus();
    key(box(0), Qt::Key_Return);
    EXPECT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(rows(), "1:Action:one|2:Action:two|3:Action:three") << "the moved sort orders are rolled back too";
    ASSERT_EQ(boxes(), 3u);
    EXPECT_EQ(box(1)->y(), second);
    EXPECT_EQ(box(1)->scriptPart()->sortOrder(), 2);
    EXPECT_EQ(integrity(), "ok");
}

TEST_F(ScriptEditor, TheAdviceButtonShowsTheScriptTopicOnceTheClickIsHandledAndNeverTakesTheFocus)
{
    ASSERT_NE(openScript({"Action:Snow."}), nullptr);
    QToolButton* help = big()->bigSceneScriptView()->cmdHelp();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->objectName(), "cmdHelp");
    EXPECT_TRUE(help->isVisible());
    // In the tab's top right corner, over the scroll area, clear of its scroll bar.
    const QScrollArea* scroll = big()->bigSceneScriptView()->scrScript();
    EXPECT_TRUE(scroll->geometry().contains(help->geometry())) << "inside the tab's scroll area";
    EXPECT_GT(help->x(), scroll->geometry().center().x()) << "on the right";
    EXPECT_LT(help->y(), scroll->geometry().center().y()) << "at the top";
    box(0)->setFocus();
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(document_->adviceWindow(), nullptr) << "asked for after the click";
    settle();
    ASSERT_NE(document_->adviceWindow(), nullptr);
    EXPECT_EQ(document_->adviceWindow()->webDocument()->source(), QUrl("qrc:/help/SCRIPT.htm"));
    EXPECT_NE(QApplication::focusWidget(), help) << "typing goes on in the box";
}

TEST_F(ScriptEditor, BoxesAreSetInTheUprightRegularScreenplayFaceAtTwelve)
{
    ASSERT_NE(openScript({"Scene Heading:EXT. PASS - NIGHT", "Character:RUTH", "Dialogue:Hold on."}), nullptr);
    for (std::size_t index = 0; index < boxes(); ++index) {
        SCOPED_TRACE(index);
        const QFontInfo face(box(index)->font());
        EXPECT_EQ(face.family(), ScreenplayFont::family());
        EXPECT_EQ(face.pixelSize(), 12);
        EXPECT_FALSE(face.bold());
        EXPECT_FALSE(face.italic());
        EXPECT_EQ(FontProbe::screenplayFaceProblem(box(index)->font()), QString());
        // The characters typed take the box's face, not a face of their own.
        EXPECT_EQ(FontProbe::screenplayFaceProblem(box(index)->textCursor().charFormat().font()), QString());
    }
}

TEST_F(ScriptEditor, EveryParagraphOpensLeftAlignedWhateverItsFormatSays)
{
    // Transitions are stored right-aligned and teasers centred; neither is applied on opening.
    const std::vector<QString> paragraphs = {"Scene Heading:EXT. PASS - NIGHT", "Action:Snow.", "Character:RUTH",
                                             "Dialogue:Hold on.", "Transition:CUT TO:", "Teaser:LATER",
                                             "Transition:FADE OUT."};
    ASSERT_NE(openScript(paragraphs), nullptr);
    ASSERT_EQ(boxes(), paragraphs.size());
    for (std::size_t index = 0; index < boxes(); ++index) {
        SCOPED_TRACE(paragraphs[index].toStdString());
        EXPECT_EQ(box(index)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }
}

TEST_F(ScriptEditor, ATransitionKeepsItsAlignmentWhileItsLettersAreCapitalised)
{
    ASSERT_NE(openScript({"Action:", "Transition:"}), nullptr);
    // As the story opens, a transition is left-aligned like every paragraph.
    EXPECT_EQ(box(1)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft) << "as the story opens";
    type(box(1), QStringLiteral("cut to:"));
    EXPECT_EQ(box(1)->toPlainText(), "CUT TO:");
    EXPECT_EQ(box(1)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    // A box made a Transition by Tab keeps the alignment too.
    type(box(0), QString());
    key(box(0), Qt::Key_Tab);
    key(box(0), Qt::Key_Tab);
    ASSERT_EQ(box(0)->stringTag(), "Transition");
    type(box(0), QStringLiteral("fade out."));
    EXPECT_EQ(box(0)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    leave();
    EXPECT_EQ(rows(), "1:Transition:FADE OUT.|2:Transition:CUT TO:");
}

TEST_F(ScriptEditor, AClickOnTheBlankPageStartsTypingInTheNearestParagraph)
{
    ASSERT_NE(openScript({"Action:First.", "Character:RUTH", "Dialogue:Hold on."}), nullptr);
    QWidget* page = big()->bigSceneScriptView()->paperBackground();
    const auto clickAndType = [&](QWidget* target, const QPoint& at, const QString& text) {
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
        settle();
        QTest::keyClicks(QApplication::focusWidget(), text);
        settle();
    };
    struct Case {
        const char* name;
        QPoint at;
        std::size_t box;
    };
    const Case cases[] = {
        {"below every paragraph", QPoint(300, box(2)->y() + box(2)->height() + 200), 2},
        {"beside the first, in the left margin", QPoint(20, box(0)->y() + 4), 0},
        {"beside the character, right of it", QPoint(560, box(1)->y() + 4), 1},
        {"in the gap above the character", QPoint(300, box(1)->y() - 4), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->setFocus();
        clickAndType(page, c.at, QStringLiteral("x"));
        EXPECT_TRUE(box(c.box)->hasFocus());
    }
    leave();
    EXPECT_EQ(rows(), "1:Action:xFirst.|2:Character:RUTHXX|3:Dialogue:Hold on.x")
        << "the caret goes to the place of the paragraph nearest the click";
    // Outside the paper, on the grey around it, too.
    QWidget* background = big()->bigSceneScriptView()->background();
    clickAndType(background, QPoint(2, background->height() - 2), QStringLiteral("!"));
    EXPECT_TRUE(box(2)->hasFocus());
}

TEST_F(ScriptEditor, AClickAnywhereOnTheEmptyScenesPageTypesIntoItsOnlyParagraph)
{
    ASSERT_NE(openScript(), nullptr);
    ASSERT_EQ(boxes(), 1u);
    QWidget* page = big()->bigSceneScriptView()->paperBackground();
    const QString typed = QStringLiteral("Thirty characters typed here..");
    QTest::mouseClick(page, Qt::LeftButton, Qt::NoModifier, QPoint(500, 600));
    settle();
    ASSERT_TRUE(box(0)->hasFocus());
    QTest::keyClicks(box(0), typed);
    leave();
    EXPECT_EQ(rows(), "1:Action:" + typed);
}

TEST_F(ScriptEditor, AParagraphBeingTypedIsWrittenASecondAfterTheLastKey)
{
    ASSERT_NE(openScript({"Action:", "Character:"}), nullptr);
    // An undo back to the text the paragraph opened with is written like any other change. A NUL
    // character that came with the paste goes in the paste's own step of undo.
    QApplication::clipboard()->setText(QStringLiteral("Pas") + QChar(u'\0') + QStringLiteral("ted"));
    box(0)->setFocus();
    key(box(0), Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == "1:Action:Pasted|2:Character:"; })) << rows().toStdString();
    EXPECT_EQ(box(0)->toPlainText(), "Pasted");
    key(box(0), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(box(0)->toPlainText(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == "1:Action:|2:Character:"; })) << rows().toStdString();
    type(box(1), QStringLiteral("ruth"));
    type(box(0), QStringLiteral("The door"));
    EXPECT_EQ(rows(), "1:Action:|2:Character:RUTH") << "the box left is written, the box typed in waits";
    waitUntil([&] { return rows() == "1:Action:The door|2:Character:RUTH"; });
    EXPECT_EQ(rows(), "1:Action:The door|2:Character:RUTH");
    // Keys typed before the second is up start it again; nothing is written while it waits.
    const TypingPause* pause = TypingPause::of(box(0));
    ASSERT_NE(pause, nullptr);
    QTest::keyClicks(box(0), QStringLiteral(" opens"));
    ASSERT_TRUE(QTest::qWaitFor([pause] { return pause->remainingMilliseconds() <= 700; }));
    const int waited = pause->remainingMilliseconds();
    ASSERT_GT(waited, 0) << "the pause ran out before the next key";
    EXPECT_EQ(rows(), "1:Action:The door|2:Character:RUTH");
    QTest::keyClicks(box(0), QStringLiteral("."));
    EXPECT_GT(pause->remainingMilliseconds(), waited);
    EXPECT_EQ(rows(), "1:Action:The door|2:Character:RUTH");
    waitUntil([&] { return rows() == "1:Action:The door opens.|2:Character:RUTH"; });
    EXPECT_EQ(rows(), "1:Action:The door opens.|2:Character:RUTH");
}
