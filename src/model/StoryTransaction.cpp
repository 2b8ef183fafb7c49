#include "StoryTransaction.h"

#include "DatabaseError.h"

#include <sqlite3.h>

namespace {

constexpr const char* kSource = "StoryTransaction";

} // namespace

StoryTransaction::StoryTransaction(sqlite3* database)
    : database_(database)
{
    if (sqlite3_exec(database_, "SAVEPOINT boardChange", nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseDatabaseError(kSource, "Error: failed to save with message '%s'.", database_);
    open_ = true;
}

StoryTransaction::~StoryTransaction()
{
    if (open_)
        sqlite3_exec(database_, "ROLLBACK TO boardChange; RELEASE boardChange", nullptr, nullptr, nullptr);
}

void StoryTransaction::commit()
{
    if (!open_)
        return;
    if (sqlite3_exec(database_, "RELEASE boardChange", nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseDatabaseError(kSource, "Error: failed to save with message '%s'.", database_);
    open_ = false;
}
