// What it takes to create a Direct3D 9 device, and the rules by which a
// request for one may be matched against what the hardware offers.
#pragma once

#include <d3d9.h>

#include <cstdint>

// The adapter, device type, display format, behaviour flags and presentation
// parameters of a device. All zero means nothing is chosen.
struct DeviceSettings {
    UINT adapterOrdinal;
    D3DDEVTYPE deviceType;
    D3DFORMAT adapterFormat;
    DWORD behaviorFlags;
    D3DPRESENT_PARAMETERS presentParams;
};

// How a search may treat one aspect of a requested DeviceSettings.
enum MatchRule : uint32_t {
    Free = 0,     // ignore the request; aim at the default
    Keep = 1,     // only combinations that meet the request exactly
    Nearest = 2,  // come as near to the request as the hardware allows
};

// One rule per aspect of DeviceSettings, in this order.
struct MatchRules {
    MatchRule adapterOrdinal;
    MatchRule deviceType;
    MatchRule windowed;
    MatchRule adapterFormat;
    MatchRule vertexProcessing;
    MatchRule resolution;
    MatchRule backBufferFormat;
    MatchRule backBufferCount;
    MatchRule multisample;
    MatchRule swapEffect;
    MatchRule depthFormat;
    MatchRule stencilFormat;
    MatchRule presentFlags;
    MatchRule refreshRate;
    MatchRule presentInterval;
};

// Bits per colour channel of a display or back-buffer format; 0 for formats
// that are not plain RGB colour formats.
UINT FormatChannelBits(D3DFORMAT format);
// Depth bits of a depth/stencil format; 0 for other formats.
UINT FormatDepthBits(D3DFORMAT format);
// Stencil bits of a depth/stencil format; 0 for other formats.
UINT FormatStencilBits(D3DFORMAT format);
