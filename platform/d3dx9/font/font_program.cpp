// The glyph program. Positions arrive in render-target pixels, already moved
// by half a pixel as Direct3D 9 expects of screen-space quads, and are turned
// into clip space against the current viewport; the device's epilogue then
// applies Direct3D's pixel-centre convention, so each atlas texel lands on
// exactly one target pixel.
#include "d3dx9/font/font_program.h"

#include <GL/glcorearb.h>

#include "gl/program.h"

namespace kl::d3dx9::font {

namespace {

constexpr int kPositionLocation = 0;
constexpr int kTexcoordLocation = 1;

const char kVertexMain[] = R"(
layout(location = 0) in vec4 kl_font_position;
layout(location = 1) in vec2 kl_font_texcoord;
uniform vec4 kl_font_viewport;  // x, y, width, height in pixels
out vec2 kl_font_uv;
void main() {
    vec2 pixel = kl_font_position.xy - kl_font_viewport.xy;
    gl_Position = vec4(pixel.x / kl_font_viewport.z * 2.0 - 1.0,
                       1.0 - pixel.y / kl_font_viewport.w * 2.0, 0.0, 1.0);
    kl_font_uv = kl_font_texcoord;
    kl_d3d_vertex_epilogue();
}
)";

const char kFragmentMain[] = R"(
layout(binding = 0) uniform sampler2D kl_font_atlas;
uniform vec4 kl_font_color;
in vec2 kl_font_uv;
layout(location = 0) out vec4 kl_font_out;
void main() {
    vec4 color = vec4(kl_font_color.rgb, kl_font_color.a * texture(kl_font_atlas, kl_font_uv).a);
    kl_font_out = color;
    kl_d3d_alpha_test(color);
}
)";

std::string Source(const char* prologue, const char* body) {
    return std::string("#version 450 core\n") + prologue + "\n" + body;
}

}  // namespace

const D3DVERTEXELEMENT9 FontProgram::kVertexElements[3] = {
    {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

FontProgram::~FontProgram() {
    if (binding_.glProgram == 0) return;
    kl::d3d9::MakeDeviceContextCurrent(device_);
    glDeleteProgram(binding_.glProgram);
}

bool FontProgram::Build(IDirect3DDevice9* device, std::string* log) {
    device_ = device;
    kl::d3d9::MakeDeviceContextCurrent(device);
    const GLuint program =
        kl::gl::LinkProgram(Source(kl::d3d9::kVertexPrologueGlsl, kVertexMain),
                            Source(kl::d3d9::kFragmentPrologueGlsl, kFragmentMain), log);
    if (program == 0) return false;
    binding_.glProgram = program;
    binding_.inputs = {{D3DDECLUSAGE_POSITION, 0, kPositionLocation},
                       {D3DDECLUSAGE_TEXCOORD, 0, kTexcoordLocation}};
    viewportLocation_ = glGetUniformLocation(program, "kl_font_viewport");
    colorLocation_ = glGetUniformLocation(program, "kl_font_color");
    return true;
}

void FontProgram::SetDrawValues(const D3DVIEWPORT9& viewport, D3DCOLOR color) {
    kl::d3d9::MakeDeviceContextCurrent(device_);
    glProgramUniform4f(binding_.glProgram, viewportLocation_, static_cast<float>(viewport.X),
                       static_cast<float>(viewport.Y), static_cast<float>(viewport.Width),
                       static_cast<float>(viewport.Height));
    const auto channel = [color](int shift) {
        return static_cast<float>((color >> shift) & 0xFF) / 255.0f;
    };
    glProgramUniform4f(binding_.glProgram, colorLocation_, channel(16), channel(8), channel(0),
                       channel(24));
}

}  // namespace kl::d3dx9::font
