// The one table from what the board's domain says to what HTTP says: a status, a JSON body
// (errors are {"error": "..."}) and, for answers worth retrying, how long to wait.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "api/submit.h"

struct Reply {
    int Status = 200;
    nlohmann::json Body;
    int RetryAfterSeconds = 0;  // 0: no Retry-After
};

Reply ErrorReply(int status, const std::string& error);
// Every 503 the board sends: the reply's body, with the one Retry-After.
Reply UnavailableReply(Reply reply);

Reply ReplyOf(const SubmitResult& result);
// A store that failed under a read.
Reply ReplyOf(const StoreError& error);
