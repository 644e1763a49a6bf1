// The format table seen through locked bytes: each format's bytes, uploaded
// through LockRect, read back with Direct3D's channel meaning.
#include <cstring>

#include "device_fixture.h"
#include "testing/display.h"

namespace kl::test {
namespace {

struct FormatCase {
    D3DFORMAT format;
    std::vector<uint8_t> bytes;  // one pixel as locked
    Rgba expected;
};

TEST_F(D3d9DeviceTest, LockedBytesReadBackWithTheirChannelMeaning) {
    CreateDevice(4, 4);
    const FormatCase cases[] = {
        {D3DFMT_A8R8G8B8, {0x30, 0x20, 0x10, 0x80}, {0x10, 0x20, 0x30, 0x80}},
        {D3DFMT_X8R8G8B8, {0x30, 0x20, 0x10, 0x00}, {0x10, 0x20, 0x30, 255}},
        {D3DFMT_A8B8G8R8, {0x10, 0x20, 0x30, 0x80}, {0x10, 0x20, 0x30, 0x80}},
        {D3DFMT_X8B8G8R8, {0x10, 0x20, 0x30, 0x00}, {0x10, 0x20, 0x30, 255}},
        // 0xF800: red 31 of 31, green and blue 0.
        {D3DFMT_R5G6B5, {0x00, 0xF8}, {255, 0, 0, 255}},
        // A1R5G5B5 0x801F: alpha 1, blue 31.
        {D3DFMT_A1R5G5B5, {0x1F, 0x80}, {0, 0, 255, 255}},
        // A4R4G4B4 0x4F00: alpha 4 of 15, red 15.
        {D3DFMT_A4R4G4B4, {0x00, 0x4F}, {255, 0, 0, 68}},
        {D3DFMT_L8, {0x40}, {0x40, 0x40, 0x40, 255}},
        {D3DFMT_A8, {0x40}, {0, 0, 0, 0x40}},
        {D3DFMT_A8L8, {0x40, 0x80}, {0x40, 0x40, 0x40, 0x80}},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.format);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, c.format, D3DPOOL_MANAGED, &texture, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked = {};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, static_cast<INT>(2 * c.bytes.size()));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                std::memcpy(
                    static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * c.bytes.size(),
                    c.bytes.data(), c.bytes.size());
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        IDirect3DSurface9* level = nullptr;
        ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
        std::vector<uint8_t> pixels;
        ASSERT_TRUE(kl::testing::ReadSurfaceRgba8(level, &pixels, nullptr, nullptr));
        for (size_t i = 0; i < pixels.size(); i += 4) {
            EXPECT_NEAR(pixels[i], c.expected.r, 1);
            EXPECT_NEAR(pixels[i + 1], c.expected.g, 1);
            EXPECT_NEAR(pixels[i + 2], c.expected.b, 1);
            EXPECT_NEAR(pixels[i + 3], c.expected.a, 1);
        }
        level->Release();
        texture->Release();
    }
}

// Textures exist only in the formats the adapter's profile lists.
TEST_F(D3d9DeviceTest, TextureFormatsFollowTheProfile) {
    kl::d3d9::DisplayProfile profile = kl::testing::VirtualDisplayProfile();
    profile.adapters[0].textureFormats = {D3DFMT_A8R8G8B8};
    profile.adapters[0].renderTargetFormats = {D3DFMT_X8R8G8B8};
    kl::testing::SetDisplayProfile(profile);
    d3d_->Release();
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    CreateDevice(4, 4);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &texture, nullptr),
              D3DERR_INVALIDCALL);
    // Render targets live in the default pool only.
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                     D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                     D3DPOOL_DEFAULT, &texture, nullptr),
              D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
    ASSERT_EQ(
        device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
    kl::testing::UseBuiltDisplayProfile();
}

TEST_F(D3d9DeviceTest, MipLevelsHaveHalvedSizesAndLockSeparately) {
    CreateDevice(4, 4);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(8, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 4u);  // 8x4, 4x2, 2x1, 1x1
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(texture->GetLevelDesc(2, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(texture->GetLevelDesc(4, &desc), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    std::memset(locked.pBits, 0xFF, 16 * 2);
    ASSERT_EQ(texture->UnlockRect(1), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(1), D3DERR_INVALIDCALL);  // not locked
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
    std::vector<uint8_t> pixels;
    ASSERT_TRUE(kl::testing::ReadSurfaceRgba8(level, &pixels, nullptr, nullptr));
    EXPECT_EQ(pixels, std::vector<uint8_t>(4 * 2 * 4, 0xFF));
    level->Release();
    // A rectangle outside the level is refused.
    const RECT outside = {0, 0, 5, 2};
    EXPECT_EQ(texture->LockRect(1, &locked, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);
}

// Setting a state to the value it already has reaches GL no more: the
// second draw with unchanged states skips every state call.
TEST_F(D3d9DeviceTest, UnchangedStatesAreNotSentToGlAgain) {
    CreateDevice();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    DrawScreenRect(0, 0, 4, 4, 0xFFFFFFFF);
    const uint64_t before = kl::testing::SkippedGlCallCount(device_);
    // Toggling blending off and on again marks the group dirty but leaves GL's
    // values as they were.
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    DrawScreenRect(0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_GT(kl::testing::SkippedGlCallCount(device_), before);
}

TEST_F(D3d9DeviceTest, CursorTakesAnA8R8G8B8ImageAndRemembersVisibility) {
    CreateDevice();
    IDirect3DSurface9* image = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &image,
                                                   nullptr),
              D3D_OK);
    EXPECT_EQ(device_->SetCursorProperties(0, 0, image), D3D_OK);
    EXPECT_EQ(device_->SetCursorProperties(32, 0, image), D3DERR_INVALIDCALL);  // hot spot outside
    EXPECT_EQ(device_->SetCursorProperties(0, 0, nullptr), D3DERR_INVALIDCALL);
    IDirect3DSurface9* wrong = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(32, 32, D3DFMT_R5G6B5, D3DPOOL_SCRATCH, &wrong,
                                                   nullptr),
              D3D_OK);
    EXPECT_EQ(device_->SetCursorProperties(0, 0, wrong), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->ShowCursor(TRUE), FALSE);
    EXPECT_EQ(device_->ShowCursor(FALSE), TRUE);
    device_->SetCursorPosition(10, 10, D3DCURSOR_IMMEDIATE_UPDATE);
    wrong->Release();
    image->Release();
}

}  // namespace
}  // namespace kl::test
