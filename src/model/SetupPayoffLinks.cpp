#include "SetupPayoffLinks.h"

#include "RecordSorting.h"
#include "ScenePayoffdb.h"
#include "SceneSetupdb.h"
#include "Screenplaydb.h"
#include "StoryTransaction.h"

#include <algorithm>
#include <memory>

namespace SetupPayoffLinks {

namespace {

const QString kNoText = QString(QLatin1String(""));

void addCard(Cards& cards, std::int64_t sceneCardID)
{
    if (sceneCardID > 0 && std::find(cards.begin(), cards.end(), sceneCardID) == cards.end())
        cards.push_back(sceneCardID);
}

// What an operation may change of its records, kept so that a failed write leaves memory as
// the rolled-back file has it, and the cards of those records.
class Snapshot
{
public:
    void keep(SceneSetupdb* setup)
    {
        if (!setup)
            return;
        addCard(cards_, setup->sceneCardID());
        setups_.push_back({setup, setup->sceneCardID(), setup->sceneSetup(), setup->scenePayoffID(),
                               setup->scenePayoff(), setup->isDirty()});
    }
    void keepAll(const std::vector<SceneSetupdb*>& setups)
    {
        for (SceneSetupdb* setup : setups)
            keep(setup);
    }
    void keep(ScenePayoffdb* payoff)
    {
        if (!payoff)
            return;
        addCard(cards_, payoff->sceneCardID());
        payoffs_.push_back({payoff, payoff->sceneCardID(), payoff->scenePayoff(), payoff->sceneSetupID(),
                                payoff->sceneSetup(), payoff->isDirty()});
    }
    const Cards& cards() const { return cards_; }

    void restore() const
    {
        for (const SetupState& state : setups_) {
            state.setup->setSceneCardID(state.sceneCardID);
            state.setup->setSceneSetup(state.text);
            state.setup->setScenePayoffID(state.scenePayoffID);
            state.setup->setScenePayoff(state.partnerText);
            state.setup->setIsDirty(state.dirty);
        }
        for (const PayoffState& state : payoffs_) {
            state.payoff->setSceneCardID(state.sceneCardID);
            state.payoff->setScenePayoff(state.text);
            state.payoff->setSceneSetupID(state.sceneSetupID);
            state.payoff->setSceneSetup(state.partnerText);
            state.payoff->setIsDirty(state.dirty);
        }
    }

private:
    struct SetupState {
        SceneSetupdb* setup;
        std::int64_t sceneCardID;
        QString text;
        std::int64_t scenePayoffID;
        QString partnerText;
        bool dirty;
    };
    struct PayoffState {
        ScenePayoffdb* payoff;
        std::int64_t sceneCardID;
        QString text;
        std::int64_t sceneSetupID;
        QString partnerText;
        bool dirty;
    };
    std::vector<SetupState> setups_;
    std::vector<PayoffState> payoffs_;
    Cards cards_;
};

// Runs `change` (memory changes and the writes of them) as one transaction; when it raises, the
// records the snapshot kept get their former fields back.
template <typename Change>
void inOneTransaction(Screenplaydb& story, const Snapshot& snapshot, Change change)
{
    try {
        StoryTransaction transaction(story.database());
        change();
        transaction.commit();
    } catch (...) {
        snapshot.restore();
        throw;
    }
}

std::vector<SceneSetupdb*> setupsNaming(Screenplaydb& story, std::int64_t scenePayoffID)
{
    if (scenePayoffID < 1)
        return {};
    return story.sceneSetups().findAll(scenePayoffID, SceneSetupdb::kByPayoff);
}

void clearLink(SceneSetupdb& setup)
{
    setup.setScenePayoffID(0);
    setup.setScenePayoff(kNoText);
    setup.save();
}

void clearLink(ScenePayoffdb& payoff)
{
    payoff.setSceneSetupID(0);
    payoff.setSceneSetup(kNoText);
}

// The pay-off's in-memory set-up after its links changed: the first set-up that still names it.
void relearnSetup(Screenplaydb& story, ScenePayoffdb& payoff)
{
    const std::vector<SceneSetupdb*> naming = setupsNaming(story, payoff.scenePayoffID());
    if (naming.empty()) {
        clearLink(payoff);
        return;
    }
    payoff.setSceneSetupID(naming.front()->sceneSetupID());
    payoff.setSceneSetup(naming.front()->sceneSetup());
}

template <typename Record>
Cards moveRecord(Screenplaydb& story, Record& record, std::int64_t sceneCardID)
{
    Snapshot snapshot;
    snapshot.keep(&record);
    inOneTransaction(story, snapshot, [&] {
        record.setSceneCardID(sceneCardID);
        record.save();
    });
    Cards cards = snapshot.cards();
    addCard(cards, sceneCardID);
    return cards;
}

template <typename Record>
Record& addRecord(Screenplaydb& story, RecordList<Record>& records, std::int64_t sceneCardID)
{
    auto record = std::make_unique<Record>();
    record->setSceneCardID(std::max<std::int64_t>(0, sceneCardID));
    record->insertIntoDatabase(&story);
    Record& added = *record;
    records.push_back(std::move(record));
    sortRecords(records, &Record::sortBySceneCardID);
    return added;
}

} // namespace

SceneSetupdb& addSetup(Screenplaydb& story, std::int64_t sceneCardID)
{
    return addRecord(story, story.sceneSetups(), sceneCardID);
}

ScenePayoffdb& addPayoff(Screenplaydb& story, std::int64_t sceneCardID)
{
    return addRecord(story, story.scenePayoffs(), sceneCardID);
}

Cards deleteSetup(Screenplaydb& story, SceneSetupdb& setup)
{
    Cards cards;
    addCard(cards, setup.sceneCardID());
    ScenePayoffdb* payoff = setup.scenePayoffID() > 0 ? story.payoffForPayoffID(setup.scenePayoffID()) : nullptr;
    if (payoff)
        addCard(cards, payoff->sceneCardID());
    setup.deleteFromDatabase();
    // The row is gone: from here on nothing is written.
    std::unique_ptr<SceneSetupdb> deleted = takeRecord(story.sceneSetups(), &setup);
    if (payoff)
        relearnSetup(story, *payoff);
    return cards;
}

Cards deletePayoff(Screenplaydb& story, ScenePayoffdb& payoff)
{
    // Every set-up that names the pay-off, not only the one memory knows: the file keeps no
    // link to a pay-off that is gone.
    const std::vector<SceneSetupdb*> naming = setupsNaming(story, payoff.scenePayoffID());
    Snapshot snapshot;
    snapshot.keep(&payoff);
    snapshot.keepAll(naming);
    inOneTransaction(story, snapshot, [&] {
        payoff.deleteFromDatabase();
        for (SceneSetupdb* setup : naming)
            clearLink(*setup);
    });
    const Cards cards = snapshot.cards();
    std::unique_ptr<ScenePayoffdb> deleted = takeRecord(story.scenePayoffs(), &payoff);
    return cards;
}

std::optional<Cards> link(Screenplaydb& story, std::int64_t sceneSetupID, std::int64_t scenePayoffID)
{
    SceneSetupdb* setup = sceneSetupID > 0 ? story.setupForSetupID(sceneSetupID) : nullptr;
    ScenePayoffdb* payoff = scenePayoffID > 0 ? story.payoffForPayoffID(scenePayoffID) : nullptr;
    if (!setup || !payoff)
        return std::nullopt;
    // The partners either side has now, which the new link lets go of.
    ScenePayoffdb* formerPayoff = setup->scenePayoffID() > 0 && setup->scenePayoffID() != scenePayoffID
                                      ? story.payoffForPayoffID(setup->scenePayoffID())
                                      : nullptr;
    std::vector<SceneSetupdb*> formerSetups = setupsNaming(story, scenePayoffID);
    std::erase(formerSetups, setup);

    Snapshot snapshot;
    snapshot.keep(setup);
    snapshot.keep(payoff);
    snapshot.keep(formerPayoff);
    snapshot.keepAll(formerSetups);
    inOneTransaction(story, snapshot, [&] {
        for (SceneSetupdb* former : formerSetups)
            clearLink(*former);
        setup->setScenePayoffID(scenePayoffID);
        setup->setScenePayoff(payoff->scenePayoff());
        setup->save();
        if (formerPayoff)
            relearnSetup(story, *formerPayoff);
        payoff->setSceneSetupID(setup->sceneSetupID());
        payoff->setSceneSetup(setup->sceneSetup());
    });
    return snapshot.cards();
}

Cards unlinkSetup(Screenplaydb& story, SceneSetupdb& setup)
{
    if (setup.scenePayoffID() < 1)
        return {};
    ScenePayoffdb* payoff = story.payoffForPayoffID(setup.scenePayoffID());
    Snapshot snapshot;
    snapshot.keep(&setup);
    snapshot.keep(payoff);
    inOneTransaction(story, snapshot, [&] {
        clearLink(setup);
        if (payoff)
            relearnSetup(story, *payoff);
    });
    return snapshot.cards();
}

Cards unlinkPayoff(Screenplaydb& story, ScenePayoffdb& payoff)
{
    const std::vector<SceneSetupdb*> naming = setupsNaming(story, payoff.scenePayoffID());
    if (naming.empty() && payoff.sceneSetupID() < 1)
        return {};
    Snapshot snapshot;
    snapshot.keep(&payoff);
    snapshot.keepAll(naming);
    inOneTransaction(story, snapshot, [&] {
        for (SceneSetupdb* setup : naming)
            clearLink(*setup);
        clearLink(payoff);
    });
    return snapshot.cards();
}

Cards moveToCard(Screenplaydb& story, SceneSetupdb& setup, std::int64_t sceneCardID)
{
    return moveRecord(story, setup, sceneCardID);
}

Cards moveToCard(Screenplaydb& story, ScenePayoffdb& payoff, std::int64_t sceneCardID)
{
    return moveRecord(story, payoff, sceneCardID);
}

void rename(Screenplaydb& story, SceneSetupdb& setup, const QString& text)
{
    Snapshot snapshot;
    snapshot.keep(&setup);
    inOneTransaction(story, snapshot, [&] {
        setup.setSceneSetup(text);
        setup.save();
    });
    if (ScenePayoffdb* payoff = story.payoffForPayoffID(setup.scenePayoffID());
        payoff && payoff->sceneSetupID() == setup.sceneSetupID())
        payoff->setSceneSetup(text);
}

void rename(Screenplaydb& story, ScenePayoffdb& payoff, const QString& text)
{
    Snapshot snapshot;
    snapshot.keep(&payoff);
    inOneTransaction(story, snapshot, [&] {
        payoff.setScenePayoff(text);
        payoff.save();
    });
    for (SceneSetupdb* setup : setupsNaming(story, payoff.scenePayoffID()))
        setup->setScenePayoff(text);
}

} // namespace SetupPayoffLinks
