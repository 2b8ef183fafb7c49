#include "GreenlightChecklistQuestiondb.h"

const char* GreenlightChecklistQuestiondb::selectByKeySql()
{
    return "SELECT ScreenplayID,QuestionNumber,Answer FROM GreenlightChecklistQuestion "
                           "WHERE GreenlightChecklistQuestionID=?";
}

void GreenlightChecklistQuestiondb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("greenlight_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void GreenlightChecklistQuestiondb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    greenlightChecklistQuestionID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        setQuestionNumber(row.columnInt(1));
        setAnswer(row.columnText(2));
    }
    setIsDirty(false);
}

void GreenlightChecklistQuestiondb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("greenlight_save_statement",
                              "UPDATE GreenlightChecklistQuestion SET ScreenplayID=?,QuestionNumber=?,Answer=? "
                              "WHERE GreenlightChecklistQuestionID=?");
    update.bindAll(1, screenplayID_, questionNumber_, answer_, greenlightChecklistQuestionID_);
    finishSave(update);
}

void GreenlightChecklistQuestiondb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("greenlight_insert_statement",
                              "INSERT INTO GreenlightChecklistQuestion (ScreenplayID,QuestionNumber,Answer) "
                              "VALUES (?,?,?)");
    insert.bindAll(1, screenplayID_, questionNumber_, answer_);
    greenlightChecklistQuestionID_ = finishInsert(insert);
}

void GreenlightChecklistQuestiondb::deleteFromDatabase()
{
    deleteRow("greenlight_delete_statement",
              "DELETE FROM GreenlightChecklistQuestion WHERE GreenlightChecklistQuestionID=?",
              greenlightChecklistQuestionID_);
}
