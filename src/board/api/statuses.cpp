#include "api/statuses.h"

#include <cstdio>

namespace {

int StatusOf(Refusal why) {
    switch (why) {
        case Refusal::BadSubmission:
        case Refusal::BadDemo:
            return 400;
        case Refusal::Hidden:
            return 403;
        case Refusal::TooLong:
        case Refusal::Quit:
        case Refusal::Paused:
        case Refusal::NotEnded:
        case Refusal::ReplayFailed:
        case Refusal::SeveralPlayers:
            break;
    }
    return 422;
}

Reply StoreReply(StoreFault fault, const std::string& what) {
    // The cause is for the operator: it may name hosts and tables.
    std::fprintf(stderr, "cave-board: %s\n", what.c_str());
    if (fault == StoreFault::Unavailable) {
        return UnavailableReply(ErrorReply(503, "the board's database is busy; try again soon"));
    }
    return ErrorReply(500, "the board failed; try again later");
}

struct Replying {
    Reply operator()(const Accepted& accepted) const {
        const Run& run = accepted.Kept.Entry;
        Reply reply{201,
                    {{"id", run.Id},
                     {"points", run.Points},
                     {"board", BoardName(run)},
                     {"rank", accepted.Kept.Rank}}};
        if (!accepted.SkippedDay.empty()) {
            reply.Body["skipped"] = "daily/" + accepted.SkippedDay;
        }
        return reply;
    }
    Reply operator()(const Refused& refused) const {
        return ErrorReply(StatusOf(refused.Why), refused.What);
    }
    Reply operator()(const Busy&) const {
        return UnavailableReply(ErrorReply(503, "the replay queue is full; try again soon"));
    }
    Reply operator()(const StoreFailed& failed) const {
        return StoreReply(failed.Fault, failed.What);
    }
};

}  // namespace

Reply ErrorReply(int status, const std::string& error) { return {status, {{"error", error}}, 0}; }

Reply UnavailableReply(Reply reply) {
    // Long enough for a stalled database or a full line to clear, short enough to play on.
    constexpr int kRetryAfterSeconds = 5;
    reply.Status = 503;
    reply.RetryAfterSeconds = kRetryAfterSeconds;
    return reply;
}

Reply ReplyOf(const SubmitResult& result) { return std::visit(Replying{}, result); }

Reply ReplyOf(const StoreError& error) { return StoreReply(error.Fault(), error.what()); }
