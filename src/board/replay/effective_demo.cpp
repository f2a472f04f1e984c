#include "replay/effective_demo.h"

#include <algorithm>
#include <array>

#include "platform/keyboard.h"

namespace {

bool ReadByGame(std::uint8_t code) { return code == kKeyUp || code == kKeyP || code == kKeyEscape; }

// The first poll reads what was set before it: a change at poll 0 is one at poll 1.
std::uint32_t PollRead(const KeyChange& change) { return std::max<std::uint32_t>(change.Poll, 1); }

}  // namespace

Demo EffectiveDemo(const Demo& demo, std::uint64_t lastPoll) {
    std::vector<KeyChange> read;
    for (const KeyChange& change : demo.Changes) {
        if (ReadByGame(change.Code) && PollRead(change) <= lastPoll)
            read.push_back({PollRead(change), change.Code, change.Down});
    }
    // The host applies a poll's changes in the order given: stable, so the last one wins.
    std::stable_sort(read.begin(), read.end(),
                     [](const KeyChange& a, const KeyChange& b) { return a.Poll < b.Poll; });
    Demo effective{demo.Seed, {}};
    std::array<bool, 256> down{};
    for (std::size_t first = 0, end = 0; first < read.size(); first = end) {
        end = first;
        while (end < read.size() && read[end].Poll == read[first].Poll) ++end;
        // The state each key is left in by this poll's changes, the last one counting.
        std::array<int, 256> last{};
        last.fill(-1);
        for (std::size_t i = first; i < end; ++i) last[read[i].Code] = read[i].Down ? 1 : 0;
        for (const std::uint8_t code : {kKeyEscape, kKeyP, kKeyUp}) {
            if (last[code] < 0 || down[code] == (last[code] == 1)) continue;
            down[code] = last[code] == 1;
            effective.Changes.push_back({read[first].Poll, code, down[code]});
        }
    }
    return effective;
}
