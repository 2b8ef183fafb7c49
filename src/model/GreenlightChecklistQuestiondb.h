#pragma once

#include "StoryRecord.h"

// The story's answer to one question of the greenlight checklist. The question texts are not
// part of the story; only the number and the answer are kept.
class GreenlightChecklistQuestiondb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, greenlightChecklistQuestionID, setGreenlightChecklistQuestionID) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    // 1 to 55.
    VTR_PROPERTY(std::int64_t, questionNumber, setQuestionNumber) = 0;
    // "Y" when the question is ticked, "N" when it is not.
    VTR_PROPERTY(QString, answer, setAnswer) = QString(QLatin1String(""));

public:
    GreenlightChecklistQuestiondb() = default;
    GreenlightChecklistQuestiondb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

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
    const char* sourceName() const override { return "GreenlightChecklistQuestiondb"; }
};
