// Compiling and linking GLSL programs.
#pragma once

#include <string>

namespace kl::gl {

// Compiles both stages and links them; 0 with the compiler's log in *log on
// failure. The current context owns the program.
unsigned LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                     std::string* log);

}  // namespace kl::gl
