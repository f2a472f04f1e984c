// Pacing probe: opens the game's window on the real host and measures, with the platform layer
// alone, what a frame costs there:
//   1. the present itself (unpaced): median and p99 in milliseconds;
//   2. the paced frame at 30 fps (periods of 1/31 s): deviation of each period from 1/31 s,
//      p50 / p99 / max, and the process's CPU use in per cent of one core.
// Usage: cave_pacing [paced-frames]   (default 310, about ten seconds)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/display.h"
#include "platform/system.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
}

// Every frame gets a new picture, as in the game.
void Compose(std::int32_t frame) { ClearBackBuffer(frame % 256, 64, 255 - frame % 256); }

void MeasurePresent(std::int32_t frames) {
    SetFramePacing(0);
    std::vector<double> costs;
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        Compose(frame);
        const Clock::time_point start = Clock::now();
        PresentFrame();
        costs.push_back(Milliseconds(Clock::now() - start));
    }
    std::printf("present: median %.3f ms, p99 %.3f ms over %d frames\n", Quantile(costs, 0.5),
                Quantile(costs, 0.99), frames);
}

void PrintCpuUse(std::clock_t cpuStart, double wallMilliseconds) {
#ifdef _WIN32
    // The Windows C runtime's clock() counts wall time, not processor time: measure the process
    // from outside there (under wine: /usr/bin/time).
    (void)cpuStart;
    (void)wallMilliseconds;
    std::printf("cpu: not measured here; time the process from outside\n");
#else
    const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("cpu: %.1f %% of one core over %.1f s\n", 100.0 * cpu / wallMilliseconds,
                wallMilliseconds / 1000.0);
#endif
}

void MeasurePacing(std::int32_t frames) {
    SetFramePacing(30);
    const double target = 1000.0 / 31.0;
    std::vector<double> deviations;
    PresentFrame();
    const std::clock_t cpuStart = std::clock();
    const Clock::time_point wallStart = Clock::now();
    Clock::time_point last = wallStart;
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        Compose(frame);
        PresentFrame();
        const Clock::time_point now = Clock::now();
        deviations.push_back(std::fabs(Milliseconds(now - last) - target));
        last = now;
    }
    std::printf(
        "paced: %d frames, period target %.3f ms, deviation p50 %.3f ms, p99 %.3f ms, "
        "max %.3f ms\n",
        frames, target, Quantile(deviations, 0.5), Quantile(deviations, 0.99),
        Quantile(deviations, 1.0));
    PrintCpuUse(cpuStart, Milliseconds(last - wallStart));
}

}  // namespace

int main(int argc, char** argv) {
    const std::int32_t frames = std::max(argc > 1 ? std::atoi(argv[1]) : 310, 1);
    if (!InitDisplaySystem()) {
        std::fprintf(stderr, "cave_pacing: no display\n");
        return 1;
    }
    const WindowHandle window =
        OpenMainWindow(0, 0, 0, 320, 240, kCentreOnDesktop | kWindowStylePopup, "");
    if (!window || !OpenWindowedDisplay(window, 0, 0, 320, 240, 0, 0, 0)) {
        std::fprintf(stderr, "cave_pacing: no window\n");
        return 1;
    }
    MeasurePresent(frames);
    MeasurePacing(frames);
    ShutdownDisplaySystem();
    CloseAllWindows();
    return 0;
}
