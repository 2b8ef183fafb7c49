#include "AppFixture.h"

#include "app/AppActions.h"
#include "board/ColorCodeSelector.h"
#include "panes/InitialBeatCards.h"
#include "panes/ModalDialogs.h"
#include "platform/QtPlatform.h"
#include "scene_editor/DatePicker.h"
#include "support/PanelDriver.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What the dialog answered: an alert's or the date picker's button, or the options ticked.
QString runAlert(const AlertRequest& request)
{
    switch (QtAlertPanels().runAlert(request)) {
    case AlertOtherReturn:
        return request.otherButton;
    case AlertAlternateReturn:
        return request.alternateButton;
    default:
        return request.defaultButton;
    }
}

QString runDatePicker()
{
    DatePicker picker;
    return QStringList{"Cancel", "Clear", "Save"}.value(ModalDialogs::run(picker));
}

QString answerOf(InitialBeatCards& dialog)
{
    QString answer = QString::number(ModalDialogs::run(dialog));
    for (const QCheckBox* box : dialog.findChildren<QCheckBox*>())
        answer += box->isChecked() ? QLatin1Char(' ') + box->objectName() : QString();
    return answer;
}

QString runInitialBeatCards()
{
    InitialBeatCards dialog;
    return answerOf(dialog);
}

// The dialog used once from the keyboard, its focus shown on a check box and left by Escape,
// and then shown again.
QString runInitialBeatCardsAgain()
{
    InitialBeatCards dialog;
    dialog.show();
    dialog.activateWindow();
    if (!QTest::qWaitForWindowActive(&dialog))
        return QStringLiteral("never shown");
    for (int press = 0; press < 20 && !dialog.chkDebate()->hasFocus(); ++press)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (!dialog.chkDebate()->hasFocus())
        return QStringLiteral("never reached");
    QTest::keyClick(dialog.chkDebate(), Qt::Key_Escape);
    return answerOf(dialog);
}

QString runPrintPanel()
{
    PrintJob job;
    job.title = QStringLiteral("Beat Sheet");
    job.pageCount = 2;
    return QtPrintPanels().runPrintPanel(job).outcome == PrintResult::Cancelled ? QStringLiteral("Cancel")
                                                                                : QStringLiteral("Print");
}

// The control a row moves to: the button of that text, or the control labelled so.
QWidget* controlNamed(const QDialog& dialog, const QString& name)
{
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (button->text() == name)
            return button;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy() && label->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')) == name)
            return label->buddy();
    return nullptr;
}

// The dialog as it looks around a control, a little beyond its edges.
QImage around(const QWidget& control)
{
    const QRect frame(control.mapTo(control.window(), QPoint(0, 0)), control.size());
    return control.window()->grab(frame.adjusted(-4, -4, 4, 4)).toImage();
}

} // namespace

// A dialog or an alert answered from the keyboard alone: Tab or Shift+Tab reaches the button,
// check box or pop-up list, the focus shows on it while the default button keeps its look, and a
// space presses it.
TEST(DialogKeys, TabReachesEachButtonAndCheckBoxAndSpacePressesTheOneShowingTheFocus)
{
    const AlertRequest masterFile{"Vantora Master File", "Missing.", "Try Again", "Select File", "Create New File"};
    const AlertRequest deleteCard{"Delete Scene Card", "Sure?", "No", "", "Yes"};
    const auto alert = [](AlertRequest request) { return [request] { return runAlert(request); }; };
    const struct {
        std::function<QString()> run;
        Qt::Key move; // pressed until `target` has the focus
        const char* target;
        std::vector<Qt::Key> keys; // then typed
        const char* answer;
    } rows[] = {
        {alert(masterFile), Qt::Key_Backtab, "Create New File", {Qt::Key_Space}, "Create New File"},
        {alert(deleteCard), Qt::Key_Tab, "Yes", {Qt::Key_Space}, "Yes"},
        {runDatePicker, Qt::Key_Tab, "Clear", {Qt::Key_Space}, "Clear"},
        {runDatePicker, Qt::Key_Backtab, "Save", {Qt::Key_Space}, "Save"},
        {runInitialBeatCards, Qt::Key_Tab, "Debate cards: home and work", {Qt::Key_Space, Qt::Key_Return},
         "1 chkDebate"},
        // Return answers the default button and Escape the cancel button, wherever the focus is.
        {alert(deleteCard), Qt::Key_Tab, "Yes", {Qt::Key_Return}, "No"},
        {alert(masterFile), Qt::Key_Tab, "Create New File", {Qt::Key_Escape}, "Select File"},
        // The printer is chosen from a pop-up list.
        {runPrintPanel, Qt::Key_Tab, "Name", {Qt::Key_Escape}, "Cancel"},
        // A space typed for a field just as the dialog appears presses nothing, and opens no list
        // whose next letters typed would choose.
        {alert({"Delete Logline", "Sure?", "Yes", "No", ""}), Qt::Key_unknown, "", {Qt::Key_Space, Qt::Key_Escape},
         "No"},
        {runInitialBeatCards, Qt::Key_unknown, "", {Qt::Key_Space, Qt::Key_Return}, "1"},
        {runPrintPanel, Qt::Key_unknown, "", {Qt::Key_Space, Qt::Key_Escape}, "Cancel"},
        // Nor as it appears again, though the writer last left it with the focus showing.
        {runInitialBeatCardsAgain, Qt::Key_unknown, "", {Qt::Key_Space, Qt::Key_Return}, "1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        PanelDriver driver;
        driver.whenShown<QDialog>([&row](QDialog* dialog) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            const auto type = [](Qt::Key key) {
                const auto shift = key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
                QTest::keyClick(QApplication::focusWidget(), key, shift);
            };
            const auto defaults = [dialog] {
                QStringList names;
                for (const QPushButton* push : dialog->findChildren<QPushButton*>())
                    names << (push->isDefault() ? push->text() : QString());
                return names;
            };
            if (row.move != Qt::Key_unknown) {
                QWidget* target = controlNamed(*dialog, QString::fromLatin1(row.target));
                ASSERT_NE(target, nullptr);
                const QImage unseen = around(*target);
                const QStringList before = defaults();
                // A date field takes a Tab for each of its parts; a control that holds the focus
                // unseen as the dialog opens is come back to.
                for (int press = 0; press < 20 && (press == 0 || !target->hasFocus()); ++press)
                    type(row.move);
                ASSERT_TRUE(target->hasFocus());
                EXPECT_NE(around(*target), unseen) << "the focus does not show";
                EXPECT_EQ(defaults(), before);
            }
            for (Qt::Key key : row.keys)
                if (dialog->isVisible())
                    type(key);
        });
        EXPECT_EQ(row.run(), QString::fromLatin1(row.answer));
    }
}

using DialogKeysInTheProgram = AppFixture;

// A small window brought to the front again while it is still open (the writer chose its menu
// item once more) shows no focus, though the writer left it with the focus showing on its
// button: a space typed as it appears presses nothing, and one typed once Tab has shown the
// focus again presses the button.
TEST_F(DialogKeysInTheProgram, AWindowBroughtToTheFrontAgainShowsNoFocusAndASpaceTypedAsItAppearsPressesNothing)
{
    startApplication();
    QWidget* elsewhere = app_->startWindow();
    ASSERT_NE(elsewhere, nullptr);
    const struct {
        const char* name;
        QAction* item;
        std::function<QWidget*()> window;
        const char* button;
    } rows[] = {
        {"Technical Support", app_->actions().mnuTechSupport, [this] { return app_->pnlTechSupport(); }, "Close"},
        {"About Vantora", app_->actions().mnuAbout, [this] { return app_->aboutWindow(); }, "OK"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.item->trigger();
        QWidget* window = row.window();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QPushButton* button = nullptr;
        for (QPushButton* push : window->findChildren<QPushButton*>())
            button = push->text() == QString::fromLatin1(row.button) ? push : button;
        ASSERT_NE(button, nullptr);
        const auto tabToButton = [&] {
            for (int press = 0; press < 10 && (press == 0 || !button->hasFocus()); ++press)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return button->hasFocus();
        };
        const QImage unseen = around(*button);
        ASSERT_TRUE(tabToButton());
        ASSERT_NE(around(*button), unseen) << "the focus does not show";
        // The writer goes to another window, and chooses the item again.
        elsewhere->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(elsewhere));
        row.item->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        EXPECT_EQ(around(*button), unseen) << "the focus of the last use shows";
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        EXPECT_TRUE(window->isVisible());
        ASSERT_TRUE(tabToButton());
        QTest::keyClick(button, Qt::Key_Space);
        EXPECT_FALSE(window->isVisible());
    }
}

// The list of Master Color Codes shows where the focus is as Tab arrives on it: its current row,
// the first, is marked before any arrow is pressed, and the mark goes with the row the arrows
// move to.
TEST_F(DialogKeysInTheProgram, TheMasterColorCodesListMarksItsCurrentRowAsTabArrives)
{
    startApplication();
    PanelDriver driver;
    driver.whenShown<ColorCodeSelector>([](ColorCodeSelector* dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTableView* list = dialog->tvColors();
        const auto rowLook = [list](int row) {
            const QRect cells = list->visualRect(list->model()->index(row, 0))
                                | list->visualRect(list->model()->index(row, 1));
            return list->viewport()->grab(cells.adjusted(-1, -1, 1, 1)).toImage();
        };
        const QImage first = rowLook(0);
        const QImage second = rowLook(1);
        for (int press = 0; press < 10 && (press == 0 || !list->hasFocus()); ++press)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(list->hasFocus());
        EXPECT_EQ(list->currentIndex().row(), 0);
        EXPECT_NE(rowLook(0), first) << "the list shows no focus";
        EXPECT_EQ(rowLook(1), second);
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->currentIndex().row(), 1);
        EXPECT_EQ(rowLook(0), first) << "the mark stays on the row left";
        EXPECT_NE(rowLook(1), second);
        dialog->cmdDone()->click();
    });
    app_->actions().mnuMasterColorCodes->trigger();
}
