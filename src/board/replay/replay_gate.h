// At most so many replays at once (one a core), and a bounded line of those waiting: a
// submission that finds the line full is turned away at once rather than held.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "http/metrics.h"

class ReplayGate {
  public:
    ReplayGate(int slots, int queue, Metrics& metrics)
        : slots(slots), queue(queue), metrics(metrics) {}
    // False when the line is full; true once a slot is taken (Leave gives it back).
    bool Enter();
    // `held` is how long the replay had the slot.
    void Leave(std::chrono::steady_clock::duration held);

  private:
    std::mutex mutex;
    std::condition_variable freed;
    int slots;
    int queue;
    Metrics& metrics;
    int running = 0;
    int waiting = 0;
};

// A slot held for one scope: a replay that throws gives it back too.
class ReplaySlot {
  public:
    explicit ReplaySlot(ReplayGate& gate) : gate(gate), held(gate.Enter()) {}
    ~ReplaySlot() {
        if (held) gate.Leave(std::chrono::steady_clock::now() - taken);
    }
    ReplaySlot(const ReplaySlot&) = delete;
    ReplaySlot& operator=(const ReplaySlot&) = delete;
    bool Held() const { return held; }

  private:
    ReplayGate& gate;
    bool held;
    std::chrono::steady_clock::time_point taken = std::chrono::steady_clock::now();
};
