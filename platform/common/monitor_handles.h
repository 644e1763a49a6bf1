// The HMONITOR values of the desktop's monitors, shared by the Win32 layer
// (MonitorFromWindow) and the Direct3D layer (GetAdapterMonitor) so that both
// name a monitor alike.
#pragma once

#include <windows.h>

namespace kl::platform {

// The monitor of SDL display `index` (or of the virtual desktop's monitor at
// that position; the primary monitor is index 0).
HMONITOR MonitorHandleOfDisplay(int index);

}  // namespace kl::platform
