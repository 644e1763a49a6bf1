// The frame-render callback and the passes it chooses between.
#pragma once

#include <windows.h>
#include <d3d9.h>

// Draws one frame in the current render mode: the geometry-buffer pass and
// the deferred lighting pass, or the forward pass. Returns the result of the
// frame's last EndScene, or the failure of its last BeginScene.
HRESULT CALLBACK DrawFrame(IDirect3DDevice9* device, double time, float elapsed, void* context);

// Renders the four geometry-buffer channels, each into the back buffer and
// copied into its target.
void RenderGeometryBuffer(IDirect3DDevice9* device);

// Composes the picture from the geometry buffer, one screen quad per light,
// then the statistics text.
HRESULT RenderDeferredLighting(IDirect3DDevice9* device);

// Draws every mesh once per light straight into the back buffer (Classic and
// ChannelView), then the statistics text.
HRESULT RenderForwardLighting(IDirect3DDevice9* device);
