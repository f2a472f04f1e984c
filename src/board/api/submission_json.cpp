#include "api/submission_json.h"

#include <nlohmann/json.hpp>

namespace {

constexpr std::size_t kMaxNameLength = 16;

bool NameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           c == '-' || c == '_' || c == '.';
}

ParsedSubmission Failed(std::string error) { return {{}, std::move(error)}; }

}  // namespace

std::optional<std::string> CleanName(std::string_view name) {
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (name.size() > kMaxNameLength) return std::nullopt;
    for (const char c : name) {
        if (!NameCharacter(c)) return std::nullopt;
    }
    return std::string(name);
}

ParsedSubmission ParseSubmission(std::string_view body) {
    if (body.size() > kMaxBodyBytes) return Failed("the body is over 256 KB");
    const nlohmann::json json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return Failed("the body is not a JSON object");
    const auto name = json.find("name");
    const auto demo = json.find("demo");
    if (name == json.end() || !name->is_string()) return Failed("\"name\" is missing");
    if (demo == json.end() || !demo->is_string()) return Failed("\"demo\" is missing");
    auto clean = CleanName(name->get_ref<const std::string&>());
    if (!clean) {
        return Failed("\"name\": 1 to 16 letters, digits, spaces or -_. please");
    }
    if (demo->get_ref<const std::string&>().empty()) return Failed("\"demo\" is empty");
    return {{std::move(*clean), demo->get<std::string>()}, {}};
}
