#include "model/DatabaseError.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/SetupPayoffLinks.h"
#include "support/StoryFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>

namespace Links = SetupPayoffLinks;

namespace {

// A story of free and placed set-ups and pay-offs, loaded as the program loads it:
//   set-ups  1 "gun" (card 10) -> pay-off 1, 2 "letter" (card 20) -> pay-off 2, 3 "key" (free),
//            4 "map" (card 20, unlinked)
//   pay-offs 1 "shot" (card 30), 2 "read" (free), 3 "door" (card 10), 4 "found" (free)
class LinkStory : public ::testing::Test
{
protected:
    // Also starts a table row afresh.
    void SetUp() override
    {
        file_.exec(QStringLiteral(
            "DELETE FROM ScenePayoff; DELETE FROM SceneSetup;"
            "INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) VALUES "
            "(1, 30, 'shot'), (2, 0, 'read'), (3, 10, 'door'), (4, 0, 'found');"
            "INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) VALUES "
            "(1, 10, 'gun', 1), (2, 20, 'letter', 2), (3, 0, 'key', 0), (4, 20, 'map', 0);"));
        file_.reopen();
    }

    Screenplaydb& story() { return file_.story(); }
    SceneSetupdb& setup(std::int64_t key) { return *story().setupForSetupID(key); }
    ScenePayoffdb& payoff(std::int64_t key) { return *story().payoffForPayoffID(key); }

    // Every set-up's ScenePayoffID in the file, as "set-up:pay-off" pairs in key order.
    QString storedLinks() const
    {
        return file_.scalar(QStringLiteral("SELECT group_concat(SceneSetupID || ':' || ScenePayoffID, ' ') FROM "
                                           "(SELECT * FROM SceneSetup ORDER BY SceneSetupID)"));
    }
    // The same pairs as memory has them, from the set-ups' side.
    QString memoryLinks()
    {
        std::vector<std::pair<std::int64_t, std::int64_t>> pairs;
        for (const auto& record : story().sceneSetups())
            pairs.emplace_back(record->sceneSetupID(), record->scenePayoffID());
        std::sort(pairs.begin(), pairs.end());
        QStringList texts;
        for (const auto& [setupID, payoffID] : pairs)
            texts << QStringLiteral("%1:%2").arg(setupID).arg(payoffID);
        return texts.join(QLatin1Char(' '));
    }
    // Both sides in memory tell the same links, with the partner's current text, and agree with
    // the file.
    void expectSidesAgree()
    {
        for (const auto& record : story().sceneSetups()) {
            SCOPED_TRACE(record->sceneSetup().toStdString());
            if (record->scenePayoffID() == 0) {
                EXPECT_EQ(record->scenePayoff(), "");
                continue;
            }
            const ScenePayoffdb* partner = story().payoffForPayoffID(record->scenePayoffID());
            ASSERT_NE(partner, nullptr) << "a set-up names a pay-off that is gone";
            EXPECT_EQ(partner->sceneSetupID(), record->sceneSetupID());
            EXPECT_EQ(partner->sceneSetup(), record->sceneSetup());
            EXPECT_EQ(record->scenePayoff(), partner->scenePayoff());
        }
        for (const auto& record : story().scenePayoffs()) {
            SCOPED_TRACE(record->scenePayoff().toStdString());
            if (record->sceneSetupID() == 0) {
                EXPECT_EQ(record->sceneSetup(), "");
                continue;
            }
            const SceneSetupdb* partner = story().setupForSetupID(record->sceneSetupID());
            ASSERT_NE(partner, nullptr) << "a pay-off names a set-up that is gone";
            EXPECT_EQ(partner->scenePayoffID(), record->scenePayoffID());
        }
        EXPECT_EQ(memoryLinks(), storedLinks());
    }
    static std::set<std::int64_t> asSet(const Links::Cards& cards) { return {cards.begin(), cards.end()}; }

    NewStory file_;
};

} // namespace

TEST_F(LinkStory, LinkingWritesOnlyTheSetupsPayoffIDAndLetsGoOfFormerPartners)
{
    struct Case {
        const char* what;
        std::int64_t setupID;
        std::int64_t payoffID;
        const char* links;
        std::set<std::int64_t> cards;
        std::int64_t unlinkedPayoff;
    };
    const Case cases[] = {
        {"a free set-up to a free pay-off", 3, 4, "1:1 2:2 3:4 4:0", {}, 0},
        {"a set-up on a card to a pay-off on another", 4, 3, "1:1 2:2 3:0 4:3", {20, 10}, 0},
        {"a linked set-up to another pay-off frees its old one", 1, 4, "1:4 2:2 3:0 4:0", {10, 30}, 1},
        {"a linked pay-off taken by another set-up frees its old set-up", 4, 2, "1:1 2:0 3:0 4:2", {20}, 0},
        {"the same pair again changes nothing", 1, 1, "1:1 2:2 3:0 4:0", {10, 30}, 0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        SetUp();
        const QString payoffRows = file_.scalar(QStringLiteral(
            "SELECT group_concat(ScenePayoffID || SceneCardID || ScenePayoff) FROM ScenePayoff"));
        const std::optional<Links::Cards> cards = Links::link(story(), row.setupID, row.payoffID);
        ASSERT_TRUE(cards.has_value());
        EXPECT_EQ(asSet(*cards), row.cards);
        EXPECT_EQ(storedLinks(), row.links);
        EXPECT_EQ(file_.scalar(QStringLiteral(
                      "SELECT group_concat(ScenePayoffID || SceneCardID || ScenePayoff) FROM ScenePayoff")),
                  payoffRows);
        EXPECT_EQ(payoff(row.payoffID).sceneSetupID(), row.setupID);
        EXPECT_EQ(setup(row.setupID).scenePayoff(), payoff(row.payoffID).scenePayoff());
        if (row.unlinkedPayoff) {
            EXPECT_EQ(payoff(row.unlinkedPayoff).sceneSetupID(), 0);
        }
        expectSidesAgree();
        file_.reopen();
        EXPECT_EQ(memoryLinks(), row.links) << "a reloaded story reads the same links";
        expectSidesAgree();
    }
}

TEST_F(LinkStory, LinkingNeedsBothRecordsOfTheStory)
{
    const std::pair<std::int64_t, std::int64_t> stale[] = {{3, 99}, {99, 4}, {0, 4}, {3, 0}, {-1, 4}, {3, -7}};
    for (const auto& [setupID, payoffID] : stale) {
        SCOPED_TRACE(testing::Message() << setupID << " -> " << payoffID);
        EXPECT_FALSE(Links::link(story(), setupID, payoffID).has_value());
        EXPECT_EQ(storedLinks(), "1:1 2:2 3:0 4:0");
        expectSidesAgree();
    }
}

TEST_F(LinkStory, UnlinkingFromEitherSideClearsTheFileAndBothRecords)
{
    const Links::Cards fromSetup = Links::unlinkSetup(story(), setup(1));
    EXPECT_EQ(asSet(fromSetup), (std::set<std::int64_t>{10, 30}));
    EXPECT_EQ(storedLinks(), "1:0 2:2 3:0 4:0");
    EXPECT_EQ(payoff(1).sceneSetupID(), 0);
    expectSidesAgree();

    const Links::Cards fromPayoff = Links::unlinkPayoff(story(), payoff(2));
    EXPECT_EQ(asSet(fromPayoff), (std::set<std::int64_t>{20}));
    EXPECT_EQ(storedLinks(), "1:0 2:0 3:0 4:0");
    EXPECT_EQ(setup(2).scenePayoff(), "");
    expectSidesAgree();

    EXPECT_TRUE(Links::unlinkSetup(story(), setup(3)).empty()) << "an unlinked set-up has nothing to break";
    EXPECT_TRUE(Links::unlinkPayoff(story(), payoff(4)).empty());
}

TEST_F(LinkStory, DeletingLeavesNoLinkToWhatIsGoneInFileOrMemory)
{
    // A damaged file may name one pay-off from two set-ups: every one of them is cleared.
    file_.exec(QStringLiteral("UPDATE SceneSetup SET ScenePayoffID = 1 WHERE SceneSetupID = 4"));
    file_.reopen();
    const Links::Cards payoffGone = Links::deletePayoff(story(), payoff(1));
    EXPECT_EQ(asSet(payoffGone), (std::set<std::int64_t>{30, 10, 20}));
    EXPECT_EQ(story().payoffForPayoffID(1), nullptr);
    EXPECT_EQ(file_.scalar(QStringLiteral("SELECT count(*) FROM ScenePayoff WHERE ScenePayoffID = 1")), "0");
    EXPECT_EQ(storedLinks(), "1:0 2:2 3:0 4:0");
    EXPECT_FALSE(setup(1).isDirty());
    expectSidesAgree();

    const Links::Cards setupGone = Links::deleteSetup(story(), setup(2));
    EXPECT_EQ(asSet(setupGone), (std::set<std::int64_t>{20}));
    EXPECT_EQ(story().setupForSetupID(2), nullptr);
    EXPECT_EQ(payoff(2).sceneSetupID(), 0);
    EXPECT_EQ(payoff(2).sceneSetup(), "");
    EXPECT_EQ(file_.scalar(QStringLiteral("SELECT count(*) FROM ScenePayoff WHERE ScenePayoffID = 2")), "1");
    expectSidesAgree();
    file_.reopen();
    expectSidesAgree();
    EXPECT_TRUE(story().anyUnlinkedPayoffs());
}

TEST_F(LinkStory, AFailedWriteChangesNeitherFileNorMemory)
{
    file_.exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON main.SceneSetup "
                              "BEGIN SELECT RAISE(ABORT, 'disk full'); END;"));
    struct Case {
        const char* what;
        std::function<void()> operation;
    };
    const Case cases[] = {
        {"link", [&] { Links::link(story(), 1, 4); }},
        {"unlink a set-up", [&] { Links::unlinkSetup(story(), setup(2)); }},
        {"unlink a pay-off", [&] { Links::unlinkPayoff(story(), payoff(1)); }},
        {"delete a linked pay-off", [&] { Links::deletePayoff(story(), payoff(1)); }},
        {"move to a card", [&] { Links::moveToCard(story(), setup(3), 40); }},
        {"rename", [&] { Links::rename(story(), setup(1), QStringLiteral("rifle")); }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_THROW(row.operation(), DatabaseError);
        EXPECT_EQ(storedLinks(), "1:1 2:2 3:0 4:0");
        EXPECT_EQ(story().scenePayoffs().size(), 4u);
        EXPECT_EQ(file_.count(QStringLiteral("ScenePayoff")), 4);
        EXPECT_EQ(setup(3).sceneCardID(), 0);
        EXPECT_EQ(setup(1).sceneSetup(), "gun");
        expectSidesAgree();
    }
}

TEST_F(LinkStory, PlacingRenamingAndAddingKeepBothSidesTrue)
{
    const Links::Cards moved = Links::moveToCard(story(), setup(1), 0);
    EXPECT_EQ(asSet(moved), (std::set<std::int64_t>{10}));
    EXPECT_EQ(file_.scalar(QStringLiteral("SELECT SceneCardID || ScenePayoffID FROM SceneSetup WHERE SceneSetupID=1")),
              "01")
        << "a set-up made free keeps its link";
    EXPECT_EQ(asSet(Links::moveToCard(story(), payoff(4), 20)), (std::set<std::int64_t>{20}));
    EXPECT_EQ(file_.scalar(QStringLiteral("SELECT SceneCardID FROM ScenePayoff WHERE ScenePayoffID=4")), "20");

    Links::rename(story(), setup(1), QStringLiteral("rifle"));
    Links::rename(story(), payoff(2), QStringLiteral("burnt"));
    EXPECT_EQ(payoff(1).sceneSetup(), "rifle");
    EXPECT_EQ(setup(2).scenePayoff(), "burnt");
    EXPECT_EQ(file_.scalar(QStringLiteral("SELECT SceneSetup FROM SceneSetup WHERE SceneSetupID=1")), "rifle");
    expectSidesAgree();

    SceneSetupdb& added = Links::addSetup(story(), 0);
    EXPECT_EQ(added.sceneSetup(), "");
    EXPECT_EQ(added.scenePayoffID(), 0);
    EXPECT_EQ(story().sceneSetups().front().get(), &added) << "an empty free set-up sorts first";
    EXPECT_EQ(file_.scalar(QStringLiteral("SELECT SceneCardID || '/' || SceneSetup || '/' || ScenePayoffID FROM "
                                          "SceneSetup WHERE SceneSetupID=%1")
                               .arg(added.sceneSetupID())),
              "0//0");
    ScenePayoffdb& addedPayoff = Links::addPayoff(story(), 10);
    EXPECT_EQ(file_.scalar(QStringLiteral("SELECT SceneCardID FROM ScenePayoff WHERE ScenePayoffID=%1")
                               .arg(addedPayoff.scenePayoffID())),
              "10");
    expectSidesAgree();
}
