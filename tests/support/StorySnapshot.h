#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class Screenplaydb;

// Everything a loaded story shows, field by field in the order the story holds its records:
// the story's row, every collection, every card's script paragraph by paragraph, and the
// pictures and files of its attachments. Two snapshots are equal only when the two stories
// show the same.
class Snapshot
{
public:
    // `at` names the record ("sceneCards[3]"), `field` its field.
    void add(const QString& at, const char* field, const QString& value);
    void add(const QString& at, const char* field, std::int64_t value);
    void add(const QString& at, const char* field, float value);
    void add(const QString& at, const char* field, const std::optional<QByteArray>& value);

    const std::vector<std::pair<QString, QString>>& fields() const { return fields_; }
    bool operator==(const Snapshot& other) const { return fields_ == other.fields_; }
    // The first field that differs from `other`'s, or "" when they are equal.
    QString firstDifference(const Snapshot& other) const;

private:
    std::vector<std::pair<QString, QString>> fields_;
};

// Takes the snapshot of a loaded story; reads every card's script and every attachment's
// pictures and file on the way (a DatabaseError of that reading passes through).
Snapshot snapshotOf(Screenplaydb& story);
