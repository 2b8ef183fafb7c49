#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

class MyDocument;
class QMimeData;

// What the panes of a story window drag to each other. Every drag carries exactly one record
// type, named after its record class, as the MIME type "application/x-vantora-<type>":
//
//   "SceneCarddb"           the card's row id as decimal text (UTF-8)
//   "AttachedObjectdb"      the attachment's row id as decimal text
//   "Characterdb"           3 x the character's position in the story's characters
//   "SceneLocationdb"       3 x the location's position in the story's locations
//   "SceneSetupdb"          3 x the set-up's position in the story's set-ups
//   "ScenePayoffdb"         3 x the pay-off's position in the story's pay-offs
//   "CharacterObjectdb"     the dragged row of a character panel's attachment table
//   "SceneLocationObjectdb" the dragged row of a location panel's attachment table
//
// (the tables show three rows per record, so readers of the four record types divide the
// number by 3 to get the position). Row ids and positions only mean something in the story
// they were taken from, so every drag also names the document it comes from; a target takes
// a drop only from its own document (`comesFrom`).
namespace RecordPasteboardType {

inline constexpr char kSceneCard[] = "SceneCarddb";
inline constexpr char kAttachedObject[] = "AttachedObjectdb";
inline constexpr char kCharacter[] = "Characterdb";
inline constexpr char kSceneLocation[] = "SceneLocationdb";
inline constexpr char kSceneSetup[] = "SceneSetupdb";
inline constexpr char kScenePayoff[] = "ScenePayoffdb";
inline constexpr char kCharacterObject[] = "CharacterObjectdb";
inline constexpr char kSceneLocationObject[] = "SceneLocationObjectdb";

// The MIME type of a record type: "application/x-vantora-SceneCarddb" and so on.
QString mimeType(const QString& type);
// The MIME type naming the document a drag comes from.
QString sourceMimeType();

// The payload of a drag of one record type with its number, from `source`.
std::unique_ptr<QMimeData> makeDragData(const QString& type, std::int64_t value, const MyDocument* source);
// Whether the data names the record type (whatever its number).
bool offers(const QMimeData* data, const QString& type);
// The number the data carries for the record type; nothing when the type is missing or its
// text is not a whole number.
std::optional<std::int64_t> value(const QMimeData* data, const QString& type);
// Whether the drag was started in `document`'s window (not in another story's, nor in another
// run of the program).
bool comesFrom(const QMimeData* data, const MyDocument* document);

// The position in a story collection that a table row number names (three rows per record);
// nothing when it lies outside a collection of `count` records.
std::optional<std::size_t> positionForRow(std::int64_t row, std::size_t count);

} // namespace RecordPasteboardType
