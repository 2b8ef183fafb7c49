#pragma once

#include "StoryRecord.h"

#include <vector>

class SceneLocationObjectdb;

// One location of the story: its name, a description and notes.
class SceneLocationdb : public StoryRecord
{
    VTR_KEY_PROPERTY(sceneLocationID, setSceneLocationID, 0) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    // The location's name.
    VTR_PROPERTY(QString, location, setLocation) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, description, setDescription) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, notes, setNotes) = QString(QLatin1String(""));

public:
    // Found by its key.
    static constexpr int kIndexedKeys = 1;
    int indexedKeyCount() const override { return kIndexedKeys; }
    std::int64_t indexedKey(int) const override { return sceneLocationID_; }

    SceneLocationdb() = default;
    SceneLocationdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();

    // The location's links to attachments, held by the story; the location only points at them.
    std::vector<SceneLocationObjectdb*>& locationObjects() { return locationObjects_; }
    const std::vector<SceneLocationObjectdb*>& locationObjects() const { return locationObjects_; }
    void setLocationObjects(std::vector<SceneLocationObjectdb*> links) { locationObjects_ = std::move(links); }

    // By name, ignoring case. Answers -1, 0 or 1.
    int sortLocationsByName(const SceneLocationdb& other) const;

protected:
    const char* sourceName() const override { return "SceneLocationdb"; }

private:
    std::vector<SceneLocationObjectdb*> locationObjects_;
};
