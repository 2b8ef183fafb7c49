#include "UserInformationdb.h"

#include <array>

namespace {

enum Slot : std::size_t { Read, ColorCodeIDs, SettingIDs, Save, Insert, Delete, SlotCount };

MasterStatementCache cache("UserInformationdb", SlotCount);

struct DefaultColor
{
    const char* description;
    int red;
    int green;
    int blue;
};

// The default master colour codes, ids 1 to 10 in this order, all opaque. The first one is
// the colour code that can never be deleted or renamed.
constexpr std::array<DefaultColor, 10> defaultColors = {{
    {"Major Turns", 255, 0, 0},
    {"Theme", 255, 128, 128},
    {"Repeating Imagery", 255, 156, 108},
    {"Character A Arc", 255, 255, 128},
    {"Character B Arc", 128, 255, 255},
    {"Character C Arc", 102, 179, 255},
    {"B Story", 0, 0, 255},
    {"C Story", 128, 255, 128},
    {"D Story", 255, 128, 192},
    {"Needs More Work", 255, 128, 192},
}};

} // namespace

MasterStatementCache& UserInformationdb::statements() const
{
    return cache;
}

void UserInformationdb::finalizeStatements()
{
    cache.finalizeAll();
}

void UserInformationdb::initWithDatabase(sqlite3* database)
{
    userInformationID_ = 0;
    serialNumber_ = firstName_ = lastName_ = emailAddress_ = QString(QLatin1String(""));
    colorCodes_.clear();
    defaultSettings_.clear();
    setDatabase(database);
    {
        StatementUse row = use(Read, "SELECT SerialNumber,FirstName,LastName,EmailAddress FROM UserInformation");
        if (row.stepRow()) {
            setSerialNumber(row.columnText(0));
            setFirstName(row.columnText(1));
            setLastName(row.columnText(2));
            setEmailAddress(row.columnText(3));
        }
    }
    {
        StatementUse ids = use(ColorCodeIDs, "SELECT ColorCodeID FROM ColorCode ");
        while (ids.stepRow())
            colorCodes_.push_back(std::make_unique<MasterColorCodedb>(ids.columnInt(0), database));
    }
    {
        StatementUse ids = use(SettingIDs, "SELECT DefaultSettingID FROM DefaultSetting");
        while (ids.stepRow())
            defaultSettings_.push_back(std::make_unique<DefaultSettingdb>(ids.columnInt(0), database));
    }
    setIsDirty(false);
}

void UserInformationdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use(Save, "UPDATE UserInformation SET SerialNumber=?,FirstName=?,LastName=?,EmailAddress=?");
    update.bindAll(1, serialNumber_, firstName_, lastName_, emailAddress_);
    finishSave(update);
}

void UserInformationdb::insertIntoDatabase(sqlite3* database)
{
    setDatabase(database);
    StatementUse insert = use(Insert, "INSERT INTO UserInformation (SerialNumber,FirstName,LastName,EmailAddress) "
                                      "VALUES (?,?,?,?)");
    insert.bindAll(1, serialNumber_, firstName_, lastName_, emailAddress_);
    userInformationID_ = finishInsert(insert);
}

void UserInformationdb::deleteFromDatabase()
{
    StatementUse remove = use(Delete, "DELETE FROM UserInformation");
    finishDelete(remove);
}

void UserInformationdb::createDefaultColors()
{
    colorCodes_.clear();
    std::int64_t id = 0;
    for (const DefaultColor& color : defaultColors) {
        auto code = std::make_unique<MasterColorCodedb>();
        code->setColorCodeID(++id);
        code->setDescription(QString::fromUtf8(color.description));
        code->setRedValue(color.red);
        code->setGreenValue(color.green);
        code->setBlueValue(color.blue);
        code->setAlphaValue(255);
        code->insertIntoDatabaseWithID(database());
        colorCodes_.push_back(std::move(code));
    }
}

DefaultSettingdb* UserInformationdb::defaultSettingForSetting(const QString& setting) const
{
    for (const auto& candidate : defaultSettings_)
        if (candidate->setting() == setting)
            return candidate.get();
    return nullptr;
}
