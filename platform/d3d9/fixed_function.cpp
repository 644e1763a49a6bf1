#include "d3d9/fixed_function.h"

#include <cstring>

#include <GL/glcorearb.h>

#include "gl/program.h"

namespace kl::d3d9 {
namespace {

// Vertex inputs: position, diffuse and specular colours, eight texture
// coordinate sets. Outputs follow the translator's varying layout: TEXCOORDn
// at location n, COLORn at location 16 + n.
constexpr int kSpecularLocation = 2;
constexpr int kTexCoordLocation = 3;
constexpr int kTexCoordSets = 8;

std::string VertexBody() {
    std::string s =
        "layout(location = 0) in vec4 kl_position;\n"
        "layout(location = 1) in vec4 kl_diffuse;\n"
        "layout(location = 2) in vec4 kl_specular;\n"
        "uniform int kl_ff_pretransformed;\n"
        "uniform vec4 kl_ff_viewport;\n"
        "layout(location = 16) out vec4 kl_v_COLOR0;\n"
        "layout(location = 17) out vec4 kl_v_COLOR1;\n";
    std::string copies;
    for (int i = 0; i < kTexCoordSets; ++i) {
        const std::string n = std::to_string(i);
        s += "layout(location = " + std::to_string(kTexCoordLocation + i) +
             ") in vec4 kl_texcoord" + n + ";\n";
        s += "layout(location = " + n + ") out vec4 kl_v_TEXCOORD" + n + ";\n";
        copies += "    kl_v_TEXCOORD" + n + " = kl_texcoord" + n + ";\n";
    }
    s += "void main() {\n"
         "    if (kl_ff_pretransformed != 0) {\n"
         // x, y in pixels of the render target, z in 0..1, rhw = 1 / w.
         "        float w = kl_position.w != 0.0 ? 1.0 / kl_position.w : 1.0;\n"
         "        vec2 ndc = vec2((kl_position.x - kl_ff_viewport.x) / kl_ff_viewport.z * 2.0 - "
         "1.0,\n"
         "                        1.0 - (kl_position.y - kl_ff_viewport.y) / kl_ff_viewport.w * "
         "2.0);\n"
         "        gl_Position = vec4(ndc * w, kl_position.z * w, w);\n"
         "    } else {\n"
         "        gl_Position = kl_position;\n"
         "    }\n"
         "    kl_v_COLOR0 = kl_diffuse;\n"
         "    kl_v_COLOR1 = kl_specular;\n" +
         copies +
         "    kl_d3d_vertex_epilogue();\n"
         "}\n";
    return s;
}

const char kPixelBody[] =
    "layout(location = 16) in vec4 kl_v_COLOR0;\n"
    "layout(location = 0) in vec4 kl_v_TEXCOORD0;\n"
    "uniform int kl_ff_textured;\n"
    "layout(binding = 0) uniform sampler2D kl_ff_texture;\n"
    "layout(location = 0) out vec4 kl_colour;\n"
    "void main() {\n"
    "    vec4 colour = kl_v_COLOR0;\n"
    "    if (kl_ff_textured != 0) colour *= texture(kl_ff_texture, kl_v_TEXCOORD0.xy);\n"
    "    kl_colour = colour;\n"
    "    kl_d3d_alpha_test(colour);\n"
    "}\n";

}  // namespace

FixedFunction::FixedFunction() {
    const std::string version = "#version 450 core\n";
    vertex_.glProgram =
        gl::LinkStageProgram(GL_VERTEX_SHADER, version + kVertexPrologueGlsl + VertexBody(), &log_);
    pixel_.glProgram = gl::LinkStageProgram(GL_FRAGMENT_SHADER,
                                            version + kFragmentPrologueGlsl + kPixelBody, &log_);
    if (!Ok()) return;
    vertex_.inputs = {{D3DDECLUSAGE_POSITION, 0, 0},
                      {D3DDECLUSAGE_POSITIONT, 0, 0},
                      {D3DDECLUSAGE_COLOR, 0, kDiffuseLocation},
                      {D3DDECLUSAGE_COLOR, 1, kSpecularLocation}};
    for (int i = 0; i < kTexCoordSets; ++i)
        vertex_.inputs.push_back(
            {D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(i), kTexCoordLocation + i});
    pretransformedLocation_ = glGetUniformLocation(vertex_.glProgram, "kl_ff_pretransformed");
    viewportLocation_ = glGetUniformLocation(vertex_.glProgram, "kl_ff_viewport");
    texturedLocation_ = glGetUniformLocation(pixel_.glProgram, "kl_ff_textured");
}

FixedFunction::~FixedFunction() {
    if (vertex_.glProgram) glDeleteProgram(vertex_.glProgram);
    if (pixel_.glProgram) glDeleteProgram(pixel_.glProgram);
}

void FixedFunction::ConfigureVertex(bool pretransformed, const float viewport[4]) {
    if (!vertexSent_ || pretransformed != pretransformed_)
        glProgramUniform1i(vertex_.glProgram, pretransformedLocation_, pretransformed ? 1 : 0);
    if (!vertexSent_ || std::memcmp(viewport, viewport_, sizeof viewport_) != 0)
        glProgramUniform4fv(vertex_.glProgram, viewportLocation_, 1, viewport);
    vertexSent_ = true;
    pretransformed_ = pretransformed;
    std::memcpy(viewport_, viewport, sizeof viewport_);
}

void FixedFunction::ConfigurePixel(bool textured) {
    if (pixelSent_ && textured == textured_) return;
    glProgramUniform1i(pixel_.glProgram, texturedLocation_, textured ? 1 : 0);
    pixelSent_ = true;
    textured_ = textured;
}

}  // namespace kl::d3d9
