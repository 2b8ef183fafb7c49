#pragma once

#include "StoryRecord.h"

#include <memory>
#include <vector>

class ScriptPartdb;
class SceneCardObjectdb;
class SceneCardCharacterdb;
class SceneSetupdb;
class ScenePayoffdb;

// One scene card of the story, on the corkboard (onBoard 1) or in the Litter Box (onBoard 2).
// Start and end times are held as display text "MM/dd/yyyy HH:mm" ("" = none) and stored in
// the file's date form.
class SceneCarddb : public StoryRecord
{
    VTR_KEY_PROPERTY(sceneCardID, setSceneCardID, 0) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    VTR_PROPERTY(QString, heading, setHeading) = QStringLiteral("SCENE HEADING");
    VTR_PROPERTY(std::int64_t, sceneLocationID, setSceneLocationID) = 0;
    VTR_PROPERTY(QString, description, setDescription) = QStringLiteral("Scene Description");
    VTR_PROPERTY(QString, notes, setNotes) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, script, setScript) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, emotionalChange, setEmotionalChange) = QStringLiteral("Emotional Change");
    VTR_PROPERTY(std::int64_t, emotionalChangeType, setEmotionalChangeType) = 0;
    VTR_PROPERTY(QString, conflict, setConflict) = QStringLiteral("Conflict");
    VTR_PROPERTY(std::int64_t, beatCardNumber, setBeatCardNumber) = 0;
    VTR_PROPERTY(std::int64_t, pageNumber, setPageNumber) = 0;
    VTR_PROPERTY(std::int64_t, positionLeft, setPositionLeft) = 0;
    VTR_PROPERTY(std::int64_t, positionTop, setPositionTop) = 0;
    VTR_PROPERTY(float, percentageHorizontal, setPercentageHorizontal) = 0.0f;
    VTR_PROPERTY(float, percentageVertical, setPercentageVertical) = 0.0f;
    VTR_PROPERTY(std::int64_t, onBoard, setOnBoard) = 1;
    VTR_PROPERTY(std::int64_t, sortOrder, setSortOrder) = 0;
    VTR_PROPERTY(QString, startDateTime, setStartDateTime) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, endDateTime, setEndDateTime) = QString(QLatin1String(""));
    VTR_PROPERTY(std::int64_t, colorLegend1ID, setColorLegend1ID) = 0;
    VTR_PROPERTY(std::int64_t, colorLegend2ID, setColorLegend2ID) = 0;
    VTR_PROPERTY(std::int64_t, colorLegend3ID, setColorLegend3ID) = 0;
    VTR_PROPERTY(std::int64_t, colorLegend4ID, setColorLegend4ID) = 0;
    VTR_PROPERTY(std::int64_t, colorLegend5ID, setColorLegend5ID) = 0;
    VTR_PROPERTY(std::int64_t, colorLegend6ID, setColorLegend6ID) = 0;
    VTR_PROPERTY(QString, sceneNumber, setSceneNumber) = QString(QLatin1String(""));
    VTR_PROPERTY(std::int64_t, currentBeatSection, setCurrentBeatSection) = 1;

public:
    // Found by its key.
    static constexpr int kIndexedKeys = 1;
    int indexedKeyCount() const override { return kIndexedKeys; }
    std::int64_t indexedKey(int) const override { return sceneCardID_; }

    SceneCarddb();
    SceneCarddb(std::int64_t key, Screenplaydb* screenplay);
    ~SceneCarddb() override;

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    // Writes a dirty card; a failure raises and leaves the card dirty.
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    // Inserts the row under the card's own sceneCardID, clearing the rows the file still holds
    // under that key.
    void insertIntoDatabaseWithID(Screenplaydb* screenplay);
    // Removes the card's row only; the story removes what belongs to the card.
    void deleteFromDatabase();

    // Reads the card's script paragraphs in sort order when the list is empty.
    void loadScriptParts();
    std::vector<std::unique_ptr<ScriptPartdb>>& scriptParts() { return scriptParts_; }
    const std::vector<std::unique_ptr<ScriptPartdb>>& scriptParts() const { return scriptParts_; }

    // Records of the card held by the story; the card only points at them.
    std::vector<SceneCardObjectdb*>& sceneCardObjects() { return sceneCardObjects_; }
    std::vector<SceneCardCharacterdb*>& sceneCardCharacters() { return sceneCardCharacters_; }
    std::vector<SceneSetupdb*>& sceneSetups() { return sceneSetups_; }
    std::vector<ScenePayoffdb*>& scenePayoffs() { return scenePayoffs_; }

    // The colour-code slot 1 to 6; 0 for any other slot.
    std::int64_t colorLegendID(int slot) const;
    void setColorLegendID(int slot, std::int64_t colorCodeID);

    // Three-way orderings (-1, 0, 1), each a strict ordering usable for sorting.
    // Board order: beat section, then horizontal fraction.
    int sortByLocation(const SceneCarddb& other) const;
    // Beat section, then sort order.
    int sortByCurrentBeat(const SceneCarddb& other) const;
    int sortBySortOrder(const SceneCarddb& other) const;
    // Cards without a start time first, then by start time, then by sort order.
    int sortByStartTime(const SceneCarddb& other) const;

protected:
    const char* sourceName() const override { return "SceneCarddb"; }

private:
    template <typename Use>
    void bindColumns(Use& statement, int first) const;

    std::vector<std::unique_ptr<ScriptPartdb>> scriptParts_;
    std::vector<SceneCardObjectdb*> sceneCardObjects_;
    std::vector<SceneCardCharacterdb*> sceneCardCharacters_;
    std::vector<SceneSetupdb*> sceneSetups_;
    std::vector<ScenePayoffdb*> scenePayoffs_;
};
