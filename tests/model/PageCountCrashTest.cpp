// A page-count change is all or nothing on disk: a process killed in the middle of one leaves
// the story with the old pages or the new, never a mix.
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "support/SampleCopy.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

namespace {

using Pages = std::map<QString, QString>;

// Every card's page as the file holds it, with the story's page count under the key "".
Pages storedPages(const SampleCopy& copy)
{
    Pages pages;
    pages[QString()] = copy.scalar("SELECT PageCount FROM Screenplay");
    const QStringList rows =
        copy.scalar("SELECT group_concat(SceneCardID || '=' || PageNumber, ';') FROM SceneCard").split(';');
    for (const QString& row : rows)
        pages[row.section('=', 0, 0)] = row.section('=', 1, 1);
    return pages;
}

// Gives the story `pageCount` through the model and answers the pages the file then holds.
Pages pagesAfterChangingTo(const SampleCopy& copy, std::int64_t pageCount)
{
    {
        LoadedStory loaded = loadStoryFile(copy.path());
        loaded.story->setPageCount(pageCount);
        loaded.story->save();
        loaded.story->finalizeAllSqliteStatements();
    }
    return storedPages(copy);
}

} // namespace

TEST(PageCountChange, AKilledProcessLeavesTheOldPagesOrTheNewNeverAMix)
{
    SampleCopy copy;
    const Pages longer = pagesAfterChangingTo(copy, 200);
    const Pages shorter = pagesAfterChangingTo(copy, 110);
    ASSERT_NE(longer, shorter);

    // Each round kills the writer at another moment of its work.
    for (const int delay : {15, 40, 75, 120, 190}) {
        SCOPED_TRACE(delay);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The writer: changes the page count back and forth until it is killed.
            try {
                LoadedStory loaded = loadStoryFile(copy.path());
                for (std::int64_t round = 0;; ++round) {
                    loaded.story->setPageCount(round % 2 == 0 ? 200 : 110);
                    loaded.story->save();
                }
            } catch (...) {
                _exit(3);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with " << WEXITSTATUS(status);

        // The next open rolls back what the killed writer left half done, and the story opens.
        {
            LoadedStory reopened = loadStoryFile(copy.path());
            reopened.story->finalizeAllSqliteStatements();
        }
        const Pages found = storedPages(copy);
        EXPECT_TRUE(found == longer || found == shorter) << "page count " << found.at(QString()).toStdString();
    }
}
