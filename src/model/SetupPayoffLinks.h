#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class ScenePayoffdb;
class SceneSetupdb;
class Screenplaydb;

// Adding, deleting, placing, renaming and linking the story's set-ups and pay-offs, for every
// view that changes them (the large card's tabs, the story-elements lists).
//
// A link is stored in one place only: the set-up's ScenePayoffID. Each operation here writes
// it there and sets the in-memory partner fields of both sides (the set-up's pay-off text, the
// pay-off's set-up key and text), so that every view shows the same link; the pay-off row is
// never written for a link. Each side has at most one partner: a link made lets go of the
// partners either side had.
//
// Each operation is one transaction. When a write fails it raises DatabaseError, and neither the
// file nor the records in memory are changed.
namespace SetupPayoffLinks {

// The scene cards whose set-up or pay-off indicators an operation changed: keys above 0, each
// once, in no particular order. A caller refreshes each card's indicators.
using Cards = std::vector<std::int64_t>;

// A new set-up (pay-off) with empty text on the card (0 = free), written to the file, added to
// the story's collection and that collection sorted again by card and text.
SceneSetupdb& addSetup(Screenplaydb& story, std::int64_t sceneCardID);
ScenePayoffdb& addPayoff(Screenplaydb& story, std::int64_t sceneCardID);

// Deletes the record, which the story then no longer holds (the reference dangles). Deleting a
// set-up leaves its pay-off unlinked; deleting a pay-off writes every set-up that named it back
// to ScenePayoffID 0, so the file keeps no link to a pay-off that is gone.
Cards deleteSetup(Screenplaydb& story, SceneSetupdb& setup);
Cards deletePayoff(Screenplaydb& story, ScenePayoffdb& payoff);

// Links the set-up to the pay-off, by their keys. Answers nothing and writes nothing when either
// key names no record of the story (a stale choice is refused, never followed).
std::optional<Cards> link(Screenplaydb& story, std::int64_t sceneSetupID, std::int64_t scenePayoffID);
// Breaks the record's link, if it has one.
Cards unlinkSetup(Screenplaydb& story, SceneSetupdb& setup);
Cards unlinkPayoff(Screenplaydb& story, ScenePayoffdb& payoff);

// Puts the record on the card (0 = makes it free); its link stays.
Cards moveToCard(Screenplaydb& story, SceneSetupdb& setup, std::int64_t sceneCardID);
Cards moveToCard(Screenplaydb& story, ScenePayoffdb& payoff, std::int64_t sceneCardID);

// Gives the record a new text (any text, the empty one included); its partner shows it.
void rename(Screenplaydb& story, SceneSetupdb& setup, const QString& text);
void rename(Screenplaydb& story, ScenePayoffdb& payoff, const QString& text);

} // namespace SetupPayoffLinks
