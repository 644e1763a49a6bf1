// Test hooks of the Win32 layer: the virtual desktop, input injection,
// message-box capture and what the layer recorded instead of changing the
// desktop. Only tests include this header (through platform/testing.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kl::testing {

// Uses the virtual desktop even where a display exists. Takes effect only
// before the first window or display question.
void ForceHeadless();

// Input as it would come from the display. Each call queues one event; the
// next PeekMessageW or GetMessageW turns queued events into messages, in order,
// exactly as it does with SDL's events.
// A key goes to the active window (the keyboard hook sees it first).
void InjectKey(UINT virtualKey, bool down);
void InjectKeyPress(UINT virtualKey);  // down, then up
// The user drags the frame until the client area has this size:
// WM_ENTERSIZEMOVE, the resize (WM_GETMINMAXINFO limits it), WM_EXITSIZEMOVE.
void InjectResize(HWND window, int clientWidth, int clientHeight);
// The user clicks minimize, maximize or restore: WM_SYSCOMMAND with
// SC_MINIMIZE, SC_MAXIMIZE or SC_RESTORE, which DefWindowProcW carries out.
void InjectMinimize(HWND window);
void InjectMaximize(HWND window);
void InjectRestore(HWND window);
// The application gains or loses the focus (another program was clicked).
void InjectActivation(bool active);
// The close button: WM_CLOSE is posted.
void InjectClose(HWND window);
// Part of the window was uncovered: WM_PAINT follows.
void InjectPaint(HWND window);
// The mouse moved to a point in the window's client area.
void InjectMouseMove(HWND window, int clientX, int clientY);

// Message boxes: while capturing, MessageBoxW records each box (still writing
// its line to standard error) and returns IDOK without showing anything.
struct CapturedMessageBox {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};
void CaptureMessageBoxes(bool capture);
std::vector<CapturedMessageBox> CapturedMessageBoxes();

// The virtual desktop: the first monitor is the primary one. The default is
// one monitor of KESTRALUNE_DESKTOP's size (1024 x 768 unless set) whose work
// area leaves 40 pixels for a task bar.
struct VirtualMonitor {
    RECT area{};
    RECT work{};
};
void SetVirtualMonitors(const std::vector<VirtualMonitor>& monitors);

// The accessibility settings SystemParametersInfoW reads and writes (kept in
// memory; the real desktop is never changed).
void SetAccessibilitySettings(const STICKYKEYS& sticky, const TOGGLEKEYS& toggle,
                              const FILTERKEYS& filter);
void GetAccessibilitySettings(STICKYKEYS* sticky, TOGGLEKEYS* toggle, FILTERKEYS* filter);

// GetSystemMetrics(index) answers `value` until the overrides are cleared
// (e.g. SM_REMOTESESSION or SM_MEDIACENTER set to 1).
void SetSystemMetric(int index, int value);
void ClearSystemMetricOverrides();

// The string GetCommandLineW returns (normally built from argv).
void SetProcessCommandLine(const wchar_t* commandLine);

// Installed low-level keyboard hooks, the most recent first.
std::vector<HOOKPROC> InstalledKeyboardHooks();

// The ClipCursor rectangle; false when the cursor is free.
bool CursorClipRect(RECT* rect);
// ShowCursor's display counter (the cursor shows while it is 0 or more) and
// the cursor SetCursor last chose.
int CursorDisplayCount();
HCURSOR CurrentCursor();

}  // namespace kl::testing
