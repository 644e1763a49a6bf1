#include "d3dx9/effect/glsl_names.h"

#include <set>

namespace kl::d3dx9::hlsl {
namespace {

const std::set<std::string>& ReservedWords() {
    static const std::set<std::string> words = {
        // keywords and reserved words of GLSL 4.50
        "attribute", "const", "uniform", "varying", "buffer", "shared", "coherent", "volatile",
        "restrict", "readonly", "writeonly", "atomic_uint", "layout", "centroid", "flat", "smooth",
        "noperspective", "patch", "sample", "break", "continue", "do", "for", "while", "switch",
        "case", "default", "if", "else", "subroutine", "in", "out", "inout", "float", "double",
        "int", "void", "bool", "true", "false", "invariant", "precise", "discard", "return", "mat2",
        "mat3", "mat4", "dmat2", "dmat3", "dmat4", "mat2x2", "mat2x3", "mat2x4", "mat3x2", "mat3x3",
        "mat3x4", "mat4x2", "mat4x3", "mat4x4", "vec2", "vec3", "vec4", "ivec2", "ivec3", "ivec4",
        "bvec2", "bvec3", "bvec4", "dvec2", "dvec3", "dvec4", "uint", "uvec2", "uvec3", "uvec4",
        "lowp", "mediump", "highp", "precision", "sampler1D", "sampler2D", "sampler3D",
        "samplerCube", "sampler2DShadow", "samplerBuffer", "struct", "common", "partition",
        "active", "asm", "class", "union", "enum", "typedef", "template", "this", "resource",
        "goto", "inline", "noinline", "public", "static", "extern", "external", "interface", "long",
        "short", "half", "fixed", "unsigned", "superp", "input", "output", "hvec2", "hvec3",
        "hvec4", "fvec2", "fvec3", "fvec4", "filter", "sizeof", "cast", "namespace", "using",
        "image1D", "image2D", "image3D", "texture", "sampler",
        // built-in functions
        "radians", "degrees", "sin", "cos", "tan", "asin", "acos", "atan", "sinh", "cosh", "tanh",
        "asinh", "acosh", "atanh", "pow", "exp", "log", "exp2", "log2", "sqrt", "inversesqrt",
        "abs", "sign", "floor", "trunc", "round", "roundEven", "ceil", "fract", "mod", "modf",
        "min", "max", "clamp", "mix", "step", "smoothstep", "isnan", "isinf", "fma", "frexp",
        "ldexp", "length", "distance", "dot", "cross", "normalize", "faceforward", "reflect",
        "refract", "matrixCompMult", "outerProduct", "transpose", "determinant", "inverse",
        "lessThan", "lessThanEqual", "greaterThan", "greaterThanEqual", "equal", "notEqual", "any",
        "all", "not", "textureSize", "textureLod", "textureProj", "textureGrad", "textureOffset",
        "texelFetch", "textureGather", "dFdx", "dFdy", "fwidth", "noise1", "noise2", "noise3",
        "noise4", "emit", "barrier", "floatBitsToInt", "intBitsToFloat", "packUnorm2x16",
        "unpackUnorm2x16", "bitCount", "findLSB", "findMSB", "main"};
    return words;
}

}  // namespace

std::string GlslIdentifier(const std::string& hlslName) {
    const bool reserved =
        ReservedWords().count(hlslName) != 0 || hlslName.compare(0, 3, "gl_") == 0 ||
        hlslName.compare(0, 3, "kl_") == 0 || hlslName.find("__") != std::string::npos;
    if (!reserved) return hlslName;
    std::string safe = "kl_u_";
    for (char c : hlslName) {
        // Runs of underscores are reserved in GLSL; keep them unambiguous.
        if (c == '_' && !safe.empty() && safe.back() == '_') {
            safe += "x_";
        } else {
            safe += c;
        }
    }
    return safe;
}

}  // namespace kl::d3dx9::hlsl
