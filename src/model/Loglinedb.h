#pragma once

#include "StoryRecord.h"

// One logline of the story. The story keeps at most one logline flagged as current.
class Loglinedb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, loglineID, setLoglineID) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    VTR_PROPERTY(QString, logline, setLogline) = QString(QLatin1String(""));
    // 1 marks the story's current logline, 0 another version.
    VTR_PROPERTY(std::int64_t, currentLoglineFlag, setCurrentLoglineFlag) = 0;

public:
    Loglinedb() = default;
    Loglinedb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();

protected:
    const char* sourceName() const override { return "Loglinedb"; }
};
