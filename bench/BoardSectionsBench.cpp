#include "model/BoardSections.h"

#include <benchmark/benchmark.h>

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
        const std::int64_t page = sections.pageNumberForPositionTop(183, left);
        benchmark::DoNotOptimize(sections.boardBeatSectionForPageNumber(page));
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

} // namespace
