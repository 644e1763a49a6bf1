// The key table, the render-mode keys and the camera flight that
// ApplyControls and UpdateFrame produce from held keys.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/scene.h"
#include "renderer/effect_contract.h"
#include "renderer/frame_controls.h"
#include "renderer_test_support.h"

namespace kl::test {
namespace {

constexpr float kPi = 3.14159265358979f;

void ExpectRow(const D3DXMATRIX& m, int r, float x, float y, float z, float tolerance = 1e-5f) {
    const D3DXVECTOR3 row = Row(m, r);
    EXPECT_NEAR(row.x, x, tolerance) << "row " << r;
    EXPECT_NEAR(row.y, y, tolerance) << "row " << r;
    EXPECT_NEAR(row.z, z, tolerance) << "row " << r;
}

// Elapsed seconds that turn the camera by a quarter at 1.5 radians a second.
constexpr float kQuarterTurnSeconds = (kPi / 2.0f) / kTurnSpeed;

class Controls : public ::testing::Test {
protected:
    void SetUp() override { ResetRendererState(); }
};

TEST_F(Controls, HoldingWForOneSecondMovesFortyUnitsForward) {
    PressKey('W');
    UpdateFrame(nullptr, 1.0, 1.0f, nullptr);
    ExpectRow(cameraMatrix, 3, 0.0f, 0.0f, -60.0f);
    ExpectRow(cameraMatrix, 2, 0.0f, 0.0f, 1.0f);
    // Still held next frame: another half second, another 20 units.
    UpdateFrame(nullptr, 1.5, 0.5f, nullptr);
    ExpectRow(cameraMatrix, 3, 0.0f, 0.0f, -40.0f);
}

TEST_F(Controls, EachMovementKeyMovesAlongItsCameraAxis) {
    const struct {
        WPARAM key;
        float x, y, z;
    } cases[] = {
        {'D', 40, 0, -100},      {'A', -40, 0, -100}, {VK_PRIOR, 0, 40, -100},
        {VK_NEXT, 0, -40, -100}, {'W', 0, 0, -60},    {'S', 0, 0, -140},
    };
    for (const auto& c : cases) {
        ResetRendererState();
        PressKey(c.key);
        EXPECT_TRUE(ApplyControls(kMoveSpeed, kTurnSpeed, 1.0f));
        ExpectRow(cameraMatrix, 3, c.x, c.y, c.z);
    }
}

TEST_F(Controls, OppositeKeysHeldTogetherFollowTheTable) {
    PressKey('W');
    PressKey('S');
    PressKey('A');
    PressKey('D');
    PressKey(VK_PRIOR);
    PressKey(VK_NEXT);
    ApplyControls(kMoveSpeed, kTurnSpeed, 1.0f);
    // Backward, right, up.
    ExpectRow(cameraMatrix, 3, 40.0f, 40.0f, -140.0f);
}

TEST_F(Controls, TurningKeysAndTheirBothHeldRules) {
    // VK_RIGHT turns right: the view looks along +x.
    PressKey(VK_RIGHT);
    ApplyControls(kMoveSpeed, kTurnSpeed, kQuarterTurnSeconds);
    ExpectRow(cameraMatrix, 2, 1.0f, 0.0f, 0.0f);

    // Both arrows held turn left.
    ResetRendererState();
    PressKey(VK_RIGHT);
    PressKey(VK_LEFT);
    ApplyControls(kMoveSpeed, kTurnSpeed, kQuarterTurnSeconds);
    ExpectRow(cameraMatrix, 2, -1.0f, 0.0f, 0.0f);

    // VK_UP tilts the view down; both held tilt it up.
    ResetRendererState();
    PressKey(VK_UP);
    ApplyControls(kMoveSpeed, kTurnSpeed, kQuarterTurnSeconds);
    ExpectRow(cameraMatrix, 2, 0.0f, -1.0f, 0.0f);
    ResetRendererState();
    PressKey(VK_UP);
    PressKey(VK_DOWN);
    ApplyControls(kMoveSpeed, kTurnSpeed, kQuarterTurnSeconds);
    ExpectRow(cameraMatrix, 2, 0.0f, 1.0f, 0.0f);

    // 'Q' lifts the right side; both held do the same.
    ResetRendererState();
    PressKey('Q');
    PressKey('E');
    ApplyControls(kMoveSpeed, kTurnSpeed, kQuarterTurnSeconds);
    ExpectRow(cameraMatrix, 0, 0.0f, 1.0f, 0.0f);
    ExpectRow(cameraMatrix, 3, 0.0f, 0.0f, -100.0f);  // turning does not move the camera
}

TEST_F(Controls, LightsAreUpdatedAfterTheCameraMoves) {
    SceneLight lights[2];
    lights[0].loaded = true;
    lights[0].position = D3DXVECTOR4(10.0f, 0.0f, 0.0f, 1.0f);
    lights[1].loaded = true;
    lights[1].position = D3DXVECTOR4(0.0f, 5.0f, 20.0f, 1.0f);
    lightList = lights;
    lightCount = 2;
    PressKey('W');
    UpdateFrame(nullptr, 0.0, 1.0f, nullptr);
    // The camera now stands at z = -60: both lights are seen 60 units nearer
    // than from the start pose, in this frame already.
    EXPECT_NEAR(lights[0].viewPosition.x, 10.0f, 1e-4f);
    EXPECT_NEAR(lights[0].viewPosition.z, 60.0f, 1e-4f);
    EXPECT_NEAR(lights[1].viewPosition.y, 5.0f, 1e-4f);
    EXPECT_NEAR(lights[1].viewPosition.z, 80.0f, 1e-4f);
    lightList = nullptr;
    lightCount = 0;
}

TEST_F(Controls, WithoutMovementKeysTheCameraStaysPut) {
    const D3DXMATRIX before = cameraMatrix;
    PressKey('1');
    PressKey('X');
    EXPECT_FALSE(ApplyControls(kMoveSpeed, kTurnSpeed, 1000.0f));
    UpdateFrame(nullptr, 0.0, 3.0f, nullptr);
    EXPECT_EQ(0, std::memcmp(&before, &cameraMatrix, sizeof before));
}

TEST_F(Controls, KeysPressedAndReleasedBetweenFramesAreNotSeen) {
    const D3DXMATRIX before = cameraMatrix;
    PressKey('W');
    ReleaseKey('W');
    PressKey('5');
    ReleaseKey('5');
    UpdateFrame(nullptr, 0.0, 1.0f, nullptr);
    EXPECT_EQ(0, std::memcmp(&before, &cameraMatrix, sizeof before));
    EXPECT_EQ(renderMode, RenderMode::Deferred);
}

TEST_F(Controls, DigitKeysChooseTheModeAndTheLastHeldWins) {
    const struct {
        WPARAM key;
        RenderMode mode;
        const char* technique;
    } single[] = {
        {'1', RenderMode::ChannelView, "RenderDiffuseToTexture"},
        {'2', RenderMode::ChannelView, "RenderSpecularToTexture"},
        {'3', RenderMode::ChannelView, "RenderPositionToTexture"},
        {'4', RenderMode::ChannelView, "RenderNormalToTexture"},
    };
    for (const auto& c : single) {
        ResetRendererState();
        PressKey(c.key);
        ApplyControls(kMoveSpeed, kTurnSpeed, 0.1f);
        EXPECT_EQ(renderMode, c.mode);
        EXPECT_EQ(std::string(channelTechnique), c.technique);
    }

    ResetRendererState();
    PressKey('1');
    PressKey('4');
    ApplyControls(kMoveSpeed, kTurnSpeed, 0.1f);
    EXPECT_EQ(renderMode, RenderMode::ChannelView);
    EXPECT_EQ(std::string(channelTechnique), "RenderNormalToTexture");

    for (WPARAM other : {'1', '2', '3', '4', '5'}) {
        ResetRendererState();
        PressKey(other);
        PressKey('0');
        ApplyControls(kMoveSpeed, kTurnSpeed, 0.1f);
        EXPECT_EQ(renderMode, RenderMode::Deferred) << "with '" << static_cast<char>(other) << "'";
    }
}

TEST_F(Controls, ModeStaysAfterTheKeyIsReleased) {
    PressKey('5');
    ApplyControls(kMoveSpeed, kTurnSpeed, 0.1f);
    ReleaseKey('5');
    ApplyControls(kMoveSpeed, kTurnSpeed, 0.1f);
    EXPECT_EQ(renderMode, RenderMode::Classic);
    // The keypad's digits are other keys.
    PressKey(VK_NUMPAD1);
    ApplyControls(kMoveSpeed, kTurnSpeed, 0.1f);
    EXPECT_EQ(renderMode, RenderMode::Classic);
}

TEST_F(Controls, MessageCallbackKeepsTheTableAndPassesEveryMessageOn) {
    bool noFurtherProcessing = false;
    EXPECT_EQ(HandleWindowMessage(nullptr, WM_KEYDOWN, 'W', 0, &noFurtherProcessing, nullptr), 0);
    EXPECT_TRUE(keyState['W']);
    EXPECT_FALSE(noFurtherProcessing);
    EXPECT_EQ(HandleWindowMessage(nullptr, WM_KEYUP, 'W', 0, &noFurtherProcessing, nullptr), 0);
    EXPECT_FALSE(keyState['W']);

    // System keys (Alt held) are the framework's.
    HandleWindowMessage(nullptr, WM_SYSKEYDOWN, 'W', 0, &noFurtherProcessing, nullptr);
    EXPECT_FALSE(keyState['W']);
    EXPECT_FALSE(noFurtherProcessing);
}

TEST_F(Controls, KeyCodesBeyondTheTableAreIgnored) {
    bool noFurtherProcessing = false;
    for (WPARAM key : {WPARAM{256}, WPARAM{0x1FF}, WPARAM{0x10000}, ~WPARAM{0}}) {
        EXPECT_EQ(HandleWindowMessage(nullptr, WM_KEYDOWN, key, 0, &noFurtherProcessing, nullptr),
                  0);
        HandleWindowMessage(nullptr, WM_KEYUP, key, 0, &noFurtherProcessing, nullptr);
    }
    HandleWindowMessage(nullptr, WM_KEYDOWN, 256, 0, &noFurtherProcessing, nullptr);
    for (bool held : keyState) EXPECT_FALSE(held);
    EXPECT_FALSE(ApplyControls(kMoveSpeed, kTurnSpeed, 1.0f));
    // Key 255, the last entry, still works.
    HandleWindowMessage(nullptr, WM_KEYDOWN, 255, 0, &noFurtherProcessing, nullptr);
    EXPECT_TRUE(keyState[255]);
}

TEST_F(Controls, SizeMessagesSetTheAspectRatio) {
    bool noFurtherProcessing = false;
    HandleWindowMessage(nullptr, WM_SIZE, 0, (480 << 16) | 640, &noFurtherProcessing, nullptr);
    EXPECT_FLOAT_EQ(aspectRatio, 640.0f / 480.0f);
    HandleWindowMessage(nullptr, WM_SIZE, 0, 800, &noFurtherProcessing, nullptr);
    EXPECT_FLOAT_EQ(aspectRatio, 800.0f);  // height 0 counts as 1
    HandleWindowMessage(nullptr, WM_SIZE, 0, (0xFFFF << 16) | 0xFFFF, &noFurtherProcessing,
                        nullptr);
    EXPECT_FLOAT_EQ(aspectRatio, 1.0f);
}

}  // namespace
}  // namespace kl::test
