// Mode keys are applied in table order, so when several are held the last
// one wins; a pair of opposite movement keys held together resolves to the
// direction in the pair's last column.
#include "renderer/frame_controls.h"

#include "app/scene.h"
#include "renderer/camera.h"
#include "renderer/effect_contract.h"

bool keyState[kKeyCount] = {};
RenderMode renderMode = RenderMode::Deferred;
const char* channelTechnique = kRenderDiffuseToTexture;

namespace {

struct ModeKey {
    WPARAM key;
    RenderMode mode;
    const char* technique;  // ChannelView only
};

constexpr ModeKey kModeKeys[] = {
    {'1', RenderMode::ChannelView, kRenderDiffuseToTexture},
    {'2', RenderMode::ChannelView, kRenderSpecularToTexture},
    {'3', RenderMode::ChannelView, kRenderPositionToTexture},
    {'4', RenderMode::ChannelView, kRenderNormalToTexture},
    {'5', RenderMode::Classic, nullptr},
    {'0', RenderMode::Deferred, nullptr},
};

struct AxisKeys {
    WPARAM plus;
    WPARAM minus;
    float bothHeld;
};

// dx, dy, dz, yaw, pitch, roll.
constexpr AxisKeys kAxes[6] = {
    {'D', 'A', +1.0f},           // right
    {VK_PRIOR, VK_NEXT, +1.0f},  // up
    {'W', 'S', -1.0f},           // forward
    {VK_RIGHT, VK_LEFT, -1.0f},  // yaw
    {VK_UP, VK_DOWN, -1.0f},     // pitch
    {'Q', 'E', +1.0f},           // roll
};

bool Held(WPARAM key) {
    return keyState[key];
}

void ApplyModeKeys() {
    for (const ModeKey& entry : kModeKeys) {
        if (!Held(entry.key)) continue;
        renderMode = entry.mode;
        if (entry.technique != nullptr) channelTechnique = entry.technique;
    }
}

float AxisValue(const AxisKeys& axis) {
    const bool plus = Held(axis.plus);
    const bool minus = Held(axis.minus);
    if (plus && minus) return axis.bothHeld;
    if (plus) return 1.0f;
    if (minus) return -1.0f;
    return 0.0f;
}

bool AnyMovementKeyHeld() {
    for (const AxisKeys& axis : kAxes) {
        if (Held(axis.plus) || Held(axis.minus)) return true;
    }
    return false;
}

// value × elapsed × speed, rounded to float after each product.
float Scaled(float value, float elapsed, float speed) {
    const float timed = value * elapsed;
    return timed * speed;
}

}  // namespace

LRESULT CALLBACK HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     bool* noFurtherProcessing, void* context) {
    switch (message) {
        case WM_SIZE:
            aspectRatio = AspectRatioFromSize(lParam);
            break;
        case WM_KEYDOWN:
            if (wParam < kKeyCount) keyState[wParam] = true;
            break;
        case WM_KEYUP:
            if (wParam < kKeyCount) keyState[wParam] = false;
            break;
        default:
            break;
    }
    return 0;
}

bool ApplyControls(float moveSpeed, float turnSpeed, float elapsed) {
    ApplyModeKeys();
    if (!AnyMovementKeyHeld()) return false;
    float axis[6];
    for (int i = 0; i < 6; ++i) axis[i] = AxisValue(kAxes[i]);
    MoveCamera(Scaled(axis[0], elapsed, moveSpeed), Scaled(axis[1], elapsed, moveSpeed),
               Scaled(axis[2], elapsed, moveSpeed), Scaled(axis[3], elapsed, turnSpeed),
               Scaled(axis[4], elapsed, turnSpeed), Scaled(axis[5], elapsed, turnSpeed));
    return true;
}

void CALLBACK UpdateFrame(IDirect3DDevice9* device, double time, float elapsed, void* context) {
    ApplyControls(kMoveSpeed, kTurnSpeed, elapsed);
    for (int i = 0; i < meshCount; ++i) {
        meshList[i].UpdateTransforms(device, origin, cameraMatrix, aspectRatio);
    }
    for (int i = 0; i < lightCount; ++i) {
        lightList[i].Update(device, origin, cameraMatrix, aspectRatio, time);
    }
}
