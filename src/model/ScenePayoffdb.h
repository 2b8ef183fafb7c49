#pragma once

#include "StoryRecord.h"

// One pay-off of the story, optionally on a scene card. A pay-off's set-up is the first set-up
// row whose ScenePayoffID names it; its key and text are looked up when the pay-off is read and
// held in memory only.
class ScenePayoffdb : public StoryRecord
{
    VTR_KEY_PROPERTY(scenePayoffID, setScenePayoffID, 0) = 0;
    // 0 = not on a card.
    VTR_PROPERTY(std::int64_t, sceneCardID, setSceneCardID) = 0;
    VTR_PROPERTY(QString, scenePayoff, setScenePayoff) = QString(QLatin1String(""));

public:
    // Found by its key.
    static constexpr int kIndexedKeys = 1;
    int indexedKeyCount() const override { return kIndexedKeys; }
    std::int64_t indexedKey(int) const override { return scenePayoffID_; }

    ScenePayoffdb() = default;
    ScenePayoffdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    // Reads the row and the set-up linked to it.
    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    // Inserts the row under the pay-off's own scenePayoffID.
    void insertIntoDatabaseWithID(Screenplaydb* screenplay);
    void deleteFromDatabase();

    // In-memory fields; setting them never marks the record dirty and they are never written.
    // The linked set-up's text; null until the pay-off is read.
    const QString& sceneSetup() const { return sceneSetup_; }
    void setSceneSetup(const QString& text) { sceneSetup_ = text; }
    // The linked set-up's key; 0 = none.
    std::int64_t sceneSetupID() const { return sceneSetupID_; }
    void setSceneSetupID(std::int64_t key) { sceneSetupID_ = key; }
    // A spare key for callers.
    std::int64_t oldPayoffID() const { return oldPayoffID_; }
    void setOldPayoffID(std::int64_t key) { oldPayoffID_ = key; }

    // Pay-offs without a card first, then by the board order of their cards; within one card
    // (or without one) by text, ignoring case.
    int sortBySceneCardID(const ScenePayoffdb& other) const;
    // By text, ignoring case.
    int sortByScenePayoff(const ScenePayoffdb& other) const;

protected:
    const char* sourceName() const override { return "ScenePayoffdb"; }

private:
    QString sceneSetup_;
    std::int64_t sceneSetupID_ = 0;
    std::int64_t oldPayoffID_ = 0;
};
