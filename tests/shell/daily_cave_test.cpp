// Today's cave and the cave labels the best scores keep.
#include "shell/daily_cave.h"

#include <gtest/gtest.h>

namespace {

TEST(DailyCave, TheUtcDateOfAMomentAndItsSeed) {
    EXPECT_EQ(UtcDateOf(0), (CivilDate{1970, 1, 1}));
    // The last second of a day and the first of the next, around a leap day.
    EXPECT_EQ(UtcDateOf(1709164799), (CivilDate{2024, 2, 28}));
    EXPECT_EQ(UtcDateOf(1709164800), (CivilDate{2024, 2, 29}));
    EXPECT_EQ(UtcDateOf(1709251200), (CivilDate{2024, 3, 1}));
    EXPECT_EQ(UtcDateOf(1796687999), (CivilDate{2026, 12, 7}));
    EXPECT_EQ(UtcDateOf(1796688000), (CivilDate{2026, 12, 8}));
    EXPECT_EQ(UtcDateOf(4107542400), (CivilDate{2100, 3, 1}));  // 2100 has no 29 February

    EXPECT_EQ(DailySeed({2026, 12, 8}), 20261208u);
    EXPECT_EQ(DailyDateOfSeed(20261208), (CivilDate{2026, 12, 8}));
    for (const std::uint32_t notADay : {0u, 20261300u, 20260229u, 20261232u, 4294967295u}) {
        EXPECT_FALSE(DailyDateOfSeed(notADay)) << notADay;
    }
}

TEST(DailyCave, DatesAndLabelsReadOnlyInTheirOneForm) {
    EXPECT_EQ(ParseCivilDate("2024-02-29"), (CivilDate{2024, 2, 29}));
    EXPECT_EQ(CivilDateText({2026, 1, 5}), "2026-01-05");
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-00-10", "1969-12-31", "2026-1-05",
                            "2026/01/05", "+2026-01-05", "2026-01-05 ", ""}) {
        EXPECT_FALSE(ParseCivilDate(bad)) << bad;
    }
    for (const char* label : {"random", "cave-0", "cave-4294967295", "daily-2026-12-08"}) {
        const auto cave = ParseCaveLabel(label);
        ASSERT_TRUE(cave) << label;
        EXPECT_EQ(CaveLabel(*cave), label);
    }
    EXPECT_EQ(ParseCaveLabel("daily-2026-12-08")->Seed, 20261208u);
    for (const char* bad : {"cave-4294967296", "cave-", "daily-2026-02-30", "Random", "cave-1x"}) {
        EXPECT_FALSE(ParseCaveLabel(bad)) << bad;
    }
}

}  // namespace
