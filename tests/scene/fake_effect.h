// An effect for scene tests: records every call SceneMesh::Draw makes, in
// order, as one line of text each.
#pragma once

#include <d3dx9.h>

#include <string>
#include <vector>

#include "null_effect.h"

namespace kl::scene_test {

class FakeEffect final : public kl::test::NullEffect {
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

    HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE name, const D3DXMATRIX* matrix) override {
        calls.push_back(std::string("SetMatrix ") + name);
        matrices.push_back(*matrix);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE name, LPDIRECT3DBASETEXTURE9 texture) override {
        calls.push_back(std::string("SetTexture ") + name);
        textures.push_back(texture);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE technique) override {
        calls.push_back(std::string("SetTechnique ") + technique);
        return S_OK;
    }
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
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }
};

}  // namespace kl::scene_test
