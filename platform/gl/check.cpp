#include "gl/check.h"

#include <GL/glcorearb.h>

#include "common/log.h"

namespace kl::gl {

void ReportErrors(const char* file, int line) {
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        platform::Log(platform::LogLevel::Warning, "%s(%d): GL error 0x%04x", file, line, error);
}

void ClearErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

bool HadErrors() {
    bool failed = false;
    while (glGetError() != GL_NO_ERROR) failed = true;
    return failed;
}

}  // namespace kl::gl
