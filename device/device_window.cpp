// Window preparation and sizing around a device change.
#include "device/device_window.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "framework/framework_state.h"
#include "framework/system_libraries.h"

namespace {

// WS_MAXIMIZE and WS_MINIMIZE are not part of the style to come back to.
constexpr uint32_t kRestorableStyleMask = 0xDEFFFFFF;
constexpr LONG kFullscreenStyle = static_cast<LONG>(0x80080000u);  // WS_POPUP | WS_SYSMENU

WINDOWPLACEMENT ReadPlacement(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(WINDOWPLACEMENT);
    GetWindowPlacement(window, &placement);
    return placement;
}

LONG RectWidth(const RECT& rect) {
    return RectExtent(rect.left, rect.right);
}
LONG RectHeight(const RECT& rect) {
    return RectExtent(rect.top, rect.bottom);
}

bool RectInside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT AdapterWorkArea(UINT adapterOrdinal) {
    MONITORINFO info{};
    info.cbSize = sizeof(MONITORINFO);
    IDirect3D9* direct3d = GetFrameworkState().GetDirect3D();
    if (direct3d) GetMonitorInfoShim(direct3d->GetAdapterMonitor(adapterOrdinal), &info);
    return info.rcWork;
}

// The client size of the windowed device window, also while it is minimized:
// then the size it will have when restored.
void ReadClientSize(HWND window, LONG* width, LONG* height) {
    FrameworkState& state = GetFrameworkState();
    RECT client{};
    if (!IsIconic(window)) {
        GetClientRect(window, &client);
        *width = RectWidth(client);
        *height = RectHeight(client);
        return;
    }
    const WINDOWPLACEMENT placement = ReadPlacement(window);
    if ((placement.flags & WPF_RESTORETOMAXIMIZED) && placement.showCmd == SW_SHOWMINIMIZED) {
        ShowWindow(window, SW_RESTORE);
        GetClientRect(window, &client);
        ShowWindow(window, SW_MINIMIZE);
        *width = RectWidth(client);
        *height = RectHeight(client);
        return;
    }
    RECT frame{};
    AdjustWindowRect(&frame, state.GetWindowedStyle(), state.GetSavedMenu() != nullptr);
    *width = RectWidth(placement.rcNormalPosition) - RectWidth(frame);
    *height = RectHeight(placement.rcNormalPosition) - RectHeight(frame);
}

// A window that is not wholly on its adapter's work area is moved, unless it
// is maximized on that very monitor.
bool WindowNeedsMove(HWND window, UINT adapterOrdinal) {
    IDirect3D9* direct3d = GetFrameworkState().GetDirect3D();
    if (!direct3d) return false;
    const HMONITOR adapterMonitor = direct3d->GetAdapterMonitor(adapterOrdinal);
    MONITORINFO info{};
    info.cbSize = sizeof(MONITORINFO);
    GetMonitorInfoShim(adapterMonitor, &info);
    const HMONITOR windowMonitor =
        MonitorFromWindowShim(ActiveDeviceWindow(), MONITOR_DEFAULTTOPRIMARY);
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    if (RectInside(windowRect, info.rcWork)) return false;
    return windowMonitor != adapterMonitor || !IsZoomed(window);
}

void ResizeWindow(HWND window, const DeviceSettings& settings, bool keepWindowOnMonitor) {
    FrameworkState& state = GetFrameworkState();
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (IsZoomed(window)) ShowWindow(window, SW_RESTORE);

    RECT rect{0, 0, static_cast<LONG>(settings.presentParams.BackBufferWidth),
              static_cast<LONG>(settings.presentParams.BackBufferHeight)};
    AdjustWindowRect(&rect, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                     state.GetSavedMenu() != nullptr);
    LONG width = RectWidth(rect);
    LONG height = RectHeight(rect);

    if (!keepWindowOnMonitor) {
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
        return;
    }
    const RECT work = AdapterWorkArea(settings.adapterOrdinal);
    width = std::min(width, RectWidth(work));
    height = std::min(height, RectHeight(work));
    LONG x = rect.left;
    LONG y = rect.top;
    if (!RectInside(rect, work)) {
        x = work.left + (RectWidth(work) - width) / 2;
        y = work.top + (RectHeight(work) - height) / 2;
    }
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER);
}

}  // namespace

void PrepareWindowForWindowed(const DeviceSettings* previous) {
    FrameworkState& state = GetFrameworkState();
    const HWND windowed = state.GetWindowedDeviceWindow();
    const HWND fullscreen = state.GetFullscreenDeviceWindow();
    if (previous && !previous->presentParams.Windowed) {
        state.SetFullscreenWidthAtSwitch(
            static_cast<int32_t>(previous->presentParams.BackBufferWidth));
        state.SetFullscreenHeightAtSwitch(
            static_cast<int32_t>(previous->presentParams.BackBufferHeight));
        SetWindowLongW(windowed, GWL_STYLE, static_cast<LONG>(state.GetWindowedStyle()));
    }
    if (fullscreen != windowed) {
        ShowWindow(fullscreen, SW_HIDE);
    } else if (state.GetSavedMenu()) {
        SetMenu(windowed, state.GetSavedMenu());
    }
}

void PrepareWindowForFullscreen(const DeviceSettings* previous) {
    FrameworkState& state = GetFrameworkState();
    const HWND windowed = state.GetWindowedDeviceWindow();
    const HWND fullscreen = state.GetFullscreenDeviceWindow();
    if (!previous || previous->presentParams.Windowed) {
        state.SetWindowedPlacement(ReadPlacement(windowed));
        state.SetTopmostWhileWindowed((GetWindowLongW(windowed, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
        state.SetWindowedStyle(static_cast<uint32_t>(GetWindowLongW(windowed, GWL_STYLE)) &
                               kRestorableStyleMask);
        if (previous) {
            state.SetWindowedWidthAtSwitch(
                static_cast<int32_t>(previous->presentParams.BackBufferWidth));
            state.SetWindowedHeightAtSwitch(
                static_cast<int32_t>(previous->presentParams.BackBufferHeight));
        }
    }

    ShowWindow(fullscreen, SW_HIDE);
    SetWindowLongW(fullscreen, GWL_STYLE, kFullscreenStyle);
    if (fullscreen == windowed) {
        state.SetSavedMenu(GetMenu(fullscreen));
        SetMenu(fullscreen, nullptr);
    }

    WINDOWPLACEMENT placement = ReadPlacement(fullscreen);
    if (placement.flags & WPF_RESTORETOMAXIMIZED) {
        placement.flags &= ~static_cast<UINT>(WPF_RESTORETOMAXIMIZED);
        placement.showCmd = SW_RESTORE;
        SetWindowPlacement(fullscreen, &placement);
    }
}

void RestoreWindowedPlacement() {
    FrameworkState& state = GetFrameworkState();
    const HWND windowed = state.GetWindowedDeviceWindow();
    const WINDOWPLACEMENT placement = state.GetWindowedPlacement();
    SetWindowPlacement(windowed, &placement);
    SetWindowPos(windowed, state.GetTopmostWhileWindowed() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0,
                 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
}

bool FitWindowToBackBuffer(const DeviceSettings& settings, bool keepWindowOnMonitor) {
    const HWND window = GetFrameworkState().GetWindowedDeviceWindow();
    const LONG wantedWidth = static_cast<LONG>(settings.presentParams.BackBufferWidth);
    const LONG wantedHeight = static_cast<LONG>(settings.presentParams.BackBufferHeight);

    LONG clientWidth = 0;
    LONG clientHeight = 0;
    ReadClientSize(window, &clientWidth, &clientHeight);
    const bool resize = clientWidth != wantedWidth || clientHeight != wantedHeight;
    const bool move = keepWindowOnMonitor && !IsIconic(window) &&
                      WindowNeedsMove(window, settings.adapterOrdinal);
    if (!move && !resize) return true;

    ResizeWindow(window, settings, keepWindowOnMonitor);
    RECT client{};
    GetClientRect(window, &client);
    return RectWidth(client) == wantedWidth && RectHeight(client) == wantedHeight;
}

LONG RectExtent(LONG low, LONG high) {
    const int64_t extent = static_cast<int64_t>(high) - low;
    return static_cast<LONG>(std::clamp<int64_t>(extent, 0, std::numeric_limits<LONG>::max()));
}

void ShowActiveDeviceWindow() {
    const HWND window = ActiveDeviceWindow();
    if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
}
