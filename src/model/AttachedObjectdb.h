#pragma once

#include "StoryRecord.h"

#include <QByteArray>

#include <optional>

// One attachment of the story: a picture or any other file on the general-notes board. The
// row holds the box on the board, the texts and two blobs, a JPEG thumbnail and the attached
// content. The blobs never travel with the row: they are read and written one at a time by
// the blob operations, which work on the row by its key and so are called once the row exists.
class AttachedObjectdb : public StoryRecord
{
    VTR_KEY_PROPERTY(attachedObjectID, setAttachedObjectID, 0) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    VTR_PROPERTY(QString, title, setTitle) = QString(QLatin1String(""));
    // The description as RTF text; textDescription holds its plain text.
    VTR_PROPERTY(QString, description, setDescription) = QString(QLatin1String(""));
    // 1 = image, 2 = any other file.
    VTR_PROPERTY(std::int64_t, objectType, setObjectType) = 0;
    // Display mode of the box: 1 = thumbnail with title and description, 2 = the full image.
    VTR_PROPERTY(std::int64_t, currentView, setCurrentView) = 0;
    // Name or path of the attached file; its last component names the copy written out.
    VTR_PROPERTY(QString, fileName, setFileName) = QString(QLatin1String(""));
    VTR_PROPERTY(std::int64_t, positionLeft, setPositionLeft) = 0;
    VTR_PROPERTY(std::int64_t, positionTop, setPositionTop) = 0;
    VTR_PROPERTY(float, percentageHorizontal, setPercentageHorizontal) = 0.0f;
    VTR_PROPERTY(float, percentageVertical, setPercentageVertical) = 0.0f;
    VTR_PROPERTY(std::int64_t, sizeHeight, setSizeHeight) = 0;
    VTR_PROPERTY(std::int64_t, sizeWidth, setSizeWidth) = 0;
    // Palette colour of the box, 1 to 10.
    VTR_PROPERTY(std::int64_t, color, setColor) = 1;
    // Size of the box when it last showed the full image; 0 = never.
    VTR_PROPERTY(std::int64_t, lastFullImageWidth, setLastFullImageWidth) = 0;
    VTR_PROPERTY(std::int64_t, lastFullImageHeight, setLastFullImageHeight) = 0;
    VTR_PROPERTY(QString, textDescription, setTextDescription) = QString(QLatin1String(""));
    VTR_PROPERTY(QString, mimeType, setMimeType) = QString(QLatin1String(""));

public:
    // Found by its key.
    static constexpr int kIndexedKeys = 1;
    int indexedKeyCount() const override { return kIndexedKeys; }
    std::int64_t indexedKey(int) const override { return attachedObjectID_; }

    AttachedObjectdb() = default;
    AttachedObjectdb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();

    // Blob writes. Absent data stores NULL. They leave the dirty mark alone; a database failure
    // raises and leaves the stored blob as it was.
    void saveThumbnail(const std::optional<QByteArray>& jpeg);
    // Stores the whole file at `path` as the content. Answers false, storing nothing, when the
    // file cannot be read; the caller then does not keep the attachment.
    [[nodiscard]] bool saveObject(const QString& path);
    // Stores already encoded image bytes as the content; encoding the image is the caller's.
    void saveObjectFromImage(const std::optional<QByteArray>& imageBytes);

    // Blob reads: nothing when the row does not exist, empty data when the blob is NULL.
    std::optional<QByteArray> getThumbnail() const;
    std::optional<QByteArray> getFullImage() const;
    // Writes the content to `path` through a temporary file that then replaces the target in one
    // step, so a failed write leaves any file there untouched. False when the row or its content
    // is missing (nothing is written) or when the file cannot be written.
    [[nodiscard]] bool getAttachedObjectToFile(const QString& path) const;

    // Lower colour first; the same colour by title, ignoring case. Answers -1, 0 or 1.
    int sortByColor(const AttachedObjectdb& other) const;

protected:
    const char* sourceName() const override { return "AttachedObjectdb"; }

private:
    // A blob column of the row: `isNull` tells a NULL column from a stored (maybe empty) blob.
    struct StoredBlob
    {
        bool isNull = true;
        QByteArray bytes;
    };

    template <typename Use>
    void bindColumns(Use& statement) const;
    void writeBlob(const char* name, const char* sql, const std::optional<QByteArray>& data);
    std::optional<StoredBlob> readBlob(const char* name, const char* sql) const;
    std::optional<StoredBlob> readContent() const;
};

// Base of the three links between an attachment and its owner, a character (CharacterObject),
// a location (SceneLocationObject) or a scene card (SceneCardObject). The three tables have the
// same columns: the link's key, the owner's key, the attachment's key, a description of the
// attachment for that owner and the primary-display flag. Each link class names its table's
// statements and exposes the two keys under its own names.
class AttachmentLink : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, attachedObjectID, setAttachedObjectID) = 0;
    // The user's note on this attachment for this owner.
    VTR_PROPERTY(QString, description, setDescription) = QString(QLatin1String(""));
    // 1 marks the link whose attachment's thumbnail pictures the owner, else 0.
    VTR_PROPERTY(std::int64_t, primaryDisplayFlag, setPrimaryDisplayFlag) = 0;

public:
    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the owner, attachment, description and flag from the first
    // four columns of `row` (nothing for a key without a row); the link is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();

protected:
    // Cache name and SQL text of each operation on one link table. The statements list the
    // owner column, AttachedObjectID, Description and PrimaryDisplayFlag in this order.
    struct Statements
    {
        const char* initName;
        const char* initSql;
        const char* saveName;
        const char* saveSql;
        const char* insertName;
        const char* insertSql;
        const char* deleteName;
        const char* deleteSql;
    };
    virtual const Statements& statements() const = 0;

    std::int64_t linkID() const { return linkID_; }
    void setLinkID(std::int64_t key) { assignField(linkID_, key); }
    std::int64_t ownerID() const { return ownerID_; }
    void setOwnerID(std::int64_t key) { assignField(ownerID_, key); }

private:
    std::int64_t linkID_ = 0;
    std::int64_t ownerID_ = 0;
};
