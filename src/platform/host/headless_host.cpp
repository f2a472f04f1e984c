// A host without a screen: virtual time, scripted keys, and a record of what the game showed.
#include "platform/host/headless_host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace host {
namespace {

constexpr std::int64_t kCounterFrequency = 10'000'000;  // 100 ns ticks
constexpr std::int64_t kTicksPerMillisecond = kCounterFrequency / 1000;
constexpr std::int64_t kDefaultReadCost = 1000;
constexpr Size kDefaultDesktop{1024, 768};
constexpr Rect kCaptionInsets{-3, -26, 3, 3};

struct HeadlessWindow {
    WindowId Id = 0;
    std::string ClassName;
    Rect Outer;
    std::uint32_t Style = 0;
};

struct HeadlessState {
    std::int64_t Clock = 0;
    std::uint32_t StartTick = 0;
    std::int64_t ReadCost = kDefaultReadCost;
    std::uint64_t CounterReads = 0;
    Size Desktop = kDefaultDesktop;
    headless::Failures Failures;
    int Allocations = 0;

    std::vector<headless::KeyEvent> Script;  // sorted by poll, stable
    std::size_t NextEvent = 0;
    std::uint8_t Keys[256] = {};
    bool Focused = true;
    bool KeyboardOpen = false;
    std::uint64_t Polls = 0;
    std::function<void(std::uint64_t)> PollHook;

    std::vector<HeadlessWindow> Windows;  // in creation order
    WindowId NextWindow = 1;

    std::uint64_t Presents = 0;
    std::vector<std::uint32_t> Picture;
    Size PictureSize;
    Rect PresentRect;

    std::vector<headless::Message> Messages;
    std::function<void(const headless::Message&)> MessageHook;
    std::vector<std::string> Log;
};

HeadlessState State;
// Outlives Reset: the platform may still hold blocks from before it.
std::unordered_map<std::uint32_t*, std::size_t> PixelBlocks;

HeadlessWindow* FindWindow(WindowId id) {
    auto found = std::find_if(State.Windows.begin(), State.Windows.end(),
                              [id](const HeadlessWindow& w) { return w.Id == id; });
    return found != State.Windows.end() ? &*found : nullptr;
}

void ApplyScript(std::uint64_t poll) {
    while (State.NextEvent < State.Script.size() && State.Script[State.NextEvent].Poll <= poll) {
        const headless::KeyEvent& event = State.Script[State.NextEvent++];
        State.Keys[event.Code] = event.Down ? 0x80 : 0;
    }
}

}  // namespace

// --- Control panel ----------------------------------------------------------------------------

namespace headless {

void Reset() { State = HeadlessState{}; }
void SetStartTick(std::uint32_t tick) { State.StartTick = tick; }
void SetDesktopSize(Size size) { State.Desktop = size; }
void SetFailures(const Failures& failures) { State.Failures = failures; }

void SetKeyScript(std::vector<KeyEvent> events) {
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.Poll < b.Poll; });
    State.Script = std::move(events);
    State.NextEvent = 0;
    // Events of polls already taken apply at the next poll.
}

void SetFocus(bool focused) { State.Focused = focused; }
void SetCounterReadCost(std::int64_t ticks) { State.ReadCost = ticks; }
void SetPollHook(std::function<void(std::uint64_t)> hook) { State.PollHook = std::move(hook); }
void SetMessageHook(std::function<void(const Message&)> hook) {
    State.MessageHook = std::move(hook);
}

std::uint64_t PollCount() { return State.Polls; }
std::uint64_t PresentCount() { return State.Presents; }
std::int64_t Clock() { return State.Clock; }
std::uint64_t CounterReads() { return State.CounterReads; }
const std::vector<std::uint32_t>& LastPicture() { return State.Picture; }
Size LastPictureSize() { return State.PictureSize; }
Rect LastPresentRect() { return State.PresentRect; }
const std::vector<Message>& Messages() { return State.Messages; }
const std::vector<std::string>& CallLog() { return State.Log; }
std::size_t LivePixelBlocks() { return PixelBlocks.size(); }

}  // namespace headless

// --- Display and windows ----------------------------------------------------------------------

bool InitDisplay() {
    State.Log.emplace_back("InitDisplay");
    return !State.Failures.DisplaySystem;
}

void ShutdownDisplay() { State.Log.emplace_back("ShutdownDisplay"); }

Size DesktopSize() { return State.Desktop; }

Rect FrameInsets(std::uint32_t style) {
    return (style & kStyleCaption) == kStyleCaption ? kCaptionInsets : Rect{};
}

WindowId CreateHostWindow(const WindowRequest& request) {
    State.Log.push_back("CreateHostWindow " + std::string(request.ClassName) + " " +
                        std::to_string(request.X) + " " + std::to_string(request.Y) + " " +
                        std::to_string(request.Width) + " " + std::to_string(request.Height));
    if (State.Failures.Window) return 0;
    const WindowId id = State.NextWindow++;
    State.Windows.push_back(HeadlessWindow{
        id, request.ClassName,
        Rect{request.X, request.Y, request.X + request.Width, request.Y + request.Height},
        request.Style});
    return id;
}

void DestroyHostWindow(WindowId window) {
    const HeadlessWindow* found = FindWindow(window);
    if (found == nullptr) return;
    State.Log.push_back("DestroyHostWindow " + found->ClassName);
    State.Windows.erase(State.Windows.begin() + (found - State.Windows.data()));
}

WindowId ActiveWindow() { return State.Windows.empty() ? 0 : State.Windows.back().Id; }

Rect WindowRect(WindowId window) {
    const HeadlessWindow* found = FindWindow(window);
    return found != nullptr ? found->Outer : Rect{};
}

bool AttachDisplay(WindowId window, std::int32_t width, std::int32_t height) {
    State.Log.push_back("AttachDisplay " + std::to_string(width) + " " + std::to_string(height));
    return !State.Failures.WindowedDisplay && FindWindow(window) != nullptr;
}

void DetachDisplay() { State.Log.emplace_back("DetachDisplay"); }

void Present(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, Rect dest) {
    ++State.Presents;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    State.Picture.resize(count);  // allocates only when the size changes
    std::memcpy(State.Picture.data(), pixels, count * sizeof *pixels);
    State.PictureSize = Size{width, height};
    State.PresentRect = dest;
}

// --- Keyboard ---------------------------------------------------------------------------------

bool OpenKeyboard() {
    State.Log.emplace_back("OpenKeyboard");
    State.KeyboardOpen = !State.Failures.Keyboard;
    return State.KeyboardOpen;
}

void CloseKeyboard() {
    State.Log.emplace_back("CloseKeyboard");
    State.KeyboardOpen = false;
}

bool ReadKeys(std::uint8_t keys[256]) {
    const std::uint64_t poll = State.Polls + 1;
    if (State.PollHook) State.PollHook(poll);
    State.Polls = poll;
    ApplyScript(poll);
    if (!State.KeyboardOpen || State.Failures.KeyRead) return false;
    if (State.Focused) {
        std::memcpy(keys, State.Keys, sizeof State.Keys);
    } else {
        std::memset(keys, 0, sizeof State.Keys);
    }
    return true;
}

// --- Messages, time, memory, exit -------------------------------------------------------------

void ShowMessage(const char* title, const char* text) {
    State.Log.push_back("ShowMessage " + std::string(title));
    const headless::Message message{title, text};
    if (State.MessageHook) State.MessageHook(message);
    State.Messages.push_back(message);
}

std::uint32_t TickCount() {
    return State.StartTick + static_cast<std::uint32_t>(State.Clock / kTicksPerMillisecond);
}

std::int64_t CounterFrequency() { return kCounterFrequency; }

bool ReadCounter(std::int64_t& ticks) {
    ++State.CounterReads;
    State.Clock += State.ReadCost;
    ticks = State.Clock;
    return true;
}

void WaitForCounter(std::int64_t ticks) {
    State.Clock = std::max(State.Clock, ticks - State.ReadCost);
}

void SleepMilliseconds(std::uint32_t milliseconds) {
    State.Clock += static_cast<std::int64_t>(milliseconds) * kTicksPerMillisecond;
}

std::uint32_t* AllocatePixels(std::size_t count) {
    State.Log.push_back("AllocatePixels " + std::to_string(count));
    if (++State.Allocations == State.Failures.PixelAllocation) return nullptr;
    auto* pixels = static_cast<std::uint32_t*>(std::calloc(count, sizeof(std::uint32_t)));
    if (pixels != nullptr) PixelBlocks.emplace(pixels, count);
    return pixels;
}

void FreePixels(std::uint32_t* pixels) {
    const auto found = PixelBlocks.find(pixels);
    if (found == PixelBlocks.end()) return;
    State.Log.push_back("FreePixels " + std::to_string(found->second));
    PixelBlocks.erase(found);
    std::free(pixels);
}

void EndProcess(int status) {
    State.Log.push_back("EndProcess " + std::to_string(status));
    throw headless::ProcessExit{status};
}

}  // namespace host
