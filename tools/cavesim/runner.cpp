#include "runner.h"

#include <algorithm>
#include <string>

#include "cave/cave.h"
#include "crc32.h"
#include "game/frame_loop.h"
#include "game/ghost.h"
#include "game/player.h"
#include "headless_game.h"
#include "platform/display.h"
#include "ppm.h"
#include "shell/program.h"
#include "shell/shutdown.h"

namespace headless = host::headless;

namespace {

enum class EndKind { Report, Quit, Limit, Paused, Error };

// What the watcher and the end of the run share.
struct RunState {
    std::FILE* Trace = nullptr;
    std::optional<std::uint32_t> FrameLimit;
    std::uint64_t LastScriptPoll = 0;
    bool KeepCave = false;
    bool KeepFlying = false;
    std::uint64_t Frames = 0;
    std::vector<std::uint32_t> Cave;  // the cave image as the run ended
    EndKind Stop = EndKind::Limit;    // why the watcher stopped the game
    std::string MessageText;          // the last message box
};

std::uint32_t CaveCrc() {
    const ImageView cave = PeekImage(kCaveSprite);
    return Crc32OfPixels(cave.Pixels, static_cast<std::size_t>(cave.Width) * cave.Height);
}

void KeepCave(RunState& run) {
    if (!run.KeepCave) return;
    const ImageView cave = PeekImage(kCaveSprite);
    if (cave.Pixels == nullptr) return;
    run.Cave.assign(cave.Pixels, cave.Pixels + static_cast<std::size_t>(cave.Width) * cave.Height);
}

// Returns false, which stops the game.
bool StopAt(RunState& run, EndKind kind) {
    run.Stop = kind;
    return false;
}

// Every ball after the first: 'P <n> ...' for player n, 'G <n> ...' for ghost n, each with its
// X, Y, VelY, Score and Crashed as the first ball's line has them.
void WriteBallLine(const RunState& run, char kind, std::size_t n, const Player& ball) {
    std::fprintf(run.Trace, "%c %zu %.9g %.9g %.9g %d %d\n", kind, n, static_cast<double>(ball.X),
                 static_cast<double>(ball.Y), static_cast<double>(ball.VelY), ball.Score,
                 ball.Crashed);
}

void WriteOtherBalls(const RunState& run) {
    std::size_t n = 1;
    for (const List<Player>::Node* node = PlayerList.First->Next; node != nullptr;
         node = node->Next) {
        WriteBallLine(run, 'P', ++n, node->Rec);
    }
    n = 0;
    for (const Ghost& ghost : Race.Ghosts) WriteBallLine(run, 'G', ++n, ghost.Ball);
}

void WriteFrameLine(const RunState& run) {
    const Player& player = PlayerList.First->Rec;
    const RgbColour& rock = Look.RockColour;
    const CaveColumn& column = harness::ColumnAt(160);
    std::fprintf(run.Trace, "F %llu %llu %.9g %.9g %.9g %d %d %d %d %d %.9g %.9g %08x\n",
                 static_cast<unsigned long long>(run.Frames),
                 static_cast<unsigned long long>(headless::PollCount()),
                 static_cast<double>(player.X), static_cast<double>(player.Y),
                 static_cast<double>(player.VelY), player.Score, player.Crashed, rock.Red,
                 rock.Green, rock.Blue, static_cast<double>(column.Upper),
                 static_cast<double>(column.Lower), CaveCrc());
    WriteOtherBalls(run);
}

class TraceWatcher : public GameWatcher {
  public:
    explicit TraceWatcher(RunState& run) : run(run) {}
    bool GameStarts() override {
        if (run.Trace != nullptr) {
            const RgbColour& rock = Look.RockColour;
            std::fprintf(run.Trace, "I %d %d %d %08x\n", rock.Red, rock.Green, rock.Blue,
                         CaveCrc());
        }
        return run.FrameLimit == 0u ? StopAt(run, EndKind::Limit) : true;
    }
    bool FrameEnded() override {
        ++run.Frames;
        if (run.Trace != nullptr) WriteFrameLine(run);
        if (run.KeepFlying) harness::KeepBallInPassage();
        // A quit in the last allowed frame still ends as a quit.
        if (Loop.QuitRequested == 0 && run.FrameLimit == run.Frames)
            return StopAt(run, EndKind::Limit);
        return true;
    }
    // Once every scripted poll has been read, the keys can never change again: a pause that is
    // still on then lasts for ever.
    bool PauseTurnStarts() override {
        return headless::PollCount() >= run.LastScriptPoll ? StopAt(run, EndKind::Paused) : true;
    }

  private:
    RunState& run;
};

EndKind EndOf(const RunState& run, const GameOutcome& outcome) {
    switch (outcome.How) {
        case GameOutcome::Ending::Report:
            return EndKind::Report;
        case GameOutcome::Ending::Fatal:
            return EndKind::Error;
        case GameOutcome::Ending::Stopped:
            return run.Stop;
        case GameOutcome::Ending::Quit:
            break;
    }
    return EndKind::Quit;
}

void WriteEndLine(const RunState& run, EndKind end) {
    std::string line = "E ";
    if (end == EndKind::Report) {
        line += "report ";
        for (const char c : run.MessageText)
            line += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    if (end == EndKind::Quit) line += "quit";
    if (end == EndKind::Limit) line += "limit";
    if (end == EndKind::Paused) line += "paused";
    std::fprintf(run.Trace, "%s\n", line.c_str());
}

// Returns the file that could not be written, empty when all were.
std::string WriteDumps(RunState& run, const Options& options) {
    const std::size_t size = static_cast<std::size_t>(kCaveWidth) * kCaveHeight;
    if (!options.DumpFrame.empty()) {
        std::vector<std::uint32_t> picture = headless::LastPicture();
        // Before any present the screen is black.
        if (picture.empty()) picture.assign(size, 0);
        if (!WritePpm(options.DumpFrame, picture.data(), kCaveWidth, kCaveHeight)) {
            return options.DumpFrame;
        }
    }
    if (!options.DumpCave.empty()) {
        if (run.Cave.empty()) run.Cave.assign(size, 0);
        if (!WritePpm(options.DumpCave, run.Cave.data(), kCaveWidth, kCaveHeight)) {
            return options.DumpCave;
        }
    }
    return {};
}

}  // namespace

int RunCavesim(const Options& options, const std::vector<headless::KeyEvent>& events,
               std::FILE* trace, const std::vector<Demo>& ghosts) {
    RunState run;
    run.Trace = trace;
    run.FrameLimit = options.Frames;
    run.KeepCave = !options.DumpCave.empty();
    run.KeepFlying = options.KeepFlying;
    for (const headless::KeyEvent& event : events) {
        run.LastScriptPoll = std::max<std::uint64_t>(run.LastScriptPoll, event.Poll);
    }
    TraceWatcher watcher(run);
    const GameOutcome outcome = harness::PlayUntilEnd(
        {.Seed = options.Seed, .Script = events, .Players = options.Players, .Ghosts = ghosts},
        &watcher);
    // The cave as the game ended, before the shutdown path frees it; the box comes with it.
    KeepCave(run);
    headless::SetMessageHook(
        [&run](const headless::Message& message) { run.MessageText = message.Text; });
    const int status = EndProgram(outcome);
    headless::SetMessageHook(nullptr);
    const EndKind end = EndOf(run, outcome);

    if (end == EndKind::Error) {
        std::fprintf(stderr, "cavesim: the game failed: %s\n", run.MessageText.c_str());
    } else if (trace != nullptr) {
        WriteEndLine(run, end);
    }
    const std::string unwritten = WriteDumps(run, options);
    if (!unwritten.empty()) {
        std::fprintf(stderr, "cavesim: cannot write the picture '%s'\n", unwritten.c_str());
        return 2;
    }
    return status;
}
