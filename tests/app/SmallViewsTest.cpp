#include "app/BaseViewController.h"
#include "app/SmallViews.h"
#include "app/TextHeights.h"
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
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitterHandle>
#include <QStringList>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

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

// A remembered height is the height a fresh measure gives, whichever way the width moves, for
// texts whose last glyphs reach past their advance (ff, y, a wrapped line's last í), wrapped or
// not, in plain and in bold; asked again at a width it has answered, it measures nothing; another
// font is measured anew.
TEST(TextHeights, AnswerAsAFreshMeasureAtEveryWidthAndMeasureEachWidthOnce)
{
    const QStringList texts = {QStringLiteral("gun ff tariff hut"), QStringLiteral("fly f y staff gun"),
                               QStringLiteral("INT. ROOM 5 - DAY (p. 1)\nA key under the mat, scene 5"),
                               QStringLiteral("AVAVAV WAVE To Ty\nYou"),
                               QStringLiteral("The hero wants the one thing she cannot have. ").repeated(4),
                               QStringLiteral("Walt hums the song they sang in Sevilla \u2014 s\u00ed, aqu\u00ed, s\u00ed \u2014 and "
                                              "the old man smiles.")};
    for (const QFont& font : {standardFont(12, false), standardFont(13, true)}) {
        TextHeights heights;
        for (const int step : {-1, 1}) {
            for (int width = step < 0 ? 400 : 20; width >= 20 && width <= 400; width += step) {
                for (const QString& text : texts) {
                    SCOPED_TRACE(QStringLiteral("%1 at %2").arg(text).arg(width).toStdString());
                    ASSERT_EQ(heights.height(text, font, width),
                              BaseViewController::heightForString(text, font, width));
                }
            }
        }
        const std::size_t measured = heights.measured();
        EXPECT_LT(measured, texts.size() * 300u);
        heights.height(texts.front(), font, 400);
        EXPECT_EQ(heights.measured(), measured);
        const QFont larger = standardFont(font.pixelSize() + 3, font.bold());
        EXPECT_EQ(heights.height(texts.front(), larger, 400),
                  BaseViewController::heightForString(texts.front(), larger, 400));
    }
}

// Heights read off a window, each asked after the one before it of one TextHeights: a wrapped
// line that ends in a letter reaching past its advance (the W of "NEW", two pixels in Courier
// Prime as the system installs it) needs that reach to stay whole, whether the text is counted or
// laid out (a no-break space sends it to the layout). Run by the test below, in a process of its
// own.
TEST(TextHeights, DISABLED_ChildProcessRowsTakeTheHeightsReadOffAWindow)
{
    QFont courier(QStringLiteral("Courier Prime"));
    courier.setPixelSize(12);
    // Seven lines of it are 112 high, eight 128; "Hal saw the NEW" fills a line of 110 but not
    // one of 109, for its reach.
    const QString counted = QStringLiteral("Hal saw the NEW road cameras—Ruth dismisses them before the thaw. "
                                           "Mikey keeps the footage.");
    const QString laidOut = QString(counted).replace(QStringLiteral("the thaw"), QStringLiteral("the\u00a0thaw"));
    TextHeights heights;
    for (const QString& text : {counted, laidOut}) {
        for (const auto& [width, height] : {std::pair(110, 112.0f), std::pair(109, 128.0f)}) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(text).arg(width).toStdString());
            EXPECT_EQ(heights.height(text, courier, width), height);
            EXPECT_EQ(BaseViewController::heightForString(text, courier, static_cast<float>(width)), height);
        }
    }
}

// The program's own copy of Courier Prime, loaded once a script is shown or printed, takes the
// place of the system's in every font asked for later and reaches one pixel past the W: the rows
// above are read in a process that has loaded none.
TEST(TextHeights, RowsTakeTheHeightsReadOffAWindow)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=TextHeights.DISABLED_ChildProcessRows*"});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    EXPECT_TRUE(child.exitCode() == 0 && output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

// Draws numbers below a bound, the same on every run.
class Draw
{
public:
    explicit Draw(unsigned seed) : random_(seed) {}
    int below(int bound) { return static_cast<int>(random_() % static_cast<unsigned>(bound)); }

private:
    std::mt19937 random_;
};

// Texts of 1 to 40 words, each from `word`, now and then after a space, in runs of spaces and
// lines, 1,000 in each of three fonts, asked at random widths and the ones beside them, where a
// line's last word just fits or not: each height is the layout's.
void expectTextsMeasuredAsLaidOut(Draw& draw, const std::function<QString(int text)>& word)
{
    for (const QFont& font : {standardFont(12, false), standardFont(13, true), standardFont(17, false)}) {
        TextHeights heights;
        for (int made = 0; made < 1000; ++made) {
            QString text = draw.below(10) == 0 ? QStringLiteral(" ") : QString();
            for (int count = 1 + draw.below(40); count > 0; --count) {
                text += word(made);
                const int spaces = draw.below(40) == 0 ? 30 : 1 + (draw.below(8) == 0 ? draw.below(3) : 0);
                text += draw.below(12) == 0 ? QStringLiteral("\n") : QString(spaces, u' ');
            }
            for (int asked = 0; asked < 3; ++asked) {
                const int from = 20 + draw.below(380);
                for (const int width : {from, from + 1}) {
                    SCOPED_TRACE(QStringLiteral("\"%1\" at %2").arg(text).arg(width).toStdString());
                    ASSERT_EQ(heights.height(text, font, width),
                              BaseViewController::heightForString(text, font, width));
                }
            }
        }
    }
}

// Sentences at the widths a pane is dragged through: each height is the layout's, and they are
// counted, hardly ever laid out.
void expectProseCounted(const QStringList& prose)
{
    const QFont font = standardFont(13, false);
    TextHeights heights;
    int asked = 0;
    for (int width = 120; width <= 400; width += 7) {
        for (const QString& text : prose) {
            ++asked;
            ASSERT_EQ(heights.height(text, font, width), BaseViewController::heightForString(text, font, width));
        }
    }
    EXPECT_LT(heights.measured() * 5, static_cast<std::size_t>(asked));
}

// Texts made of words that test where lines may break (stops, quotes, brackets, hyphens, slashes,
// figures after a stop, letters past ASCII, letters from other fonts), in runs of spaces and lines,
// at random widths: each height is the layout's, and plain prose is counted, hardly ever laid out.
TEST(TextHeights, CountWordsAsTheLayoutBreaksThem)
{
    const QStringList words = {
        QStringLiteral("the"),     QStringLiteral("hero"),   QStringLiteral("staff"),   QStringLiteral("fly"),
        QStringLiteral("AVOW"),    QStringLiteral("Tyrell"), QStringLiteral("(p."),     QStringLiteral("12)"),
        QStringLiteral("-"),       QStringLiteral("--"),     QStringLiteral("set-up"),  QStringLiteral("what?Now"),
        QStringLiteral("Hi!"),     QStringLiteral("\"no\""), QStringLiteral("'tis"),    QStringLiteral("...and"),
        QStringLiteral("end."),    QStringLiteral("café"),   QStringLiteral("naïve"),   QStringLiteral("x(y)"),
        QStringLiteral("a/b"),     QStringLiteral("tab\tin"), QStringLiteral("—"),       QStringLiteral("“so”"),
        QStringLiteral("Straße"),  QStringLiteral(")"),      QStringLiteral("("),       QStringLiteral("!"),
        QStringLiteral("INT."),    QStringLiteral("1,000"),  QStringLiteral("3.5"),     QStringLiteral("NIGHT"),
        QStringLiteral("wonderful"), QStringLiteral("extraordinarily"), QStringLiteral("I"), QStringLiteral("a"),
        QStringLiteral("?!"),      QStringLiteral("yes,"),   QStringLiteral("(MORE)"),  QStringLiteral("日本"),
        QStringLiteral("p.12"),    QStringLiteral("and/or"), QStringLiteral("[beat]"),  QStringLiteral("50%"),
        QStringLiteral("$20"),
    };
    Draw draw(81);
    expectTextsMeasuredAsLaidOut(draw, [&](int) { return words[draw.below(static_cast<int>(words.size()))]; });
    // Sentences of plain words, as most set-ups and notes are.
    expectProseCounted({QStringLiteral("INT. CLUB 7 - NIGHT (p. 12)\nShe hides the key under the mat, "
                                       "where only her brother would think to look."),
                        QStringLiteral("The hero wants the one thing she cannot have. ").repeated(3),
                        QStringLiteral("Will it rain? \"Yes,\" he says; it doesn't."),
                        QStringLiteral("Agreement from the p.12 crowd.  And then...")});
}

// Texts typed as word processors type them and as writers of other alphabets do: curly quotes and
// apostrophes, dashes set close and spaced, ellipses, guillemets, primes, currency signs, accented
// and extended Latin, Greek or Cyrillic, one of them or two mixed (a layout gives each script a run
// of its own), now and then with a word of another script, an emoji, a tab or a letter from another
// font; in runs of spaces and lines, at random widths: each height is the layout's, and sentences
// of one script are counted, hardly ever laid out.
TEST(TextHeights, CountTypographicTextsAsTheLayoutBreaksThem)
{
    const auto words = [](const QString& list) { return list.split(QLatin1Char(' ')); };
    // Words every script shares: figures, stops, quotes, dashes and the like, with letters or alone
    // (a hyphen, primes and a fraction slash written by their codes).
    const QStringList shared = words(QStringLiteral("— – … 1990–95 €20 20€ 5‰ † • \u2010 5\u2032 6\u2033 1\u20442 ‽ …” ”— "
                                                    "—“ ’” (—) p.12 (p. 12) —— ‘“ « » ‹› $5–$9"));
    // Words of one script each, with the quotes and dashes their writers set (a no-break hyphen, a
    // modifier apostrophe, a dotless i, a Greek question mark and polytonic letters by their codes).
    const std::vector<QStringList> scripts = {
        words(QStringLiteral("“so” ‘tis he’s it’s— word—word —and wait… …and a…b x’‘y „Wort“ Łucja Dvořák Thảo "
                             "Nguyễn co\u2011op \u02bcx ˈstress the hero staff AVOW set-up and/or café Straße ‘Yes,’ "
                             "sp\u0131n")),
        words(QStringLiteral("Αθήνα λέξη—άλλη «Ναι» και το\u037e \u1f08θ\u1fc6ναι Ωρα…")),
        words(QStringLiteral("слово Москва—Петер «тут» и всё? Україна „да“")),
    };
    // Now and then a word that sends the text to the layout: other scripts, an emoji, a tab, a
    // letter joined to the one before, a zero-width or thin space, a ligature, a letter no font has.
    const QStringList others =
        words(QStringLiteral("日本 \U0001F511 tab\tin e\u0301té x\u200by a\u2009b ﬁle ⸺ שלום"));
    Draw draw(93);
    const QStringList* own = nullptr;
    const QStringList* second = nullptr;
    int text = -1;
    const auto pickScript = [&] {
        return &scripts[static_cast<std::size_t>(draw.below(static_cast<int>(scripts.size())))];
    };
    expectTextsMeasuredAsLaidOut(draw, [&](int made) {
        if (made != text) {
            text = made;
            own = pickScript();
            // One text in four mixes in another script's words.
            second = made % 4 == 0 ? pickScript() : own;
        }
        const int from = draw.below(60);
        const QStringList& words = from == 0 ? others : from < 20 ? shared : from < 40 ? *own : *second;
        return words[draw.below(static_cast<int>(words.size()))];
    });
    // Sentences as a word processor types them, in each alphabet.
    expectProseCounted({
        QStringLiteral("Mara’s “last” ride—she swore it—ends at the pass… or does it?"),
        QStringLiteral("“Don’t tell your mother,” Zoë says. ‘It’s only a key.’ "
                       "Jiří and Łucja meet Thảo at the café – pp. 12–14 – again."),
        QStringLiteral("«Ναι», είπε η Ελένη — και έφυγε πριν ξημερώσει…"),
        QStringLiteral("«Да», сказал Иван — и ушёл до рассвета… Никто не видел."),
    });
}

// Around each letter of punctuation that the rules of line breaking treat apart (dashes,
// ellipses, quotes, primes, currency and the like) and letters past Latin-1, set close to
// words, to figures, to brackets and to each other, a line ends where the layout ends it, at
// every width from a line down to a word and back; and such texts are counted.
TEST(TextHeights, BreakAroundEachTypographicLetterAsTheLayoutDoes)
{
    // The hyphens, dashes, primes, fraction slash and modifier apostrophe that look alike are
    // written by their codes.
    const QString letters = QStringLiteral("—–…“”‘’„«»‹›\u2010\u2011\u2032\u2033€‰†•\u2044\u2012\u2015Łřả\u02bc");
    // Where the letter (#) stands.
    const QStringList around = QStringLiteral("word#word word# #word ##word 12#34 (#) #“so” p.#12 a/#/b").split(u' ');
    const QFont font = standardFont(13, false);
    TextHeights heights;
    int asked = 0;
    for (const QChar letter : letters) {
        for (const QString& pattern : around) {
            const QString text =
                QStringLiteral("Her brother set %1 down and left").arg(QString(pattern).replace(u'#', letter));
            for (const int step : {-1, 1}) {
                for (int width = step < 0 ? 260 : 30; width >= 30 && width <= 260; width += step) {
                    SCOPED_TRACE(QStringLiteral("\"%1\" at %2").arg(text).arg(width).toStdString());
                    ++asked;
                    ASSERT_EQ(heights.height(text, font, width),
                              BaseViewController::heightForString(text, font, width));
                }
            }
        }
    }
    EXPECT_LT(heights.measured() * 5, static_cast<std::size_t>(asked));
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
