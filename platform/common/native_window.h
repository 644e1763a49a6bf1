// What the device layer needs to know about a window made by the Win32 layer.
// Implemented by platform/win32; used by platform/d3d9. System code never
// includes this header.
#pragma once

#include <windows.h>

#include <cstdint>

struct SDL_Window;

namespace kl::platform {

// True when no display is used: windows are records on a virtual desktop and
// devices render offscreen (EGL surfaceless).
bool IsHeadless();

// The SDL window behind a window handle; nullptr for a virtual window or a
// handle that is not a window.
SDL_Window* SdlWindowOf(HWND window);

// Client-area size in pixels; false for a handle that is not a window.
bool ClientSizeOf(HWND window, int* width, int* height);

// Whether the application owning the window is active (has focus) and whether
// the window is minimized: a fullscreen device loses itself when either says so.
bool IsWindowActive(HWND window);
// How many times the window has stopped being active (its application
// deactivated, or the window minimized). A change tells a fullscreen device
// that it lost the display meanwhile, even if nothing called it then.
uint64_t WindowDeactivations(HWND window);

}  // namespace kl::platform
