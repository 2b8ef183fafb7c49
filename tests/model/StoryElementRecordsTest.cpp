#include "model/Beatdb.h"
#include "model/ColorCodedb.h"
#include "model/DatabaseError.h"
#include "model/GreenlightChecklistQuestiondb.h"
#include "model/Loglinedb.h"
#include "support/TempStory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// A text that a naive binding would damage: quotes, non-Latin letters, an emoji, a line break.
QString awkwardText(int variant)
{
    return QString::fromUtf8("Ümläut \"quoted\" it's — 台本 🎬\nline %1").arg(variant);
}

// Beyond the 32-bit range, so that a narrowing read would show.
constexpr std::int64_t kWideStoryKey = (std::int64_t{1} << 33) + 5;

std::int64_t storyKey(int variant)
{
    return variant == 1 ? 1 : kWideStoryKey;
}

// What the typed tests need to know of each record class: its table, the cache-name prefix of
// its statements, how to fill every persisted field with one of two distinct sets of values and
// how to check them, and its defaults.
template <typename Record>
struct RecordTraits;

template <>
struct RecordTraits<Beatdb>
{
    static constexpr const char* table = "Beat";
    static constexpr const char* keyColumn = "BeatID";
    static constexpr const char* textColumn = "Description";
    static constexpr const char* prefix = "beat";
    static constexpr const char* source = "Beatdb";
    static std::int64_t key(const Beatdb& r) { return r.beatID(); }
    static void fill(Beatdb& r, int v)
    {
        r.setScreenplayID(storyKey(v));
        r.setBeatNumber(v == 1 ? 1 : 15);
        r.setDescription(awkwardText(v));
    }
    static void expectFilled(const Beatdb& r, int v)
    {
        EXPECT_EQ(r.screenplayID(), storyKey(v));
        EXPECT_EQ(r.beatNumber(), v == 1 ? 1 : 15);
        EXPECT_EQ(r.description(), awkwardText(v));
    }
    static void expectDefaults(const Beatdb& r)
    {
        EXPECT_EQ(r.screenplayID(), 0);
        EXPECT_EQ(r.beatNumber(), 0);
        EXPECT_EQ(r.description(), QString());
    }
    static void clearText(Beatdb& r) { r.setDescription(QString()); }
};

template <>
struct RecordTraits<Loglinedb>
{
    static constexpr const char* table = "Logline";
    static constexpr const char* keyColumn = "LoglineID";
    static constexpr const char* textColumn = "Logline";
    static constexpr const char* prefix = "logline";
    static constexpr const char* source = "Loglinedb";
    static std::int64_t key(const Loglinedb& r) { return r.loglineID(); }
    static void fill(Loglinedb& r, int v)
    {
        r.setScreenplayID(storyKey(v));
        r.setLogline(awkwardText(v));
        r.setCurrentLoglineFlag(v == 1 ? 1 : 0);
    }
    static void expectFilled(const Loglinedb& r, int v)
    {
        EXPECT_EQ(r.screenplayID(), storyKey(v));
        EXPECT_EQ(r.logline(), awkwardText(v));
        EXPECT_EQ(r.currentLoglineFlag(), v == 1 ? 1 : 0);
    }
    static void expectDefaults(const Loglinedb& r)
    {
        EXPECT_EQ(r.screenplayID(), 0);
        EXPECT_EQ(r.logline(), QString());
        EXPECT_EQ(r.currentLoglineFlag(), 0);
    }
    static void clearText(Loglinedb& r) { r.setLogline(QString()); }
};

template <>
struct RecordTraits<GreenlightChecklistQuestiondb>
{
    using Record = GreenlightChecklistQuestiondb;
    static constexpr const char* table = "GreenlightChecklistQuestion";
    static constexpr const char* keyColumn = "GreenlightChecklistQuestionID";
    static constexpr const char* textColumn = "Answer";
    static constexpr const char* prefix = "greenlight";
    static constexpr const char* source = "GreenlightChecklistQuestiondb";
    static std::int64_t key(const Record& r) { return r.greenlightChecklistQuestionID(); }
    static QString answerOf(int v) { return v == 1 ? awkwardText(v) : QStringLiteral("Y"); }
    static void fill(Record& r, int v)
    {
        r.setScreenplayID(storyKey(v));
        r.setQuestionNumber(v == 1 ? 1 : 55);
        r.setAnswer(answerOf(v));
    }
    static void expectFilled(const Record& r, int v)
    {
        EXPECT_EQ(r.screenplayID(), storyKey(v));
        EXPECT_EQ(r.questionNumber(), v == 1 ? 1 : 55);
        EXPECT_EQ(r.answer(), answerOf(v));
    }
    static void expectDefaults(const Record& r)
    {
        EXPECT_EQ(r.screenplayID(), 0);
        EXPECT_EQ(r.questionNumber(), 0);
        EXPECT_EQ(r.answer(), QString());
    }
    static void clearText(Record& r) { r.setAnswer(QString()); }
};

template <>
struct RecordTraits<ColorCodedb>
{
    static constexpr const char* table = "ColorCode";
    static constexpr const char* keyColumn = "ColorCodeID";
    static constexpr const char* textColumn = "Description";
    static constexpr const char* prefix = "colorCode";
    static constexpr const char* source = "ColorCodedb";
    static std::int64_t key(const ColorCodedb& r) { return r.colorCodeID(); }
    static void fill(ColorCodedb& r, int v)
    {
        r.setScreenplayID(storyKey(v));
        r.setDescription(awkwardText(v));
        r.setRedValue(v == 1 ? 12 : 255);
        r.setGreenValue(v == 1 ? 34 : 0);
        r.setBlueValue(v == 1 ? 56 : 255);
        r.setAlphaValue(v == 1 ? 128 : 0);
    }
    static void expectFilled(const ColorCodedb& r, int v)
    {
        EXPECT_EQ(r.screenplayID(), storyKey(v));
        EXPECT_EQ(r.description(), awkwardText(v));
        EXPECT_EQ(r.redValue(), v == 1 ? 12 : 255);
        EXPECT_EQ(r.greenValue(), v == 1 ? 34 : 0);
        EXPECT_EQ(r.blueValue(), v == 1 ? 56 : 255);
        EXPECT_EQ(r.alphaValue(), v == 1 ? 128 : 0);
    }
    static void expectDefaults(const ColorCodedb& r)
    {
        EXPECT_EQ(r.screenplayID(), 0);
        EXPECT_EQ(r.description(), QStringLiteral("New Color Code"));
        EXPECT_EQ(r.redValue(), 0);
        EXPECT_EQ(r.greenValue(), 0);
        EXPECT_EQ(r.blueValue(), 0);
        EXPECT_EQ(r.alphaValue(), 255);
    }
    static void clearText(ColorCodedb& r) { r.setDescription(QString()); }
};

template <typename Record>
class StoryElementRecord : public ::testing::Test
{
protected:
    using Traits = RecordTraits<Record>;

    static std::string statementName(const char* operation)
    {
        return std::string(Traits::prefix) + "_" + operation + "_statement";
    }

    std::int64_t insertFilled(int variant)
    {
        Record record;
        Traits::fill(record, variant);
        record.insertIntoDatabase(&file.story());
        return Traits::key(record);
    }

    QString textInFile(std::int64_t key) const
    {
        return file.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3=%4")
                               .arg(QLatin1String(Traits::textColumn), QLatin1String(Traits::table),
                                    QLatin1String(Traits::keyColumn))
                               .arg(key));
    }

    long long rows() const { return file.count(QLatin1String(Traits::table)); }

    template <typename Operation>
    void expectFailure(Operation operation, const char* message)
    {
        try {
            operation();
            ADD_FAILURE() << "no DatabaseError for: " << message;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.source(), QLatin1String(Traits::source));
            EXPECT_EQ(error.message(), QString::fromLatin1(message));
        }
    }

    TempStory file;
};

using StoryElementRecordTypes = ::testing::Types<Beatdb, Loglinedb, GreenlightChecklistQuestiondb, ColorCodedb>;
TYPED_TEST_SUITE(StoryElementRecord, StoryElementRecordTypes);

} // namespace

TYPED_TEST(StoryElementRecord, RoundTripsThroughFreshConnections)
{
    using Traits = typename TestFixture::Traits;
    TypeParam created;
    Traits::fill(created, 1);
    created.insertIntoDatabase(&this->file.story());
    const std::int64_t key = Traits::key(created);
    EXPECT_GT(key, 0);
    EXPECT_TRUE(created.isDirty()) << "an insert leaves the mark of the setters alone";
    EXPECT_EQ(created.screenplay(), &this->file.story());
    EXPECT_TRUE(this->file.story().hasStatement(this->statementName("insert")));

    this->file.reopen();
    TypeParam read(key, &this->file.story());
    EXPECT_EQ(Traits::key(read), key);
    Traits::expectFilled(read, 1);
    EXPECT_FALSE(read.isDirty());
    EXPECT_TRUE(this->file.story().hasStatement(this->statementName("init")));

    // The values it already holds change nothing, and a clean save prepares nothing.
    Traits::fill(read, 1);
    EXPECT_FALSE(read.isDirty());
    read.save();
    EXPECT_FALSE(this->file.story().hasStatement(this->statementName("save")));

    Traits::fill(read, 2);
    EXPECT_TRUE(read.isDirty());
    read.save();
    EXPECT_FALSE(read.isDirty());
    EXPECT_TRUE(this->file.story().hasStatement(this->statementName("save")));

    this->file.reopen();
    TypeParam changed(key, &this->file.story());
    Traits::expectFilled(changed, 2);
    EXPECT_EQ(this->rows(), 1);

    changed.deleteFromDatabase();
    EXPECT_EQ(this->rows(), 0);
    EXPECT_TRUE(this->file.story().hasStatement(this->statementName("delete")));
    EXPECT_EQ(Traits::key(changed), key) << "the deleted object keeps its key and fields";
    Traits::expectFilled(changed, 2);
}

TYPED_TEST(StoryElementRecord, MissingRowKeepsDefaultsAndKeyAndWritesNothing)
{
    using Traits = typename TestFixture::Traits;
    TypeParam fresh;
    Traits::expectDefaults(fresh);
    EXPECT_EQ(Traits::key(fresh), 0);
    EXPECT_FALSE(fresh.isDirty());

    TypeParam missing(4711, &this->file.story());
    EXPECT_EQ(Traits::key(missing), 4711);
    Traits::expectDefaults(missing);
    EXPECT_FALSE(missing.isDirty());

    // Saving or deleting a row that is not there completes and changes nothing.
    Traits::fill(missing, 1);
    missing.save();
    EXPECT_FALSE(missing.isDirty());
    missing.deleteFromDatabase();
    EXPECT_EQ(this->rows(), 0);
}

TYPED_TEST(StoryElementRecord, InsertingTwiceAddsASecondRowUnderTheNewerKey)
{
    using Traits = typename TestFixture::Traits;
    TypeParam record;
    Traits::fill(record, 1);
    record.insertIntoDatabase(&this->file.story());
    const std::int64_t first = Traits::key(record);
    record.insertIntoDatabase(&this->file.story());
    EXPECT_GT(Traits::key(record), first);
    EXPECT_EQ(this->rows(), 2);
}

TYPED_TEST(StoryElementRecord, AbsentTextIsWrittenAsEmptyTextNeverNull)
{
    using Traits = typename TestFixture::Traits;
    TypeParam record;
    Traits::fill(record, 1);
    Traits::clearText(record);
    record.insertIntoDatabase(&this->file.story());
    EXPECT_EQ(this->textInFile(Traits::key(record)), QString(QLatin1String("")));

    TypeParam read(Traits::key(record), &this->file.story());
    Traits::fill(read, 2);
    read.save();
    Traits::clearText(read);
    read.save();
    EXPECT_EQ(this->textInFile(Traits::key(read)), QString(QLatin1String("")));
}

TYPED_TEST(StoryElementRecord, FailedWritesRaiseTheirMessagesAndKeepTheRecord)
{
    using Traits = typename TestFixture::Traits;
    const std::int64_t key = this->insertFilled(1);
    const QString table = QLatin1String(Traits::table);
    for (const char* event : {"INSERT", "UPDATE", "DELETE"})
        this->file.exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT,'refused'); END")
                            .arg(QLatin1String(event), table));

    TypeParam created;
    Traits::fill(created, 2);
    this->expectFailure([&] { created.insertIntoDatabase(&this->file.story()); },
                        "Error: failed to insert into the screenplay.database with message 'refused'.");
    EXPECT_EQ(Traits::key(created), 0);

    TypeParam read(key, &this->file.story());
    Traits::fill(read, 2);
    this->expectFailure([&] { read.save(); }, "Error: failed to save with message 'refused'.");
    EXPECT_TRUE(read.isDirty()) << "a failed save keeps the change for the next try";

    this->expectFailure([&] { read.deleteFromDatabase(); },
                        "Error: failed to delete from screenplay.database with message 'refused'.");
    EXPECT_EQ(this->rows(), 1);
}

TEST(ColorCodedbTest, CallerSetKeyGivesWayToTheAssignedRowID)
{
    TempStory file;
    for (int i = 0; i < 2; ++i) {
        ColorCodedb earlier;
        earlier.insertIntoDatabase(&file.story());
    }
    ColorCodedb code;
    code.setColorCodeID(7);
    EXPECT_TRUE(code.isDirty());
    code.insertIntoDatabase(&file.story());
    EXPECT_EQ(code.colorCodeID(), 3);
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT Description || ',' || AlphaValue FROM ColorCode WHERE ColorCodeID=3")),
              QStringLiteral("New Color Code,255"));
    EXPECT_EQ(file.count(QStringLiteral("ColorCode WHERE ColorCodeID=7")), 0);
}
