#include "gl/program.h"

#include <GL/glcorearb.h>

#include <vector>

namespace kl::gl {
namespace {

std::string ShaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    glGetShaderInfoLog(shader, length, nullptr, text.data());
    return text.data();
}

GLuint CompileStage(GLenum stage, const std::string& source, std::string* log) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        *log += ShaderLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                     std::string* log) {
    const GLuint vertex = CompileStage(GL_VERTEX_SHADER, vertexSource, log);
    const GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, fragmentSource, log);
    if (!vertex || !fragment) {
        if (vertex) glDeleteShader(vertex);
        if (fragment) glDeleteShader(fragment);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
        glGetProgramInfoLog(program, length, nullptr, text.data());
        *log += text.data();
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace kl::gl
