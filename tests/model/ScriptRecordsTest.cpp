#include "model/DatabaseError.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "support/TempStory.h"

#include <gtest/gtest.h>

TEST(ScriptPartdb, RoundTripAndSortOrderUpdate)
{
    TempStory file;
    ScriptPartdb part;
    part.setSceneCardID(4);
    part.setSortOrder(1);
    part.setElementTypeID(2);
    part.setScriptText("JOE\n(whispering)\n\"It's the ✓ one.\"");
    part.insertIntoDatabase(&file.story());
    ASSERT_GT(part.scriptPartID(), 0);

    file.reopen();
    ScriptPartdb loaded(part.scriptPartID(), &file.story());
    EXPECT_EQ(loaded.sceneCardID(), 4);
    EXPECT_EQ(loaded.sortOrder(), 1);
    EXPECT_EQ(loaded.elementTypeID(), 2);
    EXPECT_EQ(loaded.scriptText(), part.scriptText());
    EXPECT_FALSE(loaded.isDirty());

    // updateSortOrder writes the sort order alone and leaves the record dirty.
    loaded.setSortOrder(5);
    file.exec(QStringLiteral("UPDATE ScriptPart SET ScriptText='edited elsewhere' WHERE ScriptPartID=%1")
                  .arg(part.scriptPartID()));
    loaded.updateSortOrder();
    EXPECT_TRUE(loaded.isDirty());
    EXPECT_EQ(file.scalar("SELECT SortOrder || '|' || ScriptText FROM ScriptPart"), "5|edited elsewhere");
    loaded.save();
    EXPECT_FALSE(loaded.isDirty());
    EXPECT_EQ(file.scalar("SELECT SortOrder || '|' || ScriptText FROM ScriptPart"), QString("5|") + part.scriptText());

    loaded.deleteFromDatabase();
    EXPECT_EQ(file.count("ScriptPart"), 0);
    loaded.updateSortOrder(); // the row is gone: nothing changes, nothing is raised
}

TEST(ScriptPartdb, FailedSortOrderUpdateIsReported)
{
    TempStory file;
    ScriptPartdb part;
    part.insertIntoDatabase(&file.story());
    file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON ScriptPart BEGIN SELECT RAISE(ABORT,'read only'); END");
    part.setSortOrder(3);
    EXPECT_THROW(part.updateSortOrder(), DatabaseError);
}

// A paragraph just inserted holds in its row all it holds: saving it unchanged, as leaving its box
// does, writes nothing; a change is written.
TEST(ScriptPartdb, AParagraphJustInsertedIsWrittenAgainOnlyOnceItChanges)
{
    TempStory file;
    ScriptPartdb part;
    part.setSceneCardID(4);
    part.setSortOrder(1);
    part.insertIntoDatabase(&file.story());
    file.exec("CREATE TRIGGER refuse BEFORE UPDATE ON ScriptPart BEGIN SELECT RAISE(ABORT,'read only'); END");
    EXPECT_NO_THROW(part.save());
    part.setScriptText(QStringLiteral("FADE IN:"));
    EXPECT_THROW(part.save(), DatabaseError);
}

TEST(ScriptElementdb, IndentsAndAlignmentRoundTrip)
{
    TempStory file;
    ScriptElementdb element;
    element.setElementType("Dialogue");
    element.setLeftIndent(2.5f);
    element.setRightIndent(1.5f);
    element.setAlignment("Left");
    element.insertIntoDatabase(&file.story());
    EXPECT_EQ(element.scriptElementID(), 1);
    EXPECT_EQ(file.scalar("SELECT RightIndent FROM ScriptElement"), "1.5");

    file.reopen();
    ScriptElementdb loaded(1, &file.story());
    EXPECT_EQ(loaded.elementType(), "Dialogue");
    EXPECT_EQ(loaded.leftIndent(), 2.5f);
    EXPECT_EQ(loaded.rightIndent(), 1.5f);
    EXPECT_EQ(loaded.alignment(), "Left");
    loaded.setAlignment("Center");
    loaded.save();
    file.reopen();
    EXPECT_EQ(ScriptElementdb(1, &file.story()).alignment(), "Center");
    ScriptElementdb(1, &file.story()).deleteFromDatabase();
    EXPECT_EQ(file.count("ScriptElement"), 0);
}
