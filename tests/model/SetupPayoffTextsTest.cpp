#include "model/Screenplaydb.h"
#include "model/SetupPayoffTexts.h"
#include "model/StoryFile.h"
#include "support/SampleCopy.h"
#include "support/SqlProbe.h"

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

namespace {

const std::function<bool(std::int64_t)> kEverySection = [](std::int64_t) { return true; };

// The sample showing the set-ups at text size 2, with a set-up on a card linked to a pay-off on
// another, and a free set-up; answers the two cards' keys.
std::pair<std::int64_t, std::int64_t> addSetupsAndPayoffs(const SampleCopy& copy)
{
    copy.exec("UPDATE Screenplay SET BeatSectionShowing = 3, StandardFontSetting = 2");
    const std::int64_t first = copy.scalar("SELECT min(SceneCardID) FROM SceneCard").toLongLong();
    const std::int64_t last = copy.scalar("SELECT max(SceneCardID) FROM SceneCard").toLongLong();
    copy.exec(QStringLiteral("INSERT INTO ScenePayoff (ScenePayoffID,SceneCardID,ScenePayoff) "
                             "VALUES (900,%1,'It fires — «бах»')")
                  .arg(last));
    copy.exec(QStringLiteral("INSERT INTO SceneSetup (SceneSetupID,SceneCardID,SceneSetup,ScenePayoffID) VALUES "
                             "(901,%1,'The gun\non the wall',900),(902,0,'A loose thread',0)")
                  .arg(first));
    return {first, last};
}

// Read on its own connection, the file holds the section it shows, its text size, every set-up and
// pay-off with its card and link, in order, and the heading and page of each card, as the story
// loaded from it does.
TEST(SetupPayoffTexts, TheFileReadOnItsOwnHoldsWhatTheStoryLoadedFromItHolds)
{
    SampleCopy copy;
    const auto [first, last] = addSetupsAndPayoffs(copy);
    const std::atomic<bool> stop{false};
    const std::optional<SetupPayoffTexts> read = readSetupPayoffTexts(copy.path(), kEverySection, stop);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->sectionShowing, 3);
    EXPECT_EQ(read->fontSetting, 2);
    ASSERT_GE(read->setups.size(), 2u);
    const SetupPayoffTexts::Setup& onCard = read->setups[read->setups.size() - 2];
    EXPECT_EQ(onCard.cardID, first);
    EXPECT_EQ(onCard.payoffID, 900);
    EXPECT_EQ(onCard.text, QStringLiteral("The gun\non the wall"));
    EXPECT_EQ(read->setups.back().cardID, 0);
    EXPECT_EQ(read->setups.back().text, QStringLiteral("A loose thread"));
    ASSERT_FALSE(read->payoffs.empty());
    EXPECT_EQ(read->payoffs.back().payoffID, 900);
    EXPECT_EQ(read->payoffs.back().cardID, last);
    EXPECT_EQ(read->payoffs.back().text, QStringLiteral("It fires — «бах»"));
    for (const std::int64_t card : {first, last}) {
        ASSERT_EQ(read->cards.count(card), 1u);
        EXPECT_EQ(read->cards.at(card).heading,
                  copy.scalar(QStringLiteral("SELECT Heading FROM SceneCard WHERE SceneCardID = %1").arg(card)));
        EXPECT_EQ(read->cards.at(card).page,
                  copy.scalar(QStringLiteral("SELECT PageNumber FROM SceneCard WHERE SceneCardID = %1").arg(card))
                      .toLongLong());
    }

    // The story keeps them in the lists' order, the file in the order they were written.
    LoadedStory loaded = loadStoryFile(copy.path());
    const SetupPayoffTexts kept = setupPayoffTexts(*loaded.story);
    EXPECT_EQ(kept.sectionShowing, read->sectionShowing);
    EXPECT_EQ(kept.fontSetting, read->fontSetting);
    const auto setups = [](const SetupPayoffTexts& texts) {
        std::multiset<std::tuple<std::int64_t, std::int64_t, QString>> all;
        for (const SetupPayoffTexts::Setup& setup : texts.setups)
            all.emplace(setup.cardID, setup.payoffID, setup.text);
        return all;
    };
    const auto payoffs = [](const SetupPayoffTexts& texts) {
        std::multiset<std::tuple<std::int64_t, std::int64_t, QString>> all;
        for (const SetupPayoffTexts::Payoff& payoff : texts.payoffs)
            all.emplace(payoff.payoffID, payoff.cardID, payoff.text);
        return all;
    };
    EXPECT_EQ(setups(kept), setups(*read));
    EXPECT_EQ(payoffs(kept), payoffs(*read));
    for (const auto& [card, shown] : kept.cards) {
        ASSERT_EQ(read->cards.count(card), 1u) << card;
        EXPECT_EQ(read->cards.at(card).heading, shown.heading);
        EXPECT_EQ(read->cards.at(card).page, shown.page);
    }
    loaded.story->finalizeAllSqliteStatements();
}

// Nothing is read from a file that shows a section not asked for, when asked to stop, with a
// journal beside it (a write cut short, which only the story's own connection may roll back), from
// a file that is no database, or from none.
TEST(SetupPayoffTexts, NothingIsReadWhereTheFileMayNotBeReadSo)
{
    const struct {
        const char* what;
        bool wanted;
        bool stop;
        const char* beside;
        bool junk;
        bool gone;
    } rows[] = {
        {"a section not asked for", false, false, nullptr, false, false},
        {"asked to stop", true, true, nullptr, false, false},
        {"a journal beside it", true, false, "-journal", false, false},
        {"a log beside it", true, false, "-wal", false, false},
        {"no database", true, false, nullptr, true, false},
        {"no file", true, false, nullptr, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SampleCopy copy;
        addSetupsAndPayoffs(copy);
        if (row.beside) {
            QFile beside(copy.path() + QLatin1String(row.beside));
            ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
        }
        if (row.junk)
            copy.setBytes(QByteArray(4096, 'x'));
        if (row.gone)
            QFile::remove(copy.path());
        const std::atomic<bool> stop{row.stop};
        const bool wanted = row.wanted;
        EXPECT_FALSE(readSetupPayoffTexts(copy.path(), [wanted](std::int64_t) { return wanted; }, stop).has_value());
    }
}

// The call loading makes once the file has passed its checks comes before anything is written:
// a new story's bare template has no story row yet, and a reader that another connection keeps
// on the file until that call ends there lets the loading write; a file refused makes no call.
TEST(SetupPayoffTexts, LoadingCallsOnceCheckedBeforeItWritesAndNotForAFileItRefuses)
{
    QTemporaryDir folder;
    const QString bare = folder.filePath(QStringLiteral("Bare.vtrsf"));
    ASSERT_TRUE(StoryFile::copyTemplate(QString::fromLatin1(StoryFile::kStoryTemplate), bare));
    // A reader in a read transaction, as a thread reading the file ahead would be.
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(bare).constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    SqlProbe::exec(reader, QStringLiteral("BEGIN"));
    EXPECT_EQ(SqlProbe::scalar(reader, QStringLiteral("SELECT count(*) FROM Screenplay")), "0");
    int calls = 0;
    QString rowsWhenChecked;
    {
        LoadedStory loaded = loadStoryFile(bare, {}, [&] {
            ++calls;
            rowsWhenChecked = SqlProbe::scalar(reader, QStringLiteral("SELECT count(*) FROM Screenplay"));
            SqlProbe::exec(reader, QStringLiteral("COMMIT"));
            sqlite3_close_v2(reader);
            reader = nullptr;
        });
        loaded.story->finalizeAllSqliteStatements();
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(rowsWhenChecked, "0");
    if (reader)
        sqlite3_close_v2(reader);
    {
        const DatabaseConnection written = StoryFile::open(bare);
        EXPECT_EQ(SqlProbe::scalar(written.get(), QStringLiteral("SELECT count(*) FROM Screenplay")), "1");
    }

    SampleCopy junk;
    junk.setBytes(QByteArray(4096, 'x'));
    calls = 0;
    EXPECT_THROW(loadStoryFile(junk.path(), {}, [&] { ++calls; }), StoryFileRefused);
    EXPECT_EQ(calls, 0);
}

} // namespace
