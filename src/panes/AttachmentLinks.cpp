#include "AttachmentLinks.h"

#include "ItemSides.h"
#include "model/AttachedObjectdb.h"
#include "model/StoryTransaction.h"
#include "platform/Platform.h"

#include <algorithm>
#include <memory>

namespace AttachmentLinks {

template <typename Side>
LinkResult link(Screenplaydb& story, typename Side::Item* item, std::int64_t attachedObjectID)
{
    const AttachedObjectdb* attachment = story.attachmentForID(attachedObjectID);
    if (!attachment || !item || positionOf(Side::items(story), item) < 0)
        return LinkResult::Refused;
    auto& links = Side::links(*item);
    const bool already = std::any_of(links.begin(), links.end(), [&](const typename Side::Link* link) {
        return link->attachedObjectID() == attachedObjectID;
    });
    if (already) {
        AlertRequest alert;
        alert.title = QStringLiteral("Add Attachment");
        alert.message = QStringLiteral("%1 is already attached.").arg(attachment->title());
        Platform::alerts().runAlert(alert);
        return LinkResult::AlreadyLinked;
    }
    auto added = std::make_unique<typename Side::Link>();
    Side::setOwner(*added, *item);
    added->setAttachedObjectID(attachedObjectID);
    added->setPrimaryDisplayFlag(links.empty() ? 1 : 0);
    added->insertIntoDatabase(&story);
    links.push_back(added.get());
    Side::storyLinks(story).push_back(std::move(added));
    return LinkResult::Linked;
}

template <typename Side>
void remove(Screenplaydb& story, typename Side::Item& item, std::size_t index)
{
    auto& links = Side::links(item);
    if (index >= links.size())
        return;
    typename Side::Link* gone = links[index];
    {
        StoryTransaction transaction(story.database());
        gone->deleteFromDatabase();
        if (links.size() == 2) {
            typename Side::Link* left = links[1 - index];
            left->setPrimaryDisplayFlag(1);
            left->save();
        }
        transaction.commit();
    }
    links.erase(links.begin() + static_cast<std::ptrdiff_t>(index));
    auto& owned = Side::storyLinks(story);
    owned.eraseIf([gone](const std::unique_ptr<typename Side::Link>& link) { return link.get() == gone; });
}

template <typename Side>
void makePrimary(Screenplaydb& story, typename Side::Item& item, std::size_t index)
{
    auto& links = Side::links(item);
    if (index >= links.size())
        return;
    StoryTransaction transaction(story.database());
    for (std::size_t i = 0; i < links.size(); ++i) {
        links[i]->setPrimaryDisplayFlag(i == index ? 1 : 0);
        links[i]->save();
    }
    transaction.commit();
}

template LinkResult link<CharacterSide>(Screenplaydb&, Characterdb*, std::int64_t);
template LinkResult link<LocationSide>(Screenplaydb&, SceneLocationdb*, std::int64_t);
template void remove<CharacterSide>(Screenplaydb&, Characterdb&, std::size_t);
template void remove<LocationSide>(Screenplaydb&, SceneLocationdb&, std::size_t);
template void makePrimary<CharacterSide>(Screenplaydb&, Characterdb&, std::size_t);
template void makePrimary<LocationSide>(Screenplaydb&, SceneLocationdb&, std::size_t);

} // namespace AttachmentLinks
