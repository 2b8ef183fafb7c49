#include "model/Beatdb.h"
#include "model/BoardSections.h"
#include "model/CardPlacement.h"
#include "model/DatabaseError.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryTransaction.h"
#include "model/Toolkit.h"
#include "support/BoardTable.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>
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

// The bars' pages the placement tests hold cards against, worked out by hand, are those the
// sections give: short stories, where several bars share a page, and long ones.
TEST(CardPlacement, TheBarsPagesWorkedOutByHandAreTheBoards)
{
    for (const auto& [pages, bars] : handWorkedBarPages()) {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        EXPECT_EQ(barPagesOf(board(pages, 1, 1840)), bars);
    }
}

// A card placed by its page, at any place it is wanted, reads its page and board beat back from
// its place on the board it was placed on and on every other at least the least width: the
// least itself, a point more, the default and the widest zoom's. Every page of stories of 4 to
// 1000 pages, in every bar that holds it, at each zoom.
TEST(CardPlacement, ACardPlacedByItsPageReadsItsPageAndBeatBackOnEveryBoard)
{
    std::vector<std::int64_t> counts;
    for (std::int64_t pages = 4; pages <= 60; ++pages)
        counts.push_back(pages);
    for (const std::int64_t pages : {90, 110, 111, 127, 200, 400, 999, 1000})
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
                            if (const auto byHand = handWorkedBarPages().find(pages); byHand != handWorkedBarPages().end()) {
                                ASSERT_EQ(beat, beatByTheTable(byHand->second, page, static_cast<float>(fraction)))
                                    << "page " << page << " bar " << bar << " wanted " << wanted << " board " << width;
                            }
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
            story.setBoardSize(way.boardWidth, story.boardHeight());
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
                placeCardNextTo(story.boardSections(), *beside, *story.sceneCards()[index]);
                beside->insertIntoDatabase(&story);
                story.sceneCards().push_back(std::move(beside));
            }
            auto onPage = std::make_unique<SceneCarddb>();
            onPage->setScreenplayID(story.screenplayID());
            placeCardOnPage(story.boardSections(), *onPage, (way.pages * 2) / 3, 0, 0.0);
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
    story.setBoardSize(width, height);
}

// Every card's place on the board, none on another.
bool cardsApart(Screenplaydb& story)
{
    std::set<std::pair<std::int64_t, std::int64_t>> places;
    for (const auto& card : story.sceneCards())
        if (!places.insert({card->positionTop(), card->positionLeft()}).second)
            return false;
    return true;
}

} // namespace

// A card dropped at any whole point of any row keeps its page and board beat through a page count
// changed and set back on a board of another width (Fit to Current View, a zoom): a whole point
// on a narrower board may lie a hair inside the page before.
TEST(CardPlacement, ADroppedCardKeepsItsPageAndBeatWhateverWidthTheBoardTakesBeforeANewPageCount)
{
    NewStory file;
    Screenplaydb& story = file.story();
    story.boardSections().setPageCount(110);
    const std::array<std::pair<std::int64_t, std::int64_t>, 5> boards{{{3600, 1}, {2260, 1}, {1840, 1}, {564, 1},
                                                                       {1840, 4}}};
    for (const auto& [width, zoom] : boards) {
        for (int row = 1; row <= 4; ++row) {
            for (std::int64_t left = 4; left <= width - 270 - 5; ++left) {
                story.setBoardZoomFactor(zoom);
                setBoard(story, width);
                SceneCarddb card;
                placeCardAt(story.boardSections(), card, left, BoardSections::drawnRow(732, row).top);
                const auto dropped = std::make_pair(card.pageNumber(), card.currentBeatSection());
                for (const auto& [shownWidth, shownZoom] : boards) {
                    story.setBoardZoomFactor(shownZoom);
                    setBoard(story, shownWidth);
                    for (const std::int64_t pages : {111, 110}) {
                        story.boardSections().setPageCount(pages);
                        placeCardWhereItShows(story.boardSections(), card);
                    }
                    ASSERT_EQ(std::make_pair(card.pageNumber(), card.currentBeatSection()), dropped)
                        << "left " << left << " of row " << row << " on " << width << ", shown on " << shownWidth;
                }
            }
        }
    }
}

// Every beat card of a new story stands on its own beat's bar and first page at every page count
// from 4 to 1000, every group of suggested cards with them, none on another, each page's cards in
// the order they were made; a page count changed and set back leaves every page and beat.
TEST(CardPlacement, EveryBeatCardStandsOnItsOwnBeatAndNoCardOnAnotherAtEveryPageCount)
{
    constexpr std::array<std::int64_t, 16> ownBar = {0, 1, 3, 4, 5, 6, 7, 10, 11, 12, 14, 15, 16, 17, 19, 20};
    NewStory file;
    Screenplaydb& story = file.story();
    setBoard(story, 1840);
    for (std::int64_t pages = 4; pages <= 1000; ++pages) {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        story.setPageCount(pages);
        // Nothing of this reaches the file: the cards go with the group of writes left undone.
        StoryTransaction undone(story.database());
        Toolkit().addInitialBeatCardsForScreenplay(story, {true, true, true, true, true});
        auto& cards = story.sceneCards();
        std::map<std::pair<std::int64_t, std::int64_t>, float> lastOnPage;
        Paged placed = pagedCards(story);
        for (const auto& card : cards) {
            const auto bar = ownBar[static_cast<std::size_t>(card->beatCardNumber())];
            if (bar != 0) {
                EXPECT_EQ(placed.cards[card->sceneCardID()],
                          std::make_pair(bar == 1 ? 1 : story.boardSections().beginningPageNumberForBoardBeat(bar), bar));
            }
            auto& last = lastOnPage.try_emplace({card->positionTop(), card->pageNumber()}, -1.0f).first->second;
            EXPECT_GT(card->percentageHorizontal(), last) << "card " << card->sortOrder();
            last = card->percentageHorizontal();
        }
        EXPECT_TRUE(cardsApart(story));
        if (pages <= 60 || pages % 37 == 0) {
            story.setPageCount(pages + 1);
            story.setPageCount(pages);
            EXPECT_EQ(pagedCards(story).cards, placed.cards);
        }
        cards.eraseIf([](const auto&) { return true; });
    }
}

namespace {

// What the rule asks of cards the program lays out on one page together, worked out from the
// page's place on its row and the board's table of bars. Each card has a stretch of the row it may
// stand in: its page, or for a beat card (its bar in `ownBars`; 0 for any other card) its bar's part
// of the page where that leaves room for a card, each less 1.5 / 270 of the narrowest row (1.125 of
// a stretch narrower than 4) at its edges but the row's start. Each card stands on its page and in its stretch, in the order given;
// `step` points apart wherever the stretches leave that room (a bar's edge cutting the page takes
// 3.75 of the narrowest row's points about it, and whole points one more), else never closer than
// what the tightest run of them has divided by its count. Answers what fails, or nothing.
std::string layoutFault(const BoardSections& sections, std::int64_t page,
                        const std::vector<const SceneCarddb*>& cards, const std::vector<std::int64_t>& ownBars,
                        int step)
{
    const std::array<std::pair<std::int64_t, std::int64_t>, 4> rows{{{1, sections.section1To()},
                                                                     {sections.section2From(), sections.section2To()},
                                                                     {sections.section3From(), sections.section3To()},
                                                                     {sections.section4From(), sections.section4To()}}};
    int row = 0;
    std::int64_t fullest = 0;
    for (int each = 1; each <= 4; ++each) {
        const auto [first, last] = rows[static_cast<std::size_t>(each - 1)];
        fullest = std::max(fullest, last - first + 1);
        if (row == 0 && first <= page && page <= last)
            row = each;
    }
    const auto [first, last] = rows[static_cast<std::size_t>(row - 1)];
    const double pages = static_cast<double>(last - first + 1);
    const double from = static_cast<double>(page - first) / pages;
    const double to = static_cast<double>(page - first + 1) / pages;
    const double least = static_cast<double>(std::max<std::int64_t>(270, 3 * fullest));
    const auto width = static_cast<double>(sections.boardWidthForSection(row));
    std::int64_t cuts = 0;
    for (const BarPlace& bar : kBarPlaces)
        if (BoardSections::rowOfBoardBeatSection(bar.bar) == row)
            for (const float edge : {bar.begins, bar.ends})
                cuts += static_cast<double>(edge) > from && static_cast<double>(edge) < to ? 1 : 0;
    const double cutAllowance = static_cast<double>(cuts) * 3.75 / least * width;
    // Each card's stretch, in points along the row.
    const auto inside = [&](double begins, double ends) {
        const double margin = ends - begins >= 4.0 / least ? 1.5 / least : 1.125 / least;
        return std::make_pair((begins + (begins == 0.0 ? 0.0 : margin)) * width, (ends - margin) * width);
    };
    std::vector<std::pair<double, double>> stretches;
    for (const std::int64_t own : ownBars) {
        const auto bar = std::find_if(kBarPlaces.begin(), kBarPlaces.end(), [own](const BarPlace& each) {
            return each.bar == own;
        });
        const double begins = bar == kBarPlaces.end() ? from : std::max(from, static_cast<double>(bar->begins));
        const double ends = bar == kBarPlaces.end() ? to : std::min(to, static_cast<double>(bar->ends));
        stretches.push_back(ends - begins >= 2.25 / least ? inside(begins, ends) : inside(from, to));
    }
    // The room the tightest run of cards has: apart by the step where every run has it.
    bool holdsThemApart = true;
    double spacing = std::numeric_limits<double>::infinity();
    for (std::size_t one = 0; one < cards.size(); ++one)
        for (std::size_t other = one + 1; other < cards.size(); ++other) {
            const double room = stretches[other].second - stretches[one].first - cutAllowance;
            const auto between = static_cast<double>(other - one);
            holdsThemApart = holdsThemApart && room - 2.0 >= static_cast<double>(step) * between;
            spacing = std::min(spacing, room / (between + 1.0));
        }
    std::ostringstream fault;
    for (std::size_t index = 0; index < cards.size(); ++index) {
        const SceneCarddb& card = *cards[index];
        const float along = card.percentageHorizontal();
        if (card.pageNumber() != page || sections.pageNumberForFraction(row, along) != page ||
            sections.pageNumberForPositionTop(card.positionTop(), card.positionLeft()) != page)
            fault << "card " << index << " is off page " << page << "; ";
        const double at = static_cast<double>(along) * width;
        if (at < stretches[index].first - 1e-3 || at > stretches[index].second + 1e-3)
            fault << "card " << index << " at " << at << " is out of its stretch " << stretches[index].first << " to "
                  << stretches[index].second << "; ";
        if (ownBars[index] != 0 && stretches[index] != inside(from, to) && card.currentBeatSection() != ownBars[index])
            fault << "beat card " << index << " reads " << card.currentBeatSection() << ", not its bar; ";
        if (index == 0)
            continue;
        const SceneCarddb& before = *cards[index - 1];
        if (along <= before.percentageHorizontal())
            fault << "card " << index << " stands before the one made before it; ";
        if (holdsThemApart && card.positionLeft() - before.positionLeft() < step)
            fault << "cards " << index - 1 << " and " << index << " stand " << card.positionLeft() - before.positionLeft()
                  << " apart where the page holds them " << step << " apart; ";
        const double apart = static_cast<double>(along - before.percentageHorizontal()) * width;
        if (!holdsThemApart && apart < std::min(spacing, static_cast<double>(step)) - 1e-6)
            fault << "cards " << index - 1 << " and " << index << " stand " << apart << " apart where they have "
                  << spacing << " each; ";
    }
    return fault.str();
}

} // namespace

// Cards the program puts on one page together stand apart on it, in the order made, as far as the
// page holds them, on every page of every story: the beat cards with every group of suggestions at
// every page count from 4 to 1000, and a queued story's runs of 1 to 8 cards of one page from the
// page's start, from 50 and from its end, on the least board and on the boards writers keep.
TEST(CardPlacement, CardsPutOnOnePageTogetherStandApartOnEveryPage)
{
    constexpr std::array<std::int64_t, 16> ownBar = {0, 1, 3, 4, 5, 6, 7, 10, 11, 12, 14, 15, 16, 17, 19, 20};
    NewStory file;
    Screenplaydb& story = file.story();
    for (const std::int64_t width : {548, 1366, 1840, 3600}) {
        for (std::int64_t pages = 4; pages <= 1000; ++pages) {
            story.setPageCount(pages);
            story.setBoardSize(std::max(width, story.leastBoardWidth()), 732);
            const std::vector<std::unique_ptr<SceneCarddb>> cards =
                Toolkit().initialBeatCards(story, {true, true, true, true, true});
            ASSERT_EQ(cards.size(), 33u);
            std::map<std::int64_t, std::pair<std::vector<const SceneCarddb*>, std::vector<std::int64_t>>> byPage;
            for (const auto& card : cards) {
                auto& [onPage, bars] = byPage[card->pageNumber()];
                onPage.push_back(card.get());
                bars.push_back(ownBar[static_cast<std::size_t>(card->beatCardNumber())]);
            }
            for (const auto& [page, laid] : byPage) {
                const std::string fault = layoutFault(story.boardSections(), page, laid.first, laid.second, 20);
                ASSERT_TRUE(fault.empty()) << pages << " pages on " << width << ", page " << page << ": " << fault;
            }
        }
    }

    std::array<SceneCarddb, 8> run;
    for (const std::int64_t width : {548, 564, 1366, 1840, 2260, 3600}) {
        for (const std::int64_t pages : {8, 20, 110, 1000}) {
            BoardSections sections = board(pages, 1, width);
            sections.setBoardPanelWidth(std::max(width, sections.leastBoardPanelWidth()));
            for (std::int64_t page = 1; page <= pages; ++page) {
                const std::int64_t bar = sections.boardBeatSectionForPageNumber(page);
                const float start = sections.leftForPageNumber(page);
                const auto end = static_cast<std::int64_t>(
                    start + static_cast<float>(sections.boardWidthForSection(0)) /
                                static_cast<float>(sections.sectionEndingPageNumberForBoardBeat(bar) -
                                                   sections.sectionBeginningPageNumberForBoardBeat(bar) + 1));
                for (const std::int64_t from : {std::int64_t{0}, std::int64_t{50}, end}) {
                    for (std::size_t count = 1; count <= run.size(); ++count) {
                        // As the phone's text puts them: where it says, or where the page starts,
                        // then 5 points further each.
                        const std::int64_t left = std::max<std::int64_t>(from == 0 ? static_cast<std::int64_t>(start) : from, 4);
                        std::vector<CardOnItsPage> places;
                        std::vector<const SceneCarddb*> laid;
                        for (std::size_t index = 0; index < count; ++index) {
                            places.push_back({&run[index], page, bar, static_cast<double>(left + 5 * static_cast<std::int64_t>(index))});
                            laid.push_back(&run[index]);
                        }
                        layOutCardsOnTheirPages(sections, places, 5);
                        const std::string fault =
                            layoutFault(sections, page, laid, std::vector<std::int64_t>(count, 0), 5);
                        ASSERT_TRUE(fault.empty()) << count << " cards from " << from << " on page " << page << " of "
                                                   << pages << " on " << width << ": " << fault;
                    }
                }
            }
        }
    }
}

// Cards laid out on one page together, worked out by hand on 110 pages (row 1: pages 1-25, row 3:
// 56-85) with 1.5 / 270 of the narrowest row kept inside a page's edges. The default board: rows
// of 1562 points, page 1 from x 4 to 66.48 holds 4 to 57.8 (8.68 inside its end); on a 1366 board
// (rows of 1088), page 56, the first of row 3, spans 4 to 40.27 and holds 4 to 34.2.
TEST(CardPlacement, CardsLaidOutOnOnePageStandWhereTheirPageAllows)
{
    const double nowhere = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* name;
        std::int64_t boardWidth;
        std::int64_t page;
        std::vector<double> wanted;
        int step;
        std::vector<std::int64_t> lefts;
    };
    const Row rows[] = {
        // Four queued at 50, 55, 60, 65: page 1 holds them five apart, back from its room's end.
        {"a run past its page's room", 1840, 1, {50, 55, 60, 65}, 5, {42, 47, 52, 57}},
        {"eight of a run", 1840, 1, {50, 55, 60, 65, 70, 75, 80, 85}, 5, {22, 27, 32, 37, 42, 47, 52, 57}},
        // Eight five apart need 35 points: they share the page's 30.2 evenly, 4.3 apart.
        {"more than the page holds", 1366, 56, {4, 9, 14, 19, 24, 29, 34, 39}, 5, {4, 8, 12, 16, 21, 25, 29, 34}},
        {"where they are wanted", 1840, 1, {10, 35}, 20, {10, 35}},
        {"a step apart", 1840, 1, {10, 20}, 20, {10, 30}},
        // A place that is no number is the page's start, for the first card as for any other.
        {"the first at no number", 1840, 1, {nowhere}, 20, {4}},
        {"a later one at no number", 1840, 1, {30, nowhere}, 20, {30, 50}},
        // Wanted past the page, a card stands a step short of the room's end.
        {"one wanted past its page", 1840, 1, {500}, 20, {37}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const BoardSections sections = board(110, 1, row.boardWidth);
        std::vector<SceneCarddb> cards(row.wanted.size());
        std::vector<CardOnItsPage> places;
        for (std::size_t index = 0; index < cards.size(); ++index)
            places.push_back({&cards[index], row.page, sections.boardBeatSectionForPageNumber(row.page), row.wanted[index]});
        layOutCardsOnTheirPages(sections, places, row.step);
        std::vector<std::int64_t> lefts;
        for (const SceneCarddb& card : cards) {
            lefts.push_back(card.positionLeft());
            EXPECT_EQ(card.pageNumber(), row.page);
        }
        EXPECT_EQ(lefts, row.lefts);
    }
}

// Cards put beside one another stand apart in the order they were put, on one page: beside an
// anchor at any whole point of a row, never left of it, after it in board order, 20 points right
// where its page has room; a card given a page in the large card right of the cards already on it.
TEST(CardPlacement, CardsPutBesideEachOtherStandApartInTheOrderTheyWerePut)
{
    for (const std::int64_t pages : {20, 110, 120}) {
        NewStory file;
        Screenplaydb& story = file.story();
        story.setPageCount(pages);
        setBoard(story, pages == 110 ? 3600 : 1840);
        const BoardSections& sections = story.boardSections();
        const std::int64_t top = BoardSections::drawnRow(732, pages == 110 ? 4 : 2).top;
        std::int64_t besideBy20 = 0;
        std::int64_t withRoom = 0;
        for (std::int64_t left = 4; left <= story.boardWidth() - 270 - 5; ++left) {
            SceneCarddb anchor;
            SceneCarddb added;
            placeCardAt(story.boardSections(), anchor, left, top);
            placeCardNextTo(story.boardSections(), added, anchor);
            ASSERT_EQ(added.pageNumber(), anchor.pageNumber()) << left;
            ASSERT_GE(added.sortByLocation(anchor), 0) << left;
            const double roomEnd = sections.fractionOnPage(anchor.pageNumber(), anchor.currentBeatSection(), 2.0);
            const auto roomEndsAt = sections.leftForFraction(static_cast<float>(roomEnd), anchor.currentBeatSection());
            if (left + 20 <= roomEndsAt) {
                // 20 points right, or as near as a card may stand where a bar's edge cuts the page.
                ASSERT_GT(added.positionLeft(), left) << pages << " pages, anchor at " << left;
                ASSERT_LE(added.positionLeft(), left + 20 + 9) << pages << " pages, anchor at " << left;
                besideBy20 += added.positionLeft() == left + 20 ? 1 : 0;
                ++withRoom;
            } else {
                // Past the page's room: apart where any is left, else on the anchor's place.
                ASSERT_EQ(added.positionLeft() > left, roomEndsAt > left) << pages << " pages, anchor at " << left;
            }
        }
        EXPECT_GT(besideBy20 * 10, withRoom * 9) << pages << " pages";
    }
    // A 12-page short film: the beat cards with the Set-Up and Debate groups, then cards given pages
    // 2, 8 and 8 in the large card.
    NewStory file;
    Screenplaydb& story = file.story();
    story.setPageCount(12);
    setBoard(story, 1840);
    Toolkit().addInitialBeatCardsForScreenplay(story, {true, true, false, false, false});
    for (const std::int64_t page : {2, 8, 8}) {
        float rightmost = 0.0f;
        for (const auto& card : story.sceneCards())
            rightmost = card->pageNumber() == page ? std::max(rightmost, card->percentageHorizontal()) : rightmost;
        auto card = std::make_unique<SceneCarddb>();
        card->setScreenplayID(story.screenplayID());
        placeCardOnPageBesideItsCards(story.boardSections(), *card, page, story.sceneCards());
        EXPECT_GT(card->percentageHorizontal(), rightmost) << "page " << page;
        card->insertIntoDatabase(&story);
        story.sceneCards().push_back(std::move(card));
    }
    EXPECT_TRUE(cardsApart(story));
}

// A card placed by its page stands at its row's top as drawn, clear of the rule above, keeps it
// when put down again and reads its row back; the drawn top and the top rows are read from agree
// where the height less 4 is a multiple of four, else the drawn one of row 4 is a point lower, of
// row 3 too where it is odd, of row 2 where it leaves 3. A whole top comes back from its fraction
// (368 of 732 came back 367; 181 after the Litter Box, 180).
TEST(CardPlacement, ACardStandsClearOfItsRowsRuleAndKeepsItsWholeTop)
{
    NewStory file;
    Screenplaydb& story = file.story();
    story.boardSections().setPageCount(110);
    for (std::int64_t height = 300; height <= 2000; ++height) {
        setBoard(story, 1840, height);
        const std::int64_t usable = height - 4;
        const std::int64_t middle = (usable + 1) / 2;
        const std::array<std::int64_t, 4> drawn{4, middle / 2 + 4, middle + 4, middle + (usable - middle + 1) / 2 + 4};
        const std::array<std::int64_t, 4> lower{0, usable % 4 == 3, usable % 2, usable % 4 != 0};
        for (const int row : {1, 2, 3, 4}) {
            const std::int64_t bar = std::array<std::int64_t, 4>{1, 9, 14, 19}[static_cast<std::size_t>(row - 1)];
            SceneCarddb card;
            placeCardOnPage(story.boardSections(), card, story.boardSections().beginningPageNumberForBoardBeat(bar), bar, 0.0);
            ASSERT_EQ(card.positionTop(), drawn[static_cast<std::size_t>(row - 1)]) << height << " row " << row;
            ASSERT_EQ(card.positionTop() - story.boardSections().topForBoardBeatSection(bar),
                      lower[static_cast<std::size_t>(row - 1)]);
            ASSERT_EQ(story.boardSections().rowOfTop(card.positionTop()), row);
            ASSERT_EQ(story.boardSections().topWithinRow(card.positionTop(), 148), card.positionTop());
        }
        for (std::int64_t top = 0; top <= height; top += height < 1000 ? 1 : 7)
            ASSERT_EQ(topOfFraction(story.boardSections(), verticalFraction(story.boardSections(), static_cast<double>(top))), top) << height;
    }
}

// A Litter Box card put on the board goes there only with its write: a card the Litter Box does
// not hold moves and writes nothing (a refused write would have put a board card into the Litter
// Box), and a write the file refuses leaves the card in the Litter Box with the place it had there,
// in memory as in the file.
TEST(CardPlacement, ALitterBoxCardGoesOnTheBoardOnlyWithItsWrite)
{
    struct Row {
        const char* name;
        bool inLitterBox;
        bool refused;
    };
    const Row rows[] = {
        {"a card the Litter Box does not hold", false, false},
        {"a write refused", true, true},
        {"a write kept", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NewStory file;
        Screenplaydb& story = file.story();
        auto made = std::make_unique<SceneCarddb>();
        made->setScreenplayID(story.screenplayID());
        made->setOnBoard(row.inLitterBox ? 2 : 1);
        placeCardAt(story.boardSections(), *made, 300, 190);
        if (row.inLitterBox)
            made->insertIntoDatabase(&story);
        SceneCarddb& card = *made;
        (row.inLitterBox ? story.litterBox() : story.sceneCards()).push_back(std::move(made));
        const QString stored = file.scalar("SELECT group_concat(OnBoard || ',' || PositionLeft) FROM SceneCard");
        if (row.refused)
            file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON SceneCard BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        const CardPlace before(card);
        placeCardAt(story.boardSections(), card, 900, 400);
        if (row.refused) {
            EXPECT_THROW(story.putCardOnBoard(card, before), DatabaseError);
        } else {
            EXPECT_EQ(story.putCardOnBoard(card, before), row.inLitterBox);
        }
        const bool onBoard = row.inLitterBox && !row.refused;
        EXPECT_EQ(story.litterBox().size(), row.inLitterBox && !onBoard ? 1u : 0u);
        EXPECT_EQ(story.sceneCards().size(), row.inLitterBox && !onBoard ? 0u : 1u);
        EXPECT_EQ(card.onBoard(), onBoard || !row.inLitterBox ? 1 : 2);
        EXPECT_EQ(card.positionLeft(), onBoard ? 900 : before.left);
        EXPECT_EQ(file.scalar("SELECT group_concat(OnBoard || ',' || PositionLeft) FROM SceneCard"),
                  onBoard ? QStringLiteral("1,900") : stored);
    }
}
