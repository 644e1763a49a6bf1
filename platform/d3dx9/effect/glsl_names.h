// Renames HLSL identifiers that GLSL reserves (keywords, built-in function and
// variable names, the gl_ prefix, double underscores) and keeps our own kl_
// prefix free for generated names.
#pragma once

#include <string>

namespace kl::d3dx9::hlsl {

std::string GlslIdentifier(const std::string& hlslName);

}  // namespace kl::d3dx9::hlsl
