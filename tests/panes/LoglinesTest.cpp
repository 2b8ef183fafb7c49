#include "PanesFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "model/Loglinedb.h"
#include "model/Screenplaydb.h"
#include "panes/LoglineList.h"
#include "app/SmallViews.h"
#include "panes/TitleLoglineView.h"
#include "support/SqlProbe.h"
#include "support/TraceCapture.h"

#include <QAction>
#include <QApplication>
#include <QResizeEvent>
#include <QTest>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include <functional>
#include <memory>

namespace {

const QString kShort = QStringLiteral(
    "On the verge of a [Stasis = Death moment], [a flawed protagonist] [Breaks Into Two]; but when the [Midpoint] "
    "happens, he/she must learn the [Theme Stated], before [All Is Lost].");
const QString kLong = QStringLiteral(
    "On the verge of a [Stasis = Death moment], [a flawed protagonist] has a [Catalyst] and [Breaks Into Two] with "
    "the [B Story]; but when the [Midpoint] happens, he/she must learn the [Theme Stated], before [All Is Lost], to "
    "defeat (or stop) the [flawed antagonist] (from getting away with his/her plan).");

void select(LoglineList& list, int row)
{
    list.tvTable()->selectionModel()->select(list.tvTable()->model()->index(row, 1),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace

// A story with three loglines, "First", "Second" and "Third", the last one current.
class Loglines : public PanesFixture
{
protected:
    void SetUp() override
    {
        PanesFixture::SetUp();
        open(story("Loglines"));
        type(titlePane().tfLogline(), "First");
        for (const char* text : {"Second", "Third"}) {
            app_->actions().mnuSLoglineNew->trigger();
            type(titlePane().tfLogline(), text);
        }
    }

    QString current() const { return stored("SELECT group_concat(Logline) FROM Logline WHERE CurrentLoglineFlag = 1"); }
};

TEST_F(Loglines, ChoosingACurrentLoglineLeavesExactlyOne)
{
    ASSERT_EQ(current(), "Third");
    inLoglineList = [this](LoglineList& list) {
        QAbstractItemModel* rows = list.tvTable()->model();
        ASSERT_EQ(rows->rowCount(), 3);
        EXPECT_EQ(rows->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_EQ(rows->index(0, 1).data().toString(), "First");
        // A space typed on a row's "current" cell chooses nothing.
        list.tvTable()->setCurrentIndex(rows->index(1, 0));
        QTest::keyClick(list.tvTable(), Qt::Key_Space);
        EXPECT_EQ(current(), "Third");
        rows->setData(rows->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        EXPECT_EQ(rows->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_EQ(rows->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
        EXPECT_TRUE(list.cmdDelete()->isHidden());
        select(list, 1);
    };
    titlePane().cmdLoglines()->click();
    EXPECT_EQ(dialogsRun("LoglineList"), 1);
    EXPECT_EQ(current(), "First");
    EXPECT_EQ(titlePane().tfLogline()->toPlainText(), "First");
    EXPECT_EQ(titlePane().loglineListWindow(), nullptr) << "made afresh for every run";
}

TEST_F(Loglines, OnlyALoglineThatIsNotCurrentCanBeDeleted)
{
    inLoglineList = [this](LoglineList& list) {
        select(list, 2);
        EXPECT_TRUE(list.cmdDelete()->isHidden()) << "the current logline";
        list.deleteLogline();
        EXPECT_TRUE(fakes_.alerts->shown.empty());
        select(list, 0);
        EXPECT_FALSE(list.cmdDelete()->isHidden());

        fakes_.alerts->answers = {AlertDefaultReturn};
        list.cmdDelete()->click();
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, "Delete Logline");
        EXPECT_EQ(fakes_.alerts->shown[0].message, "Are you sure you want to delete this logline?");
        EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, "No");
        EXPECT_EQ(fakes_.alerts->shown[0].alternateButton, "Yes");
        EXPECT_EQ(list.tvTable()->model()->rowCount(), 3) << "No keeps it";

        fakes_.alerts->answers = {AlertAlternateReturn};
        list.cmdDelete()->click();
        EXPECT_EQ(list.tvTable()->model()->rowCount(), 2);
        EXPECT_EQ(list.tvTable()->model()->index(0, 1).data().toString(), "Second");
        EXPECT_TRUE(list.cmdDelete()->isHidden());
        EXPECT_FALSE(list.tvTable()->selectionModel()->hasSelection());
    };
    titlePane().cmdLoglines()->click();
    EXPECT_EQ(stored("SELECT group_concat(Logline) FROM Logline"), "Second,Third");
    EXPECT_FALSE(titlePane().cmdLoglines()->isHidden());

    inLoglineList = [this](LoglineList& list) {
        select(list, 0);
        fakes_.alerts->answers = {AlertAlternateReturn};
        list.cmdDelete()->click();
    };
    titlePane().cmdLoglines()->click();
    EXPECT_EQ(stored("SELECT group_concat(Logline) FROM Logline"), "Third");
    EXPECT_TRUE(titlePane().cmdLoglines()->isHidden()) << "one logline left";
    EXPECT_EQ(titlePane().tfLogline()->width(), document_->splTitle()->paneSize(0).width() - 129);
}

TEST_F(Loglines, ARefusedDeleteKeepsTheLoglineInTheListTheStoryAndTheFile)
{
    // The file takes the delete, then refuses to keep it when the change is committed: a row
    // elsewhere still needs the logline.
    SqlProbe::exec(document_->database(), "PRAGMA foreign_keys = ON");
    SqlProbe::exec(document_->database(), "CREATE TABLE Keeper (LoglineID INTEGER REFERENCES Logline(LoglineID) "
                                          "DEFERRABLE INITIALLY DEFERRED)");
    SqlProbe::exec(document_->database(), "INSERT INTO Keeper SELECT LoglineID FROM Logline WHERE Logline = 'First'");
    inLoglineList = [this](LoglineList& list) {
        select(list, 0);
        fakes_.alerts->answers = {AlertAlternateReturn};
        list.cmdDelete()->click();
        // The question, then the refusal.
        ASSERT_EQ(fakes_.alerts->shown.size(), 2u);
        EXPECT_EQ(list.tvTable()->model()->rowCount(), 3);
        EXPECT_EQ(list.tvTable()->model()->index(0, 1).data().toString(), "First");
        EXPECT_EQ(screenplay().logLines().size(), 3u);
        EXPECT_EQ(stored("SELECT group_concat(Logline) FROM Logline"), "First,Second,Third");

        // Once nothing needs it, the same click deletes it.
        SqlProbe::exec(document_->database(), "DELETE FROM Keeper");
        select(list, 0);
        fakes_.alerts->answers = {AlertAlternateReturn};
        list.cmdDelete()->click();
        EXPECT_EQ(list.tvTable()->model()->rowCount(), 2);
    };
    titlePane().cmdLoglines()->click();
    EXPECT_EQ(stored("SELECT group_concat(Logline) FROM Logline"), "Second,Third");
    EXPECT_EQ(screenplay().logLines().size(), 2u);
    EXPECT_EQ(current(), "Third");
}

TEST_F(Loglines, TheListShowsButNeverStoresTheText)
{
    inLoglineList = [this](LoglineList& list) {
        QAbstractItemModel* rows = list.tvTable()->model();
        EXPECT_FALSE(rows->setData(rows->index(1, 1), "Changed", Qt::EditRole));
        EXPECT_EQ(rows->index(1, 1).data().toString(), "Second");
        EXPECT_EQ(current(), "Third");
    };
    titlePane().cmdLoglines()->click();
    EXPECT_EQ(stored("SELECT group_concat(Logline) FROM Logline"), "First,Second,Third");
}

TEST_F(Loglines, RowsAreAsTallAsTheirWrappedText)
{
    type(titlePane().tfLogline(), QString(400, QLatin1Char('w')).replace("wwwwwwww", "wwwwwww "));
    // The window is resized as the platform does it: the list follows its new width.
    const auto resize = [](LoglineList& list, int width) {
        list.resize(width, 400);
        QResizeEvent event(list.size(), QSize());
        QApplication::sendEvent(&list, &event);
    };
    inLoglineList = [&resize](LoglineList& list) {
        resize(list, 500);
        EXPECT_EQ(list.heightOfRow(0), 20) << "one short line";
        const int narrow = list.heightOfRow(2);
        EXPECT_GT(narrow, 40);
        EXPECT_EQ(list.tvTable()->rowHeight(2), narrow);
        resize(list, 1100);
        EXPECT_LT(list.heightOfRow(2), narrow);
        EXPECT_EQ(list.tvTable()->rowHeight(2), list.heightOfRow(2));
    };
    titlePane().cmdLoglines()->click();
}

TEST_F(Loglines, ClosingClearsTheSelection)
{
    inLoglineList = [](LoglineList& list) {
        select(list, 1);
        list.closeList();
        EXPECT_FALSE(list.tvTable()->selectionModel()->hasSelection());
        EXPECT_EQ(list.result(), 0);
    };
    titlePane().cmdLoglines()->click();
}

// --- Logline commands --------------------------------------------------------------------------

class LoglineCommands : public PanesFixture
{
protected:
    void SetUp() override
    {
        PanesFixture::SetUp();
        open(story("Commands"));
        type(titlePane().tfLogline(), "The one we had");
    }

    long long loglineCount() const { return stored("SELECT COUNT(*) FROM Logline").toLongLong(); }
};

TEST_F(LoglineCommands, TheWindowsButtonsStartTheTemplatesAndItsCancelChangesNothing)
{
    QAction* button = document_->window()->tbLogline();
    loglineKind = 0;
    button->trigger();
    EXPECT_EQ(dialogsRun("addLoglineWindow"), 1);
    EXPECT_EQ(loglineCount(), 1);
    EXPECT_EQ(stored("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"), "The one we had");
    EXPECT_TRUE(titlePane().cmdLoglines()->isHidden());

    loglineKind = 3;
    button->trigger();
    EXPECT_EQ(stored("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"), kLong);
    EXPECT_EQ(titlePane().tfLogline()->toPlainText(), kLong);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM Logline WHERE CurrentLoglineFlag = 1"), "1");
    EXPECT_EQ(QApplication::focusWidget(), titlePane().tfLogline());

    loglineKind = 2;
    app_->actions().mnuSLoglineFromTemplate->trigger();
    EXPECT_EQ(stored("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"), kShort);
    loglineKind = 1;
    button->trigger();
    EXPECT_EQ(stored("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"), "");
    EXPECT_EQ(loglineCount(), 4);
    EXPECT_EQ(dialogsRun("addLoglineWindow"), 4);
}

TEST_F(LoglineCommands, ATaggedSenderNeedsNoWindow)
{
    QObject shortTemplate;
    shortTemplate.setProperty("tag", 2);
    document_->addLogline(&shortTemplate);
    EXPECT_EQ(dialogsRun("addLoglineWindow"), 0);
    EXPECT_EQ(stored("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"), kShort);
    EXPECT_EQ(stored("SELECT group_concat(CurrentLoglineFlag) FROM Logline"), "0,1");
    EXPECT_FALSE(titlePane().cmdLoglines()->isHidden());

    app_->actions().mnuSLoglineNew->trigger();
    EXPECT_EQ(dialogsRun("addLoglineWindow"), 0);
    EXPECT_EQ(stored("SELECT group_concat(CurrentLoglineFlag) FROM Logline"), "0,0,1");
    EXPECT_TRUE(titlePane().tfLogline()->toPlainText().isEmpty());
}

TEST_F(LoglineCommands, LayingThePaneOutAgainTracesWhetherItHasItsLeastHeight)
{
    MainSplitView* split = document_->splTitle();
    SplitViewDelegate* delegate = split->delegate();
    // Without its limits the divider can make the pane lower than the least height.
    split->setDelegate(nullptr);
    struct Row {
        int paneHeight;
        const char* traced;
    };
    const Row rows[] = {{69, "vantora.app: height < 70"}, {70, "vantora.app: height > 70"},
                        {120, "vantora.app: height > 70"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.paneHeight);
        split->setPosition(row.paneHeight);
        ASSERT_EQ(split->paneSize(0).height(), row.paneHeight);
        TraceCapture trace;
        app_->actions().mnuSLoglineNew->trigger();
        EXPECT_EQ(trace.lines(), QStringList{QString::fromLatin1(row.traced)});
    }
    split->setDelegate(delegate);
    EXPECT_EQ(loglineCount(), 4);
}

TEST_F(LoglineCommands, TheEditInProgressIsWrittenBeforeANewLoglineStarts)
{
    titlePane().tfTitle()->setFocus();
    titlePane().tfTitle()->selectAll();
    QTest::keyClicks(titlePane().tfTitle(), "Typed, not yet ended");
    app_->actions().mnuSLoglineNew->trigger();
    EXPECT_EQ(stored("SELECT ScreenplayTitle FROM Screenplay"), "Typed, not yet ended");
}

// A file that refuses to take the flag off a logline: whatever was asked fails whole, the
// failure is shown, and exactly the logline that was current stays current.
TEST_F(LoglineCommands, AFailedChangeOfTheCurrentLoglineLeavesTheOldOneCurrentAlone)
{
    struct Row {
        const char* what;
        std::function<void()> act;
    };
    const Row rows[] = {
        {"a new logline from the menu", [this] { app_->actions().mnuSLoglineNew->trigger(); }},
        {"another logline chosen in the list",
         [this] {
             inLoglineList = [](LoglineList& list) {
                 QAbstractItemModel* rows = list.tvTable()->model();
                 rows->setData(rows->index(0, 0), Qt::Checked, Qt::CheckStateRole);
             };
             titlePane().cmdLoglines()->click();
         }},
    };
    // An older logline, not current, for the list to offer; then the file refuses.
    auto older = std::make_unique<Loglinedb>();
    older->setScreenplayID(screenplay().screenplayID());
    older->setLogline(QStringLiteral("An older one"));
    older->insertIntoDatabase(&screenplay());
    screenplay().logLines().insert(screenplay().logLines().begin(), std::move(older));
    SqlProbe::exec(document_->database(), "CREATE TRIGGER refuse BEFORE UPDATE OF CurrentLoglineFlag ON Logline "
                                          "WHEN NEW.CurrentLoglineFlag = 0 BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::size_t alerts = fakes_.alerts->shown.size();
        row.act();
        settle();
        EXPECT_EQ(fakes_.alerts->shown.size(), alerts + 1) << "the failure is shown";
        EXPECT_EQ(stored("SELECT group_concat(Logline, '|') FROM Logline WHERE CurrentLoglineFlag = 1"),
                  "The one we had");
        EXPECT_EQ(stored("SELECT COUNT(*) FROM Logline"), "2");
        EXPECT_EQ(screenplay().logLines().size(), 2u);
        ASSERT_NE(screenplay().currentLogline(), nullptr);
        EXPECT_EQ(screenplay().currentLogline()->logline(), "The one we had");
        int current = 0;
        for (const auto& logline : screenplay().logLines())
            current += logline->currentLoglineFlag() == 1 ? 1 : 0;
        EXPECT_EQ(current, 1);
    }
}
