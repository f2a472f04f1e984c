// The floor: the memory traffic a frame cannot avoid, done with the C library alone. A frame
// clears the back buffer, copies the cave onto it and moves the cave two columns to the left.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kPixels = 320 * 240;
constexpr std::size_t kBytes = kPixels * sizeof(std::uint32_t);
constexpr std::size_t kShift = 2;

void BM_Floor(benchmark::State& state) {
    std::vector<std::uint32_t> back(kPixels);
    std::vector<std::uint32_t> cave(kPixels, 0x00808080u);
    for (auto _ : state) {
        std::memset(back.data(), 0, kBytes);
        // Keeps the clear from being folded into the copy that overwrites it.
        benchmark::ClobberMemory();
        std::memcpy(back.data(), cave.data(), kBytes);
        std::memmove(cave.data(), cave.data() + kShift, kBytes - kShift * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(back.data());
        benchmark::DoNotOptimize(cave.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Floor);

}  // namespace
