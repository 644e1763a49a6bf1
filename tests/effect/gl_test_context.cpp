#include "gl_test_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>

#include <vector>

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
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        error_ = "eglMakeCurrent failed";
        return;
    }
    ok_ = true;
}

GlTestContext::~GlTestContext() {
    if (context_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
    if (display_) eglTerminate(display_);
}

namespace {

unsigned CompileShader(GLenum kind, const std::string& source, std::string& log) {
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        GLint length = 0;
        glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> text(static_cast<size_t>(length) + 1);
        glGetShaderInfoLog(shader, length, nullptr, text.data());
        log += text.data();
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

unsigned LinkProgram(const std::string& vertex, const std::string& fragment, std::string& log) {
    const unsigned vs = CompileShader(GL_VERTEX_SHADER, vertex, log);
    const unsigned fs = CompileShader(GL_FRAGMENT_SHADER, fragment, log);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> text(static_cast<size_t>(length) + 1);
        glGetProgramInfoLog(program, length, nullptr, text.data());
        log += text.data();
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace kl::test
