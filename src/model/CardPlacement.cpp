#include "CardPlacement.h"

#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "model/StoryTransaction.h"

#include <algorithm>

namespace {

// The cards' left edge lies 4 points inside the board's left rule.
constexpr double kRowStart = 4.0;

float fraction(double part, double whole)
{
    return whole > 0.0 ? static_cast<float>(part / whole) : 0.0f;
}

// Gives the card the position (left, top) and the page and board beat read there; its fractions
// stay.
void standAt(const Screenplaydb& story, SceneCarddb& card, std::int64_t left, std::int64_t top)
{
    card.setPositionLeft(left);
    card.setPositionTop(top);
    const BoardSections::PageAndBoardBeat read = story.boardSections().pageAndBoardBeatForPositionTop(top, left);
    card.setPageNumber(read.page);
    card.setCurrentBeatSection(read.boardBeat);
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

QPoint cardOrigin(const Screenplaydb& story, const SceneCarddb& card)
{
    const float y = card.percentageVertical() * static_cast<float>(story.boardHeight());
    return QPoint(leftOfFraction(story, card.percentageHorizontal(), card.currentBeatSection()),
                  StoredRange::toInt(static_cast<double>(y)));
}

QSize standardCardSize(const Screenplaydb& story)
{
    const BoardSections& sections = story.boardSections();
    return {static_cast<int>(sections.STANDARDSCENECARDWIDTH()), static_cast<int>(sections.STANDARDSCENECARDHEIGHT())};
}

int beatBarHeight(std::int64_t zoomFactor)
{
    static constexpr std::array<int, 4> heights{28, 32, 36, 40};
    return zoomFactor >= 1 && zoomFactor <= 4 ? heights[static_cast<std::size_t>(zoomFactor - 1)] : 0;
}

std::array<int, 3> rowRules(int height)
{
    constexpr int kRule = 4;
    const int middle = static_cast<int>(static_cast<float>(height - kRule) * 0.5f + 0.5f);
    const int upper = middle / 2;
    const int lower =
        static_cast<int>(static_cast<float>(height - (middle + kRule)) * 0.5f + static_cast<float>(middle) + 0.5f);
    return {upper, middle, lower};
}

std::int64_t topWithinRow(const Screenplaydb& story, std::int64_t top, std::int64_t cardHeight)
{
    constexpr std::int64_t kRule = 4;
    const std::int64_t height = story.boardHeight();
    const std::array<int, 3> rules = rowRules(StoredRange::toInt(height));
    const std::array<std::int64_t, 4> rowTops{kRule, rules[0] + kRule, rules[1] + kRule, rules[2] + kRule};
    const std::array<std::int64_t, 4> rowBottoms{rules[0], rules[1], rules[2], height - kRule};
    // The row is chosen as the page is.
    const auto row = static_cast<std::size_t>(story.boardSections().rowOfTop(top) - 1);
    const std::int64_t least = rowTops[row];
    const std::int64_t greatest = rowBottoms[row] - beatBarHeight(story.boardZoomFactor()) - cardHeight;
    return std::max(least, std::min(top, greatest));
}

void placeCardAt(Screenplaydb& story, SceneCarddb& card, std::int64_t left, std::int64_t top)
{
    standAt(story, card, left, top);
    card.setPercentageHorizontal(horizontalFraction(story, static_cast<double>(left), card.currentBeatSection()));
    card.setPercentageVertical(verticalFraction(story, static_cast<double>(top)));
}

void placeCardWhereItShows(Screenplaydb& story, SceneCarddb& card)
{
    const QPoint shown = cardOrigin(story, card);
    standAt(story, card, shown.x(), shown.y());
}

void placeCardOnPage(Screenplaydb& story, SceneCarddb& card, std::int64_t page, std::int64_t boardBeat, double wanted)
{
    const BoardSections& sections = story.boardSections();
    page = std::clamp<std::int64_t>(page, 1, std::max<std::int64_t>(story.pageCount(), 1));
    if (sections.beginningPageNumberForBoardBeat(boardBeat) == 0)
        boardBeat = sections.boardBeatSectionForPageNumber(page);
    const auto along = static_cast<float>(sections.fractionOnPage(page, boardBeat, wanted));
    const std::int64_t top = sections.topForBoardBeatSection(boardBeat);
    card.setPageNumber(page);
    // The beat its page and place give, as every later reading of its place will: in a very short
    // story that may be another bar sharing the page.
    card.setCurrentBeatSection(
        sections.boardBeatSectionForPlace(BoardSections::rowOfBoardBeatSection(boardBeat), page, along));
    card.setPercentageHorizontal(along);
    card.setPositionLeft(leftOfFraction(story, along, boardBeat));
    card.setPositionTop(top);
    card.setPercentageVertical(verticalFraction(story, static_cast<double>(top)));
}

void placeCardNextTo(Screenplaydb& story, SceneCarddb& card, const SceneCarddb& anchor)
{
    constexpr std::int64_t kBeside = 20;
    const BoardSections& sections = story.boardSections();
    const std::int64_t page = anchor.pageNumber();
    const std::int64_t boardBeat = anchor.currentBeatSection();
    double along = sections.fractionOnPage(
        page, boardBeat, horizontalFraction(story, static_cast<double>(anchor.positionLeft() + kBeside), boardBeat));
    // Near its page's end the card goes no further right than the page allows, but never left of
    // the card it goes beside where that one shows on its page: at worst onto it, after it in
    // board order.
    const float anchorAlong = anchor.percentageHorizontal();
    if (along < static_cast<double>(anchorAlong) &&
        sections.pageNumberForPositionTop(anchor.positionTop(), leftOfFraction(story, anchorAlong, boardBeat)) == page)
        along = static_cast<double>(anchorAlong);
    placeCardOnPage(story, card, page, boardBeat, along);
    // Beside the card, in its row as it stands.
    card.setPositionTop(anchor.positionTop());
    card.setPercentageVertical(anchor.percentageVertical());
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

void sortAndRenumberBoard(Screenplaydb& story)
{
    sortRecords(story.sceneCards(), &SceneCarddb::sortByLocation);
    story.resetOnBoardSceneCardSortOrder();
}

bool moveCard(RecordList<SceneCarddb>& from, RecordList<SceneCarddb>& to, const SceneCarddb* card)
{
    std::unique_ptr<SceneCarddb> moved = from.take(card);
    if (!moved)
        return false;
    to.push_back(std::move(moved));
    return true;
}

void putCardOnBoard(Screenplaydb& story, SceneCarddb& card)
{
    StoryTransaction transaction(story.database());
    card.setOnBoard(1);
    moveCard(story.litterBox(), story.sceneCards(), &card);
    try {
        card.save();
        sortAndRenumberBoard(story);
        transaction.commit();
    } catch (...) {
        // Undone in the file: the card is back in the Litter Box.
        card.setOnBoard(2);
        moveCard(story.sceneCards(), story.litterBox(), &card);
        throw;
    }
}
