#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Where an item of the general-notes board (a sticky note, an attachment note, the greenlight
// checklist) lands when its thumb tack moves it by `step` from `frame`, on a board of size
// `board`; board coordinates, y downwards. The item never leaves the board: it stops at 0 on
// the left and at the top, 3 points inside the right edge and 1 point inside the bottom edge.
// The result passes through single precision, as stored positions do.
QPointF noteOriginAfterStep(const QRectF& frame, const QPointF& step, const QSizeF& board);
