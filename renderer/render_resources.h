// The renderer's objects in device memory, made at every device reset and
// dropped at every loss, and the two callbacks that take part in choosing the
// device.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include "device/device_settings.h"

// One corner of the full-screen lighting quad: clip-space position and
// texture coordinate (D3DFVF_XYZ | D3DFVF_TEX1).
struct QuadVertex {
    float x, y, z;
    float u, v;
};
constexpr DWORD kQuadVertexFormat = D3DFVF_XYZ | D3DFVF_TEX1;

// One reference each while held, null otherwise.
extern ID3DXEffect* effect;
extern IDirect3DTexture9* normalTarget;
extern IDirect3DTexture9* diffuseTarget;
extern IDirect3DTexture9* positionTarget;
extern IDirect3DTexture9* specularTarget;
extern ID3DXFont* statsFont;

extern QuadVertex screenQuad[4];
extern RECT statsRect;

// Keeps only configurations whose back-buffer format can be blended into
// after the pixel shader (the lighting passes add into the back buffer).
bool CALLBACK AcceptDevice(D3DCAPS9* caps, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                           bool windowed, void* context);

// Accepts the chosen settings unchanged.
bool CALLBACK AdjustDeviceSettings(DeviceSettings* settings, const D3DCAPS9* caps, void* context);

// The device-reset callback: the effect, the four geometry-buffer targets at
// the back buffer's size, the screen quad, the statistics font and its
// rectangle. Returns the first failing effect or texture result.
HRESULT CALLBACK AcquireRenderResources(IDirect3DDevice9* device,
                                        const D3DSURFACE_DESC* backBufferDesc, void* context);

// The device-lost callback: releases whatever of the six objects is held.
void CALLBACK ReleaseRenderResources(void* context);

// Writes the four corners of screenQuad.
void FillScreenQuad();
