// A Direct3D device that does nothing: every call answers the failure the fake
// chooses (D3DERR_INVALIDCALL unless told otherwise) and every count or flag is
// 0. The fakes of the test areas derive from it and override only the calls
// they record; each keeps its own reference counting.
#pragma once

#include <d3d9.h>

namespace kl::test {

class NullDevice : public IDirect3DDevice9 {
public:
    explicit NullDevice(HRESULT unsupported = D3DERR_INVALIDCALL) : unsupported_(unsupported) {}
    virtual ~NullDevice() = default;

    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { return unsupported_; }
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9**) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT, D3DDISPLAYMODE*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT, UINT, IDirect3DSurface9*) override {
        return unsupported_;
    }
    void STDMETHODCALLTYPE SetCursorPosition(int, int, DWORD) override {}
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL) override { return 0; }
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE,
                                            IDirect3DSurface9**) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                            IDirect3DTexture9**, HANDLE*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL,
                                                 IDirect3DVertexBuffer9**, HANDLE*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL,
                                                IDirect3DIndexBuffer9**, HANDLE*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*,
                                          const RECT*, D3DTEXTUREFILTERTYPE) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL,
                                                          IDirect3DSurface9**, HANDLE*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD, IDirect3DSurface9*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD, IDirect3DSurface9**) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE BeginScene() override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE EndScene() override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE, DWORD) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE, DWORD*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD, IDirect3DBaseTexture9**) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD, IDirect3DBaseTexture9*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetScissorRect(RECT*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT,
                                                   UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT,
                                                     const void*, D3DFORMAT, const void*,
                                                     UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9*,
                                                      IDirect3DVertexDeclaration9**) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9**) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*,
                                              UINT*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9**) override { return unsupported_; }

protected:
    HRESULT unsupported_;
};

}  // namespace kl::test
