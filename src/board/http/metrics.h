// The server's counters, read in the Prometheus text format from the metrics listener.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <iosfwd>
#include <map>
#include <mutex>
#include <string>
#include <utility>

class Metrics {
  public:
    void Answered(const std::string& route, int status, std::chrono::microseconds duration);
    // A replay ended, however it ended.
    void Replayed(std::chrono::microseconds duration);
    std::string Text() const;

    std::atomic<long> ConnectionsOpen{0};
    std::atomic<long> ConnectionsRefused{0};   // over the server's or an address's cap
    std::atomic<long> ConnectionsWaiting{0};   // over their address's cap, waiting their turn
    std::atomic<long> AddressEntries{0};       // addresses with a connection served or waiting
    std::atomic<long> SubmissionsInFlight{0};  // waiting for a replay or being replayed
    std::atomic<long> ReplaysRefused{0};       // the replay line was full: 503
    std::atomic<long> WorkRefused{0};          // the worker line was full: 503
    // Waiting and running apart: a full line is told from slow replays.
    std::atomic<long> ReplaysQueued{0};   // waiting for a replay slot
    std::atomic<long> ReplaysRunning{0};  // in a verifier now
    std::atomic<long> ReplaysEnded{0};
    std::atomic<long> ReplayMicroseconds{0};  // of all ended replays together

  private:
    void WriteRequests(std::ostream& out) const;
    void WriteReplays(std::ostream& out) const;

    static constexpr std::array<double, 9> kBuckets = {0.001, 0.0025, 0.005, 0.01, 0.025,
                                                       0.05,  0.1,    1.0,   10.0};
    mutable std::mutex mutex;
    std::map<std::pair<std::string, int>, long> requests;
    std::array<long, kBuckets.size()> buckets{};
    long count = 0;
    double sum = 0;
};

// Raises a gauge for one scope: no way out of it, a throw included, leaves the gauge raised.
class GaugeRaised {
  public:
    explicit GaugeRaised(std::atomic<long>& gauge) : gauge(gauge) { ++gauge; }
    ~GaugeRaised() { --gauge; }
    GaugeRaised(const GaugeRaised&) = delete;
    GaugeRaised& operator=(const GaugeRaised&) = delete;

  private:
    std::atomic<long>& gauge;
};
