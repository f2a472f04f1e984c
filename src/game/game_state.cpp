#include "game/game_state.h"

#include "cave/cave.h"
#include "game/frame_loop.h"
#include "game/ghost.h"
#include "game/player.h"

void ResetGameState() {
    ListDestroy(PlayerList);
    ListDestroy(ColumnList);
    Look = CaveLook{};
    Loop = FrameLoop{};
    Race = GhostRace{};
}
