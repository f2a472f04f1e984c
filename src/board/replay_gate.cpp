#include "replay_gate.h"

bool ReplayGate::Enter() {
    std::unique_lock lock(mutex);
    if (running < slots) {
        ++running;
        return true;
    }
    if (waiting >= queue) return false;
    ++waiting;
    freed.wait(lock, [this] { return running < slots; });
    --waiting;
    ++running;
    return true;
}

void ReplayGate::Leave() {
    {
        std::lock_guard lock(mutex);
        --running;
    }
    freed.notify_one();
}
