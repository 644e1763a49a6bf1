// Suppression of the accessibility shortcut keys and the Windows keys while a
// fullscreen program is active, and the fullscreen cursor.
#pragma once

#include <windows.h>
#include <d3d9.h>

void SetShortcutKeysAllowed(bool allow);
LRESULT CALLBACK LowLevelKeyboardFilter(int code, WPARAM wParam, LPARAM lParam);

void ConfigureFullscreenCursor(bool showCursorWhenFullscreen, bool clipCursorWhenFullscreen);
void ApplyCursorSettings();
HRESULT SetDeviceCursorFromIcon(IDirect3DDevice9* device, HICON icon);
