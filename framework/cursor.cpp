// The cursor in fullscreen mode: drawn by the device from the window class's
// cursor image, and optionally kept inside the window.
#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "framework/framework_state.h"
#include "framework/shortcut_keys.h"

namespace {

constexpr uint32_t kOpaqueAlpha = 0xFF000000u;

// Everything SetDeviceCursorFromIcon obtains, released however it ends.
struct CursorResources {
    HBITMAP mask = nullptr;
    HBITMAP color = nullptr;
    HDC screen = nullptr;
    HDC maskDc = nullptr;
    HDC colorDc = nullptr;
    IDirect3DSurface9* surface = nullptr;

    ~CursorResources() {
        if (surface) surface->Release();
        if (colorDc) DeleteDC(colorDc);
        if (maskDc) DeleteDC(maskDc);
        if (screen) ReleaseDC(nullptr, screen);
        if (color) DeleteObject(color);
        if (mask) DeleteObject(mask);
    }
};

// Reads a bitmap as 32-bit pixels, rows from the bottom up, through a
// memory device context. False when the context or the read fails.
bool ReadBitmapPixels(HDC screen, HBITMAP bitmap, LONG width, LONG height, HDC* memoryDc,
                      std::vector<uint32_t>* pixels) {
    *memoryDc = CreateCompatibleDC(screen);
    if (!*memoryDc) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels->assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    HGDIOBJ previous = SelectObject(*memoryDc, bitmap);
    const int rows = GetDIBits(*memoryDc, bitmap, 0, static_cast<UINT>(height), pixels->data(),
                               &info, DIB_RGB_COLORS);
    SelectObject(*memoryDc, previous);
    return rows != 0;
}

// The cursor image's row y (from the top) within a bottom-up pixel array of
// totalRows rows.
const uint32_t* BottomUpRow(const std::vector<uint32_t>& pixels, LONG width, LONG totalRows,
                            LONG y) {
    return pixels.data() + static_cast<size_t>(totalRows - 1 - y) * static_cast<size_t>(width);
}

// Opaque colour where the AND mask is clear, fully transparent elsewhere.
// A monochrome icon keeps its AND mask in the upper half of the bitmap and
// the XOR (colour) mask in the lower half.
void ComposeCursorPixels(const std::vector<uint32_t>& maskPixels,
                         const std::vector<uint32_t>& colorPixels, bool monochrome, LONG width,
                         LONG height, BYTE* target, INT pitch) {
    const LONG maskRows = monochrome ? height * 2 : height;
    for (LONG y = 0; y < height; ++y) {
        const uint32_t* maskRow = BottomUpRow(maskPixels, width, maskRows, y);
        const uint32_t* colorRow = monochrome ? BottomUpRow(maskPixels, width, maskRows, height + y)
                                              : BottomUpRow(colorPixels, width, height, y);
        uint32_t* out = reinterpret_cast<uint32_t*>(target + static_cast<ptrdiff_t>(y) * pitch);
        for (LONG x = 0; x < width; ++x) {
            out[x] = maskRow[x] == 0 ? (colorRow[x] | kOpaqueAlpha) : 0;
        }
    }
}

}  // namespace

HRESULT SetDeviceCursorFromIcon(IDirect3DDevice9* device, HICON icon) {
    CursorResources resources;
    ICONINFO iconInfo{};
    if (!GetIconInfo(icon, &iconInfo)) return E_FAIL;
    resources.mask = iconInfo.hbmMask;
    resources.color = iconInfo.hbmColor;

    BITMAP mask{};
    if (!GetObjectW(iconInfo.hbmMask, sizeof(BITMAP), &mask)) return E_FAIL;
    const bool monochrome = iconInfo.hbmColor == nullptr;
    const LONG width = mask.bmWidth;
    const LONG height = monochrome ? mask.bmHeight / 2 : mask.bmHeight;
    // A mask without pixels cannot describe a cursor.
    if (width <= 0 || height <= 0) return E_FAIL;

    HRESULT result = device->CreateOffscreenPlainSurface(
        static_cast<UINT>(width), static_cast<UINT>(height), D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH,
        &resources.surface, nullptr);
    if (FAILED(result)) return result;

    resources.screen = GetDC(nullptr);
    std::vector<uint32_t> maskPixels;
    std::vector<uint32_t> colorPixels;
    if (!ReadBitmapPixels(resources.screen, iconInfo.hbmMask, width, mask.bmHeight,
                          &resources.maskDc, &maskPixels)) {
        return E_FAIL;
    }
    if (!monochrome && !ReadBitmapPixels(resources.screen, iconInfo.hbmColor, width, height,
                                         &resources.colorDc, &colorPixels)) {
        return E_FAIL;
    }

    D3DLOCKED_RECT locked{};
    result = resources.surface->LockRect(&locked, nullptr, 0);
    if (FAILED(result)) return result;
    // Rows are written at the surface's own pitch, which may exceed the row.
    ComposeCursorPixels(maskPixels, colorPixels, monochrome, width, height,
                        static_cast<BYTE*>(locked.pBits), locked.Pitch);
    resources.surface->UnlockRect();

    result = device->SetCursorProperties(iconInfo.xHotspot, iconInfo.yHotspot, resources.surface);
    return FAILED(result) ? result : S_OK;
}

void ApplyCursorSettings() {
    FrameworkState& state = GetFrameworkState();
    const bool windowed = InWindowedMode();
    IDirect3DDevice9* device = state.GetDevice();
    HWND window = state.GetFullscreenDeviceWindow();
    if (!windowed && device) {
        SetCursor(nullptr);
        if (state.GetShowCursorWhenFullscreen()) {
            HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
            SetDeviceCursorFromIcon(device, cursor);
            device->ShowCursor(TRUE);
        } else {
            device->ShowCursor(FALSE);
        }
    }
    // Before the window exists (the application configures the cursor
    // first) there is no rectangle to confine the cursor to: an empty one
    // would pin it to a point of the screen.
    RECT windowRect{};
    if (!windowed && state.GetClipCursorWhenFullscreen() && window &&
        GetWindowRect(window, &windowRect) && windowRect.right > windowRect.left &&
        windowRect.bottom > windowRect.top) {
        ClipCursor(&windowRect);
        return;
    }
    ClipCursor(nullptr);
}

void ConfigureFullscreenCursor(bool showCursorWhenFullscreen, bool clipCursorWhenFullscreen) {
    FrameworkState& state = GetFrameworkState();
    state.SetClipCursorWhenFullscreen(clipCursorWhenFullscreen);
    state.SetShowCursorWhenFullscreen(showCursorWhenFullscreen);
    ApplyCursorSettings();
}
