#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

// A story file is user input: every number read from it is brought into the range the program
// works in before it is used, so no arithmetic on it overflows and no narrowing wraps. The
// ranges are wide enough for every value the program itself writes.
namespace StoredRange {

inline constexpr std::int64_t kLeastPageCount = 4;
inline constexpr std::int64_t kMostPageCount = 1000;
// A new story's page count.
inline constexpr std::int64_t kNewStoryPageCount = 110;
// Board and window sizes, splitter distances and positions, in points.
inline constexpr std::int64_t kMostSize = 30000;
inline constexpr std::int64_t kMostPosition = 100000;
// Fractions of the board a card may hold, with room for cards beyond the rows' edges.
inline constexpr double kLeastFraction = -1.0;
inline constexpr double kMostFraction = 2.0;

// `value` within [low, high]; `adjusted` becomes true when it was outside.
inline std::int64_t clamp(std::int64_t value, std::int64_t low, std::int64_t high, bool& adjusted)
{
    if (value >= low && value <= high)
        return value;
    adjusted = true;
    return value < low ? low : high;
}

// The page count of a story brought in from elsewhere that gives none of its own: a new story's,
// or as many pages as its highest card's page if that is more, so no card loses its page; at
// most kMostPageCount.
inline std::int64_t pagesHoldingEveryCard(std::int64_t highestCardPage)
{
    return std::clamp(highestCardPage, kNewStoryPageCount, kMostPageCount);
}

// A fraction of the board; not-a-number and infinities read as 0.
inline float fraction(double value, bool& adjusted)
{
    if (!std::isfinite(value)) {
        adjusted = true;
        return 0.0f;
    }
    if (value < kLeastFraction || value > kMostFraction) {
        adjusted = true;
        return static_cast<float>(std::clamp(value, kLeastFraction, kMostFraction));
    }
    return static_cast<float>(value);
}

// The text size setting, 1 (smallest) to 4, as an int.
inline int fontSetting(std::int64_t setting)
{
    return static_cast<int>(std::clamp<std::int64_t>(setting, 1, 4));
}

// The nearest int: for widget geometry and font sizes made from stored numbers.
inline int toInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// The nearest int of a floating-point value; not-a-number gives 0.
inline int toInt(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace StoredRange
