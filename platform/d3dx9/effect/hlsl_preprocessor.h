// The preprocessor effect files use: object-like and function-like #define,
// #undef, #if/#ifdef/#ifndef/#elif/#else/#endif, #include "file", #error;
// #pragma and #line are accepted and ignored. Works on tokens so every
// token keeps the file, line and column it came from.
#pragma once

#include "d3dx9/effect/hlsl_lexer.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kl::d3dx9::hlsl {

// Finds and reads an included file. `includer` is the path of the file that
// holds the #include; on success fills the path to report in messages and the
// contents, and returns true.
using IncludeReader = std::function<bool(const std::string& includer, const std::string& name,
                                         std::string& resolvedPath, std::string& contents)>;

struct PreprocessOptions {
    std::vector<std::pair<std::string, std::string>> defines;  // name, replacement text
    IncludeReader includeReader;                               // may be empty: #include fails
};

// Returns the fully expanded token stream ending with EndOfFile.
std::vector<Token> Preprocess(const std::string& path, const std::string& text,
                              const PreprocessOptions& options);

}  // namespace kl::d3dx9::hlsl
