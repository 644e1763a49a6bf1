// The framework window's message handling. The application's message hook
// sees every message first and may take it over; the framework then pauses
// around moves, menus and minimizing, follows size and activation changes,
// handles the default keys and power events, and closes the window.
#include <windows.h>
#include <d3d9.h>

#include "device/device_change.h"
#include "framework/frame_timer.h"
#include "framework/framework_state.h"
#include "framework/pausing.h"
#include "framework/shortcut_keys.h"
#include "framework/system_libraries.h"
#include "framework/window.h"

namespace {

constexpr LONG kMinimumTrackSize = 200;
// Closes the menu without the beep Windows makes for an unknown Alt+key
// (Alt+Enter).
constexpr LRESULT kMenuCharClose = LRESULT(MNC_CLOSE) << 16;
constexpr LPARAM kAltHeldBit = LPARAM(1) << 29;

// The result of a message the framework handled itself, or that it falls
// through to the default handling.
struct Handling {
    bool handled;
    LRESULT result;
};
constexpr Handling kDefault = {false, 0};
Handling Handled(LRESULT result) {
    return {true, result};
}

// A size change may need a new back buffer and may have moved the window to
// another monitor.
void CheckSizeAndMonitor() {
    CheckWindowSizeChange();
    CheckAdapterMonitor();
}

void OnSizeRestored(FrameworkState& state) {
    if (state.GetMaximized()) {
        state.SetMaximized(false);
        CheckSizeAndMonitor();
    } else if (state.GetMinimized()) {
        PauseFramework(false, false);
        state.SetMinimized(false);
        CheckSizeAndMonitor();
    } else if (state.GetInSizeMove()) {
        // A drag in progress: WM_EXITSIZEMOVE checks once it ends.
    } else {
        CheckSizeAndMonitor();
    }
}

void OnSize(FrameworkState& state, WPARAM kind) {
    if (kind == SIZE_MINIMIZED) {
        PauseFramework(true, true);
        state.SetMinimized(true);
        state.SetMaximized(false);
        return;
    }
    RECT client{};
    GetClientRect(ActiveDeviceWindow(), &client);
    // A restore that arrives while the window is in fact still minimized.
    if (client.top == 0 && client.bottom == 0) return;
    if (kind == SIZE_MAXIMIZED) {
        if (state.GetMinimized()) PauseFramework(false, false);
        state.SetMinimized(false);
        state.SetMaximized(true);
        CheckSizeAndMonitor();
    } else if (kind == SIZE_RESTORED) {
        OnSizeRestored(state);
    }
}

// While rendering is paused the main loop draws nothing, so the window is
// repainted from here with the last frame's time.
void OnPaint(FrameworkState& state) {
    IDirect3DDevice9* device = state.GetDevice();
    if (!device || state.GetRenderingPauseCount() <= 0 || !state.GetDeviceObjectsCreated() ||
        !state.GetDeviceObjectsReset()) {
        return;
    }
    FrameDrawCallback frameDraw = state.GetFrameDrawHandler();
    if (frameDraw) {
        frameDraw(device, state.GetCurrentTime(), state.GetElapsedTime(),
                  state.GetFrameDrawContext());
        // The handler may have released the device.
        device = state.GetDevice();
        if (!device) return;
    }
    const HRESULT result = device->Present(nullptr, nullptr, nullptr, nullptr);
    if (result == D3DERR_DEVICELOST || result == D3DERR_DRIVERINTERNALERROR) {
        state.SetDeviceLost(true);
    }
}

Handling OnClose(FrameworkState& state, HWND window) {
    HMENU menu = GetMenu(window);
    if (menu) DestroyMenu(menu);
    DestroyWindow(window);
    // The cursor may be confined to the window that is going away.
    ClipCursor(nullptr);
    UnregisterClassW(kFrameworkWindowClass, nullptr);
    state.SetFocusWindow(nullptr);
    state.SetFullscreenDeviceWindow(nullptr);
    state.SetWindowedDeviceWindow(nullptr);
    return Handled(0);
}

void OnActivated(FrameworkState& state) {
    state.SetActive(true);
    if (state.GetMinimizedWhileFullscreen()) {
        PauseFramework(false, false);
        state.SetMinimizedWhileFullscreen(false);
    }
    SetShortcutKeysAllowed(InWindowedMode() ? state.GetAllowShortcutKeysWhenWindowed()
                                            : state.GetAllowShortcutKeysWhenFullscreen());
}

void OnDeactivated(FrameworkState& state) {
    state.SetActive(false);
    StopControllerRumble();
    if (!InWindowedMode()) {
        ClipCursor(nullptr);
        PauseFramework(true, true);
        state.SetMinimizedWhileFullscreen(true);
    }
    SetShortcutKeysAllowed(true);
}

void OnActivateApp(FrameworkState& state, WPARAM activated) {
    const bool active = state.GetActive();
    if (activated != FALSE && !active) {
        OnActivated(state);
    } else if (activated == FALSE && active) {
        OnDeactivated(state);
    }
}

Handling OnSetCursor(FrameworkState& state) {
    if (!state.GetActive() || InWindowedMode()) return kDefault;
    IDirect3DDevice9* device = state.GetDevice();
    if (device && state.GetShowCursorWhenFullscreen()) device->ShowCursor(TRUE);
    return Handled(TRUE);
}

void OnGetMinMaxInfo(LPARAM lParam) {
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (!info) return;
    info->ptMinTrackSize.x = kMinimumTrackSize;
    info->ptMinTrackSize.y = kMinimumTrackSize;
}

void TogglePause(FrameworkState& state) {
    if (state.GetTimePauseCount() > 0) {
        PauseFramework(false, false);
    } else {
        PauseFramework(true, false);
    }
}

void ToggleWireframe(FrameworkState& state) {
    const bool wireframe = !state.GetWireframe();
    state.SetWireframe(wireframe);
    IDirect3DDevice9* device = state.GetDevice();
    if (device)
        device->SetRenderState(D3DRS_FILLMODE, wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
}

void OnKeyDown(FrameworkState& state, HWND window, WPARAM key) {
    if (!state.GetHandleDefaultKeys()) return;
    switch (key) {
        case VK_ESCAPE:
            SendMessageW(window, WM_CLOSE, 0, 0);
            // Escape also toggles the pause, like the Pause key.
            TogglePause(state);
            break;
        case VK_PAUSE:
            TogglePause(state);
            break;
        case VK_F3:
            PauseFramework(true, true);
            ToggleReferenceDevice();
            PauseFramework(false, false);
            break;
        case VK_F8:
            ToggleWireframe(state);
            break;
        default:
            break;
    }
}

Handling OnSysKeyDown(FrameworkState& state, WPARAM key, LPARAM lParam) {
    if (key != VK_RETURN || !state.GetHandleAltEnter() || !(lParam & kAltHeldBit)) {
        return kDefault;
    }
    PauseFramework(true, true);
    ToggleWindowedMode();
    PauseFramework(false, false);
    return Handled(0);
}

// Fullscreen windows must not be moved, sized, maximized or put to sleep by
// the system menu or the monitor power-saving.
Handling OnSysCommand(WPARAM command) {
    switch (command) {
        case SC_MAXIMIZE:
        case SC_SIZE:
        case SC_MOVE:
        case SC_KEYMENU:
        case SC_MONITORPOWER:
            return InWindowedMode() ? kDefault : Handled(0);
        default:
            return kDefault;
    }
}

void OnMouseMove(FrameworkState& state) {
    IDirect3DDevice9* device = state.GetDevice();
    if (!state.GetActive() || InWindowedMode() || !device) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    device->SetCursorPosition(cursor.x, cursor.y, 0);
}

Handling OnPowerBroadcast(FrameworkState& state, WPARAM event) {
    if (event == PBT_APMQUERYSUSPEND) return Handled(TRUE);
    if (event == PBT_APMRESUMESUSPEND) {
        // The time asleep is not application time.
        GetFrameTimer().Restart();
        state.SetLastStatsUpdateTime(0.0);
        return Handled(TRUE);
    }
    return kDefault;
}

void OnExitSizeMove(FrameworkState& state) {
    PauseFramework(false, false);
    CheckWindowSizeChange();
    CheckAdapterMonitor();
    state.SetInSizeMove(false);
}

Handling HandleFrameworkMessage(FrameworkState& state, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return kDefault;
        case WM_SIZE:
            OnSize(state, wParam);
            return kDefault;
        case WM_PAINT:
            OnPaint(state);
            return kDefault;
        case WM_CLOSE:
            return OnClose(state, window);
        case WM_ACTIVATEAPP:
            OnActivateApp(state, wParam);
            return kDefault;
        case WM_SETCURSOR:
            return OnSetCursor(state);
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(lParam);
            return kDefault;
        case WM_NCHITTEST:
            return InWindowedMode() ? kDefault : Handled(HTCLIENT);
        case WM_KEYDOWN:
            OnKeyDown(state, window, wParam);
            return kDefault;
        case WM_SYSKEYDOWN:
            return OnSysKeyDown(state, wParam, lParam);
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam);
        case WM_MENUCHAR:
            return Handled(kMenuCharClose);
        case WM_MOUSEMOVE:
            OnMouseMove(state);
            return kDefault;
        case WM_ENTERMENULOOP:
            PauseFramework(true, true);
            return kDefault;
        case WM_EXITMENULOOP:
            PauseFramework(false, false);
            return kDefault;
        case WM_POWERBROADCAST:
            return OnPowerBroadcast(state, wParam);
        case WM_ENTERSIZEMOVE:
            PauseFramework(true, true);
            state.SetInSizeMove(true);
            return kDefault;
        case WM_EXITSIZEMOVE:
            OnExitSizeMove(state);
            return kDefault;
        default:
            return kDefault;
    }
}

LRESULT DefaultHandling(FrameworkState& state, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    // Without a menu, F10 must not open the system menu.
    if ((message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) && wParam == VK_F10 &&
        !state.GetSavedMenu()) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FrameworkState& state = GetFrameworkState();
    MessageCallback messageHandler = state.GetMessageHandler();
    if (messageHandler) {
        bool noFurtherProcessing = false;
        const LRESULT result = messageHandler(window, message, wParam, lParam, &noFurtherProcessing,
                                              state.GetMessageContext());
        if (noFurtherProcessing) return result;
    }
    const Handling handling = HandleFrameworkMessage(state, window, message, wParam, lParam);
    if (handling.handled) return handling.result;
    return DefaultHandling(state, window, message, wParam, lParam);
}
