// The synthetic Direct3D object and device.
#include "fake_direct3d.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace kl::fake {

namespace {

template <typename T>
bool Has(const std::vector<T>& list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool IsDepthFormat(D3DFORMAT format) {
    return format == D3DFMT_D16 || format == D3DFMT_D15S1 || format == D3DFMT_D24X8 ||
           format == D3DFMT_D24S8 || format == D3DFMT_D24X4S4 || format == D3DFMT_D32;
}

// The back buffer: only its description matters here.
class FakeSurface final : public IDirect3DSurface9 {
public:
    explicit FakeSurface(const D3DSURFACE_DESC& desc) : desc(desc) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return D3DERR_INVALIDCALL; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID, void**) override { return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* result) override {
        *result = desc;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRect() override { return D3DERR_INVALIDCALL; }

private:
    ~FakeSurface() = default;
    D3DSURFACE_DESC desc;
    ULONG references = 1;
};

}  // namespace

FakeAdapter StandardAdapter() {
    FakeAdapter adapter;
    adapter.modes = {{640, 480, 60, D3DFMT_X8R8G8B8},
                     {800, 600, 60, D3DFMT_X8R8G8B8},
                     {1024, 768, 60, D3DFMT_X8R8G8B8}};
    adapter.types = {FakeDeviceType{}};
    adapter.formatPairs = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8}};
    adapter.depthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
    return adapter;
}

std::vector<std::string>& Events() {
    static std::vector<std::string> events;
    return events;
}

std::vector<std::string> EventsMatching(const std::vector<std::string>& names) {
    std::vector<std::string> matching;
    for (const std::string& event : Events()) {
        if (Has(names, event)) matching.push_back(event);
    }
    return matching;
}

FakeDirect3D::FakeDirect3D(Hardware description) : hardware(std::move(description)) {}

const FakeAdapter* FakeDirect3D::Adapter(UINT adapter) const {
    return adapter < hardware.adapters.size() ? &hardware.adapters[adapter] : nullptr;
}

const FakeDeviceType* FakeDirect3D::Type(UINT adapter, D3DDEVTYPE type) const {
    const FakeAdapter* described = Adapter(adapter);
    if (!described) return nullptr;
    for (const FakeDeviceType& candidate : described->types) {
        if (candidate.type == type) return &candidate;
    }
    return nullptr;
}

HRESULT FakeDirect3D::QueryInterface(REFIID, void**) {
    return E_NOINTERFACE;
}
ULONG FakeDirect3D::AddRef() {
    return ++references;
}
ULONG FakeDirect3D::Release() {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
}

UINT FakeDirect3D::GetAdapterCount() {
    return static_cast<UINT>(hardware.adapters.size());
}

HRESULT FakeDirect3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) {
    if (!Adapter(adapter) || !id) return D3DERR_INVALIDCALL;
    *id = {};
    std::strcpy(id->Description, "Synthetic adapter");
    id->DeviceId = adapter + 1;
    return S_OK;
}

UINT FakeDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    const FakeAdapter* described = Adapter(adapter);
    if (!described) return 0;
    return static_cast<UINT>(
        std::count_if(described->modes.begin(), described->modes.end(),
                      [&](const D3DDISPLAYMODE& m) { return m.Format == format; }));
}

HRESULT FakeDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index,
                                       D3DDISPLAYMODE* result) {
    const FakeAdapter* described = Adapter(adapter);
    if (!described || !result) return D3DERR_INVALIDCALL;
    UINT seen = 0;
    for (const D3DDISPLAYMODE& mode : described->modes) {
        if (mode.Format != format) continue;
        if (seen++ == index) {
            *result = mode;
            return S_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT FakeDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    const FakeAdapter* described = Adapter(adapter);
    if (!described || !mode) return D3DERR_INVALIDCALL;
    *mode = described->desktop;
    return S_OK;
}

HRESULT FakeDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                      D3DFORMAT backBufferFormat, BOOL windowed) {
    const FakeAdapter* described = Adapter(adapter);
    if (!described || !Type(adapter, type)) return D3DERR_INVALIDCALL;
    const std::pair<D3DFORMAT, D3DFORMAT> pair{adapterFormat, backBufferFormat};
    if (Has(described->formatPairs, pair)) return S_OK;
    if (windowed && Has(described->windowedOnlyPairs, pair)) return S_OK;
    return D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage,
                                        D3DRESOURCETYPE resourceType, D3DFORMAT format) {
    const FakeAdapter* described = Adapter(adapter);
    if (!described || !Type(adapter, type)) return D3DERR_INVALIDCALL;
    if (usage == D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING && resourceType == D3DRTYPE_TEXTURE) {
        return Has(described->withoutBlending, format) ? D3DERR_NOTAVAILABLE : S_OK;
    }
    if (usage == D3DUSAGE_DEPTHSTENCIL && resourceType == D3DRTYPE_SURFACE) {
        return Has(described->depthFormats, format) ? S_OK : D3DERR_NOTAVAILABLE;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type,
                                                 D3DFORMAT surfaceFormat, BOOL,
                                                 D3DMULTISAMPLE_TYPE multisample,
                                                 DWORD* qualityLevels) {
    const FakeAdapter* described = Adapter(adapter);
    if (!described || !Type(adapter, type)) return D3DERR_INVALIDCALL;
    if (Has(described->withoutMultisample, surfaceFormat)) return D3DERR_NOTAVAILABLE;
    if (IsDepthFormat(surfaceFormat) && Has(described->conflicts, {surfaceFormat, multisample})) {
        return D3DERR_NOTAVAILABLE;
    }
    for (const auto& [offered, levels] : described->multisample) {
        if (offered != multisample) continue;
        if (qualityLevels) *qualityLevels = levels;
        return S_OK;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT,
                                             D3DFORMAT depthFormat) {
    const FakeAdapter* described = Adapter(adapter);
    if (!described || !Type(adapter, type)) return D3DERR_INVALIDCALL;
    return Has(described->depthFormats, depthFormat) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    const FakeDeviceType* described = Type(adapter, type);
    if (!described || !caps) return D3DERR_NOTAVAILABLE;
    *caps = {};
    caps->DeviceType = type;
    caps->AdapterOrdinal = adapter;
    caps->DevCaps = described->devCaps;
    caps->PresentationIntervals = described->presentationIntervals;
    return S_OK;
}

HMONITOR FakeDirect3D::GetAdapterMonitor(UINT adapter) {
    const FakeAdapter* described = Adapter(adapter);
    return described ? described->monitor : nullptr;
}

HRESULT FakeDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD behaviorFlags,
                                   D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) {
    ++createCalls;
    createFlags.push_back(behaviorFlags);
    if (!device || !params) return D3DERR_INVALIDCALL;
    *device = nullptr;
    const FakeDeviceType* described = Type(adapter, type);
    if (!described) return D3DERR_NOTAVAILABLE;
    if (FAILED(described->createResult)) return described->createResult;
    D3DCAPS9 caps{};
    GetDeviceCaps(adapter, type, &caps);
    *device = new FakeDevice(type, behaviorFlags, *params, caps);
    return S_OK;
}

FakeDevice::FakeDevice(D3DDEVTYPE type, DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& params,
                       const D3DCAPS9& caps)
    : type(type), behaviorFlags(behaviorFlags), params(params), caps(caps) {}

HRESULT FakeDevice::QueryInterface(REFIID, void**) {
    return E_NOINTERFACE;
}
ULONG FakeDevice::AddRef() {
    return ++references;
}
ULONG FakeDevice::Release() {
    const ULONG left = --references;
    if (left == 0) {
        Events().push_back("Release");
        delete this;
    }
    return left;
}

HRESULT FakeDevice::TestCooperativeLevel() {
    Events().push_back("TestCooperativeLevel");
    if (cooperativeAnswers.empty()) return S_OK;
    const HRESULT answer = cooperativeAnswers.front();
    cooperativeAnswers.pop_front();
    return answer;
}

// As on Windows, a windowed back buffer of 0 x 0 takes the device window's
// client size, and the chosen size is written back to the caller's record.
HRESULT FakeDevice::Reset(D3DPRESENT_PARAMETERS* newParams) {
    Events().push_back("Reset");
    ++resets;
    if (!resetAnswers.empty()) {
        const HRESULT answer = resetAnswers.front();
        resetAnswers.pop_front();
        if (FAILED(answer)) return answer;
    }
    if (newParams->Windowed && newParams->BackBufferWidth == 0 &&
        newParams->BackBufferHeight == 0) {
        RECT client{};
        GetClientRect(newParams->hDeviceWindow, &client);
        newParams->BackBufferWidth = static_cast<UINT>(client.right - client.left);
        newParams->BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
    }
    params = *newParams;
    return S_OK;
}

HRESULT FakeDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    ++presents;
    return presentAnswer;
}

HRESULT FakeDevice::GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
    D3DSURFACE_DESC desc{};
    desc.Format = params.BackBufferFormat;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = D3DUSAGE_RENDERTARGET;
    desc.Width = params.BackBufferWidth;
    desc.Height = params.BackBufferHeight;
    desc.MultiSampleType = params.MultiSampleType;
    desc.MultiSampleQuality = params.MultiSampleQuality;
    *surface = new FakeSurface(desc);
    return S_OK;
}

HRESULT FakeDevice::GetDeviceCaps(D3DCAPS9* result) {
    *result = caps;
    return S_OK;
}

// Everything below is never called by device management.
HRESULT FakeDevice::SetCursorProperties(UINT, UINT, IDirect3DSurface9*) {
    return S_OK;
}
HRESULT FakeDevice::BeginScene() {
    return S_OK;
}
HRESULT FakeDevice::EndScene() {
    return S_OK;
}
HRESULT FakeDevice::Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) {
    return S_OK;
}
HRESULT FakeDevice::SetViewport(const D3DVIEWPORT9*) {
    return S_OK;
}
HRESULT FakeDevice::SetRenderState(D3DRENDERSTATETYPE, DWORD) {
    return S_OK;
}
HRESULT FakeDevice::SetTexture(DWORD, IDirect3DBaseTexture9*) {
    return S_OK;
}
HRESULT FakeDevice::SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) {
    return S_OK;
}
HRESULT FakeDevice::SetScissorRect(const RECT*) {
    return S_OK;
}
HRESULT FakeDevice::DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) {
    return S_OK;
}
HRESULT FakeDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) {
    return S_OK;
}
HRESULT FakeDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) {
    return S_OK;
}
HRESULT FakeDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*,
                                           D3DFORMAT, const void*, UINT) {
    return S_OK;
}
HRESULT FakeDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9*) {
    return S_OK;
}
HRESULT FakeDevice::SetFVF(DWORD) {
    return S_OK;
}
HRESULT FakeDevice::SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) {
    return S_OK;
}
HRESULT FakeDevice::SetIndices(IDirect3DIndexBuffer9*) {
    return S_OK;
}

}  // namespace kl::fake
