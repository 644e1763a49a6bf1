// The framework state's defaults, settings copy-out and derived queries.
#include <gtest/gtest.h>

#include "framework/framework_state.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

TEST(FrameworkState, StartsWithTheDocumentedDefaults) {
    FrameworkState& state = GetFrameworkState();
    EXPECT_TRUE(state.GetShowErrorBoxes());
    EXPECT_TRUE(state.GetAutoChangeAdapter());
    EXPECT_TRUE(state.GetAllowShortcutKeysWhenWindowed());
    EXPECT_FALSE(state.GetAllowShortcutKeysWhenFullscreen());
    EXPECT_TRUE(state.GetActive());
    EXPECT_EQ(-1, state.GetOverrideStartX());
    EXPECT_EQ(-1, state.GetOverrideStartY());
    EXPECT_EQ(-1, state.GetOverrideAdapter());
    EXPECT_EQ(-1, state.GetOverrideVsync());
    EXPECT_EQ(0, state.GetOverrideWidth());
    EXPECT_EQ(0, state.GetExitCode());
    EXPECT_EQ(nullptr, state.GetDevice());
    EXPECT_EQ(nullptr, state.GetDirect3D());
    EXPECT_FALSE(state.GetInitialized());
    EXPECT_EQ(0.0f, state.GetFramesPerSecond());
    EXPECT_TRUE(state.GetLockEnabled());
    EXPECT_STREQ(L"", state.GetWindowTitle());
    EXPECT_EQ(nullptr, state.GetMessageHandler());
}

TEST(FrameworkState, IsOneInstance) {
    EXPECT_EQ(&GetFrameworkState(), &GetFrameworkState());
}

TEST(FrameworkState, SettingsCopyBeforeAnyDeviceIsAllZero) {
    DeviceSettings settings;
    std::memset(&settings, 0xAB, sizeof(settings));
    GetFrameworkState().CopyCurrentSettings(&settings);
    const DeviceSettings zero{};
    EXPECT_EQ(0, std::memcmp(&zero, &settings, sizeof(settings)));
    EXPECT_FALSE(InWindowedMode());
}

TEST(FrameworkState, ActiveDeviceWindowFollowsTheWindowedFlag) {
    FrameworkState& state = GetFrameworkState();
    HWND windowed = reinterpret_cast<HWND>(0x100);
    HWND fullscreen = reinterpret_cast<HWND>(0x200);
    state.SetWindowedDeviceWindow(windowed);
    state.SetFullscreenDeviceWindow(fullscreen);
    EXPECT_EQ(fullscreen, ActiveDeviceWindow());  // no settings: fullscreen

    DeviceSettings* settings = new DeviceSettings{};
    settings->presentParams.Windowed = TRUE;
    state.SetCurrentSettings(settings);
    EXPECT_TRUE(InWindowedMode());
    EXPECT_EQ(windowed, ActiveDeviceWindow());

    settings->presentParams.Windowed = FALSE;
    EXPECT_EQ(fullscreen, ActiveDeviceWindow());

    DeviceSettings copy{};
    state.CopyCurrentSettings(&copy);
    EXPECT_EQ(0, std::memcmp(settings, &copy, sizeof(copy)));
    state.SetCurrentSettings(nullptr);
    delete settings;
}

TEST(FrameworkState, WindowTitleIsCutToItsBuffer) {
    std::wstring longTitle(300, L'x');
    GetFrameworkState().SetWindowTitle(longTitle.c_str());
    EXPECT_EQ(255u, std::wcslen(GetFrameworkState().GetWindowTitle()));
}

TEST(FrameworkState, CallbackSettersStoreFunctionAndContext) {
    int context = 0;
    auto handler = [](void*) {};
    SetDeviceLostCallback(handler, &context);
    EXPECT_EQ(static_cast<DeviceLostCallback>(handler), GetFrameworkState().GetDeviceLostHandler());
    EXPECT_EQ(&context, GetFrameworkState().GetDeviceLostContext());
}

TEST(FrameworkState, AccessorsWorkWithLockingSwitchedOff) {
    FrameworkState& state = GetFrameworkState();
    state.SetLockEnabled(false);
    state.SetExitCode(7);
    EXPECT_EQ(7, state.GetExitCode());
    state.SetLockEnabled(true);
    EXPECT_EQ(7, state.GetExitCode());
}

}  // namespace
