// The geometry-buffer pass: each channel is rendered into the back buffer and
// copied into its texture, since the back buffer is the one target every
// device can render and resolve from. Each channel is cleared first, so the
// order of the four draws does not change their contents.
#include <d3dx9.h>

#include "renderer/draw_frame.h"
#include "renderer/effect_contract.h"
#include "renderer/frame_controls.h"
#include "renderer/render_resources.h"
#include "renderer/scene_drawing.h"

namespace {

struct GeometryChannel {
    const char* technique;
    IDirect3DTexture9** target;
};

constexpr GeometryChannel kChannels[] = {
    {kRenderDiffuseToTexture, &diffuseTarget},
    {kRenderNormalToTexture, &normalTarget},
    {kRenderSpecularToTexture, &specularTarget},
    {kRenderPositionToTexture, &positionTarget},
};

void CopyBackBufferInto(IDirect3DDevice9* device, IDirect3DTexture9* target) {
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* targetSurface = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    target->GetSurfaceLevel(0, &targetSurface);
    if (backBuffer != nullptr && targetSurface != nullptr) {
        device->StretchRect(backBuffer, nullptr, targetSurface, nullptr, D3DTEXF_LINEAR);
    }
    if (backBuffer != nullptr) backBuffer->Release();
    if (targetSurface != nullptr) targetSurface->Release();
}

}  // namespace

void RenderGeometryBuffer(IDirect3DDevice9* device) {
    if (!RenderResourcesHeld()) return;
    // The previous frame's lights leave additive blending on; a channel drawn
    // with it would sum overlapping surfaces into meaningless codes.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    for (const GeometryChannel& channel : kChannels) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
        if (SUCCEEDED(device->BeginScene())) {
            DrawSceneMeshes(device, channel.technique);
            device->EndScene();
        }
        // A channel whose scene did not begin is still copied: its target
        // then holds the cleared colour.
        CopyBackBufferInto(device, *channel.target);
    }
}

HRESULT CALLBACK DrawFrame(IDirect3DDevice9* device, double time, float elapsed, void* context) {
    if (renderMode == RenderMode::Deferred) {
        RenderGeometryBuffer(device);
        return RenderDeferredLighting(device);
    }
    return RenderForwardLighting(device);
}
