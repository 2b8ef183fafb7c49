// Thousands of damaged copies of the sample stories, each opened the way the window opens a
// story: every one is either refused with a message or opened with every card, beat,
// character and card-character link (of a card and a character it holds) that SQLite itself
// can read from it.
#include "model/DatabaseError.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "support/SampleCopy.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <optional>
#include <random>
#include <string>

namespace {

constexpr int kCopiesPerSample = 700;

// What a plain connection reads from a file: the counts the story must match.
struct Counts {
    long long cards = 0;
    long long beats = 0;
    long long characters = 0;
    long long cardCharacters = 0;
};

std::optional<long long> countOf(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    std::optional<long long> count;
    if (sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

std::optional<Counts> countsIn(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const auto cards = countOf(db, "SELECT count(*) FROM SceneCard");
    const auto beats = countOf(db, "SELECT count(*) FROM Beat");
    const auto characters = countOf(db, "SELECT count(*) FROM Character");
    // A link whose card or character is gone is left out.
    const auto links = countOf(db, "SELECT count(*) FROM SceneCardCharacter INNER JOIN SceneCard ON "
                                   "SceneCardCharacter.SceneCardID = SceneCard.SceneCardID INNER JOIN Character ON "
                                   "SceneCardCharacter.CharacterID = Character.CharacterID");
    sqlite3_close_v2(db);
    if (!cards || !beats || !characters || !links)
        return std::nullopt;
    return Counts{*cards, *beats, *characters, *links};
}

// The changes a story file meets on disks, in mail and in other people's hands.
class Mutator
{
public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    void damage(const SampleCopy& copy)
    {
        switch (below(7)) {
        case 0: flipBits(copy); break;
        case 1: truncate(copy); break;
        case 2: damagePage(copy); break;
        case 3: alterValue(copy); break;
        case 4: alterValue(copy); break;
        case 5: alterSchema(copy); break;
        default: replaceWithNoise(copy); break;
        }
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

    void flipBits(const SampleCopy& copy)
    {
        QByteArray bytes = copy.bytes();
        for (int flips = 1 + below(8); flips > 0; --flips) {
            const int at = below(static_cast<int>(bytes.size()));
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << below(8)));
        }
        copy.setBytes(bytes);
    }

    void truncate(const SampleCopy& copy)
    {
        const QByteArray bytes = copy.bytes();
        copy.setBytes(bytes.left(below(static_cast<int>(bytes.size()))));
    }

    void damagePage(const SampleCopy& copy)
    {
        QByteArray bytes = copy.bytes();
        const int pageSize = 4096;
        const int pages = static_cast<int>(bytes.size()) / pageSize;
        const int page = below(pages);
        const int from = below(pageSize);
        const int length = 1 + below(pageSize - from);
        for (int i = 0; i < length; ++i)
            bytes[page * pageSize + from + i] = static_cast<char>(below(256));
        copy.setBytes(bytes);
    }

    void alterValue(const SampleCopy& copy)
    {
        static const char* const kColumns[][2] = {
            {"Screenplay", "PageCount"},         {"Screenplay", "BoardWidth"},       {"Screenplay", "BoardHeight"},
            {"Screenplay", "StandardFontSetting"}, {"Screenplay", "BoardZoomFactor"}, {"Screenplay", "ScreenplayID"},
            {"SceneCard", "OnBoard"},            {"SceneCard", "PositionLeft"},      {"SceneCard", "PositionTop"},
            {"SceneCard", "PercentageHorizontal"}, {"SceneCard", "ColorLegend1ID"}, {"SceneCard", "ScreenplayID"},
            {"SceneCard", "PageNumber"},         {"SceneCard", "CurrentBeatSection"}, {"SceneSetup", "ScenePayoffID"},
            {"SceneCardCharacter", "CharacterID"}, {"Beat", "BeatNumber"},          {"Character", "ScreenplayID"},
        };
        static const char* const kValues[] = {
            "NULL", "-1", "0", "7", "4611686018427387904", "9223372036854775807", "-9223372036854775808", "1e300",
            "-1e300", "'text'", "x'00ff'", "2147483648",
        };
        const auto& column = kColumns[below(static_cast<int>(std::size(kColumns)))];
        const char* value = kValues[below(static_cast<int>(std::size(kValues)))];
        const std::string sql = std::string("UPDATE ") + column[0] + " SET " + column[1] + "=" + value +
                                " WHERE rowid IN (SELECT rowid FROM " + column[0] + " ORDER BY random() LIMIT " +
                                std::to_string(1 + below(3)) + ")";
        tryExec(copy, sql);
    }

    void alterSchema(const SampleCopy& copy)
    {
        static const char* const kChanges[] = {
            "CREATE TRIGGER t AFTER UPDATE ON Screenplay BEGIN DELETE FROM SceneCard; END",
            "CREATE VIEW v AS SELECT * FROM SceneCard",
            "DROP TABLE SceneSetup",
            "ALTER TABLE SceneCard RENAME COLUMN Heading TO Title",
            "ALTER TABLE Character DROP COLUMN Wants",
            "DROP INDEX idxScriptPartSceneCard",
            "CREATE TABLE Extra (a)",
            "DELETE FROM Screenplay",
        };
        tryExec(copy, kChanges[below(static_cast<int>(std::size(kChanges)))]);
    }

    void replaceWithNoise(const SampleCopy& copy)
    {
        QByteArray bytes(below(3) == 0 ? 100 : 4096 * (1 + below(4)), '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(below(256));
        if (below(2) == 0)
            bytes.replace(0, 16, QByteArray("SQLite format 3\0", 16));
        copy.setBytes(bytes);
    }

    static void tryExec(const SampleCopy& copy, const std::string& sql)
    {
        try {
            copy.exec(QString::fromStdString(sql));
        } catch (const std::exception&) {
            // A change the file refuses (a NOT NULL column, say) leaves the copy as it was.
        }
    }

    std::mt19937 random_;
};

void openEveryMutation(const QString& sample, unsigned seed)
{
    Mutator mutator(seed);
    int refused = 0;
    for (int round = 0; round < kCopiesPerSample; ++round) {
        SCOPED_TRACE(round);
        SampleCopy copy(sample);
        mutator.damage(copy);
        try {
            LoadedStory loaded = loadStoryFile(copy.path());
            Screenplaydb& story = *loaded.story;
            const auto counts = countsIn(copy.path());
            ASSERT_TRUE(counts.has_value()) << "opened a file SQLite cannot read in full";
            EXPECT_EQ(static_cast<long long>(story.sceneCards().size() + story.litterBox().size()), counts->cards);
            EXPECT_EQ(static_cast<long long>(story.beats().size()), counts->beats);
            EXPECT_EQ(static_cast<long long>(story.characters().size()), counts->characters);
            EXPECT_EQ(static_cast<long long>(story.sceneCardCharacters().size()), counts->cardCharacters);
            // The look-ups the window makes on opening.
            for (auto* cards : {&story.sceneCards(), &story.litterBox()})
                for (auto& card : *cards)
                    story.charactersDescriptionForScene(*card);
            story.boardSections().section4To();
            story.finalizeAllSqliteStatements();
        } catch (const StoryFileRefused& refusal) {
            ++refused;
            const QString named = QStringLiteral("\u201c%1\u201d ").arg(QFileInfo(sample).fileName());
            EXPECT_TRUE(refusal.message().startsWith(named)) << refusal.message().toStdString();
        }
    }
    // Most damage is found; some (a flipped bit in a text) leaves a usable story.
    EXPECT_GT(refused, kCopiesPerSample / 4);
    EXPECT_LT(refused, kCopiesPerSample);
}

} // namespace

TEST(StoryFuzz, DamagedCopiesOfTheBalloonRaceAreRefusedOrOpenedWhole)
{
    openEveryMutation(QStringLiteral("Sample - The Last Balloon Race.vtrsf"), 20261207u);
}

TEST(StoryFuzz, DamagedCopiesOfKesslerPassAreRefusedOrOpenedWhole)
{
    openEveryMutation(QStringLiteral("Sample - Kessler Pass.vtrsf"), 7121962u);
}
