#include "d3dx9/mesh/mesh_object.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "common/com_object.h"
#include "d3dx9/core/out_of_memory.h"
#include "d3dx9/mesh/subset_draws.h"
#include "d3dx9/mesh/vertex_layout.h"

namespace kl::d3dx9::mesh {
namespace {

constexpr DWORD kMaxIndex16Vertices = 0xFFFF;

D3DPOOL PoolFor(DWORD options, DWORD managedFlag, DWORD systemFlag) {
    if ((options & managedFlag) != 0) return D3DPOOL_MANAGED;
    if ((options & systemFlag) != 0) return D3DPOOL_SYSTEMMEM;
    return D3DPOOL_DEFAULT;
}

DWORD UsageFor(DWORD options, DWORD writeOnly, DWORD dynamic, DWORD software) {
    DWORD usage = 0;
    if ((options & writeOnly) != 0) usage |= D3DUSAGE_WRITEONLY;
    if ((options & dynamic) != 0) usage |= D3DUSAGE_DYNAMIC;
    if ((options & software) != 0) usage |= D3DUSAGE_SOFTWAREPROCESSING;
    if ((options & D3DXMESH_DONOTCLIP) != 0) usage |= D3DUSAGE_DONOTCLIP;
    if ((options & D3DXMESH_POINTS) != 0) usage |= D3DUSAGE_POINTS;
    return usage;
}

class Mesh final : public kl::platform::ComObject<ID3DXMesh> {
public:
    Mesh(IDirect3DDevice9* device, DWORD options, DWORD faces, DWORD vertices,
         std::vector<D3DVERTEXELEMENT9> elements)
        : device_(device),
          options_(options),
          faces_(faces),
          vertices_(vertices),
          elements_(std::move(elements)),
          stride_(StreamZeroStride(elements_)),
          attributes_(faces, 0) {
        device_->AddRef();
    }

    HRESULT CreateResources() {
        HRESULT hr = device_->CreateVertexDeclaration(Declaration().data(), &declaration_);
        if (FAILED(hr)) return hr;
        hr = device_->CreateVertexBuffer(
            stride_ * vertices_,
            UsageFor(options_, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC,
                     D3DXMESH_VB_SOFTWAREPROCESSING),
            0, PoolFor(options_, D3DXMESH_VB_MANAGED, D3DXMESH_VB_SYSTEMMEM), &vertexBuffer_,
            nullptr);
        if (FAILED(hr)) return hr;
        const bool wide = (options_ & D3DXMESH_32BIT) != 0;
        return device_->CreateIndexBuffer(
            faces_ * 3 * (wide ? 4 : 2),
            UsageFor(options_, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC,
                     D3DXMESH_IB_SOFTWAREPROCESSING),
            wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
            PoolFor(options_, D3DXMESH_IB_MANAGED, D3DXMESH_IB_SYSTEMMEM), &indexBuffer_, nullptr);
    }

    // Draws the faces of one attribute id; an id without faces draws nothing.
    HRESULT STDMETHODCALLTYPE DrawSubset(DWORD attribId) override {
        HRESULT hr = device_->SetVertexDeclaration(declaration_);
        if (SUCCEEDED(hr)) hr = device_->SetStreamSource(0, vertexBuffer_, 0, stride_);
        if (SUCCEEDED(hr)) hr = device_->SetIndices(indexBuffer_);
        if (FAILED(hr)) return hr;
        for (const SubsetDraw& d : SubsetDraws(table_, attributes_, vertices_, attribId)) {
            hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, d.minVertex, d.vertexCount,
                                               d.startIndex, d.triangleCount);
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    }

    DWORD STDMETHODCALLTYPE GetNumFaces() override { return faces_; }
    DWORD STDMETHODCALLTYPE GetNumVertices() override { return vertices_; }
    DWORD STDMETHODCALLTYPE GetFVF() override { return FvfFromDeclaration(elements_); }
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9 out[MAX_FVF_DECL_SIZE]) override {
        if (out == nullptr) return D3DERR_INVALIDCALL;
        const std::vector<D3DVERTEXELEMENT9> decl = Declaration();
        std::copy(decl.begin(), decl.end(), out);
        return S_OK;
    }
    DWORD STDMETHODCALLTYPE GetNumBytesPerVertex() override { return stride_; }
    DWORD STDMETHODCALLTYPE GetOptions() override { return options_; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) override {
        return HandOut(device_, ppDevice);
    }
    HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* ppVB) override {
        return HandOut(vertexBuffer_, ppVB);
    }
    HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ppIB) override {
        return HandOut(indexBuffer_, ppIB);
    }
    HRESULT STDMETHODCALLTYPE LockVertexBuffer(DWORD flags, LPVOID* ppData) override {
        if (ppData == nullptr) return D3DERR_INVALIDCALL;
        return vertexBuffer_->Lock(0, 0, ppData, flags);
    }
    HRESULT STDMETHODCALLTYPE UnlockVertexBuffer() override { return vertexBuffer_->Unlock(); }
    HRESULT STDMETHODCALLTYPE LockIndexBuffer(DWORD flags, LPVOID* ppData) override {
        if (ppData == nullptr) return D3DERR_INVALIDCALL;
        return indexBuffer_->Lock(0, 0, ppData, flags);
    }
    HRESULT STDMETHODCALLTYPE UnlockIndexBuffer() override { return indexBuffer_->Unlock(); }

    // With a null table, only the size is reported; otherwise the table must
    // have room for the whole attribute table, as on Windows.
    HRESULT STDMETHODCALLTYPE GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override {
        if (size == nullptr) return D3DERR_INVALIDCALL;
        if (table != nullptr) std::copy(table_.begin(), table_.end(), table);
        *size = static_cast<DWORD>(table_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockAttributeBuffer(DWORD, DWORD** ppData) override {
        if (ppData == nullptr) return D3DERR_INVALIDCALL;
        *ppData = attributes_.data();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnlockAttributeBuffer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetAttributeTable(const D3DXATTRIBUTERANGE* table,
                                                DWORD count) override {
        if (table == nullptr && count != 0) return D3DERR_INVALIDCALL;
        for (DWORD i = 0; i < count; ++i) {
            const D3DXATTRIBUTERANGE& r = table[i];
            if (uint64_t{r.FaceStart} + r.FaceCount > faces_ ||
                uint64_t{r.VertexStart} + r.VertexCount > vertices_) {
                return D3DERR_INVALIDCALL;
            }
        }
        table_.assign(table, table + count);
        return S_OK;
    }

private:
    ~Mesh() {
        if (declaration_ != nullptr) declaration_->Release();
        if (vertexBuffer_ != nullptr) vertexBuffer_->Release();
        if (indexBuffer_ != nullptr) indexBuffer_->Release();
        device_->Release();
    }

    template <typename T>
    static HRESULT HandOut(T* object, T** out) {
        if (out == nullptr) return D3DERR_INVALIDCALL;
        object->AddRef();
        *out = object;
        return S_OK;
    }

    std::vector<D3DVERTEXELEMENT9> Declaration() const {
        std::vector<D3DVERTEXELEMENT9> decl = elements_;
        decl.push_back(D3DDECL_END());
        return decl;
    }

    IDirect3DDevice9* device_;
    DWORD options_;
    DWORD faces_;
    DWORD vertices_;
    std::vector<D3DVERTEXELEMENT9> elements_;
    UINT stride_;
    std::vector<DWORD> attributes_;
    std::vector<D3DXATTRIBUTERANGE> table_;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DVertexBuffer9* vertexBuffer_ = nullptr;
    IDirect3DIndexBuffer9* indexBuffer_ = nullptr;
};

}  // namespace

HRESULT CreateMeshObject(DWORD numFaces, DWORD numVertices, DWORD options,
                         const D3DVERTEXELEMENT9* declaration, IDirect3DDevice9* device,
                         ID3DXMesh** mesh) {
    if (mesh == nullptr) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    std::vector<D3DVERTEXELEMENT9> elements = ReadDeclaration(declaration);
    if (device == nullptr || numFaces == 0 || numVertices == 0 || elements.empty()) {
        return D3DERR_INVALIDCALL;
    }
    // A mesh holds its vertices in one vertex buffer: a declaration that
    // reads other streams cannot describe it.
    if (std::any_of(elements.begin(), elements.end(),
                    [](const D3DVERTEXELEMENT9& e) { return e.Stream != 0; })) {
        return D3DERR_INVALIDCALL;
    }
    if ((options & D3DXMESH_32BIT) == 0 && numVertices > kMaxIndex16Vertices) {
        return D3DERR_INVALIDCALL;
    }
    const UINT stride = StreamZeroStride(elements);
    if (stride == 0 || uint64_t{stride} * numVertices > UINT32_MAX ||
        uint64_t{numFaces} * 3 * 4 > UINT32_MAX) {
        return D3DERR_INVALIDCALL;
    }
    Mesh* created =
        new (std::nothrow) Mesh(device, options, numFaces, numVertices, std::move(elements));
    if (created == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = created->CreateResources();
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *mesh = created;
    return S_OK;
}

}  // namespace kl::d3dx9::mesh

extern "C" HRESULT WINAPI D3DXCreateMesh(DWORD NumFaces, DWORD NumVertices, DWORD Options,
                                         const D3DVERTEXELEMENT9* pDeclaration,
                                         LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXMESH* ppMesh) {
    return kl::d3dx9::AnswerOutOfMemory([&] {
        return kl::d3dx9::mesh::CreateMeshObject(NumFaces, NumVertices, Options, pDeclaration,
                                                 pD3DDevice, ppMesh);
    });
}
