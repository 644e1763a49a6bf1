// An effect that does nothing: every call answers the failure the fake chooses
// (E_NOTIMPL unless told otherwise) and every handle is null. The recording
// effects of the test areas derive from it and override only what they record;
// each keeps its own reference counting.
#pragma once

#include <d3dx9.h>

namespace kl::test {

class NullEffect : public ID3DXEffect {
public:
    explicit NullEffect(HRESULT unsupported = E_NOTIMPL) : unsupported_(unsupported) {}
    virtual ~NullEffect() = default;

    HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE, D3DXPARAMETER_DESC*) override {
        return unsupported_;
    }
    D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE, UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetParameterElement(D3DXHANDLE, UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE, LPCSTR) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE, LPCVOID, UINT) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE, LPVOID, UINT) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE, BOOL) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE, BOOL*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE, INT) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE, INT*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE, FLOAT) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE, FLOAT*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE, const D3DXVECTOR4*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE, D3DXVECTOR4*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE, const FLOAT*, UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetFloatArray(D3DXHANDLE, FLOAT*, UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE, const D3DXVECTOR4*, UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetVectorArray(D3DXHANDLE, D3DXVECTOR4*, UINT) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE, const D3DXMATRIX*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE, D3DXMATRIX*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE, LPDIRECT3DBASETEXTURE9) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE, LPDIRECT3DBASETEXTURE9*) override {
        return unsupported_;
    }
    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE) override { return unsupported_; }
    D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override { return nullptr; }
    HRESULT STDMETHODCALLTYPE Begin(UINT*, DWORD) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE BeginPass(UINT) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE CommitChanges() override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE EndPass() override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE End() override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9*) override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return unsupported_; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return unsupported_; }

protected:
    HRESULT unsupported_;
};

}  // namespace kl::test
