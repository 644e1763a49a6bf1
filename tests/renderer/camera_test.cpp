// MoveCamera's conventions, worked out from the start pose: camera at
// (0, 0, -100) looking along +z with +y up.
#include <gtest/gtest.h>

#include <cstring>

#include "app/scene.h"
#include "renderer/camera.h"
#include "renderer_test_support.h"

namespace kl::test {
namespace {

constexpr float kHalfPi = 1.57079632679f;

void ExpectVector(const D3DXVECTOR3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

class Camera : public ::testing::Test {
protected:
    void SetUp() override { ResetRendererState(); }
};

TEST_F(Camera, NoMotionLeavesTheMatrixExactlyAsItWas) {
    D3DXMatrixRotationY(&cameraMatrix, 0.3f);
    cameraMatrix._41 = 5.0f;
    const D3DXMATRIX before = cameraMatrix;
    MoveCamera(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(0, std::memcmp(&before, &cameraMatrix, sizeof before));
}

TEST_F(Camera, QuarterYawLooksAlongPlusXFromTheSamePlace) {
    MoveCamera(0, 0, 0, kHalfPi, 0, 0);
    ExpectVector(Row(cameraMatrix, 2), 1, 0, 0);   // forward
    ExpectVector(Row(cameraMatrix, 0), 0, 0, -1);  // right
    ExpectVector(Row(cameraMatrix, 1), 0, 1, 0);   // up
    ExpectVector(Row(cameraMatrix, 3), 0, 0, -100);
}

TEST_F(Camera, PitchLooksDownAndRollLiftsTheRightSide) {
    MoveCamera(0, 0, 0, 0, kHalfPi, 0);
    ExpectVector(Row(cameraMatrix, 2), 0, -1, 0);
    ResetRendererState();
    MoveCamera(0, 0, 0, 0, 0, kHalfPi);
    ExpectVector(Row(cameraMatrix, 0), 0, 1, 0);
}

TEST_F(Camera, MovesAlongItsOwnAxesAfterTurning) {
    MoveCamera(0, 0, 0, kHalfPi, 0, 0);
    MoveCamera(0, 0, 10, 0, 0, 0);  // forward is now +x
    ExpectVector(Row(cameraMatrix, 3), 10, 0, -100);
    MoveCamera(3, 0, 0, 0, 0, 0);  // right is now -z
    ExpectVector(Row(cameraMatrix, 3), 10, 0, -103);
}

TEST_F(Camera, TranslationComesBeforeTheTurnOfTheSameCall) {
    // Moving 10 forward and yawing a quarter in one call moves along the old
    // forward axis, then turns in place.
    MoveCamera(0, 0, 10, kHalfPi, 0, 0);
    ExpectVector(Row(cameraMatrix, 3), 0, 0, -90);
    ExpectVector(Row(cameraMatrix, 2), 1, 0, 0);
}

TEST(AspectRatio, WidthOverHeightWithZeroHeightAsOne) {
    EXPECT_FLOAT_EQ(AspectRatioFromSize((480 << 16) | 640), 640.0f / 480.0f);
    EXPECT_FLOAT_EQ(AspectRatioFromSize((600 << 16) | 300), 0.5f);
    EXPECT_FLOAT_EQ(AspectRatioFromSize(640), 640.0f);
    EXPECT_FLOAT_EQ(AspectRatioFromSize(0), 0.0f);
    // Only the low 32 bits carry the size.
    EXPECT_FLOAT_EQ(AspectRatioFromSize(static_cast<LPARAM>(0x7FFF00000000LL) | (2 << 16) | 4),
                    2.0f);
}

}  // namespace
}  // namespace kl::test
