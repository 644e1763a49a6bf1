// SDL's events on a real display, turned into what Windows reports.
#include <SDL.h>

#include "win32/key_codes.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

HWND WindowForSdlId(Uint32 id) {
    for (HWND handle : AllWindows()) {
        const Window* window = WindowFromHandle(handle);
        if (window->sdl && SDL_GetWindowID(window->sdl) == id) return handle;
    }
    return nullptr;
}

void ReflectCurrentClientArea(HWND handle) {
    const Window* window = WindowFromHandle(handle);
    if (!window || !window->sdl) return;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &width, &height);
    ReflectClientArea(handle, x, y, width, height);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
    const HWND handle = WindowForSdlId(event.windowID);
    if (!handle) return;
    switch (event.event) {
        case SDL_WINDOWEVENT_EXPOSED:
            InvalidateRect(handle, nullptr, FALSE);
            break;
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            ReflectCurrentClientArea(handle);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            ReflectMinimized(handle);
            break;
        case SDL_WINDOWEVENT_MAXIMIZED: {
            int width = 0, height = 0;
            SDL_GetWindowSize(WindowFromHandle(handle)->sdl, &width, &height);
            ReflectMaximized(handle, width, height);
            break;
        }
        case SDL_WINDOWEVENT_RESTORED:
            ReflectRestored(handle);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            SetApplicationActive(true, handle);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            SetApplicationActive(false, nullptr);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            PostToQueue(handle, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void HandleMouseMotion(const SDL_MouseMotionEvent& event) {
    const HWND handle = WindowForSdlId(event.windowID);
    if (handle) ProcessMouseMove(handle, event.x, event.y);
}

// SDL names the window that has the keyboard focus, which is where Windows
// sends keys too.
void HandleKey(const SDL_KeyboardEvent& event) {
    ProcessKeyEvent(KeyFromSdl(event.keysym.scancode, event.keysym.sym), event.type == SDL_KEYDOWN,
                    WindowForSdlId(event.windowID));
}

}  // namespace

void PumpSdlEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_WINDOWEVENT:
                HandleWindowEvent(event.window);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                HandleKey(event.key);
                break;
            case SDL_MOUSEMOTION:
                HandleMouseMotion(event.motion);
                break;
            default:
                break;
        }
    }
}

}  // namespace kl::win32
