// System functions looked up at run time, with the fixed behaviour the
// framework falls back to when one is missing.
#pragma once

#include <windows.h>
#include <d3d9.h>

// The monitor handle the fallbacks use for the one primary monitor.
#define PRIMARY_MONITOR_SENTINEL ((HMONITOR)0x12340042)

IDirect3D9* CreateDirect3D(UINT sdkVersion);
HRESULT StopControllerRumble();
BOOL GetMonitorInfoShim(HMONITOR monitor, LPMONITORINFO info);
HMONITOR MonitorFromWindowShim(HWND window, DWORD flags);
bool RelaunchMediaShell();

// What the two monitor shims answer when the system function is missing:
// one primary monitor, PRIMARY_MONITOR_SENTINEL, covering the screen.
HMONITOR PrimaryMonitorFallback(DWORD flags);
BOOL PrimaryMonitorInfoFallback(HMONITOR monitor, LPMONITORINFO info);
