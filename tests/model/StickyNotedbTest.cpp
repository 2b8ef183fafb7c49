#include "model/RecordSorting.h"
#include "model/StickyNotedb.h"
#include "support/TempStory.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QString kRtf = QString::fromUtf8("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Caf\\'e9 \"note\"\\par\n"
                                       "Zweite Zeile — 第二行 ✎}");
const QString kPlain = QString::fromUtf8("Café \"note\"\nZweite Zeile — 第二行 ✎");

void expectNewNoteDefaults(const StickyNotedb& note)
{
    EXPECT_EQ(note.screenplayID(), 0);
    EXPECT_EQ(note.title(), QStringLiteral("New Note Card"));
    EXPECT_EQ(note.note(), QString());
    EXPECT_EQ(note.textNote(), QString());
    EXPECT_EQ(note.positionLeft(), 10);
    EXPECT_EQ(note.positionTop(), 10);
    EXPECT_EQ(note.percentageHorizontal(), 0.01f);
    EXPECT_EQ(note.percentageVertical(), 0.01f);
    EXPECT_EQ(note.sizeWidth(), 218);
    EXPECT_EQ(note.sizeHeight(), 148);
    EXPECT_EQ(note.color(), 99);
}

std::unique_ptr<StickyNotedb> noteOf(std::int64_t color, const QString& title)
{
    auto note = std::make_unique<StickyNotedb>();
    note->setColor(color);
    note->setTitle(title);
    return note;
}

} // namespace

TEST(StickyNotedbTest, NewNoteHasTheBoardDefaultsAndIsClean)
{
    const StickyNotedb note;
    expectNewNoteDefaults(note);
    EXPECT_EQ(note.stickyNoteID(), 0);
    EXPECT_FALSE(note.isDirty());
}

TEST(StickyNotedbTest, DefaultsSurviveTheFileAndAMissingRowKeepsThem)
{
    TempStory file;
    StickyNotedb created;
    created.insertIntoDatabase(&file.story());
    EXPECT_FALSE(created.isDirty());

    file.reopen();
    const StickyNotedb read(created.stickyNoteID(), &file.story());
    expectNewNoteDefaults(read);
    EXPECT_FALSE(read.isDirty());

    const StickyNotedb missing(999, &file.story());
    EXPECT_EQ(missing.stickyNoteID(), 999);
    expectNewNoteDefaults(missing);
    EXPECT_FALSE(missing.isDirty());
}

TEST(StickyNotedbTest, RoundTripsEveryColumnThroughFreshConnections)
{
    TempStory file;
    StickyNotedb created;
    created.setScreenplayID(1);
    created.setTitle(QStringLiteral("Ideas \"to keep\"\nfor later"));
    created.setNote(kRtf);
    created.setTextNote(kPlain);
    created.setPositionLeft(640);
    created.setPositionTop(-12);
    created.setPercentageHorizontal(0.3478f);
    created.setPercentageVertical(0.75f);
    created.setSizeWidth(300);
    created.setSizeHeight(200);
    created.setColor(7);
    created.insertIntoDatabase(&file.story());
    EXPECT_TRUE(created.isDirty());
    const std::int64_t key = created.stickyNoteID();

    file.reopen();
    StickyNotedb read(key, &file.story());
    EXPECT_EQ(read.screenplayID(), 1);
    EXPECT_EQ(read.title(), QStringLiteral("Ideas \"to keep\"\nfor later"));
    EXPECT_EQ(read.note(), kRtf);
    EXPECT_EQ(read.textNote(), kPlain);
    EXPECT_EQ(read.positionLeft(), 640);
    EXPECT_EQ(read.positionTop(), -12);
    EXPECT_EQ(read.percentageHorizontal(), 0.3478f);
    EXPECT_EQ(read.percentageVertical(), 0.75f);
    EXPECT_EQ(read.sizeWidth(), 300);
    EXPECT_EQ(read.sizeHeight(), 200);
    EXPECT_EQ(read.color(), 7);
    EXPECT_FALSE(read.isDirty());

    // An equal RTF text leaves the note clean; a new one marks it.
    read.setNote(QString(kRtf));
    EXPECT_FALSE(read.isDirty());
    read.setNote(QStringLiteral("{\\rtf1 moved}"));
    EXPECT_TRUE(read.isDirty());
    read.setPositionLeft(20);
    read.setPercentageVertical(0.5f);
    read.save();
    EXPECT_FALSE(read.isDirty());

    file.reopen();
    StickyNotedb changed(key, &file.story());
    EXPECT_EQ(changed.note(), QStringLiteral("{\\rtf1 moved}"));
    EXPECT_EQ(changed.positionLeft(), 20);
    EXPECT_EQ(changed.percentageVertical(), 0.5f);
    EXPECT_EQ(changed.textNote(), kPlain);

    changed.deleteFromDatabase();
    EXPECT_EQ(file.count(QStringLiteral("StickyNote")), 0);
    EXPECT_EQ(changed.stickyNoteID(), key);
}

TEST(StickyNotedbTest, NullTextsOfAnOlderFileReadAsEmptyAndAreWrittenBackEmpty)
{
    TempStory file;
    file.exec(QStringLiteral(
        "DROP TABLE StickyNote; CREATE TABLE StickyNote (StickyNoteID INTEGER PRIMARY KEY, ScreenplayID integer, "
        "Title text, Note text, PositionLeft integer, PositionTop integer, PercentageHorizontal double, "
        "PercentageVertical double, SizeWidth integer, SizeHeight integer, Color integer, TextNote text);"
        "INSERT INTO StickyNote (StickyNoteID, Color) VALUES (5, 2);"));
    file.reopen();
    StickyNotedb note(5, &file.story());
    EXPECT_EQ(note.title(), QString(QLatin1String("")));
    EXPECT_EQ(note.note(), QString(QLatin1String("")));
    EXPECT_EQ(note.textNote(), QString(QLatin1String("")));
    EXPECT_EQ(note.color(), 2);
    EXPECT_FALSE(note.isDirty());

    note.setColor(3);
    note.save();
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT quote(Title) || quote(Note) || quote(TextNote) FROM StickyNote")),
              QStringLiteral("''''''"));
}

TEST(StickyNotedbTest, SortByColorThenTitleIgnoringCase)
{
    EXPECT_EQ(noteOf(1, QStringLiteral("z"))->sortByColor(*noteOf(99, QStringLiteral("a"))), -1);
    EXPECT_EQ(noteOf(99, QStringLiteral("a"))->sortByColor(*noteOf(1, QStringLiteral("z"))), 1);
    EXPECT_EQ(noteOf(3, QStringLiteral("Apple"))->sortByColor(*noteOf(3, QStringLiteral("banana"))), -1);
    EXPECT_EQ(noteOf(3, QStringLiteral("banana"))->sortByColor(*noteOf(3, QStringLiteral("Apple"))), 1);
    EXPECT_EQ(noteOf(3, QStringLiteral("apple"))->sortByColor(*noteOf(3, QStringLiteral("APPLE"))), 0);

    std::vector<std::unique_ptr<StickyNotedb>> notes;
    for (const auto& [color, title] : std::vector<std::pair<std::int64_t, QString>>{
             {99, QStringLiteral("white")}, {3, QStringLiteral("banana")}, {3, QStringLiteral("SAME")},
             {3, QStringLiteral("Apple")}, {1, QStringLiteral("red")}, {3, QStringLiteral("same")}})
        notes.push_back(noteOf(color, title));
    sortRecords(notes, &StickyNotedb::sortByColor);
    std::vector<QString> titles;
    for (const auto& note : notes)
        titles.push_back(note->title());
    EXPECT_EQ(titles, (std::vector<QString>{QStringLiteral("red"), QStringLiteral("Apple"), QStringLiteral("banana"),
                                            QStringLiteral("SAME"), QStringLiteral("same"), QStringLiteral("white")}));
}
