#include "platform/key_recorder.h"

#include <algorithm>
#include <cstring>

#include "platform/keyboard.h"
#include "platform/platform_reset.h"

namespace {

constexpr std::uint8_t kDownBit = 0x80;
// Changes kept before the first growth: a player pressing Up twice a second for half an hour.
constexpr std::size_t kReservedChanges = 4096;

struct KeyRecorder {
    Demo Recording;
    std::uint32_t Polls = 0;
    std::uint8_t Last[256] = {};  // the previous snapshot; every key starts up
    bool Playing = false;
    Demo Playback;  // sorted by poll, in file order within one poll
    std::size_t NextChange = 0;
    std::uint8_t PlayedKeys[256] = {};
};
KeyRecorder Recorder;

void NoteChanges(const std::uint8_t keys[256]) {
    if (std::memcmp(keys, Recorder.Last, sizeof Recorder.Last) == 0) return;
    for (int code = 0; code < 256; ++code) {
        const bool down = (keys[code] & kDownBit) != 0;
        if (down != ((Recorder.Last[code] & kDownBit) != 0)) {
            Recorder.Recording.Changes.push_back(
                {Recorder.Polls, static_cast<std::uint8_t>(code), down});
        }
    }
    std::memcpy(Recorder.Last, keys, sizeof Recorder.Last);
}

void PlayChanges(std::uint8_t keys[256]) {
    const std::vector<KeyChange>& changes = Recorder.Playback.Changes;
    while (Recorder.NextChange < changes.size() &&
           changes[Recorder.NextChange].Poll <= Recorder.Polls) {
        const KeyChange& change = changes[Recorder.NextChange++];
        Recorder.PlayedKeys[change.Code] = change.Down ? kDownBit : 0;
    }
    const std::uint8_t escape = keys[kKeyEscape] | Recorder.PlayedKeys[kKeyEscape];
    std::memcpy(keys, Recorder.PlayedKeys, sizeof Recorder.PlayedKeys);
    keys[kKeyEscape] = escape;
}

}  // namespace

void StartKeyRecording(std::uint32_t seed, const Demo* playback, std::int32_t players) {
    ResetKeyRecorderState();
    Recorder.Recording.Seed = seed;
    Recorder.Recording.Players = playback != nullptr ? playback->Players : players;
    Recorder.Recording.Changes.reserve(kReservedChanges);
    if (playback == nullptr) return;
    Recorder.Playing = true;
    Recorder.Playback = *playback;
    std::stable_sort(Recorder.Playback.Changes.begin(), Recorder.Playback.Changes.end(),
                     [](const KeyChange& a, const KeyChange& b) { return a.Poll < b.Poll; });
}

void RecordKeySnapshot(std::uint8_t keys[256]) {
    ++Recorder.Polls;
    if (Recorder.Playing) PlayChanges(keys);
    NoteChanges(keys);
}

const Demo& KeyRecording() { return Recorder.Recording; }

// The recording's memory is kept for the next game.
void ResetKeyRecorderState() {
    Recorder.Recording.Seed = 0;
    Recorder.Recording.Players = 1;
    Recorder.Recording.Changes.clear();
    Recorder.Polls = 0;
    std::memset(Recorder.Last, 0, sizeof Recorder.Last);
    Recorder.Playing = false;
    Recorder.Playback = Demo{};
    Recorder.NextChange = 0;
    std::memset(Recorder.PlayedKeys, 0, sizeof Recorder.PlayedKeys);
}
