// The browser's program: one game after another in the same page. A page never ends; each
// game's ending is shown there, and the page's request (another game, today's cave, a given cave,
// a run to watch) starts the next one from a fresh start-up. Every game that ends with the score
// report is offered to the best scores, which the page shows from the browser's local storage.
#include <string>
#include <vector>

#include "game/frame_loop.h"
#include "game/ghost.h"
#include "platform/display.h"
#include "platform/host/web_host.h"
#include "platform/key_recorder.h"
#include "platform/keyboard.h"
#include "platform/watch_link.h"
#include "shell/command_line.h"
#include "shell/daily_cave.h"
#include "shell/game_keeping.h"
#include "shell/program.h"

namespace {

// The cave of `request`'s first line: "" for a random cave, "daily" for today's, "cave N" for
// the cave of seed N, "watch TEXT" for the run in TEXT (a demo, a watch link or its payload).
// The page checks a run before it asks for it (cave_demo_error); anything else it might send
// gives a random cave.
void ChooseCave(const std::string& request, GameKeeping& keeping) {
    if (request == "daily") {
        const CivilDate today = TodayUtc();
        keeping.Cave = {CaveChoice::Kind::Daily, DailySeed(today), today};
    } else if (request.starts_with("cave ")) {
        if (const auto seed = ParseDecimal(request.substr(5), 0xFFFFFFFFu)) {
            keeping.Cave = {CaveChoice::Kind::Given, static_cast<std::uint32_t>(*seed), {}};
        }
    } else if (request.starts_with("watch ")) {
        ParsedDemo demo = ParseAnyDemo(request.substr(6));
        if (demo.Error.empty()) keeping.Playback = std::move(demo.Value);
    }
}

// Who flies a new game, from the request's further lines: "players N" (2 to 4) and "ghost
// PAYLOAD", once a ghost. A ghost from another cave than the game's is left out: the page has
// named it already. A random cave becomes the first ghost's.
void ChooseCompany(const std::vector<std::string>& lines, GameKeeping& keeping) {
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.starts_with("players ")) {
            const auto players = ParseDecimal(line.substr(8), kMaxPlayers);
            if (players && *players >= 1) keeping.Fliers.Players = static_cast<int>(*players);
        } else if (line.starts_with("ghost ") && keeping.Fliers.Ghosts.size() < kMaxGhosts) {
            ParsedDemo ghost = ParseAnyDemo(line.substr(6));
            if (!ghost.Error.empty()) continue;
            if (keeping.Cave.How == CaveChoice::Kind::Random) {
                keeping.Cave = {CaveChoice::Kind::Given, ghost.Value.Seed, {}};
            }
            if (ghost.Value.Seed == keeping.Cave.Seed) {
                keeping.Fliers.Ghosts.push_back(std::move(ghost.Value));
            }
        }
    }
}

// A request is a run to watch (a demo's text may take many lines), or a cave on its first line
// and then who flies with player 1.
GameKeeping KeepingFor(const std::string& request) {
    GameKeeping keeping{std::nullopt, {}, true, {}};
    if (request.starts_with("watch ")) {
        ChooseCave(request, keeping);
        return keeping;
    }
    const std::vector<std::string> lines = SplitLines(request);
    ChooseCave(lines.empty() ? std::string() : lines.front(), keeping);
    ChooseCompany(lines, keeping);
    return keeping;
}

// What the page is told of a game that has ended.
host::web::EndedGame Ended(int status, const GameKeeping& keeping) {
    const Demo& game = KeyRecording();
    return {status,
            WatchPayload(game),
            game.Seed,
            CaveLabel(keeping.Cave),
            LastReportedPoints().value_or(-1),
            keeping.Playback.has_value(),
            game.Players};
}

std::string Answer;  // the last text handed to the page

// A new game waits for its player: it shows the cave with the ball at its start until something
// lifts the ball, and its first frame then runs with the lift held, as a game whose Up was held
// from the start. A run being watched starts at once.
int RunGameFor(const GameKeeping& keeping) {
    const std::int32_t error = StartProgram(PlaybackDemo(), GameCompany());
    if (error == 0 && !keeping.Playback) {
        DrawPicture();
        PresentFrame();
        host::web::AwaitLift(KeyRecording().Players);
    }
    return RunStartedProgram(error);
}

}  // namespace

// The page's way to the demo code: the same reader and writer as every other build's.
extern "C" {

// The watch payload of a demo text, a watch link or a payload; "" when it is none.
const char* cave_watch_payload(const char* text) {
    const ParsedDemo demo = ParseAnyDemo(text);
    Answer = demo.Error.empty() ? WatchPayload(demo.Value) : std::string();
    return Answer.c_str();
}

// What is wrong with a demo text, a watch link or a payload; "" when nothing.
const char* cave_demo_error(const char* text) {
    Answer = ParseAnyDemo(text).Error;
    return Answer.c_str();
}

// The cave a run flies, or -1 when it is no run.
double cave_demo_seed(const char* text) {
    const ParsedDemo demo = ParseAnyDemo(text);
    return demo.Error.empty() ? static_cast<double>(demo.Value.Seed) : -1.0;
}

// Where the live players stand among the ghosts, as of the last frame flown (see RaceStanding):
// how many have a place, player `n`'s (from 0; 0 for none), and what every place is out of.
int cave_race_players() { return static_cast<int>(Race.Standings.size()); }
int cave_race_place(int n) {
    return n >= 0 && n < cave_race_players() ? Race.Standings[static_cast<std::size_t>(n)].Place
                                             : 0;
}
int cave_race_field() { return Race.Standings.empty() ? 0 : Race.Standings.front().Field; }
int cave_race_flying() { return Race.Standings.empty() ? 0 : Race.Standings.front().Flying; }
}

int main() {
    std::string request = host::web::FirstGameRequest();
    for (;;) {
        const GameKeeping keeping = KeepingFor(request);
        SetGameKeeping(keeping);
        const int status = RunGameFor(keeping);
        request = host::web::AwaitNewGame(Ended(status, keeping));
    }
}
