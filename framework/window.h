// The framework's one window and its window procedure.
#pragma once

#include <windows.h>

// The class of the framework's window; unregistered again when it closes.
inline constexpr WCHAR kFrameworkWindowClass[] = L"Direct3DWindowClass";

HRESULT CreateFrameworkWindow(const WCHAR* title, HINSTANCE instance, HICON icon, HMENU menu, int x,
                              int y);
LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Asks for a new back buffer when the window's client size no longer matches.
void CheckWindowSizeChange();
