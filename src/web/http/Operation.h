#pragma once

#include <QThreadPool>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// One unit of work run by an OperationQueue. A plain operation runs main() inside start() and
// is finished when main() returns; a concurrent one (isConcurrent) only begins its work in
// start() and reports its end itself through stateDidChange(). An operation that is cancelled
// before it starts still goes through start(), which then finishes it at once.
class Operation : public std::enable_shared_from_this<Operation>
{
public:
    enum QueuePriority : int { VeryLow = -8, Low = -4, Normal = 0, High = 4, VeryHigh = 8 };

    Operation() = default;
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    virtual ~Operation() = default;

    virtual void start();
    virtual void main() {}
    virtual void cancel();

    virtual bool isCancelled() const;
    virtual bool isExecuting() const;
    virtual bool isFinished() const;
    virtual bool isConcurrent() const { return false; }
    // Ready when every dependency has finished; a cancelled operation is ready at once, so that
    // its queue can let it go.
    bool isReady() const;

    void addDependency(const std::shared_ptr<Operation>& operation);
    void removeDependency(const std::shared_ptr<Operation>& operation);
    std::vector<std::shared_ptr<Operation>> dependencies() const;

    int queuePriority() const;
    void setQueuePriority(int priority);

    // Called (on any thread) whenever the operation finishes, is cancelled or becomes ready.
    // Observers are held for the operation's life; the queue keeps only weak references in them.
    void addStateObserver(std::function<void()> observer);

protected:
    // Tells the observers that the state changed; callers hold no lock of their own here.
    void stateDidChange();

private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
    bool executing_ = false;
    bool finished_ = false;
    int priority_ = Normal;
    std::vector<std::shared_ptr<Operation>> dependencies_;
    std::vector<std::function<void()>> observers_;
};

// Runs operations in order of priority, then of arrival, at most maxConcurrentOperationCount
// at once, each only once its dependencies have finished. A suspended queue starts nothing
// new. Operations are started on the queue's own worker threads; the queue holds each
// operation until it has finished.
class OperationQueue
{
public:
    static constexpr int kDefaultMaxConcurrentOperations = 4;

    OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;
    // Waits for the operations already started to return from start().
    ~OperationQueue();

    void addOperation(std::shared_ptr<Operation> operation);
    std::vector<std::shared_ptr<Operation>> operations() const;
    int operationCount() const;
    void cancelAllOperations();

    int maxConcurrentOperationCount() const;
    void setMaxConcurrentOperationCount(int count);
    bool isSuspended() const;
    void setSuspended(bool suspended);

    // Blocks until every operation held has finished (not on a thread that must run them).
    void waitUntilAllOperationsAreFinished();

private:
    struct State;
    std::shared_ptr<State> state_;
};
