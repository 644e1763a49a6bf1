// An effect for scene tests: records every call SceneMesh::Draw makes, in
// order, as one line of text each.
#pragma once

#include <d3dx9.h>

#include <string>
#include <vector>

namespace kl::scene_test {

class FakeEffect final : public ID3DXEffect {
public:
    std::vector<std::string> calls;
    // The matrices handed to SetMatrix, in call order.
    std::vector<D3DXMATRIX> matrices;
    // The textures handed to SetTexture, in call order.
    std::vector<IDirect3DBaseTexture9*> textures;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        if (out != nullptr) *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE, UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE, LPCSTR) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE, LPCVOID, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE, LPVOID, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE, BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE, INT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE, INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE, FLOAT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE, FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE, const D3DXVECTOR4*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE, D3DXVECTOR4*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE name, const D3DXMATRIX* matrix) override {
        calls.push_back(std::string("SetMatrix ") + name);
        matrices.push_back(*matrix);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE, D3DXMATRIX*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE name, LPDIRECT3DBASETEXTURE9 texture) override {
        calls.push_back(std::string("SetTexture ") + name);
        textures.push_back(texture);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE, LPDIRECT3DBASETEXTURE9*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE technique) override {
        calls.push_back(std::string("SetTechnique ") + technique);
        return S_OK;
    }
    D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override { return nullptr; }
    HRESULT STDMETHODCALLTYPE Begin(UINT* passes, DWORD flags) override {
        calls.push_back("Begin " + std::to_string(flags));
        *passes = 3;  // more than one, so drawing only pass 0 is visible
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BeginPass(UINT pass) override {
        calls.push_back("BeginPass " + std::to_string(pass));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CommitChanges() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndPass() override {
        calls.push_back("EndPass");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE End() override {
        calls.push_back("End");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }
};

}  // namespace kl::scene_test
