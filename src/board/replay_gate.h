// At most so many replays at once (one a core), and a bounded line of those waiting: a
// submission that finds the line full is turned away at once rather than held.
#pragma once

#include <condition_variable>
#include <mutex>

class ReplayGate {
  public:
    ReplayGate(int slots, int queue) : slots(slots), queue(queue) {}
    // False when the line is full; true once a slot is taken (Leave gives it back).
    bool Enter();
    void Leave();

  private:
    std::mutex mutex;
    std::condition_variable freed;
    int slots;
    int queue;
    int running = 0;
    int waiting = 0;
};

// A slot held for one scope.
class ReplaySlot {
  public:
    explicit ReplaySlot(ReplayGate& gate) : gate(gate), held(gate.Enter()) {}
    ~ReplaySlot() {
        if (held) gate.Leave();
    }
    ReplaySlot(const ReplaySlot&) = delete;
    ReplaySlot& operator=(const ReplaySlot&) = delete;
    bool Held() const { return held; }

  private:
    ReplayGate& gate;
    bool held;
};
