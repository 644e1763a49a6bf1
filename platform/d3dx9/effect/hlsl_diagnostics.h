// Source positions and the single error the translator reports. Translation
// stops at the first error: effect files are small and one precise message
// (file, line and column) is what a shader author needs.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace kl::d3dx9::hlsl {

struct SourceLocation {
    std::shared_ptr<const std::string> file;
    int line = 0;
    int column = 0;
};

class CompileError : public std::runtime_error {
public:
    explicit CompileError(const std::string& formatted) : std::runtime_error(formatted) {}
};

// Formats "file(line,col): message", the shape every message takes.
std::string FormatDiagnostic(const SourceLocation& where, const std::string& message);

[[noreturn]] void Fail(const SourceLocation& where, const std::string& message);

}  // namespace kl::d3dx9::hlsl
