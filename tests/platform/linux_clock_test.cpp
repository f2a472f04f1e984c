// The desktop host's clocks on Linux, against the real clock.
#include <gtest/gtest.h>

#include "platform/host/host.h"

namespace {

constexpr std::int64_t kTicksPerMillisecond = 10'000;

std::int64_t Reading() {
    std::int64_t ticks = 0;
    EXPECT_TRUE(host::ReadCounter(ticks));
    return ticks;
}

TEST(LinuxClock, TickCountAndCounterTellTheSameTime) {
    ASSERT_EQ(host::CounterFrequency(), 1000 * kTicksPerMillisecond);
    const std::int64_t before = Reading() / kTicksPerMillisecond;
    const std::uint32_t tick = host::TickCount();
    const std::int64_t after = Reading() / kTicksPerMillisecond;
    // Unsigned: a tick behind the first reading would come out huge.
    EXPECT_LE(tick - static_cast<std::uint32_t>(before),
              static_cast<std::uint32_t>(after - before));
}

// Early by no more than the spin can cheaply make up; a wait for a past moment returns.
TEST(LinuxClock, WaitsEndShortlyBeforeTheirReading) {
    const std::int64_t due = Reading() + 20 * kTicksPerMillisecond;
    host::WaitForCounter(due);
    EXPECT_GE(Reading(), due - kTicksPerMillisecond);
    host::WaitForCounter(due);
    host::WaitForCounter(0);
    const std::int64_t start = Reading();
    host::SleepMilliseconds(5);
    EXPECT_GE(Reading() - start, 5 * kTicksPerMillisecond);
}

}  // namespace
