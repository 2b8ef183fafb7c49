#include "BigSceneFixture.h"

#include "model/BoardSections.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "panes/ModalDialogs.h"
#include "scene_editor/SetupPayoffSelectorWindow.h"
#include "support/StoryFixtures.h"

#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

namespace {

using Row = SetupPayoffSelector;

// Kinds as letters, to compare whole sequences at a glance: b bar, h heading, t beat heading,
// c candidate.
char letter(std::int64_t kind)
{
    switch (kind) {
    case Row::Bar:
        return 'b';
    case Row::Heading:
        return 'h';
    case Row::BeatHeading:
        return 't';
    default:
        return 'c';
    }
}

struct Expected {
    char kind;
    QString text;
};

// A story held in memory only: the picker reads the story's collections and nothing else.
class PickerStory : public ::testing::Test
{
protected:
    void TearDown() override { ModalDialogs::setRunner({}); }

    SceneCarddb& card(std::int64_t key, std::int64_t beat, const QString& heading, std::int64_t page,
                      bool litterBox = false)
    {
        auto record = std::make_unique<SceneCarddb>();
        record->setSceneCardID(key);
        record->setCurrentBeatSection(beat);
        record->setHeading(heading);
        record->setPageNumber(page);
        record->setOnBoard(litterBox ? 2 : 1);
        SceneCarddb& added = *record;
        (litterBox ? story().litterBox() : story().sceneCards()).push_back(std::move(record));
        return added;
    }
    SceneSetupdb& setup(std::int64_t key, std::int64_t cardID, const QString& text, std::int64_t payoffID = 0)
    {
        auto record = std::make_unique<SceneSetupdb>();
        record->setScreenplay(&story());
        record->setSceneSetupID(key);
        record->setSceneCardID(cardID);
        record->setSceneSetup(text);
        record->setScenePayoffID(payoffID);
        SceneSetupdb& added = *record;
        story().sceneSetups().push_back(std::move(record));
        return added;
    }
    ScenePayoffdb& payoff(std::int64_t key, std::int64_t cardID, const QString& text, std::int64_t setupID = 0)
    {
        auto record = std::make_unique<ScenePayoffdb>();
        record->setScreenplay(&story());
        record->setScenePayoffID(key);
        record->setSceneCardID(cardID);
        record->setScenePayoff(text);
        record->setSceneSetupID(setupID);
        ScenePayoffdb& added = *record;
        story().scenePayoffs().push_back(std::move(record));
        return added;
    }

    // The rows expected of a story in which only `candidates` (beat -> rows) are offered besides
    // the free ones.
    std::vector<Expected> frame(const QString& freeHeading, const std::vector<QString>& free,
                                const std::map<std::int64_t, std::vector<QString>>& candidates)
    {
        const BoardSections& sections = story().boardSections();
        std::vector<Expected> rows{{'b', QString()}, {'h', freeHeading}, {'b', QString()}};
        for (const QString& text : free)
            rows.push_back({'c', text});
        const std::vector<std::pair<QString, std::vector<std::int64_t>>> layout{
            {sections.section1Label(), {1, 2, 3, 4, 5, 6, 7}},
            {sections.section2Label(), {9, 10, 11, 12}},
            {sections.section3Label(), {14, 15, 16, 17}},
            {sections.section4Label(), {19, 20}}};
        for (const auto& [label, beats] : layout) {
            rows.insert(rows.end(), {{'b', QString()}, {'h', label}, {'b', QString()}});
            for (std::int64_t beat : beats) {
                rows.push_back({'t', sections.beatLabelForBoardBeat(beat)});
                if (const auto found = candidates.find(beat); found != candidates.end())
                    for (const QString& text : found->second)
                        rows.push_back({'c', text});
            }
        }
        rows.insert(rows.end(), {{'b', QString()}, {'h', sections.beatLabelForBoardBeat(21)}, {'b', QString()}});
        return rows;
    }

    static void expectRows(const std::vector<Row>& rows, const std::vector<Expected>& expected)
    {
        QString kinds;
        QString wanted;
        for (const Row& row : rows)
            kinds += QLatin1Char(letter(row.itemType));
        for (const Expected& row : expected)
            wanted += QLatin1Char(row.kind);
        EXPECT_EQ(kinds, wanted);
        ASSERT_EQ(rows.size(), expected.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "row " << i);
            EXPECT_EQ(rows[i].description, expected[i].text);
            EXPECT_EQ(rows[i].itemType == Row::Candidate, rows[i].key() > 0);
        }
    }

    Screenplaydb& story() { return file_.story(); }

    NewStory file_;
};

} // namespace

TEST_F(PickerStory, AStoryWithoutCardsListsTheFreeCandidatesAndEveryBeatHeading)
{
    setup(1, 0, QStringLiteral("the gun on the wall"));
    setup(2, 0, QStringLiteral("already paid"), 5);
    setup(3, 0, QStringLiteral("the locked drawer"));
    payoff(5, 0, QStringLiteral("it fires"), 2);
    payoff(6, 0, QStringLiteral("the drawer opens"));

    expectRows(SetupPayoffSelectorWindow::rowsFor(story(), SetupPayoffSelectorWindow::ChooseSetup),
               frame(QStringLiteral("Free Set-ups"),
                     {QStringLiteral("the gun on the wall"), QStringLiteral("the locked drawer")}, {}));
    expectRows(SetupPayoffSelectorWindow::rowsFor(story(), SetupPayoffSelectorWindow::ChoosePayoff),
               frame(QStringLiteral("Free Pay-offs"), {QStringLiteral("the drawer opens")}, {}));
}

TEST_F(PickerStory, CandidatesOnCardsStandUnderTheirBeatCardByCardInBoardOrder)
{
    // Two cards share beat 2 (board order: 11 before 12); cards on act labels, on the end of the
    // story and in the Litter Box are never offered.
    card(11, 2, QStringLiteral("INT. KITCHEN - DAY"), 4);
    card(12, 2, QStringLiteral("EXT. YARD - DAY"), 6);
    card(13, 10, QStringLiteral("INT. BANK - NIGHT"), 40);
    card(14, 15, QStringLiteral("INT. CAR - NIGHT"), 70);
    card(15, 19, QStringLiteral("EXT. ROOF - DAWN"), 95);
    card(16, 8, QStringLiteral("ACT LABEL CARD"), 25);
    card(17, 21, QStringLiteral("THE END CARD"), 110);
    card(18, 3, QStringLiteral("LITTER"), 9, true);
    setup(1, 12, QStringLiteral("yard"));
    setup(2, 11, QStringLiteral("kitchen b"));
    setup(3, 11, QStringLiteral("kitchen a"));
    setup(4, 13, QStringLiteral("bank"));
    setup(5, 14, QStringLiteral("car"));
    setup(6, 15, QStringLiteral("roof"));
    setup(7, 16, QStringLiteral("on an act label"));
    setup(8, 17, QStringLiteral("on the end"));
    setup(9, 18, QStringLiteral("in the litter box"));
    setup(10, 0, QStringLiteral("free"));
    setup(11, 13, QStringLiteral("bank, linked"), 1);
    payoff(1, 0, QStringLiteral("paid"), 11);

    expectRows(SetupPayoffSelectorWindow::rowsFor(story(), SetupPayoffSelectorWindow::ChooseSetup),
               frame(QStringLiteral("Free Set-ups"), {QStringLiteral("free")},
                     {{2,
                       {QStringLiteral("INT. KITCHEN - DAY (p. 4)\nkitchen b"),
                        QStringLiteral("INT. KITCHEN - DAY (p. 4)\nkitchen a"),
                        QStringLiteral("EXT. YARD - DAY (p. 6)\nyard")}},
                      {10, {QStringLiteral("INT. BANK - NIGHT (p. 40)\nbank")}},
                      {15, {QStringLiteral("INT. CAR - NIGHT (p. 70)\ncar")}},
                      {19, {QStringLiteral("EXT. ROOF - DAWN (p. 95)\nroof")}}}));
}

TEST_F(PickerStory, RowsTakeTheirHeights)
{
    const QString manyLines = QStringLiteral("one\ntwo\nthree\nfour\nfive");
    const struct {
        Row row;
        int least;
        int most;
    } cases[] = {
        {{Row::Bar, QString(), nullptr, nullptr}, 8, 8},
        {{Row::Heading, QStringLiteral("Free Set-ups"), nullptr, nullptr}, 18, 18},
        {{Row::BeatHeading, QStringLiteral("Catalyst"), nullptr, nullptr}, 18, 18},
        {{Row::Candidate, QStringLiteral("short"), nullptr, nullptr}, 40, 40},
        {{Row::Candidate, manyLines, nullptr, nullptr}, 41, 400},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.row.description.toStdString());
        const int height = SetupPayoffSelectorWindow::heightOfRow(row.row, 400);
        EXPECT_GE(height, row.least);
        EXPECT_LE(height, row.most);
    }
}

TEST_F(PickerStory, OneClickOnACandidateChoosesItAndOtherRowsChooseNothing)
{
    setup(1, 0, QStringLiteral("the gun on the wall"));
    setup(2, 0, QStringLiteral("the locked drawer"));
    payoff(3, 0, QStringLiteral("it fires"));

    struct Case {
        const char* what;
        std::vector<int> clicks;
        bool cancel;
        std::optional<std::int64_t> chosen;
        int arrowedTo = -1; // the row Down moves to from the top, on the way over the others, before Return
    };
    const Case cases[] = {
        {"a candidate", {4}, false, 2},
        {"a bar, a heading and a beat heading first", {0, 1, 5, 3}, false, 1},
        {"nothing but headings, then Cancel", {1, 6}, true, std::nullopt},
        {"Down over the first candidate to the second, then Return", {}, false, 2, 4},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        int runs = 0;
        ModalDialogs::setRunner([&](QDialog& dialog) {
            ++runs;
            auto& picker = dynamic_cast<SetupPayoffSelectorWindow&>(dialog);
            EXPECT_EQ(picker.windowTitle(), "Select Set-up");
            picker.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&picker));
            for (int clicked : row.clicks) {
                EXPECT_TRUE(picker.isVisible()) << "the run ended before the click on row " << clicked;
                clickCell(*picker.tvTable(), clicked, 0);
            }
            if (row.arrowedTo >= 0) {
                QTableView* list = picker.tvTable();
                list->setFocus();
                for (int press = 0; press < 10 && picker.isVisible() && list->currentIndex().row() != row.arrowedTo;
                     ++press)
                    QTest::keyClick(list, Qt::Key_Down);
                EXPECT_TRUE(picker.isVisible()) << "an arrow chose row " << list->currentIndex().row();
                QTest::keyClick(list, Qt::Key_Return);
            }
            if (row.cancel) {
                EXPECT_TRUE(picker.isVisible());
                QTest::mouseClick(picker.cmdCancel(), Qt::LeftButton);
            }
            EXPECT_FALSE(picker.isVisible());
            return dialog.result();
        });
        EXPECT_EQ(SetupPayoffSelectorWindow::choose(story(), SetupPayoffSelectorWindow::ChooseSetup, nullptr,
                                                    QColor(205, 133, 63)),
                  row.chosen);
        EXPECT_EQ(runs, 1);
    }
}

TEST_F(PickerStory, NoWindowOpensWhenEveryRecordOfTheKindIsLinked)
{
    setup(1, 0, QStringLiteral("the gun"), 2);
    payoff(2, 0, QStringLiteral("it fires"), 1);
    int runs = 0;
    ModalDialogs::setRunner([&](QDialog& dialog) {
        ++runs;
        return dialog.result();
    });
    for (auto type : {SetupPayoffSelectorWindow::ChooseSetup, SetupPayoffSelectorWindow::ChoosePayoff})
        EXPECT_EQ(SetupPayoffSelectorWindow::choose(story(), type, nullptr, QColor(Qt::white)), std::nullopt);
    EXPECT_EQ(runs, 0);
}
