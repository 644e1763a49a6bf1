// FrameTimer on the manual performance-counter clock.
#include <gtest/gtest.h>

#include "framework/frame_timer.h"
#include "platform/testing.h"

namespace {

using kl::testing::AdvanceManualClockSeconds;

class FrameTimerTest : public ::testing::Test {
protected:
    void SetUp() override { kl::testing::UseManualClock(1000); }
    void TearDown() override { kl::testing::UseRealClock(); }
};

TEST_F(FrameTimerTest, RunsFromZeroAfterRestart) {
    FrameTimer timer;
    timer.Restart();
    AdvanceManualClockSeconds(1.25);
    EXPECT_DOUBLE_EQ(1.25, timer.RunSeconds());
    EXPECT_DOUBLE_EQ(1.25, timer.TakeElapsed());
    AdvanceManualClockSeconds(0.5);
    EXPECT_DOUBLE_EQ(0.5, timer.TakeElapsed());
    EXPECT_DOUBLE_EQ(1.75, timer.RunSeconds());
}

TEST_F(FrameTimerTest, FrozenClockReadsTheSameAndNoElapsedTime) {
    FrameTimer timer;
    timer.Restart();
    AdvanceManualClockSeconds(2.0);
    timer.Freeze();
    AdvanceManualClockSeconds(3.0);
    EXPECT_DOUBLE_EQ(2.0, timer.RunSeconds());
    EXPECT_DOUBLE_EQ(2.0, timer.RunSeconds());
    EXPECT_DOUBLE_EQ(0.0, timer.TakeElapsed());
}

TEST_F(FrameTimerTest, ResumeSkipsTheFrozenSpan) {
    FrameTimer timer;
    timer.Restart();
    AdvanceManualClockSeconds(2.0);
    timer.Freeze();
    AdvanceManualClockSeconds(5.0);
    timer.Resume();
    EXPECT_DOUBLE_EQ(2.0, timer.RunSeconds());
    AdvanceManualClockSeconds(0.25);
    EXPECT_DOUBLE_EQ(0.25, timer.TakeElapsed());  // counted from the resume only
    EXPECT_DOUBLE_EQ(2.25, timer.RunSeconds());
}

TEST_F(FrameTimerTest, SecondFreezeDoesNotMoveTheStopPoint) {
    FrameTimer timer;
    timer.Restart();
    AdvanceManualClockSeconds(1.0);
    timer.Freeze();
    AdvanceManualClockSeconds(1.0);
    timer.Freeze();
    EXPECT_DOUBLE_EQ(1.0, timer.RunSeconds());
    timer.Resume();
    EXPECT_DOUBLE_EQ(1.0, timer.RunSeconds());
}

TEST_F(FrameTimerTest, ResumeWhileRunningOnlyMovesTheElapsedPoint) {
    FrameTimer timer;
    timer.Restart();
    AdvanceManualClockSeconds(1.0);
    timer.Resume();
    EXPECT_DOUBLE_EQ(0.0, timer.TakeElapsed());
    EXPECT_DOUBLE_EQ(1.0, timer.RunSeconds());
}

TEST_F(FrameTimerTest, NowSecondsCountsFromTheCounterOrigin) {
    kl::testing::SetManualClockTicks(3 * kl::testing::kManualClockFrequency);
    FrameTimer timer;
    timer.Restart();
    timer.Freeze();
    AdvanceManualClockSeconds(1.0);
    EXPECT_DOUBLE_EQ(3.0, timer.NowSeconds());  // frozen: the freeze instant
}

TEST_F(FrameTimerTest, NegativeElapsedIsReturnedUnclamped) {
    FrameTimer timer;
    timer.Restart();
    kl::testing::SetManualClockTicks(500);
    EXPECT_DOUBLE_EQ(-500.0 / kl::testing::kManualClockFrequency, timer.TakeElapsed());
}

TEST(FrameTimerWithoutCounter, EveryReadingIsMinusOne) {
    kl::testing::SetPerformanceCounterAvailable(false);
    FrameTimer timer;
    timer.Restart();
    EXPECT_EQ(-1.0, timer.RunSeconds());
    EXPECT_EQ(-1.0, timer.TakeElapsed());
    EXPECT_EQ(-1.0, timer.NowSeconds());
    timer.Freeze();
    EXPECT_EQ(-1.0, timer.RunSeconds());
    kl::testing::SetPerformanceCounterAvailable(true);
}

}  // namespace
