// LoadScene and ReleaseScene: the error boxes with their result codes, the
// lists they build, the camera start and the first update.
#include "app/scene.h"

#include <string>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "fake_device.h"
#include "platform/testing.h"
#include "scene_files.h"

namespace kl::scene_test {
namespace {

const std::string kRedPoint = Lines({"1", "0", "0", "10", "20", "30", "0", "-1", "0", "50", "2"});
const std::string kPulse = Lines({"0", "0", "1", "0", "0", "0", "0", "0", "0", "40", "21"});

class LoadSceneTest : public SceneFolderTest {
protected:
    void SetUp() override {
        SceneFolderTest::SetUp();
        kl::testing::CaptureMessageBoxes(true);
        boxesBefore_ = kl::testing::CapturedMessageBoxes().size();
        WriteFile("textures/none.bmp", SolidBmp(2, 2, 0, 0, 0));
        WriteFile("meshes/room.x", QuadsXFile({"wall.bmp", ""}));
        WriteFile("lights/red.txt", kRedPoint);
        WriteFile("lights/pulse.txt", kPulse);
    }
    void TearDown() override {
        ReleaseScene(nullptr);
        EXPECT_EQ(FakeDevice::LiveResources(), 0);
        kl::testing::CaptureMessageBoxes(false);
        SceneFolderTest::TearDown();
    }

    HRESULT Load(const D3DSURFACE_DESC* backBuffer = nullptr) {
        return LoadScene(&device_, backBuffer, nullptr);
    }

    // The one box the load showed, or fails the test when there were others.
    void ExpectOneErrorBox(const wchar_t* text) {
        const std::vector<kl::testing::CapturedMessageBox> boxes = BoxesOfThisTest();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, nullptr);
        EXPECT_EQ(boxes[0].caption, L"Kestralune Error!");
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR | MB_OK));
    }

    void ExpectNoBox() { EXPECT_TRUE(BoxesOfThisTest().empty()); }

    // The capture keeps boxes of earlier tests run in the same process.
    std::vector<kl::testing::CapturedMessageBox> BoxesOfThisTest() const {
        std::vector<kl::testing::CapturedMessageBox> boxes = kl::testing::CapturedMessageBoxes();
        boxes.erase(boxes.begin(), boxes.begin() + static_cast<std::ptrdiff_t>(boxesBefore_));
        return boxes;
    }

    size_t boxesBefore_ = 0;

    FakeDevice device_;
};

TEST_F(LoadSceneTest, MissingLightListIsReportedAndTheMeshListIsNotRead) {
    WriteFile("test.meshs", "! no meshes\n");
    EXPECT_EQ(static_cast<uint32_t>(Load()), 0x88760866u);
    ExpectOneErrorBox(L"Can`t open scene lights file!");
    EXPECT_EQ(meshList, nullptr);
}

TEST_F(LoadSceneTest, MissingMeshListIsReported) {
    WriteFile("test.lights", "lights\\red.txt\n");
    EXPECT_EQ(Load(), D3DERR_NOTFOUND);
    ExpectOneErrorBox(L"Can`t open scene meshs file!");
    EXPECT_EQ(lightCount, 1);
}

TEST_F(LoadSceneTest, MeshListWithOnlyCommentsHasNoMeshes) {
    WriteFile("test.lights", "");
    WriteFile("test.meshs", "! the hall\r\n\r\n!meshes\\room.x\r\n");
    EXPECT_EQ(static_cast<uint32_t>(Load()), 0x8876086Cu);
    ExpectOneErrorBox(L"No meshes in scene!");
    EXPECT_EQ(meshCount, 0);
    EXPECT_EQ(meshList, nullptr);
}

TEST_F(LoadSceneTest, MissingLightFileIsAWrongScene) {
    WriteFile("test.lights", "lights\\red.txt\nlights\\gone.txt\nlights\\pulse.txt\n");
    WriteFile("test.meshs", "meshes\\room.x\n");
    EXPECT_EQ(Load(), D3DERR_NOTFOUND);
    ExpectOneErrorBox(L"Wrong scene!");
    // The first light loaded; the failing one stopped the load, the mesh list was not read.
    ASSERT_EQ(lightCount, 2);
    EXPECT_TRUE(lightList[0].loaded);
    EXPECT_FALSE(lightList[1].loaded);
    EXPECT_EQ(meshList, nullptr);
}

// Counting stops at the first entry naming no file: a 16 MiB list of short
// entries is not turned into millions of records before the first one fails.
TEST_F(LoadSceneTest, LongListsOfMissingFilesCostOneRecord) {
    std::string lights = "lights\\red.txt\n";
    for (int i = 0; i < 1000000; ++i) lights += "a\n";
    WriteFile("test.lights", lights);
    WriteFile("test.meshs", "meshes\\room.x\n");
    EXPECT_EQ(Load(), D3DERR_NOTFOUND);
    ExpectOneErrorBox(L"Wrong scene!");
    ASSERT_EQ(lightCount, 2);
    EXPECT_TRUE(lightList[0].loaded);
    EXPECT_FALSE(lightList[1].loaded);
}

TEST_F(LoadSceneTest, ShortLightFileIsAWrongScene) {
    WriteFile("lights/short.txt", Lines({"1", "1", "1", "0", "0"}));
    WriteFile("test.lights", "lights\\short.txt\n");
    WriteFile("test.meshs", "meshes\\room.x\n");
    EXPECT_EQ(Load(), kLightFileTooShort);
    ExpectOneErrorBox(L"Wrong scene!");
}

TEST_F(LoadSceneTest, MissingMeshFileIsAWrongScene) {
    WriteFile("test.lights", "lights\\red.txt\n");
    WriteFile("test.meshs", "meshes\\room.x\nmeshes\\gone.x\nmeshes\\room.x\n");
    EXPECT_EQ(Load(), D3DERR_NOTFOUND);
    ExpectOneErrorBox(L"Wrong scene!");
    ASSERT_EQ(meshCount, 2);
    EXPECT_TRUE(meshList[0].loaded);
    EXPECT_FALSE(meshList[1].loaded);
}

TEST_F(LoadSceneTest, FailingTextureIsAWrongSceneWithTheTextureResult) {
    std::filesystem::remove("textures/none.bmp");
    WriteFile("test.lights", "");
    WriteFile("test.meshs", "meshes\\room.x\n");
    const HRESULT hr = Load();
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(hr, D3DERR_NOTFOUND);
    ExpectOneErrorBox(L"Wrong scene!");
}

TEST_F(LoadSceneTest, BuildsBothListsPlacesTheCameraAndUpdatesEverything) {
    WriteFile("test.lights", "! two lights\nlights\\red.txt\n\nLIGHTS\\Pulse.txt");
    WriteFile("test.meshs", "meshes\\room.x\r\n!meshes\\other.x\r\nmeshes\\room.x\r\n");
    aspectRatio = 1.6f;
    D3DSURFACE_DESC backBuffer{};
    backBuffer.Width = 640;
    backBuffer.Height = 480;

    EXPECT_EQ(Load(&backBuffer), S_OK);
    ExpectNoBox();
    ASSERT_EQ(lightCount, 2);
    ASSERT_EQ(meshCount, 2);
    EXPECT_TRUE(meshList[0].loaded && meshList[1].loaded);
    // The first picture has the window's proportions, not those of an
    // earlier size message or a square.
    EXPECT_FLOAT_EQ(aspectRatio, 640.0f / 480.0f);
    EXPECT_TRUE(origin == D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    // The camera stands at (0, 0, -100) looking along +z with +y up.
    D3DXMATRIX start;
    D3DXMatrixTranslation(&start, 0.0f, 0.0f, -100.0f);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(cameraMatrix.m[i / 4][i % 4], start.m[i / 4][i % 4], 1e-5f) << i;
    }
    // The first update ran: view-space values and the pulsing radius at t = 0.
    EXPECT_NEAR(lightList[0].viewPosition.z, 120.0f, 1e-4f);
    EXPECT_FLOAT_EQ(lightList[0].viewPosition.w, 1.0f);
    EXPECT_FLOAT_EQ(lightList[1].radius, 25.0f);
    EXPECT_NEAR(meshList[1].view._43, 100.0f, 1e-4f);
    // 45 degrees of view vertically (cot 22.5 = 2.4142136), narrowed across
    // by the 4:3 back buffer.
    EXPECT_NEAR(meshList[1].projection._22, 2.4142136f, 1e-5f);
    EXPECT_NEAR(meshList[1].projection._11, 2.4142136f * 3.0f / 4.0f, 1e-5f);
}

TEST_F(LoadSceneTest, EmptyLightListIsNoError) {
    WriteFile("test.lights", "!nothing\n\n");
    WriteFile("test.meshs", "meshes\\room.x");
    EXPECT_EQ(Load(), S_OK);
    ExpectNoBox();
    EXPECT_EQ(lightCount, 0);
    EXPECT_EQ(lightList, nullptr);
    EXPECT_EQ(meshCount, 1);
}

TEST_F(LoadSceneTest, LoadingTwiceGivesTheSameLists) {
    WriteFile("test.lights", "lights\\red.txt\nlights\\pulse.txt\n");
    WriteFile("test.meshs", "meshes\\room.x\n");
    ASSERT_EQ(Load(), S_OK);
    const D3DXVECTOR4 firstPosition = lightList[0].viewPosition;
    const int textures = device_.texturesCreated;
    ReleaseScene(nullptr);
    EXPECT_EQ(lightList, nullptr);
    EXPECT_EQ(meshList, nullptr);
    EXPECT_EQ(FakeDevice::LiveResources(), 0);

    ASSERT_EQ(Load(), S_OK);
    EXPECT_EQ(lightCount, 2);
    EXPECT_EQ(meshCount, 1);
    EXPECT_TRUE(lightList[0].viewPosition == firstPosition);
    EXPECT_EQ(meshList[0].materialCount, 2u);
    EXPECT_EQ(device_.texturesCreated, 2 * textures);
}

TEST_F(LoadSceneTest, LoadingOverAFailedSceneFreesItFirst) {
    WriteFile("test.lights", "lights\\red.txt\n");
    WriteFile("test.meshs", "meshes\\room.x\nmeshes\\gone.x\n");
    ASSERT_EQ(Load(), D3DERR_NOTFOUND);
    WriteFile("test.meshs", "meshes\\room.x\n");
    EXPECT_EQ(Load(), S_OK);
    EXPECT_EQ(meshCount, 1);
}

TEST_F(LoadSceneTest, ReleaseWithoutASceneDoesNothing) {
    ReleaseScene(nullptr);
    EXPECT_EQ(lightList, nullptr);
    EXPECT_EQ(meshList, nullptr);
    EXPECT_EQ(lightCount, 0);
    EXPECT_EQ(meshCount, 0);
}

}  // namespace
}  // namespace kl::scene_test
