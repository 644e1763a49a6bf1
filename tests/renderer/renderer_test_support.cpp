#include "renderer_test_support.h"

#include <algorithm>
#include <iterator>

#include "app/scene.h"
#include "renderer/effect_contract.h"
#include "renderer/frame_controls.h"

namespace kl::test {

void ResetRendererState() {
    std::fill(std::begin(keyState), std::end(keyState), false);
    renderMode = RenderMode::Deferred;
    channelTechnique = kRenderDiffuseToTexture;
    D3DXMatrixTranslation(&cameraMatrix, 0.0f, 0.0f, -100.0f);
    origin = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    aspectRatio = 1.0f;
    meshList = nullptr;
    meshCount = 0;
    lightList = nullptr;
    lightCount = 0;
}

void PressKey(WPARAM key) {
    bool noFurtherProcessing = false;
    HandleWindowMessage(nullptr, WM_KEYDOWN, key, 0, &noFurtherProcessing, nullptr);
}

void ReleaseKey(WPARAM key) {
    bool noFurtherProcessing = false;
    HandleWindowMessage(nullptr, WM_KEYUP, key, 0, &noFurtherProcessing, nullptr);
}

D3DXVECTOR3 Row(const D3DXMATRIX& m, int r) {
    return D3DXVECTOR3(m.m[r][0], m.m[r][1], m.m[r][2]);
}

}  // namespace kl::test
