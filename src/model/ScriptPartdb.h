#pragma once

#include "StoryRecord.h"

// One paragraph of a scene's script: its scene card, its place in the scene, its format (a
// ScriptElement key) and its text.
class ScriptPartdb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, scriptPartID, setScriptPartID) = 0;
    VTR_PROPERTY(std::int64_t, sceneCardID, setSceneCardID) = 0;
    VTR_PROPERTY(std::int64_t, sortOrder, setSortOrder) = 0;
    VTR_PROPERTY(std::int64_t, elementTypeID, setElementTypeID) = 0;
    VTR_PROPERTY(QString, scriptText, setScriptText) = QString(QLatin1String(""));

public:
    ScriptPartdb() = default;
    ScriptPartdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();
    // Writes the current sort order alone; the dirty mark stays as it is. A failure is
    // reported like any other write failure.
    void updateSortOrder();

protected:
    const char* sourceName() const override { return "ScriptPartdb"; }
};
