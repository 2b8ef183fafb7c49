#pragma once

#include "StoryRecord.h"

// A note card pinned to the story's general-notes board: a title, the note as formatted (RTF)
// text and as plain text, a position, a size and a colour.
class StickyNotedb : public StoryRecord
{
    VTR_PROPERTY(std::int64_t, stickyNoteID, setStickyNoteID) = 0;
    VTR_PROPERTY(std::int64_t, screenplayID, setScreenplayID) = 0;
    VTR_PROPERTY(QString, title, setTitle) = QStringLiteral("New Note Card");
    // The RTF document of the note, held as text.
    VTR_PROPERTY(QString, note, setNote) = QString(QLatin1String(""));
    // Board position in points and as fractions of the general-notes board's width and height.
    VTR_PROPERTY(std::int64_t, positionLeft, setPositionLeft) = 10;
    VTR_PROPERTY(std::int64_t, positionTop, setPositionTop) = 10;
    VTR_PROPERTY(float, percentageHorizontal, setPercentageHorizontal) = 0.01f;
    VTR_PROPERTY(float, percentageVertical, setPercentageVertical) = 0.01f;
    VTR_PROPERTY(std::int64_t, sizeWidth, setSizeWidth) = 218;
    VTR_PROPERTY(std::int64_t, sizeHeight, setSizeHeight) = 148;
    // 1 to 10 pick a colour of the note palette; any other value shows white.
    VTR_PROPERTY(std::int64_t, color, setColor) = 99;
    // The note as plain text.
    VTR_PROPERTY(QString, textNote, setTextNote) = QString(QLatin1String(""));

public:
    StickyNotedb() = default;
    StickyNotedb(std::int64_t key, Screenplaydb* screenplay) { initWithPrimaryKey(key, screenplay); }

    void initWithPrimaryKey(std::int64_t key, Screenplaydb* screenplay);
    // Takes the key and story, and the fields from `row` (a row of selectByKeySql's columns, in
    // that order, or nothing for a key without a row); the record is clean afterwards.
    void loadRow(std::int64_t key, Screenplaydb* screenplay, const StatementUse* row);
    // "SELECT <columns> FROM <table> WHERE <key>=?": the record's row by its key.
    static const char* selectByKeySql();
    void save();
    void insertIntoDatabase(Screenplaydb* screenplay);
    void deleteFromDatabase();

    // By colour number, then by title ignoring case.
    int sortByColor(const StickyNotedb& other) const;

protected:
    const char* sourceName() const override { return "StickyNotedb"; }

private:
    void bindColumns(StatementUse& statement) const;
};
