// One run replayed on the headless host, up to its end or a frame limit.
#pragma once

#include <cstdint>
#include <string>

// The verifier's answer line for a demo text or watch-link payload.
std::string ReplayLine(const std::string& demo, std::uint32_t maxFrames);
