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
// way at every width from their widest line up to that width (no line takes a word more, and each
// still fits), and a text none of whose lines was wrapped keeps its height at every width above
// its widest line. So a list refitted as its pane changes width lays out again only the texts
// whose lines would break anew. A text of Latin-1 letters whose lines plainly fit is not laid out
// at all: its height is that of as many unwrapped lines. Nor is a text of plain words, which can
// break only at its spaces: its lines are counted by filling them word by word with each word's
// width, measured once for all texts, unless a line ends too near the width to tell. Asked with
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
    // The last spans measured of one text: the widths a pane moves between lately.
    struct Spans {
        std::array<Span, 3> spans;
        std::uint8_t next = 0;
    };

    // A word's width and how far its last letter reaches past it.
    struct Word {
        double advance = 0;
        double overhang = 0;
    };
    struct WordHash {
        using is_transparent = void;
        std::size_t operator()(QStringView word) const noexcept { return qHash(word); }
    };
    struct WordEqual {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };
    // The lines of a text filled word by word, and the widest of them with the reach of its last
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
    // The lines of `text` wrapped in `width`, counted word by word, when every break in it can
    // only fall after a space and no line ends within the doubt of `width`; nothing otherwise.
    std::optional<Filled> filledByWords(const QString& text, int width);
    // The width of a word of plain letters and its last letter's reach, measured once.
    Word word(QStringView letters);
    // At least as wide as the text's widest line unwrapped would be laid out, when every letter
    // of it is a printable Latin-1 one; nothing otherwise.
    std::optional<double> widestLineAtMost(const QString& text);

    QFont font_;
    bool hasFont_ = false;
    QHash<QString, Spans> texts_;
    std::vector<float> unwrapped_;
    // The font's advance of each Latin-1 letter; -1 for those not printed or not in the font.
    std::vector<double> advances_;
    // How far each Latin-1 letter reaches past its advance (0 for most), and the farthest.
    std::vector<double> overhangs_;
    double farthestOverhang_ = 0;
    // Whether the font sets figures side by side as they are alone (no pair of them kerned).
    bool plainFigures_ = false;
    double spaceAdvance_ = 0;
    // The most a letter's width and a space's together differ from the two apart.
    double spaceKerning_ = 0;
    std::unordered_map<QString, Word, WordHash, WordEqual> words_;
    std::size_t measured_ = 0;
};
