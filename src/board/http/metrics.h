// The server's counters, read in the Prometheus text format from the metrics listener.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <utility>

class Metrics {
  public:
    void Answered(const std::string& route, int status, std::chrono::microseconds duration);
    std::string Text() const;

    std::atomic<long> ConnectionsOpen{0};
    std::atomic<long> ConnectionsRefused{0};   // over the server's or an address's cap
    std::atomic<long> SubmissionsInFlight{0};  // waiting for a replay or being replayed
    std::atomic<long> ReplaysRefused{0};       // the replay line was full: 503
    std::atomic<long> WorkRefused{0};          // the worker line was full: 503

  private:
    static constexpr std::array<double, 9> kBuckets = {0.001, 0.0025, 0.005, 0.01, 0.025,
                                                       0.05,  0.1,    1.0,   10.0};
    mutable std::mutex mutex;
    std::map<std::pair<std::string, int>, long> requests;
    std::array<long, kBuckets.size()> buckets{};
    long count = 0;
    double sum = 0;
};
