// The SDL host's own rules, on a real X display: pads plugged in during a game, and the
// arithmetic of full screen and the desktop's scaling.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/host/host.h"
#include "platform/host/sdl/sdl_x11.h"

namespace {

constexpr int kEscape = 1;
constexpr int kP = 25;
constexpr int kUp = 200;

// The game's window, shown and given the keyboard focus: without the focus every key is up.
class SdlHostWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host::InitDisplay());
        host::WindowRequest request;
        request.Width = 320;
        request.Height = 240;
        request.Style = host::kStylePopup | host::kStyleVisible;
        Window = host::CreateHostWindow(request);
        ASSERT_NE(Window, 0u);
        ASSERT_TRUE(host::AttachDisplay(Window, 320, 240));
        ASSERT_TRUE(host::OpenKeyboard());
        SDL_SetWindowInputFocus(SDL_GetWindowFromID(static_cast<Uint32>(Window)));
        for (int tries = 0; tries < 500 && host::ActiveWindow() != Window; ++tries) {
            Read();
            SDL_Delay(10);
        }
        ASSERT_EQ(host::ActiveWindow(), Window);
    }
    void TearDown() override {
        host::CloseKeyboard();
        host::DestroyHostWindow(Window);
        host::ShutdownDisplay();
    }
    // The keys Up, P and Escape as "UPE", a dash for each one up.
    std::string Read() {
        std::uint8_t keys[256];
        EXPECT_TRUE(host::ReadKeys(keys));
        std::string held;
        for (const auto& [code, name] : {std::pair{kUp, 'U'}, {kP, 'P'}, {kEscape, 'E'}}) {
            held += keys[code] == 0x80 ? name : '-';
        }
        return held;
    }
    host::WindowId Window = 0;
};

// SDL 2.26 gives a virtual joystick of the game controller type a mapping of its own: button
// and axis numbers are the controller's.
int PlugInPad() {
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    pad.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    pad.name = "test pad";
    return SDL_JoystickAttachVirtualEx(&pad);
}

TEST_F(SdlHostWindow, PadPluggedInDuringAGameHoldsUpPAndEscapeUntilPulledOut) {
    const int index = PlugInPad();
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(Read(), "---");

    const auto press = [&](SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(pad, button, down ? 1 : 0);
        return Read();
    };
    EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_A, true), "U--");
    EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_A, false), "---");
    EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_DPAD_UP, true), "U--");
    EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_DPAD_UP, false), "---");
    EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_BACK, true), "--E");
    EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_BACK, false), "---");
    // Half way up is not yet past it; a resting stick lifts nothing.
    for (const auto& [y, held] : {std::pair{-16383, "---"}, {-16384, "U--"}, {32767, "---"}}) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
        EXPECT_EQ(Read(), held) << "stick at " << y;
    }

    // Pulled out while holding Up and P: both are let go.
    press(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_A, true), "UP-");
    SDL_JoystickClose(pad);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    EXPECT_EQ(Read(), "---");
}

TEST(SdlDesktopScale, GdkScaleWinsElseTheWholePartOfXftDpiOver96) {
    const char* resources = "Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n";
    EXPECT_EQ(host::ScaleOfDesktop(nullptr, resources), 2);
    EXPECT_EQ(host::ScaleOfDesktop("3", resources), 3);
    EXPECT_EQ(host::ScaleOfDesktop(nullptr, "Xft.dpi:\t144\n"), 1);
    // Nonsense in either place falls back rather than shrinking or blowing up the window.
    EXPECT_EQ(host::ScaleOfDesktop("0", resources), 2);
    EXPECT_EQ(host::ScaleOfDesktop("2x", nullptr), 1);
    EXPECT_EQ(host::ScaleOfDesktop(nullptr, "Xft.dpi:\t48\n"), 1);
    EXPECT_EQ(host::ScaleOfDesktop(nullptr, "MyXft.dpi:\t192\n"), 1);
    EXPECT_EQ(host::ScaleOfDesktop(nullptr, ""), 1);
}

}  // namespace
