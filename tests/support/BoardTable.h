#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <utility>

class BoardSections;

// The board's table of beat bars, written out for tests to hold the program's beats against:
// the seventeen bars row by row, where each begins and ends along its row (fractions of the row's
// width), and the beat a card standing somewhere reads by it.
struct BarPlace {
    std::int64_t bar;
    float begins;
    float ends;
};
inline constexpr std::array<BarPlace, 17> kBarPlaces{{
    {1, 0.0f, 0.04f}, {2, 0.04f, 0.16f}, {3, 0.16f, 0.20f}, {4, 0.20f, 0.44f}, {5, 0.44f, 0.48f}, {6, 0.48f, 0.96f},
    {7, 0.96f, 1.0f},
    {9, 0.0f, 0.133f}, {10, 0.133f, 0.1663f}, {11, 0.1663f, 0.9657f}, {12, 0.967f, 1.0f},
    {14, 0.0f, 0.6327f}, {15, 0.6327f, 0.666f}, {16, 0.666f, 0.9657f}, {17, 0.967f, 1.0f},
    {19, 0.0f, 0.96f}, {20, 0.96f, 1.0f},
}};

// The first and last page of each bar, in the order of kBarPlaces.
using BarPages = std::array<std::pair<std::int64_t, std::int64_t>, 17>;
// Those the sections give.
BarPages barPagesOf(const BoardSections& sections);
// Those of 4, 8, 12, 20, 28, 110, 111, 200 and 1000 pages, worked out by hand from the rule: Act One
// ends at 45% of the first half of the pages, and the second half of Act Two is as long as the first;
// the one-page bars stand at 20% and 48% of Act One, 16.67% into the first half of Act Two and
// 66.67% into the second (each rounded), and at the ends of the rows. Below 28 pages several bars
// share a page.
const std::map<std::int64_t, BarPages>& handWorkedBarPages();

// The bar of a card on `page` at `fraction` of its row: the one bar whose pages hold the page, or
// where several do (very short stories), the one of them it lies on, else the nearest of them; a
// beat card (of beat `beatCard`, 1 to 15) keeps a bar of its own beat that holds the page. 0 where
// no bar holds the page.
std::int64_t beatByTheTable(const BarPages& pages, std::int64_t page, float fraction, std::int64_t beatCard = 0);
