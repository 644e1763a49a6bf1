// The device-independent parts of D3DX meshes: vertex declarations, the draws
// of a subset, the materials buffer, and finding files by Windows paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "d3dx9/mesh/effect_instances.h"
#include "d3dx9/mesh/file_access.h"
#include "d3dx9/mesh/materials_buffer.h"
#include "d3dx9/mesh/subset_draws.h"
#include "d3dx9/mesh/vertex_layout.h"

namespace {

using kl::d3dx9::mesh::SubsetDraw;

TEST(VertexLayout, LoadedMeshesHaveRoomForATangent) {
    const auto elements =
        kl::d3dx9::mesh::ReadDeclaration(kl::d3dx9::mesh::LoadedMeshDeclaration());
    ASSERT_EQ(elements.size(), 4u);
    EXPECT_EQ(kl::d3dx9::mesh::StreamZeroStride(elements), kl::d3dx9::mesh::kLoadedStride);
    const D3DVERTEXELEMENT9* tangent =
        kl::d3dx9::mesh::FindElement(elements, D3DDECLUSAGE_TANGENT, 0);
    ASSERT_NE(tangent, nullptr);
    EXPECT_EQ(tangent->Offset, 32);
    EXPECT_EQ(kl::d3dx9::mesh::FindElement(elements, D3DDECLUSAGE_TEXCOORD, 1), nullptr);
    EXPECT_EQ(kl::d3dx9::mesh::FvfFromDeclaration(elements), 0u);  // no FVF has a tangent
}

TEST(VertexLayout, FvfOnlyForLayoutsAnFvfCanExpress) {
    const D3DVERTEXELEMENT9 posNormalTex[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
        {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    EXPECT_EQ(kl::d3dx9::mesh::FvfFromDeclaration(kl::d3dx9::mesh::ReadDeclaration(posNormalTex)),
              static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    const D3DVERTEXELEMENT9 gap[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                     {0, 16, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                     D3DDECL_END()};
    EXPECT_EQ(kl::d3dx9::mesh::FvfFromDeclaration(kl::d3dx9::mesh::ReadDeclaration(gap)), 0u);
    EXPECT_EQ(kl::d3dx9::mesh::StreamZeroStride(kl::d3dx9::mesh::ReadDeclaration(gap)), 24u);
}

TEST(VertexLayout, DeclarationsWithoutEndOrWithUnknownTypesAreRejected) {
    std::vector<D3DVERTEXELEMENT9> endless(MAXD3DDECLLENGTH + 1,
                                           {0, 0, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_FOG, 0});
    EXPECT_TRUE(kl::d3dx9::mesh::ReadDeclaration(endless.data()).empty());
    const D3DVERTEXELEMENT9 unknownType[] = {{0, 0, 40, 0, D3DDECLUSAGE_POSITION, 0},
                                             D3DDECL_END()};
    EXPECT_TRUE(kl::d3dx9::mesh::ReadDeclaration(unknownType).empty());
    EXPECT_TRUE(kl::d3dx9::mesh::ReadDeclaration(nullptr).empty());
}

bool operator==(const SubsetDraw& a, const SubsetDraw& b) {
    return a.minVertex == b.minVertex && a.vertexCount == b.vertexCount &&
           a.startIndex == b.startIndex && a.triangleCount == b.triangleCount;
}

TEST(SubsetDraws, FromTheAttributeTable) {
    const std::vector<D3DXATTRIBUTERANGE> table = {
        {0, 0, 2, 0, 4}, {1, 2, 1, 3, 3}, {2, 3, 0, 0, 0}};
    const std::vector<DWORD> attributes = {0, 0, 1};
    auto draws = kl::d3dx9::mesh::SubsetDraws(table, attributes, 6, 1);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(draws[0] == (SubsetDraw{3, 3, 6, 1}));
    EXPECT_TRUE(kl::d3dx9::mesh::SubsetDraws(table, attributes, 6, 2).empty());  // no faces
    EXPECT_TRUE(kl::d3dx9::mesh::SubsetDraws(table, attributes, 6, 9).empty());  // unknown id
}

TEST(SubsetDraws, FromRunsOfFaceAttributesWithoutATable) {
    const std::vector<DWORD> attributes = {1, 1, 0, 1, 2, 1};
    auto draws = kl::d3dx9::mesh::SubsetDraws({}, attributes, 10, 1);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_TRUE(draws[0] == (SubsetDraw{0, 10, 0, 2}));
    EXPECT_TRUE(draws[1] == (SubsetDraw{0, 10, 9, 1}));
    EXPECT_TRUE(draws[2] == (SubsetDraw{0, 10, 15, 1}));
}

TEST(MaterialsBuffer, TextureNamesPointIntoTheBuffer) {
    std::vector<kl::d3dx9::mesh::Material> materials(2);
    materials[0].diffuse[0] = 0.25f;
    materials[0].power = 8;
    materials[0].specular[1] = 0.5f;
    materials[0].hasTexture = true;
    materials[0].textureFilename = "C:\\art\\wall.tga";
    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(kl::d3dx9::mesh::CreateMaterialsBuffer(materials, &buffer), S_OK);
    const auto* begin = static_cast<const char*>(buffer->GetBufferPointer());
    const auto* entries = reinterpret_cast<const D3DXMATERIAL*>(begin);
    EXPECT_EQ(buffer->GetBufferSize(), 2 * sizeof(D3DXMATERIAL) + 16);
    EXPECT_STREQ(entries[0].pTextureFilename, "C:\\art\\wall.tga");
    EXPECT_GE(entries[0].pTextureFilename, begin + 2 * sizeof(D3DXMATERIAL));
    EXPECT_EQ(entries[1].pTextureFilename, nullptr);
    EXPECT_EQ(entries[0].MatD3D.Diffuse.r, 0.25f);
    EXPECT_EQ(entries[0].MatD3D.Diffuse.a, 1.0f);
    EXPECT_EQ(entries[0].MatD3D.Power, 8.0f);
    EXPECT_EQ(entries[0].MatD3D.Specular.g, 0.5f);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST(EffectInstances, DefaultsFollowTheMaterial) {
    std::vector<kl::d3dx9::mesh::Material> materials(2);
    materials[0].diffuse[2] = 0.5f;
    materials[0].power = 12;
    materials[1].hasTexture = true;
    materials[1].textureFilename = "wall.tga";
    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(kl::d3dx9::mesh::CreateEffectInstancesBuffer(materials, &buffer), S_OK);
    const auto* begin = static_cast<const uint8_t*>(buffer->GetBufferPointer());
    const auto* end = begin + buffer->GetBufferSize();
    const auto* instances = reinterpret_cast<const D3DXEFFECTINSTANCE*>(begin);
    EXPECT_EQ(instances[0].pEffectFilename, nullptr);
    ASSERT_EQ(instances[0].NumDefaults, 5u);
    ASSERT_EQ(instances[1].NumDefaults, 6u);

    const char* const names[] = {"Diffuse",  "Power",   "Specular",
                                 "Emissive", "Ambient", "Texture0@Name"};
    for (DWORD i = 0; i < instances[1].NumDefaults; ++i) {
        EXPECT_STREQ(instances[1].pDefaults[i].pParamName, names[i]) << "default " << i;
    }

    const D3DXEFFECTDEFAULT& diffuse = instances[0].pDefaults[0];
    EXPECT_STREQ(diffuse.pParamName, "Diffuse");
    EXPECT_EQ(diffuse.Type, D3DXEDT_FLOATS);
    ASSERT_EQ(diffuse.NumBytes, 16u);
    EXPECT_EQ(static_cast<const float*>(diffuse.pValue)[2], 0.5f);
    const D3DXEFFECTDEFAULT& power = instances[0].pDefaults[1];
    EXPECT_STREQ(power.pParamName, "Power");
    EXPECT_EQ(*static_cast<const float*>(power.pValue), 12.0f);

    const D3DXEFFECTDEFAULT& texture = instances[1].pDefaults[5];
    EXPECT_STREQ(texture.pParamName, "Texture0@Name");
    EXPECT_EQ(texture.Type, D3DXEDT_STRING);
    EXPECT_STREQ(static_cast<const char*>(texture.pValue), "wall.tga");
    const auto* last = static_cast<const uint8_t*>(texture.pValue) + texture.NumBytes;
    EXPECT_LE(last, end);  // everything lives inside the one buffer
    EXPECT_EQ(buffer->Release(), 0u);
}

class WindowsPaths : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kl_mesh_paths_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        std::filesystem::create_directories(root_ / "Textures" / "Sub");
        std::ofstream(root_ / "Textures" / "Sub" / "Wall.TGA") << "wall bytes";
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::wstring Wide(const std::string& s) const {
        const std::string full = root_.string() + s;
        return std::wstring(full.begin(), full.end());
    }

    std::filesystem::path root_;
};

TEST_F(WindowsPaths, BackslashesAndCaseDifferencesFindTheFile) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(kl::d3dx9::ReadWholeFile(Wide("\\Textures\\Sub\\Wall.TGA").c_str(), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "wall bytes");
    ASSERT_TRUE(kl::d3dx9::ReadWholeFile(Wide("\\textures\\SUB\\wall.tga").c_str(), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "wall bytes");
}

TEST_F(WindowsPaths, MissingFilesAndFoldersAreNotRead) {
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(kl::d3dx9::ReadWholeFile(Wide("\\textures\\sub\\floor.tga").c_str(), bytes));
    EXPECT_FALSE(kl::d3dx9::ReadWholeFile(Wide("\\textures\\sub").c_str(), bytes));
    EXPECT_FALSE(kl::d3dx9::ReadWholeFile(L"", bytes));
    EXPECT_FALSE(kl::d3dx9::ReadWholeFile(nullptr, bytes));
}

}  // namespace
