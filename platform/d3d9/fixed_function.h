// The built-in program for draws with no program bound: positions in clip
// space (D3DFVF_XYZ) or in pixels (D3DFVF_XYZRHW), the diffuse colour (white
// when absent), modulated by stage 0's texture when one is set.
#pragma once

#include <string>

#include "d3d9/device_bridge.h"

namespace kl::d3d9 {

class FixedFunction {
public:
    // Builds the program in the current context; Ok() tells whether it linked.
    FixedFunction();
    ~FixedFunction();
    bool Ok() const { return binding_.glProgram != 0; }
    const std::string& Log() const { return log_; }
    const ProgramBinding& Binding() const { return binding_; }

    // Per-draw settings: whether positions are pretransformed (and the
    // viewport they are relative to), and whether stage 0 holds a texture.
    void Configure(bool pretransformed, const float viewport[4], bool textured);

    static constexpr int kDiffuseLocation = 1;

private:
    ProgramBinding binding_;
    std::string log_;
    int pretransformedLocation_ = -1, viewportLocation_ = -1, texturedLocation_ = -1;
};

}  // namespace kl::d3d9
