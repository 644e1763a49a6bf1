// A headless device with a small back buffer, and helpers to draw flat
// quads and count the pixels of a colour in the read-back.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "testing/surfaces.h"

namespace kl::test {

struct Rgba {
    int r, g, b, a;
};

// A pretransformed vertex (D3DFVF_XYZRHW | D3DFVF_DIFFUSE).
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};
constexpr DWORD kScreenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// A clip-space vertex (D3DFVF_XYZ | D3DFVF_DIFFUSE).
struct ClipVertex {
    float x, y, z;
    D3DCOLOR colour;
};
constexpr DWORD kClipVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

class D3d9DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Creates the device; the default is a 16x16 X8R8G8B8 back buffer with a
    // D24S8 depth buffer.
    void CreateDevice(UINT width = 16, UINT height = 16, D3DFORMAT format = D3DFMT_X8R8G8B8);
    D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height, D3DFORMAT format) const;

    // Draws an axis-aligned rectangle in pixels as a two-triangle fan.
    void DrawScreenRect(float left, float top, float right, float bottom, D3DCOLOR colour,
                        float z = 0.5f);
    // Reads the back buffer (RGBA8, top row first).
    std::vector<uint8_t> ReadBack();
    Rgba PixelAt(const std::vector<uint8_t>& pixels, UINT x, UINT y) const;
    // Pixels of the read-back within [x0, x1) x [y0, y1) equal to the colour,
    // each channel within the tolerance.
    int CountColour(const std::vector<uint8_t>& pixels, Rgba colour, UINT x0, UINT y0, UINT x1,
                    UINT y1, int tolerance = 2) const;

    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    UINT width_ = 0, height_ = 0;
};

}  // namespace kl::test
