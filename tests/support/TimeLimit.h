#pragma once

// Time limits in tests bound work that must stay linear (a reader refusing a crafted file, a
// script stopped by its watchdog). They are written as milliseconds on an unloaded machine;
// a sanitized build, or a machine running many suites side by side, takes several times
// longer for the same work, so every limit goes through limitMs().

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace TestTime {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr qint64 kSanitizerFactor = 5;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr qint64 kSanitizerFactor = 5;
#else
inline constexpr qint64 kSanitizerFactor = 1;
#endif
#else
inline constexpr qint64 kSanitizerFactor = 1;
#endif

// `ms` scaled for this build and by VANTORA_TEST_TIME_SCALE (a whole number, 1 when unset).
inline qint64 limitMs(qint64 ms)
{
    bool ok = false;
    const qint64 scale = qEnvironmentVariableIntValue("VANTORA_TEST_TIME_SCALE", &ok);
    return ms * kSanitizerFactor * (ok && scale > 0 ? scale : 1);
}

// CPU time of the calling thread. Work done on this thread alone is measured with it, so that
// other processes on a busy machine do not count against a limit.
class ThreadCpuClock
{
public:
    ThreadCpuClock() { start(); }
    void start() { started_ = now(); }
    qint64 elapsedMs() const { return (now() - started_) / 1'000'000; }

private:
    static qint64 now()
    {
        timespec spec{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &spec);
        return qint64(spec.tv_sec) * 1'000'000'000 + spec.tv_nsec;
    }
    qint64 started_ = 0;
};

} // namespace TestTime
