// The entry points of Windows system libraries that the Win32 layer itself
// implements: user32's monitor functions, winmm's timer resolution and
// XInput's vibration.
#pragma once

#include <windows.h>

namespace kl::win32 {

// Registers them in the library export table (once).
void RegisterSystemLibraryExports();

}  // namespace kl::win32
