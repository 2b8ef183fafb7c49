#include "support/ThemedChild.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Run only as the child process of the test below: under X with a desktop theme (GNOME's or
// GTK's), which makes Return and Enter press a focused button as a space does.
TEST(KeyboardNavigation, DISABLED_ChildProcessReturnAnswersTheDialogWhateverTheTheme)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* setUps = new QCheckBox(QStringLiteral("Set-Up cards"));
    auto* help = new QPushButton(QStringLiteral("Advice"));
    auto* place = new QPushButton(QStringLiteral("Place the Cards"));
    place->setDefault(true);
    for (QWidget* control : std::initializer_list<QWidget*>{setUps, help, place})
        layout->addWidget(control);
    QWidget window;
    auto* plain = new QCheckBox(QStringLiteral("Show all"), &window);
    QSignalSpy placed(place, &QPushButton::clicked);
    QSignalSpy advised(help, &QPushButton::clicked);

    // No window manager: each window is made active and its control holds the focus before a key.
    const auto clickInto = [](QWidget& shown, QAbstractButton* control) {
        shown.show();
        shown.activateWindow();
        QApplication::setActiveWindow(&shown);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&shown));
        QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(8, control->height() / 2));
        return QTest::qWaitFor([control] { return control->hasFocus(); });
    };
    ASSERT_TRUE(clickInto(dialog, setUps));
    ASSERT_TRUE(setUps->isChecked());
    // The theme's own keys: Return handed to the check box itself, past the rule, unticks it.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    static_cast<QObject*>(setUps)->event(&press);
    static_cast<QObject*>(setUps)->event(&release);
    ASSERT_FALSE(setUps->isChecked()) << "this theme presses no button with Return";
    setUps->setChecked(true);

    struct Row {
        const char* name;
        QWidget* window;
        QAbstractButton* focused;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int answers;
    };
    const Row rows[] = {
        {"Return on a ticked check box", &dialog, setUps, Qt::Key_Return, Qt::NoModifier, 1},
        {"Enter on a ticked check box", &dialog, setUps, Qt::Key_Enter, Qt::KeypadModifier, 1},
        {"Return on a button that took the default with the focus", &dialog, help, Qt::Key_Return, Qt::NoModifier, 1},
        {"Return on a check box of a window without a default button", &window, plain, Qt::Key_Return,
         Qt::NoModifier, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.focused->hasFocus()) {
            ASSERT_TRUE(clickInto(*row.window, row.focused));
        }
        const bool ticked = row.focused->isChecked();
        const int advice = advised.count();
        placed.clear();
        QTest::keyClick(row.focused, row.key, row.modifiers);
        EXPECT_EQ(row.focused->isChecked(), ticked);
        EXPECT_EQ(advised.count(), advice);
        EXPECT_EQ(placed.count(), row.answers);
        EXPECT_TRUE(row.focused->hasFocus());
    }
}

// Runs the child test above, and the dialog's Tab stops and focus ring below, under each desktop theme.
TEST(KeyboardNavigation, ReturnAnswersTheDialogUnderADesktopThemeWhoseReturnPressesButtons)
{
    const OwnXServer server;
    ASSERT_FALSE(server.display().isEmpty()) << server.problem().toStdString();
    // GNOME's theme comes with Qt itself; GTK's is a plugin of its own package.
    const QString gtk = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platformthemes/libqgtk3.so");
    ASSERT_TRUE(QFileInfo::exists(gtk)) << "the GTK theme of Qt (qt6-gtk-platformtheme) is not installed";
    for (const char* theme : {"gnome", "gtk3"}) {
        SCOPED_TRACE(theme);
        const QString tests = QStringLiteral("KeyboardNavigation.DISABLED_ChildProcess*:"
                                             "KeyboardNavigation.TabReachesEveryControlOfADialog*");
        const OwnXServer::ChildRun child = server.runTests(QString::fromLatin1(theme), tests);
        ASSERT_TRUE(child.finished);
        EXPECT_TRUE(child.exitCode == 0 && child.output.contains("[  PASSED  ] 2 tests")) << child.output.toStdString();
    }
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
        auto* layout = new QHBoxLayout(&dialog);
        for (QWidget* control : std::initializer_list<QWidget*>{popUp, advice, place, tabs, slider, scroll})
            layout->addWidget(control);
        dialog.show();
        dialog.activateWindow();
        QApplication::setActiveWindow(&dialog); // there may be no window manager to do it
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        // The pop-up list holds the focus unseen as the dialog opens: Tab comes round to it last.
        for (QWidget* control : std::initializer_list<QWidget*>{advice, place, tabs, slider, scroll->widget(), popUp}) {
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
    }
}
