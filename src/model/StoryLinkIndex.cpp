#include "StoryLinkIndex.h"

#include "AttachedObjectdb.h"
#include "SceneCardCharacterdb.h"
#include "SceneCardObjectdb.h"
#include "SceneCarddb.h"
#include "ScenePayoffdb.h"
#include "SceneSetupdb.h"
#include "Screenplaydb.h"

namespace {

// Keeps the first record of a key, as the story's own look-ups answer the first match.
template <typename Record>
void keepFirst(std::unordered_map<std::int64_t, const Record*>& table, std::int64_t key, const Record* record)
{
    table.try_emplace(key, record);
}

} // namespace

StoryLinkIndex::StoryLinkIndex(Screenplaydb& story)
    : story_(story)
    , whole_(true)
{
    addLinks(0);
    payoffs_.reserve(story.scenePayoffs().size());
    for (const auto& payoff : story.scenePayoffs())
        keepFirst(payoffs_, payoff->scenePayoffID(), payoff.get());
    setupsByPayoff_.reserve(story.sceneSetups().size());
    for (const auto& setup : story.sceneSetups())
        keepFirst(setupsByPayoff_, setup->scenePayoffID(), setup.get());
    sceneCards_.reserve(story.sceneCards().size() + story.litterBox().size());
    for (const auto* list : {&story.sceneCards(), &story.litterBox()})
        for (const auto& card : *list)
            keepFirst(sceneCards_, card->sceneCardID(), card.get());
    attachments_.reserve(story.attachedObjects().size());
    for (const auto& attachment : story.attachedObjects())
        keepFirst(attachments_, attachment->attachedObjectID(), attachment.get());
}

StoryLinkIndex::StoryLinkIndex(Screenplaydb& story, std::int64_t sceneCardID)
    : story_(story)
{
    // A card id of 0 would collect every link lying on no card.
    if (sceneCardID != 0)
        addLinks(sceneCardID);
}

void StoryLinkIndex::addLinks(std::int64_t onlyCard)
{
    // Links lying on no card (id 0) belong to no card's look.
    const auto wanted = [onlyCard](std::int64_t key) { return key != 0 && (onlyCard == 0 || key == onlyCard); };
    for (const auto& link : story_.sceneCardCharacters())
        if (wanted(link->sceneCardID()))
            cards_[link->sceneCardID()].characters.push_back(link.get());
    for (const auto& setup : story_.sceneSetups())
        if (wanted(setup->sceneCardID()))
            cards_[setup->sceneCardID()].setups.push_back(setup.get());
    for (const auto& payoff : story_.scenePayoffs())
        if (wanted(payoff->sceneCardID()))
            cards_[payoff->sceneCardID()].payoffs.push_back(payoff.get());
    for (const auto& link : story_.sceneCardObjects()) {
        if (!wanted(link->sceneCardID()))
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

namespace {

template <typename Record>
const Record* lookUp(const std::unordered_map<std::int64_t, const Record*>& table, std::int64_t key)
{
    const auto found = table.find(key);
    return found == table.end() ? nullptr : found->second;
}

} // namespace

const ScenePayoffdb* StoryLinkIndex::payoffForPayoffID(std::int64_t scenePayoffID) const
{
    return whole_ ? lookUp(payoffs_, scenePayoffID) : story_.payoffForPayoffID(scenePayoffID);
}

const SceneSetupdb* StoryLinkIndex::setupForPayoffID(std::int64_t scenePayoffID) const
{
    return whole_ ? lookUp(setupsByPayoff_, scenePayoffID) : story_.setupForPayoffID(scenePayoffID);
}

const SceneCarddb* StoryLinkIndex::sceneCardForSceneCardID(std::int64_t sceneCardID) const
{
    return whole_ ? lookUp(sceneCards_, sceneCardID) : story_.sceneCardForSceneCardID(sceneCardID);
}

const AttachedObjectdb* StoryLinkIndex::attachmentForID(std::int64_t attachedObjectID) const
{
    return whole_ ? lookUp(attachments_, attachedObjectID) : story_.attachmentForID(attachedObjectID);
}
