// The game's icon: the red shaded ball in a textured passage, painted by the game's own cave
// and ball routines on the headless host.
#pragma once

#include <cstdint>
#include <vector>

// Square picture, 0xAARRGGBB, rows packed.
struct IconPicture {
    std::int32_t Size = 0;
    std::vector<std::uint32_t> Pixels;
};

// The scene at full size, opaque to the edges with the ball well inside the middle 80% circle, for
// home screens that cut the icon to their own shape; Size 0 when the game could not start.
IconPicture PaintIconScene();
// The scene in a clear margin, with rounded, see-through corners: the icon shown as it is.
IconPicture RoundIconCorners(const IconPicture& scene);
// The picture at `size`: smaller, each pixel the average of the square of pixels it covers
// (colours weighted by their alpha); larger, each pixel repeated, as the game's own pixels are.
IconPicture ScaleIcon(const IconPicture& from, std::int32_t size);
