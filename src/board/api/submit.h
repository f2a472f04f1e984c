// POST /api/runs from the body on: check, replay, keep, rank. The answer is what happened to the
// run, in the board's own terms; the API layer turns it into HTTP.
#pragma once

#include <string>
#include <variant>

#include "replay/replay_gate.h"
#include "replay/verifier_process.h"
#include "store/store.h"

// Kept: new, or the same play kept before (answered as it was first kept).
struct Accepted {
    RankedRun Kept;
    bool New = false;
    std::string SkippedDay;  // a day whose board the run was not put on: it has not begun yet
};

enum class Refusal {
    BadSubmission,  // not a JSON object with a good name and a demo
    BadDemo,        // a demo that cannot be read
    TooLong,        // a key change past the frame limit: refused before any replay
    Quit,
    Paused,
    NotEnded,        // still flying at the frame limit
    ReplayFailed,    // the game or the verifier failed
    Hidden,          // the same play was taken off the boards by a moderator
    SeveralPlayers,  // a race of several balls: the boards rank one player's flights
};

struct Refused {
    Refusal Why = Refusal::BadSubmission;
    std::string What;  // for the player
};

// Every replay slot and the line to them are taken.
struct Busy {};

struct StoreFailed {
    StoreFault Fault = StoreFault::Bug;
    std::string What;  // for the log, never for the client
};

using SubmitResult = std::variant<Accepted, Refused, Busy, StoreFailed>;

struct Verifying {
    Store& Runs;
    ReplayGate& Gate;
    std::string Verifier;  // the cave-verify program
    ReplayLimits Limits;
};

SubmitResult Submit(Verifying& verifying, const std::string& body);

// "all" or "daily/YYYY-MM-DD": the board a run's rank is given on.
std::string BoardName(const Run& run);
