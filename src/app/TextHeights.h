#pragma once

#include "HashSlots.h"

#include <QFont>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

class TextsReadAhead;

// The heights of texts wrapped in a width, in one font, as BaseViewController::heightForString
// measures them, each kept with the widths it holds for. Lines wrapped at a width break the same
// way at every width down to the one the widest of them needs with the reach of its last letter
// (no line takes a piece more, and each still fits), and a text none of whose lines was wrapped
// keeps its height at every width above that. So a list refitted as its pane changes width lays
// out again only the texts whose lines would break anew. A text of letters of scripts whose lines
// break between words as Latin's do (Latin, Greek or Cyrillic in any mix, and the figures, stops,
// quotes, dashes and ellipses they share, with no-break spaces, marks joined to letters, soft
// hyphens and zero-width spaces) is not laid out at all: its lines are counted by filling them
// piece by piece, a piece being a word, or the part of one up to a place inside it where the rules
// of line breaking let a line end, as the layout fills them. Each word's width is measured once
// for all texts, and each text is read into its pieces once (here, or ahead on other threads:
// TextsReadAhead), so a text is counted again at another width without looking at its words.
// Only a line that ends within a rounding step of the width, and a text of other scripts
// (Chinese, Japanese, emoji) or of letters the font lacks, is left to the layout, which then
// costs what it costs alone. Asked with another font, it forgets everything first.
class TextHeights
{
private:
    // A height and the widths it holds for; an empty span holds for none.
    struct Span {
        int narrowest = 1;
        int widest = 0;
        float height = 0;
    };
    // A piece of a text as its lines are filled: a word, or the part of one up to a place inside
    // it where a line may end, with its width and the reach of its last letter as the layout
    // weighs a line ending in it, and the spaces before it.
    struct Piece {
        float advance = 0;
        float overhang = 0;
        std::uint32_t spaces : 30 = 0;
        // Whether it begins a line as typed.
        std::uint32_t lineStart : 1 = 0;
        // Whether it ends at a soft hyphen, which shows where the line ends at it.
        std::uint32_t softHyphen : 1 = 0;
    };

public:
    // What reading a text in a font finds, and its height at a width: whether its lines are
    // counted and, when they are, its pieces; the same whichever TextHeights reads it, on
    // whichever thread.
    class Reading
    {
    private:
        friend class TextHeights;
        bool countable_ = false;
        int typedLines_ = 1;
        std::vector<Piece> pieces_;
        std::optional<Span> span_;
        // The most a letter of the reader's, the text's among them, changes its width beside a
        // space (spaceKerning_).
        double spaceKerning_ = 0;
    };

    float height(const QString& text, const QFont& font, int width);
    // How many texts were laid out to answer so far.
    std::size_t measured() const { return measured_; }
    // Reads `text` in `font` as height() reads it, with its height at `width` when that is more
    // than 0: on any thread, in a font of that thread's own.
    Reading read(const QString& text, const QFont& font, int width);
    // Texts are taken as `ahead` read them (nothing: none), where it read them in the font asked
    // with; `ahead` outlives its use here.
    void takeReadingsFrom(TextsReadAhead* ahead);

private:
    // A text, the last spans measured of it (the widths a pane moves between lately) and, when
    // every letter of it may stand in a counted word (TextHeights.cpp, wordLetter) and comes from
    // the font, where its pieces lie in pieces_, read when it is first counted: once read, its lines
    // are counted at any width without looking at a word again.
    struct Text {
        QString text;
        std::array<Span, 3> spans;
        std::uint8_t next = 0;
        bool read = false;
        bool countable = false;
        // The lines it has before any is wrapped.
        int typedLines = 1;
        std::uint32_t firstPiece = 0;
        std::uint32_t pieceCount = 0;
    };

    // A word's width and how far its last letter reaches past it, as the layout weighs a line
    // ending in it.
    struct Word {
        double advance = 0;
        double overhang = 0;
        // What its letters say of counting it (kWordCounted and the others, TextHeights.cpp).
        std::uint8_t kind = 0;
    };
    // A word measured, and where its letters lie in wordLetters_.
    struct WordEntry {
        std::uint32_t at = 0;
        std::uint32_t size = 0;
        Word word;
    };
    // The lines of a text filled piece by piece, and the widest of them with the reach of its last
    // letter.
    struct Filled {
        int lines = 0;
        double widest = 0;
    };

    // The entry of `text`, whose textHash is `hash`, made when it has none.
    Text& entryOf(const QString& text, std::uint64_t hash);
    // Takes `font`, forgetting everything when it is another, or when too much is kept.
    void useFont(const QFont& font);
    // Fills the entry, whose text's textHash is `hash`, from ahead_'s reading of it; answers
    // whether there was one.
    bool takeReadAhead(Text& entry, std::uint64_t hash);
    // Forgets every text and word, and the font's measures.
    void forgetAll();
    // The height of `lines` lines none of which was wrapped.
    float unwrappedHeight(int lines);
    // The font's advance of each Latin-1 letter and how far each reaches past it, and the line of
    // its own letters; made once for the font, which then knows no letter yet.
    void measureLetters();
    // What `letter` is in the font (kCounted and the others, TextHeights.cpp), worked out once.
    std::uint8_t kindOfLetter(char16_t letter)
    {
        const std::uint8_t known = letters_[letter];
        return known ? known : learnLetter(letter);
    }
    // Works out what `letter` is, and how much a space beside it may change their widths.
    std::uint8_t learnLetter(char16_t letter);
    // Reads the pieces of the entry's text into pieces_, when every letter of it is a space, a
    // line feed or a letter that may stand in a counted word.
    void readPieces(Text& entry);
    // Walks the words of `text`, a word being what stands between spaces and line feeds: calls
    // `each(letters, wordStart, hash, piece)` for each, with the word's letters, where it begins
    // in the text, its hash and the piece it begins (the spaces before it, and whether it begins
    // a line as typed), until `each` answers false. Counts the text's lines as typed into
    // `typedLines`. Answers whether every word was walked.
    template <typename Each>
    static bool walkWords(const QString& text, int& typedLines, Each each);
    // Appends the pieces of the word `letters`, which begins `wordStart` letters into its text and
    // may end a line at the places `breaks` (counted in the text), the first as `piece` says; the
    // text sets its first `split` letters in the run of the script before it (runSplit). Answers
    // false, appending what it may, when a soft hyphen in it does not show as the font's does.
    bool appendWord(Piece piece, QStringView letters, int wordStart, std::span<const int> breaks, qsizetype split);
    // Where the word `letters` is split into runs of two scripts in a text whose letters so far
    // end in a run of the script `run` (kLatin and the others, 0 before any), or 0; moves `run`
    // past the word.
    qsizetype runSplit(QStringView letters, std::uint8_t& run);
    // Whether the rules of line breaking may let a line end between the letters `before` and
    // `after` inside a word, whatever comes before and after them; asked once.
    bool mayBreakBetween(char16_t before, char16_t after)
    {
        if (before < 256 && after < 256) {
            const std::int8_t known = pairBreaks_[static_cast<std::size_t>(before) * 256 + after];
            return known < 0 ? askBreakBetween(before, after) : known > 0;
        }
        const auto known = widePairBreaks_.find(static_cast<std::uint32_t>(before) << 16 | after);
        return known == widePairBreaks_.end() ? askBreakBetween(before, after) : known->second;
    }
    bool askBreakBetween(char16_t before, char16_t after);
    // The places inside the words of `text` where the rules of line breaking let a line end, in
    // order, read as the layout reads them.
    std::vector<int> breaksOf(const QString& text);
    // The lines of a text of `pieces` and `typedLines` lines as typed, wrapped in `width`, when no
    // line ends within the doubt of `width`; nothing otherwise.
    std::optional<Filled> filled(std::span<const Piece> pieces, int typedLines, int width) const;
    // The width of a word and its last letter's reach, measured once, and what its letters are.
    Word word(QStringView letters);
    // The same, of a word whose hash is known.
    Word word(QStringView letters, std::uint64_t hash);
    std::uint8_t kindOf(QStringView letters);
    // Where the word `letters` ends when it ends at `at` letters from its start, in its own
    // layout (which kerns each letter with the next), measured once.
    double advanceWithin(QStringView letters, qsizetype at);
    // Lays `text` out in `width` as BaseViewController::heightForString does: its height, and
    // the narrowest width at which every line keeps its words (just `width` when the text has
    // letters of scripts that a layout of one word alone may shape otherwise than the text's).
    Span laidOut(const QString& text, int width);

    QFont font_;
    bool hasFont_ = false;
    std::vector<Text> texts_;
    HashSlots textSlots_;
    // The pieces of every text read, one text's after another's.
    std::vector<Piece> pieces_;
    std::vector<float> unwrapped_;
    // What each letter of the Basic Multilingual Plane is in the font, once worked out (0 before):
    // whether it may stand in a word whose lines are counted, whether it is a letter of an
    // alphabet, and its script (kKnown and the others, TextHeights.cpp).
    std::vector<std::uint8_t> letters_;
    // The font's advance of each Latin-1 letter that may stand in a counted word; -1 for the
    // others and those not in the font.
    std::vector<double> advances_;
    // How far each Latin-1 letter reaches past its advance (0 for most).
    std::vector<double> overhangs_;
    // The family and style of the face the layout sets the font's own letters in, and the ascent
    // and descent of a line of them.
    QString face_;
    double lineAscent_ = 0;
    double lineDescent_ = 0;
    // The farthest reach the layout weighs at the end of a line: it takes no glyph to reach
    // farther than the font says its farthest does.
    double farthestReach_ = 0;
    // Whether the font sets figures side by side as they are alone (no pair of them kerned).
    bool plainFigures_ = false;
    double spaceAdvance_ = 0;
    // How wide a soft hyphen shows where a line ends at it.
    double softHyphenAdvance_ = 0;
    // The most a letter's width and a space's together differ from the two apart.
    double spaceKerning_ = 0;
    // The words measured, their letters one after another.
    std::vector<WordEntry> words_;
    std::vector<char16_t> wordLetters_;
    HashSlots wordSlots_;
    // For words a line may end inside: where the word ends at each of its letters, in its own
    // layout.
    struct WordHash {
        using is_transparent = void;
        std::size_t operator()(QStringView word) const noexcept { return qHash(word); }
    };
    struct WordEqual {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };
    std::unordered_map<QString, std::vector<double>, WordHash, WordEqual> wordEnds_;
    // For each pair of Latin-1 letters, whether a line may end between them inside a word: -1
    // not yet asked, 0 no, 1 yes; and for the pairs asked of other letters, by both letters' codes.
    // It does not depend on the font.
    std::vector<std::int8_t> pairBreaks_ = std::vector<std::int8_t>(256 * 256, -1);
    std::unordered_map<std::uint32_t, bool> widePairBreaks_;
    std::size_t measured_ = 0;
    TextsReadAhead* ahead_ = nullptr;
    // The face of ahead_ that is the font, -1 for none, or kFaceNotKnown before ahead_ knows.
    static constexpr std::ptrdiff_t kFaceNotKnown = -2;
    std::ptrdiff_t aheadFace_ = kFaceNotKnown;
};
