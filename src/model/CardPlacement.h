#pragma once

#include "model/BoardSections.h"
#include "model/RecordList.h"

#include <QPoint>

#include <cstdint>
#include <span>

class SceneCarddb;

// Where a scene card stands on the corkboard, and every way the program puts one there.
//
// A board card's place is its board beat and two fractions: x = fraction of the usable width of
// the beat's row (from BoardSections::kRowStart), y = fraction of the board's height. Its page and
// board beat are read from that place: from its fractions, so that they stay whatever width or
// height the board takes (a whole point on a narrower board may lie a hair inside the next page),
// and a beat card keeps the bar of its own beat where that bar holds its page. `positionLeft` and
// `positionTop` are the whole points the card was put at, on the board as it was then; a new page
// count reads the card again and leaves them.
//
// This module owns the fractions and the whole points they stand at, a card put down at a point
// (a move, a drop), a card read again where it shows (a new page count, a card brought back),
// a card placed by its page (a new page in the large card, a beat of the list, an earlier
// version's card), a card a writer puts after another on its page (beside it), and the cards the
// program puts on their pages together (the beat cards with their groups, a queued story, an
// imported script): laid out on each page as a whole. The geometry of rows, beats, pages and a
// page's room is BoardSections'; the card lists, their order and what is written are the story's.
//
// Every function works on the board the sections describe, which the story keeps the same as
// its own; none of them writes anything.

// Fractions of a position: a row or board without extent gives the fraction 0.
float horizontalFraction(const BoardSections& sections, double left, std::int64_t boardBeat);
float verticalFraction(const BoardSections& sections, double top);
// The whole left of a card at that fraction of the board beat's row, and the whole top of a card
// at that fraction of the board's height: cut to a whole point, but a fraction worked out from a
// whole point gives that point back.
int leftOfFraction(const BoardSections& sections, float fraction, std::int64_t boardBeat);
int topOfFraction(const BoardSections& sections, float fraction);
// Where a card's stored fractions put it on the board.
QPoint cardOrigin(const BoardSections& sections, const SceneCarddb& card);

// A card put down at the whole point (left, top), as a move or a drop leaves it: that position,
// its fractions and the page and board beat read there.
void placeCardAt(const BoardSections& sections, SceneCarddb& card, std::int64_t left, std::int64_t top);
// A card read again where its fractions put it on the board as it is now: its positions become
// the whole points it shows at, its page and board beat those of its fractions (which stay).
void placeCardWhereItShows(const BoardSections& sections, SceneCarddb& card);
// A card given the page and board beat its fractions read on the sections as they are now (after
// a new page count); its fractions and whole points stay.
void repageCard(const BoardSections& sections, SceneCarddb& card);

// Places a card by its page: on `page` (brought within the story), in `boardBeat` (a bar whose
// pages are not 0; any other number takes the page's own), on that bar's row, at the place
// nearest `wanted` (a fraction of the row) in the page's room (BoardSections::roomOnPage); where
// the bar shares the page with others, on the bar's own part of it where it has one. Sets the
// page, the board beat, both positions and both fractions.
void placeCardOnPage(const BoardSections& sections, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat,
                     double wanted);

// A card the program puts on a page together with others: where it is wanted (a whole left on
// the board, as the rule that makes it gives it), and for a beat card whether it keeps to its own
// bar, `boardBeat`, where that bar reaches its page.
struct CardOnItsPage {
    SceneCarddb* card;
    std::int64_t page;
    std::int64_t boardBeat;
    double wantedLeft;
    bool onItsBar = false;
};
// Lays out the cards, in the order given, page by page (a page's cards taken together in their
// order, wherever they come in the list): each on its page (brought within the story) and in its
// page's room; a card `onItsBar` on its bar's part of the page where that has room; in the order
// given along the row; at least `step` points apart where the room holds them so, otherwise as
// evenly apart as the room allows (never closer than the room divided by their count); and each
// as near the place it is wanted as these allow, so that the cards wanted where the room has
// space stand just there. Sets what placeCardOnPage() sets.
void layOutCardsOnTheirPages(const BoardSections& sections, std::span<const CardOnItsPage> cards, int step);

// A card put next to another: 20 points right of it, on its page, in its board beat and at its
// height; where the page's room ends first, halfway from the other to the room's end, and on
// the other's place where the page has no room left.
void placeCardNextTo(const BoardSections& sections, SceneCarddb& card, const SceneCarddb& anchor);
// A card given a new page: the page's start, or next to the last card along the row of `board`
// that already holds the page.
void placeCardOnPageBesideItsCards(const BoardSections& sections, SceneCarddb& card, std::int64_t page,
                                   const RecordList<SceneCarddb>& board);
// A card put back at a board beat: on the beat's first page at the start of its bar, or next to
// the last card of `board` that already stands there.
void placeCardAtBoardBeat(const BoardSections& sections, SceneCarddb& card, std::int64_t boardBeat,
                          const RecordList<SceneCarddb>& board);

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
