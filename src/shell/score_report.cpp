#include "shell/score_report.h"

std::string ScoreReportText(const std::vector<std::int32_t>& scores) {
    std::string text = "Spielstand:\n\n";
    for (std::size_t n = 1; n <= scores.size(); ++n) {
        text += "Player " + std::to_string(n) + ": " + std::to_string(scores[n - 1] / 1000) +
                " Punkte\n";
    }
    return text;
}
