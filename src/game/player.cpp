#include "game/player.h"

#include <cmath>

#include "cave/rounding.h"
#include "platform/display.h"
#include "platform/drawing.h"

List<Player> PlayerList;

namespace {

constexpr std::int32_t kFirstSpriteId = 10;  // image 1 is the cave
constexpr double kPi = 3.1415929794311523;   // the single-precision value the shading uses

std::int32_t ShadeChannel(std::int32_t channel, double factor) {
    return RoundToInt(static_cast<float>(channel * factor));
}

// The colour of ring `ring` (0 = centre) of a ball image: darker towards the rim.
std::int32_t BallShade(std::int32_t colour, std::int32_t radius, std::int32_t ring) {
    const double f = std::cos(ring * kPi / (radius * 2.0));
    return PackRGB(ShadeChannel(RedOf(colour), f), ShadeChannel(GreenOf(colour), f),
                   ShadeChannel(BlueOf(colour), f));
}

// Concentric circles from the outside in, darkening towards the rim; the outermost comes out
// black, which is the images' transparent colour.
void DrawShadedBall(std::int32_t radius, std::int32_t colour) {
    SetDrawMode(0);
    for (std::int32_t i = radius; i >= 0; --i) {
        FillCircle(radius, radius, i, BallShade(colour, radius, i));
    }
}

}  // namespace

void AddPlayerRecord() {
    const Player* current = ListCurrent(PlayerList);
    const std::int32_t spriteId = current != nullptr ? current->SpriteId + 1 : kFirstSpriteId;
    Player* player = ListAdd(PlayerList);
    player->X = 160.0f;
    player->Y = 120.0f;
    player->Lift = 0.16f;
    player->Radius = 4.0f;
    player->SpriteId = spriteId;
}

bool CreatePlayer(std::int32_t radius, float gravityScale, std::int32_t colour, std::int32_t key) {
    AddPlayerRecord();
    Player* player = ListCurrent(PlayerList);
    player->Colour = colour;
    player->GravityScale = gravityScale;
    player->Key = key;
    if (CreateImage(player->SpriteId, 2 * radius, 2 * radius) == 0) return false;
    BeginDrawing(ImageTarget(player->SpriteId));
    DrawShadedBall(radius, colour);
    EndDrawing();
    return true;
}
