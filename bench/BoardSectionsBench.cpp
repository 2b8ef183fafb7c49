// A board's page arithmetic, one call at a time, each beside its floor in the same run: what a
// board of fixed size and page count keeps (the tops and page ranges of its four rows, the page
// ranges of its beats) read once into plain arrays, then each answer worked out from those
// with plain arithmetic and a scan.
#include "model/BoardSections.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>

namespace {

BoardSections benchBoard()
{
    BoardSections sections;
    sections.setPageCount(110);
    sections.setBoardZoomFactor(1);
    sections.setBoardPanelWidth(1840);
    sections.setBoardPanelHeight(720);
    return sections;
}

// One step of a card drag: position to page, then page to board beat.
void BM_BoardSectionsPositionToBeat(benchmark::State& state)
{
    const BoardSections sections = benchBoard();
    std::int64_t left = 4;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sections.pageAndBoardBeatForPositionTop(183, left));
        left = left >= 1566 ? 4 : left + 7;
    }
}
BENCHMARK(BM_BoardSectionsPositionToBeat);

// Laying out a card by its page.
void BM_BoardSectionsPageToLeft(benchmark::State& state)
{
    const BoardSections sections = benchBoard();
    std::int64_t page = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sections.leftForPageNumber(page));
        page = page >= 110 ? 1 : page + 1;
    }
}
BENCHMARK(BM_BoardSectionsPageToLeft);

struct Range {
    std::int64_t first = 0;
    std::int64_t last = 0;
};

// The board's rows and beats as plain arrays, read once from its sections.
struct FloorBoard {
    std::array<std::int64_t, 4> rowTops{};
    std::array<Range, 4> rows{};
    // Beats 1 to 20 (index 0 unused) and the row each lies on (0 for none).
    std::array<Range, 21> beats{};
    std::array<int, 21> rowOfBeat{};
    std::int64_t width = 0;
    std::int64_t pageCount = 0;

    explicit FloorBoard(const BoardSections& sections)
    {
        rowTops = {0, sections.topForBoardBeatSection(9) - 16, sections.topForBoardBeatSection(14) - 16,
                   sections.topForBoardBeatSection(19) - 16};
        rows = {{{sections.section1From(), sections.section1To()},
                 {sections.section2From(), sections.section2To()},
                 {sections.section3From(), sections.section3To()},
                 {sections.section4From(), sections.section4To()}}};
        for (std::int64_t beat = 1; beat <= 20; ++beat) {
            beats[static_cast<std::size_t>(beat)] = {sections.beginningPageNumberForBoardBeat(beat),
                                                     sections.endingPageNumberForBoardBeat(beat)};
            rowOfBeat[static_cast<std::size_t>(beat)] = beat <= 7 ? 1 : beat <= 8 ? 0 : beat <= 12 ? 2 : beat <= 13 ? 0
                                                                  : beat <= 17 ? 3 : beat <= 18 ? 0 : 4;
        }
        width = 1840 - sections.STANDARDSCENECARDWIDTH() - 8;
        pageCount = 110;
    }

    std::int64_t beatOfPage(std::int64_t page) const
    {
        if (page < 0 || page > pageCount)
            return 0;
        for (std::size_t beat = 1; beat < beats.size(); ++beat)
            if (beats[beat].first <= page && page <= beats[beat].last)
                return static_cast<std::int64_t>(beat);
        return 0;
    }
};

void BM_BoardSectionsPositionToBeat_Floor(benchmark::State& state)
{
    const FloorBoard board(benchBoard());
    std::int64_t left = 4;
    for (auto _ : state) {
        const std::int64_t top = 183;
        std::size_t row = 3;
        while (row > 0 && top < board.rowTops[row])
            --row;
        const Range range = board.rows[row];
        const float fraction = static_cast<float>(left - 4) / static_cast<float>(board.width);
        const float pages = static_cast<float>(range.last - range.first + 1) * fraction;
        // The whole pages, a page counting once it is reached to six decimals.
        const auto whole = static_cast<std::int64_t>(std::floor(static_cast<double>(pages) + 5e-7));
        const std::int64_t page = std::min(std::max(range.first + whole, range.first), range.last);
        benchmark::DoNotOptimize(board.beatOfPage(page));
        left = left >= 1566 ? 4 : left + 7;
    }
}
BENCHMARK(BM_BoardSectionsPositionToBeat_Floor);

void BM_BoardSectionsPageToLeft_Floor(benchmark::State& state)
{
    const FloorBoard board(benchBoard());
    std::int64_t page = 1;
    for (auto _ : state) {
        const std::int64_t beat = board.beatOfPage(page);
        const int row = board.rowOfBeat[static_cast<std::size_t>(beat)];
        float left = 4.0f;
        if (row > 0) {
            const Range section = board.rows[static_cast<std::size_t>(row - 1)];
            const std::int64_t pages = section.last - section.first + 1;
            const float fraction =
                pages > 0 ? static_cast<float>(page - section.first) / static_cast<float>(pages) : 0.0f;
            left = fraction * static_cast<float>(board.width) + 4.0f;
        }
        benchmark::DoNotOptimize(left);
        page = page >= 110 ? 1 : page + 1;
    }
}
BENCHMARK(BM_BoardSectionsPageToLeft_Floor);

} // namespace
