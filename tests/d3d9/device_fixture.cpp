#include "device_fixture.h"

#include <cstdlib>

#include "headless_device.h"

namespace kl::test {

void D3d9DeviceTest::SetUp() {
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
}

void D3d9DeviceTest::TearDown() {
    if (device_) {
        EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_) {
        EXPECT_EQ(d3d_->Release(), 0u);
    }
}

D3DPRESENT_PARAMETERS D3d9DeviceTest::Parameters(UINT width, UINT height, D3DFORMAT format) const {
    return HeadlessParameters(width, height, format);
}

void D3d9DeviceTest::CreateDevice(UINT width, UINT height, D3DFORMAT format) {
    D3DPRESENT_PARAMETERS p = Parameters(width, height, format);
    ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_),
              D3D_OK);
    width_ = width;
    height_ = height;
    // The fixed-function draws of these tests need no lighting and no culling
    // unless a test asks for it.
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
}

void D3d9DeviceTest::DrawScreenRect(float left, float top, float right, float bottom,
                                    D3DCOLOR colour, float z) {
    // Clockwise on screen: top-left, top-right, bottom-right, bottom-left.
    const ScreenVertex quad[4] = {{left, top, z, 1.0f, colour},
                                  {right, top, z, 1.0f, colour},
                                  {right, bottom, z, 1.0f, colour},
                                  {left, bottom, z, 1.0f, colour}};
    ASSERT_EQ(device_->SetFVF(kScreenVertexFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), D3D_OK);
}

std::vector<uint8_t> D3d9DeviceTest::ReadBack() {
    IDirect3DSurface9* backBuffer = nullptr;
    EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    std::vector<uint8_t> pixels;
    UINT width = 0, height = 0;
    EXPECT_TRUE(kl::testing::ReadSurfaceRgba8(backBuffer, &pixels, &width, &height));
    EXPECT_EQ(width, width_);
    EXPECT_EQ(height, height_);
    if (backBuffer) backBuffer->Release();
    return pixels;
}

Rgba D3d9DeviceTest::PixelAt(const std::vector<uint8_t>& pixels, UINT x, UINT y) const {
    const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * width_ + x) * 4;
    return Rgba{p[0], p[1], p[2], p[3]};
}

int D3d9DeviceTest::CountColour(const std::vector<uint8_t>& pixels, Rgba colour, UINT x0, UINT y0,
                                UINT x1, UINT y1, int tolerance) const {
    int count = 0;
    for (UINT y = y0; y < y1; ++y)
        for (UINT x = x0; x < x1; ++x) {
            const Rgba p = PixelAt(pixels, x, y);
            if (std::abs(p.r - colour.r) <= tolerance && std::abs(p.g - colour.g) <= tolerance &&
                std::abs(p.b - colour.b) <= tolerance && std::abs(p.a - colour.a) <= tolerance)
                ++count;
        }
    return count;
}

}  // namespace kl::test
