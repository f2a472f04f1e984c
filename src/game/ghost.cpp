#include "game/ghost.h"

#include <algorithm>

#include "cave/cave.h"
#include "cave/rounding.h"
#include "game/ball.h"
#include "platform/display.h"
#include "platform/drawing.h"

GhostRace Race;

namespace {

// A grey ring with a hollow middle: plain beside the filled, coloured live balls.
constexpr std::int32_t kGhostRadius = 4;
constexpr std::int32_t kGhostGrey = 150;

// The column under x, found once a frame for all the ghosts at that x (every flying ghost is
// at 160), and read without moving the cursor the live balls left.
struct ColumnCache {
    std::int32_t X = -1;
    const CaveColumn* Column = nullptr;
};
ColumnCache Cache;

const CaveColumn& PeekColumn(std::int32_t x) {
    x = std::clamp(x, 0, ListCount(ColumnList) - 1);
    if (x != Cache.X) {
        const List<CaveColumn>::Node* node = ColumnList.First;
        for (std::int32_t i = 0; i < x; ++i) node = node->Next;
        Cache = {x, &node->Rec};
    }
    return *Cache.Column;
}

bool MakeGhostImage() {
    const std::int32_t side = 2 * kGhostRadius;
    if (CreateImage(kGhostSprite, side, side) == 0) return false;
    BeginDrawing(ImageTarget(kGhostSprite));
    SetDrawMode(kOutlineOnly);
    FillCircle(kGhostRadius, kGhostRadius, kGhostRadius - 1,
               PackRGB(kGhostGrey, kGhostGrey, kGhostGrey));
    EndDrawing();
    return true;
}

}  // namespace

bool AddGhost(std::vector<std::uint32_t> liftChanges) {
    if (Race.Ghosts.empty() && !MakeGhostImage()) return false;
    Ghost& ghost = Race.Ghosts.emplace_back();
    ghost.Ball = Player{160.0f, 120.0f, 0.0f, 0.0f, 1.0f, 0.16f, 4.0f, kGhostSprite, 0, 0, 0, 0};
    ghost.LiftChanges = std::move(liftChanges);
    return true;
}

void MoveGhosts() {
    if (Race.Ghosts.empty()) return;
    const std::uint32_t frame = ++Race.Frames;
    Cache = {};  // the cave has scrolled since the last frame
    for (Ghost& ghost : Race.Ghosts) {
        while (ghost.NextChange < ghost.LiftChanges.size() &&
               ghost.LiftChanges[ghost.NextChange] <= frame) {
            ghost.Held = !ghost.Held;
            ++ghost.NextChange;
        }
        FlyBall(ghost.Ball, ghost.Held, PeekColumn);
    }
    Race.Standings.clear();
    for (const List<Player>::Node* node = PlayerList.First; node != nullptr; node = node->Next) {
        Race.Standings.push_back(StandingOf(node->Rec));
    }
}

RaceStanding StandingOf(const Player& live) {
    RaceStanding standing{1, static_cast<std::int32_t>(Race.Ghosts.size()) + 1, 0};
    for (const Ghost& ghost : Race.Ghosts) {
        const bool flying = ghost.Ball.Crashed == 0;
        standing.Flying += flying ? 1 : 0;
        if (flying || ghost.Ball.Score > live.Score) ++standing.Place;
    }
    return standing;
}

void DrawGhosts() {
    for (const Ghost& ghost : Race.Ghosts) {
        BlitImageKeyed(kGhostSprite, RoundToInt(ghost.Ball.X), RoundToInt(ghost.Ball.Y));
    }
}
