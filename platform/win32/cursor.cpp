// The mouse cursor: its position, the ClipCursor rectangle, the cursor image
// SetCursor chose and ShowCursor's display counter. Where a display exists
// the cursor's visibility follows SDL; the clip rectangle is recorded and
// keeps the virtual cursor inside it (the window manager owns the real one).
#include <SDL.h>

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
    static CursorState state;
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
        return TRUE;
    }
    // The rectangle is limited to the screen, as on Windows.
    const RECT screen = DesktopMonitors().front().area;
    RECT clip{std::max(lpRect->left, screen.left), std::max(lpRect->top, screen.top),
              std::min(lpRect->right, screen.right), std::min(lpRect->bottom, screen.bottom)};
    if (clip.right <= clip.left || clip.bottom <= clip.top) clip = *lpRect;
    state.clip = clip;
    state.position = ClampToClip(state.position.value_or(PrimaryCentre()));
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
