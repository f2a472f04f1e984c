// What recording a game costs a frame: one keyboard snapshot taken into the recording, when no
// key changed (almost every frame) and when a key changed at every snapshot (the worst case).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/key_recorder.h"
#include "platform/keyboard.h"

namespace {

// The recording starts afresh now and then, as a new game would, so that it stays in the
// memory it reserved at its start.
constexpr int kPollsPerGame = 4000;

void RecordSnapshots(benchmark::State& state, bool toggleUp) {
    std::uint8_t keys[256] = {};
    StartKeyRecording(1, nullptr);
    int polls = 0;
    for (auto _ : state) {
        if (++polls == kPollsPerGame) {
            polls = 0;
            StartKeyRecording(1, nullptr);
        }
        if (toggleUp) keys[kKeyUp] ^= 0x80;
        RecordKeySnapshot(keys);
        benchmark::ClobberMemory();
    }
}

void BM_RecordSnapshotNoChange(benchmark::State& state) { RecordSnapshots(state, false); }
BENCHMARK(BM_RecordSnapshotNoChange);

void BM_RecordSnapshotUpToggled(benchmark::State& state) { RecordSnapshots(state, true); }
BENCHMARK(BM_RecordSnapshotUpToggled);

}  // namespace
