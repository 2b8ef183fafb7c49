#include "AttachedObjectdb.h"

#include "DatabaseError.h"
#include "RecordSorting.h"

#include <QFile>
#include <QSaveFile>

#include <sqlite3.h>

namespace {

constexpr const char* kSaveFailure = "Error: failed to save with message '%s'.";

constexpr const char* kContentName = "attachedObject_getAttachedObject_statement";
constexpr const char* kContentSql = "SELECT AttachedObject FROM AttachedObject WHERE AttachedObjectID=?";

} // namespace

const char* AttachedObjectdb::selectByKeySql()
{
    return "SELECT ScreenplayID,Title,Description,ObjectType,CurrentView,FileName,PositionLeft,"
                           "PositionTop,PercentageHorizontal,PercentageVertical,SizeHeight,SizeWidth,Color,"
                           "LastFullImageWidth,LastFullImageHeight,TextDescription,MimeType "
                           "FROM AttachedObject WHERE AttachedObjectID=?";
}

void AttachedObjectdb::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse row = use("attachedObject_init_statement", selectByKeySql());
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void AttachedObjectdb::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    changeKey(attachedObjectID_, key, 0, false);
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setScreenplayID(row.columnInt(0));
        setTitle(row.columnText(1));
        setDescription(row.columnText(2));
        setObjectType(row.columnInt(3));
        setCurrentView(row.columnInt(4));
        setFileName(row.columnText(5));
        setPositionLeft(row.columnInt(6));
        setPositionTop(row.columnInt(7));
        setPercentageHorizontal(row.columnFloat(8));
        setPercentageVertical(row.columnFloat(9));
        setSizeHeight(row.columnInt(10));
        setSizeWidth(row.columnInt(11));
        setColor(row.columnInt(12));
        setLastFullImageWidth(row.columnInt(13));
        setLastFullImageHeight(row.columnInt(14));
        setTextDescription(row.columnText(15));
        setMimeType(row.columnText(16));
    }
    setIsDirty(false);
}

// Binds the 17 columns from parameter 1 in the order of the update and insert statements.
template <typename Use>
void AttachedObjectdb::bindColumns(Use& statement) const
{
    statement.bindAll(1, screenplayID_, title_, description_, objectType_, currentView_, fileName_, positionLeft_,
                      positionTop_, percentageHorizontal_, percentageVertical_, sizeHeight_, sizeWidth_, color_,
                      lastFullImageWidth_, lastFullImageHeight_, textDescription_, mimeType_);
}

void AttachedObjectdb::save()
{
    if (!isDirty())
        return;
    StatementUse update = use("attachedObject_save_statement",
                              "UPDATE AttachedObject SET ScreenplayID=?,Title=?,Description=?,ObjectType=?,"
                              "CurrentView=?,FileName=?,PositionLeft=?,PositionTop=?,PercentageHorizontal=?,"
                              "PercentageVertical=?,SizeHeight=?,SizeWidth=?,Color=?,LastFullImageWidth=?,"
                              "LastFullImageHeight=?,TextDescription=?,MimeType=? WHERE AttachedObjectID=?");
    bindColumns(update);
    update.bind(18, attachedObjectID_);
    finishSave(update);
}

void AttachedObjectdb::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    StatementUse insert = use("attachedObject_insert_statement",
                              "INSERT INTO AttachedObject (ScreenplayID,Title,Description,ObjectType,CurrentView,"
                              "FileName,PositionLeft,PositionTop,PercentageHorizontal,PercentageVertical,SizeHeight,"
                              "SizeWidth,Color,LastFullImageWidth,LastFullImageHeight,TextDescription,MimeType) "
                              "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    bindColumns(insert);
    changeKey(attachedObjectID_, finishInsertOfNamedRecord(insert, "AttachedObject"), 0, false);
}

void AttachedObjectdb::deleteFromDatabase()
{
    deleteRow("attachedObject_delete_statement", "DELETE FROM AttachedObject WHERE AttachedObjectID=?",
              attachedObjectID_);
}

void AttachedObjectdb::writeBlob(const char* name, const char* sql, const std::optional<QByteArray>& data)
{
    StatementUse update = use(name, sql);
    update.bind(2, attachedObjectID_);
    if (data) {
        // A blob over the connection's length limit would fail to bind and leave the parameter
        // NULL, so the update would silently clear the column: refuse it before binding.
        if (data->size() > sqlite3_limit(update.database(), SQLITE_LIMIT_LENGTH, -1)) {
            const QString message = QString::fromUtf8(kSaveFailure)
                                        .replace(QLatin1String("%s"), QString::fromUtf8(sqlite3_errstr(SQLITE_TOOBIG)));
            logDatabaseProblem(sourceName(), message);
            throw DatabaseError(QString::fromUtf8(sourceName()), __LINE__, message);
        }
        update.bindBlob(1, *data);
    }
    // Without data parameter 1 stays unbound, which SQLite reads as NULL.
    if (!update.stepDone())
        raiseDatabaseError(sourceName(), kSaveFailure, update.database());
}

void AttachedObjectdb::saveThumbnail(const std::optional<QByteArray>& jpeg)
{
    writeBlob("attachedObject_thumbnail_statement", "UPDATE AttachedObject SET Thumbnail=? WHERE AttachedObjectID=?",
              jpeg);
}

void AttachedObjectdb::saveObjectFromImage(const std::optional<QByteArray>& imageBytes)
{
    writeBlob("attachedObject_object_statement", "UPDATE AttachedObject SET AttachedObject=? WHERE AttachedObjectID=?",
              imageBytes);
}

bool AttachedObjectdb::saveObject(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    saveObjectFromImage(bytes);
    return true;
}

std::optional<AttachedObjectdb::StoredBlob> AttachedObjectdb::readBlob(const char* name, const char* sql) const
{
    StatementUse row = use(name, sql);
    row.bind(1, attachedObjectID_);
    if (!row.stepRow())
        return std::nullopt;
    return StoredBlob{row.columnIsNull(0), row.columnBlob(0)};
}

std::optional<AttachedObjectdb::StoredBlob> AttachedObjectdb::readContent() const
{
    return readBlob(kContentName, kContentSql);
}

std::optional<QByteArray> AttachedObjectdb::getThumbnail() const
{
    const auto blob = readBlob("attachedObject_getThumbnail_statement",
                               "SELECT Thumbnail FROM AttachedObject WHERE AttachedObjectID=?");
    return blob ? std::optional<QByteArray>(blob->bytes) : std::nullopt;
}

std::optional<QByteArray> AttachedObjectdb::getFullImage() const
{
    const auto blob = readContent();
    return blob ? std::optional<QByteArray>(blob->bytes) : std::nullopt;
}

bool AttachedObjectdb::getAttachedObjectToFile(const QString& path) const
{
    const auto blob = readContent();
    if (!blob || blob->isNull)
        return false;
    // QSaveFile writes beside the target and renames over it only on commit; without a commit
    // (a failed write) it removes its temporary file.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(blob->bytes) == blob->bytes.size() && file.commit();
}

int AttachedObjectdb::sortByColor(const AttachedObjectdb& other) const
{
    if (int byColor = compareValues(color_, other.color_))
        return byColor;
    return compareValues(QString::compare(title_, other.title_, Qt::CaseInsensitive), 0);
}

void AttachmentLink::initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    const Statements& texts = statements();
    StatementUse row = use(texts.initName, texts.initSql);
    row.bind(1, key);
    const bool found = row.stepRow();
    loadRow(key, screenplay, found ? &row : nullptr);
}

void AttachmentLink::loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* found)
{
    linkID_ = key;
    setScreenplay(screenplay);
    if (found) {
        const StatementUse& row = *found;
        setOwnerID(row.columnInt(0));
        setAttachedObjectID(row.columnInt(1));
        setDescription(row.columnText(2));
        setPrimaryDisplayFlag(row.columnInt(3));
    }
    setIsDirty(false);
}

void AttachmentLink::save()
{
    if (!isDirty())
        return;
    const Statements& texts = statements();
    StatementUse update = use(texts.saveName, texts.saveSql);
    update.bindAll(1, ownerID_, attachedObjectID_, description_, primaryDisplayFlag_, linkID_);
    finishSave(update);
}

void AttachmentLink::insertIntoDatabase(Screenplaydb* screenplay)
{
    setScreenplay(screenplay);
    const Statements& texts = statements();
    StatementUse insert = use(texts.insertName, texts.insertSql);
    insert.bindAll(1, ownerID_, attachedObjectID_, description_, primaryDisplayFlag_);
    linkID_ = finishInsert(insert);
}

void AttachmentLink::deleteFromDatabase()
{
    const Statements& texts = statements();
    deleteRow(texts.deleteName, texts.deleteSql, linkID_);
}
