#pragma once

#include "StoryRecord.h"

#include <array>
#include <optional>
#include <vector>

class CharacterObjectdb;

// One character of the story: a profile and six things about the character that need fixing,
// each with a note. The fixing fields are also reached by their composed names
// ("needsFixing3", "needsFixing3Notes"), as the character pane addresses them by number.
class Characterdb : public StoryRecord
{
    VTR_KEY_PROPERTY(characterID, setCharacterID, 0) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    VTR_PROPERTY(QString, characterName, setCharacterName) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, age, setAge) = QString(QLatin1String(""));
    // "M" or "F"; empty when not chosen.
    VTR_PROPERTY(QString, gender, setGender) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, description, setDescription) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, wants, setWants) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needs, setNeeds) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, notes, setNotes) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing1, setNeedsFixing1) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing1Notes, setNeedsFixing1Notes) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing2, setNeedsFixing2) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing2Notes, setNeedsFixing2Notes) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing3, setNeedsFixing3) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing3Notes, setNeedsFixing3Notes) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing4, setNeedsFixing4) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing4Notes, setNeedsFixing4Notes) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing5, setNeedsFixing5) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing5Notes, setNeedsFixing5Notes) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing6, setNeedsFixing6) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, needsFixing6Notes, setNeedsFixing6Notes) = QString(QLatin1String(""));

public:
    // Found by its key.
    static constexpr int kIndexedKeys = 1;
    int indexedKeyCount() const override { return kIndexedKeys; }
    std::int64_t indexedKey(int) const override { return characterID_; }

    Characterdb() = default;
    Characterdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();

    // A text field by its name, for example "needsFixing4Notes"; nothing for an unknown name.
    std::optional<QString> valueForKey(const QString& key) const;
    // Sets a text field by its name with the same dirty marking as its own setter. Answers
    // false, changing nothing, for an unknown name.
    bool setValueForKey(const QString& key, const QString& value);

    // The character's links to attachments, held by the story; the character only points at them.
    std::vector<CharacterObjectdb*>& characterObjects() { return characterObjects_; }
    const std::vector<CharacterObjectdb*>& characterObjects() const { return characterObjects_; }
    void setCharacterObjects(std::vector<CharacterObjectdb*> links) { characterObjects_ = std::move(links); }

    // By name, ignoring case. Answers -1, 0 or 1.
    int sortCharactersByName(const Characterdb& other) const;

protected:
    const char* sourceName() const override { return "Characterdb"; }
    const char* insertFailureMessage() const override;
    const char* deleteFailureMessage() const override;

private:
    struct TextField
    {
        const char* key;
        QString Characterdb::*field;
    };
    // The nineteen text fields in the order of the table's columns.
    static const std::array<TextField, 19>& textFields();

    template <typename Use>
    void bindColumns(Use& statement) const;

    std::vector<CharacterObjectdb*> characterObjects_;
};
