// The deferred lighting pass. Light 0 is written with the depth test on, so
// the effect's depth comparison keeps it off the background; every further
// light is added with the depth test off and the alpha test on, which drops
// the background pixels the techniques mark with alpha 0.
#include "renderer/deferred_lighting.h"

#include "app/scene.h"
#include "renderer/draw_frame.h"
#include "renderer/effect_contract.h"
#include "renderer/render_resources.h"
#include "renderer/scene_drawing.h"
#include "renderer/statistics.h"

namespace {

// The vertical field of view, near and far planes every mesh is drawn with.
constexpr float kFieldOfView = D3DX_PI / 4.0f;
constexpr float kNearPlane = 10.0f;
constexpr float kFarPlane = 1000.0f;

void SetLightStates(IDirect3DDevice9* device, int lightIndex) {
    const bool first = lightIndex == 0;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, first ? FALSE : TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, first ? FALSE : TRUE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ZENABLE, first ? D3DZB_TRUE : D3DZB_FALSE);
    if (!first) {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
}

void SetLightingMatrices(const LightingMatrices& m) {
    effect->SetMatrix(kMatWV, &m.worldView);
    effect->SetMatrix(kMatW, &m.world);
    effect->SetMatrix(kMatV, &m.view);
    effect->SetMatrix(kMatP, &m.projection);
    effect->SetMatrix(kMatWVP, &m.worldViewProjection);
    effect->SetMatrix(kMatInvTrW, &m.inverseTransposeWorld);
    effect->SetMatrix(kMatInvV, &m.inverseView);
    effect->SetMatrix(kMatInvP, &m.inverseProjection);
    effect->SetMatrix(kMatInvVP, &m.inverseViewProjection);
}

void SetGeometryBufferTextures() {
    effect->SetTexture(kTexAlfa, positionTarget);
    effect->SetTexture(kTexBump, normalTarget);
    effect->SetTexture(kTexDiffuse, diffuseTarget);
    effect->SetTexture(kTexSpecular, specularTarget);
}

void DrawScreenQuad(IDirect3DDevice9* device) {
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->SetFVF(kQuadVertexFormat);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, screenQuad, sizeof(QuadVertex));
    effect->EndPass();
    effect->End();
}

void DrawLight(IDirect3DDevice9* device, int index) {
    SetLightStates(device, index);
    const SceneLight& light = lightList[index];
    const char* technique = DeferredTechniqueFor(light.kind);
    if (technique == nullptr) return;
    effect->SetTechnique(technique);
    SetLightingMatrices(ComputeLightingMatrices(aspectRatio));
    SetGeometryBufferTextures();
    SetLightParameters(light);
    DrawScreenQuad(device);
}

}  // namespace

const char* DeferredTechniqueFor(int kind) {
    switch (static_cast<LightKind>(kind)) {
        case LightKind::Sun:
            return kRenderDSSun;
        case LightKind::Point:
        case LightKind::PulsingPoint:
            return kRenderDSPoint;
    }
    return nullptr;
}

LightingMatrices ComputeLightingMatrices(float aspect) {
    LightingMatrices m;
    D3DXMatrixTranslation(&m.world, 0.0f, 0.0f, 0.0f);
    D3DXMatrixPerspectiveFovLH(&m.projection, kFieldOfView, aspect, kNearPlane, kFarPlane);
    const D3DXVECTOR3 eye(0.0f, 0.0f, -100.0f);
    const D3DXVECTOR3 target(0.0f, 0.0f, 1000.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&m.view, &eye, &target, &up);

    D3DXMatrixMultiply(&m.worldView, &m.world, &m.view);
    D3DXMatrixIdentity(&m.worldViewProjection);
    D3DXMATRIX inverseWorld;
    D3DXMatrixInverse(&inverseWorld, nullptr, &m.world);
    D3DXMatrixTranspose(&m.inverseTransposeWorld, &inverseWorld);
    D3DXMatrixInverse(&m.inverseView, nullptr, &m.view);
    D3DXMatrixInverse(&m.inverseProjection, nullptr, &m.projection);
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &m.view, &m.projection);
    D3DXMatrixInverse(&m.inverseViewProjection, nullptr, &viewProjection);
    return m;
}

HRESULT RenderDeferredLighting(IDirect3DDevice9* device) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 0.0f, 0);
    const HRESULT began = device->BeginScene();
    if (FAILED(began)) return began;
    if (RenderResourcesHeld()) {
        for (int i = 0; i < lightCount; ++i) DrawLight(device, i);
    }
    DrawStatistics();
    return device->EndScene();
}
