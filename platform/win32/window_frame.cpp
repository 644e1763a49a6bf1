// The frame around a window's client area, from the fixed sizes of
// frame_metrics.h: WS_OVERLAPPEDWINDOW around a 640 x 480 client area is
// 656 x 519 (8 pixels a side, 23 more for the caption).
#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "win32/frame_metrics.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

constexpr int64_t kMinimumCoordinate = -32768;
constexpr int64_t kMaximumCoordinate = 32767;

bool HasStyle(DWORD style, DWORD bits) {
    return (style & bits) == bits;
}

// An edge moved outwards by a frame, held at the ends of the LONG range
// where a caller's rectangle (any values) would overflow.
LONG MovedEdge(LONG edge, LONG by) {
    return static_cast<LONG>(
        std::clamp<int64_t>(static_cast<int64_t>(edge) + by, INT32_MIN, INT32_MAX));
}

}  // namespace

FrameSize FrameFor(DWORD style, DWORD exStyle, bool hasMenu) {
    FrameSize frame;
    if (style & WS_THICKFRAME) {
        frame.border = kSizingBorder + kPaddedBorder;
    } else if (style & WS_DLGFRAME) {
        frame.border = kDialogBorder;
    } else if (style & WS_BORDER) {
        frame.border = kThinBorder;
    }
    if (HasStyle(style, WS_CAPTION)) frame.caption = kCaptionHeight;
    if (hasMenu && !(style & WS_CHILD)) frame.menu = kMenuBarHeight;
    return frame;
}

RECT ClientRectInScreen(const Window& window) {
    if (window.minimized) return RECT{0, 0, 0, 0};
    const FrameSize frame = FrameFor(window.style, window.exStyle, window.menu != nullptr);
    RECT client = window.rect;
    client.left += frame.border;
    client.right -= frame.border;
    client.top += frame.border + frame.caption + frame.menu;
    client.bottom -= frame.border;
    if (client.right < client.left) client.right = client.left;
    if (client.bottom < client.top) client.bottom = client.top;
    return client;
}

RECT WindowRectForClient(const RECT& client, const Window& window) {
    const FrameSize frame = FrameFor(window.style, window.exStyle, window.menu != nullptr);
    return RECT{client.left - frame.border, client.top - frame.border - frame.caption - frame.menu,
                client.right + frame.border, client.bottom + frame.border};
}

RECT BoundedWindowRect(int64_t x, int64_t y, int64_t width, int64_t height) {
    const LONG left =
        static_cast<LONG>(std::clamp<int64_t>(x, kMinimumCoordinate, kMaximumCoordinate));
    const LONG top =
        static_cast<LONG>(std::clamp<int64_t>(y, kMinimumCoordinate, kMaximumCoordinate));
    const LONG cx = static_cast<LONG>(std::clamp<int64_t>(width, 0, kMaximumCoordinate));
    const LONG cy = static_cast<LONG>(std::clamp<int64_t>(height, 0, kMaximumCoordinate));
    return RECT{left, top, left + cx, top + cy};
}

void SyncSdlGeometry(const Window& window) {
    if (!window.sdl) return;
    if (window.minimized) {
        SDL_MinimizeWindow(window.sdl);
        return;
    }
    if (window.maximized) {
        SDL_MaximizeWindow(window.sdl);
        return;
    }
    if (SDL_GetWindowFlags(window.sdl) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)) {
        SDL_RestoreWindow(window.sdl);
    }
    const RECT client = ClientRectInScreen(window);
    SDL_SetWindowPosition(window.sdl, client.left, client.top);
    SDL_SetWindowSize(window.sdl, std::max<LONG>(1, client.right - client.left),
                      std::max<LONG>(1, client.bottom - client.top));
}

void SyncSdlStyle(const Window& window) {
    if (!window.sdl) return;
    const bool framed = (window.style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER)) != 0;
    SDL_SetWindowBordered(window.sdl, framed ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(window.sdl, (window.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(window.sdl, (window.exStyle & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
}

}  // namespace kl::win32

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const kl::win32::FrameSize frame = kl::win32::FrameFor(dwStyle, 0, bMenu != FALSE);
    lpRect->left = kl::win32::MovedEdge(lpRect->left, -frame.border);
    lpRect->top = kl::win32::MovedEdge(lpRect->top, -(frame.border + frame.caption + frame.menu));
    lpRect->right = kl::win32::MovedEdge(lpRect->right, frame.border);
    lpRect->bottom = kl::win32::MovedEdge(lpRect->bottom, frame.border);
    return TRUE;
}

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
    if (!lprc) return FALSE;
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}
