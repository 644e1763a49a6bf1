#include "headless_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace kl::test {

D3DPRESENT_PARAMETERS HeadlessParameters(UINT width, UINT height, D3DFORMAT format,
                                         bool depthBuffer) {
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = format;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = depthBuffer ? TRUE : FALSE;
    p.AutoDepthStencilFormat = depthBuffer ? D3DFMT_D24S8 : D3DFMT_UNKNOWN;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return p;
}

void HeadlessDevice::Create(UINT width, UINT height, D3DFORMAT format, bool depthBuffer) {
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS p = HeadlessParameters(width, height, format, depthBuffer);
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
              D3D_OK);
}

void HeadlessDevice::Release() {
    if (device) {
        EXPECT_EQ(device->Release(), 0u) << "something still holds the device";
    }
    device = nullptr;
    if (d3d) d3d->Release();
    d3d = nullptr;
}

DWORD RenderTargetPixel(IDirect3DDevice9* device, UINT x, UINT y) {
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* copy = nullptr;
    DWORD colour = 0;
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(device->GetRenderTarget(0, &target), D3D_OK);
    if (target) target->GetDesc(&desc);
    EXPECT_EQ(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_X8R8G8B8,
                                                  D3DPOOL_SYSTEMMEM, &copy, nullptr),
              D3D_OK);
    if (target && copy && device->GetRenderTargetData(target, copy) == D3D_OK) {
        D3DLOCKED_RECT locked{};
        if (copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            std::memcpy(&colour, static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
            copy->UnlockRect();
        }
    }
    if (copy) copy->Release();
    if (target) target->Release();
    return colour;
}

}  // namespace kl::test
