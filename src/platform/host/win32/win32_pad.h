// XInput pads on the Windows host, loaded at run time so that cave.exe imports no DLL beyond
// the system's: without XInput the game is played from the keyboard alone.
#pragma once

#include <cstdint>

namespace host::win32 {

// XInput's slots (XUSER_MAX_COUNT).
inline constexpr int kPadSlots = 4;

// A member of the host's state.
struct Pads {
    bool Open = false;
    bool Connected[kPadSlots] = {};
    bool EmptySlotsDue = true;
    std::uint32_t LastEmptySlotCheck = 0;  // GetTickCount's milliseconds
};

// Loads xinput1_4.dll, else xinput9_1_0.dll (once, kept to the end); neither leaves the pads out.
void OpenPads(Pads& pads);
void ClosePads(Pads& pads);
// A device came or went: the next read looks at the empty slots too.
void RecheckPads(Pads& pads);
// Marks down in the key table what the connected pads hold; lets go of nothing.
void HoldKeysOfPads(Pads& pads, std::uint8_t keys[256]);

}  // namespace host::win32
