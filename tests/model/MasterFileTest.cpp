#include "model/DatabaseError.h"
#include "model/DefaultSettingdb.h"
#include "model/MasterColorCodedb.h"
#include "model/StoryFile.h"
#include "model/UserInformationdb.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

struct ExpectedColor
{
    std::int64_t id;
    const char* description;
    std::int64_t red, green, blue, alpha;
};

// The default master colour codes every master file starts with.
constexpr std::array<ExpectedColor, 10> kDefaultColors = {{
    {1, "Major Turns", 255, 0, 0, 255},
    {2, "Theme", 255, 128, 128, 255},
    {3, "Repeating Imagery", 255, 156, 108, 255},
    {4, "Character A Arc", 255, 255, 128, 255},
    {5, "Character B Arc", 128, 255, 255, 255},
    {6, "Character C Arc", 102, 179, 255, 255},
    {7, "B Story", 0, 0, 255, 255},
    {8, "C Story", 128, 255, 128, 255},
    {9, "D Story", 255, 128, 192, 255},
    {10, "Needs More Work", 255, 128, 192, 255},
}};

void expectColor(const MasterColorCodedb& code, const ExpectedColor& expected)
{
    SCOPED_TRACE("colour code " + std::to_string(expected.id));
    EXPECT_EQ(code.colorCodeID(), expected.id);
    EXPECT_EQ(code.description(), QString::fromUtf8(expected.description));
    EXPECT_EQ(code.redValue(), expected.red);
    EXPECT_EQ(code.greenValue(), expected.green);
    EXPECT_EQ(code.blueValue(), expected.blue);
    EXPECT_EQ(code.alphaValue(), expected.alpha);
}

void expectDefaultColors(const UserInformationdb::ColorCodeList& codes)
{
    ASSERT_EQ(codes.size(), kDefaultColors.size());
    for (std::size_t i = 0; i < codes.size(); ++i)
        expectColor(*codes[i], kDefaultColors[i]);
}

void exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

// The first column of the first row of `sql`, "<NULL>" for NULL and "<none>" without a row.
QString firstValue(sqlite3* db, const char* sql)
{
    QString result = QStringLiteral("<none>");
    auto keepFirst = [](void* out, int, char** values, char**) -> int {
        *static_cast<QString*>(out) = values[0] ? QString::fromUtf8(values[0]) : QStringLiteral("<NULL>");
        return 1;
    };
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, keepFirst, &result, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK && rc != SQLITE_ABORT)
        throw std::runtime_error(sqlite3_errmsg(db));
    return result;
}

// Runs `action` and answers the DatabaseError it raises; fails the test when it raises none.
DatabaseError raisedBy(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DatabaseError& error) {
        return error;
    }
    ADD_FAILURE() << "no DatabaseError raised";
    return DatabaseError(QString(), 0, QString());
}

class MasterFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }
    // The program finalizes the class-wide statements before it closes the master file.
    void TearDown() override { finalizeStatements(); }

    static void finalizeStatements()
    {
        UserInformationdb::finalizeStatements();
        MasterColorCodedb::finalizeStatements();
        DefaultSettingdb::finalizeStatements();
    }

    // A fresh master file `name` made from the template, opened.
    DatabaseConnection newMaster(const QString& name = QStringLiteral("Master.vtrmf"))
    {
        const QString path = folder_.filePath(name);
        if (!StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kMasterTemplate), path))
            throw std::runtime_error("cannot copy the master template");
        return StoryFile::open(path);
    }

    // A second connection to the existing master file `name`, as a later session would open it.
    DatabaseConnection reopen(const QString& name = QStringLiteral("Master.vtrmf"))
    {
        return StoryFile::open(folder_.filePath(name));
    }

    QTemporaryDir folder_;
};

TEST_F(MasterFileTest, TemplateHoldsTheDefaultColorsAutotipsAndNoUser)
{
    DatabaseConnection master = newMaster();
    UserInformationdb user(master.get());

    EXPECT_EQ(user.userInformationID(), 0);
    EXPECT_TRUE(user.serialNumber().isEmpty());
    EXPECT_TRUE(user.firstName().isEmpty());
    EXPECT_TRUE(user.lastName().isEmpty());
    EXPECT_TRUE(user.emailAddress().isEmpty());
    EXPECT_FALSE(user.isDirty());
    EXPECT_EQ(user.database(), master.get());
    expectDefaultColors(user.colorCodes());
    for (const auto& code : user.colorCodes())
        EXPECT_FALSE(code->isDirty());

    ASSERT_EQ(user.defaultSettings().size(), 1u);
    DefaultSettingdb* autotips = user.defaultSettingForSetting(QStringLiteral("AUTOTIPS"));
    ASSERT_EQ(autotips, user.defaultSettings().front().get());
    EXPECT_EQ(autotips->value(), QStringLiteral("Y"));
    EXPECT_FALSE(autotips->isDirty());
    EXPECT_EQ(user.defaultSettingForSetting(QStringLiteral("autotips")), nullptr);
    EXPECT_EQ(user.defaultSettingForSetting(QStringLiteral("AUTOTIPS ")), nullptr);
    EXPECT_EQ(user.defaultSettingForSetting(QString()), nullptr);
}

TEST_F(MasterFileTest, UserRowInsertSaveReloadAndDelete)
{
    DatabaseConnection master = newMaster();
    UserInformationdb user(master.get());
    user.setSerialNumber(QStringLiteral("VT-0042"));
    user.setFirstName(QStringLiteral("Zoë"));
    user.setLastName(QStringLiteral("Okafor"));
    user.setEmailAddress(QStringLiteral("zoe@example.org"));
    user.insertIntoDatabase(master.get());
    EXPECT_EQ(user.userInformationID(), 1);
    EXPECT_TRUE(user.isDirty()) << "an insert leaves the dirty mark alone";
    user.save();
    EXPECT_FALSE(user.isDirty());
    EXPECT_EQ(firstValue(master.get(), "SELECT count(*) FROM UserInformation"), QStringLiteral("1"));

    master = reopen();
    UserInformationdb reloaded(master.get());
    EXPECT_EQ(reloaded.serialNumber(), QStringLiteral("VT-0042"));
    EXPECT_EQ(reloaded.firstName(), QStringLiteral("Zoë"));
    EXPECT_EQ(reloaded.lastName(), QStringLiteral("Okafor"));
    EXPECT_EQ(reloaded.emailAddress(), QStringLiteral("zoe@example.org"));
    EXPECT_FALSE(reloaded.isDirty());

    reloaded.setLastName(QStringLiteral("Okafor"));
    EXPECT_FALSE(reloaded.isDirty()) << "the same text does not make the record dirty";
    reloaded.setLastName(QStringLiteral("Okafor-Lind"));
    EXPECT_TRUE(reloaded.isDirty());
    reloaded.save();
    EXPECT_EQ(firstValue(master.get(), "SELECT LastName FROM UserInformation"), QStringLiteral("Okafor-Lind"));

    // A clean record writes nothing: a change made behind its back survives its save.
    exec(master.get(), "UPDATE UserInformation SET LastName='Elsewhere'");
    reloaded.save();
    EXPECT_EQ(firstValue(master.get(), "SELECT LastName FROM UserInformation"), QStringLiteral("Elsewhere"));

    reloaded.deleteFromDatabase();
    EXPECT_EQ(firstValue(master.get(), "SELECT count(*) FROM UserInformation"), QStringLiteral("0"));
    UserInformationdb empty(master.get());
    EXPECT_TRUE(empty.firstName().isEmpty());
    EXPECT_TRUE(empty.lastName().isEmpty());
    EXPECT_EQ(empty.colorCodes().size(), 10u) << "deleting the user row leaves the other tables alone";
}

TEST_F(MasterFileTest, ColorCodeAddChangeAndDeleteRoundTrip)
{
    DatabaseConnection master = newMaster();

    MasterColorCodedb fresh;
    EXPECT_EQ(fresh.alphaValue(), 0) << "a new master colour code is transparent";
    EXPECT_TRUE(fresh.description().isEmpty());
    EXPECT_FALSE(fresh.isDirty());

    fresh.setDescription(QStringLiteral("Flashback"));
    fresh.setRedValue(10);
    fresh.setGreenValue(20);
    fresh.setBlueValue(30);
    fresh.setAlphaValue(40);
    fresh.insertIntoDatabase(master.get());
    EXPECT_EQ(fresh.colorCodeID(), 11);
    EXPECT_EQ(fresh.database(), master.get());

    {
        UserInformationdb user(master.get());
        ASSERT_EQ(user.colorCodes().size(), 11u);
        expectColor(*user.colorCodes().back(), {11, "Flashback", 10, 20, 30, 40});

        MasterColorCodedb& theme = *user.colorCodes()[1];
        theme.setDescription(QStringLiteral("Themes & Motifs"));
        theme.setBlueValue(0);
        theme.save();
        EXPECT_FALSE(theme.isDirty());
        user.colorCodes().back()->deleteFromDatabase();
    }

    UserInformationdb user(master.get());
    ASSERT_EQ(user.colorCodes().size(), 10u);
    expectColor(*user.colorCodes()[1], {2, "Themes & Motifs", 255, 128, 0, 255});
    expectColor(*user.colorCodes().back(), kDefaultColors.back());

    // A key without a row gives the defaults under that key; writing it changes no row.
    MasterColorCodedb missing(99, master.get());
    expectColor(missing, {99, "", 0, 0, 0, 0});
    EXPECT_FALSE(missing.isDirty());
    missing.setRedValue(1);
    missing.save();
    EXPECT_FALSE(missing.isDirty());
    missing.deleteFromDatabase();
    EXPECT_EQ(firstValue(master.get(), "SELECT count(*) FROM ColorCode"), QStringLiteral("10"));
}

TEST_F(MasterFileTest, CreateDefaultColorsAfterClearingGivesIdsOneToTen)
{
    DatabaseConnection master = newMaster();
    UserInformationdb user(master.get());
    user.colorCodes()[2]->setDescription(QStringLiteral("Imagery"));
    user.colorCodes()[2]->save();
    MasterColorCodedb extra;
    extra.setColorCodeID(20);
    extra.setDescription(QStringLiteral("Kept"));
    extra.insertIntoDatabaseWithID(master.get());
    EXPECT_EQ(extra.colorCodeID(), 20);

    // The colour dialog deletes every code before it asks for the defaults.
    for (const auto& code : user.colorCodes())
        code->deleteFromDatabase();
    user.createDefaultColors();

    expectDefaultColors(user.colorCodes());
    EXPECT_EQ(user.colorCodes()[8]->redValue(), user.colorCodes()[9]->redValue());
    EXPECT_EQ(user.colorCodes()[8]->greenValue(), user.colorCodes()[9]->greenValue());
    EXPECT_EQ(user.colorCodes()[8]->blueValue(), user.colorCodes()[9]->blueValue());

    UserInformationdb reloaded(master.get());
    ASSERT_EQ(reloaded.colorCodes().size(), 11u) << "rows outside ids 1 to 10 are not touched";
    for (std::size_t i = 0; i < kDefaultColors.size(); ++i)
        expectColor(*reloaded.colorCodes()[i], kDefaultColors[i]);
    expectColor(*reloaded.colorCodes()[10], {20, "Kept", 0, 0, 0, 0});

    // Without clearing first, the first insert collides with the existing id 1.
    const DatabaseError error = raisedBy([&] { reloaded.createDefaultColors(); });
    EXPECT_EQ(error.source(), QStringLiteral("MasterColorCodedb"));
    EXPECT_TRUE(error.message().startsWith(QStringLiteral("Error: failed to insert into the database with message '")))
        << error.message().toStdString();
    EXPECT_TRUE(error.message().contains(QStringLiteral("UNIQUE"))) << error.message().toStdString();
    EXPECT_EQ(firstValue(master.get(), "SELECT count(*) FROM ColorCode"), QStringLiteral("11"));
}

TEST_F(MasterFileTest, SettingValueAndReplacedSettingSurviveReload)
{
    DatabaseConnection master = newMaster();
    {
        UserInformationdb user(master.get());
        DefaultSettingdb* autotips = user.defaultSettingForSetting(QStringLiteral("AUTOTIPS"));
        ASSERT_NE(autotips, nullptr);
        autotips->setValue(QStringLiteral("N"));
        EXPECT_TRUE(autotips->isDirty());
        autotips->save();
        EXPECT_FALSE(autotips->isDirty());
    }
    master = reopen();
    {
        UserInformationdb user(master.get());
        DefaultSettingdb* autotips = user.defaultSettingForSetting(QStringLiteral("AUTOTIPS"));
        ASSERT_NE(autotips, nullptr);
        EXPECT_EQ(autotips->value(), QStringLiteral("N"));
        autotips->deleteFromDatabase();
    }
    {
        UserInformationdb user(master.get());
        EXPECT_TRUE(user.defaultSettings().empty());
        EXPECT_EQ(user.defaultSettingForSetting(QStringLiteral("AUTOTIPS")), nullptr);
        DefaultSettingdb added;
        added.setSetting(QStringLiteral("AUTOTIPS"));
        added.setValue(QStringLiteral("Y"));
        added.insertIntoDatabase(master.get());
        EXPECT_GT(added.defaultSettingID(), 0);
        EXPECT_EQ(added.database(), master.get());

        UserInformationdb reloaded(master.get());
        DefaultSettingdb* found = reloaded.defaultSettingForSetting(QStringLiteral("AUTOTIPS"));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->defaultSettingID(), added.defaultSettingID());
        EXPECT_EQ(found->value(), QStringLiteral("Y"));
    }
}

TEST_F(MasterFileTest, NullTextsReadAsEmptyAndAreNeverWritten)
{
    // A master file whose tables allow NULL, as one written by another tool might.
    DatabaseConnection master = newMaster();
    exec(master.get(), "DROP TABLE DefaultSetting;"
                       "CREATE TABLE DefaultSetting (DefaultSettingID INTEGER PRIMARY KEY, Setting text, Value text);"
                       "INSERT INTO DefaultSetting (Setting,Value) VALUES ('AUTOTIPS',NULL);"
                       "DROP TABLE UserInformation;"
                       "CREATE TABLE UserInformation (SerialNumber text, FirstName text, LastName text, "
                       "EmailAddress text);"
                       "INSERT INTO UserInformation (FirstName) VALUES ('Ida');");

    UserInformationdb user(master.get());
    EXPECT_EQ(user.firstName(), QStringLiteral("Ida"));
    EXPECT_TRUE(user.serialNumber().isEmpty());
    EXPECT_FALSE(user.isDirty());
    DefaultSettingdb* autotips = user.defaultSettingForSetting(QStringLiteral("AUTOTIPS"));
    ASSERT_NE(autotips, nullptr);
    EXPECT_TRUE(autotips->value().isEmpty());
    EXPECT_FALSE(autotips->isDirty());

    autotips->setValue(QStringLiteral("Y"));
    autotips->save();
    autotips->setValue(QString());
    autotips->save();
    EXPECT_EQ(firstValue(master.get(), "SELECT quote(Value) FROM DefaultSetting"), QStringLiteral("''"));

    user.setFirstName(QString());
    user.save();
    EXPECT_EQ(firstValue(master.get(), "SELECT quote(FirstName) || quote(SerialNumber) FROM UserInformation"),
              QStringLiteral("''''"));
}

TEST_F(MasterFileTest, WriteFailuresRaiseTheirMessagesAndKeepTheRecordState)
{
    DatabaseConnection master = newMaster();
    UserInformationdb user(master.get());
    exec(master.get(), "PRAGMA query_only=ON");
    const QString reason = QStringLiteral("attempt to write a readonly database");

    DefaultSettingdb& autotips = *user.defaultSettings().front();
    autotips.setValue(QStringLiteral("N"));
    DatabaseError error = raisedBy([&] { autotips.save(); });
    EXPECT_EQ(error.source(), QStringLiteral("DefaultSettingdb"));
    EXPECT_EQ(error.message(), QStringLiteral("Error: failed to save with message '%1'.").arg(reason));
    EXPECT_TRUE(autotips.isDirty()) << "a failed save keeps the record dirty";

    MasterColorCodedb code;
    code.setDescription(QStringLiteral("Unsaved"));
    error = raisedBy([&] { code.insertIntoDatabase(master.get()); });
    EXPECT_EQ(error.message(), QStringLiteral("Error: failed to insert into the database with message '%1'.").arg(reason));
    EXPECT_EQ(code.colorCodeID(), 0) << "a failed insert leaves the key as it was";

    error = raisedBy([&] { user.deleteFromDatabase(); });
    EXPECT_EQ(error.source(), QStringLiteral("UserInformationdb"));
    EXPECT_EQ(error.message(), QStringLiteral("Error: failed to delete from database with message '%1'.").arg(reason));

    // A record that was never given a connection fails cleanly instead of crashing.
    error = raisedBy([] { MasterColorCodedb().insertIntoDatabase(nullptr); });
    EXPECT_TRUE(error.message().startsWith(QStringLiteral("Error: failed to prepare statement with message '")));
}

TEST_F(MasterFileTest, PrepareFailureKeepsNoStatementAndTheNextUsePreparesAgain)
{
    DatabaseConnection master = newMaster();
    exec(master.get(), "ALTER TABLE DefaultSetting RENAME TO Hidden");
    const DatabaseError error = raisedBy([&] { UserInformationdb user(master.get()); });
    EXPECT_EQ(error.source(), QStringLiteral("UserInformationdb"));
    EXPECT_EQ(error.message(),
              QStringLiteral("Error: failed to prepare statement with message 'no such table: DefaultSetting'."));

    exec(master.get(), "ALTER TABLE Hidden RENAME TO DefaultSetting");
    UserInformationdb user(master.get());
    EXPECT_EQ(user.defaultSettings().size(), 1u);
}

TEST_F(MasterFileTest, StatementsFollowTheMasterFileInUse)
{
    DatabaseConnection first = newMaster(QStringLiteral("First.vtrmf"));
    DatabaseConnection second = newMaster(QStringLiteral("Second.vtrmf"));
    {
        UserInformationdb user(first.get());
        user.defaultSettings().front()->setValue(QStringLiteral("N"));
        user.defaultSettings().front()->save();
    }
    {
        UserInformationdb user(second.get());
        EXPECT_EQ(user.defaultSettings().front()->value(), QStringLiteral("Y")) << "read from the second file";
        MasterColorCodedb added;
        added.setDescription(QStringLiteral("Second only"));
        added.insertIntoDatabase(second.get());
        EXPECT_EQ(added.colorCodeID(), 11);
    }
    EXPECT_EQ(firstValue(second.get(), "SELECT count(*) FROM ColorCode"), QStringLiteral("11"));
    EXPECT_EQ(firstValue(first.get(), "SELECT count(*) FROM ColorCode"), QStringLiteral("10"));
    EXPECT_EQ(firstValue(first.get(), "SELECT Value FROM DefaultSetting"), QStringLiteral("N"));
    // Moving to the second file let go of every statement on the first, so it closes cleanly.
    EXPECT_NO_THROW(first.close());

    // The second file goes without any finalizing; a third one opened afterwards still works.
    second = DatabaseConnection();
    DatabaseConnection third = newMaster(QStringLiteral("Third.vtrmf"));
    UserInformationdb user(third.get());
    expectDefaultColors(user.colorCodes());
    user.setFirstName(QStringLiteral("Third"));
    user.insertIntoDatabase(third.get());
    EXPECT_EQ(firstValue(third.get(), "SELECT FirstName FROM UserInformation"), QStringLiteral("Third"));

    // Finalizing twice is harmless, the next use prepares again, and the quit sequence closes.
    finalizeStatements();
    finalizeStatements();
    user.setFirstName(QStringLiteral("Again"));
    user.save();
    EXPECT_EQ(firstValue(third.get(), "SELECT FirstName FROM UserInformation"), QStringLiteral("Again"));
    finalizeStatements();
    EXPECT_NO_THROW(third.close());
}

} // namespace
