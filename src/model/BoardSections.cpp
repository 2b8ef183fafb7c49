#include "BoardSections.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace {

// Truncation toward zero.
std::int64_t truncated(double value)
{
    return static_cast<std::int64_t>(value);
}

// A whole number taken through a 32-bit float, as the page arithmetic does.
double throughFloat(std::int64_t value)
{
    return static_cast<double>(static_cast<float>(value));
}

// The beat bar among `ranges` (1 to 20) whose pages hold `page`; 0 for none. Laying out a card
// asks it for every card, so it stays in this file where the compiler can inline it.
template <typename Ranges>
std::int64_t beatHolding(const Ranges& ranges, std::int64_t page)
{
    for (std::size_t boardBeat = 1; boardBeat < ranges.size(); ++boardBeat)
        if (ranges[boardBeat].first <= page && page <= ranges[boardBeat].last)
            return static_cast<std::int64_t>(boardBeat);
    return 0;
}

// The row (board section 1 to 4) that holds a beat bar; 0 for headers, the end and any
// other number.
int rowOfBoardBeat(std::int64_t boardBeat)
{
    if (boardBeat >= 1 && boardBeat <= 7)
        return 1;
    if (boardBeat >= 9 && boardBeat <= 12)
        return 2;
    if (boardBeat >= 14 && boardBeat <= 17)
        return 3;
    if (boardBeat == 19 || boardBeat == 20)
        return 4;
    return 0;
}

// The top of row 1 to 4 of a board panel `height` high (that of row 1 for any other number).
std::int64_t rowTop(std::int64_t height, int row)
{
    const std::int64_t usable = height - 4;
    switch (row) {
    case 2:
        return usable / 4 + 4;
    case 3:
        return usable / 2 + 4;
    case 4: {
        const std::int64_t half = usable / 2;
        return half + (usable - half) / 2 + 4;
    }
    default:
        return 4;
    }
}

// Fractions of the row width at which each board beat 0 to 20 begins and ends. The bars
// after "Fun and Games (continued)" and "Dark Night of the Soul" begin at .967 although
// those end at .9657; boards already drawn depend on these exact values.
constexpr std::array<float, 21> beginningFractions = {
    0.0f, 0.0f, 0.04f, 0.16f, 0.20f, 0.44f, 0.48f, 0.96f,
    0.0f, 0.0f, 0.133f, 0.1663f, 0.967f,
    0.0f, 0.0f, 0.6327f, 0.666f, 0.967f,
    0.0f, 0.0f, 0.96f};
constexpr std::array<float, 21> endingFractions = {
    0.0f, 0.04f, 0.16f, 0.20f, 0.44f, 0.48f, 0.96f, 1.0f,
    0.0f, 0.133f, 0.1663f, 0.9657f, 1.0f,
    0.0f, 0.6327f, 0.666f, 0.9657f, 1.0f,
    0.0f, 0.96f, 1.0f};

float fractionFromTable(const std::array<float, 21>& table, std::int64_t boardBeat)
{
    if (boardBeat < 0 || boardBeat >= static_cast<std::int64_t>(table.size()))
        return 0.0f;
    return table[static_cast<std::size_t>(boardBeat)];
}

// The whole part of `value` as a fixed six-decimal text would show it: the value is
// rounded to six decimals first, so 3.9999998 counts as 4 while 3.99999 counts as 3.
// Saturates at the 32-bit range; not-a-number and the infinities give 0. Worked out without
// writing the text: only a fraction above .9999995 rounds up to the next whole number, and no
// float's fraction lies close enough to that bound for the comparison in double to differ
// from the text's rounding.
std::int32_t wholePartAtSixDecimals(float value)
{
    const auto number = static_cast<double>(value);
    if (!std::isfinite(number))
        return 0;
    const double magnitude = std::fabs(number);
    double whole = std::floor(magnitude);
    if (magnitude - whole > 0.9999995)
        whole += 1.0;
    const double signedWhole = number < 0.0 ? -whole : whole;
    if (signedWhole > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (signedWhole < static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(signedWhole);
}

// Fills a "%ld" format with page numbers.
template <typename... Pages>
QString pageLabel(const char* format, Pages... pages)
{
    return QString::asprintf(format, static_cast<long>(pages)...);
}

// Page ranges of the beat bars of a row split as "bar, one-page bar, bar, one-page bar"
// (the two halves of Act Two): `split` is the page of the one-page bar inside the row.
// `part` 0 to 3 names the bar.
struct SplitRow
{
    std::int64_t from;
    std::int64_t to;
    std::int64_t split;
};

std::pair<std::int64_t, std::int64_t> splitRowRange(const SplitRow& row, int part)
{
    const std::int64_t middle = std::max(row.from, row.split);
    switch (part) {
    case 0:
        return {row.from, row.from < row.split ? row.split - 1 : row.from};
    case 1:
        return {middle, middle};
    case 2: {
        const std::int64_t last = row.to > row.from ? row.to - 1 : row.from;
        return {middle < last ? middle + 1 : last, last};
    }
    default:
        return {row.to, row.to};
    }
}

} // namespace

BoardSections::BoardSections()
{
    deriveBeatRanges();
    setBoardPanelHeight(0);
}

void BoardSections::deriveBeatRanges()
{
    for (std::size_t boardBeat = 0; boardBeat < beatRanges_.size(); ++boardBeat)
        beatRanges_[boardBeat] = rangeFromSections(static_cast<std::int64_t>(boardBeat));
    barsSharePages_ = false;
    for (std::size_t bar = 1; bar < beatRanges_.size(); ++bar)
        for (std::size_t other = bar + 1; other < beatRanges_.size(); ++other)
            if (rowOfBoardBeat(static_cast<std::int64_t>(bar)) != 0 &&
                rowOfBoardBeat(static_cast<std::int64_t>(other)) != 0 &&
                beatRanges_[bar].first <= beatRanges_[other].last && beatRanges_[other].first <= beatRanges_[bar].last)
                barsSharePages_ = true;
}

void BoardSections::setPageCount(std::int64_t pageCount)
{
    pageCount_ = pageCount;
    section1From_ = 1;
    const std::int64_t half = truncated(throughFloat(pageCount) * 0.5 + 0.5);
    section2To_ = half;
    section3From_ = half + 1;
    section1To_ = truncated(throughFloat(half) * 0.45 + 0.5);
    section2From_ = section1To_ + 1;
    // Five pages would leave Act Three none (6-5); it keeps the last page.
    section3To_ = std::min(2 * half - section1To_, std::max<std::int64_t>(pageCount - 1, half));
    section4From_ = section3To_ + 1;
    section4To_ = pageCount;
    deriveBeatRanges();
}

std::int64_t BoardSections::STANDARDSCENECARDHEIGHT() const
{
    switch (boardZoomFactor_) {
    case 2:
        return 162;
    case 3:
        return 176;
    case 4:
        return 202;
    default:
        return 148;
    }
}

QString BoardSections::section1Label() const
{
    return pageLabel("Act One (p. 1-%ld)", section1To_);
}

QString BoardSections::section2Label() const
{
    return pageLabel("Act Two (p. %ld-%ld)", section2From_, section2To_);
}

QString BoardSections::section3Label() const
{
    return pageLabel("Act Two (p. %ld-%ld)", section3From_, section3To_);
}

QString BoardSections::section4Label() const
{
    return pageLabel("Act Three (p. %ld-%ld)", section4From_, section4To_);
}

QString BoardSections::actTitleForBoardBeatSection(std::int64_t boardBeat) const
{
    switch (rowOfBoardBeat(boardBeat)) {
    case 1:
        return section1Label();
    case 2:
        return section2Label();
    case 3:
        return section3Label();
    case 4:
        return section4Label();
    default:
        return QString();
    }
}

QString BoardSections::beatTitleForBeat(std::int64_t beat)
{
    static const std::array<const char*, 15> titles = {
        "Opening Image", "Theme Stated", "Set-up", "Catalyst", "Debate",
        "Break into Two", "B Story", "Fun and Games", "Midpoint", "Bad Guys Close In",
        "All Is Lost", "Dark Night of the Soul", "Break into Three", "Finale", "Final Image"};
    if (beat < 1 || beat > static_cast<std::int64_t>(titles.size()))
        return QString();
    return QString::fromUtf8(titles[static_cast<std::size_t>(beat - 1)]);
}

QString BoardSections::beatLabelForBeat(std::int64_t beat) const
{
    const auto first = [this](std::int64_t boardBeat) { return beginningPageNumberForBoardBeat(boardBeat); };
    const auto last = [this](std::int64_t boardBeat) { return endingPageNumberForBoardBeat(boardBeat); };
    switch (beat) {
    case 1:
        return QStringLiteral("1. Opening Image (1)");
    case 2:
        return pageLabel("2. Theme Stated (%ld)", first(3));
    case 3:
        return pageLabel("3. Set-up (%ld-%ld)", first(2), last(4));
    case 4:
        return pageLabel("4. Catalyst (%ld)", first(5));
    case 5:
        return pageLabel("5. Debate (%ld-%ld)", first(6), last(6));
    case 6:
        return pageLabel("6. Break into Two (%ld)", section1To_);
    case 7:
        return pageLabel("7. B Story (%ld)", first(10));
    case 8:
        return pageLabel("8. Fun and Games (%ld-%ld)", first(9), last(11));
    case 9:
        return pageLabel("9. Midpoint (%ld)", section2To_);
    case 10:
        return pageLabel("10. Bad Guys Close In (%ld-%ld)", section3From_, last(14));
    case 11:
        return pageLabel("11. All Is Lost (%ld)", first(15));
    case 12:
        return pageLabel("12. Dark Night of the Soul (%ld-%ld)", first(16), last(16));
    case 13:
        return pageLabel("13. Break into Three (%ld)", section3To_);
    case 14:
        return pageLabel("14. Finale (%ld-%ld)", section4From_, last(19));
    case 15:
        return pageLabel("15. Final Image (%ld)", section4To_);
    default:
        return QString();
    }
}

QString BoardSections::beatLabelForBoardBeat(std::int64_t boardBeat) const
{
    const PageRange range = pageRangeForBoardBeat(boardBeat);
    switch (boardBeat) {
    case 0:
        return pageLabel("Act One (1-%ld)", section1To_);
    case 1:
        return QStringLiteral("Opening Image (1)");
    case 2:
        return pageLabel("Set-up (%ld-%ld)", range.first, range.last);
    case 3:
        return pageLabel("Theme Stated (%ld)", range.first);
    case 4:
        return pageLabel("Set-up (cont) (%ld-%ld)", range.first, range.last);
    case 5:
        return pageLabel("Catalyst (%ld)", range.first);
    case 6:
        return pageLabel("Debate (%ld-%ld)", range.first, range.last);
    case 7:
        return pageLabel("Break into Two (%ld)", range.first);
    case 8:
        return pageLabel("Act Two (%ld-%ld)", section2From_, section2To_);
    case 9:
        return pageLabel("Fun and Games (%ld-%ld)", range.first, range.last);
    case 10:
        return pageLabel("B Story (%ld)", range.first);
    case 11:
        return pageLabel("Fun and Games (cont) (%ld-%ld)", range.first, range.last);
    case 12:
        return pageLabel("Midpoint (%ld)", section2To_);
    case 13:
        return pageLabel("Act Two (%ld-%ld)", section3From_, section3To_);
    case 14:
        return pageLabel("Bad Guys Close In (%ld-%ld)", range.first, range.last);
    case 15:
        return pageLabel("All Is Lost (%ld)", range.first);
    case 16:
        return pageLabel("Dark Night of the Soul (%ld-%ld)", range.first, range.last);
    case 17:
        return pageLabel("Break into Three (%ld)", section3To_);
    case 18:
        return pageLabel("Act Three (%ld-%ld)", section4From_, section4To_);
    case 19:
        return pageLabel("Finale (%ld-%ld)", range.first, range.last);
    case 20:
        return pageLabel("Final Image (%ld)", section4To_);
    case 21:
        return QStringLiteral("The End");
    default:
        return QString();
    }
}

BoardSections::PageRange BoardSections::pageRangeForBoardBeat(std::int64_t boardBeat) const
{
    if (boardBeat < 0 || boardBeat >= static_cast<std::int64_t>(beatRanges_.size()))
        return {};
    return beatRanges_[static_cast<std::size_t>(boardBeat)];
}

BoardSections::PageRange BoardSections::rangeFromSections(std::int64_t boardBeat) const
{
    const std::int64_t actOneEnd = section1To_;
    if (boardBeat >= 1 && boardBeat <= 7) {
        // Act One splits at 20 % and 48 % of its pages (rounded), with one-page bars for the
        // opening image, the theme, the catalyst and the break into two.
        const std::int64_t at20 = truncated(throughFloat(actOneEnd) * 0.2 + 0.5);
        const std::int64_t at48 = truncated(throughFloat(actOneEnd) * 0.48 + 0.5);
        switch (boardBeat) {
        case 1:
            return {1, 1};
        case 2: {
            const std::int64_t t = at20 <= 1 ? 1 : at20 - 1;
            return {actOneEnd < 2 ? actOneEnd : (t < 3 ? t : 2), at20 < 2 ? 1 : at20 - 1};
        }
        case 3:
            return {std::max<std::int64_t>(at20, 1), std::max<std::int64_t>(at20, 1)};
        case 4: {
            const std::int64_t last = at48 < 2 ? 1 : at48 - 1;
            const std::int64_t afterTheme = truncated(throughFloat(actOneEnd) * 0.2 + 0.5 + 1.0);
            return {std::min({actOneEnd, afterTheme, last}), last};
        }
        case 5:
            return {std::max<std::int64_t>(at48, 1), std::max<std::int64_t>(at48, 1)};
        case 6: {
            // An Act One of one page would start the debate on page 0, which no story has.
            const std::int64_t catalyst = std::max<std::int64_t>(at48, 1);
            return {std::max<std::int64_t>(catalyst < actOneEnd - 1 ? catalyst + 1 : actOneEnd - 1, 1),
                    actOneEnd < 2 ? 1 : actOneEnd - 1};
        }
        default:
            return {actOneEnd, actOneEnd};
        }
    }
    if (boardBeat >= 9 && boardBeat <= 12) {
        const std::int64_t bStory = truncated(
            static_cast<double>(section2From_ - 1)
            + (throughFloat(section2To_ - section2From_ + 1) * 0.1667 + 0.5));
        const auto [first, last] = splitRowRange({section2From_, section2To_, bStory},
                                                 static_cast<int>(boardBeat - 9));
        return {first, last};
    }
    if (boardBeat >= 14 && boardBeat <= 17) {
        const std::int64_t allIsLost = truncated(
            static_cast<double>(section3From_ - 1)
            + (throughFloat(section3To_ - section3From_ + 1) * 0.6667 + 0.5));
        const auto [first, last] = splitRowRange({section3From_, section3To_, allIsLost},
                                                 static_cast<int>(boardBeat - 14));
        return {first, last};
    }
    if (boardBeat == 19)
        return {section4From_, section4To_ > section4From_ ? section4To_ - 1 : section4From_};
    if (boardBeat == 20)
        return {section4To_, section4To_};
    return {};
}

BoardSections::PageRange BoardSections::sectionRangeForBoardBeat(std::int64_t boardBeat) const
{
    return sectionRangeOfRow(rowOfBoardBeat(boardBeat));
}

std::int64_t BoardSections::beginningPageNumberForBoardBeat(std::int64_t boardBeat) const
{
    return pageRangeForBoardBeat(boardBeat).first;
}

std::int64_t BoardSections::endingPageNumberForBoardBeat(std::int64_t boardBeat) const
{
    return pageRangeForBoardBeat(boardBeat).last;
}

std::int64_t BoardSections::sectionBeginningPageNumberForBoardBeat(std::int64_t boardBeat) const
{
    return sectionRangeForBoardBeat(boardBeat).first;
}

std::int64_t BoardSections::sectionEndingPageNumberForBoardBeat(std::int64_t boardBeat) const
{
    return sectionRangeForBoardBeat(boardBeat).last;
}

std::int64_t BoardSections::boardBeatSectionForPageNumber(std::int64_t page) const
{
    // Very short stories give ranges that reach before page 1 or past the last page;
    // pages outside the story never belong to a beat.
    if (page < 0 || page > pageCount_)
        return 0;
    return beatHolding(beatRanges_, page);
}

float BoardSections::beginningPercentageForBoardBeat(std::int64_t boardBeat)
{
    return fractionFromTable(beginningFractions, boardBeat);
}

float BoardSections::endingPercentageForBoardBeat(std::int64_t boardBeat)
{
    return fractionFromTable(endingFractions, boardBeat);
}

std::int64_t BoardSections::boardWidthForBoardBeatSection(std::int64_t boardBeat) const
{
    const int row = rowOfBoardBeat(boardBeat);
    return row == 0 ? 0 : boardWidthForSection(row);
}

std::int64_t BoardSections::leftForBoardBeatSection(std::int64_t boardBeat) const
{
    const float width = static_cast<float>(boardWidthForBoardBeatSection(boardBeat));
    const float left = beginningPercentageForBoardBeat(boardBeat) * width + static_cast<float>(kRowStart);
    return static_cast<std::int64_t>(left);
}

std::int64_t BoardSections::topForBoardBeatSection(std::int64_t boardBeat) const
{
    return rowTop(boardPanelHeight_, rowOfBoardBeat(boardBeat));
}

std::array<int, 3> BoardSections::rowRules(std::int64_t height)
{
    // Worked out in single precision, as boards have always been drawn.
    constexpr int kRule = 4;
    const auto whole = static_cast<float>(height);
    const int middle = static_cast<int>((whole - kRule) * 0.5f + 0.5f);
    const int upper = middle / 2;
    const int lower =
        static_cast<int>((whole - static_cast<float>(middle + kRule)) * 0.5f + static_cast<float>(middle) + 0.5f);
    return {upper, middle, lower};
}

BoardSections::DrawnRow BoardSections::drawnRow(std::int64_t height, int row)
{
    constexpr std::int64_t kRule = 4;
    const std::array<int, 3> rules = rowRules(height);
    switch (row) {
    case 2:
        return {rules[0] + kRule, rules[1]};
    case 3:
        return {rules[1] + kRule, rules[2]};
    case 4:
        return {rules[2] + kRule, height - kRule};
    default:
        return {kRule, rules[0]};
    }
}

std::int64_t BoardSections::cardTopForBoardBeatSection(std::int64_t boardBeat) const
{
    return drawnRow(boardPanelHeight_, rowOfBoardBeat(boardBeat)).top;
}

std::int64_t BoardSections::topWithinRow(std::int64_t top, std::int64_t cardHeight) const
{
    // The row is chosen as the page is.
    const DrawnRow row = drawnRow(boardPanelHeight_, rowOfTop(top));
    const std::int64_t greatest = row.bottom - beatBarHeight(boardZoomFactor_) - cardHeight;
    return std::max(row.top, std::min(top, greatest));
}

int BoardSections::beatBarHeight(std::int64_t zoomFactor)
{
    static constexpr std::array<int, 4> heights{28, 32, 36, 40};
    return zoomFactor >= 1 && zoomFactor <= 4 ? heights[static_cast<std::size_t>(zoomFactor - 1)] : 0;
}

std::int64_t BoardSections::wholePoint(double x)
{
    if (std::isnan(x))
        return 0;
    // Cut toward zero, that would be the point before (another page, at a page's first point).
    const double whole = std::round(x);
    const double slack = std::max(1.0 / 1024.0, std::fabs(x) * 4.0 * static_cast<double>(FLT_EPSILON));
    constexpr double kFarthest = 1e15;
    return static_cast<std::int64_t>(std::clamp(whole > x && whole - x <= slack ? whole : x, -kFarthest, kFarthest));
}

int BoardSections::rowOfTop(std::int64_t top) const
{
    if (top >= rowsFrom_[2])
        return 4;
    if (top >= rowsFrom_[1])
        return 3;
    return top >= rowsFrom_[0] ? 2 : 1;
}

void BoardSections::setBoardPanelHeight(std::int64_t height)
{
    boardPanelHeight_ = height;
    // A card whose top lies up to 16 points above a row's top still counts in that row.
    for (int row = 2; row <= 4; ++row)
        rowsFrom_[static_cast<std::size_t>(row - 2)] = rowTop(height, row) - 16;
}

std::int64_t BoardSections::pageNumberForPositionTop(std::int64_t top, std::int64_t left) const
{
    return pageOnRow(sectionRangeOfRow(rowOfTop(top)), left);
}

std::int64_t BoardSections::pageOnRow(const PageRange& row, std::int64_t left) const
{
    const std::int64_t width = boardWidthForSection(0);
    if (width <= 0)
        return row.first;
    return pageAtFraction(row, static_cast<float>(left - kRowStart) / static_cast<float>(width));
}

std::int64_t BoardSections::pageAtFraction(const PageRange& row, float fraction)
{
    const float pages = static_cast<float>(row.last - row.first + 1) * fraction;
    const std::int64_t page = row.first + wholePartAtSixDecimals(pages);
    // A card at (or past) either end of its row stays on that row's first or last page;
    // it never takes the neighbouring row's page or a page outside the story.
    return std::min(std::max(page, row.first), row.last);
}

std::int64_t BoardSections::pageNumberForFraction(int row, float fraction) const
{
    if (row < 1 || row > 4)
        return 0;
    return pageAtFraction(sectionRangeOfRow(row), fraction);
}

BoardSections::PageAndBoardBeat BoardSections::pageAndBoardBeatForPositionTop(std::int64_t top,
                                                                             std::int64_t left) const
{
    const int row = rowOfTop(top);
    const std::int64_t width = boardWidthForSection(0);
    if (width <= 0) {
        const std::int64_t page = sectionRangeOfRow(row).first;
        return {page, boardBeatSectionForPageNumber(page)};
    }
    return pageAndBoardBeatForFraction(row, static_cast<float>(left - kRowStart) / static_cast<float>(width));
}

BoardSections::PageAndBoardBeat BoardSections::pageAndBoardBeatForFraction(int row, float fraction) const
{
    const std::int64_t page = pageNumberForFraction(row, fraction);
    if (!barsSharePages_)
        return {page, boardBeatSectionForPageNumber(page)};
    return {page, boardBeatSectionForPlace(row, page, fraction)};
}

std::array<std::int64_t, 2> BoardSections::boardBeatsOfBeat(std::int64_t beat)
{
    static constexpr std::array<std::array<std::int64_t, 2>, 15> bars{{
        {1, 0}, {3, 0}, {4, 2}, {5, 0}, {6, 0}, {7, 0}, {10, 0}, {11, 9},
        {12, 0}, {14, 0}, {15, 0}, {16, 0}, {17, 0}, {19, 0}, {20, 0},
    }};
    if (beat < 1 || beat > static_cast<std::int64_t>(bars.size()))
        return {0, 0};
    return bars[static_cast<std::size_t>(beat - 1)];
}

BoardSections::Bars BoardSections::barsHoldingPage(int row, std::int64_t page) const
{
    Bars holding;
    for (std::int64_t bar = 1; bar <= 20; ++bar) {
        const PageRange pages = pageRangeForBoardBeat(bar);
        if (rowOfBoardBeat(bar) == row && pages.first <= page && page <= pages.last)
            holding.bars[holding.count++] = bar;
    }
    return holding;
}

std::int64_t BoardSections::barAtPlace(const Bars& bars, float fraction)
{
    // The one the place lies on, else the nearest, so that a card further right never reads an
    // earlier bar.
    std::int64_t nearest = 0;
    float nearestDistance = 0.0f;
    for (const std::int64_t bar : bars) {
        const float from = beginningPercentageForBoardBeat(bar);
        const float to = endingPercentageForBoardBeat(bar);
        if (from <= fraction && fraction < to)
            return bar;
        const float distance = fraction < from ? from - fraction : fraction - to;
        if (nearest == 0 || distance < nearestDistance) {
            nearest = bar;
            nearestDistance = distance;
        }
    }
    return nearest;
}

std::int64_t BoardSections::boardBeatOfBeatOnPage(std::int64_t beat, int row, std::int64_t page, float fraction) const
{
    // Of the beat's own bars that hold the page, the one the card lies on, else the one its card is
    // put on first: the card stays with its beat wherever the page puts it.
    std::int64_t first = 0;
    const Bars holding = barsHoldingPage(row, page);
    for (const std::int64_t own : boardBeatsOfBeat(beat)) {
        if (own == 0 || std::find(holding.begin(), holding.end(), own) == holding.end())
            continue;
        if (beginningPercentageForBoardBeat(own) <= fraction && fraction < endingPercentageForBoardBeat(own))
            return own;
        if (first == 0)
            first = own;
    }
    return first;
}

std::int64_t BoardSections::boardBeatSectionForPlace(int row, std::int64_t page, float fraction) const
{
    const std::int64_t bar = barAtPlace(barsHoldingPage(row, page), fraction);
    return bar != 0 ? bar : boardBeatSectionForPageNumber(page);
}

int BoardSections::rowOfBoardBeatSection(std::int64_t boardBeat)
{
    return rowOfBoardBeat(boardBeat);
}

float BoardSections::leftForPageNumber(std::int64_t page) const
{
    // A page outside every beat stands at the board's left edge.
    if (page < 0 || page > pageCount_)
        return static_cast<float>(kRowStart);
    const int row = rowOfBoardBeat(beatHolding(beatRanges_, page));
    if (row == 0)
        return static_cast<float>(kRowStart);
    const auto width = static_cast<float>(boardWidthForSection(0));
    const PageRange section = sectionRangeOfRow(row);
    const std::int64_t pagesInSection = section.last - section.first + 1;
    const float fraction = pagesInSection > 0
        ? static_cast<float>(page - section.first) / static_cast<float>(pagesInSection)
        : 0.0f;
    return fraction * width + static_cast<float>(kRowStart);
}

std::int64_t BoardSections::leftForFraction(float fraction, std::int64_t boardBeat) const
{
    // A board too narrow to have a row puts every card at its start, never left of it.
    const auto width = static_cast<float>(std::max<std::int64_t>(boardWidthForBoardBeatSection(boardBeat), 0));
    const double x = static_cast<double>(fraction * width + static_cast<float>(kRowStart));
    if (!std::isfinite(x))
        return kRowStart;
    return wholePoint(x);
}

std::int64_t BoardSections::leastRowWidth() const
{
    constexpr std::int64_t kSmallestCard = 270;
    constexpr std::int64_t kPointsPerPage = 3;
    std::int64_t fullest = 0;
    for (const int row : {1, 2, 3, 4}) {
        const PageRange section = sectionRangeOfRow(row);
        fullest = std::max(fullest, section.last - section.first + 1);
    }
    return std::max(kSmallestCard, kPointsPerPage * fullest);
}

BoardSections::Span BoardSections::pageExtent(int row, std::int64_t page) const
{
    const PageRange section = sectionRangeOfRow(row);
    const std::int64_t pages = section.last - section.first + 1;
    if (pages <= 0 || page < section.first || page > section.last)
        return {0.0, 1.0};
    return {static_cast<double>(page - section.first) / static_cast<double>(pages),
            static_cast<double>(page - section.first + 1) / static_cast<double>(pages)};
}

BoardSections::Room BoardSections::roomOnPage(std::int64_t page, std::int64_t boardBeat, bool onlyOnBar) const
{
    // A place on the board is a whole point, cut toward zero from its fraction, and the page and
    // the bar are read back from that point: a point and a half inside keeps it on both after the
    // cut, on the narrowest board; a point and an eighth does where a piece has no more room.
    const auto leastRow = static_cast<double>(leastRowWidth());
    const double margin = 1.5 / leastRow;
    const double tightest = 1.125 / leastRow;
    const int row = rowOfBoardBeat(boardBeat);
    const Span extent = pageExtent(row, page);
    const double low = extent.from;
    const double high = extent.to;
    // The page in pieces between the edges of the bars that share it (a page of one bar reads that
    // bar wherever on it a card stands), and of the card's own bar where only that is asked.
    std::array<double, 18> cuts{};
    std::size_t count = 0;
    cuts[count++] = low;
    const Bars holding = barsHoldingPage(row, page);
    const auto cutAt = [&](std::int64_t bar) {
        for (const double edge : {static_cast<double>(beginningPercentageForBoardBeat(bar)),
                                  static_cast<double>(endingPercentageForBoardBeat(bar))})
            if (edge > low && edge < high && std::find(cuts.begin(), cuts.begin() + static_cast<std::ptrdiff_t>(count),
                                                       edge) == cuts.begin() + static_cast<std::ptrdiff_t>(count))
                cuts[count++] = edge;
    };
    if (holding.count > 1)
        for (const std::int64_t bar : holding)
            cutAt(bar);
    if (onlyOnBar)
        cutAt(boardBeat);
    cuts[count++] = high;
    std::sort(cuts.begin(), cuts.begin() + static_cast<std::ptrdiff_t>(count));
    const auto barFrom = static_cast<double>(beginningPercentageForBoardBeat(boardBeat));
    const auto barTo = static_cast<double>(endingPercentageForBoardBeat(boardBeat));
    Room room;
    for (std::size_t piece = 0; piece + 1 < count; ++piece) {
        const double from = cuts[piece];
        const double to = cuts[piece + 1];
        const double middle = (from + to) / 2.0;
        if (to - from < 2.0 * tightest || (onlyOnBar && (middle < barFrom || middle >= barTo)))
            continue;
        // A piece too narrow to keep the margin at both ends with a point between them keeps the
        // least margin, so that cards laid out on it still stand apart.
        const double inside = to - from >= 2.0 * margin + 1.0 / leastRow ? margin : tightest;
        room.spans[room.count++] = {from > 0.0 ? from + inside : 0.0, std::max(to - inside, from > 0.0 ? from + inside : 0.0)};
    }
    return room;
}

double BoardSections::fractionOnPage(std::int64_t page, std::int64_t boardBeat, double wanted) const
{
    const Room room = roomOnPage(page, boardBeat);
    if (room.empty()) {
        const auto [low, high] = pageExtent(rowOfBoardBeat(boardBeat), page);
        return (low + high) / 2.0;
    }
    if (!std::isfinite(wanted))
        wanted = room.spans[0].from;
    // The place nearest the wanted one; of two as near, the one on the beat's own bar (a card
    // wanted at its bar's start).
    constexpr double kAsNear = 1e-9;
    std::optional<double> best;
    bool bestOnBar = false;
    for (const Span& span : room) {
        const double place = std::clamp(wanted, span.from, span.to);
        const bool onBar = place >= static_cast<double>(beginningPercentageForBoardBeat(boardBeat)) &&
                           place < static_cast<double>(endingPercentageForBoardBeat(boardBeat));
        const double distance = std::fabs(place - wanted);
        const double bestDistance = best ? std::fabs(*best - wanted) : 0.0;
        if (!best || distance < bestDistance - kAsNear || (onBar && !bestOnBar && distance <= bestDistance + kAsNear)) {
            best = place;
            bestOnBar = onBar;
        }
    }
    return *best;
}
