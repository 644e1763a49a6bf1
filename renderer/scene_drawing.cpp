#include "renderer/scene_drawing.h"

#include "app/scene.h"
#include "renderer/effect_contract.h"
#include "renderer/render_resources.h"

void DrawSceneMeshes(IDirect3DDevice9* device, const char* technique) {
    for (int i = 0; i < meshCount; ++i) meshList[i].Draw(device, effect, technique);
}

void SetLightParameters(const SceneLight& light) {
    effect->SetVector(kLightColour, &light.colour);
    effect->SetVector(kLightDirection, &light.viewDirection);
    effect->SetVector(kLightPosition, &light.viewPosition);
    effect->SetFloat(kLightRadius, light.radius);
}

bool RenderResourcesHeld() {
    return effect != nullptr && normalTarget != nullptr && diffuseTarget != nullptr &&
           positionTarget != nullptr && specularTarget != nullptr;
}
