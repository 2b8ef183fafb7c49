#include "web/http/Operation.h"

#include <algorithm>

void Operation::start()
{
    {
        std::lock_guard lock(mutex_);
        if (finished_ || executing_)
            return;
        executing_ = !cancelled_;
    }
    if (!isCancelled())
        main();
    {
        std::lock_guard lock(mutex_);
        executing_ = false;
        finished_ = true;
    }
    stateDidChange();
}

void Operation::cancel()
{
    {
        std::lock_guard lock(mutex_);
        if (cancelled_)
            return;
        cancelled_ = true;
    }
    stateDidChange();
}

bool Operation::isCancelled() const
{
    std::lock_guard lock(mutex_);
    return cancelled_;
}

bool Operation::isExecuting() const
{
    std::lock_guard lock(mutex_);
    return executing_;
}

bool Operation::isFinished() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

bool Operation::isReady() const
{
    if (isCancelled())
        return true;
    const auto held = dependencies();
    return std::all_of(held.begin(), held.end(), [](const auto& d) { return d->isFinished(); });
}

void Operation::addDependency(const std::shared_ptr<Operation>& operation)
{
    if (!operation || operation.get() == this)
        return;
    {
        std::lock_guard lock(mutex_);
        if (std::find(dependencies_.begin(), dependencies_.end(), operation) != dependencies_.end())
            return;
        dependencies_.push_back(operation);
    }
    std::weak_ptr<Operation> dependent = weak_from_this();
    operation->addStateObserver([dependent] {
        if (auto self = dependent.lock())
            self->stateDidChange();
    });
}

void Operation::removeDependency(const std::shared_ptr<Operation>& operation)
{
    {
        std::lock_guard lock(mutex_);
        dependencies_.erase(std::remove(dependencies_.begin(), dependencies_.end(), operation), dependencies_.end());
    }
    stateDidChange();
}

std::vector<std::shared_ptr<Operation>> Operation::dependencies() const
{
    std::lock_guard lock(mutex_);
    return dependencies_;
}

int Operation::queuePriority() const
{
    std::lock_guard lock(mutex_);
    return priority_;
}

void Operation::setQueuePriority(int priority)
{
    std::lock_guard lock(mutex_);
    priority_ = priority;
}

void Operation::addStateObserver(std::function<void()> observer)
{
    std::lock_guard lock(mutex_);
    observers_.push_back(std::move(observer));
}

void Operation::stateDidChange()
{
    std::vector<std::function<void()>> observers;
    {
        std::lock_guard lock(mutex_);
        observers = observers_;
    }
    for (const auto& observer : observers)
        observer();
}

struct OperationQueue::State : std::enable_shared_from_this<OperationQueue::State> {
    mutable std::mutex mutex;
    std::condition_variable changed;
    // Held operations in arrival order; `started` marks those handed to start().
    struct Entry {
        std::shared_ptr<Operation> operation;
        bool started = false;
    };
    std::vector<Entry> entries;
    int maxConcurrent = kDefaultMaxConcurrentOperations;
    bool suspended = false;
    QThreadPool pool;

    // Lets finished operations go and starts ready ones while there is room.
    void dispatch()
    {
        std::vector<std::shared_ptr<Operation>> toStart;
        {
            std::lock_guard lock(mutex);
            entries.erase(std::remove_if(entries.begin(), entries.end(),
                                         [](const Entry& e) { return e.started && e.operation->isFinished(); }),
                          entries.end());
            int running = int(std::count_if(entries.begin(), entries.end(), [](const Entry& e) { return e.started; }));
            while (!suspended && running < maxConcurrent) {
                Entry* best = nullptr;
                for (Entry& entry : entries) {
                    if (entry.started || !entry.operation->isReady())
                        continue;
                    if (!best || entry.operation->queuePriority() > best->operation->queuePriority())
                        best = &entry;
                }
                if (!best)
                    break;
                best->started = true;
                toStart.push_back(best->operation);
                ++running;
            }
        }
        changed.notify_all();
        for (auto& operation : toStart)
            pool.start([operation] { operation->start(); });
    }
};

OperationQueue::OperationQueue()
    : state_(std::make_shared<State>())
{
    state_->pool.setMaxThreadCount(kDefaultMaxConcurrentOperations);
}

OperationQueue::~OperationQueue()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->suspended = true;
    }
    state_->pool.waitForDone();
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation)
{
    if (!operation)
        return;
    {
        std::lock_guard lock(state_->mutex);
        for (const auto& entry : state_->entries)
            if (entry.operation == operation)
                return;
        state_->entries.push_back({operation, false});
    }
    std::weak_ptr<State> state = state_;
    operation->addStateObserver([state] {
        if (auto alive = state.lock())
            alive->dispatch();
    });
    state_->dispatch();
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const
{
    std::lock_guard lock(state_->mutex);
    std::vector<std::shared_ptr<Operation>> result;
    for (const auto& entry : state_->entries)
        if (!entry.operation->isFinished())
            result.push_back(entry.operation);
    return result;
}

int OperationQueue::operationCount() const
{
    return int(operations().size());
}

void OperationQueue::cancelAllOperations()
{
    for (const auto& operation : operations())
        operation->cancel();
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(state_->mutex);
    return state_->maxConcurrent;
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->maxConcurrent = std::max(1, count);
        state_->pool.setMaxThreadCount(std::max(state_->maxConcurrent, kDefaultMaxConcurrentOperations));
    }
    state_->dispatch();
}

bool OperationQueue::isSuspended() const
{
    std::lock_guard lock(state_->mutex);
    return state_->suspended;
}

void OperationQueue::setSuspended(bool suspended)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->suspended = suspended;
    }
    state_->dispatch();
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [this] {
        return std::all_of(state_->entries.begin(), state_->entries.end(),
                           [](const State::Entry& e) { return e.operation->isFinished(); });
    });
}
