// The framework window on the virtual desktop and its window procedure.
#include <gtest/gtest.h>

#include <vector>

#include "framework/frame_timer.h"
#include "framework/framework_callbacks.h"
#include "framework/framework_state.h"
#include "framework/initialization.h"
#include "framework/pausing.h"
#include "framework/shortcut_keys.h"
#include "framework/window.h"
#include "framework_test_support.h"
#include "state_and_cursor_device.h"

namespace {

using kl::framework_test::FrameworkTest;
using kl::framework_test::StateAndCursorDevice;

constexpr LPARAM kAltHeld = LPARAM(1) << 29;

class WindowTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        // The window needs no Direct3D object: start-up counts as done, with
        // the switches the application passes.
        FrameworkState& state = GetFrameworkState();
        state.SetInitCalled(true);
        state.SetInitialized(true);
        state.SetHandleDefaultKeys(true);
        state.SetHandleAltEnter(true);
        GetFrameTimer().Restart();
    }

    HWND CreateWindowFromCommandLine(const wchar_t* commandLine) {
        kl::testing::SetProcessCommandLine(commandLine);
        ReadCommandLineOptions();
        EXPECT_EQ(S_OK, CreateFrameworkWindow(L"Orvantis", nullptr, nullptr, nullptr, CW_USEDEFAULT,
                                              CW_USEDEFAULT));
        return GetFrameworkState().GetFocusWindow();
    }

    static void ExpectPauseCounts(int32_t time, int32_t rendering) {
        EXPECT_EQ(time, GetFrameworkState().GetTimePauseCount());
        EXPECT_EQ(rendering, GetFrameworkState().GetRenderingPauseCount());
    }
};

TEST_F(WindowTest, CommandLineSetsClientSizeAndPosition) {
    HWND window =
        CreateWindowFromCommandLine(L"app.exe -width:1024 -height:768 -startx:10 -starty:20");
    ASSERT_NE(nullptr, window);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(1024, client.right - client.left);
    EXPECT_EQ(768, client.bottom - client.top);
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(window, &frame));
    EXPECT_EQ(10, frame.left);
    EXPECT_EQ(20, frame.top);

    FrameworkState& state = GetFrameworkState();
    EXPECT_FALSE(state.GetWindowAtDefaultPosition());
    EXPECT_TRUE(state.GetWindowCreated());
    EXPECT_TRUE(state.GetWindowCreateCalled());
    EXPECT_EQ(window, state.GetFullscreenDeviceWindow());
    EXPECT_EQ(window, state.GetWindowedDeviceWindow());
    EXPECT_EQ(GetModuleHandleW(nullptr), state.GetInstance());
    EXPECT_STREQ(L"Orvantis", state.GetWindowTitle());
    EXPECT_EQ(DWORD(WS_OVERLAPPEDWINDOW),
              DWORD(GetWindowLongW(window, GWL_STYLE)) & DWORD(WS_OVERLAPPEDWINDOW));
    EXPECT_FALSE(IsWindowVisible(window));  // the first device change shows it
}

// The largest values the options take are held where the window's rectangle
// is computed, not wrapped around.
TEST_F(WindowTest, ExtremeSizeAndPositionAreClamped) {
    HWND window = CreateWindowFromCommandLine(
        L"app.exe -width:2147483647 -height:2147483647 -startx:2147483647 -starty:2147483647");
    ASSERT_NE(nullptr, window);
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(window, &frame));
    EXPECT_EQ(32767, frame.left);
    EXPECT_EQ(32767, frame.top);
    EXPECT_EQ(32767, frame.right - frame.left);
    EXPECT_EQ(32767, frame.bottom - frame.top);
}

TEST_F(WindowTest, DefaultsToA640By480ClientAtTheSystemsPosition) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    ASSERT_NE(nullptr, window);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(640, client.right);
    EXPECT_EQ(480, client.bottom);
    EXPECT_TRUE(GetFrameworkState().GetWindowAtDefaultPosition());
}

TEST_F(WindowTest, OnlyOneStartCoordinateGivenIsNotTheDefaultPosition) {
    CreateWindowFromCommandLine(L"app.exe -startx:30");
    EXPECT_FALSE(GetFrameworkState().GetWindowAtDefaultPosition());
}

TEST_F(WindowTest, SecondCreationReturnsOkAndCreatesNothing) {
    HWND first = CreateWindowFromCommandLine(L"app.exe");
    EXPECT_EQ(S_OK, CreateFrameworkWindow(L"Direct3D Window", nullptr, nullptr, nullptr, 5, 5));
    EXPECT_EQ(first, GetFrameworkState().GetFocusWindow());
    EXPECT_STREQ(L"Orvantis", GetFrameworkState().GetWindowTitle());
}

TEST_F(WindowTest, RefusedInsideDeviceCallbacksAndAfterFailedStartUp) {
    FrameworkState& state = GetFrameworkState();
    state.SetInsideDeviceCallbacks(true);
    EXPECT_EQ(E_FAIL, CreateFrameworkWindow(L"t", nullptr, nullptr, nullptr, 0, 0));
    EXPECT_FALSE(state.GetWindowCreateCalled());
    state.SetInsideDeviceCallbacks(false);

    state.SetInitialized(false);  // start-up was entered and failed
    EXPECT_EQ(E_FAIL, CreateFrameworkWindow(L"t", nullptr, nullptr, nullptr, 0, 0));
    EXPECT_TRUE(state.GetWindowCreateCalled());
    EXPECT_EQ(nullptr, state.GetFocusWindow());
}

TEST_F(WindowTest, PauseKeyTwicePausesAndResumesTimeButNotDrawing) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    kl::testing::AdvanceManualClockSeconds(1.0);
    SendMessageW(window, WM_KEYDOWN, VK_PAUSE, 0);
    EXPECT_TRUE(GetFrameworkState().GetTimePaused());
    EXPECT_FALSE(GetFrameworkState().GetRenderingPaused());
    kl::testing::AdvanceManualClockSeconds(5.0);
    EXPECT_DOUBLE_EQ(1.0, GetFrameTimer().RunSeconds());

    SendMessageW(window, WM_KEYDOWN, VK_PAUSE, 0);
    EXPECT_FALSE(GetFrameworkState().GetTimePaused());
    kl::testing::AdvanceManualClockSeconds(2.0);
    EXPECT_DOUBLE_EQ(3.0, GetFrameTimer().RunSeconds());
    ExpectPauseCounts(0, 0);
}

TEST_F(WindowTest, DefaultKeysDoNothingWhenSwitchedOff) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    GetFrameworkState().SetHandleDefaultKeys(false);
    SendMessageW(window, WM_KEYDOWN, VK_PAUSE, 0);
    SendMessageW(window, WM_KEYDOWN, VK_F8, 0);
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ExpectPauseCounts(0, 0);
    EXPECT_FALSE(GetFrameworkState().GetWireframe());
    EXPECT_EQ(window, GetFrameworkState().GetFocusWindow());
}

TEST_F(WindowTest, F8TwiceReturnsToSolidFill) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    StateAndCursorDevice device;
    GetFrameworkState().SetDevice(&device);
    SendMessageW(window, WM_KEYDOWN, VK_F8, 0);
    EXPECT_TRUE(GetFrameworkState().GetWireframe());
    SendMessageW(window, WM_KEYDOWN, VK_F8, 0);
    EXPECT_FALSE(GetFrameworkState().GetWireframe());
    ASSERT_EQ(2u, device.renderStates.size());
    EXPECT_EQ(D3DRS_FILLMODE, device.renderStates[0].first);
    EXPECT_EQ(DWORD(D3DFILL_WIREFRAME), device.renderStates[0].second);
    EXPECT_EQ(D3DRS_FILLMODE, device.renderStates[1].first);
    EXPECT_EQ(DWORD(D3DFILL_SOLID), device.renderStates[1].second);
}

TEST_F(WindowTest, F8WithoutDeviceOnlyFlipsTheFlag) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    SendMessageW(window, WM_KEYDOWN, VK_F8, 0);
    EXPECT_TRUE(GetFrameworkState().GetWireframe());
}

TEST_F(WindowTest, AltEnterWithTheSwitchOffGoesToDefaultHandling) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    GetFrameworkState().SetHandleAltEnter(false);
    const LRESULT expected = DefWindowProcW(window, WM_SYSKEYDOWN, VK_RETURN, kAltHeld);
    EXPECT_EQ(expected, FrameworkWindowProc(window, WM_SYSKEYDOWN, VK_RETURN, kAltHeld));
    ExpectPauseCounts(0, 0);
    EXPECT_EQ(window, GetFrameworkState().GetFocusWindow());
}

TEST_F(WindowTest, F10WithoutMenuDoesNotReachTheSystemMenu) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    EXPECT_EQ(0, FrameworkWindowProc(window, WM_SYSKEYDOWN, VK_F10, 0));
    EXPECT_EQ(0, FrameworkWindowProc(window, WM_SYSKEYUP, VK_F10, 0));
}

TEST_F(WindowTest, MinimizePausesAndAnEmptyRestoreChangesNothing) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    UseSettings(true);  // windowed: losing the focus on minimize pauses nothing more
    ShowWindow(window, SW_SHOWNORMAL);
    ShowWindow(window, SW_MINIMIZE);
    FrameworkState& state = GetFrameworkState();
    EXPECT_TRUE(state.GetMinimized());
    ExpectPauseCounts(1, 1);

    // A restore message while the window is still minimized: its client
    // rectangle is empty.
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_TRUE(state.GetMinimized());
    ExpectPauseCounts(1, 1);

    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(state.GetMinimized());
    EXPECT_FALSE(state.GetMaximized());
    ExpectPauseCounts(0, 0);
}

TEST_F(WindowTest, SizeMoveLoopAndMenuLoopPauseUntilTheyEnd) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    FrameworkState& state = GetFrameworkState();
    SendMessageW(window, WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_TRUE(state.GetInSizeMove());
    ExpectPauseCounts(1, 1);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, 0);
    ExpectPauseCounts(1, 1);
    SendMessageW(window, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_FALSE(state.GetInSizeMove());
    ExpectPauseCounts(0, 0);

    SendMessageW(window, WM_ENTERMENULOOP, 0, 0);
    ExpectPauseCounts(1, 1);
    SendMessageW(window, WM_EXITMENULOOP, 0, 0);
    ExpectPauseCounts(0, 0);
}

TEST_F(WindowTest, EscapeClosesTheWindowAndPostsQuit) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    FrameworkState& state = GetFrameworkState();
    EXPECT_EQ(nullptr, state.GetFocusWindow());
    EXPECT_EQ(nullptr, state.GetFullscreenDeviceWindow());
    EXPECT_EQ(nullptr, state.GetWindowedDeviceWindow());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(PumpMessages());  // the quit message that ends the main loop
    // The class went with the window: it can be registered again.
    EXPECT_EQ(S_OK, CreateFrameworkWindow(L"again", nullptr, nullptr, nullptr, 0, 0));
    EXPECT_NE(nullptr, state.GetFocusWindow());
}

TEST_F(WindowTest, TypedKeysAndTheCloseButtonGoThroughTheMessageQueue) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    UseSettings(true);
    ShowWindow(window, SW_SHOWNORMAL);
    PumpMessages();
    kl::testing::InjectKeyPress(VK_F8);
    kl::testing::InjectKeyPress(VK_PAUSE);
    EXPECT_FALSE(PumpMessages());
    EXPECT_TRUE(GetFrameworkState().GetWireframe());
    EXPECT_TRUE(GetFrameworkState().GetTimePaused());

    kl::testing::InjectClose(window);
    bool quit = PumpMessages();
    quit = PumpMessages() || quit;
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, GetFrameworkState().GetFocusWindow());
}

LRESULT CALLBACK StopPauseKey(HWND, UINT message, WPARAM wParam, LPARAM, bool* noFurtherProcessing,
                              void* context) {
    static_cast<std::vector<UINT>*>(context)->push_back(message);
    if (message == WM_KEYDOWN && wParam == VK_PAUSE) {
        *noFurtherProcessing = true;
        return 42;
    }
    return 7;
}

TEST_F(WindowTest, MessageHookSeesMessagesFirstAndMayTakeThemOver) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    std::vector<UINT> seen;
    SetMessageHookCallback(StopPauseKey, &seen);
    EXPECT_EQ(42, SendMessageW(window, WM_KEYDOWN, VK_PAUSE, 0));
    ExpectPauseCounts(0, 0);
    // Not taken over: the hook's result is dropped and the framework answers.
    EXPECT_EQ(LRESULT(1) << 16, SendMessageW(window, WM_MENUCHAR, 0, 0));
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(UINT(WM_KEYDOWN), seen[0]);
    EXPECT_EQ(UINT(WM_MENUCHAR), seen[1]);
    SetMessageHookCallback(nullptr, nullptr);
}

TEST_F(WindowTest, FullscreenBlocksSystemCommandsAndOwnsTheWholeWindow) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    UseSettings(false);
    EXPECT_EQ(HTCLIENT, FrameworkWindowProc(window, WM_NCHITTEST, 0, 0));
    for (WPARAM command : {WPARAM(SC_MAXIMIZE), WPARAM(SC_SIZE), WPARAM(SC_MOVE),
                           WPARAM(SC_KEYMENU), WPARAM(SC_MONITORPOWER)}) {
        EXPECT_EQ(0, FrameworkWindowProc(window, WM_SYSCOMMAND, command, 0));
    }
    EXPECT_FALSE(IsZoomed(window));
}

TEST_F(WindowTest, WindowedLetsTheSystemMaximize) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    UseSettings(true);
    ShowWindow(window, SW_SHOWNORMAL);
    FrameworkWindowProc(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_TRUE(GetFrameworkState().GetMaximized());
}

TEST_F(WindowTest, MinimumTrackingSizeIs200) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    MINMAXINFO info{};
    FrameworkWindowProc(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(200, info.ptMinTrackSize.x);
    EXPECT_EQ(200, info.ptMinTrackSize.y);
}

TEST_F(WindowTest, PowerEventsAllowSuspendAndRestartTheClockOnResume) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    kl::testing::AdvanceManualClockSeconds(4.0);
    GetFrameworkState().SetLastStatsUpdateTime(3.5);
    EXPECT_EQ(TRUE, FrameworkWindowProc(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0));
    EXPECT_DOUBLE_EQ(4.0, GetFrameTimer().RunSeconds());
    EXPECT_EQ(TRUE, FrameworkWindowProc(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0));
    EXPECT_DOUBLE_EQ(0.0, GetFrameTimer().RunSeconds());
    EXPECT_EQ(0.0, GetFrameworkState().GetLastStatsUpdateTime());
}

TEST_F(WindowTest, FullscreenDeactivationPausesUntilReactivated) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    UseSettings(false);
    FrameworkState& state = GetFrameworkState();
    RECT clip{0, 0, 100, 100};
    ClipCursor(&clip);

    SendMessageW(window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(state.GetActive());
    EXPECT_TRUE(state.GetMinimizedWhileFullscreen());
    EXPECT_TRUE(state.GetShortcutKeysAllowed());
    EXPECT_FALSE(kl::testing::CursorClipRect(&clip));
    ExpectPauseCounts(1, 1);
    SendMessageW(window, WM_ACTIVATEAPP, FALSE, 0);  // repeated: nothing more
    ExpectPauseCounts(1, 1);

    SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(state.GetActive());
    EXPECT_FALSE(state.GetMinimizedWhileFullscreen());
    EXPECT_FALSE(state.GetShortcutKeysAllowed());  // suppressed while fullscreen
    ExpectPauseCounts(0, 0);
    SetShortcutKeysAllowed(true);
}

TEST_F(WindowTest, WindowedActivationKeepsShortcutKeysAndDoesNotPause) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    UseSettings(true);
    SendMessageW(window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(GetFrameworkState().GetMinimizedWhileFullscreen());
    ExpectPauseCounts(0, 0);
    SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(GetFrameworkState().GetShortcutKeysAllowed());
}

struct DrawRecord {
    int calls = 0;
    double time = 0.0;
    float elapsed = 0.0f;
};

void CALLBACK RecordDraw(IDirect3DDevice9*, double time, float elapsed, void* context) {
    DrawRecord* record = static_cast<DrawRecord*>(context);
    ++record->calls;
    record->time = time;
    record->elapsed = elapsed;
}

TEST_F(WindowTest, PaintRedrawsOnlyWhileRenderingIsPaused) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    StateAndCursorDevice device;
    FrameworkState& state = GetFrameworkState();
    state.SetDevice(&device);
    state.SetDeviceObjectsCreated(true);
    state.SetDeviceObjectsReset(true);
    state.SetCurrentTime(2.5);
    state.SetElapsedTime(0.125f);
    DrawRecord record;
    SetFrameDrawCallback(RecordDraw, &record);

    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(0, record.calls);  // the main loop draws while not paused
    EXPECT_EQ(0, device.presents);

    PauseFramework(true, true);
    device.presentResult = D3DERR_DEVICELOST;
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(1, record.calls);
    EXPECT_DOUBLE_EQ(2.5, record.time);
    EXPECT_FLOAT_EQ(0.125f, record.elapsed);
    EXPECT_EQ(1, device.presents);
    EXPECT_TRUE(state.GetDeviceLost());
    SetFrameDrawCallback(nullptr, nullptr);
}

TEST_F(WindowTest, FullscreenCursorIsDrawnAndMovedByTheDevice) {
    HWND window = CreateWindowFromCommandLine(L"app.exe");
    UseSettings(false);
    StateAndCursorDevice device;
    FrameworkState& state = GetFrameworkState();
    state.SetDevice(&device);
    state.SetShowCursorWhenFullscreen(true);
    EXPECT_EQ(TRUE, FrameworkWindowProc(window, WM_SETCURSOR, 0, 0));
    ASSERT_EQ(1u, device.showCursorCalls.size());
    EXPECT_EQ(TRUE, device.showCursorCalls[0]);

    FrameworkWindowProc(window, WM_MOUSEMOVE, 0, 0);
    POINT cursor{};
    GetCursorPos(&cursor);
    ASSERT_EQ(1u, device.cursorPositions.size());
    EXPECT_EQ(cursor.x, device.cursorPositions[0].x);
    EXPECT_EQ(cursor.y, device.cursorPositions[0].y);

    UseSettings(true);
    FrameworkWindowProc(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(1u, device.cursorPositions.size());
}

}  // namespace
