#include <gtest/gtest.h>

#include "framework/error_display.h"
#include "lifecycle_fixture.h"

using namespace kl::fake;
using Strings = std::vector<std::string>;

namespace {

int resetCalls = 0;

// Succeeds the first time only, as an application whose resources cannot
// be made again.
HRESULT CALLBACK ResetOnlyOnce(IDirect3DDevice9*, const D3DSURFACE_DESC*, void*) {
    Events().push_back("reset");
    return ++resetCalls == 1 ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

using DeviceFailures = LifecycleTest;

TEST_F(DeviceFailures, FailedResetFallsBackToANewDeviceAndEndsItsPause) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    FakeDevice* first = Device();
    first->resetAnswers = {D3DERR_INVALIDCALL};
    Events().clear();

    DeviceSettings settings{};
    GetFrameworkState().CopyCurrentSettings(&settings);
    settings.presentParams.BackBufferWidth = 800;
    settings.presentParams.BackBufferHeight = 600;
    ASSERT_EQ(SwitchDevice(&settings, nullptr, false, false), S_OK);
    EXPECT_EQ(EventsMatching({"created", "reset", "lost", "destroyed", "Reset", "Release"}),
              (Strings{"lost", "Reset", "destroyed", "Release", "created", "reset"}));
    EXPECT_EQ(Device()->params.BackBufferWidth, 800u);
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(state.GetRenderingPauseCount(), 0);
    EXPECT_EQ(state.GetTimePauseCount(), 0);
    EXPECT_FALSE(state.GetRenderingPaused());
    EXPECT_FALSE(state.GetIgnoreSizeChange());
    EXPECT_TRUE(MessageBoxTexts().empty());
}

TEST_F(DeviceFailures, FailedObjectResetIsShownAndShutsDown) {
    SetDeviceResetCallback(ResetOnlyOnce, nullptr);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    DeviceSettings settings{};
    GetFrameworkState().CopyCurrentSettings(&settings);
    settings.presentParams.BackBufferWidth = 800;
    EXPECT_EQ(SwitchDevice(&settings, nullptr, false, false), FWERR_OBJECTS_RESET_FAILED);
    // The failed reset is followed by a lost call of its own, then the
    // shutdown destroys the objects.
    EXPECT_EQ(DeviceCallbacks(),
              (Strings{"created", "reset", "lost", "reset", "lost", "destroyed"}));
    EXPECT_EQ(MessageBoxTexts(),
              std::vector<std::wstring>{L"Failed resetting Direct3D device objects."});
    EXPECT_EQ(GetFrameworkState().GetDevice(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 0);  // the shutdown's own code
}

TEST_F(DeviceFailures, FailedCreationIsShownAndLeavesNothing) {
    direct3d->hardware.adapters[0].types[0].createResult = D3DERR_OUTOFVIDEOMEMORY;
    EXPECT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr),
              FWERR_DEVICE_CREATE_FAILED);
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(MessageBoxTexts(),
              std::vector<std::wstring>{L"Failed creating the Direct3D device."});
    EXPECT_EQ(state.GetExitCode(), 6);
    EXPECT_EQ(state.GetDevice(), nullptr);
    EXPECT_EQ(state.GetCurrentSettings(), nullptr);
    EXPECT_FALSE(state.GetDeviceCreated());
    EXPECT_EQ(state.GetRenderingPauseCount(), 0);
    EXPECT_FALSE(state.GetIgnoreSizeChange());
    EXPECT_TRUE(DeviceCallbacks().empty());

    // The main loop refuses to run and keeps the error's exit code.
    EXPECT_EQ(RunMainLoop(nullptr), E_FAIL);
    EXPECT_EQ(state.GetExitCode(), 6);
}

TEST_F(DeviceFailures, DeviceLostAtCreationIsCreatedLaterByTheFrameLoop) {
    direct3d->hardware.adapters[0].types[0].createResult = D3DERR_DEVICELOST;
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(state.GetDevice(), nullptr);
    EXPECT_TRUE(state.GetDeviceLost());
    EXPECT_TRUE(state.GetDeviceCreated());
    EXPECT_TRUE(DeviceCallbacks().empty());

    RenderOneFrame();  // still no device to be had
    EXPECT_EQ(state.GetDevice(), nullptr);

    direct3d->hardware.adapters[0].types[0].createResult = S_OK;
    RenderOneFrame();  // creates the device, draws nothing yet
    ASSERT_NE(Device(), nullptr);
    EXPECT_EQ(EventsMatching({"created", "reset", "update"}), (Strings{"created", "reset"}));
    RenderOneFrame();  // the cooperative level is fine: the frame runs
    EXPECT_FALSE(state.GetDeviceLost());
    EXPECT_EQ(EventsMatching({"created", "reset", "update", "draw"}),
              (Strings{"created", "reset", "update", "draw"}));
}

TEST_F(DeviceFailures, LostRecreationAfterAFailedResetKeepsTheDeviceLostAndRetries) {
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    FrameworkState& state = GetFrameworkState();
    Device()->cooperativeAnswers = {D3DERR_DEVICENOTRESET};
    Device()->resetAnswers = {D3DERR_INVALIDCALL};
    direct3d->hardware.adapters[0].types[0].createResult = D3DERR_DEVICELOST;
    state.SetDeviceLost(true);
    Events().clear();

    RenderOneFrame();  // the reset fails, the new device is lost at creation
    EXPECT_EQ(state.GetDevice(), nullptr);
    EXPECT_TRUE(state.GetDeviceLost());
    EXPECT_EQ(EventsMatching({"update", "draw"}), Strings{});

    const int64_t before = kl::testing::ManualClockTicks();
    RenderOneFrame();  // still lost: the idle pass sleeps and tries again
    EXPECT_EQ(kl::testing::ManualClockTicks() - before, 50000);
    EXPECT_EQ(state.GetDevice(), nullptr);
    EXPECT_TRUE(state.GetDeviceLost());

    direct3d->hardware.adapters[0].types[0].createResult = S_OK;
    RenderOneFrame();
    ASSERT_NE(Device(), nullptr);
    RenderOneFrame();
    EXPECT_FALSE(state.GetDeviceLost());
    EXPECT_EQ(DeviceCallbacks(), (Strings{"lost", "destroyed", "created", "reset"}));
    EXPECT_EQ(EventsMatching({"update", "draw"}), (Strings{"update", "draw"}));
    EXPECT_TRUE(MessageBoxTexts().empty());
}

TEST_F(DeviceFailures, DesktopFormatChangeWhileLostMovesTheDeviceToTheNewFormat) {
    direct3d->hardware.adapters[0].formatPairs.push_back({D3DFMT_R5G6B5, D3DFMT_R5G6B5});
    direct3d->hardware.adapters[0].modes.push_back({640, 480, 60, D3DFMT_R5G6B5});
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(GetFrameworkState().GetCurrentSettings()->adapterFormat, D3DFMT_X8R8G8B8);

    FrameworkState& state = GetFrameworkState();
    Device()->cooperativeAnswers = {D3DERR_DEVICENOTRESET};
    state.SetDeviceLost(true);
    direct3d->hardware.adapters[0].desktop.Format = D3DFMT_R5G6B5;
    RenderOneFrame();
    DeviceSettings* settings = state.GetCurrentSettings();
    EXPECT_EQ(settings->adapterFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(settings->presentParams.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(settings->presentParams.AutoDepthStencilFormat, D3DFMT_D32);  // kept: Nearest
    EXPECT_EQ(Device()->params.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(DeviceCallbacks(), (Strings{"created", "reset", "lost", "reset"}));
}
