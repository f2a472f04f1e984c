// A fresh headless host and fresh platform state for every test, and the game's own way of
// opening its screen.
#pragma once

#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/host/headless_host.h"
#include "platform/system.h"

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::headless::Reset();
        ResetPlatformState();
    }
    void TearDown() override { ResetPlatformState(); }

    // Display system, the centred borderless 320x240 window and the windowed display on it.
    static void OpenGameDisplay() {
        ASSERT_NE(InitDisplaySystem(), 0);
        ASSERT_NE(OpenMainWindow(0, 0, 0, 320, 240, kWindowStylePopup | kCentreOnDesktop, ""), 0u);
        ASSERT_EQ(OpenWindowedDisplay(MainWindowHandle(), 0, 0, 320, 240, 0, 0, 0), 1);
    }
};
