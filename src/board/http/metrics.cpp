#include "metrics.h"

#include <iomanip>
#include <sstream>

void Metrics::Answered(const std::string& route, int status, std::chrono::microseconds duration) {
    const double seconds = static_cast<double>(duration.count()) / 1e6;
    const std::lock_guard lock(mutex);
    ++requests[{route, status}];
    for (std::size_t i = 0; i < kBuckets.size(); ++i)
        if (seconds <= kBuckets[i]) ++buckets[i];
    ++count;
    sum += seconds;
}

void Metrics::Replayed(std::chrono::microseconds duration) {
    ReplayMicroseconds += static_cast<long>(duration.count());
    ++ReplaysEnded;
}

void Metrics::WriteRequests(std::ostream& out) const {
    const std::lock_guard lock(mutex);
    out << "# TYPE cave_board_requests_total counter\n";
    for (const auto& [key, n] : requests)
        out << "cave_board_requests_total{route=\"" << key.first << "\",status=\"" << key.second
            << "\"} " << n << "\n";
    out << "# TYPE cave_board_request_seconds histogram\n";
    for (std::size_t i = 0; i < kBuckets.size(); ++i)
        out << "cave_board_request_seconds_bucket{le=\"" << kBuckets[i] << "\"} " << buckets[i]
            << "\n";
    out << "cave_board_request_seconds_bucket{le=\"+Inf\"} " << count << "\n"
        << "cave_board_request_seconds_sum " << sum << "\n"
        << "cave_board_request_seconds_count " << count << "\n";
}

// The mean replay is the seconds over the replays ended: both are counters, read together.
void Metrics::WriteReplays(std::ostream& out) const {
    const double seconds = static_cast<double>(ReplayMicroseconds.load()) / 1e6;
    // Fixed, not the stream's six digits: a total past a million seconds keeps its fraction.
    out << "# TYPE cave_board_replay_seconds_total counter\n"
        << "cave_board_replay_seconds_total " << std::fixed << std::setprecision(6) << seconds
        << "\n";
}

std::string Metrics::Text() const {
    std::ostringstream out;
    WriteRequests(out);
    const std::pair<const char*, const std::atomic<long>*> gauges[] = {
        {"cave_board_connections_open gauge", &ConnectionsOpen},
        {"cave_board_connections_refused_total counter", &ConnectionsRefused},
        {"cave_board_connections_waiting gauge", &ConnectionsWaiting},
        {"cave_board_addresses gauge", &AddressEntries},
        {"cave_board_replays_in_flight gauge", &SubmissionsInFlight},
        {"cave_board_replays_queued gauge", &ReplaysQueued},
        {"cave_board_replays_running gauge", &ReplaysRunning},
        {"cave_board_replays_total counter", &ReplaysEnded},
        {"cave_board_replays_refused_total counter", &ReplaysRefused},
        {"cave_board_work_refused_total counter", &WorkRefused}};
    for (const auto& [typed, value] : gauges) {
        const std::string name(typed, std::string(typed).find(' '));
        out << "# TYPE " << typed << "\n" << name << " " << value->load() << "\n";
    }
    WriteReplays(out);
    return out.str();
}
