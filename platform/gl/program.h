// Compiling and linking GLSL programs: the one place this platform does it
// (the fixed-function programs, the font's program, the effects' passes).
#pragma once

#include <functional>
#include <string>

namespace kl::gl {

enum class ProgramStep { VertexShader, FragmentShader, Link };

// Told about each step that failed, with GL's info log for it.
using ProgramErrors = std::function<void(ProgramStep step, const std::string& infoLog)>;

// Compiles both stages (both, so that both logs are seen) and links them on the
// current context, which owns the program. 0 on failure.
unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                     const ProgramErrors& onError);

// The same, appending each failed step's log as GL wrote it to *log.
unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                     std::string* log);

// Compiles one stage (GL_VERTEX_SHADER or GL_FRAGMENT_SHADER) into a separable
// program that a program pipeline combines with another stage's program; 0
// with the compiler's log in *log on failure.
unsigned LinkStageProgram(unsigned stage, const std::string& source, std::string* log);

}  // namespace kl::gl
