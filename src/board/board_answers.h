// The answers to board reads, {"entries": [...]} as sent, each kept until the runs change: a
// read then costs one look at the store's version and no query, no JSON built.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "store.h"

class BoardAnswers {
  public:
    explicit BoardAnswers(Store& runs) : runs(runs) {}
    // The board of `day` (empty: all-time), best `limit` first. Throws StoreError.
    std::shared_ptr<const std::string> Answer(const std::string& day, int limit);

  private:
    struct Kept {
        std::string Version;
        std::shared_ptr<const std::string> Text;
    };
    Store& runs;
    std::mutex mutex;
    std::map<std::pair<std::string, int>, Kept> kept;
};
