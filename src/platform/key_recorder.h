// Every keyboard snapshot of a game, kept as the key changes between snapshots, so that the game
// can be saved as a demo; and the playback of a demo in place of the keyboard.
#pragma once

#include <cstdint>

#include "platform/key_script.h"

// A new recording for a game of `players` started with `seed`. With a demo to play, every later
// snapshot shows the demo's keys instead of the keyboard's, but for Escape: the viewer can still
// quit; the recording then has the demo's players.
void StartKeyRecording(std::uint32_t seed, const Demo* playback, std::int32_t players = 1);
// Takes the snapshot of the next poll: the keyboard's keys in, what the game is to see out.
void RecordKeySnapshot(std::uint8_t keys[256]);
// The game so far, as a demo.
const Demo& KeyRecording();
