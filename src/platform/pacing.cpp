#include <algorithm>

#include "platform/display.h"
#include "platform/display_state.h"
#include "platform/host/host.h"

namespace {

std::int64_t ReadNow() {
    std::int64_t ticks = 0;
    while (!host::ReadCounter(ticks)) {
    }
    return ticks;
}

std::int32_t Low32(std::int64_t ticks) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ticks));
}

std::int32_t Difference(std::int32_t later, std::int32_t earlier) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                     static_cast<std::uint32_t>(earlier));
}

// The first reading after `reading` whose low 32 bits have another sign (a multiple of 2^31
// reads as 0 or as the lowest negative value, so one past it always counts).
std::int64_t NextSignChange(std::int64_t reading) {
    constexpr std::int64_t kHalfRange = std::int64_t{1} << 31;
    return (reading / kHalfRange + 1) * kHalfRange + 1;
}

// Ends at the first reading more than one frame period after the last present; a reading whose
// sign differs from the last present restarts the period from that reading. Between readings
// the host sleeps until the next one that can matter: the end of the period, or a sign change.
void WaitOutFrame() {
    for (;;) {
        const std::int64_t reading = ReadNow();
        const std::int32_t now = Low32(reading);
        const std::int32_t last = Display.LastPresent;
        if ((now < 0 && last >= 0) || (now > 0 && last <= 0)) Display.LastPresent = now;
        const std::int32_t elapsed = Difference(now, Display.LastPresent);
        if (elapsed > Display.FramePeriod) {
            Display.LastPresent = now;
            return;
        }
        const std::int64_t due = reading + (std::int64_t{Display.FramePeriod} - elapsed + 1);
        host::WaitForCounter(std::min(due, NextSignChange(reading)));
    }
}

host::Rect PresentDestination() {
    host::Rect dest{Display.AreaOffsetX, Display.AreaOffsetY,
                    Display.AreaOffsetX + Display.DisplayWidth,
                    Display.AreaOffsetY + Display.DisplayHeight};
    if (Display.Stretch != 0) {
        const host::Rect outer = host::WindowRect(Display.DisplayWindow);
        dest.Right = outer.Right - outer.Left - Display.RightMargin;
        dest.Bottom = outer.Bottom - outer.Top - Display.BottomMargin;
    }
    return dest;
}

}  // namespace

std::int32_t SetFramePacing(std::int32_t fps) {
    const std::int64_t frequency = host::CounterFrequency();
    // A negative rate would divide by zero at -1 and means nothing anyway.
    if (frequency <= 0 || fps < 0) return 0;
    Display.FramesPerSecond = fps;
    const std::int64_t period = frequency / (static_cast<std::int64_t>(fps) + 1);
    Display.FramePeriod = static_cast<std::int32_t>(static_cast<std::uint32_t>(period));
    Display.LastPresent = 0;
    return 1;
}

void PresentFrame() {
    Display.BackBufferLent = false;
    SetBlitTarget(kBackBufferDestination);
    if (Display.BackBuffer != nullptr) {
        host::Present(Display.BackBuffer, Display.DisplayWidth, Display.DisplayHeight,
                      PresentDestination());
    }
    if (Display.FramesPerSecond == 0) return;
    WaitOutFrame();
}
