// A synthetic Direct3D 9 for testing device management without rendering:
// the Direct3D object answers every question from a small hardware
// description, and its devices record what the framework does to them.
#pragma once

#include <d3d9.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "null_device.h"

namespace kl::fake {

struct FakeDeviceType {
    D3DDEVTYPE type = D3DDEVTYPE_HAL;
    DWORD devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    DWORD presentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    // What the one-pixel trial device (and every CreateDevice) answers.
    HRESULT createResult = S_OK;
};

struct FakeAdapter {
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;
    std::vector<FakeDeviceType> types;
    // (adapter format, back-buffer format) pairs CheckDeviceType accepts.
    std::vector<std::pair<D3DFORMAT, D3DFORMAT>> formatPairs;
    // Pairs accepted only windowed.
    std::vector<std::pair<D3DFORMAT, D3DFORMAT>> windowedOnlyPairs;
    std::vector<D3DFORMAT> withoutBlending;  // fail the post-pixel-shader blending test
    std::vector<D3DFORMAT> depthFormats;
    std::vector<std::pair<D3DMULTISAMPLE_TYPE, DWORD>> multisample{{D3DMULTISAMPLE_NONE, 1}};
    std::vector<D3DFORMAT> withoutMultisample;  // back-buffer formats with no type at all
    std::vector<std::pair<D3DFORMAT, D3DMULTISAMPLE_TYPE>> conflicts;
    HMONITOR monitor = nullptr;
};

struct Hardware {
    std::vector<FakeAdapter> adapters;
};

// One adapter: desktop 1024x768 X8R8G8B8 at 60 Hz; modes 640x480, 800x600
// and 1024x768 at 60 Hz in X8R8G8B8; a HAL with hardware transform and
// lighting; X8R8G8B8 and A8R8G8B8 back buffers on an X8R8G8B8 display;
// depth formats D16, D24X8, D24S8, D32; no multisampling beyond NONE.
FakeAdapter StandardAdapter();

// Everything that happened, in order: the framework's callbacks as the test
// records them and the devices' calls ("Reset", "Release", "TestCooperativeLevel").
std::vector<std::string>& Events();
std::vector<std::string> EventsMatching(const std::vector<std::string>& names);

class FakeDevice;

class FakeDirect3D final : public IDirect3D9 {
public:
    explicit FakeDirect3D(Hardware hardware);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                   D3DADAPTER_IDENTIFIER9* identifier) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                               D3DDISPLAYMODE* result) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type,
                                              D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                              BOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type,
                                                D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType,
                                                D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type,
                                                         D3DFORMAT surfaceFormat, BOOL windowed,
                                                         D3DMULTISAMPLE_TYPE multisample,
                                                         DWORD* qualityLevels) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type,
                                                     D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat,
                                                     D3DFORMAT depthFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                           DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                           IDirect3DDevice9** device) override;

    Hardware hardware;
    int createCalls = 0;
    // Behaviour flags of every CreateDevice call.
    std::vector<DWORD> createFlags;

private:
    const FakeAdapter* Adapter(UINT adapter) const;
    const FakeDeviceType* Type(UINT adapter, D3DDEVTYPE type) const;
    ULONG references = 1;
};

class FakeDevice final : public kl::test::NullDevice {
public:
    FakeDevice(D3DDEVTYPE type, DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& params,
               const D3DCAPS9& caps);

    // Answers TestCooperativeLevel gives before it answers S_OK.
    std::deque<HRESULT> cooperativeAnswers;
    std::deque<HRESULT> resetAnswers;
    HRESULT presentAnswer = S_OK;
    int presents = 0;
    int resets = 0;
    D3DDEVTYPE type;
    DWORD behaviorFlags;
    D3DPRESENT_PARAMETERS params;
    D3DCAPS9 caps;
    ULONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* result) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT x, UINT y,
                                                  IDirect3DSurface9* bitmap) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* newParams) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* dest, HWND window,
                                      const RGNDATA* dirty) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE kind,
                                            IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9*) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE, DWORD) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD, IDirect3DBaseTexture9*) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override;
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT*) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT,
                                                   UINT) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT,
                                                     const void*, D3DFORMAT, const void*,
                                                     UINT) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9*) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9*) override;
};

}  // namespace kl::fake
