#pragma once

#include <QFont>
#include <QHash>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The heights of texts wrapped in a width, in one font, as BaseViewController::heightForString
// measures them, each kept with the widths it holds for. Lines wrapped at a width break the same
// way at every width from their widest line up to that width (no line takes a word more, and each
// still fits), and a text none of whose lines was wrapped keeps its height at every width above
// its widest line. So a list refitted as its pane changes width lays out again only the texts
// whose lines would break anew. A text of Latin-1 letters whose lines plainly fit is not laid out
// at all: its height is that of as many unwrapped lines. Asked with another font, it forgets
// everything first.
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

    // The height of `lines` lines none of which was wrapped.
    float unwrappedHeight(int lines);
    // At least as wide as the text's widest line unwrapped would be laid out, when every letter
    // of it is a printable Latin-1 one; nothing otherwise.
    std::optional<double> widestLineAtMost(const QString& text);

    QFont font_;
    bool hasFont_ = false;
    QHash<QString, Spans> texts_;
    std::vector<float> unwrapped_;
    // The font's advance of each Latin-1 letter; -1 for those not printed.
    std::vector<double> advances_;
    std::size_t measured_ = 0;
};
