// The hardware the Direct3D object describes: adapters, their displays, what
// they can render. Built from the real displays and the GL context's limits,
// from a virtual display when headless, or set by a test.
#pragma once

#include <d3d9.h>

#include <string>
#include <vector>

namespace kl::d3d9 {

struct MultiSampleSupport {
    D3DMULTISAMPLE_TYPE type = D3DMULTISAMPLE_NONE;
    DWORD qualityLevels = 1;
    // Surface formats (render-target and depth) that allow it; empty for all.
    std::vector<D3DFORMAT> formats;
};

struct AdapterProfile {
    std::string driver;
    std::string description;
    std::string deviceName;  // "\\\\.\\DISPLAY1"
    DWORD vendorId = 0;
    DWORD deviceId = 0;
    HMONITOR monitor = nullptr;
    D3DDISPLAYMODE desktop = {};
    std::vector<D3DDISPLAYMODE> modes;  // every format's modes
    std::vector<D3DDEVTYPE> deviceTypes;
    std::vector<D3DFORMAT> displayFormats;
    std::vector<D3DFORMAT> backBufferFormats;
    std::vector<D3DFORMAT> textureFormats;
    std::vector<D3DFORMAT> renderTargetFormats;
    // Render-target formats that allow blending after the pixel shader.
    std::vector<D3DFORMAT> blendingFormats;
    std::vector<D3DFORMAT> depthStencilFormats;
    std::vector<MultiSampleSupport> multiSample;  // beyond D3DMULTISAMPLE_NONE
    D3DCAPS9 caps = {};
};

struct DisplayProfile {
    std::vector<AdapterProfile> adapters;
};

// GL limits that shape the capabilities.
struct GlLimits {
    int maxTextureSize = 8192;
    int maxAnisotropy = 16;
    int maxDrawBuffers = 4;
    int maxVertexAttributes = 16;
};

// A plausible shader model 3 hardware device of the given type and adapter.
D3DCAPS9 MakeCaps(D3DDEVTYPE type, UINT adapter, const GlLimits& limits);

// One adapter with a virtual 1024x768 X8R8G8B8 60 Hz desktop and modes from
// 640x480 to 1920x1080 in X8R8G8B8 and R5G6B5.
DisplayProfile VirtualDisplayProfile();

// The profile the Direct3D objects created from now on answer from: the one a
// test set, else one built from the displays (virtual when headless).
const DisplayProfile& ActiveDisplayProfile();
// Copies the profile for later Direct3D objects; nullptr returns to the built one.
void SetDisplayProfileOverride(const DisplayProfile* profile);

}  // namespace kl::d3d9
