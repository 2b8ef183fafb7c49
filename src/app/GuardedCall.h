#pragma once

#include <QString>

#include <exception>
#include <utility>

// Reports a failure that reached a user-interface entry point: logs it and shows an alert
// with its message. Never throws.
void reportFailure(const QString& message);
void reportCurrentException();

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
