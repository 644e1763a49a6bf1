// The D3DX mesh and texture entry points refuse bad arguments with
// D3DERR_INVALIDCALL and clear their out-pointers first, before any device is
// involved; ID3DXBuffer's size, contents and reference count.
#include <gtest/gtest.h>

#include <d3dx9.h>

namespace {

template <typename T>
T* Garbage() {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(0x1234));
}

TEST(D3DXArguments, LoadMeshWithoutPathOrDeviceClearsEveryOutput) {
    ID3DXBuffer* adjacency = Garbage<ID3DXBuffer>();
    ID3DXBuffer* materials = Garbage<ID3DXBuffer>();
    ID3DXBuffer* effects = Garbage<ID3DXBuffer>();
    DWORD count = 77;
    ID3DXMesh* mesh = Garbage<ID3DXMesh>();
    EXPECT_EQ(D3DXLoadMeshFromXW(L"mesh.x", D3DXMESH_MANAGED, nullptr, &adjacency, &materials,
                                 &effects, &count, &mesh),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(adjacency, nullptr);
    EXPECT_EQ(materials, nullptr);
    EXPECT_EQ(effects, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(D3DXLoadMeshFromXW(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &mesh),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(
        D3DXLoadMeshFromXW(L"mesh.x", 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        D3DERR_INVALIDCALL);
}

TEST(D3DXArguments, MeshFunctionsWithoutAMesh) {
    EXPECT_EQ(D3DXComputeNormals(nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeTangent(nullptr, 0, 0, 0, 0, nullptr), D3DERR_INVALIDCALL);
    const D3DVERTEXELEMENT9 decl[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                      D3DDECL_END()};
    ID3DXMesh* mesh = Garbage<ID3DXMesh>();
    EXPECT_EQ(D3DXCreateMesh(1, 3, D3DXMESH_MANAGED, decl, nullptr, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
}

TEST(D3DXArguments, TexturesWithoutDeviceOrPath) {
    IDirect3DTexture9* texture = Garbage<IDirect3DTexture9>();
    EXPECT_EQ(D3DXCreateTextureFromFileW(nullptr, L"textures\\none.bmp", &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(D3DXCreateTextureFromFileW(nullptr, L"textures\\none.bmp", nullptr),
              D3DERR_INVALIDCALL);
    texture = Garbage<IDirect3DTexture9>();
    EXPECT_EQ(D3DXCreateTexture(nullptr, 16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
}

TEST(D3DXBuffer, HoldsZeroedBytesUntilTheLastRelease) {
    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(64, &buffer), S_OK);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->GetBufferSize(), 64u);
    const auto* bytes = static_cast<const uint8_t*>(buffer->GetBufferPointer());
    for (int i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(buffer->AddRef(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(D3DXCreateBuffer(16, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(D3DXCreateBuffer(0, &buffer), S_OK);
    EXPECT_EQ(buffer->GetBufferSize(), 0u);
    EXPECT_EQ(buffer->Release(), 0u);
}

}  // namespace
