#include "StoryRecord.h"

#include "DatabaseError.h"
#include "RecordList.h"
#include "Screenplaydb.h"

#include <sqlite3.h>

const char* StoryRecord::insertFailureMessage() const
{
    return "Error: failed to insert into the screenplay.database with message '%s'.";
}

const char* StoryRecord::deleteFailureMessage() const
{
    return "Error: failed to delete from screenplay.database with message '%s'.";
}

std::int64_t StoryRecord::indexedKey(int) const
{
    return 0;
}

void StoryRecord::changeKey(std::int64_t& field, std::int64_t value, int key, bool marks)
{
    if (field == value)
        return;
    const std::int64_t was = field;
    if (marks)
        assignField(field, value);
    else
        field = value;
    if (index_)
        index_->keyChanged(*this, key, was, value);
}

StatementUse StoryRecord::use(const char* name, const char* sql) const
{
    if (!screenplay_)
        throw DatabaseError(QString::fromUtf8(sourceName()), 0,
                            QStringLiteral("Error: the record belongs to no open story."));
    return StatementUse(screenplay_->statement(name, sql, sourceName()), screenplay_->database());
}

void StoryRecord::finishSave(StatementUse& statement)
{
    if (!statement.stepDone())
        raiseDatabaseError(sourceName(), "Error: failed to save with message '%s'.", statement.database());
    setIsDirty(false);
}

std::int64_t StoryRecord::finishInsert(StatementUse& statement) const
{
    if (!statement.stepDone())
        raiseDatabaseError(sourceName(), insertFailureMessage(), statement.database());
    return sqlite3_last_insert_rowid(statement.database());
}

std::int64_t StoryRecord::finishInsertOfNamedRecord(StatementUse& statement, const char* table) const
{
    return screenplay_->insertNamedRecord(table, std::nullopt, [&] { return finishInsert(statement); });
}

void StoryRecord::finishInsertOfNamedRecordWithID(StatementUse& statement, const char* table,
                                                  std::int64_t key) const
{
    screenplay_->insertNamedRecord(table, key, [&] {
        finishInsertWithID(statement);
        return key;
    });
}

void StoryRecord::finishInsertWithID(StatementUse& statement) const
{
    if (!statement.stepDone())
        raiseDatabaseError(sourceName(), insertFailureMessage(), statement.database());
}

void StoryRecord::deleteRow(const char* name, const char* sql, std::int64_t key) const
{
    StatementUse statement = use(name, sql);
    statement.bind(1, key);
    if (!statement.stepDone())
        raiseDatabaseError(sourceName(), deleteFailureMessage(), statement.database());
}

std::string selectAllSql(const char* selectByKey, const char* rest)
{
    const std::string text(selectByKey);
    const std::size_t from = text.find(" FROM ");
    const std::size_t where = text.find(" WHERE ");
    const std::size_t equals = text.find("=?", where);
    const std::string key = text.substr(where + 7, equals - where - 7);
    return text.substr(0, from) + "," + key + text.substr(from, where - from) + " " + rest;
}
