// A submission as the client sends it: the JSON body of POST /api/runs, checked before anything
// is replayed. Kept apart from the server so that a fuzzer can drive it alone.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::size_t kMaxBodyBytes = 256 * 1024;

struct Submission {
    std::string Name;  // trimmed and checked
    std::string Demo;  // as sent: demo text or a watch-link payload, not yet parsed
};

struct ParsedSubmission {
    Submission Value;
    std::string Error;  // what is wrong, for a 400; empty when good
};

// {"name": "...", "demo": "..."}; other members (a claimed "points") are ignored.
ParsedSubmission ParseSubmission(std::string_view body);

// 1 to 16 characters of ASCII letters, digits, spaces and "-_.", after trimming spaces.
std::optional<std::string> CleanName(std::string_view name);
