#pragma once

#include <cstdint>
#include <functional>

// How far a long report has come while it is laid out and painted, for a window that shows it
// and offers to stop. The document opens a Scope around building and printing a report; the
// builders and the painter tell it each step. Without a Scope every step goes on.
namespace ReportProgress {

// Told the steps done of `total` in the phase named by `writing` (false: laying out, true:
// painting pages); answers false when the writer asked to stop.
using Callback = std::function<bool(bool writing, std::int64_t done, std::int64_t total)>;

// While a Scope lives (one at a time, on the main thread), steps go to its callback.
class Scope
{
public:
    explicit Scope(Callback callback);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    // True once a step was answered with a stop.
    bool stopped() const;
};

// Tells the open Scope of a step; false when the report is to stop (and from then on).
bool step(bool writing, std::int64_t done, std::int64_t total);

} // namespace ReportProgress
