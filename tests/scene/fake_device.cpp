#include "fake_device.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kl::scene_test {
namespace {

int liveResources = 0;

// The IUnknown and IDirect3DResource9 part shared by every fake resource.
template <typename Interface>
class FakeResource : public Interface {
public:
    explicit FakeResource(IDirect3DDevice9* device) : device_(device) { ++liveResources; }
    virtual ~FakeResource() { --liveResources; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        if (out != nullptr) *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        device_->AddRef();
        *device = device_;
        return S_OK;
    }

protected:
    IDirect3DDevice9* device_;

private:
    ULONG refs_ = 1;
};

template <typename Interface>
class FakeDeviceResource : public FakeResource<Interface> {
public:
    using FakeResource<Interface>::FakeResource;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
};

template <typename Interface, typename Desc, D3DRESOURCETYPE kType>
class FakeBuffer final : public FakeDeviceResource<Interface> {
public:
    FakeBuffer(IDirect3DDevice9* device, UINT length)
        : FakeDeviceResource<Interface>(device), bytes_(length) {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return kType; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT, void** data, DWORD) override {
        if (data == nullptr || offset > bytes_.size()) return D3DERR_INVALIDCALL;
        *data = bytes_.data() + offset;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetDesc(Desc* desc) override {
        std::memset(desc, 0, sizeof(*desc));
        desc->Type = kType;
        desc->Size = static_cast<UINT>(bytes_.size());
        return S_OK;
    }

private:
    std::vector<unsigned char> bytes_;
};

using FakeVertexBuffer =
    FakeBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
using FakeIndexBuffer =
    FakeBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;

class FakeDeclaration final : public FakeResource<IDirect3DVertexDeclaration9> {
public:
    FakeDeclaration(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements)
        : FakeResource(device) {
        for (const D3DVERTEXELEMENT9* e = elements; e->Stream != 0xFF; ++e) elements_.push_back(*e);
        elements_.push_back(D3DDECL_END());
    }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* out, UINT* count) override {
        if (out != nullptr) std::copy(elements_.begin(), elements_.end(), out);
        *count = static_cast<UINT>(elements_.size());
        return S_OK;
    }

private:
    std::vector<D3DVERTEXELEMENT9> elements_;
};

// Four bytes per texel whatever the format; the scene never reads them back.
class FakeTexture final : public FakeDeviceResource<IDirect3DTexture9> {
public:
    FakeTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, D3DFORMAT format)
        : FakeDeviceResource(device), format_(format) {
        for (UINT i = 0; i < levels; ++i) {
            const UINT w = std::max(1u, width >> i);
            const UINT h = std::max(1u, height >> i);
            levels_.push_back({w, h, std::vector<unsigned char>(size_t{w} * h * 4)});
        }
    }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE SetLOD(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetLOD() override { return 0; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT STDMETHODCALLTYPE SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override { return S_OK; }
    D3DTEXTUREFILTERTYPE STDMETHODCALLTYPE GetAutoGenFilterType() override {
        return D3DTEXF_LINEAR;
    }
    void STDMETHODCALLTYPE GenerateMipSubLevels() override {}
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
        if (level >= levels_.size()) return D3DERR_INVALIDCALL;
        std::memset(desc, 0, sizeof(*desc));
        desc->Format = format_;
        desc->Type = D3DRTYPE_SURFACE;
        desc->Width = levels_[level].width;
        desc->Height = levels_[level].height;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT, IDirect3DSurface9**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT*,
                                       DWORD) override {
        if (level >= levels_.size()) return D3DERR_INVALIDCALL;
        locked->Pitch = static_cast<INT>(levels_[level].width * 4);
        locked->pBits = levels_[level].texels.data();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT*) override { return S_OK; }

private:
    struct Level {
        UINT width;
        UINT height;
        std::vector<unsigned char> texels;
    };
    D3DFORMAT format_;
    std::vector<Level> levels_;
};

}  // namespace

int FakeDevice::LiveResources() {
    return liveResources;
}

HRESULT FakeDevice::QueryInterface(REFIID, void** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDevice::GetDeviceCaps(D3DCAPS9* caps) {
    std::memset(caps, 0, sizeof(*caps));
    caps->MaxTextureWidth = 4096;
    caps->MaxTextureHeight = 4096;
    return S_OK;
}

HRESULT FakeDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD, D3DFORMAT format,
                                  D3DPOOL, IDirect3DTexture9** texture, HANDLE*) {
    if (texture == nullptr || width == 0 || height == 0) return D3DERR_INVALIDCALL;
    *texture = new FakeTexture(this, width, height, levels == 0 ? 1 : levels, format);
    ++texturesCreated;
    return S_OK;
}

HRESULT FakeDevice::CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL,
                                       IDirect3DVertexBuffer9** buffer, HANDLE*) {
    if (buffer == nullptr) return D3DERR_INVALIDCALL;
    *buffer = new FakeVertexBuffer(this, length);
    return S_OK;
}

HRESULT FakeDevice::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT, D3DPOOL,
                                      IDirect3DIndexBuffer9** buffer, HANDLE*) {
    if (buffer == nullptr) return D3DERR_INVALIDCALL;
    *buffer = new FakeIndexBuffer(this, length);
    return S_OK;
}

HRESULT FakeDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** out) {
    if (elements == nullptr || out == nullptr) return D3DERR_INVALIDCALL;
    *out = new FakeDeclaration(this, elements);
    return S_OK;
}

}  // namespace kl::scene_test
