// Bitmaps, memory device contexts and stock objects: enough GDI to read an
// icon's mask and colour bitmaps as 32-bit DIBs. Nothing here draws.
#include "win32/gdi_objects.h"

#include <cstring>
#include <map>
#include <memory>

namespace kl::win32 {

namespace {

constexpr uintptr_t kFirstBitmapHandle = 0x50010;
constexpr uintptr_t kFirstDcHandle = 0x60010;
constexpr uintptr_t kFirstStockHandle = 0x70010;
constexpr uintptr_t kHandleStep = 0x10;
constexpr int kStockObjectCount = 20;  // WHITE_BRUSH (0) to DC_PEN (19)
// The 1 x 1 monochrome bitmap every new memory device context starts with.
const HBITMAP kDefaultBitmap =
    reinterpret_cast<HBITMAP>(kFirstStockHandle + kStockObjectCount * kHandleStep);

struct DeviceContext {
    bool memory = false;
    HBITMAP selected = nullptr;
};

struct GdiTables {
    uintptr_t nextBitmap = kFirstBitmapHandle;
    uintptr_t nextDc = kFirstDcHandle;
    std::map<HBITMAP, Bitmap> bitmaps;
    std::map<HDC, DeviceContext> contexts;
};

GdiTables& Gdi() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static GdiTables& tables = *new GdiTables;
    return tables;
}

bool IsStockObject(HGDIOBJ object) {
    const auto value = reinterpret_cast<uintptr_t>(object);
    return value >= kFirstStockHandle && value <= reinterpret_cast<uintptr_t>(kDefaultBitmap);
}

HDC NewDeviceContext(bool memory) {
    GdiTables& tables = Gdi();
    const HDC handle = reinterpret_cast<HDC>(tables.nextDc);
    tables.nextDc += kHandleStep;
    tables.contexts[handle] = DeviceContext{memory, memory ? kDefaultBitmap : nullptr};
    return handle;
}

DeviceContext* ContextFromHandle(HDC handle) {
    const auto found = Gdi().contexts.find(handle);
    return found == Gdi().contexts.end() ? nullptr : &found->second;
}

LONG BitmapRowBytes(const Bitmap& bitmap) {
    // Device-dependent bitmap rows are padded to 16 bits.
    return ((bitmap.width * bitmap.bitsPerPixel + 15) / 16) * 2;
}

uint32_t ReadPixel(const BYTE* row, LONG x, UINT bitCount) {
    if (bitCount == 1) return (row[x / 8] & (0x80 >> (x % 8))) ? 0x00FFFFFFu : 0u;
    uint32_t value;
    std::memcpy(&value, row + x * 4, sizeof(value));
    return value;
}

std::vector<uint32_t> ReadBitmapBits(LONG width, LONG height, UINT bitCount, const void* bits) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    if (!bits) return pixels;
    const Bitmap shape{width, height, static_cast<WORD>(bitCount), {}};
    const LONG rowBytes = BitmapRowBytes(shape);
    const auto* source = static_cast<const BYTE*>(bits);
    for (LONG y = 0; y < height; ++y) {
        for (LONG x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y) * width + x] =
                ReadPixel(source + y * rowBytes, x, bitCount);
        }
    }
    return pixels;
}

void FillDibHeader(const Bitmap& bitmap, BITMAPINFOHEADER& header) {
    header.biWidth = bitmap.width;
    header.biHeight = bitmap.height;
    header.biPlanes = 1;
    if (header.biBitCount == 0) header.biBitCount = bitmap.bitsPerPixel;
    header.biCompression = BI_RGB;
    header.biSizeImage =
        static_cast<DWORD>(((bitmap.width * header.biBitCount + 31) / 32) * 4 * bitmap.height);
}

}  // namespace

HBITMAP AddBitmap(Bitmap bitmap) {
    GdiTables& tables = Gdi();
    const HBITMAP handle = reinterpret_cast<HBITMAP>(tables.nextBitmap);
    tables.nextBitmap += kHandleStep;
    tables.bitmaps[handle] = std::move(bitmap);
    return handle;
}

const Bitmap* BitmapFromHandle(HBITMAP handle) {
    const auto found = Gdi().bitmaps.find(handle);
    return found == Gdi().bitmaps.end() ? nullptr : &found->second;
}

}  // namespace kl::win32

using namespace kl::win32;

HGDIOBJ WINAPI GetStockObject(int i) {
    if (i < 0 || i >= kStockObjectCount) return nullptr;
    return reinterpret_cast<HGDIOBJ>(kFirstStockHandle + static_cast<uintptr_t>(i) * kHandleStep);
}

int WINAPI GetObjectW(HGDIOBJ h, int c, LPVOID pv) {
    const Bitmap* bitmap = BitmapFromHandle(static_cast<HBITMAP>(h));
    if (!bitmap) return 0;
    if (!pv) return static_cast<int>(sizeof(BITMAP));
    // A caller may pass the 32-bit size of BITMAP, which ends before bmBits.
    const int needed = static_cast<int>(offsetof(BITMAP, bmBits));
    if (c < needed) return 0;
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = bitmap->width;
    info.bmHeight = bitmap->height;
    info.bmWidthBytes = BitmapRowBytes(*bitmap);
    info.bmPlanes = 1;
    info.bmBitsPixel = bitmap->bitsPerPixel;
    const int copied = std::min(c, static_cast<int>(sizeof(BITMAP)));
    std::memcpy(pv, &info, static_cast<size_t>(copied));
    return copied;
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !ContextFromHandle(hdc)) return nullptr;
    return NewDeviceContext(true);
}

BOOL WINAPI DeleteDC(HDC hdc) {
    const DeviceContext* context = ContextFromHandle(hdc);
    if (!context || !context->memory) return FALSE;
    Gdi().contexts.erase(hdc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    DeviceContext* context = ContextFromHandle(hdc);
    if (!context || !h) return nullptr;
    const auto bitmap = static_cast<HBITMAP>(h);
    if (BitmapFromHandle(bitmap) || bitmap == kDefaultBitmap) {
        if (!context->memory) return nullptr;  // only memory contexts hold bitmaps
        const HBITMAP previous = context->selected;
        context->selected = bitmap;
        return previous;
    }
    // Brushes, pens and fonts: the stock object of the same kind was selected.
    return IsStockObject(h) ? h : nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    if (IsStockObject(ho)) return TRUE;
    return Gdi().bitmaps.erase(static_cast<HBITMAP>(ho)) > 0 ? TRUE : FALSE;
}

int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits,
                     LPBITMAPINFO lpbmi, UINT usage) {
    const Bitmap* bitmap = BitmapFromHandle(hbm);
    if (!ContextFromHandle(hdc) || !bitmap || !lpbmi || usage != DIB_RGB_COLORS) return 0;
    BITMAPINFOHEADER& header = lpbmi->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    if (!lpvBits) {
        FillDibHeader(*bitmap, header);
        return 1;
    }
    // Only 32-bit uncompressed DIBs are produced.
    if (header.biBitCount != 32 || header.biCompression != BI_RGB) return 0;
    const bool bottomUp = header.biHeight > 0;
    const LONG rows = std::min<LONG>(bitmap->height, bottomUp ? header.biHeight : -header.biHeight);
    const LONG width = bitmap->width;
    auto* out = static_cast<uint32_t*>(lpvBits);
    int copied = 0;
    for (UINT line = start; line < start + cLines && static_cast<LONG>(line) < rows; ++line) {
        const LONG sourceRow = bottomUp ? bitmap->height - 1 - static_cast<LONG>(line) : line;
        const uint32_t* source = &bitmap->pixels[static_cast<size_t>(sourceRow) * width];
        std::memcpy(out + static_cast<size_t>(line - start) * width, source,
                    width * sizeof(uint32_t));
        ++copied;
    }
    return copied;
}

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                            const void* lpBits) {
    if (nWidth <= 0 || nHeight <= 0 || nPlanes != 1 || (nBitCount != 1 && nBitCount != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Bitmap bitmap{nWidth, nHeight, static_cast<WORD>(nBitCount),
                  ReadBitmapBits(nWidth, nHeight, nBitCount, lpBits)};
    return AddBitmap(std::move(bitmap));
}

HDC WINAPI GetDC(HWND) {
    return NewDeviceContext(false);
}

int WINAPI ReleaseDC(HWND, HDC hDC) {
    const DeviceContext* context = ContextFromHandle(hDC);
    if (!context || context->memory) return 0;
    Gdi().contexts.erase(hDC);
    return 1;
}
