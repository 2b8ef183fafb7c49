#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

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
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* name = new QLineEdit;
    auto* panes = new QSplitter;
    auto* collapsed = new QLineEdit;
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
                    {"--gtest_also_run_disabled_tests", "--gtest_filter=KeyboardNavigation.DISABLED_ChildProcess*"});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        EXPECT_TRUE(child.exitCode() == 0 && output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    }
}
