#include "app/BaseViewController.h"
#include "app/SmallViews.h"
#include "support/LogCapture.h"
#include "support/QtPrinting.h"
#include "support/TraceCapture.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitterHandle>
#include <QStringList>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

// ---- Measuring text -------------------------------------------------------------------------

QString lines(int count)
{
    QStringList text;
    for (int i = 0; i < count; ++i)
        text << QStringLiteral("Line %1").arg(i);
    return text.join(QLatin1Char('\n'));
}

TEST(HeightForString, GrowsWithTheTextAndWithANarrowerWidth)
{
    const QFont font = standardFont(13, false);
    const QString sentence = QStringLiteral("The hero wants the one thing she cannot have. ");
    const float one = BaseViewController::heightForString(sentence, font, 400.0f);
    const float many = BaseViewController::heightForString(sentence.repeated(12), font, 400.0f);
    const float narrow = BaseViewController::heightForString(sentence.repeated(12), font, 120.0f);

    EXPECT_GE(one, static_cast<float>(QFontMetrics(font).height()));
    EXPECT_GT(many, one);
    EXPECT_GT(narrow, many);
}

TEST(HeightForString, MeasuresALongTextInFullAndStopsAtTheLimit)
{
    const QFont font = standardFont(13, false);
    const int lineSpacing = QFontMetrics(font).lineSpacing();
    const int count = 150000 / lineSpacing; // well past any ordinary window, below the limit

    const float tall = BaseViewController::heightForString(lines(count), font, 300.0f);
    EXPECT_GE(tall, static_cast<float>((count - 1) * lineSpacing));
    EXPECT_LT(tall, 200000.0f);

    const float tooTall = BaseViewController::heightForString(lines(count * 2), font, 300.0f);
    EXPECT_EQ(tooTall, 200000.0f);
}

TEST(StandardFont, UsesPixelSizesAndTheApplicationFamily)
{
    const QFont regular = standardFont(12, false);
    EXPECT_EQ(regular.pixelSize(), 12);
    EXPECT_FALSE(regular.bold());
    EXPECT_EQ(regular.family(), QGuiApplication::font().family());
    EXPECT_TRUE(standardFont(23, true).bold());
    EXPECT_EQ(standardFont(0, false).pixelSize(), 1);
}

// ---- Bottom-up frames -----------------------------------------------------------------------

TEST(FlippedFrame, MeasuresFromTheTopOfTheContainer)
{
    // The large scene card stands 130 above the bottom of the board pane.
    EXPECT_EQ(flippedFrame(QRect(65, 130, 870, 670), 800), QRect(65, 0, 870, 670));
    EXPECT_EQ(flippedFrame(QRect(0, 130, 700, 421), 500), QRect(0, -51, 700, 421));
    // A frame resting on the bottom edge.
    EXPECT_EQ(flippedFrame(QRect(3, 0, 240, 20), 128), QRect(3, 108, 240, 20));
    // Flipping twice gives the frame back.
    const QRect frame(12, 34, 56, 78);
    EXPECT_EQ(flippedFrame(flippedFrame(frame, 300), 300), frame);
}

// ---- Pane controller ------------------------------------------------------------------------

class TestPane : public BaseViewController
{
public:
    TestPane()
        : BaseViewController(QStringLiteral("TestPane"), nullptr, nullptr)
    {
    }
    void build(QWidget* view) { setView(view); }
};

TEST(BaseViewController, DeletesItsViewEvenAfterItWasPlacedInAWindow)
{
    QMainWindow window;
    auto pane = std::make_unique<TestPane>();
    QPointer<QWidget> view = new QLabel(QStringLiteral("pane"));
    pane->build(view);
    window.setCentralWidget(view);
    ASSERT_EQ(view->parentWidget(), &window);

    pane.reset();
    EXPECT_TRUE(view.isNull());
    EXPECT_EQ(window.centralWidget(), nullptr);
}

TEST(BaseViewController, OutlivesAViewItsWindowDeleted)
{
    TestPane pane;
    auto window = std::make_unique<QWidget>();
    pane.build(new QLabel(window.get()));
    window.reset();
    EXPECT_EQ(pane.view(), nullptr);
}

TEST(BaseViewController, ReplacingTheViewDeletesTheOldOne)
{
    TestPane pane;
    QPointer<QWidget> first = new QWidget;
    pane.build(first);
    pane.build(first); // setting the same view again keeps it
    ASSERT_FALSE(first.isNull());
    auto* second = new QWidget;
    pane.build(second);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(pane.view(), second);
}

// ---- Widgets in a shown window --------------------------------------------------------------

// A window that counts the mouse presses and key presses that reach it from its children.
class CountingWindow : public QWidget
{
public:
    int mousePresses = 0;
    int keyPresses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++mousePresses;
        event->accept();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        ++keyPresses;
        event->accept();
    }
};

class ShownWindow : public ::testing::Test
{
protected:
    void show()
    {
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    CountingWindow window;
};

class DoubleClickTextFieldTest : public ShownWindow
{
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        other = new QLineEdit(&window);
        field = new DoubleClickTextField(&window);
        field->setText(QStringLiteral("Theme"));
        layout->addWidget(other);
        layout->addWidget(field);
        show();
        other->setFocus();
        ASSERT_TRUE(other->hasFocus());
    }

    QLineEdit* other = nullptr;
    DoubleClickTextField* field = nullptr;
};

TEST_F(DoubleClickTextFieldTest, SingleClickNeitherEditsNorReachesAnybody)
{
    QSignalSpy doubleClicks(field, &DoubleClickTextField::userDoubleClicked);
    field->selectAll();
    const QPoint nearTheEnd(field->width() - 5, field->height() / 2);
    QTest::mouseClick(field, Qt::LeftButton, {}, nearTheEnd);
    QTest::mouseClick(field, Qt::MiddleButton, {}, nearTheEnd);
    QTest::mouseClick(field, Qt::RightButton, {}, nearTheEnd);

    // The field itself never saw the clicks: a click would have dropped the selection.
    EXPECT_EQ(field->selectedText(), QStringLiteral("Theme"));

    EXPECT_FALSE(field->hasFocus());
    EXPECT_TRUE(other->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
    EXPECT_EQ(field->text(), QStringLiteral("Theme"));
    EXPECT_EQ(doubleClicks.count(), 0);
    EXPECT_EQ(window.mousePresses, 0);
}

TEST_F(DoubleClickTextFieldTest, DoubleClickIsReportedOnceWithTheField)
{
    QSignalSpy doubleClicks(field, &DoubleClickTextField::userDoubleClicked);
    QTest::mouseDClick(field, Qt::LeftButton, {}, QPoint(10, 5));

    ASSERT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(doubleClicks.at(0).at(0).value<DoubleClickTextField*>(), field);
    EXPECT_FALSE(field->hasFocus());
    EXPECT_EQ(field->text(), QStringLiteral("Theme"));
    EXPECT_EQ(window.mousePresses, 0);
}

TEST_F(DoubleClickTextFieldTest, TabStillReachesTheField)
{
    QTest::keyClick(other, Qt::Key_Tab);
    EXPECT_TRUE(field->hasFocus());
}

class ResponderViewTest : public ShownWindow
{
};

TEST_F(ResponderViewTest, PressBringsItAboveASibling)
{
    auto* responder = new ResponderView(&window);
    responder->setGeometry(0, 0, 100, 100);
    auto* sibling = new QWidget(&window);
    sibling->setGeometry(50, 50, 100, 100);
    show();
    ASSERT_EQ(window.childAt(75, 75), sibling);

    QTest::mousePress(responder, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(responder, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(window.childAt(75, 75), responder);
    EXPECT_EQ(window.mousePresses, 0);
}

class BaseScrollViewTest : public ShownWindow
{
protected:
    void SetUp() override
    {
        scroll = new BaseScrollView(&window);
        scroll->setGeometry(0, 0, 200, 200);
        auto* page = new FlippedView;
        page->setFixedSize(180, 3000);
        scroll->setWidget(page);
        show();
        scroll->setFocus();
        ASSERT_TRUE(scroll->hasFocus());
    }

    BaseScrollView* scroll = nullptr;
};

TEST_F(BaseScrollViewTest, KeysNeitherScrollNorGoFurtherNorPrintAnything)
{
    LogCapture log;
    QTest::keyClick(scroll, Qt::Key_PageDown);
    QTest::keyClick(scroll, Qt::Key_Down);
    QTest::keyClick(scroll, Qt::Key_End);

    EXPECT_EQ(scroll->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join('\n').toStdString();
    EXPECT_EQ(window.keyPresses, 0);
}

TEST_F(BaseScrollViewTest, TheTraceTellsAKeyFromAPageDownAskedForInside)
{
    auto* field = new QLineEdit(scroll->widget());
    field->setGeometry(10, 10, 100, 24);
    field->show();
    struct Row {
        const char* what;
        QWidget* focus;
        Qt::Key key;
        const char* traced;
    };
    const Row rows[] = {
        {"Page Down on the view", scroll, Qt::Key_PageDown, "vantora.app: keydown"},
        {"another key on the view", scroll, Qt::Key_Down, "vantora.app: keydown"},
        {"Page Down in a field inside", field, Qt::Key_PageDown, "vantora.app: scroll paged down"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.focus->setFocus();
        ASSERT_TRUE(row.focus->hasFocus());
        TraceCapture trace;
        QTest::keyClick(row.focus, row.key);
        EXPECT_EQ(trace.lines(), QStringList{QString::fromLatin1(row.traced)});
        EXPECT_EQ(scroll->verticalScrollBar()->value(), 0);
    }
    EXPECT_EQ(window.keyPresses, 0);
}

// ---- Hover button and splitter --------------------------------------------------------------

class HoverRecorder : public SmallSceneCardHover
{
public:
    void popUpRegularSceneCard() override { calls << QStringLiteral("popUp"); }
    void removeRegularSceneCard() override { calls << QStringLiteral("remove"); }
    QStringList calls;
};

TEST(ButtonResponder, EnterPopsUpAndLeaveRemovesTheCard)
{
    ButtonResponder button;
    const QPointF inside(5, 5);
    QEnterEvent enter(inside, inside, button.mapToGlobal(inside));
    QEvent leave(QEvent::Leave);

    // Without a card the button just hovers.
    QCoreApplication::sendEvent(&button, &enter);
    QCoreApplication::sendEvent(&button, &leave);

    HoverRecorder card;
    button.setMySmallSceneCardParent(&card);
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(card.calls, QStringList{QStringLiteral("popUp")});
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(card.calls, (QStringList{QStringLiteral("popUp"), QStringLiteral("remove")}));
}

TEST(MainSplitView, DividerIsTenPixelsAndWhite)
{
    MainSplitView split;
    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    split.resize(300, 100);
    split.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&split));

    QSplitterHandle* divider = split.handle(1);
    ASSERT_NE(divider, nullptr);
    EXPECT_EQ(divider->width(), 10);
    // As the window shows it: the divider's corners against the splitter's own background.
    const QImage picture = split.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    const QRect area = divider->geometry();
    EXPECT_EQ(picture.pixelColor(area.topLeft()), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(area.bottomRight()), QColor(Qt::white));
}

} // namespace
