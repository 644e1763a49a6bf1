// Loops whose iteration count is fixed by the source: a for loop that
// starts a counter at a constant, compares it with a constant and steps it
// by a constant, with no other write to the counter in its body. Shader
// model 3 runs a loop at most 255 times, so longer loops are refused when
// the shader is compiled, instead of rendering for minutes.
#pragma once

#include "d3dx9/effect/hlsl_ast.h"

#include <optional>

namespace kl::d3dx9::hlsl {

constexpr double kMaxLoopIterations = 255;

// The number of times the body runs, or nullopt when the source does not
// fix it. A fixed loop that never ends counts as infinitely many.
std::optional<double> FixedIterationCount(const Stmt& forLoop);

// Fails at the loop with "loop runs N times; at most 255 iterations are
// allowed" when its fixed count is larger.
void CheckLoopIterations(const Stmt& forLoop);

}  // namespace kl::d3dx9::hlsl
