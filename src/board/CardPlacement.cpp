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

QPoint cardOrigin(const Screenplaydb& story, const SceneCarddb& card)
{
    const auto width = static_cast<float>(story.boardSections().boardWidthForBoardBeatSection(card.currentBeatSection()));
    const float x = card.percentageHorizontal() * width + static_cast<float>(kRowStart);
    const float y = card.percentageVertical() * static_cast<float>(story.boardHeight());
    return QPoint(StoredRange::toInt(static_cast<double>(x)), StoredRange::toInt(static_cast<double>(y)));
}

void placeCardAt(Screenplaydb& story, SceneCarddb& card, std::int64_t left, std::int64_t top)
{
    const BoardSections& sections = story.boardSections();
    card.setPositionLeft(left);
    card.setPositionTop(top);
    card.setPageNumber(sections.pageNumberForPositionTop(top, left));
    card.setCurrentBeatSection(sections.boardBeatSectionForPageNumber(card.pageNumber()));
    card.setPercentageHorizontal(horizontalFraction(story, static_cast<double>(left), card.currentBeatSection()));
    card.setPercentageVertical(verticalFraction(story, static_cast<double>(top)));
}

void sortAndRenumberBoard(Screenplaydb& story)
{
    sortRecords(story.sceneCards(), &SceneCarddb::sortByLocation);
    story.resetOnBoardSceneCardSortOrder();
}

bool moveCard(RecordList<SceneCarddb>& from, RecordList<SceneCarddb>& to, const SceneCarddb* card)
{
    const auto found =
        std::find_if(from.begin(), from.end(), [card](const std::unique_ptr<SceneCarddb>& held) { return held.get() == card; });
    if (found == from.end())
        return false;
    to.push_back(std::move(*found));
    from.erase(found);
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
