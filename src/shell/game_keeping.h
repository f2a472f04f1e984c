// What the real program keeps of each game: its demo, in the --record file and, after a score
// report, in the best scores. Tools and tests that run games keep nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/key_script.h"
#include "shell/daily_cave.h"
#include "shell/program.h"

struct GameKeeping {
    std::optional<Demo> Playback;  // the game is this demo played back
    std::string RecordPath;        // empty: no --record file
    bool BestScores = false;
    CaveChoice Cave;      // the cave a new game flies; a random one is seeded by the start tick
    Company Fliers = {};  // more players and ghosts beside player 1
};

void SetGameKeeping(GameKeeping keeping);
// The demo to play back, or none.
const Demo* PlaybackDemo();
// The players and ghosts of a new game.
const Company& GameCompany();
// The seed a new game is to fly, when a cave was chosen.
std::optional<std::uint32_t> ChosenSeed();
// The game has ended: with player 1's points when it ended with the score report. Only a
// game of one player enters the best scores.
void KeepGame(std::optional<std::int32_t> reportedPoints);
// The points of the last game kept, when it ended with the score report.
std::optional<std::int32_t> LastReportedPoints();
