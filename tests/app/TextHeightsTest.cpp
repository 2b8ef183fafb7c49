#include "app/BaseViewController.h"
#include "app/SmallViews.h"
#include "app/TextHeights.h"
#include "app/TextsReadAhead.h"

#include <QCoreApplication>
#include <QFont>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <latch>
#include <random>
#include <set>
#include <vector>

namespace {

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
                               QStringLiteral("Walt hums the song they sang in Sevilla \u2014 s\u00ed, aqu\u00ed, "
                                              "s\u00ed \u2014 and the old man smiles.")};
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

// Runs the disabled test `name` of this suite in a process of its own, in `environment`: whether
// it passed, with what it printed.
::testing::AssertionResult passesInAChild(
    const char* name, const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", QStringLiteral("--gtest_filter=TextHeights.%1").arg(name)});
    if (!child.waitForFinished(120000))
        return ::testing::AssertionFailure() << name << " did not finish";
    const QByteArray output = child.readAll();
    if (child.exitCode() == 0 && output.contains("[  PASSED  ] 1 test"))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << output.toStdString();
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
    EXPECT_TRUE(passesInAChild("DISABLED_ChildProcessRowsTakeTheHeightsReadOffAWindow"));
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

// A text and the widths it is asked at.
struct Asked {
    QString text;
    std::vector<int> widths;
};

// Texts of 1 to 40 words, each from `word`, now and then after a space, in runs of spaces and
// lines, 1,000 in a font, each asked at three random widths and the ones beside them, where a
// line's last word just fits or not.
std::vector<Asked> textsToAsk(Draw& draw, const std::function<QString(int text)>& word)
{
    std::vector<Asked> texts;
    for (int made = 0; made < 1000; ++made) {
        Asked asked;
        asked.text = draw.below(10) == 0 ? QStringLiteral(" ") : QString();
        for (int count = 1 + draw.below(40); count > 0; --count) {
            asked.text += word(made);
            const int spaces = draw.below(40) == 0 ? 30 : 1 + (draw.below(8) == 0 ? draw.below(3) : 0);
            asked.text += draw.below(12) == 0 ? QStringLiteral("\n") : QString(spaces, u' ');
        }
        for (int time = 0; time < 3; ++time) {
            const int from = 20 + draw.below(380);
            asked.widths.insert(asked.widths.end(), {from, from + 1});
        }
        texts.push_back(std::move(asked));
    }
    return texts;
}

void expectHeightsAsLaidOut(TextHeights& heights, const std::vector<Asked>& texts, const QFont& font)
{
    for (const Asked& asked : texts) {
        for (const int width : asked.widths) {
            SCOPED_TRACE(QStringLiteral("\"%1\" at %2").arg(asked.text).arg(width).toStdString());
            ASSERT_EQ(heights.height(asked.text, font, width),
                      BaseViewController::heightForString(asked.text, font, width));
        }
    }
}

const std::vector<QFont> kThreeFonts = {standardFont(12, false), standardFont(13, true), standardFont(17, false)};

// The texts of `textsToAsk` in each of three fonts: each height is the layout's.
void expectTextsMeasuredAsLaidOut(Draw& draw, const std::function<QString(int text)>& word,
                                  const std::vector<QFont>& fonts = kThreeFonts)
{
    for (const QFont& font : fonts) {
        TextHeights heights;
        expectHeightsAsLaidOut(heights, textsToAsk(draw, word), font);
    }
}

// The same texts read ahead, in every font at once, on other threads (measured there at
// `width` too, when more than 0), each taken as read: each height is the layout's.
void expectTextsReadAheadAsLaidOut(Draw& draw, const std::function<QString(int text)>& word, int width,
                                   const std::vector<QFont>& fonts = kThreeFonts)
{
    std::vector<std::vector<Asked>> texts;
    TextsReadAhead::Texts all;
    all.faces = fonts;
    std::set<std::pair<std::size_t, QString>> distinct;
    for (std::size_t face = 0; face < fonts.size(); ++face) {
        texts.push_back(textsToAsk(draw, word));
        for (const Asked& asked : texts.back()) {
            all.texts.push_back({asked.text, static_cast<std::uint8_t>(face)});
            distinct.emplace(face, asked.text);
        }
    }
    // The texts are read once the width is known.
    std::latch widthKnown(1);
    TextsReadAhead ahead([&](const std::atomic<bool>&) {
        widthKnown.wait();
        return std::optional<TextsReadAhead::Texts>(all);
    });
    ahead.measureAt(width);
    widthKnown.count_down();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!ahead.finished() && std::chrono::steady_clock::now() < giveUp)
        QThread::msleep(1);
    ASSERT_TRUE(ahead.finished());
    for (std::size_t face = 0; face < fonts.size(); ++face) {
        TextHeights heights;
        heights.takeReadingsFrom(&ahead);
        expectHeightsAsLaidOut(heights, texts[face], fonts[face]);
    }
    EXPECT_EQ(ahead.given(), distinct.size()) << "every text was taken as read ahead";
}

// Sentences at the widths a pane is dragged through: each height is the layout's, and they are
// counted, hardly ever laid out.
void expectProseCounted(const QStringList& prose, const QFont& font = standardFont(13, false))
{
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
    const QStringList shared = words(QStringLiteral("— – … 1990–95 €20 20€ 5‰ † • \u2010 5\u2032 6\u2033 1\u20442 ‽ "
                                                    "…” ”— —“ ’” (—) p.12 (p. 12) —— ‘“ « » ‹› $5–$9"));
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

// A family at a pixel size, bold or not.
QFont face(const char* family, int pixels, bool bold = false)
{
    QFont font{QString::fromLatin1(family)};
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Seven families, sans and serif, proportional and fixed, with kerning and without, at sizes the
// lists take from the story's setting.
std::vector<QFont> sevenFamilies()
{
    return {face("DejaVu Sans", 13), face("DejaVu Serif", 12, true), face("P052", 17), face("C059", 14),
            face("Nimbus Sans", 16, true), face("Nimbus Roman", 13), face("Courier Prime", 15)};
}

// A line of `length` letters whose last word runs over the letter `at` (counted from 0), set
// close to the letters on either side that kern: "…AVAVAV" with an A at `at`.
QString lineKerningAt(int at, int length)
{
    QString line;
    while (line.size() < at - 4)
        line += QStringLiteral("To Ty WAVE ");
    line.truncate(at - 5);
    line += QLatin1Char(' ');
    while (line.size() < length)
        line += line.size() % 2 == at % 2 ? QLatin1Char('A') : QLatin1Char('V');
    return line;
}

// Texts of one case each, in the family each is set in, at every width from a line down to a word
// and back: each height is the layout's, and those counted are hardly ever laid out.
TEST(TextHeights, CountJoinedAndHyphenatedWordsAndMixedScriptsAsTheLayoutBreaksThem)
{
    const struct {
        const char* what;
        QFont font;
        QString text;
        // Whether it is counted, or left to the layout.
        bool counted = true;
    } rows[] = {
        // A piece ending at a soft hyphen after others on the line needs room for the hyphen.
        {"soft hyphens after other words", face("DejaVu Sans", 13),
         QStringLiteral("Her brother sets the ex\u00adtra\u00adordi\u00adnary gad\u00adget down")},
        // A word of many soft hyphens breaks at them, line after line.
        {"soft hyphens at a line's start", face("DejaVu Serif", 14),
         QStringLiteral("Un\u00adbe\u00adlie\u00adva\u00adbly she\u00adwalks "
                        "Schiff\u00adfahrts\u00adge\u00adsell\u00adschaft")},
        // The stops and quotes before a word of another script join the run before them, where the
        // word alone sets them in its own: «V kerns alone, not after a Cyrillic word.
        {"a Latin name after Cyrillic", face("DejaVu Sans", 13),
         QStringLiteral("Москва «Vera» и „Vasya“ — «Yes» (Tom) „Walt“")},
        {"a Cyrillic and a Greek name after Latin", face("C059", 17),
         QStringLiteral("Ivan «Тут» and «Υψος» — «Ася» says «Λάμπρος»")},
        // A line may end after a mark where it may end after its letter.
        {"marks after a hyphen and a dash", face("DejaVu Sans", 13),
         QStringLiteral("Re\u0301my's set-\u0301up —\u0301and Zoe\u0308's e\u0301te\u0301 (p.\u030112)")},
        // No-break spaces join the words on either side.
        {"French typography", face("DejaVu Serif", 14),
         QStringLiteral("Vraiment\u00a0? «\u00a0Oui\u00a0», dit-il\u202f; puis\u00a0: 10\u00a0000\u00a0€\u202f!")},
        // A soft hyphen ending a word shows nothing where the line goes on past it; a word that
        // begins with a no-break space or a mark joins it to the space before; a line may end
        // before a no-break space after a hyphen or a dash. All are left to the layout.
        {"a soft hyphen ending a word", face("DejaVu Sans", 13),
         QStringLiteral("She said\u00ad the word\u00ad twice\u00ad and walked\u00ad off\u00ad"), false},
        {"a word that begins with a no-break space", face("DejaVu Sans", 13),
         QStringLiteral("She \u00a0said the \u202fword twice and walked off"), false},
        {"a word that begins with a mark", face("DejaVu Sans", 13),
         QStringLiteral("She \u0301said the word twice and walked off"), false},
        {"a no-break space where a line may end", face("DejaVu Sans", 13),
         QStringLiteral("She said the x-\u00a0y word —\u00a0twice and walked off"), false},
        // The layout shapes a line of more than 4,096 letters in parts: a word across two parts
        // is wider than alone. One of 4,096 is shaped whole.
        {"a line of 4,096 letters", face("DejaVu Sans", 13), lineKerningAt(4092, 4096)},
        {"a line of 4,104 letters, shaped in two parts inside a word", face("DejaVu Sans", 13),
         lineKerningAt(4096, 4104), false},
        // The system's monospaced face sets U+02EA in its own face, and a space beside it in
        // another, narrower one.
        {"a space beside a letter set in another face", face("Monospace", 15),
         QStringLiteral("\u02ea\u02ea word the%1a\u02ea set-up\n\u02eab word \u02ea\n\u02ea\u02ea a\u02ea a\u02ea "
                        "\u02ea\u02ea%1\u02eab \u02ea\u02ea \u02ea\u02ea a\u02ea\nthe\n"
                        "\u02ea\u02ea word \u02ea\u02ea word ")
             .arg(QString(30, u' ')),
         false},
        {"zero-width spaces", face("DejaVu Sans", 16),
         QStringLiteral("and\u200bor the\u200bkey\u200b(p.\u200b12) x\u200b\u200by 12\u200b34")},
    };
    for (const auto& row : rows) {
        TextHeights heights;
        int asked = 0;
        for (const int step : {-1, 1}) {
            for (int width = step < 0 ? 300 : 30; width >= 30 && width <= 300; width += step) {
                SCOPED_TRACE(QStringLiteral("%1: \"%2\" at %3").arg(row.what, row.text.left(200)).arg(width).toStdString());
                ++asked;
                ASSERT_EQ(heights.height(row.text, row.font, width),
                          BaseViewController::heightForString(row.text, row.font, width));
            }
        }
        if (row.counted) {
            EXPECT_LT(heights.measured() * 5, static_cast<std::size_t>(asked)) << row.what;
        }
    }
}

// Words as French typography sets them (no-break spaces before : ; ! ? and inside « », and in
// figures), with accents decomposed, soft hyphens and zero-width spaces, among words of Latin,
// Greek and Cyrillic mixed in one text, now and then with a word of the kinds left to the layout.
std::function<QString(int)> joinedAndMixedWords(Draw& draw)
{
    const auto words = [](const QString& list) { return list.split(QLatin1Char(' ')); };
    const QStringList joined = words(QStringLiteral(
        "mot\u00a0: vrai\u202f! «\u00a0Oui\u00a0» quoi\u00a0? 10\u00a0000 p.\u00a012 dit\u00a0; "
        "e\u0301te\u0301 Zoe\u0308 Jose\u0301 Ame\u0301lie\u00a0! Ren\u0303o "
        "ex\u00adtra\u00adordi\u00adnary Ta\u00adVa\u00adWa set\u00ad-up ki\u00adlo\u00adme\u00adter "
        "and\u200bor x\u200b(y) 12\u200b34 Zeit\u00adung\u200bhaus"));
    const QStringList scripts = words(QStringLiteral(
        "the hero «Vera» „Walt“ Tyrell (AVOW) set-up café Łucja "
        "Αθήνα «Ναι» Ελένη—Νίκος «Υψος» (Ωρα) το\u037e "
        "Москва «Тут» „Ася“ Иван—Ольга (Яков) всё? Україна"));
    const QStringList others = words(QStringLiteral("日本 \U0001F511 tab\tin a\u2009b ﬁle שלום \u00a0lead -\u00a0x"));
    return [&draw, joined, scripts, others](int) {
        const int from = draw.below(40);
        const QStringList& pick = from == 0 ? others : from < 16 ? joined : scripts;
        return pick[draw.below(static_cast<int>(pick.size()))];
    };
}

// Those words in seven families, at random widths: each height is the layout's, and such prose
// is counted.
void expectJoinedAndMixedTextsMeasuredAsLaidOut(unsigned seed)
{
    Draw draw(seed);
    expectTextsMeasuredAsLaidOut(draw, joinedAndMixedWords(draw), sevenFamilies());
    // The program's own family has every letter of them; the others lack some.
    for (const QFont& font : {face("DejaVu Sans", 13), face("DejaVu Serif", 15, true)})
        expectProseCounted({QStringLiteral("«\u00a0Non\u00a0!\u00a0» crie Ame\u0301lie\u00a0; Ivan — «\u00a0Да\u00a0» "
                                           "— regarde l'ex\u00adtra\u00adordi\u00adnaire Αθήνα."),
                            QStringLiteral("INT. KITCHEN - NIGHT\nОльга прячет ключ под половицей, pendant que Νίκος "
                                           "dort\u202f; and\u200bor nobody sees.")},
                           font);
}

TEST(TextHeights, CountFrenchTypographyMarksHyphensAndMixedScriptsAsTheLayoutBreaksThem)
{
    expectJoinedAndMixedTextsMeasuredAsLaidOut(97);
}

// Texts of those words read ahead on other threads, in seven families at once, and taken as read:
// read without a width, or measured there too at a width some are asked at. Each height is the
// layout's: a reading carries the text's pieces, its height at the width, and how much the
// letters the reader learned change beside a space, which its lines are filled with here.
TEST(TextHeights, TextsReadAheadOnOtherThreadsCountAsTheLayoutBreaksThem)
{
    const struct {
        const char* what;
        int width;
        unsigned seed;
    } rows[] = {
        {"read without a width", 0, 297},
        {"measured at a width too", 200, 397},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Draw draw(row.seed);
        expectTextsReadAheadAsLaidOut(draw, joinedAndMixedWords(draw), row.width, sevenFamilies());
    }
}

// The same sweep in a process whose screens are scaled (QT_SCALE_FACTOR), run by the test below.
TEST(TextHeights, DISABLED_ChildProcessScaledSweep)
{
    expectJoinedAndMixedTextsMeasuredAsLaidOut(197);
}

TEST(TextHeights, CountTheSameUnderEveryScaleFactor)
{
    for (const char* factor : {"1.5", "2"}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(factor));
        EXPECT_TRUE(passesInAChild("DISABLED_ChildProcessScaledSweep", environment)) << "scaled by " << factor;
    }
}

} // namespace
