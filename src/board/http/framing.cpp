#include "framing.h"

#include <algorithm>

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

Framing CheckFraming(const std::string& method, const std::vector<std::string>& contentLengths,
                     const std::vector<std::string>& transferEncodings) {
    if (contentLengths.size() > 1) return {400, "more than one Content-Length"};
    if (!contentLengths.empty() && !transferEncodings.empty())
        return {400, "Content-Length together with Transfer-Encoding"};
    if (!contentLengths.empty() && !AllDigits(contentLengths.front()))
        return {400, "Content-Length is not a plain number"};
    if (transferEncodings.size() > 1 ||
        (!transferEncodings.empty() && transferEncodings.front() != "chunked"))
        return {501, "Transfer-Encoding other than chunked"};
    const bool posting = method == "POST" || method == "PUT" || method == "PATCH";
    if (posting && contentLengths.empty() && transferEncodings.empty())
        return {411, "a body needs a Content-Length"};
    return {};
}
