// D3DXComputeNormals and D3DXComputeTangent on a mesh's vertex buffer. Both
// find their elements in the mesh's declaration; a declaration without room
// for the result is refused with D3DERR_INVALIDCALL and the mesh is left as
// it was. Adjacency is not needed: vertices are shared through the index
// buffer, so the pAdjacency argument is accepted and not used.
#include <d3dx9.h>

#include <vector>

#include "d3dx9/core/out_of_memory.h"
#include "d3dx9/mesh/vertex_layout.h"
#include "d3dx9/mesh/vertex_math.h"

namespace kl::d3dx9::mesh {
namespace {

bool IsFloat3(const D3DVERTEXELEMENT9* e) {
    return e != nullptr && e->Type == D3DDECLTYPE_FLOAT3;
}

std::vector<D3DVERTEXELEMENT9> MeshElements(ID3DXBaseMesh* mesh) {
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    if (FAILED(mesh->GetDeclaration(decl))) return {};
    return ReadDeclaration(decl);
}

bool IndicesAre32Bit(ID3DXBaseMesh* mesh) {
    IDirect3DIndexBuffer9* ib = nullptr;
    if (FAILED(mesh->GetIndexBuffer(&ib))) return (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    D3DINDEXBUFFER_DESC desc{};
    const HRESULT hr = ib->GetDesc(&desc);
    ib->Release();
    if (FAILED(hr)) return (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    return desc.Format == D3DFMT_INDEX32;
}

// Locks both buffers, runs the computation and unlocks them again.
template <typename Compute>
HRESULT WithLockedBuffers(ID3DXBaseMesh* mesh, VertexView view, Compute compute) {
    void* vertices = nullptr;
    void* indices = nullptr;
    HRESULT hr = mesh->LockVertexBuffer(0, &vertices);
    if (FAILED(hr)) return hr;
    hr = mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices);
    if (FAILED(hr)) {
        mesh->UnlockVertexBuffer();
        return hr;
    }
    view.base = static_cast<uint8_t*>(vertices);
    view.stride = mesh->GetNumBytesPerVertex();
    view.count = mesh->GetNumVertices();
    hr = kl::d3dx9::AnswerOutOfMemory([&] {
        compute(view, IndexView{indices, IndicesAre32Bit(mesh), mesh->GetNumFaces()});
        return S_OK;
    });
    mesh->UnlockIndexBuffer();
    const HRESULT unlocked = mesh->UnlockVertexBuffer();
    return FAILED(hr) ? hr : unlocked;
}

}  // namespace
}  // namespace kl::d3dx9::mesh

extern "C" HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH pMesh, const DWORD* pAdjacency) {
    using namespace kl::d3dx9::mesh;
    if (pMesh == nullptr) return D3DERR_INVALIDCALL;
    return kl::d3dx9::AnswerOutOfMemory([&] {
        const std::vector<D3DVERTEXELEMENT9> elements = MeshElements(pMesh);
        const D3DVERTEXELEMENT9* position = FindElement(elements, D3DDECLUSAGE_POSITION, 0);
        const D3DVERTEXELEMENT9* normal = FindElement(elements, D3DDECLUSAGE_NORMAL, 0);
        if (!IsFloat3(position) || !IsFloat3(normal)) return D3DERR_INVALIDCALL;
        VertexView view;
        view.positionOffset = position->Offset;
        view.normalOffset = normal->Offset;
        return WithLockedBuffers(pMesh, view, ComputeVertexNormals);
    });
}

extern "C" HRESULT WINAPI D3DXComputeTangent(LPD3DXMESH Mesh, DWORD TexStage, DWORD TangentIndex,
                                             DWORD BinormIndex, DWORD Wrap,
                                             const DWORD* pAdjacency) {
    using namespace kl::d3dx9::mesh;
    if (Mesh == nullptr || TexStage > 7 || TangentIndex > 255 || BinormIndex > 255) {
        return D3DERR_INVALIDCALL;
    }
    return kl::d3dx9::AnswerOutOfMemory([&] {
        const std::vector<D3DVERTEXELEMENT9> elements = MeshElements(Mesh);
        const D3DVERTEXELEMENT9* position = FindElement(elements, D3DDECLUSAGE_POSITION, 0);
        const D3DVERTEXELEMENT9* normal = FindElement(elements, D3DDECLUSAGE_NORMAL, 0);
        const D3DVERTEXELEMENT9* texcoord =
            FindElement(elements, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(TexStage));
        const D3DVERTEXELEMENT9* tangent =
            FindElement(elements, D3DDECLUSAGE_TANGENT, static_cast<BYTE>(TangentIndex));
        const D3DVERTEXELEMENT9* binormal =
            FindElement(elements, D3DDECLUSAGE_BINORMAL, static_cast<BYTE>(BinormIndex));
        if (!IsFloat3(position) || !IsFloat3(normal) || texcoord == nullptr ||
            texcoord->Type != D3DDECLTYPE_FLOAT2 || tangent == nullptr ||
            (tangent->Type != D3DDECLTYPE_FLOAT3 && tangent->Type != D3DDECLTYPE_FLOAT4)) {
            return D3DERR_INVALIDCALL;
        }
        VertexView view;
        view.positionOffset = position->Offset;
        view.normalOffset = normal->Offset;
        view.texcoordOffset = texcoord->Offset;
        view.tangentOffset = tangent->Offset;
        view.tangentComponents = tangent->Type == D3DDECLTYPE_FLOAT4 ? 4 : 3;
        view.binormalOffset = IsFloat3(binormal) ? binormal->Offset : -1;
        return WithLockedBuffers(Mesh, view, ComputeVertexTangents);
    });
}
