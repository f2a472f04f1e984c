#include "game/ball.h"

#include <algorithm>

#include "cave/cave.h"
#include "cave/rounding.h"
#include "platform/keyboard.h"

namespace {

std::int32_t ScoreIncrement(const CaveColumn& column) {
    // The narrower the passage, the more a frame is worth.
    const std::int32_t n =
        RoundToInt(static_cast<double>(column.Upper) - column.Lower + kCaveHeight);
    return (n + n) * 100 / kCaveHeight;
}

// Touching is judged at the centre's height against both edges; touching an edge exactly is
// still flying.
bool TouchesRock(const CaveColumn& column, const Player& player) {
    const double centre = static_cast<double>(player.Y) + player.Radius;
    return column.Upper > centre || column.Lower < centre;
}

}  // namespace

const CaveColumn& SelectColumn(std::int32_t x) {
    // A ball off the display meets the nearest column on it.
    ListSelect(ColumnList, std::clamp(x, 0, ListCount(ColumnList) - 1));
    return *ListCurrent(ColumnList);
}

bool UpdatePlayer(Player& player) {
    return FlyBall(player, IsKeyDown(player.Key) != 0, SelectColumn);
}

bool FlyBall(Player& player, bool held, const CaveColumn& (*columnAt)(std::int32_t x)) {
    if (player.Crashed != 0) {
        // A crashed ball stays where it hit and moves with the rock.
        player.X = static_cast<float>(player.X - static_cast<double>(kScrollStep));
        return false;
    }
    // The position moves with last frame's velocity; the new velocity counts from the next one.
    player.X = static_cast<float>(player.X + player.VelX * 2.0);
    player.Y = static_cast<float>(player.Y + player.VelY * 2.0);
    player.VelY = static_cast<float>(player.VelY + static_cast<double>(player.GravityScale) *
                                                       static_cast<double>(kGravity));
    if (held) player.VelY = static_cast<float>(static_cast<double>(player.VelY) - player.Lift);

    const CaveColumn& column = columnAt(RoundToInt(player.X));
    player.Score += ScoreIncrement(column);
    if (TouchesRock(column, player)) player.Crashed = 1;
    return true;
}
