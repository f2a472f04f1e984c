#include "platform/keyboard.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform_fixture.h"

namespace {

namespace headless = host::headless;

class Keyboard : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ASSERT_EQ(OpenKeyboardDevice(), 1);
    }

    // Polls once and asks WasKeyReleased(key) `asks` times; returns the answers.
    static std::vector<std::int32_t> PollAndAsk(std::int32_t key, int asks = 1) {
        PollKeyboard();
        std::vector<std::int32_t> answers;
        for (int i = 0; i < asks; ++i) answers.push_back(WasKeyReleased(key));
        return answers;
    }
};

TEST_F(Keyboard, NothingIsDownBeforeTheFirstPoll) {
    headless::SetKeyScript({{1, kKeyUp, true}});
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
    EXPECT_EQ(WasKeyReleased(kKeyUp), 0);
}

TEST_F(Keyboard, HeldKeyReads128AtEveryPoll) {
    headless::SetKeyScript({{1, kKeyUp, true}, {4, kKeyUp, false}});
    for (int poll = 1; poll <= 3; ++poll) {
        EXPECT_EQ(PollKeyboard(), 1);
        EXPECT_EQ(IsKeyDown(kKeyUp), 128) << poll;
    }
    PollKeyboard();
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
    EXPECT_EQ(KeyLatch[kKeyUp], 0);  // IsKeyDown never touches the latch
}

TEST_F(Keyboard, ReleaseIsReportedOnceAfterTheKeyGoesUp) {
    headless::SetKeyScript({{1, kKeyEscape, true}, {2, kKeyEscape, false}});
    EXPECT_EQ(PollAndAsk(kKeyEscape), std::vector<std::int32_t>{0});
    EXPECT_EQ(PollAndAsk(kKeyEscape), std::vector<std::int32_t>{1});
    EXPECT_EQ(PollAndAsk(kKeyEscape), std::vector<std::int32_t>{0});
}

TEST_F(Keyboard, SecondAskOnTheSameSnapshotIsZero) {
    headless::SetKeyScript({{1, kKeyEscape, true}, {2, kKeyEscape, false}});
    PollAndAsk(kKeyEscape);
    EXPECT_EQ(PollAndAsk(kKeyEscape, 2), (std::vector<std::int32_t>{1, 0}));
}

TEST_F(Keyboard, PressBetweenTwoPollsIsNeverSeen) {
    headless::SetKeyScript({{2, kKeyEscape, true}, {2, kKeyEscape, false}});
    for (int poll = 1; poll <= 3; ++poll) {
        EXPECT_EQ(PollAndAsk(kKeyEscape), std::vector<std::int32_t>{0});
    }
}

TEST_F(Keyboard, LatchWaitsForTheNextAsk) {
    headless::SetKeyScript({{1, kKeyP, true}, {3, kKeyP, false}});
    EXPECT_EQ(PollAndAsk(kKeyP), std::vector<std::int32_t>{0});
    for (int poll = 2; poll <= 5; ++poll) PollKeyboard();  // P is let go, nobody asks
    EXPECT_EQ(WasKeyReleased(kKeyP), 1);
}

TEST_F(Keyboard, FailedReadKeepsTheLastSnapshot) {
    headless::SetKeyScript({{1, kKeyUp, true}, {2, kKeyUp, false}});
    PollKeyboard();
    headless::SetFailures({.KeyRead = true});
    EXPECT_EQ(PollKeyboard(), 0);
    EXPECT_EQ(IsKeyDown(kKeyUp), 128);
    headless::SetFailures({});
    EXPECT_EQ(PollKeyboard(), 1);
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
}

TEST_F(Keyboard, WithoutFocusEveryKeyIsUp) {
    headless::SetKeyScript({{1, kKeyUp, true}});
    headless::SetFocus(false);
    PollKeyboard();
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
    headless::SetFocus(true);
    PollKeyboard();
    EXPECT_EQ(IsKeyDown(kKeyUp), 128);
}

TEST_F(Keyboard, OpeningAgainForgetsAnEarlierGamesKeys) {
    headless::SetKeyScript({{1, kKeyP, true}});
    PollAndAsk(kKeyP);
    ASSERT_EQ(KeyLatch[kKeyP], 1);
    ASSERT_EQ(OpenKeyboardDevice(), 1);
    EXPECT_EQ(KeyLatch[kKeyP], 0);
    EXPECT_EQ(IsKeyDown(kKeyP), 0);
}

TEST_F(Keyboard, CodesOutsideTheTableAreNeverDown) {
    EXPECT_EQ(IsKeyDown(-1), 0);
    EXPECT_EQ(IsKeyDown(256), 0);
    EXPECT_EQ(WasKeyReleased(1000), 0);
}

TEST_F(Keyboard, ReleaseClosesTheSourceOnce) {
    ReleaseKeyboard();
    ReleaseKeyboard();
    EXPECT_EQ(PollKeyboard(), 0);
    const auto& log = headless::CallLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "CloseKeyboard"), 1);
}

TEST(KeyboardDevice, FailingSourceIsReported) {
    host::headless::Reset();
    ResetPlatformState();
    host::headless::SetFailures({.Keyboard = true});
    EXPECT_EQ(OpenKeyboardDevice(), 0);
    EXPECT_EQ(PollKeyboard(), 0);
}

}  // namespace
