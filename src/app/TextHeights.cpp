#include "TextHeights.h"

#include "BaseViewController.h"

#include <QChar>
#include <QFontMetricsF>
#include <QRectF>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Texts kept at most: past this many (texts edited and gone, at various font sizes), all are
// forgotten and measured again as they are asked for.
constexpr qsizetype kMostTexts = 200000;

// Room left beside a counted text's widest line before its height is taken to hold.
constexpr int kOverhang = 1;

// A width no line of a sample of unwrapped lines reaches.
constexpr float kUnwrappedWidth = 1e6f;

// Words remembered at most before all are forgotten and measured again as they come.
constexpr std::size_t kMostWords = 100000;

// Pieces of texts kept at most (twelve bytes each), past which all texts are forgotten too.
constexpr std::size_t kMostPieces = 4000000;

// Widths summed piece by piece are the layout's own: both add the same glyph advances, in the
// layout's fixed point of 1/64 pixel. A line whose last piece with its reach ends within one such
// step of the width is left to the layout.
constexpr double kDoubt = 1.0 / 64;

// The figures and the stops and brackets that go with them in pages, times and numbers.
constexpr QStringView kFigures = u"0123456789.,:()";

bool figure(char16_t letter)
{
    return (letter >= u'0' && letter <= u'9') || letter == u'.' || letter == u',' || letter == u':' ||
           letter == u'(' || letter == u')';
}

// The height of the box heightForString lays a text out in.
constexpr int kMeasureHeight = 200000;

// Whether `letter` may stand in a word whose lines are counted: a printable Latin-1 letter that
// the layout sets as it is, neither a space (the no-break space included) nor the soft hyphen,
// which shows only where a line ends.
bool wordLetter(char16_t letter)
{
    return (letter > 0x20 && letter < 0x7f) || (letter > 0xa0 && letter <= 0xff && letter != 0xad);
}

// Whether the layout may end a line at `letter`, a run of spaces or a line feed going whole with
// the line before.
bool breakableSpace(QChar letter)
{
    return letter.isSpace() && letter.decompositionTag() != QChar::NoBreak;
}

// The places inside the words of `text` (not after a space or a line feed, nor before one) where
// the rules of line breaking let a line end: after a hyphen joined to more, after ! or ? before a
// letter, after a stop before figures ("p." | "12"), and so on. Whether they do depends on more
// than the word: the stop before figures lets a line end only where no number came before it, and
// a number reaches across spaces into the words after it. So the whole text is read, as the layout
// reads it.
std::vector<int> breaksInWords(const QString& text)
{
    std::vector<int> found;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < text.size(); at = finder.toNextBoundary()) {
        const char16_t before = text[at - 1].unicode();
        const char16_t after = text[at].unicode();
        if (before != u' ' && before != u'\n' && after != u' ' && after != u'\n')
            found.push_back(static_cast<int>(at));
    }
    return found;
}

// What `read` reads of `text` laid out in `font` as one line no width wraps.
template <typename Read>
auto readUnwrapped(const QString& text, const QFont& font, Read read)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(kUnwrappedWidth);
    layout.endLayout();
    return read(line);
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

// Whether every letter of `text` is of a script whose words a layout of their own shapes as the
// whole text does, and no letter changes its line's end (a soft hyphen shows only there).
bool plainScripts(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        const QChar::Script script = c.script();
        return (script == QChar::Script_Latin || script == QChar::Script_Common || script == QChar::Script_Inherited) &&
               !c.isSurrogate() && c != QChar::SoftHyphen;
    });
}

} // namespace

float TextHeights::height(const QString& text, const QFont& font, int width)
{
    if (!hasFont_ || !(font == font_) || texts_.size() > kMostTexts || piecesKept_ > kMostPieces) {
        texts_.clear();
        unwrapped_.clear();
        advances_.clear();
        words_.clear();
        wordEnds_.clear();
        piecesKept_ = 0;
        font_ = font;
        hasFont_ = true;
    }
    if (advances_.empty())
        measureLetters();
    width = std::max(0, width);
    Spans& kept = texts_[text];
    for (const Span& span : kept.spans)
        if (span.narrowest <= width && width <= span.widest)
            return span.height;
    Span& span = kept.spans[kept.next];
    kept.next = static_cast<std::uint8_t>((kept.next + 1) % kept.spans.size());
    if (!kept.read)
        readPieces(text, kept);
    if (kept.countable) {
        if (const std::optional<Filled> lines = filled(kept.pieces, kept.typedLines, width)) {
            span.height = unwrappedHeight(lines->lines);
            span.narrowest = std::min(width, static_cast<int>(std::ceil(lines->widest + kDoubt)) + kOverhang);
            span.widest = lines->lines == kept.typedLines ? std::numeric_limits<int>::max() : width;
            return span.height;
        }
    }
    ++measured_;
    span = laidOut(text, width);
    return span.height;
}

void TextHeights::measureLetters()
{
    const QFontMetricsF metrics(font_);
    advances_.assign(256, -1);
    overhangs_.assign(256, 0);
    spaceAdvance_ = metrics.horizontalAdvance(QLatin1Char(' '));
    spaceKerning_ = 0;
    // The layout rounds the font's farthest reach to its own fixed point; this is never less.
    farthestReach_ = std::ceil(std::max(0.0, -metrics.minRightBearing()) * 64) / 64;
    const QString space(QLatin1Char(' '));
    for (char16_t letter = 0x20; letter < 0x100; ++letter) {
        // A letter the font lacks comes from another font, whose lines may stand higher.
        if ((letter >= 0x7f && (letter < 0xa0 || letter == 0xad)) || !metrics.inFont(QChar(letter)))
            continue;
        const QString alone(QChar{letter});
        advances_[letter] = metrics.horizontalAdvance(alone);
        // The reach the layout weighs when a line ends in this letter.
        overhangs_[letter] = std::min(farthestReach_, std::max(0.0, -metrics.rightBearing(QChar{letter})));
        if (wordLetter(letter))
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
    if (plainFigures_ && std::all_of(letters.begin(), letters.end(), [](QChar c) { return figure(c.unicode()); })) {
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
    // The line's natural width adds the reach of its last glyph, whether the letter's own or one
    // joined with the letters before it, as a line ending in the word adds it; its advance does
    // not. The layout weighs no reach past the font's farthest.
    const Word measured = readUnwrapped(text, font_, [this](const QTextLine& line) {
        return Word{line.horizontalAdvance(),
                    std::min(farthestReach_, std::max(0.0, line.naturalTextWidth() - line.horizontalAdvance()))};
    });
    return words_.emplace(text, measured).first->second;
}

double TextHeights::advanceWithin(QStringView letters, qsizetype at)
{
    auto found = wordEnds_.find(letters);
    if (found == wordEnds_.end()) {
        if (wordEnds_.size() >= kMostWords)
            wordEnds_.clear();
        const QString text = letters.toString();
        std::vector<double> ends = readUnwrapped(text, font_, [&text](const QTextLine& line) {
            std::vector<double> read(static_cast<std::size_t>(text.size()) + 1);
            for (qsizetype end = 0; end <= text.size(); ++end)
                read[static_cast<std::size_t>(end)] = line.cursorToX(static_cast<int>(end));
            return read;
        });
        found = wordEnds_.emplace(text, std::move(ends)).first;
    }
    return found->second[static_cast<std::size_t>(at)];
}

bool TextHeights::mayBreakBetween(char16_t before, char16_t after)
{
    if (pairBreaks_.empty())
        pairBreaks_.assign(256 * 256, -1);
    std::int8_t& known = pairBreaks_[static_cast<std::size_t>(before) * 256 + after];
    if (known < 0) {
        // Inside a word the rules let a line end between two letters only where the pair of them
        // allows it; what comes around them may only forbid it.
        const QChar pair[] = {QLatin1Char(' '), QChar(before), QChar(after), QLatin1Char(' ')};
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, pair, 4);
        finder.setPosition(2);
        known = finder.isAtBoundary() ? 1 : 0;
    }
    return known > 0;
}

void TextHeights::readPieces(const QString& text, Spans& spans)
{
    spans.read = true;
    // Every letter must be one of the font. A line may end inside a word only between two letters
    // whose pair allows it; before a letter the pair alone decides, before anything else (figures,
    // brackets) the text before it may forbid it, and then the whole text is read as the layout
    // reads it.
    std::vector<int> breaks;
    bool readWhole = false;
    std::size_t words = 0;
    char16_t previous = u' ';
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t letter = text[at].unicode();
        if (letter != u' ' && letter != u'\n') {
            if (!wordLetter(letter) || advances_[letter] < 0)
                return;
            if (previous == u' ' || previous == u'\n') {
                ++words;
            } else if (!readWhole && mayBreakBetween(previous, letter)) {
                if (QChar::isLetter(letter))
                    breaks.push_back(static_cast<int>(at));
                else
                    readWhole = true;
            }
        }
        previous = letter;
    }
    if (words == 0)
        return;
    spans.countable = true;
    if (readWhole)
        breaks = breaksInWords(text);
    spans.pieces.reserve(words + breaks.size());
    auto nextBreak = breaks.begin();
    const QChar* const begin = text.constData();
    const QChar* const end = begin + text.size();
    const QChar* at = begin;
    Piece piece;
    piece.lineStart = 1;
    while (at != end) {
        if (at->unicode() == u'\n') {
            ++spans.typedLines;
            piece.spaces = 0;
            piece.lineStart = 1;
            ++at;
            continue;
        }
        if (at->unicode() == u' ') {
            ++piece.spaces;
            ++at;
            continue;
        }
        const QChar* const start = at;
        while (at != end && at->unicode() != u' ' && at->unicode() != u'\n')
            ++at;
        const QStringView letters(start, at - start);
        const auto wordStart = static_cast<int>(start - begin);
        const auto wordEnd = static_cast<int>(at - begin);
        const Word whole = word(letters);
        // The word goes onto the lines in pieces, each ending where a line may end inside it
        // (most words are one piece): where each ends in the word's own layout, and the reach of
        // its last letter.
        double fromAdvance = 0;
        while (nextBreak != breaks.end() && *nextBreak < wordEnd) {
            const qsizetype to = *nextBreak++ - wordStart;
            const double ends = advanceWithin(letters, to);
            piece.advance = static_cast<float>(ends - fromAdvance);
            piece.overhang = static_cast<float>(word(letters.first(to)).overhang);
            spans.pieces.push_back(piece);
            piece = Piece();
            fromAdvance = ends;
        }
        piece.advance = static_cast<float>(whole.advance - fromAdvance);
        piece.overhang = static_cast<float>(whole.overhang);
        spans.pieces.push_back(piece);
        piece = Piece();
    }
    piecesKept_ += spans.pieces.size();
}

std::optional<TextHeights::Filled> TextHeights::filled(const std::vector<Piece>& pieces, int typedLines,
                                                       int width) const
{
    Filled filled;
    filled.lines = typedLines;
    // The line being filled: as wide as its pieces and the spaces between them.
    double line = 0;
    int piecesOnLine = 0;
    int wordsOnLine = 0;
    for (const Piece& piece : pieces) {
        if (piece.lineStart) {
            line = 0;
            piecesOnLine = 0;
            wordsOnLine = 0;
        }
        if (piece.lineStart || piece.spaces > 0)
            ++wordsOnLine;
        // A space beside a letter may change the pair's width by up to spaceKerning_.
        const double doubt = kDoubt + 2 * spaceKerning_ * wordsOnLine;
        const double reach = line + piece.spaces * spaceAdvance_ + piece.advance;
        // The layout keeps a piece on the line when the line with it and the reach of its last
        // letter is no wider than the width.
        const double needs = reach + piece.overhang;
        if (piecesOnLine == 0 && piece.spaces == 0) {
            // A line's first piece stays on it however wide; one wider than the line is left to
            // the layout.
            if (needs + doubt > width)
                return std::nullopt;
            line = reach;
        } else if (needs + doubt <= width) {
            line = reach;
        } else if (needs - doubt > width && piecesOnLine > 0 && piece.advance + piece.overhang + doubt <= width) {
            // The piece begins the next line; spaces before it stay at the end of this one.
            ++filled.lines;
            line = piece.advance;
            piecesOnLine = 0;
            wordsOnLine = 1;
        } else {
            return std::nullopt;
        }
        filled.widest = std::max(filled.widest, line + piece.overhang);
        ++piecesOnLine;
    }
    return filled;
}

TextHeights::Span TextHeights::laidOut(const QString& text, int width)
{
    Span span;
    span.widest = width;
    if (text.isEmpty() || text.contains(QChar(0x9c))) {
        // An empty text, or one of several lengths to choose from, as the box measures it.
        span.narrowest = width;
        span.height = BaseViewController::fitString(text, font_, static_cast<float>(width)).height;
        return span;
    }
    // The box breaks lines at line feeds and sets tabs and carriage returns as spaces.
    QString laid = text;
    for (QChar& c : laid) {
        if (c == QLatin1Char('\n'))
            c = QChar::LineSeparator;
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    QTextLayout layout(laid, font_);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    const qreal leading = QFontMetricsF(font_).leading();
    // The width every line needs to keep its words: its advance with the reach of its last glyph,
    // as the layout weighs it. Where a word shaped alone may end otherwise than in the text (letters
    // of other scripts), nothing narrower than `width` is known to hold.
    const bool reachKnown = plainScripts(laid);
    double needed = 0;
    qreal height = -leading;
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        height = std::ceil(height + leading) + line.ascent() + line.descent();
        ++lines;
        if (!reachKnown)
            continue;
        qsizetype last = line.textStart() + line.textLength();
        while (last > line.textStart() && breakableSpace(laid[last - 1]))
            --last;
        qsizetype first = last;
        while (first > line.textStart() && !breakableSpace(laid[first - 1]))
            --first;
        const double reach = first < last ? word(QStringView(laid).sliced(first, last - first)).overhang : 0;
        needed = std::max(needed, line.horizontalAdvance() + reach);
    }
    layout.endLayout();
    span.height = static_cast<float>(std::min(QRectF(0, 0, 1, height).toAlignedRect().height(), kMeasureHeight));
    span.narrowest = reachKnown ? std::min(width, static_cast<int>(std::ceil(needed))) : width;
    if (lines == forcedLines(text))
        span.widest = std::numeric_limits<int>::max();
    return span;
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
