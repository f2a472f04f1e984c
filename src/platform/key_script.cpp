#include "platform/key_script.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr int kDemoVersion = 1;
// A game of several players has its own version, so that a reader that knows only one player
// refuses it rather than playing it wrong.
constexpr int kSeveralPlayersVersion = 2;
constexpr std::uint64_t kMostPlayers = 4;
constexpr std::uint32_t kMaxU32 = 4294967295u;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Returns false when the line is malformed; true for key changes and ignored lines alike.
bool ParseLine(const std::string& line, std::vector<KeyChange>& changes) {
    if (!line.empty() && line[0] == '#') return true;
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.empty()) return true;
    if (fields.size() != 3) return false;
    const auto poll = ParseDecimal(fields[0], kMaxU32);
    const auto code = ParseDecimal(fields[1], 255);
    const bool down = fields[2] == "down";
    if (!poll || *poll == 0 || !code || (!down && fields[2] != "up")) return false;
    changes.push_back({static_cast<std::uint32_t>(*poll), static_cast<std::uint8_t>(*code), down});
    return true;
}

// The line as the message shows it: control and non-ASCII bytes as \xNN, and cut short, so that
// binary garbage or a huge line still gives one readable line on the terminal.
std::string Printable(const std::string& line) {
    constexpr std::size_t kShown = 60;
    std::string shown;
    for (std::size_t i = 0; i < line.size() && i < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return line.size() > kShown ? shown + "..." : shown;
}

std::string LineError(int number, const std::string& what, const std::string& line) {
    return "line " + std::to_string(number) + ": " + what + ": '" + Printable(line) + "'";
}

void DropCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

// Reads the key lines from `first` (0-based) on; messages number lines from 1.
ParsedKeys ParseLinesFrom(const std::vector<std::string>& lines, std::size_t first) {
    ParsedKeys keys;
    for (std::size_t index = first; index < lines.size(); ++index) {
        std::string line = lines[index];
        const int number = static_cast<int>(index) + 1;
        DropCarriageReturn(line);
        if (!ParseLine(line, keys.Changes)) {
            keys.Error = LineError(number, "malformed", line);
            keys.Changes.clear();
            return keys;
        }
    }
    return keys;
}

// The player count of a version 2 header's last two fields; an error text when they are wrong.
std::string ParsePlayers(const std::vector<std::string>& fields, Demo& demo) {
    const auto players = fields.size() == 8 && fields[6] == "players"
                             ? ParseDecimal(fields[7], kMostPlayers)
                             : std::nullopt;
    if (!players || *players < 2) return "players not in 2..4";
    demo.Players = static_cast<std::int32_t>(*players);
    return {};
}

// The seed (and player count) of a '# cave demo 1 seed <N>' or
// '# cave demo 2 seed <N> players <K>' line; an error text when the line is not one.
std::string ParseHeader(const std::string& line, Demo& demo) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < 6 || fields[0] != "#" || fields[1] != "cave" || fields[2] != "demo" ||
        fields[4] != "seed") {
        return "not a demo header '# cave demo " + std::to_string(kDemoVersion) + " seed <N>'";
    }
    const bool several = fields[3] == std::to_string(kSeveralPlayersVersion);
    if (fields[3] != std::to_string(kDemoVersion) && !several) return "unknown demo version";
    if (!several && fields.size() != 6) return "not a demo header";
    const auto value = ParseDecimal(fields[5], kMaxU32);
    if (!value) return "seed not in 0..4294967295";
    demo.Seed = static_cast<std::uint32_t>(*value);
    return several ? ParsePlayers(fields, demo) : std::string();
}

}  // namespace

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::optional<std::uint64_t> ParseDecimal(const std::string& text, std::uint64_t max) {
    // Digits alone: from_chars on an unsigned type takes no sign, and neither blanks nor a
    // trailing word may pass.
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value > max) return std::nullopt;
    return value;
}

ParsedKeys ParseKeyScript(const std::string& text) { return ParseLinesFrom(SplitLines(text), 0); }

ParsedDemo ParseDemo(const std::string& text) {
    ParsedDemo demo;
    const std::vector<std::string> lines = SplitLines(text);
    std::string header = lines.empty() ? std::string() : lines[0];
    DropCarriageReturn(header);
    const std::string wrong = ParseHeader(header, demo.Value);
    if (!wrong.empty()) {
        demo.Error = LineError(1, wrong, header);
        return demo;
    }
    ParsedKeys keys = ParseLinesFrom(lines, 1);
    demo.Value.Changes = std::move(keys.Changes);
    demo.Error = std::move(keys.Error);
    return demo;
}

std::string KeyScriptText(const std::vector<KeyChange>& changes) {
    std::string text;
    for (const KeyChange& change : changes) {
        text += std::to_string(change.Poll) + " " + std::to_string(change.Code) +
                (change.Down ? " down\n" : " up\n");
    }
    return text;
}

std::string DemoText(const Demo& demo) {
    const std::string header =
        demo.Players == 1
            ? "# cave demo " + std::to_string(kDemoVersion) + " seed " + std::to_string(demo.Seed)
            : "# cave demo " + std::to_string(kSeveralPlayersVersion) + " seed " +
                  std::to_string(demo.Seed) + " players " + std::to_string(demo.Players);
    return header + "\n# poll code state\n" + KeyScriptText(demo.Changes);
}
