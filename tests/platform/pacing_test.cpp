#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform_fixture.h"

namespace {

namespace headless = host::headless;

class Pacing : public PlatformTest {
  protected:
    // Clock ticks that one PresentFrame takes.
    static std::int64_t TimedPresent() {
        const std::int64_t before = headless::Clock();
        PresentFrame();
        return headless::Clock() - before;
    }
    // A present right after the last one (or after the rate was set) runs from its first
    // counter reading to the first reading past `period` ticks of the headless host's 10 MHz.
    static void ExpectPresentWaits(std::int64_t period) {
        headless::SetCounterReadCost(1);
        const std::int64_t ticks = TimedPresent();
        EXPECT_GT(ticks, period);
        EXPECT_LE(ticks, period + 2);
    }
};

TEST_F(Pacing, PeriodDividesTheCounterFrequencyByTheRatePlusOne) {
    OpenGameDisplay();
    ExpectPresentWaits(163934);  // sixty a second unless told otherwise
    ASSERT_EQ(SetFramePacing(30), 1);
    ExpectPresentWaits(322580);
    EXPECT_EQ(SetFramePacing(-1), 0);  // would divide by zero
    ExpectPresentWaits(322580);
}

TEST_F(Pacing, OpeningTheDisplayKeepsAnEarlierRate) {
    ASSERT_NE(InitDisplaySystem(), 0);
    ASSERT_EQ(SetFramePacing(30), 1);
    OpenMainWindow(0, 0, 0, 320, 240, kWindowStylePopup | kCentreOnDesktop, "");
    ASSERT_EQ(OpenWindowedDisplay(MainWindowHandle(), 0, 0, 320, 240, 0, 0, 0), 1);
    ExpectPresentWaits(322580);
}

TEST_F(Pacing, UnpacedPresentShowsThePictureAndReturns) {
    OpenGameDisplay();
    ASSERT_EQ(SetFramePacing(0), 1);
    ClearBackBuffer(1, 2, 3);
    EXPECT_EQ(TimedPresent(), 0);
    EXPECT_EQ(headless::PresentCount(), 1u);
    ASSERT_EQ(headless::LastPicture().size(), 320u * 240u);
    EXPECT_EQ(headless::LastPicture()[76799], 0x00010203u);
    EXPECT_EQ(headless::LastPictureSize().Width, 320);
    EXPECT_EQ(headless::LastPresentRect().Right, 320);
}

TEST_F(Pacing, WorkBetweenPresentsCountsTowardsThePeriod) {
    OpenGameDisplay();
    SetFramePacing(30);
    headless::SetCounterReadCost(1);
    PresentFrame();
    SleepMilliseconds(10);  // the game's work for this frame
    const std::int64_t second = TimedPresent();
    EXPECT_GT(second + 100000, 322580);
    EXPECT_LE(second + 100000, 322580 + 2);
    SleepMilliseconds(40);  // a frame longer than the period does not wait at all
    EXPECT_LE(TimedPresent(), 2);
}

TEST_F(Pacing, TheWaitSleepsRatherThanSpins) {
    OpenGameDisplay();
    SetFramePacing(30);
    PresentFrame();
    const std::uint64_t before = headless::CounterReads();
    const std::int64_t ticks = TimedPresent();
    EXPECT_GT(ticks, 322580);
    // At 0.1 ms per read a spinning wait would read the counter over 300 times; one reading
    // before the wait and one after it are all it takes.
    EXPECT_EQ(headless::CounterReads() - before, 2u);
}

TEST_F(Pacing, SignChangeRestartsTheWait) {
    constexpr std::int64_t kSignChange = std::int64_t{1} << 31;
    OpenGameDisplay();
    SetFramePacing(30);
    headless::SetCounterReadCost(1);
    SleepMilliseconds(214708);  // about 400000 ticks below the 32-bit sign change
    PresentFrame();
    const std::int64_t lastPresent = headless::Clock();
    ASSERT_LT(lastPresent, kSignChange);
    ASSERT_GT(lastPresent + 322580, kSignChange);
    PresentFrame();
    // Without the restart the frame would end one period after lastPresent, before the sign
    // change plus a period; with it, a full period runs from the first reading past the sign
    // change, which the wait must not sleep through.
    EXPECT_GT(headless::Clock() - kSignChange, 322580);
    EXPECT_LE(headless::Clock() - kSignChange, 322580 + 2);
}

}  // namespace
