// What the device layer asks about the windows made here.
#include "common/native_window.h"

#include "win32/window_system.h"

namespace kl::platform {

SDL_Window* SdlWindowOf(HWND window) {
    const win32::Window* record = win32::WindowFromHandle(window);
    return record ? record->sdl : nullptr;
}

bool ClientSizeOf(HWND window, int* width, int* height) {
    const win32::Window* record = win32::WindowFromHandle(window);
    if (!record) return false;
    const RECT client = win32::ClientRectInScreen(*record);
    if (width) *width = client.right - client.left;
    if (height) *height = client.bottom - client.top;
    return true;
}

bool IsWindowActive(HWND window) {
    const win32::Window* record = win32::WindowFromHandle(window);
    return record && win32::ApplicationActive() && !record->minimized;
}

uint64_t WindowDeactivations(HWND window) {
    const win32::Window* record = win32::WindowFromHandle(window);
    return win32::ApplicationDeactivations() + (record ? record->minimizations : 0);
}

}  // namespace kl::platform
