#include "CardBand.h"

#include "BlockOfTextView.h"
#include "ReportText.h"
#include "model/Toolkit.h"

#include <algorithm>
#include <cmath>

namespace CardBand {

Layout lay(const std::array<QString, 2>& rows, float width, const QFont& font, float roomHere, float freshRoom)
{
    const Toolkit toolkit;
    // A row is its text's height and 4 points for the rule under it, and at least 16.
    const auto rowHeight = [&](const QString& text) {
        return std::max(16.0f, std::trunc(toolkit.heightForText(text, width, font, 0) + 4));
    };
    const float first = rowHeight(rows[0]);
    const float second = rowHeight(rows[1]);
    Layout layout;
    if (first + second <= roomHere || first + second <= freshRoom) {
        layout.faces = first + second <= roomHere ? 0 : 1;
        layout.pieces = {{0, rows[0], layout.faces, first + second, first}, {1, rows[1], layout.faces, second, second}};
        return layout;
    }
    // Taller than a face: each row goes on below the one before, as far as the face's foot, and
    // what does not fit runs on into the next face.
    const float line = ReportText::singleLineHeight(width, font);
    float free = roomHere;
    bool freshFace = false;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        QString rest = rows[row];
        while (true) {
            const float whole = rowHeight(rest);
            if (whole <= free) {
                layout.pieces.push_back({row, rest, layout.faces, free, whole});
                free -= whole;
                freshFace = false;
                break;
            }
            if ((free >= 16 && free - 4 > line) || freshFace) {
                // A fresh face takes at least one line, however little room it has, so that the
                // band always moves on.
                const qsizetype cut = toolkit.splitText(rest, free - 4, width, font, 0);
                const QString piece = rest.left(cut);
                if (!piece.isEmpty()) {
                    const float height = rowHeight(piece);
                    layout.pieces.push_back({row, piece, layout.faces, free, height});
                    free -= height;
                    freshFace = false;
                }
                rest = restAfterBreak(rest, cut);
                if (rest.isEmpty())
                    break;
                continue;
            }
            ++layout.faces;
            free = freshRoom;
            freshFace = true;
        }
    }
    // The last face holds the rest of the band at its foot.
    for (Piece& piece : layout.pieces)
        if (piece.face == layout.faces)
            piece.above -= free;
    return layout;
}

} // namespace CardBand
