// The test hooks of platform/testing/display.h and platform/testing/surfaces.h.
#include "d3d9/device.h"
#include "d3d9/display_profile.h"
#include "d3d9/surface.h"
#include "testing/display.h"
#include "testing/surfaces.h"

namespace kl::testing {

void SetDisplayProfile(const kl::d3d9::DisplayProfile& profile) {
    kl::d3d9::SetDisplayProfileOverride(&profile);
}

void UseBuiltDisplayProfile() {
    kl::d3d9::SetDisplayProfileOverride(nullptr);
}

kl::d3d9::DisplayProfile VirtualDisplayProfile() {
    return kl::d3d9::VirtualDisplayProfile();
}

bool ReadSurfaceRgba8(IDirect3DSurface9* surface, std::vector<uint8_t>* pixels, UINT* width,
                      UINT* height) {
    if (!surface || !pixels) return false;
    auto* s = static_cast<kl::d3d9::Surface*>(surface);
    if (width) *width = s->Width();
    if (height) *height = s->Height();
    return s->ReadRgba8(pixels);
}

bool ReadBackBufferRgba8(IDirect3DDevice9* device, std::vector<uint8_t>* pixels, UINT* width,
                         UINT* height) {
    if (!device) return false;
    return ReadSurfaceRgba8(kl::d3d9::AsDevice(device)->BackBufferSurface(), pixels, width, height);
}

void ForceDeviceLoss(IDirect3DDevice9* device) {
    kl::d3d9::AsDevice(device)->ForceLoss(true);
}

void EndForcedDeviceLoss(IDirect3DDevice9* device) {
    kl::d3d9::AsDevice(device)->ForceLoss(false);
}

uint64_t PresentedFrameCount(IDirect3DDevice9* device) {
    return kl::d3d9::AsDevice(device)->PresentedFrames();
}

uint64_t SkippedGlCallCount(IDirect3DDevice9* device) {
    return kl::d3d9::AsDevice(device)->SkippedGlCalls();
}

}  // namespace kl::testing
