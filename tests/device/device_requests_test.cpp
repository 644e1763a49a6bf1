#include <gtest/gtest.h>

#include "lifecycle_fixture.h"

using namespace kl::fake;
using Strings = std::vector<std::string>;

namespace {

bool refuseSettings = false;

bool CALLBACK RefusingAdjust(DeviceSettings*, const D3DCAPS9*, void*) {
    return !refuseSettings;
}

}  // namespace

TEST(DeviceOverrides, CommandLineOverridesApplyInTheirOrder) {
    FrameworkState& state = GetFrameworkState();
    state.SetOverrideAdapter(2);
    state.SetOverrideFullscreen(true);
    state.SetOverrideWindowed(true);  // windowed wins over fullscreen
    state.SetForceHal(true);
    state.SetForceRef(true);  // REF wins over HAL
    state.SetOverrideWidth(800);
    state.SetForceSwvp(true);

    DeviceSettings settings{};
    settings.adapterOrdinal = 0;
    settings.deviceType = D3DDEVTYPE_HAL;
    settings.behaviorFlags = D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_PUREDEVICE |
                             D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
    settings.presentParams.BackBufferWidth = 640;
    settings.presentParams.BackBufferHeight = 480;
    ApplyDeviceOverrides(&settings);
    EXPECT_EQ(settings.adapterOrdinal, 2u);
    EXPECT_EQ(settings.presentParams.Windowed, TRUE);
    EXPECT_EQ(settings.deviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(settings.presentParams.BackBufferWidth, 800u);
    EXPECT_EQ(settings.presentParams.BackBufferHeight, 480u);  // no height override
    // Pure and hardware cleared, software set; mixed and multithreaded kept.
    EXPECT_EQ(settings.behaviorFlags,
              static_cast<DWORD>(D3DCREATE_MIXED_VERTEXPROCESSING |
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED));

    state.SetForceSwvp(false);
    state.SetForcePureHwvp(true);
    ApplyDeviceOverrides(&settings);
    EXPECT_EQ(settings.behaviorFlags,
              static_cast<DWORD>(D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_PUREDEVICE |
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED));
}

using FirstDevice = LifecycleTest;

TEST_F(FirstDevice, FullscreenOptionGoesToTheDesktopSizeAndVsyncOffIsKept) {
    GetFrameworkState().SetOverrideFullscreen(true);
    GetFrameworkState().SetOverrideVsync(0);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    ASSERT_NE(Device(), nullptr);
    EXPECT_EQ(Device()->params.Windowed, FALSE);
    EXPECT_EQ(Device()->params.BackBufferWidth, 1024u);
    EXPECT_EQ(Device()->params.BackBufferHeight, 768u);
    EXPECT_EQ(Device()->params.FullScreen_RefreshRateInHz, 60u);
    EXPECT_EQ(Device()->params.PresentationInterval,
              static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
    EXPECT_FALSE(InWindowedMode());
}

TEST_F(FirstDevice, FullscreenSizeThatIsNoDisplayModeEndsAtTheNearestMode) {
    // -fullscreen -width:1000: the search fits the request to a display mode,
    // and the device is created with that mode, not with the width asked for.
    GetFrameworkState().SetOverrideFullscreen(true);
    GetFrameworkState().SetOverrideWidth(1000);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    ASSERT_NE(Device(), nullptr);
    EXPECT_EQ(Device()->params.Windowed, FALSE);
    EXPECT_EQ(Device()->params.BackBufferWidth, 1024u);
    EXPECT_EQ(Device()->params.BackBufferHeight, 768u);
    EXPECT_EQ(GetFrameworkState().GetExitCode(), 0);
}

TEST_F(FirstDevice, MultithreadedDeviceKeepsTheStateLockOn) {
    GetFrameworkState().SetForceHwvp(true);
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, nullptr, nullptr), S_OK);
    EXPECT_FALSE(GetFrameworkState().GetLockEnabled());

    DeviceSettings settings{};
    GetFrameworkState().CopyCurrentSettings(&settings);
    settings.behaviorFlags |= D3DCREATE_MULTITHREADED;
    ASSERT_EQ(SwitchDevice(&settings, nullptr, false, false), S_OK);
    EXPECT_TRUE(GetFrameworkState().GetLockEnabled());
    EXPECT_EQ(direct3d->createFlags.back(),
              static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED));
}

class TwoMonitors : public LifecycleTest {
protected:
    void SetVirtualMonitors() override {
        kl::testing::VirtualMonitor left;
        left.area = {0, 0, 1024, 768};
        left.work = {0, 0, 1024, 728};
        kl::testing::VirtualMonitor right;
        right.area = {1024, 0, 2048, 768};
        right.work = {1024, 0, 2048, 768};
        kl::testing::SetVirtualMonitors({left, right});
    }
    Hardware MakeHardware() override {
        Hardware hardware;
        hardware.adapters = {StandardAdapter(), StandardAdapter()};
        return hardware;
    }
    // Each adapter drives one monitor: the one the window is on at the two positions.
    void AssignMonitors() {
        SetWindowPos(window, nullptr, 1200, 100, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
        direct3d->hardware.adapters[1].monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
        SetWindowPos(window, nullptr, 50, 50, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
        ASSERT_NE(direct3d->hardware.adapters[0].monitor, direct3d->hardware.adapters[1].monitor);
    }
};

TEST_F(TwoMonitors, DeviceFollowsTheWindowToTheOtherMonitorsAdapter) {
    AssignMonitors();
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, RefusingAdjust, nullptr), S_OK);
    EXPECT_EQ(GetFrameworkState().GetCurrentSettings()->adapterOrdinal, 0u);

    CheckAdapterMonitor();  // still on the first monitor: nothing happens
    EXPECT_EQ(DeviceCallbacks(), (Strings{"created", "reset"}));

    SetWindowPos(window, nullptr, 1200, 100, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    CheckAdapterMonitor();
    EXPECT_EQ(GetFrameworkState().GetCurrentSettings()->adapterOrdinal, 1u);
    EXPECT_EQ(GetFrameworkState().GetAdapterMonitor(), direct3d->hardware.adapters[1].monitor);
    EXPECT_EQ(DeviceCallbacks(),
              (Strings{"created", "reset", "lost", "destroyed", "created", "reset"}));
}

TEST_F(TwoMonitors, RefusedAdapterChangeStopsFollowingMonitors) {
    AssignMonitors();
    refuseSettings = false;
    ASSERT_EQ(CreateDefaultDevice(0, true, 640, 480, nullptr, RefusingAdjust, nullptr), S_OK);
    refuseSettings = true;
    SetWindowPos(window, nullptr, 1200, 100, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    CheckAdapterMonitor();
    EXPECT_FALSE(GetFrameworkState().GetAutoChangeAdapter());
    EXPECT_EQ(GetFrameworkState().GetCurrentSettings()->adapterOrdinal, 0u);
    EXPECT_EQ(DeviceCallbacks(), (Strings{"created", "reset"}));
}
