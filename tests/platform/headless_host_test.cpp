#include "platform/host/headless_host.h"

#include <gtest/gtest.h>

#include "platform/random.h"
#include "platform/system.h"

namespace {

namespace headless = host::headless;

class HeadlessHost : public ::testing::Test {
  protected:
    void SetUp() override { headless::Reset(); }
};

TEST_F(HeadlessHost, ClockAdvancesOnlyByCounterReadsWaitsAndSleeps) {
    headless::SetStartTick(0xFFFFFFF0u);
    EXPECT_EQ(TickCount(), 0xFFFFFFF0u);
    EXPECT_EQ(headless::Clock(), 0);  // tick reads cost nothing
    std::int64_t ticks = 0;
    ASSERT_TRUE(host::ReadCounter(ticks));
    EXPECT_EQ(ticks, 1000);
    SleepMilliseconds(20);
    EXPECT_EQ(headless::Clock(), 201000);
    EXPECT_EQ(TickCount(), 0x00000004u);  // 20 ms later, wrapped
    EXPECT_EQ(host::CounterFrequency(), 10'000'000);
    EXPECT_EQ(headless::CounterReads(), 1u);
    host::WaitForCounter(500000);  // the wait ends just in time for the reading
    ASSERT_TRUE(host::ReadCounter(ticks));
    EXPECT_EQ(ticks, 500000);
    host::WaitForCounter(1);  // a moment passed already: no time goes by
    ASSERT_TRUE(host::ReadCounter(ticks));
    EXPECT_EQ(ticks, 501000);
}

TEST_F(HeadlessHost, InitRandomSeedsFromTheTickCount) {
    headless::SetStartTick(12345);
    InitRandom();
    EXPECT_EQ(RandomUpTo(255), 71);
}

TEST_F(HeadlessHost, KeyScriptAppliesPerPollInGivenOrder) {
    std::vector<std::uint64_t> hooked;
    headless::SetPollHook([&](std::uint64_t poll) { hooked.push_back(poll); });
    headless::SetKeyScript({{3, 25, false}, {2, 25, true}, {3, 200, true}, {3, 25, true}});
    ASSERT_TRUE(host::OpenKeyboard());
    std::uint8_t keys[256] = {};
    host::ReadKeys(keys);
    EXPECT_EQ(keys[25], 0);
    host::ReadKeys(keys);
    EXPECT_EQ(keys[25], 0x80);
    host::ReadKeys(keys);
    EXPECT_EQ(keys[25], 0x80);  // up, then down again, in the order given
    EXPECT_EQ(keys[200], 0x80);
    EXPECT_EQ(hooked, (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_EQ(headless::PollCount(), 3u);
}

TEST_F(HeadlessHost, MessagesAreCapturedInOrderAndHooked) {
    std::vector<std::string> seen;
    headless::SetMessageHook([&](const headless::Message& m) {
        seen.push_back(m.Text);
        EXPECT_EQ(headless::Messages().size(), seen.size() - 1);  // not yet dismissed
    });
    ShowModalMessage("ERROR", "Fehler Nr.3");
    ShowModalMessage("Game Over!", "Spielstand:");
    ASSERT_EQ(headless::Messages().size(), 2u);
    EXPECT_EQ(headless::Messages()[0].Title, "ERROR");
    EXPECT_EQ(headless::Messages()[1].Text, "Spielstand:");
    EXPECT_EQ(seen, (std::vector<std::string>{"Fehler Nr.3", "Spielstand:"}));
}

TEST_F(HeadlessHost, EndProcessThrowsTheStatus) {
    try {
        EndProcess(7);
        FAIL() << "EndProcess returned";
    } catch (const headless::ProcessExit& exit) {
        EXPECT_EQ(exit.Status, 7);
    }
    EXPECT_EQ(headless::CallLog().back(), "EndProcess 7");
}

TEST_F(HeadlessHost, WindowsGetSmallHandlesAndTheLastOpenIsActive) {
    const host::WindowId a = host::CreateHostWindow({"A", 0, 0, 10, 10, 0, ""});
    const host::WindowId b = host::CreateHostWindow({"B", 5, 6, 10, 20, 0, ""});
    EXPECT_NE(a, 0u);
    EXPECT_LT(b, 10u);
    EXPECT_EQ(host::ActiveWindow(), b);
    EXPECT_EQ(host::WindowRect(b).Bottom, 26);
    host::DestroyHostWindow(b);
    EXPECT_EQ(host::ActiveWindow(), a);
    EXPECT_EQ(host::FrameInsets(host::kStylePopup).Left, 0);
}

TEST_F(HeadlessHost, PerFrameCallsStayOutOfTheLog) {
    ASSERT_TRUE(host::OpenKeyboard());
    const std::size_t logged = headless::CallLog().size();
    const std::uint32_t picture[4] = {1, 2, 3, 4};
    std::uint8_t keys[256];
    std::int64_t ticks = 0;
    host::Present(picture, 2, 2, {0, 0, 2, 2});
    host::ReadKeys(keys);
    host::ReadCounter(ticks);
    host::SleepMilliseconds(1);
    EXPECT_EQ(headless::CallLog().size(), logged);
    EXPECT_EQ(headless::LastPicture(), (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST_F(HeadlessHost, InjectedPixelFailureHitsTheNthAllocation) {
    headless::SetFailures({.PixelAllocation = 2});
    std::uint32_t* first = host::AllocatePixels(4);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(host::AllocatePixels(4), nullptr);
    std::uint32_t* third = host::AllocatePixels(4);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(first[3], 0u);
    EXPECT_EQ(headless::LivePixelBlocks(), 2u);
    host::FreePixels(first);
    host::FreePixels(third);
    host::FreePixels(nullptr);
    EXPECT_EQ(headless::LivePixelBlocks(), 0u);
}

}  // namespace
