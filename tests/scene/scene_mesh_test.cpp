// Scene meshes on the recording device: loading with the texture naming rule
// and its fallback, the matrices, the draw sequence and the release.
#include "app/scene_mesh.h"
#include "app/texture_paths.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_device.h"
#include "fake_effect.h"
#include "scene_files.h"

namespace kl::scene_test {
namespace {

class SceneMeshTest : public SceneFolderTest {
protected:
    void TearDown() override {
        mesh_.Release();
        EXPECT_EQ(FakeDevice::LiveResources(), 0);
        SceneFolderTest::TearDown();
    }

    // The width of the top level tells which image a slot was loaded from.
    static UINT Width(IDirect3DTexture9* texture) {
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
        return desc.Width;
    }

    FakeDevice device_;
    SceneMesh mesh_;
};

constexpr UINT kNoneWidth = 2;
constexpr UINT kWallWidth = 8;

TEST_F(SceneMeshTest, MissingFileIsNotFound) {
    EXPECT_EQ(mesh_.Load(&device_, L"meshes\\missing.x"), D3DERR_NOTFOUND);
    EXPECT_FALSE(mesh_.loaded);
    EXPECT_EQ(mesh_.mesh, nullptr);
}

TEST_F(SceneMeshTest, BrokenFileGivesTheLoaderResult) {
    WriteFile("broken.x", "xof 0303txt 0032\nMesh { 4; 0.0; ");
    const HRESULT hr = mesh_.Load(&device_, L"broken.x");
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(hr, D3DERR_NOTFOUND);
    EXPECT_FALSE(mesh_.loaded);
}

TEST_F(SceneMeshTest, OnlyTheDiffuseFilePresentFillsTheOtherSlotsWithNone) {
    WriteFile("textures/none.bmp", SolidBmp(kNoneWidth, kNoneWidth, 0, 0, 0));
    WriteFile("textures/wall.bmp", SolidBmp(kWallWidth, kWallWidth, 200, 100, 50));
    WriteFile("Meshes/Room.x", QuadsXFile({"C:/art/wall.bmp", ""}));

    ASSERT_EQ(mesh_.Load(&device_, L"meshes\\room.x"), S_OK);
    EXPECT_TRUE(mesh_.loaded);
    ASSERT_EQ(mesh_.materialCount, 2u);
    EXPECT_EQ(Width(mesh_.Texture(0, kDiffuseSlot)), kWallWidth);
    EXPECT_EQ(Width(mesh_.Texture(0, kAlphaSlot)), kNoneWidth);
    EXPECT_EQ(Width(mesh_.Texture(0, kBumpSlot)), kNoneWidth);
    EXPECT_EQ(Width(mesh_.Texture(0, kSpecularSlot)), kNoneWidth);
    // A material without a texture name leaves all four slots absent.
    for (TextureSlot slot : {kAlphaSlot, kBumpSlot, kDiffuseSlot, kSpecularSlot}) {
        EXPECT_EQ(mesh_.Texture(1, slot), nullptr);
    }
    EXPECT_EQ(device_.texturesCreated, 2);  // none.bmp once for its three slots
}

// Materials naming the same file share its texture: a mesh of thousands of
// materials naming one texture holds it once, each slot with its reference.
TEST_F(SceneMeshTest, AllFourFilesPresentAndTheSameNameIsLoadedOnce) {
    WriteFile("textures/none.bmp", SolidBmp(kNoneWidth, kNoneWidth, 0, 0, 0));
    WriteFile("textures/tile.bmp", SolidBmp(4, 4, 1, 1, 1));
    WriteFile("textures/tile_a.bmp", SolidBmp(8, 8, 1, 1, 1));
    WriteFile("textures/tile_b.bmp", SolidBmp(16, 16, 1, 1, 1));
    WriteFile("textures/tile_s.bmp", SolidBmp(32, 32, 1, 1, 1));
    WriteFile("tiles.x", QuadsXFile({"tile.bmp", "tile.bmp"}));

    ASSERT_EQ(mesh_.Load(&device_, L"tiles.x"), S_OK);
    for (DWORD material = 0; material < 2; ++material) {
        EXPECT_EQ(Width(mesh_.Texture(material, kDiffuseSlot)), 4u);
        EXPECT_EQ(Width(mesh_.Texture(material, kAlphaSlot)), 8u);
        EXPECT_EQ(Width(mesh_.Texture(material, kBumpSlot)), 16u);
        EXPECT_EQ(Width(mesh_.Texture(material, kSpecularSlot)), 32u);
    }
    EXPECT_EQ(mesh_.Texture(0, kDiffuseSlot), mesh_.Texture(1, kDiffuseSlot));
    EXPECT_EQ(device_.texturesCreated, 4);
    // Release drops every slot's reference: nothing stays alive (TearDown).
    mesh_.Release();
    EXPECT_EQ(FakeDevice::LiveResources(), 0);
}

TEST_F(SceneMeshTest, MissingNoneBitmapFailsWithTheTextureLoaderResult) {
    WriteFile("textures/wall.bmp", SolidBmp(kWallWidth, kWallWidth, 1, 2, 3));
    WriteFile("room.x", QuadsXFile({"wall.bmp"}));

    const HRESULT hr = mesh_.Load(&device_, L"room.x");
    EXPECT_TRUE(FAILED(hr));
    EXPECT_FALSE(mesh_.loaded);
    // The diffuse texture made before the failure stays until Release.
    ASSERT_NE(mesh_.textures, nullptr);
    EXPECT_NE(mesh_.Texture(0, kDiffuseSlot), nullptr);
    EXPECT_EQ(mesh_.Texture(0, kAlphaSlot), nullptr);
    EXPECT_GT(FakeDevice::LiveResources(), 0);
}

TEST_F(SceneMeshTest, UndecodableTextureFailsWithoutTryingNone) {
    WriteFile("textures/none.bmp", SolidBmp(kNoneWidth, kNoneWidth, 0, 0, 0));
    WriteFile("textures/wall.bmp", "not an image");
    WriteFile("room.x", QuadsXFile({"wall.bmp"}));
    EXPECT_TRUE(FAILED(mesh_.Load(&device_, L"room.x")));
    EXPECT_EQ(device_.texturesCreated, 0);
}

TEST_F(SceneMeshTest, OverLongTextureNameFailsCleanly) {
    WriteFile("textures/none.bmp", SolidBmp(kNoneWidth, kNoneWidth, 0, 0, 0));
    WriteFile("room.x", QuadsXFile({std::string(300, 'w') + ".bmp"}));
    EXPECT_EQ(mesh_.Load(&device_, L"room.x"), kTexturePathTooLong);
    EXPECT_FALSE(mesh_.loaded);
    EXPECT_EQ(device_.texturesCreated, 0);
}

TEST_F(SceneMeshTest, UpdateOnAMeshThatIsNotLoadedChangesNothing) {
    D3DXMatrixIdentity(&mesh_.world);
    const D3DXMATRIX before = mesh_.world;
    D3DXMATRIX camera;
    D3DXMatrixTranslation(&camera, 5.0f, 6.0f, 7.0f);
    EXPECT_EQ(mesh_.UpdateTransforms(&device_, D3DXVECTOR3(1.0f, 2.0f, 3.0f), camera, 2.0f),
              E_FAIL);
    EXPECT_TRUE(mesh_.world == before);
}

TEST_F(SceneMeshTest, MatricesFromTheCamera) {
    mesh_.loaded = true;
    D3DXMATRIX camera;
    D3DXMatrixTranslation(&camera, 0.0f, 0.0f, -100.0f);
    ASSERT_EQ(mesh_.UpdateTransforms(nullptr, D3DXVECTOR3(1.0f, 2.0f, 3.0f), camera, 2.0f), S_OK);
    mesh_.loaded = false;

    EXPECT_FLOAT_EQ(mesh_.world._41, 1.0f);
    EXPECT_FLOAT_EQ(mesh_.world._42, 2.0f);
    EXPECT_FLOAT_EQ(mesh_.world._43, 3.0f);
    EXPECT_FLOAT_EQ(mesh_.view._43, 100.0f);
    // h = cot(pi/8) = 2.4142136, w = h / 2; f / (f - n) = 1000 / 990.
    EXPECT_NEAR(mesh_.projection._11, 1.2071068f, 1e-5f);
    EXPECT_NEAR(mesh_.projection._22, 2.4142136f, 1e-5f);
    EXPECT_NEAR(mesh_.projection._33, 1.0101010f, 1e-6f);
    EXPECT_FLOAT_EQ(mesh_.projection._34, 1.0f);
    EXPECT_NEAR(mesh_.projection._43, -10.101010f, 1e-4f);
    EXPECT_FLOAT_EQ(mesh_.projection._44, 0.0f);
    // The origin (0, 0, 0) of the mesh lies 103 units in front of the camera:
    // clip z = 103 * 1000/990 - 1000/99 and w = 103.
    D3DXVECTOR4 clip;
    const D3DXVECTOR3 point(0.0f, 0.0f, 0.0f);
    D3DXVec3Transform(&clip, &point, &mesh_.worldViewProjection);
    EXPECT_NEAR(clip.x, 1.2071068f, 1e-4f);
    EXPECT_NEAR(clip.y, 4.8284271f, 1e-4f);
    EXPECT_NEAR(clip.z, 93.939394f, 1e-3f);
    EXPECT_NEAR(clip.w, 103.0f, 1e-4f);
}

TEST_F(SceneMeshTest, DrawOnAMeshThatIsNotLoadedDoesNothing) {
    FakeEffect effect;
    EXPECT_EQ(mesh_.Draw(&device_, &effect, "RenderDSPrep"), E_FAIL);
    EXPECT_TRUE(effect.calls.empty());
    EXPECT_TRUE(device_.renderStates.empty());
}

TEST_F(SceneMeshTest, DrawSetsStatesMatricesAndTexturesPerMaterialThroughPassZero) {
    WriteFile("textures/none.bmp", SolidBmp(kNoneWidth, kNoneWidth, 0, 0, 0));
    WriteFile("textures/wall.bmp", SolidBmp(kWallWidth, kWallWidth, 1, 2, 3));
    WriteFile("room.x", QuadsXFile({"wall.bmp", ""}));
    ASSERT_EQ(mesh_.Load(&device_, L"room.x"), S_OK);
    D3DXMATRIX camera;
    D3DXMatrixIdentity(&camera);
    mesh_.UpdateTransforms(&device_, D3DXVECTOR3(0.0f, 0.0f, 0.0f), camera, 1.0f);

    FakeEffect effect;
    ASSERT_EQ(mesh_.Draw(&device_, &effect, "RenderDSPrep"), S_OK);

    const std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states = {
        {D3DRS_ALPHATESTENABLE, TRUE},
        {D3DRS_ALPHAREF, 1},
        {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
        {D3DRS_LIGHTING, FALSE},
        {D3DRS_AMBIENT, 0x00202020},
        {D3DRS_SPECULARENABLE, FALSE},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZENABLE, D3DZB_TRUE},
    };
    EXPECT_EQ(device_.renderStates, states);

    const std::vector<std::string> perMaterial = {
        "SetTexture m_TexAlfa",     "SetTexture m_TexBump", "SetTexture m_TexDiffuse",
        "SetTexture m_TexSpecular", "BeginPass 0",          "EndPass"};
    std::vector<std::string> expected = {
        "SetMatrix matWVP",          "SetMatrix matW", "SetMatrix matV", "SetMatrix matP",
        "SetTechnique RenderDSPrep", "Begin 0"};
    expected.insert(expected.end(), perMaterial.begin(), perMaterial.end());
    expected.insert(expected.end(), perMaterial.begin(), perMaterial.end());
    expected.push_back("End");
    EXPECT_EQ(effect.calls, expected);

    ASSERT_EQ(effect.matrices.size(), 4u);
    EXPECT_TRUE(effect.matrices[0] == mesh_.worldViewProjection);
    EXPECT_TRUE(effect.matrices[1] == mesh_.world);
    EXPECT_TRUE(effect.matrices[2] == mesh_.view);
    EXPECT_TRUE(effect.matrices[3] == mesh_.projection);

    const std::vector<IDirect3DBaseTexture9*> textures = {mesh_.Texture(0, kAlphaSlot),
                                                          mesh_.Texture(0, kBumpSlot),
                                                          mesh_.Texture(0, kDiffuseSlot),
                                                          mesh_.Texture(0, kSpecularSlot),
                                                          nullptr,
                                                          nullptr,
                                                          nullptr,
                                                          nullptr};
    EXPECT_EQ(effect.textures, textures);
    EXPECT_GT(device_.indexedDraws, 0);
}

TEST_F(SceneMeshTest, FailingSubsetEndsThePassAndTheEffect) {
    WriteFile("room.x", QuadsXFile({"", ""}));
    ASSERT_EQ(mesh_.Load(&device_, L"room.x"), S_OK);
    device_.drawResult = D3DERR_INVALIDCALL;
    FakeEffect effect;
    EXPECT_EQ(mesh_.Draw(&device_, &effect, "RenderClassicPoint"), D3DERR_INVALIDCALL);
    ASSERT_GE(effect.calls.size(), 3u);
    const std::vector<std::string> tail(effect.calls.end() - 3, effect.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"BeginPass 0", "EndPass", "End"}));
    // The second material is never reached.
    EXPECT_EQ(effect.textures.size(), 4u);
}

TEST_F(SceneMeshTest, NoMaterialsStillBeginsAndEndsTheEffect) {
    mesh_.loaded = true;
    FakeEffect effect;
    EXPECT_EQ(mesh_.Draw(&device_, &effect, "RenderDSPrep"), S_OK);
    const std::vector<std::string> tail(effect.calls.end() - 3, effect.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"SetTechnique RenderDSPrep", "Begin 0", "End"}));
    mesh_.loaded = false;
}

TEST_F(SceneMeshTest, ReleaseFreesEverythingAndCanBeRepeated) {
    WriteFile("textures/none.bmp", SolidBmp(kNoneWidth, kNoneWidth, 0, 0, 0));
    WriteFile("room.x", QuadsXFile({"wall.bmp"}));
    ASSERT_EQ(mesh_.Load(&device_, L"room.x"), S_OK);
    EXPECT_GT(FakeDevice::LiveResources(), 0);
    mesh_.Release();
    EXPECT_EQ(FakeDevice::LiveResources(), 0);
    EXPECT_FALSE(mesh_.loaded);
    EXPECT_EQ(mesh_.materialCount, 0u);
    EXPECT_EQ(mesh_.mesh, nullptr);
    EXPECT_EQ(mesh_.textures, nullptr);
    mesh_.Release();
    SceneMesh empty;
    empty.Release();
    EXPECT_EQ(device_.References(), 1u);
}

}  // namespace
}  // namespace kl::scene_test
