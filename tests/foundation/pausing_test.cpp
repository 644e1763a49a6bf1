// Counted pauses of time and rendering.
#include <gtest/gtest.h>

#include "framework/frame_timer.h"
#include "framework/framework_state.h"
#include "framework/pausing.h"
#include "platform/testing.h"

namespace {

class PausingTest : public ::testing::Test {
protected:
    void SetUp() override {
        kl::testing::UseManualClock(1000);
        GetFrameTimer().Restart();
    }
};

TEST_F(PausingTest, ResumingWithNothingPausedKeepsCountsAtZero) {
    PauseFramework(false, false);
    PauseFramework(false, false);
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(0, state.GetTimePauseCount());
    EXPECT_EQ(0, state.GetRenderingPauseCount());
    EXPECT_FALSE(state.GetTimePaused());
    EXPECT_FALSE(state.GetRenderingPaused());
    EXPECT_FALSE(GetFrameTimer().IsStopped());
    PauseFramework(true, true);
    EXPECT_EQ(1, state.GetTimePauseCount());  // one resume too many did not bank
}

TEST_F(PausingTest, NestedTimePausesNeedAsManyResumes) {
    PauseFramework(true, true);
    PauseFramework(true, true);
    PauseFramework(false, false);
    EXPECT_TRUE(GetFrameworkState().GetTimePaused());
    EXPECT_TRUE(GetFrameTimer().IsStopped());
    PauseFramework(false, false);
    EXPECT_FALSE(GetFrameworkState().GetTimePaused());
    EXPECT_FALSE(GetFrameworkState().GetRenderingPaused());
    EXPECT_FALSE(GetFrameTimer().IsStopped());
}

TEST_F(PausingTest, TimePausedWhileRenderingGoesOn) {
    // (true, false): adds a time pause and removes a rendering level.
    PauseFramework(true, true);
    PauseFramework(true, false);
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(2, state.GetTimePauseCount());
    EXPECT_EQ(0, state.GetRenderingPauseCount());
    EXPECT_TRUE(state.GetTimePaused());
    EXPECT_FALSE(state.GetRenderingPaused());
}

TEST_F(PausingTest, PausedTimeDoesNotCount) {
    kl::testing::AdvanceManualClockSeconds(1.0);
    PauseFramework(true, false);
    kl::testing::AdvanceManualClockSeconds(10.0);
    EXPECT_DOUBLE_EQ(1.0, GetFrameTimer().RunSeconds());
    PauseFramework(false, false);
    kl::testing::AdvanceManualClockSeconds(0.5);
    EXPECT_DOUBLE_EQ(1.5, GetFrameTimer().RunSeconds());
}

}  // namespace
