// Window and client rectangles, moving and sizing, styles.
#include <SDL.h>

#include <algorithm>

#include "win32/frame_metrics.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}
LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

WPARAM SizeKind(const Window& window) {
    if (window.minimized) return SIZE_MINIMIZED;
    if (window.maximized) return SIZE_MAXIMIZED;
    return SIZE_RESTORED;
}

// The limits before the window procedure sees them: the smallest size a
// user can drag to, and the primary monitor with the frame around it.
MINMAXINFO DefaultTrackingLimits(const Window& window) {
    const Monitor primary = DesktopMonitors().front();
    const FrameSize frame = FrameFor(window.style, window.exStyle, window.menu != nullptr);
    MINMAXINFO limits{};
    limits.ptMaxSize = POINT{primary.work.right - primary.work.left + 2 * frame.border,
                             primary.work.bottom - primary.work.top + 2 * frame.border};
    limits.ptMaxPosition = POINT{-frame.border, -frame.border};
    limits.ptMinTrackSize = POINT{kMinimumTrackWidth, kMinimumTrackHeight};
    limits.ptMaxTrackSize =
        POINT{primary.area.right - primary.area.left + 2 * frame.border,
              primary.area.bottom - primary.area.top + 2 * frame.border + frame.caption};
    return limits;
}

// Windows with a sizing frame or the overlapped style keep to their tracking
// limits however they are sized; popups (a fullscreen window) take any size.
bool KeepsTrackingLimits(const Window& window) {
    return (window.style & WS_THICKFRAME) || !(window.style & (WS_POPUP | WS_CHILD));
}

// The minimum wins where a window procedure sets it above the maximum.
int WithinLimits(int size, LONG minimum, LONG maximum) {
    return static_cast<int>(std::max<LONG>(minimum, std::min<LONG>(size, maximum)));
}

void ApplyZOrder(Window& window, HWND insertAfter) {
    if (insertAfter == HWND_TOPMOST) window.exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
}

// The state bits GetWindowLongW reports with the style.
DWORD StateBits(const Window& window) {
    DWORD bits = 0;
    if (window.visible) bits |= WS_VISIBLE;
    if (window.minimized) bits |= WS_MINIMIZE;
    if (window.maximized) bits |= WS_MAXIMIZE;
    return bits;
}

void ChangeStyle(HWND handle, DWORD style) {
    Window* window = WindowFromHandle(handle);
    const RECT oldClient = ClientRectInScreen(*window);
    window->style = style & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    // Setting WS_VISIBLE marks the window visible without showing messages,
    // as on Windows; minimized and maximized change only through ShowWindow.
    window->visible = (style & WS_VISIBLE) != 0;
    SyncSdlStyle(*window);
    if (window->sdl) {
        if (window->visible) {
            SDL_ShowWindow(window->sdl);
        } else {
            SDL_HideWindow(window->sdl);
        }
        SyncSdlGeometry(*window);
    }
    NotifyGeometryChange(handle, oldClient, false);
}

}  // namespace

void NotifyGeometryChange(HWND handle, const RECT& oldClient, bool stateChanged) {
    Window* window = WindowFromHandle(handle);
    if (!window) return;
    const RECT client = ClientRectInScreen(*window);
    const bool resized = Width(client) != Width(oldClient) || Height(client) != Height(oldClient);
    const bool moved = client.left != oldClient.left || client.top != oldClient.top;
    if (Width(client) > Width(oldClient) || Height(client) > Height(oldClient)) {
        window->needsPaint = true;
    }
    if (resized || stateChanged) {
        CallWindowProcedure(handle, WM_SIZE, SizeKind(*window),
                            MAKELONG(Width(client), Height(client)));
    }
    window = WindowFromHandle(handle);
    if (window && moved && !window->minimized) {
        CallWindowProcedure(handle, WM_MOVE, 0, MAKELONG(client.left, client.top));
    }
}

}  // namespace kl::win32

using namespace kl::win32;

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    const Window* window = WindowFromHandle(hWnd);
    if (!window || !lpRect) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const RECT client = ClientRectInScreen(*window);
    *lpRect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    const Window* window = WindowFromHandle(hWnd);
    if (!window || !lpRect) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *lpRect = window->rect;
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!(uFlags & SWP_NOSIZE) && !window->minimized && KeepsTrackingLimits(*window)) {
        MINMAXINFO limits = DefaultTrackingLimits(*window);
        CallWindowProcedure(hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        window = WindowFromHandle(hWnd);
        if (!window) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        cx = WithinLimits(cx, limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x);
        cy = WithinLimits(cy, limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y);
    }
    if (!(uFlags & SWP_NOZORDER)) ApplyZOrder(*window, hWndInsertAfter);
    const RECT oldClient = ClientRectInScreen(*window);
    RECT rect = window->rect;
    if (!(uFlags & SWP_NOMOVE)) rect = BoundedWindowRect(X, Y, Width(rect), Height(rect));
    if (!(uFlags & SWP_NOSIZE)) rect = BoundedWindowRect(rect.left, rect.top, cx, cy);
    window->rect = rect;
    if (!window->minimized && !window->maximized) window->normalRect = rect;
    SyncSdlStyle(*window);
    SyncSdlGeometry(*window);
    NotifyGeometryChange(hWnd, oldClient, false);

    if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, (uFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (uFlags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) {
    const Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex) {
        case GWL_STYLE:
            return static_cast<LONG>(window->style | StateBits(*window));
        case GWL_EXSTYLE:
            return static_cast<LONG>(window->exStyle);
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
}

LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const LONG previous = GetWindowLongW(hWnd, nIndex);
    switch (nIndex) {
        case GWL_STYLE:
            ChangeStyle(hWnd, static_cast<DWORD>(dwNewLong));
            break;
        case GWL_EXSTYLE:
            window->exStyle = static_cast<DWORD>(dwNewLong);
            SyncSdlStyle(*window);
            break;
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
    // A previous value of 0 is ambiguous; Windows clears the error so that the
    // caller can tell success from failure.
    if (previous == 0) SetLastError(ERROR_SUCCESS);
    return previous;
}
