// Looks at cave.exe from inside the same wine session, where the Win32 side of its windows can
// be seen: class, outer and client rectangles, style, title, and the text of a message box.
// Usage: window_probe window|box <timeout-ms>
//        window_probe focus <after-ms> <milliseconds>
// window and box print key=value lines (line breaks in texts as \n) and exit 0, or exit 1 on
// timeout. focus waits, then takes the keyboard focus away, like another program the user
// turns to, and holds it for the given time.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kPollMilliseconds = 20;
constexpr int kMessageBoxTextId = 0xFFFF;  // the static control that holds a box's text

std::string Escaped(const char* text) {
    std::string out;
    for (; *text != '\0'; ++text) out += *text == '\n' ? std::string("\\n") : std::string(1, *text);
    return out;
}

HWND WaitForWindow(const char* className, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, nullptr);
        if (window != nullptr && IsWindowVisible(window)) return window;
        if (GetTickCount() - start > timeout) return nullptr;
        Sleep(kPollMilliseconds);
    }
}

void PrintWindow(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    std::printf("rect=%ld,%ld,%ld,%ld\n", outer.left, outer.top, outer.right, outer.bottom);
    std::printf("client=%ldx%ld\n", client.right, client.bottom);
    std::printf("style=0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
    std::printf("title=%s\n", Escaped(title).c_str());
    std::printf("desktop=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void PrintBox(HWND box) {
    char title[256] = {};
    char text[1024] = {};
    GetWindowTextA(box, title, sizeof title);
    GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
    std::printf("title=%s\n", Escaped(title).c_str());
    std::printf("text=%s\n", Escaped(text).c_str());
}

void HoldFocus(DWORD milliseconds) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ProbeFocus";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ProbeFocus", "probe", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(window);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(kPollMilliseconds);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "focus") == 0) {
        Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
        HoldFocus(static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_probe window|box <timeout-ms>\n");
        std::fprintf(stderr, "       window_probe focus <after-ms> <milliseconds>\n");
        return 2;
    }
    const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    const bool box = std::strcmp(argv[1], "box") == 0;
    HWND window = WaitForWindow(box ? "#32770" : "WindowClass_0", timeout);
    if (window == nullptr) {
        std::fprintf(stderr, "window_probe: no %s within %lu ms\n", argv[1], timeout);
        return 1;
    }
    box ? PrintBox(window) : PrintWindow(window);
    return 0;
}
