#include "game/ball.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cave/cave.h"
#include "platform/keyboard.h"
#include "platform/system.h"

namespace {

// A ball over a cave of 320 equal columns, without any display: the physics needs none.
class BallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetPlatformState();
        ListCreate(ColumnList);
        for (std::int32_t i = 0; i < 320; ++i) *ListAdd(ColumnList) = {20.0f, 220.0f};
        ball.X = 160.0f;
        ball.Y = 120.0f;
        ball.GravityScale = 1.0f;
        ball.Lift = 0.16f;
        ball.Radius = 4.0f;
        ball.Key = kKeyUp;
    }
    void TearDown() override { ListDestroy(ColumnList); }
    static void SetColumn160(float upper, float lower) {
        ListSelect(ColumnList, 160);
        *ListCurrent(ColumnList) = {upper, lower};
    }
    // The score one frame earns over a passage of this open height.
    std::int32_t ScoreFor(float openHeight) {
        SetColumn160(10.0f, 10.0f + openHeight);
        ball.Y = 10.0f;  // the centre at 14 is inside every passage of interest
        ball.VelY = 0.0f;
        ball.Score = 0;
        ball.Crashed = 0;
        UpdatePlayer(ball);
        return ball.Score;
    }
    Player ball{};
};

TEST_F(BallTest, UnsteeredBallFallsUnderGravity) {
    for (int frame = 1; frame <= 20; ++frame) {
        ASSERT_TRUE(UpdatePlayer(ball));
        EXPECT_NEAR(ball.Y, 120.0 + 0.0981 * frame * (frame - 1), 1e-3) << frame;
        EXPECT_EQ(ball.X, 160.0f);
    }
    EXPECT_NEAR(ball.VelY, 20 * 0.0981, 1e-5);
}

TEST_F(BallTest, HeldKeyLiftsTheBall) {
    KeyState[kKeyUp] = 0x80;
    float previous = ball.VelY;
    for (int frame = 0; frame < 10; ++frame) {
        UpdatePlayer(ball);
        EXPECT_NEAR(ball.VelY - previous, 0.0981 - 0.16, 1e-6);
        previous = ball.VelY;
    }
    EXPECT_LT(ball.Y, 120.0f);
}

TEST_F(BallTest, NarrowerPassagesScoreMoreAndHalvesRoundToEven) {
    EXPECT_EQ(ScoreFor(239.0f), 0);
    EXPECT_EQ(ScoreFor(238.5f), 1);  // n = 1.5 rounds to 2
    EXPECT_EQ(ScoreFor(236.5f), 3);  // n = 3.5 rounds to 4
    EXPECT_EQ(ScoreFor(230.0f), 8);
    EXPECT_EQ(ScoreFor(200.0f), 33);
    EXPECT_EQ(ScoreFor(120.0f), 100);
    EXPECT_EQ(ScoreFor(40.0f), 166);
    EXPECT_EQ(ScoreFor(17.0f), 185);
}

TEST_F(BallTest, TouchingAnEdgeExactlyIsNoCollision) {
    ball.GravityScale = 0.0f;  // the centre stays at 124
    SetColumn160(124.0f, 200.0f);
    UpdatePlayer(ball);
    EXPECT_EQ(ball.Crashed, 0);
    SetColumn160(50.0f, 124.0f);
    UpdatePlayer(ball);
    EXPECT_EQ(ball.Crashed, 0);
    SetColumn160(50.0f, std::nextafter(124.0f, 0.0f));
    UpdatePlayer(ball);
    EXPECT_EQ(ball.Crashed, 1);

    Player other = ball;
    other.Crashed = 0;
    SetColumn160(std::nextafter(124.0f, 200.0f), 200.0f);  // the centre, not the top, counts
    UpdatePlayer(other);
    EXPECT_EQ(other.Crashed, 1);
}

TEST_F(BallTest, CrashFrameScoresThenTheBallDriftsWithTheRock) {
    SetColumn160(130.0f, 200.0f);
    EXPECT_TRUE(UpdatePlayer(ball));
    EXPECT_EQ(ball.Crashed, 1);
    EXPECT_EQ(ball.Score, 141);  // 240 - 70 = 170 -> 141 in the crash frame
    const Player crashed = ball;
    for (int frame = 1; frame <= 3; ++frame) {
        KeyState[kKeyUp] = frame == 2 ? 0x80 : 0;
        EXPECT_FALSE(UpdatePlayer(ball));
        EXPECT_EQ(ball.X, 160.0f - 2.0f * frame);
        EXPECT_EQ(ball.Y, crashed.Y);
        EXPECT_EQ(ball.VelY, crashed.VelY);
        EXPECT_EQ(ball.Score, crashed.Score);
    }
}

}  // namespace
