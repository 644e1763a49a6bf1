// The device's cursor: its image, hot spot, visibility and position are kept;
// where a real window exists the image becomes the SDL cursor.
#include <SDL.h>

#include "common/native_window.h"
#include "d3d9/device.h"
#include "d3d9/surface.h"

namespace kl::d3d9 {

HRESULT Device::SetCursorProperties(UINT hotSpotX, UINT hotSpotY, IDirect3DSurface9* bitmap) {
    if (!bitmap) return D3DERR_INVALIDCALL;
    auto* surface = static_cast<Surface*>(bitmap);
    // Direct3D takes A8R8G8B8 cursor images no larger than the display.
    if (surface->Format().format != D3DFMT_A8R8G8B8 || hotSpotX >= surface->Width() ||
        hotSpotY >= surface->Height())
        return D3DERR_INVALIDCALL;
    std::vector<uint8_t> pixels;
    if (!surface->ReadRgba8(&pixels)) return D3DERR_INVALIDCALL;
    cursorPixels_ = std::move(pixels);
    cursorWidth_ = surface->Width();
    cursorHeight_ = surface->Height();
    cursorHotX_ = hotSpotX;
    cursorHotY_ = hotSpotY;
    ApplyCursor();
    return D3D_OK;
}

void Device::SetCursorPosition(int x, int y, DWORD) {
    cursorX_ = x;
    cursorY_ = y;
    if (SDL_Window* window = context_ ? context_->Window() : nullptr)
        if (cursorVisible_ && !Windowed()) SDL_WarpMouseInWindow(window, x, y);
}

BOOL Device::ShowCursor(BOOL show) {
    const BOOL previous = cursorVisible_ ? TRUE : FALSE;
    cursorVisible_ = show != FALSE;
    ApplyCursor();
    return previous;
}

void Device::ApplyCursor() {
    if (!context_ || !context_->Window() || cursorPixels_.empty()) return;
    DestroyCursor();
    SDL_Surface* image = SDL_CreateRGBSurfaceWithFormatFrom(
        cursorPixels_.data(), static_cast<int>(cursorWidth_), static_cast<int>(cursorHeight_), 32,
        static_cast<int>(cursorWidth_ * 4), SDL_PIXELFORMAT_RGBA32);
    if (!image) return;
    SDL_Cursor* cursor =
        SDL_CreateColorCursor(image, static_cast<int>(cursorHotX_), static_cast<int>(cursorHotY_));
    SDL_FreeSurface(image);
    if (!cursor) return;
    sdlCursor_ = cursor;
    SDL_SetCursor(cursor);
    SDL_ShowCursor(cursorVisible_ ? SDL_ENABLE : SDL_DISABLE);
}

void Device::DestroyCursor() {
    if (!sdlCursor_) return;
    SDL_FreeCursor(static_cast<SDL_Cursor*>(sdlCursor_));
    sdlCursor_ = nullptr;
}

}  // namespace kl::d3d9
