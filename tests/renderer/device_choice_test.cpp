// AcceptDevice against synthetic hardware: a configuration is kept exactly
// when the adapter can blend into a texture of the back buffer's format.
#include <gtest/gtest.h>

#include "framework/framework_state.h"
#include "renderer/render_resources.h"
#include "testing/display.h"

namespace kl::test {
namespace {

TEST(AcceptDevice, KeepsOnlyBackBufferFormatsThatBlend) {
    kl::d3d9::DisplayProfile profile = kl::testing::VirtualDisplayProfile();
    ASSERT_FALSE(profile.adapters.empty());
    profile.adapters[0].blendingFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
    kl::testing::SetDisplayProfile(profile);
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d, nullptr);
    GetFrameworkState().SetDirect3D(direct3d);

    D3DCAPS9 caps{};
    caps.AdapterOrdinal = 0;
    caps.DeviceType = D3DDEVTYPE_HAL;
    EXPECT_TRUE(AcceptDevice(&caps, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true, nullptr));
    EXPECT_TRUE(AcceptDevice(&caps, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false, nullptr));
    EXPECT_FALSE(AcceptDevice(&caps, D3DFMT_R5G6B5, D3DFMT_R5G6B5, true, nullptr));
    EXPECT_FALSE(AcceptDevice(&caps, D3DFMT_X8R8G8B8, D3DFMT_A2R10G10B10, true, nullptr));
    caps.AdapterOrdinal = 7;  // no such adapter
    EXPECT_FALSE(AcceptDevice(&caps, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true, nullptr));

    GetFrameworkState().SetDirect3D(nullptr);
    direct3d->Release();
}

}  // namespace
}  // namespace kl::test
