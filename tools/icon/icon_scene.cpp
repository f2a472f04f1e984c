#include "icon_scene.h"

#include <cmath>

#include "cave/cave.h"
#include "game/player.h"
#include "headless_game.h"
#include "platform/display.h"
#include "platform/drawing.h"
#include "shell/program.h"
#include "shell/shutdown.h"

namespace {

constexpr std::uint32_t kSeed = 7;
constexpr std::int32_t kSceneSize = 240;  // the cave is this high
constexpr std::int32_t kMargin = 8;       // clear around the scene, as icon themes like it
constexpr std::int32_t kCornerRadius = 28;
constexpr std::int32_t kBallRadius = 44;
constexpr std::int32_t kBallSprite = 11;  // the next image after the first player's
constexpr double kTwoPi = 6.283185307179586;

// A passage that sweeps gently up across the picture, wide enough for the ball.
CaveColumn PassageAt(std::int32_t x) {
    const double middle = 124.0 - 22.0 * std::sin(kTwoPi * (x - 40) / 400.0);
    return {static_cast<float>(middle - 64.0), static_cast<float>(middle + 64.0)};
}

// The start-up cave, its columns walked again along the icon's passage and repainted in rock of
// a light, faintly violet grey, as start-up might choose it.
void RepaintCave() {
    Look.RockColour = {255, 240, 255};
    BeginDrawing(ImageTarget(kCaveSprite));
    for (std::int32_t x = 1; x < kCaveWidth; ++x) {
        ListSelect(ColumnList, x);
        *ListCurrent(ColumnList) = PassageAt(x);
        PaintCaveColumn(x);
    }
    EndDrawing();
}

// False when the ball's image cannot be made.
bool DrawBall(std::int32_t centreX) {
    const CaveColumn column = PassageAt(centreX);
    const std::int32_t centreY = static_cast<std::int32_t>((column.Upper + column.Lower) / 2.0f);
    if (!CreatePlayer(kBallRadius, 1.0f, PackRGB(255, 0, 0), 200)) return false;
    SetBlitTarget(kCaveSprite);
    BlitImageKeyed(kBallSprite, centreX - kBallRadius, centreY - kBallRadius);
    SetBlitTarget(-1);
    return true;
}

// Coverage of the pixel at (x, y) by a square of `size` with corners of radius r, 0..255,
// sampled 4x4 per pixel.
std::uint32_t CornerAlpha(std::int32_t x, std::int32_t y, std::int32_t size, std::int32_t r) {
    std::int32_t inside = 0;
    for (std::int32_t sy = 0; sy < 4; ++sy) {
        for (std::int32_t sx = 0; sx < 4; ++sx) {
            const double px = x + (sx + 0.5) / 4.0;
            const double py = y + (sy + 0.5) / 4.0;
            const double cx = std::fmin(std::fmax(px, r), size - r);
            const double cy = std::fmin(std::fmax(py, r), size - r);
            inside += (px - cx) * (px - cx) + (py - cy) * (py - cy) <= double(r) * r ? 1 : 0;
        }
    }
    return static_cast<std::uint32_t>(inside * 255 / 16);
}

// How much of source pixel i lies within [start, end).
double Overlap(std::int32_t i, double start, double end) {
    return std::fmax(0.0, std::fmin(i + 1.0, end) - std::fmax(double(i), start));
}

std::uint32_t Average(const double sum[4], double area) {
    auto channel = [](double value) { return static_cast<std::uint32_t>(std::lround(value)); };
    std::uint32_t pixel = channel(sum[0] / area) << 24;
    for (int c = 1; c < 4 && sum[0] > 0; ++c) pixel |= channel(sum[c] / sum[0]) << (24 - 8 * c);
    return pixel;
}

// The start-up cave repainted along the icon's passage, with the ball in it; false when the game
// cannot start or the ball's image cannot be made.
bool PaintScene(std::int32_t left) {
    if (harness::StartGame({.Seed = kSeed}) != 0) return false;
    RepaintCave();
    return DrawBall(left + kSceneSize / 2);
}

}  // namespace

IconPicture PaintIconScene() {
    const std::int32_t left = (kCaveWidth - kSceneSize) / 2;
    if (!PaintScene(left)) {
        ShutDown();
        return {};
    }

    const ImageView cave = PeekImage(kCaveSprite);
    IconPicture scene;
    scene.Size = kSceneSize;
    scene.Pixels.resize(static_cast<std::size_t>(kSceneSize) * kSceneSize);
    for (std::int32_t y = 0; y < kSceneSize; ++y) {
        for (std::int32_t x = 0; x < kSceneSize; ++x) {
            scene.Pixels[y * kSceneSize + x] = 0xFF000000u | cave.Pixels[y * cave.Width + left + x];
        }
    }
    ShutDown();
    return scene;
}

IconPicture RoundIconCorners(const IconPicture& scene) {
    IconPicture icon;
    icon.Size = scene.Size + 2 * kMargin;
    icon.Pixels.assign(static_cast<std::size_t>(icon.Size) * icon.Size, 0);
    for (std::int32_t y = 0; y < scene.Size; ++y) {
        for (std::int32_t x = 0; x < scene.Size; ++x) {
            const std::uint32_t alpha = CornerAlpha(x, y, scene.Size, kCornerRadius);
            const std::uint32_t rgb = scene.Pixels[y * scene.Size + x] & 0xFFFFFFu;
            icon.Pixels[(y + kMargin) * icon.Size + x + kMargin] = alpha << 24 | rgb;
        }
    }
    return icon;
}

namespace {

IconPicture EnlargeIcon(const IconPicture& from, std::int32_t size) {
    IconPicture to;
    to.Size = size;
    to.Pixels.resize(static_cast<std::size_t>(size) * size);
    for (std::int32_t y = 0; y < size; ++y) {
        for (std::int32_t x = 0; x < size; ++x) {
            to.Pixels[y * size + x] =
                from.Pixels[y * from.Size / size * from.Size + x * from.Size / size];
        }
    }
    return to;
}

IconPicture ShrinkIcon(const IconPicture& from, std::int32_t size) {
    IconPicture to;
    to.Size = size;
    to.Pixels.resize(static_cast<std::size_t>(size) * size);
    const double step = static_cast<double>(from.Size) / size;
    for (std::int32_t y = 0; y < size; ++y) {
        for (std::int32_t x = 0; x < size; ++x) {
            double sum[4] = {};  // alpha, then red, green and blue times alpha
            for (std::int32_t sy = static_cast<std::int32_t>(y * step); sy < (y + 1) * step; ++sy) {
                const double wy = Overlap(sy, y * step, (y + 1) * step);
                for (std::int32_t sx = static_cast<std::int32_t>(x * step); sx < (x + 1) * step;
                     ++sx) {
                    const double w = wy * Overlap(sx, x * step, (x + 1) * step);
                    const std::uint32_t p = from.Pixels[sy * from.Size + sx];
                    const double a = w * (p >> 24);
                    sum[0] += a;
                    for (int c = 1; c < 4; ++c) sum[c] += a * (p >> (24 - 8 * c) & 255u);
                }
            }
            to.Pixels[y * size + x] = Average(sum, step * step);
        }
    }
    return to;
}

}  // namespace

IconPicture ScaleIcon(const IconPicture& from, std::int32_t size) {
    if (size == from.Size) return from;
    return size > from.Size ? EnlargeIcon(from, size) : ShrinkIcon(from, size);
}
