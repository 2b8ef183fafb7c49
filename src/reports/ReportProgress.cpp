#include "ReportProgress.h"

#include <memory>

namespace ReportProgress {

namespace {

struct State {
    Callback callback;
    bool stopped = false;
};

std::unique_ptr<State>& current()
{
    static std::unique_ptr<State> state;
    return state;
}

} // namespace

Scope::Scope(Callback callback)
{
    current() = std::make_unique<State>(State{std::move(callback), false});
}

Scope::~Scope()
{
    current().reset();
}

bool Scope::stopped() const
{
    return current() && current()->stopped;
}

bool step(bool writing, std::int64_t done, std::int64_t total)
{
    State* state = current().get();
    if (!state)
        return true;
    if (!state->stopped && state->callback && !state->callback(writing, done, total))
        state->stopped = true;
    return !state->stopped;
}

} // namespace ReportProgress
