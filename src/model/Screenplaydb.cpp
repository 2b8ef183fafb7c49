#include "Screenplaydb.h"

#include "AttachedObjectdb.h"
#include "Beatdb.h"
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
#include "SqliteStatement.h"
#include "StickyNotedb.h"
#include "StoryLog.h"
#include "Toolkit.h"


#include <sqlite3.h>

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

// Builds one record per key, in key order.
template <typename Record>
RecordList<Record> recordsForKeys(const std::vector<std::int64_t>& keys, Screenplaydb* story)
{
    RecordList<Record> records;
    records.reserve(keys.size());
    for (const std::int64_t key : keys)
        records.push_back(std::make_unique<Record>(key, story));
    return records;
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
    if (database != database_)
        finalizeAllSqliteStatements();
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

void Screenplaydb::upgradeSchema(sqlite3* database)
{
    if (!database)
        return;
    // The index statement only prepares while the index does not exist yet.
    sqlite3_stmt* index = nullptr;
    if (sqlite3_prepare_v2(database, "CREATE INDEX idxScriptPartSortOrder on ScriptPart (ScriptPartID,SortOrder)", -1,
                           &index, nullptr) == SQLITE_OK)
        sqlite3_step(index);
    sqlite3_finalize(index);

    // Reading a scene's paragraphs by card stays fast in large stories.
    sqlite3_exec(database, "CREATE INDEX IF NOT EXISTS idxScriptPartSceneCard on ScriptPart (SceneCardID,SortOrder)",
                 nullptr, nullptr, nullptr);

    // Stories made since the column was added refuse to add it again, which is as it should be.
    sqlite3_exec(database, "ALTER TABLE AttachedObject ADD MimeType varchar(30) not null default ''", nullptr, nullptr,
                 nullptr);
}

// --- Loading ---------------------------------------------------------------------------------

void Screenplaydb::hydrate()
{
    if (hydrated_)
        return;
    if (readRowFields()) {
        makeBoardSections();
        loadCollections();
    } else {
        applyNoRowDefaults();
    }
    hydrated_ = true;
    updateProgress();
    isDirty_ = false;
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
        int c = 0;
        setScreenplayGUID(row.columnText(c++));
        setVantoraVersion(row.columnText(c++));
        setPageCount(row.columnInt(c++));
        setGeneralNotes(row.columnText(c++));
        setGenre(row.columnText(c++));
        setCreateDate(displayDate(row.columnText(c++)));
        setProgressStage(row.columnInt(c++));
        setOwnerSerialNumber(row.columnText(c++));
        setOwnerFirstName(row.columnText(c++));
        setOwnerLastName(row.columnText(c++));
        setReturnDestination(row.columnInt(c++));
        setBoardWidth(row.columnInt(c++));
        setBoardHeight(row.columnInt(c++));
        setWindowState(row.columnInt(c++));
        setBoardZoomFactor(row.columnInt(c++));
        setLogLineSplitterDistance(row.columnInt(c++));
        setGeneralNotesSplitterDistance(row.columnInt(c++));
        setBeatsSplitterDistance(row.columnInt(c++));
        setBoardSplitterDistance(row.columnInt(c++));
        setParentWindowHeight(row.columnInt(c++));
        setParentWindowWidth(row.columnInt(c++));
        setGeneralNotesHeight(row.columnInt(c++));
        setGeneralNotesWidth(row.columnInt(c++));
        setBoardView(row.columnInt(c++));
        setBigSceneView(row.columnInt(c++));
        setBigSceneSceneCardID(row.columnInt(c++));
        setBoardListSortMethod(row.columnInt(c++));
        setBoardListFilterColorID(row.columnInt(c++));
        setBoardListFilterCharacterID(row.columnInt(c++));
        setBoardListFilterLocationID(row.columnInt(c++));
        setStandardFontSetting(row.columnInt(c++));
        setR3x5IncludeNotes(row.columnInt(c++));
        setR3x5IncludeCharacters(row.columnInt(c++));
        setR4x6IncludeNotes(row.columnInt(c++));
        setR4x6IncludeCharacters(row.columnInt(c++));
        setA3x5IncludeNotes(row.columnInt(c++));
        setA3x5IncludeCharacters(row.columnInt(c++));
        setABCIncludeNotes(row.columnInt(c++));
        setABCIncludeCharacters(row.columnInt(c++));
        setGreenlightChecklistPercentageHorizontal(row.columnFloat(c++));
        setGreenlightChecklistPercentageVertical(row.columnFloat(c++));
        setBeatSectionShowing(row.columnInt(c++));
        setBeatSectionCharacterID(row.columnInt(c++));
        setBeatSectionLocationID(row.columnInt(c++));
        return true;
    }
    return false;
}

void Screenplaydb::applyNoRowDefaults()
{
    pageCount_ = 110;
    boardWidth_ = 1840;
    boardHeight_ = 685;
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
    sections->setBoardPanelWidth(boardWidth_);
    sections->setBoardPanelHeight(boardHeight_);
    boardSections_ = std::move(sections);
}

std::vector<std::int64_t> Screenplaydb::collectionKeys(const char* name, const char* sql, bool bindStory)
{
    StatementUse query(statement(name, sql, kSource, kCollectionPrepareMessage), database_);
    if (bindStory)
        query.bind(1, screenplayID_);
    std::vector<std::int64_t> keys;
    while (query.stepRow())
        keys.push_back(query.columnInt(0));
    return keys;
}

void Screenplaydb::loadCollections()
{
    logLines_ = recordsForKeys<Loglinedb>(
        collectionKeys("screenplay_logline_statement",
                       "SELECT LoglineID FROM Logline WHERE ScreenplayID=? ORDER BY LogLineID ", true),
        this);

    greenlightChecklistQuestions_ = recordsForKeys<GreenlightChecklistQuestiondb>(
        collectionKeys("screenplay_greenlight_statement",
                       "SELECT GreenlightChecklistQuestionID FROM GreenlightChecklistQuestion WHERE ScreenplayID=? "
                       "ORDER BY QuestionNumber",
                       true),
        this);
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

    characterObjects_ = recordsForKeys<CharacterObjectdb>(
        collectionKeys("screenplay_characterObject_statement", "SELECT CharacterObjectID FROM CharacterObject", false),
        this);

    characters_ = recordsForKeys<Characterdb>(
        collectionKeys("screenplay_character_statement", "SELECT CharacterID FROM Character WHERE ScreenplayID=?", true),
        this);
    for (auto& character : characters_) {
        std::vector<CharacterObjectdb*> links;
        for (auto& link : characterObjects_)
            if (link->characterID() == character->characterID())
                links.push_back(link.get());
        character->setCharacterObjects(std::move(links));
    }
    sortRecords(characters_, &Characterdb::sortCharactersByName);

    attachedObjects_ = recordsForKeys<AttachedObjectdb>(
        collectionKeys("screenplay_attachedObject_statement",
                       "SELECT AttachedObjectID FROM AttachedObject WHERE ScreenplayID=?", true),
        this);

    sceneCardObjects_ = recordsForKeys<SceneCardObjectdb>(
        collectionKeys("screenplay_sceneCardObject_statement",
                       "SELECT SceneCardObjectID FROM SceneCardObject INNER JOIN SceneCard ON "
                       "SceneCardObject.SceneCardID = SceneCard.SceneCardID WHERE SceneCard.ScreenplayID=?",
                       true),
        this);
    for (auto& link : sceneCardObjects_)
        link->setTitle(titleForAttachment(link->attachedObjectID()));

    sceneCardCharacters_ = recordsForKeys<SceneCardCharacterdb>(
        collectionKeys("screenplay_sceneCardCharacter_statement",
                       "SELECT SceneCardCharacterID FROM SceneCardCharacter INNER JOIN SceneCard on "
                       "SceneCardCharacter.SceneCardID = SceneCard.SceneCardID WHERE SceneCard.ScreenplayID=?",
                       true),
        this);
    for (auto& link : sceneCardCharacters_) {
        if (const Characterdb* character = characterForCharacterID(link->characterID()))
            link->setCharacterName(character->characterName());
    }

    stickyNotes_ = recordsForKeys<StickyNotedb>(
        collectionKeys("screenplay_stickyNote_statement", "SELECT StickyNoteID FROM StickyNote WHERE ScreenplayID=?",
                       true),
        this);

    sceneLocationObjects_ = recordsForKeys<SceneLocationObjectdb>(
        collectionKeys("screenplay_locationObject_statement",
                       "SELECT SceneLocationObjectID FROM SceneLocationObject INNER JOIN SceneLocation ON "
                       "SceneLocationObject.SceneLocationID = SceneLocation.SceneLocationID WHERE ScreenplayID=?",
                       true),
        this);

    sceneLocations_ = recordsForKeys<SceneLocationdb>(
        collectionKeys("screenplay_location_statement",
                       "SELECT SceneLocationID FROM SceneLocation WHERE ScreenplayID=?", true),
        this);
    for (auto& location : sceneLocations_) {
        std::vector<SceneLocationObjectdb*> links;
        for (auto& link : sceneLocationObjects_)
            if (link->sceneLocationID() == location->sceneLocationID())
                links.push_back(link.get());
        location->setLocationObjects(std::move(links));
    }
    sortRecords(sceneLocations_, &SceneLocationdb::sortLocationsByName);

    scriptElements_ = recordsForKeys<ScriptElementdb>(
        collectionKeys("screenplay_element_statement",
                       "SELECT ScriptElementID FROM ScriptElement ORDER BY ScriptElementID ", false),
        this);
    colorCodes_ = recordsForKeys<ColorCodedb>(
        collectionKeys("screenplay_colorCode_statement", "SELECT ColorCodeID FROM ColorCode WHERE ScreenplayID=?", true),
        this);
    beats_ = recordsForKeys<Beatdb>(
        collectionKeys("screenplay_beat_statement", "SELECT BeatID FROM Beat WHERE ScreenplayID=?", true), this);
    sceneSetups_ = recordsForKeys<SceneSetupdb>(
        collectionKeys("screenplay_setup_statement", "SELECT SceneSetupID FROM SceneSetup ", false), this);
    scenePayoffs_ = recordsForKeys<ScenePayoffdb>(
        collectionKeys("screenplay_payoff_statement", "SELECT ScenePayoffID FROM ScenePayoff", false), this);
    sceneCards_ = recordsForKeys<SceneCarddb>(
        collectionKeys("screenplay_sceneCards_statement",
                       "SELECT SceneCardID FROM SceneCard WHERE ScreenplayID=? AND OnBoard = 1 ORDER BY "
                       "currentBeatSection,sortOrder",
                       true),
        this);
    litterBox_ = recordsForKeys<SceneCarddb>(
        collectionKeys("screenplay_litterBox_statement",
                       "SELECT SceneCardID FROM SceneCard WHERE ScreenplayID=? AND OnBoard = 2 ORDER BY "
                       "currentBeatSection,sortOrder",
                       true),
        this);

    // The set-up and pay-off orders look the cards up, so they come after the cards.
    sortRecords(sceneSetups_, &SceneSetupdb::sortBySceneCardID);
    sortRecords(scenePayoffs_, &ScenePayoffdb::sortBySceneCardID);
    listViewCards_.clear();
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
    if (isDirty_) {
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
        isDirty_ = false;
    }
    for (auto* cards : {&sceneCards_, &litterBox_})
        for (auto& card : *cards)
            card->save();
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
    pageCount_ = pageCount;
    isDirty_ = true;
    boardSections_->setPageCount(pageCount);
    for (auto* cards : {&sceneCards_, &litterBox_}) {
        for (auto& card : *cards) {
            card->setPageNumber(boardSections_->pageNumberForPositionTop(card->positionTop(), card->positionLeft()));
            card->save();
        }
    }
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
