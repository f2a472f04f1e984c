#include "platform/display.h"
#include "platform/display_state.h"
#include "platform/host/host.h"

namespace {

// The wait sleeps away all but this much of a frame and spins on the counter for the rest, so
// that the frame ends on time without keeping a core busy for the whole game.
constexpr std::int64_t kSpinMilliseconds = 2;

std::int32_t ReadNow() {
    std::int64_t ticks = 0;
    while (!host::ReadCounter(ticks)) {
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ticks));
}

std::int32_t Difference(std::int32_t later, std::int32_t earlier) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                     static_cast<std::uint32_t>(earlier));
}

// Whole milliseconds that can be slept when `remainingTicks` are left before the frame ends.
std::int64_t SleepableMilliseconds(std::int64_t remainingTicks) {
    const std::int64_t frequency = Display.CounterFrequency;
    const std::int64_t spare = remainingTicks * 1000 - kSpinMilliseconds * frequency;
    return spare > 0 ? spare / frequency : 0;
}

// Ends at the first reading more than one frame period after the last present; a reading whose
// sign differs from the last present restarts the period from that reading.
void WaitOutFrame() {
    for (;;) {
        const std::int32_t now = ReadNow();
        const std::int32_t last = Display.LastPresent;
        if ((now < 0 && last >= 0) || (now > 0 && last <= 0)) Display.LastPresent = now;
        const std::int32_t elapsed = Difference(now, Display.LastPresent);
        if (elapsed > Display.FramePeriod) {
            Display.LastPresent = now;
            return;
        }
        const std::int64_t remaining = static_cast<std::int64_t>(Display.FramePeriod) - elapsed + 1;
        const std::int64_t sleep = SleepableMilliseconds(remaining);
        if (sleep > 0) host::SleepMilliseconds(static_cast<std::uint32_t>(sleep));
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
    Display.CounterFrequency = frequency;
    Display.FramesPerSecond = fps;
    const std::int64_t period = frequency / (static_cast<std::int64_t>(fps) + 1);
    Display.FramePeriod = static_cast<std::int32_t>(static_cast<std::uint32_t>(period));
    Display.LastPresent = 0;
    return 1;
}

std::int32_t FramePeriod() { return Display.FramePeriod; }

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
