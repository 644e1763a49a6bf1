// Entry points looked up at run time and the fixed answers used without them.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/system_libraries.h"
#include "framework_test_support.h"

namespace {

using kl::framework_test::FrameworkTest;

class SystemLibrariesTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        kl::testing::VirtualMonitor primary;
        SetRect(&primary.area, 0, 0, 1280, 1024);
        SetRect(&primary.work, 0, 0, 1280, 984);
        kl::testing::SetVirtualMonitors({primary});
    }
};

TEST_F(SystemLibrariesTest, MonitorFallbackAnswersTheSentinelOnlyWhenADefaultIsAsked) {
    EXPECT_EQ(nullptr, PrimaryMonitorFallback(MONITOR_DEFAULTTONULL));
    EXPECT_EQ(HMONITOR(0x12340042), PrimaryMonitorFallback(MONITOR_DEFAULTTONEAREST));
    EXPECT_EQ(HMONITOR(0x12340042), PrimaryMonitorFallback(MONITOR_DEFAULTTOPRIMARY));
    EXPECT_EQ(nullptr, PrimaryMonitorFallback(4));  // no default bit among the flags
}

TEST_F(SystemLibrariesTest, MonitorInfoFallbackDescribesTheScreenForTheSentinel) {
    MONITORINFO info{};
    info.cbSize = sizeof(MONITORINFO);
    ASSERT_TRUE(PrimaryMonitorInfoFallback(PRIMARY_MONITOR_SENTINEL, &info));
    EXPECT_EQ(0, info.rcMonitor.left);
    EXPECT_EQ(0, info.rcMonitor.top);
    EXPECT_EQ(1280, info.rcMonitor.right);
    EXPECT_EQ(1024, info.rcMonitor.bottom);
    EXPECT_EQ(1280, info.rcWork.right);
    EXPECT_EQ(984, info.rcWork.bottom);
    EXPECT_EQ(DWORD(MONITORINFOF_PRIMARY), info.dwFlags);
}

TEST_F(SystemLibrariesTest, MonitorInfoFallbackRefusesOtherHandlesAndShortRecords) {
    MONITORINFO info;
    std::memset(&info, 0x5A, sizeof(info));
    info.cbSize = sizeof(MONITORINFO);
    MONITORINFO before = info;
    EXPECT_FALSE(PrimaryMonitorInfoFallback(HMONITOR(0x12340043), &info));
    EXPECT_EQ(0, std::memcmp(&before, &info, sizeof(info)));

    info.cbSize = sizeof(MONITORINFO) - 1;
    before = info;
    EXPECT_FALSE(PrimaryMonitorInfoFallback(PRIMARY_MONITOR_SENTINEL, &info));
    EXPECT_EQ(0, std::memcmp(&before, &info, sizeof(info)));
    EXPECT_FALSE(PrimaryMonitorInfoFallback(PRIMARY_MONITOR_SENTINEL, nullptr));
}

TEST_F(SystemLibrariesTest, ShimsForwardToTheSystemFunctions) {
    HWND window = CreatePlainWindow();
    ASSERT_NE(nullptr, window);
    const HMONITOR monitor = MonitorFromWindowShim(window, MONITOR_DEFAULTTONEAREST);
    EXPECT_EQ(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), monitor);
    EXPECT_NE(PRIMARY_MONITOR_SENTINEL, monitor);

    MONITORINFO viaShim{};
    viaShim.cbSize = sizeof(MONITORINFO);
    ASSERT_TRUE(GetMonitorInfoShim(monitor, &viaShim));
    EXPECT_EQ(1280, viaShim.rcMonitor.right);
    EXPECT_EQ(984, viaShim.rcWork.bottom);
    EXPECT_EQ(DWORD(MONITORINFOF_PRIMARY), viaShim.dwFlags);
    // The real function knows nothing of the fallback's sentinel.
    EXPECT_FALSE(GetMonitorInfoShim(PRIMARY_MONITOR_SENTINEL, &viaShim));
}

TEST_F(SystemLibrariesTest, MediaShellIsNotStartedOutsideAMediaCentreEdition) {
    kl::testing::SetSystemMetric(SM_MEDIACENTER, 0);
    EXPECT_FALSE(RelaunchMediaShell());
    kl::testing::ClearSystemMetricOverrides();
}

TEST_F(SystemLibrariesTest, MediaCentreWithoutTheShellProgramStartsNothing) {
    kl::testing::SetSystemMetric(SM_MEDIACENTER, 1);
    EXPECT_FALSE(RelaunchMediaShell());  // no %SystemRoot%\ehome\ehshell.exe here
    kl::testing::ClearSystemMetricOverrides();
}

TEST_F(SystemLibrariesTest, ControllerRumbleIsStoppedThroughTheControllerLibrary) {
    EXPECT_EQ(S_OK, StopControllerRumble());
    EXPECT_EQ(S_OK, StopControllerRumble());  // the entry point is kept
}

TEST_F(SystemLibrariesTest, Direct3DIsCreatedFromTheSystemLibrary) {
    IDirect3D9* direct3d = CreateDirect3D(32);
    ASSERT_NE(nullptr, direct3d);
    IDirect3D9* second = CreateDirect3D(32);
    ASSERT_NE(nullptr, second);
    EXPECT_GE(direct3d->GetAdapterCount(), 1u);
    second->Release();
    direct3d->Release();
}

}  // namespace
