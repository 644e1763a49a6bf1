// A device, textures, an effect and a font that draw nothing and write every
// call the renderer makes into one shared log, one line per call, so the
// order of a frame's steps can be checked without a GPU.
#pragma once

#include <d3dx9.h>

#include <string>
#include <vector>

#include "null_device.h"
#include "null_effect.h"

namespace kl::test {

using CallLog = std::vector<std::string>;

// A render-target surface of a named texture (or the back buffer).
class RecordingSurface final : public IDirect3DSurface9 {
public:
    explicit RecordingSurface(std::string name) : name(std::move(name)) {}
    std::string name;
    ULONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRect() override { return E_NOTIMPL; }
};

class RecordingTexture final : public IDirect3DTexture9 {
public:
    explicit RecordingTexture(std::string name) : surface(name), name(std::move(name)) {}
    RecordingSurface surface;
    std::string name;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE SetLOD(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetLOD() override { return 0; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override {
        return E_NOTIMPL;
    }
    D3DTEXTUREFILTERTYPE STDMETHODCALLTYPE GetAutoGenFilterType() override { return D3DTEXF_NONE; }
    void STDMETHODCALLTYPE GenerateMipSubLevels() override {}
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT, D3DSURFACE_DESC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** out) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT, D3DLOCKED_RECT*, const RECT*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT*) override { return E_NOTIMPL; }
};

class RecordingDevice final : public kl::test::NullDevice {
public:
    explicit RecordingDevice(CallLog* log) : NullDevice(E_NOTIMPL), log_(log) {}
    RecordingSurface backBuffer{"backbuffer"};
    // What BeginScene answers for each call in turn; S_OK once used up.
    std::vector<HRESULT> beginSceneResults;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** out) override;
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                          IDirect3DSurface9* target, const RECT* targetRect,
                                          D3DTEXTUREFILTERTYPE filter) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                                    float z, DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count,
                                              const void* vertices, UINT stride) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;

private:
    CallLog* log_;
};

class RecordingEffect final : public kl::test::NullEffect {
public:
    explicit RecordingEffect(CallLog* log) : log_(log) {}
    // The matrices handed to SetMatrix, in call order.
    std::vector<D3DXMATRIX> matrices;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE name, FLOAT value) override;
    HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE name, const D3DXVECTOR4* value) override;
    HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE name, const D3DXMATRIX* value) override;
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE name, LPDIRECT3DBASETEXTURE9 value) override;
    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE technique) override;
    HRESULT STDMETHODCALLTYPE Begin(UINT* passes, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE BeginPass(UINT pass) override;
    HRESULT STDMETHODCALLTYPE CommitChanges() override;
    HRESULT STDMETHODCALLTYPE EndPass() override;
    HRESULT STDMETHODCALLTYPE End() override;
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }

private:
    CallLog* log_;
};

class RecordingFont final : public ID3DXFont {
public:
    explicit RecordingFont(CallLog* log) : log_(log) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9*) override { return E_NOTIMPL; }
    INT STDMETHODCALLTYPE DrawTextW(LPD3DXSPRITE, LPCWSTR text, INT count, LPRECT rect,
                                    DWORD format, D3DCOLOR colour) override;
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }

private:
    CallLog* log_;
};

}  // namespace kl::test
