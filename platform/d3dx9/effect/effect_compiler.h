// From effect source text to everything an ID3DXEffect needs: the parameter
// table with default values, and per technique and pass the render states and
// the generated GLSL. Pure C++: no device, no GL.
#pragma once

#include "d3dx9/effect/glsl_generator.h"
#include "d3dx9/effect/hlsl_ast.h"
#include "d3dx9/effect/hlsl_preprocessor.h"

#include <string>
#include <vector>

namespace kl::d3dx9::hlsl {

struct EffectParameter {
    std::string name;
    std::string semantic;
    Type type;
    // Numeric parameters: initial value, one float per component, row by row
    // and element by element (zero when the file gives none).
    std::vector<float> initialValue;
    // Samplers: the sampler_state assignments and the texture parameter its
    // Texture state names (empty if none).
    std::vector<StateAssignment> samplerStates;
    std::string samplerTexture;
    // Sampler arrays: each element's states and texture, as above.
    std::vector<EffectParameter> samplerElements;
};

struct CompiledPass {
    SourceLocation where;
    std::string name;
    std::vector<StateAssignment> states;
    bool setsVertexShader = false;  // the pass assigns VertexShader (maybe NULL)
    bool setsPixelShader = false;
    bool hasShaders = false;  // false: no shader to compile; the pass sets states
    GeneratedPass program;    // a source is empty for a stage without a shader
};

struct CompiledTechnique {
    std::string name;
    std::vector<CompiledPass> passes;
};

struct CompiledEffect {
    std::vector<EffectParameter> parameters;
    std::vector<CompiledTechnique> techniques;
};

struct CompileOptions {
    PreprocessOptions preprocess;
    ShaderPrologues prologues;
};

// Throws CompileError ("file(line,col): message") on the first error.
CompiledEffect CompileEffect(const std::string& path, const std::string& text,
                             const CompileOptions& options);

}  // namespace kl::d3dx9::hlsl
