#pragma once

#include "SceneCardLayout.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QTextLayout>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class AttachedObjectdb;
class QPainter;
class SceneCarddb;
class Screenplaydb;
class StoryLinkIndex;

// One indicator icon in a card's title bar: what lies on the card, its picture and what its
// tooltip says.
struct SceneCardIndicator
{
    enum Kind { Characters, Location, Setups, Payoffs };
    Kind kind = Characters;
    QString imageName;
    QString toolTip;
};

// What a scene card shows, as values: read from the card and its story when the card changes,
// so that painting reads nothing from the story.
struct SceneCardLook
{
    QString heading;
    QString pageNumber;
    // The text area: the description (tab 1) or the notes (tab 2).
    QString text;
    std::int64_t selectedTab = 1;
    QString emotionalChange;
    QString conflict;
    std::array<QColor, 6> stripes{QColor(Qt::white), QColor(Qt::white), QColor(Qt::white),
                                   QColor(Qt::white), QColor(Qt::white), QColor(Qt::white)};
    QColor emotionalChangeType = Qt::white;
    // The background of the tab that shows.
    QColor markedTab = QColor(205, 133, 63);
    QPixmap thumbnail;
    // The attachment whose thumbnail shows (0 for none): a card reads the picture again only
    // when its primary attachment changes.
    std::int64_t thumbnailAttachmentID = 0;
    // The thumbnail is read when the card is first painted (a board of many cards reads only
    // the pictures that show); until then the card counts as having one.
    bool thumbnailPending = false;
    // The indicators shown, left to right.
    std::vector<SceneCardIndicator> indicators;
    QString thumbTackImage = QStringLiteral("SceneCardThumbDown");
    // The thumb tack, the advice and the delete button; a card that is only shown has none.
    bool showsControls = true;
    // A field being edited in place is left blank: its editor lies over it.
    SceneCardPart editedPart = SceneCardPart::None;
};

// The indicators of `card`: characters, location, set-ups and pay-offs lying on it. Without an
// index the story's links are read for this one card; with one (built for a pass over many
// cards) each card costs only its own links.
std::vector<SceneCardIndicator> indicatorsOfCard(Screenplaydb& story, const SceneCarddb& card);
std::vector<SceneCardIndicator> indicatorsOfCard(const Screenplaydb& story, const SceneCarddb& card,
                                                 const StoryLinkIndex& links);
// When a look reads its thumbnail: at once, or when the card is first painted.
enum class ThumbnailReading { Now, AtFirstPaint };
// Everything `card` shows, with the text area showing `tab` and the marked tab in `brown`.
SceneCardLook lookOfCard(Screenplaydb& story, const SceneCarddb& card, std::int64_t tab = 1,
                         const QColor& brown = QColor(205, 133, 63));
SceneCardLook lookOfCard(const Screenplaydb& story, const SceneCarddb& card, const StoryLinkIndex& links,
                         std::int64_t tab = 1, const QColor& brown = QColor(205, 133, 63),
                         ThumbnailReading reading = ThumbnailReading::Now);
// The attachment whose thumbnail a card shows: its primary attachment, 0 for none.
std::int64_t thumbnailAttachmentOfCard(const StoryLinkIndex& links, std::int64_t sceneCardID);
// The same for every card at once (card id to attachment id, cards without one left out), read
// in one pass over the story's attachment links.
std::unordered_map<std::int64_t, std::int64_t> thumbnailAttachmentsOfCards(Screenplaydb& story);
// The thumbnail of an attachment, decoded; a null picture for none.
QPixmap thumbnailOfAttachment(const StoryLinkIndex& links, std::int64_t attachedObjectID);
QPixmap thumbnailOfAttachment(const AttachedObjectdb* attachment);
// The card's text for a field whose content may be empty: the field's own name then.
QString fieldTextOrPlaceholder(const QString& text, const QString& placeholder);

// Draws one scene card: paper and edge, title bar with indicators, thumb tack and buttons,
// heading with its red rule and page number, photo frame and thumbnail, the text area and its
// two tabs, emotional change, conflict and the six colour stripes. Fonts, elided texts and the
// text area's lines are worked out once per change of look or layout and kept, so painting a
// card again only draws.
class SceneCardPainter
{
public:
    SceneCardPainter();
    ~SceneCardPainter();
    SceneCardPainter(SceneCardPainter&&) noexcept;
    SceneCardPainter& operator=(SceneCardPainter&&) noexcept;

    const SceneCardLook& look() const { return look_; }
    // A new look; what was worked out for the old one is dropped.
    void setLook(SceneCardLook look);
    // Changes the look in place; call `lookChanged` after.
    SceneCardLook& look() { return look_; }
    void lookChanged();
    // The description's lines and their shaped glyphs go; they are made again when next painted.
    void releaseTextLines();
    bool holdsTextLines() const { return textLines_ != nullptr; }

    // Paints the card with its top left at the painter's origin, on paper `area` large: a card
    // in the list is wider than its layout, one in the Litter Box may be narrower.
    void paint(QPainter& painter, const SceneCardLayout& layout, const QSize& area);

    // The font of the card's texts for a layout.
    static QFont fieldFont(const SceneCardLayout& layout, SceneCardPart part);

private:
    // The fonts for the layout; what was worked out for another look or layout is dropped.
    void prepare(const SceneCardLayout& layout);
    // Each text is worked out when it is first painted: a card of which little shows (under
    // other cards) works out only what shows.
    static const QString& elidedOnce(std::optional<QString>& held, const QFont& font, const QString& text,
                                     const QRect& field);
    const QString& elidedHeading(const SceneCardLayout& layout);
    const QString& elidedEmotionalChange(const SceneCardLayout& layout);
    const QString& elidedConflict(const SceneCardLayout& layout);
    QTextLayout* textLines(const SceneCardLayout& layout);

    SceneCardLook look_;
    // What was worked out, and for which font size and fields.
    bool prepared_ = false;
    int preparedFontSize_ = 0;
    QRect preparedDescription_;
    QRect preparedHeading_;
    QRect preparedEmotionalChange_;
    QRect preparedConflict_;
    // Made by the first prepare(): a card that is never painted makes no fonts.
    std::optional<QFont> regular_;
    std::optional<QFont> bold_;
    std::optional<QString> elidedHeading_;
    std::optional<QString> elidedEmotionalChange_;
    std::optional<QString> elidedConflict_;
    bool textLinesReady_ = false;
    std::unique_ptr<QTextLayout> textLines_;
};

// Paints `card` of `story` as it looks at `zoom` (1 to 4) into `target` on any painter, scaled
// from the card's standard size at that zoom: for cards shown elsewhere than on the board.
void paintSceneCard(QPainter& painter, const QRectF& target, Screenplaydb& story, const SceneCarddb& card,
                    std::int64_t zoom);
