// Windows on the virtual desktop: creation, frames, styles, menus, show
// states, placements and user resizing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "common/native_window.h"
#include "platform/testing.h"
#include "win32_test_support.h"

namespace {

using kl::test::CreateTestWindow;
using kl::test::Logged;
using kl::test::LoggedSequence;
using kl::test::MessageLog;
using kl::test::PumpMessages;

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

RECT ClientOf(HWND window) {
    RECT rect{-1, -1, -1, -1};
    EXPECT_TRUE(GetClientRect(window, &rect));
    return rect;
}

RECT WindowRectOf(HWND window) {
    RECT rect{-1, -1, -1, -1};
    EXPECT_TRUE(GetWindowRect(window, &rect));
    return rect;
}

TEST(AdjustWindowRect, FixedFrameSizesPerStyle) {
    RECT rect{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE));
    ExpectRect(rect, -8, -31, 648, 488);  // sizing frame 8, caption 23

    rect = RECT{0, 0, 640, 480};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, TRUE);
    ExpectRect(rect, -8, -51, 648, 488);  // plus a 20-pixel menu bar

    rect = RECT{10, 10, 20, 20};
    AdjustWindowRect(&rect, WS_POPUP | WS_SYSMENU, FALSE);
    ExpectRect(rect, 10, 10, 20, 20);

    rect = RECT{0, 0, 100, 100};
    AdjustWindowRect(&rect, WS_CAPTION | WS_SYSMENU, FALSE);
    ExpectRect(rect, -3, -26, 103, 103);  // dialog frame 3

    rect = RECT{0, 0, 100, 100};
    AdjustWindowRect(&rect, WS_POPUP | WS_BORDER, FALSE);
    ExpectRect(rect, -1, -1, 101, 101);
}

// Positions and sizes at the ends of the int range are held within the 16-bit
// range of window messages instead of overflowing the rectangle's edges.
TEST(WindowGeometry, ExtremeValuesAreClampedInsteadOfOverflowing) {
    RECT rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, TRUE));
    ExpectRect(rect, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);

    kl::test::RegisterTestClass();
    const HWND window =
        CreateWindowExW(0, kl::test::kTestClassName, L"Huge", WS_POPUP, INT32_MAX, INT32_MAX,
                        INT32_MAX, INT32_MAX, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ExpectRect(WindowRectOf(window), 32767, 32767, 65534, 65534);
    ExpectRect(ClientOf(window), 0, 0, 32767, 32767);
    ASSERT_TRUE(SetWindowPos(window, nullptr, INT32_MIN + 1, -70000, INT32_MAX, 5, SWP_NOZORDER));
    ExpectRect(WindowRectOf(window), -32768, -32768, -1, -32763);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, INT32_MAX, 0, 0, SWP_NOZORDER | SWP_NOSIZE));
    ExpectRect(WindowRectOf(window), 0, 32767, 32767, 32772);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(CreateWindowExW, SendsCreationMessagesAndSizesTheFrame) {
    CREATESTRUCTW created{};
    kl::test::SetMessageHook([&](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (message == WM_CREATE) created = *reinterpret_cast<const CREATESTRUCTW*>(lParam);
        return false;
    });
    const HWND window = CreateTestWindow(640, 480, 100, 100);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(LoggedSequence(), (std::vector<UINT>{WM_GETMINMAXINFO, WM_CREATE, WM_SIZE, WM_MOVE}));
    EXPECT_EQ(created.cx, 656);
    EXPECT_EQ(created.cy, 519);
    EXPECT_EQ(created.x, 92);
    EXPECT_STREQ(created.lpszClass, kl::test::kTestClassName);
    const auto size = Logged(WM_SIZE).at(0);
    EXPECT_EQ(size.wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(size.lParam), 640);
    EXPECT_EQ(HIWORD(size.lParam), 480);
    const auto move = Logged(WM_MOVE).at(0);
    EXPECT_EQ(LOWORD(move.lParam), 100);
    EXPECT_EQ(HIWORD(move.lParam), 100);

    ExpectRect(ClientOf(window), 0, 0, 640, 480);
    ExpectRect(WindowRectOf(window), 92, 69, 748, 588);
    EXPECT_FALSE(IsWindowVisible(window));
    // Overlapped windows always get a caption and clip their siblings.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
              static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS));
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HCURSOR),
              reinterpret_cast<ULONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));

    int width = 0, height = 0;
    EXPECT_TRUE(kl::platform::ClientSizeOf(window, &width, &height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_TRUE(kl::platform::IsHeadless());
    EXPECT_EQ(kl::platform::SdlWindowOf(window), nullptr);
}

TEST(CreateWindowExW, DefaultPositionAndSizeComeFromTheWorkArea) {
    kl::test::RegisterTestClass();
    const HWND window = CreateWindowExW(0, kl::test::kTestClassName, L"t", WS_OVERLAPPEDWINDOW,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    // Work area 1024 x 728: the window is placed 26 pixels in, three
    // quarters of the work area in size.
    ExpectRect(WindowRectOf(window), 26, 26, 26 + 768, 26 + 546);
}

TEST(CreateWindowExW, FailsForAnUnknownClassOrARefusedCreate) {
    SetLastError(0);
    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

    kl::test::SetMessageHook([](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message != WM_CREATE) return false;
        *result = -1;
        return true;
    });
    EXPECT_EQ(CreateTestWindow(100, 100), nullptr);
    EXPECT_EQ(Logged(WM_DESTROY).size(), 1u);
}

TEST(RegisterClassW, SecondRegistrationReportsAlreadyExists) {
    kl::test::RegisterTestClass();
    WNDCLASSW again{};
    again.lpfnWndProc = DefWindowProcW;
    again.lpszClassName = L"kestraluneTESTwindow";  // names ignore case
    SetLastError(0);
    EXPECT_EQ(RegisterClassW(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST(UnregisterClassW, RefusedWhileWindowsExist) {
    const HWND window = CreateTestWindow(100, 100);
    EXPECT_FALSE(UnregisterClassW(kl::test::kTestClassName, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassW(kl::test::kTestClassName, nullptr));
    EXPECT_FALSE(UnregisterClassW(kl::test::kTestClassName, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST(DestroyWindow, SendsDestroyAndInvalidatesTheHandle) {
    const HWND window = CreateTestWindow(100, 100);
    const HMENU menu = CreateMenu();
    SetMenu(window, menu);
    PostMessageW(window, WM_USER, 0, 0);
    MessageLog().clear();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(LoggedSequence(), (std::vector<UINT>{WM_DESTROY}));
    EXPECT_FALSE(IsWindow(window));
    // The window's menu goes with it, and nothing posted to it arrives.
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    RECT rect;
    EXPECT_FALSE(GetClientRect(window, &rect));
}

TEST(ShowWindow, MinimizeMaximizeRestoreSizes) {
    const HWND window = CreateTestWindow(640, 480, 100, 100);
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(kl::platform::IsWindowActive(window));
    MessageLog().clear();
    const std::vector<UINT> ignored{WM_SHOWWINDOW};

    EXPECT_TRUE(ShowWindow(window, SW_MINIMIZE));
    EXPECT_TRUE(IsIconic(window));
    EXPECT_FALSE(kl::platform::IsWindowActive(window));
    ExpectRect(ClientOf(window), 0, 0, 0, 0);
    EXPECT_EQ(LoggedSequence(ignored), (std::vector<UINT>{WM_SIZE, WM_ACTIVATEAPP}));
    EXPECT_EQ(Logged(WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_EQ(Logged(WM_ACTIVATEAPP).back().wParam, static_cast<WPARAM>(FALSE));

    MessageLog().clear();
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(LoggedSequence(ignored), (std::vector<UINT>{WM_ACTIVATEAPP, WM_SIZE, WM_MOVE}));
    EXPECT_EQ(Logged(WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(Logged(WM_SIZE).back().lParam, MAKELONG(640, 480));
    ExpectRect(WindowRectOf(window), 92, 69, 748, 588);

    MessageLog().clear();
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(window));
    // The work area (1024 x 728) minus the caption; the sizing frame lies
    // outside the work area.
    EXPECT_EQ(Logged(WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
    EXPECT_EQ(Logged(WM_SIZE).back().lParam, MAKELONG(1024, 705));
    ExpectRect(WindowRectOf(window), -8, -8, 1032, 736);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZE, static_cast<LONG>(WS_MAXIMIZE));

    // Minimized from maximized, restoring returns to maximized.
    ShowWindow(window, SW_MINIMIZE);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ASSERT_TRUE(GetWindowPlacement(window, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_EQ(placement.flags, static_cast<UINT>(WPF_RESTORETOMAXIMIZED));
    MessageLog().clear();
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_EQ(Logged(WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));

    MessageLog().clear();
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(Logged(WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_RESTORED));
    ExpectRect(ClientOf(window), 0, 0, 640, 480);

    MessageLog().clear();
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(Logged(WM_ACTIVATEAPP).back().wParam, static_cast<WPARAM>(FALSE));
}

TEST(ShowWindow, ShowingDoesNotRepeatActivation) {
    const HWND window = CreateTestWindow(200, 100);
    ShowWindow(window, SW_SHOW);
    ShowWindow(window, SW_SHOW);
    ShowWindow(window, SW_SHOWNA);
    ASSERT_EQ(Logged(WM_ACTIVATEAPP).size(), 1u);
    EXPECT_EQ(Logged(WM_ACTIVATEAPP)[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(Logged(WM_SHOWWINDOW).size(), 1u);
}

TEST(WindowPlacement, SaveAndRestoreTheNormalRectangle) {
    const HWND window = CreateTestWindow(640, 480, 100, 100);
    ShowWindow(window, SW_SHOW);
    WINDOWPLACEMENT saved{};
    saved.length = sizeof(saved);
    ASSERT_TRUE(GetWindowPlacement(window, &saved));
    EXPECT_EQ(saved.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(saved.flags, 0u);
    ExpectRect(saved.rcNormalPosition, 92, 69, 748, 588);

    SetWindowPos(window, nullptr, 300, 200, 400, 300, SWP_NOZORDER);
    ExpectRect(WindowRectOf(window), 300, 200, 700, 500);
    ShowWindow(window, SW_MAXIMIZE);

    ASSERT_TRUE(SetWindowPlacement(window, &saved));
    EXPECT_FALSE(IsZoomed(window));
    ExpectRect(WindowRectOf(window), 92, 69, 748, 588);
    ExpectRect(ClientOf(window), 0, 0, 640, 480);

    WINDOWPLACEMENT wrongLength = saved;
    wrongLength.length = 0;
    EXPECT_FALSE(SetWindowPlacement(window, &wrongLength));
    EXPECT_FALSE(GetWindowPlacement(window, &wrongLength));
}

TEST(WindowPlacement, NormalPositionIsInWorkspaceCoordinates) {
    // A task bar along the top: the work area starts 40 pixels down.
    kl::testing::SetVirtualMonitors({{RECT{0, 0, 1024, 768}, RECT{0, 40, 1024, 768}}});
    const HWND window = CreateTestWindow(200, 100, 100, 100);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ASSERT_TRUE(GetWindowPlacement(window, &placement));
    ExpectRect(placement.rcNormalPosition, 92, 69 - 40, 308, 208 - 40);
    placement.rcNormalPosition = RECT{0, 0, 216, 131};
    placement.showCmd = SW_SHOWNORMAL;
    ASSERT_TRUE(SetWindowPlacement(window, &placement));
    ExpectRect(WindowRectOf(window), 0, 40, 216, 171);
}

TEST(SetWindowLongW, FullscreenPopupStyleAndBack) {
    const HWND window = CreateTestWindow(640, 480, 100, 100);
    const LONG windowed = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_SYSMENU)),
              windowed);
    // Without a frame the whole window is client area.
    ExpectRect(ClientOf(window), 0, 0, 656, 519);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 1024, 768, 0);
    ExpectRect(ClientOf(window), 0, 0, 1024, 768);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST,
              static_cast<LONG>(WS_EX_TOPMOST));
    EXPECT_EQ(Logged(WM_SIZE).back().lParam, MAKELONG(1024, 768));

    SetWindowLongW(window, GWL_STYLE, windowed);
    ExpectRect(ClientOf(window), 0, 0, 1024 - 16, 768 - 39);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    ExpectRect(WindowRectOf(window), 0, 0, 1024, 768);

    SetLastError(0);
    EXPECT_EQ(GetWindowLongW(window, 12345), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

TEST(Menus, AttachingAMenuTakesItsBarFromTheClientArea) {
    const HWND window = CreateTestWindow(640, 480);
    const HMENU menu = CreateMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenu(window), nullptr);
    MessageLog().clear();
    ASSERT_TRUE(SetMenu(window, menu));
    EXPECT_EQ(GetMenu(window), menu);
    ExpectRect(ClientOf(window), 0, 0, 640, 460);
    EXPECT_EQ(Logged(WM_SIZE).back().lParam, MAKELONG(640, 460));
    ASSERT_TRUE(SetMenu(window, nullptr));
    ExpectRect(ClientOf(window), 0, 0, 640, 480);
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_FALSE(SetMenu(window, menu));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
}

TEST(UserInput, FrameDragIsBracketedAndLimitedByMinMaxInfo) {
    const HWND window = CreateTestWindow(640, 480, 100, 100);
    ShowWindow(window, SW_SHOW);
    kl::test::SetMessageHook([](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (message == WM_GETMINMAXINFO) {
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{200, 200};
        }
        return false;
    });
    MessageLog().clear();
    kl::testing::InjectResize(window, 100, 50);
    PumpMessages();
    EXPECT_EQ(LoggedSequence({WM_PAINT}),
              (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_GETMINMAXINFO, WM_SIZE, WM_EXITSIZEMOVE}));
    // A 200 x 200 window: 200 - 16 by 200 - 39.
    ExpectRect(ClientOf(window), 0, 0, 184, 161);

    MessageLog().clear();
    kl::testing::InjectResize(window, 800, 600);
    PumpMessages();
    ExpectRect(ClientOf(window), 0, 0, 800, 600);
    // Growing the window needs a repaint.
    EXPECT_EQ(Logged(WM_PAINT).size(), 1u);
}

// Windows holds a sizable window within its tracking limits whoever sizes it;
// a popup (a fullscreen window) takes any size.
TEST(SetWindowPos, KeepsOverlappedWindowsWithinTheirTrackingLimits) {
    const HWND window = CreateTestWindow(640, 480, 100, 100);
    kl::test::SetMessageHook([](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (message == WM_GETMINMAXINFO) {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = POINT{200, 200};
            limits->ptMaxTrackSize = POINT{700, 500};
        }
        return false;
    });
    MessageLog().clear();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 116, 139, SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(Logged(WM_GETMINMAXINFO).size(), 1u);
    ExpectRect(ClientOf(window), 0, 0, 184, 161);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 5000, 5000, SWP_NOMOVE | SWP_NOZORDER));
    ExpectRect(ClientOf(window), 0, 0, 684, 461);

    MessageLog().clear();
    ASSERT_TRUE(SetWindowPos(window, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    EXPECT_TRUE(Logged(WM_GETMINMAXINFO).empty());  // a move alone is not checked

    const HWND popup = CreateTestWindow(50, 50, 0, 0, WS_POPUP);
    ASSERT_TRUE(SetWindowPos(popup, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER));
    ExpectRect(ClientOf(popup), 0, 0, 10, 10);
    kl::test::SetMessageHook(nullptr);
}

TEST(UserInput, CaptionButtonsGoThroughSystemCommands) {
    const HWND window = CreateTestWindow(640, 480);
    ShowWindow(window, SW_SHOW);
    kl::testing::InjectMaximize(window);
    PumpMessages();
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_EQ(Logged(WM_SYSCOMMAND).back().wParam, static_cast<WPARAM>(SC_MAXIMIZE));

    // A procedure that handles the command itself keeps the window as it is.
    kl::test::SetMessageHook([](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        *result = 0;
        return message == WM_SYSCOMMAND;
    });
    kl::testing::InjectRestore(window);
    PumpMessages();
    EXPECT_TRUE(IsZoomed(window));
    kl::test::SetMessageHook(nullptr);
    kl::testing::InjectMinimize(window);
    PumpMessages();
    EXPECT_TRUE(IsIconic(window));
}

TEST(SetWindowPos, MovesSizesShowsAndHides) {
    const HWND window = CreateTestWindow(200, 100, 100, 100);
    MessageLog().clear();
    ASSERT_TRUE(
        SetWindowPos(window, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW));
    ExpectRect(WindowRectOf(window), 10, 20, 226, 159);  // 216 x 139
    EXPECT_TRUE(IsWindowVisible(window));
    // Only a move: WM_MOVE with the client area's new origin, no WM_SIZE.
    ASSERT_EQ(Logged(WM_MOVE).size(), 1u);
    EXPECT_EQ(Logged(WM_MOVE)[0].lParam, MAKELONG(18, 51));
    EXPECT_TRUE(Logged(WM_SIZE).empty());
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_HIDEWINDOW));
    EXPECT_FALSE(IsWindowVisible(window));
    ExpectRect(ClientOf(window), 0, 0, 284, 161);
    EXPECT_FALSE(SetWindowPos(reinterpret_cast<HWND>(0x99), nullptr, 0, 0, 1, 1, 0));
}

}  // namespace
