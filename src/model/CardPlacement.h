#pragma once

#include "model/Screenplaydb.h"

#include <QPoint>
#include <QSize>

#include <array>
#include <cstdint>

class SceneCarddb;

// A board card's place is its board beat and two fractions: x = fraction of the usable width
// of the beat's row (from x = 4), y = fraction of the board's height. These turn positions into
// fractions and back. A row or board without extent gives the fraction 0.
float horizontalFraction(const Screenplaydb& story, double left, std::int64_t boardBeat);
float verticalFraction(const Screenplaydb& story, double top);
// The left of a card at that fraction of the board beat's row: cut to a whole point, and a
// fraction worked out from a whole left gives that left back.
int leftOfFraction(const Screenplaydb& story, float fraction, std::int64_t boardBeat);
// Where a card's stored fractions put it on the board.
QPoint cardOrigin(const Screenplaydb& story, const SceneCarddb& card);
// The size of every card on the board at the story's zoom factor.
QSize standardCardSize(const Screenplaydb& story);

// The height of the beat bars along the bottom of each row at a board zoom factor; factors
// other than 1 to 4 draw them 0 high.
int beatBarHeight(std::int64_t zoomFactor);
// The y of the three rules between the four rows of a board `height` high (each 4 high).
std::array<int, 3> rowRules(int height);
// The top a card `cardHeight` high takes when it is put down with its top at `top`: on the row
// that top selects (as the card's page is read from it), between the row's top and the beat
// bars along the row's bottom, so that it covers neither the bars nor the next row. A row
// lower than the card keeps it at the row's top.
std::int64_t topWithinRow(const Screenplaydb& story, std::int64_t top, std::int64_t cardHeight);

// Gives the card the position (left, top), the fractions of that position and the page and
// board beat there; the card is not saved.
void placeCardAt(Screenplaydb& story, SceneCarddb& card, std::int64_t left, std::int64_t top);
// Gives the card the place its fractions put it at on the board as it is now, and the page and
// board beat of that place; its fractions stay. The card is not saved.
void placeCardWhereItShows(Screenplaydb& story, SceneCarddb& card);
// Places a card by its page, every way the program does: on `page` (brought within the story),
// in `boardBeat` (a bar whose pages are not 0; any other number takes the page's own), on the
// bar's row, at the place nearest `wanted` (a fraction of the row) from which its page and board
// beat read back, on this board and any board at least the least width. Sets the page, the
// board beat, both places and both fractions; the card is not saved.
void placeCardOnPage(Screenplaydb& story, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat,
                     double wanted);
// A card put next to another: 20 points right of it as far as its page allows, on its page, in
// its board beat and at its height.
void placeCardNextTo(Screenplaydb& story, SceneCarddb& card, const SceneCarddb& anchor);
// Raises the story's board width, and its sections' panel width, to the least that holds every
// page of its rows (BoardSections::leastBoardPanelWidth); answers whether it did. The story is
// not saved.
bool widenBoardToLeast(Screenplaydb& story);

// Puts the board's cards in board order (board beat, then horizontal fraction) and stores the
// sort orders 1 to n in that order.
void sortAndRenumberBoard(Screenplaydb& story);

// Moves the card's record from one of the story's card lists to the end of the other.
// Answers false, moving nothing, when `from` does not hold the card.
bool moveCard(RecordList<SceneCarddb>& from, RecordList<SceneCarddb>& to, const SceneCarddb* card);

// A card of the Litter Box, already given its board place, goes onto the board: it is stored
// with `onBoard` 1 and the board is put in order and renumbered, all in one write. On failure
// the file and the story are as they were.
void putCardOnBoard(Screenplaydb& story, SceneCarddb& card);
