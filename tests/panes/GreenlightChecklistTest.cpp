#include "app/AppFixture.h"
#include "model/GreenlightChecklistTexts.h"
#include "model/Screenplaydb.h"
#include "panes/GreenlightChecklist.h"
#include "support/StoryFixtures.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <memory>

namespace {

// The panel on a board of the story's stored size, shown as the notes board shows it.
class GreenlightChecklistTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        file_ = std::make_unique<NewStory>();
    }
    void TearDown() override
    {
        checklist_.reset();
        board_.reset();
        file_.reset();
        AppFixture::TearDown();
    }

    GreenlightChecklist& showChecklist(const QPoint& at = QPoint(19, 16))
    {
        checklist_.reset();
        board_ = std::make_unique<QWidget>();
        Screenplaydb& story = file_->story();
        board_->resize(int(story.generalNotesWidth()), int(story.generalNotesHeight()) + GreenlightChecklist::kHeight);
        checklist_ = std::make_unique<GreenlightChecklist>(nullptr, &story, board_.get());
        checklist_->view()->setParent(board_.get());
        checklist_->view()->move(at);
        board_->show();
        return *checklist_;
    }
    void reopen()
    {
        checklist_.reset();
        file_->reopen();
    }
    QString storedAnswer(int number) const
    {
        return file_->scalar(
            QStringLiteral("SELECT coalesce(group_concat(Answer), '') FROM GreenlightChecklistQuestion "
                           "WHERE QuestionNumber = %1")
                .arg(number));
    }
    void click(int number, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(checklist_->checkmark(number), button, {}, QPoint(9, 9));
    }
    bool ticked(int number) const
    {
        return checklist_->checkmark(number)->imageName() == QLatin1String("BlackCheckMark");
    }

    std::unique_ptr<NewStory> file_;
    std::unique_ptr<QWidget> board_;
    std::unique_ptr<GreenlightChecklist> checklist_;
};

} // namespace

TEST(GreenlightChecklistTexts, TwentyTwoTitlesHoldTheFiftyFiveQuestionsInOrder)
{
    const auto& sections = greenlightSections();
    std::int64_t next = 1;
    int acts = 0;
    QStringList seen;
    for (const GreenlightSection& section : sections) {
        SCOPED_TRACE(section.title);
        if (section.firstQuestion == 0) {
            EXPECT_EQ(section.lastQuestion, 0);
            ++acts;
            continue;
        }
        EXPECT_EQ(section.firstQuestion, next);
        EXPECT_GE(section.lastQuestion, section.firstQuestion);
        next = section.lastQuestion + 1;
    }
    EXPECT_EQ(next, kGreenlightQuestionCount + 1);
    EXPECT_EQ(acts, 3);
    for (std::int64_t number = 1; number <= kGreenlightQuestionCount; ++number) {
        SCOPED_TRACE(number);
        const QString question = greenlightQuestion(number);
        EXPECT_FALSE(question.isEmpty());
        EXPECT_FALSE(question.contains(u'\n'));
        EXPECT_TRUE(question.endsWith(u'?'));
        EXPECT_FALSE(seen.contains(question));
        seen << question;
    }
    EXPECT_EQ(greenlightQuestion(0), QString());
    EXPECT_EQ(greenlightQuestion(56), QString());
}

TEST_F(GreenlightChecklistTest, TheQuestionsFillThePanelUnderTheirTitlesWithinItsRoom)
{
    GreenlightChecklist& checklist = showChecklist();
    QWidget* panel = checklist.view();
    EXPECT_EQ(panel->size(), QSize(577, 1994));
    int lastBottom = 0;
    for (std::int64_t number = 1; number <= kGreenlightQuestionCount; ++number) {
        SCOPED_TRACE(number);
        GreenlightCheckmark* mark = checklist.checkmark(number);
        ASSERT_NE(mark, nullptr);
        EXPECT_EQ(mark->tag(), number);
        EXPECT_EQ(mark->property("tag").toLongLong(), number);
        auto* question = panel->findChild<QLabel*>(QStringLiteral("lblQuestion%1").arg(number));
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(question->text(), greenlightQuestion(number));
        // Each question lies below the one before it, beside its mark, inside the panel.
        EXPECT_GT(question->y(), lastBottom);
        EXPECT_GT(mark->geometry().bottom(), question->y());
        EXPECT_LT(mark->y(), question->y() + question->fontMetrics().height());
        EXPECT_LT(mark->geometry().right(), question->x());
        EXPECT_LE(question->geometry().bottom(), panel->height());
        EXPECT_LE(question->geometry().right(), panel->width());
        lastBottom = question->geometry().bottom();
    }
    EXPECT_EQ(checklist.checkmark(0), nullptr);
    EXPECT_EQ(checklist.checkmark(56), nullptr);
    EXPECT_GT(lastBottom, panel->height() - 100) << "the questions are spread over the panel's room";
}

TEST_F(GreenlightChecklistTest, ClicksOnAMarkStoreYesAndNoInTurn)
{
    showChecklist();
    struct Row {
        int question;
        Qt::MouseButton button;
        const char* stored;
        bool ticked;
    };
    const Row rows[] = {
        {1, Qt::LeftButton, "Y", true},   {1, Qt::LeftButton, "N", false}, {1, Qt::LeftButton, "Y", true},
        {55, Qt::LeftButton, "Y", true},  {30, Qt::RightButton, "N", false}, {30, Qt::LeftButton, "Y", true},
        {55, Qt::LeftButton, "N", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "question " << row.question << " stores " << row.stored);
        click(row.question, row.button);
        EXPECT_EQ(storedAnswer(row.question), QString::fromLatin1(row.stored));
        EXPECT_EQ(ticked(row.question), row.ticked);
        EXPECT_EQ(file_->story().markForGreenlightQuestion(row.question),
                  row.ticked ? QStringLiteral("X") : QStringLiteral("__"));
    }
    EXPECT_FALSE(checklist_->checkmark(1)->pixmap().isNull());
    EXPECT_TRUE(checklist_->checkmark(55)->pixmap().isNull());

    // A new panel on the story opened again shows what the file holds.
    reopen();
    showChecklist();
    for (int number = 1; number <= kGreenlightQuestionCount; ++number) {
        SCOPED_TRACE(number);
        EXPECT_EQ(ticked(number), number == 1 || number == 30);
    }
    EXPECT_EQ(file_->scalar(QStringLiteral("SELECT count(*) FROM GreenlightChecklistQuestion")), QStringLiteral("55"));
}

TEST_F(GreenlightChecklistTest, AStoryStoredWithFiftyQuestionsShowsTheLastFiveUnticked)
{
    file_->exec(QStringLiteral("UPDATE GreenlightChecklistQuestion SET Answer = 'Y' WHERE QuestionNumber IN (2, 50)"));
    file_->exec(QStringLiteral("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber > 50"));
    reopen();
    showChecklist();
    for (int number = 1; number <= kGreenlightQuestionCount; ++number) {
        SCOPED_TRACE(number);
        EXPECT_EQ(ticked(number), number == 2 || number == 50);
    }
    EXPECT_EQ(file_->scalar(QStringLiteral("SELECT group_concat(QuestionNumber || Answer) FROM "
                                           "(SELECT * FROM GreenlightChecklistQuestion WHERE QuestionNumber > 49 "
                                           "ORDER BY QuestionNumber)")),
              QStringLiteral("50Y,51N,52N,53N,54N,55N"));
    click(53);
    EXPECT_EQ(storedAnswer(53), QStringLiteral("Y"));
}

TEST_F(GreenlightChecklistTest, AMarkWhoseQuestionRecordIsMissingCreatesItTicked)
{
    file_->exec(QStringLiteral("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber IN (7, 12)"));
    reopen();
    showChecklist();
    EXPECT_FALSE(ticked(7));
    EXPECT_EQ(storedAnswer(7), QString());

    click(7);
    EXPECT_TRUE(ticked(7));
    EXPECT_EQ(storedAnswer(7), QStringLiteral("Y"));
    EXPECT_EQ(file_->scalar(QStringLiteral("SELECT ScreenplayID FROM GreenlightChecklistQuestion "
                                           "WHERE QuestionNumber = 7")),
              file_->scalar(QStringLiteral("SELECT ScreenplayID FROM Screenplay")));
    click(7);
    EXPECT_FALSE(ticked(7));
    EXPECT_EQ(storedAnswer(7), QStringLiteral("N"));
    EXPECT_EQ(storedAnswer(12), QString()) << "only the clicked question is created";
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(GreenlightChecklistTest, AnAnswerThatCannotBeWrittenLeavesTheMarkAndTheStoryAsTheyWere)
{
    file_->exec(QStringLiteral("DELETE FROM GreenlightChecklistQuestion WHERE QuestionNumber = 9"));
    reopen();
    showChecklist();
    file_->exec(QStringLiteral("CREATE TEMP TRIGGER refuseUpdate BEFORE UPDATE ON main.GreenlightChecklistQuestion "
                               "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    file_->exec(QStringLiteral("CREATE TEMP TRIGGER refuseInsert BEFORE INSERT ON main.GreenlightChecklistQuestion "
                               "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    for (int number : {4, 9}) {
        SCOPED_TRACE(number);
        const std::size_t alertsBefore = fakes_.alerts->shown.size();
        click(number);
        EXPECT_FALSE(ticked(number));
        EXPECT_EQ(fakes_.alerts->shown.size(), alertsBefore + 1);
        EXPECT_EQ(file_->story().answerForGreenlightQuestion(number), QStringLiteral("N"));
    }
    EXPECT_EQ(storedAnswer(4), QStringLiteral("N"));
    EXPECT_EQ(storedAnswer(9), QString());
    EXPECT_EQ(file_->story().greenlightChecklistQuestions().size(), 54u);

    // Once writes work again the same clicks are stored.
    file_->exec(QStringLiteral("DROP TRIGGER temp.refuseUpdate"));
    file_->exec(QStringLiteral("DROP TRIGGER temp.refuseInsert"));
    click(4);
    click(9);
    EXPECT_EQ(storedAnswer(4), QStringLiteral("Y"));
    EXPECT_EQ(storedAnswer(9), QStringLiteral("Y"));
}

TEST_F(GreenlightChecklistTest, TheTackMovesThePanelWithinTheBoardAndStoresItsFractions)
{
    GreenlightChecklist& checklist = showChecklist(QPoint(19, 16));
    ImageViewResponder* tack = checklist.imgThumbTack();
    QWidget* panel = checklist.view();
    const QPoint hold(12, 12);
    struct Row {
        const char* name;
        QPoint by;
        QPoint lands;
        const char* fractions;
    };
    // The board is 1900 x 3594 (1600 + 1994); the stored size is 1900 x 1600.
    const Row rows[] = {
        {"to x 950", QPoint(931, 84), QPoint(950, 100), "0.5 0.0625"},
        {"past the left and top edges", QPoint(-5000, -5000), QPoint(0, 0), "0.0 0.0"},
        {"past the right edge: 3 points inside", QPoint(5000, 0), QPoint(1900 - 577 - 3, 0), "0.694737 0.0"},
        {"past the bottom edge: 1 point inside", QPoint(0, 5000), QPoint(1320, 3594 - 1994 - 1), "0.694737 0.999375"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QPoint pointer = tack->mapToGlobal(hold);
        QTest::mousePress(tack, Qt::LeftButton, {}, hold);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(tack, tack->mapFromGlobal(pointer + row.by * step / 4));
        pointer += row.by;
        QTest::mouseRelease(tack, Qt::LeftButton, {}, tack->mapFromGlobal(pointer));
        EXPECT_EQ(panel->pos(), row.lands);
        EXPECT_EQ(file_->scalar(QStringLiteral("SELECT round(GreenlightChecklistPercentageHorizontal, 6) || ' ' || "
                                               "round(GreenlightChecklistPercentageVertical, 6) FROM Screenplay")),
                  QString::fromLatin1(row.fractions));
        EXPECT_EQ(tack->imageName(), QStringLiteral("BlueThumbDown"));
    }
}

TEST_F(GreenlightChecklistTest, ADoubleClickOnTheTackStartsNoMove)
{
    GreenlightChecklist& checklist = showChecklist(QPoint(40, 40));
    ImageViewResponder* tack = checklist.imgThumbTack();
    const QPoint hold(12, 12);
    QTest::mouseDClick(tack, Qt::LeftButton, {}, hold);
    QTest::mouseMove(tack, hold + QPoint(100, 100));
    QTest::mouseRelease(tack, Qt::LeftButton, {}, hold + QPoint(100, 100));
    EXPECT_EQ(checklist.view()->pos(), QPoint(40, 40));
}

TEST_F(GreenlightChecklistTest, PressingTheTackBringsThePanelToTheFront)
{
    GreenlightChecklist& checklist = showChecklist(QPoint(40, 40));
    auto* note = new QLabel(QStringLiteral("a note above"), board_.get());
    note->setGeometry(10, 10, 300, 300);
    note->show();
    ASSERT_EQ(board_->children().last(), note);
    QTest::mousePress(checklist.imgThumbTack(), Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(checklist.imgThumbTack()->imageName(), QStringLiteral("BlueThumbUp"));
    QTest::mouseRelease(checklist.imgThumbTack(), Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(board_->children().last(), checklist.view());
}
