#pragma once

#include <QFont>
#include <QHash>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

// The heights of texts wrapped in a width, in one font, as BaseViewController::heightForString
// measures them, each kept with the widths it holds for. Lines wrapped at a width break the same
// way at every width down to the one the widest of them needs with the reach of its last letter
// (no line takes a piece more, and each still fits), and a text none of whose lines was wrapped
// keeps its height at every width above that. So a list refitted as its pane changes width lays
// out again only the texts whose lines would break anew. A text of printable Latin-1 letters is
// not laid out at all: its lines are counted by filling them piece by piece, a piece being a word,
// or the part of one up to a place inside it where the rules of line breaking let a line end, as
// the layout fills them. Each word's width is measured once for all texts, and each text is read
// into its pieces once, so a text is counted again at another width without looking at its words.
// Only a line that ends within a rounding step of the width is left to the layout. Asked with
// another font, it forgets everything first.
class TextHeights
{
public:
    float height(const QString& text, const QFont& font, int width);
    // How many texts were laid out to answer so far.
    std::size_t measured() const { return measured_; }

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
        std::uint32_t spaces : 31 = 0;
        // Whether it begins a line as typed.
        std::uint32_t lineStart : 1 = 0;
    };
    // The last spans measured of one text, the widths a pane moves between lately, and, when
    // every letter of it is a printable Latin-1 one of the font, its pieces, read when it is first
    // counted: once read, its lines are counted at any width without looking at a word again.
    struct Spans {
        std::array<Span, 3> spans;
        std::uint8_t next = 0;
        bool read = false;
        bool countable = false;
        // The lines it has before any is wrapped.
        int typedLines = 1;
        std::vector<Piece> pieces;
    };

    // A word's width and how far its last letter reaches past it, as the layout weighs a line
    // ending in it.
    struct Word {
        double advance = 0;
        double overhang = 0;
    };
    // A word's hash, quick for the short strings words are.
    struct WordHash {
        using is_transparent = void;
        std::size_t operator()(QStringView word) const noexcept
        {
            std::uint64_t hash = 14695981039346656037ULL;
            for (const QChar letter : word)
                hash = (hash ^ letter.unicode()) * 1099511628211ULL;
            return static_cast<std::size_t>(hash);
        }
    };
    struct WordEqual {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };
    // The lines of a text filled piece by piece, and the widest of them with the reach of its last
    // letter.
    struct Filled {
        int lines = 0;
        double widest = 0;
    };

    // The height of `lines` lines none of which was wrapped.
    float unwrappedHeight(int lines);
    // The font's advance of each Latin-1 letter, how far each reaches past it, and how much a
    // space beside a letter may change their widths; made once for the font.
    void measureLetters();
    // Reads the pieces of `text` into `spans`, when every letter of it is a space, a line feed or
    // a printable Latin-1 letter of the font.
    void readPieces(const QString& text, Spans& spans);
    // Whether the rules of line breaking may let a line end between the letters `before` and
    // `after` inside a word, whatever comes before and after them; asked once.
    bool mayBreakBetween(char16_t before, char16_t after);
    // The lines of a text of `pieces` and `typedLines` lines as typed, wrapped in `width`, when no
    // line ends within the doubt of `width`; nothing otherwise.
    std::optional<Filled> filled(const std::vector<Piece>& pieces, int typedLines, int width) const;
    // The width of a word and its last letter's reach, measured once.
    Word word(QStringView letters);
    // Where the word `letters` ends when it ends at `at` letters from its start, in its own
    // layout (which kerns each letter with the next), measured once.
    double advanceWithin(QStringView letters, qsizetype at);
    // Lays `text` out in `width` as BaseViewController::heightForString does: its height, and
    // the narrowest width at which every line keeps its words (just `width` when the text has
    // letters of scripts that a layout of one word alone may shape otherwise than the text's).
    Span laidOut(const QString& text, int width);

    QFont font_;
    bool hasFont_ = false;
    QHash<QString, Spans> texts_;
    std::vector<float> unwrapped_;
    // The font's advance of each Latin-1 letter; -1 for those not printed or not in the font.
    std::vector<double> advances_;
    // How far each Latin-1 letter reaches past its advance (0 for most).
    std::vector<double> overhangs_;
    // The farthest reach the layout weighs at the end of a line: it takes no glyph to reach
    // farther than the font says its farthest does.
    double farthestReach_ = 0;
    // Whether the font sets figures side by side as they are alone (no pair of them kerned).
    bool plainFigures_ = false;
    double spaceAdvance_ = 0;
    // The most a letter's width and a space's together differ from the two apart.
    double spaceKerning_ = 0;
    std::unordered_map<QString, Word, WordHash, WordEqual> words_;
    // For words a line may end inside: where the word ends at each of its letters, in its own
    // layout.
    std::unordered_map<QString, std::vector<double>, WordHash, WordEqual> wordEnds_;
    // Pieces kept with the texts, all told.
    std::size_t piecesKept_ = 0;
    // For each pair of Latin-1 letters, whether a line may end between them inside a word: -1
    // not yet asked, 0 no, 1 yes. It does not depend on the font.
    std::vector<std::int8_t> pairBreaks_;
    std::size_t measured_ = 0;
};
