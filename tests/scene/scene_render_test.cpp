// The default scene on the platform's headless Direct3D device: every mesh
// draws through the shipped effect, and from the camera's start pose the room
// fills the picture (floor, ceiling and walls face the camera, so culling keeps
// them).
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/scene.h"
#include "headless_device.h"
#include "platform/testing.h"
#include "testing/surfaces.h"

namespace kl::scene_test {
namespace {

namespace fs = std::filesystem;

constexpr UINT kWidth = 64;
constexpr UINT kHeight = 48;
constexpr D3DCOLOR kClearColour = 0x00FF00FF;  // magenta, used nowhere in the scene

fs::path SourceFolder() {
    return fs::path(KESTRALUNE_SOURCE_DIR);
}

class SceneRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(SourceFolder() / "scene");
        kl::testing::CaptureMessageBoxes(true);
        ASSERT_NO_FATAL_FAILURE(headless_.Create(kWidth, kHeight));
        device_ = headless_.device;
    }
    void TearDown() override {
        ReleaseScene(nullptr);
        if (effect_ != nullptr) effect_->Release();
        headless_.Release();
        kl::testing::CaptureMessageBoxes(false);
        fs::current_path(previous_);
    }

    // Share of the back buffer's pixels still holding the clear colour.
    double ClearShare() {
        std::vector<uint8_t> pixels;
        UINT width = 0, height = 0;
        EXPECT_TRUE(kl::testing::ReadBackBufferRgba8(device_, &pixels, &width, &height));
        int clear = 0;
        for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
            clear += pixels[i] == 0xFF && pixels[i + 1] == 0 && pixels[i + 2] == 0xFF;
        }
        return pixels.empty() ? 1.0 : clear / (pixels.size() / 4.0);
    }

    kl::test::HeadlessDevice headless_;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXEffect* effect_ = nullptr;
    fs::path previous_;
};

TEST_F(SceneRenderTest, DefaultSceneFillsTheViewFromTheStartPose) {
    ASSERT_EQ(LoadScene(device_, nullptr, nullptr), S_OK);
    const std::string effectPath = (SourceFolder() / "shaders" / "DS_prep.fx").string();
    const std::wstring widePath(effectPath.begin(), effectPath.end());
    ASSERT_EQ(D3DXCreateEffectFromFileW(device_, widePath.c_str(), nullptr, nullptr, 0, nullptr,
                                        &effect_, nullptr),
              D3D_OK);

    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0),
              D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    for (int i = 0; i < meshCount; ++i) {
        meshList[i].UpdateTransforms(device_, origin, cameraMatrix, 4.0f / 3.0f);
        EXPECT_EQ(meshList[i].Draw(device_, effect_, "RenderDiffuseToTexture"), S_OK) << i;
    }
    ASSERT_EQ(device_->EndScene(), D3D_OK);

    EXPECT_LT(ClearShare(), 0.02);
}

}  // namespace
}  // namespace kl::scene_test
