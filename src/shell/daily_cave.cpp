#include "shell/daily_cave.h"

#include <chrono>
#include <cstdio>

#include "platform/key_script.h"

namespace {

namespace chrono = std::chrono;

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 9999;

chrono::year_month_day CalendarDay(const CivilDate& date) {
    return {chrono::year(date.Year), chrono::month(static_cast<unsigned>(date.Month)),
            chrono::day(static_cast<unsigned>(date.Day))};
}

// The calendar types hold a month and a day in one byte: out-of-range numbers are refused
// before they could wrap round to a real day.
bool IsRealDay(const CivilDate& date) {
    return date.Year >= kFirstYear && date.Year <= kLastYear && date.Month >= 1 &&
           date.Month <= 12 && date.Day >= 1 && date.Day <= 31 && CalendarDay(date).ok();
}

std::optional<int> Digits(std::string_view text) {
    const auto value = ParseDecimal(std::string(text), 9999);
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

std::optional<CivilDate> ParseCivilDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto year = Digits(text.substr(0, 4));
    const auto month = Digits(text.substr(5, 2));
    const auto day = Digits(text.substr(8, 2));
    if (!year || !month || !day) return std::nullopt;
    const CivilDate date{*year, *month, *day};
    if (!IsRealDay(date)) return std::nullopt;
    return date;
}

std::string CivilDateText(CivilDate date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.Year, date.Month, date.Day);
    return text;
}

std::uint32_t DailySeed(CivilDate date) {
    return static_cast<std::uint32_t>(date.Year * 10000 + date.Month * 100 + date.Day);
}

std::optional<CivilDate> DailyDateOfSeed(std::uint32_t seed) {
    const CivilDate date{static_cast<int>(seed / 10000), static_cast<int>(seed / 100 % 100),
                         static_cast<int>(seed % 100)};
    if (!IsRealDay(date)) return std::nullopt;
    return date;
}

// Whole days, rounded down: a moment before 1970 belongs to the day it falls in.
CivilDate UtcDateOf(std::time_t time) {
    const chrono::sys_seconds moment{chrono::seconds(static_cast<std::int64_t>(time))};
    const chrono::year_month_day date{chrono::floor<chrono::days>(moment)};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

CivilDate TodayUtc() { return UtcDateOf(std::time(nullptr)); }

std::string CaveLabel(const CaveChoice& cave) {
    switch (cave.How) {
        case CaveChoice::Kind::Given:
            return "cave-" + std::to_string(cave.Seed);
        case CaveChoice::Kind::Daily:
            return "daily-" + CivilDateText(cave.Date);
        case CaveChoice::Kind::Random:
            break;
    }
    return "random";
}

std::optional<CaveChoice> ParseCaveLabel(std::string_view label) {
    if (label == "random") return CaveChoice{};
    if (label.starts_with("cave-")) {
        const auto seed = ParseDecimal(std::string(label.substr(5)), 0xFFFFFFFFu);
        if (!seed) return std::nullopt;
        return CaveChoice{CaveChoice::Kind::Given, static_cast<std::uint32_t>(*seed), {}};
    }
    if (label.starts_with("daily-")) {
        const auto date = ParseCivilDate(label.substr(6));
        if (!date) return std::nullopt;
        return CaveChoice{CaveChoice::Kind::Daily, DailySeed(*date), *date};
    }
    return std::nullopt;
}
