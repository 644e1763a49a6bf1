// The forward road: Classic lights each mesh with a technique chosen by the
// light's kind; ChannelView draws the chosen geometry-buffer technique once
// per light. Both add every light, the first included, to a cleared black.
#include "app/scene.h"
#include "renderer/draw_frame.h"
#include "renderer/effect_contract.h"
#include "renderer/frame_controls.h"
#include "renderer/render_resources.h"
#include "renderer/scene_drawing.h"
#include "renderer/statistics.h"

namespace {

const char* ClassicTechniqueFor(int kind) {
    switch (static_cast<LightKind>(kind)) {
        case LightKind::Sun:
            return kRenderClassicSun;
        case LightKind::Point:
        case LightKind::PulsingPoint:
            return kRenderClassicPoint;
    }
    return nullptr;
}

const char* ForwardTechniqueFor(int kind) {
    return renderMode == RenderMode::ChannelView ? channelTechnique : ClassicTechniqueFor(kind);
}

void SetAdditiveBlending(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

}  // namespace

HRESULT RenderForwardLighting(IDirect3DDevice9* device) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    const HRESULT began = device->BeginScene();
    if (FAILED(began)) return began;
    if (effect != nullptr) {
        for (int i = 0; i < lightCount; ++i) {
            SetAdditiveBlending(device);
            const char* technique = ForwardTechniqueFor(lightList[i].kind);
            if (technique == nullptr) continue;
            SetLightParameters(lightList[i]);
            DrawSceneMeshes(device, technique);
        }
    }
    DrawStatistics();
    return device->EndScene();
}
