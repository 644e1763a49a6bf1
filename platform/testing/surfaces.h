// Surface read-back and device hooks for tests.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

namespace kl::testing {

// Reads a surface (a texture level, the back buffer or a memory surface) as
// RGBA8 rows, top row first; X8 formats read alpha 255. False for a surface
// that has no colour to read (depth, or a format without a conversion).
bool ReadSurfaceRgba8(IDirect3DSurface9* surface, std::vector<uint8_t>* pixels, UINT* width,
                      UINT* height);
// The device's back buffer, read the same way.
bool ReadBackBufferRgba8(IDirect3DDevice9* device, std::vector<uint8_t>* pixels, UINT* width,
                         UINT* height);

// Takes the device away as Windows does when a fullscreen application is
// deactivated: TestCooperativeLevel answers D3DERR_DEVICELOST until
// EndForcedDeviceLoss, then D3DERR_DEVICENOTRESET until a Reset.
void ForceDeviceLoss(IDirect3DDevice9* device);
void EndForcedDeviceLoss(IDirect3DDevice9* device);

// Frames Present has shown (or counted, offscreen).
uint64_t PresentedFrameCount(IDirect3DDevice9* device);
// GL calls the state cache saved because GL already held the value.
uint64_t SkippedGlCallCount(IDirect3DDevice9* device);

}  // namespace kl::testing
