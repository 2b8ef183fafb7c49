#pragma once

#include <QString>

#include <optional>

class Screenplaydb;

// A story queued by the phone application, after decoding: a tagged text in the manner of the
// story text the desktop sends (ScreenplayXML.h), read with StringUtilities::valueForTag.
namespace QueuedStoryText {

// Who the new story belongs to.
struct Owner {
    QString firstName;
    QString lastName;
    QString accountNumber;
};

// The tag that every queued story text holds.
inline constexpr char kStoryTag[] = "SCREENPLAY";

// Why the text cannot become a story, in words that finish "The queued story cannot be
// used: ..."; nothing when it can.
std::optional<QString> whyUnusable(const QString& text);

// The title the text gives ("" when none).
QString title(const QString& text);

// Fills a story just made from the template (its collections loaded) from the text: owner
// and a new GUID, title, logline, genre, beats, the general notes as one sticky note, page
// count (one outside 4 to 1000 brought into it; when none is given, or one of 0 or less, as
// many pages as the cards need, from 110 up), the cards with their script parts and characters, the set-ups and
// pay-offs with the ids the text gives. Every write goes to the story's database; the caller
// holds the transaction. A write that fails raises DatabaseError.
void fillStory(Screenplaydb& story, const QString& text, const Owner& owner);

} // namespace QueuedStoryText
