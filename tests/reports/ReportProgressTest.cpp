#include "ReportFixture.h"
#include "reports/ReportPainter.h"
#include "reports/ReportProgress.h"
#include "reports/SceneCardReports.h"

#include <QFile>

#include <functional>

#include <gtest/gtest.h>

namespace {

class ReportProgressSteps : public ReportFixture
{
protected:
    void addCards(int count)
    {
        for (int index = 0; index < count; ++index)
            addCard(QStringLiteral("INT. HUT %1 - NIGHT").arg(index)).setDescription(QStringLiteral("Snow."));
    }
};

struct Step {
    bool writing;
    std::int64_t done;
    std::int64_t total;
    bool operator==(const Step&) const = default;
};

} // namespace

TEST_F(ReportProgressSteps, EachCardAndEachPageIsAStep)
{
    addCards(4);
    using Build = std::function<std::unique_ptr<StoryReport>()>;
    const std::pair<const char*, Build> rows[] = {
        {"summary", [this] { return SceneCardReports::summary(story()); }},
        {"details", [this] { return SceneCardReports::details(story()); }},
        {"script", [this] { return SceneCardReports::script(story()); }},
    };
    for (const auto& [name, build] : rows) {
        SCOPED_TRACE(name);
        std::vector<Step> steps;
        const ReportProgress::Scope scope([&steps](bool writing, std::int64_t done, std::int64_t total) {
            steps.push_back({writing, done, total});
            return true;
        });
        const std::unique_ptr<StoryReport> report = build();
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(steps, (std::vector<Step>{{false, 0, 4}, {false, 1, 4}, {false, 2, 4}, {false, 3, 4}}));
        steps.clear();
        print(*report, QStringLiteral("%1.pdf").arg(QString::fromLatin1(name)));
        const std::int64_t pages = report->pages().pageCount();
        ASSERT_EQ(std::int64_t(steps.size()), pages);
        for (std::int64_t page = 0; page < pages; ++page)
            EXPECT_EQ(steps[std::size_t(page)], (Step{true, page, pages}));
        EXPECT_FALSE(scope.stopped());
    }
    // Without a scope every step goes on.
    EXPECT_TRUE(ReportProgress::step(false, 0, 1));
}

TEST_F(ReportProgressSteps, AStopWhileLaidOutGivesNoReportAndWhileWrittenNoFile)
{
    addCards(6);
    {
        int calls = 0;
        const ReportProgress::Scope scope([&calls](bool, std::int64_t done, std::int64_t) {
            ++calls;
            return done < 2;
        });
        EXPECT_EQ(SceneCardReports::details(story()), nullptr);
        EXPECT_TRUE(scope.stopped());
        // Stopped once, it stays stopped without asking again.
        EXPECT_FALSE(ReportProgress::step(false, 0, 1));
        EXPECT_EQ(calls, 3);
    }
    const std::unique_ptr<StoryReport> report = SceneCardReports::details(story());
    ASSERT_NE(report, nullptr);
    const QString path = folder_.filePath(QStringLiteral("stopped.pdf"));
    const ReportProgress::Scope scope([](bool writing, std::int64_t, std::int64_t) { return !writing; });
    const PrintResult result = ReportPainter::writePdf(report->pages(), report->title(), path);
    EXPECT_EQ(result.outcome, PrintResult::Failed);
    EXPECT_FALSE(QFile::exists(path));
}
