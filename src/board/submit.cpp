#include "submit.h"

#include <algorithm>
#include <ctime>

#include "platform/watch_link.h"
#include "request.h"
#include "run_id.h"
#include "shell/daily_cave.h"

namespace {

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

Reply Created(const RankedRun& kept) {
    return {201,
            {{"id", kept.Entry.Id},
             {"points", kept.Entry.Points},
             {"board", BoardName(kept.Entry)},
             {"rank", kept.Rank}}};
}

std::uint32_t LastPoll(const Demo& demo) {
    std::uint32_t last = 0;
    for (const KeyChange& change : demo.Changes) last = std::max(last, change.Poll);
    return last;
}

// Why a replay that did not end in the score report is refused.
std::string Refusal(const ReplayResult& result, std::uint32_t maxFrames) {
    if (result.Ending == "quit") return "the run was quit: it has no score report";
    if (result.Ending == "paused") return "the run stays paused for ever";
    if (result.Ending == "limit") {
        return "the run does not end within " + std::to_string(maxFrames) + " frames";
    }
    if (result.Ending == "error") return "demo: " + result.Detail;
    return "the replay did not finish within its limits";
}

}  // namespace

Reply ErrorReply(int status, const std::string& error) { return {status, {{"error", error}}}; }

std::string BoardName(const Run& run) { return run.Day.empty() ? "all" : "daily/" + run.Day; }

Reply Submit(Verifying& verifying, const std::string& body) {
    const ParsedSubmission submission = ParseSubmission(body);
    if (!submission.Error.empty()) return ErrorReply(400, submission.Error);
    const ParsedDemo demo = ParseAnyDemo(submission.Value.Demo);
    if (!demo.Error.empty()) return ErrorReply(400, "demo: " + demo.Error);
    // Each frame and each turn of the pause polls the keys once: a key change at a poll past the
    // limit makes the run longer than the limit, and it is refused without a replay.
    if (LastPoll(demo.Value) > verifying.Limits.MaxFrames) {
        return ErrorReply(422, "the run is longer than " +
                                   std::to_string(verifying.Limits.MaxFrames) + " frames");
    }
    Run run;
    run.Id = RunId(demo.Value);
    // A run already kept is answered as it was, without a second replay.
    if (std::optional<Run> kept = verifying.Runs.Find(run.Id)) {
        return Created({*kept, verifying.Runs.RankOf(kept->Id, kept->Day)});
    }
    run.Demo = DemoText(demo.Value);
    ReplayResult result;
    {
        const ReplaySlot slot(verifying.Gate);
        if (!slot.Held()) return ErrorReply(503, "the replay queue is full; try again soon");
        result = RunVerifier(verifying.Verifier, run.Demo, verifying.Limits);
    }
    if (result.Ending != "report")
        return ErrorReply(422, Refusal(result, verifying.Limits.MaxFrames));
    run.Name = submission.Value.Name;
    run.Points = result.Points;
    run.Seed = result.Seed;
    run.Frames = result.Frames;
    if (const auto day = DailyDateOfSeed(result.Seed)) run.Day = CivilDateText(*day);
    run.Date = UtcNow();
    return Created(verifying.Runs.Add(run));
}
