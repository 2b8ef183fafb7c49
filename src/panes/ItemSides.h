#pragma once

#include "board/RecordPasteboardType.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneLocationObjectdb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// What the characters' and the locations' lists, panels and attachment links have in common,
// told apart by these two descriptions: the item's record and link classes, where the story
// keeps them, and the texts and drag types of each.
struct CharacterSide {
    using Item = Characterdb;
    using Link = CharacterObjectdb;

    static RecordList<Item>& items(Screenplaydb& story) { return story.characters(); }
    static RecordList<Link>& storyLinks(Screenplaydb& story) { return story.characterObjects(); }
    static std::vector<Link*>& links(Item& item) { return item.characterObjects(); }
    static std::int64_t key(const Item& item) { return item.characterID(); }
    static std::int64_t ownerOf(const Link& link) { return link.characterID(); }
    static void setOwner(Link& link, const Item& item) { link.setCharacterID(item.characterID()); }
    static QString name(const Item& item) { return item.characterName(); }
    static void setName(Item& item, const QString& name) { item.setCharacterName(name); }
    static QByteArray picture(const Screenplaydb& story, const Item& item)
    {
        return story.displayImageForCharacter(item);
    }

    static constexpr const char* kTableName = "CharactersTableView";
    static constexpr const char* kEmptyText = "No Characters";
    static constexpr const char* kHelpTopic = "CHARACTERS";
    static constexpr const char* kDragType = RecordPasteboardType::kCharacter;
    static constexpr const char* kLinkDragType = RecordPasteboardType::kCharacterObject;
};

struct LocationSide {
    using Item = SceneLocationdb;
    using Link = SceneLocationObjectdb;

    static RecordList<Item>& items(Screenplaydb& story) { return story.sceneLocations(); }
    static RecordList<Link>& storyLinks(Screenplaydb& story) { return story.sceneLocationObjects(); }
    static std::vector<Link*>& links(Item& item) { return item.locationObjects(); }
    static std::int64_t key(const Item& item) { return item.sceneLocationID(); }
    static std::int64_t ownerOf(const Link& link) { return link.sceneLocationID(); }
    static void setOwner(Link& link, const Item& item) { link.setSceneLocationID(item.sceneLocationID()); }
    static QString name(const Item& item) { return item.location(); }
    static void setName(Item& item, const QString& name) { item.setLocation(name); }
    static QByteArray picture(const Screenplaydb& story, const Item& item)
    {
        return story.displayImageForLocation(item);
    }

    static constexpr const char* kTableName = "LocationsTableView";
    static constexpr const char* kEmptyText = "No Locations";
    static constexpr const char* kHelpTopic = "LOCATIONS";
    static constexpr const char* kDragType = RecordPasteboardType::kSceneLocation;
    static constexpr const char* kLinkDragType = RecordPasteboardType::kSceneLocationObject;
};

// The position of a record in one of the story's lists, or -1 when it is not there.
template <typename Record>
std::int64_t positionOf(const RecordList<Record>& list, const Record* record)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == record)
            return static_cast<std::int64_t>(i);
    return -1;
}
