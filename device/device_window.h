// The window side of a device change: preparing the window for windowed or
// fullscreen use, bringing back the windowed placement, and sizing the window
// so that its client area matches the back buffer.
#pragma once

#include <windows.h>

#include "device/device_settings.h"

// Before a windowed device: gives back the windowed style and the menu.
void PrepareWindowForWindowed(const DeviceSettings* previous);
// Before a fullscreen device: remembers the windowed placement, style and
// topmost state, and turns the window into a menu-less popup.
void PrepareWindowForFullscreen(const DeviceSettings* previous);
// After a change from fullscreen to windowed: the remembered placement and
// topmost state come back.
void RestoreWindowedPlacement();
// Sizes (and with keepWindowOnMonitor, places) the windowed device window for
// the back buffer. Returns false when the window's client area could not be
// made that large.
bool FitWindowToBackBuffer(const DeviceSettings& settings, bool keepWindowOnMonitor);
// Shows the active device window if it is hidden.
void ShowActiveDeviceWindow();

// The width or height of a rectangle from its two edges. A frame added to a
// huge requested size puts the edges at the ends of the LONG range, where the
// plain difference would overflow; the result is held to 0 ... LONG's maximum.
LONG RectExtent(LONG low, LONG high);
