// D3DXLoadMeshFromXW: reads a .x file, builds one mesh with one subset per
// material (faces sorted by material, attribute table set), and hands out the
// materials, and the adjacency and effect instances when asked for.
#include <d3dx9.h>

#include <cstring>
#include <vector>

#include "d3dx9/core/out_of_memory.h"
#include "d3dx9/mesh/adjacency.h"
#include "d3dx9/mesh/effect_instances.h"
#include "d3dx9/mesh/file_access.h"
#include "d3dx9/mesh/materials_buffer.h"
#include "d3dx9/mesh/mesh_object.h"
#include "d3dx9/mesh/vertex_layout.h"
#include "d3dx9/mesh/xmesh_builder.h"

namespace kl::d3dx9::mesh {
namespace {

// Missing or unreadable files fail with E_FAIL; files that are not valid .x
// data with D3DXERR_INVALIDDATA; valid files without a single triangle with
// D3DXERR_LOADEDMESHASNODATA.
HRESULT ReadGeometry(const wchar_t* path, Geometry& geometry) {
    std::vector<uint8_t> bytes;
    if (!d3dx9::ReadWholeFile(path, bytes)) return E_FAIL;
    switch (ReadXFileGeometry(bytes.data(), bytes.size(), geometry)) {
        case BuildStatus::Ok:
            return S_OK;
        case BuildStatus::NoMesh:
            return D3DXERR_LOADEDMESHASNODATA;
        case BuildStatus::Malformed:
            break;
    }
    return D3DXERR_INVALIDDATA;
}

bool NeedsWideIndices(const Geometry& g, DWORD options) {
    return (options & D3DXMESH_32BIT) != 0 || g.vertices.size() > 0xFFFF;
}

HRESULT FillVertices(ID3DXMesh* mesh, const Geometry& g) {
    void* data = nullptr;
    HRESULT hr = mesh->LockVertexBuffer(0, &data);
    if (FAILED(hr)) return hr;
    auto* bytes = static_cast<uint8_t*>(data);
    for (const Vertex& v : g.vertices) {
        std::memcpy(bytes + kLoadedPositionOffset, v.position, sizeof v.position);
        std::memcpy(bytes + kLoadedNormalOffset, v.normal, sizeof v.normal);
        std::memcpy(bytes + kLoadedTexcoordOffset, v.texcoord, sizeof v.texcoord);
        std::memset(bytes + kLoadedTangentOffset, 0, kLoadedStride - kLoadedTangentOffset);
        bytes += kLoadedStride;
    }
    return mesh->UnlockVertexBuffer();
}

HRESULT FillIndices(ID3DXMesh* mesh, const Geometry& g, bool wide) {
    void* data = nullptr;
    HRESULT hr = mesh->LockIndexBuffer(0, &data);
    if (FAILED(hr)) return hr;
    if (wide) {
        std::memcpy(data, g.indices.data(), g.indices.size() * sizeof(uint32_t));
    } else {
        auto* narrow = static_cast<uint16_t*>(data);
        for (size_t i = 0; i < g.indices.size(); ++i)
            narrow[i] = static_cast<uint16_t>(g.indices[i]);
    }
    return mesh->UnlockIndexBuffer();
}

HRESULT FillAttributes(ID3DXMesh* mesh, const Geometry& g,
                       const std::vector<AttributeRange>& ranges) {
    DWORD* attributes = nullptr;
    HRESULT hr = mesh->LockAttributeBuffer(0, &attributes);
    if (FAILED(hr)) return hr;
    std::copy(g.attributes.begin(), g.attributes.end(), attributes);
    mesh->UnlockAttributeBuffer();
    std::vector<D3DXATTRIBUTERANGE> table;
    for (const AttributeRange& r : ranges) {
        table.push_back({r.attribId, r.faceStart, r.faceCount, r.vertexStart, r.vertexCount});
    }
    return mesh->SetAttributeTable(table.data(), static_cast<DWORD>(table.size()));
}

HRESULT CreateFilledMesh(const Geometry& g, const std::vector<AttributeRange>& ranges,
                         DWORD options, IDirect3DDevice9* device, ID3DXMesh** out) {
    const bool wide = NeedsWideIndices(g, options);
    if (wide) options |= D3DXMESH_32BIT;
    ID3DXMesh* mesh = nullptr;
    HRESULT hr =
        CreateMeshObject(static_cast<DWORD>(g.FaceCount()), static_cast<DWORD>(g.vertices.size()),
                         options, LoadedMeshDeclaration(), device, &mesh);
    if (FAILED(hr)) return hr;
    hr = kl::d3dx9::AnswerOutOfMemory([&] {
        HRESULT filled = FillVertices(mesh, g);
        if (SUCCEEDED(filled)) filled = FillIndices(mesh, g, wide);
        if (SUCCEEDED(filled)) filled = FillAttributes(mesh, g, ranges);
        return filled;
    });
    if (FAILED(hr)) {
        mesh->Release();
        return hr;
    }
    *out = mesh;
    return S_OK;
}

HRESULT CreateAdjacencyBuffer(const Geometry& g, ID3DXBuffer** out) {
    const std::vector<uint32_t> adjacency = FaceAdjacency(g);
    const size_t size = adjacency.size() * sizeof(DWORD);
    if (size > UINT32_MAX) return E_OUTOFMEMORY;
    HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), out);
    if (SUCCEEDED(hr)) std::memcpy((*out)->GetBufferPointer(), adjacency.data(), size);
    return hr;
}

void ReleaseAndClear(ID3DXBuffer** buffer) {
    if (buffer != nullptr && *buffer != nullptr) {
        (*buffer)->Release();
        *buffer = nullptr;
    }
}

struct Outputs {
    ID3DXBuffer** adjacency;
    ID3DXBuffer** materials;
    ID3DXBuffer** effectInstances;
    DWORD* materialCount;
    ID3DXMesh** mesh;

    void Clear() {
        for (ID3DXBuffer** b : {adjacency, materials, effectInstances}) {
            if (b != nullptr) *b = nullptr;
        }
        if (materialCount != nullptr) *materialCount = 0;
        *mesh = nullptr;
    }
    void ReleaseAll() {
        ReleaseAndClear(adjacency);
        ReleaseAndClear(materials);
        ReleaseAndClear(effectInstances);
        if (*mesh != nullptr) (*mesh)->Release();
        Clear();
    }
};

HRESULT LoadMesh(const wchar_t* path, DWORD options, IDirect3DDevice9* device, Outputs out) {
    Geometry geometry;
    HRESULT hr = ReadGeometry(path, geometry);
    if (FAILED(hr)) return hr;
    const std::vector<AttributeRange> ranges = SortFacesByAttribute(geometry);
    hr = CreateFilledMesh(geometry, ranges, options, device, out.mesh);
    if (SUCCEEDED(hr) && out.materials != nullptr) {
        hr = CreateMaterialsBuffer(geometry.materials, out.materials);
    }
    if (SUCCEEDED(hr) && out.effectInstances != nullptr) {
        hr = CreateEffectInstancesBuffer(geometry.materials, out.effectInstances);
    }
    if (SUCCEEDED(hr) && out.adjacency != nullptr) {
        hr = CreateAdjacencyBuffer(geometry, out.adjacency);
    }
    if (FAILED(hr)) {
        out.ReleaseAll();
        return hr;
    }
    if (out.materialCount != nullptr) {
        *out.materialCount = static_cast<DWORD>(geometry.materials.size());
    }
    return S_OK;
}

}  // namespace
}  // namespace kl::d3dx9::mesh

extern "C" HRESULT WINAPI D3DXLoadMeshFromXW(LPCWSTR pFilename, DWORD Options,
                                             LPDIRECT3DDEVICE9 pD3DDevice,
                                             LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials,
                                             LPD3DXBUFFER* ppEffectInstances, DWORD* pNumMaterials,
                                             LPD3DXMESH* ppMesh) {
    if (ppMesh == nullptr) return D3DERR_INVALIDCALL;
    kl::d3dx9::mesh::Outputs out{ppAdjacency, ppMaterials, ppEffectInstances, pNumMaterials,
                                 ppMesh};
    out.Clear();
    if (pFilename == nullptr || pD3DDevice == nullptr) return D3DERR_INVALIDCALL;
    return kl::d3dx9::AnswerOutOfMemory(
        [&] { return kl::d3dx9::mesh::LoadMesh(pFilename, Options, pD3DDevice, out); },
        [&] { out.ReleaseAll(); });
}
