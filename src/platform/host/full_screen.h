// Full screen as every desktop host does it: the same keys switch it, and the picture takes the
// same place. Free of any system header, so that it is tested on every system.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/host/host.h"
#include "platform/host/key_codes.h"

namespace host {

// F11, or Enter (either one) with Alt held. `code` is the key's game code.
constexpr bool SwitchesFullScreen(std::int32_t code, bool altHeld) {
    const bool enter = code == kKeyEnter || code == kKeyPadEnter;
    return code == kKeyF11 || (enter && altHeld);
}

// The picture at the largest whole multiple of its size that fits the area (at least 1x),
// centred: every pixel stays square and sharp. An area smaller than the picture shows its
// middle.
constexpr Rect CentredWholeMultiple(Size area, Size picture) {
    const std::int32_t scale =
        std::max(1, std::min(area.Width / picture.Width, area.Height / picture.Height));
    const std::int32_t left = (area.Width - picture.Width * scale) / 2;
    const std::int32_t top = (area.Height - picture.Height * scale) / 2;
    return {left, top, left + picture.Width * scale, top + picture.Height * scale};
}

}  // namespace host
