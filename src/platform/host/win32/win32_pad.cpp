#include "platform/host/win32/win32_pad.h"

#include <windows.h>
// after windows.h, which it needs
#include <xinput.h>

#include "platform/host/win32/win32_pad_keys.h"

namespace host::win32 {
namespace {

using GetStateFunction = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

// Asking an empty slot costs about a millisecond, so empty slots are looked at only this often
// (or when Windows reports a device change); a connected pad is read every frame.
constexpr DWORD kEmptySlotCheckMilliseconds = 1000;

static_assert(kPadSlots == XUSER_MAX_COUNT);

// XInput is loaded once and never freed: its reader thread can outlive the last FreeLibrary and
// then runs code that is no longer mapped (wine's did, at exit, about one run in fifteen).
GetStateFunction LoadXInput() {
    HMODULE library = LoadLibraryW(L"xinput1_4.dll");
    if (library == nullptr) library = LoadLibraryW(L"xinput9_1_0.dll");
    if (library == nullptr) return nullptr;
    // Through the generic function type, which a cast from FARPROC may go through unwarned.
    const auto entry = reinterpret_cast<void (*)()>(GetProcAddress(library, "XInputGetState"));
    return reinterpret_cast<GetStateFunction>(entry);
}

GetStateFunction XInputGetStateOnce() {
    static const GetStateFunction getState = LoadXInput();
    return getState;
}

bool EmptySlotsDue(Pads& pads) {
    const DWORD now = GetTickCount();
    if (!pads.EmptySlotsDue && now - pads.LastEmptySlotCheck < kEmptySlotCheckMilliseconds) {
        return false;
    }
    pads.EmptySlotsDue = false;
    pads.LastEmptySlotCheck = now;
    return true;
}

}  // namespace

void OpenPads(Pads& pads) {
    pads = Pads{};
    if (XInputGetStateOnce() == nullptr) return;
    pads.Open = true;
    // XInput starts up on its first read (20 ms under wine): here, not in the game's first frame.
    std::uint8_t unused[256] = {};
    HoldKeysOfPads(pads, unused);
}

void ClosePads(Pads& pads) { pads = Pads{}; }

void RecheckPads(Pads& pads) { pads.EmptySlotsDue = true; }

void HoldKeysOfPads(Pads& pads, std::uint8_t keys[256]) {
    if (!pads.Open) return;
    const bool emptySlotsToo = EmptySlotsDue(pads);
    for (DWORD slot = 0; slot < kPadSlots; ++slot) {
        if (!pads.Connected[slot] && !emptySlotsToo) continue;
        XINPUT_STATE pad{};
        // A pad pulled out reads as not connected: what it held is let go with it.
        pads.Connected[slot] = XInputGetStateOnce()(slot, &pad) == ERROR_SUCCESS;
        if (pads.Connected[slot])
            AddPadKeys(PadOfXInput({pad.Gamepad.wButtons, pad.Gamepad.sThumbLY}), keys,
                       static_cast<int>(slot));
    }
}

}  // namespace host::win32
