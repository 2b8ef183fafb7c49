#include "AppFixture.h"

#include "app/AppActions.h"
#include "board/ColorCodeSelector.h"
#include "panes/InitialBeatCards.h"
#include "panes/ModalDialogs.h"
#include "platform/QtPlatform.h"
#include "scene_editor/DatePicker.h"
#include "support/PanelDriver.h"
#include "support/XServer.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
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

QString runInitialBeatCards()
{
    InitialBeatCards dialog;
    QString answer = QString::number(ModalDialogs::run(dialog));
    for (const QCheckBox* box : dialog.findChildren<QCheckBox*>())
        answer += box->isChecked() ? QLatin1Char(' ') + box->objectName() : QString();
    return answer;
}

QString runPrintPanel()
{
    const bool cancelled = QtPrintPanels().runPrintPanel(PrintJob{}).outcome == PrintResult::Cancelled;
    return cancelled ? QStringLiteral("Cancel") : QStringLiteral("Print");
}

// The dialog as it looks around a control, a little beyond its edges.
QImage around(const QWidget& control)
{
    const QRect frame(control.mapTo(control.window(), QPoint(0, 0)), control.size());
    return control.window()->grab(frame.adjusted(-4, -4, 4, 4)).toImage();
}

} // namespace

// A dialog or an alert answered from the keyboard alone: Tab or Shift+Tab reaches the button, check
// box or pop-up list, the focus shows on it while the default button keeps its look, and a space presses it.
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
        bool broughtBack = false; // to the front again, as the writer calls it up once more, before `keys`
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
        {runPrintPanel, Qt::Key_Tab, "&Name:", {Qt::Key_Escape}, "Cancel"}, // the printer's pop-up list
        // A space typed for a field just as the dialog appears presses nothing, nor opens a list.
        {alert({"Delete Logline", "Sure?", "Yes", "No", ""}), Qt::Key_unknown, "", {Qt::Key_Space, Qt::Key_Escape},
         "No"},
        {runInitialBeatCards, Qt::Key_unknown, "", {Qt::Key_Space, Qt::Key_Return}, "1"},
        {runPrintPanel, Qt::Key_unknown, "", {Qt::Key_Space, Qt::Key_Escape}, "Cancel"},
        // Nor as it comes to the front again, though the writer left it with the focus showing.
        {runInitialBeatCards, Qt::Key_Tab, "Debate cards: home and work", {Qt::Key_Space, Qt::Key_Return}, "1", true},
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
            QWidget* target = nullptr;
            for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                target = button->text() == QString::fromLatin1(row.target) ? button : target;
            for (const QLabel* label : dialog->findChildren<QLabel*>()) // or the control of that label
                target = label->buddy() && label->text() == QString::fromLatin1(row.target) ? label->buddy() : target;
            if (row.move != Qt::Key_unknown) {
                ASSERT_NE(target, nullptr);
                const QImage unseen = around(*target);
                const QStringList before = defaults();
                // A date field takes a Tab for each of its parts; a control that holds the focus unseen as the
                // dialog opens is come back to.
                for (int press = 0; press < 20 && (press == 0 || !target->hasFocus()); ++press)
                    type(row.move);
                ASSERT_TRUE(target->hasFocus());
                EXPECT_NE(around(*target), unseen) << "the focus does not show";
                EXPECT_EQ(defaults(), before);
            }
            if (row.broughtBack)
                dialog->raise();
            for (Qt::Key key : row.keys)
                if (dialog->isVisible())
                    type(key);
        });
        EXPECT_EQ(row.run(), QString::fromLatin1(row.answer));
    }
}

// Run only as the child process of the test below, on an X server without a window manager, which hands the
// keyboard back to no window as a dialog ends.
TEST(DialogKeys, DISABLED_ChildProcessADialogThatEndsGivesTheKeyboardBackToTheWindowItCameUpOver)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const auto cancelled = [](auto run) {
        return [run] { return run().has_value() ? QStringLiteral("chosen") : QStringLiteral("Cancel"); };
    };
    const struct {
        const char* name;
        std::function<QString()> run;
        Qt::Key key; // answers the dialog; Key_unknown: the panel is closed as its Cancel button closes it
        const char* answer;
        bool filePanel = false;
    } rows[] = {
        {"an alert answered with Return", [] { return runAlert({"Delete Logline", "Sure?", "Yes", "No", ""}); },
         Qt::Key_Return, "Yes"},
        {"a dialog of the panes answered with Return", runInitialBeatCards, Qt::Key_Return, "1"},
        {"the print panel cancelled with Escape", runPrintPanel, Qt::Key_Escape, "Cancel"},
        {"the save panel closed", cancelled([] { return QtFilePanels().runSavePanel(SavePanelRequest{}); }),
         Qt::Key_unknown, "Cancel", true},
        {"the open panel closed", cancelled([] { return QtFilePanels().runOpenPanel(OpenPanelRequest{}); }),
         Qt::Key_unknown, "Cancel", true},
    };
    // Under GTK's theme GTK's own file panel stands in for Qt's: no window of Qt's has the keyboard while it
    // shows, and it keeps what it read of the fonts past the end of the process, which the leak check reports.
    const bool gtksOwnFilePanels = qgetenv("QT_QPA_PLATFORMTHEME") == "gtk3";
    const auto hasTheKeyboard = [](const QWidget& window) {
        return QTest::qWaitFor([&window] { return QGuiApplication::focusWindow() == window.windowHandle(); });
    };
    for (const auto& row : rows) {
        if (row.filePanel && gtksOwnFilePanels)
            continue;
        SCOPED_TRACE(row.name);
        QWidget window;
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(hasTheKeyboard(window));
        PanelDriver driver;
        driver.whenShown<QDialog>([&row, &hasTheKeyboard](QDialog* dialog) {
            // The dialog has the keyboard, as a desktop gives it to a dialog that comes up.
            dialog->activateWindow();
            ASSERT_TRUE(hasTheKeyboard(*dialog));
            if (row.key == Qt::Key_unknown) {
                dialog->reject();
                return;
            }
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, row.key);
        });
        EXPECT_EQ(row.run(), QString::fromLatin1(row.answer));
        EXPECT_TRUE(hasTheKeyboard(window)) << "the keyboard went to no window";
    }
}

TEST(DialogKeys, ADialogThatEndsGivesTheKeyboardBackToTheWindowItCameUpOverUnderEveryTheme)
{
    runOnAnXServerOfItsOwn(QStringLiteral("DialogKeys.DISABLED_ChildProcess*"), 1, {"generic", "gnome", "gtk3"});
}

using DialogKeysInTheProgram = AppFixture;

// The list of Master Color Codes, whose colour cell paints no focus, rings its current row as Tab arrives on it; the
// ring follows the arrows and goes with Tab, and the screen keeps no part of it where it was.
TEST_F(DialogKeysInTheProgram, TheMasterColorCodesListRingsItsCurrentRowAndLeavesNoPartOfTheRingBehind)
{
    startApplication();
    PanelDriver driver;
    driver.whenShown<ColorCodeSelector>([](ColorCodeSelector* dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTableView* list = dialog->tvColors();
        const auto frame = [list](int row) {
            return list->visualRect(list->model()->index(row, 0)) | list->visualRect(list->model()->index(row, 1));
        };
        // A row as the list paints it afresh, with the focus shown or not.
        const auto painted = [dialog, list, &frame](int row, bool focusShown) {
            const bool shown = dialog->testAttribute(Qt::WA_KeyboardFocusChange);
            dialog->setAttribute(Qt::WA_KeyboardFocusChange, focusShown);
            const QImage image = list->viewport()->grab(frame(row)).toImage().convertToFormat(QImage::Format_RGB32);
            dialog->setAttribute(Qt::WA_KeyboardFocusChange, shown);
            return image;
        };
        // The row as the screen shows it, once the list has repainted what it marked as changed.
        const auto shownAsPainted = [dialog, list, &frame, &painted](int row, bool focusShown) {
            QCoreApplication::sendPostedEvents();
            const QRect at = frame(row).translated(list->viewport()->mapTo(dialog, QPoint(0, 0)));
            const QPixmap screen = dialog->screen()->grabWindow(dialog->winId(), at.x(), at.y(), at.width(),
                                                                at.height());
            return screen.toImage().convertToFormat(QImage::Format_RGB32) == painted(row, focusShown);
        };
        const struct {
            const char* name;
            Qt::Key key;
            int ringed; // the row the ring goes round, -1 for none
        } rows[] = {
            {"Tab arrives on the list", Qt::Key_Tab, 0},
            {"Down", Qt::Key_Down, 1},
            {"Up", Qt::Key_Up, 0},
            {"Tab leaves the list", Qt::Key_Tab, -1},
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            QTest::keyClick(QApplication::focusWidget(), row.key);
            for (int press = 0; press < 10 && row.key == Qt::Key_Tab && row.ringed >= 0 && !list->hasFocus(); ++press)
                QTest::keyClick(QApplication::focusWidget(), row.key);
            ASSERT_EQ(list->hasFocus(), row.ringed >= 0);
            for (int at = 0; at < 3; ++at) {
                SCOPED_TRACE(at);
                EXPECT_TRUE(shownAsPainted(at, at == row.ringed)) << "the screen shows what the list no longer paints";
                EXPECT_EQ(painted(at, true) != painted(at, false), at == row.ringed) << "the ring is elsewhere";
            }
        }
        dialog->cmdDone()->click();
    });
    app_->actions().mnuMasterColorCodes->trigger();
}
