#include "Characterdb.h"

#include "CharacterObjectdb.h"
#include "RecordSorting.h"
#include "Screenplaydb.h"

const std::array<Characterdb::TextField, 19>& Characterdb::textFields()
{
    static const std::array<TextField, 19> fields{{
        {"characterName", &Characterdb::characterName_},
        {"age", &Characterdb::age_},
        {"gender", &Characterdb::gender_},
        {"description", &Characterdb::description_},
        {"wants", &Characterdb::wants_},
        {"needs", &Characterdb::needs_},
        {"notes", &Characterdb::notes_},
        {"needsFixing1", &Characterdb::needsFixing1_},
        {"needsFixing1Notes", &Characterdb::needsFixing1Notes_},
        {"needsFixing2", &Characterdb::needsFixing2_},
        {"needsFixing2Notes", &Characterdb::needsFixing2Notes_},
        {"needsFixing3", &Characterdb::needsFixing3_},
        {"needsFixing3Notes", &Characterdb::needsFixing3Notes_},
        {"needsFixing4", &Characterdb::needsFixing4_},
        {"needsFixing4Notes", &Characterdb::needsFixing4Notes_},
        {"needsFixing5", &Characterdb::needsFixing5_},
        {"needsFixing5Notes", &Characterdb::needsFixing5Notes_},
        {"needsFixing6", &Characterdb::needsFixing6_},
        {"needsFixing6Notes", &Characterdb::needsFixing6Notes_},
    }};
    return fields;
}

const char* Characterdb::selectByKeySql()
{
    return "SELECT ScreenplayID,CharacterName,Age,Gender,Description,Wants,Needs,Notes,NeedsFixing1,"
                           "NeedsFixing1Notes,NeedsFixing2,NeedsFixing2Notes,NeedsFixing3,NeedsFixing3Notes,"
                           "NeedsFixing4,NeedsFixing4Notes,NeedsFixing5,NeedsFixing5Notes,NeedsFixing6,"
                           "NeedsFixing6Notes FROM Character WHERE CharacterID=?";
}

void Characterdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("character_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void Characterdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    changeKey(characterID_, key, 0, false);
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        int column = 1;
        for (const TextField& text : textFields())
            assignField(this->*text.field, row.columnText(column++));
    }
    setIsDirty(false);
}

// Binds ScreenplayID and the nineteen texts from parameter 1 in column order.
template <typename Use>
void Characterdb::bindColumns(Use& statement) const
{
    statement.bind(1, screenplayID_);
    int parameter = 2;
    for (const TextField& text : textFields())
        statement.bind(parameter++, this->*text.field);
}

void Characterdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("character_save_statement",
                              "UPDATE Character SET ScreenplayID=?,CharacterName=?,Age=?,Gender=?,Description=?,"
                              "Wants=?,Needs=?,Notes=?,NeedsFixing1=?,NeedsFixing1Notes=?,NeedsFixing2=?,"
                              "NeedsFixing2Notes=?,NeedsFixing3=?,NeedsFixing3Notes=?,NeedsFixing4=?,"
                              "NeedsFixing4Notes=?,NeedsFixing5=?,NeedsFixing5Notes=?,NeedsFixing6=?,"
                              "NeedsFixing6Notes=? WHERE CharacterID=?");
    bindColumns(update);
    update.bind(21, characterID_);
    finishSave(update);
}

void Characterdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("character_insert_statement",
                              "INSERT INTO Character (ScreenplayID,CharacterName,Age,Gender,Description,Wants,Needs,"
                              "Notes,NeedsFixing1,NeedsFixing1Notes,NeedsFixing2,NeedsFixing2Notes,NeedsFixing3,"
                              "NeedsFixing3Notes,NeedsFixing4,NeedsFixing4Notes,NeedsFixing5,NeedsFixing5Notes,"
                              "NeedsFixing6,NeedsFixing6Notes) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    bindColumns(insert);
    changeKey(characterID_, finishInsertOfNamedRecord(insert, "Character"), 0, false);
    // Attachment links left in the file by a character that had the key before were loaded as
    // belonging to no character; their rows are gone now, and they leave memory too.
    screenplay->characterObjects().eraseIf(
        [this](const auto& link) { return link->characterID() == characterID_; });
}

void Characterdb::deleteFromDatabase()
{
    deleteRow("character_delete_statement", "DELETE FROM Character WHERE CharacterID=?", characterID_);
}

const char* Characterdb::insertFailureMessage() const
{
    return "Error: failed to insert into the database with message '%s'.";
}

const char* Characterdb::deleteFailureMessage() const
{
    return "Error: failed to delete from database with message '%s'.";
}

std::optional<QString> Characterdb::valueForKey(const QString& key) const
{
    for (const TextField& text : textFields()) {
        if (key == QLatin1String(text.key))
            return this->*text.field;
    }
    return std::nullopt;
}

bool Characterdb::setValueForKey(const QString& key, const QString& value)
{
    for (const TextField& text : textFields()) {
        if (key == QLatin1String(text.key)) {
            assignField(this->*text.field, value);
            return true;
        }
    }
    return false;
}

int Characterdb::sortCharactersByName(const Characterdb& other) const
{
    return compareValues(QString::compare(characterName_, other.characterName_, Qt::CaseInsensitive), 0);
}
