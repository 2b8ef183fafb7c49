#include "BigSceneFixture.h"

#include "app/BaseViewController.h"
#include "app/MyDocument.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/SetupPayoffLinks.h"
#include "model/StoryFile.h"
#include "panes/ModalDialogs.h"
#include "panes/TrackingTableView.h"
#include "scene_editor/BigSceneCharactersView.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneSetupsView.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SetupPayoffSelectorWindow.h"
#include "support/SqlProbe.h"

#include <QFont>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using Tab = BigSceneSetupsView;

// Card A (the one the large card shows) holds set-ups "beta" and "Alpha" and pay-off "door";
// card B holds set-up "on B" and pay-off "shot"; "zed" and "Able" are free set-ups, "read" a
// free pay-off. Set-up "beta" is linked to pay-off "shot".
class SetupPayoffTabs : public BigSceneFixture
{
protected:
    void SetUp() override
    {
        BigSceneFixture::SetUp();
        CardSpec kitchen = inBeat(1);
        kitchen.heading = QStringLiteral("INT. KITCHEN - DAY");
        CardSpec yard = inBeat(2);
        yard.heading = QStringLiteral("EXT. YARD - NIGHT");
        CardSpec cellar = inBeat(3);
        cellar.heading = QStringLiteral("INT. CELLAR - DAY");
        path_ = story(QStringLiteral("Links"), {kitchen, yard, cellar}, QStringLiteral("PageCount = 110"));
        keys_ = cardKeys(path_);
        a_ = keys_[0];
        b_ = keys_[1];
        c_ = keys_[2];
        {
            DatabaseConnection connection = StoryFile::open(path_);
            SqlProbe::exec(connection.get(),
                           QStringLiteral("INSERT INTO ScenePayoff (ScenePayoffID, SceneCardID, ScenePayoff) VALUES "
                                          "(1, %2, 'shot'), (2, 0, 'read'), (3, %1, 'door');"
                                          "INSERT INTO SceneSetup (SceneSetupID, SceneCardID, SceneSetup, ScenePayoffID) "
                                          "VALUES (1, %1, 'beta', 1), (2, %1, 'Alpha', 0), (3, 0, 'zed', 0), "
                                          "(4, 0, 'Able', 0), (5, %2, 'on B', 0);")
                               .arg(a_)
                               .arg(b_));
        }
        document_ = open(path_);
        ASSERT_NE(document_, nullptr);
        document_->openBigSceneCard(card(*document_, a_), 2);
        settle();
        ASSERT_NE(big()->bigSceneSetupsView(), nullptr);
    }
    void TearDown() override
    {
        ModalDialogs::setRunner({});
        BigSceneFixture::TearDown();
    }

    Tab* setups() const { return big()->bigSceneSetupsView(); }
    Tab* payoffs() const
    {
        big()->setSelectedTabID(3);
        return big()->bigScenePayoffsView();
    }

    static QString cell(Tab* tab, int row, int column, int role = Qt::DisplayRole)
    {
        return tab->tvTable()->model()->index(row, column).data(role).toString();
    }
    static QStringList texts(Tab* tab)
    {
        QStringList shown;
        for (int row = 0; row < tab->rowCount(); ++row)
            shown << cell(tab, row, Tab::OwnText);
        return shown;
    }
    // The "included" ticks as a string of 0 and 1.
    static QString ticks(Tab* tab)
    {
        QString shown;
        for (int row = 0; row < tab->rowCount(); ++row)
            shown += tab->tvTable()->model()->index(row, Tab::Included).data(Qt::CheckStateRole).toInt() == Qt::Checked
                         ? QLatin1Char('1')
                         : QLatin1Char('0');
        return shown;
    }
    static QString image(Tab* tab, int row, int column) { return cell(tab, row, column, Tab::kImageNameRole); }
    static int rowOf(Tab* tab, const QString& text) { return static_cast<int>(texts(tab).indexOf(text)); }

    static void click(Tab* tab, int row, int column) { clickCell(*tab->tvTable(), row, column); }

    // The picture of an indicator on a board card; "" when the card shows none.
    QString boardIndicator(std::int64_t key, SceneCardIndicator::Kind kind) const
    {
        const std::optional<ShownIndicator> shown = shownIndicator(*cardView(*document_, key), kind);
        return shown ? shown->imageName : QString();
    }
    QString setupColumn(std::int64_t setupID, const char* column) const
    {
        return count(QStringLiteral("SELECT %1 FROM SceneSetup WHERE SceneSetupID = %2")
                         .arg(QLatin1String(column))
                         .arg(setupID));
    }

    // Answers the next picker by clicking the candidate with this text.
    void pickCandidate(const QString& description)
    {
        ModalDialogs::setRunner([description](QDialog& dialog) {
            auto& picker = dynamic_cast<SetupPayoffSelectorWindow&>(dialog);
            picker.show();
            for (std::size_t row = 0; row < picker.items().size(); ++row) {
                if (picker.items()[row].description != description)
                    continue;
                clickCell(*picker.tvTable(), static_cast<int>(row), 0);
                break;
            }
            return dialog.result();
        });
    }

    // A record's description with its card, as the partner column and the picker show it.
    QString onCard(std::int64_t key, const QString& text) const
    {
        const SceneCarddb* shown = card(*document_, key);
        return QStringLiteral("%1 (p. %2)\n%3").arg(shown->heading()).arg(shown->pageNumber()).arg(text);
    }

    std::int64_t a_ = 0;
    std::int64_t b_ = 0;
    std::int64_t c_ = 0;
};

} // namespace

TEST_F(SetupPayoffTabs, TheCardsItemsAndWithShowAllTheFreeOnesFirstEachByTextWithoutCase)
{
    EXPECT_EQ(texts(setups()), QStringList({"Alpha", "beta"}));
    EXPECT_EQ(ticks(setups()), "11");
    QTest::mouseClick(setups()->chkShowAll(), Qt::LeftButton);
    EXPECT_EQ(texts(setups()), QStringList({"Able", "zed", "Alpha", "beta"}));
    EXPECT_EQ(ticks(setups()), "0011");

    EXPECT_EQ(texts(payoffs()), QStringList({"door"}));
    QTest::mouseClick(payoffs()->chkShowAll(), Qt::LeftButton);
    EXPECT_EQ(texts(payoffs()), QStringList({"read", "door"}));

    // A card without pay-offs shows an empty table, with no placeholder row.
    payoffs()->chkShowAll()->setChecked(false);
    document_->openBigSceneCard(card(*document_, c_), 3);
    settle();
    EXPECT_EQ(payoffs()->rowCount(), 0);
}

TEST_F(SetupPayoffTabs, TickingMovesAnItemBetweenTheCardAndTheFreePoolKeepingItsLink)
{
    QTest::mouseClick(setups()->chkShowAll(), Qt::LeftButton);
    click(setups(), rowOf(setups(), "zed"), Tab::Included);
    EXPECT_EQ(setupColumn(3, "SceneCardID"), QString::number(a_));
    EXPECT_EQ(texts(setups()), QStringList({"Able", "Alpha", "beta", "zed"}));
    EXPECT_EQ(ticks(setups()), "0111");

    // "beta" made free keeps its link; its partner still shows.
    click(setups(), rowOf(setups(), "beta"), Tab::Included);
    EXPECT_EQ(setupColumn(1, "SceneCardID || '/' || ScenePayoffID"), "0/1");
    EXPECT_EQ(texts(setups()), QStringList({"Able", "beta", "Alpha", "zed"}));
    EXPECT_EQ(cell(setups(), rowOf(setups(), "beta"), Tab::Partner), onCard(b_, QStringLiteral("shot")));
    EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Setups), "SetupsWithOutPayoffs");

    // With show-all off an item ticked off the card leaves the list at once.
    setups()->chkShowAll()->setChecked(false);
    click(setups(), rowOf(setups(), "Alpha"), Tab::Included);
    click(setups(), rowOf(setups(), "zed"), Tab::Included);
    EXPECT_EQ(setups()->rowCount(), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneSetup WHERE SceneCardID = %1").arg(a_)), "0");
    EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Setups), "");
    EXPECT_FALSE(big()->imgSetups()->isVisibleTo(big()->view()));
}

TEST_F(SetupPayoffTabs, ANewItemIsEmptyOnTheCardSelectedAndInEdit)
{
    for (std::int64_t id : {2, 3}) {
        big()->setSelectedTabID(id);
        Tab* tab = id == 2 ? setups() : payoffs();
        SCOPED_TRACE(tab->nibName().toStdString());
        activate();
        const int before = tab->rowCount();
        QTest::mouseClick(tab->cmdAddButton(), Qt::LeftButton);
        ASSERT_EQ(tab->rowCount(), before + 1);
        EXPECT_EQ(cell(tab, 0, Tab::OwnText), "") << "the empty text sorts first";
        EXPECT_EQ(tab->tvTable()->selectionModel()->selectedRows().size(), 1);
        EXPECT_EQ(tab->tvTable()->selectionModel()->selectedRows().value(0).row(), 0);
        auto* editor = tab->tvTable()->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor"));
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QStringLiteral("the new one"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        const char* table = id == 2 ? "SceneSetup" : "ScenePayoff";
        const char* text = table;
        EXPECT_EQ(count(QStringLiteral("SELECT SceneCardID FROM %1 WHERE %2 = 'the new one'")
                            .arg(QLatin1String(table), QLatin1String(text))),
                  QString::number(a_));
        EXPECT_TRUE(texts(tab).contains("the new one"));
    }
}

TEST_F(SetupPayoffTabs, DeletingAsksFirstAndNoKeepsTheItemWithoutASelection)
{
    struct Case {
        bool payoffTab;
        const char* text;
        const char* title;
        const char* message;
    };
    const Case cases[] = {
        {false, "Alpha", "Delete Set-up", "Are you sure you want to delete the set-up:\nAlpha"},
        {true, "door", "Delete Pay-off", "Are you sure you want to delete the pay-off:\ndoor"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.title);
        Tab* tab = row.payoffTab ? payoffs() : setups();
        const int before = tab->rowCount();
        // Nothing selected: nothing asked.
        tab->tvTable()->clearSelection();
        fakes_.alerts->shown.clear();
        QTest::mouseClick(tab->cmdDeleteButton(), Qt::LeftButton);
        EXPECT_TRUE(fakes_.alerts->shown.empty());

        for (int answer : {AlertDefaultReturn, AlertAlternateReturn}) {
            click(tab, rowOf(tab, row.text), Tab::Partner);
            fakes_.alerts->answers = {answer};
            QTest::mouseClick(tab->cmdDeleteButton(), Qt::LeftButton);
            ASSERT_FALSE(fakes_.alerts->shown.empty());
            EXPECT_EQ(fakes_.alerts->shown.back().title, row.title);
            EXPECT_EQ(fakes_.alerts->shown.back().message, row.message);
            EXPECT_EQ(fakes_.alerts->shown.back().defaultButton, "No");
            EXPECT_EQ(fakes_.alerts->shown.back().alternateButton, "Yes");
            EXPECT_TRUE(tab->tvTable()->selectionModel()->selectedRows().isEmpty());
            EXPECT_EQ(tab->rowCount(), answer == AlertDefaultReturn ? before : before - 1);
        }
        EXPECT_EQ(rowOf(tab, row.text), -1);
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneSetup WHERE SceneSetup = 'Alpha'")), "0");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ScenePayoff")), "2");
    EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Payoffs), "");
}

TEST_F(SetupPayoffTabs, DeletingALinkedItemLeavesItsPartnerUnlinkedInFileMemoryAndOnTheBoard)
{
    EXPECT_EQ(boardIndicator(b_, SceneCardIndicator::Payoffs), "PayoffsWithSetups");
    fakes_.alerts->answers = {AlertAlternateReturn};
    click(setups(), rowOf(setups(), "beta"), Tab::Partner);
    QTest::mouseClick(setups()->cmdDeleteButton(), Qt::LeftButton);
    EXPECT_EQ(screenplay().payoffForPayoffID(1)->sceneSetupID(), 0);
    EXPECT_EQ(boardIndicator(b_, SceneCardIndicator::Payoffs), "PayoffsWithoutSetups");

    // The other way round: "Alpha" linked to "shot", then "shot" deleted on card B's tab.
    pickCandidate(onCard(b_, QStringLiteral("shot")));
    click(setups(), rowOf(setups(), "Alpha"), Tab::LinkMark);
    ASSERT_EQ(setupColumn(2, "ScenePayoffID"), "1");
    EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Setups), "SetupsWithPayoffs");
    document_->openBigSceneCard(card(*document_, b_), 3);
    settle();
    fakes_.alerts->answers = {AlertAlternateReturn};
    click(payoffs(), rowOf(payoffs(), "shot"), Tab::Partner);
    QTest::mouseClick(payoffs()->cmdDeleteButton(), Qt::LeftButton);
    EXPECT_EQ(setupColumn(2, "ScenePayoffID"), "0");
    EXPECT_EQ(screenplay().setupForSetupID(2)->scenePayoffID(), 0);
    EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Setups), "SetupsWithOutPayoffs");
}

TEST_F(SetupPayoffTabs, LinkingThroughThePickerWritesOnlyTheSetupAndBothSidesShowIt)
{
    const QString payoffRow = count(QStringLiteral("SELECT ScenePayoffID || SceneCardID || ScenePayoff FROM "
                                                   "ScenePayoff WHERE ScenePayoffID = 3"));
    const int alpha = rowOf(setups(), "Alpha");
    EXPECT_EQ(image(setups(), alpha, Tab::LinkMark), "Link");
    EXPECT_EQ(image(setups(), alpha, Tab::JumpTo), "BlankZorvin");
    pickCandidate(onCard(a_, QStringLiteral("door")));
    click(setups(), alpha, Tab::LinkMark);

    EXPECT_EQ(setupColumn(2, "ScenePayoffID"), "3");
    EXPECT_EQ(count(QStringLiteral("SELECT ScenePayoffID || SceneCardID || ScenePayoff FROM ScenePayoff WHERE "
                                   "ScenePayoffID = 3")),
              payoffRow);
    EXPECT_EQ(screenplay().payoffForPayoffID(3)->sceneSetupID(), 2);
    const int linked = rowOf(setups(), "Alpha");
    EXPECT_EQ(cell(setups(), linked, Tab::Partner), onCard(a_, QStringLiteral("door")));
    EXPECT_EQ(image(setups(), linked, Tab::LinkMark), "BreakTheLink");
    EXPECT_EQ(image(setups(), linked, Tab::JumpTo), "JumpStraightTo");
    EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Setups), "SetupsWithPayoffs");
    EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Payoffs), "PayoffsWithSetups");
    EXPECT_EQ(cell(payoffs(), rowOf(payoffs(), "door"), Tab::Partner), onCard(a_, QStringLiteral("Alpha")));

    // Every pay-off now has its set-up except the free "read"; once that is taken, an unlinked
    // set-up shows no link mark and a click there opens nothing.
    big()->setSelectedTabID(2);
    QTest::mouseClick(setups()->chkShowAll(), Qt::LeftButton);
    pickCandidate(QStringLiteral("read"));
    click(setups(), rowOf(setups(), "zed"), Tab::LinkMark);
    EXPECT_EQ(setupColumn(3, "ScenePayoffID"), "2");
    EXPECT_EQ(image(setups(), rowOf(setups(), "Able"), Tab::LinkMark), "BlankZorvin");
    int runs = 0;
    ModalDialogs::setRunner([&](QDialog& dialog) {
        ++runs;
        return dialog.result();
    });
    click(setups(), rowOf(setups(), "Able"), Tab::LinkMark);
    EXPECT_EQ(runs, 0);
    // A free pay-off shows its text alone and no jump mark.
    EXPECT_EQ(cell(setups(), rowOf(setups(), "zed"), Tab::Partner), "read");
    EXPECT_EQ(image(setups(), rowOf(setups(), "zed"), Tab::JumpTo), "BlankZorvin");
}

TEST_F(SetupPayoffTabs, CancellingThePickerChangesNothing)
{
    ModalDialogs::setRunner([](QDialog& dialog) {
        dynamic_cast<SetupPayoffSelectorWindow&>(dialog).cmdCancel()->click();
        return dialog.result();
    });
    const QString before = count(QStringLiteral("SELECT group_concat(ScenePayoffID) FROM SceneSetup"));
    click(payoffs(), rowOf(payoffs(), "door"), Tab::LinkMark);
    EXPECT_EQ(count(QStringLiteral("SELECT group_concat(ScenePayoffID) FROM SceneSetup")), before);
    EXPECT_EQ(screenplay().payoffForPayoffID(3)->sceneSetupID(), 0);
}

TEST_F(SetupPayoffTabs, RemoveLinkAsksWithYesAsDefaultAndClearsBothSides)
{
    struct Case {
        bool payoffTab;
        const char* row;
        const char* message;
    };
    const Case cases[] = {
        {false, "beta", "Are you sure you want to remove the link to the pay-off?"},
        {true, "shot", "Are you sure you want to remove the link to the set-up?"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.message);
        if (row.payoffTab) {
            ASSERT_TRUE(SetupPayoffLinks::link(screenplay(), 1, 1).has_value());
            document_->openBigSceneCard(card(*document_, b_), 3);
            settle();
        }
        Tab* tab = row.payoffTab ? payoffs() : setups();
        fakes_.alerts->shown.clear();
        fakes_.alerts->answers = {AlertAlternateReturn, AlertDefaultReturn};
        for (const char* stored : {"1", "0"}) {
            click(tab, rowOf(tab, row.row), Tab::LinkMark);
            EXPECT_EQ(setupColumn(1, "ScenePayoffID"), stored);
        }
        ASSERT_EQ(fakes_.alerts->shown.size(), 2u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, "Remove Link");
        EXPECT_EQ(fakes_.alerts->shown[0].message, row.message);
        EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "Yes");
        EXPECT_EQ(fakes_.alerts->shown[0].alternateButton, "No");
        EXPECT_EQ(screenplay().setupForSetupID(1)->scenePayoff(), "");
        EXPECT_EQ(screenplay().payoffForPayoffID(1)->sceneSetupID(), 0);
        EXPECT_EQ(cell(tab, rowOf(tab, row.row), Tab::Partner), "");
        EXPECT_EQ(boardIndicator(a_, SceneCardIndicator::Setups), "SetupsWithOutPayoffs");
        EXPECT_EQ(boardIndicator(b_, SceneCardIndicator::Payoffs), "PayoffsWithoutSetups");
    }
}

TEST_F(SetupPayoffTabs, TheJumpOpensThePartnersCardOnceTheClickIsOver)
{
    click(setups(), rowOf(setups(), "beta"), Tab::JumpTo);
    EXPECT_EQ(big()->scene()->sceneCardID(), a_) << "nothing moves during the click";
    settle();
    EXPECT_EQ(big()->scene()->sceneCardID(), b_);
    EXPECT_EQ(big()->selectedTabID(), 3);
    EXPECT_EQ(texts(big()->bigScenePayoffsView()), QStringList({"shot"}));

    click(payoffs(), 0, Tab::JumpTo);
    settle();
    EXPECT_EQ(big()->scene()->sceneCardID(), a_);
    EXPECT_EQ(big()->selectedTabID(), 2);

    // Without a partner on a card a click there does nothing, now or later.
    click(setups(), rowOf(setups(), "Alpha"), Tab::JumpTo);
    settle();
    EXPECT_EQ(big()->scene()->sceneCardID(), a_);
}

TEST_F(SetupPayoffTabs, TextsAreEditedInPlaceAndRowsAreAtLeast53High)
{
    activate();
    click(setups(), rowOf(setups(), "beta"), Tab::OwnText);
    auto* editor = setups()->tvTable()->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("the gun"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(setupColumn(1, "SceneSetup"), "the gun");
    EXPECT_EQ(screenplay().payoffForPayoffID(1)->sceneSetup(), "the gun");

    for (int row = 0; row < setups()->rowCount(); ++row)
        EXPECT_GE(setups()->tvTable()->rowHeight(row), Tab::kLeastRowHeight);
    Screenplaydb& story = screenplay();
    SetupPayoffLinks::rename(story, *story.setupForSetupID(2), QStringLiteral("1\n2\n3\n4\n5\n6"));
    setups()->refreshView();
    EXPECT_GT(setups()->tvTable()->rowHeight(rowOf(setups(), "1\n2\n3\n4\n5\n6")), Tab::kLeastRowHeight);
}

TEST_F(SetupPayoffTabs, AWriteTheFileRefusesIsReportedAndChangesNothing)
{
    SqlProbe::exec(screenplay().database(), QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON main.SceneSetup "
                                                           "BEGIN SELECT RAISE(ABORT, 'disk full'); END;"));
    QTest::mouseClick(setups()->chkShowAll(), Qt::LeftButton);
    const QString stored = count(QStringLiteral("SELECT group_concat(SceneSetupID || SceneCardID || SceneSetup || "
                                                "ScenePayoffID) FROM SceneSetup"));
    const QStringList rows = texts(setups());
    const QString ticked = ticks(setups());
    struct Case {
        const char* what;
        std::function<void()> action;
    };
    const Case cases[] = {
        {"tick a free set-up onto the card", [&] { click(setups(), rowOf(setups(), "zed"), Tab::Included); }},
        {"link through the picker",
         [&] {
             pickCandidate(onCard(a_, QStringLiteral("door")));
             click(setups(), rowOf(setups(), "Alpha"), Tab::LinkMark);
         }},
        {"remove a link",
         [&] {
             fakes_.alerts->answers = {AlertDefaultReturn};
             click(setups(), rowOf(setups(), "beta"), Tab::LinkMark);
         }},
        {"edit a text",
         [&] {
             activate();
             click(setups(), rowOf(setups(), "Able"), Tab::OwnText);
             auto* editor = setups()->tvTable()->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor"));
             ASSERT_NE(editor, nullptr);
             QTest::keyClicks(editor, QStringLiteral(" and more"));
             QTest::keyClick(editor, Qt::Key_Return);
             QCoreApplication::processEvents();
         }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        fakes_.alerts->shown.clear();
        row.action();
        ASSERT_FALSE(fakes_.alerts->shown.empty()) << "the failure is reported";
        EXPECT_TRUE(fakes_.alerts->shown.back().message.contains(QStringLiteral("disk full")));
        EXPECT_EQ(count(QStringLiteral("SELECT group_concat(SceneSetupID || SceneCardID || SceneSetup || "
                                       "ScenePayoffID) FROM SceneSetup")),
                  stored);
        EXPECT_EQ(texts(setups()), rows);
        EXPECT_EQ(ticks(setups()), ticked);
        EXPECT_EQ(screenplay().payoffForPayoffID(3)->sceneSetupID(), 0);
        EXPECT_EQ(screenplay().payoffForPayoffID(1)->sceneSetupID(), 1);
    }
}

TEST_F(SetupPayoffTabs, TabsThatDoNotShowFollowTheCardAndNeverReadOneSinceDeleted)
{
    // Every tab of card A has shown once; then the notes show and the large card pages on to B.
    for (std::int64_t id : {3, 4, 5, 6, 1})
        big()->setSelectedTabID(id);
    big()->cmdNextCard()->click();
    settle();
    SceneCarddb* shown = card(*document_, b_);
    ASSERT_EQ(big()->scene(), shown);
    // Card A goes into the Litter Box and is deleted from there.
    document_->dropSceneCardInLitterBox(a_);
    document_->deleteSceneCard(card(*document_, a_));
    ASSERT_EQ(card(*document_, a_), nullptr);
    EXPECT_EQ(big()->bigScenePayoffsView()->scene(), shown);
    EXPECT_EQ(big()->bigSceneCharactersView()->scene(), shown);
    EXPECT_EQ(big()->bigSceneAttachmentsView()->scene(), shown);
    EXPECT_EQ(big()->bigSceneScriptView()->scene(), nullptr) << "the script tab does not show";

    // A set-up added on B refreshes the pay-offs tab that does not show: it lists B's.
    big()->setSelectedTabID(2);
    activate();
    QTest::mouseClick(setups()->cmdAddButton(), Qt::LeftButton);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM SceneSetup WHERE SceneCardID = %1").arg(b_)), "2");
    EXPECT_EQ(texts(big()->bigScenePayoffsView()), QStringList {QStringLiteral("shot")});
    EXPECT_EQ(texts(payoffs()), QStringList {QStringLiteral("shot")});
    big()->setSelectedTabID(6);
    EXPECT_EQ(big()->bigSceneScriptView()->scene(), shown);
}

TEST_F(SetupPayoffTabs, TheTablesWriteInTheSameUnitAndSizeAsTheCardsFields)
{
    const QFont field = big()->tfHeading()->font();
    ASSERT_GT(field.pixelSize(), 0) << "the card's fields are sized in pixels";
    for (Tab* tab : {setups(), payoffs()}) {
        ASSERT_GT(tab->rowCount(), 0);
        for (const int column : {int(Tab::OwnText), int(Tab::Partner)}) {
            const QFont cell = tab->tvTable()->model()->index(0, column).data(Qt::FontRole).value<QFont>();
            EXPECT_EQ(cell.pixelSize(), field.pixelSize()) << "column " << column;
            EXPECT_EQ(cell.pointSize(), -1) << "column " << column;
        }
    }
}

// A row is as high as its own text needs at its column's width less 16, or as its linked
// partner's needs at the partner column's, and never under 53.
TEST_F(SetupPayoffTabs, ARowIsAsHighAsItsLongerTextNeedsAtItsColumnLess16)
{
    QString wrapped;
    for (int i = 0; i < 30; ++i)
        wrapped += QStringLiteral("a set-up that runs on ");
    const QString rows[] = {QStringLiteral("one short line"), QStringLiteral("1\n2\n3\n4\n5\n6"), wrapped.trimmed()};
    Screenplaydb& story = screenplay();
    for (const QString& text : rows) {
        SCOPED_TRACE(text.left(20).toStdString());
        SetupPayoffLinks::rename(story, *story.setupForSetupID(2), text);
        setups()->refreshView();
        QTableView* table = setups()->tvTable();
        const int row = rowOf(setups(), text);
        ASSERT_GE(row, 0);
        const QFont font = table->model()->index(row, Tab::OwnText).data(Qt::FontRole).value<QFont>();
        const float needed = BaseViewController::heightForString(
            text, font, static_cast<float>(table->columnWidth(Tab::OwnText) - 16));
        EXPECT_EQ(table->rowHeight(row), std::max(Tab::kLeastRowHeight, static_cast<int>(std::ceil(needed))));
    }
}
