#pragma once

#include <QString>

#include <cstdint>

struct sqlite3;

// The text as a story keeps it: without NUL characters. None is typed, and a story file whose
// text holds one is refused as damaged (a zeroed sector leaves a text's length and zeroes its
// bytes), so one that comes with a paste, an import or a download is dropped where every
// record's text is set.
inline QString withoutNulCharacters(const QString& text)
{
    if (!text.contains(QChar(u'\0')))
        return text;
    QString kept = text;
    return kept.remove(QChar(u'\0'));
}

// Declares a persisted field with its getter `name()` and its setter `setter(value)`. The
// setter marks the record dirty only when the value really changes. The declaration ends
// in `private:`, so the default value can follow the macro: VTR_PROPERTY(qint64, sortOrder, setSortOrder) = 0;
#define VTR_PROPERTY(Type, name, setter)                                                                     \
public:                                                                                                      \
    const Type& name() const { return name##_; }                                                             \
    void setter(const Type& value) { assignField(name##_, value); }                                         \
                                                                                                             \
private:                                                                                                     \
    Type name##_

// Root of every record class: the dirty mark and, for master-file records, the connection.
class BaseDatabaseObject
{
public:
    BaseDatabaseObject() = default;
    virtual ~BaseDatabaseObject() = default;
    BaseDatabaseObject(const BaseDatabaseObject&) = delete;
    BaseDatabaseObject& operator=(const BaseDatabaseObject&) = delete;

    bool isDirty() const { return isDirty_; }
    void setIsDirty(bool dirty) { isDirty_ = dirty; }

    sqlite3* database() const { return database_; }
    void setDatabase(sqlite3* database) { database_ = database; }

    std::int64_t userCount() const { return userCount_; }
    void setUserCount(std::int64_t count) { userCount_ = count; }

protected:
    template <typename T>
    void assignField(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            isDirty_ = true;
        }
    }

    // Texts compare as strings: a null text equals the empty text, so a record read from a
    // row never turns dirty because "" came back where nothing was set. A NUL character is
    // dropped.
    void assignField(QString& field, const QString& value)
    {
        const QString kept = withoutNulCharacters(value);
        if (field != kept) {
            field = kept;
            isDirty_ = true;
        }
    }

private:
    bool isDirty_ = false;
    sqlite3* database_ = nullptr;
    std::int64_t userCount_ = 0;
};
