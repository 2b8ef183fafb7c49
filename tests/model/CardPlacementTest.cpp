#include "model/Beatdb.h"
#include "model/BoardSections.h"
#include "model/CardPlacement.h"
#include "model/SceneCarddb.h"
#include "model/StoryTransaction.h"
#include "model/Screenplaydb.h"
#include "model/Toolkit.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <set>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::array<std::int64_t, 17> kBeatBars = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, 16, 17, 19, 20};

// Where each of those bars begins and ends along its row (fractions of its width), and its row.
struct BarSpan {
    float begins;
    float ends;
    int row;
};
constexpr std::array<BarSpan, 17> kBarSpans{{
    {0.0f, 0.04f, 1}, {0.04f, 0.16f, 1}, {0.16f, 0.20f, 1}, {0.20f, 0.44f, 1}, {0.44f, 0.48f, 1}, {0.48f, 0.96f, 1},
    {0.96f, 1.0f, 1}, {0.0f, 0.133f, 2}, {0.133f, 0.1663f, 2}, {0.1663f, 0.9657f, 2}, {0.967f, 1.0f, 2},
    {0.0f, 0.6327f, 3}, {0.6327f, 0.666f, 3}, {0.666f, 0.9657f, 3}, {0.967f, 1.0f, 3}, {0.0f, 0.96f, 4},
    {0.96f, 1.0f, 4},
}};

int rowOfBar(std::int64_t bar)
{
    const auto at = std::find(kBeatBars.begin(), kBeatBars.end(), bar);
    return at == kBeatBars.end() ? 0 : kBarSpans[static_cast<std::size_t>(at - kBeatBars.begin())].row;
}

// The board beat of a card on `page` at `fraction` of row `row`, by the board's table: of the
// row's bars whose pages hold the page, the one the card lies on, else the nearest.
std::int64_t beatByTheTable(const BoardSections& sections, int row, std::int64_t page, float fraction)
{
    std::int64_t nearest = 0;
    float nearestDistance = 2.0f;
    for (std::size_t index = 0; index < kBeatBars.size(); ++index) {
        const std::int64_t bar = kBeatBars[index];
        const BarSpan& span = kBarSpans[index];
        if (span.row != row || sections.beginningPageNumberForBoardBeat(bar) > page ||
            sections.endingPageNumberForBoardBeat(bar) < page)
            continue;
        if (span.begins <= fraction && fraction < span.ends)
            return bar;
        const float distance = fraction < span.begins ? span.begins - fraction : fraction - span.ends;
        if (distance < nearestDistance) {
            nearest = bar;
            nearestDistance = distance;
        }
    }
    return nearest;
}

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
                            ASSERT_EQ(beat, beatByTheTable(placing, rowOfBar(bar), page, static_cast<float>(fraction)))
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

namespace {

// The story's board `width` by `height` points, as the board pane sets it.
void setBoard(Screenplaydb& story, std::int64_t width, std::int64_t height = 732)
{
    story.setBoardWidth(width);
    story.setBoardHeight(height);
    story.boardSections().setBoardPanelWidth(width);
    story.boardSections().setBoardPanelHeight(height);
}

// The page count changed and set back, as the title pane's Pages field does, on the sections
// alone: each time every card is read again where it shows.
void repagedAndBack(Screenplaydb& story, SceneCarddb& card, std::int64_t pages)
{
    for (const std::int64_t count : {pages + 1, pages}) {
        story.boardSections().setPageCount(count);
        placeCardWhereItShows(story, card);
    }
}

// The bar each beat card stands on (the beat sheet's beat n on its board, the first bar of the
// two that carry "Set-up" and "Fun and Games" being the one after the one-page beat inside them).
constexpr std::array<std::int64_t, 16> kOwnBar = {0, 1, 3, 4, 5, 6, 7, 10, 11, 12, 14, 15, 16, 17, 19, 20};

} // namespace

// A card dropped at any whole point of any row keeps its page and board beat through a page count
// changed and set back, whatever width the board took between: Fit to Current View, a wider or a
// narrower board, another zoom. (A whole point on a narrower board may lie a hair inside the
// page before.)
TEST(CardPlacement, ADroppedCardKeepsItsPageAndBeatWhateverWidthTheBoardTakesBeforeANewPageCount)
{
    NewStory file;
    Screenplaydb& story = file.story();
    story.boardSections().setPageCount(110);
    struct Board {
        std::int64_t width;
        std::int64_t height;
        std::int64_t zoom;
    };
    const Board boards[] = {{3600, 732, 1}, {2260, 732, 1}, {1840, 732, 1}, {564, 732, 1}, {1840, 996, 4}};
    std::int64_t places = 0;
    for (const Board& dropped : boards) {
        for (int row = 1; row <= 4; ++row) {
            SCOPED_TRACE("dropped on " + std::to_string(dropped.width) + ", row " + std::to_string(row));
            story.setBoardZoomFactor(dropped.zoom);
            setBoard(story, dropped.width, dropped.height);
            const BoardSections& sections = story.boardSections();
            const std::int64_t top = BoardSections::drawnRow(dropped.height, row).top;
            const std::int64_t rightmost = dropped.width - sections.STANDARDSCENECARDWIDTH() - 5;
            for (std::int64_t left = 4; left <= rightmost; ++left) {
                story.setBoardZoomFactor(dropped.zoom);
                setBoard(story, dropped.width, dropped.height);
                SceneCarddb card;
                placeCardAt(story, card, left, top);
                const std::pair<std::int64_t, std::int64_t> read{card.pageNumber(), card.currentBeatSection()};
                ++places;
                for (const Board& shown : boards) {
                    if (shown.width == dropped.width && shown.zoom == dropped.zoom)
                        continue;
                    story.setBoardZoomFactor(shown.zoom);
                    setBoard(story, shown.width, shown.height);
                    repagedAndBack(story, card, 110);
                    ASSERT_EQ(std::make_pair(card.pageNumber(), card.currentBeatSection()), read)
                        << "left " << left << ", shown on " << shown.width << " at zoom " << shown.zoom;
                }
            }
        }
    }
    EXPECT_GT(places, 30000);
}

// Every beat card of a new story's initial cards stands on its own beat, on its beat's first
// page, at every page count from 4 to 1000, with every group of suggested cards; where a short
// story gives several bars one page, the cards stand apart inside that page in the order they
// were made, none on another. A page count changed and set back leaves every card's page and
// beat.
TEST(CardPlacement, EveryBeatCardStandsOnItsOwnBeatAndNoCardOnAnotherAtEveryPageCount)
{
    NewStory file;
    Screenplaydb& story = file.story();
    setBoard(story, 1840);
    for (const auto& beat : story.beats())
        beat->setDescription(QStringLiteral("What happens in beat %1").arg(beat->beatNumber()));
    for (std::int64_t pages = 4; pages <= 1000; ++pages) {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        story.setPageCount(pages);
        const BoardSections& sections = story.boardSections();
        // Nothing of this reaches the file: the cards go with the group of writes left undone.
        StoryTransaction undone(story.database());
        Toolkit().addInitialBeatCardsForScreenplay(story, {true, true, true, true, true});
        auto& cards = story.sceneCards();
        ASSERT_EQ(cards.size(), 33u);
        std::set<std::pair<std::int64_t, std::int64_t>> places;
        std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> before;
        std::map<std::pair<std::int64_t, std::int64_t>, float> lastOnPage;
        for (const auto& card : cards) {
            const std::int64_t beat = card->beatCardNumber();
            if (beat >= 1) {
                const std::int64_t bar = kOwnBar[static_cast<std::size_t>(beat)];
                EXPECT_EQ(card->currentBeatSection(), bar) << "beat card " << beat;
                EXPECT_EQ(card->pageNumber(), beat == 1 ? 1 : sections.beginningPageNumberForBoardBeat(bar))
                    << "beat card " << beat;
            }
            EXPECT_TRUE(places.insert({card->positionTop(), card->positionLeft()}).second)
                << "card " << card->sortOrder() << " on another at " << card->positionLeft();
            // In creation order along each page of a row.
            const std::pair<std::int64_t, std::int64_t> page{card->positionTop(), card->pageNumber()};
            if (lastOnPage.count(page)) {
                EXPECT_GT(card->percentageHorizontal(), lastOnPage[page]) << "card " << card->sortOrder();
            }
            lastOnPage[page] = card->percentageHorizontal();
            before[card->sceneCardID()] = {card->pageNumber(), card->currentBeatSection()};
        }
        if (pages <= 60 || pages % 37 == 0) {
            story.setPageCount(pages + 1);
            story.setPageCount(pages);
            for (const auto& card : cards)
                EXPECT_EQ(std::make_pair(card->pageNumber(), card->currentBeatSection()),
                          before.at(card->sceneCardID()))
                    << "card " << card->sortOrder();
        }
        cards.eraseIf([](const auto&) { return true; });
    }
}

// Cards a writer or the program puts on one page, or beside one another, stand apart in the
// order they were put, inside their page: 20 points beside, the rest of the page's room shared
// where it ends first; only a page with no room left has one share the other's place.
TEST(CardPlacement, CardsPutBesideEachOtherOrOnOnePageStandApartInTheOrderTheyWerePut)
{
    // A card added beside an anchor at every whole point of a row: on the anchor's page, never
    // left of it, after it in board order, and 20 points right of it where its page has room.
    for (const std::int64_t pages : {20, 110, 120}) {
        NewStory file;
        Screenplaydb& story = file.story();
        story.setPageCount(pages);
        setBoard(story, 1840);
        const BoardSections& sections = story.boardSections();
        const std::int64_t top = BoardSections::drawnRow(732, 2).top;
        std::int64_t besideBy20 = 0;
        for (std::int64_t left = 4; left <= 1840 - 270 - 5; ++left) {
            SCOPED_TRACE(std::to_string(pages) + " pages, anchor at " + std::to_string(left));
            SceneCarddb anchor;
            placeCardAt(story, anchor, left, top);
            SceneCarddb added;
            placeCardNextTo(story, added, anchor);
            ASSERT_EQ(added.pageNumber(), anchor.pageNumber());
            ASSERT_GE(added.percentageHorizontal(), anchor.percentageHorizontal());
            ASSERT_GE(added.positionLeft(), left);
            ASSERT_GE(added.sortByLocation(anchor), 0);
            ASSERT_EQ(sections.pageNumberForPositionTop(added.positionTop(), added.positionLeft()), added.pageNumber());
            besideBy20 += added.positionLeft() == left + 20 ? 1 : 0;
            // With room right of the anchor (a whole point of its page further right where a card
            // placed on that page may stand), not on it.
            const double roomEnd = sections.fractionOnPage(anchor.pageNumber(), anchor.currentBeatSection(), 2.0);
            if (sections.leftForFraction(static_cast<float>(roomEnd), anchor.currentBeatSection()) > left) {
                ASSERT_GT(added.positionLeft(), left);
            }
        }
        // Most of a row's places leave a page 20 points of room.
        EXPECT_GT(besideBy20, (1840 - 270 - 8) / 3) << pages << " pages";
    }

    // The last place of a row has no room right of it: the new card shares it, after it in
    // board order (3600 points, Kessler Pass's full board; page 110 is the row's last).
    {
        NewStory file;
        Screenplaydb& story = file.story();
        story.setPageCount(110);
        setBoard(story, 3600);
        SceneCarddb anchor;
        placeCardAt(story, anchor, 3325, BoardSections::drawnRow(732, 4).top);
        ASSERT_EQ(anchor.pageNumber(), 110);
        SceneCarddb added;
        placeCardNextTo(story, added, anchor);
        EXPECT_EQ(added.positionLeft(), 3325);
        EXPECT_EQ(added.pageNumber(), 110);
        EXPECT_GE(added.sortByLocation(anchor), 0);
    }

    // A 12-page short film: the beat cards with the Set-Up and Debate groups, then cards given
    // pages 2 and 8 in the large card, each 20 points right of the last card of its page.
    {
        NewStory file;
        Screenplaydb& story = file.story();
        story.setPageCount(12);
        setBoard(story, 1840);
        Toolkit().addInitialBeatCardsForScreenplay(story, {true, true, false, false, false});
        for (const std::int64_t page : {2, 8, 8}) {
            const SceneCarddb* lastBefore = nullptr;
            for (const auto& card : story.sceneCards())
                if (card->pageNumber() == page)
                    lastBefore = card.get();
            ASSERT_NE(lastBefore, nullptr);
            auto card = std::make_unique<SceneCarddb>();
            card->setScreenplayID(story.screenplayID());
            placeCardOnPageBesideItsCards(story, *card, page);
            card->insertIntoDatabase(&story);
            EXPECT_EQ(card->pageNumber(), page);
            EXPECT_GT(card->percentageHorizontal(), lastBefore->percentageHorizontal()) << "page " << page;
            story.sceneCards().push_back(std::move(card));
            story.sortAndRenumberBoard();
        }
        std::set<std::pair<std::int64_t, std::int64_t>> places;
        for (const auto& card : story.sceneCards())
            EXPECT_TRUE(places.insert({card->positionTop(), card->positionLeft()}).second)
                << "a card on another at " << card->positionLeft() << "," << card->positionTop();
    }
}

// A whole top or left a card was put at comes back from its fractions on the same board: a new
// page count or a card brought back from the Litter Box leaves it where it was (a fraction of
// 368 on a board 732 high comes to 367.99997).
TEST(CardPlacement, AWholePlaceComesBackFromItsFractions)
{
    NewStory file;
    Screenplaydb& story = file.story();
    story.boardSections().setPageCount(110);
    for (const std::int64_t height : {732, 804, 876, 996, 1481, 2000}) {
        setBoard(story, 1840, height);
        for (std::int64_t top = 0; top <= height; ++top)
            ASSERT_EQ(topOfFraction(story, verticalFraction(story, static_cast<double>(top))), top)
                << "board " << height;
    }
    setBoard(story, 1840, 732);
    for (const std::int64_t top : {368, 181}) {
        SceneCarddb card;
        placeCardAt(story, card, 600, top);
        placeCardWhereItShows(story, card);
        EXPECT_EQ(card.positionTop(), top);
        EXPECT_EQ(card.positionLeft(), 600);
    }
}

// A card placed by its page stands at its row's top as the board draws it, clear of the rule
// above, and keeps that top when it is put down again; its row reads back. The drawn top and
// the top cards' rows are read from differ by a point unless the height less 4 is a multiple of
// four: row 4 then starts a point lower, row 3 too where that remainder is odd, row 2 where it
// is 3.
TEST(CardPlacement, ACardPlacedByItsPageStandsClearOfItsRowsRule)
{
    NewStory file;
    Screenplaydb& story = file.story();
    story.boardSections().setPageCount(110);
    std::int64_t differing = 0;
    for (std::int64_t height = 300; height <= 2000; ++height) {
        SCOPED_TRACE(height);
        setBoard(story, 1840, height);
        const BoardSections& sections = story.boardSections();
        // The rules as the board draws them: the middle one at half the height less 4, rounded
        // up, the first at half of that, the last halfway between the middle one's end and the
        // board's, rounded up.
        const std::int64_t usable = height - 4;
        const std::int64_t middle = (usable + 1) / 2;
        const std::array<std::int64_t, 4> drawnTops{4, middle / 2 + 4, middle + 4,
                                                    middle + (usable - middle + 1) / 2 + 4};
        const std::int64_t remainder = usable % 4;
        const std::array<std::int64_t, 4> lower{0, remainder == 3 ? 1 : 0, remainder % 2, remainder != 0 ? 1 : 0};
        for (const std::int64_t bar : {1, 9, 14, 19}) {
            const int row = BoardSections::rowOfBoardBeatSection(bar);
            const auto at = static_cast<std::size_t>(row - 1);
            ASSERT_EQ(BoardSections::drawnRow(height, row).top, drawnTops[at]) << "row " << row;
            ASSERT_EQ(drawnTops[at] - sections.topForBoardBeatSection(bar), lower[at]) << "row " << row;
            SceneCarddb card;
            placeCardOnPage(story, card, sections.beginningPageNumberForBoardBeat(bar), bar, 0.0);
            ASSERT_EQ(card.positionTop(), drawnTops[at]) << "row " << row;
            ASSERT_EQ(sections.rowOfTop(card.positionTop()), row);
            ASSERT_EQ(topWithinRow(story, card.positionTop(), 148), card.positionTop()) << "row " << row;
            differing += lower[at];
        }
    }
    EXPECT_GT(differing, 1275);
}

// Putting a card on the board that the Litter Box does not hold moves and writes nothing.
TEST(CardPlacement, OnlyALitterBoxCardIsPutOnTheBoard)
{
    NewStory file;
    Screenplaydb& story = file.story();
    auto onBoard = std::make_unique<SceneCarddb>();
    onBoard->setScreenplayID(story.screenplayID());
    onBoard->insertIntoDatabase(&story);
    SceneCarddb* card = onBoard.get();
    story.sceneCards().push_back(std::move(onBoard));
    const CardPlace before(*card);
    placeCardAt(story, *card, 900, 400);
    // A refused write would have moved it into the Litter Box.
    file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON SceneCard BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_FALSE(putCardOnBoard(story, *card, before));
    EXPECT_EQ(story.sceneCards().size(), 1u);
    EXPECT_TRUE(story.litterBox().empty());
    EXPECT_EQ(card->positionLeft(), before.left);
    EXPECT_EQ(file.scalar("SELECT count(*) FROM SceneCard WHERE OnBoard = 1"), "1");
}

// A card put after another on its page: where it is wanted, at least right of the other; past the
// page's room, an equal share of the room left with the cards still to come and one more; on the
// other card's place only where no room is left. (110 pages: page 40 spans 14/30 to 15/30 of the
// second row, inside Fun and Games (cont); the least row, 270 points, keeps a place a point and a
// half inside it.)
TEST(CardPlacement, ACardPutAfterAnotherSharesWhatRoomItsPageHasLeft)
{
    const BoardSections sections = board(110, 1, 1840);
    const double start = 14.0 / 30.0 + 1.5 / 270.0;
    const double end = 15.0 / 30.0 - 1.5 / 270.0;
    const double none = -std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* name;
        double wanted;
        double after;
        std::int64_t toCome;
        double expected;
    };
    const Row rows[] = {
        {"the first, inside the page", 0.48, none, 0, 0.48},
        {"the first, before the page's room", 0.40, none, 0, start},
        {"the first, past the room, alone", 0.55, none, 0, start + (end - start) / 2.0},
        {"the first of three past the room", 0.55, none, 2, start + (end - start) / 4.0},
        {"after another, where wanted", 0.49, 0.48, 0, 0.49},
        {"after another, wanted left of it", 0.47, 0.48, 0, 0.48 + (end - 0.48) / 2.0},
        {"after another, past the room", 0.52, 0.48, 0, 0.48 + (end - 0.48) / 2.0},
        {"after another, past the room, one to come", 0.52, 0.48, 1, 0.48 + (end - 0.48) / 3.0},
        {"after a card at the room's end", 0.52, end, 0, end},
        {"after a card past the room's end", 0.52, 0.4995, 0, 0.4995},
        {"no number, the first", nan, none, 0, start},
        {"no number, after another", nan, 0.48, 0, 0.48 + (end - 0.48) / 2.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(sections.fractionOnPageAfter(40, 11, row.wanted, row.after, row.toCome), row.expected, 1e-9);
    }
}
