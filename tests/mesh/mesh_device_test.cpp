// D3DX meshes and textures on the real (headless) device: loading .x files
// into device buffers, the attribute table, DrawSubset, reference counts,
// normals and tangents through the vertex buffer, and texture files uploaded
// with their mip chains.
#include <gtest/gtest.h>

#include <d3dx9.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "allocation_limit.h"
#include "headless_device.h"
#include "image_bytes.h"

namespace {

namespace fs = std::filesystem;

// Two quads in clip space, the left half of the screen with material 0 and
// the right half with material 1 (which names a texture). With identity
// transforms they cover the whole target.
const char kTwoHalves[] =
    "xof 0303txt 0032\n"
    "Mesh Halves {\n"
    "  8; -1;-1;0.5;, -1;1;0.5;, 0;1;0.5;, 0;-1;0.5;,\n"
    "     0;-1;0.5;, 0;1;0.5;, 1;1;0.5;, 1;-1;0.5;;\n"
    "  2; 4;0,1,2,3;, 4;4,5,6,7;;\n"
    "  MeshTextureCoords { 8; 0;1;, 0;0;, 1;0;, 1;1;, 0;1;, 0;0;, 1;0;, 1;1;; }\n"
    "  MeshMaterialList { 2; 2; 0,1;;\n"
    "    Material { 1;0;0;1;; 4; 0;0;0;; 0;0;0;; }\n"
    "    Material { 0;1;0;1;; 8; 1;1;1;; 0;0;0;; TextureFilename { \"C:\\\\art\\\\wall.tga\"; } }\n"
    "  }\n"
    "}\n";

class MeshDevice : public ::testing::Test {
protected:
    static constexpr UINT kSize = 64;

    void SetUp() override {
        char pattern[] = "/tmp/kl_mesh_device_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;

        ASSERT_NO_FATAL_FAILURE(headless_.Create(kSize, kSize, D3DFMT_X8R8G8B8, false));
        device_ = headless_.device;
    }

    void TearDown() override {
        headless_.Release();
        fs::remove_all(dir_);
    }

    std::wstring Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        const std::string path = (dir_ / name).string();
        return std::wstring(path.begin(), path.end());
    }

    ULONG DeviceRefs() {
        device_->AddRef();
        return device_->Release();
    }

    // The colour at (x, y) of the back buffer, as 0xAARRGGBB.
    DWORD ReadBackBuffer(UINT x, UINT y) { return kl::test::RenderTargetPixel(device_, x, y); }

    fs::path dir_;
    kl::test::HeadlessDevice headless_;
    IDirect3DDevice9* device_ = nullptr;
};

TEST_F(MeshDevice, LoadsIntoBuffersWithAttributeTableAndMaterials) {
    const std::wstring path = Write("halves.x", kTwoHalves);
    ID3DXBuffer* materials = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    DWORD count = 0;
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_MANAGED, device_, &adjacency, &materials,
                                 nullptr, &count, &mesh),
              S_OK);
    EXPECT_EQ(mesh->GetNumFaces(), 4u);
    EXPECT_EQ(mesh->GetNumVertices(), 8u);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 44u);
    EXPECT_EQ(mesh->GetOptions() & D3DXMESH_MANAGED, static_cast<DWORD>(D3DXMESH_MANAGED));
    EXPECT_EQ(mesh->GetOptions() & D3DXMESH_32BIT, 0u);

    DWORD ranges = 0;
    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &ranges), S_OK);
    ASSERT_EQ(ranges, 2u);
    D3DXATTRIBUTERANGE table[2];
    ASSERT_EQ(mesh->GetAttributeTable(table, &ranges), S_OK);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 2u);
    EXPECT_EQ(table[1].FaceCount, 2u);
    EXPECT_EQ(table[1].VertexStart, 4u);
    EXPECT_EQ(table[1].VertexCount, 4u);

    ASSERT_EQ(count, 2u);
    const auto* m = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    EXPECT_EQ(m[0].pTextureFilename, nullptr);
    EXPECT_EQ(m[0].MatD3D.Diffuse.r, 1.0f);
    EXPECT_STREQ(m[1].pTextureFilename, "C:\\\\art\\\\wall.tga");
    EXPECT_EQ(m[1].MatD3D.Power, 8.0f);
    EXPECT_EQ(adjacency->GetBufferSize(), 4 * 3 * sizeof(DWORD));

    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(mesh->GetIndexBuffer(&ib), S_OK);
    D3DINDEXBUFFER_DESC desc{};
    ASSERT_EQ(ib->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Format, D3DFMT_INDEX16);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    ib->Release();

    void* data = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), S_OK);
    const auto* indices = static_cast<const uint16_t*>(data);
    EXPECT_EQ(std::vector<uint16_t>(indices, indices + 6),
              (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    mesh->UnlockIndexBuffer();
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
    float vertex6[8];
    std::memcpy(vertex6, static_cast<const uint8_t*>(data) + 6 * 44, sizeof vertex6);
    EXPECT_EQ(vertex6[0], 1.0f);  // x
    EXPECT_EQ(vertex6[1], 1.0f);  // y
    EXPECT_EQ(vertex6[6], 1.0f);  // u
    EXPECT_EQ(vertex6[7], 0.0f);  // v
    mesh->UnlockVertexBuffer();

    materials->Release();
    adjacency->Release();
    EXPECT_EQ(mesh->Release(), 0u);
}

// More vertices than 16-bit indices reach: the mesh switches to 32-bit
// indices (and says so in its options) rather than failing or truncating.
TEST_F(MeshDevice, LargeMeshesGet32BitIndices) {
    std::string text = "xof 0303txt 0032 Mesh { 65537;";
    for (int i = 0; i < 65537; ++i) text += " 0;0;0;,";
    text += "; 1; 3;0,1,65536;; }";
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXW(Write("large.x", text).c_str(), D3DXMESH_MANAGED, device_, nullptr,
                                 nullptr, nullptr, nullptr, &mesh),
              S_OK);
    EXPECT_EQ(mesh->GetOptions() & D3DXMESH_32BIT, static_cast<DWORD>(D3DXMESH_32BIT));
    void* data = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), S_OK);
    EXPECT_EQ(static_cast<const uint32_t*>(data)[2], 65536u);
    mesh->UnlockIndexBuffer();
    EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshDevice, MeshHoldsAReferenceOnTheDevice) {
    const std::wstring path = Write("halves.x", kTwoHalves);
    const ULONG before = DeviceRefs();
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_MANAGED, device_, nullptr, nullptr, nullptr,
                                 nullptr, &mesh),
              S_OK);
    EXPECT_GT(DeviceRefs(), before);
    IDirect3DDevice9* fromMesh = nullptr;
    ASSERT_EQ(mesh->GetDevice(&fromMesh), S_OK);
    EXPECT_EQ(fromMesh, device_);
    fromMesh->Release();
    EXPECT_EQ(mesh->AddRef(), 2u);
    EXPECT_EQ(mesh->Release(), 1u);
    EXPECT_EQ(mesh->Release(), 0u);
    EXPECT_EQ(DeviceRefs(), before);
}

TEST_F(MeshDevice, BrokenOrMissingFilesFailCleanly) {
    ID3DXMesh* mesh = nullptr;
    DWORD count = 5;
    EXPECT_EQ(
        D3DXLoadMeshFromXW(Write("cut.x", std::string(kTwoHalves, 120)).c_str(), D3DXMESH_MANAGED,
                           device_, nullptr, nullptr, nullptr, &count, &mesh),
        D3DXERR_INVALIDDATA);
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(D3DXLoadMeshFromXW(Write("empty.x", "xof 0303txt 0032 Frame {}").c_str(), 0, device_,
                                 nullptr, nullptr, nullptr, nullptr, &mesh),
              D3DXERR_LOADEDMESHASNODATA);
    EXPECT_EQ(D3DXLoadMeshFromXW((dir_ / "missing.x").wstring().c_str(), 0, device_, nullptr,
                                 nullptr, nullptr, nullptr, &mesh),
              E_FAIL);
    EXPECT_EQ(mesh, nullptr);
}

// A strip of triangles with `vertices` vertices, large enough that reading
// it needs more than a small allocation limit allows.
std::string StripMesh(int vertices) {
    std::string x = "xof 0303txt 0032\nMesh {\n" + std::to_string(vertices) + ";\n";
    for (int i = 0; i < vertices; ++i)
        x += std::to_string(i % 2) + ";" + std::to_string(i / 2) + ";0;" +
             (i + 1 < vertices ? ",\n" : ";\n");
    x += std::to_string(vertices - 2) + ";\n";
    for (int i = 0; i + 2 < vertices; ++i)
        x += "3;" + std::to_string(i) + "," + std::to_string(i + 1) + "," + std::to_string(i + 2) +
             (i + 3 < vertices ? ";,\n" : ";;\n");
    return x + "}\n";
}

// When memory runs out inside a D3DX call the caller gets E_OUTOFMEMORY with
// every output cleared, and what was half built is released (TearDown
// checks that nothing holds the device).
TEST_F(MeshDevice, AllocationFailuresAnswerOutOfMemory) {
    const std::wstring meshPath = Write("strip.x", StripMesh(4000));
    const std::wstring bmpPath = Write(
        "big.bmp",
        kl::test::MakeBmp24(256, 256, std::vector<kl::test::Bgra>(256 * 256, {1, 2, 3, 255})));
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    IDirect3DTexture9* texture = nullptr;
    {
        kl::test::ScopedAllocationLimit limit(16 * 1024);
        EXPECT_EQ(D3DXLoadMeshFromXW(meshPath.c_str(), D3DXMESH_MANAGED, device_, nullptr,
                                     &materials, nullptr, nullptr, &mesh),
                  E_OUTOFMEMORY);
        EXPECT_EQ(D3DXCreateTextureFromFileW(device_, bmpPath.c_str(), &texture), E_OUTOFMEMORY);
    }
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(materials, nullptr);
    EXPECT_EQ(texture, nullptr);

    ASSERT_EQ(D3DXLoadMeshFromXW(meshPath.c_str(), D3DXMESH_MANAGED, device_, nullptr, nullptr,
                                 nullptr, nullptr, &mesh),
              S_OK);
    {
        kl::test::ScopedAllocationLimit limit(1024);
        EXPECT_EQ(D3DXComputeNormals(mesh, nullptr), E_OUTOFMEMORY);
    }
    // The buffers were unlocked again.
    void* vertices = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(0, &vertices), S_OK);
    EXPECT_EQ(mesh->UnlockVertexBuffer(), S_OK);
    EXPECT_EQ(mesh->Release(), 0u);

    ASSERT_EQ(D3DXCreateTextureFromFileW(device_, bmpPath.c_str(), &texture), S_OK);
    EXPECT_EQ(texture->Release(), 0u);
}

// An image larger than the device's largest texture is refused from its
// header; nothing is decoded.
TEST_F(MeshDevice, TexturesBeyondTheDeviceLimitsAreRefused) {
    D3DCAPS9 caps{};
    ASSERT_EQ(device_->GetDeviceCaps(&caps), S_OK);
    const uint32_t wide = caps.MaxTextureWidth + 1;
    std::string bmp = kl::test::MakeBmp24(1, 1, {{1, 2, 3, 255}});
    bmp[18] = static_cast<char>(wide);
    bmp[19] = static_cast<char>(wide >> 8);
    bmp[20] = static_cast<char>(wide >> 16);
    bmp.append(static_cast<size_t>(wide) * 3, '\0');  // one row, all its pixels present
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileW(device_, Write("wide.bmp", bmp).c_str(), &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
}

// Subset 0 covers the left half, subset 1 the right half: drawing one
// subset changes only its half of the cleared target.
TEST_F(MeshDevice, DrawSubsetDrawsOnlyThatSubsetsFaces) {
    const std::wstring path = Write("halves.x", kTwoHalves);
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_MANAGED, device_, nullptr, nullptr, nullptr,
                                 nullptr, &mesh),
              S_OK);
    const DWORD blue = 0xFF0000FF;
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0), S_OK);
    ASSERT_EQ(device_->BeginScene(), S_OK);
    EXPECT_EQ(mesh->DrawSubset(0), S_OK);
    EXPECT_EQ(mesh->DrawSubset(7), S_OK);  // no faces: draws nothing
    ASSERT_EQ(device_->EndScene(), S_OK);
    EXPECT_NE(ReadBackBuffer(kSize / 4, kSize / 2) & 0xFFFFFF, blue & 0xFFFFFF);
    EXPECT_EQ(ReadBackBuffer(3 * kSize / 4, kSize / 2) & 0xFFFFFF, blue & 0xFFFFFF);

    ASSERT_EQ(device_->BeginScene(), S_OK);
    EXPECT_EQ(mesh->DrawSubset(1), S_OK);
    ASSERT_EQ(device_->EndScene(), S_OK);
    EXPECT_NE(ReadBackBuffer(3 * kSize / 4, kSize / 2) & 0xFFFFFF, blue & 0xFFFFFF);
    EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshDevice, NormalsAndTangentsAreWrittenIntoTheVertexBuffer) {
    const std::wstring path = Write("halves.x", kTwoHalves);
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_MANAGED, device_, nullptr, nullptr, nullptr,
                                 nullptr, &mesh),
              S_OK);
    ASSERT_EQ(D3DXComputeNormals(mesh, nullptr), S_OK);
    ASSERT_EQ(D3DXComputeTangent(mesh, 0, 0, 0, 0, nullptr), S_OK);
    void* data = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
    for (int i = 0; i < 8; ++i) {
        float v[11];
        std::memcpy(v, static_cast<const uint8_t*>(data) + i * 44, sizeof v);
        EXPECT_FLOAT_EQ(v[5], -1.0f) << "normal z of vertex " << i;  // clockwise from -z
        EXPECT_FLOAT_EQ(v[8], 1.0f) << "tangent x of vertex " << i;  // u grows with x
    }
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshDevice, TangentWithoutRoomForItFailsAndChangesNothing) {
    const D3DVERTEXELEMENT9 decl[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                      {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                      {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                      D3DDECL_END()};
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMesh(1, 3, D3DXMESH_MANAGED, decl, device_, &mesh), S_OK);
    EXPECT_EQ(mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    void* data = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, &data), S_OK);
    std::memset(data, 0x5A, 3 * 32);
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(D3DXComputeTangent(mesh, 0, 0, 0, 0, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int i = 0; i < 3 * 32; ++i) ASSERT_EQ(bytes[i], 0x5A) << i;
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(mesh->Release(), 0u);

    EXPECT_EQ(D3DXCreateMesh(1, 70000, D3DXMESH_MANAGED, decl, device_, &mesh),
              D3DERR_INVALIDCALL);  // 16-bit indices cannot reach that many vertices
    EXPECT_EQ(mesh, nullptr);

    // A mesh has one vertex buffer: a second stream is refused.
    const D3DVERTEXELEMENT9 twoStreams[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                            {1, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                            D3DDECL_END()};
    EXPECT_EQ(D3DXCreateMesh(1, 3, D3DXMESH_MANAGED, twoStreams, device_, &mesh),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
}

DWORD TexelAt(IDirect3DTexture9* texture, UINT level, UINT x, UINT y) {
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    DWORD texel = 0;
    std::memcpy(&texel, static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
    texture->UnlockRect(level);
    return texel;
}

// A 4×2 BMP: a full chain of 3 levels, X8R8G8B8, and the 1×1 level the
// average of all eight pixels.
TEST_F(MeshDevice, BmpTextureWithFullMipChain) {
    std::vector<kl::test::Bgra> pixels(8, kl::test::Bgra{0, 0, 200, 255});
    pixels[0] = {0, 0, 40, 255};
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileW(
                  device_, Write("t.bmp", kl::test::MakeBmp24(4, 2, pixels)).c_str(), &texture),
              S_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    ASSERT_EQ(texture->GetLevelDesc(2, &desc), S_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(TexelAt(texture, 0, 0, 0) & 0xFFFFFF, 0x280000u);
    EXPECT_EQ(TexelAt(texture, 0, 3, 1) & 0xFFFFFF, 0xC80000u);
    // Level 1 (2×1): (40+200+200+200)/4 = 160 and 200; level 2: (160+200)/2 = 180.
    EXPECT_EQ(TexelAt(texture, 1, 0, 0) & 0xFFFFFF, 0xA00000u);
    EXPECT_EQ(TexelAt(texture, 2, 0, 0) & 0xFFFFFF, 0xB40000u);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(MeshDevice, TransparentImagesAreA8R8G8B8AndSizesRoundUpToPowersOfTwo) {
    std::vector<kl::test::Bgra> pixels(3 * 3, kl::test::Bgra{1, 2, 3, 128});
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileW(
                  device_, Write("t.tga", kl::test::MakeTga32(3, 3, pixels)).c_str(), &texture),
              S_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 4u);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(TexelAt(texture, 0, 2, 2), 0x80030201u);  // a flat image stays flat when scaled
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(MeshDevice, BrokenAndMissingTextureFilesFail) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileW(device_, (dir_ / "none.bmp").wstring().c_str(), &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
    std::string cut = kl::test::MakeBmp24(4, 4, std::vector<kl::test::Bgra>(16, {1, 2, 3, 255}));
    cut.resize(cut.size() - 5);
    EXPECT_EQ(D3DXCreateTextureFromFileW(device_, Write("cut.bmp", cut).c_str(), &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(MeshDevice, CreateTextureAppliesTheD3DXDefaults) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture),
              S_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(desc.Height, 256u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 9u);
    EXPECT_EQ(texture->Release(), 0u);

    ASSERT_EQ(D3DXCreateTexture(device_, 16, 4, 20, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture),
              S_OK);
    EXPECT_EQ(texture->GetLevelCount(), 5u);  // 16x4, 8x2, 4x1, 2x1, 1x1
    EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
