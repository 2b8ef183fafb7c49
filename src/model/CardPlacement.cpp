#include "CardPlacement.h"

#include "model/SceneCarddb.h"
#include "model/StoredRange.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// How far right of a card another is put beside it.
constexpr double kBeside = 20.0;
constexpr double kNowhere = std::numeric_limits<double>::infinity();

float fraction(double part, double whole)
{
    return whole > 0.0 ? static_cast<float>(part / whole) : 0.0f;
}

// The board beat a card takes with that page at `along` of row `row`, its place having given
// `read`: a beat card keeps a bar of its own beat that holds the page.
std::int64_t beatOfCard(const BoardSections& sections, const SceneCarddb& card, int row, std::int64_t page,
                        float along, std::int64_t read)
{
    if (card.beatCardNumber() < 1)
        return read;
    const std::int64_t own = sections.boardBeatOfBeatOnPage(card.beatCardNumber(), row, page, along);
    return own != 0 ? own : read;
}

// Gives the card the page and board beat of its place at `along` of row `row`.
void readPlace(const BoardSections& sections, SceneCarddb& card, int row, float along)
{
    const BoardSections::PageAndBoardBeat read = sections.pageAndBoardBeatForFraction(row, along);
    card.setPageNumber(read.page);
    card.setCurrentBeatSection(beatOfCard(sections, card, row, read.page, along, read.boardBeat));
}

// Stands the card on `page` in `boardBeat` at `along` of the bar's row, at the top of that row
// as drawn.
void standOnPage(const BoardSections& sections, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat,
                 double along)
{
    const auto fraction = static_cast<float>(along);
    const int row = BoardSections::rowOfBoardBeatSection(boardBeat);
    const std::int64_t top = sections.cardTopForBoardBeatSection(boardBeat);
    card.setPageNumber(page);
    // The beat its page and place give, as every later reading of its place will: in a very short
    // story that may be another bar sharing the page, or, for a beat card, its own beat's.
    card.setCurrentBeatSection(
        beatOfCard(sections, card, row, page, fraction, sections.boardBeatSectionForPlace(row, page, fraction)));
    card.setPercentageHorizontal(fraction);
    card.setPositionLeft(leftOfFraction(sections, fraction, boardBeat));
    card.setPositionTop(top);
    card.setPercentageVertical(verticalFraction(sections, static_cast<double>(top)));
}

// The page brought within the story, and the bar to place a card of it in: `boardBeat` where its
// pages hold the page, else the page's own.
std::pair<std::int64_t, std::int64_t> pageAndBar(const BoardSections& sections, std::int64_t page,
                                                 std::int64_t boardBeat)
{
    page = std::clamp<std::int64_t>(page, 1, std::max<std::int64_t>(sections.pageCount(), 1));
    if (sections.beginningPageNumberForBoardBeat(boardBeat) > page || sections.endingPageNumberForBoardBeat(boardBeat) < page)
        boardBeat = sections.boardBeatSectionForPageNumber(page);
    return {page, boardBeat};
}

// The fraction at which a card put after the one at `after` stands on its page: at least `step`
// points right of the whole point that one shows at; where the page's room ends before that, the
// room left is shared by this card and one more a writer may put there later, so that cards put
// one after another stand apart in the order they were put; only a page with no room left has the
// card share the other's place.
double fractionAfter(const BoardSections& sections, std::int64_t page, std::int64_t boardBeat, float after,
                     double step)
{
    const auto point = [&](double place) { return sections.leftForFraction(static_cast<float>(place), boardBeat); };
    // Places compare as the card keeps them, in single precision.
    const auto rightOfAfter = [after](double place) { return static_cast<float>(place) > after; };
    const auto from = static_cast<double>(after);
    const double shown = static_cast<double>(point(from));
    const double asked = std::max(from, static_cast<double>(horizontalFraction(sections, shown + step, boardBeat)));
    // The place asked, or the nearest to it where it lies at the edge of a bar sharing the page.
    const double place = sections.fractionOnPage(page, boardBeat, asked);
    const double roomEnd = sections.fractionOnPage(page, boardBeat, 2.0);
    if (rightOfAfter(place) && (place >= asked || roomEnd >= asked))
        return place;
    const double end = rightOfAfter(place) ? place : roomEnd;
    if (!rightOfAfter(end))
        return from;
    const double share = sections.fractionOnPage(page, boardBeat, from + (end - from) / 2.0);
    if (!rightOfAfter(share) || share > end)
        return end;
    // Apart on this board too, where the room's end is a whole point further right.
    if (point(share) == point(from) && point(end) > point(from))
        return end;
    return share;
}

// --- Cards laid out on their page together -------------------------------------------------------

// Where along the board (x of a card's left) a card may stand: closed spans, left to right.
struct Spans {
    std::vector<BoardSections::Span> spans;

    // The least point at or right of `x` in a span; kNowhere where none lies there.
    double atOrAfter(double x) const
    {
        for (const BoardSections::Span& span : spans)
            if (x <= span.to)
                return std::max(x, span.from);
        return kNowhere;
    }
    // The greatest point at or left of `x` in a span; -kNowhere where none lies there.
    double atOrBefore(double x) const
    {
        for (auto span = spans.rbegin(); span != spans.rend(); ++span)
            if (x >= span->from)
                return std::min(x, span->to);
        return -kNowhere;
    }
};

// The spans of a page's room on a row `width` points wide, as points of the board; in whole points
// when `whole` (each span's ends brought inward to the nearest whole point).
Spans pointsOf(const BoardSections::Room& room, double width, bool whole)
{
    Spans points;
    const auto start = static_cast<double>(BoardSections::kRowStart);
    for (const BoardSections::Span& span : room) {
        double from = start + span.from * width;
        double to = start + span.to * width;
        if (whole) {
            from = std::ceil(from);
            to = std::floor(to);
        }
        if (from <= to)
            points.spans.push_back({from, to});
    }
    return points;
}

// Places for cards in `rooms` wanted at `wanted`, in that order, at least `step` apart: each card
// at the place wanted, or right of it as far as the cards before it need; then, from the last,
// each card left of where it stood as far as the cards after it need to stay in their room.
// Nothing where the rooms cannot hold them so.
std::optional<std::vector<double>> stepApart(const std::vector<Spans>& rooms, const std::vector<double>& wanted,
                                             double step)
{
    const std::size_t count = rooms.size();
    std::vector<double> places(count);
    for (std::size_t index = 0; index < count; ++index) {
        const double least = index == 0 ? -kNowhere : places[index - 1] + step;
        places[index] = rooms[index].atOrAfter(std::max(wanted[index], least));
    }
    // A step taken there and back in floating point may land a hair short of where it started:
    // a place that near a room still counts as in it.
    constexpr double kHair = 1e-6;
    double most = kNowhere;
    for (std::size_t index = count; index-- > 0;) {
        const double limit = std::min(places[index], most);
        places[index] = rooms[index].atOrBefore(limit);
        if (!std::isfinite(places[index])) {
            places[index] = rooms[index].atOrAfter(limit);
            if (!std::isfinite(places[index]) || places[index] > limit + kHair)
                return std::nullopt;
        }
        most = places[index] - step;
    }
    return places;
}

// Whether the rooms hold their cards in order, at least `step` apart.
bool holdApart(const std::vector<Spans>& rooms, double step)
{
    double place = -kNowhere;
    for (const Spans& room : rooms) {
        place = room.atOrAfter(std::isfinite(place) ? place + step : place);
        if (!std::isfinite(place))
            return false;
    }
    return true;
}

// The widest spacing, up to `step`, at which the rooms hold their cards in order; below 0 where
// not even one place apiece, in order, is to be had.
double widestSpacing(const std::vector<Spans>& rooms, double step)
{
    if (!holdApart(rooms, 0.0))
        return -1.0;
    if (holdApart(rooms, step))
        return step;
    double held = 0.0;
    double refused = step;
    for (int halving = 0; halving < 60 && refused - held > 1e-9; ++halving) {
        const double middle = (held + refused) / 2.0;
        (holdApart(rooms, middle) ? held : refused) = middle;
    }
    return held;
}

// The places of one page's cards, as points along the board, in the order given.
std::vector<double> placesOnPage(const BoardSections& sections, std::span<const CardOnItsPage* const> cards,
                                 std::int64_t page, std::int64_t bar, double width, int step)
{
    const BoardSections::Room pageRoom = sections.roomOnPage(page, bar);
    std::vector<BoardSections::Room> rooms;
    std::vector<double> wanted;
    for (const CardOnItsPage* card : cards) {
        const BoardSections::Room own =
            card->onItsBar ? sections.roomOnPage(page, card->boardBeat, true) : BoardSections::Room{};
        rooms.push_back(own.empty() ? pageRoom : own);
        // A place that is no number is the page's start. A card wanted past its page's room stands
        // a step short of the room's end where the cards before it leave that free, so that a card
        // a writer puts on the page later finds room beside it.
        double left = std::isfinite(card->wantedLeft) ? card->wantedLeft : -kNowhere;
        if (!rooms.back().empty()) {
            const double roomEnd =
                static_cast<double>(BoardSections::kRowStart) + rooms.back().spans[rooms.back().count - 1].to * width;
            if (left > roomEnd)
                left = roomEnd - static_cast<double>(step);
        }
        wanted.push_back(left);
    }
    const auto spansOf = [&](bool whole, bool ownBars) {
        std::vector<Spans> spans;
        for (const BoardSections::Room& room : rooms)
            spans.push_back(pointsOf(ownBars ? room : pageRoom, width, whole));
        return spans;
    };
    // Whole points the step apart wherever the room holds them so: apart by the step on this board
    // whatever the cut to a whole point.
    std::vector<double> wholeWanted;
    for (const double place : wanted)
        wholeWanted.push_back(std::isfinite(place) ? std::floor(place) : place);
    if (auto places = stepApart(spansOf(true, true), wholeWanted, static_cast<double>(step)))
        return *places;
    // Otherwise as far apart as the room allows; a beat card leaves its bar only where the cards
    // cannot otherwise stand in order.
    std::vector<Spans> spans = spansOf(false, true);
    double spacing = widestSpacing(spans, static_cast<double>(step));
    if (spacing < 0.0) {
        spans = spansOf(false, false);
        spacing = widestSpacing(spans, static_cast<double>(step));
    }
    return stepApart(spans, wanted, std::max(spacing, 0.0))
        .value_or(std::vector<double>(cards.size(), kNowhere));
}

} // namespace

float horizontalFraction(const BoardSections& sections, double left, std::int64_t boardBeat)
{
    const auto width = static_cast<float>(sections.boardWidthForBoardBeatSection(boardBeat));
    return fraction(left - static_cast<double>(BoardSections::kRowStart), width);
}

float verticalFraction(const BoardSections& sections, double top)
{
    return fraction(top, static_cast<double>(static_cast<float>(sections.boardPanelHeight())));
}

int leftOfFraction(const BoardSections& sections, float fraction, std::int64_t boardBeat)
{
    return StoredRange::toInt(sections.leftForFraction(fraction, boardBeat));
}

int topOfFraction(const BoardSections& sections, float fraction)
{
    const float y = fraction * static_cast<float>(sections.boardPanelHeight());
    return StoredRange::toInt(BoardSections::wholePoint(static_cast<double>(y)));
}

QPoint cardOrigin(const BoardSections& sections, const SceneCarddb& card)
{
    return QPoint(leftOfFraction(sections, card.percentageHorizontal(), card.currentBeatSection()),
                  topOfFraction(sections, card.percentageVertical()));
}

void placeCardAt(const BoardSections& sections, SceneCarddb& card, std::int64_t left, std::int64_t top)
{
    card.setPositionLeft(left);
    card.setPositionTop(top);
    const int row = sections.rowOfTop(top);
    const std::int64_t width = sections.boardWidthForSection(row);
    const float along =
        width > 0 ? static_cast<float>(left - BoardSections::kRowStart) / static_cast<float>(width) : 0.0f;
    const BoardSections::PageAndBoardBeat read = sections.pageAndBoardBeatForPositionTop(top, left);
    card.setPageNumber(read.page);
    card.setCurrentBeatSection(beatOfCard(sections, card, row, read.page, along, read.boardBeat));
    card.setPercentageHorizontal(horizontalFraction(sections, static_cast<double>(left), card.currentBeatSection()));
    card.setPercentageVertical(verticalFraction(sections, static_cast<double>(top)));
}

void placeCardWhereItShows(const BoardSections& sections, SceneCarddb& card)
{
    const QPoint shown = cardOrigin(sections, card);
    card.setPositionLeft(shown.x());
    card.setPositionTop(shown.y());
    repageCard(sections, card);
}

void repageCard(const BoardSections& sections, SceneCarddb& card)
{
    // Its page is read from its fraction, not from the whole point it shows at: on a board
    // narrower than the one it was put down on, that point may lie a hair inside the next page.
    const int row = sections.rowOfTop(topOfFraction(sections, card.percentageVertical()));
    readPlace(sections, card, row, card.percentageHorizontal());
}

void placeCardOnPage(const BoardSections& sections, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat,
                     double wanted)
{
    const auto [onPage, bar] = pageAndBar(sections, page, boardBeat);
    standOnPage(sections, card, onPage, bar, sections.fractionOnPage(onPage, bar, wanted));
}

void layOutCardsOnTheirPages(const BoardSections& sections, std::span<const CardOnItsPage> cards, int step)
{
    // Each page's cards in the order given, the pages in the order they first come.
    std::vector<std::pair<std::int64_t, std::vector<const CardOnItsPage*>>> pages;
    std::unordered_map<std::int64_t, std::size_t> pageAt;
    for (const CardOnItsPage& card : cards) {
        const std::int64_t page = pageAndBar(sections, card.page, card.boardBeat).first;
        const auto [found, added] = pageAt.try_emplace(page, pages.size());
        if (added)
            pages.emplace_back(page, std::vector<const CardOnItsPage*>{});
        pages[found->second].second.push_back(&card);
    }
    for (const auto& [page, onPage] : pages) {
        const std::int64_t bar = pageAndBar(sections, page, onPage.front()->boardBeat).second;
        const auto width = static_cast<double>(sections.boardWidthForBoardBeatSection(bar));
        const std::vector<double> places =
            width > 0.0 ? placesOnPage(sections, onPage, page, bar, width, step) : std::vector<double>();
        for (std::size_t index = 0; index < onPage.size(); ++index) {
            const CardOnItsPage& card = *onPage[index];
            const std::int64_t cardBar = pageAndBar(sections, page, card.boardBeat).second;
            // A page without room, or a board without rows, has its cards where the page alone
            // puts them.
            const double along = index < places.size() && std::isfinite(places[index])
                ? (places[index] - static_cast<double>(BoardSections::kRowStart)) / width
                : sections.fractionOnPage(page, cardBar, (card.wantedLeft - static_cast<double>(BoardSections::kRowStart)) /
                                                             std::max(width, 1.0));
            standOnPage(sections, *card.card, page, cardBar, along);
        }
    }
}

void placeCardNextTo(const BoardSections& sections, SceneCarddb& card, const SceneCarddb& anchor)
{
    const auto [page, bar] = pageAndBar(sections, anchor.pageNumber(), anchor.currentBeatSection());
    standOnPage(sections, card, page, bar, fractionAfter(sections, page, bar, anchor.percentageHorizontal(), kBeside));
    // Beside the card, in its row as it stands.
    card.setPositionTop(anchor.positionTop());
    card.setPercentageVertical(anchor.percentageVertical());
}

void placeCardOnPageBesideItsCards(const BoardSections& sections, SceneCarddb& card, std::int64_t page,
                                   const RecordList<SceneCarddb>& board)
{
    const auto [onPage, bar] = pageAndBar(sections, page, 0);
    // The last of them along the row (in board order of two at one place): where a short story's
    // beat card keeps a bar its place does not lie on, board order is not the order along the row.
    const SceneCarddb* last = nullptr;
    for (const auto& other : board)
        if (other.get() != &card && other->sceneCardID() != card.sceneCardID() && other->pageNumber() == onPage &&
            (!last || other->percentageHorizontal() >= last->percentageHorizontal()))
            last = other.get();
    if (!last) {
        const auto rowWidth = std::max<std::int64_t>(sections.boardWidthForBoardBeatSection(bar), 1);
        placeCardOnPage(sections, card, onPage, bar,
                        static_cast<double>(sections.leftForPageNumber(onPage) - static_cast<float>(BoardSections::kRowStart)) /
                            static_cast<double>(rowWidth));
        return;
    }
    standOnPage(sections, card, onPage, bar, fractionAfter(sections, onPage, bar, last->percentageHorizontal(), kBeside));
}

void placeCardAtBoardBeat(const BoardSections& sections, SceneCarddb& card, std::int64_t boardBeat,
                          const RecordList<SceneCarddb>& board)
{
    placeCardOnPage(sections, card, sections.beginningPageNumberForBoardBeat(boardBeat), boardBeat,
                    BoardSections::beginningPercentageForBoardBeat(boardBeat));
    // Cards that already stand there (put back there before) keep their place: this one goes
    // beside them, one after another, as far as its page has room.
    for (std::size_t tries = 0; tries < board.size(); ++tries) {
        const QPoint spot = cardOrigin(sections, card);
        const SceneCarddb* there = nullptr;
        for (const auto& other : board)
            if (other.get() != &card && cardOrigin(sections, *other) == spot)
                there = other.get();
        if (!there)
            return;
        const auto [page, bar] = pageAndBar(sections, card.pageNumber(), boardBeat);
        standOnPage(sections, card, page, bar, fractionAfter(sections, page, bar, there->percentageHorizontal(), kBeside));
        if (card.percentageHorizontal() <= there->percentageHorizontal())
            return;
    }
}

CardPlace::CardPlace(const SceneCarddb& card)
    : onBoard(card.onBoard()), left(card.positionLeft()), top(card.positionTop()),
      horizontal(card.percentageHorizontal()), vertical(card.percentageVertical()), page(card.pageNumber()),
      boardBeat(card.currentBeatSection())
{
}

void CardPlace::restore(SceneCarddb& card) const
{
    card.setOnBoard(onBoard);
    card.setPositionLeft(left);
    card.setPositionTop(top);
    card.setPercentageHorizontal(horizontal);
    card.setPercentageVertical(vertical);
    card.setPageNumber(page);
    card.setCurrentBeatSection(boardBeat);
}
