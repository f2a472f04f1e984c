// Several balls on one cave: balls never meet, so each flies exactly as it would alone.
#include "game/ghost.h"
#include "game_fixture.h"
#include "platform/key_recorder.h"
#include "platform/keyboard.h"

namespace {

using RaceTest = GameTest;

struct Flight {
    GameOutcome Outcome;
    std::uint64_t Frames = 0;
    Demo Recorded;
};

Flight Fly(const harness::GameSetup& setup, const std::function<bool()>& onFrame = {}) {
    Flight flight;
    harness::Hooks hooks;
    // A pause that never ends stops the game rather than the test run.
    std::uint32_t pauseTurns = 0;
    hooks.OnPauseTurn = [&] { return ++pauseTurns < 1000; };
    hooks.OnFrameEnd = [&] {
        ++flight.Frames;
        return !onFrame || onFrame();
    };
    flight.Outcome = harness::PlayUntilEnd(setup, &hooks);
    flight.Recorded = KeyRecording();
    EndProgram(flight.Outcome);
    return flight;
}

// A run with a pause in it (the ghost must not lose frames to it) and Up pressed and let go.
const std::vector<headless::KeyEvent> kPausedRun = {
    {1, kKeyUp, true},  {9, kKeyUp, false}, {12, kKeyP, true},  {13, kKeyP, false},
    {16, kKeyP, true},  {17, kKeyP, false}, {20, kKeyUp, true}, {25, kKeyP, true},
    {26, kKeyP, false}, {28, kKeyP, true},  {29, kKeyP, false}, {33, kKeyUp, false},
    {40, kKeyUp, true}, {46, kKeyUp, false}};

TEST_F(RaceTest, ARunRacedAgainstItsOwnGhostFliesWithItFrameForFrame) {
    const Flight alone = Fly({.Seed = 2024, .Script = kPausedRun});
    ASSERT_EQ(alone.Outcome.How, GameOutcome::Ending::Report);

    // The live ball flies the run's keys, the ghost its recording.
    std::uint64_t frames = 0;
    const Flight race = Fly({.Seed = 2024, .Script = kPausedRun, .Ghosts = {alone.Recorded}}, [&] {
        const Player& live = PlayerList.First->Rec;
        const Player& ghost = Race.Ghosts.at(0).Ball;
        EXPECT_EQ(ghost.Y, live.Y) << "frame " << frames;
        EXPECT_EQ(ghost.Score, live.Score) << "frame " << frames;
        EXPECT_EQ(ghost.Crashed, live.Crashed) << "frame " << frames;
        // A ghost still flying may yet outscore the live ball: it stands ahead until it crashes.
        if (live.Crashed == 0) {
            EXPECT_EQ(Race.Standings.at(0).Place, 2) << "frame " << frames;
        }
        ++frames;
        return !HasFailure();
    });
    EXPECT_EQ(race.Outcome.Scores, alone.Outcome.Scores);  // the report is the live players' only
    EXPECT_EQ(race.Frames, alone.Frames);
    EXPECT_EQ(DemoText(race.Recorded), DemoText(alone.Recorded));
    // Crashed in the same frame with the same points, they share the first place.
    ASSERT_EQ(Race.Standings.size(), 1u);
    EXPECT_EQ(Race.Standings[0].Place, 1);
    EXPECT_EQ(Race.Standings[0].Field, 2);
    EXPECT_EQ(Race.Standings[0].Flying, 0);

    // The race's demo, played alone, ends the same way.
    const Flight replay = Fly({.Seed = 1, .Playback = &race.Recorded});
    EXPECT_EQ(replay.Outcome.Scores, alone.Outcome.Scores);
    EXPECT_EQ(replay.Frames, alone.Frames);
}

// The same key changes on another key.
std::vector<headless::KeyEvent> OnKey(std::vector<headless::KeyEvent> run, std::uint8_t key) {
    for (headless::KeyEvent& event : run) event.Code = key;
    return run;
}

TEST_F(RaceTest, TwoPlayersAtOneKeyboardEachScoreWhatTheirRunScoresAlone) {
    const std::vector<headless::KeyEvent> first = {
        {1, kKeyUp, true}, {9, kKeyUp, false}, {20, kKeyUp, true}, {27, kKeyUp, false}};
    const std::vector<headless::KeyEvent> second = {{3, kKeyUp, true},  {12, kKeyUp, false},
                                                    {24, kKeyUp, true}, {30, kKeyUp, false},
                                                    {38, kKeyUp, true}, {44, kKeyUp, false}};
    const Flight one = Fly({.Seed = 77, .Script = first});
    const Flight two = Fly({.Seed = 77, .Script = second});
    ASSERT_NE(one.Outcome.Scores, two.Outcome.Scores);

    std::vector<headless::KeyEvent> both = first;
    for (const headless::KeyEvent& event : OnKey(second, kPlayerKeys[1])) both.push_back(event);
    headless::Reset();
    const Flight pair = Fly({.Seed = 77, .Script = both, .Players = 2});
    ASSERT_EQ(pair.Outcome.How, GameOutcome::Ending::Report);
    EXPECT_EQ(pair.Outcome.Scores,
              (std::vector{one.Outcome.Scores.at(0), two.Outcome.Scores.at(0)}));
    // The game lasts until the longer flight has crashed, and its demo says who flew.
    EXPECT_EQ(pair.Frames, std::max(one.Frames, two.Frames));
    EXPECT_EQ(pair.Recorded.Players, 2);

    // Raced as a ghost by the longer flight, the pair's run flies both its balls, each to its
    // own points.
    headless::Reset();
    Fly({.Seed = 77,
         .Script = one.Frames > two.Frames ? first : second,
         .Ghosts = {pair.Recorded}});
    std::vector<std::int32_t> ghostScores;
    for (const Ghost& ghost : Race.Ghosts) ghostScores.push_back(ghost.Ball.Score);
    EXPECT_EQ(ghostScores, pair.Outcome.Scores);

    // The pair racing the two runs alone: each player ties with its own run's ghost, and only
    // the other run can stand ahead of it.
    headless::Reset();
    Fly({.Seed = 77, .Script = both, .Players = 2, .Ghosts = {one.Recorded, two.Recorded}});
    const bool firstAhead = one.Outcome.Scores.at(0) > two.Outcome.Scores.at(0);
    std::vector<std::int32_t> places;
    for (const RaceStanding& standing : Race.Standings) places.push_back(standing.Place);
    EXPECT_EQ(places, (std::vector{firstAhead ? 1 : 2, firstAhead ? 2 : 1}));
    EXPECT_EQ(Race.Standings.at(1).Field, 3);
}

}  // namespace
