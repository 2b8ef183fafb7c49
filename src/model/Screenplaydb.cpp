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
#include "ScriptElementdb.h"
#include "ScriptPartdb.h"
#include "SqliteStatement.h"
#include "StickyNotedb.h"
#include "StoredRange.h"
#include "StoryLog.h"
#include "StoryTransaction.h"
#include "Toolkit.h"


#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

const char* const kSource = "Screenplaydb";
const char* const kPrepareMessage = "Error: failed to prepare statement with message '%s'.";
const char* const kCollectionPrepareMessage = "Error: failed to prepare courses statement with message '%s'.";

QString displayDate(const QString& stored)
{
    return Toolkit().convertDateString(stored, QString::fromLatin1(DateUtilities::kDisplayDateFormat));
}

QString storedDate(const QString& display)
{
    return Toolkit()
        .convertDateStringForSaving(display, QString::fromLatin1(DateUtilities::kDisplayDateFormat))
        .value_or(QString::fromLatin1(DateUtilities::kNoDate));
}

QString today()
{
    return DateUtilities::format(DateUtilities::now(), QString::fromLatin1(DateUtilities::kDisplayDateFormat));
}

} // namespace

Screenplaydb::Screenplaydb()
    : boardSections_(std::make_unique<BoardSections>())
{
    boardSections_->setPageCount(pageCount_);
}

Screenplaydb::~Screenplaydb()
{
    finalizeAllSqliteStatements();
}

// --- Opening ---------------------------------------------------------------------------------

void Screenplaydb::initWithDatabase(sqlite3* database)
{
    database_ = database;
    readTitleRow();
    upgradeSchema(database_);
    learnNamedKeys();
    isDirty_ = false;
}

void Screenplaydb::initWithFile(const QString& path)
{
    fileName_ = path;
    try {
        ownConnection_ = StoryFile::open(path);
    } catch (const DatabaseError& error) {
        qCWarning(lcStory).noquote() << QStringLiteral("Error: %1").arg(error.message());
        return;
    }
    initWithDatabase(ownConnection_.get());
}

void Screenplaydb::closeDatabase()
{
    finalizeAllSqliteStatements();
    if (database_ == ownConnection_.get())
        database_ = nullptr;
    ownConnection_.close();
}

void Screenplaydb::reopenDatabase()
{
    finalizeAllSqliteStatements();
    ownConnection_ = StoryFile::open(fileName_);
    database_ = ownConnection_.get();
}

void Screenplaydb::setDatabase(sqlite3* database)
{
    if (database != database_) {
        finalizeAllSqliteStatements();
        // Nothing is known of the keys of another file.
        namedKeys_ = {};
    }
    database_ = database;
}

void Screenplaydb::readTitleRow()
{
    StatementUse row(statement("screenplay_init_statement",
                               "SELECT ScreenplayID,ScreenplayTitle, ProgressStage, ReviewType, LastModifiedDate FROM Screenplay",
                               kSource),
                     database_);
    if (row.stepRow()) {
        screenplayID_ = row.columnInt(0);
        screenplayTitle_ = row.columnText(1);
        progressStage_ = row.columnInt(2);
        reviewType_ = row.columnInt(3);
        lastModifiedDate_ = displayDate(row.columnText(4));
    } else {
        screenplayID_ = 0;
        screenplayTitle_.clear();
        progressStage_ = 0;
        reviewType_ = 0;
    }
}

namespace {

using FinalizedStatement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// A question about the story's schema, prepared, or raised when it cannot be.
FinalizedStatement schemaQuery(sqlite3* database, const char* sql)
{
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(database, sql, -1, &query, nullptr) != SQLITE_OK) {
        sqlite3_finalize(query);
        raiseDatabaseError(kSource, "Error: failed to read the story's schema with message '%s'.", database);
    }
    return FinalizedStatement(query, sqlite3_finalize);
}

bool schemaHas(sqlite3* database, const char* sql)
{
    const FinalizedStatement query = schemaQuery(database, sql);
    StatementUse use(query.get(), database);
    return use.stepRow() && use.columnInt(0) > 0;
}

void execOrRaise(sqlite3* database, const char* sql)
{
    if (sqlite3_exec(database, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseDatabaseError(kSource, "Error: failed to bring the story's schema up to date with message '%s'.",
                           database);
}

// The indexes of the present schema. A scene's paragraphs are read by card and in their order;
// the link tables and the set-ups, whose rows look alike from table to table and may name
// records that are gone, have an index each, so that SQLite's own check sees a page of one of
// them read in the place of another's.
struct Index {
    const char* name;
    const char* table;
    const char* columns;
};
constexpr Index kIndexes[] = {
    {"idxScriptPartSortOrder", "ScriptPart", "ScriptPartID,SortOrder"},
    {"idxScriptPartSceneCard", "ScriptPart", "SceneCardID,SortOrder"},
    {"idxCharacterObjectCharacter", "CharacterObject", "CharacterID,AttachedObjectID"},
    {"idxSceneLocationObjectLocation", "SceneLocationObject", "SceneLocationID,AttachedObjectID"},
    {"idxSceneCardObjectSceneCard", "SceneCardObject", "SceneCardID,AttachedObjectID"},
    {"idxSceneCardCharacterSceneCard", "SceneCardCharacter", "SceneCardID,CharacterID"},
    {"idxSceneSetupSceneCard", "SceneSetup", "SceneCardID,ScenePayoffID"},
};

// The indexes of kIndexes the file lacks, of the tables it has.
std::vector<const Index*> missingIndexes(sqlite3* database)
{
    const FinalizedStatement query =
        schemaQuery(database, "SELECT type, name FROM sqlite_master WHERE type IN ('index','table')");
    std::vector<QString> indexes;
    std::vector<QString> tables;
    {
        StatementUse use(query.get(), database);
        while (use.stepRow())
            (use.columnText(0) == QLatin1String("index") ? indexes : tables).push_back(use.columnText(1));
    }
    const auto holds = [](const std::vector<QString>& names, const char* name) {
        return std::find(names.begin(), names.end(), QLatin1String(name)) != names.end();
    };
    std::vector<const Index*> missing;
    for (const Index& index : kIndexes)
        if (!holds(indexes, index.name) && holds(tables, index.table))
            missing.push_back(&index);
    return missing;
}

} // namespace

void Screenplaydb::upgradeSchema(sqlite3* database)
{
    if (!database)
        return;
    // Opening writes nothing unless the file lacks part of the present schema.
    const std::vector<const Index*> indexes = missingIndexes(database);
    const bool mimeType =
        schemaHas(database, "SELECT count(*) FROM pragma_table_info('AttachedObject') WHERE name='MimeType'");
    if (indexes.empty() && mimeType)
        return;
    StoryTransaction upgrade(database);
    for (const Index* index : indexes)
        execOrRaise(database, (QByteArray("CREATE INDEX ") + index->name + " on " + index->table + " (" +
                               index->columns + ")")
                                  .constData());
    if (!mimeType)
        execOrRaise(database, "ALTER TABLE AttachedObject ADD MimeType varchar(30) not null default ''");
    upgrade.commit();
}

// --- Loading ---------------------------------------------------------------------------------

void Screenplaydb::hydrate()
{
    if (hydrated_)
        return;
    bool rowRead = false;
    {
        // One read transaction: a single lock for the whole load, and one consistent picture.
        StoryTransaction reading(database_);
        rowRead = readRowFields();
        if (rowRead) {
            makeBoardSections();
            loadCollections();
        } else {
            applyNoRowDefaults();
        }
        reading.commit();
    }
    hydrated_ = true;
    // Opening rewrites the story's row: the day of opening becomes its last-modified date, a
    // zoom factor of 0 is stored as the 1 it was read as, and the progress stage is brought up
    // to date. A file whose values had to be brought into range is left as it is until the user
    // changes something. A file without a row (a new story whose making stopped before the row
    // was made) gets it here, with the values it was read with: the story then has a key for
    // the records made in it, and every later save has a row to write.
    rowMissing_ = !rowRead;
    isDirty_ = rowMissing_ || loadAdjustments_.isEmpty();
    updateProgress();
}

bool Screenplaydb::readRowFields()
{
    StatementUse row(
        statement("screenplay_hydrate_statement",
                  "SELECT ScreenplayGUID,VantoraVersion,PageCount,GeneralNotes,Genre,CreateDate,ProgressStage,"
                  "OwnerSerialNumber,OwnerFirstName,OwnerLastName,ReturnDestination,BoardWidth,BoardHeight,WindowState,"
                  "BoardZoomFactor,LogLineSplitterDistance,GeneralNotesSplitterDistance,BeatsSplitterDistance,"
                  "BoardSplitterDistance,ParentWindowHeight,ParentWindowWidth,GeneralNotesHeight,GeneralNotesWidth,"
                  "BoardView,BigSceneView,BigSceneSceneCardID,BoardListSortMethod,BoardListFilterColorID,"
                  "BoardListFilterCharacterID,BoardListFilterLocationID,StandardFontSetting,R3X5IncludeNotes,"
                  "R3X5IncludeCharacters,R4x6IncludeNotes,R4x6IncludeCharacters,A3x5IncludeNotes,A3x5IncludeCharacters,"
                  "ABCIncludeNotes,ABCIncludeCharacters,GreenlightChecklistPercentageHorizontal,"
                  "GreenlightChecklistPercentageVertical,BeatSectionShowing,BeatSectionCharacterID,BeatSectionLocationID "
                  "FROM Screenplay WHERE ScreenPlayID=?",
                  kSource),
        database_);
    row.bind(1, screenplayID_);
    if (!row.stepRow())
        return false;
    {
        bool adjusted = false;
        auto checked = [&adjusted](std::int64_t value, std::int64_t low, std::int64_t high) {
            return StoredRange::clamp(value, low, high, adjusted);
        };
        auto size = [&](std::int64_t value) { return checked(value, 0, StoredRange::kMostSize); };
        auto key = [&](std::int64_t value) { return checked(value, 0, std::numeric_limits<std::int64_t>::max()); };
        int c = 0;
        setScreenplayGUID(row.columnText(c++));
        setVantoraVersion(row.columnText(c++));
        setPageCount(checked(row.columnInt(c++), StoredRange::kLeastPageCount, StoredRange::kMostPageCount));
        setGeneralNotes(row.columnText(c++));
        setGenre(row.columnText(c++));
        setCreateDate(displayDate(row.columnText(c++)));
        setProgressStage(row.columnInt(c++));
        setOwnerSerialNumber(row.columnText(c++));
        setOwnerFirstName(row.columnText(c++));
        setOwnerLastName(row.columnText(c++));
        setReturnDestination(row.columnInt(c++));
        const std::int64_t boardWidth = size(row.columnInt(c++));
        setBoardSize(boardWidth, size(row.columnInt(c++)));
        setWindowState(row.columnInt(c++));
        setBoardZoomFactor(checked(row.columnInt(c++), 0, 4));
        setLogLineSplitterDistance(size(row.columnInt(c++)));
        setGeneralNotesSplitterDistance(size(row.columnInt(c++)));
        setBeatsSplitterDistance(size(row.columnInt(c++)));
        setBoardSplitterDistance(size(row.columnInt(c++)));
        setParentWindowHeight(size(row.columnInt(c++)));
        setParentWindowWidth(size(row.columnInt(c++)));
        setGeneralNotesHeight(size(row.columnInt(c++)));
        setGeneralNotesWidth(size(row.columnInt(c++)));
        setBoardView(row.columnInt(c++));
        setBigSceneView(row.columnInt(c++));
        setBigSceneSceneCardID(key(row.columnInt(c++)));
        setBoardListSortMethod(row.columnInt(c++));
        setBoardListFilterColorID(key(row.columnInt(c++)));
        setBoardListFilterCharacterID(key(row.columnInt(c++)));
        setBoardListFilterLocationID(key(row.columnInt(c++)));
        setStandardFontSetting(checked(row.columnInt(c++), 1, 4));
        setR3x5IncludeNotes(row.columnInt(c++));
        setR3x5IncludeCharacters(row.columnInt(c++));
        setR4x6IncludeNotes(row.columnInt(c++));
        setR4x6IncludeCharacters(row.columnInt(c++));
        setA3x5IncludeNotes(row.columnInt(c++));
        setA3x5IncludeCharacters(row.columnInt(c++));
        setABCIncludeNotes(row.columnInt(c++));
        setABCIncludeCharacters(row.columnInt(c++));
        setGreenlightChecklistPercentageHorizontal(StoredRange::fraction(row.columnDouble(c++), adjusted));
        setGreenlightChecklistPercentageVertical(StoredRange::fraction(row.columnDouble(c++), adjusted));
        setBeatSectionShowing(row.columnInt(c++));
        setBeatSectionCharacterID(key(row.columnInt(c++)));
        setBeatSectionLocationID(key(row.columnInt(c++)));
        if (adjusted)
            noteAdjustment(QStringLiteral("Settings of the story that were out of range have been reset."));
        return true;
    }
    return false;
}

void Screenplaydb::applyNoRowDefaults()
{
    pageCount_ = 110;
    boardWidth_ = 1840;
    boardHeight_ = 685;
    passBoardSizeOn();
    windowState_ = 0;
    boardZoomFactor_ = 0;
    logLineSplitterDistance_ = 60;
    generalNotesSplitterDistance_ = 580;
    beatsSplitterDistance_ = 440;
    boardSplitterDistance_ = 486;
    parentWindowHeight_ = 0;
    parentWindowWidth_ = 0;
    generalNotesHeight_ = 1600;
    generalNotesWidth_ = 1900;
}

void Screenplaydb::makeBoardSections()
{
    auto sections = std::make_unique<BoardSections>();
    sections->setPageCount(pageCount_);
    if (boardZoomFactor_ == 0)
        setBoardZoomFactor(1);
    sections->setBoardZoomFactor(boardZoomFactor_);
    boardSections_ = std::move(sections);
    passBoardSizeOn();
}

namespace {

template <typename Record, typename Key>
std::unordered_map<std::int64_t, Record*> byKey(const RecordList<Record>& records, Key key)
{
    std::unordered_map<std::int64_t, Record*> index;
    index.reserve(records.size());
    for (const auto& record : records)
        index.emplace(((*record).*key)(), record.get());
    return index;
}

} // namespace

template <typename Record>
RecordList<Record> Screenplaydb::loadRecords(const char* name, const std::string& sql, bool bindStory)
{
    StatementUse query(statement(name, sql.c_str(), kSource, kCollectionPrepareMessage), database_);
    if (bindStory)
        query.bind(1, screenplayID_);
    const int keyColumn = query.columnCount() - 1;
    RecordList<Record> records;
    while (query.stepRow()) {
        auto record = std::make_unique<Record>();
        record->loadRow(query.columnInt(keyColumn), this, &query);
        records.push_back(std::move(record));
    }
    return records;
}

void Screenplaydb::loadCollections()
{
    // One statement per table; the records are tied together through hash maps afterwards, so
    // loading grows with the size of the story, never with its square. Links come in the order
    // they were written, whichever index SQLite reads them by.
    const char* const ofStory = "WHERE ScreenplayID=?";
    logLines_ = loadRecords<Loglinedb>(
        "screenplay_logline_statement",
        selectAllSql(Loglinedb::selectByKeySql(), "WHERE ScreenplayID=? ORDER BY LogLineID"), true);

    greenlightChecklistQuestions_ = loadRecords<GreenlightChecklistQuestiondb>(
        "screenplay_greenlight_statement",
        selectAllSql(GreenlightChecklistQuestiondb::selectByKeySql(), "WHERE ScreenplayID=? ORDER BY QuestionNumber"),
        true);
    // Stories made before the checklist had 55 questions get the last five, unanswered.
    if (greenlightChecklistQuestions_.size() == 50) {
        for (std::int64_t number = 51; number <= 55; ++number) {
            auto question = std::make_unique<GreenlightChecklistQuestiondb>();
            question->setScreenplayID(screenplayID_);
            question->setQuestionNumber(number);
            question->setAnswer(QStringLiteral("N"));
            question->insertIntoDatabase(this);
            greenlightChecklistQuestions_.push_back(std::move(question));
        }
    }

    // Keys are used again, and a delete leaves links in the file that it did not load: a link
    // may name an attachment or a character that is gone, whoever owns it. Such a link is left
    // out, as a link whose owner is gone is, and stays in the file untouched.
    attachedObjects_ = loadRecords<AttachedObjectdb>("screenplay_attachedObject_statement",
                                                     selectAllSql(AttachedObjectdb::selectByKeySql(), ofStory), true);
    const auto attachments = byKey(attachedObjects_, &AttachedObjectdb::attachedObjectID);
    const auto toAttachmentGone = [&attachments](const auto& link) {
        return attachments.count(link->attachedObjectID()) == 0;
    };

    characterObjects_ = loadRecords<CharacterObjectdb>(
        "screenplay_characterObject_statement",
        "SELECT CharacterID,AttachedObjectID,Description,PrimaryDisplayFlag,CharacterObjectID FROM CharacterObject",
        false);
    characterObjects_.eraseIf(toAttachmentGone);
    characters_ = loadRecords<Characterdb>("screenplay_character_statement",
                                           selectAllSql(Characterdb::selectByKeySql(), ofStory), true);
    const auto characters = byKey(characters_, &Characterdb::characterID);
    for (auto& link : characterObjects_)
        if (auto found = characters.find(link->characterID()); found != characters.end())
            found->second->characterObjects().push_back(link.get());
    sortRecords(characters_, &Characterdb::sortCharactersByName);

    sceneCardObjects_ = loadRecords<SceneCardObjectdb>(
        "screenplay_sceneCardObject_statement",
        "SELECT SceneCardObject.SceneCardID,AttachedObjectID,SceneCardObject.Description,PrimaryDisplayFlag,"
        "SceneCardObjectID FROM SceneCardObject INNER JOIN SceneCard ON "
        "SceneCardObject.SceneCardID = SceneCard.SceneCardID WHERE SceneCard.ScreenplayID=? ORDER BY SceneCardObjectID",
        true);
    sceneCardObjects_.eraseIf(toAttachmentGone);
    for (auto& link : sceneCardObjects_)
        link->setTitle(attachments.at(link->attachedObjectID())->title());

    sceneCardCharacters_ = loadRecords<SceneCardCharacterdb>(
        "screenplay_sceneCardCharacter_statement",
        "SELECT SceneCardCharacter.SceneCardID,CharacterID,SceneCardCharacter.Description,SceneCardCharacterID "
        "FROM SceneCardCharacter INNER JOIN SceneCard on SceneCardCharacter.SceneCardID = SceneCard.SceneCardID "
        "WHERE SceneCard.ScreenplayID=? ORDER BY SceneCardCharacterID",
        true);
    sceneCardCharacters_.eraseIf(
        [&characters](const auto& link) { return characters.count(link->characterID()) == 0; });
    for (auto& link : sceneCardCharacters_)
        link->setCharacterName(characters.at(link->characterID())->characterName());

    stickyNotes_ = loadRecords<StickyNotedb>("screenplay_stickyNote_statement",
                                             selectAllSql(StickyNotedb::selectByKeySql(), ofStory), true);

    sceneLocationObjects_ = loadRecords<SceneLocationObjectdb>(
        "screenplay_locationObject_statement",
        "SELECT SceneLocationObject.SceneLocationID,AttachedObjectID,SceneLocationObject.Description,"
        "PrimaryDisplayFlag,SceneLocationObjectID FROM SceneLocationObject INNER JOIN SceneLocation ON "
        "SceneLocationObject.SceneLocationID = SceneLocation.SceneLocationID WHERE ScreenplayID=? "
        "ORDER BY SceneLocationObjectID",
        true);
    sceneLocationObjects_.eraseIf(toAttachmentGone);
    sceneLocations_ = loadRecords<SceneLocationdb>("screenplay_location_statement",
                                                   selectAllSql(SceneLocationdb::selectByKeySql(), ofStory), true);
    {
        const auto locations = byKey(sceneLocations_, &SceneLocationdb::sceneLocationID);
        for (auto& link : sceneLocationObjects_)
            if (auto found = locations.find(link->sceneLocationID()); found != locations.end())
                found->second->locationObjects().push_back(link.get());
    }
    sortRecords(sceneLocations_, &SceneLocationdb::sortLocationsByName);

    scriptElements_ = loadRecords<ScriptElementdb>(
        "screenplay_element_statement",
        selectAllSql(ScriptElementdb::selectByKeySql(), "ORDER BY ScriptElementID"), false);
    colorCodes_ = loadRecords<ColorCodedb>("screenplay_colorCode_statement",
                                           selectAllSql(ColorCodedb::selectByKeySql(), ofStory), true);
    beats_ = loadRecords<Beatdb>("screenplay_beat_statement", selectAllSql(Beatdb::selectByKeySql(), ofStory), true);
    sceneSetups_ = loadRecords<SceneSetupdb>("screenplay_setup_statement",
                                             selectAllSql(SceneSetupdb::selectByKeySql(), ""), false);
    scenePayoffs_ = loadRecords<ScenePayoffdb>("screenplay_payoff_statement",
                                               selectAllSql(ScenePayoffdb::selectByKeySql(), ""), false);
    linkSetupsAndPayoffs();

    // Every card of the story, in board order; a card whose place is unknown goes to the
    // Litter Box rather than out of sight.
    RecordList<SceneCarddb> cards = loadRecords<SceneCarddb>(
        "screenplay_sceneCards_statement",
        selectAllSql(SceneCarddb::selectByKeySql(), "WHERE ScreenplayID=? ORDER BY CurrentBeatSection,SortOrder"),
        true);
    sceneCards_.clear();
    litterBox_.clear();
    for (auto& card : cards.release()) {
        if (card->onBoard() != 1 && card->onBoard() != 2) {
            card->setOnBoard(2);
            card->setIsDirty(false);
            noteAdjustment(QStringLiteral("Cards whose place was unknown are in the Litter Box."));
        }
        (card->onBoard() == 1 ? sceneCards_ : litterBox_).push_back(std::move(card));
    }

    sortSetupsAndPayoffsByCard();
    listViewCards_.clear();
}

void Screenplaydb::loadAllScriptParts()
{
    std::unordered_map<std::int64_t, SceneCarddb*> waiting;
    for (auto* cards : {&sceneCards_, &litterBox_})
        for (auto& card : *cards)
            if (card->scriptParts().empty())
                waiting.emplace(card->sceneCardID(), card.get());
    if (waiting.empty())
        return;
    static const std::string sql = selectAllSql(ScriptPartdb::selectByKeySql(), "ORDER BY SceneCardID,SortOrder");
    StatementUse query(statement("screenplay_allScriptParts_statement", sql.c_str(), kSource), database_);
    const int keyColumn = query.columnCount() - 1;
    // The card column comes first in the part's columns; parts of cards that are not waiting
    // are skipped before a record is made.
    while (query.stepRow()) {
        const auto found = waiting.find(query.columnInt(0));
        if (found == waiting.end())
            continue;
        auto part = std::make_unique<ScriptPartdb>();
        part->loadRow(query.columnInt(keyColumn), this, &query);
        found->second->scriptParts().push_back(std::move(part));
    }
}

void Screenplaydb::linkSetupsAndPayoffs()
{
    const auto payoffs = byKey(scenePayoffs_, &ScenePayoffdb::scenePayoffID);
    for (auto& payoff : scenePayoffs_) {
        payoff->setSceneSetupID(0);
        payoff->setSceneSetup(QString(QLatin1String("")));
    }
    for (auto& setup : sceneSetups_) {
        // A set-up names its pay-off; the pay-off learns its set-up from the first that names
        // it. A link to a pay-off that is gone reads as no link, in memory only.
        if (setup->scenePayoffID() < 1)
            continue;
        const auto found = payoffs.find(setup->scenePayoffID());
        if (found == payoffs.end()) {
            setup->setScenePayoffID(0);
            setup->setIsDirty(false);
            continue;
        }
        ScenePayoffdb& payoff = *found->second;
        setup->setScenePayoff(payoff.scenePayoff());
        if (payoff.sceneSetupID() == 0) {
            payoff.setSceneSetupID(setup->sceneSetupID());
            payoff.setSceneSetup(setup->sceneSetup());
        }
    }
}

void Screenplaydb::sortSetupsAndPayoffsByCard()
{
    // The same order as sortBySceneCardID, with each card's sort order looked up once.
    std::unordered_map<std::int64_t, std::int64_t> sortOrders;
    for (auto* cards : {&litterBox_, &sceneCards_})
        for (auto& card : *cards)
            sortOrders[card->sceneCardID()] = card->sortOrder();
    auto orderOf = [&](std::int64_t sceneCardID) {
        const auto found = sortOrders.find(sceneCardID);
        return found != sortOrders.end() ? found->second : 0;
    };
    auto sortByCard = [&](auto& records, auto textOf) {
        records.stableSort([&](const auto& a, const auto& b) {
            const int byCard = compareSceneCardPlacement(a->sceneCardID(), orderOf(a->sceneCardID()), b->sceneCardID(),
                                                         orderOf(b->sceneCardID()));
            if (byCard != 0)
                return byCard < 0;
            return compareTextIgnoringCase(textOf(*a), textOf(*b)) < 0;
        });
    };
    sortByCard(sceneSetups_, [](const SceneSetupdb& setup) { return setup.sceneSetup(); });
    sortByCard(scenePayoffs_, [](const ScenePayoffdb& payoff) { return payoff.scenePayoff(); });
}

void Screenplaydb::noteAdjustment(const QString& note)
{
    if (!loadAdjustments_.contains(note))
        loadAdjustments_.append(note);
}

// --- Writing ---------------------------------------------------------------------------------

// Binds the 47 row fields in the order of the update and insert statements.
template <typename Use>
void Screenplaydb::bindRow(Use& statement) const
{
    statement.bindAll(1, screenplayGUID_, vantoraVersion_, screenplayTitle_, pageCount_, generalNotes_, genre_,
                      storedDate(createDate_), progressStage_, ownerSerialNumber_, ownerFirstName_, ownerLastName_,
                      returnDestination_, reviewType_, boardWidth_, boardHeight_, windowState_, boardZoomFactor_,
                      logLineSplitterDistance_, generalNotesSplitterDistance_, beatsSplitterDistance_,
                      boardSplitterDistance_, parentWindowHeight_, parentWindowWidth_, generalNotesHeight_,
                      generalNotesWidth_, storedDate(lastModifiedDate_), boardView_, bigSceneView_,
                      bigSceneSceneCardID_, boardListSortMethod_, boardListFilterColorID_,
                      boardListFilterCharacterID_, boardListFilterLocationID_, standardFontSetting_,
                      r3x5IncludeNotes_, r3x5IncludeCharacters_, r4x6IncludeNotes_, r4x6IncludeCharacters_,
                      a3x5IncludeNotes_, a3x5IncludeCharacters_, aBCIncludeNotes_, aBCIncludeCharacters_,
                      greenlightChecklistPercentageHorizontal_, greenlightChecklistPercentageVertical_,
                      beatSectionShowing_, beatSectionCharacterID_, beatSectionLocationID_);
}

void Screenplaydb::save()
{
    if (!hydrated_)
        return;
    // The row and every card, or none of them.
    StoryTransaction transaction(database_);
    const std::int64_t keyBefore = screenplayID_;
    if (isDirty_ && rowMissing_) {
        insertIntoDatabase(database_);
    } else if (isDirty_) {
        setLastModifiedDate(today());
        StatementUse update(
            statement("screenplay_save_statement",
                      "UPDATE Screenplay SET ScreenplayGUID=?,VantoraVersion=?,ScreenplayTitle=?,PageCount=?,"
                      "GeneralNotes=?,Genre=?,CreateDate=?,ProgressStage=?,OwnerSerialNumber=?,OwnerFirstName=?,"
                      "OwnerLastName=?,ReturnDestination=?,ReviewType=?,BoardWidth=?,BoardHeight=?,WindowState=?,"
                      "BoardZoomFactor=?,LogLineSplitterDistance=?,GeneralNotesSplitterDistance=?,"
                      "BeatsSplitterDistance=?,BoardSplitterDistance=?,ParentWindowHeight=?,ParentWindowWidth=?,"
                      "GeneralNotesHeight=?,GeneralNotesWidth=?,LastModifiedDate=?,BoardView=?,BigSceneView=?,"
                      "BigSceneSceneCardID=?,BoardListSortMethod=?,BoardListFilterColorID=?,"
                      "BoardListFilterCharacterID=?,BoardListFilterLocationID=?,StandardFontSetting=?,"
                      "R3x5IncludeNotes=?,R3x5IncludeCharacters=?,R4x6IncludeNotes=?,R4x6IncludeCharacters=?,"
                      "A3x5IncludeNotes=?,A3x5IncludeCharacters=?,ABCIncludeNotes=?,ABCIncludeCharacters=?,"
                      "GreenlightChecklistPercentageHorizontal=?,GreenlightChecklistPercentageVertical=?,"
                      "BeatSectionShowing=?,BeatSectionCharacterID=?,BeatSectionLocationID=? WHERE ScreenplayID=?",
                      kSource),
            database_);
        bindRow(update);
        update.bind(48, screenplayID_);
        if (!update.stepDone())
            raiseDatabaseError(kSource, "Error: failed to save with message '%s'.", database_);
    }
    std::vector<SceneCarddb*> written;
    try {
        for (auto* cards : {&sceneCards_, &litterBox_}) {
            for (auto& card : *cards) {
                const bool dirty = card->isDirty();
                card->save();
                if (dirty)
                    written.push_back(card.get());
            }
        }
        transaction.commit();
    } catch (...) {
        // What the rollback took back is written again by the next save, the row made too.
        for (SceneCarddb* card : written)
            card->setIsDirty(true);
        screenplayID_ = keyBefore;
        throw;
    }
    rowMissing_ = false;
    isDirty_ = false;
}

void Screenplaydb::insertIntoDatabase(sqlite3* database)
{
    setDatabase(database);
    setLastModifiedDate(today());
    StatementUse insert(
        statement("screenplay_insert_statement",
                  "INSERT INTO Screenplay (ScreenplayGUID,VantoraVersion,ScreenplayTitle,PageCount,GeneralNotes,Genre,"
                  "CreateDate,ProgressStage,OwnerSerialNumber,OwnerFirstName,OwnerLastName,ReturnDestination,"
                  "ReviewType,BoardWidth,BoardHeight,WindowState,BoardZoomFactor,LogLineSplitterDistance,"
                  "GeneralNotesSplitterDistance,BeatsSplitterDistance,BoardSplitterDistance,ParentWindowHeight,"
                  "ParentWindowWidth,GeneralNotesHeight,GeneralNotesWidth,LastModifiedDate,BoardView,BigSceneView,"
                  "BigSceneSceneCardID,BoardListSortMethod,BoardListFilterColorID,BoardListFilterCharacterID,"
                  "BoardListFilterLocationID,StandardFontSetting,R3X5IncludeNotes,R3X5IncludeCharacters,"
                  "R4x6IncludeNotes,R4x6IncludeCharacters,A3x5IncludeNotes,A3x5IncludeCharacters,ABCIncludeNotes,"
                  "ABCIncludeCharacters,GreenlightChecklistPercentageHorizontal,GreenlightChecklistPercentageVertical,"
                  "BeatSectionShowing,BeatSectionCharacterID,BeatSectionLocationID ) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,"
                  "?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                  kSource),
        database_);
    bindRow(insert);
    if (!insert.stepDone())
        raiseDatabaseError(kSource, "Error: failed to insert into the database with message '%s'.", database_);
    screenplayID_ = sqlite3_last_insert_rowid(database_);
}

void Screenplaydb::deleteFromDatabase()
{
    StatementUse remove(statement("screenplay_delete_statement", "DELETE FROM Screenplay WHERE ScreenPlayID=?", kSource),
                        database_);
    remove.bind(1, screenplayID_);
    if (!remove.stepDone())
        raiseDatabaseError(kSource, "Error: failed to delete from database with message '%s'.", database_);
}

void Screenplaydb::setPageCount(std::int64_t pageCount)
{
    if (pageCount == pageCount_)
        return;
    const Paging previous = paging();
    pageCount_ = pageCount;
    isDirty_ = true;
    boardSections_->setPageCount(pageCount);
    if (previous.cards.empty())
        return;
    // The page count and every card's page and board beat change together: a failure (or the
    // program's end) midway leaves the file with all the old ones, and memory is put back to
    // match it.
    try {
        StoryTransaction repaging(database_);
        // Each card is read where its fractions put it on the board, at least as wide as the new
        // count's pages need.
        widenBoardToLeast();
        for (auto* cards : {&sceneCards_, &litterBox_}) {
            for (auto& card : *cards) {
                repageCard(*boardSections_, *card);
                card->save();
            }
        }
        // The story's own page count goes with its cards' pages.
        save();
        repaging.commit();
    } catch (...) {
        restorePaging(previous);
        throw;
    }
}

Screenplaydb::Paging Screenplaydb::paging() const
{
    Paging paging{pageCount_, boardWidth_, isDirty_, {}};
    paging.cards.reserve(sceneCards_.size() + litterBox_.size());
    for (const auto* cards : {&sceneCards_, &litterBox_})
        for (const auto& card : *cards)
            paging.cards.push_back({card.get(), card->pageNumber(), card->currentBeatSection(), card->isDirty()});
    return paging;
}

void Screenplaydb::restorePaging(const Paging& paging)
{
    for (const CardPaging& was : paging.cards) {
        was.card->setPageNumber(was.pageNumber);
        was.card->setCurrentBeatSection(was.currentBeatSection);
        was.card->setIsDirty(was.dirty);
    }
    pageCount_ = paging.pageCount;
    boardSections_->setPageCount(paging.pageCount);
    setBoardSize(paging.boardWidth, boardHeight_);
    isDirty_ = paging.dirty;
}

void Screenplaydb::setBoardSize(std::int64_t width, std::int64_t height)
{
    assignField(boardWidth_, width);
    assignField(boardHeight_, height);
    passBoardSizeOn();
}

void Screenplaydb::passBoardSizeOn()
{
    boardSections_->setBoardPanelWidth(boardWidth_);
    boardSections_->setBoardPanelHeight(boardHeight_);
}

bool Screenplaydb::widenBoardToLeast()
{
    const std::int64_t least = leastBoardWidth();
    if (boardWidth_ >= least)
        return false;
    setBoardSize(least, boardHeight_);
    return true;
}

void Screenplaydb::setBoardZoomFactor(std::int64_t zoomFactor)
{
    assignField(boardZoomFactor_, zoomFactor);
    boardSections_->setBoardZoomFactor(zoomFactor);
}

// --- The statement cache ---------------------------------------------------------------------

sqlite3_stmt* Screenplaydb::statement(std::string_view name, const char* sql, const char* source,
                                      const char* prepareMessage)
{
    if (auto found = statements_.find(name); found != statements_.end())
        return found->second;
    if (!database_)
        throw DatabaseError(QString::fromUtf8(source), 0, QStringLiteral("Error: the story has no open database."));
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(database_, sql, -1, &prepared, nullptr) != SQLITE_OK) {
        sqlite3_finalize(prepared);
        raiseDatabaseError(source, prepareMessage ? prepareMessage : kPrepareMessage, database_);
    }
    statements_.emplace(std::string(name), prepared);
    return prepared;
}

bool Screenplaydb::hasStatement(std::string_view name) const
{
    return statements_.find(name) != statements_.end();
}

void Screenplaydb::finalizeAllSqliteStatements()
{
    for (auto& [name, prepared] : statements_)
        sqlite3_finalize(prepared);
    statements_.clear();
}

LoadedStory loadStoryFile(const QString& path, const NewStoryDefaults& defaults, const std::function<void()>& checked)
{
    LoadedStory loaded;
    loaded.connection = StoryFile::openStoryForReading(path);
    if (checked)
        checked();
    auto story = std::make_unique<Screenplaydb>();
    try {
        // The checks let a file without the story's row through only when it holds no row at
        // all: the template of a new story whose making stopped there. It is made now as New
        // Story makes it, so that it opens as any new story does.
        if (!StoryFile::holdsStoryRow(path, loaded.connection.get()))
            Toolkit().writeNewStoryRows(loaded.connection.get(), path, defaults);
        story->initWithDatabase(loaded.connection.get());
        story->setFileName(path);
        story->hydrate();
    } catch (const DatabaseError& failure) {
        story->finalizeAllSqliteStatements();
        throw StoryFile::openingRefusal(path, failure);
    }
    // The story is in memory: the pages its opening read need not stay cached beside it.
    StoryFile::settleAfterLoading(loaded.connection.get());
    loaded.story = std::move(story);
    return loaded;
}
