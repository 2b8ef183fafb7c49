#pragma once

#include "BaseDatabaseObject.h"
#include "SqliteStatement.h"

#include <cstdint>
#include <string>

class RecordIndex;
class Screenplaydb;

// Declares a key the record is looked up by in its story's list (RecordList.h), with its getter
// and its setter as VTR_PROPERTY does; the list that holds the record learns of every change.
// `number` counts the keys of the class from 0 (StoryRecord::indexedKey).
#define VTR_KEY_PROPERTY(name, setter, number)                                                           \
public:                                                                                                  \
    const std::int64_t& name() const { return name##_; }                                                 \
    void setter(const std::int64_t& value) { changeKey(name##_, value, number, true); }                \
                                                                                                         \
private:                                                                                                 \
    std::int64_t name##_

// Base of the seventeen story record classes: a record keeps a non-owning pointer to the
// story it belongs to (the story owns its records and outlives them) and reaches the story's
// connection and statement cache through it.
class StoryRecord : public BaseDatabaseObject
{
public:
    Screenplaydb* screenplay() const { return screenplay_; }
    void setScreenplay(Screenplaydb* screenplay) { screenplay_ = screenplay; }

    // The most keys a record class is looked up by.
    static constexpr int kMostIndexedKeys = 2;
    // How many keys the records of the class are looked up by, and the value of each: none for a
    // class whose records are never looked up one by one.
    virtual int indexedKeyCount() const { return 0; }
    virtual std::int64_t indexedKey(int key) const;

protected:
    // Sets the key field `key` (marking the record dirty when `marks`: a key read with the row or
    // given by the insert is no change to write) and tells the list that holds the record.
    void changeKey(std::int64_t& field, std::int64_t value, int key, bool marks);

    // The class name that failure reports carry.
    virtual const char* sourceName() const = 0;

    // Messages of the insert and delete failures; a few classes word them differently.
    virtual const char* insertFailureMessage() const;
    virtual const char* deleteFailureMessage() const;

    // The cached statement `name` of the story, prepared from `sql` on first use.
    StatementUse use(const char* name, const char* sql) const;

    // Steps a bound update; raises "failed to save" unless it finished, else clears the mark.
    void finishSave(StatementUse& statement);
    // Steps a bound insert; raises unless it finished, else answers the new row id.
    std::int64_t finishInsert(StatementUse& statement) const;
    // Steps a bound insert of a record that other rows name by its key (an attachment, a
    // character, a location or a card) and deletes the rows that already name the new key, left
    // by a delete under a record that had it before, together as one; answers the new key.
    std::int64_t finishInsertOfNamedRecord(StatementUse& statement, const char* table) const;
    // The same for an insert that names the new key itself.
    void finishInsertOfNamedRecordWithID(StatementUse& statement, const char* table, std::int64_t key) const;
    // Steps a bound insert that names its own key; raises unless it finished.
    void finishInsertWithID(StatementUse& statement) const;
    // Deletes the row `key` with the one-parameter statement `name`.
    void deleteRow(const char* name, const char* sql, std::int64_t key) const;

private:
    friend class RecordIndex;

    Screenplaydb* screenplay_ = nullptr;
    // The index of the list that holds the record, when the class has keys.
    RecordIndex* index_ = nullptr;
};

// "SELECT <columns>,<key> FROM <table> <rest>" from a record's "SELECT <columns> FROM <table>
// WHERE <key>=?": many rows in one statement, with the key in the last column.
std::string selectAllSql(const char* selectByKey, const char* rest);
