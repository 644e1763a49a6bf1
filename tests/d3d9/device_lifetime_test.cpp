// Reference counts, scenes, Reset and device loss.
#include "device_fixture.h"

namespace kl::test {
namespace {

TEST_F(D3d9DeviceTest, ATextureAliveAtDeviceReleaseKeepsOneReference) {
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    // The device holds the Direct3D object; the texture holds the device.
    EXPECT_EQ(d3d_->AddRef(), 3u);
    EXPECT_EQ(d3d_->Release(), 2u);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    EXPECT_EQ(texture->AddRef(), 3u);  // the level's reference is the texture's
    EXPECT_EQ(texture->Release(), 2u);
    EXPECT_EQ(level->Release(), 1u);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device_);
    EXPECT_EQ(owner->Release(), 2u);

    EXPECT_EQ(device_->Release(), 1u);
    device_ = nullptr;
    // The device still works for the texture that keeps it alive.
    D3DSURFACE_DESC desc = {};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(D3d9DeviceTest, BackBufferReferencesCountOnTheDevice) {
    CreateDevice();
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device_->AddRef(), 3u);
    EXPECT_EQ(device_->Release(), 2u);
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(backBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(backBuffer->Release(), 1u);
    EXPECT_EQ(device_->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &backBuffer),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(backBuffer, nullptr);
}

TEST_F(D3d9DeviceTest, ScenesDoNotNest) {
    CreateDevice();
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(kl::testing::PresentedFrameCount(device_), 1u);
}

TEST_F(D3d9DeviceTest, ResetFailsWhileADefaultPoolTextureLives) {
    CreateDevice();
    IDirect3DTexture9* target = nullptr;
    IDirect3DTexture9* managed = nullptr;
    ASSERT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    ASSERT_EQ(
        device_->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr),
        D3D_OK);
    EXPECT_EQ(managed->GetLevelCount(), 3u);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DPRESENT_PARAMETERS p = Parameters(32, 24, D3DFMT_X8R8G8B8);
    EXPECT_EQ(device_->Reset(&p), D3DERR_INVALIDCALL);
    // A failed Reset leaves the device waiting for one that works.
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(target->Release(), 0u);
    ASSERT_EQ(device_->Reset(&p), D3D_OK);  // managed textures survive a Reset
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    D3DSURFACE_DESC desc = {};
    backBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 24u);
    backBuffer->Release();
    // Reset returns every state to its default.
    DWORD cull = 0;
    device_->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    D3DVIEWPORT9 viewport = {};
    device_->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 32u);
    width_ = 32;
    height_ = 24;
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(9, 8, 7), 1.0f, 0);
    EXPECT_EQ(CountColour(ReadBack(), {9, 8, 7, 255}, 0, 0, 32, 24), 32 * 24);
    EXPECT_EQ(managed->Release(), 0u);
}

TEST_F(D3d9DeviceTest, ForcedLossGoesLostThenNotResetThenResetWorks) {
    CreateDevice();
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    kl::testing::ForceDeviceLoss(device_);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS p = Parameters(16, 16, D3DFMT_X8R8G8B8);
    EXPECT_EQ(device_->Reset(&p), D3DERR_DEVICELOST);
    // Drawing while lost is silently dropped.
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    kl::testing::EndForcedDeviceLoss(device_);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    ASSERT_EQ(device_->Reset(&p), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(D3d9DeviceTest, SeveralDevicesRenderIntoTheirOwnBackBuffers) {
#if defined(__SANITIZE_ADDRESS__)
    // With two headless devices made and released in one process,
    // LeakSanitizer's own thread walk at exit crashes on Mesa's thread-local
    // storage (a crash of the checker after the test has passed, with no
    // report); the optimised build runs this test.
    GTEST_SKIP() << "LeakSanitizer's exit-time walk crashes after this test";
#endif
    CreateDevice(8, 8);
    IDirect3DDevice9* second = nullptr;
    D3DPRESENT_PARAMETERS p = Parameters(1, 1, D3DFMT_X8R8G8B8);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &p, &second),
              D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(255, 0, 0), 1.0f,
                   0);
    second->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 255, 0), 1.0f, 0);
    DrawScreenRect(-0.5f, -0.5f, 3.5f, 7.5f, D3DCOLOR_XRGB(0, 0, 255));
    std::vector<uint8_t> pixels;
    ASSERT_TRUE(kl::testing::ReadBackBufferRgba8(second, &pixels, nullptr, nullptr));
    EXPECT_EQ((std::vector<uint8_t>{0, 255, 0, 255}), pixels);
    EXPECT_EQ(second->Release(), 0u);
    pixels = ReadBack();
    EXPECT_EQ(CountColour(pixels, {0, 0, 255, 255}, 0, 0, 4, 8), 32);
    EXPECT_EQ(CountColour(pixels, {255, 0, 0, 255}, 4, 0, 8, 8), 32);
}

TEST_F(D3d9DeviceTest, RenderTargetTextureTakesDrawsAndTheViewportFollows) {
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &texture, nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    IDirect3DSurface9* original = nullptr;
    texture->GetSurfaceLevel(0, &level);
    ASSERT_EQ(device_->GetRenderTarget(0, &original), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(0, level), D3D_OK);
    D3DVIEWPORT9 viewport = {};
    device_->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 8u);
    EXPECT_EQ(viewport.Height, 4u);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(0x40, 1, 2, 3),
                   1.0f, 0);
    std::vector<uint8_t> pixels;
    ASSERT_TRUE(kl::testing::ReadSurfaceRgba8(level, &pixels, nullptr, nullptr));
    EXPECT_EQ((std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4)),
              (std::vector<uint8_t>{1, 2, 3, 0x40}));
    EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->SetRenderTarget(0, original), D3D_OK);
    original->Release();
    level->Release();
    texture->Release();
}

TEST_F(D3d9DeviceTest, WindowedDeviceWithoutAWindowNeedsASize) {
    D3DPRESENT_PARAMETERS p = Parameters(0, 0, D3DFMT_UNKNOWN);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_, nullptr);
    p = Parameters(4, 4, D3DFMT_UNKNOWN);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3D_OK);
    // The unknown windowed format becomes the desktop's, written back.
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    // Without a vertex-processing mode the request is refused.
    IDirect3DDevice9* refused = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &p, &refused), D3DERR_INVALIDCALL);
    EXPECT_EQ(refused, nullptr);
}

}  // namespace
}  // namespace kl::test
