#include "x11_screenshot.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "common/native_window.h"

namespace kl::test {

std::vector<uint8_t> Screenshot(HWND window, int width, int height) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* sdl = kl::platform::SdlWindowOf(window);
    if (!sdl || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return {};
    Display* display = info.info.x11.display;
    XSync(display, False);
    XImage* image = XGetImage(display, info.info.x11.window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            pixels.push_back(static_cast<uint8_t>((pixel & image->red_mask) >> 16));
            pixels.push_back(static_cast<uint8_t>((pixel & image->green_mask) >> 8));
            pixels.push_back(static_cast<uint8_t>(pixel & image->blue_mask));
            pixels.push_back(255);
        }
    XDestroyImage(image);
    return pixels;
}

}  // namespace kl::test
