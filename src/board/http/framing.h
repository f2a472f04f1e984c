// How a request's body is framed, judged from its header alone before any of the body is read:
// anything a proxy in front could read otherwise than this server is refused.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct Framing {
    int Status = 0;     // 0: good; else 400, 411 or 501, and the connection closes after it
    std::string Error;  // what is wrong
};

// `contentLengths` and `transferEncodings`: every value of those header lines, as sent.
Framing CheckFraming(const std::string& method, const std::vector<std::string>& contentLengths,
                     const std::vector<std::string>& transferEncodings);
