#pragma once

#include <cstddef>
#include <cstdint>

class Screenplaydb;

// The links between a character or a location (Side: CharacterSide or LocationSide, see
// ItemSides.h) and the attachments of the story. The story owns the links; the item's own list
// points at them in the order they were made. At most one link of an item is primary: its
// attachment's thumbnail is the item's picture. Every change is written to the story file at
// once, the in-memory lists following only once the writes are kept.
namespace AttachmentLinks {

enum class LinkResult { Linked, AlreadyLinked, Refused };

// Links the attachment to the item, primary when it is the item's first link. An attachment
// the item already has brings the "Add Attachment" alert and adds nothing; an attachment or an
// item that is no longer in the story is refused without a word.
template <typename Side>
LinkResult link(Screenplaydb& story, typename Side::Item* item, std::int64_t attachedObjectID);

// Deletes the item's link at `index` of its own list; when exactly one link is left, that one
// becomes primary. An index past the end does nothing.
template <typename Side>
void remove(Screenplaydb& story, typename Side::Item& item, std::size_t index);

// Makes the item's link at `index` its only primary one.
template <typename Side>
void makePrimary(Screenplaydb& story, typename Side::Item& item, std::size_t index);

} // namespace AttachmentLinks
