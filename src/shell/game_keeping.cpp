#include "shell/game_keeping.h"

#include <cstdio>

#include "platform/key_recorder.h"
#include "platform/user_files.h"
#include "shell/best_scores.h"

namespace {

GameKeeping Keeping;
std::optional<std::int32_t> LastPoints;

}  // namespace

void SetGameKeeping(GameKeeping keeping) { Keeping = std::move(keeping); }

const Demo* PlaybackDemo() { return Keeping.Playback ? &*Keeping.Playback : nullptr; }

const Company& GameCompany() { return Keeping.Fliers; }

std::optional<std::int32_t> LastReportedPoints() { return LastPoints; }

std::optional<std::uint32_t> ChosenSeed() {
    if (Keeping.Cave.How == CaveChoice::Kind::Random) return std::nullopt;
    return Keeping.Cave.Seed;
}

void KeepGame(std::optional<std::int32_t> reportedPoints) {
    LastPoints = reportedPoints;
    const Demo& game = KeyRecording();
    if (!Keeping.RecordPath.empty() && !ReplaceTextFile(Keeping.RecordPath, DemoText(game))) {
        std::fprintf(stderr, "cave: cannot write the demo '%s'\n", Keeping.RecordPath.c_str());
    }
    // A demo played back is no new game.
    if (Keeping.BestScores && reportedPoints && !Keeping.Playback && game.Players == 1) {
        AddBestScore(UserDataFolder(), *reportedPoints, DemoText(game), CaveLabel(Keeping.Cave));
    }
}
