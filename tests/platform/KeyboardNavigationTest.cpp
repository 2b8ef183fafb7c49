#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

// Every window of the program, as the test main sets the application up: Tab passes over the
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
