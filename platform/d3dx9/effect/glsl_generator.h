// Turns one pass of a parsed effect into a GLSL 4.50 vertex and fragment
// shader pair, with the tables the effect runtime needs to feed it.
//
// Matrix mapping: an HLSL floatRxC is a GLSL matRxC (R columns of C rows), so
// GLSL column i holds HLSL row i. Effect matrices are uploaded as their
// row-major floats without transposition, which yields exactly that layout.
// Then mul(v, M) is `M * v`, mul(M, v) is `v * M`, mul(A, B) is `B * A`, and
// M[i] is row i in both languages.
#pragma once

#include "d3dx9/effect/hlsl_ast.h"

#include <string>
#include <vector>

namespace kl::d3dx9::hlsl {

// D3DDECLUSAGE values, the vocabulary of vertex-shader input semantics.
enum class VertexUsage {
    Position = 0,
    BlendWeight = 1,
    BlendIndices = 2,
    Normal = 3,
    PointSize = 4,
    TexCoord = 5,
    Tangent = 6,
    Binormal = 7,
    TessFactor = 8,
    PositionT = 9,
    Color = 10,
    Fog = 11,
    Depth = 12,
    Sample = 13,
};

struct GeneratedInput {
    VertexUsage usage = VertexUsage::Position;
    int usageIndex = 0;
    int location = 0;
};

struct GeneratedSampler {
    std::string name;      // effect global (HLSL name)
    std::string glslName;  // uniform name in the program
    int stage = 0;         // texture stage; the GLSL sampler uniform holds this number
    int element = -1;      // an element of a sampler array
};

struct GeneratedUniform {
    std::string name;  // effect global (HLSL name)
    std::string glslName;
};

struct GeneratedPass {
    std::string vertexSource;
    std::string fragmentSource;
    std::vector<GeneratedInput> inputs;
    std::vector<GeneratedUniform> uniforms;
    std::vector<GeneratedSampler> samplers;        // stage: the pixel sampler 0-15
    std::vector<GeneratedSampler> vertexSamplers;  // stage: the vertex sampler 0-3
};

struct ShaderPrologues {
    std::string vertex;    // placed after #version; declares kl_d3d_vertex_epilogue()
    std::string fragment;  // declares kl_d3d_alpha_test(vec4)
};

// Generates the shaders the pass has (at least one); the source of a stage
// without one stays empty. Throws CompileError.
GeneratedPass GeneratePass(const Module& module, const PassDecl& pass,
                           const ShaderPrologues& prologues);

// Splits "TEXCOORD3" into "TEXCOORD" and 3 (upper case; SV_ names mapped to
// their Direct3D 9 equivalents).
void SplitSemantic(const std::string& semantic, std::string& name, int& index);

}  // namespace kl::d3dx9::hlsl
