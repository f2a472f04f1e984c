#include "board_answers.h"

#include <nlohmann/json.hpp>

namespace {

// Boards of so many days and limits at most are kept; asking for more starts afresh.
constexpr std::size_t kMostKept = 1024;

std::string Text(const std::vector<RankedRun>& board) {
    nlohmann::json entries = nlohmann::json::array();
    for (const RankedRun& ranked : board) {
        entries.push_back({{"rank", ranked.Rank},
                           {"name", ranked.Entry.Name},
                           {"points", ranked.Entry.Points},
                           {"date", ranked.Entry.Date},
                           {"id", ranked.Entry.Id}});
    }
    const nlohmann::json answer{{"entries", entries}};
    return answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::shared_ptr<const std::string> BoardAnswers::Answer(const std::string& day, int limit) {
    // The version is read first: a board read after it is at least that new, never older.
    const std::string version = runs.Version();
    const auto key = std::make_pair(day, limit);
    {
        std::lock_guard lock(mutex);
        const auto found = kept.find(key);
        if (found != kept.end() && found->second.Version == version) return found->second.Text;
    }
    auto text = std::make_shared<const std::string>(Text(runs.Board(day, limit)));
    std::lock_guard lock(mutex);
    if (kept.size() >= kMostKept) kept.clear();
    kept[key] = {version, text};
    return text;
}
