#include "gl/context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>

#include <cstring>

namespace kl::gl {
namespace {

// One EGL display for the whole process. It is never terminated: terminating
// it would destroy the contexts of every other device still alive.
EGLDisplay SurfacelessDisplay() {
    static const EGLDisplay display = [] {
        EGLDisplay d = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA,
                                             reinterpret_cast<void*>(EGL_DEFAULT_DISPLAY), nullptr);
        if (d == EGL_NO_DISPLAY || !eglInitialize(d, nullptr, nullptr)) return EGL_NO_DISPLAY;
        return d;
    }();
    return display;
}

struct EglDevices {
    EGLDeviceEXT software = nullptr;
    bool hardware = false;
};

EglDevices QueryEglDevices() {
    EglDevices result;
    auto queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(
        eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (!queryDevices || !queryString) return result;
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!queryDevices(16, devices, &count)) return result;
    for (EGLint i = 0; i < count; ++i) {
        const char* extensions = queryString(devices[i], EGL_EXTENSIONS);
        const bool software = extensions && std::strstr(extensions, "EGL_MESA_device_software");
        if (software && !result.software)
            result.software = devices[i];
        else if (!software)
            result.hardware = true;
    }
    return result;
}

const EglDevices& Devices() {
    static const EglDevices devices = QueryEglDevices();
    return devices;
}

EGLDisplay SoftwareDisplay() {
    static const EGLDisplay display = [] {
        if (!Devices().software) return EGL_NO_DISPLAY;
        EGLDisplay d = eglGetPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, Devices().software, nullptr);
        if (d == EGL_NO_DISPLAY || !eglInitialize(d, nullptr, nullptr)) return EGL_NO_DISPLAY;
        return d;
    }();
    return display;
}

// The EGL context this thread made current through this file, or null when
// that is not known (after an SDL context or a restored guard). Asking EGL
// instead costs a system call per draw (Mesa checks the process id).
thread_local EGLContext currentEglContext = EGL_NO_CONTEXT;

class OffscreenContext final : public Context {
public:
    OffscreenContext(EGLDisplay display, EGLContext context)
        : display_(display), context_(context) {}
    ~OffscreenContext() override {
        if (eglGetCurrentContext() == context_)
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (currentEglContext == context_) currentEglContext = EGL_NO_CONTEXT;
        eglDestroyContext(display_, context_);
    }
    SDL_Window* Window() const override { return nullptr; }
    void Swap() override {}
    void SetSwapInterval(int) override {}

protected:
    bool Bind() override {
        if (currentEglContext == context_) return true;
        const bool bound =
            eglGetCurrentContext() == context_ ||
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
        currentEglContext = bound ? context_ : EGL_NO_CONTEXT;
        return bound;
    }

private:
    EGLDisplay display_;
    EGLContext context_;
};

class WindowContext final : public Context {
public:
    WindowContext(SDL_Window* window, SDL_GLContext context, std::function<bool()> windowAlive)
        : window_(window), context_(context), windowAlive_(std::move(windowAlive)) {}
    ~WindowContext() override {
        // SDL un-binds a context whose window it destroys; a context still
        // bound has a live window.
        if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    SDL_Window* Window() const override { return Alive() ? window_ : nullptr; }
    void Swap() override {
        if (MakeCurrent()) SDL_GL_SwapWindow(window_);
    }
    void SetSwapInterval(int interval) override {
        if (MakeCurrent()) SDL_GL_SetSwapInterval(interval);
    }

protected:
    bool Bind() override {
        if (!Alive()) {
            BindWindowlessSink();
            return false;
        }
        if (SDL_GL_GetCurrentContext() == context_ && SDL_GL_GetCurrentWindow() == window_)
            return true;
        ForgetCurrentContext();
        return SDL_GL_MakeCurrent(window_, context_) == 0;
    }

private:
    bool Alive() const { return !windowAlive_ || windowAlive_(); }

    // Once the window is gone, GL calls (the device deleting its names) go to
    // an offscreen context this context owns, made when first needed. Owned
    // here rather than by the process, it lives exactly as long as someone
    // can still call through this context: the last device is often released
    // by an exit handler, after the process's static objects are gone.
    void BindWindowlessSink() {
        if (!sink_) {
            std::string error;
            sink_ = Context::CreateOffscreen(&error);
        }
        if (sink_) sink_->MakeCurrent();
    }

    SDL_Window* window_;
    SDL_GLContext context_;
    std::function<bool()> windowAlive_;
    std::unique_ptr<Context> sink_;
};

}  // namespace

CurrentContextGuard::CurrentContextGuard()
    : eglDisplay_(eglGetCurrentDisplay()),
      eglContext_(eglGetCurrentContext()),
      eglDraw_(eglGetCurrentSurface(EGL_DRAW)),
      eglRead_(eglGetCurrentSurface(EGL_READ)),
      sdlWindow_(SDL_GL_GetCurrentWindow()),
      sdlContext_(SDL_GL_GetCurrentContext()) {}

CurrentContextGuard::~CurrentContextGuard() {
    ForgetCurrentContext();
    if (eglContext_ != EGL_NO_CONTEXT)
        eglMakeCurrent(eglDisplay_, eglDraw_, eglRead_, eglContext_);
    else if (sdlContext_)
        SDL_GL_MakeCurrent(sdlWindow_, sdlContext_);
}

void ForgetCurrentContext() {
    currentEglContext = EGL_NO_CONTEXT;
}

bool OffscreenContextsAvailable() {
    return SurfacelessDisplay() != EGL_NO_DISPLAY;
}

bool SoftwareRendererBesideHardware() {
    return Devices().software && Devices().hardware;
}

std::unique_ptr<Context> Context::CreateOffscreen(std::string* error, bool software) {
    const EGLDisplay display = software ? SoftwareDisplay() : SurfacelessDisplay();
    if (display == EGL_NO_DISPLAY) {
        *error = software ? "no software EGL device (EGL_MESA_device_software)"
                          : "no EGL surfaceless display (EGL_MESA_platform_surfaceless)";
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = "EGL cannot bind the OpenGL API";
        return nullptr;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 4,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 5,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    const EGLContext context =
        eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        *error = "EGL cannot create an OpenGL 4.5 core context";
        return nullptr;
    }
    std::unique_ptr<Context> result = std::make_unique<OffscreenContext>(display, context);
    if (!result->MakeCurrent()) {
        *error = "eglMakeCurrent failed";
        return nullptr;
    }
    return result;
}

std::unique_ptr<Context> Context::CreateForWindow(SDL_Window* window,
                                                  std::function<bool()> windowAlive,
                                                  std::string* error) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    // The window's own framebuffer only receives the finished picture; depth
    // and stencil live in the device's back-buffer FBO.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        *error = std::string("SDL cannot create an OpenGL 4.5 core context: ") + SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<Context> result =
        std::make_unique<WindowContext>(window, context, std::move(windowAlive));
    result->MakeCurrent();
    return result;
}

}  // namespace kl::gl
