// Look-ups, derived texts, progress, renumbering and cascading deletes of the open story.
#include "Screenplaydb.h"

#include "AttachedObjectdb.h"
#include "Beatdb.h"
#include "CardPlacement.h"
#include "CharacterObjectdb.h"
#include "Characterdb.h"
#include "ColorCodedb.h"
#include "DatabaseError.h"
#include "GreenlightChecklistQuestiondb.h"
#include "Loglinedb.h"
#include "RecordSorting.h"
#include "SceneCardCharacterdb.h"
#include "SceneCardObjectdb.h"
#include "SceneCarddb.h"
#include "SceneLocationObjectdb.h"
#include "SceneLocationdb.h"
#include "ScenePayoffdb.h"
#include "SceneSetupdb.h"
#include "SetupPayoffLinks.h"
#include "ScriptElementdb.h"
#include "ScriptPartdb.h"
#include "SqliteStatement.h"
#include "StickyNotedb.h"
#include "StoryTransaction.h"

#include <QFile>
#include <QStringBuilder>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const kSource = "Screenplaydb";

template <typename Record, typename Predicate>
Record* firstWhere(const RecordList<Record>& records, Predicate matches)
{
    for (const auto& record : records)
        if (matches(*record))
            return record.get();
    return nullptr;
}

template <typename Record, typename Predicate>
std::vector<Record*> allWhere(const RecordList<Record>& records, Predicate matches)
{
    std::vector<Record*> found;
    for (const auto& record : records)
        if (matches(*record))
            found.push_back(record.get());
    return found;
}

// Deletes the rows of every record that matches and drops the records from their list.
template <typename Record, typename Predicate>
void deleteWhere(RecordList<Record>& records, Predicate matches)
{
    for (auto at = records.begin(); at != records.end();) {
        if (matches(**at)) {
            (*at)->deleteFromDatabase();
            at = records.erase(at);
        } else {
            ++at;
        }
    }
}

// Memory changes made while a group of writes runs, taken back when the group fails before
// it is kept, so that the records in memory agree with the file the transaction rolled back.
class UndoOnFailure
{
public:
    UndoOnFailure() = default;
    UndoOnFailure(const UndoOnFailure&) = delete;
    UndoOnFailure& operator=(const UndoOnFailure&) = delete;
    ~UndoOnFailure()
    {
        if (kept_)
            return;
        for (auto at = undo_.rbegin(); at != undo_.rend(); ++at)
            (*at)();
    }

    void add(std::function<void()> undo) { undo_.push_back(std::move(undo)); }
    void keep() { kept_ = true; }

private:
    std::vector<std::function<void()>> undo_;
    bool kept_ = false;
};

// Sets one field of the record and saves it; a failure of the group gives the field, and the
// record's mark, back.
template <typename Record, typename Owner, typename Value>
void changeAndSave(UndoOnFailure& undo, Record& record, const Value& (Owner::*get)() const,
                   void (Owner::*set)(const Value&), const Value& value)
{
    const Value old = (record.*get)();
    const bool wasDirty = record.isDirty();
    undo.add([&record, set, old, wasDirty] {
        (record.*set)(old);
        record.setIsDirty(wasDirty);
    });
    (record.*set)(value);
    record.save();
}

// Deletes the rows of the records that match; the records stay in their list.
template <typename Record, typename Predicate>
void deleteRowsWhere(const RecordList<Record>& records, Predicate matches)
{
    for (const auto& record : records)
        if (matches(*record))
            record->deleteFromDatabase();
}

// Drops the records that match from their list (their rows are gone already).
template <typename Record, typename Predicate>
void dropWhere(RecordList<Record>& records, Predicate matches)
{
    records.eraseIf([&](const std::unique_ptr<Record>& record) { return matches(*record); });
}

template <typename Link>
void removePointer(std::vector<Link*>& links, const Link* link)
{
    links.erase(std::remove(links.begin(), links.end(), link), links.end());
}

QByteArray resourceBytes(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

// --- Look-ups --------------------------------------------------------------------------------

AttachedObjectdb* Screenplaydb::attachmentForID(std::int64_t attachedObjectID) const
{
    return attachedObjects_.find(attachedObjectID);
}

SceneCarddb* Screenplaydb::sceneCardForSceneCardID(std::int64_t sceneCardID) const
{
    if (SceneCarddb* card = sceneCards_.find(sceneCardID))
        return card;
    return litterBox_.find(sceneCardID);
}

ScriptElementdb* Screenplaydb::elementForElementID(std::int64_t scriptElementID) const
{
    return firstWhere(scriptElements_, [&](const ScriptElementdb& e) { return e.scriptElementID() == scriptElementID; });
}

ScriptElementdb* Screenplaydb::elementForElementType(const QString& elementType) const
{
    return firstWhere(scriptElements_, [&](const ScriptElementdb& e) { return e.elementType() == elementType; });
}

ScenePayoffdb* Screenplaydb::payoffForPayoffID(std::int64_t scenePayoffID) const
{
    return scenePayoffs_.find(scenePayoffID);
}

SceneSetupdb* Screenplaydb::setupForPayoffID(std::int64_t scenePayoffID) const
{
    return sceneSetups_.find(scenePayoffID, SceneSetupdb::kByPayoff);
}

SceneSetupdb* Screenplaydb::setupForSetupID(std::int64_t sceneSetupID) const
{
    return sceneSetups_.find(sceneSetupID);
}

Beatdb* Screenplaydb::beatForBeatNumber(std::int64_t beatNumber) const
{
    return firstWhere(beats_, [&](const Beatdb& b) { return b.beatNumber() == beatNumber; });
}

ColorCodedb* Screenplaydb::colorForColorCodeID(std::int64_t colorCodeID) const
{
    return firstWhere(colorCodes_, [&](const ColorCodedb& c) { return c.colorCodeID() == colorCodeID; });
}

Characterdb* Screenplaydb::characterForCharacterID(std::int64_t characterID) const
{
    return characters_.find(characterID);
}

Characterdb* Screenplaydb::characterForCharacterName(const QString& name) const
{
    return firstWhere(characters_, [&](const Characterdb& c) { return c.characterName() == name; });
}

SceneLocationdb* Screenplaydb::locationForLocationID(std::int64_t sceneLocationID) const
{
    return sceneLocations_.find(sceneLocationID);
}

Loglinedb* Screenplaydb::currentLogline() const
{
    return firstWhere(logLines_, [](const Loglinedb& l) { return l.currentLoglineFlag() == 1; });
}

GreenlightChecklistQuestiondb* Screenplaydb::greenlightQuestionForQuestionNumber(std::int64_t questionNumber) const
{
    return firstWhere(greenlightChecklistQuestions_,
                      [&](const GreenlightChecklistQuestiondb& q) { return q.questionNumber() == questionNumber; });
}

std::int64_t Screenplaydb::indexOfSceneCardWithID(std::int64_t sceneCardID) const
{
    for (std::size_t i = 0; i < sceneCards_.size(); ++i)
        if (sceneCards_[i]->sceneCardID() == sceneCardID)
            return static_cast<std::int64_t>(i);
    return -1;
}

// --- Lists -----------------------------------------------------------------------------------

std::vector<SceneCardObjectdb*> Screenplaydb::attachedObjectsInSceneID(std::int64_t sceneCardID) const
{
    return allWhere(sceneCardObjects_, [&](const SceneCardObjectdb& l) { return l.sceneCardID() == sceneCardID; });
}

std::vector<SceneSetupdb*> Screenplaydb::setupsInSceneID(std::int64_t sceneCardID) const
{
    return allWhere(sceneSetups_, [&](const SceneSetupdb& s) { return s.sceneCardID() == sceneCardID; });
}

std::vector<ScenePayoffdb*> Screenplaydb::payoffsInSceneID(std::int64_t sceneCardID) const
{
    return allWhere(scenePayoffs_, [&](const ScenePayoffdb& p) { return p.sceneCardID() == sceneCardID; });
}

std::vector<SceneCardCharacterdb*> Screenplaydb::charactersInSceneID(std::int64_t sceneCardID) const
{
    return allWhere(sceneCardCharacters_, [&](const SceneCardCharacterdb& c) { return c.sceneCardID() == sceneCardID; });
}

// --- Tests -----------------------------------------------------------------------------------

bool Screenplaydb::anyUnlinkedPayoffs() const
{
    return firstWhere(scenePayoffs_, [](const ScenePayoffdb& p) { return p.sceneSetupID() == 0; }) != nullptr;
}

bool Screenplaydb::anyUnlinkedSetups() const
{
    return firstWhere(sceneSetups_, [](const SceneSetupdb& s) { return s.scenePayoffID() == 0; }) != nullptr;
}

bool Screenplaydb::attachedObjectLinked(std::int64_t attachedObjectID) const
{
    auto refers = [&](const auto& link) { return link.attachedObjectID() == attachedObjectID; };
    return firstWhere(characterObjects_, refers) || firstWhere(sceneLocationObjects_, refers) ||
           firstWhere(sceneCardObjects_, refers);
}

bool Screenplaydb::anyBeatsStarted() const
{
    return firstWhere(beats_, [](const Beatdb& b) { return !b.description().isEmpty(); }) != nullptr;
}

bool Screenplaydb::anyBeatsNotFilledIn() const
{
    return firstWhere(beats_, [](const Beatdb& b) { return b.description().isEmpty(); }) != nullptr;
}

bool Screenplaydb::unansweredGreenlightQuestions() const
{
    return firstWhere(greenlightChecklistQuestions_,
                      [](const GreenlightChecklistQuestiondb& q) { return q.answer() == QLatin1String("N"); }) != nullptr;
}

// --- Derived texts and images ----------------------------------------------------------------

QString Screenplaydb::titleForAttachment(std::int64_t attachedObjectID) const
{
    const AttachedObjectdb* attachment = attachmentForID(attachedObjectID);
    return attachment ? attachment->title() : QString(QLatin1String(""));
}

namespace {

QString describeOnCard(const SceneCarddb* card, std::int64_t sceneCardID, const QString& text)
{
    if (sceneCardID <= 0 || !card)
        return text;
    return Screenplaydb::describeOnPage(card->heading(), card->pageNumber(), text);
}

} // namespace

QString Screenplaydb::describeOnPage(const QString& heading, std::int64_t page, const QString& text)
{
    // Joined in one allocation of the whole length: a list of set-ups asks this for every row, and
    // a heading's own per cent signs stay as they are.
    return heading % QLatin1String(" (p. ") % QString::number(page) % QLatin1String(")\n") % text;
}

QString Screenplaydb::fullDescriptionForSetup(const SceneSetupdb& setup) const
{
    return describeOnCard(sceneCardForSceneCardID(setup.sceneCardID()), setup.sceneCardID(), setup.sceneSetup());
}

QString Screenplaydb::fullDescriptionForPayoff(const ScenePayoffdb& payoff) const
{
    return describeOnCard(sceneCardForSceneCardID(payoff.sceneCardID()), payoff.sceneCardID(), payoff.scenePayoff());
}

QString Screenplaydb::charactersDescriptionForScene(const SceneCarddb& card) const
{
    QString text;
    for (const auto& link : sceneCardCharacters_) {
        if (link->sceneCardID() != card.sceneCardID())
            continue;
        const Characterdb* character = characterForCharacterID(link->characterID());
        text += character ? character->characterName() : link->characterName();
        if (!link->description().isEmpty())
            text += QStringLiteral(": %1").arg(link->description());
        text += QLatin1Char('\n');
    }
    return text.trimmed();
}

namespace {

template <typename Link>
QByteArray primaryThumbnail(const std::vector<Link*>& links, const Screenplaydb& story, const char* fallback)
{
    for (const Link* link : links) {
        if (link->primaryDisplayFlag() != 1)
            continue;
        if (const AttachedObjectdb* attachment = story.attachmentForID(link->attachedObjectID())) {
            if (auto thumbnail = attachment->getThumbnail())
                return *thumbnail;
            break;
        }
    }
    return resourceBytes(QString::fromLatin1(fallback));
}

} // namespace

QByteArray Screenplaydb::displayImageForCharacter(const Characterdb& character) const
{
    return primaryThumbnail(character.characterObjects(), *this, ":/images/GenericCharacter.png");
}

QByteArray Screenplaydb::displayImageForLocation(const SceneLocationdb& location) const
{
    return primaryThumbnail(location.locationObjects(), *this, ":/images/GenericLocation.png");
}

QString Screenplaydb::answerForGreenlightQuestion(std::int64_t questionNumber) const
{
    const GreenlightChecklistQuestiondb* question = greenlightQuestionForQuestionNumber(questionNumber);
    return question ? question->answer() : QStringLiteral("N");
}

QString Screenplaydb::markForGreenlightQuestion(std::int64_t questionNumber) const
{
    return answerForGreenlightQuestion(questionNumber) == QLatin1String("Y") ? QStringLiteral("X") : QStringLiteral("__");
}

// --- Changes ---------------------------------------------------------------------------------

namespace {

bool moveRecord(RecordList<SceneCarddb>& from, RecordList<SceneCarddb>& to, const SceneCarddb* card)
{
    std::unique_ptr<SceneCarddb> moved = from.take(card);
    if (!moved)
        return false;
    to.push_back(std::move(moved));
    return true;
}

} // namespace

bool Screenplaydb::moveSceneCardToBoard(const SceneCarddb* card)
{
    return moveRecord(litterBox_, sceneCards_, card);
}

bool Screenplaydb::moveSceneCardToLitterBox(const SceneCarddb* card)
{
    return moveRecord(sceneCards_, litterBox_, card);
}

void Screenplaydb::sortAndRenumberBoard()
{
    sortRecords(sceneCards_, &SceneCarddb::sortByLocation);
    resetOnBoardSceneCardSortOrder();
}

bool Screenplaydb::putCardOnBoard(SceneCarddb& card, const CardPlace& inLitterBox)
{
    if (!moveSceneCardToBoard(&card)) {
        inLitterBox.restore(card);
        return false;
    }
    try {
        StoryTransaction transaction(database_);
        card.setOnBoard(1);
        card.save();
        sortAndRenumberBoard();
        transaction.commit();
    } catch (...) {
        // Undone in the file: the card is back in the Litter Box, where it was.
        inLitterBox.restore(card);
        moveSceneCardToLitterBox(&card);
        throw;
    }
    return true;
}

void Screenplaydb::resetOnBoardSceneCardSortOrder()
{
    // Remember what memory held, so a failed renumbering leaves memory matching the file.
    struct Previous {
        std::int64_t sortOrder;
        bool dirty;
    };
    std::vector<Previous> previous;
    previous.reserve(sceneCards_.size());
    for (const auto& card : sceneCards_)
        previous.push_back({card->sortOrder(), card->isDirty()});

    // One transaction with the file's normal durability: the renumbering reaches the disk whole
    // or not at all.
    try {
        StoryTransaction renumbering(database_);
        std::int64_t sortOrder = 0;
        for (auto& card : sceneCards_) {
            card->setSortOrder(++sortOrder);
            card->save();
        }
        renumbering.commit();
    } catch (...) {
        for (std::size_t i = 0; i < sceneCards_.size(); ++i) {
            sceneCards_[i]->setSortOrder(previous[i].sortOrder);
            sceneCards_[i]->setIsDirty(previous[i].dirty);
        }
        throw;
    }
}

void Screenplaydb::updateProgress()
{
    std::int64_t stage = 2;
    for (const auto& beat : beats_) {
        if (beat->description().isEmpty()) {
            const Loglinedb* logline = currentLogline();
            const bool started = !screenplayTitle_.isEmpty() && logline && !logline->logline().isEmpty() &&
                                 !genre_.isEmpty();
            stage = started ? 1 : 0;
            break;
        }
    }
    setProgressStage(stage);
    save();
}

std::int64_t Screenplaydb::sceneLocationIDForNewLocation(const QString& name)
{
    if (const SceneLocationdb* existing = firstWhere(sceneLocations_, [&](const SceneLocationdb& l) {
            return l.location().compare(name, Qt::CaseInsensitive) == 0;
        }))
        return existing->sceneLocationID();
    auto location = std::make_unique<SceneLocationdb>();
    location->setScreenplayID(screenplayID_);
    location->setLocation(name);
    location->insertIntoDatabase(this);
    const std::int64_t key = location->sceneLocationID();
    sceneLocations_.push_back(std::move(location));
    sortRecords(sceneLocations_, &SceneLocationdb::sortLocationsByName);
    return key;
}

// --- Deletes ---------------------------------------------------------------------------------

void Screenplaydb::clearFiltersPointingAt(std::int64_t* filter, std::int64_t key)
{
    // A list filter on a record that is gone would hide every card; show them all again.
    if (key != 0 && *filter == key) {
        *filter = 0;
        isDirty_ = true;
        save();
    }
}

bool Screenplaydb::deleteCharacter(Characterdb* character)
{
    // Every row goes first; memory follows only once the file has kept the change, so a failed
    // write leaves the story in memory as the file still has it.
    const std::int64_t key = character->characterID();
    auto ownLink = [key](const auto& link) { return link.characterID() == key; };
    {
        UndoOnFailure undo;
        StoryTransaction removal(database_);
        deleteRowsWhere(characterObjects_, ownLink);
        deleteRowsWhere(sceneCardCharacters_, ownLink);
        deleteRowsNaming("Character", key);
        character->deleteFromDatabase();
        undo.add([this, old = boardListFilterCharacterID_, dirty = isDirty_] {
            boardListFilterCharacterID_ = old;
            isDirty_ = dirty;
        });
        clearFiltersPointingAt(&boardListFilterCharacterID_, key);
        removal.commit();
        undo.keep();
    }
    character->characterObjects().clear();
    for (auto* cards : {&sceneCards_, &litterBox_})
        for (auto& card : *cards)
            std::erase_if(card->sceneCardCharacters(), [&](const SceneCardCharacterdb* l) { return ownLink(*l); });
    dropWhere(characterObjects_, ownLink);
    dropWhere(sceneCardCharacters_, ownLink);
    takeRecord(characters_, character);
    return true;
}

bool Screenplaydb::deleteLocation(SceneLocationdb* location)
{
    const std::int64_t key = location->sceneLocationID();
    // The location's attachment links go with it, so a later location that reuses the key
    // does not inherit them.
    auto ownLink = [key](const SceneLocationObjectdb& link) { return link.sceneLocationID() == key; };
    {
        UndoOnFailure undo;
        StoryTransaction removal(database_);
        location->deleteFromDatabase();
        deleteRowsWhere(sceneLocationObjects_, ownLink);
        deleteRowsNaming("SceneLocation", key);
        for (auto* cards : {&sceneCards_, &litterBox_})
            for (auto& card : *cards)
                if (card->sceneLocationID() == key)
                    changeAndSave(undo, *card, &SceneCarddb::sceneLocationID, &SceneCarddb::setSceneLocationID,
                                  std::int64_t{0});
        undo.add([this, old = boardListFilterLocationID_, dirty = isDirty_] {
            boardListFilterLocationID_ = old;
            isDirty_ = dirty;
        });
        clearFiltersPointingAt(&boardListFilterLocationID_, key);
        removal.commit();
        undo.keep();
    }
    location->locationObjects().clear();
    dropWhere(sceneLocationObjects_, ownLink);
    takeRecord(sceneLocations_, location);
    return true;
}

bool Screenplaydb::deleteSceneSetup(SceneSetupdb* setup)
{
    SetupPayoffLinks::deleteSetup(*this, *setup);
    return true;
}

bool Screenplaydb::deleteScenePayoff(ScenePayoffdb* payoff)
{
    SetupPayoffLinks::deletePayoff(*this, *payoff);
    return true;
}

void Screenplaydb::deleteRowsReferring(const char* name, const char* sql, std::int64_t key)
{
    StatementUse remove(statement(name, sql, kSource), database_);
    remove.bind(1, key);
    if (!remove.stepDone())
        raiseDatabaseError(kSource, "Error: failed to delete from database with message '%s'.", database_);
}

namespace {

// The tables whose records other rows name by key, in the order of Screenplaydb::namedKeys_.
// Each key column is named after its table: the table's name and "ID".
constexpr std::array<const char*, 4> kNamedTables = {"AttachedObject", "Character", "SceneLocation", "SceneCard"};

// The rows that name a record by its key, by the record's table: the rows' table, and the name of
// the statement that deletes them.
struct RowsNaming {
    const char* table;
    const char* rows;
    const char* name;
};
constexpr RowsNaming kRowsNaming[] = {
    {"AttachedObject", "CharacterObject", "screenplay_deleteCharacterObjects_statement"},
    {"AttachedObject", "SceneLocationObject", "screenplay_deleteLocationObjects_statement"},
    {"AttachedObject", "SceneCardObject", "screenplay_deleteSceneCardObjects_statement"},
    {"Character", "CharacterObject", "screenplay_deleteObjectsOfCharacter_statement"},
    {"Character", "SceneCardCharacter", "screenplay_deleteScenesOfCharacter_statement"},
    {"SceneLocation", "SceneLocationObject", "screenplay_deleteObjectsOfLocation_statement"},
    {"SceneCard", "SceneCardObject", "screenplay_deleteObjectsOfCard_statement"},
    {"SceneCard", "SceneCardCharacter", "screenplay_deleteCharactersOfCard_statement"},
    {"SceneCard", "ScriptPart", "screenplay_deleteScriptParts_statement"},
};

std::string keyColumn(const char* table)
{
    return std::string(table) + "ID";
}

// The delete of each entry of kRowsNaming.
const std::vector<std::string>& rowsNamingDeletes()
{
    static const std::vector<std::string> deletes = [] {
        std::vector<std::string> sql;
        for (const RowsNaming& rows : kRowsNaming)
            sql.push_back(std::string("DELETE FROM ") + rows.rows + " WHERE " + keyColumn(rows.table) + "=?");
        return sql;
    }();
    return deletes;
}

// For each named table in order, its largest key, then the largest key the rows naming it name
// (0 for none).
const std::string& namedKeysSql()
{
    static const std::string sql = [] {
        std::string columns;
        for (const char* table : kNamedTables) {
            const std::string key = keyColumn(table);
            std::string named = "0";
            for (const RowsNaming& rows : kRowsNaming)
                if (std::strcmp(rows.table, table) == 0)
                    named += ",coalesce((SELECT max(" + key + ") FROM " + rows.rows + "),0)";
            columns += std::string(columns.empty() ? "" : ",") + "coalesce((SELECT max(" + key + ") FROM " + table +
                       "),0),max(" + named + ")";
        }
        return "SELECT " + columns;
    }();
    return sql;
}

} // namespace

void Screenplaydb::clearRowsNaming(const char* table, std::int64_t key)
{
    for (std::size_t at = 0; at < std::size(kRowsNaming); ++at)
        if (std::strcmp(kRowsNaming[at].table, table) == 0)
            deleteRowsReferring(kRowsNaming[at].name, rowsNamingDeletes()[at].c_str(), key);
}

void Screenplaydb::deleteRowsNaming(const char* table, std::int64_t key)
{
    clearRowsNaming(table, key);
    // The table's largest key may be gone: until the next new record, SQLite's next key is unknown.
    NamedKeys& keys = namedKeysOf(table);
    if (keys.largest && key >= *keys.largest)
        keys.largest.reset();
}

Screenplaydb::NamedKeys& Screenplaydb::namedKeysOf(const char* table)
{
    for (std::size_t at = 0; at < kNamedTables.size(); ++at)
        if (std::strcmp(kNamedTables[at], table) == 0)
            return namedKeys_[at];
    throw DatabaseError(QString::fromUtf8(kSource), 0,
                        QStringLiteral("Error: no other rows name the records of %1.").arg(QString::fromUtf8(table)));
}

void Screenplaydb::learnNamedKeys()
{
    // Read once, as the story opens. A file without these tables learns nothing, and every new
    // record of it clears whatever lies under its key.
    namedKeys_ = {};
    sqlite3_stmt* keys = nullptr;
    if (sqlite3_prepare_v2(database_, namedKeysSql().c_str(), -1, &keys, nullptr) == SQLITE_OK &&
        sqlite3_step(keys) == SQLITE_ROW)
        for (std::size_t at = 0; at < namedKeys_.size(); ++at) {
            namedKeys_[at].largest = sqlite3_column_int64(keys, static_cast<int>(2 * at));
            namedKeys_[at].namedUpTo = sqlite3_column_int64(keys, static_cast<int>(2 * at + 1));
        }
    sqlite3_finalize(keys);
}

std::int64_t Screenplaydb::insertNamedRecord(const char* table, std::optional<std::int64_t> givenKey,
                                             const std::function<std::int64_t()>& step)
{
    NamedKeys& keys = namedKeysOf(table);
    const auto taken = [&keys, givenKey](std::int64_t key) {
        // A key SQLite chose is the table's largest; a given one raises the largest known.
        if (keys.largest)
            keys.largest = std::max(*keys.largest, key);
        else if (!givenKey)
            keys.largest = key;
    };
    const std::int64_t most = std::numeric_limits<std::int64_t>::max();
    const bool above = givenKey ? *givenKey > keys.namedUpTo
                                : keys.largest && *keys.largest >= keys.namedUpTo && *keys.largest < most;
    if (above) {
        // The insert alone is the whole change.
        const std::int64_t key = step();
        taken(key);
        if (key > keys.namedUpTo)
            return key;
        // The file changed under the story: what lies under the key goes after all.
        StoryTransaction clearing(database_);
        clearRowsNaming(table, key);
        clearing.commit();
        return key;
    }
    StoryTransaction adding(database_);
    const std::int64_t key = step();
    clearRowsNaming(table, key);
    adding.commit();
    taken(key);
    return key;
}

bool Screenplaydb::deleteSceneCard(SceneCarddb* card, const std::function<void()>& written)
{
    // The rows go first; memory follows once the file has kept the change, so a failed write
    // leaves the story in memory as the file still has it.
    const std::int64_t key = card->sceneCardID();
    auto ofCard = [key](const auto& link) { return link.sceneCardID() == key; };
    {
        UndoOnFailure undo;
        StoryTransaction removal(database_);
        card->deleteFromDatabase();
        deleteRowsWhere(sceneCardObjects_, ofCard);
        deleteRowsWhere(sceneCardCharacters_, ofCard);
        for (auto& setup : sceneSetups_)
            if (setup->sceneCardID() == key)
                changeAndSave(undo, *setup, &SceneSetupdb::sceneCardID, &SceneSetupdb::setSceneCardID, std::int64_t{0});
        for (auto& payoff : scenePayoffs_)
            if (payoff->sceneCardID() == key)
                changeAndSave(undo, *payoff, &ScenePayoffdb::sceneCardID, &ScenePayoffdb::setSceneCardID,
                              std::int64_t{0});
        // The card's script and its unloaded links go with it: a later card that reuses the key
        // must start empty.
        deleteRowsNaming("SceneCard", key);
        if (bigSceneSceneCardID_ == key) {
            undo.add([this, card = bigSceneSceneCardID_, view = bigSceneView_, dirty = isDirty_] {
                setBigSceneSceneCardID(card);
                setBigSceneView(view);
                isDirty_ = dirty;
            });
            setBigSceneSceneCardID(0);
            setBigSceneView(0);
            save();
        }
        removal.commit();
        undo.keep();
    }
    if (written)
        written();
    card->sceneCardObjects().clear();
    card->sceneCardCharacters().clear();
    dropWhere(sceneCardObjects_, ofCard);
    dropWhere(sceneCardCharacters_, ofCard);
    card->scriptParts().clear();
    listViewCards_.erase(std::remove(listViewCards_.begin(), listViewCards_.end(), card), listViewCards_.end());
    if (card->onBoard() == 2)
        takeRecord(litterBox_, card);
    else
        takeRecord(sceneCards_, card);
    return true;
}

bool Screenplaydb::deleteStickyNote(StickyNotedb* note)
{
    note->deleteFromDatabase();
    takeRecord(stickyNotes_, note);
    return true;
}

bool Screenplaydb::deleteLogline(Loglinedb* logline)
{
    // The rows go first; the story's list follows once the file has kept the change, so a
    // failed write leaves the list as the file still has it.
    std::unique_ptr<Loglinedb> replacement;
    {
        UndoOnFailure undo;
        StoryTransaction removal(database_);
        if (logLines_.size() <= 1) {
            // A story keeps at least one logline.
            replacement = std::make_unique<Loglinedb>();
            replacement->setScreenplayID(screenplayID_);
            replacement->setCurrentLoglineFlag(1);
            replacement->insertIntoDatabase(this);
        }
        logline->deleteFromDatabase();
        const auto others = [logline](const Loglinedb& other) { return &other != logline; };
        const bool anotherIsCurrent = firstWhere(logLines_, [&](const Loglinedb& other) {
            return others(other) && other.currentLoglineFlag() == 1;
        }) != nullptr;
        // The current logline's place goes to the first of the others.
        Loglinedb* next = firstWhere(logLines_, others);
        if (!replacement && logline->currentLoglineFlag() == 1 && !anotherIsCurrent && next)
            changeAndSave(undo, *next, &Loglinedb::currentLoglineFlag, &Loglinedb::setCurrentLoglineFlag,
                          std::int64_t{1});
        removal.commit();
        undo.keep();
    }
    takeRecord(logLines_, logline);
    if (replacement)
        logLines_.push_back(std::move(replacement));
    return true;
}

bool Screenplaydb::deleteColorCode(ColorCodedb* colorCode)
{
    const std::int64_t key = colorCode->colorCodeID();
    {
        UndoOnFailure undo;
        StoryTransaction removal(database_);
        for (auto* cards : {&sceneCards_, &litterBox_}) {
            for (auto& card : *cards) {
                for (int slot = 1; slot <= 6; ++slot) {
                    if (card->colorLegendID(slot) != key)
                        continue;
                    undo.add([record = card.get(), slot, key, dirty = card->isDirty()] {
                        record->setColorLegendID(slot, key);
                        record->setIsDirty(dirty);
                    });
                    card->setColorLegendID(slot, 0);
                }
                card->save();
            }
        }
        colorCode->deleteFromDatabase();
        undo.add([this, old = boardListFilterColorID_, dirty = isDirty_] {
            boardListFilterColorID_ = old;
            isDirty_ = dirty;
        });
        clearFiltersPointingAt(&boardListFilterColorID_, key);
        removal.commit();
        undo.keep();
    }
    takeRecord(colorCodes_, colorCode);
    return true;
}

namespace {

// Deletes the rows of the links to an attachment; an owner left with exactly one link gets
// that one as its picture (given back in memory when the group fails).
template <typename Link, typename OwnerKey>
void deleteAttachmentLinkRows(UndoOnFailure& undo, const RecordList<Link>& links, std::int64_t attachedObjectID,
                              OwnerKey ownerOf)
{
    std::vector<std::int64_t> owners;
    for (const auto& link : links) {
        if (link->attachedObjectID() == attachedObjectID) {
            link->deleteFromDatabase();
            owners.push_back(ownerOf(*link));
        }
    }
    for (const std::int64_t owner : owners) {
        std::vector<Link*> remaining;
        for (const auto& link : links)
            if (ownerOf(*link) == owner && link->attachedObjectID() != attachedObjectID)
                remaining.push_back(link.get());
        if (remaining.size() == 1)
            changeAndSave(undo, *remaining.front(), &Link::primaryDisplayFlag, &Link::setPrimaryDisplayFlag,
                          std::int64_t{1});
    }
}

} // namespace

bool Screenplaydb::deleteAttachedObject(AttachedObjectdb* attachment)
{
    const std::int64_t key = attachment->attachedObjectID();
    auto toIt = [key](const auto& link) { return link.attachedObjectID() == key; };
    {
        UndoOnFailure undo;
        StoryTransaction removal(database_);
        deleteAttachmentLinkRows(undo, characterObjects_, key,
                                 [](const CharacterObjectdb& l) { return l.characterID(); });
        deleteAttachmentLinkRows(undo, sceneLocationObjects_, key,
                                 [](const SceneLocationObjectdb& l) { return l.sceneLocationID(); });
        deleteAttachmentLinkRows(undo, sceneCardObjects_, key,
                                 [](const SceneCardObjectdb& l) { return l.sceneCardID(); });
        // Links whose owner is already gone are not loaded; remove them too, so that an
        // attachment that later reuses the key does not inherit them.
        deleteRowsNaming("AttachedObject", key);
        attachment->deleteFromDatabase();
        removal.commit();
        undo.keep();
    }
    // The owners' own lists point at the links; drop those pointers before the links.
    for (auto& character : characters_)
        std::erase_if(character->characterObjects(), [&](const CharacterObjectdb* l) { return toIt(*l); });
    for (auto& location : sceneLocations_)
        std::erase_if(location->locationObjects(), [&](const SceneLocationObjectdb* l) { return toIt(*l); });
    for (auto* cards : {&sceneCards_, &litterBox_})
        for (auto& card : *cards)
            std::erase_if(card->sceneCardObjects(), [&](const SceneCardObjectdb* l) { return toIt(*l); });
    dropWhere(characterObjects_, toIt);
    dropWhere(sceneLocationObjects_, toIt);
    dropWhere(sceneCardObjects_, toIt);
    takeRecord(attachedObjects_, attachment);
    return true;
}
