#include "api/submit.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <tuple>

#include "api/submission_json.h"
#include "platform/watch_link.h"
#include "replay/effective_demo.h"
#include "shell/daily_cave.h"
#include "store/run_id.h"

namespace {

// The earliest time zone is UTC+14: a day has begun somewhere 14 hours before it begins in UTC.
constexpr std::chrono::hours kEarliestZone{14};

std::string UtcText(std::chrono::system_clock::time_point now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

bool HasBegunSomewhere(CivilDate day, std::chrono::system_clock::time_point now) {
    const CivilDate latest = UtcDateOf(std::chrono::system_clock::to_time_t(now + kEarliestZone));
    return std::tie(day.Year, day.Month, day.Day) <=
           std::tie(latest.Year, latest.Month, latest.Day);
}

std::uint32_t LastPoll(const Demo& demo) {
    std::uint32_t last = 0;
    for (const KeyChange& change : demo.Changes) last = std::max(last, change.Poll);
    return last;
}

// Why a replay that did not end in the score report is refused.
Refused Refusing(const ReplayResult& result, std::uint32_t maxFrames) {
    switch (result.Ending) {
        case ReplayEnding::Quit:
            return {Refusal::Quit, "the run was quit: it has no score report"};
        case ReplayEnding::Paused:
            return {Refusal::Paused, "the run stays paused for ever"};
        case ReplayEnding::Limit:
            return {Refusal::NotEnded,
                    "the run does not end within " + std::to_string(maxFrames) + " frames"};
        case ReplayEnding::Error:
            return {Refusal::BadDemo, "demo: " + result.Detail};
        case ReplayEnding::Report:
        case ReplayEnding::Fatal:
        case ReplayEnding::Killed:
            break;
    }
    return {Refusal::ReplayFailed, "the replay did not finish within its limits"};
}

// The run as the board keeps it: what the replay played, up to its end, and its id from that.
Run KeptForm(const Demo& effective, const ReplayResult& result) {
    const Demo played = EffectiveDemo(effective, result.Polls);
    Run run;
    run.Id = RunId(played);
    run.Demo = DemoText(played);
    run.Points = result.Points;
    run.Seed = result.Seed;
    run.Frames = result.Frames;
    return run;
}

SubmitResult Keep(Verifying& verifying, Run run, const std::string& name) {
    run.Name = name;
    const auto now = std::chrono::system_clock::now();
    std::string skipped;
    if (const auto day = DailyDateOfSeed(run.Seed)) {
        (HasBegunSomewhere(*day, now) ? run.Day : skipped) = CivilDateText(*day);
    }
    run.Date = UtcText(now);
    Added added = verifying.Runs.Add(run);
    if (added.Kept.Entry.Hidden)
        return Refused{Refusal::Hidden, "this run was taken off the boards"};
    // A run kept before keeps its board: no day was skipped for it now.
    if (!added.New) skipped.clear();
    return Accepted{std::move(added.Kept), added.New, std::move(skipped)};
}

SubmitResult Replayed(Verifying& verifying, const Demo& effective, const std::string& name) {
    // A run already kept is answered as it was, without a second replay.
    if (std::optional<Run> kept = verifying.Runs.Find(RunId(effective))) {
        const std::int64_t rank = verifying.Runs.RankOf(kept->Id, kept->Day);
        return Accepted{{std::move(*kept), rank}, false, {}};
    }
    ReplayResult result;
    {
        const ReplaySlot slot(verifying.Gate);
        if (!slot.Held()) return Busy{};
        result = RunVerifier(verifying.Verifier, DemoText(effective), verifying.Limits);
    }
    if (result.Ending != ReplayEnding::Report) return Refusing(result, verifying.Limits.MaxFrames);
    return Keep(verifying, KeptForm(effective, result), name);
}

}  // namespace

std::string BoardName(const Run& run) { return run.Day.empty() ? "all" : "daily/" + run.Day; }

SubmitResult Submit(Verifying& verifying, const std::string& body) {
    const ParsedSubmission submission = ParseSubmission(body);
    if (!submission.Error.empty()) return Refused{Refusal::BadSubmission, submission.Error};
    const ParsedDemo demo = ParseAnyDemo(submission.Value.Demo);
    if (!demo.Error.empty()) return Refused{Refusal::BadDemo, "demo: " + demo.Error};
    if (demo.Value.Players != 1) {
        return Refused{Refusal::SeveralPlayers,
                       "the boards rank runs of one player; this run has " +
                           std::to_string(demo.Value.Players)};
    }
    const Demo effective = EffectiveDemo(demo.Value);
    // Each frame and each turn of the pause polls the keys once: a key change at a poll past the
    // limit makes the run longer than the limit, and it is refused without a replay.
    if (LastPoll(effective) > verifying.Limits.MaxFrames) {
        return Refused{
            Refusal::TooLong,
            "the run is longer than " + std::to_string(verifying.Limits.MaxFrames) + " frames"};
    }
    try {
        return Replayed(verifying, effective, submission.Value.Name);
    } catch (const StoreError& error) {
        return StoreFailed{error.Fault(), error.what()};
    }
}
