#include "shell/daily_cave.h"

#include <cstdio>

#include "platform/key_script.h"

namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 9999;

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool IsRealDay(const CivilDate& date) {
    return date.Year >= kFirstYear && date.Year <= kLastYear && date.Month >= 1 &&
           date.Month <= 12 && date.Day >= 1 && date.Day <= DaysIn(date.Year, date.Month);
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

// Days since 1970-01-01 to the civil date: the proleptic Gregorian calendar in eras of 400
// years, so no table and no time zone is involved.
CivilDate UtcDateOf(std::time_t time) {
    std::int64_t days = static_cast<std::int64_t>(time) / 86400;
    if (static_cast<std::int64_t>(time) % 86400 < 0) --days;
    days += 719468;  // from 0000-03-01
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
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
