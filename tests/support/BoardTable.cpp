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

const std::map<std::int64_t, BarPages>& handWorkedBarPages()
{
    static const std::map<std::int64_t, BarPages> pages = {
        {4, {{{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {2, 2}, {2, 2}, {2, 2}, {2, 2}, {3, 3}, {3, 3},
              {3, 3}, {3, 3}, {4, 4}, {4, 4}}}},
        {8, {{{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {2, 2}, {3, 3}, {3, 3}, {3, 3}, {4, 4}, {5, 5}, {5, 5},
              {5, 5}, {6, 6}, {7, 7}, {8, 8}}}},
        {12, {{{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8},
               {8, 8}, {9, 9}, {10, 11}, {12, 12}}}},
        {20, {{{1, 1}, {1, 1}, {1, 1}, {1, 1}, {2, 2}, {3, 4}, {5, 5}, {6, 6}, {6, 6}, {7, 9}, {10, 10}, {11, 12},
               {13, 13}, {14, 14}, {15, 15}, {16, 19}, {20, 20}}}},
        {28, {{{1, 1}, {1, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 5}, {6, 6}, {7, 7}, {7, 7}, {8, 13}, {14, 14}, {15, 18},
               {19, 19}, {20, 21}, {22, 22}, {23, 27}, {28, 28}}}},
        {110, {{{1, 1}, {2, 4}, {5, 5}, {6, 11}, {12, 12}, {13, 24}, {25, 25}, {26, 29}, {30, 30}, {31, 54}, {55, 55},
                {56, 74}, {75, 75}, {76, 84}, {85, 85}, {86, 109}, {110, 110}}}},
        {111, {{{1, 1}, {2, 4}, {5, 5}, {6, 11}, {12, 12}, {13, 24}, {25, 25}, {26, 29}, {30, 30}, {31, 55}, {56, 56},
                {57, 76}, {77, 77}, {78, 86}, {87, 87}, {88, 110}, {111, 111}}}},
        {200, {{{1, 1}, {2, 8}, {9, 9}, {10, 21}, {22, 22}, {23, 44}, {45, 45}, {46, 53}, {54, 54}, {55, 99},
                {100, 100}, {101, 136}, {137, 137}, {138, 154}, {155, 155}, {156, 199}, {200, 200}}}},
        {1000, {{{1, 1}, {2, 44}, {45, 45}, {46, 107}, {108, 108}, {109, 224}, {225, 225}, {226, 270}, {271, 271},
                 {272, 499}, {500, 500}, {501, 682}, {683, 683}, {684, 774}, {775, 775}, {776, 999}, {1000, 1000}}}},
    };
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
