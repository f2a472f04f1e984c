// XInput pads on the Windows host, loaded at run time so that cave.exe imports no DLL beyond
// the system's: without XInput the game is played from the keyboard alone.
#pragma once

#include <cstdint>

namespace host::win32 {

// Loads xinput1_4.dll, else xinput9_1_0.dll (once, kept to the end); neither leaves the pads out.
void OpenPads();
void ClosePads();
// A device came or went: the next read looks at the empty slots too.
void RecheckPads();
// Marks down in the key table what the connected pads hold; lets go of nothing.
void HoldKeysOfPads(std::uint8_t keys[256]);

}  // namespace host::win32
