// What Windows does with the messages a window procedure passes on.
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

constexpr LPARAM kAltHeldBit = LPARAM{1} << 29;
constexpr WPARAM kSystemCommandMask = 0xFFF0;

}  // namespace

void ExecuteSystemCommand(HWND handle, WPARAM command) {
    switch (command & kSystemCommandMask) {
        case SC_CLOSE:
            SendMessageW(handle, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(handle, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(handle, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(handle, SW_RESTORE);
            break;
        // No menu loop, interactive move or size loop, screen saver or monitor
        // power control exists here: like a desktop without them, nothing
        // happens.
        default:
            break;
    }
}

}  // namespace kl::win32

using namespace kl::win32;

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
        case WM_CLOSE:
            DestroyWindow(hWnd);
            return 0;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_SYSCOMMAND:
            ExecuteSystemCommand(hWnd, wParam);
            return 0;
        case WM_SYSKEYDOWN:
            // Alt+F4 closes the window through the system command.
            if (wParam == VK_F4 && (lParam & kAltHeldBit)) {
                SendMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return 0;
        case WM_PAINT:
            if (Window* window = WindowFromHandle(hWnd)) window->needsPaint = false;
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                const Window* window = WindowFromHandle(hWnd);
                const WindowClass* windowClass = window ? FindClass(window->className) : nullptr;
                if (windowClass && windowClass->cursor) SetCursor(windowClass->cursor);
            }
            return FALSE;
        default:
            return 0;
    }
}
