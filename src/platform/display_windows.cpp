#include <string>

#include "platform/display.h"
#include "platform/display_state.h"
#include "platform/host/host.h"

namespace {

constexpr std::int32_t kWindowTableGrowth = 10;
constexpr std::uint32_t kCentringFlags = kCentreOnDesktop | kCentreOnActiveWindow;

void CloseWindowEntry(WindowEntry& entry) {
    if (entry.Handle == 0) return;
    host::DestroyHostWindow(entry.Handle);
    if (Display.CurrentWindow == entry.Handle) Display.CurrentWindow = 0;
    entry = WindowEntry{};
}

std::uint32_t DecodeStyle(std::uint32_t flags) {
    std::uint32_t style = flags & ~kCentringFlags;
    if (style == 0 || style == host::kStyleVisible) style |= host::kStyleCaption;
    // Visible unless the caller sets the bit.
    return style ^ host::kStyleVisible;
}

// Where an outer extent of `inner` is centred on a span starting at `start` of `extent`; every
// halving is an arithmetic shift.
std::int32_t Centred(std::int32_t start, std::int32_t extent, std::int32_t inner) {
    return start + (extent >> 1) - (inner >> 1);
}

host::WindowRequest PlaceWindow(host::WindowRequest request, std::int32_t x, std::int32_t y,
                                std::uint32_t flags) {
    request.X = x;
    request.Y = y;
    const host::WindowId active = host::ActiveWindow();
    if ((flags & kCentreOnActiveWindow) != 0 && active != 0) {
        const host::Rect outer = host::WindowRect(active);
        const std::int32_t left = Centred(outer.Left, outer.Right - outer.Left, request.Width);
        const std::int32_t top = Centred(outer.Top, outer.Bottom - outer.Top, request.Height);
        request.X = left < 0 ? 0 : left;
        request.Y = top < 0 ? 0 : top;
    } else if ((flags & kCentringFlags) != 0) {
        const host::Size desktop = host::DesktopSize();
        request.X = Centred(0, desktop.Width, request.Width);
        request.Y = Centred(0, desktop.Height, request.Height);
    }
    return request;
}

}  // namespace

WindowHandle OpenMainWindow(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::uint32_t flags, const char* title) {
    if (number < 0) return 0;
    if (number >= static_cast<std::int32_t>(Display.Windows.size())) {
        Display.Windows.resize(static_cast<std::size_t>(number) + kWindowTableGrowth);
    }
    WindowEntry& entry = Display.Windows[static_cast<std::size_t>(number)];
    CloseWindowEntry(entry);

    const std::string className = "WindowClass_" + std::to_string(number);
    host::WindowRequest request;
    request.ClassName = className.c_str();
    request.Style = DecodeStyle(flags);
    request.Title = title != nullptr ? title : "";
    const host::Rect insets = host::FrameInsets(request.Style);
    request.Width = width + insets.Right - insets.Left;
    request.Height = height + insets.Bottom - insets.Top;
    request = PlaceWindow(request, x, y, flags);

    const host::WindowId handle = host::CreateHostWindow(request);
    if (handle == 0) return 0;
    entry = WindowEntry{handle, request.Style};
    Display.CurrentWindow = handle;
    return handle;
}

WindowHandle MainWindowHandle() { return Display.CurrentWindow; }

void CloseAllWindows() {
    for (auto entry = Display.Windows.rbegin(); entry != Display.Windows.rend(); ++entry) {
        CloseWindowEntry(*entry);
    }
}

std::uint32_t WindowStyleOf(WindowHandle window) {
    for (const WindowEntry& entry : Display.Windows) {
        if (entry.Handle == window && window != 0) return entry.Style;
    }
    return host::kStylePopup;
}
