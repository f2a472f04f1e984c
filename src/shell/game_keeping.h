// What the real program keeps of each game: its demo, in the --record file and, after a score
// report, in the best scores. Tools and tests that run games keep nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/key_script.h"
#include "shell/daily_cave.h"

struct GameKeeping {
    std::optional<Demo> Playback;  // the game is this demo played back
    std::string RecordPath;        // empty: no --record file
    bool BestScores = false;
    CaveChoice Cave;  // the cave a new game flies; a random one is seeded by the start tick
};

void SetGameKeeping(GameKeeping keeping);
// The demo to play back, or none.
const Demo* PlaybackDemo();
// The seed a new game is to fly, when a cave was chosen.
std::optional<std::uint32_t> ChosenSeed();
// The game has ended: with its points when it ended with the score report.
void KeepGame(std::optional<std::int32_t> reportedPoints);
// The points of the last game kept, when it ended with the score report.
std::optional<std::int32_t> LastReportedPoints();
