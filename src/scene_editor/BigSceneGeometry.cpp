#include "BigSceneGeometry.h"

namespace BigSceneGeometry {

namespace {

// Where the lowest label starts and how far below the box's top the highest one ends.
constexpr int kColorLabelBottom = 14;
constexpr int kColorLabelTopGap = 46;
constexpr int kColorLabelLeft = 15;
constexpr int kColorLabelWidth = 19;

constexpr int kIndicatorFirstLeft = 14;
constexpr int kIndicatorStep = 29;

} // namespace

std::array<QRect, 6> colorLabelFrames(int boxHeight)
{
    // Worked out in single precision and truncated, as the stored layouts were.
    const int band = static_cast<int>((static_cast<float>(boxHeight) - 60.0f) / 6.0f + 1.0f);
    std::array<QRect, 6> frames;
    for (int below = 0; below < 5; ++below) {
        // Label 6 is the lowest; each label above starts a band higher, less the point of overlap.
        const int y = kColorLabelBottom + below * (band - 1);
        frames[static_cast<std::size_t>(5 - below)] = QRect(kColorLabelLeft, y, kColorLabelWidth, band);
    }
    const int topY = kColorLabelBottom + 5 * (band - 1);
    frames[0] = QRect(kColorLabelLeft, topY, kColorLabelWidth, (boxHeight - kColorLabelTopGap) - topY);
    return frames;
}

QRect flipped(const QRect& bottomUpFrame, int boxHeight)
{
    return QRect(bottomUpFrame.x(), boxHeight - bottomUpFrame.y() - bottomUpFrame.height(), bottomUpFrame.width(),
                 bottomUpFrame.height());
}

int indicatorLeft(int shownBefore)
{
    return kIndicatorFirstLeft + kIndicatorStep * shownBefore;
}

int indicatorSize(std::int64_t boardZoomFactor)
{
    return boardZoomFactor >= 1 && boardZoomFactor <= 4 ? 24 : 22;
}

} // namespace BigSceneGeometry
