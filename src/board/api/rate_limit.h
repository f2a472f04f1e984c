// Submissions a minute from one address: a sliding window of arrival times per address.
#pragma once

#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

class RateLimit {
  public:
    using Clock = std::chrono::steady_clock;
    explicit RateLimit(int perMinute) : perMinute(perMinute) {}
    // Counts a submission from `address`; false when it is one too many (0: no limit).
    bool Allow(const std::string& address, Clock::time_point now = Clock::now());

  private:
    void Forget(Clock::time_point now);

    std::mutex mutex;
    int perMinute;
    std::unordered_map<std::string, std::deque<Clock::time_point>> arrivals;
    Clock::time_point lastSweep;
};
