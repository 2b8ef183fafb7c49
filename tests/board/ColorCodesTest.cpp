// The colour-code dialog in its four use modes, the document's colour commands and the notes
// board's palette, driven offscreen with scripted alerts and a modal runner that never blocks.
#include "app/AppActions.h"
#include "app/AppFixture.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "board/CardColorSelector.h"
#include "board/ColorCodeSelector.h"
#include "board/SceneCardView.h"
#include "model/ColorCodedb.h"
#include "model/DefaultSettingdb.h"
#include "model/SceneCarddb.h"
#include "model/UserInformationdb.h"
#include "panes/ModalDialogs.h"
#include "platform/FakePlatform.h"
#include "support/SqlProbe.h"
#include "support/StoryFixtures.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>

namespace {

using Slots = std::array<std::int64_t, 6>;

Slots slotsOf(const SceneCarddb& card)
{
    Slots values{};
    for (int slot = 1; slot <= 6; ++slot)
        values[static_cast<std::size_t>(slot - 1)] = card.colorLegendID(slot);
    return values;
}

// Every dialog the code under test runs modally is handed to `work` instead of a modal loop.
class ModalScript
{
public:
    template <typename Dialog>
    void onEvery(std::function<void(Dialog&)> work)
    {
        ModalDialogs::setRunner([this, work](QDialog& dialog) {
            ++runs;
            auto* typed = dynamic_cast<Dialog*>(&dialog);
            EXPECT_NE(typed, nullptr) << "an unexpected dialog ran";
            if (typed)
                work(*typed);
            return dialog.result();
        });
    }
    ~ModalScript() { ModalDialogs::setRunner({}); }
    int runs = 0;
};

// A story with colour codes 1 to 10 copied from its master file, and the master file's user
// record, as the application holds it.
class ColorCodesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        fakes_ = FakePlatform::install(home_.path());
        master_ = StoryFile::open(story_.masterPath());
        user_ = std::make_unique<UserInformationdb>(master_.get());
    }

    void TearDown() override
    {
        user_.reset();
        UserInformationdb::finalizeStatements();
        MasterColorCodedb::finalizeStatements();
        DefaultSettingdb::finalizeStatements();
    }

    Screenplaydb& story() { return story_.story(); }

    // Adds a card with the given slots (onBoard 1 board, 2 Litter Box) and loads the story again.
    void addCard(std::int64_t onBoard, const Slots& values)
    {
        story_.exec(QStringLiteral("INSERT INTO SceneCard (ScreenplayID,OnBoard,ColorLegend1ID,ColorLegend2ID,"
                                   "ColorLegend3ID,ColorLegend4ID,ColorLegend5ID,ColorLegend6ID) "
                                   "VALUES (%1,%2,%3,%4,%5,%6,%7,%8)")
                        .arg(story().screenplayID())
                        .arg(onBoard)
                        .arg(values[0])
                        .arg(values[1])
                        .arg(values[2])
                        .arg(values[3])
                        .arg(values[4])
                        .arg(values[5]));
        story_.reopen();
    }

    // Records every card row the program writes from now on.
    void watchCardWrites()
    {
        story_.exec(QStringLiteral("CREATE TEMP TABLE CardWrites (SceneCardID integer);"
                                   "CREATE TEMP TRIGGER cardWritten AFTER UPDATE ON SceneCard BEGIN "
                                   "INSERT INTO CardWrites VALUES (new.SceneCardID); END;"));
    }
    QString cardWrites() const
    {
        return story_.scalar(QStringLiteral("SELECT coalesce(group_concat(SceneCardID),'') FROM (SELECT SceneCardID FROM "
                                            "CardWrites ORDER BY SceneCardID)"));
    }

    std::unique_ptr<ColorCodeSelector> makeSelector(std::int64_t mode)
    {
        auto selector = std::make_unique<ColorCodeSelector>(QStringLiteral("ColorCodeSelector"),
                                                            mode == ColorCodeSelector::Master ? nullptr : &story());
        selector->setUserInformation(user_.get());
        selector->setUseMode(mode);
        return selector;
    }

    static void selectRow(ColorCodeSelector& selector, int row) { selector.tvColors()->selectRow(row); }

    // The editor open on a cell, or nullptr.
    static QLineEdit* editorAt(ColorCodeSelector& selector, int row, int column)
    {
        QTableView* table = selector.tvColors();
        return qobject_cast<QLineEdit*>(table->indexWidget(table->model()->index(row, column)));
    }

    // Types Return in an editor: the view stores the text once the key has been handled.
    static void commit(QLineEdit* editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    static QString meaning(ColorCodeSelector& selector, int row)
    {
        return selector.tvColors()->model()->index(row, 1).data().toString();
    }

    std::vector<AlertRequest>& alertsShown() { return fakes_.alerts->shown; }
    std::deque<int>& alertAnswers() { return fakes_.alerts->answers; }

    NewStory story_;
    QTemporaryDir home_;
    FakePlatform fakes_;
    DatabaseConnection master_;
    std::unique_ptr<UserInformationdb> user_;
};

// --- Set-up by mode --------------------------------------------------------------------------------

TEST_F(ColorCodesTest, EachModeTitlesTheWindowAndShowsItsButtons)
{
    struct Expected {
        std::int64_t mode;
        const char* title;
        bool addShown, addEnabled, restoreShown;
        const char* restoreTitle;
        bool clearShown;
    };
    const Expected expectations[] = {
        {1, "Color Coding for this Project", true, true, true, "Restore Defaults", false},
        {2, "Select Color for Filtering the List", true, false, true, "Clear Color Filtering", false},
        {3, "Select Color for this Scene", false, false, false, nullptr, true},
        {4, "Master Color Codes", true, true, true, "Restore Defaults", false},
    };
    // One dialog goes through the modes in turn, as a reused dialog would.
    ColorCodeSelector selector(QStringLiteral("ColorCodeSelector"), &story());
    selector.setUserInformation(user_.get());
    for (const Expected& expected : expectations) {
        SCOPED_TRACE(expected.mode);
        selector.setUseMode(expected.mode);
        EXPECT_EQ(selector.useMode(), expected.mode);
        EXPECT_EQ(selector.windowTitle(), QString::fromLatin1(expected.title));
        for (QPushButton* button : {selector.cmdAdd(), selector.cmdDelete()}) {
            EXPECT_EQ(!button->isHidden(), expected.addShown);
            if (expected.addShown) {
                EXPECT_EQ(button->isEnabled(), expected.addEnabled);
            }
        }
        EXPECT_EQ(!selector.cmdRestoreDefaults()->isHidden(), expected.restoreShown);
        if (expected.restoreTitle) {
            EXPECT_EQ(selector.cmdRestoreDefaults()->text(), QString::fromLatin1(expected.restoreTitle));
            EXPECT_TRUE(selector.cmdRestoreDefaults()->isEnabled());
        }
        EXPECT_EQ(!selector.cmdClearColor()->isHidden(), expected.clearShown);
    }
    // Any other mode only hides the clear-colour button.
    selector.setUseMode(3);
    selector.setUseMode(7);
    EXPECT_EQ(selector.useMode(), 7);
    EXPECT_TRUE(selector.cmdClearColor()->isHidden());
    EXPECT_EQ(selector.windowTitle(), QStringLiteral("Select Color for this Scene"));
    EXPECT_TRUE(selector.cmdAdd()->isHidden());
}

TEST_F(ColorCodesTest, TableShowsTheStoryListOrTheMasterListInFortyPixelRows)
{
    story().colorCodes()[2]->setDescription(QStringLiteral("Only in the story"));
    story().setStandardFontSetting(3);
    auto project = makeSelector(ColorCodeSelector::Project);
    QTableView* table = project->tvColors();
    ASSERT_EQ(table->model()->rowCount(), static_cast<int>(story().colorCodes().size()));
    EXPECT_EQ(table->model()->columnCount(), 2);
    EXPECT_EQ(ColorCodeSelector::columnIdentifier(0), QStringLiteral("color"));
    EXPECT_EQ(ColorCodeSelector::columnIdentifier(1), QStringLiteral("meaning"));
    EXPECT_EQ(meaning(*project, 0), QStringLiteral("Major Turns"));
    EXPECT_EQ(meaning(*project, 2), QStringLiteral("Only in the story"));
    for (int row = 0; row < table->model()->rowCount(); ++row)
        EXPECT_EQ(table->rowHeight(row), 40);
    // The colour cell is the code's colour, alpha included; the meaning uses 11 + the setting.
    ColorCodedb& theme = *story().colorCodes()[1];
    theme.setAlphaValue(128);
    EXPECT_EQ(table->model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(),
              QColor::fromRgb(static_cast<int>(theme.redValue()), static_cast<int>(theme.greenValue()),
                              static_cast<int>(theme.blueValue()), 128));
    EXPECT_EQ(table->model()->index(1, 1).data(Qt::FontRole).value<QFont>().pixelSize(), 14);

    auto master = makeSelector(ColorCodeSelector::Master);
    EXPECT_EQ(master->tvColors()->model()->rowCount(), static_cast<int>(user_->colorCodes().size()));
    EXPECT_EQ(meaning(*master, 2), user_->colorCodes()[2]->description());
    // Without a story the meaning is 11 pixels.
    EXPECT_EQ(master->tvColors()->model()->index(1, 1).data(Qt::FontRole).value<QFont>().pixelSize(), 11);
}

// --- Mode 1: the story's codes --------------------------------------------------------------------

TEST_F(ColorCodesTest, DeletingCodeFiveClearsOnlyItsSlotsAndSavesOnlyThoseCards)
{
    addCard(1, {5, 2, 5, 0, 0, 7});
    addCard(1, {1, 2, 3, 4, 6, 7});
    addCard(2, {0, 0, 0, 0, 0, 5});
    story().setBoardListFilterColorID(5);
    story().save();
    watchCardWrites();
    const std::int64_t first = story().sceneCards()[0]->sceneCardID();
    const std::int64_t untouched = story().sceneCards()[1]->sceneCardID();
    const std::int64_t litter = story().litterBox()[0]->sceneCardID();

    auto selector = makeSelector(ColorCodeSelector::Project);
    selectRow(*selector, 4);
    ASSERT_EQ(story().colorCodes()[4]->colorCodeID(), 5);
    alertAnswers() = {AlertDefaultReturn};
    selector->deleteColorCode();

    ASSERT_EQ(alertsShown().size(), 1u);
    EXPECT_EQ(alertsShown()[0].title, QStringLiteral("Delete Color Code"));
    EXPECT_EQ(alertsShown()[0].message,
              QStringLiteral("Are you sure you want to delete %1?").arg(QStringLiteral("Character B Arc")));
    EXPECT_EQ(alertsShown()[0].defaultButton, QStringLiteral("Yes"));
    EXPECT_EQ(alertsShown()[0].alternateButton, QStringLiteral("No"));
    EXPECT_EQ(cardWrites(), QStringLiteral("%1,%2").arg(std::min(first, litter)).arg(std::max(first, litter)));
    EXPECT_EQ(story().colorForColorCodeID(5), nullptr);
    EXPECT_EQ(selector->tvColors()->model()->rowCount(), 9);
    EXPECT_EQ(story_.scalar(QStringLiteral("SELECT count(*) FROM ColorCode WHERE ColorCodeID=5")), QStringLiteral("0"));

    // The slots survive a reopen; the list filter on the deleted code is gone.
    story_.reopen();
    EXPECT_EQ(slotsOf(*story().sceneCardForSceneCardID(first)), (Slots{0, 2, 0, 0, 0, 7}));
    EXPECT_EQ(slotsOf(*story().sceneCardForSceneCardID(untouched)), (Slots{1, 2, 3, 4, 6, 7}));
    EXPECT_EQ(slotsOf(*story().sceneCardForSceneCardID(litter)), (Slots{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(story().boardListFilterColorID(), 0);
}

TEST_F(ColorCodesTest, DeleteAsksAndRefusesTheFirstRowAndNeedsASelection)
{
    auto selector = makeSelector(ColorCodeSelector::Project);
    selector->deleteColorCode();
    EXPECT_TRUE(alertsShown().empty());

    selectRow(*selector, 0);
    selector->deleteColorCode();
    ASSERT_EQ(alertsShown().size(), 1u);
    EXPECT_EQ(alertsShown()[0].title, QStringLiteral("Delete Color Code"));
    EXPECT_EQ(alertsShown()[0].message, QStringLiteral("The Major Turns color code cannot be deleted."));
    EXPECT_EQ(alertsShown()[0].defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(story().colorCodes().size(), 10u);

    selectRow(*selector, 3);
    alertAnswers() = {AlertAlternateReturn};
    selector->deleteColorCode();
    EXPECT_EQ(story().colorCodes().size(), 10u);
    EXPECT_EQ(story_.count(QStringLiteral("ColorCode")), 10);
}

TEST_F(ColorCodesTest, RestoringDefaultsKeepsMajorTurnsSlotsAndRenumbersFromOne)
{
    // The master list differs from the story's: one code fewer and other names.
    auto& masters = user_->colorCodes();
    masters.back()->deleteFromDatabase();
    masters.pop_back();
    masters[1]->setDescription(QStringLiteral("Motif"));
    masters[1]->save();
    // The story has codes with high ids after edits of its own.
    {
        auto adder = makeSelector(ColorCodeSelector::Project);
        adder->addColorCode();
        adder->addColorCode();
    }
    const std::int64_t highest = story().colorCodes().back()->colorCodeID();
    ASSERT_EQ(highest, 12);
    addCard(1, {1, highest, 3, 1, 0, 0});
    addCard(2, {0, 0, 0, 0, 0, 0});
    addCard(2, {4, 0, 0, 0, 0, 1});
    auto cardWith = [this](const Slots& values) {
        for (auto* cards : {&story().sceneCards(), &story().litterBox()})
            for (const auto& card : *cards)
                if (slotsOf(*card) == values)
                    return card->sceneCardID();
        return std::int64_t{0};
    };
    const std::int64_t board = cardWith({1, highest, 3, 1, 0, 0});
    const std::int64_t blank = cardWith({0, 0, 0, 0, 0, 0});
    const std::int64_t litter = cardWith({4, 0, 0, 0, 0, 1});
    story().setBoardListFilterColorID(3);
    story().save();
    watchCardWrites();
    auto selector = makeSelector(ColorCodeSelector::Project);

    alertAnswers() = {AlertDefaultReturn};
    selector->restoreDefaults();
    ASSERT_EQ(alertsShown().size(), 1u);
    EXPECT_EQ(alertsShown()[0].title, QStringLiteral("Restore Defaults"));
    EXPECT_EQ(alertsShown()[0].message,
              QStringLiteral("This will remove all color codes from all scene cards except for the Major Turn color "
                             "coding. Are you sure you want to proceed ?"));
    EXPECT_EQ(alertsShown()[0].defaultButton, QStringLiteral("No"));
    EXPECT_EQ(alertsShown()[0].alternateButton, QStringLiteral("Yes"));
    EXPECT_EQ(story().colorCodes().size(), 12u);
    EXPECT_EQ(cardWrites(), QString());

    alertAnswers() = {AlertAlternateReturn};
    selector->restoreDefaults();
    // Only the cards with a slot to clear were written.
    EXPECT_EQ(cardWrites(), QStringLiteral("%1,%2").arg(std::min(board, litter)).arg(std::max(board, litter)));

    ASSERT_EQ(story().colorCodes().size(), masters.size());
    for (std::size_t i = 0; i < masters.size(); ++i) {
        SCOPED_TRACE(i);
        const ColorCodedb& code = *story().colorCodes()[i];
        EXPECT_EQ(code.colorCodeID(), static_cast<std::int64_t>(i + 1));
        EXPECT_EQ(code.description(), masters[i]->description());
        EXPECT_EQ(code.redValue(), masters[i]->redValue());
        EXPECT_EQ(code.greenValue(), masters[i]->greenValue());
        EXPECT_EQ(code.blueValue(), masters[i]->blueValue());
        EXPECT_EQ(code.alphaValue(), masters[i]->alphaValue());
    }
    EXPECT_EQ(selector->tvColors()->model()->rowCount(), static_cast<int>(masters.size()));
    EXPECT_EQ(meaning(*selector, 1), QStringLiteral("Motif"));

    story_.reopen();
    EXPECT_EQ(story_.scalar(QStringLiteral("SELECT group_concat(ColorCodeID) FROM ColorCode")),
              QStringLiteral("1,2,3,4,5,6,7,8,9"));
    EXPECT_EQ(slotsOf(*story().sceneCardForSceneCardID(board)), (Slots{1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(slotsOf(*story().sceneCardForSceneCardID(blank)), (Slots{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(slotsOf(*story().sceneCardForSceneCardID(litter)), (Slots{0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(story().colorForColorCodeID(1)->description(), QStringLiteral("Major Turns"));
    // A list filter on a code that is gone no longer names whichever code took its id.
    EXPECT_EQ(story().boardListFilterColorID(), 0);
}

TEST_F(ColorCodesTest, AddedCodeIsSavedSelectedAndOpenForItsName)
{
    auto selector = makeSelector(ColorCodeSelector::Project);
    selector->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(selector.get()));
    selectRow(*selector, 2);
    selector->addColorCode();

    ASSERT_EQ(story().colorCodes().size(), 11u);
    const ColorCodedb& added = *story().colorCodes().back();
    EXPECT_EQ(added.colorCodeID(), 11);
    EXPECT_EQ(added.screenplayID(), story().screenplayID());
    EXPECT_EQ(story_.scalar(QStringLiteral("SELECT Description||','||RedValue||','||AlphaValue||','||ScreenplayID "
                                           "FROM ColorCode WHERE ColorCodeID=11")),
              QStringLiteral("New Color Code,0,255,%1").arg(story().screenplayID()));
    QTableView* table = selector->tvColors();
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(selector->selectedRow(), 10);
    QLineEdit* editor = editorAt(*selector, 10, 1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->selectedText(), QStringLiteral("New Color Code"));

    // Typing a name and pressing Return stores it.
    QTest::keyClicks(editor, QStringLiteral("Subplot"));
    commit(editor);
    EXPECT_EQ(added.description(), QStringLiteral("Subplot"));
    EXPECT_EQ(story_.scalar(QStringLiteral("SELECT Description FROM ColorCode WHERE ColorCodeID=11")),
              QStringLiteral("Subplot"));
}

TEST_F(ColorCodesTest, FirstRowKeepsItsNameButOtherRowsAreRenamed)
{
    for (std::int64_t mode : {ColorCodeSelector::Project, ColorCodeSelector::Master}) {
        SCOPED_TRACE(mode);
        alertsShown().clear();
        auto selector = makeSelector(mode);
        selector->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(selector.get()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(selector.get()));
        QTableView* table = selector->tvColors();
        table->edit(table->model()->index(0, 1));
        ASSERT_EQ(alertsShown().size(), 1u);
        EXPECT_EQ(alertsShown()[0].title, QStringLiteral("Edit Color Code"));
        EXPECT_EQ(alertsShown()[0].message, QStringLiteral("The Major Turns description cannot be changed."));
        EXPECT_EQ(editorAt(*selector, 0, 1), nullptr);
        // Even a value that reaches the first row is not stored.
        selector->tableViewSetObjectValue(QStringLiteral("Renamed"), ColorCodeSelector::kMeaningColumn, 0);
        EXPECT_EQ(meaning(*selector, 0), QStringLiteral("Major Turns"));

        table->edit(table->model()->index(2, 1));
        QLineEdit* editor = editorAt(*selector, 2, 1);
        ASSERT_NE(editor, nullptr);
        editor->setText(QStringLiteral("Echoes"));
        commit(editor);
        EXPECT_EQ(meaning(*selector, 2), QStringLiteral("Echoes"));
        // Tab stores a meaning and opens the next one with its text selected, past the colour cell.
        table->edit(table->model()->index(2, 1));
        QTest::keyClick(editorAt(*selector, 2, 1), Qt::Key_End);
        QTest::keyClicks(editorAt(*selector, 2, 1), QStringLiteral(" S1"));
        QTest::keyClick(editorAt(*selector, 2, 1), Qt::Key_Tab);
        QLineEdit* next = editorAt(*selector, 3, 1);
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->selectedText(), meaning(*selector, 3));
        QTest::keyClicks(next, QStringLiteral("S2"));
        commit(next);
        EXPECT_EQ(meaning(*selector, 2), QStringLiteral("Echoes S1"));
        EXPECT_EQ(meaning(*selector, 3), QStringLiteral("S2"));
        // The colour cell is never edited as text.
        table->edit(table->model()->index(2, 0));
        EXPECT_EQ(editorAt(*selector, 2, 0), nullptr);
    }
    EXPECT_EQ(story_.scalar(QStringLiteral("SELECT Description FROM ColorCode WHERE ColorCodeID=3")),
              QStringLiteral("Echoes S1"));
    EXPECT_EQ(UserInformationdb(master_.get()).colorCodes()[2]->description(), QStringLiteral("Echoes S1"));
    EXPECT_EQ(UserInformationdb(master_.get()).colorCodes()[0]->description(), QStringLiteral("Major Turns"));
}

TEST_F(ColorCodesTest, ColourPanelRecoloursTheSelectedCodeTruncatingComponents)
{
    auto selector = makeSelector(ColorCodeSelector::Project);
    selector->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(selector.get()));
    QTableView* table = selector->tvColors();
    // Without a selection a colour change does nothing.
    selector->changeColor(QColor(Qt::blue));
    EXPECT_EQ(story_.scalar(QStringLiteral("SELECT RedValue FROM ColorCode WHERE ColorCodeID=1")),
              QStringLiteral("255"));

    // A click on the first row's colour cell opens the panel on its colour.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 0)).center());
    EXPECT_EQ(selector->selectedRow(), 0);
    QColorDialog* panel = selector->pnlColor();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->testOption(QColorDialog::NoButtons));
    EXPECT_EQ(panel->parent(), selector.get());
    EXPECT_EQ(panel->currentColor(), QColor::fromRgb(255, 0, 0));
    EXPECT_FALSE(story().colorCodes()[0]->isDirty());

    // The Major Turns colour may change: red 0.5 is stored as 127.
    selector->changeColor(QColor::fromRgbF(0.5f, 0.25f, 1.0f));
    const ColorCodedb& majorTurns = *story().colorCodes()[0];
    EXPECT_EQ(majorTurns.redValue(), 127);
    EXPECT_EQ(majorTurns.greenValue(), 63);
    EXPECT_EQ(majorTurns.blueValue(), 255);
    EXPECT_EQ(majorTurns.alphaValue(), 255);
    EXPECT_EQ(story_.scalar(QStringLiteral("SELECT RedValue||','||GreenValue||','||BlueValue||','||AlphaValue "
                                           "FROM ColorCode WHERE ColorCodeID=1")),
              QStringLiteral("127,63,255,255"));
    // The panel's own colours are whole values, and they keep their value exactly.
    panel->setCurrentColor(QColor::fromRgb(128, 1, 254, 255));
    EXPECT_EQ(majorTurns.redValue(), 128);
    EXPECT_EQ(majorTurns.greenValue(), 1);
    EXPECT_EQ(majorTurns.blueValue(), 254);

    // Another row's colour cell retargets the same panel.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(3, 0)).center());
    EXPECT_EQ(selector->pnlColor(), panel);
    panel->setCurrentColor(QColor::fromRgb(10, 20, 30));
    EXPECT_EQ(story().colorCodes()[3]->redValue(), 10);
    EXPECT_EQ(majorTurns.redValue(), 128);

    // Done closes the panel and forgets it.
    selector->closeWindow();
    EXPECT_EQ(selector->pnlColor(), nullptr);
    EXPECT_TRUE(selector->modalRunStopped());
}

// --- Mode 4: the master codes ---------------------------------------------------------------------

TEST_F(ColorCodesTest, MasterCodesAreAddedDeletedAndRestoredToTheTenDefaults)
{
    auto selector = makeSelector(ColorCodeSelector::Master);
    EXPECT_EQ(selector->screenplay(), nullptr);
    selector->addColorCode();
    ASSERT_EQ(user_->colorCodes().size(), 11u);
    const MasterColorCodedb& added = *user_->colorCodes().back();
    EXPECT_EQ(added.description(), QString());
    EXPECT_EQ(added.alphaValue(), 0);
    EXPECT_EQ(selector->selectedRow(), 10);

    // Deleting a master code leaves the story's copies alone.
    selectRow(*selector, 1);
    alertAnswers() = {AlertDefaultReturn};
    selector->deleteColorCode();
    EXPECT_EQ(user_->colorCodes().size(), 10u);
    EXPECT_EQ(UserInformationdb(master_.get()).colorCodes().size(), 10u);
    EXPECT_EQ(story_.count(QStringLiteral("ColorCode")), 10);
    selectRow(*selector, 0);
    selector->deleteColorCode();
    EXPECT_EQ(alertsShown().back().message, QStringLiteral("The Major Turns color code cannot be deleted."));
    EXPECT_EQ(user_->colorCodes().size(), 10u);

    user_->colorCodes()[0]->setRedValue(3);
    user_->colorCodes()[0]->save();
    const std::size_t alertsBefore = alertsShown().size();
    selector->restoreDefaults();
    EXPECT_EQ(alertsShown().size(), alertsBefore); // no question asked
    const UserInformationdb reread(master_.get());
    ASSERT_EQ(reread.colorCodes().size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(reread.colorCodes()[i]->colorCodeID(), static_cast<std::int64_t>(i + 1));
        EXPECT_EQ(user_->colorCodes()[i]->colorCodeID(), static_cast<std::int64_t>(i + 1));
    }
    EXPECT_EQ(reread.colorCodes()[0]->description(), QStringLiteral("Major Turns"));
    EXPECT_EQ(reread.colorCodes()[0]->redValue(), 255);
    EXPECT_EQ(reread.colorCodes()[1]->description(), QStringLiteral("Theme"));
    EXPECT_EQ(selector->tvColors()->model()->rowCount(), 10);
}

// --- Modes 2 and 3: choosing -----------------------------------------------------------------------

TEST_F(ColorCodesTest, FilterAndSceneModesAnswerTheChosenCodeOrZero)
{
    // Ids that are not row numbers, so that the answer is seen to be the code's own id.
    story().colorCodes()[1]->deleteFromDatabase();
    story().colorCodes().erase(story().colorCodes().begin() + 1);
    for (std::int64_t mode : {ColorCodeSelector::Filter, ColorCodeSelector::Scene}) {
        SCOPED_TRACE(mode);
        auto selector = makeSelector(mode);
        selector->setSelectedColorID(6);
        selector->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(selector.get()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(selector.get()));
        QTableView* table = selector->tvColors();
        // No editing at all, and no refusal to tell.
        table->edit(table->model()->index(0, 1));
        table->edit(table->model()->index(2, 1));
        EXPECT_EQ(editorAt(*selector, 0, 1), nullptr);
        EXPECT_EQ(editorAt(*selector, 2, 1), nullptr);
        EXPECT_TRUE(alertsShown().empty());
        // A click on a colour cell is an ordinary click: it chooses.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(2, 0)).center());
        EXPECT_EQ(selector->pnlColor(), nullptr);
        EXPECT_EQ(selector->selectedColorID(), 4);
        EXPECT_TRUE(selector->modalRunStopped());
        EXPECT_FALSE(selector->isVisible());
    }

    auto filter = makeSelector(ColorCodeSelector::Filter);
    filter->setSelectedColorID(6);
    filter->restoreDefaults();
    EXPECT_EQ(filter->selectedColorID(), 0);
    EXPECT_TRUE(filter->modalRunStopped());
    EXPECT_EQ(story().colorCodes().size(), 9u);

    filter = makeSelector(ColorCodeSelector::Filter);
    filter->setSelectedColorID(6);
    filter->closeWindow();
    EXPECT_EQ(filter->selectedColorID(), 6);
    EXPECT_TRUE(filter->modalRunStopped());

    auto scene = makeSelector(ColorCodeSelector::Scene);
    scene->setSelectedColorID(6);
    scene->cmdClearColor()->click();
    EXPECT_EQ(scene->selectedColorID(), 0);
    EXPECT_TRUE(scene->modalRunStopped());
    // The buttons of the editing modes change nothing here.
    scene->addColorCode();
    scene->restoreDefaults();
    EXPECT_EQ(story().colorCodes().size(), 9u);
    EXPECT_TRUE(alertsShown().empty());
}

// --- The note palette ------------------------------------------------------------------------------

TEST(ColorPaletteTest, TenColoursAndWhiteForAnyOtherId)
{
    const std::array<QColor, 10> palette{QColor(240, 230, 140), QColor(152, 251, 152), QColor(173, 216, 230),
                                         QColor(255, 192, 203), QColor(255, 165, 0),   QColor(255, 255, 0),
                                         QColor(127, 255, 0),   QColor(0, 255, 255),   QColor(255, 0, 255),
                                         QColor(255, 140, 0)};
    for (std::int64_t id = 1; id <= 10; ++id)
        EXPECT_EQ(MyDocument::cardColorForColorID(id), palette[static_cast<std::size_t>(id - 1)]) << id;
    for (std::int64_t id : {0, 11, 99, -1})
        EXPECT_EQ(MyDocument::cardColorForColorID(id), QColor(Qt::white)) << id;
}

TEST(ColorCardSelectorTest, PressingAPaletteButtonAnswersItsIdAndEndsTheRun)
{
    CardColorSelector selector;
    EXPECT_EQ(selector.selectedColor(), 0);
    for (std::int64_t id = 1; id <= 10; ++id) {
        QPushButton* button = selector.colorButton(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->property("tag").toLongLong(), id);
        EXPECT_TRUE(button->styleSheet().contains(MyDocument::cardColorForColorID(id).name())) << id;
    }
    EXPECT_EQ(selector.colorButton(11), nullptr);

    ModalScript script;
    script.onEvery<CardColorSelector>([](CardColorSelector& dialog) { dialog.colorButton(7)->click(); });
    selector.runModal();
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(selector.selectedColor(), 7);
    EXPECT_EQ(selector.result(), QDialog::Accepted);
}

// --- The application's commands --------------------------------------------------------------------

class ColorCommandsTest : public AppFixture
{
};

TEST_F(ColorCommandsTest, ProjectCommandEditsTheDocumentsCodesInModeOne)
{
    AppController& app = startApplication();
    MyDocument* document = app.documentController().openDocument(makeStory(QStringLiteral("Colours.vtrsf")));
    ASSERT_NE(document, nullptr);
    ModalScript script;
    script.onEvery<ColorCodeSelector>([&](ColorCodeSelector& dialog) {
        EXPECT_EQ(document->colorCodeWindow(), &dialog);
        EXPECT_EQ(dialog.useMode(), ColorCodeSelector::Project);
        EXPECT_EQ(dialog.screenplay(), document->currentScreenplay());
        EXPECT_EQ(dialog.userInformation(), app.userInformation());
        EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(205, 133, 63));
        EXPECT_EQ(dialog.tvColors()->model()->rowCount(), 10);
        dialog.cmdAdd()->click();
        dialog.cmdDone()->click();
    });
    app.actions().mnuProjectColorCodes->trigger();
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(document->colorCodeWindow(), nullptr);
    EXPECT_EQ(document->currentScreenplay()->colorCodes().size(), 11u);
}

TEST_F(ColorCommandsTest, ProjectCommandRepaintsTheStripesOfEveryCardView)
{
    AppController& app = startApplication();
    const QString path = makeStory(QStringLiteral("Stripes.vtrsf"));
    {
        DatabaseConnection story = StoryFile::open(path);
        SqlProbe::exec(story.get(), QStringLiteral("INSERT INTO SceneCard (ScreenplayID,OnBoard,ColorLegend1ID,"
                                                   "ColorLegend2ID) SELECT ScreenplayID,1,3,0 FROM Screenplay"));
        SqlProbe::exec(story.get(), QStringLiteral("INSERT INTO SceneCard (ScreenplayID,OnBoard,ColorLegend1ID,"
                                                   "ColorLegend2ID) SELECT ScreenplayID,2,0,3 FROM Screenplay"));
    }
    MyDocument* document = app.documentController().openDocument(path);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->sceneCardControls().size(), 2u);
    ModalScript script;
    script.onEvery<ColorCodeSelector>([](ColorCodeSelector& dialog) {
        dialog.tvColors()->selectRow(2);
        dialog.changeColor(QColor(1, 2, 3));
        dialog.closeWindow();
    });
    app.actions().mnuProjectColorCodes->trigger();
    ASSERT_EQ(script.runs, 1);
    const auto& controls = document->sceneCardControls();
    EXPECT_EQ(controls[0]->stripeColor(1), QColor(1, 2, 3));
    EXPECT_EQ(controls[0]->stripeColor(2), QColor(Qt::white));
    EXPECT_EQ(controls[1]->stripeColor(2), QColor(1, 2, 3));
}

TEST_F(ColorCommandsTest, MasterCommandEditsTheMasterCodesInModeFour)
{
    AppController& app = startApplication();
    EXPECT_TRUE(app.actions().mnuMasterColorCodes->isEnabled());
    ModalScript script;
    script.onEvery<ColorCodeSelector>([&](ColorCodeSelector& dialog) {
        EXPECT_EQ(dialog.useMode(), ColorCodeSelector::Master);
        EXPECT_EQ(dialog.screenplay(), nullptr);
        EXPECT_EQ(dialog.userInformation(), app.userInformation());
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Master Color Codes"));
        EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(205, 133, 63));
        dialog.restoreDefaults();
        dialog.closeWindow();
    });
    app.actions().mnuMasterColorCodes->trigger();
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(app.userInformation()->colorCodes().size(), 10u);
}

TEST_F(ColorCommandsTest, TipEndsTheRunAndShowsTheColourCodeTopic)
{
    AppController& app = startApplication();
    ModalScript script;
    bool stopped = false;
    script.onEvery<ColorCodeSelector>([&](ColorCodeSelector& dialog) {
        dialog.cmdTip()->click();
        stopped = dialog.modalRunStopped();
        // Not before the modal run has ended.
        EXPECT_EQ(app.adviceWindow(), nullptr);
    });
    app.actions().mnuMasterColorCodes->trigger();
    EXPECT_TRUE(stopped);
    settle();
    ASSERT_NE(app.adviceWindow(), nullptr);
    EXPECT_TRUE(app.adviceWindow()->webDocument()->source().toString().contains(QStringLiteral("COLORCODE")));
}

} // namespace
