// Splits HLSL effect source into tokens. Backslash-newline joins lines; each
// token records whether it is the first on its line so the preprocessor can
// find directives.
#pragma once

#include "d3dx9/effect/hlsl_diagnostics.h"

#include <memory>
#include <string>
#include <vector>

namespace kl::d3dx9::hlsl {

enum class TokenKind { Identifier, IntLiteral, FloatLiteral, StringLiteral, Punct, EndOfFile };

struct Token {
    TokenKind kind = TokenKind::EndOfFile;
    std::string text;  // spelling; for string literals the contents without quotes
    SourceLocation where;
    bool startsLine = false;
    // Macros that must not expand this token again (keeps expansion finite).
    std::shared_ptr<const std::vector<std::string>> hidden;

    bool Is(const char* punct) const { return kind == TokenKind::Punct && text == punct; }
    bool IsWord(const char* word) const { return kind == TokenKind::Identifier && text == word; }
};

// Tokenizes `text`; the last token is always EndOfFile. Fails on characters
// HLSL does not have, unterminated comments and strings.
std::vector<Token> Tokenize(const std::string& text, std::shared_ptr<const std::string> file);

}  // namespace kl::d3dx9::hlsl
