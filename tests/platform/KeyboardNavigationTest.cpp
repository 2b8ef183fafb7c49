#include "platform/QtPlatform.h"
#include "support/PanelDriver.h"
#include "support/XServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStringListModel>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// How far two colours stand apart, from 1:1 to 21:1, by their luminance as the eye weighs it.
double contrast(QRgb one, QRgb other)
{
    const auto linear = [](int component) {
        const double value = component / 255.0;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const auto luminance = [&linear](QRgb pixel) {
        return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
    };
    const auto [dark, light] = std::minmax({luminance(one), luminance(other)});
    return (light + 0.05) / (dark + 0.05);
}

bool isControlTheWriterSets(const QWidget& widget)
{
    if (qobject_cast<const QScrollBar*>(&widget))
        return false;
    for (const char* kind : {"QAbstractButton", "QComboBox", "QAbstractSpinBox", "QLineEdit", "QTextEdit",
                             "QPlainTextEdit", "QAbstractItemView", "QAbstractSlider", "QTabBar", "QWellArray"})
        if (widget.inherits(kind))
            return true;
    return false;
}

// The controls of a window whose value, choice or text the writer sets, as they show: the outermost of each (a
// number box, not the field inside it), visible and enabled; a colour panel's grids of colours among them.
std::set<QWidget*> controlsTheWriterSets(QWidget& window)
{
    std::set<QWidget*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        bool inside = false;
        for (QWidget* around = widget->parentWidget(); around && around != &window; around = around->parentWidget())
            inside = inside || isControlTheWriterSets(*around);
        if (widget->window() == &window && widget->isVisible() && widget->isEnabled()
            && isControlTheWriterSets(*widget) && !inside)
            controls.insert(widget);
    }
    return controls;
}

// The controls of `controls` that Tab gives the focus to from the one that has it, once round (or the widget that
// holds the focus, when it is none of them).
std::set<QWidget*> reachedByTab(const std::set<QWidget*>& controls)
{
    std::set<QWidget*> reached;
    for (QWidget* focus = QApplication::focusWidget(); focus; focus = QApplication::focusWidget()) {
        QWidget* control = focus;
        while (control && !controls.count(control))
            control = control->parentWidget();
        if (!reached.insert(control ? control : focus).second || reached.size() > 200)
            break;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return reached;
}

std::string named(const std::set<QWidget*>& widgets)
{
    QStringList names;
    for (const QWidget* widget : widgets)
        names << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName();
    names.sort();
    return names.join(QStringLiteral(", ")).toStdString();
}

} // namespace

// A window other than a dialog, as the test main sets the application up: Tab passes over the
// buttons of every kind, which still act when clicked, and leaves a list instead of walking it.
TEST(KeyboardNavigation, TabPassesOverButtonsThatStillActWhenClicked)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* name = new QLineEdit;
    auto* push = new QPushButton(QStringLiteral("Next"));
    auto* check = new QCheckBox(QStringLiteral("Show all"));
    auto* tool = new QToolButton;
    auto* list = new QTableWidget(2, 2);
    for (QWidget* control : std::initializer_list<QWidget*>{name, push, check, tool, list})
        layout->addWidget(control);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), name);

    // A tool button never takes the focus, by click or by Tab; the others do when clicked.
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{push, check, tool}) {
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
        EXPECT_EQ(clicked.count(), 1) << button->metaObject()->className();
        EXPECT_EQ(button->hasFocus(), button != tool) << button->metaObject()->className();
    }
    EXPECT_TRUE(check->isChecked());
}

// A control in a collapsed pane, which the writer cannot see, is no Tab stop; nor are the thousands a pane may
// hold, which Tab and Shift+Tab pass over without the program running out of stack.
TEST(KeyboardNavigation, TabPassesOverAControlInACollapsedPane)
{
    for (const int hidden : {1, 5000}) {
        SCOPED_TRACE(hidden);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* name = new QLineEdit;
        auto* panes = new QSplitter;
        auto* collapsed = new QWidget;
        auto* fields = new QVBoxLayout(collapsed);
        for (int field = 0; field < hidden; ++field)
            fields->addWidget(new QLineEdit);
        auto* notes = new QPlainTextEdit;
        panes->addWidget(collapsed);
        panes->addWidget(notes);
        panes->setSizes({0, 300});
        layout->addWidget(name);
        layout->addWidget(panes);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), notes);
        QTest::keyClick(notes, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), name);
    }
}

// Tab in a cell being edited goes on to the next row's cell, looking at no more cells in a list of 10,000 rows
// than in one of 20, whether the edited cell is the current one or not.
TEST(KeyboardNavigation, TabInAnEditedCellLooksAtNoMoreCellsInALongListThanInAShortOne)
{
    struct CountingCells : QStringListModel {
        using QStringListModel::QStringListModel;
        QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
        {
            ++looked;
            return QStringListModel::index(row, column, parent);
        }
        mutable long long looked = 0;
    };
    for (const int currentAbove : {0, 12}) {
        SCOPED_TRACE(currentAbove);
        std::vector<long long> looked;
        for (const int length : {20, 10000}) {
            CountingCells cells(QStringList(length, QStringLiteral("Beat")));
            QTableView list;
            list.setModel(&cells);
            list.show();
            list.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
            const QModelIndex edited = cells.index(length - 4, 0);
            list.setCurrentIndex(cells.index(length - 4 - currentAbove, 0));
            list.scrollTo(edited);
            list.edit(edited);
            ASSERT_NE(list.indexWidget(edited), nullptr);
            list.indexWidget(edited)->setFocus();
            cells.looked = 0;
            QTest::keyClick(list.indexWidget(edited), Qt::Key_Tab);
            looked.push_back(cells.looked);
            const QWidget* next = list.indexWidget(cells.index(length - 3, 0));
            EXPECT_TRUE(next && next->hasFocus());
        }
        EXPECT_LE(looked[1], looked[0]) << "cells looked at in 20 rows: " << looked[0];
    }
}

// Return in a pop-up list that edits a cell ends the edit and keeps the choice, as the list has it do: it does not
// go on to the window as it does from a pop-up list elsewhere.
TEST(KeyboardNavigation, ReturnInAPopUpListEditingACellKeepsTheChoice)
{
    QTableWidget list(1, 1);
    auto* cell = new QTableWidgetItem;
    cell->setData(Qt::EditRole, false);
    list.setItem(0, 0, cell);
    list.show();
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    list.editItem(cell);
    auto* choice = qobject_cast<QComboBox*>(list.indexWidget(list.model()->index(0, 0)));
    ASSERT_NE(choice, nullptr);
    choice->setFocus();
    QTest::keyClick(choice, Qt::Key_Down);
    QTest::keyClick(choice, Qt::Key_Return);
    // The list ends the edit once the key is handled.
    EXPECT_TRUE(QTest::qWaitFor([&list] { return !list.indexWidget(list.model()->index(0, 0)); }))
        << "the edit did not end";
    EXPECT_EQ(cell->data(Qt::EditRole), QVariant(true));
}

// Run only as the child process of the test below, under X with Qt's own theme, GNOME's or GTK's: the two last
// have Return and Enter press a focused button, or open a pop-up list, as a space does.
TEST(KeyboardNavigation, DISABLED_ChildProcessReturnAnswersTheDialogWhateverTheTheme)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* printers = new QComboBox; // first, so it holds the focus unseen as the dialog appears
    printers->addItems({QStringLiteral("Print to File (PDF)"), QStringLiteral("Office")});
    auto* cards = new QGroupBox(QStringLiteral("Cards"));
    auto* inCards = new QVBoxLayout(cards);
    auto* setUps = new QCheckBox(QStringLiteral("Set-Up cards"));
    auto* file = new QLineEdit;
    auto* help = new QPushButton(QStringLiteral("Advice"));
    for (QWidget* control : std::initializer_list<QWidget*>{setUps, file, help})
        inCards->addWidget(control);
    auto* place = new QPushButton(QStringLiteral("Place the Cards"));
    place->setDefault(true);
    for (QWidget* control : std::initializer_list<QWidget*>{printers, cards, place})
        layout->addWidget(control);
    QWidget window;
    auto* plain = new QCheckBox(QStringLiteral("Show all"), &window);
    QSignalSpy placed(place, &QPushButton::clicked);
    QSignalSpy advised(help, &QPushButton::clicked);

    // No window manager: each window is made active, and its control holds the focus before a key.
    const auto show = [](QWidget& shown) {
        shown.show();
        shown.activateWindow();
        QApplication::setActiveWindow(&shown);
        return QTest::qWaitForWindowActive(&shown);
    };
    const auto clickInto = [&show](QWidget& shown, QWidget* control) {
        EXPECT_TRUE(show(shown));
        QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(8, control->height() / 2));
        return QTest::qWaitFor([control] { return control->hasFocus(); });
    };
    const auto ticked = [](QWidget* control) {
        const auto* box = qobject_cast<QAbstractButton*>(control);
        return box && box->isChecked();
    };

    struct Row {
        const char* name;
        QWidget* window;
        QWidget* focused; // clicked into, unless it holds the focus as the dialog appears
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int answers;
    };
    const Row rows[] = {
        {"Down on a pop-up list as the dialog appears", &dialog, printers, Qt::Key_Down, Qt::NoModifier, 0},
        {"a letter on it", &dialog, printers, Qt::Key_O, Qt::NoModifier, 0},
        {"Return on it", &dialog, printers, Qt::Key_Return, Qt::NoModifier, 1},
        {"Return on a ticked check box", &dialog, setUps, Qt::Key_Return, Qt::NoModifier, 1},
        {"Enter on a ticked check box", &dialog, setUps, Qt::Key_Enter, Qt::KeypadModifier, 1},
        {"Return on a button in a group box", &dialog, help, Qt::Key_Return, Qt::NoModifier, 1},
        {"Return in a field in a group box", &dialog, file, Qt::Key_Return, Qt::NoModifier, 1},
        {"Return on a check box of a window without a default button", &window, plain, Qt::Key_Return,
         Qt::NoModifier, 0},
    };
    ASSERT_TRUE(show(dialog));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.focused == setUps && !setUps->isChecked()) {
            ASSERT_TRUE(clickInto(dialog, setUps));
            ASSERT_TRUE(setUps->isChecked());
            // The theme's own keys: Return handed to the check box itself, past the rule, unticks it.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
            static_cast<QObject*>(setUps)->event(&press);
            static_cast<QObject*>(setUps)->event(&release);
            ASSERT_EQ(setUps->isChecked(), qgetenv("QT_QPA_PLATFORMTHEME") == "generic") << "the theme is not in force";
            setUps->setChecked(true);
        }
        if (!row.focused->hasFocus()) {
            ASSERT_NE(row.focused, printers) << "the pop-up list holds no focus as the dialog appears";
            ASSERT_TRUE(clickInto(*row.window, row.focused));
        }
        const bool wasTicked = ticked(row.focused);
        const int advice = advised.count();
        placed.clear();
        QTest::keyClick(row.focused, row.key, row.modifiers);
        EXPECT_EQ(ticked(row.focused), wasTicked);
        EXPECT_EQ(advised.count(), advice);
        EXPECT_EQ(placed.count(), row.answers);
        EXPECT_TRUE(row.focused->hasFocus());
        EXPECT_EQ(printers->currentIndex(), 0) << "the key chose from the list";
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a list opened";
        if (QWidget* opened = QApplication::activePopupWidget())
            opened->close();
        printers->setCurrentIndex(0);
    }
}

// Run only as the child process of the test below: Return prints from the print dialog, whether it holds the
// focus as the dialog appears or the writer moved to the printer's Properties or into the file's name.
TEST(KeyboardNavigation, DISABLED_ChildProcessReturnPrintsFromThePrintDialogWhateverTheTheme)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* target : {"", "properties", "filename"}) {
        SCOPED_TRACE(target);
        const QString pdf = folder.filePath(QStringLiteral("Beat Sheet %1.pdf").arg(QString::fromLatin1(target)));
        PanelDriver driver;
        driver.whenShown<QPrintDialog>([&](QPrintDialog* dialog) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
            ASSERT_NE(file, nullptr);
            file->setText(pdf);
            if (*target) {
                auto* control = dialog->findChild<QWidget*>(QString::fromLatin1(target));
                ASSERT_NE(control, nullptr);
                for (int press = 0; press < 20 && !control->hasFocus(); ++press)
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                ASSERT_TRUE(control->hasFocus());
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_FALSE(dialog->isVisible()) << "Return did not print";
            if (dialog->isVisible())
                dialog->reject();
        });
        PrintJob job;
        job.title = QStringLiteral("Beat Sheet");
        job.paperSize = QSizeF(612, 792);
        job.paint = [](QPagedPaintDevice& device, int, int) {
            QPainter painter;
            return painter.begin(&device) && painter.end();
        };
        EXPECT_EQ(QtPrintPanels().runPrintPanel(job).outcome, PrintResult::Printed);
        EXPECT_TRUE(QFileInfo(pdf).size() > 0);
    }
}

// Runs the child tests above, and the dialog's Tab stops and focus ring below, under Qt's own theme, GNOME's and
// GTK's, on an X server with no window manager.
TEST(KeyboardNavigation, ReturnAnswersTheDialogUnderEveryThemeAndTabStopsAndTheRingHold)
{
    runOnAnXServerOfItsOwn(QStringLiteral("KeyboardNavigation.DISABLED_ChildProcess*:"
                                          "KeyboardNavigation.TabReachesEveryControlOfADialog*:"
                                          "KeyboardNavigation.TabGoesRoundEveryControlOfQtsOwnDialogs"),
                           4, {"generic", "gnome", "gtk3"});
}

// A dialog of each kind of control the writer sets, in light and dark palettes: Tab stops on each in turn (on a
// field inside a scroll view, never on the view), and the ring around the button or pop-up list that shows the
// focus stands out at least 3:1 from the dialog and from the control's face, as a control must from what lies
// next to it, and as much from the default button's mark, which it must not be taken for.
TEST(KeyboardNavigation, TabReachesEveryControlOfADialogAndTheFocusRingStandsOut)
{
    const auto restore = qScopeGuard([before = QApplication::palette()] { QApplication::setPalette(before); });
    const struct {
        const char* name;
        QRgb window, text, button, highlight, paper; // paper: a colour the dialog paints itself in, if not 0
    } rows[] = {
        {"light, as Qt's own", 0xefefef, 0x000000, 0xefefef, 0x308cc6, 0},
        {"light, as GNOME's", 0xf6f5f4, 0x2e3436, 0xf6f5f4, 0x3584e4, 0},
        {"dark, as a desktop's darker scheme", 0x222020, 0xe0dcd8, 0x484545, 0x12608a, 0},
        {"dark, as GTK's", 0x353535, 0xeeeeec, 0x2d2d2d, 0x15539e, 0},
        {"dark, in a dialog of cork colour", 0x222020, 0xe0dcd8, 0x484545, 0x12608a, 0xcd853f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QPalette palette{QColor(row.button), QColor(row.window)};
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, QColor(row.text));
        palette.setColor(QPalette::Highlight, QColor(row.highlight));
        QApplication::setPalette(palette);
        QDialog dialog;
        if (row.paper) {
            palette.setColor(QPalette::Window, QColor(row.paper));
            dialog.setPalette(palette);
            dialog.setAutoFillBackground(true);
        }
        auto* popUp = new QComboBox;
        popUp->addItems({QStringLiteral("Print to File (PDF)"), QStringLiteral("Office")});
        auto* advice = new QPushButton(QStringLiteral("Advice"));
        auto* place = new QPushButton(QStringLiteral("Place the Cards"));
        place->setDefault(true);
        auto* tabs = new QTabBar;
        tabs->addTab(QStringLiteral("Scene"));
        tabs->addTab(QStringLiteral("Notes"));
        tabs->setUsesScrollButtons(false);
        auto* slider = new QSlider(Qt::Horizontal);
        auto* scroll = new QScrollArea;
        scroll->setWidget(new QLineEdit);
        auto* check = new QCheckBox(QStringLiteral("Show all"));
        auto* radio = new QRadioButton(QStringLiteral("Pages"));
        auto* number = new QSpinBox;
        auto* layout = new QHBoxLayout(&dialog);
        for (QWidget* control :
             std::initializer_list<QWidget*>{popUp, advice, place, tabs, slider, scroll, check, radio, number})
            layout->addWidget(control);
        dialog.show();
        dialog.activateWindow();
        QApplication::setActiveWindow(&dialog); // there may be no window manager to do it
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        // The pop-up list holds the focus unseen as the dialog opens: Tab comes round to it last.
        for (QWidget* control : std::initializer_list<QWidget*>{advice, place, tabs, slider, scroll->widget(), check,
                                                                radio, number, popUp}) {
            SCOPED_TRACE(control->metaObject()->className());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            ASSERT_TRUE(control->hasFocus());
            if (control != advice && control != popUp)
                continue;
            const QImage shown = dialog.grab().toImage();
            const QRect frame = control->geometry();
            // Above the control: the ring's inner line (1), its outer line (2), and the dialog (4).
            const auto above = [&](int rows) { return shown.pixel(frame.center().x(), frame.top() - rows); };
            const QRgb face = shown.pixel(frame.left() + 3, frame.center().y());
            const QRgb mark = shown.pixel(place->geometry().center().x(), place->geometry().top());
            EXPECT_GE(contrast(above(2), above(4)), 3.0);
            EXPECT_GE(contrast(above(1), face), 3.0);
            EXPECT_GE(std::max(contrast(above(2), mark), contrast(above(1), mark)), 3.0) << "the default's mark";
        }
        // And Shift+Tab goes back round the same way.
        for (QWidget* control :
             std::initializer_list<QWidget*>{number, radio, check, scroll->widget(), slider, tabs, place, advice, popUp}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            EXPECT_TRUE(control->hasFocus()) << "Shift+Tab to " << control->metaObject()->className();
        }
    }
}

// Tab goes once round the dialogs made by Qt and stops on every control the writer sets, and on nothing else:
// the print dialog, and the colour panel with its grids of colours.
TEST(KeyboardNavigation, TabGoesRoundEveryControlOfQtsOwnDialogs)
{
    // The colour panel is Qt's own, as the program asks; made with the desktop's dialogs allowed, it would first
    // build GTK's colour chooser, whose fonts GTK keeps past the end, which the leak check reports.
    const bool nativeDialogs = !QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    const auto restore = qScopeGuard([nativeDialogs] {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, !nativeDialogs);
    });
    QPrinter printer;
    const struct {
        const char* name;
        std::function<std::unique_ptr<QWidget>()> make;
    } rows[] = {
        {"the print dialog", [&printer] { return std::unique_ptr<QWidget>(new QPrintDialog(&printer)); }},
        {"the colour panel, its colour grids too",
         [] {
             auto panel = std::make_unique<QColorDialog>();
             panel->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
             return std::unique_ptr<QWidget>(std::move(panel));
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<QWidget> dialog = row.make();
        dialog->show();
        dialog->activateWindow();
        QApplication::setActiveWindow(dialog.get()); // there may be no window manager to do it
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        const std::set<QWidget*> controls = controlsTheWriterSets(*dialog);
        ASSERT_GE(controls.size(), 4u);
        (*controls.begin())->setFocus(Qt::OtherFocusReason);
        const std::set<QWidget*> reached = reachedByTab(controls);
        EXPECT_EQ(reached, controls) << "reached " << named(reached) << "\nexpected " << named(controls);
    }
}
