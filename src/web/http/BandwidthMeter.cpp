#include "web/http/BandwidthMeter.h"

#include <numeric>

namespace {

constexpr std::size_t kHistoryLimit = 5;

} // namespace

BandwidthMeter::BandwidthMeter(Now now)
    : now_(std::move(now))
{
}

BandwidthMeter& BandwidthMeter::shared()
{
    static BandwidthMeter meter;
    return meter;
}

void BandwidthMeter::setClock(Now now)
{
    std::lock_guard lock(mutex_);
    now_ = std::move(now);
    // Times read from another clock mean nothing on this one.
    measurementDate_.reset();
    throttleWakeUpTime_.reset();
}

BandwidthMeter::TimePoint BandwidthMeter::now() const
{
    std::lock_guard lock(mutex_);
    return now_();
}

quint64 BandwidthMeter::maxBandwidthPerSecond() const
{
    std::lock_guard lock(mutex_);
    return maxBandwidthPerSecond_;
}

void BandwidthMeter::setMaxBandwidthPerSecond(quint64 bytes)
{
    std::lock_guard lock(mutex_);
    // A wait earned under another maximum does not hold under this one.
    if (bytes != maxBandwidthPerSecond_)
        throttleWakeUpTime_.reset();
    // Bytes that went out before there was any maximum cost no wait under the new one: the
    // window they were counted in closes, and throttling starts from a fresh one.
    if (maxBandwidthPerSecond_ == 0 && bytes != 0 && bandwidthUsedInLastSecond_ != 0)
        recordBandwidthUsage();
    maxBandwidthPerSecond_ = bytes;
}

bool BandwidthMeter::isBandwidthThrottled() const
{
    std::lock_guard lock(mutex_);
    return maxBandwidthPerSecond_ != 0;
}

void BandwidthMeter::incrementBandwidthUsedInLastSecond(quint64 bytes)
{
    std::lock_guard lock(mutex_);
    bandwidthUsedInLastSecond_ += bytes;
}

void BandwidthMeter::measureBandwidthUsage()
{
    std::lock_guard lock(mutex_);
    if (!measurementDate_ || *measurementDate_ <= now_())
        recordBandwidthUsage();
    if (maxBandwidthPerSecond_ != 0 && bandwidthUsedInLastSecond_ > maxBandwidthPerSecond_) {
        const double excess
            = double(bandwidthUsedInLastSecond_ - maxBandwidthPerSecond_) / double(maxBandwidthPerSecond_);
        throttleWakeUpTime_ =
            *measurementDate_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(excess));
    }
}

void BandwidthMeter::recordBandwidthUsage()
{
    const TimePoint now = now_();
    if (bandwidthUsedInLastSecond_ == 0) {
        history_.clear();
    } else {
        // A window that closed long ago ages out one entry per second it was not measured.
        double untilWindowEnd = measurementDate_ ? std::chrono::duration<double>(*measurementDate_ - now).count() : 0.0;
        while (!history_.empty() && (untilWindowEnd < 0 || history_.size() > kHistoryLimit)) {
            history_.pop_front();
            untilWindowEnd += 1;
        }
    }
    history_.push_back(bandwidthUsedInLastSecond_);
    measurementDate_ = now + std::chrono::seconds(1);
    bandwidthUsedInLastSecond_ = 0;
    averageBandwidthUsedPerSecond_ = std::accumulate(history_.begin(), history_.end(), quint64(0)) / history_.size();
}

quint64 BandwidthMeter::averageBandwidthUsedPerSecond() const
{
    std::lock_guard lock(mutex_);
    return averageBandwidthUsedPerSecond_;
}

quint64 BandwidthMeter::maxUploadReadLength()
{
    std::lock_guard lock(mutex_);
    if (maxBandwidthPerSecond_ == 0)
        return 0;
    const quint64 quarter = maxBandwidthPerSecond_ / 4;
    quint64 length = 0;
    if (bandwidthUsedInLastSecond_ + quarter <= maxBandwidthPerSecond_)
        length = quarter;
    else if (bandwidthUsedInLastSecond_ < maxBandwidthPerSecond_)
        length = maxBandwidthPerSecond_ - bandwidthUsedInLastSecond_;
    if (length == 0 || !measurementDate_ || *measurementDate_ <= now_())
        throttleWakeUpTime_ = measurementDate_;
    return length;
}

quint64 BandwidthMeter::bandwidthUsedInLastSecond() const
{
    std::lock_guard lock(mutex_);
    return bandwidthUsedInLastSecond_;
}

std::optional<BandwidthMeter::TimePoint> BandwidthMeter::measurementDate() const
{
    std::lock_guard lock(mutex_);
    return measurementDate_;
}

std::optional<BandwidthMeter::TimePoint> BandwidthMeter::throttleWakeUpTime() const
{
    std::lock_guard lock(mutex_);
    return throttleWakeUpTime_;
}
