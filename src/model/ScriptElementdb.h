#pragma once

#include "StoryRecord.h"

// One paragraph format of the story's script: the element type's name, its indents in
// inches and its alignment ("Left", "Right" or "Center").
class ScriptElementdb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, scriptElementID, setScriptElementID) = 0;
    VTR_PROPERTY(QString, elementType, setElementType) = QString(QLatin1String(""));
    VTR_PROPERTY(float, leftIndent, setLeftIndent) = 0.0f;
    VTR_PROPERTY(float, rightIndent, setRightIndent) = 0.0f;
    VTR_PROPERTY(QString, alignment, setAlignment) = QString(QLatin1String(""));

public:
    ScriptElementdb() = default;
    ScriptElementdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

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
    const char* sourceName() const override { return "ScriptElementdb"; }
};
