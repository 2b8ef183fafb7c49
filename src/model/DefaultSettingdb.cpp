#include "DefaultSettingdb.h"

namespace {

enum Slot : std::size_t { Read, Save, Insert, Delete, SlotCount };

MasterStatementCache cache("DefaultSettingdb", SlotCount);

} // namespace

MasterStatementCache& DefaultSettingdb::statements() const
{
    return cache;
}

void DefaultSettingdb::finalizeStatements()
{
    cache.finalizeAll();
}

void DefaultSettingdb::initWithPrimaryKey(std::int64_t key, sqlite3* database)
{
    defaultSettingID_ = key;
    setDatabase(database);
    StatementUse row = use(Read, "SELECT Setting,Value FROM DefaultSetting WHERE DefaultSettingID=?");
    row.bind(1, key);
    if (row.stepRow()) {
        setSetting(row.columnText(0));
        setValue(row.columnText(1));
    }
    setIsDirty(false);
}

void DefaultSettingdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use(Save, "UPDATE DefaultSetting SET Setting=?,Value=? WHERE DefaultSettingID=?");
    update.bindAll(1, setting_, value_, defaultSettingID_);
    finishSave(update);
}

void DefaultSettingdb::insertIntoDatabase(sqlite3* database)
{
    setDatabase(database);
    StatementUse insert = use(Insert, "INSERT INTO DefaultSetting (Setting,Value) VALUES (?,?)");
    insert.bindAll(1, setting_, value_);
    defaultSettingID_ = finishInsert(insert);
}

void DefaultSettingdb::deleteFromDatabase()
{
    StatementUse remove = use(Delete, "DELETE FROM DefaultSetting WHERE DefaultSettingID=?");
    remove.bind(1, defaultSettingID_);
    finishDelete(remove);
}
