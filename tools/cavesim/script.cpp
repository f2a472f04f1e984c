#include "script.h"

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

}  // namespace

ParsedScript ParseScript(const std::string& text) {
    ParsedScript script;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!ParseLine(line, script.Events)) {
            script.Error = "line " + std::to_string(number) + ": malformed: '" + line + "'";
            script.Events.clear();
            return script;
        }
    }
    return script;
}
