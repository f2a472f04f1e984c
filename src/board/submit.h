// POST /api/runs from the body on: check, replay, keep, rank. The answer is an HTTP status and
// its JSON body.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "replay_gate.h"
#include "store.h"
#include "verifier_process.h"

struct Reply {
    int Status = 200;
    nlohmann::json Body;
};

Reply ErrorReply(int status, const std::string& error);

struct Verifying {
    Store& Runs;
    ReplayGate& Gate;
    std::string Verifier;  // the cave-verify program
    ReplayLimits Limits;
};

Reply Submit(Verifying& verifying, const std::string& body);

// "all" or "daily/YYYY-MM-DD": the board a run's rank is given on.
std::string BoardName(const Run& run);
