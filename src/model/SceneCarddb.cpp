#include "SceneCarddb.h"

#include "DatabaseError.h"
#include "RecordSorting.h"
#include "Screenplaydb.h"
#include "ScriptPartdb.h"
#include "StoredRange.h"
#include "Toolkit.h"

#include <limits>

namespace {

constexpr std::int64_t kMostKey = std::numeric_limits<std::int64_t>::max();

const QString& displayFormat()
{
    static const QString format = QString::fromLatin1(DateUtilities::kDisplayDateTimeFormat);
    return format;
}

// Display time to the stored form; a text that is no time of the display form is stored as
// "no date" so that the column always holds a readable date.
QString storedTime(const QString& display)
{
    return Toolkit().convertDateStringForSaving(display, displayFormat())
        .value_or(QString::fromLatin1(DateUtilities::kNoDate));
}

QString withoutBreaks(QString text, QLatin1Char first, QLatin1Char second)
{
    text.remove(first);
    text.remove(second);
    return text;
}

} // namespace

SceneCarddb::SceneCarddb() = default;

SceneCarddb::SceneCarddb(std::int64_t key, Screenplaydb* screenplay)
{
    initWithPrimaryKey(key, screenplay);
}

SceneCarddb::~SceneCarddb() = default;

const char* SceneCarddb::selectByKeySql()
{
    return "SELECT Heading,Description,SortOrder,CurrentBeatSection,ColorLegend1ID,ColorLegend2ID,ColorLegend3ID,"
        "ColorLegend4ID,ColorLegend5ID,ColorLegend6ID,BeatCardNumber,PercentageHorizontal,PercentageVertical,"
        "PageNumber,Notes,EmotionalChange,Conflict,PositionLeft,PositionTop,OnBoard,ScreenplayID, SceneLocationID,"
        "EmotionalChangeType,StartDateTime,EndDateTime,SceneNumber,Script FROM SceneCard WHERE SceneCardID=?";
}

void SceneCarddb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("sceneCard_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void SceneCarddb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    changeKey(sceneCardID_, key, 0, false);
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setHeading(row.columnText(0));
        setDescription(row.columnText(1));
        bool adjusted = false;
        setSortOrder(row.columnInt(2));
        setCurrentBeatSection(StoredRange::clamp(row.columnInt(3), 0, 21, adjusted));
        for (int slot = 1; slot <= 6; ++slot)
            setColorLegendID(slot, StoredRange::clamp(row.columnInt(3 + slot), 0, kMostKey, adjusted));
        setBeatCardNumber(row.columnInt(10));
        setPercentageHorizontal(StoredRange::fraction(row.columnDouble(11), adjusted));
        setPercentageVertical(StoredRange::fraction(row.columnDouble(12), adjusted));
        setPageNumber(StoredRange::clamp(row.columnInt(13), 0, StoredRange::kMostPageCount, adjusted));
        setNotes(row.columnText(14));
        setEmotionalChange(withoutBreaks(row.columnText(15), QLatin1Char('\n'), QLatin1Char('\r')));
        setConflict(withoutBreaks(row.columnText(16), QLatin1Char('\r'), QLatin1Char('\n')));
        using StoredRange::kMostPosition;
        setPositionLeft(StoredRange::clamp(row.columnInt(17), -kMostPosition, kMostPosition, adjusted));
        setPositionTop(StoredRange::clamp(row.columnInt(18), -kMostPosition, kMostPosition, adjusted));
        setOnBoard(row.columnInt(19));
        setScreenplayID(row.columnInt(20));
        setSceneLocationID(row.columnInt(21));
        setEmotionalChangeType(row.columnInt(22));
        setStartDateTime(Toolkit().convertDateString(row.columnText(23), displayFormat()));
        setEndDateTime(Toolkit().convertDateString(row.columnText(24), displayFormat()));
        setSceneNumber(row.columnText(25));
        setScript(row.columnText(26));
        if (adjusted && screenplay)
            screenplay->noteAdjustment(
                QStringLiteral("Card places that were out of range have been brought onto the board."));
    }
    setIsDirty(false);
}

// Binds the 27 columns in the order of the update and insert statements.
template <typename Use>
void SceneCarddb::bindColumns(Use& statement, int first) const
{
    statement.bindAll(first, screenplayID_, heading_, sceneLocationID_, description_, notes_, script_,
                      emotionalChange_, emotionalChangeType_, conflict_, beatCardNumber_, pageNumber_,
                      positionLeft_, positionTop_, percentageHorizontal_, percentageVertical_, onBoard_,
                      sortOrder_, storedTime(startDateTime_), storedTime(endDateTime_), colorLegend1ID_,
                      colorLegend2ID_, colorLegend3ID_, colorLegend4ID_, colorLegend5ID_, colorLegend6ID_,
                      sceneNumber_, currentBeatSection_);
}

void SceneCarddb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use(
        "sceneCard_save_statement",
        "UPDATE SceneCard SET ScreenplayID=?,Heading=?,SceneLocationID=?,Description=?,Notes=?,Script=?,"
        "EmotionalChange=?,EmotionalChangeType=?,Conflict=?,BeatCardNumber=?,PageNumber=?,PositionLeft=?,"
        "PositionTop=?,PercentageHorizontal=?,PercentageVertical=?,OnBoard=?,SortOrder=?,StartDateTime=?,"
        "EndDateTime=?,ColorLegend1ID=?,ColorLegend2ID=?,ColorLegend3ID=?,ColorLegend4ID=?,ColorLegend5ID=?,"
        "ColorLegend6ID=?,SceneNumber=?,CurrentBeatSection=? WHERE SceneCardID=?");
    bindColumns(update, 1);
    update.bind(28, sceneCardID_);
    finishSave(update);
}

void SceneCarddb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use(
        "sceneCard_insert_statement",
        "INSERT INTO SceneCard (ScreenplayID,Heading,SceneLocationID,Description,Notes,Script,EmotionalChange,"
        "EmotionalChangeType,Conflict,BeatCardNumber,PageNumber,PositionLeft,PositionTop,PercentageHorizontal,"
        "PercentageVertical,OnBoard,SortOrder,StartDateTime,EndDateTime,ColorLegend1ID,ColorLegend2ID,"
        "ColorLegend3ID,ColorLegend4ID,ColorLegend5ID,ColorLegend6ID,SceneNumber,CurrentBeatSection) "
        "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    bindColumns(insert, 1);
    changeKey(sceneCardID_, finishInsertOfNamedRecord(insert, "SceneCard"), 0, false);
}

void SceneCarddb::insertIntoDatabaseWithID(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use(
        "sceneCard_insertWithID_statement",
        "INSERT INTO SceneCard (SceneCardID,ScreenplayID,Heading,SceneLocationID,Description,Notes,Script,"
        "EmotionalChange,EmotionalChangeType,Conflict,BeatCardNumber,PageNumber,PositionLeft,PositionTop,"
        "PercentageHorizontal,PercentageVertical,OnBoard,SortOrder,StartDateTime,EndDateTime,ColorLegend1ID,"
        "ColorLegend2ID,ColorLegend3ID,ColorLegend4ID,ColorLegend5ID,ColorLegend6ID,SceneNumber,"
        "CurrentBeatSection) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    insert.bind(1, sceneCardID_);
    bindColumns(insert, 2);
    finishInsertOfNamedRecordWithID(insert, "SceneCard", sceneCardID_);
}

void SceneCarddb::deleteFromDatabase()
{
    deleteRow("sceneCard_delete_statement", "DELETE FROM SceneCard WHERE SceneCardID=?", sceneCardID_);
}

void SceneCarddb::loadScriptParts()
{
    if (!scriptParts_.empty())
        return;
    static const std::string sql =
        selectAllSql(ScriptPartdb::selectByKeySql(), "WHERE SceneCardID=? ORDER BY SortOrder");
    StatementUse query(screenplay()->statement("sceneCard_scriptParts_statement", sql.c_str(), sourceName(),
                                               "Error: failed to prepare courses statement with message '%s'."),
                       screenplay()->database());
    query.bind(1, sceneCardID_);
    const int keyColumn = query.columnCount() - 1;
    while (query.stepRow()) {
        auto part = std::make_unique<ScriptPartdb>();
        part->loadRow(query.columnInt(keyColumn), screenplay(), &query);
        scriptParts_.push_back(std::move(part));
    }
}

std::int64_t SceneCarddb::colorLegendID(int slot) const
{
    switch (slot) {
    case 1: return colorLegend1ID_;
    case 2: return colorLegend2ID_;
    case 3: return colorLegend3ID_;
    case 4: return colorLegend4ID_;
    case 5: return colorLegend5ID_;
    case 6: return colorLegend6ID_;
    default: return 0;
    }
}

void SceneCarddb::setColorLegendID(int slot, std::int64_t colorCodeID)
{
    switch (slot) {
    case 1: setColorLegend1ID(colorCodeID); break;
    case 2: setColorLegend2ID(colorCodeID); break;
    case 3: setColorLegend3ID(colorCodeID); break;
    case 4: setColorLegend4ID(colorCodeID); break;
    case 5: setColorLegend5ID(colorCodeID); break;
    case 6: setColorLegend6ID(colorCodeID); break;
    default: break;
    }
}

int SceneCarddb::sortByLocation(const SceneCarddb& other) const
{
    if (int bySection = compareValues(currentBeatSection_, other.currentBeatSection_))
        return bySection;
    return compareValues(percentageHorizontal_, other.percentageHorizontal_);
}

int SceneCarddb::sortByCurrentBeat(const SceneCarddb& other) const
{
    if (int bySection = compareValues(currentBeatSection_, other.currentBeatSection_))
        return bySection;
    return compareValues(sortOrder_, other.sortOrder_);
}

int SceneCarddb::sortBySortOrder(const SceneCarddb& other) const
{
    return compareValues(sortOrder_, other.sortOrder_);
}

int SceneCarddb::sortByStartTime(const SceneCarddb& other) const
{
    // A text that is no time sorts with the cards that have none.
    const auto mine = DateUtilities::parse(startDateTime_, displayFormat());
    const auto theirs = DateUtilities::parse(other.startDateTime_, displayFormat());
    if (mine.has_value() != theirs.has_value())
        return mine.has_value() ? 1 : -1;
    if (mine && *mine != *theirs)
        return *mine < *theirs ? -1 : 1;
    return compareValues(sortOrder_, other.sortOrder_);
}
