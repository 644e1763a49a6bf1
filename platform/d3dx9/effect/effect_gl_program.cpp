#include "d3dx9/effect/effect_gl_program.h"

#include <GL/glcorearb.h>

#include "gl/program.h"

#include <algorithm>
#include <vector>

namespace kl::d3dx9 {
namespace {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string StepLabel(kl::gl::ProgramStep step) {
    switch (step) {
        case kl::gl::ProgramStep::VertexShader:
            return "vertex shader: ";
        case kl::gl::ProgramStep::FragmentShader:
            return "fragment shader: ";
        case kl::gl::ProgramStep::Link:
            return "link: ";
    }
    return "";
}

}  // namespace

unsigned LinkGlslProgram(const std::string& vertex, const std::string& fragment, std::string& log) {
    return kl::gl::LinkProgram(vertex, fragment,
                               [&log](kl::gl::ProgramStep step, const std::string& infoLog) {
                                   log += StepLabel(step) + OneLine(infoLog);
                               });
}

unsigned LinkGlslStage(bool vertex, const std::string& source, std::string& log) {
    std::string stageLog;
    const unsigned program =
        gl::LinkStageProgram(vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, source, &stageLog);
    if (!program) log += (vertex ? "vertex shader: " : "fragment shader: ") + OneLine(stageLog);
    return program;
}

void DeleteGlslProgram(unsigned program) {
    if (program) glDeleteProgram(program);
}

int UniformLocation(unsigned program, const std::string& name) {
    return glGetUniformLocation(program, name.c_str());
}

void UploadUniform(unsigned program, int location, const hlsl::Type& type, int elements,
                   const float* floats) {
    using hlsl::BaseType;
    if (type.matrix) {
        // GLSL matRxC: R columns of C rows; the GL entry point names columns first.
        const int r = type.rows;
        const int c = type.cols;
        if (r == 2 && c == 2)
            glProgramUniformMatrix2fv(program, location, elements, GL_FALSE, floats);
        if (r == 3 && c == 3)
            glProgramUniformMatrix3fv(program, location, elements, GL_FALSE, floats);
        if (r == 4 && c == 4)
            glProgramUniformMatrix4fv(program, location, elements, GL_FALSE, floats);
        if (r == 2 && c == 3)
            glProgramUniformMatrix2x3fv(program, location, elements, GL_FALSE, floats);
        if (r == 2 && c == 4)
            glProgramUniformMatrix2x4fv(program, location, elements, GL_FALSE, floats);
        if (r == 3 && c == 2)
            glProgramUniformMatrix3x2fv(program, location, elements, GL_FALSE, floats);
        if (r == 3 && c == 4)
            glProgramUniformMatrix3x4fv(program, location, elements, GL_FALSE, floats);
        if (r == 4 && c == 2)
            glProgramUniformMatrix4x2fv(program, location, elements, GL_FALSE, floats);
        if (r == 4 && c == 3)
            glProgramUniformMatrix4x3fv(program, location, elements, GL_FALSE, floats);
        return;
    }
    const int n = type.cols;
    const size_t count = static_cast<size_t>(n) * static_cast<size_t>(elements);
    if (type.base == BaseType::Float) {
        if (n == 1) glProgramUniform1fv(program, location, elements, floats);
        if (n == 2) glProgramUniform2fv(program, location, elements, floats);
        if (n == 3) glProgramUniform3fv(program, location, elements, floats);
        if (n == 4) glProgramUniform4fv(program, location, elements, floats);
        return;
    }
    if (type.base == BaseType::Uint) {
        std::vector<GLuint> u(count);
        for (size_t i = 0; i < count; ++i)
            u[i] = floats[i] <= 0 ? 0u : static_cast<GLuint>(std::min(floats[i], 4294967040.0f));
        if (n == 1) glProgramUniform1uiv(program, location, elements, u.data());
        if (n == 2) glProgramUniform2uiv(program, location, elements, u.data());
        if (n == 3) glProgramUniform3uiv(program, location, elements, u.data());
        if (n == 4) glProgramUniform4uiv(program, location, elements, u.data());
        return;
    }
    // int and bool uniforms both take integers; stored values are floats,
    // clamped here so the conversion stays defined.
    std::vector<GLint> v(count);
    for (size_t i = 0; i < count; ++i) {
        const float f = std::min(std::max(floats[i], -2147483648.0f), 2147483520.0f);
        v[i] = type.base == BaseType::Bool ? (floats[i] != 0.0f ? 1 : 0) : static_cast<GLint>(f);
    }
    if (n == 1) glProgramUniform1iv(program, location, elements, v.data());
    if (n == 2) glProgramUniform2iv(program, location, elements, v.data());
    if (n == 3) glProgramUniform3iv(program, location, elements, v.data());
    if (n == 4) glProgramUniform4iv(program, location, elements, v.data());
}

std::vector<int> UniformValueLocations(unsigned program, const std::string& glslName,
                                       const hlsl::Type& type) {
    if (type.innerArraySize == 0) return {UniformLocation(program, glslName)};
    std::vector<int> locations;
    for (int i = 0; i < type.arraySize; ++i)
        locations.push_back(UniformLocation(program, glslName + "[" + std::to_string(i) + "][0]"));
    return locations;
}

void UploadUniformValue(unsigned program, const std::vector<int>& locations, const hlsl::Type& type,
                        const float* floats) {
    const hlsl::Type value = type.Innermost();
    const int run = type.innerArraySize > 0 ? type.innerArraySize : std::max(1, type.arraySize);
    const size_t stride = static_cast<size_t>(run * value.Components());
    for (size_t i = 0; i < locations.size(); ++i)
        if (locations[i] >= 0)
            UploadUniform(program, locations[i], value, run, floats + i * stride);
}

void UploadSamplerStage(unsigned program, int location, int stage) {
    glProgramUniform1i(program, location, stage);
}

}  // namespace kl::d3dx9
