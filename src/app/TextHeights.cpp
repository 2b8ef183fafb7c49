#include "TextHeights.h"

#include "BaseViewController.h"
#include "TextsReadAhead.h"

#include <QChar>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

// Texts kept at most: past this many (texts edited and gone, at various font sizes), all are
// forgotten and measured again as they are asked for.
constexpr std::size_t kMostTexts = 200000;

// Room left beside a counted text's widest line before its height is taken to hold.
constexpr int kOverhang = 1;

// The most letters the layout shapes as one run: a longer line is shaped in parts of this many,
// and a word across two parts is shaped otherwise than alone, so such a text is left to the layout.
constexpr int kLongestRun = 4096;

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
constexpr std::u16string_view kFigures = u"0123456789.,:()";

// Which ASCII letters kFigures holds.
constexpr std::array<bool, 0x80> kFigureLetters = [] {
    std::array<bool, 0x80> figures{};
    for (const char16_t letter : kFigures)
        figures[letter] = true;
    return figures;
}();

bool figure(char16_t letter)
{
    return letter < kFigureLetters.size() && kFigureLetters[letter];
}

// What a letter is in the font, as TextHeights::letters_ holds it: whether it is known yet,
// whether it may stand in a word whose lines are counted, whether it is a letter of an alphabet,
// and the script of a counted letter that belongs to one (figures, stops, quotes and dashes
// belong to every script).
constexpr std::uint8_t kKnown = 0x80;
constexpr std::uint8_t kCounted = 1;
constexpr std::uint8_t kAlphabetic = 2;
constexpr std::uint8_t kLatin = 4;
constexpr std::uint8_t kGreek = 8;
constexpr std::uint8_t kCyrillic = 16;
constexpr std::uint8_t kScripts = kLatin | kGreek | kCyrillic;

// What a word is, as TextHeights::Word::kind holds it: every letter of it may stand in a counted
// word; a line may end inside it before a letter (the pair of letters alone decides); a line may
// end inside it before something else (what came before in the text decides too).
constexpr std::uint8_t kWordCounted = 1;
constexpr std::uint8_t kWordBreaks = 2;
constexpr std::uint8_t kWordMayBreak = 4;

// The letters that stand inside words as the layout reads them though they are no letters of an
// alphabet: the no-break spaces (French typography sets them before : ; ! ? and inside « »), which
// join what stands on either side into one word, the soft hyphen, which shows only where a line
// ends at it, and the zero-width space, where a line may end and which takes no room.
constexpr char16_t kNoBreakSpace = 0xa0;
constexpr char16_t kNarrowNoBreakSpace = 0x202f;
constexpr char16_t kSoftHyphen = 0xad;
constexpr char16_t kZeroWidthSpace = 0x200b;

// Whether `letter` is one of the marks joined to the letter before (a decomposed é), which the
// layout sets in one cluster with it, and which belong to no script of their own.
bool joinedMark(char16_t letter)
{
    return letter >= 0x300 && letter < 0x370;
}

// Whether `letter` is a space that joins the words on either side.
bool noBreakSpace(char16_t letter)
{
    return letter == kNoBreakSpace || letter == kNarrowNoBreakSpace;
}

// The letter before `at` that a line may end after: marks joined to a letter go with it.
char16_t baseBefore(QStringView text, qsizetype at)
{
    qsizetype before = at - 1;
    while (before > 0 && joinedMark(text[before].unicode()))
        --before;
    return text[before].unicode();
}

// Whether `letter` may stand in a word whose lines are counted: a letter of a script whose lines
// break between words as Latin's do (Latin with its accented and extended letters, Greek,
// Cyrillic), a figure, or a stop, quote, dash, currency sign or other mark of punctuation, each
// set as it is; a mark joined to the letter before; a no-break space, the soft hyphen or the
// zero-width space. Neither a space where a line may end nor a control. Scripts whose lines break
// otherwise (Chinese, Japanese, Thai) and emoji are left to the layout.
bool wordLetter(char16_t letter)
{
    if (joinedMark(letter) || letter == kNoBreakSpace || letter == kNarrowNoBreakSpace || letter == kSoftHyphen ||
        letter == kZeroWidthSpace)
        return true;
    const bool counted = (letter > 0x20 && letter < 0x7f) || (letter > 0xa0 && letter < 0x300) || // Latin
                         (letter >= 0x370 && letter < 0x530) ||   // Greek, Cyrillic
                         (letter >= 0x1e00 && letter < 0x2000) || // Latin and Greek extended
                         (letter >= 0x2010 && letter < 0x2028) || // dashes, quotes, ellipsis
                         (letter >= 0x2030 && letter < 0x205f) || // more punctuation
                         (letter >= 0x20a0 && letter < 0x20d0);   // currency signs
    if (!counted)
        return false;
    switch (QChar::category(letter)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        return true;
    }
}

// The script of a counted letter, as TextHeights::letters_ holds it; 0 for one every script shares.
std::uint8_t scriptOf(char16_t letter)
{
    switch (QChar::script(letter)) {
    case QChar::Script_Latin:
        return kLatin;
    case QChar::Script_Greek:
        return kGreek;
    case QChar::Script_Cyrillic:
        return kCyrillic;
    default:
        return 0;
    }
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

// Whether the words of `text` are shaped alone as in the whole text: a layout gives each script's
// letters a run of their own, which the letters every script shares join, so a text of Latin,
// Greek or Cyrillic letters keeping to one of them; and whether no letter changes its line's end
// (a soft hyphen shows only there).
bool plainScripts(const QString& text)
{
    QChar::Script seen = QChar::Script_Common;
    for (const QChar c : text) {
        const QChar::Script script = c.script();
        if (c.isSurrogate() || c == QChar::SoftHyphen)
            return false;
        if (script == QChar::Script_Common || script == QChar::Script_Inherited)
            continue;
        if ((script != QChar::Script_Latin && script != QChar::Script_Greek && script != QChar::Script_Cyrillic) ||
            (seen != QChar::Script_Common && script != seen))
            return false;
        seen = script;
    }
    return true;
}

} // namespace

float TextHeights::height(const QString& text, const QFont& font, int width)
{
    useFont(font);
    width = std::max(0, width);
    const std::uint64_t hash = textHash(text);
    Text& kept = entryOf(text, hash);
    if (!kept.read)
        takeReadAhead(kept, hash);
    for (const Span& span : kept.spans)
        if (span.narrowest <= width && width <= span.widest)
            return span.height;
    Span& span = kept.spans[kept.next];
    kept.next = static_cast<std::uint8_t>((kept.next + 1) % kept.spans.size());
    if (!kept.read) {
        readPieces(kept);
        if (aheadFace_ >= 0)
            ahead_->readHere(static_cast<std::size_t>(aheadFace_), hash);
    }
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

void TextHeights::useFont(const QFont& font)
{
    if (hasFont_ && font == font_ && texts_.size() <= kMostTexts && pieces_.size() <= kMostPieces)
        return;
    forgetAll();
    font_ = font;
    hasFont_ = true;
    aheadFace_ = kFaceNotKnown;
    measureLetters();
}

TextHeights::Text& TextHeights::entryOf(const QString& text, std::uint64_t hash)
{
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
    letters_.assign(0x10000, 0);
    advances_.assign(256, -1);
    overhangs_.assign(256, 0);
    spaceAdvance_ = metrics.horizontalAdvance(QLatin1Char(' '));
    // A soft hyphen ending a text shows as it shows where a line ends at it.
    softHyphenAdvance_ = readUnwrapped(QString(QChar(kSoftHyphen)), font_,
                                       [](const QTextLine& line) { return line.horizontalAdvance(); });
    spaceKerning_ = 0;
    // The layout rounds the font's farthest reach to its own fixed point; this is never less.
    farthestReach_ = std::ceil(std::max(0.0, -metrics.minRightBearing()) * 64) / 64;
    for (char16_t letter = 0x21; letter < 0x100; ++letter) {
        if (!wordLetter(letter) || !metrics.inFont(QChar(letter)))
            continue;
        advances_[letter] = metrics.horizontalAdvance(QChar(letter));
        // The reach the layout weighs when a line ends in this letter.
        overhangs_[letter] = std::min(farthestReach_, std::max(0.0, -metrics.rightBearing(QChar(letter))));
    }
    plainFigures_ = true;
    for (const char16_t first : kFigures)
        for (const char16_t second : kFigures)
            if (advances_[first] < 0 || metrics.horizontalAdvance(QString(QChar(first)) + QChar(second)) !=
                                            advances_[first] + advances_[second])
                plainFigures_ = false;
    // A line of the font's own letters, as high as every line whose letters all come from it.
    readUnwrapped(QStringLiteral("X"), font_, [this](const QTextLine& line) {
        const QList<QGlyphRun> runs = line.glyphRuns();
        face_ = runs.isEmpty() ? QString() : runs.front().rawFont().familyName() + runs.front().rawFont().styleName();
        lineAscent_ = line.ascent();
        lineDescent_ = line.descent();
        return 0;
    });
}

std::uint8_t TextHeights::learnLetter(char16_t letter)
{
    std::uint8_t kind = kKnown;
    // A letter the font lacks comes from another font, whose lines may stand higher. The layout is
    // asked which face it sets a letter past Latin-1 in: a script's letters may be looked for in
    // another font first.
    const auto setInTheFont = [this](const QTextLine& line) {
        const QList<QGlyphRun> runs = line.glyphRuns();
        return runs.size() == 1 && runs.front().rawFont().familyName() + runs.front().rawFont().styleName() == face_ &&
               line.ascent() == lineAscent_ && line.descent() == lineDescent_;
    };
    // Nor may a space beside it be taken from another font, as a space beside some letters of
    // another script is (the system's monospaced face sets U+02EA in its own, and a space
    // beside it in another, narrower).
    const auto spacesInTheFont = [this](const QTextLine& line) {
        const QList<QGlyphRun> runs = line.glyphRuns();
        return std::all_of(runs.begin(), runs.end(), [this](const QGlyphRun& run) {
            return run.rawFont().familyName() + run.rawFont().styleName() == face_;
        });
    };
    const QString alone(QChar{letter});
    const QString space(QLatin1Char(' '));
    const bool counted = letter < 0x100 ? advances_[letter] >= 0
                                        : wordLetter(letter) && readUnwrapped(alone, font_, setInTheFont) &&
                                              readUnwrapped(alone + space, font_, spacesInTheFont) &&
                                              readUnwrapped(space + alone, font_, spacesInTheFont);
    if (counted) {
        kind |= kCounted | scriptOf(letter);
        if (QChar::isLetter(letter) && QChar::category(letter) != QChar::Letter_Modifier)
            kind |= kAlphabetic;
        // A space beside it may change the pair's width.
        const QFontMetricsF metrics(font_);
        const double advance = metrics.horizontalAdvance(alone);
        for (const QString& pair : {alone + space, space + alone})
            spaceKerning_ =
                std::max(spaceKerning_, std::abs(metrics.horizontalAdvance(pair) - advance - spaceAdvance_));
    }
    letters_[letter] = kind;
    return kind;
}

TextHeights::Word TextHeights::word(QStringView letters)
{
    return word(letters, wordHash(letters));
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
        const std::uint8_t letterKind = kindOfLetter(letter);
        if (!(letterKind & kCounted))
            return 0;
        // A mark or a no-break space at a word's start goes with the space before it, and a line
        // that may end before a no-break space ends there as at a space; a soft hyphen is counted
        // only where the line may end after it and another letter of the word follows.
        if (at == 0 ? joinedMark(letter) || noBreakSpace(letter)
                    : !joinedMark(letter) && mayBreakBetween(baseBefore(letters, at), letter)) {
            if (at == 0 || noBreakSpace(letter))
                return 0;
            kind |= (letterKind & kAlphabetic) ? kWordBreaks : kWordMayBreak;
        }
        if (letter == kSoftHyphen &&
            (at == 0 || at + 1 == letters.size() || !(kindOfLetter(letters[at + 1].unicode()) & kAlphabetic)))
            return 0;
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
    if (before < 256 && after < 256)
        pairBreaks_[static_cast<std::size_t>(before) * 256 + after] = breaks ? 1 : 0;
    else
        widePairBreaks_.emplace(static_cast<std::uint32_t>(before) << 16 | after, breaks);
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
        while (at != end && at->unicode() != u' ' && at->unicode() != u'\n')
            ++at;
        const QStringView letters(start, at);
        if (!each(letters, static_cast<int>(start - begin), wordHash(letters), next))
            return false;
        next = Piece();
    }
    return true;
}

void TextHeights::readPieces(Text& entry)
{
    entry.read = true;
    const QString& text = entry.text;
    // Every letter is looked at before any word is measured, so that a text left to the layout
    // costs no more than the layout.
    std::uint8_t scripts = 0;
    int lineLength = 0;
    for (const QChar c : text) {
        lineLength = c.unicode() == u'\n' ? 0 : lineLength + 1;
        if (lineLength > kLongestRun)
            return;
        if (c.unicode() == u' ' || c.unicode() == u'\n')
            continue;
        const std::uint8_t kind = kindOfLetter(c.unicode());
        if (!(kind & kCounted))
            return;
        scripts |= kind;
    }
    // The letters of one script are one run, which splits no word.
    const bool oneScript = std::popcount(static_cast<unsigned>(scripts & kScripts)) <= 1;
    const std::size_t firstPiece = pieces_.size();
    // The script of the run the layout sets the text's letters in as the words go by: figures,
    // stops and the like join the run before them, or the first one at the text's start.
    std::uint8_t run = 0;
    // Most texts are read in one pass. One that may break inside a word before something else
    // than a letter is read again once the places are known (breaksOf).
    bool readAgain = false;
    std::vector<int> breaks;
    const bool counted = walkWords(text, entry.typedLines,
                                   [&](QStringView letters, int wordStart, std::uint64_t hash, Piece piece) {
        const Word whole = word(letters, hash);
        if (!(whole.kind & kWordCounted))
            return false;
        const qsizetype split = oneScript ? 0 : runSplit(letters, run);
        readAgain = readAgain || (whole.kind & kWordMayBreak);
        if (readAgain)
            return true;
        if (!(whole.kind & kWordBreaks) && split == 0) {
            piece.advance = static_cast<float>(whole.advance);
            piece.overhang = static_cast<float>(whole.overhang);
            pieces_.push_back(piece);
            return true;
        }
        breaks.clear();
        if (whole.kind & kWordBreaks)
            for (qsizetype inside = 1; inside < letters.size(); ++inside)
                if (!joinedMark(letters[inside].unicode()) &&
                    mayBreakBetween(baseBefore(letters, inside), letters[inside].unicode()))
                    breaks.push_back(wordStart + static_cast<int>(inside));
        return appendWord(piece, letters, wordStart, breaks, split);
    });
    if (counted && readAgain) {
        pieces_.resize(firstPiece);
        entry.typedLines = 1;
        run = 0;
        breaks = breaksOf(text);
        auto nextBreak = breaks.begin();
        const bool again = walkWords(text, entry.typedLines, [&](QStringView letters, int wordStart, std::uint64_t,
                                                                 Piece piece) {
            const auto first = nextBreak;
            while (nextBreak != breaks.end() && *nextBreak < wordStart + letters.size())
                ++nextBreak;
            return appendWord(piece, letters, wordStart, std::span(first, nextBreak),
                              oneScript ? 0 : runSplit(letters, run));
        });
        if (!again) {
            pieces_.resize(firstPiece);
            entry.typedLines = 1;
            return;
        }
    }
    if (!counted) {
        pieces_.resize(firstPiece);
        entry.typedLines = 1;
        return;
    }
    entry.firstPiece = static_cast<std::uint32_t>(firstPiece);
    entry.pieceCount = static_cast<std::uint32_t>(pieces_.size() - firstPiece);
    entry.countable = entry.pieceCount > 0;
}

qsizetype TextHeights::runSplit(QStringView letters, std::uint8_t& run)
{
    // A layout gives each script's letters a run of their own and shapes each run apart. Figures,
    // stops, quotes and marks belong to every script and join the run before them, where a word
    // alone joins them to its own first letters. So a word whose first letters of a script follow
    // others of that kind, in a text whose run before it is another script's, is two runs there.
    qsizetype split = 0;
    bool shared = true;
    for (qsizetype at = 0; at < letters.size(); ++at) {
        const std::uint8_t script = kindOfLetter(letters[at].unicode()) & kScripts;
        if (!script)
            continue;
        if (shared && at > 0 && run != 0 && script != run)
            split = at;
        shared = false;
        run = script;
    }
    return split;
}

std::vector<int> TextHeights::breaksOf(const QString& text)
{
    // Before a letter the pair alone decides. Before anything else a number may keep the stop or
    // sign in front of it to itself, and a number reaches across spaces into the words after it;
    // but a letter closes any number and starts afresh. So the part of the text from the last
    // letter before such a place to the first letter after it is read as the layout reads it.
    std::vector<int> found;
    const auto alphabetic = [this, &text](qsizetype at) {
        return (kindOfLetter(text[at].unicode()) & kAlphabetic) != 0;
    };
    const auto inWord = [&text](qsizetype at) { return text[at] != QLatin1Char(' ') && text[at] != QLatin1Char('\n'); };
    for (qsizetype at = 1; at < text.size(); ++at) {
        if (!inWord(at - 1) || !inWord(at) || joinedMark(text[at].unicode()) ||
            !mayBreakBetween(baseBefore(text, at), text[at].unicode()))
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

bool TextHeights::appendWord(Piece piece, QStringView letters, int wordStart, std::span<const int> breaks,
                             qsizetype split)
{
    // The word's runs (runSplit), each shaped alone: the first `split` letters and the rest.
    const QStringView head = letters.first(split);
    const QStringView tail = letters.sliced(split);
    if (split > 0 && head.back().unicode() == kSoftHyphen)
        return false;
    // Where the word ends, in the text, at `at` letters from its start, and the run that holds
    // the letters before: itself when `at` ends it, a part of it shaped alone otherwise.
    const auto endsAt = [&](qsizetype at) {
        const QStringView own = at <= split ? head : tail;
        const qsizetype inOwn = at <= split ? at : at - split;
        const double before = at <= split || split == 0 ? 0 : word(head).advance;
        return before + (inOwn == own.size() ? word(own).advance : advanceWithin(own, inOwn));
    };
    const auto ownFirst = [&](qsizetype at) { return at <= split ? head.first(at) : tail.first(at - split); };
    // The word goes onto the lines in pieces, each ending where a line may end inside it: where
    // each ends in the word's layout, and the reach of its last letter.
    double fromAdvance = 0;
    for (const int at : breaks) {
        const qsizetype to = at - wordStart;
        const double ends = endsAt(to);
        const Word alone = word(ownFirst(to));
        piece.advance = static_cast<float>(ends - fromAdvance);
        piece.overhang = static_cast<float>(alone.overhang);
        if (letters[to - 1].unicode() == kSoftHyphen) {
            // Ending a part alone, the soft hyphen shows as it shows at the end of a line.
            const double hyphen = alone.advance - (ends - (to <= split || split == 0 ? 0 : word(head).advance));
            if (std::abs(hyphen - softHyphenAdvance_) > kDoubt / 2)
                return false;
            piece.softHyphen = 1;
        }
        pieces_.push_back(piece);
        piece = Piece();
        fromAdvance = ends;
    }
    piece.advance = static_cast<float>(endsAt(letters.size()) - fromAdvance);
    piece.overhang = static_cast<float>(word(split > 0 ? tail : letters).overhang);
    pieces_.push_back(piece);
    return true;
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
        // letter is no wider than the width; a piece ending at a soft hyphen after others on the
        // line must leave room for the hyphen too, whether the line ends there or not.
        double hyphen = piece.softHyphen && piecesOnLine > 0 ? softHyphenAdvance_ : 0;
        const double needs = reach + hyphen + piece.overhang;
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
            hyphen = 0;
        } else {
            return std::nullopt;
        }
        filled.widest = std::max(filled.widest, line + hyphen + piece.overhang);
        ++piecesOnLine;
    }
    return filled;
}

TextHeights::Span TextHeights::laidOut(const QString& text, int width)
{
    Span span;
    span.widest = width;
    // The width every line needs to keep its words: its advance with the reach of its last glyph,
    // as the layout weighs it. Where a word shaped alone may end otherwise than in the text (letters
    // of other scripts), nothing narrower than `width` is known to hold. The layout reads a line
    // feed as a line separator, both spaces where a line may end.
    const bool reachKnown = plainScripts(text);
    double needed = 0;
    int lines = 0;
    span.height = BaseViewController::layOutAsPainted(text, font_, width, [&](const QTextLine& line) {
        ++lines;
        if (!reachKnown)
            return;
        qsizetype last = line.textStart() + line.textLength();
        while (last > line.textStart() && breakableSpace(text[last - 1]))
            --last;
        qsizetype first = last;
        while (first > line.textStart() && !breakableSpace(text[first - 1]))
            --first;
        const double reach = first < last ? word(QStringView(text).sliced(first, last - first)).overhang : 0;
        needed = std::max(needed, line.horizontalAdvance() + reach);
    });
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
