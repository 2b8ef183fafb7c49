#include "model/AttachedObjectdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/DatabaseError.h"
#include "model/RecordSorting.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneLocationObjectdb.h"
#include "model/SceneLocationdb.h"
#include "support/QtPrinting.h"
#include "support/TempStory.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// A text a careless binding would damage (quotes, non-Latin letters, an emoji, line breaks),
// different for every field and version so that a value in the wrong column shows.
QString storyText(int field, int version)
{
    return QString::fromUtf8("Ümläut \"quoted\" it's — 台本 🎬\r\nfield %1\nversion %2").arg(field).arg(version);
}

// Keys beyond the 32-bit range, so that a narrowing read would show.
std::int64_t wideKey(int version)
{
    return (std::int64_t{1} << 33) + version;
}

// The nineteen text fields of a character with their columns, named accessors and composed names.
struct CharacterText
{
    const char* key;
    const char* column;
    const QString& (Characterdb::*get)() const;
    void (Characterdb::*set)(const QString&);
};

const std::array<CharacterText, 19> kCharacterTexts{{
    {"characterName", "CharacterName", &Characterdb::characterName, &Characterdb::setCharacterName},
    {"age", "Age", &Characterdb::age, &Characterdb::setAge},
    {"gender", "Gender", &Characterdb::gender, &Characterdb::setGender},
    {"description", "Description", &Characterdb::description, &Characterdb::setDescription},
    {"wants", "Wants", &Characterdb::wants, &Characterdb::setWants},
    {"needs", "Needs", &Characterdb::needs, &Characterdb::setNeeds},
    {"notes", "Notes", &Characterdb::notes, &Characterdb::setNotes},
    {"needsFixing1", "NeedsFixing1", &Characterdb::needsFixing1, &Characterdb::setNeedsFixing1},
    {"needsFixing1Notes", "NeedsFixing1Notes", &Characterdb::needsFixing1Notes, &Characterdb::setNeedsFixing1Notes},
    {"needsFixing2", "NeedsFixing2", &Characterdb::needsFixing2, &Characterdb::setNeedsFixing2},
    {"needsFixing2Notes", "NeedsFixing2Notes", &Characterdb::needsFixing2Notes, &Characterdb::setNeedsFixing2Notes},
    {"needsFixing3", "NeedsFixing3", &Characterdb::needsFixing3, &Characterdb::setNeedsFixing3},
    {"needsFixing3Notes", "NeedsFixing3Notes", &Characterdb::needsFixing3Notes, &Characterdb::setNeedsFixing3Notes},
    {"needsFixing4", "NeedsFixing4", &Characterdb::needsFixing4, &Characterdb::setNeedsFixing4},
    {"needsFixing4Notes", "NeedsFixing4Notes", &Characterdb::needsFixing4Notes, &Characterdb::setNeedsFixing4Notes},
    {"needsFixing5", "NeedsFixing5", &Characterdb::needsFixing5, &Characterdb::setNeedsFixing5},
    {"needsFixing5Notes", "NeedsFixing5Notes", &Characterdb::needsFixing5Notes, &Characterdb::setNeedsFixing5Notes},
    {"needsFixing6", "NeedsFixing6", &Characterdb::needsFixing6, &Characterdb::setNeedsFixing6},
    {"needsFixing6Notes", "NeedsFixing6Notes", &Characterdb::needsFixing6Notes, &Characterdb::setNeedsFixing6Notes},
}};

// What the lifecycle tests need of each record class: its table and statement names, its
// failure wording, how to fill it with one of two distinct versions and check them, its
// defaults, and a probe that reads named columns of its row straight from the file.
template <typename Record>
struct Traits;

constexpr const char* kPatternInsertFailure = "Error: failed to insert into the screenplay.database with message 'refused'.";
constexpr const char* kPatternDeleteFailure = "Error: failed to delete from screenplay.database with message 'refused'.";

template <>
struct Traits<Characterdb>
{
    using R = Characterdb;
    static constexpr const char* table = "Character";
    static constexpr const char* prefix = "character";
    static constexpr const char* source = "Characterdb";
    static constexpr const char* insertFailure = "Error: failed to insert into the database with message 'refused'.";
    static constexpr const char* deleteFailure = "Error: failed to delete from database with message 'refused'.";
    static std::int64_t key(const R& r) { return r.characterID(); }
    static void fill(R& r, int v)
    {
        r.setScreenplayID(wideKey(v));
        for (std::size_t i = 0; i < kCharacterTexts.size(); ++i)
            (r.*kCharacterTexts[i].set)(storyText(int(i), v));
    }
    static void expectFilled(const R& r, int v)
    {
        EXPECT_EQ(r.screenplayID(), wideKey(v));
        for (std::size_t i = 0; i < kCharacterTexts.size(); ++i)
            EXPECT_EQ((r.*kCharacterTexts[i].get)(), storyText(int(i), v)) << kCharacterTexts[i].key;
    }
    static void expectDefaults(const R& r)
    {
        EXPECT_EQ(r.screenplayID(), 0);
        for (const CharacterText& text : kCharacterTexts)
            EXPECT_EQ((r.*text.get)(), QString()) << text.key;
        EXPECT_TRUE(r.characterObjects().empty());
    }
    static QString probe() { return QStringLiteral("ScreenplayID||'|'||NeedsFixing4Notes||'|'||Notes"); }
    static QString probed(int v) { return QStringLiteral("%1|%2|%3").arg(wideKey(v)).arg(storyText(14, v), storyText(6, v)); }
};

template <>
struct Traits<SceneLocationdb>
{
    using R = SceneLocationdb;
    static constexpr const char* table = "SceneLocation";
    static constexpr const char* prefix = "sceneLocation";
    static constexpr const char* source = "SceneLocationdb";
    static constexpr const char* insertFailure = kPatternInsertFailure;
    static constexpr const char* deleteFailure = kPatternDeleteFailure;
    static std::int64_t key(const R& r) { return r.sceneLocationID(); }
    static void fill(R& r, int v)
    {
        r.setScreenplayID(wideKey(v));
        r.setLocation(storyText(1, v));
        r.setDescription(storyText(2, v));
        r.setNotes(storyText(3, v));
    }
    static void expectFilled(const R& r, int v)
    {
        EXPECT_EQ(r.screenplayID(), wideKey(v));
        EXPECT_EQ(r.location(), storyText(1, v));
        EXPECT_EQ(r.description(), storyText(2, v));
        EXPECT_EQ(r.notes(), storyText(3, v));
    }
    static void expectDefaults(const R& r)
    {
        EXPECT_EQ(r.screenplayID(), 0);
        EXPECT_EQ(r.location(), QString());
        EXPECT_EQ(r.description(), QString());
        EXPECT_EQ(r.notes(), QString());
        EXPECT_TRUE(r.locationObjects().empty());
    }
    static QString probe() { return QStringLiteral("Location||'|'||Notes"); }
    static QString probed(int v) { return storyText(1, v) + QLatin1Char('|') + storyText(3, v); }
};

template <>
struct Traits<SceneCardCharacterdb>
{
    using R = SceneCardCharacterdb;
    static constexpr const char* table = "SceneCardCharacter";
    static constexpr const char* prefix = "sceneCardCharacter";
    static constexpr const char* source = "SceneCardCharacterdb";
    static constexpr const char* insertFailure = kPatternInsertFailure;
    static constexpr const char* deleteFailure = kPatternDeleteFailure;
    static std::int64_t key(const R& r) { return r.sceneCardCharacterID(); }
    static void fill(R& r, int v)
    {
        r.setSceneCardID(wideKey(v));
        r.setCharacterID(10 + v);
        r.setDescription(storyText(1, v));
    }
    static void expectFilled(const R& r, int v)
    {
        EXPECT_EQ(r.sceneCardID(), wideKey(v));
        EXPECT_EQ(r.characterID(), 10 + v);
        EXPECT_EQ(r.description(), storyText(1, v));
    }
    static void expectDefaults(const R& r)
    {
        EXPECT_EQ(r.sceneCardID(), 0);
        EXPECT_EQ(r.characterID(), 0);
        EXPECT_EQ(r.description(), QString());
        EXPECT_TRUE(r.characterName().isEmpty());
    }
    static QString probe() { return QStringLiteral("SceneCardID||'|'||CharacterID"); }
    static QString probed(int v) { return QStringLiteral("%1|%2").arg(wideKey(v)).arg(10 + v); }
};

// The three attachment links differ only in their table, owner column and accessor names.
template <typename Link, std::int64_t (Link::*owner)() const, void (Link::*setOwner)(std::int64_t),
          std::int64_t (Link::*linkKey)() const>
struct LinkTraits
{
    static constexpr const char* insertFailure = kPatternInsertFailure;
    static constexpr const char* deleteFailure = kPatternDeleteFailure;
    static std::int64_t key(const Link& r) { return (r.*linkKey)(); }
    static void fill(Link& r, int v)
    {
        (r.*setOwner)(wideKey(v));
        r.setAttachedObjectID(20 + v);
        r.setDescription(storyText(1, v));
        r.setPrimaryDisplayFlag(v == 1 ? 1 : 0);
    }
    static void expectFilled(const Link& r, int v)
    {
        EXPECT_EQ((r.*owner)(), wideKey(v));
        EXPECT_EQ(r.attachedObjectID(), 20 + v);
        EXPECT_EQ(r.description(), storyText(1, v));
        EXPECT_EQ(r.primaryDisplayFlag(), v == 1 ? 1 : 0);
    }
    static void expectDefaults(const Link& r)
    {
        EXPECT_EQ((r.*owner)(), 0);
        EXPECT_EQ(r.attachedObjectID(), 0);
        EXPECT_EQ(r.description(), QString());
        EXPECT_EQ(r.primaryDisplayFlag(), 0);
    }
    static QString probed(int v) { return QStringLiteral("%1|%2|%3").arg(wideKey(v)).arg(20 + v).arg(v == 1 ? 1 : 0); }
};

template <>
struct Traits<CharacterObjectdb>
    : LinkTraits<CharacterObjectdb, &CharacterObjectdb::characterID, &CharacterObjectdb::setCharacterID,
                 &CharacterObjectdb::characterObjectID>
{
    static constexpr const char* table = "CharacterObject";
    static constexpr const char* prefix = "characterObject";
    static constexpr const char* source = "CharacterObjectdb";
    static QString probe() { return QStringLiteral("CharacterID||'|'||AttachedObjectID||'|'||PrimaryDisplayFlag"); }
};

template <>
struct Traits<SceneLocationObjectdb>
    : LinkTraits<SceneLocationObjectdb, &SceneLocationObjectdb::sceneLocationID,
                 &SceneLocationObjectdb::setSceneLocationID, &SceneLocationObjectdb::sceneLocationObjectID>
{
    static constexpr const char* table = "SceneLocationObject";
    static constexpr const char* prefix = "sceneLocationObject";
    static constexpr const char* source = "SceneLocationObjectdb";
    static QString probe() { return QStringLiteral("SceneLocationID||'|'||AttachedObjectID||'|'||PrimaryDisplayFlag"); }
};

template <>
struct Traits<SceneCardObjectdb>
    : LinkTraits<SceneCardObjectdb, &SceneCardObjectdb::sceneCardID, &SceneCardObjectdb::setSceneCardID,
                 &SceneCardObjectdb::sceneCardObjectID>
{
    static constexpr const char* table = "SceneCardObject";
    static constexpr const char* prefix = "sceneCardObject";
    static constexpr const char* source = "SceneCardObjectdb";
    static QString probe() { return QStringLiteral("SceneCardID||'|'||AttachedObjectID||'|'||PrimaryDisplayFlag"); }
};

template <>
struct Traits<AttachedObjectdb>
{
    using R = AttachedObjectdb;
    static constexpr const char* table = "AttachedObject";
    static constexpr const char* prefix = "attachedObject";
    static constexpr const char* source = "AttachedObjectdb";
    static constexpr const char* insertFailure = kPatternInsertFailure;
    static constexpr const char* deleteFailure = kPatternDeleteFailure;
    static std::int64_t key(const R& r) { return r.attachedObjectID(); }
    // Every number differs from every other, so that two swapped columns show.
    static std::int64_t number(int field, int v) { return field * 10 + v; }
    static void fill(R& r, int v)
    {
        r.setScreenplayID(wideKey(v));
        r.setTitle(storyText(1, v));
        r.setDescription(storyText(2, v));
        r.setObjectType(number(1, v));
        r.setCurrentView(number(2, v));
        r.setFileName(storyText(3, v));
        r.setPositionLeft(number(3, v));
        r.setPositionTop(number(4, v));
        r.setPercentageHorizontal(v == 1 ? 0.25f : 0.8125f);
        r.setPercentageVertical(v == 1 ? 0.5f : 0.0625f);
        r.setSizeHeight(number(5, v));
        r.setSizeWidth(number(6, v));
        r.setColor(number(7, v));
        r.setLastFullImageWidth(number(8, v));
        r.setLastFullImageHeight(number(9, v));
        r.setTextDescription(storyText(4, v));
        r.setMimeType(storyText(5, v));
    }
    static void expectFilled(const R& r, int v)
    {
        EXPECT_EQ(r.screenplayID(), wideKey(v));
        EXPECT_EQ(r.title(), storyText(1, v));
        EXPECT_EQ(r.description(), storyText(2, v));
        EXPECT_EQ(r.objectType(), number(1, v));
        EXPECT_EQ(r.currentView(), number(2, v));
        EXPECT_EQ(r.fileName(), storyText(3, v));
        EXPECT_EQ(r.positionLeft(), number(3, v));
        EXPECT_EQ(r.positionTop(), number(4, v));
        EXPECT_EQ(r.percentageHorizontal(), v == 1 ? 0.25f : 0.8125f);
        EXPECT_EQ(r.percentageVertical(), v == 1 ? 0.5f : 0.0625f);
        EXPECT_EQ(r.sizeHeight(), number(5, v));
        EXPECT_EQ(r.sizeWidth(), number(6, v));
        EXPECT_EQ(r.color(), number(7, v));
        EXPECT_EQ(r.lastFullImageWidth(), number(8, v));
        EXPECT_EQ(r.lastFullImageHeight(), number(9, v));
        EXPECT_EQ(r.textDescription(), storyText(4, v));
        EXPECT_EQ(r.mimeType(), storyText(5, v));
    }
    static void expectDefaults(const R& r)
    {
        EXPECT_EQ(r.screenplayID(), 0);
        EXPECT_EQ(r.color(), 1) << "a new attachment has colour 1, every other number 0";
        for (std::int64_t number : {r.objectType(), r.currentView(), r.positionLeft(), r.positionTop(), r.sizeHeight(),
                                    r.sizeWidth(), r.lastFullImageWidth(), r.lastFullImageHeight()})
            EXPECT_EQ(number, 0);
        EXPECT_EQ(r.percentageHorizontal(), 0.0f);
        EXPECT_EQ(r.percentageVertical(), 0.0f);
        for (const QString& text : {r.title(), r.description(), r.fileName(), r.textDescription(), r.mimeType()})
            EXPECT_EQ(text, QString());
    }
    static QString probe()
    {
        return QStringLiteral("SizeHeight||'|'||SizeWidth||'|'||Color||'|'||LastFullImageWidth||'|'||"
                              "LastFullImageHeight||'|'||PercentageHorizontal||'|'||MimeType");
    }
    static QString probed(int v)
    {
        return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
            .arg(number(5, v))
            .arg(number(6, v))
            .arg(number(7, v))
            .arg(number(8, v))
            .arg(number(9, v))
            .arg(v == 1 ? QStringLiteral("0.25") : QStringLiteral("0.8125"), storyText(5, v));
    }
};

template <typename Record>
class StoryRecordLifecycle : public ::testing::Test
{
protected:
    using T = Traits<Record>;

    bool cached(const char* operation)
    {
        return file.story().hasStatement(std::string(T::prefix) + "_" + operation + "_statement");
    }

    QString rowProbe(std::int64_t key) const
    {
        return file.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %2ID=%3")
                               .arg(T::probe(), QLatin1String(T::table))
                               .arg(key));
    }

    long long rows() const { return file.count(QLatin1String(T::table)); }

    template <typename Operation>
    void expectRaised(Operation operation, const char* message)
    {
        try {
            operation();
            ADD_FAILURE() << "no DatabaseError, expected: " << message;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.source(), QLatin1String(T::source));
            EXPECT_EQ(error.message(), QString::fromUtf8(message));
        }
    }

    TempStory file;
};

using LifecycleTypes = ::testing::Types<Characterdb, SceneLocationdb, SceneCardCharacterdb, CharacterObjectdb,
                                        SceneLocationObjectdb, SceneCardObjectdb, AttachedObjectdb>;
TYPED_TEST_SUITE(StoryRecordLifecycle, LifecycleTypes);

} // namespace

TYPED_TEST(StoryRecordLifecycle, RoundTripsThroughAFreshConnection)
{
    using T = typename TestFixture::T;
    TypeParam created;
    T::fill(created, 1);
    created.insertIntoDatabase(&this->file.story());
    const std::int64_t key = T::key(created);
    EXPECT_EQ(QString::number(key), this->file.scalar(QStringLiteral("SELECT last_insert_rowid()")));
    EXPECT_TRUE(created.isDirty()) << "an insert leaves the mark of the setters alone";
    EXPECT_EQ(this->rowProbe(key), T::probed(1)) << "values reach their own columns";

    this->file.reopen();
    TypeParam read(key, &this->file.story());
    EXPECT_EQ(T::key(read), key);
    T::expectFilled(read, 1);
    EXPECT_FALSE(read.isDirty());

    T::fill(read, 1);
    EXPECT_FALSE(read.isDirty()) << "setting the values it holds changes nothing";
    read.save();
    EXPECT_FALSE(this->cached("save")) << "saving a clean record touches no statement";

    T::fill(read, 2);
    EXPECT_TRUE(read.isDirty());
    read.save();
    EXPECT_FALSE(read.isDirty());

    this->file.reopen();
    TypeParam changed(key, &this->file.story());
    T::expectFilled(changed, 2);
    EXPECT_EQ(this->rowProbe(key), T::probed(2));

    changed.deleteFromDatabase();
    EXPECT_EQ(this->rows(), 0);
    EXPECT_EQ(T::key(changed), key) << "the deleted object keeps its key and fields";
    T::expectFilled(changed, 2);
}

TYPED_TEST(StoryRecordLifecycle, MissingKeyKeepsDefaultsAndWritesNothing)
{
    using T = typename TestFixture::T;
    const TypeParam fresh;
    T::expectDefaults(fresh);
    EXPECT_EQ(T::key(fresh), 0);
    EXPECT_FALSE(fresh.isDirty());

    TypeParam missing(4711, &this->file.story());
    EXPECT_EQ(T::key(missing), 4711);
    T::expectDefaults(missing);
    EXPECT_FALSE(missing.isDirty());

    T::fill(missing, 1);
    missing.save();
    EXPECT_FALSE(missing.isDirty());
    missing.deleteFromDatabase();
    EXPECT_EQ(this->rows(), 0);

    missing.insertIntoDatabase(&this->file.story());
    const std::int64_t first = T::key(missing);
    missing.insertIntoDatabase(&this->file.story());
    EXPECT_GT(T::key(missing), first) << "a second insert adds a second row under the newer key";
    EXPECT_EQ(this->rows(), 2);
}

TYPED_TEST(StoryRecordLifecycle, FailedWritesRaiseTheClassMessageAndKeepTheChange)
{
    using T = typename TestFixture::T;
    TypeParam stored;
    T::fill(stored, 1);
    stored.insertIntoDatabase(&this->file.story());
    for (const char* event : {"INSERT", "UPDATE", "DELETE"})
        this->file.exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT,'refused'); END")
                            .arg(QLatin1String(event), QLatin1String(T::table)));

    TypeParam created;
    this->expectRaised([&] { created.insertIntoDatabase(&this->file.story()); }, T::insertFailure);
    EXPECT_EQ(T::key(created), 0);

    TypeParam read(T::key(stored), &this->file.story());
    T::fill(read, 2);
    this->expectRaised([&] { read.save(); }, "Error: failed to save with message 'refused'.");
    EXPECT_TRUE(read.isDirty()) << "a failed save keeps the change for the next try";

    this->expectRaised([&] { read.deleteFromDatabase(); }, T::deleteFailure);
    EXPECT_EQ(this->rows(), 1);
}

TEST(CharacterFields, ComposedNamesReachTheFixingFields)
{
    TempStory file;
    Characterdb character;
    character.insertIntoDatabase(&file.story());

    for (int number = 1; number <= 6; ++number) {
        const QString item = QStringLiteral("needsFixing%1").arg(number);
        const QString note = QStringLiteral("needsFixing%1Notes").arg(number);
        EXPECT_TRUE(character.setValueForKey(item, storyText(number, 1)));
        EXPECT_TRUE(character.setValueForKey(note, storyText(number, 2)));
    }
    // Each composed name landed on its own named field, and reads back by name.
    for (const CharacterText& text : kCharacterTexts) {
        const QString key = QLatin1String(text.key);
        EXPECT_EQ(character.valueForKey(key), (character.*text.get)()) << text.key;
        if (key.startsWith(QLatin1String("needsFixing"))) {
            const int number = key.mid(11, 1).toInt();
            EXPECT_EQ((character.*text.get)(), storyText(number, key.endsWith(QLatin1String("Notes")) ? 2 : 1)) << text.key;
        }
    }
    EXPECT_FALSE(character.valueForKey(QStringLiteral("needsFixing7")).has_value());
    EXPECT_FALSE(character.setValueForKey(QStringLiteral("NeedsFixing4Notes"), QStringLiteral("x")))
        << "names are the field names, not the column names";

    character.save();
    EXPECT_FALSE(character.setValueForKey(QStringLiteral("needsFixing7Notes"), QStringLiteral("x")));
    EXPECT_FALSE(character.isDirty()) << "an unknown name changes nothing";
    EXPECT_TRUE(character.setValueForKey(QStringLiteral("needsFixing4Notes"), character.needsFixing4Notes()));
    EXPECT_FALSE(character.isDirty()) << "the value it holds keeps it clean, as with the named setter";

    character.setValueForKey(QStringLiteral("needsFixing4Notes"), QStringLiteral("limp \"since\" the war\nÜ"));
    EXPECT_TRUE(character.isDirty());
    character.save();
    EXPECT_EQ(file.scalar(QStringLiteral("SELECT NeedsFixing4Notes FROM Character")),
              QStringLiteral("limp \"since\" the war\nÜ"));

    // Every text reaches the column of its name.
    for (const CharacterText& text : kCharacterTexts)
        EXPECT_EQ(file.scalar(QStringLiteral("SELECT %1 FROM Character").arg(QLatin1String(text.column))),
                  (character.*text.get)())
            << text.column;
}

TEST(CharacterFields, AttachmentListsPointAtLinksTheStoryHolds)
{
    CharacterObjectdb portrait;
    CharacterObjectdb sketch;
    Characterdb character;
    character.characterObjects().push_back(&portrait);
    character.setCharacterObjects({&sketch, &portrait});
    EXPECT_EQ(character.characterObjects(), (std::vector<CharacterObjectdb*>{&sketch, &portrait}));
    EXPECT_FALSE(character.isDirty()) << "the list is never written";

    SceneLocationObjectdb photo;
    SceneLocationdb location;
    location.setLocationObjects({&photo});
    EXPECT_EQ(location.locationObjects().front(), &photo);
    EXPECT_FALSE(location.isDirty());
}

TEST(CastOrdering, NamesCompareIgnoringCase)
{
    Characterdb bob;
    bob.setCharacterName(QStringLiteral("bob"));
    Characterdb alice;
    alice.setCharacterName(QStringLiteral("Alice"));
    Characterdb shoutingBob;
    shoutingBob.setCharacterName(QStringLiteral("BOB"));
    EXPECT_EQ(alice.sortCharactersByName(bob), -1);
    EXPECT_EQ(bob.sortCharactersByName(alice), 1);
    EXPECT_EQ(bob.sortCharactersByName(shoutingBob), 0);

    std::vector<Characterdb*> cast{&bob, &alice, &shoutingBob};
    sortRecords(cast, &Characterdb::sortCharactersByName);
    EXPECT_EQ(cast, (std::vector<Characterdb*>{&alice, &bob, &shoutingBob})) << "equal names keep their order";

    SceneLocationdb warehouse;
    warehouse.setLocation(QStringLiteral("warehouse"));
    SceneLocationdb attic;
    attic.setLocation(QStringLiteral("Attic"));
    SceneLocationdb upperAttic;
    upperAttic.setLocation(QStringLiteral("ATTIC"));
    EXPECT_EQ(attic.sortLocationsByName(warehouse), -1);
    EXPECT_EQ(warehouse.sortLocationsByName(attic), 1);
    EXPECT_EQ(attic.sortLocationsByName(upperAttic), 0);
}

TEST(CastOrdering, SceneCharactersOfACardComeFirstThenByName)
{
    auto link = [](std::int64_t card, const char* name) {
        auto made = std::make_unique<SceneCardCharacterdb>();
        made->setSceneCardID(card);
        made->setCharacterName(QString::fromUtf8(name));
        return made;
    };
    const auto zed = link(12, "Zed");
    const auto amy = link(0, "Amy");
    const auto bea = link(3, "bea");
    const auto cal = link(0, "Cal");
    SceneCardCharacterdb named;
    named.setCharacterName(QStringLiteral("Zed"));
    EXPECT_FALSE(named.isDirty()) << "the display name is never written";

    EXPECT_EQ(zed->sortBySceneCardID(*amy), -1) << "a card's own link before an unsaved candidate";
    EXPECT_EQ(amy->sortBySceneCardID(*zed), 1);
    EXPECT_EQ(bea->sortBySceneCardID(*zed), -1) << "cards 3 and 12 by name alone";
    EXPECT_EQ(zed->sortBySceneCardID(*bea), 1);
    EXPECT_EQ(amy->sortByCharacterName(*zed), -1);
    EXPECT_EQ(zed->sortByCharacterName(*bea), 1);

    std::vector<SceneCardCharacterdb*> shown{cal.get(), zed.get(), amy.get(), bea.get()};
    sortRecords(shown, &SceneCardCharacterdb::sortBySceneCardID);
    EXPECT_EQ(shown, (std::vector<SceneCardCharacterdb*>{bea.get(), zed.get(), amy.get(), cal.get()}));
}
