// Recursive-descent parser from preprocessed tokens to the syntax tree.
// Nesting is bounded so hostile input cannot exhaust the stack.
#pragma once

#include "d3dx9/effect/hlsl_ast.h"
#include "d3dx9/effect/hlsl_lexer.h"

#include <vector>

namespace kl::d3dx9::hlsl {

Module Parse(const std::vector<Token>& tokens);

}  // namespace kl::d3dx9::hlsl
