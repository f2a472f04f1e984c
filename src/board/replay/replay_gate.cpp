#include "replay/replay_gate.h"

bool ReplayGate::Enter() {
    std::unique_lock lock(mutex);
    if (running >= slots) {
        if (waiting >= queue) return false;
        const GaugeRaised queued(metrics.ReplaysQueued);
        ++waiting;
        freed.wait(lock, [this] { return running < slots; });
        --waiting;
    }
    ++running;
    ++metrics.ReplaysRunning;
    return true;
}

void ReplayGate::Leave(std::chrono::steady_clock::duration held) {
    metrics.Replayed(std::chrono::duration_cast<std::chrono::microseconds>(held));
    {
        std::lock_guard lock(mutex);
        --running;
        --metrics.ReplaysRunning;
    }
    freed.notify_one();
}
