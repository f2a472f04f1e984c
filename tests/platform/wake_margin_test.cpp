#include "platform/host/wake_margin.h"

#include <gtest/gtest.h>

namespace {

constexpr host::WakeMarginLimits kLimits{2000, 20000};

TEST(WakeMargin, CoversLateWakeUpsThenSinksBackToItsFloor) {
    std::int64_t margin = host::NextWakeMargin(kLimits.Floor, 8000, kLimits);
    EXPECT_EQ(margin, 10000);  // 0.8 ms late: a quarter more
    EXPECT_EQ(host::NextWakeMargin(margin, 12000, kLimits), 15000);
    for (int wake = 0; wake < 200; ++wake) {
        const std::int64_t next = host::NextWakeMargin(margin, 0, kLimits);
        ASSERT_LE(next, margin);
        ASSERT_GE(next, kLimits.Floor);
        margin = next;
    }
    EXPECT_EQ(margin, kLimits.Floor);
    // A pre-empted wait can be any amount late; the spin never grows past the ceiling.
    EXPECT_EQ(host::NextWakeMargin(margin, 500000, kLimits), kLimits.Ceiling);
    EXPECT_EQ(host::NextWakeMargin(margin, -300, kLimits), kLimits.Floor);  // woke early
}

}  // namespace
