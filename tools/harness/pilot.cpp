// The pilot: before each frame it searches the passage the display already shows for a way
// through, Up or not, and takes its first step; an aiming rule breaks ties and stands in when
// the search finds nothing.
#include "pilot.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "cave/cave.h"
#include "game/ball.h"
#include "game/player.h"
#include "headless_game.h"
#include "platform/key_recorder.h"
#include "platform/key_script.h"
#include "shell/shutdown.h"

namespace harness {

namespace headless = host::headless;

namespace {

constexpr std::uint8_t kUp = 200;
constexpr std::size_t kHorizon = 75;  // frames ahead whose columns are already on the display
constexpr std::size_t kAim = 8;       // frames ahead whose passage the ball aims for
constexpr std::int32_t kSearchBudget = 20000;  // frames one search may try

struct Ball {
    float Y;
    float VelY;
};

// One running frame of the ball, as the game moves it.
Ball Step(const Player& player, Ball ball, bool up) {
    ball.Y = static_cast<float>(ball.Y + ball.VelY * 2.0);
    ball.VelY = static_cast<float>(ball.VelY + static_cast<double>(player.GravityScale) *
                                                   static_cast<double>(kGravity));
    if (up) ball.VelY = static_cast<float>(static_cast<double>(ball.VelY) - player.Lift);
    return ball;
}

// The aiming pilot: Up when the ball, braked from now on (by Up when it falls, by
// gravity when it rises), would come to rest below the middle of the passage a little ahead.
bool Aims(const Player& player, Ball ball, const std::vector<CaveColumn>& ahead, std::size_t j) {
    const CaveColumn& column = ahead[std::min(j + kAim, ahead.size() - 1)];
    const double middle = (static_cast<double>(column.Upper) + column.Lower) / 2.0;
    const double gravity = static_cast<double>(player.GravityScale) * kGravity;
    const double brake = ball.VelY > 0 ? player.Lift - gravity : gravity;
    // Each frame moves the ball by twice its speed.
    const double rest = ball.Y + player.Radius + ball.VelY * std::abs(ball.VelY) / brake;
    return rest > middle;
}

// A search for a way through the columns of `ahead`: whether the ball, as it is before frame j,
// passes them all from j on with Up held (`up`) in frame j, the aiming pilot's choice tried first
// in every later frame. `budget` bounds the frames tried, as a passage the ball cannot get
// through would take for ever to rule out. Frame j meets the column that is now 2j to the right
// of the ball; touching is judged at the ball's centre.
bool Passes(const Player& player, Ball ball, const std::vector<CaveColumn>& ahead, std::size_t j,
            bool up, std::int32_t& budget) {
    if (j == ahead.size()) return true;
    if (--budget < 0) return false;
    ball = Step(player, ball, up);
    const double centre = static_cast<double>(ball.Y) + player.Radius;
    if (centre < ahead[j].Upper || centre > ahead[j].Lower) return false;
    const bool aimed = Aims(player, ball, ahead, j + 1);
    return Passes(player, ball, ahead, j + 1, aimed, budget) ||
           Passes(player, ball, ahead, j + 1, !aimed, budget);
}

// The columns the ball meets in the coming frames, as far as the display already shows them.
std::vector<CaveColumn> ColumnsAhead(std::int32_t x) {
    std::vector<CaveColumn> ahead;
    std::int32_t at = 0;
    for (const List<CaveColumn>::Node* node = ColumnList.First; node != nullptr;
         node = node->Next, ++at) {
        if (at >= x && (at - x) % kScrollStep == 0) ahead.push_back(node->Rec);
        if (ahead.size() == kHorizon) break;
    }
    return ahead;
}

std::vector<CaveColumn> ColumnsAhead(const Player& player) {
    return ColumnsAhead(static_cast<std::int32_t>(std::lround(player.X)));
}

// Whether a way through the passage ahead starts with Up held (`up`) in this frame.
bool WayStartsWith(const Player& player, bool up) {
    std::int32_t budget = kSearchBudget;
    return Passes(player, {player.Y, player.VelY}, ColumnsAhead(player), 0, up, budget);
}

// Up when a way through the passage ahead starts with it; the aiming pilot's choice when the
// search finds none.
bool WantsUp(const Player& player) {
    const bool aimed = Aims(player, {player.Y, player.VelY}, ColumnsAhead(player), 0);
    if (WayStartsWith(player, aimed)) return aimed;
    return WayStartsWith(player, !aimed) ? !aimed : aimed;
}

}  // namespace

std::optional<std::string> FlyDemo(std::uint32_t seed, std::uint64_t frames, std::uint32_t whim) {
    std::uint64_t flown = 0;
    bool held = false;
    std::minstd_rand whims(whim);
    // A player lets a key be while it still gets the ball through, most of the time.
    const auto keeps = [&](const Player& player) {
        return whim != 0 && whims() % 4 != 0 && WayStartsWith(player, held);
    };
    harness::Hooks pilot;
    // The host is fresh when the game starts: the pilot takes the keys from then on.
    pilot.OnGameStart = [&] {
        headless::SetPollHook([&](std::uint64_t poll) {
            const Player* player = PlayerList.First ? &PlayerList.First->Rec : nullptr;
            const bool wanted =
                flown < frames && player && (keeps(*player) ? held : WantsUp(*player));
            if (wanted == held) return;
            held = wanted;
            headless::SetKeyScript({{static_cast<std::uint32_t>(poll), kUp, held}});
        });
        return true;
    };
    pilot.OnFrameEnd = [&] {
        ++flown;
        return true;
    };
    const GameOutcome outcome = harness::PlayUntilEnd({.Seed = seed}, &pilot);
    headless::SetPollHook(nullptr);
    const bool lasted = outcome.How == GameOutcome::Ending::Report && flown > frames;
    const std::string demo = DemoText(KeyRecording());
    EndProgram(outcome);
    if (!lasted) return std::nullopt;
    return demo;
}

}  // namespace harness
