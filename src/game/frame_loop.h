// The game's one frame loop, and what it keeps from frame to frame.
#pragma once

#include <cstdint>

struct FrameLoop {
    std::int32_t FpsFrameCount;    // frames begun since FpsWindowStart
    std::uint32_t FpsWindowStart;  // millisecond tick
    std::int32_t QuitRequested;    // Escape was released; honoured at the end of the frame
    std::int32_t Paused;
    std::int32_t AnyFlying;
};
extern FrameLoop Loop;

// Lets a runner watch the game (traces, frame limits) without the game knowing about it. Unset
// hooks cost one test each. A hook may end the run by throwing.
struct FrameObserver {
    void (*GameStart)() = nullptr;  // before the first frame
    void (*FrameEnd)() = nullptr;   // after each completed running frame, pause turns included
    void (*PauseTurn)() = nullptr;  // at the start of each turn of the pause loop
};
extern FrameObserver Observer;

// Returns only when Escape was released; a game that ends by crashing ends the program.
void RunGame();
// The two halves of a running frame around its present, so that a driver can run frames without
// the pacing wait. StartFrame counts the frame, reads the keys and moves the balls (setting
// Loop.AnyFlying); ComposePicture draws the next picture into the back buffer.
void StartFrame();
void ComposePicture();
void DrawHud();
// A short text drawn on the picture, built without allocating.
struct ReadOut {
    char Text[24];
};
// "FPS: " and the rate over the current window; 0 when no time has passed.
ReadOut FpsReadOut(std::int32_t frames, std::uint32_t elapsed);
void DriftRockColour();
