// Folding of constant expressions where HLSL needs a value before any shader
// runs: effect parameters' initial values and array sizes. Arithmetic follows
// HLSL: integer literals stay integers (2 / 3 is 0), results are rounded to
// single precision, and a scalar meets a vector component by component.
#pragma once

#include "d3dx9/effect/hlsl_ast.h"

#include <functional>
#include <string>
#include <vector>

namespace kl::d3dx9::hlsl {

struct Constant {
    std::vector<double> values;  // flattened components
    bool integer = false;        // int or bool valued
};

// Finds the declaration a name in a constant expression refers to (nullptr
// when there is none); only declarations with an initialiser that are const
// or static can be folded.
using ConstantLookup = std::function<const VarDecl*(const std::string& name)>;

// Throws CompileError at the first part that is not constant.
Constant FoldConstant(const Expr& e, const ConstantLookup& lookup);

}  // namespace kl::d3dx9::hlsl
