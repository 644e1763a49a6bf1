#include <gtest/gtest.h>

#include "framework/frame_timer.h"
#include "framework/pausing.h"
#include "lifecycle_fixture.h"

using namespace kl::fake;

namespace {

HRESULT nestedResult = S_OK;
int32_t exitCodeAfterNested = -1;

void CALLBACK NestedLoopUpdate(IDirect3DDevice9*, double, float, void*) {
    if (exitCodeAfterNested != -1) return;
    nestedResult = RunMainLoop(nullptr);
    exitCodeAfterNested = GetFrameworkState().GetExitCode();
}

// Real time passes irregularly; a constant frame time must not see it.
void CALLBACK UpdateWhileTimePasses(IDirect3DDevice9* device, double time, float elapsed,
                                    void* context) {
    RecordUpdate(device, time, elapsed, context);
    kl::testing::AdvanceManualClockSeconds(7.25);
}

int CountOf(const std::string& name) {
    int count = 0;
    for (const std::string& event : Events()) count += event == name;
    return count;
}

}  // namespace

using MainLoop = LifecycleTest;

TEST_F(MainLoop, QuitAfterFrameThreeCompletesFourFrames) {
    GetFrameworkState().SetQuitAfterFrame(3);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(RunMainLoop(nullptr), S_OK);
    EXPECT_EQ(CountOf("update"), 4);
    EXPECT_EQ(CountOf("draw"), 4);
    EXPECT_EQ(GetFrameworkState().GetFrameNumber(), 4);
    EXPECT_FALSE(GetFrameworkState().GetInsideMainLoop());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetFrameworkState().GetDevice(), nullptr);
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 0);
}

TEST_F(MainLoop, ConstantFrameTimeIgnoresTheClock) {
    FrameworkState& state = GetFrameworkState();
    state.SetQuitAfterFrame(3);
    state.SetConstantFrameTimeEnabled(true);
    state.SetConstantFrameTime(0.5f);
    SetFrameUpdateCallback(UpdateWhileTimePasses, nullptr);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(RunMainLoop(nullptr), S_OK);
    EXPECT_EQ(Frames().times, (std::vector<double>{0.5, 1.0, 1.5, 2.0}));
    EXPECT_EQ(Frames().elapsed, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f}));
}

TEST_F(MainLoop, TimeComesFromTheTimerWithoutAConstantFrameTime) {
    GetFrameworkState().SetQuitAfterFrame(1);
    SetFrameUpdateCallback(UpdateWhileTimePasses, nullptr);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    GetFrameTimer().Restart();
    ASSERT_EQ(RunMainLoop(nullptr), S_OK);
    ASSERT_EQ(Frames().times.size(), 2u);
    EXPECT_DOUBLE_EQ(Frames().times[1] - Frames().times[0], 7.25);
    EXPECT_FLOAT_EQ(Frames().elapsed[1], 7.25f);
}

TEST_F(MainLoop, NestedRunFailsAndTurnsExitCodeZeroIntoOne) {
    GetFrameworkState().SetQuitAfterFrame(1);
    SetFrameUpdateCallback(NestedLoopUpdate, nullptr);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(RunMainLoop(nullptr), S_OK);
    EXPECT_EQ(nestedResult, E_FAIL);
    EXPECT_EQ(exitCodeAfterNested, 1);
}

TEST_F(MainLoop, RefusesToRunWithoutADevice) {
    GetFrameworkState().SetDeviceCreateCalled(true);  // a first request failed
    GetFrameworkState().SetExitCode(11);
    EXPECT_EQ(RunMainLoop(nullptr), E_FAIL);
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 1);
}

TEST_F(MainLoop, PausedRenderingStillUpdatesAndCountsFrames) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    PauseFramework(false, true);
    Events().clear();
    const int64_t before = kl::testing::ManualClockTicks();
    RenderOneFrame();
    EXPECT_EQ(kl::testing::ManualClockTicks() - before, 50000);  // idle passes sleep 50 ms
    EXPECT_EQ(Events(), (std::vector<std::string>{"update"}));
    EXPECT_EQ(Device()->presents, 0);
    EXPECT_EQ(GetFrameworkState().GetFrameNumber(), 1);

    // A lost device is not restored while rendering is paused.
    GetFrameworkState().SetDeviceLost(true);
    RenderOneFrame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"update", "update"}));
    EXPECT_TRUE(GetFrameworkState().GetDeviceLost());

    PauseFramework(false, false);
    RenderOneFrame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"update", "update", "TestCooperativeLevel",
                                                  "update", "draw"}));
    EXPECT_EQ(Device()->presents, 1);
}
