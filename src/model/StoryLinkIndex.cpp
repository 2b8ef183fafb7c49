#include "StoryLinkIndex.h"

#include "AttachedObjectdb.h"
#include "SceneCardCharacterdb.h"
#include "SceneCardObjectdb.h"
#include "SceneCarddb.h"
#include "ScenePayoffdb.h"
#include "SceneSetupdb.h"
#include "Screenplaydb.h"

StoryLinkIndex::StoryLinkIndex(Screenplaydb& story)
    : story_(story)
{
    cards_.reserve(story.sceneCards().size() + story.litterBox().size());
    addLinks([](std::int64_t) { return true; });
}

StoryLinkIndex::StoryLinkIndex(Screenplaydb& story, std::int64_t sceneCardID)
    : story_(story)
{
    // A card id of 0 would collect every link lying on no card.
    if (sceneCardID != 0)
        addLinks([sceneCardID](std::int64_t key) { return key == sceneCardID; });
}

StoryLinkIndex::StoryLinkIndex(Screenplaydb& story, const std::vector<std::int64_t>& sceneCardIDs)
    : story_(story)
{
    // Each wanted card has its entry at once, so that a link is kept when its card has one.
    cards_.reserve(sceneCardIDs.size());
    for (std::int64_t sceneCardID : sceneCardIDs)
        cards_.try_emplace(sceneCardID);
    addLinks([this](std::int64_t key) { return cards_.count(key) != 0; });
}

template <typename Wanted>
void StoryLinkIndex::addLinks(Wanted wanted)
{
    // Links lying on no card (id 0) belong to no card's look.
    const auto take = [&wanted](std::int64_t key) { return key != 0 && wanted(key); };
    for (const auto& link : story_.sceneCardCharacters())
        if (take(link->sceneCardID()))
            cards_[link->sceneCardID()].characters.push_back(link.get());
    for (const auto& setup : story_.sceneSetups())
        if (take(setup->sceneCardID()))
            cards_[setup->sceneCardID()].setups.push_back(setup.get());
    for (const auto& payoff : story_.scenePayoffs())
        if (take(payoff->sceneCardID()))
            cards_[payoff->sceneCardID()].payoffs.push_back(payoff.get());
    for (const auto& link : story_.sceneCardObjects()) {
        if (!take(link->sceneCardID()))
            continue;
        CardLinks& links = cards_[link->sceneCardID()];
        links.attachments.push_back(link.get());
        if (!links.primaryAttachment && link->primaryDisplayFlag() == 1)
            links.primaryAttachment = link.get();
    }
}

const StoryLinkIndex::CardLinks* StoryLinkIndex::linksOf(std::int64_t sceneCardID) const
{
    const auto found = cards_.find(sceneCardID);
    return found == cards_.end() ? nullptr : &found->second;
}

const std::vector<const SceneCardCharacterdb*>& StoryLinkIndex::charactersOfCard(std::int64_t sceneCardID) const
{
    static const std::vector<const SceneCardCharacterdb*> none;
    const CardLinks* links = linksOf(sceneCardID);
    return links ? links->characters : none;
}

const std::vector<const SceneSetupdb*>& StoryLinkIndex::setupsOfCard(std::int64_t sceneCardID) const
{
    static const std::vector<const SceneSetupdb*> none;
    const CardLinks* links = linksOf(sceneCardID);
    return links ? links->setups : none;
}

const std::vector<const ScenePayoffdb*>& StoryLinkIndex::payoffsOfCard(std::int64_t sceneCardID) const
{
    static const std::vector<const ScenePayoffdb*> none;
    const CardLinks* links = linksOf(sceneCardID);
    return links ? links->payoffs : none;
}

const std::vector<const SceneCardObjectdb*>& StoryLinkIndex::attachmentLinksOfCard(std::int64_t sceneCardID) const
{
    static const std::vector<const SceneCardObjectdb*> none;
    const CardLinks* links = linksOf(sceneCardID);
    return links ? links->attachments : none;
}

const SceneCardObjectdb* StoryLinkIndex::primaryAttachmentLinkOfCard(std::int64_t sceneCardID) const
{
    const CardLinks* links = linksOf(sceneCardID);
    return links ? links->primaryAttachment : nullptr;
}

const ScenePayoffdb* StoryLinkIndex::payoffForPayoffID(std::int64_t scenePayoffID) const
{
    return story_.payoffForPayoffID(scenePayoffID);
}

const SceneSetupdb* StoryLinkIndex::setupForPayoffID(std::int64_t scenePayoffID) const
{
    return story_.setupForPayoffID(scenePayoffID);
}

const SceneCarddb* StoryLinkIndex::sceneCardForSceneCardID(std::int64_t sceneCardID) const
{
    return story_.sceneCardForSceneCardID(sceneCardID);
}

const AttachedObjectdb* StoryLinkIndex::attachmentForID(std::int64_t attachedObjectID) const
{
    return story_.attachmentForID(attachedObjectID);
}
