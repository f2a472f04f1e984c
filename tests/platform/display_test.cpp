#include "platform/display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/display_state.h"
#include "platform/host/host.h"
#include "platform_fixture.h"

namespace {

namespace headless = host::headless;

constexpr std::uint32_t kGameWindowFlags = kWindowStylePopup | kCentreOnDesktop;

bool Logged(const std::string& call) {
    const auto& log = headless::CallLog();
    return std::find(log.begin(), log.end(), call) != log.end();
}

using Display = PlatformTest;

TEST_F(Display, GameWindowIsCentredOnTheDesktop) {
    ASSERT_NE(InitDisplaySystem(), 0);
    const WindowHandle window = OpenMainWindow(0, 0, 0, 320, 240, kGameWindowFlags, "");
    ASSERT_NE(window, 0u);
    EXPECT_EQ(MainWindowHandle(), window);
    EXPECT_TRUE(Logged("CreateHostWindow WindowClass_0 352 264 320 240"));

    headless::SetDesktopSize({1366, 768});
    OpenMainWindow(0, 0, 0, 320, 240, kGameWindowFlags, "");
    EXPECT_TRUE(Logged("DestroyHostWindow WindowClass_0"));  // reopening closes the old one
    EXPECT_TRUE(Logged("CreateHostWindow WindowClass_0 523 264 320 240"));
}

TEST_F(Display, CentringHalvesByArithmeticShift) {
    headless::SetDesktopSize({101, 51});
    OpenMainWindow(3, 0, 0, 320, 240, kGameWindowFlags, "");
    // 50 - 160 and 25 - 120: negative positions are kept, not clamped.
    EXPECT_TRUE(Logged("CreateHostWindow WindowClass_3 -110 -95 320 240"));
}

TEST_F(Display, FlagsZeroGiveAVisibleWindowWithACaption) {
    OpenMainWindow(0, 40, 50, 320, 240, 0, "title");
    // The client area stays 320x240; the caption frame is added outside it.
    EXPECT_TRUE(Logged("CreateHostWindow WindowClass_0 40 50 326 269"));
    EXPECT_EQ(host::FrameInsets(host::kStyleCaption).Top, -26);
}

TEST_F(Display, CentringOverTheActiveWindow) {
    OpenMainWindow(0, 0, 0, 320, 240, kGameWindowFlags, "");  // at 352, 264
    OpenMainWindow(1, 0, 0, 100, 50, kWindowStylePopup | kCentreOnActiveWindow, "");
    EXPECT_TRUE(Logged("CreateHostWindow WindowClass_1 462 359 100 50"));
    EXPECT_EQ(::Display.Windows.size(), 10u);
    OpenMainWindow(12, 0, 0, 10, 10, kWindowStylePopup, "");
    EXPECT_EQ(::Display.Windows.size(), 22u);
}

TEST_F(Display, FailedWindowKeepsTheCurrentWindow) {
    const WindowHandle first = OpenMainWindow(0, 0, 0, 320, 240, kGameWindowFlags, "");
    headless::SetFailures({.Window = true});
    EXPECT_EQ(OpenMainWindow(1, 0, 0, 320, 240, kGameWindowFlags, ""), 0u);
    EXPECT_EQ(MainWindowHandle(), first);
}

TEST_F(Display, CloseAllWindowsGoesFromTheHighestNumberDown) {
    OpenMainWindow(0, 0, 0, 10, 10, kWindowStylePopup, "");
    OpenMainWindow(2, 0, 0, 10, 10, kWindowStylePopup, "");
    OpenMainWindow(1, 0, 0, 10, 10, kWindowStylePopup, "");
    CloseAllWindows();
    const auto& log = headless::CallLog();
    const std::vector<std::string> closes(log.end() - 3, log.end());
    EXPECT_EQ(closes, (std::vector<std::string>{"DestroyHostWindow WindowClass_2",
                                                "DestroyHostWindow WindowClass_1",
                                                "DestroyHostWindow WindowClass_0"}));
    EXPECT_EQ(host::ActiveWindow(), 0u);
    EXPECT_EQ(MainWindowHandle(), 0u);
}

TEST_F(Display, OpeningTheDisplay) {
    ASSERT_NE(InitDisplaySystem(), 0);
    EXPECT_EQ(IsDisplayActive(), 0);
    EXPECT_EQ(DisplayWindowHandle(), 0u);
    OpenMainWindow(0, 0, 0, 320, 240, kGameWindowFlags, "");
    ASSERT_EQ(OpenWindowedDisplay(MainWindowHandle(), 0, 0, 320, 240, 0, 0, 0), 1);
    EXPECT_EQ(IsDisplayActive(), 1);
    EXPECT_EQ(DisplayWindowHandle(), MainWindowHandle());
    EXPECT_TRUE(Logged("AttachDisplay 320 240"));
    EXPECT_TRUE(Logged("AllocatePixels 76800"));
    const ImageView back = PeekBackBuffer();
    ASSERT_NE(back.Pixels, nullptr);
    EXPECT_EQ(back.Width, 320);
    EXPECT_TRUE(std::all_of(back.Pixels, back.Pixels + 320 * 240, [](auto p) { return p == 0; }));
}

TEST_F(Display, OpeningAgainReplacesTheBackBuffer) {
    OpenGameDisplay();
    ASSERT_EQ(OpenWindowedDisplay(MainWindowHandle(), 0, 0, 160, 120, 0, 0, 0), 1);
    EXPECT_EQ(headless::LivePixelBlocks(), 1u);
    EXPECT_EQ(PeekBackBuffer().Width, 160);
}

TEST_F(Display, WindowZeroFailsAndReleases) {
    ASSERT_NE(InitDisplaySystem(), 0);
    EXPECT_EQ(OpenWindowedDisplay(0, 0, 0, 320, 240, 0, 0, 0), 0);
    EXPECT_EQ(DisplayWindowHandle(), 0u);
    EXPECT_EQ(PeekBackBuffer().Pixels, nullptr);
    EXPECT_FALSE(Logged("DetachDisplay"));  // nothing was attached
}

TEST_F(Display, FailedAttachOrBackBufferLeavesNothingBehind) {
    ASSERT_NE(InitDisplaySystem(), 0);
    OpenMainWindow(0, 0, 0, 320, 240, kGameWindowFlags, "");
    headless::SetFailures({.WindowedDisplay = true});
    EXPECT_EQ(OpenWindowedDisplay(MainWindowHandle(), 0, 0, 320, 240, 0, 0, 0), 0);
    headless::SetFailures({.PixelAllocation = 1});
    EXPECT_EQ(OpenWindowedDisplay(MainWindowHandle(), 0, 0, 320, 240, 0, 0, 0), 0);
    EXPECT_TRUE(Logged("DetachDisplay"));
    EXPECT_EQ(DisplayWindowHandle(), 0u);
    EXPECT_EQ(IsDisplayActive(), 0);
    EXPECT_EQ(headless::LivePixelBlocks(), 0u);
}

// Where PresentFrame puts the picture, as {left, top, right, bottom} relative to the window.
std::vector<std::int32_t> PresentRect(std::uint32_t flags, std::int32_t x, std::int32_t y,
                                      std::int32_t stretch) {
    EXPECT_NE(InitDisplaySystem(), 0);
    OpenMainWindow(0, 10, 20, 640, 480, flags, "");
    EXPECT_EQ(OpenWindowedDisplay(MainWindowHandle(), x, y, 320, 240, stretch, 10, 20), 1);
    SetFramePacing(0);
    PresentFrame();
    EXPECT_EQ(headless::LastPictureSize().Width, 320);
    const host::Rect dest = headless::LastPresentRect();
    return {dest.Left, dest.Top, dest.Right, dest.Bottom};
}

TEST_F(Display, CaptionWindowOffsetsTheDisplayArea) {
    EXPECT_EQ(PresentRect(0, 0, 0, 0), (std::vector<std::int32_t>{3, 26, 323, 266}));
}

TEST_F(Display, StretchedDisplayFillsTheWindowLessItsMargins) {
    EXPECT_EQ(PresentRect(kGameWindowFlags, 4, 5, 1), (std::vector<std::int32_t>{4, 5, 630, 460}));
}

TEST_F(Display, CreateImageGrowsTheTable) {
    OpenGameDisplay();
    EXPECT_EQ(::Display.Images.size(), 50u);
    EXPECT_NE(CreateImage(60, 8, 8), 0u);
    EXPECT_EQ(::Display.Images.size(), 110u);
    EXPECT_EQ(PeekImage(60).Width, 8);
    EXPECT_EQ(CreateImage(-1, 8, 8), 0u);
    EXPECT_EQ(CreateImage(2, 0, 8), 0u);
    EXPECT_EQ(CreateImage(2, 8, 32768), 0u);
}

TEST_F(Display, CreateImageAgainGivesAFreshBlackImage) {
    OpenGameDisplay();
    CreateImage(10, 8, 8);
    const DrawTarget* target = ImageTarget(10);
    ASSERT_NE(target, nullptr);
    target->Pixels[9] = 0x00FFFFFF;
    target->GiveBack();
    EXPECT_NE(CreateImage(10, 8, 8), 0u);
    const ImageView image = PeekImage(10);
    EXPECT_TRUE(std::all_of(image.Pixels, image.Pixels + 64, [](auto p) { return p == 0; }));
    EXPECT_TRUE(Logged("FreePixels 64"));
    EXPECT_EQ(headless::LivePixelBlocks(), 2u);  // back buffer and the one image
}

TEST_F(Display, FailedImageLeavesTheEntryEmpty) {
    OpenGameDisplay();
    headless::SetFailures({.PixelAllocation = 2});  // the back buffer was the first
    EXPECT_EQ(CreateImage(1, 320, 240), 0u);
    EXPECT_EQ(PeekImage(1).Pixels, nullptr);
    EXPECT_EQ(ImageTarget(1), nullptr);
}

TEST_F(Display, ImageTargetsAreLentOneAtATime) {
    OpenGameDisplay();
    CreateImage(1, 320, 240);
    CreateImage(10, 8, 8);
    const DrawTarget* target = ImageTarget(1);
    ASSERT_NE(target, nullptr);
    EXPECT_NE(target->Context, nullptr);
    EXPECT_EQ(target->Pitch, 1280);
    EXPECT_EQ(target->BitsPerPixel, 32);
    EXPECT_EQ(ImageTarget(10), nullptr);
    EXPECT_EQ(ImageTarget(1), nullptr);
    const DrawTarget* back = BackBufferTarget();  // a separate lending
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(BackBufferTarget(), nullptr);
    target->GiveBack();
    const DrawTarget* ball = ImageTarget(10);
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->Width, 8);
    EXPECT_EQ(ImageTarget(99), nullptr);
    PresentFrame();  // gives a lent back buffer back
    EXPECT_NE(BackBufferTarget(), nullptr);
}

TEST_F(Display, ShutdownFreesEveryImageAndTheBackBuffer) {
    OpenGameDisplay();
    CreateImage(1, 320, 240);
    CreateImage(10, 8, 8);
    CreateImage(60, 8, 8);
    EXPECT_EQ(headless::LivePixelBlocks(), 4u);
    ShutdownDisplaySystem();
    CloseAllWindows();
    EXPECT_EQ(headless::LivePixelBlocks(), 0u);
    EXPECT_EQ(PeekImage(1).Pixels, nullptr);
    EXPECT_EQ(DisplayWindowHandle(), 0u);
    EXPECT_EQ(IsDisplayActive(), 1);  // releasing the display leaves the flag alone
    const auto& log = headless::CallLog();
    const std::vector<std::string> last(log.end() - 4, log.end());
    EXPECT_EQ(last,
              (std::vector<std::string>{"DetachDisplay", "FreePixels 76800", "ShutdownDisplay",
                                        "DestroyHostWindow WindowClass_0"}));
    BlitImage(1, 0, 0);  // the game may not, but nothing may crash now
    ClearBackBuffer(1, 2, 3);
}

TEST_F(Display, ResetFreesWhatAnEarlierGameLeft) {
    OpenGameDisplay();
    CreateImage(1, 320, 240);
    headless::Reset();  // a runner starts the next game without the shutdown path
    ResetPlatformState();
    EXPECT_EQ(headless::LivePixelBlocks(), 0u);
    EXPECT_EQ(::Display.Images.size(), 0u);
    EXPECT_EQ(IsDisplayActive(), 0);
}

TEST_F(Display, FailingDisplaySystemIsReported) {
    headless::SetFailures({.DisplaySystem = true});
    EXPECT_EQ(InitDisplaySystem(), 0);
}

}  // namespace
