#pragma once

#include <QSize>
#include <QString>

#include <array>
#include <cstdint>

// Geometry of one story's corkboard and the page ranges of its beats.
//
// Three inputs set it: the story's page count, the size of the board panel and the board zoom
// factor. The story keeps the panel size the same as its own board's (Screenplaydb::setBoardSize
// is the one place that sets both). The page count gives the four board sections (the four rows:
// Act One, the two halves of Act Two, Act Three) and the page range of every board beat; the
// panel size and the zoom give the card size, the usable row width, the row tops and the x at
// which each beat bar begins. Positions map to pages and pages to positions, and a page's room on
// its row, where a card stands so that its page and beat read back, is worked out here.
//
// Board beats are numbered 0 to 21. Seventeen of them are beat bars (1-7, 9-12, 14-17,
// 19-20); 0, 8, 13 and 18 head the four sections and 21 is the end. Beats (1 to 15) are the
// fifteen beats of the beat sheet; "Set-up" and "Fun and Games" each span two beat bars.
//
// What the inputs give that every card's reading needs is kept when an input is set: the section
// bounds and the bars' page ranges with the page count (and whether two bars share a page), the
// least top of each row with the panel height. Everything else is worked out on request, so none
// is ever stale. The arithmetic deliberately keeps the 32-bit float steps and truncations that
// stored boards were laid out with, so positions and pages stay compatible with them.
class BoardSections
{
public:
    // Cards stand from this x on: 4 points inside the board's left rule, where every row starts.
    static constexpr std::int64_t kRowStart = 4;

    // Every field 0 (the beats' page ranges those of a story of 0 pages).
    BoardSections();

    // Stores the page count and derives the eight section bounds.
    void setPageCount(std::int64_t pageCount);
    void setBoardPanelWidth(std::int64_t width) { boardPanelWidth_ = width; }
    void setBoardPanelHeight(std::int64_t height);
    // 1 to 4; any value other than 2, 3 or 4 gives the smallest cards.
    void setBoardZoomFactor(std::int64_t zoomFactor) { boardZoomFactor_ = zoomFactor; }

    std::int64_t pageCount() const { return pageCount_; }
    std::int64_t section1From() const { return section1From_; }
    std::int64_t section1To() const { return section1To_; }
    std::int64_t section2From() const { return section2From_; }
    std::int64_t section2To() const { return section2To_; }
    std::int64_t section3From() const { return section3From_; }
    std::int64_t section3To() const { return section3To_; }
    std::int64_t section4From() const { return section4From_; }
    std::int64_t section4To() const { return section4To_; }
    std::int64_t boardPanelWidth() const { return boardPanelWidth_; }
    std::int64_t boardPanelHeight() const { return boardPanelHeight_; }
    std::int64_t boardZoomFactor() const { return boardZoomFactor_; }

    // Card size in points for the current zoom factor. Here, with the board's width below, so
    // that laying out every card by its page works them out in place.
    std::int64_t STANDARDSCENECARDWIDTH() const
    {
        switch (boardZoomFactor_) {
        case 2:
            return 292;
        case 3:
            return 315;
        case 4:
            return 360;
        default:
            return 270;
        }
    }
    std::int64_t STANDARDSCENECARDHEIGHT() const;
    QSize standardCardSize() const
    {
        return {static_cast<int>(STANDARDSCENECARDWIDTH()), static_cast<int>(STANDARDSCENECARDHEIGHT())};
    }

    QString section1Label() const;
    QString section2Label() const;
    QString section3Label() const;
    QString section4Label() const;
    // The label of the section whose row holds the board beat; "" for a header or the end.
    QString actTitleForBoardBeatSection(std::int64_t boardBeat) const;

    // Beat 1 to 15; "" otherwise.
    static QString beatTitleForBeat(std::int64_t beat);
    QString beatLabelForBeat(std::int64_t beat) const;
    // Board beat 0 to 21; "" otherwise.
    QString beatLabelForBoardBeat(std::int64_t boardBeat) const;

    // First and last page of a beat bar; 0 for the headers and every number outside 1 to 20.
    std::int64_t beginningPageNumberForBoardBeat(std::int64_t boardBeat) const;
    std::int64_t endingPageNumberForBoardBeat(std::int64_t boardBeat) const;
    // First and last page of the section whose row holds the beat bar; 0 otherwise.
    std::int64_t sectionBeginningPageNumberForBoardBeat(std::int64_t boardBeat) const;
    std::int64_t sectionEndingPageNumberForBoardBeat(std::int64_t boardBeat) const;
    // The lowest board beat 1 to 20 whose page range holds the page, or 0.
    std::int64_t boardBeatSectionForPageNumber(std::int64_t page) const;

    // Where a beat bar begins and ends, as a fraction of its row's width.
    static float beginningPercentageForBoardBeat(std::int64_t boardBeat);
    static float endingPercentageForBoardBeat(std::int64_t boardBeat);

    // Usable width of a row (the same for all four rows).
    std::int64_t boardWidthForSection(std::int64_t /*section*/) const
    {
        return boardPanelWidth_ - STANDARDSCENECARDWIDTH() - 8;
    }
    // The row width for the seventeen beat bars, 0 for every other number.
    std::int64_t boardWidthForBoardBeatSection(std::int64_t boardBeat) const;
    // x at which the board beat's bar begins (4 for every number that is not a beat bar).
    std::int64_t leftForBoardBeatSection(std::int64_t boardBeat) const;
    // y of the top of the board beat's row, as a card's page is read (see drawnRow below).
    std::int64_t topForBoardBeatSection(std::int64_t boardBeat) const;

    // The rows as the board draws them on a board `height` high: four rules frame it and three
    // more, each 4 thick, lie between the rows at rowRules(). Row 1 to 4 runs from the first y below
    // the rule above it (`top`) to the rule, or the board's bottom edge, below it (`bottom`).
    //
    // The top of a row as drawn and topForBoardBeatSection(), which every stored card's page and
    // row are read from, are worked out two ways and agree where the height less 4 is a multiple
    // of four. Otherwise the drawn row 4 starts a point lower, row 3 as well where that remainder
    // is odd, and row 2 where it is 3. Stored cards keep being read by topForBoardBeatSection();
    // a card the program places stands at the drawn top, clear of the rule, which reads as the
    // same row (a row counts from 16 points above its top).
    struct DrawnRow {
        std::int64_t top;
        std::int64_t bottom;
    };
    static std::array<int, 3> rowRules(std::int64_t height);
    // Row 1 to 4 (any other number: row 1).
    static DrawnRow drawnRow(std::int64_t height, int row);
    // The top at which a card placed in the board beat's row stands: the drawn top of the row on
    // this board (that of row 1 for a number that is not a beat bar).
    std::int64_t cardTopForBoardBeatSection(std::int64_t boardBeat) const;
    // The top a card `cardHeight` high takes when it is put down with its top at `top`: on the row
    // that top selects (as the card's page is read from it), between the row's top as drawn and the
    // beat bars along the row's bottom, so that it covers neither the rules, the bars nor the next
    // row. A row lower than the card keeps it at the row's top.
    std::int64_t topWithinRow(std::int64_t top, std::int64_t cardHeight) const;
    // The height of the beat bars along the bottom of each row at a board zoom factor; factors
    // other than 1 to 4 draw them 0 high.
    static int beatBarHeight(std::int64_t zoomFactor);
    // The whole point at which something placed at `x` stands: `x` cut toward zero, but an `x` a
    // hair below a whole point (the float steps of a fraction worked out from that point, and back)
    // is that point. Not-a-number stands at 0; the far reaches are bounded.
    static std::int64_t wholePoint(double x);

    // The page of a card at that position: always a page of the row the top selects (a negative
    // top counts in the first row), its first page on a board too narrow to have a row width.
    std::int64_t pageNumberForPositionTop(std::int64_t top, std::int64_t left) const;
    // The page of a card at `fraction` of the width of row `row` (1 to 4): the same page its whole
    // left on the board gives where the fraction was worked out from that left, on any board, so a
    // card keeps its page whatever width the board takes. 0 for any other row.
    std::int64_t pageNumberForFraction(int row, float fraction) const;
    // The row (1 to 4) a card whose top lies at `top` counts in: a top up to 16 points above a
    // row's top counts in that row, a negative top in the first.
    int rowOfTop(std::int64_t top) const;
    // The board beat of a card at that position: that of its page, and where very short stories
    // give several bars the same pages, the bar the card lies on.
    std::int64_t boardBeatSectionForPositionTop(std::int64_t top, std::int64_t left) const
    {
        return pageAndBoardBeatForPositionTop(top, left).boardBeat;
    }
    // Both at once, as a card moved on the board reads them at every step.
    struct PageAndBoardBeat {
        std::int64_t page;
        std::int64_t boardBeat;
    };
    PageAndBoardBeat pageAndBoardBeatForPositionTop(std::int64_t top, std::int64_t left) const;
    // The same for a card on `page` at `fraction` of row `row` (1 to 4): of the row's bars whose
    // pages hold the page, the one the card lies on, else the nearest; the page's own where none
    // of the row's bars holds it.
    std::int64_t boardBeatSectionForPlace(int row, std::int64_t page, float fraction) const;
    // Page and board beat of a card at `fraction` of row `row` (1 to 4), read as from its left.
    PageAndBoardBeat pageAndBoardBeatForFraction(int row, float fraction) const;

    // The beat bars that carry beat 1 to 15, the bar its beat card is put on first: the two split
    // beats have two ("Set-up" 4 then 2, "Fun and Games" 11 then 9), the others one (0 pads).
    static std::array<std::int64_t, 2> boardBeatsOfBeat(std::int64_t beat);
    // The bar a card of beat 1 to 15 stands in on `page` at `fraction` of row `row`: of the beat's
    // bars on that row whose pages hold the page, the one the card lies on, else the first of them;
    // 0 when none holds it. Where a short story gives several bars one page, the card's place may lie on
    // another bar that holds its page, or on none: the beat's own bar still holds the card.
    std::int64_t boardBeatOfBeatOnPage(std::int64_t beat, int row, std::int64_t page, float fraction) const;
    // The row (1 to 4) that holds a beat bar; 0 for every other number.
    static int rowOfBoardBeatSection(std::int64_t boardBeat);
    // x at which the page begins on its row; 4 for a page that belongs to no board beat.
    float leftForPageNumber(std::int64_t page) const;
    // The whole point at which a card at `fraction` of the board beat's row stands: cut toward
    // zero, but a fraction worked out from a whole left gives that left back.
    std::int64_t leftForFraction(float fraction, std::int64_t boardBeat) const;

    // The narrowest row any board is given: as wide as the smallest card, and three points for
    // every page of the fullest row, so that each page spans whole points with room to spare.
    std::int64_t leastRowWidth() const;
    // The narrowest board panel: the narrowest row, a card and the margins.
    std::int64_t leastBoardPanelWidth() const { return leastRowWidth() + STANDARDSCENECARDWIDTH() + 8; }
    // The lowest board panel at the current zoom: four rows of cards with their beat bars, and the
    // rules between and around them.
    std::int64_t leastBoardPanelHeight() const
    {
        return 4 * STANDARDSCENECARDHEIGHT() + 20 + 4 * beatBarHeight(boardZoomFactor_) + 8;
    }

    // Where on its row a card of `page` may stand so that its page, and the bar it reads, come back
    // from its place on this board and on any other at least leastBoardPanelWidth() wide: the page
    // cut at the edges of the bars that share it (a place near such an edge could read either),
    // each piece wide enough for a card less a point and a half at either end (a point and an
    // eighth on a piece too narrow for that and a point between), but the row's start, which reads
    // back exactly. Fractions of the row, left to right; none where no piece is wide enough. With
    // `onlyOnBar`, only the part of the page on that bar (none where it has no such room).
    struct Span {
        double from;
        double to;
    };
    struct Room {
        std::array<Span, 16> spans{};
        std::size_t count = 0;
        const Span* begin() const { return spans.data(); }
        const Span* end() const { return spans.data() + count; }
        bool empty() const { return count == 0; }
    };
    Room roomOnPage(std::int64_t page, std::int64_t boardBeat, bool onlyOnBar = false) const;
    // The fraction of its row nearest `wanted` at which a card of `page` in `boardBeat` stands in
    // roomOnPage(); of two as near, the one on the beat's own bar. The page's middle where it has no
    // room; its start for a `wanted` that is no number.
    double fractionOnPage(std::int64_t page, std::int64_t boardBeat, double wanted) const;

private:
    struct PageRange
    {
        std::int64_t first = 0;
        std::int64_t last = 0;
    };

    // The bars of row `row` whose pages hold `page`, in board-beat order.
    struct Bars {
        std::array<std::int64_t, 7> bars{};
        std::size_t count = 0;
        const std::int64_t* begin() const { return bars.data(); }
        const std::int64_t* end() const { return bars.data() + count; }
    };
    Bars barsHoldingPage(int row, std::int64_t page) const;
    // Where `page` lies along row `row` (1 to 4), as fractions of the row; the whole row for a page
    // the row does not hold.
    Span pageExtent(int row, std::int64_t page) const;
    // Of `bars`, the one a card at `fraction` of their row lies on, else the nearest to it (the one
    // before it of two as near); 0 for none.
    static std::int64_t barAtPlace(const Bars& bars, float fraction);

    // Page range of a beat bar; {0, 0} for every other number.
    PageRange pageRangeForBoardBeat(std::int64_t boardBeat) const;
    // The same worked out from the section bounds, as setPageCount() stores it.
    PageRange rangeFromSections(std::int64_t boardBeat) const;
    void deriveBeatRanges();
    // Page range of the section whose row holds the beat bar; {0, 0} for every other number.
    PageRange sectionRangeForBoardBeat(std::int64_t boardBeat) const;
    // The page of a card at `left` on the row whose pages are `row`.
    std::int64_t pageOnRow(const PageRange& row, std::int64_t left) const;
    // The page of a card at `fraction` of the row whose pages are `row`.
    static std::int64_t pageAtFraction(const PageRange& row, float fraction);
    // Page range of the section on row 1 to 4; {0, 0} for every other number.
    PageRange sectionRangeOfRow(int row) const
    {
        switch (row) {
        case 1:
            return {1, section1To_};
        case 2:
            return {section2From_, section2To_};
        case 3:
            return {section3From_, section3To_};
        case 4:
            return {section4From_, section4To_};
        default:
            return {};
        }
    }

    std::int64_t pageCount_ = 0;
    std::int64_t section1From_ = 0;
    std::int64_t section1To_ = 0;
    std::int64_t section2From_ = 0;
    std::int64_t section2To_ = 0;
    std::int64_t section3From_ = 0;
    std::int64_t section3To_ = 0;
    std::int64_t section4From_ = 0;
    std::int64_t section4To_ = 0;
    std::int64_t boardPanelWidth_ = 0;
    std::int64_t boardPanelHeight_ = 0;
    std::int64_t boardZoomFactor_ = 0;
    // Board beats 0 to 20 (1 to 20 are the bars; the others stay {0, 0}).
    std::array<PageRange, 21> beatRanges_{};
    // Whether two bars hold a page alike (very short stories): only then does a card's place on
    // its row tell its bar.
    bool barsSharePages_ = false;
    // The least top of a card counted in rows 2, 3 and 4, from the panel height.
    std::array<std::int64_t, 3> rowsFrom_{};
};
