// Per-library resets behind ResetPlatformState: each zeroes one library's program-wide state.
#pragma once

void ResetDisplayState();
void ResetDrawingState();
void ResetKeyboardState();
void ResetKeyRecorderState();
void ResetRandomState();
