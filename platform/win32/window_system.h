// The Win32 layer's internal model of windows, classes and the desktop, shared
// by the files that implement the API. System code never includes this header.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SDL_Window;

namespace kl::win32 {

struct WindowClass {
    std::wstring name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

struct Window {
    HWND handle = nullptr;
    std::wstring className;
    WNDPROC procedure = nullptr;
    std::wstring title;
    DWORD style = 0;
    DWORD exStyle = 0;
    HMENU menu = nullptr;
    HWND parent = nullptr;
    // Window rectangle in screen coordinates (frame included). While minimized
    // it is the minimized window's place, as on Windows.
    RECT rect{};
    // Where the window goes when restored (the placement's normal position).
    RECT normalRect{};
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    // How many times the window has been minimized.
    uint64_t minimizations = 0;
    // Restoring from minimized returns to maximized.
    bool restoreToMaximized = false;
    bool needsPaint = false;
    bool destroying = false;
    SDL_Window* sdl = nullptr;
};

// --- window and class tables (window_table.cpp) ---
// The live window behind a handle, nullptr for anything else. The pointer
// stays valid only until the next call into a window procedure (which may
// destroy the window): look the handle up again afterwards.
Window* WindowFromHandle(HWND handle);
Window& AddWindow(Window window);  // assigns the handle
void RemoveWindow(HWND handle);
std::vector<HWND> AllWindows();  // in creation order
std::vector<HWND> TopLevelWindows();
WindowClass* FindClass(std::wstring_view name);  // ignoring case
bool AddClass(WindowClass windowClass);          // false when the name exists
bool RemoveClass(std::wstring_view name);
bool ClassHasWindows(std::wstring_view name);

// --- display or virtual desktop (display_mode.cpp) ---
bool UsingDisplay();  // a real display through SDL, not headless

// --- frame and geometry (window_frame.cpp) ---
struct FrameSize {
    LONG border = 0;   // each side (sizing frame, dialog frame or thin border)
    LONG caption = 0;  // caption bar height, above the client area
    LONG menu = 0;     // menu bar height, below the caption
};
FrameSize FrameFor(DWORD style, DWORD exStyle, bool hasMenu);
RECT ClientRectInScreen(const Window& window);  // empty at the origin while minimized
RECT WindowRectForClient(const RECT& client, const Window& window);
// The window rectangle at (x, y) of the given size, with the position kept
// within the 16-bit range that WM_MOVE and WM_SIZE carry and the size within
// 0 to 32767, so that no later rectangle arithmetic can overflow, whatever
// the caller asked for.
RECT BoundedWindowRect(int64_t x, int64_t y, int64_t width, int64_t height);
// Sends WM_MOVE / WM_SIZE after a rectangle change, as the window manager does.
void NotifyGeometryChange(HWND handle, const RECT& oldClient, bool stateChanged);
// Applies the record's rectangle, state and style to its SDL window.
void SyncSdlGeometry(const Window& window);
void SyncSdlStyle(const Window& window);

// --- changes the window manager made (window_show.cpp): update the record
// and send what Windows sends ---
void ReflectMinimized(HWND handle);
void ReflectMaximized(HWND handle, int clientWidth, int clientHeight);
void ReflectRestored(HWND handle);
// The client area moved or changed size (a window-manager drag).
void ReflectClientArea(HWND handle, int x, int y, int width, int height);

// --- input (keyboard.cpp, input_events.cpp, sdl_events.cpp) ---
struct KeyCode;
// The key goes to `target`, or to the active window when that is null.
void ProcessKeyEvent(const KeyCode& key, bool down, HWND target = nullptr);
void PumpSdlEvents();
// The mouse moved over the window's client area: WM_SETCURSOR is sent (the
// window chooses the cursor) and WM_MOUSEMOVE posted, as on Windows.
void ProcessMouseMove(HWND handle, int clientX, int clientY);
// The user drags the frame to this client size.
void ResizeByUser(HWND handle, int clientWidth, int clientHeight);

// --- activation (activation.cpp) ---
bool ApplicationActive();
// How many times the application has become inactive.
uint64_t ApplicationDeactivations();
HWND ActiveWindow();
// Makes the application active or inactive, sending WM_ACTIVATEAPP to every
// top-level window when that changes. `window` becomes the active window.
void SetApplicationActive(bool active, HWND window);
// A destroyed or hidden window gives up activation.
void ForgetActiveWindow(HWND window);

// --- message queue (message_queue.cpp) ---
LRESULT CallWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
void PostToQueue(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
void PostToQueueFront(const MSG& msg);  // retrieved before anything queued
void DropMessagesFor(HWND handle);
// Turns pending SDL events, injected input and signal requests into messages.
void PumpPlatformEvents();

// --- monitors (monitors.cpp) ---
struct Monitor {
    HMONITOR handle = nullptr;
    RECT area{};
    RECT work{};
    bool primary = false;
};
std::vector<Monitor> DesktopMonitors();  // the primary monitor first
std::optional<Monitor> MonitorFromHandle(HMONITOR handle);
// The monitor a rectangle overlaps most; without overlap the MONITOR_DEFAULTTO*
// flag decides (nothing for MONITOR_DEFAULTTONULL).
std::optional<Monitor> MonitorForRect(const RECT& rect, DWORD flags);

// --- cursor (cursor.cpp) ---
void SetVirtualCursorPosition(POINT screen);

// --- signals (quit_signals.cpp) ---
void InstallQuitSignalHandlers();
// True once after SIGINT or SIGTERM arrived.
bool TakeQuitSignal();
void SetTopLevelWindowCount(int count);

// --- the window procedure's default (def_window_proc.cpp) ---
void ExecuteSystemCommand(HWND handle, WPARAM command);

}  // namespace kl::win32
