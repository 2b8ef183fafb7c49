#pragma once

#include "StoryRecord.h"

// A character appearing in a scene card, with a note on the character's part in that scene.
// The link belongs to the story of its scene card.
class SceneCardCharacterdb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, sceneCardCharacterID, setSceneCardCharacterID) = 0;
    VTR_PROPERTY(std::int64_t, sceneCardID, setSceneCardID) = 0;
    VTR_PROPERTY(std::int64_t, characterID, setCharacterID) = 0;
    VTR_PROPERTY(QString, description, setDescription) = QString(QLatin1String(""));

public:
    SceneCardCharacterdb() = default;
    SceneCardCharacterdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();

    // The linked character's name, filled for display; held in memory only, setting it never
    // marks the link dirty.
    const QString& characterName() const { return characterName_; }
    void setCharacterName(const QString& name) { characterName_ = name; }

    // Links to a scene card (sceneCardID above 0) before links without one; within each group
    // by character name, ignoring case, whatever the two cards. Answers -1, 0 or 1.
    int sortBySceneCardID(const SceneCardCharacterdb& other) const;
    // By character name, ignoring case. Answers -1, 0 or 1.
    int sortByCharacterName(const SceneCardCharacterdb& other) const;

protected:
    const char* sourceName() const override { return "SceneCardCharacterdb"; }

private:
    QString characterName_;
};
