#include "range.h"

#include <charconv>
#include <optional>

namespace {

std::optional<std::size_t> Number(const std::string& text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

}  // namespace

void ApplyRange(const std::string& range, HttpResponse& response) {
    const std::string unit = "bytes=";
    if (range.rfind(unit, 0) != 0 || range.find(',') != std::string::npos) return;
    const std::string bounds = range.substr(unit.size());
    const std::size_t dash = bounds.find('-');
    if (dash == std::string::npos) return;
    const std::size_t size = response.Length;
    const auto first = Number(bounds.substr(0, dash));
    const auto last = Number(bounds.substr(dash + 1));
    std::size_t from = 0;
    std::size_t to = 0;  // inclusive
    if (first) {
        if (!last && dash + 1 != bounds.size()) return;
        from = *first;
        to = last ? std::min(*last, size - 1) : size - 1;
        if (last && *last < *first) return;
    } else if (last && dash == 0) {
        if (*last == 0)
            from = size;  // nothing of it: unsatisfiable
        else
            from = *last >= size ? 0 : size - *last;
        to = size - 1;
    } else {
        return;
    }
    if (size == 0 || from >= size) {
        response.Status = 416;
        response.Headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
        response.Body.reset();
        response.Length = 0;
        return;
    }
    response.Status = 206;
    response.Offset = from;
    response.Length = to - from + 1;
    response.Headers.emplace_back(
        "Content-Range",
        "bytes " + std::to_string(from) + "-" + std::to_string(to) + "/" + std::to_string(size));
}
