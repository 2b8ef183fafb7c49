#pragma once

#include "StoryRecord.h"

// One set-up of the story, optionally on a scene card and optionally linked to a pay-off. The
// link is kept only here, in ScenePayoffID; the linked pay-off's text is looked up when the
// set-up is read and held in memory only.
class SceneSetupdb : public StoryRecord
{
    VTR_KEY_PROPERTY(sceneSetupID, setSceneSetupID, 0) = 0;
    // 0 = not on a card.
    VTR_PROPERTY(std::int64_t, sceneCardID, setSceneCardID) = 0;
    VTR_PROPERTY(QString, sceneSetup, setSceneSetup) = QString(QLatin1String(""));
    // 0 = not linked.
    VTR_KEY_PROPERTY(scenePayoffID, setScenePayoffID, kByPayoff) = 0;

public:
    // Found by its key, and by the pay-off it names (key kByPayoff).
    static constexpr int kIndexedKeys = 2;
    static constexpr int kByPayoff = 1;
    int indexedKeyCount() const override { return kIndexedKeys; }
    std::int64_t indexedKey(int key) const override { return key == kByPayoff ? scenePayoffID_ : sceneSetupID_; }

    SceneSetupdb() = default;
    SceneSetupdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    // Reads the row and the linked pay-off's text. A link to a pay-off that is gone reads as
    // no link; the row keeps its ScenePayoffID until the set-up is saved after another change.
    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    // Inserts the row under the set-up's own sceneSetupID.
    void insertIntoDatabaseWithID(Screenplaydb* screenplay);
    void deleteFromDatabase();

    // The linked pay-off's text; held in memory only, setting it never marks the record dirty.
    const QString& scenePayoff() const { return scenePayoff_; }
    void setScenePayoff(const QString& text) { scenePayoff_ = text; }

    // Set-ups without a card first, then by the board order of their cards; within one card
    // (or without one) by text, ignoring case.
    int sortBySceneCardID(const SceneSetupdb& other) const;
    // By text, ignoring case.
    int sortBySceneSetup(const SceneSetupdb& other) const;

protected:
    const char* sourceName() const override { return "SceneSetupdb"; }

private:
    QString scenePayoff_ = QString(QLatin1String(""));
};

// The card part of the set-up and pay-off orderings, as -1, 0 or 1: no card (key 0) before any
// card, cards by their sort order in `story` (a card the story does not hold counts as sort
// order 0), cards of equal sort order by key. 0 means the same card, or no card on either side.
int compareSceneCardPlacement(const Screenplaydb* story, std::int64_t sceneCardID, std::int64_t otherSceneCardID);
// The same with each card's sort order given.
int compareSceneCardPlacement(std::int64_t sceneCardID, std::int64_t sortOrder, std::int64_t otherSceneCardID,
                              std::int64_t otherSortOrder);

// Two texts compared without regard to case, as -1, 0 or 1.
int compareTextIgnoringCase(const QString& text, const QString& other);
