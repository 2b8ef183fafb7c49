#pragma once

#include <QFont>
#include <QString>

#include <array>
#include <cstddef>
#include <vector>

// Where the emotional change and conflict band of a card goes: two rows, each a label beside a
// text at least 16 points high, ending at the foot of a face of the card (a sheet or a slot,
// below its heading and above its colour swatches). A band that fits below the card's texts
// sits at the foot of that face; one that fits a fresh face moves whole to the foot of the
// next. A band taller than a fresh face runs on from below the texts from face to face, each
// under the heading the face repeats, and its last face holds the rest at its foot. Lengths are
// points; a piece's place is given as its top's distance above its face's foot.
namespace CardBand {

struct Piece {
    std::size_t row;  // 0 the emotional change, 1 the conflict
    QString text;     // the whole row, or a piece of a row that ran on
    std::size_t face; // 0 the face the texts end on, n the n-th face opened after it
    float above;      // its top above the face's foot
    float height;
};

struct Layout {
    std::vector<Piece> pieces;
    std::size_t faces = 0; // the faces to open after the one the texts end on
};

// The band of the two rows, measured at `width` in `font`: `roomHere` is the room from the end
// of the texts to the foot of their face, `freshRoom` the room a fresh face has below its
// heading.
Layout lay(const std::array<QString, 2>& rows, float width, const QFont& font, float roomHere, float freshRoom);

} // namespace CardBand
