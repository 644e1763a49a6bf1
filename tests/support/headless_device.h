// The headless device the drawing tests start from: the Direct3D object and a
// windowed device on the virtual desktop (rendering offscreen on Mesa).
#pragma once

#include <d3d9.h>

namespace kl::test {

// A windowed back buffer of the given size, presented immediately, with a D24S8
// depth buffer where `depthBuffer` asks for one.
D3DPRESENT_PARAMETERS HeadlessParameters(UINT width, UINT height,
                                         D3DFORMAT format = D3DFMT_X8R8G8B8,
                                         bool depthBuffer = true);

struct HeadlessDevice {
    // Creates the Direct3D object and the device; a failure fails the calling
    // test (call it under ASSERT_NO_FATAL_FAILURE where more set-up follows).
    void Create(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8,
                bool depthBuffer = true);
    // Releases the device, expecting the last reference (a leak fails the
    // test), then the Direct3D object.
    void Release();

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};

// The colour at (x, y) of render target 0 as 0xAARRGGBB, read through a
// system-memory copy as an application reads it; 0 where it cannot be read.
DWORD RenderTargetPixel(IDirect3DDevice9* device, UINT x, UINT y);

}  // namespace kl::test
