#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

class AttachedObjectdb;
class SceneCardCharacterdb;
class SceneCardObjectdb;
class SceneCarddb;
class ScenePayoffdb;
class SceneSetupdb;
class Screenplaydb;

// What lies on each scene card of a story, read in one pass over the story's link records:
// the card's characters, set-ups, pay-offs and primary attachment, and the partners of set-ups
// and pay-offs. Asking for one card's links then costs what that card holds, not what the whole
// story holds. The index points into the story's records and is only good until the story's
// lists change: build it for one pass (opening a board, refreshing every card) and drop it.
class StoryLinkIndex
{
public:
    // Indexes every card of `story`.
    explicit StoryLinkIndex(Screenplaydb& story);
    // Indexes only the card `sceneCardID`.
    StoryLinkIndex(Screenplaydb& story, std::int64_t sceneCardID);
    // Indexes only the cards `sceneCardIDs` (a few cards of a large story, read together).
    StoryLinkIndex(Screenplaydb& story, const std::vector<std::int64_t>& sceneCardIDs);

    // In the story's order; empty for a card with none.
    const std::vector<const SceneCardCharacterdb*>& charactersOfCard(std::int64_t sceneCardID) const;
    const std::vector<const SceneSetupdb*>& setupsOfCard(std::int64_t sceneCardID) const;
    const std::vector<const ScenePayoffdb*>& payoffsOfCard(std::int64_t sceneCardID) const;
    // Every attachment link of the card, in the story's order.
    const std::vector<const SceneCardObjectdb*>& attachmentLinksOfCard(std::int64_t sceneCardID) const;
    // The first link of the card marked primary, or nothing.
    const SceneCardObjectdb* primaryAttachmentLinkOfCard(std::int64_t sceneCardID) const;

    // The pay-off `scenePayoffID`, and the first set-up paid off by it: the story's own look-ups.
    const ScenePayoffdb* payoffForPayoffID(std::int64_t scenePayoffID) const;
    const SceneSetupdb* setupForPayoffID(std::int64_t scenePayoffID) const;
    // A card of the board or the Litter Box by its id.
    const SceneCarddb* sceneCardForSceneCardID(std::int64_t sceneCardID) const;
    const AttachedObjectdb* attachmentForID(std::int64_t attachedObjectID) const;

private:
    struct CardLinks
    {
        std::vector<const SceneCardCharacterdb*> characters;
        std::vector<const SceneSetupdb*> setups;
        std::vector<const ScenePayoffdb*> payoffs;
        std::vector<const SceneCardObjectdb*> attachments;
        const SceneCardObjectdb* primaryAttachment = nullptr;
    };

    template <typename Wanted>
    void addLinks(Wanted wanted);
    const CardLinks* linksOf(std::int64_t sceneCardID) const;

    Screenplaydb& story_;
    std::unordered_map<std::int64_t, CardLinks> cards_;
};
