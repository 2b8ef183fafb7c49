#pragma once

#include "StoryRecord.h"

// A named colour with which scene cards are coded (a card has six colour-code slots). The
// components are 0 to 255 each and are drawn divided by 255. Callers may set the key before
// inserting; the insert still replaces it with the row id the file assigns.
class ColorCodedb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, colorCodeID, setColorCodeID) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    VTR_PROPERTY(QString, description, setDescription) = QStringLiteral("New Color Code");
    VTR_PROPERTY(std::int64_t, redValue, setRedValue) = 0;
    VTR_PROPERTY(std::int64_t, greenValue, setGreenValue) = 0;
    VTR_PROPERTY(std::int64_t, blueValue, setBlueValue) = 0;
    VTR_PROPERTY(std::int64_t, alphaValue, setAlphaValue) = 255;

public:
    ColorCodedb() = default;
    ColorCodedb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

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
    const char* sourceName() const override { return "ColorCodedb"; }
};
