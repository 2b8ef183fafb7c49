#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

// Every window of the program, as the test main sets the application up: Tab goes between the
// controls that take typing and the lists, Ctrl+Tab on from those that type a tab; buttons and
// pop-up lists are clicked.
TEST(KeyboardNavigation, TabVisitsFieldsAndListsOnlyAndClicksStillWork)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* name = new QLineEdit;
    auto* push = new QPushButton(QStringLiteral("Next"));
    auto* radio = new QRadioButton(QStringLiteral("Female"));
    auto* check = new QCheckBox(QStringLiteral("Show all"));
    auto* tool = new QToolButton;
    auto* popup = new QComboBox;
    popup->addItems({QStringLiteral("<No Location>"), QStringLiteral("HARBOUR")});
    auto* typed = new QComboBox;
    typed->setEditable(true);
    auto* text = new QPlainTextEdit;
    auto* list = new QTableWidget(2, 2);
    for (QWidget* control : std::initializer_list<QWidget*>{name, push, radio, check, tool, popup, typed, text, list})
        layout->addWidget(control);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    struct Row {
        QWidget* from;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QWidget* to;
    };
    const Row rows[] = {
        {name, Qt::Key_Tab, Qt::NoModifier, typed},
        {typed, Qt::Key_Tab, Qt::NoModifier, text},
        {text, Qt::Key_Tab, Qt::ControlModifier, list},
        {list, Qt::Key_Tab, Qt::NoModifier, name},
        {list, Qt::Key_Tab, Qt::ControlModifier, name},
        {list, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, text},
        {text, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, typed},
        {name, Qt::Key_Backtab, Qt::ShiftModifier, list},
    };
    for (const Row& row : rows) {
        row.from->setFocus();
        ASSERT_TRUE(row.from->hasFocus());
        QTest::keyClick(row.from, row.key, row.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), row.to) << row.from->metaObject()->className() << " " << row.key;
    }
    EXPECT_EQ(text->toPlainText(), QString()) << "no tab was typed";

    // Clicked, each still acts and takes the focus as before.
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{push, radio, check, tool}) {
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
        EXPECT_EQ(clicked.count(), 1) << button->metaObject()->className();
        // A tool button never took the focus, by click or by Tab.
        EXPECT_EQ(button->hasFocus(), button != tool) << button->metaObject()->className();
    }
    EXPECT_TRUE(radio->isChecked());
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(popup->focusPolicy(), Qt::ClickFocus);
}
