#include "model/BoardSections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The seventeen beat bars in board order.
constexpr std::array<std::int64_t, 17> beatBars = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12,
                                                   14, 15, 16, 17, 19, 20};
// Section headers, the end and numbers outside the board.
constexpr std::array<std::int64_t, 6> notBeatBars = {-1, 0, 8, 13, 18, 21};

struct ExpectedRange
{
    std::int64_t boardBeat;
    std::int64_t first;
    std::int64_t last;
};

BoardSections storyOf(std::int64_t pages)
{
    BoardSections sections;
    sections.setPageCount(pages);
    return sections;
}

// A story on the default board: 1840 x 720 points at zoom 1.
BoardSections defaultBoard(std::int64_t pages)
{
    BoardSections sections = storyOf(pages);
    sections.setBoardZoomFactor(1);
    sections.setBoardPanelWidth(1840);
    sections.setBoardPanelHeight(720);
    return sections;
}

void expectSections(const BoardSections& s, std::array<std::int64_t, 8> bounds)
{
    EXPECT_EQ(s.section1From(), bounds[0]);
    EXPECT_EQ(s.section1To(), bounds[1]);
    EXPECT_EQ(s.section2From(), bounds[2]);
    EXPECT_EQ(s.section2To(), bounds[3]);
    EXPECT_EQ(s.section3From(), bounds[4]);
    EXPECT_EQ(s.section3To(), bounds[5]);
    EXPECT_EQ(s.section4From(), bounds[6]);
    EXPECT_EQ(s.section4To(), bounds[7]);
}

void expectRanges(const BoardSections& s, const std::vector<ExpectedRange>& ranges)
{
    for (const ExpectedRange& r : ranges) {
        SCOPED_TRACE("board beat " + std::to_string(r.boardBeat));
        EXPECT_EQ(s.beginningPageNumberForBoardBeat(r.boardBeat), r.first);
        EXPECT_EQ(s.endingPageNumberForBoardBeat(r.boardBeat), r.last);
    }
}

std::string text(const QString& value)
{
    return value.toStdString();
}

} // namespace

// ---- Section bounds and beat ranges --------------------------------------------------------

TEST(BoardSectionsPages, NewObjectHasEveryFieldZero)
{
    const BoardSections s;
    EXPECT_EQ(s.pageCount(), 0);
    expectSections(s, {0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(s.boardPanelWidth(), 0);
    EXPECT_EQ(s.boardPanelHeight(), 0);
    EXPECT_EQ(s.boardZoomFactor(), 0);
}

TEST(BoardSectionsPages, SectionBoundsFromPageCount)
{
    expectSections(storyOf(110), {1, 25, 26, 55, 56, 85, 86, 110});
    expectSections(storyOf(111), {1, 25, 26, 56, 57, 87, 88, 111});
    expectSections(storyOf(90), {1, 20, 21, 45, 46, 70, 71, 90});
    expectSections(storyOf(120), {1, 27, 28, 60, 61, 93, 94, 120});
    EXPECT_EQ(storyOf(111).pageCount(), 111);
}

TEST(BoardSectionsPages, ChangingThePageCountRederivesTheSections)
{
    BoardSections s = storyOf(110);
    s.setPageCount(90);
    expectSections(s, {1, 20, 21, 45, 46, 70, 71, 90});
    EXPECT_EQ(s.beginningPageNumberForBoardBeat(10), 24);
}

TEST(BoardSectionsPages, DecimalFactorsAndFloatStepsShowOnLongStories)
{
    // Act Two's halves hold 5000 pages each: 5000 x .1667 and 5000 x .6667 end in .5 exactly,
    // where thirds and sixths would round the other way.
    const BoardSections halves = storyOf(18181);
    ASSERT_EQ(halves.section2From(), 4092);
    ASSERT_EQ(halves.section3From(), 9092);
    EXPECT_EQ(halves.beginningPageNumberForBoardBeat(10), 4925);
    EXPECT_EQ(halves.beginningPageNumberForBoardBeat(15), 12425);

    // The page count goes through a 32-bit float, which holds 2^24 + 1 as 2^24.
    const BoardSections huge = storyOf(16777217);
    EXPECT_EQ(huge.section2To(), 8388608);
    EXPECT_EQ(huge.section4To(), 16777217);
}

TEST(BoardSectionsPages, BeatRangesOf110Pages)
{
    expectRanges(storyOf(110), {{1, 1, 1},    {2, 2, 4},    {3, 5, 5},     {4, 6, 11},
                                {5, 12, 12},  {6, 13, 24},  {7, 25, 25},   {9, 26, 29},
                                {10, 30, 30}, {11, 31, 54}, {12, 55, 55},  {14, 56, 74},
                                {15, 75, 75}, {16, 76, 84}, {17, 85, 85},  {19, 86, 109},
                                {20, 110, 110}});
}

TEST(BoardSectionsPages, BeatRangesOf90Pages)
{
    expectRanges(storyOf(90), {{1, 1, 1},    {2, 2, 3},    {3, 4, 4},    {4, 5, 9},
                               {5, 10, 10},  {6, 11, 19},  {7, 20, 20},  {9, 21, 23},
                               {10, 24, 24}, {11, 25, 44}, {12, 45, 45}, {14, 46, 61},
                               {15, 62, 62}, {16, 63, 69}, {17, 70, 70}, {19, 71, 89},
                               {20, 90, 90}});
}

TEST(BoardSectionsPages, HeadersAndUnknownBoardBeatsHaveNoPages)
{
    const BoardSections s = storyOf(110);
    for (std::int64_t boardBeat : {-1, 0, 8, 13, 18, 21, 22}) {
        SCOPED_TRACE(boardBeat);
        EXPECT_EQ(s.beginningPageNumberForBoardBeat(boardBeat), 0);
        EXPECT_EQ(s.endingPageNumberForBoardBeat(boardBeat), 0);
        EXPECT_EQ(s.sectionBeginningPageNumberForBoardBeat(boardBeat), 0);
        EXPECT_EQ(s.sectionEndingPageNumberForBoardBeat(boardBeat), 0);
    }
}

TEST(BoardSectionsPages, SectionOfEachBeatBar)
{
    const BoardSections s = storyOf(111);
    const std::vector<ExpectedRange> rows = {{1, 1, 25},  {7, 1, 25},  {9, 26, 56},  {12, 26, 56},
                                             {14, 57, 87}, {17, 57, 87}, {19, 88, 111}, {20, 88, 111}};
    for (const ExpectedRange& r : rows) {
        SCOPED_TRACE(r.boardBeat);
        EXPECT_EQ(s.sectionBeginningPageNumberForBoardBeat(r.boardBeat), r.first);
        EXPECT_EQ(s.sectionEndingPageNumberForBoardBeat(r.boardBeat), r.last);
    }
}

TEST(BoardSectionsPages, BoardBeatOfAPage)
{
    const BoardSections s = storyOf(110);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(1), 1);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(30), 10);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(31), 11);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(55), 12);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(109), 19);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(110), 20);
    // The headers' range 0 to 0 catches page 0; pages outside the story have no beat.
    EXPECT_EQ(s.boardBeatSectionForPageNumber(0), 8);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(-1), 0);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(111), 0);
}

TEST(BoardSectionsPages, ShortStoriesOverlapAndAnswerTheLowestBeat)
{
    const BoardSections s = storyOf(20);
    for (std::int64_t boardBeat : {1, 2, 3, 4}) {
        EXPECT_EQ(s.beginningPageNumberForBoardBeat(boardBeat), 1);
        EXPECT_EQ(s.endingPageNumberForBoardBeat(boardBeat), 1);
    }
    EXPECT_EQ(s.boardBeatSectionForPageNumber(1), 1);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(2), 5);
}

TEST(BoardSectionsPages, FivePagesGiveActThreeTheLastPage)
{
    // The second half's rounding would give Act Three of a five-page story no page (6-5) and its
    // Finale bar page 6, which the story does not have: Act Two ends a page earlier.
    const BoardSections s = storyOf(5);
    expectSections(s, {1, 1, 2, 3, 4, 4, 5, 5});
    EXPECT_EQ(s.beginningPageNumberForBoardBeat(19), 5);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(6), 0);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(5), 19);
}

// Every page count from 4 to 1000: the sections follow each other without gap or overlap;
// every page of the story belongs to exactly one board beat (the lowest whose range holds it),
// which lies on the page's own section, and board beats never go back as pages go forward.
// From 55 pages on the seventeen ranges themselves tile the story page by page; below that
// short stories squeeze several bars onto the same pages (at least 17 pages are needed for
// 17 bars), and only the lowest of them owns the page.
TEST(BoardSectionsPages, SweepOfPageCountsCoversEveryPageOnce)
{
    for (std::int64_t n = 4; n <= 1000; ++n) {
        SCOPED_TRACE("page count " + std::to_string(n));
        const BoardSections s = storyOf(n);
        const std::array<std::int64_t, 8> b = {s.section1From(), s.section1To(), s.section2From(),
                                               s.section2To(), s.section3From(), s.section3To(),
                                               s.section4From(), s.section4To()};
        ASSERT_EQ(b[0], 1);
        ASSERT_EQ(b[2], b[1] + 1);
        ASSERT_EQ(b[4], b[3] + 1);
        ASSERT_EQ(b[6], b[5] + 1);
        ASSERT_EQ(b[7], n);
        for (int i = 0; i < 8; i += 2)
            ASSERT_LE(b[i], b[i + 1]) << "section " << i / 2 + 1 << " is empty";
        // No bar names a page the story does not have.
        for (std::int64_t bar : beatBars) {
            ASSERT_GE(s.beginningPageNumberForBoardBeat(bar), 1) << "bar " << bar;
            ASSERT_LE(s.endingPageNumberForBoardBeat(bar), n) << "bar " << bar;
        }

        std::int64_t previousBeat = 0;
        for (std::int64_t page = 1; page <= n; ++page) {
            const std::int64_t beat = s.boardBeatSectionForPageNumber(page);
            ASSERT_NE(beat, 0) << "page " << page;
            ASSERT_GE(beat, previousBeat) << "page " << page;
            ASSERT_LE(s.beginningPageNumberForBoardBeat(beat), page);
            ASSERT_GE(s.endingPageNumberForBoardBeat(beat), page);
            ASSERT_LE(s.sectionBeginningPageNumberForBoardBeat(beat), page);
            ASSERT_GE(s.sectionEndingPageNumberForBoardBeat(beat), page);
            previousBeat = beat;
        }
        ASSERT_EQ(s.boardBeatSectionForPageNumber(n + 1), 0);
        ASSERT_EQ(s.boardBeatSectionForPageNumber(-1), 0);

        if (n >= 55) {
            std::int64_t expectedFirst = 1;
            for (std::int64_t bar : beatBars) {
                ASSERT_EQ(s.beginningPageNumberForBoardBeat(bar), expectedFirst) << "bar " << bar;
                ASSERT_GE(s.endingPageNumberForBoardBeat(bar), expectedFirst) << "bar " << bar;
                expectedFirst = s.endingPageNumberForBoardBeat(bar) + 1;
            }
            ASSERT_EQ(expectedFirst, n + 1);
        }
    }
}

// ---- Titles and labels ---------------------------------------------------------------------

TEST(BoardSectionsLabels, BeatTitles)
{
    EXPECT_EQ(text(BoardSections::beatTitleForBeat(1)), "Opening Image");
    EXPECT_EQ(text(BoardSections::beatTitleForBeat(3)), "Set-up");
    EXPECT_EQ(text(BoardSections::beatTitleForBeat(12)), "Dark Night of the Soul");
    EXPECT_EQ(text(BoardSections::beatTitleForBeat(15)), "Final Image");
    EXPECT_TRUE(BoardSections::beatTitleForBeat(0).isEmpty());
    EXPECT_TRUE(BoardSections::beatTitleForBeat(16).isEmpty());
}

TEST(BoardSectionsLabels, SectionLabelsAndActTitles)
{
    const BoardSections s = storyOf(110);
    EXPECT_EQ(text(s.section1Label()), "Act One (p. 1-25)");
    EXPECT_EQ(text(s.section2Label()), "Act Two (p. 26-55)");
    EXPECT_EQ(text(s.section3Label()), "Act Two (p. 56-85)");
    EXPECT_EQ(text(s.section4Label()), "Act Three (p. 86-110)");
    EXPECT_EQ(text(s.actTitleForBoardBeatSection(1)), "Act One (p. 1-25)");
    EXPECT_EQ(text(s.actTitleForBoardBeatSection(7)), "Act One (p. 1-25)");
    EXPECT_EQ(text(s.actTitleForBoardBeatSection(12)), "Act Two (p. 26-55)");
    EXPECT_EQ(text(s.actTitleForBoardBeatSection(14)), "Act Two (p. 56-85)");
    EXPECT_EQ(text(s.actTitleForBoardBeatSection(20)), "Act Three (p. 86-110)");
    for (std::int64_t boardBeat : {0, 8, 13, 18, 21})
        EXPECT_TRUE(s.actTitleForBoardBeatSection(boardBeat).isEmpty()) << boardBeat;
}

TEST(BoardSectionsLabels, BoardBeatLabelsOf110Pages)
{
    const BoardSections s = storyOf(110);
    const std::array<const char*, 22> expected = {
        "Act One (1-25)",           "Opening Image (1)",
        "Set-up (2-4)",             "Theme Stated (5)",
        "Set-up (cont) (6-11)",     "Catalyst (12)",
        "Debate (13-24)",           "Break into Two (25)",
        "Act Two (26-55)",          "Fun and Games (26-29)",
        "B Story (30)",             "Fun and Games (cont) (31-54)",
        "Midpoint (55)",            "Act Two (56-85)",
        "Bad Guys Close In (56-74)", "All Is Lost (75)",
        "Dark Night of the Soul (76-84)", "Break into Three (85)",
        "Act Three (86-110)",       "Finale (86-109)",
        "Final Image (110)",        "The End"};
    for (std::size_t boardBeat = 0; boardBeat < expected.size(); ++boardBeat)
        EXPECT_EQ(text(s.beatLabelForBoardBeat(static_cast<std::int64_t>(boardBeat))),
                  expected[boardBeat]);
    EXPECT_TRUE(s.beatLabelForBoardBeat(22).isEmpty());
    EXPECT_TRUE(s.beatLabelForBoardBeat(-1).isEmpty());
}

TEST(BoardSectionsLabels, BeatLabelsShowSplitBeatsAsOneRange)
{
    const BoardSections s = storyOf(110);
    const std::array<const char*, 15> expected = {
        "1. Opening Image (1)",        "2. Theme Stated (5)",
        "3. Set-up (2-11)",            "4. Catalyst (12)",
        "5. Debate (13-24)",           "6. Break into Two (25)",
        "7. B Story (30)",             "8. Fun and Games (26-54)",
        "9. Midpoint (55)",            "10. Bad Guys Close In (56-74)",
        "11. All Is Lost (75)",        "12. Dark Night of the Soul (76-84)",
        "13. Break into Three (85)",   "14. Finale (86-109)",
        "15. Final Image (110)"};
    for (std::size_t beat = 1; beat <= expected.size(); ++beat)
        EXPECT_EQ(text(s.beatLabelForBeat(static_cast<std::int64_t>(beat))), expected[beat - 1]);
    EXPECT_TRUE(s.beatLabelForBeat(0).isEmpty());
    EXPECT_TRUE(s.beatLabelForBeat(16).isEmpty());
}

// ---- Geometry ------------------------------------------------------------------------------

TEST(BoardSectionsGeometry, CardSizeByZoom)
{
    BoardSections s;
    const std::vector<std::array<std::int64_t, 3>> sizes = {
        {0, 270, 148}, {1, 270, 148}, {2, 292, 162}, {3, 315, 176},
        {4, 360, 202}, {5, 270, 148}, {-1, 270, 148}};
    for (const auto& [zoom, width, height] : sizes) {
        s.setBoardZoomFactor(zoom);
        EXPECT_EQ(s.STANDARDSCENECARDWIDTH(), width) << "zoom " << zoom;
        EXPECT_EQ(s.STANDARDSCENECARDHEIGHT(), height) << "zoom " << zoom;
    }
}

TEST(BoardSectionsGeometry, BeatBarFractions)
{
    // Each bar begins where the one before it ends, except the two bars that close Act Two's
    // halves (12, 17), which begin at .967 after their neighbours end at .9657.
    for (std::size_t i = 1; i < beatBars.size(); ++i) {
        const std::int64_t bar = beatBars[i];
        const std::int64_t before = beatBars[i - 1];
        const bool sameRow = bar == before + 1;
        const float expected = bar == 12 || bar == 17 ? 0.967f
            : sameRow                                ? BoardSections::endingPercentageForBoardBeat(before)
                                                     : 0.0f;
        EXPECT_EQ(BoardSections::beginningPercentageForBoardBeat(bar), expected) << "bar " << bar;
    }
    EXPECT_EQ(BoardSections::endingPercentageForBoardBeat(11), 0.9657f);
    EXPECT_EQ(BoardSections::endingPercentageForBoardBeat(16), 0.9657f);
    EXPECT_EQ(BoardSections::beginningPercentageForBoardBeat(10), 0.133f);
    EXPECT_EQ(BoardSections::endingPercentageForBoardBeat(14), 0.6327f);
    for (std::int64_t bar : {7, 12, 17, 20})
        EXPECT_EQ(BoardSections::endingPercentageForBoardBeat(bar), 1.0f) << bar;
    for (std::int64_t other : notBeatBars) {
        EXPECT_EQ(BoardSections::beginningPercentageForBoardBeat(other), 0.0f) << other;
        EXPECT_EQ(BoardSections::endingPercentageForBoardBeat(other), 0.0f) << other;
    }
    EXPECT_EQ(BoardSections::beginningPercentageForBoardBeat(1), 0.0f);
}

TEST(BoardSectionsGeometry, RowWidthsTopsAndBarStarts)
{
    const BoardSections s = defaultBoard(110);
    EXPECT_EQ(s.boardWidthForSection(1), 1562);
    EXPECT_EQ(s.boardWidthForSection(4), 1562);
    for (std::int64_t bar : beatBars)
        EXPECT_EQ(s.boardWidthForBoardBeatSection(bar), 1562) << bar;
    for (std::int64_t other : notBeatBars)
        EXPECT_EQ(s.boardWidthForBoardBeatSection(other), 0) << other;

    EXPECT_EQ(s.topForBoardBeatSection(1), 4);
    EXPECT_EQ(s.topForBoardBeatSection(9), 183);
    EXPECT_EQ(s.topForBoardBeatSection(12), 183);
    EXPECT_EQ(s.topForBoardBeatSection(14), 362);
    EXPECT_EQ(s.topForBoardBeatSection(19), 541);
    EXPECT_EQ(s.topForBoardBeatSection(20), 541);
    for (std::int64_t other : notBeatBars)
        EXPECT_EQ(s.topForBoardBeatSection(other), 4) << other;

    // .04 x 1562 + 4 = 66.48; .133 x 1562 + 4 = 211.75; .967 x 1562 + 4 = 1514.45
    EXPECT_EQ(s.leftForBoardBeatSection(1), 4);
    EXPECT_EQ(s.leftForBoardBeatSection(2), 66);
    EXPECT_EQ(s.leftForBoardBeatSection(10), 211);
    EXPECT_EQ(s.leftForBoardBeatSection(12), 1514);
    EXPECT_EQ(s.leftForBoardBeatSection(20), 1503);
    for (std::int64_t other : notBeatBars)
        EXPECT_EQ(s.leftForBoardBeatSection(other), 4) << other;
}

TEST(BoardSectionsGeometry, RowWidthFollowsZoom)
{
    BoardSections s = defaultBoard(110);
    s.setBoardZoomFactor(4);
    EXPECT_EQ(s.boardWidthForSection(1), 1840 - 360 - 8);
}

// ---- Position <-> page ---------------------------------------------------------------------

TEST(BoardSectionsPosition, RowIsChosenByTop)
{
    const BoardSections s = defaultBoard(110);
    EXPECT_EQ(s.pageNumberForPositionTop(0, 4), 1);
    EXPECT_EQ(s.pageNumberForPositionTop(166, 4), 1);
    EXPECT_EQ(s.pageNumberForPositionTop(167, 4), 26);
    EXPECT_EQ(s.pageNumberForPositionTop(345, 4), 26);
    EXPECT_EQ(s.pageNumberForPositionTop(346, 4), 56);
    EXPECT_EQ(s.pageNumberForPositionTop(524, 4), 56);
    EXPECT_EQ(s.pageNumberForPositionTop(525, 4), 86);
    EXPECT_EQ(s.pageNumberForPositionTop(5000, 4), 86);
    // No card stands on page 0: a top above the board counts in the first row.
    EXPECT_EQ(s.pageNumberForPositionTop(-1, 4), 1);
}

TEST(BoardSectionsPosition, PageThirtyStartsPastItsTruncatedX)
{
    const BoardSections s = defaultBoard(110);
    EXPECT_NEAR(s.leftForPageNumber(30), 212.27f, 0.01f);
    EXPECT_EQ(s.pageNumberForPositionTop(183, 212), 29);
    EXPECT_EQ(s.pageNumberForPositionTop(183, 213), 30);
    EXPECT_EQ(s.leftForPageNumber(26), 4.0f);
    EXPECT_EQ(s.leftForPageNumber(0), 4.0f);
    EXPECT_EQ(s.leftForPageNumber(111), 4.0f);
}

TEST(BoardSectionsPosition, FractionsJustBelowAWholePageCountAsThatPage)
{
    // 200 pages put 55 pages on row 2; at zoom 2 the row is 1540 wide, and left 32 gives
    // 55 x (28 / 1540) = 0.99999994 in floats: that is page one of the row, not page zero.
    BoardSections s = defaultBoard(200);
    s.setBoardZoomFactor(2);
    ASSERT_EQ(s.section2From(), 46);
    ASSERT_EQ(s.section2To(), 100);
    EXPECT_EQ(s.pageNumberForPositionTop(183, 32), 47);
}

TEST(BoardSectionsPosition, RightEndOfARowStaysOnItsLastPage)
{
    const BoardSections s = defaultBoard(110);
    const std::int64_t rightEnd = 4 + s.boardWidthForSection(1);
    EXPECT_EQ(s.pageNumberForPositionTop(4, rightEnd), 25);
    EXPECT_EQ(s.pageNumberForPositionTop(183, rightEnd), 55);
    EXPECT_EQ(s.pageNumberForPositionTop(362, rightEnd), 85);
    EXPECT_EQ(s.pageNumberForPositionTop(541, rightEnd), 110);
    EXPECT_EQ(s.boardBeatSectionForPageNumber(s.pageNumberForPositionTop(541, rightEnd)), 20);
    EXPECT_EQ(s.pageNumberForPositionTop(541, rightEnd + 500), 110);
    EXPECT_EQ(s.pageNumberForPositionTop(541, rightEnd - 1), 110);
}

TEST(BoardSectionsPosition, LeftOfTheRowStaysOnItsFirstPage)
{
    const BoardSections s = defaultBoard(110);
    EXPECT_EQ(s.pageNumberForPositionTop(183, 0), 26);
    EXPECT_EQ(s.pageNumberForPositionTop(183, -200), 26);
    EXPECT_EQ(s.pageNumberForPositionTop(4, -200), 1);
}

namespace {

// Where page `page` begins, as the first whole point at or after its x. The exact start is a
// whole point or at least 1/(pages of the row) away from one; the float x may overshoot a
// whole point by a few millionths, which this takes back.
std::int64_t firstWholePointOfPage(const BoardSections& s, std::int64_t page)
{
    return static_cast<std::int64_t>(std::ceil(s.leftForPageNumber(page) - 0.001f));
}

bool pageStartsOnAWholePoint(const BoardSections& s, std::int64_t page)
{
    const float x = s.leftForPageNumber(page);
    return std::fabs(x - std::round(x)) < 0.001f;
}

// Places a card at every whole x of every page, in the page's row, and reads the page back.
// With `exactStarts` false a card exactly on a page's whole-point start may read as the page
// before: for some row sizes the float steps land a hair below the whole page count.
void expectRoundTrip(const BoardSections& s, bool exactStarts)
{
    const std::int64_t rightEnd = 4 + s.boardWidthForSection(1);
    for (std::int64_t page = 1; page <= s.pageCount(); ++page) {
        const std::int64_t beat = s.boardBeatSectionForPageNumber(page);
        const std::int64_t top = s.topForBoardBeatSection(beat);
        const std::int64_t start = firstWholePointOfPage(s, page);
        const bool lastOfRow = page == s.sectionEndingPageNumberForBoardBeat(beat);
        const std::int64_t end = lastOfRow ? rightEnd : firstWholePointOfPage(s, page + 1) - 1;
        ASSERT_LE(start, end) << "page " << page;
        for (std::int64_t left = start; left <= end; ++left) {
            const std::int64_t back = s.pageNumberForPositionTop(top, left);
            if (!exactStarts && left == start && pageStartsOnAWholePoint(s, page) && back == page - 1)
                continue;
            ASSERT_EQ(back, page) << "page " << page << " left " << left;
            ASSERT_EQ(s.boardBeatSectionForPageNumber(back), beat) << "page " << page;
        }
    }
}

} // namespace

// A card placed where a page begins (its x rounded up to a whole point) maps back to that
// page, and so does every whole x up to where the next page begins, at every zoom.
TEST(BoardSectionsPosition, PagesOf110PagesRoundTripThroughPositions)
{
    for (std::int64_t zoom = 1; zoom <= 4; ++zoom) {
        SCOPED_TRACE("zoom " + std::to_string(zoom));
        BoardSections s = defaultBoard(110);
        s.setBoardZoomFactor(zoom);
        expectRoundTrip(s, true);
    }
}

TEST(BoardSectionsPosition, PagesOfOtherStoriesRoundTripThroughPositions)
{
    for (std::int64_t pages : {55, 90, 111, 120, 400}) {
        for (std::int64_t zoom = 1; zoom <= 4; ++zoom) {
            SCOPED_TRACE("pages " + std::to_string(pages) + " zoom " + std::to_string(zoom));
            BoardSections s = defaultBoard(pages);
            s.setBoardZoomFactor(zoom);
            expectRoundTrip(s, false);
        }
    }
    // 400 pages at zoom 2: page 107 begins exactly at 228 (row 2 holds 110 pages on 1540
    // points), but 110 x (224 / 1540) comes out as 15.999999 in floats.
    BoardSections s = defaultBoard(400);
    s.setBoardZoomFactor(2);
    EXPECT_EQ(s.pageNumberForPositionTop(183, 228), 106);
    EXPECT_EQ(s.pageNumberForPositionTop(183, 229), 107);
}

TEST(BoardSectionsPosition, BoardsWithoutRowWidthGiveTheRowsFirstPage)
{
    BoardSections s = defaultBoard(110);
    s.setBoardPanelWidth(270 + 8);  // row width 0
    EXPECT_EQ(s.pageNumberForPositionTop(183, 100), 26);
    EXPECT_EQ(s.leftForPageNumber(30), 4.0f);
    s.setBoardPanelWidth(0);  // negative row width
    EXPECT_EQ(s.pageNumberForPositionTop(183, 100), 26);
    EXPECT_TRUE(std::isfinite(s.leftForPageNumber(30)));

    s.setBoardPanelWidth(1840);
    s.setBoardPanelHeight(0);
    const std::int64_t page = s.pageNumberForPositionTop(0, 4);
    EXPECT_GE(page, 1);
    EXPECT_LE(page, 110);
}

TEST(BoardSectionsPosition, DegenerateStoriesStayFinite)
{
    BoardSections empty;
    EXPECT_EQ(empty.pageNumberForPositionTop(4, 100), 0);
    EXPECT_EQ(empty.leftForPageNumber(1), 4.0f);

    // One page leaves Act One empty (1-0) while page 0 still falls in a bar of that row.
    BoardSections single = defaultBoard(1);
    ASSERT_EQ(single.section1To(), 0);
    EXPECT_EQ(single.boardBeatSectionForPageNumber(0), 2);
    EXPECT_EQ(single.leftForPageNumber(0), 4.0f);
    EXPECT_EQ(single.pageNumberForPositionTop(4, 1000), 0);
}

// The whole pages a position stands for are read as a six-decimal text of the float product
// would show them: a product that shows as n.000000 counts as page n. Every left of every row,
// on stories of 4 to 400 pages at each zoom, against that reading done with printf.
TEST(BoardSectionsPosition, EveryPositionGivesThePageItsSixDecimalReadingShows)
{
    for (std::int64_t pages = 4; pages <= 400; pages += 3) {
        for (std::int64_t zoom = 1; zoom <= 4; ++zoom) {
            BoardSections s = defaultBoard(pages);
            s.setBoardZoomFactor(zoom);
            const std::int64_t width = s.boardWidthForSection(1);
            const std::array<std::pair<std::int64_t, std::array<std::int64_t, 2>>, 4> rows = {{
                {4, {s.section1From(), s.section1To()}},
                {s.topForBoardBeatSection(9), {s.section2From(), s.section2To()}},
                {s.topForBoardBeatSection(14), {s.section3From(), s.section3To()}},
                {s.topForBoardBeatSection(19), {s.section4From(), s.section4To()}},
            }};
            for (const auto& [top, range] : rows) {
                for (std::int64_t left = -8; left <= width + 12; ++left) {
                    const float fraction = static_cast<float>(left - 4) / static_cast<float>(width);
                    const float product = static_cast<float>(range[1] - range[0] + 1) * fraction;
                    char shown[64];
                    std::snprintf(shown, sizeof shown, "%.6f", static_cast<double>(product));
                    const std::int64_t page =
                        std::clamp<std::int64_t>(range[0] + std::strtol(shown, nullptr, 10), range[0], range[1]);
                    if (s.pageNumberForPositionTop(top, left) != page) {
                        ADD_FAILURE() << pages << " pages, zoom " << zoom << ", top " << top << ", left " << left
                                      << ": " << shown << " shows page " << page << ", answered "
                                      << s.pageNumberForPositionTop(top, left);
                        return;
                    }
                }
            }
        }
    }
}

// A story whose page count changes answers every beat's pages as a story made with that count.
TEST(BoardSectionsPages, ChangingThePageCountRederivesEveryBeatRange)
{
    BoardSections changed = storyOf(110);
    changed.setPageCount(37);
    const BoardSections made = storyOf(37);
    const BoardSections none;
    for (std::int64_t boardBeat = -1; boardBeat <= 22; ++boardBeat) {
        SCOPED_TRACE("board beat " + std::to_string(boardBeat));
        EXPECT_EQ(changed.beginningPageNumberForBoardBeat(boardBeat), made.beginningPageNumberForBoardBeat(boardBeat));
        EXPECT_EQ(changed.endingPageNumberForBoardBeat(boardBeat), made.endingPageNumberForBoardBeat(boardBeat));
    }
    // A board that was never given a page count still has Act One's one-page bars.
    EXPECT_EQ(none.beginningPageNumberForBoardBeat(1), 1);
    EXPECT_EQ(none.endingPageNumberForBoardBeat(1), 1);
}
