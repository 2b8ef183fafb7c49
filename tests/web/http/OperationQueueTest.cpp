#include "web/http/Operation.h"

#include <QMutex>
#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Records when it ran and how many of its kind ran at the same time.
class RecordingOperation : public Operation
{
public:
    RecordingOperation(QString name, QStringList& log, QMutex& mutex, std::atomic<int>& running, std::atomic<int>& peak,
                       std::chrono::milliseconds duration = 0ms)
        : name_(std::move(name)), log_(log), mutex_(mutex), running_(running), peak_(peak), duration_(duration)
    {
    }
    void main() override
    {
        const int now = ++running_;
        int seen = peak_.load();
        while (now > seen && !peak_.compare_exchange_weak(seen, now)) {
        }
        {
            QMutexLocker lock(&mutex_);
            log_.append(name_);
        }
        std::this_thread::sleep_for(duration_);
        --running_;
    }

private:
    QString name_;
    QStringList& log_;
    QMutex& mutex_;
    std::atomic<int>& running_;
    std::atomic<int>& peak_;
    std::chrono::milliseconds duration_;
};

class OperationQueueTest : public ::testing::Test
{
protected:
    std::shared_ptr<RecordingOperation> make(const QString& name, std::chrono::milliseconds duration = 0ms)
    {
        return std::make_shared<RecordingOperation>(name, log, mutex, running, peak, duration);
    }
    QStringList log;
    QMutex mutex;
    std::atomic<int> running = 0;
    std::atomic<int> peak = 0;
};

} // namespace

TEST_F(OperationQueueTest, ASuspendedQueueStartsNothingThenRunsByPriorityThenArrival)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    queue.setSuspended(true);
    const struct {
        const char* name;
        int priority;
    } added[] = {{"low", Operation::Low},   {"normal 1", Operation::Normal}, {"very high", Operation::VeryHigh},
                 {"normal 2", Operation::Normal}, {"high", Operation::High}};
    for (const auto& row : added) {
        auto operation = make(QString::fromLatin1(row.name));
        operation->setQueuePriority(row.priority);
        queue.addOperation(operation);
    }
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(queue.operationCount(), 5);

    queue.setSuspended(false);
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(log, (QStringList {QStringLiteral("very high"), QStringLiteral("high"), QStringLiteral("normal 1"),
                                 QStringLiteral("normal 2"), QStringLiteral("low")}));
    EXPECT_EQ(queue.operationCount(), 0);
}

TEST_F(OperationQueueTest, AtMostFourRunAtOnce)
{
    OperationQueue queue;
    EXPECT_EQ(queue.maxConcurrentOperationCount(), 4);
    for (int i = 0; i < 10; ++i)
        queue.addOperation(make(QString::number(i), 30ms));
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(log.size(), 10);
    EXPECT_EQ(peak.load(), 4);
}

TEST_F(OperationQueueTest, AnOperationWaitsForItsDependenciesAndACancelledOneDoesNotRun)
{
    OperationQueue queue;
    auto last = make(QStringLiteral("last"));
    auto first = make(QStringLiteral("first"), 40ms);
    auto middle = make(QStringLiteral("middle"));
    auto cancelled = make(QStringLiteral("cancelled"));
    last->addDependency(middle);
    middle->addDependency(first);
    cancelled->addDependency(first);
    cancelled->cancel();
    EXPECT_TRUE(cancelled->isReady());
    EXPECT_FALSE(middle->isReady());
    queue.addOperation(last);
    queue.addOperation(middle);
    queue.addOperation(cancelled);
    queue.addOperation(first);
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(log, (QStringList {QStringLiteral("first"), QStringLiteral("middle"), QStringLiteral("last")}));
    EXPECT_TRUE(cancelled->isFinished());
}

TEST_F(OperationQueueTest, CancellingAllStopsTheWaitingOnes)
{
    OperationQueue queue;
    queue.setSuspended(true);
    std::vector<std::shared_ptr<RecordingOperation>> operations;
    for (int i = 0; i < 3; ++i) {
        operations.push_back(make(QString::number(i)));
        queue.addOperation(operations.back());
    }
    queue.cancelAllOperations();
    queue.setSuspended(false);
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(log.isEmpty());
    for (const auto& operation : operations)
        EXPECT_TRUE(operation->isCancelled() && operation->isFinished());
}
