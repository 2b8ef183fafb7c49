#include "CardPlacement.h"

#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "model/StoryTransaction.h"

#include <algorithm>
#include <limits>

namespace {

// The cards' left edge lies 4 points inside the board's left rule.
constexpr double kRowStart = 4.0;
// How far right of a card another is put beside it.
constexpr double kBeside = 20.0;

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
void standOnPage(Screenplaydb& story, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat, double along)
{
    const BoardSections& sections = story.boardSections();
    const auto fraction = static_cast<float>(along);
    const int row = BoardSections::rowOfBoardBeatSection(boardBeat);
    const std::int64_t top = sections.cardTopForBoardBeatSection(boardBeat);
    card.setPageNumber(page);
    // The beat its page and place give, as every later reading of its place will: in a very short
    // story that may be another bar sharing the page, or, for a beat card, its own beat's.
    card.setCurrentBeatSection(
        beatOfCard(sections, card, row, page, fraction, sections.boardBeatSectionForPlace(row, page, fraction)));
    card.setPercentageHorizontal(fraction);
    card.setPositionLeft(leftOfFraction(story, fraction, boardBeat));
    card.setPositionTop(top);
    card.setPercentageVertical(verticalFraction(story, static_cast<double>(top)));
}

// The page brought within the story, and the bar to place a card of it in: `boardBeat` where that
// is a bar with pages, else the page's own.
std::pair<std::int64_t, std::int64_t> pageAndBar(const Screenplaydb& story, std::int64_t page,
                                                 std::int64_t boardBeat)
{
    const BoardSections& sections = story.boardSections();
    page = std::clamp<std::int64_t>(page, 1, std::max<std::int64_t>(story.pageCount(), 1));
    if (sections.beginningPageNumberForBoardBeat(boardBeat) == 0)
        boardBeat = sections.boardBeatSectionForPageNumber(page);
    return {page, boardBeat};
}

} // namespace

float horizontalFraction(const Screenplaydb& story, double left, std::int64_t boardBeat)
{
    const auto width = static_cast<float>(story.boardSections().boardWidthForBoardBeatSection(boardBeat));
    return fraction(left - kRowStart, width);
}

float verticalFraction(const Screenplaydb& story, double top)
{
    return fraction(top, static_cast<double>(static_cast<float>(story.boardHeight())));
}

int leftOfFraction(const Screenplaydb& story, float fraction, std::int64_t boardBeat)
{
    return StoredRange::toInt(story.boardSections().leftForFraction(fraction, boardBeat));
}

int topOfFraction(const Screenplaydb& story, float fraction)
{
    const float y = fraction * static_cast<float>(story.boardHeight());
    return StoredRange::toInt(BoardSections::wholePoint(static_cast<double>(y)));
}

QPoint cardOrigin(const Screenplaydb& story, const SceneCarddb& card)
{
    return QPoint(leftOfFraction(story, card.percentageHorizontal(), card.currentBeatSection()),
                  topOfFraction(story, card.percentageVertical()));
}

std::int64_t topWithinRow(const Screenplaydb& story, std::int64_t top, std::int64_t cardHeight)
{
    // The row is chosen as the page is.
    const BoardSections::DrawnRow row =
        BoardSections::drawnRow(story.boardHeight(), story.boardSections().rowOfTop(top));
    const std::int64_t greatest = row.bottom - BoardSections::beatBarHeight(story.boardZoomFactor()) - cardHeight;
    return std::max(row.top, std::min(top, greatest));
}

void placeCardAt(Screenplaydb& story, SceneCarddb& card, std::int64_t left, std::int64_t top)
{
    const BoardSections& sections = story.boardSections();
    card.setPositionLeft(left);
    card.setPositionTop(top);
    const int row = sections.rowOfTop(top);
    const std::int64_t width = sections.boardWidthForSection(row);
    const float along = width > 0 ? static_cast<float>(left - 4) / static_cast<float>(width) : 0.0f;
    const BoardSections::PageAndBoardBeat read = sections.pageAndBoardBeatForPositionTop(top, left);
    card.setPageNumber(read.page);
    card.setCurrentBeatSection(beatOfCard(sections, card, row, read.page, along, read.boardBeat));
    card.setPercentageHorizontal(horizontalFraction(story, static_cast<double>(left), card.currentBeatSection()));
    card.setPercentageVertical(verticalFraction(story, static_cast<double>(top)));
}

void placeCardWhereItShows(Screenplaydb& story, SceneCarddb& card)
{
    const QPoint shown = cardOrigin(story, card);
    card.setPositionLeft(shown.x());
    card.setPositionTop(shown.y());
    // Its page is read from its fraction, not from the whole point it shows at: on a board
    // narrower than the one it was put down on, that point may lie a hair inside the next page.
    readPlace(story.boardSections(), card, story.boardSections().rowOfTop(shown.y()), card.percentageHorizontal());
}

void placeCardOnPage(Screenplaydb& story, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat, double wanted)
{
    const auto [onPage, bar] = pageAndBar(story, page, boardBeat);
    standOnPage(story, card, onPage, bar, story.boardSections().fractionOnPage(onPage, bar, wanted));
}

void placeCardAfter(Screenplaydb& story, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat, double wanted,
                    const SceneCarddb* after, double step, std::int64_t toCome)
{
    const auto [onPage, bar] = pageAndBar(story, page, boardBeat);
    double from = -std::numeric_limits<double>::infinity();
    if (after) {
        from = static_cast<double>(after->percentageHorizontal());
        // At least `step` points right of the whole point the other card shows at.
        if (step > 0.0) {
            const double shown = static_cast<double>(leftOfFraction(story, after->percentageHorizontal(), bar));
            wanted = std::max(wanted, static_cast<double>(horizontalFraction(story, shown + step, bar)));
        }
    }
    standOnPage(story, card, onPage, bar, story.boardSections().fractionOnPageAfter(onPage, bar, wanted, from, toCome));
}

void placeCardNextTo(Screenplaydb& story, SceneCarddb& card, const SceneCarddb& anchor)
{
    placeCardAfter(story, card, anchor.pageNumber(), anchor.currentBeatSection(), 0.0, &anchor, kBeside, 0);
    // Beside the card, in its row as it stands.
    card.setPositionTop(anchor.positionTop());
    card.setPercentageVertical(anchor.percentageVertical());
}

void placeCardOnPageBesideItsCards(Screenplaydb& story, SceneCarddb& card, std::int64_t page)
{
    const auto [onPage, bar] = pageAndBar(story, page, 0);
    // The last of them along the row (in board order of two at one place): where a short story's
    // beat card keeps a bar its place does not lie on, board order is not the order along the row.
    const SceneCarddb* last = nullptr;
    for (const auto& other : story.sceneCards())
        if (other.get() != &card && other->sceneCardID() != card.sceneCardID() && other->pageNumber() == onPage &&
            (!last || other->percentageHorizontal() >= last->percentageHorizontal()))
            last = other.get();
    const BoardSections& sections = story.boardSections();
    const auto rowWidth = std::max<std::int64_t>(sections.boardWidthForBoardBeatSection(bar), 1);
    const double pageStart =
        static_cast<double>(sections.leftForPageNumber(onPage) - 4.0f) / static_cast<double>(rowWidth);
    placeCardAfter(story, card, onPage, bar, pageStart, last, kBeside, 0);
}

void placeCardAtBoardBeat(Screenplaydb& story, SceneCarddb& card, std::int64_t boardBeat)
{
    placeCardOnPage(story, card, story.boardSections().beginningPageNumberForBoardBeat(boardBeat), boardBeat,
                    BoardSections::beginningPercentageForBoardBeat(boardBeat));
    // Cards that already stand there (put back there before) keep their place: this one goes
    // beside them, as far as its page has room.
    for (std::size_t tries = 0; tries < story.sceneCards().size(); ++tries) {
        const QPoint spot(StoredRange::toInt(card.positionLeft()), StoredRange::toInt(card.positionTop()));
        const SceneCarddb* there = nullptr;
        for (const auto& other : story.sceneCards())
            if (other.get() != &card && cardOrigin(story, *other) == spot)
                there = other.get();
        if (!there)
            return;
        placeCardAfter(story, card, card.pageNumber(), boardBeat, card.percentageHorizontal(), there, kBeside, 0);
        if (card.percentageHorizontal() <= there->percentageHorizontal())
            return;
    }
}

bool widenBoardToLeast(Screenplaydb& story)
{
    BoardSections& sections = story.boardSections();
    const std::int64_t least = sections.leastBoardPanelWidth();
    if (story.boardWidth() >= least)
        return false;
    story.setBoardWidth(least);
    sections.setBoardPanelWidth(least);
    return true;
}

void repageCards(Screenplaydb& story)
{
    // Each card is read where it shows: where its fractions put it on the board as it is now,
    // at least as wide as the new count's pages need. (Its stored place is where it was last
    // put, on the board as it was then.)
    BoardSections& sections = story.boardSections();
    sections.setBoardPanelWidth(story.boardWidth());
    sections.setBoardPanelHeight(story.boardHeight());
    widenBoardToLeast(story);
    for (auto* cards : {&story.sceneCards(), &story.litterBox()}) {
        for (auto& card : *cards) {
            placeCardWhereItShows(story, *card);
            card->save();
        }
    }
}

bool putCardOnBoard(Screenplaydb& story, SceneCarddb& card, const CardPlace& inLitterBox)
{
    if (!story.moveSceneCardToBoard(&card)) {
        inLitterBox.restore(card);
        return false;
    }
    try {
        StoryTransaction transaction(story.database());
        card.setOnBoard(1);
        card.save();
        story.sortAndRenumberBoard();
        transaction.commit();
    } catch (...) {
        // Undone in the file: the card is back in the Litter Box, where it was.
        inLitterBox.restore(card);
        story.moveSceneCardToLitterBox(&card);
        throw;
    }
    return true;
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
