#include "platform/system.h"

#include "platform/host/host.h"
#include "platform/platform_reset.h"

std::uint32_t TickCount() { return host::TickCount(); }

void SleepMilliseconds(std::uint32_t milliseconds) { host::SleepMilliseconds(milliseconds); }

void ShowModalMessage(const char* title, const char* text) { host::ShowMessage(title, text); }

void EndProcess(int status) { host::EndProcess(status); }

void ResetPlatformState() {
    // The display goes first: it hands back any images an earlier game left behind.
    ResetDisplayState();
    ResetDrawingState();
    ResetKeyboardState();
    ResetKeyRecorderState();
    ResetRandomState();
}
