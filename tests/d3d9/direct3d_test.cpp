// The Direct3D object answers from the display profile: the virtual display
// of headless runs and synthetic profiles set by the test.
#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "gl/context.h"
#include "testing/display.h"
#include "testing/surfaces.h"

namespace kl::test {
namespace {

using kl::d3d9::AdapterProfile;
using kl::d3d9::DisplayProfile;
using kl::d3d9::MultiSampleSupport;

IDirect3D9* CreateWith(const DisplayProfile& profile) {
    kl::testing::SetDisplayProfile(profile);
    return Direct3DCreate9(D3D_SDK_VERSION);
}

// Two adapters: the virtual one, and a second with an R5G6B5 desktop, a
// back-buffer format without post-pixel-shader blending, the reference device
// and 4-sample multisampling with 70000 quality levels.
DisplayProfile TwoAdapters() {
    DisplayProfile profile = kl::testing::VirtualDisplayProfile();
    profile.adapters[0].deviceTypes = {D3DDEVTYPE_HAL};
    AdapterProfile second = profile.adapters[0];
    second.description = "Second";
    second.monitor = reinterpret_cast<HMONITOR>(0x20020);
    second.desktop = {1280, 1024, 75, D3DFMT_R5G6B5};
    second.modes = {{1280, 1024, 75, D3DFMT_R5G6B5}, {800, 600, 75, D3DFMT_R5G6B5}};
    second.deviceTypes = {D3DDEVTYPE_HAL, D3DDEVTYPE_REF};
    second.blendingFormats = {D3DFMT_R5G6B5};
    second.multiSample = {MultiSampleSupport{D3DMULTISAMPLE_4_SAMPLES, 70000, {}}};
    profile.adapters.push_back(second);
    return profile;
}

TEST(D3d9Direct3DTest, VirtualDisplayDescribesOneAdapter) {
    kl::testing::UseBuiltDisplayProfile();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    ASSERT_EQ(d3d->GetAdapterCount(), 1u);
    D3DDISPLAYMODE desktop = {};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_EQ(desktop.Width, 1024u);
    EXPECT_EQ(desktop.Height, 768u);
    EXPECT_EQ(desktop.RefreshRate, 60u);
    EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
    // 640x480, 800x600, 1024x768, 1280x720, 1280x1024, 1600x900, 1920x1080.
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 7u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5), 7u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_A8R8G8B8), 0u);
    D3DDISPLAYMODE mode = {};
    ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_R5G6B5, 6, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1920u);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_R5G6B5, 7, &mode), D3DERR_INVALIDCALL);
    D3DADAPTER_IDENTIFIER9 id = {};
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    EXPECT_STRNE(id.Description, "");
    EXPECT_EQ(d3d->GetAdapterIdentifier(1, 0, &id), D3DERR_INVALIDCALL);
    EXPECT_NE(d3d->GetAdapterMonitor(0), nullptr);
    EXPECT_EQ(d3d->GetAdapterMonitor(1), nullptr);

    D3DCAPS9 caps = {};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(caps.VertexShaderVersion, static_cast<DWORD>(D3DVS_VERSION(3, 0)));
    EXPECT_EQ(caps.PixelShaderVersion, static_cast<DWORD>(D3DPS_VERSION(3, 0)));
    EXPECT_TRUE(caps.PresentationIntervals & D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferWidth = p.BackBufferHeight = 1;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_COPY;
    p.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    // The reference rasterizer exists only where a software GL device sits
    // next to a hardware one (Mesa's llvmpipe beside a GPU).
    if (kl::gl::SoftwareRendererBesideHardware()) {
        EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3D_OK);
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &p, &device),
                  D3D_OK);
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
        std::vector<uint8_t> pixels;
        ASSERT_TRUE(kl::testing::ReadBackBufferRgba8(device, &pixels, nullptr, nullptr));
        EXPECT_EQ(pixels, (std::vector<uint8_t>{0, 255, 0, 255}));
        EXPECT_EQ(device->Release(), 0u);
    } else {
        EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);
        EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &p, &device),
                  D3DERR_NOTAVAILABLE);
        EXPECT_EQ(device, nullptr);
    }
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(D3d9Direct3DTest, VirtualDesktopOfAnotherSizeIsTheDesktopModeAndAMode) {
    setenv("KESTRALUNE_DESKTOP", "1366x768", 1);
    kl::testing::UseBuiltDisplayProfile();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE desktop = {};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_EQ(desktop.Width, 1366u);
    EXPECT_EQ(desktop.Height, 768u);
    // The seven standard sizes and the desktop's own.
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 8u);
    d3d->Release();
}

TEST(D3d9Direct3DTest, FormatChecksFollowTheProfile) {
    IDirect3D9* d3d = CreateWith(TwoAdapters());
    ASSERT_EQ(d3d->GetAdapterCount(), 2u);
    EXPECT_EQ(d3d->GetAdapterModeCount(1, D3DFMT_R5G6B5), 2u);
    EXPECT_EQ(d3d->GetAdapterModeCount(1, D3DFMT_X8R8G8B8), 0u);
    EXPECT_NE(d3d->GetAdapterMonitor(0), d3d->GetAdapterMonitor(1));

    constexpr DWORD kBlending = D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING;
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, kBlending,
                                     D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(1, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, kBlending, D3DRTYPE_TEXTURE,
                                     D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(1, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, kBlending, D3DRTYPE_TEXTURE,
                                     D3DFMT_R5G6B5),
              D3D_OK);
    // 32-bit float targets render but do not blend.
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET,
                                     D3DRTYPE_TEXTURE, D3DFMT_R32F),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, kBlending,
                                     D3DRTYPE_TEXTURE, D3DFMT_R32F),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                     D3DRTYPE_SURFACE, D3DFMT_D24S8),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                     D3DRTYPE_SURFACE, D3DFMT_D15S1),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(
        d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT5),
        D3D_OK);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
                                          D3DFMT_D16),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
                                          D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);

    // Windowed, any back-buffer format shows; fullscreen only the display's.
    EXPECT_EQ(d3d->CheckDeviceType(1, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, TRUE),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(1, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, FALSE),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, FALSE),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(2, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(D3d9Direct3DTest, MultisampleQualityLevelsAndDeviceTypesFollowTheProfile) {
    IDirect3D9* d3d = CreateWith(TwoAdapters());
    DWORD levels = 99;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_4_SAMPLES, &levels),
              D3D_OK);
    EXPECT_EQ(levels, 70000u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_2_SAMPLES, &levels),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(levels, 0u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_NONE, &levels),
              D3D_OK);
    EXPECT_EQ(levels, 1u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_D24S8, FALSE,
                                              D3DMULTISAMPLE_4_SAMPLES, nullptr),
              D3DERR_NOTAVAILABLE);

    D3DCAPS9 caps = {};
    ASSERT_EQ(d3d->GetDeviceCaps(1, D3DDEVTYPE_REF, &caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(caps.AdapterOrdinal, 1u);
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferWidth = p.BackBufferHeight = 1;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.SwapEffect = D3DSWAPEFFECT_COPY;
    p.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                &device),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_SW, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                &device),
              D3DERR_NOTAVAILABLE);
    // A profile change reaches only Direct3D objects created afterwards.
    kl::testing::UseBuiltDisplayProfile();
    EXPECT_EQ(d3d->GetAdapterCount(), 2u);
    EXPECT_EQ(d3d->Release(), 0u);
}

}  // namespace
}  // namespace kl::test
