// The platform-internal interface through which the D3DX layer (effects, fonts,
// meshes) drives a device without going around its state cache. System code
// never includes this header.
#pragma once

#include <d3d9.h>

#include <string>
#include <vector>

namespace kl::d3d9 {

// One vertex-shader input of a linked GL program, named by the Direct3D vertex
// declaration usage it reads (D3DDECLUSAGE_POSITION, D3DDECLUSAGE_TEXCOORD, ...).
struct VertexInputBinding {
    BYTE usage = 0;
    BYTE usageIndex = 0;
    int location = -1;  // GL attribute location
};

// A linked GL program as the device needs to know it for drawing. At each draw
// the device feeds every input from the vertex-declaration (or FVF) element of
// the same usage and index; inputs with no matching element read (0, 0, 0, 1).
// The program must have been built from sources that start with the prologues
// below, so the device can apply the Direct3D half-pixel offset and the alpha
// test from its own state.
struct ProgramBinding {
    unsigned glProgram = 0;
    std::vector<VertexInputBinding> inputs;
    // The device's own: where the prologues' uniforms are (looked up at the
    // first selection) and what was last uploaded to them, so that draws
    // only send what changed.
    struct Prologue {
        bool found = false;
        int halfPixel = -1, alphaFunc = -1, alphaRef = -1;
        bool uploaded = false;
        float halfPixelValue[2] = {0, 0};
        int alphaFuncValue = 0;
        float alphaRefValue = 0;
    };
    mutable Prologue prologue;
};

// GLSL (after the #version line) that every vertex shader driven through a
// device declares; its main() must end with `kl_d3d_vertex_epilogue();` once
// gl_Position is written. Applies the half-pixel offset of Direct3D 9.
extern const char kVertexPrologueGlsl[];
// GLSL every fragment shader declares; its main() must end with
// `kl_d3d_alpha_test(<final colour>);` which discards the fragment as the
// device's ALPHATESTENABLE / ALPHAREF / ALPHAFUNC say.
extern const char kFragmentPrologueGlsl[];

// Makes the device's GL context current on this thread (each device owns one).
void MakeDeviceContextCurrent(IDirect3DDevice9* device);

// Selects a program of both stages for the following draws; nullptr returns
// both stages to the device's built-in fixed-function emulation. The binding
// must stay alive while it is selected.
void BindProgram(IDirect3DDevice9* device, const ProgramBinding* program);

// Direct3D 9 sets the vertex and the pixel shader independently.
enum class ShaderStage { Vertex, Pixel };

// Selects the program of one stage, as SetVertexShader or SetPixelShader do,
// and leaves the other stage as it is; nullptr selects the fixed-function
// stage. The program must be separable (one stage, linked with
// GL_PROGRAM_SEPARABLE) and pass varyings as translated shaders do (TEXCOORDn
// at location n, COLORn at 16 + n, FOG at 20, NORMAL0 and NORMAL1 at 21 and
// 22, TANGENT at 23, BINORMAL at 24, all vec4). A vertex stage lists
// its inputs; a pixel stage's list is empty.
void BindShaderStage(IDirect3DDevice9* device, ShaderStage stage, const ProgramBinding* program);

// Linked programs outlive the effects that use them: the device keeps the
// programs handed back to it, under the GLSL sources they were linked from,
// until it goes (the least recently returned go first beyond a few dozen). An
// effect made again from the same file, as at every device reset, then takes
// its programs back instead of compiling and linking them anew. A program
// serves one holder at a time, since its uniforms hold that holder's values.
//
// A kept program linked from exactly these sources, now the caller's; 0 when
// the device keeps none.
unsigned TakeKeptProgram(IDirect3DDevice9* device, const std::string& vertex,
                         const std::string& fragment);
// Hands the caller's program over to the device, to keep under its sources.
void KeepProgram(IDirect3DDevice9* device, const std::string& vertex, const std::string& fragment,
                 unsigned program);

// The GL texture unit that a Direct3D sampler number (0-15, or
// D3DVERTEXTEXTURESAMPLER0-3) reads; -1 for an invalid one.
int SamplerTextureUnit(DWORD sampler);

// GL texture name and target behind a Direct3D texture of this platform
// (0 for nullptr).
unsigned TextureGlName(IDirect3DBaseTexture9* texture);

}  // namespace kl::d3d9
