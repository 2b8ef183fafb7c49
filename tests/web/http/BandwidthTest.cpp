#include "web/http/BandwidthMeter.h"
#include "web/http/HTTPInputStream.h"
#include "web/http/HTTPRequest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A clock that only moves when the test moves it.
struct SteppedClock {
    BandwidthMeter::TimePoint now {};
    BandwidthMeter::Now function()
    {
        return [this] { return now; };
    }
};

} // namespace

TEST(BandwidthMeter, TheReadAllowanceIsAQuarterOrWhatIsLeftOfTheWindow)
{
    const struct {
        const char* name;
        quint64 maximum;
        quint64 used;
        quint64 allowance;
        bool wakesAtWindowEnd;
    } rows[] = {
        {"nothing used yet", 1000, 0, 250, false},
        {"a quarter still fits", 1000, 750, 250, false},
        {"less than a quarter left", 1000, 900, 100, false},
        {"exactly used up", 1000, 1000, 0, true},
        {"over the maximum", 1000, 1100, 0, true},
        {"no maximum", 0, 5000, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SteppedClock clock;
        BandwidthMeter meter(clock.function());
        meter.setMaxBandwidthPerSecond(row.maximum);
        meter.measureBandwidthUsage(); // opens the first window, ending one second from now
        meter.incrementBandwidthUsedInLastSecond(row.used);
        EXPECT_EQ(meter.maxUploadReadLength(), row.allowance);
        if (row.wakesAtWindowEnd)
            EXPECT_EQ(meter.throttleWakeUpTime(), meter.measurementDate());
        else
            EXPECT_FALSE(meter.throttleWakeUpTime());
    }
}

TEST(BandwidthMeter, AnExcessCostsSleepInProportionAndWindowsAverageOut)
{
    SteppedClock clock;
    BandwidthMeter meter(clock.function());
    meter.setMaxBandwidthPerSecond(1000);
    EXPECT_TRUE(meter.isBandwidthThrottled());
    meter.measureBandwidthUsage();
    const auto windowEnd = *meter.measurementDate();
    EXPECT_EQ(windowEnd, clock.now + 1s);

    meter.incrementBandwidthUsedInLastSecond(1100);
    EXPECT_EQ(meter.maxUploadReadLength(), 0u);
    EXPECT_EQ(meter.throttleWakeUpTime(), windowEnd);
    meter.measureBandwidthUsage();
    EXPECT_EQ(meter.throttleWakeUpTime(), windowEnd + 100ms);

    // The window closes once its second is over; the average is taken over the closed windows.
    clock.now += 1s;
    meter.measureBandwidthUsage();
    EXPECT_EQ(meter.bandwidthUsedInLastSecond(), 0u);
    meter.incrementBandwidthUsedInLastSecond(500);
    clock.now += 1s;
    meter.measureBandwidthUsage();
    // Windows of 0 (the first), 1100 and 500 bytes.
    EXPECT_EQ(meter.averageBandwidthUsedPerSecond(), (0u + 1100u + 500u) / 3);
    // An empty window clears what came before it.
    clock.now += 1s;
    meter.measureBandwidthUsage();
    EXPECT_EQ(meter.averageBandwidthUsedPerSecond(), 0u);

    meter.setMaxBandwidthPerSecond(0);
    EXPECT_FALSE(meter.isBandwidthThrottled());
}

TEST(BandwidthMeter, BytesCountedBeforeThereWasAMaximumCostNoWait)
{
    SteppedClock clock;
    BandwidthMeter meter(clock.function());
    meter.measureBandwidthUsage();
    meter.incrementBandwidthUsedInLastSecond(5000000);
    clock.now += 100ms;
    meter.setMaxBandwidthPerSecond(40000);
    meter.measureBandwidthUsage();
    EXPECT_FALSE(meter.throttleWakeUpTime());
    EXPECT_EQ(meter.bandwidthUsedInLastSecond(), 0u);
    EXPECT_EQ(meter.measurementDate(), clock.now + 1s);
    EXPECT_EQ(meter.maxUploadReadLength(), 10000u);
    // Under the maximum, an excess costs its wait again.
    meter.incrementBandwidthUsedInLastSecond(60000);
    meter.measureBandwidthUsage();
    EXPECT_EQ(meter.throttleWakeUpTime(), clock.now + 1s + 500ms);
}

TEST(HTTPInputStream, ReadsPassThroughAndAreCountedAndThrottledReadsShrink)
{
    BandwidthMeter& shared = BandwidthMeter::shared();
    const QByteArray body(1000, 'x');

    // Unthrottled: a read takes what it asks for, and the asked length is counted.
    const quint64 before = shared.bandwidthUsedInLastSecond();
    auto stream = HTTPInputStream::inputStreamWithData(body, {});
    ASSERT_TRUE(stream->open(QIODevice::ReadOnly));
    EXPECT_EQ(stream->read(600).size(), 600);
    EXPECT_EQ(stream->read(600).size(), 400);
    EXPECT_EQ(shared.bandwidthUsedInLastSecond() - before, 1200u);

    // Throttled with the window's allowance used up: every read asks for one byte.
    // Past any window the shared meter opened on the real clock.
    SteppedClock clock {BandwidthMeter::Clock::now() + 1h};
    shared.setClock(clock.function());
    shared.setMaxBandwidthPerSecond(1000);
    shared.measureBandwidthUsage();
    shared.incrementBandwidthUsedInLastSecond(1100);
    auto throttled = HTTPInputStream::inputStreamWithData(body, {});
    ASSERT_TRUE(throttled->open(QIODevice::ReadOnly));
    for (int read = 0; read < 3; ++read)
        EXPECT_EQ(throttled->read(500).size(), 1);
    EXPECT_EQ(throttled->bytesRequested(), 3);

    // With room in the window a read gets a quarter of the maximum.
    clock.now += 2s;
    shared.measureBandwidthUsage();
    EXPECT_EQ(throttled->read(500).size(), 250);

    shared.setMaxBandwidthPerSecond(0);
    shared.setClock([] { return BandwidthMeter::Clock::now(); });
}

TEST(HTTPInputStream, AFileBodyIsReadFromTheFileAndAMissingOneDoesNotOpen)
{
    QByteArray text("FADE IN:");
    const QString path
        = QDir::temp().filePath(QStringLiteral("vantora-body-%1").arg(QCoreApplication::applicationPid()));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    auto stream = HTTPInputStream::inputStreamWithFileAtPath(path, {});
    ASSERT_TRUE(stream->open(QIODevice::ReadOnly));
    EXPECT_EQ(stream->size(), text.size());
    EXPECT_EQ(stream->readAll(), text);
    EXPECT_TRUE(stream->atEnd());
    QFile::remove(path);

    auto missing = HTTPInputStream::inputStreamWithFileAtPath(path, {});
    EXPECT_FALSE(missing->open(QIODevice::ReadOnly));
}
