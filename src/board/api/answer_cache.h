// The answers to board reads as sent, each kept until the runs change: a read then costs one
// look at the store's version and no query, no JSON built.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "store/store.h"

// An answer and the version of the runs it was made at, which tags it for caches.
struct KeptAnswer {
    std::string Version;
    std::shared_ptr<const std::string> Text;
    std::shared_ptr<const std::string> Gzipped;  // a race's, made once with it; else null
};

class AnswerCache {
  public:
    explicit AnswerCache(Store& runs) : runs(runs) {}
    // {"entries": [...]}: the board of `day` (empty: all-time), best `limit` first. Throws
    // StoreError.
    std::shared_ptr<const std::string> Answer(const std::string& day, int limit);
    // {"day", "runs": [{"id", "name", "points", "payload"}, ...]}: the runs a page races on the
    // cave of `day`, its best min(limit, 20) first, then its most recent; runs that would take
    // the text past 256 KB are left out. Kept gzipped too. Throws StoreError.
    KeptAnswer Race(const std::string& day, int limit);

  private:
    enum class Kind { Board, Race };
    using Key = std::tuple<Kind, std::string, int>;
    KeptAnswer Kept(const Key& key, const std::function<std::string()>& make);
    void Keep(const Key& key, const KeptAnswer& answer);

    Store& runs;
    std::mutex mutex;
    std::map<Key, KeptAnswer> kept;
    std::size_t keptBytes = 0;
};

// The run's watch-link payload, which the page plays it from.
std::string WatchOf(const Run& run);
