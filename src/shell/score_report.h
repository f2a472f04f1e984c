// The text of the final report, every player with its points.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `scores` in roster order; players are numbered by their place there, not by their image.
std::string ScoreReportText(const std::vector<std::int32_t>& scores);
