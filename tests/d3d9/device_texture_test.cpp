// Textures and surfaces: channel order of locked bytes, copies out of the back
// buffer, sampling, and a program bound through the D3DX bridge.
#include <GL/glcorearb.h>

#include <cstring>
#include <string>

#include "d3d9/device_bridge.h"
#include "gl/program.h"
#include "device_fixture.h"

namespace kl::test {
namespace {

// Copies the back buffer into a render-target texture of the format and
// returns the first four locked bytes of its system-memory copy.
std::vector<uint8_t> CopyBackBufferAndLock(IDirect3DDevice9* device, D3DFORMAT format, UINT size) {
    IDirect3DTexture9* target = nullptr;
    EXPECT_EQ(device->CreateTexture(size, size, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                    &target, nullptr),
              D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* level = nullptr;
    IDirect3DSurface9* copy = nullptr;
    EXPECT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    EXPECT_EQ(device->StretchRect(backBuffer, nullptr, level, nullptr, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_EQ(
        device->CreateOffscreenPlainSurface(size, size, format, D3DPOOL_SYSTEMMEM, &copy, nullptr),
        D3D_OK);
    EXPECT_EQ(device->GetRenderTargetData(level, copy), D3D_OK);
    D3DLOCKED_RECT locked = {};
    EXPECT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(locked.Pitch, static_cast<INT>(size * 4));
    // A pixel from the middle of the picture.
    const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + locked.Pitch * (size / 2);
    std::vector<uint8_t> bytes(row + (size / 2) * 4, row + (size / 2) * 4 + 4);
    EXPECT_EQ(copy->UnlockRect(), D3D_OK);
    // Video-memory render targets cannot be locked.
    EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    copy->Release();
    level->Release();
    backBuffer->Release();
    EXPECT_EQ(target->Release(), 0u);
    return bytes;
}

TEST_F(D3d9DeviceTest, StretchRectKeepsChannelsInBothByteOrders) {
    CreateDevice(16, 16, D3DFMT_A8R8G8B8);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(0x80, 0x11, 0x22, 0x33), 1.0f, 0);
    // A8R8G8B8 is the bytes B, G, R, A; A8B8G8R8 the bytes R, G, B, A.
    EXPECT_EQ(CopyBackBufferAndLock(device_, D3DFMT_A8R8G8B8, 16),
              (std::vector<uint8_t>{0x33, 0x22, 0x11, 0x80}));
    EXPECT_EQ(CopyBackBufferAndLock(device_, D3DFMT_A8B8G8R8, 16),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x80}));
}

TEST_F(D3d9DeviceTest, StretchRectCopiesRectanglesWithTheFilter) {
    CreateDevice(16, 16);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0);
    const D3DRECT left = {0, 0, 8, 16};
    device_->Clear(1, &left, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 0), 1.0f, 0);
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                     D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* level = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    target->GetSurfaceLevel(0, &level);
    // Halve the whole picture with the point filter: left red, right blue.
    ASSERT_EQ(device_->StretchRect(backBuffer, nullptr, level, nullptr, D3DTEXF_POINT), D3D_OK);
    std::vector<uint8_t> pixels;
    UINT w = 0, h = 0;
    ASSERT_TRUE(kl::testing::ReadSurfaceRgba8(level, &pixels, &w, &h));
    ASSERT_EQ(w, 8u);
    int red = 0, blue = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const size_t x = (i / 4) % 8;
        red += x < 4 && pixels[i] == 255 && pixels[i + 2] == 0;
        blue += x >= 4 && pixels[i] == 0 && pixels[i + 2] == 255;
    }
    EXPECT_EQ(red, 32);
    EXPECT_EQ(blue, 32);
    // A source rectangle from the blue half into the top-left quarter.
    const RECT from = {12, 0, 16, 4}, to = {0, 0, 4, 4};
    ASSERT_EQ(device_->StretchRect(backBuffer, &from, level, &to, D3DTEXF_NONE), D3D_OK);
    ASSERT_TRUE(kl::testing::ReadSurfaceRgba8(level, &pixels, &w, &h));
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[2], 255);
    const RECT outside = {12, 0, 17, 4};
    EXPECT_EQ(device_->StretchRect(backBuffer, &outside, level, &to, D3DTEXF_NONE),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->StretchRect(backBuffer, nullptr, level, nullptr, D3DTEXF_ANISOTROPIC),
              D3DERR_INVALIDCALL);
    level->Release();
    backBuffer->Release();
    target->Release();
}

struct TexturedVertex {
    float x, y, z, rhw;
    float u, v;
};

// A managed A8R8G8B8 texture holding `texels`, `width` to a row, top row
// first; null (with a test failure) when it cannot be made.
IDirect3DTexture9* MakeManagedTexture(IDirect3DDevice9* device, UINT width, UINT height,
                                      const std::vector<DWORD>& texels) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                    nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked = {};
    if (texture == nullptr || FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        ADD_FAILURE() << "the texture could not be made and locked";
        if (texture != nullptr) texture->Release();
        return nullptr;
    }
    for (UINT y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch,
                    texels.data() + y * width, width * sizeof(DWORD));
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    return texture;
}

// Draws stage 0's texture over the whole of a 16x16 back buffer.
HRESULT DrawTextureOver16x16(IDirect3DDevice9* device) {
    const TexturedVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0},
                                    {15.5f, -0.5f, 0.5f, 1, 1, 0},
                                    {15.5f, 15.5f, 0.5f, 1, 1, 1},
                                    {-0.5f, 15.5f, 0.5f, 1, 0, 1}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    return device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(TexturedVertex));
}

TEST_F(D3d9DeviceTest, ManagedTextureUploadsLockedBytesAndSamplesTopRowFirst) {
    CreateDevice(16, 16);
    // Top row: red, green; bottom row: blue, white (A8R8G8B8 words).
    IDirect3DTexture9* texture =
        MakeManagedTexture(device_, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    ASSERT_NE(texture, nullptr);
    D3DLOCKED_RECT locked = {};

    // A READONLY lock hands out the bytes and changes nothing.
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    DWORD first = 0;
    std::memcpy(&first, locked.pBits, 4);
    EXPECT_EQ(first, 0xFFFF0000u);
    std::memset(locked.pBits, 0, 4);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetTexture(0, texture);
    ASSERT_EQ(DrawTextureOver16x16(device_), D3D_OK);
    const std::vector<uint8_t> pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 0, 0, 8, 8), 64);
    EXPECT_EQ(CountColour(pixels, {0, 255, 0, 255}, 8, 0, 16, 8), 64);
    EXPECT_EQ(CountColour(pixels, {0, 0, 255, 255}, 0, 8, 8, 16), 64);
    EXPECT_EQ(CountColour(pixels, {255, 255, 255, 255}, 8, 8, 16, 16), 64);
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    bound->Release();
    EXPECT_EQ(texture->Release(), 0u);
    // The released texture is no longer bound.
    ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, nullptr);
}

// Sampler states reach GL on the draw after they change, also when they
// return to what an earlier draw used (an effect's End restores them); a
// change undone before the next draw sends nothing.
TEST_F(D3d9DeviceTest, SamplerFilterChangesAndTheirReturnReachTheDraw) {
    CreateDevice(16, 16);
    IDirect3DTexture9* texture = MakeManagedTexture(device_, 2, 1, {0xFF000000, 0xFFFFFFFF});
    ASSERT_NE(texture, nullptr);
    device_->SetTexture(0, texture);
    // Pixel 7 samples u = 7.5 / 16: the black texel with point filtering,
    // 0.4375 of the way to the white one with linear filtering.
    const auto drawAndReadPixel7 = [&] {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        EXPECT_EQ(DrawTextureOver16x16(device_), D3D_OK);
        return PixelAt(ReadBack(), 7, 8).r;
    };
    const auto setFilter = [&](D3DTEXTUREFILTERTYPE filter) {
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    };
    EXPECT_EQ(drawAndReadPixel7(), 0);
    setFilter(D3DTEXF_LINEAR);
    EXPECT_NEAR(drawAndReadPixel7(), 112, 3);
    setFilter(D3DTEXF_POINT);
    EXPECT_EQ(drawAndReadPixel7(), 0);

    uint64_t before = kl::testing::SkippedGlCallCount(device_);
    drawAndReadPixel7();
    const uint64_t skippedWithoutChanges = kl::testing::SkippedGlCallCount(device_) - before;
    setFilter(D3DTEXF_LINEAR);
    setFilter(D3DTEXF_POINT);
    before = kl::testing::SkippedGlCallCount(device_);
    EXPECT_EQ(drawAndReadPixel7(), 0);
    EXPECT_GT(kl::testing::SkippedGlCallCount(device_) - before, skippedWithoutChanges);
    device_->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(D3d9DeviceTest, ScratchSurfaceLocksAndReadsBack) {
    CreateDevice();
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 2, D3DFMT_X8R8G8B8, D3DPOOL_SCRATCH, &surface,
                                                   nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked = {};
    const RECT second = {1, 1, 2, 2};
    ASSERT_EQ(surface->LockRect(&locked, &second, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    const DWORD colour = 0x00102030;  // the X byte 0 must still read as alpha 255
    std::memcpy(locked.pBits, &colour, 4);
    EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(surface->UnlockRect(), D3D_OK);
    std::vector<uint8_t> pixels;
    ASSERT_TRUE(kl::testing::ReadSurfaceRgba8(surface, &pixels, nullptr, nullptr));
    const uint8_t* p = pixels.data() + (1 * 4 + 1) * 4;
    EXPECT_EQ((std::vector<uint8_t>(p, p + 4)), (std::vector<uint8_t>{0x10, 0x20, 0x30, 255}));
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Pool, D3DPOOL_SCRATCH);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(surface->Release(), 0u);
}

// A program bound through the bridge samples stage 0 with no texture set:
// Direct3D gives (0, 0, 0, 1), which the shader turns into visible red.
TEST_F(D3d9DeviceTest, BoundProgramSeesANullTextureAsOpaqueBlack) {
    CreateDevice();
    kl::d3d9::MakeDeviceContextCurrent(device_);
    const std::string vertex = std::string("#version 450 core\n") + kl::d3d9::kVertexPrologueGlsl +
                               "layout(location = 0) in vec3 position;\n"
                               "void main() {\n"
                               "    gl_Position = vec4(position, 1.0);\n"
                               "    kl_d3d_vertex_epilogue();\n"
                               "}\n";
    const std::string fragment = std::string("#version 450 core\n") +
                                 kl::d3d9::kFragmentPrologueGlsl +
                                 "layout(binding = 0) uniform sampler2D stage0;\n"
                                 "out vec4 colour;\n"
                                 "void main() {\n"
                                 "    vec4 s = texture(stage0, vec2(0.5));\n"
                                 "    colour = vec4(s.a, s.r, s.g + s.b, 1.0);\n"
                                 "    kl_d3d_alpha_test(colour);\n"
                                 "}\n";
    std::string log;
    const GLuint program = kl::gl::LinkProgram(vertex, fragment, &log);
    ASSERT_NE(program, 0u) << log;
    kl::d3d9::ProgramBinding binding;
    binding.glProgram = program;
    binding.inputs = {{D3DDECLUSAGE_POSITION, 0, 0}};
    kl::d3d9::BindProgram(device_, &binding);

    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const float quad[4][3] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {1, -1, 0.5f}, {-1, -1, 0.5f}};
    device_->SetFVF(D3DFVF_XYZ);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(quad[0])), D3D_OK);
    EXPECT_EQ(CountColour(ReadBack(), {255, 0, 0, 255}, 0, 0, 16, 16), 256);

    kl::d3d9::BindProgram(device_, nullptr);
    kl::d3d9::MakeDeviceContextCurrent(device_);
    glDeleteProgram(program);
}

}  // namespace
}  // namespace kl::test
