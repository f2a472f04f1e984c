// A game recorded from its keyboard replays to the same end, whatever the keyboard does then.
#include "game_fixture.h"
#include "platform/key_recorder.h"
#include "platform/keyboard.h"

namespace {

using DemoTest = GameTest;

// Runs the whole game, as a demo's playback when one is given; returns how it ended.
GameOutcome::Ending Play(const harness::GameSetup& setup) {
    const GameOutcome outcome = harness::PlayUntilEnd(setup);
    EndProgram(outcome);
    return outcome.How;
}

constexpr GameOutcome::Ending kReport = GameOutcome::Ending::Report;

TEST_F(DemoTest, RecordingReplaysTheSameGameAndIgnoresAllKeysButEscape) {
    // Up from poll 1, a pause in between, and two keys down at the same poll.
    const std::vector<headless::KeyEvent> script = {
        {1, kKeyUp, true},  {9, kKeyUp, false}, {12, kKeyP, true},
        {13, kKeyP, false}, {20, kKeyP, true},  {21, kKeyP, false},
        {30, kKeyUp, true}, {30, 57, true},     {38, kKeyUp, false}};
    ASSERT_EQ(Play({.Seed = 2024, .Script = script}), kReport);
    ASSERT_EQ(headless::Messages().size(), 1u);
    const std::string report = headless::Messages()[0].Text;
    const std::uint64_t polls = headless::PollCount();
    const Demo recorded = KeyRecording();
    EXPECT_EQ(recorded.Seed, 2024u);
    EXPECT_EQ(KeyScriptText(recorded.Changes),
              "1 200 down\n9 200 up\n12 25 down\n13 25 up\n20 25 down\n21 25 up\n30 57 down\n"
              "30 200 down\n38 200 up\n");

    // Another start tick and a keyboard that holds Up and taps P: the demo wins.
    const harness::GameSetup other{
        .Seed = 7,
        .Script = {{1, kKeyUp, true}, {5, kKeyP, true}, {6, kKeyP, false}},
        .Playback = &recorded};
    ASSERT_EQ(Play(other), kReport);
    ASSERT_EQ(headless::Messages().size(), 1u);
    EXPECT_EQ(headless::Messages()[0].Text, report);
    EXPECT_EQ(headless::PollCount(), polls);
    EXPECT_EQ(KeyScriptText(KeyRecording().Changes), KeyScriptText(recorded.Changes));

    // Escape on the keyboard still quits a playback, with no report.
    const harness::GameSetup escape{.Script = {{5, kKeyEscape, true}, {6, kKeyEscape, false}},
                                    .Playback = &recorded};
    EXPECT_EQ(Play(escape), GameOutcome::Ending::Quit);
    EXPECT_TRUE(headless::Messages().empty());
    EXPECT_EQ(headless::PollCount(), 6u);
}

}  // namespace
