#include "renderer/render_resources.h"

#include <cwchar>

#include "framework/console_text.h"
#include "framework/framework_state.h"
#include "renderer/effect_contract.h"

ID3DXEffect* effect = nullptr;
IDirect3DTexture9* normalTarget = nullptr;
IDirect3DTexture9* diffuseTarget = nullptr;
IDirect3DTexture9* positionTarget = nullptr;
IDirect3DTexture9* specularTarget = nullptr;
ID3DXFont* statsFont = nullptr;

QuadVertex screenQuad[4] = {};
RECT statsRect = {};

namespace {

constexpr RECT kStatsRect = {0, 0, 68, 30};

struct TargetKind {
    IDirect3DTexture9** target;
    D3DFORMAT format;
};

// Creation order; the position channel alone is A8B8G8R8.
constexpr TargetKind kTargets[] = {
    {&normalTarget, D3DFMT_A8R8G8B8},
    {&diffuseTarget, D3DFMT_A8R8G8B8},
    {&positionTarget, D3DFMT_A8B8G8R8},
    {&specularTarget, D3DFMT_A8R8G8B8},
};

template <typename T>
void ReleaseHeld(T*& object) {
    if (object == nullptr) return;
    object->Release();
    object = nullptr;
}

void CreateStatsFont(IDirect3DDevice9* device) {
    // A font that cannot be made leaves statsFont empty: the frame-rate text
    // is then not drawn, and nothing else depends on it.
    D3DXCreateFontW(device, 30, 30, FW_DONTCARE, 0, FALSE, ANSI_CHARSET, OUT_TT_ONLY_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial", &statsFont);
}

// The framework's error box says only that the reset failed; a user at a
// console also learns which file it was and where it was looked for.
void ReportEffectFailure(HRESULT hr) {
    const DWORD attributes = GetFileAttributesW(kEffectPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ReportUnopenedFile(kEffectPath, L", the effect file");
        return;
    }
    wchar_t code[16];
    std::swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
    WriteStandardError(std::wstring(L"The effect file \"") + kEffectPath +
                       L"\" did not load: error 0x" + code + L"\n");
}

}  // namespace

bool CALLBACK AcceptDevice(D3DCAPS9* caps, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                           bool windowed, void* context) {
    IDirect3D9* direct3d = GetFrameworkState().GetDirect3D();
    if (direct3d == nullptr || caps == nullptr) return false;
    return SUCCEEDED(direct3d->CheckDeviceFormat(
        caps->AdapterOrdinal, caps->DeviceType, adapterFormat,
        D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING, D3DRTYPE_TEXTURE, backBufferFormat));
}

bool CALLBACK AdjustDeviceSettings(DeviceSettings* settings, const D3DCAPS9* caps, void* context) {
    return true;
}

HRESULT CALLBACK AcquireRenderResources(IDirect3DDevice9* device,
                                        const D3DSURFACE_DESC* backBufferDesc, void* context) {
    // The framework releases between acquisitions; should it not have, the
    // objects still held are dropped here rather than leaked with their
    // references on the device.
    ReleaseRenderResources(context);
    if (device == nullptr || backBufferDesc == nullptr) return D3DERR_INVALIDCALL;

    HRESULT hr = D3DXCreateEffectFromFileW(device, kEffectPath, nullptr, nullptr, 0, nullptr,
                                           &effect, nullptr);
    if (FAILED(hr)) {
        ReportEffectFailure(hr);
        return hr;
    }
    for (const TargetKind& kind : kTargets) {
        hr = D3DXCreateTexture(device, backBufferDesc->Width, backBufferDesc->Height, 1,
                               D3DUSAGE_RENDERTARGET, kind.format, D3DPOOL_DEFAULT, kind.target);
        if (FAILED(hr)) return hr;
    }
    FillScreenQuad();
    CreateStatsFont(device);
    statsRect = kStatsRect;
    return S_OK;
}

void CALLBACK ReleaseRenderResources(void* context) {
    ReleaseHeld(statsFont);
    ReleaseHeld(effect);
    ReleaseHeld(normalTarget);
    ReleaseHeld(diffuseTarget);
    ReleaseHeld(positionTarget);
    ReleaseHeld(specularTarget);
}

void FillScreenQuad() {
    // Clockwise on screen as a fan (0, 1, 2), (0, 2, 3), so culling of
    // counter-clockwise faces keeps both triangles; z = 1 is the far plane.
    screenQuad[0] = {-1.0f, -1.0f, 1.0f, 0.0f, 1.0f};
    screenQuad[1] = {-1.0f, 1.0f, 1.0f, 0.0f, 0.0f};
    screenQuad[2] = {1.0f, 1.0f, 1.0f, 1.0f, 0.0f};
    screenQuad[3] = {1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
}
