#include "d3dx9/effect/hlsl_diagnostics.h"

namespace kl::d3dx9::hlsl {

std::string FormatDiagnostic(const SourceLocation& where, const std::string& message) {
    const std::string file = where.file ? *where.file : std::string("<input>");
    return file + "(" + std::to_string(where.line) + "," + std::to_string(where.column) +
           "): " + message;
}

void Fail(const SourceLocation& where, const std::string& message) {
    throw CompileError(FormatDiagnostic(where, message));
}

}  // namespace kl::d3dx9::hlsl
