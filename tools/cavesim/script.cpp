#include "script.h"

#include <cstdio>
#include <sstream>

#include "options.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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

// Returns false when the line is malformed; true for events and ignored lines alike.
bool ParseLine(const std::string& line, std::vector<host::headless::KeyEvent>& events) {
    if (!line.empty() && line[0] == '#') return true;
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.empty()) return true;
    if (fields.size() != 3) return false;
    const auto poll = ParseDecimal(fields[0], 4294967295u);
    const auto code = ParseDecimal(fields[1], 255);
    const bool down = fields[2] == "down";
    if (!poll || *poll == 0 || !code || (!down && fields[2] != "up")) return false;
    events.push_back({static_cast<std::uint32_t>(*poll), static_cast<std::uint8_t>(*code), down});
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

}  // namespace

ParsedScript ParseScript(const std::string& text) {
    ParsedScript script;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!ParseLine(line, script.Events)) {
            script.Error =
                "line " + std::to_string(number) + ": malformed: '" + Printable(line) + "'";
            script.Events.clear();
            return script;
        }
    }
    return script;
}
