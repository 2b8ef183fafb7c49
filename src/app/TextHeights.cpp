#include "TextHeights.h"

#include "BaseViewController.h"

#include <QChar>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Texts kept at most: past this many (texts edited and gone, at various font sizes), all are
// forgotten and measured again as they are asked for.
constexpr qsizetype kMostTexts = 200000;

// A line's last glyph may reach a little past its advance (a slanted f, a ligature): measured
// this much wider than its widest line, a text still breaks as it did.
constexpr int kOverhang = 1;

// A width no line of a sample of unwrapped lines reaches.
constexpr float kUnwrappedWidth = 1e6f;

// Words remembered at most before all are forgotten and measured again as they come.
constexpr std::size_t kMostWords = 100000;

// Widths summed word by word are the layout's own to this much (both add the same glyph advances);
// a line ending nearer its width than this, or than its last letter's reach, is left to the layout.
constexpr double kDoubt = 0.125;

// The figures and the stops and brackets that go with them in pages, times and numbers.
constexpr QStringView kFigures = u"0123456789.,:()";

// Whether `letter` may stand in a word whose lines break only at spaces: Latin letters and
// digits, and the stops, quotes and brackets that the rules of line breaking keep to the letters
// beside them (with the exceptions wordBreaksOnlyAtSpaces looks for).
bool plainLetter(char16_t letter)
{
    if ((letter >= u'a' && letter <= u'z') || (letter >= u'A' && letter <= u'Z') || (letter >= u'0' && letter <= u'9'))
        return true;
    if (letter >= 0xc0 && letter <= 0xff)
        return letter != 0xd7 && letter != 0xf7;
    switch (letter) {
    case u'.': case u',': case u';': case u':': case u'\'': case u'"': case u'!': case u'?': case u'(': case u')':
    case u'-':
        return true;
    default:
        return false;
    }
}

bool isQuote(char16_t letter)
{
    return letter == u'\'' || letter == u'"';
}

// Whether the lines of a text may break only at the spaces around `word` (letters of plainLetter
// only), the word before it ending in `before` (0 when it begins its line as typed). A line may
// also break after a hyphen joined to more, after ! or ? followed by a letter, and at an opening
// bracket inside a word. Nor is a word counted that the rules of line breaking keep to the word
// before it across spaces, whether or not the layout keeps to them there: one that begins with a
// closing bracket, a stop, ! or ?, or an opening bracket after a quote.
bool wordBreaksOnlyAtSpaces(QStringView word, char16_t before)
{
    if (before && QStringView(u").!?,;:").contains(word.front()))
        return false;
    bool onlyHyphens = true;
    for (qsizetype index = 0; index < word.size(); ++index) {
        const char16_t letter = word[index].unicode();
        if (letter != u'-')
            onlyHyphens = false;
        if (letter == u'(' && (index > 0 || word.size() == 1 || isQuote(before)))
            return false;
        // After ! or ?, only more stops, quotes or a closing bracket keep to it.
        if ((letter == u'!' || letter == u'?') && index + 1 < word.size() &&
            !QStringView(u"!?.,;:'\")").contains(word[index + 1]))
            return false;
    }
    return onlyHyphens || !word.contains(QLatin1Char('-'));
}

// The lines the text has before any is wrapped: one, and one more after each line break.
int forcedLines(const QString& text)
{
    int lines = 1;
    for (const QChar c : text)
        if (c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            ++lines;
    return lines;
}

} // namespace

float TextHeights::height(const QString& text, const QFont& font, int width)
{
    if (!hasFont_ || !(font == font_) || texts_.size() > kMostTexts) {
        texts_.clear();
        unwrapped_.clear();
        advances_.clear();
        words_.clear();
        font_ = font;
        hasFont_ = true;
    }
    width = std::max(0, width);
    Spans& kept = texts_[text];
    for (const Span& span : kept.spans)
        if (span.narrowest <= width && width <= span.widest)
            return span.height;
    Span& span = kept.spans[kept.next];
    kept.next = static_cast<std::uint8_t>((kept.next + 1) % kept.spans.size());
    if (const std::optional<double> widest = widestLineAtMost(text); widest && *widest + kOverhang <= width) {
        span.height = unwrappedHeight(forcedLines(text));
        span.narrowest = static_cast<int>(std::ceil(*widest)) + kOverhang;
        span.widest = std::numeric_limits<int>::max();
        return span.height;
    }
    if (const std::optional<Filled> filled = filledByWords(text, width)) {
        span.height = unwrappedHeight(filled->lines);
        span.narrowest = std::min(width, static_cast<int>(std::ceil(filled->widest + kDoubt)) + kOverhang);
        span.widest = filled->lines == forcedLines(text) ? std::numeric_limits<int>::max() : width;
        return span.height;
    }
    ++measured_;
    const BaseViewController::StringFit fit = BaseViewController::fitString(text, font, static_cast<float>(width));
    span.height = fit.height;
    span.narrowest = std::min(width, fit.widestLine + kOverhang);
    span.widest = fit.height == unwrappedHeight(forcedLines(text)) ? std::numeric_limits<int>::max() : width;
    return span.height;
}

void TextHeights::measureLetters()
{
    const QFontMetricsF metrics(font_);
    advances_.assign(256, -1);
    overhangs_.assign(256, 0);
    spaceAdvance_ = metrics.horizontalAdvance(QLatin1Char(' '));
    spaceKerning_ = 0;
    farthestOverhang_ = 0;
    const QString space(QLatin1Char(' '));
    for (char16_t letter = 0x20; letter < 0x100; ++letter) {
        // A letter the font lacks comes from another font, whose lines may stand higher.
        if ((letter >= 0x7f && (letter < 0xa0 || letter == 0xad)) || !metrics.inFont(QChar(letter)))
            continue;
        const QString alone(QChar{letter});
        advances_[letter] = metrics.horizontalAdvance(alone);
        // The reach the layout weighs when a line ends in this letter.
        overhangs_[letter] = std::max(0.0, -metrics.rightBearing(QChar{letter}));
        farthestOverhang_ = std::max(farthestOverhang_, overhangs_[letter]);
        if (plainLetter(letter))
            for (const QString& pair : {alone + space, space + alone})
                spaceKerning_ =
                    std::max(spaceKerning_, std::abs(metrics.horizontalAdvance(pair) - advances_[letter] - spaceAdvance_));
    }
    plainFigures_ = true;
    for (const QChar first : kFigures)
        for (const QChar second : kFigures)
            if (advances_[first.unicode()] < 0 ||
                metrics.horizontalAdvance(QString(first) + second) !=
                    advances_[first.unicode()] + advances_[second.unicode()])
                plainFigures_ = false;
}

TextHeights::Word TextHeights::word(QStringView letters)
{
    // Numbers, pages and times are measured letter by letter where the font sets its figures
    // side by side unchanged: a long story has thousands of them, each in one or two texts.
    if (plainFigures_ && std::all_of(letters.begin(), letters.end(), [](QChar c) { return kFigures.contains(c); })) {
        Word summed;
        for (const QChar c : letters)
            summed.advance += advances_[c.unicode()];
        summed.overhang = overhangs_[letters.back().unicode()];
        return summed;
    }
    if (const auto found = words_.find(letters); found != words_.end())
        return found->second;
    if (words_.size() >= kMostWords)
        words_.clear();
    const QString text = letters.toString();
    QTextLayout layout(text, font_);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(kUnwrappedWidth);
    layout.endLayout();
    Word measured;
    // A word shaped letter for letter ends in its last letter's own glyph, whose reach the line's
    // width takes in; one whose last letters were joined, or drawn otherwise, may reach farther
    // than any single letter.
    const QList<QGlyphRun> runs = line.glyphRuns();
    const bool ownGlyph = runs.size() == 1 && runs.front().glyphIndexes().size() == text.size() &&
                          runs.front().rawFont().glyphIndexesForString(text.right(1)) ==
                              QList<quint32>{runs.front().glyphIndexes().back()};
    if (ownGlyph) {
        measured.overhang = overhangs_[letters.back().unicode()];
        measured.advance = line.naturalTextWidth() - measured.overhang;
    } else {
        measured.overhang = farthestOverhang_ + 1;
        measured.advance = QFontMetricsF(font_).horizontalAdvance(text);
    }
    return words_.emplace(text, measured).first->second;
}

std::optional<TextHeights::Filled> TextHeights::filledByWords(const QString& text, int width)
{
    if (advances_.empty())
        measureLetters();
    Filled filled;
    const auto* const begin = text.constData();
    const auto* const end = begin + text.size();
    const auto* at = begin;
    while (true) {
        // One line of the text as typed, filled word by word: `line` is as wide as its words and
        // the spaces between them, `spaces` the run of spaces waiting after its last word.
        ++filled.lines;
        double line = 0;
        int wordsOnLine = 0;
        int spaces = 0;
        char16_t before = 0;
        while (at != end && at->unicode() != u'\n') {
            if (at->unicode() == u' ') {
                ++spaces;
                ++at;
                continue;
            }
            const auto* const start = at;
            while (at != end && at->unicode() != u' ' && at->unicode() != u'\n') {
                if (!plainLetter(at->unicode()) || advances_[at->unicode()] < 0)
                    return std::nullopt;
                ++at;
            }
            const QStringView letters(start, at - start);
            if (!wordBreaksOnlyAtSpaces(letters, before))
                return std::nullopt;
            before = letters.back().unicode();
            const Word next = word(letters);
            // A space beside a letter may change the pair's width by up to spaceKerning_.
            const double doubt = kDoubt + 2 * spaceKerning_ * (wordsOnLine + 1);
            const double reach = line + spaces * spaceAdvance_ + next.advance;
            if (wordsOnLine == 0 && spaces == 0) {
                // A line's first word stays on it however wide; one wider than the line is left
                // to the layout.
                if (reach + next.overhang + doubt > width)
                    return std::nullopt;
                line = reach;
            } else if (reach + next.overhang + doubt <= width) {
                line = reach;
            } else if (reach - doubt > width && wordsOnLine > 0 && next.advance + next.overhang + doubt <= width) {
                // The word begins the next line; the spaces before it stay at the end of this one.
                ++filled.lines;
                line = next.advance;
                wordsOnLine = 0;
            } else {
                return std::nullopt;
            }
            filled.widest = std::max(filled.widest, line + next.overhang);
            ++wordsOnLine;
            spaces = 0;
        }
        if (at == end)
            break;
        ++at;
    }
    return filled;
}

std::optional<double> TextHeights::widestLineAtMost(const QString& text)
{
    if (advances_.empty())
        measureLetters();
    if (text.isEmpty())
        return std::nullopt;
    double widest = 0;
    double line = 0;
    for (const QChar c : text) {
        const char16_t letter = c.unicode();
        if (letter == u'\n') {
            widest = std::max(widest, line);
            line = 0;
        } else if (letter < advances_.size() && advances_[letter] >= 0) {
            line += advances_[letter];
        } else {
            return std::nullopt;
        }
    }
    // Kerning and joined letters make a laid-out line a little narrower than its letters' own
    // advances, hardly ever wider: with this room to spare it is never wider.
    return std::max(widest, line) * 1.02 + 3;
}

float TextHeights::unwrappedHeight(int lines)
{
    const auto at = static_cast<std::size_t>(lines);
    if (at >= unwrapped_.size())
        unwrapped_.resize(at + 1, -1);
    if (unwrapped_[at] < 0) {
        QString sample(QLatin1Char('X'));
        for (int line = 1; line < lines; ++line)
            sample += QLatin1String("\nX");
        unwrapped_[at] = BaseViewController::heightForString(sample, font_, kUnwrappedWidth);
    }
    return unwrapped_[at];
}
