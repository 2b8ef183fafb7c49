#pragma once

#include <QString>

#include <exception>
#include <utility>

// Reports a failure that reached a user-interface entry point: logs it and shows an alert
// with its message. Never throws.
void reportFailure(const QString& message);
void reportCurrentException();

// While one lives, a database failure that reaches a user-interface entry point is logged and
// held instead of shown. A story window is built inside one: the first failure of an event
// handler that wrote while the window was laid out becomes the failure of the opening, told once
// in its plain words, rather than an alert of SQLite's words before it. Scopes nest.
class HeldFailures
{
public:
    HeldFailures();
    ~HeldFailures();
    HeldFailures(const HeldFailures&) = delete;
    HeldFailures& operator=(const HeldFailures&) = delete;

    void hold(std::exception_ptr failure);
    // Throws the first failure held, if any.
    void rethrowFirst() const;

private:
    HeldFailures* outer_;
    std::exception_ptr first_;
};

// Runs a piece of work started by the user interface (a slot, an event handler, a timer) so
// that no exception ever crosses the event loop: a failure is logged and shown in an alert.
// Answers false when the work failed.
template <typename Work>
bool guardedCall(Work&& work) noexcept
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (...) {
        reportCurrentException();
        return false;
    }
}
