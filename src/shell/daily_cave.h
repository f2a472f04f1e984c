// Today's cave: one cave a day, the same for everyone. Its seed is the UTC date written as the
// number YYYYMMDD (20261208 for 8 December 2026): a plain function of the date, the same on every
// build, machine and time zone, and one a person can check.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

struct CivilDate {
    int Year = 1970;
    int Month = 1;
    int Day = 1;
    bool operator==(const CivilDate&) const = default;
};

// "YYYY-MM-DD", a real day of the years 1970 to 9999; nothing else.
std::optional<CivilDate> ParseCivilDate(std::string_view text);
std::string CivilDateText(CivilDate date);

std::uint32_t DailySeed(CivilDate date);
// The day whose cave `seed` is, if it is one.
std::optional<CivilDate> DailyDateOfSeed(std::uint32_t seed);

// The UTC date at `time` (seconds since 1970); TodayUtc() is the one now.
CivilDate UtcDateOf(std::time_t time);
CivilDate TodayUtc();

// Which cave a game flew, as the best scores keep it: "random", "cave-N" or "daily-YYYY-MM-DD".
struct CaveChoice {
    enum class Kind { Random, Given, Daily } How = Kind::Random;
    std::uint32_t Seed = 0;  // of a given cave or today's
    CivilDate Date;          // of today's cave
};
std::string CaveLabel(const CaveChoice& cave);
std::optional<CaveChoice> ParseCaveLabel(std::string_view label);
