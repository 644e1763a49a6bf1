#include "gl/program.h"

#include <GL/glcorearb.h>

#include <vector>

namespace kl::gl {
namespace {

// Shaders and programs keep their info logs behind the same pair of calls.
template <typename GetParameter, typename GetLog>
std::string InfoLog(GLuint object, GetParameter getParameter, GetLog getLog) {
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    getLog(object, length, nullptr, text.data());
    return text.data();
}

std::string ShaderLog(GLuint shader) {
    return InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string ProgramLog(GLuint program) {
    return InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
}

GLuint CompileStage(GLenum stage, const std::string& source, const ProgramErrors& onError) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    onError(stage == GL_VERTEX_SHADER ? ProgramStep::VertexShader : ProgramStep::FragmentShader,
            ShaderLog(shader));
    glDeleteShader(shader);
    return 0;
}

}  // namespace

unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                     const ProgramErrors& onError) {
    const GLuint vertex = CompileStage(GL_VERTEX_SHADER, vertexSource, onError);
    const GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, fragmentSource, onError);
    if (!vertex || !fragment) {
        if (vertex) glDeleteShader(vertex);
        if (fragment) glDeleteShader(fragment);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok) return program;
    onError(ProgramStep::Link, ProgramLog(program));
    glDeleteProgram(program);
    return 0;
}

unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                     std::string* log) {
    return LinkProgram(vertexSource, fragmentSource,
                       [log](ProgramStep, const std::string& infoLog) { *log += infoLog; });
}

unsigned LinkStageProgram(unsigned stage, const std::string& source, std::string* log) {
    const char* text = source.c_str();
    const GLuint program = glCreateShaderProgramv(stage, 1, &text);
    GLint ok = 0;
    if (program) glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok) return program;
    // The program's log holds the compiler's messages as well as the linker's.
    GLint length = 0;
    if (program) glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> info(static_cast<size_t>(length) + 1, '\0');
    if (program) glGetProgramInfoLog(program, length, nullptr, info.data());
    *log += info.data();
    if (program) glDeleteProgram(program);
    return 0;
}

}  // namespace kl::gl
