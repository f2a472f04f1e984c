#include "api/answer_cache.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <tuple>

#include "http/gzip.h"
#include "platform/watch_link.h"

namespace {

// Answers of so many days and limits, and so many bytes, at most are kept; asking for more
// starts afresh. A race can take 256 KB: the bytes bound the memory a client can make it keep.
constexpr std::size_t kMostKept = 1024;
constexpr std::size_t kMostKeptBytes = 64 * 1024 * 1024;
// A race opens with the day's best runs; the rest of it is the runs flown last.
constexpr int kBestRaced = 20;
// What a page is sent for a race at most, whatever the runs' lengths.
constexpr std::size_t kMostRaceBytes = 256 * 1024;

// Bytes that are not UTF-8 are replaced rather than thrown over.
std::string Dump(const nlohmann::json& json) {
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string BoardText(const std::vector<RankedRun>& board) {
    nlohmann::json entries = nlohmann::json::array();
    for (const RankedRun& ranked : board) {
        entries.push_back({{"rank", ranked.Rank},
                           {"name", ranked.Entry.Name},
                           {"points", ranked.Entry.Points},
                           {"date", ranked.Entry.Date},
                           {"id", ranked.Entry.Id}});
    }
    return Dump({{"entries", entries}});
}

// Written a run at a time, so that the runs stop before the one that would pass the bound.
std::string RaceText(const std::string& day, const std::vector<Run>& race) {
    const std::string end = "]}";
    std::string text = "{\"day\":" + Dump(day) + ",\"runs\":[";
    for (const Run& run : race) {
        const std::string entry = Dump({{"id", run.Id},
                                        {"name", run.Name},
                                        {"points", run.Points},
                                        {"payload", WatchOf(run)}});
        const bool first = text.back() == '[';
        if (text.size() + !first + entry.size() + end.size() > kMostRaceBytes) break;
        if (!first) text += ',';
        text += entry;
    }
    return text + end;
}

}  // namespace

std::string WatchOf(const Run& run) { return WatchPayload(ParseDemo(run.Demo).Value); }

std::shared_ptr<const std::string> AnswerCache::Answer(const std::string& day, int limit) {
    return Kept({Kind::Board, day, limit}, [&] { return BoardText(runs.Board(day, limit)); }).Text;
}

KeptAnswer AnswerCache::Race(const std::string& day, int limit) {
    return Kept({Kind::Race, day, limit}, [&] {
        const int best = std::min(limit, kBestRaced);
        return RaceText(day, runs.Race(day, best, limit - best));
    });
}

KeptAnswer AnswerCache::Kept(const Key& key, const std::function<std::string()>& make) {
    // The version is read first: an answer made after it is at least that new, never older.
    const std::string version = runs.Version();
    {
        std::lock_guard lock(mutex);
        const auto found = kept.find(key);
        if (found != kept.end() && found->second.Version == version) return found->second;
    }
    KeptAnswer answer{version, std::make_shared<const std::string>(make()), nullptr};
    // A race is large and read by every page that races: compressed once, not per read.
    if (std::get<Kind>(key) == Kind::Race) {
        answer.Gzipped = std::make_shared<const std::string>(Gzip(*answer.Text));
    }
    Keep(key, answer);
    return answer;
}

void AnswerCache::Keep(const Key& key, const KeptAnswer& answer) {
    const auto bytes = [](const KeptAnswer& kept) {
        return (kept.Text ? kept.Text->size() : 0) + (kept.Gzipped ? kept.Gzipped->size() : 0);
    };
    const std::size_t size = bytes(answer);
    std::lock_guard lock(mutex);
    if (kept.size() >= kMostKept || keptBytes + size > kMostKeptBytes) {
        kept.clear();
        keptBytes = 0;
    }
    KeptAnswer& slot = kept[key];
    keptBytes -= bytes(slot);
    slot = answer;
    keptBytes += size;
}
