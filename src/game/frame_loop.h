// The game's one frame loop, what it keeps from frame to frame, and how a game ends.
#pragma once

#include <cstdint>
#include <vector>

struct FrameLoop {
    std::int32_t FpsFrameCount;    // frames begun since FpsWindowStart
    std::uint32_t FpsWindowStart;  // millisecond tick
    std::int32_t QuitRequested;    // Escape was released; honoured at the end of the frame
    std::int32_t Paused;
    std::int32_t AnyFlying;
};
extern FrameLoop Loop;

// How a game ended. RunGame returns it and shows nothing: the caller shows the box it calls for
// and shuts down, or plays again, or saves a recording first.
struct GameOutcome {
    enum class Ending {
        Quit,     // Escape: no report
        Report,   // no ball flying any more: Scores holds the score report
        Fatal,    // start-up failed: Error holds the fatal error's number
        Stopped,  // a GameWatcher stopped the game
    };
    Ending How = Ending::Quit;
    std::vector<std::int32_t> Scores;  // every player's Score, in roster order
    std::int32_t Error = 0;
};

// Lets a runner watch the game (traces, frame limits, recordings) without the game knowing about
// it. Each call returns true to go on; false stops the game at once and RunGame returns Stopped.
class GameWatcher {
  public:
    virtual ~GameWatcher() = default;
    virtual bool GameStarts() { return true; }       // before the first frame
    virtual bool FrameEnded() { return true; }       // after each running frame and its pause
    virtual bool PauseTurnStarts() { return true; }  // at the start of each turn of the pause loop
};

// Plays frames until the game ends; the watcher may be nullptr.
GameOutcome RunGame(GameWatcher* watcher = nullptr);
// The two halves of a running frame around its present, so that a driver can run frames without
// the pacing wait. StartFrame counts the frame, reads the keys and moves the balls (setting
// Loop.AnyFlying); ComposePicture draws the next picture into the back buffer.
void StartFrame();
void ComposePicture();
// The game as it stands into the back buffer, moving nothing: what a game waiting for its first
// frame shows.
void DrawPicture();
