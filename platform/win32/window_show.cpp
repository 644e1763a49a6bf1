// Showing, hiding, minimizing, maximizing and restoring windows, and the
// placement that remembers the restored rectangle.
#include <SDL.h>

#include "win32/window_system.h"

namespace kl::win32 {

namespace {

// Where Windows keeps a minimized top-level window, and its size there.
constexpr LONG kMinimizedPosition = -32000;
constexpr LONG kMinimizedWidth = 160;
constexpr LONG kMinimizedHeight = 28;

enum class ShowState { kCurrent, kNormal, kMinimized, kMaximized };

struct ShowPlan {
    bool valid = true;
    ShowState state = ShowState::kCurrent;
    bool activate = false;    // the command activates the window
    bool deactivate = false;  // the command activates another program
};

ShowPlan PlanFor(int command, const Window& window) {
    switch (command) {
        case SW_SHOWNORMAL:
        case SW_SHOWDEFAULT:
            return {true, ShowState::kNormal, true, false};
        case SW_SHOWNOACTIVATE:
            return {true, ShowState::kNormal, false, false};
        case SW_SHOWMINIMIZED:
            return {true, ShowState::kMinimized, true, false};
        case SW_MINIMIZE:
            return {true, ShowState::kMinimized, false, true};
        case SW_SHOWMINNOACTIVE:
            return {true, ShowState::kMinimized, false, false};
        case SW_SHOWMAXIMIZED:
            return {true, ShowState::kMaximized, true, false};
        case SW_SHOW:
            return {true, ShowState::kCurrent, true, false};
        case SW_SHOWNA:
            return {true, ShowState::kCurrent, false, false};
        case SW_RESTORE: {
            const bool toMaximized = window.minimized && window.restoreToMaximized;
            return {true, toMaximized ? ShowState::kMaximized : ShowState::kNormal, true, false};
        }
        default:
            return {false, ShowState::kCurrent, false, false};
    }
}

// A maximized window fills the work area of its monitor; its sizing frame
// lies outside the work area, its caption inside.
RECT MaximizedRect(const Window& window) {
    const RECT work = MonitorForRect(window.normalRect, MONITOR_DEFAULTTONEAREST)->work;
    const FrameSize frame = FrameFor(window.style, window.exStyle, window.menu != nullptr);
    return RECT{work.left - frame.border, work.top - frame.border, work.right + frame.border,
                work.bottom + frame.border};
}

// Returns whether the state changed.
bool ApplyState(Window& window, ShowState state) {
    switch (state) {
        case ShowState::kCurrent:
            return false;
        case ShowState::kMinimized:
            if (window.minimized) return false;
            window.restoreToMaximized = window.maximized;
            window.minimized = true;
            ++window.minimizations;
            window.maximized = false;
            window.rect =
                RECT{kMinimizedPosition, kMinimizedPosition, kMinimizedPosition + kMinimizedWidth,
                     kMinimizedPosition + kMinimizedHeight};
            return true;
        case ShowState::kMaximized:
            if (window.maximized) return false;
            window.minimized = false;
            window.maximized = true;
            window.rect = MaximizedRect(window);
            return true;
        case ShowState::kNormal:
            if (!window.minimized && !window.maximized) return false;
            window.minimized = false;
            window.maximized = false;
            window.restoreToMaximized = false;
            window.rect = window.normalRect;
            return true;
    }
    return false;
}

void MakeVisible(HWND handle) {
    Window* window = WindowFromHandle(handle);
    window->visible = true;
    window->needsPaint = true;
    if (window->sdl) SDL_ShowWindow(window->sdl);
    CallWindowProcedure(handle, WM_SHOWWINDOW, TRUE, 0);
}

BOOL HideWindow(HWND handle) {
    Window* window = WindowFromHandle(handle);
    if (!window->visible) return FALSE;
    window->visible = false;
    if (window->sdl) SDL_HideWindow(window->sdl);
    CallWindowProcedure(handle, WM_SHOWWINDOW, FALSE, 0);
    ForgetActiveWindow(handle);
    return TRUE;
}

// Workspace coordinates (placements) are relative to the primary monitor's
// work area.
POINT WorkspaceOrigin() {
    const RECT work = DesktopMonitors().front().work;
    return POINT{work.left, work.top};
}

RECT OffsetRect(const RECT& rect, LONG dx, LONG dy) {
    return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

BOOL ShowWindowWith(HWND handle, int command) {
    Window* window = WindowFromHandle(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (command == SW_HIDE) return HideWindow(handle);
    const ShowPlan plan = PlanFor(command, *window);
    if (!plan.valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const BOOL wasVisible = window->visible ? TRUE : FALSE;
    if (!wasVisible) MakeVisible(handle);
    // Showing with an activating command activates the application at once,
    // as on Windows; with a display the window system is asked for the focus
    // below as well. Hiding deactivated it the same way, so without a window
    // manager (whose focus event may never come: the window system may count
    // the focus as never lost) a window hidden and shown again for a mode
    // change is active again.
    if (plan.activate) SetApplicationActive(true, handle);

    window = WindowFromHandle(handle);
    if (!window) return wasVisible;
    if (plan.activate && window->sdl) {
        // Where no window manager runs (a bare X server), raising gives no
        // focus; asking for the input focus does, and SDL's focus event
        // then activates the application.
        SDL_RaiseWindow(window->sdl);
        SDL_SetWindowInputFocus(window->sdl);
    }
    const RECT oldClient = ClientRectInScreen(*window);
    const bool changed = ApplyState(*window, plan.state);
    SyncSdlGeometry(*window);
    NotifyGeometryChange(handle, oldClient, changed);

    if (plan.deactivate && !UsingDisplay() && ActiveWindow() == handle) {
        SetApplicationActive(false, nullptr);
    }
    return wasVisible;
}

}  // namespace

void ReflectMinimized(HWND handle) {
    Window* window = WindowFromHandle(handle);
    if (!window || window->minimized) return;
    const RECT oldClient = ClientRectInScreen(*window);
    ApplyState(*window, ShowState::kMinimized);
    NotifyGeometryChange(handle, oldClient, true);
}

void ReflectMaximized(HWND handle, int clientWidth, int clientHeight) {
    Window* window = WindowFromHandle(handle);
    if (!window || window->maximized) return;
    const RECT oldClient = ClientRectInScreen(*window);
    ApplyState(*window, ShowState::kMaximized);
    const RECT client = ClientRectInScreen(*window);
    window->rect = WindowRectForClient(
        RECT{client.left, client.top, client.left + clientWidth, client.top + clientHeight},
        *window);
    NotifyGeometryChange(handle, oldClient, true);
}

void ReflectRestored(HWND handle) {
    Window* window = WindowFromHandle(handle);
    if (!window || (!window->minimized && !window->maximized)) return;
    const RECT oldClient = ClientRectInScreen(*window);
    ApplyState(*window, ShowState::kNormal);
    NotifyGeometryChange(handle, oldClient, true);
}

void ReflectClientArea(HWND handle, int x, int y, int width, int height) {
    Window* window = WindowFromHandle(handle);
    if (!window || window->minimized) return;
    const RECT oldClient = ClientRectInScreen(*window);
    const RECT client{x, y, x + width, y + height};
    if (client.left == oldClient.left && client.top == oldClient.top &&
        client.right == oldClient.right && client.bottom == oldClient.bottom) {
        return;
    }
    window->rect = WindowRectForClient(client, *window);
    if (!window->maximized) window->normalRect = window->rect;
    NotifyGeometryChange(handle, oldClient, false);
}

}  // namespace kl::win32

using namespace kl::win32;

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    return ShowWindowWith(hWnd, nCmdShow);
}

BOOL WINAPI IsIconic(HWND hWnd) {
    const Window* window = WindowFromHandle(hWnd);
    return window && window->minimized;
}

BOOL WINAPI IsZoomed(HWND hWnd) {
    const Window* window = WindowFromHandle(hWnd);
    return window && window->maximized;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    const Window* window = WindowFromHandle(hWnd);
    if (!window || !window->visible) return FALSE;
    return window->parent ? IsWindowVisible(window->parent) : TRUE;
}

BOOL WINAPI GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* lpwndpl) {
    const Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!lpwndpl || lpwndpl->length != sizeof(WINDOWPLACEMENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    lpwndpl->flags = (window->minimized && window->restoreToMaximized) ? WPF_RESTORETOMAXIMIZED : 0;
    lpwndpl->showCmd = window->minimized   ? SW_SHOWMINIMIZED
                       : window->maximized ? SW_SHOWMAXIMIZED
                                           : SW_SHOWNORMAL;
    lpwndpl->ptMinPosition = POINT{-1, -1};
    lpwndpl->ptMaxPosition = POINT{-1, -1};
    const POINT origin = WorkspaceOrigin();
    lpwndpl->rcNormalPosition = OffsetRect(window->normalRect, -origin.x, -origin.y);
    return TRUE;
}

BOOL WINAPI SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* lpwndpl) {
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!lpwndpl || lpwndpl->length != sizeof(WINDOWPLACEMENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const POINT origin = WorkspaceOrigin();
    const RECT& normal = lpwndpl->rcNormalPosition;
    window->normalRect = BoundedWindowRect(static_cast<int64_t>(normal.left) + origin.x,
                                           static_cast<int64_t>(normal.top) + origin.y,
                                           static_cast<int64_t>(normal.right) - normal.left,
                                           static_cast<int64_t>(normal.bottom) - normal.top);
    window->restoreToMaximized = (lpwndpl->flags & WPF_RESTORETOMAXIMIZED) != 0;
    if (!window->minimized && !window->maximized) {
        const RECT oldClient = ClientRectInScreen(*window);
        window->rect = window->normalRect;
        SyncSdlGeometry(*window);
        NotifyGeometryChange(hWnd, oldClient, false);
    }
    ShowWindowWith(hWnd, static_cast<int>(lpwndpl->showCmd));
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->visible && window->needsPaint) CallWindowProcedure(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) {
    if (!hWnd) {
        for (HWND handle : TopLevelWindows()) WindowFromHandle(handle)->needsPaint = true;
        return TRUE;
    }
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    window->needsPaint = true;
    return TRUE;
}
