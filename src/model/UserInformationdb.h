#pragma once

#include "DefaultSettingdb.h"
#include "MasterColorCodedb.h"

#include <memory>
#include <vector>

// The user's row of the master file and the root of everything else in it: it owns every
// master colour code and every default setting, each list in row id order.
class UserInformationdb : public MasterRecord
{
    VTR_PROPERTY(std::int64_t, userInformationID, setUserInformationID) = 0;
    VTR_PROPERTY(QString, serialNumber, setSerialNumber) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, firstName, setFirstName) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, lastName, setLastName) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, emailAddress, setEmailAddress) = QString(QLatin1String(""));

public:
    using ColorCodeList = std::vector<std::unique_ptr<MasterColorCodedb>>;
    using DefaultSettingList = std::vector<std::unique_ptr<DefaultSettingdb>>;

    UserInformationdb() = default;
    explicit UserInformationdb(sqlite3* database) { initWithDatabase(database); }

    // Reads the user row (the first row; without one the texts stay empty) and loads both
    // lists from the master connection, which the record keeps.
    void initWithDatabase(sqlite3* database);
    // Writes the user row (the whole table) when the record is dirty.
    void save();
    // Adds the user row, takes the connection and the new row id.
    void insertIntoDatabase(sqlite3* database);
    // Deletes every row of the user table.
    void deleteFromDatabase();

    // Inserts the ten default colour codes under ids 1 to 10 and makes them the colour code
    // list. Rows already in the file are left alone, so an id still in use makes the insert fail.
    void createDefaultColors();

    // The first setting whose name equals `setting` exactly (case-sensitive), or nullptr.
    DefaultSettingdb* defaultSettingForSetting(const QString& setting) const;

    const ColorCodeList& colorCodes() const { return colorCodes_; }
    ColorCodeList& colorCodes() { return colorCodes_; }
    void setColorCodes(ColorCodeList codes) { colorCodes_ = std::move(codes); }

    const DefaultSettingList& defaultSettings() const { return defaultSettings_; }
    DefaultSettingList& defaultSettings() { return defaultSettings_; }
    void setDefaultSettings(DefaultSettingList settings) { defaultSettings_ = std::move(settings); }

    static void finalizeStatements();

protected:
    MasterStatementCache& statements() const override;

private:
    ColorCodeList colorCodes_;
    DefaultSettingList defaultSettings_;
};
