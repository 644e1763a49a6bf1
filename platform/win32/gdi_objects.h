// GDI bitmaps as far as reading an icon's pixels goes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace kl::win32 {

// Pixels top row first, one 32-bit value each: 0xAARRGGBB for 32-bit
// bitmaps, 0x00000000 (black) or 0x00FFFFFF (white) for monochrome ones.
struct Bitmap {
    LONG width = 0;
    LONG height = 0;
    WORD bitsPerPixel = 32;
    std::vector<uint32_t> pixels;
};

HBITMAP AddBitmap(Bitmap bitmap);
const Bitmap* BitmapFromHandle(HBITMAP handle);

}  // namespace kl::win32
