#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>

// The parts of a scene card that the user can point at. The six colour stripes are
// Stripe1 + 0 to Stripe1 + 5, top to bottom.
enum class SceneCardPart {
    None,
    TitleBar,
    Heading,
    PageNumber,
    Description,
    DescriptionTab,
    NotesTab,
    EmotionalChangeType,
    EmotionalChange,
    ConflictLabel,
    Conflict,
    Stripe1,
    Stripe2,
    Stripe3,
    Stripe4,
    Stripe5,
    Stripe6,
    ThumbTack,
    Advice,
    Delete,
};

// Stripe 1 to 6 as a part; None for any other number.
SceneCardPart stripePart(int stripe);
// The stripe number of a part, 0 for a part that is no stripe.
int stripeOfPart(SceneCardPart part);

// Where everything lies on a scene card of one zoom factor, in the card's own top-down points,
// for a card of the standard size. Worked out when the card's zoom, presentation or thumbnail
// changes; painting and pointing only read it.
struct SceneCardLayout
{
    QSize card{270, 148};
    int fontSize = 12;
    // Whether the zoom factor (1 to 4) gave the frames; another one keeps the frames it had.
    bool framed = false;
    QRect titleBar;
    QRect heading;
    // The red rule under the heading.
    QRect headingRule;
    QRect pageNumber;
    QRect photoBackground;
    bool photoFrameShown = false;
    bool thumbnailShown = false;
    QRect description;
    QRect descriptionTab;
    QRect notesTab;
    QRect emotionalChangeType;
    QRect emotionalChange;
    QRect conflictLabel;
    QRect conflict;
    std::array<QRect, 6> stripes{};
    QRect thumbTack;
    QRect advice;
    QRect deleteButton;
    // Side of the square indicator icons in the title bar.
    int indicatorSize = 24;

    // The frame of a part (an empty one for None).
    QRect frame(SceneCardPart part) const;
    // The topmost part under `point`; None where the card has only paper or one of the first
    // `shownIndicators` indicators (the title bar where no indicator shows).
    SceneCardPart partAt(const QPoint& point, int shownIndicators = 4) const;
    // The frame of the `index`th indicator shown (0 for the leftmost).
    QRect indicatorFrame(int index) const;
};

// The standard size of a card at `zoom`; the smallest card for a zoom outside 1 to 4.
QSize cardSizeForZoom(std::int64_t zoom);

// The layout of a card `cardSize` large at `zoom` (1 to 4), on the corkboard or in the list
// (`inList`), with or without a thumbnail. For any other zoom the text is 12 points and the
// frames stay those of `previous`.
SceneCardLayout sceneCardLayout(std::int64_t zoom, const QSize& cardSize, bool inList, bool hasThumbnail,
                                const SceneCardLayout& previous = SceneCardLayout{});
