#include "model/Beatdb.h"
#include "model/BoardSections.h"
#include "model/CardPlacement.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::array<std::int64_t, 17> kBeatBars = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, 16, 17, 19, 20};

BoardSections board(std::int64_t pages, std::int64_t zoom, std::int64_t width)
{
    BoardSections sections;
    sections.setPageCount(pages);
    sections.setBoardZoomFactor(zoom);
    sections.setBoardPanelWidth(width);
    sections.setBoardPanelHeight(732);
    return sections;
}

// Each card's page and board beat by its key, and whether any stands on page 0 or left of the
// board.
struct Paged {
    std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> cards;
    bool offTheBoard = false;
};

Paged pagedCards(Screenplaydb& story)
{
    Paged paged;
    for (const auto& card : story.sceneCards()) {
        paged.cards[card->sceneCardID()] = {card->pageNumber(), card->currentBeatSection()};
        paged.offTheBoard = paged.offTheBoard || card->pageNumber() < 1 || card->positionLeft() < 4;
    }
    return paged;
}

} // namespace

// A card placed by its page, at any place it is wanted, reads its page and board beat back from
// its place on the board it was placed on and on every other at least the least width: the
// least itself, a point more, the default and the widest zoom's. Every page of stories of 4 to
// 1000 pages, in every bar that holds it, at each zoom.
TEST(CardPlacement, ACardPlacedByItsPageReadsItsPageAndBeatBackOnEveryBoard)
{
    std::vector<std::int64_t> counts;
    for (std::int64_t pages = 4; pages <= 60; ++pages)
        counts.push_back(pages);
    for (const std::int64_t pages : {90, 110, 111, 127, 400, 999, 1000})
        counts.push_back(pages);
    for (const std::int64_t pages : counts) {
        for (const std::int64_t zoom : {1, 4}) {
            SCOPED_TRACE(std::to_string(pages) + " pages, zoom " + std::to_string(zoom));
            const BoardSections placing = board(pages, zoom, 1840);
            const std::int64_t least = placing.leastBoardPanelWidth();
            ASSERT_GE(placing.boardWidthForSection(0), 270);
            for (std::int64_t page = 1; page <= pages; ++page) {
                for (const std::int64_t bar : kBeatBars) {
                    if (placing.beginningPageNumberForBoardBeat(bar) > page ||
                        placing.endingPageNumberForBoardBeat(bar) < page)
                        continue;
                    for (const double wanted : {-1.0, 0.0, static_cast<double>(placing.leftForPageNumber(page) - 4.0f) /
                                                               static_cast<double>(placing.boardWidthForSection(0)),
                                                static_cast<double>(BoardSections::beginningPercentageForBoardBeat(bar)),
                                                0.5, 0.9999, 2.0}) {
                        const double fraction = placing.fractionOnPage(page, bar, wanted);
                        ASSERT_GE(fraction, 0.0);
                        ASSERT_LT(fraction, 1.0);
                        for (const std::int64_t width : {least, least + 1, least + 7, std::int64_t{1840}, std::int64_t{3050}}) {
                            const BoardSections shown = board(pages, zoom, width);
                            const std::int64_t left = shown.leftForFraction(static_cast<float>(fraction), bar);
                            const std::int64_t top = shown.topForBoardBeatSection(bar);
                            ASSERT_EQ(shown.pageNumberForPositionTop(top, left), page)
                                << "bar " << bar << " wanted " << wanted << " board " << width;
                            // The beat the card is given where it stands is read back too: the
                            // bar it lies on where the page alone does not tell it.
                            const std::int64_t beat = shown.boardBeatSectionForPositionTop(top, left);
                            ASSERT_EQ(beat, placing.boardBeatSectionForPlace(BoardSections::rowOfBoardBeatSection(bar),
                                                                             page, static_cast<float>(fraction)))
                                << "page " << page << " bar " << bar << " wanted " << wanted << " board " << width;
                            ASSERT_LE(shown.beginningPageNumberForBoardBeat(beat), page);
                            ASSERT_GE(shown.endingPageNumberForBoardBeat(beat), page);
                            // Wanted at its bar's start, a card stands on its bar wherever that
                            // shares its page.
                            if (wanted == static_cast<double>(BoardSections::beginningPercentageForBoardBeat(bar)) &&
                                shown.boardBeatSectionForPageNumber(page) == bar) {
                                ASSERT_EQ(beat, bar) << "page " << page << " board " << width;
                            }
                        }
                    }
                }
            }
        }
    }
}

// A place well inside its page is kept as it is wanted; the row's start is kept exactly.
TEST(CardPlacement, APlaceWellInsideItsPageIsKept)
{
    const BoardSections sections = board(110, 1, 1840);
    // Page 30 spans 4/30 to 5/30 of the second row, in the B Story bar (.133 to .1663).
    EXPECT_DOUBLE_EQ(sections.fractionOnPage(30, 10, 0.15), 0.15);
    EXPECT_DOUBLE_EQ(sections.fractionOnPage(1, 1, 0.0), 0.0);
    EXPECT_EQ(sections.leftForFraction(0.0f, 1), 4);
    // Whole lefts come back from the fractions worked out from them, at every width a board has.
    for (std::int64_t width = 548; width <= 4000; width += 13) {
        const BoardSections wide = board(110, 1, width);
        const auto row = static_cast<double>(wide.boardWidthForSection(0));
        for (std::int64_t left = 4; left <= wide.boardWidthForSection(0) + 4; ++left)
            ASSERT_EQ(wide.leftForFraction(static_cast<float>(static_cast<double>(left - 4) / row), 9), left)
                << "board " << width;
    }
}

// The least board holds a card's width of row, and three points for every page of the fullest
// row.
TEST(CardPlacement, TheLeastBoardHoldsACardAndEveryPage)
{
    struct Row {
        std::int64_t pages;
        std::int64_t zoom;
        std::int64_t leastRow;
        std::int64_t leastBoard;
    };
    const Row rows[] = {
        {4, 1, 270, 548},
        {110, 1, 270, 548},
        {110, 4, 270, 638},
        {400, 1, 330, 608},
        {1000, 1, 825, 1103},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pages);
        const BoardSections sections = board(row.pages, row.zoom, 100);
        EXPECT_EQ(sections.leastRowWidth(), row.leastRow);
        EXPECT_EQ(sections.leastBoardPanelWidth(), row.leastBoard);
    }
}

// Every way the story's own operations place cards by their page, on a board as the window or
// Fit to Current View leaves it (the default, or one narrower than a row: the least then
// holds), keeps each card's page and beat through a page count changed and set back; no card
// ever stands on page 0 or left of the board.
TEST(CardPlacement, EveryCardKeepsItsPageAndBeatThroughAPageCountChangedAndSetBack)
{
    struct Way {
        const char* name;
        std::int64_t pages;
        std::int64_t boardWidth;
    };
    const Way ways[] = {
        {"beat cards with every group", 110, 1840},
        {"beat cards with every group", 4, 1840},
        {"beat cards with every group", 5, 1840},
        {"beat cards with every group", 6, 1840},
        {"beat cards with every group", 23, 1840},
        {"beat cards with every group", 25, 1840},
        {"beat cards with every group", 1000, 1840},
        {"beat cards with every group, a board narrower than a row", 110, 167},
        {"beat cards with every group, a board narrower than a row", 4, 167},
    };
    for (const Way& way : ways) {
        for (const std::int64_t changed : {way.pages + 1, way.pages + 100, std::int64_t{4}, std::int64_t{1000}}) {
            if (changed == way.pages)
                continue;
            SCOPED_TRACE(std::string(way.name) + ", " + std::to_string(way.pages) + " pages, then " +
                         std::to_string(changed));
            NewStory file;
            Screenplaydb& story = file.story();
            story.setPageCount(way.pages);
            story.setBoardWidth(way.boardWidth);
            story.boardSections().setBoardPanelWidth(way.boardWidth);
            story.save();
            for (const auto& beat : story.beats()) {
                beat->setDescription(QStringLiteral("What happens in beat %1").arg(beat->beatNumber()));
                beat->save();
            }
            Toolkit().addInitialBeatCardsForScreenplay(story, {true, true, true, true, true});
            // A card added beside each beat card, and one put on a page as the large card does,
            // on a page that is not the start of any beat.
            const std::size_t beatCards = story.sceneCards().size();
            for (std::size_t index = 0; index < beatCards; index += 4) {
                auto beside = std::make_unique<SceneCarddb>();
                beside->setScreenplayID(story.screenplayID());
                placeCardNextTo(story, *beside, *story.sceneCards()[index]);
                beside->insertIntoDatabase(&story);
                story.sceneCards().push_back(std::move(beside));
            }
            auto onPage = std::make_unique<SceneCarddb>();
            onPage->setScreenplayID(story.screenplayID());
            placeCardOnPage(story, *onPage, (way.pages * 2) / 3, 0, 0.0);
            onPage->insertIntoDatabase(&story);
            story.sceneCards().push_back(std::move(onPage));
            const Paged placed = pagedCards(story);
            ASSERT_FALSE(placed.offTheBoard);

            story.setPageCount(changed);
            EXPECT_FALSE(pagedCards(story).offTheBoard);
            EXPECT_GE(story.boardWidth(), story.boardSections().leastBoardPanelWidth());
            story.setPageCount(way.pages);
            const Paged back = pagedCards(story);
            EXPECT_FALSE(back.offTheBoard);
            for (const auto& [key, paging] : placed.cards)
                EXPECT_EQ(back.cards.at(key), paging) << "card " << key;
            // And so does the file.
            file.reopen();
            const Paged stored = pagedCards(file.story());
            for (const auto& [key, paging] : placed.cards)
                EXPECT_EQ(stored.cards.at(key), paging) << "card " << key << " in the file";
        }
    }
}
