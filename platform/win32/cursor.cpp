// The mouse cursor: its position, the ClipCursor rectangle, the cursor image
// SetCursor chose and ShowCursor's display counter. Where a display exists
// the cursor's visibility follows SDL; the clip rectangle is recorded and
// keeps the virtual cursor inside it; with a display, SDL confines the real
// pointer to the window under the rectangle.
#include <SDL.h>

#include <algorithm>
#include <optional>

#include "testing/windows.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

struct CursorState {
    std::optional<POINT> position;  // virtual desktop; the primary centre until moved
    std::optional<RECT> clip;
    HCURSOR current = nullptr;
    // Windows starts the counter at 0 where a mouse is installed.
    int displayCount = 0;
};

CursorState& Cursor() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static CursorState& state = *new CursorState;
    return state;
}

POINT PrimaryCentre() {
    const RECT area = DesktopMonitors().front().area;
    return POINT{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

POINT ClampToClip(POINT point) {
    const std::optional<RECT>& clip = Cursor().clip;
    if (!clip) return point;
    point.x = std::max(clip->left, std::min(point.x, clip->right - 1));
    point.y = std::max(clip->top, std::min(point.y, clip->bottom - 1));
    return point;
}

// With a display, the pointer is confined to the SDL window under the clip
// rectangle (SDL can only confine it to a window), in client coordinates.
void ApplySdlClip(const std::optional<RECT>& clip) {
    for (HWND handle : TopLevelWindows()) {
        const Window* window = WindowFromHandle(handle);
        if (!window->sdl) continue;
        const RECT client = ClientRectInScreen(*window);
        const bool inside = clip && clip->left < client.right && clip->right > client.left &&
                            clip->top < client.bottom && clip->bottom > client.top;
        if (!inside) {
            SDL_SetWindowMouseRect(window->sdl, nullptr);
            continue;
        }
        const LONG left = std::max(clip->left, client.left);
        const LONG top = std::max(clip->top, client.top);
        const SDL_Rect area{left - client.left, top - client.top,
                            std::min(clip->right, client.right) - left,
                            std::min(clip->bottom, client.bottom) - top};
        SDL_SetWindowMouseRect(window->sdl, &area);
    }
}

void ApplySdlCursorVisibility() {
    if (!UsingDisplay()) return;
    const bool visible = Cursor().displayCount >= 0 && Cursor().current != nullptr;
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

void SetVirtualCursorPosition(POINT screen) {
    Cursor().position = ClampToClip(screen);
}

}  // namespace kl::win32

using namespace kl::win32;

BOOL WINAPI ClipCursor(const RECT* lpRect) {
    CursorState& state = Cursor();
    if (!lpRect) {
        state.clip.reset();
        if (UsingDisplay()) ApplySdlClip(state.clip);
        return TRUE;
    }
    // The rectangle is limited to the screen, as on Windows.
    const RECT screen = DesktopMonitors().front().area;
    RECT clip{std::max(lpRect->left, screen.left), std::max(lpRect->top, screen.top),
              std::min(lpRect->right, screen.right), std::min(lpRect->bottom, screen.bottom)};
    if (clip.right <= clip.left || clip.bottom <= clip.top) clip = *lpRect;
    state.clip = clip;
    state.position = ClampToClip(state.position.value_or(PrimaryCentre()));
    if (UsingDisplay()) ApplySdlClip(state.clip);
    return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
    const HCURSOR previous = Cursor().current;
    Cursor().current = hCursor;
    ApplySdlCursorVisibility();
    return previous;
}

int WINAPI ShowCursor(BOOL bShow) {
    Cursor().displayCount += bShow ? 1 : -1;
    ApplySdlCursorVisibility();
    return Cursor().displayCount;
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (!lpPoint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (UsingDisplay()) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        *lpPoint = POINT{x, y};
        return TRUE;
    }
    *lpPoint = Cursor().position.value_or(PrimaryCentre());
    return TRUE;
}

namespace kl::testing {

bool CursorClipRect(RECT* rect) {
    const std::optional<RECT>& clip = Cursor().clip;
    if (clip && rect) *rect = *clip;
    return clip.has_value();
}

int CursorDisplayCount() {
    return Cursor().displayCount;
}

HCURSOR CurrentCursor() {
    return Cursor().current;
}

}  // namespace kl::testing
