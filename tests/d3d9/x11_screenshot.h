// Reads what the X server shows in a window: a screenshot, independent of
// anything the device owns. Kept apart because the X headers define names
// (None, Status, ...) that clash with GoogleTest.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace kl::test {

// RGBA8 rows, top row first; empty when the window is not on an X display.
std::vector<uint8_t> Screenshot(HWND window, int width, int height);

}  // namespace kl::test
