#include "gl_test_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>

#include "gl/context.h"

namespace kl::test {

const char kTestVertexPrologue[] = "void kl_d3d_vertex_epilogue() {}\n";
const char kTestFragmentPrologue[] = "void kl_d3d_alpha_test(vec4 colour) {}\n";

GlTestContext::GlTestContext() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        error_ = "eglGetPlatformDisplayEXT missing";
        return;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        error_ = "no surfaceless EGL display";
        return;
    }
    display_ = display;
    eglBindAPI(EGL_OPENGL_API);
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 4,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 5,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        error_ = "cannot create an OpenGL 4.5 core context";
        return;
    }
    context_ = context;
    // Bound directly, so the platform's record of the current context is stale.
    kl::gl::ForgetCurrentContext();
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        error_ = "eglMakeCurrent failed";
        return;
    }
    ok_ = true;
}

GlTestContext::~GlTestContext() {
    if (context_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        kl::gl::ForgetCurrentContext();
        eglDestroyContext(display_, context_);
    }
    // The display is left initialized, as the device layer leaves its own:
    // terminating it makes Mesa drop driver state it still points at, which
    // the leak checker then reports as lost.
}

}  // namespace kl::test
