// The browser's program: one game after another in the same page. A page never ends; each
// game's ending is shown there, and the page's request (another game, today's cave, a given cave,
// a run to watch) starts the next one from a fresh start-up. Every game that ends with the score
// report is offered to the best scores, which the page shows from the browser's local storage.
#include <string>

#include "game/frame_loop.h"
#include "platform/display.h"
#include "platform/host/web_host.h"
#include "platform/key_recorder.h"
#include "platform/watch_link.h"
#include "shell/daily_cave.h"
#include "shell/game_keeping.h"
#include "shell/program.h"

namespace {

// "" for a random cave, "daily" for today's, "cave N" for the cave of seed N, "watch TEXT" for
// the run in TEXT (a demo, a watch link or its payload). The page checks a run before it asks
// for it (cave_demo_error); anything else it might send gives a random cave.
GameKeeping KeepingFor(const std::string& request) {
    GameKeeping keeping{std::nullopt, {}, true, {}};
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
            keeping.Playback.has_value()};
}

std::string Answer;  // the last text handed to the page

// A new game waits for its player: it shows the cave with the ball at its start until something
// lifts the ball, and its first frame then runs with the lift held, as a game whose Up was held
// from the start. A run being watched starts at once.
int RunGameFor(const GameKeeping& keeping) {
    const std::int32_t error = StartProgram(PlaybackDemo());
    if (error == 0 && !keeping.Playback) {
        DrawPicture();
        PresentFrame();
        host::web::AwaitLift();
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
