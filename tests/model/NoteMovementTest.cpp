#include "model/NoteMovement.h"

#include <gtest/gtest.h>

TEST(NoteMovement, ItemsStayOnTheBoardWithTheirMarginsAtTheFarEdges)
{
    // A 218 x 148 note on a 1900 x 1600 board.
    const QSizeF board(1900, 1600);
    struct Row {
        const char* name;
        QPointF from;
        QPointF step;
        QPointF lands;
    };
    const Row rows[] = {
        {"a step inside the board keeps its fraction", {100, 100}, {850.7, 0.25}, {950.7, 100.25}},
        {"past the left edge stops at 0", {10, 100}, {-10.5, 0}, {0, 100}},
        {"exactly to the left edge is kept", {10, 100}, {-10, 0}, {0, 100}},
        {"past the top edge stops at 0", {100, 5}, {0, -6}, {100, 0}},
        {"within a point of the right edge is held 3 inside", {1600, 0}, {81, 0}, {1900 - 218 - 3, 0}},
        {"just short of that stays where it is going", {1600, 0}, {80.5, 0}, {1680.5, 0}},
        {"within a point of the bottom edge is held 1 inside", {0, 1400}, {0, 51}, {0, 1600 - 148 - 1}},
        {"just short of that stays where it is going", {0, 1400}, {0, 50.5}, {0, 1450.5}},
        {"far past the bottom right corner", {0, 0}, {9000, 9000}, {1679, 1451}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QPointF lands = noteOriginAfterStep(QRectF(row.from, QSizeF(218, 148)), row.step, board);
        EXPECT_FLOAT_EQ(float(lands.x()), float(row.lands.x()));
        EXPECT_FLOAT_EQ(float(lands.y()), float(row.lands.y()));
    }

    // An item larger than the board is held at 0 rather than pushed off its near edge.
    const QPointF held = noteOriginAfterStep(QRectF(0, 0, 577, 1994), QPointF(10, 10), QSizeF(500, 1600));
    EXPECT_EQ(held, QPointF(0, 0));
}
