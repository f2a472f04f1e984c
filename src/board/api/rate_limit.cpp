#include "api/rate_limit.h"

namespace {

constexpr std::chrono::minutes kWindow{1};

void DropOld(std::deque<RateLimit::Clock::time_point>& times, RateLimit::Clock::time_point now) {
    while (!times.empty() && now - times.front() >= kWindow) times.pop_front();
}

}  // namespace

bool RateLimit::Allow(const std::string& address, Clock::time_point now) {
    if (perMinute <= 0) return true;
    std::lock_guard lock(mutex);
    Forget(now);
    std::deque<Clock::time_point>& times = arrivals[address];
    DropOld(times, now);
    if (times.size() >= static_cast<std::size_t>(perMinute)) return false;
    times.push_back(now);
    return true;
}

// Addresses quiet for a whole window are dropped, so that memory stays flat however many
// addresses come by.
void RateLimit::Forget(Clock::time_point now) {
    if (now - lastSweep < kWindow) return;
    lastSweep = now;
    for (auto it = arrivals.begin(); it != arrivals.end();) {
        DropOld(it->second, now);
        it = it->second.empty() ? arrivals.erase(it) : std::next(it);
    }
}
