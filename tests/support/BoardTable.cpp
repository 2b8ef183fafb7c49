#include "BoardTable.h"

#include "model/BoardSections.h"

#include <vector>

BarPages barPagesOf(const BoardSections& sections)
{
    BarPages pages{};
    for (std::size_t index = 0; index < kBarPlaces.size(); ++index)
        pages[index] = {sections.beginningPageNumberForBoardBeat(kBarPlaces[index].bar),
                        sections.endingPageNumberForBoardBeat(kBarPlaces[index].bar)};
    return pages;
}

std::int64_t beatByTheTable(const BarPages& pages, std::int64_t page, float fraction, std::int64_t beatCard)
{
    // The bars of each beat, the one its card is put on first.
    constexpr std::array<std::array<std::int64_t, 2>, 16> ownBars{
        {{0, 0}, {1, 0}, {3, 0}, {4, 2}, {5, 0}, {6, 0}, {7, 0}, {10, 0}, {11, 9}, {12, 0}, {14, 0}, {15, 0},
         {16, 0}, {17, 0}, {19, 0}, {20, 0}}};
    std::vector<std::size_t> holding;
    for (std::size_t index = 0; index < kBarPlaces.size(); ++index)
        if (pages[index].first <= page && page <= pages[index].second)
            holding.push_back(index);
    if (holding.empty())
        return 0;
    const auto lies = [fraction](std::size_t index) {
        return kBarPlaces[index].begins <= fraction && fraction < kBarPlaces[index].ends;
    };
    if (beatCard >= 1 && beatCard <= 15) {
        std::int64_t own = 0;
        for (const std::int64_t wanted : ownBars[static_cast<std::size_t>(beatCard)])
            for (const std::size_t index : holding)
                if (wanted != 0 && kBarPlaces[index].bar == wanted && (own == 0 || lies(index)))
                    own = wanted;
        if (own != 0)
            return own;
    }
    std::size_t nearest = holding.front();
    float nearestDistance = 2.0f;
    for (const std::size_t index : holding) {
        if (lies(index))
            return kBarPlaces[index].bar;
        const float distance = fraction < kBarPlaces[index].begins ? kBarPlaces[index].begins - fraction
                                                                    : fraction - kBarPlaces[index].ends;
        if (distance < nearestDistance) {
            nearest = index;
            nearestDistance = distance;
        }
    }
    return kBarPlaces[nearest].bar;
}
