// The built-in stages for draws whose vertex or pixel shader is not set:
// positions in clip space (D3DFVF_XYZ) or in pixels (D3DFVF_XYZRHW), the
// diffuse colour (white when absent), modulated by stage 0's texture when one
// is set. Each stage is a separable program that passes colours and texture
// coordinates through the varyings translated shaders use, so either stage
// combines with a shader of the other (see Device::SelectPrograms).
#pragma once

#include <string>

#include "d3d9/device_bridge.h"

namespace kl::d3d9 {

class FixedFunction {
public:
    // Builds both stages in the current context; Ok() tells whether they linked.
    FixedFunction();
    ~FixedFunction();
    bool Ok() const { return vertex_.glProgram != 0 && pixel_.glProgram != 0; }
    const std::string& Log() const { return log_; }
    const ProgramBinding& VertexStage() const { return vertex_; }
    const ProgramBinding& PixelStage() const { return pixel_; }

    // Per-draw settings: whether positions are pretransformed (and the
    // viewport they are relative to), and whether stage 0 holds a texture.
    void ConfigureVertex(bool pretransformed, const float viewport[4]);
    void ConfigurePixel(bool textured);

    static constexpr int kDiffuseLocation = 1;

private:
    ProgramBinding vertex_;
    ProgramBinding pixel_;
    std::string log_;
    int pretransformedLocation_ = -1, viewportLocation_ = -1, texturedLocation_ = -1;
    // The values last sent, so that a draw sends only what changed: a uniform
    // sent again makes the driver copy the program's constants once more.
    bool vertexSent_ = false, pixelSent_ = false;
    bool pretransformed_ = false, textured_ = false;
    float viewport_[4] = {};
};

}  // namespace kl::d3d9
