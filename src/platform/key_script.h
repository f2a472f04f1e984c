// The keyboard of a game as text: key scripts, one '<poll> <code> <down|up>' a line, and demo
// files, a key script under a first line '# cave demo 1 seed <N>' that names its start tick
// (a game of several players: '# cave demo 2 seed <N> players <K>', K from 2 to 4).
// Blank lines and lines starting with '#' are ignored, so a demo is also a key script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// From keyboard snapshot `Poll` (1-based) on, key `Code` is down or up.
struct KeyChange {
    std::uint32_t Poll = 0;
    std::uint8_t Code = 0;
    bool Down = false;
};

struct Demo {
    std::uint32_t Seed = 0;  // the millisecond tick count the game started with
    std::vector<KeyChange> Changes;
    std::int32_t Players = 1;  // balls on the cave, each lifted by its own key
};

struct ParsedKeys {
    std::vector<KeyChange> Changes;
    std::string Error;  // names the first malformed line; empty when the text is good
};

struct ParsedDemo {
    Demo Value;
    std::string Error;  // names the first malformed line; empty when the demo is good
};

ParsedKeys ParseKeyScript(const std::string& text);
ParsedDemo ParseDemo(const std::string& text);
std::string KeyScriptText(const std::vector<KeyChange>& changes);
std::string DemoText(const Demo& demo);

// Decimal digits only, within 0..max.
std::optional<std::uint64_t> ParseDecimal(const std::string& text, std::uint64_t max);

// The lines of a text, split at '\n' (a last line needs none; a final '\n' adds no empty line).
std::vector<std::string> SplitLines(const std::string& text);
// The fields of a line, separated by runs of spaces and tabs.
std::vector<std::string> SplitFields(const std::string& line);
