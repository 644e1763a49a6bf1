// The committed default scene: it loads whole, uses every kind of map and
// light, keeps its lights in view from the camera's start pose, and is what
// tools/scene_generator.cpp makes.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "app/scene.h"
#include "app/scene_file.h"
#include "app/texture_paths.h"
#include "fake_device.h"
#include "platform/testing.h"

namespace kl::scene_test {
namespace {

namespace fs = std::filesystem;

fs::path SceneFolder() {
    return fs::path(KESTRALUNE_SOURCE_DIR) / "scene";
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DefaultSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(SceneFolder());
        kl::testing::CaptureMessageBoxes(true);
        boxesBefore_ = kl::testing::CapturedMessageBoxes().size();
    }
    void TearDown() override {
        ReleaseScene(nullptr);
        EXPECT_EQ(FakeDevice::LiveResources(), 0);
        kl::testing::CaptureMessageBoxes(false);
        fs::current_path(previous_);
    }

    FakeDevice device_;
    fs::path previous_;
    size_t boxesBefore_ = 0;
};

TEST_F(DefaultSceneTest, LoadsEveryMeshAndLight) {
    ASSERT_EQ(LoadScene(&device_, nullptr, nullptr), S_OK);
    EXPECT_EQ(kl::testing::CapturedMessageBoxes().size(), boxesBefore_);
    ASSERT_EQ(meshCount, 5);
    for (int i = 0; i < meshCount; ++i) {
        EXPECT_TRUE(meshList[i].loaded) << i;
        EXPECT_GT(meshList[i].mesh->GetNumFaces(), 0u) << i;
    }
    int suns = 0, points = 0, pulsing = 0;
    for (int i = 0; i < lightCount; ++i) {
        suns += lightList[i].kind == static_cast<int>(LightKind::Sun);
        points += lightList[i].kind == static_cast<int>(LightKind::Point);
        pulsing += lightList[i].kind == static_cast<int>(LightKind::PulsingPoint);
    }
    EXPECT_EQ(suns, 1);
    EXPECT_GE(points, 8);
    EXPECT_EQ(pulsing, 2);
}

TEST_F(DefaultSceneTest, LightsAreInViewFromTheStartPoseAndTheSunShinesDown) {
    ASSERT_EQ(LoadScene(&device_, nullptr, nullptr), S_OK);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 4.0f / 3.0f, 10.0f, 1000.0f);
    for (int i = 0; i < lightCount; ++i) {
        const SceneLight& light = lightList[i];
        if (light.kind == static_cast<int>(LightKind::Sun)) {
            // The lighting uses l_dir - l_pos as the sun's direction in view space.
            EXPECT_LT(light.viewDirection.y - light.viewPosition.y, -0.5f);
            continue;
        }
        D3DXVECTOR4 clip;
        D3DXVec4Transform(&clip, &light.viewPosition, &projection);
        EXPECT_GT(clip.w, 0.0f) << i;
        EXPECT_LT(std::abs(clip.x), clip.w) << i;
        EXPECT_LT(std::abs(clip.y), clip.w) << i;
        EXPECT_GT(clip.z, 0.0f) << i;
        EXPECT_LT(clip.z, clip.w) << i;
        EXPECT_GT(light.colour.x + light.colour.y + light.colour.z, 0.5f) << i;
    }
}

TEST_F(DefaultSceneTest, MaterialsUseDiffuseBumpSpecularAndAlphaMaps) {
    const char* meshes[] = {"meshes/room.x", "meshes/crates.x", "meshes/sphere.x", "meshes/torus.x",
                            "meshes/fence.x"};
    int diffuse = 0, alpha = 0, bump = 0, specular = 0, materials = 0;
    for (const char* file : meshes) {
        const std::wstring path(file, file + std::strlen(file));
        ID3DXBuffer* buffer = nullptr;
        ID3DXMesh* mesh = nullptr;
        DWORD count = 0;
        ASSERT_EQ(D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_MANAGED, &device_, nullptr, &buffer,
                                     nullptr, &count, &mesh),
                  S_OK)
            << file;
        const auto* entries = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
        for (DWORD i = 0; i < count; ++i, ++materials) {
            TexturePaths paths;
            ASSERT_NE(entries[i].pTextureFilename, nullptr) << file;
            ASSERT_EQ(ComposeTexturePaths(entries[i].pTextureFilename, &paths), S_OK);
            diffuse += FileExistsAt(paths.diffuse.c_str());
            alpha += FileExistsAt(paths.alpha.c_str());
            bump += FileExistsAt(paths.bump.c_str());
            specular += FileExistsAt(paths.specular.c_str());
        }
        buffer->Release();
        mesh->Release();
    }
    EXPECT_EQ(diffuse, materials);
    EXPECT_EQ(specular, materials);
    EXPECT_GE(bump, 4);
    EXPECT_GE(alpha, 1);
    EXPECT_TRUE(FileExistsAt(kNoneTexturePath));
}

TEST_F(DefaultSceneTest, HoldsTextAndBinaryMeshFiles) {
    EXPECT_EQ(ReadBytes("meshes/room.x").substr(0, 16), "xof 0303txt 0032");
    EXPECT_EQ(ReadBytes("meshes/crates.x").substr(0, 16), "xof 0303bin 0032");
}

TEST(SceneGeneratorTest, MakesTheCommittedScene) {
    const fs::path output = fs::temp_directory_path() /
                            ("kl_scene_generated_" + std::to_string(std::random_device()()));
    const std::string command = std::string(KL_SCENE_GENERATOR) + " " + output.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(SceneFolder())) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), SceneFolder());
        const std::string made = ReadBytes(output / relative);
        const std::string committed = ReadBytes(entry.path());
        // Compared as a whole, reported by name: the files are too big to print.
        EXPECT_TRUE(made == committed) << relative << ": generated " << made.size()
                                       << " bytes, committed " << committed.size() << " bytes";
        ++files;
    }
    int generated = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(output)) {
        generated += entry.is_regular_file();
    }
    EXPECT_EQ(generated, files);
    fs::remove_all(output);
}

}  // namespace
}  // namespace kl::scene_test
