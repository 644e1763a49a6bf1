#include "d3d9/fixed_function.h"

#include <GL/glcorearb.h>

#include "gl/program.h"

namespace kl::d3d9 {
namespace {

const char kVertexBody[] =
    "layout(location = 0) in vec4 kl_position;\n"
    "layout(location = 1) in vec4 kl_diffuse;\n"
    "layout(location = 2) in vec2 kl_texcoord;\n"
    "uniform int kl_ff_pretransformed;\n"
    "uniform vec4 kl_ff_viewport;\n"
    "out vec4 kl_v_diffuse;\n"
    "out vec2 kl_v_texcoord;\n"
    "void main() {\n"
    "    if (kl_ff_pretransformed != 0) {\n"
    // x, y in pixels of the render target, z in 0..1, rhw = 1 / w.
    "        float w = kl_position.w != 0.0 ? 1.0 / kl_position.w : 1.0;\n"
    "        vec2 ndc = vec2((kl_position.x - kl_ff_viewport.x) / kl_ff_viewport.z * 2.0 - 1.0,\n"
    "                        1.0 - (kl_position.y - kl_ff_viewport.y) / kl_ff_viewport.w * 2.0);\n"
    "        gl_Position = vec4(ndc * w, kl_position.z * w, w);\n"
    "    } else {\n"
    "        gl_Position = kl_position;\n"
    "    }\n"
    "    kl_v_diffuse = kl_diffuse;\n"
    "    kl_v_texcoord = kl_texcoord;\n"
    "    kl_d3d_vertex_epilogue();\n"
    "}\n";

const char kFragmentBody[] =
    "in vec4 kl_v_diffuse;\n"
    "in vec2 kl_v_texcoord;\n"
    "uniform int kl_ff_textured;\n"
    "layout(binding = 0) uniform sampler2D kl_ff_texture;\n"
    "layout(location = 0) out vec4 kl_colour;\n"
    "void main() {\n"
    "    vec4 colour = kl_v_diffuse;\n"
    "    if (kl_ff_textured != 0) colour *= texture(kl_ff_texture, kl_v_texcoord);\n"
    "    kl_colour = colour;\n"
    "    kl_d3d_alpha_test(colour);\n"
    "}\n";

}  // namespace

FixedFunction::FixedFunction() {
    const std::string version = "#version 450 core\n";
    binding_.glProgram = gl::LinkProgram(version + kVertexPrologueGlsl + kVertexBody,
                                         version + kFragmentPrologueGlsl + kFragmentBody, &log_);
    if (!binding_.glProgram) return;
    binding_.inputs = {{D3DDECLUSAGE_POSITION, 0, 0},
                       {D3DDECLUSAGE_POSITIONT, 0, 0},
                       {D3DDECLUSAGE_COLOR, 0, kDiffuseLocation},
                       {D3DDECLUSAGE_TEXCOORD, 0, 2}};
    pretransformedLocation_ = glGetUniformLocation(binding_.glProgram, "kl_ff_pretransformed");
    viewportLocation_ = glGetUniformLocation(binding_.glProgram, "kl_ff_viewport");
    texturedLocation_ = glGetUniformLocation(binding_.glProgram, "kl_ff_textured");
}

FixedFunction::~FixedFunction() {
    if (binding_.glProgram) glDeleteProgram(binding_.glProgram);
}

void FixedFunction::Configure(bool pretransformed, const float viewport[4], bool textured) {
    const GLuint program = binding_.glProgram;
    glProgramUniform1i(program, pretransformedLocation_, pretransformed ? 1 : 0);
    glProgramUniform4fv(program, viewportLocation_, 1, viewport);
    glProgramUniform1i(program, texturedLocation_, textured ? 1 : 0);
}

}  // namespace kl::d3d9
