// How long a soak runs: ctest runs it short, scripts/soak sets the environment for the long run.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

inline std::uint64_t SoakLength(const char* variable, std::uint64_t fallback) {
    const char* text = std::getenv(variable);
    return text != nullptr && *text != '\0' ? std::stoull(text) : fallback;
}
