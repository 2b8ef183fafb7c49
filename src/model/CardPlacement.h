#pragma once

#include "model/BoardSections.h"

#include <QPoint>

#include <cstdint>

class SceneCarddb;
class Screenplaydb;

// Where a scene card stands on the corkboard, and every way the program puts one there.
//
// A board card's place is its board beat and two fractions: x = fraction of the usable width of
// the beat's row (from x = 4), y = fraction of the board's height. Its page and board beat are
// read from that place: from its fractions, so that they stay whatever width or height the board
// takes (a whole point on a narrower board may lie a hair inside the next page), and a beat card
// keeps the bar of its own beat where that bar holds its page. `positionLeft` and `positionTop`
// are the whole points the card stood at when last placed, on the board as it was then.
//
// This module owns the fractions and the whole points they stand at, a card put down at a point
// (a move, a drop), a card read again where it shows (a new page count, a card brought back),
// a card placed by its page (the beat cards, a new page in the large card, a beat of the list,
// the phone queue, the imports), a card put after another on its page (beside it, the next of
// a run or a group) and the least board that holds every page. The geometry of rows, beats and
// pages is BoardSections'; the card lists and their order are the story's.
//
// None of these functions saves anything but putCardOnBoard() and repageCards().

// Fractions of a position: a row or board without extent gives the fraction 0.
float horizontalFraction(const Screenplaydb& story, double left, std::int64_t boardBeat);
float verticalFraction(const Screenplaydb& story, double top);
// The whole left of a card at that fraction of the board beat's row, and the whole top of a card
// at that fraction of the board's height: cut to a whole point, but a fraction worked out from a
// whole point gives that point back.
int leftOfFraction(const Screenplaydb& story, float fraction, std::int64_t boardBeat);
int topOfFraction(const Screenplaydb& story, float fraction);
// Where a card's stored fractions put it on the board.
QPoint cardOrigin(const Screenplaydb& story, const SceneCarddb& card);

// The top a card `cardHeight` high takes when it is put down with its top at `top`: on the row
// that top selects (as the card's page is read from it), between the row's top as drawn and the
// beat bars along the row's bottom, so that it covers neither the rules, the bars nor the next
// row. A row lower than the card keeps it at the row's top.
std::int64_t topWithinRow(const Screenplaydb& story, std::int64_t top, std::int64_t cardHeight);

// A card put down at the whole point (left, top), as a move or a drop leaves it: that position,
// its fractions and the page and board beat read there.
void placeCardAt(Screenplaydb& story, SceneCarddb& card, std::int64_t left, std::int64_t top);
// A card read again where its fractions put it on the board as it is now: its positions become
// the whole points it shows at, its page and board beat those of its fractions (which stay).
void placeCardWhereItShows(Screenplaydb& story, SceneCarddb& card);

// Places a card by its page: on `page` (brought within the story), in `boardBeat` (a bar whose
// pages are not 0; any other number takes the page's own), on that bar's row, at the place
// nearest `wanted` (a fraction of the row) from which its page and board beat read back, on this
// board and on any board at least the least width; where the bar shares the page with others,
// on the bar's own part of it where it has one. Sets the page, the board beat, both positions
// and both fractions.
void placeCardOnPage(Screenplaydb& story, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat,
                     double wanted);
// The same for a card put on its page after `after` (none: the first put there) with `toCome`
// more cards still to be put after it on that page: at least `step` points right of where `after`
// stands; where the page's room ends before that, the room left is shared by this card and those
// to come (BoardSections::fractionOnPageAfter), so that cards put one after another stand apart in
// the order they were put. Only where the page has no room left does the card share `after`'s
// place.
void placeCardAfter(Screenplaydb& story, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat,
                    double wanted, const SceneCarddb* after, double step, std::int64_t toCome);
// A card put next to another: 20 points right of it, on its page, in its board beat and at its
// height.
void placeCardNextTo(Screenplaydb& story, SceneCarddb& card, const SceneCarddb& anchor);
// A card given a new page: the page's start, or 20 points right of the last card along the row
// that already holds the page.
void placeCardOnPageBesideItsCards(Screenplaydb& story, SceneCarddb& card, std::int64_t page);
// A card put back at a board beat: on the beat's first page at the start of its bar, or 20
// points right of the last card of the board that already stands there.
void placeCardAtBoardBeat(Screenplaydb& story, SceneCarddb& card, std::int64_t boardBeat);

// Raises the story's board width, and its sections' panel width, to the least that holds every
// page of its rows (BoardSections::leastBoardPanelWidth); answers whether it did. The story is
// not saved.
bool widenBoardToLeast(Screenplaydb& story);

// Gives every card of the board and the Litter Box the page and board beat its place reads on
// the story's sections as they are now (after a new page count), on the board widened to the
// least those need, and saves the cards: inside the caller's transaction.
void repageCards(Screenplaydb& story);

// What placing a card changes of it, to be put back when the write that follows is refused.
struct CardPlace {
    explicit CardPlace(const SceneCarddb& card);
    void restore(SceneCarddb& card) const;

    std::int64_t onBoard;
    std::int64_t left;
    std::int64_t top;
    float horizontal;
    float vertical;
    std::int64_t page;
    std::int64_t boardBeat;
};

// A card of the Litter Box, already given its board place, goes onto the board: it is stored
// with `onBoard` 1 and the board is put in order and renumbered, all in one write. Refused, the
// file and the story are as they were, the card back in the Litter Box with the place it had
// there (`inLitterBox`, taken before it was given its board place), and the failure is thrown.
// Answers false, writing and moving nothing but that place, for a card the Litter Box does not
// hold.
bool putCardOnBoard(Screenplaydb& story, SceneCarddb& card, const CardPlace& inLitterBox);
