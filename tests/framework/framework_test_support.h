// Helpers shared by the framework tests: the virtual desktop, a fixture that
// leaves the framework state clean for the exit-time shutdown, and current
// device settings for windowed or fullscreen mode.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "d3d9/library_registration.h"
#include "framework/framework_state.h"
#include "platform/testing.h"

namespace kl::framework_test {

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        kl::testing::ForceHeadless();
        // What the system directory holds on Windows: d3d9.dll.
        kl::d3d9::RegisterDirect3DLibrary();
        kl::testing::UseManualClock(1000);
    }

    // The state outlives the test (its teardown runs at process exit, after
    // the platform's own tables are gone), so nothing owned by the test and
    // no window may stay in it.
    void TearDown() override {
        FrameworkState& state = GetFrameworkState();
        state.SetDevice(nullptr);
        if (HWND window = state.GetFocusWindow()) SendMessageW(window, WM_CLOSE, 0, 0);
        if (state.GetCurrentSettings() == settings.get()) state.SetCurrentSettings(nullptr);
    }

    // Current settings of a device in the given mode (no device is created).
    void UseSettings(bool windowed) {
        settings = std::make_unique<DeviceSettings>();
        settings->presentParams.Windowed = windowed ? TRUE : FALSE;
        settings->presentParams.BackBufferWidth = 640;
        settings->presentParams.BackBufferHeight = 480;
        GetFrameworkState().SetCurrentSettings(settings.get());
    }

    // Reads and dispatches every queued message; true when WM_QUIT came.
    static bool PumpMessages() {
        MSG message{};
        bool quit = false;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return quit;
    }

    // A window of a plain class of its own, for tests that only need a handle.
    static HWND CreatePlainWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KestralunePlainTestWindow";
        RegisterClassW(&windowClass);
        return CreateWindowExW(0, L"KestralunePlainTestWindow", L"plain", WS_OVERLAPPEDWINDOW, 0, 0,
                               200, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    }

    std::unique_ptr<DeviceSettings> settings;
};

}  // namespace kl::framework_test
