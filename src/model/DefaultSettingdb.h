#pragma once

#include "MasterColorCodedb.h"

// One per-user default setting of the master file: a name (such as "AUTOTIPS") and its value.
class DefaultSettingdb : public MasterRecord
{
    VTR_PROPERTY(std::int64_t, defaultSettingID, setDefaultSettingID) = 0;
    VTR_PROPERTY(QString, setting, setSetting) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, value, setValue) = QString(QLatin1String(""));

public:
    DefaultSettingdb() = default;
    DefaultSettingdb(std::int64_t key, sqlite3* database) { initWithPrimaryKey(key, database); }

    void initWithPrimaryKey(std::int64_t key, sqlite3* database);
    void save();
    void insertIntoDatabase(sqlite3* database);
    void deleteFromDatabase();

    static void finalizeStatements();

protected:
    MasterStatementCache& statements() const override;
};
