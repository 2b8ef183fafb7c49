#pragma once

#include "StoryRecord.h"

// The text the writer gives one of the fifteen beats of the beat sheet (beat 1 is the opening
// image, beat 15 the final image).
class Beatdb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, beatID, setBeatID) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    VTR_PROPERTY(std::int64_t, beatNumber, setBeatNumber) = 0;
    VTR_PROPERTY(QString, description, setDescription) = QString(QLatin1String(""));

public:
    Beatdb() = default;
    Beatdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

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
    const char* sourceName() const override { return "Beatdb"; }
};
