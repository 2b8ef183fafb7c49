#pragma once

#include "BaseDatabaseObject.h"
#include "BoardSections.h"
#include "RecordList.h"
#include "StoryFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class AttachedObjectdb;
class Beatdb;
class CharacterObjectdb;
class Characterdb;
class ColorCodedb;
class GreenlightChecklistQuestiondb;
class Loglinedb;
class SceneCardCharacterdb;
class SceneCardObjectdb;
class SceneCarddb;
class SceneLocationObjectdb;
class SceneLocationdb;
class ScenePayoffdb;
class SceneSetupdb;
class ScriptElementdb;
class StickyNotedb;
struct CardPlace;

// The open story: the story file's connection, the fields of its one Screenplay row, its
// collections of records and the cache of prepared statements that it and every record
// class of the story share. The story owns every record of its collections.
class Screenplaydb
{
    VTR_PROPERTY(QString, screenplayGUID, setScreenplayGUID);
    VTR_PROPERTY(QString, vantoraVersion, setVantoraVersion);
    VTR_PROPERTY(QString, screenplayTitle, setScreenplayTitle);
    VTR_PROPERTY(QString, generalNotes, setGeneralNotes);
    VTR_PROPERTY(QString, genre, setGenre);
    // Display form "MM/dd/yyyy".
    VTR_PROPERTY(QString, createDate, setCreateDate);
    VTR_PROPERTY(std::int64_t, progressStage, setProgressStage) = 0;
    VTR_PROPERTY(QString, ownerSerialNumber, setOwnerSerialNumber);
    VTR_PROPERTY(QString, ownerFirstName, setOwnerFirstName);
    VTR_PROPERTY(QString, ownerLastName, setOwnerLastName);
    VTR_PROPERTY(std::int64_t, returnDestination, setReturnDestination) = 0;
    VTR_PROPERTY(std::int64_t, reviewType, setReviewType) = 0;
    VTR_PROPERTY(std::int64_t, windowState, setWindowState) = 2;
    VTR_PROPERTY(std::int64_t, logLineSplitterDistance, setLogLineSplitterDistance) = 75;
    VTR_PROPERTY(std::int64_t, generalNotesSplitterDistance, setGeneralNotesSplitterDistance) = 580;
    VTR_PROPERTY(std::int64_t, beatsSplitterDistance, setBeatsSplitterDistance) = 408;
    VTR_PROPERTY(std::int64_t, boardSplitterDistance, setBoardSplitterDistance) = 370;
    VTR_PROPERTY(std::int64_t, parentWindowHeight, setParentWindowHeight) = 768;
    VTR_PROPERTY(std::int64_t, parentWindowWidth, setParentWindowWidth) = 1024;
    VTR_PROPERTY(std::int64_t, generalNotesHeight, setGeneralNotesHeight) = 1600;
    VTR_PROPERTY(std::int64_t, generalNotesWidth, setGeneralNotesWidth) = 1900;
    // Display form "MM/dd/yyyy".
    VTR_PROPERTY(QString, lastModifiedDate, setLastModifiedDate);
    VTR_PROPERTY(std::int64_t, boardView, setBoardView) = 1;
    VTR_PROPERTY(std::int64_t, bigSceneView, setBigSceneView) = 0;
    VTR_PROPERTY(std::int64_t, bigSceneSceneCardID, setBigSceneSceneCardID) = 0;
    VTR_PROPERTY(std::int64_t, boardListSortMethod, setBoardListSortMethod) = 1;
    VTR_PROPERTY(std::int64_t, boardListFilterColorID, setBoardListFilterColorID) = 0;
    VTR_PROPERTY(std::int64_t, boardListFilterCharacterID, setBoardListFilterCharacterID) = 0;
    VTR_PROPERTY(std::int64_t, boardListFilterLocationID, setBoardListFilterLocationID) = 0;
    VTR_PROPERTY(std::int64_t, standardFontSetting, setStandardFontSetting) = 1;
    VTR_PROPERTY(std::int64_t, r3x5IncludeNotes, setR3x5IncludeNotes) = 1;
    VTR_PROPERTY(std::int64_t, r3x5IncludeCharacters, setR3x5IncludeCharacters) = 1;
    VTR_PROPERTY(std::int64_t, r4x6IncludeNotes, setR4x6IncludeNotes) = 1;
    VTR_PROPERTY(std::int64_t, r4x6IncludeCharacters, setR4x6IncludeCharacters) = 1;
    VTR_PROPERTY(std::int64_t, a3x5IncludeNotes, setA3x5IncludeNotes) = 1;
    VTR_PROPERTY(std::int64_t, a3x5IncludeCharacters, setA3x5IncludeCharacters) = 1;
    VTR_PROPERTY(std::int64_t, aBCIncludeNotes, setABCIncludeNotes) = 1;
    VTR_PROPERTY(std::int64_t, aBCIncludeCharacters, setABCIncludeCharacters) = 1;
    VTR_PROPERTY(float, greenlightChecklistPercentageHorizontal, setGreenlightChecklistPercentageHorizontal) = 0.01f;
    VTR_PROPERTY(float, greenlightChecklistPercentageVertical, setGreenlightChecklistPercentageVertical) = 0.01f;
    VTR_PROPERTY(std::int64_t, beatSectionShowing, setBeatSectionShowing) = 0;
    VTR_PROPERTY(std::int64_t, beatSectionCharacterID, setBeatSectionCharacterID) = 0;
    VTR_PROPERTY(std::int64_t, beatSectionLocationID, setBeatSectionLocationID) = 0;

public:
    // A story with the defaults of a new story and no database.
    Screenplaydb();
    ~Screenplaydb();
    Screenplaydb(const Screenplaydb&) = delete;
    Screenplaydb& operator=(const Screenplaydb&) = delete;

    // Keeps the open connection (not owned), reads the title row and brings an older file's
    // schema up to date. The caller then sends hydrate.
    void initWithDatabase(sqlite3* database);
    // The same on a connection the story opens and owns itself; a file that cannot be opened
    // leaves the story as the constructor made it.
    void initWithFile(const QString& path);
    // Finalizes every statement and closes the story's own connection.
    void closeDatabase();
    // Opens fileName again as the story's own connection.
    void reopenDatabase();

    // Loads the Screenplay row and every collection, once, in one read transaction with one
    // statement per table.
    void hydrate();
    // Reads the script paragraphs of every card that has none in memory yet, in one pass.
    void loadAllScriptParts();
    // Writes the Screenplay row when dirty (makes it, in a story loaded from a file without
    // one), then every dirty card of the board and Litter Box.
    void save();
    // Makes the Screenplay row from the fields on `database` and takes its key.
    void insertIntoDatabase(sqlite3* database);
    // Deletes the Screenplay row; nothing else.
    void deleteFromDatabase();

    sqlite3* database() const { return database_; }
    // Replaces the connection; the statements of the old one are finalized.
    void setDatabase(sqlite3* database);

    bool isDirty() const { return isDirty_; }
    void setIsDirty(bool dirty) { isDirty_ = dirty; }
    bool hydrated() const { return hydrated_; }

    // What loading had to change so the story could be shown (values brought into range, cards
    // of unknown place put in the Litter Box), one sentence each; the changes are written only
    // when the user next edits the record.
    const QStringList& loadAdjustments() const { return loadAdjustments_; }
    void noteAdjustment(const QString& note);

    std::int64_t screenplayID() const { return screenplayID_; }
    void setScreenplayID(std::int64_t key) { screenplayID_ = key; }
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }

    std::int64_t pageCount() const { return pageCount_; }
    // A new page count gives every card of the board and the Litter Box the page and board beat
    // of the place its fractions give it on the board (widened first to the least the new count
    // needs), and writes the cards and the story in one transaction; refused, it leaves the story
    // as it was. The cards keep their places. In a story without cards only the count changes,
    // for the story's next save.
    void setPageCount(std::int64_t pageCount);

    // What a page-count change alters: the count, the board's width and, for every card of the
    // board and the Litter Box, its page and board beat, each with its dirty mark. Taken before the
    // change, it puts memory back to what the file kept when the change's write is refused.
    struct CardPaging {
        SceneCarddb* card;
        std::int64_t pageNumber;
        std::int64_t currentBeatSection;
        bool dirty;
    };
    struct Paging {
        std::int64_t pageCount;
        std::int64_t boardWidth;
        bool dirty;
        std::vector<CardPaging> cards;
    };
    Paging paging() const;
    void restorePaging(const Paging& paging);
    std::int64_t boardZoomFactor() const { return boardZoomFactor_; }
    void setBoardZoomFactor(std::int64_t zoomFactor);

    // The corkboard's size in points, as the story keeps it and its sections lay out its rows: this
    // is the one place that sets both. Nothing is written, and no card moves: cards keep their
    // fractions, and a new size shows them in the same part of their rows.
    std::int64_t boardWidth() const { return boardWidth_; }
    std::int64_t boardHeight() const { return boardHeight_; }
    void setBoardSize(std::int64_t width, std::int64_t height);
    // The size at least as wide as every page of the rows needs and as high as four rows of cards
    // at the zoom need (BoardSections::leastBoardPanelWidth, leastBoardPanelHeight).
    std::int64_t leastBoardWidth() const { return boardSections_->leastBoardPanelWidth(); }
    std::int64_t leastBoardHeight() const { return boardSections_->leastBoardPanelHeight(); }
    // Raises the board's width to the least that holds every page of its rows; answers whether it
    // did. The story is not saved.
    bool widenBoardToLeast();

    BoardSections& boardSections() { return *boardSections_; }
    const BoardSections& boardSections() const { return *boardSections_; }

    // Collections, each in the order the story loads and keeps it.
    RecordList<Loglinedb>& logLines() { return logLines_; }
    RecordList<GreenlightChecklistQuestiondb>& greenlightChecklistQuestions() { return greenlightChecklistQuestions_; }
    RecordList<CharacterObjectdb>& characterObjects() { return characterObjects_; }
    RecordList<Characterdb>& characters() { return characters_; }
    RecordList<AttachedObjectdb>& attachedObjects() { return attachedObjects_; }
    RecordList<SceneCardObjectdb>& sceneCardObjects() { return sceneCardObjects_; }
    RecordList<SceneCardCharacterdb>& sceneCardCharacters() { return sceneCardCharacters_; }
    RecordList<StickyNotedb>& stickyNotes() { return stickyNotes_; }
    RecordList<SceneLocationObjectdb>& sceneLocationObjects() { return sceneLocationObjects_; }
    RecordList<SceneLocationdb>& sceneLocations() { return sceneLocations_; }
    RecordList<ScriptElementdb>& scriptElements() { return scriptElements_; }
    RecordList<ColorCodedb>& colorCodes() { return colorCodes_; }
    RecordList<Beatdb>& beats() { return beats_; }
    RecordList<SceneSetupdb>& sceneSetups() { return sceneSetups_; }
    RecordList<ScenePayoffdb>& scenePayoffs() { return scenePayoffs_; }
    // Cards on the board (onBoard 1) and in the Litter Box (onBoard 2).
    RecordList<SceneCarddb>& sceneCards() { return sceneCards_; }
    RecordList<SceneCarddb>& litterBox() { return litterBox_; }
    // Moves the card's record from the Litter Box to the end of the board's cards, or back;
    // answers false, moving nothing, when the list it leaves does not hold it.
    bool moveSceneCardToBoard(const SceneCarddb* card);
    bool moveSceneCardToLitterBox(const SceneCarddb* card);
    // Puts the board's cards in board order (board beat, then horizontal fraction) and stores the
    // sort orders 1 to n in that order (resetOnBoardSceneCardSortOrder).
    void sortAndRenumberBoard();
    // A card of the Litter Box, already given its board place, goes onto the board: it is stored
    // with `onBoard` 1 and the board is put in order and renumbered, all in one write. Refused, the
    // file and the story are as they were, the card back in the Litter Box with the place it had
    // there (`inLitterBox`, taken before it was given its board place), and the failure is thrown.
    // Answers false, writing and moving nothing but that place, for a card the Litter Box does not
    // hold.
    bool putCardOnBoard(SceneCarddb& card, const CardPlace& inLitterBox);
    // The board list view's working list; the cards belong to the two lists above.
    std::vector<SceneCarddb*>& listViewCards() { return listViewCards_; }

    // --- Look-ups: the first record whose field matches, or nothing. Those by a record's key,
    // and the set-up by its pay-off, answer in constant time through the lists' indexes. ---
    AttachedObjectdb* attachmentForID(std::int64_t attachedObjectID) const;
    // A board card first, then a Litter Box card.
    SceneCarddb* sceneCardForSceneCardID(std::int64_t sceneCardID) const;
    ScriptElementdb* elementForElementID(std::int64_t scriptElementID) const;
    ScriptElementdb* elementForElementType(const QString& elementType) const;
    ScriptElementdb* elementForType(const QString& elementType) const { return elementForElementType(elementType); }
    ScenePayoffdb* payoffForPayoffID(std::int64_t scenePayoffID) const;
    SceneSetupdb* setupForPayoffID(std::int64_t scenePayoffID) const;
    SceneSetupdb* setupForSetupID(std::int64_t sceneSetupID) const;
    Beatdb* beatForBeatNumber(std::int64_t beatNumber) const;
    ColorCodedb* colorForColorCodeID(std::int64_t colorCodeID) const;
    Characterdb* characterForCharacterID(std::int64_t characterID) const;
    Characterdb* characterForCharacterName(const QString& name) const;
    SceneLocationdb* locationForLocationID(std::int64_t sceneLocationID) const;
    Loglinedb* currentLogline() const;
    GreenlightChecklistQuestiondb* greenlightQuestionForQuestionNumber(std::int64_t questionNumber) const;
    // Position of the board card in sceneCards, -1 when it is not there.
    std::int64_t indexOfSceneCardWithID(std::int64_t sceneCardID) const;

    // --- Lists of one card's records (new lists of records the story owns). ---
    std::vector<SceneCardObjectdb*> attachedObjectsInSceneID(std::int64_t sceneCardID) const;
    std::vector<SceneSetupdb*> setupsInSceneID(std::int64_t sceneCardID) const;
    std::vector<ScenePayoffdb*> payoffsInSceneID(std::int64_t sceneCardID) const;
    std::vector<SceneCardCharacterdb*> charactersInSceneID(std::int64_t sceneCardID) const;

    // --- Tests. ---
    bool anyUnlinkedPayoffs() const;
    bool anyUnlinkedSetups() const;
    bool attachedObjectLinked(std::int64_t attachedObjectID) const;
    bool anyBeatsStarted() const;
    bool anyBeatsNotFilledIn() const;
    bool unansweredGreenlightQuestions() const;

    // --- Derived texts and images. ---
    QString titleForAttachment(std::int64_t attachedObjectID) const;
    // "%@ (p. %ld)\n%@" with the card's heading and page when the record lies on a card.
    // describeOnPage joins the three, and is a function of them alone.
    static QString describeOnPage(const QString& heading, std::int64_t page, const QString& text);
    QString fullDescriptionForSetup(const SceneSetupdb& setup) const;
    QString fullDescriptionForPayoff(const ScenePayoffdb& payoff) const;
    QString charactersDescriptionForScene(const SceneCarddb& card) const;
    // Thumbnail of the primary attachment, else the generic picture.
    QByteArray displayImageForCharacter(const Characterdb& character) const;
    QByteArray displayImageForLocation(const SceneLocationdb& location) const;
    QString answerForGreenlightQuestion(std::int64_t questionNumber) const;
    QString markForGreenlightQuestion(std::int64_t questionNumber) const;

    // --- Changes. ---
    // Gives the board's cards the sort orders 1..n in list order, as one transaction.
    void resetOnBoardSceneCardSortOrder();
    // Works out the progress stage (0, 1 or 2) and saves the story.
    void updateProgress();
    // Key of the location with that name (any case), made when there is none.
    std::int64_t sceneLocationIDForNewLocation(const QString& name);

    // --- Deletes: each removes the record with what depends on it. ---
    bool deleteCharacter(Characterdb* character);
    bool deleteLocation(SceneLocationdb* location);
    bool deleteSceneSetup(SceneSetupdb* setup);
    bool deleteScenePayoff(ScenePayoffdb* payoff);
    // `written`, when given, runs once the file has kept the delete and before the card leaves
    // memory: the views that show the card let go of it there, so a refused delete leaves them
    // showing a card the story still holds.
    bool deleteSceneCard(SceneCarddb* card, const std::function<void()>& written = {});
    bool deleteStickyNote(StickyNotedb* note);
    bool deleteLogline(Loglinedb* logline);
    bool deleteColorCode(ColorCodedb* colorCode);
    bool deleteAttachedObject(AttachedObjectdb* attachment);
    // Deletes from the file every row that names the record `key` of `table` ("AttachedObject",
    // "Character", "SceneLocation" or "SceneCard"): the links to it or of it, and a card's script
    // paragraphs. Keys are used again, and a delete may leave such rows unloaded in the file, so
    // the deletes of those records and the making of a new one under the key both clear them.
    // The records in memory are the caller's to drop.
    void deleteRowsNaming(const char* table, std::int64_t key);
    // Makes a record of such a table: `step` runs its bound insert and answers the new key
    // (`givenKey` when the insert names it, else the one SQLite chose), and the rows the file
    // already holds under that key go with it as one change. Rows naming a key that no record
    // has come only with the file, since every delete clears them: opening learns the largest
    // key they name, and a new key above it has nothing to clear.
    std::int64_t insertNamedRecord(const char* table, std::optional<std::int64_t> givenKey,
                                   const std::function<std::int64_t()>& step);

    // --- The statement cache. ---
    // Answers the statement kept under `name`, preparing `sql` on the story's connection the
    // first time; a failed prepare raises `prepareMessage` (by default "Error: failed to
    // prepare statement with message '%s'.") with `source` as the reporting class.
    sqlite3_stmt* statement(std::string_view name, const char* sql, const char* source,
                            const char* prepareMessage = nullptr);
    bool hasStatement(std::string_view name) const;
    std::size_t statementCount() const { return statements_.size(); }
    // Finalizes every cached statement; the next use prepares it again on the current connection.
    void finalizeAllSqliteStatements();

    // Brings an older file's schema up to date: the two script-part indexes and the attachment
    // MIME type column, each only when missing, in one transaction; a current file is not
    // written. A failure raises.
    static void upgradeSchema(sqlite3* database);

    // Set-ups and pay-offs in the order of the cards they lie on (by the cards' sort order),
    // then by their text; each card's order is looked up once.
    void sortSetupsAndPayoffsByCard();

private:
    template <typename T>
    void assignField(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            isDirty_ = true;
        }
    }
    void assignField(QString& field, const QString& value) { assignField<QString>(field, withoutNulCharacters(value)); }

    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    void readTitleRow();
    void applyNoRowDefaults();
    // Reads the Screenplay row through the setters; false when the file has none.
    bool readRowFields();
    void makeBoardSections();
    // The sections lay out the board the story keeps: they take its size from here alone.
    void passBoardSizeOn();
    void loadCollections();
    // Reads every row `sql` selects (the record's columns, then its key) into new records.
    template <typename Record>
    RecordList<Record> loadRecords(const char* name, const std::string& sql, bool bindStory);
    // Gives each set-up its pay-off's text and each pay-off the first set-up that names it.
    void linkSetupsAndPayoffs();
    template <typename Use>
    void bindRow(Use& statement) const;
    void runWithoutSync(const std::function<void()>& work);
    // Deletes every row that the one-parameter statement `sql` selects by `key`.
    void deleteRowsReferring(const char* name, const char* sql, std::int64_t key);
    void clearFiltersPointingAt(std::int64_t* filter, std::int64_t key);
    // What the story knows of the keys of a table whose records other rows name.
    struct NamedKeys {
        // The largest key that rows of the file may name without a record of it.
        std::int64_t namedUpTo = std::numeric_limits<std::int64_t>::max();
        // The table's largest key, when known: SQLite gives a new record the next one.
        std::optional<std::int64_t> largest;
    };
    NamedKeys& namedKeysOf(const char* table);
    void learnNamedKeys();
    void clearRowsNaming(const char* table, std::int64_t key);

    sqlite3* database_ = nullptr;
    DatabaseConnection ownConnection_;
    bool isDirty_ = false;
    bool hydrated_ = false;
    // The file had no Screenplay row when the story was loaded: the next save makes it.
    bool rowMissing_ = false;
    QStringList loadAdjustments_;
    std::int64_t screenplayID_ = 0;
    QString fileName_;
    std::int64_t pageCount_ = 110;
    std::int64_t boardZoomFactor_ = 0;
    std::int64_t boardWidth_ = 1840;
    std::int64_t boardHeight_ = 720;
    std::unique_ptr<BoardSections> boardSections_;
    // Attachments, characters, locations and cards, in that order.
    std::array<NamedKeys, 4> namedKeys_;

    RecordList<Loglinedb> logLines_;
    RecordList<GreenlightChecklistQuestiondb> greenlightChecklistQuestions_;
    RecordList<CharacterObjectdb> characterObjects_;
    RecordList<Characterdb> characters_;
    RecordList<AttachedObjectdb> attachedObjects_;
    RecordList<SceneCardObjectdb> sceneCardObjects_;
    RecordList<SceneCardCharacterdb> sceneCardCharacters_;
    RecordList<StickyNotedb> stickyNotes_;
    RecordList<SceneLocationObjectdb> sceneLocationObjects_;
    RecordList<SceneLocationdb> sceneLocations_;
    RecordList<ScriptElementdb> scriptElements_;
    RecordList<ColorCodedb> colorCodes_;
    RecordList<Beatdb> beats_;
    RecordList<SceneSetupdb> sceneSetups_;
    RecordList<ScenePayoffdb> scenePayoffs_;
    RecordList<SceneCarddb> sceneCards_;
    RecordList<SceneCarddb> litterBox_;
    std::vector<SceneCarddb*> listViewCards_;

    std::unordered_map<std::string, sqlite3_stmt*, NameHash, std::equal_to<>> statements_;
};

// A story file opened and loaded as a window shows it; the story works on the connection.
struct LoadedStory {
    DatabaseConnection connection;
    std::unique_ptr<Screenplaydb> story;
};

// What a new story takes from the master file and its user, as values: the master file's path
// (its colour codes are copied; none when it cannot be read) and the owner's names.
struct NewStoryDefaults {
    QString masterPath;
    QString ownerFirstName;
    QString ownerLastName;
};

// Opens `path` with StoryFile::openStory, brings an older schema up to date and loads the
// story. A bare template, a new story whose making stopped before its first row, is first
// given every row a new story starts with, `defaults` among them, in one transaction. Any
// failure raises StoryFileRefused, its message in plain words first. `checked`, when given, is
// called once the file has passed its checks and before anything is written to it: another
// connection reading the file must end there, as a write waits for no reader.
LoadedStory loadStoryFile(const QString& path, const NewStoryDefaults& defaults = {},
                          const std::function<void()>& checked = nullptr);
