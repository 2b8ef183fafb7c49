#include "SceneCardLayout.h"

#include "app/SmallViews.h"

#include <algorithm>

namespace {

// The frames of the card's fields are given from the card's bottom edge up (x, y, width,
// height with y measured upwards), one set per zoom factor 1 to 4. The title bar fills the
// card above the heading.
struct ZoomLayout
{
    int width;
    int height;
    QRect heading;
    QRect pageNumber;
    QRect photoBackground;
    QRect descriptionWithThumbnail;
    QRect descriptionWithout;
    QRect descriptionTab;
    QRect notesTab;
    QRect emotionalChangeType;
    QRect emotionalChange;
    QRect conflictLabel;
    QRect conflict;
    int fontSize;
    // Stripe heights on the corkboard and in the list, and what the bottom stripe adds.
    int stripeOnCorkboard;
    int stripeInList;
    int bottomStripeExtra;
};

const std::array<ZoomLayout, 4> kZoomLayouts{{
    {270, 148, {8, 103, 222, 20}, {229, 103, 41, 20}, {8, 38, 80, 67}, {85, 38, 170, 66}, {8, 38, 247, 66},
     {254, 70, 16, 34}, {254, 38, 16, 33}, {8, 19, 41, 20}, {48, 19, 222, 20}, {8, 0, 41, 20}, {48, 0, 222, 20},
     12, 21, 21, 2},
    {292, 162, {8, 115, 241, 22}, {248, 115, 44, 22}, {8, 42, 80, 75}, {85, 42, 192, 74}, {8, 42, 269, 74},
     {276, 78, 16, 38}, {276, 42, 16, 37}, {8, 21, 41, 22}, {48, 21, 244, 22}, {8, 0, 41, 22}, {48, 0, 244, 22},
     14, 24, 24, -2},
    {315, 176, {8, 128, 263, 23}, {269, 128, 46, 23}, {8, 44, 80, 85}, {85, 44, 213, 85}, {8, 44, 290, 85},
     {297, 85, 18, 44}, {297, 44, 18, 42}, {8, 22, 41, 23}, {48, 22, 267, 23}, {8, 0, 41, 23}, {48, 0, 267, 23},
     15, 26, 25, 0},
    {360, 202, {8, 154, 304, 23}, {311, 154, 49, 23}, {8, 44, 80, 112}, {85, 44, 258, 111}, {8, 44, 335, 111},
     {342, 98, 18, 57}, {342, 44, 18, 55}, {8, 22, 41, 23}, {48, 22, 312, 23}, {8, 0, 41, 23}, {48, 0, 312, 23},
     16, 30, 29, 2},
}};

constexpr int kOtherZoomFontSize = 12;
constexpr int kStripeWidth = 9;
// The indicator icons stand in the title bar, 24 points (22 for other zoom factors) square,
// 29 points apart from x = 6.
constexpr int kIndicatorTop = 1;
constexpr int kIndicatorLeft = 6;
constexpr int kIndicatorStep = 29;
constexpr int kIndicatorSize = 24;
constexpr int kOtherZoomIndicatorSize = 22;
constexpr int kThumbTackSize = 24;
constexpr int kButtonSize = 20;
constexpr int kTitleBarHeight = 25;

} // namespace

SceneCardPart stripePart(int stripe)
{
    return stripe >= 1 && stripe <= 6
               ? static_cast<SceneCardPart>(static_cast<int>(SceneCardPart::Stripe1) + stripe - 1)
               : SceneCardPart::None;
}

int stripeOfPart(SceneCardPart part)
{
    const int offset = static_cast<int>(part) - static_cast<int>(SceneCardPart::Stripe1);
    return offset >= 0 && offset < 6 ? offset + 1 : 0;
}

QRect SceneCardLayout::frame(SceneCardPart part) const
{
    if (const int stripe = stripeOfPart(part))
        return stripes[static_cast<std::size_t>(stripe - 1)];
    switch (part) {
    case SceneCardPart::TitleBar:
        return titleBar;
    case SceneCardPart::Heading:
        return heading;
    case SceneCardPart::PageNumber:
        return pageNumber;
    case SceneCardPart::Description:
        return description;
    case SceneCardPart::DescriptionTab:
        return descriptionTab;
    case SceneCardPart::NotesTab:
        return notesTab;
    case SceneCardPart::EmotionalChangeType:
        return emotionalChangeType;
    case SceneCardPart::EmotionalChange:
        return emotionalChange;
    case SceneCardPart::ConflictLabel:
        return conflictLabel;
    case SceneCardPart::Conflict:
        return conflict;
    case SceneCardPart::ThumbTack:
        return thumbTack;
    case SceneCardPart::Advice:
        return advice;
    case SceneCardPart::Delete:
        return deleteButton;
    default:
        return {};
    }
}

SceneCardPart SceneCardLayout::partAt(const QPoint& point, int shownIndicators) const
{
    // Top of the stack first: the tack and buttons, the stripes, then the fields; indicators
    // in the title bar answer nothing, and where none shows the title bar answers.
    for (const SceneCardPart part : {SceneCardPart::Delete, SceneCardPart::Advice, SceneCardPart::ThumbTack})
        if (frame(part).contains(point))
            return part;
    for (int stripe = 1; stripe <= 6; ++stripe)
        if (stripes[static_cast<std::size_t>(stripe - 1)].contains(point))
            return stripePart(stripe);
    for (int index = 0; index < std::min(shownIndicators, 4); ++index)
        if (indicatorFrame(index).contains(point))
            return SceneCardPart::None;
    for (const SceneCardPart part :
         {SceneCardPart::Conflict, SceneCardPart::ConflictLabel, SceneCardPart::EmotionalChange,
          SceneCardPart::EmotionalChangeType, SceneCardPart::NotesTab, SceneCardPart::DescriptionTab,
          SceneCardPart::Description, SceneCardPart::PageNumber, SceneCardPart::Heading, SceneCardPart::TitleBar})
        if (frame(part).contains(point))
            return part;
    return SceneCardPart::None;
}

QRect SceneCardLayout::indicatorFrame(int index) const
{
    return QRect(kIndicatorLeft + kIndicatorStep * index, kIndicatorTop, indicatorSize, indicatorSize);
}

QSize cardSizeForZoom(std::int64_t zoom)
{
    const ZoomLayout& layout = kZoomLayouts[zoom >= 1 && zoom <= 4 ? static_cast<std::size_t>(zoom - 1) : 0];
    return QSize(layout.width, layout.height);
}

SceneCardLayout sceneCardLayout(std::int64_t zoom, const QSize& cardSize, bool inList, bool hasThumbnail,
                                const SceneCardLayout& previous)
{
    SceneCardLayout result = previous;
    result.card = cardSize;
    const int width = cardSize.width();
    const int height = cardSize.height();
    result.titleBar = QRect(0, 0, width, kTitleBarHeight);
    result.thumbTack = QRect((width - kThumbTackSize) / 2, kIndicatorTop, kThumbTackSize, kThumbTackSize);
    const int buttonTop = (kTitleBarHeight - kButtonSize) / 2;
    result.deleteButton = QRect(width - kButtonSize - 4, buttonTop, kButtonSize, kButtonSize);
    result.advice = QRect(width - 2 * kButtonSize - 6, buttonTop, kButtonSize, kButtonSize);
    result.thumbnailShown = hasThumbnail;

    if (zoom < 1 || zoom > 4) {
        result.fontSize = kOtherZoomFontSize;
        result.indicatorSize = kOtherZoomIndicatorSize;
        return result;
    }
    const ZoomLayout& layout = kZoomLayouts[static_cast<std::size_t>(zoom - 1)];
    result.framed = true;
    result.fontSize = layout.fontSize;
    result.indicatorSize = kIndicatorSize;
    const auto place = [height](const QRect& bottomUp) { return flippedFrame(bottomUp, height); };
    result.heading = place(layout.heading);
    result.headingRule = QRect(kStripeWidth, result.heading.bottom() + 1, width - kStripeWidth, 1);
    result.pageNumber = place(layout.pageNumber);
    result.photoBackground = place(layout.photoBackground);
    // Only the smallest card hides the photo frame without a thumbnail; the others keep it.
    result.photoFrameShown = zoom != 1 || hasThumbnail;
    result.description = place(hasThumbnail ? layout.descriptionWithThumbnail : layout.descriptionWithout);
    result.descriptionTab = place(layout.descriptionTab);
    result.notesTab = place(layout.notesTab);
    result.emotionalChangeType = place(layout.emotionalChangeType);
    result.emotionalChange = place(layout.emotionalChange);
    result.conflictLabel = place(layout.conflictLabel);
    result.conflict = place(layout.conflict);

    // The stripes stand on each other from the bottom edge up, each overlapping the one below
    // by a point; the bottom one is a little higher or lower than the others.
    const int stripe = inList ? layout.stripeInList : layout.stripeOnCorkboard;
    int y = 0;
    int below = stripe + layout.bottomStripeExtra;
    result.stripes[5] = place(QRect(0, y, kStripeWidth, below));
    for (int n = 5; n >= 1; --n) {
        y += below - 1;
        below = stripe;
        result.stripes[static_cast<std::size_t>(n - 1)] = place(QRect(0, y, kStripeWidth, stripe));
    }
    return result;
}
