// What the browser's program needs of the web host beyond the seam: the page's say between
// games.
#pragma once

#include <cstdint>
#include <string>

namespace host::web {

// What the page is told of a game that has ended.
struct EndedGame {
    int Status = 0;
    std::string Payload;  // the game's watch payload
    std::uint32_t Seed = 0;
    std::string Cave;      // "random", "cave-N" or "daily-YYYY-MM-DD"
    int Points = -1;       // -1: the game ended without the score report
    bool Watched = false;  // a run played back, not a new game
    int Players = 1;       // balls flown by people; only a game of one has a watch link
};

// What the page asks the first game to be (from its address); see AwaitNewGame.
std::string FirstGameRequest();
// Tells the page that a game has ended and waits until the player asks it for another: "" for a
// random cave, "daily", "cave N" or "watch TEXT".
std::string AwaitNewGame(const EndedGame& game);
// Waits until a player of the game's `players` holds something that lifts a ball (a player's
// key, a finger or the mouse on the play area, a pad's lift), or the page asks for another game,
// the page showing its prompt meanwhile.
void AwaitLift(int players);

}  // namespace host::web
