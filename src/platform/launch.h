// What the program needs before it opens a window: a word to whoever started it, and the size
// the desktop suggests for the game screen.
#pragma once

#include <cstdint>
#include <string>

// To the terminal the program was started from (standard error when `error`); where there is
// none, in a message box.
void TellUser(const std::string& text, bool error);
// Screen pixels per game pixel that match the desktop's own scaling: 1 on an unscaled desktop.
std::int32_t DesktopScale();
// Whether the game's window opens in full screen; the player switches at any moment with the
// host's own keys.
void StartFullScreen(bool fullScreen);
