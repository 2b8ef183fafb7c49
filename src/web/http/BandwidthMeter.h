#pragma once

#include <QtGlobal>

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

// Counts the bytes of all requests together in one-second windows and decides how much a
// throttled body stream may read and until when a throttled request has to wait. The clock is
// handed in, so that the windows can be stepped through without waiting.
class BandwidthMeter
{
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Now = std::function<TimePoint()>;

    explicit BandwidthMeter(Now now = [] { return Clock::now(); });

    // The meter every request of the process shares.
    static BandwidthMeter& shared();

    // Replacing the clock forgets the current window and any wake-up time.
    void setClock(Now now);

    quint64 maxBandwidthPerSecond() const;
    // 0 turns throttling off; a new maximum drops a pending wake-up time, and the first one
    // starts a new window.
    void setMaxBandwidthPerSecond(quint64 bytes);
    bool isBandwidthThrottled() const;

    void incrementBandwidthUsedInLastSecond(quint64 bytes);
    // Closes the window once its second has passed and, when more than the maximum was used in
    // it, sets the wake-up time past the window's end in proportion to the excess.
    void measureBandwidthUsage();
    quint64 averageBandwidthUsedPerSecond() const;
    // How much one throttled read may take: a quarter of the allowance while that fits in the
    // window, else what is left of it (0 when nothing is).
    quint64 maxUploadReadLength();

    quint64 bandwidthUsedInLastSecond() const;
    std::optional<TimePoint> measurementDate() const;
    std::optional<TimePoint> throttleWakeUpTime() const;
    TimePoint now() const;

private:
    // Called with mutex_ held.
    void recordBandwidthUsage();

    mutable std::mutex mutex_;
    Now now_;
    quint64 maxBandwidthPerSecond_ = 0;
    quint64 bandwidthUsedInLastSecond_ = 0;
    std::optional<TimePoint> measurementDate_;
    std::optional<TimePoint> throttleWakeUpTime_;
    std::deque<quint64> history_;
    quint64 averageBandwidthUsedPerSecond_ = 0;
};
