#include "model/DatabaseError.h"
#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "support/TempStory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

const QString kSetupText = QString::fromUtf8("The gun in act one: \"Chekhov's\" — Пистолет 🔫\nsecond line");
const QString kPayoffText = QString::fromUtf8("It fires in act three — 発砲 'bang'\r\nend");

std::int64_t insertSetup(TempStory& file, const QString& text, std::int64_t payoffID, std::int64_t cardID = 0)
{
    SceneSetupdb setup;
    setup.setSceneSetup(text);
    setup.setScenePayoffID(payoffID);
    setup.setSceneCardID(cardID);
    setup.insertIntoDatabase(&file.story());
    return setup.sceneSetupID();
}

std::int64_t insertPayoff(TempStory& file, const QString& text, std::int64_t cardID = 0)
{
    ScenePayoffdb payoff;
    payoff.setScenePayoff(text);
    payoff.setSceneCardID(cardID);
    payoff.insertIntoDatabase(&file.story());
    return payoff.scenePayoffID();
}

// Puts a card with that key and board sort order into the story's board collection.
void placeCard(TempStory& file, std::int64_t cardID, std::int64_t sortOrder)
{
    auto card = std::make_unique<SceneCarddb>();
    card->setSceneCardID(cardID);
    card->setSortOrder(sortOrder);
    file.story().sceneCards().push_back(std::move(card));
}

template <typename Record, typename Text>
std::vector<QString> sortedTexts(TempStory& file, const std::vector<std::pair<std::int64_t, QString>>& entries,
                                 void (Record::*setText)(const Text&), const Text& (Record::*text)() const)
{
    std::vector<std::unique_ptr<Record>> records;
    for (const auto& [cardID, value] : entries) {
        auto record = std::make_unique<Record>();
        record->setSceneCardID(cardID);
        ((*record).*setText)(value);
        record->setScreenplay(&file.story());
        records.push_back(std::move(record));
    }
    sortRecords(records, &Record::sortBySceneCardID);
    std::vector<QString> texts;
    for (const auto& record : records)
        texts.push_back(((*record).*text)());
    return texts;
}

// Entries as (card key, text): two without a card, two on card 10 (board order 2), one on card
// 20 (board order 1), one on card 99 that the story does not hold.
const std::vector<std::pair<std::int64_t, QString>> kEntries = {
    {10, QStringLiteral("b on ten")}, {0, QStringLiteral("beta")},     {99, QStringLiteral("on a lost card")},
    {20, QStringLiteral("z on twenty")}, {10, QStringLiteral("A on ten")}, {0, QStringLiteral("Alpha")},
};
const std::vector<QString> kBoardOrder = {QStringLiteral("Alpha"),       QStringLiteral("beta"),
                                          QStringLiteral("on a lost card"), QStringLiteral("z on twenty"),
                                          QStringLiteral("A on ten"),    QStringLiteral("b on ten")};

} // namespace

// ---- Set-ups -------------------------------------------------------------------------------

TEST(SceneSetupdbTest, RoundTripsWithItsPayoffTextThroughFreshConnections)
{
    TempStory file;
    const std::int64_t payoffID = insertPayoff(file, kPayoffText);
    const std::int64_t setupID = insertSetup(file, kSetupText, payoffID, 5);

    file.reopen();
    SceneSetupdb read(setupID, &file.story());
    EXPECT_EQ(read.sceneSetup(), kSetupText);
    EXPECT_EQ(read.sceneCardID(), 5);
    EXPECT_EQ(read.scenePayoffID(), payoffID);
    EXPECT_EQ(read.scenePayoff(), kPayoffText);
    EXPECT_FALSE(read.isDirty());

    read.setSceneSetup(kSetupText);
    read.setSceneCardID(5);
    EXPECT_FALSE(read.isDirty());
    read.setSceneSetup(QStringLiteral("changed"));
    read.setScenePayoffID(0);
    read.setSceneCardID(0);
    read.save();
    EXPECT_FALSE(read.isDirty());

    file.reopen();
    SceneSetupdb changed(setupID, &file.story());
    EXPECT_EQ(changed.sceneSetup(), QStringLiteral("changed"));
    EXPECT_EQ(changed.scenePayoffID(), 0);
    EXPECT_EQ(changed.scenePayoff(), QString());
    changed.deleteFromDatabase();
    EXPECT_EQ(file.count(QStringLiteral("SceneSetup")), 0);
    EXPECT_EQ(changed.sceneSetupID(), setupID);
}

TEST(SceneSetupdbTest, LinkToAVanishedPayoffReadsAsNoneButStaysInTheFile)
{
    TempStory file;
    ScenePayoffdb payoff(insertPayoff(file, kPayoffText), &file.story());
    const std::int64_t setupID = insertSetup(file, kSetupText, payoff.scenePayoffID());
    payoff.deleteFromDatabase();
    const QString storedLink = QStringLiteral("SELECT ScenePayoffID FROM SceneSetup WHERE SceneSetupID=%1").arg(setupID);
    EXPECT_EQ(file.scalar(storedLink), QString::number(payoff.scenePayoffID())) << "clearing the link is the caller's";

    SceneSetupdb setup(setupID, &file.story());
    EXPECT_EQ(setup.scenePayoffID(), 0);
    EXPECT_EQ(setup.scenePayoff(), QString());
    EXPECT_FALSE(setup.isDirty());
    setup.save();
    EXPECT_EQ(file.scalar(storedLink), QString::number(payoff.scenePayoffID()));

    // The next save after another change writes the dropped link.
    setup.setSceneCardID(3);
    setup.save();
    EXPECT_EQ(file.scalar(storedLink), QStringLiteral("0"));
}

TEST(SceneSetupdbTest, MissingRowKeepsDefaultsAndInMemoryPayoffIsNeverWritten)
{
    TempStory file;
    SceneSetupdb missing(77, &file.story());
    EXPECT_EQ(missing.sceneSetupID(), 77);
    EXPECT_EQ(missing.sceneCardID(), 0);
    EXPECT_EQ(missing.sceneSetup(), QString());
    EXPECT_EQ(missing.scenePayoffID(), 0);
    EXPECT_EQ(missing.scenePayoff(), QString());
    EXPECT_FALSE(missing.isDirty());

    const std::int64_t setupID = insertSetup(file, kSetupText, 0);
    SceneSetupdb setup(setupID, &file.story());
    setup.setScenePayoff(QStringLiteral("memory only"));
    EXPECT_FALSE(setup.isDirty());
    setup.setSceneSetup(QStringLiteral("edited"));
    setup.save();
    EXPECT_EQ(SceneSetupdb(setupID, &file.story()).scenePayoff(), QString());
    EXPECT_EQ(file.count(QStringLiteral("ScenePayoff")), 0);
}

TEST(SceneSetupdbTest, InsertUnderItsOwnKeyKeepsTheKeyAndRefusesATakenOne)
{
    TempStory file;
    SceneSetupdb setup;
    setup.setSceneSetupID(42);
    setup.setSceneSetup(kSetupText);
    setup.insertIntoDatabaseWithID(&file.story());
    EXPECT_EQ(setup.sceneSetupID(), 42);
    EXPECT_TRUE(setup.isDirty());
    EXPECT_EQ(SceneSetupdb(42, &file.story()).sceneSetup(), kSetupText);

    try {
        setup.insertIntoDatabaseWithID(&file.story());
        ADD_FAILURE() << "a taken key must not be inserted twice";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.source(), QStringLiteral("SceneSetupdb"));
        EXPECT_TRUE(error.message().startsWith(
            QStringLiteral("Error: failed to insert into the screenplay.database with message '")));
    }
    EXPECT_EQ(file.count(QStringLiteral("SceneSetup")), 1);
}

// ---- Pay-offs ------------------------------------------------------------------------------

TEST(ScenePayoffdbTest, RoundTripsAndFindsTheFirstSetupThatNamesIt)
{
    TempStory file;
    const std::int64_t payoffID = insertPayoff(file, kPayoffText, 8);
    const std::int64_t firstSetup = insertSetup(file, kSetupText, payoffID);
    insertSetup(file, QStringLiteral("second claim"), payoffID);

    file.reopen();
    ScenePayoffdb read(payoffID, &file.story());
    EXPECT_EQ(read.scenePayoff(), kPayoffText);
    EXPECT_EQ(read.sceneCardID(), 8);
    EXPECT_EQ(read.sceneSetupID(), firstSetup);
    EXPECT_EQ(read.sceneSetup(), kSetupText);
    EXPECT_FALSE(read.isDirty());

    read.setScenePayoff(QStringLiteral("rewritten\n\"payoff\""));
    read.setSceneCardID(0);
    read.save();
    file.reopen();
    ScenePayoffdb changed(payoffID, &file.story());
    EXPECT_EQ(changed.scenePayoff(), QStringLiteral("rewritten\n\"payoff\""));
    EXPECT_EQ(changed.sceneCardID(), 0);

    // Deleting the pay-off leaves the set-ups' links in the file.
    changed.deleteFromDatabase();
    EXPECT_EQ(file.count(QStringLiteral("ScenePayoff")), 0);
    EXPECT_EQ(file.count(QStringLiteral("SceneSetup WHERE ScenePayoffID=%1").arg(payoffID)), 2);
}

TEST(ScenePayoffdbTest, UnlinkedAndMissingPayoffsAndInMemoryFieldsStayClean)
{
    TempStory file;
    const std::int64_t payoffID = insertPayoff(file, kPayoffText);
    ScenePayoffdb alone(payoffID, &file.story());
    EXPECT_EQ(alone.sceneSetupID(), 0);
    EXPECT_EQ(alone.sceneSetup(), QString());

    alone.setSceneSetup(QStringLiteral("memory"));
    alone.setSceneSetupID(9);
    alone.setOldPayoffID(4);
    EXPECT_FALSE(alone.isDirty());
    alone.setScenePayoff(QStringLiteral("edited"));
    alone.save();
    EXPECT_EQ(file.count(QStringLiteral("SceneSetup")), 0);
    EXPECT_EQ(ScenePayoffdb(payoffID, &file.story()).sceneSetupID(), 0);

    ScenePayoffdb missing(55, &file.story());
    EXPECT_EQ(missing.scenePayoffID(), 55);
    EXPECT_EQ(missing.scenePayoff(), QString());
    EXPECT_EQ(missing.sceneCardID(), 0);
    EXPECT_EQ(missing.sceneSetupID(), 0);
    EXPECT_FALSE(missing.isDirty());
}

TEST(ScenePayoffdbTest, InsertUnderItsOwnKey)
{
    TempStory file;
    ScenePayoffdb payoff;
    payoff.setScenePayoffID(31);
    payoff.setScenePayoff(kPayoffText);
    payoff.setSceneCardID(2);
    payoff.insertIntoDatabaseWithID(&file.story());
    EXPECT_EQ(payoff.scenePayoffID(), 31);
    const ScenePayoffdb read(31, &file.story());
    EXPECT_EQ(read.scenePayoff(), kPayoffText);
    EXPECT_EQ(read.sceneCardID(), 2);
}

// ---- Orderings -----------------------------------------------------------------------------

TEST(SetupPayoffOrdering, NoCardFirstThenCardsInBoardOrderAlphabeticallyWithin)
{
    TempStory file;
    placeCard(file, 10, 2);
    placeCard(file, 20, 1);
    EXPECT_EQ(sortedTexts(file, kEntries, &SceneSetupdb::setSceneSetup, &SceneSetupdb::sceneSetup), kBoardOrder);
    EXPECT_EQ(sortedTexts(file, kEntries, &ScenePayoffdb::setScenePayoff, &ScenePayoffdb::scenePayoff), kBoardOrder);
}

TEST(SetupPayoffOrdering, CardOrderIsAStrictOrderingThatToleratesMissingCards)
{
    TempStory file;
    placeCard(file, 10, 1);
    placeCard(file, 11, 1); // the same sort order as card 10
    std::vector<std::unique_ptr<SceneSetupdb>> setups;
    for (const auto& [cardID, text] : std::vector<std::pair<std::int64_t, QString>>{
             {0, QStringLiteral("same")}, {0, QStringLiteral("SAME")}, {11, QStringLiteral("a")},
             {10, QStringLiteral("b")}, {99, QStringLiteral("c")}, {98, QStringLiteral("c")}}) {
        setups.push_back(std::make_unique<SceneSetupdb>());
        setups.back()->setSceneCardID(cardID);
        setups.back()->setSceneSetup(text);
        setups.back()->setScreenplay(&file.story());
    }
    for (const auto& a : setups) {
        EXPECT_EQ(a->sortBySceneCardID(*a), 0);
        for (const auto& b : setups)
            EXPECT_EQ(a->sortBySceneCardID(*b), -b->sortBySceneCardID(*a));
    }
    EXPECT_EQ(setups[0]->sortBySceneCardID(*setups[1]), 0) << "equal keys compare equal";
    EXPECT_EQ(setups[3]->sortBySceneCardID(*setups[2]), -1) << "equal sort orders fall back to the card key";
    EXPECT_EQ(setups[5]->sortBySceneCardID(*setups[4]), -1) << "lost cards count as sort order 0";
    EXPECT_EQ(setups[4]->sortBySceneCardID(*setups[3]), -1);

    // A record that belongs to no story yet treats every card as lost.
    SceneSetupdb detached;
    detached.setSceneCardID(10);
    EXPECT_EQ(detached.sortBySceneCardID(*setups[5]), -1);
}

TEST(SetupPayoffOrdering, TextOrderingsIgnoreCase)
{
    SceneSetupdb upper, lower;
    upper.setSceneSetup(QStringLiteral("Apple"));
    lower.setSceneSetup(QStringLiteral("banana"));
    EXPECT_EQ(upper.sortBySceneSetup(lower), -1);
    EXPECT_EQ(lower.sortBySceneSetup(upper), 1);
    lower.setSceneSetup(QStringLiteral("APPLE"));
    EXPECT_EQ(upper.sortBySceneSetup(lower), 0);

    ScenePayoffdb first, second;
    first.setScenePayoff(QStringLiteral("zebra"));
    second.setScenePayoff(QStringLiteral("Yak"));
    EXPECT_EQ(first.sortByScenePayoff(second), 1);
    second.setScenePayoff(QStringLiteral("ZEBRA"));
    EXPECT_EQ(first.sortByScenePayoff(second), 0);
}
