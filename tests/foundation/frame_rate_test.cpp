// Frame-rate measurement on the manual clock.
#include <gtest/gtest.h>

#include "framework/frame_rate.h"
#include "framework/framework_state.h"
#include "platform/testing.h"

namespace {

constexpr int64_t kSecond = kl::testing::kManualClockFrequency;

class FrameRateTest : public ::testing::Test {
protected:
    // Starts a measuring window at 100 s of counter time.
    void SetUp() override {
        kl::testing::UseManualClock(100 * kSecond);
        UpdateFrameRate();  // first pass: near-zero rate, starts the window
    }
};

TEST_F(FrameRateTest, FirstPassMeasuresAgainstTheCounterOrigin) {
    EXPECT_FLOAT_EQ(1.0f / 100.0f, GetFrameworkState().GetFramesPerSecond());
    EXPECT_DOUBLE_EQ(100.0, GetFrameworkState().GetLastStatsUpdateTime());
}

TEST_F(FrameRateTest, HundredTwentyPassesOverOneAndAHalfSecondsIsEighty) {
    for (int pass = 1; pass < 120; ++pass) {
        kl::testing::AdvanceManualClockSeconds(1.0 / 120.0);
        UpdateFrameRate();
    }
    EXPECT_FLOAT_EQ(0.01f, GetFrameworkState().GetFramesPerSecond());  // not yet
    kl::testing::SetManualClockTicks(100 * kSecond + kSecond * 3 / 2);
    UpdateFrameRate();
    EXPECT_FLOAT_EQ(80.0f, GetFrameworkState().GetFramesPerSecond());
    EXPECT_EQ(0u, GetFrameworkState().GetLastStatsUpdateFrames());
}

TEST_F(FrameRateTest, ExactlyOneSecondDoesNotRecompute) {
    kl::testing::SetManualClockTicks(101 * kSecond);
    UpdateFrameRate();
    EXPECT_FLOAT_EQ(0.01f, GetFrameworkState().GetFramesPerSecond());
    EXPECT_EQ(1u, GetFrameworkState().GetLastStatsUpdateFrames());
    kl::testing::SetManualClockTicks(101 * kSecond + 1);
    UpdateFrameRate();
    EXPECT_NEAR(2.0f, GetFrameworkState().GetFramesPerSecond(), 1e-5f);
}

TEST(FrameRateOff, NoStatsKeepsTheRateAtZero) {
    kl::testing::UseManualClock(100 * kSecond);
    GetFrameworkState().SetNoStats(true);
    for (int pass = 0; pass < 10; ++pass) {
        kl::testing::AdvanceManualClockSeconds(0.5);
        UpdateFrameRate();
    }
    EXPECT_EQ(0.0f, GetFrameworkState().GetFramesPerSecond());
    EXPECT_EQ(0u, GetFrameworkState().GetLastStatsUpdateFrames());
}

TEST(FrameRateOff, WithoutACounterTheRateStaysZero) {
    kl::testing::SetPerformanceCounterAvailable(false);
    for (int pass = 0; pass < 10; ++pass) UpdateFrameRate();
    EXPECT_EQ(0.0f, GetFrameworkState().GetFramesPerSecond());
}

}  // namespace
