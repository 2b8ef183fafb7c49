#pragma once

#include "app/AppActions.h"
#include "board/RecordPasteboardType.h"
#include "model/ScenePayoffdb.h"
#include "model/SetupPayoffLinks.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"

#include <QString>

#include <cstdint>
#include <optional>

class MyDocument;
class PayoffsTableView;
class SetupsTableView;

// What the set-ups' and the pay-offs' lists and commands have in common, told apart by these
// two descriptions: the item's and its partner's record classes, where the story keeps them,
// how an item finds its partner, and the texts, tabs, section and commands of each. The link
// between the two is kept in the set-up's row only.
struct SetupSide {
    using Item = SceneSetupdb;
    using Partner = ScenePayoffdb;
    using Table = SetupsTableView;

    static RecordList<Item>& items(Screenplaydb& story) { return story.sceneSetups(); }
    static std::int64_t key(const Item& item) { return item.sceneSetupID(); }
    // The pay-off the set-up names, or nothing.
    static Partner* partner(const Screenplaydb& story, const Item& item)
    {
        return item.scenePayoffID() != 0 ? story.payoffForPayoffID(item.scenePayoffID()) : nullptr;
    }
    static QString text(const Item& item) { return item.sceneSetup(); }
    static QString description(const Screenplaydb& story, const Item& item)
    {
        return story.fullDescriptionForSetup(item);
    }
    static QString partnerDescription(const Screenplaydb& story, const Partner& partner)
    {
        return story.fullDescriptionForPayoff(partner);
    }
    // Whether an item could be linked now: some pay-off has no set-up.
    static bool partnerToLinkExists(const Screenplaydb& story) { return story.anyUnlinkedPayoffs(); }
    static Table* table(const MyDocument& document);
    // The operations, each one write that answers the cards whose indicators changed.
    static Item& add(Screenplaydb& story) { return SetupPayoffLinks::addSetup(story, 0); }
    // Deletes the set-up; its pay-off is left without one.
    static SetupPayoffLinks::Cards remove(Screenplaydb& story, Item& item)
    {
        return SetupPayoffLinks::deleteSetup(story, item);
    }
    static void rename(Screenplaydb& story, Item& item, const QString& text)
    {
        SetupPayoffLinks::rename(story, item, text);
    }
    static SetupPayoffLinks::Cards unlink(Screenplaydb& story, Item& item)
    {
        return SetupPayoffLinks::unlinkSetup(story, item);
    }
    static std::optional<SetupPayoffLinks::Cards> link(Screenplaydb& story, const Item& item, std::int64_t partner)
    {
        return SetupPayoffLinks::link(story, item.sceneSetupID(), partner);
    }

    static constexpr std::int64_t kSection = 3;
    // The tab of the large card that shows the item, and the one that shows its partner.
    static constexpr std::int64_t kItemTab = 2;
    static constexpr std::int64_t kPartnerTab = 3;
    // An unlinked item offers the link mark only while a partner is free to take.
    static constexpr bool kLinkMarkOnlyWithFreePartner = true;
    static constexpr const char* kTableName = "SetupsTableView";
    static constexpr const char* kEmptyText = "No Set-ups";
    static constexpr const char* kNoPartnerText = "No Pay-off";
    static constexpr const char* kDragType = RecordPasteboardType::kSceneSetup;
    static constexpr const char* kDeleteTitle = "Delete Set-up";
    static constexpr const char* kDeleteQuestion = "Are you sure you want to delete the set-up:\n%1";
    static constexpr const char* kRemoveLinkQuestion = "Are you sure you want to remove the link to the pay-off?";
    static constexpr std::int64_t kPickerType = 2;
    static constexpr QAction* AppActions::*kDeleteItem = &AppActions::mnuDeleteSetup;
};

struct PayoffSide {
    using Item = ScenePayoffdb;
    using Partner = SceneSetupdb;
    using Table = PayoffsTableView;

    static RecordList<Item>& items(Screenplaydb& story) { return story.scenePayoffs(); }
    static std::int64_t key(const Item& item) { return item.scenePayoffID(); }
    // The set-up that names the pay-off, or nothing.
    static Partner* partner(const Screenplaydb& story, const Item& item)
    {
        return story.setupForPayoffID(item.scenePayoffID());
    }
    static QString text(const Item& item) { return item.scenePayoff(); }
    static QString description(const Screenplaydb& story, const Item& item)
    {
        return story.fullDescriptionForPayoff(item);
    }
    static QString partnerDescription(const Screenplaydb& story, const Partner& partner)
    {
        return story.fullDescriptionForSetup(partner);
    }
    static bool partnerToLinkExists(const Screenplaydb& story) { return story.anyUnlinkedSetups(); }
    static Table* table(const MyDocument& document);
    static Item& add(Screenplaydb& story) { return SetupPayoffLinks::addPayoff(story, 0); }
    // Deletes the pay-off; its set-up is left without one, in the file too.
    static SetupPayoffLinks::Cards remove(Screenplaydb& story, Item& item)
    {
        return SetupPayoffLinks::deletePayoff(story, item);
    }
    static void rename(Screenplaydb& story, Item& item, const QString& text)
    {
        SetupPayoffLinks::rename(story, item, text);
    }
    static SetupPayoffLinks::Cards unlink(Screenplaydb& story, Item& item)
    {
        return SetupPayoffLinks::unlinkPayoff(story, item);
    }
    static std::optional<SetupPayoffLinks::Cards> link(Screenplaydb& story, const Item& item, std::int64_t partner)
    {
        return SetupPayoffLinks::link(story, partner, item.scenePayoffID());
    }

    static constexpr std::int64_t kSection = 4;
    static constexpr std::int64_t kItemTab = 3;
    static constexpr std::int64_t kPartnerTab = 2;
    static constexpr bool kLinkMarkOnlyWithFreePartner = false;
    static constexpr const char* kTableName = "PayoffsTableView";
    static constexpr const char* kEmptyText = "No Pay-offs";
    static constexpr const char* kNoPartnerText = "No Set-up";
    static constexpr const char* kDragType = RecordPasteboardType::kScenePayoff;
    static constexpr const char* kDeleteTitle = "Delete Pay-off";
    static constexpr const char* kDeleteQuestion = "Are you sure you want to delete the pay-off:\n%1";
    static constexpr const char* kRemoveLinkQuestion = "Are you sure you want to remove the link to the set-up?";
    static constexpr std::int64_t kPickerType = 1;
    static constexpr QAction* AppActions::*kDeleteItem = &AppActions::mnuDeletePayoff;
};
