#include "platform/KeyboardNavigation.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

// Shows the window and makes it the active one, with the keyboard in it, as a click on it would:
// there may be no window manager to do it.
bool activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

void pressTab(bool back)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : QApplication::activeWindow(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ShiftModifier : Qt::NoModifier);
}

// The widgets that Tab (or Shift+Tab) gives the focus to, from the one that has it, once round.
std::set<QWidget*> reachedByTab(bool back)
{
    std::set<QWidget*> reached;
    for (int press = 0; press < 200; ++press) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || !reached.insert(focus).second)
            break;
        pressTab(back);
    }
    return reached;
}

bool isControlTheWriterSets(const QWidget& widget)
{
    if (qobject_cast<const QScrollBar*>(&widget))
        return false;
    for (const char* kind : {"QAbstractButton", "QComboBox", "QAbstractSpinBox", "QLineEdit", "QTextEdit",
                             "QPlainTextEdit", "QAbstractItemView", "QAbstractSlider", "QTabBar"})
        if (widget.inherits(kind))
            return true;
    return false;
}

// The controls of a window whose value, choice or text the writer sets, as they show: the
// outermost of each (a number box, not the field inside it), visible and enabled.
std::set<QWidget*> controlsTheWriterSets(QWidget& window)
{
    std::set<QWidget*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->window() != &window || !widget->isVisible() || !widget->isEnabled()
            || !isControlTheWriterSets(*widget))
            continue;
        bool inside = false;
        for (QWidget* around = widget->parentWidget(); around && around != &window; around = around->parentWidget())
            inside = inside || isControlTheWriterSets(*around);
        if (!inside)
            controls.insert(widget);
    }
    return controls;
}

// The control of `controls` that holds the widget (a number box holds its field).
QWidget* controlHolding(QWidget* widget, const std::set<QWidget*>& controls)
{
    for (QWidget* at = widget; at; at = at->parentWidget())
        if (controls.count(at))
            return at;
    return widget;
}

std::string named(const std::set<QWidget*>& widgets)
{
    QStringList names;
    for (const QWidget* widget : widgets)
        names << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName();
    names.sort();
    return names.join(QStringLiteral(", ")).toStdString();
}

// A field above two panes side by side, the first dragged shut with `shut` in it.
struct WindowWithAShutPane {
    explicit WindowWithAShutPane(QWidget* shut)
    {
        auto* layout = new QVBoxLayout(&window);
        auto* panes = new QSplitter;
        panes->addWidget(shut);
        panes->addWidget(notes);
        panes->setSizes({0, 300});
        layout->addWidget(name);
        layout->addWidget(panes);
    }

    QWidget window;
    QLineEdit* name = new QLineEdit;
    QPlainTextEdit* notes = new QPlainTextEdit;
};

// A window of every kind of control, a field inside a scroll view among them.
void fillWithEveryKindOfControl(QWidget& inside)
{
    auto* layout = new QVBoxLayout(&inside);
    auto* popUp = new QComboBox;
    popUp->addItems({QStringLiteral("Act One"), QStringLiteral("Act Two")});
    auto* typed = new QComboBox;
    typed->setEditable(true);
    auto* tabs = new QTabWidget;
    tabs->addTab(new QWidget, QStringLiteral("Scene"));
    tabs->addTab(new QWidget, QStringLiteral("Notes"));
    auto* scroll = new QScrollArea;
    scroll->setWidget(new QLineEdit);
    scroll->setWidgetResizable(true);
    for (QWidget* control : std::initializer_list<QWidget*>{
             new QLineEdit, popUp, typed, new QSpinBox, new QSlider(Qt::Horizontal), tabs,
             new QCheckBox(QStringLiteral("Show all")), new QRadioButton(QStringLiteral("Pages")), new QToolButton,
             scroll, new QTableWidget(2, 2), new QPushButton(QStringLiteral("Place"))})
        layout->addWidget(control);
    int number = 0;
    for (QWidget* widget : inside.findChildren<QWidget*>())
        widget->setObjectName(QString::number(++number));
}

// The luminance of a colour and the contrast between two, as the rule for controls reckons them.
double luminance(QRgb pixel)
{
    const auto linear = [](int component) {
        const double value = component / 255.0;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

double contrast(QRgb one, QRgb other)
{
    const auto [dark, light] = std::minmax({luminance(one), luminance(other)});
    return (light + 0.05) / (dark + 0.05);
}

// A table of `rows` rows of two cells, each editable, that counts the cells it is asked for.
class CountingCells : public QAbstractTableModel
{
public:
    explicit CountingCells(int rows) : rows_(rows) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override
    {
        ++looked;
        return QAbstractTableModel::index(row, column, parent);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const bool shown = role == Qt::DisplayRole || role == Qt::EditRole;
        return shown ? QVariant(index.row() * 2 + index.column()) : QVariant();
    }
    bool setData(const QModelIndex&, const QVariant&, int) override { return true; }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }

    mutable long long looked = 0;

private:
    int rows_;
};

// Runs the tests named by `filter`, each under GNOME's theme and under GTK's, in a child process
// on an X server of the test's own.
void runUnderEachDesktopTheme(const char* filter, int tests)
{
    // An X server of the test's own, on a display it finds free, with no window manager.
    QProcess server;
    server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                          QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                          QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted(10000)) << "Xvfb is not installed";
    const auto stop = qScopeGuard([&server] {
        server.terminate();
        if (!server.waitForFinished(10000))
            server.kill();
    });
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(10000))
        display += server.readAllStandardOutput();
    ASSERT_TRUE(display.contains('\n')) << "Xvfb named no display";
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    // GNOME's theme comes with Qt itself; GTK's is a plugin of its own package.
    const QString gtk = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platformthemes/libqgtk3.so");
    ASSERT_TRUE(QFileInfo::exists(gtk)) << "the GTK theme of Qt (qt6-gtk-platformtheme) is not installed";
    for (const char* theme : {"gnome", "gtk3"}) {
        SCOPED_TRACE(theme);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), QString::fromLatin1(theme));
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display.trimmed()));
        // A bus that is not there, so that the desktop's settings are asked of none and none is started.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("no-bus")));
        // Nor is GTK's bridge to the accessibility service loaded: on a machine without that
        // service it gives up on it and keeps what it had taken, which the leak check reports.
        environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_also_run_disabled_tests", QStringLiteral("--gtest_filter=%1").arg(filter)});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        const QByteArray passed = "[  PASSED  ] " + QByteArray::number(tests) + (tests == 1 ? " test" : " tests");
        EXPECT_TRUE(child.exitCode() == 0 && output.contains(passed)) << output.toStdString();
    }
}

// Round a window once each way: in a dialog, and in a window made to answer like one, Tab and
// Shift+Tab stop on every control the writer sets and on nothing else (never a scroll view);
// in any other window only on those that show where the typing goes.
void expectTabStopsOfEachKindOfWindow()
{
    QPrinter printer;
    const struct {
        const char* name;
        std::function<std::unique_ptr<QWidget>()> make;
        bool dialog;
    } rows[] = {
        {"a dialog of every kind of control",
         [] {
             auto dialog = std::make_unique<QDialog>();
             fillWithEveryKindOfControl(*dialog);
             return std::unique_ptr<QWidget>(std::move(dialog));
         },
         true},
        {"a main window that answers like a dialog",
         [] {
             auto window = std::make_unique<QMainWindow>();
             KeyboardNavigation::answerLikeDialog(*window);
             window->setCentralWidget(new QWidget);
             fillWithEveryKindOfControl(*window->centralWidget());
             return std::unique_ptr<QWidget>(std::move(window));
         },
         true},
        {"a window other than a dialog",
         [] {
             auto window = std::make_unique<QWidget>();
             fillWithEveryKindOfControl(*window);
             return window;
         },
         false},
        {"the print dialog", [&printer] { return std::unique_ptr<QWidget>(new QPrintDialog(&printer)); }, true},
        {"the colour panel",
         [] {
             auto panel = std::make_unique<QColorDialog>();
             panel->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
             return std::unique_ptr<QWidget>(std::move(panel));
         },
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<QWidget> window = row.make();
        ASSERT_TRUE(activate(*window));
        std::set<QWidget*> expected;
        for (QWidget* control : controlsTheWriterSets(*window)) {
            const auto* popUp = qobject_cast<QComboBox*>(control);
            const bool typedIn = control->inherits("QLineEdit") || control->inherits("QAbstractSpinBox")
                                 || control->inherits("QAbstractItemView") || (popUp && popUp->isEditable());
            if (row.dialog || typedIn)
                expected.insert(control);
        }
        // The colour panel's grids of colours are chosen from as well.
        for (QWidget* grid : window->findChildren<QWidget*>())
            if (grid->inherits("QWellArray") && grid->isVisible())
                expected.insert(grid);
        ASSERT_FALSE(expected.empty());
        (*expected.begin())->setFocus(Qt::OtherFocusReason);
        for (const bool back : {false, true}) {
            SCOPED_TRACE(back ? "Shift+Tab" : "Tab");
            std::set<QWidget*> reached;
            for (QWidget* focus : reachedByTab(back))
                reached.insert(controlHolding(focus, expected));
            EXPECT_EQ(reached, expected) << "reached " << named(reached) << "\nexpected " << named(expected);
        }
    }
}

// The ring around the button or pop-up list that shows the focus stands out at least 3:1 from
// the dialog around it and from the control's face, as a control must from what lies next to it,
// and as much from the mark of the default button, which it must not be taken for: in light and
// dark palettes, and in a dialog that paints itself in a colour of its own.
void expectTheFocusRingToStandOut()
{
    const auto restore = qScopeGuard([before = QApplication::palette()] { QApplication::setPalette(before); });
    const struct {
        const char* name;
        QRgb window, text, button, highlight, paper; // paper: the dialog's own colour, if not 0
    } rows[] = {
        {"light, as Qt's own", 0xefefef, 0x000000, 0xefefef, 0x308cc6, 0},
        {"dark, as a desktop's darker scheme", 0x222020, 0xe0dcd8, 0x484545, 0x12608a, 0},
        {"light, as GNOME's", 0xf6f5f4, 0x2e3436, 0xf6f5f4, 0x3584e4, 0},
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
            QPalette paper = dialog.palette();
            paper.setColor(QPalette::Window, QColor(row.paper));
            dialog.setPalette(paper);
            dialog.setAutoFillBackground(true);
        }
        auto* layout = new QHBoxLayout(&dialog);
        auto* popUp = new QComboBox;
        popUp->addItems({QStringLiteral("Print to File (PDF)"), QStringLiteral("Office")});
        auto* advice = new QPushButton(QStringLiteral("Advice"));
        auto* place = new QPushButton(QStringLiteral("Place the Cards"));
        place->setDefault(true);
        for (QWidget* control : std::initializer_list<QWidget*>{popUp, advice, place})
            layout->addWidget(control);
        ASSERT_TRUE(activate(dialog));
        for (QWidget* control : std::initializer_list<QWidget*>{advice, popUp}) {
            SCOPED_TRACE(control->metaObject()->className());
            for (int press = 0; press < 4 && (press == 0 || !control->hasFocus()); ++press)
                pressTab(false);
            ASSERT_TRUE(control->hasFocus());
            const QImage shown = dialog.grab().toImage();
            const QRect frame = control->geometry();
            // The ring's two lines above the control, the dialog beyond them, the control's face.
            const QRgb outer = shown.pixel(frame.center().x(), frame.top() - 2);
            const QRgb inner = shown.pixel(frame.center().x(), frame.top() - 1);
            const QRgb window = shown.pixel(frame.center().x(), frame.top() - 4);
            const QRgb face = shown.pixel(frame.left() + 3, frame.center().y());
            // The default button's border, where the style marks it.
            const QRgb mark = shown.pixel(place->geometry().center().x(), place->geometry().top());
            const auto hex = [](QRgb pixel) { return QColor(pixel).name().toStdString(); };
            SCOPED_TRACE("ring " + hex(outer) + " and " + hex(inner) + ", window " + hex(window) + ", face "
                         + hex(face) + ", mark " + hex(mark));
            EXPECT_GE(contrast(outer, window), 3.0);
            EXPECT_GE(contrast(inner, face), 3.0);
            EXPECT_GE(std::max(contrast(outer, mark), contrast(inner, mark)), 3.0);
        }
    }
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

// A control in a collapsed pane, which the writer cannot see, is no Tab stop.
TEST(KeyboardNavigation, TabPassesOverAControlInACollapsedPane)
{
    WindowWithAShutPane shut(new QLineEdit);
    ASSERT_TRUE(activate(shut.window));
    shut.name->setFocus();
    QTest::keyClick(shut.name, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), shut.notes);
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

TEST(KeyboardNavigation, ReturnAnswersTheDialogUnderADesktopThemeWhoseReturnPressesButtons)
{
    runUnderEachDesktopTheme("KeyboardNavigation.DISABLED_ChildProcessReturnAnswersTheDialogWhateverTheTheme", 1);
}

TEST(KeyboardNavigation, TabStopsOnEveryControlADialogOffersAndElsewhereOnlyWhereTheTypingGoes)
{
    expectTabStopsOfEachKindOfWindow();
}

// Run only as the child process of the test below, under X with a desktop theme.
TEST(KeyboardNavigation, DISABLED_ChildProcessTabStopsAndTheFocusRingWhateverTheTheme)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    // The colour panel is Qt's own, as the program asks; made with the desktop's dialogs allowed,
    // it would first build GTK's colour chooser, whose fonts GTK keeps past the end, which the
    // leak check reports.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    expectTabStopsOfEachKindOfWindow();
    expectTheFocusRingToStandOut();
}

TEST(KeyboardNavigation, TabStopsAndTheFocusRingHoldUnderTheDesktopThemes)
{
    runUnderEachDesktopTheme("KeyboardNavigation.DISABLED_ChildProcessTabStopsAndTheFocusRingWhateverTheTheme", 1);
}

TEST(KeyboardNavigation, TheFocusRingStandsOutFromTheDialogTheButtonAndTheDefaultButtonsMark)
{
    expectTheFocusRingToStandOut();
}

// A pane dragged shut may hold thousands of fields: Tab passes over all of them to the next one
// in sight, either way, and the program goes on.
TEST(KeyboardNavigation, TabPassesOverThousandsOfControlsInACollapsedPane)
{
    // Shift+Tab costs more: the window seeks the control before the focus from its first one.
    for (const auto& [hidden, back] : {std::pair{5000, true}, std::pair{20000, false}}) {
        SCOPED_TRACE(hidden);
        auto* collapsed = new QWidget;
        auto* fields = new QVBoxLayout(collapsed);
        for (int field = 0; field < hidden; ++field)
            fields->addWidget(new QLineEdit);
        WindowWithAShutPane shut(collapsed);
        ASSERT_TRUE(activate(shut.window));
        shut.name->setFocus();
        QTest::keyClick(shut.name, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), shut.notes);
        if (back) {
            QTest::keyClick(shut.notes, Qt::Key_Backtab, Qt::ShiftModifier);
            EXPECT_EQ(QApplication::focusWidget(), shut.name);
        }
    }
}

// Tab in a cell being edited goes to the next cell at the same cost in a list of any length: it
// looks at no more cells in a list of 10,000 rows than in one of 20, whether the edited cell is
// the current one or not.
TEST(KeyboardNavigation, TabInAnEditedCellLooksAtNoMoreCellsInALongListThanInAShortOne)
{
    struct Edit {
        const char* name;
        int current; // rows before the last: the current cell, in the second column
        int edited;  // rows before the last: the edited cell, in the second column
    };
    for (const Edit edit : {Edit{"the current cell", 3, 3}, Edit{"a cell other than the current one", 15, 3}}) {
        SCOPED_TRACE(edit.name);
        long long looked[2] = {};
        const int lengths[2] = {20, 10000};
        for (int length = 0; length < 2; ++length) {
            CountingCells cells(lengths[length]);
            QTableView list;
            list.setModel(&cells);
            ASSERT_TRUE(activate(list));
            const int last = lengths[length] - 1;
            list.setCurrentIndex(cells.index(last - edit.current, 1));
            const QModelIndex edited = cells.index(last - edit.edited, 1);
            list.scrollTo(edited);
            list.edit(edited);
            QWidget* editor = list.indexWidget(edited);
            ASSERT_NE(editor, nullptr);
            editor->setFocus();
            cells.looked = 0;
            QTest::keyClick(editor, Qt::Key_Tab);
            looked[length] = cells.looked;
            // The edit ended and the first cell of the next row is edited.
            const QModelIndex next = cells.index(last - edit.edited + 1, 0);
            EXPECT_EQ(list.indexWidget(edited), nullptr);
            ASSERT_NE(list.indexWidget(next), nullptr);
            EXPECT_TRUE(list.indexWidget(next)->hasFocus());
        }
        EXPECT_LE(looked[1], looked[0]) << "cells looked at: " << looked[0] << " of 20 rows, " << looked[1]
                                        << " of 10,000";
    }
}
