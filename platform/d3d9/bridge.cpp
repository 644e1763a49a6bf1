// The platform-internal interface through which the D3DX layer drives a device.
#include "d3d9/device.h"
#include "d3d9/device_bridge.h"
#include "d3d9/states.h"
#include "d3d9/texture.h"

namespace kl::d3d9 {

// The half-pixel offset: Direct3D 9 puts pixel centres on integer window
// coordinates, GL half a pixel further; shifting every vertex right and down by
// (about) half a pixel lands primitives on the pixels Direct3D would cover. The
// device sets kl_d3d_half_pixel per draw from the viewport size, in clip units
// per w.
const char kVertexPrologueGlsl[] =
    "uniform vec2 kl_d3d_half_pixel;\n"
    "void kl_d3d_vertex_epilogue() {\n"
    "    gl_Position.xy += kl_d3d_half_pixel * gl_Position.w;\n"
    "}\n";

// The alpha test, gone from core GL: the colour's alpha on Direct3D's 0..255
// scale against ALPHAREF with ALPHAFUNC (a D3DCMPFUNC; 8, always, while the
// test is off).
const char kFragmentPrologueGlsl[] =
    "uniform int kl_d3d_alpha_func;\n"
    "uniform float kl_d3d_alpha_ref;\n"
    "void kl_d3d_alpha_test(vec4 colour) {\n"
    "    float a = floor(clamp(colour.a, 0.0, 1.0) * 255.0 + 0.5);\n"
    "    float r = kl_d3d_alpha_ref;\n"
    "    bool pass = true;\n"
    "    switch (kl_d3d_alpha_func) {\n"
    "        case 1: pass = false; break;\n"
    "        case 2: pass = a < r; break;\n"
    "        case 3: pass = a == r; break;\n"
    "        case 4: pass = a <= r; break;\n"
    "        case 5: pass = a > r; break;\n"
    "        case 6: pass = a != r; break;\n"
    "        case 7: pass = a >= r; break;\n"
    "        default: pass = true; break;\n"
    "    }\n"
    "    if (!pass) discard;\n"
    "}\n";

void MakeDeviceContextCurrent(IDirect3DDevice9* device) {
    if (device) AsDevice(device)->MakeCurrent();
}

void BindProgram(IDirect3DDevice9* device, const ProgramBinding* program) {
    if (device) AsDevice(device)->BindProgram(program);
}

unsigned TakeKeptProgram(IDirect3DDevice9* device, const std::string& vertex,
                         const std::string& fragment) {
    return device ? AsDevice(device)->TakeKeptProgram(vertex + '\0' + fragment) : 0;
}

void KeepProgram(IDirect3DDevice9* device, const std::string& vertex, const std::string& fragment,
                 unsigned program) {
    if (device && program) AsDevice(device)->KeepProgram(vertex + '\0' + fragment, program);
}

void BindShaderStage(IDirect3DDevice9* device, ShaderStage stage, const ProgramBinding* program) {
    if (device) AsDevice(device)->BindShaderStage(stage, program);
}

int SamplerTextureUnit(DWORD sampler) {
    const DWORD slot = SamplerSlot(sampler);
    return slot < kSamplerCount ? static_cast<int>(slot) : -1;
}

unsigned TextureGlName(IDirect3DBaseTexture9* texture) {
    if (!texture || texture->GetType() != D3DRTYPE_TEXTURE) return 0;
    return static_cast<Texture*>(texture)->GlName();
}

}  // namespace kl::d3d9
