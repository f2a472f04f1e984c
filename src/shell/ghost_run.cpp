#include "shell/ghost_run.h"

#include <algorithm>

#include "platform/keyboard.h"

namespace {

// The recorded keyboard, poll by poll, with the release latches the frame loop reads.
struct RecordedKeys {
    std::vector<KeyChange> Changes;  // sorted by poll, file order within one poll
    std::size_t Next = 0;
    std::uint32_t Polls = 0;
    bool Down[256] = {};
    bool Latch[256] = {};

    void Poll() {
        ++Polls;
        while (Next < Changes.size() && Changes[Next].Poll <= Polls) {
            Down[Changes[Next].Code] = Changes[Next].Down;
            ++Next;
        }
    }
    bool Released(std::int32_t key) {
        if (Down[key]) return !(Latch[key] = true);
        const bool released = Latch[key];
        Latch[key] = false;
        return released;
    }
    bool Finished() const { return Next == Changes.size(); }
};

}  // namespace

std::vector<std::uint32_t> GhostLiftFrames(const Demo& run, std::uint8_t key) {
    RecordedKeys keys{run.Changes};
    std::stable_sort(keys.Changes.begin(), keys.Changes.end(),
                     [](const KeyChange& a, const KeyChange& b) { return a.Poll < b.Poll; });
    std::vector<std::uint32_t> flips;
    std::uint32_t frame = 0;
    bool held = false;
    bool quit = false;
    // Past its last change the run's keys stay as they are, and so does the lift.
    while (!quit && !keys.Finished()) {
        keys.Poll();
        quit = keys.Released(kKeyEscape);
        bool paused = keys.Released(kKeyP);
        ++frame;
        if (keys.Down[key] != held) {
            held = !held;
            flips.push_back(frame);
        }
        while (paused && !keys.Finished()) {
            keys.Poll();
            const bool resumed = keys.Released(kKeyP);
            const bool quitting = keys.Released(kKeyEscape);
            paused = !resumed && !quitting;
            quit = quit || quitting;
        }
    }
    if (quit && held) flips.push_back(frame + 1);
    return flips;
}
