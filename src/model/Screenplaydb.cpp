#include "Screenplaydb.h"

#include "DatabaseError.h"
#include "SceneCarddb.h"
#include "SqliteStatement.h"

#include <QDebug>

#include <sqlite3.h>

namespace {
const char* const kSource = "Screenplaydb";
const char* const kPrepareMessage = "Error: failed to prepare statement with message '%s'.";
}

Screenplaydb::Screenplaydb() = default;

Screenplaydb::~Screenplaydb()
{
    finalizeAllSqliteStatements();
}

SceneCarddb* Screenplaydb::sceneCardForSceneCardID(std::int64_t sceneCardID) const
{
    for (const auto* cards : {&sceneCards_, &litterBox_})
        for (const auto& card : *cards)
            if (card->sceneCardID() == sceneCardID)
                return card.get();
    return nullptr;
}

void Screenplaydb::initWithDatabase(sqlite3* database)
{
    database_ = database;
    readTitleRow();
    upgradeSchema(database_);
}

void Screenplaydb::setDatabase(sqlite3* database)
{
    if (database != database_)
        finalizeAllSqliteStatements();
    database_ = database;
}

void Screenplaydb::readTitleRow()
{
    StatementUse row(statement("screenplay_init_statement",
                               "SELECT ScreenplayID,ScreenplayTitle, ProgressStage, ReviewType, LastModifiedDate FROM Screenplay",
                               kSource),
                     database_);
    if (row.stepRow()) {
        screenplayID_ = row.columnInt(0);
        screenplayTitle_ = row.columnText(1);
    } else {
        screenplayID_ = 0;
        screenplayTitle_.clear();
    }
}

sqlite3_stmt* Screenplaydb::statement(std::string_view name, const char* sql, const char* source,
                                      const char* prepareMessage)
{
    if (auto found = statements_.find(name); found != statements_.end())
        return found->second;
    if (!database_)
        throw DatabaseError(QString::fromUtf8(source), 0, QStringLiteral("Error: the story has no open database."));
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(database_, sql, -1, &prepared, nullptr) != SQLITE_OK) {
        sqlite3_finalize(prepared);
        raiseDatabaseError(source, prepareMessage ? prepareMessage : kPrepareMessage, database_);
    }
    statements_.emplace(std::string(name), prepared);
    return prepared;
}

bool Screenplaydb::hasStatement(std::string_view name) const
{
    return statements_.find(name) != statements_.end();
}

void Screenplaydb::finalizeAllSqliteStatements()
{
    for (auto& [name, prepared] : statements_)
        sqlite3_finalize(prepared);
    statements_.clear();
}

void Screenplaydb::upgradeSchema(sqlite3* database)
{
    if (!database)
        return;
    // The index statement only prepares while the index does not exist yet.
    sqlite3_stmt* index = nullptr;
    if (sqlite3_prepare_v2(database, "CREATE INDEX idxScriptPartSortOrder on ScriptPart (ScriptPartID,SortOrder)", -1,
                           &index, nullptr) == SQLITE_OK)
        sqlite3_step(index);
    sqlite3_finalize(index);

    char* error = nullptr;
    if (sqlite3_exec(database, "ALTER TABLE AttachedObject ADD MimeType varchar(30) not null default ''", nullptr,
                     nullptr, &error) != SQLITE_OK)
        qDebug() << "here";
    sqlite3_free(error);
}
