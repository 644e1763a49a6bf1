// The GL program that draws glyph quads through a device: screen-pixel
// positions in, the atlas's alpha times the text colour out.
#pragma once

#include <d3d9.h>

#include <string>

#include "d3d9/device_bridge.h"

namespace kl::d3dx9::font {

// The vertex a glyph quad corner is made of (position usage 0, texture
// coordinate usage 0).
struct GlyphVertex {
    float x, y, z, w;  // render-target pixels; z and w are 0 and 1
    float u, v;
};

class FontProgram {
public:
    FontProgram() = default;
    ~FontProgram();
    FontProgram(const FontProgram&) = delete;
    FontProgram& operator=(const FontProgram&) = delete;

    // Compiles and links the program in the device's context; false (with
    // the GL log in `log`) when it does not build.
    bool Build(IDirect3DDevice9* device, std::string* log);
    bool Ready() const { return binding_.glProgram != 0; }

    // Sets the per-draw values: the viewport the pixels are counted in and
    // the text colour (ARGB).
    void SetDrawValues(const D3DVIEWPORT9& viewport, D3DCOLOR color);
    const kl::d3d9::ProgramBinding& Binding() const { return binding_; }

    // The vertex declaration that matches GlyphVertex.
    static const D3DVERTEXELEMENT9 kVertexElements[3];

private:
    IDirect3DDevice9* device_ = nullptr;  // not owned: the font holds the reference
    kl::d3d9::ProgramBinding binding_;
    int viewportLocation_ = -1;
    int colorLocation_ = -1;
};

}  // namespace kl::d3dx9::font
