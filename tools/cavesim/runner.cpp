#include "runner.h"

#include <algorithm>
#include <string>

#include "cave/cave.h"
#include "crc32.h"
#include "game/frame_loop.h"
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
RunState Run;

std::uint32_t CaveCrc() {
    const ImageView cave = PeekImage(kCaveSprite);
    return Crc32OfPixels(cave.Pixels, static_cast<std::size_t>(cave.Width) * cave.Height);
}

void KeepCave() {
    if (!Run.KeepCave) return;
    const ImageView cave = PeekImage(kCaveSprite);
    if (cave.Pixels == nullptr) return;
    Run.Cave.assign(cave.Pixels, cave.Pixels + static_cast<std::size_t>(cave.Width) * cave.Height);
}

// Returns false, which stops the game.
bool StopAt(EndKind kind) {
    Run.Stop = kind;
    return false;
}

void WriteFrameLine() {
    const Player& player = PlayerList.First->Rec;
    const RgbColour& rock = Look.RockColour;
    const CaveColumn& column = harness::ColumnAt(160);
    std::fprintf(Run.Trace, "F %llu %llu %.9g %.9g %.9g %d %d %d %d %d %.9g %.9g %08x\n",
                 static_cast<unsigned long long>(Run.Frames),
                 static_cast<unsigned long long>(headless::PollCount()),
                 static_cast<double>(player.X), static_cast<double>(player.Y),
                 static_cast<double>(player.VelY), player.Score, player.Crashed, rock.Red,
                 rock.Green, rock.Blue, static_cast<double>(column.Upper),
                 static_cast<double>(column.Lower), CaveCrc());
}

class TraceWatcher : public GameWatcher {
  public:
    bool GameStarts() override {
        if (Run.Trace != nullptr) {
            const RgbColour& rock = Look.RockColour;
            std::fprintf(Run.Trace, "I %d %d %d %08x\n", rock.Red, rock.Green, rock.Blue,
                         CaveCrc());
        }
        return Run.FrameLimit == 0u ? StopAt(EndKind::Limit) : true;
    }
    bool FrameEnded() override {
        ++Run.Frames;
        if (Run.Trace != nullptr) WriteFrameLine();
        if (Run.KeepFlying) harness::KeepBallInPassage();
        // A quit in the last allowed frame still ends as a quit.
        if (Loop.QuitRequested == 0 && Run.FrameLimit == Run.Frames) return StopAt(EndKind::Limit);
        return true;
    }
    // Once every scripted poll has been read, the keys can never change again: a pause that is
    // still on then lasts for ever.
    bool PauseTurnStarts() override {
        return headless::PollCount() >= Run.LastScriptPoll ? StopAt(EndKind::Paused) : true;
    }
};

void OnMessage(const headless::Message& message) { Run.MessageText = message.Text; }

EndKind EndOf(const GameOutcome& outcome) {
    switch (outcome.How) {
        case GameOutcome::Ending::Report:
            return EndKind::Report;
        case GameOutcome::Ending::Fatal:
            return EndKind::Error;
        case GameOutcome::Ending::Stopped:
            return Run.Stop;
        case GameOutcome::Ending::Quit:
            break;
    }
    return EndKind::Quit;
}

void WriteEndLine(EndKind end) {
    std::string line = "E ";
    if (end == EndKind::Report) {
        line += "report ";
        for (const char c : Run.MessageText)
            line += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    if (end == EndKind::Quit) line += "quit";
    if (end == EndKind::Limit) line += "limit";
    if (end == EndKind::Paused) line += "paused";
    std::fprintf(Run.Trace, "%s\n", line.c_str());
}

// Returns the file that could not be written, empty when all were.
std::string WriteDumps(const Options& options) {
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
        if (Run.Cave.empty()) Run.Cave.assign(size, 0);
        if (!WritePpm(options.DumpCave, Run.Cave.data(), kCaveWidth, kCaveHeight)) {
            return options.DumpCave;
        }
    }
    return {};
}

}  // namespace

int RunCavesim(const Options& options, const std::vector<headless::KeyEvent>& events,
               std::FILE* trace) {
    Run = RunState{};
    Run.Trace = trace;
    Run.FrameLimit = options.Frames;
    Run.KeepCave = !options.DumpCave.empty();
    Run.KeepFlying = options.KeepFlying;
    for (const headless::KeyEvent& event : events) {
        Run.LastScriptPoll = std::max<std::uint64_t>(Run.LastScriptPoll, event.Poll);
    }
    TraceWatcher watcher;
    const GameOutcome outcome =
        harness::PlayUntilEnd({.Seed = options.Seed, .Script = events}, &watcher);
    // The cave as the game ended, before the shutdown path frees it; the box comes with it.
    KeepCave();
    headless::SetMessageHook(OnMessage);
    const int status = EndProgram(outcome);
    const EndKind end = EndOf(outcome);

    if (end == EndKind::Error) {
        std::fprintf(stderr, "cavesim: the game failed: %s\n", Run.MessageText.c_str());
    } else if (trace != nullptr) {
        WriteEndLine(end);
    }
    const std::string unwritten = WriteDumps(options);
    if (!unwritten.empty()) {
        std::fprintf(stderr, "cavesim: cannot write the picture '%s'\n", unwritten.c_str());
        return 2;
    }
    return status;
}
