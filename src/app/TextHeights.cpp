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
#include <cstring>
#include <limits>

namespace {

// Texts kept at most: past this many (texts edited and gone, at various font sizes), all are
// forgotten and measured again as they are asked for.
constexpr std::size_t kMostTexts = 200000;

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

// What a Latin-1 letter is, as TextHeights::kinds_ holds it.
constexpr std::uint8_t kCounted = 1;
constexpr std::uint8_t kAlphabetic = 2;

// What a word is, as TextHeights::Word::kind holds it: every letter of it may stand in a counted
// word; a line may end inside it before a letter (the pair of letters alone decides); a line may
// end inside it before something else (what came before in the text decides too).
constexpr std::uint8_t kWordCounted = 1;
constexpr std::uint8_t kWordBreaks = 2;
constexpr std::uint8_t kWordMayBreak = 4;

// A word's hash, quick for the short strings words are.
constexpr std::uint64_t kWordHashSeed = 14695981039346656037ULL;
constexpr std::uint64_t kWordHashPrime = 1099511628211ULL;

// A text's hash, four letters a step.
std::uint64_t textHash(QStringView text)
{
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ULL;
    const char16_t* at = text.utf16();
    const char16_t* const end = at + text.size();
    std::uint64_t hash = kMix ^ static_cast<std::uint64_t>(text.size());
    for (; end - at >= 4; at += 4) {
        std::uint64_t four;
        std::memcpy(&four, at, sizeof four);
        hash = (hash ^ four) * kMix;
        hash ^= hash >> 29;
    }
    for (; at != end; ++at)
        hash = (hash ^ *at) * kMix;
    return hash ^ (hash >> 32);
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

void TextHeights::HashSlots::add(std::uint64_t hash, std::size_t entry)
{
    if (2 * (count_ + 1) > slots_.size()) {
        std::vector<Slot> grown(2 * slots_.size());
        const std::size_t mask = grown.size() - 1;
        for (const Slot& slot : slots_) {
            if (slot.entry == 0)
                continue;
            std::size_t at = slot.hash & mask;
            while (grown[at].entry != 0)
                at = (at + 1) & mask;
            grown[at] = slot;
        }
        slots_ = std::move(grown);
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at].entry != 0)
        at = (at + 1) & mask;
    slots_[at] = {hash, entry + 1};
    ++count_;
}

void TextHeights::HashSlots::clear()
{
    slots_.assign(1024, Slot());
    count_ = 0;
}

float TextHeights::height(const QString& text, const QFont& font, int width)
{
    if (!hasFont_ || !(font == font_) || texts_.size() > kMostTexts || pieces_.size() > kMostPieces) {
        forgetAll();
        font_ = font;
        hasFont_ = true;
        measureLetters();
    }
    width = std::max(0, width);
    Text& kept = entryOf(text);
    for (const Span& span : kept.spans)
        if (span.narrowest <= width && width <= span.widest)
            return span.height;
    Span& span = kept.spans[kept.next];
    kept.next = static_cast<std::uint8_t>((kept.next + 1) % kept.spans.size());
    if (!kept.read)
        readPieces(kept);
    if (kept.countable) {
        if (const std::optional<Filled> lines =
                filled(std::span(pieces_).subspan(kept.firstPiece, kept.pieceCount), kept.typedLines, width)) {
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

TextHeights::Text& TextHeights::entryOf(const QString& text)
{
    const std::uint64_t hash = textHash(text);
    const std::ptrdiff_t found = textSlots_.find(hash, [&](std::size_t entry) { return texts_[entry].text == text; });
    if (found >= 0)
        return texts_[static_cast<std::size_t>(found)];
    textSlots_.add(hash, texts_.size());
    Text& made = texts_.emplace_back();
    made.text = text;
    return made;
}

void TextHeights::forgetAll()
{
    texts_.clear();
    textSlots_.clear();
    pieces_.clear();
    unwrapped_.clear();
    words_.clear();
    wordLetters_.clear();
    wordSlots_.clear();
    wordEnds_.clear();
}

void TextHeights::measureLetters()
{
    const QFontMetricsF metrics(font_);
    advances_.assign(256, -1);
    overhangs_.assign(256, 0);
    kinds_.assign(256, 0);
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
        kinds_[letter] = static_cast<std::uint8_t>((wordLetter(letter) ? kCounted : 0) |
                                                   (QChar::isLetter(letter) ? kAlphabetic : 0));
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
    std::uint64_t hash = kWordHashSeed;
    for (const QChar letter : letters)
        hash = (hash ^ letter.unicode()) * kWordHashPrime;
    return word(letters, hash);
}

TextHeights::Word TextHeights::word(QStringView letters, std::uint64_t hash)
{
    // Numbers, pages and times are measured letter by letter where the font sets its figures
    // side by side unchanged: a long story has thousands of them, each in one or two texts.
    if (plainFigures_ && std::all_of(letters.begin(), letters.end(), [](QChar c) { return figure(c.unicode()); })) {
        Word summed;
        for (const QChar c : letters)
            summed.advance += advances_[c.unicode()];
        summed.overhang = overhangs_[letters.back().unicode()];
        summed.kind = kindOf(letters);
        return summed;
    }
    const char16_t* const first = letters.utf16();
    const auto size = static_cast<std::uint32_t>(letters.size());
    const std::ptrdiff_t found = wordSlots_.find(hash, [&](std::size_t entry) {
        const WordEntry& kept = words_[entry];
        return kept.size == size && std::equal(first, first + size, wordLetters_.data() + kept.at);
    });
    if (found >= 0)
        return words_[static_cast<std::size_t>(found)].word;
    const QString text = letters.toString();
    // The line's natural width adds the reach of its last glyph, whether the letter's own or one
    // joined with the letters before it, as a line ending in the word adds it; its advance does
    // not. The layout weighs no reach past the font's farthest.
    Word measured = readUnwrapped(text, font_, [this](const QTextLine& line) {
        return Word{line.horizontalAdvance(),
                    std::min(farthestReach_, std::max(0.0, line.naturalTextWidth() - line.horizontalAdvance()))};
    });
    measured.kind = kindOf(letters);
    if (words_.size() >= kMostWords || wordLetters_.size() + size > std::numeric_limits<std::uint32_t>::max()) {
        words_.clear();
        wordLetters_.clear();
        wordSlots_.clear();
    }
    wordSlots_.add(hash, words_.size());
    words_.push_back({static_cast<std::uint32_t>(wordLetters_.size()), size, measured});
    wordLetters_.insert(wordLetters_.end(), first, first + size);
    return measured;
}

std::uint8_t TextHeights::kindOf(QStringView letters)
{
    std::uint8_t kind = kWordCounted;
    for (qsizetype at = 0; at < letters.size(); ++at) {
        const char16_t letter = letters[at].unicode();
        if (letter > 0xff || !(kinds_[letter] & kCounted))
            return 0;
        if (at > 0 && mayBreakBetween(letters[at - 1].unicode(), letter))
            kind |= (kinds_[letter] & kAlphabetic) ? kWordBreaks : kWordMayBreak;
    }
    return kind;
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

bool TextHeights::askBreakBetween(char16_t before, char16_t after)
{
    // Inside a word the rules let a line end between two letters only where the pair of them
    // allows it; what comes around them may only forbid it.
    const QChar pair[] = {QLatin1Char(' '), QChar(before), QChar(after), QLatin1Char(' ')};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, pair, 4);
    finder.setPosition(2);
    const bool breaks = finder.isAtBoundary();
    pairBreaks_[static_cast<std::size_t>(before) * 256 + after] = breaks ? 1 : 0;
    return breaks;
}

template <typename Each>
bool TextHeights::walkWords(const QString& text, int& typedLines, Each each)
{
    const QChar* const begin = text.constData();
    const QChar* const end = begin + text.size();
    Piece next;
    next.lineStart = 1;
    for (const QChar* at = begin; at != end;) {
        const char16_t letter = at->unicode();
        if (letter == u'\n') {
            ++typedLines;
            next = Piece();
            next.lineStart = 1;
            ++at;
            continue;
        }
        if (letter == u' ') {
            ++next.spaces;
            ++at;
            continue;
        }
        const QChar* const start = at;
        std::uint64_t hash = kWordHashSeed;
        for (; at != end && at->unicode() != u' ' && at->unicode() != u'\n'; ++at)
            hash = (hash ^ at->unicode()) * kWordHashPrime;
        if (!each(QStringView(start, at), static_cast<int>(start - begin), hash, next))
            return false;
        next = Piece();
    }
    return true;
}

void TextHeights::readPieces(Text& entry)
{
    entry.read = true;
    const QString& text = entry.text;
    const std::size_t firstPiece = pieces_.size();
    // Most texts are read in one pass. One that may break inside a word before something else
    // than a letter is read again once the places are known (breaksOf).
    bool readAgain = false;
    std::vector<int> breaks;
    const bool counted = walkWords(text, entry.typedLines,
                                   [&](QStringView letters, int wordStart, std::uint64_t hash, Piece piece) {
        const Word whole = word(letters, hash);
        if (!(whole.kind & kWordCounted))
            return false;
        readAgain = readAgain || (whole.kind & kWordMayBreak);
        if (readAgain)
            return true;
        if (whole.kind & kWordBreaks) {
            breaks.clear();
            for (qsizetype inside = 1; inside < letters.size(); ++inside)
                if (mayBreakBetween(letters[inside - 1].unicode(), letters[inside].unicode()))
                    breaks.push_back(wordStart + static_cast<int>(inside));
            appendWord(piece, letters, wordStart, breaks);
        } else {
            piece.advance = static_cast<float>(whole.advance);
            piece.overhang = static_cast<float>(whole.overhang);
            pieces_.push_back(piece);
        }
        return true;
    });
    if (!counted) {
        pieces_.resize(firstPiece);
        entry.typedLines = 1;
        return;
    }
    if (readAgain) {
        pieces_.resize(firstPiece);
        entry.typedLines = 1;
        breaks = breaksOf(text);
        auto nextBreak = breaks.begin();
        walkWords(text, entry.typedLines, [&](QStringView letters, int wordStart, std::uint64_t, Piece piece) {
            const auto first = nextBreak;
            while (nextBreak != breaks.end() && *nextBreak < wordStart + letters.size())
                ++nextBreak;
            appendWord(piece, letters, wordStart, std::span(first, nextBreak));
            return true;
        });
    }
    entry.firstPiece = static_cast<std::uint32_t>(firstPiece);
    entry.pieceCount = static_cast<std::uint32_t>(pieces_.size() - firstPiece);
    entry.countable = entry.pieceCount > 0;
}

std::vector<int> TextHeights::breaksOf(const QString& text)
{
    // Before a letter the pair alone decides. Before anything else a number may keep the stop or
    // sign in front of it to itself, and a number reaches across spaces into the words after it;
    // but a letter closes any number and starts afresh. So the part of the text from the last
    // letter before such a place to the first letter after it is read as the layout reads it.
    std::vector<int> found;
    const auto alphabetic = [this, &text](qsizetype at) { return (kinds_[text[at].unicode()] & kAlphabetic) != 0; };
    const auto inWord = [&text](qsizetype at) { return text[at] != QLatin1Char(' ') && text[at] != QLatin1Char('\n'); };
    for (qsizetype at = 1; at < text.size(); ++at) {
        if (!inWord(at - 1) || !inWord(at) || !mayBreakBetween(text[at - 1].unicode(), text[at].unicode()))
            continue;
        if (alphabetic(at)) {
            found.push_back(static_cast<int>(at));
            continue;
        }
        qsizetype from = at - 1;
        while (from > 0 && !alphabetic(from))
            --from;
        qsizetype to = at;
        while (to + 1 < text.size() && !alphabetic(to))
            ++to;
        while (!found.empty() && found.back() > from)
            found.pop_back();
        const QStringView part = QStringView(text).sliced(from, to + 1 - from);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, part.data(), part.size());
        for (qsizetype inPart = finder.toNextBoundary(); inPart > 0 && inPart < part.size();
             inPart = finder.toNextBoundary()) {
            if (inWord(from + inPart - 1) && inWord(from + inPart))
                found.push_back(static_cast<int>(from + inPart));
        }
        at = to;
    }
    return found;
}

void TextHeights::appendWord(Piece piece, QStringView letters, int wordStart, std::span<const int> breaks)
{
    const Word whole = word(letters);
    // The word goes onto the lines in pieces, each ending where a line may end inside it: where
    // each ends in the word's own layout, and the reach of its last letter.
    double fromAdvance = 0;
    for (const int at : breaks) {
        const qsizetype to = at - wordStart;
        const double ends = advanceWithin(letters, to);
        piece.advance = static_cast<float>(ends - fromAdvance);
        piece.overhang = static_cast<float>(word(letters.first(to)).overhang);
        pieces_.push_back(piece);
        piece = Piece();
        fromAdvance = ends;
    }
    piece.advance = static_cast<float>(whole.advance - fromAdvance);
    piece.overhang = static_cast<float>(whole.overhang);
    pieces_.push_back(piece);
}

std::optional<TextHeights::Filled> TextHeights::filled(std::span<const Piece> pieces, int typedLines,
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
