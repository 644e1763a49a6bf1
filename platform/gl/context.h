// OpenGL 4.5 core contexts: one per Direct3D device. A context either renders
// offscreen through EGL (surfaceless, Mesa's llvmpipe where there is no GPU) or
// belongs to an SDL window it can present to.
#pragma once

#include <functional>
#include <memory>
#include <string>

struct SDL_Window;

namespace kl::gl {

class Context {
public:
    virtual ~Context() = default;

    // Creates an offscreen context, on the software renderer when asked;
    // nullptr with a reason in *error.
    static std::unique_ptr<Context> CreateOffscreen(std::string* error, bool software = false);
    // Creates a context for an SDL window made with SDL_WINDOW_OPENGL.
    // `windowAlive` tells whether the window still exists: once it is gone the
    // context is never bound to it again, and GL calls go to a context
    // without a window, where deleting the dead context's names does nothing.
    static std::unique_ptr<Context> CreateForWindow(SDL_Window* window,
                                                    std::function<bool()> windowAlive,
                                                    std::string* error);

    // Makes this context current on the calling thread; cheap when it already
    // is. False when the window system refuses.
    bool MakeCurrent() { return Bind(); }
    // The SDL window this context presents to, or nullptr when offscreen.
    virtual SDL_Window* Window() const = 0;
    // Shows the window's back buffer (no-op offscreen).
    virtual void Swap() = 0;
    // Sets the swap interval of a window context: 0 immediate, 1 vsync.
    virtual void SetSwapInterval(int interval) = 0;

protected:
    // Makes the context current unless it already is; false on failure.
    virtual bool Bind() = 0;
};

// For code that makes a GL context current without this class: forgets
// which context this thread has current, so that the next MakeCurrent asks.
void ForgetCurrentContext();

// Keeps whatever context the caller had current (EGL or SDL) and makes it
// current again when it goes out of scope, for code that borrows GL briefly.
class CurrentContextGuard {
public:
    CurrentContextGuard();
    ~CurrentContextGuard();
    CurrentContextGuard(const CurrentContextGuard&) = delete;
    CurrentContextGuard& operator=(const CurrentContextGuard&) = delete;

private:
    void* eglDisplay_;
    void* eglContext_;
    void* eglDraw_;
    void* eglRead_;
    SDL_Window* sdlWindow_;
    void* sdlContext_;
};

// True when the offscreen (EGL surfaceless) path works on this machine.
bool OffscreenContextsAvailable();

// True when EGL offers a software renderer (Mesa's) next to a hardware one:
// the software one can then stand for Direct3D's reference rasterizer.
bool SoftwareRendererBesideHardware();

}  // namespace kl::gl
